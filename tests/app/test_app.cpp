#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/Cursor.h"
#include "platform/MsgBox.h"
#include "platform/SysInfo.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

using testsupport::SourceRoot;

bool Contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    ResetAppForTests();
    applinks::ResetAll();
    Sayer->SetHook([this](const std::string& t, const std::string&) { said.push_back(t); });
    Sayer->WarnOn();
    root = dir.str() + "/";
  }
  void TearDown() override {
    applinks::ResetAll();
    ResetAppForTests();
    ResetSayerForTests();
  }

  // A root with bin/, the root settings and a project folder with its own settings.
  void MakeRoot(const std::string& rootIni, const std::string& projRel,
                const std::string& projIni) {
    fs::create_directories(dir.path() / "bin");
    if (!rootIni.empty()) WriteFile(dir.file("cvtunes.ini"), rootIni);
    if (!projRel.empty()) {
      fs::create_directories(dir.path() / projRel);
      if (!projIni.empty()) WriteFile((dir.path() / projRel / "cvtunes.ini").string(), projIni);
    }
  }
  std::string Exe() const { return root + "bin/corvesta"; }
  bool SaidSomething(const std::string& part) const {
    for (const auto& s : said)
      if (Contains(s, part)) return true;
    return false;
  }

  platform::ScriptedMsgBoxes boxes;
  testsupport::TempDir dir;
  std::string root;
  std::vector<std::string> said;
};

const char* kRootIni =
    "[Global]\nProjBasePath=Projects\nCurrentProject=P1\n[FITS]\ns15_last=abc\n";
const char* kProjIni = "[Common]\nSayerQF=1\n[Sizes]\nW=640\n[Pict]\nclBk=255\n";

}  // namespace

TEST(AppPaths, RootIsTheParentOfTheExecutablesFolder) {
  EXPECT_EQ(RootOfExeDir("/c/X/BIN/"), "/c/X/");
  EXPECT_EQ(RootOfExeDir("/c/X/BIN"), "/c/X/");
  EXPECT_EQ(RootOfExeDir("/bin/"), "/");
  EXPECT_EQ(RootOfExeDir("/"), "/");
  EXPECT_EQ(RootOfExeDir("C:\\X\\BIN\\"), "C:/X/");
  EXPECT_EQ(PathBelow("/r/", "Projects"), "/r/Projects");
  EXPECT_EQ(PathBelow("/r/", "/abs/base"), "/abs/base");
}

TEST(AppPaths, ExecutableOfTheRunningProgram) {
  const std::string exe = ExeFileName();
  ASSERT_FALSE(exe.empty());
  EXPECT_TRUE(Contains(exe, "app_tests"));
}

TEST_F(AppTest, InitFindsRootAutosaveProjectAndTheFiveSets) {
  MakeRoot(kRootIni, "Projects/P1", kProjIni);
  App->InitFromExe(Exe());
  EXPECT_EQ(App->iGuard, 43605u);
  EXPECT_EQ(App->sExeDir, root + "bin/");
  EXPECT_EQ(App->sRoot, root);
  EXPECT_EQ(App->sSaveDir, root + "autosave/");
  EXPECT_EQ(App->sProject, "P1");
  EXPECT_EQ(App->sProjDir, root + "Projects/P1/");
  EXPECT_EQ(App->sProdId, "CV09");
  EXPECT_EQ(App->sTitle, "Corvesta 2009 Edition");
  ASSERT_TRUE(App->Filer && App->Keyb);
  EXPECT_TRUE(App->Keyb->Layout == 'E' || App->Keyb->Layout == 'R');
  EXPECT_EQ(App->Keyb->Caps, CapsLockState());
  EXPECT_EQ(App->TunGlobal->InFile, root + "cvtunes.ini");
  EXPECT_EQ(App->TunFITS->InFile, root + "cvtunes.ini");
  EXPECT_EQ(App->TunFITS->Get("s15_last"), "abc");
  EXPECT_EQ(App->TunCommon->InFile, root + "Projects/P1/cvtunes.ini");
  EXPECT_EQ(App->TunCommon->Get("SayerQF"), "1");
  EXPECT_EQ(App->TunSizes->Get("W"), "640");
  EXPECT_EQ(App->TunPict->Get("clBk"), "255");
  EXPECT_EQ(App->TunCommon->Count(), 1);  // the sections do not mix
  EXPECT_FALSE(SaidSomething("cvtunes.ini"));
}

