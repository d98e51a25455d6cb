// The grid demo window.
#include "grid/qt/demo/GridDemo.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "grid/qt/cvGxGrid.h"

namespace griddemo {

void FillRows(TCvGrid& G, int Rows) {
  G.BeginUpdate();
  const int first = G.RowCount();
  G.AddRows(Rows);
  TCells& c = G.Cells();
  for (int r = first; r < first + Rows; ++r) {
    char name[32];
    std::snprintf(name, sizeof name, "Row %05d", r + 1);
    c.GetCell(colName, r)->SetAsText(name);
    c.GetCell(colValue, r)->SetAsFloat(r * 0.25);
    c.GetCell(colOn, r)->SetAsBoolean(r % 3 == 0);
    c.GetCell(colOrder, r)->SetAsInteger(r % 2);
    static const char16_t* modes[] = {u"auto", u"manual", u"off"};
    c.GetCell(colMode, r)->SetAsString(modes[r % 3]);
  }
  G.EndUpdate();
}

namespace {

void HookLog(TGridDemo& D) {
  TCvGrid& g = *D.Grid;
  QPlainTextEdit* log = D.Log;
  auto put = [log](const std::string& S) { log->appendPlainText(QString::fromStdString(S)); };
  auto cell = [](int C, int R) { return std::to_string(C) + "," + std::to_string(R); };
  g.OnSelectCell = [=](QObject*, int c, int r) { put("SelectCell " + cell(c, r)); };
  g.OnClick = [=](QObject*) { put("Click"); };
  g.OnCellClick = [=](QObject*, int c, int r) { put("CellClick " + cell(c, r)); };
  g.OnCellDblClick = [=](QObject*, int c, int r) { put("CellDblClick " + cell(c, r)); };
  g.OnHeaderClick = [=](QObject*, int c) { put("HeaderClick " + std::to_string(c)); };
  g.OnSortColumn = [=](QObject*, int c, bool a) {
    put("SortColumn " + std::to_string(c) + (a ? " up" : " down"));
  };
  g.OnAfterSort = [=](QObject*, int c) { put("AfterSort " + std::to_string(c)); };
  g.OnColumnResize = [=](QObject*, int c) { put("ColumnResize " + std::to_string(c)); };
  g.OnAfterEdit = [=](QObject*, int c, int r, const WideString& v) {
    put("AfterEdit " + cell(c, r) + " " + gx::ToUtf8(v));
  };
  g.OnEditExit = [=](QObject*) { put("EditExit"); };
  if (auto* order = dynamic_cast<TGxPopupColumn*>(g.Columns().Column(colOrder))) {
    order->OnSelect = [=](TGxCustomColumn*) { put("Select"); };
    order->OnCloseUp = [=](TGxCustomColumn*) { put("CloseUp"); };
  }
}

}  // namespace

TGridDemo MakeGridDemo(int Rows) {
  TGridDemo d;
  d.Window = new QWidget;
  d.Window->setWindowTitle("grid_demo");
  auto* lay = new QVBoxLayout(d.Window);
  lay->setContentsMargins(0, 0, 0, 0);
  d.Grid = new TCvGrid(d.Window);
  d.Grid->setObjectName("ngDemo");
  lay->addWidget(d.Grid);
  TGxColumns& cols = d.Grid->Columns();
  auto* name = cols.Add<TGxTextColumn>("GxName");
  name->Header().SetCaption(u"Name");
  name->SetWidth(90);
  auto* value = cols.Add<TGxNumberColumn>("GxValue");
  value->Header().SetCaption(u"Value");
  value->SetAlignment(taRightJustify);
  value->SetWidth(70);
  auto* on = cols.Add<TGxCheckBoxColumn>("GxOn");
  on->Header().SetCaption(u"On");
  on->SetAlignment(taCenter);
  on->SetWidth(40);
  auto* order = cols.Add<TGxListColumn>("GxOrder");
  order->Header().SetCaption(u"Order");
  order->SetItems({u"ASC", u"DESC"});
  order->SetWidth(70);
  auto* mode = cols.Add<TGxComboBoxColumn>("GxMode");
  mode->Header().SetCaption(u"Mode");
  mode->SetItems({u"auto", u"manual", u"off"});
  mode->SetWidth(70);
  d.Grid->SetOptions(Go(goHeader) | Go(goGrid) | Go(goIndicator));
  d.Grid->SetCaption(u"No rows");
  value->EditOptions = 0;
  for (TGxCustomColumn* c : {static_cast<TGxCustomColumn*>(value),
                             static_cast<TGxCustomColumn*>(on),
                             static_cast<TGxCustomColumn*>(order)})
    c->SetOptions(c->Options() | Opt(coEditing));
  FillRows(*d.Grid, Rows);
  lay->setSpacing(0);
  d.Log = new QPlainTextEdit(d.Window);
  d.Log->setObjectName("EventLog");
  d.Log->setReadOnly(true);
  d.Log->setFixedHeight(80);
  lay->addWidget(d.Log);
  HookLog(d);
  d.Window->resize(400, 380);
  return d;
}

}  // namespace griddemo
