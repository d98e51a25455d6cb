#include <gtest/gtest.h>

#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvCIL.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "support/TestSupport.h"

namespace {

const std::string CRLF = "\r\n";

// The text of the fatal error raised by f ("<no error>" when none is raised).
template <class F>
std::string Fatal(F&& f) {
  try {
    f();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "<no error>";
}

std::string ErrAbsText(const std::string& text) { return "ErrAbs: " + text + CRLF; }

struct Reported {
  std::string text, file;
  int32_t line = 0, pos = 0;
};

class CilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
    Sayer->WarnOn();
  }
  void TearDown() override { ResetSayerForTests(); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string f = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(f).parent_path());
    testsupport::WriteFile(f, bytes);
    return f;
  }
  // A reader over one line of text, made current.
  void OnLine(TCIL& r, const std::string& line) {
    TStringList sl{line};
    r.Unload();
    r.LoadSL("T", &sl);
    r.NextLine();
  }
  void Record(TCIL& r) {
    r.SetErrProc([this](const std::string& t, const std::string& f, int32_t l, int32_t p) {
      rep = {t, f, l, p};
    });
  }

  testsupport::TempDir dir;
  std::vector<std::string> warns;
  Reported rep;
};

// ---------------------------------------------------------------- words and numbers

TEST_F(CilTest, WordsSplitOnBlanksOnlyAndEndWithOneEmptyWord) {
  TCIL r;
  OnLine(r, "a b  ");
  EXPECT_EQ(r.GetWord(), "a");
  EXPECT_EQ(r.GetWord(), "b");
  EXPECT_EQ(r.GetWord(), "");
  EXPECT_EQ(r.WordCount, 3);

  OnLine(r, "1\t2 x");
  EXPECT_EQ(r.GetWord(), "1\t2");  // a tab belongs to the word
  EXPECT_TRUE(r.IsNextChar('x'));
  EXPECT_EQ(r.GetRest(), "x");
  EXPECT_EQ(r.Pos, 6);

  OnLine(r, "p q r");
  EXPECT_TRUE(r.HasWord("q"));
  EXPECT_FALSE(r.HasWord("s"));
  EXPECT_EQ(r.GetChar(), '\0');

  TCIL empty;  // not loaded: everything reads as empty, 0 or its default
  EXPECT_EQ(empty.GetWord(), "");
  EXPECT_EQ(empty.GetInt(), 0);
  EXPECT_EQ(empty.GetNum(3, 9), 3);
  EXPECT_EQ(empty.GetReal(), 0.0);
  EXPECT_EQ(empty.KeyReal("T", 5), 5);
}

TEST_F(CilTest, RealsTakeTheExponentWithoutALetter) {
  struct Case {
    std::string word;
    double value;
  } cases[] = {
      {"1.5-3", 0.0015}, {"-2.5", -2.5},    {"-2+4", -2e4},    {"1.5E-3", 0.0015},
      {"7", 7.0},        {"4.-05", 4e-5},   {"1.+20", 1e20},   {"-3.25e+2", -325.0},
      {".5", 0.5},       {"2.", 2.0},       {"1-400", 0.0},
  };
  for (const auto& c : cases) {
    TCIL r;
    OnLine(r, "x " + c.word);
    r.GetWord();
    EXPECT_DOUBLE_EQ(r.GetReal(), c.value) << c.word;
    EXPECT_EQ(r.WordStart, 0);
  }
}

