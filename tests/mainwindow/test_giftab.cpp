// The GIF tab as a new user meets it: the demo spectrogram of quest "pair" opened (the dialog
// starts in the quest's GIF folder), dragged with the mouse, frozen as the red-tinted background
// by "+", opened again over it, four levels picked (a header in the editor), clicks in
// "5 Mesure" measured into the editor; coinciding levels warn and write nothing; a bad scale is
// reset; a cancelled dialog resets the picking. The demo picture is the generator's.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvHook.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"

namespace {

using mwtest::ProgramTest;

const std::string kDemo = "Projects/Demo/pair/GIF/FE6302_sp_07_12.gif";

std::string Bytes(const std::string& F) {
  std::ifstream in(F, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class GIFTab : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Corvesta->resize(1400, 1000);
    QApplication::processEvents();
    App->sProjDir = root->File("Projects/Demo/");
    App->sQuest = "pair";
    Corvesta->ShowPage("TabGIF");
    QApplication::processEvents();
    prevCursor = platform::SetCursorServices({[this] { return cursor; }, {}});
  }
  void TearDown() override {
    platform::SetCursorServices(prevCursor);
    HookKeyState().LButton = false;
    ProgramTest::TearDown();
  }
  TTabGIF& Tab() { return Corvesta->GIFTab(); }
  // The panel's top-left corner on the screen.
  TPoint Panel() {
    Tab().PointInPanelGIF();
    const QPoint P = Tab().PanelGIF->mapToGlobal(QPoint(0, 0));
    return {P.x(), P.y()};
  }
  void Send(uint32_t Message, int32_t Px, int32_t Py) {
    const TPoint O = Panel();
    cursor = {O.X + Px, O.Y + Py};
    TMsg M;
    M.Message = Message;
    M.Pt = cursor;
    bool Handled = false;
    AppMessage(M, Handled);
    QApplication::processEvents();
  }
  void Open() {
    dialogs.AnswerFile(root->File(kDemo));
    Tab().btCORAgif->click();
    QApplication::processEvents();
  }
  platform::TBitmap& Image() { return Corvesta->CORATab().ImageCORA->Bitmap(); }
  uint32_t Grey(int32_t X, int32_t Y) { return Image().Pixel(X, Y) & 0xFF; }

  platform::ScriptedDialogs dialogs;
  platform::CursorServices prevCursor;
  TPoint cursor{0, 0};
};

TEST_F(GIFTab, TheDemoPictureIsTheGeneratorsOwn) {
  const std::string out = root->File("spec.gif");
  std::string cmd = CORVESTA_BATCH;
  cmd += " spec-gif " + out + " >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string made = Bytes(out);
  ASSERT_GT(made.size(), 1000u);
  std::string demo = CORVESTA_SOURCE_ROOT;
  demo += "/data/" + kDemo;
  EXPECT_EQ(made, Bytes(demo));
}

// The harness measures as the tab does: the work size, the header, a line per point, and no
// line (a note) while the 20 % and continuum levels coincide.
TEST_F(GIFTab, TheHarnessMeasuresTheDemoPicture) {
  const std::string out = root->File("measure.txt");
  std::string cmd = CORVESTA_BATCH;
  cmd += " gif-measure " + root->File(kDemo) +
         " --orig -5 -5 --bk 0 --width 800 100 200 190 300 300 150 > " + out;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string text = Bytes(out);
  EXPECT_NE(text.find("picture 800 x 600, work 800 x 300\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FE6302_sp_07_12 = линия FE6302 / спектрограмма №07 / разрез 12 ___"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n10.0 -8.0  150   82.2  205  397\n"), std::string::npos) << text;
  cmd = CORVESTA_BATCH;
  cmd += " gif-measure " + root->File(kDemo) + " 100 100 190 300 300 150 > " + out;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_NE(Bytes(out).find("no line"), std::string::npos);
}

TEST_F(GIFTab, OpenDragFreezePickAndMeasure) {
  TTabGIF& T = Tab();
  // shown: the picture is on this sheet
  ASSERT_EQ(Corvesta->CORATab().ImageCORA->parentWidget(), T.PanelGIFPlace);
  Open();
  ASSERT_EQ(dialogs.FileAsks().size(), 1u);
  EXPECT_EQ(dialogs.FileAsks()[0].InitialDir, root->File("Projects/Demo/pair/GIF"));
  EXPECT_EQ(T.edNmGIF->Text(), "FE6302_sp_07_12");
  ASSERT_TRUE(T.Pics.Work.Bmp);
  EXPECT_EQ(T.Pics.Work.Bmp->Width(), 800);
  EXPECT_EQ(T.Pics.Work.Bmp->Height(), 300);
  ASSERT_GT(Image().Width(), 420);
  ASSERT_GT(Image().Height(), 160);
  // origin (-5, -5): the work's pixel (0, 0) at (5, 5); the background colour (the project's
  // "clBk") above it, the deepest line core (work x 400, y 150) at (405, 155)
  EXPECT_EQ(Image().Pixel(2, 2), T.BackColor());
  EXPECT_EQ(Image().Pixel(5, 5), T.Pics.Work.Bmp->Pixel(0, 0));
  EXPECT_LT(Grey(405, 155), 80u);
  EXPECT_GT(Grey(395, 155), Grey(405, 155));

  // dragged 10 pixels to the right: the origin -15, the core at 415
  Send(WM_LBUTTONDOWN, 200, 100);  // "0 Pause": only the cursor and the reference edit
  EXPECT_EQ(T.edGIFyReper->Text(), "100");
  HookKeyState().LButton = true;
  Send(WM_MOUSEMOVE, 210, 100);
  HookKeyState().LButton = false;
  EXPECT_EQ(T.Work.OrigX, -15);
  EXPECT_EQ(T.edGIForigX->Text(), "-15");
  EXPECT_EQ(T.lbMouseOnBMP->Caption(), "210:100");
  EXPECT_LT(Grey(415, 155), 80u);
  // the arrow buttons move it by one
  T.btGIF_xL->click();
  EXPECT_EQ(T.Work.OrigX, -14);
  T.btGIF_xR->click();
  EXPECT_EQ(T.Work.OrigX, -15);

  // "+": the picture becomes the red-tinted background
  const uint32_t g = Grey(415, 155);
  T.btSetBackBMP->click();
  ASSERT_TRUE(T.Pics.Back);
  EXPECT_EQ(T.Pics.Back->Pixel(415, 155), (g << 16) | (g << 8) | 0xFF);
  EXPECT_EQ(Grey(415, 155), g);  // shown as it was
  EXPECT_EQ(T.edNmGIFbk->Text(), "FE6302_sp_07_12");
  EXPECT_EQ(T.edNmGIF->Text(), "");
  EXPECT_EQ(T.lbBkFornax->Caption(), "-15:-5");
  EXPECT_EQ(T.Work.Comment, "координаты загрузки -15 : -5"_cp);

  // opened again over it; the four levels picked
  Open();
  EXPECT_EQ(T.edNmGIF->Text(), "FE6302_sp_07_12");
  EXPECT_EQ(T.cbAlgPoint->ItemIndex(), 0);
  Ed->Memo->SetLines({"notes"});
  T.cbAlgPoint->SetItemIndex(1);
  const int32_t levels[] = {100, 200, 190, 300};
  for (int i = 0; i < 4; ++i) Send(WM_LBUTTONDOWN, 50, levels[i]);
  EXPECT_EQ(T.cbAlgPoint->ItemIndex(), 5);
  const std::vector<std::string> head = {
      "notes",
      "",
      "FE6302_sp_07_12 = линия FE6302 / спектрограмма №07 / разрез 12 ___"_cp,
      "координаты загрузки -15 : -5"_cp,
      " 100 уровень 20%  автоматический"_cp,
      "200 уровень CONT автоматический"_cp,
      "190 уровень CONT ручной"_cp,
      "300 уровень MaxD"_cp,
      "",
      " Iauto  Imanu  Ipoint  W(мА)  bis(mA)  bis(km/s)  W    bisec"_cp};
  EXPECT_EQ(Ed->Memo->Lines(), head);
  // the guide lines: 13 blue lines from 15 % to 75 % of the way from the third level to the fourth
  EXPECT_EQ(Image().Pixel(3, 190 + 16), 0xFF0000u);
  EXPECT_EQ(Image().Pixel(3, 190 + 16 + 66), 0xFF0000u);

  // "5 Mesure": one line per click
  Send(WM_LBUTTONDOWN, 300, 150);
  ASSERT_EQ(Ed->Memo->LineCount(), 11);
  const int32_t w = Corvesta->CORATab().ImageCORA->width();
  const int32_t xL = 300 - 15, xR = -15 + w - 300;
  EXPECT_EQ(Ed->Memo->Line(10), "10.0 -8.0  150 " + FSt(6, 1, (xR - xL) / 997.0 * 400) + " " +
                                    PadLeft(IntStr(xR - xL), 4) + " " +
                                    PadLeft(IntStr((xR + xL) / 2), 4));
  Send(WM_LBUTTONDOWN, 310, 160);
  EXPECT_EQ(Ed->Memo->LineCount(), 12);
  EXPECT_TRUE(boxes->Shown().empty()) << mwtest::AllBoxes(*boxes);

  // the 20 % level picked where the continuum is: no line, a warning
  T.cbAlgPoint->SetItemIndex(1);
  for (int32_t y : {120, 120, 190, 300}) Send(WM_LBUTTONDOWN, 50, y);
  const int32_t n = Ed->Memo->LineCount();
  Send(WM_LBUTTONDOWN, 300, 150);
  EXPECT_EQ(Ed->Memo->LineCount(), n);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "GIF: уровень 20% совпадает с уровнем CONT"_cp));
}

TEST_F(GIFTab, BadScaleCancelledDialogAndTheSettings) {
  TTabGIF& T = Tab();
  T.edGIFkX->SetText("abc");
  T.btCORAgif->click();
  EXPECT_EQ(T.edGIFkX->Text(), "0.5");
  EXPECT_TRUE(dialogs.FileAsks().empty());
  // a cancelled dialog still resets the levels and the picking mode
  T.Work.Level20 = 7;
  T.Work.LevelMaxD = 9;
  T.cbAlgPoint->SetItemIndex(5);
  dialogs.CancelFile();
  T.btCORAgif->click();
  EXPECT_EQ(T.Work.Level20, 0);
  EXPECT_EQ(T.Work.LevelMaxD, 0);
  EXPECT_EQ(T.cbAlgPoint->ItemIndex(), 0);
  // bad origin text: the origin written back
  T.edGIForigX->SetText("x");
  T.edGIForigXExit({});
  EXPECT_EQ(T.edGIForigX->Text(), "-5");
  // the scale kept in "Pict" when the tab is left
  T.edGIFkY->SetText("0.75");
  Corvesta->ShowPage("TabEd");
  QApplication::processEvents();
  EXPECT_EQ(App->TunPict->Get("GIFkY"), "0.75");
  // the picture went back to its own sheet
  EXPECT_NE(Corvesta->CORATab().ImageCORA->parentWidget(), T.PanelGIFPlace);
}

}  // namespace
