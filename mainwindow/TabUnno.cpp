#include "mainwindow/TabUnno.h"

#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvClock.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/PictPlotter.h"
#include "models/cvOTL.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "plotting/cvPLOT.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/fit/cvFitReports.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

constexpr uint16_t kUp = 38, kDown = 40, kPrior = 33, kNext = 34;

TTunes* Common() { return App ? App->TunCommon.get() : nullptr; }
bool CommonFlag(const std::string& Key) { return Common() && Common()->Flag(Key); }
void SetCommonFlag(const std::string& Key, bool On) {
  if (Common()) Common()->SetBool(Key, On);
}

std::string Colon(std::string S) {
  std::replace(S.begin(), S.end(), '=', ':');
  return S;
}

bool NumText(const std::string& S, double& X) { return UnnoNumber(S, X); }

std::string CellText(TFormCvGrid* G, int C, int R) {
  TCell* c = G->Cell(C, R);
  return c ? c->GetAsText() : std::string();
}

bool CellChecked(TFormCvGrid* G, int C, int R) {
  TCell* c = G->Cell(C, R);
  return c && c->GetAsBoolean();
}

int Col(TFormCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? G->Columns().IndexOf(c) : -1;
}

std::string ColCaption(TGxCustomColumn* C) { return gx::A(C->Header().Caption()); }

// The copies' Stokes arrays and what goes with them moved into the list's profile.
void TakeArrays(TUNNO& D, TUNNO& S) {
  D.FreeSplines();
  D.FreeSplinesB();
  D.ResetDerived();
  D.NDL = S.NDL;
  D.KSym = S.KSym;
  D.ILAM = S.ILAM;
  D.KCONT = S.KCONT;
  D.Vma = S.Vma;
  D.DLA = S.DLA;
  D.DLG = S.DLG;
  D.VmaCur = S.VmaCur;
  D.UK = std::move(S.UK);
  D.UNN = std::move(S.UNN);
  D.UL = std::move(S.UL);
  D.UI = std::move(S.UI);
  D.UQ = std::move(S.UQ);
  D.UU = std::move(S.UU);
  D.UV = std::move(S.UV);
  D.UIB = std::move(S.UIB);
  D.UQB = std::move(S.UQB);
  D.UUB = std::move(S.UUB);
  D.UVB = std::move(S.UVB);
  D.UIC = std::move(S.UIC);
  D.UQC = std::move(S.UQC);
  D.UUC = std::move(S.UUC);
  D.UVC = std::move(S.UVC);
}

// A working copy: the record, its arrays and the analysis inputs (the blurred arrays too).
std::unique_ptr<TUNNO> WorkCopy(const TUNNO& S) {
  auto c = std::make_unique<TUNNO>();
  c->CopyFrom(S);
  c->UIB = S.UIB;
  c->UQB = S.UQB;
  c->UUB = S.UUB;
  c->UVB = S.UVB;
  c->UK = S.UK;
  c->UNN = S.UNN;
  c->Vma = S.Vma;
  c->DLA = S.DLA;
  c->DLG = S.DLG;
  c->RStep = S.RStep;
  c->DCut = S.DCut;
  c->wL1 = S.wL1;
  c->wL2 = S.wL2;
  c->LamSh = S.LamSh;
  return c;
}

}  // namespace

void TTabUnno::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  for (int s = 0; s < US_Count; ++s) {
    const auto sw = static_cast<TUnnoSwitch>(s);
    H.Add(std::string(UnnoButton(sw).Control) + "Click", [this, sw](TSender) { GroupClick(sw); });
  }
  CV_HANDLER(H, ngUnnoSelectCell);
  CV_HANDLER(H, ngUnnoKeyDown);
  CV_HANDLER(H, edngUNNOpageChange);
  CV_HANDLER(H, btngUNNOPagesClick);
  CV_HANDLER(H, btUnnoOneClick);
  CV_HANDLER(H, btGUnnoClick);
  CV_HANDLER(H, ngUnnoHeaderClick);
  CV_HANDLER(H, ngUnnoAfterRowMove);
  H.Add("ngUnnoKeyUp", [](TSender) {});
  H.Add("ngUnnoVerticalScroll", [](TSender) {});
  H.Add("btUnnoTestClick", [](TSender) {});
  CV_HANDLER(H, ngQUESTAfterEdit);
  CV_HANDLER(H, ngULINAfterEdit);
  CV_HANDLER(H, ngULINCellClick);
  CV_HANDLER(H, btKeyFilterClick);
  H.Add("btFILTsVARIClick", [this](TSender) { ngUnnoFill(); });
  CV_HANDLER(H, btLUNNO_FiltersClick);
  CV_HANDLER(H, btBlurClick);
  CV_HANDLER(H, btApplyBlurClick);
  CV_HANDLER(H, btApplyBlurAllClick);
  CV_HANDLER(H, cbUnnoBlurChange);
  CV_HANDLER(H, btNormToContClick);
  CV_HANDLER(H, btUNSpreadClick);
  CV_HANDLER(H, btUNSpreadAllClick);
  CV_HANDLER(H, btUNsetWLClick);
  CV_HANDLER(H, ngUnnoAfterEdit);
  CV_HANDLER(H, btUNsetDCutClick);
  CV_HANDLER(H, btngUNNOClearClick);
  CV_HANDLER(H, btRunTestClick);
  CV_HANDLER(H, btFill_HMClick);
  CV_HANDLER(H, btFill_CVClick);
  CV_HANDLER(H, BitBtn1Click);
  CV_HANDLER(H, btCFRFClick);
  CV_HANDLER(H, btUnnoPrintClick);
  CV_HANDLER(H, btUnnoOnePrintClick);
  CV_HANDLER(H, btUnnoCustomPrintClick);
  CV_HANDLER(H, btUNNOvarPrintClick);
}

// ---------------------------------------------------------------- showing

