// The plotter on an in-memory page with a recording host: adding and replacing graphs, world
// windows, plot areas, deleting and clearing, and the replay checked on the bitmap.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"

namespace {

TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

struct Plotter : ::testing::Test {
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
  }
  void Add(const TARe& X, const TARe& Y, const std::string& Fmt, const std::string& Title,
           const std::string& DimX = "", const std::string& DimY = "", int32_t Tile = 1) {
    ASSERT_TRUE(P->CheckArrPlot());
    P->NewGraph(X, Y, Tile, 0, Fmt, Title, "x", "y", DimX, DimY);
  }
  const TWorldWin& WinY(int32_t n) { return *P->LWorldWin->GetWin(P->Graph(n)->WinY); }
};

TEST_F(Plotter, BindingAndTheBaseArea) {
  EXPECT_EQ(P->Ready, TPLOTTER::ReadyMark);
  EXPECT_TRUE(Host.PlotterOn);
  EXPECT_TRUE(Host.BlinkOn);
  EXPECT_EQ(P->GraId, G.GetIdRun());
  EXPECT_TRUE(P->CheckArrPlot());
  ASSERT_EQ(P->LPlot->size(), 1u);
  EXPECT_EQ((*P->LPlot)[0]->sChain, "0");
  // Another owner is refused, word for word.
  G.SetOwner("TForm1");
  EXPECT_FALSE(P->CheckArrPlot());
  G.SetOwner("");
  EXPECT_FALSE(P->CheckArrPlot());
  ASSERT_EQ(Warns.size(), 2u);
  EXPECT_EQ(Warns[0], "PLOTTER.CheckArrPlot Gra.Owner.ClassName = <TForm1>, Must Be <TFPict>!");
  EXPECT_EQ(Warns[1], "PLOTTER.CheckArrPlot Gra.Owner Not Assigned!");
}

TEST_F(Plotter, ExtentsArePaddedAndPointCountsChecked) {
  Add(Arr({1, 2, 3}), Arr({5, 5, 5}), "-", "five");
  EXPECT_DOUBLE_EQ(WinY(1).P1, 4.95);
  EXPECT_DOUBLE_EQ(WinY(1).P2, 5.05);
  Add(Arr({1, 2}), Arr({0, 0}), "-", "zero", "", "other");
  EXPECT_DOUBLE_EQ(WinY(2).P1, -0.01);
  EXPECT_DOUBLE_EQ(WinY(2).P2, 0.01);
  Add(Arr({7}), Arr({8}), "-", "one");  // one point is a graph
  EXPECT_EQ(P->GraphCount(), 3);
  EXPECT_EQ(P->Graph(3)->N, 1);
  Warns.clear();
  P->NewGraph(TARe{0}, TARe{0}, 1, 0, "-", "none", "", "", "", "");
  P->NewGraph(TARe{}, TARe{}, 1, 0, "-", "empty", "", "", "", "");
  EXPECT_EQ(P->GraphCount(), 3);
  ASSERT_EQ(Warns.size(), 2u);
  EXPECT_EQ(Warns[0], "PLOTTER.AddGraph-ERR: число точек графика <none> = 1"_cp);
  EXPECT_EQ(Warns[1], "PLOTTER.AddGraph-ERR: число точек графика <empty> = 0"_cp);
  // Titles from the axis names, "<Y>" titles, the default title.
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "", "lg tau", "T", "", "");
  EXPECT_EQ(P->Graph(4)->Name, "T(lg tau)");
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "<Y>mean", "", "", "", "");
  EXPECT_TRUE(P->Graph(5)->YTitle);
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "", "", "", "", "");
  EXPECT_EQ(P->Graph(6)->Name, "График"_cp);
  EXPECT_EQ(P->k, 6);
  EXPECT_EQ(Host.Refreshes, 6);
}

