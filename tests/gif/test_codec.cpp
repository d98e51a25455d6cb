// The GIF image: LZW round trips and edge cases, the written layout, reading, frames and the
// operations of the image, progress and cancel through the job.
#include <gtest/gtest.h>

#include <cstring>

#include "foundation/cvJob.h"
#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"
#include "tests/gif/support/GifSupport.h"
#include "tests/gif/support/LzwCheck.h"

using namespace giftest;

namespace {

// One frame of the picture, written and read back.
TCvGIF& RoundTrip(const TDib& D, TCvGIF& Back, std::vector<uint8_t>* Stream = nullptr) {
  TCvGIF G;
  G.AddFrame(D);
  const std::vector<uint8_t> S = G.SaveToStream();
  if (Stream) *Stream = S;
  Back.LoadFromStream(S);
  return Back;
}

std::string Str(const std::vector<uint8_t>& S, size_t At, size_t N) {
  return std::string(reinterpret_cast<const char*>(S.data()) + At, N);
}

// A GIF stream built by hand.
struct TBytes {
  std::vector<uint8_t> B;
  TBytes& Add(std::initializer_list<int> L) {
    for (int x : L) B.push_back(uint8_t(x));
    return *this;
  }
  TBytes& Text(const std::string& T) {
    B.insert(B.end(), T.begin(), T.end());
    return *this;
  }
};

// A 2 x 2 image with a 4-entry global table; its LZW data: clear, 0, 1, 2, 3, end.
TBytes SmallGif(const std::string& Version = "GIF89a") {
  TBytes T;
  T.Text(Version).Add({2, 0, 2, 0, 0x91, 0, 0});
  T.Add({0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  return T;
}
void AddImage(TBytes& T) {
  T.Add({',', 0, 0, 0, 0, 2, 0, 2, 0, 0});
  // min code size 2: codes of 3 bits: 4 (clear) 0 1 2 3 ... then 5 (end) with 4 bits after
  // entries 6, 7 make the width grow.
  T.Add({2, 3, 0x44, 0x34, 0x05, 0});
}

}  // namespace

TEST(GifLzw, RoundTripsAndEndsAtTheDecodersWidth) {
  struct TCase {
    int32_t W, H, Bits;
    uint32_t Colours;
  } Cases[] = {{1, 1, 8, 256},  {1, 1, 1, 2},     {1, 37, 8, 5},    {37, 1, 4, 16},
               {13, 7, 1, 2},   {31, 5, 1, 2},    {17, 9, 4, 16},   {33, 3, 4, 11},
               {300, 300, 8, 256}, {257, 3, 8, 256}, {1, 700, 1, 2}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.W) + "x" + std::to_string(C.H) + "/" + std::to_string(C.Bits));
    const TDib D = Noise(C.W, C.H, C.Bits, C.Colours, uint32_t(C.W * 31 + C.H));
    TCvGIF Back;
    RoundTrip(D, Back);
    ASSERT_EQ(Back.FrameCount(), 1);
    TGIFFrame& F = Back.FrameAt(0);
    EXPECT_FALSE(F.Corrupted);
    EXPECT_EQ(F.Item->Encoded[0], C.Bits == 1 ? 2 : C.Bits);
    EXPECT_EQ(CheckLzw(F.Item->Encoded, int64_t(C.W) * C.H), "");
    std::string Why;
    EXPECT_TRUE(SameColours(F.Bitmap(), D, &Why)) << Why;
  }
}

TEST(GifLzw, EveryCodeWidthBoundaryAtTheEnd) {
  // Small random pictures: their last data code lands on each width boundary many times; a
  // standard decoder must find the end code after the last pixel.
  std::mt19937 R(7);
  for (int n = 0; n < 3000; ++n) {
    const int32_t Bits = (n % 3 == 0) ? 1 : (n % 3 == 1 ? 4 : 8);
    const uint32_t Colours = 2 + R() % ((1u << Bits) - 1);
    const TDib D = Noise(1 + int32_t(R() % 48), 1 + int32_t(R() % 12), Bits, Colours, R());
    TCvGIF G;
    G.AddFrame(D);
    G.SaveToStream();
    const std::vector<uint8_t>& E = G.FrameAt(0).Item->Encoded;
    const std::string Why = CheckLzw(E, int64_t(D.Width) * D.Height);
    ASSERT_EQ(Why, "") << n;
    TCvGIF Back;
    Back.LoadFromStream(G.SaveToStream());
    ASSERT_TRUE(SameColours(Back.FrameAt(0).Bitmap(), D)) << n;
  }
}

