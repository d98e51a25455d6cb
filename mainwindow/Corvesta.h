// The main window's shell: the shell form (the page control with its eighteen sheets, the
// panel's strip, the timers and menus), one object per tab (mainwindow/CorvestaTab.h), the
// registry of the window's controls by name, the one handler registry and its dispatcher, and
// the shell's own routines: creation, closing (which saves the five settings sets), the
// pictures' margins to the form on resize, the form's mouse, paint and timer events.
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
#include <vector>

#include "Corvesta/ShellForm.h"
#include "app/cvApp.h"
#include "app/qt/QtJobRunner.h"
#include "app/cvEd.h"
#include "mainwindow/CorvestaTab.h"
#include "mainwindow/TabDB.h"
#include "mainwindow/TabDebug.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabModels.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/TabZee.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/TabUnno.h"
#include "mainwindow/TabVEMO.h"
#include "platform/Canvas.h"
#include "platform/qt/FormRegistry.h"

class TInfField;
class TCorvestaLink;
class TDM;

// The description of a sender for the exception report: buttons and popup lists with their
// window data, tab sheets with their caption, other controls with their kind.
TSenderInfo SenderInfoOf(QObject* Sender);

// The integer a panel field holds (0 without a panel, field or value).
int32_t PanelInt(const std::string& Code);

class TCorvesta : public QWidget, public ShellForm {
 public:
  explicit TCorvesta(QWidget* Parent = nullptr);
  ~TCorvesta() override;

 public:
  // ---- jobs ----
  // The program's one job runner: every tab starts its jobs here (TCorvestaTab::Jobs), so one
  // job runs at a time and Esc and Space always reach the job that runs. Declared before the
  // tabs, which refer to it; the window's closing cancels its job first.
  TQtJobRunner Jobs;
  using TDBWork = std::function<void(TJob&, TDM&)>;
  // Starts a job on the line database: Work runs on the worker with a data module of its own,
  // connected to DM's file (and reached by every line load of the job, TJobDataScope), so its
  // transaction holds only its own writes; the window's tables read the file again when it ends,
  // before Done. False (with a panel line or a warning) when a job runs already or the database
  // cannot be used. NeedDB false: a job that also runs without the database (its module then
  // stays unconnected).
  bool StartDBJob(std::shared_ptr<TJob> Job, TDBWork Work, TQtJobRunner::TDone Done = {},
                  bool NeedDB = true);

 private:
  // Owners of the tab objects, in sheet order (declared before the registries: the dispatcher
  // and the handlers that call the tabs go first).
  std::vector<std::unique_ptr<TCorvestaTab>> Tabs_;

 public:
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
  // The first control of that exact (case-sensitive) name, nullptr when none (the Dialog
  // builder's rows are found so); a control freed by name (nothing when there is none).
  QObject* ComponentByName(const std::string& Name) const { return Control(Name); }
  void FreeComponent(const std::string& Name);
  // The Dialog tab's picture laid out below its last visible parameter row.
  void RePositeImageDialog();
  // Tab sheets by component name.
  void ShowPage(const std::string& Name);
  bool IsActivePage(const std::string& Name) const;
  std::string ActivePageName() const;

  // ---- the tabs ----
  // The tab of a sheet (nullptr for a name that is no sheet); the active page's tab.
  TCorvestaTab* Tab(const std::string& PageName) const;
  TCorvestaTab* ActiveTab() const;
  const std::vector<std::unique_ptr<TCorvestaTab>>& Tabs() const { return Tabs_; }
  TTabEd& EdTab() const { return *Ed_; }
  TTabDB& DBTab() const { return *DB_; }
  TTabDebug& DebugTab() const { return *Debug_; }
  TTabStart& StartTab() const { return *Start_; }
  TTabFITS& FITSTab() const { return *FITS_; }
  TTabZee& ZeeTab() const { return *Zee_; }
  TTabGraf& GrafTab() const { return *Graf_; }
  TTabGIF& GIFTab() const { return *GIF_; }
  TTabCORA& CORATab() const { return *CORA_; }
  TTabModels& ModelsTab() const { return *Models_; }
  TTabVEMO& VEMOTab() const { return *VEMO_; }
  TTabProj& ProjTab() const { return *Proj_; }
  TTabTest& TestTab() const { return *Test_; }
  TTabCOPI& COPITab() const { return *COPI_; }
  TTabUnno& UnnoTab() const { return *Unno_; }
  TTabDialog& DialogTab() const { return *Dialog_; }
  TTabVARI& VARITab() const { return *VARI_; }
  TTabDi& DiTab() const { return *Di_; }

  // ---- working fields of the shell ----
  int32_t iMouseUpX = 0, iMouseUpY = 0;
  TPoint ptCursor{};
  // The form's size at creation and the margins of the CORA, Models and Dialog pictures to it.
  int32_t iFormW = 0, iFormH = 0;
  int32_t iCORAdW = 0, iCORAdH = 0, iModdW = 0, iModdH = 0, iDialogdW = 0, iDialogdH = 0;
  int32_t iDialogAddH = 0;
  int64_t iMemAvail = 0, iMemLast = 0;
  bool qMemTrace = false;
  // The picture the view calibration refers to: "ImageCORA" (the CORA tab) or "ImageDialog".
  std::string ViewImageName = "ImageCORA";
  // Set by the first show of the Project or the Graf tab, whichever comes first.
  bool qProjCtrlsReady = false;

  // ---- shell routines ----
  void FormCreate(TSender E);
  void FormClose(TSender E);
  void FormShow(TSender E);

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
  void DoTest(TInfField* Field);
  // The Project tab's routines that other tabs and the runs call: the hints of the file buttons
  // and the option files read, the file buttons' states, the Debug tab's switches.
  void TabControlsSetDirs() { ProjTab().TabControlsSetDirs(); }
  void UpDateButtons() { ProjTab().UpDateButtons(); }
  void ShowSayerSwitches() { DebugTab().ShowSayerSwitches(); }
  void MemTrendCheck(const std::string& Text);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  template <class T>
  T* AddTab(T*& Slot);
  // Makes the tabs, builds every form; the forms' bindings.
  std::vector<platform::TFormEvent> BuildTabs();
  void RegisterShellHandlers();
  void Guarded(QObject* Sender, const std::function<void()>& Run);
  QPoint StripPoint(int32_t FormX, int32_t FormY) const;
  std::unique_ptr<TCorvestaLink> Link_;
  // The pages whose input this window registered with the hook.
  std::vector<std::string> PageInputs_;
  bool FormPainting_ = false;
  TTabEd* Ed_ = nullptr;
  TTabDB* DB_ = nullptr;
  TTabDebug* Debug_ = nullptr;
  TTabStart* Start_ = nullptr;
  TTabFITS* FITS_ = nullptr;
  TTabZee* Zee_ = nullptr;
  TTabGraf* Graf_ = nullptr;
  TTabGIF* GIF_ = nullptr;
  TTabCORA* CORA_ = nullptr;
  TTabModels* Models_ = nullptr;
  TTabVEMO* VEMO_ = nullptr;
  TTabProj* Proj_ = nullptr;
  TTabTest* Test_ = nullptr;
  TTabCOPI* COPI_ = nullptr;
  TTabUnno* Unno_ = nullptr;
  TTabDialog* Dialog_ = nullptr;
  TTabVARI* VARI_ = nullptr;
  TTabDi* Di_ = nullptr;
};

// The one main window; nullptr outside the program's run.
extern TCorvesta* Corvesta;
