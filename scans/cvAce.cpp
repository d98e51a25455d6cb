#include "scans/cvAce.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"

namespace {

size_t Z(int64_t i) { return static_cast<size_t>(i); }

template <class F>
TARe Map(const TARe& A, F f) {
  TARe R(A.size());
  for (size_t i = 0; i < A.size(); ++i) R[i] = f(A[i], i);
  return R;
}

// The name of variable j in messages: y, x1 .. xp.
std::string VarName(int32_t j) { return j == 0 ? std::string("y") : "x" + IntStr(j); }

bool WindowOk(int32_t n, int32_t w) {
  if (w >= 0 && n >= 2 && n >= 2 * w + 1) return true;
  WARNAbs("ACE: окно сглаживания шире данных: n="_cp + IntStr(n) + " < 2w+1, w="_cp + IntStr(w) +
          " (нужно n >= 2w+1 и n >= 2)"_cp);
  return false;
}

bool SpreadOk(double s, int32_t j, const char* What) {
  if (s > 0 && std::isfinite(s)) return true;
  WARNAbs("ACE: преобразование переменной "_cp + VarName(j) + " (" + What +
          ") имеет нулевой разброс, стандартизация невозможна"_cp);
  return false;
}

// Block j standardised by its mean and population deviation; false without spread.
bool Standardise(TARe& A, int32_t n, int32_t j, const char* What) {
  double m = 0, q = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double v = A[Z(int64_t(j) * n + i)];
    m += v;
    q += v * v;
  }
  m /= n;
  const double d = q / n - m * m;
  const double s = d > 0 ? std::sqrt(d) : 0.0;
  if (!SpreadOk(s, j, What)) return false;
  for (int32_t i = 0; i < n; ++i) {
    double& v = A[Z(int64_t(j) * n + i)];
    v = (v - m) / s;
  }
  return true;
}

// Order and Rank of every variable; the standardised ranks into Start.
void OrderAndRank(const TARe& Data, int32_t n, int32_t p, TAIn& Order, TAIn& Rank, TARe& Start,
                  TARe& Copy) {
  const size_t L = Z(int64_t(p + 1) * n);
  Order.resize(L);
  Rank.resize(L);
  Start.resize(L);
  Copy.assign(Data.begin(), Data.begin() + static_cast<std::ptrdiff_t>(L));
  const double Scale = std::sqrt(double(n)) * std::sqrt(double(n - 1)) / std::sqrt(12.0);
  for (int32_t j = 0; j <= p; ++j) {
    const int64_t b = int64_t(j) * n;
    for (int32_t i = 0; i < n; ++i) Order[Z(b + i)] = i;
    AceSortIdx(Copy, Order, static_cast<int32_t>(b), static_cast<int32_t>(b + n - 1));
    for (int32_t i = 0; i < n; ++i) Rank[Z(b + Order[Z(b + i)])] = i;
    for (int32_t i = 0; i < n; ++i) Start[Z(b + i)] = (Rank[Z(b + i)] - (n - 1) / 2.0) / Scale;
  }
}

// One set of transforms being iterated.
struct TSet {
  TARe& Phi;
  TARe& Sum;
  TARe& Work;
  double PrevInner = 0, PrevOuter = 0;
  double Inner = 0, Outer = 0, dI = 1, dO = 1;
};

// Sum[i] = sum over k of Phi block k (k = 1..p).
void SumPred(TSet& S, int32_t n, int32_t p, int32_t Skip) {
  std::fill(S.Sum.begin(), S.Sum.begin() + n, 0.0);
  for (int32_t l = 1; l <= p; ++l) {
    if (l == Skip) continue;
    const double* f = S.Phi.data() + int64_t(l) * n;
    for (int32_t i = 0; i < n; ++i) S.Sum[Z(i)] += f[i];
  }
}