TEST_F(AppTest, SettingsFilesAndProjectFolderAreFoundWithoutRegardToCase) {
  fs::create_directories(dir.path() / "bin");
  WriteFile(dir.file("CVTUNES.INI"), kRootIni);
  fs::create_directories(dir.path() / "projects" / "p1");
  WriteFile(dir.file("projects/p1/CvTunes.ini"), kProjIni);
  App->InitFromExe(Exe());
  EXPECT_EQ(App->sProjDir, root + "projects/p1/");
  EXPECT_EQ(App->TunGlobal->Get("CurrentProject"), "P1");
  EXPECT_EQ(App->TunPict->Get("clBk"), "255");
}

TEST_F(AppTest, AbsoluteProjectBaseIsTakenAsWritten) {
  testsupport::TempDir other;
  fs::create_directories(other.path() / "P2");
  WriteFile(other.file("P2/cvtunes.ini"), kProjIni);
  MakeRoot("[Global]\nProjBasePath=" + other.str() + "\nCurrentProject=P2\n", "", "");
  App->InitFromExe(Exe());
  EXPECT_EQ(App->sProjDir, other.str() + "/P2/");
  EXPECT_EQ(App->TunSizes->Get("W"), "640");
}

TEST_F(AppTest, SecondInitOnlyWarns) {
  MakeRoot(kRootIni, "Projects/P1", kProjIni);
  App->InitFromExe(Exe());
  TTunes* global = App->TunGlobal.get();
  int frameRuns = 0;
  applinks::InitFrameSteps().push_back({"count", [&] { ++frameRuns; }});
  said.clear();
  App->InitFromExe("/elsewhere/bin/corvesta");
  EXPECT_EQ(App->sRoot, root);
  EXPECT_EQ(App->TunGlobal.get(), global);
  EXPECT_EQ(frameRuns, 0);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "App.Init - повторное вхождение в процедуру - такого быть не должно!"_cp);
}

TEST_F(AppTest, FrameStepsRunInOrderAfterTheSettings) {
  MakeRoot(kRootIni, "Projects/P1", kProjIni);
  std::vector<std::string> order;
  applinks::InitFrameSteps().push_back({"first", [&] {
                                          order.push_back("first");
                                          EXPECT_TRUE(App->TunFITS != nullptr);
                                        }});
  applinks::InitFrameSteps().push_back({"second", [&] { order.push_back("second"); }});
  App->InitFromExe(Exe());
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
}

TEST_F(AppTest, MissingSettingsFilesStartEmptyAndAreNamed) {
  MakeRoot("", "", "");
  App->InitFromExe(Exe());
  EXPECT_EQ(App->TunGlobal->Count(), 0);
  EXPECT_EQ(App->TunGlobal->OutFile, root + "cvtunes.ini");
  EXPECT_TRUE(SaidSomething(root + "cvtunes.ini"));
  EXPECT_TRUE(SaidSomething(App->sProjDir + "cvtunes.ini"));
  EXPECT_EQ(App->TunCommon->OutFile, App->sProjDir + "cvtunes.ini");
}

TEST_F(AppTest, EmptyProjectSettingFallsBackToTheDemoProject) {
  // Neither the base nor the project may be empty: the project's settings would otherwise be
  // read from and saved to whatever the current folder is.
  for (const std::string ini : {"[Global]\nCurrentProject=P1\n", "[Global]\nProjBasePath=Projects\n",
                                "[Global]\nProjBasePath= \nCurrentProject=P1\n"}) {
    ResetAppForTests();
    said.clear();
    WriteFile(dir.file("cvtunes.ini"), ini);
    fs::create_directories(dir.path() / "bin");
    fs::create_directories(dir.path() / "Projects" / "Demo");
    WriteFile(dir.file("Projects/Demo/cvtunes.ini"), kProjIni);
    App->InitFromExe(Exe());
    EXPECT_EQ(App->sProject, "Demo") << ini;
    EXPECT_EQ(App->sProjDir, root + "Projects/Demo/") << ini;
    EXPECT_EQ(App->TunCommon->InFile, root + "Projects/Demo/cvtunes.ini");
    EXPECT_EQ(App->TunSizes->Get("W"), "640");
    EXPECT_TRUE(SaidSomething("ProjBasePath")) << ini;
  }
}

TEST_F(AppTest, UnreadableSettingsFileIsFatalAndNamed) {
  MakeRoot(kRootIni, "Projects/P1", kProjIni);
  const std::string file = root + "cvtunes.ini";
  // A file that exists but cannot be read, even by root: reading /proc/self/mem at 0 fails.
  fs::remove(file);
  fs::create_symlink("/proc/self/mem", file);
  try {
    App->InitFromExe(Exe());
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_TRUE(Contains(e.what(), file)) << e.what();
  }
}

