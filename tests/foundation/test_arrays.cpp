#include "support/Arrays1.h"
#include "support/SinkRecorder.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "foundation/cvArr.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"

namespace {

using testsupport::I1;
using testsupport::R1;


class Arrays : public ::testing::Test {
 protected:
  testsupport::SinkRecorder sink;
  std::vector<std::string>& warns = sink.texts;
};

}  // namespace

TEST_F(Arrays, ConversionsRoundHalvesToEvenAndShift) {
  EXPECT_EQ(AReToAIn(R1({2.5, 3.5, -2.5, 0.49, -0.51, 7})), I1({2, 4, -2, 0, -1, 7}));
  EXPECT_EQ(AInToARe(I1({1, -2})), R1({1, -2}));

  const TAIn A = I1({10, 20, 30, 40});
  struct Case {
    double s;
    TARe want;
  } cases[] = {
      {0, R1({10, 20, 30, 40})},
      {0.5, R1({15, 25, 35, 40})},   // halfway to the next point, held at the last
      {1.25, R1({22.5, 32.5, 40, 40})},
      {-3, R1({10, 10, 10, 10})},    // before the table: the first value
      {1e300, R1({40, 40, 40, 40})},  // far beyond: the last value
  };
  for (const auto& c : cases) {
    TARe R{9, 9};
    AInShiftToARe(A, c.s, R);
    EXPECT_EQ(R, c.want) << "S=" << c.s;
  }
}

TEST_F(Arrays, SlicesCopiesAndSequences) {
  TARe A{7, 1, 2, 3, 4, 5};  // element 0 is carried by the slices
  EXPECT_EQ(AReTail(A, 3), (TARe{7, 3, 4, 5}));
  EXPECT_EQ(ARePart(A, 2, 4), (TARe{7, 2, 3, 4}));
  EXPECT_EQ(ARePart(A, 2, 0), (TARe{7, 2, 3, 4, 5}));  // b = 0: to the end
  EXPECT_EQ(ARePart(A, 4, 7), (TARe{7, 4, 5, 0, 0}));  // places beyond the array give 0
  EXPECT_EQ(AInPart(TAIn{0, 5, 6, 7}, 2, 3), (TAIn{0, 6, 7}));

  EXPECT_EQ(AReConst(3, 2.5), R1({2.5, 2.5, 2.5}));
  EXPECT_EQ(AReSeqN(5, 3), R1({5, 6, 7}));
  EXPECT_EQ(AReFromTo(-1, 2), R1({-1, 0, 1, 2}));
  EXPECT_EQ(AInFromTo(3, 3), I1({3}));
  EXPECT_EQ(NOf(AInFromTo(3, 1)), 0);

  TARe B;
  AReCopyInto(A, B);
  EXPECT_EQ(B, A);
  B[1] = 99;  // an own copy
  EXPECT_EQ(A[1], 1);
  TAIn C;
  AInCopyInto(TAIn{1, 2}, C);
  EXPECT_EQ(C, (TAIn{1, 2}));
}

TEST_F(Arrays, ByteMasksAndSingleTables) {
  const TAByBy M{{1, 0, 2}, {0, 0}, {3, 3, 3, 3}};
  // rectangular: every row as long as the first
  EXPECT_EQ(AByByCopy(M), (TAByBy{{1, 0, 2}, {0, 0, 0}, {3, 3, 3}}));
  TAIn R;
  int32_t count = -1;
  AByByRowToAIn(M, 0, R, count);
  EXPECT_EQ(R, (TAIn{1, 0, 2}));
  EXPECT_EQ(count, 2);
  AByByRowToAIn(M, 2, R, count);
  EXPECT_EQ(R, (TAIn{3, 3, 3}));
  EXPECT_EQ(count, 3);

  const TAR4R4 T{{1, 2}, {3, 4}, {5, 6}};
  TARe RR;
  CopyAR4R40toARe(T, RR);
  EXPECT_EQ(RR, R1({1, 2, 3, 4, 5, 6}));
  TAR4 R4;
  AR4R4ToAR4(T, R4);
  EXPECT_EQ(R4, (TAR4{1, 2, 3, 4, 5, 6}));

  TARe keep{0, 42};
  CopyAR4R40toARe(TAR4R4{}, keep);
  EXPECT_EQ(keep, (TARe{0, 42}));
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + "CopyAR4R40toARe-Err AR4R4 не заполнен!"_cp);
}

