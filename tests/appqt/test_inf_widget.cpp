// The panel drawn in its strip widget offscreen: layout, glyph buttons, the selection frame,
// the caret, in-place editing and the cheap update of one changed field.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTest>

#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "app/cvRunRect.h"
#include "app/cvTxCaret.h"
#include "app/qt/QtInfWidget.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "platform/qt/QtCanvas.h"
#include "support/TestSupport.h"
#include "support/QtTestApp.h"

namespace {

QApplication* App() { return testsupport::QtTestApp(); }

const char* kIni =
    "[Informator]\nColorBack=clGray\nMargin=2\n"
    "[Fonts]\nNFont=0\n"
    "[Colors]\nNColor=3\n0=clWhite\n1=clYellow\n2=clAqua\n3=clLime\n"
    "[Groups]\nNGroup=0\n0_Name=Main\n"
    "[Fields]\n"
    // code|En|Vi|Pr|QL|W|As|Al|La|Aux|iF|iC|iA|Len|NV|CD|Ed|Gr|NG|iCh|pict|tpl|hint|LM|LV|LT|log|fl
    "F|IF|1|1|01|0|10|1|L|C|0|0|0|0|2|1|S|N|0|0|0||%s|selected|0|0|0||\n"
    "F|I1|1|1|02|0|10|1|L|C|0|0|0|0|0|1|L|N|0|0|0||%d|first column|0|0|0||\n"
    "F|SW|1|1|03|0|10|0|L|C|0|0|0|0|0|0|N|N|0|2|0|EDIT|Switch|a switch|0|0|0||\n"
    "F|TX|1|1|04|0|30|0|L|C|0|0|1|1|0|0|S|N|0|0|0||Command|a command|0|0|0||\n"
    "F|XX|1|1|05|0|10|1|L|C|0|0|2|2|0|1|L|E|0|0|0||X=%d|x column|0|0|0||\n"
    "F|AS|1|1|06|0|10|1|L|C|0|0|3|3|0|1|S|N|0|0|0||%s|autosize|0|0|0||\n"
    "F|FX|1|1|07|0|10|0|L|C|0|0|3|3|0|1|S|N|0|0|0||%s|fixed|0|0|0||\n"
    "F|UM|1|1|08|0|10|0|L|C|0|0|0|0|0|1|S|N|0|0|0||%s|messages|0|0|0||\n"
    "; end\n";

class InfWidget : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    App();
    platform::InstallQtGraphics();
  }
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
    file = dir.file("inf.ini");
    testsupport::WriteFile(file, kIni);
    top.resize(700, 200);
    strip = new QtInfWidget(&top);
    strip->setGeometry(0, 170, 700, 24);
    top.show();
    TInf::Init(inf, strip->Form(), "Terminal", nullptr, nullptr, 14, 2, file);
    strip->move(0, 150);
    strip->Attach(inf);
    inf->BindEdit("XX", [this](TInfField* f) { edits.push_back(f->Log->S()); });
  }
  void TearDown() override {
    delete inf;
    inf = nullptr;
    ResetSayerForTests();
  }
  uint32_t Win(int x, int y) { return strip->Surface().Pixel(x, y); }
  // The centre of a field in the strip's coordinates.
  QPoint Centre(const char* code) {
    const TRect r = inf->FieldRect(inf->FindFld(code));
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void HoverAt(QPoint p) {
    QCursor::setPos(strip->mapToGlobal(p));
    bool over = false;
    inf->Hover(strip->Form(), over);
  }
  std::string Text(const char* code) { return inf->FindFld(code)->DisplayText(); }

  testsupport::TempDir dir;
  std::string file;
  QWidget top;
  QtInfWidget* strip = nullptr;
  TInf* inf = nullptr;
  std::vector<std::string> warns;
  std::vector<uint32_t> edits;
};

