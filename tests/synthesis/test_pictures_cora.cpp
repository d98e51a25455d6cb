// Frame sequences of profile plots: the 'X' cell arithmetic, the description files and "#SG"
// lines with their reader errors, the animation's order of frames, RAGR's ranges and half
// profiles, and frames whose bad plots stay empty while the others are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "models/cvModServices.h"
#include "foundation/cvSayer.h"
#include "platform/Canvas.h"
#include "plotting/cvGRAD.h"
#include "support/SynEnv.h"
#include "support/TestSupport.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using testsupport::SynEnv;

// The fatal text of F ("" when it passes).
template <class F>
std::string Fatal(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::unique_ptr<TUNNO> Profile(const std::string& Q, int32_t IQ, int32_t K, double Step,
                               double Depth = 0.6) {
  auto U = std::make_unique<TUNNO>();
  testsupport::TLine line;
  line.D = Depth;
  testsupport::MakeFull(*U, line, line.L0 - 0.3, line.L0 + 0.3, Step);
  U->QUEST = Q;
  U->IQ = IQ;
  U->KVARI = K;
  U->K4 = 0;
  return U;
}

TEST(CoraViewports, CellsOfTheXGrid) {
  struct {
    int32_t cell;
    double x1, x2, y1, y2;
  } cases[] = {{1, 5, 47.857, 95, 52.143},
               {2, 52.143, 95, 95, 52.143},
               {3, 5, 47.857, 47.857, 5},
               {4, 52.143, 95, 47.857, 5}};
  for (const auto& c : cases) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    CellViewport(2, 2, 110, 110, 5, 5, c.cell, x1, x2, y1, y2);
    EXPECT_NEAR(x1, c.x1, 1e-3) << c.cell;
    EXPECT_NEAR(x2, c.x2, 1e-3) << c.cell;
    EXPECT_NEAR(y1, c.y1, 1e-3) << c.cell;
    EXPECT_NEAR(y2, c.y2, 1e-3) << c.cell;
  }
}

TEST(CoraViewports, PixelKindRoundsAndAnUnknownKindKeepsTheViewport) {
  SynEnv env;
  platform::TBitmap B(400, 300);
  TGRAF G;
  G.INIGCanvas(&B.Canvas(), 0);
  auto U = Profile("Q", 1, 1, 0.01);
  TPlotDone d;
  UnnoDraw(G, *U, "RI", 'P', 10.4, 200.6, 20.5, 120.2, &d);
  // pixels 10 .. 201 counted from 1 are columns 9 .. 200
  EXPECT_EQ(d.PixLeft, 9);
  EXPECT_EQ(d.PixRight, 200);
  TPlotDone same;
  UnnoDraw(G, *U, "RI", '?', 0, 0, 0, 0, &same);
  EXPECT_EQ(same.PixLeft, 9);
  EXPECT_EQ(same.PixRight, 200);
  EXPECT_EQ(same.PixTop, d.PixTop);
  // the frame is yellow
  int32_t yellow = 0;
  for (int32_t y = d.PixTop; y <= d.PixBottom; ++y) yellow += B.Pixel(9, y) == 0xFFFFu;
  EXPECT_GT(yellow, (d.PixBottom - d.PixTop) * 8 / 10);
}

TEST(CoraSequence, TimerShowsTheEndFramesTwiceAndStepsWrap) {
  TCORA c;
  c.NKadr = 3;
  c.KKadr = 0;
  std::string seq = c.FrameLabel();
  for (int i = 0; i < 9; ++i) {
    c.Tick();
    seq += " " + c.FrameLabel();
  }
  EXPECT_EQ(seq, "0/3 1/3 2/3 3/3 3/3 2/3 1/3 1/3 2/3 3/3");
  c.KKadr = 1;
  c.StepLeft();
  EXPECT_EQ(c.KKadr, 3);
  c.StepRight();
  EXPECT_EQ(c.KKadr, 1);
}

