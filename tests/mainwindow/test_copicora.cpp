// The CoPi and CORA tabs as a new user meets them: the demo quest "pair" RUN, its varied keys LIN
// and H spread over the picture's rows and columns, the description written by "=>", drawn by
// "CORA" as 2 x 3 plots; H on the frames instead: animated back and forth, saved as a looping
// GIF by a job; a chosen profile added in millimetres; bad counts refused; and the harness's
// copi-made and cora-gif on the run's result file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabCOPI.h"
#include "mainwindow/TabCORA.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/gif/cvGIF.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using mwtest::ProgramTest;

class CoPiCora : public ProgramTest {
 protected:
  TTabCOPI& CoPi() { return Corvesta->COPITab(); }
  TTabCORA& Cora() { return Corvesta->CORATab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  void RunPair() {
    Corvesta->resize(1400, 1000);
    Corvesta->ShowPage("TabProj");
    TTabProj& P = Corvesta->ProjTab();
    int i = 0;
    while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != "pair") ++i;
    if (i == P.cbQuestName->ItemCount()) {
      P.cbQuestName->SetText("pair");
      P.MemoQuestDesc->SetLines({"demo pair"});
      Click(P.btQuestSave);
      i = 0;
      while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != "pair") ++i;
    }
    ASSERT_LT(i, P.cbQuestName->ItemCount());
    P.cbQuestName->SetItemIndex(i);
    emit P.cbQuestName->activated(i);
    QApplication::processEvents();
    Click(P.btRUN);
    P.Jobs.Wait();
    ASSERT_EQ(LUNNO->Count(), 6) << mwtest::AllBoxes(*boxes);
  }
  int Row(const char* Key) {
    TFormCvGrid* G = CoPi().ngVARICORA;
    for (int r = 0; r < G->RowCount(); ++r)
      if (G->CellAt(0, r)->GetAsText() == Key) return r;
    return -1;
  }
  void Axis(const char* Key, const char* A) {
    const int r = Row(Key);
    ASSERT_GE(r, 0) << Key;
    CoPi().ngVARICORA->CellAt(3, r)->SetAsText(A);
    CoPi().ngVARICORAAfterEdit({});
  }
  // "<=" (entered first, as the mouse does) and "=>": the description's lines.
  std::vector<std::string> Made() {
    CoPi().btCOPI_LEnter({});
    Click(CoPi().btCOPI_L);
    Click(CoPi().btCOPI_Made);
    const std::string f = DescFile();
    std::vector<std::string> lines;
    std::istringstream in(testsupport::ReadFile(f));
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  std::string DescFile() { return Cora().btRACHPIC->Hint(); }
  // Curve pixels (black, the demo project's curve colour) in cell (col, row) of a cols x rows
  // division of the picture.
  int Dark(int col, int row, int cols, int rows) {
    platform::TBitmap& B = Cora().ImageCORA->Bitmap();
    int n = 0;
    for (int32_t y = B.Height() * row / rows; y < B.Height() * (row + 1) / rows; ++y)
      for (int32_t x = B.Width() * col / cols; x < B.Width() * (col + 1) / cols; ++x)
        n += B.Pixel(x, y) == 0u;
    return n;
  }
};

