// The temperature window's computing side: the theta shifts of the formulas, the shift of a
// vector by its name (another name warns and changes nothing), and Return that puts the vector
// back when it is cancelled or its recalculation fails.
#include <gtest/gtest.h>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvVemo.h"
#include "support/SynEnv.h"
#include "synthesis/drivers/cvTAnalize.h"

namespace {

constexpr double kTh = 5039.9345841032444118;

void Fill(TVEMO& V, const std::string& Name, std::vector<double> Values) {
  V.NAME = Name;
  V.N = static_cast<int32_t>(Values.size());
  V.A.assign(1, 0.0);
  V.A.insert(V.A.end(), Values.begin(), Values.end());
  V.SetFilled();
}

TEST(TAnalize, ThetaShiftsOfTheFormulas) {
  EXPECT_NEAR(TAnalizeDTetaByTeff(6000, 5800, 0.1), kTh / 6000 - kTh / 5800 + 0.1, 1e-15);
  const double c = Planck(6302.494, 6000), q = 0.9 * c;
  EXPECT_NEAR(TAnalizeDTetaByCont(q, c, 6302.494, 0),
              kTh / PlanckTb(6302.494, q) - kTh / 6000, 1e-12);
}

TEST(TAnalize, ShiftByNameAndReturnPutsTheVectorBack) {
  testsupport::SynEnv env;
  TOwnCalcContext cctx;
  TCalcScope cscope(cctx);
  TVEMO t, teta, pe;
  Fill(t, "T", {5000, 6000});
  Fill(teta, "TETA0", {1.0, 0.8});
  Fill(pe, "PE", {1, 2});
  ASSERT_TRUE(TAnalizeShift(t, 0.01));
  EXPECT_NEAR(t.A[1], kTh / (kTh / 5000 + 0.01), 1e-9);
  EXPECT_LT(t.A[2], 6000);
  EXPECT_EQ(t.KEd, 2);
  ASSERT_TRUE(TAnalizeShift(teta, -0.05));
  EXPECT_NEAR(teta.A[2], 0.75, 1e-15);
  EXPECT_FALSE(TAnalizeShift(pe, 0.01));
  EXPECT_EQ(env.Count("но не <PE>!"_cp), 1);
  EXPECT_EQ(pe.A[2], 2);

  // cancelled: back as it was
  const TARe before = t.A;
  TJob cancelled("Return");
  cancelled.Cancel();
  EXPECT_FALSE(TAnalizeReturn(cancelled, t, 0.02));
  EXPECT_EQ(t.A, before);
  // the recalculation fails (no working variator): back as it was, the error raised
  TJob failing("Return");
  RunJob(failing, [&](TJob& J) { TAnalizeReturn(J, t, 0.02); });
  EXPECT_EQ(failing.State(), TJobState::Failed);
  EXPECT_NE(failing.Error().find("нет текущего вариатора"_cp), std::string::npos) << failing.Error();
  EXPECT_EQ(t.A, before);
  EXPECT_EQ(t.KEd, 2);
}

}  // namespace
