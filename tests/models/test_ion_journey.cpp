// Model building through the command-line harness: the demo quest "ion" rebuilds HSRA from its
// temperatures and its top gas pressure (the shipped option file chooses FINDPE), and the result
// is checked against the published HSRA table (Gingerich et al. 1971): lg Pg within 0.03 dex
// down to lg tau -3.5 and 0.08 dex down to 1, lg Pe within 0.1 dex, and the hydrostatic slope
// between the layers within 1 %. The same quest runs through the dispatcher's word ION.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/TestSupport.h"

namespace {

// A copy of the demo project with the shipped option file of the model building.
struct TIonProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TIonProject() {
    namespace fs = std::filesystem;
    fs::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir, fs::copy_options::recursive);
    fs::create_directories(dir + "/OTL");
    fs::copy_file(testsupport::SourceRoot() + "/data/OTL/MOD.otl", dir + "/OTL/MOD.otl",
                  fs::copy_options::overwrite_existing);
  }
};

double Figure(const std::string& Out, const std::string& Name) {
  const std::regex re(Name + "=([-0-9.eE]+)");
  std::smatch m;
  if (!std::regex_search(Out, m, re)) return 1e9;
  return std::stod(m[1].str());
}

TEST(IonJourney, HsraRebuiltAgreesWithThePublishedTable) {
  TIonProject p;
  const auto r = testsupport::RunBatch("ion-report --project '" + p.dir + "' --ref '" +
                                       testsupport::SourceRoot() +
                                       "/tests/data/models/hsra11.mod' --slopes ion");
  ASSERT_EQ(r.status, 0) << r.out;
  // the reports of the built model and of the premodel
  EXPECT_NE(r.out.find("HSRAI"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(std::string(48, '=')), std::string::npos);
  EXPECT_LE(Figure(r.out, "dlgPg\\(X<=-3\\.5\\)"), 0.03) << r.out;
  EXPECT_LE(Figure(r.out, "dlgPg\\(X<=1\\)"), 0.08) << r.out;
  EXPECT_LE(Figure(r.out, "dlgPe"), 0.1) << r.out;
  EXPECT_LE(Figure(r.out, "max slope deviation"), 0.01) << r.out;
  // 53 depths of the table lie on the working grid (lg tau 1.2 .. -4.0)
  size_t n = 0;
  for (size_t at = r.out.find("cmp X="); at != std::string::npos; at = r.out.find("cmp X=", at + 1))
    ++n;
  EXPECT_EQ(n, 53u);
  // the shipped option file has switch 18 (FINDPE) on: no warning of the hydrogen variant
  EXPECT_EQ(r.out.find("нереальные"), std::string::npos) << r.out;
}

TEST(IonJourney, RunQuestIonBuildsThroughTheDispatcher) {
  TIonProject p;
  const auto r = testsupport::RunBatch("run-quest --project '" + p.dir + "' ion");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("step ion.1 NK=1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#PREMOD"), std::string::npos) << r.out;
  // the keeper's reports come back as the quest's text results
  EXPECT_NE(r.out.find("HSRAI"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(std::string(48, '=')), std::string::npos) << r.out;
}

// "#ION 1" in a synthesis: Fe I 6302.5 computed in the built HSRAI and in HSRA itself; the built
// pressures differ by some 0.03 dex, the line's depth and width by a few per cent at most.
TEST(IonJourney, SynthesisInTheBuiltModel) {
  TIonProject p;
  const std::string keys = "#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n#H 0 #\n#GM 0 #\n"
                           "#XI 0 #\n#VD 0 #\n#VMI 1 #\n#DLK 300 #\n#NLAM 31 #\n"
                           "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#RUN CONT #\n";
  testsupport::WriteFile(p.dir + "/ONE/built.DAT",
                         "#ION 1 #\n#PREMOD Q HSRA 0=#\n#MOD T HSRAI=#\n" + keys);
  testsupport::WriteFile(p.dir + "/ONE/table.DAT", "#MOD T HSRA=#\n" + keys);
  double d0[2], ew[2];
  int k = 0;
  for (const char* q : {"built", "table"}) {
    const auto r = testsupport::RunBatch("run-quest --summary --project '" + p.dir + "' " + q);
    ASSERT_EQ(r.status, 0) << r.out;
    d0[k] = Figure(r.out, "D0");
    ew[k] = Figure(r.out, "EW");
    ++k;
  }
  ASSERT_GT(d0[1], 0.5);
  EXPECT_NEAR(d0[0] / d0[1], 1, 0.03);
  EXPECT_NEAR(ew[0] / ew[1], 1, 0.05);
}

}  // namespace
