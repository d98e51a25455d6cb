// The Stokes arrays of a profile handed out as fresh copies: single components and combinations,
// as stored or in the full form of a half profile; the wavelength arrays; the intensity slope;
// the macroturbulent blur in place; spreading, scaling and division by the continuum.
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

bool Has(const TARe& A, int32_t N) { return N >= 1 && NOf(A) >= N; }

std::string Letter(char L) { return std::string(1, L); }

}  // namespace

// The full form of A[1..NDL] for a half profile (the mirrored wing negated when Negate).
void TUNNO::FullOf(const TARe& A, bool Negate, TARe& Full) const {
  const int32_t n = NDL;
  if (n < 1 || NOf(A) < n) {
    Full.clear();
    return;
  }
  TARe f(static_cast<size_t>(2 * n - 1) + 1, 0.0);
  f[n] = A[1];
  for (int32_t i = 2; i <= n; ++i) {
    f[n - 1 + i] = A[i];
    f[n + 1 - i] = Negate ? -A[i] : A[i];
  }
  Full = std::move(f);
}

void TUNNO::Combine(TARe& A, const TARe& X, const TARe& Y, double Sign, const char* Caller) const {
  if (K4 == 1) {
    WARNAbs("Вызов функции "_cp + Caller + " K4=1 - массив "_cp +
            (std::string(Caller).find('V') != std::string::npos ? "V" : "Q") +
            " не существует!"_cp);
    return;
  }
  const int32_t n = NDL;
  if (!Has(X, n) || !Has(Y, n)) {
    A.clear();
    return;
  }
  TARe r(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t i = 1; i <= n; ++i) r[i] = X[i] + Sign * Y[i];
  A = std::move(r);
}

void TUNNO::CopyIpQ(TARe& A) const { Combine(A, CurI(), CurQ(), 1, "CopyIpQ"); }
void TUNNO::CopyImQ(TARe& A) const { Combine(A, CurI(), CurQ(), -1, "CopyImQ"); }
void TUNNO::CopyIpQM(TARe& A) const { Combine(A, UIC, UQC, 1, "CopyIpQM"); }
void TUNNO::CopyImQM(TARe& A) const { Combine(A, UIC, UQC, -1, "CopyImQM"); }

void TUNNO::CopyQU2(TARe& A) const {
  if (K4 == 1) {
    WARNAbs("Вызов функции CopyQU2 K4=1 - массив Q не существует!"_cp);
    return;
  }
  const TARe &q = CurQ(), &u = CurU();
  if (!Has(q, NDL) || !Has(u, NDL)) {
    A.clear();
    return;
  }
  TARe r(static_cast<size_t>(NDL) + 1, 0.0);
  for (int32_t i = 1; i <= NDL; ++i) r[i] = std::sqrt(q[i] * q[i] + u[i] * u[i]);
  A = std::move(r);
}

void TUNNO::CopyIpQFull(TARe& A) const {
  TARe a;
  Combine(a, CurI(), CurQ(), 1, "CopyIpQ");
  if (K4 == 1) return;
  if (KSym == 1)
    FullOf(a, false, A);
  else
    A = std::move(a);
}

void TUNNO::CopyImQFull(TARe& A) const {
  TARe a;
  Combine(a, CurI(), CurQ(), -1, "CopyImQ");
  if (K4 == 1) return;
  if (KSym == 1)
    FullOf(a, false, A);
  else
    A = std::move(a);
}

// I + Sign V; for a half profile the full form with I[1] at the centre and I - Sign V on the
// mirrored wing.
static void IpmV(const TUNNO& U, const TARe& I, const TARe& V, double Sign, TARe& A) {
  const int32_t n = U.NDL;
  if (n < 1 || NOf(I) < n || NOf(V) < n) {
    A.clear();
    return;
  }
  if (U.KSym != 1) {
    TARe r(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) r[i] = I[i] + Sign * V[i];
    A = std::move(r);
    return;
  }
  TARe r(static_cast<size_t>(2 * n - 1) + 1, 0.0);
  r[n] = I[1];
  for (int32_t i = 2; i <= n; ++i) {
    r[n - 1 + i] = I[i] + Sign * V[i];
    r[n + 1 - i] = I[i] - Sign * V[i];
  }
  A = std::move(r);
}

void TUNNO::CopyIpV(TARe& A, bool Blurred) const {
  if (K4 == 1) {
    WARNAbs("Вызов функции CopyIpV K4=1 - массив V не существует!"_cp);
    return;
  }
  IpmV(*this, Blurred ? UIC : UI, Blurred ? UVC : UV, 1, A);
}

void TUNNO::CopyImV(TARe& A, bool Blurred) const {
  if (K4 == 1) {
    WARNAbs("Вызов функции CopyImV K4=1 - массив V не существует!"_cp);
    return;
  }
  IpmV(*this, Blurred ? UIC : UI, Blurred ? UVC : UV, -1, A);
}

