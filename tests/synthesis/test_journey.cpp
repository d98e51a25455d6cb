// The profile journey through the command-line harness: a synthetic line (full or half) or a
// column file measured, then its copy blurred at 2 km/s.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <sstream>
#include <string>

#include "support/TestSupport.h"

namespace {

struct TRun {
  int status = -1;
  std::string out;  // standard output and standard error together
};

TRun Harness(const std::string& Args) {
  testsupport::TempDir tmp;
  const std::string log = tmp.file("out.txt");
  const std::string cmd = "'" + std::string(CORVESTA_BATCH) + "' " + Args + " > '" + log + "' 2>&1";
  const int rc = std::system(cmd.c_str());
  TRun r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = testsupport::ReadFile(log);
  return r;
}

// The number after Key in the Nth block (0: the profile, 1: the blurred copy); NaN when absent.
double Value(const TRun& R, const std::string& Key, int Block) {
  size_t p = 0;
  for (int b = 0; b <= Block; ++b) {
    p = R.out.find(b == 0 ? "profile:" : "blurred ", p == 0 ? 0 : p + 1);
    if (p == std::string::npos) return NAN;
  }
  p = R.out.find("\n" + Key + " ", p);
  if (p == std::string::npos) return NAN;
  std::istringstream in(R.out.substr(p + Key.size() + 2));
  double x = NAN;
  in >> x;
  return x;
}

TEST(ProfileJourney, SyntheticLineAndItsBlurredCopy) {
  const TRun r = Harness("unno");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NEAR(Value(r, "GetLam", 0), 6302.513, 2e-4) << r.out;
  EXPECT_NEAR(Value(r, "GetDepth", 0), 0.6, 1e-4);
  EXPECT_NEAR(Value(r, "GetD0", 0), 0.6, 1e-3);
  EXPECT_NEAR(Value(r, "VZeroCross", 0), 6302.513, 1e-4);
  EXPECT_NEAR(Value(r, "ExtrV", 0), 6302.513 + 0.04 / std::sqrt(2.0), 5e-4);
  EXPECT_EQ(Value(r, "FindMonoRuns", 0), 1);
  EXPECT_GT(Value(r, "CalcLCurvI LCurv", 0), Value(r, "CalcLCurvI LCurv", 1));
  EXPECT_NEAR(Value(r, "GetDepth", 1), 0.4592, 0.005 * 0.4592) << r.out;
  EXPECT_NEAR(Value(r, "GetLam", 1), 6302.513, 2e-4);
  EXPECT_NE(r.out.find("ALG=BLUR_km"), std::string::npos);
  // the smoothing warning once in the job's report
  const size_t w = r.out.find("БЛУРРИНГ НАДО ПЕРЕДЕЛЫВАТЬ!");
  EXPECT_NE(w, std::string::npos);
  EXPECT_EQ(r.out.find("БЛУРРИНГ НАДО ПЕРЕДЕЛЫВАТЬ!", w + 1), std::string::npos);
}

TEST(ProfileJourney, HalfProfile) {
  const TRun r = Harness("unno --half --lam0 6302.5 --to 6303.0 --step 0.005");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("profile: NDL=101 KSym=1"), std::string::npos) << r.out;
  EXPECT_NEAR(Value(r, "GetLam", 0), 6302.5, 1e-9);
  EXPECT_NEAR(Value(r, "GetD0", 0), 0.6, 1e-9);
  EXPECT_NEAR(Value(r, "GetDepth", 1), 0.4592, 0.005 * 0.4592) << r.out;
  EXPECT_NEAR(Value(r, "GetD0", 1), 0.4592, 0.005 * 0.4592);
}

TEST(ProfileJourney, ColumnFile) {
  testsupport::TempDir tmp;
  std::string text = "# lambda I Q U V\n";
  for (int i = 0; i <= 200; ++i) {
    const double l = 6302.0 + 0.005 * i;
    const double x = (l - 6302.52) / 0.05, u = (l - 6302.52) / 0.04;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%.4f %.8f 0 0 %.8f\n", l, 2 * (1 - 0.5 * std::exp(-x * x)),
                  2 * 0.1 * u * std::exp(-u * u));
    text += buf;
  }
  testsupport::WriteFile(tmp.file("line.txt"), text);
  const TRun r = Harness("unno --cont 2 '" + tmp.file("line.txt") + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NEAR(Value(r, "GetLam", 0), 6302.52, 2e-4) << r.out;
  EXPECT_NEAR(Value(r, "GetDepth", 0), 0.5, 1e-4);
  EXPECT_NEAR(Value(r, "VZeroCross", 0), 6302.52, 1e-4);

  testsupport::WriteFile(tmp.file("bad.txt"), "6302.1 0.9\n6302.0 0.8\n");
  const TRun b = Harness("unno '" + tmp.file("bad.txt") + "'");
  EXPECT_EQ(b.status, 1);
  EXPECT_NE(b.out.find("must ascend"), std::string::npos) << b.out;
  EXPECT_EQ(Harness("unno --step 0").status, 2);
}

}  // namespace

namespace {

// The demo quest of Fe I 6302.5 in HSRA through the synthesis harness: the model loaded, the line
// from the bundled database, the preparation run; the result file holds the control text and
// the combination's block. Until the transfer kernels are installed no profile is computed, and
// the run says so once.
TEST(SynthJourney, DemoQuestPreparesAndWritesItsResultFile) {
  testsupport::TempDir tmp;
  // a copy of the demo project: the run writes its option files and results there
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  const std::string out = tmp.file("fe6302.txt");
  const TRun r = Harness("synth --project '" + project + "' --out '" + out + "' 'ONE/fe6302.DAT'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string text = testsupport::ReadFile(out);
  EXPECT_NE(text.find("#LIN"), std::string::npos) << text;
  EXPECT_NE(text.find("FE6302 #"), std::string::npos) << text;
  EXPECT_NE(text.find("<FE6302> 6302.4936 FE I"), std::string::npos) << text;
  EXPECT_NE(text.find("Модель: T HSRA"), std::string::npos) << text;
  if (r.out.find("PLAM - функция пока недоступна") != std::string::npos) {
    EXPECT_NE(r.out.find("0 profiles"), std::string::npos) << r.out;
  } else {
    EXPECT_NE(text.find("UNNO_PROF(CONT,fe6302)"), std::string::npos) << text;
  }
  // an unknown model type stops the combination with its warning, the run goes on
  const std::string bad = tmp.file("bad.DAT");
  testsupport::WriteFile(bad, "#MOD Q HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                              "#RUN CONT #\n");
  const TRun b = Harness("synth --out '" + tmp.file("bad.txt") + "' '" + bad + "'");
  EXPECT_EQ(b.status, 0) << b.out;
  EXPECT_NE(b.out.find("PMOD1.Err"), std::string::npos) << b.out;
}

}  // namespace
