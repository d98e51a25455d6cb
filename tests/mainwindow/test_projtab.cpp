// The Project tab on a fresh copy of the bundled root: a new user's journey (base folder, a new
// project and quest, the control and option files from their templates, the file buttons'
// states, a switch to the demo project and back with each project's settings file holding only
// its own keys), the warnings of a missing name or description, a project that cannot be opened,
// and names with apostrophes and descriptions with line breaks through Auto Save / Auto Load.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <chrono>
#include <vector>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "mainwindow/MainLinks.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabProj.h"
#include "mainwindow/support/ProgramEnv.h"
#include "platform/Dialogs.h"
#include "platform/FileErr.h"
#include "app/AppLinks.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

using mwtest::ProgramTest;
namespace fs = std::filesystem;

std::string Slurp(const std::string& File) {
  std::ifstream f(File, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class ProjTab : public ProgramTest {
 protected:
  TTabProj& Tab() { return Corvesta->ProjTab(); }
  void Click(QWidget* W) {
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(5, W->height() / 2));
    QApplication::processEvents();
  }
  // The user picks the item of that text from the box.
  void Pick(platform::TComboBox* C, const std::string& Text) {
    int i = 0;
    while (i < C->ItemCount() && C->Item(i) != Text) ++i;
    ASSERT_LT(i, C->ItemCount()) << Text;
    C->SetItemIndex(i);
    emit C->activated(i);
    QApplication::processEvents();
  }
  // Rows of a table whose fields have these values.
  int Rows(TcvTable& T, const std::string& Keys, const std::vector<TcvValue>& Values) {
    T.Close();
    T.SetFiltered(false);
    T.Open();
    int n = 0;
    for (T.First(); !T.Eof(); T.Next()) {
      bool all = true;
      size_t k = 0;
      std::string rest = Keys;
      while (!rest.empty()) {
        const size_t p = rest.find(';');
        const std::string f = rest.substr(0, p);
        rest = p == std::string::npos ? "" : rest.substr(p + 1);
        if (T.FieldByName(f).Value() != Values[k++]) all = false;
      }
      n += all;
    }
    return n;
  }
  void SaveProject(const std::string& Name, const std::vector<std::string>& Desc) {
    Tab().cbProjectName->SetText(Name);
    Tab().MemoProjectDesc->SetLines(Desc);
    Click(Tab().btProjSave);
  }
  void SaveQuest(const std::string& Name, const std::vector<std::string>& Desc) {
    Tab().cbQuestName->SetText(Name);
    Tab().MemoQuestDesc->SetLines(Desc);
    Click(Tab().btQuestSave);
  }
  // The chosen base folder.
  std::string ChooseBase() {
    const std::string base = root->File("work/projects");
    fs::create_directories(base);
    platform::ScriptedDialogs dialogs;
    dialogs.AnswerFile(base);
    Click(Tab().btBasePath);
    EXPECT_EQ(dialogs.FileAsks().size(), 1u);
    return base;
  }
};

TEST_F(ProjTab, NewProjectAndQuestTheirFilesAndASwitchToTheDemoAndBack) {
  Corvesta->ShowPage("TabProj");
  // the demo project of the installation is listed and in force
  EXPECT_EQ(Tab().cbProjectName->Text(), "Demo");
  EXPECT_EQ(Tab().cbQuestName->Text(), "demo");
  EXPECT_TRUE(Sayer->qBoxes);  // the demo's SayerQS
  const std::string demoIni = root->File("Projects/Demo/cvtunes.ini");

  const std::string base = ChooseBase();
  EXPECT_EQ(Tab().edBasePath->Text(), base);
  EXPECT_EQ(App->TunGlobal->Get("ProjBasePath"), base);

  SaveProject("P1", {"First project", "of the journey"});
  ASSERT_EQ(Rows(DM->ADOProjects, "ProjName;Path;IdUser",
                 {TextValue("P1"), TextValue(base + "/P1"), IntValue(1)}),
            1);
  EXPECT_TRUE(platform::IsDirectory(base + "/P1"));
  EXPECT_EQ(App->sProject, "P1");
  EXPECT_EQ(App->sProjDir, base + "/P1/");
  EXPECT_EQ(App->TunCommon->InFile, base + "/P1/cvtunes.ini");
  EXPECT_EQ(App->TunGlobal->Get("CurrentProject"), "P1");
  // the new project's sets start empty: none of the demo's keys, and the sink follows
  EXPECT_EQ(App->TunCommon->Get("SayerQS"), "");
  EXPECT_FALSE(Sayer->qBoxes);
  EXPECT_FALSE(Sayer->qLog);
  EXPECT_EQ(Tab().cbProjectName->ItemCount(), 2);
  // no quest of the new project yet: the box says so and the quest in force stays
  EXPECT_EQ(Tab().cbQuestName->Text(), "Quest Name");
  EXPECT_TRUE(Tab().MemoQuestDesc->Lines().empty());
  EXPECT_EQ(App->sQuest, "demo");

  SaveQuest("Q1", {"First quest"});
  EXPECT_EQ(Rows(DM->ADOQuests, "ProjName;QuestName;IdUser",
                 {TextValue("P1"), TextValue("Q1"), IntValue(1)}),
            1);
  EXPECT_EQ(App->sQuest, "Q1");
  EXPECT_EQ(App->TunCommon->Get("P1.CurrentQuest"), "Q1");

  // Ctrl File: the quest's control file from the template, opened in the editor
  const std::string ctrl = base + "/P1/ONE/Q1.DAT";
  EXPECT_EQ(Tab().btCTRL->Hint(), ctrl);
  EXPECT_FALSE(platform::IsRegularFile(ctrl));
  Click(Tab().btCTRL);
  ASSERT_TRUE(platform::IsRegularFile(ctrl)) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Slurp(ctrl), Slurp(root->File("ONE/Default.DAT")));
  EXPECT_EQ(Corvesta->EdTab().edFile->Text(), ctrl);
  // RACH Opt File: the option file from its template
  const std::string rach = base + "/P1/OTL/RACH.otl";
  fs::remove(rach);
  Click(Tab().btRACHOTL);
  EXPECT_TRUE(platform::IsRegularFile(rach));
  EXPECT_EQ(Slurp(rach), Slurp(root->File("OTL/RACH.otl")));

  // buttons of tags 2, 4-7 are enabled exactly while their file exists
  auto checkStates = [&] {
    int seen = 0;
    for (platform::TBitBtn* B : {Tab().btROUTDAT, Tab().btRESTART, Tab().btPMOD3RES,
                                 Tab().btPMOD3OUT, Tab().btIONRES, Tab().btPMOD3LOG,
                                 Tab().btIONLOG, Tab().btDC, Tab().btMODTTT}) {
      SCOPED_TRACE(B->objectName().toStdString());
      EXPECT_EQ(B->isEnabled(), platform::IsRegularFile(B->Hint()));
      seen += B->isEnabled();
    }
    return seen;
  };
  const int before = checkStates();
  EXPECT_TRUE(Tab().btROUTDAT->isEnabled());  // the root's model nets exist
  EXPECT_FALSE(Tab().btPMOD3RES->isEnabled());
  ForceFileDir(Tab().btPMOD3RES->Hint());
  std::ofstream(Tab().btPMOD3RES->Hint()) << "x\n";
  Corvesta->UpDateButtons();
  EXPECT_TRUE(Tab().btPMOD3RES->isEnabled());
  EXPECT_EQ(checkStates(), before + 1);
  EXPECT_TRUE(Tab().btCTRL->isEnabled());  // tag 8: left alone

  // to the demo and back: each settings file keeps only its own project's keys
  Pick(Tab().cbProjectName, "Demo");
  EXPECT_EQ(App->sProject, "Demo");
  EXPECT_EQ(App->sProjDir, root->File("Projects/Demo/"));
  EXPECT_TRUE(Sayer->qBoxes);
  EXPECT_TRUE(Sayer->qLog);
  EXPECT_EQ(Tab().cbQuestName->Text(), "demo");
  const std::string p1Ini = Slurp(base + "/P1/cvtunes.ini");
  EXPECT_NE(p1Ini.find("P1.CurrentQuest=Q1"), std::string::npos) << p1Ini;
  EXPECT_EQ(p1Ini.find("Sayer"), std::string::npos) << p1Ini;
  Pick(Tab().cbProjectName, "P1");
  EXPECT_EQ(App->sProject, "P1");
  EXPECT_FALSE(Sayer->qBoxes);
  EXPECT_EQ(Tab().cbQuestName->Text(), "Q1");
  EXPECT_EQ(App->sQuest, "Q1");
  const std::string demo = Slurp(demoIni);
  EXPECT_EQ(demo.find("P1."), std::string::npos) << demo;
  EXPECT_NE(demo.find("SayerQS=1"), std::string::npos) << demo;
  EXPECT_EQ(Slurp(base + "/P1/cvtunes.ini").find("Sayer"), std::string::npos);
}

