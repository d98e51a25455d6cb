#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"
#include "platform/MsgBox.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

// The text of the fatal error raised by F; "" when none is raised.
std::string FatalText(const std::function<void()>& F) {
  try {
    F();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "";
}
std::string ErrAbsText(const std::string& Text) { return "ErrAbs: " + Text + "\r\n"; }

using testsupport::SourceRoot;

bool Contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

class DirsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    ResetAppForTests();
    applinks::ResetAll();
    Sayer->SetHook([this](const std::string& t, const std::string&) { said.push_back(t); });
    Sayer->WarnOn();
    root = dir.str() + "/";
    App->sRoot = root;
    App->sProjDir = root + "proj/";
    delete cvDirs;
    cvDirs = nullptr;
  }
  void TearDown() override {
    delete cvDirs;
    cvDirs = nullptr;
    CLINList->CloseAll();
    applinks::ResetAll();
    ResetAppForTests();
    ResetSayerForTests();
  }
  void LoadTable(const std::string& text) {
    fs::create_directories(dir.path() / "SYS");
    WriteFile(dir.file("SYS/dirs.txt"), text);
    cvDirsLoad();
  }

  platform::ScriptedMsgBoxes boxes;
  testsupport::TempDir dir;
  std::string root;
  std::vector<std::string> said;
};

const char* kTable =
    "! test table\n"
    "GEDA  ROUT  APP  GEDA  S ROUT txt\n"
    "GEDA  ROUT  APP  OTHER S X    txt\n"
    "ONE   CTRL  PROJ ONE   E\n"
    "\n"
    "LOGS  LOG   PROJ LOG   D *    log\n"
    "BAD   BASE  XYZ  A     S a    b\n"
    "BAD   KIND  APP  A     Q a    b\n"
    "NOEXT ONE   APP  A     S a\n"
    "DEEP  DIR   APP  A\\B   E\n"
    "TPL   APP   APP  T     S t    txt\n"
    "TPL   PROJ  PROJ T     S t    txt\n"
    "TPL   KIND  PROJ T     E      ! a comment\n"
    "LAST  ROW   APP  L     S l    txt";

}  // namespace

TEST_F(DirsTest, LooksUpRowsOfTheTable) {
  LoadTable(kTable);
  ASSERT_EQ(cvDirs->Count(), 11);  // the last line is no row
  EXPECT_EQ(cvDirs->FileName, root + "SYS/dirs.txt");
  EXPECT_EQ(cvDirList("GEDA", "ROUT"), root + "GEDA/ROUT.txt");  // the first row wins
  EXPECT_EQ(cvDirList("ONE", "CTRL"), root + "proj/ONE/");
  EXPECT_EQ(cvDirList("NOEXT", "ONE"), root + "A/a");
  EXPECT_EQ(cvDirList("DEEP", "DIR"), root + "A/B/");
  EXPECT_EQ(cvDirListFile("LOGS", "LOG", "  run  "), root + "proj/LOG/run.log");
  EXPECT_EQ(cvDirListFile("LOGS", "LOG", "\trun\r"), root + "proj/LOG/run.log");
  EXPECT_EQ(cvDirListFile("ONE", "CTRL", "ignored"), root + "proj/ONE/");
  EXPECT_EQ((*cvDirs)[2].FKind, 'E');
  EXPECT_EQ((*cvDirs)[5].FKind, 'Q');
  EXPECT_EQ((*cvDirs)[10].FKind, 'E');
  EXPECT_EQ((*cvDirs)[10].Nam, "");
  // A project change moves every PROJ row with it.
  App->sProjDir = root + "other/";
  EXPECT_EQ(cvDirList("ONE", "CTRL"), root + "other/ONE/");
}

