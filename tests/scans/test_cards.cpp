// Header cards: the layout the builders give, how a card is taken apart, lookups, editing and
// writing a header block; astropy reads our cards back unchanged.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "foundation/cvStrList.h"
#include "scans/cvFitsCard.h"
#include "scans/support/ScanFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

TEST(Cards, BuildersLayOutTheFields) {
  const std::string naxis = FITCardI("NAXIS", 0, "");
  EXPECT_EQ(naxis, "NAXIS   = " + std::string(19, ' ') + "0 / " + std::string(47, ' '));
  const std::string x = FITCardQ("XTENSION", "IMAGE", "IMAGE extension");
  EXPECT_EQ(x.substr(10, 10), "'IMAGE   '");
  EXPECT_EQ(x.substr(20, 13), std::string(10, ' ') + " / ");
  EXPECT_EQ(x.substr(33, 15), "IMAGE extension");
  const std::string t25 = "abcdefghijklmnopqrstuvwxy";
  EXPECT_EQ(FITCardStr("K", t25, "c").substr(10, 20), t25.substr(0, 20));
  const std::string q = FITCardQ("K", t25, "c");
  EXPECT_EQ(CardValue(q), t25);
  EXPECT_EQ(CardComment(q), "c");
  for (const std::string& c : {naxis, x}) EXPECT_EQ(c.size(), 80u);
}