void TTabUnno::TabUnnoShow() {
  Shell.ProjTab().TabProjShow();
  if (!UnnoTabReady) {
    UnnoTabReady = true;
    for (TUnnoSwitch s : {US_K, US_D, US_W, US_WH, US_R, US_L, US_T}) {
      auto* b = Shell.Registry.As<platform::TSpeedButton>(UnnoButton(s).Control);
      if (b) b->SetDown(CommonFlag(UnnoButton(s).Key));
      ShowGroup(s);
    }
  }
  UnnoRowsPerPage();
  UnnoPaged = btngUNNOPages->Down();
  UnnoPageGuard = false;
  if (auto* one = Shell.Registry.As<QWidget>("cbOneCont")) {
    one->setParent(PanelOneCont);
    if (PanelOneCont->layout()) PanelOneCont->layout()->addWidget(one);
    one->show();
  }
  UnnoRefresh();
  CORAFillOneCont();
  FillUnnoParamGrid();
  ShowUnnoFilterPanel();
}

void TTabUnno::UnnoRefresh() {
  FillUnnoFilterGrids();
  ngUnnoFill();
}

void TTabUnno::UnnoRowsPerPage() {
  const int rs = ngUnno->RowSize() > 0 ? ngUnno->RowSize() : 16;
  int32_t rows = ngUnno->height() / (rs + 2) - 1;
  if (rows < 1) rows = 1;
  Page.PageRows = rows;
  lbngUNNOstrperpg->SetCaption(IntStr(rows));
}

void TTabUnno::CORAFillOneCont() {
  auto* one = Shell.Registry.As<platform::TComboBox>("cbOneCont");
  if (!one) return;
  const int32_t prev = one->ItemIndex();
  one->ClearItems();
  const int32_t n = LUNNO ? LUNNO->Count() : 0;
  if (n == 0) return;
  for (int32_t i = 0; i < n; ++i) one->AddItem(IntStr(i));
  one->AddItem(" ");
  one->SetItemIndex(prev >= 0 && prev < one->ItemCount() ? prev : 0);
}

int32_t TTabUnno::CurrentProfile() const {
  auto* one = Shell.Registry.As<platform::TComboBox>("cbOneCont");
  if (!one) return -1;
  const int32_t i = one->ItemIndex();
  if (i < 0 || TrimSp(one->Text()).empty()) return -1;
  return i;
}

// ---------------------------------------------------------------- the fill

TUnnoFillIn TTabUnno::FillInput() {
  TUnnoFillIn in;
  for (int s = 0; s < US_Count; ++s) {
    auto* b = Shell.Registry.As<platform::TSpeedButton>(UnnoButton(static_cast<TUnnoSwitch>(s)).Control);
    in.On[static_cast<size_t>(s)] = b && b->Down();
  }
  in.Paged = btngUNNOPages->Down();
  in.PageRows = Page.PageRows;
  in.sVariFilter = edsVARIFiltr->Text();
  in.sVariFilterOn = btFILTsVARI->Down();
  const int on = Col(ngUPARAM, "GxUPOn"), nm = Col(ngUPARAM, "GxUPName"), vl = Col(ngUPARAM, "GxUPVal");
  for (int r = 0; r < ngUPARAM->RowCount(); ++r)
    if (CellChecked(ngUPARAM, on, r))
      in.ParamFilter.emplace_back(CellText(ngUPARAM, nm, r), CellText(ngUPARAM, vl, r));
  in.SplitMin = edSplitMin->Text();
  in.SplitMax = edSplitMax->Text();
  in.DLam = edUnnoDLam->Text();
  in.LevelMode = cbUnnoLevel->Text();
  in.Level = edUnnoLevel->Text();
  const int qo = Col(ngQUEST, "GxQUOn"), qn = Col(ngQUEST, "GxQUName");
  for (int r = 0; r < ngQUEST->RowCount(); ++r)
    if (CellChecked(ngQUEST, qo, r)) in.Quests.push_back(CellText(ngQUEST, qn, r));
  const int lo = Col(ngULIN, "GxULOn"), ln = Col(ngULIN, "GxULLin6");
  for (int r = 0; r < ngULIN->RowCount(); ++r)
    if (CellChecked(ngULIN, lo, r)) in.Lines.push_back(CellText(ngULIN, ln, r));
  in.WLine = WLine();
  in.KMul = KMul();
  return in;
}

void TTabUnno::ngUnnoFill() {
  if (!LUNNO) return;
  if (Jobs.Busy()) {
    Jobs.AfterJob("Unno", [this] { ngUnnoFill(); });
    return;
  }
  UnnoPaged = btngUNNOPages->Down();
  const TUnnoFillIn in = FillInput();
  TUnnoFillOut out;
  ngUnno->BeginUpdate();
  struct TEnd {
    TFormCvGrid* G;
    ~TEnd() { G->EndUpdate(); }
  } end{ngUnno};
  try {
    UnnoFill(LUNNO, VariCtx().LVARI, in, Page, out);
  } catch (...) {
    if (out.RowsCleared || out.Stop == TUnnoStop::None) ngUnno->ClearRows();
    throw;
  }
  if (out.SplitMin != in.SplitMin) edSplitMin->SetText(out.SplitMin);
  if (out.SplitMax != in.SplitMax) edSplitMax->SetText(out.SplitMax);
  if (out.Stop == TUnnoStop::BadDLam) {
    edUnnoDLam->SetText("0");
    edUnnoDLam->setFocus();
    return;
  }
  ngUnno->ClearRows();
  if (out.Stop == TUnnoStop::BadLevelMode) {
    cbUnnoLevel->setFocus();
    return;
  }
  if (out.Stop == TUnnoStop::BadLevel) {
    edUnnoLevel->setFocus();
    return;
  }
  if (!out.FirstRowText.empty()) edngUNNOstr1->SetText(out.FirstRowText);
  // the variable-field columns
  bool any = false;
  for (int s = 1; s <= kUnnoSlots; ++s) {
    TGxCustomColumn* c = ngUnno->Columns().Column(UnnoSlotColumn(s));
    const std::string& key = out.Slots[static_cast<size_t>(s - 1)];
    c->SetVisible(!key.empty());
    c->Header().SetCaption(gx::W(key));
    any = any || !key.empty();
  }
  if (any) ngUnno->Columns().Column(UnnoColumnIndex("GxUsVari"))->SetVisible(false);
  if (out.AnyProfile)
    for (const auto& [c, v] : UnnoIQUVColumns(out.IQUV, in.On)) ngUnno->Columns().Column(c)->SetVisible(v);
  lastIQUV_ = out.IQUV;
  const int n = static_cast<int>(out.Rows.size());
  if (n > 0) ngUnno->AddRows(n);
  for (int r = 0; r < n; ++r) {
    const auto& row = out.Rows[static_cast<size_t>(r)];
    for (int c = 0; c < kUnnoColumns; ++c)
      if (!row[static_cast<size_t>(c)].empty()) ngUnno->CellAt(c, r)->SetAsText(row[static_cast<size_t>(c)]);
  }
}

