// The Voigt comparison table and the Gauss table: their shape, the values at v = 0 against
// textbook ones (H(0, a) = exp(a^2) erfc(a), 1/L(0) = pi a, 1/G(0) = sqrt(pi)), the areas of
// the full and the half grid, and the refused point counts. The harness prints the same table.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "support/TestSupport.h"
#include "synthesis/transfer/cvVoigt.h"
#include "synthesis/transfer/cvVoigtTestTab.h"

namespace {

std::vector<std::string> WordsOf(const std::string& L) {
  std::istringstream in(L);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

// "L(0)=x G(0)=y H(0)=z HI(0)=w" -> x, y, z, w
std::vector<double> Values(const std::string& L) {
  std::vector<double> v;
  for (const std::string& w : WordsOf(L)) v.push_back(ValReal(w.substr(w.find('=') + 1)));
  return v;
}

std::vector<std::string> RunWarnings(TJob& J) {
  std::vector<std::string> w;
  for (const auto& x : J.Warnings()) w.push_back(x.Text);
  return w;
}

TEST(VoigtTestTab, FirstLineRowsAndAreas) {
  TVoigtTestTable t;
  TJob job("t");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { ASSERT_TRUE(VoigtTestTab(401, 10, 40, 0.1, true, t, &J)); }));
  const TStringList& L = t.List;
  // first line, empty line, header, rows 6..396, empty line, areas
  ASSERT_EQ(L.Count(), 3 + 391 + 2);
  const std::vector<double> v0 = Values(L[0]);
  ASSERT_EQ(v0.size(), 4u);
  const double h0 = std::exp(0.01) * std::erfc(0.1);
  EXPECT_NEAR(v0[0], M_PI * 0.1, 1e-9);
  EXPECT_NEAR(v0[1], std::sqrt(M_PI), 1e-9);
  EXPECT_NEAR(v0[2], 1 / h0, 1e-6);
  EXPECT_NEAR(v0[3], h0, 1e-9);
  EXPECT_EQ(L[1], "");
  EXPECT_EQ(WordsOf(L[2]).size(), 15u);
  EXPECT_EQ(WordsOf(L[2])[5], "Huml");
  // the middle row (i = 201, v = 0): Gauss DLD/1000/sqrt(pi), H and the quadrature H(0)/sqrt(pi)
  const std::vector<std::string> mid = WordsOf(L[2 + 201 - 5]);
  ASSERT_EQ(mid.size(), 15u);
  EXPECT_EQ(mid[0], "201");
  EXPECT_NEAR(ValReal(mid[1]), 6000, 1e-9);
  EXPECT_NEAR(ValReal(mid[3]), 0.04 / std::sqrt(M_PI), 1e-9);
  EXPECT_NEAR(ValReal(mid[5]), h0 / std::sqrt(M_PI), 1e-5);
  EXPECT_NEAR(ValReal(mid[6]), h0 / std::sqrt(M_PI), 1e-9);
  EXPECT_EQ(L[L.Count() - 2], "");
  // areas: the Voigt profile's over [-10, 10] lacks the Lorentz wings beyond (about 2a/(10 pi))
  const std::vector<double> area = Values(L[L.Count() - 1]);
  ASSERT_EQ(area.size(), 4u);
  EXPECT_NEAR(area[1], 0.04, 1e-4);
  EXPECT_NEAR(area[3], 1 - 0.2 / (10 * M_PI), 2e-3);
  EXPECT_NEAR(area[2], area[3], 1e-4);
  // the curves for the picture
  EXPECT_EQ(t.X0, -10);
  ASSERT_EQ(t.V.size(), 402u);
  EXPECT_DOUBLE_EQ(t.V[1], -10);
  EXPECT_DOUBLE_EQ(t.V[401], 10);

  // the half grid: from 0, half the areas and the half of the point at v = 0 that the sums
  // count whole
  TVoigtTestTable h;
  ASSERT_TRUE(VoigtTestTab(201, 10, 40, 0.1, false, h, nullptr));
  EXPECT_EQ(h.X0, 0);
  EXPECT_DOUBLE_EQ(h.V[1], 0);
  const std::vector<double> ha = Values(h.List[h.List.Count() - 1]);
  const double step = 10.0 / 200;
  EXPECT_NEAR(ha[3], area[3] / 2 + h0 / std::sqrt(M_PI) * step / 2, 1e-3);
  EXPECT_NEAR(ha[1], area[1] / 2 + 0.04 / std::sqrt(M_PI) * step / 2, 1e-4);
}

