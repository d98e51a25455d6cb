// The Start tab's solar-atlas group, its Kurucz damping button, the working line list's
// buttons and its utilities as a user meets them: kind CLV,
// all ten cosines of FE6302 loaded as observed profiles (listed by the Unno tab), one cosine
// drawn as a curve, the window's lines dumped into the editor; "Load Kurucz g4,g6,gNat" gives
// the Fe I pair its damping constants from the bundled list.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvLit.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "models/cvLines.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/TabUnno.h"
#include "mainwindow/StartUtils.h"
#include "foundation/cvTab.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"
#include "mainwindow/support/ProgramEnv.h"
#include "plotting/cvPLOT.h"
#include "support/TestSupport.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using mwtest::AllBoxes;
using mwtest::ProgramTest;

TEST_F(ProgramTest, AtlasWindowsAsObservedProfiles) {
  ASSERT_TRUE(DMReady());
  // the bundled synthetic centre-to-limb fragment
  ASSERT_NE(testsupport::ReadFile(App->sRoot + "ATLAS/2017_Dorvell/clv-ss3-v1.txt").find("SYNTHETIC"),
            std::string::npos);
  Corvesta->resize(1400, 1000);
  Corvesta->ShowPage("TabStart");
  QApplication::processEvents();
  TTabStart& S = Corvesta->StartTab();
  EXPECT_EQ(S.edObsLoadQUEST->Text(), "CLV");  // the first show presets the kind CLV
  S.cbCTeta->SetText("0.1-1");
  S.edAtlasLine->SetText("FE6302");
  QApplication::processEvents();
  const int before = LUNNO->Count();
  S.btLoadUN->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(LUNNO->Count(), before + 10) << AllBoxes(*boxes);
  for (int i = 0; i < 10; ++i) {
    const TUNNO& u = *LUNNO->Items(before + i);
    EXPECT_EQ(u.QuestIQStr(), "CLV.1");
    EXPECT_NEAR(u.MJU, 1 - 0.1 * i, 1e-12);
    EXPECT_EQ(u.KRef, 1);
  }
  Corvesta->ShowPage("TabUnno");
  QApplication::processEvents();
  EXPECT_GE(Corvesta->UnnoTab().ngUnno->RowCount(), 10);

  // one cosine: one profile and its curve in the picture window
  Corvesta->ShowPage("TabStart");
  S.cbCTeta->SetText("0.4");
  emit S.cbCTeta->activated(0);
  QApplication::processEvents();
  EXPECT_EQ(S.edColCorrect->Text(), "6");
  S.btLoadUN->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(LUNNO->Count(), before + 11) << AllBoxes(*boxes);
  EXPECT_EQ(LUNNO->Items(before + 10)->QuestIQStr(), "CLV.2");
  ASSERT_NE(PLOTTER, nullptr);
  EXPECT_GT(PLOTTER->FindPicByTitle("FE6302"), 0);

  // "P": the window's lines into the editor, no profile added
  S.btPrintSpectr->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  EXPECT_EQ(LUNNO->Count(), before + 11);
  const std::vector<std::string> ed = Corvesta->EdTab().MemoEd->Lines();
  ASSERT_FALSE(ed.empty());
  EXPECT_EQ(Ed->CurName, "AtlasFragment");
  EXPECT_EQ(ed[0].rfind("файл=<"_cp, 0), 0u) << ed[0];
  // the window of +-400 mA every 0.02 A: 40 lines after the head
  EXPECT_EQ(ed.size(), 41u);

  // kind Spot: the bundled wavenumber file, one profile with ascending wavelengths
  S.cbAtlasKind->SetItemIndex(1);
  emit S.cbAtlasKind->activated(1);
  QApplication::processEvents();
  EXPECT_EQ(S.edFNamTpl->Text(), "sp(NJU)");
  S.btLoadUN->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  ASSERT_EQ(LUNNO->Count(), before + 12) << AllBoxes(*boxes);
  const TUNNO& spot = *LUNNO->Items(before + 11);
  EXPECT_EQ(spot.QUEST, "Spot");
  ASSERT_GT(spot.NDL, 20);
  EXPECT_LT(spot.UL[1], spot.UL[static_cast<size_t>(spot.NDL)]);
  EXPECT_NEAR(spot.LAMB, 6302.49, 0.01);
  EXPECT_TRUE(boxes->Shown().empty()) << AllBoxes(*boxes);
}

TEST_F(ProgramTest, KuruczDampingOfTheFePair) {
  ASSERT_TRUE(DMReady());
  DM->ADOConnection.Exec("UPDATE Lines_ SET Rad = NULL, Stark = NULL, Waals = NULL");
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.btLoadKurucz_g46N->click();
  S.Jobs.Wait();
  QApplication::processEvents();
  TcvTable t(&DM->ADOConnection, "Lines_");
  t.Open();
  ASSERT_TRUE(t.Locate("LIN6", TextValue("FE6302")));
  EXPECT_DOUBLE_EQ(t.FieldByName("Rad").AsFloat(), 7.93);
  EXPECT_DOUBLE_EQ(t.FieldByName("Stark").AsFloat(), -5.43);
  EXPECT_DOUBLE_EQ(t.FieldByName("Waals").AsFloat(), -7.59);
}

}  // namespace

