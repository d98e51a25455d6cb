// Option switch files and their scope; output depth grids.
#include <gtest/gtest.h>

#include "foundation/cvLit.h"
#include "models/cvOTL.h"
#include "models/cvRout.h"
#include "platform/CodePage.h"
#include "support/ModelsEnv.h"

using testsupport::ModelsEnv;

namespace {

struct OptionsTest : ::testing::Test {
  ModelsEnv env;
  std::string Otl(const std::string& Name, const std::string& Switches) {
    return env.Write(Name, "free text\nPMOD3 title words\nSw Meaning\n" + Switches);
  }
};

TEST_F(OptionsTest, SwitchesInUtf8AndIn1251) {
  const std::string utf8 = "1 a\ny b\nДа c\nno d\n0 e\n";
  const std::string f1 = Otl("u.otl", utf8);
  const std::string f2 = Otl("w.otl", platform::Utf8ToCp1251(utf8));
  for (const std::string& f : {f1, f2}) {
    int32_t mask = -1;
    std::string title;
    RDOT(f, mask, title);
    EXPECT_EQ(mask, 7) << f;
    EXPECT_EQ(title, "PMOD3");
  }
}

TEST_F(OptionsTest, ShortFilesCommentsAndMissingFiles) {
  int32_t mask = -1;
  std::string title;
  RDOT(env.Write("three.otl", "a\nT3 x\nc\n"), mask, title);
  EXPECT_EQ(mask, 0);
  EXPECT_EQ(title, "T3");
  RDOT(Otl("c.otl", "0\n! a comment line\n\n1\n"), mask, title);
  EXPECT_EQ(mask, 2);
  std::string many;
  for (int i = 0; i < 40; ++i) many += "1\n";
  RDOTIO(Otl("all.otl", many), mask);
  EXPECT_EQ(mask, 0x7FFFFFFF);  // bit 31 is never set
  Sayer->qTrace = true;
  RDOT(Otl("off.otl", "0\n1\n"), mask, title);
  EXPECT_FALSE(Sayer->qTrace);
  RDOT(env.dir.file("none.otl"), mask, title);
  EXPECT_EQ(mask, 0);
  EXPECT_EQ(title, "OTL");
  EXPECT_TRUE(env.sink.Has("для чтения опций (OTL-файл) не найден!"_cp));
}

TEST_F(OptionsTest, ScopeRestoresTheTraceMaskOnEveryExit) {
  const std::string f = Otl("p.otl", "1\n0\n1\n");
  Models().DirOf.Install([&](const std::string& M, const std::string& F) {
    if (M == "BAD") throw EInOutError("no such pair");
    return M == "PMOD3" && F == "OTL" ? f : std::string();
  });
  TraceMask = 0x100;
  const int32_t depth = StackIO.Count;
  {
    TOptionScope o("PMOD3");
    EXPECT_EQ(o.Mask, 5);
    EXPECT_TRUE(o.On(3));
    EXPECT_FALSE(o.On(2));
    EXPECT_EQ(TraceMask, 5);
    EXPECT_EQ(StackIO.Count, depth + 1);
  }
  EXPECT_EQ(TraceMask, 0x100);
  EXPECT_EQ(StackIO.Count, depth);
  EXPECT_THROW(
      {
        TOptionScope o("PMOD3");
        throw EInOutError("fatal stop inside the routine");
      },
      EInOutError);
  EXPECT_EQ(TraceMask, 0x100);
  EXPECT_EQ(StackIO.Count, depth);
  EXPECT_THROW(TOptionScope("BAD"), EInOutError);
  EXPECT_EQ(TraceMask, 0x100);
  EXPECT_EQ(StackIO.Count, depth);
  {
    TOptionScope o("PMOD3", false);
    EXPECT_EQ(TraceMask, 0x100);
  }
  TraceMask = 0;
}

TEST_F(OptionsTest, OutputGrids) {
  const std::string f = env.Write("rout.txt",
                                  "! output grids\n"
                                  "СЕТКА ВЫВОДА\n1\nONE 3\n1.0\n0.5 x\n0.0\n"
                                  "СЕТКА ВЫВОДА\n 2 \nTWO 2\n-1.5\n-2\n"
                                  "СЕТКА ВЫВОДА\n3\nEMPTY 0\n");
  TARe g;
  LoadRoutFrom(f, 2, g);
  EXPECT_EQ(g, (TARe{0, -1.5, -2}));
  LoadRoutFrom(f, 1, g);
  EXPECT_EQ(g, (TARe{0, 1.0, 0.5, 0.0}));
  LoadRoutFrom(f, 3, g);
  EXPECT_EQ(g, (TARe{0}));
  EXPECT_NE(
      ModelsEnv::FatalText([&] { LoadRoutFrom(f, 4, g); }).find("СЕТКА ВЫВОДА 4 не найдена!"_cp),
      std::string::npos);
  SetRoutOnePoint(g, -2.5);
  EXPECT_EQ(g, (TARe{0, -2.5}));
}

TEST_F(OptionsTest, BundledGridsCoverBothModels) {
  TARe g;
  LoadRoutFrom(testsupport::SourceRoot() + "/data/GEDA/ROUT.txt", 1, g);
  ASSERT_EQ(g.size(), 106u);
  EXPECT_DOUBLE_EQ(g[1], 1.2);
  EXPECT_DOUBLE_EQ(g[105], -4.0);
  LoadRoutFrom(testsupport::SourceRoot() + "/data/GEDA/ROUT.txt", 2, g);
  EXPECT_EQ(g.size(), 52u);
}

}  // namespace
