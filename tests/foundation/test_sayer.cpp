#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

#include "foundation/cvClock.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvWarnOnceCapture.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Cursor.h"
#include "platform/MsgBox.h"
#include "support/TestSupport.h"

using platform::MsgButtons;
using platform::MsgResult;

namespace {

struct Said {
  std::string text, caption;
  bool operator==(const Said&) const = default;
};

std::vector<std::string> FileLines(const std::string& name) {
  std::string all = testsupport::ReadFile(name);
  std::vector<std::string> lines;
  size_t p = 0;
  while (p < all.size()) {
    size_t e = all.find('\n', p);
    if (e == std::string::npos) e = all.size();
    lines.push_back(all.substr(p, e - p));
    p = e + 1;
  }
  return lines;
}

// A fresh sink with scripted boxes and a recording hook (the hook itself is switched on by tests).
class SayerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSayerForTests(); }
  void TearDown() override { ResetSayerForTests(); }

  void RecordHook() {
    Sayer->SetHook([this](const std::string& t, const std::string& c) { hooked.push_back({t, c}); });
  }
  std::string OpenLogFile(const std::string& name = "run.log") {
    std::string f = dir.file(name);
    Sayer->OpenLog(f);
    EXPECT_TRUE(Sayer->qLog);
    return f;
  }

  platform::ScriptedMsgBoxes boxes;
  std::vector<Said> hooked;
  testsupport::TempDir dir;
  const std::string warnCaption = "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp;
  const std::string repeatCaption = "ПОДАВИТЬ ДАЛЕЕ ПОВТОРНЫЙ ВЫВОД?"_cp;
};

}  // namespace

TEST_F(SayerTest, StartsWithEveryOutputOff) {
  EXPECT_FALSE(Sayer->qActive || Sayer->qBoxes || Sayer->qLog || Sayer->qHook || Sayer->qWarn);
  EXPECT_EQ(Sayer->Serial, 0);
  WARNAbs("nowhere");
  Sayer->Say("x", "y");
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_TRUE(Sayer->LastText.empty());
}

TEST_F(SayerTest, LogLinePrefixAndSerialWrap) {
  std::string f = OpenLogFile();
  Sayer->PrefixOn();
  Sayer->Serial = 99998;
  Sayer->Say("first", "cap");
  Sayer->Say("second", "cap");
  Sayer->WriteLine("third");
  Sayer->WriteLine("");
  Sayer->CloseLog();
  auto lines = FileLines(f);
  ASSERT_EQ(lines.size(), 4u);
  const std::regex prefix(R"(#(\d{5}) T=([01]\d|2[0-3])[0-5]\d[0-5]\d\.\d{3}\| (.*))");
  const char* serials[] = {"99999", "00000", "00001", "00002"};
  const char* texts[] = {"first", "second", "third", ""};
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, prefix));
    EXPECT_EQ(m[1].str(), serials[i]);
    EXPECT_EQ(m[3].str(), texts[i]);
    EXPECT_EQ(lines[i].find("| "), 19u);  // the prefix is 19 characters
  }
  EXPECT_EQ(Sayer->Serial, 2);
}

TEST_F(SayerTest, LogLineCaptionAndUtf8) {
  std::string f = OpenLogFile();
  Sayer->Say("plain", "Cap");                  // no caption while qCaption is off
  Sayer->CaptionOn();
  Sayer->Say("Текст"_cp, "Заголовок:"_cp);     // caption and text without a separator
  Sayer->Say("only text", "");
  Sayer->Say("", "");                          // an empty line is not written
  Sayer->CloseLog();
  EXPECT_EQ(testsupport::ReadFile(f), "plain\nЗаголовок:Текст\nonly text\n");
}

