// The plotter's interaction and the picture window's decisions on an in-memory page: point
// moves in every mode, added points, the nearest-graph search, device to world, fitted and
// refreshed window ranges, picking by clicks, the wheel, keys, film ticks, sizes and the popup.
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "support/PictFixture.h"

namespace {

struct Interact : PictFixture {
  // Graph 1 over x = 0..10 (11 points, y = x), its point 5 active and WorldWinXY on it.
  void OneLine(int32_t IA = 5) {
    TARe X{0}, Y{0};
    for (int i = 0; i <= 10; ++i) X.push_back(i), Y.push_back(i);
    Add(X, Y, "line");
    TOneGraph& Gr = *P->Graph(1);
    Gr.IAUsed = true;
    Gr.IA = IA;
    P->SetCurPic(1);
    P->WorldWinXY = TPointRe{Gr.AX[IA], Gr.AY[IA]};
    P->ViewXY = TPoint{0, 0};
  }
  void Mode(const std::string& Kind) { Tool.MainSet({{"cbMoveKind", Kind}}); }
};

TEST_F(Interact, PointMoveSidewaysMovesOnlyTheActivePoint) {
  OneLine();
  const TARe Y0 = P->Graph(1)->AY;
  const double x0 = Pix(1, 5).X;
  P->PointMove('R');
  P->PointMove('R');
  const TOneGraph& Gr = *P->Graph(1);
  EXPECT_NEAR(Pix(1, 5).X, std::round(x0) + 2, 1e-9);
  EXPECT_EQ(Gr.AY, Y0);
  for (int i = 1; i <= 11; ++i) {
    if (i != 5) {
      EXPECT_EQ(Gr.AX[i], i - 1);
    }
  }
  EXPECT_EQ(Tool.Get("edMouseWX"), ShortSt(8, Gr.AX[5]));
}

TEST_F(Interact, PointMoveUpInEveryMode) {
  struct Case {
    const char* Kind;
    int32_t IB;  // fulcrum (0: none)
  };
  for (const Case C : {Case{"Push All", 0}, Case{"Hit point", 0}, Case{"Lever revolve", 2},
                       Case{"Bent Side", 2}, Case{"Touch Segment", 0}}) {
    SCOPED_TRACE(C.Kind);
    P->ClearAll();
    P->INIG(&Bm->Canvas(), "TFPict", Pict.get(), 0);
    ASSERT_TRUE(P->CheckArrPlot());
    OneLine();
    TOneGraph& Gr = *P->Graph(1);
    Gr.IBUsed = C.IB > 0;
    Gr.IB = C.IB;
    Mode(C.Kind);
    const TARe Y0 = Gr.AY;
    P->SetGraphView(Gr);
    const double py = G.WYToPixR(5) - 1;  // 'U': one row up (edMoveStepP 1)
    const double d = G.PixRToWY(py) - 5;
    ASSERT_GT(d, 0);
    P->PointMove('U');
    for (int i = 1; i <= 11; ++i) {
      const double x = Gr.AX[i];
      double e = 0;
      switch (C.Kind[0]) {
        case 'P': e = d; break;
        case 'H': e = i == 5 ? d : 0; break;
        case 'L': e = d * (x - 1) / (4 - 1); break;
        case 'B': e = (x - 1) / 3 > 0 ? d * (x - 1) / 3 : 0; break;
        case 'T': {
          const double w = 0.05 * 1;  // edStepX times edHalfWidth
          e = d * std::exp(-std::pow((x - 4) / w, 2)) / (w * std::sqrt(M_PI));
          break;
        }
      }
      EXPECT_NEAR(Gr.AY[i], Y0[i] + e, 1e-9) << i;
    }
    EXPECT_DOUBLE_EQ(P->WorldWinXY.Y, Gr.AY[5]);
  }
}

TEST_F(Interact, PointMoveRefusals) {
  OneLine();
  TOneGraph& Gr = *P->Graph(1);
  const TARe Y0 = Gr.AY;
  // Lever about a fulcrum at the active point's X: unchanged.
  Gr.IBUsed = true;
  Gr.IB = 5;
  Mode("Lever revolve");
  P->PointMove('U');
  EXPECT_EQ(Gr.AY, Y0);
  // An active point not in use does not move.
  Gr.IAUsed = false;
  Mode("Push All");
  P->PointMove('D');
  EXPECT_EQ(Gr.AY, Y0);
  Gr.IAUsed = true;
  Warns.clear();
  P->WorldWinXY.X = 99;
  P->PointMove('D');
  Gr.IA = 12;
  P->PointMove('D');
  ASSERT_EQ(Warns.size(), 2u);
  EXPECT_EQ(Warns[0], "PointMove ОШИБКА - значение точки X не совпадает с запомненным!"_cp);
  EXPECT_EQ(Warns[1], "PointMove ОШИБКА неправильный индекс активной точки IA=12 N=11"_cp);
  EXPECT_EQ(Gr.AY, Y0);
}

TEST_F(Interact, AddPointAtKeepsTheXOrder) {
  Add(Arr({1, 2, 3, 4}), Arr({1, 4, 9, 16}), "sq");
  TOneGraph& Gr = *P->Graph(1);
  P->AddPointAt(3.5, 12);
  EXPECT_EQ(Gr.AX, Arr({1, 2, 3, 3.5, 4}));
  EXPECT_EQ(Gr.IA, 4);
  P->AddPointAt(7, 49);
  EXPECT_EQ(Gr.AX, Arr({1, 2, 3, 3.5, 4, 7}));
  EXPECT_EQ(Gr.IA, 6);
  EXPECT_DOUBLE_EQ(P->WorldWinXY.Y, 49);
  Warns.clear();
  P->AddPointAt(2, 0);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0],
            "Нельзя добавить точку к графику, так как уже существует точка с тем же X=2"_cp);
  EXPECT_EQ(Gr.N, 6);
  // A falling graph inserts in its own direction.
  Add(Arr({4, 3, 1}), Arr({0, 0, 0}), "down", "other");
  P->AddPointAt(2, 5);
  EXPECT_EQ(P->Graph(2)->AX, Arr({4, 3, 2, 1}));
}

