// One level-1 file: header length, keys, decoding of the cube, and the refusals of files the
// decoding cannot handle (one message naming the file, nothing else lost).
#include <gtest/gtest.h>

#include "foundation/cvJob.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/support/ScanFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

using scantest::Level1Cards;
using scantest::TFile;

class FitsTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  testsupport::SinkRecorder rec;
  TLFITS scan;

  // A scan folder (linked, no references yet) holding the one file.
  TFITS& Read(const TFile& F, const std::string& Name = "SP3D_a.fits") {
    scantest::Write(dir.file(Name), F);
    scan.Path_Name = dir.str();
    scan.kStep = 1;
    file.Link(0, &scan);
    file.ReadHeader(dir.str(), Name);
    return file;
  }
  TFITS file;
};

TEST_F(FitsTest, HeaderLengthCountsBlankCardsAndRoundsToBlocks) {
  struct Case {
    int EndAt;       // card number of END
    int BlankAfter;  // blank cards after END before the data
    int64_t nbH0;
  };
  for (const Case c : {Case{36, 0, 2880}, Case{37, 35, 5760}, Case{40, 0, 5760}}) {
    TFile f;
    f.Cards = Level1Cards(2);
    f.Cards.resize(6);  // SIMPLE .. NAXIS3
    while (static_cast<int>(f.Cards.size()) < c.EndAt - 1)
      f.Cards.push_back(FITCardI("PAD" + std::to_string(f.Cards.size()), 1, ""));
    f.PadHeader = false;
    f.Words = scantest::PlainWords(2);
    f.Cards.push_back(FITEndCard());
    f.End = false;
    for (int i = 0; i < c.BlankAfter; ++i) f.Cards.push_back(FITBlankCard());
    TFITS& r = Read(f, "SP3D_" + std::to_string(c.EndAt) + ".fits");
    EXPECT_TRUE(r.Bit(1)) << c.EndAt;
    EXPECT_EQ(r.nCards, c.EndAt);
    EXPECT_EQ(r.nbH0, c.nbH0) << c.EndAt;
    file.Clear();
  }
}

TEST_F(FitsTest, DecodesSignedScaledWords) {
  // per SPBSHFT: the factor of I, Q, U, V
  const int k[4][5] = {{0, 1, 1, 1, 1}, {0, 2, 1, 1, 1}, {0, 2, 1, 1, 2}, {0, 2, 2, 2, 2}};
  const uint16_t raw[] = {0, 1, 32767, 32768, 32769, 65535};
  for (int sh = 0; sh <= 3; ++sh) {
    TFile f;
    f.Cards = Level1Cards(2, sh);
    f.Words = scantest::PlainWords(2);
    for (int s = 0; s < 4; ++s)
      for (int i = 0; i < 6; ++i) f.Words[static_cast<size_t>(s) * 224 + 112 + i] = raw[i];
    TFITS& r = Read(f, "SP3D_" + std::to_string(sh) + ".fits");
    ASSERT_TRUE(r.LoadData());
    for (int s = 1; s <= 4; ++s) {
      TAIn out;
      ASSERT_TRUE(r.GetCol3(2, s, out));
      ASSERT_EQ(out.size(), 113u);
      EXPECT_EQ(out[0], 0);
      for (int i = 0; i < 6; ++i) {
        const int32_t v = s == 1 || raw[i] < 32769 ? raw[i] : raw[i] - 65536;
        EXPECT_EQ(out[static_cast<size_t>(i) + 1], k[sh][s] * v) << "sh=" << sh << " s=" << s;
      }
    }
    file.Clear();
  }
  EXPECT_TRUE(rec.texts.empty()) << rec.texts.front();
}

TEST_F(FitsTest, StokesOnTheFourthAxisReadsAsThird) {
  TFile f;
  f.Cards = Level1Cards(2);
  scantest::SetCard(f.Cards, "NAXIS", FITCardI("NAXIS", 4, ""));
  scantest::SetCard(f.Cards, "NAXIS3", FITCardI("NAXIS3", 1, ""));
  f.Cards.insert(f.Cards.begin() + 6, FITCardI("NAXIS4", 4, ""));
  f.Words = scantest::PlainWords(2);
  TFITS& r = Read(f);
  ASSERT_TRUE(r.Bit(1));
  EXPECT_EQ(r.NAXIS3, 4);
  EXPECT_EQ(r.NAXIS4, 1);
  ASSERT_TRUE(r.LoadData());
  TAIn v;
  ASSERT_TRUE(r.GetCol3(1, 4, v));
  EXPECT_EQ(v[1], 0x1234 + 3);
}

TEST_F(FitsTest, PixelOutsideTheSlitLeavesTheArray) {
  TFile f;
  f.Cards = Level1Cards(2);
  f.Words = scantest::PlainWords(2);
  TFITS& r = Read(f);
  ASSERT_TRUE(r.LoadData());
  TAIn out{7};
  EXPECT_FALSE(r.GetCol3(0, 1, out));
  EXPECT_FALSE(r.GetCol3(3, 1, out));
  EXPECT_EQ(out, TAIn{7});
  EXPECT_TRUE(rec.Has("TFITS.GetCol1 ERR: i2=3 Not in [1..2]"));
}