TEST_F(SayerTest, OpenLogKeepsSameFileAndAppends) {
  std::string f = dir.file("keep.log");
  testsupport::WriteFile(f, "old\n");
  Sayer->OpenLog(f);
  ASSERT_TRUE(Sayer->qLog);
  EXPECT_TRUE(Sayer->qActive);
  Sayer->Say("one", "");
  Sayer->OpenLog(f);  // same name: stays open, not truncated
  EXPECT_TRUE(Sayer->qLog);
  Sayer->Say("two", "");
  Sayer->Flush();
  EXPECT_EQ(testsupport::ReadFile(f), "old\none\ntwo\n");

  std::string g = dir.file("other.log");
  Sayer->OpenLog(g);  // another name closes the first
  Sayer->Say("three", "");
  Sayer->OpenLog("");  // empty name only closes
  EXPECT_FALSE(Sayer->qLog);
  EXPECT_FALSE(Sayer->qActive);
  Sayer->Say("lost", "");
  EXPECT_EQ(testsupport::ReadFile(f), "old\none\ntwo\n");
  EXPECT_EQ(testsupport::ReadFile(g), "three\n");

  Sayer->OpenLog(dir.file("no/such/folder/x.log"));  // not reported, log stays off
  EXPECT_FALSE(Sayer->qLog);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SayerTest, WarnAbsRepeatSuppressionWithBoxes) {
  Sayer->BoxesOn();
  auto countRepeats = [&] {
    int n = 0;
    for (const auto& b : boxes.Shown()) n += b.caption == repeatCaption;
    return n;
  };

  WARNAbs("A");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "A");
  EXPECT_EQ(boxes.Shown()[0].caption, warnCaption);
  EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::Ok);

  boxes.Answer(MsgResult::No);  // No: the repeat is shown again
  WARNAbs("A");
  ASSERT_EQ(boxes.Shown().size(), 3u);
  EXPECT_EQ(boxes.Shown()[1].caption, repeatCaption);
  EXPECT_EQ(boxes.Shown()[1].buttons, MsgButtons::YesNo);
  EXPECT_EQ(boxes.Shown()[1].text, "Повторное возникновение ошибки:"_cp + "\n\r\n\rA");
  EXPECT_EQ(boxes.Shown()[2].text, "A");

  boxes.Answer(MsgResult::Yes);  // Yes: suppressed from now on
  WARNAbs("A");
  EXPECT_EQ(boxes.Shown().size(), 4u);
  EXPECT_FALSE(WarnRepeatOn);
  WARNAbs("A");
  WARNAbs("A");
  EXPECT_EQ(boxes.Shown().size(), 4u);
  EXPECT_EQ(countRepeats(), 2);

  WARNAbs("B");  // another text in between makes A new again
  WARNAbs("A");
  ASSERT_EQ(boxes.Shown().size(), 6u);
  EXPECT_EQ(boxes.Shown()[4].text, "B");
  EXPECT_EQ(boxes.Shown()[5].text, "A");
  EXPECT_TRUE(WarnRepeatOn);
}

TEST_F(SayerTest, WarnAbsRoutes) {
  struct Case {
    bool boxes, log, hook;
    std::vector<Said> hookGets;  // for two calls with the same text
    size_t boxesShown;
  };
  const Case cases[] = {
      {false, false, true, {{"WARN:T", ""}, {"WARN:T", ""}}, 0},
      {false, true, true, {{"T", "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp}, {"T", "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp}}, 0},
      {true, false, true, {{"T", "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp}, {"T", "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp}}, 3},
      {false, false, false, {}, 0},
  };
  int k = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(k);
    ResetSayerForTests();
    boxes.Clear();
    hooked.clear();
    if (c.boxes) Sayer->BoxesOn();
    if (c.log) OpenLogFile("w" + std::to_string(k) + ".log");
    if (c.hook) RecordHook();
    WARNAbs("T");
    WARNAbs("T");  // boxes off: no question, shown again
    EXPECT_EQ(hooked, c.hookGets);
    EXPECT_EQ(boxes.Shown().size(), c.boxesShown);
    EXPECT_EQ(WarnLastText, "T");
    ++k;
  }
}

TEST_F(SayerTest, WarnFollowsWarningSwitch) {
  RecordHook();
  WARN("hidden");
  EXPECT_TRUE(hooked.empty());
  Sayer->WarnOn();
  WARN("shown");
  EXPECT_EQ(hooked, (std::vector<Said>{{"shown", "Предупреждение или напоминание"_cp}}));

  hooked.clear();
  WARNSL(nullptr);
  WARNAbsSL(nullptr);
  TStringList two{"a", "b"};
  WARNSL(&two);
  WARNAbsSL(&two);
  EXPECT_EQ(hooked, (std::vector<Said>{
                        {"Err: StringList, переданный в процедуру WARN не создан!"_cp,
                         "Предупреждение или напоминание"_cp},
                        {"WARN:Err: StringList, переданный в процедуру WARNAbs не создан!"_cp, ""},
                        {"a\r\nb", "Предупреждение или напоминание"_cp},
                        {"WARN:a\r\nb", ""}}));
}

