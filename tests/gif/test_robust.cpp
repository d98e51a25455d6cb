// Damaged GIFs: a small animated file cut at every byte loads with its frames marked corrupted
// or fails with the graphic-operation error; a fixed run of mutations does the same.
#include <gtest/gtest.h>

#include <random>

#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"
#include "tests/gif/support/GifSupport.h"

using namespace giftest;

namespace {

std::vector<uint8_t> SmallAnimation() {
  TCvGIF G;
  G.AddFrame(Noise(11, 7, 8, 200, 1));
  G.AddFrame(Noise(5, 9, 4, 16, 2));
  G.SetFrameDelay(G.FrameAt(1), 300);
  G.FrameAt(1).Comment() = {"frame"};
  G.SetLooping(true);
  G.Data->Comment = {"image comment"};
  return G.SaveToStream();
}

// Loads and decodes every frame; the failure text, empty when it loaded.
std::string Load(const std::vector<uint8_t>& S, TCvGIF& G) {
  try {
    G.LoadFromStream(S);
    for (int32_t i = 0; i < G.FrameCount(); ++i) G.FrameAt(i).Bitmap();
    return "";
  } catch (const EInvalidGraphicOperation& X) {
    return X.what();
  }
}

}  // namespace

TEST(GifRobust, CutAtEveryByte) {
  const std::vector<uint8_t> S = SmallAnimation();
  TCvGIF Whole;
  ASSERT_EQ(Load(S, Whole), "");
  for (size_t n = 0; n < S.size(); ++n) {
    SCOPED_TRACE(n);
    const std::vector<uint8_t> Cut(S.begin(), S.begin() + long(n));
    TCvGIF G;
    const std::string Error = Load(Cut, G);
    if (!Error.empty()) continue;  // the graphic-operation error with its message
    // What loaded is the start of the whole image, the last frame possibly corrupted with the
    // pixels that were there.
    ASSERT_LE(G.FrameCount(), Whole.FrameCount());
    for (int32_t i = 0; i + 1 < G.FrameCount(); ++i) {
      EXPECT_FALSE(G.FrameAt(i).Corrupted);
      EXPECT_TRUE(SameColours(G.FrameAt(i).Bitmap(), Whole.FrameAt(i).Bitmap()));
    }
  }
  // Cut inside the header: not a GIF.
  TCvGIF G;
  EXPECT_EQ(Load(std::vector<uint8_t>(S.begin(), S.begin() + 4), G), "Not a GIF file");
}

TEST(GifRobust, MutationsFailOnlyAsPromised) {
  const std::vector<uint8_t> Seed = SmallAnimation();
  std::mt19937 R(3);
  for (int n = 0; n < 3000; ++n) {
    std::vector<uint8_t> S = Seed;
    for (int e = 0, k = 1 + int(R() % 4); e < k; ++e) {
      const size_t At = R() % S.size();
      S[At] = (R() % 2) ? uint8_t(R()) : uint8_t(S[At] ^ (1u << (R() % 8)));
    }
    TCvGIF G;
    try {
      Load(S, G);
      if (G.FrameCount() > 0) G.SaveToStream();
    } catch (const EInvalidGraphicOperation&) {
    }
  }
}