TEST_F(InfWidget, LaysOutShownFieldsInOrder) {
  // Non-editable fields without a value take no room; the editable one and the labels do,
  // and so does "IF", which shows "00" while nothing is selected.
  EXPECT_EQ(Text("IF"), "00");
  EXPECT_TRUE(inf->FindFld("IF")->Placed);
  EXPECT_FALSE(inf->FindFld("I1")->Placed);
  EXPECT_FALSE(inf->FindFld("UM")->Placed);
  const TInfField* sw = inf->FindFld("SW");
  const TInfField* tx = inf->FindFld("TX");
  const TInfField* xx = inf->FindFld("XX");
  const TInfField* sel = inf->FindFld("IF");
  EXPECT_EQ(sel->X, inf->Margin);
  EXPECT_EQ(sw->X, sel->X + sel->Width + inf->Margin);
  EXPECT_EQ(sw->Width, 26);  // one frame of the EDIT strip
  EXPECT_EQ(tx->X, sw->X + sw->Width + inf->Margin);
  EXPECT_EQ(xx->X, tx->X + tx->Width + inf->Margin);
  EXPECT_EQ(Text("TX"), "Command");
  EXPECT_EQ(Text("XX"), "X= ");
  // Background between fields, field colours inside them (top row of a centred text).
  const int gapX = inf->Left + tx->X - 1;
  EXPECT_EQ(Win(gapX, inf->Top + 1), clGray);
  EXPECT_EQ(Win(inf->Left + tx->X, inf->Top + tx->Y), clYellow);
  EXPECT_EQ(Win(inf->Left + xx->X, inf->Top + xx->Y), clAqua);
  // Some pixel of the label's text is drawn in the font colour.
  bool ink = false;
  for (int x = tx->X; x < tx->X + tx->Width; ++x)
    for (int y = tx->Y; y < tx->Y + tx->Height; ++y) ink |= inf->Bitmap->Pixel(x, y) == clBlack;
  EXPECT_TRUE(ink);
  // A message takes its place at the next update.
  inf->LogStr("UM", "Load_LFITS|i=3/10");
  inf->UpdateChanged();
  EXPECT_TRUE(inf->FindFld("UM")->Placed);
  EXPECT_EQ(Text("UM"), "Load_LFITS|i=3/10");
  EXPECT_GT(inf->FindFld("UM")->X, xx->X);
}

TEST_F(InfWidget, GlyphButtonsSwitchAndRunTheirCommand) {
  int cmds = 0, txCmds = 0;
  inf->BindCmd("SW", [&](TInfField* f) { cmds += 1 + 0 * f->iChecked; });
  inf->BindCmd("TX", [&](TInfField*) { ++txCmds; });
  const TInfField* sw = inf->FindFld("SW");
  auto frameShown = [&](int frame) {
    for (int y = 0; y < sw->Height; ++y)
      for (int x = 0; x < 26; ++x)
        if (Win(inf->Left + sw->X + x, inf->Top + sw->Y + y) != sw->Glyph->Pixel(frame * 26 + x, y))
          return false;
    return true;
  };
  EXPECT_TRUE(frameShown(0));
  QTest::mouseClick(strip, Qt::LeftButton, {}, Centre("SW"));
  EXPECT_EQ(sw->iChecked, 1);
  EXPECT_TRUE(frameShown(1));
  QTest::mouseClick(strip, Qt::LeftButton, {}, Centre("SW"));
  EXPECT_EQ(sw->iChecked, 0);
  EXPECT_TRUE(frameShown(0));
  EXPECT_EQ(cmds, 2);
  QTest::mouseClick(strip, Qt::RightButton, {}, Centre("SW"));  // right: no command
  EXPECT_EQ(cmds, 2);
  EXPECT_TRUE(inf->MouseUpInside);
  QTest::mouseClick(strip, Qt::LeftButton, {}, Centre("TX"));  // no glyph: stays 0
  EXPECT_EQ(inf->FindFld("TX")->iChecked, 0);
  EXPECT_EQ(txCmds, 1);
  EXPECT_FALSE(inf->MouseUp(5, inf->Top - 10));
}