TEST_F(SayerTest, WarnOnceShowsAKeyOnce) {
  RecordHook();
  Sayer->WarnOn();
  WARNOnce("K2", "first");
  WARNOnce("K2", "second");
  WARNOnce("K1", "third");
  EXPECT_EQ(hooked, (std::vector<Said>{{"WARN:K2#first", ""},
                                       {"K2#second", "Предупреждение или напоминание"_cp},
                                       {"WARN:K1#third", ""}}));
  ASSERT_NE(WarnOnceKeys, nullptr);
  EXPECT_EQ(WarnOnceKeys->Lines(), (std::vector<std::string>{"K1", "K2"}));
  ResetSayerForTests();
  EXPECT_EQ(WarnOnceKeys, nullptr);
}

// On a worker the calls are kept with the distinct warnings its job held before each, and told
// nothing; told later on the run's thread, the first in that order is the one shown.
TEST_F(SayerTest, WarnOnceKeptOnAWorkerAndToldLater) {
  std::vector<TWarnOnceCall> kept;
  TJob worker("worker");
  std::thread t([&] {
    TJobScope scope(worker);
    CaptureWarnOnce(&kept);
    WARNAbs("a");
    WARNOnce("KCAP", "first");
    CaptureWarnOnce(nullptr);
    WARNAbs("b");
  });
  t.join();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].Key, "KCAP");
  EXPECT_EQ(kept[0].Text, "first");
  EXPECT_EQ(kept[0].At, 1);
  ASSERT_EQ(worker.Warnings().size(), 2u);  // "a" and "b" only
  EXPECT_TRUE(WarnOnceKeys == nullptr || WarnOnceKeys->IndexOf("KCAP") < 0);
  TJob run("run");
  {
    TJobScope scope(run);
    WARNOnce(kept[0].Key, kept[0].Text);
    WARNOnce("KCAP", "second");  // seen: only while warnings are on
  }
  ASSERT_EQ(run.Warnings().size(), 1u);
  EXPECT_EQ(run.Warnings()[0].Text, "KCAP#first");
}

TEST_F(SayerTest, AskYesNoAndSayHook) {
  boxes.Answer(MsgResult::Yes);
  EXPECT_TRUE(AskYesNo("go?"));
  EXPECT_FALSE(AskYesNo("again?"));  // empty queue answers No
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].caption, "ВЫПОЛНИТЬ?"_cp);
  EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::YesNo);

  std::string f = OpenLogFile();
  Sayer->BoxesOn();
  boxes.Clear();
  RecordHook();
  SayHook("h", "c");  // callback only: no box, no log line
  EXPECT_EQ(hooked, (std::vector<Said>{{"h", "c"}}));
  EXPECT_TRUE(boxes.Shown().empty());
  Sayer->CloseLog();
  EXPECT_EQ(testsupport::ReadFile(f), "");
}

