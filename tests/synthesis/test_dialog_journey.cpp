// The Dialog tab's "CALC" and the Di tab's "Fill Lambs" through the harness on a copy of the
// demo project: "dia" (observations "sun69") compared case by case, all five angles or one; a
// row value set on the command line changes the differences; a quest without "#Q_OBS"
// observations draws nothing; wavelength grids of a span with and without a main line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

struct TDemoCopy {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TDemoCopy() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  TRun Calc(const std::string& Rest) {
    return testsupport::RunBatch("dialog-calc --project '" + dir + "' " + Rest);
  }
};

int Count(const std::string& Text, const std::string& Part) {
  int n = 0;
  for (size_t p = Text.find(Part); p != std::string::npos; p = Text.find(Part, p + 1)) ++n;
  return n;
}

std::string DifLine(const std::string& Out, int J) {
  const std::string key = "dif " + std::to_string(J) + " mean=";
  const size_t p = Out.find(key);
  return p == std::string::npos ? std::string() : Out.substr(p, Out.find('\n', p) - p);
}

TEST(DialogJourney, CalcComparesEveryAngleOrTheOneChosen) {
  TDemoCopy p;
  const TRun all = p.Calc("dia");
  ASSERT_EQ(all.status, 0) << all.out;
  EXPECT_NE(all.out.find("cases=5 rows=2\n"), std::string::npos) << all.out;
  // per case computed (black) and observed (blue) in the first row, the rest in the second
  EXPECT_NE(all.out.find("graph cell=1 line=-.K points=61 title=<dia FE6301 1>"),
            std::string::npos)
      << all.out;
  EXPECT_NE(all.out.find("graph cell=1 line==.B points=61 title=<sun69 FE6301 1>"),
            std::string::npos)
      << all.out;
  EXPECT_NE(all.out.find("cell=10 line=-.R"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("title=<DIF dia FE6301 0.28>"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("title=<Bisect dia FE6301 0.28>"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("units=dA(W),RI"), std::string::npos) << all.out;
  EXPECT_EQ(Count(all.out, "graph cell="), 25) << all.out;
  for (int j = 1; j <= 5; ++j) EXPECT_FALSE(DifLine(all.out, j).empty()) << j << all.out;

  // one angle: the third, one column
  const TRun one = p.Calc("--x 3 dia");
  ASSERT_EQ(one.status, 0) << one.out;
  EXPECT_NE(one.out.find("cases=1 rows=2\n"), std::string::npos) << one.out;
  EXPECT_NE(one.out.find("title=<dia FE6301 0.6>"), std::string::npos) << one.out;
  EXPECT_NE(one.out.find("title=<sun69 FE6301 0.6>"), std::string::npos) << one.out;
  EXPECT_EQ(Count(one.out, "graph cell="), 5) << one.out;

  // the field of row 2 at 0 G makes other differences than at 1000 G
  const TRun h0 = p.Calc("--x 3 --set H=0 dia");
  ASSERT_EQ(h0.status, 0) << h0.out;
  EXPECT_FALSE(DifLine(h0.out, 1).empty());
  EXPECT_NE(DifLine(h0.out, 1), DifLine(one.out, 1)) << h0.out << one.out;
}

TEST(DialogJourney, NoCasesNothingDrawn) {
  TDemoCopy p;
  // the side-by-side key is one the observations do not vary: no case to compare
  testsupport::WriteFile(p.dir + "/ONE/dia4.DAT",
                         "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#NLAM 11 #\n"
                         "#DLK 100 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#H 0 #\n"
                         "#GM 0 #\n#XI 0 #\n#VD 0 #\n#VMI 1 #\n#Q_OBS sun69 #\n#OBS_V LIN #\n"
                         "#OBS_X H #\n#ALG CONT #\n#RUN DIA #\n");
  const TRun r = p.Calc("dia4");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("cases=0 rows=1 not drawn"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("список случаев пуст"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("QUEST=<dia4>"), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, "graph cell="), 0) << r.out;
}

TEST(DialogJourney, SixAnglesCappedAtFive) {
  TDemoCopy p;
  const std::string model =
      "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#NLAM 11 #\n#DLK 100 #\n"
      "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#H 0 #\n#GM 0 #\n#XI 0 #\n#VD 0 #\n"
      "#VMI 1 #\n";
  // observations computed with the very parameters of the calculation: zero differences
  testsupport::WriteFile(p.dir + "/ONE/obs6.DAT", model +
                                                      "#LIN FE6301 FE6302 #\n"
                                                      "#CTETA 1 0.9 0.8 0.7 0.6 0.5 #\n"
                                                      "#RUN CONT #\n");
  testsupport::WriteFile(p.dir + "/ONE/dia6.DAT",
                         model + "#Q_OBS obs6 #\n#OBS_V LIN #\n#OBS_X CTETA #\n#ALG CONT #\n"
                                 "#ADJ_PAR1 H #\n#ADJ_SCALE1 0 0 4000=#\n#RUN DIA #\n");
  const TRun r = p.Calc("dia6");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("cases=5 rows=2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("случаев 6, сравниваются первые 5"), std::string::npos) << r.out;
  // the five compared: profiles, differences (zero: the same parameters), level curves
  EXPECT_EQ(Count(r.out, "line=-.K"), 5) << r.out;
  EXPECT_EQ(Count(r.out, "line=-.R"), 5) << r.out;
  EXPECT_EQ(Count(r.out, "line=-.B"), 5) << r.out;
  EXPECT_NE(r.out.find("dif 5 mean=0.000000"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("0.5>"), std::string::npos) << r.out;
}

TEST(DiJourney, FillLambsThroughTheHarness) {
  const TRun plain = testsupport::RunBatch("di-lams 6301 6303 10");
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_NE(plain.out.find("nL=201 KL=1\n6301.00000 6301.01000"), std::string::npos)
      << plain.out;
  EXPECT_NE(plain.out.find(" 6303.00000\n"), std::string::npos) << plain.out;
  const TRun line = testsupport::RunBatch("di-lams -500 500 0.02 FE6302");
  ASSERT_EQ(line.status, 0) << line.out;
  EXPECT_NE(line.out.find("nL=51 KL=1"), std::string::npos) << line.out;
  const TRun bad = testsupport::RunBatch("di-lams 6301 6301 10");
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_NE(bad.out.find("FillALam Err"), std::string::npos) << bad.out;
}

}  // namespace
