// Journeys through the command-line harness: the demo project's quest read and listed, a bad
// control file reported with its place, a large grid listing stopped by Ctrl-C, option files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args, const std::string& Prefix = std::string()) {
  return testsupport::RunBatch(Args, Prefix);
}

bool Has(const TRun& R, const std::string& Part) { return R.out.find(Part) != std::string::npos; }

TEST(ModelsJourney, DemoQuestListsEachStep) {
  const TRun r = Harness("vari 'ONE\\demo.DAT'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, "Список вариантов вариатора <demo>.1 :")) << r.out;
  EXPECT_TRUE(Has(r, "JJ =  1 Вариант = #LAM #NLAM"));
  EXPECT_TRUE(Has(r, "K =   5 => #LAM=5010.0 #NLAM=41"));
  EXPECT_TRUE(Has(r, "Список вариантов вариатора <demo>.2 :"));
  EXPECT_TRUE(Has(r, "K =  15 => #LAM=5010.0 #NLAM=41 #H=2000"));
  EXPECT_FALSE(Has(r, "<demo>.3"));
  EXPECT_TRUE(Has(r, " #MOD T HOLMU\n"));
  EXPECT_TRUE(Has(r, " #TITLE Fe I lines in the Holweger-Mueller model, disc centre\n"));
  EXPECT_TRUE(Has(r, " #VMI 0.8\n"));  // from the include in the root's ONE folder
  EXPECT_TRUE(Has(r, "! Вариатор <demo>.2 :\n"));
  EXPECT_TRUE(Has(r, "#RUN CONT #\n#EXIT USE #\n") || Has(r, "#EXIT USE #\n"));
  EXPECT_FALSE(Has(r, "#BROKEN"));
}

TEST(ModelsJourney, ReadingErrorNamesThePlace) {
  testsupport::TempDir proj;
  std::filesystem::create_directories(proj.path() / "ONE");
  testsupport::WriteFile(proj.file("ONE/bad.DAT"), "#A 1 2 #\n#RUN CONT #\n#B 1 # tail\n");
  const TRun r = Harness("vari --project '" + proj.str() + "' ONE/bad.DAT");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(Has(r, proj.file("ONE/bad.DAT") + ":3:")) << r.out;
  EXPECT_TRUE(Has(r, "не должно ничего стоять после закрывающего знака")) << r.out;
}

TEST(ModelsJourney, LargeGridListingStopsOnCtrlC) {
  testsupport::TempDir proj;
  std::filesystem::create_directories(proj.path() / "ONE");
  std::string text;
  for (int i = 0; i < 6; ++i) text += "#P" + std::to_string(i) + " 0 1 2 3 4 5 6 7 8 9 #\n";
  testsupport::WriteFile(proj.file("ONE/big.DAT"), text + "#RUN CONT #\n");
  // Ctrl-C once the job runs (its first output seen), however slowly the harness starts
  const std::string log = proj.file("out.txt"), status = proj.file("status.txt");
  const std::string cmd = "'" + std::string(CORVESTA_BATCH) + "' vari --project '" + proj.str() +
                          "' ONE/big.DAT > '" + log + "' 2>&1 & p=$!; i=0; "
                          "while [ ! -s '" + log + "' ] && [ $i -lt 600 ]; do sleep 0.05; "
                          "i=$((i+1)); done; kill -INT $p; wait $p; echo $? > '" + status + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string out = testsupport::ReadFile(log);
  EXPECT_EQ(testsupport::ReadFile(status), "130\n") << out.substr(0, 2000);
}

TEST(ModelsJourney, OptionFilesComeFromTheProjectsTemplates) {
  const TRun r = Harness("rdot PMOD3");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, "Projects/Demo/OTL/PMOD3.otl")) << r.out;
  EXPECT_TRUE(Has(r, "title=PMOD3 mask=0"));
  const TRun g = Harness("rout 1");
  ASSERT_EQ(g.status, 0) << g.out;
  EXPECT_TRUE(Has(g, "points=105\n1.2\n"));
}

}  // namespace
