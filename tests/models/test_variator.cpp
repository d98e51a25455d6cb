// The parameter variator: grid order, joins, dimensions after changes, value forms.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "support/ModelsEnv.h"

using testsupport::ModelsEnv;

namespace {

struct VariatorTest : ::testing::Test {
  ModelsEnv env;
  TVARIATOR v{"Q", 1};
  void Grid() {
    v.AddP("#A 1 2");
    v.AddP("#B x y z");
    v.AddP("#C 5");
  }
  std::string At(const std::string& Key, int32_t K) { return v.GetPKS(Key, K); }
};

TEST_F(VariatorTest, CombinationsRunTheLastDimensionFastest) {
  Grid();
  EXPECT_EQ(v.NK, 6);
  EXPECT_EQ(v.KIdx, 1);
  const char* expect[] = {"1x", "1y", "1z", "2x", "2y", "2z"};
  for (int32_t k = 1; k <= 6; ++k) EXPECT_EQ(At("A", k) + At("#B", k), expect[k - 1]) << k;
  EXPECT_EQ(At("C", 6), "5");
  EXPECT_EQ(v.GetKS(4), "#A=2 #B=x");
  EXPECT_EQ(v.GetNJPar(), 2);
  EXPECT_EQ(v.KeyOfPar(3), "#C");
}

TEST_F(VariatorTest, StructureQueries) {
  Grid();
  v.ConcateP("#D p q r");
  v.KIdx = 5;
  EXPECT_EQ(v.QuestName(), "Q.1");
  EXPECT_EQ(v.ValIdx("B", "z"), 3);
  EXPECT_EQ(v.ValIdx("B", "w"), 0);
  EXPECT_EQ(v.GetJSI(2, " y "), 2);
  EXPECT_EQ(v.NValsOfPar(3), 3);
  EXPECT_EQ(v.LIdxOfPar(3), 2);
  EXPECT_EQ(v.ValOfPar(2, 3), "z");
  EXPECT_EQ(v.GetLNI(2), 3);
  EXPECT_EQ(v.CountLIdx(2), 2);
  EXPECT_EQ(v.DimValIdx(1, 5), 2);
  EXPECT_EQ(v.KeyValIdx("D"), 2);
  EXPECT_EQ(v.KeyValIdx("C"), 1);
  EXPECT_EQ(v.GetJKS(4, 5), "5");
  EXPECT_EQ(v.GetPKS0("NONE", 5), "");
  EXPECT_NE(
      ModelsEnv::FatalText([&] { v.ValOfPar(2, 4); }).find("затребовано строковое значение 4"_cp),
      std::string::npos);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetJKS(1, 7); }).find("K=7 > числа комбинаций = 6"_cp),
            std::string::npos);
  EXPECT_THROW(v.DimValIdx(1, 0), EInOutError);
  v.KIdx = 7;
  EXPECT_FALSE(v.CheckKIdx());
  EXPECT_DOUBLE_EQ(v.GetR("C", 3), 3);
  EXPECT_TRUE(env.sink.Has("VARI.GetR-CheckKIdx Key=#C"));
}

TEST_F(VariatorTest, EmptyAndSingleValuedVariators) {
  EXPECT_EQ(v.NK, 0);
  EXPECT_EQ(v.KIdx, 0);
  EXPECT_TRUE(v.CheckKIdx());
  v.AddP("#C 5");
  EXPECT_EQ(v.NK, 1);
  EXPECT_EQ(v.KIdx, 1);
}

TEST_F(VariatorTest, KeysTakeAHashAndCompareWithCase) {
  v.AddP("#Lam 5");
  EXPECT_EQ(v.KeyIdx(" Lam "), 1);
  EXPECT_EQ(v.KeyIdx("#LAM"), 0);
  v.AddP("#LAM 6");
  EXPECT_EQ(v.Count(), 2);
}

