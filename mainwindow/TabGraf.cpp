#include "mainwindow/TabGraf.h"

#include "mainwindow/FormCells.h"

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <algorithm>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTabCol.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "platform/Colors.h"
#include "platform/qt/RichEdit.h"
#include "plotting/cvGrafList.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

using formcells::ngColorize0;
using formcells::ReadInt;
using formcells::ReadReal;

TPicTool* Tool() { return FPicTool ? &FPicTool->Model : nullptr; }

bool ToolOn(const char* Name) { return Tool() ? Tool()->Get(Name) == "1" : PicToolDesignValue(Name) == "1"; }

}  // namespace

TTabGraf::~TTabGraf() {
  if (FPicTool && FPicTool->Model.Main == this) FPicTool->Model.Main = nullptr;
}

void TTabGraf::RegisterHandlers(platform::THandlerRegistry& H) {
  TFormTab::RegisterHandlers(H);
  CV_HANDLER(H, gx_PicListAfterEdit);
  CV_HANDLER(H, gx_PicListCellClick);
  CV_HANDLER(H, gx_PicListHeaderClick);
  CV_HANDLER(H, gx_PicListMouseMove);
  CV_HANDLER(H, gx_PicListDrawCellBackground);
  CV_HANDLER(H, pmPicList_SetRowClick);
  CV_HANDLER(H, pmPicList_AllClick);
  CV_HANDLER(H, btGActAllClick);
  CV_HANDLER(H, btGActClrClick);
  CV_HANDLER(H, btGActEvnClick);
  CV_HANDLER(H, btGActOddClick);
  CV_HANDLER(H, btFillClick);
  CV_HANDLER(H, btOperClick);
  CV_HANDLER(H, btDelPicListClick);
  CV_HANDLER(H, btJoinYClick);
  CV_HANDLER(H, gx_WindListAfterEdit);
  CV_HANDLER(H, WL_ClearDimClick);
  CV_HANDLER(H, rbFulcrumNoClick);
  CV_HANDLER(H, rbActPointOffClick);
  CV_HANDLER(H, rbActPointStartClick);
  CV_HANDLER(H, btActPtoFulcrumClick);
  CV_HANDLER(H, edMoveStepPChange);
  CV_HANDLER(H, edMoveStepChange);
  CV_HANDLER(H, btPushUClick);
  CV_HANDLER(H, btPushDClick);
  CV_HANDLER(H, btPlotterUpDateClick);
  CV_HANDLER(H, cbScaleChange);
  CV_HANDLER(H, btGraHistClick);
  CV_HANDLER(H, btStartGIFClick);
  CV_HANDLER(H, btNewGrafClick);
  CV_HANDLER(H, RTFPicTitleChange);
  CV_HANDLER(H, RTFsXTitChange);
  CV_HANDLER(H, RTFsYTitChange);
}

void TTabGraf::AttachTool() {
  if (FPicTool) FPicTool->Model.Main = this;
}

void TTabGraf::TabGrafShow() {
  AttachTool();
  if (!Shell.qProjCtrlsReady) {
    const std::string base = App && App->TunGlobal ? App->TunGlobal->Get("ProjBasePath") : "";
    if (!base.empty()) Shell.ProjTab().edBasePath->SetText(base);
    Shell.ProjTab().TabControlsSetDirs();
    Shell.qProjCtrlsReady = true;
  }
  PicListBulk = false;
  PicListCol = PicListRow = PicListAnchorRow = PicListNum = -1;
  if (PLOTTER) {
    PLOTTER->FillGraphGrid();
    PLOTTER->FillWWGrid();
  }
}

// ---------------------------------------------------------------- the plotter's side

