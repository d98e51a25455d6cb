// The profile journey through the command-line harness: a synthetic line (full or half) or a
// column file measured, then its copy blurred at 2 km/s.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>
#include <algorithm>
#include <sstream>
#include <string>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

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
// from the bundled database, the preparation and the transfer run; the result file holds the
// control text and the combination's block.
TEST(SynthJourney, DemoQuestWritesItsProfiles) {
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
  EXPECT_NE(text.find("UNNO_PROF(CONT,fe6302)"), std::string::npos) << text;
  EXPECT_NE(text.find("RI RQ RU RV RL"), std::string::npos) << text;
  EXPECT_NE(r.out.find("1 profiles"), std::string::npos) << r.out;
  // an unknown model type stops the combination with its warning, the run goes on
  const std::string bad = tmp.file("bad.DAT");
  testsupport::WriteFile(bad, "#MOD Q HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                              "#RUN CONT #\n");
  const TRun b = Harness("synth --out '" + tmp.file("bad.txt") + "' '" + bad + "'");
  EXPECT_EQ(b.status, 0) << b.out;
  EXPECT_NE(b.out.find("PMOD1.Err"), std::string::npos) << b.out;
}

// One profile of the harness's summary: its figures by name and its full-form rows
// (absolute wavelength, relative I, Q, U, V).
struct TProf {
  std::map<std::string, double> F;
  std::vector<std::vector<double>> Rows;
  double operator[](const std::string& K) const {
    auto it = F.find(K);
    return it == F.end() ? NAN : it->second;
  }
};

std::vector<TProf> Profiles(const std::string& Out) {
  std::vector<TProf> r;
  std::istringstream in(Out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream w(line);
    std::string head;
    w >> head;
    if (head == "profile") {
      r.emplace_back();
      std::string kv;
      while (w >> kv) {
        const size_t eq = kv.find('=');
        if (eq == std::string::npos) continue;
        char* end = nullptr;
        const double v = std::strtod(kv.c_str() + eq + 1, &end);
        if (end && *end == 0) r.back().F[kv.substr(0, eq)] = v;
      }
    } else if (head == "row" && !r.empty()) {
      std::vector<double> v;
      double x;
      while (w >> x) v.push_back(x);
      r.back().Rows.push_back(v);
    }
  }
  return r;
}

// Column C of P at wavelength L by the parabola through the three nearest rows.
double At(const TProf& P, double L, size_t C) {
  const auto& R = P.Rows;
  size_t j = 1;
  while (j + 1 < R.size() && R[j][0] < L) ++j;
  if (j + 1 >= R.size()) j = R.size() - 2;
  const double x0 = R[j - 1][0], x1 = R[j][0], x2 = R[j + 1][0];
  const double y0 = R[j - 1][C], y1 = R[j][C], y2 = R[j + 1][C];
  return y0 * (L - x1) * (L - x2) / ((x0 - x1) * (x0 - x2)) +
         y1 * (L - x0) * (L - x2) / ((x1 - x0) * (x1 - x2)) +
         y2 * (L - x0) * (L - x1) / ((x2 - x0) * (x2 - x1));
}

// A quest of Fe I 6302.5 in HSRA with the given extra keys, run in a copy of the demo project.
struct TQuestRun {
  testsupport::TempDir tmp;
  std::string project, result;
  TRun run;
  std::vector<TProf> prof;
  TQuestRun(const std::string& Name, const std::string& Keys) {
    project = tmp.file("Demo");
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                          std::filesystem::copy_options::recursive);
    const std::string dat = project + "/ONE/" + Name + ".DAT";
    testsupport::WriteFile(dat, "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n"
                                "#LIN FE6302 #\n#GM 0 #\n#XI 0 #\n#VMI 1 #\n"
                                "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n" +
                                    Keys + "#RUN CONT #\n");
    result = tmp.file(Name + ".txt");
    run = Harness("synth --summary --project '" + project + "' --out '" + result + "' '" + dat +
                  "'");
    prof = Profiles(run.out);
  }
};

// The continuum of HSRA at 6302.5 from disc centre to the limb against the published limb
// darkening (Neckel & Labs, Sol. Phys. 153, 91, 1994).
TEST(SynthJourney, ContinuumCentreToLimb) {
  TQuestRun q("clv", "#H 0 #\n#VD 0 #\n#DLK 2000 #\n#NLAM 2 #\n#CTETA 1 0.8 0.6 0.4 0.3 0.2 #\n");
  ASSERT_EQ(q.run.status, 0) << q.run.out;
  ASSERT_EQ(q.prof.size(), 6u) << q.run.out;
  const double mu[] = {1, 0.8, 0.6, 0.4, 0.3, 0.2};
  const double published[] = {1, 0.906, 0.801, 0.682, 0.614, 0.536};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(q.prof[k]["K"], k + 1);
    EXPECT_DOUBLE_EQ(q.prof[k]["MJU"], mu[k]);
    const double ratio = q.prof[k]["CONT"] / q.prof[0]["CONT"];
    EXPECT_NEAR(ratio, published[k], 0.03) << "mu=" << mu[k];
    std::printf("mu %.1f  I(mu)/I(1) %.4f  published %.3f\n", mu[k], ratio, published[k]);
  }
}

