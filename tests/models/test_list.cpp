// The variator list: filing steps, lookups by quest and step, the working variator, the
// program's list made by the unit start, the bundled default control file.
#include <gtest/gtest.h>

#include "app/AppLinks.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvLit.h"
#include "support/ModelsEnv.h"

using testsupport::ModelsEnv;

namespace {

struct ListTest : ::testing::Test {
  ModelsEnv env;
  TLVARI& L() { return *env.ctx.LVARI; }
  std::unique_ptr<TVARIATOR> Step(const std::string& Quest, int32_t IQ, const std::string& Par) {
    auto v = std::make_unique<TVARIATOR>(Quest, IQ);
    v->AddP(Par);
    return v;
  }
};

TEST_F(ListTest, FilingSkipsIdenticalStepsAndRaisesTheStepNumber) {
  auto a = Step("Q", 1, "#A 1");
  ASSERT_TRUE(L().AddVARI(a));
  auto same = Step("Q", 1, "#A 2");  // the same change count
  EXPECT_FALSE(L().AddVARI(same));
  ASSERT_NE(same, nullptr);  // the caller keeps it
  same->AddP("#B 1");
  EXPECT_TRUE(L().AddVARI(same));
  EXPECT_EQ(L().Items(1)->IQ, 2);
  auto other = Step("R", 1, "#A 1");
  EXPECT_TRUE(L().AddVARI(other));
  auto third = Step("Q", 3, "#C 1");
  EXPECT_TRUE(L().AddVARI(third));
  EXPECT_EQ(L().CountQuest("Q"), 3);
  EXPECT_EQ(L().MaxIQ("Q"), 3);
  EXPECT_EQ(L().GetQuestVARI("Q")->IQ, 3);
  EXPECT_EQ(L().GetIQuestVARI("Q", 0)->IQ, 3);
  EXPECT_EQ(L().GetIQuestVARI("Q", 2)->IQ, 2);
  EXPECT_EQ(L().GetIQuestVARI("Q", 7), nullptr);
  EXPECT_TRUE(env.sink.Has("LVARI.GetIQuestVARI QUEST=<Q>.7 не найден!"_cp));
  EXPECT_EQ(L().GetQuestIQVARI("q", 1), nullptr);  // quest names compare exactly
  EXPECT_EQ(L().MaxIQ("none"), 0);
  EXPECT_EQ(L().CountQuest("none"), 0);
  EXPECT_EQ(L().IndexOfVARI(L().Items(2)), 2);
  auto d = L().Dump();
  EXPECT_EQ((*d)[0], "LVARI[4] DUMP:-------------");
}

TEST_F(ListTest, ReadingAQuestAgainReplacesItsStepsAndFreesTheWorkingOne) {
  const std::string f = env.Write("q.dat", "#A 1 2 #\n#RUN CONT #\n#B 1 #\n");
  L().LoadFromFile("Q", f, false);
  auto other = Step("R", 1, "#A 1");
  L().AddVARI(other);
  env.ctx.VARI = L().GetQuestVARI("Q");
  L().LoadFromFile("Q", f, false);
  EXPECT_EQ(env.ctx.VARI, nullptr);
  EXPECT_EQ(L().CountQuest("Q"), 2);
  EXPECT_EQ(L().CountQuest("R"), 1);
  EXPECT_EQ(env.ctx.rdVARI, nullptr);  // only while a file is read
  EXPECT_NE(ModelsEnv::FatalText([&] {
              L().LoadFromFile("Q", env.dir.file("no.dat"), false);
            }).find("LVARI AddFromFile - файл ["_cp),
            std::string::npos);
}

TEST_F(ListTest, TheBundledDefaultLoadsWithAnAddedRun) {
  L().LoadFromFile("Di_calc", testsupport::SourceRoot() + "/data/ONE/Default.DAT", true);
  ASSERT_EQ(L().CountQuest("Di_calc"), 1);
  TVARIATOR* v = L().GetQuestVARI("Di_calc");
  EXPECT_EQ(v->GetS("RUN"), "CONT");
  EXPECT_EQ(v->GetS("MOD"), "T HOLMU");
  EXPECT_EQ(v->NK, 1);
}

TEST(ProgramLists, TheUnitStartMakesTheListWithItsCallback) {
  InstallModelServices();
  cvDirsUnitStart();
  ASSERT_NE(LVARI, nullptr);
  ASSERT_NE(VARIWHM, nullptr);
  EXPECT_TRUE(static_cast<bool>(LVARI->Callback));
  EXPECT_EQ(VARIWHM->QUEST, "");
  EXPECT_EQ(VariCtx().LVARI, LVARI);  // the program's context outside a run
  cvDirsUnitEnd();
  EXPECT_EQ(LVARI, nullptr);
  EXPECT_EQ(VARIWHM, nullptr);
  ResetModelServices();
}

}  // namespace