void TTabUnno::ShowGroup(TUnnoSwitch S) {
  const TUnnoButton& b = UnnoButton(S);
  auto* btn = Shell.Registry.As<platform::TSpeedButton>(b.Control);
  const bool down = btn && btn->Down();
  TGxCustomColumn* first = ngUnno->ColumnByName(b.Columns.front());
  if (!first || first->Visible() == down) return;
  for (const char* n : b.Columns)
    if (TGxCustomColumn* c = ngUnno->ColumnByName(n)) c->SetVisible(down);
}

// ---------------------------------------------------------------- group buttons

void TTabUnno::GroupClick(TUnnoSwitch S) {
  const TUnnoButton& b = UnnoButton(S);
  // the line filter's one-line button runs the DD handler: it reads btUnnoDD
  auto* btn = Shell.Registry.As<platform::TSpeedButton>(b.Control);
  const bool down = btn && btn->Down();
  SetCommonFlag(b.Key, down);
  auto after = [this, S, down] {
    ShowGroup(S);
    if (down) ngUnnoFill();
  };
  if (!down || (S != US_b && S != US_b9 && S != US_B)) {
    after();
    return;
  }
  const std::vector<int32_t> idx = RowIdxs();
  if (S == US_b) {
    double step = 0;
    if (!NumText(edUnnoRStep->Text(), step)) {
      WARNAbs("Неправильное число в поле \"Шаг для бисектора\" <"_cp + edUnnoRStep->Text() +
              "> - не число!"_cp);
      return;
    }
    CopiesJob(
        "Bisector", idx, [step](TJob&, TUNNO& U) {
          U.RStep = step / 100;
          U.Bisector();
        },
        [](TUNNO& O, TUNNO& C) {
          if (C.KSym != O.KSym) TakeArrays(O, C);
          O.RStep = C.RStep;
          O.YInt = C.YInt;
          O.BiSec = C.BiSec;
          O.WingL = C.WingL;
          O.WingR = C.WingR;
          O.Width = C.Width;
        });
  } else if (S == US_b9) {
    CopiesJob(
        "Bisector9", idx, [](TJob&, TUNNO& U) { U.Bisector9(); },
        [](TUNNO& O, TUNNO& C) {
          if (C.KSym != O.KSym) TakeArrays(O, C);
          O.Bi9A = C.Bi9A;
          O.Bi9B = C.Bi9B;
          O.Bi9C = C.Bi9C;
          O.Bi9D = C.Bi9D;
        });
  } else {
    const bool ang = cbQAngs->Checked();
    const double wl = WLine();
    const int32_t km = KMul();
    CopiesJob(
        "COGivField", idx, [ang, wl, km](TJob&, TUNNO& U) { U.COGivField(ang, wl, km); },
        [](TUNNO& O, TUNNO& C) {
          if (C.KSym != O.KSym) TakeArrays(O, C);
          O.CogB = C.CogB;
          O.CogV = C.CogV;
          O.B06 = C.B06;
          O.B94 = C.B94;
          O.CoreB = C.CoreB;
        });
  }
}

std::vector<int32_t> TTabUnno::RowIdxs() {
  std::vector<int32_t> r;
  for (int i = 0; i < ngUnno->RowCount(); ++i) {
    const int32_t k = RowIdx(i);
    if (k >= 0) r.push_back(k);
  }
  return r;
}

int32_t TTabUnno::RowIdx(int32_t R) {
  if (R < 0 || R >= ngUnno->RowCount() || !LUNNO) return -1;
  double x = 0;
  if (!NumText(CellText(ngUnno, UnnoColumnIndex("GxUIdx"), R), x)) return -1;
  const auto i = static_cast<int32_t>(x);
  return i >= 0 && i < LUNNO->Count() ? i : -1;
}

void TTabUnno::CopiesJob(const std::string& Name, const std::vector<int32_t>& Idx,
                         std::function<void(TJob&, TUNNO&)> Work,
                         std::function<void(TUNNO&, TUNNO&)> Apply) {
  if (!LUNNO) return;
  auto copies = std::make_shared<std::vector<std::unique_ptr<TUNNO>>>();
  for (int32_t i : Idx) copies->push_back(WorkCopy(*LUNNO->Items(i)));
  auto job = std::make_shared<TJob>(Name);
  TLUNNO* list = LUNNO;
  Jobs.Start(
      job,
      [copies, Work](TJob& J) {
        const int64_t n = static_cast<int64_t>(copies->size());
        for (int64_t k = 0; k < n; ++k) {
          if (!J.Step(k, n, "профиль "_cp + IntStr(static_cast<int32_t>(k + 1)) + "/" + IntStr(static_cast<int32_t>(n))))
            return;
          Work(J, *(*copies)[static_cast<size_t>(k)]);
        }
        J.Step(n, n, "");
      },
      [this, copies, Idx, Apply, list](TJob& J) {
        if (J.Cancelled() || J.State() != TJobState::Done || list != LUNNO) {
          if (J.Cancelled()) J.Warn("Список профилей не изменён"_cp);
          return;
        }
        for (size_t k = 0; k < Idx.size() && Idx[k] < list->Count(); ++k)
          Apply(*list->Items(Idx[k]), *(*copies)[k]);
        ngUnnoFill();
      });
}

