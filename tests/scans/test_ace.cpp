// The ACE regression: running mean, ordering with ties, block statistics, correlations, the two
// regressions on small tables, their refusals (window wider than the data, a transform without
// spread), the editor table's reading and output, and the job's progress and cancel.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvAce.h"
#include "support/AllocCount.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

TStringList Lines(std::initializer_list<const char*> L) {
  TStringList S;
  for (const char* l : L) S.Add(l);
  return S;
}

bool AnyNaN(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i)
    if (L[i].find("nan") != std::string::npos || L[i].find("NaN") != std::string::npos) return true;
  return false;
}

TEST(AceRunMean, WindowCases) {
  const TARe Src = {1, 2, 4, 8, 16, 32, 64};
  struct Case {
    int32_t w;
    TARe Want;
  } Cases[] = {
      {0, {1, 2, 4, 8, 16, 32, 64}},
      {1, {7.0 / 3, 7.0 / 3, 14.0 / 3, 28.0 / 3, 56.0 / 3, 112.0 / 3, 112.0 / 3}},
      {3, TARe(7, 127.0 / 7)},  // n = 2w + 1: the mean of the whole array everywhere
  };
  for (const Case& c : Cases) {
    TARe D(7, -1);
    ASSERT_TRUE(AceRunMean(Src, 7, c.w, D));
    for (size_t i = 0; i < 7; ++i) EXPECT_NEAR(D[i], c.Want[i], 1e-12) << "w=" << c.w << " i=" << i;
  }
}

TEST(AceRunMean, WindowWiderThanDataRefused) {
  testsupport::SinkRecorder rec;
  TARe D(5, -1);
  EXPECT_FALSE(AceRunMean(TARe{1, 2, 3, 4, 5}, 5, 3, D));
  EXPECT_EQ(D, TARe(5, -1));
  EXPECT_TRUE(rec.Has("n=5")) << (rec.texts.empty() ? "" : rec.texts[0]);
  EXPECT_TRUE(rec.Has("w=3"));
}

TEST(AceRunMean, SmoothingPassesAllocateNothing) {
  const int32_t n = 1000;
  TARe Src(n), Dst(2 * n, 0.0);
  TAIn Order(2 * n), Rank(2 * n);
  for (int32_t i = 0; i < n; ++i) {
    Src[size_t(i)] = (i * 37) % 101;
    Order[size_t(n + i)] = Rank[size_t(n + i)] = n - 1 - i;
  }
  TAceScratch S;
  AceSmooth(Src, Order, Rank, 1, n, 10, Dst, S);
  const long Before = testsupport::gAllocations.load();
  for (int k = 0; k < 5; ++k) AceSmooth(Src, Order, Rank, 1, n, 10, Dst, S);
  EXPECT_EQ(testsupport::gAllocations.load(), Before);
  // Reversed order: the smoothed values land back in observation order.
  TARe Direct(n);
  TARe Rev(Src.rbegin(), Src.rend());
  ASSERT_TRUE(AceRunMean(Rev, n, 10, Direct));
  EXPECT_DOUBLE_EQ(Dst[size_t(n + 0)], Direct[size_t(n - 1)]);
  EXPECT_DOUBLE_EQ(Dst[size_t(n + 500)], Direct[size_t(n - 1 - 500)]);
}

TEST(AceSortIdx, TiesKeepThePartitionOrder) {
  TARe V = {2, 1, 2, 1};
  TAIn I = {0, 1, 2, 3};
  AceSortIdx(V, I, 0, 3);
  EXPECT_EQ(V, (TARe{1, 1, 2, 2}));
  EXPECT_EQ(I, (TAIn{3, 1, 2, 0}));  // equal values in the order the swaps left them
  // A sub-range only; all-equal and sorted ranges end.
  TARe V2 = {9, 5, 3, 4, 9};
  TAIn I2 = {0, 1, 2, 3, 4};
  AceSortIdx(V2, I2, 1, 3);
  EXPECT_EQ(V2, (TARe{9, 3, 4, 5, 9}));
  EXPECT_EQ(I2, (TAIn{0, 2, 3, 1, 4}));
  TARe V3(50, 7.0);
  TAIn I3(50);
  for (int i = 0; i < 50; ++i) I3[size_t(i)] = i;
  AceSortIdx(V3, I3, 0, 49);
  EXPECT_EQ(I3[0], 0);
  TARe V4(2000);
  TAIn I4(2000);
  for (int i = 0; i < 2000; ++i) V4[size_t(i)] = (i * 7919) % 2000, I4[size_t(i)] = i;
  AceSortIdx(V4, I4, 0, 1999);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(V4[size_t(i)], i);
}

