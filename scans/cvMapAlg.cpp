#include "scans/cvMapAlg.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvScanServices.h"

#ifdef _OPENMP
#include <omp.h>
#endif

namespace {

using LD = long double;

std::atomic<int32_t> gThreads{0};

#ifdef _OPENMP
// Only the transcendental functions are spread over threads (the arithmetic ones are bound by
// memory and take about a millisecond for a million pixels), from this many pixels on, in pieces
// taken in turn by whichever thread is free.
constexpr size_t kParallelFrom = 1 << 16;
constexpr size_t kPiece = 1 << 14;
#endif

// Body(begin, end) over [0, N): one piece after another, or on every thread when Heavy.
template <class F>
void ForPieces(size_t N, bool Heavy, F&& Body) {
#ifdef _OPENMP
  int nt = gThreads.load();
  if (nt <= 0) nt = omp_get_num_procs();
  if (Heavy && N >= kParallelFrom && nt > 1) {
    const long pieces = static_cast<long>((N + kPiece - 1) / kPiece);
#pragma omp parallel for num_threads(nt) schedule(dynamic, 1)
    for (long k = 0; k < pieces; ++k) {
      const size_t b = static_cast<size_t>(k) * kPiece;
      Body(b, std::min(N, b + kPiece));
    }
    return;
  }
#endif
  (void)Heavy;
  Body(size_t{0}, N);
}

// A function of the transcendental kind rounded to single as its extended-precision value would
// be: the double value D (its error bound Err) is taken when no single rounding boundary lies
// within Err of it, else the extended value Ext() decides.
template <class FExt>
inline float Rounded(double D, double Err, FExt Ext) {
  const float f = static_cast<float>(D);
  if (std::isfinite(f) && std::isfinite(D)) {
    const double lo = (static_cast<double>(f) + std::nextafter(f, -HUGE_VALF)) / 2;
    const double hi = (static_cast<double>(f) + std::nextafter(f, HUGE_VALF)) / 2;
    if (D - lo > Err && hi - D > Err) return f;
  }
  return static_cast<float>(Ext());
}

// Error bound of a double result R of a correctly rounded-ish library function (a few units in
// its last place), with the absolute error Abs of its argument's conversion added.
inline double ErrOf(double R, double Abs) { return std::fabs(R) * 0x1p-46 + Abs + 0x1p-1060; }

// Data present: kLoad 2 or more and the block of nX x nY values in place.
bool HasData(const TFIOut& M) {
  return FIOutAssigned(&M) && M.kLoad >= 2 && M.nX > 0 && M.nY > 0 &&
         M.aData.Rows() == static_cast<size_t>(M.nX) &&
         M.aData.Cols() == static_cast<size_t>(M.nY);
}

// A dispatcher's operand: data present, or read from its file.
bool Filled(TFIOut* M) {
  if (!FIOutAssigned(M)) return false;
  if (HasData(*M)) return true;
  return M->EnsureLoaded() && HasData(*M);
}

std::unique_ptr<TFIOut> Result(const TFIOut& A, const std::string& Name) {
  auto r = A.Clone();
  if (!r) return r;
  r->nb0 = 0;
  r->Name = Name;
  return r;
}

// Fn (value) -> extended result, or with Heavy -> the single result itself.
template <bool Heavy = false, class F>
std::unique_ptr<TFIOut> Map1(TFIOut& A, const std::string& Name, F Fn) {
  if (!HasData(A)) return nullptr;
  auto r = Result(A, Name);
  if (!r) return r;
  const float* a = A.aData.Data();
  float* o = r->aData.Data();
  ForPieces(A.aData.Count(), Heavy, [&](size_t b, size_t e) {
    for (size_t k = b; k < e; ++k) o[k] = static_cast<float>(Fn(static_cast<LD>(a[k])));
  });
  r->kLoad = 8;
  return r;
}

bool SameSize(const TFIOut& A, const TFIOut& B, const std::string& Op) {
  if (A.nX == B.nX && A.nY == B.nY) return true;
  WARNAbs("В операции "_cp + Op + "(" + A.Name + "," + B.Name + ") карты имеют разный размер!"_cp);
  return false;
}

template <class F>
std::unique_ptr<TFIOut> Map2(TFIOut& A, TFIOut& B, const std::string& Op,
                             const std::string& Name, F Fn) {
  if (!HasData(A) || !HasData(B)) return nullptr;
  if (!SameSize(A, B, Op)) return nullptr;
  auto r = Result(A, Name);
  if (!r) return r;
  const float* a = A.aData.Data();
  const float* bb = B.aData.Data();
  float* o = r->aData.Data();
  ForPieces(A.aData.Count(), false, [&](size_t b, size_t e) {
    for (size_t k = b; k < e; ++k)
      o[k] = static_cast<float>(Fn(static_cast<LD>(a[k]), static_cast<LD>(bb[k])));
  });
  r->kLoad = 8;
  return r;
}

constexpr LD kPi = 3.141592653589793238462643383279502884L;

int32_t IndexIn(const std::vector<std::string>& L, const std::string& Name) {
  for (size_t i = 0; i < L.size(); ++i)
    if (L[i] == Name) return static_cast<int32_t>(i);
  return -1;
}

const std::string kNl = "\r\n";

}  // namespace