// ---------------------------------------------------------------- selection, keys, pages

void TTabUnno::ngUnnoSelectCell(TSender E) {
  Page.CurCol = E.Col;
  Page.CurRow = E.Row;
  const int32_t idx = RowIdx(E.Row);
  if (auto* one = Shell.Registry.As<platform::TComboBox>("cbOneCont"))
    if (idx >= 0) one->SetText(IntStr(idx));
  TGxCustomColumn* col = E.Col >= 0 && E.Col < ngUnno->Columns().ColumnCount() ? ngUnno->Columns().Column(E.Col) : nullptr;
  if (col) {
    TUnnoSIdFields f{edUnnoBlur->Text(), cbUnnoBlur->Text(), edUnnoDLam->Text(),
                     edUnnoLevel->Text(), cbUnnoLevel->Text(), edSplitMin->Text(),
                     edSplitMax->Text(), edUnnoRStep->Text()};
    edsId->SetText(UnnoSIdDescriptor(ColCaption(col), f));
  }
  if (idx >= 0) lbLamCur->SetCaption(FSt(9, 3, LUNNO->Items(idx)->LAMB));
  if (E.Row >= 0 && E.Row < ngUnno->RowCount()) {
    lbCurKV->SetCaption(CellText(ngUnno, UnnoColumnIndex("GxUKVari"), E.Row));
    lbCurSVari->SetCaption(CellText(ngUnno, UnnoColumnIndex("GxUsVari"), E.Row));
    lbCurQUEST->SetCaption(CellText(ngUnno, UnnoColumnIndex("GxUQuest"), E.Row) + "." +
                           CellText(ngUnno, UnnoColumnIndex("GxUIQ"), E.Row));
  }
  lbKeyField->SetCaption("-");
  lbKeyVal->SetCaption("");
  btKeyFilter->setEnabled(false);
  if (col && UnnoIsParamColumn(col->Name)) {
    lbKeyField->SetCaption(ColCaption(col));
    lbKeyVal->SetCaption(CellText(ngUnno, E.Col, E.Row));
    btKeyFilter->setEnabled(true);
  }
  FillUnnoParamGrid();
}

void TTabUnno::SyncUnnoPage() {
  if (UnnoSyncPage(Page)) {
    UnnoPageGuard = true;
    edngUNNOpage->SetValue(Page.Page);
    UnnoPageGuard = false;
    lbngUNNOpg->SetCaption(IntStr(Page.Page));
  }
}

void TTabUnno::ngUnnoKeyDown(TSender E) {
  const uint16_t key = E.Key;
  if (key >= 16 && key <= 18) return;
  bool refill = false;
  if (key == kUp || key == kDown) {
    if (key == kUp) UnnoKeyUp(Page, refill);
    else UnnoKeyDown(Page, refill);
    if (refill) {
      edngUNNOstr1->SetText(IntStr(Page.FirstRow));
      ngUnnoFill();
      if (Page.CurRow >= 0 && Page.CurRow < ngUnno->RowCount()) ngUnno->SelectCell(Page.CurCol, Page.CurRow, 0);
    }
    SyncUnnoPage();
    return;
  }
  if (key == kPrior || key == kNext) {
    edngUNNOpage->SetValue(Page.Page + (key == kPrior ? -1 : 1));
    return;
  }
  const std::string name = Page.CurCol >= 0 && Page.CurCol < kUnnoColumns ? UnnoColumn(Page.CurCol).Name : "";
  if (name == "GxUwL1" || name == "GxUwL2") return;
  std::string shift;
  if (E.Shift) shift += "Shift ";
  if (E.Alt) shift += "Alt ";
  if (E.Ctrl) shift += "Ctrl ";
  WARNAbs("ngUnnoKeyDown WARN: ROW=" + IntStr(Page.CurRow) + " COL=" + IntStr(Page.CurCol) +
          "\r\nКлавиша с номером "_cp + IntStr(key) + " < ShiftState: <" + shift +
          ">> не обрабатывается"_cp);
}

void TTabUnno::edngUNNOpageChange(TSender) {
  if (UnnoPageGuard) {
    UnnoPageGuard = false;
    return;
  }
  int32_t sel = -1;
  UnnoPageChange(Page, edngUNNOpage->Value(), sel);
  edngUNNOstr1->SetText(IntStr(Page.FirstRow));
  UnnoPageGuard = true;
  edngUNNOpage->SetValue(Page.Page);
  UnnoPageGuard = false;
  lbngUNNOpg->SetCaption(IntStr(Page.Page));
  ngUnnoFill();
  if (sel >= 0 && sel < ngUnno->RowCount()) {
    ngUnno->SelectCell(Page.CurCol, sel, 0);
    ngUnno->setFocus();
  }
  SyncUnnoPage();
}

void TTabUnno::UnnoPagePrev() { edngUNNOpage->SetValue(Page.Page - 1); }
void TTabUnno::UnnoPageNext() { edngUNNOpage->SetValue(Page.Page + 1); }

void TTabUnno::btngUNNOPagesClick(TSender) {
  if (btngUNNOPages->Down()) {
    btngUNNOPages->SetCaption("All");
  } else {
    ngUnnoFill();
    btngUNNOPages->SetCaption("Pgs");
  }
}

void TTabUnno::btUnnoOneClick(TSender) {
  if (Page.CurRow < 0) {
    WARNAbs("Выберите строку в таблице с профилями!"_cp);
    return;
  }
  std::string title;
  TraceMask = 0;
  RDOT(cvDirList("CONT", "OTL"), TraceMask, title);
  UnnoProfToPlotter();
}