TEST_F(CilTest, BadNumbersRaiseTheReaderErrorNamingWordLineAndColumn) {
  const std::string f = Write("n.txt", "first\nx abc 3\nn 12x\nd 32\nv\n");
  struct Case {
    int line;
    std::function<void(TCIL&)> read;
    std::string msg;
    int32_t pos;
  } cases[] = {
      {2, [](TCIL& r) { r.GetWord(); r.GetReal(); },
       "Ошибка при вводе действительного числа <abc> IErr=1 IWord=2 NWord=3"_cp + CRLF +
           "строка=<x abc 3>"_cp, 3},
      {3, [](TCIL& r) { r.GetWord(); r.GetInt(); },
       "Ошибка при вводе целого [12x] pos=3 строка="_cp + CRLF + "n 12x" + CRLF +
           "Позиция = 5"_cp, 3},
      {4, [](TCIL& r) { r.GetWord(); r.GetNum(1, 31); },
       "TCIL.GetNum Ошибка - значение <32> не может быть больше 31"_cp, 3},
      {4, [](TCIL& r) { r.GetWord(); r.GetNum(40, 50); },
       "TCIL.GetNum Ошибка - значение <32> не может быть меньше 40"_cp, 3},
      // a missing value is no number either
      {5, [](TCIL& r) { r.GetWord(); r.GetReal(); },
       "Ошибка при вводе действительного числа <> IErr=1 IWord=2 NWord=1"_cp + CRLF +
           "строка=<v>"_cp, 2},
  };
  for (const auto& c : cases) {
    TCIL r;
    Record(r);
    r.Load(f, "T");
    r.GotoLine(c.line);
    r.NextLine();
    const std::string want =
        "CIL.T-F-" + c.msg + CRLF + "FileName=<" + f + ">" + CRLF + " str=" + IntStr(c.line) +
        " pos=" + IntStr(c.pos);
    EXPECT_EQ(Fatal([&] { c.read(r); }), ErrAbsText(want));
    EXPECT_EQ(rep.text, want);
    EXPECT_EQ(rep.file, f);
    EXPECT_EQ(rep.line, c.line);
    EXPECT_EQ(rep.pos, c.pos);
    // the reader that raised is empty
    EXPECT_EQ(r.Count(), 0);
    EXPECT_FALSE(r.Loaded);
    warns.clear();
    EXPECT_TRUE(r.Eof());
    ASSERT_EQ(warns.size(), 1u);
    EXPECT_EQ(warns[0], "CIL.EOF() - файл не открыт!"_cp);
  }
}

TEST_F(CilTest, RealsOutsideTheDoubleRangeAreErrors) {
  TCIL r;
  OnLine(r, "1e999");
  EXPECT_NE(Fatal([&] { r.GetReal(); }).find("<1e999>"), std::string::npos);
}

TEST_F(CilTest, KeyItemsMatchAsPlainSubstrings) {
  TCIL r;
  OnLine(r, "XT=7 T=3 N=12 C=abc W=word");
  EXPECT_EQ(r.KeyReal("T", 5), 7.0);  // T is found inside XT
  EXPECT_EQ(r.KeyInt("N", -1), 12);
  EXPECT_EQ(r.KeyChar("C", '?'), 'a');
  EXPECT_EQ(r.KeyWord("W"), "word");
  EXPECT_EQ(r.KeyWord("Q"), "");
  EXPECT_EQ(r.KeyInt0("Q"), 0);
  EXPECT_EQ(r.KeyChar("Q", '?'), '?');
  OnLine(r, "A=1");
  EXPECT_EQ(r.KeyReal("T", 5), 5.0);
  EXPECT_EQ(r.KeyReal0("A"), 1.0);
}

TEST_F(CilTest, TableFields) {
  TCIL r;
  OnLine(r, "a|b|c");
  EXPECT_EQ(r.TabField(0), "a");
  EXPECT_EQ(r.TabField(2), "c");
  EXPECT_EQ(r.Pos, 5);
  EXPECT_EQ(r.TabField(3), "");
  EXPECT_TRUE(warns.empty());
  EXPECT_EQ(r.TabField(4), "");
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "CIL.T(StringList) В строке таблицы нет поля N\"4"_cp);

  OnLine(r, "x|  y  ||z");
  EXPECT_EQ(r.TabField(1), "  y  ");
  EXPECT_EQ(r.TabFieldTrim(1), "y");
  EXPECT_EQ(r.Pos, 5);
  EXPECT_EQ(r.TabFieldReq(3), "z");
  Record(r);
  const std::string want = "CIL.T-F-Пустое поле в таблице. Строка="_cp + CRLF + "x|  y  ||z" +
                           CRLF + "FileName=<StringList>" + CRLF + " str=1 pos=9";
  EXPECT_EQ(Fatal([&] { r.TabFieldReq(2); }), ErrAbsText(want));
}

