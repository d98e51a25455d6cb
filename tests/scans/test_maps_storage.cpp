// Map storage: one block per map, stored x fastest as in the file, with [x][y] row views; loads
// read into it in pieces and count the statistics on the way. Tests the block table itself, maps
// reloaded into the same object with other sizes, statistics against the plain row-by-row
// computation, and many maps read together (LoadMapsData) against one after the other.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "foundation/cvJob.h"
#include "foundation/cvR4Flat.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/support/MapFiles.h"
#include "support/SinkRecorder.h"

namespace {

using maptest::kDa;
using maptest::kTi;
using maptest::MakeMap;

TEST(R4Flat, IndexesRowsAsViewsOverLines) {
  TAR4R4Flat a(3, 4);
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(a[0].size(), 4u);
  for (float v : TAR4(a.Data(), a.Data() + a.Count())) EXPECT_EQ(v, 0.0f);
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 4; ++j) a[i][j] = static_cast<float>(10 * i + j);
  // Line j holds the values of every i at that j.
  EXPECT_EQ(TAR4(a.Line(2), a.Line(2) + 3), (TAR4{2, 12, 22}));
  EXPECT_EQ(a[1].ToAR4(), (TAR4{10, 11, 12, 13}));
  TAR4 seen;
  for (const auto& row : a)
    for (float v : row) seen.push_back(v);
  EXPECT_EQ(seen, (TAR4{0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23}));
  const TAR4R4 rows = a.ToAR4R4();
  EXPECT_EQ(rows, (TAR4R4{{0, 1, 2, 3}, {10, 11, 12, 13}, {20, 21, 22, 23}}));
  EXPECT_EQ(TAR4R4Flat::FromAR4R4(rows), a);
  TAR4R4Flat b = a;  // a copy is its own block
  b[2][3] = -1;
  EXPECT_FALSE(b == a);
  EXPECT_EQ(a[2][3], 23.0f);
  EXPECT_FALSE(TAR4R4Flat(4, 3) == TAR4R4Flat(3, 4));
  // No values: rows without a block, as a table of empty rows.
  TAR4R4Flat e(5, 0);
  EXPECT_EQ(e.size(), 5u);
  EXPECT_TRUE(e[4].empty());
  EXPECT_EQ(e[4].begin(), e[4].end());
  e.Free();
  EXPECT_TRUE(e.empty());
}

TEST(R4Flat, FreedBlocksServeTheNextTableOfTheirSizeWithinTheLimit) {
  TAR4R4Flat::TrimCache();
  TAR4R4Flat a(200, 1024);
  const float* block = a.Data();
  a.Free();
  EXPECT_EQ(TAR4R4Flat::CachedBytes(), 200u * 1024 * 4);
  TAR4R4Flat other(100, 1024);  // another size takes no kept block
  EXPECT_NE(other.Data(), block);
  TAR4R4Flat b;
  b.Shape(1024, 200);  // the same count in another shape
  EXPECT_EQ(b.Data(), block);
  EXPECT_EQ(TAR4R4Flat::CachedBytes(), 0u);
  b.Assign(1024, 200);  // reused blocks are zeroed when asked for zeros
  for (size_t k = 0; k < b.Count(); ++k) ASSERT_EQ(b.Data()[k], 0.0f) << k;
  const size_t limit = TAR4R4Flat::CacheLimit();
  TAR4R4Flat::SetCacheLimit(0);
  b.Free();
  other.Free();
  EXPECT_EQ(TAR4R4Flat::CachedBytes(), 0u);
  TAR4R4Flat::SetCacheLimit(limit);
}

// MinMaxMean computed row by row over [x][y] tables, as it was before the maps had one block.
struct RefStats {
  double mn = 0, mx = 0, mean = 0;
  int ixMin = 0, iyMin = 0, ixMax = 0, iyMax = 0;
};
RefStats Reference(const TAR4R4& a) {
  RefStats r;
  const int nx = static_cast<int>(a.size()), ny = static_cast<int>(a[0].size());
  double mn = a[0][0], mx = mn, sum = 0;
  for (int y = 0; y < ny; ++y)
    for (int x = 0; x < nx; ++x) {
      const double v = a[x][y];
      sum += v;
      if (!(v >= mn)) {
        mn = v;
        r.ixMin = x;
        r.iyMin = y;
      } else if (v > mx) {
        mx = v;
        r.ixMax = x;
        r.iyMax = y;
      }
    }
  r.mn = mn;
  r.mx = mx;
  r.mean = sum / (static_cast<double>(nx) * ny);
  return r;
}

