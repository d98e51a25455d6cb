#include "mainwindow/TabDialog.h"

#include "mainwindow/FormCells.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvTimeSup.h"
#include "foundation/cvClock.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/PageViewShow.h"
#include "mainwindow/PictPlotter.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotHost.h"
#include "synthesis/fit/cvFitState.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using formcells::CellText;
using formcells::Col;
using formcells::ReadReal;

using formcells::SetCell;


// A one-shot named timer of the application: it deletes itself, stops the application clock,
// runs the action and starts the clock again.
void Delayed(const std::string& Name, int32_t Ms, std::function<void()> Action) {
  if (!TimeSup) return;
  TimeSup->ArmTimer(Name, Ms, [Name, Action](int32_t) {
    TimeSup->DelTimer(Name);
    BusStop();
    struct TRestart {
      ~TRestart() { BusStart(); }
    } restart;
    Action();
  });
}

const char* const kRowParts[] = {"rbKey",  "edKey",   "edVal",   "btScalW",  "btScalN",
                                 "cbScalWN", "btScalLL", "btScalL", "edBouL", "tbKey",
                                 "edBouR", "btScalR", "btScalRR", "cbScalT", "lbTime"};

}  // namespace

void TTabDialog::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, edValChange);
  CV_HANDLER(H, tbKeyChange);
  CV_HANDLER(H, btScalWClick);
  CV_HANDLER(H, btScalNClick);
  CV_HANDLER(H, btScalLLClick);
  CV_HANDLER(H, btScalRRClick);
  CV_HANDLER(H, btScalLClick);
  CV_HANDLER(H, btScalRClick);
  CV_HANDLER(H, btCalcClick);
  CV_HANDLER(H, btCalcByCurvClick);
  CV_HANDLER(H, cbObsValChange);
  CV_HANDLER(H, cbObsValSelect);
  CV_HANDLER(H, cbObsValXSelect);
  CV_HANDLER(H, sbMultiPar1Click);
  CV_HANDLER(H, ngVARIobsAfterEdit);
  CV_HANDLER(H, ngVARIobsCellClick);
  CV_HANDLER(H, cbProfClick);
  CV_HANDLER(H, cbDiffClick);
  CV_HANDLER(H, cbAutoCalcClick);
  CV_HANDLER(H, cbModNamSelect);
  // a point of a curve moved in the picture window: the delayed recalculation by curves
  auto before = Plotting().EditedGraph;
  Plotting().EditedGraph = [this, before](const std::string& Title, const TARe& AY) {
    if (before) before(Title, AY);
    DifAutoCalc2();
  };
}

// ---------------------------------------------------------------- rows

int32_t TTabDialog::RowOf(TSender E) const {
  std::string n = E.Control;
  if (n.empty() && E.Sender) n = E.Sender->objectName().toStdString();
  if (n.empty()) return 0;
  const char c = n.back();
  return c >= '1' && c <= '6' ? c - '0' : 0;
}

template <class T>
T* TTabDialog::RowCtl(const char* Prefix, int32_t I) const {
  return dynamic_cast<T*>(Shell.ComponentByName(Prefix + IntStr(I)));
}

void TTabDialog::Fire(QObject* Sender, const std::string& Name,
                      void (TTabDialog::*Handler)(TSender)) {
  platform::TFormEventArgs a;
  a.Sender = Sender;
  a.Control = Name;
  auto run = [this, a, Handler]() { (this->*Handler)(a); };
  if (Shell.Events.Guard) Shell.Events.Guard(Sender, run);
  else run();
}

