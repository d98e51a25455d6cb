#include "mainwindow/TabVEMO.h"

#include "mainwindow/MainLinks.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvTimeSup.h"
#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FTAnalize.h"
#include "mainwindow/PictPlotter.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotHost.h"

namespace {

TTunes* Common() { return App ? App->TunCommon.get() : nullptr; }

int Col(TFormCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? G->Columns().IndexOf(c) : -1;
}

TCell* CellOf(TFormCvGrid* G, const char* ColName, int R) {
  const int c = Col(G, ColName);
  return c < 0 || R < 0 || R >= G->RowCount() ? nullptr : G->CellAt(c, R);
}

std::string CellText(TFormCvGrid* G, const char* ColName, int R) {
  TCell* c = CellOf(G, ColName, R);
  return c ? c->GetAsText() : std::string();
}

bool CellOn(TFormCvGrid* G, const char* ColName, int R) {
  TCell* c = CellOf(G, ColName, R);
  return c && c->GetAsBoolean();
}

void ShowText(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

// The check box of the Graf tab that lets the table redraw the edited vectors (checked at
// design; the Graf tab's issue builds it).
bool VemoToPic(const TCorvesta& Shell) {
  static const std::string kName = "cbVEMOtoPic";
  auto* c = Shell.Registry.As<platform::TCheckBox>(kName);
  return !c || c->Checked();
}

const char* const kGroupA[] = {"GxVEMOTime", "GxVEMOKEd", "GxVEMONAlg", "GxVEMOParents"};
const char* const kGroupR[] = {"GxKOut", "GxTYPR", "GxKMul", "GxNDig", "GxNW", "GxsHd"};
const char* const kGroupH[] = {"GxVEMOHoleCh", "GxVEMOHoleX0", "GxVEMOHoleX1", "GxVEMOHoleVal"};
const char* const kGroupE[] = {"GxVEMOhEff", "GxVEMOhGap", "GxVEMOhGap1", "GxVEMOhGap2"};

}  // namespace

TTabVEMO::TTabVEMO(TCorvesta& Shell) : TFormTab(Shell) {}

TTabVEMO::~TTabVEMO() {
  Models().VEMOFill.Reset();
  mainlinks::Hooks().VEMOFill.Reset();
  Plotting().EditedGraph = nullptr;
  if (TimeSup) TimeSup->DelTimer("ngVEMOfill");
}

void TTabVEMO::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, ngFMODAfterEdit);
  CV_HANDLER(H, ngKDERAfterEdit);
  CV_HANDLER(H, ngModAfterEdit);
  CV_HANDLER(H, ngSIDAfterEdit);
  CV_HANDLER(H, ngVEMOAfterEdit);
  CV_HANDLER(H, ngVEMOSelectCell);
  CV_HANDLER(H, btVEMOClick);
  CV_HANDLER(H, btVEMOHeighClick);
  CV_HANDLER(H, btRepCBOnClick);
  CV_HANDLER(H, btRepCBOffClick);
  CV_HANDLER(H, btCalcVEMOClick);
  CV_HANDLER(H, cbCalcVEMOChange);
  CV_HANDLER(H, Button1Click);
  CV_HANDLER(H, btVEMOReportClick);
  CV_HANDLER(H, btNGVEMOReportClick);
  CV_HANDLER(H, btVEMOPrintClick);
  CV_HANDLER(H, btVEMOClearOneClick);
  CV_HANDLER(H, btVEMODELClearClick);
  CV_HANDLER(H, btVEMOClearAtLiLamClick);
  CV_HANDLER(H, btPicVEMOClick);
  CV_HANDLER(H, btTAnalizeClick);
  // the refill other code asks for: from a worker it comes to the window's thread, and while a
  // job runs it waits for the job's end (the keeper is the job's)
  Models().VEMOFill.Install([this] {
    if (QThread::currentThread() != ngVEMO->thread()) {
      QMetaObject::invokeMethod(ngVEMO, [this] { ngVEMOFill(); }, Qt::QueuedConnection);
      return;
    }
    ngVEMOFill();
  });
  // the window's own delayed refills (the Dialog tab's "ngVEMOfill") fill the table too
  mainlinks::Hooks().VEMOFill.Install([this] { ngVEMOFill(); });
  Plotting().EditedGraph = [this](const std::string& Title, const TARe& AY) {
    EditedGraph(Title, AY);
  };
}

// ---------------------------------------------------------------- settings

