// The unit calculator's conversions against textbook values (1 eV = 8065.46 cm-1, theta =
// 5040/T, the Zeeman splitting 4.67e-13 g lambda^2 B A, the Doppler shift v lambda / c, the
// equatorial rotation of about 2 km/s), and the texts that leave the partners alone.
#include <gtest/gtest.h>

#include <string>

#include "foundation/cvStr.h"
#include "foundation/cvUnitCalc.h"

namespace {

double Num(const std::string& S) { return ValReal(S); }

TEST(UnitCalc, EnergyAndTemperature) {
  std::string t = "keep";
  ASSERT_TRUE(CalcEVToCm("2.12345678", t));
  EXPECT_EQ(t, "17126.66");
  ASSERT_TRUE(CalcCmToEV("17126.66", t));
  EXPECT_NEAR(Num(t), 2.123457, 2e-6);
  ASSERT_TRUE(CalcTToTheta("6000.000", t));
  EXPECT_NEAR(Num(t), 0.8399891, 1e-7);
  ASSERT_TRUE(CalcThetaToT("0.84", t));
  EXPECT_NEAR(Num(t), 5999.922, 1e-3);
  ASSERT_TRUE(CalcDTToDTheta("6000", "10.0", t));
  EXPECT_NEAR(Num(t), -0.001397652, 1e-9);
  ASSERT_TRUE(CalcDThetaToDT("0.84", "-0.001397652", t));
  EXPECT_NEAR(Num(t), 10.0, 0.02);
  // no number, or a division by 0: the partner stays
  t = "keep";
  EXPECT_FALSE(CalcEVToCm("2,1x", t));
  EXPECT_FALSE(CalcCmToEV("", t));
  EXPECT_FALSE(CalcTToTheta("0", t));
  EXPECT_FALSE(CalcThetaToT("abc", t));
  EXPECT_FALSE(CalcDTToDTheta("0", "10", t));
  EXPECT_FALSE(CalcDTToDTheta("6000", "-6000", t));
  EXPECT_EQ(t, "keep");
}

TEST(UnitCalc, ZeemanAndDoppler) {
  TZeemanFields f{"6302.5", "2.487", "100", "0", "0"};
  ASSERT_TRUE(CalcZeeman(f, TZeemanFrom::DLH));
  EXPECT_NEAR(Num(f.H), 2168.26, 0.01);
  EXPECT_NEAR(Num(f.DVLOS), 4756.7, 0.1);
  // a field typed in: splitting and velocity follow
  f.H = "1000";
  ASSERT_TRUE(CalcZeeman(f, TZeemanFrom::Field));
  EXPECT_NEAR(Num(f.DLH), 100.0 * 1000 / 2168.26, 0.01);
  // a velocity typed in: the shift only
  f.DVLOS = "1000";
  const std::string h = f.H;
  ASSERT_TRUE(CalcZeeman(f, TZeemanFrom::DVLOS));
  EXPECT_EQ(f.DLH, "21.023");
  EXPECT_EQ(f.H, h);
  // a zero splitting, wavelength or Lande factor, or a text that is no number: nothing changes
  struct Case {
    TZeemanFields F;
    TZeemanFrom From;
  };
  const Case cases[] = {{{"6302.5", "2.487", "0", "500", "0"}, TZeemanFrom::Field},
                        {{"6302.5", "2.487", "0.000", "0", "300"}, TZeemanFrom::DVLOS},
                        {{"0", "2.487", "100", "500", "0"}, TZeemanFrom::Field},
                        {{"6302.5", "0", "100", "0", "0"}, TZeemanFrom::DLH},
                        {{"6302.5", "2.487", "100", "5o0", "0"}, TZeemanFrom::Field},
                        {{"6302.5", "2.487", "100", "0", "-"}, TZeemanFrom::DVLOS}};
  for (const Case& c : cases) {
    TZeemanFields g = c.F;
    EXPECT_FALSE(CalcZeeman(g, c.From)) << c.F.DLH << " " << c.F.H << " " << c.F.DVLOS;
    EXPECT_EQ(g.DLH, c.F.DLH);
    EXPECT_EQ(g.H, c.F.H);
    EXPECT_EQ(g.DVLOS, c.F.DVLOS);
  }
}

TEST(UnitCalc, DiskPosition) {
  std::string fi, l, v, m;
  // the centre: no line-of-sight rotation, mu 1
  ASSERT_TRUE(CalcDiskXY("1000", "0", "0", fi, l));
  EXPECT_EQ(fi, "0");
  EXPECT_EQ(l, "90");
  ASSERT_TRUE(CalcDiskFiL(fi, l, v, m));
  EXPECT_NEAR(Num(v), 0, 1e-9);
  EXPECT_EQ(m, "1");
  // half the radius west on the equator: half the equatorial speed (about 2 km/s), mu cos 30
  ASSERT_TRUE(CalcDiskXY("1000", "500", "0", fi, l));
  EXPECT_EQ(l, "120");
  ASSERT_TRUE(CalcDiskFiL(fi, l, v, m));
  EXPECT_NEAR(Num(v), 1.0, 0.1);
  EXPECT_NEAR(Num(m), 0.866, 1e-3);
  // on the central meridian at latitude 30: still no line-of-sight part (the latitude is the
  // routine's first argument; taken as the longitude it would give some)
  ASSERT_TRUE(CalcDiskXY("1000", "0", "500", fi, l));
  EXPECT_EQ(fi, "30");
  ASSERT_TRUE(CalcDiskFiL(fi, l, v, m));
  EXPECT_NEAR(Num(v), 0, 1e-9);
  EXPECT_NEAR(Num(m), 0.866, 1e-3);
  // off the disk, R 0, no number: nothing
  EXPECT_FALSE(CalcDiskXY("1000", "1500", "0", fi, l));
  EXPECT_FALSE(CalcDiskXY("0", "0", "0", fi, l));
  EXPECT_FALSE(CalcDiskXY("", "0", "0", fi, l));
  EXPECT_FALSE(CalcDiskFiL("x", "90", v, m));
}

TEST(UnitCalc, NumberFormatLines) {
  std::string r = "r", f = "f", e = "e";
  ASSERT_TRUE(NumberFormatLines("6302.55578", "5", "2", r, f, e));
  EXPECT_EQ(f, "6302.56 | 6302.56 | 6302.6");
  EXPECT_EQ(e.substr(e.rfind("| ") + 2), "6302.6");
  EXPECT_NE(r.find(" | 6302.56 | "), std::string::npos);
  r = "r";
  EXPECT_FALSE(NumberFormatLines("63o2", "5", "2", r, f, e));
  EXPECT_EQ(r, "r");
}

}  // namespace
