// The temperature-analysis window in the program: the demo quest "fe6302" computed by RUN leaves
// HSRA's temperature and continuum in the keeper; the VEMO tab's "T.." entry opens the window for
// the temperature (its checks of the row and the vector first), a second opening lists the line's
// wavelength once, Calc by Teff and by continuum give the theta shifts of the formulas, and Return
// (a job) lowers every temperature by the continuum's shift and recalculates, so the shown Teff
// falls. A non-numeric shift changes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cmath>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FTAnalize.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/support/ProgramEnv.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using mwtest::ProgramTest;

class TAnalizeWindow : public ProgramTest {
 protected:
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  double Num(platform::TEdit* E) { return ValRealOr0(E->Text()); }
  // The demo quest of Fe I 6302.5 in HSRA run by the Project tab.
  void RunFe6302() {
    TTabProj& P = Corvesta->ProjTab();
    Corvesta->ShowPage("TabProj");
    int i = 0;
    while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != "fe6302") ++i;
    ASSERT_LT(i, P.cbQuestName->ItemCount());
    P.cbQuestName->SetItemIndex(i);
    emit P.cbQuestName->activated(i);
    QApplication::processEvents();
    P.Jobs.ShowReport = [](const std::string&, const std::vector<std::string>&) {};
    Click(P.btRUN);
    P.Jobs.Wait();
    ASSERT_GE(LUNNO->Count(), 1) << mwtest::AllBoxes(*boxes);
  }
};

TEST_F(TAnalizeWindow, TemperatureOfHsraShiftedToAWantedContinuum) {
  RunFe6302();
  TLVEMO& K = Keeper();
  TVEMO* T = K.FindVeMo("T", "HSRA", "", 1);
  TVEMO* pe = K.FindVeMo("LGPE", "HSRA", "", 1);
  ASSERT_TRUE(T && pe && T->IsFilled());

  // the entry's checks
  EXPECT_FALSE(OpenTAnalizeRow(0, 5, T));
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "не выбрана строка"_cp)) << mwtest::AllBoxes(*boxes);
  EXPECT_FALSE(OpenTAnalizeRow(6, 5, T));
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "несуществующая строка 6"_cp));
  EXPECT_FALSE(OpenTAnalize(pe));
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Выберите строку с температурным распределением!"_cp));

  ASSERT_TRUE(OpenTAnalizeRow(1, 5, T));
  ASSERT_TRUE(FTAnalize && FTAnalize->isVisible());
  TFTAnalize& W = *FTAnalize;
  ASSERT_TRUE(OpenTAnalize(T));  // a second opening: each wavelength once
  ASSERT_EQ(W.cbQLamb->ItemCount(), 1);
  EXPECT_EQ(W.cbQLamb->Text(), "6302.494");
  EXPECT_EQ(W.edVEMOName->Text(), "T");
  EXPECT_EQ(W.LModName->Caption(), "HSRA");
  EXPECT_EQ(W.ed_dTETA0->Text(), "0");
  const double teff = Num(W.edTEff), cont = Num(W.edCont);
  ASSERT_GT(teff, 5000);
  ASSERT_LT(teff, 8000);
  EXPECT_NEAR(PlanckTb(6302.494, cont), teff, 1e-3);

  // Calc by Teff: equal asks nothing; 6000 K gives theta(6000) - theta(Teff)
  Click(W.btSetTC);
  EXPECT_EQ(W.edQTeff->Text(), W.edTEff->Text());
  W.edT_dTETA->SetText("keep");
  Click(W.btCALC_byTeff);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Температура подобрана!"_cp));
  EXPECT_EQ(W.edT_dTETA->Text(), "keep");
  W.edQTeff->SetText("6000");
  Click(W.btCALC_byTeff);
  EXPECT_NEAR(Num(W.edT_dTETA), 5039.9345841032444118 / 6000 - 5039.9345841032444118 / teff,
              2e-9);

  // a non-numeric shift changes nothing
  const TARe before = T->A;
  W.edC_dTETA->SetText("abc");
  Click(W.btVEMOReturn);
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Неправильное число <abc>!"_cp));
  EXPECT_EQ(T->A, before);

  // Calc by continuum at 90 % of the shown level, then Return: theta grows by the shift, every
  // temperature falls, and the recomputed continuum gives a lower Teff
  W.edQCONT->SetText(ESt(8, cont * 0.9));
  Click(W.btCALC_byCONT);
  const double d = Num(W.edC_dTETA);
  const double want = 5039.9345841032444118 / PlanckTb(6302.494, Num(W.edQCONT)) -
                      5039.9345841032444118 / PlanckTb(6302.494, cont);
  EXPECT_NEAR(d, want, 2e-9);
  ASSERT_GT(d, 0);
  Click(W.btVEMOReturn);
  Corvesta->Jobs.Wait();
  for (int32_t i = 1; i <= T->N; i += 13)
    EXPECT_NEAR(T->A[i], 5039.9345841032444118 / (5039.9345841032444118 / before[i] + d),
                1e-9 * before[i])
        << i;
  EXPECT_EQ(T->KEd, 2);
  EXPECT_EQ(W.edVEMOKEd->Text(), "2");
  EXPECT_LT(Num(W.edTEff), teff - 50);
  EXPECT_NEAR(Num(W.edCont), cont * 0.9, cont * 0.02);
  LUNNO->Clear();
}

