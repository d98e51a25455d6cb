// The picture window and its tool driven as a user would, offscreen, over the plotter's demo
// graphs: picking a curve and a point, popup modes, arrow keys, drag, wheel, zoom, Delete and
// the clipboard; in the tool: next graph, marker, 2 x 2 tiles, margins, frames, axes, invert,
// x/y, fuse and set zoom. Grabs of the window are checked at chosen pixels.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/Dialogs.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotDemo.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvFPict.h"
#include "support/QtTestApp.h"

namespace {

const std::string ModelDir = std::string(CORVESTA_SOURCE_ROOT) + "/tests/data/models";

uint32_t Rgb(QRgb Q) { return uint32_t(qRed(Q) | qGreen(Q) << 8 | qBlue(Q) << 16); }

struct PictJourney : ::testing::Test {
  TGRAF G;
  std::unique_ptr<TPLOTTER> P;
  std::unique_ptr<TFPict> W;
  std::unique_ptr<TFPicTool> T;
  std::vector<std::string> Warns;

  void SetUp() override {
    testsupport::QtTestApp();
    static bool Installed = (InstallPlottingQt(), true);
    (void)Installed;
    ResetSayerForTests();
    Plotting().Warn = [this](const std::string& S) { Warns.push_back(S); };
    PlotLineStyles().List->Clear();
    P = std::make_unique<TPLOTTER>(&G);
    W = std::make_unique<TFPict>();
    T = std::make_unique<TFPicTool>();
    T->Attach(P.get(), W.get());
    W->OnShowTools = [this] { T->show(); };
    W->resize(1000, 750);
    W->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(W.get()));
    W->Bind(*P);
    ASSERT_TRUE(PlotModelDemo(*P, ModelDir));
    Steady();
  }
  void TearDown() override {
    T.reset();
    W.reset();
    P.reset();
    Plotting().Warn = nullptr;
  }
  // Blinking stopped at phase 1 and one replay, so that grabs are repeatable.
  void Steady() {
    W->BlinkTimer.stop();
    W->State().Phase = 1;
    P->PlayOnce();
    QApplication::processEvents();
  }
  TPointRe Pix(int32_t n, int32_t i) {
    const TOneGraph& Gr = *P->Graph(n);
    P->SetGraphView(Gr);
    return G.WToPixR(Gr.AX[static_cast<size_t>(i)], Gr.AY[static_cast<size_t>(i)]);
  }
  QPoint At(const TPointRe& p) { return QPoint(int(std::lround(p.X)), int(std::lround(p.Y))); }
  // The colour within one pixel of p on the window's grab.
  bool ColourNear(const QImage& Img, const TPointRe& p, uint32_t C) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const QPoint q = At(p) + QPoint(dx, dy);
        if (Img.valid(q) && Rgb(Img.pixel(q)) == C) return true;
      }
    return false;
  }
  void Click(const TPointRe& p) { QTest::mouseClick(W.get(), Qt::LeftButton, {}, At(p)); }
  void Drag(const QPoint& From, const QPoint& To) {
    QTest::mousePress(W.get(), Qt::LeftButton, {}, From);
    QMouseEvent Move(QEvent::MouseMove, QPointF(To), QPointF(W->mapToGlobal(To)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W.get(), &Move);
    QTest::mouseRelease(W.get(), Qt::LeftButton, {}, To);
  }
  void Type(const char* Name, const QString& Text) {
    auto* E = qobject_cast<QLineEdit*>(T->Control(Name));
    ASSERT_NE(E, nullptr) << Name;
    E->selectAll();
    QTest::keyClicks(E, Text);
  }
  void Press(const char* Name) {
    auto* B = qobject_cast<QToolButton*>(T->Control(Name));
    ASSERT_NE(B, nullptr) << Name;
    QTest::mouseClick(B, Qt::LeftButton);
  }
  TWorldWin& WinX(int32_t n) { return *P->LWorldWin->GetWin(P->Graph(n)->WinX); }
  TWorldWin& WinY(int32_t n) { return *P->LWorldWin->GetWin(P->Graph(n)->WinY); }
};

