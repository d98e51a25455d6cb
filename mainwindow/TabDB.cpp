#include "mainwindow/TabDB.h"

#include <memory>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"

namespace {

TTunes* Common() { return App ? App->TunCommon.get() : nullptr; }

std::string CellText(TFormCvGrid* G, int C, int R) {
  TCell* c = G->Cell(C, R);
  return c ? c->GetAsText() : std::string();
}

int Col(TFormCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? G->Columns().IndexOf(c) : -1;
}

void SetText(TFormCvGrid* G, const char* Column, int R, const std::string& S) {
  if (TCell* c = G->CellAt(Col(G, Column), R)) c->SetAsText(S);
}

// List cells hold the index of their item.
int CellIndex(TFormCvGrid* G, int C, int R) {
  TCell* c = G->Cell(C, R);
  return c ? c->GetAsInteger() : 0;
}
void SetIndex(TFormCvGrid* G, const char* Column, int R, int Index) {
  if (TCell* c = G->CellAt(Col(G, Column), R)) c->SetAsInteger(Index);
}
std::string OperatorAt(int Index) {
  const auto& ops = DBOperators();
  return Index >= 0 && Index < static_cast<int>(ops.size()) ? ops[static_cast<size_t>(Index)] : "";
}
int OperatorIndex(const std::string& Op) {
  const auto& ops = DBOperators();
  for (size_t i = 0; i < ops.size(); ++i)
    if (ops[i] == Op) return static_cast<int>(i);
  return 0;
}

// The left edge of the result grid beside the sort-and-filter panel, its right edge kept.
void PlaceGrid(TTabDB& T, bool PanelShown) {
  T.PanelSortFilt->setVisible(PanelShown);
  T.btSFTunes->SetCaption(PanelShown ? "<<" : ">>");
}

}  // namespace

void TTabDB::BuildForm(QWidget* F, platform::TFormRegistry& R) {
  TFormTab::BuildForm(F, R);
  btDBOK->setVisible(false);
  DBGrid->SetCaption("");
}

void TTabDB::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  CV_HANDLER(H, ListDBChange);
  CV_HANDLER(H, btDBGOClick);
  CV_HANDLER(H, btDBApplyClick);
  CV_HANDLER(H, btDataPrintClick);
  CV_HANDLER(H, btSFTunesClick);
  CV_HANDLER(H, ngDBSortSelectCell);
  CV_HANDLER(H, ngDBSortClick);
  CV_HANDLER(H, ngDBFilterSelectCell);
  CV_HANDLER(H, ngDBFilterAfterEdit);
  CV_HANDLER(H, edEVChange);
  CV_HANDLER(H, edSM_1Change);
  CV_HANDLER(H, btDBFirstClick);
  CV_HANDLER(H, btDBPriorClick);
  CV_HANDLER(H, btDBNextClick);
  CV_HANDLER(H, btDBLastClick);
}

void TTabDB::FillQueryList() {
  ListDB->ClearItems();
  ListSFTunes->ClearItems();
  if (!DM) return;
  for (const auto& ds : DM->DataSets())
    if (std::string(ds.Name) != "ADOQuery") {
      ListDB->AddItem(ds.Table->CommandText());
      ListSFTunes->AddItem(ds.Table->CommandText());
    }
}

void TTabDB::RestoreDBTunes() {
  TTunes* t = Common();
  const std::string last = t ? t->Get("Data_ListDB") : std::string();
  if (!last.empty() && last != ListDB->Text()) {
    ListDB->SetText(last);
    ChooseTable(last);
  }
  const std::string down = t ? t->Get("Data_SFTunesDown") : std::string();
  const bool shown = down == "1" || down == "Y" || down == "y";
  btSFTunes->SetDown(shown);
  PlaceGrid(*this, shown);
  btDBOK->setVisible(false);
  DBFiltCol = t ? t->GetIntDef("ngDBFCol", 0) : 0;
  DBFiltRow = t ? t->GetIntDef("ngDBFRow", 0) : 0;
}

