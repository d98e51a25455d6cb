// Text tables: block finding, alignment, sorting, regrouping and the spreadsheet exchange.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "platform/Clipboard.h"
#include "platform/CodePage.h"
#include "platform/MsgBox.h"

namespace {

using Lines = std::vector<std::string>;

TStringList Make(const Lines& lines) {
  TStringList l;
  for (const auto& s : lines) l.Add(s);
  return l;
}

Lines Of(const TStringList& l) { return l.Lines(); }

class TextTables : public ::testing::Test {
 protected:
  void SetUp() override {
    ExcelDecPoint = '.';
    platform::SetClipboardText("");
  }
  void TearDown() override { ExcelDecPoint = '.'; }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> t;
    for (const auto& b : boxes.Shown()) t.push_back(b.text);
    return t;
  }

  platform::ScriptedMsgBoxes boxes;
};

// ---- finding the block ----

TEST_F(TextTables, BlockByWordCount) {
  TStringList l = Make({"title", "a b", "1 2", "3 4", "", "x y z"});
  struct Case {
    int n, first, last;
  } cases[] = {
      {3, 2, 4},  // the run of two-word lines
      {2, 2, 4},
      {1, 1, 1},
      {5, 5, 5},  // a line without words is a block of its own
      {6, 6, 6},
      {7, 7, 6},  // beyond the list: the empty block
      {0, 0, -1},
  };
  for (const Case& c : cases) {
    int32_t f = -99, t = -99;
    TabRowsByWords(&l, c.n, f, t);
    EXPECT_EQ(f, c.first) << "N=" << c.n;
    EXPECT_EQ(t, c.last) << "N=" << c.n;
  }
  int32_t f = -99, t = -99;
  TabRowsByWords(nullptr, 1, f, t);
  EXPECT_EQ(t, f - 1);
}

TEST_F(TextTables, BlockByColumnsCountsQuotedWordsWhole) {
  TStringList l = Make({"one", "\"a b\" c", "x y", "", "", "p;q"});
  int32_t f = 0, t = 0;
  TabRowsByChar(&l, 3, ' ', '"', f, t);
  EXPECT_EQ(f, 2);
  EXPECT_EQ(t, 3);
  // Empty lines are a block like any other (no special case for zero columns).
  TabRowsByChar(&l, 4, ' ', '"', f, t);
  EXPECT_EQ(f, 4);
  EXPECT_EQ(t, 5);
}

