// Text-table columns: column blocks as text, column edits and the column structure.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "foundation/cvTabCol.h"
#include "platform/MsgBox.h"

namespace {

using Lines = std::vector<std::string>;

TStringList Make(const Lines& lines) {
  TStringList l;
  for (const auto& s : lines) l.Add(s);
  return l;
}

Lines Of(const TStringList& l) { return l.Lines(); }

struct Col {
  int32_t Gap, Start, Width;
  bool operator==(const Col&) const = default;
  friend void PrintTo(const Col& c, std::ostream* os) {
    *os << "(" << c.Gap << "," << c.Start << "," << c.Width << ")";
  }
};

std::vector<Col> Cols(const TTextTabStruct& tt) {
  std::vector<Col> c;
  for (int i = 0; i < tt.Count(); ++i) {
    const TTextTabCol& r = tt.Items(i);
    c.push_back({r.Gap, r.Start, r.Width});
  }
  return c;
}

class TableColumns : public ::testing::Test {
 protected:
  void TearDown() override { ExcelDecPoint = '.'; }
  Lines Boxes() const {
    Lines t;
    for (const auto& b : boxes.Shown()) t.push_back(b.text);
    return t;
  }
  platform::ScriptedMsgBoxes boxes;
};

// ---- column blocks as text ----

TEST_F(TableColumns, BlockText) {
  TStringList l = Make({"ab", "abcdef", " 1.5 \t", " 1.5-3 "});
  std::string t;
  SLColBlockText(&l, 1, 2, 1, 4, t);
  EXPECT_EQ(t, "ab\r\nabcd\r\n");  // a short row gives what it has
  SLColBlockText(&l, 4, 5, 2, 4, t);
  EXPECT_EQ(t, "1.5-\r\n    \r\n");  // a row beyond the list gives Width blanks
  SLColBlockText(&l, 0, 0, 1, 3, t);
  EXPECT_EQ(t, "   \r\n");
  SLColBlockTrim(&l, 3, 5, 1, 10, t);
  EXPECT_EQ(t, "1.5\r\n1.5-3\r\n\r\n");
  ExcelDecPoint = ',';
  SLColBlockNum(&l, 2, 4, 1, 10, t);
  EXPECT_EQ(t, "abcdef\r\n1,5\r\n1,5E-3\r\n");
}

// ---- column edits ----

TEST_F(TableColumns, MovesColumnsLeftAndRight) {
  struct Case {
    const char* what;
    bool right;
    Lines in;
    int n;
    Lines out;
  } cases[] = {
      {"right", true, {"a b", "c d"}, 2, {"a  b", "c  d"}},
      {"right passes rows without the word", true, {"a b", "c"}, 2, {"a  b", "c"}},
      {"left", false, {"a  b"}, 2, {"a b"}},
      {"left keeps one blank between columns", false, {"a b"}, 2, {"a b"}},
      {"left needs room in every row", false, {"a  b", "c d"}, 2, {"a  b", "c d"}},
      {"left passes rows without the word", false, {"a  b", "c"}, 2, {"a b", "c"}},
      {"first column left", false, {" a b", "  c d"}, 1, {"a b", " c d"}},
      {"first column at the margin stays", false, {" a b", "c d"}, 1, {" a b", "c d"}},
  };
  for (const Case& c : cases) {
    TStringList l = Make(c.in);
    if (c.right)
      SLColMoveRight(&l, 1, 5, c.n);  // rows beyond the list are passed over
    else
      SLColMoveLeft(&l, 1, 5, c.n);
    EXPECT_EQ(Of(l), c.out) << c.what;
  }
  SLColMoveRight(nullptr, 1, 1, 1);
  SLColMoveLeft(nullptr, 1, 1, 1);
  EXPECT_EQ(Boxes(), (Lines{"SLColMoveRight исходный список строк не задан!"_cp}));
}

TEST_F(TableColumns, SwapsBlocks) {
  TStringList l = Make({"ab cde f", "ab cd", "x", "head"});
  SLColSwap(&l, 1, 3, 3, 4, 2, 1);
  // A short row is padded for the exchange, so its columns stay in line with the others.
  EXPECT_EQ(Of(l), (Lines{"cde ab f", "cd  ab", "    x", "head"}));
  TStringList o = Make({"abcdef"});
  SLColSwap(&o, 1, 1, 2, 4, 4, 1);  // overlapping blocks: nothing
  SLColSwap(&o, 1, 1, 0, 4, 2, 1);
  EXPECT_EQ(Of(o), (Lines{"abcdef"}));
}

TEST_F(TableColumns, NumbersRows) {
  TStringList l;
  for (int i = 1; i <= 12; ++i) l.Add("L" + std::to_string(i));
  SLColNumber(&l, 3, 12, 1);
  EXPECT_EQ(l[0], "L1");
  EXPECT_EQ(l[1], "L2");
  EXPECT_EQ(l[2], "   1L3");
  EXPECT_EQ(l[10], "   9L11");
  EXPECT_EQ(l[11], "  10L12");
  TStringList s = Make({"ab", "abcd"});
  SLColNumber(&s, 1, 2, 4);  // a short row gets the number at its end
  EXPECT_EQ(Of(s), (Lines{"ab  1", "abc  2d"}));
}

TEST_F(TableColumns, CutPasteDelete) {
  TStringList l = Make({"abcdef", "ab"});
  std::string t;
  SLColCut(&l, 1, 4, 3, 2, t);
  EXPECT_EQ(t, "cd\r\n\r\n");  // existing rows only
  EXPECT_EQ(Of(l), (Lines{"abef", "ab"}));

  SLColPaste(&l, "XY", 1, 2, 4);
  EXPECT_EQ(Of(l), (Lines{"abeXYf", "abXY"}));
  SLColPaste(&l, "", 1, 2, 1);
  EXPECT_EQ(Of(l), (Lines{"abeXYf", "abXY"}));

  SLColDelete(&l, 2, 1, 2, 4);
  EXPECT_EQ(Of(l), (Lines{"abef", "abX"}));
  SLColDelete(&l, 0, 1, 2, 1);
  SLColDelete(&l, -3, 1, 2, 1);
  EXPECT_EQ(Of(l), (Lines{"abef", "abX"}));
}

TEST_F(TableColumns, InsertsLinesAsColumn) {
  struct Case {
    const char* what;
    Lines list;
    Lines rows;
    int col;
    Lines out;
  } cases[] = {
      {"lead and trail blanks, zeros for missing lines", {"7", "8"}, {"a", "b", "c"}, 1,
       {" 7 a", " 8 b", " 0 c"}},
      {"padded to the longest line", {"1", "22"}, {"ab", "cd"}, 2, {"a 1 b", "c 22d"}},
      {"lines starting with a blank need no lead", {" 1", " 2"}, {"ab", "cd"}, 2,
       {"a 1b", "c 2d"}},
      {"extra lines are left over", {"1", "2", "3"}, {"x"}, 1, {" 1 x"}},
  };
  for (const Case& c : cases) {
    TStringList l = Make(c.rows);
    TStringList list = Make(c.list);
    SLColInsertSL(&l, &list, 1, static_cast<int32_t>(c.rows.size()), c.col);
    EXPECT_EQ(Of(l), c.out) << c.what;
  }
  TStringList l = Make({"a", "b", "c"});
  SLColInsertText(&l, "7\r\n8\r\n", 1, 3, 1);
  EXPECT_EQ(Of(l), (Lines{" 7 a", " 8 b", " 0 c"}));
  SLColInsertText(&l, "", 1, 3, 1);
  SLColInsertSL(&l, nullptr, 1, 3, 1);
  TStringList empty;
  SLColInsertSL(&l, &empty, 1, 3, 1);
  EXPECT_EQ(Of(l), (Lines{" 7 a", " 8 b", " 0 c"}));
}

// ---- the column structure ----

TEST_F(TableColumns, ColumnAtPosition) {
  TTextTabStruct tt;
  EXPECT_EQ(tt.AddCol(1, 2, 3), 0);
  EXPECT_EQ(tt.AddCol(2, 6, 2), 1);
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {100, 2}};
  for (auto [pos, ic] : cases) EXPECT_EQ(tt.GetIC(pos), ic) << "Pos=" << pos;

