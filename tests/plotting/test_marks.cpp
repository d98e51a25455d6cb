// Tick steps, dash patterns, wide dashed lines, markers, curves and the axis grid of the device.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <set>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "plotting/cvGRAD.h"

namespace {

using Pix = std::pair<int, int>;

struct Marks : ::testing::Test {
  platform::TBitmap Bm{400, 300};
  TGRAF G;
  std::vector<std::string> Warns;

  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    G.INIGCanvas(&Bm.Canvas(), 0);
    Wipe();
    G.SetGColor(0x000000);
    G.VIPOPO(1, 400, 1, 300);
    G.WINDOW(0, 399, 299, 0);  // world = device pixels
  }
  void Wipe() {
    G.SetBkColor(0xFFFFFF);
    G.ClearG();
  }
  std::set<Pix> Painted() const {
    std::set<Pix> S;
    for (int y = 0; y < Bm.Height(); ++y)
      for (int x = 0; x < Bm.Width(); ++x)
        if (Bm.Pixel(x, y) != 0xFFFFFF) S.insert({x, y});
    return S;
  }
  // Painted pixels shifted so that the given point is the origin.
  std::set<Pix> PaintedAround(int cx, int cy) const {
    std::set<Pix> S;
    for (const auto& [x, y] : Painted()) S.insert({x - cx, y - cy});
    return S;
  }
};

TEST(TickSteps, CalcDeltaAndCalcRange) {
  ResetSayerForTests();
  ResetPlotServices();
  const struct { int n; double x1, x2, Step; int Dec; } D[] = {
      {5, 0, 1, 0.2, 1}, {4, 0, 37, 10, -1}, {3, 0, 0.1, 0.05, 2}, {4, 37, 0, 10, -1},
      {5, -2, -2, 0.005, 3},  // equal bounds: -2 .. -1.98
      {5, 0, 0, 0.2, 1},      // 0, 0: 0 .. 1
  };
  for (const auto& C : D) {
    double S = 0;
    int32_t Dec = 0;
    CalcDelta(C.n, C.x1, C.x2, S, Dec);
    EXPECT_NEAR(S, C.Step, 1e-12 * C.Step) << C.n << " " << C.x1 << " " << C.x2;
    EXPECT_EQ(Dec, C.Dec) << C.n << " " << C.x1 << " " << C.x2;
  }
  double Lo, Hi;
  int32_t N;
  CalcRange(0.5, 0.26, 2.1, Lo, Hi, N);
  EXPECT_DOUBLE_EQ(Lo, 0.5);
  EXPECT_DOUBLE_EQ(Hi, 2.0);
  EXPECT_EQ(N, 4);
  CalcRange(0.5, 2.1, 0.26, Lo, Hi, N);
  EXPECT_EQ(N, 4);
}

TEST(TickSteps, UnusableRangesAndStepsEndWithAWarning) {
  ResetSayerForTests();
  ResetPlotServices();
  std::vector<std::string> W;
  Plotting().Warn = [&](const std::string& T) { W.push_back(T); };
  double S = 7;
  int32_t Dec = 0;
  CalcDelta(0, 0, 1, S, Dec);
  ASSERT_EQ(W.size(), 1u);
  EXPECT_EQ(W[0].rfind("cvGRAD.CalcDelta-ERR в параметрах вызова!\r\nN=0!!!->3, X1=0"_cp, 0), 0u);
  EXPECT_NEAR(S, 0.5, 1e-12);
  for (double Bad : {double(INFINITY), double(NAN)}) {
    W.clear();
    CalcDelta(3, 0, Bad, S, Dec);
    EXPECT_EQ(S, 0);
    EXPECT_EQ(W.size(), 1u);
  }
  W.clear();
  CalcDelta(3, 0, 1e-310, S, Dec);  // a subnormal range: no endless loop
  double Lo, Hi;
  int32_t N = 9;
  for (double Step : {0.0, double(NAN), double(INFINITY)}) {
    CalcRange(Step, 0, 1, Lo, Hi, N);
    EXPECT_EQ(N, 0) << Step;
  }
  CalcRange(1e-12, 0, 1e6, Lo, Hi, N);  // billions of ticks are refused
  EXPECT_EQ(N, 0);
}

