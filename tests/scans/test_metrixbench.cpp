// The Start tab's small readers: the LineMetrix bench's points and window, the "Calc HH" line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scans/cvCalcHH.h"
#include "scans/cvMetrixBench.h"
#include "scans/cvPixelH0.h"

namespace {

std::vector<std::string> Points(int N) {
  std::vector<std::string> l;
  for (int i = 1; i <= N; ++i) l.push_back(std::to_string(i) + " " + std::to_string(100 - i));
  return l;
}

TEST(MetrixBench, PointsLevelsAndTheWindow) {
  // only lines of exactly two numbers are points, numbered on without gaps
  TMetrixInput in = ReadMetrixLines({"1 5", "x 6", "2 7 8", "3", "2 9", "II 3 7 1"});
  ASSERT_EQ(in.X.size(), 3u);
  EXPECT_EQ(in.X[2], 2.0);
  EXPECT_EQ(in.Y[2], 9.0);
  EXPECT_EQ(in.Level2, 7.0);
  EXPECT_EQ(in.Cont, 1.0);
  struct TCase {
    const char* II;
    int N, I1, I2;
  };
  const TCase cases[] = {{"II 3 7 1", 10, 2, 7},   // the point before x = 3; x = 7
                         {"II 0 20 1", 10, 1, 9},  // the last point is not used
                         {"II 0 0 1", 1, 1, 1}};   // a single point
  for (const TCase& c : cases) {
    std::vector<std::string> l = Points(c.N);
    l.push_back(c.II);
    int32_t i1 = 0, i2 = 0;
    MetrixRange(ReadMetrixLines(l), i1, i2);
    EXPECT_EQ(i1, c.I1) << c.II << " " << c.N;
    EXPECT_EQ(i2, c.I2) << c.II << " " << c.N;
  }
}

TEST(CalcHHLine, WavelengthsAsOffsetsFrom6300) {
  TH0Values v;
  v.EW1 = 150;
  v.EW2 = 200;
  v.CG1 = 6301.5;
  v.CG2 = 6302.5;
  v.Lc1 = 28.25;
  v.Win1Lo = 20;
  v.CIpV2 = 74.5;
  v.BMom1 = 1200;
  const std::string l = CalcHHLine(v);
  EXPECT_EQ(l.substr(0, 8), "1.5 2.5 ") << l;
  EXPECT_NE(l.find(" // 20 "), std::string::npos) << l;
  EXPECT_NE(l.find(" LIV=0 0 74.5 0 W=150 200 H=1200 0 0 0"), std::string::npos) << l;
  v.CG1 = 28.5;  // pixels stay as they are
  EXPECT_EQ(CalcHHLine(v).substr(0, 5), "28.5 ");
}

}  // namespace
