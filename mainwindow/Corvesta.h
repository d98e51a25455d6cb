// The main window: the generated forms (the shell, eighteen tab sheets, the panel's strip), the
// registry of its controls by name, the handlers of its events, and the shell's own routines:
// creation with the scaling to the screen, closing (which saves the five settings sets), the
// logger settings, the editor's callbacks, the Texts tab and the form's mouse, resize, paint
// and timer events.
//
// Every event of the forms runs its handler (looked up by name at start) inside one guard: an
// exception becomes the application's exception report and the program goes on. An event whose
// handler is not written yet reports "<handler> - функция пока недоступна".
#pragma once
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "Corvesta/CorvestaForms.h"
#include "app/cvApp.h"
#include "app/cvEd.h"
#include "platform/Canvas.h"
#include "platform/qt/FormRegistry.h"

class TInfField;
class TCorvestaLink;

// The description of a sender for the exception report: buttons and popup lists with their
// window data, tab sheets with their caption, other controls with their kind.
TSenderInfo SenderInfoOf(QObject* Sender);

using TSender = const platform::TFormEventArgs&;

// The integer a panel field holds (0 without a panel, field or value).
int32_t PanelInt(const std::string& Code);

class TCorvesta : public QWidget, public CorvestaForms {
 public:
  explicit TCorvesta(QWidget* Parent = nullptr);
  ~TCorvesta() override;

  // ---- controls and handlers by name ----
  platform::TFormRegistry Registry;
  platform::THandlerRegistry Handlers;
  platform::TFormDispatcher Events{Registry, Handlers};
  // The bindings that could not be made at start (none when the forms are sound).
  std::vector<std::string> BindProblems;
  // A control by component name (nullptr when none); every lookup by name goes through here.
  QObject* Control(const std::string& Name) const;
  // The handle of a control for the frame's routines (platform::TControl).
  platform::TControl* Handle(const std::string& Name) const;
  platform::TControl* FormHandle() const;
  // Tab sheets by component name.
  void ShowPage(const std::string& Name);
  bool IsActivePage(const std::string& Name) const;
  std::string ActivePageName() const;

  // ---- working fields ----
  std::string sEdReturnTab;
  int32_t iMouseUpX = 0, iMouseUpY = 0;
  TPoint ptCursor{};
  int32_t iFormW = 0, iFormH = 0;
  int32_t iCORAdW = 0, iCORAdH = 0, iModdW = 0, iModdH = 0, iDialogdW = 0, iDialogdH = 0;
  int32_t iDialogAddH = 0;
  int64_t iMemAvail = 0, iMemLast = 0;
  bool qMemTrace = false;
  int32_t iDbgLine = 0, iDbgCol = 0;
  bool qDbgFileBusy = false;
  bool qProjCtrlsReady = false;
  // Flags and measuring fields of the other tabs (their issues give them names and meaning).
  bool qTabFlags[12] = {};
  int32_t iGIFOrgX = -5, iGIFMirror = -5;
  int32_t iCORAWork = 13;
  int32_t iMapIndex = -1;

  // ---- shell routines ----
  void FormCreate(TSender E);
  void FormClose(TSender E);
  void FormShow(TSender E);
  // Settings of the message sink from the Common set (switches, log file, Debug tab boxes).
  void LoadSayerTunes();
  // The Data tab's list of the data module's select texts.
  void FillQueryList();
  void DbgWheelUp();
  void DbgWheelDown();
  // The editor's callbacks.
  void OpenEdFile();
  void ShowEdTab();
  void NoteEdReturnTab();
  void TabDBShow(TSender E);
  void TabDebugShow(TSender E);
  // Adds a line of the message sink to MemoDbg.
  void DbgMemoHook(const std::string& Text, const std::string& Caption);

  // ---- form events ----
  void FormMouseDown(TSender E);
  void FormMouseMove(TSender E);
  void FormMouseUp(TSender E);
  void FormResize(TSender E);
  void FormPaint(TSender E);
  void MainTimerTimer(TSender E);
  void NFileClick(TSender E);
  void PopupInfMenu();
  void NVizClick(platform::TMenu& Menu, int32_t Index);

  // ---- services for the frame ----
  void EdStatusShow(const TEdStatus& S);
  void DoTest(TInfField* Field);
  void MemTrendCheck(const std::string& Text);
  void EdTuneListShow();
  void EdTuneListHide();
  void SetXColCaption();

  // ---- the Texts tab ----
  void TabEdShow(TSender E);
  void TabEdHide(TSender E);
  void btHomeClick(TSender E);
  void btFileClick(TSender E);
  void btOpenClick(TSender E);
  void btEdOKClick(TSender E);
  void btSysDirsClick(TSender E);
  void Button3Click(TSender E);
  void btEdTestClick(TSender E);
  void btEdSearcDnClick(TSender E);
  void btEdSearcUpClick(TSender E);
  void btShowCalculatorClick(TSender E);
  void btFiltClick(TSender E);
  void btCancelClick(TSender E);
  void btEdExitClick(TSender E);
  void btSaveClick(TSender E);
  void cbEdCTRLChange(TSender E);
  void btJmpClick(TSender E);
  void btEnterClick(TSender E);
  void btedActColumnClick(TSender E);
  void btExcelExportClick(TSender E);
  void btExcelImportClick(TSender E);
  void pmedSaveClick(TSender E);
  void pmedCancelClick(TSender E);
  void pmedSetXColClick(TSender E);
  void pmedGrClick(TSender E);
  void pmedCol2ExClick(TSender E);
  void pmedTab2ExClick(TSender E);
  void pmedStatClick(TSender E);
  void pmedColAlignClick(TSender E);
  void pmedSortUpClick(TSender E);
  void pmedSortDnClick(TSender E);
  void pmedColCutClick(TSender E);
  // The memo's lines written to the file named in edFile.
  void SaveMemoToFile();
  // Search of the pattern in edReply from the caret, down or up; false when not found.
  bool SearchMemo(bool Down);

  // ---- routines of the tabs that other issues build (their stand-ins keep quiet) ----
  void SaveCoPiTunes();
  void SaveGIFTunes();
  void LoadPictColors();
  void FillViewSize();
  void ResizeGIFBitmaps(int32_t W, int32_t H);
  void UnnoRowsPerPage();
  void CurrentMove();
  void PlayGraphic();
  void ShowSayerSwitches();
  void DataTabShow();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void RegisterHandlers();
  void RegisterShellHandlers();
  void RegisterTabEdHandlers();
  void Guarded(QObject* Sender, const std::function<void()>& Run);
  QPoint StripPoint(int32_t FormX, int32_t FormY) const;
  std::unique_ptr<TCorvestaLink> Link_;
  bool FormPainting_ = false;
};

// The one main window; nullptr outside the program's run.
extern TCorvesta* Corvesta;