void TTabDB::btSFTunesClick(TSender) {
  if (TTunes* t = Common()) {
    if (btSFTunes->Down())
      t->Set("Data_SFTunesDown", "1");
    else
      t->Clear("Data_SFTunesDown");
  }
  PlaceGrid(*this, btSFTunes->Down());
}

void TTabDB::ListDBChange(TSender E) {
  const bool fromTunes = E.Sender == ListSFTunes;
  const std::string table = TrimCtl(fromTunes ? ListSFTunes->Text() : ListDB->Text());
  if (fromTunes) ListDB->SetText(table);
  ChooseTable(table);
}

bool TTabDB::IsTextField(const std::string& Field) const {
  for (const TFieldDef& f : fields_)
    if (UpCaseStrCyr(f.Name) == UpCaseStrCyr(Field)) return f.DataType == TFieldType::ftString;
  return false;
}

void TTabDB::ChooseTable(const std::string& Table) {
  if (Table.empty()) return;
  if (TTunes* t = Common()) t->Set("Data_ListDB", Table);
  table_ = Table;
  open_ = false;
  result_ = TDBResult{};
  last_ = PlainDBStatement(Table);
  MemoSQL->SetLines({last_.Text});
  // the fields of the chosen table, from the file's schema
  fields_.clear();
  if (DMReady()) fields_ = DBTableFields(DM->ADOConnection, Table);
  if (fields_.empty()) WARNAbs("Таблица <"_cp + Table + "> не найдена в базе данных"_cp);
  std::vector<TDBSortRow> sort;
  std::vector<TDBFiltRow> filt;
  for (size_t i = 0; i < fields_.size(); ++i) {
    sort.push_back({fields_[i].Name, static_cast<int32_t>(i), 99, false});
    TDBFiltRow f;
    f.Field = fields_[i].Name;
    f.FldN = static_cast<int32_t>(i);
    filt.push_back(f);
  }
  ShowSortRows(sort);
  ShowFiltRows(filt);
  ShowResult();
  if (btAutoPlay->Down() && !fields_.empty()) RunStatement(last_);
}

std::vector<TDBSortRow> TTabDB::SortRows() const {
  std::vector<TDBSortRow> rows;
  const int f = Col(ngDBSort, "gxSDBFld"), n = Col(ngDBSort, "gxSDBFldN"),
            o = Col(ngDBSort, "gxSDBOrd"), d = Col(ngDBSort, "gxSDBDir");
  for (int r = 0; r < ngDBSort->RowCount(); ++r) {
    TDBSortRow s;
    s.Field = CellText(ngDBSort, f, r);
    s.FldN = ValIntOr0(CellText(ngDBSort, n, r));
    int32_t code = 0;
    s.Ord = ValIntCode(TrimCtl(CellText(ngDBSort, o, r)), code);
    if (code != 0) s.Ord = 99;
    s.Desc = CellIndex(ngDBSort, d, r) == 1;
    rows.push_back(s);
  }
  return rows;
}

std::vector<TDBFiltRow> TTabDB::FiltRows() const {
  std::vector<TDBFiltRow> rows;
  const int f = Col(ngDBFilter, "gxFDBFld"), n = Col(ngDBFilter, "gxFDBFldN"),
            on = Col(ngDBFilter, "gxFDBOnOff"), o1 = Col(ngDBFilter, "gxFDBOper1"),
            v1 = Col(ngDBFilter, "gxFDBVal1"), o2 = Col(ngDBFilter, "gxFDBOper2"),
            v2 = Col(ngDBFilter, "gxFDBVal2");
  for (int r = 0; r < ngDBFilter->RowCount(); ++r) {
    TDBFiltRow s;
    s.Field = CellText(ngDBFilter, f, r);
    s.FldN = ValIntOr0(CellText(ngDBFilter, n, r));
    TCell* c = ngDBFilter->Cell(on, r);
    s.On = c && c->GetAsBoolean();
    s.Op1 = OperatorAt(CellIndex(ngDBFilter, o1, r));
    s.Val1 = CellText(ngDBFilter, v1, r);
    s.Op2 = OperatorAt(CellIndex(ngDBFilter, o2, r));
    s.Val2 = CellText(ngDBFilter, v2, r);
    rows.push_back(s);
  }
  return rows;
}

