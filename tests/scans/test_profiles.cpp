// Profile access on a small generated scan (file 1's slit pixel 5 is one of the generator's zero
// pixels): selection letters and output lengths, normalisation
// (a zero continuum leaves raw values), 3 x 3 means and their slit ends, text tables, the cached
// I +- V row, sums over pixels (light mode, shifts, the job with cancel), per-file summaries and
// the velocity scale.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

class Profiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScanServices();
    TScanGenOptions o;
    o.Files = 4;
    o.NY = 8;
    folder = GenerateScan(root.str(), o);
    TJob job("headers");
    ASSERT_TRUE(RunJob(job, [&](TJob& J) {
      scan.Link(folder);
      scan.LoadHeaders(J);
    }));
    ASSERT_TRUE(scan.Bit(1));
    for (auto& f : scan.Files) ASSERT_TRUE(f->LoadData());
  }
  TFITS& F(int i) { return *scan.FITSByIndex(i); }
  TAIn Col(int f, int y, int s) {
    TAIn c;
    EXPECT_TRUE(F(f).GetCol3(y, s, c));
    return c;
  }

  testsupport::TempDir root;
  testsupport::SinkRecorder rec{testsupport::SinkRecorder::kStripWarnPrefix};
  std::string folder;
  TLFITS scan;
};

TEST_F(Profiles, SelectionLettersAndLengths) {
  struct TCase {
    const char* Sel;
    bool I, Q, U, V, P, D;
  } cases[] = {{"P", false, true, true, false, true, false},
               {"D", true, false, false, false, false, true},
               {"QXi", false, true, true, false, false, false},
               {"IV", true, false, false, true, false, false},
               {"IQUVPD", true, true, true, true, true, true}};
  const int32_t nLam = F(1).nLam;
  for (const TCase& c : cases) {
    TARe X, M, I, Q, U, V, P, D;
    ASSERT_TRUE(F(1).GetFITARe2(5, c.Sel, 'p', 'p', 0, X, M, I, Q, U, V, P, D)) << c.Sel;
    EXPECT_EQ(I.empty(), !c.I) << c.Sel;
    EXPECT_EQ(Q.empty(), !c.Q) << c.Sel;
    EXPECT_EQ(U.empty(), !c.U) << c.Sel;
    EXPECT_EQ(V.empty(), !c.V) << c.Sel;
    EXPECT_EQ(P.empty(), !c.P) << c.Sel;
    EXPECT_EQ(D.empty(), !c.D) << c.Sel;
    EXPECT_EQ(M.empty(), !c.D) << c.Sel;
    EXPECT_EQ(static_cast<int32_t>(X.size()), nLam + 1);
    if (c.D) {
      EXPECT_EQ(static_cast<int32_t>(D.size()), nLam);
      EXPECT_EQ(static_cast<int32_t>(M.size()), nLam);
      EXPECT_EQ(D[1], 0);
      EXPECT_EQ(D[0], 0);
      EXPECT_EQ(M[1], 1.5);
      EXPECT_EQ(D[40], I[40] - I[39]);
    }
    if (c.P) {
      EXPECT_DOUBLE_EQ(P[30], std::hypot(Q[30], U[30]));
    }
  }
  // raw values are those of the 0-based pixel's column (pixel y + 1)
  TARe X, M, I, Q, U, V, P, D;
  F(1).GetFITARe2(5, "I", 'p', 'p', 0, X, M, I, Q, U, V, P, D);
  const TAIn c = Col(1, 6, 1);
  for (int i = 1; i <= nLam; ++i) EXPECT_EQ(I[i], c[i]);
  // the wavelength axis and its D per unit of wavelength
  F(1).GetFITNormArr(5, "D", 6302.08, X, M, I, Q, U, V, P, D);
  EXPECT_NEAR(X[56], -0.5 * 0.021549, 1e-9);
  EXPECT_EQ(D[1], 0);
  EXPECT_NEAR(D[40], (I[40] - I[39]) / (X[41] - X[40]), 1e-9);
  EXPECT_NEAR(M[40], (X[40] + X[41]) / 2, 1e-12);
}

TEST_F(Profiles, ZeroContinuumLeavesRawValues) {
  TFITS& f = F(1);
  f.ACnt.assign(static_cast<size_t>(f.nY) + 1, 0.0);
  TARe X, M, I, Q, U, V, P, D, A;
  f.GetFITARe2(2, "IV", 'n', 'p', 0, X, M, I, Q, U, V, P, D);
  const TAIn ci = Col(1, 3, 1), cv = Col(1, 3, 4);
  for (int i = 1; i <= f.nLam; ++i) {
    EXPECT_EQ(I[i], ci[i]);
    EXPECT_EQ(V[i], cv[i]);
  }
  f.GetAI(3, A);
  EXPECT_EQ(A[10], ci[10]);
  // with a continuum the values are divided by it (times KCont)
  f.ACnt[3] = 2000;
  scan.KCont = 2;
  f.GetAV(2, A);
  EXPECT_DOUBLE_EQ(A[40], cv[40] / 4000.0);
}

