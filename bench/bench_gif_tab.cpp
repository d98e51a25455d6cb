// The GIF tab's redraw while the picture is dragged: GIFRedraw's composition of an 800 x 600
// picture from a 4000 x 1500 work bitmap over a fixed background (the background copied, the
// work drawn with the background colour transparent), against one plain copy of the same
// rectangle of the work (row by row at memory speed), in the same run. Goal: ratio <= 3.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "app/cvGIFPict.h"
#include "app/cvGLib.h"

namespace {

constexpr uint32_t kBk = 0x0000FF;  // the background colour (red)

// A 4000 x 1500 work bitmap: the demo spectrogram's strip repeated, its white margins and a
// band of the background colour (transparent) at the top and bottom.
struct TScene {
  TGIFPictures P;
  int32_t OX = 1600, OY = 450;
  TScene() {
    const std::unique_ptr<TBitmap> S = SpectrogramPicture(800, 3000);
    TBitmap Src(4000, 3000);
    for (int32_t k = 0; k < 5; ++k) BlitAt(&Src, TPoint{800 * k, 0}, S.get(), TRect{0, 0, 800, 3000});
    GIFMakeWork(Src, P.Work);
    for (int32_t y = 0; y < 100; ++y)
      for (int32_t x = 0; x < 4000; ++x) {
        P.Work.Bmp->SetPixel(x, y, kBk);
        P.Work.Bmp->SetPixel(x, 1499 - y, kBk);
      }
    P.Work.Changed();
    P.Pict = std::make_unique<TBitmap>(800, 600);
    P.Back = std::make_unique<TBitmap>(800, 600);
    BitmapFill(P.Back.get(), kBk);
    BMPAddColors(P.Back.get(), 'R');
  }
};

TScene& Scene() {
  static TScene S;
  return S;
}

// A drag: the origin walks one pixel per redraw (the runs are made once, before the loop).
void GIFRedraw(benchmark::State& St) {
  TScene& S = Scene();
  GIFCompose(S.P, S.OX, S.OY, kBk);
  int32_t d = 0;
  for (auto _ : St) {
    GIFCompose(S.P, S.OX + (d & 63), S.OY + (d & 31), kBk);
    ++d;
    benchmark::DoNotOptimize(S.P.Pict->Bits());
  }
}

void GIFRedraw_Reference(benchmark::State& St) {
  TScene& S = Scene();
  int32_t d = 0;
  for (auto _ : St) {
    const int32_t x = S.OX + (d & 63), y = S.OY + (d & 31);
    for (int32_t r = 0; r < 600; ++r)
      std::memcpy(S.P.Pict->ScanLine(r), S.P.Work.Bmp->ScanLine(y + r) + size_t(x) * 3, 800 * 3);
    ++d;
    benchmark::DoNotOptimize(S.P.Pict->Bits());
  }
}

BENCHMARK(GIFRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(GIFRedraw_Reference)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
