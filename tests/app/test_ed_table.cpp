// The editor's table and column commands on a three-column table, and the exchange of
// tab-separated text with the clipboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cvInf.h"
#include "app/support/EdFixture.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"

using V = std::vector<std::string>;

namespace {

// A small panel with the fields the table commands read and write.
const char* kPanel =
    "[Informator]\n"
    "ColorBack=clBlack\n"
    "Margin=2\n"
    "[Fonts]\n"
    "NFont=0\n"
    "[Colors]\n"
    "NColor=1\n"
    "0=clWhite\n"
    "1=clBlack\n"
    "[Groups]\n"
    "NGroup=0\n"
    "0_Name=Main\n"
    "[Fields]\n"
    "|t1|1|1|0|0|40|0|L|T|0|0|0|0|0|1|L|E|0|0|0| |Y1:%d|first row|0|0|0|\n"
    "|t2|1|1|0|0|40|0|L|T|0|0|0|0|0|1|L|E|0|0|0| |Y2:%d|last row|0|0|0|\n"
    "|nX|1|1|0|0|40|0|L|T|0|0|0|0|0|1|L|E|0|0|0| |X:%d|x column|0|0|0|\n"
    "|ta|1|1|0|0|40|0|L|T|0|0|0|0|0|1|S|E|0|0|0| |%s|template|0|0|0|\n"
    "|eC|1|1|0|0|40|0|L|T|0|0|0|0|0|0|N|N|0|0|0| |eC|changes|0|0|0|\n"
    "|eX|1|1|0|0|40|0|L|T|0|0|0|0|0|1|L|E|0|0|0| |%d|column|0|0|0|\n"
    "|eY|1|1|0|0|40|0|L|T|0|0|0|0|0|1|L|E|0|0|0| |%d|line|0|0|0|\n"
    "|sX|1|1|0|0|40|0|L|T|0|0|0|0|0|0|N|N|0|0|0| |sX|set x|0|0|0|\n"
    ";end\n";

class EdTable : public EdFixture {
 protected:
  void SetUp() override {
    EdFixture::SetUp();
    testsupport::WriteFile(Path("table.txt"),
                           "report\n a  1.5  10\n b  2.5  20\n c  3.5  30\n\nend\n");
    ed.Writable = true;
    ed.EnterFile("", "table.txt", 3, 6);  // "2.5", column 2
    ed.Shown = true;
  }
  void WithPanel() {
    testsupport::WriteFile(Path("inf.ini"), kPanel);
    TInf::Init(inf, nullptr, "Terminal", nullptr, nullptr, 14, 2, Path("inf.ini"));
    ed.Inf = inf;
  }
  void TearDown() override {
    ed.Inf = nullptr;
    delete inf;
    EdFixture::TearDown();
  }
  V Table() const {
    const V l = Lines();
    return V(l.begin() + 1, l.begin() + 4);
  }