std::string TTabUnno::CheckGetBlur() {
  double v = 0;
  const int32_t i = CurrentProfile();
  if (!NumText(edUnnoBlur->Text(), v) || v == 0 || i < 0 || !LUNNO || i >= LUNNO->Count())
    return "0";
  const std::string unit = cbUnnoBlur->Text();
  if (!unit.empty() && unit[0] == 'k') {
    const double lamb = LUNNO->Items(i)->LAMB;
    if (!(lamb > 0))
      ErrAbs("cv09.CheckGetBlur  UNNO[" + IntStr(i) +
             "].LAMB=0\r\nДля перевода км/с в мА надо знать длину волны!"_cp);
    return FSt(7, 2, lamb * v / 299.7924562);
  }
  if (!unit.empty() && unit[0] == 'm') return edUnnoBlur->Text();
  ErrAbs("GetBlur: cbUnnoBlur.Text = " + unit + " !!!");
}

void TTabUnno::UnnoProfToPlotter() {
  if (Page.CurRow < 0) {
    WARNAbs("Выберите строку в таблице с профилями!"_cp);
    return;
  }
  const int32_t idx = RowIdx(Page.CurRow);
  if (idx < 0) return;
  // the quantity: the first row of the CoPi tab's ngStoPar (filled first when it has none)
  TTabCOPI& copi = Shell.COPITab();
  if (copi.ngStoPar->RowCount() == 0) copi.TabCOPIShow();
  std::string quantity = copi.ngStoPar->RowCount() > 0 ? TrimSp(copi.ngStoPar->CellAt(0, 0)->GetAsText()) : "";
  if (quantity.empty()) quantity = "RI";
  CheckGetBlur();
  TUNNO& U = *LUNNO->Items(idx);
  TVARIATOR* V = VariCtx().LVARI ? VariCtx().LVARI->GetIQuestVARI(U.QUEST, U.IQ) : nullptr;
  if (V && U.KVARI > V->NK)
    ErrAbs("ERR Corvesta.PicCORAShow("_cp + U.QUEST + ")." + IntStr(U.IQ) +
           " № комбинации UN.KVARI="_cp + IntStr(U.KVARI) + " > числа комбинаций VARI.NK = "_cp +
           IntStr(V->NK) + "\r\nОбщее число параметров = "_cp + IntStr(V->Count()));
  const std::string title = (V ? V->GetKS(U.KVARI) : U.QuestIQStr()) + " " + quantity;
  if (!ShowPictPlotter()) return;
  TARe x, y;
  U.GetFullLam(x);
  U.CopyUParFull(quantity, y);
  PLOTTER->SyncCurArrPlot();
  PLOTTER->NewGraph(x, y, 1, 1, "", title, quantity, "l A", "", "A");
  PLOTTER->PlayOnce();
}

void TTabUnno::btGUnnoClick(TSender) {
  auto* img = Shell.Registry.As<QWidget>("ImageCORA");
  if (!img) return;
  if (btGUnno->Down()) {
    imageParent_ = img->parentWidget();
    img->setParent(ngUnno->parentWidget());
    if (ngUnno->parentWidget()->layout()) ngUnno->parentWidget()->layout()->addWidget(img);
    img->show();
  } else if (imageParent_) {
    img->setParent(imageParent_);
    if (imageParent_->layout()) imageParent_->layout()->addWidget(img);
    img->show();
  }
  ngUnno->setVisible(!btGUnno->Down());
}

void TTabUnno::ngUnnoHeaderClick(TSender E) {
  if (E.Col >= 0 && E.Col < ngUnno->Columns().ColumnCount())
    WARNAbs("Кликнули по заголовку колонки "_cp + ColCaption(ngUnno->Columns().Column(E.Col)));
}

void TTabUnno::ngUnnoAfterRowMove(TSender E) {
  WARNAbs("ngUnnoAfterRowMove FromPos=" + IntStr(E.Col) + " ToPos=" + IntStr(E.Position));
}

// ---------------------------------------------------------------- filters

void TTabUnno::FillUnnoFilterGrids() {
  ngQUEST->ClearRows();
  ngULIN->ClearRows();
  if (!LUNNO) return;
  std::vector<std::string> qs, ls;
  for (int32_t i = 0; i < LUNNO->Count(); ++i) {
    const TUNNO& U = *LUNNO->Items(i);
    const std::string q = U.QuestIQStr();
    if (std::find(qs.begin(), qs.end(), q) == qs.end()) qs.push_back(q);
    if (std::find(ls.begin(), ls.end(), U.sULin) == ls.end()) ls.push_back(U.sULin);
  }
  if (!qs.empty()) ngQUEST->AddRows(static_cast<int>(qs.size()));
  for (size_t r = 0; r < qs.size(); ++r) {
    ngQUEST->CellAt(Col(ngQUEST, "GxQUName"), static_cast<int>(r))->SetAsText(qs[r]);
    ngQUEST->CellAt(Col(ngQUEST, "GxQUOn"), static_cast<int>(r))
        ->SetAsBoolean(!CommonFlag("UNNOQU|" + Colon(qs[r])));
  }
  if (!ls.empty()) ngULIN->AddRows(static_cast<int>(ls.size()));
  for (size_t r = 0; r < ls.size(); ++r) {
    ngULIN->CellAt(Col(ngULIN, "GxULLin6"), static_cast<int>(r))->SetAsText(ls[r]);
    ngULIN->CellAt(Col(ngULIN, "GxULOn"), static_cast<int>(r))
        ->SetAsBoolean(!CommonFlag("UNNOLIN|" + Colon(ls[r])));
  }
}

void TTabUnno::ngQUESTAfterEdit(TSender) {
  const int on = Col(ngQUEST, "GxQUOn"), nm = Col(ngQUEST, "GxQUName");
  for (int r = 0; r < ngQUEST->RowCount(); ++r) {
    const std::string key = "UNNOQU|" + Colon(CellText(ngQUEST, nm, r));
    if (!Common()) break;
    if (CellChecked(ngQUEST, on, r)) Common()->Clear(key);
    else Common()->SetFlag(key, true);
  }
  ngUnnoFill();
}

