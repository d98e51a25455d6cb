// The band-file builders through the harness on the Fe I pair of the bundled Kurucz extract.
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
  std::string out = Batch("bands --db '" + dir.str() + "/cv.db' --dir '" + dir.str() + "' 6300 6400 merge", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_NE(out.find("merge: read 2, written 2, runs 0 (0 failed), insert errors 0, files lh6300.txt"),
            std::string::npos)
      << out;
  const std::string lh = testsupport::ReadFile(dir.str() + "/lh6300.txt");
  EXPECT_EQ(lh.substr(0, 63), "  6301.501 -0.718 26.00   29469.022  2.0 4s4p z5P     45333.872") << lh;
  EXPECT_NE(lh.find(" 1835 1503 4567 1234    0    0  0\n  6302.494"), std::string::npos) << lh;
  EXPECT_EQ(testsupport::ReadFile(dir.str() + "/lh6200.txt"), "kept\n");
  // the same merge again: the same file
  out = Batch("bands --db '" + dir.str() + "/cv.db' --dir '" + dir.str() + "' 6300 6400 merge", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_EQ(testsupport::ReadFile(dir.str() + "/lh6300.txt"), lh);
}

// The three builders for real on the Fe I pair: depths and widths from the reference-model runs
// in HOLMU and CV, the lw lines found by the loader, a rerun writing the same files.
TEST(BandsHarness, FePairThroughAllThreeBuilders) {
  testsupport::TempDir dir;
  const std::string d = dir.str();
  const std::string src =
      testsupport::ReadFile(testsupport::SourceRoot() + "/data/KURUCZ/gfhy0800.100");
  testsupport::WriteFile(d + "/lines.dat", src);
  testsupport::WriteFile(d + "/lw6400.txt", "kept\n");
  int st = -1;
  std::string out = Batch("bands --db '" + d + "/cv.db' --dir '" + d + "' 6300 6400", st);
  ASSERT_EQ(st, 0) << out;
  for (const char* step : {"select: read 2, written 2, runs 2 (0 failed)",
                           "merge: read 2, written 2, runs 0 (0 failed)",
                           "widths: read 2, written 2, runs 2 (0 failed)"})
    EXPECT_NE(out.find(step), std::string::npos) << out;
  EXPECT_EQ(testsupport::ReadFile(d + "/lw6400.txt"), "kept\n");
  // li: the catalogue line without its first column, then the depths in 0.01 %
  const std::string li = testsupport::ReadFile(d + "/li6300.txt");
  ASSERT_EQ(li.size(), 2u * 170u) << li;
  EXPECT_EQ(li.substr(0, 159), src.substr(1, 159));
  // lw: depths (%) in columns 120-129, equivalent widths (0.1 mÅ) in 130-139
  const std::string lw = testsupport::ReadFile(d + "/lw6300.txt");
  auto field = [&](size_t Line, size_t Col) {
    const size_t start = Line == 0 ? 0 : lw.find('\n') + 1;
    return std::stoi(lw.substr(start + Col - 1, 5));
  };
  ASSERT_NE(lw.find('\n'), std::string::npos) << lw;
  for (size_t l : {0u, 1u}) {
    SCOPED_TRACE(l);
    for (size_t c : {120u, 125u}) {
      EXPECT_GT(field(l, c), 5000);  // central depths of 50-90 %
      EXPECT_LT(field(l, c), 9000);
      EXPECT_EQ(li.substr(l * 170 + 159 + (c - 120), 5), lw.substr((l == 0 ? 0 : lw.find('\n') + 1) + c - 1, 5));
    }
    for (size_t c : {130u, 135u}) {
      EXPECT_GT(field(l, c), 600);  // equivalent widths of 60-160 mÅ
      EXPECT_LT(field(l, c), 1600);
    }
  }
  // 6301.5 is the stronger line in both models
  EXPECT_GT(field(0, 130), field(1, 130));
  EXPECT_GT(field(0, 135), field(1, 135));
  // the loader picks the lines by wavelength from the lw file
  out = Batch("line --db '" + d + "/cv.db' --lw '" + d + "' --form-c FE6301.5~3.65 FE6302.5", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_EQ(out, lw) << out;
  // a rerun writes the same files
  const std::string lh = testsupport::ReadFile(d + "/lh6300.txt");
  out = Batch("bands --db '" + d + "/cv.db' --dir '" + d + "' 6300 6400", st);
  ASSERT_EQ(st, 0) << out;
  EXPECT_EQ(testsupport::ReadFile(d + "/li6300.txt"), li);
  EXPECT_EQ(testsupport::ReadFile(d + "/lh6300.txt"), lh);
  EXPECT_EQ(testsupport::ReadFile(d + "/lw6300.txt"), lw);
}

}  // namespace