// The demo quest "ion" picked and RUN: the build runs as a job whose progress reads
// "CREMOD K=i/N"; HSRAI is built and the keeper's reports reach the editor; the temperature
// window on HSRAI finds no continuum and says so. (A cancel in the
// middle of a build is tested on the library: the build takes some 50 ms.)
TEST_F(TAnalizeWindow, IonQuestBuildsHsraiAsAJob) {
  TTabProj& P = Corvesta->ProjTab();
  Corvesta->ShowPage("TabProj");
  int i = 0;
  while (i < P.cbQuestName->ItemCount() && P.cbQuestName->Item(i) != "ion") ++i;
  ASSERT_LT(i, P.cbQuestName->ItemCount());
  P.cbQuestName->SetItemIndex(i);
  emit P.cbQuestName->activated(i);
  QApplication::processEvents();
  std::vector<std::string> progress;
  P.Jobs.ProgressInterval = std::chrono::milliseconds(0);
  P.Jobs.ShowProgress = [&](const std::string& T) { progress.push_back(T); };
  P.Jobs.ShowReport = [](const std::string&, const std::vector<std::string>&) {};
  Click(P.btRUN);
  P.Jobs.Wait();
  bool cremod = false;
  for (const std::string& t : progress) cremod = cremod || t.find("CREMOD K=") != std::string::npos;
  EXPECT_TRUE(cremod);
  TVEMO* pg = Keeper().FindVeMo("LGPG", "HSRAI", "", 1);
  ASSERT_TRUE(pg && pg->IsFilled()) << mwtest::AllBoxes(*boxes);
  EXPECT_NEAR(pg->A[pg->N], std::log10(868.2), 1e-3);

  // the keeper's reports are the run's text: shown in the editor under the run word
  std::string memo;
  if (Ed && Ed->Memo)
    for (const std::string& l : Ed->Memo->Lines()) memo += l + "\n";
  EXPECT_NE(memo.find("HSRAI"), std::string::npos);

  // the built model has no continuum at the line's wavelength: the window says so and leaves
  // its continuum fields as they were
  RunFe6302();
  TVEMO* t = Keeper().FindVeMo("T", "HSRAI", "", 1);
  ASSERT_TRUE(t && t->IsFilled());
  ASSERT_NE(FTAnalize, nullptr);
  FTAnalize->edCont->SetText("keep");
  ASSERT_TRUE(OpenTAnalize(t));
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "Не найден вектор CONT для модели HSRAI"_cp))
      << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(FTAnalize->edCont->Text(), "keep");
  EXPECT_EQ(FTAnalize->LModName->Caption(), "HSRAI");
  LUNNO->Clear();
}

}  // namespace
