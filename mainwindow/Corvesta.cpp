#include "mainwindow/Corvesta.h"

#include <optional>
#include <thread>

#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabWidget>
#include <fstream>

#include "Corvesta/CorvestaForms.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "app/cvWinLink.h"
#include "app/qt/QtInfWidget.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "mainwindow/FormScale.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/RichEdit.h"

TCorvesta* Corvesta = nullptr;

// ---------------------------------------------------------------- the sender of a report

TSenderInfo SenderInfoOf(QObject* Sender) {
  TSenderInfo I;
  if (!Sender) return I;
  const std::string kind = Sender->property("formClass").toString().toStdString();
  auto windowData = [&I](QWidget* W) {
    const QRect G(W->mapToGlobal(QPoint(0, 0)), W->size());
    I.Left = G.left();
    I.Top = G.top();
    I.Right = G.left() + G.width();
    I.Bottom = G.top() + G.height();
    const uintptr_t id = W->internalWinId() ? static_cast<uintptr_t>(W->internalWinId())
                                            : reinterpret_cast<uintptr_t>(W);
    I.Handle = static_cast<uint32_t>(id);
    I.ProcessId = static_cast<int64_t>(getpid());
  };
  if (auto* A = qobject_cast<QAction*>(Sender)) {
    if (auto* M = qobject_cast<QMenu*>(A->parent()); M && !qobject_cast<QMenuBar*>(A->parent())) {
      I.Kind = TSenderKind::PopupList;
      I.Caption = platform::FromQtStr(A->text());
      I.ClassName = "TPopupList";
      windowData(M);
      return I;
    }
    I.Kind = TSenderKind::Other;
    I.ClassName = kind.empty() ? "TMenuItem" : kind;
    return I;
  }
  if (kind == "TButton" || kind == "TBitBtn") {
    auto* W = qobject_cast<QWidget*>(Sender);
    I.Kind = TSenderKind::Button;
    if (auto* B = qobject_cast<QAbstractButton*>(Sender)) I.Caption = platform::FromQtStr(B->text());
    I.ClassName = kind;
    if (W) windowData(W);
    return I;
  }
  if (kind == "TTabSheet") {
    I.Kind = TSenderKind::TabSheet;
    I.Caption = platform::FromQtStr(Sender->property("caption").toString());
    return I;
  }
  I.Kind = TSenderKind::Other;
  I.ClassName = kind.empty() ? std::string(Sender->metaObject()->className()) : kind;
  return I;
}

// ---------------------------------------------------------------- the link of the frame

class TCorvestaLink : public TMainWindowLink {
 public:
  explicit TCorvestaLink(TCorvesta* F) : F_(F) {}
  platform::TControl* Form() override { return F_->FormHandle(); }
  platform::TControl* Control(const std::string& Name) override { return F_->Handle(Name); }
  std::string FocusedName() override {
    QWidget* W = QApplication::focusWidget();
    return W ? W->objectName().toStdString() : std::string();
  }
  std::string FocusedClassName() override {
    QWidget* W = QApplication::focusWidget();
    return W ? W->property("formClass").toString().toStdString() : std::string();
  }
  std::string ActivePageName() override { return F_->ActivePageName(); }
  void ShowPage(const std::string& Name) override { F_->ShowPage(Name); }
  void FocusControl(const std::string& Name) override {
    if (auto* W = qobject_cast<QWidget*>(F_->Control(Name))) W->setFocus();
  }
  // A hidden control keeps its place: the control switch asks for the rectangle of the panel
  // that its list covers while the panel is hidden.
  TRect ScreenRect(const std::string& Name) override {
    auto* W = qobject_cast<QWidget*>(F_->Control(Name));
    if (!W) return {};
    const QPoint P = W->mapToGlobal(QPoint(0, 0));
    return TRect{P.x(), P.y(), P.x() + W->width(), P.y() + W->height()};
  }
  bool ButtonDown(const std::string& Name) override {
    auto* B = dynamic_cast<platform::TSpeedButton*>(F_->Control(Name));
    return B && B->Down();
  }
  bool DroppedDown(const std::string& Name) override {
    auto* C = dynamic_cast<platform::TComboBox*>(F_->Control(Name));
    return C && C->DroppedDown();
  }
  platform::TTimer* MainTimer() override { return F_->MainTimer; }
  void DbgWheelUp() override { F_->DebugTab().DbgWheelUp(); }
  void DbgWheelDown() override { F_->DebugTab().DbgWheelDown(); }
  void EdTuneListShow() override { F_->EdTab().EdTuneListShow(); }
  void EdTuneListHide() override { F_->EdTab().EdTuneListHide(); }
  void RichSelSizeInc() override {
    if (platform::TRichEdit* R = rich::Focused()) rich::SelSizeInc(*R);
  }
  void RichSelSizeDec() override {
    if (platform::TRichEdit* R = rich::Focused()) rich::SelSizeDec(*R);
  }
  void RichSelToggleSymbol() override {
    if (platform::TRichEdit* R = rich::Focused()) rich::SelToggleSymbol(*R);
  }