TVemoFlags TTabVEMO::Flags() const {
  TVemoFlags f;
  f.Get = [](const std::string& K) { return Common() && Common()->Flag(K); };
  f.Set = [](const std::string& K, bool On) {
    if (!Common()) return;
    if (On)
      Common()->Set(K, "1");
    else
      Common()->Clear(K);
  };
  return f;
}

TVemoSelect TTabVEMO::Select() const {
  TVemoSelect s;
  for (int r = 0; r < 3; ++r) s.FMOD[static_cast<size_t>(r)] = r < ngFMOD->RowCount() && CellOn(ngFMOD, "GxFMODQ", r);
  for (int r = 0; r < 2; ++r) s.KDER[static_cast<size_t>(r)] = r < ngKDER->RowCount() && CellOn(ngKDER, "GxKDERQ", r);
  for (int r = 0; r < ngMod->RowCount(); ++r)
    if (!CellOn(ngMod, "GxModQ", r)) s.ModOff.insert(CellText(ngMod, "GxModName", r));
  for (int r = 0; r < ngSID->RowCount(); ++r)
    if (!CellOn(ngSID, "GxSIDQ", r)) s.SidOff.insert(CellText(ngSID, "GxSID", r));
  return s;
}

// ---------------------------------------------------------------- selector grids

void TTabVEMO::FillFMODGrid() {
  const auto rows = FMODRowsFromFlags(Flags());
  ngFMOD->ClearRows();
  ngFMOD->AddRows(3);
  for (int r = 0; r < 3; ++r) {
    CellOf(ngFMOD, "GxFMOD", r)->SetAsText(IntStr(r));
    CellOf(ngFMOD, "GxFMODQ", r)->SetAsBoolean(rows[static_cast<size_t>(r)]);
  }
}

void TTabVEMO::FillKDERGrid() {
  const auto rows = KDERRowsFromFlags(Flags());
  ngKDER->ClearRows();
  ngKDER->AddRows(2);
  for (int r = 0; r < 2; ++r) {
    CellOf(ngKDER, "GxKDER", r)->SetAsText(IntStr(r));
    CellOf(ngKDER, "GxKDERQ", r)->SetAsBoolean(rows[static_cast<size_t>(r)]);
  }
}

void TTabVEMO::FillSelector(TFormCvGrid* G, const char* OnCol, const char* NameCol,
                            const std::vector<TVemoSelRow>& Rows) {
  G->ClearRows();
  if (Rows.empty()) return;
  G->AddRows(static_cast<int>(Rows.size()));
  for (size_t i = 0; i < Rows.size(); ++i) {
    CellOf(G, NameCol, static_cast<int>(i))->SetAsText(Rows[i].Name);
    CellOf(G, OnCol, static_cast<int>(i))->SetAsBoolean(Rows[i].On);
  }
}

void TTabVEMO::FillModSIDGrids() {
  std::vector<TVemoSelRow> mods, sids;
  VemoSelectorLists(Keeper(), Select().FMOD, Flags(), &mods, &sids);
  FillSelector(ngMod, "GxModQ", "GxModName", mods);
  FillSelector(ngSID, "GxSIDQ", "GxSID", sids);
}

void TTabVEMO::FillSIDGrid() {
  const TVemoSelect s = Select();
  std::vector<TVemoSelRow> sids;
  VemoSelectorLists(Keeper(), s.FMOD, Flags(), nullptr, &sids, &s.ModOff);
  FillSelector(ngSID, "GxSIDQ", "GxSID", sids);
}

void TTabVEMO::RefreshVEMOTab() {
  FillFMODGrid();
  FillKDERGrid();
  FillModSIDGrids();
  ngVEMOFill();
}

void TTabVEMO::SetVEMOColumns() {
  auto group = [&](const char* const* Cols, size_t N, const char* Flag) {
    const bool on = Common() && Common()->Flag(Flag);
    for (size_t i = 0; i < N; ++i)
      if (TGxCustomColumn* c = ngVEMO->ColumnByName(Cols[i])) c->SetVisible(on);
  };
  group(kGroupA, std::size(kGroupA), "VemoA");
  group(kGroupR, std::size(kGroupR), "VemoR");
  group(kGroupH, std::size(kGroupH), "VemoH");
  group(kGroupE, std::size(kGroupE), "VemohEff");
}

void TTabVEMO::SetcbKDERVisible() { cbKDER->setVisible(cbCalcVEMO->Text() == "dSdTau"); }

