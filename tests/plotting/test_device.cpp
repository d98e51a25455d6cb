// The graphics device on an in-memory bitmap: binding, viewports, world windows, safe mapping,
// the pixel line rule, thick points, frames, clears, text placement, queries and the report.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "platform/CodePage.h"
#include "plotting/cvGRAD.h"

namespace {

using Pix = std::pair<int, int>;

struct Device : ::testing::Test {
  platform::TBitmap Bm{800, 600};
  TGRAF G;
  std::vector<std::string> Warns;

  void SetUp() override {
    ResetSayerForTests();
    ResetPlotServices();
    Plotting().Warn = [this](const std::string& T) { Warns.push_back(T); };
    G.INIGCanvas(&Bm.Canvas(), 0);
    G.ClearG();
    G.SetGColor(0x0000FF);
  }
  // Viewport = the whole page, world = device pixels.
  void PixelWorld() {
    G.VIPOPO(1, 800, 1, 600);
    G.WINDOW(0, 799, 599, 0);
  }
  std::set<Pix> Painted() const {
    std::set<Pix> S;
    for (int y = 0; y < Bm.Height(); ++y)
      for (int x = 0; x < Bm.Width(); ++x)
        if (Bm.Pixel(x, y) != 0xFFFFFF) S.insert({x, y});
    return S;
  }
  void Wipe() {
    G.SetBkColor(0xFFFFFF);
    G.ClearG();
  }
};

TEST_F(Device, PaletteAndScreenDiagonal) {
  EXPECT_EQ(TGRAF::IdxToColor(0), 0u);
  EXPECT_EQ(TGRAF::IdxToColor(8), 0xAFAFAFu);
  EXPECT_EQ(TGRAF::IdxToColor(14), 0xFFFF00u);
  EXPECT_EQ(TGRAF::IdxToColor(16), 16u);
  // The default diagonal by screen width: 24 inches up to 1920 pixels, 27 above.
  const struct { int W; double D; } Cases[] = {{1440, 19}, {1600, 21}, {1920, 24}, {1921, 27}};
  for (const auto& C : Cases) {
    Plotting().ScreenSize = [&] { return std::pair<int32_t, int32_t>(C.W, 1080); };
    G.INIGCanvas(&Bm.Canvas(), 0);
    const double P = std::sqrt(double(C.W) * C.W + 1080.0 * 1080) / (25.4 * C.D);
    EXPECT_EQ(G.PageMmX, std::nearbyint(800 / P)) << C.W;
    EXPECT_EQ(G.PagePixX, 800);
    EXPECT_EQ(G.CurColor, 0x808080u);
    EXPECT_EQ(G.OnRun, 21930);
  }
  EXPECT_EQ(G.IdRun, 5);
  Plotting().ScreenSize = [] { return std::pair<int32_t, int32_t>(0, 0); };
  G.INIGCanvas(&Bm.Canvas(), 0);
  EXPECT_EQ(Warns.back(), "GRAF.INIGCanvas Width=0!");
  EXPECT_THROW(G.INIGCanvas(nullptr, 0), std::exception);
}

TEST_F(Device, PrinterPageAt600Dpi) {
  platform::TBitmap Page(4960, 7016);
  G.INIGPrinter(&Page.Canvas());
  EXPECT_NEAR(G.PageMmX, 209.97, 0.005);
  EXPECT_NEAR(G.PageMmY, 297.01, 0.005);
  EXPECT_EQ(G.DeviceName, "PRINTER");
  EXPECT_EQ(G.CurColor, 0u);
}

TEST_F(Device, ViewportsAndWindows) {
  // VIPO10 on 800 x 600: Y grows upward.
  G.VIPO10(0, 1, 0, 1);
  EXPECT_EQ(G.XV1, 0);
  EXPECT_EQ(G.XV2, 799);
  EXPECT_EQ(G.YV1, 599);
  EXPECT_EQ(G.YV2, 0);
  G.WINDOW(0, 1, 0, 1);
  EXPECT_LT(G.KY, 0);
  EXPECT_EQ(G.IsViewOp, 'Y');
  // Percent is fractions times 100; swapped bounds are put in order.
  G.VIPOPC(100, 0, 100, 0);
  EXPECT_EQ(G.XV2, 799);
  // Millimetres: x1 > x2 is fatal, y1 > y2 accepted (Y upward).
  EXPECT_THROW(G.VIPOMM(10, 5, 0, 50), std::exception);
  G.VIPOMM(5, 10, 50, 0);
  EXPECT_EQ(G.ViewOpCase, 'M');
  EXPECT_LT(G.YVD, 0);
  EXPECT_THROW(G.VIPOPO(5, 4, 1, 2), std::exception);
  // An unknown kind warns and changes nothing.
  G.VIEWOP('Q', 0, 1, 0, 1);
  EXPECT_EQ(Warns.back(), "GRAF VIEWOP Err: Тип видовой операции = <Q> допустимы типы <M/P/O/%>"_cp);
  EXPECT_EQ(G.ViewOpCase, 'M');
  // An empty world range is widened.
  const struct { double x1, x2, Lo, Hi; } W[] = {{5, 5, 4.95, 5.05}, {0, 0, -0.01, 0.01}};
  for (const auto& C : W) {
    Warns.clear();
    G.WINDOW(C.x1, C.x2, 0, 1);
    ASSERT_EQ(Warns.size(), 1u);
    EXPECT_NE(Warns[0].find("X1 = XN !!!"), std::string::npos);
    EXPECT_NEAR(G.XW0, C.Lo, 1e-12);
    EXPECT_NEAR(G.XW0 + G.XWD, C.Hi, 1e-12);
  }
  // A device not started refuses viewports with a warning.
  TGRAF Fresh;
  Fresh.WINDOW(0, 1, 0, 1);
  EXPECT_EQ(Warns.back(), "GRAF.WINDOW - graf not yet started!");
  EXPECT_NE(Fresh.IsWorldWin, 'Y');
}

TEST_F(Device, SafeMappingAndClampedPointStayWithinFiveExtents) {
  for (bool Flip : {false, true}) {
    G.VIPOPO(101, 301, 101, 201);
    if (Flip) G.WINDOW(1, 0, 0, 1); else G.WINDOW(0, 1, 0, 1);
    const double E = std::abs(G.XVD);
    const TPoint L = G.WToPixSafe(Flip ? 1001 : -1000, 0.5);
    const TPoint R = G.WToPixSafe(Flip ? -1000 : 1001, 0.5);
    EXPECT_EQ(std::abs(R.X - G.XV1), 5 * E) << Flip;
    EXPECT_EQ(std::abs(L.X - G.XV1), 5 * E) << Flip;
  }
  G.VIPOPO(101, 301, 101, 201);
  G.SetTPClamped(-100000, 100000);
  EXPECT_EQ(G.TPX, 100 - 5 * 200);
  EXPECT_EQ(G.TPY, 499 + 5 * 100);
  EXPECT_EQ(G.TPXR, G.TPX);
  G.SetTPClamped(150, 450);
  EXPECT_EQ(G.GetTP(), Point(150, 450));
  // Without viewport and window the defaults are installed.
  TGRAF D;
  D.INIGDev("X", 200, 100, 800, 400);
  D.WToPixSafe(0, 0);
  EXPECT_EQ(D.ViewOpCase, 'M');
  EXPECT_EQ(D.IsWorldWin, 'Y');
  EXPECT_EQ(D.XW0 + D.XWD, 255);
}

TEST_F(Device, LineRule) {
  PixelWorld();
  const struct { int x1, y1, x2, y2; std::set<Pix> Want; } Cases[] = {
      // X major: e < 0 keeps the row; both ends set.
      {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
      // drawn from the end with the smaller major coordinate whatever the direction
      {4, 2, 0, 0, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
      // equal differences: Y major
      {10, 10, 13, 7, {{13, 7}, {12, 8}, {11, 9}, {10, 10}}},
      {2, 20, 3, 24, {{2, 20}, {2, 21}, {3, 22}, {3, 23}, {3, 24}}},
      {5, 5, 5, 5, {{5, 5}}},
  };
  for (const auto& C : Cases) {
    Wipe();
    G.MOVEW(C.x1, C.y1);
    G.DRAWW(C.x2, C.y2);
    EXPECT_EQ(Painted(), C.Want) << C.x1 << "," << C.y1 << " " << C.x2 << "," << C.y2;
    EXPECT_EQ(G.GetTP(), Point(C.x2, C.y2));
  }
  // Thickening across the line: '3' one row above and below on an X-major line.
  Wipe();
  G.PixBold = '3';
  G.MOVEW(10, 10);
  G.DRAWW(14, 10);
  EXPECT_EQ(Painted().size(), 15u);
  // A segment partly outside draws the visible part only; wholly outside draws nothing.
  Wipe();
  G.PixBold = 0;
  G.MOVEW(-10, 5);
  G.DRAWW(5, 5);
  EXPECT_EQ(Painted().size(), 6u);
  Wipe();
  Sayer->WarnOn();
  std::vector<std::string> Said;
  Sayer->SetHook([&](const std::string& T, const std::string&) { Said.push_back(T); });
  G.MOVEW(-10, 5);
  G.DRAWW(-5, 50);
  EXPECT_TRUE(Painted().empty());
  ASSERT_FALSE(Said.empty());
  EXPECT_NE(Said.back().find("не попал в окно вывода!"_cp), std::string::npos);
}

TEST_F(Device, PointsAxisLinesFramesAndClears) {
  PixelWorld();
  const struct { char Bold; size_t N; } Points[] = {{'3', 9}, {'5', 25}, {'x', 1}};
  for (const auto& C : Points) {
    Wipe();
    G.PixBold = C.Bold;
    G.PointW(50, 50);
    EXPECT_EQ(Painted().size(), C.N) << C.Bold;
    EXPECT_EQ(G.GetTP(), Point(50, 50));
  }
  Wipe();
  G.PixBold = '3';
  G.HLineW(20, 10, 30);  // 11 columns x 3 rows
  EXPECT_EQ(Painted().size(), 33u);
  EXPECT_EQ(Bm.Pixel(10, 29), 0x0000FFu);
  EXPECT_EQ(Bm.Pixel(20, 31), 0x0000FFu);
  EXPECT_EQ(G.GetTP(), Point(10, 30));
  Wipe();
  G.VLineW(10, 14, 40);  // 5 rows x 3 columns
  EXPECT_EQ(Painted().size(), 15u);
  Wipe();
  G.PixBold = 0;
  G.RectW(10, 20, 10, 15);
  EXPECT_EQ(Painted().size(), 2u * 11 + 2u * 4);
  // FrameView: the four edges of ViewRect, corners included, one pixel wide.
  Wipe();
  G.VIPOPO(11, 20, 11, 15);
  G.FrameView();
  std::set<Pix> Want;
  for (int x = 10; x <= 19; ++x) Want.insert({x, 585}), Want.insert({x, 589});
  for (int y = 585; y <= 589; ++y) Want.insert({10, y}), Want.insert({19, y});
  EXPECT_EQ(Painted(), Want);
  // ClearView excludes the right column and the bottom row.
  G.SetBkColor(0x00FF00);
  G.ClearView();
  EXPECT_EQ(Bm.Pixel(10, 585), 0x00FF00u);
  EXPECT_EQ(Bm.Pixel(18, 588), 0x00FF00u);
  EXPECT_EQ(Bm.Pixel(19, 588), 0x0000FFu);
  EXPECT_EQ(Bm.Pixel(18, 589), 0x0000FFu);
}

TEST_F(Device, PixelsPastTheSurfaceAndNonFiniteCoordinatesAreIgnored) {
  PixelWorld();
  G.PixBold = '5';
  G.MOVEW(0, 599);
  G.DRAWW(800, 599);  // page clip includes X = 800; thickening reaches row 601
  G.PointW(799, 599);
  G.PointW(NAN, 5);
  G.MOVEW(10, 10);
  G.DRAWW(INFINITY, 10);
  G.DRAWW(20, 20);  // starts from a point that is not finite: nothing
  G.HLineW(0, NAN, 3);
  EXPECT_EQ(Bm.Pixel(10, 10), 0xFFFFFFu);
  EXPECT_EQ(Bm.Pixel(15, 15), 0xFFFFFFu);
  EXPECT_EQ(Bm.Pixel(799, 597), 0x0000FFu);
}

TEST_F(Device, TextPlacementAndQueries) {
  PixelWorld();
  const int w = Bm.Canvas().TextWidth("AB"), h = Bm.Canvas().TextHeight("AB");
  G.TextAtW("AB", 'R', 100, 100, 'D', 3);
  std::set<Pix> P = Painted();
  ASSERT_FALSE(P.empty());
  EXPECT_LE(P.rbegin()->first, 100 - 3);
  EXPECT_GE(P.begin()->first, 100 - 3 - w);
  for (const auto& [x, y] : P) {
    EXPECT_GE(y, 100 - 3 - h);
    EXPECT_LT(y, 100 - 3);
  }
  // TheNearest: ties keep the lower index; one point gives 1.
  TARe AX{0, 10, 30, 10}, AY{0, 10, 10, 10};
  EXPECT_EQ(G.TheNearest(&AX, &AY, 20, 10), 1);
  TARe One{0, 5}, OneY{0, 5};
  EXPECT_EQ(G.TheNearest(&One, &OneY, 400, 400), 1);
  TARe Short{0, 1};
  EXPECT_THROW(G.TheNearest(&AX, &Short, 0, 0), std::exception);
  int32_t I;
  double D0, DC;
  TARe BX{0, 0, 100}, BY{0, 0, 0};
  G.NearestOnCurve(&BX, &BY, 10, 5, I, D0, DC);
  EXPECT_EQ(I, 1);
  EXPECT_NEAR(D0, std::hypot(10, 5), 1e-9);
  // The distance rule: t = d0 / (d0 + d1) * L along the chord, then sqrt(d0^2 - t^2).
  const double d0 = std::hypot(10, 5), d1 = std::hypot(90, 5), t = d0 / (d0 + d1) * 100;
  EXPECT_NEAR(DC, std::sqrt(d0 * d0 - t * t), 1e-9);
  G.NearestOnCurve(&BX, &BY, 0, 0, I, D0, DC);
  EXPECT_EQ(DC, 0);
  const TPointRe MM = AReMinMaxPoint(TARe{0, 3, -1, 7});
  EXPECT_EQ(MM.X, -1);
  EXPECT_EQ(MM.Y, 7);
}

TEST_F(Device, ShadeDrawsOffScreenUntilFlushed) {
  PixelWorld();
  G.ShadeOn();
  ASSERT_TRUE(G.ShadeBMP);
  EXPECT_EQ(G.ShadeBMP->Width(), 801);
  G.PointW(5, 5);
  EXPECT_EQ(Bm.Pixel(5, 5), 0xFFFFFFu);
  G.ENDG();
  EXPECT_EQ(Bm.Pixel(5, 5), 0x0000FFu);
  EXPECT_FALSE(G.Shade);
  EXPECT_EQ(G.OnRun, 0);
}

TEST_F(Device, Report) {
  PixelWorld();
  auto R = G.Report();
  ASSERT_GE(R->Count(), 20);
  EXPECT_EQ((*R)[0], "Graf Device=<Canvas> Size in Inches=0 Debug_IO=0");
  EXPECT_EQ((*R)[1], "Система TGraf - owner не назначен!OnRun=55AA IdRun=1"_cp);
  EXPECT_EQ((*R)[2], "ShadeBMP Not Assigned! Shade is Off");
  EXPECT_EQ((*R)[3], "ViewOpCase=<P>=Pix Is(WorldWin)=<Y> Is(ViewOp)=<Y>");
  EXPECT_EQ((*R)[5], "=======  Геометрия устройства  ======="_cp);
  G.SetOwner("TFPict");
  EXPECT_EQ((*G.Report())[1], "OnRun=55AA IdRun=1 Owner=<TFPict>");
}

}  // namespace

namespace {

TEST_F(Device, TraceLinesOnChannelTwo) {
  std::vector<std::string> Said;
  Sayer->SetHook([&](const std::string& T, const std::string&) { Said.push_back(T); });
  G.SetGCOLR(8);
  EXPECT_TRUE(Said.empty());  // channel 2 off
  TraceMask = 1 << 2;
  G.SetGCOLR(8);
  G.VIPOPO(1, 10, 1, 10);
  TraceMask = 0;
  ASSERT_GE(Said.size(), 4u);
  EXPECT_EQ(Said[0], "SetGCOLR  8 => $00AFAFAF");
  EXPECT_EQ(Said[1], "SetGColor $00AFAFAF");
  EXPECT_EQ(Said[2].rfind("PAGE=", 0), 0u);
}

TEST_F(Device, ThickSegmentCoversItsQuadrilateral) {
  // A 45-degree segment of half width 3: all pixels within the band, the band nearly full.
  ThickSegment(Bm.Canvas(), 0x00FF00, 100, 100, 200, 200, 3);
  int In = 0, Out = 0;
  for (int y = 90; y < 210; ++y)
    for (int x = 90; x < 210; ++x) {
      const double Across = std::abs((x - 100) - (y - 100)) / std::sqrt(2.0);
      const double Along = ((x - 100) + (y - 100)) / std::sqrt(2.0);
      const bool Set = Bm.Pixel(x, y) == 0x00FF00u;
      const bool Inside = Across <= 2.5 && Along >= 0.5 && Along <= 140.9;
      const bool Outside = Across > 4.5 || Along < -1.5 || Along > 142.9;
      In += Inside && !Set;
      Out += Outside && Set;
    }
  EXPECT_EQ(In, 0);
  EXPECT_EQ(Out, 0);
  // Far ends are cut to the surface first.
  ThickSegment(Bm.Canvas(), 0x00FF00, -1e12, 50, 1e12, 50, 1);
  EXPECT_EQ(Bm.Pixel(400, 50), 0x00FF00u);
  ThickSegment(Bm.Canvas(), 0x00FF00, -1e3, -50, -10, -50, 1);  // wholly outside: nothing
}

}  // namespace

namespace {

TEST_F(Device, MessagesWordForWord) {
  auto Fatal = [](const std::function<void()>& F) -> std::string {
    try {
      F();
    } catch (const std::exception& E) {
      return E.what();
    }
    return "(nothing)";
  };
  platform::TBitmap Empty(0, 0);
  TARe A{0, 1, 2}, B{0, 1};
  const struct { std::function<void()> Run; std::string Want; } Fatals[] = {
      {[&] { G.INIGCanvas(nullptr, 0); }, "Err Graf Ini-G-Canvas Значение Canvas не присвоено!"},
      {[&] { G.INIGCanvas(&Empty.Canvas(), 0); },
       "Err Graf Ini-G-Canvas ClipRect для Canvas не задан!\n\rВозможно, форма на которой лежит "
       "Canvas минимизирована!"},
      {[&] { G.VIPOMM(10, 5, 0, 50); },
       "GRAF.VIPOMM при задании поля вывода X2,Y2 должны быть больше X1,Y1!"},
      {[&] { G.VIPOPO(5, 4, 1, 2); },
       "GRAF.VIPOPO при задании поля вывода\r\nX2=4 должны быть больше\r\nX1=5 !"},
      {[&] { G.VIPOPO(1, 4, 3, 2); },
       "GRAF.VIPOPO при задании поля вывода\r\nY2=2 должны быть больше\r\nY1=3 !"},
      {[&] { G.CURV(nullptr, &B, 0); }, "GRAF CURV массив AX Not Assigned!"},
      {[&] { G.CURV(&A, &B, 0); }, "GRAF CURV массивы AX AY имеют разную размерность = 2 и 1"},
      {[&] { G.TheNearest(nullptr, &B, 0, 0); }, "GRAF TheNearest массив AX Not Assigned!"},
      {[&] { G.TheNearest(&A, &B, 0, 0); },
       "GRAF TheNearest массивы AX AY имеют разную размерность = 2 и 1"},
  };
  for (const auto& C : Fatals)
    EXPECT_EQ(Fatal(C.Run), "ErrAbs: " + platform::Utf8ToCp1251(C.Want) + "\r\n");
  G.INIGCanvas(&Bm.Canvas(), 0);
  const struct { std::function<void()> Run; std::vector<std::string> Want; } Warnings[] = {
      {[&] { G.INIGDev("Dev", 0, 10, 100, 100); },
       {"GRAF.INIGDev<Dev> не должен быть вызван когда IPagX/Y=0!"}},
      {[&] { G.WINDOW(5, 5, 0, 1); }, {"Graf.WINDOW(5.000,5.000:0,1)\r\nX1 = XN !!!"}},
      {[&] { G.WINDOW(0, 1, 2.5, 2.5); }, {"Graf.WINDOW(0.000,1.000:2.5,2.5)\r\nY1 = YN !!!"}},
      {[&] { G.EnsureGrider().SetOX(0, 'D', 0, 1, 0, 1); },
       {"GRIDER.SetOX-ERR NMk=0",
        "cvGRAD.CalcDelta-ERR в параметрах вызова!\r\nN=0!!!->3, X1=0 X2=1 DXOUT=1"}},
      {[&] { G.EnsureGrider().SetOY(0, 'L', 0, 1, 0, 1); },
       {"GRIDER.SetOY-ERR NM=0",
        "cvGRAD.CalcDelta-ERR в параметрах вызова!\r\nN=0!!!->3, X1=0 X2=1 DXOUT=1"}},
  };
  for (const auto& C : Warnings) {
    Warns.clear();
    C.Run();
    std::vector<std::string> Want;
    for (const auto& W : C.Want) Want.push_back(platform::Utf8ToCp1251(W));
    EXPECT_EQ(Warns, Want);
  }
}

TEST_F(Device, ReportLinesAfterADrawingPass) {
  G.VIPOPO(11, 110, 21, 70);
  G.WINDOW(0, 10, 0, 5);
  G.MOVEW(2.5, 1);
  G.SetMarkerCh('o');
  G.SetMarkerSize(1.5);
  G.PixBold = '3';
  G.Dash.SetWidth(2);
  G.Dash.SetStyle(':');
  G.ShadeOn();
  const char* Want[] = {
      "Graf Device=<Canvas> Size in Inches=0 Debug_IO=0",
      "Система TGraf - owner не назначен!OnRun=55AA IdRun=1",
      "ShadeBMP Width=801 Height=601 Shade is On",
      "ViewOpCase=<P>=Pix Is(WorldWin)=<Y> Is(ViewOp)=<Y>",
      "",
      "=======  Геометрия устройства  =======",
      nullptr,  // page size: depends on the screen diagonal
      "====  Геометрия видовой операции  ====",
      "-- ФИЗ.КООРД.ПОЛЯ ЗРЕНИЯ в точках --",
      "View X=(10..109) dX=99 Y=(579..530) dY=-49",
      "-- МИРОВЫЕ КООРДИНАТЫ --",
      "Wind X0=0 dX=10 Y0=0 dY=5",
      "-- МНОЖИТЕЛИ ДЛЯ ВИДОВОЙ ОПЕРАЦИИ --",
      "ViewOp Factors =( 9.9x -9.8)",
      "-- ПОЛЕ ВИДОВОЙ ОПЕРАЦИИ В ТОЧКАХ --",
      "ViewOp Rect =(10..109)x(579..530)",
      "- ТЕКУШИЕ ФИЗИЧЕСКИЕ КООРДИНАТЫ В ЦЕЛЫХ И В REAL ПИКСЕЛЯХ -",
      "TP =(35,569) exactly (34.75,569.2)",
      "CurColor=$000000FF MarkFillColor=$00000000 BackColor=$00FFFFFF",
      "-- Обслуживание вывода строк --",
      "Axis labels AdjHor=<#0> AdjVer=<#0> dx=0 dy=0 Dir=0 ICurStr=0 IPixMargin=0 "
      "Color=$00000000",
      "-- Параметры маркера --",
      "Marker Ch=<o> FillBy=NotFilled(0) Size=1.5mm PixBold=<3>",
      "-- установки ширины и параметров штриха --",
      "Dashed Line Case=<:> width of (Gap=3 Bar=0 Dot=1 Sum=14) kDash(int)=2 (real)=2) "
      "LinkPhase=0",
  };
  auto R = G.Report();
  ASSERT_EQ(R->Count(), int(std::size(Want)));
  for (int i = 0; i < R->Count(); ++i) {
    if (Want[i]) {
      EXPECT_EQ((*R)[i], platform::Utf8ToCp1251(Want[i])) << i;
    }
  }
  EXPECT_EQ((*R)[6].rfind("Page Size (XxY) = (", 0), 0u);
  EXPECT_NE((*R)[6].find(")mm ; (800x600)pixels ; Pix per mm: X="), std::string::npos);
}

}  // namespace

namespace {

TEST_F(Device, EndsPastTheIntegerRangeDrawTowardThem) {
  // Pixel ends beyond 2^31 keep their direction: lines and axis-parallel lines run to the edge.
  PixelWorld();
  const struct { double x1, y1, x2, y2; Pix Inside; } Cases[] = {
      {10, 10, 1e12, 10, {790, 10}},   // a far end to the right
      {1e12, 20, 10, 20, {790, 20}},   // a far start
      {10, 30, -1e12, 30, {5, 30}},
      {400, 40, 400, 1e11, {400, 590}},
  };
  for (const auto& C : Cases) {
    Wipe();
    G.MOVEW(C.x1, C.y1);
    G.DRAWW(C.x2, C.y2);
    EXPECT_EQ(Bm.Pixel(C.Inside.first, C.Inside.second), 0x0000FFu) << C.x1 << " " << C.x2;
  }
  Wipe();
  G.HLineW(10, 1e12, 50);
  G.VLineW(-1e12, 300, 60);
  EXPECT_EQ(Bm.Pixel(799, 50), 0x0000FFu);
  EXPECT_EQ(Bm.Pixel(60, 0), 0x0000FFu);
  EXPECT_EQ(Bm.Pixel(9, 50), 0xFFFFFFu);
}

}  // namespace

namespace {

TEST_F(Device, TheCanvasClipHoldsForEveryDrawing) {
  PixelWorld();
  Bm.Canvas().SetClipRect(Rect(100, 100, 200, 150));
  G.SetBkColor(0x00FF00);
  G.ClearG();  // fills the clip rectangle only
  G.PixBold = '5';
  G.MOVEW(0, 0);
  G.DRAWW(799, 599);
  G.HLineW(0, 799, 120);
  G.PointW(99, 120);
  G.Dash.SetWidth(6);
  G.Dash.SetStyle('=');
  G.MOVEW(0, 140);
  G.DashDrawW(799, 140);
  G.TextW("WWWWWWWWWWWW", 60, 110);
  Bm.Canvas().ResetClip();
  int Outside = 0, Inside = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const bool In = x >= 100 && x < 200 && y >= 100 && y < 150;
      const uint32_t C = Bm.Pixel(x, y);
      Outside += !In && C != 0xFFFFFF;
      Inside += In && C == 0x0000FF;
    }
  EXPECT_EQ(Outside, 0);
  EXPECT_GT(Inside, 100);
}

}  // namespace
