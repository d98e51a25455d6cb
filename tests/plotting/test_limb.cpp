// The limb fit's module: the start (stretch, the algebraic circle in the memo, the working
// circle from the edits, its graphs), accepted and rejected steps with their lambda, the loop as a
// job (its stop rule, cancel keeping the last accepted circle, lines and circles handed over
// afterwards) and the edits from the own map file's main header.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvLimb.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"
#include "scans/cvLFIOut.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"

namespace {

// n points of the circle (xc, yc, r) over angles 20..160 degrees as 1-based columns.
void Columns(double xc, double yc, double r, int n, TARe& X, TARe& Y) {
  X.assign(1, 0.0);
  Y.assign(1, 0.0);
  for (int i = 0; i < n; ++i) {
    const double f = (20 + 140.0 * i / (n - 1)) * M_PI / 180;
    X.push_back(xc + r * std::cos(f));
    Y.push_back(yc + r * std::sin(f));
  }
}

struct Limb : ::testing::Test {
  void SetUp() override {
    ResetPlotServices();
    F.Memo = [this](const std::string& L) { Lines.push_back(L); };
  }
  void TearDown() override { ResetPlotServices(); }
  TLimbFit F;
  std::vector<std::string> Lines;
  testsupport::SinkRecorder rec;
};

TEST_F(Limb, StartStretchesFitsAndTakesTheCircleOfTheEdits) {
  TARe X, Y;
  // A limb whose X pixels are half as wide: stretched by sqrt(4) it is the circle.
  Columns(100, 50, 30, 25, X, Y);
  for (size_t i = 1; i < X.size(); ++i) {
    X[i] /= 2;
    Y[i] *= 2;
  }
  F.Edits.Kx = "4";
  F.Edits.XC = "90";
  F.Edits.YC = "45";
  F.Edits.Radius = "31";
  ASSERT_TRUE(F.LimbFitStart(X, Y));
  EXPECT_EQ(F.N, 25);
  ASSERT_EQ(F.P.size(), 25u);
  EXPECT_NEAR(F.P[0].X, 100 + 30 * std::cos(20 * M_PI / 180), 1e-9);
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_EQ(Lines[0], "C_x=100 C_y=50 R=30");
  EXPECT_EQ(F.C.XC, 90);
  EXPECT_EQ(F.C.R, 31);
  EXPECT_EQ(F.Lambda, 1);
  EXPECT_EQ(F.I, 0);
  EXPECT_EQ(F.S1, 1);
  EXPECT_EQ(F.S2, 2);
  EXPECT_DOUBLE_EQ(F.Eps, 1e-3);
}

TEST_F(Limb, AcceptedAndRejectedSteps) {
  TARe X, Y;
  Columns(0, 0, 10, 12, X, Y);
  F.Edits.XC = "1";
  F.Edits.Radius = "10";
  F.Edits.Eps = "0.5";
  ASSERT_TRUE(F.LimbFitStart(X, Y));
  Lines.clear();
  // Downhill (sigma -1): accepted, lambda divided by kF = 0.5.
  F.CircFitStep();
  EXPECT_LT(F.C.XC, 1);
  EXPECT_EQ(F.Lambda, 2);
  EXPECT_LE(F.S2, F.S1);
  EXPECT_EQ(F.I, 1);
  EXPECT_EQ(F.Edits.LamLM, "0.5");
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_EQ(Lines[0].rfind(">> I=0 XC=1 YC=0 R=10 e2/e1=2 dx=", 0), 0u) << Lines[0];
  EXPECT_EQ(Lines[1].rfind("<< I=0 XC=", 0), 0u) << Lines[1];
  // Uphill (sigma +1): the sum grows, the circle stays, lambda times kF.
  const TCircle Before = F.C;
  F.Edits.SigXY = "1";
  F.CircFitStep();
  EXPECT_GT(F.S2, F.S1);
  EXPECT_EQ(F.C.XC, Before.XC);
  EXPECT_EQ(F.C.YC, Before.YC);
  EXPECT_EQ(F.Lambda, 1);
  EXPECT_EQ(F.I, 2);
}

TEST_F(Limb, LoopIsAJobThatStopsOnTheRelativeChange) {
  TARe X, Y;
  Columns(100, 50, 30, 40, X, Y);
  F.Edits.XC = "90";
  F.Edits.YC = "60";
  F.Edits.Radius = "30";
  ASSERT_TRUE(F.LimbFitStart(X, Y));
  Lines.clear();
  TJob J("limb");
  RunJob(J, [&](TJob& Job) { F.CircFitLoop(Job); });
  EXPECT_EQ(J.State(), TJobState::Done);
  // Nothing was written while it ran; then its lines come at once.
  EXPECT_TRUE(Lines.empty());
  F.LoopDone();
  EXPECT_EQ(static_cast<int>(Lines.size()), 2 * F.I);
  EXPECT_LT(std::fabs(F.S2 - F.S1) / (F.S2 + F.S1), F.Eps);
  EXPECT_LT(F.I, TLimbFit::MaxLoopSteps);
  EXPECT_NEAR(F.C.XC, 100, 1);
  EXPECT_NEAR(F.C.YC, 50, 1);
}

TEST_F(Limb, CancelKeepsTheLastAcceptedCircle) {
  TARe X, Y;
  Columns(100, 50, 30, 40, X, Y);
  F.Edits.XC = "90";
  F.Edits.YC = "60";
  F.Edits.Radius = "30";
  F.Edits.Eps = "1E-12";
  ASSERT_TRUE(F.LimbFitStart(X, Y));
  TJob J("limb");
  std::vector<TCircle> Accepted;
  J.OnProgress = [&](const TJobProgress& Pr) {
    Accepted.push_back(F.C);
    if (Pr.Done == 5) J.Cancel();
  };
  RunJob(J, [&](TJob& Job) { F.CircFitLoop(Job); });
  EXPECT_EQ(J.State(), TJobState::Cancelled);
  EXPECT_EQ(F.I, 5);
  ASSERT_FALSE(Accepted.empty());
  EXPECT_EQ(F.C.XC, Accepted.back().XC);
  EXPECT_EQ(F.C.YC, Accepted.back().YC);
  ASSERT_EQ(J.Warnings().size(), 1u);
  EXPECT_NE(J.Warnings()[0].Text.find("оставлена последняя принятая окружность"_cp),
            std::string::npos);
}

TEST_F(Limb, DrawnInThePlotter) {
  platform::TBitmap Bm{400, 300};
  TGRAF G;
  TFakePlotHost Host;
  TPLOTTER P(&G);
  P.Tools = &Host;
  P.INIG(&Bm.Canvas(), "TFPict", &Host, 0);
  int prepared = 0;
  std::vector<std::string> Warns;
  Plotting().Warn = [&Warns](const std::string& T) { Warns.push_back(T); };
  F.Plotter = &P;
  F.PreparePicture = [&] {
    ++prepared;
    P.CheckArrPlot();
  };
  TARe X, Y;
  Columns(100, 50, 30, 20, X, Y);
  F.Edits.XC = "95";
  F.Edits.YC = "50";
  F.Edits.Radius = "30";
  ASSERT_TRUE(F.LimbFitStart(X, Y));
  EXPECT_EQ(prepared, 1);
  for (const std::string& W : Warns) ADD_FAILURE() << W;
  EXPECT_GT(P.FindPicByTitle("CurLimb(Ellipsed)"), 0);
  EXPECT_GT(P.FindPicByTitle("CIRCLE"), 0);
  F.CircFitStep();
  EXPECT_GT(P.FindPicByTitle("NewCIRCLE"), 0);
  const int32_t n = P.GraphCount();
  F.CircFitStep();
  EXPECT_EQ(P.GraphCount(), n);  // replaced by title
}

TEST_F(Limb, EditsFromTheOwnMapFilesHeader) {
  maptest::MapRoot root;
  root.scan.SOLAR_RA = 959.63;
  ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
  auto m = maptest::MakeMap("CONT", 4, 3, maptest::Wave);
  ASSERT_TRUE(m->Save());
  ASSERT_TRUE(LFIOReg().LoadOwn(maptest::kDa, maptest::kTi, nullptr, true));
  ASSERT_TRUE(LFIOReg().HcvSL);
  F.Edits.XC = "5";
  F.Edits.Kx = "2";
  ASSERT_TRUE(F.LimbFromHeader());
  EXPECT_DOUBLE_EQ(ValRealOr0(F.Edits.Radius), 959.63);  // the card's value text
  EXPECT_EQ(F.Edits.XC, "0");  // no SOLXC_LM in the header
  EXPECT_EQ(F.Edits.YC, "0");
  EXPECT_EQ(F.Edits.Kx, "1.0");
  // Without SOLAR_RA: the warning, the edits stay.
  LFIOReg().HcvSL->Clear();
  LFIOReg().HcvSL->Add("END");
  F.Edits.Radius = "1";
  EXPECT_FALSE(F.LimbFromHeader());
  EXPECT_EQ(F.Edits.Radius, "1");
  EXPECT_TRUE(rec.Has("Не удалось прочитать в LFIO.HcvSL параметр SOLAR_RA!"_cp));
}

}  // namespace