TEST_F(DirsTest, LookUpErrorsAreFatalWithTheirTexts) {
  LoadTable(kTable);
  const std::string P = root + "SYS/dirs.txt";
  struct Case {
    std::function<void()> call;
    std::string text;
  } cases[] = {
      {[] { cvDirList("geda", "ROUT"); },
       "В файле "_cp + P + " не найдено сочетание МОДУЛЬ = geda, ФУНКЦИЯ =ROUT"_cp},
      {[] { cvDirList("LAST", "ROW"); },
       "В файле "_cp + P + " не найдено сочетание МОДУЛЬ = LAST, ФУНКЦИЯ =ROW"_cp},
      {[] { cvDirListFile("NO", "PE", " f "); },
       "В файле "_cp + P + " не найдено сочетание МОДУЛЬ = NO, ФУНКЦИЯ =PE ИМЯ_ФАЙЛА = <f>"_cp},
      {[] { cvDirList("LOGS", "LOG"); },
       "В вызове процедуры TcvDirList  для сочетания МОДУЛЬ = LOGS, ФУНКЦИЯ =LOG пропущен параметр с именем файла!"_cp},
      {[] { cvDirListFile("GEDA", "ROUT", "x"); },
       "В вызове процедуры TcvDirList  для сочетания МОДУЛЬ = GEDA, ФУНКЦИЯ =ROUT вставлен лишний параметр с именем файла =x"_cp},
      {[] { cvDirList("BAD", "BASE"); },
       "В файле "_cp + P + " в колонке BASE может быть только PROJ или APP, а найдено XYZ"_cp},
      {[] { cvDirListFile("BAD", "BASE", "f"); },
       "В файле "_cp + P + " в колонке BASE может быть только PROJ или APP, а найдено XYZ"_cp},
      {[] { cvDirList("BAD", "KIND"); },
       "В файле "_cp + P + " в колонке FKIND может быть только \"S\" или \"D\" или \"E\", а найдено Q"_cp},
      {[] { cvDirListFile("BAD", "KIND", "f"); },
       "В файле "_cp + P + " в колонке FKIND может быть только \"S\" или \"D\" или \"E\", а найдено Q"_cp},
  };
  for (const auto& c : cases) EXPECT_EQ(FatalText(c.call), ErrAbsText(c.text));
}

TEST_F(DirsTest, MissingOrEmptyTableGivesTheSameTextsInBothRoutines) {
  EXPECT_EQ(FatalText([] { cvDirList("A", "B"); }),
            ErrAbsText("cvDirList(A,B) ERR: DirList Not Assigned!"));
  EXPECT_EQ(FatalText([] { cvDirListFile("A", "B", "f"); }),
            ErrAbsText("cvDirList(A,B) ERR: DirList Not Assigned!"));
  LoadTable("! only comments\n! no rows\n");
  ASSERT_NE(cvDirs, nullptr);
  EXPECT_EQ(FatalText([] { cvDirList("A", "B"); }),
            ErrAbsText("cvDirList(A,B) ERR: DirList Not Filled!"));
  EXPECT_EQ(FatalText([] { cvDirListFile("A", "B", "f"); }),
            ErrAbsText("cvDirList(A,B) ERR: DirList Not Filled!"));
}

TEST_F(DirsTest, MissingTableFileIsFatalAndReaderErrorsReachTheEditor) {
  EXPECT_TRUE(Contains(FatalText([] { cvDirsLoad(); }), "dirs.txt"));
  EXPECT_EQ(cvDirs, nullptr);
}

TEST_F(DirsTest, InstallationFilesAreFoundWithoutRegardToCase) {
  fs::create_directories(dir.path() / "sys");
  WriteFile(dir.file("sys/DIRS.TXT"), "GEDA ROUT APP GEDA S ROUT txt\nGEDA GEDA APP GEDA E\n!\n");
  cvDirsLoad();
  EXPECT_EQ(cvDirs->FileName, root + "sys/DIRS.TXT");
  EXPECT_EQ(cvDirList("GEDA", "ROUT"), root + "GEDA/ROUT.txt");  // nothing there yet: as written
  fs::create_directories(dir.path() / "geda");
  WriteFile(dir.file("geda/rout.TXT"), "x");
  EXPECT_EQ(cvDirList("GEDA", "ROUT"), root + "geda/rout.TXT");
  EXPECT_EQ(cvDirList("GEDA", "GEDA"), root + "geda/");
  EXPECT_EQ(FindNoCase(root, "GEDA\\NEW\\x.txt"), root + "geda/NEW/x.txt");
  EXPECT_EQ(FindNoCase(root, "Geda/"), root + "geda/");
}

