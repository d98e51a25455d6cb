// The picture tool's points, curve-operation buttons, smoothing list, reference lines, reports
// and the GIF film (read back by giftext and Pillow; skipped with a message when missing).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/Clipboard.h"
#include "plotting/cvCalc.h"
#include "plotting/cvFilm.h"
#include "support/PictFixture.h"
#include "support/TestSupport.h"

namespace {

struct ToolOut : PictFixture {
  bool Warned(const std::string& Part) {
    for (const auto& w : Warns)
      if (w.find(Part) != std::string::npos) return true;
    return false;
  }
  // Graph "g" of 5 points, current, with its active point A in use.
  void Five(int32_t A) {
    Add(Arr({1, 2, 3, 4, 5}), Arr({10, 20, 30, 40, 50}), "g");
    P->SetCurPic(P->GraphCount());
    TOneGraph& G = *P->CurPict();
    G.IAUsed = true;
    G.IA = A;
  }
};

TEST_F(ToolOut, PointSteppingAndDeleting) {
  Five(5);
  Tool.Changed("btNextPoint");
  EXPECT_EQ(P->CurPict()->IA, 1);  // from the last point to point 1
  EXPECT_EQ(Tool.Get("edMouseWX"), "1");
  EXPECT_EQ(Tool.Get("edMouseWY"), "10");
  Tool.Changed("btPrevPoint");
  EXPECT_EQ(P->CurPict()->IA, 5);  // from point 1 to point N
  Tool.Changed("btDelPoint");      // the last of 5: point 4 active
  EXPECT_EQ(P->CurPict()->N, 4);
  EXPECT_EQ(P->CurPict()->IA, 4);
  Tool.ResetActivePoint(2);
  Tool.Changed("btDelPoint");  // point 2: index 2 kept (the former point 3)
  EXPECT_EQ(P->CurPict()->IA, 2);
  EXPECT_EQ(Tool.Get("edMouseWX"), "3");
  Tool.ResetActivePoint(9);
  EXPECT_TRUE(Warned("все проверки уже сделаны, НО ResetActivePoint I=9 вне 1..3"_cp));
  EXPECT_EQ(P->CurPict()->IA, 2);
  // Moving and adding read the world edits.
  Tool.Input("edMouseWX", "abc");
  Tool.Changed("btSetPoint");
  EXPECT_TRUE(Warned("В поле WX не число!"_cp));
  Tool.Input("edMouseWX", "3.5");
  Tool.Input("edMouseWY", "7");
  Tool.Changed("btAddPoint");
  EXPECT_EQ(P->CurPict()->N, 4);
  EXPECT_EQ(P->CurPict()->AX[3], 3.5);
}

TEST_F(ToolOut, OperationsAndSmoothingItems) {
  Five(0);
  Tool.Input("cbOperator", "SQR");
  Tool.Input("cbZoomX", "0");
  Tool.Input("cbZoomY", "1");
  Tool.Changed("btOper");
  EXPECT_EQ(P->CurPict()->Name, "g^2");
  EXPECT_EQ(P->CurPict()->AY[2], 400);
  P->SetCurPic(1);
  Tool.Input("edOperand", "x");
  Tool.Changed("btIPOLLine");
  EXPECT_TRUE(Warned("&&&&&&&&"));
  Tool.Input("edOperand", "0.5");
  Tool.Changed("btIPOLSpline");
  EXPECT_EQ(P->CurPict()->OXName, "SPLINE(x,Step=" + EFSt(4, 0.5) + ")");
  P->SetCurPic(1);
  Tool.Input("cbAutoDel", "1");
  Tool.Changed("cbAutoDel");
  EXPECT_TRUE(P->AutoDelOnPicModify);
  Tool.Input("cbAutoDel", "0");
  Tool.Changed("cbAutoDel");
  const int32_t n = P->GraphCount();
  struct Item {
    const char* Name;
    const char* V;
    int32_t Added;
    const char* Title;
  } Items[] = {
      {"diff", "100", 1, "diff(g)"},       {"intg", "100", 1, "integral(g)"},
      {"2", "100", 1, "smooth_MEAN2(g)"}, {"3", "100", 1, "smooth_MEAN3(g)"},
      {"N", "0", 0, nullptr},             {"N", "2", 1, "smooth_MEANSmooth(g)"},
      {"gauss", "1", 1, "smooth_GAUSS(g)"}, {"eq_N", "2", 1, "comb_X_comb(g)"},
      {"eq_W", "3", 0, nullptr},          {"", "3", 0, nullptr},
      {"Xgrid", "3", 0, nullptr},
  };
  int32_t Count = n;
  for (const Item& I : Items) {
    Warns.clear();
    P->SetCurPic(1);
    Tool.Input("cbSmooth", I.Name);
    Tool.Input("edNInterval", I.V);
    Tool.Changed("btDoSmooth");
    Count += I.Added;
    ASSERT_EQ(P->GraphCount(), Count) << I.Name;
    if (I.Title) {
      EXPECT_EQ(P->CurPict()->Name, I.Title) << I.Name;
    }
  }
  EXPECT_FALSE(Warns.empty());  // "Xgrid" without the Graf tab's memo
  EXPECT_TRUE(Warned("Заполните на странице Graf поле Memo"_cp));
  Warns.clear();
  Tool.Input("cbSmooth", "eq_W");
  Tool.Changed("btDoSmooth");
  EXPECT_TRUE(Warned("PLOTTER.AddApproxCurPicERR: SMOOTH=<MEANeqW> это НЕ ВАРИАНТ!"_cp));
  // Xgrid with a memo: the grid of its first line.
  Tool.MainSet({{"memoGridX", "0 2.5 5.5\r\n9 9"}});
  P->SetCurPic(1);
  Tool.Input("cbSmooth", "Xgrid");
  Tool.Changed("btDoSmooth");
  EXPECT_EQ(P->CurPict()->Name, "<Y>(X)(g)");
  EXPECT_EQ(P->CurPict()->N, 2);
  // The list's effect on the interval edit.
  Tool.Input("cbSmooth", "gauss");
  Tool.Changed("cbSmooth");
  EXPECT_EQ(Tool.Get("edNInterval.Visible"), "1");
  EXPECT_EQ(Tool.Get("edNInterval.Hint"), "Ширина гауссианы в единицах измерения X"_cp);
  Tool.Input("cbSmooth", "Xgrid");
  Tool.Changed("cbSmooth");
  EXPECT_EQ(Tool.Get("edNInterval.Visible"), "0");
  EXPECT_EQ(Tool.Get("btOpenGraphTunes.Left"), "3");
}

TEST_F(ToolOut, ReferenceLinesFromEditsAndClipboard) {
  Five(0);
  platform::MemoryClipboard Clip;
  platform::ClipboardService* Old = platform::SetClipboardService(&Clip);
  Tool.Input("edOperand", "2");
  Tool.Input("edWX1", "0");
  Tool.Input("edWX2", "8");
  Tool.Input("btClipBrdSrc", "1");
  platform::SetClipboardText("1.5\r\nnope\r\n\t2.5\r\n");
  const int32_t n = P->GraphCount();
  Tool.Changed("btLineX");
  EXPECT_EQ(P->GraphCount(), n + 2);
  EXPECT_TRUE(Warned("В ClipBoard НЕ ЧИСЛО: <nope>"_cp));
  EXPECT_EQ(P->CurPict()->OYName, "Y=" + EFSt(8, 2.5));
  platform::SetClipboardText("zz");
  Tool.Changed("btLineY");
  EXPECT_TRUE(Warned("В ClipBoard НЕ ЧИСЛО: <zz>"_cp));
  Tool.Input("btClipBrdSrc", "0");
  Tool.Input("edMouseWX", "4");
  Tool.Input("edWY1", "0");
  Tool.Input("edWY2", "60");
  Tool.Changed("btLineY");
  EXPECT_EQ(P->GraphCount(), n + 3);
  EXPECT_EQ(P->CurPict()->AX, Arr({4, 4}));
  EXPECT_EQ(P->CurPict()->AY, Arr({0, 60}));
  platform::SetClipboardService(Old);
}

TEST_F(ToolOut, StatisticsAndReports) {
  Five(0);
  TCalcStat Got;
  bool Shown = false;
  Plotting().ShowCalcStat = [&](const TCalcStat& S) {
    Got = S;
    Shown = true;
  };
  std::vector<std::pair<std::string, int>> Opened;
  Plotting().EditText = [&](const std::string& T, const TStringList& L) {
    Opened.push_back({T, L.Count()});
  };
  Tool.Changed("btPicStat");
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Got.Col, -1);
  EXPECT_EQ(Got.N, 5);
  EXPECT_DOUBLE_EQ(Got.A, 10);
  Tool.Changed("btPrint");
  Tool.Changed("btOXReport");
  Tool.Changed("btPLOTTERReport");
  ASSERT_EQ(Opened.size(), 3u);
  EXPECT_EQ(Opened[0].first, "PLOTTER.ReportCurPic");
  EXPECT_EQ(Opened[1].first, "PLOTTER.OX_Report");
  EXPECT_EQ(Opened[2].first, "Gra&PLOTTER REPORT");
  // Without a device: the first lines as a warning, nothing opened.
  P->Gra = nullptr;
  Win.Shown = false;
  Tool.Changed("btPLOTTERReport");
  EXPECT_EQ(Opened.size(), 3u);
  ASSERT_FALSE(Warns.empty());
  EXPECT_EQ(Warns.back(), "Форма для вывода графиков СКРЫТА!\r\nPLOTTER=On CORA=Off ZEE=Off Mod=Off\r\n"
                          "Система PLOTTER не инициирована (PLOTTER.Gra=NIL)!"_cp);
  P->Gra = &G;
}

