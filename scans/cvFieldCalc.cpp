// Field measurements of one slit file: the field vector from the Stokes moments over the wing
// windows (CalcWMom) and the centres of gravity of I + V and I - V between levels of the line
// depression (CalcLIV, CalcIVcog, CalcIVcog05). Each works per slit pixel on the slit-pixel loop
// (cvPixelLoop.h): a pixel writes only its own slot, warnings reach the job in pixel order.
// Columns hold no NaN or Inf: a value that would not be finite is stored as 0.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "foundation/cvCentre.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvPixelLoop.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180 / kPi;

double Fin(double x) { return std::isfinite(x) ? x : 0.0; }

template <class A>
void Size(A& Col, int32_t nY) {
  Col.assign(static_cast<size_t>(std::max(nY, 0)) + 1, 0);
}

template <class A>
double At(const A& Col, int32_t I) {
  return I >= 0 && I < static_cast<int32_t>(Col.size()) ? static_cast<double>(Col[I]) : 0.0;
}

// Signed square root.
double SSqrt(double x) { return x >= 0 ? std::sqrt(x) : -std::sqrt(-x); }


// I + V and I - V of slit pixel y as TFITS.GetIV gives them; false without the profiles.
bool IVOf(const TFITS& F, int32_t y, TARe& P, TARe& M) {
  thread_local TAIn ci, cv;
  if (!F.GetCol3(y, 1, ci) || !F.GetCol3(y, 4, cv)) return false;
  const size_t n = static_cast<size_t>(F.nLam) + 1;
  P.assign(n, 0.0);
  M.assign(n, 0.0);
  for (int32_t i = 1; i <= F.nLam; ++i) {
    P[i] = double(ci[i]) + cv[i];
    M[i] = double(ci[i]) - cv[i];
  }
  return true;
}

// The slice windows and the minima ranges of the two lines.
struct TLineWin {
  int32_t Lo, Hi, MinFrom, MinCount;
};
constexpr TLineWin kWin[3] = {{0, 0, 0, 0}, {1, 52, 1, 52}, {59, 112, 59, 54}};

// The field and velocity conversion of the centres of gravity of one line.
constexpr double kPixMA = 21.549, kRefPix = 56.5;
constexpr double kOff[3] = {0, 0.5792, -0.4132};
constexpr double kVel[3] = {0, 47.57477079, 47.5672796};
constexpr double kField[3] = {0, 0.06188150667260403 / 21.549, 0.09223975809677025 / 21.549};

double FieldOf(int n, double cp, double cm) { return (cp - cm) / kField[n]; }
double VelOf(int n, double cp, double cm, const double VW[3]) {
  return (((cp + cm) / 2 - kRefPix) * kPixMA / 1000 + kOff[n]) * kVel[n] - VW[n];
}

}  // namespace

// ---------------------------------------------------------------- moments