TEST(CoraFiles, DescriptionFileFramesAndTheStartFrame) {
  SynEnv env;
  testsupport::TempDir dir;
  const std::string f = dir.file("three.pic");
  testsupport::WriteFile(f,
                         "3 O 3 250 $FFFFFF 8 ! ЧислоКонтуров\r\n"
                         "O q.2 1 RI 0 5 48 52 95 300 100 $C00000 1 #H=0\r\n"
                         "S q 1 q.3 2 RV 4 52 95 52 95 300 25 12 2\r\n"
                         "O q.2 3 RV 0 5 48 5 48 300 25 1 3\r\n");
  TCORA c;
  c.ReadFile(f);
  EXPECT_EQ(c.NKadr, 3);
  EXPECT_EQ(c.KKadr, 0);  // the animation starts at 0/3
  EXPECT_TRUE(c.Animated());
  EXPECT_EQ(c.FrameLabel(), "0/3");
  EXPECT_EQ(c.ScaleKind, 'O');
  EXPECT_EQ(c.Interval, 250);
  EXPECT_EQ(c.ColGrid, 0xAFAFAFu);  // palette index 8
  ASSERT_EQ(c.LKadr.size(), 3u);
  const TOneProf& s = *c.LKadr[1][0];
  EXPECT_EQ(s.Kind, 'S');
  EXPECT_EQ(s.QUEST, "q");
  EXPECT_EQ(s.IQ, 1);  // no step: 1
  EXPECT_EQ(s.QUEST2, "q");
  EXPECT_EQ(s.IQ2, 3);
  EXPECT_EQ(s.KProf2, 2);
  EXPECT_EQ(s.FuncColor, 0xFF0000u);  // palette index 12
  EXPECT_EQ(c.LKadr[0][0]->FuncColor, 0xC00000u);
  EXPECT_EQ(c.LKadr[0][0]->IQ, 2);
  // one frame draws at once
  testsupport::WriteFile(f, "1 M 1 100 15 7\nO q.1 1 RI 0 10 60 10 50 240 100 0 1\n");
  c.ReadFile(f);
  EXPECT_EQ(c.KKadr, 1);
  EXPECT_FALSE(c.Animated());
}

TEST(CoraFiles, ReaderErrorsNameTheFileTheLineAndTheWord) {
  SynEnv env;
  testsupport::TempDir dir;
  const std::string f = dir.file("bad.pic");
  struct {
    const char* text;
    std::string message;
    std::string where;
  } cases[] = {
      {"1 X 1 100 15 7\nO q.1 1 RI 0 1 2 3 4 5 6 0 1\n", "Тип масштаба должен быть M,O или P"_cp,
       "строка 1, слово <X>"_cp},
      {"2 O 1 100 15 7\nO q.1 1 RI 0 1 2 3 4 5 6 0 1\n", "Строки профиля с номером 2 не найдено!"_cp,
       "строка 2"_cp},
      {"1 O 1 100 15 7\nX q.1 1 RI 0 1 2 3 4 5 6 0 1\n", "РЕЖИМ = X не в ходит в разрешенный список"_cp,
       "строка 2, слово <X>"_cp},
      {"1 O 1 100 15 7\n! a comment line\nO q.1 1 RI 0 1 2x 3 4 5 6 0 1\n", "X2 = <2x>",
       "строка 3, слово <2x>"_cp},
  };
  for (const auto& c : cases) {
    testsupport::WriteFile(f, c.text);
    TCORA cora;
    const std::string m = Fatal([&] { cora.ReadFile(f); });
    EXPECT_NE(m.find("CLIN.<CORA.ReadAndDrow>-F-"), std::string::npos) << m;
    EXPECT_NE(m.find(c.message), std::string::npos) << m;
    EXPECT_NE(m.find("файл "_cp + f), std::string::npos) << m;
    EXPECT_NE(m.find(c.where), std::string::npos) << m;
  }
}

