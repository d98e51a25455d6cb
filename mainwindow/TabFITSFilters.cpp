// The FITS tab's level filters and the numbers behind the maps: the filter and operand fields
// with their settings keys, the recount of the level combinations and the current mask, filter
// sets, the sessions grid's filter, the walks over the combinations (graphs, histograms, the
// text table, averaged profiles: jobs on copies of the maps), a cut, the mean curves, the session
// constants (CB0, the area summary) and "d2Circ". The computing is in scans/cvMapStats.h and
// scans/cvSessionConsts.h.
#include <QApplication>
#include <algorithm>
#include <memory>

#include "app/cvEd.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "foundation/cvTunes.h"
#include "app/cvApp.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/PictPlotter.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TestLinks.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapAlg.h"
#include "scans/cvMapStats.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessionConsts.h"

namespace {

TTunes* Tunes() { return App ? App->TunFITS.get() : nullptr; }

// A settings key of the section "FITS": removed when the text is empty.
void PutKey(const std::string& Key, const std::string& Text) {
  TTunes* t = Tunes();
  if (!t) return;
  if (TrimSp(Text).empty())
    t->Clear(Key);
  else
    t->Set(Key, Text);
}

int32_t IntOf(const std::string& S) {
  int32_t code = 0;
  const int32_t v = ValIntCode(TrimSp(S), code);
  return code == 0 ? v : 0;
}

void ToEditor(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

void Plot(const TXYGraph& G) {
  if (!PLOTTER) return;
  PLOTTER->NewGraph(G.X, G.Y, G.Tile, 1, G.Format, G.Title, G.NameX, G.NameY, G.DimX, G.DimY);
}

int32_t ColOf(TCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? c->Index() : -1;
}

}  // namespace

// ---------------------------------------------------------------- events and handlers

const std::vector<platform::TFormEvent>& TTabFITS::FilterEvents() {
  static const std::vector<platform::TFormEvent> e = {
      {"cbFilt1", "OnChange", "cbFilt1Change"},     {"cbFilt2", "OnChange", "cbFilt2Change"},
      {"cbFilt3", "OnChange", "cbFilt3Change"},     {"edFilt11", "OnChange", "edFilt11Change"},
      {"edFilt21", "OnChange", "edFilt21Change"},   {"edFilt31", "OnChange", "edFilt31Change"},
      {"cb_OpY", "OnChange", "cb_OpYChange"},       {"cb_OpX", "OnChange", "cb_OpXChange"},
      {"cb_OpC", "OnChange", "cb_OpCChange"},       {"cbFilt1", "OnEnter", "cbFilt1Enter"},
      {"cbFilt2", "OnEnter", "cbFilt2Enter"},       {"cbFilt3", "OnEnter", "cbFilt3Enter"},
      {"cbFilt1", "OnExit", "FiltControlExit"},     {"cbFilt2", "OnExit", "FiltControlExit"},
      {"cbFilt3", "OnExit", "FiltControlExit"},     {"edFilt11", "OnExit", "FiltControlExit"},
      {"edFilt21", "OnExit", "FiltControlExit"},    {"edFilt31", "OnExit", "FiltControlExit"},
      {"edFOFiltCur", "OnChange", "edFOFiltCurChange"}, {"udFilt", "OnChange", "udFiltChange"},
      {"bt_FOGra", "OnClick", "bt_FOGraClick"},     {"bt_Hist", "OnClick", "bt_HistClick"},
      {"bt_List", "OnClick", "bt_ListClick"},       {"bt_Cut", "OnClick", "bt_CutClick"},
      {"bt_Prof", "OnClick", "bt_ProfClick"},       {"btMeanX", "OnClick", "btMeanXClick"},
      {"btMeanY", "OnClick", "btMeanYClick"},       {"btMeanY_t", "OnClick", "btMeanY_tClick"},
      {"btMeanY_vO", "OnClick", "btMeanY_vOClick"}, {"bt_vO_t", "OnClick", "bt_vO_tClick"},
      {"btMeanY_k", "OnClick", "btMeanY_kClick"},
      {"btd2Circ", "OnClick", "btd2CircClick"},     {"udXCut", "OnChange", "udXCutClick"},
      {"udYCut", "OnChange", "udYCutClick"},        {"ed_IX1", "OnChange", "ed_IX1Change"},
      {"ed_IY1", "OnChange", "ed_IY1Change"},
      {"cb_OpY", "OnEnter", "OperandEnter"},        {"cb_OpX", "OnEnter", "OperandEnter"},
      {"cb_OpC", "OnEnter", "OperandEnter"},        {"pm_Graph", "OnClick", "pm_GraphClick"},
      {"pm_Hist", "OnClick", "bt_HistClick"},       {"pm_SetX", "OnClick", "pm_SetXClick"},
      {"pm_SetY", "OnClick", "pm_SetYClick"},       {"pm_SetFilt", "OnClick", "pm_SetFiltClick"},
  };
  return e;
}

void TTabFITS::RegisterFilterHandlers(platform::THandlerRegistry& H) {
  const char* keys[3] = {"Filt1_Map", "Filt2_Map", "Filt3_Map"};
  platform::TComboBox* combos[3] = {cbFilt1, cbFilt2, cbFilt3};
  platform::TEdit* edits[3] = {edFilt11, edFilt21, edFilt31};
  const char* vals[3] = {"Filt1_Val", "Filt2_Val", "Filt3_Val"};
  for (int k = 0; k < 3; ++k) {
    const std::string n = IntStr(k + 1);
    H.Add("cbFilt" + n + "Change", [=](TSender) { PutKey(keys[k], TrimSp(combos[k]->Text())); });
    H.Add("edFilt" + n + "1Change",
          [=](TSender) { PutKey(vals[k], TabsToBlanks(edits[k]->Text())); });
    H.Add("cbFilt" + n + "Enter", [this, k, combos](TSender) {
      FiltFocus = k + 1;
      FillOperandCombo(combos[k]);
    });
  }
  H.Add("cb_OpYChange", [this](TSender) { PutKey("OpY_Map", TrimSp(cb_OpY->Text())); });
  H.Add("cb_OpXChange", [this](TSender) { PutKey("OpX_Map", TrimSp(cb_OpX->Text())); });
  H.Add("cb_OpCChange", [this](TSender) { PutKey("OpC_Map", cb_OpC->Text()); });
  H.Add("FiltControlExit", [this](TSender) { UpDateCurFilt(); });
  H.Add("OperandEnter", [this](TSender E) {
    if (auto* c = dynamic_cast<platform::TComboBox*>(E.Sender)) FillOperandCombo(c);
  });
  // the map list's popup: the current map as an operand or a filter map
  H.Add("pm_SetXClick", [this](TSender) {
    if (TFIOut* m = CurMap(true)) cb_OpX->SetText(m->Name);
  });
  H.Add("pm_SetYClick", [this](TSender) {
    if (TFIOut* m = CurMap(true)) cb_OpY->SetText(m->Name);
  });
  H.Add("pm_SetFiltClick", [this](TSender) {
    if (FiltFocus < 1 || FiltFocus > 3) FiltFocus = 1;
    platform::TComboBox* f[3] = {cbFilt1, cbFilt2, cbFilt3};
    if (TFIOut* m = CurMap(true)) f[FiltFocus - 1]->SetText(m->Name);
  });
  H.Add("pm_GraphClick", [this](TSender E) {
    if (TFIOut* m = CurMap(true)) {
      cb_OpY->SetText(m->Name);
      FOSession = m->DTKey();
    }
    bt_FOGraClick(E);
  });
  H.Add("ngFO_FiltCellClick", [this](TSender E) {
    if (cbAutoFill->Checked() && E.Col == ColOf(ngFO_Filt, "gxFO_Name") && E.Row >= 0 &&
        E.Row < ngFO_Filt->RowCount())
      InsertAutoFill(ngFO_Filt->CellAt(E.Col, E.Row)->GetAsText());
    LastClickGrid = "ngFO_Filt";
  });
  // the picture tool's histogram of a graph's values
  Plotting().PlotHistogram = [this](const TARe& X, const std::string& Name) {
    PlotHistogram(X, Name);
  };
  udXCut->SetMax(2047);
  udYCut->SetMax(1023);
  CV_HANDLER(H, edFOFiltCurChange);
  H.Add("udFiltChange", [this](TSender) {
    if (!FiltUpdating) edFOFiltCur->SetText(IntStr(udFilt->Position()));
  });
  CV_HANDLER(H, bt_FOGraClick);
  CV_HANDLER(H, bt_HistClick);
  CV_HANDLER(H, bt_ListClick);
  CV_HANDLER(H, bt_CutClick);
  CV_HANDLER(H, bt_ProfClick);
  CV_HANDLER(H, bt_MaskClick);
  H.Add("btMeanXClick", [this](TSender) { MeanClick(0); });
  H.Add("btMeanYClick", [this](TSender) { MeanClick(1); });
  H.Add("btMeanY_tClick", [this](TSender) { MeanClick(2); });
  H.Add("btMeanY_vOClick", [this](TSender) { MeanClick(3); });
  CV_HANDLER(H, bt_vO_tClick);
  CV_HANDLER(H, btMeanY_kClick);
  CV_HANDLER(H, btCB0Click);
  CV_HANDLER(H, btListCalc_CVClick);
  CV_HANDLER(H, btd2CircClick);
  H.Add("udXCutClick", [this](TSender) { CutStep(true); });
  H.Add("udYCutClick", [this](TSender) { CutStep(false); });
  // the first point's edits and their up-downs follow each other
  H.Add("ed_IX1Change", [this](TSender) {
    if (CutMoving) return;
    CutX1 = IntOf(ed_IX1->Text());
    CutMoving = true;
    udXCut->SetValue(CutX1);
    CutMoving = false;
  });
  H.Add("ed_IY1Change", [this](TSender) {
    if (CutMoving) return;
    CutY1 = IntOf(ed_IY1->Text());
    CutMoving = true;
    udYCut->SetValue(CutY1);
    CutMoving = false;
  });
  CV_HANDLER(H, bt_AddFiltSetClick);
  CV_HANDLER(H, cb_FiltSetChange);
  H.Add("bt_FOFilt_OnClick", [this](TSender) { SetAllFOFilt(true); });
  H.Add("bt_FO_Filt_offClick", [this](TSender) { SetAllFOFilt(false); });
  H.Add("ngFO_FiltCellDblClick", [this](TSender E) {
    if (E.Col != ColOf(ngFO_Filt, "gxOn") || E.Row < 0 || E.Row >= ngFO_Filt->RowCount()) return;
    TCell* c = ngFO_Filt->CellAt(E.Col, E.Row);
    c->SetAsBoolean(!c->GetAsBoolean());
  });
  CV_HANDLER(H, sbSesFilterClick);
}

// ---------------------------------------------------------------- the filter fields

TFiltControls TTabFITS::FiltControls() {
  TFiltControls c;
  platform::TComboBox* combos[3] = {cbFilt1, cbFilt2, cbFilt3};
  platform::TEdit* edits[3] = {edFilt11, edFilt21, edFilt31};
  platform::TCheckBox* abs[3] = {cb_Abs1, cb_Abs2, cb_Abs3};
  platform::TCheckBox* his[3] = {cb_His1, cb_His2, cb_His3};
  for (int k = 0; k < 3; ++k) {
    c.Rows[k].Map = TrimSp(combos[k]->Text());
    c.Rows[k].Text = TabsToBlanks(edits[k]->Text());
    c.Rows[k].Abs = abs[k]->Checked();
    c.Rows[k].Hist = his[k]->Checked();
  }
  c.X1 = IntOf(ed_IX1->Text());
  c.X2 = IntOf(ed_IX2->Text());
  c.Y1 = IntOf(ed_IY1->Text());
  c.Y2 = IntOf(ed_IY2->Text());
  c.PerSession = cb_ses->Checked();
  c.Filt = cbFilt->Checked();
  return c;
}

void TTabFITS::EnsureFOSession() {
  if (FOSession.empty()) FOSession = CurSession;
}

void TTabFITS::UpDateCurFilt() {
  if (FiltUpdating) return;
  EnsureFOSession();
  FiltUpdating = true;
  const TCurFiltView v = ::UpDateCurFilt(FiltControls(), FOSession, FiltCombCur);
  FiltCombCount = v.Count;
  FiltCombCur = v.Cur;
  memoCurFilt->setVisible(v.Shown);
  udFilt->setVisible(v.Shown);
  edFOFiltCur->setVisible(v.Shown);
  lbNFilt->setVisible(v.Shown);
  if (v.Shown) {
    lbNFilt->SetCaption(IntStr(v.Count));
    udFilt->SetMin(1);
    udFilt->SetMax(v.Count);
    udFilt->SetValue(v.Cur);
    edFOFiltCur->SetText(IntStr(v.Cur));
    memoCurFilt->SetLines(v.Memo);
    memoCurFilt->SetCaret(0, 0);
    if (v.MaskBuilt) {
      if (TFIOut* m = CurMap(false)) m->InfoToPanel();
    }
  }
  FiltUpdating = false;
}

void TTabFITS::edFOFiltCurChange(TSender) {
  if (FiltUpdating) return;
  TLFIOut* r = LFIOOrNull();
  if (!r || r->Count() == 0) return;
  FiltCombCur = IntOf(edFOFiltCur->Text());
  UpDateCurFilt();
}

TFIOut* TTabFITS::CurMap(bool Warn) {
  EnsureFOSession();
  TFIOut* m = testlinks::Hooks().CurFIOut();
  if (!m) {
    TLFIOut* r = LFIOOrNull();
    m = r ? r->FindByDTName(FOSession, TrimSp(cb_OpY->Text())) : nullptr;
  }
  if (!m && Warn) WARNAbs("Никакая карта не выбрана в списке LFIO! Выберите карту!"_cp);
  return m;
}

bool TTabFITS::PrepWalk(const std::vector<std::string>& Names, bool WithScan, TMapWalk& W) {
  return PrepMapWalk(FiltControls(), FOSession, Names, WithScan ? CurLFITS.get() : nullptr, W);
}

// ---------------------------------------------------------------- the walks

void TTabFITS::bt_FOGraClick(TSender) {
  if (busy()) return;
  EnsureFOSession();
  const std::vector<std::string> names =
      OperandMapList(cb_OpX->Text(), cb_OpY->Text(), cb_OpC->Text(), FOSession);
  auto walk = std::make_shared<TMapWalk>();
  if (!PrepWalk(names, false, *walk)) return;
  if (!PrepPictPlotter()) return;
  auto out = std::make_shared<std::vector<TXYGraph>>();
  Jobs.Start(std::make_shared<TJob>("Graph " + FOSession),
             [walk, out](TJob& J) { *out = MapGraphs(J, *walk); },
             [out](TJob&) {
               for (const TXYGraph& g : *out) Plot(g);
               if (PLOTTER) PLOTTER->PlayOnce();
             });
}

void TTabFITS::bt_HistClick(TSender) {
  if (busy()) return;
  TFIOut* cur = CurMap(false);
  if (!cur) {
    WARNAbs("Не выбрана текущая карта - строка в таблице LFIO, её индекс = "_cp +
            IntStr(iMapIndex) + "!");
    return;
  }
  cb_OpX->SetText(cur->Name);
  FOSession = cur->DTKey();
  std::vector<std::string> names =
      OperandMapList(cb_OpX->Text(), cb_OpY->Text(), cb_OpC->Text(), FOSession);
  if (names.empty()) {
    WARNAbs("Нужная карта должна быть выбрана в поле \"X\"!"_cp);
    return;
  }
  names.resize(1);
  auto walk = std::make_shared<TMapWalk>();
  if (!PrepWalk(names, false, *walk)) return;
  auto out = std::make_shared<std::vector<TARe>>();
  const std::string title = "Hist_" + names[0];
  Jobs.Start(std::make_shared<TJob>("Hist " + FOSession),
             [walk, out](TJob& J) { *out = MapHistValues(J, *walk); },
             [this, out, title](TJob&) {
               for (const TARe& v : *out) PlotHistogram(v, title);
             });
}

THistSettings TTabFITS::GrafHistSettings() {
  THistSettings s;
  const platform::TFormRegistry& R = Shell.Registry;
  if (auto* e = R.As<platform::TEdit>("edkMi")) s.kMi = e->Text();
  if (auto* e = R.As<platform::TEdit>("edkMa")) s.kMa = e->Text();
  if (auto* e = R.As<platform::TEdit>("edNN")) s.NN = e->Text();
  if (auto* c = R.As<platform::TCheckBox>("cbGraHist")) s.SortCut = c->Checked();
  if (auto* c = R.As<platform::TComboBox>("cbLogNorm")) s.LogNorm = c->Text();
  return s;
}

void TTabFITS::PlotHistogram(const TARe& Values, const std::string& Title) {
  TXYGraph g;
  double lo = 0, hi = 0;
  if (!HistogramGraph(Values, Title, GrafHistSettings(), g, lo, hi)) return;
  if (!PrepPictPlotter()) return;
  Plot(g);
  if (PLOTTER) PLOTTER->PlayOnce();
  const platform::TFormRegistry& R = Shell.Registry;
  if (auto* e = R.As<platform::TEdit>("edMiVal")) e->SetText(ShortSt(5, lo));
  if (auto* e = R.As<platform::TEdit>("edMaVal")) e->SetText(ShortSt(5, hi));
}

void TTabFITS::bt_ListClick(TSender) {
  if (busy()) return;
  EnsureFOSession();
  TListColumns cols;
  cols.iX = cb_iX->Checked();
  cols.iY = cb_iY->Checked();
  cols.aX = cb_AngleX->Checked();
  cols.fiY = cb_AngleY->Checked();
  cols.T = cb_T->Checked();
  cols.vO = cb_vO->Checked();
  cols.NDig = std::max(IntOf(edNDig->Text()), 1);
  const bool coords = cols.aX || cols.fiY || cols.T || cols.vO;
  if (coords && (!CurLFITS || CurLFITS->Count() == 0)) {
    // the coordinate columns read the scan's axes: the session's scan linked and read
    const std::string folder = ScanFolder(FOSession);
    LinkSessionFolder(folder);
    TJob hj("headers");
    RunJob(hj, [this](TJob& J) { CurLFITS->LoadHeaders(J); });
  }
  const std::vector<std::string> names =
      OperandMapList(cb_OpX->Text(), cb_OpY->Text(), cb_OpC->Text(), FOSession);
  auto walk = std::make_shared<TMapWalk>();
  if (!PrepWalk(names, coords, *walk)) return;
  auto out = std::make_shared<TStringList>();
  Jobs.Start(std::make_shared<TJob>("List " + FOSession),
             [walk, out, cols](TJob& J) { MapListText(J, *walk, cols, *out); },
             [this, out](TJob& J) {
               if (J.Cancelled()) return;
               ToEditor("FITS ", *out);
               Shell.ShowPage("TabEd");
             });
}

void TTabFITS::bt_ProfClick(TSender) {
  if (busy()) return;
  TFiltControls c = FiltControls();
  TFiltList L;
  FiltListFromControls(c, L);
  if (L.empty()) {
    WARNAbs("Ни один фильтр не задан!"_cp);
    return;
  }
  auto ses = LSes_by_Na(L[0]->Na);
  if (!ses || ses->Count() == 0) {
    WARNAbs("Не найдены сессии для строки:\n\r<"_cp + L[0]->Na + ">");
    return;
  }
  if (c.PerSession) {
    WARNAbs("Уберите значёк, который позволяет рассматривать сессии раздельно\r\nи выбирите одну нужную сессию!"_cp);
    return;
  }
  FOSession = (*ses)[0];
  std::string da, ti;
  da = FOSession.substr(0, FOSession.find('_'));
  ti = FOSession.substr(FOSession.find('_') + 1);
  std::vector<std::string> names;
  if (cbVLOSprof->Checked()) {
    for (const char* n : {"LWb1", "LWr1", "LWb2", "LWr2"})
      if (!LFIOReg().GetFIOutDT(da, ti, n)) {
        WARNAbs("В сеансе "_cp + FOSession + " не рассчитана карта "_cp + n);
        return;
      }
    for (const char* l : {"LV51=mid(LWb1,LWr1)", "LV52=mid(LWb2,LWr2)"})
      if (!FOLineToMap(l, da, ti)) return;
    names = {"LV51", "LV52"};
  }
  auto walk = std::make_shared<TMapWalk>();
  if (!PrepMapWalk(c, FOSession, names, nullptr, *walk)) return;
  LinkSessionFolder(ScanFolder(FOSession));
  LFITS_SetOptions();
  if (EdAssigned(Ed)) {
    TStringList none;
    Ed->EdLoadSL("Stokes_Profiles ", &none);
  }
  TLFITS* scan = CurLFITS.get();
  const bool vlos = cbVLOSprof->Checked();
  auto text = std::make_shared<TStringList>();
  auto combs = std::make_shared<std::vector<TProfComb>>();
  Jobs.Start(
      std::make_shared<TJob>("Prof " + FOSession),
      [walk, scan, vlos, text, combs](TJob& J) {
        if (scan->Count() == 0 || !scan->Bit(1)) {
          if (!scan->LoadHeaders(J) || J.Cancelled()) return;
        }
        StokesProfilesByFilter(J, *walk, *scan, vlos, *text, *combs);
      },
      [this, text, combs](TJob& J) {
        if (J.Cancelled() || J.State() != TJobState::Done) return;
        // the profiles of the combinations replace the last run's only now
        auto p = std::make_unique<TLFITS>();
        ProfContSums.clear();
        for (const TProfComb& c : *combs) {
          auto f = std::make_unique<TFITS>();
          f->IVpV = c.IpV;
          f->IVmV = c.ImV;
          f->IVI = c.I;
          f->IVRow = -1;
          p->Files.push_back(std::move(f));
          ProfContSums.push_back(c.ContSum);
        }
        ProfLFITS = std::move(p);
        ToEditor("Stokes_Profiles ", *text);
      });
}

void TTabFITS::bt_MaskClick(TSender) { FO_ShowMask(); }

void TTabFITS::FO_ShowMask() {
  EnsureFOSession();
  TMapWalk w;
  if (!PrepWalk({}, false, w)) return;
  TAIn idx;
  ResetLevelIndex(std::max(FiltCombCur, 1), w.Limits, idx);
  TAByBy mask;
  int32_t n = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  WalkMask(w, idx, mask, n, x1, x2, y1, y2);
  TFIOut* first = LFIOReg().FindByDTName(FOSession, w.Filters[0]->Na);
  if (!first) {
    WARNAbs("FO_ShowMask-ERR в списке TL элемент 0 = NIL");
    return;
  }
  std::string cap;
  for (size_t k = 0; k < w.Filters.size(); ++k) {
    double lo = 0, hi = 0;
    w.Filters[k]->LevelsI(idx[k], lo, hi);
    if (k > 0) cap += "|";
    cap += w.Filters[k]->Na + "[" + FDecSt(6, lo) + "_" + FDecSt(6, hi) + "]" +
           (w.Filters[k]->bAbs ? "y" : "n") + (w.Filters[k]->bHist ? "y" : "n");
  }
  if (!LFIOReg().SameSrc()) cap = "(" + first->Ti.substr(0, 4) + ")" + cap;
  SetLFOPCur(cap);
  MaskCaption = cap;
  if (!first->Pict) first->ToPict();
  first->ShowMasked(mask);
}

// ---------------------------------------------------------------- cut and means

void TTabFITS::bt_CutClick(TSender) {
  if (!PrepPictPlotter()) return;
  TFIOut* m = CurMap(true);
  if (!m || !m->EnsureLoaded()) return;
  TXYGraph g;
  if (!MapCut(*m, IntOf(ed_IX1->Text()), IntOf(ed_IY1->Text()), IntOf(ed_IX2->Text()),
              IntOf(ed_IY2->Text()), IntOf(ed_grWide->Text()), g))
    return;
  Plot(g);
  if (PLOTTER) PLOTTER->PlayOnce();
}

void TTabFITS::FillOperandCombo(platform::TComboBox* C) {
  const std::string text = C->Text();
  C->blockSignals(true);
  C->ClearItems();
  C->AddItem("");
  if (TFIOut* m = testlinks::Hooks().CurFIOut()) C->AddItem(m->Name);
  const int32_t on = ColOf(ngFO_Filt, "gxOn"), nm = ColOf(ngFO_Filt, "gxFO_Name");
  for (int r = 0; r < ngFO_Filt->RowCount(); ++r)
    if (ngFO_Filt->CellAt(on, r)->GetAsBoolean()) C->AddItem(ngFO_Filt->CellAt(nm, r)->GetAsText());
  C->SetText(text);
  C->blockSignals(false);
}

void TTabFITS::CutStep(bool X) {
  if (CutMoving) return;
  platform::TEdit* e1 = X ? ed_IX1 : ed_IY1;
  platform::TEdit* e2 = X ? ed_IX2 : ed_IY2;
  platform::TUpDown* ud = X ? udXCut : udYCut;
  int32_t& old = X ? CutX1 : CutY1;
  const int32_t now = ud->Position();
  const int32_t d = now - old;
  CutMoving = true;
  e1->SetText(IntStr(now));
  e2->SetText(IntStr(IntOf(e2->Text()) + d));
  CutMoving = false;
  (X ? CutX1Old : CutY1Old) = old;
  old = now;
}

void TTabFITS::MeanClick(int Kind) {
  TFIOut* m = CurMap(false);
  if (!m) {
    WARNAbs(Kind == 0 ? "Никакая карта не выбрана в списке LFIO! Выберите карту!"_cp
                      : "Никакая карта не отображена! Нарисуйте какую-нибудь карту!"_cp);
    return;
  }
  if (!m->EnsureLoaded()) return;
  if (!PrepPictPlotter()) return;
  const bool filt = cbFilt->Checked();
  TAByBy mask;
  if (filt && !CurFiltMask(mask)) return;
  const TAByBy* mp = filt ? &mask : nullptr;
  const std::string ft = Scans().Filt.Text;
  TXYGraph g;
  bool ok = false;
  if (Kind == 0) {
    ok = MeanXGraph(*m, mp, ft, g);
  } else if (Kind == 1) {
    ok = MeanYGraph(*m, mp, ft, g);
  } else {
    if (!CurLFITS || CurLFITS->Count() == 0) {
      WARNAbs("LFITS Not Assigned!");
      return;
    }
    ok = MeanYAxisGraph(*m, *CurLFITS, Kind == 2 ? TMeanAxis::Time : TMeanAxis::VOrbit, "", mp,
                        ft, g);
  }
  if (ok) {
    Plot(g);
    if (PLOTTER) PLOTTER->PlayOnce();
  }
  m->InfoToPanel();
}

bool TTabFITS::CurFiltMask(TAByBy& Mask) {
  EnsureFOSession();
  TMapWalk w;
  if (!PrepWalk({}, false, w)) return false;
  TAIn idx;
  ResetLevelIndex(std::max(FiltCombCur, 1), w.Limits, idx);
  int32_t n = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  WalkMask(w, idx, Mask, n, x1, x2, y1, y2);
  TFiltState& st = Scans().Filt;
  st.Mask = Mask;
  st.MaskN = n;
  st.Text = cbFilt->Checked() ? FiltListText(w.Filters, idx) : std::string();
  return true;
}

void TTabFITS::bt_vO_tClick(TSender) {
  if (!CurLFITS || CurLFITS->Count() == 0) {
    WARNAbs("LFITS Not Assigned!");
    return;
  }
  if (!PrepPictPlotter()) return;
  TXYGraph g;
  if (VOtGraph(*CurLFITS, g)) {
    Plot(g);
    if (PLOTTER) PLOTTER->PlayOnce();
  }
}

void TTabFITS::btMeanY_kClick(TSender) {
  TFIOut* m = CurMap(false);
  if (!m) {
    WARNAbs("Никакая карта не отображена (или не выбрана в LFIO)!\n\rНарисуйте + выберите в LFIO карту!"_cp);
    return;
  }
  if (!m->EnsureLoaded()) return;
  const std::string key = TrimSp(cbSrcFITSKey->Text());
  if (key == "LFITS_Key" || key.empty()) {
    WARNAbs("Нарисуйте + выберите в LFIO карту\n\rзатем выбирите LFITS_Key!"_cp);
    return;
  }
  if (!CurLFITS || CurLFITS->Count() == 0) {
    WARNAbs("LFITS Not Assigned!");
    return;
  }
  if (!PrepPictPlotter()) return;
  TAByBy mask;
  const bool filt = cbFilt->Checked();
  if (filt && !CurFiltMask(mask)) return;
  TXYGraph g;
  if (MeanYAxisGraph(*m, *CurLFITS, TMeanAxis::Key, key, filt ? &mask : nullptr,
                     Scans().Filt.Text, g)) {
    Plot(g);
    if (PLOTTER) PLOTTER->PlayOnce();
    m->InfoToPanel();
  }
}

// ---------------------------------------------------------------- session constants

void TTabFITS::btCB0Click(TSender) {
  if (busy()) return;
  const std::string ses = CurSessionName();
  if (ses.empty()) return;
  FOSession = ses;
  auto table = std::make_shared<TStringList>();
  auto r = std::make_shared<TCB0Result>();
  r->Table = table.get();
  const bool show = cbCB0_Show->Checked();
  Jobs.Start(std::make_shared<TJob>("23_CB0 " + ses),
             [ses, r, table](TJob& J) { CalcCB0(J, ses, *r); },
             [r, table, show](TJob& J) {
               if (J.Cancelled() || !show) return;
               ToEditor("Polariz", *table);
               if (!PrepPictPlotter() || !PLOTTER) return;
               TXYGraph g;
               g.X = r->Hist.X;
               g.Y = r->Hist.Smooth;
               g.DimY = "dim2";
               g.DimX = "dim1";
               g.NameY = "n";
               g.NameX = "W2QUV";
               g.Title = "Hist(W2QUV)";
               g.Format = "-.K";
               Plot(g);
               PLOTTER->PlayOnce();
             });
}

void TTabFITS::btListCalc_CVClick(TSender) {
  if (busy()) return;
  const std::string ses = CurSessionName();
  if (ses.empty()) return;
  FOSession = ses;
  LinkSessionFolder(ScanFolder(ses));
  TLFITS* scan = CurLFITS.get();
  auto err = std::make_shared<TStringList>();
  auto r = std::make_shared<TSummaryResult>();
  r->Error = err.get();
  Jobs.Start(std::make_shared<TJob>("3.5_List " + ses),
             [ses, scan, r](TJob& J) { CalcSessionSummary(J, ses, *scan, *r); },
             [err](TJob&) {
               if (err->Count() > 0) ToEditor("ERROR", *err);
             });
}

void TTabFITS::btd2CircClick(TSender) {
  if (busy()) return;
  const std::string ses = !FOSession.empty() ? FOSession : CurSessionName();
  if (ses.empty()) return;
  Jobs.Start(std::make_shared<TJob>("d2Circ " + ses),
             [ses](TJob& J) { CalcD2Circ(J, ses); });
}

// ---------------------------------------------------------------- filter sets

void TTabFITS::bt_AddFiltSetClick(TSender) {
  const std::string set = TrimSp(cb_FiltSet->Text());
  if (set == "Any" || set.empty()) return;
  const std::string prefix = rbME->Checked() ? "FiltME|" : "FiltCV|";
  TTunes* t = Tunes();
  if (!t) return;
  const int32_t on = ColOf(ngFO_Filt, "gxOn"), nm = ColOf(ngFO_Filt, "gxFO_Name");
  for (int r = 0; r < ngFO_Filt->RowCount(); ++r) {
    const std::string key = prefix + set + "|" + ngFO_Filt->CellAt(nm, r)->GetAsText();
    if (ngFO_Filt->CellAt(on, r)->GetAsBoolean())
      t->Set(key, "1");
    else
      t->Clear(key);
  }
}

void TTabFITS::cb_FiltSetChange(TSender) {
  const std::string set = TrimSp(cb_FiltSet->Text());
  if (set == "Any" || set.empty()) return;
  TTunes* t = Tunes();
  if (!t) return;
  auto names = t->SubNames2(std::string(rbME->Checked() ? "FiltME" : "FiltCV") + "|" + set);
  if (names) WARNAbsSL(names.get());
}

void TTabFITS::SetAllFOFilt(bool On) {
  const int32_t on = ColOf(ngFO_Filt, "gxOn");
  for (int r = 0; r < ngFO_Filt->RowCount(); ++r) ngFO_Filt->CellAt(on, r)->SetAsBoolean(On);
}

// ---------------------------------------------------------------- the sessions grid's filter

void TTabFITS::FillSesFilt() {
  ngSesFilt->ClearRows();
  const int n = ngFITS_YM->Columns().ColumnCount();
  if (n <= 5) return;
  ngSesFilt->AddRows(n - 5);
  const int32_t f = ColOf(ngSesFilt, "GxSesFld");
  for (int i = 5; i < n; ++i) {
    TGxCustomColumn* c = ngFITS_YM->Columns().Column(i);
    ngSesFilt->CellAt(f, i - 5)->SetAsText(c ? gx::A(c->Header().Caption()) : std::string());
  }
}

void TTabFITS::sbSesFilterClick(TSender) {
  if (sbSesFilter->Down())
    ApplySesFilter();
  else
    cbFITS_YMChange({});
}

void TTabFITS::ApplySesFilter() {
  const int32_t f = ColOf(ngSesFilt, "GxSesFld"), a = ColOf(ngSesFilt, "GxValFrom"),
                b = ColOf(ngSesFilt, "GxValTo");
  TStringList lines;
  for (int r = 0; r < ngSesFilt->RowCount(); ++r) {
    const std::string lo = TrimSp(ngSesFilt->CellAt(a, r)->GetAsText()),
                      hi = TrimSp(ngSesFilt->CellAt(b, r)->GetAsText());
    if (lo.empty() || hi.empty()) continue;
    lines.Add(ngSesFilt->CellAt(f, r)->GetAsText() + " " + lo + " " + hi + " " + IntStr(r));
  }
  if (lines.Count() == 0) return;
  WARNAbsSL(&lines);
  TSesFltLst flt;
  TSesFltLst::Fill(&flt, lines);
  std::vector<bool> keep(static_cast<size_t>(ngFITS_YM->RowCount()), true);
  int kept = 0;
  for (int r = 0; r < ngFITS_YM->RowCount(); ++r) {
    for (const TSesFltRec& rec : flt.Items) {
      const int c = rec.Col + 5;
      if (c >= ngFITS_YM->Columns().ColumnCount()) continue;
      int32_t code = 0;
      const double v = ValRealCode(TrimSp(ngFITS_YM->CellAt(c, r)->GetAsText()), code);
      if (code != 0 || v < rec.Lo || v > rec.Hi) keep[static_cast<size_t>(r)] = false;
    }
    if (keep[static_cast<size_t>(r)]) ++kept;
  }
  if (kept == 0) return;
  // the rows not kept are taken out: the kept rows keep their cells as they are (typed values,
  // check boxes included)
  ngFITS_YM->BeginUpdate();
  for (int r = ngFITS_YM->RowCount() - 1; r >= 0; --r)
    if (!keep[static_cast<size_t>(r)]) ngFITS_YM->DeleteRow(r);
  ngFITS_YM->EndUpdate();
  YMRow = 0;
}

std::span<const platform::TFormEvent> TTabFITS::FormEvents() const {
  static const std::vector<platform::TFormEvent> all = [] {
    std::vector<platform::TFormEvent> e;
    for (const platform::TFormEvent& f : TabFITSForm::EventTable()) e.push_back(f);
    for (const platform::TFormEvent& f : FilterEvents()) e.push_back(f);
    return e;
  }();
  return all;
}
