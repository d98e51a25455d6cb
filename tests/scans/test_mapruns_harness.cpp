// The map-run journey through the command-line harness, as a new user would try it on a
// generated scan whose own output file already holds centre-of-gravity and longitudinal-field
// maps: the continuum maps, the line positions at half depth, the scan statistics, every map
// saved, the registry cleared and the file read back, then in the same session a map made by map
// algebra and the masks of two level filters (counts checked with numpy); a cancelled run leaves
// the file as it was.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "scans/support/MapRuns.h"
#include "scans/support/ScanFiles.h"
#include "support/TestSupport.h"

namespace {

using runtest::GenScan;

int Batch(const std::string& Env, const std::string& Args, std::string& Out) {
  int status = -1;
  Out = testsupport::RunShell(Env + std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                              &status);
  return status;
}

// "map NAME <title> ver V ..." lines by name (the last one of a name wins).
std::map<std::string, std::string> MapLines(const std::string& Out, size_t From = 0,
                                            size_t To = std::string::npos) {
  std::map<std::string, std::string> r;
  std::istringstream in(Out.substr(From, To == std::string::npos ? To : To - From));
  for (std::string l; std::getline(in, l);)
    if (l.rfind("map ", 0) == 0) r[l.substr(4, l.find(' ', 4) - 4)] = l;
  return r;
}

// The own file with the fixtures the runs read: GRC_6301/6302 and H_L_6301/6302.
void OwnFileWithFixtures(GenScan& G) {
  TLFITS& s = *G.scan;
  ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
  std::vector<TFIOut*> maps;
  maps.push_back(G.Fixture(s.OuGc1, "GRC_6301", 1, "2022",
                           [](int x, int y) { return 29.5f + 0.01f * x - 0.02f * y; }));
  maps.push_back(G.Fixture(s.OuGc2, "GRC_6302", 1, "2022",
                           [](int x, int y) { return 75.5f + 0.01f * x - 0.02f * y; }));
  maps.push_back(
      G.Fixture(s.OuH1, "H_L_6301", 1, "2002", [](int x, int y) { return 12.f * x - 5.f * y; }));
  maps.push_back(
      G.Fixture(s.OuH2, "H_L_6302", 1, "2002", [](int x, int y) { return 10.f * x - 3.f * y; }));
  TJob save("save");
  int32_t saved = 0;
  RunJob(save, [&](TJob& J) { saved = SaveMaps(J, maps); });
  ASSERT_EQ(saved, 4);
  LFIOReg().ClearAll();
}

// "levels I J: ... count N" lines of mapmask as "I J N".
std::vector<std::string> MaskCounts(const std::string& Out) {
  std::vector<std::string> r;
  std::istringstream in(Out);
  for (std::string l; std::getline(in, l);) {
    const size_t lv = l.find(" levels "), c = l.find(" count ");
    if (l.rfind("step ", 0) != 0 || lv == std::string::npos || c == std::string::npos) continue;
    std::istringstream n(l.substr(c + 7));
    int count = -1;
    n >> count;
    r.push_back(l.substr(lv + 8, l.find(':', lv) - lv - 8) + " " + std::to_string(count));
  }
  return r;
}

TEST(MapRunsHarness, ContinuumLinesStatisticsSaveClearReloadAlgebraMasks) {
  GenScan g(10, 16);
  OwnFileWithFixtures(g);
  const std::string env = "XDG_DATA_HOME=" + g.dir.str() + "/none ";
  std::string out;
  // Continuum 0 (zero pixels, on the lower bound) .. 31500; GRC_6301 29.2 .. 29.59.
  ASSERT_EQ(Batch(env,
                  "mapruns " + g.folder +
                      " cont0 bislc 0.5 bigcalc2 save clear report reload"
                      " --then mapalg 20190622 164505 --save 'Cnt=mid(CONT,CONT2)'"
                      " --then mapmask 20190622 164505 --filt Cnt '0 23000 32000'"
                      " --filt GRC_6301 '29.2 29.4, 29.45 29.6'",
                  out),
            0)
      << out;
  const size_t saveAt = out.find("maps saved: ");
  ASSERT_NE(saveAt, std::string::npos) << out;
  const auto before = MapLines(out, 0, saveAt);
  const auto after = MapLines(out, saveAt);
  // The continuum and line maps as the runs made them, read back with the same statistics.
  for (const char* name : {"CONT", "CONT2", "LCONT", "LCONT2", "d01", "d02", "Ld01", "Ld02",
                           "LC501", "LC502", "Vlos6301", "Vlos6302"}) {
    ASSERT_TRUE(before.count(name)) << name << "\n" << out;
    ASSERT_TRUE(after.count(name)) << name << "\n" << out;
    const std::string& b = before.at(name);
    const std::string& a = after.at(name);
    // The title reads back with the comment's "CV: " (the reader takes the comment whole).
    const size_t t = b.find(" <") + 2;
    EXPECT_EQ(b.substr(0, t) + "CV: " + b.substr(t, b.find(" kind ") - t),
              a.substr(0, a.find(" kind ")))
        << name;
    EXPECT_EQ(b.substr(b.find(" min ")), a.substr(a.find(" min "))) << name;
    // Calculated (8; with 1 for maps given zeroed data first), read back from the file (2).
    EXPECT_TRUE(std::regex_search(b, std::regex(" kLoad (8|9) "))) << b;
    EXPECT_NE(a.find(" kLoad 2 "), std::string::npos) << a;
  }
  EXPECT_NE(before.at("CONT").find("map CONT <Continuum Intensity> ver 20241023 kind 1"),
            std::string::npos);
  EXPECT_NE(after.at("CONT").find(" kLoad 2 [10,16] "), std::string::npos) << after.at("CONT");
  // 10 maps of the runs and 2 velocity maps; the fixtures were in the file already.
  EXPECT_NE(out.find("maps saved: 16\n"), std::string::npos) << out;
  EXPECT_NE(out.find("registry cleared, slots naming a map: 0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("OuCont-\n"), std::string::npos);
  EXPECT_NE(out.find("d0 missing 0\n"), std::string::npos) << out;
  // The statistics: mean line positions of the fixtures and the extremes.
  EXPECT_NE(out.find("lines 6301.49591 6302.48717 pix 29.395 75.395\n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("field max 99 (9,0) min -60 (0,15)\n"), std::string::npos) << out;
  // Fixture line positions fall 0.02 px per slit pixel: the reddest velocity at y = 0.
  EXPECT_NE(out.find("vel max 0.1998944 (9,0) min -0.1998969 (0,15)\n"), std::string::npos)
      << out;
  // The reloaded maps in the same session: the mean continuum made, named and saved.
  EXPECT_NE(out.find("Cnt: [10,16] kLoad "), std::string::npos) << out;
  EXPECT_NE(out.find("maps saved: 1\n"), std::string::npos) << out;
  const std::vector<std::string> mine = MaskCounts(out);
  ASSERT_EQ(mine.size(), 4u) << out;
  EXPECT_NE(out.find("step 1/4 levels 1 1: Cnt[0%23000]NN+GRC_6301[29.2%29.4]NN count "),
            std::string::npos)
      << out;
  if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  const std::string py = "/usr/bin/python3 " + testsupport::SourceRoot() +
                         "/tests/scans/support/numpy_mapalg.py ";
  EXPECT_EQ(testsupport::RunShell(py + "mid " + g.Own() + " CONT CONT2 Cnt 2>/dev/null"),
            "equal\n");
  std::vector<std::string> theirs;
  std::istringstream ref(testsupport::RunShell(py + "mask " + g.Own() +
                                               " 'Cnt:0/23000;23000/32000'"
                                               " 'GRC_6301:29.2/29.4;29.45/29.6' 2>/dev/null"));
  for (std::string l; std::getline(ref, l);) theirs.push_back(l);
  EXPECT_EQ(mine, theirs) << out;
  int passing = 0;
  for (const std::string& l : theirs) passing += std::stoi(l.substr(l.rfind(' ') + 1));
  EXPECT_GT(passing, 0);
}

TEST(MapRunsHarness, ACancelledRunLeavesTheOwnFileAsItWas) {
  GenScan g(8, 10);
  OwnFileWithFixtures(g);
  const std::string before = testsupport::ReadFile(g.Own());
  const std::string env = "XDG_DATA_HOME=" + g.dir.str() + "/none ";
  std::string out;
  // A cancelled command ends the chain.
  EXPECT_EQ(Batch(env,
                  "mapruns " + g.folder +
                      " --cancel-after 3 cont0 save report --then mapalg 20190622 164505 "
                      "'X=abs(GRC_6301)'",
                  out),
            130)
      << out;
  EXPECT_EQ(out.find("X: ["), std::string::npos) << out;
  EXPECT_NE(out.find("cancelled LFITS.CalcCont0\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("map CONT"), std::string::npos) << out;
  EXPECT_NE(out.find("maps saved: 0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("OuCont-\n"), std::string::npos) << out;
  EXPECT_EQ(testsupport::ReadFile(g.Own()), before);
}

}  // namespace