  TInf* inf = nullptr;
};

TEST_F(EdTable, CopiesOfTheCaretColumnGoToTheClipboard) {
  ed.ColOp('c');
  EXPECT_EQ(clipboard.Text(), "  1.5\r\n  2.5\r\n  3.5\r\n");
  ed.ColOp('T');
  EXPECT_EQ(clipboard.Text(), "1.5\r\n2.5\r\n3.5\r\n");
  EXPECT_EQ(ed.Changes, 0);
}

TEST_F(EdTable, CutAndPasteBackRestoreTheTable) {
  const V before = Lines();
  ed.ColOp('C');
  EXPECT_EQ(Table(), (V{" a  10", " b  20", " c  30"}));
  EXPECT_EQ(clipboard.Text(), "  1.5\r\n  2.5\r\n  3.5\r\n");
  EXPECT_EQ(ed.Changes, 1);
  EXPECT_EQ(CaretAt(), std::make_pair(3, 6));
  ed.ColOp('P');
  EXPECT_EQ(Lines(), before);
  EXPECT_EQ(ed.Changes, 2);
}

TEST_F(EdTable, MovesSwapsAndNumbers) {
  ed.ColOp('r');
  EXPECT_EQ(Table(), (V{" a   1.5  10", " b   2.5  20", " c   3.5  30"}));
  Caret(3, 7);
  ed.ColOp('l');
  EXPECT_EQ(Table(), (V{" a  1.5  10", " b  2.5  20", " c  3.5  30"}));

  Caret(3, 11);  // the last column swaps with the one before it
  ed.ColOp('s');
  EXPECT_EQ(Table(), (V{" a  10  1.5", " b  20  2.5", " c  30  3.5"}));

  Caret(3, 6);
  ed.ColOp('N');  // no template: running numbers in front of the column's block
  EXPECT_EQ(Table(), (V{" a  1  10  1.5", " b  2  20  2.5", " c  3  30  3.5"}));
  EXPECT_EQ(ed.Changes, 4);

  ed.ColOp('?');
  EXPECT_EQ(Said("Операция с колонкой <?> не запрограммирована"_cp), 1);
}

TEST_F(EdTable, ColumnToClipboardAndInsertedColumn) {
  ed.ColOp('X');
  EXPECT_EQ(clipboard.Text(), "1.5\r\n2.5\r\n3.5\r\n");

  clipboard.SetText("7,1\r\n8\r\n9");
  ed.ColOp('x');
  EXPECT_EQ(Table(), (V{" a 7.1  1.5  10", " b 8    2.5  20", " c 9    3.5  30"}));
  EXPECT_EQ(ed.Changes, 1);
}

TEST_F(EdTable, SortAlignAndTheirWarnings) {
  Caret(3, 10);
  ed.TablSortDown();
  EXPECT_EQ(Table(), (V{" c  3.5  30", " b  2.5  20", " a  1.5  10"}));
  ed.TablSortUp();
  EXPECT_EQ(Table(), (V{" a  1.5  10", " b  2.5  20", " c  3.5  30"}));
  EXPECT_EQ(ed.Changes, 2);

  Caret(1, 1);
  ed.TablSortUp();
  EXPECT_EQ(Said("TablSort BoundTop = BoundBottom = 1"), 1);
  EXPECT_EQ(ed.Changes, 2);

  ed.Shown = false;
  ed.TablAlign();
  EXPECT_EQ(Said("Ed.ColAlign ERROR - Ed Not Visible"), 1);
  ed.Shown = true;
  memo.SetLines({" a 1.5 10", " bb 22.25 200"});
  Caret(1, 2);
  ed.TablAlign();
  const V l = Lines();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].find('.'), l[1].find('.'));  // numbers on their decimal points
  EXPECT_EQ(ed.Changes, 3);
}

TEST_F(EdTable, TooFewColumnsWarnAndChangeNothing) {
  Caret(6, 1);  // "end"
  const V before = Lines();
  ed.ColOp('C');
  EXPECT_EQ(Said("содержит 0 колонок"_cp), 1);
  EXPECT_EQ(Lines(), before);
  ed.Line = 99;
  ed.ColOp('C');
  EXPECT_EQ(Said("Операция с колонкой <C> тек.строка=99"_cp), 1);
}

TEST_F(EdTable, ClipboardKeys) {
  // Ctrl+C on a character: the column; on a blank: the whole table, tab-separated.
  EXPECT_TRUE(ed.KeyDown('C', false, true, false));
  EXPECT_EQ(clipboard.Text(), "1.5\r\n2.5\r\n3.5\r\n");
  Caret(3, 4);
  EXPECT_TRUE(ed.KeyDown('C', false, true, false));
  EXPECT_EQ(clipboard.Text(), "a\t1.5\t10\r\nb\t2.5\t20\r\nc\t3.5\t30\r\n");
  memo.SelectAll();
  EXPECT_FALSE(ed.KeyDown('C', false, true, false));
  Caret(1, 1);
  EXPECT_FALSE(ed.KeyDown('C', false, true, false));  // no table of two lines

  // Ctrl+V of spreadsheet cells: a table framed by empty lines before the caret line.
  clipboard.SetText("x\ty\r\n1\t2\r\n");
  Caret(6, 1);
  EXPECT_TRUE(ed.KeyDown('V', false, true, false));
  V l = Lines();
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[5], "");
  EXPECT_EQ(V(l.begin() + 6, l.begin() + 8), ClipboardToTab()->Lines());
  EXPECT_EQ(l[8], "");
  EXPECT_EQ(l[9], "end");

  // Plain text: two lines are framed the same way, one line is typed in.
  clipboard.SetText("p q\r\nr s");
  Caret(1, 1);
  ed.KeyDown('V', false, true, false);
  l = Lines();
  const V pasted = ClipboardToSL()->Lines();  // two lines, aligned as a table
  ASSERT_EQ(pasted.size(), 2u);
  EXPECT_EQ(V(l.begin(), l.begin() + 5), (V{"", pasted[0], pasted[1], "", "report"}));
  EXPECT_EQ(CaretAt().first, 2);
  clipboard.SetText("ZZ");
  Caret(5, 1);
  ed.SetInsert(true);
  ed.KeyDown('V', false, true, false);
  EXPECT_EQ(Lines()[4], "ZZreport");

  // Ctrl+W: the clipboard's lines replace the text.
  clipboard.SetText("only\r\nthis");
  EXPECT_TRUE(ed.KeyDown('W', false, true, false));
  EXPECT_EQ(Lines(), ClipboardToSL()->Lines());
  EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(EdTable, ExcelExportOfTheTableAroundTheCaret) {
  ed.ExcelExport();
  EXPECT_EQ(clipboard.Text(), "a\t1.5\t10\r\nb\t2.5\t20\r\nc\t3.5\t30\r\n");
  clipboard.SetText("u\tv\tw\r\n");
  Caret(1, 1);
  ed.ClipboardTableImport();
  EXPECT_EQ(Lines()[0], "");
  EXPECT_EQ(Lines()[2], "");
  EXPECT_EQ(Lines()[3], "report");
}

