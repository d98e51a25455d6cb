// GIF commands of the harness: an animated GIF of drawn test pictures, and the frame list of any
// GIF.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "foundation/cvJob.h"
#include "platform/Canvas.h"
#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"
#include "tools/batch/Batch.h"

namespace {

// Test picture k of n: a framed page with a moving disc and a sine curve.
TDib TestPicture(int32_t k, int32_t n, int32_t W, int32_t H) {
  platform::TBitmap B(W, H);
  platform::TCanvas& C = B.Canvas();
  C.Brush.Color = clWhite;
  C.FillRect(TRect{0, 0, W, H});
  C.Pen.Color = clBlack;
  C.Brush.Color = clWhite;
  C.Rectangle(TRect{4, 4, W - 4, H - 4});
  C.Pen.Color = clBlue;
  for (int32_t x = 8; x < W - 8; ++x) {
    const int32_t y = H / 2 + int32_t((H / 4) * std::sin((x + 12.0 * k) / 15.0));
    if (x == 8) C.MoveTo(x, y);
    C.LineTo(x, y);
  }
  const int32_t cx = 20 + (W - 40) * k / std::max(1, n - 1), cy = H / 3, r = H / 8;
  for (int32_t y = -r; y <= r; ++y)
    for (int32_t x = -r; x <= r; ++x)
      if (x * x + y * y <= r * r) B.SetPixel(cx + x, cy + y, k % 2 ? clRed : clGreen);
  return TDib::FromBitmap(B);
}

// gif-demo [--frames N] [--delay MS] [--size WxH] OUT: an animated GIF of N drawn pictures
// (3), each shown MS milliseconds (250), looping.
int Demo(const std::vector<std::string>& Args) {
  int32_t Frames = 3, Delay = 250, W = 160, H = 120;
  std::string Out;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--frames" && i + 1 < Args.size())
      Frames = std::atoi(Args[++i].c_str());
    else if (Args[i] == "--delay" && i + 1 < Args.size())
      Delay = std::atoi(Args[++i].c_str());
    else if (Args[i] == "--size" && i + 1 < Args.size()) {
      if (std::sscanf(Args[++i].c_str(), "%dx%d", &W, &H) != 2) return batch::Usage();
    } else if (Out.empty() && Args[i].rfind("--", 0) != 0)
      Out = Args[i];
    else
      return batch::Usage();
  }
  if (Out.empty() || Frames < 1 || Frames > 1000 || Delay < 0 || Delay > 65535 || W < 16 ||
      H < 16 || W > 4096 || H > 4096)
    return batch::Usage();
  TJob Job("gif-demo " + batch::Cp(Out));
  return batch::RunAsJob(Job, [&](TJob& J) {
    TCvGIF G;
    for (int32_t k = 0; k < Frames; ++k) {
      if (!J.Step(k, Frames, "gif-demo")) return;
      const int32_t i = G.AddFrame(TestPicture(k, Frames, W, H));
      G.SetFrameDelay(G.FrameAt(i), uint16_t(Delay));
    }
    G.SetLooping(true);
    G.SetRepeatCount(0);
    try {
      G.SaveToFile(Out);
    } catch (const EGraphicAbort&) {
      if (!J.Cancelled()) throw;
    }
  });
}

std::string ColourText(TColor C) {
  if (C == clNone) return "none";
  char B[16];
  std::snprintf(B, sizeof B, "#%02X%02X%02X", C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF);
  return B;
}

// gif-list FILE: the image and each frame: size, position, local table, delay, transparency,
// disposal, interlace, corrupted.
int List(const std::vector<std::string>& Args) {
  if (Args.size() != 1) return batch::Usage();
  TCvGIF G;
  try {
    G.LoadFromFile(Args[0]);
  } catch (const std::exception& X) {
    std::cerr << "corvesta-batch: " << batch::U8(X.what()) << "\n";
    return 1;
  }
  std::cout << "version " << (G.Version == 2 ? "89a" : "87a") << ", screen " << G.ScreenWidth
            << " x " << G.ScreenHeight << ", global table " << G.Data->Global.Count
            << ", frames " << G.FrameCount() << ", looping "
            << (G.Looping ? std::to_string(G.RepeatCount) : std::string("no")) << "\n";
  for (const std::string& L : G.Data->Comment) std::cout << "comment " << batch::U8(L) << "\n";
  for (int32_t i = 0; i < G.FrameCount(); ++i) {
    TGIFFrame& F = G.FrameAt(i);
    std::string Decoded;
    try {
      F.Bitmap();
    } catch (const std::exception& X) {
      Decoded = std::string(", not decoded: ") + X.what();
    }
    std::cout << "frame " << i + 1 << ": " << F.Item->Width << " x " << F.Item->Height << " at "
              << F.Left << "," << F.Top << ", local table "
              << (F.LocalTable ? std::to_string(F.Item->Table.Count) : std::string("no"))
              << ", delay " << F.Delay << " ms, transparent " << ColourText(F.TransparentColor)
              << ", disposal " << int(F.Disposal) << ", interlaced " << (F.Interlaced ? "yes" : "no")
              << ", corrupted " << (F.Corrupted ? "yes" : "no") << batch::U8(Decoded) << "\n";
  }
  return 0;
}

const TBatchCommand kDemo{"gif-demo", "gif-demo [--frames N] [--delay MS] [--size WxH] OUT.gif", Demo};
const TBatchCommand kList{"gif-list", "gif-list FILE.gif", List};

}  // namespace