TEST_F(AppTest, FatalRaisesTheTextWithLineEndAndRestoresTheCursor) {
  PushCursor(platform::crHourGlass);
  EXPECT_EQ(platform::CurrentCursor(), platform::crHourGlass);
  try {
    App->Fatal("Нет файла"_cp);
    FAIL() << "Fatal returned";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "Нет файла\r\n"_cp);
  }
  EXPECT_EQ(platform::CurrentCursor(), platform::crDefault);
  EXPECT_EQ(CursorStackDepth(), 0);
}

TEST_F(AppTest, ActivityAndQuestStepNames) {
  App->NoteActivity();
  EXPECT_NE(App->iLastInput, 0u);
  App->sQuest = "Q1";
  App->iStep = 7;
  EXPECT_EQ(App->QuestStepName(), "Q1.7");
  EXPECT_EQ(NameDotNum("A", -2), "A.-2");

  struct Case {
    std::string text, name;
    int32_t n;
  } cases[] = {{"Q1.7", "Q1", 7},   {"Q1", "Q1", 1},     {"Q1.x", "Q1.x", 1},
               {"Q1.", "Q1.", 1},   {".5", "", 5},       {"a.b.3", "a.b.3", 1},
               {"Q1.12", "Q1", 12}, {"Q1.7z", "Q1.7z", 1}};
  for (const auto& c : cases) {
    std::string name = "?";
    int32_t n = -99;
    SplitNameDotNum(c.text, name, n);
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(n, c.n) << c.text;
  }
}

TEST_F(AppTest, NewSaveDirSkipsFoldersThatHoldSavedData) {
  App->sSaveDir = root + "autosave/";
  const std::string D = "2024_03_05";
  const std::string base = App->sSaveDir + D;
  EXPECT_EQ(App->NewSaveDirFor(D), base + "/");  // no folder yet
  fs::create_directories(base);
  WriteFile(base + "/Lines.txt", "");
  EXPECT_EQ(App->NewSaveDirFor(D), base + "/");  // an empty "Lines.txt" is no save
  WriteFile(base + "/Lines.txt", "x");
  fs::create_directories(base + "A");
  WriteFile(base + "A/Lines.txt", "x");
  EXPECT_EQ(App->NewSaveDirFor(D), base + "B/");
  // A save whose only non-empty file is the table "Lines_" is not overwritten either.
  fs::create_directories(base + "B");
  WriteFile(base + "B/Lines_.txt", "x");
  EXPECT_EQ(App->NewSaveDirFor(D), base + "C/");
  // After Z the suffixes go on and still sort after the ones before.
  for (char c = 'C'; c <= 'Z'; ++c) {
    fs::create_directories(base + c);
    WriteFile(base + c + "/T.txt", "x");
  }
  EXPECT_EQ(App->NewSaveDirFor(D), base + "ZA/");
  EXPECT_LT(D + "Z", D + "ZA");
  // Today's name.
  const std::string today = App->NewSaveDir();
  EXPECT_EQ(today.size(), App->sSaveDir.size() + D.size() + 1);
}

TEST_F(AppTest, GetSaveDirLastTakesTheLastFolderWithLineData) {
  App->sSaveDir = root + "autosave/";
  EXPECT_EQ(App->GetSaveDirLast(), "");  // no autosave folder at all
  const std::string s = App->sSaveDir;
  fs::create_directories(s + "2024_01_01");
  fs::create_directories(s + "2024_01_02");
  fs::create_directories(s + "2024_01_03");
  WriteFile(s + "2024_01_02/Lines_.txt", "");
  WriteFile(s + "2024_01_03/Lines.txt", "x");
  EXPECT_EQ(App->GetSaveDirLast(), "");
  WriteFile(s + "2024_01_01/Lines_.txt", "x");
  fs::create_directories(s + "2024_01_01A");
  WriteFile(s + "2024_01_01A/Lines_.txt", "x");
  WriteFile(s + "zz_not_a_folder.txt", "x");
  EXPECT_EQ(App->GetSaveDirLast(), s + "2024_01_01A");
  WriteFile(s + "2024_01_02/Lines_.txt", "x");
  EXPECT_EQ(App->GetSaveDirLast(), s + "2024_01_02");
}