TEST_F(PictJourney, PickMoveDragWheelAndZoomInTheWindow) {
  const uint32_t Green = 0x008000;
  ASSERT_EQ(P->GraphCount(), 5);
  // First click near the Stokes I curve highlights it, the second on its point 30 activates it.
  const TPointRe Q = Pix(5, 30);
  Click(TPointRe{Q.X + 1, Q.Y + 3});
  EXPECT_EQ(P->k, 5);
  EXPECT_TRUE(P->CurPictHighLight);
  EXPECT_FALSE(P->Graph(5)->IAUsed);
  EXPECT_EQ(T->Model.Get("edKPic"), "5");
  Click(Q);
  ASSERT_TRUE(P->Graph(5)->IAUsed);
  EXPECT_EQ(P->Graph(5)->IA, 30);
  EXPECT_TRUE(W->Item("MGedP")->isVisible());
  EXPECT_FALSE(W->Item("MGedL")->isVisible());
  // Push All from the popup, then the up arrow shifts the whole curve by one row.
  W->Item("MGedP")->trigger();
  EXPECT_TRUE(W->Item("MGedP")->isChecked());
  const TARe Y0 = P->Graph(5)->AY;
  const TPointRe Q30 = Pix(5, 30);
  const double Row = G.PixRToWY(Q30.Y - 1) - P->Graph(5)->AY[30];
  QTest::keyClick(W.get(), Qt::Key_Up);
  for (int i = 1; i <= 112; i += 37) EXPECT_NEAR(P->Graph(5)->AY[i] - Y0[i], Row, 1e-9) << i;
  Steady();
  QImage Img = W->grab().toImage();
  EXPECT_TRUE(ColourNear(Img, Pix(5, 30), Green));
  EXPECT_TRUE(ColourNear(Img, Pix(5, 80), Green));
  // Set a fulcrum, activate another point, Flatten joins them.
  W->Item("MSetFulcrum")->trigger();
  EXPECT_TRUE(P->Graph(5)->IBUsed);
  Click(Pix(5, 40));
  Click(Pix(5, 40));
  ASSERT_EQ(P->Graph(5)->IA, 40);
  EXPECT_TRUE(W->Item("MGedFlatten")->isVisible());
  W->Item("MGedFlatten")->trigger();
  const TOneGraph& S = *P->Graph(5);
  EXPECT_NEAR(S.AY[35], S.AY[30] + (S.AY[40] - S.AY[30]) * (S.AX[35] - S.AX[30]) / (S.AX[40] - S.AX[30]), 1e-12);
  // A key other than the arrows, Delete and Ctrl: the key message.
  Warns.clear();
  QTest::keyClick(W.get(), Qt::Key_A);
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "FPict.FormKeyDown Key=$0041");
  // Drag 20 pixels to the right: the window's X range moves 20 pixels' worth to the left.
  TWorldWin& X = WinX(5);
  const double x1 = X.P1, PerPix = (P->SetGraphView(*P->Graph(5)), G.PixRToWX(21) - G.PixRToWX(1));
  Drag(At(Pix(5, 60)) + QPoint(0, 200), At(Pix(5, 60)) + QPoint(20, 200));
  // (the click that ends the drag refreshes the tool, which rounds the range)
  EXPECT_NEAR(X.P1, x1 - PerPix, (X.P2 - X.P1) * 3e-3);
  // One wheel notch forward widens both ends by 2 % (X zoom checked by design).
  const double a = X.P1, b = X.P2;
  QWheelEvent Wh(QPointF(300, 300), QPointF(W->mapToGlobal(QPoint(300, 300))), QPoint(),
                 QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(W.get(), &Wh);
  // The refresh after the wheel rounds the range to the digits that tell its ends apart.
  EXPECT_NEAR(X.P1, a - (b - a) * 0.02, (b - a) * 1e-4);
  EXPECT_NEAR(X.P2, b + (b - a) * 0.02, (b - a) * 1e-4);
  // Y Zoom fits the Y window to the data; X Zoom the X window.
  W->Item("MGZoomX")->trigger();
  EXPECT_NEAR(X.P1, S.AX[1], 1e-3);
  EXPECT_NEAR(X.P2, S.AX[112], 1e-3);
  // Clip Pict puts the picture on the clipboard.
  W->Item("MGsavePic")->trigger();
  const QImage Clip = QGuiApplication::clipboard()->image();
  EXPECT_EQ(Clip.size(), QSize(1000, 750));
  // Delete removes the current graph.
  QTest::keyClick(W.get(), Qt::Key_Delete);
  EXPECT_EQ(P->GraphCount(), 4);
  Steady();
  Img = W->grab().toImage();
  EXPECT_FALSE(ColourNear(Img, Pix(4, 10), Green));
}