// One inner pass over the predictors; Part and Zd when given.
void InnerPass(TSet& S, const TAIn& Order, const TAIn& Rank, int32_t n, int32_t p, int32_t w,
               TARe* Part, TARe* Zd, TAceScratch& Scr, int64_t& Passes) {
  if (Part) std::fill(Part->begin(), Part->begin() + n, 0.0);
  if (Zd) std::fill(Zd->begin(), Zd->begin() + n, 0.0);
  for (int32_t k = 1; k <= p; ++k) {
    SumPred(S, n, p, k);
    const int64_t b = int64_t(k) * n;
    for (int32_t i = 0; i < n; ++i) {
      const double s = S.Sum[Z(i)], r = S.Phi[Z(i)] - s;
      S.Work[Z(i)] = r;
      if (Part) (*Part)[Z(b + i)] = s;
      if (Zd) (*Zd)[Z(b + i)] = r;
    }
    AceSmooth(S.Work, Order, Rank, k, n, w, S.Phi, Scr);
    ++Passes;
  }
  SumPred(S, n, p, 0);
  double e = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double d = S.Sum[Z(i)] - S.Phi[Z(i)];
    e += d * d;
  }
  S.Inner = e / n;
  S.dI = std::fabs(S.PrevInner - S.Inner);
  S.PrevInner = S.Inner;
}

// theta from the sum, standardised; the outer e^2. False without spread.
bool OuterStep(TSet& S, const TAIn& Order, const TAIn& Rank, int32_t n, int32_t w,
               TAceScratch& Scr, int64_t& Passes) {
  AceSmooth(S.Sum, Order, Rank, 0, n, w, S.Phi, Scr);
  ++Passes;
  if (!Standardise(S.Phi, n, 0, "theta")) return false;
  double e = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double d = S.Sum[Z(i)] - S.Phi[Z(i)];
    e += d * d;
  }
  S.Outer = e / n;
  S.dO = std::fabs(S.PrevOuter - S.Outer);
  S.PrevOuter = S.Outer;
  return true;
}

bool Finite(const TARe& A) {
  for (double v : A)
    if (!std::isfinite(v)) {
      WARNAbs("ACE: в преобразованиях получено не число"_cp);
      return false;
    }
  return true;
}

bool Begin(const TAceSettings& S, const TARe& Data) {
  if (S.P < 1) {
    WARNAbs("ACE: нет ни одного предиктора (p="_cp + IntStr(S.P) + ")");
    return false;
  }
  if (!WindowOk(S.N, S.W)) return false;
  if (Data.size() < Z(int64_t(S.P + 1) * S.N)) {
    WARNAbs("ACE: данных меньше (p+1)*n="_cp + IntStr((S.P + 1) * S.N));
    return false;
  }
  for (size_t i = 0; i < Z(int64_t(S.P + 1) * S.N); ++i)
    if (!std::isfinite(Data[i])) {
      WARNAbs("ACE: в данных не число, переменная "_cp + VarName(int32_t(i / Z(S.N))));
      return false;
    }
  return true;
}

bool Step(TJob* Job, int32_t o, const TAceSettings& S, const char* Name) {
  return !Job || Job->Step(o, S.MaxOuter + 1, std::string(Name) + ": внешний цикл "_cp + IntStr(o));
}

}  // namespace

// ---------------------------------------------------------------- element-wise

TARe AceAdd2(const TARe& A, const TARe& B) {
  return Map(A, [&](double v, size_t i) { return v + B[i]; });
}
TARe AceAdd3(const TARe& A, const TARe& B, const TARe& C) {
  return Map(A, [&](double v, size_t i) { return v + B[i] + C[i]; });
}
TARe AceAddC(const TARe& A, double c) {
  return Map(A, [&](double v, size_t) { return v + c; });
}
TARe AceMulC(const TARe& A, double c) {
  return Map(A, [&](double v, size_t) { return c * v; });
}
TARe AceSqr(const TARe& A) {
  return Map(A, [](double v, size_t) { return v * v; });
}
TARe AceAbs(const TARe& A) {
  return Map(A, [](double v, size_t) { return std::fabs(v); });
}
TARe AceSin(const TARe& A) {
  return Map(A, [](double v, size_t) { return std::sin(v); });
}
TARe AceRandU(int32_t n, double c) {
  TARe R(Z(std::max(n, 0)));
  for (double& v : R) v = c * RandUniform();
  return R;
}
TARe AceRandN(int32_t n, double c) {
  TARe R(Z(std::max(n, 0)));
  for (double& v : R) v = c * RandNorm12();
  return R;
}
TARe AceFlatten(const std::vector<TARe>& Columns) {
  TARe R;
  for (const TARe& C : Columns) R.insert(R.end(), C.begin(), C.end());
  return R;
}

