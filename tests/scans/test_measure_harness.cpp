// The measurement journey through the command-line harness, as a new user would try it: generate
// a scan with known lines and field, link it, set the options, load and measure it as a job, read
// one slit file's columns beside the truth; and a run cancelled between slit files.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

int Batch(const std::string& Args, std::string& Out) {
  int status = -1;
  Out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null", &status);
  return status;
}

std::vector<std::string> Lines(const std::string& S) {
  std::vector<std::string> r;
  std::istringstream ss(S);
  for (std::string l; std::getline(ss, l);) r.push_back(l);
  return r;
}

TEST(MeasureHarness, ColumnsFollowTheGeneratorsTruth) {
  testsupport::TempDir root;
  TScanGenOptions o;  // noise off
  o.Files = 6;
  o.NY = 40;
  const std::string scan = GenerateScan(root.str(), o);
  ASSERT_FALSE(scan.empty());
  std::string out;
  ASSERT_EQ(Batch("measure " + scan + " --opts 350 350 1.0 20 --file 3", out), 0) << out;
  int lines = 0, fields = 0;
  bool means = false, warned = false;
  for (const std::string& l : Lines(out)) {
    if (l.rfind("# scan bit3 ", 0) == 0) {
      EXPECT_EQ(l, "# scan bit3 1 files 1 1 1 1 1 1");
    }
    if (l.rfind("L5 means ", 0) == 0) {
      std::istringstream ss(l.substr(9));
      double m1 = 0, m2 = 0;
      ss >> m1 >> m2;
      EXPECT_NEAR(m1, 29.6, 1.0);
      EXPECT_NEAR(m2, 75.7, 1.0);
      means = true;
    }
    if (l.rfind("warning ", 0) == 0) warned = true;
    if (l.empty() || l[0] < '0' || l[0] > '9') continue;
    std::istringstream ss(l);
    int y = 0, kind = 0, cls = 0;
    double v[15];
    ss >> y >> kind >> cls;
    for (double& x : v) ss >> x;
    ASSERT_TRUE(ss) << l;
    for (double x : v) EXPECT_TRUE(std::isfinite(x)) << l;
    if (kind != 0 && kind != 1) continue;  // flat, zero and off-limb pixels: finite only
    ++lines;
    EXPECT_EQ(cls, 5) << l;
    EXPECT_NEAR(v[1], v[0], 0.02) << l;    // AGRC1
    EXPECT_NEAR(v[3], v[2], 0.02) << l;    // AGRC2
    EXPECT_NEAR(v[7], v[6], 0.01 * v[6]) << l;    // AW1 (continuum of the wings: 1 %)
    EXPECT_NEAR(v[9], v[8], 0.01 * v[8]) << l;    // AW2
    if (std::fabs(v[10]) > 200 && std::fabs(v[10]) < 1000) {
      ++fields;
      EXPECT_NEAR(v[11], v[10], 0.03 * std::fabs(v[10])) << l;  // AHM1
      EXPECT_NEAR(v[12], v[10], 0.03 * std::fabs(v[10])) << l;  // AHM2
    }
  }
  EXPECT_GT(lines, 30);
  EXPECT_GT(fields, 0);
  EXPECT_TRUE(means);
  EXPECT_TRUE(warned) << "the standing warnings are counted";
}

TEST(MeasureHarness, CancelBetweenFilesKeepsWholeFiles) {
  testsupport::TempDir root;
  TScanGenOptions o;
  o.Files = 5;
  o.NY = 10;
  const std::string scan = GenerateScan(root.str(), o);
  std::string out;
  EXPECT_EQ(Batch("measure " + scan + " --cancel-after 2", out), 130);
  EXPECT_NE(out.find("# scan bit3 0 files 1 1 0 0 0"), std::string::npos) << out;
}

}  // namespace
