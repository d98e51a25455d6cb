// A plotter error inside a window handler: the handler guard turns it into the application's
// exception report, and the plotter stays usable.
#include <gtest/gtest.h>

#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "plotting/cvPLOT.h"
#include "plotting/support/FakePlotHost.h"

namespace {

TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

TEST(PlotterGuard, UnequalLengthsReachTheExceptionReport) {
  ResetSayerForTests();
  ResetAppForTests();
  ResetPlotServices();
  std::vector<std::string> Said;
  Sayer->SetHook([&](const std::string& T, const std::string&) { Said.push_back(T); });
  Sayer->WarnOn();
  platform::TBitmap Bm(400, 300);
  TGRAF G;
  TFakePlotHost Host;
  TPLOTTER P(&G);
  P.Tools = &Host;
  P.INIG(&Bm.Canvas(), "TFPict", &Host, 0);
  ASSERT_TRUE(P.CheckArrPlot());
  App->Guard(nullptr, [&] {
    P.NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "a", "", "", "", "");
    P.NewGraph(Arr({1, 2, 3}), Arr({1, 2}), 1, 0, "-", "b", "", "", "", "");
    P.NewGraph(Arr({1, 2}), Arr({1, 2}), 1, 0, "-", "c", "", "", "", "");
  });
  ASSERT_EQ(Said.size(), 1u);
  EXPECT_NE(Said[0].find("Система Corvesta сообщает об ошибке:\r\n\r\n"_cp +
                         "ErrAbs: OneGraph.Curv length(AX)=4 <> length(AY)=3 !\r\n"),
            std::string::npos);
  EXPECT_EQ(P.GraphCount(), 1);
  // A replay that raises inside the guard leaves the plotter free to replay.
  Host.OnPhase = [] { ErrAbs("phase"); };
  App->Guard(nullptr, [&] { P.PlayOnce(); });
  EXPECT_EQ(Said.size(), 2u);
  EXPECT_FALSE(P.Playing);
  Host.OnPhase = nullptr;
  P.PlayOnce();
  EXPECT_EQ(Host.Changed, 1);
  ResetAppForTests();
}

}  // namespace