TEST_F(DirsTest, CheckByTPLCopiesTheTemplateIntoTheProject) {
  LoadTable(kTable);
  cvDirs->CheckByTPL("TPL", "APP");  // APP rows need nothing, even without a file
  const std::string target = root + "proj/T/t.txt";
  EXPECT_EQ(FatalText([] { cvDirs->CheckByTPL("TPL", "PROJ"); }),
            ErrAbsText("При вызове процедуры TcvDirList.CheckByTPL  для сочетания МОДУЛЬ = TPL, ФУНКЦИЯ =PROJ не найден файл - шаблон <"_cp +
                       root + "T/t.txt>"));
  fs::create_directories(dir.path() / "T");
  WriteFile(dir.file("T/t.txt"), "template\n");
  cvDirs->CheckByTPL("TPL", "PROJ");
  EXPECT_EQ(ReadFile(target), "template\n");
  WriteFile(target, "mine\n");
  cvDirs->CheckByTPL("TPL", "PROJ");
  EXPECT_EQ(ReadFile(target), "mine\n");  // an existing project file is kept

  EXPECT_EQ(FatalText([] { cvDirs->CheckByTPL("TPL", "KIND"); }),
            ErrAbsText("В вызове процедуры TcvDirList.CheckByTPL  для сочетания МОДУЛЬ = TPL, ФУНКЦИЯ =KIND не допустимы значения FKIND отличные от \"S\"!"_cp));
  EXPECT_EQ(FatalText([] { cvDirs->CheckByTPL("NO", "PE"); }),
            ErrAbsText("При вызове процедуры TcvDirList.CheckByTPL в файле "_cp + root +
                       "SYS/dirs.txt не найдено сочетание МОДУЛЬ = NO, ФУНКЦИЯ =PE"_cp));
  EXPECT_TRUE(Contains(FatalText([] { cvDirs->CheckByTPL("BAD", "BASE"); }), "BASE"));
}

TEST_F(DirsTest, ReportAlignsTheColumns) {
  LoadTable(kTable);
  auto rep = cvDirs->Report();
  ASSERT_EQ(rep->Count(), 12);
  EXPECT_EQ((*rep)[0], "Отчет о списке рабочих директорий"_cp);
  EXPECT_EQ((*rep)[1].substr(0, 25), "MOD=GEDA  Func=ROUT Base=");
  const size_t kind = (*rep)[1].find("Kind=");
  for (int i = 1; i < rep->Count(); ++i) {
    EXPECT_EQ((*rep)[i].find("Kind="), kind) << (*rep)[i];
    EXPECT_EQ((*rep)[i].find("Ext="), (*rep)[1].find("Ext=")) << (*rep)[i];
  }
  EXPECT_TRUE(Contains((*rep)[3], "Base=PROJ s/di=ONE   Kind=E NAM="));
}