TEST_F(CilTest, BlankTemplateWords) {
  TCIL r;
  OnLine(r, "a <> b");
  EXPECT_EQ(Fatal([&] { r.NextWord0(); }),
            ErrAbsText("TCIL.GetWord0 ERR: GetWord0(sBlankTpl0) не был вызван"_cp + CRLF +
                       "- проветьте код программы!"_cp));
  EXPECT_EQ(r.GetWord0("<>"), "a");
  EXPECT_EQ(r.NextWord0(), "");
  EXPECT_EQ(r.NextWord0(), "b");
  EXPECT_EQ(Fatal([&] { r.GetWord0(""); }),
            ErrAbsText("TCIL.GetWord0 ERR: sBlankTpl0='' - проветьте код программы!"_cp));
}

// ---------------------------------------------------------------- loading and the cursor

TEST_F(CilTest, LoadingKeepsALastLineWithoutLineEnd) {
  const std::string f = Write("last.txt", "one\r\ntwo\rthree\nfour");
  TCIL r;
  r.Load(f, "L");
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r[3], "four");
  EXPECT_TRUE(r.Loaded);
  EXPECT_EQ(r.CurLine, -1);

  TCIL t;
  t.LoadAndTrunc(f, "");
  ASSERT_EQ(t.Count(), 4);
  EXPECT_EQ(t[3], "four");

  // a last line without line end in an include file is kept as a line of its own
  const std::string m = Write("m.txt", "#INC last.txt\nafter\n");
  TCIL i;
  i.Load(m, "");
  i.Include("", "", "#INC", "");
  EXPECT_EQ(i.Lines(), (std::vector<std::string>{"one", "two", "three", "four", "after"}));
}

TEST_F(CilTest, LoadAndTruncStopsAfterTheStopKeyLine) {
  std::string text;
  for (int k = 1; k <= 10; ++k) text += (k == 3 ? "x #EXIT USE # y" : "line" + IntStr(k)) + "\n";
  const std::string f = Write("v.txt", text);
  TCIL r;
  r.LoadAndTrunc(f, "#EXIT USE #");
  EXPECT_EQ(r.Count(), 3);
  EXPECT_EQ(r[2], "x #EXIT USE # y");

  const std::string e = Write("empty.txt", "");
  r.LoadAndTrunc(e, "#EXIT");
  EXPECT_EQ(r.Lines(), std::vector<std::string>{""});
  EXPECT_TRUE(r.Loaded);

  r.Load(e, "Cap");
  EXPECT_FALSE(r.Loaded);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "CIL.Load(" + e + ")[Cap] файл ПУСТ!"_cp);
}

TEST_F(CilTest, MissingFilesAreFatal) {
  const std::string f = dir.file("none.txt");
  TCIL r;
  EXPECT_EQ(Fatal([&] { r.Load(f, "Cap"); }),
            ErrAbsText("CIL.Load-Err: Нет входного файла данных <"_cp + f + "> [Cap]!"));
  EXPECT_EQ(Fatal([&] { r.LoadAndTrunc(f, "#"); }),
            ErrAbsText("CIL.LoadAndTrunc-Err: Нет входного файла данных ["_cp + f + "]!"));
}

TEST_F(CilTest, LoadSLAppendsAndWarnsOnAnEmptyList) {
  TStringList a{"a1", "a2"}, b{"b1"}, none;
  TCIL r;
  r.LoadSL("S", &a);
  r.LoadSL("S", &b);
  EXPECT_EQ(r.Lines(), (std::vector<std::string>{"a1", "a2", "b1"}));
  EXPECT_EQ(r.FileName, "StringList");
  EXPECT_TRUE(r.Loaded);
  r.LoadSL("S", &none);
  EXPECT_FALSE(r.Loaded);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "CIL.LoadSL(StringList)[S] список строк ПУСТ!"_cp);
}

