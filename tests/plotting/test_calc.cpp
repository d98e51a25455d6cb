// The calculator over a fake editor: the interpolation and histogram columns written into the
// table, the order of the set-up checks, the autocorrelation (and its refusal for a constant
// column), the statistics display with the covariance matrix's eigenvalues and vectors, "y(x)",
// the clipboard text and the fitted lines drawn only while the picture is shown.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "platform/Clipboard.h"
#include "plotting/cvCalc.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"

namespace {

struct TFakeEd : TCalcEditor {
  TStringList L;
  int32_t Line = 1, Col = 1, NX = 1, Hidden = 0;
  int32_t CurLine() override { return Line; }
  int32_t CurCol() override { return Col; }
  void TabBounds(int32_t At, int32_t& F, int32_t& T) override {
    F = T = At;
    while (F > 1 && WordCount(L[F - 2]) > 0) --F;
    while (T < L.Count() && WordCount(L[T]) > 0) ++T;
  }
  void SetCurLine(int32_t At) override { Line = At; }
  std::unique_ptr<TStringList> Text() override {
    auto T = std::make_unique<TStringList>();
    T->AddStrings(L);
    return T;
  }
  void SetText(const TStringList& T) override {
    L.Clear();
    L.AddStrings(T);
  }
  void InsertAtCurLine(const TStringList& T) override {
    TStringList N;
    for (int i = 0; i < L.Count(); ++i) {
      if (i == Line - 1) N.AddStrings(T);
      N.Add(L[i]);
    }
    L.Clear();
    L.AddStrings(N);
  }
  bool ColStat(TCalcStat& S) override {
    TARe X{0}, Y{0};
    for (int i = 1; i < L.Count(); ++i) {
      if (WordCount(L[i]) < 2) break;
      X.push_back(ValReal(WordN(L[i], NX)));
      Y.push_back(ValReal(WordN(L[i], Col)));
    }
    S = CalcStatOf(X, Y, Col);
    return true;
  }
  void ShowMemo(bool V) override { Hidden += V ? -1 : 1; }
  int32_t PanelNX() override { return NX; }
};

struct Calc : ::testing::Test {
  TFakeEd E;
  TCalc C;
  std::vector<std::string> Warns;
  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    C.Ed = &E;
  }
  void TearDown() override { ResetPlotServices(); }
  void Text(std::initializer_list<const char*> Lines) {
    E.L.Clear();
    for (const char* l : Lines) E.L.Add(l);
  }
  // The editor's caret at (line, word) and a Set button.
  void At(int32_t Line, int32_t Col, const char* Button) {
    E.Line = Line;
    E.Col = Col;
    C.Changed(Button);
  }
};

TEST_F(Calc, InterpolateWritesTheColumnBesideTheDestination) {
  Text({"x y", "0 0", "10 100", "", "v", "5", "2.5"});
  At(2, 1, "btFixBaseYandLine");
  At(2, 1, "btFixBaseXCol");
  At(2, 2, "btFixBase_Y");
  At(5, 1, "btFixOperandLineAndCol");
  C.Changed("btCalcInterpolation");
  EXPECT_TRUE(Warns.empty()) << (Warns.empty() ? "" : Warns[0]);
  EXPECT_EQ(WordN(E.L[4], 2), "v");  // the header kept with the column
  EXPECT_EQ(WordN(E.L[5], 2), "50");
  EXPECT_EQ(WordN(E.L[6], 2), "25");
  EXPECT_EQ(E.Line, 5);  // the editor stays at the destination line
}

TEST_F(Calc, SetUpChecksInOrder) {
  Text({"1 2", "3 4"});
  C.Changed("btCalcInterpolation");  // both base columns 0: the same column first
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Базовые колонки X и Y совпадают!"_cp);
  C.BaseColX = 1;
  C.Changed("btCalcInterpolation");
  EXPECT_EQ(Warns.back(), "Базовая колонка Y не задана!"_cp);
  C.BaseColY = 2;
  C.Changed("btCalcInterpolation");
  EXPECT_EQ(Warns.back(), "Строка для базовой таблицы не задана!"_cp);
  C.BaseLine = 1;
  C.Changed("btCalcInterpolation");
  EXPECT_EQ(Warns.back(), "Колонка в таблице результата не задана!"_cp);
  C.Changed("btHist");
  EXPECT_EQ(Warns.back(), "эта гистограмма должна строится по повторяющимся значениям X\r\nкоторые должны быть отсортированы"_cp);
}

TEST_F(Calc, HistogramBins) {
  Text({"5 1", "12 2", "15 4", "25 8", "", "0", "10", "20", "30", "40"});
  C.BaseColX = 1, C.BaseColY = 2, C.BaseLine = 1;
  C.DstCol = 1, C.DstLine = 6;
  C.Changed("btHist");
  ASSERT_TRUE(Warns.empty()) << Warns[0];
  EXPECT_EQ(E.Hidden, 0);  // hidden while written, shown again
  // edge, mean X, mean Y, count
  const char* Want[][4] = {{"0", "5", "1", "1"},
                           {"10", "13.5", "3", "2"},
                           {"20", "25", "8", "1"},
                           {"30", "35", "0", "0"},  // empty after the last point: mean Y 0
                           {"40", "0", "0", "0"}};
  for (int r = 0; r < 5; ++r)
    for (int w = 0; w < 4; ++w) EXPECT_EQ(WordN(E.L[5 + r], w + 1), Want[r][w]) << r << " " << w;
  // An empty bin between points takes the Y of the next point.
  Text({"5 1", "25 8", "", "0", "10", "20", "30"});
  C.DstLine = 4;
  C.Changed("btHist");
  EXPECT_EQ(WordN(E.L[4], 2), "15");
  EXPECT_EQ(WordN(E.L[4], 3), "8");
  EXPECT_EQ(WordN(E.L[4], 4), "0");
}

