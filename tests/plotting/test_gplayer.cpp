// The graphics-script player on a bitmap page: the device from the bundled description, the
// demo script's curve, grid and axes, the scale rules of #SCALE and #GRID, the viewport a DRAW
// uses before any #VIEW, the dash and equals lines, the curve warnings and the reader's errors
// (which name the file, the line and the position and stop the play).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "platform/Canvas.h"
#include "plotting/cvGPlayer.h"
#include "plotting/cvGRAD.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

std::string Bundled(const std::string& Rel) { return testsupport::SourceRoot() + "/data/" + Rel; }

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlotServices();
    P.SetGraf(&G);
    P.DevDefineFrom(&Bm.Canvas(), Bundled("GRAD/graddev.dat"));
  }
  void TearDown() override { ResetPlotServices(); }
  // A script file of these lines after the header.
  std::string Script(const std::string& Name, const std::string& Body) {
    const std::string f = dir.file(Name);
    testsupport::WriteFile(f, "[CVCTRL]\nGRAPH\n" + Body);
    return f;
  }
  // The play's fatal text ("" when it ran through).
  std::string PlayErr(const std::string& File, const TStringList* Vars = nullptr) {
    try {
      P.PlayFile(File, Vars);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }
  uint32_t Px(int x, int y) const { return Bm.Pixel(x, y); }
  int Count(uint32_t Color) const {
    int n = 0;
    for (int y = 0; y < Bm.Height(); ++y)
      for (int x = 0; x < Bm.Width(); ++x) n += Bm.Pixel(x, y) == Color;
    return n;
  }

  testsupport::SinkRecorder rec{testsupport::SinkRecorder::kStripWarnPrefix};
  testsupport::TempDir dir;
  platform::TBitmap Bm{1200, 640};
  TGRAF G;
  TGPlayer P;
};

TEST_F(Player, DeviceFromTheBundledDescription) {
  EXPECT_EQ(G.DeviceName, "Screen");
  EXPECT_DOUBLE_EQ(G.PageMmX, 317.5);
  EXPECT_DOUBLE_EQ(G.PageMmY, 169.3);
  EXPECT_EQ(G.PagePixX, 1200);
  EXPECT_EQ(G.PagePixY, 640);
  EXPECT_EQ(G.Canvas, &Bm.Canvas());
  EXPECT_TRUE(G.CheckStarted(""));
  // Without a description file: fatal; a missing file: a warning.
  TGPlayer Q;
  Q.SetGraf(&G);
  try {
    Q.DevDefine(&Bm.Canvas());
    ADD_FAILURE() << "no fatal error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find(
                  "GPlayer DevDefine - файл, описатель графич.уст-ва не задан!"_cp),
              std::string::npos);
  }
  Q.SetDevFile(dir.file("none.dat"));
  Q.DevDefine(&Bm.Canvas());
  EXPECT_TRUE(rec.Has("Файла "_cp + dir.file("none.dat") + " не существует!"_cp));
}

TEST_F(Player, TheDemoScriptDrawsHSRAsTemperatureWithGridAndAxes) {
  TStringList Vars;
  Vars.Add("ROOT " + Bundled(""));
  EXPECT_FALSE(P.IsReady());
  ASSERT_EQ(PlayErr(Bundled("GRAD/demo.grf"), &Vars), "");
  EXPECT_TRUE(P.IsReady());
  EXPECT_EQ(P.RunMark, 0xA5A50001u);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts[0];
  // The curve: 55 depths, X = lg tau.
  ASSERT_TRUE(P.Curv);
  ASSERT_EQ(P.Curv->X.size(), 56u);
  EXPECT_NEAR(P.Curv->X[1], std::log10(25.11886432), 1e-9);
  EXPECT_NEAR(P.Curv->X[55], -4, 1e-9);
  EXPECT_EQ(P.Curv->Y[1], 9560);
  EXPECT_EQ(P.Curv->Y[55], 4170);
  EXPECT_NEAR(P.XMin, -4.5, 1e-5);
  EXPECT_NEAR(P.XMax, 1.5, 1e-5);
  EXPECT_EQ(P.GrafikText, "HSRA T(lg tau)");
  // Blue line through every depth's point; the background white.
  const uint32_t Blue = TGRAF::IdxToColor(12);
  EXPECT_GT(Count(Blue), 300);
  for (int i : {1, 20, 40, 55}) {
    const int x = G.WXToPix(P.Curv->X[static_cast<size_t>(i)]);
    const int y = G.WYToPix(P.Curv->Y[static_cast<size_t>(i)]);
    EXPECT_EQ(Px(x, y), Blue) << i;
  }
  EXPECT_EQ(Px(2, 2), 0xFFFFFFu);
  // Grey grid marks at every decade and 1000 K; the X axis at T = 4000 in the grid's colour.
  const uint32_t Grey = TGRAF::IdxToColor(8);
  EXPECT_EQ(Px(G.WXToPix(-2), G.WYToPix(7000)), Grey);
  EXPECT_EQ(Px(G.WXToPix(-3.7), G.WYToPix(4000)), Grey);
  // Black text: the title above the window's top.
  int dark = 0;
  for (int y = 0; y < G.WYToPix(10000); ++y)
    for (int x = G.WXToPix(-3); x < G.WXToPix(0); ++x) dark += Px(x, y) == 0;
  EXPECT_GT(dark, 20);
}