void TTabUnno::ngULINAfterEdit(TSender) {
  const int on = Col(ngULIN, "GxULOn"), nm = Col(ngULIN, "GxULLin6");
  if (btLineAlone->Down() && ULinClickCol == on && ULinClickRow >= 0 &&
      ULinClickRow < ngULIN->RowCount() && CellChecked(ngULIN, on, ULinClickRow))
    for (int r = 0; r < ngULIN->RowCount(); ++r)
      ngULIN->CellAt(on, r)->SetAsBoolean(r == ULinClickRow);
  for (int r = 0; r < ngULIN->RowCount(); ++r) {
    const std::string key = "UNNOLIN|" + Colon(CellText(ngULIN, nm, r));
    if (!Common()) break;
    if (CellChecked(ngULIN, on, r)) Common()->Clear(key);
    else Common()->SetFlag(key, true);
  }
  ngUnnoFill();
}

void TTabUnno::ngULINCellClick(TSender E) {
  ULinClickCol = E.Col;
  ULinClickRow = E.Row;
}

void TTabUnno::FillUnnoParamGrid() {
  ngUPARAM->ClearRows();
  for (int n = 1; n <= kUnnoSlots; ++n) {
    const std::string cap = ColCaption(ngUnno->Columns().Column(UnnoSlotColumn(n)));
    if (cap.empty() || cap.find("Vari_") != std::string::npos) continue;
    ngUPARAM->AddRows(1);
    const int r = ngUPARAM->RowCount() - 1;
    ngUPARAM->CellAt(Col(ngUPARAM, "GxUPName"), r)->SetAsText(cap);
  }
}

void TTabUnno::btKeyFilterClick(TSender) {
  if (lbKeyField->Caption() == "-") return;
  const int on = Col(ngUPARAM, "GxUPOn"), nm = Col(ngUPARAM, "GxUPName"), vl = Col(ngUPARAM, "GxUPVal");
  for (int r = 0; r < ngUPARAM->RowCount(); ++r) {
    if (CellText(ngUPARAM, nm, r) != lbKeyField->Caption()) continue;
    const bool now = !CellChecked(ngUPARAM, on, r);
    ngUPARAM->CellAt(on, r)->SetAsBoolean(now);
    ngUPARAM->CellAt(vl, r)->SetAsText(now ? lbKeyVal->Caption() : "");
  }
  ngUnnoFill();
}

void TTabUnno::btLUNNO_FiltersClick(TSender) { ShowUnnoFilterPanel(); }

void TTabUnno::ShowUnnoFilterPanel() {
  const bool down = btLUNNO_Filters->Down();
  gbLUNNO_Filters->setVisible(down);
  btLUNNO_Filters->SetCaption(down ? "<<" : ">>");
}

// ---------------------------------------------------------------- operations

void TTabUnno::btBlurClick(TSender) {
  double width = 0;
  if (!NumText(edUnnoBlur->Text(), width)) {
    WARNAbs("<" + edUnnoBlur->Text() + "> не является числом!"_cp);
    edUnnoBlur->setFocus();
    return;
  }
  if (width == 0 &&
      !AskYesNo("Размытие (Blur) с нулевой шириной не изменит профили!\r\nСоздать точные копии профилей?"_cp)) {
    edUnnoBlur->setFocus();
    return;
  }
  TLVARI* L = VariCtx().LVARI;
  if (!L || !LUNNO || ngUnno->RowCount() == 0) return;
  const bool km = cbUnnoBlur->Text().find("km") != std::string::npos;
  const int qc = UnnoColumnIndex("GxUQuest"), iqc = UnnoColumnIndex("GxUIQ"), kc = UnnoColumnIndex("GxUKVari");
  std::vector<std::pair<std::string, int32_t>> entries;  // (quest, KV) of the step-1 rows
  for (int r = 0; r < ngUnno->RowCount(); ++r)
    if (CellText(ngUnno, iqc, r) == "1")
      entries.emplace_back(CellText(ngUnno, qc, r), static_cast<int32_t>(ValRealOr0(CellText(ngUnno, kc, r))));
  const int last = ngUnno->RowCount() - 1;
  const std::string quest = CellText(ngUnno, qc, last);
  TVARIATOR* V = L->GetQuestIQVARI(quest, static_cast<int32_t>(ValRealOr0(CellText(ngUnno, iqc, last))));
  if (!V) return;
  if (V->NoKey("VMA")) V->AddP("#VMA 0");
  auto copy = std::make_shared<std::unique_ptr<TVARIATOR>>(V->Clone());
  const int32_t newIQ = L->MaxIQ(quest) + 1;
  (*copy)->IQ = newIQ;
  (*copy)->UpDate("VMA", edUnnoBlur->Text(), UniqueTick());
  // sources: the list's profiles, read by the job; the copies join the list after it
  std::vector<const TUNNO*> src;
  for (const auto& [q, kv] : entries) {
    const TUNNO* s = LUNNO->GetByVar(q, 1, kv);
    if (!s) WARNAbs("btBlurClick ERR: не найден профиль КВЕСТ="_cp + q + ".1 KV=" + IntStr(kv));
    src.push_back(s);
  }
  auto made = std::make_shared<std::vector<std::unique_ptr<TUNNO>>>();
  auto job = std::make_shared<TJob>("Blur " + quest);
  Jobs.Start(
      job,
      [src, made, km, width, newIQ](TJob& J) {
        const int64_t n = static_cast<int64_t>(src.size());
        for (int64_t k = 0; k < n; ++k) {
          if (!J.Step(k, n, "Blur " + IntStr(static_cast<int32_t>(k + 1)) + "/" + IntStr(static_cast<int32_t>(n)))) return;
          const TUNNO* s = src[static_cast<size_t>(k)];
          if (!s) continue;
          auto u = std::make_unique<TUNNO>();
          if (km) u->CloneBlurKM(*s, newIQ, width);
          else u->CloneBlurMA(*s, newIQ, width);
          made->push_back(std::move(u));
        }
      },
      [this, made, copy, L](TJob& J) {
        if (J.Cancelled() || J.State() != TJobState::Done) return;
        L->AddVARI(*copy);
        for (auto& u : *made) LUNNO->Add(std::move(u));
        TabUnnoShow();
      });
}

