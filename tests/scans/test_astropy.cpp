// The reader against astropy (Debian's python3-astropy; skipped when it is missing): files that
// astropy writes decode to its int16 data under the decoding rule, and every key read from the
// generator's files equals astropy's value, the header length its data offset.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/support/ScanFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"
#include "tools/scangen/cvScanGen.h"

namespace {

std::string Script() { return testsupport::SourceRoot() + "/tests/scans/support/astropy_ref.py"; }

std::string RunRef(const std::string& Args) {
  return testsupport::RunShell("/usr/bin/python3 " + Script() + " " + Args + " 2>&1");
}

class AstropyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  }
  testsupport::TempDir dir;
  testsupport::SinkRecorder rec;
};

TEST_F(AstropyTest, DecodingMatchesAstropysWords) {
  RunRef("write " + dir.str());
  TLFITS scan;
  scan.Path_Name = dir.str();
  scan.kStep = 1;
  for (int layout : {3, 4})
    for (int sh = 0; sh <= 3; ++sh) {
      const std::string stem = "SP3D_L" + std::to_string(layout) + "_S" + std::to_string(sh);
      std::ifstream t(dir.file(stem + ".txt"));
      std::vector<int> ref;
      for (int v; t >> v;) ref.push_back(v);
      ASSERT_EQ(ref.size(), 4u * 3 * 112) << stem;
      TFITS f;
      f.Link(0, &scan);
      f.ReadHeader(dir.str(), stem + ".fits");
      ASSERT_TRUE(f.Bit(1)) << stem;
      EXPECT_EQ(f.SPBSHFT, sh);
      ASSERT_TRUE(f.LoadData()) << stem;
      for (int s = 1; s <= 4; ++s) {
        const int k = (s == 1 && sh > 0) || ((s == 2 || s == 3) && sh == 3) || (s == 4 && sh > 1)
                          ? 2 : 1;
        for (int y = 1; y <= 3; ++y) {
          TAIn out;
          ASSERT_TRUE(f.GetCol3(y, s, out));
          for (int l = 1; l <= 112; ++l) {
            const int w = ref[static_cast<size_t>(((s - 1) * 3 + (y - 1)) * 112 + (l - 1))];
            const int expect = s == 1 ? (w < 0 ? w + 65536 : w) : (w == -32768 ? 32768 : w);
            ASSERT_EQ(out[static_cast<size_t>(l)], k * expect)
                << stem << " s=" << s << " y=" << y << " l=" << l;
          }
        }
      }
    }
}

TEST_F(AstropyTest, GeneratorKeysAndHeaderLengthMatchAstropy) {
  TScanGenOptions o;
  o.Files = 2;
  o.NY = 6;
  o.Spbshft = 1;
  o.Noise = 5;
  TLFITS scan;
  scan.Link(GenerateScan(dir.str(), o));
  TJob j;
  ASSERT_TRUE(RunJob(j, [&](TJob& job) { scan.LoadHeaders(job); }));
  const std::vector<std::string> keys = {
      "BITPIX",   "NAXIS",    "NAXIS1",  "NAXIS2",   "NAXIS3",   "CRVAL1",  "CDELT1",   "CRPIX1",
      "SPBSHFT",  "XCEN",     "XSCALE",  "NSLITPOS", "SLITINDX", "SLITPOS", "DATE_OBS", "YCEN",
      "EXPTIME",  "DATA_LEV", "CTYPE1",  "CTYPE2",   "CTYPE3",   "CUNIT1",  "CUNIT2",   "CUNIT3",
      "DOPVUSED", "DOP_RCV",  "T_SPCCD", "T_FGCCD",  "T_CTCCD",  "T_SPCEB", "T_FGCEB",  "T_CTCEB",
      "FOVX",     "CRVAL2",   "CRPIX2",  "CDELT2",   "YSCALE",   "FOVY"};
  std::string args;
  for (const auto& k : keys) args += " " + k;
  std::string paths;
  for (const auto& f : scan.Files)
    paths += (paths.empty() ? "" : ",") + scan.Path_Name + "/" + f->FileName;
  const std::string out = RunRef("keys " + paths + args);  // one python start for all files
  std::istringstream lines(out);
  std::string line;
  TFITS* f = nullptr;
  size_t n = 0, files = 0;
  while (std::getline(lines, line)) {
    const size_t bar = line.find('|');
    ASSERT_NE(bar, std::string::npos) << out;
    const std::string k = line.substr(0, bar), v = line.substr(bar + 1);
    if (k == "FILE") {
      f = scan.Files[files++].get();
      ASSERT_EQ(v, scan.Path_Name + "/" + f->FileName);
      continue;
    }
    ASSERT_NE(f, nullptr) << out;
    if (k == "DATLOC") {
      EXPECT_EQ(f->nbH0, std::stoll(v));
      continue;
    }
    ++n;
    const std::string ours = f->GetKeyS(k);
    int32_t c1 = 0, c2 = 0;
    const double a = ValRealCode(ours, c1), b = ValRealCode(v, c2);
    if (c1 == 0 && c2 == 0)
      EXPECT_EQ(a, b) << k;
    else
      EXPECT_EQ(ours, v) << k;
  }
  EXPECT_EQ(files, scan.Files.size()) << out;
  EXPECT_EQ(n, keys.size() * scan.Files.size()) << out;
  for (const auto& g : scan.Files) {  // the fields the reader fills from those keys
    EXPECT_EQ(g->nLam, 112);
    EXPECT_EQ(g->nY, 6);
    EXPECT_EQ(g->DATE_OBS.size(), 23u);
  }
  EXPECT_EQ(j.WarningCount(), 0);
}

}  // namespace
