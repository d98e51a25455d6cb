// Cross-checks with independent GIF tools (giflib's gif2rgb and giftext, Pillow, ImageMagick):
// what we write they decode to our pixels and palettes; what they write we decode to Pillow's
// frames. Each check is skipped with a message when its tool is missing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>

#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFGradient.h"
#include "tests/gif/support/GifSupport.h"

using namespace giftest;
namespace fs = std::filesystem;

namespace {

const std::string kSupport = std::string(CORVESTA_SOURCE_ROOT) + "/tests/gif/support/";

struct TPillow {
  std::map<std::string, std::string> Facts;
  std::string Dir;
};

// Pillow's reading of a file: facts and per-frame files in a fresh folder under Root.
TPillow PillowRead(const fs::path& File, const fs::path& Root) {
  TPillow P;
  P.Dir = (Root / (File.stem().string() + "_pil")).string();
  fs::create_directories(P.Dir);
  int S = 0;
  std::istringstream Out(Shell("/usr/bin/python3 " + kSupport + "pil_frames.py '" + File.string() +
                             "' '" + P.Dir + "'", &S));
  std::string L;
  while (std::getline(Out, L)) {
    const size_t E = L.find('=');
    if (E != std::string::npos) P.Facts[L.substr(0, E)] = L.substr(E + 1);
  }
  EXPECT_EQ(S, 0) << File;
  return P;
}

// Our frames composed onto the screen the simple way (no disposal): frame i's opaque pixels
// pasted at its position. Compared with Pillow's frame i (RGB, or RGBA where alpha 255 counts).
void ExpectSameFrames(const fs::path& File, const fs::path& Root) {
  SCOPED_TRACE(File.filename().string());
  TCvGIF G;
  G.LoadFromStream(ReadFile(File));
  const TPillow P = PillowRead(File, Root);
  ASSERT_EQ(P.Facts.at("frames"), std::to_string(G.FrameCount()));
  // Frame 0: indices and palette as they stand.
  TGIFFrame& F0 = G.FrameAt(0);
  const TDib& B0 = F0.Bitmap();
  if (fs::exists(P.Dir + "/p0.idx")) {
    const std::vector<uint8_t> Idx = ReadFile(P.Dir + "/p0.idx");
    const std::vector<uint8_t> Pal = ReadFile(P.Dir + "/p0.pal");
    ASSERT_EQ(Idx.size(), size_t(B0.Width) * B0.Height);
    for (int32_t y = 0; y < B0.Height; ++y)
      for (int32_t x = 0; x < B0.Width; ++x)
        ASSERT_EQ(B0.Index(x, y), Idx[size_t(y) * B0.Width + x]) << x << "," << y;
    for (uint32_t i = 0; i < F0.Item->Table.Count && 3 * i + 2 < Pal.size(); ++i)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(F0.Item->Table.Entries[i][c], Pal[3 * i + c]) << i;
  }
  const int32_t W = G.ScreenWidth, H = G.ScreenHeight;
  std::vector<TColor> Canvas(size_t(W) * H, 0);
  for (int32_t i = 0; i < G.FrameCount(); ++i) {
    TGIFFrame& F = G.FrameAt(i);
    const TDib& B = F.Bitmap();
    for (int32_t y = 0; y < B.Height; ++y)
      for (int32_t x = 0; x < B.Width; ++x) {
        const TColor C = B.Pixel(x, y);
        if (F.TransparentColor != clNone && C == F.TransparentColor && i > 0) continue;
        if (x + F.Left < W && y + F.Top < H) Canvas[size_t(y + F.Top) * W + x + F.Left] = C;
      }
    const std::string Fact = P.Facts.at("frame" + std::to_string(i));
    const bool Rgba = Fact.rfind("RGBA", 0) == 0;
    const std::vector<uint8_t> Raw = ReadFile(P.Dir + "/f" + std::to_string(i) + ".raw");
    const int N = Rgba ? 4 : 3;
    ASSERT_EQ(Raw.size(), size_t(W) * H * N) << i;
    for (size_t k = 0; k < size_t(W) * H; ++k) {
      if (Rgba && Raw[k * 4 + 3] != 255) continue;
      const TColor Pc = Raw[k * N] | (Raw[k * N + 1] << 8) | (uint32_t(Raw[k * N + 2]) << 16);
      ASSERT_EQ(Canvas[k], Pc) << "frame " << i << " pixel " << k;
    }
  }
}

// The GIFs we write for the checks: an animation of reduced 24-bit frames with delays and
// looping, 1-, 4- and 8-bit pictures of odd sizes, a transparent one.
std::vector<fs::path> WriteOurs(const fs::path& Dir) {
  std::vector<fs::path> Files;
  {
    TCvGIF G;
    for (int k = 0; k < 3; ++k) {
      G.AddFrame(Picture24(61, 43, 4 * k));
      G.SetFrameDelay(G.FrameAt(k), 125);
    }
    G.SetLooping(true);
    G.SetRepeatCount(0);
    Files.push_back(Dir / "anim.gif");
    G.SaveToFile(Files.back().string());
  }
  const struct {
    const char* Name;
    int32_t W, H, Bits;
  } Cases[] = {{"one.gif", 13, 7, 1}, {"four.gif", 17, 9, 4}, {"eight.gif", 301, 211, 8},
               {"thin.gif", 1, 50, 8}, {"dot.gif", 1, 1, 1}};
  for (auto& C : Cases) {
    TCvGIF G;
    G.AddFrame(Noise(C.W, C.H, C.Bits, 1u << C.Bits, uint32_t(C.W)));
    Files.push_back(Dir / C.Name);
    G.SaveToFile(Files.back().string());
  }
  {
    TCvGIF G;
    TDib D = Noise(20, 10, 4, 16, 3);
    G.AddFrame(D);
    G.SaveToStream();
    G.FrameAt(0).TransparentColor = G.FrameAt(0).Item->Table.Color(5);
    Files.push_back(Dir / "transp.gif");
    G.SaveToFile(Files.back().string());
  }
  return Files;
}

}  // namespace

