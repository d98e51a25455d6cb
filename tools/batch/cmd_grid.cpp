// Grid commands of the harness.
#include <iostream>

#include "foundation/cvStr.h"
#include "grid/cvGxHeadless.h"
#include "tools/batch/Batch.h"

namespace {

// The Data tab's sort grid ngDBSort as its form gives it: field name, hidden field index, order
// number (1..98 a place in the order list, 99 not sorted) and direction.
void MakeDBSortColumns(TGxHeadlessGrid& G) {
  G.BeginRead();
  auto* fld = G.Columns.Add<TGxTextColumn>("gxSDBFld");
  fld->Header().SetCaption(u"Field");
  fld->SetWidth(70);
  fld->SetPosition(0);
  auto* fldN = G.Columns.Add<TGxNumberColumn>("gxSDBFldN");
  fldN->SetVisible(false);
  fldN->SetPosition(1);
  auto* ord = G.Columns.Add<TGxNumberColumn>("gxSDBOrd");
  ord->Header().SetCaption(u"Ord");
  ord->SetWidth(21);
  ord->SetPosition(2);
  auto* dir = G.Columns.Add<TGxListColumn>("gxSDBDir");
  dir->Header().SetCaption(u"Dir");
  dir->SetWidth(42);
  dir->SetItems({u"ASC", u"DESC"});
  dir->SetOptions(dir->Options() | Opt(coEditing));
  dir->SetPosition(3);
  G.EndRead();
}

void PrintTable(TGxHeadlessGrid& G, const std::string& Title) {
  std::cout << Title << "\n";
  for (const std::string& l : G.Print()) std::cout << l << "\n";
}

// gridsort [FIELD=ORD[:DESC] ...]: the Data tab's sort grid filled with the fields (field index
// in the order given), sorted by the order number ascending and descending, printed each time.
int GridSort(const std::vector<std::string>& Args) {
  std::vector<std::string> items = Args;
  if (items.empty())
    items = {"WL=2", "ELEM=1:DESC", "GF=99", "EXC=3", "ION=99", "LOGGF=5:DESC"};
  TGxHeadlessGrid G;
  MakeDBSortColumns(G);
  TGxCustomColumn* fld = G.Columns.ColumnByName("gxSDBFld");
  TGxCustomColumn* fldN = G.Columns.ColumnByName("gxSDBFldN");
  TGxCustomColumn* ord = G.Columns.ColumnByName("gxSDBOrd");
  TGxCustomColumn* dir = G.Columns.ColumnByName("gxSDBDir");
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& a = items[i];
    const size_t eq = a.find('=');
    if (eq == std::string::npos || eq == 0) return batch::Usage();
    std::string o = a.substr(eq + 1);
    bool desc = false;
    const size_t colon = o.find(':');
    if (colon != std::string::npos) {
      if (o.substr(colon + 1) != "DESC" && o.substr(colon + 1) != "ASC") return batch::Usage();
      desc = o.substr(colon + 1) == "DESC";
      o = o.substr(0, colon);
    }
    int32_t code = 0;
    const int32_t n = ValIntCode(o, code);
    if (code != 0) return batch::Usage();
    const int r = G.Cells.RowCount();
    G.Cells.AddRows(1);
    G.Cells.GetCell(fld->Index(), r)->SetAsText(batch::Cp(a.substr(0, eq)));
    G.Cells.GetCell(fldN->Index(), r)->SetAsInteger(static_cast<int32_t>(i));
    G.Cells.GetCell(ord->Index(), r)->SetAsInteger(n);
    G.Cells.GetCell(dir->Index(), r)->SetAsInteger(desc ? 1 : 0);
  }
  PrintTable(G, "filled:");
  ord->SetSortKind(skAscending);
  ord->SetSorted(true);
  PrintTable(G, "ascending by gxSDBOrd:");
  ord->SetSortKind(skDescending);
  PrintTable(G, "descending by gxSDBOrd:");
  return 0;
}

const TBatchCommand kGridSort{"gridsort", "gridsort [FIELD=ORD[:DESC|:ASC] ...]", GridSort};

}  // namespace
