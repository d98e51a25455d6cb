// The slit measurements of one slit file on profiles of known form: Gaussian lines
// I = Ic (1 - d exp(-((p - p0)/w)^2)) with V = -dlambda_B dI/dlambda, checked against the closed
// forms; the edge cases of the line positions, sums and loaders; a measurement run cancelled
// between slit files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/cvCentre.h"
#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/support/MemSlit.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr double kStep = 0.021549;
constexpr double kPi = 3.14159265358979323846;

struct TLineSpec {
  double P0 = 0, D = 0, W = 0;  // centre and width in pixels
};
struct TPix {
  double Ic = 20000;
  TLineSpec L[2] = {{30.3, 0.7, 4.15}, {76.35, 0.6, 3.31}};
  double B = 0;  // longitudinal field, G
};

// Warnings of the measurements go to a job, never to a box.
struct TQuiet {
  TJob Job{"quiet"};
  TJobScope Scope{Job};
};

uint16_t Word(double V) {
  const long r = std::lround(V);
  return static_cast<uint16_t>(static_cast<int32_t>(r) & 0xFFFF);
}

// A slit file in memory (header read, data loaded) owned by Scan, one profile per TPix.
void MakeSlit(TLFITS& Scan, TFITS& F, const std::vector<TPix>& Pix,
              const std::function<void(int32_t y, int32_t l, double& I)>& Edit = nullptr) {
  const int32_t ny = static_cast<int32_t>(Pix.size());
  memslit::SetUpHeader(Scan, F, ny);
  F.aData.assign(static_cast<size_t>(4) * ny * 112, 0);
  const double lam[2] = {6301.5, 6302.5}, g[2] = {1.669, 2.487};
  for (int32_t y = 1; y <= ny; ++y) {
    const TPix& p = Pix[static_cast<size_t>(y - 1)];
    for (int32_t l = 1; l <= 112; ++l) {
      double I = p.Ic, V = 0;
      for (int n = 0; n < 2; ++n) {
        const TLineSpec& s = p.L[n];
        if (s.D == 0) continue;
        const double u = (l - s.P0) / s.W, e = std::exp(-u * u);
        I -= p.Ic * s.D * e;
        const double dIdLam = p.Ic * s.D * 2 * u * e / s.W / kStep;
        V += -ZeemanDLam(g[n], lam[n], p.B) / 1000 * dIdLam;
      }
      if (Edit) Edit(y, l, I);
      const size_t at = static_cast<size_t>(y - 1) * 112 + (l - 1), plane = size_t(ny) * 112;
      F.aData[at] = Word(I);
      F.aData[3 * plane + at] = Word(V);
    }
  }
}

TEST(SlitMeasure, GaussianLinesMatchTheClosedForms) {
  TQuiet quiet;
  std::vector<TPix> pix;
  for (double b : {0.0, 200.0, 500.0, 1000.0, -500.0}) {
    TPix p;
    p.B = b;
    pix.push_back(p);
  }
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  f.BigCalc();
  f.CalcLCHalf();
  ASSERT_TRUE(f.Bit(3));
  const double g[2] = {1.669, 2.487}, lam[2] = {6301.5, 6302.5};
  for (int32_t y = 1; y <= f.nY; ++y) {
    const TPix& p = pix[static_cast<size_t>(y - 1)];
    SCOPED_TRACE("B=" + std::to_string(p.B));
    EXPECT_EQ(f.AClass[y], 5);
    EXPECT_NEAR(f.ACnt[y], 20000, 1);
    EXPECT_NEAR(f.AGRC1[y], p.L[0].P0, 0.01);
    EXPECT_NEAR(f.AGRC2[y], p.L[1].P0, 0.01);
    EXPECT_NEAR(f.ALC1[y], p.L[0].P0, 0.01);
    EXPECT_NEAR(f.ALC2[y], p.L[1].P0, 0.01);
    const double* aw[2] = {&f.AW1[y], &f.AW2[y]};
    const double* ahm[2] = {&f.AHM1[y], &f.AHM2[y]};
    const double* ahg[2] = {&f.AHG1[y], &f.AHG2[y]};
    for (int n = 0; n < 2; ++n) {
      const double w = p.L[n].D * p.L[n].W * std::sqrt(kPi) * kStep * 1000;
      EXPECT_NEAR(*aw[n], w, 0.002 * w) << "line " << n + 1;
      if (p.B == 0) {
        EXPECT_NEAR(*ahm[n], 0, 1e-9);
        EXPECT_NEAR(*ahg[n], 0, 1e-9);
      } else {
        EXPECT_NEAR(*ahm[n], -p.B, 0.005 * std::fabs(p.B)) << "line " << n + 1;
        if (std::fabs(p.B) == 200) {
          EXPECT_NEAR(*ahg[n], -p.B, 0.02 * 200) << "line " << n + 1;
        }
      }
    }
  }
  // V flipped (B -500 against 500): moments and fields flip, the widths stay
  EXPECT_NEAR(f.AVM1[5], -f.AVM1[3], 1e-6 * std::fabs(f.AVM1[3]) + 1e-9);
  EXPECT_NEAR(f.AHM2[5], -f.AHM2[3], 1e-6 * std::fabs(f.AHM2[3]));
  EXPECT_NEAR(f.AHG1[5], -f.AHG1[3], 0.01 * std::fabs(f.AHG1[3]));
  EXPECT_DOUBLE_EQ(f.AW1[5], f.AW1[3]);
  EXPECT_DOUBLE_EQ(f.AW2[5], f.AW2[3]);
  // sums over the halves of the profile: the depth area is the equivalent width, the V lobes
  // are dlambda_B d
  f.CalcSumsFine(0, 1.0);
  for (int32_t y = 1; y <= f.nY; ++y) {
    const TPix& p = pix[static_cast<size_t>(y - 1)];
    for (int n = 1; n <= 2; ++n) {
      const double aw = n == 1 ? f.AW1[y] : f.AW2[y];
      EXPECT_NEAR(f.ArN2[7][n][y], aw, 0.002 * aw);
      if (p.B == 0) continue;
      const double split = ZeemanDLam(g[n - 1], lam[n - 1], std::fabs(p.B)) * p.L[n - 1].D;
      EXPECT_NEAR(std::fabs(f.ArN2[1][n][y]), split, 0.01 * split) << "B " << p.B << " n " << n;
      EXPECT_NEAR(std::fabs(f.ArN2[2][n][y]), split, 0.01 * split) << "B " << p.B << " n " << n;
    }
  }
  // mode 3 leaves the bank as it was
  const TARe before = f.ArN2[7][1];
  f.ArN2[7][1][1] = 12345;
  f.CalcSumsFine(3, 1.0);
  EXPECT_EQ(f.ArN2[7][1][1], 12345);
  EXPECT_EQ(f.ArN2[7][1][2], before[2]);
  // bisectors stand on the centre, the obsolete fits find it too
  for (int k = 1; k <= 5; ++k) EXPECT_NEAR(f.ABiC1[k][1], 30.3, 0.05) << "band " << k;
  EXPECT_NEAR(f.A35C2[3][1], 76.35, 0.1);
}

