#include "mainwindow/TabDi.h"

#include "mainwindow/FormCells.h"

#include <QWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/PageViewShow.h"
#include "models/cvLines.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "platform/FileErr.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/fit/cvDialogCalc.h"
#include "synthesis/fit/cvFitUtil.h"
#include "synthesis/fit/cvPageView.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using formcells::CellText;
using formcells::Col;
using formcells::ReadReal;

bool CellChecked(TFormCvGrid* G, const char* Column, int R) {
  const int c = Col(G, Column);
  TCell* cell = c >= 0 ? G->Cell(c, R) : nullptr;
  return cell && cell->GetAsBoolean();
}

void SetChecked(TFormCvGrid* G, const char* Column, int R, bool On) {
  const int c = Col(G, Column);
  if (c >= 0 && R < G->RowCount()) G->CellAt(c, R)->SetAsBoolean(On);
}


// The wavelength of a line Id from the line database (0 when it cannot be loaded).
double LineLam(const std::string& Id) {
  if (!LoadLins(Id, "")) return 0;
  return CalcCtx().CONT ? CalcCtx().CONT->LAMB : 0;
}

}  // namespace

void TTabDi::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, btCalcDiClick);
  CV_HANDLER(H, btRunVARIClick);
  CV_HANDLER(H, btDiFillALamClick);
  CV_HANDLER(H, btUNtoDiClick);
  CV_HANDLER(H, btDiLamsRepClick);
  CV_HANDLER(H, btClearObsClick);
  CV_HANDLER(H, btClearLinClick);
  CV_HANDLER(H, ed_ModP2Change);
  CV_HANDLER(H, ngCasesAfterEdit);
  CV_HANDLER(H, ngDiLinesAfterEdit);
  CV_HANDLER(H, ngDiLamsAfterEdit);
  CV_HANDLER(H, ngDiLamsSelectCell);
  for (int32_t m = 1; m <= 3; ++m) {
    H.Add("rbCurMod" + IntStr(m) + "Click", [this, m](TSender) { CurModClick(m); });
    H.Add("cb_Mod" + IntStr(m) + "Change", [this, m](TSender) { ModNameChange(m); });
  }
  const std::pair<const char*, double TDiMod::*> edits[] = {
      {"edEwan", &TDiMod::EWAN},   {"ed_T_eff", &TDiMod::T_eff}, {"ed_I_cont", &TDiMod::I_cont},
      {"ed_T_D", &TDiMod::T_D},    {"ed_T_G", &TDiMod::T_G},     {"ed_Vmi_0", &TDiMod::Vmi_0},
      {"ed_Vmi_G", &TDiMod::Vmi_G}, {"ed_V0", &TDiMod::V_0},     {"ed_V_G", &TDiMod::V_G},
      {"ed_H0", &TDiMod::H_0},     {"ed_H_G", &TDiMod::H_G},     {"ed_GM0", &TDiMod::GM_0},
      {"ed_GM_G", &TDiMod::GM_G},  {"ed_XI0", &TDiMod::XI_0},    {"ed_XI_G", &TDiMod::XI_G}};
  for (const auto& [name, field] : edits)
    H.Add(std::string(name) + "Change", [this, f = field](TSender E) { ModEdit(E, f); });
}

// ---------------------------------------------------------------- the page

void TTabDi::Refresh() {
  TDi& D = Di();
  int32_t m = D.CurMod;
  TPageView page;
  D.UpDate(page, m, ModelFileNames());
  D.CurMod = m;
  Refreshing_ = true;
  struct TDone {
    bool& F;
    ~TDone() { F = false; }
  } done{Refreshing_};
  ShowPageView(Shell, page);
  // the check-box cells from the tables (the page writes them as 1 and 0)
  for (int32_t h = 1; h <= std::min(D.nCase, TDi::MaxCase); ++h)
    SetChecked(ngCases, "gxObsShow", h - 1, D.Cases[static_cast<size_t>(h)].Show);
  for (int32_t d = 1; d <= std::min(D.nLin, TDi::MaxLin); ++d)
    SetChecked(ngDiLines, "gxCalc", d - 1, D.Lines[static_cast<size_t>(d)].Calc);
  for (int32_t n = 1; n <= std::min(D.nLams, TDi::MaxLams); ++n)
    SetChecked(ngDiLams, "gxLamsCalc", n - 1, D.Span(n).Calc);
  DiLamsCol = DiLamsRow = -1;
  D.Busy = false;
}

