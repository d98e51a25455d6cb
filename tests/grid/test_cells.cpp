// Typed cells: the conversion matrix, conversion errors, GUID text, increment cells, the
// locale-free number text and the column limit of the store.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>

#include "foundation/cvDate.h"
#include "grid/cvGxCells.h"
#include "grid/cvGxHeadless.h"
#include "grid/cvGxNum.h"
#include "support/TestSupport.h"

namespace {

// A store with one column of each kind used here, in this order, and 6 rows.
struct Store {
  TGxHeadlessGrid G;
  int changes = 0;
  explicit Store(int Kind) {
    struct KindColumn : TGxCustomColumn {
      explicit KindColumn(int K) { SetCellKind(K); }
    };
    G.Columns.Add(std::make_unique<KindColumn>(Kind));
    G.Cells.AddRows(6);
    G.Cells.OnCellChange = [this](TCells&, int, int) { ++changes; };
  }
  TCell* Cell(int Row = 0) { return G.Cells.GetCell(0, Row); }
};

double Day(int Y, int M, int D) {
  double d = 0;
  EXPECT_TRUE(TryEncodeDate(Y, M, D, d));
  return d;
}

// Applies a setter named by Op with the value in In.
void Set(TCell* C, const std::string& Op, const std::string& In) {
  if (Op == "str") C->SetAsString(gx::FromUtf8(In));
  else if (Op == "bool") C->SetAsBoolean(In == "1");
  else if (Op == "int") C->SetAsInteger(std::stoi(In));
  else if (Op == "float") C->SetAsFloat(std::stod(In));
  else if (Op == "dt") C->SetAsDateTime(std::stod(In));
  else ADD_FAILURE() << "bad op " << Op;
}

// The getter named by Op, as text ("!" when it raises a conversion error).
std::string Get(TCell* C, const std::string& Op) {
  try {
    if (Op == "str") return gx::ToUtf8(C->GetAsString());
    if (Op == "bool") return C->GetAsBoolean() ? "true" : "false";
    if (Op == "int") return std::to_string(C->GetAsInteger());
    if (Op == "float") return gx::FloatText(C->GetAsFloat());
    if (Op == "dt") return gx::FloatText(C->GetAsDateTime());
  } catch (const TGxConvertError&) {
    return "!";
  }
  return "?";
}

TEST(GridCells, ConversionMatrix) {
  const std::string d = gx::FloatText(Day(2026, 12, 10));
  const std::string dt = gx::FloatText(Day(2026, 12, 10) + 0.5625);
  struct Case {
    int Kind;
    std::string SetOp, In, GetOp, Want;
  };
  const Case cases[] = {
      // Boolean cell: only "true" in any case is True.
      {ckBoolean, "str", "TRUE", "bool", "true"},
      {ckBoolean, "str", "tRuE", "bool", "true"},
      {ckBoolean, "str", "1", "bool", "false"},
      {ckBoolean, "str", "yes", "bool", "false"},
      {ckBoolean, "str", "", "bool", "false"},
      {ckBoolean, "bool", "1", "str", "True"},
      {ckBoolean, "bool", "1", "float", "1"},
      {ckBoolean, "bool", "1", "int", "1"},
      {ckBoolean, "bool", "1", "dt", "0"},
      {ckBoolean, "float", "0.5", "bool", "true"},
      {ckBoolean, "int", "0", "bool", "false"},
      {ckBoolean, "dt", "5", "bool", "false"},
      // Float cell: rounding halves to even, empty and comma text raise.
      {ckFloat, "str", "2.5", "int", "2"},
      {ckFloat, "str", "3.5", "int", "4"},
      {ckFloat, "str", "-2.5", "int", "-2"},
      {ckFloat, "str", " 1e3 ", "str", "1000"},
      {ckFloat, "str", "", "float", "!"},
      {ckFloat, "str", "2,5", "float", "!"},
      {ckFloat, "str", "nan", "float", "!"},
      {ckFloat, "float", "5", "bool", "false"},
      {ckFloat, "bool", "1", "float", "0"},
      {ckFloat, "float", "0.1", "str", "0.1"},
      {ckFloat, "float", "1e20", "str", "1E20"},
      {ckFloat, "float", "1.5e-6", "str", "1.5E-6"},
      {ckFloat, "float", "123456.789", "str", "123456.789"},
      {ckFloat, "float", "-0.00025", "str", "-0.00025"},
      {ckFloat, "dt", "2.25", "dt", "2.25"},
      // Integer cell: empty text gives 0, Boolean is value > 0, date-time is 0 both ways.
      {ckInteger, "str", "", "int", "0"},
      {ckInteger, "str", " 42 ", "int", "42"},
      {ckInteger, "str", "abc", "int", "!"},
      {ckInteger, "str", "2.5", "int", "!"},
      {ckInteger, "float", "2.5", "int", "2"},
      {ckInteger, "float", "3.5", "int", "4"},
      {ckInteger, "bool", "1", "int", "1"},
      {ckInteger, "int", "0", "bool", "false"},
      {ckInteger, "int", "-3", "bool", "false"},
      {ckInteger, "int", "5", "bool", "true"},
      {ckInteger, "dt", "4", "int", "0"},
      {ckInteger, "int", "4", "dt", "0"},
      {ckInteger, "int", "-17", "str", "-17"},
      // Date-time cell: empty or unreadable text gives 0; one fixed text form.
      {ckDateTime, "str", "", "dt", "0"},
      {ckDateTime, "str", "garbage", "dt", "0"},
      {ckDateTime, "str", "2026-12-10", "dt", d},
      {ckDateTime, "str", "10.12.2026", "str", "2026-12-10"},
      {ckDateTime, "str", "2026-12-10 13:30:00", "dt", dt},
      {ckDateTime, "dt", dt, "str", "2026-12-10 13:30:00"},
      {ckDateTime, "dt", "2.5", "int", "2"},
      {ckDateTime, "dt", "3.5", "int", "4"},
      {ckDateTime, "dt", "3.5", "bool", "false"},
      // String cell: getters parse, setters write the fixed forms.
      {ckString, "str", "True", "bool", "true"},
      {ckString, "str", "0", "bool", "false"},
      {ckString, "str", "2", "bool", "true"},
      {ckString, "str", "x", "bool", "!"},
      {ckString, "str", "", "float", "!"},
      {ckString, "str", "", "int", "!"},
      {ckString, "str", "", "dt", "0"},
      {ckString, "str", "2.5", "float", "2.5"},
      {ckString, "float", "2.5", "str", "2.5"},
      {ckString, "int", "7", "str", "7"},
      {ckString, "bool", "0", "str", "False"},
      {ckString, "dt", d, "str", "2026-12-10"},
      // GUID cell: registry form only; other setters go through the text.
      {ckGuid, "str", "{0123abcd-4567-89ef-0a1b-2c3d4e5f6071}", "str",
       "{0123ABCD-4567-89EF-0A1B-2C3D4E5F6071}"},
      {ckGuid, "str", "0123abcd-4567-89ef-0a1b-2c3d4e5f6071", "str", "!"},
      {ckGuid, "str", "{0123abcd-4567-89ef-0a1b-2c3d4e5f607}", "str", "!"},
      {ckGuid, "str", "{0123abcd-4567-89ef-0a1b-2c3d4e5f607x}", "str", "!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.Kind) + " set " + c.SetOp + "(" + c.In + ") get " +
                 c.GetOp);
    Store s(c.Kind);
    std::string got;
    try {
      Set(s.Cell(), c.SetOp, c.In);
      got = Get(s.Cell(), c.GetOp);
    } catch (const TGxConvertError&) {
      got = "!";
    }
    EXPECT_EQ(got, c.Want);
  }
}

TEST(GridCells, FailedConversionKeepsValueAndSaysNothing) {
  Store s(ckFloat);
  s.Cell()->SetAsFloat(7.25);
  s.changes = 0;
  s.G.Cells.Sorted = true;
  for (const char16_t* bad : {u"", u"abc", u"1.5x"}) {
    try {
      s.Cell()->SetAsString(bad);
      ADD_FAILURE() << "no error for " << gx::ToUtf8(bad);
    } catch (const TGxConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("'" + gx::ToUtf8(bad) + "'"), std::string::npos)
          << e.what();
    }
  }
  EXPECT_EQ(s.Cell()->GetAsFloat(), 7.25);
  EXPECT_EQ(s.changes, 0);
  EXPECT_TRUE(s.G.Cells.Sorted);

