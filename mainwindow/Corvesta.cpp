#include "mainwindow/Corvesta.h"

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

#include "app/AppLinks.h"
#include "app/cvCtrlUtil.h"
#include "app/cvDirs.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "app/cvWinLink.h"
#include "app/qt/QtInfWidget.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "mainwindow/FFiltr.h"
#include "mainwindow/FormScale.h"
#include "mainwindow/MainLinks.h"
#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtControls.h"

TCorvesta* Corvesta = nullptr;

// ---------------------------------------------------------------- the sender of a report

TSenderInfo SenderInfoOf(QObject* Sender) {
  TSenderInfo I;
  if (!Sender) return I;
  const std::string kind = Sender->property("vclClass").toString().toStdString();
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
    return W ? W->property("vclClass").toString().toStdString() : std::string();
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
  void SetViewTimer(bool On) override { F_->ViewTimer->SetEnabled(On); }
  void DbgWheelUp() override { F_->DbgWheelUp(); }
  void DbgWheelDown() override { F_->DbgWheelDown(); }
  void EdTuneListShow() override { F_->EdTuneListShow(); }
  void EdTuneListHide() override { F_->EdTuneListHide(); }
  void CurrentMove() override { F_->CurrentMove(); }

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
  BuildForms(this, Registry);
  Events.Guard = [this](QObject* S, const std::function<void()>& Run) { Guarded(S, Run); };
  Events.OnMissing = [](const std::string& H) { applinks::NotAvailable(H); };
  RegisterHandlers();
  BindProblems = Events.Bind(FormEvents());
  InfStrip->installEventFilter(this);
  Link_ = std::make_unique<TCorvestaLink>(this);
  SetMainWindowLink(Link_.get());
  Events.Fire("Corvesta", "OnCreate");
}

TCorvesta::~TCorvesta() {
  if (Ed && Ed->Memo == static_cast<platform::Memo*>(MemoEd)) Ed->Unbind();
  if (&MainWindowLink() == Link_.get()) SetMainWindowLink(nullptr);
  if (Sayer && Sayer->Hook && property("sinkHook").toBool()) Sayer->HookOff();
  InfStrip->removeEventFilter(this);
  if (Corvesta == this) Corvesta = nullptr;
}

void TCorvesta::RegisterHandlers() {
  RegisterShellHandlers();
  RegisterTabEdHandlers();
}

#define CV_HANDLER(Name) Handlers.Add(#Name, [this](TSender E) { Name(E); })

