#include "mainwindow/TabVARI.h"

#include "mainwindow/FormCells.h"

#include <filesystem>
#include <memory>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvTimeSup.h"
#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "synthesis/fit/cvDialogCalc.h"

namespace {

using formcells::CellText;
using formcells::Col;

using formcells::SetCell;

void ShowPage(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

}  // namespace

void TTabVARI::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, cbVARI_NameSelect);
  CV_HANDLER(H, edVARI_KChange);
  CV_HANDLER(H, ngParamSelectCell);
  CV_HANDLER(H, ngParamAfterEdit);
  CV_HANDLER(H, btVARIAddKeyClick);
  CV_HANDLER(H, btVariDelKeyClick);
  CV_HANDLER(H, btVariKeyDownClick);
  CV_HANDLER(H, btTestVariClick);
  CV_HANDLER(H, btVariReportAllClick);
  CV_HANDLER(H, btVariReportUseClick);
  CV_HANDLER(H, btVariListParClick);
  CV_HANDLER(H, btVariListVariClick);
  CV_HANDLER(H, btVariListDimClick);
  CV_HANDLER(H, btVariReportDumpClick);
}

void TTabVARI::TabVARIShow(TSender) { FillVARIPage(); }

int32_t TTabVARI::AddVARIName(const std::string& Entry) {
  const std::string e = TrimCtl(Entry);
  for (int32_t i = 0; i < cbVARI_Name->ItemCount(); ++i)
    if (TrimCtl(cbVARI_Name->Item(i)) == e) return i;
  cbVARI_Name->AddItem(Entry);
  return cbVARI_Name->ItemCount() - 1;
}

void TTabVARI::FillVARIPage() {
  Filling_ = true;
  struct TDone {
    bool& F;
    ~TDone() { F = false; }
  } done{Filling_};
  ngParam->ClearRows();
  TVariContext& ctx = VariCtx();
  lbAppQuest->SetCaption(App ? App->sQuest : std::string());
  lbAppKQStep->SetCaption(IntStr(App ? App->iStep : 0));
  lbLVARI_Count->SetCaption(IntStr(ctx.LVARI ? ctx.LVARI->Count() : 0));
  TVARIATOR* V = ctx.VARI;
  if (!V) return;
  if (ctx.LVARI)
    for (int32_t i = 0; i < ctx.LVARI->Count(); ++i) {
      const TVARIATOR* v = ctx.LVARI->Items(i);
      const int32_t item = AddVARIName(v->QUEST + " " + IntStr(v->IQ));
      if (v->QUEST == V->QUEST && v->IQ == V->IQ) cbVARI_Name->SetItemIndex(item);
    }
  if (V->KIdx < 1 && V->NK >= 1) V->KIdx = 1;
  const std::string name = V->QUEST + " " + IntStr(V->IQ);
  cbVARI_Name->SetText(name);
  lbVARI_Name->SetCaption(name);
  edVARI_K->SetValue(V->KIdx);
  lbVARI_N->SetCaption("/ " + IntStr(V->NK));
  lbVARI_Count->SetCaption(IntStr(V->Count()));
  if (V->Count() > 0) ngParam->AddRows(V->Count());
  for (int32_t j = 1; j <= V->Count(); ++j) {
    const TVariRec* r = V->Rec(j);
    const int row = j - 1;
    const int32_t n = r->NVals();
    SetCell(ngParam, "gxParKey", row, r->Key);
    SetCell(ngParam, "gxParJ", row, IntStr(j));
    SetCell(ngParam, "GxParC", row, IntStr(r->Kind));
    SetCell(ngParam, "gxParLidx", row, IntStr(r->LIdx));
    SetCell(ngParam, "gxParNUse", row, IntStr(r->NUse));
    SetCell(ngParam, "gxParN", row, IntStr(n));
    const bool k = V->KIdx >= 1 && V->KIdx <= V->NK;
    SetCell(ngParam, "gxParVal", row, k || n == 1 ? V->GetSK(r->Key) : std::string());
    SetCell(ngParam, "gxParI", row,
            IntStr(n == 1 || r->LIdx == 0 || !k ? 1 : V->DimValIdx(r->LIdx, V->KIdx)));
    SetCell(ngParam, "gxParTime", row, MsToHMSms(r->Stamp));
  }
}

