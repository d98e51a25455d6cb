// The plotter in the picture window: replaying 8 graphs of 250,000 points into a 1600 x 1200
// back buffer ("PlayOnce") against the same polylines drawn straight through the device's line
// routine ("PlayOnce_Reference"), goal <= 1.3; the nearest-graph search over the same graphs
// ("HitTest") against one plain nearest-point pass over their points ("HitTest_Reference"),
// goal <= 1.5. "Click" and "WheelNotch" time one click and one wheel notch of the picture
// window (search or zoom, tool refresh and replay).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "foundation/cvSayer.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"
#include "plotting/cvPictState.h"

namespace {

constexpr int kGraphs = 8, kPoints = 250000, kW = 1600, kH = 1200;

struct TBenchWin : TPictWin {
  bool Visible() override { return true; }
  bool Minimized() override { return false; }
  void ShowWindow() override {}
  void HideWindow() override {}
  void Repaint() override {}
  void SetCaption(const std::string&) override {}
  void ClientSize(int32_t& W, int32_t& H) override { W = kW, H = kH; }
  void OuterSize(int32_t& W, int32_t& H) override { W = kW, H = kH; }
  void SetOuterSize(int32_t, int32_t) override {}
  int32_t DesktopWidth() override { return 1920; }
  TPoint CursorPos() override { return TPoint{0, 0}; }
  void Rebind() override {}
  void SetBlinkTimer(bool) override {}
  void SetGIFTimer(bool) override {}
  bool GIFTimerOn() override { return false; }
  void MenuSet(const TCtlValues&) override {}
  void BitmapToClipboard() override {}
};

struct TScene {
  platform::TBitmap Bm{kW, kH};
  TGRAF G;
  TPLOTTER* P = nullptr;
  std::unique_ptr<TPLOTTER> Own;
  TBenchWin Win;
  TPicTool Tool;
  std::unique_ptr<TPictState> Pict;

  TScene() {
    ResetPlotServices();
    Plotting().Warn = [](const std::string&) {};
    Own = std::make_unique<TPLOTTER>(&G);
    P = Own.get();
    Pict = std::make_unique<TPictState>(P, Win);
    Tool.P = P;
    Tool.Pict = Pict.get();
    Pict->Tool = &Tool;
    P->Tools = &Tool;
    P->INIG(&Bm.Canvas(), "TFPict", Pict.get(), 0);
    P->CheckArrPlot();
    for (int g = 0; g < kGraphs; ++g) {
      TARe X(kPoints + 1), Y(kPoints + 1);
      for (int i = 1; i <= kPoints; ++i) {
        X[i] = i;
        Y[i] = g + 0.4 * std::sin(i * 0.0005 * (g + 1)) + 0.05 * std::sin(i * 0.37);
      }
      P->NewGraph(X, Y, 1, 0, "-K", "g" + std::to_string(g + 1), "x", "y", "", "u");
    }
    // One X and one Y window for all.
    for (int g = 1; g <= kGraphs; ++g) {
      P->LWorldWin->GetWin(P->Graph(g)->WinY)->P1 = -1;
      P->LWorldWin->GetWin(P->Graph(g)->WinY)->P2 = kGraphs;
    }
    Pict->PlotterOn = true;
  }
};

TScene& Scene() {
  static TScene S;
  return S;
}

void PlayOnce(benchmark::State& State) {
  TScene& S = Scene();
  for (auto _ : State) S.P->PlayOnce();
  State.SetItemsProcessed(State.iterations() * kGraphs * kPoints);
}

void PlayOnce_Reference(benchmark::State& State) {
  TScene& S = Scene();
  TGRAF& G = S.G;
  for (auto _ : State) {
    G.SetBkColor(S.P->bkColor);
    G.ClearG();
    for (int g = 1; g <= kGraphs; ++g) {
      const TOneGraph& Gr = *S.P->Graph(g);
      S.P->SetGraphView(Gr);
      G.CurColor = Gr.Color1;
      G.MOVEW(Gr.AX[1], Gr.AY[1]);
      for (int i = 2; i <= Gr.N; ++i) G.DRAWW(Gr.AX[i], Gr.AY[i]);
    }
  }
  State.SetItemsProcessed(State.iterations() * kGraphs * kPoints);
}

void HitTest(benchmark::State& State) {
  TScene& S = Scene();
  for (auto _ : State) benchmark::DoNotOptimize(S.P->HitTest(800, 600));
  State.SetItemsProcessed(State.iterations() * kGraphs * kPoints);
}

void HitTest_Reference(benchmark::State& State) {
  TScene& S = Scene();
  for (auto _ : State) {
    double Best = INFINITY;
    int BestI = 0, BestG = 0;
    for (int g = 1; g <= kGraphs; ++g) {
      const TOneGraph& Gr = *S.P->Graph(g);
      S.P->SetGraphView(Gr);
      for (int i = 1; i <= Gr.N; ++i) {
        const TPointRe p = S.G.WToPixR(Gr.AX[i], Gr.AY[i]);
        const double d = std::hypot(p.X - 800, p.Y - 600);
        if (d < Best) Best = d, BestI = i, BestG = g;
      }
    }
    benchmark::DoNotOptimize(Best);
    benchmark::DoNotOptimize(BestI + BestG);
  }
  State.SetItemsProcessed(State.iterations() * kGraphs * kPoints);
}

void Click(benchmark::State& State) {
  TScene& S = Scene();
  for (auto _ : State) {
    S.Pict->LastX = 800;
    S.Pict->LastY = 600;
    S.Pict->Click();
  }
}

void WheelNotch(benchmark::State& State) {
  TScene& S = Scene();
  S.P->SetCurPic(1);
  int s = 120;
  for (auto _ : State) {
    S.Pict->Wheel(s);
    s = -s;
  }
}

BENCHMARK(PlayOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(PlayOnce_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(HitTest)->Unit(benchmark::kMillisecond);
BENCHMARK(HitTest_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(Click)->Unit(benchmark::kMillisecond);
BENCHMARK(WheelNotch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
