// Depth of an intensity profile, its monotonic runs, the amplitude of a Stokes combination, the
// extrema on one side of the line centre, the red V lobe and the zero crossing of V.
#include <algorithm>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

int Sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

}  // namespace

double TUNNO::GetD0() {
  if (KSym == 1) return NOf(CurI()) >= 1 ? 1 - RI(1) : 0;
  // the centre of the depression 1 - I/Ic, and the intensity there
  bool stored = false;
  const double c = CentreOfDepression(stored);
  if (!stored || LamIdxF(c) < 0) {
    WARNAbs("UNNO.GetD0.Err: Ошибка при определении центра линии "_cp + sULin +
            " из расчета "_cp + QUEST + " KVari=" + IntStr(KVARI));
    return 0;
  }
  LamC = c;
  return 1 - IAt(c);
}

void GetDMax(const TUNNO& U, const TARe& A, double& LamMin, int32_t& IMin, double& YMin) {
  const int32_t n = std::min({U.NDL, NOf(A), NOf(U.UL)});
  if (n < 1) {
    IMin = 0;
    YMin = 0;
    return;
  }
  double ymin = A[1];
  int32_t imin = 1, iEq = 0;
  for (int32_t k = 2; k <= n; ++k) {
    if (A[k] < ymin) {
      ymin = A[k];
      imin = k;
      iEq = 0;
    } else if (A[k] == ymin) {
      iEq = k;
    }
  }
  const TARe& L = U.UL;
  if (iEq != 0) {
    IMin = (imin + iEq) / 2;
    LamMin = (L[imin] + L[iEq]) / 2;
    // two equal neighbours inside the grid: the line's bottom lies between them, below both
    if (iEq == imin + 1 && imin > 1 && iEq < n) {
      const double y = AReIpolCubic(imin, L, A, LamMin);
      if (y < ymin) ymin = y;
    }
  } else {
    IMin = imin;
  }
  if (iEq == 0 && imin > 1 && imin < n) {
    const double x = AReExtremumX(imin - 1, L, A);
    const double y = AReIpolCubic(imin - 1, L, A, x);
    if (y > ymin) {
      IPOL1Warn(L, A, x);
      WARNAbs("UNNO.GetDMax этого не может быть!\r\nL["_cp + IntStr(imin - 1) + "]=" +
              ShortSt(7, L[imin - 1]) + " L[" + IntStr(imin) + "]=" + ShortSt(7, L[imin]) +
              " Y[" + IntStr(imin - 1) + "]=" + ShortSt(6, A[imin - 1]) + " Y[" + IntStr(imin) +
              "]=" + ShortSt(6, A[imin]) + "\r\n" + "L[" + IntStr(imin - 2) + "]=" +
              ShortSt(7, L[imin - 2]) + " L[" + IntStr(imin + 1) + "]=" +
              ShortSt(7, L[imin + 1]) + " Y[" + IntStr(imin - 2) + "]=" +
              ShortSt(6, A[imin - 2]) + " Y[" + IntStr(imin + 1) + "]=" +
              ShortSt(6, A[imin + 1]) + "\r\n" + "LMin=" + ShortSt(9, x) +
              " YMin=" + ShortSt(6, ymin) + " => " + ShortSt(6, y));
    } else {
      ymin = y;
      LamMin = x;
    }
  }
  YMin = ymin;
}

double TUNNO::GetDepth() {
  double y = 0;
  GetDMax(*this, CurI(), LDepth, IDepth, y);
  if (IDepth != 0) DepthOK = 1;
  Depth = 1 - Rel(y);
  return Depth;
}

