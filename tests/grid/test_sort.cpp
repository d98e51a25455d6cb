// Sorting the row store: order, reversal, stability of the state, NaN and bad comparisons, the
// IP type and case-insensitive Cyrillic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "grid/cvGxHeadless.h"

namespace {

// Column 0 the key (by kind), column 1 a row tag (integer) that follows its row.
struct Fixture {
  TGxHeadlessGrid G;
  TGxCustomColumn* key;
  explicit Fixture(bool Numeric) {
    if (Numeric) key = G.Columns.Add<TGxNumberColumn>("key");
    else key = G.Columns.Add<TGxTextColumn>("key");
    G.Columns.Add<TGxListColumn>("tag");
  }
  void AddNum(double V) {
    const int r = G.Cells.RowCount();
    G.Cells.AddRows(1);
    G.Cells.GetCell(0, r)->SetAsFloat(V);
    G.Cells.GetCell(1, r)->SetAsInteger(r);
  }
  void AddText(const std::string& Utf8) {
    const int r = G.Cells.RowCount();
    G.Cells.AddRows(1);
    G.Cells.GetCell(0, r)->SetAsString(gx::FromUtf8(Utf8));
    G.Cells.GetCell(1, r)->SetAsInteger(r);
  }
  std::vector<double> Nums() {
    std::vector<double> v;
    for (int r = 0; r < G.Cells.RowCount(); ++r) v.push_back(G.Cells.GetCell(0, r)->GetAsFloat());
    return v;
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> v;
    for (int r = 0; r < G.Cells.RowCount(); ++r)
      v.push_back(gx::ToUtf8(G.Cells.GetCell(0, r)->GetAsString()));
    return v;
  }
  std::vector<int> Tags() {
    std::vector<int> v;
    for (int r = 0; r < G.Cells.RowCount(); ++r) v.push_back(G.Cells.GetCell(1, r)->GetAsInteger());
    return v;
  }
};

TEST(GridSort, NumericBothDirectionsKeepRowsTogether) {
  std::mt19937 rnd(7);
  for (int n : {2, 3, 10, 257}) {
    Fixture f(true);
    std::vector<double> keys;
    for (int i = 0; i < n; ++i) keys.push_back(static_cast<int>(rnd() % 20) - 10);
    for (double k : keys) f.AddNum(k);
    f.G.Cells.Sort(0, stNumeric, false);
    auto v = f.Nums();
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end())) << n;
    for (int r = 0; r < n; ++r)  // each tag still sits with its key
      EXPECT_EQ(keys[static_cast<size_t>(f.Tags()[static_cast<size_t>(r)])],
                v[static_cast<size_t>(r)]);
    f.G.Cells.GetCell(1, 0)->SetAsInteger(f.G.Cells.GetCell(1, 0)->GetAsInteger());  // a change
    f.G.Cells.Sort(0, stNumeric, true);
    v = f.Nums();
    EXPECT_TRUE(std::is_sorted(v.rbegin(), v.rend())) << n;
  }
}

TEST(GridSort, OtherDirectionReversesExactlyUnlessChanged) {
  Fixture f(true);
  for (double k : {3.0, 1.0, 2.0, 1.0, 3.0, 2.0, 1.0}) f.AddNum(k);
  f.G.Cells.Sort(0, stNumeric, false);
  auto tags = f.Tags();
  f.G.Cells.Sort(0, stNumeric, true);
  auto rev = f.Tags();
  std::reverse(rev.begin(), rev.end());
  EXPECT_EQ(rev, tags);
  EXPECT_TRUE(f.G.Cells.Sorted);
  EXPECT_TRUE(f.G.Cells.SortDescending);
  EXPECT_EQ(f.G.Cells.SortColumn, 0);

  // After a change the same request sorts fully: the changed key moves to its place.
  f.G.Cells.GetCell(0, 0)->SetAsFloat(0);
  EXPECT_FALSE(f.G.Cells.Sorted);
  f.G.Cells.Sort(0, stNumeric, false);
  EXPECT_EQ(f.Nums(), (std::vector<double>{0, 1, 1, 1, 2, 2, 3}));  // a 3 became 0
}

// The sort state follows its column when an earlier column goes: sorting the column that now has
// the old index in the other direction sorts it, and does not just reverse the rows.
TEST(GridSort, SortStateFollowsItsColumnWhenColumnsGo) {
  TGxHeadlessGrid g;
  auto* a = g.Columns.Add<TGxNumberColumn>("a");
  g.Columns.Add<TGxNumberColumn>("b");
  g.Columns.Add<TGxNumberColumn>("c");
  const double b[] = {1, 2, 3, 4}, c[] = {2, 4, 1, 3};
  g.Cells.AddRows(4);
  for (int r = 0; r < 4; ++r) {
    g.Cells.GetCell(1, r)->SetAsFloat(b[r]);
    g.Cells.GetCell(2, r)->SetAsFloat(c[r]);
  }
  g.Cells.Sort(1, stNumeric, false);  // by b
  g.Columns.Remove(a);                // b is now column 0, c column 1
  EXPECT_EQ(g.Cells.SortColumn, 0);
  g.Cells.Sort(1, stNumeric, true);   // c descending
  std::vector<double> got;
  for (int r = 0; r < 4; ++r) got.push_back(g.Cells.GetCell(1, r)->GetAsFloat());
  EXPECT_EQ(got, (std::vector<double>{4, 3, 2, 1}));
  g.Cells.ColumnsChanged(TCells::ccMove, 1, 0);
  EXPECT_EQ(g.Cells.SortColumn, 0);
}

