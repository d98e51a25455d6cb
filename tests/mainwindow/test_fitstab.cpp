// The FITS tab on a fresh copy of the bundled root, as a new user meets it: the months, the
// sessions of 2019_06, the session panel, the scan loaded by "Ld" (a job) with the keys that vary,
// a pixel's I±V curves in the picture window, the text table, the 5 x 5 matrix, a header taken
// into the editor and written back; and the refusals of bad input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabTest.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "scans/cvLFITS.h"
#include "scans/cvSessions.h"
#include "support/TestSupport.h"

namespace {

using mwtest::ProgramTest;

const std::string kPM = "\xB1";  // "±" in code page 1251

class FITSTab : public ProgramTest {
 protected:
  TTabFITS& Tab() { return Corvesta->FITSTab(); }
  std::string FITSRoot() { return root->File("FITS"); }
  void Open() {
    Corvesta->resize(1241, 756);
    Corvesta->ShowPage("TabFITS");
    QApplication::processEvents();
    Tab().edFITSpath->SetText(FITSRoot());
    QApplication::processEvents();
  }
  void Choose(platform::TComboBox* C, const std::string& Item) {
    int i = 0;
    while (i < C->ItemCount() && C->Item(i) != Item) ++i;
    ASSERT_LT(i, C->ItemCount()) << Item;
    C->SetItemIndex(i);
    emit C->activated(i);
    QApplication::processEvents();
  }
  std::string Cell(const char* Col, int Row) {
    TCvGrid* g = Tab().ngFITS_YM;
    return g->CellAt(g->ColumnByName(Col)->Index(), Row)->GetAsText();
  }
  void ClickSession(const char* Col, int Row) {
    platform::TFormEventArgs e;
    e.Col = Tab().ngFITS_YM->ColumnByName(Col)->Index();
    e.Row = Row;
    Tab().ngFITS_YMCellClick(e);
  }
  void Month() {
    Open();
    Choose(Tab().cbFITS_YM, "2019_06");
    ASSERT_EQ(Tab().ngFITS_YM->RowCount(), 1) << mwtest::AllBoxes(*boxes);
    ClickSession("GxFITS_DaTi", 0);
  }
  void Load() {
    Tab().btLoadFITS->Click();
    Tab().Jobs.Wait();
    QApplication::processEvents();
  }
  std::vector<std::string> GraphNames() {
    std::vector<std::string> n;
    for (int i = 1; i <= PLOTTER->GraphCount(); ++i) n.push_back(PLOTTER->Graph(i)->Name);
    return n;
  }
};

TEST_F(FITSTab, JourneyFromTheRootToAPixelsProfilesAndHeaders) {
  Open();
  TTabFITS& T = Tab();
  EXPECT_EQ(T.cbFITS_YM->Items(),
            (std::vector<std::string>{"All", "2019", "2019_06", "2019_07"}));
  Choose(T.cbFITS_YM, "2019_06");
  ASSERT_EQ(T.ngFITS_YM->RowCount(), 1) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Cell("GxFITS_DaTi", 0), "20190622_164505");
  EXPECT_EQ(T.ngFITS_YM->CellAt(T.ngFITS_YM->ColumnByName("GxFITS_ME")->Index(), 0)->GetAsBoolean(), true);
  EXPECT_EQ(T.ngFITS_YM->CellAt(T.ngFITS_YM->ColumnByName("GxFITS_CV")->Index(), 0)->GetAsBoolean(), false);
  EXPECT_EQ(Cell("GxFITS_nX", 0), "24");
  EXPECT_EQ(Cell("GxFITS_exp", 0), "4.8");
  EXPECT_EQ(Cell("GxFITS_lat", 0), "7.3");
  EXPECT_EQ(Cell("GxFITS_long", 0), "68.2");
  EXPECT_EQ(Cell("GxFITS_Angle", 0), "22.9");

  // a click fills the session panel (the inversion file's angles and centre, the slit keys)
  ClickSession("GxFITS_DaTi", 0);
  EXPECT_EQ(T.CurSession, "20190622_164505");
  EXPECT_EQ(T.lb_XCEN->Caption(), "-350.0");
  EXPECT_EQ(T.lb_nXp->Caption(), "24");
  EXPECT_EQ(T.lb_Binning->Caption(), "0 1 1");
  EXPECT_EQ(App->TunFITS->Get("s15_last"), "20190622_164505");

