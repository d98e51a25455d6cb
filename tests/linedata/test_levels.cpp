// The orbitals and levels import: the designation splitter, LS coupling, and the loads of
// "Orbits" and "Levels" from catalogue lines with their report lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>

#include <sqlite3.h>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStrList.h"
#include "linedata/cvAtLevels.h"
#include "linedata/cvDM.h"
#include "linedata/cvLSCoupling.h"
#include "linedata/support/LineDataEnv.h"
#include "platform/CodePage.h"

namespace {

TEST(LevelDesignation, SplitsFromItsEnd) {
  struct {
    const char *des, *conf, *term, *link;
    int l, mult, err;
  } cases[] = {
      {"3d6 4s2 a5D", "3d6 4s2 a", "5D", "", 2, 5, 0},
      {"4s4p z3P`", "4s4p z", "3P`", "", 1, 3, 0},
      {"3d6 4s2 a5D 4.", "3d6 4s2 a", "5D", "4.", 2, 5, 0},
      {"2p5 3p 2[3/2]", "2p5", "3p", "2[3/2]", 1, 3, 0},
      {"3d7 y4f [5/2", "3d7 y", "4f", "[5/2", 3, 4, 0},
      {"   ", "", "", "", 0, 0, 5},
      {"3d6 a5X", "", "", "", 0, 0, 1},
      {"3d6 aD", "", "", "", 2, 0, 2},
      {"a5D]", "", "", "", 0, 0, 3},
      {"[3/2]", "", "", "[3/2]", 0, 0, 6},
  };
  for (const auto& c : cases) {
    int32_t l = -1, mult = -1, err = -1;
    std::string conf, term, link;
    ParseLevelDesignation(c.des, l, mult, conf, term, link, err);
    EXPECT_EQ(err, c.err) << c.des;
    if (c.err != 0) continue;
    EXPECT_EQ(conf, c.conf) << c.des;
    EXPECT_EQ(term, c.term) << c.des;
    EXPECT_EQ(link, c.link) << c.des;
    EXPECT_EQ(l, c.l) << c.des;
    EXPECT_EQ(mult, c.mult) << c.des;
  }
  EXPECT_EQ(FormatLevelParts("3d6", "5D", ""), "3d6     :5D :     ");
}

TEST(LSCoupling, CheckAndLandeFractionAgainstTheFormula) {
  struct {
    double s, l, j;
    bool ok;
  } cases[] = {{2, 2, 4, true},   {1, 1, 5, false}, {0.5, 0, 0.5, true}, {1, 1, 1, true},
               {2, 2, 0, true},   {1.5, 3, 4.5, true}, {1.5, 3, 4, false}, {0.5, 1, 0.5, true},
               {2, 1, 0.5, false}, {3, 0, 3, true},   {1, 2, 4, false},   {-1, 1, 1, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(CheckSLJ(c.s, c.l, c.j), c.ok) << c.s << " " << c.l << " " << c.j;
    int32_t num = -1, den = -1;
    EXPECT_EQ(LandeGFrac(c.s, c.l, c.j, num, den), c.ok);
    if (!c.ok) continue;
    if (c.j == 0) {
      EXPECT_EQ(num, 0);
      EXPECT_EQ(den, 1);
      continue;
    }
    const double g =
        1 + (c.j * (c.j + 1) + c.s * (c.s + 1) - c.l * (c.l + 1)) / (2 * c.j * (c.j + 1));
    EXPECT_NEAR(static_cast<double>(num) / den, g, 1e-12) << c.s << " " << c.l << " " << c.j;
    EXPECT_EQ(std::gcd(num < 0 ? -num : num, den), num == 0 ? den : 1);
  }
}

// A catalogue line (the 159-column layout) from its levels.
std::string Cat(double LamNm, double Code, double E1, double J1, const char* L1, double E2,
                double J2, const char* L2, int G1, int G2) {
  char b[256];
  std::snprintf(b, sizeof b,
                "%10.4f%7.3f%6.2f%12.3f%5.1f %-10s%12.3f%5.1f %-10s%6.2f%6.2f%6.2f%-4s%2d%2d"
                "%3d%6.3f%3d%6.3f%5d%5d%-6s    %5d%5d%6d",
                LamNm, -1.0, Code, E1, J1, L1, E2, J2, L2, 7.9, -5.4, -7.6, "", 0, 0, 0, 0.0, 0,
                0.0, 0, 0, "", G1, G2, 0);
  return b;
}

class LevelsTest : public LineDataEnv {
 protected:
  void SetUp() override {
    LineDataEnv::SetUp();
    ASSERT_TRUE(DM->Connect(Root("GEDA/cv.db")));
  }
  bool Load(const std::string& Text, int32_t LoadMode, int32_t ReportMode) {
    Put("levels.txt", Text);
    TJob job("levels");
    bool ok = false;
    RunJob(job, [&](TJob& J) { ok = LoadAtLevels(J, *DM, Root("levels.txt"), LoadMode, ReportMode, report, r); });
    return ok;
  }
  // The rows of a query, fields joined by "|" (reals as SQLite writes them).
  std::string Rows(const std::string& Sql) {
    std::string out;
    sqlite3_exec(
        DM->ADOConnection.Handle(), Sql.c_str(),
        [](void* Out, int N, char** V, char**) {
          auto& o = *static_cast<std::string*>(Out);
          for (int i = 0; i < N; ++i) o += std::string(i ? "|" : "") + (V[i] ? V[i] : "");
          o += "\n";
          return 0;
        },
        &out, nullptr);
    return out;
  }
  bool Reported(const std::string& Utf8) const {
    for (int32_t i = 0; i < report.Count(); ++i)
      if (platform::Cp1251ToUtf8(report[i]).find(Utf8) != std::string::npos) return true;
    return false;
  }
  TStringList report;
  TAtLevelsResult r;
};

// Fe I 6301.5 and 6302.5 (upper level first; the second in the 160-column layout).
const std::string kFe6301 = Cat(630.1501, 26.00, 45333.872, 2.0, "4s5s e5D", 29469.022, 2.0,
                                "4s4p z5P", 1503, 1835);
const std::string kFe6302 = " " + Cat(630.2494, 26.00, 45595.083, 0.0, "4s5s e5D", 29732.734,
                                      1.0, "4s4p z5P", 0, 2487);

TEST_F(LevelsTest, OrbitalsThenLevelsCountedOnASecondLoad) {
  const std::string text = kFe6301 + "\n" + kFe6302 + "\n";
  // levels before their orbitals: nothing stored
  ASSERT_TRUE(Load(text, 2, 3));
  EXPECT_EQ(Rows("select count(*) from Levels"), "0\n");
  ASSERT_TRUE(Load(text, 1, 1));
  EXPECT_EQ(r.Used, 2);
  EXPECT_EQ(platform::Cp1251ToUtf8(r.Title), "Строки загрузки атомных орбиталей");
  ASSERT_EQ(report.Count(), 2);
  EXPECT_NE(report[0].find("4s4p z5P     => "), std::string::npos) << report[0];
  EXPECT_EQ(Rows("select iAtNi, sKur, k_inp, qL, qS2, sK_Conf, sK_Term from Orbits order by sKur"),
            "2600|4s4p z5P|2|1|4|4s4p z|5P\n2600|4s5s e5D|2|2|4|4s5s e|5D\n");
  ASSERT_TRUE(Load(text, 1, 0));
  EXPECT_EQ(Rows("select sKur, k_inp from Orbits order by sKur"), "4s4p z5P|4\n4s5s e5D|4\n");
  ASSERT_TRUE(Load(text, 2, 3));
  EXPECT_EQ(r.Levels, 4);
  EXPECT_EQ(Rows("select sKur, qJ2, E_cm, g_Kur, g_, g_num, g_denom, k_inp, nKur from Levels "
                 "order by E_cm"),
            "4s4p z5P|4|29469022.0|1835.0|1835.0|11|6|1|0\n"
            "4s4p z5P|2|29732734.0|2487.0|2487.0|5|2|1|0\n"
            "4s5s e5D|4|45333872.0|1503.0|1503.0|3|2|1|0\n"
            "4s5s e5D|0|45595083.0|-10000.0|0.0|0|1|1|0\n");
  ASSERT_TRUE(Load(text, 2, 3));
  EXPECT_EQ(r.Levels, 0);
  EXPECT_EQ(Rows("select distinct k_inp from Levels"), "2\n");
  // a level whose energy differs by more than 0.1 (10^-3 cm-1): a message and a second record
  const std::string moved = Cat(630.1501, 26.00, 45333.872, 2.0, "4s5s e5D", 29469.023, 2.0,
                                "4s4p z5P", 1503, 1835);
  ASSERT_TRUE(Load(moved + "\n", 2, 3));
  EXPECT_EQ(platform::Cp1251ToUtf8(r.Title), "Ошибки загрузки атомных уровней");
  EXPECT_TRUE(Reported("At=2600 Orbit=<4s4p z5P> J=2 Err: E(sm)  29469.023<> 29469.022 "));
  EXPECT_EQ(Rows("select nKur from Levels where qJ2 = 4 and sKur = '4s4p z5P' order by nKur"),
            "0\n1\n");
}

TEST_F(LevelsTest, LineErrorsAreReportedAndLoadNothing) {
  const std::string farLam = Cat(640.0, 26.00, 45333.872, 2.0, "4s5s e5D", 29469.022, 2.0,
                                 "4s4p z5P", 1503, 1835);
  std::string notNum = kFe6301;
  notNum.replace(21, 2, " x");  // the ionisation index
  const std::string badJ = Cat(630.1501, 26.00, 45333.872, 5.0, "4s5s e3P", 29469.022, 2.0,
                               "4s4p z5P", 1503, 1835);
  const std::string badDes = Cat(630.1501, 26.00, 45333.872, 2.0, "4s5s eQ", 29469.022, 2.0,
                                 "4s4p z5P", 1503, 1835);
  const std::string text = farLam + "\n" + notNum + "\n" + badJ + "\n" + badDes + "\n" +
                           kFe6301.substr(0, 150) + "\n\n";
  ASSERT_TRUE(Load(text, 1, 2));
  EXPECT_EQ(r.Used, 0);
  EXPECT_EQ(r.Short, 1);
  EXPECT_EQ(Rows("select count(*) from Orbits"), "0\n");
  EXPECT_TRUE(Reported("     1 Lamb=6"));
  EXPECT_TRUE(Reported("<> (e_Hi-e_Lo)=630.1"));
  EXPECT_TRUE(Reported("     2 Val(< x>,NNi, Error ====>"));
  EXPECT_TRUE(Reported("     3 Hi <4s5s e3P> = <4s5s e  :3P :     > L!S!J = 1 +1=5"));
  EXPECT_TRUE(Reported("     4 Hi <4s5s eQ> = <"));
  EXPECT_TRUE(Reported("     5 строка короче 153 символов"));
  // the same lines by report mode: quantum numbers only, designations only
  ASSERT_TRUE(Load(text, 0, 6));
  EXPECT_EQ(report.Count(), 1);
  ASSERT_TRUE(Load(text, 0, 5));
  EXPECT_EQ(report.Count(), 1);
  EXPECT_EQ(platform::Cp1251ToUtf8(r.Title), "Ошибки орбиталей");
}

}  // namespace
