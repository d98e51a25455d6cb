#include "support/Arrays1.h"
#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/cvFunc.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

using testsupport::I1;
using testsupport::R1;


class FuncTexts : public ::testing::Test {
 protected:
  testsupport::SinkRecorder sink;
  std::vector<std::string>& warns = sink.texts;
};

const std::string kUnparsed = "cvFunc.doFUNC : функцию не удаётся \"распарсить\", sFUNC=<"_cp;

}  // namespace

TEST_F(FuncTexts, DivisionTexts) {
  struct Case {
    const char* f;
    double x, want;
  } cases[] = {
      {"X/2", 3, 1.5},
      {"2/X", 4, 0.5},
      {"x/2", 3, 3},     // a lower-case x is no variable
      {"X / 2", 3, 3},   // blanks keep the sides from matching
      {"1e8/X", 4, 2.5e7},
      {"X/2.5E-1", 5, 20},
      {"A/B", 7, 7},     // neither side is X: unchanged
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(doFUNC(c.f, c.x), c.want) << c.f;
  EXPECT_TRUE(warns.empty());

  EXPECT_DOUBLE_EQ(doFUNC("X2", 4), 2.5e7);  // no "/": warned, 1e8 / x
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + kUnparsed + "X2>");
}

TEST_F(FuncTexts, DivisionByZeroIsFatal) {
  for (auto [f, x] : {std::pair{"2/X", 0.0}, std::pair{"X/0", 5.0}, std::pair{"X/abc", 5.0},
                      std::pair{"X2", 0.0}}) {
    try {
      doFUNC(f, x);
      ADD_FAILURE() << f << " did not fail";
    } catch (const EInOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("ErrAbs: " + "cvFunc.doFUNC : деление на 0, sFUNC=<"_cp + f + ">", 0), 0u)
          << e.what();
    }
  }
  TARe A = R1({1, 0, 2});
  EXPECT_THROW(AReFUNC(A, "2/X"), EInOutError);
  EXPECT_EQ(A, R1({1, 0, 2}));  // nothing changed
}

TEST_F(FuncTexts, LetterConversions) {
  EXPECT_DOUBLE_EQ(FuncByChar('E', "", 2), 100);
  EXPECT_DOUBLE_EQ(FuncByChar('F', "X/4", 2), 0.5);
  EXPECT_DOUBLE_EQ(FuncByChar('L', "", 1000), 3);
  EXPECT_DOUBLE_EQ(FuncByChar('Q', "X/4", 2), 2);
  EXPECT_THROW(FuncByChar('L', "", 0), EInOutError);
  EXPECT_THROW(FuncByChar('E', "", 400), EInOutError);

  TARe A{7, 2, 4};
  AReFUNC(A, "X/2");
  EXPECT_EQ(A, (TARe{7, 1, 2}));  // element 0 left alone
  AReFUNC(A, "Y");
  EXPECT_EQ(A, (TARe{7, 1e8, 5e7}));
  EXPECT_EQ(warns.size(), 2u);  // one warning per element
}

