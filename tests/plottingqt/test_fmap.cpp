// The map window offscreen on registered maps, as a user walks it: the current map painted and
// shown, Next and Prev wrapping, Del, freed maps dropped from the list, the arrow and Delete keys,
// Ctrl+I and Ctrl+C, the cell under the mouse (counted from the bottom) and the click, the area
// items and Square (its overflow refused), the window's size for a map, and rows, columns and
// means as graphs of the plotter.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "platform/Canvas.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFMap.h"
#include "plotting/qt/cvGRADQt.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"
#include "scans/support/MapFiles.h"
#include "support/QtTestApp.h"
#include "support/SinkRecorder.h"

namespace {

struct MapWindow : ::testing::Test {
  void SetUp() override {
    testsupport::QtTestApp();
    ResetScanServices();
    FOZoom = 1.0;
    // Three maps of 100 x 50 cells: CONT (x + 100 y), ROWS (constant rows: y), FLAT.
    Maps = {"CONT", "ROWS", "FLAT"};
    for (const std::string& N : Maps) {
      auto m = maptest::MakeMap(N, 100, 50, [&N](int x, int y) {
        return N == "CONT" ? float(x + 100 * y) : N == "ROWS" ? float(y) : 7.0f;
      });
      Keys.push_back(m->DisplayName());
      LFIOReg().Add(std::move(m));
    }
    Scans().LFOP = std::make_unique<TStringList>();
    for (const std::string& K : Keys) Scans().LFOP->Add(K);
    Scans().LFOPIdx = 0;
    CreateMapWindow(nullptr);
    // The picture plotter made ready as the main window does.
    MapViewLinks().PrepPictPlotter.Install([this] { return P && P->CheckArrPlot(); });
    P = std::make_unique<TPLOTTER>(&G);
    P->INIG(&Bm.Canvas(), "TFPict", nullptr, 0);
    FMap->State().Plotter = P.get();
  }
  void TearDown() override {
    FreeMapWindow();
    MapViewLinks().PrepPictPlotter.Reset();
    FreeFOBitmap();
    ResetScanServices();
  }
  TMapWinState& S() { return FMap->State(); }
  std::string Title() const { return FMap->windowTitle().toStdString(); }
  std::string Ctl(const std::string& N) { return FITSMapCtls().Get(N); }
  void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) { QTest::keyClick(FMap, Qt::Key(K), M); }

  testsupport::SinkRecorder rec;
  std::vector<std::string> Maps, Keys;
  platform::TBitmap Bm{600, 400};
  TGRAF G;
  std::unique_ptr<TPLOTTER> P;
};

TEST_F(MapWindow, ShowsTheCurrentMapAndWalksTheList) {
  S().ShowCurrent();
  EXPECT_TRUE(FMap->isVisible());
  EXPECT_EQ(CurFOName, Keys[0]);
  EXPECT_EQ(Title(), "Map " + Keys[0] + " 1(3)");
  // The window sized for the map (100 x 50 at scale 1: 100 x 70), the picture painted.
  EXPECT_EQ(FMap->width(), 100);
  EXPECT_EQ(FMap->height(), 70);
  EXPECT_EQ(FOBitmap().Width(), 100);
  EXPECT_EQ(S().PixX, 1);
  EXPECT_EQ(Ctl("lbFIONa"), "<CONT>");
  // Right arrow: Next; past the end it wraps to the first; Left: Prev from the first to the last.
  Key(Qt::Key_Right);
  EXPECT_EQ(Scans().LFOPIdx, 1);
  EXPECT_EQ(CurFOName, Keys[1]);
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(Scans().LFOPIdx, 0);
  Key(Qt::Key_Left);
  EXPECT_EQ(Scans().LFOPIdx, 2);
  EXPECT_EQ(Title(), "Map " + Keys[2] + " 3(3)");
  // A map freed in the registry is dropped the first time the window meets it.
  LFIOReg().FindByKey(Keys[1])->Release();
  Key(Qt::Key_Left);
  EXPECT_EQ(Scans().LFOP->Count(), 2);
  EXPECT_EQ(CurFOName, Keys[0]);
  // Delete: the current entry leaves the list; with one left, Next warns and stays.
  Key(Qt::Key_Delete);
  ASSERT_EQ(Scans().LFOP->Count(), 1);
  EXPECT_EQ(CurFOName, Keys[2]);
  rec.texts.clear();
  FMap->Item("MapNext")->trigger();
  EXPECT_TRUE(rec.Has("Другой карты нет"_cp));
  EXPECT_EQ(Scans().LFOPIdx, 0);
  FMap->Item("MapDel")->trigger();
  EXPECT_EQ(Scans().LFOP->Count(), 0);
  EXPECT_EQ(Title(), "Map 0(0)");
  EXPECT_EQ(Scans().LFOPIdx, -1);
  FMap->Item("MapPrev")->trigger();
  EXPECT_EQ(Title(), "Map 0(0)");
}