TEST_F(CilTest, CursorOverLines) {
  const std::string f =
      Write("c.txt", "! only a comment\n\n   \nl4 ! tail\nl5\nl6\nKEY here=1\nl8\n");
  TCIL r;
  r.Load(f, "");
  r.NextLine();
  EXPECT_EQ(r.Line, "l4 ");
  EXPECT_EQ(r.CurLine, 3);
  r.NextLineRaw();
  EXPECT_EQ(r.Line, "l5");

  r.GotoLine(5);
  EXPECT_EQ(r.NextLineNum(), 5);
  r.NextLineRaw();
  EXPECT_EQ(r.CurLine, 4);
  EXPECT_EQ(r.Line, "l5");

  r.GotoLine(1);
  EXPECT_TRUE(r.FindKey("here="));
  EXPECT_EQ(r.CurLine, 6);
  EXPECT_EQ(r.GetInt(), 1);
  EXPECT_FALSE(r.FindKey("absent"));
  EXPECT_TRUE(r.Eof());
  EXPECT_EQ(r.Line, "l8");
  EXPECT_EQ(r.CurLine, 7);

  r.GotoLine(99);  // beyond the end: the cursor stands on the last line, nothing more to read
  r.NextLineRaw();
  EXPECT_EQ(r.Line, "");
  r.GotoLine(1);  // an empty key is in no line: the search runs to the end
  EXPECT_FALSE(r.FindKey(""));
  EXPECT_EQ(r.CurLine, 7);
  EXPECT_TRUE(r.Eof());
  r.GotoLine(-5);  // before the start: the first line
  r.NextLineRaw();
  EXPECT_EQ(r.CurLine, 0);
  r.SkipLines(2);
  EXPECT_EQ(r.CurLine, 2);

  // a file of only comments and blank lines
  const std::string c = Write("cc.txt", "! a\n\n  ! b\n");
  TCIL k;
  k.Load(c, "");
  k.NextLine();
  EXPECT_EQ(k.Line, "");
  EXPECT_TRUE(k.Eof());
}

TEST_F(CilTest, FindKeyOnLinesThatAreNotLoadedEnds) {
  TCIL r;
  r.Add("a");
  r.Add("key");
  r.Add("c");
  EXPECT_FALSE(r.FindKey("key"));
}

// ---------------------------------------------------------------- comments

TEST_F(CilTest, CommentsAndEmptyLines) {
  const std::string f = Write("b.txt", "a !* x *! b\np !* q\nr\ns *! t ; c\n\n  u  \n");
  TCIL r;
  r.Load(f, "");
  r.SetBlockComment("!*", "*!");
  r.DelBlockComments();
  EXPECT_EQ(r.Count(), 6);
  const std::string a = "a" + std::string(9, ' ') + "b";
  EXPECT_EQ(r[0], a);
  EXPECT_EQ(r[1], "p ");
  EXPECT_EQ(r[2], "");
  EXPECT_EQ(r[3], std::string(5, ' ') + "t ; c");
  r.SetDelComments(";");
  EXPECT_EQ(r[3], std::string(5, ' ') + "t ");
  r.DelEmptyLines();
  EXPECT_EQ(r.Lines(), (std::vector<std::string>{a, "p", "t", "u"}));
}

// ---------------------------------------------------------------- include files