TEST_F(TextTables, RowBoundsTypedOrAutomatic) {
  // Rows 2..8 form the table.
  TStringList l = Make({"head line here", "a 1", "b 2", "c 3", "d 4", "e 5", "f 6", "g 7",
                        "end of table"});
  struct Case {
    const char* js1;
    const char* js2;
    int row, first, last;
    const char* box;  // start of the expected box text, or empty
  } cases[] = {
      {"", "", 7, 2, 8, ""},
      {"x", "3", 7, 2, 8, ""},
      {"3", "5", 4, 3, 5, ""},
      {"2", "3", 7, 2, 8, "Текущая строка JS=7 не попадает в рамки заданных границ (JS1=2 JS2=3)"},
      {"1", "5", 4, 2, 8, "Заданные границы таблицы (JS1=1 JS2=5) лежат вне реальной таблицы,"},
      {"5", "3", 4, 2, 8, "Текущая строка JS=4"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    int32_t a = 0, b = 0;
    TabRowBounds(&l, c.js1, c.js2, c.row, a, b);
    EXPECT_EQ(a, c.first) << c.js1 << ".." << c.js2;
    EXPECT_EQ(b, c.last) << c.js1 << ".." << c.js2;
    const std::string want = platform::Utf8ToCp1251(c.box);
    if (want.empty()) {
      EXPECT_TRUE(boxes.Shown().empty()) << c.js1 << ".." << c.js2;
    } else {
      ASSERT_EQ(boxes.Shown().size(), 1u) << c.js1 << ".." << c.js2;
      EXPECT_EQ(boxes.Shown()[0].text.rfind(want, 0), 0u) << c.js1 << ".." << c.js2;
    }
  }
  boxes.Clear();
  int32_t a = 0, b = 0;
  TabRowBounds(&l, "2", "3", 7, a, b);
  EXPECT_EQ(Boxes()[0], "Текущая строка JS=7 не попадает в рамки заданных границ (JS1=2 JS2=3)\r\n"
                        "Выбираем для сортировки границы автоматически от 2 до 8"_cp);
}

// ---- aligning ----

TEST_F(TextTables, AlignsHeadersNumbersAndPoints) {
  struct Case {
    const char* what;
    Lines in;
    int n;
    Lines out;
  } cases[] = {
      {"header row, integers, points lined up",
       {"x  val", "1 2.5", "10 -0.25", "3 7"},
       2,
       {" x   val  ", "  1   2.5 ", " 10  -0.25", "  3   7   "}},
      {"an integer gets blanks for the point and decimals",
       {"1.5", "22.25", "3"},
       1,
       {"  1.5 ", " 22.25", "  3   "}},
      {"the lowest text cell in row 5: rows 1-5 left-aligned, the rest on the point",
       {"a 1", "b 22", "c 3", "d 4", "e x", "f 10", "g 2.5"},
       7,
       {" a  1   ", " b  22  ", " c  3   ", " d  4   ", " e  x   ", " f  10  ", " g   2.5"}},
      {"lines around the block stay as they are",
       {"Report  of  today", "n v", "1 10", "22 3", "", "a b"},
       3,
       {"Report  of  today", " n   v ", "  1  10", " 22   3", "", "a b"}},
      {"exponent forms are numbers too",
       {"k val", "1 1.5-3", "2 -2.0E+12"},
       1,
       {" k  val     ", " 1   1.5-3  ", " 2  -2.0E+12"}},
  };
  for (const Case& c : cases) {
    TStringList l = Make(c.in);
    LineTabStrings(&l, c.n);
    EXPECT_EQ(Of(l), c.out) << c.what;
    // Aligning an aligned table changes nothing.
    LineTabStrings(&l, c.n);
    EXPECT_EQ(Of(l), c.out) << c.what << " (again)";
  }
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(TextTables, AlignsCyrillicHeadersByBytes) {
  TStringList l = Make({"Имя Знач Ошибка"_cp, "Fe 6302.5 0.01", "Ti 6303.75 0.2"});
  LineTabStrings(&l, 2);
  EXPECT_EQ(Of(l), (Lines{" Имя  Знач     Ошибка"_cp, " Fe   6302.5     0.01",
                          " Ti   6303.75    0.2 "}));
}

TEST_F(TextTables, AlignmentReportsBadArguments) {
  TStringList l = Make({"a b", "1 2"});
  LineTabStrings(&l, 0);
  LineTabStrings(nullptr, 1);
  LineTabStrings(&l, 3);  // beyond the list: nothing, silently
  EXPECT_EQ(Boxes(),
            (Lines{"В процедуре cvStr.LineTabStrings счёт строк идёт от 1, вы задали 0!"_cp,
                   "cvStr.LineTabStrings-Err: SL Not Assigned!"}));
  EXPECT_EQ(Of(l), (Lines{"a b", "1 2"}));
  // A line without words is left alone.
  TStringList e = Make({"a b", "   ", "1 2"});
  LineTabStrings(&e, 2);
  EXPECT_EQ(Of(e)[1], "   ");
}

TEST_F(TextTables, AlignsSeparatedAndQuotedColumns) {
  TStringList semi = Make({"a;1.5;x", "bb;22;y"});
  LineTabStringsCh(&semi, 1, '\0', ';');
  EXPECT_EQ(Of(semi), (Lines{" a ; 1.5;x", " bb;22  ;y"}));

  TStringList quoted = Make({"\"New York\" 5", "Rome 10"});
  LineTabStringsCh(&quoted, 2, '"', ' ');
  EXPECT_EQ(Of(quoted), (Lines{" \"New York\"   5", " Rome        10"}));

  TStringList tabs = Make({"a\t1", "bb  \t 22"});
  LineTabStringsCh(&tabs, 1, '\0', ' ');
  EXPECT_EQ(Of(tabs), (Lines{" a    1", " bb  22"}));
}

TEST_F(TextTables, AlignsWholeListWithRaggedRows) {
  TStringList l = Make({"a b c", "1 2", "", "10 20 30.5"});
  AlignTabSL(&l);
  EXPECT_EQ(Of(l), (Lines{" a   b   c   ", "  1   2", "", " 10  20  30.5"}));
}

TEST_F(TextTables, RegroupsRowsIntoColumns) {
  TStringList l = Make({"top", "1 a", "2 b", "3 c", "4 d", "bottom"});
  TabRowsToCols(&l, 2, 3);
  EXPECT_EQ(Of(l), (Lines{"top", " 1  2  a  b", " 3  4  c  d", "bottom"}));

  TStringList five = Make({"1 a", "2 b", "3 c", "4 d", "5 e"});
  TabRowsToCols(&five, 2, 1);
  EXPECT_EQ(Boxes(),
            (Lines{"В таблице 5 строк, невозможно распределить по 2 остаются лишние!"_cp}));
  EXPECT_EQ(Of(five), (Lines{"1 a", "2 b", "3 c", "4 d", "5 e"}));

  TabRowsToCols(&five, 0, 1);  // no groups of zero rows
  EXPECT_EQ(Of(five).size(), 5u);
}

// ---- sorting ----

TEST_F(TextTables, SortsByColumnUnderPosition) {
  struct Case {
    const char* what;
    Lines in;
    int row, pos, first, last;
    bool descending;
    Lines out;
  } cases[] = {
      {"one header row stays, numbers ascending",
       {"name val", "a 3", "b 1", "c 2"}, 2, 3, 1, 4, false,
       {"name val", "b 1", "c 2", "a 3"}},
      {"descending",
       {"name val", "a 3", "b 1", "c 2"}, 2, 3, 1, 4, true,
       {"name val", "a 3", "c 2", "b 1"}},
      {"numbers by value, not by text",
       {"k v", "p 10", "q -1.5", "r 1.5-3", "s 2"}, 3, 3, 1, 5, false,
       {"k v", "q -1.5", "r 1.5-3", "s 2", "p 10"}},
      {"text four rows down: all rows sorted as text",
       {"k v", "x y", "z w", "q r", "a 3"}, 1, 3, 1, 5, false,
       {"a 3", "q r", "k v", "z w", "x y"}},
      {"rows above FirstRow keep their places",
       {"3 t", "1 u", "9 a", "7 b", "8 c"}, 4, 1, 3, 5, false,
       {"3 t", "1 u", "7 b", "8 c", "9 a"}},
      {"position on the blank before a word sorts by that word",
       {"5 1", "4 3", "6 2"}, 1, 2, 1, 3, false,
       {"5 1", "6 2", "4 3"}},
      {"code page 1251 text compares by unsigned bytes, case-sensitively",
       {"1 Б", "2 я", "3 Z", "4 А", "5 Я"}, 1, 3, 1, 5, false,
       {"3 Z", "4 А", "1 Б", "5 Я", "2 я"}},
  };
  for (Case& c : cases) {
    for (auto& s : c.in) s = platform::Utf8ToCp1251(s);
    for (auto& s : c.out) s = platform::Utf8ToCp1251(s);
    TStringList l = Make(c.in);
    SortTabCol(&l, c.row, c.pos, c.first, c.last, c.descending);
    EXPECT_EQ(Of(l), c.out) << c.what;
  }
  TStringList l = Make({"name val", "a 3", "b 1", "c 2"});
  SortTabColAsc(&l, 3, 3, 2, 4);
  EXPECT_EQ(Of(l), (Lines{"name val", "b 1", "c 2", "a 3"}));
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(TextTables, SortRefusesBadBounds) {
  const Lines in = {"a 3", "b 1", "c 2"};
  TStringList l = Make(in);
  SortTabCol(&l, 1, 3, 1, 5, false);
  EXPECT_EQ(Boxes(), (Lines{"SortTabCol-Err заказана сотрировка, где LastRow=5 > RowCount=3"_cp}));
  boxes.Clear();
  SortTabCol(&l, 3, 3, 1, 2, false);  // the row outside the range
  SortTabCol(&l, 1, 3, 0, 3, false);  // rows count from 1
  SortTabCol(nullptr, 1, 1, 1, 1, false);
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(Of(l), in);
}

TEST_F(TextTables, SortReportsAnUnreadableCellOnce) {
  // "1-" is a number word that ValReal cannot read; the other rows still sort.
  TStringList l = Make({"c 5", "d 1-", "e 2", "f 4", "g 3"});
  SortTabCol(&l, 1, 3, 1, 5, false);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(Of(l)[4], "c 5");
}

// ---- spreadsheet exchange ----

TEST_F(TextTables, NumbersForSpreadsheet) {
  struct Case {
    const char* in;
    char point;
    const char* out;
  } cases[] = {
      {"1.5-3", '.', "1.5E-3"}, {"1.5-3", ',', "1,5E-3"}, {"2.5e-3", ',', "2,5e-3"},
      {"-3", '.', "-3"},        {"+2.0+12", '.', "+2.0E+12"}, {"abc", ',', "abc"},
      {"1.2.3", ',', "1,2,3"},  {"", ',', ""},
  };
  for (const Case& c : cases) {
    ExcelDecPoint = c.point;
    EXPECT_EQ(NumToLocale(c.in), c.out) << c.in;
  }
}

TEST_F(TextTables, SpreadsheetCellsBecomeTable) {
  platform::SetClipboardText("a b\t\t2");
  EXPECT_EQ(Of(*ClipboardToTab()), (Lines{" a_b  -  2"}));

  // An empty last cell is not filled, and its row stays a row of its own.
  platform::SetClipboardText("name\tval\t\r\n1\t2.5\t\r\n10\t-0.25\t\r\n");
  EXPECT_EQ(Of(*ClipboardToTab()), (Lines{" name  val  ", "    1   2.5 ", "   10  -0.25"}));

  // Blanks around an inner cell are trimmed.
  platform::SetClipboardText("Имя\tЗнач\tN\r\nFe\t 1.5 \t3\r\n"_cp);
  EXPECT_EQ(Of(*ClipboardToTab()), (Lines{" Имя  Знач  N"_cp, " Fe    1.5  3"}));

  platform::SetClipboardText("");
  auto empty = ClipboardToTab();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Count(), 0);
}

TEST_F(TextTables, ClipboardTextBecomesLines) {
  platform::SetClipboardText("a\tb  c");
  EXPECT_EQ(Of(*ClipboardToSL()), (Lines{"a b  c"}));
  platform::SetClipboardText("1\t2\r\n10\t20\r\n");
  EXPECT_EQ(Of(*ClipboardToSL()), (Lines{"  1   2", " 10  20"}));
  platform::SetClipboardText("one line\r\n");
  EXPECT_EQ(Of(*ClipboardToSL()), (Lines{"one line"}));
  platform::SetClipboardText("");
  EXPECT_EQ(ClipboardToSL()->Count(), 0);
}

TEST_F(TextTables, TableGoesToClipboardAndBack) {
  TStringList l = Make({"Отчёт"_cp, "Имя Знач"_cp, "Fe 1.5-3", "Ti 22.25", ""});
  ExcelDecPoint = ',';
  TabToClipboard(&l, 3);
  EXPECT_EQ(platform::ClipboardText(), "Имя\tЗнач\r\nFe\t1,5E-3\r\nTi\t22,25\r\n"_cp);
  EXPECT_TRUE(platform::ClipboardHasSpreadsheet());

  ExcelDecPoint = '.';
  platform::SetClipboardText("x\t1.5\r\ny\t22\r\n");
  auto back = ClipboardToTab();
  EXPECT_EQ(Of(*back), (Lines{" x   1.5", " y  22  "}));
  TabToClipboard(back.get(), 1);
  EXPECT_EQ(platform::ClipboardText(), "x\t1.5\r\ny\t22\r\n");

  platform::SetClipboardText("no tabs here");
  EXPECT_FALSE(platform::ClipboardHasSpreadsheet());
}

TEST_F(TextTables, ClipboardServiceIsReplaceable) {
  struct Recorder : platform::ClipboardService {
    std::string Text() const override { return "p\tq"; }
    void SetText(const std::string& t) override { written = t; }
    std::string written;
  } rec;
  platform::ClipboardService* old = platform::SetClipboardService(&rec);
  EXPECT_EQ(Of(*ClipboardToTab()), (Lines{" p  q"}));
  TStringList l = Make({"1 2"});
  TabToClipboard(&l, 1);
  EXPECT_EQ(rec.written, "1\t2\r\n");
  platform::SetClipboardService(old);
  EXPECT_EQ(platform::ClipboardText(), "");
}

}  // namespace