void TTabDB::ShowSortRows(const std::vector<TDBSortRow>& Rows) {
  ngDBSort->ClearRows();
  if (Rows.empty()) return;
  ngDBSort->AddRows(static_cast<int>(Rows.size()));
  for (size_t i = 0; i < Rows.size(); ++i) {
    const int r = static_cast<int>(i);
    SetText(ngDBSort, "gxSDBFld", r, Rows[i].Field);
    SetText(ngDBSort, "gxSDBFldN", r, IntStr(Rows[i].FldN));
    SetText(ngDBSort, "gxSDBOrd", r, IntStr(Rows[i].Ord));
    SetIndex(ngDBSort, "gxSDBDir", r, Rows[i].Desc ? 1 : 0);
  }
}

void TTabDB::ShowFiltRows(const std::vector<TDBFiltRow>& Rows) {
  ngDBFilter->ClearRows();
  if (Rows.empty()) return;
  ngDBFilter->AddRows(static_cast<int>(Rows.size()));
  const int on = Col(ngDBFilter, "gxFDBOnOff");
  for (size_t i = 0; i < Rows.size(); ++i) {
    const int r = static_cast<int>(i);
    SetText(ngDBFilter, "gxFDBFld", r, Rows[i].Field);
    SetText(ngDBFilter, "gxFDBFldN", r, IntStr(Rows[i].FldN));
    if (TCell* c = ngDBFilter->CellAt(on, r)) c->SetAsBoolean(Rows[i].On);
    SetIndex(ngDBFilter, "gxFDBOper1", r, OperatorIndex(Rows[i].Op1));
    SetText(ngDBFilter, "gxFDBVal1", r, Rows[i].Val1);
    SetIndex(ngDBFilter, "gxFDBOper2", r, OperatorIndex(Rows[i].Op2));
    SetText(ngDBFilter, "gxFDBVal2", r, Rows[i].Val2);
  }
}

void TTabDB::ngDBSortSelectCell(TSender E) {
  DBSortCol = E.Col;
  DBSortRow = E.Row;
}

void TTabDB::ngDBSortClick(TSender E) {
  if (E.Col >= 0) DBSortCol = E.Col;
  if (E.Row >= 0) DBSortRow = E.Row;
  if (DBSortCol != Col(ngDBSort, "gxSDBOrd")) return;
  std::vector<TDBSortRow> rows = SortRows();
  DBSortClick(rows, DBSortRow);
  ShowSortRows(rows);
}

void TTabDB::ngDBFilterSelectCell(TSender E) {
  DBFiltCol = E.Col;
  DBFiltRow = E.Row;
  if (TTunes* t = Common()) {
    t->SetInt("ngDBFCol", DBFiltCol);
    t->SetInt("ngDBFRow", DBFiltRow);
  }
}

void TTabDB::ngDBFilterAfterEdit(TSender E) {
  const int col = E.Col >= 0 ? E.Col : DBFiltCol;
  if (col != Col(ngDBFilter, "gxFDBOnOff")) return;
  std::vector<TDBFiltRow> rows = FiltRows();
  DBFiltSort(rows);
  ShowFiltRows(rows);
}

void TTabDB::btDBApplyClick(TSender) {
  const std::string table = TrimCtl(ListDB->Text());
  if (table.empty()) return;
  last_ = BuildDBStatement(table, SortRows(), FiltRows(),
                           [this](const std::string& F) { return IsTextField(F); });
  MemoSQL->SetLines({last_.Text});
  if (btAutoPlay->Down()) RunStatement(last_);
}

