#include "foundation/cvArr.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

// m+1 elements: R[0] = A[0], R[i] = A[a + i - 1]; source places outside A give 0.
template <class V>
V PartOf(const V& A, int64_t a, int64_t m) {
  if (A.empty()) return V();
  if (m < 0) m = 0;
  V R(static_cast<size_t>(m) + 1, 0);
  R[0] = A[0];
  const int64_t len = static_cast<int64_t>(A.size());
  for (int64_t i = 1; i <= m; ++i) {
    const int64_t s = a + i - 1;
    if (s >= 0 && s < len) R[static_cast<size_t>(i)] = A[static_cast<size_t>(s)];
  }
  return R;
}

template <class V>
V FromTo(int32_t i1, int32_t i2) {
  const int64_t m = std::max<int64_t>(0, int64_t(i2) - i1 + 1);
  V R(static_cast<size_t>(m) + 1, 0);
  for (int64_t i = 1; i <= m; ++i) R[static_cast<size_t>(i)] = static_cast<typename V::value_type>(i1 + i - 1);
  return R;
}

template <class V>
void Insert(V& A, int32_t i, typename V::value_type v) {
  if (A.empty()) return;
  const int n = NOf(A);
  if (i < 1 || i > n + 1) return;
  A.insert(A.begin() + i, v);
  A[0] = 0;
}

template <class V>
void Delete(V& A, int32_t i) {
  if (A.empty()) return;
  const int n = NOf(A);
  if (i < 1 || i > n) return;
  A.erase(A.begin() + i);
  A[0] = 0;
}

template <class V>
void DeletePair(V& A, int32_t i) {
  if (A.empty()) return;
  const int n = NOf(A);
  if (n < 1 || i < 0 || i > n) return;
  if (i == 0)
    A.erase(A.begin() + 1);
  else if (i == n)
    A.erase(A.begin() + n);
  else
    A.erase(A.begin() + i, A.begin() + i + 2);
  A[0] = 0;
}

// Lowers an upper search bound at or beyond the array's length to its last index, with a warning.
void LowerBound(const char* Name, size_t Len, int32_t& i2) {
  const int64_t len = static_cast<int64_t>(Len);
  if (i2 < len) return;
  WARNAbs(std::string(Name) + " length(A)=" + IntStr(static_cast<int32_t>(len)) + " i2=" + IntStr(i2));
  i2 = static_cast<int32_t>(len - 1);
}

template <class V>
bool MinPointOf(const V& A, int32_t i1, int32_t i2, const char* Name,
                typename V::value_type& M, int32_t& iM) {
  LowerBound(Name, A.size(), i2);
  if (i1 < 0) i1 = 0;
  if (i1 >= static_cast<int64_t>(A.size())) return false;
  M = A[i1];
  iM = i1;
  for (int32_t i = i1 + 1; i <= i2; ++i)
    if (A[i] < M) {
      M = A[i];
      iM = i;
    }
  return true;
}

// Hoare's quicksort of a[lo..hi] with the middle element's value as pivot; Swap(i, j) exchanges
// the elements (and their companions). The larger part is taken by the loop, so the recursion
// stays shallow.
template <class T, class SwapFn>
void QSortCore(T* a, int32_t lo, int32_t hi, SwapFn& Swap) {
  while (lo < hi) {
    int32_t i = lo, j = hi;
    const T p = a[lo + (hi - lo) / 2];
    do {
      while (a[i] < p) ++i;
      while (a[j] > p) --j;
      if (i <= j) {
        Swap(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) QSortCore(a, lo, j, Swap);
      lo = i;
    } else {
      if (i < hi) QSortCore(a, i, hi, Swap);
      hi = j;
    }
  }
}

// Bounds of a sort cut to the arrays taking part.
bool SortBounds(int32_t& i1, int32_t& i2, size_t Len) {
  if (i1 < 0) i1 = 0;
  if (static_cast<int64_t>(i2) >= static_cast<int64_t>(Len)) i2 = static_cast<int32_t>(Len) - 1;
  return i1 < i2;
}

void ShortArrWarn(const char* Name, size_t LenA, size_t LenB) {
  WARNAbs(std::string(Name) + "-Err: длина массива B="_cp + IntStr(static_cast<int32_t>(LenB)) +
          " меньше длины A="_cp + IntStr(static_cast<int32_t>(LenA)) + "!");
}

}  // namespace

