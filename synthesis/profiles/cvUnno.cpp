// The profile record: defaults, allocation, insertion of a wavelength, copies, the full form of
// a half profile and the small texts.
#include "synthesis/profiles/cvUnno.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/variator/cvVari.h"
#include "synthesis/cvSynServices.h"

TUNNO::~TUNNO() = default;

void TUNNO::SetDefaults() {
  KL = 0;
  KSym = 1;
  ChDL = 'A';
  LAMB = 5000;
  ILAM = 1;
  QUEST = Synthesis().Quest();
  KVARI = 1;
  ALG = "NULL";
  KVARISrc = 0;
  URef = nullptr;
  QUESTRef.clear();
  IQRef = 0;
  KVARIRef = 0;
  MJU = 1;
  LGT = -8;
  PART = 1;
  CONT = 1;
  Teff = 273;
  KMJU = 0;
  KLGT = 0;
  KCONT = 0;
  sULin = "FE6302";
  K4 = 0;
  KDif = 0;
  KRef = 0;
  KSNR = 0;
  DLG = DLA = Vma = 0;
  BGau = 0;
  Vma0 = 0;
  DLVD = 0;
  LamSh = LamShA = 0;
  KShift = 0;
  Vma9 = 0;
  dIRef = dIR2 = 0;
  SPLINE = 0;
  SPLINEB = 0;
  RStep = 0.005;
  YInt.clear();
  BiSec.clear();
  WingL.clear();
  WingR.clear();
  Width.clear();
  D0 = 0;
  W = 0;
  wL1 = wL2 = 0;
  LamC = 0;
  LCurv = 0;
  LVar = 0;
  Depth = 0;
  LDepth = 0;
  DepthOK = 0;
}

void TUNNO::Clear() {
  FreeSplinesB();
  FreeSplines();
  if (NDL == 0) return;
  for (TARe* a : {&UL, &UI, &UQ, &UU, &UV, &UIC, &UQC, &UUC, &UVC, &YInt, &BiSec, &WingL, &WingR,
                  &Width})
    TARe().swap(*a);
  TAIn().swap(UK);
  TAIn().swap(UNN);
  ALG.clear();
  QUEST.clear();
  sULin.clear();
  QUESTRef.clear();
  URef = nullptr;
  IQRef = 0;
  KVARIRef = 0;
  KVARISrc = 0;
  DLG = DLA = Vma = 0;
  NDL = 0;
}

void TUNNO::SetNDL(int32_t N) {
  NDL = N;
  const size_t n = static_cast<size_t>(N < 0 ? 0 : N) + 1;
  UK.resize(n, 0);
  UNN.resize(n, 0);
  for (TARe* a : {&UL, &UI, &UQ, &UU, &UV}) a->resize(n, 0.0);
}

void TUNNO::AllocAll(int32_t N) {
  SetNDL(N);
  for (int32_t i = 1; i <= N; ++i) {
    UK[i] = 0;
    UNN[i] = i;
  }
}

void TUNNO::Reset(int32_t N) {
  Clear();
  AllocAll(N);
}

void TUNNO::ClearStokes() {
  for (TARe* a : {&UI, &UQ, &UU, &UV}) TARe().swap(*a);
  if (KCONT != 0) {
    CONT = 0;
    KCONT = 0;
  }
  KL = 1;
}

void TUNNO::AllocU() {
  if (KL != 1) ClearStokes();
  const size_t n = static_cast<size_t>(NDL < 0 ? 0 : NDL) + 1;
  UK.assign(n, 0);
  UNN.assign(n, 0);
  for (int32_t i = 1; i <= NDL; ++i) UNN[i] = i;
  UI.assign(n, 0.0);
  if (K4 == 0 || K4 == 4)
    for (TARe* a : {&UQ, &UU, &UV}) a->assign(n, 0.0);
  KL = 0;
}

bool TUNNO::InsertLam(int32_t& Index, double Lambda) {
  int32_t i = 1;
  if (NDL >= 1 && Lambda < UL[1]) {
    i = 1;
  } else {
    while (i <= NDL && Lambda > UL[i]) ++i;
    if (i <= NDL && Lambda == UL[i]) {
      Index = i;
      return false;
    }
  }
  Index = i;
  auto insRe = [&](TARe& a, double v) {
    if (a.size() < static_cast<size_t>(NDL) + 1) a.resize(static_cast<size_t>(NDL) + 1, 0.0);
    a.insert(a.begin() + i, v);
  };
  auto insIn = [&](TAIn& a, int32_t v) {
    if (a.size() < static_cast<size_t>(NDL) + 1) a.resize(static_cast<size_t>(NDL) + 1, 0);
    a.insert(a.begin() + i, v);
  };
  insRe(UL, Lambda);
  if (i <= ILAM) ++ILAM;
  insIn(UK, 0);
  insIn(UNN, NDL + 1);
  insRe(UI, 0);
  if (K4 == 0 || K4 == 4) {
    insRe(UQ, 0);
    insRe(UU, 0);
    insRe(UV, 0);
  }
  ++NDL;
  return true;
}

