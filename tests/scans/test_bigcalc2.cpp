// The scan statistics and derived maps of BigCalc2 on a generated scan with fixture maps: the
// continuum extremes over the files, the mean line positions and the velocity maps, the extremes
// of velocity and field, the rotation and longitudinal-field maps from an inversion-result file,
// the quality fit and the per-file key values.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "scans/support/MapRuns.h"
#include "support/SinkRecorder.h"

namespace {

using runtest::At;
using runtest::GenScan;

constexpr double kPi = 3.14159265358979323846;

// An inversion-result file of the scan written by our own writer: main header with SOLAR_RA,
// then the maps (kind 2), values F(name, x, y).
void WriteME(GenScan& G, double SolarRa,
             const std::vector<std::pair<std::string, std::function<float(int, int)>>>& Maps) {
  TLFITS& s = *G.scan;
  s.SOLAR_RA = SolarRa;
  ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
  std::filesystem::rename(G.Own(), G.ME());
  s.SOLAR_RA = 0;
  std::vector<TFIOut*> maps;
  for (const auto& [name, f] : Maps) {
    TMapSlot slot;
    maps.push_back(G.Fixture(slot, name, 2, "2006", f));
  }
  TJob save("save");
  int32_t saved = 0;
  RunJob(save, [&](TJob& J) { saved = SaveMaps(J, maps); });
  ASSERT_EQ(saved, static_cast<int32_t>(maps.size()));
  LFIOReg().ClearAll();
}

TEST(BigCalc2, MeanLinePositionsAndVelocityMaps) {
  GenScan g(6, 8);
  TLFITS& s = *g.scan;
  // Before the mean positions: the warning, no map touched.
  {
    testsupport::SinkRecorder rec;
    s.CalcVC12();
    EXPECT_TRUE(rec.Has("LFITS.CalcVC12 ERR средние значения rLC1, rLC2 ещё не расчитаны\r\n"
                        "Надо сперва запускать расчёт LFITS.CalcLC12"_cp));
    EXPECT_FALSE(s.OuVc1.Named());
    EXPECT_EQ(LFIOReg().Count(), 0);
  }
  // Centres of gravity: one pixel one spectral pixel redder than the rest.
  g.Fixture(s.OuGc1, "GRC_6301", 1, "2022", [](int x, int y) { return x == 1 && y == 1 ? 31.f : 30.f; });
  g.Fixture(s.OuGc2, "GRC_6302", 1, "2022", [](int x, int y) { return x == 1 && y == 1 ? 77.f : 76.f; });
  s.CalcLC12();
  EXPECT_DOUBLE_EQ(s.LC1Pix, 30 + 1.0 / 48);
  EXPECT_DOUBLE_EQ(s.rLC1, s.Pix2Lam(30 + 1.0 / 48));
  EXPECT_DOUBLE_EQ(s.rLC2, s.Pix2Lam(76 + 1.0 / 48));
  s.CalcVC12();
  const TFIOut* v1 = s.OuVc1.Get();
  const TFIOut* v2 = s.OuVc2.Get();
  ASSERT_TRUE(v1 && v2);
  EXPECT_EQ(v1->Name, "Vlos6301");
  EXPECT_EQ(v2->Com, "LOS Velocity of 6302 COG");
  EXPECT_EQ(v1->kLoad, 9);
  // 21.549 mA over the round wavelengths.
  EXPECT_NEAR(At(v1, 1, 1) - At(v1, 0, 0), 1.025189, 2e-6);
  EXPECT_NEAR(At(v2, 1, 1) - At(v2, 4, 7), 1.025026, 2e-6);
  EXPECT_NEAR(v1->vMean, 0, 1e-6);

  // Velocity extremes: [0][0] the largest, found there although an earlier run found another.
  TFIOut* w1 = s.OuVc1.Get();
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 8; ++y) w1->aData[x][y] = x == 0 && y == 0 ? 9.f : x == 3 && y == 5 ? -4.f : 1.f;
  s.VelMaxX = s.VelMaxY = 5;
  s.OuVc2->aData[0][0] = 3.f;
  s.VRBMax();
  EXPECT_NEAR(s.VelMax, (9 + 3) / 2.0, 1e-6);
  EXPECT_EQ(s.VelMaxX, 0);
  EXPECT_EQ(s.VelMaxY, 0);
  EXPECT_EQ(s.VelMinX, 3);
  EXPECT_EQ(s.VelMinY, 5);
}

TEST(BigCalc2, ContinuumExtremesKeepTheEarlierFile) {
  GenScan g(3, 8);
  TLFITS& s = *g.scan;
  const TColumnExtremes e[3] = {{10, 100, 2, 3}, {5, 100, 4, 7}, {5, 90, 6, 1}};
  for (int i = 0; i < 3; ++i) s.Files[static_cast<size_t>(i)]->ContExt = e[i];
  s.MaxMinCont();
  EXPECT_EQ(s.ContMax, 100);
  EXPECT_EQ(s.ContMaxIx, 0);
  EXPECT_EQ(s.ContMaxPix, 3);
  EXPECT_EQ(s.ContMin, 5);
  EXPECT_EQ(s.ContMinIx, 1);
  EXPECT_EQ(s.ContMinPix, 4);
  testsupport::SinkRecorder rec;
  TLFITS none;
  none.MaxMinCont();
  EXPECT_TRUE(rec.Has("LFITS.MaxMinCont ERR: Список FITS не заполнен!"_cp));
}