TEST_F(Calc, AutoCorrelation) {
  TARe R;
  ASSERT_TRUE(AutoCorr(TARe{0, 1, 2, 3, 4}, 3, R));
  // m = 2.5, s = 1.25; R1 = (-1.5*-0.5 + -0.5*0.5 + 0.5*1.5) / (1.25*3), R2 = (-1.5*0.5 + -0.5*1.5) / 2.5
  EXPECT_DOUBLE_EQ(R[0], 1);
  EXPECT_NEAR(R[1], 1.25 / 3.75, 1e-15);
  EXPECT_NEAR(R[2], -1.5 / 2.5, 1e-15);
  ASSERT_TRUE(AutoCorr(TARe{0, 1, 2}, 5, R));
  EXPECT_EQ(R, TARe(5, 0.0));
  EXPECT_FALSE(AutoCorr(TARe{0, 3, 3, 3}, 3, R));
  EXPECT_FALSE(std::isnan(R[0]));

  Text({"1 7", "2 7", "3 7", "4 7", "", "end"});
  C.BaseColY = 2, C.BaseFirst = 1, C.BaseLast = 4;
  C.Input("edAutoCorrN", "3");
  E.Line = 6;
  C.Changed("btAutoCorr");
  EXPECT_EQ(E.L.Count(), 6);  // nothing inserted for a constant column
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_NE(Warns[0].find("колонки 2"_cp), std::string::npos);
  Text({"1 1", "2 2", "3 3", "4 4", "", "end"});
  C.Changed("btAutoCorr");
  ASSERT_EQ(E.L.Count(), 9);
  EXPECT_EQ(E.L[5], " 0  1");
  EXPECT_EQ(WordN(E.L[7], 1), "2");
  C.Input("edAutoCorrN", "2");
  C.Changed("btAutoCorr");
  EXPECT_EQ(E.L.Count(), 9);
}

TEST_F(Calc, StatisticsEigenAnalysisAndQuadraticTest) {
  TCalcStat S;
  S.N = 4;
  S.Col = 2;
  S.Mean = 1.0 / 3;
  S.Sxx = 2, S.Syy = 2, S.Sxy = 1;  // eigenvalues 3 and 1
  C.ShowStat(7, S);
  EXPECT_EQ(C.Get("edN"), "4");
  EXPECT_EQ(C.Get("edY"), "2");
  EXPECT_EQ(C.Get("edMid"), ShortSt(10, 1.0 / 3));  // 3 more digits
  EXPECT_EQ(C.Get("edDetA"), "3");
  EXPECT_EQ(C.Get("edLam1"), "3");
  EXPECT_EQ(C.Get("edLam2"), "1");
  EXPECT_EQ(C.Get("edVecx11"), "-1");  // Syy / (Sxy - L1)
  EXPECT_EQ(C.Get("edVecx12"), "-1");  // Sxy / (Sxx - L1)
  EXPECT_EQ(C.Get("edVecx21"), "+Inf");
  EXPECT_EQ(C.Get("edVecx22"), "1");
  // A double root: L1 the root, L2 0.
  S.Sxx = 1, S.Syy = 1, S.Sxy = 0;
  C.ShowStat(6, S);
  EXPECT_EQ(C.Get("edLam1"), "1");
  EXPECT_EQ(C.Get("edLam2"), "0");

  C.Input("edA2", "1");
  C.Input("edB2", "0");
  C.Input("edC2", "0");
  C.Input("edTestX", "3");
  C.Changed("btY_x2");
  EXPECT_EQ(C.Get("edTestY"), "9");

  platform::MemoryClipboard Clip;
  platform::ClipboardService* Old = platform::SetClipboardService(&Clip);
  C.Input("edN", "4");
  C.Input("edMid", "1.5-3");
  C.Changed("btStat2ClipBrd");
  EXPECT_EQ(platform::ClipboardText().substr(0, 11), "4\r\n1.5E-3\r\n");
  platform::SetClipboardService(Old);
}

TEST_F(Calc, DoItFromTheEditorAndFittedLines) {
  Text({"x y", "0 1", "1 3", "2 5", "3 7"});
  E.NX = 1;
  E.Col = 2;
  C.Changed("btRegress");
  EXPECT_EQ(C.Get("edN"), "4");
  EXPECT_EQ(C.Get("edA"), "2");
  EXPECT_EQ(C.Get("edB"), "1");
  EXPECT_EQ(C.Get("edRegr"), "1");

  platform::TBitmap Bm(200, 100);
  TGRAF G;
  TFakePlotHost Host;
  TPLOTTER P(&G);
  P.Tools = &Host;
  P.INIG(&Bm.Canvas(), "TFPict", &Host, 0);
  ASSERT_TRUE(P.CheckArrPlot());
  P.NewGraph(TARe{0, 0, 10}, TARe{0, 1, 21}, 1, 0, "-K", "data", "x", "y", "", "");
  C.P = &P;
  bool Shown = false;
  C.PictVisible = [&] { return Shown; };
  C.Changed("btGr2");
  EXPECT_EQ(P.GraphCount(), 1);  // the picture is hidden: nothing drawn
  Shown = true;
  C.Changed("btGr2");
  ASSERT_EQ(P.GraphCount(), 2);
  EXPECT_EQ(P.Graph(2)->AY, (TARe{0, 1, 21}));
  P.SetCurPic(1);
  C.Changed("btGr3");
  EXPECT_EQ(P.Graph(P.GraphCount())->N, 16);
}

}  // namespace