std::string TTabGraf::MainGet(const std::string& Name) {
  const platform::TFormRegistry& R = Shell.Registry;
  if (auto* E = R.As<platform::TEdit>(Name)) return E->Text();
  if (auto* C = R.As<platform::TComboBox>(Name)) return C->Text();
  if (auto* C = R.As<platform::TCheckBox>(Name)) return C->Checked() ? "1" : "0";
  if (auto* C = R.As<platform::TRadioButton>(Name)) return C->Checked() ? "1" : "0";
  if (auto* B = R.As<platform::TSpeedButton>(Name)) return B->Down() ? "1" : "0";
  if (auto* L = R.As<platform::TLabel>(Name)) return L->Caption();
  if (auto* M = R.As<platform::TMemo>(Name)) {
    std::string T;
    for (const std::string& S : M->Lines()) T += (T.empty() ? "" : "\r\n") + S;
    return T;
  }
  const auto It = Kept_.find(Name);
  return It != Kept_.end() ? It->second : TPlotHost::MainGet(Name);
}

void TTabGraf::MainSet(const TCtlValues& Values) {
  const platform::TFormRegistry& R = Shell.Registry;
  for (const auto& [k, v] : Values) {
    if (auto* E = R.As<platform::TEdit>(k)) {
      E->SetText(v);
    } else if (auto* C = R.As<platform::TComboBox>(k)) {
      const std::vector<std::string> Items = C->Items();
      const auto It = std::find(Items.begin(), Items.end(), v);
      if (It != Items.end())
        C->SetItemIndex(int32_t(It - Items.begin()));
      else
        C->SetText(v);
    } else if (auto* B = R.As<platform::TCheckBox>(k)) {
      B->SetChecked(v == "1");
    } else if (auto* B = R.As<platform::TRadioButton>(k)) {
      B->SetChecked(v == "1");
    } else if (auto* L = R.As<platform::TLabel>(k)) {
      L->SetCaption(v);
    } else if (auto* T = R.As<platform::TRichEdit>(k)) {
      T->SetText(v);
    } else {
      Kept_[k] = v;
    }
  }
}

int32_t TTabGraf::GridCol(const char* Name) {
  TGxCustomColumn* c = gx_PicList->ColumnByName(Name);
  return c ? gx_PicList->Columns().IndexOf(c) : -1;
}

std::string TTabGraf::CellText(const char* Col, int32_t Row) {
  const int32_t c = GridCol(Col);
  TCell* Cell = c >= 0 && Row >= 0 && Row < gx_PicList->RowCount() ? gx_PicList->CellAt(c, Row) : nullptr;
  return Cell ? Cell->GetAsText() : std::string();
}

void TTabGraf::SetCell(const char* Col, int32_t Row, const std::string& Text) {
  const int32_t c = GridCol(Col);
  if (c < 0 || Row < 0 || Row >= gx_PicList->RowCount()) return;
  if (TCell* Cell = gx_PicList->CellAt(c, Row)) Cell->SetAsText(Text);
}

namespace {

void CellsToRow(TFormCvGrid* G, int32_t Row, const TCtlValues& Cells) {
  while (G->RowCount() <= Row) G->AddRows(1);
  for (const auto& [k, v] : Cells) {
    TGxCustomColumn* c = G->ColumnByName(k);
    if (!c) continue;
    TCell* Cell = G->CellAt(G->Columns().IndexOf(c), Row);
    if (!Cell) continue;
    if (dynamic_cast<TGxCheckBoxColumn*>(c))
      Cell->SetAsBoolean(v == "1" || v == "True" || v == "true" || v == "TRUE");
    else
      Cell->SetAsText(v);
  }
}

}  // namespace

void TTabGraf::GraphToGrid(int32_t Row, const TCtlValues& Cells) {
  if (Row < 1) return;
  TCtlValues C = Cells;
  // the grid counts graphs from 0: row Row - 1 shows the plotter's graph Row
  for (auto& [k, v] : C)
    if (k == "gxPL_Num") v = IntStr(Row - 1);
  CellsToRow(gx_PicList, Row - 1, C);
}