TEST_F(SayerTest, ChanLogChannelsAndNumbers) {
  struct Case {
    int32_t mask;
    int n;
    bool chanNum;
    const char* expected;  // nullptr: nothing written
  };
  const Case cases[] = {
      {0, -1, false, "text"},
      {-1, 40, false, nullptr},  // bits above 31 count as off
      {-1, 32, true, nullptr},
      {0, 3, false, nullptr},
      {1 << 3, 3, true, " 3:text"},
      {1 << 12, 12, true, "12:text"},
      {INT32_MIN, 31, true, "31:text"},
      {1 << 5, 5, false, "text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    ResetSayerForTests();
    hooked.clear();
    boxes.Clear();
    std::string f = OpenLogFile("chan" + std::to_string(c.n) + std::to_string(c.mask) + ".log");
    Sayer->BoxesOn();  // channel lines never open a box
    Sayer->CaptionOn();
    RecordHook();
    TraceMask = c.mask;
    Sayer->qChanNum = c.chanNum;
    Sayer->ChanLog(c.n, "text");
    Sayer->CloseLog();
    EXPECT_TRUE(boxes.Shown().empty());
    if (c.expected) {
      EXPECT_EQ(hooked, (std::vector<Said>{{c.expected, ""}}));
      EXPECT_EQ(testsupport::ReadFile(f), std::string(c.expected) + "\n");
    } else {
      EXPECT_TRUE(hooked.empty());
      EXPECT_EQ(testsupport::ReadFile(f), "");
    }
  }
}

TEST_F(SayerTest, ChanAppendCollectsForTheNextLine) {
  RecordHook();
  TraceMask = 1 << 2;
  Sayer->ChanAppend(4, "off;");  // channel off: dropped
  Sayer->ChanAppend(2, "a;");
  Sayer->ChanAppend(-1, "b;");
  Sayer->ChanLog(4, "not written");  // keeps the pending text
  Sayer->ChanLog(2, "c");
  Sayer->ChanLog(2, "d");
  EXPECT_EQ(hooked, (std::vector<Said>{{"a;b;c", ""}, {"d", ""}}));
}

TEST_F(SayerTest, StackIOPushPop) {
  EXPECT_EQ(StackIO.pop(), 0);  // empty stack
  EXPECT_EQ(StackIO.Count, 0);
  StackIO.push(5);
  StackIO.push(-1);
  StackIO.push(0x100);
  EXPECT_EQ(StackIO.Count, 3);
  EXPECT_EQ(StackIO.pop(), 0x100);
  EXPECT_EQ(StackIO.pop(), -1);
  EXPECT_EQ(StackIO.pop(), 5);
  EXPECT_EQ(StackIO.pop(), 0);
  EXPECT_EQ(StackIO.Count, 0);
  EXPECT_EQ(StackIO.Slots[0], 0);  // popped slots are zeroed
}

TEST_F(SayerTest, StackIOTracesOnChannelOne) {
  RecordHook();
  StackIO.push(1);  // channel 1 off: not traced
  TraceMask = 2;
  StackIO.push(5);
  TraceMask = StackIO.pop();  // traced under the mask in force during the pop
  StackIO.pop();              // mask 5: channel 1 off again
  TraceMask = 2;
  StackIO.pop();              // empty stack: 0, traced as usual
  EXPECT_EQ(hooked, (std::vector<Said>{
                        {"StackIO.push >> (2)=00000000 00000000 00000000 00000101 0 2", ""},
                        {"StackIO.pop << (1)=00000000 00000000 00000000 00000101 0 2", ""},
                        {"StackIO.pop << (0)=00000000 00000000 00000000 00000000 ", ""}}));
}

TEST_F(SayerTest, StackIORefusesPushBeyond200) {
  RecordHook();
  for (int i = 1; i <= 200; ++i) StackIO.push(i);
  EXPECT_EQ(StackIO.Count, 200);
  EXPECT_TRUE(hooked.empty());
  StackIO.push(777);
  EXPECT_EQ(StackIO.Count, 200);
  ASSERT_EQ(hooked.size(), 1u);
  EXPECT_NE(hooked[0].text.find("StackIO"), std::string::npos);
  EXPECT_NE(hooked[0].text.find("200"), std::string::npos);
  EXPECT_EQ(StackIO.pop(), 200);
  EXPECT_EQ(StackIO.Count, 199);
}

TEST_F(SayerTest, CursorStack) {
  std::vector<platform::TCursor> applied;
  auto prev = platform::SetCursorService([&](platform::TCursor c) { applied.push_back(c); });
  PopCursor();  // empty stack: default cursor
  EXPECT_EQ(platform::CurrentCursor(), platform::crDefault);
  PushCursor(platform::crHourGlass);
  PushCursor(platform::crCross);
  EXPECT_EQ(CursorStackDepth(), 2);
  PopCursor();
  EXPECT_EQ(platform::CurrentCursor(), platform::crHourGlass);
  PopCursor();
  EXPECT_EQ(platform::CurrentCursor(), platform::crDefault);
  EXPECT_EQ(applied, (std::vector<platform::TCursor>{platform::crDefault, platform::crHourGlass,
                                                     platform::crCross, platform::crHourGlass,
                                                     platform::crDefault}));
  platform::SetCursorService(std::move(prev));
}

TEST_F(SayerTest, ErrAbsRestoresCursorAndThrows) {
  PushCursor(platform::crHourGlass);
  try {
    ErrAbs("boom");
    FAIL() << "ErrAbs returned";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "ErrAbs: boom\r\n");
  }
  EXPECT_EQ(platform::CurrentCursor(), platform::crDefault);
  EXPECT_EQ(CursorStackDepth(), 0);
}

