// The synthesis of real lines in HSRA through the command-line harness: the Stokes profiles
// converge with "#ERR" (no error floor at line-free wavelengths), the Voigt methods give the same
// profiles with magneto-optical terms, and the bundled demo quests sit close to their converged
// profiles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

// Profiles of the harness's summary: their rows (wavelength, I, Q, U, V over the continuum).
using TRows = std::vector<std::vector<double>>;

std::vector<TRows> Profiles(const std::string& Out) {
  std::vector<TRows> r;
  std::istringstream in(Out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream w(line);
    std::string head;
    w >> head;
    if (head == "profile") {
      r.emplace_back();
    } else if (head == "row" && !r.empty()) {
      std::vector<double> v;
      double x;
      while (w >> x) v.push_back(x);
      r.back().push_back(v);
    }
  }
  return r;
}

// Largest |difference| of the Stokes columns of two profiles on the same grid.
double MaxDev(const TRows& A, const TRows& B) {
  double d = 0;
  EXPECT_EQ(A.size(), B.size());
  for (size_t i = 0; i < A.size() && i < B.size(); ++i)
    for (size_t c = 1; c < A[i].size() && c < B[i].size(); ++c)
      d = std::max(d, std::fabs(A[i][c] - B[i][c]));
  return d;
}

// A copy of the demo project; Quest runs a control file of it with --summary.
struct TDemo {
  testsupport::TempDir tmp;
  std::string project;
  TDemo() {
    project = tmp.file("Demo");
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", project,
                          std::filesystem::copy_options::recursive);
  }
  std::string Text(const std::string& Name) const {
    return testsupport::ReadFile(project + "/ONE/" + Name + ".DAT");
  }
  std::vector<TRows> Run(const std::string& Name, const std::string& Text) const {
    testsupport::WriteFile(project + "/ONE/" + Name + ".DAT", Text);
    const testsupport::TBatchRun r =
        testsupport::RunBatch("synth --summary --project '" + project + "' --out '" +
                              tmp.file(Name + ".txt") + "' 'ONE/" + Name + ".DAT'");
    EXPECT_EQ(r.status, 0) << r.out;
    return Profiles(r.out);
  }
};

// The control text without its "#ERR" lines, with Keys before its "#RUN".
std::string WithKeys(const std::string& Text, const std::string& Keys) {
  std::istringstream in(Text);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.rfind("#ERR", 0) == 0) continue;
    if (line.rfind("#RUN", 0) == 0) out += Keys;
    out += line + "\n";
  }
  return out;
}

// The Fe I pair of the demo (two lines, field 0, 1000 and 2000 G inclined 45 degrees): each of
// the six profiles approaches the converged one (#ERR 1e-7) monotonically as #ERR falls.
TEST(ConvergenceJourney, PairConvergesWithTheAccuracy) {
  TDemo d;
  const char* errs[] = {"1e-2", "1e-3", "1e-4", "1e-5", "1e-7"};
  std::string keys = "#ERR";
  for (const char* e : errs) keys += std::string(" ") + e;
  const std::vector<TRows> p = d.Run("pair", WithKeys(d.Text("pair"), keys + " #\n"));
  ASSERT_EQ(p.size(), 30u);
  for (size_t c = 0; c < 6; ++c) {
    const TRows& ref = p[c * 5 + 4];
    double prev = 1;
    for (size_t e = 0; e < 4; ++e) {
      const double dev = MaxDev(p[c * 5 + e], ref);
      std::printf("combination %zu #ERR %s: max |dS|/Ic %.3g\n", c + 1, errs[e], dev);
      EXPECT_LT(dev, prev) << "combination " << c + 1 << " #ERR " << errs[e];
      prev = dev;
    }
    EXPECT_LT(prev, 3e-5) << "combination " << c + 1;
  }
}

// Fe I 6302.5 50 A off the line centre is line-free: at #ERR 1e-5 the profile there is the
// continuum within 1e-5, with and without a field.
TEST(ConvergenceJourney, LineFreePointIsTheContinuum) {
  TDemo d;
  const std::vector<TRows> p =
      d.Run("far", "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                   "#GM 45 #\n#XI 30 #\n#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n"
                   "#KZWAAN 0 #\n#DLK 50000 #\n#NLAM 2 #\n#ERR 1e-5 #\n#H 0 1000 #\n"
                   "#RUN CONT #\n");
  ASSERT_EQ(p.size(), 2u);
  for (const TRows& r : p) {
    ASSERT_EQ(r.size(), 3u);  // a full profile of the two points
    for (const auto& row : {r.front(), r.back()}) {
      EXPECT_NEAR(row[1], 1, 1e-5) << row[0];
      for (size_t c = 2; c < row.size(); ++c) EXPECT_NEAR(row[c], 0, 1e-6) << row[0];
    }
    EXPECT_LT(r[1][1], 0.5);  // the line centre
  }
}

// Magneto-optical terms the same whatever the Voigt method: Fe I 6302.5 in HSRA, 1000 G
// inclined 45 degrees at azimuth 30 degrees, where Q and U at the line centre come largely
// from the dispersion profiles.
TEST(ConvergenceJourney, VoigtMethodsGiveTheSameStokesProfiles) {
  TDemo d;
  const std::vector<TRows> p =
      d.Run("mo", "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
                  "#H 1000 #\n#GM 45 #\n#XI 30 #\n#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n"
                  "#OPACITY LANDI #\n#KZWAAN 0 #\n#DLK 300 #\n#NLAM 13 #\n#ERR 1e-3 #\n"
                  "#VOIGT HUMLICEK TAYLOR INTEGRAL #\n#RUN CONT #\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_LT(MaxDev(p[0], p[1]), 1e-5);
  EXPECT_LT(MaxDev(p[0], p[2]), 1e-5);
  // at the centre (the grid is symmetric about it): Q and U well above the accuracy
  const auto& c = p[0][p[0].size() / 2];
  EXPECT_GT(std::fabs(c[2]), 0.01);
  EXPECT_GT(std::fabs(c[3]), 0.01);
}

// The bundled demo quests that compute profiles, run as shipped, are within 0.5 % of Ic of the
// converged profiles (#ERR 1e-7).
TEST(ConvergenceJourney, DemoQuestsCloseToConverged) {
  TDemo d;
  for (const char* name : {"fe6302", "me6302", "pair"}) {
    const std::string text = d.Text(name);
    const std::vector<TRows> shipped = d.Run(name, text);
    const std::vector<TRows> converged = d.Run(name, WithKeys(text, "#ERR 1e-7 #\n"));
    ASSERT_FALSE(shipped.empty()) << name;
    ASSERT_EQ(shipped.size(), converged.size()) << name;
    for (size_t k = 0; k < shipped.size(); ++k) {
      const double dev = MaxDev(shipped[k], converged[k]);
      std::printf("%s profile %zu: max |dS|/Ic %.3g\n", name, k + 1, dev);
      EXPECT_LT(dev, 5e-3) << name << " profile " << k + 1;
    }
  }
}

}  // namespace
