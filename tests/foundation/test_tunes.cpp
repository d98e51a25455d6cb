// Settings sets: loading rules, typed access and the safe rewrite of one section.
#include "support/SinkRecorder.h"
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvTunes.h"
#include "platform/FileErr.h"
#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct Said : testsupport::SinkRecorder {
  Said() : SinkRecorder(kWarnOn) {}
};

// Names of the temporary files left in a folder.
int TempFilesIn(const TempDir& d) {
  auto l = ListFiles(d.file("cvtmp*"));
  return l->Count();
}

const char* kLoadFixture =
    "; top comment\n"
    "[Other]\n"
    "a=other\n"
    "[Main] ; the set\n"
    " v = 12 ;comment\n"
    "a= 12 \n"
    " a=blank key\n"
    "=ignored\n"
    "k=\n"
    "no equal sign\n"
    "x[1=no closing bracket\n"
    "bad=12x\n"
    "f1=Y\nf2=y\nf3=1\nf4=yes\nf5=11\nf6=0\nf7=N\n"
    "dup=1\n"
    "dup=2\n"
    "[Next]\n"
    "b=next\n";

}  // namespace

TEST(Tunes, LoadRules) {
  TempDir d;
  WriteFile(d.file("s.ini"), kLoadFixture);
  TTunes T("Main", d.file("s.ini"));
  EXPECT_EQ(T.InFile, d.file("s.ini"));
  EXPECT_EQ(T.Get(" v "), "12");
  EXPECT_EQ(T.Get("v"), "");
  EXPECT_EQ(T.Get("a"), "12");
  EXPECT_EQ(T.Get(" a"), "blank key");
  EXPECT_EQ(T.Get(""), "");
  EXPECT_EQ(T.Get("k"), "");
  EXPECT_EQ(T.GetDef("k", "def"), "def");
  EXPECT_EQ(T.GetDef("a", "def"), "12");
  EXPECT_EQ(T.Get("x[1"), "");
  EXPECT_EQ(T.Get("b"), "");  // the next section is not read
  EXPECT_EQ(T.Get("dup"), "2");

  const std::vector<std::string> keys = {" v ", "a", " a", "k", "bad", "f1", "f2", "f3",
                                         "f4",  "f5", "f6", "f7", "dup"};
  ASSERT_EQ(T.Count(), static_cast<int>(keys.size()));
  for (int i = 0; i < T.Count(); ++i) EXPECT_EQ((*T.Names)[i], keys[static_cast<size_t>(i)]);

  for (const char* k : {"f1", "f2", "f3"}) EXPECT_TRUE(T.Flag(k)) << k;
  for (const char* k : {"f4", "f5", "f6", "f7", "absent", "k"}) EXPECT_FALSE(T.Flag(k)) << k;

  int32_t code = 0;
  EXPECT_EQ(T.GetInt("a"), 12);
  EXPECT_EQ(T.GetIntDef("k", 5), 5);
  EXPECT_EQ(T.GetIntDef("a", 5), 12);
  EXPECT_EQ(T.GetIntCode("absent", code), 8421504);
  EXPECT_EQ(code, -1);
  EXPECT_EQ(T.GetIntCode("a", code), 12);
  EXPECT_EQ(code, 0);
  T.GetIntCode("bad", code);
  EXPECT_EQ(code, 3);

  // Loading again merges: nothing is duplicated, values set in between are overwritten.
  T.Set("a", "changed");
  T.Set("mine", "kept");
  T.Reload(d.file("s.ini"));
  EXPECT_EQ(T.Count(), static_cast<int>(keys.size()) + 1);
  EXPECT_EQ(T.Get("a"), "12");
  EXPECT_EQ(T.Get("mine"), "kept");
}

