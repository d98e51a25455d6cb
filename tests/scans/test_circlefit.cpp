// Circles from limb points: the algebraic least-squares circle against numpy's solution of the
// same problem (x^2 + y^2 = 2ax + 2by + c by least squares), exact circles, refusals, the
// known-radius construction and the arc generator's rectangle warning.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "foundation/cvLit.h"
#include "scans/cvCircleFit.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

TRandom01 Seeded(uint32_t Seed) {
  auto g = std::make_shared<std::mt19937_64>(Seed);
  return [g] { return std::uniform_real_distribution<double>(0, 1)(*g); };
}

TCirclePts OnCircle(double xc, double yc, double r, std::initializer_list<double> Deg) {
  TCirclePts P;
  for (double d : Deg) {
    const double f = d * M_PI / 180;
    P.push_back({xc + r * std::cos(f), yc + r * std::sin(f)});
  }
  return P;
}

bool HaveNumpy() {
  return testsupport::RunShell("/usr/bin/python3 -c 'import numpy; print(1)' 2>/dev/null") ==
         "1\n";
}

TEST(CircleLSQ, ExactOnPointsOfACircle) {
  testsupport::SinkRecorder rec;
  // The three points of the circle of radius 5 about (3, -2) give that circle.
  TCirclePt c;
  double r = 0;
  ASSERT_TRUE(CircleLSQ(OnCircle(3, -2, 5, {0, 90, 200}), 2, c, r));
  EXPECT_NEAR(c.X, 3, 1e-12);
  EXPECT_NEAR(c.Y, -2, 1e-12);
  EXPECT_NEAR(r, 5, 1e-12);
  // Many points of a large limb far from the origin.
  TCirclePts P = OnCircle(1200.5, -340.25, 980, {10, 25, 33, 41, 58, 60, 75});
  ASSERT_TRUE(CircleLSQ(P, static_cast<int32_t>(P.size()) - 1, c, r));
  EXPECT_NEAR(c.X, 1200.5, 1e-7);
  EXPECT_NEAR(c.Y, -340.25, 1e-7);
  EXPECT_NEAR(r, 980, 1e-7);
  // The last index limits the points used: the first three alone.
  P.push_back({0, 0});
  ASSERT_TRUE(CircleLSQ(P, 2, c, r));
  EXPECT_NEAR(r, 980, 1e-7);
  EXPECT_TRUE(rec.texts.empty());
}

TEST(CircleLSQ, RefusesPointsThatFixNoCircle) {
  testsupport::SinkRecorder rec;
  TCirclePt c{7, 8};
  double r = 9;
  // Three collinear points, two points, none: the division message through the sink.
  for (const TCirclePts& P : {TCirclePts{{0, 0}, {1, 1}, {2, 2}}, TCirclePts{{0, 0}, {1, 2}},
                              TCirclePts{}}) {
    rec.texts.clear();
    EXPECT_FALSE(CircleLSQ(P, static_cast<int32_t>(P.size()) - 1, c, r));
    ASSERT_EQ(rec.texts.size(), 1u);
    EXPECT_NE(rec.texts[0].find("Ошибка: деление на ноль"_cp), std::string::npos);
  }
  EXPECT_EQ(c.X, 7);
  EXPECT_EQ(r, 9);
}

// Noisy arcs of different extent: centre and radius equal numpy's least-squares solution of the
// algebraic problem to 1e-9 relative.
TEST(CircleLSQ, EqualsNumpysAlgebraicFitOnNoisyArcs) {
  if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is not installed";
  testsupport::TempDir dir;
  struct TCase {
    double xc, yc, r, from, to, noise;
    int n;
  };
  const TCase Cases[] = {{512.3, 488.1, 980, 100, 160, 1.5, 200},
                         {-20, 35, 12.5, 0, 300, 0.3, 40},
                         {3, -2, 5, 10, 50, 0.01, 9}};
  int k = 0;
  for (const TCase& C : Cases) {
    auto rnd = Seeded(17 + k);
    TCirclePts P;
    for (int i = 0; i < C.n; ++i) {
      const double f = (C.from + (C.to - C.from) * rnd()) * M_PI / 180;
      P.push_back({C.xc + C.r * std::cos(f) + (rnd() - 0.5) * 2 * C.noise,
                   C.yc + C.r * std::sin(f) + (rnd() - 0.5) * 2 * C.noise});
    }
    const std::string file = dir.file("pts" + std::to_string(k++) + ".txt");
    {
      std::ofstream o(file);
      o.precision(17);
      for (const TCirclePt& p : P) o << p.X << " " << p.Y << "\n";
    }
    const std::string py =
        "import numpy as np, sys\n"
        "p = np.loadtxt(sys.argv[1])\n"
        "x, y = p[:, 0], p[:, 1]\n"
        "A = np.column_stack([2 * x, 2 * y, np.ones_like(x)])\n"
        "s, *_ = np.linalg.lstsq(A, x * x + y * y, rcond=None)\n"
        "a, b, c = s\n"
        "r = np.sqrt(np.mean((x - a) ** 2 + (y - b) ** 2))\n"
        "print('%.17g %.17g %.17g' % (a, b, r))\n";
    testsupport::WriteFile(dir.file("fit.py"), py);
    const std::string out =
        testsupport::RunShell("/usr/bin/python3 " + dir.file("fit.py") + " " + file + " 2>&1");
    std::istringstream in(out);
    double a = 0, b = 0, rr = 0;
    ASSERT_TRUE(in >> a >> b >> rr) << out;
    TCirclePt c;
    double r = 0;
    ASSERT_TRUE(CircleLSQ(P, C.n - 1, c, r));
    const double scale = std::max({std::fabs(a), std::fabs(b), rr});
    EXPECT_NEAR(c.X, a, 1e-9 * scale) << k;
    EXPECT_NEAR(c.Y, b, 1e-9 * scale) << k;
    EXPECT_NEAR(r, rr, 1e-9 * rr) << k;
  }
}

