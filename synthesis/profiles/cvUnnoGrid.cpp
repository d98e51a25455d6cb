// Wavelength grids of a profile and their scales (absolute wavelengths or offsets from the line),
// copies and current sets smoothed by a Gaussian, the shift against a reference profile and the
// length of the intensity curve.
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSL.h"
#include "foundation/cvStrList.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

std::string Who(const TUNNO& U) { return "QUEST=" + U.QUEST + " sULin=" + U.sULin; }

}  // namespace

// ---- grids ----

void TUNNO::SetUL(const TARe& L, double Lam0, bool DoSpread) {
  Clear();
  if (L.empty()) ErrAbs("UNNO.SetUL: входной массив длин волн NOT ASSIGNED!"_cp);
  const int32_t n = NOf(L);
  if (n < 1) ErrAbs("UNNO.SetUL: входной массив длин волн НЕ ЗАПОЛНЕН (размер=0)!"_cp);
  for (int32_t i = 2; i <= n; ++i)
    if (!(L[i] > L[i - 1]))
      ErrAbs("UNNO.SetUL: Нарушение порядка длин волн в массиве "_cp + "\r\n" + AReToStr(L, 6));
  const bool absolute = L[1] >= 1000;
  ILAM = -1;
  for (int32_t i = 1; i <= n; ++i)
    if (absolute ? L[i] == Lam0 : L[i] == 0) ILAM = i;
  KL = 1;
  KSym = L[1] != 0 ? 2 : 1;
  // a depth-dependent velocity breaks the symmetry of a half grid
  const bool spread =
      KSym != 2 && (DoSpread || (KSym == 1 && !Synthesis().Calc.ConstantVelocity()));
  NDL = spread ? 2 * n - 1 : n;
  LAMB = Lam0;
  ChDL = 'A';
  KShift = 0;
  DLVD = 0;
  UL.assign(static_cast<size_t>(NDL) + 1, 0.0);
  if (absolute) {
    for (int32_t i = 1; i <= n; ++i) UL[i] = L[i];
  } else if (spread) {
    UL[n] = Lam0 + L[1] / 1000;
    for (int32_t i = 2; i <= n; ++i) {
      UL[n + i - 1] = Lam0 + L[i] / 1000;
      UL[n - i + 1] = Lam0 - L[i] / 1000;
    }
  } else {
    for (int32_t i = 1; i <= n; ++i) UL[i] = Lam0 + L[i] / 1000;
  }
}

void TUNNO::SetULEqd(int32_t N, double Lam0, double LamR, double LamL) {
  Clear();
  KL = 1;
  ChDL = 'A';
  KShift = 0;
  DLVD = 0;
  NDL = N < 0 ? 0 : N;
  if (NDL == 0) return;
  KSym = 2;
  LAMB = Lam0;
  UL.assign(static_cast<size_t>(NDL) + 1, 0.0);
  if (NDL < 2) {
    UL[1] = Lam0;
    ILAM = 1;
    return;
  }
  for (int32_t i = 1; i <= NDL; ++i) UL[i] = LamL + (i - 1) * (LamR - LamL) / (NDL - 1);
  if (LamL > Lam0) {
    LAMB = LamL;
    ILAM = 1;
  } else if (LamR < Lam0) {
    LAMB = LamR;
    ILAM = NDL;
  } else {
    ILAM = 1;
    for (int32_t i = 2; i <= NDL; ++i)
      if (std::fabs(UL[i] - Lam0) <= std::fabs(UL[ILAM] - Lam0)) ILAM = i;
  }
}

void TUNNO::PureUL(int32_t N, double ADLVD, double Lam0, double DLK, double DL0) {
  if (DL0 != 0)
    ErrAbs("UNNO.PureUL для sULin="_cp + sULin + "\n\r" +
           "При DL0ma<>0 должен формироваться с начальной DL = 0!!!"_cp);
  if (!(Lam0 > 1000))
    ErrAbs("UNNO.PureUL sULin=" + sULin + "\n\r" +
           " Необходимо определить центральную длину волны Lam0="_cp + FSt(1, 1, Lam0) +
           ". Она должна быть > 1000А !!!"_cp);
  Clear();
  KL = 1;
  ChDL = 'A';
  KShift = 0;
  DLVD = 0;
  NDL = N < 0 ? 0 : N;
  if (NDL == 0) return;
  KSym = 1;
  LAMB = Lam0;
  DLVD = ADLVD;
  ILAM = 1;
  URef = nullptr;
  LamSh = LamShA = 0;
  KShift = 0;
  Vma9 = dIRef = dIR2 = 0;
  UL.assign(static_cast<size_t>(NDL) + 1, 0.0);
  if (NDL < 2) {
    UL[1] = LAMB;
    return;
  }
  for (int32_t i = 1; i <= NDL; ++i)
    UL[i] = LAMB + DL0 / 1000 + (i - 1) * (DLK - DL0) / (NDL - 1) / 1000;
}