// ---------------------------------------------------------------- the table

void TTabVEMO::ngVEMOFill() {
  if (Jobs.Busy()) {
    // once per job: the table refills when the keeper is the window's again
    if (!fillPending_) {
      fillPending_ = true;
      Jobs.AfterJob("ngVEMOFill", [this] {
        fillPending_ = false;
        ngVEMOFill();
      });
    }
    return;
  }
  std::string gap = edHeighGap->Text();
  const double p = VemoHeighGap(gap);
  if (gap != edHeighGap->Text()) edHeighGap->SetText(gap);
  SetVEMOColumns();
  const bool reread = ParamList().ReadVEMO();
  ngVEMO->BeginUpdate();
  struct TEnd {
    TFormCvGrid* G;
    ~TEnd() { G->EndUpdate(); }
  } end{ngVEMO};
  ngVEMO->ClearRows();
  Rows.clear();
  if (ngFMOD->RowCount() == 0) return;
  VemoTableRows(Keeper(), Select(), Flags(), p, Common() && Common()->Flag("VemohEff"), reread,
                Rows);
  if (!Rows.empty()) ngVEMO->AddRows(static_cast<int>(Rows.size()));
  const int cIdx = Col(ngVEMO, "GxVEMOIdx"), cQ = Col(ngVEMO, "GxVEMOQ"),
            cF = Col(ngVEMO, "GxVFMOD"), cN = Col(ngVEMO, "GxVEMON"), cM = Col(ngVEMO, "GxModel"),
            cName = Col(ngVEMO, "GxVEMOName"), cSidV = Col(ngVEMO, "GxVEMOsIdV"),
            cED = Col(ngVEMO, "GxVEMOsED"), cKOut = Col(ngVEMO, "GxKOut"),
            cTYPR = Col(ngVEMO, "GxTYPR"), cKMul = Col(ngVEMO, "GxKMul"),
            cDig = Col(ngVEMO, "GxNDig"), cNW = Col(ngVEMO, "GxNW"), cHd = Col(ngVEMO, "GxsHd"),
            cTime = Col(ngVEMO, "GxVEMOTime"), cKEd = Col(ngVEMO, "GxVEMOKEd"),
            cAlg = Col(ngVEMO, "GxVEMONAlg"), cPar = Col(ngVEMO, "GxVEMOParents"),
            cSId = Col(ngVEMO, "GxVEMOsId"), cHCh = Col(ngVEMO, "GxVEMOHoleCh"),
            cH0 = Col(ngVEMO, "GxVEMOHoleX0"), cH1 = Col(ngVEMO, "GxVEMOHoleX1"),
            cHV = Col(ngVEMO, "GxVEMOHoleVal"), cKX = Col(ngVEMO, "GxVEMOKX"),
            cxN = Col(ngVEMO, "GxVEMOxN"), chN = Col(ngVEMO, "GxVEMOhN"),
            cIP = Col(ngVEMO, "GxVEMOchIPOL"), cSpl = Col(ngVEMO, "GxVEMOKSpl"),
            cEff = Col(ngVEMO, "GxVEMOhEff"), cGap = Col(ngVEMO, "GxVEMOhGap"),
            cGap1 = Col(ngVEMO, "GxVEMOhGap1"), cGap2 = Col(ngVEMO, "GxVEMOhGap2");
  for (int r = 0; r < static_cast<int>(Rows.size()); ++r) {
    const TVemoRow& w = Rows[static_cast<size_t>(r)];
    auto set = [&](int C, const std::string& T) { ngVEMO->CellAt(C, r)->SetAsText(T); };
    set(cIdx, IntStr(w.Idx));
    ngVEMO->CellAt(cQ, r)->SetAsBoolean(w.Rep);
    set(cF, IntStr(w.F));
    set(cN, IntStr(w.N));
    set(cM, w.Model);
    set(cName, w.Name);
    set(cSidV, w.sIdV);
    set(cED, w.sED);
    if (w.HasRep) {
      set(cKOut, IntStr(w.KOut));
      set(cTYPR, w.TYPR);
      set(cKMul, ShortSt(6, w.KMul));
      set(cDig, IntStr(w.NDig));
      set(cNW, IntStr(w.NW));
      set(cHd, w.Hd);
    }
    set(cTime, MsToHMSms(w.TCalc));
    set(cKEd, IntStr(w.KEd));
    set(cAlg, IntStr(w.NAlg));
    set(cPar, w.Parents);
    set(cSId, w.sId);
    if (w.Hole) {
      set(cHCh, w.HoleCh);
      set(cH0, ShortSt(6, w.HX0));
      set(cH1, ShortSt(6, w.HX1));
      set(cHV, ShortSt(6, w.HVal));
    }
    set(cKX, IntStr(w.KX));
    set(cxN, IntStr(w.xN));
    set(chN, IntStr(w.hN));
    set(cIP, w.IPol);
    set(cSpl, IntStr(w.KSpl));
    if (w.Eff) {
      set(cEff, FSt(0, 2, w.hEff));
      set(cGap, FSt(0, 2, w.hGap));
      set(cGap1, FSt(0, 2, w.hGap1));
      set(cGap2, FSt(0, 2, w.hGap2));
    }
  }
  VEMODirty = false;
  RedrawEdited();
}

