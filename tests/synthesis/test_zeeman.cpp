// Zeeman patterns: Runge fractions of the Fe I pair and the closed cases, the "#ZEE" text in
// both forms with its refusals, and the reports.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "support/SinkRecorder.h"

namespace {

using testsupport::SinkRecorder;

double PiSum(const TZEEMAN& z) {
  double s = 0;
  for (int k = 1; k <= z.NPI; ++k) s += z.Strength[k];
  return s;
}
double SigmaSum(const TZEEMAN& z) {
  double s = 0;
  for (int k = z.NPI + 1; k <= z.NCOMP; ++k) s += z.Strength[k];
  return s;
}

TEST(Zeeman, NormalTriplet) {
  SinkRecorder sink;
  TZEEMAN z;
  ASSERT_TRUE(z.SetRUNGE(0, 0, 1, 1));
  ASSERT_EQ(z.NCOMP, 2);
  ASSERT_EQ(z.NPI, 1);
  EXPECT_EQ(z.Shift[1], 0);
  EXPECT_DOUBLE_EQ(z.Strength[1], 0.5);
  EXPECT_DOUBLE_EQ(z.Shift[2], 1);
  EXPECT_DOUBLE_EQ(z.Strength[2], 0.25);
  ZeeSetRunge("TRIPLET", z, 0, 1, 0, 1);
  EXPECT_DOUBLE_EQ(z.Strength[1], 0.25);
  EXPECT_DOUBLE_EQ(z.GetGEff(), 1);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Zeeman, FeI6302) {
  SinkRecorder sink;
  TZEEMAN z;
  ZeeSetRunge("FE6302", z, 1, 0, 2.5, 0);
  ASSERT_EQ(z.NCOMP, 2);
  ASSERT_EQ(z.NPI, 1);
  EXPECT_EQ(z.Shift[1], 0);
  EXPECT_DOUBLE_EQ(z.Shift[2], 2.5);
  EXPECT_DOUBLE_EQ(PiSum(z), 0.25);
  EXPECT_DOUBLE_EQ(SigmaSum(z), 0.25);
  EXPECT_DOUBLE_EQ(z.GetGEff(), 2.5);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Zeeman, FeI6301) {
  SinkRecorder sink;
  TZEEMAN z;
  ZeeSetRunge("FE6301", z, 2, 2, 11.0 / 6, 1.5);
  ASSERT_EQ(z.NPI, 2);
  ASSERT_EQ(z.NCOMP, 6);
  const double pi[] = {1.0 / 3, 2.0 / 3};
  for (int k = 0; k < 2; ++k) EXPECT_NEAR(z.Shift[k + 1], pi[k], 1e-14);
  // the sigma group as stored: 13/6, 11/6, 3/2, 7/6
  const double sg[] = {13.0 / 6, 11.0 / 6, 1.5, 7.0 / 6};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(z.Shift[k + 3], sg[k], 1e-14);
  EXPECT_NEAR(PiSum(z), 0.25, 1e-15);
  EXPECT_NEAR(SigmaSum(z), 0.25, 1e-15);
  EXPECT_NEAR(z.GetGEff(), 5.0 / 3, 1e-14);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Zeeman, HalfIntegerAndEqualG) {
  SinkRecorder sink;
  TZEEMAN z;
  // J = 1/2 -> 3/2: the pi list starts at M = 1/2
  ASSERT_TRUE(z.SetRUNGE(0.5, 2, 1.5, 4.0 / 3));
  ASSERT_EQ(z.NPI, 1);
  EXPECT_NEAR(z.Shift[1], (2 - 4.0 / 3) * 0.5, 1e-14);
  EXPECT_NEAR(PiSum(z), 0.25, 1e-14);
  EXPECT_NEAR(SigmaSum(z), 0.25, 1e-14);
  // equal g: every pi at 0, merged into one, normalisation exact
  ASSERT_TRUE(z.SetRUNGE(2, 1.5, 3, 1.5));
  EXPECT_EQ(z.NPI, 1);
  EXPECT_EQ(z.Shift[1], 0);
  EXPECT_NEAR(z.Strength[1], 0.5, 1e-14);  // counted half: 1/4
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Zeeman, RefusedCombinations) {
  SinkRecorder sink;
  TZEEMAN z;
  ZeeSetRunge("KEEP", z, 1, 0, 2.5, 0);
  // JU - JL = 2: refused, the pattern unchanged
  EXPECT_FALSE(z.SetRUNGE(0, 1, 2, 1));
  EXPECT_EQ(z.NCOMP, 2);
  ASSERT_EQ(sink.texts.size(), 1u);
  EXPECT_NE(sink.texts[0].find("РАЗНИЦА УГЛОВЫХ МОМЕНТОВ"_cp), std::string::npos);
  // 2J not whole
  EXPECT_FALSE(z.SetRUNGE(0.3, 1, 1, 1));
  EXPECT_NE(sink.texts.back().find("ПЛОХОЕ СОЧЕТАНИЕ JL И JU"_cp), std::string::npos);
  // through ZeeSetRunge both are fatal
  EXPECT_THROW(ZeeSetRunge("BAD", z, 0, 2, 1, 1), std::exception);
  // J 0 -> 0 has no sigma strength: the operation stops (no process exit), pattern kept
  try {
    ZeeSetRunge("J00", z, 0, 0, 1, 1);
    FAIL() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("Сумма Sigma-компонент = 0!"_cp), std::string::npos);
  }
  EXPECT_EQ(z.NCOMP, 2);
  EXPECT_EQ(z.Name, "J00");
}