// ---- conversions, copies and slices ----

TARe AReCopy(const TARe& A) { return A; }
void AReCopyInto(const TARe& A, TARe& B) { B = A; }
TAIn AInCopy(const TAIn& A) { return A; }
void AInCopyInto(const TAIn& A, TAIn& B) { B = A; }

TAByBy AByByCopy(const TAByBy& A) {
  if (A.empty()) return TAByBy();
  const size_t cols = A[0].size();
  TAByBy R(A.size(), std::vector<uint8_t>(cols, 0));
  for (size_t r = 0; r < A.size(); ++r)
    std::copy_n(A[r].begin(), std::min(cols, A[r].size()), R[r].begin());
  return R;
}

TAIn AReToAIn(const TARe& A) {
  TAIn R(A.size());
  constexpr double lo = std::numeric_limits<int32_t>::min();
  constexpr double hi = std::numeric_limits<int32_t>::max();
  for (size_t i = 0; i < A.size(); ++i) {
    const double v = std::nearbyint(A[i]);  // default rounding: halves to even
    R[i] = v >= hi ? std::numeric_limits<int32_t>::max()
         : v <= lo ? std::numeric_limits<int32_t>::min()
         : std::isnan(v) ? 0 : static_cast<int32_t>(v);
  }
  return R;
}

TARe AInToARe(const TAIn& A) { return TARe(A.begin(), A.end()); }

void AInShiftToARe(const TAIn& A, double S, TARe& R) {
  const int n = NOf(A);
  R.assign(A.size(), 0.0);
  double ts = std::trunc(S);
  const double f = S - ts;
  // Shifts beyond the table all end at one of the held ends.
  if (!(ts >= -double(n) - 2)) ts = -double(n) - 2;
  if (ts > double(n) + 2) ts = double(n) + 2;
  const int32_t k0 = static_cast<int32_t>(ts);
  for (int i = 1; i <= n; ++i) {
    const int32_t k = i + k0;
    if (k <= 0)
      R[i] = A[1];
    else if (k < n)
      R[i] = A[k] + f * (double(A[k + 1]) - A[k]);
    else
      R[i] = A[n];
  }
}

TARe AReTail(const TARe& A, int32_t a) {
  return PartOf(A, a, static_cast<int64_t>(A.size()) - a);
}

TARe ARePart(const TARe& A, int32_t a, int32_t b) {
  const int64_t m = b == 0 ? static_cast<int64_t>(A.size()) - a : int64_t(b) - a + 1;
  return PartOf(A, a, m);
}

TAIn AInPart(const TAIn& A, int32_t a, int32_t b) {
  const int64_t m = b == 0 ? static_cast<int64_t>(A.size()) - a : int64_t(b) - a + 1;
  return PartOf(A, a, m);
}

void AByByRowToAIn(const TAByBy& A, int32_t i, TAIn& R, int32_t& Count) {
  const size_t cols = A.empty() ? 0 : A[0].size();
  R.assign(cols, 0);
  Count = 0;
  if (i < 0 || static_cast<size_t>(i) >= A.size()) return;
  const auto& row = A[static_cast<size_t>(i)];
  for (size_t j = 0; j < cols && j < row.size(); ++j) {
    R[j] = row[j];
    if (row[j] != 0) ++Count;
  }
}

void CopyAR4R40toARe(const TAR4R4& A, TARe& R) {
  if (A.empty() || A[0].empty()) {
    WARNAbs("CopyAR4R40toARe-Err AR4R4 не заполнен!"_cp);
    return;
  }
  const size_t cols = A[0].size();
  R.assign(A.size() * cols + 1, 0.0);
  for (size_t r = 0; r < A.size(); ++r)
    for (size_t c = 0; c < cols && c < A[r].size(); ++c) R[1 + r * cols + c] = A[r][c];
}

void AR4R4ToAR4(const TAR4R4& A, TAR4& R) {
  const size_t cols = A.empty() ? 0 : A[0].size();
  R.assign(A.size() * cols, 0.0f);
  for (size_t r = 0; r < A.size(); ++r)
    for (size_t c = 0; c < cols && c < A[r].size(); ++c) R[r * cols + c] = A[r][c];
}

TARe AReConst(int32_t N, double v) {
  if (N < 0) N = 0;
  TARe R(static_cast<size_t>(N) + 1, v);
  R[0] = 0;
  return R;
}

