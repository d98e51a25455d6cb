// Project runs through the command-line harness as the Project tab's RUN makes them: the demo
// quest of two lines at three field strengths, a varied switch whose companion key is read only
// under its other value, steps run in order, and the reference-model runs of one line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

// A copy of the demo project (the runs write their option and result files there).
struct TProject {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TProject() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  void Quest(const std::string& Name, const std::string& Keys) {
    testsupport::WriteFile(dir + "/ONE/" + Name + ".DAT",
                           "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                           "#GM 0 #\n#XI 0 #\n#VD 0 #\n#VMI 1 #\n#DLK 100 #\n#NLAM 5 #\n"
                           "#A_OPT 46_04 #\n#OPACITY LANDI #\n" +
                               Keys);
  }
  TRun Run(const std::string& Quest) {
    return Harness("run-quest --summary --project '" + dir + "' " + Quest);
  }
};

// "IQ=<step> K=<combination>" of every profile line, in list order.
std::vector<std::string> ProfileKeys(const std::string& Out) {
  std::vector<std::string> r;
  const std::regex re("profile Q=\\S+ IQ=(\\d+) K=(\\d+)");
  for (std::sregex_iterator i(Out.begin(), Out.end(), re), e; i != e; ++i)
    r.push_back((*i)[1].str() + "." + (*i)[2].str());
  return r;
}

// The keys a step kept after the run ("step Q.IQ NK=n keys: ...").
std::string StepLine(const std::string& Out, const std::string& Step) {
  const size_t p = Out.find("step " + Step + " ");
  return p == std::string::npos ? std::string() : Out.substr(p, Out.find('\n', p) - p);
}

TEST(ProjectRunJourney, DemoQuestOfTwoLinesAtThreeFieldsWritesItsResultFile) {
  TProject p;
  const TRun r = p.Run("pair");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ProfileKeys(r.out),
            (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4", "1.5", "1.6"}));
  EXPECT_NE(StepLine(r.out, "pair.1").find("NK=6"), std::string::npos) << r.out;
  // the result file in the profile list's text: its control text once, closed by one "#RUN",
  // then one block per combination; the reader takes all six back
  const std::string file = p.dir + "/DC/pair.txt";
  const std::string text = testsupport::ReadFile(file);
  size_t runs = 0;
  for (size_t i = text.find("#RUN"); i != std::string::npos; i = text.find("#RUN", i + 1)) ++runs;
  EXPECT_EQ(runs, 1u) << text;
  EXPECT_NE(text.find("VARI(6)=#LIN=FE6302 #H=2000"), std::string::npos) << text;
  const TRun back = Harness("unno-load --project '" + p.dir + "' --quest pair '" + file + "'");
  ASSERT_EQ(back.status, 0) << back.out;
  EXPECT_NE(back.out.find("6 profiles"), std::string::npos) << back.out;
}

// "#ModifS" is read only while "#ModifT" is 1: every combination still runs. Afterwards the
// step keeps what was read, drops the single key nothing read and keeps (and names) the varied
// one nothing read, so the grid that numbers the profiles stays.
TEST(ProjectRunJourney, KeysReadUnderLaterValuesSurviveTheRun) {
  TProject p;
  p.Quest("modif",
          "#H 0 #\n#ModifT 0 1 #\n#ModifS YA 0.1 x 0.2=#\n#UNREAD 1 2 #\n#SPARE 5 #\n"
          "#RUN CONT #\n");
  const TRun r = p.Run("modif");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ProfileKeys(r.out), (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4"}));
  const std::string step = StepLine(r.out, "modif.1");
  EXPECT_NE(step.find("NK=4"), std::string::npos) << step;
  EXPECT_NE(step.find("#ModifS"), std::string::npos) << step;
  EXPECT_NE(step.find("#UNREAD"), std::string::npos) << step;
  EXPECT_EQ(step.find("#SPARE"), std::string::npos) << step;
  // named once, by the synthesis driver (the run then finds it marked)
  EXPECT_NE(r.out.find("не прочитаны параметры с несколькими значениями #UNREAD"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("ни одного значения ключей #UNREAD"), std::string::npos) << r.out;
  // the result file's control text still spans the whole grid: all four read back
  const TRun back = Harness("unno-load --project '" + p.dir + "' --quest modif '" + p.dir +
                            "/DC/modif.txt'");
  ASSERT_EQ(back.status, 0) << back.out;
  EXPECT_NE(back.out.find("4 profiles"), std::string::npos) << back.out;
}

// Three "#RUN" steps run in step order, and keys after the last "#RUN" make a fourth step with
// the inherited word; the working variator ends on the last step.
TEST(ProjectRunJourney, StepsRunInOrderAndTrailingKeysMakeAStep) {
  TProject p;
  p.Quest("steps", "#H 0 #\n#RUN CONT #\n#VD 1 #\n#RUN CONT #\n#VD 2 #\n#RUN CONT #\n#VD 3 #\n");
  const TRun r = p.Run("steps");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ProfileKeys(r.out), (std::vector<std::string>{"1.1", "2.1", "3.1", "4.1"}));
  EXPECT_NE(r.out.find("VARI steps.4"), std::string::npos) << r.out;
  // a quest without its file only warns
  const TRun none = p.Run("nofile");
  EXPECT_NE(none.out.find("не найден файл <"), std::string::npos) << none.out;
}

// The weak-field limit in a real atmosphere: Fe I 6302.5 (g_eff 2.5) in HSRA at 100 G along the
// line of sight; V = -4.6686e-13 g_eff lambda^2 B dI/dlambda within 10 % RMS, V > 0 in the blue.
TEST(ProjectRunJourney, WeakFieldInTheModelAtmosphere) {
  TProject p;
  testsupport::WriteFile(p.dir + "/ONE/weak.DAT",
                         "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                         "#H 100 #\n#GM 0 #\n#XI 0 #\n#VD 0 #\n#VMI 1 #\n#DLK 300 #\n"
                         "#NLAM 61 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#ERR 1E-4 #\n"
                         "#RUN CONT #\n");
  const TRun r = p.Run("weak");
  ASSERT_EQ(r.status, 0) << r.out;
  std::vector<double> L, I, V;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("row ", 0) != 0) continue;
    std::istringstream w(line.substr(4));
    double l, i, q, u, v;
    if (!(w >> l >> i >> q >> u >> v)) continue;
    L.push_back(l);
    I.push_back(i);
    V.push_back(v);
  }
  ASSERT_EQ(L.size(), 121u) << r.out;
  double num = 0, den = 0;
  for (size_t k = 1; k + 1 < L.size(); ++k) {
    const double dIdl = (I[k + 1] - I[k - 1]) / (L[k + 1] - L[k - 1]);
    const double weak = -4.6686e-13 * 2.5 * 6302.4936 * 6302.4936 * 100 * dIdl;
    num += (V[k] - weak) * (V[k] - weak);
    den += weak * weak;
  }
  EXPECT_LT(std::sqrt(num / den), 0.10);
  EXPECT_GT(V[50], 0);  // blue lobe
  EXPECT_LT(V[70], 0);
}