// Same shape and the same bits in every place (NaN included).
bool SameBits(const TAR4R4Flat& A, const TAR4R4& B) {
  if (A.size() != B.size()) return false;
  for (size_t x = 0; x < B.size(); ++x) {
    if (A[x].size() != B[x].size()) return false;
    for (size_t y = 0; y < B[x].size(); ++y)
      if (std::memcmp(&A[x][y], &B[x][y], sizeof(float)) != 0) return false;
  }
  return true;
}

void ExpectSame(double A, double B, const std::string& What) {
  EXPECT_TRUE(std::memcmp(&A, &B, sizeof A) == 0 || (std::isnan(A) && std::isnan(B)))
      << What << ": " << A << " vs " << B;
}

void ExpectStats(const TFIOut& M, const TAR4R4& Values) {
  const RefStats r = Reference(Values);
  ExpectSame(M.vMin, r.mn, M.Name + " min");
  ExpectSame(M.vMax, r.mx, M.Name + " max");
  ExpectSame(M.vMean, r.mean, M.Name + " mean");
  EXPECT_EQ((std::vector<int>{M.ixMin, M.iyMin, M.ixMax, M.iyMax}),
            (std::vector<int>{r.ixMin, r.iyMin, r.ixMax, r.iyMax}))
      << M.Name;
}

// Values whose sum is not exact in any order, equal minima and maxima on several lines, and for
// one map a NaN (which the rule takes as a new minimum) beyond the first piece read.
float Rough(int x, int y) { return std::sin(0.37f * x + 1.3f * y) * 1e3f + 1e-3f * (x % 7); }
float Ties(int x, int y) { return (x + y) % 50 == 0 ? -5.0f : (x * y) % 97 == 96 ? 9.0f : 0.5f; }
float WithNaN(int x, int y) {
  return x == 150 && y == 240 ? std::numeric_limits<float>::quiet_NaN() : Rough(x, y);
}
// Quarters (a sum exact in any order) whose extremes first come deep inside the map, in the
// middle of a block of the vector scan, and come again later, the lowest in the second piece
// read; zeros of both signs.
float Steps(int x, int y) {
  const int k = y * 301 + x;
  if (k == 140000 || k == 150000) return -4.0f;
  if (k == 40000 || k == 70000) return -3.0f;
  if (k == 33001 || k == 60000 || k == 75249) return 40.0f;
  if (k % 11 == 0) return k % 2 ? -0.0f : 0.0f;
  return 0.25f * static_cast<float>((k * 7) % 120) - 2.0f;
}

struct Fixture {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  std::vector<std::unique_ptr<TFIOut>> maps;
  std::vector<TAR4R4> values;
  Fixture() {
    EXPECT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    // 301 x 500 values are more than one piece of the reader (512 KiB), and pieces end inside
    // lines.
    Add("BIG", 301, 500, Rough);
    Add("SMALL", 3, 2, [](int x, int y) { return 1.0f + x - 2.0f * y; });
    Add("TIES", 301, 250, Ties);
    Add("NAN", 301, 250, WithNaN);
    Add("MID", 40, 30, Rough);
    Add("STEPS", 301, 500, Steps);
    for (auto& m : maps) EXPECT_TRUE(m->Save()) << m->Name;
  }
  void Add(const std::string& Name, int nx, int ny, float (*F)(int, int)) {
    maps.push_back(MakeMap(Name, nx, ny, F));
    TAR4R4 v(static_cast<size_t>(nx), TAR4(static_cast<size_t>(ny)));
    for (int x = 0; x < nx; ++x)
      for (int y = 0; y < ny; ++y) v[x][y] = F(x, y);
    values.push_back(v);
  }
};

