// The automatic wavelength grid through the harness on a copy of the demo project: the demo quest
// "eqd" (points and their flags in the result file, the second combination seeded by the
// first), and every point of the automatic grid against a fixed-grid synthesis at the same
// wavelengths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
};

// The profiles of a summary: per profile its rows "lambda I Q U V" in the full form.
std::vector<std::vector<std::vector<double>>> Rows(const std::string& Out) {
  std::vector<std::vector<std::vector<double>>> r;
  std::istringstream in(Out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("profile ", 0) == 0) r.emplace_back();
    if (line.rfind("row ", 0) != 0 || r.empty()) continue;
    std::istringstream w(line.substr(4));
    std::vector<double> v;
    double x;
    while (w >> x) v.push_back(x);
    r.back().push_back(v);
  }
  return r;
}

struct TPoint {
  double off, ri;
  int k;
};

// The rows of the profile-list text under a head with " k nn ": offset, RI and k per point.
std::vector<std::vector<TPoint>> Flags(const std::string& Text) {
  std::vector<std::vector<TPoint>> r;
  std::istringstream in(Text);
  std::string line;
  bool inTable = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(" k nn") != std::string::npos) {
      r.emplace_back();
      inTable = true;
      continue;
    }
    if (!inTable) continue;
    std::istringstream w(line);
    std::vector<double> v;
    double x;
    while (w >> x) v.push_back(x);
    if (v.size() < 3) {
      inTable = false;
      continue;
    }
    r.back().push_back({v[0], v[1], static_cast<int>(v[v.size() - 2])});
  }
  return r;
}

// The depth below the continuum in % from the nearest level of 2 % steps.
double LevelMiss(double RI) {
  const double d = (1 - RI) * 100;
  return std::fabs(d - 2 * std::round(d / 2));
}

// The demo quest: two fields on the automatic grid; every point computed, the start grid and the
// level points flagged in the result file, each on its level within the integration accuracy
// (1 %: the wing search takes a point that close as the crossing); the second combination starts from the
// first one's final level points.
TEST(EqdJourney, DemoQuestWritesPointsAndFlags) {
  TProject p;
  const TRun r = testsupport::RunBatch("run-quest --summary --project '" + p.dir + "' eqd");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string text = testsupport::ReadFile(p.dir + "/DC/eqd.txt");
  const auto flags = Flags(text);
  ASSERT_EQ(flags.size(), 2u) << text;
  std::set<double> finals1;
  for (int k = 0; k < 2; ++k) {
    int finals = 0, start = 0;
    for (const TPoint& q : flags[k]) {
      EXPECT_TRUE(q.k & 1) << q.off;
      start += (q.k & 2) != 0;
      if (q.k & 32) {
        ++finals;
        if (k == 0) finals1.insert(q.off);
      }
      if (q.k & (8 | 32)) {
        EXPECT_LT(LevelMiss(q.ri), 1.0001) << q.off;
      }
      EXPECT_FALSE(q.k & (16 | 64)) << q.off;  // a half profile: the red side only
    }
    if (k == 0) {
      EXPECT_GE(finals, 25);  // a line of 64 % central depth
    }
    EXPECT_GE(start, 5) << k;
  }
  int seeded = 0;
  for (const TPoint& q : flags[1])
    if (finals1.count(q.off) && (q.k & 2)) ++seeded;
  EXPECT_EQ(seeded, static_cast<int>(finals1.size()));
}

// Every point of the automatic grid is the fixed grid's synthesis at its wavelength (to 1e-9).
TEST(EqdJourney, PointsEqualTheFixedGrid) {
  TProject p;
  const std::string base =
      "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n#H 1200 #\n#GM 50 #\n"
      "#XI 20 #\n#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n";
  testsupport::WriteFile(p.dir + "/ONE/auto.DAT", base + "#LAM_OPT EQD #\n#RUN CONT #\n");
  const TRun a = testsupport::RunBatch("synth --summary --project '" + p.dir + "' --out '" +
                                       p.tmp.file("auto.txt") + "' '" + p.dir + "/ONE/auto.DAT'");
  ASSERT_EQ(a.status, 0) << a.out;
  const auto ra = Rows(a.out);
  ASSERT_EQ(ra.size(), 1u) << a.out;
  // the stored half: the rows from the centre outwards
  std::vector<double> lams;
  const double centre = ra[0][ra[0].size() / 2][0];
  for (const auto& row : ra[0])
    if (row[0] >= centre) lams.push_back(row[0]);
  ASSERT_GT(lams.size(), 40u);
  std::ostringstream list;
  list.precision(12);
  for (double l : lams) list << " " << l;
  testsupport::WriteFile(p.dir + "/ONE/fixed.DAT", base + "#LAMS" + list.str() + " =#\n#RUN CONT #\n");
  const TRun f = testsupport::RunBatch("synth --summary --project '" + p.dir + "' --out '" +
                                       p.tmp.file("fixed.txt") + "' '" + p.dir + "/ONE/fixed.DAT'");
  ASSERT_EQ(f.status, 0) << f.out;
  const auto rf = Rows(f.out);
  ASSERT_EQ(rf.size(), 1u) << f.out;
  ASSERT_EQ(rf[0].size(), ra[0].size());
  double worst = 0;
  for (size_t i = 0; i < ra[0].size(); ++i) {
    ASSERT_EQ(ra[0][i].size(), 5u);
    EXPECT_EQ(ra[0][i][0], rf[0][i][0]) << i;
    for (size_t c = 1; c < 5; ++c) {
      worst = std::max(worst, std::fabs(ra[0][i][c] - rf[0][i][c]));
      EXPECT_NEAR(ra[0][i][c], rf[0][i][c], 1e-9) << "row " << i << " column " << c;
    }
  }
  RecordProperty("max_abs_dev", std::to_string(worst));
}

}  // namespace