TEST(Zeeman, HandFractionForm) {
  SinkRecorder sink;
  TZEEMAN z;
  z.SetByHand("2 1   5 0 2   4 1 1");
  EXPECT_EQ(z.Name, "HAND_ZEE");
  ASSERT_EQ(z.NCOMP, 2);
  EXPECT_EQ(z.NPI, 1);
  EXPECT_EQ(z.Shift[1], 0);
  EXPECT_DOUBLE_EQ(z.Shift[2], 0.4);
  EXPECT_DOUBLE_EQ(z.Strength[1], 0.25);
  EXPECT_DOUBLE_EQ(z.Strength[2], 0.25);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Zeeman, HandFourWords) {
  SinkRecorder sink;
  TZEEMAN z;
  z.SetByHand("2 4 1.5 1.2 ! my line");
  EXPECT_EQ(z.Name, " my line");
  EXPECT_EQ(z.JL2, 2);
  EXPECT_EQ(z.JU2, 4);
  EXPECT_EQ(z.GL, 1.5);
  EXPECT_EQ(z.GU, 1.2);
  EXPECT_NEAR(PiSum(z) - (z.Shift[1] == 0 ? z.Strength[1] / 2 : 0), 0.25, 1e-14);
  z.SetByHand("2 4 1.5 1.2");
  EXPECT_EQ(z.Name, "");
  z.SetByHand("2 4 1.5 x1.2");
  EXPECT_TRUE(sink.Has("слово <x1.2> из строки <2 4 1.5 x1.2> - не REAL!"_cp));
}

TEST(Zeeman, HandRefusals) {
  const std::string example = "\r\nПример строки описания:\r\n"
                              "#ZEE 2 1   5 0 2   4 1 1 =# ! NCOMP=2,NPI=1  (0,2)/5  (1,1)/4"_cp;
  struct Case {
    std::string text, message;
  } cases[] = {
      {"7", "Не хватает параметров!"_cp},
      {"a 1 2 3 4 5", "Ошибка в параметре J21 (или NCOMP)!"_cp},
      {"1 b 2 3 4 5", "Ошибка в параметре J22 (или NPI)!"_cp},
      {"1 2 1 0 1 1", "Параметров NCOMP меньше, чем параметров NPI!"_cp},
      {"1 0 1 0 1", "Если NCOMP=1 то должно быть \r\n(NCOMP + 1) * 2 + 2 = NPARAM т.е. 6 = 5 "
                    "что не соблюдается!"_cp},
      {"1 0 q 0 1 1", "Ошибка в знаменателе дроби Рунге <q>!"_cp},
      {"1 0 1 z 1 1", "Ошибка в числителе 1 дроби Рунге <z>!"_cp},
      {"1 0 1 0 s 1", "Ошибка в знаменателе нормировки <s>!"_cp},
      {"1 0 1 0 1 t", "Ошибка в числителе 1 дроби нормировки <t>!"_cp},
  };
  for (const Case& c : cases) {
    SinkRecorder sink;
    TZEEMAN z;
    z.SetByHand(c.text + " ! comment");
    EXPECT_EQ(z.Name, "ERROR") << c.text;
    ASSERT_EQ(sink.texts.size(), 1u) << c.text;
    EXPECT_NE(sink.texts[0].find("TZEEMAN.SetByHand <" + c.text + " >! " + c.message + example),
              std::string::npos)
        << sink.texts[0];
  }
}

