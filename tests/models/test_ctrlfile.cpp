// Control files: the reader's list of steps, the "$" expansion, the control text and its round
// trip, reading errors.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "support/ModelsEnv.h"

using testsupport::ModelsEnv;

namespace {

struct CtrlFileTest : ::testing::Test {
  ModelsEnv env;
  TLVARI& L() { return *env.ctx.LVARI; }
  // Reads Text as quest Q; the steps filed.
  int32_t Load(const std::string& Text, bool RunCont = false) {
    L().LoadFromFile("Q", env.Write("q.dat", Text), RunCont);
    return L().CountQuest("Q");
  }
  TVARIATOR* Step(int32_t IQ) { return L().GetQuestIQVARI("Q", IQ); }
  std::string Vals(TVARIATOR* V, const std::string& Key) {
    std::string s;
    const TVariRec* r = V->FindRec(Key);
    if (!r) return "<none>";
    for (int i = 0; i < r->NVals(); ++i) s += (i ? "|" : "") + r->Vals[i];
    return s;
  }
};

TEST_F(CtrlFileTest, EveryRunClosesAStepThatTheNextInherits) {
  ASSERT_EQ(Load("#A 1 2 #\n#RUN CONT #\n#B 3 #\n"), 2);
  EXPECT_EQ(Step(1)->Count(), 2);
  EXPECT_EQ(Step(2)->Count(), 3);
  EXPECT_EQ(Step(2)->GetS("RUN"), "CONT");
  EXPECT_EQ(Step(2)->GetS("B"), "3");
  EXPECT_EQ(Step(1)->NK, 2);
}

TEST_F(CtrlFileTest, NothingAfterTheLastRunFilesNoMoreSteps) {
  EXPECT_EQ(Load("#A 1 2 #\n#RUN CONT #\n"), 1);
  EXPECT_EQ(Load("#A 1 2 #\n#RUN CONT #\n#A 1 2 #\n"), 2);  // a change, even to the same values
}

TEST_F(CtrlFileTest, WithoutRunNothingIsFiled) {
  EXPECT_EQ(Load("#A 1 2 #\n"), 0);
  EXPECT_TRUE(env.sink.Has("Очевидно пропущена команда #RUN !"_cp));
}

TEST_F(CtrlFileTest, AddRunContAndTheExitLine) {
  EXPECT_EQ(Load("#A 1 #\n", true), 1);
  EXPECT_EQ(Step(1)->GetS("RUN"), "CONT");
  // "#EXIT USE #" ends the text first: the added line is never read
  EXPECT_EQ(Load("#A 1 #\n#EXIT USE #\n", true), 0);
  // even inside a comment, and nothing after it is seen
  EXPECT_EQ(Load("#A 1 #\n#RUN CONT #\n! #EXIT USE #\n#B bad # trailing\n"), 1);
}

TEST_F(CtrlFileTest, ValueForms) {
  ASSERT_EQ(Load("#MOD T HOLMU=#\n"
                 "#H C 1000 #\n"
                 "#LIST\n a b =\n c\n d #\n"
                 "#MULTI\n x\n y\n #\n"
                 "#CUT\n 5 ! 6\n 7 #\n"
                 "#KEEP 7 #   ! a comment\n"
                 "$LAM 1 2 1\n"
                 "#RUN CONT #\n"),
            1);
  TVARIATOR* s = Step(1);
  EXPECT_EQ(Vals(s, "MOD"), "T HOLMU");
  EXPECT_EQ(Vals(s, "H"), "C|1000");  // a blank needs "=#": this is a dimension of two
  EXPECT_EQ(Vals(s, "LIST"), "a b c d");
  EXPECT_EQ(Vals(s, "MULTI"), "x|y|");  // the closing "#" alone gives an empty last value
  EXPECT_EQ(Vals(s, "KEEP"), "7");
  EXPECT_EQ(Vals(s, "LAM"), "<none>");  // a "$" line outside a parameter is not read
  EXPECT_EQ(Vals(s, "CUT"), "5|7");     // "!" cuts a value line too
}

TEST_F(CtrlFileTest, OpeningLineWordsBecomePartOfTheKey) {
  Load("#K extra\n v #\n#RUN CONT #\n");
  EXPECT_EQ(Vals(Step(1), "#K extra"), "v");
}

TEST_F(CtrlFileTest, IncludesFromTheRootsOneFolderAndJoins) {
  env.Write("ONE/base.dat", "#CTETA 1 #\n#VMI 0.8 #\n");
  ASSERT_EQ(Load("#INC base.dat #\n#$LAM 5000 5010 2.5 #\n#CTETA == 1 .9 .8 .7 .6 #\n"
                 "#RUN CONT #\n"),
            1);
  TVARIATOR* s = Step(1);
  EXPECT_EQ(Vals(s, "LAM"), "5000.0|5002.5|5005.0|5007.5|5010.0");
  EXPECT_TRUE(s->IsJoined("CTETA"));
  EXPECT_EQ(s->NK, 5);
  EXPECT_EQ(s->FindRec("VMI")->SrcFile, env.dir.file("ONE/base.dat"));
  EXPECT_EQ(s->FindRec("CTETA")->SrcLine, 4);
}

TEST_F(CtrlFileTest, IncludeFolderLineSetsTheFolderAndStays) {
  env.Write("inc/other.dat", "#O 1 #\n");
  ASSERT_EQ(Load("#INC_PATH " + env.dir.file("inc") + " #\n#INC other.dat #\n#RUN CONT #\n"), 1);
  EXPECT_EQ(Vals(Step(1), "O"), "1");
  EXPECT_EQ(Vals(Step(1), "INC_PATH"), env.dir.file("inc"));
}

TEST_F(CtrlFileTest, MultiLineExpansion) {
  ASSERT_EQ(Load("#$N\n 1\n 3\n 1 #\n#RUN CONT #\n"), 1);
  EXPECT_EQ(Vals(Step(1), "N"), "1|2|3");
}

TEST_F(CtrlFileTest, ReadingErrorsNameFileLineAndPosition) {
  struct Place {
    std::string file;
    int32_t line = 0, pos = 0;
  } at;
  Models().OpenAt.Install([&](const std::string&, const std::string& F, int32_t Ln, int32_t P) {
    at = {F, Ln, P};
  });
  env.Write("ONE/inc.dat", "#OK 1 #\n\n#X 1 # tail\n");
  Load("#A 1 #\n#RUN CONT #\n");
  const std::string err =
      ModelsEnv::FatalText([&] { Load("#A 1 #\n#RUN CONT #\n\n#INC inc.dat #\n#Z 2 #\n"); });
  EXPECT_NE(err.find("не должно ничего стоять после закрывающего знака"_cp), std::string::npos)
      << err;
  EXPECT_NE(err.find(env.dir.file("ONE/inc.dat")), std::string::npos) << err;
  EXPECT_EQ(at.file, env.dir.file("ONE/inc.dat"));
  EXPECT_EQ(at.line, 3);
  EXPECT_EQ(at.pos, 6);
  EXPECT_EQ(L().CountQuest("Q"), 1);  // the step filed before the error stays

  struct Case {
    const char* text;
    int32_t line;
    std::string message;
  } cases[] = {
      {"#A 1 #\n  x #B 2 #\n", 2, "должен стоять в начале строки!"_cp},
      {"#A B == 1 2 #\n", 1, "перед знаком \"==\" должо быть 1 слово, а не 2!"_cp},
      {"#A\n 1\n 2 # x\n", 3, "Закрывающий # должен быть последним в строке!"_cp},
      {"#A 1 2 #\n#D == p q r #\n", 2,
       "параметр #D имеет 3 значений, а параметр #A - 2 значений!"_cp},
      {"#B 1 #\n#A #\n", 2, "нет значений!"_cp},
      {"#A (1 2 x) #\n", 1, "должно быть три числа"_cp},
      {"#INC nofile.dat #\n", 1, "Include-Файл"_cp},
  };
  for (const auto& c : cases) {
    at = {};
    const std::string e = ModelsEnv::FatalText([&] { Load(c.text); });
    EXPECT_NE(e.find(c.message), std::string::npos) << c.text << ": " << e;
    EXPECT_EQ(at.line, c.line) << c.text;
    EXPECT_EQ(at.file, env.dir.file("q.dat")) << c.text;
  }
}

TEST_F(CtrlFileTest, SpreadFuncForms) {
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"$LAM 5000 5010 2.5", "#LAM 5000.0 5002.5 5005.0 5007.5 5010.0"},
      {"$LAM 5000 5001 0.25", "#LAM 5000.00 5000.25 5000.50 5000.75 5001.00"},
      // decimals as the program writes them: no "0" before the point
      {"$V 0 1 0.1", "#V .0 .1 .2 .3 .4 .5 .6 .7 .8 .9 1.0"},
      {"$V 1 0 -0.5", "#V 1.0 .5 .0"},
      {"$V -1 0 0.5", "#V -1.0 -0.5 .0"},
      {"$N 10 15 1", "#N 10 11 12 13 14 15"},
      {"$N 5 12 1", "#N 5 6 7 8 9 10 11 12"},
      {"$LIN FE6301 FE6310 1",
       "#LIN FE6301 FE6302 FE6303 FE6304 FE6305 FE6306 FE6307 FE6308 "
       "FE6309 FE6310"},
      {"$LIN L8 L10 1", "#LIN L08 L09 L10"},
      {"#$X 1 2 1", "#X 1 2"},
      {"$N 12 5 1", ""},
      {"$N A1 B2 1", ""},
      {"$N 1 2 x", ""},
      {"$N 1 2 0", ""},
      {"$N 2 1 0.5", ""},
      {"$N 1 2 -0.5", ""},
      {"$N a 2 0.5", ""},
      {"$N 1 99999999 1", ""},  // more than a million values
      {"$N 0 10000000 0.5", ""},
  };
  for (const auto& c : cases) {
    std::string r = "?";
    SpreadFunc(c.text, r);
    EXPECT_EQ(r, c.result) << c.text;
  }
  env.sink.texts.clear();
  std::string r;
  SpreadFunc("$N 12 5 1", r);
  EXPECT_TRUE(env.sink.Has("Строка=<$N 12 5 1>"_cp));
}