TEST_F(FuncTexts, WholeArrayLogAndPowers) {
  TARe A{5, 100, -1, 0, 0.001};
  AReLOG(A);
  EXPECT_EQ(A[0], 5);
  EXPECT_DOUBLE_EQ(A[1], 2);
  EXPECT_EQ(A[2], -1);
  EXPECT_EQ(A[3], 0);
  EXPECT_DOUBLE_EQ(A[4], -3);
  ASSERT_EQ(warns.size(), 2u);  // every non-positive element, and the loop goes on
  EXPECT_EQ(warns[0], "WARN:AReLOG: Log10(A[2]=" + ReSt(-1) + ") !!!");
  EXPECT_EQ(warns[1], "WARN:AReLOG: Log10(A[3]=" + ReSt(0) + ") !!!");

  TARe E{5, 2, -1};
  AReEXP10(E);
  EXPECT_EQ(E[0], 5);
  EXPECT_DOUBLE_EQ(E[1], 100);
  EXPECT_DOUBLE_EQ(E[2], 0.1);
  TARe big{0, 1, 500};
  EXPECT_THROW(AReEXP10(big), EInOutError);
  EXPECT_EQ(big, (TARe{0, 1, 500}));

  TARe T{9, 1000, 0.01};
  AReTransform(T, 'L');
  EXPECT_EQ(T[0], 9);
  EXPECT_DOUBLE_EQ(T[1], 3);
  EXPECT_DOUBLE_EQ(T[2], -2);
  AReTransform(T, 'E');
  EXPECT_DOUBLE_EQ(T[1], 1000);
  EXPECT_DOUBLE_EQ(T[2], 0.01);
  TARe th{9, 5039.77, 0, -4, 10000};
  AReTransform(th, 'T');  // 5039.77 / x, 0 for x <= 0
  EXPECT_EQ(th[0], 9);
  EXPECT_DOUBLE_EQ(th[1], 1);
  EXPECT_EQ(th[2], 0);
  EXPECT_EQ(th[3], 0);
  EXPECT_DOUBLE_EQ(th[4], 0.503977);
  const TARe kept = th;
  AReTransform(th, 'x');
  EXPECT_EQ(th, kept);
  TARe bad{0, 2, -1};
  EXPECT_THROW(AReTransform(bad, 'L'), EInOutError);
  EXPECT_EQ(bad, (TARe{0, 2, -1}));

  const TARe C = R1({2, 0.5, -1, 3});
  EXPECT_EQ(AReTransformCheck(C, 'L'), 3);
  EXPECT_EQ(AReTransformCheck(C, 'T'), 3);
  EXPECT_EQ(AReTransformCheck(C, 'E'), 0);
  EXPECT_EQ(AReTransformCheck(R1({1, 2}), 'L'), 0);
}

TEST_F(FuncTexts, ConstantsFillAndRange) {
  TARe A{9, 1, 2, 3};
  AReAdd(A, 1);
  EXPECT_EQ(A, (TARe{9, 2, 3, 4}));  // element 0 untouched
  AReSubFrom(A, 10);
  EXPECT_EQ(A, (TARe{9, 8, 7, 6}));
  AReMul(A, 0.5);
  EXPECT_EQ(A, (TARe{9, 4, 3.5, 3}));
  TARe R;
  AReMulTo(A, R, 2);
  EXPECT_EQ(R, (TARe{9, 8, 7, 6}));
  AReDepthTo(TARe{9, 4, 2, 0}, R, 4);
  EXPECT_EQ(R, (TARe{9, 0, 0.5, 1}));
  EXPECT_THROW(AReDepthTo(TARe{9, 4}, R, 0), EInOutError);
  AReFill(A, 2);
  EXPECT_EQ(A, (TARe{2, 2, 2, 2}));  // element 0 too
  TAIn I{1, 2, 3};
  AInFill(I, -1);
  EXPECT_EQ(I, (TAIn{-1, -1, -1}));

  double mn = 7, mx = 7;
  AReRange(R1({3, -2, 8, 1}), mn, mx);
  EXPECT_EQ(mn, -2);
  EXPECT_EQ(mx, 8);
  AReRange(TARe{5}, mn, mx);
  EXPECT_EQ(mn, 0);
  EXPECT_EQ(mx, 0);
}

