// The grid as a form control: columns from their form lines in the "being read" mode (display
// order by Position), the settings by name with their refusals, and the grid's events bound by
// name through the form dispatcher, in the order the grid fires them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "grid/qt/cvGxForm.h"
#include "gridqt/support/GridFixture.h"
#include "platform/qt/FormRegistry.h"

namespace {

std::unique_ptr<TFormCvGrid> MakeGrid() {
  testsupport::QtTestApp();
  auto g = std::make_unique<TFormCvGrid>();
  g->setObjectName("ngData");
  g->SetBorderStyle(bsNone);
  g->SetFormOptions("goGrid goHeader");
  g->SetFormAppearance("ao3DGridLines aoHideSelection aoHighlightSlideCells");
  g->SetRowSize(14);
  g->AddColumn({{"name", "GxLam"}, {"kind", "number"}, {"caption", "Lam"}, {"width", "60"},
                {"position", "2"}, {"editoptions", ""}, {"precision", "0"},
                {"spinbuttons", "0"}, {"options", "coCanClick coCanSort coEditing"}});
  g->AddColumn({{"name", "GxName"}, {"caption", "Name"}, {"hint", "the name"}, {"width", "70"},
                {"position", "0"}, {"alignment", "taRightJustify"}});
  g->AddColumn({{"name", "GxOp"}, {"kind", "list"}, {"items", "|=|<>"}, {"position", "1"},
                {"options", "coEditing"}, {"defaultvalue", "2"}});
  g->AddColumn({{"name", "GxOn"}, {"kind", "checkbox"}, {"position", "3"},
                {"sorttype", "stBoolean"}, {"options", "coEditing"}, {"alignment", "taCenter"}});
  g->AddColumn({{"name", "GxUnit"}, {"kind", "combobox"}, {"items", "A|mA"},
                {"style", "cbsDropDownList"}, {"visible", "0"}, {"tag", "5"}});
  g->Loaded();
  g->resize(400, 200);
  g->show();
  (void)QTest::qWaitForWindowExposed(g.get());
  return g;
}

TEST(GridForm, ColumnsAndSettingsFromTheFormLines) {
  auto g = MakeGrid();
  TGxColumns& cols = g->Columns();
  ASSERT_EQ(cols.ColumnCount(), 5);
  EXPECT_EQ(g->Options(), Go(goGrid) | Go(goHeader));
  EXPECT_TRUE(g->HasAppearance(ao3DGridLines));
  EXPECT_EQ(g->RowSize(), 14);
  EXPECT_EQ(g->property("formClass").toString(), "TCvGrid");
  // creation order is the column index; Position the display order
  EXPECT_EQ(cols.Column(0)->Name, "GxLam");
  EXPECT_EQ(cols.ColumnAtPosition(0)->Name, "GxName");
  EXPECT_EQ(cols.ColumnAtPosition(1)->Name, "GxOp");
  EXPECT_EQ(cols.ColumnAtPosition(2)->Name, "GxLam");
  EXPECT_LT(g->ColumnScreenLeft(cols.Column(1)), g->ColumnScreenLeft(cols.Column(0)));
  auto* lam = dynamic_cast<TGxNumberColumn*>(cols.Column(0));
  ASSERT_NE(lam, nullptr);
  EXPECT_EQ(lam->EditOptions, 0u);
  EXPECT_FALSE(lam->SpinButtons);
  EXPECT_EQ(lam->Width(), 60);
  EXPECT_EQ(cols.Column(1)->Header().Hint, u"the name");
  EXPECT_EQ(cols.Column(1)->Alignment(), taRightJustify);
  auto* op = dynamic_cast<TGxListColumn*>(cols.Column(2));
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(op->Items(), (std::vector<WideString>{u"", u"=", u"<>"}));
  EXPECT_EQ(cols.Column(3)->SortType(), stBoolean);
  auto* unit = dynamic_cast<TGxComboBoxColumn*>(cols.Column(4));
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->Style, cbsDropDownList);
  EXPECT_FALSE(unit->Visible());
  EXPECT_EQ(unit->Tag, 5);
  // the cell keys find the columns by their names
  g->AddRows(1);
  g->CellByKey("gxop", "First")->SetAsInteger(1);
  EXPECT_EQ(g->CellText(2, 0), "1");
  // refusals
  EXPECT_THROW(g->AddColumn({{"name", "GxName"}}), std::logic_error);
  EXPECT_THROW(g->AddColumn({{"kind", "tree"}}), std::logic_error);
  EXPECT_THROW(g->AddColumn({{"options", "coNothing"}}), std::logic_error);
  EXPECT_THROW(g->AddColumn({{"precision", "2"}}), std::logic_error);  // not a number column
  EXPECT_THROW(g->SetFormOptions("goGrid goNoSuch"), std::logic_error);
}

