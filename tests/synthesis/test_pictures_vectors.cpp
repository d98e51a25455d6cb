// Model vectors drawn from a "#MG" description: HSRA's temperature placed by the x and y ranges,
// the settings a "#MG" line changes, and a missing vector warned about and not drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "foundation/cvLit.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "synthesis/pictures/cvGVemo.h"

namespace {

class VemoPictures : public ::testing::Test {
 protected:
  VemoPictures() : sink(testsupport::SinkRecorder::kWarnOn), scope(ctx) {
    ResetModelServices();
    const std::string data = testsupport::SourceRoot() + "/data/";
    files = {{"VEMO", data + "SYS/vemo.txt"},
             {"SCALES", data + "SYS/scales.txt"},
             {"REPORT", data + "SYS/report.txt"},
             {"CONVERT", data + "SYS/convert.txt"},
             {"ROUT", data + "GEDA/ROUT.txt"}};
    Models().DirOf.Install([this](const std::string&, const std::string& F) { return files[F]; });
    Models().Root.Install([data] { return data; });
    LoadVectorLists(ctx);
    ctx.LVEMO->LoadModel("", "", "", "HSRA");
  }
  ~VemoPictures() override { ResetModelServices(); }

  testsupport::SinkRecorder sink;
  std::map<std::string, std::string> files;
  TOwnCalcContext ctx;
  TCalcScope scope;
};

TEST_F(VemoPictures, TemperaturePlacedByTheRanges) {
  TVEMO* t = ctx.LVEMO->FindVeMo("T", "HSRA", "", 0);
  ASSERT_NE(t, nullptr);
  platform::TBitmap B(401, 301);
  B.Canvas().Brush.Color = 0xFFFFFF;
  B.Canvas().FillRect(TRect{0, 0, 401, 301});
  TGRAF G;
  TGVEMO V;
  V.SetCanvas(&B.Canvas());
  V.LoadDescr({"#MG_WVX 1.5 -8.5", "#MG_WVY N 2000 9000", "#MG_MOD HSRA 0", "#MG_NAM T",
               "#MG_GRA . 12 0.2 ! blue dots", "#MG"},
              *ctx.LVEMO, G);
  ASSERT_EQ(V.Curves.size(), 1u);
  EXPECT_TRUE(V.Curves[0].Drawn);
  EXPECT_EQ(V.Curves[0].Points, t->N);
  // lg tau 0 at 15 % from the left, T(0) at (T - 2000) / 7000 of the height up
  const int32_t col = 60;  // 0.15 x 400
  const double T0 = t->func(0);
  ASSERT_GT(T0, 6000);
  const double row = 300 - (T0 - 2000) / 7000 * 300;
  int32_t found = -1;
  for (int32_t y = 0; y < 301; ++y)
    if (B.Pixel(col, y) == 0xFF0000u) {
      found = y;
      break;
    }
  ASSERT_GE(found, 0);
  EXPECT_NEAR(found, row, 3);
}

TEST_F(VemoPictures, SettingsOfMgLinesAndAMissingVector) {
  platform::TBitmap B(200, 100);
  TGRAF G;
  TGVEMO V;
  V.SetCanvas(&B.Canvas());
  V.LoadDescr({"#MG_MOD HSRA 0", "#MG_SID #none", "#MG #NAM T #ED T*1.1", "#MG #GRA o 9 0.5",
               "#MG #NAM NOSUCH #WVY L 0 5 #ED x", "#MG #MOD GONE 0"},
              *ctx.LVEMO, G);
  ASSERT_EQ(V.Curves.size(), 4u);
  EXPECT_TRUE(V.Curves[0].Drawn);
  EXPECT_TRUE(V.Curves[1].Drawn);
  EXPECT_FALSE(V.Curves[2].Drawn);
  EXPECT_FALSE(V.Curves[3].Drawn);
  EXPECT_EQ(V.SIdV, "");
  EXPECT_EQ(V.EdText, "");  // the last "#MG" had no "#ED"
  EXPECT_EQ(V.ChCalc, 'L');
  EXPECT_EQ(V.ChPoint, 'o');
  int missing = 0;
  for (const auto& s : sink.texts)
    missing += s.find("Вектор модели не найден в LVEMO! MOD="_cp) != std::string::npos;
  EXPECT_EQ(missing, 2);
  EXPECT_TRUE(sink.Has("NAME=NOSUCH SID=<>\r\n"_cp + "Дисплейная программа = "_cp));
  // without a canvas
  TGVEMO none;
  EXPECT_FALSE(none.DrawDefault(*ctx.LVEMO, G));
  EXPECT_TRUE(sink.Has("GVEMO.Draw  Canvas не задан!"_cp));
}

}  // namespace
