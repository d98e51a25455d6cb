// Comparing profiles: their layouts and grids, the difference on a common grid (Dif), the
// difference across grids with the difference of the level curves (Dif2) and the weighted
// combination of several profiles (Sum). The target is this profile; the inputs are only read.
// Profiles that cannot be combined are an error (ErrAbs) naming both profiles and the fields.
#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

std::string Both(const TUNNO& U1, const TUNNO& U2) {
  return " [" + UnnoName(U1) + " LIN=" + U1.sULin + "] [" + UnnoName(U2) + " LIN=" + U2.sULin +
         "]";
}

// A copy to measure and convert without touching the original.
void CopyForMeasure(TUNNO& D, const TUNNO& S) {
  D.CopyFrom(S);
  D.sULin = S.sULin;
  D.RStep = S.RStep;
  D.KRef = S.KRef;
  D.VmaCur = S.VmaCur;
  D.UIC = S.UIC;
  D.UQC = S.UQC;
  D.UUC = S.UUC;
  D.UVC = S.UVC;
  D.wL1 = S.wL1;
  D.wL2 = S.wL2;
}

bool FourStokes(int32_t K4) { return K4 == 0 || K4 == 4; }

}  // namespace

std::string TUNNO::EqLayout(const TUNNO& U1, const TUNNO& U2) {
  std::string r;
  if (U1.NDL != U2.NDL) r += "NDL ";
  if (U1.KSym != U2.KSym) r += "KSym ";
  if (U1.ChDL != U2.ChDL) r += "ChDL ";
  if (U1.KL != U2.KL) r += "KL ";
  if (U1.K4 != U2.K4) r += "K4 ";
  if (U1.CONT != U2.CONT) r += "CONT ";
  if (U1.KCONT != U2.KCONT) r += "KCONT ";
  return r;
}

std::string EqUN(const TUNNO& U1, const TUNNO& U2) {
  for (int32_t i = 1; i <= U1.NDL; ++i) {
    const double a = i < static_cast<int32_t>(U1.UL.size()) ? U1.UL[i] : 0;
    const double b = i < static_cast<int32_t>(U2.UL.size()) ? U2.UL[i] : 0;
    if (a != b) return "UNNO.EqUN1<>UN2. UL[" + IntStr(i) + "]";
  }
  return "";
}

void TUNNO::Dif(const TUNNO& U1, const TUNNO& U2) {
  if (this == &U1 || this == &U2) {
    TUNNO a, b;
    CopyForMeasure(a, U1);
    CopyForMeasure(b, U2);
    a.QUEST = U1.QUEST, a.IQ = U1.IQ, a.KVARI = U1.KVARI;
    b.QUEST = U2.QUEST, b.IQ = U2.IQ, b.KVARI = U2.KVARI;
    Dif(a, b);
    return;
  }
  const std::string lay = EqLayout(U1, U2);
  if (!lay.empty()) ErrAbs("UNNO.Dif U1<>U2.(" + lay + ")" + Both(U1, U2));
  const std::string grid = EqUN(U1, U2);
  if (!grid.empty()) ErrAbs(grid + Both(U1, U2));
  Reset(U2.NDL);
  UL = U2.UL;
  KSym = U2.KSym;
  KL = U2.KL;
  ChDL = U2.ChDL;
  KCONT = U2.KCONT;
  CONT = U2.CONT;
  Teff = U2.Teff;
  K4 = U2.K4;
  if (FourStokes(K4) && U1.K4 == 1) K4 = 1;
  auto diff = [&](TARe& T, const TARe& A, const TARe& B) {
    T.assign(static_cast<size_t>(NDL) + 1, 0.0);
    for (int32_t i = 1; i <= NDL && i < static_cast<int32_t>(A.size()) &&
                        i < static_cast<int32_t>(B.size());
         ++i)
      T[i] = A[i] - B[i];
  };
  if (FourStokes(K4)) {
    diff(UI, U1.UI, U2.UI);
    diff(UQ, U1.UQ, U2.UQ);
    diff(UU, U1.UU, U2.UU);
    diff(UV, U1.UV, U2.UV);
  } else if (K4 == 1) {
    diff(UI, U1.UI, U2.UI);
  }
  KDif = 1;
  sULin = U1.sULin;
  // the combination of the profile differenced, as Dif2 has it (the list finds it by that)
  KVARI = U1.KVARI;
  if (U1.QUEST == U2.QUEST) {
    QUEST = U1.QUEST;
    IQ = std::max(U1.IQ, U2.IQ);
  } else {
    QUEST = U2.QUEST;
    IQ = U2.IQ;
  }
}