TEST(SlitMeasure, MinimumRejectionAtFiveNotFourPixels) {
  TQuiet quiet;
  // n pixels with the line minimum at 30 and one at 30 + (n + 1)/n * dev: that pixel lies dev
  // pixels from the slit mean of the minima
  struct TCase {
    int n;
    double outlier;
    bool rejected;
  } cases[] = {{4, 35, false}, {5, 36, true}};
  for (const TCase& c : cases) {
    std::vector<TPix> pix(static_cast<size_t>(c.n + 1));
    for (TPix& p : pix) p.L[0].P0 = 30;
    pix.back().L[0].P0 = c.outlier;
    TLFITS scan;
    TFITS f;
    MakeSlit(scan, f, pix);
    f.GetContAll();
    f.CalcLCHalf();
    f.CalcL5_1_2();
    const int32_t y = c.n + 1;
    EXPECT_EQ(f.ALd01[y], c.rejected ? 0 : static_cast<int>(c.outlier)) << c.n;
    EXPECT_EQ(f.ALC1[y] == 0, c.rejected) << c.n;
    EXPECT_NEAR(f.ALC1[1], 30, 0.01);
    EXPECT_NEAR(f.LCMean2, 76.35, 0.05);
  }
}

TEST(SlitMeasure, LevelEqualToAPixelIsThatPixel) {
  TQuiet quiet;
  std::vector<TPix> pix(1);
  TLFITS scan;
  TFITS f;
  // line 1 a V (the deepest line): continuum 20000, 12500 at 29, 5000 at 30, 14000 at 31
  MakeSlit(scan, f, pix, [](int32_t, int32_t l, double& I) {
    if (l <= 56) I = l == 29 ? 12500 : l == 30 ? 5000 : l == 31 ? 14000 : 20000;
  });
  f.ACnt.assign(2, 20000.0);  // the level (5000 + 20000) / 2 equals pixel 29
  f.ALC1.assign(2, 30.0);
  f.ALC2.assign(2, 76.0);
  f.CalcL5_1_2();
  EXPECT_NEAR(f.ALC1[1], (29 + 30 + 7500.0 / 9000) / 2, 1e-12);
  // the red wing never comes back to the level up to pixel 112: the pixel stays 0
  TLFITS scan2;
  TFITS g;
  MakeSlit(scan2, g, pix, [](int32_t, int32_t l, double& I) {
    I = l == 30 ? 5000 : l < 30 ? 20000 : 10000;
  });
  g.ACnt.assign(2, 20000.0);
  g.ALC1.assign(2, 30.0);
  g.ALC2.assign(2, 76.0);
  g.CalcL5_1_2();
  EXPECT_EQ(g.ALC1[1], 0);
}

TEST(SlitMeasure, HalfDepthPositionsTakeTheDeeperLineFirst) {
  TQuiet quiet;
  std::vector<TPix> pix(3);
  for (TPix& p : pix) {
    p.L[0].D = 0.4;
    p.L[1].D = 0.7;
  }
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  f.GetContAll();
  f.CalcLCHalf();
  EXPECT_NEAR(f.ALC1[2], 76.35, 0.01);
  EXPECT_NEAR(f.ALC2[2], 30.3, 0.01);
  EXPECT_LT(f.Ad01[2], f.Ad02[2]);
}

TEST(SlitMeasure, LoadersWithoutMapsLeaveTheColumns) {
  TQuiet quiet;
  ResetScanServices();
  std::vector<TPix> pix(2);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  f.Ad01 = {0, 7, 8};
  EXPECT_FALSE(f.Loadd0Columns());
  EXPECT_EQ(f.Ad01, (TAIn{0, 7, 8}));
  EXPECT_FALSE(f.LoadLd0Columns());
  EXPECT_FALSE(f.LoadLCColumns());
  EXPECT_FALSE(f.LoadLWColumns());
  EXPECT_FALSE(f.LoadVWMeans());
  // without the minima maps the level positions are measured
  f.GetContAll();
  f.CalcLCLevel(0.5);
  EXPECT_NEAR(f.ALC1[1], 30.3, 0.01);
}

