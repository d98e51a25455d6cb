// Values of a profile at any wavelength (the two spline sets it builds once and keeps), the line
// centre, wavelengths and indices of its grid, the check of its reference point.
#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

// A spline through X and Y (made on first use, filled anew).
void Fill(std::unique_ptr<TSPLINE>& S, const TARe& X, const TARe& Y) {
  if (!S) S = std::make_unique<TSPLINE>();
  const int32_t n = std::min(NOf(X), NOf(Y));
  if (n >= 1)
    S->SetData(n, X, Y);
  else
    S->Clear();
}

void Free(std::unique_ptr<TSPLINE>& S) {
  if (S) S->Clear();
  S.reset();
}

double EvalOr0(const std::unique_ptr<TSPLINE>& S, double x) { return S ? S->Eval(x) : 0; }

}  // namespace

void TUNNO::BuildSplines() {
  if (SPLINE == 1) return;
  TARe x, y;
  GetAbsLamFull(x);
  CopyUFull('I', y);
  Fill(SplI, x, y);
  if (K4 != 1) {
    CopyUFull('Q', y);
    Fill(SplQ, x, y);
    CopyUFull('U', y);
    Fill(SplU, x, y);
    CopyUFull('V', y);
    Fill(SplV, x, y);
  }
  SPLINE = 1;
}

void TUNNO::BuildSplinesB() {
  if (SPLINEB == 1) return;
  TARe x, y;
  GetAbsLamFull(x);
  CopyUFullM('I', y);
  Fill(SplIB, x, y);
  if (K4 != 1) {
    CopyUFullM('Q', y);
    Fill(SplQB, x, y);
    CopyUFullM('U', y);
    Fill(SplUB, x, y);
    CopyUFullM('V', y);
    Fill(SplVB, x, y);
  }
  SPLINEB = 1;
}

void TUNNO::FreeSplines() {
  if (SPLINE == 0) return;
  Free(SplI);
  Free(SplQ);
  Free(SplU);
  Free(SplV);
  SPLINE = 0;
}

void TUNNO::FreeSplinesB() {
  if (SPLINEB == 0) return;
  Free(SplIB);
  Free(SplQB);
  Free(SplUB);
  Free(SplVB);
  SPLINEB = 0;
}

double TUNNO::ISpl(double x) {
  BuildSplines();
  return EvalOr0(SplI, x);
}
double TUNNO::QSpl(double x) {
  BuildSplines();
  return EvalOr0(SplQ, x);
}
double TUNNO::USpl(double x) {
  BuildSplines();
  return EvalOr0(SplU, x);
}
double TUNNO::VSpl(double x) {
  BuildSplines();
  return EvalOr0(SplV, x);
}
double TUNNO::ISplB(double x) {
  BuildSplinesB();
  return EvalOr0(SplIB, x);
}
double TUNNO::QSplB(double x) {
  BuildSplinesB();
  return EvalOr0(SplQB, x);
}
double TUNNO::USplB(double x) {
  BuildSplinesB();
  return EvalOr0(SplUB, x);
}
double TUNNO::VSplB(double x) {
  BuildSplinesB();
  return EvalOr0(SplVB, x);
}

double TUNNO::IAtD(double x) { return ISpl(x - DLVD); }
double TUNNO::QAtD(double x) { return QSpl(x - DLVD); }
double TUNNO::UAtD(double x) { return USpl(x - DLVD); }
double TUNNO::VAtD(double x) { return VSpl(x - DLVD); }

double TUNNO::IRel(double x) { return Rel(ISpl(x)); }
double TUNNO::QRel(double x) { return Rel(QSpl(x)); }
double TUNNO::URel(double x) { return Rel(USpl(x)); }
double TUNNO::VRel(double x) { return Rel(VSpl(x)); }
double TUNNO::IRelB(double x) { return Rel(ISplB(x)); }
double TUNNO::QRelB(double x) { return Rel(QSplB(x)); }
double TUNNO::URelB(double x) { return Rel(USplB(x)); }
double TUNNO::VRelB(double x) { return Rel(VSplB(x)); }

double TUNNO::QAt(double x) {
  if (K4 == 1) return 0;
  return VmaCur != 0 ? QRelB(x) : QRel(x);
}
double TUNNO::UAt(double x) {
  if (K4 == 1) return 0;
  return VmaCur != 0 ? URelB(x) : URel(x);
}
double TUNNO::VAt(double x) {
  if (K4 == 1) return 0;
  return VmaCur != 0 ? VRelB(x) : VRel(x);
}

