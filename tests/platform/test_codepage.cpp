#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/cvLit.h"
#include "platform/CodePage.h"
#include "platform/MsgBox.h"

using namespace platform;

// Every assigned 1251 byte converts to UTF-8 exactly as iconv does, and back.
TEST(CodePage, AgreesWithIconvOnEveryByte) {
  std::string all;
  // each byte after an ASCII run of its own length, so runs cross 8-byte words
  for (int c = 0x80; c <= 0xFF; ++c)
    if (c != 0x98) all += std::string(static_cast<size_t>(c % 19), 'a') + static_cast<char>(c);
  std::string tmp = "/tmp/cv_cp1251_" + std::to_string(::getpid());
  FILE* f = std::fopen(tmp.c_str(), "wb");
  std::fwrite(all.data(), 1, all.size(), f);
  std::fclose(f);
  FILE* p = ::popen(("iconv -f CP1251 -t UTF-8 " + tmp).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string ref;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) ref.append(buf, n);
  int rc = ::pclose(p);
  std::remove(tmp.c_str());
  if (rc != 0) GTEST_SKIP() << "iconv not available";
  EXPECT_EQ(Cp1251ToUtf8(all), ref);
  EXPECT_EQ(Utf8ToCp1251(ref), all);
}

TEST(CodePage, LiteralsAndTextFiles) {
  std::string s = "Проверка! 123"_cp;
  ASSERT_EQ(s.size(), 13u);  // one byte per character
  EXPECT_EQ(static_cast<unsigned char>(s[0]), 0xCF);  // П
  EXPECT_EQ(Cp1251ToUtf8(s), "Проверка! 123");
  // Valid UTF-8 with non-ASCII is decoded; anything else is already 1251.
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFПроверка! 123"), s);
  EXPECT_EQ(DecodeTextFile(s), s);
  EXPECT_EQ(DecodeTextFile("plain"), "plain");
  EXPECT_EQ(Utf8ToCp1251("日"), "?");
}

TEST(MsgBox, ScriptedBoxesRecordAndAnswer) {
  ScriptedMsgBoxes boxes;
  boxes.Answer(MsgResult::Yes);
  EXPECT_EQ(ShowMsgBox("a", "c", MsgButtons::YesNo), MsgResult::Yes);
  EXPECT_EQ(ShowMsgBox("b", "c", MsgButtons::YesNo), MsgResult::No);
  EXPECT_EQ(ShowMsgBox("c", "c"), MsgResult::Ok);
  ASSERT_EQ(boxes.Shown().size(), 3u);
  EXPECT_EQ(boxes.Shown()[1].text, "b");
}
