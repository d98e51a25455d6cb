// The journey through the harness: an animated GIF of three drawn pictures with 250 ms delays
// and looping, then the frame list of it, of a damaged copy and of a file that is no GIF.
#include <gtest/gtest.h>

#include "plotting/gif/cvGIF.h"
#include "tests/gif/support/GifSupport.h"

using namespace giftest;

TEST(GifJourney, WriteAnAnimationAndListItsFrames) {
  TTempDir T;
  const std::string Out = (T.Dir / "film.gif").string();
  int S = -1;
  Shell(std::string(CORVESTA_BATCH) + " gif-demo '" + Out + "' 2>/dev/null", &S);
  ASSERT_EQ(S, 0);
  TCvGIF G;
  G.LoadFromFile(Out);
  ASSERT_EQ(G.FrameCount(), 3);
  EXPECT_TRUE(G.Looping);
  EXPECT_EQ(G.RepeatCount, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(G.FrameAt(i).Delay, 250);
  EXPECT_FALSE(SameColours(G.FrameAt(0).Bitmap(), G.FrameAt(1).Bitmap()));

  const std::string List = Shell(std::string(CORVESTA_BATCH) + " gif-list '" + Out + "'", &S);
  EXPECT_EQ(S, 0);
  EXPECT_NE(List.find("version 89a, screen 160 x 120, global table 256, frames 3, looping 0"),
            std::string::npos)
      << List;
  EXPECT_NE(List.find("frame 2: 160 x 120 at 0,0, local table 256, delay 250 ms, transparent none, "
                      "disposal 0, interlaced no, corrupted no"),
            std::string::npos)
      << List;

  std::vector<uint8_t> Bytes = ReadFile(Out);
  Bytes.resize(Bytes.size() - 200);
  WriteFile(T.Dir / "cut.gif", Bytes);
  const std::string Cut = Shell(std::string(CORVESTA_BATCH) + " gif-list '" +
                                (T.Dir / "cut.gif").string() + "'", &S);
  EXPECT_EQ(S, 0);
  EXPECT_NE(Cut.find("frame 3: 160 x 120 at 0,0, local table 256, delay 250 ms, transparent none, "
                     "disposal 0, interlaced no, corrupted yes"),
            std::string::npos)
      << Cut;

  WriteFile(T.Dir / "not.gif", {'G', 'I', 'F', '9', '0', 'a'});
  const std::string Not = Shell(std::string(CORVESTA_BATCH) + " gif-list '" +
                                (T.Dir / "not.gif").string() + "' 2>&1", &S);
  EXPECT_EQ(S, 1);
  EXPECT_NE(Not.find("Not a GIF file"), std::string::npos) << Not;
}
