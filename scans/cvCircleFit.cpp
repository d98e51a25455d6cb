#include "scans/cvCircleFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

double PointDist(const TCirclePt& A, const TCirclePt& B) { return std::hypot(A.X - B.X, A.Y - B.Y); }

double DistToCircle(const TCirclePt& P, const TCircle& C) {
  return std::hypot(P.X - C.XC, P.Y - C.YC) - C.R;
}

bool InRect(const TCirclePt& P, double X1, double X2, double Y1, double Y2) {
  return X1 <= P.X && P.X <= X2 && Y1 <= P.Y && P.Y <= Y2;
}

double Jitter(double V, double Noise, const TRandom01& Random) {
  return V + (Random() - 0.5) * 2 * Noise;
}

double SumSqToCircle(const TCirclePts& P, const TCircle& C) {
  double s = 0;
  for (const TCirclePt& p : P) {
    const double d = DistToCircle(p, C);
    s += d * d;
  }
  return s;
}

void CircGrad(const TCirclePts& P, const TCircle& C, double& Gx, double& Gy) {
  Gx = Gy = 0;
  if (P.empty()) return;
  double sx = 0, sy = 0;
  for (const TCirclePt& p : P) {
    const double w = DistToCircle(p, C) / (2 * C.R);
    sx += (p.X - C.XC) * w;
    sy += (p.Y - C.YC) * w;
  }
  const double n = static_cast<double>(P.size());
  Gx = C.R * sx / n;
  Gy = C.R * sy / n;
}

bool CircleLSQ(const TCirclePts& P, int32_t Last, TCirclePt& Centre, double& R) {
  const int32_t count = std::min<int32_t>(Last + 1, static_cast<int32_t>(P.size()));
  const double n = count > 0 ? count : 0;
  double Sx = 0, Sy = 0, Sxx = 0, Syy = 0, Sxy = 0, Sxxx = 0, Syyy = 0, Sxxy = 0, Sxyy = 0;
  for (int32_t i = 0; i < count; ++i) {
    const double x = P[static_cast<size_t>(i)].X, y = P[static_cast<size_t>(i)].Y;
    Sx += x;
    Sy += y;
    Sxx += x * x;
    Syy += y * y;
    Sxy += x * y;
    Sxxx += x * x * x;
    Syyy += y * y * y;
    Sxxy += x * x * y;
    Sxyy += x * y * y;
  }
  const double a = 2 * (Sx * Sx - n * Sxx), b = 2 * (Sy * Sy - n * Syy),
               c = 2 * (Sx * Sy - n * Sxy);
  const double D = a * b - c * c;
  if (std::fabs(D) < 1e-10) {
    WARNAbs("Ошибка: деление на ноль"_cp);
    return false;
  }
  // The normal equations with the constant term eliminated: a xc + c yc = w, c xc + b yc = m.
  const double Szz = Sxx + Syy;
  const double w = Sx * Szz - n * (Sxxx + Sxyy);
  const double m = Sy * Szz - n * (Syyy + Sxxy);
  const double xc = (b * w - c * m) / D, yc = (a * m - c * w) / D;
  const double g = Sxx + Syy - 2 * Sx * xc - 2 * Sy * yc + n * (xc * xc + yc * yc);
  if (g < 0) {
    WARNAbs("Ошибка: отрицательное значение под корнем"_cp);
    return false;
  }
  Centre = TCirclePt{xc, yc};
  R = std::sqrt(g / n);
  return true;
}

bool CircleFromPoints(const TCirclePts& P, TCirclePt& Centre, double& Err, double R) {
  const size_t n = P.size();
  if (n < 3) return false;
  // The pair farthest apart; the first found on equal distances.
  size_t i1 = 0, i2 = 1;
  double best = -1;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j) {
      const double d = PointDist(P[i], P[j]);
      if (d > best) {
        best = d;
        i1 = i;
        i2 = j;
      }
    }
  const TCirclePt p1 = P[i1], p2 = P[i2];
  double nearest = std::numeric_limits<double>::max();
  bool found = false;
  TCirclePt c{};
  for (size_t k = 0; k < n; ++k) {
    if (k == i1 || k == i2) continue;
    const TCirclePt p3 = P[k];
    const double h = 2 * (p2.X - p1.X), kk = 2 * (p2.Y - p1.Y), o = 2 * (p3.X - p1.X),
                 q = 2 * (p3.Y - p1.Y);
    const double r = h * q - kk * o;
    if (r == 0) continue;
    const double u = p2.X * p2.X + p2.Y * p2.Y - p1.X * p1.X - p1.Y * p1.Y;
    const double v = p3.X * p3.X + p3.Y * p3.Y - p1.X * p1.X - p1.Y * p1.Y;
    const TCirclePt cand{(u * q - kk * v) / r, (v * h - u * o) / r};
    const double miss = std::fabs(PointDist(cand, p1) - R);
    if (miss < nearest) {
      nearest = miss;
      c = cand;
      found = true;
    }
  }
  if (!found) {
    WARNAbs("CircleFromPoints: все точки лежат на одной прямой, центр окружности не найден!"_cp);
    return false;
  }
  // One refinement: each point's place for the centre at distance R, averaged.
  double sx = 0, sy = 0;
  int32_t m = 0;
  for (const TCirclePt& p : P) {
    const double L = PointDist(c, p);
    if (L == 0) continue;
    sx += p.X + R * (c.X - p.X) / L;
    sy += p.Y + R * (c.Y - p.Y) / L;
    ++m;
  }
  if (m > 0) c = TCirclePt{sx / m, sy / m};
  double s = 0;
  for (const TCirclePt& p : P) {
    const double d = R - PointDist(c, p);
    s += d * d;
  }
  Centre = c;
  Err = std::sqrt(s / static_cast<double>(n));
  return true;
}

bool MakeArcPoints(TCirclePts& P, const TCirclePt& Centre, int32_t N, double R, double X1,
                   double X2, double Y1, double Y2, double Noise, const TRandom01& Random) {
  P.clear();
  if (N <= 0) return true;
  P.reserve(static_cast<size_t>(N));
  const double f1 = std::atan2(Y1 - Centre.Y, X1 - Centre.X);
  const double f2 = std::atan2(Y2 - Centre.Y, X2 - Centre.X);
  int32_t misses = 0;
  while (static_cast<int32_t>(P.size()) < N) {
    const double f = f1 + Random() * (f2 - f1);
    TCirclePt p{Centre.X + R * std::cos(f), Centre.Y + R * std::sin(f)};
    if (InRect(p, X1, X2, Y1, Y2)) {
      p.X = Jitter(p.X, Noise, Random);
      p.Y = Jitter(p.Y, Noise, Random);
      if (InRect(p, X1, X2, Y1, Y2)) {
        P.push_back(p);
        misses = 0;
        continue;
      }
    }
    // An arc point outside, or one the jitter moved out: a miss either way, so that a
    // rectangle the arc only grazes still ends the generation.
    if (++misses > 20) {
      WARNAbs("Неверно задан прямоугольник пересечения окна с дугой окружности"_cp + "\r\n[(" +
              ShortSt(6, X1) + "," + ShortSt(6, X2) + "):(" + ShortSt(6, Y1) + "," +
              ShortSt(6, Y2) + ")]\r\nI=" + IntStr(static_cast<int32_t>(P.size()) + 1) +
              " Point[" + FSt(0, 1, p.X) + ":" + FSt(0, 1, p.Y) + "]");
      return false;
    }
  }
  return true;
}