void TTabDialog::MakeRow(int32_t I) {
  const std::string n = IntStr(I);
  auto* row = new QWidget(PanelDialog);
  row->setObjectName(QString::fromStdString("PanelDialogRow" + n));
  auto* lay = new QHBoxLayout(row);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(4);
  auto reg = [&](QWidget* W, const char* Part, const char* Kind, QWidget* Model) {
    const std::string name = Part + n;
    W->setObjectName(QString::fromStdString(name));
    if (Model) {
      W->setMinimumSize(Model->minimumSize());
      W->setMaximumSize(Model->maximumSize());
      W->setToolTip(Model->toolTip());
    }
    lay->addWidget(W, std::string(Part) == "tbKey" ? 1 : 0);
    Shell.Registry.Add(name, W, Kind);
  };
  auto button = [&](const char* Part, platform::TButton* Model,
                    void (TTabDialog::*H)(TSender)) {
    auto* b = new platform::TButton(row);
    b->SetCaption(Model->Caption());
    reg(b, Part, "TButton", Model);
    const std::string name = Part + n;
    QObject::connect(b, &QPushButton::clicked, row, [this, b, name, H]() { Fire(b, name, H); });
  };
  auto combo = [&](const char* Part, platform::TComboBox* Model) {
    auto* c = new platform::TComboBox(row);
    if (!Model->isEditable()) c->SetStyle("list");
    for (const std::string& s : Model->Items()) c->AddItem(s);
    c->SetItemIndex(Model->ItemIndex());
    reg(c, Part, "TComboBox", Model);
  };
  auto edit = [&](const char* Part, platform::TEdit* Model) {
    auto* e = new platform::TEdit(row);
    reg(e, Part, "TEdit", Model);
    return e;
  };
  auto* rb = new platform::TRadioButton(row);
  reg(rb, "rbKey", "TRadioButton", rbKey1);
  edit("edKey", edKey1);
  auto* val = edit("edVal", edVal1);
  QObject::connect(val, &QLineEdit::textChanged, row, [this, val, n]() {
    Fire(val, "edVal" + n, &TTabDialog::edValChange);
  });
  button("btScalW", btScalW1, &TTabDialog::btScalWClick);
  button("btScalN", btScalN1, &TTabDialog::btScalNClick);
  combo("cbScalWN", cbScalWN1);
  button("btScalLL", btScalLL1, &TTabDialog::btScalLLClick);
  button("btScalL", btScalL1, &TTabDialog::btScalLClick);
  edit("edBouL", edBouL1);
  auto* tb = new platform::TTrackBar(row);
  tb->SetMin(tbKey1->minimum());
  tb->SetMax(tbKey1->maximum());
  tb->setSingleStep(tbKey1->singleStep());
  tb->setOrientation(tbKey1->orientation());
  reg(tb, "tbKey", "TTrackBar", tbKey1);
  QObject::connect(tb, &QSlider::valueChanged, row,
                   [this, tb, n]() { Fire(tb, "tbKey" + n, &TTabDialog::tbKeyChange); });
  edit("edBouR", edBouR1);
  button("btScalR", btScalR1, &TTabDialog::btScalRClick);
  button("btScalRR", btScalRR1, &TTabDialog::btScalRRClick);
  combo("cbScalT", cbScalT1);
  auto* lb = new platform::TLabel(row);
  reg(lb, "lbTime", "TLabel", lbTime1);
  if (auto* pl = qobject_cast<QBoxLayout*>(PanelDialog->layout())) pl->addWidget(row);
  row->show();
}

void TTabDialog::FreeRow(int32_t I) {
  const std::string n = IntStr(I);
  for (const char* p : kRowParts) Shell.FreeComponent(p + n);
  delete PanelDialog->findChild<QWidget*>(QString::fromStdString("PanelDialogRow" + n));
}

void TTabDialog::RePositeImageDialog() {
  if (QLayout* L = Shell.layout()) L->activate();
  int32_t y = -1;
  for (int32_t i = 1; i <= 6; ++i) {
    auto* tb = RowCtl<QWidget>("tbKey", i);
    if (!tb || tb->isHidden()) continue;
    y = tb->mapTo(PanelDialog->parentWidget(), QPoint(0, tb->height())).y() + 2;
  }
  if (y < 0) return;
  const int32_t d = ImageDialog->y() - y;
  DialogImageReserve += d;
}

void TTabDialog::AfterRun() {
  TPageView& P = DialogPage();
  if (!P.Has("PageControl")) return;
  const bool show = P.Text("PageControl") == "TabDialog";
  P.Free("PageControl");
  TakePage(P);
  if (show) Shell.ShowPage("TabDialog");
}

void TTabDialog::TakePage(const TPageView& P) {
  for (int32_t i = 2; i <= 6; ++i) {
    FreeRow(i);
    if (P.Has("edKey" + IntStr(i))) MakeRow(i);
  }
  DialogBusy = true;
  struct TFree {
    bool& B;
    ~TFree() { B = false; }
  } unbusy{DialogBusy};
  ShowPageView(Shell, P);
  for (const auto& [row, ms] : P.RowTimes)
    if (row >= 1 && row <= 6) ValTimes[static_cast<size_t>(row)] = ms;
  DialogBusy = false;
  UpDateValTimes();
  Shell.RePositeImageDialog();
  cbObsValChange({});
}

