// The GIF tab headless. spec-gif [--size WxH] OUT.gif writes the demo spectrogram (a grey strip
// with dark lines, app/cvGIFPict.h) as a one-frame GIF; the demo project's
// "pair/GIF/FE6302_sp_07_12.gif" is made by it (800 x 600) and a test makes it again.
// gif-measure FILE.gif [--orig X Y] [--bk X] [--width W] P1 P2 P3 P4 [X Y]...: the picture's
// work size, the report header of the four levels and one measurement line per point, as the
// tab writes them into the editor (the levels and points in the view's pixels).
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/cvGIFPict.h"
#include "app/cvHook.h"
#include "app/cvWinLink.h"
#include "foundation/cvStrList.h"
#include "plotting/gif/cvGIF.h"
#include "tools/batch/Batch.h"

namespace {

int SpecGif(const std::vector<std::string>& Args) {
  int32_t W = 800, H = 600;
  std::string Out;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--size" && i + 1 < Args.size()) {
      if (std::sscanf(Args[++i].c_str(), "%dx%d", &W, &H) != 2) return batch::Usage();
    } else if (Out.empty() && Args[i].rfind("--", 0) != 0) {
      Out = Args[i];
    } else {
      return batch::Usage();
    }
  }
  if (Out.empty() || W < 16 || H < 16 || W > 4096 || H > 4096) return batch::Usage();
  const std::unique_ptr<TBitmap> B = SpectrogramPicture(W, H);
  TCvGIF G;
  G.AddFrame(TDib::FromBitmap(*B));
  try {
    G.SaveToFile(Out);
  } catch (const std::exception& X) {
    std::cerr << "corvesta-batch: " << batch::U8(X.what()) << "\n";
    return 1;
  }
  std::cout << "spectrogram " << W << " x " << H << " -> " << Out << "\n";
  return 0;
}

int GifMeasure(const std::vector<std::string>& Args) {
  TGIFWork W;
  int32_t Width = 800;
  std::vector<int32_t> N;
  std::string File;
  for (size_t i = 0; i < Args.size(); ++i) {
    if (Args[i] == "--orig" && i + 2 < Args.size()) {
      W.OrigX = std::atoi(Args[++i].c_str());
      ++i;  // the y origin does not enter the measurement
    } else if (Args[i] == "--bk" && i + 1 < Args.size()) {
      W.MirrorX = std::atoi(Args[++i].c_str());
    } else if (Args[i] == "--width" && i + 1 < Args.size()) {
      Width = std::atoi(Args[++i].c_str());
    } else if (File.empty()) {
      File = Args[i];
    } else {
      N.push_back(std::atoi(Args[i].c_str()));
    }
  }
  if (File.empty() || N.size() < 4 || N.size() % 2 != 0) return batch::Usage();
  TCvGIF G;
  TBitmap Src;
  try {
    G.LoadFromFile(File);
    G.Bitmap().To24().ToBitmap(Src);
  } catch (const std::exception& X) {
    std::cerr << "corvesta-batch: " << batch::U8(X.what()) << "\n";
    return 1;
  }
  TGIFLayer Work;
  GIFMakeWork(Src, Work);
  std::cout << "picture " << Src.Width() << " x " << Src.Height() << ", work " << Work.Bmp->Width()
            << " x " << Work.Bmp->Height() << "\n";
  W.Level20 = N[0];
  W.LevelContA = N[1];
  W.LevelContM = N[2];
  W.LevelMaxD = N[3];
  std::string Bare = File.substr(File.find_last_of("/\\") + 1);
  Bare = Bare.substr(0, Bare.find_last_of('.'));
  const std::unique_ptr<TStringList> H = GIFReportHeader(Bare, W);
  for (int32_t i = 0; i < H->Count(); ++i) std::cout << batch::U8((*H)[i]) << "\n";
  for (size_t i = 4; i + 1 < N.size(); i += 2) {
    const std::string L = GIFMeasureLine(N[i], N[i + 1], Width, W);
    std::cout << (L.empty() ? std::string("(levels 20% and CONT coincide: no line)") : batch::U8(L))
              << "\n";
  }
  return 0;
}

const TBatchCommand kGifMeasure{"gif-measure",
                                "gif-measure FILE.gif [--orig X Y] [--bk X] [--width W] P1 P2 P3 P4 [X Y]...",
                                GifMeasure};
const TBatchCommand kSpecGif{"spec-gif", "spec-gif [--size WxH] OUT.gif", SpecGif};

}  // namespace
