// The limb fit through the harness, as the Test tab's buttons will run it: test points on an arc
// written to a file, the algebraic circle's memo line, the known-radius centre, two steps and
// the loop (a job) with their ">>" and "<<" lines, and a rectangle that misses the arc.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "support/TestSupport.h"

namespace {

int Batch(const std::string& Args, std::string& Out) {
  int status = -1;
  Out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>&1", &status);
  return status;
}

TEST(LimbHarness, TestPointsFitStepsAndLoop) {
  testsupport::TempDir dir;
  const std::string pts = dir.file("limb.txt");
  std::string out;
  ASSERT_EQ(Batch("limb test --n 300 --noise 0.5 --seed 3 " + pts, out), 0) << out;
  EXPECT_NE(out.find("points 300\n"), std::string::npos) << out;
  // The algebraic circle near the generator's (512, 512, 980).
  ASSERT_EQ(Batch("limb lsq " + pts, out), 0) << out;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out, m, std::regex("C_x=([-0-9.]+) C_y=([-0-9.]+) R=([-0-9.]+)")))
      << out;
  EXPECT_NEAR(std::stod(m[1]), 512, 3);
  EXPECT_NEAR(std::stod(m[2]), 512, 3);
  EXPECT_NEAR(std::stod(m[3]), 980, 3);
  ASSERT_EQ(Batch("limb find " + pts + " --r 980", out), 0) << out;
  EXPECT_NE(out.find("err="), std::string::npos) << out;
  // Two steps from (500, 520): four lines, the first accepted towards the centre.
  ASSERT_EQ(Batch("limb step " + pts + " --xc 500 --yc 520 --steps 2", out), 0) << out;
  EXPECT_NE(out.find(">> I=0 XC=500 YC=520 R=980 e2/e1=2 dx="), std::string::npos) << out;
  EXPECT_NE(out.find("<< I=1 XC="), std::string::npos) << out;
  EXPECT_NE(out.find("lambda 0.002\n"), std::string::npos) << out;  // 1E-3 * 1 / 0.5
  // The loop ends on the relative change with the centre near the truth.
  ASSERT_EQ(Batch("limb loop " + pts + " --xc 500 --yc 520", out), 0) << out;
  ASSERT_TRUE(std::regex_search(out, m, std::regex("steps ([0-9]+) circle ([-0-9.]+) ([-0-9.]+)")))
      << out;
  EXPECT_LT(std::stoi(m[1]), 10000);
  EXPECT_NEAR(std::stod(m[2]), 512, 3);
  EXPECT_NEAR(std::stod(m[3]), 512, 3);
  // A rectangle inside the circle: the warning, exit 1.
  EXPECT_EQ(Batch("limb test --centre 0 0 --r 10 --rect -1 1 -1 1", out), 1) << out;
  EXPECT_NE(out.find("[(-1,1):(-1,1)]"), std::string::npos) << out;
}

}  // namespace