void TTabGraf::GraphGridUnits(const TStringList& Dims) {
  std::vector<WideString> Items;
  for (int32_t i = 0; i < Dims.Count(); ++i) Items.push_back(gx::W(Dims[i]));
  for (const char* N : {"gxPL_YUnits", "gxPL_XUnits"})
    if (auto* c = dynamic_cast<TGxStringsColumn*>(gx_PicList->ColumnByName(N))) c->SetItems(Items);
}

void TTabGraf::WindowToGrid(int32_t Row, const TCtlValues& Cells) {
  if (Row >= 0) CellsToRow(gx_WindList, Row, Cells);
}

void TTabGraf::GridClear(const std::string& Grid) {
  if (Grid == "gx_PicList") gx_PicList->ClearRows();
  if (Grid == "gx_WindList") gx_WindList->ClearRows();
}

// ---------------------------------------------------------------- graph grid

std::vector<bool> TTabGraf::ActiveRows() {
  std::vector<bool> A(size_t(gx_PicList->RowCount()));
  const int32_t c = GridCol("gxPL_Act");
  for (size_t r = 0; r < A.size(); ++r) {
    TCell* Cell = c >= 0 ? gx_PicList->CellAt(c, int(r)) : nullptr;
    A[r] = Cell && Cell->GetAsBoolean();
  }
  return A;
}

void TTabGraf::ApplyRow(int32_t R, const std::string& Col) {
  if (!PLOTTER) {
    WARNAbs("PLOTTER Not Assigned");
    return;
  }
  int32_t Num = 0;
  if (ReadInt(CellText("gxPL_Num", R), Num)) PLOTTER->SetCurPic(Num + 1);
  std::string V;
  if (TGxCustomColumn* c = gx_PicList->ColumnByName(Col)) {
    TCell* Cell = gx_PicList->CellAt(gx_PicList->Columns().IndexOf(c), R);
    if (Cell)
      V = dynamic_cast<TGxCheckBoxColumn*>(c) ? (Cell->GetAsBoolean() ? "1" : "0")
                                              : Cell->GetAsText();
  }
  if (!graf::EditGraph(PLOTTER, Tool(), Col, V)) return;
  if (!PicListBulk) PLOTTER->ToolsRefresh();
}

void TTabGraf::gx_PicListAfterEdit(TSender E) {
  if (E.Col < 0 || E.Col >= gx_PicList->Columns().ColumnCount() || E.Row < 0) return;
  ApplyRow(E.Row, gx_PicList->Columns().Column(E.Col)->Name);
}

void TTabGraf::gx_PicListCellClick(TSender E) {
  PicListCol = E.Col;
  PicListRow = E.Row;
  int32_t Num = -1;
  if (ReadInt(CellText("gxPL_Num", E.Row), Num)) PicListNum = Num + 1;
  if (E.Col >= 0 && E.Col < gx_PicList->Columns().ColumnCount())
    lbCurCol->SetCaption(gx::A(gx_PicList->Columns().Column(E.Col)->Header().Caption()));
  if (TPicTool* T = Tool()) T->Put("edKPic", IntStr(PicListNum));
  gx_PicList->Repaint();
}

void TTabGraf::gx_PicListHeaderClick(TSender E) {
  PicListCol = E.Col;
  if (E.Col >= 0 && E.Col < gx_PicList->Columns().ColumnCount())
    lbCurCol->SetCaption(gx::A(gx_PicList->Columns().Column(E.Col)->Header().Caption()));
}

void TTabGraf::gx_PicListMouseMove(TSender E) {
  const auto [c, r] = gx_PicList->CellAtPoint(QPoint(E.X, E.Y));
  gx_PicList->setToolTip(
      QString::fromStdString("Cell[X=" + IntStr(c) + " Y=" + IntStr(r) + "]"));
}