// ---------------------------------------------------------------- blocks

TARe AceRow(const TARe& A, int32_t n, int32_t k) {
  const auto b = A.begin() + static_cast<std::ptrdiff_t>(int64_t(k) * n);
  return TARe(b, b + n);
}

void AceBlockStats(const TARe& A, int32_t n, int32_t k, double& Mean, double& Sd) {
  double s = 0, q = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double v = A[Z(int64_t(k) * n + i)];
    s += v;
    q += v * v;
  }
  Mean = n > 0 ? s / n : 0.0;
  const double d = n > 1 ? (q - s * s / n) / (n - 1) : 0.0;
  Sd = d > 0 ? std::sqrt(d) : 0.0;
}

TARe AceBlockMeans(const TARe& A, int32_t n) {
  TARe R;
  if (n <= 0) return R;
  for (int32_t k = 0; int64_t(k + 1) * n <= int64_t(A.size()); ++k) {
    double m, s;
    AceBlockStats(A, n, k, m, s);
    R.push_back(m);
  }
  return R;
}

void AceCentre(TARe& A, int32_t n) {
  const TARe M = AceBlockMeans(A, n);
  for (size_t k = 0; k < M.size(); ++k)
    for (int32_t i = 0; i < n; ++i) A[k * Z(n) + Z(i)] -= M[k];
}

// ---------------------------------------------------------------- smoothing

bool AceRunMean(const TARe& Src, int32_t n, int32_t w, TARe& Dst) {
  if (!WindowOk(n, w) || Src.size() < Z(n) || Dst.size() < Z(n)) {
    if (n >= 2 * w + 1 && n >= 2) WARNAbs("ACE: массив короче n="_cp + IntStr(n));
    return false;
  }
  const double k = 1.0 / (2 * w + 1);
  double S = 0;
  for (int32_t i = 0; i <= 2 * w; ++i) S += Src[Z(i)];
  const double First = S * k;
  for (int32_t i = w; i <= n - w - 2; ++i) {
    Dst[Z(i)] = S * k;
    S = S - Src[Z(i - w)] + Src[Z(i + w + 1)];
  }
  Dst[Z(n - w - 1)] = S * k;
  const double Last = Dst[Z(n - w - 1)];
  for (int32_t i = 0; i < w; ++i) Dst[Z(i)] = First;
  for (int32_t i = n - w; i < n; ++i) Dst[Z(i)] = Last;
  return true;
}

void AceSmooth(const TARe& Src, const TAIn& Order, const TAIn& Rank, int32_t j, int32_t n,
               int32_t w, TARe& Dst, TAceScratch& S) {
  if (S.Sorted.size() < Z(n)) S.Sorted.resize(Z(n));
  if (S.Smoothed.size() < Z(n)) S.Smoothed.resize(Z(n));
  const int32_t* o = Order.data() + int64_t(j) * n;
  const int32_t* r = Rank.data() + int64_t(j) * n;
  double* a = S.Sorted.data();
  for (int32_t i = 0; i < n; ++i) a[i] = Src[Z(o[i])];
  if (!AceRunMean(S.Sorted, n, w, S.Smoothed)) return;
  double* d = Dst.data() + int64_t(j) * n;
  const double* m = S.Smoothed.data();
  for (int32_t i = 0; i < n; ++i) d[i] = m[r[i]];
}

void AceSmooth(const TARe& Src, const TAIn& Order, const TAIn& Rank, int32_t j, int32_t n,
               int32_t w, TARe& Dst) {
  TAceScratch S;
  AceSmooth(Src, Order, Rank, j, n, w, Dst, S);
}

double AceCorr(const TARe& X, const TARe& Y, int32_t n) {
  if (n <= 0) return 0;
  double sx = 0, sy = 0, sxy = 0;
  for (int32_t i = 0; i < n; ++i) {
    sx += X[Z(i)];
    sy += Y[Z(i)];
    sxy += X[Z(i)] * Y[Z(i)];
  }
  const double mx = sx / n, my = sy / n;
  double qx = 0, qy = 0;
  for (int32_t i = 0; i < n; ++i) {
    qx += (X[Z(i)] - mx) * (X[Z(i)] - mx);
    qy += (Y[Z(i)] - my) * (Y[Z(i)] - my);
  }
  const double d = std::sqrt(qx / n) * std::sqrt(qy / n);
  return d > 0 ? (sxy / n - mx * my) / d : 0.0;
}