TEST(AceBlocks, StatsMeansCentreAndCorr) {
  const TARe A = {1, 2, 3, 4, 10, 10, 10, 10};
  double m, sd;
  AceBlockStats(A, 4, 0, m, sd);
  EXPECT_DOUBLE_EQ(m, 2.5);
  EXPECT_NEAR(sd, std::sqrt(5.0 / 3), 1e-12);
  AceBlockStats(A, 4, 1, m, sd);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(AceBlockMeans(A, 4), (TARe{2.5, 10}));
  TARe C = A;
  AceCentre(C, 4);
  EXPECT_EQ(C, (TARe{-1.5, -0.5, 0.5, 1.5, 0, 0, 0, 0}));
  EXPECT_EQ(AceRow(A, 4, 1), TARe(4, 10));
  const TARe X = {1, 3, 2, 7, 5};
  EXPECT_NEAR(AceCorr(X, X, 5), 1, 1e-12);
  EXPECT_NEAR(AceCorr(X, AceMulC(X, -1), 5), -1, 1e-12);
  EXPECT_EQ(AceFlatten({{1, 2}, {3, 4}}), (TARe{1, 2, 3, 4}));
  EXPECT_EQ(AceAdd3({1}, {2}, {3}), TARe{6});
}

TEST(AceRegress, IdentityGivesEqualTransforms) {
  const int32_t n = 200;
  TARe x(n);
  for (int32_t i = 0; i < n; ++i) x[size_t(i)] = std::sin(i * 0.37) * 5 + i * 0.01;
  TAceSettings S;
  S.N = n;
  S.P = 1;
  S.W = 5;
  S.ReportOuter = true;
  TAceResult R;
  TStringList L, Sum;
  TJob Job("ace");
  int Steps = 0;
  Job.OnProgress = [&](const TJobProgress&) { ++Steps; };
  ASSERT_TRUE(AceRegress(S, AceFlatten({x, x}), R, L, Sum, &Job));
  // theta and phi1 agree, e^2 near 0, r near 1.
  for (int32_t i = 0; i < n; ++i) EXPECT_NEAR(R.Phi[size_t(i)], R.Phi[size_t(n + i)], 0.05);
  const std::string Last = L[L.Count() - 1];
  EXPECT_EQ(Last.rfind("r(y,sumx)=", 0), 0u);
  EXPECT_NE(Last.find(" r(x1,y)="), std::string::npos);
  EXPECT_NEAR(AceCorr(R.Phi, AceRow(R.Phi, n, 1), n), 1, 1e-3);
  // One outer report line per pass; the summary counts one less; one progress step per pass.
  EXPECT_EQ(L.Count(), R.OuterPasses + 1);
  ASSERT_EQ(Sum.Count(), 1);
  EXPECT_EQ(Sum[0], "Итераций внешнего цикла "_cp + IntStr(R.OuterPasses - 1));
  EXPECT_EQ(Steps, R.OuterPasses);
  EXPECT_EQ(L[0].rfind("itero= 0 yields e^2:", 0), 0u);
}

TEST(AceRegress, RefusalsNameTheCause) {
  struct Case {
    const char* What;
    int32_t n, w;
    bool Psi;
    TARe y, x;
    std::string Want;
  } Cases[] = {
      {"window", 5, 3, false, {1, 2, 3, 4, 5}, {5, 4, 3, 1, 2}, "n=5"},
      // n = 2w + 1 smooths theta to a constant: no spread to standardise.
      {"theta", 5, 2, false, {1, 2, 3, 4, 5}, {5, 4, 3, 1, 2}, " y "},
      {"const x", 5, 1, true, {1, 2, 3, 4, 5}, {3, 3, 3, 3, 3}, " x1 "},
  };
  for (const Case& c : Cases) {
    testsupport::SinkRecorder rec;
    TAceSettings S;
    S.N = c.n;
    S.P = 1;
    S.W = c.w;
    TAceResult R;
    TStringList L, Sum;
    const TARe D = AceFlatten({c.y, c.x});
    EXPECT_FALSE(c.Psi ? AceRegressPsi(S, D, R, L, Sum) : AceRegress(S, D, R, L, Sum)) << c.What;
    EXPECT_TRUE(rec.Has(c.Want)) << c.What << ": " << (rec.texts.empty() ? "" : rec.texts[0]);
  }
}

