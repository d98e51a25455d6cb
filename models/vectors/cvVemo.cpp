#include "models/vectors/cvVemo.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "foundation/cvClock.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvSplineHint.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVeLinks.h"
#include "models/vectors/cvVemoAt.h"

namespace {
const std::string CRLF = "\r\n";

bool IsMainDepthName(const std::string& Name, int32_t FMOD) {
  if (FMOD == 0 || FMOD == 1) return Name == "X" || Name == "XD";
  return Name == "X" || Name == "h";
}

std::string Ch0(char C) { return C == 0 ? std::string("#0") : std::string(1, C); }
}  // namespace

TVeLinks& VeLinks() {
  static TVeLinks links;
  return links;
}

TVEMO::TVEMO()
    : Parents(std::make_unique<TStrList>()), VParents(std::make_unique<std::vector<TVEMO*>>()) {}

TVEMO::~TVEMO() = default;

// ---------------------------------------------------------------------------------------------
// Identification

std::string TVEMO::LamSId(double Lam) { return "LAM=" + FSt(8, 3, Lam); }

std::string TVEMO::MjuSId(double Mju) { return "MJU=" + FSt(5, 3, Mju); }

void TVEMO::MakeSIdV() {
  if (!AT.empty()) KAT = 1;
  if (ION > 0) KION = 1;
  if (!LIN6.empty()) KLIN = 1;
  if (LAM > 0) KLAM = 1;
  if (MJU > 0) KMJU = 1;
  std::string s;
  auto add = [&s](const std::string& Part) { s += (s.empty() ? "" : "|") + Part; };
  if (KAT) add("AT=" + AT);
  if (KION) add("ION=" + IntStr(ION));
  if (KLIN) add("LI=" + LIN6);
  if (KLAM) add(LamSId(LAM));
  if (KMJU) add(MjuSId(MJU));
  sIdV = s;
  MakeSId();
}

void TVEMO::MakeSId() {
  sId = sMOD + "|" + NAME + "|" + IntStr(FMOD);
  if (!sIdV.empty()) sId += "|" + sIdV;
}

std::string TVEMO::NameSuffix() const {
  std::string s;
  if (KAT) s += "_" + AT;
  if (KION) s += "_" + IntStr(ION);
  if (KLIN) s += "_" + LIN6;
  if (KLAM) s += "_L" + I64Str(static_cast<int64_t>(std::trunc(LAM)));
  if (KMJU) s += "_M" + I64Str(static_cast<int64_t>(std::nearbyint(MJU * 1000)));
  return s;
}

std::string TVEMO::FullName() const { return sMOD + "_" + NAME + "_" + IntStr(N) + "_" + sIdV; }

std::string TVEMO::ParentLine() const { return NAME + " " + IntStr(FMOD); }

// ---------------------------------------------------------------------------------------------
// Fill state and parents

void TVEMO::SetFilled() {
  KA = FilledMark;
  DropSpline();
  TCalc = UniqueTick();
}

bool TVEMO::NeedRecalc() const {
  if (!IsFilled()) return true;
  if (!Parents || Parents->Count() == 0) return false;
  for (int i = 0; i < Parents->Count(); ++i) {
    const TVEMO* p = FindParent((*Parents)[i]);
    if (p && p->TCalc > TCalc) return true;
  }
  return false;
}

TVEMO* TVEMO::FindParent(const std::string& Line) const {
  const std::string name = WordN(Line, 1);
  const std::string g = WordN(Line, 2);
  const int32_t fmod = TrimCtl(g).empty() ? 0 : ValIntOr0(g);
  return Keeper().FindParentVeMo(sMOD, name, sIdV, fmod);
}

void TVEMO::SetParents(TVEMO* Src) {
  if (!Parents) Parents = std::make_unique<TStrList>();
  if (!VParents) VParents = std::make_unique<std::vector<TVEMO*>>();
  Parents->Clear();
  VParents->clear();
  if (!Src) return;
  if (Src->Parents) Parents->AddStrings(*Src->Parents);
  Parents->Add(Src->ParentLine());
  if (Src->VParents) *VParents = *Src->VParents;
  VParents->push_back(Src);
}

void TVEMO::AddParents(TVEMO* Src) {
  if (!Src) return;
  if (!Parents) Parents = std::make_unique<TStrList>();
  if (!VParents) VParents = std::make_unique<std::vector<TVEMO*>>();
  auto hasLine = [this](const std::string& L) {
    const std::string t = TrimCtl(L);
    for (int i = 0; i < Parents->Count(); ++i)
      if (TrimCtl((*Parents)[i]) == t) return true;
    return false;
  };
  auto hasVec = [this](const TVEMO* V) {
    for (const TVEMO* p : *VParents)
      if (p == V) return true;
    return false;
  };
  if (Src->Parents)
    for (int i = 0; i < Src->Parents->Count(); ++i)
      if (!hasLine((*Src->Parents)[i])) Parents->Add((*Src->Parents)[i]);
  if (!hasLine(Src->ParentLine())) Parents->Add(Src->ParentLine());
  if (Src->VParents)
    for (TVEMO* p : *Src->VParents)
      if (!hasVec(p)) VParents->push_back(p);
  if (!hasVec(Src)) VParents->push_back(Src);
}