TEST(CircleFromPoints, KnownRadiusCentreAndItsRefusals) {
  testsupport::SinkRecorder rec;
  // Points of a circle: the centre comes back exactly, the rms error is 0.
  TCirclePt c;
  double err = -1;
  ASSERT_TRUE(CircleFromPoints(OnCircle(100, 50, 30, {10, 40, 80, 130, 170}), c, err, 30));
  EXPECT_NEAR(c.X, 100, 1e-9);
  EXPECT_NEAR(c.Y, 50, 1e-9);
  EXPECT_NEAR(err, 0, 1e-9);
  // Fewer than three points, or all on one line: the outputs stay; the line gets one warning.
  c = {1, 2};
  err = 3;
  EXPECT_FALSE(CircleFromPoints({{0, 0}, {5, 5}}, c, err, 10));
  EXPECT_TRUE(rec.texts.empty());
  EXPECT_FALSE(CircleFromPoints({{0, 0}, {1, 1}, {2, 2}, {5, 5}}, c, err, 10));
  EXPECT_EQ(c.X, 1);
  EXPECT_EQ(c.Y, 2);
  EXPECT_EQ(err, 3);
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("на одной прямой"_cp), std::string::npos);
}

TEST(CircleFromPoints, NoisyArcNearTheTrueCentre) {
  TCirclePts P;
  ASSERT_TRUE(MakeArcPoints(P, {500, 500}, 300, 980, 1300, 1500, 0, 900, 0.5, Seeded(3)));
  TCirclePt c;
  double err = 0;
  ASSERT_TRUE(CircleFromPoints(P, c, err, 980));
  EXPECT_NEAR(c.X, 500, 3);
  EXPECT_NEAR(c.Y, 500, 3);
  EXPECT_LT(err, 1);
}

TEST(MakeArcPoints, PointsInsideTheRectangleAndOnTheArc) {
  TCirclePts P;
  ASSERT_TRUE(MakeArcPoints(P, {0, 0}, 100, 10, 6, 10, 0, 8, 0.2, Seeded(5)));
  ASSERT_EQ(P.size(), 100u);
  for (const TCirclePt& p : P) {
    EXPECT_TRUE(InRect(p, 6, 10, 0, 8));
    EXPECT_NEAR(DistToCircle(p, {0, 0, 10}), 0, 0.2 * std::sqrt(2.0) + 1e-12);
  }
}

TEST(MakeArcPoints, ARectangleThatMissesTheArcStopsWithTheWarning) {
  testsupport::SinkRecorder rec;
  TCirclePts P;
  // The rectangle lies inside the circle: every arc point misses.
  EXPECT_FALSE(MakeArcPoints(P, {0, 0}, 50, 10, -1, 1, -1, 1, 0, Seeded(1)));
  EXPECT_TRUE(P.empty());
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_NE(rec.texts[0].find("Неверно задан прямоугольник пересечения окна с дугой окружности"_cp),
            std::string::npos);
  EXPECT_NE(rec.texts[0].find("[(-1,1):(-1,1)]\r\nI=1 Point["), std::string::npos) << rec.texts[0];
  // A rectangle the arc only grazes, with noise much larger than the rectangle: arc points fall
  // inside but their jittered copies keep falling out; the generation still ends.
  rec.texts.clear();
  EXPECT_FALSE(MakeArcPoints(P, {0, 0}, 50, 10, 9.999, 10.001, -0.001, 0.001, 5, Seeded(2)));
  EXPECT_EQ(rec.texts.size(), 1u);
}

TEST(CircleSums, GradientAndSumsOfSquares) {
  const TCirclePts P = OnCircle(0, 0, 10, {0, 90, 180, 270});
  EXPECT_DOUBLE_EQ(SumSqToCircle(P, {0, 0, 10}), 0);
  EXPECT_NEAR(SumSqToCircle(P, {0, 0, 9}), 4, 1e-12);
  double gx = 1, gy = 1;
  CircGrad(P, {0, 0, 10}, gx, gy);
  EXPECT_NEAR(gx, 0, 1e-12);
  EXPECT_NEAR(gy, 0, 1e-12);
  // Centre moved right of the points' centre: the gradient points back (negative x).
  CircGrad(P, {1, 0, 10}, gx, gy);
  EXPECT_LT(gx, 0);
  EXPECT_NEAR(gy, 0, 1e-12);
  CircGrad({}, {1, 0, 10}, gx, gy);
  EXPECT_EQ(gx, 0);
}

}  // namespace