TEST(GifLzw, ClearsAtCode4094ManyTimes) {
  const TDib D = Noise(1024, 200, 8, 256, 3);
  TCvGIF G;
  G.AddFrame(D);
  G.SaveToStream();
  std::vector<uint8_t> Px;
  EXPECT_EQ(CheckLzw(G.FrameAt(0).Item->Encoded, 1024 * 200, &Px), "");
  for (int32_t i = 0; i < 1024 * 200; i += 997) EXPECT_EQ(Px[size_t(i)], D.Index(i % 1024, i / 1024));
}

TEST(GifWrite, LayoutOfOneAndTwoFrames) {
  TCvGIF G;
  G.AddFrame(Picture24(40, 30, 0));
  G.SetLooping(true);
  std::vector<uint8_t> S = G.SaveToStream();
  EXPECT_EQ(Str(S, 0, 6), "GIF87a");
  EXPECT_EQ(S[10], 0x80 | (7 << 4) | 7);  // global table of 256, resolution 8
  EXPECT_EQ(S[13 + 768], ',');            // no looping extension for one frame
  const size_t Desc = 13 + 768;
  EXPECT_EQ(S[Desc + 9], 0);              // no local table, not interlaced
  EXPECT_EQ(S[Desc + 10], 8);             // minimum code size
  EXPECT_EQ(S.back(), ';');

  G.AddFrame(Picture24(40, 30, 3));
  G.SetRepeatCount(1000);
  S = G.SaveToStream();
  EXPECT_EQ(Str(S, 0, 6), "GIF89a");
  const uint8_t Loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                          'E',  '2',  '.',  '0', 3,   1,   0xE8, 0x03, 0};
  EXPECT_EQ(std::memcmp(S.data() + 13 + 768, Loop, 19), 0);
  TCvGIF Back;
  Back.LoadFromStream(S);
  ASSERT_EQ(Back.FrameCount(), 2);
  EXPECT_FALSE(Back.FrameAt(0).LocalTable);
  EXPECT_TRUE(Back.FrameAt(1).LocalTable);
  EXPECT_TRUE(Back.Looping);
  EXPECT_EQ(Back.RepeatCount, 1000);
}

TEST(GifWrite, TablesDelaysTransparencyAndComments) {
  {  // 1 and 4 bits: minimum code sizes 2 and 4, tables of 2 and 16
    for (int32_t Bits : {1, 4}) {
      TCvGIF G, Back;
      std::vector<uint8_t> S;
      RoundTrip(Noise(9, 5, Bits, 1u << Bits, 1), Back, &S);
      EXPECT_EQ(S[10], 0x80 | ((Bits - 1) << 4) | (Bits - 1));
      EXPECT_EQ(S[13 + 3 * (1 << Bits) + 10], Bits == 1 ? 2 : 4);
    }
  }
  TCvGIF G;
  G.AddFrame(Noise(8, 8, 8, 256, 2));
  G.SetFrameDelay(G.FrameAt(0), 125);
  G.FrameAt(0).TransparentColor = 0x123456;  // not in the table
  G.Data->Comment = {std::string(300, 'c')};
  const std::vector<uint8_t> S = G.SaveToStream();
  EXPECT_EQ(Str(S, 0, 6), "GIF89a");
  const size_t Gce = 13 + 768;
  EXPECT_EQ(S[Gce], 0x21);
  EXPECT_EQ(S[Gce + 1], 0xF9);
  EXPECT_EQ(S[Gce + 3] & 1, 0);   // transparency flag clear
  EXPECT_EQ(S[Gce + 4], 12);      // 125 ms as 12 hundredths
  // The image comment: one sub-block of 255 bytes before the trailer.
  EXPECT_EQ(S[S.size() - 1 - 1 - 255 - 1 - 2], 0x21);
  EXPECT_EQ(S[S.size() - 1 - 1 - 255 - 1], 255);
  TCvGIF Back;
  Back.LoadFromStream(S);
  EXPECT_EQ(Back.FrameAt(0).Delay, 120);
  EXPECT_EQ(Back.FrameAt(0).TransparentColor, clNone);
  ASSERT_EQ(Back.Data->Comment.size(), 1u);
  EXPECT_EQ(Back.Data->Comment[0].size(), 255u);
  // A colour of the table becomes the transparent index.
  G.FrameAt(0).TransparentColor = G.FrameAt(0).Item->Table.Color(77);
  TCvGIF Back2;
  Back2.LoadFromStream(G.SaveToStream());
  EXPECT_EQ(Back2.FrameAt(0).TransparentColor, G.FrameAt(0).Item->Table.Color(77));
}