// ---- with the panel's fields ----

TEST_F(EdTable, TypedBoundsAreUsedOnlyWhenTheyHoldTheCaret) {
  WithPanel();
  inf->LogInt("t1", 2);
  inf->LogInt("t2", 3);
  ed.ColOp('c');  // rows 2..3 as typed
  EXPECT_EQ(clipboard.Text(), "  1.5\r\n  2.5\r\n");

  inf->LogInt("t1", 5);
  inf->LogInt("t2", 9);
  ed.ColOp('c');  // the caret's line is not inside: the table around it, written back
  EXPECT_EQ(clipboard.Text(), "  1.5\r\n  2.5\r\n  3.5\r\n");
  EXPECT_EQ(inf->FindFld("t1")->GetInt(), 2);
  EXPECT_EQ(inf->FindFld("t2")->GetInt(), 4);

  ed.ShowTabBounds();
  EXPECT_EQ(inf->FindFld("t1")->GetInt(), 2);
  EXPECT_EQ(inf->FindFld("t2")->GetInt(), 4);
}

TEST_F(EdTable, SetXColumnNumberingTemplatesAndStatistics) {
  WithPanel();
  Caret(3, 11);
  ed.ColCommand(inf->FindFld("sX"));
  EXPECT_EQ(ed.ColOpLetter, 'O');
  EXPECT_EQ(inf->FindFld("nX")->GetInt(), 3);

  // "#" + two dashes + text: two characters deleted at the caret column, the text put there.
  Caret(3, 2);
  inf->LogStr("ta", "#--Q");
  ed.ColOp('N');
  EXPECT_EQ(Table(), (V{" Q 1.5  10", " Q 2.5  20", " Q 3.5  30"}));
  inf->LogStr("ta", "<");
  ed.ColOp('N');
  EXPECT_EQ(Table(), (V{" <Q 1.5  10", " <Q 2.5  20", " <Q 3.5  30"}));

  // Statistics of column 3 against the X column 2.
  memo.SetLines({"x y", "1 10", "2 20", "3 30", "4 40"});
  Caret(3, 3);
  inf->LogInt("nX", 0);
  TEdColStat st;
  EXPECT_FALSE(ed.ColStat(st));
  EXPECT_EQ(Said("должна быть задана колонка X"_cp), 1);
  inf->LogInt("nX", 5);
  EXPECT_FALSE(ed.ColStat(st));
  EXPECT_EQ(Said("всего колонок 2"_cp), 1);
  inf->LogInt("nX", 1);
  ASSERT_TRUE(ed.ColStat(st));
  EXPECT_EQ(st.Col, 2);
  EXPECT_EQ(st.N, 4);
  EXPECT_DOUBLE_EQ(st.Min, 10);
  EXPECT_DOUBLE_EQ(st.Max, 40);
  EXPECT_DOUBLE_EQ(st.Mean, 25);
  EXPECT_NEAR(st.Corr, 1.0, 1e-12);
  EXPECT_NEAR(st.SlopeYX, 10.0, 1e-12);
  EXPECT_NEAR(st.InterYX, 0.0, 1e-9);
}