void TUNNO::CopyFrom(const TUNNO& S) {
  Clear();
  NDL = S.NDL;
  UL = S.UL;
  UI = S.UI;
  UQ = S.UQ;
  UU = S.UU;
  UV = S.UV;
  KL = S.KL;
  KSym = S.KSym;
  ChDL = S.ChDL;
  LAMB = S.LAMB;
  DLVD = S.DLVD;
  ILAM = S.ILAM;
  ALG = S.ALG;
  QUEST = S.QUEST;
  IQ = S.IQ;
  KVARI = S.KVARI;
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
  LamShA = S.LamShA;
  Vma9 = S.Vma9;
  dIRef = S.dIRef;
  dIR2 = S.dIR2;
  // the line Id and the comparison references: a copy filed without them has no line
  sULin = S.sULin;
  sObs = S.sObs;
  QUESTRef = S.QUESTRef;
  IQRef = S.IQRef;
  KVARIRef = S.KVARIRef;
  sIdRef = S.sIdRef;
}

void TUNNO::MakeFull() {
  if (KSym == 2) return;
  // an undefined symmetry (or no points) has nothing to mirror: the points stay
  if (KSym != 1 || NDL < 1) {
    KSym = 2;
    return;
  }
  FreeSplines();
  FreeSplinesB();
  // the grid mirrored about its first point (absolute wavelengths or offsets alike)
  TARe a;
  FullOf(UL, false, a);
  if (!a.empty())
    for (int32_t i = 2; i <= NDL; ++i) a[NDL + 1 - i] = 2 * UL[1] - UL[i];
  UL = std::move(a);
  GetU('I', a);
  UI = std::move(a);
  const bool blurred = !UIB.empty();
  if (blurred) {
    GetU0('I', a);
    UIB = std::move(a);
  }
  if (K4 == 0 || K4 == 4) {
    GetU('Q', a);
    UQ = std::move(a);
    GetU('U', a);
    UU = std::move(a);
    GetU('V', a);
    UV = std::move(a);
    if (blurred) {
      GetU0('Q', a);
      UQB = std::move(a);
      GetU0('U', a);
      UUB = std::move(a);
      GetU0('V', a);
      UVB = std::move(a);
    }
  }
  SpreadBlurred();
  SpreadIdx();  // the per-point flags and numbers keep NDL + 1 elements
  NDL = 2 * NDL - 1;
  KSym = 2;
}

bool TUNNO::CheckKVARI(const std::string& Caption, const TVARIATOR& Vari) const {
  if (Vari.NK >= KVARI) return true;
  WARNAbs("ERR " + Caption + " VARIQuest=<" + Vari.QUEST + "." + IntStr(Vari.IQ) + ">" +
          " № комбинации UNNO.KVARI="_cp + IntStr(KVARI) +
          " > числа комбинаций VARI.NK = "_cp + IntStr(Vari.NK) + "\r\n" +
          "Общее число параметров = "_cp + IntStr(Vari.Count()));
  return false;
}

void TUNNO::SetWLimits(TVARIATOR& Vari) {
  const double a = Vari.GetR("#wL1", 0);
  const double b = Vari.GetR("#wL2", 0);
  if (b > LAMB) {
    wL1 = a;
    wL2 = b;
    return;
  }
  wL1 = a != 0 ? LAMB - std::fabs(a) / 1000 : 0;
  wL2 = b != 0 ? LAMB + b / 1000 : 0;
}

bool TUNNO::PolarZero() const {
  if (K4 == 1 || NDL < 1) return true;
  for (int32_t i = 1; i <= NDL; ++i) {
    if (i < static_cast<int32_t>(UQ.size()) && UQ[i] != 0) return false;
    if (i < static_cast<int32_t>(UV.size()) && UV[i] != 0) return false;
    if (i < static_cast<int32_t>(UU.size()) && UU[i] != 0) return false;
  }
  return true;
}

void TUNNO::DropQUV() {
  if (VmaCur != 0)
    for (TARe* a : {&UQC, &UUC, &UVC}) TARe().swap(*a);
  for (TARe* a : {&UQ, &UU, &UV}) TARe().swap(*a);
  K4 = 1;
}

std::string TUNNO::QuestIQStr() const { return QUEST + "." + IntStr(IQ); }

std::string TUNNO::HeadLine() const {
  return "Q=" + QUEST + " IQ=" + ZeroPad(IQ, 3) + " KV=" + ZeroPad(KVARI, 3) +
         " LI=" + PadRight(sULin, 9) + " K4=" + IntStr(K4) + " Sym=" + IntStr(KSym) + " " +
         (ChDL == 'A' ? "Abs" : "Rel") + " NDL=" + IntStr(NDL) + " CONT " +
         (KCONT == 1 ? "/" : "*") + " " + EWSt(11, CONT);
}

std::string TUNNO::ULText() const {
  std::string s;
  for (int32_t i = 1; i <= NDL && i < static_cast<int32_t>(UL.size()); ++i) {
    if (i > 1) s += ' ';
    s += FDecSt(4, UL[i]);
  }
  return s;
}