TEST_F(Interact, HitTestRanksTheGraphsAndFillsTheGrafTab) {
  Add(Arr({0, 10}), Arr({0, 0}), "low", "u");
  Add(Arr({0, 10}), Arr({5, 5}), "mid", "u");
  Add(Arr({0, 10}), Arr({10, 10}), "high", "u");
  for (int n = 1; n <= 3; ++n) {
    P->LWorldWin->GetWin(P->Graph(n)->WinY)->P1 = 0;
    P->LWorldWin->GetWin(P->Graph(n)->WinY)->P2 = 10;
  }
  const TPointRe M = Pix(2, 2);
  const TPLOTTER::THit H = P->HitTest(M.X - 100, M.Y + 3);
  EXPECT_EQ(H.Pic1, 2);
  EXPECT_LT(H.Dist1, 5);
  EXPECT_EQ(H.Pic2, 1);  // became second by losing the first place
  EXPECT_EQ(H.Index, 2);
  EXPECT_DOUBLE_EQ(H.X, 10);
  EXPECT_DOUBLE_EQ(H.Y, 5);
  EXPECT_EQ(Tool.MainGet("edTargetPic1Name"), "mid");
  EXPECT_EQ(Tool.MainGet("edTargetPic2Name"), "low");
  EXPECT_EQ(Tool.MainGet("edTargetPoint"), "2");
  EXPECT_EQ(Tool.MainGet("edTargetPY"), "5");
  // One graph: no second.
  P->ClearAll();
  P->INIG(&Bm->Canvas(), "TFPict", Pict.get(), 0);
  ASSERT_TRUE(P->CheckArrPlot());
  Add(Arr({0, 10}), Arr({0, 1}), "one");
  const TPLOTTER::THit H1 = P->HitTest(10, 10);
  EXPECT_EQ(H1.Pic1, 1);
  EXPECT_EQ(H1.Pic2, 0);
  EXPECT_EQ(Tool.MainGet("edTargetPic2Name"), "");
}

