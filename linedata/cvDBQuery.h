// The Data tab's query builder without its controls: the select statement made from the sort
// and filter grids, the sort grid's order clicks, the filter grid's order, a query run as a job
// on a connection of its own, the result as a text table and the energy converter.
//
// The statement shown to the user holds the values as typed (texts in quotes); the statement run
// holds "?" marks with the values bound in turn, so no value becomes part of the SQL.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "linedata/cvTable.h"

class TJob;

// One row of the sort grid: the field, its index, its place in the order (1..98, 99: not
// sorted) and its direction.
struct TDBSortRow {
  std::string Field;
  int32_t FldN = 0;
  int32_t Ord = 99;
  bool Desc = false;
};

// One row of the filter grid: the field, its index, the switch and two comparisons.
struct TDBFiltRow {
  std::string Field;
  int32_t FldN = 0;
  bool On = false;
  std::string Op1, Val1, Op2, Val2;
};

// The comparisons of the filter grid's lists (the empty item first).
const std::vector<std::string>& DBOperators();

// A statement made from the grids.
struct TDBStatement {
  std::string Text;               // what MemoSQL shows: values as typed, texts in quotes
  std::string Select;             // what runs: "?" for every value
  std::vector<TcvValue> Params;   // the values of the "?" marks in turn
};

// Which fields are texts (compared as texts, shown in quotes).
using TDBIsText = std::function<bool(const std::string& Field)>;
// The statement of table Table from the grids' rows (in their grid order).
TDBStatement BuildDBStatement(const std::string& Table, const std::vector<TDBSortRow>& Sort,
                              const std::vector<TDBFiltRow>& Filt, const TDBIsText& IsText);
// The statement of a table alone: "select * from " + Table.
TDBStatement PlainDBStatement(const std::string& Table);

// A click on the order cell of row Row: the row joins the order at its end, or leaves it (the
// rows after it move up); then the rows are sorted by order, ties by field index.
void DBSortClick(std::vector<TDBSortRow>& Rows, int32_t Row);
// The filter rows with the switched-on ones first, ties by field index.
void DBFiltSort(std::vector<TDBFiltRow>& Rows);

// A query's result as texts.
struct TDBResult {
  std::string Statement;  // as shown
  std::vector<std::string> Fields;
  std::vector<TFieldType> Types;
  std::vector<std::vector<std::string>> Rows;
};
// The field list of a table from the database's schema (no query run).
std::vector<TFieldDef> DBTableFields(TcvDatabase& Db, const std::string& Table);
// Runs Select with Params on Db into Out (Out.Statement := Shown). Cancelling the job interrupts
// the database at its next step; false then, or (with Job.Fail) when the database refuses the
// statement. Progress per 1000 rows copied.
bool RunDBQuery(TJob& Job, TcvDatabase& Db, const std::string& Select,
                const std::vector<TcvValue>& Params, const std::string& Shown, TDBResult& Out);
// The result as a text table: " " + each field name, then one line per record of " " + each
// value, trimmed, blanks as "_", "<>" for an empty value.
std::vector<std::string> DBDumpLines(const TDBResult& R);

// The energy converter: eV to cm^-1 with 7 significant digits, and back.
constexpr double kCm1PerEV = 8065.46312;
std::string EVToCm1Text(double EV);
std::string Cm1ToEVText(double Cm1);