// The bundled table resolves every pair the program asks for; the source tree is only read.
TEST_F(DirsTest, BundledTableResolvesEveryPairTheProgramAsksFor) {
  const std::string src = SourceRoot();
  if (src.empty()) GTEST_SKIP() << "source root not known";
  const std::string data = src + "/data/";
  App->sRoot = data;
  App->sProjDir = root + "proj/";
  cvDirsLoad();
  const std::vector<std::pair<std::string, std::string>> L = {
      {"CONT", "OTL"},    {"CONT", "RESTART"}, {"GEDA", "ABUND"},  {"GEDA", "ALLEN"},
      {"GEDA", "ALLER"},  {"GEDA", "FZWAAN"},  {"GEDA", "CONVERT"}, {"GEDA", "GEDA"},
      {"GEDA", "IRWIN"},  {"GEDA", "REPORT"},  {"GEDA", "ROUT"},   {"GEDA", "SCALES"},
      {"GEDA", "TBMEND"}, {"GEDA", "VEMO"},    {"GRAD", "CTRL"},   {"MOD", "OTL"},
      {"MOD", "RES"},     {"PMOD1", "OTL"},    {"PMOD3", "OTL"},   {"PMOD3", "OUT"},
      {"PMOD3", "RES"},   {"RACH", "OTL"},     {"RING", "RES"},    {"ZEE", "CTRL"},
      {"ZEE", "RES"},     {"ONE", "CTRL"},     {"MODS", "MEL"},  {"VOIGT", "TAB"}};
  const std::vector<std::pair<std::string, std::string>> LF = {
      {"ACDC", "ACDAT"}, {"ACDC", "DCTXT"}, {"CONT", "LOG"}, {"CORA", "GIF"},
      {"MOD", "LOG"},    {"MOD", "LPE"},    {"MOD", "LPG"},  {"MOD", "TTT"},
      {"PMOD1", "LOG"},  {"PMOD3", "LOG"},  {"RACH", "PIC"}};
  std::set<std::pair<std::string, std::string>> seen;
  for (const auto& [m, f] : L) {
    const TcvDirRec* r = cvDirs->Find(m, f);
    ASSERT_NE(r, nullptr) << m << " " << f;
    EXPECT_TRUE(r->FKind == 'S' || r->FKind == 'E') << m << " " << f;
    const std::string p = cvDirList(m, f);
    EXPECT_EQ(p.rfind(r->Base == "APP" ? data : App->sProjDir, 0), 0u) << p;
    seen.insert({m, f});
  }
  for (const auto& [m, f] : LF) {
    const TcvDirRec* r = cvDirs->Find(m, f);
    ASSERT_NE(r, nullptr) << m << " " << f;
    EXPECT_EQ(r->FKind, 'D') << m << " " << f;
    const std::string p = cvDirListFile(m, f, "name");
    EXPECT_TRUE(Contains(p, "/name." + r->Ext)) << p;
    EXPECT_EQ(p.rfind(r->Base == "APP" ? data : App->sProjDir, 0), 0u) << p;
    seen.insert({m, f});
  }
  EXPECT_EQ(cvDirList("GEDA", "ROUT").substr(data.size()), "GEDA/ROUT.txt");
  // The option files that are made from templates have their templates in the root.
  for (const std::string m : {"MOD", "PMOD1", "PMOD3", "CONT", "RACH"}) {
    const TcvDirRec* r = cvDirs->Find(m, "OTL");
    EXPECT_EQ(r->Base, "PROJ");
    const std::string tpl = FindNoCase(data, r->SubDir + "/" + r->Nam + "." + r->Ext);
    EXPECT_TRUE(platform::IsRegularFile(tpl)) << tpl;
  }
  // Every row of the table is one of the pairs above, once.
  EXPECT_EQ(cvDirs->Count(), static_cast<int>(seen.size()));
}

TEST_F(DirsTest, StandardModelFormats) {
  fs::create_directories(dir.path() / "GEDA");
  WriteFile(dir.file("GEDA/ROUT.txt"),
            "Output grids\n"
            "СТАНДАРТНЫЙ ФОРМАТ МОДЕЛЕЙ\n1\n 50\n -5.0\n 0.1 ! step\n"
            "! second block\n"
            "СТАНДАРТНЫЙ ФОРМАТ МОДЕЛЕЙ  \n2\n72\n-7.5\n1.5-1\nend\n");
  LoadTable("GEDA ROUT APP GEDA S ROUT txt\n!\n");
  int32_t n = 0;
  double x0 = 0, dx = 0;
  ASSERT_TRUE(GetStdModFormat(2, n, x0, dx));
  EXPECT_EQ(n, 72);
  EXPECT_DOUBLE_EQ(x0, -7.5);
  EXPECT_DOUBLE_EQ(dx, 0.15);
  ASSERT_TRUE(GetStdModFormat(1, n, x0, dx));
  EXPECT_EQ(n, 50);
  EXPECT_DOUBLE_EQ(dx, 0.1);
  EXPECT_FALSE(GetStdModFormat(3, n, x0, dx));
  EXPECT_EQ(n, 0);
}

