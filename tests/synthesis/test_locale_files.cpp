// Result files and map files written by the harness under a decimal-comma locale in the
// environment are the bytes written under "C": numbers never take the user's decimal comma.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/DecimalComma.h"
#include "support/TestSupport.h"

namespace {

struct TFiles {
  int Synth = -1, Maps = -1;
  std::string Result, Map, Out;
};

// The write times a file records (yyyymmdd_hhmmss) masked: two runs differ only there.
std::string NoStamps(const std::string& Bytes) {
  static const std::regex stamp("[0-9]{8}_[0-9]{6}");
  return std::regex_replace(Bytes, stamp, "YYYYMMDD_hhmmss");
}

TFiles Write(const std::string& Env) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  TFiles f;
  const std::string batch = Env + " '" + std::string(CORVESTA_BATCH) + "' ";
  const std::string out = tmp.file("fe6302.txt");
  f.Out = testsupport::RunShell(batch + "synth --summary --project '" + project + "' --out '" +
                                    out + "' 'ONE/fe6302.DAT' 2>/dev/null",
                                &f.Synth);
  f.Result = NoStamps(testsupport::ReadFile(out));
  const std::string maps = testsupport::RunShell(
      "XDG_DATA_HOME='" + tmp.str() + "' " + batch +
          "maps-write 20190622_164505 --ver 20250101 2>/dev/null",
      &f.Maps);
  if (f.Maps != 0) f.Out += maps;
  f.Map = NoStamps(testsupport::ReadFile(
      tmp.str() + "/Corvesta/FITS/2019_06/20190622_1645/20190622_1645.fits"));
  return f;
}

TEST(LocaleFiles, ResultAndMapFilesIgnoreADecimalCommaLocale) {
  const std::string loc = testsupport::DecimalCommaLocale();
  if (loc.empty()) GTEST_SKIP() << testsupport::kNoDecimalComma;
  const TFiles c = Write("LC_ALL=C");
  const TFiles comma = Write("LC_ALL=" + loc + " LANG=" + loc);
  ASSERT_EQ(c.Synth, 0) << c.Out;
  ASSERT_EQ(c.Maps, 0) << c.Out;
  EXPECT_EQ(comma.Synth, 0) << comma.Out;
  EXPECT_EQ(comma.Maps, 0) << comma.Out;
  ASSERT_FALSE(c.Result.empty());
  ASSERT_FALSE(c.Map.empty());
  EXPECT_TRUE(comma.Result == c.Result) << "result files differ";
  EXPECT_TRUE(comma.Map == c.Map) << "map files differ";
  // the printed summary: the same numbers, with points
  EXPECT_EQ(comma.Out, c.Out);
  EXPECT_NE(c.Out.find("."), std::string::npos);
}

}  // namespace