 private:
  TCorvesta* F_;
};

// ---------------------------------------------------------------- construction

namespace {

// The page area of a page control, as its style places it. A hidden QTabWidget defers its own
// layout until it is shown, so its pages keep their first size (640 by 480) until then.
QRect PageArea(const QTabWidget* PC) {
  struct Access : QTabWidget {
    using QTabWidget::initStyleOption;
  };
  QStyleOptionTabWidgetFrame opt;
  (PC->*&Access::initStyleOption)(&opt);
  return PC->style()->subElementRect(QStyle::SE_TabWidgetTabContents, &opt, PC);
}

// Lays out a sheet at the size of the page area before the window is shown, so that the sizes
// of its controls are those the user will see.
void LayOutSheetNow(platform::TPageControl* PC, platform::TTabSheet* Sheet) {
  if (!PC || !Sheet) return;
  Sheet->resize(PageArea(PC).size());
  if (QLayout* L = Sheet->layout()) {
    L->invalidate();  // laid out once already: activate alone would do nothing
    L->activate();
  }
}

}  // namespace

int32_t PanelInt(const std::string& Code) {
  if (!App || !App->Inf) return 0;
  const TInfField* F = App->Inf->FindFld(Code);
  // The value the field holds (GetInt serves editable fields only).
  if (!F || !F->Log || (F->CD != 'I' && F->CD != 'L' && F->CD != 'i')) return 0;
  return F->Log->HasValue() ? static_cast<int32_t>(F->Log->S()) : 0;
}

TCorvesta::TCorvesta(QWidget* Parent) : QWidget(Parent) {
  const std::vector<platform::TFormEvent> bindings = BuildTabs();
  Events.Guard = [this](QObject* S, const std::function<void()>& Run) { Guarded(S, Run); };
  Events.OnMissing = [](const std::string& H) { cvlink::NotAvailable(H); };
  RegisterShellHandlers();
  for (const auto& T : Tabs_) T->RegisterHandlers(Handlers);
  BindProblems = Events.Bind(bindings);
  for (const auto& T : Tabs_) {
    TPageInput I = T->Input();
    if (I.Empty()) continue;
    RegisterPageInput(T->PageName(), std::move(I));
    PageInputs_.push_back(T->PageName());
  }
  InfStrip->installEventFilter(this);
  Link_ = std::make_unique<TCorvestaLink>(this);
  SetMainWindowLink(Link_.get());
  Events.Fire("Corvesta", "OnCreate");
}

TCorvesta::~TCorvesta() {
  Jobs.Shutdown();
  if (Ed && Ed->Memo == static_cast<platform::Memo*>(EdTab().MemoEd)) Ed->Unbind();
  if (&MainWindowLink() == Link_.get()) SetMainWindowLink(nullptr);
  for (const std::string& P : PageInputs_) RegisterPageInput(P, {});
  InfStrip->removeEventFilter(this);
  if (Corvesta == this) Corvesta = nullptr;
}

bool TCorvesta::StartDBJob(std::shared_ptr<TJob> Job, TDBWork Work, TQtJobRunner::TDone Done,
                           bool NeedDB) {
  if (Jobs.Busy() || TQtJobRunner::Active()) {
    Jobs.SayBusy();
    return false;
  }
  const bool db = NeedDB ? DMReady() : (DM && DM->Connected());
  if (NeedDB && !db) return false;
  const std::string file = db ? DM->ADOConnection.FileName() : std::string();
  const std::thread::id window = std::this_thread::get_id();
  return Jobs.Start(
      std::move(Job),
      [file, window, Work = std::move(Work)](TJob& J) {
        TDM own;
        if (!file.empty() && !own.ConnectShared(file)) {
          J.Fail("База данных <"_cp + file + "> не открыта для задания"_cp);
          return;
        }
        std::optional<TJobDataScope> scope;
        if (own.Connected()) scope.emplace(&own, window);
        Work(J, own);
      },
      [Done = std::move(Done)](TJob& J) {
        // what the job committed becomes visible to the window's open tables
        if (DM && DM->Connected()) DM->ADOConnection.RequeryOpenTables();
        if (Done) Done(J);
      });
}