TEST(SlitMeasure, DegenerateProfilesGiveFiniteZeros) {
  TQuiet quiet;
  std::vector<TPix> pix(3);
  pix[1].L[0].D = pix[1].L[1].D = 0;  // flat: no line
  pix[2].Ic = 0;                      // nothing at all
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  f.BigCalc();
  EXPECT_TRUE(f.Bit(3));
  EXPECT_EQ(f.AHM1[2], 0);
  EXPECT_EQ(f.AHM2[3], 0);
  for (const TARe* c : {&f.AW1, &f.AW2, &f.AVM1, &f.AHM1, &f.AHM2, &f.AHG1, &f.AHG2, &f.AGRC1,
                        &f.AGRC2})
    for (double v : *c) EXPECT_TRUE(std::isfinite(v));
  for (int k = 1; k <= 9; ++k)
    for (double v : f.ABiC1[k]) EXPECT_TRUE(std::isfinite(v));
  // the filter sums of a zero continuum are 0
  f.CalcFiltSums(20, 40, "", true);
  EXPECT_EQ(f.ArN2[1][1][3], 0);
  EXPECT_EQ(f.ArN2[2][1][2], 0);
}

TEST(SlitMeasure, NoSmoothingWidthWarnsAndUsesTheProfile) {
  std::vector<TPix> pix(1);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  scan.ContSmooth = 0;
  TJob job("cont");
  RunJob(job, [&](TJob&) {
    double m1 = 0, m2 = 0;
    int32_t i1 = 0, i2 = 0;
    f.GetICont_01(0, 10, m1, m2, i1, i2);
    EXPECT_EQ(m1, 20000);
    EXPECT_EQ(i1, 1);
  });
  ASSERT_EQ(job.WarningCount(), 1);
  EXPECT_NE(job.Warnings()[0].Text.find("lsmooth=0"), std::string::npos);
}

TEST(SlitMeasure, SumWindowsOfTwoPixelsAndWholeHalves) {
  TQuiet quiet;
  std::vector<TPix> pix(1);
  pix[0].L[1].D = 0;
  TLFITS scan;
  TFITS f;
  // line 2 a two-pixel dip: 6000 at 56, 5000 at 57, the continuum from 58 on
  MakeSlit(scan, f, pix, [](int32_t, int32_t l, double& I) {
    if (l == 56) I = 6000;
    if (l == 57) I = 5000;
  });
  const size_t vPlane = 3 * size_t(112);
  f.aData[vPlane + 56] = 100;  // V at pixels 57 and 58
  f.aData[vPlane + 57] = 100;
  f.ACnt.assign(2, 20000.0);
  f.ALC1.assign(2, 30.3);
  f.ALC2.assign(2, 57.0);
  int32_t s = 0, e = 0;
  TAIn A;
  ASSERT_TRUE(f.GetCol3(1, 1, A));
  f.GetLineBounds(A, 1, 57, 40, 74, 0.9, s, e);
  EXPECT_EQ(s, 55);  // raised to 57 for line 2
  EXPECT_EQ(e, 58);
  const double N = kStep * 1000 / 20000;
  struct TCase {
    double Frac;
    double k7, k1;  // line 2
  } cases[] = {
      // [57, 58]: no interior pixel, nI = 1, both ends count half in V
      {0.9, (20000 - (5000 + 20000) / 2) * N, -100 * N},
      // frac 1: pixels 57..112 whatever the position
      {1.0, (55 * 20000.0 - (20000 * 54 + (5000 + 20000) / 2)) * N, -150 * N},
  };
  for (const TCase& c : cases) {
    f.CalcSumsFine(0, c.Frac);
    EXPECT_NEAR(f.ArN2[7][2][1], c.k7, 1e-9) << c.Frac;
    EXPECT_NEAR(f.ArN2[1][2][1], c.k1, 1e-9) << c.Frac;
    EXPECT_EQ(f.ArN2[2][2][1], 0) << c.Frac;        // no negative V
    EXPECT_EQ(f.ArN2[9][2][1], 57) << c.Frac;       // its centre is the line's
  }
  // line centres near the edges are clamped to 2 and 111 before the minimum search
  for (double L : {0.5, 2.4}) {
    f.GetLineBounds(A, 1, L, L - 16, L + 16, 0.9, s, e);
    EXPECT_GE(s, 1);
    EXPECT_LE(e, 112);
  }
}

TEST(SlitMeasure, SettledCentreOfGravityIsTheFirstWindowsCentre) {
  TQuiet quiet;
  std::vector<TPix> pix(1);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  double g1 = 0, g2 = 0;
  f.CalcCGrav(1, g1, g2);
  TAIn A;
  ASSERT_TRUE(f.GetCol3(1, 1, A));
  const TARe X(A.begin(), A.end());
  const double w = 0.35 / kStep;
  const double l1 = LineCenter0_IR(1, 56, A), l2 = LineCenter0_IR(57, 112, A);
  EXPECT_EQ(g1, LineCenter_RI(X, l1 - w, l1 + w));
  EXPECT_EQ(g2, LineCenter_RI(X, l2 - w, l2 + w));
  EXPECT_NEAR(g1, 30.3, 0.01);
  EXPECT_TRUE(scan.CalcReport.Count() == 0);
}