TEST(GridSort, NoneAndOneRowOnlyStoreTheState) {
  for (int n : {0, 1}) {
    Fixture f(true);
    if (n) f.AddNum(5);
    f.G.Cells.Sort(0, stNumeric, true);
    EXPECT_TRUE(f.G.Cells.Sorted);
    EXPECT_TRUE(f.G.Cells.SortDescending);
    EXPECT_EQ(f.G.Cells.RowCount(), n);
  }
}

TEST(GridSort, NaNSortsAfterEveryNumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int trial = 0; trial < 20; ++trial) {
    Fixture f(true);
    std::mt19937 rnd(static_cast<unsigned>(trial));
    for (int i = 0; i < 40; ++i) f.AddNum(rnd() % 3 == 0 ? nan : static_cast<double>(rnd() % 9));
    f.G.Cells.Sort(0, stNumeric, false);
    auto v = f.Nums();
    auto firstNaN = std::find_if(v.begin(), v.end(), [](double x) { return std::isnan(x); });
    EXPECT_TRUE(std::is_sorted(v.begin(), firstNaN));
    EXPECT_TRUE(std::all_of(firstNaN, v.end(), [](double x) { return std::isnan(x); }));
  }
}

// A custom comparison that is no order must not run the sort outside the rows.
TEST(GridSort, CustomCompareThatIsNoOrderStaysInRange) {
  Fixture f(true);
  for (int i = 0; i < 200; ++i) f.AddNum(i % 7);
  std::set<TCell*> own;  // every cell the comparison is shown must be one of the store's
  for (int r = 0; r < 200; ++r) own.insert(f.G.Cells.GetCell(0, r));
  int strangers = 0;
  auto check = [&](TCell* a, TCell* b) { strangers += !own.count(a) + !own.count(b); };
  std::mt19937 rnd(3);
  f.G.Cells.OnCompare = [&](TCells&, TCell* a, TCell* b, int& c) {
    check(a, b);
    c = static_cast<int>(rnd() % 3) - 1;
  };
  f.G.Cells.Sort(0, stCustom, false);
  for (int c : {1, -1})  // always "after", always "before", both directions
    for (bool desc : {false, true}) {
      f.G.Cells.OnCompare = [&, c](TCells&, TCell* a, TCell* b, int& r) { check(a, b), r = c; };
      f.G.Cells.Sorted = false;
      f.G.Cells.Sort(0, stCustom, desc);
    }
  EXPECT_EQ(strangers, 0);
  auto tags = f.Tags();
  std::sort(tags.begin(), tags.end());
  for (int i = 0; i < 200; ++i) EXPECT_EQ(tags[static_cast<size_t>(i)], i);  // a permutation
}

TEST(GridSort, EqualKeysFormGroups) {
  Fixture f(false);
  for (const char* s : {"b", "a", "c", "a", "b", "a"}) f.AddText(s);
  f.G.Cells.Sort(0, stAlphabetic, false);
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"a", "a", "a", "b", "b", "c"}));
  auto tags = f.Tags();  // the "a" rows are 1, 3, 5 in some order
  std::sort(tags.begin(), tags.begin() + 3);
  EXPECT_EQ(std::vector<int>(tags.begin(), tags.begin() + 3), (std::vector<int>{1, 3, 5}));
}

TEST(GridSort, IPAscendingPutsGreaterKeysFirst) {
  Fixture f(false);
  for (const char* s : {"10.0.0.2", "10.0.0.10", "9.0.0.10", "x1.2y.3.4", "1.2.3.4.99.7"})
    f.AddText(s);
  f.G.Cells.Sort(0, stIP, false);
  // Compared by the fourth number first, then the third, second and first; characters other
  // than digits and stops are skipped; numbers beyond the fourth do not count (the two ".4" tie).
  auto t = f.Texts();
  EXPECT_EQ(t[0], "10.0.0.10");
  EXPECT_EQ(t[1], "9.0.0.10");
  std::vector<std::string> tie(t.begin() + 2, t.begin() + 4);
  std::sort(tie.begin(), tie.end());
  EXPECT_EQ(tie, (std::vector<std::string>{"1.2.3.4.99.7", "x1.2y.3.4"}));
  EXPECT_EQ(t[4], "10.0.0.2");
}

TEST(GridSort, CaseInsensitiveCyrillic) {
  Fixture f(false);
  for (const char* s : {"яблоко", "Борщ", "Аист", "ёж", "берёза", "АРБУЗ", "Жук"}) f.AddText(s);
  f.G.Cells.Sort(0, stCaseInsensitive, false);
  // Code page 1251 order of the lower-cased texts: ё (0xB8) before а..я.
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"ёж", "Аист", "АРБУЗ", "берёза", "Борщ", "Жук",
                                                 "яблоко"}));
  f.G.Cells.Sorted = false;  // else the other direction only reverses
  f.G.Cells.Sort(0, stAlphabetic, true);
  EXPECT_EQ(f.Texts().front(), "ёж");  // U+0451 is above every other letter here
}

TEST(GridSort, BooleanAndDate) {
  TGxHeadlessGrid g;
  g.Columns.Add<TGxCheckBoxColumn>("b");
  g.Cells.AddRows(4);
  for (int r : {1, 3}) g.Cells.GetCell(0, r)->SetAsBoolean(true);
  g.Cells.Sort(0, stBoolean, false);
  std::string s;
  for (int r = 0; r < 4; ++r) s += g.Cells.GetCell(0, r)->GetAsBoolean() ? "T" : "F";
  EXPECT_EQ(s, "FFTT");
}

}  // namespace
