// The bundled synthetic atlas fragments are the generator's output byte for byte (quest
// atlasgen, HSRA, through the harness's atlas-write), and the harness reads them: the ten
// cosines of FE6302 from the centre-to-limb file, and one window of the wavenumber file with
// ascending wavelengths.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/TestSupport.h"

namespace {

TEST(AtlasFragments, BundledFilesAreTheGeneratorsOutput) {
  testsupport::TempDir tmp;
  const std::string dir = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(testsupport::SourceRoot() + "/tests/data/atlas/atlasgen.DAT",
                        dir + "/ONE/atlasgen.DAT");
  const testsupport::TBatchRun r =
      testsupport::RunBatch("atlas-write --project '" + dir + "' atlasgen '" + tmp.file("out") + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string bundled = testsupport::SourceRoot() + "/data/ATLAS/";
  for (const char* f : {"2017_Dorvell/clv-ss3-v1.txt", "spot4atl/sp15850"}) {
    const std::string made = testsupport::ReadFile(tmp.file("out/ATLAS/") + f);
    ASSERT_FALSE(made.empty()) << f;
    EXPECT_NE(made.find("SYNTHETIC"), std::string::npos) << f;
    EXPECT_EQ(made, testsupport::ReadFile(bundled + f)) << f;
  }
}

TEST(AtlasFragments, HarnessReadsTheBundledFiles) {
  const std::string root = testsupport::SourceRoot() + "/data";
  const testsupport::TBatchRun clv = testsupport::RunBatch("atlas --cos 0.1-1 --line FE6302 '" + root + "'");
  ASSERT_EQ(clv.status, 0) << clv.out;
  for (const char* part : {"CLV.1", "MJU=1 ", "MJU=0.1 "})
    EXPECT_NE(clv.out.find(part), std::string::npos) << part << "\n" << clv.out;
  const testsupport::TBatchRun spot =
      testsupport::RunBatch("atlas --kind Spot --line FE6302 '" + root + "'");
  ASSERT_EQ(spot.status, 0) << spot.out;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(spot.out, m, std::regex("Spot\\.1 .* NDL=([0-9]+) .* L=([0-9.]+)\\.\\.([0-9.]+)")))
      << spot.out;
  EXPECT_GT(std::stoi(m[1].str()), 20);
  // the wavenumber file's points with ascending wavelengths around the line
  EXPECT_LT(std::stod(m[2].str()), 6302.49);
  EXPECT_GT(std::stod(m[3].str()), 6302.49);
}

}  // namespace
