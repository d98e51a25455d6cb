// The stages, the RUN queue and the erase through the harness on a copy of the demo data root,
// as a user without the window would run them: "CONT" and its marks, Ldxx at two levels, the
// stand-in stage, a cancelled run that leaves the file, a map erased from the middle of the file
// (the others keep their data, read back by astropy when it is installed), and bad arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct TOut {
  int status = -1;
  std::string out;
};

TOut Batch(const std::string& Args) {
  TOut r;
  r.out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>&1", &r.status);
  return r;
}

bool Has(const TOut& R, const std::string& Part) { return R.out.find(Part) != std::string::npos; }

TEST(FitsRunHarness, StagesMarksCancelAndErase) {
  testsupport::TempDir dir;
  fs::copy(testsupport::SourceRoot() + "/data/FITS", dir.str(), fs::copy_options::recursive);
  const std::string scan = dir.str() + "/2019_06/20190622_164505";
  const std::string own = dir.str() + "/2019_06/20190622_1645/20190622_1645.fits";

  // a cancelled CONT starts no file
  TOut r = Batch("fits-run " + scan + " --cancel-after 5 CONT");
  EXPECT_EQ(r.status, 130) << r.out;
  EXPECT_FALSE(fs::exists(own));

  r = Batch("fits-run " + scan + " CONT");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, "case CONT done\nsaved CONT CONT2 LCONT LCONT2\n")) << r.out;
  EXPECT_TRUE(Has(r, "marks CONT* LIV WIQUV ")) << r.out;

  r = Batch("fits-run " + scan + " --lcxx 0.3 1Ldxx");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, " LC301 LC302\n")) << r.out;
  EXPECT_TRUE(Has(r, "1Ldxx*")) << r.out;
  // a level whose maps the file holds already is not computed again
  r = Batch("fits-run " + scan + " --lcxx 0.3 1Ldxx");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, "case 1Ldxx done\nsaved\n")) << r.out;

  r = Batch("fits-run " + scan + " 23_CB0*");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(Has(r, "case 23_CB0* stopped")) << r.out;

  const auto size = fs::file_size(own);
  r = Batch("fits-run " + scan + " --cancel-after 3 LIV");
  EXPECT_EQ(r.status, 130) << r.out;
  EXPECT_EQ(fs::file_size(own), size);

  // CONT2 from the middle: the maps after it keep their data and move up
  r = Batch("fits-erase --root " + dir.str() + " 20190622 164505 CONT2");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r, "maps of 20190622_164505: CONT#1 LCONT#2 LCONT2#3 ")) << r.out;
  if (testsupport::RunShell("python3 -c 'import astropy' 2>&1").empty()) {
    const std::string py =
        "python3 -c \"from astropy.io import fits; h=fits.open('" + own +
        "'); print(' '.join(x.name for x in h[1:])); print(int(h['LCONT2'].data.size))\"";
    const std::string out = testsupport::RunShell(py + " 2>&1");
    EXPECT_NE(out.find("CONT LCONT LCONT2 "), std::string::npos) << out;
    EXPECT_NE(out.find("\n1920"), std::string::npos) << out;
  }
  EXPECT_EQ(Batch("fits-erase --root " + dir.str() + " 20190622 164505 NOPE").status, 1);
  EXPECT_EQ(Batch("fits-run " + scan).status, 2);
}

}  // namespace
