// The Start tab's line-data tools in the window: "Clear KurLines" over the typed range asks once
// and deletes only on yes; "Load VALD Line Short" reads the editor's text as a job, and "Calc
// Lines ZeeStructure" fills the Zeeman numbers of the new line.
#include <gtest/gtest.h>

#include <string>

#include "app/cvEd.h"
#include "foundation/cvLit.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabStart.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/CodePage.h"
#include "platform/Memo.h"
#include "app/AppLinks.h"
#include "foundation/cvPhys.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

using mwtest::AllBoxes;
using mwtest::BoxShown;
using mwtest::ProgramTest;

int Count(const std::string& Table) {
  TcvTable t(&DM->ADOConnection, Table);
  t.Open();
  return t.RecordCount();
}

std::string LinesField(const std::string& Key, const std::string& Field) {
  TcvTable t(&DM->ADOConnection, "Lines_");
  t.Open();
  if (!t.Locate("LIN6", TextValue(Key))) return "<none>";
  return t.FieldByName(Field).AsString();
}

TEST_F(ProgramTest, StartTabClearsKurLinesOnlyWhenTheQuestionIsAnsweredYes) {
  ASSERT_TRUE(DMReady());
  DM->ADOConnection.Exec("DELETE FROM KurLines");
  DM->ADOConnection.Exec(
      "INSERT INTO KurLines (Id, LAMB, ELEM) VALUES ('8x1', 6301.5, 2600), ('8x2', 6302.5, "
      "2600), ('8x3', 7000.0, 2600)");
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.edLamb1->SetText("6250");
  S.edLamb2->SetText("6350");
  boxes->Answer(platform::MsgResult::No);
  S.btClearKurLines->click();
  S.Jobs.Wait();
  EXPECT_TRUE(BoxShown(*boxes, "Удалить 2 записей таблицы KurLines"_cp)) << AllBoxes(*boxes);
  EXPECT_EQ(Count("KurLines"), 3);
  boxes->Clear();
  boxes->Answer(platform::MsgResult::Yes);
  S.btClearKurLines->click();
  S.Jobs.Wait();
  EXPECT_TRUE(BoxShown(*boxes, "Удалить 2 записей таблицы KurLines"_cp)) << AllBoxes(*boxes);
  EXPECT_EQ(Count("KurLines"), 1);
}

TEST_F(ProgramTest, StartTabImportsAValdAnswerFromTheEditorThenFillsItsZeemanNumbers) {
  ASSERT_TRUE(DMReady());
  ASSERT_NE(Ed, nullptr);
  DM->ADOConnection.Exec("DELETE FROM Lines_");
  Ed->Memo->SetLines({"'Fe 1', 6302.4936, 3.6864, -1.131, 8.190,-5.670,-7.820, 2.500,'K07'"});
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.btLoadVALD->click();
  S.Jobs.Wait();
  ASSERT_EQ(Count("Lines_"), 1) << AllBoxes(*boxes);
  EXPECT_EQ(LinesField("FE6302493", "GU"), "2.5");
  // the VALD factor is of kind "E": the Zeeman fill leaves it; an LS line gets its numbers
  DM->ADOConnection.Exec(
      "INSERT INTO Lines_ (LIN6, LAMB, GLT, GUT, JL2, GL, JU2, GU) VALUES "
      "('FE6302', 6302.49, 'L', 'L', 2, 2.5, 0, 0)");
  S.btZeeStruct->click();
  S.Jobs.Wait();
  EXPECT_EQ(LinesField("FE6302", "NComp"), "2") << AllBoxes(*boxes);
  EXPECT_EQ(LinesField("FE6302", "NPi"), "1");
  EXPECT_EQ(LinesField("FE6302493", "NComp"), "");
}

// "Рассчитаем d0 для линий диапазона": the range's KurLines records get their central depths
// in HOLMU and CV from a synthesis of one point at the line centre, as a job; a record outside
// the range is left alone. The written value is 100 times the profile's depression 1 - I/Ic
// (what the profile's GetD0 gives).
TEST_F(ProgramTest, StartTabCentralDepthsOfTheRangeLines) {
  ASSERT_TRUE(DMReady());
  ASSERT_NE(LUNNO, nullptr);
  DM->ADOConnection.Exec("DELETE FROM KurLines");
  DM->ADOConnection.Exec(
      "INSERT INTO KurLines (Id, LAMB, ELEM) VALUES ('8x000001', 6301.501, 2600), "
      "('8x000002', 6302.494, 2600), ('8x9', 6400.0, 2600)");
  Corvesta->ShowPage("TabStart");
  TTabStart& S = Corvesta->StartTab();
  S.edLamb1->SetText("6300");
  S.edLamb2->SetText("6303");
  S.btCalcD0KurLines->click();
  S.Jobs.Wait();
  TcvTable t(&DM->ADOConnection, "KurLines");
  t.Open();
  int checked = 0;
  for (const char* id : {"8x000001", "8x000002"}) {
    ASSERT_TRUE(t.Locate("Id", TextValue(id)));
    const double hm = t.FieldByName("dHM").AsFloat(), cv = t.FieldByName("dCV").AsFloat();
    EXPECT_GT(hm, 55) << id << AllBoxes(*boxes);
    EXPECT_LT(hm, 90) << id;
    EXPECT_GT(cv, hm) << id;  // the cooler upper layers of CV deepen the line
    EXPECT_LT(cv, 90) << id;
    for (int32_t i = 0; i < LUNNO->Count(); ++i) {
      TUNNO& U = *LUNNO->Items(i);
      if (U.QUEST != "AUTO_d0" || U.sULin != id) continue;
      ASSERT_EQ(U.NDL, 1);
      const double d = RoundDec(1 - U.UI[1] / U.CONT, 7) * 100;
      EXPECT_NEAR(RoundDec(U.GetD0(), 7) * 100, d, 1e-9);
      EXPECT_TRUE(d == hm || d == cv) << id << " " << d << " " << hm << " " << cv;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4);
  ASSERT_TRUE(t.Locate("Id", TextValue("8x9")));
  EXPECT_EQ(t.FieldByName("dHM").AsFloat(), 0);
  LUNNO->Clear();
}

}  // namespace