TEST_F(CilTest, IncludesNestAndFollowTheFolderLine) {
  Write("sub/a.inc", "a1\n#INC b.inc#\na3 !* gone *! ! cut\n");
  Write("sub/b.inc", "b1 ! cut\n!* x\ny *!b2\n");
  Write("c.inc", "c1\n");
  const std::string m = Write("main.txt", "m1\n#INC_PATH " + dir.file("sub") +
                                              "#\n #INC a.inc#\n#INC b.inc\n" +
                                              "#INC " + dir.str() + "\\c.inc#\nm6\n");
  TCIL r;
  r.Load(m, "");
  r.SetBlockComment("!*", "*!");
  r.Include("#INC_PATH", "#", "#INC", "#");
  EXPECT_EQ(r.Lines(), (std::vector<std::string>{"m1", "#INC_PATH " + dir.file("sub") + "#",
                                                 "a1", "b1 ", "", "    b2", "a3" + std::string(12, ' '),
                                                 "#INC b.inc", "c1", "m6"}));
  EXPECT_EQ(r.IncFolder, dir.file("sub"));
  EXPECT_EQ(r.IncludeFileNum(0), 0);
  EXPECT_EQ(r.IncludeFileNum(2), 1);
  EXPECT_EQ(r.IncludeFileNum(5), 2);
  EXPECT_EQ(r.IncludeFileNS(6, 1), 2);
  EXPECT_EQ(r.IncludeFileNam(1), dir.file("sub/a.inc"));
  EXPECT_EQ(r.IncludeFileNam(3), dir.file("c.inc"));
  EXPECT_EQ(r.IncludeFileNam(0), m);
  EXPECT_EQ(Fatal([&] { r.IncludeFileNS(6, 2); }),
            ErrAbsText("TCIL.IncludeFileNS <" + m +
                       "> - строка № 6 должна указывать на IncludeFile №2 !!!"_cp));
  EXPECT_EQ(Fatal([&] { r.IncludeFileNam(4); }),
            ErrAbsText("TCIL.IncludeFileNam <" + m +
                       "> - список LSFNam содержит 4 значений, а затребован файл №4!"_cp));
}

TEST_F(CilTest, BareIncludeNamesAreFoundBesideTheLoadedFile) {
  Write("d/x.inc", "x1\n");
  const std::string m = Write("d/main.txt", "#INC x.inc\n");
  TCIL r;
  r.Load(dir.str() + "\\d\\main.txt", "");
  EXPECT_EQ(r.FileName, m);
  r.Include("", "", "#INC", "");
  EXPECT_EQ(r.Lines(), std::vector<std::string>{"x1"});
}

TEST_F(CilTest, ErrorsInIncludedLinesNameTheIncludeFileAndItsLine) {
  Write("a.inc", "a1\n#INC b.inc\n\n  a4 bad\n");
  Write("b.inc", "b1\nb2\nb3 bad\n");
  const std::string m = Write("main.txt", "!x\n#INC a.inc\nm3\n");
  struct Case {
    std::string key, file;
    int32_t line, pos;
  } cases[] = {
      {"b3", "b.inc", 3, 4},  // the third line of an included file
      {"a4", "a.inc", 4, 6},  // after a nested include and a dropped empty line
  };
  for (const auto& c : cases) {
    TCIL r;
    Record(r);
    r.Load(m, "Cap");
    r.DelComments();
    r.Include("", "", "#INC", "");
    r.DelEmptyLines();
    ASSERT_TRUE(r.FindKey(c.key));  // the cursor stands just after the key
    const std::string inc = dir.file(c.file);
    const std::string want =
        "CIL.Cap-F-Ошибка при вводе целого [bad] pos=1 строка="_cp + CRLF + c.key + " bad" +
        CRLF + "Позиция = 4"_cp + CRLF + "CIL.File=<" + m + ">" + CRLF + "include File=<" + inc +
        ">" + CRLF + " str=" + IntStr(c.line) + " pos=" + IntStr(c.pos);
    EXPECT_EQ(Fatal([&] { r.GetInt(); }), ErrAbsText(want));
    EXPECT_EQ(rep.file, inc);
    EXPECT_EQ(rep.line, c.line);
    EXPECT_EQ(rep.pos, c.pos);
  }
}