void AceSortIdx(TARe& V, TAIn& Idx, int32_t lo, int32_t hi) {
  // The smaller part recursively, the larger in the loop: the stack stays logarithmic.
  while (lo < hi) {
    const double x = V[Z(lo)];
    int32_t d = hi;
    if (V[Z(hi)] == x) {
      d = lo + 1;
      while (d < hi && V[Z(d)] == x) ++d;
    }
    const double Pivot = (x + V[Z(d)]) / 2;
    int32_t i = lo, j = hi;
    bool Swapped = false;
    for (;;) {
      while (i < hi && V[Z(i)] < Pivot) ++i;
      while (j > lo && V[Z(j)] >= Pivot) --j;
      if (i >= j) break;
      std::swap(V[Z(i)], V[Z(j)]);
      std::swap(Idx[Z(i)], Idx[Z(j)]);
      Swapped = true;
    }
    if (!Swapped && i == lo) return;
    const bool Left = lo < j, Right = i < hi;
    if (Left && Right) {
      if (j - lo < hi - i) {
        AceSortIdx(V, Idx, lo, j);
        lo = i;
      } else {
        AceSortIdx(V, Idx, i, hi);
        hi = j;
      }
    } else if (Left) {
      hi = j;
    } else if (Right) {
      lo = i;
    } else {
      return;
    }
  }
}

// ---------------------------------------------------------------- the regressions

bool AceRegress(const TAceSettings& S, const TARe& Data, TAceResult& R, TStringList& Lines,
                TStringList& Summary, TJob* Job) {
  Lines.Clear();
  Summary.Clear();
  R.OuterPasses = 0;
  R.SmoothPasses = 0;
  if (!Begin(S, Data)) return false;
  const int32_t n = S.N, p = S.P, w = S.W;
  const size_t L = Z(int64_t(p + 1) * n);
  TSet A{R.Phi, R.W.Sum, R.W.Work};
  OrderAndRank(Data, n, p, R.Order, R.Rank, A.Phi, R.W.Copy);
  R.Part.resize(L);
  R.Zd.resize(L);
  A.Sum.resize(Z(n));
  A.Work.resize(Z(n));
  TAceScratch& Scr = R.W.Scr;
  int32_t o = 0;
  while (o <= S.MaxOuter && A.dO > S.EpsOuter) {
    if (!Step(Job, o, S, "AceRegress")) return false;
    A.dI = 1.0;
    for (int32_t c = 0; c <= S.MaxInner && A.dI > S.EpsInner; ++c) {
      InnerPass(A, R.Order, R.Rank, n, p, w, &R.Part, &R.Zd, Scr, R.SmoothPasses);
      if (S.ReportInner)
        Lines.Add("iteri=" + I64PadSt(2, c) + " yields e^2:" + FSt(8, 6, A.Inner) +
                  "  difference: " + FSt(8, 6, A.dI));
    }
    if (!OuterStep(A, R.Order, R.Rank, n, w, Scr, R.SmoothPasses)) return false;
    if (S.ReportOuter)
      Lines.Add("itero=" + I64PadSt(2, o) + " yields e^2:" + FSt(8, 6, A.Outer) +
                " (difference: " + FSt(8, 6, A.dO) + ")");
    ++o;
  }
  R.OuterPasses = o;
  if (!Finite(A.Phi)) return false;
  std::string Line = "r(y,sumx)=" + ShortSt(6, AceCorr(A.Phi, A.Sum, n));
  for (int32_t k = 1; k <= p; ++k)
    Line += " r(x" + IntStr(k) + ",y)=" + ShortSt(6, AceCorr(AceRow(A.Phi, n, k), A.Phi, n));
  Lines.Add(Line);
  Summary.Add("Итераций внешнего цикла "_cp + IntStr(o - 1));
  return true;
}

