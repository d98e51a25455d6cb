// The maps of the Gauss-model fits and of the polarisation sums on a generated scan (KRC 1.0, no
// noise): the generator's I profile is Ic (1 - D exp(-((lam - lam0)/W)^2)) per line, so the full
// wing fit's width, depth factor and central intensity have closed forms (W / step, 1/(sqrt(pi)
// D), Ic (1 - D)). The core-fit run's refusals, repeatability and registration order; the
// filtered maps' names and marks; the polarisation-integral maps' names, their thread count
// independence and their saving.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/support/MapRuns.h"

namespace {

constexpr double kStep = 0.021549;
constexpr double kSqrtPiExact = 1.7724538509055159;

using runtest::GenScan;

// The scan's continuum and wing positions.
void ContAndWings(GenScan& G) {
  ASSERT_TRUE(G.Run([&](TJob& J) { return G.scan->CalcCont0(J); }));
  ASSERT_TRUE(G.Run([&](TJob& J) { return G.scan->CalcLW(J); }));
}

// Bits of every value of the maps.
std::vector<float> Values(const std::vector<TFIOut*>& Maps) {
  std::vector<float> v;
  for (const TFIOut* m : Maps)
    for (int x = 0; x < m->nX; ++x)
      for (int y = 0; y < m->nY; ++y) v.push_back(m->aData[x][y]);
  return v;
}

bool SameBits(const std::vector<float>& A, const std::vector<float>& B) {
  return A.size() == B.size() && std::memcmp(A.data(), B.data(), A.size() * sizeof(float)) == 0;
}

TEST(CoreMaps, FullWingFitAgainstTheGenerator) {
  GenScan g(6, 16, 1.0);
  ContAndWings(g);
  ASSERT_TRUE(g.Run([&](TJob& J) { return g.scan->CalcD_Full(J); }));
  TLFITS& s = *g.scan;
  const char* names[] = {"DFull1", "DFull2", "kaF1", "kaF2", "DkFull1", "DkFull2", "d0Full1",
                         "d0Full2"};
  for (int k = 1; k <= 8; ++k) {
    ASSERT_TRUE(s.OuWork[k]) << k;
    EXPECT_EQ(s.OuWork[k]->Name, names[k - 1]);
    EXPECT_TRUE(s.OuWork[k]->kLoad & 8);
  }
  EXPECT_EQ(g.progress.front(), "22_1645 LFITS.CalcD_Full|iX=0001/6");
  int checked = 0;
  for (int x = 0; x < 6; ++x)
    for (int y = 1; y <= 16; ++y) {
      const TGenPixel t = g.Truth(x, y);
      if (t.Kind > 1) continue;
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const double w[3] = {0, t.W1 / kStep, t.W2 / kStep}, d[3] = {0, t.D1, t.D2};
      for (int n = 1; n <= 2; ++n) {
        EXPECT_NEAR(runtest::At(s.OuWork[n].Get(), x, y - 1), w[n], w[n] * 0.01);
        EXPECT_NEAR(runtest::At(s.OuWork[4 + n].Get(), x, y - 1), 1 / (kSqrtPiExact * d[n]),
                    0.01 / (kSqrtPiExact * d[n]));
        EXPECT_NEAR(runtest::At(s.OuWork[6 + n].Get(), x, y - 1), t.Ic * (1 - d[n]), t.Ic * 0.005);
      }
      ++checked;
    }
  EXPECT_GT(checked, 60);
  // a zero pixel (no continuum): its central intensity bounded to 2.5e-38 with the warning,
  // the warnings gathered by kind
  const TGenPixel z = g.Truth(2, 8);
  ASSERT_EQ(z.Kind, 3);
  EXPECT_EQ(runtest::At(s.OuWork[7].Get(), 2, 7), 2.5e-38f);
  EXPECT_TRUE(g.Warned("ix=2 iY=7 <<<< d01=0"));
  EXPECT_LT(g.job->WarningCount(), 40);
}

TEST(CoreMaps, TiltRunReleasesTheWorkSlots) {
  GenScan g(6, 16, 1.0);
  ContAndWings(g);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(s.OuWork[2]);  // CONT2 of the continuum run
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.Calc_D(J); }));
  EXPECT_EQ(s.OuWork[3]->Name, "BWdl");
  EXPECT_EQ(s.OuWork[4]->Name, "BWd2");
  EXPECT_EQ(s.OuWork[8]->Name, "kat2");
  EXPECT_TRUE(s.OuCont && s.OuCont->kLoad >= 2);
  EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "CONT2"), nullptr);
  EXPECT_EQ(g.progress.front(), "22_1645 LFITS.Calc_D,H|iX=0001/6");
  // line 2 of the quiet pixels (no splitting in I): the widths of the generator
  for (int x = 0; x < 6; ++x) {
    const TGenPixel t = g.Truth(x, 2);
    EXPECT_NEAR(runtest::At(s.OuWork[2].Get(), x, 1), t.W2 / kStep, 0.1);
  }
  // cancelled between files: the run's maps released
  ASSERT_FALSE(g.Run([&](TJob& J) { return s.CalcD_Full(J); }, 2));
  for (int k = 1; k <= 8; ++k) EXPECT_FALSE(s.OuWork[k]);
}