void TTabDialog::TabDialogShow(TSender) {
  Shell.COPITab().FillViewSize();
  // the drop-down list emptied, its text kept; the variators in the VARI tab's quest list
  const std::string text = cbVARI_Dia->Text();
  cbVARI_Dia->ClearItems();
  cbVARI_Dia->SetText(text);
  if (TLVARI* L = VariCtx().LVARI)
    for (int32_t i = 0; i < L->Count(); ++i)
      Shell.VARITab().AddVARIName(L->Items(i)->QUEST + " " + IntStr(L->Items(i)->IQ));
}

// ---------------------------------------------------------------- scales

bool TTabDialog::ReadScale(int32_t I, TDiaScale& S) const {
  auto* l = RowCtl<platform::TEdit>("edBouL", I);
  auto* r = RowCtl<platform::TEdit>("edBouR", I);
  auto* t = RowCtl<platform::TComboBox>("cbScalT", I);
  if (!l || !r) return false;
  if (!ReadReal(l->Text(), S.L)) {
    WARNAbs("не число в поле левой границы"_cp);
    return false;
  }
  if (!ReadReal(r->Text(), S.R)) {
    WARNAbs("не число в поле правой границы"_cp);
    return false;
  }
  S.Log = t && t->ItemIndex() == 1;
  return true;
}

double TTabDialog::BarFraction(int32_t I) const {
  auto* tb = RowCtl<platform::TTrackBar>("tbKey", I);
  if (!tb || tb->maximum() == tb->minimum()) return 0;
  return static_cast<double>(tb->Position() - tb->minimum()) / (tb->maximum() - tb->minimum());
}

void TTabDialog::WriteBounds(int32_t I, const TDiaScale& S) {
  DialogBusy = true;
  RowCtl<platform::TEdit>("edBouL", I)->SetText(DiaSig4(S.L));
  RowCtl<platform::TEdit>("edBouR", I)->SetText(DiaSig4(S.R));
  DialogBusy = false;
}

void TTabDialog::edValChange(TSender E) {
  if (DialogBusy) return;
  const int32_t i = RowOf(E);
  auto* val = RowCtl<platform::TEdit>("edVal", i);
  auto* tb = RowCtl<platform::TTrackBar>("tbKey", i);
  double v = 0;
  if (!val || !tb || !ReadReal(val->Text(), v)) return;
  TDiaScale s;
  if (!ReadScale(i, s)) return;
  int32_t pos = 0;
  if (!DiaBarPos(s, v, pos)) return;
  DialogBusy = true;
  tb->SetValue(tb->minimum() + pos * (tb->maximum() - tb->minimum()) / 100);
  DialogBusy = false;
  ValTimes[static_cast<size_t>(i)] = UniqueTick();
  UpDateValTimes();
  DifAutoCalc();
}

void TTabDialog::tbKeyChange(TSender E) {
  if (DialogBusy) return;
  const int32_t i = RowOf(E);
  auto* val = RowCtl<platform::TEdit>("edVal", i);
  TDiaScale s;
  if (!val || !ReadScale(i, s)) return;
  const double v = DiaScaleValue(s, BarFraction(i));
  DialogBusy = true;
  val->SetText(DiaSig4(v));
  DialogBusy = false;
  ValTimes[static_cast<size_t>(i)] = UniqueTick();
  UpDateValTimes();
  DifAutoCalc();
}

void TTabDialog::ScalExpand(TSender E, int32_t Direction) {
  const int32_t i = RowOf(E);
  auto* cb = RowCtl<platform::TComboBox>("cbScalWN", i);
  auto* tb = RowCtl<platform::TTrackBar>("tbKey", i);
  if (!cb || !tb) return;
  double k = 0;
  if (!ReadReal(cb->Text(), k)) {
    WARNAbs("Проблемы с комбо-бокс "_cp + "cbScalWN" + IntStr(i) + "!");
    return;
  }
  TDiaScale s;
  if (!ReadScale(i, s)) return;
  const int32_t pos = DiaScaleExpand(s, BarFraction(i), k, Direction);
  WriteBounds(i, s);
  DialogBusy = true;
  tb->SetValue(pos);
  DialogBusy = false;
}

