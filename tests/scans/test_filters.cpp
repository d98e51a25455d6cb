// Level filters and masks: level texts, the combination counter, the pixel test with inclusive
// bounds, masks (ranges clamped to the maps), the mask stack and the session grid's filter lines.
// (Mask counts against numpy: the map-algebra journey through the harness.)
#include <gtest/gtest.h>

#include <random>

#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "platform/CodePage.h"
#include "scans/cvFIOut.h"
#include "scans/cvFilters.h"
#include "scans/cvScanServices.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"

namespace {

using maptest::MakeMap;

struct TLevels {
  std::vector<double> lo, hi;
};

TLevels Parse(const std::string& Text, bool* Made = nullptr) {
  TFiltList l;
  MakeListFilt(l, "CONT", Text, false, false);
  if (Made) *Made = !l.empty();
  if (l.empty()) return {};
  return {l[0]->ALo, l[0]->AHi};
}

TEST(LevelText, MakeListFiltLevels) {
  struct TCase {
    const char* text;
    bool made;
    std::vector<double> lo, hi;
    const char* report;  // part of the report, or nullptr for none
  };
  const std::vector<TCase> cases = {
      {"10 20 30", true, {10, 20}, {20, 30}, nullptr},
      {"10 20, 5 8", true, {10, 5}, {20, 8}, nullptr},  // the drop after the comma is allowed
      {"10 20, 40 50", true, {10, 40}, {20, 50}, nullptr},
      {"10 5,", true, {10}, {5}, nullptr},  // a group's upper bound is not checked
      {"10 20,", true, {10}, {20}, nullptr},
      {"10 20 30, 25 26", true, {10, 20, 25}, {20, 30, 26}, nullptr},
      {"10 5", false, {}, {}, "должны быть расположены по возрастанию!"},
      {"10 20 20", false, {}, {}, "должны быть расположены по возрастанию!"},
      {"10, 20", false, {}, {}, "MakeListFilt.AddFilt- ошибка в числе <10,> !"},
      {"10 20, 30, 40", false, {}, {}, "в 1-ой мин.границе фильтра <30,> не должно быть запятой!"},
      {"10 x 30", false, {}, {}, "MakeListFilt.AddFilt- ошибка в числе <x> !"},
      {"10", false, {}, {}, nullptr},  // fewer than two words: nothing
  };
  for (const auto& c : cases) {
    testsupport::SinkRecorder rec;
    bool made = false;
    const TLevels l = Parse(c.text, &made);
    EXPECT_EQ(made, c.made) << c.text;
    EXPECT_EQ(l.lo, c.lo) << c.text;
    EXPECT_EQ(l.hi, c.hi) << c.text;
    if (c.report)
      EXPECT_TRUE(rec.Has(platform::Utf8ToCp1251(c.report))) << c.text;
    else
      EXPECT_TRUE(rec.texts.empty()) << c.text << ": " << rec.texts[0];
  }
  // No filter for a blank map name.
  TFiltList l;
  MakeListFilt(l, "  ", "10 20", true, false);
  EXPECT_TRUE(l.empty());
}

TEST(LevelText, CountsLinesAndWords) {
  testsupport::SinkRecorder rec;
  EXPECT_EQ(CountFiltLevels("10 20 30"), 2);
  EXPECT_EQ(CountFiltLevels("10 20, 5 8"), 2);
  EXPECT_EQ(CountFiltLevels("1 2 3, D U"), 3);
  EXPECT_EQ(CountFiltLevels("0"), 0);
  EXPECT_TRUE(rec.texts.empty());
  auto sl = FiltSpecToSL("10 20 30");
  ASSERT_TRUE(sl);
  ASSERT_EQ(sl->Count(), 2);
  EXPECT_EQ((*sl)[0], "10 20");
  EXPECT_EQ((*sl)[1], "20 30");
  EXPECT_EQ(FiltSpecWord("10 20, 5 8", 2), "5 8");
  EXPECT_EQ(FiltSpecWord("10 20, 5 8", 3), " Слово №3 в строке <10 20, 5 8>"_cp);
  EXPECT_FALSE(FiltSpecToSL("0"));
  EXPECT_TRUE(rec.texts.empty());
  // A single number in a field ends the reading: the levels so far, no lines.
  EXPECT_EQ(CountFiltLevels("10 20, 30"), 1);
  EXPECT_TRUE(rec.Has("При задании фильтра должны быть числа парами!\r\n<10 20, 30>"_cp));
  EXPECT_EQ(FiltSpecWord("10 20, 30", 1), "NIL");
  rec.texts.clear();
  EXPECT_EQ(CountFiltLevels("10 2x"), 0);
  EXPECT_TRUE(rec.Has("При задании фильтра <10 2x>\r\nдопущена ошибка в записи числа <2x>"_cp));
  EXPECT_FALSE(FiltSpecToSL("10 2x"));
}

TEST(LevelText, TextsOfLevelsAndCombinations) {
  testsupport::SinkRecorder rec;
  TFiltList l;
  MakeListFilt(l, "CONT", "0.123456789 20 30", false, false);
  MakeListFilt(l, "VLOS", "-1.5 1.5", true, true);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0]->LevelText(0), "[0.123457_20]");
  EXPECT_EQ(FiltListText(l, {1, 0}), "CONT[20%30]NN+VLOS[-1.5%1.5]YY");
  EXPECT_EQ(FiltListText(l, {0, 0}), "CONT[0.12345679%20]NN+VLOS[-1.5%1.5]YY");
  EXPECT_TRUE(rec.texts.empty());
  double lo = 1, hi = 1;
  l[1]->LevelsI(1, lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  EXPECT_TRUE(rec.Has("TsNaFilt.LevelsI запрошен уровень 1+1 их всего 1"_cp));
}

