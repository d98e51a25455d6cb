// The demo spectrogram of the GIF tab: spec-gif [--size WxH] OUT.gif writes the synthetic
// picture (a grey strip with dark lines, app/cvGIFPict.h) as a one-frame GIF. The demo
// project's "pair/GIF/FE6302_sp_07_12.gif" is made by it (800 x 600); a test makes it again.
#include <cstdio>
#include <iostream>

#include "app/cvGIFPict.h"
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

const TBatchCommand kSpecGif{"spec-gif", "spec-gif [--size WxH] OUT.gif", SpecGif};

}  // namespace