namespace {

// "Отчет LLIDA" lists the working line list, "X LLIDA" empties it and the state's line name.
TEST_F(ProgramTest, WorkingLineListReportAndClear) {
  ASSERT_TRUE(DMReady());
  ASSERT_TRUE(LoadLins("FE6302", ""));
  ASSERT_NE(LLIDA, nullptr);
  ASSERT_GT(LLIDA->Count(), 0);
  EXPECT_FALSE(Cont().sLIN.empty());
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.btRepLLIDA->click();
  const std::vector<std::string> page = Corvesta->EdTab().MemoEd->Lines();
  ASSERT_EQ(static_cast<int32_t>(page.size()), LLIDA->Count());
  EXPECT_EQ(page[0], (*LLIDA)[0]->sRepLLIDA());
  S.btClearLLIDA->click();
  EXPECT_EQ(LLIDA->Count(), 0);
  EXPECT_TRUE(Cont().sLIN.empty());
  // on an empty list: an empty page, the state's line name empty
  S.btRepLLIDA->click();
  EXPECT_TRUE(Corvesta->EdTab().MemoEd->Lines().empty() ||
              Corvesta->EdTab().MemoEd->Lines() == std::vector<std::string>{""});
  S.btClearLLIDA->click();
  EXPECT_EQ(LLIDA->Count(), 0);
}

}  // namespace

namespace {

// The FITS combination fields through the clipboard: saved as four lines and loaded back; an
// empty operator edit takes the joining combo from the next word; not four lines: refused.
TEST(StartUtils, FITSFieldsThroughTheClipboard) {
  startutils::TFITSGroups g = {{{"CONT", "/", "CONT2", "1"},
                                {"BIV", "abs", "0", "abs", "&"},
                                {"LW", "0", "", ""},
                                {"V", "-", "VB", "", "|"}}};
  // "0" as the operator: no second combo
  g[1] = {"BIV", "0", "", "abs", "&"};
  const std::string text = startutils::FITSGroupsText(g);
  startutils::TFITSGroups back;
  std::string error;
  ASSERT_TRUE(startutils::FITSGroupsFromText(text, back, error)) << error;
  EXPECT_EQ(back[0], (startutils::TFITSGroup{"CONT", "/", "CONT2", "1"}));
  EXPECT_EQ(back[1], (startutils::TFITSGroup{"BIV", "0", "", "abs", "&"}));
  EXPECT_EQ(back[2], (startutils::TFITSGroup{"LW", "0", "", ""}));
  // an empty operator edit: the one-character word after the second combo is the joining combo
  EXPECT_EQ(back[3], (startutils::TFITSGroup{"V", "-", "VB", "", "|"}));
  // empty first and last groups: lines of blanks that load back as empty groups
  startutils::TFITSGroups blank = {{{"", "", "", ""}, g[1], g[2], {"", "", "", "", ""}}};
  ASSERT_TRUE(startutils::FITSGroupsFromText(startutils::FITSGroupsText(blank) + "\r\n", back, error))
      << error;
  EXPECT_EQ(back[1], g[1]);
  startutils::TFITSGroups kept = back;
  EXPECT_FALSE(startutils::FITSGroupsFromText("a\r\nb", kept, error));
  EXPECT_EQ(error, "в Буфере обмена должно быть 4 строки, а не 2!"_cp + "\r\na\r\nb");
  EXPECT_EQ(kept[0], back[0]);
}

// The Start tab's sizes: the picture window's drawing area takes the typed size whatever its
// borders; the decimal point of spreadsheet export follows its field.
TEST_F(ProgramTest, StartTabPictureSizeAndDecimalPoint) {
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  ASSERT_NE(FPict, nullptr);
  FPict->show();
  S.edCORAW->SetText("800");
  S.edCORAH->SetText("600");
  S.edCORASizeApply->click();
  QApplication::processEvents();
  int32_t w = 0, h = 0;
  FPict->ClientSize(w, h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  const char before = ExcelDecPoint;
  S.EdExcelDecPoint->SetText(",");
  EXPECT_EQ(ExcelDecPoint, ',');
  S.EdExcelDecPoint->SetText(std::string(1, before));
  // the FITS fields saved and loaded back through the window's clipboard
  S.cbFITS5->SetText("BIV");
  S.cbFITSop3->SetText("*");
  S.cbFITS6->SetText("CONT");
  S.edFITSop3->SetText("abs");
  S.cbFITSop13->SetText("&");
  S.btSave4->click();
  S.edFITSop3->SetText("");
  S.cbFITSop13->SetText("");
  S.btLoad4->click();
  EXPECT_EQ(S.edFITSop3->Text(), "abs");
  EXPECT_EQ(S.cbFITSop13->Text(), "&");
}

}  // namespace
