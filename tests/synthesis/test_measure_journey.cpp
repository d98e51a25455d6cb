// Measuring profiles through the command-line harness as a new user would: run a demo quest,
// read its result file back and measure every profile as the Unno tab's table shows it; compare
// profiles (a refused difference leaves the program and the list as they were); the field of a
// synthesised line from the centres of gravity of I+-V; contribution functions of the demo quest
// "cfrf" stored in the keeper.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  TRun Run(const std::string& Quest) {
    return testsupport::RunBatch("run-quest --project '" + dir + "' " + Quest);
  }
  TRun Load(const std::string& Quest, const std::string& Opts) {
    return testsupport::RunBatch("unno-load --project '" + dir + "' " + Opts + " '" + dir +
                                 "/DC/" + Quest + ".txt'");
  }
};

// The numbers after Label on each line starting with it.
std::vector<std::vector<double>> Rows(const std::string& Out, const std::string& Label) {
  std::vector<std::vector<double>> r;
  std::istringstream in(Out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(Label + " ", 0) != 0) continue;
    std::istringstream w(line.substr(Label.size()));
    std::vector<double> v;
    std::string t;
    while (w >> t) {
      char* end = nullptr;
      const double x = std::strtod(t.c_str(), &end);
      if (end && *end == 0) v.push_back(x);
    }
    r.push_back(v);
  }
  return r;
}

TEST(MeasureJourney, PairQuestMeasuredAsTheUnnoTableShowsIt) {
  TProject p;
  ASSERT_EQ(p.Run("pair").status, 0);
  const TRun r = p.Load("pair", "--measure --levels --rstep 0.05 --level D0 0.5");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Rows(r.out, "profile").size(), 6u) << r.out;
  const auto depth = Rows(r.out, "depth");
  ASSERT_EQ(depth.size(), 6u);
  for (const auto& d : depth) {
    ASSERT_EQ(d.size(), 3u);
    EXPECT_GT(d[0], 0.3);   // depth
    EXPECT_LE(d[1], d[0] + 1e-9);  // central depth
    EXPECT_GT(d[2], 50);   // equivalent width, mA
  }
  // the level table from the continuum down in steps of 0.05
  const auto levels = Rows(r.out, "level");
  ASSERT_GT(levels.size(), 60u);
  EXPECT_NEAR(levels[1][0], 0.95, 1e-9);
  EXPECT_EQ(Rows(r.out, "BisecPoints").front().size(), 8u);
  EXPECT_EQ(Rows(r.out, "Bisector9").front().size(), 9u);
  // the field grows with the field strength of the line's three combinations
  const auto b = Rows(r.out, "COGivField core");
  ASSERT_EQ(b.size(), 6u);
  EXPECT_NEAR(b[3][0], 0, 1e-9);
  EXPECT_GT(b[5][0], b[4][0]);
  EXPECT_GT(b[4][0], 300);
  EXPECT_NE(r.out.find("measured 6 of 6"), std::string::npos);
  // cancelled after two profiles: the two rows done are kept
  const TRun c = p.Load("pair", "--measure --cancel-after 2");
  EXPECT_EQ(c.status, 130) << c.out;
  EXPECT_NE(c.out.find("measured 2 of 6"), std::string::npos) << c.out;
}