// Fe I 6302.5 at disc centre, field-free: central depth and equivalent width against the Kitt
// Peak disc-centre atlas (0.66, 83 mA; without macroturbulence the core is deeper); a constant
// velocity only shifts the profile (exactly lambda0 v/c), a table of the same velocity shifts it
// inside the synthesis to the same profile; the result file reads back.
TEST(SynthJourney, FeI6302DiscCentreAndVelocity) {
  const std::string grid = "#H 0 #\n#DLK 600 #\n#NLAM 121 #\n";
  TQuestRun v0("v0", grid + "#VD 0 #\n");
  ASSERT_EQ(v0.run.status, 0) << v0.run.out;
  ASSERT_EQ(v0.prof.size(), 1u) << v0.run.out;
  const TProf& p = v0.prof[0];
  EXPECT_EQ(p["KSym"], 1);
  EXPECT_EQ(p["K4"], 1);
  EXPECT_EQ(p["NDL"], 121);
  EXPECT_EQ(p["DLVD"], 0);
  EXPECT_GE(p["D0"], 0.60);
  EXPECT_LE(p["D0"], 0.80);
  EXPECT_GE(p["EW"], 70);
  EXPECT_LE(p["EW"], 97);
  std::printf("Fe I 6302.5 disc centre: depth %.4f EW %.2f mA\n", p["D0"], p["EW"]);
  ASSERT_EQ(p.Rows.size(), 241u);

  // a constant 2 km/s: the same Stokes values, the wavelengths moved by lambda0 v/c
  TQuestRun v2("v2", grid + "#VD 2 #\n");
  ASSERT_EQ(v2.run.status, 0) << v2.run.out;
  ASSERT_EQ(v2.prof.size(), 1u) << v2.run.out;
  const double shift = p["LAMB"] * 2 / 299792.4562;
  EXPECT_NEAR(shift * 1000, 42.046, 5e-4);
  EXPECT_NEAR(v2.prof[0]["DLVD"], shift, 1e-12);
  ASSERT_EQ(v2.prof[0].Rows.size(), p.Rows.size());
  for (size_t i = 0; i < p.Rows.size(); ++i) {
    EXPECT_NEAR(v2.prof[0].Rows[i][0], p.Rows[i][0] + shift, 1e-9) << i;
    EXPECT_EQ(v2.prof[0].Rows[i][1], p.Rows[i][1]) << i;
  }

  // the same velocity from a depth table: shifted in the synthesis, full grid, no DLVD
  TQuestRun vt("vt", grid + "#VD T VD2KMS=#\n");
  ASSERT_EQ(vt.run.status, 0) << vt.run.out;
  ASSERT_EQ(vt.prof.size(), 1u) << vt.run.out;
  const TProf& t = vt.prof[0];
  EXPECT_EQ(t["KSym"], 2);
  EXPECT_EQ(t["NDL"], 241);
  EXPECT_EQ(t["DLVD"], 0);
  double worst = 0;
  for (const auto& row : t.Rows) {
    const double l = row[0] - shift;
    if (l < p.Rows.front()[0] || l > p.Rows.back()[0]) continue;
    worst = std::max(worst, std::fabs(row[1] - At(p, l, 1)));
  }
  // within the integration's relative accuracy (#ERR, 0.01 by default)
  EXPECT_LT(worst, 0.01);
  std::printf("depth-table velocity against the shifted profile: max |dI/Ic| %.2g\n", worst);

  // writer -> reader: wavelengths, Stokes values to print precision, continuum, K4, DLVD
  const TRun back = Harness("unno-load --summary --project '" + v2.project + "' --quest v2 '" +
                            v2.result + "'");
  ASSERT_EQ(back.status, 0) << back.out;
  const std::vector<TProf> r = Profiles(back.out);
  ASSERT_EQ(r.size(), 1u) << back.out;
  const TProf& a = v2.prof[0];
  const TProf& b = r[0];
  EXPECT_NEAR(b["CONT"], a["CONT"], 1e-7 * a["CONT"]);
  EXPECT_EQ(b["K4"], a["K4"]);
  EXPECT_EQ(b["KSym"], a["KSym"]);
  EXPECT_NEAR(b["DLVD"], a["DLVD"], 5e-6);
  ASSERT_EQ(b.Rows.size(), a.Rows.size());
  for (size_t i = 0; i < a.Rows.size(); ++i) {
    EXPECT_NEAR(b.Rows[i][0], a.Rows[i][0], 1e-5) << i;
    EXPECT_NEAR(b.Rows[i][1], a.Rows[i][1], 1e-9) << i;
  }
}