void TUNNO::Dif2(const TUNNO& U1, const TUNNO& U2) {
  if (U1.KCONT != 1) ErrAbs("UNNO.Dif2 UN1.KCONT=" + IntStr(U1.KCONT) + Both(U1, U2));
  // the inputs are converted (divided, absolute wavelengths, level curves) on copies
  TUNNO a, b;
  CopyForMeasure(a, U1);
  CopyForMeasure(b, U2);
  if (b.KCONT != 1) {
    b.DivCont();
    WARN("UNNO.Dif2 UN2.KCONT=" + IntStr(b.KCONT));
  }
  b.LambToAbs();
  Reset(b.NDL);
  UL = b.UL;
  KSym = b.KSym;
  KL = b.KL;
  ChDL = b.ChDL;
  KCONT = b.KCONT;
  CONT = b.CONT;
  Teff = b.Teff;
  LAMB = b.LAMB;
  DLVD = b.DLVD;
  ILAM = b.ILAM;
  sULin = U2.sULin;
  if (U1.QUEST == U2.QUEST) {
    QUEST = U1.QUEST;
    IQ = std::max(U1.IQ, U2.IQ);
  } else {
    QUEST = U1.QUEST;
    IQ = U1.IQ;
  }
  KVARI = U1.KVARI;
  K4 = U1.K4;
  if (K4 != 1 && b.K4 == 1) K4 = 1;
  a.LambToAbs();
  KDif = 1;
  const bool four = FourStokes(K4);
  if (!four) {
    UQ.clear();
    UU.clear();
    UV.clear();
  }
  auto at = [](const TARe& A, int32_t i) {
    return i < static_cast<int32_t>(A.size()) ? A[i] : 0.0;
  };
  for (int32_t i = 1; i <= NDL; ++i) {
    const double x = UL[i];
    UI[i] = a.IAtD(x) - at(b.UI, i);
    if (!four) continue;
    if (FourStokes(b.K4)) {
      UQ[i] = a.QAtD(x) - at(b.UQ, i);
      UV[i] = a.VAtD(x) - at(b.UV, i);
      UU[i] = a.UAtD(x) - at(b.UU, i);
    } else {
      UQ[i] = UU[i] = UV[i] = 0;
    }
  }
  // the level curves of both, differenced level by level
  a.Bisector();
  b.Bisector();
  const int32_t n = std::min(NOf(a.BiSec), NOf(b.BiSec));
  if (n >= 1 && 1 - a.YInt[n] != 1 - b.YInt[n])
    ErrAbs("UNNO.Dif2: шкалы уровней профилей не совпадают: U1 RStep="_cp + ShortSt(6, a.RStep) +
           " YInt[" + IntStr(n) + "]=" + ShortSt(9, a.YInt[n]) + ", U2 RStep=" +
           ShortSt(6, b.RStep) + " YInt[" + IntStr(n) + "]=" + ShortSt(9, b.YInt[n]) +
           Both(U1, U2));
  for (TARe* t : {&YInt, &BiSec, &WingL, &WingR, &Width}) t->assign(static_cast<size_t>(n) + 1, 0.0);
  int32_t first = 0, last = 0;
  for (int32_t i = 1; i <= n; ++i) {
    YInt[i] = a.YInt[i];
    const bool okL = a.WingL[i] != -1 && b.WingL[i] != -1;
    const bool okR = a.WingR[i] != -1 && b.WingR[i] != -1;
    WingL[i] = okL ? a.WingL[i] - b.WingL[i] : 0;
    WingR[i] = okR ? a.WingR[i] - b.WingR[i] : 0;
    if (okL && okR) {
      if (first == 0) first = i;
      BiSec[i] = a.BiSec[i] - b.BiSec[i];
      Width[i] = a.Width[i] - b.Width[i];
    } else {
      if (first > 0) last = i - 1;
      BiSec[i] = 0;
      Width[i] = 0;
    }
  }
  RStep = a.RStep;
  if (first > 0) {
    const int32_t to = last == 0 ? n : last;
    for (TARe* t : {&YInt, &BiSec, &WingL, &WingR, &Width}) {
      TARe c(static_cast<size_t>(to - first + 1) + 1, 0.0);
      for (int32_t i = first; i <= to; ++i) c[i - first + 1] = (*t)[i];
      *t = std::move(c);
    }
  }
}