TEST(SayerBits, IntegerAndByteBits) {
  struct Case {
    int32_t v;
    int n;
    bool set;
  };
  const Case cases[] = {{1, 0, true},     {1, 1, false},  {INT32_MIN, 31, true}, {-1, 32, false},
                        {-1, -1, false},  {0x40, 6, true}, {0x40, 7, false}};
  for (const auto& c : cases) EXPECT_EQ(IsBitSet(c.v, c.n), c.set) << c.v << " bit " << c.n;
  EXPECT_TRUE(ChanOn(-1) == false);

  EXPECT_TRUE(IsByteBitSet(0x80, 7));
  EXPECT_FALSE(IsByteBitSet(0xFF, 8));
  EXPECT_FALSE(IsByteBitSet(0xFF, -1));
  uint8_t b = 0;
  SetByteBit(b, 3);
  SetByteBit(b, 8);  // unchanged
  SetByteBit(b, -2);
  EXPECT_EQ(b, 0x08);
  ClearByteBit(b, 3);
  EXPECT_EQ(b, 0);

  EXPECT_TRUE(InRangeInt(5, 5, 7));
  EXPECT_TRUE(InRangeInt(7, 5, 7));
  EXPECT_FALSE(InRangeInt(8, 5, 7));
  EXPECT_FALSE(InRangeInt(0, 1, -1));
}

TEST(SayerBits, ByteArrayBits) {
  std::vector<uint8_t> bytes(3, 0);
  SetArrBit(bytes, 0);
  SetArrBit(bytes, 9);
  SetArrBit(bytes, 23);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x01, 0x02, 0x80}));
  SetArrBit(bytes, 24);  // beyond the array: nothing
  SetArrBit(bytes, -1);
  ClearArrBit(bytes, 9);
  ClearArrBit(bytes, 1000);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x01, 0x00, 0x80}));
}

TEST(SayerFormat, Texts) {
  const uint8_t le[] = {0x34, 0x12};
  EXPECT_EQ(BufToHex(le, 3), "234");
  EXPECT_EQ(BufToHex(le, 4), "1234");
  const uint32_t handle = 0x00A1B2C3;
  EXPECT_EQ(BufToHex(&handle, 8), "00A1B2C3");

  EXPECT_EQ(Int64Str(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(Int64Str(42), "42");
  EXPECT_EQ(ZeroPadInt(7, 5), "00007");
  EXPECT_EQ(ZeroPadInt(123456, 5), "123456");

  EXPECT_EQ(MsToStampS(3723004), "010203.004");
  EXPECT_EQ(MsToStampS(2 * 86400000u + 3723004), "010203.004");  // the day after: never 24+
  EXPECT_EQ(MsToStampS(86400000u - 1), "235959.999");
  EXPECT_EQ(MsToStampS(0), "000000.000");
}

TEST(SayerClock, FollowsTheLocalTimeOfDay) {
  SayerClockInit();
  uint32_t a = SayerMsClock();
  EXPECT_GE(a, platform::MsCounter() - 1);
  EXPECT_TRUE(std::regex_match(NowMsStampS(), std::regex(R"(([01]\d|2[0-3])[0-5]\d[0-5]\d\.\d{3})")));
  // The sink's clock and the clock unit agree on the time of day.
  ResyncMsClock();
  // The two offsets may differ by whole days and by the milliseconds between the two readings.
  int64_t d = static_cast<int32_t>(MsClock() - SayerMsClock()) % 86400000;
  if (d < 0) d += 86400000;
  EXPECT_TRUE(d < 2000 || d > 86400000 - 2000) << d;
}
