// The Data tab's query builder in the harness: the statement the tab's grids would make, run on
// the line database; prints the statement and the rows as the tab's text dump.
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDBQuery.h"
#include "linedata/cvDM.h"
#include "tools/batch/Batch.h"

namespace {

// dbquery [--db FILE] TABLE [--filt FIELD OP1 V1 OP2 V2]... [--sort FIELD[:DESC]]...: an operator
// "-" is the empty one. Filter rows are switched on in the order given, sort rows ordered so.
int DbQuery(const std::vector<std::string>& Args) {
  std::string db, table;
  std::vector<TDBFiltRow> filt;
  std::vector<TDBSortRow> sort;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--db" && i + 1 < Args.size()) {
      db = batch::Cp(Args[++i]);
    } else if (a == "--warn") {
      Sayer->WarnOn();
    } else if (a == "--filt" && i + 5 < Args.size()) {
      TDBFiltRow f;
      f.Field = batch::Cp(Args[i + 1]);
      f.On = true;
      f.Op1 = Args[i + 2] == "-" ? "" : Args[i + 2];
      f.Val1 = batch::Cp(Args[i + 3]);
      f.Op2 = Args[i + 4] == "-" ? "" : Args[i + 4];
      f.Val2 = batch::Cp(Args[i + 5]);
      for (const std::string* op : {&f.Op1, &f.Op2}) {
        bool known = false;
        for (const std::string& k : DBOperators()) known = known || k == *op;
        if (!known) {
          std::cerr << "corvesta-batch: unknown comparison \"" << *op << "\"\n";
          return 2;
        }
      }
      f.FldN = static_cast<int32_t>(filt.size());
      filt.push_back(f);
      i += 5;
    } else if (a == "--sort" && i + 1 < Args.size()) {
      std::string s = batch::Cp(Args[++i]);
      TDBSortRow r;
      const size_t colon = s.find(':');
      if (colon != std::string::npos) {
        const std::string dir = s.substr(colon + 1);
        if (dir != "DESC" && dir != "ASC") return batch::Usage();
        r.Desc = dir == "DESC";
        s.resize(colon);
      }
      r.Field = s;
      r.Ord = static_cast<int32_t>(sort.size()) + 1;
      r.FldN = r.Ord;
      sort.push_back(r);
    } else if (a.rfind("--", 0) != 0 && table.empty()) {
      table = batch::Cp(a);
    } else {
      return batch::Usage();
    }
  }
  if (table.empty()) return batch::Usage();
  batch::UseProgramRoot();
  TDM D;
  if (!batch::ConnectLineDb(D, db)) return 1;
  const std::vector<TFieldDef> fields = DBTableFields(D.ADOConnection, table);
  if (fields.empty()) {
    std::cerr << "corvesta-batch: no table " << batch::U8(table) << " in the line database\n";
    return 1;
  }
  auto isText = [&fields](const std::string& F) {
    for (const TFieldDef& f : fields)
      if (UpCaseStrCyr(f.Name) == UpCaseStrCyr(F)) return f.DataType == TFieldType::ftString;
    return false;
  };
  const TDBStatement s = BuildDBStatement(table, sort, filt, isText);
  std::cout << batch::U8(s.Text) << "\n";
  TDBResult r;
  TJob job("dbquery " + table);
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    RunDBQuery(J, D.ADOConnection, s.Select, s.Params, s.Text, r);
  });
  if (rc == 0)
    for (const std::string& l : DBDumpLines(r)) std::cout << batch::U8(l) << "\n";
  return rc;
}

const TBatchCommand kDbQuery(
    "dbquery",
    "dbquery [--db FILE] TABLE [--filt FIELD OP1 V1 OP2 V2]... [--sort FIELD[:DESC]]...  (an "
    "operator - is none)",
    DbQuery);

}  // namespace