TEST_F(InfWidget, SelectionFrameRunsAndIsRemoved) {
  const TRect r = inf->FieldRect(inf->FindFld("TX"));
  const uint32_t under = Win(r.Left + 3, r.Top);
  HoverAt(Centre("TX"));
  EXPECT_EQ(inf->HoverCode, "TX");
  EXPECT_EQ(strip->toolTip().toStdString(), "a command");
  EXPECT_EQ(Text("IF"), "TX");
  EXPECT_EQ(inf->Selected, inf->IndexOf(inf->FindFld("TX")));
  ASSERT_TRUE(inf->Frame);
  EXPECT_EQ(inf->Frame->Lines.size(), 4u);
  EXPECT_EQ(TRunLines::Phase, 9);
  inf->FrameStep();
  EXPECT_EQ(TRunLines::Phase, 8);
  // The top edge shows the striped brush of phase 8 + its row.
  const uint8_t* brush = TRunLines::Brush(8 + r.Top);
  for (int x = r.Left; x < r.Right; ++x) {
    const bool white = (brush[r.Top & 7] >> (x & 7)) & 1;
    ASSERT_EQ(Win(x, r.Top), white ? clWhite : clBlack) << x;
  }
  // Eight steps later the stripes are back where they were.
  std::vector<uint32_t> first;
  for (int x = r.Left; x < r.Right; ++x) first.push_back(Win(x, r.Top));
  for (int i = 0; i < 8; ++i) inf->FrameStep();
  for (int x = r.Left; x < r.Right; ++x) ASSERT_EQ(Win(x, r.Top), first[x - r.Left]);
  inf->FrameStep();
  bool moved = false;
  for (int x = r.Left; x < r.Right; ++x) moved |= Win(x, r.Top) != first[x - r.Left];
  EXPECT_TRUE(moved);
  // Leaving the strip into the window clears the frame and the selection.
  HoverAt(QPoint(10, -20));
  EXPECT_EQ(inf->Selected, -1);
  EXPECT_EQ(Text("IF"), "00");
  EXPECT_TRUE(inf->Frame->Lines.empty());
  EXPECT_EQ(TRunLines::Phase, 0);
  EXPECT_EQ(Win(r.Left + 3, r.Top), under);
  EXPECT_EQ(inf->HoverCode, "  ");
  EXPECT_TRUE(strip->toolTip().isEmpty());
}

TEST_F(InfWidget, EditingInPlace) {
  TInfField* xx = inf->FindFld("XX");
  HoverAt(Centre("XX"));
  ASSERT_EQ(inf->EditField, xx);
  EXPECT_TRUE(xx->EditActive);
  EXPECT_EQ(xx->FirstCol, 3);
  EXPECT_EQ(Text("I1"), "3");
  EXPECT_EQ(xx->CaretCol, 3);
  // The caret blinks: its second image is the first one inverted.
  ASSERT_TRUE(inf->Caret);
  EXPECT_FALSE(inf->Caret->Hidden);
  const TRect c = inf->Caret->WinRect;
  EXPECT_EQ(c, OffsetRectBy(xx->CharFrame(3), Point(inf->Left, inf->Top)));
  const uint32_t p0 = Win(c.Left, c.Top);
  inf->Caret->Timer->Fire();
  inf->Caret->Timer->Fire();
  EXPECT_EQ(Win(c.Left, c.Top), ~p0 & 0xFFFFFF);

  QTest::keyClick(strip, Qt::Key_7);
  EXPECT_EQ(xx->EditText, "X=7");
  EXPECT_EQ(xx->CaretCol, 4);
  QTest::keyClick(strip, Qt::Key_Left);
  QTest::keyClick(strip, Qt::Key_5);  // overwrites
  EXPECT_EQ(xx->EditText, "X=5");
  QTest::keyClick(strip, Qt::Key_Left);
  QTest::keyClick(strip, Qt::Key_Left);  // not before the label
  EXPECT_EQ(xx->CaretCol, 3);
  HoverAt(QPoint(10, -20));
  EXPECT_EQ(xx->Log->S(), 5u);
  EXPECT_EQ(xx->EditText, "X=5");
  EXPECT_EQ(edits, std::vector<uint32_t>{5});
  EXPECT_EQ(Text("I1"), "0");
  EXPECT_EQ(inf->EditField, nullptr);
  EXPECT_TRUE(inf->Caret->Hidden);

  // A letter: the value stays, the text goes back, the handler still runs.
  HoverAt(Centre("XX"));
  QTest::keyClick(strip, Qt::Key_End);  // no editing key
  inf->KeyCmd('q');
  EXPECT_EQ(xx->EditText, "X=q");
  // Moving to a non-editable field ends the edit; keys then do nothing.
  HoverAt(Centre("TX"));
  EXPECT_EQ(xx->Log->S(), 5u);
  EXPECT_EQ(xx->EditText, "X=5");
  EXPECT_EQ(edits.size(), 2u);
  EXPECT_FALSE(strip->ForwardKey(Qt::Key_1, "1"));
  EXPECT_EQ(xx->EditText, "X=5");
  EXPECT_TRUE(warns.empty()) << warns.front();
}

