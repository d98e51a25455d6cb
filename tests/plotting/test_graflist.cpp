// The Graf tab's logic on an in-memory plotter: bulk marks, ranges, "Fill" and "Oper" values,
// the shifted family, the join on Y, the histogram, graph and window edits with their refusals,
// the scale texts, the animation interval and the table plot of PlayGraphic.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "plotting/cvGrafList.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"

namespace {

TARe GArr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

struct GrafList : ::testing::Test {
  platform::TBitmap Bm{800, 600};
  TGRAF G;
  TFakePlotHost Host;
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
  void Family(int32_t n) {
    for (int32_t i = 0; i < n; ++i)
      P->NewGraph(GArr({1, 2, 3, 4, 5}), GArr({1.0 + i, 2, 3, 4, 5}), 1, 0, "-.K",
                  "g" + std::to_string(i), "x", "I", "", "");
  }
};

TEST(GrafMarks, BulkMarksRangesAndFill) {
  using V = std::vector<bool>;
  EXPECT_EQ(graf::BulkMarks(5, 'E'), (V{true, false, true, false, true}));
  EXPECT_EQ(graf::BulkMarks(5, 'O'), (V{false, true, false, true, false}));
  EXPECT_EQ(graf::BulkMarks(3, 'A'), (V{true, true, true}));
  EXPECT_EQ(graf::BulkMarks(3, 'C'), (V{false, false, false}));
  // "Select": either order the same range; no anchor: every row
  const int32_t cases[][5] = {{1, 3, 6, 1, 3}, {3, 1, 6, 1, 3}, {-1, 2, 6, 0, 5}, {4, 9, 6, 4, 5}};
  for (const auto& c : cases) {
    int32_t f = -9, t = -9;
    graf::SelectRange(c[0], c[1], c[2], f, t);
    EXPECT_EQ(f, c[3]) << c[0] << " " << c[1];
    EXPECT_EQ(t, c[4]) << c[0] << " " << c[1];
  }
  // two lines over four active rows (and an inactive one between): a, b, a, b
  const auto F = graf::FillValues({true, true, false, true, true}, {"a", "b"});
  ASSERT_EQ(F.size(), 5u);
  EXPECT_EQ(*F[0], "a");
  EXPECT_EQ(*F[1], "b");
  EXPECT_FALSE(F[2]);
  EXPECT_EQ(*F[3], "a");
  EXPECT_EQ(*F[4], "b");
  for (const auto& v : graf::FillValues({true, true}, {})) EXPECT_FALSE(v);
  // "JoinY": the last active row with the smallest kYs
  EXPECT_EQ(graf::JoinTarget({true, true, false, true}, {4, 2, 1, 2}), 3);
  EXPECT_EQ(graf::JoinTarget({false, false}, {1, 1}), -1);
}

TEST(GrafMarks, TextsOfScaleOperAndAnimation) {
  std::string mi, ma;
  ASSERT_TRUE(graf::ScaleTexts("0.001", mi, ma));
  EXPECT_EQ(mi, ".0010");
  EXPECT_EQ(ma, ".9990");
  ASSERT_TRUE(graf::ScaleTexts("0", mi, ma));
  EXPECT_EQ(mi, ".0000");
  EXPECT_EQ(ma, "1.0000");
  EXPECT_FALSE(graf::ScaleTexts("x1", mi, ma));
  EXPECT_EQ(graf::OperCommand(10, 0, 0), "+0");
  EXPECT_EQ(graf::OperCommand(10, 0, 2), "+20");
  EXPECT_EQ(graf::OperCommand(0.123456, 1, 1), "+0.24691");
  const std::pair<const char*, int32_t> ok[] = {{"0.2", 200}, {"abc", 1000}, {"0", 0}};
  for (const auto& [t, ms] : ok) {
    int32_t m = -1;
    EXPECT_TRUE(graf::AnimationInterval(t, m)) << t;
    EXPECT_EQ(m, ms) << t;
  }
  int32_t m = 0;
  EXPECT_FALSE(graf::AnimationInterval("-1", m));
  EXPECT_FALSE(graf::AnimationInterval("5e6", m));  // 5e9 ms: more than the timer holds
  std::string n, u;
  graf::SplitUnit("Lambda[A]", n, u);
  EXPECT_EQ(n, "Lambda");
  EXPECT_EQ(u, "A");
  graf::SplitUnit("I", n, u);
  EXPECT_EQ(n, "I");
  EXPECT_EQ(u, "");
  EXPECT_EQ(graf::TableStyle("-.K", 10001), "_.K");
  EXPECT_EQ(graf::TableStyle("-.K", 10000), "-.K");
}

TEST_F(GrafList, OperShiftsAFamilyApartByEqualSteps) {
  Family(3);
  for (int32_t k = 2; k >= 0; --k) {
    P->SetCurPic(k + 1);
    ASSERT_TRUE(graf::AddModifPic()(*P, graf::OperCommand(10, 0, k), false, true));
  }
  ASSERT_EQ(P->GraphCount(), 6);
  // added last first: graph 4 is g2 + 20, graph 6 is g0 + 0
  EXPECT_DOUBLE_EQ(P->Graph(4)->AY[1], 3 + 20);
  EXPECT_DOUBLE_EQ(P->Graph(5)->AY[1], 2 + 10);
  EXPECT_DOUBLE_EQ(P->Graph(6)->AY[1], 1 + 0);
  EXPECT_DOUBLE_EQ(P->Graph(4)->AX[5], 5);  // X untouched
  EXPECT_EQ(P->Graph(4)->Name, "20+g2");
  EXPECT_EQ(P->Graph(4)->OYName, "20+I");
  EXPECT_EQ(P->Graph(4)->OXName, "x");
  // with AutoDelOnPicModify the shifted copy replaces the graph
  P->AutoDelOnPicModify = true;
  P->SetCurPic(1);
  ASSERT_TRUE(graf::AddShiftedPic(*P, "-2", true, false));
  EXPECT_EQ(P->GraphCount(), 6);
  EXPECT_DOUBLE_EQ(P->Graph(6)->AX[1], -1);
  EXPECT_EQ(P->Graph(6)->OXName, "-2-x");
  EXPECT_FALSE(graf::AddShiftedPic(*P, "*2", true, false));
}

TEST_F(GrafList, GraphAndWindowEditsAndTheirRefusals) {
  EXPECT_FALSE(graf::EditGraph(nullptr, nullptr, "gxPL_Act", "1"));
  EXPECT_FALSE(graf::EditGraph(P.get(), nullptr, "gxPL_Act", "1"));  // no graph yet
  EXPECT_FALSE(graf::EditWindow(nullptr, 1, "gxWL_Dim", "A"));
  ASSERT_GE(Warns.size(), 3u);
  EXPECT_EQ(Warns[0], "PLOTTER Not Assigned");
  EXPECT_EQ(Warns[1], "PLOTTER.OneG Not Assigned");
  Family(2);
  P->SetCurPic(1);
  EXPECT_TRUE(graf::EditGraph(P.get(), nullptr, "gxPL_Act", "True"));
  EXPECT_TRUE(P->Graph(1)->Act);
  EXPECT_TRUE(graf::EditGraph(P.get(), nullptr, "gxPL_TITLE", "new"));
  EXPECT_EQ(P->Graph(1)->Name, "new");
  EXPECT_TRUE(graf::EditGraph(P.get(), nullptr, "gxPL_kT", "4"));
  EXPECT_EQ(P->Graph(1)->TimeIndex, 4);
  EXPECT_GE(P->ArrPlot()->nt, 4);
  const int32_t w = P->Graph(2)->WinY;
  EXPECT_TRUE(graf::EditWindow(P.get(), w, "gxWL_Dim", "erg"));
  EXPECT_EQ(P->LWorldWin->GetWin(w)->sDim, "erg");
  EXPECT_TRUE(graf::EditWindow(P.get(), w, "gxWL_max", "99.5"));
  EXPECT_DOUBLE_EQ(P->LWorldWin->GetWin(w)->P2, 99.5);
  EXPECT_TRUE(graf::EditGraph(P.get(), nullptr, "gxPL_YUnits", "erg"));
  EXPECT_EQ(P->Graph(1)->WinY, w);
}

TEST_F(GrafList, HistogramOfTheCurrentGraph) {
  double lo = 0, hi = 0;
  EXPECT_FALSE(graf::Histogram(P.get(), 10, 0, 1, false, 'N', lo, hi));
  P->NewGraph(GArr({1, 2, 3}), GArr({1, 2, 3}), 1, 0, "-", "three", "x", "I", "", "");
  EXPECT_FALSE(graf::Histogram(P.get(), 10, 0, 1, false, 'N', lo, hi));  // 3 values are too few
  TARe X{0}, Y{0};
  for (int i = 0; i < 100; ++i) {
    X.push_back(i);
    Y.push_back(i % 10);
  }
  P->NewGraph(X, Y, 1, 0, "-", "saw", "x", "I", "", "");
  ASSERT_TRUE(graf::Histogram(P.get(), 10, 0, 1, false, 'N', lo, hi));
  const TOneGraph& H = *P->Graph(P->GraphCount());
  EXPECT_EQ(H.Name, "Hist(I)");
  EXPECT_EQ(H.OXName, "I_HistVal");
  EXPECT_EQ(H.OYName, "I_HistOrd");
  EXPECT_EQ(H.CurvShowFormat, "-.K");
  EXPECT_EQ(H.N, 10);
  EXPECT_DOUBLE_EQ(lo, 0);
  EXPECT_DOUBLE_EQ(hi, 9);
}

TEST_F(GrafList, ATableOfTheEditorAsACurve) {
  TStringList T;
  for (const char* L : {"text above", "", "Lambda[A] I[cont] V", "6301.0 0.9 0", "6301.1 0.5 1",
                        "6301.2 0.8 2", ""})
    T.Add(L);
  const double M[4] = {10, 10, 10, 10};
  ASSERT_TRUE(graf::PlotTable(*P, T, 3, 6, 1, 2, "-.K", M));
  const TOneGraph& G = *P->Graph(P->GraphCount());
  EXPECT_EQ(G.N, 3);
  EXPECT_EQ(G.OXName, "Lambda");
  EXPECT_EQ(G.OYName, "I");
  EXPECT_EQ(P->LWorldWin->GetWin(G.WinX)->sDim, "A");
  EXPECT_EQ(P->LWorldWin->GetWin(G.WinY)->sDim, "cont");
  EXPECT_DOUBLE_EQ(G.AY[2], 0.5);
  // 10 001 rows: the style's dashes become "_"
  TStringList Big;
  Big.Add("x y");
  for (int i = 0; i <= 10000; ++i) Big.Add(std::to_string(i) + " " + std::to_string(i % 7));
  ASSERT_TRUE(graf::PlotTable(*P, Big, 1, Big.Count(), 1, 2, "-.K", M));
  EXPECT_EQ(P->Graph(P->GraphCount())->N, 10001);
  EXPECT_EQ(P->Graph(P->GraphCount())->CurvShowFormat, "_.K");
}

}  // namespace