TEST_F(ProjTab, MissingNamesAndDescriptionsSaveNothing) {
  Corvesta->ShowPage("TabProj");
  const std::string base = ChooseBase();
  Sayer->WarnOn();
  struct TCase {
    bool Quest;
    const char* Name;
    std::vector<std::string> Desc;
    const char* Warning;
  } cases[] = {
      {false, "Project Name", {"d"}, "Input project name first!"},
      {false, "", {"d"}, "Input project name first!"},
      {false, "P2", {}, "Please, input project description!"},
      {false, "P2", {"  "}, "Please, input project description!"},
      {true, "Quest Name", {"d"}, "Input question name first!"},
      {true, "Q2", {}, "Please, input question description!"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + c.Warning);
    boxes->Clear();
    const int projects = Rows(DM->ADOProjects, "IdUser", {IntValue(1)});
    const int quests = Rows(DM->ADOQuests, "IdUser", {IntValue(1)});
    Sayer->BoxesOff();  // the quest form shows its warnings as boxes all the same
    if (c.Quest)
      SaveQuest(c.Name, c.Desc);
    else
      SaveProject(c.Name, c.Desc);
    EXPECT_FALSE(Sayer->qBoxes);  // and leaves them off
    if (c.Quest) {
      EXPECT_TRUE(mwtest::BoxShown(*boxes, c.Warning)) << mwtest::AllBoxes(*boxes);
    }
    EXPECT_EQ(Rows(DM->ADOProjects, "IdUser", {IntValue(1)}), projects);
    EXPECT_EQ(Rows(DM->ADOQuests, "IdUser", {IntValue(1)}), quests);
  }
  // a base folder that cannot be made
  Sayer->BoxesOn();
  boxes->Clear();
  std::ofstream(root->File("afile")) << "x";
  Tab().edBasePath->SetText(root->File("afile/sub"));
  SaveProject("P3", {"d"});
  EXPECT_TRUE(mwtest::BoxShown(*boxes, "is not correct directory!")) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(Rows(DM->ADOProjects, "ProjName", {TextValue("P3")}), 0);
  (void)base;
}

