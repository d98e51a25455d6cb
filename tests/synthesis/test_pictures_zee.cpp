// The Zeeman pattern test: level designations, LS-coupling Landé factors and exact Runge
// fractions checked against textbook values (Fe I 6301.5 and 6302.5, the Na D2 pattern), the
// control file's report and panels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "synthesis/pictures/cvZeeTest.h"

namespace {

TEST(ZeeLevels, DesignationsLandeFactorsAndFractions) {
  struct {
    const char* level;
    double J, L, S;
    int32_t num, den;
  } cases[] = {
      {"   3P  2  ", 2, 1, 1, 3, 2},     {"   5P  2  ", 2, 1, 2, 11, 6},
      {"   5D  2  ", 2, 2, 2, 3, 2},     {"   5P  1  ", 1, 1, 2, 5, 2},
      {"   5D  0  ", 0, 2, 2, 0, 1},     {"   2S  1/2", 0.5, 0, 0.5, 2, 1},
      {"   2P  3/2", 1.5, 1, 0.5, 4, 3}, {"   2P  1/2", 0.5, 1, 0.5, 2, 3},
      {"   4M  5/2", 2.5, 9, 1.5, 10, 99},
  };
  for (const auto& c : cases) {
    double J = -1, L = -1, S = -1;
    ASSERT_TRUE(ParseLevel(c.level, J, L, S)) << c.level;
    EXPECT_EQ(J, c.J) << c.level;
    EXPECT_EQ(L, c.L) << c.level;
    EXPECT_EQ(S, c.S) << c.level;
    int32_t n = 0, d = 0;
    double g = 0;
    if (std::string(c.level) == "   4M  5/2") {  // J below L - S
      EXPECT_FALSE(CheckSLJ(S, L, J));
      EXPECT_FALSE(LandeG(S, L, J, g));
      continue;
    }
    ASSERT_TRUE(LandeGFrac(S, L, J, n, d)) << c.level;
    EXPECT_EQ(n, c.num) << c.level;
    EXPECT_EQ(d, c.den) << c.level;
    ASSERT_TRUE(LandeG(S, L, J, g));
    EXPECT_NEAR(g, static_cast<double>(c.num) / c.den, 1e-12) << c.level;
  }
  double J, L, S;
  EXPECT_FALSE(ParseLevel("   5Q  2  ", J, L, S));
  EXPECT_FALSE(ParseLevel("   xP  2  ", J, L, S));
  EXPECT_FALSE(ParseLevel("   5P", J, L, S));
  EXPECT_FALSE(CheckSLJ(1, 1, 1.5));  // J and S of different kinds
}

TEST(ZeeRunge, ExactFractionsOfTextbookPatterns) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  TIRunge r;
  // Fe I 6302.5: 5P1 -> 5D0, g_eff 2.5
  ASSERT_TRUE(SetIRUNGE(r, 5, 2, 0, 1, 0, 1));
  EXPECT_NEAR(IRungeGEff(r), 2.5, 1e-12);
  // Fe I 6301.5: 5P2 -> 5D2, g_eff (11/6 + 3/2) / 2 = 5/3
  ASSERT_TRUE(SetIRUNGE(r, 11, 6, 3, 2, 2, 2));
  EXPECT_NEAR(IRungeGEff(r), 5.0 / 3, 1e-12);
  // Na D2: 2S1/2 (g 2) -> 2P3/2 (g 4/3): pi at 1/3, sigma at 1 and 5/3 with strengths 3 : 1
  ASSERT_TRUE(SetIRUNGE(r, 2, 1, 4, 3, 1.5, 0.5));
  SortSigma(r);
  const auto rep = IRungeReport(r);
  ASSERT_EQ(rep->Count(), 8);
  EXPECT_EQ((*rep)[1], "NCOMP=  3 NPI= 1");
  EXPECT_EQ((*rep)[3], "(1,  )");
  EXPECT_EQ((*rep)[4], " 3,5, /3");
  EXPECT_EQ((*rep)[6], "(4,  )");
  EXPECT_EQ((*rep)[7], " 3,1, /16");
  EXPECT_NEAR(IRungeGEff(r), 7.0 / 6, 1e-12);
  // a forbidden change of J is refused silently, a factor outside [-2, 5] with a warning
  EXPECT_FALSE(SetIRUNGE(r, 1, 1, 1, 1, 3, 1));
  EXPECT_TRUE(sink.texts.empty());
  EXPECT_FALSE(SetIRUNGE(r, 11, 1, 1, 1, 1, 1));
  EXPECT_TRUE(sink.Has("SetIRUNGE-W-ФАКТОРЫ ЛАНДЕ УРОВНЕЙ GL,GU:1/1 11/1"_cp));
}

