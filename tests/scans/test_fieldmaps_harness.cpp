// The journey of the field and centre-of-gravity maps, the picked pixel's line parameters and the
// scan reports through the command-line harness on a copy of the demo scan, as a new user would
// try it: the line centres of I +- V saved, the wing-window maps made by map algebra, the moment
// maps, the centre-of-gravity and wing runs, a cancelled run, one pixel's 20 values, the reports
// and the summary with its cards.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  int status = -1;
  std::string out;
};

TRun Batch(const std::string& Args) {
  TRun r;
  r.out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                                &r.status);
  return r;
}

// "map NAME ..." lines by name.
std::map<std::string, std::string> MapLines(const std::string& Out) {
  std::map<std::string, std::string> r;
  std::istringstream in(Out);
  for (std::string l; std::getline(in, l);)
    if (l.rfind("map ", 0) == 0) r[l.substr(4, l.find(' ', 4) - 4)] = l;
  return r;
}

std::vector<std::string> Lines(const std::string& Out) {
  std::vector<std::string> r;
  std::istringstream in(Out);
  for (std::string l; std::getline(in, l);) r.push_back(l);
  return r;
}

class Journey : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(testsupport::SourceRoot() + "/data/FITS/2019_06", dir.str() + "/2019_06",
             fs::copy_options::recursive);
    scan = dir.str() + "/2019_06/20190622_164505";
  }
  testsupport::TempDir dir;
  std::string scan;
};

TEST_F(Journey, FieldAndCentreOfGravityMapsThroughTheHarness) {
  // the line centres of I +- V, saved with the continuum maps
  TRun r = Batch("mapruns " + scan + " cont0 liv save");
  ASSERT_EQ(r.status, 0) << r.out;
  auto maps = MapLines(r.out);
  ASSERT_TRUE(maps.count("LIV1"));
  EXPECT_NE(maps["LIV1"].find("<L_COG by I±V for 6301 at d[0.4..0.6]> ver 2025_03 kind 1 kLoad 9 "
                              "[24,80]"),
            std::string::npos)
      << maps["LIV1"];
  EXPECT_NE(maps["L-Wr2"].find("<L_FWHD_I±V_red for 6302> ver 2025_03"), std::string::npos);
  EXPECT_NE(r.out.find("maps saved: 12"), std::string::npos);
  // the wing windows by map algebra, then the moments in the same session
  r = Batch("mapruns " + scan + " reload --then mapalg 20190622 164505 --save "
            "'LBor1=add(LIV1,mid(LBIV1,L-Wr1))' 'LBob1=sub(LIV1,mid(LBIV1,L-Wb1))' "
            "'LBor2=add(LIV2,mid(LBIV2,L-Wr2))' 'LBob2=sub(LIV2,mid(LBIV2,L-Wb2))' "
            "--then mapruns " + scan + " wmom save");
  ASSERT_EQ(r.status, 0) << r.out;
  maps = MapLines(r.out);
  for (const char* n : {"WI1", "WI2", "BMV1", "BMV2", "BML1", "BML2", "Gm1", "Gm2", "Xi1", "Xi2",
                        "BLq1", "BLq2", "BLu1", "BLu2"}) {
    ASSERT_TRUE(maps.count(n)) << n;
    EXPECT_NE(maps[n].find("ver 2025_03 kind 1 kLoad 9 [24,80]"), std::string::npos) << maps[n];
  }
  EXPECT_NE(maps["Xi2"].find("<Field Azimuth for 6302>"), std::string::npos);
  EXPECT_NE(r.out.find("maps saved: 30"), std::string::npos) << r.out;
  // the centre-of-gravity and wing runs; without velocities (none in the own file) refused
  r = Batch("mapruns " + scan + " ivcog05");
  EXPECT_EQ(r.status, 1);
  r = Batch("mapruns " + scan + " lw ivcog ivcog05 --vw 0.3 -0.2");
  ASSERT_EQ(r.status, 0) << r.out;
  maps = MapLines(r.out);
  EXPECT_NE(maps["LWI2"].find("<Level for WingPos for 6302> ver 2022"), std::string::npos);
  EXPECT_NE(maps["IV_asym"].find("<(I±V) peak asymmetry %> ver 2022 kind 1 kLoad 9"),
            std::string::npos);
  EXPECT_NE(maps["V2IV9"].find("<V(I±V) for 6302 for Level 9>"), std::string::npos);
  EXPECT_NE(maps["B1IV06"].find("<B(I±V) for 6301 for Level 0.06>"), std::string::npos);
  EXPECT_NE(maps["V2IV03"].find("<V(I±V) for 6302 for Level 0.03>"), std::string::npos);
  // a cancelled run leaves no map of its own
  r = Batch("mapruns " + scan + " --vw 0.3 -0.2 --cancel-after 3 ivcog");
  EXPECT_EQ(r.status, 130);
  EXPECT_NE(r.out.find("cancelled LFITS.CalcIV_COG"), std::string::npos);
  EXPECT_TRUE(MapLines(r.out).empty()) << r.out;
  // the centres of I +- V need the continuum maps in the registry: the run ends, its maps unmarked
  r = Batch("mapruns " + scan + " liv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(MapLines(r.out)["LIV1"].find("kLoad 1 "), std::string::npos) << r.out;
}

TEST_F(Journey, PixelValuesReportsAndSummary) {
  TRun r = Batch("h0 " + scan + " 3 40");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto l = Lines(r.out);
  const char* names[] = {"EW1",    "EW2",    "MV1",    "MV2",    "BMom1", "BMom2", "BCog1",
                         "BCog2",  "CG1",    "CG2",    "Win1Lo", "Win1Hi", "Win2Lo", "Win2Hi",
                         "Lc1",    "Lc2",    "CIpV1",  "CImV1",  "CIpV2", "CImV2"};
  ASSERT_EQ(l.size(), 20u) << r.out;
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(l[i].substr(0, l[i].find(' ')), names[i]);
  EXPECT_EQ(Batch("h0 " + scan + " 24 40").status, 1);  // no such file
  r = Batch("scanrep " + scan + " diff");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Lines(r.out)[0], "Различающиеся поля Header-а для набора FITS-ев");
  EXPECT_EQ(Lines(r.out).size(), 4u + 24u);
  r = Batch("scanrep " + scan + " main");
  EXPECT_EQ(Lines(r.out).size(), 2u + 1u + 24u);
  r = Batch("scanrep " + scan + " time");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("mean temperatures"), std::string::npos);
  EXPECT_EQ(Batch("scanrep " + scan + " stdfilt 20 100").status, 1);  // no CB0
  r = Batch("scaninfo " + scan);
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("gbLFITS: LFITS  20190622_1645 n=24 \n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("udFITSiX max 23\n"), std::string::npos);
  EXPECT_NE(r.out.find("cards written 0"), std::string::npos);  // no own file yet
  ASSERT_EQ(Batch("mapruns " + scan + " cont0 save").status, 0);
  EXPECT_NE(Batch("scaninfo " + scan).out.find("cards written 1"), std::string::npos);
  EXPECT_NE(Batch("scaninfo " + scan).out.find("cards written 0"), std::string::npos);
}

}  // namespace