double TUNNO::RI(int32_t i) const {
  const TARe& a = CurI();
  if (i < 1 || i >= static_cast<int32_t>(a.size())) return 0;
  return Rel(a[i]);
}

double DepressionCentre(const TARe& X, const TARe& D, int32_t N, bool& Stored) {
  Stored = false;
  if (N < 1) return 0;
  auto d = [&](int32_t k) { return D[k]; };
  int32_t j = 1, i = N;
  double dL = d(1), dR = d(N), sL = 0, sR = 0, pL = 0, pR = 0;
  // a common start level: the deeper end moves in to the other end's depth
  if (dR > dL) {
    while (dR > dL && j <= i - 1) {
      pL = dL;
      ++j;
      dL = d(j);
    }
    if (j > i - 1) return X[N];
    const double delta = (X[j] - X[j - 1]) * (dL - dR) / (dL - pL);
    sL = (dL + dR) / 2 * delta;
    sR = 0;
  }
  if (dL > dR) {
    while (dL > dR && i >= j + 1) {
      pR = dR;
      --i;
      dR = d(i);
    }
    if (i < j + 1) return X[j];
    const double delta = (X[i + 1] - X[i]) * (dR - dL) / (dR - pR);
    sR = (dL + dR) / 2 * delta;
    sL = 0;
  }
  // equal areas from both sides
  while (i - j >= 2) {
    while (sR >= sL && i - j >= 2) {
      pL = dL;
      ++j;
      dL = d(j);
      sL += (dL + pL) * (X[j] - X[j - 1]) / 2;
    }
    while (sL > sR && i - j >= 2) {
      pR = dR;
      --i;
      dR = d(i);
      sR += (dR + pR) * (X[i + 1] - X[i]) / 2;
    }
  }
  if (j != i - 1) WARNAbs("Где-то ошибка !"_cp);
  const double delta = X[i] - X[j];
  const double ds = (dR + dL) * delta / 2;
  double f = 0;
  if (ds != 0) {
    f = ((sR - sL) / ds + 1) / 2;
  } else {
    WARNAbs("TUNNO.GetLam0 ds=0!!! rl=" + ShortSt(6, dL) + " rr=" + ShortSt(6, dR) +
            " ixl=" + IntStr(j) + " ixr=" + IntStr(i));
  }
  Stored = true;
  return X[j] + f * delta;
}

double TUNNO::CentreOfDepression(bool& Stored) const {
  Stored = false;
  const TARe& a = CurI();
  if (NDL < 1 || NOf(a) < NDL || NOf(UL) < NDL) return 0;
  TARe d(static_cast<size_t>(NDL) + 1, 0.0);
  for (int32_t k = 1; k <= NDL; ++k) d[k] = 1 - Rel(a[k]);
  return DepressionCentre(UL, d, NDL, Stored);
}

double TUNNO::GetLam() {
  if (NDL < 1) return 0;
  if (KSym == 1) {
    if (ILAM != 1)
      WARNAbs("UNNO.GetLam - необходимо потестировать KSym=1,ILAM<>1 \r\n"
              "- профиль симметиричный центр не совпадает с начальной точкой!\r\nILAM="_cp +
              IntStr(ILAM));
    return dl_A(1);
  }
  bool stored = false;
  const double c = CentreOfDepression(stored);
  if (stored) LamC = c;
  return c;
}

double TUNNO::LamIdxF(double x) const {
  constexpr double e = 1E-10;
  if (NDL < 1 || NOf(UL) < NDL) return -1;
  if (x + e < UL[1] || x > UL[NDL] + e) return -1;
  if (x - e < UL[1]) return 1;
  // the last k with UL[k] < x + 1E-9 (UL ascending)
  const auto it = std::lower_bound(UL.begin() + 1, UL.begin() + NDL + 1, x + 1E-9);
  const int32_t k = std::max<int32_t>(1, static_cast<int32_t>(it - UL.begin()) - 1);
  if (k >= NDL) return NDL;
  return k + (x - UL[k]) / (UL[k + 1] - UL[k]);
}