TEST_F(Plotter, UnequalLengthsRaiseAndChangeNothing) {
  Add(Arr({1, 2}), Arr({1, 2}), "-", "a");
  try {
    P->NewGraph(Arr({1, 2, 3}), Arr({1, 2}), 1, 0, "-", "b", "", "", "", "");
    FAIL();
  } catch (const EInOutError& E) {
    EXPECT_EQ(std::string(E.what()), "ErrAbs: OneGraph.Curv length(AX)=4 <> length(AY)=3 !\r\n");
  }
  EXPECT_THROW(P->UpDateGraphByTitle(Arr({1, 2, 3}), Arr({1}), 1, 0, "-", "a", "", "", "", ""),
               EInOutError);
  EXPECT_EQ(P->GraphCount(), 1);
  EXPECT_EQ(P->Graph(1)->N, 2);
}

TEST_F(Plotter, WindowsAreSharedByUnitsAndAfterRestoreSaved) {
  Add(Arr({0, 10}), Arr({0, 1}), "-", "a", "nm", "K");
  Add(Arr({0, 10}), Arr({0, 1.1}), "-", "b", "nm", "K");
  EXPECT_EQ(P->Graph(2)->WinX, P->Graph(1)->WinX);
  EXPECT_EQ(P->Graph(2)->WinY, P->Graph(1)->WinY);
  EXPECT_DOUBLE_EQ(WinY(2).P2, 1);  // a window in use keeps its range
  // Other units: new windows, claimed with the units and axis names.
  Add(Arr({0, 10}), Arr({0, 1}), "-", "c", "nm", "Pa");
  EXPECT_EQ(P->Graph(3)->WinX, P->Graph(1)->WinX);
  EXPECT_NE(P->Graph(3)->WinY, P->Graph(1)->WinY);
  EXPECT_EQ(WinY(3).sDim, "Pa");
  EXPECT_EQ(WinY(3).sOX, "y");
  EXPECT_EQ(WinY(3).Kind, 'Y');
  // Far apart: no sharing, unless the last windows are restored.
  Add(Arr({500, 600}), Arr({50, 60}), "-", "d");
  EXPECT_NE(P->Graph(4)->WinX, P->Graph(1)->WinX);
  P->RestoreSaved();
  Add(Arr({900, 1000}), Arr({-50, -60}), "-", "e");
  EXPECT_EQ(P->Graph(5)->WinX, P->Graph(4)->WinX);
  EXPECT_EQ(P->Graph(5)->WinY, P->Graph(4)->WinY);
  EXPECT_EQ(P->NextWWX, 0);
  P->CountWWUse();
  EXPECT_EQ(P->LWorldWin->GetWin(P->Graph(1)->WinX)->NUse, 3);
}

TEST_F(Plotter, UpdateByTitleKeepsPlaceWindowsStyleNamesAndActivePoint) {
  Add(Arr({1, 2}), Arr({1, 2}), "oR 1 2", "first", "nm", "K");
  Add(Arr({1, 2, 3}), Arr({3, 2, 1}), "-.B", "second", "nm", "Pa", 2);
  Add(Arr({1, 2}), Arr({1, 2}), "-.G", "third");
  TOneGraph& S = *P->Graph(2);
  S.IAUsed = true;
  S.IA = 2;
  S.IBUsed = true;
  S.IB = 3;
  S.OXName = "lam";
  const int32_t wx = S.WinX, wy = S.WinY;
  P->SetCurPic(2);
  Warns.clear();
  P->UpDateGraphByTitle(Arr({1, 2, 3, 4}), Arr({9, 8, 7, 6}), 1, 0, "xK", "second", "u", "v",
                        "", "K");
  ASSERT_EQ(P->GraphCount(), 3);
  const TOneGraph& N = *P->Graph(2);
  EXPECT_EQ(N.Name, "second");
  EXPECT_EQ(N.N, 4);
  EXPECT_EQ(N.WinX, wx);
  EXPECT_EQ(N.WinY, wy);
  EXPECT_EQ(N.CurvShowFormat, "-.B");
  EXPECT_EQ(N.nXnY_Index, 2);
  EXPECT_EQ(N.OXName, "lam");
  EXPECT_EQ(N.OYName, "y");
  EXPECT_TRUE(N.IAUsed);
  EXPECT_EQ(N.IA, 2);
  EXPECT_EQ(N.IB, 3);
  EXPECT_EQ(P->Graph(3)->Name, "third");
  EXPECT_EQ(P->k, 2);
  EXPECT_EQ(Host.Caption, "second 4");  // shown in the tool
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "UpDateGraph Err размерность Y старая=Pa новая=K"_cp);
  // A new title appends.
  P->UpDateGraphByTitle(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "fourth", "", "", "", "");
  EXPECT_EQ(P->GraphCount(), 4);
  EXPECT_EQ(P->Graph(4)->Name, "fourth");
}

