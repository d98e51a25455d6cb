// A frame of the profile animation: 12 plots of 112-point profiles (I, V and 'S' differences of
// two profiles x 5) in a 4 x 3 cell grid on a 1600 x 1200 bitmap, drawn by the frame sequence
// (TCORA.DrawKadr: viewports, ranges, dotted grids, the difference made anew every frame) against
// the device drawing the same curves plainly (CURV) into the same cells, in the same run. Goal:
// ratio <= 1.5 and <= 15 ms a frame, so that a 100 ms animation stays smooth.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvSayer.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

constexpr int kPoints = 112;
constexpr int kW = 1600, kH = 1200;

std::unique_ptr<TUNNO> Profile(int K) {
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->QUEST = "bench";
  U->IQ = 1;
  U->KVARI = K;
  const double l0 = 6302.5, w = 0.04 + 0.004 * K;
  U->SetULEqd(kPoints, l0, l0 + 0.0027 * 111 / 2, l0 - 0.0027 * 111 / 2);
  U->AllocU();
  for (int i = 1; i <= kPoints; ++i) {
    const double x = (U->UL[i] - l0) / w;
    U->UI[i] = 1 - 0.6 * std::exp(-x * x);
    U->UV[i] = 0.1 * K * x * std::exp(-x * x);
  }
  U->CONT = 1;
  U->K4 = 0;
  return U;
}

struct TScene {
  TLUNNO List;
  TCORA Cora;
  TScene() {
    for (int k = 1; k <= 8; ++k) List.Add(Profile(k));
    std::vector<std::string> lines = {"#SG_HEAD 1 100 15 7", "#SG_NAMES bench.1",
                                      "#SG_VWX 4 3 104 104 2 2", "#SG_WV 150 100"};
    for (int c = 1; c <= 12; ++c) {
      const int k = (c - 1) % 4 + 1;
      if (c <= 4) lines.push_back("#SG O 1 " + std::to_string(k) + " RI #VWX " + std::to_string(c));
      else if (c <= 8)
        lines.push_back("#SG O 1 " + std::to_string(k) + " RV #VWX " + std::to_string(c) + " #WV 150 50");
      else
        lines.push_back("#SG S 1 " + std::to_string(k) + " 1 " + std::to_string(k + 4) + " RI #VWX " +
                        std::to_string(c) + " #WV 150 20");
    }
    Cora.ReadDescrLines(lines, "bench");
  }
};

TScene& Scene() {
  static TScene* s = new TScene();
  return *s;
}

void CoraFrame(benchmark::State& State) {
  TScene& s = Scene();
  platform::TBitmap B(kW, kH);
  TGRAF G;
  for (auto _ : State) {
    const TFrameDone f = s.Cora.DrawKadr(1, B.Canvas(), s.List, G);
    if (f.StopTimer) State.SkipWithError("a plot was not drawn");
    benchmark::DoNotOptimize(B.Pixel(kW / 2, kH / 2));
  }
}

// The same curves (the differences made once, before the timing) drawn plainly into the cells.
void CoraFrame_Reference(benchmark::State& State) {
  TScene& s = Scene();
  struct TCurve {
    TARe X, Y;
    double y1, y2;
  };
  std::vector<TCurve> curves;
  for (int c = 1; c <= 12; ++c) {
    const int k = (c - 1) % 4 + 1;
    TUNNO* U = s.List.Items(k - 1);
    TCurve cv;
    cv.X = U->UL;
    if (c <= 4) {
      cv.Y = U->UI;
      cv.y1 = 0, cv.y2 = 100;
    } else if (c <= 8) {
      cv.Y = U->UV;
      cv.y1 = -50, cv.y2 = 50;
    } else {
      TUNNO d;
      d.Dif(*U, *s.List.Items(k + 3));
      d.Mul(5);
      cv.Y = d.UI;
      cv.y1 = -20, cv.y2 = 20;
    }
    for (size_t i = 1; i < cv.Y.size(); ++i) cv.Y[i] *= 100;
    curves.push_back(std::move(cv));
  }
  platform::TBitmap B(kW, kH);
  TGRAF G;
  for (auto _ : State) {
    G.INIGCanvas(&B.Canvas(), 0);
    G.SetBkColor(0xFFFFFF);
    G.ClearG();
    for (int c = 1; c <= 12; ++c) {
      double x1, x2, y1, y2;
      CellViewport(4, 3, 104, 104, 2, 2, c, x1, x2, y1, y2);
      G.VIPOPC(x1, x2, y1, y2);
      const TCurve& cv = curves[static_cast<size_t>(c) - 1];
      G.WINDOW(6302.5 + 0.15, 6302.5 - 0.15, cv.y1, cv.y2);
      G.SetGColor(0);
      G.CURV(&cv.X, &cv.Y, 0);
    }
    G.ENDG();
    benchmark::DoNotOptimize(B.Pixel(kW / 2, kH / 2));
  }
}

}  // namespace

BENCHMARK(CoraFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(CoraFrame_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
