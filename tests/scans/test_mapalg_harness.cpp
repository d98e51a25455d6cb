// Map algebra and level filters through the command-line harness on the demo scan, as a new user
// would try them: maps written and reloaded from the scan's own output file, "Cnt=mid(CONT,CNTN)"
// saved into it, then the masks of a two-filter combination counted. numpy checks the saved map
// (read by the file's offset rule) and the counts (bounds included); skipped without
// python3-astropy.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "scans/support/ScanFiles.h"
#include "support/TestSupport.h"

namespace {

int Batch(const std::string& Args, std::string& Out, const std::string& Env) {
  int status = -1;
  Out = testsupport::RunShell(Env + std::string(CORVESTA_BATCH) + " " + Args + " 2>/dev/null",
                              &status);
  return status;
}

// "NAME: [..] ..." then "  min A (..) max B (..) mean C": A and B of the map.
bool MinMax(const std::string& Out, const std::string& Name, std::string& Lo, std::string& Hi) {
  const size_t p = Out.find(Name + ": [");
  if (p == std::string::npos) return false;
  std::istringstream in(Out.substr(Out.find("  min ", p)));
  std::string w, skip;
  in >> w >> Lo >> skip >> w >> Hi;
  return w == "max";
}

TEST(MapAlgHarness, MidOfTwoMapsSavedThenMaskCountsOfTwoFilters) {
  testsupport::TempDir home;
  const std::string env = "XDG_DATA_HOME=" + home.str() + " ";
  const std::string file =
      home.str() + "/Corvesta/FITS/2019_06/20190622_1645/20190622_1645.fits";
  std::string out;
  ASSERT_EQ(Batch("maps-write 20190622_164505", out, env), 0) << out;
  ASSERT_EQ(Batch("mapalg 20190622 164505 --save 'Cnt=mid(CONT,CNTN)' 'LG=log(CONT)'", out, env),
            0)
      << out;
  EXPECT_NE(out.find("Cnt: [24,80] kLoad 8\n"), std::string::npos) << out;
  EXPECT_NE(out.find("maps saved: 2\n"), std::string::npos) << out;
  // Reloaded from the file: four maps.
  ASSERT_EQ(Batch("maps-dir 20190622 164505", out, env), 0);
  EXPECT_NE(out.find("\nCnt "), std::string::npos) << out;
  EXPECT_NE(out.find("\nLG "), std::string::npos) << out;
  // An unknown function and an unknown map fail with their reports.
  std::string err = testsupport::RunShell(env + CORVESTA_BATCH +
                                          " mapalg 20190622 164505 'X=ADD(CONT,CNTN)' 2>&1");
  EXPECT_NE(err.find("Функции ADD(FO1,FO2) не существует!"), std::string::npos) << err;
  int st = 0;
  testsupport::RunShell(
      env + CORVESTA_BATCH + " mapalg 20190622 164505 'X=abs(NONE)' 2>/dev/null", &st);
  EXPECT_EQ(st, 1);

  // Two filters: CONT in two halves of its range, Cnt in two separate intervals.
  ASSERT_EQ(Batch("mapalg 20190622 164505 'Cnt2=abs(Cnt)'", out, env), 0) << out;
  std::string c0, c1, n0, n1;
  ASSERT_TRUE(MinMax(out, "Cnt2", n0, n1)) << out;
  ASSERT_EQ(Batch("mapalg 20190622 164505 'C2=abs(CONT)'", out, env), 0) << out;
  ASSERT_TRUE(MinMax(out, "C2", c0, c1)) << out;
  const double cl = std::stod(c0), ch = std::stod(c1), nl = std::stod(n0), nh = std::stod(n1);
  auto num = [](double v) {
    std::ostringstream s;
    s.precision(9);
    s << v;
    return s.str();
  };
  const std::string cMid = num((cl + ch) / 2);
  const std::string nA = num(nl + 0.1 * (nh - nl)), nB = num(nl + 0.45 * (nh - nl)),
                    nC = num(nl + 0.5 * (nh - nl)), nD = num(nh);
  const std::string contText = num(cl) + " " + cMid + " " + num(ch);
  const std::string cntText = nA + " " + nB + ", " + nC + " " + nD;
  ASSERT_EQ(Batch("mapmask 20190622 164505 --filt CONT '" + contText + "' --filt Cnt '" +
                      cntText + "'",
                  out, env),
            0)
      << out;
  std::vector<std::string> mine;
  for (std::istringstream in(out); std::getline(in, err);) {
    const size_t l = err.find(" levels "), c = err.find(" count ");
    if (l == std::string::npos || c == std::string::npos) continue;
    std::istringstream n(err.substr(c + 7));
    int count = -1;
    n >> count;
    mine.push_back(err.substr(l + 8, err.find(':', l) - l - 8) + " " + std::to_string(count));
  }
  ASSERT_EQ(mine.size(), 4u) << out;
  EXPECT_NE(out.find("step 1/4 levels 1 1: CONT["), std::string::npos) << out;
  if (!scantest::HaveAstropy()) GTEST_SKIP() << "python3-astropy is not installed";
  const std::string py = "/usr/bin/python3 " + testsupport::SourceRoot() +
                         "/tests/scans/support/numpy_mapalg.py ";
  EXPECT_EQ(testsupport::RunShell(py + "mid " + file + " CONT CNTN Cnt 2>/dev/null"), "equal\n");
  const std::string ref = testsupport::RunShell(
      py + "mask " + file + " 'CONT:" + num(cl) + "/" + cMid + ";" + cMid + "/" + num(ch) +
      "' 'Cnt:" + nA + "/" + nB + ";" + nC + "/" + nD + "' 2>/dev/null");
  std::vector<std::string> theirs;
  for (std::istringstream in(ref); std::getline(in, err);) theirs.push_back(err);
  EXPECT_EQ(mine, theirs) << ref << out;
  // The whole map passes the full range of CONT, split over its two levels.
  int total = 0;
  for (const std::string& l : theirs) total += std::stoi(l.substr(l.rfind(' ') + 1));
  EXPECT_GT(total, 0);
}

}  // namespace
