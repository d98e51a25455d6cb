// Integration accuracy and depth limits: the settings read from the working variator, the
// model's depth bounds, and the start depth of the integration with its guards.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "support/SinkRecorder.h"
#include "support/TransferModel.h"
#include "synthesis/transfer/cvAccuracy.h"

namespace {

using testsupport::Const;
using testsupport::SinkRecorder;
using testsupport::TTransferModel;

struct Env {
  SinkRecorder sink{SinkRecorder::kWarnOn | SinkRecorder::kStripWarnPrefix};
  TOwnVariContext vctx;
  TVariScope vscope{vctx};
  TVARIATOR v{"Q", 1};
  TTransferModel m;
  TCalcScope cscope{m.ctx};
  Env() { VariCtx().VARI = &v; }
  ~Env() { VariCtx().VARI = nullptr; }
};

TEST(Accuracy, DefaultsAndErr) {
  Env e;
  e.v.AddP("#A 1");
  VariLoadEps();
  const TCONTSETX& s = Cont().SETX;
  EXPECT_NEAR(s.EFBO, 2.9957, 1e-4);
  EXPECT_NEAR(s.EFDX, 2.2679, 1e-4);
  EXPECT_EQ(s.DXMA, 0.5);
  EXPECT_EQ(s.X0_LO, 1.5);
  EXPECT_EQ(s.X0_UP, -3);
  // no model vectors: the fall-back bounds, with the warnings
  EXPECT_EQ(s.XIN0, 1);
  EXPECT_EQ(s.XOUT0, -4);
  EXPECT_EQ(s.XIN1, 1.5);
  EXPECT_EQ(s.XOUT1, -6.5);
  EXPECT_TRUE(e.sink.Has("|Tau|0 для определения границ модели, загружаем [1,-4]"_cp));
  EXPECT_TRUE(e.sink.Has("|X|1 для определения границ модели, загружаем [1.5,-6.5]"_cp));

  e.v.AddP("#ERR 1E-4");
  VariLoadEps();
  EXPECT_NEAR(s.EFBO, 7.6009, 1e-4);
  EXPECT_NEAR(s.EFDX, 0.9029, 1e-4);
}

TEST(Accuracy, Refusals) {
  {
    Env e;
    e.v.AddP("#MAXSTEP 0");
    try {
      VariLoadEps();
      FAIL();
    } catch (const std::exception& x) {
      EXPECT_NE(std::string(x.what()).find(
                    "Параметр #MAXSTEP должен быть > 0 - исправьте знак!"_cp),
                std::string::npos);
    }
  }
  {
    Env e;
    e.v.AddP("#X0Nearest 2");
    try {
      VariLoadEps();
      FAIL();
    } catch (const std::exception& x) {
      EXPECT_NE(std::string(x.what()).find("Нижний предел X0 не может быть выше верхнего,\r\n"
                                           "Параметр #X0LO должен быть глубже"_cp),
                std::string::npos);
    }
  }
}

TEST(Accuracy, ModelBounds) {
  Env e;
  e.m.XBot = 1.2;
  e.m.XTop = -3.8;
  e.m.DXGrid = 0.1;
  e.m.Build();
  // TAU of grid 0 from the surface inwards: swapped; X of grid 1
  TARe tau = {0, 1e-4, 1e-2, 1, 10};
  e.m.ctx.LVEMO->AddVeMo("TAU", e.m.Mod, tau, 1, 0, "", 0, "");
  TARe x1 = {0, 1.4, 0, -5.5};
  e.m.ctx.LVEMO->AddVeMo("X", e.m.Mod, x1, 1, 1, "", 1, "");
  e.v.AddP("#A 1");
  VariLoadEps();
  const TCONTSETX& s = Cont().SETX;
  EXPECT_NEAR(s.XIN0, 1.2, 1e-12);  // the X vector of grid 0 first
  EXPECT_NEAR(s.XOUT0, -3.8, 1e-12);
  EXPECT_EQ(s.XIN1, 1.4);
  EXPECT_EQ(s.XOUT1, -5.5);
  e.v.AddP("#XIN 0.7");
  VariLoadEps();
  EXPECT_EQ(s.XIN0, 0.7);
  EXPECT_EQ(s.XIN1, 0.7);
}

TEST(Accuracy, StartDepth) {
  Env e;
  e.m.B = [](double x) { return 1 + std::pow(10.0, x); };
  e.m.Build();
  e.v.AddP("#A 1");
  VariLoadEps();
  TCONTSETX& s = Cont().SETX;
  s.XK = -4;
  // continuum only far from the line: absorbed after tau of about EFBO (mu = 1)
  const double far = e.m.Lam0 + 3;
  const double x0 = SEX0(far);
  EXPECT_GT(x0, std::log10(s.EFBO) - 0.05);
  EXPECT_LT(x0, std::log10(s.EFBO) + 0.4);
  // the line centre is opaque: the start lies higher
  EXPECT_LT(SEX0(e.m.Lam0), x0);
  // field-free the same
  Cont().H0 = true;
  EXPECT_NEAR(SEX0(far), x0, 1e-9);
  Cont().H0 = false;
  // clamps
  s.X0_LO = 0.1;
  EXPECT_EQ(SEX0(far), 0.1);
  s.X0_LO = 1.5;
  s.X0_UP = 1.2;
  EXPECT_EQ(SEX0(far), 1.2);
  s.X0_UP = -3;
  // the output depth already at XIN1: one pass
  s.XK = s.XIN1;
  EXPECT_EQ(SEX0(far), 1.5);
  // a stuck search ends in an error naming wavelength and depth
  s.XK = -4;
  s.EFDX = 0;
  try {
    SEX0(far);
    FAIL();
  } catch (const std::exception& x) {
    EXPECT_NE(std::string(x.what()).find("LAM=6305.500 X= -4.0000"), std::string::npos)
        << x.what();
  }
  // every point of a profile
  VariLoadEps();
  s.XK = -4;
  TARe ul = {0, far, e.m.Lam0};
  TARe mx;
  aSEX0(ul, 2, mx);
  ASSERT_EQ(mx.size(), 3u);
  EXPECT_EQ(mx[1], x0);
  EXPECT_LT(mx[2], x0);
}

}  // namespace