void TUNNO::CopyUPar(const std::string& Word, TARe& A) {
  if (Word == "RI") A = UI;
  else if (Word == "RQ") A = UQ;
  else if (Word == "RU") A = UU;
  else if (Word == "RV") A = UV;
  else if (Word == "I+Q") CopyIpQ(A);
  else if (Word == "I-Q") CopyImQ(A);
  else if (Word == "I+V") CopyIpVCur(A);
  else if (Word == "I-V") CopyImVCur(A);
  else if (Word == "QU2") CopyQU2(A);
  else {
    WARNAbs("UNNO.CopyUPar(" + Word +
            ") - НЕПОНЯТНЫЙ параметр <> RI RQ RU RV I+Q I+V I-Q I-V !"_cp);
    A = UI;
  }
}

void TUNNO::CopyUParM(const std::string& Word, TARe& A) {
  if (Word == "RI") A = UIC;
  else if (Word == "RQ") A = UQC;
  else if (Word == "RU") A = UUC;
  else if (Word == "RV") A = UVC;
  else if (Word == "I+Q") CopyIpQM(A);
  else if (Word == "I-Q") CopyImQM(A);
  else if (Word == "I+V") CopyIpVM(A);
  else if (Word == "I-V") CopyImVM(A);
  else {
    WARNAbs("UNNO.CopyUParM(" + Word +
            ") - НЕПОНЯТНЫЙ параметр <> RI RQ RU RV I+Q I+V I-Q I-V !"_cp);
    A = UIC;
  }
}

void TUNNO::CopyUParFull(const std::string& Word, TARe& A) {
  TARe a;
  CopyUPar(Word, a);
  if (KSym != 1) {
    A = std::move(a);
    return;
  }
  if (ILAM != 1)
    WARNAbs("Для функции UNNO.CopyUParFull для симметричного профиля KSym=1\r\n"
            "UL[1] должен строго совпадать с центром линии! А у нас ILAM="_cp +
            IntStr(ILAM) + "\r\n" + "QUEST=" + QUEST + " KVARI=" + IntStr(KVARI) +
            " LIN=" + sULin + " NDL=" + IntStr(NDL) + " KSym=" + IntStr(KSym) + "\r\n" +
            "Тем не менее, продолжим работу!"_cp);
  // "I+V" and "I-V" of a half profile come in full form already; the words are exact (an
  // unknown word gave I, which is mirrored unchanged)
  if (Word != "I+V" && Word != "I-V") FullOf(a, Word == "RV", a);
  if (KCONT != 1) {
    double f = 1;
    if (PART > 1)
      f = PART / 100;
    else if (PART < 1)
      f = PART;
    if (f != 1)
      for (size_t i = 1; i < a.size(); ++i) a[i] *= f;
  }
  A = std::move(a);
}

void TUNNO::GetU(char L, TARe& A) const {
  const TARe* src = L == 'I' ? &UI : L == 'Q' ? &UQ : L == 'U' ? &UU : L == 'V' ? &UV : nullptr;
  if (K4 == 1 && L != 'I') {
    WARN("UNNO.GetU(\"" + Letter(L) + "\") <> \"I\" (K4=1 !!!)" + "\r\n" + "QUEST=" + QUEST +
         " sULin=" + sULin);
    A.clear();
    return;
  }
  if (!src) {
    A.clear();
    return;
  }
  if (KSym == 1)
    FullOf(*src, L == 'V', A);
  else
    A = *src;
}

void TUNNO::GetU0(char L, TARe& A) const {
  const TARe* src =
      L == 'I' ? &UIB : L == 'Q' ? &UQB : L == 'U' ? &UUB : L == 'V' ? &UVB : nullptr;
  if (K4 == 1 && L != 'I') {
    WARN("UNNO.GetU0(\"" + Letter(L) + "\") <> \"I\" (K4=1 !!!)" + "\r\n" + "QUEST=" + QUEST +
         " sULin=" + sULin);
    A.clear();
    return;
  }
  if (!src || src->empty()) {
    WARN("UNNO.GetU0(\"" + Letter(L) + "\") U0 Not Assigned!)" + "\r\n" + "QUEST=" + QUEST +
         " sULin=" + sULin);
    A.clear();
    return;
  }
  if (KSym == 1)
    FullOf(*src, L == 'V', A);
  else
    A = *src;
}