bool AceRegressPsi(const TAceSettings& S, const TARe& Data, TAceResult& R, TStringList& Lines,
                   TStringList& Summary, TJob* Job) {
  Lines.Clear();
  Summary.Clear();
  R.OuterPasses = 0;
  R.SmoothPasses = 0;
  R.Part.clear();
  R.Zd.clear();
  if (!Begin(S, Data)) return false;
  const int32_t n = S.N, p = S.P, w = S.W;
  const size_t L = Z(int64_t(p + 1) * n);
  TSet A{R.W.PhiA, R.W.Sum, R.W.Work}, B{R.Phi, R.W.SumB, R.W.WorkB};
  OrderAndRank(Data, n, p, R.Order, R.Rank, A.Phi, R.W.Copy);
  B.Phi.assign(Data.begin(), Data.begin() + static_cast<std::ptrdiff_t>(L));
  for (int32_t j = 0; j <= p; ++j) {
    double m, sd;
    AceBlockStats(Data, n, j, m, sd);
    if (!SpreadOk(sd, j, "x")) return false;
    for (int32_t i = 0; i < n; ++i) B.Phi[Z(int64_t(j) * n + i)] = (Data[Z(int64_t(j) * n + i)] - m) / sd;
  }
  for (TSet* T : {&A, &B}) {
    T->Sum.resize(Z(n));
    T->Work.resize(Z(n));
  }
  TAceScratch& Scr = R.W.Scr;
  int32_t o = 0;
  while (o <= S.MaxOuter && B.dO > S.EpsOuter) {
    if (!Step(Job, o, S, "AceRegressPsi")) return false;
    B.dI = 1.0;
    for (int32_t c = 0; c <= S.MaxInner && B.dI > S.EpsInner; ++c) {
      InnerPass(A, R.Order, R.Rank, n, p, w, nullptr, nullptr, Scr, R.SmoothPasses);
      InnerPass(B, R.Order, R.Rank, n, p, w, nullptr, nullptr, Scr, R.SmoothPasses);
      if (S.ReportInner)
        Lines.Add("iteri=" + IntStr(c) + " yields e^2:" + ESt(6, A.Inner) + " difference: " +
                  ESt(4, A.dI));
    }
    if (!OuterStep(A, R.Order, R.Rank, n, w, Scr, R.SmoothPasses)) return false;
    if (!OuterStep(B, R.Order, R.Rank, n, w, Scr, R.SmoothPasses)) return false;
    if (S.ReportOuter)
      Lines.Add("itero=" + IntStr(o) + " yields e^2:" + ESt(6, A.Outer) + " (difference: " +
                ESt(4, A.dO) + ")");
    ++o;
  }
  R.OuterPasses = o;
  if (!Finite(A.Phi) || !Finite(B.Phi)) return false;
  const double Psi = AceCorr(A.Phi, A.Sum, n);
  Lines.Add("itero=" + IntStr(o - 1) + " yields Psi: " + ESt(6, Psi));
  Summary.Add(ESt(6, Psi) + " " + IntStr(o - 1));
  return true;
}

// ---------------------------------------------------------------- the editor's table

std::vector<TARe> AceReadTable(const TStringList& Text) {
  std::vector<TARe> Cols;
  if (Text.Count() < 1) return Cols;
  const int32_t W = WordCount(Text[0]);
  Cols.assign(Z(std::max(W, 0)), TARe());
  if (W <= 0) return Cols;
  for (TARe& c : Cols) c.reserve(Z(Text.Count() - 1));
  TARe Row(Z(W));
  std::string Word;
  for (int32_t l = 1; l < Text.Count(); ++l) {
    // one pass over the line: its blank-separated words, each a number, no more than W
    const std::string& s = Text[l];
    const size_t n = s.size();
    size_t j = 0;
    int32_t k = 0;
    bool Ok = true;
    while (Ok) {
      while (j < n && s[j] == ' ') ++j;
      if (j >= n) break;
      const size_t b = j;
      while (j < n && s[j] != ' ') ++j;
      if (k == W) {
        Ok = false;
        break;
      }
      Word.assign(s, b, j - b);
      int32_t c = 0;
      double v = ValRealPlainCode(Word, c);
      if (c != 0) v = ValRealCode(Word, c);  // the other forms the program reads as numbers
      Ok = c == 0 && std::isfinite(v);
      Row[Z(k++)] = v;
    }
    if (!Ok || k != W) break;
    for (int32_t m = 0; m < W; ++m) Cols[Z(m)].push_back(Row[Z(m)]);
  }
  return Cols;
}