TEST_F(Plotter, UpdateThatCannotAddLeavesTheListAsItWas) {
  Add(Arr({1, 2}), Arr({1, 2}), "-R", "a");
  Add(Arr({1, 2}), Arr({1, 2}), "-G", "b");
  P->Graph(1)->IAUsed = true;
  P->Graph(1)->IA = 1;
  // No point.
  Warns.clear();
  P->UpDateGraphByTitle(TARe{0}, TARe{0}, 1, 0, "-", "a", "", "", "", "");
  ASSERT_EQ(P->GraphCount(), 2);
  EXPECT_EQ(P->Graph(1)->Name, "a");
  EXPECT_EQ(P->Graph(1)->N, 2);
  EXPECT_EQ(P->Graph(2)->Name, "b");
  EXPECT_FALSE(P->Graph(2)->IAUsed);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "PLOTTER.UpDateGraph: график <a> не добавлен, список графиков не изменён!"_cp);
  // No base area can be made.
  P->LPlot->clear();
  Host.MarginsOk = false;
  P->UpDateGraphByTitle(Arr({1, 2, 3}), Arr({1, 2, 3}), 1, 0, "-", "a", "", "", "", "");
  ASSERT_EQ(P->GraphCount(), 2);
  EXPECT_EQ(P->Graph(1)->N, 2);
}

TEST_F(Plotter, DeletingAndSelecting) {
  Add(Arr({1, 2}), Arr({1, 2}), "-", "a");
  Add(Arr({1, 2}), Arr({5, 6}), "-", "b", "", "far");
  Add(Arr({1, 2}), Arr({1, 2}), "-", "c");
  const int32_t wb = P->Graph(2)->WinY;
  P->SetCurPic(3);
  P->DelPic(2);  // the selection follows its graph
  EXPECT_EQ(P->k, 2);
  EXPECT_EQ(P->CurPict()->Name, "c");
  EXPECT_EQ(P->LWorldWin->GetWin(wb)->Kind, 0);  // its window is free again
  EXPECT_EQ(P->DelPicByTitle("c"), 2);
  EXPECT_EQ(P->DelPicByTitle("zz"), 0);
  P->SetCurPic(1);
  P->DelCurPic();
  EXPECT_EQ(P->k, 0);
  EXPECT_FALSE(P->ChkCurPic());
  EXPECT_EQ(P->CurPict(), nullptr);
  // SetCurPic(0) and a count above the list.
  Add(Arr({1, 2}), Arr({1, 2}), "-", "d");
  Add(Arr({1, 2}), Arr({1, 2}), "-", "e");
  P->SetCurPic(0);
  EXPECT_EQ(P->CurPict(), nullptr);
  EXPECT_FALSE(P->ChkCurPic());
  P->PlayOnce();  // a replay with no current graph draws all and selects none
  EXPECT_EQ(P->NDrawn, 2);
  EXPECT_EQ(P->CurPict(), nullptr);
  EXPECT_EQ(P->TileCountOf(*P->Graph(1)), 1);
  P->SetCurPic(7);
  EXPECT_EQ(P->k, 1);
  P->k = 5;
  EXPECT_FALSE(P->ChkCurPic());
  EXPECT_EQ(P->k, 1);
  P->ShowOnlyCurPic();
  EXPECT_TRUE(P->Graph(1)->QViz);
  EXPECT_FALSE(P->Graph(2)->QViz);
}