// ---------------------------------------------------------------------------------------------
// Values

const TARe* TVEMO::DepthArray() const {
  const TVEMO* d = Kh == 1 ? hVEMO : LGTAU;
  return d ? &d->A : nullptr;
}

void TVEMO::DropSpline() {
  if (KSpl != SplineMark) return;
  TSPLINE::Clear(SPLINE.get());
  SPLINE.reset();
  KSpl = 0;
  SplStamp = 0;
}

void TVEMO::SplineInit() {
  const std::string head = "VEMO Spline Init для вектора <"_cp + NAME;
  if (KX != 0 && IsMainDepthName(NAME, FMOD))
    ModFatal(head + ">, который является главным вектором глубин! Модель = <"_cp + sMOD + ">");
  if (!IsFilled())
    ModFatal(head + "> модель = <"_cp + sMOD + "> не заполнены значения вектора!"_cp);
  const bool grid2 = FMOD >= 2;
  if ((!grid2 && !LGTAU) || (grid2 && !LGTAU && !hVEMO))
    ModFatal(head + "> модель = <"_cp + sMOD + "> неопределен вектор глубин LGTAU (или hVEMO)!"_cp);
  const bool lgOk = LGTAU && LGTAU->IsFilled();
  const bool hOk = hVEMO && hVEMO->IsFilled();
  if ((!grid2 && !lgOk) || (grid2 && !lgOk && !hOk))
    ModFatal(head + "> модель = <"_cp + sMOD + "> не заполнен вектор глубин LGTAU (или hVEMO)!"_cp);
  if (!SPLINE) SPLINE = std::make_unique<TSPLINE>();
  const TARe& depth = lgOk ? LGTAU->A : hVEMO->A;
  SPLINE->SetData(N, depth, A);
  static std::atomic<uint64_t> stamps{0};
  SplStamp = ++stamps;
  if (SPLINE->IsReady()) KSpl = SplineMark;
}

double TVEMO::func0(double x) {
  switch (ChIPOL) {
    case 0:
    case 'S':
    case 's':
      if (KSpl != SplineMark) SplineInit();
      return SPLINE->Eval(x);
    case '2':
    case '4': {
      const TARe* d = DepthArray();
      if (!d || NOf(*d) < N || N < 1) {
        WARNAbs("ERR TVEMO.func0 вектор <"_cp + NAME + "> модель <"_cp + sMOD +
                ">: не задан вектор глубин LGTAU (или hVEMO)!"_cp);
        return 0;
      }
      TARe x1(d->begin(), d->begin() + N + 1), y1(A.begin(), A.begin() + N + 1);
      return ChIPOL == '2' ? AReLinIpol(x1, y1, x) : AReIpolCubicX(x1, y1, x);
    }
    default:
      WARNAbs("ERR TVEMO.func0 ChIPOL=<" + std::string(1, ChIPOL) + ">");
      return 0;
  }
}

namespace {

// The probe layer's change of the value v at x.
double ProbeLayer(const TVEMO& V, double x, double v) {
  if (V.Ch != 0 && V.XU <= x && x <= V.XL) {
    switch (V.Ch) {
      case 'C': return V.Val;
      case 'M': return v + V.Val;
      case '*': return v * V.Val;
      default: break;
    }
  }
  return v;
}

}  // namespace

double TVEMO::func(double x) { return ProbeLayer(*this, x, func0(x)); }

double VeMoFuncAt(TVEMO& V, double x, int32_t& Hint) {
  if (V.ChIPOL != 0 && V.ChIPOL != 'S' && V.ChIPOL != 's') return V.func(x);
  if (V.KSpl != TVEMO::SplineMark) V.SplineInit();
  return ProbeLayer(V, x, SplineEvalHint(*V.SPLINE, x, Hint));
}

namespace {

bool IsSplineKind(char C) { return C == 0 || C == 'S' || C == 's'; }

// The spline's arrays hold its N points (what SplineEvalHint evaluates).
bool SplineUsable(const TSPLINE& S) {
  const int32_t n = S.N;
  return n >= 2 && NOf(S.X) >= n && NOf(S.Y) >= n && NOf(S.B) >= n && NOf(S.C) >= n &&
         NOf(S.D) >= n;
}

}  // namespace