TEST_F(Interact, DevToWorldInvertsTheDevice) {
  EXPECT_DOUBLE_EQ(P->DevToWorld(5, 5).X, 0);
  Add(Arr({2, 8}), Arr({-1, 3}), "g");
  const TPointRe D = Pix(1, 2);
  const TPointRe W = P->DevToWorld(D.X, D.Y);
  EXPECT_NEAR(W.X, 8, 1e-9);
  EXPECT_NEAR(W.Y, 3, 1e-9);
  P->SetCurPic(0);
  EXPECT_DOUBLE_EQ(P->DevToWorld(D.X, D.Y).Y, 0);
}

TEST_F(Interact, FitAndRefreshShowTheRangesTheyKeep) {
  Add(Arr({0.1234567, 0.9876543, 0.5}), Arr({100.123, 100.456, 100.2}), "g");
  P->SetCurWWRange(true, true, 0.11111111, 0.99999999, 99.9876, 100.9876);
  P->ToolsRefresh();
  double x1, x2, y1, y2;
  P->GetCurWWRange(x1, x2, y1, y2);
  int32_t Code;
  EXPECT_EQ(ValRealCode(Tool.Get("edWX1"), Code), x1);
  EXPECT_EQ(ValRealCode(Tool.Get("edWX2"), Code), x2);
  EXPECT_EQ(ValRealCode(Tool.Get("edWY1"), Code), y1);
  EXPECT_EQ(ValRealCode(Tool.Get("edWY2"), Code), y2);
  EXPECT_EQ(Tool.Get("edKPic"), "1");
  EXPECT_EQ(Tool.Get("lbNPic"), "1");
  EXPECT_EQ(Pict->Menu["MGGraInc.Caption"], "Next>1(1)");
  EXPECT_FALSE(Tool.Updating);
  // Fitted to the data (a one-value Y widened by a hundredth).
  P->Graph(1)->AY = Arr({3, 3, 3});
  P->FitWWToCurPic(true, true);
  P->GetCurWWRange(x1, x2, y1, y2);
  EXPECT_DOUBLE_EQ(x1, 0.123);  // rounded by the refresh
  EXPECT_DOUBLE_EQ(x2, 0.988);
  EXPECT_EQ(ValRealCode(Tool.Get("edWX1"), Code), x1);
  EXPECT_DOUBLE_EQ(y1, 2.97);
  EXPECT_DOUBLE_EQ(y2, 3.03);
  Warns.clear();
  Add(Arr({1}), Arr({1}), "single", "z");
  P->FitWWToCurPic(true, true);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "У графика single число точек = 1"_cp);
  // The refresh keeps the lock the tool had.
  Tool.Updating = true;
  P->ToolsRefresh();
  EXPECT_TRUE(Tool.Updating);
}

TEST_F(Interact, JoinAndCompareScales) {
  Add(Arr({0, 10}), Arr({0, 1}), "a", "u");
  Add(Arr({0, 10}), Arr({0, 4}), "b", "v");
  Warns.clear();
  P->JoinWorldWins(true, true);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "График сравнения не задан"_cp);
  P->k_Compare = 1;
  P->CopyCompareScale(false, true);
  double y1, y2;
  P->GetCurWWRangeY(y1, y2);
  EXPECT_DOUBLE_EQ(y1, 1.5);
  EXPECT_DOUBLE_EQ(y2, 2.5);
  const int32_t Old = P->Graph(2)->WinY;
  P->JoinWorldWins(false, true);
  EXPECT_EQ(P->Graph(2)->WinY, P->Graph(1)->WinY);
  EXPECT_EQ(P->LWorldWin->GetWin(Old)->Kind, 0);  // freed
}

