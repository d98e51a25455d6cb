// The FITS tab's numbers behind the maps, headless: the filter rows' level counts and the recount
// with its mask, the order of the combinations, the area bounds, walks on their own copies
// (graphs, histogram values, the text table), the histogram's too-few warning, the cut (one
// sample per pixel of length, a band across the segment, nothing for one point) and the mean
// curves of a map.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/CodePage.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapStats.h"
#include "scans/cvScanServices.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"

namespace {

using maptest::MakeMap;

const std::string kSes = std::string(maptest::kDa) + "_" + maptest::kTi;

// A registry with CONT = 100 x + y and VLOS = y - 10 on 30 x 40.
struct TStatsMaps {
  TStatsMaps() {
    ResetScanServices();
    LFIOReg().Add(MakeMap("CONT", 30, 40, [](int x, int y) { return 100.0f * x + y; }));
    LFIOReg().Add(MakeMap("VLOS", 30, 40, [](int, int y) { return y - 10.0f; }));
  }
  ~TStatsMaps() { ResetScanServices(); }
};

TFiltControls Rows(const std::string& M1, const std::string& T1, const std::string& M2 = "",
                   const std::string& T2 = "") {
  TFiltControls c;
  c.Rows[0] = {M1, T1};
  c.Rows[1] = {M2, T2};
  return c;
}

TEST(MapStatsFilters, LevelCountsOfRows) {
  TStatsMaps maps;
  struct TCase {
    const char *map, *levels;
    int32_t count;
    const char* report;
  };
  const std::vector<TCase> cases = {
      {"CONT", "0", 0, nullptr},
      {"CONT", "", 0, nullptr},
      {"", "10 20", 0, nullptr},
      {"CONT", "15000 20000 30000", 2, nullptr},
      {"CONT", "1 2, 5 6 7", 3, nullptr},
      {"CONT", "0.5", 0, "При задании фильтра должны быть числа парами!"},
      {"CONT", "1 2x", 0, "допущена ошибка в записи числа <2x>"},
      {"LWr2", "1 2", 0, "Карта LWr2 не загружена!"},
  };
  for (const TCase& c : cases) {
    testsupport::SinkRecorder rec;
    EXPECT_EQ(FiltLevelCount(c.levels, c.map, kSes), c.count) << c.map << " " << c.levels;
    if (c.report)
      EXPECT_TRUE(rec.Has(platform::Utf8ToCp1251(c.report))) << c.levels;
    else
      EXPECT_TRUE(rec.texts.empty()) << c.levels;
  }
}

TEST(MapStatsFilters, RecountOrderAndMask) {
  TStatsMaps maps;
  testsupport::SinkRecorder rec;
  // 2 levels of CONT by 3 levels of VLOS: 6 combinations, the first filter fastest
  const TFiltControls c = Rows("CONT", "0 1000 2000", "VLOS", "-10 0 10 20");
  TCurFiltView v = UpDateCurFilt(c, kSes, 2);
  EXPECT_TRUE(v.Shown);
  EXPECT_EQ(v.Count, 6);
  EXPECT_EQ(v.Cur, 2);
  EXPECT_EQ(v.Memo, (std::vector<std::string>{"CONT 1000 2000", "VLOS -10 0"}));
  // by hand: x in 10..19 (CONT 1000..2019 but <= 2000 only for x = 10..19 with y <= 0 at x = 20)
  int32_t n = 0;
  for (int x = 0; x < 30; ++x)
    for (int y = 0; y < 40; ++y) {
      const double cv = 100.0 * x + y, vv = y - 10.0;
      if (cv >= 1000 && cv <= 2000 && vv >= -10 && vv <= 0) ++n;
    }
  EXPECT_TRUE(v.MaskBuilt);
  EXPECT_EQ(v.MaskN, n);
  EXPECT_EQ(Scans().Filt.MaskN, n);
  EXPECT_EQ(Scans().Filt.State, 1);
  // a current combination beyond the count starts again at 1; no levels hide the controls
  v = UpDateCurFilt(c, kSes, 7);
  EXPECT_EQ(v.Cur, 1);
  v = UpDateCurFilt(Rows("CONT", "0"), kSes, 1);
  EXPECT_FALSE(v.Shown);
  EXPECT_EQ(Scans().Filt.State, -1);
  EXPECT_TRUE(rec.texts.empty());
}

TEST(MapStatsFilters, CombinationsCappedForTheUpDown) {
  TStatsMaps maps;
  std::string many;
  for (int i = 0; i <= 200; ++i) many += IntStr(i) + " ";
  TFiltControls c = Rows("CONT", many, "VLOS", many);  // 200 x 200 = 40000
  testsupport::SinkRecorder rec;
  const TCurFiltView v = UpDateCurFilt(c, kSes, 40000);
  EXPECT_TRUE(v.Capped);
  EXPECT_EQ(v.Count, kMaxFiltCombs);
  EXPECT_EQ(v.Cur, 1);
  EXPECT_TRUE(rec.Has("40000"));
}

TEST(MapStatsFilters, AreaBounds) {
  struct TCase {
    int32_t x1, x2, y1, y2, wx2, wy2;
  };
  const std::vector<TCase> cases = {
      {0, 0, 0, 0, 29, 39},     // 0: the last pixel
      {3, -5, 0, -1, 24, 38},   // -k: the k-th before it
      {0, 100, 0, 39, 29, 39},  // beyond the map: its last pixel
      {2, 7, 1, 9, 7, 9},
  };
  for (const TCase& c : cases) {
    int32_t x1 = c.x1, x2 = c.x2, y1 = c.y1, y2 = c.y2;
    ClipArea(30, 40, x1, x2, y1, y2);
    EXPECT_EQ(x1, c.x1);
    EXPECT_EQ(x2, c.wx2) << c.x2;
    EXPECT_EQ(y2, c.wy2) << c.y2;
  }
}

TEST(MapStatsWalks, GraphsPerCombinationOnCopies) {
  TStatsMaps maps;
  testsupport::SinkRecorder rec;
  TMapWalk w;
  TFiltControls c = Rows("CONT", "0 1000 2000");
  c.X2 = -10;  // x up to 19
  ASSERT_TRUE(PrepMapWalk(c, kSes, OperandMapList("CONT", "VLOS", "", kSes), nullptr, w));
  EXPECT_EQ(w.Combinations(), 2);
  // the walk keeps its own maps: the registry may free its own meanwhile
  LFIOReg().ClearAll();
  TJob job("graphs");
  std::vector<TXYGraph> g;
  RunJob(job, [&](TJob& J) { g = MapGraphs(J, w); });
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].Title, "VLOS(CONT)_20190622_1645");
  EXPECT_EQ(g[0].Format, "_.K");
  // CONT in [0, 1000]: x 0..9 all y, x 10 with y 0 -> 401; [1000, 2000]: x 10..19 (y 0 at x 20
  // is outside the area)
  EXPECT_EQ(NOf(g[0].X), 401);
  EXPECT_EQ(NOf(g[1].X), 400);
  for (int i = 1; i <= NOf(g[1].X); ++i) {
    EXPECT_GE(g[1].X[static_cast<size_t>(i)], 1000);
    EXPECT_LE(g[1].X[static_cast<size_t>(i)], 2000);
  }
  // no filter: the walk refuses
  TMapWalk none;
  EXPECT_FALSE(PrepMapWalk(Rows("CONT", "0"), kSes, {"CONT"}, nullptr, none));
  EXPECT_TRUE(rec.Has("Ни один фильтр не задан!"_cp));
}