TEST(CoreMaps, CoreRunRefusalsRepeatabilityAndOrder) {
  GenScan g(5, 12, 1.0);
  TLFITS& s = *g.scan;
  // no CONT in its slot
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcCoreMaps(J, nullptr); }));
  EXPECT_TRUE(g.Warned("CalcCore ERR Данные карты CONT не найдены в файле!"_cp));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }));
  // the design fields have no wing crossings: no windows, refused before anything is set up
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcCoreMaps(J, nullptr); }));
  EXPECT_TRUE(g.Warned("Запустите расчёт крыльев!"_cp));
  EXPECT_TRUE(g.Warned("iB1=0 iR1=0; 6302: iB2=0 iR2=0"));
  EXPECT_FALSE(s.OuCore[18]);
  EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "Cor1_DLD6"), nullptr);

  TCurI& c = ScanCurI();
  c.iB1 = 26;
  c.iR1 = 34;
  c.iB2 = 73;
  c.iR2 = 79;
  std::vector<float> first;
  for (int run = 0; run < 2; ++run) {
    TStringList memo;
    ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCoreMaps(J, nullptr, &memo); }));
    std::vector<TFIOut*> maps;
    for (int j = 1; j <= 38; ++j) {
      ASSERT_TRUE(s.OuCore[j]) << j;
      EXPECT_EQ(s.OuCore[j]->Name, CoreMapName(j));
      EXPECT_TRUE(s.OuCore[j]->kLoad & 8);
      maps.push_back(s.OuCore[j].Get());
    }
    // one memo line per pixel and line with a centre
    int lines = 0;
    for (const auto& f : s.Files)
      for (int y = 1; y <= 12; ++y)
        lines += (f->ALC1[static_cast<size_t>(y)] != 0) + (f->ALC2[static_cast<size_t>(y)] != 0);
    EXPECT_EQ(memo.Count(), lines);
    EXPECT_GT(lines, 100);
    EXPECT_EQ(g.progress.front(), "22_1645 LFITS.CalcCore|iX=0001/5");
    EXPECT_TRUE(g.Warned("reLam.k1 k1=0 it is too small!"));
    EXPECT_TRUE(g.Warned("(раз: "_cp));
    if (run == 0) {
      first = Values(maps);
    } else {
      EXPECT_TRUE(g.Warned("TLFITS.cvGaussCore_Init WARNING: Повторный вызов!"_cp));
      EXPECT_TRUE(SameBits(first, Values(maps)));
    }
  }
  // registered in the order 1..4, 9..12, 5..8, 13..38
  std::vector<std::string> order;
  for (const auto& m : LFIOReg().Items)
    if (FIOutAssigned(m.get()) && (m->Name.rfind("Core", 0) == 0 || m->Name.rfind("Cor", 0) == 0))
      order.push_back(m->Name);
  ASSERT_EQ(order.size(), 38u);
  EXPECT_EQ(order[3], "Core1_A42");
  EXPECT_EQ(order[4], "Core2_A8");
  EXPECT_EQ(order[8], "Core1_B8");
  EXPECT_EQ(order[16], "Cor1_DLD8");
  // the fitted centres against the generator's line positions
  for (int x = 0; x < 5; ++x)
    for (int y = 1; y <= 12; ++y) {
      const TGenPixel t = g.Truth(x, y);
      if (t.Kind > 1) continue;
      EXPECT_NEAR(runtest::At(s.OuCore[37].Get(), x, y - 1), g.PixOf(x, t.Lam1), 0.05);
      EXPECT_NEAR(runtest::At(s.OuCore[38].Get(), x, y - 1), g.PixOf(x, t.Lam2), 0.05);
    }
  // cancelled: the core maps released
  ASSERT_FALSE(g.Run([&](TJob& J) { return s.CalcCoreMaps(J, nullptr); }, 1));
  EXPECT_FALSE(s.OuCore[18]);
}

