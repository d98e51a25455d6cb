// The Data tab: a table of the line database browsed through a select statement built from the
// sort and filter grids (the statement in MemoSQL, run at once with "Auto Play" down or by
// "GO!"), the result in a grid, its dump into the editor, and an energy converter (eV, cm^-1).
// Queries run as jobs on a connection of their own; the grid is filled when the job ends.
#pragma once
#include <string>
#include <vector>

#include "Corvesta/TabDBForm.h"
#include "linedata/cvDBQuery.h"
#include "mainwindow/CorvestaTab.h"

class TTabDB : public TFormTab<TabDBForm> {
 public:
  explicit TTabDB(TCorvesta& Shell) : TFormTab(Shell) {}
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  // ListDB (and ListSFTunes) filled with the select texts of the data module's queries.
  void FillQueryList();
  // Showing the tab: the last table, the panel as the settings say, the last filter cell.
  void RestoreDBTunes();
  void Show() override { RestoreDBTunes(); }

  // A table chosen: the plain statement, run when Auto Play is down, and both grids made anew
  // from the table's fields.
  void ListDBChange(TSender E);
  void ChooseTable(const std::string& Table);
  void btDBGOClick(TSender E);
  void btDBApplyClick(TSender E);
  void btDataPrintClick(TSender E);
  void btSFTunesClick(TSender E);
  void ngDBSortSelectCell(TSender E);
  void ngDBSortClick(TSender E);
  void ngDBFilterSelectCell(TSender E);
  void ngDBFilterAfterEdit(TSender E);
  void edEVChange(TSender E);
  void edSM_1Change(TSender E);
  void btDBFirstClick(TSender E);
  void btDBPriorClick(TSender E);
  void btDBNextClick(TSender E);
  void btDBLastClick(TSender E);

  // The grids' rows as the statement builder reads them (grid order).
  std::vector<TDBSortRow> SortRows() const;
  std::vector<TDBFiltRow> FiltRows() const;
  // Runs a statement as a job; false when it could not start.
  bool RunStatement(const TDBStatement& S);
  // The last result shown in DBGrid (Open: a query ran to its end since the table was chosen).
  const TDBResult& Result() const { return result_; }
  bool ResultOpen() const { return open_; }

  int DBSortCol = 0, DBSortRow = 0, DBFiltCol = 0, DBFiltRow = 0;

 private:
  void ShowSortRows(const std::vector<TDBSortRow>& Rows);
  void ShowFiltRows(const std::vector<TDBFiltRow>& Rows);
  void ShowResult();
  void MoveResultRow(int Row);
  bool IsTextField(const std::string& Field) const;

  std::string table_;
  std::vector<TFieldDef> fields_;
  TDBStatement last_;  // the statement the grids made last (bound values)
  TDBResult result_;
  bool open_ = false;
  bool converting_ = false;
};