TEST_F(CilTest, ErrAtPointsAtTheGivenPlace) {
  Write("a.inc", "a1\n");
  const std::string m = Write("main.txt", "m1 word\n#INC a.inc\n");
  TCIL r;
  Record(r);
  r.Load(m, "");
  r.Include("", "", "#INC", "");
  r.Add("added");  // a line added after the expansion counts as one of the loaded file
  r.NextLine();
  r.GetWord();
  r.GetWord();  // a word read before does not move the column given
  const std::string want = "CIL-F-msg" + CRLF + "CIL.File=<" + m + ">" + CRLF + "include File=<" +
                           m + ">" + CRLF + " str=3 pos=2";
  EXPECT_EQ(Fatal([&] { r.ErrAt(2, 2, "msg"); }), ErrAbsText(want));
  EXPECT_EQ(rep.line, 3);
  EXPECT_EQ(rep.pos, 2);
}

TEST_F(CilTest, IncludeFaults) {
  Write("sub/a.inc", "a1\n#INC a.inc#\n");
  Write("sub/b.inc", "b1\n");
  Write("sub/c.inc", "#INC b.inc#\n");
  const std::string sub = dir.file("sub");
  struct Case {
    std::string main;
    std::string msg;
    int32_t line, pos;
    std::string where;  // the file the fault is reported in
  } cases[] = {
      {"m\n#INC nope.inc#\n",
       "Include-Файл <"_cp + sub + "/nope.inc> не найден!"_cp + CRLF + CRLF + "Папка= <"_cp + sub +
           "/>" + CRLF + CRLF,
       2, 5, ""},
      {"#INC a.inc#\n", "Include Найдена циклическая ссылка на Файл <"_cp + sub + "/a.inc> !!!", 2, 5,
       sub + "/a.inc"},
      // one file taken twice, even from two places
      {"#INC b.inc#\n#INC c.inc#\n",
       "Include Найдена циклическая ссылка на Файл <"_cp + sub + "/b.inc> !!!", 1, 5,
       sub + "/c.inc"},
      // the loaded file itself
      {"x\n#INC " + sub + "/../main.txt#\n",
       "Include Найдена циклическая ссылка на Файл <"_cp + dir.file("main.txt") + "> !!!", 2, 5,
       ""},
  };
  for (const auto& c : cases) {
    const std::string m = Write("main.txt", c.main);
    TCIL r;
    Record(r);
    r.Load(m, "");
    r.SetFolder(sub);
    const std::string where = c.where.empty() ? m : c.where;
    const std::string want = "CIL-F-" + c.msg + CRLF + "CIL.File=<" + m + ">" + CRLF +
                             "include File=<" + where + ">" + CRLF + " str=" + IntStr(c.line) +
                             " pos=" + IntStr(c.pos);
    EXPECT_EQ(Fatal([&] { r.Include("", "", "#INC", "#"); }), ErrAbsText(want)) << c.main;
    EXPECT_EQ(rep.file, where);
    EXPECT_EQ(r.Count(), 0);
  }

  // without its closing delimiter the include line stays as it is
  const std::string m = Write("open.txt", "#INC b.inc\n#INCx b.inc#\n");
  TCIL r;
  r.Load(m, "");
  r.SetFolder(sub);
  r.Include("#INC_PATH", "#", "#INC", "#");
  EXPECT_EQ(r.Lines(), (std::vector<std::string>{"#INC b.inc", "#INCx b.inc#"}));
}

TEST_F(CilTest, TheSameFileUnderAnotherNameIsRefusedAtOnce) {
  // The loaded file is named relative to the current folder; including it by its bare name
  // is the same file.
  Write("self.txt", "s1\n#INC self.txt\n");
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  TCIL r;
  r.Load("self.txt", "");
  const std::string text = Fatal([&] { r.Include("", "", "#INC", ""); });
  std::filesystem::current_path(old);
  EXPECT_NE(text.find("Include Найдена циклическая ссылка на Файл <self.txt> !!!"_cp),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(" str=2 pos=5"), std::string::npos) << text;
}

// ---------------------------------------------------------------- variables

