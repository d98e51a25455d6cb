// Graphs: the line-format string, colour letters, array copies, order and sorting, reports.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "plotting/cvGraph.h"

namespace {

struct Graph : ::testing::Test {
  std::vector<std::string> Warns;
  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
  }
};

TARe Arr(std::initializer_list<double> v) {
  TARe A{0};
  A.insert(A.end(), v);
  return A;
}

TEST_F(Graph, FormatStringsTable) {
  struct Case {
    const char* Format;
    const char* Normal;  // CurvShowFormat after the call
    char Mark;
    char DashCase;
    uint32_t C1, C2;
    double MarkSize, Width;
    size_t NWarn;
  };
  // The graph starts as made by the constructor: mark '.', solid dash, black.
  const Case Cases[] = {
      {"oR", "~oR", 'o', '-', 0x0000FF, 0, 0, 0, 0},
      {"-.K 1.5 2", "-.K 1.5 2", '.', '-', 0, 0, 1.5, 2, 0},
      {"x:RGBY", ":xRG", 'x', ':', 0x0000FF, 0x00FF00, 0, 0, 0},
      {"- [FF0000]", "-. [FF0000]", '.', '-', 0x0000FF, 0, 0, 0, 0},
      {"-R [00FF00]", "-.R", '.', '-', 0x0000FF, 0x00FF00, 0, 0, 0},
      {"- [FF0000][0000FF]", "-. [FF0000][0000FF]", '.', '-', 0x0000FF, 0xFF0000, 0, 0, 0},
      {"-. 1 2 (3 6)", "-. 1 2 (3 6)", '.', '~', 0, 0, 1, 2, 0},
      {"  _o  ", "_o", 'o', '_', 0, 0, 0, 0, 0},
      {":R 0 2", ":.R 0 2", '.', ':', 0x0000FF, 0, 0, 2, 0},
  };
  for (const Case& C : Cases) {
    Warns.clear();
    TOneGraph G;
    G.SetFormat(C.Format);
    SCOPED_TRACE(C.Format);
    EXPECT_EQ(G.CurvShowFormat, C.Normal);
    EXPECT_EQ(G.MarkCh, C.Mark);
    EXPECT_EQ(G.Dash.Case, C.DashCase);
    EXPECT_EQ(G.Color1, C.C1);
    EXPECT_EQ(G.Color2, C.C2);
    EXPECT_DOUBLE_EQ(G.MarkSize, C.MarkSize);
    EXPECT_DOUBLE_EQ(G.Dash.Width, C.Width);
    EXPECT_EQ(Warns.size(), C.NWarn);
  }
  // The numeric pattern: bars of 6 and gaps of 3 on a line 2 pixels wide.
  TOneGraph G;
  G.SetFormat("-. 1 2 (3 6)");
  EXPECT_EQ(G.Dash.Gap, 3);
  EXPECT_EQ(G.Dash.Bar, 6);
  EXPECT_EQ(G.Dash.Width, 2);
  EXPECT_TRUE(G.Dash.Valid);
}

TEST_F(Graph, BadFormatsWarnAndKeepTheShownFormat) {
  TOneGraph G;
  G.SetFormat("-.K 1 2");
  ASSERT_EQ(G.CurvShowFormat, "-.K 1 2");
  G.SetFormat("-. 1 2 (3)");
  EXPECT_EQ(G.CurvShowFormat, "-.K 1 2");
  EXPECT_FALSE(G.Dash.Valid);
  ASSERT_EQ(Warns.size(), 1u);

  Warns.clear();
  G.SetFormat("-. x 2");
  EXPECT_EQ(G.CurvShowFormat, "-.K 1 2");
  EXPECT_EQ(G.MarkSize, 0);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Неаправильно задан размер маркера: <x>, оставляем 0"_cp);

  Warns.clear();
  G.SetFormat("-. 1 y");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Неаправильно задан базовый размер штриха: <y> !"_cp);
  EXPECT_EQ(G.CurvShowFormat, "-.K 1 2");
}

TEST_F(Graph, LettersAAndNWarnAndGiveBlack) {
  for (const char* F : {"-a", "-N"}) {
    Warns.clear();
    TOneGraph G;
    G.Color1 = 0x123456;
    G.SetFormat(F);
    EXPECT_EQ(G.Color1, 0u) << F;
    ASSERT_EQ(Warns.size(), 1u) << F;
    EXPECT_EQ(Warns[0], std::string("ChColor WARNING: Ch=<") + F[1] + ">");
  }
  EXPECT_EQ(ChColor('c'), 0xFFFF00u);
  EXPECT_EQ(ChColor('M'), 0xFF00FFu);
  EXPECT_EQ(FirstColorLetter("-.g 1"), "G");
  EXPECT_EQ(FirstColorLetter("-. 1"), "K");
}