TEST_F(Interact, ClicksHighlightThenActivateAPoint) {
  Add(Arr({0, 5, 10}), Arr({0, 10, 0}), "tent");
  Add(Arr({0, 10}), Arr({5, 5}), "flat", "w");
  Pict->PlotterOn = true;
  P->SetCurPic(2);
  const TPointRe T = Pix(1, 2);
  // Far from everything: highlight and active point cleared.
  ClickAt(T.X, T.Y - 200);
  EXPECT_FALSE(P->CurPictHighLight);
  // Within 5 pixels of graph 1 that is not highlighted: highlighted, no active point.
  ClickAt(T.X, T.Y + 4);
  EXPECT_EQ(P->k, 1);
  EXPECT_TRUE(P->CurPictHighLight);
  EXPECT_EQ(P->KPicHL, 1);
  EXPECT_FALSE(P->Graph(1)->IAUsed);
  EXPECT_EQ(Tool.Get("btHighLightCurPic"), "1");
  EXPECT_EQ(Pict->Menu["MGedP.Visible"], "0");
  // 5 to 30 pixels away: nothing changes.
  ClickAt(T.X, T.Y + 20);
  EXPECT_TRUE(P->CurPictHighLight);
  // Within 3 pixels of a point of the highlighted graph: the point is active.
  ClickAt(T.X + 1, T.Y + 1);
  EXPECT_TRUE(P->Graph(1)->IAUsed);
  EXPECT_EQ(P->Graph(1)->IA, 2);
  EXPECT_DOUBLE_EQ(P->WorldWinXY.X, 5);
  EXPECT_EQ(Pict->Menu["MGedP.Visible"], "1");
  EXPECT_EQ(Pict->Menu["MGedL.Visible"], "0");
  EXPECT_EQ(Pict->Menu["MSetFulcrum.Caption"], "Set FulcRum");
  // A fulcrum shows lever, bent side and flatten.
  P->Graph(1)->IBUsed = true;
  P->Graph(1)->IB = 3;
  Pict->PicPopupMenuUpdate();
  EXPECT_EQ(Pict->Menu["MGedFlatten.Visible"], "1");
  EXPECT_EQ(Pict->Menu["MSetFulcrum.Caption"], "Del FulcRum");
  // Arrow keys move it in the chosen mode; Flatten joins it to the fulcrum.
  Pict->MGedClick(2);
  EXPECT_EQ(Tool.MainGet("cbMoveKind"), "Hit point");
  Pict->KeyDown(38);
  EXPECT_GT(P->Graph(1)->AY[2], 10);
  Pict->MGedFlattenClick();
  EXPECT_EQ(P->Graph(1)->AY[3], 0);
  ClickAt(T.X, T.Y - 200);
  EXPECT_FALSE(P->CurPictHighLight);
  EXPECT_FALSE(P->Graph(1)->IAUsed);
  EXPECT_FALSE(Tool.Updating);
}

TEST_F(Interact, PopupFulcrumSetsAndDeletesThroughTheGrafTab) {
  OneLine(2);
  Tool.MainSet({{"edAneG_I", "2"}, {"edAneG_IX", "1"}, {"edAneG_IY", "1"}});  // point 2: (1, 1)
  TOneGraph& Gr = *P->Graph(1);
  Pict->MSetFulcrumClick();
  EXPECT_TRUE(Gr.IBUsed);
  EXPECT_EQ(Gr.IB, 2);
  EXPECT_EQ(Gr.IA, 0);
  EXPECT_TRUE(Gr.IAUsed);  // the capture stays on for the next point
  EXPECT_EQ(Tool.MainGet("edOneG_I"), "2");
  EXPECT_EQ(Tool.MainGet("edOneG_IX"), "1");
  EXPECT_EQ(Tool.MainGet("edOneG_IY"), "1");
  EXPECT_EQ(Tool.MainGet("edAneG_IX"), "0");
  EXPECT_EQ(Tool.MainGet("edAneG_IY"), "0");
  EXPECT_EQ(Pict->Menu["MSetFulcrum.Caption"], "Del FulcRum");
  EXPECT_EQ(Pict->Menu["MGedL.Visible"], "0");
  // Removed again: shown in the Graf tab's fields.
  Pict->MSetFulcrumClick();
  EXPECT_FALSE(Gr.IBUsed);
  EXPECT_EQ(Tool.MainGet("rbFulcrumNo"), "1");
  // No active point now: nothing to set.
  Pict->MSetFulcrumClick();
  EXPECT_FALSE(Gr.IBUsed);
  EXPECT_FALSE(Tool.Updating);
}