// ---- the film ----

bool Have(const std::string& Cmd) { return testsupport::RunShell(Cmd + " >/dev/null 2>&1; echo $?") == "0\n"; }

struct Film : ToolOut {
  testsupport::TempDir Dir;
  std::string File;
  void SetUp() override {
    ToolOut::SetUp();
    File = Dir.file("film.gif");
    Plotting().FilmFile = [this](const std::string&, std::string&) { return File; };
  }
  // Graphs at different heights (a frame per page, or one graph each).
  void Graphs(int32_t N, bool Pages) {
    const char* Colors[] = {"-R 0 3", "-G 0 3", "-B 0 3", "-M 0 3"};
    for (int32_t i = 1; i <= N; ++i)
      P->NewGraph(Arr({0, 10}), Arr({0, double(i)}), 1, Pages ? i : 0, Colors[(i - 1) % 4],
                  "g" + IntStr(i), "x", "y", "", "Y");
    P->PlayOnce();
  }
  // Pillow: "frames=N" and the frames' pixel signatures in order.
  std::vector<std::string> PilFrames() {
    const std::string Py =
        "import sys,hashlib\nfrom PIL import Image, ImageSequence\nim=Image.open(sys.argv[1])\n"
        "for f in ImageSequence.Iterator(im):\n  print(hashlib.md5(f.convert('RGB').tobytes()).hexdigest())\n";
    std::ofstream(Dir.file("f.py")) << Py;
    std::istringstream Out(testsupport::RunShell("/usr/bin/python3 " + Dir.file("f.py") + " " + File));
    std::vector<std::string> R;
    for (std::string L; std::getline(Out, L);) R.push_back(L);
    return R;
  }
};

