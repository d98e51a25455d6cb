// Profile pictures of the CoPi tab without the window: the description's layout (margins, tile
// overlap, "O" and "M" scales, half spans, the frame count from the last lookup), its refusals,
// the number fields with counts below 1, the view and screen calibration, colour texts, the
// description file's temporary copy, and the CORA GIF (delay range, loops, a cancel that leaves
// the file as it was).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/variator/cvVari.h"
#include "platform/Canvas.h"
#include "plotting/gif/cvDib.h"
#include "plotting/gif/cvGIF.h"
#include "support/SynEnv.h"
#include "support/TestSupport.h"
#include "synthesis/pictures/cvCoPi.h"

namespace {

using testsupport::SynEnv;

template <class F>
std::string FatalText(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

struct CoPiMade : ::testing::Test {
  SynEnv env;
  TVARIATOR v{"pair", 1};
  TCoPiSpec S;
  void SetUp() override {
    v.AddP("#LIN FE6301 FE6302");
    v.AddP("#H 0 1000 2000");
    S.Quest = "pair";
    S.IQ = 1;
    S.NUnno = 6;
    S.StoPar = {"RI", "", "", "", "", "", "", ""};
    S.Rows = {{"#LIN", 'Y'}, {"#H", 'X'}};
    S.NX = 3;
    S.NY = 2;
  }
  // The words of line I of the description.
  std::vector<std::string> W(const TStringList& L, int I) {
    std::vector<std::string> w;
    for (int32_t k = 1; k <= WordCount(L[I]); ++k) w.push_back(WordN(L[I], k));
    return w;
  }
};

TEST_F(CoPiMade, GridOfPlotsInFractionsOfTheWindow) {
  auto L = MadePict(S, v);
  ASSERT_EQ(L->Count(), 7);
  EXPECT_EQ((*L)[0].substr(0, 22), "6 O 1 100 $FF $FFFF ! ");
  // 3 columns, 2 rows over 96 % of the field: plots 32 x 48; LIN steps the rows
  const std::string first = (*L)[1];
  EXPECT_EQ(first.substr(0, 40), "O pair.1   1 RI    0   2  34  50  98 240");
  EXPECT_NE(first.find(" 100 $FFFF   1 #LIN=FE6301 #H=0"), std::string::npos) << first;
  EXPECT_EQ(W(*L, 3)[2], "3");
  EXPECT_EQ(W(*L, 3)[5], "66");  // X1 of the third column
  EXPECT_EQ(W(*L, 4)[2], "4");
  EXPECT_EQ(W(*L, 4)[7], "2");   // the second row at the bottom: Y1 bottom in "O"
  EXPECT_EQ(W(*L, 4)[8], "50");
}

TEST_F(CoPiMade, LayoutCases) {
  struct {
    int32_t NX;
    double Tile, Gap;
    char Scale;
    const char* X1;  // field 6 of the first and of the second plot, as written
    const char* X2;
    const char* X1b;
    const char* Y1;
    const char* Y2;
  } cases[] = {
      {1, 100, 2, 'O', "  2", " 98", "", "  2", " 98"},
      // three plots each overlapping half of the next: DX 200, PW = UW/2, SX = UW/4
      {3, 50, 2, 'O', "  2", " 50", " 26", "  2", " 98"},
      // millimetres: Y1 is the top
      {1, 100, 5, 'M', "  5", " 95", "", " 95", "  5"},
  };
  for (const auto& c : cases) {
    S.NX = c.NX;
    S.NY = 1;
    S.TileX = c.Tile;
    S.GapX = S.GapY = c.Gap;
    S.Scale = c.Scale;
    S.Rows = {{"#H", 'X'}};
    auto L = MadePict(S, v);
    ASSERT_GE(L->Count(), 2);
    const std::string l = (*L)[1];
    // fields 6..9 stand at fixed places after "O pair.1   1 RI    0 "
    EXPECT_EQ(l.substr(21, 3), c.X1) << c.NX << c.Scale;
    EXPECT_EQ(l.substr(25, 3), c.X2) << c.NX << c.Scale;
    EXPECT_EQ(l.substr(29, 3), c.Y1) << c.NX << c.Scale;
    EXPECT_EQ(l.substr(33, 3), c.Y2) << c.NX << c.Scale;
    if (*c.X1b) {
      EXPECT_EQ((*L)[3].substr(21, 3), c.X1b);
    }
  }
}

TEST_F(CoPiMade, StokesHalfSpansFramesAndQuantityWidth) {
  // H on the frames, LIN on the rows, RI and RV side by side
  S.Rows = {{"#LIN", 'Y'}, {"#H", 'T'}};
  S.StoPar = {"RI", "RV", "", "", "", "", "", ""};
  S.NPar = 2;
  S.StokesAxis = 'X';
  S.NX = 2;
  S.NY = 2;
  S.NT = 3;
  S.dT = 250;
  auto L = MadePict(S, v);
  ASSERT_EQ(L->Count(), 13);
  // 12 plots, frames (6 * 2) div (2 * 2 * 1 * 1) = 3
  EXPECT_EQ(W(*L, 0)[0], "12");
  EXPECT_EQ(W(*L, 0)[2], "3");
  EXPECT_EQ(W(*L, 0)[3], "250");
  int rv = 0;
  for (int i = 1; i < L->Count(); ++i) {
    const auto w = W(*L, i);
    EXPECT_EQ(w[10], w[3] == "RV" ? "50" : "100") << (*L)[i];
    rv += w[3] == "RV";
    EXPECT_EQ(ValIntOr0(w[12]), (i - 1) / 4 + 1) << (*L)[i];  // frame = H index
  }
  EXPECT_EQ(rv, 6);
  EXPECT_EQ((*L)[1].substr(13, 4), "RI  ");
  // no axis letters: every plot takes all combinations (L = 6)
  S.Rows.clear();
  S.StokesAxis = ' ';
  S.NX = S.NY = S.NT = 1;
  L = MadePict(S, v);
  EXPECT_EQ(L->Count(), 7);
  EXPECT_EQ(W(*L, 0)[2], "2");  // (6 * 2) div 6
}

TEST_F(CoPiMade, RefusalsThroughTheFatalPath) {
  S.DI = 0;
  EXPECT_EQ(TrimCtl(FatalText([&] { MadePict(S, v); })),
            "Размах графика по шкале инт-тей не должен быть нулевым!"_cp);
  S.DI = 100;
  S.Scale = 'P';
  EXPECT_EQ(TrimCtl(FatalText([&] { MadePict(S, v); })), "Для типа графика [P] надо ДОПИСАТЬ!"_cp);
}

TEST(CoPiFields, CountsBelowOneAndBadNumbersNameTheirField) {
  const std::vector<std::string> good = {"3",  "2",  "1",   "1", "100", "100", "100",
                                         "2",  "2",  "100", "100", "240", "0", "100"};
  TCoPiSpec S;
  EXPECT_EQ(CoPiReadFields(good, S), -1);
  EXPECT_EQ(S.NX, 3);
  EXPECT_EQ(S.DLMax, 240);
  struct {
    int i;
    const char* text;
  } bad[] = {{0, "0"}, {1, "-2"}, {2, "x"}, {3, ""}, {4, "1.5"}, {9, "a"}, {13, "1e"}};
  for (const auto& b : bad) {
    std::vector<std::string> t = good;
    t[static_cast<size_t>(b.i)] = b.text;
    EXPECT_EQ(CoPiReadFields(t, S), b.i) << b.text;
  }
  EXPECT_EQ(CoPiCountMessage(3),
            "Число графиков по оси T в поле edCOPInT должно быть целым числом не меньше 1!"_cp);
}

TEST(CoPiCalibration, ViewSizeAndScreen) {
  TViewCalib C;
  C.ScreenMX = "414";
  C.ScreenMY = "256";
  C.ScreenPX = "1440";
  C.ScreenPY = "920";
  C.ViewOX = "50";
  C.ViewOY = "x";
  C.ViewMX = "100";
  C.ViewMY = "100";
  C.W = 800;
  C.H = 600;
  TViewCalibDone D = CalcViewSize(C);
  EXPECT_EQ(D.Error, "");
  EXPECT_TRUE(D.OYReset);
  EXPECT_EQ(D.PX, "400");
  EXPECT_EQ(D.PY, "600");
  EXPECT_EQ(D.MX, "115");     // 414 * 800 * 0.5 / 1440
  EXPECT_EQ(D.MY, "167");     // 256 * 600 / 920
  // mm typed: the percentage follows
  C.MXActive = true;
  C.ViewMX = "207";
  D = CalcViewSize(C);
  EXPECT_EQ(D.OX, "90");
  EXPECT_EQ(D.PX, "720");
  C.ScreenPY = "9x";
  EXPECT_EQ(CalcViewSize(C).Error, "Ошибка в числе в поле edScreen_PY"_cp);
  std::string inch, mx, my, err;
  ASSERT_TRUE(ScreenInchOf("414", "256", inch, err));
  EXPECT_EQ(inch, "19.16");
  ASSERT_TRUE(ScreenMMOf("1440", "900", "17", mx, my, err));
  EXPECT_EQ(mx, "366.2");
  EXPECT_EQ(my, "228.9");
  EXPECT_FALSE(ScreenMMOf("1440", "900", "0", mx, my, err));
  EXPECT_EQ(err, "Ошибка в поле edScreenInch"_cp);
}

TEST(CoPiColours, WindowsColourNumbersAsHex) {
  EXPECT_EQ(ColorHexText(0xFF0000), "$FF0000");  // blue
  EXPECT_EQ(ColorHexText(0xFF), "$FF");          // red
  EXPECT_EQ(ColorHexText(0), "$0");
}

TEST(CoPiFiles, DescriptionWrittenThroughATemporaryCopy) {
  testsupport::TempDir dir;
  const std::string f = dir.str() + "/PIC/sub/pair.pic";
  TStringList L;
  L.Add("1 O 1 100 $FF $FFFF ! Число"_cp);
  L.Add("O pair.1   1 RI ");
  ASSERT_TRUE(WriteDescFile(L, f));
  EXPECT_EQ(testsupport::ReadFile(f), "1 O 1 100 $FF $FFFF ! Число\r\nO pair.1   1 RI \r\n");
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.str() + "/PIC/sub")) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

std::vector<TDib> Frames(int n) {
  std::vector<TDib> out;
  for (int k = 0; k < n; ++k) {
    platform::TBitmap B(40, 30);
    B.Canvas().Brush.Color = k % 2 ? 0xFF0000 : 0x00FF00;
    B.Canvas().FillRect(TRect{0, 0, 40, 30});
    out.push_back(TDib::FromBitmap(B));
  }
  return out;
}

TEST(CoraGif, FramesDelayLoopsAndCancel) {
  testsupport::TempDir dir;
  const std::string f = dir.str() + "/GIF/pair.gif";
  EXPECT_EQ(GifFrameOrder(3), (std::vector<int32_t>{1, 2, 3, 3, 2, 1}));
  EXPECT_EQ(GifFrameOrder(1), (std::vector<int32_t>{1, 1}));
  TJob job("gif");
  ASSERT_TRUE(SaveFramesGIF(job, Frames(6), 300, 1000, f));
  TCvGIF G;
  G.LoadFromFile(f);
  EXPECT_EQ(G.FrameCount(), 6);
  EXPECT_TRUE(G.Looping);
  EXPECT_EQ(G.RepeatCount, 1000);
  EXPECT_EQ(G.FrameAt(0).Delay, 300);
  const std::string before = testsupport::ReadFile(f);
  // a delay a GIF cannot hold: refused, the file as it was
  EXPECT_NE(FatalText([&] { SaveFramesGIF(job, Frames(2), 70000, 1000, f); }), "");
  EXPECT_NE(GifDelayProblem(65536), "");
  EXPECT_EQ(GifDelayProblem(65535), "");
  EXPECT_NE(TimerIntervalProblem(0), "");
  // cancelled: no new file, no temporary copy
  TJob cancelled("gif");
  cancelled.Cancel();
  EXPECT_FALSE(SaveFramesGIF(cancelled, Frames(4), 100, 1000, f));
  EXPECT_EQ(testsupport::ReadFile(f), before);
  const std::string fresh = dir.str() + "/GIF/none.gif";
  EXPECT_FALSE(SaveFramesGIF(cancelled, Frames(4), 100, 1000, fresh));
  EXPECT_FALSE(std::filesystem::exists(fresh));
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.str() + "/GIF")) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
  // an independent reader agrees on frames and loops
  if (std::system("command -v giftext >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "giftext is not installed: the independent check is skipped";
  }
  const std::string t = testsupport::RunShell("giftext '" + f + "' 2>&1");
  size_t images = 0;
  for (size_t p = t.find("Image #"); p != std::string::npos; p = t.find("Image #", p + 1)) ++images;
  EXPECT_EQ(images, 6u) << t;
  EXPECT_NE(t.find("DelayTime: 30"), std::string::npos) << t;  // hundredths of a second
}

}  // namespace