void TTabDi::AfterRun() {
  if (Di().nCase || Di().nLin || Di().nLams || Di().nMod) Refresh();
}

void TTabDi::TabDiShow(TSender) {
  if (!DiTabShown) {
    DiTabShown = true;
    DiLamsCol = DiLamsRow = -1;
  }
}

// ---------------------------------------------------------------- Make VARI, Run VARI

void TTabDi::btCalcDiClick(TSender) {
  TVariContext& ctx = VariCtx();
  if (!App || !ctx.LVARI) return;
  if (!ctx.VARI) WARNAbs("Исходный вариатор не существует!"_cp);
  // the default file is checked before the working variator is replaced
  const std::string file = FindNoCase(App->sRoot, "ONE/Default.DAT");
  if (!platform::IsRegularFile(file)) {
    WARNAbs("Файл начальных данных по умолчанию <"_cp + file + "> не найден!"_cp);
    return;
  }
  ctx.LVARI->LoadFromFile("Di_calc", file, true);
  TVARIATOR* V = ctx.LVARI->GetQuestVARI("Di_calc");
  if (!V) {
    WARNAbs("Исходный вариатор СНОВА не существует!"_cp);
    return;
  }
  ctx.VARI = V;
  if (!Di().MakeVari(*V)) return;
  const std::string d0 = TrimCtl(edD0Max->Text());
  double x = 0;
  if (ReadReal(d0, x)) V->AddP("#LIN_d0max " + d0);
  V->AddP("#dHFS 0.01");
  if (!V->NoKey("#RUN")) V->MoveToTail("#RUN");
  if (edRepLines->Checked()) V->AddP("#RUN REP_LINES");
}

void TTabDi::btRunVARIClick(TSender) {
  if (!LUNNO) return;
  if (!VariCtx().VARI) {
    WARNAbs("Run VARI: рабочий вариатор VARI не определен!"_cp);
    return;
  }
  auto job = std::make_shared<TJob>("Run VARI");
  auto text = std::make_shared<TStringList>();
  TLUNNO* list = LUNNO;
  Shell.StartDBJob(
      job, [list, text](TJob& J, TDM&) { RunVARI(J, *list, text.get()); },
      [text](TJob& J) {
        if (J.Cancelled() || text->Count() == 0) return;
        if (EdAssigned(Ed)) Ed->EdLoadSL("Di PlayVARI Report", text.get());
      },
      false);
}

// ---------------------------------------------------------------- spans

void TTabDi::btDiFillALamClick(TSender) {
  const int rows = ngDiLams->RowCount();
  for (int r = 0; r < rows; ++r) {
    if (!CellChecked(ngDiLams, "gxLamsCalc", r)) continue;
    if (r + 1 > TDi::MaxLams) {
      WARNAbs("FillALam Err: строка "_cp + IntStr(r + 1) + " > max(nLams)=" +
              IntStr(TDi::MaxLams));
      return;
    }
    double la1 = 0, la2 = 0, dl = 0;
    ReadReal(CellText(ngDiLams, "gxla1", r), la1);
    ReadReal(CellText(ngDiLams, "gxla2", r), la2);
    ReadReal(CellText(ngDiLams, "gxdL", r), dl);
    TDiLamSpan& s = Di().Span(r + 1);
    if (!DiFillLams(s, la1, la2, dl, CellText(ngDiLams, "gxMainLine", r), LineLam)) return;
  }
  Refresh();
}