TEST(BigCalc2, RotationAndLongitudinalFieldFromTheInversionResults) {
  GenScan g(5, 8);
  TLFITS& s = *g.scan;
  const double R = 950;
  WriteME(g, R,
          // Disc centre at x = 1 (positions summing to 0 would read back as an empty map).
          {{"X_Coordinate", [R](int x, int) { return static_cast<float>((x - 1) * R / 2); }},
           {"Y_Coordinate", [](int, int y) { return y * 100.f; }},
           {"Field_Strength", [](int, int y) { return 100.f + 50 * y; }},
           {"Field_Inclination", [](int x, int y) { return 30.f * x + 10 * y; }}});
  TJob job("bigcalc2");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { s.BigCalc2(J); }));
  const TFIOut* rot = s.OuRot.Get();
  ASSERT_NE(rot, nullptr);
  EXPECT_EQ(rot->Name, "Rot_dV");
  EXPECT_EQ(rot->Com, "Sun_surface_rotation_velocity");
  EXPECT_EQ(rot->kLoad, 9);
  EXPECT_EQ(s.SOLAR_RA, R);
  EXPECT_NEAR(At(rot, 1, 0), 1.480349, 1e-6);  // disc centre: the whole speed at b = 90
  EXPECT_EQ(At(rot, 3, 0), 0.f);                // X = R
  EXPECT_NEAR(At(rot, 2, 0), std::sin(kPi / 3) * 1.480349, 1e-6);
  EXPECT_EQ(At(rot, 3, 1), 0.f);  // beyond the limb
  EXPECT_EQ(At(rot, 4, 0), 0.f);
  int warned = 0;
  for (const auto& w : job.Warnings())
    if (w.Text.find("LFITS.CalcRotMap: 15 пикселей за лимбом"_cp) != std::string::npos)
      warned += w.Count;
  EXPECT_EQ(warned, 1);
  const TFIOut* hl = s.MeHL.Get();
  ASSERT_NE(hl, nullptr);
  EXPECT_EQ(hl->Name, "Longitudinal_Field");
  EXPECT_EQ(hl->kSoft, 2);
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 8; ++y)
      EXPECT_NEAR(At(hl, x, y), std::cos((30.0 * x + 10 * y) * kPi / 180) * (100 + 50 * y), 1e-3);
}

TEST(BigCalc2, SolarRadiusZeroIsRefusedAndTheLaterStepsRun) {
  GenScan g(4, 6);
  TLFITS& s = *g.scan;
  WriteME(g, 0,
          {{"X_Coordinate", [](int x, int) { return x * 10.f; }},
           {"Y_Coordinate", [](int, int y) { return y * 10.f; }}});
  g.Fixture(s.OuGc1, "GRC_6301", 1, "2022", [](int x, int) { return 30.f + x; });
  g.Fixture(s.OuGc2, "GRC_6302", 1, "2022", [](int x, int) { return 76.f + x; });
  g.Fixture(s.OuH1, "H_L_6301", 1, "2002", [](int x, int y) { return 10.f * x - y; });
  g.Fixture(s.OuH2, "H_L_6302", 1, "2002", [](int x, int y) { return 10.f * x + y; });
  TJob job("bigcalc2");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { s.BigCalc2(J); }));
  bool refused = false;
  for (const auto& w : job.Warnings())
    refused |= w.Text.find("LFITS.CalcRotMap ERR: SOLAR_RA=0") != std::string::npos;
  EXPECT_TRUE(refused);
  EXPECT_FALSE(s.OuRot);
  ASSERT_TRUE(s.OuVc1);
  EXPECT_NEAR(At(s.OuVc1.Get(), 3, 0) - At(s.OuVc1.Get(), 2, 0), 1.025189, 2e-6);
  EXPECT_NEAR(s.VelMax, (1.5 * 1.025189 + 1.5 * 1.025026) / 2, 1e-5);
  EXPECT_EQ(s.VelMaxX, 3);
  EXPECT_EQ(s.HLMax, 30);
  EXPECT_EQ(s.HLMaxX, 3);
  EXPECT_EQ(s.HLMaxY, 0);
  EXPECT_EQ(s.HLMin, 0);
}

TEST(BigCalc2, QualityFitAndKeyValues) {
  GenScan g(3, 8);
  TLFITS& s = *g.scan;
  s.QualContFit();
  EXPECT_EQ(s.QualB, 0);  // nothing fills the quality column
  TFITS& f = *s.Files[1];
  f.ACnt.assign(9, 0.0);
  f.AQual.assign(9, 0.0);
  for (int y = 1; y <= 8; ++y) {
    f.ACnt[y] = 1000 + y;
    f.AQual[y] = y <= 2 ? 0.001 : 0.007;
  }
  s.QualContFit();
  // (2, 1001.5) and (6, 1005.5): slope 1, intercept 999.5.
  EXPECT_NEAR(s.QualB, 999.5, 1e-9);

  TARe v;
  s.KeyValArray("XCEN", v);
  ASSERT_EQ(v.size(), 4u);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(v[i], s.AXCEN[i]);
}

}  // namespace