  int32_t g = -1, s = -1, w = -1;
  tt.GetBeWi(2, g, s, w);
  EXPECT_EQ(Col({g, s, w}), Col({2, 6, 2}));
  tt.GetBeWi(3, g, s, w);
  EXPECT_EQ(Col({g, s, w}), Col({0, 0, 0}));
  tt.GetBeWi(0, g, s, w);
  EXPECT_EQ(TTextTabStruct::GetIC(nullptr, 5), 0);
  TTextTabStruct::GetBeWi(nullptr, 1, g, s, w);
  TTextTabStruct::ClearCols(nullptr);
  EXPECT_EQ(Boxes(), (Lines{"TextTabStruct.GetBeWi текущая строка IC=3 вне строчек! NC=2"_cp,
                            "TextTabStruct.GetBeWi текущая строка IC=0 вне строчек! NC=2"_cp,
                            "cvStr.TextTabStruct.GetIC(5) Структура Not Assigned!"_cp,
                            "cvStr.TextTabStruct.GetBeWi(1) Структура Not Assigned!"_cp}));
  tt.ClearCols();
  EXPECT_EQ(tt.Count(), 0);
  EXPECT_EQ(tt.GetIC(3), 0);
}

TEST_F(TableColumns, StructureFromRows) {
  const TStringList aligned = Make({" x   val  ", "  1   2.5 ", " 10  -0.25"});
  TTextTabStruct tt;
  tt.AddCol(9, 9, 9);  // rebuilding starts from scratch
  TabStructByWords(&tt, &aligned, 1, 3);
  EXPECT_EQ(Cols(tt), (std::vector<Col>{{1, 2, 2}, {2, 6, 5}}));
  TabStructByChar(&tt, &aligned, 1, 9, '"', ' ');  // To lowered to the last row
  EXPECT_EQ(Cols(tt), (std::vector<Col>{{1, 2, 2}, {2, 6, 5}}));

  const TStringList quoted = Make({"\"a b\"  1", "\"c\"    22"});
  TabStructByChar(&tt, &quoted, 1, 2, '"', ' ');
  EXPECT_EQ(Cols(tt), (std::vector<Col>{{0, 1, 5}, {2, 8, 2}}));

  const TStringList semi = Make({" a ;1.5;x", " bb;22 ;y"});
  TabStructByChar(&tt, &semi, 1, 2, '\0', ';');
  EXPECT_EQ(Cols(tt), (std::vector<Col>{{0, 1, 3}, {1, 5, 3}, {1, 9, 1}}));
  EXPECT_EQ(tt.GetIC(3), 1);
  EXPECT_EQ(tt.GetIC(4), 2);  // the separator starts the next column's area

  // Overlapping columns, a single row, or no structure give no columns.
  const TStringList overlap = Make({"abc  x", "a b"});
  TabStructByWords(&tt, &overlap, 1, 2);
  EXPECT_EQ(tt.Count(), 0);
  TabStructByChar(&tt, &overlap, 1, 2, '"', ' ');
  EXPECT_EQ(tt.Count(), 0);
  TabStructByWords(&tt, &aligned, 2, 2);
  EXPECT_EQ(tt.Count(), 0);
  TabStructByWords(&tt, &aligned, 4, 6);
  EXPECT_EQ(tt.Count(), 0);
  TabStructByWords(nullptr, &aligned, 1, 3);
  TabStructByChar(nullptr, &aligned, 1, 3, '"', ' ');
  EXPECT_EQ(Boxes(), (Lines{"CurTT(1) Not Assigned!!!", "CurTT(2) Not Assigned!!!"}));
}

TEST_F(TableColumns, StructureAgreesWithWordsOfAlignedTable) {
  // On every non-blank character of an aligned table the structure's column is the word's number.
  TStringList l = Make({"Имя Знач Ошибка N"_cp, "Fe 6302.5 0.01 1", "Ti 6303.75 0.2 12",
                        "Ni 12 -1.5-3 3"});
  LineTabStrings(&l, 1);
  TTextTabStruct tt;
  TabStructByChar(&tt, &l, 1, l.Count(), '"', ' ');
  ASSERT_EQ(tt.Count(), 4);
  for (int r = 0; r < l.Count(); ++r)
    for (int p = 1; p <= static_cast<int>(l[r].size()); ++p)
      if (l[r][static_cast<size_t>(p - 1)] != ' ') {
        EXPECT_EQ(tt.GetIC(p), WordIndexAt(l[r], p)) << "row " << r + 1 << " pos " << p;
      }
}

}  // namespace