TEST_F(Arrays, WindowGrowsTowardTheSmallerNeighbour) {
  TAIn A(21, 0);
  for (int i = 1; i <= 20; ++i) A[i] = 100 + i;
  TAIn Idx, Vals;
  A[12] = 1;  // A[12] < A[8]: the even window grows to the right
  AInWindow(A, 4, 10, Idx, Vals);
  EXPECT_EQ(Idx, I1({9, 10, 11, 12}));
  EXPECT_EQ(Vals, I1({109, 110, 111, 1}));
  A[12] = 112;
  AInWindow(A, 4, 10, Idx, Vals);
  EXPECT_EQ(Idx, I1({8, 9, 10, 11}));
  AInWindow(A, 3, 10, Idx, Vals);
  EXPECT_EQ(Idx, I1({9, 10, 11}));
  // at the edge the window is cut to the array
  AInWindow(A, 5, 1, Idx, Vals);
  EXPECT_EQ(Idx, I1({1, 2, 3}));
  EXPECT_EQ(Vals, I1({101, 102, 103}));
}

TEST_F(Arrays, InsertDeleteAndReverse) {
  TARe A{5, 1, 2, 3};
  AReInsert(A, 4, 9);  // n+1 appends; the new element 0 is 0
  EXPECT_EQ(A, (TARe{0, 1, 2, 3, 9}));
  AReInsert(A, 1, 8);
  EXPECT_EQ(A, R1({8, 1, 2, 3, 9}));
  for (int bad : {0, 7, -1}) {
    TARe B = A;
    AReInsert(B, bad, 1);
    EXPECT_EQ(B, A) << bad;
  }
  AReDelete(A, 2);
  EXPECT_EQ(A, R1({8, 2, 3, 9}));
  AReDelete(A, 5);
  EXPECT_EQ(A, R1({8, 2, 3, 9}));
  TARe null;
  AReInsert(null, 1, 1);
  AReDelete(null, 1);
  AReDeletePair(null, 0);
  EXPECT_TRUE(null.empty());

  struct Case {
    int i;
    TARe want;
  } pairs[] = {
      {2, R1({1, 4})}, {0, R1({2, 3, 4})}, {4, R1({1, 2, 3})}, {1, R1({3, 4})},
      {3, R1({1, 2})}, {5, R1({1, 2, 3, 4})}, {-1, R1({1, 2, 3, 4})},
  };
  for (const auto& c : pairs) {
    TARe B = R1({1, 2, 3, 4});
    AReDeletePair(B, c.i);
    EXPECT_EQ(B, c.want) << "i=" << c.i;
  }
  TAIn I = I1({1, 2, 3, 4});
  AInDeletePair(I, 2);
  EXPECT_EQ(I, I1({1, 4}));
  AInInsert(I, 2, 7);
  EXPECT_EQ(I, I1({1, 7, 4}));
  AInDelete(I, 1);
  EXPECT_EQ(I, I1({7, 4}));

  TARe odd{6, 1, 2, 3, 4, 5}, even = R1({1, 2, 3, 4});
  AReReverse(odd);
  AReReverse(even);
  EXPECT_EQ(odd, (TARe{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(even, R1({4, 3, 2, 1}));
}

TEST_F(Arrays, ElementWiseArithmeticAndEquality) {
  const TARe A{1, 2, 3}, B{10, 20, 30};
  EXPECT_EQ(AReAddArr(A, B), (TARe{11, 22, 33}));  // index 0 included
  EXPECT_EQ(AReSubArr(B, A), (TARe{9, 18, 27}));
  EXPECT_TRUE(warns.empty());
  EXPECT_EQ(AReAddArr(B, TARe{1, 1}), (TARe{11, 21, 30}));  // a short B is warned about
  EXPECT_EQ(warns.size(), 1u);

  TARe RA, RB;
  AReRotate2(A, B, 45, RA, RB);  // twice 45 degrees: (A, B) -> (B, -A)
  for (size_t i = 0; i < A.size(); ++i) {
    EXPECT_NEAR(RA[i], B[i], 1e-12);
    EXPECT_NEAR(RB[i], -A[i], 1e-12);
  }
  AReRotate2(A, B, 90, RA, RB);  // 180 degrees: both change sign
  EXPECT_NEAR(RA[2], -3, 1e-12);
  EXPECT_NEAR(RB[2], -30, 1e-12);

  struct Case {
    TARe a, b;
    bool equal, same;
  } cases[] = {
      {{}, {}, true, true},
      {{}, {0}, false, false},
      {{1, 2}, {1, 2}, true, true},
      {{1, 2}, {1, 2.05}, false, true},   // within 0.1
      {{1, 2}, {1, 2.1}, false, false},   // the tolerance is strict
      {{0, 2}, {1, 2}, false, false},     // element 0 counts
      {{1, 2}, {1, 2, 3}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AReEqual(c.a, c.b), c.equal);
    EXPECT_EQ(AReSame(c.a, c.b, -0.1), c.same);
  }
}

TEST_F(Arrays, OrderTests) {
  struct Case {
    TARe a;
    bool strict, mono, ordered;
    int brk;
    int dir, posStrict, posCheck;
    bool okStrict, okCheck;
  } cases[] = {
      // values          strict mono  ord   brk dir pS pC okS    okC
      {R1({1, 0, 2, 3}), false, false, false, 2, 1, 2, 2, false, false},
      {R1({5}), true, false, false, 0, 0, 0, 0, false, false},
      {R1({1, 1, 2}), false, true, false, 1, 1, 2, 0, false, true},
      {R1({1, 2, 3, 4}), true, true, true, 0, 1, 0, 0, true, true},
      {R1({4, 3, 3, 1}), false, true, false, 2, -1, 3, 0, false, true},
      {R1({3, 2, 1}), true, true, true, 0, -1, 0, 0, true, true},
      {R1({1, 3, 2, 1}), false, false, false, 2, 0, 0, 0, false, false},
      {R1({1, 2, 3, 2, 5}), false, false, false, 3, 1, 4, 4, false, false},
      {R1({1, 2}), true, true, false, 0, 1, 0, 0, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.a));
    EXPECT_EQ(AReStrictMonotonic(c.a), c.strict);
    EXPECT_EQ(AReMonotonic(c.a), c.mono);
    EXPECT_EQ(AReOrdered(c.a), c.ordered);
    EXPECT_EQ(AReMonoBreak(c.a), c.brk);
    int32_t dir = 9, pos = 9;
    EXPECT_EQ(AReMonotonicDir(c.a, dir, pos), c.okStrict);
    EXPECT_EQ(dir, c.dir);
    EXPECT_EQ(pos, c.posStrict);
    EXPECT_EQ(AReMonoCheck(c.a, dir, pos), c.okCheck);
    EXPECT_EQ(pos, c.posCheck);
  }
  EXPECT_TRUE(AReStrictMonotonic(TARe{}));
}

TEST_F(Arrays, MonoReportNamesTheBreak) {
  int32_t dir = 0, pos = 0;
  EXPECT_TRUE(AReMonoReport("T", R1({1, 1, 2}), dir, pos));
  EXPECT_FALSE(AReMonoReport("Lam", R1({1, 2, 1.5, 3}), dir, pos));
  EXPECT_FALSE(AReMonoReport("Tau", R1({3, 4, 1}), dir, pos));
  EXPECT_FALSE(AReMonoReport("Z", R1({1, 2, 1}), dir, pos));
  ASSERT_EQ(warns.size(), 3u);
  EXPECT_EQ(warns[0], "WARN:Lam" + "-Err: в возрастающем массиве AX в точке 3 обнаружено убывание X!"_cp);
  EXPECT_EQ(warns[1], "WARN:Tau" + "-Err в убывающем массиве AX в точке 2 обнаружено возрастание X!"_cp);
  EXPECT_EQ(warns[2], "WARN:Z" + " массив AX разерностью 3 должен возрастать или убывать!"_cp);
}

TEST_F(Arrays, MinimumAndMaximumSearches) {
  const TARe A = R1({4, -1, 7, -1, 7, 2});
  double mn = 0, mx = 0;
  AReMinMax(A, mn, mx);
  EXPECT_EQ(mn, -1);
  EXPECT_EQ(mx, 7);
  int32_t iMin = 0, iMax = 0;
  AReMinMaxIdx(A, iMin, iMax);  // first occurrences
  EXPECT_EQ(iMin, 2);
  EXPECT_EQ(iMax, 3);
  AReMinMaxIdx(R1({5}), iMin, iMax);
  EXPECT_EQ(iMin, 1);
  EXPECT_EQ(iMax, 1);
  double m = 0;
  int32_t im = 0;
  AReMAXIdx(A, m, im);
  EXPECT_EQ(m, 7);
  EXPECT_EQ(im, 3);
  AReMaxVal(R1({1, 9, 3}), m);
  EXPECT_EQ(m, 9);

  EXPECT_EQ(AReMin(A, 3, 6), -1);
  EXPECT_EQ(AReMax(A, 4, 6), 7);
  AReMinPoint(A, 3, 6, m, im);
  EXPECT_EQ(m, -1);
  EXPECT_EQ(im, 4);
  const TAIn I = I1({5, 3, 8, 3});
  EXPECT_EQ(AInMin(I, 1, 4), 3);
  int32_t M = 0;
  AInMinPoint(I, 1, 4, M, im);
  EXPECT_EQ(M, 3);
  EXPECT_EQ(im, 2);
  EXPECT_TRUE(warns.empty());

  // an upper bound at the length is warned about once and lowered to n
  EXPECT_EQ(AReMin(A, 5, 7), 2);
  EXPECT_EQ(AReMax(A, 1, 7), 7);
  EXPECT_EQ(AInMin(I, 3, 9), 3);
  ASSERT_EQ(warns.size(), 3u);
  EXPECT_EQ(warns[0], "WARN:AReMin length(A)=7 i2=7");
  EXPECT_EQ(warns[1], "WARN:AReMax length(A)=7 i2=7");
  EXPECT_EQ(warns[2], "WARN:AInMin length(A)=5 i2=9");
}

TEST_F(Arrays, SearchesWithoutValuesWarnAndLeaveTheOutputs) {
  double mn = 11, mx = 12, m = 13;
  int32_t im = 14;
  AReMinMax(TARe{0}, mn, mx);
  AReMAXIdx(R1({3}), m, im);  // one value is too few for this search
  EXPECT_EQ(mn, 11);
  EXPECT_EQ(mx, 12);
  EXPECT_EQ(m, 13);
  EXPECT_EQ(im, 14);
  ASSERT_EQ(warns.size(), 2u);
  EXPECT_EQ(warns[0], "WARN:" + "AReMinMax-Err: ARe имеет длину 1!"_cp);
  EXPECT_EQ(warns[1], "WARN:" + "AReMAX-err: длина массива AY = 1"_cp);
}

TEST_F(Arrays, SecondMaximumAwayFromThePeak) {
  // a peak at 5 with a shoulder at 9, more than iGap = 2 away
  const TARe Y = R1({0, 1, 3, 6, 9, 6, 3, 4, 5, 2});
  double M1 = 0, M2 = 0;
  int32_t i1 = 0, i2 = 0;
  AReMAX2(Y, 2, M1, i1, M2, i2);
  EXPECT_EQ(M1, 9);
  EXPECT_EQ(i1, 5);
  EXPECT_EQ(M2, 5);
  EXPECT_EQ(i2, 9);
  // the peak near the end: the search starts on its left
  AReMAX2(R1({1, 2, 4, 3, 0, 7, 8}), 1, M1, i1, M2, i2);
  EXPECT_EQ(i1, 7);
  EXPECT_EQ(M2, 4);
  EXPECT_EQ(i2, 3);
  EXPECT_TRUE(warns.empty());

  // no point lies more than iGap away on either side: nothing beats element 0
  AReMAX2(R1({1, 5, 2, 3}), 2, M1, i1, M2, i2);
  EXPECT_EQ(i1, 2);
  EXPECT_EQ(i2, 0);

  M2 = -7;
  AReMAX2(R1({1, 2, 3}), 2, M1, i1, M2, i2);
  EXPECT_EQ(M2, -7);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(warns[0], "WARN:" + "AReMAX2-err: длина массива AY = 3 < 2*(iGap=2)"_cp);
}

TEST_F(Arrays, QuickSortsMatchStdSort) {
  std::mt19937 rng(12345);
  for (int n : {0, 1, 2, 3, 17, 1000}) {
    std::uniform_int_distribution<int> d(-20, 20);  // many equal values
    TARe A(static_cast<size_t>(n) + 1);
    for (auto& v : A) v = d(rng) / 4.0;
    for (auto [i1, i2] : {std::pair{1, n}, std::pair{n / 3 + 1, n - n / 4}}) {
      TARe S = A, want = A;
      AReQSort(i1, i2, S);
      if (i1 < i2) std::sort(want.begin() + i1, want.begin() + i2 + 1);
      EXPECT_EQ(S, want) << "n=" << n << " i1=" << i1 << " i2=" << i2;
    }
  }
  // companions follow every exchange
  TARe A(501), B(501), C(501);
  std::uniform_int_distribution<int> d(0, 50);
  std::vector<std::pair<double, double>> pairs;
  for (int i = 1; i <= 500; ++i) {
    A[i] = d(rng);
    B[i] = i;
    C[i] = A[i] * 1000 + i;
    pairs.emplace_back(A[i], B[i]);
  }
  TARe A2 = A, B2 = B;
  AReQSort3(1, 500, A, B, C);
  AReQSort2(1, 500, A2, B2);
  EXPECT_TRUE(std::is_sorted(A.begin() + 1, A.end()));
  EXPECT_EQ(A2, A);
  std::vector<std::pair<double, double>> after, after2;
  for (int i = 1; i <= 500; ++i) {
    EXPECT_EQ(C[i], A[i] * 1000 + B[i]);
    after.emplace_back(A[i], B[i]);
    after2.emplace_back(A2[i], B2[i]);
  }
  std::sort(pairs.begin(), pairs.end());
  std::sort(after.begin(), after.end());
  std::sort(after2.begin(), after2.end());
  EXPECT_EQ(after, pairs);
  EXPECT_EQ(after2, pairs);

  TAR4 F{3, 1, 2, 0.5f, 9};  // a 0-based buffer
  AR4QSort(0, 4, F);
  EXPECT_EQ(F, (TAR4{0.5f, 1, 2, 3, 9}));
  TARe small = R1({3, 1, 2});
  AReQSort(1, 10, small);  // bounds beyond the array are cut to it
  EXPECT_EQ(small, R1({1, 2, 3}));
}