TEST_F(Player, ScaleAndGridRules) {
  ASSERT_EQ(PlayErr(Script("s.grf", "#SCALE #XSCAL=L #XMIN=1 #XMAX=1000\n"
                                    "#GRID 1 1000 100 0 1 0.25 2 + 1\n")),
            "");
  EXPECT_EQ(P.XScale, 'L');
  EXPECT_EQ(P.YScale, 'N');
  EXPECT_DOUBLE_EQ(P.XMin, 0);
  EXPECT_DOUBLE_EQ(P.XMax, 3);
  EXPECT_EQ(P.YMin, 0);
  EXPECT_EQ(P.YMax, 1);
  // round(999 / 100) = 10 steps: X 0..3 by 0.3; Y keeps its step.
  const TGRIDER& R = G.EnsureGrider();
  EXPECT_TRUE(R.GridOn);
  EXPECT_DOUBLE_EQ(R.X1, 0);
  EXPECT_DOUBLE_EQ(R.X2, 3);
  EXPECT_NEAR(R.DX, 0.3, 1e-15);
  EXPECT_DOUBLE_EQ(R.DY, 0.25);
  EXPECT_EQ(R.MarkCh, '+');
  EXPECT_EQ(R.Color, TGRAF::IdxToColor(2));
  // A bad scale letter is a reader error.
  const std::string e = PlayErr(Script("b.grf", "#SCALE #YSCAL=Q\n"));
  EXPECT_NE(e.find("Тип масштаба Y <Q> Not In [NLEF]!"_cp), std::string::npos) << e;
}

TEST_F(Player, ClearDrawLinesAndTheEnd) {
  Bm.Canvas().Brush.Color = 0x123456;
  Bm.Canvas().FillRect(TRect{0, 0, 1200, 640});
  // One #CLEAR: the page in the background colour and nothing else.
  ASSERT_EQ(PlayErr(Script("c.grf", "#CLEAR\n")), "");
  EXPECT_EQ(Count(0xFFFFFF), 1200 * 640);
  // A DRAW before any #VIEW: kind 'O' with 0, 1, 0, 1 is the bottom-left hundredth.
  ASSERT_EQ(PlayErr(Script("d.grf", "-----\n")), "");
  EXPECT_EQ(G.ViewRect.Left, 0);
  EXPECT_NEAR(G.ViewRect.Right, 12, 1);
  EXPECT_NEAR(G.ViewRect.Top, 640 - 6.4, 1);
  // "=====" ends the script even when commands follow.
  ASSERT_EQ(PlayErr(Script("e.grf", "#BKCOLOR 12\n=====\n#CLEAR\n")), "");
  EXPECT_EQ(G.BackColor, TGRAF::IdxToColor(12));
  EXPECT_EQ(Count(0xFFFFFF), 1200 * 640);
  EXPECT_EQ(P.RunMark, 0xA5A50003u);
}

TEST_F(Player, CurveWarningsKeepThePreviousCurve) {
  const std::string data = dir.file("d.txt");
  testsupport::WriteFile(data, "x y\n1 10\n2 20\n3 30\n");
  ASSERT_EQ(PlayErr(Script("g.grf", "#FILE " + data + "\n#GRA 1 3\n")), "");
  EXPECT_TRUE(rec.Has("TGPlayer.CurvLoad ERR колонка X еще не задана!"_cp));
  EXPECT_FALSE(P.Curv);
  // The next DRAW draws no curve.
  ASSERT_EQ(PlayErr(Script("h.grf", "#VIEW % 0 100 0 100\n#WIND 0 4 0 40\n#DRAW\n")), "");
  EXPECT_EQ(Count(G.CurColor), 0);
  // Columns set: the curve loads; in the block form too.
  rec.texts.clear();
  ASSERT_EQ(PlayErr(Script("i.grf", "#FILE " + data + "\n#GRAFIK t\n1 3\n1 N\n2 L 1 100\n"
                                    "12 2 . 1\n#DRAW\n")),
            "");
  EXPECT_TRUE(rec.texts.empty());
  ASSERT_TRUE(P.Curv);
  EXPECT_DOUBLE_EQ(P.Curv->Y[3], std::log10(30.0));
  EXPECT_DOUBLE_EQ(P.YMax, 2);
  EXPECT_EQ(P.Kind, 2);
  EXPECT_GT(Count(TGRAF::IdxToColor(12)), 100);
  // Without a data file name.
  TGPlayer Q;
  Q.SetGraf(&G);
  Q.ColX = Q.ColY = 1;
  Q.NLines = 1;
  Q.CurvLoad();
  EXPECT_TRUE(rec.Has("TGPlayer.CurvLoad ERR имя файла данных не задано!"_cp));
}