TEST_F(CoPiCora, PairQuestSpreadDrawnAnimatedSavedAsGif) {
  RunPair();
  Corvesta->ShowPage("TabCOPI");
  TTabCOPI& C = CoPi();
  ASSERT_EQ(C.ngVARICORA->RowCount(), 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(C.ngVARICORA->CellAt(2, Row("#LIN"))->GetAsText(), "2");
  EXPECT_EQ(C.ngVARICORA->CellAt(2, Row("#H"))->GetAsText(), "3");
  EXPECT_EQ(C.lbNUnno->Caption(), "NUnno = 6");
  EXPECT_EQ(C.lbMVari->Caption(), "NVari = 2");
  EXPECT_EQ(C.ngStoPar->CellAt(0, 0)->GetAsText(), "RI");

  // LIN on the rows, H on the columns
  Axis("#LIN", "Y");
  Axis("#H", "X");
  std::vector<std::string> lines = Made();
  EXPECT_EQ(C.edCOPInX->Text(), "3");
  EXPECT_EQ(C.edCOPInY->Text(), "2");
  EXPECT_EQ(C.lbCORA_NN->Caption(), "6 =");
  ASSERT_EQ(lines.size(), 7u) << DescFile() << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(lines[0].substr(0, 9), "6 O 1 100");
  EXPECT_EQ(lines[1].substr(0, 15), "O pair.1   1 RI");
  EXPECT_FALSE(App->TunPict->Get("StoPar0").empty());

  // CORA: six plots, 2 rows x 3 columns
  Corvesta->ShowPage("TabCORA");
  TTabCORA& T = Cora();
  Click(T.btCORA);
  ASSERT_NE(T.CurCORA, nullptr) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(T.lbKadr->Caption(), "1/1");
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_GT(Dark(c, r, 3, 2), 20) << c << "," << r;
  EXPECT_TRUE(boxes->Shown().empty()) << mwtest::AllBoxes(*boxes);

  // H on the frames: three frames of two plots
  Corvesta->ShowPage("TabCOPI");
  Axis("#H", "T");
  lines = Made();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].substr(0, 9), "6 O 3 100");
  Corvesta->ShowPage("TabCORA");
  EXPECT_EQ(T.lbKadr->Caption(), "1/3");
  Click(T.btCORA);
  EXPECT_EQ(T.lbKadr->Caption(), "1/3");
  EXPECT_GT(Dark(0, 0, 1, 2), 20);
  EXPECT_GT(Dark(0, 1, 1, 2), 20);
  Click(T.btTimer);
  ASSERT_TRUE(Corvesta->ViewTimer->Enabled());
  EXPECT_EQ(Corvesta->ViewTimer->Interval(), 100);
  std::string seq;
  for (int i = 0; i < 6; ++i) {
    Corvesta->Events.Fire("ViewTimer", "OnTimer");
    seq += " " + T.lbKadr->Caption();
  }
  EXPECT_EQ(seq, " 2/3 3/3 3/3 2/3 1/3 1/3");
  // stepping by hand is refused while the timer runs
  Click(T.btTimR);
  EXPECT_EQ(T.lbKadr->Caption(), "1/3");
  Click(T.btTimer);
  EXPECT_FALSE(Corvesta->ViewTimer->Enabled());
  Click(T.btTimL);
  EXPECT_EQ(T.lbKadr->Caption(), "3/3");

  // Save GIF: 6 frames looping 1000 times, written by a job
  const std::string gif = T.GifFileName();
  EXPECT_NE(gif.find("GIF/pair.gif"), std::string::npos) << gif;
  Click(T.btSaveGIF);
  T.Jobs.Wait();
  ASSERT_TRUE(std::filesystem::exists(gif)) << mwtest::AllBoxes(*boxes);
  TCvGIF G;
  G.LoadFromFile(gif);
  EXPECT_EQ(G.FrameCount(), 6);
  EXPECT_TRUE(G.Looping);
  EXPECT_EQ(G.RepeatCount, 1000);
  EXPECT_EQ(G.FrameAt(0).Delay, 100);
  EXPECT_EQ(T.lbKadr->Caption(), "1/3");
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(gif).parent_path()))
    EXPECT_EQ(e.path().filename().string(), "pair.gif");

  // all frames drawn one after another (thicker lines), the last one stays
  Click(T.btCORAPrint);
  EXPECT_EQ(T.lbKadr->Caption(), "3/3");
  EXPECT_TRUE(boxes->Shown().empty()) << mwtest::AllBoxes(*boxes);

  // "+": only in millimetres; then the chosen profile in the added colour (blue)
  boxes->Clear();
  Click(T.btCORAAdd);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Допускается работать только с масштабом, заданным в миллиметрах"_cp));
  Click(C.sbView_M);
  ASSERT_TRUE(C.sbView_M->Down());
  boxes->Clear();
  Click(T.btCORAAdd);
  EXPECT_TRUE(boxes->Shown().empty()) << mwtest::AllBoxes(*boxes);
  platform::TBitmap& B = T.ImageCORA->Bitmap();
  int blue = 0;
  for (int32_t y = 0; y < B.Height(); ++y)
    for (int32_t x = 0; x < B.Width(); ++x) blue += B.Pixel(x, y) == 0xFF0000u;
  EXPECT_GT(blue, 20);
}

