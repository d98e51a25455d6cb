// LZW of 8-bit indexed frames (no colour reduction): our encoder and decoder against giflib on a
// 1024 x 768 noise frame, a plot-like frame, a blank 2048 x 1536 page with one curve and a uniform
// 2048 x 1536 frame. Goals: within 2x of giflib; the blank page and the uniform frame within 1.5x.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "bench/support/GifPictures.h"
#include "plotting/gif/cvGIF.h"

namespace {

const TDib& Picture(int Which) {
  static const TDib P[] = {gifbench::Noise(), gifbench::Plot(), gifbench::BlankWithCurve(),
                           gifbench::Uniform()};
  return P[Which];
}

// ---- ours ----

void Encode(benchmark::State& State) {
  TCvGIF G;
  G.AddFrame(Picture(int(State.range(0))));
  TGIFFrame& F = G.FrameAt(0);
  for (auto _ : State) {
    F.Item = std::make_shared<TGIFItem>();
    G.Data->Global.Count = 0;
    F.Encode();
    benchmark::DoNotOptimize(F.Item->Encoded.data());
  }
}

void Decode(benchmark::State& State) {
  TCvGIF G;
  G.AddFrame(Picture(int(State.range(0))));
  TCvGIF Back;
  Back.LoadFromStream(G.SaveToStream());
  TGIFFrame& F = Back.FrameAt(0);
  TDib D;
  for (auto _ : State) {
    F.DecodeInto(D);
    benchmark::DoNotOptimize(D.Pixels.data());
  }
}

// ---- giflib ----

struct TMem {
  std::vector<uint8_t> Data;
  size_t Pos = 0;
};

int WriteMem(GifFileType* G, const GifByteType* B, int N) {
  auto* M = static_cast<TMem*>(G->UserData);
  M->Data.insert(M->Data.end(), B, B + N);
  return N;
}

int ReadMem(GifFileType* G, GifByteType* B, int N) {
  auto* M = static_cast<TMem*>(G->UserData);
  const size_t K = std::min<size_t>(size_t(N), M->Data.size() - M->Pos);
  std::memcpy(B, M->Data.data() + M->Pos, K);
  M->Pos += K;
  return int(K);
}

std::vector<uint8_t> GiflibEncode(const TDib& D) {
  TMem M;
  int Err = 0;
  GifFileType* G = EGifOpen(&M, WriteMem, &Err);
  GifColorType Colors[256];
  for (int i = 0; i < 256; ++i) Colors[i] = {D.Palette[size_t(i)].R, D.Palette[size_t(i)].G, D.Palette[size_t(i)].B};
  ColorMapObject* Map = GifMakeMapObject(256, Colors);
  EGifPutScreenDesc(G, D.Width, D.Height, 8, 0, Map);
  EGifPutImageDesc(G, 0, 0, D.Width, D.Height, false, nullptr);
  for (int32_t y = 0; y < D.Height; ++y)
    EGifPutLine(G, const_cast<GifPixelType*>(D.Row(y)), D.Width);
  EGifCloseFile(G, &Err);
  GifFreeMapObject(Map);
  return M.Data;
}

void Encode_Reference(benchmark::State& State) {
  const TDib& D = Picture(int(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(GiflibEncode(D).data());
}

void Decode_Reference(benchmark::State& State) {
  TMem M;
  M.Data = GiflibEncode(Picture(int(State.range(0))));
  std::vector<uint8_t> Raster(Picture(int(State.range(0))).Pixels.size());
  for (auto _ : State) {
    M.Pos = 0;
    int Err = 0;
    GifFileType* G = DGifOpen(&M, ReadMem, &Err);
    GifRecordType T;
    while (DGifGetRecordType(G, &T) == GIF_OK && T != TERMINATE_RECORD_TYPE) {
      if (T == IMAGE_DESC_RECORD_TYPE) {
        DGifGetImageDesc(G);
        for (int y = 0; y < G->Image.Height; ++y)
          DGifGetLine(G, Raster.data() + size_t(y) * G->Image.Width, G->Image.Width);
      } else if (T == EXTENSION_RECORD_TYPE) {
        int Code;
        GifByteType* E;
        DGifGetExtension(G, &Code, &E);
        while (E) DGifGetExtensionNext(G, &E);
      }
    }
    DGifCloseFile(G, &Err);
    benchmark::DoNotOptimize(Raster.data());
  }
}

}  // namespace

// Argument 0: noise, 1: plot-like, 2: blank page with one curve, 3: uniform frame.
BENCHMARK(Encode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Encode_Reference)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode_Reference)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