void SetMapAlgThreads(int32_t N) { gThreads.store(std::max(N, 0)); }
int32_t MapAlgThreads() { return gThreads.load(); }

// ---------------------------------------------------------------------------------------------
// Vocabulary

const std::vector<std::string>& FOFuncs1() {
  static const std::vector<std::string> l{"abs", "neg", "sig", "sq",  "sqrt",
                                          "inv", "sin", "cos", "log", "exp10"};
  return l;
}
const std::vector<std::string>& FOFuncs2() {
  static const std::vector<std::string> l{"add", "sub", "mul", "rat", "mid"};
  return l;
}
const std::vector<std::string>& FOFuncsC() {
  static const std::vector<std::string> l{"add", "sub", "mul", "rat"};
  return l;
}
const std::vector<std::string>& FOFuncsC2() {
  static const std::vector<std::string> l{"circsub"};
  return l;
}

// ---------------------------------------------------------------------------------------------
// Map functions

namespace fo {

std::unique_ptr<TFIOut> fAbs(TFIOut& A) {
  return Map1(A, "abs(" + A.Name + ")", [](LD x) { return std::fabs(x); });
}
std::unique_ptr<TFIOut> fNeg(TFIOut& A) {
  return Map1(A, "-(" + A.Name + ")", [](LD x) { return -x; });
}
std::unique_ptr<TFIOut> fSig(TFIOut& A) {
  return Map1(A, "sig(" + A.Name + ")",
              [](LD x) { return x > 0 ? LD(1) : x == 0 ? LD(0) : LD(-1); });
}
std::unique_ptr<TFIOut> fSq(TFIOut& A) {
  return Map1(A, "sq(" + A.Name + ")", [](LD x) { return x * x; });
}
std::unique_ptr<TFIOut> fSqrt(TFIOut& A) {
  return Map1(A, "sqrt(" + A.Name + ")", [](LD x) { return std::sqrt(std::fabs(x)); });
}
std::unique_ptr<TFIOut> fInv(TFIOut& A) {
  return Map1(A, "1/(" + A.Name + ")", [](LD x) { return x == 0 ? LD(0) : 1 / x; });
}
// The four below give what extended precision gives (x * pi / 180, sinl, cosl, log10l, powl),
// computed in double where that rounds to the same single value.
std::unique_ptr<TFIOut> fSin(TFIOut& A) {
  return Map1<true>(A, "sin(" + A.Name + ")", [](LD x) {
    const LD arg = x * kPi / 180;
    const double d = static_cast<double>(arg), r = std::sin(d);
    return Rounded(r, ErrOf(r, std::fabs(d) * 0x1p-52), [arg] { return std::sin(arg); });
  });
}
std::unique_ptr<TFIOut> fCos(TFIOut& A) {
  return Map1<true>(A, "cos(" + A.Name + ")", [](LD x) {
    const LD arg = x * kPi / 180;
    const double d = static_cast<double>(arg), r = std::cos(d);
    return Rounded(r, ErrOf(r, std::fabs(d) * 0x1p-52), [arg] { return std::cos(arg); });
  });
}
std::unique_ptr<TFIOut> fLog(TFIOut& A) {
  return Map1<true>(A, "log(" + A.Name + ")", [](LD x) {
    if (x == 0) return -100.0f;
    const double r = std::log10(std::fabs(static_cast<double>(x)));
    return Rounded(r, ErrOf(r, 0), [x] { return std::log10(std::fabs(x)); });
  });
}
std::unique_ptr<TFIOut> fExp10(TFIOut& A) {
  return Map1<true>(A, "exp10(" + A.Name + ")", [](LD x) {
    const double r = std::pow(10.0, static_cast<double>(x));
    return Rounded(r, ErrOf(r, 0), [x] { return std::pow(LD(10), x); });
  });
}

std::unique_ptr<TFIOut> fAdd(TFIOut& A, TFIOut& B) {
  return Map2(A, B, "Add", "(" + A.Name + "+" + B.Name + ")", [](LD a, LD b) { return a + b; });
}
std::unique_ptr<TFIOut> fSub(TFIOut& A, TFIOut& B) {
  return Map2(A, B, "Sub", "(" + A.Name + "-" + B.Name + ")", [](LD a, LD b) { return a - b; });
}
std::unique_ptr<TFIOut> fMul(TFIOut& A, TFIOut& B) {
  return Map2(A, B, "Mul", "(" + A.Name + "*" + B.Name + ")", [](LD a, LD b) { return a * b; });
}
std::unique_ptr<TFIOut> fRat(TFIOut& A, TFIOut& B) {
  return Map2(A, B, "Rat", "(" + A.Name + "/" + B.Name + ")",
              [](LD a, LD b) { return b == 0 ? LD(0) : a / b; });
}
std::unique_ptr<TFIOut> Mid(TFIOut& A, TFIOut& B) {
  return Map2(A, B, "Mid", "(" + A.Name + "+" + B.Name + ")/2",
              [](LD a, LD b) { return (a + b) / 2; });
}

std::unique_ptr<TFIOut> fAddC(TFIOut& A, double C) {
  const LD c = C;
  return Map1(A, "(" + A.Name + ")+" + ShortSt(5, C), [c](LD x) { return x + c; });
}
std::unique_ptr<TFIOut> fSubC(TFIOut& A, double C) {
  const LD c = C;
  return Map1(A, "(" + A.Name + ")-" + ShortSt(5, C), [c](LD x) { return x - c; });
}
std::unique_ptr<TFIOut> fMulC(TFIOut& A, double C) {
  const LD c = C;
  return Map1(A, "(" + A.Name + ")*" + ShortSt(5, C), [c](LD x) { return x * c; });
}
std::unique_ptr<TFIOut> fRatC(TFIOut& A, double C) {
  if (!HasData(A)) return nullptr;
  if (C == 0) {
    WARNAbs("вызвана функция fRat с делителем равным нулю!"_cp + kNl + "FI: Name=<" + A.Name +
            "> sVar=<" + A.sVar + ">");
    return nullptr;
  }
  const LD c = C;
  return Map1(A, "(" + A.Name + ")/" + ShortSt(5, C), [c](LD x) { return x / c; });
}

std::unique_ptr<TFIOut> CircSub(TFIOut& A, TFIOut& B, double P) {
  const LD p = P, h = p / 2;
  return Map2(A, B, "Sub", "(" + A.Name + "-" + B.Name + ")", [p, h](LD a, LD b) {
    LD d = a - b;
    if (d < -h)
      d += p;
    else if (d > h)
      d -= p;
    return d;
  });
}

}  // namespace fo