// A project without a row, or whose folder cannot be made, is not switched to: the previous one
// stays in force with its folder and settings, and WARNAbs says why.
TEST_F(ProjTab, AProjectThatCannotBeOpenedKeepsThePreviousOne) {
  Corvesta->ShowPage("TabProj");
  std::ofstream(root->File("afile")) << "x";
  DM->ADOProjects.Close();
  DM->ADOProjects.Open();
  DM->ADOProjects.Append();
  DM->ADOProjects.FieldByName("ProjName").SetAsString("Broken");
  DM->ADOProjects.FieldByName("Path").SetAsString(root->File("afile/Broken"));
  DM->ADOProjects.Post();
  Tab().ProjListUpdate();
  const std::string dir = App->sProjDir;
  App->TunCommon->Set("Marker", "kept");
  for (const char* name : {"Broken", "Nowhere"}) {
    SCOPED_TRACE(name);
    boxes->Clear();
    Tab().cbProjectName->SetText(name);
    if (std::string(name) == "Broken")
      Pick(Tab().cbProjectName, name);
    else
      Tab().cbProjectNameSelect(platform::TFormEventArgs{});
    EXPECT_EQ(App->sProject, "Demo");
    EXPECT_EQ(App->sProjDir, dir);
    EXPECT_EQ(App->TunGlobal->Get("CurrentProject"), "Demo");
    EXPECT_EQ(App->TunCommon->Get("Marker"), "kept");
    EXPECT_TRUE(mwtest::BoxShown(*boxes, "Demo")) << mwtest::AllBoxes(*boxes);
    EXPECT_EQ(Tab().cbProjectName->Text(), "Demo");
  }
  EXPECT_FALSE(platform::PathExists(root->File("***")));
}

