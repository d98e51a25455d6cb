// A graphics script opened from the Texts tab as a new user would: the bundled "GRAD\demo.grf"
// named in the editor and opened with Ctrl+Enter plays on the CORA tab's picture (HSRA's
// temperature against lg tau with its grid, axes, labels and markers); a script with a bad
// number stops with the reader's text naming the file, the line and the position, and the
// program goes on (the next play works). The picture window keeps its device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>

#include "app/cvEd.h"
#include "foundation/cvLit.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabDi.h"
#include "mainwindow/TabDialog.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabGIF.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/TabVARI.h"
#include "mainwindow/TabZee.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Controls.h"
#include "platform/qt/FormControls.h"
#include "plotting/cvGPlayer.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvPictWindows.h"
#include "plotting/qt/cvFPict.h"

namespace {

using mwtest::AllBoxes;
using mwtest::BoxShown;

class GraphScript : public mwtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Saved = std::filesystem::current_path();
    // The program works in its root (as main() sets it): names are taken from there.
    std::filesystem::current_path(root->Root());
  }
  void TearDown() override {
    std::filesystem::current_path(Saved);
    ProgramTest::TearDown();
  }
  // The name typed into the memo and Ctrl+Enter pressed on it; the CORA picture has the size
  // it has at the window's design size (the offscreen screen is smaller).
  void OpenByName(const std::string& Name) {
    Corvesta->CORATab().ImageCORA->SetPictureSize(1220, 660);
    Corvesta->ShowPage("TabEd");
    auto* M = Corvesta->EdTab().MemoEd;
    M->SetLines({Name});
    M->SetCaret(0, 2);
    Ed->UpdateStatus();
    ASSERT_TRUE(Ed->IsFile) << Name;
    QTest::keyClick(M, Qt::Key_Return, Qt::ControlModifier);
    QApplication::processEvents();
  }
  int Count(uint32_t Color) {
    const platform::TBitmap& B = Corvesta->CORATab().ImageCORA->Bitmap();
    int n = 0;
    for (int y = 0; y < B.Height(); ++y)
      for (int x = 0; x < B.Width(); ++x) n += B.Pixel(x, y) == Color;
    return n;
  }
  // Pixels of text: every channel below 64 (the text is smoothed).
  int Dark() {
    const platform::TBitmap& B = Corvesta->CORATab().ImageCORA->Bitmap();
    int n = 0;
    for (int y = 0; y < B.Height(); ++y)
      for (int x = 0; x < B.Width(); ++x) {
        const uint32_t c = B.Pixel(x, y);
        n += (c & 0xFF) < 64 && ((c >> 8) & 0xFF) < 64 && ((c >> 16) & 0xFF) < 64;
      }
    return n;
  }
  std::filesystem::path Saved;
};

TEST_F(GraphScript, DemoScriptFromTheTextsTabDrawsOnTheCORAPicture) {
  platform::TCanvas* PictCanvas = GRAF->TargetCanvas;
  ASSERT_NE(FPict, nullptr);
  OpenByName("GRAD\\demo.grf");
  EXPECT_EQ(Corvesta->ActivePageName(), "TabCORA");
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
  ASSERT_NE(GPlayer, nullptr);
  EXPECT_TRUE(GPlayer->IsReady());
  ASSERT_TRUE(GPlayer->Curv);
  EXPECT_EQ(GPlayer->Curv->X.size(), 56u);
  // The curve in blue (colour 12), the grid's marks in grey (8), the texts in black.
  EXPECT_GT(Count(TGRAF::IdxToColor(12)), 300);
  EXPECT_GT(Count(TGRAF::IdxToColor(8)), 50);
  EXPECT_GT(Dark(), 50);
  // The picture window has its device back.
  EXPECT_EQ(GRAF->TargetCanvas, PictCanvas);
  EXPECT_EQ(GRAF->OwnerName, "TFPict");
}

TEST_F(GraphScript, AReaderErrorStopsThePlayAndTheProgramGoesOn) {
  testsupport::WriteFile(root->File("GRAD/bad.grf"),
                         "[CVCTRL]\nGRAPH\n#CLEAR\n#WIND 0 1 zero 1\n#DRAW\n");
  OpenByName("GRAD/bad.grf");
  ASSERT_EQ(boxes->Shown().size(), 1u) << AllBoxes(*boxes);
  const std::string t = boxes->Shown()[0].text;
  EXPECT_NE(t.find("Ошибка при вводе действительного числа <zero>"_cp), std::string::npos) << t;
  EXPECT_NE(t.find("bad.grf"), std::string::npos) << t;
  EXPECT_NE(t.find(" str=4 pos="), std::string::npos) << t;
  // The program goes on: the demo plays afterwards.
  boxes->Clear();
  OpenByName("GRAD\\demo.grf");
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
  EXPECT_GT(Count(TGRAF::IdxToColor(12)), 300);
}

}  // namespace
