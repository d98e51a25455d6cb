// Circles from points on a solar limb: the algebraic least-squares circle, the centre for a known
// radius from point triples, test points on an arc, and the distance sums the limb iteration
// steps on. Pure functions: no state, messages through the sink (WARNAbs).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TCirclePt {
  double X = 0, Y = 0;
};
using TCirclePts = std::vector<TCirclePt>;

struct TCircle {
  double XC = 0, YC = 0, R = 0;
};

// A number in [0, 1): the source of MakeArcPoints' angles and offsets.
using TRandom01 = std::function<double()>;

// |P - centre| - R.
double DistToCircle(const TCirclePt& P, const TCircle& C);
double PointDist(const TCirclePt& A, const TCirclePt& B);
bool InRect(const TCirclePt& P, double X1, double X2, double Y1, double Y2);
// v moved by a uniform offset in +-Noise.
double Jitter(double V, double Noise, const TRandom01& Random);
// Sum of the squared distances of the points from the circle.
double SumSqToCircle(const TCirclePts& P, const TCircle& C);
// The mean gradient of the squared distances: gx = R * sum((x - xc) * d / 2R) / n, likewise gy;
// (0, 0) without points.
void CircGrad(const TCirclePts& P, const TCircle& C, double& Gx, double& Gy);

// Algebraic circle x^2 + y^2 = 2 xc x + 2 yc y + c over points 0..Last by least squares; false
// with the sink's line "Ошибка: деление на ноль" when the points do not fix a circle (collinear,
// fewer than three), or "Ошибка: отрицательное значение под корнем".
bool CircleLSQ(const TCirclePts& P, int32_t Last, TCirclePt& Centre, double& R);

// The centre of a circle of known radius R through the points: the circle through the two points
// farthest apart and a third one whose centre lies nearest R from the first, then one averaging
// step; Err the rms of R - |centre - p|. Fewer than 3 points: nothing changes. All points on one
// line: nothing changes and one warning; false in both cases.
bool CircleFromPoints(const TCirclePts& P, TCirclePt& Centre, double& Err, double R);

// Up to N points on the arc of the circle (X0, Y0, R) that runs through the rectangle
// X1..X2 x Y1..Y2, each jittered by +-Noise and kept only inside the rectangle. More than 20
// misses in a row (arc points or jittered points outside) stop the generation with the rectangle
// warning; false then, P holding the points made so far.
bool MakeArcPoints(TCirclePts& P, const TCirclePt& Centre, int32_t N, double R, double X1,
                   double X2, double Y1, double Y2, double Noise, const TRandom01& Random);
