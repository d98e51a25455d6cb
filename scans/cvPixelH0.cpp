// Line parameters of one slit pixel: the centres of gravity of both lines, line centres held to
// the nominal separation 0.9985 A, windows of the given half widths about them, the equivalent
// widths and first moments of V by trapezoids with partial end pixels, and the field from the
// moments and from the centres of I + V and I - V.
#include "scans/cvPixelH0.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvCentre.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"

std::vector<std::pair<std::string, double>> TH0Values::Named() const {
  return {{"EW1", EW1},       {"EW2", EW2},       {"MV1", MV1},     {"MV2", MV2},
          {"BMom1", BMom1},   {"BMom2", BMom2},   {"BCog1", BCog1}, {"BCog2", BCog2},
          {"CG1", CG1},       {"CG2", CG2},       {"Win1Lo", Win1Lo}, {"Win1Hi", Win1Hi},
          {"Win2Lo", Win2Lo}, {"Win2Hi", Win2Hi}, {"Lc1", Lc1},     {"Lc2", Lc2},
          {"CIpV1", CIpV1},   {"CImV1", CImV1},   {"CIpV2", CIpV2}, {"CImV2", CImV2}};
}

namespace {

double Fin(double x) { return std::isfinite(x) ? x : 0.0; }

// The area S of D and the first moment Mv of Vn about Cg over the window [Lo, Hi] (inside
// 1..nLam), whole pixels by trapezoids and the partial end pixels with the profiles interpolated
// at the bounds.
void WindowSums(const TARe& D, const TARe& Vn, double Lo, double Hi, double Cg, double& S,
                double& Mv) {
  const int32_t a = static_cast<int32_t>(std::ceil(Lo)), b = static_cast<int32_t>(std::trunc(Hi));
  const double fa = a - Lo, fb = Hi - b;
  S = (D[a] + D[b]) / 2;
  for (int32_t j = a + 1; j <= b - 1; ++j) S += D[j];
  Mv = 0;
  for (int32_t j = a + 1; j <= b; ++j) Mv += (Vn[j - 1] + Vn[j]) / 2 * ((j - 0.5) - Cg);
  if (fa > 0) {
    const double u = D[a] - (D[a] - D[a - 1]) * fa;
    S += (u + D[a]) / 2 * fa;
    const double v = Vn[a] - (Vn[a] - Vn[a - 1]) * fa;
    Mv += (v + Vn[a]) / 2 * fa * ((a + Lo) / 2 - Cg);
  }
  if (fb > 0) {
    const double u = D[b] + (D[b + 1] - D[b]) * fb;
    S += (u + D[b]) / 2 * fb;
    const double v = Vn[b] + (Vn[b + 1] - Vn[b]) * fb;
    Mv += (v + Vn[b]) / 2 * fb * ((b + Hi) / 2 - Cg);
  }
}

}  // namespace