TEST_F(Plotter, ClearAllKeepsOrDropsTheBinding) {
  Add(Arr({1, 2}), Arr({1, 2}), "-", "a");
  P->ClearAll();
  EXPECT_EQ(P->GraphCount(), 0);
  EXPECT_EQ(P->Ready, TPLOTTER::ReadyMark);
  EXPECT_EQ(Host.Caption, "CV Picture");
  EXPECT_FALSE(Host.PlotterOn);
  EXPECT_FALSE(Host.Hidden);
  EXPECT_TRUE(P->LPlot->empty());
  EXPECT_EQ(P->ArrPlot(), nullptr);
  P->ClearAll();  // now empty: hidden and unbound
  EXPECT_TRUE(Host.Hidden);
  EXPECT_FALSE(Host.BlinkOn);
  EXPECT_EQ(P->Ready, 0);
  EXPECT_EQ(P->Gra, nullptr);
}

TEST_F(Plotter, PlayOnceIsSkippedInsideAReplayAndAlwaysEnds) {
  Add(Arr({1, 2}), Arr({1, 2}), "-", "a");
  int Nested = 0;
  Host.OnPhase = [&] {
    ++Nested;
    P->PlayOnce();  // a timer inside the replay
  };
  P->PlayOnce();
  EXPECT_EQ(Nested, 1);
  EXPECT_EQ(Host.Changed, 1);
  EXPECT_FALSE(P->Playing);
  // A replay that raises leaves the plotter free to replay and to start again.
  Host.OnPhase = [] { ErrAbs("boom"); };
  EXPECT_THROW(P->PlayOnce(), EInOutError);
  EXPECT_FALSE(P->Playing);
  Host.OnPhase = nullptr;
  P->PlayOnce();
  EXPECT_EQ(Host.Changed, 2);
  Warns.clear();
  P->Init(&G);
  EXPECT_TRUE(Warns.empty());
}

TEST_F(Plotter, FulcrumAtTheLastPointIsDrawnAndBeyondIsCleared) {
  Add(Arr({0, 2, 1}), Arr({0, 2, 1}), "-", "a");
  TOneGraph& A = *P->Graph(1);
  // Painted pixels around the last point (the page's centre) with and without the fulcrum.
  auto Around = [&] {
    int n = 0;
    for (int y = 290; y <= 310; ++y)
      for (int x = 390; x <= 410; ++x) n += Bm.Pixel(x, y) != 0xFFFFFF;
    return n;
  };
  P->PlayOnce();
  const int Plain = Around();
  A.IBUsed = true;
  A.IB = 3;
  Warns.clear();
  A.ToPicTool(Host, Host, *P->LWorldWin);  // N itself is a valid index
  EXPECT_TRUE(Warns.empty());
  EXPECT_EQ(Host.Tab["edOneG_I"], "3");
  EXPECT_EQ(Host.Tab["edOneG_IX"], "1");
  P->PlayOnce();
  EXPECT_EQ(A.IB, 3);
  EXPECT_GT(Around(), Plain + 4);  // the '+' of phase 1 stands out of the diagonal
  A.IB = 4;
  P->PlayOnce();
  EXPECT_EQ(A.IB, 0);
  EXPECT_EQ(Around(), Plain);
  // The tool lowers an index above N to N, with the message.
  A.IAUsed = true;
  A.IA = 5;
  A.ToPicTool(Host, Host, *P->LWorldWin);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Номер активной точки KA=5 больше N=3!"_cp);
  EXPECT_EQ(A.IA, 3);
}