TEST(LevelCounter, MixedRadixSteps) {
  TAIn idx = {0, 0};
  const TAIn lim = {2, 3};
  const std::vector<std::pair<TAIn, int32_t>> steps = {
      {{1, 0}, 0}, {{0, 1}, 1}, {{1, 1}, 0}, {{0, 2}, 1}, {{1, 2}, 0}, {{0, 0}, 2}};
  for (const auto& [want, ret] : steps) {
    EXPECT_EQ(NextLevelIndex(idx, lim), ret);
    EXPECT_EQ(idx, want);
  }
  TAIn empty;
  EXPECT_EQ(NextLevelIndex(empty, {}), 0);
  EXPECT_EQ(ResetLevelIndex(4, lim, idx), 0);
  EXPECT_EQ(idx, (TAIn{1, 1}));
  EXPECT_EQ(ResetLevelIndex(1, lim, idx), 0);
  EXPECT_EQ(idx, (TAIn{0, 0}));
  EXPECT_EQ(ResetLevelIndex(7, lim, idx), 2);  // wrapped
  int32_t a = -1, b = -1, c = -1;
  LevelIndexAtStep(4, 2, 3, 0, a, b, c);
  EXPECT_EQ(std::make_tuple(a, b, c), std::make_tuple(2, 2, 0));
  LevelIndexAtStep(0, 2, 3, 0, a, b, c);
  EXPECT_EQ(std::make_tuple(a, b, c), std::make_tuple(0, 0, 0));
  LevelIndexAtStep(1, 2, 0, 4, a, b, c);
  EXPECT_EQ(std::make_tuple(a, b, c), std::make_tuple(1, 0, 1));
  LevelIndexAtStep(6, 2, 0, 4, a, b, c);  // the absent filter takes no position
  EXPECT_EQ(std::make_tuple(a, b, c), std::make_tuple(2, 0, 3));
}

TEST(Masks, PixelTestBoundsIncluded) {
  testsupport::SinkRecorder rec;
  auto m = maptest::MakeMap("M", 5, 1, [](int x, int) {
    const float v[] = {10, 20, -15, 9.999f, 20.001f};
    return v[x];
  });
  TFiltList l;
  MakeListFilt(l, "M", "10 20", false, false);
  const TFiltMaps maps = {m.get()};
  const std::vector<bool> plain = {true, true, false, false, false};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(FiltPixelPasses(maps, l, {0}, x, 0), plain[x]) << x;
  l[0]->bAbs = true;
  EXPECT_TRUE(FiltPixelPasses(maps, l, {0}, 2, 0));  // |-15| in [10, 20]
  EXPECT_TRUE(rec.texts.empty());
  // Outside the map a pixel fails (no read beyond it).
  EXPECT_FALSE(FiltPixelPasses(maps, l, {0}, 5, 0));
  l[0]->bHist = true;
  EXPECT_TRUE(FiltPixelPasses(maps, l, {0}, 0, 0));
  EXPECT_TRUE(rec.Has("Режим фильтрации по границам на гистограмме (ещё не доделан?)"_cp));
  // The level [10, 5] lets nothing through.
  TFiltList inv;
  MakeListFilt(inv, "M", "10 5,", false, false);
  for (int x = 0; x < 5; ++x) EXPECT_FALSE(FiltPixelPasses(maps, inv, {0}, x, 0));
}

