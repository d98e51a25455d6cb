#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "platform/MsgBox.h"

namespace {

using Lines = std::vector<std::string>;

Lines Of(const TStringList* L) { return L ? L->Lines() : Lines{"<nil>"}; }
Lines Of(const std::unique_ptr<TStringList>& L) { return Of(L.get()); }

TStringList Make(const Lines& lines) {
  TStringList L;
  for (const auto& s : lines) L.Add(s);
  return L;
}

const std::string CaptionCvStr = "cvStr Предупреждение или напоминание"_cp;

}  // namespace

TEST(StringLists, Split) {
  EXPECT_EQ(Of(SplitByChar("a,,b,", ',')), (Lines{"a", "b"}));
  EXPECT_EQ(Of(SplitByChar(",a", ',')), (Lines{"a"}));
  EXPECT_EQ(SplitByChar("", ','), nullptr);

  EXPECT_EQ(Of(SplitByStr("x;;y", ";")), (Lines{"x", "", "y"}));
  EXPECT_EQ(Of(SplitByStr("abc", ";")), (Lines{"abc"}));
  EXPECT_EQ(Of(SplitByStr("a\r\nb", "\r\n")), (Lines{"a", "b"}));
  EXPECT_EQ(Of(SplitByStr("a\r\nb\r\n", "\r\n")), (Lines{"a", "b"}));
  EXPECT_EQ(Of(SplitByStr("a\r\n\r\nb", "\r\n")), (Lines{"a", "", "b"}));
  EXPECT_EQ(Of(SplitByStr("aaa", "aa")), (Lines{"", "a"}));  // no overlapping occurrences
  EXPECT_EQ(Of(SplitByStr("a;b", "")), (Lines{"a;b"}));
  EXPECT_EQ(SplitByStr("", ";"), nullptr);

  TCharSet set;
  set.set(';');
  set.set(',');
  // a leading run gives one empty piece; only the last piece is trimmed; a trailing run adds none
  EXPECT_EQ(Of(SplitBySet(";,a ;b,; c \t", set)), (Lines{"", "a ", "b", "c"}));
  EXPECT_EQ(Of(SplitBySet("a;", set)), (Lines{"a"}));
  EXPECT_EQ(Of(SplitLinesSet("a\r\n\r\nb\r\n")), (Lines{"a", "b"}));
  EXPECT_EQ(Of(SplitLinesSet("\r\na")), (Lines{"", "a"}));
  EXPECT_EQ(SplitLinesSet(""), nullptr);
}

TEST(StringLists, JoinAndCopy) {
  platform::ScriptedMsgBoxes boxes;
  TStringList ab = Make({"a", "b"});
  EXPECT_EQ(SListToStr(&ab), "a\r\nb");
  TStringList empty;
  EXPECT_EQ(SListToStr(&empty), "");
  EXPECT_EQ(SListToStr(nullptr), "");
  EXPECT_TRUE(boxes.Shown().empty());

  TStringList big;
  for (int i = 0; i < 1001; ++i) big.Add("x");
  std::string joined = SListToStr(&big);
  EXPECT_EQ(joined.size(), 1000u + 999u * 2);  // only the first 1000 lines
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Проверьте программу! SListToStr не должен вызываться "_cp +
                                       "\r\n" + "для списка из 1001 строк!"_cp);
  EXPECT_EQ(boxes.Shown()[0].caption, CaptionCvStr);
  boxes.Clear();

  EXPECT_EQ(Of(SLDup(&ab)), (Lines{"a", "b"}));
  EXPECT_EQ(SLDup(nullptr), nullptr);

  TStringList a = Make({"1"}), b = Make({"2", "3"});
  EXPECT_EQ(SLAppend(&a, &b), &a);
  EXPECT_EQ(Of(&a), (Lines{"1", "2", "3"}));
  EXPECT_EQ(SLAppend(nullptr, &b), &b);
  EXPECT_EQ(SLAppendSL(&b, nullptr), &b);
  EXPECT_EQ(Of(&b), (Lines{"2", "3"}));

  TStringList target = Make({"t"});
  SLCopy(&ab, &target);
  EXPECT_EQ(Of(&target), (Lines{"t", "a", "b"}));
  SLCopy(&target, &target);  // a list appended to itself is copied once
  EXPECT_EQ(Of(&target), (Lines{"t", "a", "b", "t", "a", "b"}));
  SLRePlace(&ab, &target);
  EXPECT_EQ(Of(&target), (Lines{"a", "b"}));
  SLRePlace(&target, &target);  // nothing is lost
  EXPECT_EQ(Of(&target), (Lines{"a", "b"}));
  EXPECT_TRUE(boxes.Shown().empty());

  SLCopy(nullptr, &target);
  SLCopy(&ab, nullptr);
  SLRePlace(nullptr, &target);
  SLRePlace(&ab, nullptr);
  Lines texts;
  for (const auto& box : boxes.Shown()) texts.push_back(box.text);
  EXPECT_EQ(texts, (Lines{"SLCopy-err: StringList - источник Not Assigned!"_cp,
                          "SLCopy-err: StringList - приёмник Not Assigned!"_cp,
                          "SLRePlace-err: StringList - источник Not Assigned!"_cp,
                          "SLRePlace-err: StringList - приёмник Not Assigned!"_cp}));
  EXPECT_EQ(Of(&target), (Lines{"a", "b"}));
}