TARe AReSeqN(int32_t a, int32_t N) {
  if (N < 0) N = 0;
  TARe R(static_cast<size_t>(N) + 1, 0.0);
  for (int32_t i = 1; i <= N; ++i) R[i] = double(a) + i - 1;
  return R;
}

TARe AReFromTo(int32_t i1, int32_t i2) { return FromTo<TARe>(i1, i2); }
TAIn AInFromTo(int32_t i1, int32_t i2) { return FromTo<TAIn>(i1, i2); }

void AInWindow(const TAIn& A, int32_t L, int32_t c, TAIn& Idx, TAIn& Vals) {
  const int n = NOf(A);
  const int32_t half = (L - 1) / 2;
  int64_t lo = int64_t(c) - half, hi = int64_t(c) + half;
  if (L % 2 == 0) {
    const int64_t l = lo - 1, r = hi + 1;
    const bool lOk = l >= 1 && l <= n, rOk = r >= 1 && r <= n;
    if (lOk && rOk) {
      if (A[r] < A[l]) hi = r; else lo = l;
    } else if (rOk) {
      hi = r;
    } else if (lOk) {
      lo = l;
    }
  }
  lo = std::max<int64_t>(lo, 1);
  hi = std::min<int64_t>(hi, n);
  if (hi < lo) hi = lo - 1;
  Idx = AInFromTo(static_cast<int32_t>(lo), static_cast<int32_t>(hi));
  Vals = PartOf(A, lo, hi - lo + 1);
}

// ---- editing in place ----

void AReInsert(TARe& A, int32_t i, double v) { Insert(A, i, v); }
void AInInsert(TAIn& A, int32_t i, int32_t v) { Insert(A, i, v); }
void AReDelete(TARe& A, int32_t i) { Delete(A, i); }
void AInDelete(TAIn& A, int32_t i) { Delete(A, i); }
void AReDeletePair(TARe& A, int32_t i) { DeletePair(A, i); }
void AInDeletePair(TAIn& A, int32_t i) { DeletePair(A, i); }

void AReReverse(TARe& A) {
  const int n = NOf(A);
  for (int k = 1; k <= n / 2; ++k) std::swap(A[k], A[n + 1 - k]);
}

// ---- element-wise arithmetic and comparison ----

TARe AReAddArr(const TARe& A, const TARe& B) {
  if (B.size() < A.size()) ShortArrWarn("AReAddArr", A.size(), B.size());
  TARe R(A);
  const size_t m = std::min(A.size(), B.size());
  for (size_t i = 0; i < m; ++i) R[i] += B[i];
  return R;
}

TARe AReSubArr(const TARe& A, const TARe& B) {
  if (B.size() < A.size()) ShortArrWarn("AReSubArr", A.size(), B.size());
  TARe R(A);
  const size_t m = std::min(A.size(), B.size());
  for (size_t i = 0; i < m; ++i) R[i] -= B[i];
  return R;
}

void AReRotate2(const TARe& A, const TARe& B, double t, TARe& RA, TARe& RB) {
  if (B.size() < A.size()) ShortArrWarn("AReRotate2", A.size(), B.size());
  const double a2 = 2 * t * std::numbers::pi / 180;
  const double c = std::cos(a2), s = std::sin(a2);
  RA.assign(A.size(), 0.0);
  RB.assign(A.size(), 0.0);
  for (size_t i = 0; i < A.size(); ++i) {
    const double b = i < B.size() ? B[i] : 0.0;
    RA[i] = A[i] * c + b * s;
    RB[i] = -A[i] * s + b * c;
  }
}

bool AReEqual(const TARe& A, const TARe& B) {
  if (A.empty() || B.empty()) return A.empty() && B.empty();
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (!(A[i] == B[i])) return false;
  return true;
}

bool AReSame(const TARe& A, const TARe& B, double tol) {
  if (A.empty() || B.empty()) return A.empty() && B.empty();
  if (A.size() != B.size()) return false;
  const double t = std::fabs(tol);
  for (size_t i = 0; i < A.size(); ++i)
    if (!(std::fabs(A[i] - B[i]) < t)) return false;
  return true;
}

// ---- order tests ----

bool AReStrictMonotonic(const TARe& A) {
  const int n = NOf(A);
  if (n < 2) return true;
  bool up = true, down = true;
  for (int i = 1; i < n && (up || down); ++i) {
    if (!(A[i + 1] > A[i])) up = false;
    if (!(A[i + 1] < A[i])) down = false;
  }
  return up || down;
}

