// The per-slit Gauss-model fits on a slit made in memory of model profiles (gs_ProfI of both
// lines, stored as 16-bit words): the core fit and the full wing fit started at the model stay
// there; the core fit's fall-back centre, its memo lines and columns; the wing fit's bounds and a
// pixel without wing positions.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvCoreMaps.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvGauss.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvWarnGroups.h"
#include "scans/support/MemSlit.h"

namespace {

constexpr double kCont = 30000;

Tgs LineModel(int Line, double Centre) {
  Tgs g;
  g.La12 = Line;
  g.Cont = kCont;
  g.Lam0 = Centre;
  g.DLD = Line == 1 ? 4.15 : 3.31;
  g.DLDk = Line == 1 ? 0.8 : 0.88;
  return g;
}

// Centres of the two lines at slit pixel y.
double C1(int y) { return 30.3 + 0.1 * y; }
double C2(int y) { return 76.4 - 0.05 * y; }

// A slit of NY pixels whose I profiles are the two model lines (centres C1, C2; the last
// pixel's line 1 at Last1 when given).
void ModelSlit(TLFITS& Scan, TFITS& F, int NY, double Last1 = 0) {
  memslit::SetUpHeader(Scan, F, NY);
  const size_t plane = static_cast<size_t>(NY) * 112;
  F.aData.assign(4 * plane, 0);
  F.ACnt.assign(static_cast<size_t>(NY) + 1, kCont);
  F.ALC1.assign(static_cast<size_t>(NY) + 1, 0.0);
  F.ALC2.assign(static_cast<size_t>(NY) + 1, 0.0);
  for (int y = 1; y <= NY; ++y) {
    const double c1 = y == NY && Last1 > 0 ? Last1 : C1(y);
    F.ALC1[static_cast<size_t>(y)] = c1;
    F.ALC2[static_cast<size_t>(y)] = C2(y);
    for (int p = 1; p <= 112; ++p) {
      double i1 = 0, i2 = 0;
      gs_ProfI(LineModel(1, c1), p - c1, i1);
      gs_ProfI(LineModel(2, C2(y)), p - C2(y), i2);
      const double I = kCont - (kCont - i1) - (kCont - i2);
      F.aData[static_cast<size_t>(y - 1) * 112 + static_cast<size_t>(p - 1)] =
          static_cast<uint16_t>(std::lround(I));
    }
  }
}

struct TWarnedFit {
  TJob Job{"fit"};
  TJobScope Scope{Job};
  bool Has(const std::string& Part) const {
    for (const auto& w : Job.Warnings())
      if (w.Text.find(Part) != std::string::npos) return true;
    return false;
  }
};

class CoreFit : public ::testing::Test {
 protected:
  void SetUp() override { ResetScanServices(); }
  void TearDown() override { ResetScanServices(); }
};

TEST_F(CoreFit, ModelSlitStaysAtTheModel) {
  TWarnedFit w;
  TLFITS scan;
  TFITS f;
  const int ny = 5;
  ModelSlit(scan, f, ny);
  // pixel 3's line 1 has no centre of its own: the scan's mean (its true centre) is taken
  f.ALC1[3] = 0;
  scan.rLC1 = C1(3);
  TCurI c;
  c.SetFitOptions(3, false, 0.05, 0.9, 0.5, 0, 0.5, false);
  c.iB1 = 27;
  c.iR1 = 35;
  c.iB2 = 73;
  c.iR2 = 80;
  TStringList memo;
  TWarnGroups groups;
  f.CalcCore(&c, &memo, &groups);
  for (int y = 1; y <= ny; ++y)
    for (int n = 1; n <= 2; ++n) {
      SCOPED_TRACE(std::to_string(y) + "/" + std::to_string(n));
      const Tgs m = LineModel(n, n == 1 ? C1(y) : C2(y));
      auto at = [&](int j) { return f.ACore[static_cast<size_t>(j)][static_cast<size_t>(y)]; };
      EXPECT_NEAR(at(28 + n), m.DLD, 0.01);
      EXPECT_NEAR(at(26 + n), m.DLDk, m.DLDk * 0.005);
      EXPECT_NEAR(at(36 + n), m.Lam0, 0.01);
      EXPECT_NEAR(at(34 + n), m.Lam0, 0.01);
      EXPECT_NEAR(at(24 + n), gs_get_d0(m), gs_get_d0(m) * 0.005);
      for (int j = 1; j <= 4; ++j) EXPECT_NEAR(at(j + (n == 1 ? 0 : 8)), 0, 1e-5);
      for (int j = 17; j <= 20; ++j) EXPECT_NEAR(at(j + (n == 1 ? 0 : 4)), 1, 0.01);
    }
  ASSERT_EQ(memo.Count(), 2 * ny);
  EXPECT_EQ(memo[0], "6301 iX=0 iY=0 Cont=30000 Lam0=30.4 DLD=4.15 Dk=0.8 A=0 B=0");
  EXPECT_EQ(memo[1], "6302 iX=0 iY=0 Cont=30000 Lam0=76.35 DLD=3.31 Dk=0.88 A=0 B=0");
  EXPECT_EQ(memo[4].rfind("6301 iX=0 iY=2 Cont=30000 Lam0=30.6 ", 0), 0u) << memo[4];
  // the standing warning of the first refit, one kind for every pixel and line
  EXPECT_EQ(groups.Total(), 2 * ny);
  groups.Flush();
  EXPECT_TRUE(w.Has("reLam.k1 k1=0 it is too small! iX=0 iY=0"));
  EXPECT_TRUE(w.Has("(раз: 10)"_cp));
  // nothing else from the fits (the slit's link to no folder warns before)
  for (const auto& x : w.Job.Warnings())
    if (x.Text.find("nonexistent") == std::string::npos) {
      EXPECT_EQ(x.Text.rfind("reLam.k1 ", 0), 0u) << x.Text;
    }
}

TEST_F(CoreFit, WithoutTheObjectOrCentres) {
  TWarnedFit w;
  TLFITS scan;
  TFITS f;
  ModelSlit(scan, f, 2);
  f.CalcCore(nullptr);
  EXPECT_TRUE(w.Has("FITS.CalcCore Структура CurI к этому моменту должна быть создана"_cp));
  // no centre column, no scan mean: no fit (columns 0), one count
  TARe().swap(f.ALC1);
  TCurI c;
  c.iB1 = 27;
  c.iR1 = 35;
  c.iB2 = 73;
  c.iR2 = 80;
  int32_t none = 0;
  f.CalcCore(&c, nullptr, nullptr, &none);
  EXPECT_EQ(none, 4);
  EXPECT_EQ(f.ACore[29][1], 0);
  EXPECT_EQ(f.ACore[38].size(), 3u);
}

// The registered map Name of the scan, one slit file wide, filled by F(y).
void RowMap(TLFITS& Scan, const std::string& Name, int NY, double (*F)(int)) {
  TFIOut* m = LFIOReg().AddFIOut(Scan.ScanName, Name, Name, "2022", 1, 1, NY, &Scan);
  m->AssignMem(1, NY);
  for (int y = 0; y < NY; ++y) m->aData[0][y] = static_cast<float>(F(y + 1));
  m->kLoad = 9;
}

double Cont(int) { return kCont; }
double B1(int y) { return y == 2 ? 0 : y == 5 ? 20.0 : C1(y) - 5.3; }
double R1(int y) { return y == 5 ? 35.0 : C1(y) + 5.3; }
double B2(int y) { return C2(y) - 4.6; }
double R2(int y) { return C2(y) + 4.6; }

TEST_F(CoreFit, FullWingFitStaysAtTheModel) {
  TWarnedFit w;
  TLFITS scan;
  TFITS f;
  const int ny = 5;
  ModelSlit(scan, f, ny, 27.5);
  scan.nX = 1;
  RowMap(scan, "CONT", ny, Cont);
  RowMap(scan, "LWb1", ny, B1);
  RowMap(scan, "LWr1", ny, R1);
  RowMap(scan, "LWb2", ny, B2);
  RowMap(scan, "LWr2", ny, R2);
  int32_t noWing = 0;
  f.FitWingFull(nullptr, &noWing);
  EXPECT_EQ(noWing, 1);
  for (int y = 1; y <= ny; ++y)
    for (int n = 1; n <= 2; ++n) {
      SCOPED_TRACE(std::to_string(y) + "/" + std::to_string(n));
      auto at = [&](int k) { return f.AWing[static_cast<size_t>(k)][static_cast<size_t>(y)]; };
      const int c = n == 1 ? 0 : 2;
      if (n == 1 && y == 2) {  // no blue wing position: nothing fitted
        for (int k : {1, 2, 5, 6}) EXPECT_EQ(at(k + c), 0);
        continue;
      }
      const Tgs m = LineModel(n, n == 1 ? (y == 5 ? 27.5 : C1(y)) : C2(y));
      EXPECT_NEAR(at(1 + c), m.DLD, 0.01);
      EXPECT_NEAR(at(2 + c), 0, 1e-5);
      EXPECT_NEAR(at(5 + c), m.DLDk, m.DLDk * 0.005);
      EXPECT_NEAR(at(6 + c), gs_get_d0(m), gs_get_d0(m) * 0.005);
    }
  // the last pixel's line 1: wing positions 20.0 and 35.0 give the window 21..34
  EXPECT_EQ(ScanCurI().iB1, 21);
  EXPECT_EQ(ScanCurI().iR1, 34);
  // the continuum pair columns are not the wing columns
  EXPECT_TRUE(f.ACnt2.empty());
}

TEST_F(CoreFit, WingFitBoundsAndMissingInputs) {
  TWarnedFit w;
  TLFITS scan;
  TFITS f;
  const int ny = 5;
  ModelSlit(scan, f, ny);
  scan.nX = 1;
  // no CONT: nothing fitted
  f.FitWingTilt();
  EXPECT_TRUE(w.Has("ReturnSlitConts"));
  RowMap(scan, "CONT", ny, Cont);
  f.FitWingTilt();
  EXPECT_TRUE(w.Has("Необходимо загрузить/рассчитать данные о крыльях [LW(b,r)]"_cp));
  RowMap(scan, "LWb1", ny, [](int) { return 1.5; });  // blue bound 3, held at 4
  RowMap(scan, "LWr1", ny, [](int) { return 111.5; });  // red bound 110, held at 108
  RowMap(scan, "LWb2", ny, B2);
  RowMap(scan, "LWr2", ny, R2);
  f.FitWingTilt();
  TCurI& c = ScanCurI();
  EXPECT_EQ(c.iB1, 4);
  EXPECT_EQ(c.iR1, 108);
  // line 2 from the model: the tilt fit's limits hold (H at most 1500, DLD at most 10, DLDk at
  // least 0.4)
  for (int y = 1; y <= ny; ++y) {
    EXPECT_LE(f.AWing[4][static_cast<size_t>(y)], 1500);
    EXPECT_LE(f.AWing[3][static_cast<size_t>(y)], 10);
    EXPECT_GE(f.AWing[7][static_cast<size_t>(y)], 0.4);
    EXPECT_NEAR(f.AWing[3][static_cast<size_t>(y)], 3.31, 0.1);
  }
}

TEST_F(CoreFit, FullWingValuesBounded) {
  TWarnedFit w;
  std::array<double, 9> v{0, 0, 1e-3, -4e38, 0, 0, 9000, 0.9, std::nan("")};
  BoundFullWing(v, 3, 5);
  EXPECT_EQ(v[1], 2.5e-38);   // a width of 0
  EXPECT_EQ(v[3], 3.3e38);    // -4e38
  EXPECT_EQ(v[5], 2.5e-38);   // a depth factor of 0: no warning
  EXPECT_EQ(v[6], 9000);
  EXPECT_EQ(v[8], 3.3e38);    // NaN
  EXPECT_EQ(v[2], 1e-3);      // slopes as they are
  std::vector<std::string> texts;
  for (const auto& x : w.Job.Warnings()) texts.push_back(x.Text);
  // in the order of the tests (the formatter may add its own note on a NaN)
  std::vector<std::string> ours;
  for (const std::string& t : texts)
    if (t.rfind("ix=3 iY=5 ", 0) == 0) ours.push_back(t);
  ASSERT_EQ(ours.size(), 3u);
  EXPECT_EQ(ours[0].rfind("ix=3 iY=5 >>>> d02=", 0), 0u) << ours[0];
  EXPECT_EQ(ours[1].rfind("ix=3 iY=5 >>>> DF2=", 0), 0u) << ours[1];
  EXPECT_EQ(ours[2], "ix=3 iY=5 <<<< DF1=0");
}

}  // namespace