void TTabVEMO::RedrawEdited() {
  if (!VemoToPic(Shell) || EditedVectors.Empty() || !PLOTTER || !PLOTTER->Window ||
      !PLOTTER->Window->PictVisible() || !PLOTTER->ArrPlot())
    return;
  const std::vector<TVEMO*> vs = EditedVectors.Resolve(Keeper());
  if (vs.empty()) return;
  for (TVEMO* v : vs) {
    if (!v->LGTAU) continue;
    PLOTTER->UpDateGraphByTitle(v->LGTAU->A, v->A, 1, 1, "", v->FullName(), "", "", "", "");
  }
  PLOTTER->PlayOnce();
}

TVEMO* TTabVEMO::RowVector(int32_t R) const {
  if (R < 0 || R >= static_cast<int32_t>(Rows.size())) return nullptr;
  const int32_t idx = ValIntOr0(CellText(ngVEMO, "GxVEMOIdx", R));
  return idx >= 0 && idx < Keeper().Count() ? Keeper().Items(idx) : nullptr;
}

std::vector<TVEMO*> TTabVEMO::MarkedVectors() const {
  std::vector<TVEMO*> r;
  for (int32_t i = 0; i < ngVEMO->RowCount(); ++i)
    if (CellOn(ngVEMO, "GxVEMOQ", i))
      if (TVEMO* v = RowVector(i)) r.push_back(v);
  return r;
}

void TTabVEMO::TabVEMOShow() {
  if (!VEMOTabShown) {
    VEMOTabShown = true;
    if (auto* b = Shell.Registry.As<platform::TButton>("btVEMO"); b && b->toolTip().isEmpty())
      Shell.TabControlsSetDirs();
    btVEMORep->SetDown(Common() && Common()->Flag("VemoR"));
    btVEMOAlg->SetDown(Common() && Common()->Flag("VemoA"));
    btVEMOHole->SetDown(Common() && Common()->Flag("VemoH"));
    btVEMOHeigh->SetDown(Common() && Common()->Flag("VemohEff"));
    RefreshVEMOTab();
    VEMOCountShown = Keeper().Count();
  } else if (Keeper().Count() != VEMOCountShown) {
    RefreshVEMOTab();
    VEMOCountShown = Keeper().Count();
  } else if (VEMODirty) {
    ngVEMOFill();
  }
  SetcbKDERVisible();
}

void TTabVEMO::EditedGraph(const std::string& Title, const TARe& AY) {
  if (!btReturnVEMO->Down() || Jobs.Busy()) return;
  TVEMO* v = EditedVectors.ByFullName(Keeper(), Title);
  if (!v || AY.size() != v->A.size()) return;
  v->A = AY;
  v->SetFilled();
  v->KEd = 2;
  VEMODirty = true;
  if (TimeSup)
    TimeSup->ArmTimer("ngVEMOfill", 601, [this](int32_t) {
      if (TimeSup) TimeSup->DelTimer("ngVEMOfill");
      ngVEMOFill();
    });
}

// ---------------------------------------------------------------- table events

void TTabVEMO::ngFMODAfterEdit(TSender E) {
  std::array<bool, 3> rows{};
  for (int r = 0; r < 3 && r < ngFMOD->RowCount(); ++r) rows[static_cast<size_t>(r)] = CellOn(ngFMOD, "GxFMODQ", r);
  FixFMODRows(rows, E.Row, Flags());
  for (int r = 0; r < 3 && r < ngFMOD->RowCount(); ++r)
    CellOf(ngFMOD, "GxFMODQ", r)->SetAsBoolean(rows[static_cast<size_t>(r)]);
  FillModSIDGrids();
  ngVEMOFill();
}