// Lines taken out of another list keep their order and objects, and leave it empty; a sorted
// list still inserts each in order.
TEST(StringLists, AddStringsTakesTheLines) {
  int tag = 0;
  TStringList from = Make({"c", "a"});
  from.PutObject(1, &tag);
  TStringList into = Make({"b"});
  into.AddStrings(std::move(from));
  EXPECT_EQ(Of(&into), (Lines{"b", "c", "a"}));
  EXPECT_EQ(into.Objects(2), &tag);
  EXPECT_EQ(from.Count(), 0);
  TStringList empty;
  empty.AddStrings(std::move(into));
  EXPECT_EQ(Of(&empty), (Lines{"b", "c", "a"}));
  TStringList sorted = Make({"d", "b"});
  sorted.SetSorted(true);
  sorted.AddStrings(std::move(empty));
  EXPECT_EQ(Of(&sorted), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(empty.Count(), 0);
  sorted.SetSorted(false);
  TStringList& same = sorted;
  sorted.AddStrings(std::move(same));  // a list taking itself keeps its lines, copied once
  EXPECT_EQ(sorted.Count(), 8);
}

TEST(StringLists, CopyRangesMergeReverse) {
  TStringList four = Make({"l0", "l1", "l2", "l3"});
  struct Case {
    int from, to;
    Lines want;
  } ranges[] = {
      {5, 2, {"l2", "l3"}}, {1, 2, {"l1", "l2"}}, {-3, 0, {"l0"}}, {6, 9, {}}, {-5, -1, {}}};
  for (const auto& c : ranges) {
    TStringList t;
    SLCopyRange(&four, &t, c.from, c.to);
    EXPECT_EQ(Of(&t), c.want) << c.from << ".." << c.to;
  }
  SLCopyRange(nullptr, &four, 0, 1);
  SLCopyRange(&four, nullptr, 0, 1);

  TStringList text = Make({"head", "BEGIN x", "body", "END y", "tail", "END z"});
  struct FromTo {
    std::string start, end;
    Lines want;
  } spans[] = {
      {"BEGIN", "END", {"BEGIN x", "body", "END y"}},
      {"body", "", {"body", "END y", "tail", "END z"}},
      {"", "body", {"head", "BEGIN x", "body"}},
      {"BEGIN", "none", {"BEGIN x", "body", "END y", "tail", "END z"}},
      {"none", "END", {}},
      {"END", "END", {"END y"}},  // the end line may be the start line itself
  };
  for (const auto& c : spans) {
    TStringList t;
    SLCopyFromTo(&text, &t, c.start, c.end);
    EXPECT_EQ(Of(&t), c.want) << c.start << " / " << c.end;
  }

  TStringList a = Make({"a", "b"}), b = Make({"b", "c", "c"});
  EXPECT_EQ(Of(SLMerge(&a, &b)), (Lines{"a", "b", "c"}));
  TStringList caps = Make({"A", "b"});
  EXPECT_EQ(Of(SLMerge(&a, &caps)), (Lines{"a", "b", "A"}));  // case counts
  EXPECT_EQ(Of(SLMerge(nullptr, &b)), (Lines{"b", "c", "c"}));
  EXPECT_EQ(Of(SLMerge(&a, nullptr)), (Lines{"a", "b"}));
  EXPECT_EQ(SLMerge(nullptr, nullptr), nullptr);

  int tag = 0;
  TStringList r = Make({"1", "2", "3"});
  r.PutObject(0, &tag);
  SLReverse(&r);
  EXPECT_EQ(Of(&r), (Lines{"3", "2", "1"}));
  EXPECT_EQ(r.Objects(2), &tag);  // the objects move with their lines

  TStringList tabs = Make({"ab\tc", "x"});
  SLTabsToBlanks(&tabs);
  EXPECT_EQ(Of(&tabs), (Lines{"ab      c", "x"}));
  SLReverse(nullptr);
  SLTabsToBlanks(nullptr);
}

TEST(StringLists, Search) {
  TStringList L = Make({"alpha", "LAMBDA=1", "Beta", "  LAM = 6302", "LAM 6302", "LAM=6302",
                        "key : v", "beta"});
  struct Case {
    const char* what;
    int got, want;
  } cases[] = {
      {"IndexOf exact case", SLIndexOf("beta", &L), 7},
      {"IndexOf none", SLIndexOf("gamma", &L), -1},
      {"IndexOfExact", SLIndexOfExact("Beta", &L), 2},
      {"Sub", SLIndexOfSub("630", &L), 3},
      {"SubFrom", SLIndexOfSubFrom("630", 4, &L), 4},
      {"SubFrom past end", SLIndexOfSubFrom("630", 8, &L), -1},
      {"SubFrom negative start", SLIndexOfSubFrom("lph", -2, &L), 0},
      {"Prefix", SLIndexOfPrefix("LAM", &L), 1},
      {"Prefix case", SLIndexOfPrefix("bet", &L), 7},
      {"Prefix empty", SLIndexOfPrefix("", &L), -1},
      {"Sub empty", SLIndexOfSub("", &L), -1},
      {"Key word before '='", SLIndexOfKey("LAM", &L), 3},
      {"Key not LAMBDA", SLIndexOfKey("LAMBDA", &L), 1},
      {"Key none", SLIndexOfKey("LA", &L), -1},
      {"Before", SLIndexOfBefore("key", ":", &L), 6},
      {"Before trimmed", SLIndexOfBefore("LAM", "=", &L), 3},
      {"Before absent sep", SLIndexOfBefore("alpha", "#", &L), 0},
      {"Trim", SLIndexOfTrim(" LAM = 6302\t", &L), 3},
      {"nil list", SLIndexOfSub("a", nullptr), -1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

  TStringList keys = Make({"LAMBDA=1", "LAM 6302"});
  EXPECT_EQ(SLIndexOfKey("LAM", &keys), 1);
  TStringList keys2 = Make({"LAMBDA=1", "LAM=6302"});
  EXPECT_EQ(SLIndexOfKey("LAM", &keys2), 1);
}

TEST(StringLists, CutComments) {
  TStringList L = Make({"x = 1 ; note", "; all", "none"});
  SLCutAfter(&L, ";");
  EXPECT_EQ(Of(&L), (Lines{"x = 1 ", "", "none"}));

  TStringList one = Make({"x (* a *) y"});
  SLCutBetween(&one, "(*", "*)");
  EXPECT_EQ(Of(&one), (Lines{"x" + std::string(9, ' ') + "y"}));

  TStringList block = Make({"p (* a", "b", "c *) q", "r"});
  SLCutBetween(&block, "(*", "*)");
  EXPECT_EQ(Of(&block), (Lines{"p ", "", std::string(5, ' ') + "q", "r"}));

  TStringList more = Make({"(* whole *)", "a (* 1 *) b (* 2 *) c (* 3 *)", "d (* open",
                           "still *)", "e *) not a close"});
  SLCutBetween(&more, "(*", "*)");
  EXPECT_EQ(Of(&more), (Lines{"", "a" + std::string(9, ' ') + "b" + std::string(9, ' ') + "c ",
                              "d ", "", "e *) not a close"}));
}

TEST(StringLists, OnOffChar) {
  platform::ScriptedMsgBoxes boxes;
  TStringList L = Make({"abc", "a!bc", "ab!c!d", "zzz"});
  SLOnOffChar(&L, "a", '!', true);
  EXPECT_EQ(Of(&L), (Lines{"abc!", "a!bc", "ab!c!d", "zzz"}));
  SLOnOffChar(&L, "b", '!', false);
  EXPECT_EQ(Of(&L), (Lines{"abc", "a", "ab!c", "zzz"}));
  EXPECT_TRUE(boxes.Shown().empty());

  TStringList empty;
  SLOnOffChar(nullptr, "a", '!', true);
  SLOnOffChar(&empty, "a", '!', true);
  SLOnOffChar(&L, "q", '!', true);
  Lines texts;
  for (const auto& box : boxes.Shown()) texts.push_back(box.text);
  EXPECT_EQ(texts, (Lines{"cvStr.SLOnOffChar ERR: SL Not Assigned!",
                          "cvStr.SLOnOffChar ERR: SL.Count=0!",
                          "cvStr.SLOnOffChar ERR: не найдена подстрока <q>!"_cp}));
  EXPECT_EQ(Of(&L), (Lines{"abc", "a", "ab!c", "zzz"}));
}

TEST(StringLists, NumberArraysAsText) {
  TARe A = {7, 7};
  StrToARe("1 2.5 -3", A);
  EXPECT_EQ(A, (TARe{0, 1, 2.5, -3}));
  StrToARe("1 x", A);
  EXPECT_TRUE(A.empty());
  StrToARe("   ", A);
  EXPECT_EQ(A, (TARe{0}));

  TARe v = {0, 1, 2, 3};
  std::string s;
  AReToStr(v, 3, s);
  EXPECT_EQ(s, "1 2 3");
  EXPECT_EQ(AReToStr(TARe{0}, 3), "");
  AReToStrN(v, 2, 3, s);
  EXPECT_EQ(s, "1 2 ...");
  EXPECT_EQ(AReToStrN(v, 5, 3), "1 2 3");
  EXPECT_EQ(AReToStrN(v, 0, 3), "1 ...");  // the first value is always written
  EXPECT_EQ(AReToStrN(TARe{}, 2, 3), "");
  AInToStr(TAIn{0, 4, -5, 6}, s);
  EXPECT_EQ(s, "4 -5 6");

  EXPECT_EQ(Of(PointsToSL(TPointsArray{{1, 2}}, 1)), (Lines{"1.0 2.0"}));
  EXPECT_EQ(Of(PointsToSL(TPointsArray{{0.5, -1}, {3, 4.25}}, 2)),
            (Lines{"0.50 -1.00", "3.00 4.25"}));
  EXPECT_EQ(Of(PointsToSL(TPointsArray{}, 2)), Lines{});
}

TEST(StringLists, NumberSequences) {
  struct Case {
    int n;
    double step, to, from;
    std::string want;
  } cases[] = {
      {3, 1, 5, 1, "1 2 3 4 5"},
      {3, 2, 6, 1, "1 3 5"},
      {6, 0.25, 1, 0, "0 0.25 0.5 0.75 1"},
      {4, 0.1, 1, 0, "0 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1"},  // 1 is not repeated
      {3, -1, 1, 3, "3 2 1"},
      {3, 1, 1, 1, "1"},
      {3, 0, 5, 7, "7"},  // no step: the start alone
  };
  for (const auto& c : cases)
    EXPECT_EQ(SeqToStr(c.n, c.step, c.to, c.from), c.want) << c.from << " " << c.to;

  std::string huge = SeqToStr(3, 1e-9, 1, 0);  // bounded
  int words = 1;
  for (char ch : huge) words += ch == ' ';
  EXPECT_EQ(words, SeqMaxValues);
}

TEST(StringLists, ExpandSeqBrackets) {
  const std::string three = "ОШИБКА! В конструкции "_cp;
  struct Case {
    std::string in, want, err;
  } cases[] = {
      {"a (1 3 1) b", "a  1 2 3  b", ""},
      {"(0 1 0.25)", " 0 0.25 0.5 0.75 1 ", ""},
      {"v=(5 1 -2) (x<2)", "v= 5 3 1  (x<2)", ""},
      {"(x<2) (1 2 1)", "(x<2)  1 2 ", ""},
      // a group shorter after expansion must not hide the next one
      {"(1 1.5 5)(1 3 1)", " 1  1 2 3 ", ""},
      {"(1 2)", "(1 2)", three + "1 2 должно быть три числа!"_cp},
      {"(3 1 1)", "(3 1 1)", "В конструкции 3 1 1 ошибка в знаках чисел!"_cp},
      {"(1 2 0)", "(1 2 0)", "В конструкции 1 2 0 ошибка в знаках чисел!"_cp},
      // after an error nothing more is replaced; the last error is kept
      {"(1 2) (1 3 1) (a b c)", "(1 2) (1 3 1) (a b c)", three + "a b c должно быть три числа!"_cp},
      {"(1 3 1) (1 2)", " 1 2 3  (1 2)", three + "1 2 должно быть три числа!"_cp},
      {"no groups ) (", "no groups ) (", ""},
  };
  for (const auto& c : cases) {
    std::string err = "old", result;
    ExpandSeqBrackets(c.in, err, result);
    EXPECT_EQ(result, c.want) << c.in;
    EXPECT_EQ(err, c.err) << c.in;
  }
}
