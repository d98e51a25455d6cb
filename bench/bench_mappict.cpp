// Map pictures of a 1000 x 1024 map (a granulation-like field with noise) painted 1:1 into a
// 24-bit bitmap. Goals: the sorted copy (GetHist) within 1.2x of std::sort of the same floats
// (copy included); the painting (PaintToBMP, 256 equal-population levels) within 3x of a plain
// loop writing three bytes per pixel from precomputed palette indices; the whole picture
// (GetHist + SetLevelsEqPop + PaintToBMP, "MapPicture") under 0.2 s (its reference: the sort and
// the plain loop).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "foundation/cvSayer.h"
#include "platform/Canvas.h"
#include "scans/cvR4Pict.h"

namespace {

constexpr int kNX = 1000, kNY = 1024;

const TAR4R4Flat& Map() {
  static const TAR4R4Flat M = [] {
    TAR4R4Flat A(kNX, kNY);
    std::mt19937 g(42);
    std::normal_distribution<float> n(0, 150);
    for (int y = 0; y < kNY; ++y) {
      float* L = A.Line(static_cast<size_t>(y));
      for (int x = 0; x < kNX; ++x)
        L[x] = 10000 + 800 * std::sin(x * 0.07f) * std::cos(y * 0.05f) + n(g);
    }
    return A;
  }();
  return M;
}

// The palette indices of the picture, one per pixel (what the plain loop starts from).
const std::vector<uint8_t>& Indices() {
  static const std::vector<uint8_t> I = [] {
    TR4Pict P;
    P.Init(&Map());
    P.SetLevelsEqPop(256, 0.01, 0.99);
    std::vector<uint8_t> r(static_cast<size_t>(kNX) * kNY);
    for (int i = 0; i < kNY; ++i) {
      const float* L = Map().Line(static_cast<size_t>(kNY - 1 - i));
      for (int j = 0; j < kNX; ++j) r[static_cast<size_t>(i) * kNX + j] = P.LevelIndex(L[j]);
    }
    return r;
  }();
  return I;
}

void PlainPaint(platform::TBitmap& B, const std::vector<uint32_t>& Pal) {
  const uint8_t* idx = Indices().data();
  for (int i = 0; i < kNY; ++i) {
    uint8_t* px = B.ScanLine(i);
    for (int j = 0; j < kNX; ++j) {
      const uint32_t c = Pal[*idx++];
      px[0] = static_cast<uint8_t>(c);
      px[1] = static_cast<uint8_t>(c >> 8);
      px[2] = static_cast<uint8_t>(c >> 16);
      px += 3;
    }
  }
}

void GetHist(benchmark::State& State) {
  TR4Pict P;
  P.Init(&Map());
  for (auto _ : State) {
    P.GetHist();
    benchmark::DoNotOptimize(P.Sorted.data());
  }
}

void GetHist_Reference(benchmark::State& State) {
  std::vector<float> S;
  for (auto _ : State) {
    S.assign(Map().Data(), Map().Data() + Map().Count());
    std::sort(S.begin(), S.end());
    benchmark::DoNotOptimize(S.data());
  }
}

void PaintToBMP(benchmark::State& State) {
  TR4Pict P;
  P.Init(&Map());
  P.SetLevelsEqPop(256, 0.01, 0.99);
  P.SetPalette('Y');
  platform::TBitmap B(kNX, kNY);
  for (auto _ : State) {
    P.PaintToBMP(B);
    benchmark::DoNotOptimize(B.Bits());
  }
}

void PaintToBMP_Reference(benchmark::State& State) {
  TR4Pict P;
  P.SetPalette('Y');
  Indices();
  platform::TBitmap B(kNX, kNY);
  for (auto _ : State) {
    PlainPaint(B, P.Palette);
    benchmark::DoNotOptimize(B.Bits());
  }
}

void MapPicture(benchmark::State& State) {
  platform::TBitmap B(kNX, kNY);
  for (auto _ : State) {
    TR4Pict P;
    P.Init(&Map());
    P.GetHist();
    P.SetLevelsEqPop(256, 0.01, 0.99);
    P.PaintToBMP(B);
    benchmark::DoNotOptimize(B.Bits());
  }
}

void MapPicture_Reference(benchmark::State& State) {
  TR4Pict P;
  P.SetPalette('K');
  Indices();
  platform::TBitmap B(kNX, kNY);
  std::vector<float> S;
  for (auto _ : State) {
    S.assign(Map().Data(), Map().Data() + Map().Count());
    std::sort(S.begin(), S.end());
    PlainPaint(B, P.Palette);
    benchmark::DoNotOptimize(B.Bits());
  }
}

}  // namespace

BENCHMARK(GetHist)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GetHist_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PaintToBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PaintToBMP_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MapPicture_Reference)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  ResetSayerForTests();
  Map();
  Indices();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