bool AReMonotonic(const TARe& A) {
  const int n = NOf(A);
  if (n < 2 || A[n] == A[1]) return false;
  const bool rising = A[n] > A[1];
  for (int i = 1; i < n; ++i)
    if (rising ? A[i + 1] < A[i] : A[i + 1] > A[i]) return false;
  return true;
}

int32_t AReMonoBreak(const TARe& A) {
  if (AReStrictMonotonic(A)) return 0;
  const int n = NOf(A);
  if (A[1] == A[2]) return 1;
  const bool rising = A[2] > A[1];
  for (int k = 3; k <= n; ++k)
    if (rising ? !(A[k] > A[k - 1]) : !(A[k] < A[k - 1])) return k - 1;
  return n - 1;  // only reached through a NaN in the first step
}

bool AReOrdered(const TARe& A) {
  const int n = NOf(A);
  if (n < 3) return false;
  const double s = A[2] - A[1];
  if (!(s != 0)) return false;
  for (int i = 2; i < n; ++i) {
    const double d = A[i + 1] - A[i];
    if (s > 0 ? !(d > 0) : !(d < 0)) return false;
  }
  return true;
}

namespace {
bool MonoScan(const TARe& A, bool Strict, int32_t& Dir, int32_t& Pos) {
  const int n = NOf(A);
  Pos = 0;
  Dir = 0;
  if (n < 1) return false;
  if (A[1] < A[n]) Dir = 1;
  else if (A[1] > A[n]) Dir = -1;
  if (Dir == 0) return false;
  for (int k = 2; k <= n; ++k) {
    const bool bad = Strict ? (Dir > 0 ? !(A[k] > A[k - 1]) : !(A[k] < A[k - 1]))
                            : (Dir > 0 ? A[k] < A[k - 1] : A[k] > A[k - 1]);
    if (bad) {
      Pos = k;
      return false;
    }
  }
  return true;
}
}  // namespace

bool AReMonotonicDir(const TARe& A, int32_t& Dir, int32_t& Pos) { return MonoScan(A, true, Dir, Pos); }
bool AReMonoCheck(const TARe& A, int32_t& Dir, int32_t& Pos) { return MonoScan(A, false, Dir, Pos); }

bool AReMonoReport(const std::string& Name, const TARe& A, int32_t& Dir, int32_t& Pos) {
  const bool ok = AReMonoCheck(A, Dir, Pos);
  if (ok) return true;
  if (Dir > 0)
    WARNAbs(Name + "-Err: в возрастающем массиве AX в точке "_cp + IntStr(Pos) +
            " обнаружено убывание X!"_cp);
  else if (Dir < 0)
    WARNAbs(Name + "-Err в убывающем массиве AX в точке "_cp + IntStr(Pos) +
            " обнаружено возрастание X!"_cp);
  else
    WARNAbs(Name + " массив AX разерностью "_cp + IntStr(NOf(A)) + " должен возрастать или убывать!"_cp);
  return false;
}

// ---- minimum and maximum ----

void AReMinMax(const TARe& A, double& Min, double& Max) {
  const int n = NOf(A);
  if (n < 1) {
    WARNAbs("AReMinMax-Err: ARe имеет длину "_cp + IntStr(static_cast<int32_t>(A.size())) + "!");
    return;
  }
  double mn = A[1], mx = A[1];
  for (int i = 2; i <= n; ++i) {
    if (A[i] < mn) mn = A[i];
    if (A[i] > mx) mx = A[i];
  }
  Min = mn;
  Max = mx;
}

void AReMinMaxIdx(const TARe& A, int32_t& iMin, int32_t& iMax) {
  const int n = NOf(A);
  if (n < 1) {
    iMin = iMax = 0;
    return;
  }
  iMin = iMax = 1;
  for (int i = 2; i <= n; ++i) {
    if (A[i] < A[iMin]) iMin = i;
    if (A[i] > A[iMax]) iMax = i;
  }
}

void AReMAXIdx(const TARe& A, double& M, int32_t& iM) {
  const int n = NOf(A);
  if (n <= 1) {
    WARNAbs("AReMAX-err: длина массива AY = "_cp + IntStr(n));
    return;
  }
  int32_t k = 1;
  for (int i = 2; i <= n; ++i)
    if (A[i] > A[k]) k = i;
  M = A[k];
  iM = k;
}