TEST_F(CtrlFileTest, AnEmptyEnumerationAddsNoParameter) {
  ASSERT_EQ(Load("#A 1 #\n#$N 12 5 1 #\n#RUN CONT #\n"), 1);
  EXPECT_TRUE(Step(1)->NoKey("N"));
}

TEST_F(CtrlFileTest, LineListFormGoesThroughTheLineSelection) {
  ASSERT_EQ(Load("#A 1 #\n#$LINLIST 1 #\n#RUN CONT #\n"), 1);  // no selection yet
  EXPECT_TRUE(Step(1)->NoKey("LIN"));
  EXPECT_TRUE(env.sink.Has("SpreadFunc $LINLIST - функция пока недоступна"_cp));
  std::string r = "?";
  Models().LinListIds.Install([](const TVARIATOR& V) {
    return V.FindRec("LINLIST_FILTER") ? std::string("FE6301 FE6302") : std::string();
  });
  ASSERT_EQ(Load("#LINLIST_FILTER Fe #\n#$LINLIST 1 #\n#RUN CONT #\n"), 1);
  EXPECT_EQ(Vals(Step(1), "LIN"), "FE6301|FE6302");
  SpreadFunc("$LINLIST 0", r);
  EXPECT_EQ(r, "");
}

TEST_F(CtrlFileTest, ControlTextRoundTrip) {
  ASSERT_EQ(Load("#MOD T HOLMU=#\n#$LAM 5000 5010 2.5 #\n#NLAM == 21 21 21 41 41 #\n"
                 "#H 0 1000 #\n#CTETA 1 #\n#LONG_KEY_NAME some_longer_value #\n#RUN CONT #\n"),
            1);
  TVARIATOR* s = Step(1);
  s->IncUse();
  const std::string file = env.dir.file("saved.dat");
  s->SaveCtrlText(file, 1);
  L().LoadFromFile("R", file, false);
  TVARIATOR* r = L().GetQuestIQVARI("R", 1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->NK, s->NK);
  ASSERT_EQ(r->Count(), s->Count());
  for (int32_t j = 1; j <= s->Count(); ++j) {
    const TVariRec* a = s->Rec(j);
    const TVariRec* b = r->FindRec(a->Key);
    ASSERT_NE(b, nullptr) << a->Key;
    EXPECT_EQ(b->Kind, a->Kind) << a->Key;
    EXPECT_EQ(b->LIdx, a->LIdx) << a->Key;
    EXPECT_EQ(Vals(r, a->Key), Vals(s, a->Key));
  }
  EXPECT_EQ(Vals(r, "MOD"), "T HOLMU");
  EXPECT_EQ(r->KeyOfPar(r->Count()), "#RUN");
}

