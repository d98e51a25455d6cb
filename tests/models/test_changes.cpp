// Changes of a built variator, combination choice, probe-layer vector names, reports.
#include <gtest/gtest.h>

#include <thread>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "support/ModelsEnv.h"

using testsupport::ModelsEnv;

namespace {

struct ChangesTest : ::testing::Test {
  ModelsEnv env;
  TVARIATOR v{"Q", 1};
  void SetUp() override {
    v.AddP("#A 1 2");
    v.AddP("#B x y z");
  }
};

TEST_F(ChangesTest, StepKChangesOneDimension) {
  v.KIdx = 4;  // A=2 B=x
  v.StepK("#B", 3);
  EXPECT_EQ(v.KIdx, 3);  // A back to its first value, B = z
  v.StepK("#A", 2);
  EXPECT_EQ(v.KIdx, 6);  // B keeps z
  v.StepK("#A", 3);      // A has no third value: nothing
  EXPECT_EQ(v.KIdx, 6);
}

TEST_F(ChangesTest, GetKFindsTheCombinationsOfValueNumbers) {
  v.AddP("#C 5");
  EXPECT_EQ(v.GetK("#A", {2}), (std::vector<int32_t>{4, 5, 6}));
  EXPECT_EQ(v.GetK("#B #C", {3, 1}), (std::vector<int32_t>{3, 6}));
  EXPECT_EQ(v.GetKByStr("#A #B", "2 3"), 6);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetK("#A #B", {1}); }).find("2 ключей"_cp),
            std::string::npos);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetK("#A", {3}); }).find("есть всего 2 вариантов"_cp),
            std::string::npos);
}

TEST_F(ChangesTest, UpDateReplacesTheCurrentValue) {
  v.KIdx = 5;
  v.UpDate("#B", "w", 77);
  EXPECT_EQ(v.GetPKS("B", 2), "w");
  EXPECT_EQ(v.KeyStamp("B"), 77u);
  v.KIdx = 1;
  v.UpDate("B", "v", 0);
  EXPECT_EQ(v.GetPKS("B", 1), "v");
  EXPECT_NE(ModelsEnv::FatalText([&] { v.UpDate("#NONE", "1", 0); }).find("Key=<#NONE> Not Found"),
            std::string::npos);
}

TEST_F(ChangesTest, AppendGrowsAndMakesDimensions) {
  v.AddP("#C 5");
  v.ConcateP("#D p q r");
  v.KIdx = 3;
  bool added = false;
  v.Append("#C", "6", added);
  EXPECT_TRUE(added);
  EXPECT_EQ(v.NK, 12);
  EXPECT_EQ(v.KIdx, 1);
  EXPECT_EQ(v.FindRec("C")->LIdx, 3);
  EXPECT_EQ(v.KeyIdx("C"), 4);  // after the last multi-valued parameter
  v.Append("#C", "6", added);
  EXPECT_FALSE(added);
  v.Append("#B", "t", added);  // the joined #D follows with its last value
  EXPECT_EQ(v.NVals("B"), 4);
  EXPECT_EQ(v.GetValsSL("D")->Text(), "p\r\nq\r\nr\r\nr\r\n");
  EXPECT_EQ(v.NK, 16);
  EXPECT_EQ(v.GetValsSL("NONE"), nullptr);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.Append("#NONE", "1", added); }).find("Not Exist"),
            std::string::npos);
}

TEST_F(ChangesTest, MoveToTailAndConAppend) {
  v.AddP("#RUN CONT");
  v.AddP("#C 5");
  v.MoveToTail("RUN");
  EXPECT_EQ(v.KeyOfPar(v.Count()), "#RUN");
  v.MoveToTail("A");  // refused
  EXPECT_TRUE(env.sink.Has("нельзя перемещать в конец запись"_cp));
  TVARIATOR w("W", 1);
  w.AddP("#P 1");
  w.ConAppend("#P", nullptr, "7", "#K");
  EXPECT_EQ(w.GetS("K"), "7");
  w.ConAppend("#P", nullptr, "8", "#K");
  EXPECT_EQ(w.GetS("K"), "8");
}