TVARIATOR* TTabVARI::SetCurVARIfromVARIPage() {
  std::string quest;
  int32_t step = 1;
  VariNameSplit(cbVARI_Name->Text(), quest, step);
  TVariContext& ctx = VariCtx();
  ctx.VARI = ctx.LVARI ? ctx.LVARI->GetIQuestVARI(quest, step) : nullptr;
  return ctx.VARI;
}

void TTabVARI::cbVARI_NameSelect(TSender) {
  if (!SetCurVARIfromVARIPage())
    WARNAbs("VARI.QUEST=<" + cbVARI_Name->Text() + ">.? = NIL!");
  FillVARIPage();
}

void TTabVARI::edVARI_KChange(TSender) {
  if (Filling_ || !TimeSup) return;
  TimeSup->ArmTimer("variK", 901, [this](int32_t) {
    TimeSup->DelTimer("variK");
    BusStop();
    struct TRestart {
      ~TRestart() { BusStart(); }
    } restart;
    edVARI_KonChange();
  });
}

void TTabVARI::edVARI_KonChange() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) return;
  int32_t k = edVARI_K->Value();
  if (k < 1) k = 1;
  if (k > V->NK) k = V->NK;
  V->KIdx = k;
  Filling_ = true;
  edVARI_K->SetValue(k);
  Filling_ = false;
  FillVARIPage();
}

void TTabVARI::ngParamSelectCell(TSender E) {
  ParamCol = E.Col;
  ParamRow = E.Row;
  TCell* c = E.Col >= 0 && E.Row >= 0 ? ngParam->Cell(E.Col, E.Row) : nullptr;
  ParamCellText = c ? c->GetAsText() : std::string();
}

void TTabVARI::ngParamAfterEdit(TSender E) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V || E.Row < 0) return;
  const std::string text = E.Value;
  if (text == ParamCellText) return;
  const std::string key = CellText(ngParam, "gxParKey", E.Row);
  if (E.Col == Col(ngParam, "gxParI")) {
    int32_t c1 = 0, c2 = 0;
    (void)ValIntCode(ParamCellText, c1);
    int32_t b = ValIntCode(text, c2);
    if (c1 != 0 || c2 != 0 || ValIntOr0(ParamCellText) == b) return;
    const int32_t n = ValIntOr0(CellText(ngParam, "gxParN", E.Row));
    if (b < 1) b = 1;
    if (b > n) b = n;
    V->StepK(key, b);
    Filling_ = true;
    edVARI_K->SetValue(V->KIdx);
    Filling_ = false;
  } else if (E.Col == Col(ngParam, "gxParVal")) {
    V->UpDate(key, text, UniqueTick());
  }
  ParamCellText = text;
}

void TTabVARI::btVARIAddKeyClick(TSender) {
  TVARIATOR* V = SetCurVARIfromVARIPage();
  if (!V) {
    WARNAbs("VARI.QUEST=<" + cbVARI_Name->Text() + ">.? = NIL!");
    return;
  }
  std::string key = TrimCtl(edVARINewKey->Text());
  if (key.empty()) {
    WARNAbs("Add Key: не задан ключ (поле New Key)"_cp);
    return;
  }
  if (key[0] != '#') key = "#" + key;
  V->AddP(key + " " + edVARINewVal->Text());
  FillVARIPage();
}

void TTabVARI::btVariDelKeyClick(TSender) {
  TVARIATOR* V = SetCurVARIfromVARIPage();
  if (!V) {
    WARNAbs("VARI.QUEST=<" + cbVARI_Name->Text() + ">.? = NIL!");
    return;
  }
  if (ParamRow < 0 || ParamRow >= ngParam->RowCount()) {
    WARNAbs("Del Key: в таблице не выбрана строка"_cp);
    return;
  }
  const int32_t j = V->KeyIdx(CellText(ngParam, "gxParKey", ParamRow));
  if (j > 0) V->DelJ(j);
  FillVARIPage();
}