TEST(SlitMeasure, CentreIterationSteps) {
  // results R[1..n]; alternating from step 4 on, except the same-direction row
  const double R[16] = {0, 10, 11, 10.5, 10.9, 10.4, 10.8, 10.45, 10.75, 10.5, 10.7,
                        10.55, 10.65, 10.58, 10.62, 10.6};
  auto mean = [&](int a, int b) {
    double m = 0;
    for (int i = a; i <= b; ++i) m += R[i];
    return m / (b - a + 1);
  };
  struct TCase {
    int n;
    double expected;
  } cases[] = {
      {2, R[2]},                                    // the result
      {3, (R[3] + 9.0) / 2},                        // the mean with the estimate
      {5, (2 * mean(4, 5) + R[5]) / 3},             // alternating: 2/3 of the mean
      {8, (2 * mean(4, 8) + R[8]) / 3},
      {9, (6 * mean(4, 9) + R[9]) / 7},             // after the eighth step 6/7
      {12, (6 * mean(7, 12) + R[12]) / 7},          // the mean of the last six
      {13, (48 * mean(8, 13) + R[13]) / 49},        // after the twelfth 48/49
  };
  for (const TCase& c : cases) EXPECT_DOUBLE_EQ(CGravNextEstimate(R, c.n, 9.0), c.expected) << c.n;
  const double same[6] = {0, 10, 11, 10.5, 10.2, 10.1};  // two steps the same way
  EXPECT_EQ(CGravNextEstimate(same, 5, 9.0), 10.1);
}

TEST(SlitMeasure, CentreIterationStopsAfterFourteenSteps) {
  // Line 1 replaced by two dips 19 pixels apart: each window's centre lands near the other dip,
  // the iteration swings between them and is stopped after step 14 with the mean of the last six
  // results. Line 2 settles as usual.
  TQuiet quiet;
  std::vector<TPix> pix(1);
  pix[0].L[0].D = 0;
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix, [](int32_t, int32_t l, double& I) {
    for (const TLineSpec& d : {TLineSpec{14.96, 0.68, 3.40}, TLineSpec{33.65, 0.78, 2.09}})
      I -= 20000 * d.D * std::exp(-std::pow((l - d.P0) / d.W, 2));
  });
  double g1 = 0, g2 = 0;
  f.CalcCGrav(1, g1, g2);
  ASSERT_EQ(scan.CalcReport.Count(), 1);
  const std::string rep = scan.CalcReport[0];
  EXPECT_NE(rep.find(") Lam6301 походу мы зациклились:"_cp), std::string::npos) << rep;
  EXPECT_NE(rep.find("kRep=15 dPix="), std::string::npos) << rep;
  // the rows: step, result of each line // estimate of each line
  std::istringstream in(rep);
  std::string line;
  std::vector<double> r1;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    int step = 0;
    double a = 0, b = 0;
    std::string sep;
    if (row >> step >> a >> b >> sep && sep == "//") r1.push_back(a);
  }
  ASSERT_EQ(r1.size(), 15u) << rep;
  double mean = 0;
  for (size_t i = 9; i < 15; ++i) mean += r1[i] / 6;
  EXPECT_NEAR(g1, mean, 1e-4);
  // the latest |r - l| after " dPix=" moved by more than the tolerance: not settled
  const double dPix = std::stod(rep.substr(rep.find(" dPix=") + 6));
  EXPECT_GE(dPix, 0.05);
  EXPECT_NEAR(g2, pix[0].L[1].P0, 0.01);
}

TEST(SlitMeasure, ParallelBisectorsAreTheSerialOnes) {
  std::vector<TPix> pix(24);
  for (size_t i = 0; i < pix.size(); ++i) {
    pix[i].L[0].P0 = 28 + 0.17 * i;
    pix[i].L[1].W = 3 + 0.05 * i;
    pix[i].B = 40.0 * i;
  }
  pix[5].L[0].D = pix[5].L[1].D = 0;  // flat: the bisector warnings
  pix[9].Ic = 0;                      // nothing at all
  auto run = [&](int32_t Threads, std::vector<TJob::TWarning>& Warned) {
    TLFITS scan;
    TFITS f;
    MakeSlit(scan, f, pix);
    f.GetContAll();
    f.Threads = Threads;
    TJob job("bisec");
    RunJob(job, [&](TJob&) { f.CalcBisec(); });
    Warned = job.Warnings();
    std::vector<TARe> r;
    for (int k = 1; k <= 9; ++k)
      for (const TARe* c : {&f.ABiC1[k], &f.ABiC2[k], &f.ABiW1[k], &f.ABiW2[k]}) r.push_back(*c);
    for (int m = 3; m <= 5; ++m)
      for (const TARe* c : {&f.A35C1[m], &f.A35I2[m], &f.A35D1[m]}) r.push_back(*c);
    r.push_back(TARe(f.ANExt1.begin(), f.ANExt1.end()));
    return r;
  };
  std::vector<TJob::TWarning> w1, w4;
  const auto serial = run(1, w1), parallel = run(4, w4);
  EXPECT_EQ(serial, parallel);
  ASSERT_EQ(w1.size(), w4.size());
  ASSERT_FALSE(w1.empty());
  for (size_t i = 0; i < w1.size(); ++i) {
    EXPECT_EQ(w1[i].Text, w4[i].Text);
    EXPECT_EQ(w1[i].Count, w4[i].Count);
  }
}

TEST(SlitMeasure, WingPositionsOfASymmetricLine) {
  TQuiet quiet;
  std::vector<TPix> pix(2);
  for (TPix& p : pix) {
    p.L[0].P0 = 30;
    p.L[1].P0 = 76;
  }
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  bool err = true;
  f.CalcLW(err);
  EXPECT_FALSE(err);
  for (int n = 1; n <= 2; ++n) {
    const double core = n == 1 ? 30 : 76;
    const double xb = f.ArN2[1][n][1], xr = f.ArN2[2][n][1];
    EXPECT_LT(xb, core);
    EXPECT_NEAR(core - xb, xr - core, 1e-3) << n;
    // the level lies halfway between the wing tops and the core bottom
    TAIn A;
    ASSERT_TRUE(f.GetCol3(1, 1, A));
    EXPECT_GT(f.ArN2[3][n][1], A[static_cast<int>(core)]);
    EXPECT_LT(f.ArN2[3][n][1], 20000);
  }
}