TEST_F(CtrlFileTest, ControlTextLayout) {
  TVARIATOR v("Q", 2);
  v.AddP("#A 1 2");
  v.ConcateP("#JJ p q");
  v.AddP("#RUN CONT");
  v.AddPQOneStr("#M T HOLMU", true);
  v.AddP("#B 3");
  v.AddP("#UNUSED 9");
  v.IncUse();
  v.FindRec("UNUSED")->NUse = 0;
  auto t = v.CtrlTextUse();
  // Single values: the key column is the longest key + 1; the value column follows the largest
  // value length unless it stands more than 6 above the ones it replaced (here it falls back to
  // the first maximum, 0). The #RUN line is held back to the end.
  const std::vector<std::string> want = {"! Вариатор <Q>.2 :"_cp,
                                         "#M   T HOLMU=#",
                                         "#B   3 #",
                                         "#A  ",
                                         "1 ",
                                         "2 #",
                                         "#JJ  ==",
                                         "p ",
                                         "q #",
                                         "#RUN CONT #",
                                         "#EXIT USE #"};
  EXPECT_EQ(t->Lines(), want) << t->Text();
  auto all = v.CtrlTextAll();
  EXPECT_EQ((*all)[all->Count() - 1], "#EXIT ALL #");
  TVARIATOR e("E", 1);
  EXPECT_EQ(e.CtrlTextAll()->Count(), 2);
}

}  // namespace