void TTabDialog::ScalShift(TSender E, double Step) {
  const int32_t i = RowOf(E);
  auto* val = RowCtl<platform::TEdit>("edVal", i);
  TDiaScale s;
  if (!val || !ReadScale(i, s)) return;
  const double v = DiaScaleShift(s, BarFraction(i), Step);
  WriteBounds(i, s);
  DialogBusy = true;
  val->SetText(DiaShiftText(s, v));
  DialogBusy = false;
  DifAutoCalc();
}

void TTabDialog::btScalLLClick(TSender E) { ScalShift(E, 1.0); }
void TTabDialog::btScalRRClick(TSender E) { ScalShift(E, -1.0); }
void TTabDialog::btScalLClick(TSender E) { ScalShift(E, 0.2); }
void TTabDialog::btScalRClick(TSender E) { ScalShift(E, -0.2); }

void TTabDialog::UpDateValTimes() {
  for (int32_t i = 1; i <= 6; ++i) {
    if (!RowCtl<QObject>("edVal", i)) continue;
    if (auto* l = RowCtl<platform::TLabel>("lbTime", i))
      l->SetCaption(MsToHMSms(ValTimes[static_cast<size_t>(i)]));
  }
}

// ---------------------------------------------------------------- observed cases

void TTabDialog::cbObsValChange(TSender) {
  for (int r = 0; r < ngVARIobs->RowCount(); ++r) {
    if (ValIntOr0(CellText(ngVARIobs, "gxVariOCh", r)) == 1) {
      SetCell(ngVARIobs, "gxVariOVal", r, cbObsVal->Text());
      SetCell(ngVARIobs, "gxVariOK", r, IntStr(cbObsVal->ItemIndex() + 1));
    } else {
      SetCell(ngVARIobs, "gxVariOVal", r, "");
    }
  }
  DifAutoCalc();
}

void TTabDialog::UpDateMultiPar() {
  const bool one = sbMultiPar1->Down();
  for (int r = 0; r < ngVARIobs->RowCount(); ++r) {
    if (ValIntOr0(CellText(ngVARIobs, "gxVariOCh", r)) != 2) continue;
    SetCell(ngVARIobs, "gxVariOVal", r, one ? cbObsValX->Text() : std::string());
    SetCell(ngVARIobs, "gxVariOK", r, IntStr(one ? cbObsValX->ItemIndex() + 1 : 0));
  }
}

void TTabDialog::cbObsValXSelect(TSender) {
  UpDateMultiPar();
  DifAutoCalc();
}

void TTabDialog::sbMultiPar1Click(TSender) {
  UpDateMultiPar();
  DifAutoCalc();
}

void TTabDialog::ngVARIobsAfterEdit(TSender E) {
  if (E.Col != Col(ngVARIobs, "gxVariOK") || E.Row < 0) return;
  if (ValIntOr0(CellText(ngVARIobs, "gxVariOCh", E.Row)) != 2) return;
  int32_t code = 0;
  const int32_t k = ValIntCode(TrimCtl(E.Value), code);
  if (code != 0 || k < 0 || k > cbObsValX->ItemCount()) return;
  if (k == 0) {
    SetCell(ngVARIobs, "gxVariOVal", E.Row, "");
    return;
  }
  cbObsValX->SetItemIndex(k - 1);
  SetCell(ngVARIobs, "gxVariOVal", E.Row, cbObsValX->Item(k - 1));
}

TDiaParams TTabDialog::tabDialogReadParams() {
  TDiaParams p;
  for (int32_t i = 1; i <= 6; ++i) {
    auto* key = RowCtl<platform::TEdit>("edKey", i);
    auto* val = RowCtl<platform::TEdit>("edVal", i);
    if (!key || !val || key->isHidden()) continue;
    p.Rows.push_back({key->Text(), val->Text(), ValTimes[static_cast<size_t>(i)]});
  }
  for (int r = 0; r < ngVARIobs->RowCount(); ++r) {
    TDiaObsRow o;
    o.Key = CellText(ngVARIobs, "gxVariOKey", r);
    o.Val = CellText(ngVARIobs, "gxVariOVal", r);
    o.Axis = ValIntOr0(CellText(ngVARIobs, "gxVariOCh", r));
    o.K = ValIntOr0(CellText(ngVARIobs, "gxVariOK", r));
    p.Obs.push_back(o);
  }
  p.XItems = cbObsValX->Items();
  return p;
}