// Columns that a run fills, for comparing two runs.
std::vector<TARe> Columns(const TFITS& F) {
  std::vector<TARe> r = {F.ACnt, F.AGRC1, F.AGRC2, F.AW1, F.AW2, F.AVM1, F.AHM1, F.AHG2};
  for (int k = 1; k <= 9; ++k) r.push_back(F.ABiC2[k]);
  return r;
}

TEST(SlitMeasure, CancelStopsBetweenFilesAndARerunMatches) {
  TQuiet quiet;
  testsupport::TempDir root;
  TScanGenOptions o;
  o.Files = 5;
  o.NY = 12;
  const std::string folder = GenerateScan(root.str(), o);
  ASSERT_FALSE(folder.empty());
  auto open = [&](TLFITS& S) {
    TJob j("load");
    RunJob(j, [&](TJob& J) {
      S.Link(folder);
      S.SetOptions(350, 350, 1.0, 20);
      ASSERT_TRUE(S.LoadHeaders(J));
      ASSERT_TRUE(S.LoadData(J));
    });
  };
  TLFITS full, cut;
  open(full);
  open(cut);
  TJob a("all");
  RunJob(a, [&](TJob& J) { EXPECT_TRUE(full.CalcIntegrVal(J)); });
  EXPECT_TRUE(full.Bit(3));
  TJob b("cancelled");
  b.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 2) b.Cancel();
  };
  RunJob(b, [&](TJob& J) { EXPECT_FALSE(cut.CalcIntegrVal(J)); });
  EXPECT_FALSE(cut.Bit(3));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(cut.Files[i]->Bit(3), i < 2) << i;
    if (i >= 2) {
      EXPECT_TRUE(cut.Files[i]->AW1.empty()) << i;
    }
  }
  TJob c("again");
  RunJob(c, [&](TJob& J) { EXPECT_TRUE(cut.CalcIntegrVal(J)); });
  EXPECT_TRUE(cut.Bit(3));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Columns(*cut.Files[i]), Columns(*full.Files[i])) << i;
  EXPECT_EQ(cut.rLC1, full.rLC1);
}

}  // namespace

namespace {

// Slit pixels of many kinds: fields, shifted lines, a line too weak for the turning points (the
// iterative centres), a line near the edge (window reports), a flat and an empty profile.
std::vector<TPix> Varied(int N) {
  std::vector<TPix> pix(static_cast<size_t>(N));
  for (int i = 0; i < N; ++i) {
    TPix& p = pix[static_cast<size_t>(i)];
    p.L[0].P0 = 27 + 0.23 * i;
    p.L[1].W = 3 + 0.04 * i;
    p.B = 35.0 * i - 400;
    p.Ic = 15000 + 170 * i;
  }
  pix[3].L[1].D = 0.02;
  pix[7].L[0].P0 = 5;
  pix[7].L[1].D = 0.02;
  pix[11].L[0].D = pix[11].L[1].D = 0;
  pix[13].Ic = 0;
  return pix;
}

void SameBits(const TARe& A, const TARe& B, const char* Name) {
  ASSERT_EQ(A.size(), B.size()) << Name;
  EXPECT_EQ(std::memcmp(A.data(), B.data(), A.size() * sizeof(double)), 0) << Name;
}

void SameWarnings(const TJob& A, const TJob& B) {
  const auto a = A.Warnings(), b = B.Warnings();
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].Text, b[i].Text) << i;
    EXPECT_EQ(a[i].Count, b[i].Count) << a[i].Text;
  }
}

}  // namespace

TEST(SlitMeasure, RunInAJobIsTheStepsOneByOne) {
  const std::vector<TPix> pix = Varied(40);
  TLFITS s1, s2;
  TFITS f1, f2;
  MakeSlit(s1, f1, pix);
  MakeSlit(s2, f2, pix);
  s1.LineCenterDebug = s2.LineCenterDebug = true;
  f1.Threads = 4;
  f2.Threads = 1;
  TJob a("at once");
  RunJob(a, [&](TJob&) { f1.BigCalc(); });
  TJob b("steps");
  RunJob(b, [&](TJob&) {
    f2.LiteralSmoothing = true;  // the continuum as the smoothing routine itself gives it
    f2.GetContAll();
    f2.CalcSums();
    f2.AGRC1.assign(41, 0.0);
    f2.AGRC2.assign(41, 0.0);
    f2.AClass.assign(41, 0);
    f2.CalcCGravs();
    f2.MeanLinePos5();
    WARNAbs("aFITS.BigCalc " + ShortSt(7, f2.MeanLC1) + " " + ShortSt(7, f2.MeanLC2));
    f2.CalcEqw();
    f2.CalcBisec();
  });
  ASSERT_TRUE(f1.Bit(3));
  SameBits(f1.ACnt, f2.ACnt, "ACnt");
  SameBits(f1.AGRC1, f2.AGRC1, "AGRC1");
  SameBits(f1.AGRC2, f2.AGRC2, "AGRC2");
  EXPECT_EQ(f1.AClass, f2.AClass);
  EXPECT_NE(f1.AClass[4], 5);  // the iterative centres ran
  for (const TARe TFITS::*c : {&TFITS::AW1, &TFITS::AW2, &TFITS::AVM1, &TFITS::AVM2,
                                &TFITS::AHM1, &TFITS::AHM2, &TFITS::AHG1, &TFITS::AHG2})
    SameBits(f1.*c, f2.*c, "widths and fields");
  for (int k = 1; k <= 9; ++k) {
    SameBits(f1.ABiC1[k], f2.ABiC1[k], "ABiC1");
    SameBits(f1.ABiW2[k], f2.ABiW2[k], "ABiW2");
  }
  for (int m = 3; m <= 5; ++m) SameBits(f1.A35D2[m], f2.A35D2[m], "A35D2");
  SameWarnings(a, b);
  EXPECT_GT(a.WarningCount(), 2);
  // the scan's report: window and debug lines in slit-pixel order
  EXPECT_EQ(s1.CalcReport.Text(), s2.CalcReport.Text());
  EXPECT_NE(s1.CalcReport.Text().find("CalcCGrav-jjErr:(iYA=8 "), std::string::npos);
}