TEST(AceRegressPsi, ReportsPsiAndCount) {
  const int32_t n = 120;
  TARe x(n), y(n);
  for (int32_t i = 0; i < n; ++i) {
    x[size_t(i)] = std::cos(i * 1.3);
    y[size_t(i)] = x[size_t(i)] * x[size_t(i)] * x[size_t(i)];
  }
  TAceSettings S;
  S.N = n;
  S.P = 1;
  S.W = 4;
  TAceResult R;
  TStringList L, Sum;
  ASSERT_TRUE(AceRegressPsi(S, AceFlatten({y, x}), R, L, Sum));
  ASSERT_EQ(Sum.Count(), 1);
  EXPECT_EQ(WordN(Sum[0], 2), IntStr(R.OuterPasses - 1));
  EXPECT_EQ(L[L.Count() - 1].rfind("itero=" + IntStr(R.OuterPasses - 1) + " yields Psi: ", 0), 0u);
  EXPECT_EQ(R.Phi.size(), size_t(2 * n));
  EXPECT_TRUE(R.Zd.empty());
}

TEST(AceOnTable, ReadingAndColumns) {
  // A second line of another word count: no rows.
  EXPECT_EQ(AceReadTable(Lines({"y x", "1 2 3", "2 3"}))[0].size(), 0u);
  // A word that is not a number ends the data there.
  const auto C = AceReadTable(Lines({"y x", "1 2", "2 3", "a 4", "5 6"}));
  ASSERT_EQ(C.size(), 2u);
  EXPECT_EQ(C[1], (TARe{2, 3}));

  TStringList T;
  T.Add("y x1 x2");
  for (int i = 0; i < 40; ++i)
    T.Add(ShortSt(7, std::sin(i * 0.7) + 0.1 * i) + " " + ShortSt(7, std::sin(i * 0.7)) + " " +
          ShortSt(7, 0.1 * i));
  struct Case {
    bool Psi, Ind;
    int Cols;
  } Cases[] = {{false, false, 1 + 2 * 3}, {false, true, 1 + 5 * 2 + 4}, {true, true, 1 + 5 * 2 + 4}};
  for (const Case& c : Cases) {
    TStringList Out;
    TAceTableRun Run;
    Run.W = 3;
    Run.Psi = c.Psi;
    Run.Indices = c.Ind;
    ASSERT_TRUE(AceOnTable(T, Run, Out));
    EXPECT_EQ(Out[1], "-------------");
    EXPECT_EQ(Out[3], "-------------");
    if (!c.Psi) {
      EXPECT_EQ(Out[0].rfind("r(y,sumx)=", 0), 0u);
    }
    EXPECT_EQ(WordCount(Out[4]), c.Cols);
    EXPECT_EQ(WordCount(Out[5]), c.Cols);
    EXPECT_EQ(Out.Count(), 5 + 40);
    EXPECT_FALSE(AnyNaN(Out));
    if (c.Psi) {
      EXPECT_EQ(WordN(Out[5], c.Cols), "0");  // the variant's indices print as zeros
    }
  }
}

TEST(AceOnTable, FailureOrCancelLeavesNoText) {
  testsupport::SinkRecorder rec;
  TStringList Out;
  Out.Add("old");
  TAceTableRun Run;
  Run.W = 40;
  EXPECT_FALSE(AceOnTable(Lines({"y x", "1 2", "2 3", "3 1"}), Run, Out));
  EXPECT_EQ(Out.Count(), 0);
  EXPECT_TRUE(rec.Has("n=3"));
  TStringList T;
  T.Add("y x");
  for (int i = 0; i < 30; ++i) T.Add(IntStr(i) + " " + IntStr((i * 7) % 30));
  TJob Job("ace");
  Job.Cancel();
  Run.W = 2;
  EXPECT_FALSE(AceOnTable(T, Run, Out, &Job));
  EXPECT_EQ(Out.Count(), 0);
}

TEST(AceTestTable, HeaderAndRows) {
  TStringList Out;
  AceTestTable(25, Out);
  ASSERT_EQ(Out.Count(), 26);
  EXPECT_EQ(WordCount(Out[0]), 3);
  EXPECT_EQ(AceReadTable(Out)[0].size(), 25u);
}

}  // namespace