TEST(GridForm, EventsBoundByName) {
  auto g = MakeGrid();
  g->AddRows(3);
  platform::TFormRegistry reg;
  reg.Add("ngData", g.get(), "TCvGrid");
  platform::THandlerRegistry handlers;
  std::vector<std::string> log;
  auto h = [&](const char* N) {
    handlers.Add(N, [&, N](const platform::TFormEventArgs& A) {
      log.push_back(std::string(N) + " " + std::to_string(A.Col) + "," + std::to_string(A.Row) +
                    (A.Value.empty() ? "" : " " + A.Value));
    });
  };
  for (const char* n : {"ngDataSelectCell", "ngDataCellClick", "ngDataClick", "ngDataMouseDown",
                        "ngDataAfterEdit", "ngDataHeaderClick", "ngDataKeyDown"})
    h(n);
  platform::TFormDispatcher d(reg, handlers);
  const std::vector<platform::TFormEvent> ev = {
      {"ngData", "OnSelectCell", "ngDataSelectCell"}, {"ngData", "OnCellClick", "ngDataCellClick"},
      {"ngData", "OnClick", "ngDataClick"},           {"ngData", "OnMouseDown", "ngDataMouseDown"},
      {"ngData", "OnAfterEdit", "ngDataAfterEdit"},   {"ngData", "OnHeaderClick", "ngDataHeaderClick"},
      {"ngData", "OnKeyDown", "ngDataKeyDown"},       {"ngData", "OnVerticalScroll", "ngDataScroll"},
      {"ngData", "OnDrawCellBackground", "ngDataDraw"}, {"ngData", "OnExit", "ngDataExit"}};
  EXPECT_TRUE(d.Bind(ev).empty());
  // a click on the check box of row 1: press, select, release, cell click, the play's edit
  const TGxRect r = g->GetCellRect(3, 1);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                    QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  EXPECT_EQ(log, (std::vector<std::string>{"ngDataMouseDown -1,-1", "ngDataSelectCell 3,1",
                                           "ngDataClick -1,-1", "ngDataCellClick 3,1",
                                           "ngDataAfterEdit 3,1 True"}));
  log.clear();
  QTest::keyClick(g.get(), Qt::Key_Down);
  EXPECT_EQ(log, (std::vector<std::string>{"ngDataKeyDown -1,-1", "ngDataSelectCell 3,2"}));
  // a handler's error goes to the dispatcher's guard; the grid goes on
  int guarded = 0;
  d.Guard = [&](QObject*, const std::function<void()>& Run) {
    try {
      Run();
    } catch (const std::exception&) {
      ++guarded;
    }
  };
  handlers.Add("ngDataSelectCell", [](const platform::TFormEventArgs&) {
    throw std::runtime_error("boom");
  });
  g->SelectCell(0, 0, 0);
  EXPECT_EQ(guarded, 1);
  EXPECT_EQ(g->SelectedRow(), 0);
}

}  // namespace