namespace {

// The whole measurement's continuum against the smoothing routine, bit for bit, at each
// smoothing width; Before runs before each slit is made (a noise source starting again).
void ContinuumIsTheRoutines(const std::vector<TPix>& Pix,
                            const std::function<void(int32_t, int32_t, double&)>& Edit,
                            std::initializer_list<double> Widths,
                            const std::function<void()>& Before = [] {}) {
  for (double w : Widths) {
    TLFITS s1, s2;
    TFITS f1, f2;
    Before();
    MakeSlit(s1, f1, Pix, Edit);
    Before();
    MakeSlit(s2, f2, Pix, Edit);
    s1.ContSmooth = s2.ContSmooth = w;
    TJob a("at once");
    RunJob(a, [&](TJob&) { f1.BigCalc(); });
    TJob b("routine");
    RunJob(b, [&](TJob&) {
      f2.LiteralSmoothing = true;
      f2.GetContAll();
    });
    SameBits(f1.ACnt, f2.ACnt, "ACnt");
  }
}

}  // namespace

// The continuum of the whole-pixel run (only the rows that may hold the largest smoothed value
// summed in full) against the smoothing routine itself, bit for bit: noisy profiles with one
// clear largest value, ties on a flat continuum, and smoothing widths from under a pixel to
// every weight non-zero.
TEST(SlitMeasure, ContinuumOfTheWholePixelRunIsTheSmoothingsLargestValue) {
  const std::vector<TPix> pix = Varied(40);
  uint32_t seed = 12345;
  auto noise = [&seed](int32_t y, int32_t, double& I) {
    seed = seed * 1664525u + 1013904223u;
    if (y % 5 != 0) I += static_cast<double>(seed >> 20) / 4096.0 * 300 - 150;  // every 5th flat
  };
  ContinuumIsTheRoutines(pix, noise, {5.0, 20.0, 60.0, 5000.0}, [&seed] { seed = 12345; });
}

// A continuum flat at its largest value over many pixels (only the row blocks flat near their
// rows summed): lines anywhere (at the ends too) or none, a plateau one count lower, single low
// pixels, levels from 1000 to 60000 counts, against the smoothing routine bit for bit.
TEST(SlitMeasure, FlatContinuumIsTheSmoothingsLargestValue) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<TPix> pix(60);
  for (TPix& p : pix) {
    p.Ic = std::round(1000 + 59000 * u(rng));
    for (TLineSpec& l : p.L)
      l = {-5 + 122 * u(rng), u(rng) < 0.2 ? 0 : 0.9 * u(rng), 1 + 6 * u(rng)};
  }
  const auto edit = [&pix](int32_t y, int32_t l, double& I) {
    const double ic = pix[static_cast<size_t>(y - 1)].Ic;
    if (y % 3 == 1 && l >= 40 && l < 40 + y) I = std::min(I, ic - 1);  // a lower plateau
    if (y % 4 == 2 && (l * 7 + y) % 23 == 0) I -= 1;                   // single low pixels
  };
  ContinuumIsTheRoutines(pix, edit, {5.0, 20.0, 35.0, 60.0});
}

TEST(SlitMeasure, LoopsOnThreadsAreTheSerialOnes) {
  const std::vector<TPix> pix = Varied(33);
  struct TRun {
    TLFITS Scan;
    TFITS F;
    TJob Job{"run"};
    bool Err = false;
  };
  auto run = [&](TRun& R, int32_t Threads) {
    MakeSlit(R.Scan, R.F, pix);
    R.F.Threads = Threads;
    RunJob(R.Job, [&](TJob&) {
      R.F.FillContPair();
      R.F.CalcLCHalf();
      R.F.CalcSumsFine(0, 0.9);
      R.F.CalcLW(R.Err);
      R.F.CalcFiltSums(20, 40, "", true);
    });
  };
  TRun one, four;
  run(one, 1);
  run(four, 4);
  SameBits(one.F.ACnt2, four.F.ACnt2, "ACnt2");
  SameBits(one.F.ALC1, four.F.ALC1, "ALC1");
  SameBits(one.F.ALC2, four.F.ALC2, "ALC2");
  EXPECT_EQ(one.F.Ad01, four.F.Ad01);
  for (int k = 1; k <= 23; ++k)
    for (int n = 1; n <= 2; ++n) SameBits(one.F.ArN2[k][n], four.F.ArN2[k][n], "ArN2");
  EXPECT_EQ(one.Err, four.Err);
  SameWarnings(one.Job, four.Job);
}

TEST(SlitMeasure, CachedSmoothingIsTheSmoothingRoutineBitForBit) {
  std::vector<TPix> pix(1);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  TARe Y(113, 0.0);
  for (int i = 1; i <= 112; ++i) Y[i] = 20000 - 7000 * std::exp(-0.05 * (i - 30) * (i - 30)) +
                                        173 * std::sin(1.7 * i) + (i % 7) * 0.37;
  for (double w : {1.0, 20.0, 60.0, 5000.0}) {  // a few pixels .. every weight non-zero
    scan.ContSmooth = w;
    TARe cached, literal;
    scan.SmoothProfile(Y, cached);
    AReGSmooth(scan.Refs.ALam, Y, literal, w / 1000);
    SameBits(cached, literal, "smoothed");
    // a profile shorter than the wavelength list
    const TARe shortY(Y.begin(), Y.begin() + 60);
    scan.SmoothProfile(shortY, cached);
    AReGSmooth(scan.Refs.ALam, shortY, literal, w / 1000);
    SameBits(cached, literal, "short");
  }
}