TEST_F(DirsTest, IonStages) {
  EXPECT_EQ(IonStageStr(1), " I");
  EXPECT_EQ(IonStageStr(2), " II");
  EXPECT_EQ(IonStageStr(3), " III");
  EXPECT_EQ(IonStageStr(5), " 5");
}

TEST_F(DirsTest, UnitStartCreatesTheListsInOrderThroughTheirLinks) {
  std::vector<std::string> log;
  applinks::LVARILink() = {[&] { log.push_back("LVARI"); }, [&] { log.push_back("-LVARI"); }};
  applinks::LLIDALink() = {[&] { log.push_back("LLIDA"); }, [&] { log.push_back("-LLIDA"); }};
  applinks::VARIWHMLink() = {[&] { log.push_back("VARIWHM"); }, nullptr};
  LamDecimals = 0;
  cvDirsUnitStart();
  EXPECT_EQ(LamDecimals, 7);
  EXPECT_EQ(log, (std::vector<std::string>{"LVARI", "LLIDA", "VARIWHM"}));
  OTLTitleMOD = "MOD";
  cvDirsUnitEnd();
  EXPECT_EQ(log.back(), "-LVARI");
  EXPECT_EQ(log[3], "-LLIDA");
  EXPECT_TRUE(OTLTitleMOD.empty());
  // Lists that no subsystem provides yet say so when they are needed.
  EXPECT_EQ(applinks::Need(LUNNO, "LUNNO"), nullptr);
  EXPECT_EQ(said.back(), "WARN:" + applinks::NotAvailableText("LUNNO"));
}

TEST_F(DirsTest, MemoTestAddGoesThroughItsHook) {
  MemoTestAdd("line");
  EXPECT_EQ(said.back(), "WARN:" + applinks::NotAvailableText("MemoTestAdd"));
  std::vector<std::string> memo;
  applinks::MemoTestAddHook() = [&](const std::string& t) { memo.push_back(t); };
  MemoTestAdd("line");
  EXPECT_EQ(memo, std::vector<std::string>{"line"});
}

// ---------------------------------------------------------------- TCleverInput

TEST_F(DirsTest, CleverInputReadsLinesAndWords) {
  WriteFile(dir.file("in.txt"),
            "12 3.5 ! comment\n"
            "! only a comment\n"
            "   \n"
            "\t \t\n"
            " | | \n"
            "  7   -2.5E1\n"
            "last");
  TCleverInput r;
  r.Open(dir.file("in.txt"), "T");
  ASSERT_TRUE(r.qOpen);
  r.RdEachLine();
  EXPECT_EQ(r.Line, "12 3.5");
  EXPECT_EQ(r.RdWord(), "12");
  EXPECT_EQ(r.WordStart, 1);
  EXPECT_DOUBLE_EQ(r.RdReal(), 3.5);
  EXPECT_EQ(r.RdWord(), "");
  EXPECT_EQ(r.WordNo, 3);
  r.RdLine();  // passes the comment, blank, tab and separator lines
  EXPECT_EQ(r.LineNo, 6);
  EXPECT_EQ(r.RdInt(), 7);
  EXPECT_DOUBLE_EQ(r.RdReal(), -25.0);
  EXPECT_FALSE(r.qEof);
  r.RdLine();
  EXPECT_EQ(r.Line, "last");
  EXPECT_TRUE(r.qEof);
  r.RdLine();
  EXPECT_EQ(r.Line, "");
  r.Close();
  r.RdAnyLine();  // closed: an empty line and a trace
  EXPECT_EQ(r.Line, "");
  EXPECT_TRUE(Contains(said.back(), "CLIN.T-RdAnyLine-F- file <"));
  EXPECT_EQ(r.RdWord(), "");
  EXPECT_EQ(r.RdInt(), 0);
  // Reusable.
  r.Open(dir.file("in.txt"), "T2");
  r.RdLine();
  EXPECT_EQ(r.RdInt(), 12);
}

