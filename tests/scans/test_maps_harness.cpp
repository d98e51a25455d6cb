// The map journey through the command-line harness, as a new user would try it on the demo scan
// in the default data root: maps written with a version, the extensions listed, the maps loaded
// back with their sizes and statistics.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/TestSupport.h"

namespace {

int Batch(const std::string& Args, std::string& Out, const std::string& Env) {
  int status = -1;
  Out += testsupport::RunShell(Env + std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                               &status);
  return status;
}

TEST(MapsHarness, WriteListAndReloadTheDemoScansMaps) {
  testsupport::TempDir home;
  const std::string env = "XDG_DATA_HOME=" + home.str() + " ";
  std::string out;
  ASSERT_EQ(Batch("maps-write 20190622_164505 --ver 20250101", out, env), 0) << out;
  const std::string file =
      home.str() + "/Corvesta/FITS/2019_06/20190622_1645/20190622_1645.fits";
  EXPECT_NE(out.find("file: " + file + "\nmaps saved: 2\n"), std::string::npos) << out;
  out.clear();
  ASSERT_EQ(Batch("maps-dir 20190622 164505", out, env), 0) << out;
  // 24 slit positions by 80 pixels: 7680 bytes of data, padded to the next 320.
  EXPECT_EQ(out,
            "Name b0_hd b0_data L_hd L_data\n"
            "CONT 5760 8640 2880 7680\n"
            "CNTN 16320 19200 2880 7680\n");
  out.clear();
  ASSERT_EQ(Batch("maps-load 20190622 164505", out, env), 0) << out;
  for (const char* line :
       {"FIT CONT k=1 [24,80] header 14str aData[24,80]  Total=8800\n",
        "  kind 1 ver <20250101> src a KH 1 kLoad 2 LOADED\n",
        "FIT CNTN k=1 [24,80] header 14str aData[24,80]  Total=8800\n",
        "  kind 1 ver <20250101> src a KH 2 kLoad 2 LOADED\n", " mean 1\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  // Only the named map; a missing file (the scan has no level-2.1 file) fails.
  out.clear();
  ASSERT_EQ(Batch("maps-load 20190622 164505 1 CNTN", out, env), 0) << out;
  EXPECT_EQ(out.find("FIT CONT"), std::string::npos) << out;
  out.clear();
  EXPECT_EQ(Batch("maps-load 20190622 164505 3", out, env), 1) << out;
}

}  // namespace
