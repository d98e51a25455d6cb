// Map storage: one block per map, stored x fastest as in the file, with [x][y] row views; loads
// read into it in pieces and count the statistics on the way. Tests the block table itself, maps
// reloaded into the same object with other sizes, and statistics against the plain row-by-row
// computation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

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

struct Fixture {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  std::vector<std::unique_ptr<TFIOut>> maps;
  std::vector<TAR4R4> values;
  Fixture() {
    EXPECT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    // 301 x 250 values are more than one piece of the reader, and pieces end inside lines.
    Add("BIG", 301, 250, Rough);
    Add("SMALL", 3, 2, [](int x, int y) { return 1.0f + x - 2.0f * y; });
    Add("TIES", 301, 250, Ties);
    Add("NAN", 301, 250, WithNaN);
    Add("MID", 40, 30, Rough);
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
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadOwn(kDa, kTi, nullptr, true));
  ASSERT_EQ(reg.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    TFIOut* m = reg.Item(i);
    ASSERT_TRUE(m->EnsureLoaded()) << m->Name;
    EXPECT_EQ(m->kLoad, 2);
    EXPECT_TRUE(SameBits(m->aData, f.values[i])) << m->Name;
    ExpectStats(*m, f.values[i]);
    ExpectStats(*f.maps[i], f.values[i]);  // MinMaxMean on a calculated map
  }
  EXPECT_TRUE(std::isnan(reg.Item(3)->aData[150][240]));
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
  for (int i : {1, 4, 0, 2}) {
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
  big->nY = 251;
  EXPECT_FALSE(big->LoadData(big->FileName(), ext[4].nbData0));
  EXPECT_EQ(big->kLoad, 1);
  EXPECT_EQ(big->aData, TAR4R4Flat(301, 251));
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
    ASSERT_EQ(reg.Count(), 5);
    for (int i = 0; i < 5; ++i) {
      TFIOut* m = reg.Item(i);
      ASSERT_TRUE(m->EnsureLoaded());
      EXPECT_TRUE(SameBits(m->aData, f.values[i])) << round << " " << m->Name;
      ExpectStats(*m, f.values[i]);
    }
  }
}

}  // namespace