TEST(ZeeTestRun, ReportPanelsAndTheDrawing) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  testsupport::TempDir dir;
  const std::string ctrl = dir.file("ZEE.dat"), res = dir.file("ZEE.res");
  testsupport::WriteFile(ctrl,
                         "   5P  2       5D  2   ! FE6301 5P2-5D2\n"
                         "   5P  1       5D  0   ! FE6302 5P1-5D0\n"
                         "   5X  2       5D  2   ! no orbital X\n"
                         "3 -3 0 1 1 2 1 ! three components\n"
                         "2 0 2.5 0 ! by hand, as FE6302\n"
                         "END\n"
                         "   5P  2       5D  2   ! after the end\n");
  TJob job("ZeeTest");
  TZeeTestResult r;
  ASSERT_TRUE(ZeeTestRun(job, ctrl, res, 0, r));
  const std::string text = r.Report->Text();
  for (const std::string& part :
       {std::string("JL= 2.0 LL= 1.0 SL= 2.0 GL= 11/6"), std::string("JU= 2.0 LU= 2.0 SU= 2.0 GU= 3/2"),
        std::string("   G_eff =  1.66667"), std::string(" GL= 5/2"), std::string(" GU= 0/1"),
        std::string("   G_eff =  2.50000"),
        "Не удается определить квантовые числа J,L,S из"_cp,
        "подстрок уровней Low=   5X  2   и Up=   5D  2  "_cp})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_EQ(text.find("after the end"), std::string::npos);
  EXPECT_EQ(testsupport::ReadFile(res).empty(), false);
  ASSERT_EQ(r.Panels.size(), 4u);
  EXPECT_EQ(r.Panels[0].Title, "FE6301 5P2-5D2");
  EXPECT_TRUE(r.Panels[2].HFS);
  EXPECT_EQ(r.HfsMin, -3);  // (-3, 1) made symmetric
  EXPECT_EQ(r.HfsMax, 3);
  // panel 1 (top right of 2 x 2): sigma of 5P1-5D0 at -2.5 in blue and +2.5 in red, downwards
  platform::TBitmap B(400, 300);
  TGRAF G;
  ZeeTestDraw(G, B.Canvas(), r, 2, 2, 4);
  auto has = [&](int32_t x0, int32_t x1, int32_t y, uint32_t c) {
    for (int32_t x = x0; x <= x1; ++x)
      if (B.Pixel(x, y) == c) return true;
    return false;
  };
  EXPECT_TRUE(has(234, 241, 85, 0xFF0000u));
  EXPECT_TRUE(has(358, 366, 85, 0x0000FFu));
  EXPECT_FALSE(has(234, 241, 65, 0xFF0000u));  // nothing above the axis there
  // the symmetric range taken from "Set dLam"
  ASSERT_TRUE(ZeeTestRun(job, ctrl, "", 7, r));
  EXPECT_EQ(r.HfsMax, 7);
  // a missing control file
  EXPECT_FALSE(ZeeTestRun(job, dir.file("none.dat"), "", 0, r));
  EXPECT_TRUE(sink.Has("] не найден!"_cp));
}

TEST(ZeeTestRun, LayoutFieldsFallBackToFour) {
  std::string t = "x";
  EXPECT_EQ(ZeeLayoutField(t), 4);
  EXPECT_EQ(t, "4");
  t = "6";
  EXPECT_EQ(ZeeLayoutField(t), 6);
  EXPECT_EQ(t, "6");
}

}  // namespace

namespace {

// A database line whose pattern cannot be formed is a report line; the test goes on.
TEST(ZeeTestRun, LineWithoutAPatternIsAReportLine) {
  testsupport::SinkRecorder sink(testsupport::SinkRecorder::kWarnOn);
  TZeeTestResult r;
  r.Report = std::make_unique<TStringList>();
  TLIDA bad;
  bad.JL2 = 0;
  bad.JU2 = 0;  // J 0 -> 0: no sigma components
  bad.GL = 1;
  bad.GU = 1;
  EXPECT_NO_THROW(ZeeTestLine("XX1", bad, r));
  EXPECT_TRUE(r.Panels.empty());
  TLIDA good;
  good.JL2 = 2;
  good.JU2 = 0;
  good.GL = 2.5;
  good.GU = 0;
  ZeeTestLine("FE6302", good, r);
  ASSERT_EQ(r.Panels.size(), 1u);
  EXPECT_EQ(r.Panels[0].Z.NCOMP, 2);
  const std::string text = r.Report->Text();
  EXPECT_NE(text.find("1SetRUNGE-F- Не удается посчитать дробь рунге для XX1"_cp), std::string::npos)
      << text;
  EXPECT_NE(text.find(" JL= 1.0 GL= 2.500"), std::string::npos) << text;
}

}  // namespace
