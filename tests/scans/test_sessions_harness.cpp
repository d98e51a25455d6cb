// The harness's "sessions" (the FITS tab's sessions grid as text) and "header-return" (an edited
// header text written back) on a copy of the bundled root.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"
#include "scans/cvFitsCard.h"
#include "scans/cvSessions.h"
#include "support/TestSupport.h"

namespace {
namespace fs = std::filesystem;

class SessionsHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(testsupport::SourceRoot() + "/data/FITS", dir.str(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  testsupport::TempDir dir;
};

TEST_F(SessionsHarness, MonthsYearsAndAllAsText) {
  const auto r = testsupport::RunBatch("sessions --root '" + dir.str() + "' 2019_06");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Dt_HHMMSS CV ME M2 nnX nY nX nn Cadenc exp bin fovy max_B Xcen"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\n20190622_164505 - + - 24 80 24 1 1.92 4.8 1 25.59 0 -350.0 120.5 944.3 "
                       "7.3 68.2 22.9 "),
            std::string::npos)
      << r.out;
  const auto all = testsupport::RunBatch("sessions --root '" + dir.str() + "' All");
  ASSERT_EQ(all.status, 0) << all.out;
  EXPECT_NE(all.out.find("\n20190703_081000 - + - 6 20 6 1 "), std::string::npos) << all.out;
  const auto none = testsupport::RunBatch("sessions --root '" + dir.str() + "' 2019_09");
  EXPECT_EQ(none.status, 1) << none.out;
  EXPECT_EQ(testsupport::RunBatch("sessions").status, 2);
}

TEST_F(SessionsHarness, HeaderReturnWritesAnEditedHeaderBack) {
  const std::string me = dir.str() + "/2019_06/20190622_1645/20190622_164505.fits";
  const std::string before = testsupport::ReadFile(me);
  std::vector<std::string> t = sessions::HeaderText(me, 0);
  ASSERT_GT(t.size(), 5u);
  const size_t cards = t.size() - 2;
  // P_ANGLE corrected, one card dropped (B_ANGLE)
  std::string text;
  for (const std::string& l : t) {
    if (l.rfind("B_ANGLE", 0) == 0) continue;
    text += (l.rfind("P_ANGLE", 0) == 0 ? FITCardStr("P_ANGLE", "-2.5", "deg") : l) + "\n";
  }
  testsupport::WriteFile(dir.file("edited.txt"), text);
  const auto r = testsupport::RunBatch("header-return '" + dir.file("edited.txt") + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<std::string> back = sessions::HeaderText(me, 0);
  ASSERT_EQ(back.size(), cards + 2);
  TStringList l;
  for (size_t i = 2; i < back.size(); ++i) l.Add(back[i]);
  EXPECT_EQ(GetFITKeyAll("P_ANGLE", &l), "-2.5");
  EXPECT_EQ(back[back.size() - 2].substr(0, 8), "DUMMY000");
  EXPECT_EQ(testsupport::ReadFile(me).substr(2880), before.substr(2880));  // the maps untouched

  // a first line whose start is no number: refused, the file as it was
  const std::string now = testsupport::ReadFile(me);
  testsupport::WriteFile(dir.file("bad.txt"), me + " S " + std::to_string(cards) + "\n--\nEND\n");
  const auto bad = testsupport::RunBatch("header-return '" + dir.file("bad.txt") + "'");
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_EQ(testsupport::ReadFile(me), now);
}

}  // namespace