  Store g(ckGuid);
  const WideString before = g.Cell()->GetAsString();
  EXPECT_THROW(g.Cell()->SetAsBoolean(true), TGxConvertError);  // "True" is no GUID
  EXPECT_EQ(g.Cell()->GetAsString(), before);
}

TEST(GridCells, BooleanToDateTimeGivesToday) {
  Store s(ckDateTime);
  for (bool b : {true, false}) {
    s.Cell()->SetAsDateTime(5.5);
    s.Cell()->SetAsBoolean(b);
    EXPECT_EQ(s.Cell()->GetAsDateTime(), std::trunc(NowDateTime()));
  }
}

TEST(GridCells, NewGuidsDifferAndRoundTrip) {
  Store s(ckGuid);
  const WideString a = s.Cell(0)->GetAsString(), b = s.Cell(1)->GetAsString();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.size(), 38u);
  s.Cell(2)->SetAsString(a);
  EXPECT_EQ(s.Cell(2)->GetAsString(), a);
}

TEST(GridCells, IncrementCellIsRowPlusOneWhateverIsSet) {
  Store s(ckIncrement);
  TCell* c = s.Cell(4);
  EXPECT_EQ(c->GetAsInteger(), 5);
  EXPECT_EQ(c->GetAsFloat(), 5.0);
  EXPECT_EQ(c->GetAsString(), u"5");
  s.changes = 0;
  c->SetAsInteger(99);
  c->SetAsString(u"12");
  EXPECT_EQ(s.changes, 2);  // the change is still reported
  EXPECT_EQ(s.Cell(4)->GetAsInteger(), 5);
}

