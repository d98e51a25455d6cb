// Observed five-angle profile files: the wavelength at the end of a text, the next larger offset,
// one file into five observed profiles (angles, continuum fields, rows left out, the row of the
// largest offset kept), and the READ_SUN69 run over a folder (combination numbers, "#LIN" and
// "#CTETA" from the files, skipped files, a reader error that stores nothing).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "models/variator/cvVari.h"
#include "support/TestSupport.h"
#include "synthesis/fit/cvSun69.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/support/SynEnv.h"

namespace {

// A five-angle file: identifier, wavelength line, angle line, rows.
std::string FiveAngle(const std::string& Id, const std::string& Lam, const std::string& Mu,
                      const std::string& Rows) {
  return "! test file\n" + Id + "\n" + Lam + "\n" + Mu + "\n" + Rows;
}

// Rows: offset (7 columns) and five intensity fields of 5 columns.
const char* const kRows =
    "-1200.0  500  500  500  500  500\n"
    "  -50.0  850                    \n"
    "  -50.0  100  100  100  100  100\n"
    "    0.0  400  420  440  460  480\n"
    "   50.0  860  870  880  890  900\n";

TEST(FiveAngleFiles, EndOfTextWavelengthAndNextLargerOffset) {
  testsupport::SynEnv env;
  EXPECT_EQ(EndStrToLam("Fe I 6302.500"), 6302.5);
  EXPECT_EQ(EndStrToLam("6302.500"), 6302.5);
  EXPECT_EQ(EndStrToLam(""), 0);
  EXPECT_EQ(EndStrToLam("Fe I 6302.5.1"), 0);
  EXPECT_EQ(env.Count("EndStrToLam-Err строку <6302.5.1>"_cp), 1);
  const TARe a = {0, 3, 1, 2, 2};
  EXPECT_EQ(AReNextAbove(a, 1), 3);
  EXPECT_EQ(AReNextAbove(a, 2), 1);
  EXPECT_EQ(AReNextAbove(a, 3), 5);
}

TEST(FiveAngleFiles, OneFileGivesFiveProfiles) {
  testsupport::SynEnv env;
  testsupport::TempDir dir;
  const std::string f = dir.file("fe.txt");
  testsupport::WriteFile(f, FiveAngle("FE6302 extra", "Fe I 6302.500", "1.00 0.8 0.6 0.4405 0.442",
                                      kRows));
  TLUNNO list;
  std::array<double, 5> mu{};
  ASSERT_EQ(Load5Profiles(f, 10, "Q", 3, list, mu), 5);
  EXPECT_EQ(mu, (std::array<double, 5>{1, 0.8, 0.6, 0.436, 0.442}));
  ASSERT_EQ(list.Count(), 5);
  for (int a = 0; a < 5; ++a) {
    const TUNNO& U = *list.Items(a);
    EXPECT_EQ(U.KVARI, 11 + a);
    EXPECT_EQ(U.QUEST, "Q");
    EXPECT_EQ(U.IQ, 3);
    EXPECT_EQ(U.sULin, "FE6302");
    EXPECT_EQ(U.MJU, mu[static_cast<size_t>(a)]);
    EXPECT_EQ(U.K4, 1);
    EXPECT_EQ(U.KSym, 2);
    EXPECT_EQ(U.KCONT, 1);
    EXPECT_EQ(U.ALG, "READ");
    // -1200 left out; the first of the two -50 rows; the row of the largest offset kept
    ASSERT_EQ(U.NDL, 3);
    EXPECT_DOUBLE_EQ(U.UL[1], 6302.45);
    EXPECT_DOUBLE_EQ(U.UL[3], 6302.55);
    EXPECT_EQ(U.ILAM, 2);
  }
  EXPECT_DOUBLE_EQ(list.Items(0)->UI[1], 0.85);
  EXPECT_DOUBLE_EQ(list.Items(1)->UI[1], 1.0);
  EXPECT_DOUBLE_EQ(list.Items(4)->UI[3], 0.9);
}

// A READ_SUN69 step over a folder.
struct TSunRun {
  testsupport::SynEnv env;
  testsupport::TempDir dir;
  TVARIATOR V{"OBS", 1};
  TLUNNO list;
  TSunRun() {
    std::filesystem::create_directories(dir.file("sun"));
    env.ctx.VARI = &V;
    V.AddP("#SRCDIR " + dir.file("sun"));
    V.AddP("#ALG READ");
  }
  void Put(const std::string& Name, const std::string& Text) {
    testsupport::WriteFile(dir.file("sun/" + Name), Text);
  }
  bool Run() {
    TJob job("READ_SUN69");
    const bool ok = RunJob(job, [&](TJob& J) { ReadSun69(J, list); });
    for (const auto& w : job.Warnings()) warnings.push_back(w.Text);
    error = job.Error();
    return ok;
  }
  // The warnings of the runs holding Part.
  int Count(const std::string& Part) const {
    int n = 0;
    for (const auto& t : warnings) n += t.find(Part) != std::string::npos;
    return n;
  }
  std::vector<std::string> warnings;
  std::string error;
};

TEST(ReadSun69Run, TwoFilesGiveTenCombinationsAndTheFilesAngles) {
  TSunRun r;
  r.Put("a.txt", FiveAngle("FE6301", "6301.5", "1 0.8 0.6 0.44 0.28", kRows));
  r.Put("b.txt", FiveAngle("FE6302", "Fe I 6302.5", "1 0.8 0.6 0.44 0.28", kRows));
  r.Put("c.txt", FiveAngle("FE6303", "6303", "1 0.8 0.6 0.44", kRows));       // four angles
  r.Put("d.txt", FiveAngle("FE6304", "6304", "1 0.9 0.6 0.44 0.28", kRows));  // other angles
  ASSERT_TRUE(r.Run());
  ASSERT_EQ(r.list.Count(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(r.list.Items(i)->KVARI, i + 1);
  EXPECT_EQ(r.V.NVals("#LIN"), 2);
  EXPECT_EQ(r.V.NVals("#CTETA"), 5);
  EXPECT_EQ(r.V.NK, 10);
  EXPECT_EQ(r.V.ValOfPar(r.V.KeyIdx("#CTETA"), 4), "0.436");
  // combination (line - 1) * 5 + angle is the profile's KVARI
  r.V.KIdx = 7;
  EXPECT_EQ(r.V.GetS("#LIN"), "FE6302");
  EXPECT_EQ(r.V.GetR("#CTETA", 0), 0.8);
  EXPECT_EQ(r.Count("должно быть 5 гелиоцентрических углов"_cp), 1);
  EXPECT_EQ(r.Count("не совпадают с углами"_cp), 1);
}

TEST(ReadSun69Run, BadInputStoresNothing) {
  {
    TSunRun r;  // a reader error in the second file: the first file's profiles not stored
    r.Put("a.txt", FiveAngle("FE6301", "6301.5", "1 0.8 0.6 0.44 0.28", kRows));
    r.Put("b.txt", FiveAngle("FE6302", "6302.5", "1 0.8 0.6 0.44 0.28", "  -1x0  500\n"));
    auto old = std::make_unique<TUNNO>();
    old->QUEST = "OBS";
    old->IQ = 1;
    r.list.Add(std::move(old));
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.list.Count(), 1);
    EXPECT_EQ(r.V.NoKey("#LIN"), true);
    EXPECT_EQ(r.V.NoKey("#CTETA"), true);
  }
  {
    TSunRun r;  // a wavelength line without a number
    r.Put("a.txt", FiveAngle("FE6301", "Fe I", "1 0.8 0.6 0.44 0.28", kRows));
    EXPECT_FALSE(r.Run());
    EXPECT_NE(r.error.find("Ошибка при чтении длины волны в строке"_cp), std::string::npos);
    EXPECT_NE(r.error.find("a.txt"), std::string::npos) << r.error;
    EXPECT_EQ(r.list.Count(), 0);
  }
  {
    TSunRun r;  // no such folder, then no "#SRCDIR" at all
    r.V.AddP("#SRCDIR " + r.dir.file("none"));
    EXPECT_TRUE(r.Run());
    EXPECT_EQ(r.Count("в переменной #SRCDIR управляющего файла НЕ НАЙДЕН!"_cp), 1);
    r.V.DelJ(r.V.KeyIdx("#SRCDIR"));
    EXPECT_FALSE(r.Run());
    EXPECT_NE(r.error.find("#SRCDIR"), std::string::npos) << r.error;
    EXPECT_EQ(r.list.Count(), 0);
  }
}

}  // namespace