TEST(Tunes, SettersFlagsAndSubNames) {
  Said said;
  TempDir d;
  TTunes T("S", d.file("none.ini"));
  EXPECT_EQ(T.Count(), 0);
  EXPECT_EQ(T.OutFile, d.file("none.ini"));
  T.SetInt("n", -42);
  T.SetFlag("on", true);
  T.SetBool("off", false);
  EXPECT_EQ(T.Get("n"), "-42");
  EXPECT_EQ(T.Get("on"), "1");
  EXPECT_EQ(T.Count(), 2);
  T.SetFlag("on", false);
  EXPECT_EQ(T.Count(), 1);
  T.Clear("absent");

  T.Set("Col |a b| x", "1");
  T.Set("Col y", "2");
  T.Set("Col  y", "3");  // a different key with the same words
  T.Set("Row z", "4");
  T.Set("Col |a b| w", "5");
  EXPECT_EQ(T.SubNames("Col")->Lines(), (std::vector<std::string>{"|a b|", "y"}));
  EXPECT_EQ(T.SubNames2("Col |a b|")->Lines(), (std::vector<std::string>{"x", "w"}));
  EXPECT_EQ(T.SubNames("None")->Count(), 0);

  T.TestPrint();
  EXPECT_TRUE(said.Has("Набор настроек [S] - тестовый вывод\n\rn=-42\n\rCol |a b| x=1"_cp));

  try {
    TunesFlag(nullptr, "Key");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()),
              "ErrAbs: Вызов Tunes параметр=<Key> когда еще не было Create!\r\n"_cp);
  }
  EXPECT_EQ(TunesFlag(&T, "n"), false);

  T.FreeLists();
  EXPECT_EQ(T.Count(), 0);
  EXPECT_EQ(T.Get("n"), "");
  T.Set("k", "v");
  EXPECT_TRUE(said.Has("Tunes SLN Not Assigned N=k Value=v"));
  T.Clear("k");
  EXPECT_TRUE(said.Has("Tunes.Clear SLN Not Assigned N=k"));
  T.Save();
  EXPECT_TRUE(said.Has("Для списка сохраняемых параметров [] не задан выходной файл!"_cp));
  T.Load();
  EXPECT_TRUE(said.Has("Для списка загружаемых параметров [] не задан входной файл!"_cp));
}

TEST(Tunes, SaveReplacesOnlyItsOwnSection) {
  TempDir d;
  const std::string f = d.file("cvtunes.ini");
  // CR LF line ends, Russian text and comments in the other sections stay byte for byte.
  const std::string before = "; Настройки\r\n[A]\r\nx=1 ; note\r\n\r\n";
  const std::string after = "[B]\r\ny=Привет\r\n; end";
  WriteFile(f, before + "[Pict] ; pictures\r\nold=1\r\nw=2\r\n\r\n" + after);
  ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
  {
    TTunes T("Pict", f);
    EXPECT_EQ(T.Get("w"), "2");
    T.Set("w", "Ширина"_cp);
    T.Clear("old");
    T.SetFlag("q", true);
    T.Save();
  }
  EXPECT_EQ(ReadFile(f), before + "[Pict]\r\nw=Ширина\r\nq=1\r\n\r\n" + after);
  struct stat st;
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(TempFilesIn(d), 0);

  // A section the file lacks is appended after the last line (which had no line end).
  const std::string now = ReadFile(f);
  {
    TTunes N("New", f);
    N.Set("k", "v");
    N.Save();
  }
  EXPECT_EQ(ReadFile(f), now + "\r\n[New]\r\nk=v\r\n\r\n");

  // Two sets on one file, saved one after the other: both sections survive.
  TTunes P("Pict", f), A("A", f);
  P.Set("w", "3");
  A.Set("x", "9");
  P.Save();
  A.Save();
  TTunes P2("Pict", f), A2("A", f), B2("B", f);
  EXPECT_EQ(P2.Get("w"), "3");
  EXPECT_EQ(A2.Get("x"), "9");
  EXPECT_EQ(B2.Get("y"), "Привет"_cp);
}

TEST(Tunes, SaveEdgeSections) {
  TempDir d;
  const std::string f = d.file("s.ini");
  // The last section is replaced up to the end of the file.
  WriteFile(f, "[A]\nx=1\n\n[Main]\nq=1\nr=2\n");
  {
    TTunes T("Main", f);
    T.Set("q", "9");
    T.Clear("r");
    T.Save();
  }
  EXPECT_EQ(ReadFile(f), "[A]\nx=1\n\n[Main]\nq=9\n\n");

  // A commented-out header inside the section does not end it, neither when loading nor when
  // saving: the section's old lines after it are not kept behind the new section.
  WriteFile(f, "[Main]\na=1\n; [old]\nb=2\n[B]\nc=3\n");
  {
    TTunes T("Main", f);
    EXPECT_EQ(T.Get("b"), "2");
    T.Set("b", "new");
    T.Save();
  }
  EXPECT_EQ(ReadFile(f), "[Main]\na=1\nb=new\n\n[B]\nc=3\n");
  TTunes again("Main", f);
  EXPECT_EQ(again.Get("b"), "new");

  // A new file is made when missing, in UTF-8; a 1251 file stays 1251.
  const std::string g = d.file("sub.ini");
  {
    TTunes T("S", g);
    T.Set("key", "значение"_cp);
    T.SaveToFile(g);
  }
  EXPECT_EQ(ReadFile(g), "[S]\nkey=значение\n\n");
  WriteFile(g, "[R]\nk=\xE4\xE0\n[S]\nkey=1\n");
  {
    TTunes T("S", g);
    T.Save();
  }
  EXPECT_EQ(ReadFile(g), "[R]\nk=\xE4\xE0\n[S]\nkey=1\n\n");
  EXPECT_EQ(TempFilesIn(d), 0);
}

