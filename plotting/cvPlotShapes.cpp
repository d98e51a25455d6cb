#include "plotting/cvPlotShapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvTy.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"

namespace {

const char* const DefStyle = "-.K";

bool CountOk(int32_t N, const char* Who) {
  if (N >= 2) return true;
  PlotWarn(std::string(Who) + ": число точек линии n="_cp + IntStr(N) + " меньше 2!"_cp);
  return false;
}

// n points evenly spaced from (x1, y1) to (x2, y2), from index 1.
void Spaced(int32_t N, double x1, double y1, double x2, double y2, TARe& AX, TARe& AY) {
  AX.assign(static_cast<size_t>(N) + 1, 0.0);
  AY.assign(static_cast<size_t>(N) + 1, 0.0);
  for (int32_t i = 1; i <= N; ++i) {
    AX[static_cast<size_t>(i)] = x1 + (i - 1) * (x2 - x1) / (N - 1);
    AY[static_cast<size_t>(i)] = y1 + (i - 1) * (y2 - y1) / (N - 1);
  }
}

std::string Range5(double a, double b) { return "[" + ShortSt(5, a) + ".." + ShortSt(5, b) + "]"; }
std::string RangeE5(double a, double b) { return "[" + EFSt(5, a) + ".." + EFSt(5, b) + "]"; }

}  // namespace

void AddCircle(TPLOTTER& P, double XC, double YC, double R) {
  AddCirclePic(P, "CIRCLE", 'K', XC, YC, R);
}

void AddCirclePic(TPLOTTER& P, const std::string& Title, char Color, double XC, double YC,
                  double R) {
  if (!P.Gra) return;
  const TGRAF& G = *P.Gra;
  int32_t a = G.WXToPix(XC - R), b = G.WXToPix(XC + R);
  if (a > b) std::swap(a, b);
  if (b <= 0 || a >= G.PagePixX) return;
  a = std::max(a, 0);
  b = std::min(b, G.PagePixX);
  int32_t r1 = G.WYToPix(YC - R), r2 = G.WYToPix(YC + R);
  if (r1 > r2) std::swap(r1, r2);
  if (r2 <= 0 || r1 >= G.PagePixY) return;
  r1 = std::max(r1, 0);
  r2 = std::min(r2, G.PagePixY);
  TARe AX(1, 0.0), AY(1, 0.0);
  const size_t n = 2 * static_cast<size_t>(b - a + 1) + 2 * static_cast<size_t>(r2 - r1 + 1);
  AX.reserve(n + 1);
  AY.reserve(n + 1);
  auto Half = [R](double u) {
    const double s = R * R - u * u;
    return s > 0 ? std::sqrt(s) : 0.0;
  };
  for (int32_t c = a; c <= b; ++c) {
    const double x = G.PixToWX(c);
    AX.push_back(x);
    AY.push_back(YC + Half(x - XC));
  }
  for (int32_t c = b; c >= a; --c) {
    const double x = G.PixToWX(c);
    AX.push_back(x);
    AY.push_back(YC - Half(x - XC));
  }
  for (int32_t r = r1; r <= r2; ++r) {
    const double y = G.PixToWY(r);
    AX.push_back(XC - Half(y - YC));
    AY.push_back(y);
  }
  for (int32_t r = r2; r >= r1; --r) {
    const double y = G.PixToWY(r);
    AX.push_back(XC + Half(y - YC));
    AY.push_back(y);
  }
  P.UpDateGraphByTitle(AX, AY, 1, P.kT, std::string("_.") + Color, Title, "XC=" + EFSt(5, XC),
                       "YC=" + EFSt(5, YC), "", "");
}

void AddLinePicY(TPLOTTER& P, int32_t N, double K, double B0) {
  if (!CountOk(N, "AddLinePicY")) return;
  double x1, x2, y1w, y2w;
  P.GetCurWWRange(x1, x2, y1w, y2w);
  if (x1 == 0 && x2 == 0) return;
  const double y1 = K * x1 + B0, y2 = K * x2 + B0;
  TARe AX, AY;
  Spaced(N, x1, y1, x2, y2, AX, AY);
  P.NewGraph(AX, AY, 1, P.kT, DefStyle, "Line(" + ShortSt(5, K) + "*X+" + ShortSt(5, B0) + ")",
             "X" + Range5(x1, x2), "Y" + Range5(y1, y2), "", "");
}