void TTabVEMO::ngKDERAfterEdit(TSender) {
  std::array<bool, 2> rows{};
  for (int r = 0; r < 2 && r < ngKDER->RowCount(); ++r) rows[static_cast<size_t>(r)] = CellOn(ngKDER, "GxKDERQ", r);
  FixKDERRows(rows, Flags());
  for (int r = 0; r < 2 && r < ngKDER->RowCount(); ++r)
    CellOf(ngKDER, "GxKDERQ", r)->SetAsBoolean(rows[static_cast<size_t>(r)]);
  FillModSIDGrids();
  ngVEMOFill();
}

void TTabVEMO::ngModAfterEdit(TSender) {
  const TVemoFlags f = Flags();
  for (int r = 0; r < ngMod->RowCount(); ++r)
    f.Set("VEMO|" + VemoFlagKey(CellText(ngMod, "GxModName", r)), !CellOn(ngMod, "GxModQ", r));
  FillSIDGrid();
  ngVEMOFill();
}

void TTabVEMO::ngSIDAfterEdit(TSender) {
  const TVemoFlags f = Flags();
  for (int r = 0; r < ngSID->RowCount(); ++r)
    f.Set("VEMOSID|" + VemoFlagKey(CellText(ngSID, "GxSID", r)), !CellOn(ngSID, "GxSIDQ", r));
  ngVEMOFill();
}

void TTabVEMO::ngVEMOAfterEdit(TSender E) {
  const TVemoFlags f = Flags();
  for (int r = 0; r < ngVEMO->RowCount(); ++r)
    f.Set("VEMOREP|" + CellText(ngVEMO, "GxVEMOName", r), !CellOn(ngVEMO, "GxVEMOQ", r));
  TVEMO* v = RowVector(E.Row);
  if (!v || !v->RepSet || E.Col < 0) return;
  TGxCustomColumn* c = ngVEMO->Columns().Column(E.Col);
  if (!c) return;
  const std::string col = c->Name;
  const std::string t = TrimCtl(CellText(ngVEMO, col.c_str(), E.Row));
  TModREP& r = *v->RepSet;
  if (col == "GxKOut")
    r.KOut = ValIntOr0(t);
  else if (col == "GxTYPR") {
    if (!t.empty()) r.Ch = t[0];
  } else if (col == "GxKMul")
    r.Mul = ValRealOr0(t);
  else if (col == "GxNDig")
    r.Dig = ValIntOr0(t);
  else if (col == "GxNW")
    r.W0 = ValIntOr0(t);
  else if (col == "GxsHd")
    r.Hd = t;
  else
    return;
  v->RepChanged = true;
  r.Edited = true;
}

void TTabVEMO::ngVEMOSelectCell(TSender E) {
  VEMOCurCol = E.Col;
  VEMOCurRow = E.Row;
}

void TTabVEMO::btVEMOClick(TSender E) {
  auto* b = dynamic_cast<platform::TSpeedButton*>(E.Sender);
  if (!b || !Common()) return;
  Flags().Set("Vemo" + b->Caption(), b->Down());
  SetVEMOColumns();
}

void TTabVEMO::btVEMOHeighClick(TSender) {
  Flags().Set("VemohEff", btVEMOHeigh->Down());
  SetVEMOColumns();
  if (btVEMOHeigh->Down()) ngVEMOFill();
}

void TTabVEMO::btRepCBOnClick(TSender) {
  for (int r = 0; r < ngVEMO->RowCount(); ++r) CellOf(ngVEMO, "GxVEMOQ", r)->SetAsBoolean(true);
}

void TTabVEMO::btRepCBOffClick(TSender) {
  for (int r = 0; r < ngVEMO->RowCount(); ++r) CellOf(ngVEMO, "GxVEMOQ", r)->SetAsBoolean(false);
}

// ---------------------------------------------------------------- actions

void TTabVEMO::btCalcVEMOClick(TSender) {
  const std::string q = WordN(cbCalcVEMO->Text(), 1);
  const int32_t fmod = ngFMOD->RowCount() >= 2 && CellOn(ngFMOD, "GxFMODQ", 1) ? 1 : 0;
  std::string model;
  for (int r = 0; r < ngMod->RowCount() && model.empty(); ++r)
    if (CellOn(ngMod, "GxModQ", r)) model = CellText(ngMod, "GxModName", r);
  std::string msg;
  if (!VemoCalc(Keeper(), q, model, fmod, cbKDER->Checked(), Cont().WK.LAM, msg)) {
    if (!msg.empty()) WARNAbs(msg);
    return;
  }
  FillSIDGrid();
  ngVEMOFill();
}

