// The pictures through the harness on a copy of the demo project: the quest "pair" run and its
// description PIC\pair.pic drawn frame by frame (and its "#SG" twin in the quest's control
// file), the Zeeman test of the bundled control file, HSRA's temperature from the "#MG" sample
// and the Milne-Eddington test profile; each writes its picture as a GIF.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

struct TDemoCopy {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TDemoCopy() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  TRun Run(const std::string& Args) {
    return testsupport::RunBatch(Args.substr(0, Args.find(' ')) + " --project '" + dir + "'" +
                                 Args.substr(Args.find(' ')));
  }
};

size_t Count(const std::string& Text, const std::string& Part) {
  size_t n = 0;
  for (size_t p = Text.find(Part); p != std::string::npos; p = Text.find(Part, p + 1)) ++n;
  return n;
}

TEST(PicturesJourney, PairQuestAnimatedFromItsDescription) {
  TDemoCopy d;
  const std::string gif = d.tmp.file("pair.gif");
  const TRun r = d.Run("cora --out '" + gif + "' pair");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("quest pair profiles 6"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("frames 3 interval 300 kind O plots 4 4 4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("label 0/3"), std::string::npos);
  EXPECT_NE(r.out.find("timer 1/3 2/3 3/3 3/3 2/3 1/3 1/3 2/3"), std::string::npos) << r.out;
  // the GIF of the tab: frames 1..3 and 3..1, 4 plots each, every one drawn from 61 points
  EXPECT_EQ(Count(r.out, " points 61\n"), 24u) << r.out;
  EXPECT_EQ(Count(r.out, "empty:"), 0u);
  EXPECT_NE(r.out.find("frame 3 plot O pair.1 K6 RV view O 52 95 5 48 px"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("gif " + gif + " frames 6"), std::string::npos);
  const TRun list = testsupport::RunBatch("gif-list '" + gif + "'");
  EXPECT_EQ(list.status, 0) << list.out;

  // one frame on its own, and the "#SG" twin of the control file in its 'X' cells
  const TRun one = d.Run("cora --frame 2 pair");
  ASSERT_EQ(one.status, 0) << one.out;
  EXPECT_NE(one.out.find("label 2/3"), std::string::npos);
  EXPECT_EQ(Count(one.out, " points 61\n"), 4u) << one.out;
  const TRun sg = d.Run("sg --frame 3 ONE/pair.DAT");
  ASSERT_EQ(sg.status, 0) << sg.out;
  EXPECT_NE(sg.out.find("frame 3 plot O pair.1 K3 RI view X 5 47.8571 95 52.1429"), std::string::npos)
      << sg.out;
  EXPECT_NE(sg.out.find("frame 3 plot O pair.1 K6 RV view X 52.1429 95 47.8571 5"), std::string::npos)
      << sg.out;
  EXPECT_EQ(Count(sg.out, " points 61\n"), 4u) << sg.out;
}

TEST(PicturesJourney, BadPlotsAreReportedTheOthersDrawn) {
  TDemoCopy d;
  testsupport::WriteFile(d.dir + "/PIC/bad.pic",
                         "3 O 1 100 15 7 ! ЧислоКонтуров\n"
                         "O pair.1 1 RI 0 5 45 5 95 300 100 0 1\n"
                         "O pair.1 7 RI 0 55 95 5 45 300 100 0 1\n"
                         "O pair.1 2 XY 0 55 95 55 95 300 100 0 1\n");
  const TRun r = d.Run("cora bad");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Count(r.out, " points 61\n"), 1u) << r.out;
  EXPECT_NE(r.out.find("K7 RI view O 55 95 5 45 px"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("в наборе pair.1 не существует!"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("PAR=XY"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("timer stopped at frame 1"), std::string::npos) << r.out;
  // a reader error names the file, the line and the word
  testsupport::WriteFile(d.dir + "/PIC/bad.pic", "1 O 1 100 15 7\nO pair.1 1 RI 0 5 4x5 5 95 300 100 0 1\n");
  const TRun e = d.Run("cora bad");
  EXPECT_EQ(e.status, 1);
  EXPECT_NE(e.out.find("bad.pic, строка 2, слово <4x5>"), std::string::npos) << e.out;
}

TEST(PicturesJourney, ZeemanTestOfTheBundledControlFile) {
  TDemoCopy d;
  const std::string gif = d.tmp.file("zee.gif");
  const TRun r = d.Run("zee-test --in-row x --out '" + gif + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* part : {"JL= 2.0 LL= 1.0 SL= 2.0 GL= 11/6", "JU= 2.0 LU= 2.0 SU= 2.0 GU= 3/2",
                           "   G_eff =  1.66667", "   G_eff =  2.50000", " 13,11,9,7, /6",
                           "layout 4 x 4 pen 4 hfs -30 .. 30", "panel 4 hfs 5"})
    EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
  // the report file of ("ZEE", "RES") and the control file taken over from the application root
  EXPECT_NE(testsupport::ReadFile(d.dir + "/RES/ZEE.res").find("G_eff =  2.50000"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(d.dir + "/ONE/ZEE.dat"));
  EXPECT_NE(r.out.find("gif " + gif + " frames 1"), std::string::npos);
}

TEST(PicturesJourney, VectorsAndTheTestProfile) {
  TDemoCopy d;
  const TRun v = d.Run("gvemo '" + d.dir + "/PIC/vemo.mg'");
  ASSERT_EQ(v.status, 0) << v.out;
  EXPECT_NE(v.out.find("curve HSRA|T|0 drawn points 55 x 1.5..-8.5 y 2000..9000"), std::string::npos)
      << v.out;
  EXPECT_NE(v.out.find("curve HOLMU|T|0 drawn"), std::string::npos) << v.out;
  const TRun r = d.Run("rach-test --n 21 --w 300 FE6302");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("profile FE6302 LAMB=6302.4936 NDL=21"), std::string::npos) << r.out;
  // the right-hand lower quarter of an 800 x 600 picture (fractions 0.55 .. 0.95, 0.05 .. 0.45)
  EXPECT_NE(r.out.find("view px 439..759 x 329..569"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("points 41"), std::string::npos) << r.out;
  const TRun none = d.Run("rach-test XX99999");
  EXPECT_EQ(none.status, 1) << none.out;
  EXPECT_NE(none.out.find("not in the database: nothing drawn"), std::string::npos) << none.out;
}

}  // namespace