template <class T>
T* TCorvesta::AddTab(T*& Slot) {
  auto tab = std::make_unique<T>(*this);
  Slot = tab.get();
  Tabs_.push_back(std::move(tab));
  return Slot;
}

std::vector<platform::TFormEvent> TCorvesta::BuildTabs() {
  // One object per sheet, in the sheets' order.
  AddTab(Ed_);
  AddTab(DB_);
  AddTab(Debug_);
  AddTab(Start_);
  AddTab(FITS_);
  AddTab(Zee_);
  AddTab(Graf_);
  AddTab(GIF_);
  AddTab(CORA_);
  AddTab(Models_);
  AddTab(VEMO_);
  AddTab(Proj_);
  AddTab(Test_);
  AddTab(COPI_);
  AddTab(Unno_);
  AddTab(Dialog_);
  AddTab(VARI_);
  AddTab(Di_);
  // The forms in the generator's order (a form after the forms that make its targets) and
  // their bindings in the same order.
  std::vector<platform::TFormEvent> bindings;
  for (const char* name : CorvestaForms::FormNames()) {
    std::span<const platform::TFormEvent> events;
    if (std::string(name) == ShellForm::FormName) {
      ShellForm::Build(this, Registry);
      events = ShellForm::EventTable();
    } else {
      TCorvestaTab* owner = nullptr;
      for (const auto& T : Tabs_)
        if (std::string(T->FormName()) == name) owner = T.get();
      if (!owner) throw std::logic_error(std::string("TCorvesta: no tab holds the form ") + name);
      owner->BuildForm(this, Registry);
      events = owner->FormEvents();
    }
    bindings.insert(bindings.end(), events.begin(), events.end());
  }
  return bindings;
}

#define CV_SHELL_HANDLER(Name) Handlers.Add(#Name, [this](TSender E) { Name(E); })

void TCorvesta::RegisterShellHandlers() {
  CV_SHELL_HANDLER(FormCreate);
  CV_SHELL_HANDLER(FormClose);
  CV_SHELL_HANDLER(FormShow);
  CV_SHELL_HANDLER(FormMouseDown);
  CV_SHELL_HANDLER(FormMouseMove);
  CV_SHELL_HANDLER(FormMouseUp);
  CV_SHELL_HANDLER(FormResize);
  CV_SHELL_HANDLER(FormPaint);
  CV_SHELL_HANDLER(MainTimerTimer);
  CV_SHELL_HANDLER(NFileClick);
}

void TCorvesta::Guarded(QObject* Sender, const std::function<void()>& Run) {
  if (!App) {
    Run();
    return;
  }
  const TSenderInfo I = SenderInfoOf(Sender);
  App->Guard(&I, Run);
}

QObject* TCorvesta::Control(const std::string& Name) const { return Registry.Find(Name); }

platform::TControl* TCorvesta::Handle(const std::string& Name) const {
  return platform::QtHandle(qobject_cast<QWidget*>(Registry.Find(Name)));
}

platform::TControl* TCorvesta::FormHandle() const {
  return platform::QtHandle(const_cast<TCorvesta*>(this));
}

void TCorvesta::FreeComponent(const std::string& Name) {
  if (QObject* O = Control(Name)) delete O;
}

void TCorvesta::RePositeImageDialog() {
  const int32_t before = DialogTab().DialogImageReserve;
  DialogTab().RePositeImageDialog();
  iDialogAddH += DialogTab().DialogImageReserve - before;
}

void TCorvesta::ShowPage(const std::string& Name) {
  if (auto* S = dynamic_cast<platform::TTabSheet*>(Control(Name))) PageControl->SetActivePage(S);
}

bool TCorvesta::IsActivePage(const std::string& Name) const {
  return PageControl->ActivePageName() == Name;
}

std::string TCorvesta::ActivePageName() const { return PageControl->ActivePageName(); }