TEST_F(Profiles, ThreeByThreeMeansAndSlitEnds) {
  TARe X, M, I, Q, U, V, P, D;
  double cont = 0;
  // interior: the mean of nine profiles
  ASSERT_TRUE(scan.GetFIT9Arr(1, 4, "ID", X, M, I, Q, U, V, P, D, cont));
  double expect = 0, ec = 0;
  for (int f = 0; f <= 2; ++f)
    for (int y = 3; y <= 5; ++y) {
      expect += Col(f, y, 1)[50];
      ec += F(f).ACnt[static_cast<size_t>(y)];
    }
  EXPECT_NEAR(I[50], expect / 9, 1e-9);
  EXPECT_NEAR(cont, ec / 9, 1e-9);
  EXPECT_EQ(X[7], 7);
  EXPECT_EQ(M[7], 7.5);
  // slit pixel 1: pixels 1 and 2 of three files, still divided by 9, with the range message
  rec.texts.clear();
  ASSERT_TRUE(scan.GetFIT9Arr(2, 1, "I", X, M, I, Q, U, V, P, D, cont));
  expect = 0;
  for (int f = 1; f <= 3; ++f) expect += Col(f, 1, 1)[50] + Col(f, 2, 1)[50];
  EXPECT_NEAR(I[50], expect / 9, 1e-9);
  EXPECT_TRUE(rec.Has("TFITS.GetCol1 ERR: i2=0 Not in [1..8]"));
  // the normalised form divides by the sum of the nine continua
  ASSERT_TRUE(scan.GetFIT9NormArr(1, 4, "I", 6302.08, X, M, I, Q, U, V, P, D));
  double s9 = 0, c9 = 0;
  for (int f = 0; f <= 2; ++f)
    for (int y = 3; y <= 5; ++y) {
      s9 += Col(f, y, 1)[50];
      c9 += F(f).ACnt[static_cast<size_t>(y)];
    }
  EXPECT_NEAR(I[50], s9 / c9, 1e-12);
  // the first and last slit positions have no neighbours: refused with a message
  for (int f : {0, 3}) {
    rec.texts.clear();
    EXPECT_FALSE(scan.GetFIT9Arr(f, 4, "I", X, M, I, Q, U, V, P, D, cont)) << f;
    EXPECT_TRUE(rec.Has("TLFITS.GetFIT9Arr ERROR!\r\nf=" + std::to_string(f))) << f;
    EXPECT_EQ(scan.GetFIT9_SL(f, 4, "I"), nullptr);
  }
}

TEST_F(Profiles, TextTables) {
  auto sl = scan.GetFIT_SL(1, 5, "IV");
  ASSERT_NE(sl, nullptr);
  EXPECT_EQ(sl->Count(), F(1).nLam + 1);
  auto words = [](const std::string& s) {
    std::vector<std::string> w;
    size_t i = 0;
    while ((i = s.find_first_not_of(' ', i)) != std::string::npos) {
      const size_t j = s.find(' ', i);
      w.push_back(s.substr(i, j - i));
      i = j;
    }
    return w;
  };
  EXPECT_EQ(words((*sl)[0]), (std::vector<std::string>{"L", "I", "V"}));
  const TAIn ci = Col(1, 6, 1), cv = Col(1, 6, 4);
  EXPECT_EQ(words((*sl)[30]),
            (std::vector<std::string>{"30", std::to_string(ci[30]), std::to_string(cv[30])}));
  // normalised: the wavelength and the values over the continuum
  auto nl = scan.GetFITNorm_SL(1, 5, "I");
  ASSERT_NE(nl, nullptr);
  const auto w = words((*nl)[56]);
  EXPECT_EQ(w[0], "6302.06923");
  EXPECT_NEAR(std::stod(w[1]), ci[56] / F(1).ACnt[6], 1e-5);
  // 3 x 3: one decimal, leading zero kept
  auto nine = scan.GetFIT9_SL(1, 4, "V");
  ASSERT_NE(nine, nullptr);
  for (int i = 1; i < nine->Count(); ++i) {
    const std::string v = words((*nine)[i])[1];
    ASSERT_NE(v.find('.'), std::string::npos) << v;
    EXPECT_EQ(v.size() - v.find('.'), 2u) << v;
    EXPECT_NE(v[0] == '-' ? v[1] : v[0], '.') << v;
  }
  // a file whose header is not read
  TFITS bare;
  rec.texts.clear();
  EXPECT_EQ(bare.GetFIT_SL(1, "I"), nullptr);
  TStokes4 out;
  EXPECT_FALSE(bare.GetFIT3(1, "I", out));
  EXPECT_TRUE(rec.Has("TFITS.GetFIT3 ERROR!\r\nHeader Not Loaded Yet!!!"));
  TLFITS none;
  EXPECT_EQ(none.GetFIT9_SL(1, 1, "I"), nullptr);
  EXPECT_TRUE(rec.Has("TLFITS.GetFIT9_SL ERROR!\r\nLFITS Not Assigned Yet!!!"));
}