TEST(CoraFiles, SgLinesNamesCellsRangesAndBlur) {
  SynEnv env;
  TCORA c;
  c.ReadDescrLines({"#MOD T HSRA=#  other lines are passed over",
                    "#SG_HEAD 2 150 15 7", "#SG_NAMES pair.1 obs.2", "#SG_VWX 2 2 110 110 5 5",
                    "#SG_WV 300 80", "#SG_C 9", "#SG_VMA 2 МА"_cp,
                    "#SG O 2 3 RI #VWX 3", "#SG O pair.1 4 RV 1.5 km/s #VWP 1 100 1 50 #WV 200 20 10 #C $FF #K 2",
                    "#SG S 1 1 2 2 RI #VWO 0 50 0 50"},
                   "sg");
  EXPECT_EQ(c.NKadr, 2);
  EXPECT_EQ(c.KKadr, 1);
  ASSERT_EQ(c.LKadr.size(), 2u);
  ASSERT_EQ(c.LKadr[0].size(), 2u);
  const TOneProf& a = *c.LKadr[0][0];
  EXPECT_EQ(a.QUEST, "obs");  // the second name
  EXPECT_EQ(a.IQ, 2);
  EXPECT_EQ(a.VWKind, 'X');
  EXPECT_EQ(a.Cell, 3);
  EXPECT_EQ(a.XMax, 300);
  EXPECT_EQ(a.YMax, 80);
  EXPECT_EQ(a.FuncColor, 0x0000FFu);
  EXPECT_EQ(a.BGauss, 2);
  EXPECT_EQ(a.BUnit, "mA");
  const TOneProf& b = *c.LKadr[1][0];
  EXPECT_EQ(b.QUEST, "pair");
  EXPECT_EQ(b.IQ, 1);
  EXPECT_EQ(b.BGauss, 1.5);
  EXPECT_EQ(b.BUnit, "km/s");
  EXPECT_EQ(b.VWKind, 'P');
  EXPECT_EQ(b.XRight, 10);
  EXPECT_EQ(b.FuncColor, 0xFFu);
  const TOneProf& s = *c.LKadr[0][1];
  EXPECT_EQ(s.Kind, 'S');
  EXPECT_EQ(s.QUEST2, "obs");
  EXPECT_EQ(s.KProf2, 2);

  struct {
    const char* line;
    std::string message;
  } bad[] = {{"#SG A 1 1 RI #VWX 1", "[A] - неизвестный тип графика профилей Стокса"_cp},
             {"#SG O x 1 RI #VWX 1", "Ошибка в числе!"_cp},
             {"#SG O 3 1 RI #VWX 1", "Номер Quest 3 превосходит 2 число Quest-ов в списке"_cp},
             {"#SG O 1 1 RI #K 1", "Не найден режим видовой операции #VW-O/M/P/X"_cp},
             {"#SG O 1 1 RI 2,5 #VWX 1", "Число [2,5] должно содержать величину замытия"_cp}};
  for (const auto& e : bad) {
    TCORA d;
    const std::string m = Fatal([&] {
      d.ReadDescrLines({"#SG_NAMES a.1 b.1", "#SG_VWX 2 1 100 100 0 0", e.line}, "quest.dat");
    });
    EXPECT_NE(m.find(e.message), std::string::npos) << m;
    EXPECT_NE(m.find("файл quest.dat, строка 3"_cp), std::string::npos) << m;
  }
}

TEST(CoraParse, PlotLinesOfTheTab) {
  SynEnv env;
  auto p = TOneProf::Parse("S pair 1 obs 2 3 4 RV 0 5 48 52 95 300 25 $FF 2");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->QUEST, "pair");
  EXPECT_EQ(p->IQ, 1);
  EXPECT_EQ(p->QUEST2, "obs");
  EXPECT_EQ(p->IQ2, 2);
  EXPECT_EQ(p->KProf, 3);
  EXPECT_EQ(p->KProf2, 4);
  EXPECT_EQ(p->JKadr, 2);
  EXPECT_EQ(TOneProf::TryParse("O pair x 1 RI 0 5 48 52 95 300 25 0 1"), nullptr);
  EXPECT_EQ(env.sink.texts.size(), 0u);
  EXPECT_EQ(TOneProf::Parse("O pair 1 1 RI 0 5 48 52 95 300 25 0 z"), nullptr);
  EXPECT_TRUE(env.sink.Has("ошибка в числе JKadr = <z>"_cp));
}

