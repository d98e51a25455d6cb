// Project runs without a synthesis: quests whose steps run words that compute nothing, so the
// walk over the variator list, the working variator, the current quest and the removal of unread
// keys show on their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "linedata/cvDM.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "support/SynEnv.h"
#include "support/TestSupport.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

class ProjRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelServices();
    const std::string proj = dir.file("P") + "/";
    std::filesystem::create_directories(proj + "ONE");
    Models().ProjectDir.Install([proj] { return proj; });
    Models().Root.Install([this] { return dir.str() + "/"; });
    Synthesis().Quest.Install([this] { return quest; });
    Synthesis().SetQuest.Install([this](const std::string& Q) {
      quest = Q;
      set.push_back(Q);
    });
    Synthesis().ProjectName.Install([] { return std::string("P"); });
  }
  void TearDown() override { ResetModelServices(); }

  void Quest(const std::string& Name, const std::string& Text) {
    testsupport::WriteFile(dir.file("P/ONE/" + Name + ".DAT"), Text);
  }
  std::vector<std::string> Keys(TVARIATOR* V) {
    std::vector<std::string> k;
    for (int32_t j = 1; j <= V->Count(); ++j) k.push_back(V->KeyOfPar(j));
    return k;
  }
  TLVARI& L() { return *env.ctx.LVARI; }

  testsupport::SynEnv env;
  testsupport::TempDir dir;
  std::string quest = "QTEST";
  std::vector<std::string> set;
  TJob job{"RUN"};
  TLUNNO profiles;
  TQuestText text;
};

// Every step of the quest runs; a step of another quest is skipped, yet the working variator
// ends on the list's last entry. Each step keeps only the keys its run read, and a varied key
// nothing read stays (its grid numbers the results) with one warning per step.
TEST_F(ProjRuns, QuestStepsRunOthersAreSkippedUnreadKeysGo) {
  Quest("Q3", "#A 1 #\n#X 1 2 #\n#RUN VARI #\n#B 2 #\n#RUN AJUST_LGGF #\n#C 3 #\n#RUN VARI #\n");
  Quest("OTHER", "#Z 1 #\n#RUN VARI #\n");
  ASSERT_TRUE(LoadVARI("Q3"));
  EXPECT_EQ(env.ctx.VARI, L().GetQuestIQVARI("Q3", 3));
  L().LoadFromFile("OTHER", dir.file("P/ONE/OTHER.DAT"), false);
  set.clear();
  RunQuest(job, "Q3", profiles, text);
  EXPECT_EQ(env.ctx.VARI, L().GetQuestVARI("OTHER"));
  EXPECT_EQ(text.Title, "");  // the last entry visited is another quest's
  EXPECT_EQ(set, (std::vector<std::string>{"Q3", "QTEST"}));
  for (int32_t iq = 1; iq <= 3; ++iq) {
    TVARIATOR* V = L().GetQuestIQVARI("Q3", iq);
    ASSERT_NE(V, nullptr);
    EXPECT_EQ(Keys(V), (std::vector<std::string>{"#X", "#RUN"})) << iq;
    EXPECT_EQ(V->NK, 2);
  }
  EXPECT_EQ(Keys(L().GetQuestVARI("OTHER")).size(), 2u);  // not run: nothing removed
  EXPECT_EQ(env.Count("ни одного значения ключей #X"_cp), 3);
  EXPECT_EQ(job.State(), TJobState::Ready);
}

// The current quest comes back on every exit, also when a step stops fatally.
TEST_F(ProjRuns, TheQuestIsRestoredWhenAStepStops) {
  Quest("BAD", "#RUN VARI #\n#RUN cont #\n");
  EXPECT_THROW(LoadAndRunOne(job, "BAD", profiles, text), std::exception);
  EXPECT_EQ(quest, "QTEST");
  EXPECT_EQ(set, (std::vector<std::string>{"BAD", "QTEST"}));
}

// Missing files and missing steps warn; nothing runs.
TEST_F(ProjRuns, MissingFileOrStepOnlyWarns) {
  EXPECT_FALSE(LoadVARI("NONE"));
  EXPECT_EQ(env.Count("В проекте <P> в его директории"_cp), 1);
  EXPECT_EQ(env.Count("не найден файл <"_cp), 1);
  EXPECT_FALSE(LoadAndRunOne(job, "NONE", profiles, text));
  EXPECT_TRUE(set.empty());
  // a file without "#RUN" gives no step: no working variator, and RunVARI says so
  Quest("NORUN", "#A 1 #\n");
  ASSERT_TRUE(LoadVARI("NORUN"));
  EXPECT_EQ(env.ctx.VARI, nullptr);
  RunVARI(job, profiles, nullptr);
  EXPECT_EQ(env.Count("Рабочий вариатор VARI неопределен!"_cp), 1);
  EXPECT_EQ(SelectVARIStep(0), "");
  EXPECT_EQ(SelectVARIStep(-1), "");
}

// No step of the automatic quest (the default file ends before any "#RUN"): a warning before
// anything else is touched.
TEST_F(ProjRuns, CentralDepthsWithoutAStepStopBeforeTheTable) {
  std::filesystem::create_directories(dir.file("ONE"));
  testsupport::WriteFile(dir.file("ONE/Default.DAT"), "#MOD T HOLMU=#\n#EXIT ALL #\n");
  TDM unconnected;
  EXPECT_FALSE(CalcD0KurLines(job, unconnected, profiles, "6300", "6303"));
  EXPECT_EQ(env.Count("не дал ни одного шага квеста AUTO_d0"_cp), 1)
      << (env.sink.texts.empty() ? std::string() : env.sink.texts.back());
  EXPECT_EQ(L().CountQuest("AUTO_d0"), 0);
}

}  // namespace