int32_t TUNNO::FindMonoRuns() {
  if (NDL < 2) return 1;
  GetDepth();
  const TARe& a = CurI();
  if (NOf(a) < NDL) return 1;
  auto sg = [&](int32_t k) { return Sign(a[k] - a[k - 1]); };
  struct TRun {
    int32_t len = 0, beg = 0, end = 0;
    int32_t bestLen = 0, bestBeg = 0, bestEnd = 0;
  };
  TRun up, dn;
  auto run = [&](int s) -> TRun* { return s > 0 ? &up : (s < 0 ? &dn : nullptr); };
  auto close = [&](int s, int32_t k) {
    TRun* r = run(s);
    if (!r) return;
    r->end = k - 1;
    if (r->len > r->bestLen) {
      r->bestLen = r->len;
      r->bestBeg = r->beg;
      r->bestEnd = r->end;
    }
    r->len = r->beg = r->end = 0;
  };
  int32_t runs = 0;
  bool flat = false;
  const int s0 = sg(2);
  int sp = s0;
  if (s0 != 0) {
    run(s0)->beg = 1;
    run(s0)->len = 1;
  } else {
    flat = true;
  }
  for (int32_t k = 3; k <= NDL; ++k) {
    int s = sg(k);
    if (s == 0) {
      if (!flat) close(sp, k);
      s = sp;
      flat = true;
      if (sp == 0) continue;
    }
    if (s * sp < 0) {
      flat = false;
      close(sp, k);
      run(s)->beg = k - 1;
      if (s > 0) ++runs;
      sp = s;
    }
    if (s != 0) {
      TRun* r = run(s);
      ++r->len;
      if (flat || sp == 0) r->beg = k - 1;
      sp = s;
      flat = false;
    }
  }
  close(sp, NDL + 1);
  if (KSym == 1) runs = 2 * runs + (s0 > 0 ? 1 : 0);
  TMonoRuns& m = MonoRuns;
  auto scaled = [&](double v) { return Depth != 0 ? v / Depth : v; };
  auto d = [&](int32_t k) { return 1 - RI(k); };
  m.MRUpBeg = up.bestBeg;
  m.MRUpEnd = up.bestEnd;
  m.MRUpAmp = scaled(RI(m.MRUpEnd) - RI(m.MRUpBeg));
  if (KSym != 1) {
    m.MRDnBeg = dn.bestBeg;
    m.MRDnEnd = dn.bestEnd;
    m.MRSides = 2;
    m.MRDnAmp = scaled(RI(m.MRDnBeg) - RI(m.MRDnEnd));
    m.MRCoreDepth = std::min(d(m.MRUpBeg), d(m.MRDnEnd));
    m.MRWingDepth = std::max(d(m.MRUpEnd), d(m.MRDnBeg));
  } else {
    m.MRDnBeg = m.MRDnEnd = 0;
    m.MRSides = 1;
    m.MRDnAmp = 0;
    m.MRCoreDepth = d(m.MRUpBeg);
    m.MRWingDepth = d(m.MRUpEnd);
  }
  return runs;
}

double TUNNO::GetAmpl(const std::string& Word) {
  TARe a;
  if (VmaCur != 0)
    CopyUParM(Word, a);
  else
    CopyUPar(Word, a);
  if (Word.find('I') != std::string::npos && KDif != 1) {
    double lam = 0, y = 0;
    int32_t i = 0;
    GetDMax(*this, a, lam, i, y);
    return 1 - Rel(y);
  }
  if (K4 == 1) return 0;
  const int32_t n = std::min({NDL, NOf(a), NOf(UL)});
  if (n < 1) return 0;
  double A = std::fabs(a[1]);
  int32_t ka = 1;
  for (int32_t k = 2; k <= n; ++k)
    if (std::fabs(a[k]) > A) {
      A = std::fabs(a[k]);
      ka = k;
    }
  if (ka > 1) {
    const double x = AReExtremumX(ka - 1, UL, a);
    const double c = IPOL1Warn(UL, a, x);
    if (c > A) A = c;
  }
  return Rel(A);
}

void TUNNO::GetUPar(const std::string& Name, TARe& A) const {
  const TARe &i = CurI(), &q = CurQ(), &u = CurU(), &v = CurV();
  auto comb = [&](const TARe& y, double sign) {
    if (NOf(i) < NDL || NOf(y) < NDL || NDL < 1) {
      A.clear();
      return;
    }
    TARe r(static_cast<size_t>(NDL) + 1, 0.0);
    for (int32_t k = 1; k <= NDL; ++k) r[k] = i[k] + sign * y[k];
    A = std::move(r);
  };
  if (Name == "Q") A = q;
  else if (Name == "V") A = v;
  else if (Name == "I") A = i;
  else if (Name == "U") A = u;
  else if (Name == "IQ" || Name == "I+Q") comb(q, 1);
  else if (Name == "IV" || Name == "I+V") comb(v, 1);
  else if (Name == "I-Q") comb(q, -1);
  else if (Name == "I-V") comb(v, -1);
  else {
    WARNAbs("UNNO.GetUPar - непонятный параметр Стокса <"_cp + Name +
            "> не принадлежит [I,V,Q,U,IV,IQ,I+V,I-V,I+Q,I-Q]!"_cp);
    A.clear();
  }
}

int32_t TUNNO::FindExtr(const std::string& Name, char Side, int32_t Start) {
  TARe a;
  GetUPar(Name, a);
  if (NOf(a) < NDL || NDL < 1) return 0;
  if (Start == -1) Start = FindLamIdx(*this, GetLamVD());
  // no centre on the grid: no extremum to name
  if (Start < 1 || Start > NDL) return 0;
  if (NDL < 2) return Start;
  int cur = Sign(a[NDL] - a[NDL - 1]);
  TAIn list;
  if (Side == 'R') {
    for (int32_t k = NDL - 1; k >= std::max(Start + 1, 2); --k) {
      const int s = Sign(a[k] - a[k - 1]);
      if (s != cur) {
        cur = s;
        list.push_back(k);
      }
    }
  } else {
    for (int32_t k = 2; k <= Start - 1; ++k) {
      const int s = Sign(a[k - 1] - a[k]);
      if (s != cur) {
        cur = s;
        list.push_back(k - 1);
      }
    }
  }
  if (list.empty()) return Start;
  const bool intensity = Name.find('I') != std::string::npos;
  int32_t best = list[0];
  for (size_t j = 1; j < list.size(); ++j) {
    const double c = std::fabs(a[list[j]]), b = std::fabs(a[best]);
    if (intensity ? c < b : c > b) best = list[j];
  }
  return best;
}