bool TVeMoRow::Current(TVEMO* const* Vs, int32_t K, bool& Holes) const {
  // a stamp is dropped with the spline (DropSpline, Clear) and never used again
  const bool sized = static_cast<size_t>(K) == V.size();
  const TVEMO* const* own = V.data();
  const uint64_t* st = Stamp.data();
  const char* kind = Kind.data();
  uint64_t diff = !sized;
  char ch = 0;
  for (int32_t k = 0; k < K && sized; ++k) {
    const TVEMO* v = Vs[k];
    diff |= (reinterpret_cast<uintptr_t>(v) ^ reinterpret_cast<uintptr_t>(own[k])) |
            (v->SplStamp ^ st[k]) | static_cast<unsigned char>(v->ChIPOL ^ kind[k]);
    ch |= v->Ch;
  }
  if (!sized)
    for (int32_t k = 0; k < K; ++k) ch |= Vs[k]->Ch;
  Holes = ch != 0;
  return diff == 0;
}

namespace {

bool PlusZero(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b == 0;
}

// The spline is Y[1] everywhere on its grid: every slope +0 and every Y the same (not -0, which
// the expression turns into +0).
bool ConstantSpline(const TSPLINE& S) {
  const double y = S.Y[1];
  uint64_t yb;
  std::memcpy(&yb, &y, sizeof yb);
  if (yb == 0x8000000000000000ULL || !std::isfinite(y)) return false;
  for (int32_t i = 1; i <= S.N; ++i) {
    const size_t iu = static_cast<size_t>(i);
    if (std::memcmp(&S.Y[iu], &y, sizeof y) != 0 || !PlusZero(S.B[iu]) || !PlusZero(S.C[iu]) ||
        !PlusZero(S.D[iu]))
      return false;
  }
  return true;
}

}  // namespace

void TVeMoRow::Build(TVEMO* const* Vs, int32_t K) {
  V.assign(Vs, Vs + K);
  Stamp.assign(static_cast<size_t>(K), 0);
  Kind.assign(static_cast<size_t>(K), 0);
  Packed = false;
  N = 0;
  Hint = 0;
  bool splines = true;
  for (int32_t k = 0; k < K; ++k) {
    TVEMO& v = *Vs[k];
    if (IsSplineKind(v.ChIPOL) && v.KSpl != TVEMO::SplineMark) v.SplineInit();
    Stamp[static_cast<size_t>(k)] = v.SplStamp;
    Kind[static_cast<size_t>(k)] = v.ChIPOL;
    splines = splines && IsSplineKind(v.ChIPOL) && v.KSpl == TVEMO::SplineMark && v.SPLINE &&
              v.SplStamp != 0 && SplineUsable(*v.SPLINE);
  }
  if (!splines) return;
  if (K < 1) return;
  const TSPLINE& s0 = *Vs[0]->SPLINE;
  const int32_t n = s0.N;
  for (int32_t k = 1; k < K; ++k) {
    const TSPLINE& s = *Vs[k]->SPLINE;
    if (s.N != n || std::memcmp(&s.X[1], &s0.X[1], static_cast<size_t>(n) * sizeof(double)) != 0)
      return;
  }
  X.assign(s0.X.begin(), s0.X.begin() + n + 1);
  VarIdx.clear();
  ConstIdx.clear();
  ConstVal.clear();
  for (int32_t k = 0; k < K; ++k) {
    const TSPLINE& s = *Vs[k]->SPLINE;
    if (ConstantSpline(s)) {
      ConstIdx.push_back(k);
      ConstVal.push_back(s.Y[1]);
    } else {
      VarIdx.push_back(k);
    }
  }
  const size_t nv = VarIdx.size();
  Coef.assign(static_cast<size_t>(n) * nv * 4, 0.0);
  for (int32_t i = 1; i <= n; ++i)
    for (size_t j = 0; j < nv; ++j) {
      const TSPLINE& s = *Vs[VarIdx[j]]->SPLINE;
      double* c = &Coef[(static_cast<size_t>(i - 1) * nv + j) * 4];
      const size_t iu = static_cast<size_t>(i);
      c[0] = s.Y[iu];
      c[1] = s.B[iu];
      c[2] = s.C[iu];
      c[3] = s.D[iu];
    }
  N = n;
  Packed = true;
}

void TVeMoRow::Eval(TVEMO* const* Vs, int32_t K, double x, double* Out) {
  bool holes;
  if (!Current(Vs, K, holes)) Build(Vs, K);
  EvalAt(Vs, K, x, holes, Out);
}

void TVeMoRow::EvalMany(TVEMO* const* Vs, int32_t K, const double* x, int32_t N, double* Out) {
  bool holes;
  if (!Current(Vs, K, holes)) Build(Vs, K);
  for (int32_t n = 0; n < N; ++n)
    EvalAt(Vs, K, x[n], holes, Out + static_cast<size_t>(n) * static_cast<size_t>(K));
}