TEST_F(DirsTest, CleverInputNumberErrorsMarkTheWordAndOpenTheEditor) {
  WriteFile(dir.file("bad.txt"), "first\n  7 1x2 9\n 4.5q\n");
  std::vector<std::string> editor;
  applinks::EnterFileHook() = [&](const std::string& t, const std::string& f, int32_t l,
                                  int32_t p) {
    editor.push_back(t + "|" + f + "|" + IntStr(l) + "|" + IntStr(p));
  };
  PushCursor(platform::crHourGlass);
  TCleverInput r;
  r.Open(dir.file("bad.txt"), "Model");
  r.RdLine();
  r.RdLine();
  EXPECT_EQ(r.RdInt(), 7);
  const std::string M = "CLIN.<Model>-F-Ошибка при вводе целого [1x2] pos=2"_cp;
  EXPECT_EQ(FatalText([&] { r.RdInt(); }), ErrAbsText(M));
  EXPECT_EQ(editor, std::vector<std::string>{M + "|" + dir.file("bad.txt") + "|2|5"});
  EXPECT_FALSE(r.qOpen);
  EXPECT_EQ(CLINList->Count(), 0);
  EXPECT_EQ(CursorStackDepth(), 0);

  editor.clear();
  r.Open(dir.file("bad.txt"), "Model");
  r.RdLine();
  r.RdLine();
  r.RdLine();
  EXPECT_EQ(FatalText([&] { r.RdReal(); }),
            ErrAbsText("CLIN.<Model>-F-Ошибка при вводе действительного числа <4.5q> IErr=4 IWord=1"_cp));
  EXPECT_EQ(editor.size(), 1u);
  EXPECT_TRUE(Contains(editor[0], "|3|2"));
}

TEST_F(DirsTest, CleverInputMissingFileIsFatal) {
  TCleverInput r;
  const std::string f = dir.file("none.txt");
  const std::string text = "CLIN.X(" + f + ") Файла "_cp + f + " нет!"_cp;
  EXPECT_EQ(FatalText([&] { r.Open(f, "X"); }), ErrAbsText(text));
  EXPECT_EQ(said.back(), text);  // warned first
  EXPECT_FALSE(r.qOpen);
  EXPECT_EQ(CLINList->Count(), 0);
}

TEST_F(DirsTest, OpenReaderListFollowsOpenAndClose) {
  WriteFile(dir.file("a.txt"), "a\n");
  TCleverInput a, b;
  a.Open(dir.file("a.txt"), "A");
  b.Open(dir.file("a.txt"), "B");
  ASSERT_EQ(CLINList->Count(), 2);
  a.Close();  // not the last entry: stays listed, closed
  EXPECT_FALSE(a.qOpen);
  EXPECT_EQ(CLINList->Count(), 2);
  b.Close();
  EXPECT_EQ(CLINList->Count(), 1);
  EXPECT_EQ((*CLINList)[0], &a);
  a.Close();  // closed twice: nothing more
  EXPECT_EQ(CLINList->Count(), 1);
  CLINList->CloseAll();
  EXPECT_EQ(CLINList->Count(), 0);
  {
    // A reader that goes away while listed leaves the list.
    TCleverInput c;
    c.Open(dir.file("a.txt"), "C");
    EXPECT_EQ(CLINList->Count(), 1);
  }
  EXPECT_EQ(CLINList->Count(), 0);
  b.Open(dir.file("a.txt"), "B");
  a.Open(dir.file("a.txt"), "A");
  CLINList->CloseAll();
  EXPECT_FALSE(a.qOpen || b.qOpen);
}