// Each reader error stops the play with a text naming the file, the line and the position.
TEST_F(Player, ReaderErrorsStopThePlayNamingFileLineAndPosition) {
  const std::string data = dir.file("short.txt");
  testsupport::WriteFile(data, "1 2\n3\n");
  struct TCase {
    std::string body, part;
  };
  const TCase Cases[] = {
      {"#COLOR 1\n#WIND 0 1 x 1\n", "Ошибка при вводе действительного числа <x>"_cp},
      {"#BKCOLOR 1.5\n", "Ошибка при вводе целого [1.5]"_cp},
      {"#VIEW X 0 1 0 1\n", "Тип видовой операции <X> Not In [PMO%]!"_cp},
      {"#PATH " + dir.file("nowhere") + "\n", "Каталог <"_cp + dir.file("nowhere") + "> не существует!"_cp},
      {"#FILE nofile.txt\n", "файл <nofile.txt> не существует!"_cp},
      {"#FILE " + data + "\n#GRAFIK\n0 2\n1\n2\n1 0 . 1\n", "меньше слов"_cp},
      {"#GRID 1 10 0 0 1 0.5 1 + 1\n#DRAW\n", "#GRID: шаг сетки по X равен 0!"_cp},
      {"#SCALE #XSCAL=L\n#GRID 1 10 100 0 1 0.5 1 + 1\n", "#GRID: число шагов сетки по X равно 0!"_cp},
  };
  int k = 0;
  for (const TCase& C : Cases) {
    const std::string f = Script("err" + std::to_string(k++) + ".grf", C.body);
    P.SetGraf(&G);
    const std::string e = PlayErr(f);
    EXPECT_NE(e.find(C.part), std::string::npos) << C.body << "\n" << e;
    EXPECT_NE(e.find(C.body.find("short") != std::string::npos ? data : f), std::string::npos)
        << e;
    EXPECT_NE(e.find(" str="), std::string::npos) << e;
    EXPECT_NE(e.find(" pos="), std::string::npos) << e;
  }
  // The #GRID error drew nothing.
  EXPECT_FALSE(G.EnsureGrider().GridOn && G.EnsureGrider().DX == 0);
}

TEST_F(Player, IncludesOfItselfAreStopped) {
  const std::string self = dir.file("self.grf");
  testsupport::WriteFile(self, "[CVCTRL]\nGRAPH\n#CLEAR\n#INC self.grf\n");
  std::string e = PlayErr(self);
  EXPECT_NE(e.find(self), std::string::npos) << e;
  EXPECT_NE(e.find("циклическая"_cp), std::string::npos) << e;
  // Written in lower case the line is no include of the reader but the player's command: the
  // depth limit stops it and names the file.
  testsupport::WriteFile(self, "[CVCTRL]\nGRAPH\n#CLEAR\n#PATH " + dir.str() + "\n#inc self.grf\n");
  e = PlayErr(self);
  EXPECT_NE(e.find("#INC: вложенность файлов больше 8, файл <"_cp), std::string::npos) << e;
  EXPECT_NE(e.find(self), std::string::npos) << e;
  // A missing file names both folders.
  testsupport::WriteFile(self, "[CVCTRL]\nGRAPH\n#inc none.grf\n");
  e = PlayErr(self);
  EXPECT_NE(e.find("не найден файл <none.grf>"_cp), std::string::npos) << e;
}

TEST_F(Player, NoCanvasIsFatal) {
  TGRAF Bare;
  TGPlayer Q;
  Q.SetGraf(&Bare);
  try {
    Q.PlayFile(Script("n.grf", "#CLEAR\n"));
    ADD_FAILURE() << "no fatal error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find(
                  "Err GPlayer PLAY-Graf.Canvas Значение Canvas не присвоено!"_cp),
              std::string::npos);
  }
}

}  // namespace