// The short sums (no terms of the far columns after a row's own, nor of those far before it where
// the profile's smallest value allows) against the whole smoothing, on every row: line profiles on
// a flat continuum, noise, a pixel of 3 beside values near 2^31 (the dropped terms at their
// largest against the row's sum), and the profiles they must not serve.
TEST(SlitMeasure, ShortSmoothingSumsAreTheWholeOnesBitForBit) {
  std::vector<TPix> pix(1);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  uint32_t seed = 99;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 16777216.0;
  };
  const int32_t n = NOf(scan.Refs.ALam);
  ASSERT_EQ(n, 112);
  int64_t served = 0, leadOut = 0;
  for (double w : {1.0, 5.0, 20.0, 35.0, 60.0}) {
    const auto S = TSmoothWeights::Make(scan.Refs.ALam, w / 1000);
    if (w == 20.0) {
      EXPECT_GE(S->TailR, 1);  // the scans' own width takes them
      EXPECT_GE(S->LeadR, 1);
    }
    std::vector<double> a(static_cast<size_t>(n) + 1), b(a);
    for (int k = 0; k < 400; ++k) {
      std::vector<int32_t> y(static_cast<size_t>(n) + 1, 0);
      const double ic = 15000 + 15000 * rnd(), c1 = 20 + 20 * rnd(), c2 = 66 + 20 * rnd();
      for (int32_t i = 1; i <= n; ++i) {
        double v = ic * (1 - 0.7 * std::exp(-std::pow((i - c1) / 4.1, 2)) -
                         0.6 * std::exp(-std::pow((i - c2) / 3.3, 2)));
        if (k % 3 == 1) v += 300 * (rnd() - 0.5);
        y[static_cast<size_t>(i)] = static_cast<int32_t>(std::lround(v));
      }
      if (k % 5 == 2) {  // the far terms at their largest against a small row
        for (int32_t i = 1; i <= n; ++i) y[static_cast<size_t>(i)] = 2000000000 - i;
        y[static_cast<size_t>(1 + k % n)] = 3;
      }
      const bool zero = k % 7 == 3, negative = k % 11 == 4;
      const int32_t zeroAt = 1 + (k * 13) % n;  // a row with far terms refuses it
      if (zero) y[static_cast<size_t>(zeroAt)] = 0;
      if (negative) y[static_cast<size_t>(1 + (k * 17) % n)] = -5;
      if (!S->HeadOf(y.data())) continue;
      int32_t top = y[1], bottom = y[1];
      for (int32_t i = 1; i <= n; ++i) {
        top = std::max(top, y[static_cast<size_t>(i)]);
        bottom = std::min(bottom, y[static_cast<size_t>(i)]);
      }
      leadOut += S->FirstDiagonal(top, bottom) > 0;
      EXPECT_FALSE(negative);
      EXPECT_FALSE(zero && S->TailRatio[static_cast<size_t>(zeroAt - 1)] > 0);
      ++served;
      S->Smooth(y.data(), a.data());
      S->SmoothHead(y.data(), b.data());
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0) << w << " " << k;
    }
  }
  EXPECT_GT(served, 400);
  EXPECT_GT(leadOut, 200);  // the short sums without the far columns before the row too
}

