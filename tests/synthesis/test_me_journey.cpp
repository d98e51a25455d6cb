// The harness's Milne-Eddington command: a profile-list block of the analytic profiles with the
// values RACH gives, V positive in the blue lobe, and a fatal input reported as a failure.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
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

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

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

// The harness's summary: each profile's figures by name and its full-form rows (absolute
// wavelength, then I, Q, U, V over the continuum).
struct TProf {
  std::map<std::string, double> F;
  std::vector<std::vector<double>> Rows;
};

std::vector<TProf> Summary(const std::string& Out) {
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
        char* end = nullptr;
        if (eq == std::string::npos) continue;
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

std::string Num(double X) {
  std::ostringstream o;
  o.precision(10);
  o << X;
  return o.str();
}

// One Milne-Eddington atmosphere: the analytic profiles (step 1) and the same atmosphere
// integrated by the synthesis (step 2, "#MILNED 1") to lg tau -4, the top of the loaded model.
struct TMeCase {
  double err, tol, eta0, a, dld, dlh, gm, xi, beta, mu, dlvd;
};

std::string MeQuest(const TMeCase& C) {
  auto key = [](const std::string& K, double V) { return K + " " + Num(V) + " #\n"; };
  return "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n#NLAM 41 #\n"
         "#DLK 400 #\n" +
         key("#CTETA", C.mu) + key("#ERR", C.err) + key("#ETA0", C.eta0) + key("#A", C.a) +
         key("#DLD", C.dld) + key("#DLH", C.dlh) + key("#GM", C.gm) + key("#XI", C.xi) +
         key("#BETTA", C.beta) + key("#DLVD", C.dlvd) + "#RUN RACH #\n#MILNED 1 #\n" +
         key("#MEETA", C.eta0) + key("#MEA", C.a) + key("#MEDLD", C.dld) +
         key("#MEDLH", C.dlh) + key("#MEGM", C.gm) + key("#MEXI", C.xi) +
         key("#MEBET", C.beta) + key("#MEDLVD", C.dlvd) + "#RUN CONT #\n";
}

// The largest difference of I, Q, U, V between the analytic profile A and the integrated one B
// at the wavelengths both have; Matched counts them.
double Worst(const TProf& A, const TProf& B, int& Matched) {
  double worst = 0;
  Matched = 0;
  for (const auto& ra : A.Rows)
    for (const auto& rb : B.Rows) {
      if (std::fabs(ra[0] - rb[0]) > 1e-7) continue;
      ++Matched;
      for (size_t k = 1; k < 5; ++k) {
        const double a = k < ra.size() ? ra[k] : 0, b = k < rb.size() ? rb[k] : 0;
        worst = std::max(worst, std::fabs(a - b));
      }
    }
  return worst;
}

// The demo quest and a table of atmospheres (off the disc centre, a Doppler shift, no field):
// the "#MILNED 1" synthesis agrees with RACH within the integration's accuracy.
TEST(MilneEddingtonJourney, IntegratedModelAgreesWithTheAnalyticProfiles) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  const TMeCase cases[] = {
      {0.01, 5e-3, 10, 0.05, 30, 18.5, 30, 20, 1.5, 1, 0},  // the demo quest's atmosphere
      {1e-4, 3e-4, 10, 0.05, 30, 18.5, 30, 20, 1.5, 1, 0},
      {1e-4, 3e-4, 5, 0.1, 25, 40, 60, -30, 2, 0.8, 20},
      {1e-4, 3e-4, 30, 0.02, 35, 0, 0, 0, 1, 0.6, 0},
      {1e-4, 3e-4, 10, 0.05, 30, 0.005, 45, 0, 1.5, 1, 0},  // below 0.01 mA: field-free
  };
  int n = 0;
  for (const TMeCase& c : cases) {
    const std::string dat =
        n == 0 ? project + "/ONE/me6302.DAT" : project + "/ONE/me" + std::to_string(n) + ".DAT";
    if (n > 0) testsupport::WriteFile(dat, MeQuest(c));
    ++n;
    const TRun r = Harness("synth --summary --project '" + project + "' --out '" +
                           tmp.file("me.txt") + "' '" + dat + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<TProf> p = Summary(r.out);
    ASSERT_EQ(p.size(), 2u) << r.out;
    const TProf &me = p[0], &rk = p[1];
    EXPECT_DOUBLE_EQ(rk.F.at("MJU"), c.mu);
    EXPECT_NEAR(rk.F.at("LGT"), -4, 1e-9);
    EXPECT_EQ(rk.F.at("K4"), c.dlh < 0.01 ? 1 : 4);
    // a shift inside the integrated model needs the whole line; the analytic profile keeps it
    EXPECT_EQ(rk.F.at("KSym"), c.dlvd == 0 ? 1 : 2);
    EXPECT_NEAR(me.F.at("DLVD"), c.dlvd / 1000, 1e-12);
    EXPECT_EQ(rk.F.at("DLVD"), 0);
    int matched = 0;
    const double worst = Worst(me, rk, matched);
    EXPECT_GE(matched, c.dlvd == 0 ? 81 : 79) << r.out;
    EXPECT_LT(worst, c.tol) << "case " << n;
    std::printf("ME case %d (#ERR %g): max |RACH - integrated| %.2e over %d points\n", n, c.err,
                worst, matched);
  }
}

// A "#RUN RACH" step over three splittings: one profile per combination in combination order,
// of the quest's name, V growing with the field; with trace channel 20 of its option file the
// step's control text is saved to the quest's ACDAT file.
TEST(MilneEddingtonJourney, RachStepGivesOneProfilePerCombination) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  std::string otl = "Option switches of RACH\nRACH control text\nSw  Meaning\n";
  for (int i = 1; i <= 31; ++i) otl += (i == 21 ? "1" : "0") + std::string("   switch\n");
  std::filesystem::create_directories(project + "/OTL");
  testsupport::WriteFile(project + "/OTL/RACH.otl", otl);
  const std::string dat = project + "/ONE/grid.DAT";
  testsupport::WriteFile(dat, "#LIN FE6302 #\n#NLAM 21 #\n#DLK 200 #\n#ETA0 10 #\n#A 0.05 #\n"
                              "#DLD 30 #\n#CTETA 1 #\n#BETTA 1.5 #\n#DLH 0 10 20 #\n"
                              "#RUN RACH #\n");
  const TRun r = Harness("synth --summary --project '" + project + "' --out '" +
                         tmp.file("grid.txt") + "' '" + dat + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<TProf> p = Summary(r.out);
  ASSERT_EQ(p.size(), 3u) << r.out;
  double last = -1;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(p[k].F.at("K"), k + 1);
    EXPECT_EQ(p[k].F.at("IQ"), 1);
    double vmax = 0;
    for (const auto& row : p[k].Rows) vmax = std::max(vmax, std::fabs(row[4]));
    EXPECT_GT(vmax, last) << k;
    last = vmax;
  }
  EXPECT_NE(r.out.find("profile Q=grid "), std::string::npos) << r.out;
  const std::string ctrl = testsupport::ReadFile(project + "/ACDC/grid.dat");
  EXPECT_NE(ctrl.find("#DLH"), std::string::npos) << ctrl;
}

// The demo quest through the program's dispatcher (no --out): the RACH step's profile, then the
// "#MILNED 1" step's into the result file the working-directory table names for the quest.
TEST(MilneEddingtonJourney, DemoQuestThroughTheDispatcher) {
  testsupport::TempDir tmp;
  const std::string project = tmp.file("Demo");
  std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                        std::filesystem::copy_options::recursive);
  const TRun r = Harness("synth --project '" + project + "' ONE/me6302.DAT");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("2 profiles"), std::string::npos) << r.out;
  const std::string text = testsupport::ReadFile(project + "/DC/me6302.txt");
  EXPECT_NE(text.find("#MILNED"), std::string::npos) << text;
  EXPECT_NE(text.find("UNNO_PROF(CONT,me6302)"), std::string::npos) << text;
  EXPECT_EQ(text.find("UNNO_PROF(RACH"), std::string::npos) << "the analytic step writes no block";
}

}  // namespace