TEST(CoreMaps, FilteredMaps) {
  GenScan g(4, 10, 1.0);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  TScanCalcFields& f = Scans().CurISet.Calc;
  f.Filt1 = "20";
  f.Filt2 = "40";
  int32_t m = 0;
  // without WV1, WV2: stopped at the first slit file
  EXPECT_FALSE(g.Run([&](TJob& J) { return s.CalcFilt(J, m); }));
  EXPECT_TRUE(g.Warned("LFITS.CalcFilt-Err (iX=0) не найдены поляризации 2"_cp));
  TMapSlot w1, w2;
  g.Fixture(w1, "WV1", 1, "2022", [](int, int) { return 2.0f; });
  g.Fixture(w2, "WV2", 1, "2022", [](int, int) { return 4.0f; });
  std::vector<float> one;
  for (int threads : {1, 0}) {
    for (auto& file : s.Files) file->Threads = threads;
    ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcFilt(J, m); }));
    EXPECT_EQ(m, 1);
    TFIOut* c = s.OuAny.At(1, 1).Get();
    TFIOut* v = s.OuAny.At(2, 1).Get();
    ASSERT_TRUE(c && v);
    EXPECT_EQ(c->Name, "fltVa1C_20_40");
    EXPECT_EQ(c->Com, "Filt(V) [20,40] per Cont for 6301");
    EXPECT_EQ(v->Name, "fltVa1V_20_40");
    EXPECT_EQ(v->Com, "Filt(V) [20,40] per WV for 6301");
    EXPECT_TRUE(c->kLoad & 8);
    EXPECT_TRUE(g.Warned("nX,nY=4,10"));
    // per Cont and per WV1 of the same sum: their ratio is WV1 / Cont
    const float cont = runtest::At(s.OuCont.Get(), 1, 5);
    EXPECT_NEAR(runtest::At(v, 1, 5) * 2.0, runtest::At(c, 1, 5) * cont,
                std::fabs(runtest::At(c, 1, 5) * cont) * 1e-5);
    if (threads == 1)
      one = Values({c, v});
    else
      EXPECT_TRUE(SameBits(one, Values({c, v})));
  }
  f.Filt1 = "61";
  f.Filt2 = "72";
  f.FiltAbs = false;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcFilt(J, m); }));
  EXPECT_EQ(m, 2);
  EXPECT_EQ(s.OuAny.At(1, 2)->Name, "fltV2C_61_72");
  EXPECT_EQ(s.OuAny.At(2, 2)->Com, "Filt(V) [61,72] per WV for 6302");
}

TEST(CoreMaps, PolarisationIntegralMaps) {
  GenScan g(4, 10, 1.0);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  TMapSlot w1, w2;
  g.Fixture(w1, "WV1", 1, "2022", [](int, int) { return 2.0f; });
  g.Fixture(w2, "WV2", 1, "2022", [](int, int) { return 4.0f; });
  int32_t m = 0;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcFilt(J, m); }));
  std::vector<float> one;
  for (int threads : {1, 0}) {
    for (auto& file : s.Files) file->Threads = threads;
    ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcKVI(J, false); }));
    EXPECT_EQ(g.progress.front(), "22_1645 LFITS.CalcKVI|iX=0001/4");
    EXPECT_EQ(s.OuAny.At(1, 1)->Name, "wVp195");
    EXPECT_EQ(s.OuAny.At(1, 2)->Name, "wVp295");
    EXPECT_EQ(s.OuAny.At(1, 2)->Com, "Signed p-Polarization V for 6302 (I<95)");
    EXPECT_EQ(s.OuAny.At(23, 1)->Name, "WQUr195");
    // the filtered maps (other users of the bank) are gone
    EXPECT_EQ(LFIOReg().GetFIOutDT(s.ScanDa(), s.ScanTi(), "fltVa2C_70_72"), nullptr);
    std::vector<TFIOut*> maps;
    for (int k = 1; k <= 23; ++k)
      for (int n = 1; n <= 2; ++n) {
        ASSERT_TRUE(s.OuAny.At(k, n));
        EXPECT_TRUE(s.OuAny.At(k, n)->kLoad & 8);
        maps.push_back(s.OuAny.At(k, n).Get());
      }
    if (threads == 1)
      one = Values(maps);
    else
      EXPECT_TRUE(SameBits(one, Values(maps)));
  }
  Scans().CurISet.Calc.rC90 = 0;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcKVI(J, true); }));
  EXPECT_EQ(s.OuAny.At(1, 2)->Name, "wVp290");
  // saved with the run: the own output file holds the 46 maps
  Scans().CurISet.Calc.KVIStep = " 1 ";
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcKVISave(J); }));
  std::vector<TMapExt> dir;
  ASSERT_TRUE(ReadMapDir(g.Own(), dir, nullptr));
  int kvi = 0;
  for (const TMapExt& e : dir) kvi += e.Name.size() > 2 && e.Name.substr(e.Name.size() - 2) == "90";
  EXPECT_EQ(kvi, 46);
}

}  // namespace