TEST_F(Film, PagesBackAndForth) {
  Graphs(3, true);
  P->ArrPlot()->nt = 4;  // page 4 draws nothing and is left out
  P->kT = 2;
  P->ShowFrameGraphs();
  Tool.MainSet({{"cb_gif_2side", "1"}, {"ed_tGIF", "0.25"}});
  ASSERT_TRUE(Tool.btGIFClick());
  ASSERT_TRUE(std::filesystem::exists(File));
  EXPECT_FALSE(std::filesystem::exists(File + ".part"));
  EXPECT_EQ(P->kT, 2);  // restored
  if (!Have("/usr/bin/giftext --help") && !std::filesystem::exists("/usr/bin/giftext")) {
    GTEST_SKIP() << "giftext (giflib-tools) is not installed: the film is not read back";
  }
  const std::string T = testsupport::RunShell("/usr/bin/giftext " + File + " 2>&1");
  size_t Delays = 0;
  for (size_t p = T.find("DelayTime:"); p != std::string::npos; p = T.find("DelayTime:", p + 1))
    ++Delays;
  EXPECT_EQ(Delays, 6u) << T;
  EXPECT_NE(T.find("DelayTime: 25"), std::string::npos) << T;  // hundredths of a second
  EXPECT_NE(T.find("application block"), std::string::npos) << T;
  // The looping block: "NETSCAPE2.0", sub-block 3, 1, count 1000 (little-endian), 0: 19 bytes.
  std::ifstream In(File, std::ios::binary);
  const std::string B((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  const std::string Loop = std::string("\x21\xFF\x0B", 3) + "NETSCAPE2.0" + std::string("\x03\x01\xE8\x03\x00", 5);
  EXPECT_EQ(Loop.size(), 19u);
  EXPECT_NE(B.find(Loop), std::string::npos);
  if (testsupport::RunShell("/usr/bin/python3 -c 'import PIL' 2>/dev/null; echo $?") != "0\n")
    GTEST_SKIP() << "python3-pil is not installed: frame order and pixels not checked";
  const auto F = PilFrames();
  ASSERT_EQ(F.size(), 6u);
  EXPECT_EQ(F[0], F[5]);  // 1, 2, 3, 3, 2, 1
  EXPECT_EQ(F[1], F[4]);
  EXPECT_EQ(F[2], F[3]);
  EXPECT_NE(F[0], F[1]);
  EXPECT_NE(F[1], F[2]);
}

TEST_F(Film, GraphsForwardRestoreTheCurrentGraph) {
  Graphs(4, false);
  P->SetCurPic(2);
  Tool.MainSet({{"cb_gif_2side", "0"}, {"ed_tGIF", "0.0004"}});
  ASSERT_TRUE(Tool.btGIFClick());
  EXPECT_EQ(P->k, 2);
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(P->Graph(i)->QViz, i == 2) << i;
  const std::string T = testsupport::RunShell("/usr/bin/giftext " + File + " 2>&1");
  // Delays of 0 ms: no graphic control blocks, four images.
  size_t Images = 0;
  for (size_t p = T.find("Image #"); p != std::string::npos; p = T.find("Image #", p + 1)) ++Images;
  if (std::filesystem::exists("/usr/bin/giftext")) {
    EXPECT_EQ(Images, 4u) << T;
    EXPECT_EQ(T.find("DelayTime: "), std::string::npos) << T;
  }
  if (testsupport::RunShell("/usr/bin/python3 -c 'import PIL' 2>/dev/null; echo $?") != "0\n")
    GTEST_SKIP() << "python3-pil is not installed: frame count not checked by Pillow";
  EXPECT_EQ(PilFrames().size(), 4u);
}

TEST_F(Film, RefusalsLeaveNoFile) {
  Graphs(2, false);
  struct Case {
    const char* Time;
    std::string Want;
  } Cases[] = {{"abc", "Исправте время Gig-кадра на закладке Graf главной формы!"_cp},
               {"70", "65535"},
               {"-1", "65535"}};
  for (const Case& c : Cases) {
    Warns.clear();
    Tool.MainSet({{"ed_tGIF", c.Time}});
    EXPECT_FALSE(Tool.btGIFClick());
    EXPECT_TRUE(Warned(c.Want)) << c.Time;
  }
  Tool.MainSet({{"ed_tGIF", "0.2"}});
  Plotting().FilmFile = [](const std::string&, std::string& Err) {
    Err = "no CORA GIF";
    return std::string();
  };
  EXPECT_FALSE(Tool.btGIFClick());
  EXPECT_TRUE(Warned("no CORA GIF"));
  EXPECT_FALSE(std::filesystem::exists(File));
  // A cancelled writing job leaves no file either.
  std::vector<TDib> Frames;
  FilmFrames(*P, false, Frames);
  ASSERT_EQ(Frames.size(), 2u);
  TJob J("film");
  J.Cancel();
  EXPECT_FALSE(FilmWrite(Frames, 10, File, J));
  EXPECT_FALSE(std::filesystem::exists(File));
  EXPECT_FALSE(std::filesystem::exists(File + ".part"));
  // Progress per frame.
  TJob K("film");
  int Steps = 0;
  K.OnProgress = [&](const TJobProgress&) { ++Steps; };
  EXPECT_TRUE(FilmWrite(Frames, 10, File, K));
  EXPECT_GE(Steps, 3);
  EXPECT_TRUE(std::filesystem::exists(File));
}

}  // namespace
