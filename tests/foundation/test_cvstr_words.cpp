// Words, fields, substrings, brackets and cursor scanning, on Latin and code page 1251 text.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "platform/MsgBox.h"

namespace {

struct TextCase {
  std::string got, want;
};

void CheckAll(const std::vector<TextCase>& cases) {
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

struct PosCase {
  int32_t got, want;
};

void CheckAll(const std::vector<PosCase>& cases) {
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(CvStrWords, WordsAndPositions) {
  const std::string s = "  alpha  beta ";
  const std::string cyr = "  альфа  бета "_cp;
  CheckAll(std::vector<TextCase>{
      {WordN(s, 2), "beta"},
      {WordN(s, 3), ""},
      {WordN(s, 0), ""},
      {WordN(cyr, 1), "альфа"_cp},
      {WordN(cyr, 2), "бета"_cp},
      {WordAt("ab cd", 4), "cd"},
      {WordAt("ab cd", 2), "ab"},
      {WordAt("ab cd", 3), "cd"},
      {WordAt("ab  ", 4), ""},
      {WordAt("ab cd", 9), "cd"},
      {WordAt("слово дело"_cp, 3), "слово"_cp},
  });
  CheckAll(std::vector<PosCase>{
      {WordCount(s), 2},
      {WordCount(""), 0},
      {WordCount(cyr), 2},
      {WordPos(s, 2), 10},
      {WordPos(cyr, 2), 10},  // one byte per letter
      {WordPos(s, 3), 0},
      {WordIndexAt("ab cd", 3), 2},
      {WordIndexAt("ab cd", 1), 1},
      {WordIndexAt("ab cd", 5), 2},
      {WordIndexAt("ab cd", 9), 3},
      {WordIndexAt("ab cd ", 6), 3},
  });
}

TEST(CvStrWords, FieldsQuotedWordsAndColumns) {
  CheckAll(std::vector<TextCase>{
      {FieldN("a| b |c", '|', 1), "b"},
      {FieldN("a| b |c", '|', 0), "a"},
      {FieldN("a| b |c", '|', 2), "c"},
      {FieldN("a| b |c", '|', 3), ""},
      {FieldN("имя; значение ;"_cp, ';', 1), "значение"_cp},
      {QWordN("'a b' c 'd", 1, '\''), "'a b'"},
      {QWordN("'a b' c 'd", 3, '\''), "'d"},
      {QWordN("'a b' c 'd", 4, '\''), ""},
      {DeQuote("'a b'", '\''), "a b"},
      {DeQuote("'it''s'", '\''), "it's"},
      {DeQuote("a''''b", '\''), "a''b"},
      {DeQuote("'", '\''), "'"},
      {QuoteStr("it's"), "'it's'"},
  });
  CheckAll(std::vector<PosCase>{
      {FieldCount("a| b |c", '|'), 3},
      {FieldCount("", '|'), 1},
      {QWordCount("'a b' c", '\''), 2},
      {QWordCount("  'a b'\t c  ", '\''), 2},
      {QWordCount("", '\''), 0},
      {CountCols("1;2;;3", '\0', ';'), 4},
      {CountCols(" 1  2 ", '\0', ' '), 2},
      {CountCols("1\t2 3", '\0', ' '), 3},
      {CountCols("'a b' c", '\'', ' '), 2},
      {WordCountSet("a,,b,", MakeCharSet(",")), 2},
      {WordCountSet(" \t ", MakeCharSet(",")), 0},
      {WordCountSet("", MakeCharSet(",")), 0},
  });
  int32_t j = 1;
  std::string w;
  NextQWord("'a b' c", j, '\'', w);
  EXPECT_EQ(w, "'a b'");
  EXPECT_EQ(j, 6);
  NextQWord("'a b' c", j, '\'', w);
  EXPECT_EQ(w, "c");
  EXPECT_EQ(j, 8);
  NextQWord("'a b' c", j, '\'', w);
  EXPECT_EQ(w, "");
}

TEST(CvStrWords, KeyWordValue) {
  struct Case {
    std::string s, key, want;
  } cases[] = {
      {"X  LAM = 6302.5 Y", "LAM", "6302.5"},
      {"LAMDA=5", "LAM", ""},
      {"LAM", "LAM", ""},
      {"A=1 B= 2", "B", "2"},
      {"Т = 5780 К"_cp, "Т"_cp, "5780"},
  };
  for (const auto& c : cases) {
    std::string v = "old";
    KeyWordValue(c.s, c.key, v);
    EXPECT_EQ(v, c.want) << c.s;
  }
}

TEST(CvStrWords, Searching) {
  CheckAll(std::vector<PosCase>{
      {PosFrom("a", "banana", 3), 4},
      {PosFrom("a", "banana", 0), 2},
      {PosFrom("a", "banana", 7), 0},
      {PosFrom("", "banana", 1), 0},
      {LastPos("/", "a/b/c"), 4},
      {LastPos("aa", "aaa"), 2},
      {LastPos("x", "abc"), 0},
      {PosSet(MakeCharSet(",;"), "ab;c,"), 3},
      {PosNotInSet("  \tx", MakeCharSet(" \t")), 4},
      {PosNotInSet("   ", MakeCharSet(" ")), 0},
      {PosWord("ab", "xab ab"), 5},
      {PosWord("ab", "ab,x"), 0},
      {PosWord("ab", "ab"), 1},
      {PosWord("ab", "xab\tab"), 5},
      {PosWord("ab", "ab\r\n"), 1},
      {PosWord("кот"_cp, "котик кот"_cp), 7},
      {BufPos("cd", 2, "abcdcd", 6), 3},
      {BufPos("ce", 2, "abcdcd", 6), 0},
  });
}

TEST(CvStrWords, MaskMatch) {
  struct Case {
    const char* mask;
    const char* s;
    int32_t pos;
    const char* matched;
  } cases[] = {
      {"a*c", "xxabbcd", 3, "abbc"},
      {"a?c", "abc", 1, "abc"},
      {"a?c", "abbc", 0, ""},
      {"a??d*f", "xabcdeef", 2, "abcdeef"},
      {"?b", "abc", 1, "ab"},
      {"b*", "abc", 2, "b"},
      {"*", "abc", 0, ""},
      {"q*", "abc", 0, ""},
  };
  for (const auto& c : cases) {
    int32_t pos = -1;
    std::string m = "junk";
    MaskMatch(c.mask, c.s, pos, m);
    EXPECT_EQ(pos, c.pos) << c.mask << " " << c.s;
    EXPECT_EQ(m, c.matched) << c.mask << " " << c.s;
  }
}

TEST(CvStrWords, BracketsAndTheirWarnings) {
  platform::ScriptedMsgBoxes boxes;
  EXPECT_EQ(PosNoBracke("x", "()", "(x)+x"), 5);
  EXPECT_EQ(PosNoBracke("x", "()", "(a(x))*(x)-x"), 12);
  EXPECT_EQ(UnBrackets("f(a(b))", "()"), "a(b)");
  EXPECT_EQ(UnBrackets("функция(аргумент)"_cp, "()"), "аргумент"_cp);
  EXPECT_EQ(UnBrackets("ab)c", "()"), "ab");
  EXPECT_EQ(UnBrackets("abc", "()"), "abc");
  std::string rest, part;
  ExtractBrackets("f(a)+1", "()", rest, part);
  EXPECT_EQ(rest, "f+1");
  EXPECT_EQ(part, "(a)");
  ExtractBrackets("abc", "()", rest, part);
  EXPECT_EQ(rest, "abc");
  EXPECT_EQ(part, "");
  EXPECT_TRUE(boxes.Shown().empty());

  EXPECT_EQ(UnBrackets("f(a", "()"), "a");
  EXPECT_EQ(UnBrackets(")x(", "()"), ")x(");
  EXPECT_EQ(UnBrackets("[a]", "["), "[a]");
  ExtractBrackets("g(b", "()", rest, part);
  EXPECT_EQ(rest, "g(b");
  EXPECT_EQ(PosNoBracke("x", "()", "a)x"), 3);
  EXPECT_EQ(PosNoBracke("x", "()", "(x"), 2);
  EXPECT_EQ(PosNoBracke("x", "{", "{x}"), 2);
  const std::vector<std::string> want = {
      "cvStr.UnBrackets ()в строке \r\nf(a\r\nне найдена вторая скобка!"_cp,
      "cvStr.UnBrackets ()в строке \r\n)x(\r\nвторая скобка найдена раньше первой!"_cp,
      "Неверный вызов cvStr.UnBrackets, строка скобок /[/ должна содержать два символа!"_cp,
      "cvStr.ExtractBrackets ()в строке \r\ng(b\r\nне найдена вторая скобка!"_cp,
      "В выражении <a)x> лишняя закрывающая скобка )"_cp,
      "В выражении <(x> лишняя открывающая скобка ("_cp,
      "Неверный вызов cvStr.PosNoBracke, строка скобок /{/ должна содержать два символа!"_cp,
  };
  ASSERT_EQ(boxes.Shown().size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(boxes.Shown()[i].text, want[i]);
    EXPECT_EQ(boxes.Shown()[i].caption, "cvStr Предупреждение или напоминание"_cp);
  }
}

TEST(CvStrWords, Substrings) {
  CheckAll(std::vector<TextCase>{
      {LeftN("abcdef", 2), "ab"},
      {LeftN("abcdef", -2), "abcd"},
      {LeftN("abc", -3), "abc"},
      {LeftN("abc", 0), ""},
      {RightN("abcdef", 2), "ef"},
      {RightN("abcdef", -2), "cdef"},
      {RightN("abc", 5), "abc"},
      {SubFromTo("abcdef", 3, 3), ""},
      {SubFromTo("abcdef", 2, 9), "bcdef"},
      {SubFromTo("abcdef", 2, 4), "bcd"},
      {SubN("abcdef", 5, 9), "ef"},
      {SubN("abc", 4, 1), ""},
      {SubN("abc", 2, 0), ""},
      {TailFrom("abc", 2), "bc"},
      {TailFrom("abc", 4), ""},
      {BeforeStr("key=val", "="), "key"},
      {BeforeStr("keyval", "="), "keyval"},
      {BeforeStr("=val", "="), ""},
      {AfterStr("key=val", "="), "val"},
      {AfterStr("keyval", "="), ""},
      {AfterStr2("key=", "="), ""},
      {LeftN("абвгд"_cp, -1), "абвг"_cp},
  });
  EXPECT_EQ(CharAt("abc", -1), 'c');
  EXPECT_EQ(CharAt("abc", 1), 'a');
  EXPECT_EQ(CharAt("abc", 4), '\0');
  EXPECT_EQ(CharAt("abc", 0), '\0');
  EXPECT_EQ(CharAt("abc", -4), '\0');
}

TEST(CvStrWords, Editing) {
  std::string cut = "name # note";
  CutAtChar(cut, '#');
  EXPECT_EQ(cut, "name ");
  cut = "a--b--c";
  CutAtSub(cut, "--");
  EXPECT_EQ(cut, "a");
  CutAtSub(cut, "zz");
  EXPECT_EQ(cut, "a");
  std::string var = "a.b.c";
  ReplaceCharVar(var, '.', ',');
  EXPECT_EQ(var, "a,b,c");
  CheckAll(std::vector<TextCase>{
      {ReplaceAll("aaa", "a", "aa"), "aaaaaa"},
      {ReplaceAll("x", "", "y"), "x"},
      {ReplaceAll("один, два, три"_cp, ", "_cp, ";"), "один;два;три"_cp},
      {ReplaceLast("a/b/c", "/", "\\"), "a/b\\c"},
      {ReplaceLast("abc", "/", "\\"), "abc"},
      {ReplaceSet("a,b;c", MakeCharSet(",;"), "--"), "a--b--c"},
      {ReplaceChar("a b", ' ', '_'), "a_b"},
      {StrReplaceAt("abcdef", "XY", 2, 3), "aXYef"},
      {StrReplaceAt("abc", "XY", 3, 9), "abXY"},
      {StrReplaceCharAt("abc", "ZZ", 2), "aZZc"},
      {DelChars("a-b_c", "-_"), "abc"},
      {DelBlanks("a b\xA0" "c"), "abc"},
      {CutOption('/', "x", "a /x1 /y2"), "a /y2"},
      {CutOption('/', "x", "a /y2 /x1"), "a /y2 "},
      {CutOption('/', "z", "a /y2"), "a /y2"},
      {DefaultStr(" \t", "def"), "def"},
      {DefaultStr(" a", "def"), " a"},
      {TrimCells("a\t b \t\tc", "\t"), "a\tb\t\tc"},
      {FillEmptyCells("a\tb\t\tc", "\t", "-"), "a\tb\t-\tc"},
      {FillEmptyCells("a\t \tc", "\t", "-"), "a\t-\tc"},
      {TrimCells(" a |  b  | c ", "|"), " a |b| c "},
      {TrimCells("no cells", "|"), "no cells"},
  });
}

TEST(CvStrWords, CaseTabsAndWidths) {
  // 1251: small letters 224..255 go up by 32, the letter at 184 stays
  EXPECT_EQ(UpCaseStrCyr("abc, где ёж 12!"_cp), "ABC, ГДЕ ёЖ 12!"_cp);
  EXPECT_EQ(UpCaseStrCyr("съешь яблоко"_cp), "СЪЕШЬ ЯБЛОКО"_cp);
  EXPECT_EQ(UpCaseCyr('z'), 'Z');
  EXPECT_EQ(UpCaseCyr('\xE0'), '\xC0');
  EXPECT_EQ(UpCaseCyr('\xFF'), '\xDF');
  EXPECT_EQ(UpCaseCyr('\xC0'), '\xC0');
  CheckAll(std::vector<TextCase>{
      {TrimSp(" \ta \t "), "\ta \t"},
      {TrimBlanks("  x  "), "x"},
      {TabsToBlanks("ab\tc"), "ab      c"},
      {TabsToBlanks("12345678\tx"), "12345678        x"},
      {TabsToBlanks("\tя"_cp), "        я"_cp},
      {TabsToBlanks("plain"), "plain"},
      {PadRight("ab", 4), "ab  "},
      {PadRight("abcde", 4), "abcde"},
      {PadLeft("ab", 4), "  ab"},
      {PadRightMark("abcdef", 4), "abc*"},
      {PadRightMark("ab", 4), "ab  "},
      {PadLeftMark("abcdef", 4), "*bcd"},
      {PadLeftMark("ab", 4), "  ab"},
      {AlignStr("ab", 5, 0), " ab  "},
      {AlignStr("ab", 5, 1), "   ab"},
      {AlignStr("ab", 5, -1), "ab   "},
      {AlignStr("ab", 5, 2), "  ab "},
      {AlignStr("ab", 5, -2), " ab  "},
      {AlignStr("abcdef", 3, 1), "abc"},
      {AlignStr("щи"_cp, 4, 0), " щи "_cp},
  });
  char buf[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  StrToFixBuf("abc", buf, 5);
  EXPECT_EQ(std::string(buf, 6), "abc  x");
  StrToFixBuf("abcdefg", buf, 3);
  EXPECT_EQ(std::string(buf, 6), "abc  x");
}

TEST(CvStrWords, CursorScanning) {
  const std::string s = "  слово1 слово2  "_cp;
  int32_t j = 1;
  std::string w;
  NextWord(s, j, w);
  EXPECT_EQ(w, "слово1"_cp);
  EXPECT_EQ(j, 9);
  NextWord(s, j, w);
  EXPECT_EQ(w, "слово2"_cp);
  EXPECT_EQ(j, 16);
  NextWord(s, j, w);
  EXPECT_EQ(w, "");
  EXPECT_EQ(j, 18);

  const TCharSet delim = MakeCharSet(", ");
  j = 1;
  std::vector<std::string> words;
  for (;;) {
    NextWordSet("a, b,,c ", j, delim, w);
    if (w.empty()) break;
    words.push_back(w);
  }
  EXPECT_EQ(words, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(j, 9);

  struct Step {
    const char* what;
    int32_t got, want;
  };
  auto run = [](auto f, const std::string& text, int32_t start) {
    int32_t k = start;
    f(text, k);
    return k;
  };
  const Step steps[] = {
      {"SkipBlanks", run([](const std::string& t, int32_t& k) { SkipBlanks(t, k); }, "  ab", 1), 3},
      {"SkipBlanks end", run([](const std::string& t, int32_t& k) { SkipBlanks(t, k); }, "ab  ", 3), 5},
      {"SkipNonBlanks", run([](const std::string& t, int32_t& k) { SkipNonBlanks(t, k); }, "ab c", 1), 3},
      {"SkipToChar", run([](const std::string& t, int32_t& k) { SkipToChar(t, k, 'c'); }, "abc", 1), 3},
      {"SkipToChar stays", run([](const std::string& t, int32_t& k) { SkipToChar(t, k, 'c'); }, "abc", 3), 3},
      {"SkipToChar absent", run([](const std::string& t, int32_t& k) { SkipToChar(t, k, 'z'); }, "abc", 1), 4},
      {"SkipQuoted", run([](const std::string& t, int32_t& k) { SkipQuoted(t, k, '\''); }, "'a b' c", 1), 6},
      {"SkipQuoted open", run([](const std::string& t, int32_t& k) { SkipQuoted(t, k, '\''); }, "'ab", 1), 4},
      {"SkipQuoted plain", run([](const std::string& t, int32_t& k) { SkipQuoted(t, k, '\''); }, "ab c", 1), 3},
      {"BackToBlank", run([](const std::string& t, int32_t& k) { BackToBlank(t, k); }, "ab cd", 5), 3},
      {"BackToBlank none", run([](const std::string& t, int32_t& k) { BackToBlank(t, k); }, "abc", 2), 0},
      {"BackToBlank past end", run([](const std::string& t, int32_t& k) { BackToBlank(t, k); }, "ab ", 9), 3},
      {"PassBlanc", run([](const std::string& t, int32_t& k) { PassBlanc(t, k, MakeCharSet(" ,")); }, " ,x", 1), 3},
      {"PassNonSet", run([](const std::string& t, int32_t& k) { PassNonSet(t, k, MakeCharSet(",")); }, "ab,c", 1), 3},
  };
  for (const auto& st : steps) EXPECT_EQ(st.got, st.want) << st.what;

  platform::ScriptedMsgBoxes boxes;
  j = 0;
  PassBlanc(" x", j, MakeCharSet(" "));
  EXPECT_EQ(j, 2);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "В процедуре PassBlanc J не может быть менее 1"_cp);
}

TEST(CvStrWords, CharacterClasses) {
  const TCharSet digits = MakeCharSet("0123456789");
  EXPECT_TRUE(IsAllInSet("", digits, 0));
  EXPECT_FALSE(IsAllInSet("", digits, 1));
  EXPECT_TRUE(IsAllInSet("123", digits, 3));
  EXPECT_FALSE(IsAllInSet("12", digits, 3));
  EXPECT_FALSE(IsAllInSet("1a", digits, 0));
  EXPECT_TRUE(IsDigits(""));
  EXPECT_TRUE(IsDigits("0129"));
  EXPECT_FALSE(IsDigits("12 "));
  EXPECT_TRUE(IsHexDigits("09AF"));
  EXPECT_FALSE(IsHexDigits("0a"));
  EXPECT_TRUE(IsNumChars("-1.5e+3"));
  EXPECT_FALSE(IsNumChars("1,5"));
  EXPECT_TRUE(IsSepChar('|'));
  EXPECT_FALSE(IsSepChar('/'));
  EXPECT_TRUE(IsBlankAfter("ab \r\n", 2));
  EXPECT_FALSE(IsBlankAfter("ab c", 2));
  EXPECT_TRUE(IsBlankAfter("ab", 5));
  EXPECT_TRUE(EndsWithChar("a;  \r\n", ';'));
  EXPECT_FALSE(EndsWithChar("a; b", ';'));
  EXPECT_FALSE(EndsWithChar("   ", ' '));
  EXPECT_FALSE(EndsWithChar("", ';'));
}

TEST(CvStrWords, SplitTwoLines) {
  struct Case {
    const char* buf;
    const char* l1;
    const char* l2;
  } cases[] = {
      {"first\r\nsecond\nthird", "first", "second"},
      {"one", "one", ""},
      {"a\n\nb", "a", "b"},  // two line-end characters make one break
      {"a\rb\0c", "a", "b"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    std::string l1 = "x", l2 = "y";
    SplitTwoLines(c.buf, l1, l2);
    EXPECT_EQ(l1, c.l1);
    EXPECT_EQ(l2, c.l2);
  }
}

}  // namespace
