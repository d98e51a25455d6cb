// The FITS tab's statistics through the harness on the demo session, as a new user would try
// them: the continuum map written, a two-level filter's scatter graphs (their points add up to
// the pixels the filter passes, counted here from the map dump), a cut, the table, profiles per
// combination, the disc-geometry maps and a bad filter text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

std::string StatsBatch(const std::string& Env, const std::string& Args, int* Status = nullptr) {
  return testsupport::RunShell(Env + std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                               Status);
}

int CountOf(const std::string& Out, const std::string& Part) {
  int n = 0;
  for (size_t p = Out.find(Part); p != std::string::npos; p = Out.find(Part, p + 1)) ++n;
  return n;
}

TEST(FitsStatsHarness, GraphsCutListProfilesAndDiscGeometry) {
  testsupport::TempDir home;
  const std::string env = "XDG_DATA_HOME=" + home.str() + " ";
  int st = -1;
  StatsBatch(env, "maps-write 20190622_164505", &st);
  ASSERT_EQ(st, 0);
  // the continuum's values, to count the filter's pixels here
  StatsBatch(env, "mapalg 20190622 164505 --dump " + home.str() + " 'C=abs(CONT)'", &st);
  ASSERT_EQ(st, 0);
  std::ifstream f(home.str() + "/C.f32", std::ios::binary);
  std::vector<float> c(24 * 80);
  f.read(reinterpret_cast<char*>(c.data()), static_cast<std::streamsize>(c.size() * 4));
  ASSERT_TRUE(f);
  int low = 0, high = 0;
  for (float v : c) {
    low += v >= 15000 && v <= 20000;
    high += v >= 20000 && v <= 30000;
  }
  ASSERT_GT(low, 0);
  ASSERT_GT(high, 0);

  std::string out = StatsBatch(env,
                        "fits-stats 20190622 164505 --filt CONT '15000 20000 30000' --x CONT "
                        "--y CNTN graph",
                        &st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("combinations 2\n"), std::string::npos) << out;
  EXPECT_NE(out.find("graph CNTN(CONT)_20190622_1645 points " + std::to_string(low) + " "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("graph CNTN(CONT)_20190622_1645 points " + std::to_string(high) + " "),
            std::string::npos)
      << out;

  out = StatsBatch(env, "fits-stats 20190622 164505 --x CONT cut 10 10 13 14", &st);
  EXPECT_EQ(st, 0);
  EXPECT_NE(out.find("samples 5\n"), std::string::npos) << out;
  out = StatsBatch(env, "fits-stats 20190622 164505 --x CONT cut 10 10 10 10", &st);
  EXPECT_NE(out.find("samples 0 (nothing drawn)"), std::string::npos) << out;

  out = StatsBatch(env,
            "fits-stats 20190622 164505 --filt CONT '15000 20000' --x CONT --y CNTN --cols "
            "iX,T list",
            &st);
  EXPECT_EQ(st, 0);
  EXPECT_NE(out.find("CONT[15000%20000]NN\n"), std::string::npos) << out;
  EXPECT_EQ(CountOf(out, std::string(50, '=')), 1);

  out = StatsBatch(env,
            "fits-stats 20190622 164505 --filt CONT '15000 20000 30000' --all-sessions prof",
            &st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(CountOf(out, " ILam "), 2) << out;
  EXPECT_NE(out.find("/" + std::to_string(low) + "="), std::string::npos) << out;

  // the inversion file's coordinates and radius: the limb maps, kind 1
  out = StatsBatch(env, "fits-stats 20190622 164505 d2circ", &st);
  EXPECT_EQ(st, 0);
  EXPECT_NE(out.find("rR_LM [24,80]"), std::string::npos) << out;
  EXPECT_NE(out.find("cosTet [24,80]"), std::string::npos) << out;
  EXPECT_NE(out.find("kind 1"), std::string::npos) << out;

  // a level text with a single number: the walk has no filter
  const std::string err = testsupport::RunShell(
      env + CORVESTA_BATCH + " fits-stats 20190622 164505 --filt CONT 0.5 graph 2>&1", &st);
  EXPECT_EQ(st, 1);
  EXPECT_NE(err.find("Ни один фильтр не задан!"), std::string::npos) << err;
}

}  // namespace