TEST_F(Plotter, RowsStylesStepsAndSwaps) {
  Add(Arr({0, 799}), Arr({0, 599}), "-oR 1.5 2", "a", "px", "row");
  Add(Arr({0, 799}), Arr({10, 20}), "-.G", "b", "px", "other");
  const TOneGraph& A = *P->Graph(1);
  A.ToGrid(Host, *P->LWorldWin, 1);
  EXPECT_EQ(Host.Row["gxPL_TITLE"], "a");
  EXPECT_EQ(Host.Row["gxPL_XUnits"], "px");
  EXPECT_EQ(Host.Row["gxPL_YUnits"], "row");
  EXPECT_EQ(Host.Row["gxPL_sFmt"], "-oR 1.5 2");
  A.StyleToTool(Host);
  EXPECT_EQ(Host.Style["cbMark"], "o");
  EXPECT_EQ(Host.Style["cbForeColor"], "R");
  EXPECT_EQ(Host.Style["edLineSize"], "2");
  P->LWorldWin->GetWin(A.WinY)->ToGrid(Host, 2);
  EXPECT_EQ(Host.WinRow["gxWL_kxy"], "Y");
  EXPECT_EQ(Host.WinRow["gxWL_max"], "599");
  // One tile over the 800 x 600 page: one world unit per pixel, Y upward.
  double kx, ky;
  A.StepToWW(G, P->ArrPlot(), *P->LWorldWin, kx, ky);
  EXPECT_DOUBLE_EQ(kx, 1);
  EXPECT_DOUBLE_EQ(ky, -1);
  // Swapping a graph whose X window is shared copies that window first.
  TOneGraph& B = *P->Graph(2);
  const int32_t wx = B.WinX, wy = B.WinY;
  ASSERT_EQ(wx, A.WinX);
  B.SwapXY(*P->LWorldWin, CountGraphsOnWin(*P->LGraph, wx), CountGraphsOnWin(*P->LGraph, wy));
  EXPECT_EQ(B.WinX, wy);
  EXPECT_NE(B.WinY, wx);
  EXPECT_EQ(P->LWorldWin->GetWin(B.WinY)->Kind, 'Y');
  EXPECT_EQ(P->LWorldWin->GetWin(B.WinX)->Kind, 'X');
  EXPECT_EQ(P->LWorldWin->GetWin(wx)->Kind, 'X');  // the shared one is untouched
  EXPECT_EQ(B.AX[1], 10);
  EXPECT_EQ(B.OXName, "y");
}

TEST_F(Plotter, FramesShowTheirGraphs) {
  ASSERT_TRUE(P->CheckArrPlot());
  P->MultReset();
  for (int f = 1; f <= 3; ++f) {
    P->MultNext();
    P->NewGraph(Arr({1, 2}), Arr({double(f), f + 1.0}), 1, P->kT, "-", "f" + std::to_string(f), "", "",
                "", "");
  }
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "always", "", "", "", "");
  EXPECT_EQ(P->ArrPlot()->nt, 3);
  P->kT = 2;
  P->ShowFrameGraphs();
  EXPECT_FALSE(P->Graph(1)->QViz);
  EXPECT_TRUE(P->Graph(2)->QViz);
  EXPECT_FALSE(P->Graph(3)->QViz);
  EXPECT_TRUE(P->Graph(4)->QViz);
  P->PlayOnce();
  EXPECT_EQ(P->NDrawn, 2);
}

TEST_F(Plotter, NestedAreasAndTheFindFallBack) {
  ASSERT_TRUE(P->AddArrPlot("0", 1, 1, 2, 1, 0, 0, 0, 0, 100, 100, 100));
  TArrPlot* Low = P->AddArrPlot("0 1", 1, 2, 1, 1, 0, 0, 0, 0, 100, 100, 100);
  ASSERT_TRUE(Low);
  EXPECT_EQ(Low->ParentChain, "0");
  EXPECT_DOUBLE_EQ(Low->VRect.Y2, 0.5);
  TArrPlot* Up = P->AddArrPlot("  0   2 ", 2, 1, 1, 1, 0, 0, 0, 0, 100, 100, 100);
  EXPECT_EQ(Up->sChain, "0   2");  // the identifier as given, trimmed
  EXPECT_EQ(P->ArrPlot(), Up);
  Warns.clear();
  TArrPlot* Lone = P->AddArrPlot("7", 1, 1, 1, 1, 0, 0, 0, 0, 100, 100, 100);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "PLOTTER.FindArrPlot Область вывода с ID=<7> не найдена. Список областей "
                      "вывода:\n\r<0 / 0 1 / 0   2 / >"_cp);
  EXPECT_EQ(Lone->ParentChain, "0   2");  // the current area served as parent
  EXPECT_EQ(P->FindArrPlot("0 1"), Low);
  // Graphs go into the area kLayOut names.
  P->kLayOut = 2;
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 2, 0, "-", "g", "", "", "", "");
  EXPECT_EQ(P->Graph(1)->Chain, "0 1");
  // Overflowing counts are refused and change nothing.
  EXPECT_EQ(P->AddArrPlot("0", 1, 100000, 100000, 1, 0, 0, 0, 0, 100, 100, 100), nullptr);
  EXPECT_EQ(P->LPlot->size(), 4u);
}

