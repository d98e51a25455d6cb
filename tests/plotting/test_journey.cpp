// The plotter's demo through the command-line harness: the graph list, the world windows and the
// plot areas it reports.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

// Blanks squashed: the reports align their tables in columns.
std::string Squash(const std::string& S) {
  std::string R;
  for (char C : S)
    if (C != ' ' || (!R.empty() && R.back() != ' ' && R.back() != '\n')) R += C;
  return R;
}

bool Has(const std::string& S, const std::string& Part) { return S.find(Part) != std::string::npos; }

TEST(PlotterJourney, DemoThroughTheHarness) {
  const std::string Models = std::string(CORVESTA_SOURCE_ROOT) + "/tests/data/models";
  int Status = 0;
  const std::string Out = Squash(testsupport::RunShell(
      std::string("'") + CORVESTA_BATCH + "' plot-demo '" + Models + "' 2>&1", &Status));
  ASSERT_EQ(Status, 0) << Out;
  // Five graphs in their areas, with their normalised formats.
  EXPECT_TRUE(Has(Out, "T HSRA(lg tau,T) N=55 kT=0 kXY=1 in <0 2> Line=<-.R 0 2>")) << Out;
  EXPECT_TRUE(Has(Out, "T HolMu(lg tau,T) N=25 kT=0 kXY=1 in <0 2> Line=<-.B 0 2>")) << Out;
  EXPECT_TRUE(Has(Out, "Pe HolMu(lg tau,lg Pe) N=25 kT=0 kXY=2 in <0 2>")) << Out;
  EXPECT_TRUE(Has(Out, "Stokes I(lambda,I/Ic) N=112 kT=0 kXY=1 in <0 1> Line=<-. 0 2 [008000]>"))
      << Out;
  // Five windows (slot 0 the placeholder); both temperatures in one window in "K", widened to
  // both models.
  EXPECT_TRUE(Has(Out, "2 Y <0 2> <T> <K> [4170 , 9560] 1 0 1 5 1 -1 0 1 N 0 0")) << Out;
  EXPECT_TRUE(Has(Out, "<lg_Pe> <lg(dyn/cm2)>")) << Out;
  EXPECT_TRUE(Has(Out, "5 Y <0 1> <I/Ic> <Ic>")) << Out;
  EXPECT_TRUE(Has(Out, "ArrPlot Owner=TPLOTTER Chain<0> n5=1,2,1,2,2")) << Out;
  EXPECT_TRUE(Has(Out, "ArrPlot Owner=TArrPlot Chain<0 2> n5=2,1,1,2,2")) << Out;
  EXPECT_TRUE(Has(Out, "NDrawn=5")) << Out;
  // A folder without the models fails.
  testsupport::RunShell(std::string("'") + CORVESTA_BATCH + "' plot-demo /nonexistent 2>&1",
                        &Status);
  EXPECT_NE(Status, 0);
}

}  // namespace