void TCorvesta::RegisterShellHandlers() {
  CV_HANDLER(FormCreate);
  CV_HANDLER(FormClose);
  CV_HANDLER(FormShow);
  CV_HANDLER(FormMouseDown);
  CV_HANDLER(FormMouseMove);
  CV_HANDLER(FormMouseUp);
  CV_HANDLER(FormResize);
  CV_HANDLER(FormPaint);
  CV_HANDLER(MainTimerTimer);
  CV_HANDLER(NFileClick);
  CV_HANDLER(TabDBShow);
  CV_HANDLER(TabDebugShow);
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

void TCorvesta::ShowPage(const std::string& Name) {
  if (auto* S = dynamic_cast<platform::TTabSheet*>(Control(Name))) PageControl->SetActivePage(S);
}

bool TCorvesta::IsActivePage(const std::string& Name) const {
  return PageControl->ActivePageName() == Name;
}

std::string TCorvesta::ActivePageName() const { return PageControl->ActivePageName(); }

// ---------------------------------------------------------------- creation and closing

void TCorvesta::FormCreate(TSender) {
  // The form's size for its screen (the primary one at start), from the design size: FormScale.h
  // says which steps of the rule are applied here and which are Qt's own.
  FitFormToScreen(this, screen());

  // Working fields of the tabs.
  for (bool& f : qTabFlags) f = false;
  qProjCtrlsReady = false;
  iGIFOrgX = iGIFMirror = -5;
  iCORAWork = 13;
  iMapIndex = -1;
  iDialogAddH = 0;

  // Margins of the three pictures to the form, from the layout at this size.
  if (QLayout* L = layout()) L->activate();
  LayOutSheetNow(PageControl, TabCORA);
  LayOutSheetNow(PageControl, TabModels);
  LayOutSheetNow(PageControl, TabDialog);
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
  if (IsActivePage("TabCOPI")) SaveCoPiTunes();
  if (IsActivePage("TabGIF")) SaveGIFTunes();
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

// ---------------------------------------------------------------- settings of the sink

void TCorvesta::LoadSayerTunes() {
  if (!App || !App->TunCommon) return;
  TTunes& T = *App->TunCommon;
  const bool q = T.Flag("SayerQF");
  const std::string n = T.Get("SayerFName");
  if (q)
    Sayer->OpenLog(PathBelow(App->sProjDir, n));
  else
    Sayer->CloseLog();
  EdDbgFile->SetText(n);
  qDbgFileBusy = true;
  cbFile->SetChecked(q);
  qDbgFileBusy = false;

  cbMesBox->SetChecked(T.Flag("SayerQS"));
  cbMemo->SetChecked(T.Flag("SayerQI"));
  cbWarn->SetChecked(T.Flag("SayerQW"));
  cbFlush->SetChecked(T.Flag("SayerQU"));
  cbHead->SetChecked(T.Flag("SayerQH"));
  cbTime->SetChecked(T.Flag("SayerQT"));

  if (cbMesBox->Checked())
    Sayer->BoxesOn();
  else
    Sayer->BoxesOff();
  if (cbMemo->Checked()) {
    Sayer->SetHook([this](const std::string& Text, const std::string& Caption) {
      DbgMemoHook(Text, Caption);
    });
    setProperty("sinkHook", true);
  } else {
    Sayer->HookOff();
  }
  if (cbWarn->Checked())
    Sayer->WarnOn();
  else
    Sayer->WarnOff();
  if (cbTime->Checked())
    Sayer->PrefixOn();
  else
    Sayer->PrefixOff();
  if (cbHead->Checked())
    Sayer->CaptionOn();
  else
    Sayer->CaptionOff();
  if (cbFlush->Checked())
    Sayer->FlushEachOn();
  else
    Sayer->FlushEachOff();
  EdDbgFile->setVisible(cbFile->Checked());
}

void TCorvesta::DbgMemoHook(const std::string& Text, const std::string& Caption) {
  MemoDbg->AddLine(Caption.empty() ? Text : Caption + " " + Text);
}

void TCorvesta::FillQueryList() {
  ListDB->ClearItems();
  if (!DM) return;
  for (const auto& ds : DM->DataSets())
    if (std::string(ds.Name) != "ADOQuery") ListDB->AddItem(ds.Table->CommandText());
}

// ---------------------------------------------------------------- the debug memo's wheel

void TCorvesta::DbgWheelUp() {
  int32_t L = 0, C = 0;
  MemoCaretPos(MemoDbg, L, C);
  if (L == 0) return;
  iDbgLine = L + 1;
  if (iDbgCol == 0) iDbgCol = C + 1;
  iDbgLine -= 3;
  const int32_t target = iDbgLine > 0 ? iDbgLine - 1 : L;
  int32_t col = iDbgCol > 0 ? iDbgCol - 1 : C;
  const int32_t len = static_cast<int32_t>(MemoDbg->Line(target).size());
  if (len < col + 1) col = len;
  MemoGotoLine(MemoDbg, target + 1, col + 1);
}

void TCorvesta::DbgWheelDown() {
  int32_t L = 0, C = 0;
  MemoCaretPos(MemoDbg, L, C);
  iDbgLine = L + 1;
  if (iDbgCol == 0) iDbgCol = C + 1;
  iDbgLine += 3;
  const int32_t target = iDbgLine - 1;
  int32_t col = iDbgCol > 0 ? iDbgCol - 1 : C;
  const int32_t len = static_cast<int32_t>(MemoDbg->Line(target).size());
  if (len < col + 1) col = len;
  MemoGotoLine(MemoDbg, target + 1, col + 1);
}

// ---------------------------------------------------------------- the editor's callbacks

void TCorvesta::OpenEdFile() {
  if (!Ed) return;
  const std::string F = TcvEd::ResolveEdName(Ed->Word);
  const std::string E = ExtUpper(F);
  char buf[257] = {};
  if (!FileRd256(F, buf)) return;
  std::string l1, l2;
  SplitTwoLines(buf, l1, l2);
  // A header written in UTF-8 is compared as program text.
  l1 = platform::DecodeTextFile(l1);
  l2 = platform::DecodeTextFile(l2);
  if (l1.find("[CVCTRL]") != std::string::npos) {
    if (l2.find("INPUTDATA") != std::string::npos) {
      mainlinks::RunInpFile(F);
    } else if (l2.find("GRAPH") != std::string::npos) {
      mainlinks::PlayGraphicsScript(F);
      Ed->Done = true;
      ShowPage("TabCORA");
    } else {
      OpenDoc(0, F);
      Ed->Done = true;
    }
  } else if (l1.find("ЧислоКонтуров"_cp) != std::string::npos) {
    Ed->Done = true;
    if (mainlinks::ProfileCount() == 0) {
      WARNAbs("Ни одного профиля в программе не загружено, LUNNO.Count=0!"_cp);
      return;
    }
    mainlinks::DrawContourPlot(F);
    ShowPage("TabCORA");
    OpenDoc(0, F);
  } else if (E == "INP") {
    mainlinks::RunInpFile(F);
  } else {
    OpenDoc(0, F);
    Ed->Done = true;
  }
}

void TCorvesta::ShowEdTab() {
  ShowPage("TabEd");
  MemoEd->setFocus();
}

void TCorvesta::NoteEdReturnTab() {
  const std::string name = ActivePageName();
  if (name == "TabEd" || name.empty()) return;
  sEdReturnTab = name;
  btEdOK->SetCaption("OK " + PageControl->ActivePage()->Caption());
}

void TCorvesta::TabDBShow(TSender) { DataTabShow(); }
void TCorvesta::TabDebugShow(TSender) { ShowSayerSwitches(); }

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
  lbMouse->SetCaption(IntStr(ptCursor.X) + ":" + IntStr(ptCursor.Y));
  if (!App || !App->Inf) return;
  const QPoint P = StripPoint(E.X, E.Y);
  bool inside = false;
  App->Inf->MouseDown(InfStrip->Form(), E.Button, P.x(), P.y(), inside);
}

void TCorvesta::FormMouseMove(TSender E) {
  if (E.LeftDown) CurrentMove();
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
  ImageCORA->SetPictureSize(cw, ch);
  ImageMod->SetPictureSize(fit(W - iModdW), fit(H - iModdH));
  ImageDialog->SetPictureSize(fit(W - iDialogdW), fit(H - iDialogdH + iDialogAddH));
  FillViewSize();
  ResizeGIFBitmaps(cw, ch);
  UnnoRowsPerPage();
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

void TCorvesta::EdStatusShow(const TEdStatus& S) {
  edJS->SetText(IntStr(S.Line));
  edIP->SetText(IntStr(S.Col));
  lbWordN->SetCaption(IntStr(S.LineWords));
  edColCur->SetText(IntStr(S.WordNo));
  lbCurTT->SetCaption(S.ColInfo);
  lbEdFileEnabled->SetCaption(S.IsFile ? "ФАЙЛ"_cp : "не ФАЙЛ"_cp);
  lbEdHTMLEnabled->SetCaption(S.IsLink ? "HTML" : "не HTML"_cp);
  if (App && App->Inf) {
    TInf& I = *App->Inf;
    I.LogInt("eY", S.Line);
    I.LogInt("eX", S.Col);
    I.LogInt("tC", S.WordNo);
    I.LogInt("tN", S.LineWords);
    I.LogStr("tt", S.ColInfo);
    if (Ed) {
      I.LogInt("t1", Ed->TabTop);
      I.LogInt("t2", Ed->TabBottom);
    }
  }
  SetXColCaption();
  const bool isFile = lbKind->Caption().rfind('F', 0) == 0;
  pmedSave->setVisible(isFile);
  pmedCancel->setVisible(isFile);
}

void TCorvesta::SetXColCaption() {
  pmedSetXCol->SetCaption("X(" + IntStr(PanelInt("nX")) + ")->Set(" + IntStr(PanelInt("tC")) + ")");
}

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

void TCorvesta::EdTuneListShow() {
  cbEdCTRL->setParent(PanelEdCTRL->parentWidget());
  cbEdCTRL->move(PanelEdCTRL->pos());
  PanelEdCTRL->hide();
  cbEdCTRL->show();
  cbEdCTRL->raise();
}

void TCorvesta::EdTuneListHide() {
  cbEdCTRL->hide();
  PanelEdCTRL->SetCaption(cbEdCTRL->Text());
  PanelEdCTRL->show();
}