void TVeMoRow::EvalAt(TVEMO* const* Vs, int32_t K, double x, bool Holes, double* Out) {
  if (!Packed || !(x >= X[1]) || x > X[static_cast<size_t>(N)]) {
    for (int32_t k = 0; k < K; ++k) Out[k] = VeMoFuncAt(*Vs[k], x, Hint);
    return;
  }
  // the interval as SplineEvalHint finds it (the only one with X[i] <= x < X[i+1], or N)
  int32_t i = Hint;
  if (!(i >= 1 && i <= N && X[static_cast<size_t>(i)] <= x &&
        (i == N || x < X[static_cast<size_t>(i) + 1]))) {
    i = 1;
    int32_t j = N + 1;
    do {
      const int32_t m = (i + j) / 2;
      if (x < X[static_cast<size_t>(m)]) j = m;
      if (x >= X[static_cast<size_t>(m)]) i = m;
    } while (j > i + 1);
    Hint = i;
  }
  // the same extended-precision expression as the spline's own value
  using LD = long double;
  const LD d = LD(x) - X[static_cast<size_t>(i)];
  const size_t nv = VarIdx.size(), nc = ConstIdx.size();
  const double* c = &Coef[static_cast<size_t>(i - 1) * nv * 4];
  const int32_t* vi = VarIdx.data();
  for (size_t j = 0; j < nv; ++j, c += 4)
    Out[vi[j]] = static_cast<double>(c[0] + d * (c[1] + d * (c[2] + d * c[3])));
  for (size_t j = 0; j < nc; ++j) Out[ConstIdx[j]] = ConstVal[j];
  if (Holes)
    for (int32_t k = 0; k < K; ++k) Out[k] = ProbeLayer(*Vs[k], x, Out[k]);
}

double TVEMO::FuncConv(char C, double x) {
  const double v = func(x);
  switch (C) {
    case 'E': return std::pow(10.0, v);
    case 'L': return v > 0 ? std::log10(v) : v;
    case 'R': return v != 0 ? 1.0 / v : v;
    case 'T': return v != 0 ? static_cast<double>(PhysThetaFactor / v) : v;
    case 'e': return std::exp(v);
    case 'l': return v > 0 ? std::log(v) : v;
    default: return v;
  }
}

// ---------------------------------------------------------------------------------------------
// Probe layer

bool TVEMO::ParseHole(const std::string& Text) {
  if (WordCount(Text) != 4) return false;
  const std::string type = WordN(Text, 1);
  const std::string t2 = type.substr(0, 2);
  if (t2 != "YC" && t2 != "YM" && t2 != "YP" && t2 != "HC" && t2 != "HM" && t2 != "HP") {
    if (type.size() >= 2 && type[1] == 'R')
      WARNAbs("В строке \"#ModifS\", задающей тип пробного слоя надо заменить <"_cp + type +
              "> на <"_cp + type[0] + "P>");
    return false;
  }
  int32_t c1 = 0, c2 = 0, c3 = 0;
  double val = ValRealCode(WordN(Text, 2), c1);
  const double x = ValRealCode(WordN(Text, 3), c2);
  const double w = ValRealCode(WordN(Text, 4), c3);
  if (c1 != 0 || c2 != 0 || c3 != 0) return false;
  if (NAME == "T" && type.size() >= 3 && type[2] == 'T' && val != 0)
    val = static_cast<double>(PhysThetaFactor / val);
  double xl, xu;
  if (type[0] == 'Y') {
    xl = x + w / 2;
    xu = x - w / 2;
  } else {
    xl = KMtoX(x - w / 2);
    xu = KMtoX(x + w / 2);
  }
  Ch = type[1];
  Val = val;
  XL = xl;
  XU = xu;
  return true;
}

void TVEMO::SetHoleFrom(char C, double XL_, double XU_, double vL, double vU, double uL,
                        double uU) {
  Ch = C;
  XL = XL_;
  XU = XU_;
  switch (C) {
    case 'C': Val = (vL + vU) / 2; break;
    case 'M': Val = ((vL - uL) + (vU - uU)) / 2; break;
    case '*': {
      const double r1 = uL != 0 ? vL / uL : 0;
      const double r2 = uU != 0 ? vU / uU : 0;
      Val = std::sqrt(r1 * r2);
      break;
    }
    default: break;
  }
}