TEST_F(ChangesTest, ProbeLayerVectorNames) {
  struct Case {
    std::vector<const char*> pars;
    const char* name;
    const char* scale;
  } cases[] = {
      {{"#ModifT 1", "#ModifS YA 0.1 x 0.2"}, "RF_T(X_0.2,A=0.1)", "X"},
      {{"#ModifT 1", "#ModifS YAT 0.1", "#XD 0.5"}, "RF_Theta(X_0.5,A=0.1)", "X"},
      {{"#ModifETA 1", "#ModifS HM 0 x 0.3"}, "CF(h_0.3)", "h"},
      {{"#ModifH 1", "#ModifS YC $P x 0.1", "#P 2"}, "RF_H(X_0.1,C=$P)", "X"},
      {{"#ModifS YA 0.1 x 0.2"}, "Err", "Err"},
      {{"#ModifVD 1", "#ModifS ZA 0.1 x 0.2"}, "Err", "Err"},
      {{"#ModifVD 1", "#ModifS YA 0.1"}, "Err", "Err"},
  };
  for (const auto& c : cases) {
    TVARIATOR p("P", 1);
    for (const char* s : c.pars) p.AddPQOneStr(s, true);
    std::string name, scale;
    p.GetCFRFVemoName(name, scale);
    EXPECT_EQ(name, c.name) << c.pars[0];
    EXPECT_EQ(scale, c.scale) << c.pars[0];
  }
}

TEST_F(ChangesTest, Reports) {
  v.ConcateP("#D p q r");
  v.AddP("#C 5");
  auto l = v.VariantList();
  EXPECT_EQ((*l)[0], "Список вариантов вариатора <Q>.1 :"_cp);
  EXPECT_EQ((*l)[1], "L =  1 Вариант = #A"_cp);
  EXPECT_EQ((*l)[2], "JJ =  2 Вариант = #B #D"_cp);
  EXPECT_EQ((*l)[3], "K =   1 => #A=1 #B=x #D=p");
  EXPECT_EQ(l->Count(), 3 + 6);
  auto d = v.ReportDump();
  EXPECT_EQ((*d)[1], "  0 #A 1");
  EXPECT_EQ((*d)[2], "2 #");
  EXPECT_EQ((*d)[d->Count() - 1], "  3 #C 5");
  auto p = v.ParList();
  EXPECT_EQ((*p)[1], "J= 1 N= 2 L=1 #A");
  EXPECT_EQ(v.MultiKeys()->Text(), "A\r\nB\r\nD\r\n");
  TVARIATOR o("O", 1);
  o.AddP("#C 5.0");
  v.AddP("#E 1");
  o.AddP("#E 2");
  EXPECT_EQ(v.DiffKeys(&o)->Text(), "E\r\n");
  EXPECT_EQ(v.DiffKeys(nullptr)->Count(), 0);
}

TEST_F(ChangesTest, LongWalksStopOnCancel) {
  TVARIATOR big("BIG", 1);
  for (int i = 0; i < 6; ++i) big.AddP("#P" + std::to_string(i) + " 0 1 2 3 4 5 6 7 8 9");
  ASSERT_EQ(big.NK, 1000000);
  TJob job("walk");
  size_t lines = 0;
  job.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 8192) job.Cancel();
  };
  RunJob(job, [&](TJob&) { lines = static_cast<size_t>(big.VariantList()->Count()); });
  EXPECT_EQ(job.State(), TJobState::Cancelled);
  EXPECT_LT(lines, 20000u);
  TJob job2("getk");
  job2.Cancel();
  std::vector<int32_t> k{1};
  RunJob(job2, [&](TJob&) { k = big.GetK("#P0", {2}); });
  EXPECT_TRUE(k.empty());
}

}  // namespace