TEST(SlitMeasure, LoadersReadTheScansMaps) {
  TQuiet quiet;
  ResetScanServices();
  std::vector<TPix> pix(3);
  TLFITS scan;
  TFITS f;
  MakeSlit(scan, f, pix);
  ASSERT_EQ(scan.ScanName, "20190622_164505");
  f.IXI = 1;  // the second slit file: column 1 of each map
  auto reg = [&](const std::string& Name, std::vector<float> Col) {
    TFIOut* m = LFIOReg().AddFIOut(scan.ScanName, Name, "", "1", 1, 2, 3, nullptr);
    m->aData.Assign(2, 3);
    for (int y = 0; y < 3; ++y) {
      m->aData[0][static_cast<size_t>(y)] = -1;
      m->aData[1][static_cast<size_t>(y)] = Col[static_cast<size_t>(y)];
    }
    m->kLoad = 4;
    return m;
  };
  // "d01" alone: no pair, nothing changes
  reg("d01", {7.5, 6.5, 5000.25f});
  f.Ad01 = {0, 1, 2, 3};
  EXPECT_FALSE(f.Loadd0Columns());
  EXPECT_EQ(f.Ad01, (TAIn{0, 1, 2, 3}));
  reg("d02", {-2.5, 3.5, 4});
  ASSERT_TRUE(f.Loadd0Columns());
  EXPECT_EQ(f.Ad01, (TAIn{0, 8, 6, 5000}));  // halves to the even neighbour
  EXPECT_EQ(f.Ad02, (TAIn{0, -2, 4, 4}));
  reg("LC501", {30.25, 31, 32});
  EXPECT_FALSE(f.LoadLCColumns());
  reg("LC502", {76.5, 77, 78});
  ASSERT_TRUE(f.LoadLCColumns());
  EXPECT_EQ(f.ALC1, (TARe{0, 30.25, 31, 32}));
  EXPECT_EQ(f.ALC2, (TARe{0, 76.5, 77, 78}));
  reg("GRC_6301", {30.3f, 30.4f, 30.5f});
  f.AGRC1 = {0, 9, 9, 9};
  f.LoadGRCColumns();  // "GRC_6302" missing: nothing
  EXPECT_EQ(f.AGRC1, (TARe{0, 9, 9, 9}));
  reg("GRC_6302", {76, 76.5, 77});
  f.LoadGRCColumns();
  EXPECT_EQ(f.AGRC2, (TARe{0, 76, 76.5, 77}));
  EXPECT_EQ(f.AGRC1[1], static_cast<double>(30.3f));
  for (const char* n : {"LWb1", "LWr1", "LWb2"}) reg(n, {1, 2, 3});
  EXPECT_FALSE(f.LoadLWColumns());
  reg("LWr2", {4, 5, 6});
  ASSERT_TRUE(f.LoadLWColumns());
  EXPECT_EQ(f.ALWr2, (TARe{0, 4, 5, 6}));
  reg("VW1", {1, 2, 3});
  reg("VW2", {2, 4, 9});
  ASSERT_TRUE(f.LoadVWMeans());
  EXPECT_DOUBLE_EQ(f.VWMean, (2.0 + 5.0) / 2);
  EXPECT_DOUBLE_EQ(f.VWDiff, 5.0 - 2.0);
  // registered but neither in memory nor in a file: false, the columns stay
  TFIOut* ld1 = reg("Ld01", {30, 30, 30});
  reg("Ld02", {76, 76, 76});
  ld1->kLoad = 0;
  f.ALd01 = {0, 5, 5, 5};
  EXPECT_FALSE(f.LoadLd0Columns());
  EXPECT_EQ(f.ALd01, (TAIn{0, 5, 5, 5}));
  // with both minima maps the level positions start from the stored minima
  ld1->kLoad = 4;
  f.GetContAll();
  TFIOut* d1 = LFIOReg().GetFIOutDT("20190622", "164505", "d01");
  TFIOut* d2 = LFIOReg().GetFIOutDT("20190622", "164505", "d02");
  TAIn A;
  ASSERT_TRUE(f.GetCol3(1, 1, A));
  for (int y = 0; y < 3; ++y) {
    d1->aData[1][static_cast<size_t>(y)] = static_cast<float>(A[30]);
    d2->aData[1][static_cast<size_t>(y)] = static_cast<float>(A[76]);
  }
  f.CalcLCLevel(0.5);
  EXPECT_EQ(f.ALd01, (TAIn{0, 30, 30, 30}));
  EXPECT_NEAR(f.ALC1[2], 30.3, 0.01);
  EXPECT_NEAR(f.ALC2[2], 76.35, 0.01);
  ResetScanServices();
}

// Several files measured in turn: on threads the next files' slit pixels start before the earlier
// files are handed over; columns, warnings (their order too), report lines and the progress are
// the file-by-file run's, also with set-up warnings (no smoothing width) and a cancel.
TEST(SlitMeasure, FilesOnThreadsAreTheFileByFileRun) {
  struct TRun {
    TLFITS Scan;
    std::vector<std::unique_ptr<TFITS>> F;
    TJob Job{"files"};
    std::vector<int32_t> Steps;
    bool Ok = false;
  };
  auto run = [](TRun& R, int32_t Threads, double Smooth, int32_t CancelAt) {
    for (int i = 0; i < 5; ++i) {
      std::vector<TPix> pix = Varied(17 + 6 * i);
      for (TPix& p : pix) p.L[1].P0 += 0.3 * i;
      R.F.push_back(std::make_unique<TFITS>());
      MakeSlit(R.Scan, *R.F.back(), pix);
      R.F.back()->Threads = Threads;
    }
    R.Scan.ContSmooth = Smooth;
    R.Scan.LineCenterDebug = true;
    std::vector<TFITS*> files;
    for (auto& f : R.F) files.push_back(f.get());
    RunJob(R.Job, [&](TJob& J) {
      R.Ok = TFITS::BigCalcFiles(files, [&](int32_t i) {
        R.Steps.push_back(i);
        if (i == CancelAt) J.Cancel();
        return J.Step(i, 5, "file");
      });
    });
  };
  const struct {
    int32_t Threads;
    double Smooth;
    int32_t CancelAt;
  } cases[] = {{4, 20, -1}, {3, 20, -1}, {4, 0, -1}, {4, 20, 2}, {8, 20, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Threads) + " threads, smoothing " + std::to_string(c.Smooth) +
                 ", cancel at " + std::to_string(c.CancelAt));
    TRun one, many;
    run(one, 1, c.Smooth, c.CancelAt);
    run(many, c.Threads, c.Smooth, c.CancelAt);
    EXPECT_EQ(one.Ok, c.CancelAt < 0);
    EXPECT_EQ(many.Ok, one.Ok);
    EXPECT_EQ(many.Steps, one.Steps);
    for (int i = 0; i < 5; ++i) {
      const TFITS &a = *one.F[i], &b = *many.F[i];
      EXPECT_EQ(b.Bit(3), a.Bit(3)) << i;
      EXPECT_EQ(b.Bit(3), c.CancelAt < 0 || i < c.CancelAt) << i;
      SameBits(a.ACnt, b.ACnt, "ACnt");
      SameBits(a.AGRC1, b.AGRC1, "AGRC1");
      SameBits(a.AW2, b.AW2, "AW2");
      SameBits(a.AHM1, b.AHM1, "AHM1");
      SameBits(a.ABiC2[5], b.ABiC2[5], "ABiC2");
      EXPECT_EQ(a.AClass, b.AClass) << i;
      EXPECT_EQ(a.MeanLC2, b.MeanLC2) << i;
      if (!b.Bit(3)) {
        EXPECT_TRUE(b.AW1.empty()) << i;
      }
    }
    SameWarnings(one.Job, many.Job);
    EXPECT_EQ(one.Scan.CalcReport.Text(), many.Scan.CalcReport.Text());
  }
}