TEST(Dashes, PatternTextsAndStyles) {
  ResetSayerForTests();
  ResetPlotServices();
  std::vector<std::string> W;
  Plotting().Warn = [&](const std::string& T) { W.push_back(T); };
  DashLine D;
  D.SetWidth(0);
  D.SetSolid();
  const struct { const char* Text; bool Valid; int Gap, Bar, Dot, Count, Sum; } C[] = {
      {"(3 6)", true, 3, 6, 0, 0, 9},
      // dots of 1, gaps of 2: the draw's period is 3; the record's own sum counts the gap twice
      {"(2 0 1)", true, 2, 0, 1, 1, 5},
      {"x (5 5 1 2) y", true, 5, 5, 1, 2, 22},
  };
  for (const auto& c : C) {
    D.Init(c.Text);
    EXPECT_EQ(D.Valid, c.Valid) << c.Text;
    EXPECT_EQ(D.Gap, c.Gap) << c.Text;
    EXPECT_EQ(D.Bar, c.Bar) << c.Text;
    EXPECT_EQ(D.Dot, c.Dot) << c.Text;
    EXPECT_EQ(D.Count, c.Count) << c.Text;
    EXPECT_EQ(D.Sum, c.Sum) << c.Text;
    EXPECT_EQ(D.Case, '~');
  }
  D.Init("(4)");
  EXPECT_FALSE(D.Valid);
  EXPECT_EQ(W.back(), "DashLine.Init в конструкции (4) должно быть как минимум два слова!"_cp);
  EXPECT_EQ(D.Gap, 5);  // the previous numbers stay
  D.Init("(a 4)");
  EXPECT_FALSE(D.Valid);
  EXPECT_EQ(W.back(), "DashLine.Init в слове <a> в строке (a 4)не число!"_cp);
  D.Init("()");
  EXPECT_TRUE(D.Valid);
  const struct { char Ch; int Gap, Bar, Dot, Count; } S[] = {
      {'-', 0, 1, 0, 0}, {'_', 1, 0, 0, 0}, {':', 3, 0, 1, 1}, {';', 6, 6, 1, 1}, {'=', 5, 5, 0, 0}};
  for (const auto& s : S) {
    D.SetStyle(s.Ch);
    EXPECT_EQ(D.Case, s.Ch);
    EXPECT_EQ(D.Gap, s.Gap) << s.Ch;
    EXPECT_EQ(D.Bar, s.Bar) << s.Ch;
    EXPECT_EQ(D.Dot, s.Dot) << s.Ch;
    EXPECT_EQ(D.Count, s.Count) << s.Ch;
  }
  D.SetStyle('?');
  EXPECT_EQ(D.Case, '?');
  EXPECT_EQ(D.Gap, 5);
}

TEST_F(Marks, DottedWidthTwoStaysEvenAcrossVertices) {
  G.Dash.SetWidth(2);
  G.Dash.SetStyle(':');
  G.SetMarkerCh('.');
  // A horizontal polyline with vertices off the period: dots every 8 pixels, 2 pixels long.
  TARe AX{0, 10, 23, 47, 90}, AY{0, 100, 100, 100, 100};
  G.CURV(&AX, &AY, 0);
  std::set<int> Cols;
  for (const auto& [x, y] : Painted()) Cols.insert(x);
  // Starts of runs of painted columns.
  std::vector<int> Starts;
  for (int x : Cols)
    if (!Cols.count(x - 1)) Starts.push_back(x);
  // Dots start every 8 pixels from the first point, through the vertices at 23 and 47.
  ASSERT_EQ(Starts.size(), 10u);
  for (size_t i = 0; i < Starts.size(); ++i) {
    EXPECT_EQ(Starts[i], 10 + 8 * int(i)) << i;
    EXPECT_FALSE(Cols.count(Starts[i] + 3)) << i;  // a dot of 2 pixels (its outline included)
  }
}

