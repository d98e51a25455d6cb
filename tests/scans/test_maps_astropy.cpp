// Map files against astropy (Debian's python3-astropy and -numpy; skipped when missing): astropy
// reads our files by their offset rule, and with NCut 2880 through fits.open itself; a file that
// astropy writes loads as an inversion-result file with its values exact.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/support/MapFiles.h"
#include "scans/support/ScanFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

using maptest::kDa;
using maptest::kTi;
using maptest::MakeMap;

struct TRefMap {
  std::string Name;
  int nx = 0, ny = 0;
  std::vector<double> v;  // x fastest
};

std::vector<TRefMap> RunRef(const std::string& Mode, const std::string& File) {
  const std::string cmd = "/usr/bin/python3 " + testsupport::SourceRoot() +
                          "/tests/scans/support/astropy_maps.py " + Mode + " " + File;
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  if (p) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  std::istringstream in(out);
  std::vector<TRefMap> r;
  TRefMap m;
  while (in >> m.Name >> m.nx >> m.ny) {
    m.v.assign(static_cast<size_t>(m.nx * m.ny), 0);
    for (double& d : m.v) in >> d;
    r.push_back(m);
  }
  return r;
}

void ExpectSame(const TRefMap& R, const TFIOut& M) {
  ASSERT_EQ(R.nx, M.nX) << R.Name;
  ASSERT_EQ(R.ny, M.nY) << R.Name;
  ASSERT_EQ(static_cast<int>(M.aData.size()), M.nX) << R.Name;
  for (int y = 0; y < M.nY; ++y)
    for (int x = 0; x < M.nX; ++x)
      ASSERT_EQ(R.v[static_cast<size_t>(y * M.nX + x)], static_cast<double>(M.aData[x][y]))
          << R.Name << " x=" << x << " y=" << y;
}

class MapsAstropy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  }
};

TEST_F(MapsAstropy, AstropyReadsOurFiles) {
  for (int ncut : {320, 2880}) {
    maptest::MapRoot root;
    testsupport::SinkRecorder rec;
    Scans().NCut = ncut;
    ASSERT_TRUE(WriteMainHeader(root.scan, TScanMapStats{}));
    std::vector<std::unique_ptr<TFIOut>> maps;
    maps.push_back(MakeMap("CONT", 12, 7, maptest::Wave));
    maps.push_back(MakeMap("ODD", 79, 1, [](int x, int) { return 1e-3f * x - 0.04f; }));
    maps.push_back(MakeMap("ABCDEFGHIJKLMNOPQRSTUVWXY", 3, 5,
                           [](int x, int y) { return x * 100.0f + y; }));
    for (auto& m : maps) ASSERT_TRUE(m->Save());
    for (const char* mode : {"read", "open"}) {
      if (std::string(mode) == "open" && ncut != 2880) continue;
      const auto ref = RunRef(mode, root.Own());
      ASSERT_EQ(ref.size(), maps.size()) << mode << " " << ncut;
      for (size_t i = 0; i < maps.size(); ++i) {
        EXPECT_EQ(ref[i].Name, maps[i]->Name.substr(0, 20));
        ExpectSame(ref[i], *maps[i]);
      }
    }
  }
}

TEST_F(MapsAstropy, AstropysFileLoadsAsAnInversionResult) {
  maptest::MapRoot root;
  testsupport::SinkRecorder rec;
  std::filesystem::create_directories(root.scan.OutFolder);
  const auto ref = RunRef("write", root.ME());
  ASSERT_EQ(ref.size(), 3u);
  TLFIOut& reg = LFIOReg();
  ASSERT_TRUE(reg.LoadME(kDa, kTi, nullptr, true));
  ASSERT_EQ(reg.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    TFIOut* m = reg.Item(i);
    EXPECT_EQ(m->Name, ref[static_cast<size_t>(i)].Name);
    EXPECT_EQ(m->kSoft, 2);
    EXPECT_EQ(m->Ver, "");
    EXPECT_EQ(m->DaNum, 'a');
    EXPECT_EQ(m->KH, i + 1);
    ASSERT_TRUE(m->EnsureLoaded());
    ExpectSame(ref[static_cast<size_t>(i)], *m);
  }
  double v = 0;
  ASSERT_TRUE(rdHdVar("SOLAR_RA", v));  // from the inversion-result main header
  EXPECT_EQ(v, 945.125);
  EXPECT_TRUE(rec.texts.empty()) << rec.texts.front();
}

}  // namespace
