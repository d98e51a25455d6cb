// The Zeeman tab as a user meets it: "Zee Test" draws the patterns of the bundled control file
// into the picture window ("set WIN X x Y" sizes its drawing area first, "Set dLam" with 0 is a
// plain test); the rich-text bench formats a selection ("Bold" twice, "SubScript" after
// "SuperScript", the size buttons, "Greek" twice, the report); a caption edit of the Graf tab
// renames the current graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <vector>

#include "app/cvDirs.h"
#include "app/cvEd.h"
#include "foundation/cvLit.h"
#include "foundation/cvTy.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabGraf.h"
#include "mainwindow/PictPlotter.h"
#include "mainwindow/TabZee.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Dialogs.h"
#include "platform/qt/RichEdit.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

namespace {

using mwtest::AllBoxes;
using mwtest::ProgramTest;

// Dark pixels of each panel cell (InRow x Rows cells over the bitmap), row by row.
std::vector<int> DarkByPanel(platform::TBitmap& B, int InRow, int Rows) {
  std::vector<int> n(static_cast<size_t>(InRow * Rows), 0);
  for (int32_t y = 0; y < B.Height(); ++y)
    for (int32_t x = 0; x < B.Width(); ++x)
      if ((B.Pixel(x, y) & 0xFF) < 128) {
        const int c = std::min(InRow - 1, x * InRow / B.Width()), r = std::min(Rows - 1, y * Rows / B.Height());
        ++n[static_cast<size_t>(r * InRow + c)];
      }
  return n;
}

TEST_F(ProgramTest, ZeemanPatternsOfTheControlFileDrawn) {
  ASSERT_NE(FPict, nullptr);
  Corvesta->resize(1400, 1000);
  Corvesta->ShowPage("TabZee");
  QApplication::processEvents();
  TTabZee& Z = Corvesta->ZeeTab();
  EXPECT_EQ(Z.btZeeTest->Caption(), "Zee Test");
  EXPECT_EQ(Z.RTF->Text(), "RichEdit3");
  // a drawing area of 500 x 400, then the test on it
  Z.edFPictW->SetText("500");
  Z.edFPictH->SetText("400");
  Z.btSetZeePictSize->click();
  Z.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_TRUE(FPict->isVisible());
  platform::TBitmap& B = FPict->Buffer();
  EXPECT_EQ(B.Width(), 500);
  EXPECT_EQ(B.Height(), 400);
  // six panels: the two database lines, two level pairs, a hyperfine string, a "#ZEE" text
  EXPECT_EQ(Z.ZeePanelsDrawn, 6) << AllBoxes(*boxes);
  std::vector<int> dark = DarkByPanel(B, 5, 4);
  for (int p = 0; p < 6; ++p) EXPECT_GT(dark[static_cast<size_t>(p)], 30) << "panel " << p;
  // the other cells stay white (a pixel of a neighbour's stroke may reach over)
  for (int p = 6; p < 20; ++p) EXPECT_LT(dark[static_cast<size_t>(p)], 5) << "panel " << p;
  // the picture's size fields follow the window
  EXPECT_EQ(Z.edFPictW->Text(), "500");
  // "Result File ": the run's report in the editor
  Z.btZeeRES->click();
  QApplication::processEvents();

  std::string page;
  for (const std::string& l : Corvesta->EdTab().MemoEd->Lines()) page += l + "\n";
  EXPECT_EQ(Ed->CurName, cvDirList("ZEE", "RES"));
  EXPECT_NE(page.find("G_eff =  2.50000"), std::string::npos) << page << AllBoxes(*boxes);

  // "Set dLam" with 0 is the plain test; a bad layout field becomes "4"
  Z.edZeeInRow->SetText("x");
  Z.btSetHFSdLam->click();
  Z.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_FALSE(Z.ZeeHFSdLamSet);
  EXPECT_EQ(Z.edZeeInRow->Text(), "4");
  dark = DarkByPanel(B, 4, 4);
  for (int p = 0; p < 6; ++p) EXPECT_GT(dark[static_cast<size_t>(p)], 30) << "panel " << p;
  EXPECT_LT(dark[6], 5);
  // "Set dLam" with 60 mA: the hyperfine panel (the fifth, row 2 column 1) spans +-60 mA, so
  // its outer components (+-30 mA) move in from the panel's edges
  // the leftmost component: the first column with a vertical stroke of 5 dark pixels
  auto leftmost = [&B](int Col, int Row) {
    const int x0 = Col * B.Width() / 4, x1 = (Col + 1) * B.Width() / 4;
    const int y0 = Row * B.Height() / 4, y1 = (Row + 1) * B.Height() / 4;
    for (int x = x0; x < x1; ++x) {
      int run = 0;
      for (int y = y0; y < y1; ++y) {
        run = (B.Pixel(x, y) & 0xFF) < 128 ? run + 1 : 0;
        if (run >= 5) return x - x0;
      }
    }
    return -1;
  };
  const int wide = leftmost(0, 1);
  Z.edHFSdLam->SetText("60");
  Z.btSetHFSdLam->click();
  Z.Jobs.Wait();
  QApplication::processEvents();
  const int narrow = leftmost(0, 1);
  EXPECT_GE(wide, 0);
  EXPECT_GT(narrow, wide + 10) << wide << " " << narrow;
  EXPECT_FALSE(Z.ZeeHFSdLamSet);
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
  if (const char* d = std::getenv("CORVESTA_SHOTS")) {
    Corvesta->grab().toImage().save(QString(d) + "/zeetab.png");
    FPict->grab().toImage().save(QString(d) + "/zeetab_patterns.png");
  }
}

TEST_F(ProgramTest, RichTextBenchFormatsTheSelection) {
  Corvesta->ShowPage("TabZee");
  QApplication::processEvents();
  TTabZee& Z = Corvesta->ZeeTab();
  platform::TRichEdit& R = *Z.RTF;
  R.SetText("H2O and alpha");
  R.SetSel(0, 3);
  R.SetSelSize(10);
  const std::string own = R.SelFormat().Name;
  // "Bold" twice returns the selection to its style
  Z.btRTFbold->click();
  EXPECT_TRUE(R.SelFormat().Bold);
  Z.btRTFbold->click();
  EXPECT_FALSE(R.SelFormat().Bold);
  Z.btRTFitalic->click();
  EXPECT_TRUE(R.SelFormat().Italic);
  // sizes: 10 -> 11 -> 10 -> 9
  Z.btRTFincSize->click();
  EXPECT_EQ(R.SelFormat().Size, 11);
  Z.btRTFdecSize->click();
  Z.MActIncSize->trigger();
  Z.MActDecSize->trigger();
  Z.btRTFdecSize->click();
  EXPECT_EQ(R.SelFormat().Size, 9);
  // the "2" of H2O: superscript, then subscript switches superscript off
  R.SetSel(1, 1);
  Z.btRTFsuperscript->click();
  EXPECT_EQ(R.SelFormat().VAlign, 2);
  Z.btRTFsubscript->click();
  EXPECT_EQ(R.SelFormat().VAlign, 1);
  // the characters around it are untouched
  R.SetSel(2, 1);
  EXPECT_EQ(R.SelFormat().VAlign, 0);
  // "Greek" twice restores the control's own font
  R.SetSel(8, 5);
  Z.btRTFgreek->click();
  EXPECT_EQ(R.SelFormat().Name, "Symbol");
  Z.btRTFgreek->click();
  EXPECT_EQ(R.SelFormat().Name, R.OwnFontName());
  Z.btRTFcourier->click();
  EXPECT_EQ(R.SelFormat().Name, "Courier");
  // the keys of a focused rich edit: Ctrl+F one point up, Ctrl+D one down, Ctrl+G "Symbol"
  Corvesta->activateWindow();
  R.setFocus();
  QApplication::processEvents();
  const int32_t size = R.SelFormat().Size;
  QTest::keyClick(&R, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(R.SelFormat().Size, size + 1);
  QTest::keyClick(&R, Qt::Key_D, Qt::ControlModifier);
  QTest::keyClick(&R, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(R.SelFormat().Size, size - 1);
  QTest::keyClick(&R, Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(R.SelFormat().Name, "Symbol");
  QTest::keyClick(&R, Qt::Key_G, Qt::ControlModifier);
  QTest::keyClick(&R, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(R.Text(), "H2O and alpha");
  // the report: one box with the selection's font, size, weight, style, alignment and colours
  R.SetSel(0, 3);
  Z.btRTFreport->click();
  ASSERT_EQ(boxes->Shown().size(), 1u) << AllBoxes(*boxes);
  const std::string rep = boxes->Shown()[0].text;
  for (const char* part : {"SelLength=3\r\n", "SelStart=0\r\n", "Size=9\r\n", "Weight=400\r\n",
                           "Style=[fsItalic]\r\n", "Alignment=left\r\n", "Color=clBlack\r\n",
                           "BackColor=clWhite"})
    EXPECT_NE(rep.find(part), std::string::npos) << part << "\n" << rep;
  (void)own;
  // the font dialog: opened with the selection's font, its choice applied; a cancel applies
  // the font it opened with (nothing changes)
  {
    platform::ScriptedDialogs d;
    platform::TFont f;
    f.Name = "Courier";
    f.Size = 14;
    f.Style = platform::fsBold;
    d.AnswerFont(f);
    d.CancelFont();
    Z.btFontDialog->click();
    ASSERT_EQ(d.FontAsks().size(), 1u);
    EXPECT_EQ(d.FontAsks()[0].Size, 9);
    EXPECT_EQ(d.FontAsks()[0].Style, platform::fsItalic);
    EXPECT_EQ(R.SelFormat().Size, 14);
    EXPECT_TRUE(R.SelFormat().Bold);
    EXPECT_FALSE(R.SelFormat().Italic);
    Z.btFontDialog->click();
    EXPECT_EQ(R.SelFormat().Size, 14);
    EXPECT_TRUE(R.SelFormat().Bold);
  }
}

TEST_F(ProgramTest, GrafCaptionEditRenamesTheCurrentGraph) {
  ASSERT_NE(PLOTTER, nullptr);
  Corvesta->ShowPage("TabGraf");
  QApplication::processEvents();
  PLOTTER->ClearAll();
  ASSERT_TRUE(PrepPictPlotter());
  PLOTTER->NewGraph(TARe{0, 1, 2, 3}, TARe{0, 10, 100, 1000}, 1, 0, "-K", "I(x)", "X", "I", "", "");
  PLOTTER->SetCurPic(1);
  QApplication::processEvents();
  ASSERT_TRUE(PLOTTER->ChkCurPic());
  TTabGraf& G = Corvesta->GrafTab();
  // the plotter's own writes into the caption edits change nothing back
  EXPECT_EQ(G.RTFPicTitle->Text(), "I(x)");
  EXPECT_EQ(PLOTTER->CurPict()->Name, "I(x)");
  if (const char* d = std::getenv("CORVESTA_SHOTS")) Corvesta->grab().toImage().save(QString(d) + "/graftab.png");
  G.RTFPicTitle->SetText("Fe I 6302");
  EXPECT_EQ(PLOTTER->CurPict()->Name, "Fe I 6302");
  G.RTFsXDim->SetText("<A>");
  EXPECT_EQ(PLOTTER->CurPict()->OXName, "<A>");
  G.RTFsYTit->SetText("Intensity");
  EXPECT_EQ(PLOTTER->CurPict()->OYName, "Intensity");
  // without a current graph nothing changes and nothing is said
  PLOTTER->ClearAll();
  G.RTFPicTitle->SetText("none");
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
}

}  // namespace
