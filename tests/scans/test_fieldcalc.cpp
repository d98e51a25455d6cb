// The field measurements of one slit file on test slits built in memory: the two circular
// components I +- V = Ic (1 - d exp(-((p - c -+ D)/w)^2)) with D the Zeeman splitting of the
// longitudinal field in pixels, and weak-field Q, U = -(1/4) DB^2 sin^2(gamma) (cos, sin)(2 chi)
// d2I/dp2 of a known inclination and azimuth. Checked against closed forms computed here: the
// moments give +B (field vector), the centres of gravity of I +- V +B, the one-pixel line
// parameters -B for the same V (each routine keeps its own sign).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvCentre.h"
#include "foundation/cvJob.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvPixelH0.h"
#include "scans/cvScanServices.h"
#include "scans/support/MemSlit.h"
#include "support/TestSupport.h"

namespace {

constexpr double kStep = 0.021549, kPi = 3.14159265358979323846;
const double kLam[2] = {6301.5, 6302.5}, kG[2] = {1.669, 2.487};

struct TLine {
  double C = 0, D = 0, W = 0;  // centre, depth, width (pixels)
};
struct TPix {
  double Ic = 30000;
  TLine L[2] = {{30.3, 0.6, 4.15}, {76.35, 0.5, 3.31}};
  double B = 0, Gamma = 0, Chi = 0;  // G, degrees
  bool Flat = false, Zero = false;
};

// The splitting of line n for field B in pixels.
double Split(int n, double B) { return ZeemanDLam(kG[n], kLam[n], B) / 1000 / kStep; }

uint16_t Word(double V) { return static_cast<uint16_t>(static_cast<int32_t>(std::lround(V)) & 0xFFFF); }

// A slit file in memory (header read, data loaded) of the scan, one profile per TPix.
void MakeSlit(TLFITS& Scan, TFITS& F, const std::vector<TPix>& Pix) {
  const int32_t ny = static_cast<int32_t>(Pix.size());
  memslit::SetUpHeader(Scan, F, ny);
  const size_t plane = static_cast<size_t>(ny) * 112;
  F.aData.assign(4 * plane, 0);
  F.ACnt.assign(static_cast<size_t>(ny) + 1, 0.0);
  for (int32_t y = 1; y <= ny; ++y) {
    const TPix& p = Pix[static_cast<size_t>(y - 1)];
    F.ACnt[static_cast<size_t>(y)] = p.Zero ? 0 : p.Ic;
    const double g = p.Gamma / 180 * kPi, x = p.Chi / 180 * kPi;
    for (int32_t l = 1; l <= 112; ++l) {
      double Ip = p.Ic, Im = p.Ic, Q = 0, U = 0;
      for (int n = 0; n < 2 && !p.Flat; ++n) {
        const TLine& s = p.L[n];
        const double dl = Split(n, p.B * std::cos(g)), dB = Split(n, p.B);
        auto comp = [&](double u) { return p.Ic * s.D * std::exp(-u * u / (s.W * s.W)); };
        Ip -= comp(l - s.C - dl);
        Im -= comp(l - s.C + dl);
        // d2I/dp2 of I, the mean of the two components
        double d2 = 0;
        for (double u : {l - s.C - dl, l - s.C + dl})
          d2 -= comp(u) / 2 * (4 * u * u / std::pow(s.W, 4) - 2 / (s.W * s.W));
        const double a = -0.25 * dB * dB * std::sin(g) * std::sin(g) * d2;
        Q += a * std::cos(2 * x);
        U += a * std::sin(2 * x);
      }
      double I = (Ip + Im) / 2, V = (Ip - Im) / 2;
      if (p.Zero) I = V = Q = U = 0;
      const size_t at = static_cast<size_t>(y - 1) * 112 + (l - 1);
      F.aData[at] = Word(I);
      F.aData[plane + at] = Word(Q);
      F.aData[2 * plane + at] = Word(U);
      F.aData[3 * plane + at] = Word(V);
    }
  }
}

// Warnings go to a job, never to a box.
struct TQuiet {
  TJob Job{"quiet"};
  TJobScope Scope{Job};
  bool Has(const std::string& Part) const {
    for (const auto& w : Job.Warnings())
      if (w.Text.find(Part) != std::string::npos) return true;
    return false;
  }
};

// The mean full width of a Gaussian of width W over depression fractions F1..F2 (midpoint rule).
double MeanWidth(double W, double F1, double F2) {
  const int n = 20000;
  double s = 0;
  for (int i = 0; i < n; ++i) {
    const double f = F1 + (F2 - F1) * (i + 0.5) / n;
    s += 2 * W * std::sqrt(-std::log(f));
  }
  return s / n;
}

class FieldCalc : public ::testing::Test {
 protected:
  void SetUp() override { ResetScanServices(); }
  void TearDown() override { ResetScanServices(); }
  TLFITS scan;
  TFITS f;
};

// ---------------------------------------------------------------- CalcIVcog, CalcIVcog05

TEST_F(FieldCalc, IVcogBandsGiveTheFieldAndTheRestPixelGivesMinusVW) {
  TPix p;
  p.B = 1200;
  // each line at its rest pixel: (c - 56.5) x 21.549 mA = -(line offset)
  p.L[0].C = 56.5 - 0.5792 / kStep;
  p.L[1].C = 56.5 + 0.4132 / kStep;
  MakeSlit(scan, f, {p, p});
  TQuiet q;
  f.CalcIVcog(0.3, -0.2);
  const double vw[2] = {0.3, -0.2};
  for (int n = 1; n <= 2; ++n) {
    for (int j = 1; j <= 9; ++j) {
      SCOPED_TRACE("line " + std::to_string(n) + " band " + std::to_string(j));
      EXPECT_NEAR(f.ArN2[j][n][2], 1200, 12);
      EXPECT_NEAR(f.ArN2[j + 9][n][2], -vw[n - 1], 0.02);
    }
  }
  // bands 1, 5 and 9 of line 1 are the foundation's sliced centres of gravity, bit for bit
  {
    TAIn I, V;
    ASSERT_TRUE(f.GetCol3(2, 1, I));
    ASSERT_TRUE(f.GetCol3(2, 4, V));
    TARe P(113, 0.0), M(113, 0.0);
    double mp = 1e300, mm = 1e300;
    for (int i = 1; i <= 112; ++i) {
      P[i] = double(I[i]) + V[i];
      M[i] = double(I[i]) - V[i];
      if (i <= 52) {
        mp = std::min(mp, P[i]);
        mm = std::min(mm, M[i]);
      }
    }
    const double mean = (mp + mm) / 2, D = f.ACnt[2] - mean, k1 = 0.06188150667260403 / 21.549;
    for (int j : {1, 5, 9}) {
      const double lo = j == 1 ? std::min(mp, mm) : mean + (j - 1) * D / 10;
      const double hi = mean + (j + 1) * D / 10;
      double w = 0;
      const double cp = SlicedCOGIdx(1, 52, P, w, lo, hi), cm = SlicedCOGIdx(1, 52, M, w, lo, hi);
      EXPECT_EQ(f.ArN2[j][1][2], (cp - cm) / k1) << j;
    }
  }
  f.CalcIVcog05(0.3, -0.2);
  for (int n = 1; n <= 2; ++n)
    for (int j = 1; j <= 2; ++j) {
      SCOPED_TRACE("core line " + std::to_string(n) + " j " + std::to_string(j));
      EXPECT_NEAR(f.ArN2[j][n][1], 1200, 12);
      // the 3 % core of line 2 spans about one sample: its polygon's centre is off by < 0.1 px
      EXPECT_NEAR(f.ArN2[j + 2][n][1], -vw[n - 1], j == 1 ? 0.02 : 0.1);
    }
}

TEST_F(FieldCalc, LIVCentreDistanceAndWidths) {
  TPix p;
  p.B = 900;
  MakeSlit(scan, f, {p});
  TQuiet q;
  f.CalcLIV();
  for (int n = 1; n <= 2; ++n) {
    SCOPED_TRACE("line " + std::to_string(n));
    const TLine& s = p.L[n - 1];
    EXPECT_NEAR(f.ArN2[1][n][1], s.C, 0.02);
    EXPECT_NEAR(f.ArN2[2][n][1], 2 * Split(n - 1, 900), 0.02);
    // the levels 0.4 and 0.6 of the depth above the bottom: depression fractions 0.4..0.6
    const double w = MeanWidth(s.W, 0.4, 0.6);
    EXPECT_NEAR(f.ArN2[3][n][1], w, 0.1);
    EXPECT_NEAR(f.ArN2[4][n][1], w, 0.1);
  }
  // the slices are the foundation's sliced centre of gravity, bit for bit
  TAIn I, V;
  ASSERT_TRUE(f.GetCol3(1, 1, I));
  ASSERT_TRUE(f.GetCol3(1, 4, V));
  TARe P(113, 0.0), M(113, 0.0);
  for (int i = 1; i <= 112; ++i) {
    P[i] = double(I[i]) + V[i];
    M[i] = double(I[i]) - V[i];
  }
  const int lo[3] = {0, 1, 59}, hi[3] = {0, 52, 112};
  for (int n = 1; n <= 2; ++n) {
    double mp = P[lo[n]], mm = M[lo[n]];
    for (int i = lo[n]; i <= hi[n]; ++i) {
      mp = std::min(mp, P[i]);
      mm = std::min(mm, M[i]);
    }
    const double mean = (mp + mm) / 2, D = f.ACnt[1] - mean;
    double wp = 0, wm = 0;
    const double cp = SlicedCOGIdx(lo[n], hi[n], P, wp, mean + 0.4 * D, mean + 0.6 * D);
    const double cm = SlicedCOGIdx(lo[n], hi[n], M, wm, mean + 0.4 * D, mean + 0.6 * D);
    EXPECT_EQ(f.ArN2[1][n][1], (cp + cm) / 2);
    EXPECT_EQ(f.ArN2[2][n][1], cp - cm);
    EXPECT_EQ(f.ArN2[3][n][1], cp < cm ? wp : wm);
  }
}

TEST_F(FieldCalc, NoVGivesZeroFieldsAndEqualWidths) {
  TPix p;  // B = 0
  MakeSlit(scan, f, {p});
  TQuiet q;
  f.CalcLIV();
  for (int n = 1; n <= 2; ++n) {
    EXPECT_EQ(f.ArN2[2][n][1], 0);
    EXPECT_EQ(f.ArN2[3][n][1], f.ArN2[4][n][1]);
  }
  f.CalcIVcog(0, 0.5);  // one velocity is enough
  for (int n = 1; n <= 2; ++n)
    for (int j = 1; j <= 9; ++j) EXPECT_EQ(f.ArN2[j][n][1], 0);
  EXPECT_EQ(f.ArN2[19][1][1], 0);
  EXPECT_FALSE(q.Has("CalcIVcog=ERR"));
}

TEST_F(FieldCalc, BothVelocitiesZeroLeaveTheBankUntouched) {
  MakeSlit(scan, f, {TPix{}});
  f.ArN2[5][1].assign(2, 7.0);
  TQuiet q;
  f.CalcIVcog(0, 0);
  f.CalcIVcog05(0, 0);
  EXPECT_TRUE(q.Has("FITS.CalcIVcog=ERR"));
  EXPECT_TRUE(q.Has("FITS.CalcIVcog05=ERR"));
  EXPECT_EQ(f.ArN2[5][1], TARe(2, 7.0));
  EXPECT_TRUE(f.ArN2[1][1].empty());
}

// Flat and zero pixels have no depth: the asymmetry would divide by zero.
TEST_F(FieldCalc, FlatAndZeroPixelsGiveZeroAsymmetryAndOneWarning) {
  TPix flat, zero, line;
  flat.Flat = true;
  zero.Zero = true;
  line.B = 500;
  MakeSlit(scan, f, {flat, zero, line, flat});
  TQuiet q;
  f.CalcIVcog(0.1, 0.1);
  int warnings = 0;
  for (const auto& w : q.Job.Warnings())
    if (w.Text.find("without depth") != std::string::npos) {
      ++warnings;
      EXPECT_NE(w.Text.find("6 line(s)"), std::string::npos) << w.Text;
    }
  EXPECT_EQ(warnings, 1);
  EXPECT_FALSE(q.Has("SlicedCOG"));  // no slices of a flat line
  for (int y : {1, 2, 4}) {
    EXPECT_EQ(f.ArN2[19][1][y], 0);
    for (int j = 1; j <= 18; ++j) EXPECT_EQ(f.ArN2[j][1][y], 0);
  }
  EXPECT_NEAR(f.ArN2[1][1][3], 500, 5);
  // a run counts instead of warning
  TQuiet q2;
  int32_t count = 0;
  f.CalcIVcog(0.1, 0.1, &count);
  EXPECT_EQ(count, 6);
  EXPECT_FALSE(q2.Has("without depth"));
}

// ---------------------------------------------------------------- CalcWMom

void MomentInputs(TFITS& F, const std::vector<TPix>& Pix) {
  const size_t n = Pix.size() + 1;
  for (TARe* c : {&F.AGRC1, &F.AGRC2, &F.ALWb1, &F.ALWr1, &F.ALWb2, &F.ALWr2}) c->assign(n, 0.0);
  for (size_t y = 1; y < n; ++y) {
    const TPix& p = Pix[y - 1];
    F.AGRC1[y] = p.L[0].C;
    F.AGRC2[y] = p.L[1].C;
    F.ALWb1[y] = p.L[0].C - 2 * p.L[0].W;
    F.ALWr1[y] = p.L[0].C + 2 * p.L[0].W;
    F.ALWb2[y] = p.L[1].C - 2 * p.L[1].W;
    F.ALWr2[y] = p.L[1].C + 2 * p.L[1].W;
  }
}

TEST_F(FieldCalc, MomentsGiveWidthFieldInclinationAndAzimuth) {
  struct TCase {
    double B, Gamma, Chi;
  };
  const TCase cases[] = {{1500, 60, 30}, {1200, 120, 135}, {2000, 45, 45}, {800, 30, 100}};
  std::vector<TPix> pix;
  for (const TCase& c : cases) {
    TPix p;
    p.B = c.B;
    p.Gamma = c.Gamma;
    p.Chi = c.Chi;
    pix.push_back(p);
  }
  MakeSlit(scan, f, pix);
  MomentInputs(f, pix);
  TQuiet q;
  f.CalcWMom();
  for (size_t i = 0; i < pix.size(); ++i) {
    const TCase& c = cases[i];
    const int y = static_cast<int>(i) + 1;
    for (int n = 1; n <= 2; ++n) {
      SCOPED_TRACE("case " + std::to_string(i) + " line " + std::to_string(n));
      const TLine& s = pix[i].L[n - 1];
      const double W = s.D * s.W * std::sqrt(kPi) * 21.549;
      const double g = c.Gamma / 180 * kPi;
      EXPECT_NEAR(f.ArN2[1][n][y], W, 0.002 * W);
      EXPECT_NEAR(f.ArN2[2][n][y], c.B * std::cos(g), 0.01 * c.B * std::fabs(std::cos(g)));
      EXPECT_NEAR(f.ArN2[3][n][y], c.B * std::sin(g), 0.01 * c.B * std::sin(g));
      EXPECT_NEAR(f.ArN2[4][n][y], c.Gamma, 0.5);
      EXPECT_NEAR(f.ArN2[5][n][y], c.Chi, 0.5);
    }
  }
}

TEST_F(FieldCalc, MomentsOfAnUnpolarisedAndAFlatPixel) {
  TPix plain, flat;
  flat.Flat = true;
  MakeSlit(scan, f, {plain, flat});
  MomentInputs(f, {plain, plain});
  TQuiet q;
  f.CalcWMom();
  for (int n = 1; n <= 2; ++n) {
    for (int k : {2, 3, 6, 7}) EXPECT_EQ(f.ArN2[k][n][1], 0) << k;
    EXPECT_EQ(f.ArN2[4][n][1], 90);
    EXPECT_EQ(f.ArN2[5][n][1], 0);
  }
  // a profile equal to the continuum: the replacement widths
  EXPECT_EQ(f.ArN2[1][1][2], 150);
  EXPECT_EQ(f.ArN2[1][2][2], 100);
}

TEST_F(FieldCalc, MomentWindowsAreCutToTheSpectrum) {
  TPix p;
  p.B = 1000;
  p.Gamma = 40;
  p.Chi = 20;
  MakeSlit(scan, f, {p, p});
  MomentInputs(f, {p, p});
  // wing positions 5 and 13 both put the window's start at pixel 1, 105 and 100 its end at 112
  f.ALWb1[1] = 5;
  f.ALWb1[2] = 13;
  f.ALWr2[1] = 105;
  f.ALWr2[2] = 100;
  TQuiet q;
  f.CalcWMom();
  for (int k = 1; k <= 7; ++k)
    for (int n = 1; n <= 2; ++n) EXPECT_EQ(f.ArN2[k][n][1], f.ArN2[k][n][2]) << k << " " << n;
}

// ---------------------------------------------------------------- CalcH0Pixel

TEST_F(FieldCalc, PixelLineParametersGiveWidthsAndMinusB) {
  TPix p;
  p.B = 1000;
  MakeSlit(scan, f, {p, p});
  TQuiet q;
  TH0Values v;
  ASSERT_TRUE(CalcH0Pixel(f, 1, 350, 350, 1, 1, v));
  const double W1 = p.L[0].D * p.L[0].W * std::sqrt(kPi) * 21.549;
  const double W2 = p.L[1].D * p.L[1].W * std::sqrt(kPi) * 21.549;
  EXPECT_NEAR(v.EW1, W1, 0.002 * W1);
  EXPECT_NEAR(v.EW2, W2, 0.002 * W2);
  for (double b : {v.BCog1, v.BCog2, v.BMom1, v.BMom2}) EXPECT_NEAR(b, -1000, 10);
  EXPECT_NEAR(v.Lc1, p.L[0].C, 0.05);
  EXPECT_NEAR(v.Lc2, p.L[1].C, 0.05);
  EXPECT_NEAR(v.Win1Hi - v.Win1Lo, 2 * 350 / 21.549, 1e-9);
}

TEST_F(FieldCalc, PixelLineParametersWithoutVOrWithoutLine) {
  TPix plain, flat, zero;
  flat.Flat = true;
  zero.Zero = true;
  MakeSlit(scan, f, {plain, flat, zero});
  TQuiet q;
  TH0Values v;
  ASSERT_TRUE(CalcH0Pixel(f, 0, 350, 350, 1, 1, v));
  EXPECT_EQ(v.MV1, 0);
  EXPECT_EQ(v.MV2, 0);
  EXPECT_EQ(v.BMom1, 0);
  EXPECT_EQ(v.BMom2, 0);
  EXPECT_EQ(v.CIpV1, v.CImV1);
  EXPECT_EQ(v.BCog1, 0);
  // no line, and an empty pixel whose equivalent width is exactly 0: no field (the quotient of
  // the moment and the width would not be finite)
  for (int iy : {1, 2}) {
    ASSERT_TRUE(CalcH0Pixel(f, iy, 350, 350, 1, 1, v));
    EXPECT_NEAR(v.EW1, 0, 1e-9);
    EXPECT_EQ(v.BMom1, 0);
    EXPECT_EQ(v.BMom2, 0);
  }
  EXPECT_EQ(v.EW1, 0);
  // windows wider than the spectrum stay inside it
  ASSERT_TRUE(CalcH0Pixel(f, 0, 5000, 5000, 1, 1, v));
  for (double w : {v.Win1Lo, v.Win1Hi, v.Win2Lo, v.Win2Hi}) {
    EXPECT_GE(w, 1);
    EXPECT_LE(w, 112);
  }
  for (const auto& [name, value] : v.Named()) EXPECT_TRUE(std::isfinite(value)) << name;
  // a slit pixel outside the file
  EXPECT_FALSE(CalcH0Pixel(f, 3, 350, 350, 1, 1, v));
}

// ---------------------------------------------------------------- threads

// The loops on every core give the one-thread columns bit for bit, warnings in pixel order.
TEST_F(FieldCalc, ThreadsGiveTheOneThreadColumns) {
  std::vector<TPix> pix;
  for (int i = 0; i < 61; ++i) {
    TPix p;
    p.B = 100 + 37 * i;
    p.Gamma = 10 + 2.5 * i;
    p.Chi = 3 * i;
    p.Flat = i % 17 == 5;
    p.Zero = i % 23 == 7;
    pix.push_back(p);
  }
  MakeSlit(scan, f, pix);
  MomentInputs(f, pix);
  using TBank = std::array<std::array<TARe, 3>, 24>;
  auto run = [&](int32_t threads, std::vector<std::string>& Warnings) {
    f.Threads = threads;
    f.ArN2 = TBank{};
    std::vector<TBank> banks;
    TJob job("run");
    RunJob(job, [&](TJob&) {
      f.CalcWMom();
      banks.push_back(f.ArN2);
      f.CalcLIV();
      banks.push_back(f.ArN2);
      f.CalcIVcog(0.2, 0.1);
      banks.push_back(f.ArN2);
      f.CalcIVcog05(0.2, 0.1);
      banks.push_back(f.ArN2);
    });
    for (const auto& w : job.Warnings()) Warnings.push_back(w.Text + "#" + std::to_string(w.Count));
    return banks;
  };
  std::vector<std::string> w1, wn;
  const auto one = run(1, w1);
  const auto many = run(0, wn);
  ASSERT_EQ(one.size(), 4u);
  ASSERT_EQ(many.size(), 4u);
  for (size_t r = 0; r < 4; ++r)
    for (int k = 1; k <= 23; ++k)
      for (int n = 1; n <= 2; ++n) {
        const TARe &a = one[r][k][n], &b = many[r][k][n];
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(double)))
            << r << " " << k << " " << n;
      }
  EXPECT_FALSE(w1.empty());
  EXPECT_EQ(w1, wn);
}

}  // namespace