void TFITS::CalcWMom() {
  TTimedSection timed("FITS.CalcWMom");
  for (int k = 1; k <= 7; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
  const double dl = std::fabs(CDELT1) * 1000, dl2 = dl * dl, dl3 = dl2 * dl;
  static const double kLam[3] = {0, 6301.5, 6302.5}, kG[3] = {0, 1.669, 2.487};
  static const double kW0[3] = {0, 150, 100};
  const double r2 = std::sqrt(2.0);
  ForSlitPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn col;
    thread_local TARe S[5];
    for (int s = 1; s <= 4; ++s) {
      if (!GetCol3(y, s, col)) return;
      S[s].assign(col.begin(), col.end());
    }
    const double c = At(ACnt, y);
    const double sc = c != 0 ? 1 / c : 1e-5;
    for (int s = 1; s <= 4; ++s)
      for (double& v : S[s]) v *= sc;
    const TARe &I = S[1], &Q = S[2], &U = S[3], &V = S[4];
    const double lo[3] = {0, At(ALWb1, y) - 12, At(ALWb2, y) - 12};
    const double hi[3] = {0, At(ALWr1, y) + 12, At(ALWr2, y) + 12};
    const double cen[3] = {0, At(AGRC1, y), At(AGRC2, y)};
    double W[3], M[3], Q2[3], U2[3], chi[3];
    for (int n = 1; n <= 2; ++n) {
      const double a = std::clamp(lo[n], 1.0, 112.0), b = std::clamp(hi[n], 1.0, 112.0);
      W[n] = Fin(dl * AReMoment0(I, a, b, 1.0));
      if (W[n] == 0) W[n] = kW0[n];
      M[n] = Fin(AReMoment1(V, a, b, cen[n]) * dl2 / W[n]);
      Q2[n] = Fin(AReMoment2(Q, a, b, cen[n]) / W[n] * dl3);
      U2[n] = Fin(AReMoment2(U, a, b, cen[n]) / W[n] * dl3);
      chi[n] = std::atan2(U2[n], Q2[n]) / 2 * kDeg;
      if (chi[n] < 0) chi[n] += 180;
    }
    const double xi = 180 - CycMean(chi[1], chi[2], 1, 2, 180);
    const double phi = xi / kDeg, cs = std::cos(2 * phi), sn = std::sin(2 * phi);
    for (int n = 1; n <= 2; ++n) {
      const double T = std::pow(Q2[n] * Q2[n] + U2[n] * U2[n], 0.25);
      const double Pq = SSqrt(Q2[n] * cs + U2[n] * sn), Pu = SSqrt(-Q2[n] * sn + U2[n] * cs);
      ArN2[1][n][y] = W[n];
      ArN2[2][n][y] = Fin(BFromSplit(-M[n], kLam[n], kG[n]));
      ArN2[3][n][y] = Fin(r2 * BFromSplit(T, kLam[n], kG[n]));
      ArN2[4][n][y] = M[n] == 0 ? 90.0 : Fin(std::atan2(r2 * T, -M[n]) * kDeg);
      ArN2[5][n][y] = chi[n];
      ArN2[6][n][y] = Fin(r2 * BFromSplit(Pq, kLam[n], kG[n]));
      ArN2[7][n][y] = Fin(r2 * BFromSplit(Pu, kLam[n], kG[n]));
    }
  });
}

// ---------------------------------------------------------------- centres of gravity of I +- V