TEST_F(Plotter, PlayMessagesWordForWord) {
  P->Play();
  P->LGraph = std::make_unique<TLGraph>();
  P->Play();
  ASSERT_EQ(Warns.size(), 2u);
  EXPECT_EQ(Warns[0], "PLOTTER.Play Ни один график не описан (LGraph Not Assigned)!"_cp);
  EXPECT_EQ(Warns[1], "PLOTTER.Play Ни один график не описан (LGraph.Count = 0)!"_cp);
  Warns.clear();
  P->LPlot->clear();
  P->SetArrPlot(nullptr);
  P->NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "g", "", "", "", "");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "PLOTTER.AddGraph Текущая область вывода не задана! (ArrPlot not Assigned)"_cp);
}

// ---- the replay on the bitmap ----

struct Replay : Plotter {
  // Pixels of colour C farther than Tol from the mapped polyline of graph n, and points along
  // the polyline with no pixel of colour C within Tol.
  void Check(int32_t n, uint32_t C, int& Stray, int& Missing, double Tol = 1.5) {
    const TOneGraph& Gr = *P->Graph(n);
    const TArrPlot* A = P->ArrPlotByID(Gr.Chain);
    G.VIPO10Rect(A->TileRect(Gr.nXnY_Index));
    const TRangeRe X = Gr.XRange(*P->LWorldWin), Y = Gr.YRange(*P->LWorldWin);
    G.WINDOW(X.Lo, X.Hi, Y.Lo, Y.Hi);
    std::vector<TPointRe> Path;
    for (int32_t i = 1; i <= Gr.N; ++i) Path.push_back(G.WToPixR(Gr.AX[i], Gr.AY[i]));
    auto Dist = [&](double x, double y) {
      double Best = 1e9;
      for (size_t i = 0; i + 1 < Path.size(); ++i) {
        const double ax = Path[i].X, ay = Path[i].Y, bx = Path[i + 1].X, by = Path[i + 1].Y;
        const double L2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
        double t = L2 > 0 ? ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / L2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        Best = std::min(Best, std::hypot(x - ax - t * (bx - ax), y - ay - t * (by - ay)));
      }
      return Best;
    };
    Stray = Missing = 0;
    for (int y = 0; y < Bm.Height(); ++y)
      for (int x = 0; x < Bm.Width(); ++x)
        if (Bm.Pixel(x, y) == C && Dist(x, y) > Tol) ++Stray;
    for (size_t i = 0; i + 1 < Path.size(); ++i)
      for (double t = 0; t <= 1; t += 0.05) {
        const double x = Path[i].X + t * (Path[i + 1].X - Path[i].X);
        const double y = Path[i].Y + t * (Path[i + 1].Y - Path[i].Y);
        bool Found = false;
        for (int dy = -1; dy <= 1 && !Found; ++dy)
          for (int dx = -1; dx <= 1 && !Found; ++dx)
            Found = Bm.Pixel(int(std::lround(x)) + dx, int(std::lround(y)) + dy) == C;
        Missing += !Found;
      }
  }
  int Count(uint32_t C) {
    int n = 0;
    for (int y = 0; y < Bm.Height(); ++y)
      for (int x = 0; x < Bm.Width(); ++x) n += Bm.Pixel(x, y) == C;
    return n;
  }
};