void TTabGraf::gx_PicListDrawCellBackground(TSender E) {
  const QRect R = formcells::CellRect(E);
  if (E.Row == PicListRow)
    ngColorize0(gx_PicList, 40, E.DefaultDrawing, R, E.Row, E.Col, PicListRow, PicListCol);
  else if (E.Row == PicListAnchorRow)
    ngColorize0(gx_PicList, 25, E.DefaultDrawing, R, E.Row, E.Col, PicListAnchorRow, -1);
}

void TTabGraf::pmPicList_SetRowClick(TSender) {
  if (PicListAnchorRow < 0) {
    PicListAnchorRow = PicListRow;
    pmPicList_SetRow->SetCaption("Fornax " + IntStr(PicListRow));
  } else {
    PicListAnchorRow = -1;
    pmPicList_SetRow->SetCaption("Fornax");
  }
  gx_PicList->Repaint();
}

void TTabGraf::pmPicList_AllClick(TSender) {
  int32_t From = 0, To = -1;
  graf::SelectRange(PicListAnchorRow, PicListRow, gx_PicList->RowCount(), From, To);
  PicListBulk = true;
  for (int32_t r = From; r <= To; ++r) {
    SetCell("gxPL_Act", r, "True");
    if (TCell* C = gx_PicList->CellAt(GridCol("gxPL_Act"), r)) C->SetAsBoolean(true);
    ApplyRow(r, "gxPL_Act");
  }
  PicListBulk = false;
  if (PLOTTER) PLOTTER->ToolsRefresh();
}

void TTabGraf::BulkMark(char Kind) {
  const std::vector<bool> M = graf::BulkMarks(gx_PicList->RowCount(), Kind);
  const int32_t c = GridCol("gxPL_Act");
  PicListBulk = true;
  for (size_t r = 0; r < M.size(); ++r) {
    if (TCell* C = gx_PicList->CellAt(c, int(r))) C->SetAsBoolean(M[r]);
    ApplyRow(int32_t(r), "gxPL_Act");
  }
  PicListBulk = false;
  if (PLOTTER) PLOTTER->ToolsRefresh();
}

void TTabGraf::btFillClick(TSender) {
  const std::vector<std::string> Lines = memoPicListFldVal->Lines();
  if (Lines.empty() || PicListCol < 0 || PicListCol >= gx_PicList->Columns().ColumnCount()) return;
  const std::string Col = gx_PicList->Columns().Column(PicListCol)->Name;
  const auto V = graf::FillValues(ActiveRows(), Lines);
  PicListBulk = true;
  for (size_t r = 0; r < V.size(); ++r) {
    if (!V[r]) continue;
    if (TCell* C = gx_PicList->CellAt(PicListCol, int(r))) C->SetAsText(*V[r]);
    ApplyRow(int32_t(r), Col);
  }
  PicListBulk = false;
  if (PLOTTER) PLOTTER->ToolsRefresh();
}

void TTabGraf::btOperClick(TSender) {
  double Step = 0;
  int32_t Shift = 0;
  if (!PLOTTER || !ReadReal(edStepY->Text(), Step) || !ReadInt(edShift1->Text(), Shift)) return;
  const std::vector<bool> A = ActiveRows();
  std::vector<int32_t> Nums;
  for (size_t r = 0; r < A.size(); ++r) {
    int32_t n = 0;
    if (A[r] && ReadInt(CellText("gxPL_Num", int32_t(r)), n)) Nums.push_back(n + 1);
  }
  const bool X = ToolOn("cbZoomX"), Y = ToolOn("cbZoomY");
  // the last first: a graph deleted with its replacement leaves the numbers below it
  for (int32_t k = int32_t(Nums.size()) - 1; k >= 0; --k) {
    PLOTTER->SetCurPic(Nums[size_t(k)]);
    graf::AddModifPic()(*PLOTTER, graf::OperCommand(Step, Shift, k), X, Y);
  }
  PLOTTER->ToolsRefresh();
  PLOTTER->PlayOnce();
}