// Switch 27 of the project's option file "CONT": the profiles are computed, no result file.
TEST(SynthJourney, SwitchTwentySevenWritesNoResultFile) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  std::string otl = "Option switches of CONT\nCONT no result file\nSw  Meaning\n";
  for (int i = 1; i <= 31; ++i) otl += (i == 27 ? "1" : "0") + std::string("   switch\n");
  std::filesystem::create_directories(project + "/OTL");
  testsupport::WriteFile(project + "/OTL/CONT.otl", otl);
  const std::string out = tmp.file("none.txt");
  const TRun r = Harness("synth --project '" + project + "' --out '" + out + "' 'ONE/fe6302.DAT'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("1 profiles"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// An output grid of 51 depths: one profile per depth, each depth's walk continued from the
// one before; the last equals a run straight to that depth within the integration's accuracy.
TEST(SynthJourney, OutputDepthsContinueTheWalk) {
  const std::string keys = "#H 1000 #\n#VD 0 #\n#DLK 300 #\n#NLAM 31 #\n";
  TQuestRun one("one", keys);
  TQuestRun many("many", keys + "#FOUT 2 #\n");
  ASSERT_EQ(one.run.status, 0) << one.run.out;
  ASSERT_EQ(many.run.status, 0) << many.run.out;
  ASSERT_EQ(one.prof.size(), 1u);
  ASSERT_EQ(many.prof.size(), 51u) << many.run.out;
  EXPECT_NEAR(many.prof.front()["LGT"], 1.0, 1e-9);
  for (size_t k = 1; k < many.prof.size(); ++k) {
    EXPECT_LT(many.prof[k]["LGT"], many.prof[k - 1]["LGT"]);
    EXPECT_EQ(many.prof[k]["NDL"], 31);
  }
  const TProf& a = one.prof[0];
  const TProf& b = many.prof.back();
  EXPECT_NEAR(b["LGT"], a["LGT"], 1e-9);
  ASSERT_EQ(a.Rows.size(), b.Rows.size());
  double worst = 0;
  for (size_t i = 0; i < a.Rows.size(); ++i)
    for (size_t c = 1; c < a.Rows[i].size(); ++c)
      worst = std::max(worst, std::fabs(a.Rows[i][c] - b.Rows[i][c]));
  EXPECT_LT(worst, 0.01);
  EXPECT_GT(std::fabs(a.Rows[20][4]), 0.01);  // a polarised profile
}

}  // namespace

namespace {

// The harness's standard output, and its standard error without the progress line.
std::string ReplaceAll(std::string S, const std::string& From, const std::string& To) {
  for (size_t p = S.find(From); p != std::string::npos; p = S.find(From, p + To.size()))
    S.replace(p, From.size(), To);
  return S;
}

struct TSplitRun {
  int status = -1;
  std::string out, err, rawErr;
};

TSplitRun SplitHarness(const std::string& Args) {
  testsupport::TempDir tmp;
  const std::string o = tmp.file("out.txt"), e = tmp.file("err.txt");
  const std::string cmd =
      "'" + std::string(CORVESTA_BATCH) + "' " + Args + " > '" + o + "' 2> '" + e + "'";
  const int rc = std::system(cmd.c_str());
  TSplitRun r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = testsupport::ReadFile(o);
  r.rawErr = testsupport::ReadFile(e);
  std::istringstream in(r.rawErr);
  std::string line;
  while (std::getline(in, line))
    if (line.find("\x1b[K") == std::string::npos) r.err += line + "\n";
  return r;
}

// Two lines by three fields (the field-free values first and last, so that "#ZEE" is read only in
// the middle combinations, which run on the workers) on one thread and on four: the result file,
// the profiles (order and every value) and the report are the same byte for byte, and the
// result's control text names "#ZEE" (marks of the workers' variator copies are merged, and keys
// are removed only after the last combination). Cancelled at its first grid progress, the run
// keeps the profiles made, says so and writes no result file.
TEST(SynthJourney, GridOnFourThreadsEqualsOneThread) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  const std::string dat = project + "/ONE/grid.DAT";
  testsupport::WriteFile(dat, "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n"
                              "#H 0 1000 0.0 #\n#LIN FE6301 FE6302 #\n#ZEE 0 #\n"
                              "#GM 45 #\n#XI 30 #\n#VD 0.5 #\n#VMI 1 #\n#DLK 300 #\n#NLAM 31 #\n"
                              "#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n#RUN CONT #\n");
  auto run = [&](const std::string& Threads, const std::string& Out, const std::string& More) {
    return SplitHarness("synth --summary --warn --threads " + Threads + " " + More +
                        " --project '" + project + "' --out '" + Out + "' '" + dat + "'");
  };
  const std::string f1 = tmp.file("one.txt"), f4 = tmp.file("four.txt");
  const TSplitRun one = run("1", f1, ""), four = run("4", f4, "");
  ASSERT_EQ(one.status, 0) << one.err;
  ASSERT_EQ(four.status, 0) << four.err;
  const std::vector<TProf> p = Profiles(one.out);
  ASSERT_EQ(p.size(), 6u) << one.out;
  for (size_t k = 0; k < p.size(); ++k) {
    EXPECT_EQ(p[k]["K"], static_cast<double>(k + 1));
    EXPECT_EQ(p[k]["K4"], k == 2 || k == 3 ? 4 : 1) << k;
  }
  EXPECT_EQ(four.out, one.out);
  // the report (warnings in their order, with counts) is the same but for the file's name
  EXPECT_EQ(ReplaceAll(four.err, f4, f1), one.err);
  const std::string text = testsupport::ReadFile(f1);
  EXPECT_EQ(testsupport::ReadFile(f4), text);
  EXPECT_NE(text.find("#ZEE"), std::string::npos) << text;
  EXPECT_NE(text.find("VARI(6)="), std::string::npos);