TEST_F(PictJourney, TheToolSteersGraphsAreasAxesAndScales) {
  T->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(T.get()));
  // Next graph from 5 wraps to 1.
  Press("btKGraInc");
  EXPECT_EQ(P->k, 1);
  EXPECT_EQ(T->Model.Get("edKPic"), "1");
  EXPECT_EQ(qobject_cast<QLineEdit*>(T->Control("edPicTitle"))->text().toStdString(), "T HSRA");
  // Marker "o" from the combo.
  auto* Mark = qobject_cast<QComboBox*>(T->Control("cbMark"));
  Mark->setCurrentText("o");
  emit Mark->textActivated("o");
  EXPECT_EQ(P->Graph(1)->CurvShowFormat, "-oR 0 2");
  // 2 x 2 tiles on area 2 ("0 2", the graph's) and margins 12/8.
  Type("edKLayOut", "2");
  EXPECT_EQ(P->ArrPlot()->sChain, "0 2");
  qobject_cast<QSpinBox*>(T->Control("edNY"))->setValue(2);
  EXPECT_EQ(P->ArrPlot()->ny, 2);
  EXPECT_EQ(P->ArrPlot()->NXY, 4);
  Type("edMargX", "12/8");
  EXPECT_EQ(P->ArrPlot()->margX, 12);
  EXPECT_EQ(P->ArrPlot()->margX2, 8);
  // The graph to tile 3 (cyclic over the area's 4 tiles), drawn there.
  Press("btOneGR");
  Press("btOneGR");
  EXPECT_EQ(P->Graph(1)->nXnY_Index, 3);
  Steady();
  QImage Img = W->grab().toImage();
  EXPECT_TRUE(ColourNear(Img, Pix(1, 20), 0x0000FF));
  const TRectRe Tile3 = P->ArrPlotByID("0 2")->TileRectPix(G, 3);
  const TPointRe In = Pix(1, 20);
  EXPECT_TRUE(In.X > Tile3.X1 && In.X < Tile3.X2 && In.Y > Tile3.Y1 && In.Y < Tile3.Y2);
  // Axis X off and on.
  TWorldWin& X = WinX(1);
  Press("btOXXShow");
  EXPECT_EQ(X.kOX, 0);
  Press("btOXXShow");
  EXPECT_EQ(X.kOX, 1);
  // Invert X: the curve runs the other way on the grab.
  const TPointRe Before = Pix(1, 5);
  Press("btInvertX");
  Steady();
  const TPointRe After = Pix(1, 5);
  EXPECT_GT(std::fabs(After.X - Before.X), 50);
  Img = W->grab().toImage();
  EXPECT_TRUE(ColourNear(Img, After, 0x0000FF));
  Press("btInvertX");
  // x/y exchanges the data.
  const double x5 = P->Graph(1)->AX[5], y5 = P->Graph(1)->AY[5];
  Press("btChangeXY");
  EXPECT_EQ(P->Graph(1)->AX[5], y5);
  EXPECT_EQ(P->Graph(1)->AY[5], x5);
  Press("btChangeXY");
  // Fuse: graph 3's Y window joins graph 1's (the comparison graph), Y zoom checked.
  P->k_Compare = 1;
  qobject_cast<QCheckBox*>(T->Control("cbZoomY"))->click();
  Press("btKGraInc");
  Press("btKGraInc");
  ASSERT_EQ(P->k, 3);
  EXPECT_NE(P->Graph(3)->WinY, P->Graph(1)->WinY);
  Press("btFuzeWin");
  EXPECT_EQ(P->Graph(3)->WinY, P->Graph(1)->WinY);
  // Set zoom from the four edits.
  Type("edWX1", "-3");
  Type("edWX2", "1");
  Type("edWY1", "4000");
  Type("edWY2", "9000");
  Press("btSetZoom");
  EXPECT_EQ(WinX(3).P1, -3);
  EXPECT_EQ(WinY(3).P2, 9000);
  // A bad axis position is refused and changes nothing.
  const double Pos = X.PosOX;
  Warns.clear();
  Type("edOXXPos", "1.7");
  ASSERT_FALSE(Warns.empty());
  EXPECT_EQ(Warns.back(),
            "Положение оси X не должно быть вне границ [-0.5..1.5] в окне по Y"_cp);
  EXPECT_EQ(X.PosOX, Pos);
  // Film frames over the area's pages.
  P->ArrPlot()->nt = 2;
  Press("btT_next");
  EXPECT_EQ(P->kT, 1);
  EXPECT_EQ(T->Model.Get("lb_KT"), "t1/");
  // Background colour and caption font through the scripted dialogs.
  platform::ScriptedDialogs D;
  D.AnswerColor(0xE0F0FF);
  Press("lbColorBk");
  EXPECT_EQ(T->Control("lbColorBk")->palette().color(QPalette::Button), QColor(0xFF, 0xF0, 0xE0));
  Steady();
  EXPECT_EQ(Rgb(W->grab().toImage().pixel(1, 1)), 0xE0F0FFu);
  platform::TFont F = W->Buffer().Canvas().Font;
  F.Name = "Arial";
  F.Size = 20;
  D.AnswerFont(F);
  Press("btFontDialog");
  EXPECT_EQ(W->Buffer().Canvas().Font.Size, 20);
  EXPECT_EQ(G.Canvas->Font.Name, "Arial");
  EXPECT_FALSE(T->Model.Updating);
}

}  // namespace