TEST_F(Replay, CurvesInTheirTilesInTheirColours) {
  Host.Marg[0] = Host.Marg[1] = Host.Marg[2] = Host.Marg[3] = 10;
  ASSERT_TRUE(P->AddArrPlot("0", 1, 2, 1, 1, 10, 10, 10, 10, 100, 100, 100));
  P->NewGraph(Arr({0, 1, 2, 3}), Arr({0, 2, 1, 3}), 1, 0, "-R", "red", "x", "y", "", "");
  P->NewGraph(Arr({0, 10}), Arr({5, -5}), 2, 0, "-B", "blue", "x", "y", "a", "b");
  P->NewGraph(Arr({0, 10}), Arr({5, -5}), 2, 0, "-G", "hidden", "x", "y", "a", "b");
  P->Graph(3)->QViz = false;
  P->SetCurPic(1);
  P->PlayOnce();
  EXPECT_EQ(P->NDrawn, 2);
  EXPECT_EQ(Host.Changed, 1);
  int Stray, Missing;
  Check(1, 0x0000FF, Stray, Missing);
  EXPECT_EQ(Stray, 0);
  EXPECT_EQ(Missing, 0);
  Check(2, 0xFF0000, Stray, Missing);
  EXPECT_EQ(Stray, 0);
  EXPECT_EQ(Missing, 0);
  EXPECT_EQ(Count(0x00FF00), 0);
  // No axis drawn (kOX 0): only background and the two curves.
  EXPECT_EQ(Count(0xFFFFFF) + Count(0x0000FF) + Count(0xFF0000), 800 * 600);
}

TEST_F(Replay, BlinkColoursByPhase) {
  P->NewGraph(Arr({0, 1}), Arr({0, 1}), 1, 0, "-R", "red", "", "", "", "");
  ASSERT_EQ(P->GraphCount(), 0);  // no base area yet
  ASSERT_TRUE(P->CheckArrPlot());
  P->NewGraph(Arr({0, 1}), Arr({0, 1}), 1, 0, "-R", "red", "", "", "", "");
  P->CurPictHighLight = true;
  Host.PixBold = "1";
  const uint32_t Want[] = {0x0000FF, 0xC0403F, 0x80807F, 0x3CC4C3};
  for (int Ph = 1; Ph <= 4; ++Ph) {
    Host.Phase = Ph;
    P->PlayOnce();
    int Stray, Missing;
    Check(1, Want[Ph - 1], Stray, Missing);
    EXPECT_EQ(Stray, 0) << Ph;
    EXPECT_EQ(Missing, 0) << Ph;
  }
}

TEST_F(Replay, TicksWhereTheWindowDrawsItsAxis) {
  Host.Marg[0] = Host.Marg[1] = Host.Marg[2] = Host.Marg[3] = 15;
  ASSERT_TRUE(P->CheckArrPlot());
  P->NewGraph(Arr({0, 10}), Arr({0, 10}), 1, 0, "-R", "red", "x", "y", "", "");
  P->PlayOnce();
  EXPECT_EQ(Count(0x000000), 0);
  TWorldWin& W = *P->LWorldWin->GetWin(P->Graph(1)->WinX);
  W.kOX = 1;
  P->PlayOnce();
  // Black pixels: the axis along the tile's bottom edge with its ticks and the labels below it,
  // and the second axis (Pos2 1, no labels) along the top edge; nothing between.
  const TRectRe T = P->ArrPlot()->TileRectPix(G, 1);
  int Bottom = 0, Top = 0, Elsewhere = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (Bm.Pixel(x, y) == 0) {
        if (y > T.Y2 - 6 && y < T.Y2 + 25) ++Bottom;
        else if (std::fabs(y - T.Y1) < 6) ++Top;
        else ++Elsewhere;
      }
  EXPECT_GT(Bottom, 500);
  EXPECT_GT(Top, 500);
  EXPECT_EQ(Elsewhere, 0);
  // Ticks: the rows beside the axis hold black pixels only at tick places.
  const int Beside = int(std::lround(T.Y2)) - 2;
  int TickCols = 0;
  for (int x = 0; x < 800; ++x) TickCols += Bm.Pixel(x, Beside) == 0;
  EXPECT_GT(TickCols, 3);
  EXPECT_LT(TickCols, 40);
  W.NMrk = 0;
  Warns.clear();
  P->PlayOnce();
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "PLAY0-ERR WW.NMrk=0 I=1 Count=3\r\nXY=<X> sOX=x");
  EXPECT_EQ(W.NMrk, 5);
}

}  // namespace