TEST_F(AppTest, ExceptionReportHeadingsAndSenderDescriptions) {
  Sayer->HookOff();
  Sayer->BoxesOn();
  const std::string head = "Система Corvesta сообщает об ошибке"_cp;

  App->AppException(nullptr, std::string("boom"));
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, head + ":\r\n\r\nboom");

  TSenderInfo tab;
  tab.Kind = TSenderKind::TabSheet;
  tab.Caption = "FITS";
  EXPECT_EQ(AppExceptionText(&tab, "m"),
            head + "\r\n" + "полученный от закладки c заголовком <FITS>"_cp + "\r\n\r\nm");

  TSenderInfo other;
  other.Kind = TSenderKind::Other;
  other.ClassName = "TEdit";
  EXPECT_EQ(AppExceptionText(&other, "m"),
            head + "\r\n" + "полученной от элемента имеющего тип <TEdit>"_cp + "\r\n\r\nm");

  TSenderInfo button;
  button.Kind = TSenderKind::Button;
  button.Caption = "Ld";
  button.ClassName = "TButton";
  button.Left = 1;
  button.Top = 2;
  button.Right = 30;
  button.Bottom = 40;
  button.Handle = 0xBEEF;
  button.ProcessId = getpid();
  const std::string proc = ProcessNameByID(getpid());
  EXPECT_FALSE(proc.empty());
  const std::string sep = "\n\r";
  EXPECT_EQ(SenderDescription(&button),
            "полученной от кнопки "_cp + sep + "Заголовок Ld"_cp + sep + "Класс TButton"_cp + sep +
                "Позиция (1:2)-(30:40)"_cp + sep + "Хэндл 0000BEEF"_cp + sep + "Процесс "_cp +
                proc + sep);
  button.Kind = TSenderKind::PopupList;
  EXPECT_EQ(SenderDescription(&button).rfind("полученной от PopupList c именем "_cp + sep, 0), 0u);
  TSenderInfo none;
  EXPECT_EQ(AppExceptionText(&none, "m"), head + ":\r\n\r\nm");
}

TEST_F(AppTest, ExceptionReportClosesOpenReadersAndTheGuardSurvives) {
  WriteFile(dir.file("a.txt"), "1 2\n");
  TCleverInput reader;
  reader.Open(dir.file("a.txt"), "T");
  ASSERT_EQ(CLINList->Count(), 1);
  Sayer->HookOff();
  Sayer->BoxesOn();
  bool after = false;
  App->Guard(nullptr, [] { ErrAbs("Нет данных"_cp); });
  after = true;
  EXPECT_TRUE(after);
  EXPECT_FALSE(reader.qOpen);
  EXPECT_EQ(CLINList->Count(), 0);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text,
            "Система Corvesta сообщает об ошибке:\r\n\r\nErrAbs: Нет данных\r\n"_cp);
  App->Guard(nullptr, [] { App->Fatal("F"); });
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[1].text, "Система Corvesta сообщает об ошибке:\r\n\r\nF\r\n"_cp);
}

TEST_F(AppTest, ReaderErrorsGoToTheEditorHook) {
  CILErrToEditor("e", "f.txt", 3, 4);
  EXPECT_TRUE(SaidSomething(applinks::NotAvailableText("TcvEd.EnterFile")));
  std::vector<std::string> got;
  applinks::EnterFileHook() = [&](const std::string& t, const std::string& f, int32_t l,
                                  int32_t p) {
    got.push_back(t + "|" + f + "|" + IntStr(l) + "|" + IntStr(p));
  };
  CILErrToEditor("e", "f.txt", 3, 4);
  EXPECT_EQ(got, std::vector<std::string>{"e|f.txt|3|4"});
}

TEST_F(AppTest, KeyboardLayoutSwitches) {
  TcvKeyb k;
  k.SetRus();
  EXPECT_EQ(k.Layout, 'R');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04190419u);
  EXPECT_EQ(KbLayoutChar(), 'R');
  k.SetEng();
  EXPECT_EQ(k.Layout, 'E');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04090409u);
}

TEST_F(AppTest, BundledRootStartsTheDemoProject) {
  const std::string src = SourceRoot();
  if (src.empty()) GTEST_SKIP() << "source root not known";
  // The program runs as <root>/bin/corvesta; nothing is written by Init.
  const std::string data = src + "/data/";
  App->InitFromExe(data + "bin/corvesta");
  EXPECT_EQ(App->sRoot, data);
  EXPECT_EQ(App->sProject, "Demo");
  EXPECT_EQ(App->sProjDir, data + "Projects/Demo/");
  EXPECT_EQ(App->TunCommon->Get("SayerQF"), "1");
  EXPECT_FALSE(App->TunCommon->Get("SayerFName").empty());
  EXPECT_FALSE(App->TunPict->Get("clBk").empty());
  EXPECT_FALSE(SaidSomething("cvtunes.ini"));
}