TEST_F(Interact, WheelPanKeysAndFilm) {
  Add(Arr({0, 10}), Arr({0, 10}), "g");
  TWorldWin& WX = *P->LWorldWin->GetWin(P->Graph(1)->WinX);
  Pict->PlotterOn = true;
  Pict->Wheel(120);
  EXPECT_NEAR(WX.P1, -0.2, 1e-12);
  EXPECT_NEAR(WX.P2, 10.2, 1e-12);
  WX.P1 = 0, WX.P2 = 10;
  Pict->Wheel(-120);
  EXPECT_NEAR(WX.P1, 0.2, 1e-12);
  EXPECT_NEAR(WX.P2, 9.8, 1e-12);
  EXPECT_EQ(Pict->WheelCount, 0);
  // A drag of 10 pixels to the right moves the window left by 10 pixels' worth.
  WX.P1 = 0, WX.P2 = 10;
  P->SetGraphView(*P->Graph(1));
  const double Step = G.PixRToWX(11) - G.PixRToWX(1);
  Win.Cursor = TPoint{500, 300};
  Pict->MouseDown(true, false);
  Win.Cursor = TPoint{510, 300};
  Pict->MouseMove(200, 200, true);
  EXPECT_NEAR(WX.P1, -Step, 1e-9);
  EXPECT_EQ(P->kPicWorldWindow, 0);
  // Keys.
  Warns.clear();
  Pict->KeyDown(65);
  Pict->KeyDown(17);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "FPict.FormKeyDown Key=$0041");
  Pict->KeyDown(46);
  EXPECT_EQ(P->GraphCount(), 0);
  // Film frames.
  struct F {
    int32_t Pages;
    bool Two;
    std::vector<int32_t> Seq;
  };
  for (const F& C : {F{1, true, {0, 0, 0}}, F{3, true, {2, 3, 3, 2, 1, 1, 2}},
                     F{3, false, {2, 3, 1, 2, 3}}}) {
    int32_t kT = C.Pages == 1 ? 0 : 1, Dir = 1;
    std::vector<int32_t> Got;
    for (size_t i = 0; i < C.Seq.size(); ++i) {
      FilmStep(kT, Dir, C.Pages, C.Two);
      Got.push_back(kT);
    }
    EXPECT_EQ(Got, C.Seq) << C.Pages << C.Two;
  }
  EXPECT_EQ(NextFrame(3, 3), 0);
  EXPECT_EQ(NextFrame(0, 3), 1);
  EXPECT_EQ(PrevFrame(0, 3), 3);
}

TEST_F(Interact, SizesSettingsAndTheFilmTimer) {
  Pict->SetPictSize(600, 400);
  int32_t w, h;
  Win.OuterSize(w, h);
  EXPECT_EQ(w, 616);
  EXPECT_EQ(h, 438);
  Pict->SetPictSize(0, 400);
  Pict->SetPictSize(600, -1);
  Win.OuterSize(w, h);
  EXPECT_EQ(w, 616);
  // A zero drawing area: no fields, no count.
  Win.CW = 0;
  Pict->FormResize();
  EXPECT_EQ(Pict->ResizeCount, 0);
  EXPECT_EQ(Tool.MainGet("edFPictW"), "");
  Win.CW = 600;
  Pict->FormResize();
  EXPECT_EQ(Pict->ResizeCount, 1);
  EXPECT_EQ(Tool.MainGet("edImgX"), "600");
  EXPECT_EQ(Tool.MainGet("edFormH"), "438");
  // FPictW / FPictH: only positive integers are applied.
  std::map<std::string, std::string> Set = {{"FPictW", " "}, {"FPictH", "x"}};
  Plotting().GetSetting = [&](const std::string& K) { return Set[K]; };
  Plotting().SetSetting = [&](const std::string& K, const std::string& V) { Set[K] = V; };
  Pict->FormShow();
  EXPECT_EQ(Win.CW, 600);
  EXPECT_EQ(Win.CH, 400);
  Set = {{"FPictW", "716"}, {"FPictH", "-5"}};
  Pict->FormShow();
  EXPECT_EQ(Win.CW, 700);
  EXPECT_EQ(Win.CH, 400);
  // A refresh with a graph while the window is shown stores its size.
  Add(Arr({0, 1}), Arr({0, 1}), "g");
  P->ToolsRefresh();
  EXPECT_EQ(Set["FPictW"], "716");
  EXPECT_EQ(Set["FPictH"], "438");
  // Film ticks without an area stop the timer.
  Win.GIF = true;
  P->SetArrPlot(nullptr);
  Warns.clear();
  Pict->GIFTick();
  EXPECT_FALSE(Win.GIF);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "FPict.GIFTimer-ERR: PLOTTER.ArrPlot Not Assigned");
}