namespace {

// The harness runs the same regression on an editor-style table file.
TEST(AceHarness, TableFileReportAndRefusal) {
  testsupport::TempDir Dir;
  std::string T = "y x\n";
  for (int i = 0; i < 30; ++i) T += IntStr(i * i % 17) + " " + IntStr(i) + "\n";
  testsupport::WriteFile(Dir.file("t.txt"), T);
  const auto R = testsupport::RunBatch("ace --w 2 '" + Dir.file("t.txt") + "'");
  ASSERT_EQ(R.status, 0) << R.out;
  EXPECT_NE(R.out.find("r(y,sumx)="), std::string::npos) << R.out;
  EXPECT_NE(R.out.find("Итераций внешнего цикла "), std::string::npos) << R.out;
  EXPECT_NE(R.out.find("phi1"), std::string::npos) << R.out;
  const auto P = testsupport::RunBatch("ace --psi --w 2 '" + Dir.file("t.txt") + "'");
  EXPECT_EQ(P.status, 0) << P.out;
  EXPECT_NE(P.out.find("yields Psi: "), std::string::npos) << P.out;
  const auto W = testsupport::RunBatch("ace --w 40 '" + Dir.file("t.txt") + "'");
  EXPECT_EQ(W.status, 1) << W.out;
  EXPECT_NE(W.out.find("n=30"), std::string::npos) << W.out;
  EXPECT_EQ(W.out.find("phi1"), std::string::npos) << W.out;
}

}  // namespace

namespace {

// The editor table's rule through the harness: rows up to the first line that is not W numbers;
// with --x and --i the zd and index columns are zeros; a table without rows is refused.
TEST(AceHarness, EditorTableRuleAndIndexColumns) {
  testsupport::TempDir Dir;
  std::string T = " y  x1 x2\n";
  for (int i = 0; i < 30; ++i)
    T += IntStr((i * i) % 17) + " " + IntStr(i) + " " + IntStr((i * 7) % 11) + "\n";
  T += "1 2 end\n5 6 7\n";
  testsupport::WriteFile(Dir.file("t.txt"), T);
  auto Rows = [](const std::string& Out) {
    std::vector<std::string> rows;
    std::vector<std::string> lines;
    for (size_t a = 0, b; a < Out.size(); a = b + 1) {
      b = Out.find('\n', a);
      if (b == std::string::npos) b = Out.size();
      lines.push_back(Out.substr(a, b - a));
    }
    size_t h = 0;
    while (h < lines.size() && WordN(lines[h], 1) != "i") ++h;
    for (size_t k = h; k < lines.size(); ++k)
      if (WordCount(lines[k]) > 0) rows.push_back(lines[k]);
    return rows;
  };
  const auto I = testsupport::RunBatch("ace --table --i --w 2 '" + Dir.file("t.txt") + "'");
  ASSERT_EQ(I.status, 0) << I.out;
  std::vector<std::string> r = Rows(I.out);
  ASSERT_EQ(r.size(), 31u) << I.out;
  std::string head;
  for (int k = 1; k <= WordCount(r[0]); ++k) head += WordN(r[0], k) + " ";
  EXPECT_EQ(head, "i y phi ind iind x1 phi1 zd1 i1 ii1 x2 phi2 zd2 i2 ii2 ");
  for (const std::string& l : r) EXPECT_EQ(WordCount(l), 1 + 5 * 2 + 4) << l;

  const auto X = testsupport::RunBatch("ace --table --x --i --w 2 '" + Dir.file("t.txt") + "'");
  ASSERT_EQ(X.status, 0) << X.out;
  r = Rows(X.out);
  ASSERT_EQ(r.size(), 31u) << X.out;
  for (size_t k = 1; k < r.size(); ++k)
    for (int w : {4, 5, 8, 9, 10, 13, 14, 15}) EXPECT_EQ(ValReal(WordN(r[k], w)), 0.0) << r[k];

  testsupport::WriteFile(Dir.file("e.txt"), "y x\n1 2 3\n2 3\n");
  const auto E = testsupport::RunBatch("ace --table '" + Dir.file("e.txt") + "'");
  EXPECT_EQ(E.status, 1) << E.out;
  EXPECT_NE(E.out.find("строк 0"), std::string::npos) << E.out;
}

}  // namespace
