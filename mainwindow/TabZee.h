// The Zeeman tab: the Zeeman-pattern test of the control file (ZEE, CTRL) as a job (progress in
// "UM", Esc cancels), its panels drawn into the picture window afterwards ("Zee Test"; "set WIN
// X x Y" sizes the drawing area first, "Set dLam" takes the hyperfine half window from its
// field for one run), and the rich-text bench on RTF. The selection routines below also serve
// the Graf tab's caption edits and the keyboard hook's Ctrl keys on a focused rich edit.
#pragma once
#include <cstdint>
#include <string>

#include "Corvesta/TabZeeForm.h"
#include "mainwindow/CorvestaTab.h"

namespace platform {
class TRichEdit;
}

namespace rich {
// Bold, italic or underline of the selection: off when its first character has it, else on.
void ToggleBold(platform::TRichEdit& R);
void ToggleItalic(platform::TRichEdit& R);
void ToggleUnderline(platform::TRichEdit& R);
// The selection's size := |size| + 1 or - 1 points.
void SelSizeInc(platform::TRichEdit& R);
void SelSizeDec(platform::TRichEdit& R);
// The selection in "Symbol", or back in the control's own font when it is in "Symbol".
void SelToggleSymbol(platform::TRichEdit& R);
// The character-format report of the selection, one item a line.
std::string FormatReport(const platform::TRichEdit& R);
// The focused control when it is a rich edit (nullptr otherwise).
platform::TRichEdit* Focused();
}  // namespace rich

class TTabZee : public TFormTab<TabZeeForm> {
 public:
  explicit TTabZee(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  // The file buttons' hints (the control and result files of the project) brought up to date.
  void Show() override;

  void btZeeTestClick(TSender E);
  void btSetZeePictSizeClick(TSender E);
  void btSetHFSdLamClick(TSender E);
  void btRTFboldClick(TSender E);
  void btRTFitalicClick(TSender E);
  void btRTFunderlineClick(TSender E);
  void btRTFincSizeClick(TSender E);
  void btRTFdecSizeClick(TSender E);
  void btRTFgreekClick(TSender E);
  void btRTFcourierClick(TSender E);
  void btRTFsubscriptClick(TSender E);
  void btRTFsuperscriptClick(TSender E);
  void btRTFreportClick(TSender E);
  void btFontDialogClick(TSender E);

  // Set by "Set dLam": the next test takes its hyperfine half window from edHFSdLam.
  bool ZeeHFSdLamSet = false;
  // Panels drawn by the last test (0 before the first).
  int32_t ZeePanelsDrawn = 0;
};
