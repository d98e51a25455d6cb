// Journey: the harness builds the Data tab's sort grid, fills it, sorts it by the order number
// both ways and prints the table.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> RunBatch(const std::string& Args, int& Status) {
  const std::string cmd = std::string(CORVESTA_BATCH) + " gridsort " + Args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  std::array<char, 4096> buf;
  size_t n;
  while (p && (n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  Status = p ? pclose(p) : -1;
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(GridJourney, DataTabSortGridBothWays) {
  int status = -1;
  const auto lines = RunBatch("WL=2 ELEM=1:DESC GF=99 EXC=3", status);
  ASSERT_EQ(status, 0);
  // Columns: Field 70 px (10 characters), Ord 21 px (3, right-aligned), Dir 42 px (6); the field
  // index column is hidden.
  const std::vector<std::string> want = {
      "filled:",
      "Field      Ord Dir",
      "WL           2 ASC",
      "ELEM         1 DESC",
      "GF          99 ASC",
      "EXC          3 ASC",
      "ascending by gxSDBOrd:",
      "Field      Ord Dir",
      "ELEM         1 DESC",
      "WL           2 ASC",
      "EXC          3 ASC",
      "GF          99 ASC",
      "descending by gxSDBOrd:",
      "Field      Ord Dir",
      "GF          99 ASC",
      "EXC          3 ASC",
      "WL           2 ASC",
      "ELEM         1 DESC",
  };
  EXPECT_EQ(lines, want);
}

TEST(GridJourney, BadArgumentsGiveStatus2) {
  int status = -1;
  RunBatch("WL=x", status);
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