void TUNNO::CopyUFull0(char L, bool Blurred, TARe& A) const {
  if (KSym == 1 && ILAM != 1)
    WARNAbs("Для функции UNNO.CopyUFull для симметричного профиля KSym=1\r\n"
            "UL[1] должен строго совпадать с центром линии! А у нас ILAM="_cp +
            IntStr(ILAM) + "\r\n" + "QUEST=" + QUEST + " KVARI=" + IntStr(KVARI) +
            " LIN=" + sULin + " NDL=" + IntStr(NDL) + " KSym=" + IntStr(KSym) + "\r\n" +
            "Тем не менее, продолжим работу!"_cp);
  if (Blurred && VmaCur <= 0)
    WARNAbs("UNNO.CopyUFull0 - VmaCur не заполнен!\r\nQUEST="_cp + QUEST + " sULin=" + sULin);
  if (K4 == 1 && L != 'I') {
    WARN("UNNO.CopyUFull0(\"" + Letter(L) + "\") <> \"I\" (K4=1 !!!)" + "\r\n" +
         "QUEST=" + QUEST + " sULin=" + sULin);
    A.clear();
    return;
  }
  const TARe* src = nullptr;
  if (Blurred)
    src = L == 'I' ? &UIC : L == 'Q' ? &UQC : L == 'U' ? &UUC : L == 'V' ? &UVC : nullptr;
  else
    src = L == 'I' ? &UI : L == 'Q' ? &UQ : L == 'U' ? &UU : L == 'V' ? &UV : nullptr;
  if (!src || src->empty()) {
    A.clear();
    return;
  }
  if (KSym == 1)
    FullOf(*src, L == 'V', A);
  else
    A = *src;
}

void TUNNO::GetUL(TARe& A) const {
  if (ChDL != 'A') ErrAbs("GetUL Алгоритм, когда ChDL <> \"A\" - устарел!"_cp);
  if (KSym != 1) {
    A = UL;
    return;
  }
  if (!Has(UL, NDL)) {
    A.clear();
    return;
  }
  const int32_t n = NDL;
  TARe f(static_cast<size_t>(2 * n - 1) + 1, 0.0);
  f[n] = UL[1];
  for (int32_t i = 2; i <= n; ++i) {
    f[n - 1 + i] = UL[i];
    f[n + 1 - i] = UL[1] - (UL[i] - UL[1]);
  }
  A = std::move(f);
}

void TUNNO::GetULVD(TARe& A) const {
  if (ChDL != 'A') ErrAbs("Алгоритм, когда ChDL <> \"A\" - устарел!"_cp);
  GetUL(A);
  for (size_t i = 1; i < A.size(); ++i) A[i] += DLVD;
}

void TUNNO::GetAbsLamFull(TARe& A) const {
  if (KSym != 1) {
    A = UL;
    return;
  }
  if (!Has(UL, NDL)) {
    A.clear();
    return;
  }
  const int32_t n = NDL;
  const double c = dl_A(1);
  TARe f(static_cast<size_t>(2 * n - 1) + 1, 0.0);
  f[n] = c;
  for (int32_t i = 2; i <= n; ++i) {
    const double x = dl_A(i);
    f[n - 1 + i] = x;
    f[n + 1 - i] = c - (x - c);
  }
  A = std::move(f);
}

void TUNNO::GetFullLam(TARe& A) const {
  if (KSym == 1) {
    GetAbsLamFull(A);
    for (size_t i = 1; i < A.size(); ++i) A[i] += DLVD;
  } else {
    A = UL;
  }
  if (ChanOn(28)) {
    const double lam0 = ValRealOr0(Synthesis().Lam0ForPu());
    if (lam0 != 0)
      for (size_t i = 1; i < A.size(); ++i) A[i] -= lam0;
  }
}

void TUNNO::GetDLmA(TARe& A) const {
  TARe r(static_cast<size_t>(NDL < 0 ? 0 : NDL) + 1, 0.0);
  for (int32_t i = 1; i <= NDL; ++i) r[i] = dl_mA(i);
  A = std::move(r);
}

void TUNNO::GetDerivI(TARe& Slopes, TARe& Mid) {
  if (KDer != 1) {
    const int32_t n = NDL;
    dIdL.assign(static_cast<size_t>(n < 1 ? 1 : n), 0.0);
    LdIdL.assign(dIdL.size(), 0.0);
    for (int32_t i = 1; i <= n - 1 && Has(UL, n) && Has(UI, n); ++i) {
      const double dl = UL[i + 1] - UL[i];
      const double di = UI[i + 1] - UI[i];
      LdIdL[i] = (UL[i + 1] + UL[i]) / 2;
      dIdL[i] = dl == 0 ? 0 : di / dl;
    }
    KDer = 1;
  }
  Slopes = dIdL;
  Mid = LdIdL;
}