void TTabDi::btDiLamsRepClick(TSender) {
  if (DiLamsRow < 0) {
    WARNAbs("В таблице \"Диапазоны длин волн\" не выбрана строка!"_cp);
    return;
  }
  const int32_t n = DiLamsRow + 1;
  const TDiLamSpan* s = n <= TDi::MaxLams ? Di().Spans[static_cast<size_t>(n)].get() : nullptr;
  if (!s || s->nL <= 0) {
    WARNAbs("В таблице \"Диапазоны длин волн\" в строке "_cp + IntStr(n) +
            " не заданы длины волн"_cp);
    return;
  }
  TStringList L;
  L.Add(DiLamsLine(*s));
  if (EdAssigned(Ed)) Ed->EdLoadSL("Список длин волн"_cp, &L);
}

void TTabDi::btUNtoDiClick(TSender) {
  if (!LUNNO) return;
  if (cbObsQuests->ItemCount() == 0) {
    std::vector<std::string> qs;
    for (int32_t i = 0; i < LUNNO->Count(); ++i) {
      const std::string& q = LUNNO->Items(i)->QUESTRef;
      if (!q.empty() && std::find(qs.begin(), qs.end(), q) == qs.end()) qs.push_back(q);
    }
    std::sort(qs.begin(), qs.end());
    for (const std::string& q : qs) cbObsQuests->AddItem(q);
    if (!qs.empty()) cbObsQuests->SetItemIndex(0);
    return;
  }
  const std::string q = cbObsQuests->Text();
  TDi& D = Di();
  for (int32_t i = 0; i < LUNNO->Count(); ++i) {
    const TUNNO& U = *LUNNO->Items(i);
    if (U.QUESTRef != q) continue;
    bool known = false;
    for (int32_t h = 1; h <= D.nCase && !known; ++h)
      known = D.Cases[static_cast<size_t>(h)].Name == U.sObs;
    if (known) continue;
    if (D.nCase + 1 > TDi::MaxCase) {
      WARNAbs("btUNtoDiClick nCase=" + IntStr(D.nCase + 1) + " > max(nCase)=" +
              IntStr(TDi::MaxCase));
      return;
    }
    TDiCase& c = D.Cases[static_cast<size_t>(++D.nCase)];
    c = TDiCase{};
    c.Name = U.sObs;
    c.CTETA = U.MJU;
    c.Teff = U.Teff;
    c.ICONT = U.CONT;
    c.Weight = 1.0;
    c.Show = true;
    c.QUEST = q;
  }
  for (int32_t i = 0; i < LUNNO->Count(); ++i) {
    const TUNNO& U = *LUNNO->Items(i);
    if (U.QUESTRef != q) continue;
    bool known = false;
    for (int32_t n = 1; n <= D.nLams && !known; ++n) known = D.Span(n).LIN == U.sULin;
    if (known) continue;
    if (D.nLams + 1 > TDi::MaxLams) {
      WARNAbs("btUNtoDiClick nLams=" + IntStr(D.nLams + 1) + " > max(nLams)=" +
              IntStr(TDi::MaxLams));
      break;
    }
    TDiLamSpan& s = D.Span(++D.nLams);
    s = TDiLamSpan{};
    s.LIN = U.sULin;
    s.Calc = true;
    s.LAMB = U.LAMB;
    std::string w = U.sULin;
    std::replace(w.begin(), w.end(), '_', ' ');
    const std::vector<std::string> ws = fit::Words(w);
    if (ws.empty() || !ReadReal(ws[0], s.la1)) s.la1 = 0;
    if (ws.size() < 2 || !ReadReal(ws[1], s.la2)) s.la2 = 0;
    s.nL = U.NDL;
    s.Lams = U.UL;
    s.dL = U.NDL > 1 && U.UL.size() > static_cast<size_t>(U.NDL)
               ? (U.UL[static_cast<size_t>(U.NDL)] - U.UL[1]) / (U.NDL - 1)
               : 0;
    s.Weight = 1.0;
  }
  Refresh();
}