double TUNNO::ExtrAt(const std::string& Name, char Side, int32_t Start) {
  const int32_t k = FindExtr(Name, Side, Start);
  if (k == 0) return 0;
  TARe a;
  GetUPar(Name, a);
  if (NOf(a) < NDL || NDL < 1) return 0;
  TARe AX(4, 0.0), AY(4, 0.0);
  for (int32_t m = 1; m <= 3; ++m) {
    const int32_t j = std::clamp(k - 2 + m, 1, NDL);
    AX[m] = UL[j];
    AY[m] = a[j];
  }
  return GetExtremum3(AX, AY);
}

double TUNNO::VLobeAt(bool Absolute, double Fraction) {
  const int32_t p = FindExtrR("V", -1);
  if (p == 0) return 0;
  TARe a;
  GetUPar("V", a);
  if (NOf(a) < NDL || p > NDL) return 0;
  const double vp = a[p];
  if (vp == 0) return 0;
  double L = Fraction * std::fabs(vp);
  if (Absolute) L = KCONT == 1 ? Fraction : Fraction * CONT;
  double sumA = 0, sumX = 0;
  auto add = [&](int32_t from, int32_t to) {
    double x0 = UL[from], s0 = a[from], x1 = UL[to], s1 = a[to];
    if (std::fabs(s1) < L) {
      x1 = x0 + (std::fabs(s0) - L) / (std::fabs(s0) - std::fabs(s1)) * (x1 - x0);
      s1 = (s0 > 0 ? 1 : (s0 < 0 ? -1 : 0)) * L;
    }
    const double area = std::fabs((x1 - x0) * (s1 + s0) / 2);
    sumA += area;
    sumX += area * (x1 + x0) / 2;
  };
  for (int32_t k = p; std::fabs(a[k]) > L && k < NDL; ++k) add(k, k + 1);
  for (int32_t k = p; std::fabs(a[k]) > L && k > 1; --k) add(k, k - 1);
  return sumA != 0 ? sumX / sumA : 0;
}

double TUNNO::VZeroCross() const {
  const TARe& V = UV;
  const int32_t n = std::min({NDL, NOf(V), NOf(UL)});
  if (K4 == 1 || n < 2) return 0;
  double vmin = V[1], vmax = V[1];
  int32_t iMin = 1, iMax = 1;
  for (int32_t k = 2; k <= n; ++k) {
    if (V[k] < vmin) {
      vmin = V[k];
      iMin = k;
    } else if (V[k] > vmax) {
      vmax = V[k];
      iMax = k;
    }
  }
  const int32_t lo = std::min(iMin, iMax), hi = std::max(iMin, iMax);
  // interior extrema between the lobes
  TAIn ext;
  if (lo + 1 <= n) {
    double prev = V[lo];
    double d0 = V[lo + 1] - V[lo];
    for (int32_t j = lo + 2; j <= hi; ++j) {
      double d = V[j] - prev;
      prev = V[j];
      if (d * d0 <= 0) {
        const int32_t e = j;
        while (d == 0 && j < hi) {
          ++j;
          d = V[j] - V[e];
        }
        prev = V[e];
        if (d * d0 < 0) ext.push_back((e + j) / 2 - 1);
      }
      d0 = d;
    }
  }
  double level = 0;
  int32_t jc = 0;
  const int32_t ne = static_cast<int32_t>(ext.size());
  if (ne < 2) {
    level = (vmin + vmax) / 4;
    for (int32_t j = lo + 1; j <= hi - 1 && jc == 0; ++j)
      if ((V[j] - level) * (V[j - 1] - level) <= 0) jc = j;
  } else {
    const int32_t m = (ne - 1) / 2;
    const int32_t t = ext[m], w = ext[m + 1];
    level = (V[t] + V[w]) / 2;
    for (int32_t j = std::max(t + 1, 2); j <= n && jc == 0; ++j)
      if ((V[j - 1] - level) * (V[j] - level) <= 0) jc = j;
  }
  if (jc < 2) {
    WARNAbs("UNNO.VZeroCross - V не пересекает уровень между экстремумами "_cp + sULin +
            " из расчета "_cp + QUEST + " KVari=" + IntStr(KVARI));
    return 0;
  }
  const double dv = V[jc] - V[jc - 1];
  if (dv == 0) return UL[jc - 1];
  return UL[jc - 1] + (level - V[jc - 1]) / dv * (UL[jc] - UL[jc - 1]);
}