bool CalcH0Pixel(TFITS& F, int32_t IY, double W1, double W2, double KV, double KRC,
                 TH0Values& R) {
  TTimedSection timed("FITS.CalcH0Pixel");
  R = TH0Values{};
  if (!F.Bit(2) && !F.LoadData()) return false;
  if (IY < 0 || IY >= F.nY) {
    WARNAbs("CalcH0Pixel ERR: iY=" + IntStr(IY) + " Not in [0.." + IntStr(F.nY - 1) + "]");
    return false;
  }
  const double dl = F.CDELT1;
  const int32_t nLam = F.nLam;
  if (dl == 0 || nLam < 3) {
    WARNAbs("CalcH0Pixel ERR: CDELT1=" + ShortSt(6, dl) + " nLam=" + IntStr(nLam));
    return false;
  }
  const double sep = std::fabs(0.9985 / dl);
  // half widths in pixels; a reversed axis (CDELT1 < 0) keeps the windows the right way round
  const double h1 = std::fabs(W1 / 1000 / dl), h2 = std::fabs(W2 / 1000 / dl);
  TAIn I, V;
  if (!F.GetCol3(IY + 1, 1, I) || !F.GetCol3(IY + 1, 4, V)) return false;
  double cont = 0, lam = 0;
  F.GetIContLam(IY, cont, lam);
  const double Ic = cont * KRC;
  if (static_cast<int32_t>(F.AClass.size()) != F.nY + 1)
    F.AClass.assign(static_cast<size_t>(F.nY) + 1, 0);
  {
    TARe values;
    TAIn pixels;
    F.CalcCGrav5(IY + 1, R.CG1, values, pixels, R.CG2);
  }
  if (F.AClass[static_cast<size_t>(IY) + 1] != 5) F.CalcCGrav(IY + 1, R.CG1, R.CG2);
  // windows about the centres, kept inside the spectrum
  auto windows = [&] {
    R.Win1Lo = std::clamp(R.Lc1 - h1, 1.0, double(nLam));
    R.Win1Hi = std::clamp(R.Lc1 + h1, 1.0, double(nLam));
    R.Win2Lo = std::clamp(R.Lc2 - h2, 1.0, double(nLam));
    R.Win2Hi = std::clamp(R.Lc2 + h2, 1.0, double(nLam));
  };
  const double d = (R.CG2 - R.CG1 - sep) / 2;
  R.Lc1 = R.CG1 + d;
  R.Lc2 = R.CG2 - d;
  windows();
  const size_t len = static_cast<size_t>(nLam) + 1;
  TARe D(len, 0.0), Vn(len, 0.0), P(len, 0.0), M(len, 0.0);
  for (int32_t j = 1; j <= nLam; ++j) {
    const double r = I[j] / Ic, v = V[j] * KV / Ic;
    D[j] = Fin(1 - r);
    Vn[j] = Fin(v);
    P[j] = Fin(1 - (r + v));
    M[j] = Fin(1 - (r - v));
  }
  R.Lc1 = Fin(LineCenter_d(D, R.Win1Lo, R.Win1Hi));
  R.Lc2 = Fin(LineCenter_d(D, R.Win2Lo, R.Win2Hi));
  windows();
  R.CIpV1 = Fin(LineCenter_d(P, R.Win1Lo, R.Win1Hi));
  R.CImV1 = Fin(LineCenter_d(M, R.Win1Lo, R.Win1Hi));
  R.CIpV2 = Fin(LineCenter_d(P, R.Win2Lo, R.Win2Hi));
  R.CImV2 = Fin(LineCenter_d(M, R.Win2Lo, R.Win2Hi));
  const double ad = std::fabs(dl);
  R.BCog1 = Fin(BFromSplit(ad * (R.CImV1 - R.CIpV1) * 1000 / 2, 6301.5, 1.669));
  R.BCog2 = Fin(BFromSplit(ad * (R.CImV2 - R.CIpV2) * 1000 / 2, 6302.5, 2.487));
  double S = 0, Mv = 0;
  WindowSums(D, Vn, R.Win1Lo, R.Win1Hi, R.CG1, S, Mv);
  R.EW1 = Fin(ad * S * 1000);
  R.MV1 = Fin(Mv * (dl * 1000) * (dl * 1000));
  WindowSums(D, Vn, R.Win2Lo, R.Win2Hi, R.CG2, S, Mv);
  R.EW2 = Fin(ad * S * 1000);
  R.MV2 = Fin(Mv * (dl * 1000) * (dl * 1000));
  // no line: no field (the quotient would not be finite)
  R.BMom1 = R.EW1 != 0 ? Fin(BFromSplit(R.MV1 / R.EW1, 6301.5, 1.669)) : 0;
  R.BMom2 = R.EW2 != 0 ? Fin(BFromSplit(R.MV2 / R.EW2, 6302.5, 2.487)) : 0;
  return true;
}

bool TLFITS::CalcH0(TJob& Job, int32_t Index, int32_t IY, double W1, double W2, double KV,
                    double KRC, TH0Values& Out) {
  Out = TH0Values{};
  if (Files.empty() && !LoadHeaders(Job)) return false;
  if (Index < 0 || Index >= Count()) {
    WARNAbs("LFITS.CalcH0 ERR: iX=" + IntStr(Index) + " LFITS.Count=" + IntStr(Count()));
    return false;
  }
  return CalcH0Pixel(*Files[static_cast<size_t>(Index)], IY, W1, W2, KV, KRC, Out);
}