  // "Ld": a job; the scan summary, its 24 slit files and the keys that vary in card order
  Load();
  EXPECT_EQ(T.gbLFITS->Caption(), "LFITS  20190622_1645 n=24 ");
  EXPECT_EQ(T.ngFITS->RowCount(), 24);
  EXPECT_EQ(T.cbSrcFITSKey->Items(),
            (std::vector<std::string>{"DATE_OBS", "SLITINDX", "SLITPOS", "XCEN", "DOP_RCV",
                                      "T_SPCCD", "T_FGCCD", "T_CTCCD", "T_SPCEB", "T_FGCEB",
                                      "T_CTCEB"}))
      << mwtest::AllBoxes(*boxes);

  // the pixel (6, 47): I±V as two curves
  T.edFITSiX->SetText("6");
  T.edFITSiY->SetText("47");
  T.cb_FITS3->SetText("I" + kPM + "V");
  const int before = PLOTTER->GraphCount();
  T.btFIT2EdNorm->Click();
  QApplication::processEvents();
  const std::vector<std::string> names = GraphNames();
  ASSERT_EQ(PLOTTER->GraphCount(), before + 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(names[static_cast<size_t>(before)], "(6,47)Stokes_I+V(pix)");
  EXPECT_EQ(names[static_cast<size_t>(before) + 1], "(6,47)Stokes_I-V(pix)");
  // I+V and I-V of the pixel are its I plus and minus V: their mean is I (about the continuum)
  const TOneGraph* p = PLOTTER->Graph(before + 1);
  const TOneGraph* m = PLOTTER->Graph(before + 2);
  ASSERT_GE(p->AY.size(), 112u);
  EXPECT_GT((p->AY[1] + m->AY[1]) / 2, 10000.0);
  Corvesta->grab().toImage().save("fitstab_profiles.png");

  // "txt": the table in the editor under its title
  T.btFIT2Ed->Click();
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "FIT1p 6 47 I" + kPM + "V");
  EXPECT_GT(Corvesta->EdTab().MemoEd->Lines().size(), 100u);

  // N 5: 25 tiles per curve, the pixel itself in tile 13
  Choose(T.cbArrPlotNN, "5");
  T.btFIT2EdNorm->Click();
  QApplication::processEvents();
  std::set<int> tiles;
  int centre = 0;
  for (int i = 1; i <= PLOTTER->GraphCount(); ++i) {
    const TOneGraph* g = PLOTTER->Graph(i);
    if (g->Name.find(")Stokes_I+V(pix)") == std::string::npos || g->Name[1] == '6') continue;
    tiles.insert(g->nXnY_Index);
    if (g->Name == "(0,0)Stokes_I+V(pix)") centre = g->nXnY_Index;
  }
  EXPECT_EQ(tiles.size(), 25u);
  EXPECT_EQ(centre, 13);
  Choose(T.cbArrPlotNN, "1");

  // "Hd" on the inversion file's column, a card taken out, "Hd return": the card count kept
  ClickSession("GxFITS_ME", 0);
  T.btHdRepClick({});
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "Header");
  std::vector<std::string> h = Corvesta->EdTab().MemoEd->Lines();
  const std::string me = FITSRoot() + "/2019_06/20190622_1645/20190622_164505.fits";
  ASSERT_GT(h.size(), 4u);
  EXPECT_EQ(h[0], me + " 0 " + IntStr(static_cast<int32_t>(h.size()) - 2));
  const size_t cards = h.size() - 2;
  const auto b = std::find_if(h.begin() + 2, h.end(),
                              [](const std::string& L) { return L.rfind("B_ANGLE", 0) == 0; });
  ASSERT_NE(b, h.end());
  h.erase(b);
  Corvesta->EdTab().MemoEd->SetLines(h);
  T.pmYM_HdReturnClick({});
  const std::vector<std::string> back = sessions::HeaderText(me, 0);
  ASSERT_EQ(back.size(), cards + 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(back[back.size() - 2].substr(0, 8), "DUMMY000");
}