// ---------------------------------------------------------------------------------------------
// Dispatchers

namespace {
bool OperandsFilled(const char* Who, std::initializer_list<TFIOut*> Maps) {
  for (TFIOut* m : Maps)
    if (!Filled(m)) {
      WARNAbs(std::string(Who) + " ERR Данные карты "_cp +
              (FIOutAssigned(m) ? m->Name : std::string()) + " не найдены в файле!"_cp);
      return false;
    }
  return true;
}

// The position of a two-map function in its list, both operands given; else reported and -1.
int32_t TwoMapFunction(const std::vector<std::string>& List, const std::string& Fn,
                       const TFIOut* A, const TFIOut* B) {
  const int32_t i = IndexIn(List, Fn);
  if (i < 0) {
    WARNAbs("Функции "_cp + Fn + "(FO1,FO2) не существует!"_cp);
  } else if (!A || !B) {
    WARNAbs("Вызвана функция <"_cp + Fn + " с неопределёнными аргументами!"_cp);
    return -1;
  }
  return i;
}
}  // namespace

std::unique_ptr<TFIOut> FIOutAny1(const std::string& Fn, TFIOut* A) {
  const int32_t i = IndexIn(FOFuncs1(), Fn);
  if (i < 0) {
    WARNAbs("Функции "_cp + Fn + "(FO) не существует!"_cp);
    return nullptr;
  }
  if (!OperandsFilled("FIOutAny1", {A})) return nullptr;
  using F = std::unique_ptr<TFIOut> (*)(TFIOut&);
  static const F fns[] = {fo::fAbs, fo::fNeg, fo::fSig, fo::fSq,  fo::fSqrt,
                          fo::fInv, fo::fSin, fo::fCos, fo::fLog, fo::fExp10};
  return fns[i](*A);
}

