// The wavelength-point driver: the analytic start vector against the integrated one in a
// Milne-Eddington atmosphere (a source function linear in optical depth, a constant matrix),
// the start above the output depth, the field-free start, and the nodes around a probe layer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/cvSayer.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TransferModel.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvPlam.h"

namespace {

using testsupport::Const;
using testsupport::SinkRecorder;
using testsupport::TTransferModel;

constexpr double kBeta = 1.5;

uint64_t Bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// B = 1 + beta tau; the model's continuum the exact one of that atmosphere.
void BuildME(TTransferModel& m, double Etac, double Mu) {
  m.B = [](double x) { return 1 + kBeta * std::pow(10.0, x); };
  m.ETAC = Const(Etac);
  m.DLH = Const(40);
  m.GM = Const(30);
  m.XI = Const(20);
  m.Mu = Mu;
  m.Build();
  Cont().MCONT = m.Add(
      "CONT", [Etac, Mu](double x) { return 1 + kBeta * (std::pow(10.0, x) + Mu / Etac); },
      TVEMO::LamSId(m.Lam0));
  TCONTSETX& s = Cont().SETX;
  s.ERR = 1e-4;
  s.DXMA = 0.5;
  s.EFDX = std::pow(120 * 1e-4 * 50, 0.2);
  Cont().H0 = false;
}

void MakeProfile(TUNNO& U, double Lam0, double Half, int32_t N) {
  U.SetDefaults();
  U.SetULEqd(N, Lam0, Lam0 + Half, Lam0 - Half);
  U.AllocU();
}

// The start vector written at X1 equals the vector integrated up to X1 from deep down: the
// Unno-Rachkovsky solution is the atmosphere's own, and its continuum is scaled to the model's
// continuum intensity (also where the continuum opacity ratio is not 1).
TEST(Plam, StartVectorIsTheIntegratedSolution) {
  SinkRecorder sink;
  for (double etac : {1.0, 0.5})
    for (double mu : {1.0, 0.6}) {
      TTransferModel m;
      TCalcScope scope(m.ctx);
      BuildME(m, etac, mu);
      TUNNO walked, start;
      MakeProfile(walked, m.Lam0, 0.3, 13);
      MakeProfile(start, m.Lam0, 0.3, 13);
      const double X1 = -2;
      for (int32_t i = 1; i <= walked.NDL; ++i) {
        PLAM(i, walked, X1, X1, 1.0);
        EXPECT_EQ(walked.UK[i], 1);
        TCONT& C = Cont();
        C.WK.X = X1;
        C.WK.LAM = start.UL[i];
        FACX();
        USE(i, start, X1);
        const double Ic = C.MCONT->func(X1);
        EXPECT_NEAR(start.UI[i], walked.UI[i], 2e-4 * Ic) << etac << " " << mu << " " << i;
        EXPECT_NEAR(start.UQ[i], walked.UQ[i], 2e-4 * Ic) << i;
        EXPECT_NEAR(start.UU[i], walked.UU[i], 2e-4 * Ic) << i;
        EXPECT_NEAR(start.UV[i], walked.UV[i], 2e-4 * Ic) << i;
        EXPECT_NEAR(walked.CONT, Ic, 1e-12);
      }
      // a line with a field: polarised, deeper in the core than in the wings
      EXPECT_GT(std::fabs(walked.UV[6]), 1e-3);
      EXPECT_LT(walked.UI[7], walked.UI[1]);
    }
  EXPECT_TRUE(sink.texts.empty());
}

// All points of a profile walked together give the bits of the walk point by point, over two
// output depths (the second continues from the first), with points that start above an output
// depth, deeper, or at the model's bottom; CONT is left as the last point leaves it.
TEST(Plam, AllPointsTogetherGiveThePointByPointBits) {
  SinkRecorder sink;
  TTransferModel m;
  TCalcScope scope(m.ctx);
  BuildME(m, 0.7, 0.8);
  Cont().SETX.ERR = 1e-3;
  Cont().SETX.EFDX = std::pow(120 * 1e-3 * 50, 0.2);
  TUNNO one, all;
  MakeProfile(one, m.Lam0, 0.4, 15);
  MakeProfile(all, m.Lam0, 0.4, 15);
  TARe X00(16, 0.0);
  for (size_t i = 1; i <= 15; ++i) X00[i] = i % 5 == 0 ? -2.5 : i % 3 == 0 ? 3.0 : -0.4 + 0.05 * i;
  const double legs[2][2] = {{-1, -1}, {-1, -3}};
  for (const auto& leg : legs) {
    ResetFACX();
    for (int32_t i = 1; i <= one.NDL; ++i) {
      Cont().WK.LAM = one.UL[static_cast<size_t>(i)];
      PLAM(i, one, leg[0], leg[1], X00[static_cast<size_t>(i)]);
    }
    const TCONTWK before = Cont().WK;
    const TCONTR beforeR = Cont().R;
    ResetFACX();
    int32_t finished = 0;
    ASSERT_EQ(PLAMAll(all, leg[0], leg[1], X00, [&](int32_t n) { return (finished = n), true; }), 1);
    EXPECT_EQ(finished, leg[1] == -1 ? 12 : 15);  // three start above the first output depth
    for (size_t i = 1; i <= 15; ++i) {
      EXPECT_EQ(Bits(all.UI[i]), Bits(one.UI[i])) << leg[1] << " " << i;
      EXPECT_EQ(Bits(all.UQ[i]), Bits(one.UQ[i])) << i;
      EXPECT_EQ(Bits(all.UU[i]), Bits(one.UU[i])) << i;
      EXPECT_EQ(Bits(all.UV[i]), Bits(one.UV[i])) << i;
      EXPECT_EQ(all.UK[i], 1);
    }
    EXPECT_EQ(Bits(all.CONT), Bits(one.CONT));
    EXPECT_EQ(Bits(all.Teff), Bits(one.Teff));
    const TCONT& after = Cont();
    EXPECT_EQ(Bits(after.WK.X), Bits(before.X));
    EXPECT_EQ(Bits(after.WK.LAM), Bits(before.LAM));
    EXPECT_EQ(Bits(after.WK.Y[4]), Bits(before.Y[4]));
    EXPECT_EQ(Bits(after.R.EF), Bits(beforeR.EF));
    EXPECT_EQ(Bits(after.R.EMax), Bits(beforeR.EMax));
  }
  // trace lines of the point driver: nothing done, the profile as it was
  const TARe kept = all.UI;
  TraceMask = 1 << 17;
  EXPECT_EQ(PLAMAll(all, -3, -3, X00, nullptr), 0);
  TraceMask = 0;
  EXPECT_EQ(all.UI, kept);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Plam, StartAboveTheOutputDepthAndFieldFree) {
  SinkRecorder sink;
  TTransferModel m;
  TCalcScope scope(m.ctx);
  BuildME(m, 1.0, 1.0);
  TUNNO U;
  MakeProfile(U, m.Lam0, 0.3, 5);
  // the point's start depth lies above the output depth: start values there, no walk
  PLAM(1, U, -1, -1, -3);
  TUNNO S;
  MakeProfile(S, m.Lam0, 0.3, 5);
  TCONT& C = Cont();
  C.WK.X = -1;
  C.WK.LAM = S.UL[1];
  FACX();
  USE(1, S, -1);
  EXPECT_DOUBLE_EQ(U.UI[1], S.UI[1]);
  EXPECT_DOUBLE_EQ(U.UV[1], S.UV[1]);
  EXPECT_EQ(U.UK[1], 1);
  EXPECT_DOUBLE_EQ(U.CONT, C.MCONT->func(-1));
  EXPECT_GT(U.Teff, 0);
  // field-free: the start is the continuum, the walk keeps Q, U, V at zero; the line
  // centre ends below the continuum
  C.H0 = true;
  C.R = TCONTR();
  TUNNO H;
  MakeProfile(H, m.Lam0, 0.3, 5);
  PLAM(3, H, -3, -3, -3);
  EXPECT_DOUBLE_EQ(H.UI[3], C.MCONT->func(-3));
  PLAM(3, H, -3, -3, 1.0);
  EXPECT_LT(H.UI[3], 0.9 * H.CONT);
  EXPECT_EQ(H.UV[3], 0);
  EXPECT_TRUE(sink.texts.empty());
}

TEST(Plam, NodesAroundAProbeLayer) {
  TTransferModel m;
  TCalcScope scope(m.ctx);
  m.Build();
  TCONT& C = Cont();
  C.KHole = 0;
  EXPECT_TRUE(HoleNodes(-1, -1, 1).empty());
  C.KHole = 'T';
  C.HoleX0 = 0.5;
  C.HoleX1 = -0.5;
  const std::vector<double> all = {0.5 + 1e-8, 0.5 - 1e-8, -0.5 + 1e-8, -0.5 - 1e-8, -1};
  EXPECT_EQ(HoleNodes(-1, -1, 1), all);
  // a bound exactly at the output depth: the walk ends just below it
  const std::vector<double> atX1 = {0.5 + 1e-8, 0.5 - 1e-8, -0.5 + 1e-8, -0.5 - 1e-8};
  EXPECT_EQ(HoleNodes(-0.5, -0.5, 1), atX1);
  // a leg from the previous output depth that crosses only the lower bound
  const std::vector<double> lower = {-0.5 + 1e-8, -0.5 - 1e-8, -2};
  EXPECT_EQ(HoleNodes(0, -2, 1), lower);
  // a leg above the layer
  EXPECT_TRUE(HoleNodes(-1, -2, 1).empty());
}

}  // namespace