TEST_F(FITSTab, BadInputIsRefused) {
  Month();
  TTabFITS& T = Tab();
  // no scan yet
  T.btFIT2EdNorm->Click();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Нужно загрузить список LFITS!"_cp));
  Load();
  struct {
    std::string x, y, sel, says;
  } cases[] = {
      {"6a", "47", "I", "Ошибка в числе в поле iX <6a>"_cp},
      {"6", "", "I", "Ошибка в числе в поле iY <>"_cp},
      {"6", "47", "IVQUD", "В поле IQUV может быть от 1 до 4-х символов!"_cp},
      {"6", "47", "IVX", "В поле IQUV не допустимы символы кроме"_cp},
  };
  for (const auto& c : cases) {
    boxes->Clear();
    T.edFITSiX->SetText(c.x);
    T.edFITSiY->SetText(c.y);
    T.cb_FITS3->SetText(c.sel);
    const int before = PLOTTER->GraphCount();
    T.btFIT2EdNorm->Click();
    EXPECT_TRUE(mwtest::BoxShown(*boxes, c.says)) << c.says << mwtest::AllBoxes(*boxes);
    EXPECT_EQ(PLOTTER->GraphCount(), before);
  }
  // a line option that is no number: the message, the edit focused, the options kept
  const double keep = T.CurLFITS->d6301;
  boxes->Clear();
  T.edd6301->SetText("35o");
  T.LFITS_SetOptions();
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Ошибка в числе!"_cp));
  EXPECT_EQ(T.CurLFITS->d6301, keep);
  // "Free": the empty summary
  T.btLFITS_free->Click();
  EXPECT_EQ(T.gbLFITS->Caption(), "LFITS NONE");
  EXPECT_EQ(T.ngFITS->RowCount(), 0);
}

TEST_F(FITSTab, YearsAsAJobAndTheColumnGroups) {
  Open();
  TTabFITS& T = Tab();
  Choose(T.cbFITS_YM, "2019");
  T.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(T.ngFITS_YM->RowCount(), 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Cell("GxFITS_DaTi", 1), "20190703_081000");
  EXPECT_EQ(T.btYM->Caption(), "YM");
  // "YM" goes to the month of the current session and back to its year
  ClickSession("GxFITS_DaTi", 1);
  T.btYM->Click();
  EXPECT_EQ(T.cbFITS_YM->Text(), "2019_07");
  EXPECT_EQ(T.ngFITS_YM->RowCount(), 1);
  // the wide view: "B" stores its own key, its columns follow it
  T.btSesWide->Click();
  EXPECT_EQ(T.btSesWide->Caption(), "<");
  T.btBMom->Click();
  EXPECT_TRUE(T.btBMom->Down());
  EXPECT_EQ(App->TunCommon->Get("FITSYM_B"), "1");
  EXPECT_EQ(App->TunCommon->Get("FITSYM_V"), "");
  EXPECT_TRUE(T.ngFITS_YM->ColumnByName("GxFITS_BML1")->Visible());
  EXPECT_FALSE(T.ngFITS_YM->ColumnByName("GxFITS_dVmi")->Visible());
  T.btBMom->Click();
  EXPECT_EQ(App->TunCommon->Get("FITSYM_B"), "");
  // "P": the grid as a page
  T.btFITS_YMprint->Click();
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), "List_FITS_YM");
}

}  // namespace

namespace {

// A pixel's profile plotted on the FITS tab hands the pixel and its continuum to the Test tab.
TEST_F(FITSTab, APixelsProfileReachesTheTestTab) {
  Month();
  Load();
  TTabFITS& T = Tab();
  T.edFITSiX->SetText("10");
  T.edFITSiY->SetText("4");
  T.cb_FITS3->SetText("I");
  T.btFIT2EdNorm->Click();
  QApplication::processEvents();
  TTabTest& S = Corvesta->TestTab();
  EXPECT_EQ(S.lb_iX->Caption(), "10") << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(S.lb_iY->Caption(), "4");
  EXPECT_GT(std::atof(S.edICont6301->Text().c_str()), 1000.0) << S.edICont6301->Text();
}

}  // namespace
