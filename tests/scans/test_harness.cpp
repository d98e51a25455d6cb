// The scan journeys through the command-line harness, as a new user would try them: the demo
// scan's summary and one slit pixel's profiles.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/TestSupport.h"

namespace {

std::string Demo() { return testsupport::SourceRoot() + "/data/FITS/2019_06/20190622_164505"; }

int Batch(const std::string& Args, std::string& Out, const std::string& Env = "") {
  int status = -1;
  Out += testsupport::RunShell(Env + std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                               &status);
  return status;
}

TEST(ScanHarness, InfoSummarisesTheDemoScan) {
  std::string out;
  ASSERT_EQ(Batch("info " + Demo(), out), 0) << out;
  for (const char* line :
       {"files: 24\n", "headers failed: 0\n", "nY: 80\n", "NSLITPOS: 24\n",
        "T0: 16:45:05.000 (1005.0833 min)\n", "duration: 1.9167 min\n",
        "own file: 20190622_1645/20190622_1645.fits\n", "inversion file: 20190622_164505.fits\n",
        "level-2.1 file: 20190622_164505_L2.1.fits\n", "DOP_RCV min: -0.3 at 0 min\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  EXPECT_NE(out.find("output folder: " + testsupport::SourceRoot() +
                     "/data/FITS/2019_06/20190622_1645\n"),
            std::string::npos)
      << out;
}

// By name, the demo scan opens out of the box: the user's data root gets the bundled copy.
TEST(ScanHarness, DemoScanOpensByNameFromTheUsersDataRoot) {
  testsupport::TempDir home;
  std::string out;
  ASSERT_EQ(Batch("info 20190622_164505", out, "XDG_DATA_HOME=" + home.str() + " "), 0) << out;
  EXPECT_NE(out.find("scan: " + home.str() + "/Corvesta/FITS/2019_06/20190622_164505\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("files: 24\n"), std::string::npos) << out;
}

TEST(ScanHarness, PixelPrintsTheProfilesOfOneSlitPixel) {
  std::string out;
  ASSERT_EQ(Batch("pixel " + Demo() + " 0 40", out), 0) << out;
  EXPECT_EQ(out.rfind("# SP3D20190622_164505.0C.fits y=40: lambda I Q U V\n", 0), 0u) << out;
  EXPECT_NE(out.find("\n6300.8840305 "), std::string::npos);
  EXPECT_NE(out.find("\n6303.2759695 "), std::string::npos);
  int lines = 0;
  for (char c : out) lines += c == '\n';
  EXPECT_EQ(lines, 113);
  std::string bad;
  EXPECT_EQ(Batch("pixel " + Demo() + " 0 81", bad), 1);
  EXPECT_EQ(Batch("pixel " + Demo() + " 0", bad), 2);
}

}  // namespace