TEST(VoigtTestTab, SmallCountsAndGaussArray) {
  // N 10: the first line, the header and the area line, no rows
  TVoigtTestTable t;
  ASSERT_TRUE(VoigtTestTab(10, 10, 40, 0.1, true, t, nullptr));
  ASSERT_EQ(t.List.Count(), 5);
  EXPECT_EQ(t.List[2].substr(0, 4), "I  L");
  EXPECT_EQ(t.List[4].substr(0, 5), "L(0)=");
  // the grid step divides by N - 1, the Gauss table by N: smaller counts are refused
  for (int32_t n : {1, 0, -5}) {
    TJob job("t");
    bool ok = true;
    RunJob(job, [&](TJob&) { ok = VoigtTestTab(n, 10, 40, 0.1, true, t, nullptr); });
    EXPECT_FALSE(ok) << n;
    ASSERT_EQ(RunWarnings(job).size(), 1u) << n;
    EXPECT_NE(RunWarnings(job)[0].find("N=" + IntStr(n)), std::string::npos);
  }
  TJob job("g");
  std::unique_ptr<TStringList> g;
  RunJob(job, [&](TJob&) { g = GaussArrayTab(0, 40, 10); });
  EXPECT_EQ(g, nullptr);
  EXPECT_EQ(RunWarnings(job).size(), 1u);
  // N 2: three lines, x = 0, 200, 400
  g = GaussArrayTab(2, 40, 10);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->Count(), 3);
  EXPECT_NEAR(ValReal(WordsOf((*g)[0])[1]), 1 / std::sqrt(M_PI), 1e-9);
  EXPECT_EQ(WordsOf((*g)[2])[0], "400");
  // x runs over B VMax in N steps
  g = GaussArrayTab(4, 0.5, 2);
  ASSERT_EQ(g->Count(), 5);
  EXPECT_NEAR(ValReal(WordsOf((*g)[2])[1]), std::exp(-0.25) / std::sqrt(M_PI), 1e-9);
}

TEST(VoigtTestTab, CancelAndHarness) {
  TVoigtTestTable t;
  TJob job("c");
  int steps = 0;
  job.OnProgress = [&](const TJobProgress&) {
    if (++steps == 3) job.Cancel();
  };
  RunJob(job, [&](TJob& J) { EXPECT_FALSE(VoigtTestTab(2000, 10, 40, 0.1, true, t, &J)); });
  EXPECT_EQ(job.State(), TJobState::Cancelled);
  EXPECT_EQ(steps, 3);
  // the Humlicek error table steps every 100 rows too, and stops on a cancel
  TJob err("e");
  err.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 100) err.Cancel();
  };
  std::unique_ptr<TStringList> e;
  RunJob(err, [&](TJob&) { e = VoigtHumlicekErrTab(1000, 0.5, 1e-6, 4); });
  EXPECT_EQ(err.State(), TJobState::Cancelled);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Count(), 1 + 100);
#ifdef CORVESTA_BATCH
  ASSERT_TRUE(VoigtTestTab(40, 5, 40, 0.2, false, t, nullptr));
  const testsupport::TBatchRun r = testsupport::RunBatch("voigt-table 40 5 40 0.2 --half");
  ASSERT_EQ(r.status, 0) << r.out;
  std::string want;
  for (int32_t i = 0; i < t.List.Count(); ++i) want += t.List[i] + "\n";
  EXPECT_NE(r.out.find(want), std::string::npos) << r.out;
  EXPECT_EQ(testsupport::RunBatch("voigt-table 1 5 40 0.2").status, 1);
  const testsupport::TBatchRun c = testsupport::RunBatch("calc eV 2.12345678");
  EXPECT_NE(c.out.find("cm 17126.66\n"), std::string::npos) << c.out;
  const testsupport::TBatchRun d = testsupport::RunBatch("calc dlh 6302.5 2.487 0 0 0");
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.out.find("h "), std::string::npos) << d.out;
#endif
}

}  // namespace