// ---- scales ----

void TUNNO::LambToAbs() {
  if (KL == 2) {
    WARN("UNNO преобразование Rel_LAMB -> Abs_LAMB для KL=2 пока не предусмотрено"_cp);
    return;
  }
  if (ChDL == 'A') return;
  WARN("UNNO.LambToAbs вариант ChDL=<"_cp + std::string(1, ChDL) + "> Устарел!!!"_cp);
  if (UL.empty() || NDL < 1) {
    WARN("UNNO.LambToAbs ERR: UL Not Assigned!\r\nQUEST=" + QUEST + "." + IntStr(IQ) +
         " LIN=" + sULin);
    return;
  }
  if (ILAM >= 1 && ILAM <= NDL && std::fabs(UL[ILAM]) > 1e-8)
    WARN("UNNO.LambToAbs ILAM=" + IntStr(ILAM) + " UL[" + IntStr(ILAM) +
         "] =" + FSt(8, 3, UL[ILAM]) + " = " + ESt(5, UL[ILAM]) + " <> 0");
  if (DLVD == 0) {
    for (int32_t i = 1; i <= NDL; ++i) UL[i] = LAMB + UL[i];
  } else {
    MakeFull();
    for (int32_t i = 1; i <= NDL; ++i) UL[i] = LAMB + DLVD + UL[i];
    DLVD = 0;
  }
  ChDL = 'A';
  FreeSplines();
  FreeSplinesB();
}

void TUNNO::LambToRel() {
  if (KL == 2) {
    WARN("UNNO преобразование Abs_LAMB -> Rel_LAMB для KL=2 пока не предусмотрено"_cp);
    return;
  }
  if (ChDL == '0') return;
  const bool okIdx = ILAM >= 1 && ILAM <= NDL && ILAM < static_cast<int32_t>(UL.size());
  if (LAMB == 0) {
    if (ILAM == 0 || !okIdx) {
      WARN("UNNO.LambToRel дл.волны LAMB не задана!\r\n"_cp + Who(*this));
      return;
    }
    LAMB = UL[ILAM];
  }
  if (ILAM < 1 && DLVD != 0) {
    WARN("UNNO.LambToRel задана ненулевая DLVD0 = "_cp + ESt(4, DLVD) + " при ILAM = 0"_cp +
         "\r\n" + Who(*this));
    return;
  }
  if (okIdx && std::fabs(LAMB + DLVD - UL[ILAM]) > 1e-6) {
    WARN("UNNO.LambToRel дл.волны опорной точки UL["_cp + IntStr(ILAM) + "]=" +
         ShortSt(10, UL[ILAM]) + " <> дл.волны линии LAMB="_cp + ShortSt(10, LAMB) +
         "+ DLVD=" + ShortSt(10, DLVD) + "=" + ShortSt(10, LAMB + DLVD) + " !!!" + "\r\n" +
         Who(*this));
    return;
  }
  for (int32_t i = 1; i <= NDL && i < static_cast<int32_t>(UL.size()); ++i)
    UL[i] = UL[i] - LAMB - DLVD;
  if (ILAM == 0)
    for (int32_t i = 1; i <= NDL && ILAM == 0; ++i)
      if (std::fabs(UL[i]) < 1e-7) ILAM = i;
  DLVD = 0;
  ChDL = '0';
  FreeSplines();
  FreeSplinesB();
  if (ILAM == 0) {
    WARN("UNNO.LambToRel не найдена точка на профиле, соответствующая опорной длине волны LAMB="_cp +
         ReSt(LAMB) + " !!!" + "\r\n" + Who(*this));
  } else if (ILAM < 1 || ILAM > NDL) {
    WARN("UNNO.LambToRel ILAM = " + IntStr(ILAM) + " NDL=" + IntStr(NDL) + "\r\n" + Who(*this));
  } else if (std::fabs(UL[ILAM]) > 1e-7) {
    WARN("UNNO.LambToRel LAMB =" + FSt(9, 4, LAMB) + " UL[" + IntStr(ILAM) +
         "]=" + ESt(8, UL[ILAM]) + " <> 0" + "\r\n" + Who(*this));
  }
}

// ---- smoothing ----