TEST(MapStorage, LoadedMapsEqualTheWrittenValuesAndTheirStatistics) {
  Fixture f;
  // Every vector width the processor has, and none.
  for (int width : {16, 8, 0}) {
    LimitMapScanWidth(width);
    ResetScanServices();
    const std::string r = f.root.dir.str() + "/";
    Scans().DataRoot.Install([r] { return r; });
    TLFIOut& reg = LFIOReg();
    ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
    ASSERT_EQ(reg.Count(), 6);
    for (int i = 0; i < 6; ++i) {
      TFIOut* m = reg.Item(i);
      ASSERT_TRUE(m->EnsureLoaded()) << width << m->Name;
      EXPECT_EQ(m->kLoad, 2);
      EXPECT_TRUE(SameBits(m->aData, f.values[i])) << width << m->Name;
      ExpectStats(*m, f.values[i]);
      ExpectStats(*f.maps[i], f.values[i]);  // MinMaxMean on a calculated map
    }
    EXPECT_TRUE(std::isnan(reg.Item(3)->aData[150][240]));
  }
  LimitMapScanWidth(16);
  EXPECT_TRUE(f.rec.texts.empty()) << f.rec.texts.front();
}

TEST(MapStorage, OneMapObjectReloadedWithSmallerAndLargerMaps) {
  Fixture f;
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  struct Ext {
    std::string Name;
    int32_t nX, nY;
    int64_t nbData0;
  };
  std::vector<Ext> ext;
  for (int i = 0; i < reg.Count(); ++i)
    ext.push_back({reg.Item(i)->Name, reg.Item(i)->nX, reg.Item(i)->nY, reg.Item(i)->nbData0});
  TFIOut* big = reg.Item(0);
  ASSERT_TRUE(big->EnsureLoaded());
  // The same object takes SMALL, then MID, then BIG again: shape, rows and values follow.
  for (int i : {1, 4, 0, 5, 2}) {
    const Ext& src = ext[static_cast<size_t>(i)];
    big->nX = src.nX;
    big->nY = src.nY;
    big->Name = src.Name;
    ASSERT_TRUE(big->LoadData(big->FileName(), src.nbData0)) << src.Name;
    ASSERT_EQ(static_cast<int>(big->aData.size()), src.nX);
    for (int x = 0; x < src.nX; ++x) {
      ASSERT_EQ(static_cast<int>(big->aData[x].size()), src.nY);
      TARe row;
      f.root.scan.GetXFOARe(big, x, row);
      ASSERT_EQ(static_cast<int>(row.size()), src.nY + 1);
      for (int y = 0; y < src.nY; ++y)
        ASSERT_EQ(row[y + 1], static_cast<double>(f.values[i][x][y])) << src.Name << x << y;
    }
    ExpectStats(*big, f.values[i]);
  }
  // A short read leaves a zeroed map of the asked size, not the values of the map before.
  big->nX = 301;
  big->nY = 501;
  EXPECT_FALSE(big->LoadData(big->FileName(), ext.back().nbData0));
  EXPECT_EQ(big->kLoad, 1);
  EXPECT_EQ(big->aData, TAR4R4Flat(301, 501));
  EXPECT_TRUE(f.rec.Has("TFIOut.LoadData"));
}

TEST(MapStorage, ReloadAfterTheRegistryIsClearedReadsTheSame) {
  Fixture f;
  for (int round = 0; round < 2; ++round) {
    ResetScanServices();
    const std::string r = f.root.dir.str() + "/";
    Scans().DataRoot.Install([r] { return r; });
    TLFIOut& reg = LFIOReg();
    ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
    ASSERT_EQ(reg.Count(), 6);
    for (int i = 0; i < 6; ++i) {
      TFIOut* m = reg.Item(i);
      ASSERT_TRUE(m->EnsureLoaded());
      EXPECT_TRUE(SameBits(m->aData, f.values[i])) << round << " " << m->Name;
      ExpectStats(*m, f.values[i]);
    }
  }
}

// The registry of the fixture's file read again; the maps to read: every map, a map whose data
// lie past the end of the file, a map whose values sum to zero and one map given twice.
std::vector<TFIOut*> Reloaded(Fixture& F) {
  ResetScanServices();
  const std::string r = F.root.dir.str() + "/";
  Scans().DataRoot.Install([r] { return r; });
  TLFIOut& reg = LFIOReg();
  EXPECT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  std::vector<TFIOut*> maps;
  for (const auto& m : reg.Items) maps.push_back(m.get());
  maps.push_back(maps[0]);
  return maps;
}