void AddLineThroughPoint(TPLOTTER& P, int32_t N, double K, double X0, double Y0) {
  AddLinePicY(P, N, K, Y0 - K * X0);
}

void AddLinePic(TPLOTTER& P, int32_t N, const std::string& Title, double K, double B0) {
  if (!CountOk(N, "AddLinePic")) return;
  double x1w, x2w, y1, y2;
  P.GetCurWWRange(x1w, x2w, y1, y2);
  if (y1 == 0 && y2 == 0) return;
  const double x1 = K * y1 + B0, x2 = K * y2 + B0;
  TARe AX, AY;
  Spaced(N, x1, y1, x2, y2, AX, AY);
  const std::string T =
      Title.empty() ? "Line(" + ShortSt(5, K) + "*Y+" + ShortSt(5, B0) + ")" : Title;
  P.NewGraph(AX, AY, 1, P.kT, DefStyle, T, "X" + Range5(x1, x2), "Y" + Range5(y1, y2), "", "");
}

void AddLinePicDef(TPLOTTER& P, int32_t N, double K, double B0) { AddLinePic(P, N, "", K, B0); }

void AddParabola(TPLOTTER& P, int32_t N, double A, double B, double C) {
  if (!CountOk(N, "AddParabola")) return;
  double x1, x2, y1w, y2w;
  P.GetCurWWRange(x1, x2, y1w, y2w);
  if (x1 == 0 && x2 == 0) return;
  TARe AX, AY;
  Spaced(N, x1, 0, x2, 0, AX, AY);
  for (int32_t i = 1; i <= N; ++i) {
    const double x = AX[static_cast<size_t>(i)];
    AY[static_cast<size_t>(i)] = A * x * x + B * x + C;
  }
  P.NewGraph(AX, AY, 1, P.kT, DefStyle,
             "Line(" + ShortSt(5, A) + "*X^2+" + ShortSt(5, B) + "*X+" + ShortSt(5, C) + ")",
             "X" + Range5(x1, x2), "a*x^2 + b*x + c", "", "");
}

void AddVLine(TPLOTTER& P, const std::string& Style, int32_t N, double X, double Y1, double Y2,
              const std::string& Title) {
  if (!CountOk(N, "AddVLine")) return;
  TARe AX, AY;
  Spaced(N, X, Y1, X, Y2, AX, AY);
  const std::string NX = "X=" + EFSt(8, X);
  P.NewGraph(AX, AY, 1, P.kT, Style.empty() ? DefStyle : Style,
             Title.empty() ? "Line Y(" + NX + ")" : Title, NX, "Y" + RangeE5(Y1, Y2), "", "");
}

void AddVLineN(TPLOTTER& P, int32_t N, double X, double Y1, double Y2) {
  AddVLine(P, "", N, X, Y1, Y2, "");
}

void AddVLineStyled(TPLOTTER& P, const std::string& Style, int32_t N, double X, double Y1,
                    double Y2) {
  AddVLine(P, Style, N, X, Y1, Y2, "");
}

void AddVLineInWW(TPLOTTER& P, const std::string& Style, const std::string& Title, double X) {
  double y1, y2;
  P.GetCurWWRangeY(y1, y2);
  if (y1 == 0 && y2 == 0) return;
  AddVLine(P, Style, 2, X, y1, y2, Title);
}

void AddLevelLine(TPLOTTER& P, const std::string& Style, int32_t N, double X1, double X2,
                  double Y, const std::string& Title) {
  if (!CountOk(N, "AddLevelLine")) return;
  TARe AX, AY;
  Spaced(N, X1, Y, X2, Y, AX, AY);
  const std::string NY = "Y=" + EFSt(8, Y);
  P.NewGraph(AX, AY, 1, P.kT, Style.empty() ? DefStyle : Style,
             Title.empty() ? "Line X(" + NY + ")" : Title, "X" + RangeE5(X1, X2), NY, "", "");
}

void AddLevelLineDef(TPLOTTER& P, int32_t N, double X1, double X2, double Y) {
  AddLevelLine(P, "", N, X1, X2, Y, "");
}