TCorvestaTab* TCorvesta::Tab(const std::string& PageName) const {
  for (const auto& T : Tabs_)
    if (T->PageName() == PageName) return T.get();
  return nullptr;
}

TCorvestaTab* TCorvesta::ActiveTab() const { return Tab(ActivePageName()); }

// ---------------------------------------------------------------- creation and closing

void TCorvesta::FormCreate(TSender) {
  // The form's size for its screen (the primary one at start), from the design size: FormScale.h
  // says which steps of the rule are applied here and which are Qt's own.
  FitFormToScreen(this, screen());

  // Working fields of the shell (the tabs' own start with their objects).
  qProjCtrlsReady = false;
  iDialogAddH = 0;

  // Margins of the three pictures to the form, from the layout at this size.
  if (QLayout* L = layout()) L->activate();
  LayOutSheetNow(PageControl, TabCORA);
  LayOutSheetNow(PageControl, TabModels);
  LayOutSheetNow(PageControl, TabDialog);
  const platform::TImage* ImageCORA = CORATab().ImageCORA;
  const platform::TImage* ImageMod = ModelsTab().ImageMod;
  const platform::TImage* ImageDialog = DialogTab().ImageDialog;
  iFormW = width();
  iFormH = height();
  iCORAdW = iFormW - ImageCORA->width();
  iCORAdH = iFormH - ImageCORA->height();
  iModdW = iFormW - ImageMod->width();
  iModdH = iFormH - ImageMod->height();
  iDialogdW = iFormW - ImageDialog->width();
  iDialogdH = iFormH - ImageDialog->height();
}

void TCorvesta::FormShow(TSender) {}

void TCorvesta::FormClose(TSender) {
  // The tab shown keeps its own settings (CoPi, GIF).
  if (TCorvestaTab* T = ActiveTab()) T->Closing();
  if (!App) return;
  if (App->Inf) App->Inf->SaveGroups();
  // Every set is saved even when one of them fails; the failures are reported together (and
  // the window still closes).
  std::string errors;
  for (TTunes* T : {App->TunGlobal.get(), App->TunCommon.get(), App->TunSizes.get(),
                    App->TunPict.get(), App->TunFITS.get()}) {
    if (!T) continue;
    try {
      T->Save();
    } catch (const std::exception& e) {
      errors += e.what();
    }
  }
  if (!errors.empty()) throw EInOutError(errors);
}

// ---------------------------------------------------------------- form events

QPoint TCorvesta::StripPoint(int32_t FormX, int32_t FormY) const {
  return InfStrip->mapFrom(this, QPoint(FormX, FormY));
}

bool TCorvesta::eventFilter(QObject* Watched, QEvent* Event) {
  // The panel's strip is part of the form's client area: its mouse events are the form's.
  if (Watched == InfStrip) {
    const QEvent::Type t = Event->type();
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
        t == QEvent::MouseMove) {
      auto* M = static_cast<QMouseEvent*>(Event);
      const QPoint P = InfStrip->mapTo(this, M->position().toPoint());
      platform::TFormEventArgs A;
      A.Sender = this;
      A.X = P.x();
      A.Y = P.y();
      A.Button = M->button() == Qt::RightButton    ? platform::TMouseButton::Right
                 : M->button() == Qt::MiddleButton ? platform::TMouseButton::Middle
                                                   : platform::TMouseButton::Left;
      A.LeftDown = M->buttons() & Qt::LeftButton;
      const char* ev = t == QEvent::MouseButtonPress     ? "OnMouseDown"
                       : t == QEvent::MouseButtonRelease ? "OnMouseUp"
                                                         : "OnMouseMove";
      Events.Fire("Corvesta", ev, A);
      return t != QEvent::MouseMove;
    }
  }
  return QWidget::eventFilter(Watched, Event);
}

void TCorvesta::FormMouseDown(TSender E) {
  ptCursor = platform::CursorScreenPos();
  GIFTab().lbMouse->SetCaption(IntStr(ptCursor.X) + ":" + IntStr(ptCursor.Y));
  if (!App || !App->Inf) return;
  const QPoint P = StripPoint(E.X, E.Y);
  bool inside = false;
  App->Inf->MouseDown(InfStrip->Form(), E.Button, P.x(), P.y(), inside);
}

void TCorvesta::FormMouseMove(TSender E) {
  if (E.LeftDown) GIFTab().CurrentMove();
}