std::unique_ptr<TFIOut> FIOutAny2(const std::string& Fn, TFIOut* A, TFIOut* B) {
  const int32_t i = TwoMapFunction(FOFuncs2(), Fn, A, B);
  if (i < 0 || !OperandsFilled("FIOutAny2", {A, B})) return nullptr;
  using F = std::unique_ptr<TFIOut> (*)(TFIOut&, TFIOut&);
  static const F fns[] = {fo::fAdd, fo::fSub, fo::fMul, fo::fRat, fo::Mid};
  return fns[i](*A, *B);
}

std::unique_ptr<TFIOut> FIOutAnyC(const std::string& Fn, TFIOut* A, double C) {
  const int32_t i = IndexIn(FOFuncsC(), Fn);
  if (i < 0) {
    WARNAbs("Функции "_cp + Fn + "(FO1,R) не существует!"_cp);
    return nullptr;
  }
  if (!OperandsFilled("FIOutAnyC", {A})) return nullptr;
  using F = std::unique_ptr<TFIOut> (*)(TFIOut&, double);
  static const F fns[] = {fo::fAddC, fo::fSubC, fo::fMulC, fo::fRatC};
  return fns[i](*A, C);
}

std::unique_ptr<TFIOut> FIOutAnyC2(const std::string& Fn, TFIOut* A, TFIOut* B, double C) {
  const int32_t i = TwoMapFunction(FOFuncsC2(), Fn, A, B);
  if (i < 0 || !OperandsFilled("FIOutAnyC2", {A, B})) return nullptr;
  return fo::CircSub(*A, *B, C);
}

// ---------------------------------------------------------------------------------------------
// Expression language

bool FOParse(const std::string& Expr, std::string& Name, std::vector<std::string>& Args) {
  Args.clear();
  const size_t o = Expr.find('(');
  if (o == std::string::npos) {
    Name = Expr;
    return false;
  }
  Name = Expr.substr(0, o);
  size_t c = Expr.rfind(')');
  const bool unclosed = c == std::string::npos || c < o;
  if (unclosed) c = Expr.size();
  const std::string inner = Expr.substr(o + 1, c - o - 1);
  int depth = 0;
  bool extraClose = false;
  std::string cur;
  for (char ch : inner) {
    if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      if (depth == 0)
        extraClose = true;
      else
        --depth;
    } else if (ch == ',' && depth == 0) {
      Args.push_back(cur);
      cur.clear();
      continue;
    }
    cur += ch;
  }
  Args.push_back(cur);
  if (extraClose) WARNAbs("В выражении <"_cp + Expr + "> лишняя закрывающая скобка )"_cp);
  if (depth > 0 || unclosed)
    WARNAbs("В выражении <"_cp + Expr + "> лишняя открывающая скобка ("_cp);
  return true;
}

TFIOut* FOFetchMap(const std::string& Name, const std::string& Da, const std::string& Ti) {
  TLFIOut& reg = LFIOReg();
  TStringList one;
  one.Add(Name);
  std::error_code ec;
  if (std::filesystem::is_regular_file(GetCVFITName(Da, Ti), ec))
    reg.LoadOwn(Da, Ti, &one, false);
  else
    reg.LoadME(Da, Ti, &one, false);
  return reg.GetFIOutDT(Da, Ti, Name);
}