TEST_F(InfWidget, OneChangedFieldIsDrawnInPlace) {
  inf->LogStr("FX", "a long text here");
  inf->LogStr("AS", "another long text");
  inf->UpdateChanged();  // two changed: a full drawing
  const int fxWidth = inf->FindFld("FX")->Width, asWidth = inf->FindFld("AS")->Width;
  // A mark outside every field shows whether the whole strip was drawn again.
  const int mx = strip->width() - 3;
  inf->Bitmap->SetPixel(mx, 0, clRed);
  inf->LogStr("FX", "short");
  inf->UpdateChanged();
  EXPECT_EQ(inf->Bitmap->Pixel(mx, 0), clRed);  // only the field's rectangle
  EXPECT_EQ(inf->FindFld("FX")->Width, fxWidth);  // without autosize a field keeps its width
  EXPECT_EQ(Text("FX"), "short");
  inf->LogStr("AS", "x");
  inf->UpdateChanged();  // an autosize field that shrinks is laid out again
  EXPECT_LT(inf->FindFld("AS")->Width, asWidth);
  EXPECT_EQ(inf->Bitmap->Pixel(mx, 0), clGray);
  inf->Bitmap->SetPixel(mx, 0, clRed);
  inf->LogStr("FX", "1");
  inf->LogStr("UM", "2");
  inf->UpdateChanged();
  EXPECT_EQ(inf->Bitmap->Pixel(mx, 0), clGray);
  // Nothing changed: the bitmap is only copied again.
  inf->Bitmap->SetPixel(mx, 0, clRed);
  inf->UpdateChanged();
  EXPECT_EQ(inf->Bitmap->Pixel(mx, 0), clRed);
  EXPECT_EQ(Win(inf->Left + mx, inf->Top), clRed);
}

TEST_F(InfWidget, APanelWithoutValuesShowsOnlyItsBackground) {
  testsupport::WriteFile(file,
                         "[Informator]\nColorBack=clNavy\n[Fonts]\nNFont=0\n[Colors]\n0=clWhite\n"
                         "[Groups]\n0_Name=Main\n[Fields]\n"
                         "F|AA|1|1|01|0|10|1|L|C|0|0|0|0|0|1|S|N|0|0|0||%s|a|0|0|0||\n"
                         "F|BB|1|1|02|0|10|1|L|C|0|0|0|0|0|1|L|N|0|0|0||%d|b|0|0|0||\n\n");
  TInf::Init(inf, strip->Form(), "Terminal", nullptr, nullptr, 14, 2, file);
  strip->Attach(inf);
  for (int y = 0; y < inf->Bitmap->Height(); ++y)
    for (int x = 0; x < inf->Bitmap->Width(); x += 7) ASSERT_EQ(inf->Bitmap->Pixel(x, y), clNavy);
  EXPECT_EQ(inf->DrawnWidth, inf->Margin);
}

TEST_F(InfWidget, TheStripStaysAtTheBottom) {
  EXPECT_EQ(strip->height(), inf->Bitmap->Height() - 1);
  EXPECT_EQ(inf->Top, 0);
  EXPECT_EQ(inf->PanelRect(), Rect(0, 0, inf->Bitmap->Width(), inf->Bitmap->Height()));
  int drawn = 0;
  inf->OnDrawn = [&](void*) { ++drawn; };
  inf->RedrawIfDirty();
  EXPECT_EQ(drawn, 0);  // Attach drew it already
  inf->Dirty = true;
  inf->RedrawIfDirty();
  EXPECT_EQ(drawn, 1);
  EXPECT_FALSE(inf->Dirty);
}

}  // namespace

namespace {

TEST_F(InfWidget, ThePanelOutlivesItsWindow) {
  HoverAt(Centre("XX"));  // frame and caret on the window
  delete strip;
  strip = nullptr;
  EXPECT_EQ(inf->Canvas, nullptr);
  inf->LogStr("UM", "still here");
  inf->UpdateChanged();
  inf->FrameStep();
  inf->KeyCmd('1');
  inf->EditOff();
  EXPECT_EQ(inf->FindFld("UM")->DisplayText(), "still here");
}

}  // namespace
