// The Dialog, Di and VARI tabs' headless work: the slider scales, the rows and the observation
// choice written into a variator (keys added once), the case list, the cases a "CALC" cannot
// compare, the Di spans' wavelength grids and the VARI tab's "QUEST STEP" names.
#include <gtest/gtest.h>

#include <cmath>
#include <exception>
#include <memory>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SynEnv.h"
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvDialogCalc.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using testsupport::SynEnv;

TEST(DialogScale, BarValueBoundsAndShifts) {
  struct TCase {
    double L, R;
    bool Log;
    double F;
    const char* Value;
  } cases[] = {{0, 10, false, 0.5, "5.000"}, {0, 2, true, 0.5, "10.00"}, {-1, 1, false, 0.25,
                                                                          "-0.5000"}};
  for (const TCase& c : cases)
    EXPECT_EQ(DiaSig4(DiaScaleValue({c.L, c.R, c.Log}, c.F)), c.Value) << c.L << " " << c.R;

  // widening x2 with the bar at 25 keeps the value under it: 0..8 -> -2..14
  TDiaScale s{0, 8, false};
  const int32_t pos = DiaScaleExpand(s, 0.25, 2, 1);
  EXPECT_EQ(DiaSig4(s.L), "-2.000");
  EXPECT_EQ(DiaSig4(s.R), "14.00");
  EXPECT_EQ(pos, 25);
  // narrowing back
  EXPECT_EQ(DiaScaleExpand(s, 0.25, 2, -1), 25);
  EXPECT_DOUBLE_EQ(s.L, 0);
  EXPECT_DOUBLE_EQ(s.R, 8);

  // "<" on 0..10 with the bar at 50: bounds -2 and 8, value 3
  TDiaScale t{0, 10, false};
  const double v = DiaScaleShift(t, 0.5, 0.2);
  EXPECT_EQ(DiaSig4(t.L), "-2.000");
  EXPECT_EQ(DiaSig4(t.R), "8.000");
  EXPECT_EQ(DiaShiftText(t, v), "3.000");
  // on a logarithmic scale the value is written fixed, 3 decimals
  TDiaScale l{2, 4, true};
  EXPECT_EQ(DiaShiftText(l, DiaScaleShift(l, 0.5, -1.0)), "100000.000");

  // values that move nothing: 0 or negative on a log scale, equal bounds
  int32_t p = -7;
  EXPECT_FALSE(DiaBarPos({0, 2, true}, 0, p));
  EXPECT_FALSE(DiaBarPos({0, 2, true}, -3, p));
  EXPECT_FALSE(DiaBarPos({5, 5, false}, 5, p));
  EXPECT_EQ(p, -7);
  EXPECT_TRUE(DiaBarPos({2, 4, true}, 1000, p));
  EXPECT_EQ(p, 50);
}

TEST(DialogParams, RowsAndObservationChoiceIntoTheVariator) {
  SynEnv env;
  TVARIATOR V("dia", 1);
  V.AddP("#ALG CONT");
  TDiaParams P;
  P.Rows = {{"LGGF", "-0.931", 1000}, {"#H", "1000", 2000}};
  P.Obs = {{"#LIN", "FE6302", 1, 2}, {"#CTETA", "", 2, 0}, {"#MOD", "", 0, 0}};
  P.XItems = {"1.00", "0.80", "0.60", "0.44"};
  EXPECT_EQ(DiaReadParams(V, P), 0);
  V.KIdx = 1;
  EXPECT_EQ(V.NK, 4);  // all X values: one combination each
  EXPECT_EQ(TrimCtl(V.GetS("#LGGF")), "-0.931");
  EXPECT_EQ(V.KeyStamp("#H"), 2000u);
  EXPECT_EQ(TrimCtl(V.GetS("#LIN")), "FE6302");
  EXPECT_TRUE(V.NoKey("#MOD"));
  // a second read adds nothing: the records stay, only the row values change
  const TVariRec* cteta = V.FindRec("#CTETA");
  P.Rows[0].Value = "-0.5";
  EXPECT_EQ(DiaReadParams(V, P), 0);
  EXPECT_EQ(V.FindRec("#CTETA"), cteta);
  EXPECT_EQ(TrimCtl(V.GetS("#LGGF")), "-0.5");
  // one X value chosen: a single value, its index
  P.Obs[1].K = 3;
  EXPECT_EQ(DiaReadParams(V, P), 3);
  EXPECT_EQ(V.NK, 1);
  EXPECT_EQ(TrimCtl(V.GetS("#CTETA")), "0.60");
  // K beyond the items: all of them again
  P.Obs[1].K = 9;
  EXPECT_EQ(DiaReadParams(V, P), 0);
  EXPECT_EQ(V.NK, 4);

  EXPECT_EQ(DiaCases(3, 4), std::vector<int32_t>({3}));
  EXPECT_EQ(DiaCases(0, 4), std::vector<int32_t>({1, 2, 3, 4}));
  EXPECT_TRUE(DiaCases(0, 0).empty());
}

