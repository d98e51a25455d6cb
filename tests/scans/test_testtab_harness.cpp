// The Test tab's benches through the command-line harness on a copy of the demo scan, pixel 10,
// slit pixel 4 (Y = 5): the Gauss-fit group's texts before and after "Ajst" and single codes,
// the wing section refusing a bad range, the operation list's repeat count, the slice table of
// I±V in both schemes and the two-core text with the blue core as line 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct TRunT {
  int status = -1;
  std::string out;
};

TRunT Harness(const std::string& Args) {
  TRunT r;
  r.out = testsupport::RunShell(std::string(CORVESTA_BATCH) + " " + Args + " 2>&1", &r.status);
  return r;
}

// The text of NAME=... in the block that starts with the line Block.
std::string FieldIn(const std::string& Out, const std::string& Block, const std::string& Name) {
  const size_t b = Out.find(Block + "\n");
  if (b == std::string::npos) return "<no block>";
  const size_t p = Out.find("  " + Name + "=", b);
  if (p == std::string::npos) return "<no field>";
  const size_t s = p + Name.size() + 3;
  return Out.substr(s, Out.find('\n', s) - s);
}

std::vector<std::string> LinesAfter(const std::string& Out, const std::string& Mark) {
  std::vector<std::string> r;
  std::istringstream in(Out.substr(Out.find(Mark)));
  for (std::string l; std::getline(in, l);) r.push_back(l);
  return r;
}

class TestTabHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(testsupport::SourceRoot() + "/data/FITS/2019_06", dir.str() + "/2019_06",
             fs::copy_options::recursive);
    scan = dir.str() + "/2019_06/20190622_164505";
  }
  testsupport::TempDir dir;
  std::string scan;
};

TEST_F(TestTabHarness, GaussFitFormBeforeAndAfter) {
  TRunT r = Harness("fitform " + scan + " 10 5 --op k3 --ajst");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(FieldIn(r.out, "before", "lb_iX"), "10");
  EXPECT_EQ(FieldIn(r.out, "before", "lb_iY"), "4");
  EXPECT_EQ(FieldIn(r.out, "before", "lbLeWi"), "00.0000");
  const double cont = std::stod(FieldIn(r.out, "before", "edICont6301"));
  EXPECT_GT(cont, 10000);
  // "Bi" found the wings of line 1; the fit moved the model
  const double le = std::stod(FieldIn(r.out, "after", "lbLeWi"));
  const double ri = std::stod(FieldIn(r.out, "after", "lbRiWi"));
  EXPECT_GT(le, 5);
  EXPECT_LT(le, ri);
  EXPECT_LT(ri, 56);
  EXPECT_NE(FieldIn(r.out, "after", "edDLD6301"), FieldIn(r.out, "before", "edDLD6301"));
  const double l0 = std::stod(FieldIn(r.out, "after", "edILam6301"));
  EXPECT_GT(l0, le);
  EXPECT_LT(l0, ri);
  EXPECT_NE(r.out.find("memoGSparam\n  "), std::string::npos) << r.out;

  // a search range outside the profile: the wings are not searched and the fit has no window
  r = Harness("fitform " + scan + " 10 5 --set edILam1_1=0 --ajst");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("1..112"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Запустите расчёт крыльев! (Кнопка \"Bi\")"), std::string::npos);
  EXPECT_EQ(FieldIn(r.out, "after", "edDLD6301"), "4.1");

  // the operation list: "abc" warns, "3x" runs no code but shows the model
  r = Harness("fitform " + scan + " 10 5 --memo abc --memo k3 --loop");
  EXPECT_NE(r.out.find("В первой строке должно быть число повторений."), std::string::npos)
      << r.out;
  r = Harness("fitform " + scan + " 10 5 --memo 3x --memo k3 --loop");
  EXPECT_EQ(r.out.find("В первой строке"), std::string::npos) << r.out;
  EXPECT_EQ(FieldIn(r.out, "after", "edDLD6301"), "4.10000");
  EXPECT_EQ(Harness("fitform " + scan + " 10 5 --set nosuch=1").status, 2);
  EXPECT_EQ(Harness("fitform " + scan + " 99 5").status, 1);
}

TEST_F(TestTabHarness, SliceTableOfIpmV) {
  TRunT r = Harness("cogiv " + scan + " 10 5");
  ASSERT_EQ(r.status, 0) << r.out;
  std::vector<std::string> rows = LinesAfter(r.out, " I ");
  ASSERT_GE(rows.size(), 10u);
  EXPECT_NE(rows[0].find("y11"), std::string::npos);
  EXPECT_EQ(std::stoi(rows[9]), 9) << rows[9];
  EXPECT_NE(r.out.find("Cont "), std::string::npos);
  r = Harness("cogiv " + scan + " 10 5 --gap 15");
  ASSERT_EQ(r.status, 0) << r.out;
  rows = LinesAfter(r.out, " I ");
  ASSERT_GE(rows.size(), 16u);
  EXPECT_EQ(std::stoi(rows[15]), 15) << rows[15];
  EXPECT_EQ(Harness("cogiv " + scan + " 10 5 --gap 0").status, 2);
}

TEST_F(TestTabHarness, TwoCoresOrderedByPixel) {
  TRunT r = Harness("algo " + scan + " 10 5");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Dt=20190622 Ti=164505"), std::string::npos) << r.out;
  const size_t a = r.out.find("6301 IpV d0=");
  const size_t b = r.out.find("6302 IpV d0=");
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(b, std::string::npos);
  auto idx = [&](size_t p) { return std::stoi(r.out.substr(r.out.find("idx=", p) + 4)); };
  EXPECT_LT(idx(a), 56);
  EXPECT_GE(idx(b), 56);
  // blue first: a positive dispersion near 21.5 mA a pixel
  const size_t d = r.out.find("Disp=");
  ASSERT_NE(d, std::string::npos);
  const double disp = std::stod(r.out.substr(d + 5));
  EXPECT_GT(disp, 15);
  EXPECT_LT(disp, 30);
}

}  // namespace