void TTabVARI::btVariKeyDownClick(TSender) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V || ParamRow < 0 || ParamRow >= ngParam->RowCount()) return;
  const int32_t j = ValIntOr0(CellText(ngParam, "gxParJ", ParamRow));
  if (j < 1 || j >= V->Count()) return;
  V->ExchangeJ(j);
  FillVARIPage();
}

void TTabVARI::btTestVariClick(TSender) {
  if (!App) return;
  TVariContext& ctx = VariCtx();
  if (!ctx.LVARI) return;
  const std::string quest = App->sQuest;
  std::string file = FindNoCase(App->sProjDir, "ONE/" + quest + "." + IntStr(App->iStep) + ".DAT");
  if (!platform::IsRegularFile(file)) file = FindNoCase(App->sProjDir, "ONE/" + quest + ".DAT");
  if (platform::IsRegularFile(file)) ctx.LVARI->LoadFromFile(quest, file, false);
  ctx.VARI = ctx.LVARI->GetQuestVARI(quest);
  TVARIATOR* V = ctx.VARI;
  if (!V) return;
  App->iStep = ctx.LVARI->CountQuest(quest);
  std::vector<std::string> lines{"VARI.Count=" + IntStr(V->Count())};
  auto add = [&](const std::unique_ptr<TStringList>& L) {
    if (L)
      for (int i = 0; i < L->Count(); ++i) lines.push_back((*L)[i]);
  };
  add(V->ParList());
  add(V->VariantList());
  lines.push_back("Полный отчет :"_cp);
  add(V->CtrlTextAll());
  MemoVari->SetLines(lines);
  FillVARIPage();
}

TVARIATOR* TTabVARI::ReportVari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) {
    WARNAbs("Список VARI не создан"_cp);
    return nullptr;
  }
  if (V->Count() <= 1) {
    WARNAbs("Список VARI не заполнен"_cp);
    return nullptr;
  }
  return V;
}

void TTabVARI::btVariReportAllClick(TSender) {
  if (TVARIATOR* V = ReportVari())
    if (auto L = V->CtrlTextAll()) ShowPage("VARI.ReportAll", *L);
}

void TTabVARI::btVariReportUseClick(TSender) {
  TVARIATOR* V = ReportVari();
  if (!V) return;
  auto L = V->CtrlTextUse();
  if (!L || L->Count() == 0) {
    WARNAbs("В списоке VARI нет параметров, использованных в текущем расчете"_cp);
    return;
  }
  ShowPage("VARI.ReportUse", *L);
}

void TTabVARI::btVariListParClick(TSender) {
  if (TVARIATOR* V = ReportVari())
    if (auto L = V->ParList()) ShowPage("VARI.ListPars", *L);
}

void TTabVARI::btVariListVariClick(TSender) {
  TVARIATOR* V = ReportVari();
  if (!V) return;
  auto L = V->VariantList();
  if (!L || L->Count() == 0) {
    WARNAbs("В списке VARI нет параметров, которые варьируются"_cp);
    return;
  }
  ShowPage("VARI.ListVari", *L);
}

void TTabVARI::btVariListDimClick(TSender) {
  if (TVARIATOR* V = ReportVari())
    if (auto L = V->MultiKeys()) ShowPage("VARI.ListDims", *L);
}

void TTabVARI::btVariReportDumpClick(TSender) {
  TVariContext& ctx = VariCtx();
  TStringList L;
  L.Add("LVARI:---------------");
  if (ctx.LVARI)
    if (auto d = ctx.LVARI->Dump())
      for (int i = 0; i < d->Count(); ++i) L.Add((*d)[i]);
  L.Add("");
  L.Add("CURRENT VARI:----------------");
  if (!ctx.VARI) {
    L.Add(" NOT ASSIGNED !!!");
  } else {
    const int32_t i = ctx.LVARI ? ctx.LVARI->IndexOfVARI(ctx.VARI) : -1;
    if (i >= 0) {
      L.Add(" = LVARI[" + IntStr(i) + "]");
    } else if (auto d = ctx.VARI->ReportDump()) {
      for (int k = 0; k < d->Count(); ++k) L.Add((*d)[k]);
    }
  }
  ShowPage("LVARI.VARI.ReportDump", L);
}