TEST_F(Graph, LineStyleListGainsEachNormalisedFormatOnce) {
  TLineStyles& LS = PlotLineStyles();
  LS.List->Clear();
  TOneGraph G;
  G.SetFormat("oR");
  G.SetFormat("-.K 1 2");
  G.SetFormat("oR");
  ASSERT_EQ(LS.List->Count(), 2);
  EXPECT_EQ((*LS.List)[0], "~oR");
  EXPECT_EQ((*LS.List)[1], "-.K 1 2");
  EXPECT_EQ(LS.Selected, 0);
}

TEST_F(Graph, CurvCopiesAndChecksLengths) {
  TARe X{0}, Y{0};
  for (int i = 1; i <= 10; ++i) X.push_back(i), Y.push_back(10 - i);
  TOneGraph G;
  G.Curv(X, Y, "-.R", 3, nullptr);
  EXPECT_EQ(G.N, 10);
  EXPECT_EQ(G.nXnY_Index, 3);
  EXPECT_EQ(G.Ordered, 3);
  EXPECT_FALSE(G.QZ);
  X[1] = 99;  // a copy
  EXPECT_EQ(G.AX[1], 1);
  G.InsertPoint(11, 11, -1);  // after the last point
  G.InsertPoint(1, 0, 10);
  EXPECT_EQ(G.N, 12);
  EXPECT_EQ(G.AX[1], 0);
  EXPECT_EQ(G.AY[12], -1);
  G.DeletePoint(12);
  G.DeletePoint(1);
  EXPECT_EQ(G.N, 10);
  EXPECT_EQ(G.AX[1], 1);
  try {
    G.LinkXY(X, Y, 11, nullptr);
    FAIL();
  } catch (const EInOutError& E) {
    EXPECT_EQ(std::string(E.what()), "ErrAbs: OneGraph.LinkXY N=11 >= len(AX)=11\r\n");
  }
  TARe Y2 = Y;
  Y2.push_back(1);
  try {
    G.Curv(X, Y2, "-", 1, nullptr);
    FAIL();
  } catch (const EInOutError& E) {
    EXPECT_EQ(std::string(E.what()),
              "ErrAbs: OneGraph.Curv length(AX)=11 <> length(AY)=12 !\r\n");
  }
  EXPECT_THROW(G.LinkXY(X, Y, 0, nullptr), EInOutError);
}

TEST_F(Graph, SortByKeepsAlignedColumnsAndOrderBits) {
  TOneGraph G;
  const TARe W = Arr({7, 8, 9, 10});
  G.Curv(Arr({3, 1, 4, 2}), Arr({30, 10, 40, 20}), "-", 1, &W);
  EXPECT_TRUE(G.QZ);
  EXPECT_EQ(G.Ordered, 0);
  G.SortBy('X');
  EXPECT_EQ(G.AX, Arr({1, 2, 3, 4}));
  EXPECT_EQ(G.AY, Arr({10, 20, 30, 40}));
  EXPECT_EQ(G.AW, Arr({8, 10, 7, 9}));
  EXPECT_EQ(G.Ordered, 3);
  // Already ascending: nothing changes.
  G.SortBy('X');
  EXPECT_EQ(G.AX, Arr({1, 2, 3, 4}));
  Warns.clear();
  EXPECT_FALSE(G.CheckOrd('Z'));
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "OneG.CheckOrd-Err: неаправильный аргумент <Z>\r\nдолжно быть X или Y!"_cp);
}

TEST_F(Graph, ReportsWordForWord) {
  TOneGraph G;
  G.Curv(Arr({1, 2.5}), Arr({3, 4}), "-oR 1.5 2", 1, nullptr);
  G.Name = "T";
  G.OXName = "lg tau";
  G.OYName = "T";
  G.Chain = "0";
  G.WinX = 1;
  G.WinY = 2;
  G.IAUsed = true;
  G.IA = 2;
  auto R = G.Report();
  ASSERT_EQ(R->Count(), 11);
  EXPECT_EQ((*R)[0], "======== ОТЧЁТ \"ПАРАМЕТРЫ ГРАФИКА\" ============"_cp);
  EXPECT_EQ((*R)[1], "Curv <T> Axis OX=<lg tau> OY=<T>");
  EXPECT_EQ((*R)[2], "Dimension=2");
  EXPECT_EQ((*R)[4], "CurvShowFormat=<-oR 1.5 2>");
  EXPECT_EQ((*R)[6], "Window(Scale)Case for_X=1 for_Y=2");
  EXPECT_EQ((*R)[7], "Marker Ch=<o>  Size=1.5mm PixBold=<#0>");
  EXPECT_EQ((*R)[9], " MarkerColor=clRed MarkerFillingColor=clBlack");
  EXPECT_EQ((*R)[10], "Active Point USED, IA=2  Fulcrum Point Not Used");
  EXPECT_EQ(G.ListLine(), "T(lg tau,T) N=2 kT=0 kXY=1 in <0>  Line=<-oR 1.5 2>");
  auto D = G.DataText();
  ASSERT_EQ(D->Count(), 4);
  EXPECT_NE((*D)[1].find("lg_tau"), std::string::npos);
  TLGraph L;
  EXPECT_EQ((*LGraphReport(L))[0], "Нет ни одного графика в списке графиков LGraph!"_cp);
}

}  // namespace