TEST_F(VariatorTest, JoinNeedsTheSameValueCount) {
  Grid();
  const std::string err = ModelsEnv::FatalText([&] { v.ConcateP("#D p q"); });
  EXPECT_NE(
      err.find(
          "ERR VARIATOR(Q).ConcateP: параметр #D имеет 2 значений, а параметр #B - 3 значений!"_cp),
      std::string::npos)
      << err;
  EXPECT_EQ(v.Count(), 3);  // nothing half-added
  v.ConcateP("#D p q r");
  EXPECT_EQ(v.NK, 6);
  EXPECT_TRUE(v.IsJoined("D"));
  EXPECT_EQ(v.KeyIdx("D"), 3);
  EXPECT_EQ(At("D", 5), "q");
  EXPECT_EQ(v.GetKS(5), "#A=2 #B=y #D=q");
}

TEST_F(VariatorTest, JoinErrors) {
  struct Case {
    const char* text;
    std::string message;
  } cases[] = {
      {"#D", "нет значений!"_cp},
      {"#D p", "параметр с одним значением [#D p]не может  быть присоединен!"_cp},
      {"#D p q", "параметров, к которым можно подсоединяться ещё нет!"_cp},
  };
  for (const auto& c : cases) {
    const std::string err = ModelsEnv::FatalText([&] { v.ConcateP(c.text); });
    EXPECT_NE(err.find(c.message), std::string::npos) << c.text << ": " << err;
  }
}

TEST_F(VariatorTest, ASingleValueOverAKeyDropsItsDimension) {
  Grid();
  v.KIdx = 5;
  v.AddP("#A 7");
  EXPECT_EQ(v.NK, 3);
  EXPECT_EQ(v.KIdx, 1);
  EXPECT_EQ(v.FindRec("B")->LIdx, 1);
  EXPECT_EQ(v.GetML(), 1);
  EXPECT_EQ(v.KeyIdx("B"), 1);
  EXPECT_EQ(v.KeyIdx("A"), 3);  // appended after the single-valued #C
  EXPECT_EQ(At("A", 2), "7");
  // and a single value replaced in place keeps its position
  v.AddP("#C 6");
  EXPECT_EQ(v.KeyIdx("C"), 2);
}

TEST_F(VariatorTest, RealValueForms) {
  v.AddP("#C 1.5-3");
  v.AddPQOneStr("#K C 2.5", true);
  v.AddP("#R $C");
  v.AddP("#S $K");
  v.AddP("#X abc");
  EXPECT_DOUBLE_EQ(v.GetR("C", 9), 1.5e-3);
  EXPECT_DOUBLE_EQ(v.GetR("K", 9), 2.5);
  EXPECT_DOUBLE_EQ(v.GetR("R", 9), 1.5e-3);
  EXPECT_DOUBLE_EQ(v.GetR("S", 9), 2.5);
  EXPECT_DOUBLE_EQ(v.GetR("NONE", 9), 9);
  env.sink.texts.clear();
  EXPECT_DOUBLE_EQ(v.GetR("X", 9), 9);
  EXPECT_TRUE(env.sink.Has("VARI.GetR(Q) Ошибка, для параметра [#X] найдена строка [abc]"_cp));
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetRK("X"); }).find("[abc]"), std::string::npos);
  EXPECT_NE(ModelsEnv::FatalText([&] {
              v.GetRK("NONE");
            }).find("VARI.GetPKS ERR: НЕ НАЙДЕН ПАРАМЕТР #NONE"_cp),
            std::string::npos);
  EXPECT_EQ(GetR(nullptr, "C", 4), 4);
}

TEST_F(VariatorTest, ReferenceCyclesWarnAndGiveTheDefault) {
  v.AddP("#A $B");
  v.AddP("#B $A");
  v.AddP("#S $S");
  env.sink.texts.clear();
  EXPECT_DOUBLE_EQ(v.GetR("A", 7), 7);
  EXPECT_TRUE(env.sink.Has("#A -> #B -> #A"));
  EXPECT_DOUBLE_EQ(v.GetR("S", 8), 8);
  EXPECT_DOUBLE_EQ(v.GetRK("S"), 0);
}