TEST_F(Marks, NoLineStyleDrawsMarkersOnly) {
  G.Dash.SetNone();
  G.SetMarkerCh('+');
  G.SetMarkerSize(1);
  TARe AX{0, 50, 150}, AY{0, 100, 100};
  G.CURV(&AX, &AY, 0);
  for (const auto& [x, y] : Painted()) EXPECT_TRUE(std::abs(x - 50) < 10 || std::abs(x - 150) < 10);
  EXPECT_FALSE(Painted().empty());
  // One point: the marker (kinds 0, 1) or nothing visible (kind 2).
  Wipe();
  G.Dash.SetSolid();
  TARe OX{0, 60}, OY{0, 60};
  G.CURV(&OX, &OY, 2);
  EXPECT_TRUE(Painted().empty());
  G.CURV(&OX, &OY, 0);
  EXPECT_FALSE(Painted().empty());
  TARe Short{0};
  EXPECT_THROW(G.CURV(&AX, &Short, 0), std::exception);
  EXPECT_THROW(G.CURV(nullptr, &AY, 0), std::exception);
}

TEST_F(Marks, MarkerShapesAreTheSameWhateverTheWorldWindow) {
  const char Shapes[] = ".o+|xd^3vV><ph*#s/\\";
  for (double Size : {1.0, 2.0}) {
    for (const char* C = Shapes; *C; ++C) {
      G.SetMarkerCh(*C);
      G.SetMarkerSize(Size);
      std::set<Pix> First;
      // Windows whose factors are exact, the marker's centre on pixel (200, 150) in each.
      const struct { double x1, x2, y1, y2, x, y; } Win[] = {{0, 399, 299, 0, 200, 150},
                                                             {0, 1596, 306176, 0, 800, 153600},
                                                             {399, 0, 0, 299, 199, 149}};
      for (const auto& W : Win) {
        Wipe();
        G.WINDOW(W.x1, W.x2, W.y1, W.y2);
        G.DrawMarker(W.x, W.y);
        const TPoint P = G.GetTP();
        std::set<Pix> S = PaintedAround(P.X, P.Y);
        if (&W == Win) First = S;
        else EXPECT_EQ(S, First) << *C << " " << Size;
      }
      EXPECT_FALSE(First.empty()) << *C;
    }
  }
  // '^' points up and 'v' down on the page.
  G.WINDOW(0, 399, 299, 0);
  G.SetMarkerSize(2);
  for (char C : {'^', 'v'}) {
    Wipe();
    G.SetMarkerCh(C);
    G.DrawMarker(200, 150);
    const auto S = Painted();
    int Top = 1 << 20, Bottom = -1;
    for (const auto& p : S) Top = std::min(Top, p.second), Bottom = std::max(Bottom, p.second);
    // The apex row holds a single pixel (or two), the base row many.
    int TopN = 0, BottomN = 0;
    for (const auto& p : S) TopN += p.second == Top, BottomN += p.second == Bottom;
    if (C == '^') EXPECT_LT(TopN, BottomN);
    else EXPECT_GT(TopN, BottomN);
  }
}