TEST_F(CoPiCora, BadInputIsRefused) {
  RunPair();
  Corvesta->ShowPage("TabCOPI");
  TTabCOPI& C = CoPi();
  Axis("#H", "X");
  std::vector<std::string> lines = Made();
  ASSERT_EQ(lines.size(), 7u);
  const std::string before = testsupport::ReadFile(DescFile());
  // a count below 1 would divide the frame count by 0: refused, naming the field
  boxes->Clear();
  C.edCOPInY->SetText("0");
  Click(C.btCOPI_Made);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "edCOPInY"));
  EXPECT_EQ(testsupport::ReadFile(DescFile()), before);
  C.edCOPInY->SetText("1");
  // a bad real: emptied or zeroed, no file
  C.edCORAtileX->SetText("x");
  Click(C.btCOPI_Made);
  EXPECT_EQ(C.edCORAtileX->Text(), "0");
  C.edCORAtileX->SetText("100");
  C.edCORAdI->SetText("0");
  boxes->Clear();
  Click(C.btCOPI_Made);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Размах графика по шкале инт-тей не должен быть нулевым!"_cp));
  C.edCORAdI->SetText("100");
  // "N=?" when the quantities' label is no number
  C.lbNPar->SetCaption("N=x");
  Click(C.btCOPI_Made);
  EXPECT_EQ(C.lbNPar->Caption(), "N=?");
  EXPECT_EQ(testsupport::ReadFile(DescFile()), before);

  // the animation before any drawing, and an interval out of range
  Corvesta->ShowPage("TabCORA");
  TTabCORA& T = Cora();
  T.CurCORA.reset();
  boxes->Clear();
  Click(T.btTimer);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Рисование ещё не запущено! Нажмите кнопку \"CORA\""_cp));
  Click(T.btCORA);
  ASSERT_NE(T.CurCORA, nullptr);
  T.CurCORA->Interval = 70000;
  boxes->Clear();
  Click(T.btTimer);
  EXPECT_FALSE(Corvesta->ViewTimer->Enabled());
  EXPECT_FALSE(boxes->Shown().empty());
  const std::string gif = T.GifFileName();
  Click(T.btSaveGIF);
  T.Jobs.Wait();
  EXPECT_FALSE(std::filesystem::exists(gif));

  // the settings: RI, empty, RV keep two keys; the tab shown again fills the first two rows
  C.ngStoPar->CellAt(0, 1)->SetAsText("");
  C.ngStoPar->CellAt(0, 2)->SetAsText("RV");
  C.StoParToTunes();
  EXPECT_EQ(App->TunPict->Get("StoPar0"), "RI");
  EXPECT_EQ(App->TunPict->Get("StoPar1"), "RV");
  EXPECT_EQ(App->TunPict->Get("StoPar2"), "");
  EXPECT_EQ(C.lbNPar->Caption(), "N=2");
  Corvesta->ShowPage("TabCOPI");
  EXPECT_EQ(C.ngStoPar->CellAt(0, 1)->GetAsText(), "RV");

  // the listings of the profile list go to the editor
  Click(C.btLUNNOList);
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "LUNNO.List pair");
  Click(C.btLUNNOReport);
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "LUNNO.ReportQuest pair");
}

TEST_F(CoPiCora, HarnessOnTheRunsResultFile) {
  RunPair();
  const std::string dc = App->sProjDir + "DC/pair.txt";
  ASSERT_TRUE(std::filesystem::exists(dc)) << dc;
  testsupport::TempDir dir;
  const std::string desc = dir.str() + "/pair.pic", gif = dir.str() + "/pair.gif";
  auto r = testsupport::RunBatch("copi-made --axis LIN=Y --axis H=T '" + dc + "' '" + desc + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string text = testsupport::ReadFile(desc);
  EXPECT_EQ(text.substr(0, 9), "6 O 3 100");
  EXPECT_NE(text.find("\r\nO pair.1   4 RI "), std::string::npos) << text;
  r = testsupport::RunBatch("copi-made --counts 0 1 1 1 '" + dc + "' '" + desc + "'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("edCOPInX"), std::string::npos) << r.out;
  r = testsupport::RunBatch("cora-gif '" + desc + "' '" + dc + "' '" + gif + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("frames 6 plots not drawn 0"), std::string::npos) << r.out;
  TCvGIF G;
  G.LoadFromFile(gif);
  EXPECT_EQ(G.FrameCount(), 6);
  EXPECT_EQ(G.RepeatCount, 1000);
  if (std::system("command -v giftext >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "giftext is not installed: the independent check is skipped";
  const std::string t = testsupport::RunShell("giftext '" + gif + "' 2>&1");
  size_t images = 0;
  for (size_t p = t.find("Image #"); p != std::string::npos; p = t.find("Image #", p + 1)) ++images;
  EXPECT_EQ(images, 6u) << t;
}

}  // namespace