TEST_F(Interact, RestartAndStop) {
  Pict->PlotterOn = false;
  Pict->RestartPlotter();
  EXPECT_TRUE(Pict->PlotterOn);
  EXPECT_TRUE(Win.Blink);
  EXPECT_EQ(Tool.Get("btShowPic.Hint"), "Выключить \"PLOTTER\""_cp);
  Pict->StopPlotter();
  EXPECT_FALSE(Pict->PlotterOn);
  EXPECT_FALSE(Win.Blink);
  EXPECT_EQ(Tool.Get("btShowPic.Hint"), "Включить \"PLOTTER\""_cp);
  // A device that is not started keeps it off, silently.
  G.ENDG();
  Warns.clear();
  Pict->RestartPlotter();
  EXPECT_FALSE(Pict->PlotterOn);
  EXPECT_TRUE(Warns.empty());
}

TEST_F(Interact, ReportsWordForWord) {
  auto T = P->CurPicText();
  ASSERT_EQ(T->Count(), 1);
  EXPECT_EQ((*T)[0], "Текущий график неопределен!"_cp);
  Add(Arr({1, 2}), Arr({3, 4}), "g");
  auto R = P->PlotterReport();
  EXPECT_EQ((*R)[0].rfind("PLOTTER GraId=", 0), 0u);
  EXPECT_NE((*R)[0].find(" k=1 k_Compare=0 bkColor="), std::string::npos);
  EXPECT_NE((*R)[0].find(" NCurv=1"), std::string::npos);
  EXPECT_EQ((*R)[1], "kPic(LineFormat)=" + IntStr(P->kPicLineFormat) +
                         " kPic(WorldWindow)=" + IntStr(P->kPicWorldWindow));
  EXPECT_EQ((*R)[2], "CurPict k=1 g(x,y) N=2");
  EXPECT_EQ((*R)[3], " Active Point  k=0 Q=false ТП ViewXY=(0,0) WorldWinXY=(0,0)"_cp);
  EXPECT_GE(R->IndexOf("--------- OneG Report ------------"), 0);
  // No line twice.
  for (int32_t i = 0; i < R->Count(); ++i) EXPECT_EQ(R->IndexOf((*R)[i]), i);
}

}  // namespace

namespace {

// A thin solid curve is replayed through the device's line routine: the same pixels as the
// plain polyline, its one-pixel point markers included.
TEST_F(Interact, ThinSolidCurvesAreThePlainPolyline) {
  TARe X{0}, Y{0};
  for (int i = 0; i < 300; ++i) X.push_back(i * 0.1), Y.push_back(std::sin(i * 0.05) * (i % 7 ? 1 : 0.6));
  Add(X, Y, "wave", "", "-R");
  P->PlayOnce();
  std::vector<uint32_t> Replay;
  for (int y = 0; y < Bm->Height(); ++y)
    for (int x = 0; x < Bm->Width(); ++x) Replay.push_back(Bm->Pixel(x, y));
  G.SetBkColor(P->bkColor);
  G.ClearG();
  P->SetGraphView(*P->Graph(1));
  G.CurColor = 0x0000FF;
  G.PixBold = '1';
  G.MOVEW(X[1], Y[1]);
  G.PointW(X[1], Y[1]);
  for (size_t i = 2; i < X.size(); ++i) G.DRAWW(X[i], Y[i]);
  int Diff = 0, Red = 0;
  for (int y = 0; y < Bm->Height(); ++y)
    for (int x = 0; x < Bm->Width(); ++x) {
      Diff += Bm->Pixel(x, y) != Replay[size_t(y) * Bm->Width() + x];
      Red += Bm->Pixel(x, y) == 0x0000FF;
    }
  EXPECT_GT(Red, 500);
  EXPECT_EQ(Diff, 0);
}

}  // namespace