TEST(GifTools, PillowDecodesOursAndShowsTheLayout) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  TTempDir T;
  for (const fs::path& F : WriteOurs(T.Dir)) ExpectSameFrames(F, T.Dir);
  const TPillow P = PillowRead(T.Dir / "anim.gif", T.Dir);
  EXPECT_EQ(P.Facts.at("version"), "GIF89a");
  EXPECT_EQ(P.Facts.at("loop"), "0");
  EXPECT_EQ(P.Facts.at("frame1").substr(0, 8), "RGB 120 ");
  EXPECT_EQ(PillowRead(T.Dir / "one.gif", T.Dir).Facts.at("version"), "GIF87a");
}

TEST(GifTools, GiflibDecodesOursAndShowsTheLayout) {
  if (!HaveProgram("/usr/bin/gif2rgb") || !HaveProgram("/usr/bin/giftext"))
    GTEST_SKIP() << "giflib-tools (gif2rgb, giftext) are not installed";
  TTempDir T;
  for (const fs::path& F : WriteOurs(T.Dir)) {
    SCOPED_TRACE(F.filename().string());
    int S = 0;
    const fs::path Out = T.Dir / (F.stem().string() + ".rgb");
    Shell("/usr/bin/gif2rgb -1 -o '" + Out.string() + "' '" + F.string() + "' 2>&1", &S);
    ASSERT_EQ(S, 0);
    // The screen after all frames: our frames cover it, so it is the last frame.
    TCvGIF G;
    G.LoadFromFile(F.string());
    TGIFFrame& Last = G.FrameAt(G.FrameCount() - 1);
    const TDib& B = Last.Bitmap();
    const std::vector<uint8_t> Raw = ReadFile(Out);
    ASSERT_EQ(Raw.size(), size_t(B.Width) * B.Height * 3);
    for (int32_t y = 0; y < B.Height; ++y)
      for (int32_t x = 0; x < B.Width; ++x) {
        const size_t k = (size_t(y) * B.Width + x) * 3;
        ASSERT_EQ(B.Pixel(x, y), Raw[k] | (Raw[k + 1] << 8) | (uint32_t(Raw[k + 2]) << 16));
      }
  }
  const std::string Text = Shell("/usr/bin/giftext '" + (T.Dir / "anim.gif").string() + "'");
  EXPECT_NE(Text.find("application block"), std::string::npos);
  EXPECT_NE(Text.find("DelayTime: 12"), std::string::npos);
  EXPECT_NE(Text.find("ColorResolution = 8, BitsPerPixel = 8"), std::string::npos);
  EXPECT_NE(Text.find("Image #1:\n\n\tImage Size - Left = 0, Top = 0, Width = 61, Height = 43.\n"
                      "\tImage is Non Interlaced.\n\tNo Image Color Map."),
            std::string::npos)
      << Text;
  EXPECT_NE(Text.find("Image Has Color Map."), std::string::npos);
  const std::string Tr = Shell("/usr/bin/giftext '" + (T.Dir / "transp.gif").string() + "'");
  EXPECT_NE(Tr.find("Transparency on: yes"), std::string::npos);
  EXPECT_NE(Tr.find("Transparent Index: 5"), std::string::npos);
}