void TFITS::CalcLIV() {
  TTimedSection timed("FITS.CalcLIV");
  for (int k = 1; k <= 4; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
  ForSlitPixels(nY, Threads, [&](int32_t y) {
    thread_local TARe P, M;
    if (!IVOf(*this, y, P, M)) return;
    const double C = At(ACnt, y);
    for (int n = 1; n <= 2; ++n) {
      const TLineWin& w = kWin[n];
      const double mp = RowMin(P, w.MinFrom, w.MinCount), mm = RowMin(M, w.MinFrom, w.MinCount);
      const double mean = (mp + mm) / 2, D = C - mean;
      const double lower = mean + 0.4 * D, upper = mean + 0.6 * D;
      double wp = 0, wm = 0;
      const double cp = SlicedCOGIdx(w.Lo, w.Hi, P, wp, lower, upper);
      const double cm = SlicedCOGIdx(w.Lo, w.Hi, M, wm, lower, upper);
      ArN2[1][n][y] = Fin((cp + cm) / 2);
      ArN2[2][n][y] = Fin(cp - cm);
      const bool blueP = cp < cm;
      ArN2[3][n][y] = Fin(blueP ? wp : wm);
      ArN2[4][n][y] = Fin(blueP ? wm : wp);
    }
  });
}

namespace {

// The continuum of every slit pixel as GetContIY gives it (the column when it is full).
void ContColumn(TFITS& F, TARe& C) {
  C.assign(static_cast<size_t>(std::max(F.nY, 0)) + 1, 0.0);
  for (int32_t y = 1; y <= F.nY; ++y) C[static_cast<size_t>(y)] = F.GetContIY(y - 1);
}

}  // namespace

void TFITS::CalcIVcog(double VW1, double VW2, int32_t* FlatCount) {
  TTimedSection timed("FITS.CalcIVcog");
  if (VW1 == 0 && VW2 == 0) {
    WARNAbs(
        "FITS.CalcIVcog=ERR: В cvFITS файле не заданы константы \r\n"
        "которые определяют средние скорости для 6301 и 6302"_cp);
    return;
  }
  for (int k = 1; k <= 18; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
  Size(ArN2[19][1], nY);
  TARe cont;
  ContColumn(*this, cont);
  const double VW[3] = {0, VW1, VW2};
  std::atomic<int32_t> flat{0};
  ForSlitPixels(nY, Threads, [&](int32_t y) {
    thread_local TARe P, M;
    if (!IVOf(*this, y, P, M)) return;
    const double C = cont[static_cast<size_t>(y)];
    double mean[3], D[3], mn[3], asym[3] = {0, 0, 0};
    for (int n = 1; n <= 2; ++n) {
      const TLineWin& w = kWin[n];
      const double mp = RowMin(P, w.MinFrom, w.MinCount), mm = RowMin(M, w.MinFrom, w.MinCount);
      mean[n] = (mp + mm) / 2;
      D[n] = C - mean[n];
      mn[n] = std::min(mp, mm);
      // a flat or empty line has no depth to slice
      if (D[n] > 0)
        asym[n] = (mm - mp) / D[n];
      else
        flat.fetch_add(1, std::memory_order_relaxed);
    }
    ArN2[19][1][y] = Fin(100 * (asym[1] + asym[2]) / 2);
    for (int j = 1; j <= 9; ++j)
      for (int n = 1; n <= 2; ++n) {
        if (!(D[n] > 0)) continue;
        const TLineWin& w = kWin[n];
        const double lower = j == 1 ? mn[n] : mean[n] + (j - 1) * D[n] / 10;
        const double upper = mean[n] + (j + 1) * D[n] / 10;
        double wd = 0;
        const double cp = SlicedCOGIdx(w.Lo, w.Hi, P, wd, lower, upper);
        const double cm = SlicedCOGIdx(w.Lo, w.Hi, M, wd, lower, upper);
        ArN2[j][n][y] = Fin(FieldOf(n, cp, cm));
        ArN2[j + 9][n][y] = Fin(VelOf(n, cp, cm, VW));
      }
  });
  const int32_t nf = flat.load();
  if (FlatCount)
    *FlatCount += nf;
  else if (nf > 0)
    WARNAbs("FITS.CalcIVcog iX=" + IntStr(IXI) + ": " + IntStr(nf) +
            " line(s) without depth (flat or zero pixels): asymmetry 0, no slices");
}

void TFITS::CalcIVcog05(double VW1, double VW2) {
  TTimedSection timed("FITS.CalcIVcog05");
  if (VW1 == 0 && VW2 == 0) {
    WARNAbs(
        "FITS.CalcIVcog05=ERR: В cvFITS файле не заданы константы \r\n"
        "$VW1 и $VW2, которые определяют средние скорости для 6301 и 6302"_cp);
    return;
  }
  for (int k = 1; k <= 4; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
  TARe cont;
  ContColumn(*this, cont);
  const double VW[3] = {0, VW1, VW2};
  ForSlitPixels(nY, Threads, [&](int32_t y) {
    thread_local TARe P, M;
    if (!IVOf(*this, y, P, M)) return;
    const double C = cont[static_cast<size_t>(y)];
    static const double kFrac[3] = {0, 0.06, 0.03};
    for (int j = 1; j <= 2; ++j)
      for (int n = 1; n <= 2; ++n) {
        const TLineWin& w = kWin[n];
        const double mp = RowMin(P, w.MinFrom, w.MinCount), mm = RowMin(M, w.MinFrom, w.MinCount);
        double wd = 0;
        const double cm = SlicedCOGIdx(w.Lo, w.Hi, M, wd, mm, mm + (C - mm) * kFrac[j]);
        const double cp = SlicedCOGIdx(w.Lo, w.Hi, P, wd, mp, mp + (C - mp) * kFrac[j]);
        ArN2[j][n][y] = Fin(FieldOf(n, cp, cm));
        ArN2[j + 2][n][y] = Fin(VelOf(n, cp, cm, VW));
      }
  });
}