TEST_F(FuncTexts, RoundToFirstDigit) {
  struct Case {
    double x, want;
  } cases[] = {{0.0376, 0.03}, {376, 300}, {-7.9, -7}, {10, 10}, {0.999, 0.9}, {0, 0},
               {1, 1}, {10.5, 10}, {99, 90}, {-0.00052, -0.0005}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(RoundToFirstDigit(c.x), c.want) << c.x;
  EXPECT_TRUE(std::isnan(RoundToFirstDigit(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(std::isinf(RoundToFirstDigit(std::numeric_limits<double>::infinity())));
}

TEST_F(FuncTexts, LinearBridgeAndRamps) {
  const TARe B = R1({0, 1, 2, 4, 5});
  TARe A = R1({10, 99, 99, 99, 20});
  AReLinBridge(A, B, 5, 1);  // either order
  EXPECT_EQ(A, R1({10, 12, 14, 18, 20}));
  for (auto [i1, i2] : {std::pair{0, 3}, std::pair{2, 6}, std::pair{2, 3}}) {
    TARe C = R1({1, 5, 5, 5, 1});
    AReLinBridge(C, B, i1, i2);
    EXPECT_EQ(C, R1({1, 5, 5, 5, 1})) << i1 << "," << i2;
  }
  TARe D = R1({1, 5, 5});
  EXPECT_THROW(AReLinBridge(D, R1({2, 2, 2}), 1, 3), EInOutError);

  TARe Z = R1({0, 0, 0, 0, 0});
  AReAddRamp(Z, B, 2, 2, 1);  // 0 at X0 = 1, 2 at X1 = 2
  EXPECT_EQ(Z, R1({-2, 0, 2, 6, 8}));
  Z = R1({0, 0, 0, 0, 0});
  AReAddRampPos(Z, B, 2, 2, 1);
  EXPECT_EQ(Z, R1({0, 0, 2, 6, 8}));
  AReAddRamp(Z, B, 2, 3, 3);  // X1 = X0: nothing
  EXPECT_EQ(Z, R1({0, 0, 2, 6, 8}));
}

TEST_F(FuncTexts, ChangesInAWindow) {
  const TARe B = R1({0, 1, 2, 3, 4});
  struct Case {
    double h;
    TARe want;
  } cases[] = {
      {0, R1({0, 0, 1, 0, 0})},   // a hundredth of the mean step: the point at 2 alone
      {2, R1({0, 1, 1, 1, 0})},   // d = 1.000005: both neighbours
      {-2, R1({0, 1, 1, 1, 0})},
      {1.9, R1({0, 0, 1, 0, 0})},
  };
  for (const auto& c : cases) {
    TARe A = R1({0, 0, 0, 0, 0});
    AReAddAt(A, B, 1, 2, c.h);
    EXPECT_EQ(A, c.want) << c.h;
  }
  TARe A = R1({1, 2, 3, 4, 5});
  AReMulAt(A, B, 10, 3.2, 1);
  EXPECT_EQ(A, R1({1, 2, 3, 40, 5}));
  AReSetAt(A, B, -1, 0.2, 1);
  EXPECT_EQ(A, R1({-1, 2, 3, 40, 5}));
  TARe none{0};
  AReAddAt(none, B, 1, 2, 0);
  AReAddAt(A, TARe{0}, 1, 2, 0);
  EXPECT_EQ(none, (TARe{0}));
  EXPECT_EQ(A, R1({-1, 2, 3, 40, 5}));
}

TEST_F(FuncTexts, GaussianBumps) {
  const double sqrtPi = std::sqrt(std::acos(-1.0));
  EXPECT_NEAR(GaussNorm(0, 2), 1 / (2 * sqrtPi), 1e-10);
  EXPECT_NEAR(GaussNorm(1, 2), std::exp(-0.25) / (2 * sqrtPi), 1e-10);
  EXPECT_EQ(GaussNorm(106.6, 1), 0);  // (u/w)^2 >= 11350
  EXPECT_THROW(GaussNorm(1, 0), EInOutError);

  const TARe B = R1({0, 1, 2, 3, 4});
  TARe A = R1({0, 0, 0, 0, 0});
  AReAddGauss(A, B, 3, 2, -1.5);  // the width's sign does not matter
  for (int i = 1; i <= 5; ++i) EXPECT_DOUBLE_EQ(A[i], 3 * GaussNorm(std::fabs(B[i] - 2), 1.5));
  EXPECT_DOUBLE_EQ(A[2], A[4]);
  TARe S = R1({0, 0, 0, 0, 0});
  AReAddGauss(S, B, 3, 2, 0);  // zero width: a spike at X
  EXPECT_EQ(S, R1({0, 0, 3, 0, 0}));
}