TEST_F(Marks, FarPointsAndBadStepsFinishQuickly) {
  G.Dash.SetWidth(1);
  G.Dash.SetStyle('=');
  G.MOVEW(10, 10);
  const auto T0 = std::chrono::steady_clock::now();
  G.DashDrawW(1e12, 10);
  EXPECT_LT(std::chrono::steady_clock::now() - T0, std::chrono::seconds(1));
  EXPECT_FALSE(Painted().empty());
  EXPECT_EQ(Bm.Pixel(10, 10), 0u);   // the first bar starts at the start
  EXPECT_EQ(Bm.Pixel(17, 10), 0xFFFFFFu);  // then a gap of 5 (bars of 5)
  // The cut keeps the phase: a short segment continues where the clipped one ended.
  const double Phase = G.LinkPhase;
  EXPECT_GE(Phase, 0);
  EXPECT_LT(Phase, 1);
  Warns.clear();
  for (double Step : {0.0, -1.0, double(NAN), 1e-9}) {
    G.PointGrid(0, 100, Step, 0, 10, 1);
    G.MarkerGrid('+', 0, 100, Step, 0, 10, 1, 1);
    G.MarkerRow('+', 1, 50, Step, 0, 100);
    G.MarkerColumn('+', 1, 50, Step, 0, 100);
  }
  EXPECT_EQ(Warns.size(), 16u);
  EXPECT_NE(Warns[0].find("GRAF.PointGrid"), std::string::npos);
}

TEST_F(Marks, DashPhaseIsTheSameWithAndWithoutTheCut) {
  // The same line drawn whole (inside the surface) and as a part running far outside must
  // leave the same dashes on the shared visible part.
  G.Dash.SetWidth(1);
  G.Dash.SetStyle(';');
  G.LinkPhase = 0.3;
  G.MOVEW(-2000, 50);
  G.DashDrawW(300, 50);
  const auto A = Painted();
  Wipe();
  G.LinkPhase = 0;
  // Reference: walk the whole segment period by period on a surface wide enough.
  platform::TBitmap Wide(2400, 300);
  TGRAF R;
  R.INIGCanvas(&Wide.Canvas(), 0);
  R.SetBkColor(0xFFFFFF);
  R.ClearG();
  R.SetGColor(0);
  R.VIPOPO(1, 2400, 1, 300);
  R.WINDOW(-2000, 399, 299, 0);
  R.Dash = G.Dash;
  R.LinkPhase = 0.3;
  R.MOVEW(-2000, 50);
  R.DashDrawW(300, 50);
  std::set<Pix> B;
  for (int x = 2000; x < 2400; ++x)
    for (int y = 0; y < 300; ++y)
      if (Wide.Pixel(x, y) != 0xFFFFFF) B.insert({x - 2000, y});
  EXPECT_EQ(A, B);
}

TEST_F(Marks, AxisGridDrawsAxesTicksAndLabels) {
  TGRIDER& Gr = G.EnsureGrider();
  EXPECT_EQ(Gr.MarkCh, '.');
  EXPECT_EQ(Gr.NX, 2);
  G.VIPOPO(51, 350, 51, 250);
  G.WINDOW(0, 10, 0, 5);
  Gr.SetOX(5, 'D', 0, 10, 0, 1);
  Gr.SetOY(5, 'L', 0, 5, 0, 1);
  EXPECT_DOUBLE_EQ(Gr.DX, 2);
  EXPECT_EQ(Gr.NX, 6);
  EXPECT_EQ(Gr.XLabSide, 'D');
  Gr.SetGrid('.', 8, 0, 10, 2, 0, 5, 1, 1);
  Gr.Draw();
  EXPECT_FALSE(Gr.OXOn || Gr.OYOn || Gr.XLabOn || Gr.YLabOn || Gr.GridOn);
  // The X axis line at world y 0 (row 249), the Y axis at world x 0 (column 50).
  EXPECT_EQ(Bm.Pixel(200, 249), 0xAFAFAFu);
  EXPECT_EQ(Bm.Pixel(50, 150), 0xAFAFAFu);
  // Labels below the X axis and left of the Y axis.
  bool Below = false, Left = false;
  for (const auto& [x, y] : Painted()) {
    Below |= y > 255;
    Left |= x < 45;
  }
  EXPECT_TRUE(Below);
  EXPECT_TRUE(Left);
  Gr.SetOXLabels(0, 'n', 0);
  EXPECT_FALSE(Gr.OXOn);
  EXPECT_FALSE(Gr.XLabOn);
  Gr.SetOYLabels(0, '?', 0);
  EXPECT_EQ(Gr.YLabSide, 'R');
}

}  // namespace