  for (const std::string threads : {"1", "4"}) {
    const std::string none = tmp.file("cancelled" + threads + ".txt");
    const TSplitRun c = run(threads, none, "--cancel-at-grid");
    EXPECT_EQ(c.status, 130) << c.err;
    EXPECT_NE(c.err.find("doCONT прерван"), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("файл результатов не записан"), std::string::npos) << c.err;
    EXPECT_EQ(c.rawErr.find(" 0 profiles kept"), std::string::npos) << c.rawErr;
    EXPECT_NE(c.rawErr.find("profiles kept"), std::string::npos) << c.rawErr;
    EXPECT_FALSE(std::filesystem::exists(none)) << threads;
  }

  // a fatal error in combination 3 (on a worker) ends the run as one after the other: the
  // profiles before it kept, its error, no result file
  const std::string bad = project + "/ONE/bad.DAT";
  testsupport::WriteFile(bad, "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                              "#MAXSTEP 0.5 0.4 -1 0.3 0.2 0.1 #\n#H 0 #\n#GM 0 #\n#XI 0 #\n#VD 0 #\n#VMI 1 #\n"
                              "#DLK 300 #\n#NLAM 11 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n"
                              "#KZWAAN 0 #\n#RUN CONT #\n");
  std::string failed[2];
  for (int i = 0; i < 2; ++i) {
    const std::string none = tmp.file("failed" + std::to_string(i) + ".txt");
    const TSplitRun f = SplitHarness("synth --threads " + std::string(i ? "4" : "1") +
                                     " --project '" + project + "' --out '" + none + "' '" +
                                     bad + "'");
    EXPECT_EQ(f.status, 1) << f.rawErr;
    EXPECT_NE(f.rawErr.find("2 profiles kept"), std::string::npos) << f.rawErr;
    EXPECT_NE(f.err.find("#MAXSTEP должен быть > 0"), std::string::npos) << f.err;
    EXPECT_FALSE(std::filesystem::exists(none));
    failed[i] = ReplaceAll(f.err, none, "");
  }
  EXPECT_EQ(failed[1], failed[0]);
}

}  // namespace

namespace {

// Keys nothing read: a single-valued one leaves the variator after the last combination (not in
// the result's control text); a multi-valued one stays, so the combinations keep their numbers
// and the result file its dimensions, and a warning names it.
TEST(SynthJourney, KeysNothingReadAfterTheLastCombination) {
  TQuestRun q("unread", "#H 1000 #\n#VD 0 #\n#DLK 300 #\n#NLAM 11 #\n#SOLO 5 #\n#NOBODY 1 2 #\n");
  ASSERT_EQ(q.run.status, 0) << q.run.out;
  EXPECT_EQ(q.prof.size(), 2u) << q.run.out;
  EXPECT_NE(q.run.out.find("не прочитаны параметры с несколькими значениями #NOBODY"),
            std::string::npos)
      << q.run.out;
  const std::string text = testsupport::ReadFile(q.result);
  EXPECT_NE(text.find("#NOBODY"), std::string::npos) << text;
  EXPECT_EQ(text.find("#SOLO"), std::string::npos) << text;
  EXPECT_NE(text.find("VARI(2)=#NOBODY=2"), std::string::npos) << text;
}

}  // namespace