void TVEMO::CheckHole(const std::string& Tag, const TVEMO* Other) const {
  auto allowed = [](char C) { return C == 0 || C == 'C' || C == 'M' || C == '*'; };
  const std::string head = Tag + " Err обнаружена \"дыра\" неразрешенного типа "_cp;
  if (!allowed(Ch)) ErrAbs(head + "[" + Ch0(Ch) + "] <> Const,Move,*Mul в векторе "_cp + NAME);
  if (!Other) return;
  if (!allowed(Other->Ch))
    ErrAbs(head + "[" + Ch0(Other->Ch) + "] <> C,M,* в векторе "_cp + Other->NAME);
  if (Ch == 0 || Other->Ch == 0) return;
  if (Ch != Other->Ch)
    ErrAbs(Tag + " Err обнаружено две \"дыры\" разного типа "_cp + NAME + "[" + Ch0(Ch) +
           "] <> " + Other->NAME + "[" + Ch0(Other->Ch) + "]");
  if (XL != Other->XL)
    ErrAbs(Tag + " Err обнаружено две \"дыры\" с разной границей X0 "_cp + NAME + "[" + ReSt(XL) +
           "] <> " + Other->NAME + "[" + ReSt(Other->XL) + "]");
  if (XU != Other->XU)
    ErrAbs(Tag + " Err обнаружено две \"дыры\" с разной границей X1 "_cp + NAME + "[" + ReSt(XU) +
           "] <> " + Other->NAME + "[" + ReSt(Other->XU) + "]");
}

void TVEMO::GetHolePar(const std::string& Tag, const TVEMO* Other, double& XU_, double& XL_,
                       char& C) {
  CheckHole(Tag, Other);
  if (Ch == 0) return;
  C = Ch;
  XU_ = XU;
  XL_ = XL;
  if (ChanOn(4))
    Sayer->ChanLog(4, Tag + ".GetHolePar Ch=" + std::string(1, Ch) + " X0=" + FSt(6, 4, XL) +
                          " X1=" + FSt(6, 4, XU));
}

// ---------------------------------------------------------------------------------------------
// Heights

bool TVEMO::Check_hVEMO() {
  if (hVEMO) return true;
  TLVEMO& K = Keeper();
  if (TVEMO* h = K.FindSIdVeMo(sMOD + "|h|" + IntStr(FMOD))) {
    hVEMO = h;
    return true;
  }
  const TVEMO* kap = K.FindVeMo("KAP5", sMOD, "", FMOD);
  if (!kap || !kap->IsFilled()) {
    for (const char* n : {"T", "LGPG", "LGPE", "h"}) {
      const TVEMO* v = K.FindVeMo(n, sMOD, "", FMOD);
      if (!v || !v->IsFilled()) {
        WARNAbs("VEMO.Check_hVEMO вектор \""_cp + std::string(n) + "\" ещё не существует!"_cp + CRLF +
                "Видимо необходимо вызвать PMOD1"_cp);
        break;
      }
    }
    return false;
  }
  if (!K.FindVeMo("RO", sMOD, "", FMOD)) {
    TVEMO* ro = K.InitVEMO(sMOD, "RO", "", FMOD);
    VeLinks().PRO(*ro);
  }
  TVEMO* h = K.InitVEMO(sMOD, "h", "", FMOD);
  VeLinks().PHeightKM(*h, 0.02);
  hVEMO = h;
  return true;
}

double TVEMO::XtoKM(double x) {
  if (!LGTAU) {
    WARNAbs("VEMO.XtoKM LGTAU not Assigned!");
    return x;
  }
  if (!LGTAU->IsFilled()) {
    WARNAbs("VEMO.XtoKM LGTAU not Filled!");
    return x;
  }
  Check_hVEMO();
  if (!hVEMO) {
    WARNAbs("VEMO.XtoKM невозможно создать вектор глубин в КМ!"_cp);
    return x;
  }
  if (!hVEMO->IsFilled()) {
    WARNAbs("VEMO.XtoKM вектор глубин hVEMO в км. НЕ ЗАПОЛНЕН!"_cp);
    return x;
  }
  return IPOL1Warn(LGTAU->A, hVEMO->A, x);
}

double TVEMO::KMtoX(double h) {
  if (!LGTAU) {
    WARNAbs("VEMO.KMtoX LGTAU not Assigned!");
    return h;
  }
  if (!LGTAU->IsFilled()) {
    WARNAbs("VEMO.KMtoX LGTAU not Filled!");
    return h;
  }
  Check_hVEMO();
  if (!hVEMO) {
    WARNAbs("VEMO.KMtoX невозможно создать вектор глубин в КМ!"_cp);
    return h;
  }
  if (!hVEMO->IsFilled()) {
    WARNAbs("VEMO.KMtoX вектор глубин hVEMO в км. НЕ ЗАПОЛНЕН!"_cp);
    return h;
  }
  return IPOL1Warn(hVEMO->A, LGTAU->A, h);
}

// ---------------------------------------------------------------------------------------------
// Extremes, quantiles, dump

void TVEMO::MinMax(double& Mn, double& Mx) const {
  if (!IsFilled() || N < 1) {
    WARNAbs("VEMO.MinMax массив A еще не заполнен!"_cp);
    return;
  }
  Mn = Mx = A[1];
  for (int32_t i = 2; i <= N; ++i) {
    if (A[static_cast<size_t>(i)] < Mn) Mn = A[static_cast<size_t>(i)];
    if (A[static_cast<size_t>(i)] > Mx) Mx = A[static_cast<size_t>(i)];
  }
}

