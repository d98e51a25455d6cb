// A grid's rows as words and back: check boxes as "1"/"0", blanks inside a cell as "_", the
// table over the visible columns, and rows appended from lines (with the refusals).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvStrList.h"
#include "grid/cvGxCells.h"
#include "grid/cvGxHeadless.h"
#include "grid/cvGxRowText.h"
#include "support/TestSupport.h"

namespace {

struct RowTextColumn : TGxCustomColumn {
  RowTextColumn(int K, const char16_t* Caption, bool Shown) {
    SetCellKind(K);
    Header().SetCaption(Caption);
    SetVisible(Shown);
  }
};

// Columns: check box "On", text "Da Ti", float "B" (hidden).
struct RowTextStore {
  TGxHeadlessGrid G;
  RowTextStore() {
    G.Columns.Add(std::make_unique<RowTextColumn>(ckBoolean, u"On", true));
    G.Columns.Add(std::make_unique<RowTextColumn>(ckString, u" Da Ti ", true));
    G.Columns.Add(std::make_unique<RowTextColumn>(ckFloat, u"B", false));
    G.Cells.AddRows(2);
    G.Cells.GetCell(0, 0)->SetAsBoolean(true);
    G.Cells.GetCell(1, 0)->SetAsText(" 20190622 1645 ");
    G.Cells.GetCell(2, 0)->SetAsFloat(2.5);
    G.Cells.GetCell(1, 1)->SetAsText("");
  }
};

TEST(GridRowText, RowsTableAndBack) {
  RowTextStore s;
  EXPECT_EQ(GridRowText(s.G.Cells, 0), " 1 20190622_1645 2.5");
  EXPECT_EQ(GridRowText(s.G.Cells, 1), " 0  0");
  TStringList t;
  GridToSL(s.G.Columns, s.G.Cells, t);
  ASSERT_EQ(t.Count(), 3);
  EXPECT_EQ(t[0], " On Da_Ti");
  EXPECT_EQ(t[1], " 1 20190622_1645");
  EXPECT_EQ(t[2], " 0 -");
  // back: a check box takes "1" as checked, the other cells their words
  TStringList in;
  in.Add(" 1 X 3.25");
  in.Add(" 0 Y 4");
  ASSERT_TRUE(SL2Any_ng(&s.G.Cells, &in));
  ASSERT_EQ(s.G.Cells.RowCount(), 4);
  EXPECT_TRUE(s.G.Cells.GetCell(0, 2)->GetAsBoolean());
  EXPECT_FALSE(s.G.Cells.GetCell(0, 3)->GetAsBoolean());
  EXPECT_EQ(s.G.Cells.GetCell(1, 3)->GetAsText(), "Y");
  EXPECT_DOUBLE_EQ(s.G.Cells.GetCell(2, 2)->GetAsFloat(), 3.25);
}

TEST(GridRowText, RefusalsSayWhy) {
  RowTextStore s;
  TStringList empty, two;
  two.Add("1 2");
  struct Case {
    TCells* cells;
    const TStringList* sl;
    std::string text;
  } cases[] = {{nullptr, &two, "SL2Any_ng ng Not Assigned!"},
               {&s.G.Cells, nullptr, "SL2Any_ng SL Not Assigned!"},
               {&s.G.Cells, &empty, "SL2Any_ng SL is Empty!"},
               {&s.G.Cells, &two, "SL2Any_ng \xEA\xEE\xEB\xEE\xED\xEE\xEA \xE2 ng 3 \xF1\xEB\xEE\xE2 \xE2 \xF1\xF2\xF0\xEE\xEA\xE5 SL 2"}};
  for (const Case& c : cases) {
    TJob job{"rowtext"};
    {
      TJobScope scope{job};
      EXPECT_FALSE(SL2Any_ng(c.cells, c.sl));
    }
    ASSERT_EQ(job.Warnings().size(), 1u) << c.text;
    EXPECT_EQ(job.Warnings()[0].Text, c.text);
    EXPECT_EQ(s.G.Cells.RowCount(), 2);
  }
}

}  // namespace
