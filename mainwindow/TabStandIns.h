// The tabs that other issues build, as stand-ins: each holds its sheet's form and what the shell
// and the message hook already call of it. A stand-in says so inside its sheet (a label
// "<caption> - функция пока недоступна" at the top) and, the first time the sheet is shown, in
// one line of the panel ("UM"); its sheet's own events do nothing. What runs by itself (resize,
// close, start-up) does nothing until the tab exists; what the user asks for reports that it is
// not available yet. The issue that builds a tab replaces its stand-in here by the tab's own
// class and files.
#pragma once
#include <cstdint>

#include "Corvesta/TabCOPIForm.h"
#include "Corvesta/TabCORAForm.h"
#include "Corvesta/TabDiForm.h"
#include "Corvesta/TabDialogForm.h"
#include "Corvesta/TabFITSForm.h"
#include "Corvesta/TabGIFForm.h"
#include "Corvesta/TabGrafForm.h"
#include "Corvesta/TabModelsForm.h"
#include "Corvesta/TabVARIForm.h"
#include "Corvesta/TabVEMOForm.h"
#include "Corvesta/TabZeeForm.h"
#include "app/cvWinLink.h"
#include "mainwindow/CorvestaTab.h"
#include "platform/qt/FormControls.h"
#include "synthesis/pictures/cvCora.h"

namespace standin {
// The notice label at the top of the tab's sheet.
platform::TLabel* AddNotice(const TCorvestaTab& Tab);
// The notice as a line of the panel; false when there is no panel to write to.
bool NoteInPanel(const TCorvestaTab& Tab);
}  // namespace standin

// A tab not built yet: its form and its notice.
template <class Form>
class TTabStandIn : public TFormTab<Form> {
 public:
  explicit TTabStandIn(TCorvesta& Shell) : TFormTab<Form>(Shell) {}
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override {
    TFormTab<Form>::BuildForm(F, R);
    lbNotice = standin::AddNotice(*this);
  }
  void Show() override {
    if (!Noted_) Noted_ = standin::NoteInPanel(*this);
  }
  // "<caption> - функция пока недоступна" at the top of the sheet.
  platform::TLabel* lbNotice = nullptr;

 private:
  bool Noted_ = false;
};

using TTabZee = TTabStandIn<TabZeeForm>;
using TTabModels = TTabStandIn<TabModelsForm>;
using TTabVEMO = TTabStandIn<TabVEMOForm>;
using TTabDialog = TTabStandIn<TabDialogForm>;
using TTabVARI = TTabStandIn<TabVARIForm>;
using TTabDi = TTabStandIn<TabDiForm>;

// The FITS tab.
class TTabFITS : public TTabStandIn<TabFITSForm> {
 public:
  using TTabStandIn::TTabStandIn;
  // The map index of the tab (-1: none).
  int32_t iMapIndex = -1;
};

// The Graf tab: the graphics player of the editor's tables. Esc returns to the Texts tab.
class TTabGraf : public TTabStandIn<TabGrafForm> {
 public:
  using TTabStandIn::TTabStandIn;
  TPageInput Input() override { return GrafPageInput(); }
  // Two columns of a text table plotted as a curve in the picture window.
  void PlayGraphic();
};

// The GIF tab: spectrogram pictures measured with the mouse (the hook's picking and dragging
// over its picture panel, the arrow keys moving the picture).
class TTabGIF : public TTabStandIn<TabGIFForm>, public TGIFTabLink {
 public:
  using TTabStandIn::TTabStandIn;
  TPageInput Input() override { return GIFPageInput(*this); }
  // The picture's offsets.
  int32_t iGIFOrgX = -5, iGIFMirror = -5;
  // The current marker moved to the cursor while the left button is down.
  void CurrentMove() override {}
  void SaveGIFTunes() {}
  // The work bitmaps resized to the CORA picture's size.
  void ResizeGIFBitmaps(int32_t W, int32_t H) {
    (void)W;
    (void)H;
  }
  void Closing() override { SaveGIFTunes(); }
};

// The CORA tab: the contour and raster pictures. Esc returns to the Texts tab and stops the
// animation timer. Until the tab's controls come, a frame-sequence description opened from the
// Texts tab ("ЧислоКонтуров" in its first line) is drawn on ImageCORA from the profile list:
// one frame at once, several animated by ViewTimer (the panel shows "CORA <frame>/<frames>").
class TTabCORA : public TTabStandIn<TabCORAForm>, public TCORATabLink {
 public:
  using TTabStandIn::TTabStandIn;
  ~TTabCORA() override;
  TPageInput Input() override { return CORAPageInput(*this); }
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  // The shell's timer "ViewTimer" drives the animation.
  void SetViewTimer(bool On) override;
  int32_t iCORAWork = 13;
  // The description file read and its first frame drawn, or its animation started.
  void ReadAndDrow(const std::string& FileName);
  // One tick: the next frame drawn (none while a job runs: the profile list is the job's); a
  // frame with a plot that could not be drawn stops the timer, and so does a tick while another
  // tab is shown.
  void ViewTimerTimer(TSender E);
  std::unique_ptr<TCORA> CurCORA;

 private:
  void DrawCurrent();
};

// The CoPi tab: the picture colours and the screen calibration of the view.
class TTabCOPI : public TTabStandIn<TabCOPIForm> {
 public:
  using TTabStandIn::TTabStandIn;
  void SaveCoPiTunes() {}
  // The view picture sized from the screen calibration.
  void FillViewSize() {}
  // The picture colours read from the Pict settings set.
  void LoadPictColors() {}
  void Closing() override { SaveCoPiTunes(); }
};