// ---------------------------------------------------------------- edits

void TTabDi::btClearObsClick(TSender) {
  Di().ClearObs();
  Refresh();
}

void TTabDi::btClearLinClick(TSender) {
  Di().ClearLin();
  Refresh();
}

void TTabDi::CurModClick(int32_t M) {
  TDi& D = Di();
  if (D.Busy || Refreshing_) return;
  D.Busy = true;
  D.CurMod = M;
  Refresh();
}

void TTabDi::ModNameChange(int32_t M) {
  if (Refreshing_) return;
  platform::TComboBox* boxes[] = {cb_Mod1, cb_Mod2, cb_Mod3};
  if (M >= 1 && M <= 3) Di().Mod(M).Name = boxes[M - 1]->Text();
}

void TTabDi::ed_ModP2Change(TSender) {
  if (Refreshing_) return;
  platform::TEdit* eds[] = {ed_ModP1, ed_ModP2, ed_ModP3};
  double p[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k)
    if (!ReadReal(eds[k]->Text(), p[k])) {
      WARNAbs("Это не число: <"_cp + eds[k]->Text() + ">!");
      eds[k]->setFocus();
      return;
    }
  p[0] = 100 - (p[1] + p[2]);
  Refreshing_ = true;
  ed_ModP1->SetText(ShortSt(5, p[0]));
  Refreshing_ = false;
  for (int k = 0; k < 3; ++k) Di().Mod(k + 1).PART = p[k];
}

void TTabDi::ModEdit(TSender E, double TDiMod::*Field) {
  if (Refreshing_) return;
  auto* e = dynamic_cast<platform::TEdit*>(E.Sender);
  if (!e) return;
  double v = 0;
  if (!ReadReal(e->Text(), v)) {
    WARNAbs("В поле редактирования значение <"_cp + e->Text() + "> не является числом!"_cp);
    e->setFocus();
    return;
  }
  TDi& D = Di();
  const int32_t m = D.CurMod >= 1 && D.CurMod <= TDi::MaxMod ? D.CurMod : 1;
  D.Mod(m).*Field = v;
}

void TTabDi::ngCasesAfterEdit(TSender E) {
  TDi& D = Di();
  const int32_t h = E.Row + 1;
  if (E.Row < 0 || h > D.nCase || h > TDi::MaxCase) return;
  if (E.Col == Col(ngCases, "gxObsWeight")) {
    double w = 0;
    if (ReadReal(E.Value, w)) D.Cases[static_cast<size_t>(h)].Weight = w;
    else WARNAbs("Содержимое поля <"_cp + E.Value + "> должно быть числом!"_cp);
  } else if (E.Col == Col(ngCases, "gxObsShow")) {
    D.Cases[static_cast<size_t>(h)].Show = E.Value == "True";
  }
}

void TTabDi::ngDiLinesAfterEdit(TSender E) {
  TDi& D = Di();
  const int32_t d = E.Row + 1;
  if (E.Row < 0 || d > D.nLin || d > TDi::MaxLin) return;
  if (E.Col == Col(ngDiLines, "gxCalc")) D.Lines[static_cast<size_t>(d)].Calc = E.Value == "True";
  else if (E.Col == Col(ngDiLines, "gxLine")) D.Lines[static_cast<size_t>(d)].LIN = E.Value;
}

void TTabDi::ngDiLamsAfterEdit(TSender E) {
  TDi& D = Di();
  const int32_t n = E.Row + 1;
  if (E.Row < 0 || n > D.nLams || n > TDi::MaxLams) return;
  if (E.Col == Col(ngDiLams, "gxLamsCalc")) D.Span(n).Calc = E.Value == "True";
}

void TTabDi::ngDiLamsSelectCell(TSender E) {
  DiLamsCol = E.Col;
  DiLamsRow = E.Row;
}
