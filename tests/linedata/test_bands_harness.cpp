// The band-file builders through the harness on the Fe I pair of the bundled Kurucz extract: the
// li file merged into an lh file; the depth and width runs refused while the reference-model runs
// are not there.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

std::string Batch(const std::string& Args, int& Status) {
  return testsupport::RunShell("'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &Status);
}

TEST(BandsHarness, FePairMergedIntoItsLhFile) {
  testsupport::TempDir dir;
  const std::string src =
      testsupport::ReadFile(testsupport::SourceRoot() + "/data/KURUCZ/gfhy0800.100");
  // the li file: each catalogue line without its first column, with depths 45.67 % and 12.34 %
  std::string li;
  for (size_t a = 0, e; (e = src.find('\n', a)) != std::string::npos; a = e + 1)
    li += src.substr(a + 1, e - a - 1) + " 4567 1234\n";
  testsupport::WriteFile(dir.str() + "/li6300.txt", li);
  testsupport::WriteFile(dir.str() + "/lh6200.txt", "kept\n");
  int st = -1;
  std::string out = Batch("bands --dir '" + dir.str() + "' 6300 6400 merge", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("merge: read 2, written 2, runs 0 (0 failed), insert errors 0, files lh6300.txt"),
            std::string::npos)
      << out;
  const std::string lh = testsupport::ReadFile(dir.str() + "/lh6300.txt");
  EXPECT_EQ(lh.substr(0, 63), "  6301.501 -0.718 26.00   29469.022  2.0 4s4p z5P     45333.872") << lh;
  EXPECT_NE(lh.find(" 1835 1503 4567 1234    0    0  0\n  6302.494"), std::string::npos) << lh;
  EXPECT_EQ(testsupport::ReadFile(dir.str() + "/lh6200.txt"), "kept\n");
  // the same merge again: the same file
  out = Batch("bands --dir '" + dir.str() + "' 6300 6400 merge", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_EQ(testsupport::ReadFile(dir.str() + "/lh6300.txt"), lh);
}

TEST(BandsHarness, RunsWithoutTheReferenceModelsAreRefused) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.str() + "/lw6300.txt", "old\n");
  int st = -1;
  const std::string out = Batch("bands --dir '" + dir.str() + "' 6300 6400 widths", st);
  EXPECT_EQ(st, 1) << out;
  EXPECT_NE(out.find("RunVARI"), std::string::npos) << out;
  EXPECT_EQ(testsupport::ReadFile(dir.str() + "/lw6300.txt"), "old\n");
}

}  // namespace
