// The harness's Milne-Eddington command: a profile-list block of the analytic profiles with the
// values RACH gives, V positive in the blue lobe, and a fatal input reported as a failure.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <sstream>
#include <string>
#include <vector>

#include "linedata/cvZeeman.h"
#include "support/TestSupport.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

struct TRun {
  int status = -1;
  std::string out;
};

TRun Harness(const std::string& Args) {
  testsupport::TempDir tmp;
  const std::string log = tmp.file("out.txt");
  const std::string cmd =
      "'" + std::string(CORVESTA_BATCH) + "' " + Args + " > '" + log + "' 2>&1";
  const int rc = std::system(cmd.c_str());
  TRun r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = testsupport::ReadFile(log);
  return r;
}

// Table rows of the block: offset (mA), I, Q, U, V.
std::vector<std::vector<double>> Rows(const std::string& Text) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(Text);
  std::string line;
  bool table = false;
  while (std::getline(in, line)) {
    if (line.find("D_LAMB") != std::string::npos) {
      table = true;
      continue;
    }
    if (!table) continue;
    if (line.find("=====") != std::string::npos) break;
    std::istringstream ls(line);
    std::vector<double> row;
    std::string w;
    while (ls >> w) {
      // the table writes small values as "5.72-05" (mantissa, signed exponent)
      const size_t e = w.find_first_of("+-", 1);
      if (e != std::string::npos && w.find_first_of("eE") == std::string::npos) w.insert(e, "E");
      row.push_back(std::stod(w));
    }
    if (row.size() >= 5) rows.push_back(row);
  }
  return rows;
}

TEST(MilneEddingtonJourney, HarnessWritesTheProfileBlock) {
  const TRun r =
      Harness("me --line FE6302 --h 1000 --gamma 30 --chi 10 --eta0 8 --nlam 9 --dlk 160");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("UNNO_PROF(RACH,ME)"), std::string::npos) << r.out;
  const auto rows = Rows(r.out);
  ASSERT_EQ(rows.size(), 9u) << r.out;
  SetVoigtMethod("HUMLICEK");
  TZEEMAN z;
  ZeeSetRunge("FE6302", z, 1, 0, 2.5, 0);
  TMEPar p;
  p.ETA0 = 8;
  p.A = 0.05;
  p.DLD = 30;
  p.DLH = DLHOfField(6302.4936, 1000);
  p.GM = 30;
  p.XI = 10;
  p.BETTA = 1.5;
  p.CTETA = 1;
  TUNNO U;
  U.SetDefaults();
  U.PureUL(9, 0, 6302.4936, 160, 0);
  RACH(p, z, U, 6);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int32_t k = static_cast<int32_t>(i) + 1;
    EXPECT_NEAR(rows[i][0], 20.0 * static_cast<double>(i), 1e-3);
    EXPECT_NEAR(rows[i][1], U.UI[k], 1e-8);
    EXPECT_NEAR(rows[i][2], U.UQ[k], 1e-8);
    EXPECT_NEAR(rows[i][3], U.UU[k], 1e-8);
    EXPECT_NEAR(rows[i][4], U.UV[k], 1e-8);
  }
  // the stored wing is red: V negative there for a field towards the observer
  EXPECT_LT(rows[3][4], 0);
  const TRun bad = Harness("me --dld 0");
  EXPECT_NE(bad.status, 0);
  EXPECT_NE(bad.out.find("RACH DLD=0!!!"), std::string::npos) << bad.out;
}

}  // namespace