TEST(MeasureJourney, RefusedDifferenceLeavesTheListAndTheReportsRun) {
  TProject p;
  ASSERT_EQ(p.Run("pair").status, 0);
  // combination 1 (no field) was written intensity-only, 2 with all four Stokes profiles
  const TRun r = p.Load("pair", "--dif 1 2 --dif 2 3 --sum 2,3 --report list --report lambs");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("dif Q=pair IQ=1 K=2 KDif=1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sum Q=pair"), std::string::npos);
  EXPECT_NE(r.out.find("PART=2"), std::string::npos);
  const TRun bad = p.Load("pair", "--dif 1 2 --report list");
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_NE(bad.out.find("UNNO.Dif U1<>U2.(K4 )"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("pair.1 KVARI=1"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("pair.1 KVARI=2"), std::string::npos) << bad.out;
  // the program went on: the list report and the list of six
  EXPECT_NE(bad.out.find("report list"), std::string::npos);
  EXPECT_NE(bad.out.find("list 6 profiles"), std::string::npos);
  // the fit of the five others against combination 2 taken as an observation
  const TRun fit = p.Load("pair", "--fit 2");
  EXPECT_EQ(fit.status, 0) << fit.out;
  EXPECT_EQ(Rows(fit.out, "fit").size(), 5u) << fit.out;
  EXPECT_NE(fit.out.find("fitted "), std::string::npos);
  // difference profiles against combination 2 (divided by their continuum first)
  const TRun fd = p.Load("pair", "--fill-dif 2");
  EXPECT_NE(fd.out.find("difference profiles"), std::string::npos) << fd.out;
}

TEST(MeasureJourney, FieldOfFe6302At500GaussFromTheCentresOfGravity) {
  TProject p;
  testsupport::WriteFile(p.dir + "/ONE/b500.DAT",
                         "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                         "#H 500 #\n#GM 0 #\n#XI 0 #\n#VD 0 #\n#VMI 1 #\n#DLK 300 #\n"
                         "#NLAM 61 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n"
                         "#RUN CONT #\n");
  ASSERT_EQ(p.Run("b500").status, 0);
  for (const char* axis : {"", "--cog-index"}) {
    const TRun r = p.Load("b500", std::string("--measure ") + axis);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto b = Rows(r.out, "COGivField B");
    ASSERT_EQ(b.size(), 1u);
    ASSERT_EQ(b[0].size(), 9u);
    // slices 2..9 within 2 % (the top slice loses wing area at the grid's edge)
    for (int s = 1; s < 9; ++s) EXPECT_NEAR(b[0][static_cast<size_t>(s)], 500, 10) << s + 1;
    const auto v = Rows(r.out, "COGivField v");
    for (int s = 1; s < 8; ++s) EXPECT_NEAR(v[0][static_cast<size_t>(s)], 0, 0.05) << s + 1;
  }
}

TEST(MeasureJourney, ContributionFunctionsOfTheCfrfQuest) {
  TProject p;
  ASSERT_EQ(p.Run("cfrf").status, 0);
  for (const char* spec : {"RI|dLam=0", "wI", "d0", "width|RLevel=D0 dLev=0.3"}) {
    for (int slice : {1, 2}) {
      const TRun r = p.Load("cfrf", std::string("--cfrf '") + spec + "' --slice " +
                                        std::to_string(slice));
      ASSERT_EQ(r.status, 0) << r.out;
      EXPECT_NE(r.out.find("cfrf points 46"), std::string::npos) << spec << r.out;
      std::vector<std::vector<double>> xy;
      for (const auto& row : Rows(r.out, "cfrf"))
        if (row.size() == 2) xy.push_back(row);
      ASSERT_EQ(xy.size(), 46u);
      EXPECT_NEAR(xy[0][0], -4, 1e-9);
      EXPECT_NEAR(xy[45][0], 0.5, 1e-9);
      // stored in the keeper under the probe layer's name, for the slice's field
      EXPECT_NE(r.out.find("cfrf stored 1 RF_T(X_0.1,M=100)"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find(std::string("#H=") + (slice == 1 ? "0" : "1000") + "|" + spec),
                std::string::npos)
          << r.out;
    }
  }
  const TRun three = p.Load("cfrf", "--cfrf d0 --slice 3");
  EXPECT_NE(three.out.find("cfrf stored 0"), std::string::npos) << three.out;
  EXPECT_NE(three.out.find("3 больше числа возможных комбинаций 2"), std::string::npos)
      << three.out;
}

// The Unno tab's table from the harness: the pair's six profiles, a page of four rows (the second
// page holds profiles 5 and 6), a parameter filter, and the table dump with one row per profile.
TEST(MeasureJourney, UnnoTableOfThePairResultFile) {
  TProject p;
  ASSERT_EQ(p.Run("pair").status, 0);
  const std::string file = " '" + p.dir + "/DC/pair.txt'";
  const std::string project = "unno-table --project '" + p.dir + "' ";
  TRun r = testsupport::RunBatch(project + "--groups K,D --page 2 --rows 4" + file);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("slots LIN H"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("rows 2 of 6 page 2 first 5"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("row KV=5 LIN=FE6302 H=1000"), std::string::npos) << r.out;
  r = testsupport::RunBatch(project + "--param H=2000 --report P" + file);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("rows 2 of 2"), std::string::npos) << r.out;
  // the dump: a header of the shown columns' captions, then one aligned row per profile
  EXPECT_NE(r.out.find("\n KV  LIN     H"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  6  FE6302  2000"), std::string::npos) << r.out;
  r = testsupport::RunBatch(project + "--groups Q" + file);
  EXPECT_NE(r.status, 0);
}

// "#RUN PMOD1" inside a run: the keeper's report comes back once with the run's text results
// (the run is a job; the editor belongs to the window's thread).
TEST(MeasureJourney, Pmod1ReportComesBackWithTheTextResults) {
  TProject p;
  std::ofstream(p.dir + "/ONE/pm1.DAT")
      << "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n#RUN PMOD1 #\n";
  const TRun r = p.Run("pm1");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string head = "Отчет хранителя векторов для модели HSRA";
  const size_t at = r.out.find(head);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(head, at + 1), std::string::npos) << r.out;
}

}  // namespace