void TCorvesta::FormMouseUp(TSender E) {
  iMouseUpX = E.X;
  iMouseUpY = E.Y;
  if (!App || !App->Inf) return;
  const QPoint P = StripPoint(E.X, E.Y);
  App->Inf->MouseUp(P.x(), P.y());
  if (E.Button == platform::TMouseButton::Right && TimeSup)
    TimeSup->ArmTimer("popup", 401, [this](int32_t) { PopupInfMenu(); });
}

void TCorvesta::PopupInfMenu() {
  if (TimeSup) TimeSup->DelTimer("popup");
  BusStop();
  bool shown = false;
  if (App && App->Inf && App->Inf->MouseUpInside) {
    platform::QtMenu M(PopupMenuInf);
    App->Inf->FillGroupMenu(&M, "NDivider", [this](platform::TMenu& Menu, int32_t Index) {
      Guarded(PopupMenuInf, [&]() { NVizClick(Menu, Index); });
    });
    // The clock stands still while the menu is open.
    const QMetaObject::Connection restart = QObject::connect(
        PopupMenuInf, &QMenu::aboutToHide, this, []() { BusStart(); }, Qt::SingleShotConnection);
    M.Popup(TPoint{x() + iMouseUpX, y() + iMouseUpY});
    shown = PopupMenuInf->isVisible();
    if (!shown) QObject::disconnect(restart);
  }
  if (!shown) BusStart();
}

void TCorvesta::NVizClick(platform::TMenu& Menu, int32_t Index) {
  if (!App || !App->Inf) return;
  TInfGroup* G = App->Inf->FindGroup(Menu.ItemName(Index));
  Menu.SetChecked(Index, !Menu.Checked(Index));
  if (G) G->Shown = Menu.Checked(Index);
  App->Inf->RebuildVisible();
  WARN("NVizClick - Play");
  App->Inf->DrawAll();
}

void TCorvesta::FormResize(TSender) {
  const int32_t W = width(), H = height();
  auto fit = [](int32_t V) { return V < 0 ? 0 : V; };
  const int32_t cw = fit(W - iCORAdW), ch = fit(H - iCORAdH);
  CORATab().ImageCORA->SetPictureSize(cw, ch);
  ModelsTab().ImageMod->SetPictureSize(fit(W - iModdW), fit(H - iModdH));
  DialogTab().ImageDialog->SetPictureSize(fit(W - iDialogdW), fit(H - iDialogdH + iDialogAddH));
  COPITab().FillViewSize();
  GIFTab().ResizeGIFBitmaps(cw, ch);
  UnnoTab().UnnoRowsPerPage();
  if (App && App->Inf) {
    App->Inf->Resize(InfStrip->Form());
    App->Inf->DrawAll();
  }
}

void TCorvesta::FormPaint(TSender) {
  if (FormPainting_) return;
  FormPainting_ = true;
  if (App && App->Inf) App->Inf->DrawAll();
  if (App && !App->sExeDir.empty()) {
    std::string d = App->sExeDir;
    while (!d.empty() && (d.back() == '/' || d.back() == '\\')) d.pop_back();
    const size_t p = d.find_last_of("/\\");
    const QString title = platform::QtStr("Corvesta " + (p == std::string::npos ? d : d.substr(p + 1)));
    if (windowTitle() != title) setWindowTitle(title);
  }
  FormPainting_ = false;
}

void TCorvesta::MainTimerTimer(TSender) { TimeSupTick(); }

void TCorvesta::NFileClick(TSender) { WARNAbs("МЕНЮ : File!"_cp); }

// ---------------------------------------------------------------- services

void TCorvesta::DoTest(TInfField* Field) {
  WARNAbs("Hellow WORLD! <" + (Field ? Field->DisplayText() : std::string()) + ">");
}

void TCorvesta::MemTrendCheck(const std::string& Text) {
  // Available memory in bytes (the system's estimate of what can still be allocated).
  int64_t avail = 0;
  std::ifstream f("/proc/meminfo");
  std::string key;
  int64_t kb = 0;
  std::string unit;
  while (f >> key >> kb) {
    std::getline(f, unit);
    if (key == "MemAvailable:") {
      avail = kb * 1024;
      break;
    }
  }
  iMemAvail = avail;
  const int64_t d = iMemAvail - iMemLast;
  iMemLast = iMemAvail;
  if (qMemTrace) WARNAbs(Text + " memTrand = " + std::to_string(d));
}