TEST(MapStatsWalks, CancelledWalkStopsBetweenCombinations) {
  TStatsMaps maps;
  TMapWalk w;
  ASSERT_TRUE(PrepMapWalk(Rows("CONT", "0 500 1000 1500 2000"), kSes, {"CONT", "VLOS"}, nullptr, w));
  TJob job("graphs");
  job.OnProgress = [&](const TJobProgress& P) {
    if (P.Done >= 2) job.Cancel();
  };
  std::vector<TXYGraph> g;
  RunJob(job, [&](TJob& J) { g = MapGraphs(J, w); });
  EXPECT_TRUE(job.Cancelled());
  EXPECT_EQ(g.size(), 2u);
}

TEST(MapStatsWalks, ListTable) {
  TStatsMaps maps;
  TFiltControls c = Rows("CONT", "0 101");  // x 0 y 0..39, x 1 y 0..1
  TMapWalk w;
  ASSERT_TRUE(PrepMapWalk(c, kSes, {"CONT", "VLOS"}, nullptr, w));
  TListColumns cols;
  cols.iX = true;
  cols.iY = true;
  cols.NDig = 3;
  TStringList out;
  TJob job("list");
  RunJob(job, [&](TJob& J) { MapListText(J, w, cols, out); });
  ASSERT_EQ(out.Count(), 1 + 1 + 42 + 1);
  EXPECT_EQ(out[0], "CONT[0%101]NN");
  EXPECT_EQ(out[out.Count() - 1], std::string(50, '='));
  // aligned: every row of the table as long as its column line
  const std::string& head = out[1];
  for (int i = 2; i < out.Count() - 1; ++i) EXPECT_EQ(out[i].size(), head.size()) << out[i];
  std::istringstream last(out[out.Count() - 2]);
  std::string ix, iy, cv, vv;
  last >> ix >> iy >> cv >> vv;
  EXPECT_EQ(ix + " " + iy + " " + cv + " " + vv, "1 1 101 -9");
}