// A half profile on offsets from the line centre: V drawn with its mirror, sign turned.
TEST(CoraRagr, HalfProfileMirrorsVWithTheSignTurned) {
  SynEnv env;
  TUNNO U;
  U.SetDefaults();
  U.ChDL = '0';
  U.KSym = 1;
  U.CONT = 2;  // divided by the continuum for the drawing
  const int32_t n = 21;
  U.AllocAll(n);
  for (int32_t i = 1; i <= n; ++i) {
    const double x = 0.005 * (i - 1);
    U.UL[i] = x;
    U.UI[i] = 2 * (1 - 0.5 * std::exp(-x * x / 0.0016));
    U.UV[i] = 2 * 0.2 * (x / 0.04) * std::exp(-x * x / 0.0016);
  }
  platform::TBitmap B(401, 301);
  TGRAF G;
  G.INIGCanvas(&B.Canvas(), 0);
  G.SetBkColor(0xFFFFFF);
  G.ClearG();
  G.VIPO10(0, 1, 0, 1);
  TPlotDone d;
  ASSERT_TRUE(RAGR(G, U, "RV", 0x0000FF, 0x808080, 25, 100, 0, &d));
  // x from +0.1 (left) to -0.1, y -25 .. 25
  EXPECT_DOUBLE_EQ(d.WX1, 0.1);
  EXPECT_DOUBLE_EQ(d.WX2, -0.1);
  EXPECT_DOUBLE_EQ(d.WY1, -25);
  EXPECT_DOUBLE_EQ(d.WY2, 25);
  EXPECT_EQ(d.Points, (std::vector<int32_t>{21, 21}));
  auto redRow = [&](double x) {
    const int32_t c = G.WXToPix(x);
    for (int32_t y = 0; y < B.Height(); ++y)
      if (B.Pixel(c, y) == 0x0000FFu) return y;
    return -1;
  };
  const double v = 100 * 0.2 * (0.04 / 0.04) * std::exp(-1.0);  // percent of the continuum at 40 mA
  EXPECT_NEAR(redRow(0.04), G.WYToPix(v), 2);
  EXPECT_NEAR(redRow(-0.04), G.WYToPix(-v), 2);
  // I: y from 100 - YMax to 100, the continuum at the top
  TPlotDone i;
  ASSERT_TRUE(RAGR(G, U, "RI", 0x00FF00, 0x808080, 60, 100, 0, &i));
  EXPECT_DOUBLE_EQ(i.WY1, 40);
  EXPECT_DOUBLE_EQ(i.WY2, 100);
  // the slope at the midpoints, times 0.01 (mirrored as well)
  TPlotDone s;
  ASSERT_TRUE(RAGR(G, U, "I/L", 0xFF00FF, 0x808080, 50, 100, 0, &s));
  EXPECT_EQ(s.Points, (std::vector<int32_t>{20, 20}));
  // the level table is built when missing
  U.YInt.clear();
  TPlotDone bi;
  ASSERT_TRUE(RAGR(G, U, "BI", 0, 0x808080, 60, 100, 0, &bi));
  EXPECT_GE(U.YInt.size(), 3u);
  // no x range
  TPlotDone none;
  EXPECT_FALSE(RAGR(G, U, "RI", 0, 0, 60, 0, 0, &none));
  EXPECT_TRUE(env.sink.Has("RAGR Err: XG=0"));
}

// Missing profiles, an unknown combination, a sum of unequal grids and a slit width of 0: each
// such plot stays empty with a message naming quest, step and combination; the good ones are
// drawn and the timer is asked to stop. Differences are drawn on equal and on unequal grids.
TEST(CoraDraw, BadPlotsStayEmptyTheOthersAreDrawn) {
  SynEnv env;
  TLUNNO list;
  list.Add(Profile("q", 1, 1, 0.01));
  list.Add(Profile("q", 1, 2, 0.02));
  list.Add(Profile("q", 1, 3, 0.01));
  testsupport::TempDir dir;
  const std::string f = dir.file("mixed.pic");
  testsupport::WriteFile(f,
                         "9 P 1 100 15 7\n"
                         "O q.1 1 RI 0 1 100 1 100 300 100 0 1\n"
                         "O q.1 9 RI 0 101 200 1 100 300 100 0 1\n"
                         "O r.1 1 RI 0 201 300 1 100 300 100 0 1\n"
                         "O q.1 1 XX 0 1 100 101 200 300 100 0 1\n"
                         "A q.1 1 q.1 2 RI 0 101 200 101 200 300 100 0 1\n"
                         "s q.1 1 q.1 3 RI 20 201 300 101 200 300 100 0 1\n"
                         "S q.1 1 q.1 3 RV 0 1 100 201 300 300 25 0 1\n"
                         "S q.1 1 q.1 2 RI 0 101 200 201 300 300 25 0 1\n"
                         "O q.1 2 RI 5 201 300 201 300 300 100 0 1\n");
  TCORA c;
  c.ReadFile(f);
  platform::TBitmap B(300, 300);
  TGRAF G;
  TFrameDone fr;
  EXPECT_EQ(Fatal([&] { fr = c.DrawKadr(1, B.Canvas(), list, G); }), "");
  ASSERT_EQ(fr.Plots.size(), 9u);
  EXPECT_TRUE(fr.StopTimer);
  const std::vector<std::string> expected = {
      "",
      "CORA профиля №9 в наборе q.1 не существует!"_cp,
      "CORA: Ни одного профиля в набор r.1 не загружено!"_cp,
      "RAGR недопустимый параметр Стокса PAR=XX"_cp,
      "NLAMB разное в q и q"_cp,
      "",
      "",
      "",
      ""};
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].empty()) {
      EXPECT_EQ(fr.Plots[i].Problem, "") << i;
      EXPECT_FALSE(fr.Plots[i].Points.empty()) << i;
    } else {
      EXPECT_NE(fr.Plots[i].Problem.find(expected[i]), std::string::npos) << fr.Plots[i].Problem;
      EXPECT_TRUE(fr.Plots[i].Points.empty()) << i;
      EXPECT_TRUE(env.sink.Has("CORA " + fr.Plots[i].Name + ": ")) << i;
    }
  }
  EXPECT_NE(fr.Plots[3].Name.find("q.1 K1 XX"), std::string::npos);
  // the slit needs a width
  testsupport::WriteFile(f, "1 P 1 100 15 7\ns q.1 1 q.1 3 RI 0 1 100 1 100 300 100 0 1\n");
  c.ReadFile(f);
  fr = c.DrawKadr(1, B.Canvas(), list, G);
  EXPECT_NE(fr.Plots[0].Problem.find("размер щели не может быть = 0"_cp), std::string::npos);
  // the report names the viewports and the ranges
  const auto rep = fr.Report();
  ASSERT_EQ(rep->Count(), 1);
  EXPECT_NE((*rep)[0].find("view P 1 100 1 100 px 0..99"), std::string::npos) << (*rep)[0];
}