void TTabGraf::btDelPicListClick(TSender) {
  if (!PLOTTER) return;
  const std::vector<bool> A = ActiveRows();
  for (int32_t r = int32_t(A.size()) - 1; r >= 0; --r) {
    int32_t n = 0;
    if (!A[size_t(r)] || !ReadInt(CellText("gxPL_Num", r), n)) continue;
    PLOTTER->SetCurPic(n + 1);
    PLOTTER->DelCurPic();
  }
  PLOTTER->ToolsRefresh();
  // nothing left: the picture emptied (a replay of no graphs only warns)
  if (PLOTTER->GraphCount() > 0)
    PLOTTER->PlayOnce();
  else
    PLOTTER->ClearDevice();
}

void TTabGraf::btJoinYClick(TSender) {
  if (!PLOTTER) return;
  const std::vector<bool> A = ActiveRows();
  std::vector<int32_t> kYs(A.size()), Nums(A.size());
  for (size_t r = 0; r < A.size(); ++r) {
    ReadInt(CellText("gxPL_kYs", int32_t(r)), kYs[r]);
    ReadInt(CellText("gxPL_Num", int32_t(r)), Nums[r]);
  }
  const int32_t T = graf::JoinTarget(A, kYs);
  if (T < 0) return;
  PLOTTER->k_Compare = Nums[size_t(T)] + 1;
  for (size_t r = 0; r < A.size(); ++r) {
    if (!A[r] || int32_t(r) == T) continue;
    PLOTTER->SetCurPic(Nums[r] + 1);
    PLOTTER->JoinWorldWins(false, true);
  }
  PLOTTER->ToolsRefresh();
}

// ---------------------------------------------------------------- world windows

void TTabGraf::gx_WindListAfterEdit(TSender E) {
  if (E.Col < 0 || E.Col >= gx_WindList->Columns().ColumnCount() || E.Row < 0) return;
  TGxCustomColumn* NumCol = gx_WindList->ColumnByName("gxWL_Num");
  int32_t Num = -1;
  if (NumCol) ReadInt(gx_WindList->CellAt(gx_WindList->Columns().IndexOf(NumCol), E.Row)->GetAsText(), Num);
  TCell* C = gx_WindList->CellAt(E.Col, E.Row);
  graf::EditWindow(PLOTTER, Num, gx_WindList->Columns().Column(E.Col)->Name,
                   C ? C->GetAsText() : E.Value);
}

void TTabGraf::WL_ClearDimClick(TSender) {
  if (!PLOTTER) {
    WARNAbs("PLOTTER Not Assigned");
    return;
  }
  PLOTTER->ClearWWDims();
}

// ---------------------------------------------------------------- points

bool TTabGraf::PointsLocked() {
  TPicTool* T = Tool();
  return (T && T->Updating) || !PLOTTER || !PLOTTER->ChkCurPic();
}

void TTabGraf::DeleteFulcrum() {
  PLOTTER->DeleteFulcrum();
  if (FPict) FPict->State().PicPopupMenuUpdate();
}

void TTabGraf::rbFulcrumNoClick(TSender) {
  if (PointsLocked()) return;
  TUpdatingLock L(*Tool());
  DeleteFulcrum();
}

void TTabGraf::PointCapture(bool On) {
  if (PointsLocked()) return;
  TUpdatingLock L(*Tool());
  PLOTTER->CurPict()->IAUsed = On;
  PLOTTER->ShowCurInTool();
}

void TTabGraf::rbActPointOffClick(TSender) { PointCapture(false); }
void TTabGraf::rbActPointStartClick(TSender) { PointCapture(true); }

void TTabGraf::SetFulcrum() {
  if (!PLOTTER) return;
  PLOTTER->SetFulcrum();
  if (FPict) FPict->State().PicPopupMenuUpdate();
}

// ---------------------------------------------------------------- move steps