TEST(MapStatsHist, TooFewValuesAndBins) {
  testsupport::SinkRecorder rec;
  TARe v(500, 1.0);  // entry 0 and 499 values
  TXYGraph g;
  double lo = 0, hi = 0;
  THistSettings s;
  s.NN = "2000";
  EXPECT_FALSE(HistogramGraph(v, "CONT", s, g, lo, hi));
  EXPECT_TRUE(rec.Has("Слишком мало точек на графике N=499\r\nчтобы построить гистограмму из 2000 столбиков!"_cp));
  TARe w(1, 0.0);
  for (int i = 0; i < 1000; ++i) w.push_back(i % 100);
  s.NN = "50";
  s.SortCut = false;
  s.kMi = "0";
  s.kMa = "1";
  ASSERT_TRUE(HistogramGraph(w, "CONT", s, g, lo, hi));
  EXPECT_EQ(NOf(g.Y), 50);
  EXPECT_EQ(g.Title, "Hist(CONT)");
  EXPECT_DOUBLE_EQ(lo, 0);
  EXPECT_DOUBLE_EQ(hi, 99);
  double total = 0;
  for (int i = 1; i <= 50; ++i) total += g.Y[static_cast<size_t>(i)];
  EXPECT_EQ(total, 1000);
  s.NN = "x";
  EXPECT_FALSE(HistogramGraph(w, "CONT", s, g, lo, hi));
}

TEST(MapStatsCut, SamplesBandAndOnePoint) {
  auto m = MakeMap("Q", 30, 40, [](int, int y) { return static_cast<float>(y * y); });
  TXYGraph g;
  // (10,10)-(13,14): length 5, one sample a pixel
  ASSERT_TRUE(MapCut(*m, 10, 10, 13, 14, 1, g));
  EXPECT_EQ(NOf(g.Y), 5);
  EXPECT_EQ(g.Title, "Cut_<Q>([(10,10):(13,14)])");
  // a point: nothing
  EXPECT_FALSE(MapCut(*m, 10, 10, 10, 10, 1, g));
  EXPECT_EQ(NOf(g.Y), 0);
  // a horizontal cut at y = 5 over the map y^2: the one-pixel window at the sample averages
  // rows 4 and 5; a band of 3 adds rows 3..6 around it, 2/3 more on this parabola
  TXYGraph one, band;
  ASSERT_TRUE(MapCut(*m, 5, 5, 15, 5, 1, one));
  ASSERT_TRUE(MapCut(*m, 5, 5, 15, 5, 3, band));
  ASSERT_EQ(NOf(one.Y), 10);
  ASSERT_EQ(NOf(band.Y), 10);
  EXPECT_NEAR(one.Y[3], (16 + 25) / 2.0, 1e-9);
  EXPECT_NEAR(band.Y[3] - one.Y[3], 2.0 / 3.0, 1e-9);
}

TEST(MapStatsMeans, CurvesOfAMap) {
  auto m = MakeMap("CONT", 30, 40, [](int x, int y) { return 100.0f * x + y; });
  TXYGraph g;
  ASSERT_TRUE(MeanXGraph(*m, nullptr, "", g));
  EXPECT_EQ(NOf(g.Y), 40);
  EXPECT_EQ(g.X[40], 39);
  EXPECT_DOUBLE_EQ(g.Y[1], 1450);  // the mean of 100 x over x = 0..29
  EXPECT_EQ(g.Title, "Mean<CONT>(xPos)_noFilt");
  ASSERT_TRUE(MeanYGraph(*m, nullptr, "", g));
  EXPECT_EQ(NOf(g.Y), 30);
  EXPECT_EQ(g.DimY, "dim_Mean<CONT>(yPos)_noFilt");
  TAByBy mask(30, std::vector<uint8_t>(40, 0));
  for (int y = 0; y < 40; ++y) mask[3][y] = 1;
  ASSERT_TRUE(MeanXGraph(*m, &mask, "CONT[0%1]NN", g));
  EXPECT_EQ(g.Title, "Mean<CONT>(xPos)CONT[0%1]NN");
  EXPECT_DOUBLE_EQ(g.Y[1], 300);
}

}  // namespace