// ---------------------------------------------------------------- calculations

void TTabDialog::DifAutoCalc() {
  if (cbAutoCalc->Checked()) Delayed("diagraf", 201, [this] { btCalcClick({}); });
}

void TTabDialog::DifAutoCalc2() {
  if (cbAutoCalc->Checked()) Delayed("diagraf2", 1001, [this] { btCalcByCurvClick({}); });
  Delayed("ngVEMOfill", 601, [] { mainlinks::VEMOFill(); });
}

void TTabDialog::btCalcClick(TSender) { StartCalc(false); }
void TTabDialog::btCalcByCurvClick(TSender) { StartCalc(true); }

void TTabDialog::StartCalc(bool ByCurv) {
  if (Running_) {
    Again_ = true;
    AgainByCurv_ = ByCurv;
    return;
  }
  if (Jobs.Busy()) {
    Jobs.SayBusy();
    return;
  }
  if (!LUNNO || !VariCtx().LVARI) {
    WARNAbs("CALC: список профилей или вариаторов не создан"_cp);
    return;
  }
  auto in = std::make_shared<TDiaCalcIn>();
  in->VariDia = cbVARI_Dia->Text();
  in->ByCurv = ByCurv;
  in->AppQuest = App ? App->sQuest : std::string();
  in->Params = tabDialogReadParams();
  in->ObsValIdx = cbObsVal->ItemIndex() + 1;
  in->Prof = cbProf->Checked();
  in->Diff = cbDiff->Checked();
  in->Bisect = cbBisect->Checked();
  in->Width = cbWidth->Checked();
  auto out = std::make_shared<TDiaCalcOut>();
  auto ok = std::make_shared<bool>(false);
  auto job = std::make_shared<TJob>(ByCurv ? "CALC by CURV" : "CALC");
  TLUNNO* list = LUNNO;
  Running_ = true;
  const bool started = Shell.StartDBJob(
      job, [in, out, ok, list](TJob& J, TDM&) { *ok = DialogCalc(J, *list, *in, *out); },
      [this, out, ok, ByCurv](TJob& J) {
        Running_ = false;
        if (*ok && !J.Cancelled()) {
          LastCalc = *out;
          Draw(*out, ByCurv);
          ++CalcsDrawn;
        }
        // a change during the run: one more calculation once this job has ended
        if (Again_) {
          Again_ = false;
          QTimer::singleShot(0, &Shell, [this, byCurv = AgainByCurv_] { StartCalc(byCurv); });
        }
      },
      false);
  if (!started) Running_ = false;
}

void TTabDialog::Draw(const TDiaCalcOut& Out, bool ByCurv) {
  if (!ShowPictPlotter() || !PLOTTER) return;
  TPLOTTER& P = *PLOTTER;
  if (!ByCurv && !P.ArrPlotByID("0 2")) {
    if (TArrPlot* A = P.ArrPlot()) A->SetTiles(2, 1, 1);
    if (TArrPlot* A = P.AddArrPlotDef("0 1", 1, 1, 1, 1)) P.SetArrPlot(A);
    if (TArrPlot* A = P.AddArrPlotDef("0 2", 2, 1, 1, 1)) P.SetArrPlot(A);
  }
  TArrPlot* area = P.FindArrPlot("0 2");
  if (!area) return;
  P.SetArrPlot(area);
  if (P.Window) {
    TUpdatingLock lock(*P.Window);
    area->SetTiles(Out.NCases, Out.TwoRows ? 2 : 1, 1);
  } else {
    area->SetTiles(Out.NCases, Out.TwoRows ? 2 : 1, 1);
  }
  for (const TDiaGraph& g : Out.Graphs)
    P.UpDateGraphByTitle(g.X, g.Y, g.Cell, 1, g.Line, g.Title, g.NameX, g.NameY, g.DimX, g.DimY);
  P.ClearDevice();
  P.PlayOnce();
}