TEST_F(VariatorTest, IntegersKindsAndUse) {
  v.AddP("#N 12");
  v.AddPQOneStr("#H C 1000", true);
  v.AddPQOneStr("#M T HOLMU", true);
  v.AddPQOneStr("#L a b c", true);
  v.AddP("#Z 1.5");
  EXPECT_EQ(v.GetI("N", 0), 12);
  EXPECT_EQ(v.GetI("NONE", 3), 3);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetI("Z", 0); }).find("[1.5]"), std::string::npos);
  EXPECT_EQ(v.ValKind("H"), 'C');
  EXPECT_EQ(v.ValKind("M"), 'T');
  EXPECT_EQ(v.ValKind("L"), 'a');
  EXPECT_EQ(v.ValKind("N"), 'C');
  EXPECT_EQ(v.FindRec("N")->NUse, 2);
  v.ClearUse();
  v.GetS0("N");
  v.GetSDef("L", "d");
  EXPECT_EQ(v.DelUnused(), "#Z #M #H");
  EXPECT_EQ(v.Count(), 2);
  EXPECT_EQ(GetS0(nullptr, "N"), "");
  EXPECT_TRUE(env.sink.Has("VARIATOR-ERR: вызов ф-ии GetS0 до инициации вариатора!"_cp));
}

// The combination text describes a combination: it counts no use, so a varied key that no
// calculation reads stays unread (and the control text still writes it: it spans the grid).
TEST_F(VariatorTest, CombinationTextCountsNoUse) {
  Grid();
  v.ClearUse();
  EXPECT_EQ(v.GetKS(5), "#A=2 #B=y");
  v.GetS("C");
  EXPECT_EQ(v.FindRec("A")->NUse, 0);
  EXPECT_EQ(v.FindRec("B")->NUse, 0);
  const std::string text = v.CtrlTextUse()->Text();
  EXPECT_NE(text.find("#A"), std::string::npos) << text;
  EXPECT_NE(text.find("#C"), std::string::npos) << text;
  EXPECT_EQ(v.DelUnused(), "#B #A");
  EXPECT_EQ(v.NK, 1);
}

TEST_F(VariatorTest, ParenthesisedSequencesExpand) {
  v.AddP("#T (1 3 1)");
  EXPECT_EQ(v.NVals("T"), 3);
  const std::string err = ModelsEnv::FatalText([&] { v.AddP("#T (1 x 1)"); });
  EXPECT_NE(err.find("должно быть три числа"_cp), std::string::npos) << err;
  EXPECT_EQ(v.NVals("T"), 3);  // the variator as it was
}

TEST_F(VariatorTest, TooManyDimensionsStopValueAccess) {
  for (int i = 1; i <= 257; ++i) v.AddP("#D" + std::to_string(i) + " 1 2");
  EXPECT_EQ(v.GetML(), 257);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.GetPKS("D1", 1); }).find("не может быть более 256"_cp),
            std::string::npos);
}

TEST_F(VariatorTest, CloneKeepsOrderJoinsAndCounters) {
  Grid();
  v.ConcateP("#D p q r");
  v.GetS("C");
  v.KIdx = 4;
  auto c = v.Clone();
  EXPECT_EQ(c->NK, 6);
  EXPECT_EQ(c->KIdx, 4);
  EXPECT_EQ(c->NAdd, v.NAdd);
  ASSERT_EQ(c->Count(), 4);
  for (int32_t j = 1; j <= 4; ++j) {
    EXPECT_EQ(c->KeyOfPar(j), v.KeyOfPar(j));
    EXPECT_EQ(c->Rec(j)->Kind, v.Rec(j)->Kind);
    EXPECT_EQ(c->Rec(j)->NUse, v.Rec(j)->NUse);
  }
}

TEST_F(VariatorTest, DeletingAMiddleDimensionRenumbers) {
  v.AddP("#A 1 2");
  v.AddP("#B x y z");
  v.ConcateP("#E u v w");
  v.AddP("#C 5 6");
  v.DelJ(v.KeyIdx("A"));
  EXPECT_EQ(v.FindRec("B")->LIdx, 1);
  EXPECT_EQ(v.FindRec("E")->LIdx, 1);
  EXPECT_EQ(v.FindRec("C")->LIdx, 2);
  EXPECT_EQ(v.NK, 6);
  EXPECT_NE(ModelsEnv::FatalText([&] { v.DelJ(9); }).find("попытка удалить параметр №9"_cp),
            std::string::npos);
}

}  // namespace