bool AceOnTable(const TStringList& Text, const TAceTableRun& Run, TStringList& Out, TJob* Job) {
  Out.Clear();
  const std::vector<TARe> Cols = AceReadTable(Text);
  const int32_t W = static_cast<int32_t>(Cols.size());
  const int32_t n = W > 0 ? static_cast<int32_t>(Cols[0].size()) : 0;
  if (W < 2 || n == 0) {
    WARNAbs("ACE: в таблице редактора нет данных: колонок "_cp + IntStr(W) + ", строк "_cp +
            IntStr(n) + " (нужны заголовок и строки чисел, в 1-й колонке Y)"_cp);
    return false;
  }
  TAceSettings S;
  S.N = n;
  S.P = W - 1;
  S.W = Run.W;
  const TARe Data = AceFlatten(Cols);
  TAceResult R;
  TStringList Lines, Summary;
  const bool Ok = Run.Psi ? AceRegressPsi(S, Data, R, Lines, Summary, Job)
                          : AceRegress(S, Data, R, Lines, Summary, Job);
  if (!Ok) return false;
  AceCentre(R.Phi, n);
  const int32_t p = S.P;
  auto Tab = std::make_unique<TStringList>();
  std::string H = "i y phi ";
  if (Run.Indices) H += "ind iind ";
  for (int32_t f = 1; f <= p; ++f) {
    H += "x" + IntStr(f) + " phi" + IntStr(f) + " ";
    if (Run.Indices) H += "zd" + IntStr(f) + " i" + IntStr(f) + " ii" + IntStr(f) + " ";
  }
  Tab->Add(H);
  auto At = [n](const TARe& A, int32_t k, int32_t j) {
    return A.empty() ? 0.0 : A[Z(int64_t(k) * n + j)];
  };
  auto AtI = [n](const TAIn& A, int32_t k, int32_t j) {
    return A.empty() ? 0 : A[Z(int64_t(k) * n + j)];
  };
  // The variant has no zd and no indices of its own: zeros, as the table always showed.
  const TAIn None;
  const TAIn& Ord = Run.Psi ? None : R.Order;
  const TAIn& Rnk = Run.Psi ? None : R.Rank;
  for (int32_t j = 0; j < n; ++j) {
    std::string L = IntStr(j) + " ";
    for (int32_t k = 0; k <= p; ++k) {
      L += FSt(7, 4, Data[Z(int64_t(k) * n + j)]) + " " + FSt(9, 6, At(R.Phi, k, j)) + " ";
      if (Run.Indices) {
        if (k > 0) L += FSt(7, 4, At(R.Zd, k, j)) + " ";
        L += IntStr(AtI(Ord, k, j)) + " " + IntStr(AtI(Rnk, k, j)) + " ";
      }
    }
    Tab->Add(L);
  }
  LineTabStrings(Tab.get(), 1);
  Out.AddStrings(Lines);
  Out.Add("-------------");
  Out.AddStrings(Summary);
  Out.Add("-------------");
  Out.AddStrings(*Tab);
  return true;
}

void AceTestTable(int32_t n, TStringList& Out) {
  Out.Clear();
  const TARe x1 = AceRandU(n, 1);
  const TARe u = AceSqr(AceRandU(n, 1));
  const TARe x2 = AceMulC(AceAddC(AceRandU(n, 1), -0.5), 2);
  const TARe y = AceAdd3(AceMulC(AceSin(AceMulC(x1, 2 * M_PI)), 10), AceMulC(u, 15),
                         AceMulC(AceAbs(x2), -20));
  Out.Add(" y  x1 x2");
  for (int32_t i = 0; i < n; ++i)
    Out.Add(ShortSt(7, y[Z(i)]) + " " + ShortSt(7, x1[Z(i)]) + " " + ShortSt(7, x2[Z(i)]));
  LineTabStrings(&Out, 1);
}