TEST_F(MapWindow, InvertAndClipboard) {
  S().ShowCurrent();
  const uint32_t before = FOBitmap().Pixel(5, 5);
  Key(Qt::Key_I, Qt::ControlModifier);
  const uint32_t after = FOBitmap().Pixel(5, 5);
  EXPECT_EQ(after, before ^ 0xFFFFFFu);
  FMap->Item("MapInvert")->trigger();
  EXPECT_EQ(FOBitmap().Pixel(5, 5), before);
  QApplication::clipboard()->clear();
  Key(Qt::Key_C, Qt::ControlModifier);
  const QImage I = QApplication::clipboard()->image();
  EXPECT_EQ(I.width(), 100);
  EXPECT_EQ(I.height(), 50);
}

TEST_F(MapWindow, CellsUnderTheMouseAndAreas) {
  // PixX = PixY = 3 over 50 rows: client (10, 0) is cell (3, 49), (10, 149) cell (3, 0).
  FMap->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(FMap));
  S().SetMapGeom(100, 50, 300, 150);
  QTest::mouseMove(FMap, QPoint(10, 0));
  EXPECT_EQ(S().CellX, 3);
  EXPECT_EQ(S().CellY, 49);
  EXPECT_EQ(Ctl("lbMapIX"), "3");
  EXPECT_EQ(Ctl("lbMapIY"), "49");
  S().MouseMove(10, 149);
  EXPECT_EQ(S().CellY, 0);
  QTest::mouseMove(FMap, QPoint(31, 89));
  QTest::mouseClick(FMap, Qt::LeftButton, Qt::NoModifier, QPoint(31, 89));
  EXPECT_EQ(Ctl("edFITSiX"), "10");
  EXPECT_EQ(Ctl("edFITiY"), "20");
  FMap->Item("MapXY1")->trigger();
  EXPECT_EQ(Ctl("ed_IX1"), "10");
  EXPECT_EQ(Ctl("edRectY1"), "20");
  FMap->Item("MapXY00")->trigger();
  EXPECT_EQ(Ctl("ed_IX1"), "0");
  // Square with half sizes 5 and 3 around (10, 20): 5..15 x 17..23.
  FITSMapCtls().Set("edSquareX", "5");
  FITSMapCtls().Set("edSquareY", "3");
  FMap->Item("MapSquare")->trigger();
  EXPECT_EQ(Ctl("ed_IX1"), "5");
  EXPECT_EQ(Ctl("ed_IX2"), "15");
  EXPECT_EQ(Ctl("ed_IY1"), "17");
  EXPECT_EQ(Ctl("ed_IY2"), "23");
  // Bounds beyond 32-bit integers are refused; a bad number too.
  FITSMapCtls().Set("edSquareX", "2147483647");
  FMap->Item("MapSquare")->trigger();
  EXPECT_TRUE(rec.Has("не помещаются в целые числа"_cp));
  EXPECT_EQ(Ctl("ed_IX2"), "15");
  FITSMapCtls().Set("edSquareY", "x");
  FMap->Item("MapSquare")->trigger();
  EXPECT_TRUE(rec.Has("Неверное целое число <x>"_cp));
  // The window's size for a map: 100 x 50 at scale 3 is 320 x 170, at scale 2 200 x 120.
  int32_t w = 0, h = 0;
  TMapWinState::FitClientSize(100, 50, 3, w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 170);
  TMapWinState::FitClientSize(100, 50, 2, w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 120);
}

TEST_F(MapWindow, RowsColumnsAndMeansAsGraphs) {
  Scans().LFOPIdx = 1;  // ROWS: value y everywhere in row y
  S().ShowCurrent();
  TFIOut* M = LFIOReg().FindByKey(Keys[1]);
  M->ixFocus = 4;
  M->iyFocus = 7;
  FMap->Item("MapMeanX")->trigger();
  ASSERT_EQ(P->GraphCount(), 1);
  const TOneGraph& MX = *P->Graph(1);
  EXPECT_EQ(MX.Name, "MeanX(ROWS)(X)");
  EXPECT_EQ(MX.OYName, "MeanX(ROWS)");
  ASSERT_EQ(MX.N, 100);
  EXPECT_EQ(MX.AX[1], 0);
  EXPECT_EQ(MX.AX[100], 99);
  for (int i = 1; i <= 100; ++i) EXPECT_DOUBLE_EQ(MX.AY[static_cast<size_t>(i)], 24.5);
  // The focus set from the edits by ShowCurrent; the cuts through it.
  FITSMapCtls().Set("edFITSiX", "4");
  FITSMapCtls().Set("edFITSiY", "7");
  S().ShowCurrent();
  FMap->Item("MapCutX")->trigger();
  FMap->Item("MapCutY")->trigger();
  FMap->Item("MapMeanY")->trigger();
  ASSERT_EQ(P->GraphCount(), 4);
  EXPECT_EQ(P->Graph(2)->N, 100);
  EXPECT_EQ(P->Graph(2)->AY[50], 7);
  EXPECT_EQ(P->Graph(3)->Name, "CutY(ROWS)(X)");
  EXPECT_EQ(P->Graph(3)->N, 50);
  EXPECT_EQ(P->Graph(3)->AY[11], 10);
  EXPECT_DOUBLE_EQ(P->Graph(4)->AY[11], 10);
  // A focus outside the map is refused.
  FITSMapCtls().Set("edFITSiY", "50");
  S().ShowCurrent();
  FMap->Item("MapCutX")->trigger();
  EXPECT_EQ(P->GraphCount(), 4);
  EXPECT_TRUE(rec.Has("вне карты"_cp));
}

}  // namespace
