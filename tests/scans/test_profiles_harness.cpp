// The profile and line journeys through the command-line harness: the line primitives on both
// lines of noise-free generated profiles beside the generator's truth, tables and arrays of one
// slit pixel of the demo scan, and profile sums over slit rows.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

std::string Demo() { return testsupport::SourceRoot() + "/data/FITS/2019_06/20190622_164505"; }

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

// The numbers after Key on the line that starts with Head (the n-th such line).
double After(const std::string& Out, const std::string& Head, const std::string& Key, int N = 0) {
  for (const std::string& l : Lines(Out))
    if (l.rfind(Head, 0) == 0 && N-- == 0) {
      const size_t p = l.find(Key);
      if (p == std::string::npos) break;
      return std::stod(l.substr(p + Key.size()));
    }
  ADD_FAILURE() << Head << " ... " << Key << " not in\n" << Out;
  return NAN;
}

TEST(ProfileHarness, LinesMatchTheGeneratorsTruth) {
  testsupport::TempDir root;
  TScanGenOptions o;  // noise off
  o.Files = 8;
  o.NY = 48;
  const std::string scan = GenerateScan(root.str(), o);
  ASSERT_FALSE(scan.empty());
  for (const char* px : {"1 30", "5 40", "6 12"}) {
    std::string out;
    ASSERT_EQ(Batch("lines " + scan + " " + px, out), 0) << out;
    for (int n = 0; n < 2; ++n) {
      // the BisLevPair centre and the truth on one line
      const double centre = After(out, "centre ", "centre ", n);
      const double truth = After(out, "centre ", "truth ", n);
      EXPECT_NEAR(centre, truth, 0.02) << px << " line " << n + 1 << "\n" << out;
      // LineMetrix's bisector stands on the centre in every band
      int k = 0;
      for (const std::string& l : Lines(out))
        if (l.rfind("bisector", 0) == 0 && k++ == n) {
          std::istringstream s(l.substr(8));
          double b = 0;
          while (s >> b) EXPECT_NEAR(b, truth, 0.05) << px << "\n" << out;
        }
    }
    // with the true continuum: the equivalent width and the Gauss width of the truth
    const double ic = After(out, "# ", "truth Ic ");
    ASSERT_EQ(Batch("lines " + scan + " " + px + " --cont " + std::to_string(ic), out), 0);
    for (int n = 0; n < 2; ++n) {
      EXPECT_NEAR(After(out, "equivalent width", "width ", n),
                  After(out, "equivalent width", "truth ", n), 2e-3)
          << out;
      EXPECT_NEAR(After(out, "gauss mode 5", "DLD ", n), After(out, "truth DLD", "DLD ", n), 0.05)
          << out;
    }
  }
}

TEST(ProfileHarness, ProfileTablesAndArrays) {
  std::string out;
  ASSERT_EQ(Batch("profile " + Demo() + " 3 40 IV", out), 0) << out;
  auto l = Lines(out);
  ASSERT_EQ(l.size(), 113u) << out;
  EXPECT_NE(l[0].find("L"), std::string::npos);
  ASSERT_EQ(Batch("profile " + Demo() + " 3 40 IP --x n --lam0 6302.08", out), 0) << out;
  l = Lines(out);
  ASSERT_EQ(l.size(), 113u) << out;
  EXPECT_EQ(l[0].rfind("# x I Q U P cont=", 0), 0u) << l[0];
  EXPECT_NEAR(std::stod(l[56]), -0.5 * 0.021549, 1e-6);
  ASSERT_EQ(Batch("profile " + Demo() + " 3 40 D --nine", out), 0) << out;
  EXPECT_EQ(Lines(out).size(), 113u);
  ASSERT_EQ(Batch("profile " + Demo() + " 3 40 I --norm --x 1", out), 0) << out;
  EXPECT_NE(out.find("cont="), std::string::npos);
  // the first slit position has no 3 x 3 neighbourhood; a bad x mode is a usage error
  EXPECT_EQ(Batch("profile " + Demo() + " 0 40 I --nine", out), 1);
  EXPECT_EQ(Batch("profile " + Demo() + " 3 40 I --x q", out), 2);
  EXPECT_EQ(Batch("profile " + Demo() + " 3 81 I", out), 1);
}

TEST(ProfileHarness, ProfileSumsOverRows) {
  std::string out;
  ASSERT_EQ(Batch("profsum " + Demo() + " 30 31", out), 0) << out;
  const auto l = Lines(out);
  ASSERT_EQ(l.size(), 113u) << out;
  EXPECT_EQ(l[0], "# pixel I Q U V (rows 30..31 of 24 files)");
  EXPECT_GT(std::stod(l[1].substr(2)), 48 * 10000.0);
}

}  // namespace