// The saved section takes the file's code page and line ends; every other byte stays.
TEST(Tunes, SaveKeepsCodePageAndLineEnds) {
  TempDir d;
  const std::string f = d.file("s.ini");
  struct Case {
    const char* what;
    std::string before, after;  // the lines around the section, as stored
    std::string section;        // the saved section, as it must be stored
  };
  const std::string cp = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251
  const Case cases[] = {
      {"1251, CR LF", "; " + cp + "\r\n[A]\r\nx=" + cp + "\r\n", "[B]\r\ny=\xE4\xE0",
       "[Main]\r\nk=\xC4\xE0\r\n\r\n"},
      {"UTF-8, LF", "; Привет\n[A]\nx=Привет\n", "[B]\ny=да\n", "[Main]\nk=Да\n\n"},
      {"UTF-8 with a byte-order mark, CR LF", "\xEF\xBB\xBF[A]\r\nx=да\r\n", "",
       "[Main]\r\nk=Да\r\n\r\n"},
      {"ASCII, CR", "[A]\rx=1\r", "[B]\ry=2\r", "[Main]\rk=Да\r\r"},
      // A header named in a comment of another section is not the set's section.
      {"commented header", "[A]\r\n; see [Main]\r\nx=1\r\n", "", "[Main]\r\nk=Да\r\n\r\n"},
  };
  for (const Case& c : cases) {
    WriteFile(f, c.before + "[Main]\nold=1\n" + c.after);
    {
      TTunes T("Main", f);
      T.Clear("old");
      T.Set("k", "Да"_cp);
      T.Save();
    }
    EXPECT_EQ(ReadFile(f), c.before + c.section + c.after) << c.what;
    TTunes again("Main", f);
    EXPECT_EQ(again.Get("k"), "Да"_cp) << c.what;
    EXPECT_EQ(again.Get("old"), "") << c.what;
  }
  // The old section ends at the next header whatever its line end.
  WriteFile(f, "[Main]\r\nold=1\r\n[B]\r\ny=\xE4\xE0\r\n");
  TTunes T("Main", f);
  T.Save();
  EXPECT_EQ(ReadFile(f), "[Main]\r\nold=1\r\n\r\n[B]\r\ny=\xE4\xE0\r\n");
  EXPECT_EQ(TempFilesIn(d), 0);
}

TEST(Tunes, FailedWriteLeavesTheFileIntact) {
  TempDir d;
  const std::string f = d.file("s.ini");
  std::string old = "[A]\n";
  for (int i = 0; i < 40; ++i) old += "key" + std::to_string(i) + "=value\n";
  old += "[Main]\nk=1\n";
  WriteFile(f, old);
  TTunes T("Main", f);
  T.Set("k", "2");

  // Files of this process may not grow beyond 100 bytes: writing the temporary file fails
  // half-way (this holds for the superuser too).
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool raised = false;
  try {
    T.Save();
  } catch (const EInOutError&) {
    raised = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadFile(f), old);
  EXPECT_EQ(TempFilesIn(d), 0);

  // A temporary file that cannot be created: the folder is gone. Nothing is left behind.
  TTunes G("Main", d.file("gone/s.ini"));
  G.Set("k", "1");
  EXPECT_THROW(G.Save(), EInOutError);
  EXPECT_FALSE(platform::PathExists(d.file("gone")));

  T.Save();  // with the limit lifted the same save succeeds
  EXPECT_EQ(ReadFile(f), old.substr(0, old.size() - 4) + "k=2\n\n");
}