void TVEMO::MinMaxF(double& Mn, double& Mx, int32_t Digits, char C) {
  const bool mainDepth =
      KX == 1 && (((NAME == "X" || NAME == "XD") && Kh == 0) || (NAME == "h" && Kh == 1));
  if (mainDepth) {
    WARNAbs("ф-я VEMO.MinMaxF не должна вызываться для главного вектора глубин!\r\n"_cp + NAME +
            "|" + sMOD + "|" + IntStr(FMOD));
    return;
  }
  if (!IsFilled()) {
    WARNAbs("VEMO.MinMaxF массив A еще не заполнен!"_cp);
    return;
  }
  if (NAME == "X" || NAME == "XD") {
    MinMax(Mn, Mx);
    return;
  }
  const TARe* d = DepthArray();
  if (KX == 0) {
    const TVEMO* link = Kh == 1 ? hVEMO : LGTAU;
    const std::string ln = Kh == 1 ? " hVEMO" : " LGTAU";
    if (!link) {
      WARNAbs("VEMO.MinMaxF VEMO." + NAME + ln + " ещё не Assigned!"_cp);
      return;
    }
    if (!link->IsFilled()) {
      WARNAbs("VEMO.MinMaxF VEMO." + NAME + ln + " ещё не заполнен!"_cp);
      return;
    }
  }
  if (N < 1) return;
  auto at = [&](int32_t i) {
    if (d && NOf(*d) >= N) return FuncConv(C, (*d)[static_cast<size_t>(i)]);
    // a depth-scale quantity without its depth vector: its own values, converted
    const double keep = A[static_cast<size_t>(i)];
    switch (C) {
      case 'E': return std::pow(10.0, keep);
      case 'L': return keep > 0 ? std::log10(keep) : keep;
      case 'R': return keep != 0 ? 1.0 / keep : keep;
      case 'T': return keep != 0 ? static_cast<double>(PhysThetaFactor / keep) : keep;
      case 'e': return std::exp(keep);
      case 'l': return keep > 0 ? std::log(keep) : keep;
      default: return keep;
    }
  };
  double mn = at(1), mx = mn;
  const double small = std::pow(10.0, -Digits);
  for (int32_t i = 2; i <= N; ++i) {
    const double v = at(i);
    if (std::fabs(v) > small * std::fabs(mx)) {
      if (v < mn)
        mn = v;
      else if (v > mx)
        mx = v;
    }
  }
  Mn = mn;
  Mx = mx;
}

void TVEMO::CFQuantiles(double P, double& Median, double& Lower, double& Upper) const {
  Median = Lower = Upper = 0;
  if (FMOD != 2 || KX == 1) return;
  const TARe* x = DepthArray();
  if (!x || N < 2 || NOf(*x) < N || NOf(A) < N) return;
  auto d = [&](int32_t i) { return A[static_cast<size_t>(i)] - A[static_cast<size_t>(N)]; };
  auto trap = [&](int32_t i) {
    return (d(i - 1) + d(i)) / 2 * ((*x)[static_cast<size_t>(i)] - (*x)[static_cast<size_t>(i - 1)]);
  };
  double S = 0;
  for (int32_t i = 2; i <= N; ++i) S += trap(i);
  double sign = 1;
  if (S < 0) {
    S = -S;
    sign = -1;
  }
  const double target[3] = {S * P / 2, S / 2, S * (1 - P / 2)};
  double* out[3] = {&Lower, &Median, &Upper};
  bool set[3] = {false, false, false};
  double sum = 0;
  for (int32_t i = 2; i <= N; ++i) {
    const double prev = sum;
    sum += sign * trap(i);
    for (int k = 0; k < 3; ++k) {
      if (set[k] || !(sum > target[k])) continue;
      const double x0 = (*x)[static_cast<size_t>(i - 1)], x1 = (*x)[static_cast<size_t>(i)];
      *out[k] = sum != prev ? x0 + (target[k] - prev) / (sum - prev) * (x1 - x0) : x1;
      set[k] = true;
    }
  }
}