void TTabUnno::btApplyBlurClick(TSender) { ApplyBlurTo(false); }
void TTabUnno::btApplyBlurAllClick(TSender) { ApplyBlurTo(true); }

void TTabUnno::ApplyBlurTo(bool AllRows) {
  double vma = 0, w = 0;
  for (auto [e, x] : {std::pair{edBlurKm, &vma}, std::pair{edBlurMa, &w}})
    if (!NumText(e->Text(), *x)) {
      WARNAbs("Ошибка в числе <"_cp + e->Text() + ">");
      e->setFocus();
      return;
    }
  const int32_t i = CurrentProfile();
  if (i < 0) {
    WARNAbs("Никакой профиль не выбран!"_cp);
    return;
  }
  if (!LUNNO || i >= LUNNO->Count()) return;
  CopiesJob(AllRows ? "Blur All" : "Blur 1", AllRows ? RowIdxs() : std::vector<int32_t>{i},
            [vma, w](TJob&, TUNNO& U) { U.ApplyBlur(vma, w / 1000); },
            [](TUNNO& O, TUNNO& C) { TakeArrays(O, C); });
}

void TTabUnno::cbUnnoBlurChange(TSender) {
  std::string r;
  if (UnnoBlurConvert(lbLamCur->Caption(), edUnnoBlur->Text(),
                      cbUnnoBlur->Text().find("km") != std::string::npos, r))
    edUnnoBlur->SetText(r);
}

void TTabUnno::btNormToContClick(TSender) {
  const std::vector<int32_t> idx = RowIdxs();
  if (idx.empty()) {
    WARNAbs("Таблица профилей пуста!"_cp);
    return;
  }
  bool allDivided = true;
  for (int32_t i : idx) allDivided = allDivided && LUNNO->Items(i)->KCONT == 1;
  CopiesJob(
      "C", idx,
      [allDivided](TJob&, TUNNO& U) {
        if (allDivided) U.UnDivCont();
        else U.DivCont();
      },
      [](TUNNO& O, TUNNO& C) { TakeArrays(O, C); });
}

void TTabUnno::btUNSpreadClick(TSender) {
  const int32_t i = CurrentProfile();
  if (i < 0) {
    WARNAbs("Никакой профиль не выбран!"_cp);
    return;
  }
  if (!LUNNO || i >= LUNNO->Count()) return;
  LUNNO->Items(i)->Spread();
  ngUnnoFill();
}

void TTabUnno::btUNSpreadAllClick(TSender) {
  CopiesJob("==", RowIdxs(), [](TJob&, TUNNO& U) { U.Spread(); },
            [](TUNNO& O, TUNNO& C) { TakeArrays(O, C); });
}

void TTabUnno::btUNsetWLClick(TSender) {
  double m = 0, p = 0;
  if (!NumText(edSplitMin->Text(), m) || !NumText(edSplitMax->Text(), p)) return;
  for (int32_t i : RowIdxs()) {
    TUNNO& U = *LUNNO->Items(i);
    U.wL1 = m != 0 ? U.LAMB - std::abs(m) / 1000 : 0;
    U.wL2 = p != 0 ? U.LAMB + p / 1000 : 0;
  }
  edSplitMin->SetText("");
  edSplitMax->SetText("");
  ngUnnoFill();
}

void TTabUnno::ngUnnoAfterEdit(TSender E) {
  const int32_t i = RowIdx(E.Row);
  if (i < 0) return;
  double v = 0;
  if (!NumText(E.Value, v)) return;
  TUNNO& U = *LUNNO->Items(i);
  if (E.Col == UnnoColumnIndex("GxUwL1")) U.wL1 = v != 0 ? U.LAMB - v / 1000 : 0;
  else if (E.Col == UnnoColumnIndex("GxUwL2")) U.wL2 = v != 0 ? U.LAMB + v / 1000 : 0;
}

void TTabUnno::btUNsetDCutClick(TSender) {
  double d = 0;
  if (!NumText(edUnnoLevel->Text(), d)) return;
  for (int32_t i : RowIdxs()) LUNNO->Items(i)->DCut = d;
  ngUnnoFill();
}

void TTabUnno::btngUNNOClearClick(TSender) {
  std::vector<int32_t> idx;
  for (int r = 0; r < ngUnno->RowCount(); ++r) idx.push_back(RowIdx(r));
  for (size_t k = 1; k < idx.size(); ++k)
    if (idx[k] < idx[k - 1]) {
      WARNAbs("Для удаления строк таблица ngUNNO должна быть отсортирована по Idx по возрастанию!"_cp);
      return;
    }
  for (int r = ngUnno->RowCount() - 1; r >= 0; --r) {
    if (idx[static_cast<size_t>(r)] >= 0) LUNNO->DeleteAt(idx[static_cast<size_t>(r)]);
    ngUnno->DeleteRow(r);
  }
  CORAFillOneCont();
}

void TTabUnno::btRunTestClick(TSender) {
  TLVARI* L = VariCtx().LVARI;
  if (!LUNNO || !L) return;
  const int32_t step = L->CountQuest("SUN69");
  if (step == 0) {
    WARNAbs("Нет вариатора квеста SUN69: подгонка CALC69_HM к наблюдениям невозможна"_cp);
    return;
  }
  std::vector<int32_t> idx;
  std::vector<TUNNO*> refs;
  for (int32_t i = 0; i < LUNNO->Count(); ++i) {
    TUNNO& U = *LUNNO->Items(i);
    if (U.QUEST != "CALC69_HM") continue;
    idx.push_back(i);
    refs.push_back(LUNNO->GetByVar("SUN69", step, U.KVARI));
  }
  auto r = std::make_shared<std::vector<TUNNO*>>(refs);
  auto pos = std::make_shared<size_t>(0);
  CopiesJob(
      "TEST", idx,
      [r, pos](TJob&, TUNNO& U) {
        TUNNO* ref = (*r)[(*pos)++];
        U.URef = ref;
        if (ref) U.AdJust(*ref);
      },
      [](TUNNO& O, TUNNO& C) {
        O.URef = C.URef;
        O.Vma9 = C.Vma9;
        O.dIRef = C.dIRef;
        O.dIR2 = C.dIR2;
      });
}