void TUNNO::ApplyBlur(double AVma, double ADLA) {
  UnBlur();
  // the arrays change: the splines and the results made of them go
  FreeSplines();
  ResetDerived();
  UIB = UI;
  UQB = UQ;
  UUB = UU;
  UVB = UV;
  DLG = DopplerShiftA(LAMB, AVma) + ADLA;
  const double c = KCONT == 1 ? 1 : CONT;
  GAUSSBLURING(NDL, UL, UIB, DLG, UI, KSym, true, false, c);
  if (K4 == 1) {
    UQ = UQB;
    UU = UUB;
    UV = UVB;
  } else {
    GAUSSBLURING(NDL, UL, UQB, DLG, UQ, KSym, false, false, c);
    GAUSSBLURING(NDL, UL, UUB, DLG, UU, KSym, false, false, c);
    GAUSSBLURING(NDL, UL, UVB, DLG, UV, KSym, false, true, c);
  }
  Vma = AVma;
  DLA = ADLA;
}

void TUNNO::UnBlur() {
  Vma = DLA = DLG = 0;
  if (UIB.empty()) return;
  FreeSplines();
  ResetDerived();
  UI = std::move(UIB);
  UQ = std::move(UQB);
  UU = std::move(UUB);
  UV = std::move(UVB);
  for (TARe* a : {&UIB, &UQB, &UUB, &UVB}) TARe().swap(*a);
}

void TUNNO::ResetDerived() {
  for (TARe* a : {&BiSec, &WingL, &WingR, &Width}) TARe().swap(*a);
  if (KDer == 1) {
    TARe().swap(dIdL);
    TARe().swap(LdIdL);
    KDer = 0;
  }
  D0 = W = LamC = LCurv = LVar = 0;
  Depth = 0;
  DepthOK = 0;
  LamSh = LamShA = 0;
  KShift = 0;
  Vma9 = 0;
  dIRef = dIR2 = 0;
}

void TUNNO::SpreadIdx() {
  if (KSym != 1 || UNN.size() < 2 || NDL < 1) return;
  const int32_t n = NDL;
  auto full = [&](TAIn& a) {
    if (NOf(a) < n) return;
    TAIn f(static_cast<size_t>(2 * n - 1) + 1, 0);
    f[n] = a[1];
    for (int32_t i = 2; i <= n; ++i) f[n - 1 + i] = f[n + 1 - i] = a[i];
    a = std::move(f);
  };
  full(UNN);
  full(UK);
}

void TUNNO::Spread() {
  if (KSym == 2) return;
  FreeSplines();
  FreeSplinesB();
  TARe L;
  GetUL(L);
  SpreadIdx();
  TARe a;
  GetU('I', a);
  UI = std::move(a);
  GetU('Q', a);
  UQ = std::move(a);
  GetU('U', a);
  UU = std::move(a);
  GetU('V', a);
  UV = std::move(a);
  GetU0('I', a);
  UIB = std::move(a);
  GetU0('Q', a);
  UQB = std::move(a);
  GetU0('U', a);
  UUB = std::move(a);
  GetU0('V', a);
  UVB = std::move(a);
  SpreadBlurred();
  UL = std::move(L);
  NDL = NOf(UL);
  KSym = 2;
}

void TUNNO::SpreadBlurred() {
  // the current-blur arrays follow the grid (else they would be read past their end)
  if (KSym == 2) return;
  FullOf(UIC, false, UIC);
  FullOf(UQC, false, UQC);
  FullOf(UUC, false, UUC);
  FullOf(UVC, true, UVC);
}

void TUNNO::Mul(double F) {
  if (KL == 1) return;
  auto mul = [&](TARe& a) {
    for (int32_t i = 1; i <= NDL && i < static_cast<int32_t>(a.size()); ++i) a[i] *= F;
  };
  if (K4 == 0 || K4 == 4) {
    for (TARe* a : {&UI, &UQ, &UU, &UV}) mul(*a);
    if (!UIB.empty())
      for (TARe* a : {&UIB, &UQB, &UUB, &UVB}) mul(*a);
  } else if (K4 == 1) {
    mul(UI);
    if (!UIB.empty()) mul(UIB);
  } else {
    WARNAbs("UNNO.Mul K4 должен быть равен 0/1/4, а равен "_cp + IntStr(K4) + "!!");
    return;
  }
  FreeSplines();
}

void TUNNO::DivCont() {
  if (KL == 1) return;
  if (KCONT == 1) {
    WARN("Профиль  уже поделен на континуум!"_cp);
    return;
  }
  if (CONT == 0) {
    WARN("Для профиля  континуум не задан!!!!!"_cp);
    return;
  }
  Mul(1 / CONT);
  KCONT = 1;
}

void TUNNO::UnDivCont() {
  if (KL == 1) return;
  if (KCONT != 1) {
    WARN("Профиль  не поделен на континуум!"_cp);
    return;
  }
  if (CONT == 0) {
    WARN("Для профиля  континуум не задан!!!!!"_cp);
    return;
  }
  Mul(CONT);
  KCONT = 0;
}