std::unique_ptr<TStrList> TVEMO::DumpFull() const {
  auto sl = std::make_unique<TStrList>();
  sl->Add("Вектор модели sId = <"_cp + sId + ">");
  sl->Add("sMOD=" + sMOD + " NAME=" + NAME + " FMOD=" + IntStr(FMOD) + " sIdV=" + sIdV +
          " sTAB=" + sTAB + " sMLdt=" + sMLdt);
  sl->Add("TCalc=" + IntHex8(TCalc) + "=" + I64Str(TCalc) + " sED(модификатор модели)=<"_cp + sED +
          "> KEd=" + IntStr(KEd));
  sl->Add("\"HOLE\" Ch=" + Ch0(Ch) + " XL=" + ShortSt(7, XL) + " XU=" + ShortSt(7, XU) +
          " Val=" + ShortSt(7, Val));
  sl->Add("KTyp=" + IntStr(KTyp) + "(1/2/4/8 - Source/Save/Count/Analize)" + " KX=" + IntStr(KX) +
          " Kh=" + IntStr(Kh) + " KLIN=" + IntStr(KLIN) + " KAT=" + IntStr(KAT) + " KION=" +
          IntStr(KION) + " KMJU=" + IntStr(KMJU) + " KLAM=" + IntStr(KLAM));
  sl->Add("AT=" + AT + " ION=" + IntStr(ION) + " LIN6=" + LIN6 + " LAM=" + ShortSt(7, LAM) +
          " MJU=" + ShortSt(7, MJU));
  const auto p = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(PhysRec));
  sl->Add("Физ.размерность Pointer=$"_cp + WordHex(static_cast<uint16_t>(p >> 16)) + ":" +
          WordHex(static_cast<uint16_t>(p & 0xFFFF)));
  sl->Add("KEY1=" + KEY1.S + "." + IntStr(KEY1.I) + " KEY2=" + KEY2.S + "." + IntStr(KEY2.I) +
          " KEY3=" + KEY3.S + "." + IntStr(KEY3.I));
  sl->Add(TModSCAL::Text(SCALE1.get()));
  sl->Add(TModSCAL::Text(SCALE2.get()));
  sl->Add(TModSCAL::Text(SCALE3.get()));
  sl->Add("KRepSe=" + IntStr(KRepSe) + " " + (RepSet ? "RepSet Asigned" : "RepSet NOT Asigned"));
  sl->Add("LGTAU " + (LGTAU ? "sId=" + LGTAU->sId : std::string("NOT Assigned")));
  sl->Add("hVEMO " + (hVEMO ? "sId=" + hVEMO->sId : std::string("NOT Assigned")));
  sl->Add((A.empty() ? std::string("A Not Assigned") : "length(A)=" + IntStr(NOf(A) + 1)) +
          " N=" + IntStr(N) + " KA=" + IntHex8(KA));
  sl->Add("NAlg=" + IntStr(NAlg) + " " +
          (VESrc ? "VESrc.sId=" + VESrc->sId : std::string("VESrc Not Assigned")));
  if (Parents) {
    std::string s = "Parents N=" + IntStr(Parents->Count()) + " ";
    for (int i = 0; i < Parents->Count(); ++i) s += (i ? " " : "") + (*Parents)[i];
    sl->Add(s);
  } else {
    sl->Add("Parents Not Assigned!");
  }
  if (VParents) {
    std::string s = "VParents N=" + IntStr(static_cast<int32_t>(VParents->size())) + " ";
    for (const TVEMO* v : *VParents) s += CRLF + v->sId + " " + MsToHMSms(v->TCalc);
    sl->Add(s);
  } else {
    sl->Add("VParents Not Assigned!");
  }
  sl->Add("Spline: Ch=" + std::string(1, ChIPOL) + " KSpl=" + IntHex8(KSpl) + " " +
          (SPLINE ? "SPLINE N=" + IntStr(SPLINE->N) : std::string("SPLINE Not Assigned")));
  return sl;
}

// ---------------------------------------------------------------------------------------------
// Scales and report format

void TVEMO::SetScales() {
  const TPhysParamRec* r = ParamList().GetByKey(NAME);
  PhysRec = r;
  if (!r) return;
  std::unique_ptr<TModSCAL>* own[4] = {nullptr, &SCALE1, &SCALE2, &SCALE3};
  for (int n = 1; n <= 3; ++n) {
    if (!r->SCALE[n]) continue;
    if (!*own[n]) *own[n] = std::make_unique<TModSCAL>();
    **own[n] = *r->SCALE[n];
  }
}

void TVEMO::SetRepFmt() { SetRepFmtFrom(ParamList().GetByKey(NAME)); }

void TVEMO::SetRepFmtFrom(const TPhysParamRec* r) {
  if (!r || !r->RepSet) return;
  if (!RepSet) RepSet = std::make_unique<TModREP>();
  *RepSet = *r->RepSet;
  if (!sIdV.empty()) RepSet->Hd = r->RepSet->Hd + NameSuffix();
}