// Saving a quest again keeps its start date and moves its last date.
TEST_F(ProjTab, AQuestSavedAgainKeepsItsStartDate) {
  Corvesta->ShowPage("TabProj");
  SaveQuest("Q7", {"first"});
  TcvTable& T = DM->ADOQuests;
  ASSERT_EQ(Rows(T, "ProjName;QuestName", {TextValue("Demo"), TextValue("Q7")}), 1);
  ASSERT_TRUE(T.Locate("ProjName;QuestName", {TextValue("Demo"), TextValue("Q7")}));
  const double beg = T.FieldByName("DateBeg").AsDateTime();
  const double last = T.FieldByName("DateLast").AsDateTime();
  EXPECT_GT(beg, 0);
  QTest::qWait(20);
  SaveQuest("Q7", {"second"});
  ASSERT_EQ(Rows(T, "ProjName;QuestName", {TextValue("Demo"), TextValue("Q7")}), 1);
  ASSERT_TRUE(T.Locate("ProjName;QuestName", {TextValue("Demo"), TextValue("Q7")}));
  EXPECT_EQ(T.FieldByName("DateBeg").AsDateTime(), beg);
  EXPECT_GT(T.FieldByName("DateLast").AsDateTime(), last);
  EXPECT_EQ(T.FieldByName("Description").AsString(), "second");
}

// Apostrophes in names and line breaks in descriptions: saved, listed, selected, and the same
// after the database's Auto Save and Auto Load.
TEST_F(ProjTab, ApostrophesAndLineBreaksSurviveSavingListingAndTheBackup) {
  Corvesta->ShowPage("TabProj");
  ChooseBase();
  const std::string P = "O'Brien's", Q = "it's 'quoted'";
  const std::vector<std::string> pd = {"line one with 'quotes'", "line two"};
  const std::vector<std::string> qd = {"a", "", "c'"};
  SaveProject(P, pd);
  SaveQuest(Q, qd);
  auto check = [&] {
    Tab().ProjListUpdate();
    EXPECT_EQ(Tab().cbProjectName->Text(), P);
    EXPECT_GE(Tab().cbProjectName->ItemIndex(), 0);
    EXPECT_EQ(Tab().MemoProjectDesc->Lines(), pd);
    EXPECT_EQ(Tab().cbQuestName->Text(), Q);
    EXPECT_EQ(Tab().cbQuestName->Items(), std::vector<std::string>{Q});
    EXPECT_EQ(Tab().MemoQuestDesc->Lines(), qd);
  };
  check();
  Pick(Tab().cbProjectName, "Demo");
  Pick(Tab().cbProjectName, P);
  EXPECT_EQ(App->sProject, P);
  check();
  DBAutoSave();
  DM->ADOProjects.Close();
  DM->ADOProjects.Open();
  while (!DM->ADOProjects.IsEmpty()) DM->ADOProjects.Delete();
  DM->ADOQuests.Close();
  DM->ADOQuests.Open();
  while (!DM->ADOQuests.IsEmpty()) DM->ADOQuests.Delete();
  boxes->Answer(platform::MsgResult::Yes);  // other tables hold records: asked once
  DBAutoLoadLast();
  check();
}