void TTabUnno::FillWDJob(const std::string& Code) {
  if (!LUNNO) return;
  std::vector<TUNNO*> profiles;
  for (int32_t i : RowIdxs()) profiles.push_back(LUNNO->Items(i));
  auto job = std::make_shared<TJob>("FillWD " + Code);
  Shell.StartDBJob(job, [profiles, Code](TJob& J, TDM& D) { FillWD(J, D, Code, profiles); });
}

void TTabUnno::btFill_HMClick(TSender) { FillWDJob("HM"); }
void TTabUnno::btFill_CVClick(TSender) { FillWDJob("CV"); }

void TTabUnno::BitBtn1Click(TSender) {
  const int32_t i = CurrentProfile();
  if (i < 0) {
    WARNAbs("Никакой профиль не выбран!"_cp);
    return;
  }
  if (!LUNNO || i >= LUNNO->Count()) return;
  TUNNO& U = *LUNNO->Items(i);
  const int32_t k = U.FindExtrR("I", U.ILAM);
  WARNAbs("n(Imax)=" + IntStr(k) + " Lam=" + ShortSt(8, k >= 0 && k < static_cast<int32_t>(U.UL.size()) ? U.UL[static_cast<size_t>(k)] : 0.0));
}

void TTabUnno::btCFRFClick(TSender) {
  if (ngUnno->RowCount() == 0 || !LUNNO || !VariCtx().LVARI) return;
  std::vector<TUnnoRowRef> rows;
  for (int r = 0; r < ngUnno->RowCount(); ++r)
    rows.push_back({RowIdx(r), CellText(ngUnno, UnnoColumnIndex("GxUQuest"), r),
                    static_cast<int32_t>(ValRealOr0(CellText(ngUnno, UnnoColumnIndex("GxUIQ"), r))),
                    CellText(ngUnno, UnnoColumnIndex("GxUsVari"), r)});
  std::vector<std::string> caps;
  for (int c = 0; c < ngUnno->Columns().ColumnCount(); ++c) caps.push_back(ColCaption(ngUnno->Columns().Column(c)));
  const std::string sid = edsId->Text();
  const std::string filter = btFILTsVARI->Down() ? edsVARIFiltr->Text() : std::string();
  const TUnnoFillIn in = FillInput();
  auto stored = std::make_shared<std::vector<std::string>>();
  TLUNNO* list = LUNNO;
  TLVARI* L = VariCtx().LVARI;
  auto job = std::make_shared<TJob>("CF/RF");
  Jobs.Start(job, [=](TJob& J) {
    UnnoCFRF(J, *list, *L, rows, caps, sid, filter, in.Quests, in.Lines, *stored);
    for (const std::string& s : *stored) J.Warn("CF/RF: "_cp + s);
  });
}

// ---------------------------------------------------------------- reports

void TTabUnno::btUnnoPrintClick(TSender) {
  std::vector<int> cols;
  std::vector<std::string> caps;
  for (int c = 0; c < ngUnno->Columns().ColumnCount(); ++c)
    if (ngUnno->Columns().Column(c)->Visible()) {
      cols.push_back(c);
      caps.push_back(ColCaption(ngUnno->Columns().Column(c)));
    }
  std::vector<std::vector<std::string>> rows;
  for (int r = 0; r < ngUnno->RowCount(); ++r) {
    std::vector<std::string> t;
    for (int c : cols) t.push_back(CellText(ngUnno, c, r));
    rows.push_back(std::move(t));
  }
  auto page = UnnoTableDump(caps, rows);
  if (EdAssigned(Ed)) Ed->EdLoadSL("PageUnno", page.get());
}

void TTabUnno::btUnnoOnePrintClick(TSender) {
  const int32_t i = CurrentProfile();
  if (i >= 0) {
    if (!LUNNO || i >= LUNNO->Count()) return;
    std::string title;
    TraceMask = 0;
    RDOT(cvDirList("CONT", "OTL"), TraceMask, title);
    TUNNO& U = *LUNNO->Items(i);
    TStringList page;
    if (auto d = U.FieldDump()) page.AddStrings(*d);
    if (auto r = UnnoReport(U)) page.AddStrings(*r);
    if (EdAssigned(Ed)) Ed->EdLoadSL("1 Unno", &page);
    return;
  }
  // ngStoPar (the CoPi tab's) is RI until that tab exists
  auto page = UnnoQuantityTable(*LUNNO, VariCtx().LVARI, RowIdxs(), "RI");
  if (page && EdAssigned(Ed)) Ed->EdLoadSL("PageUnno", page.get());
}

void TTabUnno::btUnnoCustomPrintClick(TSender) {
  if (!LUNNO) return;
  std::vector<int32_t> idx;
  std::vector<std::string> sv;
  for (int r = 0; r < ngUnno->RowCount(); ++r) {
    const int32_t k = RowIdx(r);
    if (k < 0) continue;
    idx.push_back(k);
    sv.push_back(CellText(ngUnno, UnnoColumnIndex("GxUsVari"), r));
  }
  std::string opt = cbUReport->Text();
  if (opt == "RV" || opt == "RQ") opt = "R";
  if (opt == "LV" || opt == "LQ") opt = "L";
  auto page = UnnoCustomReport(*LUNNO, idx, sv, opt, edUnnoRStep->Text());
  if (EdAssigned(Ed)) Ed->EdLoadSL("PageUnnoCustom", page.get());
}

void TTabUnno::btUNNOvarPrintClick(TSender) {
  const int32_t i = CurrentProfile();
  if (i < 0 || !LUNNO || i >= LUNNO->Count()) return;
  auto page = LUNNO->Items(i)->ReportVector();
  if (EdAssigned(Ed)) Ed->EdLoadSL("UnnoVars", page.get());
}