namespace {

bool IsNumber(const std::string& S, double& V) {
  if (S.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(S, code);
  return code == 0;
}

// A map name of the scan: the registry, the own output file then the inversion-result file, the
// operation list, the files again.
TFIOut* ResolveMap(const std::string& Name, const std::string& Da, const std::string& Ti) {
  TLFIOut& reg = LFIOReg();
  if (TFIOut* m = reg.GetFIOutDT(Da, Ti, Name)) return m;
  if (reg.LoadOwnOrME(Da, Ti, Name))
    if (TFIOut* m = reg.GetFIOutDT(Da, Ti, Name)) return m;
  Scans().CalcFO(Name, Da, Ti);
  if (TFIOut* m = reg.GetFIOutDT(Da, Ti, Name)) return m;
  return FOFetchMap(Name, Da, Ti);
}

// The value text of a main-header key (cards 0 .. 72 of the own file's header, else of the
// inversion-result file's); false with the report when there is none.
bool HeaderKeyText(const std::string& Expr, const std::string& Da, const std::string& Ti,
                   const std::string& Key, std::string& Value) {
  TLFIOut& reg = LFIOReg();
  const TStringList* cv = reg.HcvSL.get();
  const TStringList* me = reg.HmeSL.get();
  if (!cv && !me) {
    WARNAbs("К этому моменту не найдены CV и ME-FITS файлы!"_cp);
    return false;
  }
  auto find = [&](const TStringList* L) {
    return L && L->Count() > 0 ? GetFITKey(Key, L, 0, std::min(72, L->Count() - 1))
                               : std::string();
  };
  Value = find(cv);
  if (!Value.empty()) return true;
  if (!me) {
    WARNAbs("FOOperN(" + Expr + ",Dt=" + Da + ",Ti=" + Ti + ") " + kNl +
            "не загружен ME-FITS файл, переменной "_cp + Key + " нет в Header-e CV-fits!"_cp);
    return false;
  }
  Value = find(me);
  if (!Value.empty()) return true;
  WARNAbs("FOOperN(" + Expr + ",Dt=" + Da + ",Ti=" + Ti + ") " + kNl + "переменной "_cp + Key +
          " нет в Header-e CV или ME-fits!"_cp);
  return false;
}

}  // namespace

std::unique_ptr<TFIOut> FOOperN(const std::string& Expr, const std::string& Da,
                                const std::string& Ti, int32_t& Kind) {
  Kind = 0;
  LFIOReg();
  std::string fn;
  std::vector<std::string> args;
  if (!FOParse(Expr, fn, args) || args.empty() || args[0] == Expr) {
    WARNAbs("Не удаётся распарсить операцию <"_cp + Expr + ">");
    return nullptr;
  }

  // First operand: a map (nested expression or name); a number is refused.
  std::unique_ptr<TFIOut> own1;
  TFIOut* a = nullptr;
  const std::string& a1 = args[0];
  if (a1.find('(') != std::string::npos) {
    int32_t k = 0;
    own1 = FOOperN(a1, Da, Ti, k);
    if (k != 0) {
      Kind = k;
      return nullptr;
    }
    if (!own1) return nullptr;
    a = own1.get();
  } else {
    double v = 0;
    if (IsNumber(a1, v)) {
      WARNAbs("FOOperN.Err: первый оператор <"_cp + a1 + ">" + kNl +
              "обязательно должен быть картой!"_cp);
      Kind = 1;
      return nullptr;
    }
    a = ResolveMap(a1, Da, Ti);
    if (!a) {
      WARNAbs("Карта <"_cp + a1 + "> - что дальше?"_cp);
      return nullptr;
    }
  }

  if (args.size() == 1) return FIOutAny1(fn, a);

  // Second operand: nested expression, number, "$" + header key, or map name.
  std::unique_ptr<TFIOut> own2;
  TFIOut* b = nullptr;
  double c = 0;
  bool number = false;
  const std::string& a2 = args[1];
  if (a2.find('(') != std::string::npos) {
    int32_t k = 0;
    own2 = FOOperN(a2, Da, Ti, k);
    if (!own2) return nullptr;
    b = own2.get();
  } else {
    std::string text = a2;
    if (!a2.empty() && a2[0] == '$' && !HeaderKeyText(Expr, Da, Ti, a2.substr(1), text))
      return nullptr;
    number = IsNumber(text, c);
    if (!number) {
      b = ResolveMap(text, Da, Ti);
      if (!b) {
        WARNAbs("FOOperN(" + Expr + "->" + text + ",Dt=" + Da + ",Ti=" + Ti +
                "\n\r) Карты <"_cp + text + "> нет в LFIO и вообще нигде!"_cp);
        return nullptr;
      }
    }
  }

  if (args.size() == 2) return number ? FIOutAnyC(fn, a, c) : FIOutAny2(fn, a, b);

  // Three arguments: two maps and the period (an unreadable number counts as 0).
  if (args[2] == Expr) {
    WARNAbs("Не удаётся распарсить операцию <"_cp + Expr + ">");
    return nullptr;
  }
  double p = 0;
  if (!IsNumber(args[2], p)) p = 0;
  return FIOutAnyC2(fn, a, b, p);
}

TFIOut* FOLineToMap(const std::string& Line, const std::string& Da, const std::string& Ti) {
  const size_t eq = Line.find('=');
  if (eq == std::string::npos) {
    WARNAbs("Не удаётся распарсить операцию <"_cp + Line + ">");
    return nullptr;
  }
  const std::string target = TrimSp(Line.substr(0, eq));
  int32_t kind = 0;
  auto m = FOOperN(DelBlanks(Line.substr(eq + 1)), Da, Ti, kind);
  if (!m) return nullptr;
  m->Name = target;
  m->kSoft = 1;
  m->DaNum = '\0';
  m->kLoad |= 8;
  m->MinMaxMean();
  return LFIOReg().Add(std::move(m));
}