TEST(GridCells, ChangeReportsPositionAndClearsSorted) {
  Store s(ckString);
  int col = -1, row = -1;
  s.G.Cells.OnCellChange = [&](TCells&, int c, int r) { col = c, row = r; };
  s.G.Cells.Sorted = true;
  s.G.Cells.GetCell(0, 3)->SetAsString(u"x");
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 3);
  EXPECT_FALSE(s.G.Cells.Sorted);
}

// Number text never follows the locale: a decimal-comma locale changes nothing, neither the C
// library's (when one is installed) nor the C++ global one.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
};

void ExpectPointText() {
  Store s(ckFloat);
  s.Cell()->SetAsString(u"2.5");
  EXPECT_EQ(s.Cell()->GetAsFloat(), 2.5);
  EXPECT_EQ(s.Cell()->GetAsString(), u"2.5");
  EXPECT_THROW(s.Cell()->SetAsString(u"2,5"), TGxConvertError);
  Store t(ckString);
  t.Cell()->SetAsFloat(0.125);
  EXPECT_EQ(t.Cell()->GetAsString(), u"0.125");
  EXPECT_EQ(t.Cell()->GetAsFloat(), 0.125);
  EXPECT_EQ(gx::FormatFloatMask("#,##0.00", 1234.5), "1,234.50");
}

TEST(GridCells, NumberTextIgnoresTheLocale) {
  const std::locale before =
      std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  ExpectPointText();
  std::locale::global(before);
}

TEST(GridCells, NumberTextIgnoresTheCLocale) {
  // An installed decimal-comma locale, or one compiled for the test.
  testsupport::TempDir dir;
  bool on = false;
  for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "de_DE.utf8", "ru_RU.utf8"})
    if (std::setlocale(LC_ALL, name)) {
      on = true;
      break;
    }
  if (!on) {
    const std::string cmd = "localedef -i de_DE -f ISO-8859-1 '" + dir.file("de_DE") +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) {
      setenv("LOCPATH", dir.str().c_str(), 1);
      on = std::setlocale(LC_ALL, "de_DE") != nullptr;
    }
  }
  if (!on) GTEST_SKIP() << "no decimal-comma C locale (locale -a, localedef)";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f", 2.5);
  EXPECT_STREQ(buf, "2,5");  // the locale is in force
  ExpectPointText();
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

TEST(GridCells, StoreRefusesColumn1026) {
  TGxHeadlessGrid g;
  for (int i = 0; i < kGxMaxColumns; ++i) g.Columns.Add<TGxTextColumn>("c" + std::to_string(i));
  EXPECT_EQ(g.Cells.ColCount(), kGxMaxColumns);
  EXPECT_THROW(g.Columns.Add<TGxTextColumn>("one too many"), TGxError);
  EXPECT_EQ(g.Columns.ColumnCount(), kGxMaxColumns);
  EXPECT_THROW(g.Cells.ColumnsChanged(TCells::ccAdd), TGxError);
  EXPECT_EQ(g.Cells.ColCount(), kGxMaxColumns);
}

TEST(GridCells, RowOperations) {
  Store s(ckInteger);
  for (int r = 0; r < 6; ++r) s.Cell(r)->SetAsInteger(r);
  s.G.Cells.MoveRow(0, 5);
  s.G.Cells.ExchangeRows(0, 1);
  s.G.Cells.InsertRow(2);
  s.G.Cells.DeleteRow(6);
  std::string got;
  for (int r = 0; r < s.G.Cells.RowCount(); ++r) got += std::to_string(s.Cell(r)->GetAsInteger());
  EXPECT_EQ(got, "210345");  // moved 123450, exchanged 213450, inserted 2103450, deleted
  s.G.Cells.SetRowVisible(1, false);
  s.G.Cells.SetRowVisible(1, false);
  EXPECT_EQ(s.G.Cells.VisibleRowCount(), 5);
  s.G.Cells.AddChildRow(0, 1);
  EXPECT_EQ(s.G.Cells.GetRow(1)->Level, 1);
  EXPECT_EQ(s.G.Cells.GetRow(0)->ChildCount, 1);
  EXPECT_EQ(s.G.Cells.DescendantCount(0), 1);
  s.G.Cells.DeleteRow(0);  // the child forgets its freed parent
  EXPECT_EQ(s.G.Cells.GetRow(0)->ParentRow, nullptr);
  s.G.Cells.ClearRows();
  EXPECT_EQ(s.G.Cells.RowCount(), 0);
  EXPECT_EQ(s.G.Cells.VisibleRowCount(), 0);
  EXPECT_EQ(s.G.Cells.ColCount(), 1);
}

}  // namespace