std::string TVEMO::RepSetText() {
  if (!RepSet) return sId + " RepSet=NIL";
  const TModREP& r = *RepSet;
  double mn = 0, mx = 0;
  if (KX != 0)
    MinMax(mn, mx);
  else
    MinMaxF(mn, mx, 8, r.Ch);
  return sId + " KOut" + PadLeft(IntStr(r.KOut), 3) + " Skip=" + (r.Skip ? "Y" : "N") +
         " Ch=" + std::string(1, r.Ch) + " ChF=" + std::string(1, r.ChF) + " W0=" +
         PadLeft(IntStr(r.W0), 2) + " -> W=" + PadLeft(IntStr(r.W), 2) + " Dig=" +
         PadLeft(IntStr(r.Dig), 2) + " D0=" + PadLeft(IntStr(r.D0), 2) + " Mul=" + ESt(3, r.Mul) +
         " КА="_cp + PadLeft(IntStr(r.KA), 3) + " Hd=" + r.Hd + " Mi=" + ESt(5, mn) +
         " Ma=" + ESt(5, mx);
}

void TVEMO::RepSetLeng() {
  if (!RepSet) return;
  TModREP& r = *RepSet;
  if (r.W0 >= 1) {
    WARNAbs("Запрограммировать вычисление точности при заданной ширине поля"_cp);
    r.W = r.W0;
    r.KA = 2;
  } else if (r.W0 < 0) {
    r.W = std::max(static_cast<int32_t>(ReSt(-1.5).size()), static_cast<int32_t>(r.Hd.size()));
    r.KA = 2;
    r.ChF = 'R';
  } else {
    if (!IsFilled())
      ModFatal("VEMO.RepSetLeng <" + sId +
               "> прежде, чем вычислять длину поля надо заполнить вектор!"_cp);
    double mn = 0, mx = 0;
    // the plain extremes stand where the converted ones are refused (a main depth vector)
    if (N >= 1) {
      mn = mx = A[1];
      for (int32_t i = 2; i <= N; ++i) {
        mn = std::min(mn, A[static_cast<size_t>(i)]);
        mx = std::max(mx, A[static_cast<size_t>(i)]);
      }
    }
    const bool mainDepth =
        KX == 1 && (((NAME == "X" || NAME == "XD") && Kh == 0) || (NAME == "h" && Kh == 1));
    if (!mainDepth) MinMaxF(mn, mx, r.Dig, r.Ch);
    if (r.Mul != 0 && r.Mul != 1) {
      mn *= r.Mul;
      mx *= r.Mul;
    }
    const double smin = mn;
    mn = std::fabs(mn);
    mx = std::fabs(mx);
    if (mn > mx) std::swap(mn, mx);
    bool expo = mn < 0.001;
    int32_t m = 0;
    double rr = 1;
    if (!expo) {
      m = mn < 0.01 ? 4 : mn < 0.1 ? 3 : mn >= 1 ? 0 : 2;
      rr = r.Dig <= m ? 1 : std::pow(10.0, r.Dig - m);
      expo = rr * 10000 < mx;
    }
    if (expo) {
      r.ChF = 'E';
      r.D0 = 0;
      r.W = r.Dig + 5;
    } else {
      r.ChF = 'F';
      if (m >= 2) {
        r.D0 = m + r.Dig - 2;
      } else {
        double t = mn / (rr / 10);
        int32_t k = 0;
        while (t < 1 && k < 30) {
          t *= 10;
          ++k;
        }
        r.D0 = k;
      }
      int32_t w = static_cast<int32_t>(SigSt(r.Dig, mx).size());
      w = std::max(w, static_cast<int32_t>(SigSt(r.Dig, smin).size()));
      w = std::max(w, static_cast<int32_t>(FDecSt(r.D0, mx).size()));
      w = std::max(w, static_cast<int32_t>(r.Hd.size()));
      r.W = w;
    }
    r.KA = 2;
  }
  KRepSe = 2;
}

// ---------------------------------------------------------------------------------------------
// Clearing

void TVEMO::Clear() {
  SPLINE.reset();
  SplStamp = 0;
  A.clear();
  Parents.reset();
  VParents.reset();
  SCALE1.reset();
  SCALE2.reset();
  SCALE3.reset();
  RepSet.reset();
  sId.clear();
  sMOD.clear();
  NAME.clear();
  sIdV.clear();
  sED.clear();
  LIN6.clear();
  AT.clear();
  ION = 0;
  MJU = 0;
  LAM = 0;
  PhysRec = nullptr;
  KEY1 = KEY2 = KEY3 = TReadKey();
  FMOD = 0;
  KTyp = 0;
  KLIN = KAT = KION = KMJU = KLAM = 0;
  KRepSe = 0;
  KA = 0;
  KSpl = 0;
  N = 0;
  LGTAU = nullptr;
}

void TVEMO::Reset() {
  Clear();
  sMLdt.clear();
  sTAB.clear();
  TCalc = 0;
  Ch = 0;
  XL = XU = Val = 0;
  KX = Kh = 0;
  KEd = 0;
  hVEMO = nullptr;
  VESrc = nullptr;
  NAlg = 0;
  ChIPOL = 'S';
  Parents = std::make_unique<TStrList>();
  VParents = std::make_unique<std::vector<TVEMO*>>();
}
