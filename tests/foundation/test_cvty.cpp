#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvSayer.h"
#include "foundation/cvTy.h"

TEST(CvTy, RecordsAndSmallValueRoutines) {
  TRePoint p = MakePoint(1.5, -2);
  EXPECT_EQ(p.X, 1.5);
  EXPECT_EQ(p.Y, -2);
  TRePoint p2 = MakePoint2(3, 4);
  EXPECT_EQ(p2.X, 3);
  EXPECT_EQ(p2.Y, 4);
  // argument order X1, X2, Y1, Y2; fields X1, Y1, X2, Y2
  TReRect r = MakeReRect(1, 2, 3, 4);
  EXPECT_EQ(r.X1, 1);
  EXPECT_EQ(r.X2, 2);
  EXPECT_EQ(r.Y1, 3);
  EXPECT_EQ(r.Y2, 4);

  EXPECT_EQ(MinRe(2, -1), -1);
  EXPECT_EQ(MaxRe(2, -1), 2);
  EXPECT_EQ(MinIn(-3, 7), -3);
  double a = 1, b = 2;
  SwapRe(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  int32_t i = 5, j = -5;
  SwapIn(i, j);
  EXPECT_EQ(i, -5);
  EXPECT_EQ(j, 5);
  std::string s = "left", t = "right";
  SwapStr(s, t);
  EXPECT_EQ(s, "right");
  EXPECT_EQ(t, "left");
}

TEST(CvTy, OneBasedCount) {
  EXPECT_EQ(NOf(TARe{}), 0);
  EXPECT_EQ(NOf(TARe{0}), 0);  // length 1 holds no values
  EXPECT_EQ(NOf(TARe{0, 1, 2}), 2);
}

TEST(CvTy, CycMean) {
  struct Case {
    double a, b, wa, wb, p, want;
  } cases[] = {
      {170, 10, 1, 1, 180, 0},    // mean 90 is half a period from both: moved down
      {10, 170, 1, 1, 180, 0},    // argument order does not matter
      {20, 40, 1, 1, 180, 30},    // close together: the plain mean
      {10, 160, 1, 1, 180, 175},  // mean 85 < 90 is moved up
      // each weight stays with its own value, also when the values are exchanged
      {30, 60, 1, 2, 180, 50},
      {60, 30, 1, 2, 180, 40},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(CycMean(c.a, c.b, c.wa, c.wb, c.p), c.want)
        << c.a << " " << c.b << " " << c.wa << " " << c.wb;
}

TEST(CvTy, DigitsForDiff) {
  struct Case {
    double a, b;
    int want;
  } cases[] = {
      {1, 2, 1},          {1.0, 1.01, 3},   {5, 5, 0},   {-3, 250000, 5},
      {0, 123.4, 3},      {-1, -1.001, 4},  {10, 30, 0},  // same sign, relative diff 1 -> 0
      {-40, 7, 2},        {0, 0, 1},        {0, 2.5, 1},
      {0, 99999.7, 6},    {0, 100001, 5},
  };
  for (const auto& c : cases) EXPECT_EQ(DigitsForDiff(c.a, c.b), c.want) << c.a << " " << c.b;
}

TEST(CvTy, SegPointOffset) {
  struct Case {
    int n, i;
    double x1, y1, x2, y2, d, wx, wy;
  } cases[] = {
      {5, 0, 0, 0, 4, 0, 0, 0, 0},    // first end
      {5, 4, 0, 0, 4, 0, 0, 4, 0},    // last end
      {5, 2, 0, 0, 4, 0, 1, 2, 1},    // middle, moved left of +X, i.e. up
      {3, 1, 0, 0, 0, 2, 1, -1, 1},   // going up: the left normal points to -X
      {1, 0, 2, 3, 8, 3, 2, 2, 5},    // one point: the first end moved by D
      {1, 7, 2, 3, 8, 3, -1, 2, 2},   // one point, whatever I
      {4, 2, 1, 1, 1, 1, 5, 1, 1},    // zero-length segment: not moved
  };
  for (const auto& c : cases) {
    double x = 99, y = 99;
    SegPointOffset(c.n, c.i, c.x1, c.y1, c.x2, c.y2, c.d, x, y);
    EXPECT_NEAR(x, c.wx, 1e-12) << c.n << " " << c.i;
    EXPECT_NEAR(y, c.wy, 1e-12) << c.n << " " << c.i;
  }
}

namespace {
class Probe : public TLiveObject {
 public:
  int value = 0;
};
}  // namespace

TEST(CvTy, BadObjPointerTracksLiveObjects) {
  ResetSayerForTests();
  EXPECT_TRUE(BadObjPointer(nullptr));

  auto p = std::make_unique<Probe>();
  const TLiveObject* live = p.get();
  volatile uintptr_t address = reinterpret_cast<uintptr_t>(live);
  auto ref = [&address] { return reinterpret_cast<const TLiveObject*>(uintptr_t{address}); };
  EXPECT_FALSE(BadObjPointer(ref()));
  Probe copy = *p;  // a copy is a live object of its own
  EXPECT_FALSE(BadObjPointer(&copy));
  p.reset();
  EXPECT_TRUE(BadObjPointer(ref()));  // freed: not usable, and its memory was not read
  EXPECT_FALSE(BadObjPointer(&copy));
  EXPECT_EQ(WarnLastText, "");  // plausible references are not warned about
}

TEST(CvTy, BadObjPointerWarnsForImpossibleReference) {
  ResetSayerForTests();
  auto odd = reinterpret_cast<const TLiveObject*>(static_cast<uintptr_t>(0x12345679));
  EXPECT_TRUE(BadObjPointer(odd));
  EXPECT_EQ(WarnLastText, ">$00000000:12345679");
}