void TTabDB::btDBGOClick(TSender) {
  std::string text;
  for (const std::string& l : MemoSQL->Lines()) text += (text.empty() ? "" : " ") + l;
  text = TrimCtl(text);
  if (text.empty()) return;
  // the statement the grids made runs with its values bound; a typed one as it stands
  if (text == last_.Text) {
    RunStatement(last_);
  } else {
    TDBStatement s;
    s.Text = s.Select = text;
    RunStatement(s);
  }
}

bool TTabDB::RunStatement(const TDBStatement& S) {
  auto job = std::make_shared<TJob>("Запрос к базе данных"_cp);
  auto out = std::make_shared<TDBResult>();
  const std::string select = S.Select, shown = S.Text;
  const std::vector<TcvValue> params = S.Params;
  return Shell.StartDBJob(
      job,
      [out, select, params, shown](TJob& J, TDM& D) {
        RunDBQuery(J, D.ADOConnection, select, params, shown, *out);
      },
      [this, out](TJob& J) {
        if (J.State() != TJobState::Done) return;
        result_ = std::move(*out);
        open_ = true;
        ShowResult();
      });
}

void TTabDB::ShowResult() {
  DBGrid->BeginUpdate();
  DBGrid->ClearRows();
  TGxColumns& cols = DBGrid->Columns();
  while (cols.ColumnCount() > 0) cols.Remove(cols.Column(cols.ColumnCount() - 1));
  for (size_t i = 0; i < result_.Fields.size(); ++i) {
    auto* c = cols.Add<TGxTextColumn>("gxDB" + IntStr(static_cast<int32_t>(i)));
    c->Header().SetCaption(gx::W(result_.Fields[i]));
    c->SetWidth(result_.Types[i] == TFieldType::ftString ? 110 : 80);
  }
  if (!result_.Rows.empty()) DBGrid->AddRows(static_cast<int>(result_.Rows.size()));
  for (size_t r = 0; r < result_.Rows.size(); ++r)
    for (size_t c = 0; c < result_.Rows[r].size(); ++c)
      if (TCell* cell = DBGrid->CellAt(static_cast<int>(c), static_cast<int>(r)))
        cell->SetAsText(result_.Rows[r][c]);
  DBGrid->EndUpdate();
}

void TTabDB::MoveResultRow(int Row) {
  if (DBGrid->RowCount() == 0) return;
  Row = std::max(0, std::min(Row, DBGrid->RowCount() - 1));
  DBGrid->SelectCell(std::max(0, DBGrid->SelectedColumn()), Row, 0);
  DBGrid->ScrollRowIntoView(Row);
}

void TTabDB::btDBFirstClick(TSender) { MoveResultRow(0); }
void TTabDB::btDBPriorClick(TSender) { MoveResultRow(DBGrid->SelectedRow() - 1); }
void TTabDB::btDBNextClick(TSender) { MoveResultRow(DBGrid->SelectedRow() + 1); }
void TTabDB::btDBLastClick(TSender) { MoveResultRow(DBGrid->RowCount() - 1); }

void TTabDB::btDataPrintClick(TSender) {
  if (!open_) {
    WARNAbs("Таблица ADOQuery не активна!"_cp);
    return;
  }
  TStringList sl;
  for (const std::string& l : DBDumpLines(result_)) sl.Add(l);
  if (EdAssigned(Ed)) Ed->EnterSL("DATA " + result_.Statement, &sl);
}

void TTabDB::edEVChange(TSender) {
  if (converting_) return;
  int32_t code = 0;
  const double v = ValRealCode(TrimCtl(edEV->Text()), code);
  if (code != 0 || TrimCtl(edEV->Text()).empty()) return;
  converting_ = true;
  edSM_1->SetText(EVToCm1Text(v));
  converting_ = false;
}

void TTabDB::edSM_1Change(TSender) {
  if (converting_) return;
  int32_t code = 0;
  const double v = ValRealCode(TrimCtl(edSM_1->Text()), code);
  if (code != 0 || TrimCtl(edSM_1->Text()).empty()) return;
  converting_ = true;
  edEV->SetText(Cm1ToEVText(v));
  converting_ = false;
}
