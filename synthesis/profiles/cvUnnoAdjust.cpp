// The macroturbulence fit: the velocity at which the profile, blurred by a Gaussian of that
// velocity, best matches a reference. The profiles are aligned by their shift, the velocity is
// found where the residual at the line centre balances the residual in the wings, and then
// polished towards the least mean squared residual.
#include <algorithm>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// The fit's work space: trial velocities in ascending order with their balance and mean squared
// residual (1-based, N + 1 elements).
struct TAdJustVMa {
  static constexpr double VLo = 0, VHi = 5;
  static constexpr int32_t NMax = 1000;
  int32_t N = 0;
  TARe X{0}, F{0}, G{0};

  // Inserts a trial at its place; its index.
  int32_t Insert(double V, double FV, double GV) {
    int32_t k = 1;
    while (k <= N && X[k] < V) ++k;
    X.insert(X.begin() + k, V);
    F.insert(F.begin() + k, FV);
    G.insert(G.begin() + k, GV);
    ++N;
    return k;
  }
  bool Known(double V) const {
    for (int32_t k = 1; k <= N; ++k)
      if (std::fabs(X[k] - V) <= 1e-12 * std::max(1.0, std::fabs(V))) return true;
    return false;
  }
};

struct TEval {
  double Mean = 0, Mean2 = 0, Ends = 0, Mid = 0;
  double Balance() const { return Mid - Ends; }
};

}  // namespace

namespace {
// The residuals of the profile blurred at V against the reference's points.
TEval CalcPoint(const TUNNO& U, const TUNNO& Ref, double V) {
  TUNNO t;
  t.CloneBlurKM(U, U.IQ + 1, V);
  t.LamShA = U.LamShA;
  const int32_t n = Ref.NDL, m = n / 2;
  if (Ref.ChDL == '0') WARN("UNNO.Calc_Point вариант с ChDL = \"0\" УСТАРЕЛ!!!"_cp);
  double sum = 0, sum2 = 0, r1 = 0, rn = 0, rm = 0;
  for (int32_t i = 1; i <= n; ++i) {
    double lam = Ref.UL[i] + U.LamShA;
    if (Ref.ChDL == '0') lam += Ref.LAMB + Ref.DLVD;
    const double r = t.ISpl(lam) - Ref.UI[i];
    sum += r;
    sum2 += r * r;
    if (i == 1) r1 = r;
    if (i == n) rn = r;
    if (i == m) rm = r;
  }
  TEval e;
  e.Mean = sum / n;
  e.Mean2 = sum2 / n;
  e.Ends = (r1 + rn) / 2 - e.Mean;
  e.Mid = rm - e.Mean;
  return e;
}
}  // namespace

bool TUNNO::AdJust(TUNNO& Ref) {
  CalcLambShift(&Ref);
  if (KShift == 0) {
    WARN("Сравнение макротурбулентных скоростей невозможно, \r\n"
         "т.к. не удалось определить относительный сдвиг линий!"_cp);
    return false;
  }
  const std::string who = "UNNO.AdJust " + UnnoName(*this) + " LIN=" + sULin + ": ";
  if (Ref.NDL < 4 || NOf(Ref.UL) < Ref.NDL || NOf(Ref.UI) < Ref.NDL) {
    WARNAbs(who + "в профиле сравнения меньше 4 точек ("_cp + IntStr(Ref.NDL) +
            ") - подгонка невозможна, Vma9 не изменена"_cp);
    return false;
  }
  TAdJustVMa w;
  TEval e = CalcPoint(*this, Ref, w.VLo);
  w.Insert(w.VLo, e.Balance(), e.Mean2);
  e = CalcPoint(*this, Ref, w.VHi);
  w.Insert(w.VHi, e.Balance(), e.Mean2);
  double v = w.VHi;
  if (w.F[1] * w.F[2] > 0) {
    WARNAbs(who + "баланс остатков не меняет знак между 0 и 5 км/с (F(0)="_cp +
            ShortSt(6, w.F[1]) + " F(5)=" + ShortSt(6, w.F[2]) +
            ") - подгонка невозможна, Vma9 не изменена"_cp);
    return false;
  }
  auto full = [&] {
    WARNAbs(who + "Превышено место, отведенное для рачетов в процедуре AdJust!"_cp +
            " (" + IntStr(TAdJustVMa::NMax) + ")");
    return false;
  };
  // first phase: the velocity of balance between the centre and the wings
  while (std::fabs(e.Ends - e.Mid) > 0.001) {
    int32_t k = 0;  // the bracket: F changes sign between k and k + 1
    for (int32_t j = 1; j < w.N; ++j)
      if (w.F[j] * w.F[j + 1] <= 0) k = j;
    if (k == 0) k = 1;
    double nv = AReIpolCubic(k, w.F, w.X, 0);
    if (!(nv >= w.X[k] && nv <= w.X[k + 1]))
      nv = LinIpol2(0, w.F[k], w.F[k + 1], w.X[k], w.X[k + 1]);
    if (w.N >= TAdJustVMa::NMax) return full();
    if (w.Known(nv)) break;  // no new velocity to try: converged as far as it goes
    e = CalcPoint(*this, Ref, nv);
    w.Insert(nv, e.Balance(), e.Mean2);
    v = nv;
  }
  // second phase: towards the least mean squared residual
  double gPrev = -10000;
  while (std::fabs(e.Mean2 - gPrev) > 1e-8) {
    int32_t k = 1;
    double prev = 0;
    for (int32_t j = 2; j <= w.N; ++j) {
      const double s = w.G[j] - w.G[j - 1];
      if (s * prev < 0 || s == 0 || j == 2) k = j - 1;
      prev = s;
    }
    double nv = AReExtremumX(k, w.X, w.G);
    if (nv < 0) nv = 0;  // no negative velocities
    if (w.N >= TAdJustVMa::NMax) return full();
    if (!std::isfinite(nv) || w.Known(nv)) break;
    gPrev = e.Mean2;
    e = CalcPoint(*this, Ref, nv);
    w.Insert(nv, e.Balance(), e.Mean2);
    v = nv;
  }
  Vma9 = v;
  dIRef = e.Mean;
  dIR2 = e.Mean2;
  return true;
}