TEST(GifTools, ImageMagickDecodesOurs) {
  const std::string Magick = MagickPath();
  if (Magick.empty()) GTEST_SKIP() << "ImageMagick (imagemagick) is not installed";
  TTempDir T;
  for (const fs::path& F : WriteOurs(T.Dir)) {
    SCOPED_TRACE(F.filename().string());
    TCvGIF G;
    G.LoadFromFile(F.string());
    for (int32_t i = 0; i < G.FrameCount(); ++i) {
      const fs::path Out = T.Dir / (F.stem().string() + std::to_string(i) + ".rgb");
      int S = 0;
      Shell(Magick + " '" + F.string() + "[" + std::to_string(i) + "]' -alpha off -depth 8 'rgb:" +
              Out.string() + "' 2>&1",
          &S);
      ASSERT_EQ(S, 0);
      const TDib& B = G.FrameAt(i).Bitmap();
      const std::vector<uint8_t> Raw = ReadFile(Out);
      ASSERT_EQ(Raw.size(), size_t(B.Width) * B.Height * 3);
      for (int32_t y = 0; y < B.Height; ++y)
        for (int32_t x = 0; x < B.Width; ++x) {
          const size_t k = (size_t(y) * B.Width + x) * 3;
          ASSERT_EQ(B.Pixel(x, y), Raw[k] | (Raw[k + 1] << 8) | (uint32_t(Raw[k + 2]) << 16))
              << i << ": " << x << "," << y;
        }
    }
  }
}

TEST(GifTools, TheirGifsDecodeToPillowsFrames) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  TTempDir T;
  int S = 0;
  Shell("/usr/bin/python3 " + kSupport + "pil_make.py '" + T.Dir.string() + "'", &S);
  ASSERT_EQ(S, 0);
  const std::string Magick = MagickPath();
  if (!Magick.empty()) {
    const std::string D = T.Dir.string() + "/";
    Shell(Magick + " -size 50x30 gradient:red-blue -colors 16 -interlace GIF '" + D + "m_inter.gif'");
    Shell(Magick + " -delay 20 -loop 0 -size 30x20 xc:red xc:lime xc:blue '" + D + "m_anim.gif'");
    Shell(Magick + " -size 30x20 xc:white -fill black -draw 'rectangle 5,5 20,15' -transparent white "
                 "-comment 'made by ImageMagick' '" + D + "m_transp.gif'");
  }
  int Count = 0;
  for (const auto& E : fs::directory_iterator(T.Dir))
    if (E.path().extension() == ".gif") {
      ExpectSameFrames(E.path(), T.Dir);
      ++Count;
    }
  EXPECT_GE(Count, 6);
  TCvGIF G;
  G.LoadFromFile((T.Dir / "p_anim_local.gif").string());
  EXPECT_TRUE(G.Looping);
  EXPECT_EQ(G.RepeatCount, 30000);
  EXPECT_EQ(G.FrameAt(1).Delay, 200);
  EXPECT_EQ(G.FrameAt(1).Disposal, 1);
  EXPECT_TRUE(G.FrameAt(1).LocalTable || G.FrameAt(2).LocalTable);
  G.LoadFromFile((T.Dir / "p_256_interlace.gif").string());
  EXPECT_TRUE(G.FrameAt(0).Interlaced);
  G.LoadFromFile((T.Dir / "p_transp.gif").string());
  EXPECT_NE(G.FrameAt(0).TransparentColor, clNone);
  G.LoadFromFile((T.Dir / "p_loop0.gif").string());
  EXPECT_EQ(G.RepeatCount, 0);
  EXPECT_TRUE(G.Looping);
}

TEST(GifTools, OurBitmapFilesOpenInPillow) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  TTempDir T;
  TCvGIF G;
  G.AddFrame(Noise(37, 11, 4, 16, 8));
  G.LoadFromStream(G.SaveToStream());
  WriteFile(T.Dir / "decoded.bmp", G.FrameAt(0).DecodeToDIB());
  const TDib P24 = Picture24(45, 23, 1);
  WriteFile(T.Dir / "reduced.bmp", BitmapToPaletteDIB(P24, 8, rmMedianCut));
  const TDib Expect[] = {G.FrameAt(0).Bitmap(),
                         TDib::LoadFromBmp(BitmapToPaletteDIB(P24, 8, rmMedianCut))};
  const char* Names[] = {"decoded", "reduced"};
  for (int k = 0; k < 2; ++k) {
    const fs::path Raw = T.Dir / (std::string(Names[k]) + ".rgb");
    int S = 0;
    Shell("/usr/bin/python3 -c \"from PIL import Image; import sys; "
        "open(sys.argv[2],'wb').write(Image.open(sys.argv[1]).convert('RGB').tobytes())\" '" +
            (T.Dir / (std::string(Names[k]) + ".bmp")).string() + "' '" + Raw.string() + "'",
        &S);
    ASSERT_EQ(S, 0);
    const std::vector<uint8_t> R = ReadFile(Raw);
    const TDib& B = Expect[k];
    ASSERT_EQ(R.size(), size_t(B.Width) * B.Height * 3);
    for (int32_t y = 0; y < B.Height; ++y)
      for (int32_t x = 0; x < B.Width; ++x) {
        const size_t i = (size_t(y) * B.Width + x) * 3;
        ASSERT_EQ(B.Pixel(x, y), R[i] | (R[i + 1] << 8) | (uint32_t(R[i + 2]) << 16)) << Names[k];
      }
  }
}