void TTabGraf::MoveStepToWW() {
  std::string S;
  StepGuard_ = true;
  if (graf::MoveStepToWW(PLOTTER, edMoveStepP->Text(), S)) edMoveStep->SetText(S);
  StepGuard_ = false;
}

void TTabGraf::edMoveStepPChange(TSender) {
  if (StepGuard_ || (Tool() && Tool()->Updating)) return;
  MoveStepToWW();
}

void TTabGraf::edMoveStepChange(TSender) {
  if (StepGuard_ || (Tool() && Tool()->Updating)) return;
  std::string S;
  StepGuard_ = true;
  if (graf::MoveStepToPix(PLOTTER, edMoveStep->Text(), S)) edMoveStepP->SetText(S);
  StepGuard_ = false;
}

void TTabGraf::btPushUClick(TSender) {
  if (PLOTTER && FPict && FPict->State().PlotterOn) PLOTTER->PointMove('U');
}

void TTabGraf::btPushDClick(TSender) {
  if (PLOTTER && FPict && FPict->State().PlotterOn) PLOTTER->PointMove('D');
}

void TTabGraf::btPlotterUpDateClick(TSender) {
  if (PLOTTER) PLOTTER->ToolsRefresh();
}

// ---------------------------------------------------------------- histogram, animation

void TTabGraf::cbScaleChange(TSender) {
  std::string Mi, Ma;
  if (!graf::ScaleTexts(cbScale->Text(), Mi, Ma)) {
    WARNAbs(cbScale->Text());
    return;
  }
  edkMi->SetText(Mi);
  edkMa->SetText(Ma);
}

void TTabGraf::btGraHistClick(TSender) {
  double kMi = 0, kMa = 0, Lo = 0, Hi = 0;
  int32_t NN = 0;
  if (!PLOTTER || !PLOTTER->ChkCurPic() || PLOTTER->CurPict()->N <= 3) return;
  if (!ReadReal(edkMi->Text(), kMi) || !ReadReal(edkMa->Text(), kMa) || !ReadInt(edNN->Text(), NN))
    return;
  const std::string Mode = cbLogNorm->Text();
  if (!graf::Histogram(PLOTTER, NN, kMi, kMa, cbGraHist->Checked(), Mode.empty() ? 'N' : Mode[0],
                       Lo, Hi))
    return;
  edMiVal->SetText(ShortSt(5, Lo));
  edMaVal->SetText(ShortSt(5, Hi));
  PLOTTER->ToolsRefresh();
  PLOTTER->PlayOnce();
}

void TTabGraf::btStartGIFClick(TSender) {
  if (!FPict) return;
  if (!btStartGIF->Down()) {
    FPict->GIFTimer.stop();
    return;
  }
  int32_t Ms = 0;
  if (!graf::AnimationInterval(ed_tGIF->Text(), Ms)) {
    btStartGIF->SetDown(false);
    WARNAbs("Интервал анимации вне допустимого диапазона: "_cp + ed_tGIF->Text() + " с"_cp);
    return;
  }
  if (PLOTTER) {
    PLOTTER->kT = 1;
    PLOTTER->kTDir = 1;
  }
  FPict->GIFTimer.setInterval(Ms);
  FPict->GIFTimer.start();
}

// ---------------------------------------------------------------- table plotting

