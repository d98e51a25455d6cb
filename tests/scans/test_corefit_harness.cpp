// The journey of the Gauss-model fits through the command-line harness on a copy of the demo
// scan, as a new user would try it: one pixel's profile refined by codes and by a sequence with
// its report lines, the wing-fit and core-fit maps (refused without windows, then with them), the
// polarisation-integral maps saved and read back, the filtered maps over the WV maps made by map
// algebra, and a cancelled core run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct TRunH {
  int status = -1;
  std::string out;
};

TRunH Harness(const std::string& Args) {
  TRunH r;
  r.out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>&1", &r.status);
  return r;
}

std::map<std::string, std::string> MapLinesOf(const std::string& Out) {
  std::map<std::string, std::string> r;
  std::istringstream in(Out);
  for (std::string l; std::getline(in, l);)
    if (l.rfind("map ", 0) == 0) r[l.substr(4, l.find(' ', 4) - 4)] = l;
  return r;
}

class FitJourney : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(testsupport::SourceRoot() + "/data/FITS/2019_06", dir.str() + "/2019_06",
             fs::copy_options::recursive);
    scan = dir.str() + "/2019_06/20190622_164505";
  }
  testsupport::TempDir dir;
  std::string scan;
};

TEST_F(FitJourney, OnePixelThroughTheMeasurer) {
  TRunH r = Harness("curi " + scan + " 3 40 6301 --codes k3,L6,k3 --reps 2 --seq FitAll");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("pixel 3 40 line 6301 cont "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("iX=3 iY=40 6301  iB="), std::string::npos);
  EXPECT_NE(r.out.find(" start\n"), std::string::npos);
  EXPECT_NE(r.out.find(" end\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nFitA"), std::string::npos);
  // the refits' own lines with --report
  r = Harness("curi " + scan + " 3 40 6302 --seq FitLamDLD --report --win 74 78");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("window 74 78"), std::string::npos);
  EXPECT_NE(r.out.find("ReLam(k3)-------->"), std::string::npos);
  EXPECT_NE(r.out.find("------ReDLD(1)-------->"), std::string::npos);
  EXPECT_NE(r.out.find("(ka=3) gH="), std::string::npos);
  EXPECT_EQ(Harness("curi " + scan + " 3 40 6303").status, 2);
  EXPECT_EQ(Harness("curi " + scan + " 3 40 6301 --seq Fit").status, 2);
  EXPECT_EQ(Harness("curi " + scan + " 99 40 6301").status, 1);
}

TEST_F(FitJourney, FitMapsThroughTheHarness) {
  // no windows: the core run is refused before anything is set up, naming them
  TRunH r = Harness("mapruns " + scan + " cont0 core");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("iB1=0 iR1=0; 6302: iB2=0 iR2=0"), std::string::npos) << r.out;
  EXPECT_EQ(MapLinesOf(r.out).count("Cor1_DLD6"), 0u);

  r = Harness("mapruns " + scan +
              " cont0 lw dfull dtilt bislc 0.5 core --win1 26 34 --win2 73 79");
  ASSERT_EQ(r.status, 0) << r.out;
  auto maps = MapLinesOf(r.out);
  for (const char* name : {"DFull1", "d0Full2", "Dtilt1", "BWdl", "kat2", "Core1_A8",
                           "Cor1_DLD6", "Core2_L0"})
    EXPECT_EQ(maps.count(name), 1u) << name;
  EXPECT_NE(maps["Cor1_DLD"].find("kLoad 8"), std::string::npos) << maps["Cor1_DLD"];
  EXPECT_NE(r.out.find("22_1645 LFITS.CalcCore|iX=0001/"), std::string::npos);
  EXPECT_NE(r.out.find("memo lines "), std::string::npos);
  EXPECT_NE(r.out.find("(раз: "), std::string::npos);

  // the polarisation integrals at 0.9, the WV maps made from them, the band filtered
  r = Harness("mapruns " + scan + " cont0 kvi --level 0.9 --step --then mapalg 20190622 "
              "164505 \"WV1=add(abs(wVp190),abs(wVn190))\" \"WV2=add(abs(wVp290),abs(wVn290))\" "
              "--then mapruns " + scan + " filt 20 40 V --abs");
  ASSERT_EQ(r.status, 0) << r.out;
  maps = MapLinesOf(r.out);
  EXPECT_EQ(maps.count("wVp290"), 1u);
  EXPECT_EQ(maps.count("WQUr190"), 1u);
  EXPECT_NE(maps["fltVa1C_20_40"].find("<Filt(V) [20,40] per Cont for 6301> ver 2022 kind 1 kLoad 8"),
            std::string::npos)
      << maps["fltVa1C_20_40"];
  EXPECT_NE(r.out.find("filter line 1"), std::string::npos);

  // cancelled between files: nothing of the core run is left
  r = Harness("mapruns " + scan + " cont0 --then mapruns " + scan +
              " --cancel-after 2 core --win1 26 34 --win2 73 79 report");
  EXPECT_EQ(r.status, 130);
  EXPECT_NE(r.out.find("cancelled LFITS.CalcCoreMaps"), std::string::npos);
  EXPECT_EQ(MapLinesOf(r.out).count("Cor1_DLD6"), 0u);
}

}  // namespace