TEST_F(Profiles, CachedRowAndItsMinima) {
  TFITS& f = F(1);
  f.SetIVRow(5);
  EXPECT_EQ(f.IVRow, 5);
  const TAIn ci = Col(1, 6, 1), cv = Col(1, 6, 4);
  EXPECT_EQ(f.IVpV[33], ci[33] + cv[33]);
  EXPECT_EQ(f.IVmV[33], ci[33] - cv[33]);
  double m = 1e30;
  for (int i = 20; i <= 39; ++i) m = std::min(m, double(ci[i]));
  EXPECT_EQ(f.MinI(20, 20), m);
  // 1-based and 0-based neighbours agree
  TARe r;
  f.GetIReal(6, r);
  EXPECT_EQ(r[33], f.IVI[33]);
}

TEST_F(Profiles, SumsOverPixels) {
  TFITS& f = F(2);
  TStokesRe4 sums;
  for (int s = 1; s <= 4; ++s) sums[s].assign(f.nLam + 1, 1.0);
  const TAIn none(8, 0);
  ASSERT_TRUE(f.GetProfSum(none, sums));
  EXPECT_EQ(sums[1][40], 1.0);
  TAIn two(8, 0);
  two[2] = 1;
  two[6] = 3;
  ASSERT_TRUE(f.GetProfSum(two, sums));
  EXPECT_EQ(sums[4][40], 1.0 + Col(2, 3, 4)[40] + Col(2, 7, 4)[40]);
  // shifted by 0 it is the same; accumulated sums add a fresh sum
  TStokesRe4 a, b;
  ASSERT_TRUE(f.GetProfSum(two, TARe(8, 0.0), a));
  ASSERT_TRUE(f.GetProfSum(two, b));
  EXPECT_EQ(a[1], b[1]);
  ASSERT_TRUE(f.AccProfSum(two, b));
  EXPECT_EQ(b[2][20], 2 * a[2][20]);
  double total = 0;
  f.AddContSum(two, total);
  EXPECT_EQ(total, f.ACnt[3] + f.ACnt[7]);
  // light mode frees the cube after the sum, even with no pixel flagged
  scan.Light = true;
  ASSERT_TRUE(f.GetProfSum(none, sums));
  EXPECT_FALSE(f.Bit(2));
}

TEST_F(Profiles, ProfileSumsAsAJobWithCancel) {
  TAInIn flags(4, TAIn(8, 1));
  TStokesRe4 sums, ref;
  TJob job("sum");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { scan.SumProfiles(J, flags, sums); }));
  for (int f = 0; f < 4; ++f) F(f).GetProfSum(flags[f], ref);
  EXPECT_EQ(sums[1], ref[1]);
  EXPECT_EQ(sums[4], ref[4]);
  EXPECT_GE(job.LastProgress().Total, 4);
  // cancelled after the second file: the sums stay as they were
  TStokesRe4 kept;
  kept[1] = {0, 5};
  TJob c("sum");
  c.OnProgress = [&](const TJobProgress& p) {
    if (p.Done >= 2) c.Cancel();
  };
  RunJob(c, [&](TJob& J) { EXPECT_FALSE(scan.SumProfiles(J, flags, kept)); });
  EXPECT_EQ(kept[1], (TARe{0, 5}));
}

TEST_F(Profiles, SummariesAndVelocity) {
  TFITS& f = F(1);
  f.ACnt = {0, 5, 3, 9, 3, 9, 1, 9, 4};
  f.ContExtremes();
  EXPECT_EQ(f.ContExt.Min, 1);
  EXPECT_EQ(f.ContExt.YMin, 6);
  EXPECT_EQ(f.ContExt.Max, 9);
  EXPECT_EQ(f.ContExt.YMax, 3);  // the first of equal maxima
  // a value below the minimum is never also taken as the maximum
  f.WidthExtremes(TARe{0, 2, 1, 5, 0, 0, 0, 0, 0}, TARe{0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(f.WidthExt.YMax, 3);
  EXPECT_EQ(f.WidthExt.YMin, 4);
  f.PairExtremes(TARe{0, 10, 20, 30, 40, 50, 60, 70, 80}, TARe{0, 0, 0, 0, 0, 0, 0, 0, -100});
  EXPECT_EQ(f.PairExt.Max, 35);
  EXPECT_EQ(f.PairExt.YMin, 8);
  // nothing fills AQual: every pixel normal, one abscissa, intercept 0
  f.QualIntercept = 7;
  f.ContIntercept(TARe());
  EXPECT_EQ(f.QualIntercept, 0);
  // velocity scale: the pixel at the line's wavelength reads -VW
  scan.Lam1 = 6301.5008;
  scan.VW1 = 0.25;
  const double p1 = (6301.5008 - scan.RefCRVAL1) / scan.RefCDELT1 + scan.RefCRPIX1;
  EXPECT_NEAR(scan.Pix2V1(p1), -0.25, 1e-9);
  scan.Lam2 = 6302.4932;
  scan.VW2 = -0.5;
  EXPECT_NEAR(scan.Pix2V2(p1 + 1) - scan.Pix2V2(p1), 0.021549 / 6302.4932 * 299792.4562, 1e-9);
}

}  // namespace
