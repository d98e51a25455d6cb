// Graphs derived from the current graph: exact values on small graphs (derivative, integral,
// resampling grids, ratio, difference and weighted means with the comparison graph), the names
// and titles of each result, the smoothing kinds and their refusals, the automatic deletion of
// the source, and the formula commands with their names, dropped points and warnings.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "plotting/cvCurveOps.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"

namespace {

TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

struct THost : TFakePlotHost {
  std::map<std::string, std::string> Set, Main;
  void ToolSet(const TCtlValues& V) override {
    for (auto& [k, v] : V) Set[k] = v;
  }
  std::string ToolGet(const std::string& N) override {
    const auto It = Set.find(N);
    return It != Set.end() ? It->second : TPlotHost::ToolGet(N);
  }
  std::string MainGet(const std::string& N) override {
    const auto It = Main.find(N);
    return It != Main.end() ? It->second : TPlotHost::MainGet(N);
  }
};

struct CurveOps : ::testing::Test {
  platform::TBitmap Bm{400, 300};
  TGRAF G;
  THost Host;
  std::unique_ptr<TPLOTTER> P;
  std::vector<std::string> Warns;

  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    P = std::make_unique<TPLOTTER>(&G);
    P->Tools = &Host;
    P->INIG(&Bm.Canvas(), "TFPict", &Host, 0);
    ASSERT_TRUE(P->CheckArrPlot());
  }
  void TearDown() override { ResetPlotServices(); }
  // A graph "I(x)" with X name "X" and Y name "I", made current.
  void Graph(const TARe& X, const TARe& Y, const std::string& Title = "I(x)",
             const TARe* W = nullptr) {
    P->AddGraph(X, Y, W, 1, 0, "_.K", Title, "X", "I", "", "");
    P->SetCurPic(P->GraphCount());
  }
  const TOneGraph& Last() { return *P->Graph(P->GraphCount()); }
  void ExpectPoints(const TARe& X, const TARe& Y, double Tol = 1e-12) {
    const TOneGraph& L = Last();
    ASSERT_EQ(L.N, NOf(X));
    for (int i = 1; i <= L.N; ++i) {
      EXPECT_NEAR(L.AX[size_t(i)], X[size_t(i)], Tol) << "x " << i;
      EXPECT_NEAR(L.AY[size_t(i)], Y[size_t(i)], Tol) << "y " << i;
    }
  }
  bool Warned(const std::string& Part) {
    for (const auto& w : Warns)
      if (w.find(Part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(CurveOps, DerivativeIntegralMirrorAndNames) {
  Graph(Arr({0, 1, 3, 4}), Arr({0, 2, 4, 10}));
  DiffCurPic(*P);
  ExpectPoints(Arr({0.5, 2, 3.5}), Arr({2, 1, 6}));
  EXPECT_EQ(Last().Name, "diff(I(x))");
  EXPECT_EQ(Last().OXName, "X");
  EXPECT_EQ(Last().OYName, "diff(I)");
  EXPECT_EQ(Last().CurvShowFormat, P->Graph(1)->CurvShowFormat);

  P->SetCurPic(1);
  IntegralCurPic(*P);
  EXPECT_EQ(Last().N, 5);  // N + 1 cell edges
  EXPECT_EQ(Last().Name, "integral(I(x))");
  EXPECT_EQ(Last().OYName, "integral(I)");
  EXPECT_DOUBLE_EQ(Last().AX[1], -0.5);
  EXPECT_DOUBLE_EQ(Last().AX[2], 0.5);

  P->SetCurPic(1);
  MirrorCurPic(*P);
  ExpectPoints(Arr({4, 3, 1, 0}), Arr({10, 4, 2, 0}));
  EXPECT_EQ(Last().Name, "mirror(I(x))");
  EXPECT_EQ(Last().OXName, "mirror(X)");
  MirrorCurPic(*P);
  ExpectPoints(Arr({0, 1, 3, 4}), Arr({0, 2, 4, 10}));
}

TEST_F(CurveOps, DerivativeRefusesNonMonotonicX) {
  for (const TARe& X : {Arr({1, 2, 2, 3}), Arr({1, 3, 2, 1}), Arr({1, 3, 0, 2})}) {
    Warns.clear();
    Graph(X, Arr({1, 2, 3, 4}));
    const int32_t n = P->GraphCount();
    DiffCurPic(*P);
    EXPECT_EQ(P->GraphCount(), n);
    EXPECT_TRUE(Warned("дифференцировать нельзя!"_cp));
  }
}

TEST_F(CurveOps, ResamplingGrids) {
  struct Case {
    TARe X;
    char M;
    double h;
    TARe WantX;
  } Cases[] = {
      {Arr({5, 6.5, 8, 9.5}), '2', 1, Arr({6, 7, 8, 9, 10})},    // starts one step on: 6.0
      {Arr({9.5, 8, 6.5, 5}), '2', 1, Arr({8, 7, 6, 5, 4})},     // a falling X runs downwards
      {Arr({0, 1, 2, 3, 4}), '4', 0.5, Arr({0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5})},
  };
  for (const Case& c : Cases) {
    TARe Y(c.X.size());
    for (size_t i = 1; i < c.X.size(); ++i) Y[i] = 2 * c.X[i] + 1;
    Graph(c.X, Y);
    ResampleCurPic(*P, c.M, c.h);
    TARe WantY(c.WantX.size());
    for (size_t i = 1; i < c.WantX.size(); ++i) WantY[i] = 2 * c.WantX[i] + 1;
    ExpectPoints(c.WantX, WantY, 1e-9);
  }
  EXPECT_EQ(Last().OXName, "IPEITKEN(X,Step=" + EFSt(4, 0.5) + ")");
  EXPECT_EQ(Last().Name, "I(x) IPEITKEN(X,Step=" + EFSt(4, 0.5) + ")");
  EXPECT_EQ(Last().OYName, "I");
  // A spline through a straight line keeps it.
  Graph(Arr({0, 1, 2, 3}), Arr({0, 1, 2, 3}));
  ResampleCurPic(*P, 's', 1);
  ExpectPoints(Arr({1, 2, 3, 4}), Arr({1, 2, 3, 4}), 1e-9);
  EXPECT_EQ(Last().OXName, "SPLINE(X,Step=" + EFSt(4, 1) + ")");
}

TEST_F(CurveOps, ResamplingWarningsAndRefusals) {
  Graph(Arr({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), Arr({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  ResampleCurPic(*P, '2', 6);  // span 10, h 6: 2 points, still added
  EXPECT_TRUE(Warned("Шаг по X слишком большой, его надо уменьшить!"_cp));
  EXPECT_EQ(Last().N, 2);
  struct Case {
    char M;
    double h;
    std::string Want;
  } Refused[] = {{'2', 0, "больше 0"_cp}, {'2', -1, "больше 0"_cp}, {'2', 1e-6, "1000000"}, {'x', 1, "<x>"}};
  for (const Case& c : Refused) {
    P->SetCurPic(1);
    Warns.clear();
    const int32_t n = P->GraphCount();
    ResampleCurPic(*P, c.M, c.h);
    EXPECT_EQ(P->GraphCount(), n) << c.Want;
    EXPECT_TRUE(Warned(c.Want)) << c.Want;
  }
}

TEST_F(CurveOps, ComparisonOperations) {
  Graph(Arr({1, 2, 3}), Arr({4, 6, 8}), "G");
  Graph(Arr({1, 2, 3}), Arr({2, 0, 4}), "C");
  P->k_Compare = 2;
  P->SetCurPic(1);
  DivByCompare(*P);
  ExpectPoints(Arr({1, 2, 3}), Arr({2, 0, 2}));  // 0 where the comparison is 0
  EXPECT_EQ(Last().Name, "(G / C)");
  EXPECT_EQ(Last().OYName, "(I / I)");
  P->SetCurPic(1);
  SubCompare(*P);
  ExpectPoints(Arr({1, 2, 3}), Arr({2, 6, 4}));
  EXPECT_EQ(Last().Name, "(G - C)");
  P->SetCurPic(1);
  MeanWithCompare(*P);
  ExpectPoints(Arr({1, 2, 3}), Arr({3, 3, 6}));
  EXPECT_EQ(Last().Name, "(G + C)/2");
  EXPECT_TRUE(Last().AW.empty() || NOf(Last().AW) == 0);
  // A grid differing in one value: C interpolated (and extrapolated) everywhere.
  Graph(Arr({0, 2, 4}), Arr({0, 2, 4}), "C2");
  P->k_Compare = P->GraphCount();
  P->SetCurPic(1);
  SubCompare(*P);
  ExpectPoints(Arr({1, 2, 3}), Arr({3, 4, 5}));
  // Without a comparison graph nothing happens.
  P->k_Compare = 0;
  const int32_t n = P->GraphCount();
  DivByCompare(*P);
  EXPECT_EQ(P->GraphCount(), n);
}

TEST_F(CurveOps, WeightedMeanOfMeanValueGraphs) {
  const TARe W1 = Arr({1, 0, 3}), W2 = Arr({3, 0, 1});
  Graph(Arr({1, 2, 3}), Arr({10, 10, 10}), "<Y>a", &W1);
  Graph(Arr({1, 2, 3}), Arr({20, 30, 20}), "<Y>b", &W2);
  P->k_Compare = 2;
  P->SetCurPic(1);
  MeanWithCompare(*P);
  ExpectPoints(Arr({1, 2, 3}), Arr({17.5, 20, 12.5}));  // both weights 0: the plain mean
  EXPECT_EQ(Last().Name, "<Y>(<Y>a + <Y>b)/2");
  EXPECT_TRUE(Last().YTitle);
  ASSERT_EQ(NOf(Last().AW), 3);
  EXPECT_EQ(Last().AW[1], 4);
  EXPECT_EQ(Last().AW[2], 0);
}

TEST_F(CurveOps, AutoDeleteReplacesTheSource) {
  Graph(Arr({0, 1, 2}), Arr({0, 1, 4}), "A");
  Graph(Arr({0, 1, 2}), Arr({0, 1, 8}), "B");
  P->SetCurPic(1);
  P->AutoDelOnPicModify = true;
  DiffCurPic(*P);
  ASSERT_EQ(P->GraphCount(), 2);
  EXPECT_EQ(P->Graph(1)->Name, "B");
  EXPECT_EQ(P->Graph(2)->Name, "diff(A)");
  EXPECT_EQ(P->k, 2);
}

TEST_F(CurveOps, SmoothingKinds) {
  Graph(Arr({3, 1, 2, 4}), Arr({9, 1, 4, 16}));
  AddApproxCurPic(*P, "MEAN2", 2);
  EXPECT_EQ(Last().N, 3);
  EXPECT_EQ(Last().Name, "smooth_MEAN2(I(x))");
  EXPECT_EQ(Last().OYName, "smooth_MEAN2(I)");
  P->SetCurPic(1);
  AddApproxCurPic(*P, "MEAN3", 3);
  ExpectPoints(Arr({3, 1, 2, 4}), Arr({9, 14.0 / 3, 7, 16}));
  // MEANSmooth reorders the source by X and turns '_' into '-'.
  P->SetCurPic(1);
  AddApproxCurPic(*P, "MEANSmooth", 2);
  EXPECT_EQ(P->Graph(1)->AX, Arr({1, 2, 3, 4}));
  EXPECT_EQ(P->Graph(1)->AY, Arr({1, 4, 9, 16}));
  EXPECT_EQ(Last().CurvShowFormat.find('_'), std::string::npos);
  EXPECT_EQ(Last().Name, "smooth_MEANSmooth(I(x))");
  P->SetCurPic(1);
  AddApproxCurPic(*P, "X_comb", 2);
  EXPECT_EQ(Last().N, 3);
  EXPECT_EQ(Last().Name, "comb_X_comb(I(x))");
  P->SetCurPic(1);
  AddApproxCurPic(*P, "GAUSS", 0.5);
  EXPECT_EQ(Last().N, 4);
  const int32_t n = P->GraphCount();
  for (const char* Kind : {"gauss", "MEANeqW", ""}) {
    Warns.clear();
    P->SetCurPic(1);
    AddApproxCurPic(*P, Kind, 3);
    EXPECT_EQ(Warns.size(), 1u);
    EXPECT_TRUE(Warned("PLOTTER.AddApproxCurPicERR: SMOOTH=<" + std::string(Kind) +
                       "> это НЕ ВАРИАНТ!"_cp));
  }
  for (double w : {0.0, -1.0}) {
    Warns.clear();
    AddApproxCurPic(*P, "GAUSS", w);
    EXPECT_TRUE(Warned("больше 0"_cp));
  }
  EXPECT_EQ(P->GraphCount(), n);
}

TEST_F(CurveOps, BinnedMeansCarryDensityWeights) {
  Graph(Arr({0.5, 1.5, 1.6, 2.5}), Arr({1, 2, 4, 5}));
  MeanYBinned(*P, Arr({0, 1, 2, 3}));
  ExpectPoints(Arr({0.5, 1.5, 2.5}), Arr({1, 3, 5}));
  EXPECT_EQ(Last().Name, "<Y>(X)(I(x))");
  EXPECT_TRUE(Last().YTitle);
  EXPECT_EQ(Last().AW, Arr({1, 2, 1}));
  EXPECT_NE(Last().CurvShowFormat.find('-'), std::string::npos);
}

TEST_F(CurveOps, FormulaValuesAndNames) {
  struct Case {
    const char* Cmd;
    bool X, Y;
    double B;
    TARe WantX, WantY;
    const char* Title;
    const char* OX;
    const char* OY;
  } Cases[] = {
      {"+2", false, true, 0, Arr({1, 2, 4}), Arr({12, 102, 1002}), "2+I(x)", "X", "2+I"},
      {"-2", false, true, 0, Arr({1, 2, 4}), Arr({8, 98, 998}), "-2-I(x)", "X", "-2-I"},
      {"*3", true, false, 0, Arr({3, 6, 12}), Arr({10, 100, 1000}), "I(x)", "3*X", "I"},
      {"+X*2", false, true, 0, Arr({1, 2, 4}), Arr({12, 104, 1008}), "(I(x) + X*2.000)", "X", "(I + X*2.000)"},
      {"-X/4", false, true, 0, Arr({1, 2, 4}), Arr({9.75, 99.5, 999}), "(I(x) - X*-0.2500)", "X", "(I - X*-0.2500)"},
      {"lg", false, true, 0, Arr({1, 2, 4}), Arr({1, 2, 3}), "lg(I(x))", "X", "lg(I)"},
      {"inv", true, false, 0, Arr({1, 0.5, 0.25}), Arr({10, 100, 1000}), "I(x)", "1/X", "I"},
      {"SQR", true, true, 0, Arr({1, 4, 16}), Arr({100, 1e4, 1e6}), "I(x)^2", "X^2", "I^2"},
      {"POW", true, false, 3, Arr({1, 8, 64}), Arr({10, 100, 1000}), "I(x)", "X^3", "I"},
      {"K", true, true, 2, Arr({20, 200, 2000}), Arr({2, 4, 8}), "2*I(x)", "2*X", "2*I"},
      {"norm", false, true, 0, Arr({1, 2, 4}), Arr({0, 90.0 / 990, 1}), "norm(I(x))", "X", "norm(I)"},
  };
  for (const Case& c : Cases) {
    Graph(Arr({1, 2, 4}), Arr({10, 100, 1000}));
    const int32_t n = P->GraphCount();
    AddModifPic(*P, c.Cmd, c.X, c.Y, c.B);
    ASSERT_EQ(P->GraphCount(), n + 1) << c.Cmd;
    ExpectPoints(c.WantX, c.WantY, 1e-9);
    EXPECT_EQ(Last().Name, c.Title) << c.Cmd;
    EXPECT_EQ(Last().OXName, c.OX) << c.Cmd;
    EXPECT_EQ(Last().OYName, c.OY) << c.Cmd;
  }
  EXPECT_EQ(Host.Set["edOperand"], "990");  // "norm" writes the range
  // TETA of 5040 K is 1; B(T) names the wavelength.
  Graph(Arr({1, 2}), Arr({5040, 10080}));
  AddModifPic(*P, "TETA", false, true, 0);
  EXPECT_NEAR(Last().AY[1], 1.0, 1.3e-5);
  EXPECT_EQ(Last().OYName, "5040/I");
  Graph(Arr({1, 2}), Arr({5000, 6000}));
  AddModifPic(*P, "B(T)", false, true, 5000.4);
  EXPECT_EQ(Last().OYName, "PLANK(5000,I)");
  EXPECT_GT(Last().AY[2], Last().AY[1]);
}

TEST_F(CurveOps, FormulaDropsAndRefusals) {
  // "lg" drops exactly the non-positive point, wherever it is; "inv" and "TETA" drop 0.
  struct Drop {
    const char* Cmd;
    TARe Y;
    int32_t Kept;
  } Drops[] = {{"lg", Arr({10, -1, 100, 1000}), 3}, {"lg", Arr({10, 100, 1000, -5}), 3},
               {"inv", Arr({1, 0, 2, 4}), 3},       {"TETA", Arr({0, 1, 2, 4}), 3}};
  for (const Drop& d : Drops) {
    Graph(Arr({1, 2, 3, 4}), d.Y);
    AddModifPic(*P, d.Cmd, false, true, 0);
    EXPECT_EQ(Last().N, d.Kept) << d.Cmd;
    for (int i = 1; i <= Last().N; ++i) EXPECT_TRUE(std::isfinite(Last().AY[size_t(i)]));
  }
  struct Refused {
    const char* Cmd;
    bool X, Y;
    TARe Y0;
    std::string Want;
  } Cases[] = {
      {"lg", false, true, Arr({-1, -2, -3}), "не нашлось (N=0) точек"_cp},
      {"xp", false, true, Arr({1, 2, 3}), "отсутствует в списке допустимых операторов <lg exp inv TETA B(T) K SQR POW norm>"_cp},
      {"abs", false, true, Arr({1, 2, 3}), "не распознана"_cp},
      {"5", false, true, Arr({1, 2, 3}), "не распознана"_cp},
      {"B(T)", true, true, Arr({1, 2, 3}), "должен применяться к X или Y по отдельности!"_cp},
      {"norm", false, true, Arr({3, 3, 3}), "Плохой график, при нормировании будет деление на 0!"_cp},
      {"+X*2", true, true, Arr({1, 2, 3}), "Команда, содержащая X не должна применяться к самому X!"_cp},
      {"*X", false, true, Arr({1, 2, 3}), "Команда, содержащая X не распознана!"_cp},
      {"+X*a", false, true, Arr({1, 2, 3}), "Команда, содержащая X не распознана!"_cp},
  };
  for (const Refused& c : Cases) {
    Warns.clear();
    Graph(Arr({1, 2, 3}), c.Y0);
    const int32_t n = P->GraphCount();
    AddModifPic(*P, c.Cmd, c.X, c.Y, 0);
    EXPECT_EQ(P->GraphCount(), n) << c.Cmd;
    EXPECT_TRUE(Warned(c.Want)) << c.Cmd << ": " << (Warns.empty() ? "" : Warns[0]);
  }
  // A number that cannot be read ends silently.
  Warns.clear();
  const int32_t n = P->GraphCount();
  AddModifPic(*P, "+abc", false, true, 0);
  EXPECT_EQ(P->GraphCount(), n);
  EXPECT_TRUE(Warns.empty());
}

}  // namespace