TEST(DialogCalcFaults, CasesThatCannotBeComparedDrawNothing) {
  SynEnv env;
  TOwnCalcContext cctx;
  TCalcScope cscope(cctx);
  TLUNNO list;
  TJob job("CALC");
  TDiaCalcOut out;
  TDiaCalcIn in;
  // an unknown quest in cbVARI_Dia
  in.VariDia = "nosuch";
  EXPECT_FALSE(DialogCalc(job, list, in, out));
  EXPECT_TRUE(env.sink.Has("nosuch")) << env.sink.texts.size();
  EXPECT_TRUE(out.Graphs.empty());
  // no current variator at all
  in.VariDia.clear();
  env.ctx.VARI = nullptr;
  EXPECT_FALSE(DialogCalc(job, list, in, out));
}

// "CALC by CURV" keeps the edited vectors for its own run only: the rule is off again after it,
// also when the run fails.
TEST(DialogCalcFaults, KeepEditedRuleOnlyForTheCurvesRun) {
  SynEnv env;
  TOwnCalcContext cctx;
  TCalcScope cscope(cctx);
  TVARIATOR V("curv", 1);
  V.AddP("#ALG CONT");
  env.ctx.VARI = &V;
  TLUNNO list;
  TJob job("CALC by CURV");
  TDiaCalcOut out;
  TDiaCalcIn in;
  in.ByCurv = true;
  try {
    DialogCalc(job, list, in, out);
  } catch (const std::exception&) {
    // no model to recompute: the run may fail
  }
  EXPECT_FALSE(CalcCtx().VeMoKeepEdited);
  CalcCtx().VeMoKeepEdited = true;  // a rule already on stays on
  try {
    DialogCalc(job, list, in, out);
  } catch (const std::exception&) {
  }
  EXPECT_TRUE(CalcCtx().VeMoKeepEdited);
  env.ctx.VARI = nullptr;
}

TEST(DiSpans, FillLambsGridsAndTheirMessages) {
  SynEnv env;
  auto lam = [](const std::string& Id) { return Id == "FE6302" ? 6302.5 : 0.0; };
  struct TCase {
    double La1, La2, DL;
    const char* Line;
    int32_t N;
    double First, Centre, Last;
  } cases[] = {
      {6301.0, 6303.0, 10, "", 201, 6301.0, 6302.0, 6303.0},  // 10 mA
      {-500, 500, 0.02, "FE6302", 51, 6302.0, 6302.5, 6303.0},  // offsets in mA from the line
      {6301.0, 6301.9, 0.3, "", 4, 6301.0, 6301.6, 6301.9},  // 0.3 is in A
      {6301.0, 6301.0031, 0.31, "", 11, 6301.0, 6301.00155, 6301.0031},  // 0.31 in mA
  };
  for (const TCase& c : cases) {
    TDiLamSpan s;
    ASSERT_TRUE(DiFillLams(s, c.La1, c.La2, c.DL, c.Line, lam)) << c.DL;
    EXPECT_EQ(s.nL, c.N) << c.DL;
    EXPECT_EQ(s.KL, 1);
    ASSERT_EQ(s.Lams.size(), static_cast<size_t>(c.N) + 1);
    EXPECT_NEAR(s.Lams[1], c.First, 1e-9) << c.DL;
    EXPECT_NEAR(s.Lams[static_cast<size_t>(c.N / 2 + 1)], c.Centre, 1e-9) << c.DL;
    EXPECT_NEAR(s.Lams[static_cast<size_t>(c.N)], c.Last, 1e-9) << c.DL;
  }
  TDiLamSpan s;
  EXPECT_FALSE(DiFillLams(s, 6301, 6301, 10, "", lam));
  EXPECT_TRUE(env.sink.Has("FillALam Err: должны быть заданы границы la1 и la2!"_cp));
  EXPECT_FALSE(DiFillLams(s, 6301, 6302, 0, "", lam));
  EXPECT_TRUE(env.sink.Has("FillALam Err: должен быть задан шаг dla!"_cp));
  EXPECT_EQ(s.nL, 0);
  // the "Lams" line: 9 significant digits
  ASSERT_TRUE(DiFillLams(s, 6301.0, 6301.02, 10, "", lam));
  EXPECT_EQ(DiLamsLine(s), "6301.00000 6301.01000 6301.02000");
}

TEST(VariNames, QuestAndStepOfTheListText) {
  struct TCase {
    const char* Text;
    const char* Quest;
    int32_t Step;
  } cases[] = {{"pair 1", "pair", 1}, {"pair", "pair", 1}, {" my quest 3 ", "my quest", 3},
               {"dia 0", "dia", 0}};
  for (const TCase& c : cases) {
    std::string q;
    int32_t s = -1;
    VariNameSplit(c.Text, q, s);
    EXPECT_EQ(q, c.Quest) << c.Text;
    EXPECT_EQ(s, c.Step) << c.Text;
  }
}

}  // namespace