struct Outcome {
  int32_t Filled = 0;
  std::vector<std::string> Texts;
};

TEST(MapStorage, ManyMapsReadTogetherGiveWhatOneAfterTheOtherGives) {
  Fixture f;
  // Values that sum to zero: reported as empty data, yet the map is filled.
  ASSERT_TRUE(MakeMap("ZERO", 20, 10, [](int x, int y) {
                return y == 3 && x < 2 ? 1.0f - 2.0f * x : 0.0f;
              })->Save());
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(f.root.Own()));
  auto spoil = [&](std::vector<TFIOut*>& Maps) {
    Maps[1]->nbData0 = size - 8;  // SMALL: its data now run past the end of the file
  };
  Outcome serial;
  {
    std::vector<TFIOut*> maps = Reloaded(f);
    ASSERT_EQ(maps.size(), 8u);
    spoil(maps);
    testsupport::SinkRecorder rec;
    for (TFIOut* m : maps) serial.Filled += m->EnsureLoaded();
    serial.Texts = rec.texts;
  }
  EXPECT_EQ(serial.Filled, 7);  // SMALL is not filled; BIG counts twice
  ASSERT_EQ(serial.Texts.size(), 2u);
  EXPECT_NE(serial.Texts[0].find("TFIOut.LoadData"), std::string::npos);
  EXPECT_NE(serial.Texts[1].find("ZERO"), std::string::npos);
  for (int threads : {1, 2, 4, 0}) {
    std::vector<TFIOut*> maps = Reloaded(f);
    spoil(maps);
    testsupport::SinkRecorder rec;
    TJob job("load");
    std::vector<int64_t> steps;
    job.OnProgress = [&](const TJobProgress& P) { steps.push_back(P.Done); };
    EXPECT_EQ(LoadMapsData(job, maps, threads), serial.Filled) << threads;
    EXPECT_EQ(rec.texts, serial.Texts) << threads;
    EXPECT_EQ(steps, (std::vector<int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8})) << threads;
    for (int i : {0, 2, 3, 4, 5}) {
      TFIOut* m = maps[static_cast<size_t>(i)];
      EXPECT_EQ(m->kLoad, 2) << threads << " " << m->Name;
      EXPECT_TRUE(SameBits(m->aData, f.values[static_cast<size_t>(i)])) << threads << m->Name;
      ExpectStats(*m, f.values[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(maps[1]->kLoad, 1);
    EXPECT_EQ(maps[1]->aData, TAR4R4Flat(3, 2));
  }
}

TEST(MapStorage, ACancelledReadLeavesTheMapsNotReachedAsTheyWere) {
  Fixture f;
  for (int threads : {1, 3}) {
    std::vector<TFIOut*> maps = Reloaded(f);
    maps.pop_back();
    TJob job("load");
    job.OnProgress = [&](const TJobProgress& P) {
      if (P.Done == 3) job.Cancel();
    };
    EXPECT_EQ(LoadMapsData(job, maps, threads), 3) << threads;
    for (size_t i = 0; i < maps.size(); ++i) {
      if (i < 3) {
        EXPECT_TRUE(SameBits(maps[i]->aData, f.values[i])) << threads << maps[i]->Name;
        ExpectStats(*maps[i], f.values[i]);
      } else {
        EXPECT_TRUE(maps[i]->aData.empty()) << threads << maps[i]->Name;
        EXPECT_EQ(maps[i]->kLoad, 0);
      }
    }
  }
}

TEST(MapStorage, ANegativeSizeIsRefusedBeforeAnythingIsRead) {
  Fixture f;
  testsupport::SinkRecorder rec;
  std::vector<TFIOut*> maps = Reloaded(f);
  maps[0]->nX = -301;
  maps[0]->nY = -250;
  EXPECT_FALSE(maps[0]->LoadData(maps[0]->FileName(), maps[0]->nbData0));
  EXPECT_EQ(maps[0]->kLoad, 0);
  EXPECT_TRUE(maps[0]->aData.empty());
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("nX=-301"), std::string::npos) << rec.texts[0];
}

}  // namespace