// An absurd opacity (lg gf ten orders too high) ends the run with an error naming wavelength and
// depth, where the transfer integration would otherwise take hours on one wavelength point.
TEST(ProjectRunJourney, AbsurdOpacityEndsInAnErrorNotAHang) {
  TProject p;
  p.Quest("huge", "#LGGF 9 #\n#H 1000 #\n#RUN CONT #\n");
  const TRun r = p.Run("huge");
  EXPECT_NE(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("IntegrateU ERR: более 1000000 шагов"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("при LAM=6302."), std::string::npos) << r.out;
}

// The reference-model runs of Fe I 6302.5 and 6301.5 (through the line data's link): central
// depths and equivalent widths of a strong line in both reference models.
TEST(ProjectRunJourney, ReferenceModelDepthsAndWidths) {
  const TRun r = Harness("ref-depths 8x000002 8x000001");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::regex re("line (\\S+) dHM=(\\S+) dCV=(\\S+) sum=(\\S+) WHM=(\\S+) WCV=(\\S+)");
  int lines = 0;
  for (std::sregex_iterator i(r.out.begin(), r.out.end(), re), e; i != e; ++i, ++lines) {
    const double dhm = std::stod((*i)[2]), dcv = std::stod((*i)[3]), sum = std::stod((*i)[4]);
    const double whm = std::stod((*i)[5]), wcv = std::stod((*i)[6]);
    SCOPED_TRACE((*i)[0].str());
    EXPECT_GT(dhm, 0.55);
    EXPECT_LT(dhm, 0.9);
    EXPECT_GT(dcv, 0.55);
    EXPECT_LT(dcv, 0.9);
    EXPECT_NEAR(sum, dhm + dcv, 1e-12);
    EXPECT_GT(whm, 60);  // mA; Fe I 6302.5 ~ 85, 6301.5 ~ 125 in the solar spectrum
    EXPECT_LT(whm, 160);
    EXPECT_GT(wcv, 60);
    EXPECT_LT(wcv, 160);
  }
  EXPECT_EQ(lines, 2) << r.out;
}

}  // namespace
