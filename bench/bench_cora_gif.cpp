// "Save GIF" of the CORA tab for 20 frames (a 10-frame sequence played 1..10, 10..1): the frames
// drawn by the frame sequence on an 800 x 600 bitmap and kept as pictures, then encoded by
// SaveFramesGIF (a job, a temporary copy renamed over the file), against drawing the same
// frames and encoding them with the codec alone (TCvGIF.SaveToFile), in the same run.
// Goal: ratio <= 1.1.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "plotting/gif/cvDib.h"
#include "plotting/gif/cvGIF.h"
#include "synthesis/pictures/cvCoPi.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

constexpr int kPoints = 112, kFrames = 10;
constexpr int kW = 800, kH = 600;

std::unique_ptr<TUNNO> Profile(int K) {
  auto U = std::make_unique<TUNNO>();
  U->SetDefaults();
  U->QUEST = "bench";
  U->IQ = 1;
  U->KVARI = K;
  const double l0 = 6302.5, w = 0.04 + 0.003 * K;
  U->SetULEqd(kPoints, l0, l0 + 0.0027 * 111 / 2, l0 - 0.0027 * 111 / 2);
  U->AllocU();
  for (int i = 1; i <= kPoints; ++i) {
    const double x = (U->UL[i] - l0) / w;
    U->UI[i] = 1 - 0.6 * std::exp(-x * x);
    U->UV[i] = 0.02 * K * x * std::exp(-x * x);
  }
  U->CONT = 1;
  U->K4 = 0;
  return U;
}

// Ten frames of four plots (I and V of two profiles) in a 2 x 2 grid.
struct TScene {
  TLUNNO List;
  TCORA Cora;
  TScene() {
    for (int k = 1; k <= 2 * kFrames; ++k) List.Add(Profile(k));
    std::vector<std::string> lines = {"#SG_HEAD " + std::to_string(kFrames) + " 100 15 7",
                                      "#SG_NAMES bench.1", "#SG_VWX 2 2 104 104 2 2",
                                      "#SG_WV 150 100"};
    for (int f = 1; f <= kFrames; ++f)
      for (int c = 1; c <= 4; ++c) {
        const int k = 2 * f - 1 + (c - 1) % 2;
        lines.push_back("#SG O 1 " + std::to_string(k) + (c <= 2 ? " RI" : " RV #WV 150 40") +
                        " #VWX " + std::to_string(c) + " #K " + std::to_string(f));
      }
    Cora.ReadDescrLines(lines, "bench");
  }
};

TScene& Scene() {
  static TScene* s = new TScene();
  return *s;
}

std::vector<TDib> DrawAll(TScene& s, platform::TBitmap& B, TGRAF& G) {
  std::vector<TDib> frames;
  for (int32_t K : GifFrameOrder(s.Cora.NKadr)) {
    s.Cora.DrawKadr(K, B.Canvas(), s.List, G);
    frames.push_back(TDib::FromBitmap(B));
  }
  return frames;
}

std::string OutFile(const char* Name) { return "/tmp/bench_cora_gif_" + std::string(Name) + ".gif"; }

void SaveGif(benchmark::State& State) {
  TScene& s = Scene();
  platform::TBitmap B(kW, kH);
  TGRAF G;
  const std::string f = OutFile("tab");
  for (auto _ : State) {
    const std::vector<TDib> frames = DrawAll(s, B, G);
    TJob J("Save GIF");
    if (!SaveFramesGIF(J, frames, 100, 1000, f)) State.SkipWithError("not written");
  }
  std::remove(f.c_str());
}

void SaveGif_Reference(benchmark::State& State) {
  TScene& s = Scene();
  platform::TBitmap B(kW, kH);
  TGRAF G;
  const std::string f = OutFile("codec");
  for (auto _ : State) {
    const std::vector<TDib> frames = DrawAll(s, B, G);
    TCvGIF gif;
    for (const TDib& d : frames) gif.SetFrameDelay(gif.FrameAt(gif.AddFrame(d)), 100);
    gif.SetLooping(true);
    gif.SetRepeatCount(1000);
    gif.SaveToFile(f);
  }
  std::remove(f.c_str());
}

}  // namespace

BENCHMARK(SaveGif)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(SaveGif_Reference)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