TEST(Masks, MaskOfACombinationAndClampedRanges) {
  ResetScanServices();
  testsupport::SinkRecorder rec;
  EXPECT_EQ(Scans().Filt.State, -1);
  auto a = MakeMap("A", 6, 4, [](int x, int y) { return float(x + 10 * y); });
  auto b = MakeMap("B", 6, 4, [](int x, int) { return float(-x); });
  TFiltList l;
  MakeListFilt(l, "A", "0 10 40", false, false);
  MakeListFilt(l, "B", "1 3, 4 6", true, false);
  const TFiltMaps maps = {a.get(), b.get()};
  TAByBy mask;
  int32_t n = 0;
  // A in [10, 40] and |B| in [4, 6]: x = 4, 5 at y = 1, 2, 3 (y = 1 needs x >= 0: all) ...
  MapFiltMask(true, 6, 4, 0, 5, 0, 3, maps, l, {1, 1}, mask, n);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(Scans().Filt.Text, "A[10%40]NN+B[4%6]YN");
  ASSERT_EQ(mask.size(), 6u);
  ASSERT_EQ(mask[0].size(), 4u);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 4; ++y)
      EXPECT_EQ(mask[x][y], (x >= 4 && y >= 1) ? 1 : 0) << x << "," << y;
  // A sub-range: pixels outside stay 0; without keep the text is emptied.
  MapFiltMask(false, 6, 4, 5, 5, 2, 3, maps, l, {1, 1}, mask, n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(Scans().Filt.Text, "");
  // Ranges beyond the mask and the maps are clamped to them (no read or write outside).
  auto small = MakeMap("S", 3, 2, [](int, int) { return 15.0f; });
  TFiltList one;
  MakeListFilt(one, "S", "10 20", false, false);
  MapFiltMask(false, 6, 4, -5, 100, -1, 100, {small.get()}, one, {0}, mask, n);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(mask.size(), 6u);
  EXPECT_EQ(mask[2][1], 1);
  EXPECT_EQ(mask[3][1], 0);
  MapFiltMask(false, 2, 1, 0, 100, 0, 100, {small.get()}, one, {0}, mask, n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mask.size(), 2u);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts[0];
  ResetScanServices();
}

TEST(Masks, StackOfMasks) {
  std::unique_ptr<TMaskStack> st;
  TAByBy empty, m;
  MaskStackPush(empty, st);
  EXPECT_FALSE(st);
  MaskStackPush(TAByBy{{}}, st);  // an empty first row
  EXPECT_FALSE(st);
  MaskZero(3, 2, m);
  m[1][1] = 1;
  MaskStackPush(m, st);
  m[2][0] = 1;
  MaskStackPush(m, st);
  ASSERT_TRUE(st);
  EXPECT_EQ(st->size(), 2u);
  TAByBy got;
  MaskStackGet(st.get(), 0, got);
  EXPECT_EQ(got[1][1], 1);
  EXPECT_EQ(got[2][0], 0);  // a copy made at the push
  MaskStackGet(st.get(), 2, got);
  EXPECT_TRUE(got.empty());
  MaskStackGet(nullptr, 0, got);
  EXPECT_TRUE(got.empty());
  MaskStackFree(st);
  EXPECT_FALSE(st);
}

TEST(SesFilters, FillTakesLinesOfFourParsingWords) {
  testsupport::SinkRecorder rec;
  TSesFltLst l;
  l.Items.push_back({"OLD", 0, 1, 1});
  TStringList lines{"GxFITS_CB0 0.9 1.1 3", "GxFITS_CB0 0.9 x 3", "GxFITS_X 1 2",
                    "GxFITS_Y -1 2.5-1 7", "GxFITS_Z 1 2 3.5"};
  TSesFltLst::Fill(&l, lines);
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Items[0].Name, "GxFITS_CB0");
  EXPECT_EQ(l.Items[0].Lo, 0.9);
  EXPECT_EQ(l.Items[0].Hi, 1.1);
  EXPECT_EQ(l.Items[0].Col, 3);
  EXPECT_DOUBLE_EQ(l.Items[1].Hi, 0.25);  // the exponent without a letter
  EXPECT_TRUE(rec.texts.empty());
  TSesFltLst::Fill(nullptr, lines);
  EXPECT_TRUE(rec.Has("TSesFltLst Not Assigned!"));
  TSesFltLst::Clear(&l);
  EXPECT_EQ(l.Count(), 0);
}

}  // namespace