TEST_F(CilTest, VariablesAreDefinedAndSubstituted) {
  const std::string f = Write("v.txt",
                              "#$N=5 #$W = wide  \n#$ Q=1\nX $N $W $NN\n#$L=$N $N\n$L\nX $M\n");
  TCIL r;
  r.SetVar("Gone", "1");
  Record(r);
  r.Load(f, "");
  EXPECT_EQ(r.GetVar("Gone"), "");  // a load starts with no variables
  r.SetVarMarkers("#$", "$");
  r.SetVar("NN", "ignored");
  r.NextLine();
  EXPECT_EQ(r.Line, "#$N=5 #$W = wide  ");  // the definition line stays current
  EXPECT_EQ(r.GetVar("N"), "5");
  EXPECT_EQ(r.GetVar("W"), "wide");
  r.NextLine();
  EXPECT_EQ(r.GetVar("Q"), "");  // a blank after the marker defines nothing
  r.NextLine();
  EXPECT_EQ(r.Line, "X 5 wide 5N");  // $N is replaced also where it begins a longer name
  r.NextLine();
  r.NextLine();
  EXPECT_EQ(r.Line, "5 5");  // a value with references is resolved further
  const std::string want = "CIL-F-Не найдено значение переменной <$M>!"_cp + "\n\r" +
                           "NN ignored" + CRLF + "N 5" + CRLF + "W wide" + CRLF + "L $N $N" +
                           CRLF + "FileName=<" + f + ">" + CRLF + " str=6 pos=3";
  EXPECT_EQ(Fatal([&] { r.NextLine(); }), ErrAbsText(want));
}

TEST_F(CilTest, VariablesFromAListAndSelfReferencesEnd) {
  TStringList vars{"A x $B", "B $A", "C  spaced value  ", "D"};
  TCIL r;
  TStringList lines{"1 $C", "2 $A"};
  r.LoadSL("V", &lines);
  r.SetVarMarkers("#$", "$");
  r.SetVars(&vars);
  EXPECT_EQ(r.GetVar("C"), "spaced value");
  EXPECT_EQ(r.GetVar("D"), "");
  r.NextLine();
  EXPECT_EQ(r.Line, "1 spaced value");
  const std::string text = Fatal([&] { r.NextLine(); });
  EXPECT_NE(text.find("Циклическая ссылка в значении переменной <$"_cp), std::string::npos)
      << text;
  EXPECT_FALSE(r.Loaded);
}

// The line's length is bounded before each substitution: a line of many references to a long
// variable ends in the reader's error with file and line, the line at the bound still reads.
TEST_F(CilTest, SubstitutionStopsAtTheLineLengthBound) {
  const size_t max = TCIL::MaxVarLineLength;
  std::string refs;
  for (int i = 0; i < 4000; ++i) refs += " $L";
  const std::string f = Write("long.txt", "first\nxx $L $L\nxx $L $L\n" + refs + "\n");
  TCIL r;
  Record(r);
  r.Load(f, "");
  r.SetVarMarkers("#$", "$");
  r.SetVar("L", std::string(max / 2 - 2, 'a'));
  r.NextLine();
  r.NextLine();
  EXPECT_EQ(r.Line.size(), max);  // "xx " + 2 values + " "
  r.SetVar("L", std::string(max / 2 - 1, 'a'));
  std::string text = Fatal([&] { r.NextLine(); });
  EXPECT_NE(text.find("Строка после подстановки переменной <$L> длиннее 1048576 символов!"_cp),
            std::string::npos)
      << text.substr(0, 200);
  EXPECT_EQ(rep.file, f);
  EXPECT_EQ(rep.line, 3);
  EXPECT_EQ(rep.pos, 4);

  // 4000 references to a value of a megabyte would make 4 GB: stopped before any is replaced.
  r.Load(f, "");
  r.SetVarMarkers("#$", "$");
  r.SetVar("L", std::string(max, 'a'));
  r.GotoLine(4);
  text = Fatal([&] { r.NextLine(); });
  EXPECT_NE(text.find("длиннее"_cp), std::string::npos) << text.substr(0, 200);
  EXPECT_EQ(rep.line, 4);
  EXPECT_LT(text.size(), 1000u);
}

}  // namespace