// 'S': the difference of two profiles times 5, on a y range from -YMax to YMax.
TEST(CoraDraw, DifferenceTimesFive) {
  SynEnv env;
  TLUNNO list;
  list.Add(Profile("q", 1, 1, 0.01, 0.6));
  list.Add(Profile("q", 1, 2, 0.01, 0.5));
  testsupport::TempDir dir;
  const std::string f = dir.file("dif.pic");
  testsupport::WriteFile(f, "1 O 1 100 15 7\nS q.1 1 q.1 2 RI 0 0 100 0 100 300 60 $FF 1\n");
  TCORA c;
  c.ReadFile(f);
  platform::TBitmap B(401, 301);
  TGRAF G;
  const TFrameDone fr = c.DrawKadr(1, B.Canvas(), list, G);
  ASSERT_EQ(fr.Plots.size(), 1u);
  EXPECT_EQ(fr.Plots[0].WY1, -60);
  EXPECT_EQ(fr.Plots[0].WY2, 60);
  // at the line centre: 5 x ((1 - 0.6) - (1 - 0.5)) = -0.5 of the continuum
  const int32_t col = G.WXToPix(testsupport::TLine().L0);
  int32_t row = -1;
  for (int32_t y = 0; y < B.Height() && row < 0; ++y)
    if (B.Pixel(col, y) == 0xFFu) row = y;
  EXPECT_NEAR(row, G.WYToPix(-50), 2);
}

}  // namespace

namespace {

// The description of the current quest: "<quest>.<step>" first, else "<quest>"; printing draws
// frame 1 on the services' printer, one job step per plot, and writes the debugging files only
// with trace channel 26 on.
TEST(CoraFiles, QuestFileAndPrinting) {
  SynEnv env;
  testsupport::TempDir dir;
  const std::string root = dir.str() + "/";
  Models().FileOf.Install([root](const std::string&, const std::string&, const std::string& N) {
    return root + N + ".pic";
  });
  Models().Root.Install([root] { return root; });
  testsupport::WriteFile(root + "q.pic", "1 O 1 100 15 7\nS q.1 1 q.1 2 RI 0 5 95 5 95 300 100 0 1\n");
  EXPECT_EQ(CoraFileOf("q", 2), root + "q.pic");
  testsupport::WriteFile(root + "q.2.pic", "1 O 1 100 15 7\nS q.1 1 q.1 2 RI 0 5 95 5 95 300 100 0 1\n");
  EXPECT_EQ(CoraFileOf("q", 2), root + "q.2.pic");
  TLUNNO list;
  list.Add(Profile("q", 1, 1, 0.01));
  list.Add(Profile("q", 1, 2, 0.01));
  platform::TBitmap page(600, 400);
  Plotting().PrinterBegin = [&page] { return &page.Canvas(); };
  int pages = 0;
  Plotting().PrinterEnd = [&pages] { return ++pages > 0; };
  TCORA c;
  c.ReadFile(CoraFileOf("q", 2));
  TGRAF G;
  TJob job("print");
  TFrameDone f = c.PrintFrame(job, list, G);
  EXPECT_EQ(pages, 1);
  ASSERT_EQ(f.Plots.size(), 1u);
  EXPECT_EQ(f.Plots[0].Problem, "");
  EXPECT_FALSE(std::filesystem::exists(root + "TEST/UNSave.txt"));
  TraceMask |= 1 << 26;
  f = c.PrintFrame(job, list, G);
  TraceMask &= ~(1 << 26);
  for (const char* n : {"UNSave1.txt", "UNSave2.txt", "UNSave.txt"})
    EXPECT_TRUE(std::filesystem::exists(root + "TEST/" + n)) << n;
  ResetPlotServices();
  ResetModelServices();
}

}  // namespace