// Files the decoding cannot handle: one message that names the file and what is wrong; the
// header stage stays clear and the file is marked failed.
TEST_F(FitsTest, RefusesFilesItCannotDecode) {
  struct Case {
    const char* Name;
    const char* Key;
    std::string Card;
    const char* Says;
  };
  const Case cases[] = {
      {"bitpix", "BITPIX", FITCardI("BITPIX", 8, ""), "BITPIX=8"},
      {"naxis", "NAXIS", FITCardI("NAXIS", 2, ""), "NAXIS=2"},
      {"naxis1", "NAXIS1", FITCardI("NAXIS1", 100, ""), "NAXIS1=100"},
      {"stokes", "NAXIS3", FITCardI("NAXIS3", 3, ""), "NAXIS3=3"},
      {"huge", "NAXIS2", FITCardI("NAXIS2", 12000, ""), "LData=10752000"},
  };
  for (const Case& c : cases) {
    rec.texts.clear();
    TFile f;
    f.Cards = Level1Cards(2);
    scantest::SetCard(f.Cards, c.Key, c.Card);
    f.Words = scantest::PlainWords(2);
    const std::string name = std::string("SP3D_") + c.Name + ".fits";
    TFITS& r = Read(f, name);
    EXPECT_FALSE(r.Bit(1)) << c.Name;
    EXPECT_TRUE(r.Failed) << c.Name;
    ASSERT_EQ(rec.texts.size(), 1u) << c.Name;
    EXPECT_NE(rec.texts[0].find(name), std::string::npos) << rec.texts[0];
    EXPECT_NE(rec.texts[0].find(c.Says), std::string::npos) << rec.texts[0];
    file.Clear();
  }
}

TEST_F(FitsTest, HeaderWithoutEndOrCutShortIsRefused) {
  TFile noEnd;
  noEnd.End = false;
  noEnd.PadHeader = false;
  for (int i = 0; i < 700; ++i) noEnd.Cards.push_back(FITCardI("K" + std::to_string(i), i, ""));
  TFITS& a = Read(noEnd, "SP3D_noend.fits");
  EXPECT_FALSE(a.Bit(1));
  EXPECT_TRUE(rec.Has("END"));
  EXPECT_TRUE(rec.Has("SP3D_noend.fits"));
  file.Clear();

  rec.texts.clear();
  TFile cut;
  cut.Cards = Level1Cards(2);
  cut.CutAt = 80 * 10 + 17;
  TFITS& b = Read(cut, "SP3D_cut.fits");
  EXPECT_FALSE(b.Bit(1));
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("SP3D_cut.fits"), std::string::npos);
  EXPECT_NE(rec.texts[0].find("at byte 800"), std::string::npos) << rec.texts[0];
}

TEST_F(FitsTest, RereadAfterAFailureStartsFromAnEmptyList) {
  TFile cut;
  cut.Cards = Level1Cards(2);
  cut.CutAt = 80 * 5;
  TFITS& r = Read(cut, "SP3D_x.fits");
  ASSERT_FALSE(r.Bit(1));
  TFile good;
  good.Cards = Level1Cards(2);
  scantest::SetCard(good.Cards, "EXPTIME", FITCardRF("EXPTIME", 6, "", 9.5));
  good.Words = scantest::PlainWords(2);
  scantest::Write(dir.file("SP3D_x.fits"), good);
  r.ReadHeader(dir.str(), "SP3D_x.fits");
  ASSERT_TRUE(r.Bit(1));
  EXPECT_EQ(r.nCards, static_cast<int32_t>(good.Cards.size()) + 1);
  EXPECT_EQ(r.HSL->Count(), r.nCards);
  EXPECT_EQ(r.EXPTIME, 9.5);
}

TEST_F(FitsTest, TruncatedDataIsNotKept) {
  TFile f;
  f.Cards = Level1Cards(4);
  f.Words = scantest::PlainWords(4);
  f.CutAt = 5760 + 1000;  // 40 cards: the data begin at 5760
  TFITS& r = Read(f, "SP3D_short.fits");
  ASSERT_TRUE(r.Bit(1));
  rec.texts.clear();
  EXPECT_FALSE(r.LoadData());
  EXPECT_FALSE(r.Bit(2));
  EXPECT_TRUE(r.Failed);
  EXPECT_TRUE(r.aData.empty());
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("SP3D_short.fits"), std::string::npos);
  EXPECT_NE(rec.texts[0].find("nbH0=5760 LData=3584"), std::string::npos) << rec.texts[0];
}

TEST_F(FitsTest, MissingKeysWarnAndNameIsChecked) {
  TFile f;
  f.Cards = Level1Cards(2);
  scantest::DropCard(f.Cards, "EXPTIME");
  f.Words = scantest::PlainWords(2);
  TFITS& r = Read(f);
  EXPECT_TRUE(r.Bit(1));
  EXPECT_TRUE(rec.Has("TFITS.GetKeyR WARNING: Key <EXPTIME> Not Found!"));
  file.Clear();
  rec.texts.clear();
  TFITS& n = Read(f, "XX_a.fits");
  EXPECT_FALSE(n.Bit(1));
  EXPECT_TRUE(rec.Has("FITS.ReadHeader-ERR: sFN <> SP3D"));
}

}  // namespace
