// The transfer demos through the command-line harness: the Humlicek error table beside libcerf,
// the Zeeman reports of the Fe I pair and the constant-source-function run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#if __has_include(<cerf.h>) && defined(CORVESTA_HAVE_CERF)
#include <cerf.h>
#define JOURNEY_HAVE_CERF 1
#endif

#include "support/TestSupport.h"

namespace {

struct TRun {
  int status = -1;
  std::string out, err;  // standard output, standard error
};

TRun Harness(const std::string& Args) {
  testsupport::TempDir tmp;
  const std::string log = tmp.file("out.txt"), elog = tmp.file("err.txt");
  const std::string cmd = "'" + std::string(CORVESTA_BATCH) + "' " + Args + " > '" + log +
                          "' 2> '" + elog + "'";
  const int rc = std::system(cmd.c_str());
  TRun r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = testsupport::ReadFile(log);
  r.err = testsupport::ReadFile(elog);
  return r;
}

std::vector<std::vector<double>> NumberRows(const std::string& Text) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(Text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::vector<double> row;
    std::string w;
    bool ok = true;
    while (ls >> w) {
      // the program's exponent has no letter ("1.5-09")
      for (size_t k = 1; k < w.size(); ++k)
        if ((w[k] == '-' || w[k] == '+') && std::isdigit(static_cast<unsigned char>(w[k - 1]))) {
          w.insert(k, "E");
          break;
        }
      char* end = nullptr;
      const double v = std::strtod(w.c_str(), &end);
      if (*end != 0) {
        ok = false;
        break;
      }
      row.push_back(v);
    }
    if (ok && !row.empty()) rows.push_back(row);
  }
  return rows;
}

TEST(TransferJourney, HumlicekErrorTable) {
  const TRun r = Harness("voigt-errtab 20 0.5 1e-12 10");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("lg(dH)"), std::string::npos);
  const auto rows = NumberRows(r.out);
  ASSERT_EQ(rows.size(), 26u) << r.out;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 8u);
    EXPECT_LT(std::fabs(row[2]), 1e-6);  // dH
    EXPECT_LT(std::fabs(row[3]), 1e-6);  // dF
#ifdef JOURNEY_HAVE_CERF
    // the quadrature columns beside w(z): H = Re w, F = +Im w / 2 (the sign of every method)
    const double v = row[1];
    EXPECT_NEAR(row[6], re_w_of_z(v, 0.5), 1e-9) << v;
    EXPECT_NEAR(row[7], im_w_of_z(v, 0.5) / 2, 1e-9) << v;
#endif
  }
}

TEST(TransferJourney, ZeemanReports) {
  TRun r = Harness("zeeman FE6302");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("NCOMP=  2 NPI= 1 J1=1 J2=0 G1=2.5 G2=0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  G_EFF = 2.5\n"), std::string::npos) << r.out;
  r = Harness("zeeman FE6301");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("NCOMP=  6 NPI= 2 J1=2 J2=2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("( 0.333, 0.667 )"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  2.167, 1.833, 1.500, 1.167"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  G_EFF = 1.66667"), std::string::npos) << r.out;
  // a pattern without sigma strength fails the run with the text, the harness goes on to exit
  r = Harness("zeeman --runge 0 0 1 1");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE((r.out + r.err).find("Sigma"), std::string::npos) << r.out << r.err;
}

TEST(TransferJourney, ConstantSourceFunction) {
  const TRun r = Harness("transfer-const --s 2.5");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto rows = NumberRows(r.out);
  ASSERT_EQ(rows.size(), 21u) << r.out;
  for (const auto& row : rows) {
    EXPECT_NEAR(row[1], 2.5, 1e-12);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 0);
    EXPECT_EQ(row[4], 0);
  }
}

}  // namespace