// SI..SV smoothed with the Gauss width WmA (mA) over this profile's grid: the intensity as a
// depression below the continuum level, V as odd about the line centre; a half profile with its
// mirror image (over offsets from the line while it is smoothed).
void TUNNO::SmoothStokes(const TARe& SI, const TARe& SQ, const TARe& SU, const TARe& SV,
                         double WmA, TARe& RI_, TARe& RQ, TARe& RU, TARe& RV) {
  WARNAbs("БЛУРРИНГ НАДО ПЕРЕДЕЛЫВАТЬ!"_cp);
  const bool half = KSym == 1;
  if (half) LambToRel();
  const double w = WmA / 1000;
  const double c = KCONT == 1 ? 1 : CONT;
  GAUSSBLURING(NDL, UL, SI, w, RI_, KSym, true, false, c);
  if (K4 == 1) {
    RQ = SQ;
    RU = SU;
    RV = SV;
  } else {
    GAUSSBLURING(NDL, UL, SQ, w, RQ, KSym, false, false, c);
    GAUSSBLURING(NDL, UL, SU, w, RU, KSym, false, false, c);
    GAUSSBLURING(NDL, UL, SV, w, RV, KSym, false, true, c);
  }
  if (half) LambToAbs();
}

void TUNNO::CloneBlurMA(const TUNNO& S, int32_t AIQ, double WmA) {
  Clear();
  ALG = "BLUR_mA";
  BGau = WmA;
  Vma0 = 0;
  QUEST = S.QUEST;
  KVARI = S.KVARI;
  NDL = S.NDL;
  UL = S.UL;
  KL = S.KL;
  KSym = S.KSym;
  ChDL = S.ChDL;
  LAMB = S.LAMB;
  DLVD = S.DLVD;
  ILAM = S.ILAM;
  sULin = S.sULin;
  CONT = S.CONT;
  Teff = S.Teff;
  LGT = S.LGT;
  MJU = S.MJU;
  PART = S.PART;
  KCONT = S.KCONT;
  KLGT = S.KLGT;
  KMJU = S.KMJU;
  K4 = S.K4;
  KDif = S.KDif;
  URef = S.URef;
  KShift = S.KShift;
  LamSh = S.LamSh;
  LamShA = S.LamShA;
  IQ = AIQ;
  KVARISrc = S.KVARI;
  Vma9 = dIRef = dIR2 = 0;
  UK = S.UK;
  UNN = S.UNN;
  SmoothStokes(S.UI, S.UQ, S.UU, S.UV, WmA, UI, UQ, UU, UV);
}

void TUNNO::CloneBlurKM(const TUNNO& S, int32_t AIQ, double AVma) {
  if (S.LAMB == 0) ErrAbs("UNNO[" + IntStr(S.KVARI) + "].CloneBlurKM LAMB=0");
  CloneBlurMA(S, AIQ, DopplerShift(S.LAMB, AVma));
  ALG = "BLUR_km";
  BGau = 0;
  Vma0 = AVma;
}

void TUNNO::FillBlur(double WmA) {
  if (WmA == 0) {
    FreeSplinesB();
    for (TARe* a : {&UIC, &UQC, &UUC, &UVC}) TARe().swap(*a);
    VmaCur = 0;
    return;
  }
  const double v = ShiftToVel(WmA, LAMB);
  if (std::fabs((v - VmaCur) / v) < 1e-7) return;
  FreeSplinesB();
  VmaCur = v;
  TARe i, q, u, w;
  SmoothStokes(UI, UQ, UU, UV, WmA, i, q, u, w);
  UIC = std::move(i);
  UQC = std::move(q);
  UUC = std::move(u);
  UVC = std::move(w);
}

void TUNNO::FillBlurKM(double AVma) {
  if (LAMB == 0) ErrAbs("UNNO[" + IntStr(KVARI) + "].FillBlurKM LAMB=0");
  FillBlur(AVma == 0 ? 0 : DopplerShift(LAMB, AVma));
}

// ---- shift and curve length ----