TEST(Cards, ValuesAndCommentsComeApart) {
  const std::string e = FITCardStr("EXTNAME", "CONT", "CV: Continuum Intensity");
  EXPECT_EQ(CardValue(e), "CONT");
  EXPECT_EQ(CardComment(e), "CV: Continuum Intensity");
  // a slash inside columns 10..31 survives; beyond them the value is cut at its first slash
  EXPECT_EQ(CardValue("DATE    = '2019/06/22'           / date"), "2019/06/22");
  EXPECT_EQ(CardValue("LONG    = 'abcdefghijklmnopqrstuvwx/yz' / c"), "'abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(CardValue("Q       = 'it''s'" + std::string(13, ' ') + " / c"), "it's");
  // a real in exponent form carries its exponent letter (a standard reader needs it)
  EXPECT_EQ(CardValue(FITCardRF("SMALL", 6, "", 1.25e-7)), "1.25000E-07");
  EXPECT_EQ(CardValue("COMMENT no value here"), "");
}

TEST(Cards, LookupsMatchTheWholeKeyWithCase) {
  testsupport::SinkRecorder rec;
  TStringList L{FITCardI("NAXIS1", 112, ""), "naxis   =                    3 / ",
                FITCardI("NAXIS", 3, ""), FITEndCard()};
  EXPECT_EQ(GetFITKeyIAll("NAXIS", &L), 3);
  EXPECT_EQ(GetFITKey("NAXIS", &L, 0, 1000), "3");  // i2 lowered to the last card
  EXPECT_EQ(GetFITKeyRDef("NOPE", &L, 7.5), 7.5);
  EXPECT_TRUE(rec.texts.empty());
  EXPECT_EQ(GetFITKeyI("NOPE", &L, 0, 3), 0);
  EXPECT_TRUE(rec.Has("GetFITKeyI WARNING: Key <NOPE> Not Found!"));
  TStringList empty;
  EXPECT_EQ(GetFITKey("NAXIS", &empty, 0, 5), "");
  EXPECT_TRUE(rec.Has("GetFITKeyS80 ERROR"));
}

TEST(Cards, SetKeyInsertsBeforeEndAndReportsChanges) {
  testsupport::SinkRecorder rec;
  TStringList L{FITCardStr("SIMPLE", "T", ""), FITEndCard()};
  bool changed = false;
  const std::string cb0 = FITCardRF("CB0", 6, "", 1.5);
  HeaderReField(&L, "CB0", cb0, changed);
  EXPECT_TRUE(changed);
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L[1], cb0);
  HeaderReField(&L, "CB0", cb0, changed);
  EXPECT_FALSE(changed);
  HeaderReField(&L, "CB0", FITCardRF("CB0", 6, "", 2.5), changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(GetFITKeyRAll("CB0", &L), 2.5);
  HeaderReField(&L, "CB0", cb0 + "x", changed);  // 81 characters: refused
  EXPECT_TRUE(rec.Has("HeaderReField - ERR"));
  HeaderDelKey(&L, "CB0");
  EXPECT_EQ(L.Count(), 2);
}

TEST(Cards, WriteHeaderPadsToWholeBlocks) {
  testsupport::TempDir dir;
  TStringList L;
  for (int i = 0; i < 41; ++i) L.Add(FITCardI("K" + std::to_string(i), i, ""));
  L.Add(FITEndCard());
  L.Add(FITCardStr("AFTER", "1", "") + std::string(20, 'z'));  // after END: blanked
  WriteHeader(dir.file("h.fits"), 0, L);
  EXPECT_EQ(L.Count(), 72);
  std::ifstream f(dir.file("h.fits"), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string b = ss.str();
  ASSERT_EQ(b.size(), 5760u);
  EXPECT_EQ(b.substr(41 * 80, 3), "END");
  EXPECT_EQ(b.substr(42 * 80), std::string(30 * 80, ' '));
}

// astropy reads back every card we build: the value and the comment.
TEST(Cards, AstropyReadsOurCardsUnchanged) {
  if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  testsupport::TempDir dir;
  const std::vector<std::string> cards = {
      FITCardStr("SIMPLE", "T", "conforms"),      FITCardI("NAXIS", 0, ""),
      FITCardI("BIG", -2147483647, "int"),        FITCardRF("CRVAL1", 10, "A", 6302.08),
      FITCardRF("SMALL", 6, "tiny", 1.25e-7),     FITCardRD("CDELT1", 6, "A/px", -0.021549),
      FITCardQ("DATE_OBS", "2019-06-22T16:45:05.000", "start"),
      FITCardQ("SHORT", "ab", ""),                FITCardStr("DATA_LEV", "1", "level")};
  std::string text;
  for (const std::string& c : cards) text += c;
  text += FITEndCard();
  testsupport::WriteFile(dir.file("cards.txt"), text);
  const std::string py =
      "import sys\nfrom astropy.io.fits import Header\n"
      "h = Header.fromstring(open(sys.argv[1]).read())\n"
      "for c in h.cards:\n"
      "    v = c.value\n"
      "    v = ('T' if v else 'F') if isinstance(v, bool) else repr(v) if isinstance(v, float) "
      "else str(v)\n"
      "    print(c.keyword + '|' + v + '|' + c.comment)\n";
  testsupport::WriteFile(dir.file("r.py"), py);
  const std::string cmd =
      "/usr/bin/python3 " + dir.file("r.py") + " " + dir.file("cards.txt") + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  std::istringstream lines(out);
  std::string line;
  size_t i = 0;
  for (; std::getline(lines, line) && i < cards.size(); ++i) {
    const std::string key = CardLookupKey(cards[i]);
    const size_t a = line.find('|'), b = line.find('|', a + 1);
    ASSERT_NE(b, std::string::npos) << out;
    EXPECT_EQ(line.substr(0, a), key);
    const std::string ours = CardValue(cards[i]), theirs = line.substr(a + 1, b - a - 1);
    if (ours.find_first_of(".eE") != std::string::npos && key != "DATE_OBS")
      EXPECT_DOUBLE_EQ(std::stod(ours), std::stod(theirs)) << key;
    else
      EXPECT_EQ(ours, theirs) << key;
    EXPECT_EQ(CardComment(cards[i]), line.substr(b + 1)) << key;
  }
  EXPECT_EQ(i, cards.size()) << out;
}

}  // namespace
