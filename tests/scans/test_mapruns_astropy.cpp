// The map runs against astropy (Debian's python3-astropy and -numpy; skipped with a message when
// missing): the own output file written after the runs, read by an independent reader of its
// layout, equals the maps in memory with their names, titles and algorithm versions; an
// inversion-result file written by astropy gives the longitudinal field and the rotation map.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "scans/support/MapRuns.h"
#include "scans/support/ScanFiles.h"
#include "support/TestSupport.h"

namespace {

using runtest::At;
using runtest::GenScan;

struct TRef {
  std::string Key;  // name|ALG_VER|title
  int nx = 0, ny = 0;
  std::vector<double> v;  // x fastest
};

std::vector<TRef> Python(const std::string& Args) {
  const std::string out = testsupport::RunShell(
      "/usr/bin/python3 " + testsupport::SourceRoot() + "/tests/scans/support/astropy_mapruns.py " +
      Args);
  std::istringstream in(out);
  std::vector<TRef> r;
  std::string tag;
  while (in >> tag) {
    if (tag != "EXT") break;
    TRef m;
    in >> std::ws;
    // The key holds blanks: it runs up to the two numbers at the end of the line.
    std::string line;
    std::getline(in, line);
    const size_t b = line.find_last_of(' ');
    const size_t a = line.find_last_of(' ', b - 1);
    m.Key = line.substr(0, a);
    m.nx = std::stoi(line.substr(a + 1, b - a - 1));
    m.ny = std::stoi(line.substr(b + 1));
    m.v.resize(static_cast<size_t>(m.nx * m.ny));
    for (double& d : m.v) in >> d;
    r.push_back(m);
  }
  return r;
}

class MapRunsAstropy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  }
};

TEST_F(MapRunsAstropy, TheOwnFileHoldsTheMapsAsCalculated) {
  GenScan g(7, 12, 1.0);
  TLFITS& s = *g.scan;
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcCont0(J); }));
  ASSERT_TRUE(g.Run([&](TJob& J) { return s.CalcBisLC(J, 0.5); }));
  ASSERT_TRUE(WriteMainHeader(s, TScanMapStats{}));
  std::vector<TFIOut*> maps;
  for (TMapSlot* sl : {&s.OuCont, &s.OuWork[2], &s.OuWork[1], &s.OuWork[3], &s.OuD0[1],
                       &s.OuD0[2], &s.OuD0[3], &s.OuD0[4], &s.OuWork[5], &s.OuWork[6]})
    maps.push_back(sl->Get());
  TJob save("save");
  int32_t saved = 0;
  RunJob(save, [&](TJob& J) { saved = SaveMaps(J, maps); });
  ASSERT_EQ(saved, 10);
  const std::vector<TRef> ref = Python("read " + g.Own());
  ASSERT_EQ(ref.size(), maps.size());
  const char* keys[] = {"CONT|20241023|Continuum Intensity",
                        "CONT2|20241122|Cont.Int.-Second Maximum",
                        "LCONT|20241023|L_idx for Cont Level",
                        "LCONT2|20241122|L_idx for Cont2 Level",
                        "d01|2022|Central Depth d0 for 6301",
                        "d02|2022|Central Depth d0 for 6302",
                        "Ld01|2022|Wavelength (Pix) of d0 for 6301",
                        "Ld02|2022|Wavelength (Pix) of d0 for 6302",
                        "LC501|2022|Bisector (Cont-d0)/2 for 6301",
                        "LC502|2022|Bisector (Cont-d0)/2 for 6302"};
  for (size_t i = 0; i < ref.size(); ++i) {
    const TFIOut& m = *maps[i];
    EXPECT_EQ(ref[i].Key, keys[i]);
    ASSERT_EQ(ref[i].nx, m.nX) << keys[i];
    ASSERT_EQ(ref[i].ny, m.nY) << keys[i];
    for (int y = 0; y < m.nY; ++y)
      for (int x = 0; x < m.nX; ++x)
        ASSERT_EQ(ref[i].v[static_cast<size_t>(y * m.nX + x)], At(&m, x, y))
            << keys[i] << " " << x << " " << y;
  }
}

TEST_F(MapRunsAstropy, InversionResultsWrittenByAstropy) {
  const int nx = 5, ny = 6;
  GenScan g(nx, ny);
  TLFITS& s = *g.scan;
  const double R = 951.25;
  std::filesystem::create_directories(s.OutFolder);
  const std::vector<TRef> me = Python("write-me " + g.ME() + " " + std::to_string(R) + " " +
                                      std::to_string(nx) + " " + std::to_string(ny));
  ASSERT_EQ(me.size(), 4u);
  TJob job("bigcalc2");
  ASSERT_TRUE(RunJob(job, [&](TJob& J) { s.BigCalc2(J); }));
  EXPECT_EQ(s.SOLAR_RA, R);
  const TFIOut* hl = s.MeHL.Get();
  const TFIOut* rot = s.OuRot.Get();
  ASSERT_TRUE(hl && rot);
  const double pi = 3.14159265358979323846;
  for (int y = 0; y < ny; ++y)
    for (int x = 0; x < nx; ++x) {
      const size_t k = static_cast<size_t>(y * nx + x);
      const double h = std::cos(me[3].v[k] * pi / 180) * me[2].v[k];
      EXPECT_NEAR(At(hl, x, y), h, 1e-4 * (1 + std::fabs(h))) << x << " " << y;
    }
  EXPECT_NEAR(At(rot, 1, 0), 1.480349, 1e-6);  // X = Y = 0
  EXPECT_EQ(At(rot, 3, 0), 0.f);                // X = R
}

}  // namespace