// The working files after TabControlsSetDirs: the trace mask is the RACH option file's switches
// whatever it held; the control file named after quest and step when only that one exists; VARI
// loads the quest's steps and the step shown is their number when none is stored.
TEST_F(ProjTab, WorkingFilesMaskControlFileAndQuestSteps) {
  Corvesta->ShowPage("TabProj");
  const std::string rach = cvDirList("RACH", "OTL");
  std::string text = "RACH switches\nMYRUN title\nSw\n1\n0\n1\n";
  for (int i = 4; i <= 31; ++i) text += "0\n";
  { std::ofstream(rach) << text; }
  TraceMask = 0x7F00;
  Corvesta->TabControlsSetDirs();
  EXPECT_EQ(TraceMask, 5);
  EXPECT_EQ(OTLTitleRACH, "MYRUN");

  const std::string one = root->File("Projects/Demo/ONE/");
  App->sQuest = "Q5";
  App->iStep = 2;
  { std::ofstream(one + "Q5.2.DAT") << "#RUN CONT #\n"; }
  Corvesta->TabControlsSetDirs();
  EXPECT_EQ(Tab().btCTRL->Hint(), one + "Q5.2.DAT");
  { std::ofstream(one + "Q5.DAT") << "#RUN CONT #\n"; }
  Corvesta->TabControlsSetDirs();
  EXPECT_EQ(Tab().btCTRL->Hint(), one + "Q5.DAT");

  // the demo quest: two steps in its control file
  Pick(Tab().cbQuestName, "demo");
  EXPECT_EQ(App->sQuest, "demo");
  Click(Tab().btLoadVARI);
  EXPECT_EQ(QuestVariCount("demo"), 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(App->iStep, 2);
  EXPECT_EQ(Tab().cbQuestStep->Text(), "2");
  App->TunCommon->Clear("Demo.CurrentQuestStep");
  App->iStep = 0;
  Tab().QuestListUpdate();
  EXPECT_EQ(App->iStep, 2);
  EXPECT_EQ(Tab().cbQuestStep->Text(), "2");
}

// RUN of both tabs runs the current quest through its link with the run flags cleared.
TEST_F(ProjTab, RunGoesThroughTheLinkWithTheFlagsCleared) {
  int runs = 0;
  mainlinks::Hooks().LoadAndRunOne.Install([&] {
    ++runs;
    EXPECT_FALSE(App->qStop);
  });
  App->qStop = true;
  Corvesta->ShowPage("TabProj");
  Click(Tab().btRUN);
  App->qStop = true;
  Corvesta->ShowPage("TabDebug");
  Click(Corvesta->DebugTab().btRUN_1);
  EXPECT_EQ(runs, 2);
  // Append Results is a flag of the Common set
  Corvesta->ShowPage("TabProj");
  const bool was = Tab().cbAppendRes->Checked();
  Click(Tab().cbAppendRes);
  EXPECT_EQ(App->TunCommon->Flag("AppendResults"), !was);
  Click(Tab().cbAppendRes);
  EXPECT_EQ(App->TunCommon->Flag("AppendResults"), was);
  // LIDA.Clear: the loaded lines and their dump file gone
  ASSERT_NE(LLIDA, nullptr);
  LLIDA->Items.push_back(std::make_unique<TLIDA>());
  const std::string dump = LLIDA->GetFileName();
  ForceFileDir(dump);
  std::ofstream(dump) << "x\n";
  Click(Tab().BitBtn2);
  EXPECT_EQ(LLIDA->Count(), 0);
  EXPECT_FALSE(platform::PathExists(dump)) << dump;
}

// "Load DC": the result file of an earlier run (its control text, then one block per
// combination) read back into the profile list against the quest's last step.
TEST_F(ProjTab, LoadDCReadsTheResultFileIntoTheProfileList) {
  Corvesta->ShowPage("TabProj");
  ASSERT_NE(LUNNO, nullptr);
  const std::string ctrl = "#LIN FE6302 #\n#H 0 1000 #\n#RUN CONT #\n#EXIT USE #\n";
  const std::string head = root->File("Projects/Demo/DC/fe6302.ctl");
  ForceFileDir(head);
  { std::ofstream(head) << ctrl; }
  // the blocks as a run writes them
  TVariContext& ctx = VariCtx();
  ctx.LVARI->LoadFromFile("fe6302", head, true);
  TStringList text;
  text.Add(ctrl);
  for (int32_t k = 1; k <= 2; ++k) {
    TUNNO u;
    u.SetDefaults();
    u.PureUL(3, 0, 6302.4936, 20, 0);
    u.AllocU();
    for (int32_t i = 1; i <= 3; ++i) u.UI[i] = 1 - 0.1 * k * (4 - i);
    u.ALG = "CONT";
    u.QUEST = "fe6302";
    u.IQ = 1;
    u.KVARI = k;
    u.K4 = 1;
    u.sULin = "FE6302";
    text.AddStrings(*UnnoReport(u));
  }
  ctx.LVARI->ClearQuest("fe6302");
  text.SaveToFile(root->File("Projects/Demo/DC/fe6302.txt"));
  App->sQuest = "fe6302";
  App->iStep = 1;
  Click(Tab().btDC_Load2);
  ASSERT_EQ(LUNNO->Count(), 2) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(LUNNO->Items(1)->KVARI, 2);
  EXPECT_NEAR(LUNNO->Items(1)->UI[1], 1 - 0.2 * 3, 1e-9);
  EXPECT_NEAR(LUNNO->Items(0)->UL[3], 6302.4936 + 0.02, 1e-7);
  EXPECT_EQ(mainlinks::ProfileCount(), 2);
  EXPECT_EQ(App->iStep, 1);
  EXPECT_EQ(Tab().cbQuestStep->Text(), "1");
  EXPECT_EQ(Tab().cbQuestStep->ItemCount(), 1);
  LUNNO->Clear();
}

// The journey of a new user: the demo project's quest of two lines at three field strengths
// picked and RUN: the quest runs as a job ("IVARI=K/NK" in the panel), the result file appears
// and "Load DC" reads its six profiles back. Esc at once: the user is told that the run stopped
// and no result file was written.
TEST_F(ProjTab, RunComputesTheQuestAsAJobAndLoadDCReadsItBack) {
  Corvesta->ShowPage("TabProj");
  ASSERT_NE(LUNNO, nullptr);
  Pick(Tab().cbQuestName, "pair");
  ASSERT_EQ(App->sQuest, "pair");
  std::vector<std::string> progress, report;
  Tab().Jobs.ProgressInterval = std::chrono::milliseconds(0);
  Tab().Jobs.ShowProgress = [&](const std::string& T) { progress.push_back(T); };
  Tab().Jobs.ShowReport = [&](const std::string&, const std::vector<std::string>& L) {
    report.insert(report.end(), L.begin(), L.end());
  };
  const std::string result = root->File("Projects/Demo/DC/pair.txt");
  Click(Tab().btRUN);
  EXPECT_TRUE(Tab().Jobs.Busy());
  Tab().Jobs.Wait();
  ASSERT_EQ(LUNNO->Count(), 6) << mwtest::AllBoxes(*boxes);
  EXPECT_TRUE(platform::IsRegularFile(result));
  bool ivari = false;
  for (const std::string& t : progress) ivari = ivari || t.find("IVARI=") != std::string::npos;
  EXPECT_TRUE(ivari);
  EXPECT_EQ(App->sQuest, "pair");
  EXPECT_EQ(Tab().cbQuestStep->Text(), "1");
  LUNNO->Clear();
  Click(Tab().btDC_Load2);
  ASSERT_EQ(LUNNO->Count(), 6) << mwtest::AllBoxes(*boxes);
  EXPECT_EQ(LUNNO->Items(5)->KVARI, 6);
  EXPECT_EQ(LUNNO->Items(5)->sULin, "FE6302");

  // cancelled before the first combination ends: no result file, and the report says so
  fs::remove(result);
  LUNNO->Clear();
  Click(Tab().btRUN);
  ASSERT_TRUE(Tab().Jobs.Busy());
  Tab().Jobs.Current()->Cancel();
  Tab().Jobs.Wait();
  EXPECT_FALSE(platform::IsRegularFile(result));
  std::string all;
  for (const std::string& l : report) all += l + "\n";
  EXPECT_NE(all.find("RUN <pair> прерван"_cp), std::string::npos) << all;
  EXPECT_NE(all.find("файл результатов не записан"_cp), std::string::npos) << all;
  LUNNO->Clear();
}

}  // namespace