void TUNNO::CalcLambShift(TUNNO* R) {
  KShift = 0;
  const std::string head = "UNNO.CalcLambShift QUEST=" + QUEST;
  if (!R) return WARN(head + " URef0 Not Assigned!");
  if (R->LAMB == 0) return WARN(head + " URef0.LAMB = 0!");
  if (R->KL != 0) return WARN(head + " URef0.KL = " + IntStr(R->KL) + ", а должен быть 0!"_cp);
  if (R->NDL == 0) return WARN(head + " URef0.NDL = 0 - векторы не заполнены!"_cp);
  if (R->KCONT != 1)
    return WARN(head + " LIN=" + R->sULin + " URef0 профиль не поделен на континуум!"_cp);
  if (KCONT != 1) DivCont();
  if (R->sULin != sULin)
    WARN(head + " URef0.sULin=[" + R->sULin + "] <> Self.sULin=[" + sULin + "] !");
  if (R->MJU != MJU)
    WARN(head + " refQUEST=" + R->QUEST + " LIN=" + sULin + " URef0.Mju=" + FSt(5, 3, R->MJU) +
         " <> Self.Mju=" + FSt(5, 3, MJU) + " !");
  URef = R;
  // the centre of each line's depression (the area under I would give the middle of the grid)
  auto centre = [&](const TUNNO& U) {
    TARe x, y;
    U.GetAbsLamFull(x);
    U.CopyUFull('I', y);
    const int32_t n = std::min(NOf(x), NOf(y));
    for (int32_t k = 1; k <= n; ++k) y[k] = 1 - U.Rel(y[k]);
    bool stored = false;
    double c = DepressionCentre(x, y, n, stored);
    if (U.ChDL == '0') {
      WARN("UNNO.CalcLambShift вариант с ChDL = \"0\" УСТАРЕЛ!!!"_cp);
      if (U.ILAM >= 1 && U.ILAM < static_cast<int32_t>(U.UL.size()))
        c = c + U.LAMB - U.UL[U.ILAM] + U.DLVD;
    }
    return c;
  };
  LamShA = centre(*this) - centre(*R);
  KShift = 1;
}

void TUNNO::CalcLCurvI() {
  MakeFull();
  const TARe& I = CurI();
  if (NDL < 2 || NOf(I) < NDL || NOf(UL) < NDL) {
    LCurv = LVar = 0;
    return;
  }
  const double nrm = KCONT == 1 ? 1 : (CONT != 0 ? 1 / CONT : 1);
  TARe Y(static_cast<size_t>(NDL) + 1, 0.0);
  for (int32_t i = 1; i <= NDL; ++i) Y[i] = 1 - I[i] * nrm;
  int32_t a = 1, b = NDL;
  double fL = 1, fR = 1;
  TStringList notes;
  if (DCut != 0) {
    const double level = (DepthOK ? Depth : GetDepth()) * DCut;
    if (Y[1] > level) {
      a = 1;
      notes.Add("UNNO.CalcLCurvI WARN нач.уровень d_min="_cp + ShortSt(5, level) +
                " < UX[1]=" + ShortSt(6, Y[1]));
    } else {
      int32_t i = 2;
      while (Y[i] < level && i < NDL) ++i;
      if (i == NDL) {
        LCurv = LVar = 0;
        WARN("UNNO.CalcLCurvI WARN весь профиль ниже начального уровеня "_cp + "\r\n" +
             "d_min=" + ShortSt(5, level));
        return;
      }
      a = i - 1;
      fL = (Y[i] - level) / (Y[i] - Y[i - 1]);
    }
    int32_t i = a + 1;
    while (Y[i] > level && i < NDL) ++i;
    if (i == NDL) {
      b = NDL;
      notes.Add("UNNO.CalcLCurvI WARN нач.уровень d_min="_cp + ShortSt(5, level) +
                " > UX[NDL]=" + ShortSt(6, Y[NDL]));
    } else {
      b = i;
      fR = (Y[i - 1] - level) / (Y[i - 1] - Y[i]);
    }
  }
  double len = 0, var = 0;
  auto seg = [&](double dx, double dy) {
    len += std::sqrt(dx * dx + dy * dy);
    var += std::fabs(dy);
  };
  if (b == a + 1) {
    // one segment cut at both ends
    const double f = fL + fR - 1;
    seg((UL[b] - UL[a]) * f * 1000, (Y[b] - Y[a]) * f * 1000);
  } else {
    seg((UL[a + 1] - UL[a]) * fL * 1000, (Y[a + 1] - Y[a]) * fL * 1000);
    for (int32_t i = a + 2; i <= b - 1; ++i)
      seg((UL[i] - UL[i - 1]) * 1000, (Y[i] - Y[i - 1]) * 1000);
    seg((UL[b] - UL[b - 1]) * fR * 1000, (Y[b - 1] - Y[b]) * fR * 1000);
  }
  LCurv = len;
  LVar = var;
  if (notes.Count() > 0) {
    std::string t;
    for (int k = 0; k < notes.Count(); ++k) t += (k ? "\r\n" : "") + notes[k];
    WARN(t);
  }
}