TEST_F(EdTable, PanelSwitchesAndCaretFields) {
  WithPanel();
  ed.Writable = true;
  Caret(2, 1);
  ed.TypeChar('#');
  EXPECT_EQ(inf->FindFld("eC")->iChecked, 0);
  EXPECT_TRUE(ed.SaveFile());
  EXPECT_EQ(inf->FindFld("eC")->iChecked, 1);

  Caret(3, 9);
  ed.NewLineIndent();
  EXPECT_EQ(CaretAt(), std::make_pair(4, 2));
  EXPECT_EQ(inf->FindFld("eX")->GetInt(), 2);
  EXPECT_EQ(inf->FindFld("eY")->GetInt(), 4);

  inf->LogInt("eX", 7);
  ed.EdColEdit(inf->FindFld("eX"));
  EXPECT_EQ(ed.Col, 7);
  EXPECT_EQ(edIP.Text(), "7");
}

}  // namespace

namespace {

// A spreadsheet selection lands before the current line, rows in the clipboard's order.
TEST_F(EdTable, SpreadsheetRowsLandBeforeTheCurrentLine) {
  clipboard.SetText("name\tx\tnote\r\nfirst one\t\t2\r\nb\t3\t4\r\n");
  Caret(3, 1);  // " b  2.5  20"
  const int changes = ed.Changes;
  ed.SLImport(ClipboardToTab().get(), false);
  const V l = Lines();
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[1], " a  1.5  10");
  const V words[] = {{"name", "x", "note"}, {"first_one", "-", "2"}, {"b", "3", "4"}};
  for (int i = 0; i < 3; ++i) {
    V w;
    for (int k = 1; k <= WordCount(l[size_t(2 + i)]); ++k) w.push_back(WordN(l[size_t(2 + i)], k));
    EXPECT_EQ(w, words[i]) << l[size_t(2 + i)];
  }
  EXPECT_EQ(l[5], " b  2.5  20");
  EXPECT_EQ(ed.Changes, changes + 1);
}

// Every K rows joined; a K that does not divide the block is refused and the text kept.
TEST_F(EdTable, RegroupJoinsRowsOrRefuses) {
  platform::ScriptedMsgBoxes boxes;
  memo.SetLines({"head", "1 2", "3 4", "5 6", "7 8", "", "end"});
  Caret(3, 1);
  EXPECT_FALSE(ed.TabRegroup(3));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(boxes.Shown()[0].text.find("В таблице 4 строк, невозможно распределить по 3"_cp),
            std::string::npos);
  EXPECT_EQ(Lines(), (V{"head", "1 2", "3 4", "5 6", "7 8", "", "end"}));
  EXPECT_EQ(ed.Changes, 0);
  EXPECT_TRUE(ed.TabRegroup(2));
  const V l = Lines();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(WordN(l[1], 1) + WordN(l[1], 2) + WordN(l[1], 3) + WordN(l[1], 4), "1324");
  EXPECT_EQ(WordN(l[2], 1) + WordN(l[2], 2) + WordN(l[2], 3) + WordN(l[2], 4), "5768");
  EXPECT_EQ(l[4], "end");
  EXPECT_EQ(ed.Changes, 1);
  ASSERT_TRUE(ed.CurTT);
  EXPECT_EQ(ed.CurTT->Count(), 4);
}

// The X column (panel "nX") and the caret's column as arrays; no table at the caret warns.
TEST_F(EdTable, TableColumnsXYForTheLimbFit) {
  WithPanel();
  memo.SetLines({"1.5 10", "2.5 20", "3.5 30", "", "end"});
  inf->LogInt("nX", 1);
  Caret(2, 6);
  TARe x, y;
  ASSERT_TRUE(ed.EdTabStatXY(x, y));
  EXPECT_EQ(x, (TARe{0, 1.5, 2.5, 3.5}));
  EXPECT_EQ(y, (TARe{0, 10, 20, 30}));
  Caret(4, 1);
  EXPECT_FALSE(ed.EdTabStatXY(x, y));
  EXPECT_EQ(Said("Нет корректных данных в окне редактора!"_cp), 1);
}

}  // namespace