TEST(Zeeman, HandCapacityAndZeroDenominators) {
  // more than 25 components, or a zero denominator, store nothing
  for (const std::string& text :
       {std::string("26 0 1"), std::string("2 1 0 0 2 4 1 1"), std::string("2 1 5 0 2 0 1 1")}) {
    SinkRecorder sink;
    TZEEMAN z;
    z.SetByHand(text);
    EXPECT_EQ(z.Name, "ERROR") << text;
    EXPECT_EQ(z.NCOMP, 0) << text;
    EXPECT_EQ(z.Shift[1], 0) << text;
    EXPECT_EQ(sink.texts.size(), 1u) << text;
  }
  SinkRecorder sink;
  TZEEMAN z;
  std::string big = "26 0 1";
  for (int i = 0; i < 26; ++i) big += " 1";
  big += " 1";
  for (int i = 0; i < 26; ++i) big += " 1";
  z.SetByHand(big);
  EXPECT_EQ(z.NCOMP, 0);
  EXPECT_TRUE(sink.Has("NCOMP=26"));
}

TEST(Zeeman, ReportsAndClone) {
  SinkRecorder sink;
  TZEEMAN z;
  ZeeSetRunge("FE6302", z, 1, 0, 2.5, 0);
  auto r = z.Report();
  ASSERT_EQ(r->Count(), 10);
  EXPECT_EQ((*r)[0], "NCOMP=  2 NPI= 1 J1=1 J2=0 G1=2.5 G2=0");
  EXPECT_EQ((*r)[1], " РАСЩЕПЛЕНИЯ : "_cp);
  EXPECT_EQ((*r)[2], "( 0.000 )");
  EXPECT_EQ((*r)[3], "  2.500");
  EXPECT_EQ((*r)[5], "( 0.250 )");
  EXPECT_EQ((*r)[6], "  0.250");
  EXPECT_EQ((*r)[7], "  G_EFF = 2.5");
  EXPECT_EQ((*r)[8].rfind("FE6302 geff= 2.5 V0= ", 0), 0u) << (*r)[8];
  EXPECT_EQ((*r)[9], "2 0 2.5 0 !FE6302");
  TZEEMAN c;
  c.LoadClone(z);
  EXPECT_EQ(c.GetGEff(), z.GetGEff());
  EXPECT_EQ(c.Name, "FE6302");
  ZeeLoadClone(nullptr, z);
  EXPECT_TRUE(sink.Has("перед TZEEMAN.LoadClone(LIN8=<FE6302> Self NOT ASSIGNED!"_cp));
  c.Clear();
  EXPECT_EQ(c.NCOMP, 0);
  EXPECT_EQ(c.GetGEff(), 0);
}

TEST(Zeeman, LineRecordOwnsItsPattern) {
  SinkRecorder sink;
  TLIDA L;
  L.JL2 = 2;
  L.JU2 = 0;
  L.GL = 2.5;
  L.GU = 0;
  L.LAMB = 6302.4936;
  ZeeSetLine(L);
  EXPECT_DOUBLE_EQ(L.Zee.GetGEff(), 2.5);
  TLIDA copy(L);
  EXPECT_DOUBLE_EQ(copy.Zee.GetGEff(), 2.5);
  // the report line carries the effective Landé factor
  EXPECT_NE(L.sRepLine().find(" 2.500 "), std::string::npos) << L.sRepLine();
}

}  // namespace
