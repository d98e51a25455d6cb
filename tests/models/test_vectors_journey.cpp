// The model-vector journey through the command-line harness: the bundled HSRA model loaded from
// its file, reported on its own grid and on the working grid, and its temperature cloned with a
// probe layer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

using TRun = testsupport::TBatchRun;

TRun Harness(const std::string& Args) { return testsupport::RunBatch(Args); }

std::vector<std::string> Lines(const std::string& S) {
  std::vector<std::string> v;
  std::istringstream in(S);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// The line holding Head (standard error's progress may stand before it).
size_t IndexOf(const std::vector<std::string>& L, const std::string& Head) {
  for (size_t i = 0; i < L.size(); ++i)
    if (L[i].find(Head) != std::string::npos) return i;
  return L.size();
}

TEST(VectorsJourney, HsraReportsAndProbeLayer) {
  const TRun r = Harness("vemo --modif 'YC 5000 -1 0.2' --at -1.2,-1.1,-1.0,-0.9,-0.8 HSRA");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto L = Lines(r.out);
  const size_t g0 = IndexOf(L, "Отчет хранителя векторов для модели HSRA для сетки №0 для числа слоев 55");
  ASSERT_LT(g0, L.size()) << r.out;
  // the title line, then 55 rows: TAU from the file, X made from it
  EXPECT_NE(L[g0 + 1].find("Tau"), std::string::npos) << L[g0 + 1];
  EXPECT_NE(L[g0 + 1].find("X"), std::string::npos);
  EXPECT_NE(L[g0 + 2].find("1.400"), std::string::npos) << L[g0 + 2];
  EXPECT_NE(L[g0 + 56].find("-4.000"), std::string::npos) << L[g0 + 56];
  const size_t g1 = IndexOf(L, "Отчет хранителя векторов для модели HSRA для сетки №1 для числа слоев 105");
  ASSERT_LT(g1, L.size()) << r.out;
  const std::string& titles = L[g1 + 1];
  for (const char* t : {"X", "T", "lgPe", "lgPg", "Vmi"})
    EXPECT_NE(titles.find(t), std::string::npos) << t << " in " << titles;
  // X = 0 is row 25 of the working grid: T 6390, lg Pe 1.75921
  const std::string& row = L[g1 + 1 + 25];
  EXPECT_NE(row.find("6390.0"), std::string::npos) << row;
  EXPECT_NE(row.find("1.7592"), std::string::npos) << row;
  // the probe layer: 5000 for -1.1 <= X <= -0.9 only
  EXPECT_NE(r.out.find("CopyModif T <YC 5000 -1 0.2> sED=<YC 5000 -1 0.2> KEd=1 Ch=C"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("func(-1.2)=5010"), std::string::npos) << r.out;
  for (const char* x : {"-1.1", "-1", "-0.9"})
    EXPECT_NE(r.out.find("func(" + std::string(x) + ")=5000\n"), std::string::npos) << x;
  EXPECT_NE(r.out.find("func(-0.8)=5330"), std::string::npos) << r.out;
}

TEST(VectorsJourney, BadArgumentsAndMissingModel) {
  EXPECT_EQ(Harness("vemo").status, 2);
  EXPECT_EQ(Harness("vemo --grid x HSRA").status, 2);
  const TRun r = Harness("vemo NOSUCHMODEL");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("ModelFName не найден файл <"), std::string::npos) << r.out;
}

}  // namespace