void TTabVEMO::cbCalcVEMOChange(TSender) { SetcbKDERVisible(); }

void TTabVEMO::Button1Click(TSender) {
  const int32_t r = ngVEMO->SelectedRow();
  TVEMO* v = RowVector(r);
  if (r < 0 || !v) {
    WARNAbs("Выбрана строка "_cp + IntStr(r));
    return;
  }
  WARNAbs(v->RepSetText());
}

void TTabVEMO::btVEMOReportClick(TSender) {
  TVEMO* v = RowVector(VEMOCurRow);
  if (!v) {
    WARNAbs("НЕ ВЫБРАНА СТРОКА С ВЕКТОРОМ МОДЕЛИ!"_cp);
    return;
  }
  ShowText("VEMO_Report", *v->DumpFull());
}

void TTabVEMO::btNGVEMOReportClick(TSender) {
  if (ParamList().ReadVEMO()) ngVEMOFill();
  std::vector<TVemoMarked> marked;
  for (int32_t r = 0; r < ngVEMO->RowCount(); ++r)
    if (CellOn(ngVEMO, "GxVEMOQ", r))
      if (TVEMO* v = RowVector(r)) marked.push_back({v, ValIntOr0(CellText(ngVEMO, "GxKOut", r))});
  ShowText("VEMO_Report", *VemoMarkedReport(Keeper(), marked));
}

void TTabVEMO::btVEMOPrintClick(TSender) {
  TStringList L;
  std::vector<int> cols;
  std::string head;
  for (int c = 0; c < ngVEMO->Columns().ColumnCount(); ++c) {
    TGxCustomColumn* col = ngVEMO->Columns().Column(c);
    if (!col->Visible()) continue;
    cols.push_back(c);
    head += " " + gx::A(col->Header().Caption());
  }
  L.Add(head);
  for (int r = 0; r < ngVEMO->RowCount(); ++r) {
    std::string s;
    for (int c : cols) {
      TCell* cell = ngVEMO->CellAt(c, r);
      s += " " + (cell ? cell->GetAsText() : std::string());
    }
    L.Add(s);
  }
  ShowText("PageVEMO", L);
}

void TTabVEMO::btVEMOClearOneClick(TSender) {
  VemoDelete(Keeper(), EditedVectors, MarkedVectors());
  RefreshVEMOTab();
  VEMOCountShown = Keeper().Count();
}

void TTabVEMO::btVEMODELClearClick(TSender) {
  std::vector<std::string> mods;
  for (int r = 0; r < ngMod->RowCount(); ++r)
    if (CellOn(ngMod, "GxModQ", r)) mods.push_back(CellText(ngMod, "GxModName", r));
  VemoDeleteModels(Keeper(), EditedVectors, mods);
  RefreshVEMOTab();
  VEMOCountShown = Keeper().Count();
}

void TTabVEMO::btVEMOClearAtLiLamClick(TSender) {
  VemoDeleteLineVectors(Keeper(), EditedVectors);
  RefreshVEMOTab();
  VEMOCountShown = Keeper().Count();
}

void TTabVEMO::btPicVEMOClick(TSender) {
  TVEMO *x = nullptr, *y = nullptr;
  std::string msg;
  if (!VemoDrawPair(MarkedVectors(), x, y, msg)) {
    WARNAbs(msg);
    return;
  }
  if (!ShowPictPlotter() || !PLOTTER) return;
  PLOTTER->SyncCurArrPlot();
  const std::string style = PLOTTER->Tools ? PLOTTER->Tools->ToolGet("edLineStyle") : "";
  PLOTTER->UpDateGraphByTitle(x->A, y->A, 1, 1, style, y->FullName(), x->NAME, y->NAME, x->NAME,
                              y->NAME);
  PLOTTER->PlayOnce();
  EditedVectors.Add(*y);
}

void TTabVEMO::btTAnalizeClick(TSender) {
  const int32_t r = ngVEMO->SelectedRow();
  if (OpenTAnalizeRow(r + 1, ngVEMO->RowCount(), RowVector(r)) && FTAnalize)
    FTAnalize->AfterReturn = [this] { ngVEMOFill(); };
}