bool TTabGraf::PlayGraphicArgs(TPlaySource Source, const std::string& ClassName, int32_t& ColX,
                               int32_t& T1, int32_t& T2, int32_t& ColY) {
  if (!EdAssigned(Ed) || !Ed->Memo) return false;
  // the current column: the word at the caret, the last one: the line's word count
  Ed->UpdateStatus();
  const int32_t Cur = Ed->WordNo, Last = Ed->LineWords;
  switch (Source) {
    case TPlaySource::Panel: {
      const TInfField* F = App && App->Inf ? App->Inf->FindFld("nX") : nullptr;
      ColX = F ? F->GetInt() : 0;
      ColY = Cur;
      break;
    }
    case TPlaySource::Tool: {
      TPicTool* T = Tool();
      ColX = T ? ValIntOr0(T->Get("edXCol")) : 0;
      ColY = T ? ValIntOr0(T->Get("edYCol")) : 0;
      break;
    }
    default:
      WARNAbs("PlayGrafic - неизвестный Sender :"_cp + ClassName);
      return false;
  }
  if (ColX == 0) {
    WARNAbs("Колонка X не выбрана!"_cp);
    return false;
  }
  if (ColY == 0) {
    WARNAbs("Текущая колонка, которая определяет Y не выбрана!"_cp);
    return false;
  }
  if (ColY == ColX) {
    WARNAbs("Текущая колонка, которая определяет Y совпадает с колонкой X!"_cp);
    return false;
  }
  if (Cur > Last) {
    WARNAbs("Текущая колонка №"_cp + IntStr(Cur) + " правее крайней колонки №"_cp + IntStr(Last) +
            "!");
    return false;
  }
  // the table around the current line: its stored bounds, else found again
  T1 = Ed->TabTop;
  T2 = Ed->TabBottom;
  if (!(T1 < T2)) Ed->TabBounds(T1, T2);
  if (!(T1 < T2)) {
    WARNAbs("Диапазон строк от "_cp + IntStr(T1) + " до "_cp + IntStr(T2) +
            " задан неверно!"_cp + "\r\n" + "Текущая строка №"_cp + IntStr(Ed->Line));
    return false;
  }
  return true;
}

void TTabGraf::PlayGraphic(TPlaySource Source, const std::string& ClassName) {
  AttachTool();
  int32_t ColX = 0, ColY = 0, T1 = 0, T2 = 0;
  if (!PlayGraphicArgs(Source, ClassName, ColX, T1, T2, ColY)) return;
  double M[4] = {10, 10, 10, 10}, TX = 100, TY = 100;
  TPlotHost& Host = Tool() ? static_cast<TPlotHost&>(*Tool()) : StandInPlotHost();
  if (!Host.GetMargins(M[0], M[1], M[2], M[3], TX, TY)) return;
  if (!FPict || !PLOTTER) return;
  FPict->ShowWindow();
  if (!FPict->State().PlotterOn || PLOTTER->Window != &FPict->Host()) FPict->State().RestartPlotter();
  TStringList Text;
  for (const std::string& L : Ed->Memo->Lines()) Text.Add(L);
  FPict->Bind(*PLOTTER);
  const std::string Style = Tool() ? Tool()->Get("edLineStyle") : PicToolDesignValue("edLineStyle");
  graf::PlotTable(*PLOTTER, Text, T1, T2, ColX, ColY, Style, M);
}

void TTabGraf::btNewGrafClick(TSender) {
  const int32_t Step = ValInt(edVertStep->Text());
  if (!EdAssigned(Ed) || !Ed->Memo) return;
  const int32_t L0 = Ed->Line;
  int32_t T1 = Ed->TabTop, T2 = Ed->TabBottom;
  if (!(T1 < T2)) Ed->TabBounds(T1, T2);
  if (App) App->qStop = false;
  PlayGraphic(TPlaySource::Panel);
  if (Step == 0 || T2 - T1 >= Step) return;
  for (int32_t e = L0 + Step; e - 1 < Ed->Memo->LineCount(); e += Step) {
    // Esc between the tables ends the series
    QApplication::processEvents();
    if ((App && App->qStop) || !Active()) break;
    int CL = 0, CC = 0;
    Ed->Memo->CaretPos(CL, CC);
    Ed->Memo->SetCaret(e - 1, CC);
    Ed->UpdateStatus();
    Ed->ShowTabBounds();
    PlayGraphic(TPlaySource::Panel);
  }
}