void AReMaxVal(const TARe& A, double& M) {
  int32_t i = 0;
  AReMAXIdx(A, M, i);
}

void AReMAX2(const TARe& AY, int32_t iGap, double& M1, int32_t& i1, double& M2, int32_t& i2) {
  const int n = NOf(AY);
  if (n <= 1) {
    WARNAbs("AReMAX2-err: длина массива AY = "_cp + IntStr(n));
    return;
  }
  if (int64_t(n) < 2 * int64_t(iGap)) {
    WARNAbs("AReMAX2-err: длина массива AY = "_cp + IntStr(n) + " < 2*(iGap=" + IntStr(iGap) + ")");
    return;
  }
  int32_t k = 1;
  for (int i = 2; i <= n; ++i)
    if (AY[i] > AY[k]) k = i;
  M1 = AY[k];
  i1 = k;
  int64_t e = int64_t(k) + iGap + 1;
  if (e > n) e = int64_t(k) - iGap - 1;
  // No start point on either side: begin from element 0 (not data), which any point beats.
  if (e < 0) e = 0;
  double m2 = AY[static_cast<size_t>(e)];
  for (int i = 2; i <= n; ++i)
    if (std::abs(int64_t(i) - k) > iGap && AY[i] > m2) {
      m2 = AY[i];
      e = i;
    }
  M2 = m2;
  i2 = static_cast<int32_t>(e);
}

double AReMin(const TARe& A, int32_t i1, int32_t i2) {
  double M = 0;
  int32_t iM = 0;
  MinPointOf(A, i1, i2, "AReMin", M, iM);
  return M;
}

double AReMax(const TARe& A, int32_t i1, int32_t i2) {
  LowerBound("AReMax", A.size(), i2);
  if (i1 < 0) i1 = 0;
  if (i1 >= static_cast<int64_t>(A.size())) return 0;
  double M = A[i1];
  for (int32_t i = i1 + 1; i <= i2; ++i)
    if (A[i] > M) M = A[i];
  return M;
}

int32_t AInMin(const TAIn& A, int32_t i1, int32_t i2) {
  int32_t M = 0, iM = 0;
  MinPointOf(A, i1, i2, "AInMin", M, iM);
  return M;
}

void AInMinPoint(const TAIn& A, int32_t i1, int32_t i2, int32_t& M, int32_t& iM) {
  MinPointOf(A, i1, i2, "AInMinPoint", M, iM);
}

void AReMinPoint(const TARe& A, int32_t i1, int32_t i2, double& M, int32_t& iM) {
  MinPointOf(A, i1, i2, "AReMinPoint", M, iM);
}

// ---- quicksorts ----

void AReQSort(int32_t i1, int32_t i2, TARe& A) {
  if (!SortBounds(i1, i2, A.size())) return;
  double* a = A.data();
  auto sw = [a](int32_t i, int32_t j) { std::swap(a[i], a[j]); };
  QSortCore(a, i1, i2, sw);
}

void AReQSort2(int32_t i1, int32_t i2, TARe& A, TARe& B) {
  if (!SortBounds(i1, i2, std::min(A.size(), B.size()))) return;
  double* a = A.data();
  double* b = B.data();
  auto sw = [a, b](int32_t i, int32_t j) {
    std::swap(a[i], a[j]);
    std::swap(b[i], b[j]);
  };
  QSortCore(a, i1, i2, sw);
}

void AReQSort3(int32_t i1, int32_t i2, TARe& A, TARe& B, TARe& C) {
  if (!SortBounds(i1, i2, std::min({A.size(), B.size(), C.size()}))) return;
  double* a = A.data();
  double* b = B.data();
  double* c = C.data();
  auto sw = [a, b, c](int32_t i, int32_t j) {
    std::swap(a[i], a[j]);
    std::swap(b[i], b[j]);
    std::swap(c[i], c[j]);
  };
  QSortCore(a, i1, i2, sw);
}

void AR4QSort(int32_t i1, int32_t i2, TAR4& A) {
  if (!SortBounds(i1, i2, A.size())) return;
  float* a = A.data();
  auto sw = [a](int32_t i, int32_t j) { std::swap(a[i], a[j]); };
  QSortCore(a, i1, i2, sw);
}