void TUNNO::Sum(const std::vector<const TUNNO*>& List) {
  const int32_t count = static_cast<int32_t>(List.size());
  if (count < 2) ErrAbs("UNNO.Sum List.Count =" + IntStr(count));
  const TUNNO& u0 = *List[0];
  for (int32_t j = 1; j < count; ++j) {
    const TUNNO& u = *List[static_cast<size_t>(j)];
    std::string field;
    if (u.NDL != u0.NDL) field = "NDL  ";
    else if (u.KSym != u0.KSym) field = "KSym ";
    else if (u.ChDL != u0.ChDL) field = "ChDL ";
    else if (u.KL != u0.KL) field = "KL   ";
    else if (u.K4 != u0.K4) field = "K4   ";
    else if (u.KCONT != u0.KCONT) field = "KCONT ";
    else if (u.KDif != 0) field = "KDIF<>0 ";
    if (!field.empty()) ErrAbs("UNNO.Sum " + field + IntStr(j) + Both(u0, u));
  }
  if (this == &u0) ErrAbs("UNNO.Sum: профиль-результат входит в список"_cp);
  Reset(u0.NDL);
  UL = u0.UL;
  for (int32_t j = 1; j < count; ++j) {
    const TUNNO& u = *List[static_cast<size_t>(j)];
    if (this == &u) ErrAbs("UNNO.Sum: профиль-результат входит в список"_cp);
    for (int32_t i = 1; i <= NDL; ++i)
      if (i >= static_cast<int32_t>(u.UL.size()) || u.UL[i] != UL[i])
        ErrAbs("UNNO.Sum " + IntStr(j) + " UL[" + IntStr(i) + "]" + Both(u0, u));
  }
  KSym = u0.KSym;
  KL = u0.KL;
  ChDL = u0.ChDL;
  K4 = u0.K4;
  KCONT = u0.KCONT;
  UI = u0.UI;
  UQ = u0.UQ;
  UU = u0.UU;
  UV = u0.UV;
  CONT = u0.CONT;
  Teff = u0.Teff;
  double sumW = 1, sumC = u0.CONT;
  const double w0 = u0.PART;
  if (w0 != 0) {
    sumW = w0;
    sumC = w0 * u0.CONT;
    if (w0 != 1) Mul(w0);
  }
  auto add = [&](TARe& T, const TARe& A, double F) {
    for (int32_t i = 1; i <= NDL && i < static_cast<int32_t>(T.size()) &&
                        i < static_cast<int32_t>(A.size());
         ++i)
      T[i] += F * A[i];
  };
  for (int32_t j = 1; j < count; ++j) {
    const TUNNO& u = *List[static_cast<size_t>(j)];
    const double w = u.PART != 0 ? u.PART : 1;
    const double c = u.CONT != 0 ? u.CONT : 1;
    sumW += w;
    sumC += w * c;
    const double f = u.KCONT == 1 ? w * c : w;
    if (KL == 1) continue;
    add(UI, u.UI, f);
    if (K4 != 1) {
      add(UQ, u.UQ, f);
      add(UU, u.UU, f);
      add(UV, u.UV, f);
    }
  }
  Mul(1 / sumW);
  CONT = sumC / sumW;
  PART = sumW;
}