int32_t FindLamIdx(const TUNNO& U, double x) {
  const double r = U.LamIdxF(x);
  if (r == -1) {
    WARNAbs("FindLamIdx Warning - нельзя найти индекс дл.волны "_cp + ShortSt(9, x) + "\r\n" +
            U.ULText());
    return -1;
  }
  const double nearest = std::nearbyint(r);
  // off a grid point by more than a hundredth of a step (either way)
  if (std::fabs(r - nearest) > 0.01)
    WARNAbs("FindLamIdx Warning - индекс дл.волны "_cp + ShortSt(9, x) + " равный "_cp +
            ShortSt(6, r) + " отличается от целого значения на "_cp +
            ShortSt(5, r - std::trunc(r)));
  return static_cast<int32_t>(nearest);
}

double TUNNO::dl_mA(int32_t i) const {
  if (i < 1 || i > NDL || i >= static_cast<int32_t>(UL.size()))
    ErrAbs("UNNO.dl_mA(" + IntStr(i) + ") NDL=" + IntStr(NDL));
  if (ChDL == '0') return UL[i] * 1000;
  if (ChDL == 'A') return (UL[i] - LAMB - DLVD) * 1000;
  ErrAbs("UNNO.dl_mA(" + IntStr(i) + ") ChDL=" + std::string(1, ChDL) + " <> 0,A!!!");
}

double TUNNO::dl_A(int32_t i) const {
  if (i < 1 || i > NDL || i >= static_cast<int32_t>(UL.size()))
    ErrAbs("UNNO.dl_A(" + IntStr(i) + ") NDL=" + IntStr(NDL));
  if (ChDL == '0') return UL[i] + LAMB + DLVD;
  if (ChDL == 'A') return UL[i];
  ErrAbs("UNNO.dl_A(" + IntStr(i) + ") ChDL=" + std::string(1, ChDL) + " <> 0,A!!!");
}

bool TUNNO::CheckLAMB(const std::string& Name) {
  auto valid = [&](int32_t k) { return k >= 1 && k <= NDL && k < static_cast<int32_t>(UL.size()); };
  auto agrees = [&] {
    return valid(ILAM) && std::fabs((LAMB + DLVD) * 1000 - UL[ILAM] * 1000) < 0.01;
  };
  auto ulText = [&] { return valid(ILAM) ? ReSt(UL[ILAM]) : std::string("?"); };
  const std::string head = "TUNNO(" + QUEST + "-" + IntStr(KVARI) + ")." + Name;
  if (ChDL != 'A') {
    WARNAbs(head + " ChDL=0, а должно быть ChDL=A "_cp + "\r\n" + " UL[" + IntStr(ILAM) +
            "]= " + ulText() + " <> LAMB=" + ReSt(LAMB) + "+DLVD=" + FSt(6, 2, DLVD) + " ???");
    return false;
  }
  if (!agrees()) {
    const int32_t k = FindLamIdx(*this, LAMB);
    if (valid(k) && k != ILAM) ILAM = k;
  }
  if (!agrees()) {
    const double lc = GetLamVD();
    const int32_t k = FindLamIdx(*this, lc);
    if (valid(k) && k != ILAM) {
      ILAM = k;
      LAMB = lc;
    }
  }
  if (agrees()) return true;
  WARNAbs(head + " нач.длина волны профиля задана неверно:"_cp + "\r\n" + "ChDL=A, UL[" +
          IntStr(ILAM) + "]= " + ulText() + " <> (LAMB=" + ReSt(LAMB) + "+DLVD=" +
          FSt(6, 2, DLVD) + ")");
  return false;
}

void PointToCont(TUNNO& U, int32_t i) {
  U.UI[i] = U.CONT;
  if (U.K4 == 0 || U.K4 == 4) U.UQ[i] = U.UU[i] = U.UV[i] = 0;
}

void PointScale(TUNNO& U, int32_t i, double F) {
  U.UI[i] *= F;
  U.UQ[i] *= F;
  U.UU[i] *= F;
  U.UV[i] *= F;
}

double FullEqWidthI(const TUNNO& U) {
  TARe L, I;
  U.GetFullLam(L);
  U.CopyUFull('I', I);
  double w = 0;
  for (size_t i = 2; i < L.size() && i < I.size(); ++i)
    w += ((1 - U.Rel(I[i])) + (1 - U.Rel(I[i - 1]))) / 2 * (L[i] - L[i - 1]);
  return w * 1000;
}