TEST(GifRead, HeadersExtensionsAndDamage) {
  {  // signature and version ignore case; "90a" is not a GIF
    TBytes T = SmallGif("gif89A");
    AddImage(T);
    T.Add({';'});
    TCvGIF G;
    G.LoadFromStream(T.B);
    ASSERT_EQ(G.FrameCount(), 1);
    EXPECT_EQ(G.Version, 2);
    EXPECT_EQ(G.FrameAt(0).Bitmap().Index(1, 1), 3u);
    EXPECT_FALSE(G.FrameAt(0).Corrupted);
    TBytes Bad = SmallGif("GIF90a");
    EXPECT_THROW(G.LoadFromStream(Bad.B), EInvalidGraphicOperation);
  }
  {  // two frames, a control extension before the second, looping count 0
    TBytes T = SmallGif();
    T.Add({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Add({3, 1, 0, 0, 0});
    AddImage(T);
    T.Add({0x21, 0xF9, 4, 1, 5, 0, 3, 0});
    AddImage(T);
    T.Add({';'});
    TCvGIF G;
    G.LoadFromStream(T.B);
    ASSERT_EQ(G.FrameCount(), 2);
    EXPECT_TRUE(G.Looping);
    EXPECT_EQ(G.RepeatCount, 0);
    EXPECT_EQ(G.FrameAt(1).Delay, 50);
    EXPECT_EQ(G.FrameAt(1).TransparentColor, G.Data->Global.Color(3));
    EXPECT_EQ(G.FrameAt(0).TransparentColor, clNone);
  }
  {  // a delay beyond 16 bits of milliseconds stays at the largest, it does not wrap
    TBytes T = SmallGif();
    T.Add({0x21, 0xF9, 4, 0, 0x58, 0x1B, 0, 0});  // 7000 hundredths
    AddImage(T);
    T.Add({';'});
    TCvGIF G;
    G.LoadFromStream(T.B);
    EXPECT_EQ(G.FrameAt(0).Delay, 65535);
  }
  {  // looping 40000 gives 30000; junk instead of the trailer; junk after the table
    TBytes T = SmallGif();
    T.Add({0x21, 0xFF, 11}).Text("ANIMEXTS1.0").Add({3, 1, 0x40, 0x9C, 0});
    AddImage(T);
    T.Add({'x', 'y'});
    TCvGIF G;
    G.LoadFromStream(T.B);
    EXPECT_EQ(G.RepeatCount, 30000);
    EXPECT_EQ(G.FrameCount(), 1);
    TBytes J = SmallGif();
    J.Add({'x'});
    AddImage(J);
    G.LoadFromStream(J.B);
    EXPECT_EQ(G.FrameCount(), 0);
  }
  {  // data cut inside a sub-block: corrupted, the pixels that are there
    const TDib D = Noise(64, 64, 8, 256, 9);
    TCvGIF G;
    G.AddFrame(D);
    std::vector<uint8_t> S = G.SaveToStream();
    S.resize(S.size() / 2);
    TCvGIF Back;
    Back.LoadFromStream(S);
    ASSERT_EQ(Back.FrameCount(), 1);
    EXPECT_TRUE(Back.FrameAt(0).Corrupted);
    const TDib& B = Back.FrameAt(0).Bitmap();
    for (int32_t x = 0; x < 64; ++x) EXPECT_EQ(B.Index(x, 0), D.Index(x, 0));
  }
  {  // an unknown extension names its label; absurd sizes are refused
    TBytes T = SmallGif();
    T.Add({0x21, 0x33, 0});
    TCvGIF G;
    try {
      G.LoadFromStream(T.B);
      FAIL();
    } catch (const EInvalidGraphicOperation& X) {
      EXPECT_NE(std::string(X.what()).find("0x33"), std::string::npos) << X.what();
    }
    TBytes Big = SmallGif();
    Big.Add({',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0});
    EXPECT_THROW(G.LoadFromStream(Big.B), EInvalidGraphicOperation);
    // The screen is a size only: the largest reads (no frames).
    TBytes Screen;
    Screen.Text("GIF89a").Add({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, ';'});
    EXPECT_NO_THROW(G.LoadFromStream(Screen.B));
    EXPECT_EQ(G.ScreenWidth, 65535);
    EXPECT_EQ(G.FrameCount(), 0);
  }
  {  // interlaced rows go to their passes
    const TDib D = Noise(5, 11, 8, 256, 4);
    TCvGIF G;
    G.AddFrame(D);
    G.SaveToStream();
    // Re-encode the rows in interlaced order by hand: rows 0,8,4,2,6,10,1,3,5,7,9.
    TDib I(5, 11, 8);
    I.Palette = D.Palette;
    const int Order[] = {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
    for (int r = 0; r < 11; ++r)
      for (int x = 0; x < 5; ++x) I.SetIndex(x, r, D.Index(x, Order[r]));
    TCvGIF H;
    H.AddFrame(I);
    H.SaveToStream();
    H.FrameAt(0).Interlaced = true;
    TCvGIF Back;
    Back.LoadFromStream(H.SaveToStream());
    EXPECT_TRUE(Back.FrameAt(0).Interlaced);
    EXPECT_TRUE(SameColours(Back.FrameAt(0).Bitmap(), D));
  }
}

TEST(GifImage, FramesVersionsAndAssignment) {
  TCvGIF G;
  int Changes = 0;
  G.OnChange = [&] { ++Changes; };
  EXPECT_EQ(G.GetWidth(), 0);
  G.SetRepeatCount(40000);
  EXPECT_EQ(G.RepeatCount, 30000);
  G.SetRepeatCount(1000);
  EXPECT_EQ(G.RepeatCount, 1000);
  const int Before = Changes;
  G.SetRepeatCount(1000);
  EXPECT_EQ(Changes, Before);
  EXPECT_THROW(G.SetWidth(5), EInvalidGraphicOperation);
  EXPECT_THROW(G.SetHeight(5), EInvalidGraphicOperation);
  EXPECT_TRUE(G.GetPalette().empty());  // no frames: no palette

  EXPECT_EQ(G.AddFrame(Picture24(10, 6, 0)), 0);
  // the palette of the frame's bitmap, as read back from a stream
  TCvGIF Read;
  RoundTrip(Picture24(10, 6, 0), Read);
  EXPECT_EQ(Read.GetPalette().size(), Read.Bitmap().Palette.size());
  EXPECT_FALSE(Read.GetPalette().empty());
  EXPECT_EQ(G.Version, 1);
  EXPECT_EQ(G.CurrentFrame, 0);
  EXPECT_EQ(G.GetWidth(), 10);
  G.SetFrameDelay(G.FrameAt(0), 0);
  EXPECT_EQ(Changes, Before);
  EXPECT_EQ(G.Version, 1);
  G.SetFrameDelay(G.FrameAt(0), 100);
  EXPECT_EQ(G.Version, 2);
  EXPECT_FALSE(G.GetTransparent());
  EXPECT_EQ(G.AddFrame(Picture24(12, 5, 1)), 1);
  EXPECT_EQ(G.ScreenWidth, 12);
  EXPECT_EQ(G.ScreenHeight, 6);

  TCvGIF Copy;
  Copy.Assign(G);
  EXPECT_TRUE(Copy.Equals(G));
  Copy.LoadFromStream(G.SaveToStream());
  EXPECT_FALSE(Copy.Equals(G));

  // A frame of one image assigned to another: one frame, the global table, a local table.
  TCvGIF One;
  One.Assign(Copy.FrameAt(0));
  EXPECT_EQ(One.FrameCount(), 1);
  EXPECT_TRUE(One.FrameAt(0).LocalTable);
  EXPECT_EQ(One.Data->Global.Count, Copy.Data->Global.Count);
  EXPECT_EQ(std::memcmp(&One.Data->Global.Entries, &Copy.Data->Global.Entries, 768), 0);
  TCvGIF Back;
  Back.LoadFromStream(One.SaveToStream());
  EXPECT_TRUE(SameColours(Back.FrameAt(0).Bitmap(), Copy.FrameAt(0).Bitmap()));

  // A transparent picture gives its colour to the frame.
  TDib T = Picture24(6, 6, 0);
  T.Transparent = true;
  TCvGIF TG;
  TG.AddFrame(T);
  EXPECT_EQ(TG.FrameAt(0).TransparentColor, T.Pixel(0, 5));
  EXPECT_TRUE(TG.GetTransparent());
  TG.Transparent = false;
  EXPECT_FALSE(TG.GetTransparent());

  TCvGIF E;
  TDib& B = E.Bitmap();
  EXPECT_TRUE(B.Empty());
  EXPECT_EQ(E.FrameCount(), 1);
  EXPECT_THROW(E.SaveToStream(), EInvalidGraphicOperation);  // a frame without a picture
  TCvGIF None;
  EXPECT_THROW(None.SaveToStream(), EInvalidGraphicOperation);

  // Size prefix of the property streaming and the clipboard.
  const std::vector<uint8_t> P = G.WriteData();
  EXPECT_EQ(P[0] | (P[1] << 8) | (P[2] << 16) | (P[3] << 24), int(P.size() - 4));
  TCvGIF R;
  R.ReadData(P);
  EXPECT_EQ(R.FrameCount(), 2);
  const TCvGIF::TClipboardData C = G.SaveToClipboardFormat();
  TCvGIF Clip;
  Clip.LoadFromClipboardFormat(&C.GifImage, &C.Bitmap);
  EXPECT_EQ(Clip.FrameCount(), 2);
  EXPECT_TRUE(SameColours(Clip.Bitmap(), C.Bitmap));
}

TEST(GifJob, ProgressAndCancel) {
  std::vector<TGIFProgressStage> Stages;
  std::vector<std::string> Texts;
  TCvGIF G;
  G.OnProgress = [&](TGIFProgressStage S, int32_t, const std::string& M) {
    Stages.push_back(S);
    Texts.push_back(M);
  };
  G.AddFrame(Noise(50, 50, 8, 256, 5));
  TJob Job("gif");
  std::vector<int64_t> Done;
  Job.OnProgress = [&](const TJobProgress& P) { Done.push_back(P.Done); };
  ASSERT_TRUE(RunJob(Job, [&](TJob&) { G.SaveToStream(); }));
  ASSERT_GE(Stages.size(), 3u);
  EXPECT_EQ(Stages.front(), TGIFProgressStage::Starting);
  EXPECT_EQ(Stages.back(), TGIFProgressStage::Ending);
  EXPECT_EQ(Done.back(), 100);

  // Cancelled while encoding: the frame keeps no encoded data, the image is as it was.
  TCvGIF H;
  H.AddFrame(Noise(50, 50, 8, 256, 6));
  TJob Cancel("gif");
  Cancel.OnProgress = [&](const TJobProgress& P) {
    if (P.Done > 10) Cancel.Cancel();
  };
  std::string Last;
  int32_t LastPercent = -1;
  H.OnProgress = [&](TGIFProgressStage S, int32_t P, const std::string& M) {
    if (S == TGIFProgressStage::Ending) Last = M, LastPercent = P;
  };
  EXPECT_FALSE(RunJob(Cancel, [&](TJob&) { H.SaveToStream(); }));
  EXPECT_FALSE(H.FrameAt(0).HasEncoded());
  EXPECT_EQ(H.Data->Global.Count, 0u);
  EXPECT_EQ(Last, EGraphicAbort().what());
  EXPECT_EQ(LastPercent, 0);
  H.OnProgress = nullptr;
  // Written afterwards it is whole.
  TCvGIF Back;
  Back.LoadFromStream(H.SaveToStream());
  EXPECT_TRUE(SameColours(Back.FrameAt(0).Bitmap(), H.FrameAt(0).Bitmap()));
}
