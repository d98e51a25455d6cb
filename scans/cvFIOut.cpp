#include "scans/cvFIOut.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CV_MAP_AVX2 1
#endif

namespace {

const std::string kNl = "\r\n";

int64_t ReadAll(int Fd, void* Buf, int64_t Len, int64_t Offset) {
  int64_t got = 0;
  auto* p = static_cast<char*>(Buf);
  while (got < Len) {
    const ssize_t r = ::pread(Fd, p + got, static_cast<size_t>(Len - got), Offset + got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += r;
  }
  return got;
}

bool WriteAll(int Fd, const void* Buf, int64_t Len, int64_t Offset) {
  int64_t put = 0;
  const auto* p = static_cast<const char*>(Buf);
  while (put < Len) {
    const ssize_t r = ::pwrite(Fd, p + put, static_cast<size_t>(Len - put), Offset + put);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    put += r;
  }
  return true;
}

// N 4-byte values from Src to Dst with their byte order reversed (little-endian memory to the
// file's big-endian and back); Src may be Dst.
void SwapCopy(const void* Src, void* Dst, size_t N) {
  const auto* s = static_cast<const unsigned char*>(Src);
  auto* d = static_cast<unsigned char*>(Dst);
  for (size_t k = 0; k < N; ++k, s += 4, d += 4) {
    uint32_t u;
    std::memcpy(&u, s, 4);
    u = __builtin_bswap32(u);
    std::memcpy(d, &u, 4);
  }
}

// Minimum, maximum and sum of a map's values taken in any order, with what tells whether that sum
// is the one taken value by value (SumIsExact).
struct TQuickStats {
  double Sum = 0, AbsSum = 0;
  float Min = 0, Max = 0, MinAbsNZ = 0;
  size_t MinAt = 0, MaxAt = 0;  // first places of Min and Max
  bool Any = false;  // a NaN or an infinity makes AbsSum not finite
};

#ifdef CV_MAP_AVX2
// First K in [0, N) with P[K] == V (float equality), N when none.
__attribute__((target("avx2"))) size_t FindEqAvx2(const float* P, size_t N, float V) {
  const __m256 w = _mm256_set1_ps(V);
  size_t k = 0;
  for (; k + 8 <= N; k += 8) {
    const int m = _mm256_movemask_ps(_mm256_cmp_ps(_mm256_loadu_ps(P + k), w, _CMP_EQ_OQ));
    if (m) return k + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(m)));
  }
  for (; k < N; ++k)
    if (P[k] == V) return k;
  return N;
}

// The values of one step of 8: swapped in place and counted into the accumulators.
struct TAcc8 {
  __m256 Mn, Mx, Mnz;
  __m256d S0, S1, A;
};

__attribute__((target("avx2"), always_inline)) inline void Scan8(float* P, TAcc8& A,
                                                                 __m256i Shuf, __m256 AbsMask,
                                                                 __m256 Inf) {
  __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(P));
  b = _mm256_shuffle_epi8(b, Shuf);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(P), b);
  const __m256 v = _mm256_castsi256_ps(b);
  A.Mn = _mm256_min_ps(A.Mn, v);
  A.Mx = _mm256_max_ps(A.Mx, v);
  const __m256 a = _mm256_and_ps(v, AbsMask);
  A.Mnz = _mm256_min_ps(
      A.Mnz, _mm256_blendv_ps(Inf, a, _mm256_cmp_ps(a, _mm256_setzero_ps(), _CMP_GT_OQ)));
  A.S0 = _mm256_add_pd(A.S0, _mm256_cvtps_pd(_mm256_castps256_ps128(v)));
  A.S1 = _mm256_add_pd(A.S1, _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)));
  // The magnitudes only bound the sums: their halves may be added in single precision.
  A.A = _mm256_add_pd(A.A, _mm256_cvtps_pd(_mm_add_ps(_mm256_castps256_ps128(a),
                                                       _mm256_extractf128_ps(a, 1))));
}

// N values in file order, the first being value number Base of the map, swapped in place and
// counted into Q, 16 at a time in two independent sets of sums. A piece that brings a new
// minimum or maximum is searched for its first place while it is in the cache.
__attribute__((target("avx2"))) void SwapScanAvx2(float* P, size_t N, size_t Base,
                                                  TQuickStats& Q) {
  if (N == 0) return;
  const __m256i shuf = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3,
                                        2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  const __m256 inf = _mm256_set1_ps(__builtin_inff());
  const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff));
  const __m256d z = _mm256_setzero_pd();
  TAcc8 x{inf, _mm256_set1_ps(-__builtin_inff()), inf, z, z, z};
  TAcc8 y = x;
  size_t k = 0;
  for (; k + 16 <= N; k += 16) {
    Scan8(P + k, x, shuf, absMask, inf);
    Scan8(P + k + 8, y, shuf, absMask, inf);
  }
  for (; k + 8 <= N; k += 8) Scan8(P + k, x, shuf, absMask, inf);
  alignas(32) float fm[8], fx[8], fz[8];
  alignas(32) double ds[4], da[4];
  _mm256_store_ps(fm, _mm256_min_ps(x.Mn, y.Mn));
  _mm256_store_ps(fx, _mm256_max_ps(x.Mx, y.Mx));
  _mm256_store_ps(fz, _mm256_min_ps(x.Mnz, y.Mnz));
  _mm256_store_pd(ds, _mm256_add_pd(_mm256_add_pd(x.S0, x.S1), _mm256_add_pd(y.S0, y.S1)));
  _mm256_store_pd(da, _mm256_add_pd(x.A, y.A));
  float lo = __builtin_inff(), hi = -__builtin_inff(), lz = __builtin_inff();
  double s = 0, sa = 0;
  for (int i = 0; i < 8; ++i) {
    lo = fm[i] < lo ? fm[i] : lo;
    hi = fx[i] > hi ? fx[i] : hi;
    lz = fz[i] < lz ? fz[i] : lz;
  }
  for (int i = 0; i < 4; ++i) s += ds[i], sa += da[i];
  for (; k < N; ++k) {
    uint32_t u;
    std::memcpy(&u, P + k, 4);
    u = __builtin_bswap32(u);
    std::memcpy(P + k, &u, 4);
    const float v = P[k];
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
    const float a = std::fabs(v);
    if (a > 0 && a < lz) lz = a;
    s += v;
    sa += a;
  }
  if (!Q.Any || lo < Q.Min) {
    Q.Min = lo;
    Q.MinAt = Base + FindEqAvx2(P, N, lo);
  }
  if (!Q.Any || hi > Q.Max) {
    Q.Max = hi;
    Q.MaxAt = Base + FindEqAvx2(P, N, hi);
  }
  Q.MinAbsNZ = !Q.Any || lz < Q.MinAbsNZ ? lz : Q.MinAbsNZ;
  Q.Any = true;
  Q.Sum += s;
  Q.AbsSum += sa;
}

// Q of the pieces before P and P's own into Q, as if P had been counted after them.
void MergeQuick(TQuickStats& Q, const TQuickStats& P) {
  if (!P.Any) return;
  if (!Q.Any || P.Min < Q.Min) {
    Q.Min = P.Min;
    Q.MinAt = P.MinAt;
  }
  if (!Q.Any || P.Max > Q.Max) {
    Q.Max = P.Max;
    Q.MaxAt = P.MaxAt;
  }
  Q.MinAbsNZ = !Q.Any || P.MinAbsNZ < Q.MinAbsNZ ? P.MinAbsNZ : Q.MinAbsNZ;
  Q.Any = true;
  Q.Sum += P.Sum;
  Q.AbsSum += P.AbsSum;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#else
void SwapScanAvx2(float*, size_t, size_t, TQuickStats&) {}
void MergeQuick(TQuickStats&, const TQuickStats&) {}
bool HasAvx2() { return false; }
#endif

// True when every value is a multiple of the smallest non-zero value's unit in the last place and
// the sum of magnitudes stays below 2^52 such units: then every partial sum, in any order, is
// exact in double, and the sum in any order equals the sum taken value by value. (The sum of
// magnitudes, its halves added in single precision, may fall short of the true one by a few
// single-precision units: the limit lies a factor 2 below 2^53 units.)
bool SumIsExact(const TQuickStats& Q) {
  if (!std::isfinite(Q.AbsSum)) return false;
  if (Q.AbsSum == 0) return true;
  uint32_t u;
  std::memcpy(&u, &Q.MinAbsNZ, 4);
  const int e = static_cast<int>(u >> 23);  // biased exponent; 0 for subnormals
  const int ulp = (e == 0 ? 1 : e) - 150;   // the value's unit in the last place is 2^ulp
  return Q.AbsSum < std::ldexp(1.0, ulp + 52);
}

int32_t ToInt(const std::string& S) {
  int32_t code = 0;
  const int32_t v = ValIntCode(CardTrim(S), code);
  return code == 0 ? v : 0;
}

std::string Slashes(std::string S) {
  for (char& c : S)
    if (c == '\\') c = '/';
  return S;
}

std::string Hex8(int64_t V) { return HexInt8(static_cast<uint32_t>(V)); }

// First byte at or after Offset that is not Value; -1 when there is none.
int64_t FindNot(int Fd, int64_t Offset, uint8_t Value) {
  char buf[4096];
  for (int64_t at = Offset;;) {
    const int64_t got = ReadAll(Fd, buf, sizeof buf, at);
    if (got <= 0) return -1;
    for (int64_t i = 0; i < got; ++i)
      if (static_cast<uint8_t>(buf[i]) != Value) return at + i;
    at += got;
  }
}

bool ValidDaTi(const std::string& Da, const std::string& Ti, size_t TiMin) {
  return Da.size() == 8 && Ti.size() >= TiMin;
}

std::string Ym(const std::string& Da) { return Da.substr(0, 4) + "_" + Da.substr(4, 2); }

thread_local TMapSaveSession* tCurrentSession = nullptr;

std::string TempName(const std::string& File) {
  return File + ".tmp~" + IntStr(static_cast<int32_t>(::getpid()));
}

// Temporary copies of File left by writers that were killed (their process is gone) are removed.
void RemoveStaleTemps(const std::string& File) {
  namespace fs = std::filesystem;
  const fs::path f(File);
  const std::string prefix = f.filename().string() + ".tmp~";
  std::error_code ec;
  for (fs::directory_iterator it(f.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string n = it->path().filename().string();
    if (n.rfind(prefix, 0) != 0) continue;
    int32_t code = 0;
    const int32_t pid = ValIntCode(n.substr(prefix.size()), code);
    if (code != 0 || pid <= 0) continue;
    if (::kill(pid, 0) == -1 && errno == ESRCH) {
      std::error_code e2;
      fs::remove(it->path(), e2);
    }
  }
}

// Cards from Offset up to END (at most 600) into Cards, NHead counted on over the blank cards
// after it (the end of the file ends them too). False with the report text when there is no END.
bool ReadCardsAt(int Fd, const std::string& File, int64_t Offset, int64_t Size, TStringList& Cards,
                 int32_t& NHead, std::string& Error) {
  std::string buf;
  int64_t have = 0;
  auto ensure = [&](int64_t Upto) {
    while (have < Upto) {
      const int64_t chunk = 2 * 2880;
      buf.resize(static_cast<size_t>(have + chunk));
      const int64_t got = ReadAll(Fd, buf.data() + have, chunk, Offset + have);
      have += std::max<int64_t>(got, 0);
      buf.resize(static_cast<size_t>(have));
      if (got < chunk) break;
    }
    return have >= Upto;
  };
  Cards.Clear();
  int32_t n = 0;
  bool end = false;
  while (!end && n < TFITS::kMaxCards) {
    if (!ensure(80LL * (n + 1))) {
      Error = "Ошибка при чтении заголовка из файла <"_cp + File + ">: конец файла в карте "_cp +
              IntStr(n + 1) + " заголовка по смещению "_cp + I64Str(Offset) + ", размер файла "_cp +
              I64Str(Size);
      return false;
    }
    const std::string card = buf.substr(80 * static_cast<size_t>(n), 80);
    ++n;
    end = CardLookupKey(card) == "END";
    Cards.Add(card);
  }
  if (!end) {
    Error = "Нет карты END в первых 600 картах заголовка по смещению "_cp + I64Str(Offset) +
            " файла <"_cp + File + ">";
    return false;
  }
  int32_t m = n;
  while (ensure(80LL * (m + 1)) &&
         buf.compare(80 * static_cast<size_t>(m), 80, std::string(80, ' ')) == 0)
    ++m;
  NHead = m;
  return true;
}

// Card list to 80-byte records (END found, padded to 36 cards as WriteHeader does).
bool HeaderBytes(TStringList& Cards, std::string& Out) {
  int e = Cards.Count() - 1;
  while (e > 0 && Cards[e].rfind("END", 0) != 0) --e;
  if (e <= 0 && !(Cards.Count() > 0 && Cards[0].rfind("END", 0) == 0)) return false;
  for (int i = e + 1; i < Cards.Count(); ++i) Cards.Put(i, FITBlankCard());
  while (Cards.Count() % 36 != 0) Cards.Add(FITBlankCard());
  Out.clear();
  Out.reserve(static_cast<size_t>(Cards.Count()) * 80);
  for (int i = 0; i < Cards.Count(); ++i) { std::string c = Cards[i]; c.resize(80, ' '); Out += c; }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Life and state

TFIOut::TFIOut() : HSL(std::make_unique<TStringList>()) {}
TFIOut::~TFIOut() = default;

bool FIOutAssigned(const TFIOut* Map) { return Map && Map->kRun == TFIOut::kLive; }

std::string KLoadName(int32_t kLoad) {
  switch (kLoad) {
    case 0: return "FREE";
    case 1: return "EMPTY";
    case 2: return "LOADED";
    case 3: return "EMPTY + LOADED";
    case 4: return "CALCULATED";
    case 5: return "EMPTY + CALCULATED";
    case 6: return "LOADED + CALCULATED";
    case 7: return "EMPTY+LOADED+CALCULATED";
    case 8: return "INHERATED";
    default: return "";
  }
}

void TFIOut::Release() {
  if (kRun != kLive) return;
  aData.Free();
  if (HSL) HSL->Clear();
  kLoad = 0;
  kRun = 0;
}

void TFIOut::Reset() {
  aData.Free();
  kLoad = 0;
  vMin = vMax = vMean = vMinAv = vMaxAv = vMeanAv = 0;
  ixMin = iyMin = ixMax = iyMax = ixMinAv = iyMinAv = ixMaxAv = iyMaxAv = 0;
}

void TFIOut::AssignMem(int32_t NX, int32_t NY) {
  nX = NX;
  nY = NY;
  aData.Assign(static_cast<size_t>(std::max(NX, 0)), static_cast<size_t>(std::max(NY, 0)));
  kLoad = 1;
}

bool TFIOut::IsFilled() {
  if (aData.empty()) {
    kLoad = 0;
    return false;
  }
  const float* p = aData.Data();
  for (size_t k = 0, n = aData.Count(); k < n; ++k)
    if (p[k] != 0) return true;
  kLoad = 1;
  return false;
}

bool TFIOut::EnsureLoaded() {
  if (IsFilled()) return true;
  LoadData(FileName(), nbData0);
  return IsFilled();
}

bool TFIOut::CheckLoaded(const std::string& Who) const {
  if (kLoad > 1) return true;
  if (kLoad == 0)
    WARNAbs("FIOut " + Who + " память не выделена"_cp);
  else
    WARNAbs("FIOut " + Who + " данные не загружены"_cp);
  return false;
}

std::unique_ptr<TFIOut> TFIOut::Clone() const {
  if (aData.empty()) {
    WARNAbs("FIOut.Clone - ERR: в клонируемом файле не заполнена карта!"_cp);
    return nullptr;
  }
  auto c = std::make_unique<TFIOut>();
  c->Owner = Owner;
  c->Name = Name;
  c->Ver = Ver;
  c->Da = Da;
  c->Ti = Ti;
  c->DaNum = DaNum;
  c->kSoft = 7;
  c->AssignMem(nX, nY);
  return c;
}

// ---------------------------------------------------------------------------------------------
// Statistics

void TMapStats::Add(const float* P, int32_t N, int32_t X0, int32_t Y) {
  if (N <= 0) return;
  if (!Started) {
    Min = Max = P[0];
    Started = true;
  }
  double s = Sum, mn = Min, mx = Max;
  for (int32_t i = 0; i < N; ++i) {
    const double v = P[i];
    s += v;
    if (!(v >= mn)) {
      mn = v;
      IxMin = X0 + i;
      IyMin = Y;
    } else if (v > mx) {
      mx = v;
      IxMax = X0 + i;
      IyMax = Y;
    }
  }
  Sum = s;
  Min = mn;
  Max = mx;
}

void TFIOut::MinMaxMean() {
  if (kLoad <= 1) return WARNAbs("FIOut.MinMaxMean-ERR: kLoad=" + IntStr(kLoad));
  if (nX <= 0 || nY <= 0 || static_cast<int32_t>(aData.size()) < nX ||
      static_cast<int32_t>(aData.Cols()) < nY)
    return WARNAbs("FIOut.MinMaxMean-ERR: nX=" + IntStr(nX) + " nY=" + IntStr(nY));
  TMapStats st;
  for (int32_t y = 0; y < nY; ++y) st.Add(aData.Line(static_cast<size_t>(y)), nX, 0, y);
  SetStats(st);
}

void TFIOut::SetStats(const TMapStats& St) {
  vMinAv = vMaxAv = vMeanAv = 0;
  ixMinAv = iyMinAv = ixMaxAv = iyMaxAv = 0;
  vMean = St.Sum / (static_cast<double>(nX) * nY);
  vMin = St.Min;
  vMax = St.Max;
  ixMin = St.IxMin;
  iyMin = St.IyMin;
  ixMax = St.IxMax;
  iyMax = St.IyMax;
}

bool TFIOut::MaskFits(const TAByBy& Mask, const std::string& Who) const {
  bool ok = static_cast<int32_t>(Mask.size()) == nX;
  for (size_t x = 0; ok && x < Mask.size(); ++x) ok = static_cast<int32_t>(Mask[x].size()) == nY;
  if (!ok)
    WARNAbs(Who + "размеры карты и маски не совпадают!\n\r FO_X="_cp + IntStr(nX) +
            "   FO_Y=" + IntStr(nY) + " Filt_X=" + IntStr(static_cast<int32_t>(Mask.size())) +
            " Filt_Y=" + IntStr(Mask.empty() ? 0 : static_cast<int32_t>(Mask[0].size())));
  return ok;
}

bool TFIOut::PrepareMasked(const TAByBy& Mask, const std::string& Who) {
  if (!IsFilled() && nbData0 > 0) LoadData(FileName(), nbData0);
  if (kLoad <= 1) {
    WARNAbs(Who + "kLoad=" + IntStr(kLoad));
    return false;
  }
  if (nX == 0 || nY == 0 || static_cast<int32_t>(aData.size()) != nX) {
    WARNAbs(Who + "nX=" + IntStr(nX) + " nY=" + IntStr(nY));
    return false;
  }
  return MaskFits(Mask, Who);
}

bool TFIOut::FilteredMinMax(const TAByBy& Mask) {
  if (!PrepareMasked(Mask, "FIOut.FilteredMinMax-ERR: ")) return false;
  vMeanAv = 0;
  ixMinAv = iyMinAv = ixMaxAv = iyMaxAv = 0;
  double mn = vMax, mx = vMin, sum = 0;
  int32_t n = 0;
  for (int32_t y = 0; y < nY; ++y)
    for (int32_t x = 0; x < nX; ++x) {
      if (Mask[x][y] == 0) continue;
      const double v = aData[x][y];
      ++n;
      sum += v;
      if (!(v >= mn)) {
        mn = v;
        ixMinAv = x;
        iyMinAv = y;
      } else if (v > mx) {
        mx = v;
        ixMaxAv = x;
        iyMaxAv = y;
      }
    }
  Scans().Filt.MaskN = n;
  vMeanAv = n > 0 ? sum / n : 0;
  vMinAv = mn;
  vMaxAv = mx;
  return true;
}

bool TFIOut::MaskMax_Y3(const TAByBy& Mask, double K) {
  if (!PrepareMasked(Mask, "FIOut.MaskMax_Y3-ERR: ")) return false;
  double best = vMin;
  int32_t bx = 0, by = 0;
  const double h = K / 2;
  for (int32_t y = 0; y < nY; ++y)
    for (int32_t x = 0; x < nX; ++x) {
      const double v = aData[x][y];
      if (Mask[x][y] == 0 || !(v > best)) continue;
      double s;
      if (nX == 1)
        s = 2.0 * v;  // a single column has no neighbours: the pixel is its own
      else if (x == 0)
        s = 2.0 * aData[1][y];
      else if (x == nX - 1)
        s = 2.0 * aData[x - 1][y];
      else
        s = static_cast<double>(aData[x - 1][y]) + aData[x + 1][y];
      if (h * s >= v) {
        best = v;
        bx = x;
        by = y;
      }
    }
  vMaxY3 = best;
  ixMaxY3 = bx;
  iyMaxY3 = by;
  return true;
}

void TFIOut::UpdateMasked() {
  const TFiltState& f = Scans().Filt;
  if (f.State == 1 && f.MaskN > 0) FilteredMinMax(f.Mask);
}

void TFIOut::AMeanX(TARe& Means) const {
  Means.clear();
  if (kLoad < 2 || static_cast<int32_t>(aData.size()) < nX)
    return WARNAbs("Вызов FO.AMeanX("_cp + Name + ") когда массив не заполнен, kLoad="_cp +
                   IntStr(kLoad));
  Means.assign(static_cast<size_t>(nY) + 1, 0.0);
  for (int32_t y = 0; y < nY; ++y) {
    double s = 0;
    for (int32_t x = 0; x < nX; ++x) s += aData[x][y];
    Means[y + 1] = nX > 0 ? s / nX : 0;
  }
}

void TFIOut::AMeanY(TARe& Means) const {
  Means.clear();
  if (kLoad < 2 || static_cast<int32_t>(aData.size()) < nX)
    return WARNAbs("Вызов FO.AMeanY("_cp + Name + ") когда массив не заполнен, kLoad="_cp +
                   IntStr(kLoad));
  Means.assign(static_cast<size_t>(nX) + 1, 0.0);
  for (int32_t x = 0; x < nX; ++x) {
    double s = 0;
    for (int32_t y = 0; y < nY; ++y) s += aData[x][y];
    Means[x + 1] = nY > 0 ? s / nY : 0;
  }
}

void TFIOut::MaskedAMeanX(const TAByBy& Mask, TARe& Axis, TARe& Means) const {
  Axis.assign(1, 0.0);
  Means.assign(1, 0.0);
  if (kLoad < 2 || static_cast<int32_t>(aData.size()) < nX)
    return WARNAbs("Вызов FO.MaskedAMeanX("_cp + Name + ") когда массив не заполнен, kLoad="_cp +
                   IntStr(kLoad));
  if (!MaskFits(Mask, "FO.MaskedAMeanX-ERR: ")) return;
  for (int32_t y = 0; y < nY; ++y) {
    double s = 0;
    int32_t n = 0;
    for (int32_t x = 0; x < nX; ++x)
      if (Mask[x][y]) s += aData[x][y], ++n;
    if (n == 0) continue;
    Axis.push_back(y);
    Means.push_back(s / n);
  }
}

void TFIOut::MaskedMeansY(const TAByBy& Mask, const std::string& Who,
                          const std::function<double(int32_t)>& AxisOf, TARe& Axis,
                          TARe& Means) const {
  Axis.assign(1, 0.0);
  Means.assign(1, 0.0);
  if (kLoad < 2 || static_cast<int32_t>(aData.size()) < nX)
    return WARNAbs("Вызов FO."_cp + Who + "(" + Name + ") когда массив не заполнен, kLoad="_cp +
                   IntStr(kLoad));
  if (!MaskFits(Mask, "FO." + Who + "-ERR: ")) return;
  for (int32_t x = 0; x < nX; ++x) {
    double s = 0;
    int32_t n = 0;
    for (int32_t y = 0; y < nY; ++y)
      if (Mask[x][y]) s += aData[x][y], ++n;
    if (n == 0) continue;
    Axis.push_back(AxisOf(x));
    Means.push_back(s / n);
  }
}

bool TFIOut::OwnerAxisOk(const std::string& Who, const TARe* Ax,
                         const std::string& AxName) const {
  if (!Owner) {
    WARNAbs("FO." + Who + "-ERR: TLFITS(Owner) Not Assigned!");
    return false;
  }
  if (static_cast<int32_t>(Ax->size()) != nX + 1) {
    WARNAbs("FO." + Who + "-ERR: length(LFITS." + AxName + ")=" +
            IntStr(static_cast<int32_t>(Ax->size())) + " <> nX=" + IntStr(nX));
    return false;
  }
  return true;
}

void TFIOut::MaskedAMeanY(const TAByBy& Mask, TARe& Axis, TARe& Means) const {
  MaskedMeansY(Mask, "MaskedAMeanY", [](int32_t x) { return double(x); }, Axis, Means);
}

void TFIOut::MaskedAMeanYt(const TAByBy& Mask, TARe& Axis, TARe& Means) const {
  Axis.assign(1, 0.0);
  Means.assign(1, 0.0);
  if (!OwnerAxisOk("MaskedMeanYt", Owner ? &Owner->AXT : nullptr, "AXT")) return;
  MaskedMeansY(Mask, "MaskedAMeanYt", [this](int32_t x) { return Owner->AXT[x + 1]; }, Axis,
               Means);
}

void TFIOut::MaskedAMeanYKey(const TAByBy& Mask, const std::string& Key, TARe& Axis,
                             TARe& Means) const {
  Axis.assign(1, 0.0);
  Means.assign(1, 0.0);
  if (!OwnerAxisOk("MaskedMeanYt", Owner ? &Owner->AXT : nullptr, "AXT")) return;
  MaskedMeansY(Mask, "MaskedAMeanYt",
               [this, &Key](int32_t x) {
                 TFITS* f = Owner->FITSByIndex(x);
                 return f ? f->GetKeyVal(Key) : 0.0;
               },
               Axis, Means);
}

void TFIOut::MaskedAMeanYvO(const TAByBy& Mask, TARe& Axis, TARe& Means) const {
  Axis.assign(1, 0.0);
  Means.assign(1, 0.0);
  if (!OwnerAxisOk("MaskedMeanYvO", Owner ? &Owner->AXvO : nullptr, "AXvO")) return;
  MaskedMeansY(Mask, "MaskedAMeanYvO", [this](int32_t x) { return Owner->AXvO[x + 1]; }, Axis,
               Means);
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string TFIOut::DTKey() const { return Da + "_" + Ti; }
std::string TFIOut::ShortDT() const {
  return (Da.size() > 2 ? Da.substr(2) : std::string()) + "_" + Ti.substr(0, 4);
}
std::string TFIOut::DisplayName() const { return Name + "|" + ShortDT(); }
std::string TFIOut::YearMonth() const {
  return Da.substr(0, 4) + "_" + (Da.size() > 4 ? Da.substr(4, 2) : std::string());
}

std::string TFIOut::SizeText() const {
  if (!FIOutAssigned(this)) return "-";
  const int32_t cards = HSL ? HSL->Count() : 0;
  std::string s = "FIT " + Name + " k=" + IntStr(kSoft) + " [" + IntStr(nX) + "," + IntStr(nY) +
                  "] ";
  if (HSL) s += "header " + IntStr(cards) + "str ";
  if (!aData.empty())
    s += "aData[" + IntStr(static_cast<int32_t>(aData.size())) + "," +
         IntStr(static_cast<int32_t>(aData[0].size())) + "] ";
  else
    s += "aData[NAN] ";
  const int64_t total = (HSL ? 80LL * cards : 0) + 4LL * nX * nY;
  return s + " Total=" + I64Str(total);
}

// ---------------------------------------------------------------------------------------------
// File names

std::string MapRoot() {
  std::string r = Slashes(Scans().DataRoot());
  if (r.empty()) r = DefaultScanRoot(std::string());
  if (!r.empty() && r.back() != '/') r += '/';
  return r;
}

std::string GetCVFITName(const std::string& Da, const std::string& Ti) {
  if (!ValidDaTi(Da, Ti, 4)) {
    WARNAbs("GetCVFITName(" + Da + "," + Ti + ")-Err in length of sDt or sTi!");
    return "";
  }
  const std::string dt = Da + "_" + Ti.substr(0, 4);
  return MapRoot() + Ym(Da) + "/" + dt + "/" + dt + ".fits";
}

std::string GetMEFITName(const std::string& Da, const std::string& Ti) {
  if (!ValidDaTi(Da, Ti, 6)) {
    WARNAbs("GetMEFITName(" + Da + "," + Ti + ")-Err in length of sDt or sTi!");
    return "";
  }
  return MapRoot() + Ym(Da) + "/" + Da + "_" + Ti.substr(0, 4) + "/" + Da + "_" +
         Ti.substr(0, 6) + ".fits";
}

std::string GetM2FITName(const std::string& Da, const std::string& Ti) {
  const std::string me = GetMEFITName(Da, Ti);
  return me.empty() ? me : me.substr(0, me.size() - 5) + "_L2.1.fits";
}

std::string GetFITNameByKind(int32_t Kind, const std::string& Da, const std::string& Ti) {
  switch (Kind) {
    case 1: return GetCVFITName(Da, Ti);
    case 2: return GetMEFITName(Da, Ti);
    case 3: return GetM2FITName(Da, Ti);
    default: return "";
  }
}

std::string TFIOut::FileName() const {
  if (Da.size() < 8 || kSoft < 1 || kSoft > 3) return "";
  return GetFITNameByKind(kSoft, Da, Ti);
}

// ---------------------------------------------------------------------------------------------
// Save sessions: a temporary copy, renamed over the file on Commit

TMapSaveSession::TMapSaveSession(const std::string& File) : file_(File) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(File, ec)) return;
  RemoveStaleTemps(File);
  tmp_ = TempName(File);
  std::filesystem::copy_file(File, tmp_, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    WARNAbs("Не удалось скопировать файл <"_cp + File + "> в <" + tmp_ + ">: " + ec.message());
    return;
  }
  if (!ReadMapDir(tmp_, dir_, nullptr)) {
    std::filesystem::remove(tmp_, ec);
    return;
  }
  fd_ = ::open(tmp_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st{};
  size_ = ::fstat(fd_, &st) == 0 ? st.st_size : 0;
  prev_ = tCurrentSession;
  tCurrentSession = this;
}

TMapSaveSession::~TMapSaveSession() {
  if (tCurrentSession == this) tCurrentSession = prev_;
  if (fd_ >= 0) {
    ::close(fd_);
    std::error_code ec;
    std::filesystem::remove(tmp_, ec);
  }
}

TMapSaveSession* TMapSaveSession::Current() { return tCurrentSession; }

bool TMapSaveSession::Write(int64_t Offset, const void* Data, int64_t Len) {
  if (fd_ < 0) return false;
  if (!WriteAll(fd_, Data, Len, Offset)) return false;
  size_ = std::max(size_, Offset + Len);
  return true;
}

bool TMapSaveSession::Truncate(int64_t Len) {
  if (fd_ < 0 || ::ftruncate(fd_, Len) != 0) return false;
  size_ = Len;
  return true;
}

bool TMapSaveSession::Commit() {
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  ::close(fd_);
  fd_ = -1;
  if (tCurrentSession == this) tCurrentSession = prev_;
  std::error_code ec;
  if (synced) std::filesystem::rename(tmp_, file_, ec);
  if (!synced || ec) {
    WARNAbs("Ошибка при записи файла <"_cp + file_ + ">: " +
            (ec ? ec.message() : std::string(std::strerror(errno))));
    std::filesystem::remove(tmp_, ec);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Writing

void TFIOut::CVOUTHeader() {
  if (!FIOutAssigned(this)) return WARNAbs("TFIOut.CVOUTHeader ERR FIOut Not Assigned!");
  HSL->Clear();
  const std::string now = NowStamp();
  HSL->Add(FITCardQ("XTENSION", "IMAGE", "IMAGE extension"));
  HSL->Add(FITCardI("BITPIX", -32, "IEEE single precision floating point"));
  HSL->Add(FITCardI("NAXIS", 2, "Number of data axes"));
  HSL->Add(FITCardI("NAXIS1", nX, "Number of positions along axis 1"));
  HSL->Add(FITCardI("NAXIS2", nY, "Number of positions along axis 2"));
  HSL->Add(FITCardI("PCOUNT", 0, "No Group Parameters"));
  HSL->Add(FITCardI("GCOUNT", 1, "One Data Group"));
  HSL->Add(FITCardStr("EXTNAME", Name.substr(0, 20), "CV: " + Com));
  HSL->Add(FITCardStr("ALG_VER", Ver, "Version of algorithm"));
  HSL->Add(FITCardStr("CALCTIME", now, "Date_Time of Calculations"));
  HSL->Add(FITCardRF("VAL_MIN", 7, "Minimal Value on the Map", vMin));
  HSL->Add(FITCardRF("VAL_MAX", 7, "Maximum Value on the Map", vMax));
  HSL->Add(FITCardRF("VAL_MEAN", 7, "Averaged Value on the Map", vMean));
  HSL->Add(FITEndCard());
  while (HSL->Count() < 36) HSL->Add(FITBlankCard());
}

bool TFIOut::Save() {
  const std::string file = FileName();
  const std::string who = kNl + "Name=" + Name + " Var=" + sVar + kNl + "fNam=" + file;
  if (aData.empty()) {
    WARNAbs("FO.Save Err: aData Not Assigned" + who);
    return false;
  }
  if (static_cast<int32_t>(aData.size()) != nX || static_cast<int32_t>(aData.Cols()) != nY) {
    WARNAbs("FO.Save Err: Length(aData)<>(nX=" + IntStr(nX) + "), nY=" + IntStr(nY) + who);
    return false;
  }
  if (!IsFilled() && !CheckLoaded("FIOut.Save")) return false;
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
    WARNAbs("Сперва надо создать файл\r\n<"_cp + file + ">" + kNl +
            "а уже потом выводить туда карту "_cp + Name);
    return false;
  }
  const int32_t nCut = Scans().NCut;
  if (nCut <= 0) {
    WARNAbs("FO.Save Err: NCut=" + IntStr(nCut));
    return false;
  }
  // The session of the running job for this file, or one for this save alone.
  std::unique_ptr<TMapSaveSession> own;
  TMapSaveSession* s = TMapSaveSession::Current();
  if (!s || s->File() != file) {
    own = std::make_unique<TMapSaveSession>(file);
    s = own.get();
  }
  if (!s->Ok()) return false;
  auto& dir = s->Dir();
  const std::string stored = Name.substr(0, 20);
  int32_t found = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(dir.size()); ++i) {
    if (dir[i].Name != stored) continue;
    const int64_t b = dir[i].nb0;
    if (b > 0 && nb0 == 0) nb0 = b;
    if (b > 0 && b != nb0) {
      int32_t j = 0;
      for (int32_t k = 0; k < static_cast<int32_t>(dir.size()); ++k)
        if (dir[k].nb0 == nb0) j = k + 1;
      WARNAbs("Найдено более одной карты с именем <"_cp + Name + "> в CV-FITS файле"_cp + kNl +
              file + kNl + "в строках "_cp + IntStr(j) + " и "_cp + IntStr(i + 1) + kNl +
              "позиции "_cp + I64Str(b) + " и "_cp + I64Str(nb0) + kNl +
              "НАДО ПОЧИСТИТЬ файл от дублей, прежде чем сохранять данные"_cp);
      return false;
    }
    found = i;
  }
  if (found < 0 && nb0 > 0) {
    // The map's offset is not an extension of this file (another file's, or a stale one).
    nb0 = 0;
  }
  if (Ver.empty())
    WARNAbs("Для карты FITS_Out с именем "_cp + Name + " не задана версия алгоритма"_cp);
  else
    CVOUTHeader();
  std::string head;
  if (!HSL || HSL->Count() == 0 || !HeaderBytes(*HSL, head)) return false;
  const int64_t dataLen = 4LL * nX * nY;
  int64_t at = nb0 == 0 ? s->Size() : nb0;
  if (found >= 0 && found + 1 < static_cast<int32_t>(dir.size()) &&
      at + static_cast<int64_t>(head.size()) + dataLen > dir[found + 1].nb0) {
    WARNAbs("FO.Save Err: карта <"_cp + Name + "> [" + IntStr(nX) + "," + IntStr(nY) +
            "] больше прежней и не помещается перед следующей картой в файле"_cp + kNl + file);
    return false;
  }
  // One buffer: header, big-endian data (x fastest), zero padding to the next NCut multiple.
  const int64_t end = at + static_cast<int64_t>(head.size()) + dataLen;
  const int64_t next = ((end - 1) / nCut + 1) * nCut;
  // A rewrite in place zeroes what is left of the old extension up to the next one; a rewritten
  // last extension ends the file.
  const bool last = found < 0 || found + 1 >= static_cast<int32_t>(dir.size());
  const int64_t span = last ? next - at : dir[found + 1].nb0 - at;
  // One conversion buffer per thread, kept between maps: the data is in memory as in the file
  // (x fastest), so it is swapped to big-endian in one run.
  thread_local std::vector<char> tBuf;
  if (static_cast<int64_t>(tBuf.size()) < span) tBuf.resize(static_cast<size_t>(span));
  char* const buf = tBuf.data();
  std::memcpy(buf, head.data(), head.size());
  SwapCopy(aData.Data(), buf + head.size(), aData.Count());
  const int64_t used = static_cast<int64_t>(head.size()) + dataLen;
  std::memset(buf + used, 0, static_cast<size_t>(span - used));
  if (!s->Write(at, buf, span) || (last && !s->Truncate(at + span))) {
    WARNAbs("Ошибка при записи блока в файл \r\n<"_cp + file + ">" + kNl + "I=1, nb0=" +
            I64Str(at) + ", LStr=80" + kNl + "IOResult of Reset = " + IntStr(errno) + kNl +
            "ErrLast=<" + std::strerror(errno) + ">");
    return false;
  }
  nb0 = at;
  nbHd = static_cast<int32_t>(head.size());
  nbData0 = nb0 + nbHd;
  nbData = dataLen;
  if (found < 0) dir.push_back({stored, nb0, nbData0, nbHd, nbData});
  else dir[found] = {stored, nb0, nbData0, nbHd, nbData};
  return own ? own->Commit() : true;
}

// ---------------------------------------------------------------------------------------------
// Main header of the scan's own output file

void MakeMainHeader(TLFITS& Scan, const TScanMapStats& St, TStringList& C) {
  if (Scan.TSTART.empty()) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(Scan.OutFolder + "/" + Scan.sFNME, ec)) {
      int32_t n = 0;
      int64_t b = 0;
      Scan.ReadMEMainHeader(n, b);
    }
  }
  const std::string stamp = NowStamp();
  C.Clear();
  C.Add(FITCardStr("SIMPLE", "T", "Written By Corvesta " + stamp));
  C.Add(FITCardStr("CRE_TIME", stamp, "The CV_FITS Creation Time"));
  C.Add(FITCardStr("HD_VER", "20241023", "Main Header Version"));
  C.Add(FITCardI("BITPIX", 8, ""));
  C.Add(FITCardI("NAXIS", 0, ""));
  C.Add(FITCardI("NAXIS1", Scan.nX, ""));
  C.Add(FITCardI("NAXIS2", Scan.Refs.nY, ""));
  C.Add(FITCardI("NSLITPOS", Scan.Refs.NSLITPOS, ""));
  C.Add(FITCardStr("EXTEND", "T", "File contains extensions"));
  C.Add(FITCardRF("XCEN", 6, "", Scan.MEXCEN));
  C.Add(FITCardRF("YCEN", 6, "", Scan.MEYCEN));
  C.Add(FITCardRF("XSCALE", 6, "", Scan.MEXSCALE));
  C.Add(FITCardRF("YSCALE", 6, "", Scan.MEYSCALE));
  C.Add(FITCardQ("TSTART", Scan.TSTART, ""));
  C.Add(FITCardQ("TEND", Scan.TEND, ""));
  C.Add(FITCardRF("P_ANGLE", 12, "", Scan.P_ANGLE));
  C.Add(FITCardRF("B_ANGLE", 12, "", Scan.B_ANGLE));
  C.Add(FITCardRF("SOLAR_RA", 12, "", Scan.SOLAR_RA));
  C.Add(FITCardRF("EXPTIME", 4, "", Scan.Refs.EXPTIME));
  C.Add(FITCardRF("CNT_H0", 12, "CONT Level for regions without Field", St.CNT_H0));
  C.Add(FITCardRF("CNT_MI", 6, "Minimal normolized CONT level", St.CNT_MI));
  C.Add(FITCardRF("CNT_MA", 6, "Maximal normolized CONT level", St.CNT_MA));
  C.Add(FITCardRF("HL_N_MA", 6, "Longitud.Field Max Value N", St.HL_N_MA));
  C.Add(FITCardRF("HL_S_MA", 6, "Longitud.Field Max Value S", St.HL_S_MA));
  C.Add(FITCardRF("VL_R_MA", 6, "V_los_red  Max Value", St.VL_R_MA));
  C.Add(FITCardRF("VL_B_MA", 6, "V_los_blue Max Value", St.VL_B_MA));
  C.Add(FITCardRF("GC_1", 12, "6301 Center of Gravity", St.GC_1));
  C.Add(FITCardRF("GC_2", 12, "6302 Center of Gravity", St.GC_2));
  C.Add(FITCardRF("LC_1", 12, "6301 Central WaveLength", St.LC_1));
  C.Add(FITCardRF("LC_2", 12, "6302 Central WaveLength", St.LC_2));
  C.Add(FITCardI("ICNT_MA", St.ICNT_MA, "I CONT MAX"));
  C.Add(FITCardI("ICNT_MI", St.ICNT_MI, "I CONT MIN"));
  C.Add(FITCardI("IVABS_MA", St.IVABS_MA, "V MAX"));
  C.Add(FITCardRF("VIABS_MA", 6, "V/CONT MAX", St.VIABS_MA));
  C.Add(FITCardRF("K_CONT", 4, "CONT Corrector", St.K_CONT));
  C.Add(FITCardRF("DL6301", 4, "6301 DELTA WaveLength, mA", St.DL6301));
  C.Add(FITCardRF("DL6302", 4, "6302 DELTA WaveLength, mA", St.DL6302));
  C.Add(FITEndCard());
  while (C.Count() < 72) C.Add(FITBlankCard());
  Scans().ShowScanInfo(Scan);
}

bool WriteMainHeader(TLFITS& Scan, const TScanMapStats& Stats) {
  if (Scan.OutFolder == "###" || Scan.sFN.empty()) {
    WARNAbs("WriteMainHeader: scan not linked");
    return false;
  }
  const std::string file = Scan.OutFolder + "/" + Scan.sFN;
  TStringList cards;
  MakeMainHeader(Scan, Stats, cards);
  std::string head;
  if (!HeaderBytes(cards, head)) return false;
  // The new file is made beside the old one and renamed in: the old file is moved to its backup
  // name only once the new one is complete.
  ForceFileDir(file);
  RemoveStaleTemps(file);
  const std::string tmp = TempName(file);
  const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && WriteAll(fd, head.data(), static_cast<int64_t>(head.size()), 0) &&
            ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  std::error_code ec;
  if (ok && std::filesystem::exists(file, ec)) ok = !BackupRename(file).empty();
  if (ok) std::filesystem::rename(tmp, file, ec);
  if (!ok || ec) {
    WARNAbs("Ошибка при записи блока в файл \r\n<"_cp + file + ">" + kNl + "I=1, nb0=0, LStr=80" +
            kNl + "ErrLast=<" + (ec ? ec.message() : std::string(std::strerror(errno))) + ">");
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// Reads the extension header at Offset of an open file; the outcome for the walks.
enum class THead { Read, End, NoName, Bad };

THead ReadExt(const std::string& File, int Fd, int64_t Size, TFIOut& M, int64_t& Offset) {
  int64_t h = FindNot(Fd, Offset, 0);
  if (h == Offset) h = FindNot(Fd, Offset, ' ');
  if (h < 0 || h >= Size) return THead::End;
  M.nb0 = h;
  int32_t nHead = 0;
  std::string err;
  if (!ReadCardsAt(Fd, File, h, Size, *M.HSL, nHead, err)) {
    WARNAbs(err);
    return THead::Bad;
  }
  M.nbHd = nHead * 80;
  M.nbData0 = h + M.nbHd;
  const TStringList* H = M.HSL.get();
  const int32_t naxis = std::clamp(ToInt(GetFITKeyS80All("NAXIS", H).empty()
                                             ? std::string("0")
                                             : GetFITKeyAll("NAXIS", H)),
                                   0, 10);
  int64_t p = 1;
  for (int32_t k = 1; k <= naxis; ++k) {
    const std::string v = GetFITKeyAll("NAXIS" + IntStr(k), H);
    p *= v.empty() ? 0 : std::max<int64_t>(ToInt(v), 0);
  }
  auto keyI = [&](const std::string& K) {
    const std::string v = GetFITKeyAll(K, H);
    return v.empty() ? 0 : ToInt(v);
  };
  M.nX = keyI("NAXIS1");
  M.nY = keyI("NAXIS2");
  M.nbData = p * (std::abs(keyI("BITPIX")) / 8);
  const std::string c = GetFITKeyS80All("EXTNAME", H);
  const std::string name = c.empty() ? std::string() : CardUnquote(CardValue(c));
  if (name.empty()) {
    TStringList rep;
    rep.Add("не найден ключ EXTNAME в строках от хидера -->"_cp);
    rep.Add(File + " offset " + I64Str(h));
    rep.AddStrings(*M.HSL);
    WARNAbsSL(&rep);
    return THead::NoName;
  }
  M.Name = name;
  M.Com = CardComment(c);
  if (M.kSoft == 1) {
    M.Ver = GetFITKeyAll("ALG_VER", H);
    if (M.Ver.empty()) M.Ver = "220101";
  } else {
    M.Ver.clear();
  }
  Offset = M.nbData0 + M.nbData;
  return THead::Read;
}

}  // namespace

bool TFIOut::LoadHeader(int64_t& Offset) {
  if (!FIOutAssigned(this)) {
    WARNAbs("FIOut.LoadHeader(" + I64Str(Offset) + ")-Err: FIOut Not Assigned!");
    return false;
  }
  if (Da.size() != 8 || Ti.size() < 4) {
    WARNAbs("FIOut.LoadHeader(" + I64Str(Offset) + ")-Err: in Da=<" + Da + "> or Ti=<" + Ti +
            "> strings!");
    return false;
  }
  const std::string file = FileName();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  const int64_t size = ::fstat(fd, &st) == 0 ? st.st_size : 0;
  int64_t off = Offset;
  const THead r = ReadExt(file, fd, size, *this, off);
  ::close(fd);
  if (r != THead::Read) return false;
  Offset = off;
  return true;
}

bool TFIOut::LoadData(const std::string& File, int64_t Offset) {
  if (kSoft < 1 || kSoft > 3) {
    WARNAbs("FIOut.LoadData-ERR: Карта <"_cp + Name + "> типа "_cp + IntStr(kSoft) + kNl +
            "не может быть загружена из файла."_cp + kNl + "Она должна быть рассчитана!"_cp);
    return false;
  }
  if (Offset == 0) {
    WARNAbs("TFIOut.LoadData \r\n<" + File + "> карта<"_cp + Name + ">" + kNl + "nb0=$" +
            Hex8(Offset) + kNl + "nbData=" + I64Str(nbData) + " nbData0=$" + Hex8(nbData0) +
            kNl + "ERR: Не задана привязка карты к файлу!"_cp);
    return false;
  }
  if (static_cast<int64_t>(nX) * nY <= 0) {
    WARNAbs("TFIOut.LoadData(<" + File + "> nb0=$," + Hex8(Offset) + ") ERR:" + kNl +
            "Не задан nX="_cp + IntStr(nX) + " или nY="_cp + IntStr(nY));
    kLoad = 0;
    return false;
  }
  kLoad = 1;
  const int64_t len = 4LL * nX * nY;
  // The values are read straight into the map's block (a block of the same size is reused), a
  // piece at a time, each piece swapped to native order in place and, where the processor has
  // the vector unit for it, counted into the statistics while it is still in the cache.
  aData.Shape(static_cast<size_t>(nX), static_cast<size_t>(nY));
  char* const dst = reinterpret_cast<char*>(aData.Data());
  const int fd = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
  const int err = fd < 0 ? errno : 0;
  // Each piece is read, then converted while it is in the cache; the pieces' counts are merged
  // in file order.
  constexpr int64_t kPiece = 128 * 1024;
  const int64_t pieces = fd >= 0 ? (len + kPiece - 1) / kPiece : 0;
  const bool simd = HasAvx2();
  TQuickStats q;
  int64_t got = 0;
  for (int64_t i = 0; i < pieces; ++i) {
    const int64_t at = i * kPiece, want = std::min(kPiece, len - at);
    const int64_t r = ReadAll(fd, dst + at, want, Offset + at);
    got += std::max<int64_t>(r, 0);
    if (r != want) break;
    float* const piece = aData.Data() + at / 4;
    if (simd) {
      TQuickStats p;
      SwapScanAvx2(piece, static_cast<size_t>(want / 4), static_cast<size_t>(at / 4), p);
      MergeQuick(q, p);
    } else {
      SwapCopy(piece, piece, static_cast<size_t>(want / 4));
    }
  }
  if (fd >= 0) ::close(fd);
  if (got != len) {
    // A short or failed read leaves the map empty: zeros are no data.
    WARNAbs("TFIOut.LoadData Ошибка при чтении блока из файла \r\n<"_cp + File + ">" + kNl +
            "I = 1 nbH0=" + I64Str(Offset) + " LData=" + I64Str(len) + kNl +
            "IOResult of Reset = " + IntStr(fd < 0 ? err : 100) + kNl + "ErrLast=<" +
            (fd < 0 ? std::string(std::strerror(err))
                    : "read " + I64Str(got) + " of " + I64Str(len) + " bytes") +
            ">");
    AssignMem(nX, nY);
    return false;
  }
  kRun = kLive;
  TMapStats st;
  const float* const v = aData.Data();
  if (simd && SumIsExact(q)) {
    // No NaN and an exact sum: the extremes are the first places of the smallest and largest
    // values, as the value-by-value rule finds them.
    const size_t kMin = q.MinAt, kMax = q.MaxAt;
    st.Sum = q.Sum;
    st.Min = v[kMin];
    st.Max = v[kMax];
    st.IxMin = static_cast<int32_t>(kMin % static_cast<size_t>(nX));
    st.IyMin = static_cast<int32_t>(kMin / static_cast<size_t>(nX));
    st.IxMax = static_cast<int32_t>(kMax % static_cast<size_t>(nX));
    st.IyMax = static_cast<int32_t>(kMax / static_cast<size_t>(nX));
  } else {
    for (int32_t y = 0; y < nY; ++y) st.Add(aData.Line(static_cast<size_t>(y)), nX, 0, y);
  }
  if (st.Sum != 0) {
    kLoad = 2;
    SetStats(st);  // what MinMaxMean finds, counted on the way
    return true;
  }
  WARNAbs("Пустые данные "_cp + Name + " в файле "_cp + File);
  return false;
}

// ---------------------------------------------------------------------------------------------
// Extension walk

bool WalkMapFile(const std::string& File, int32_t Kind, const std::string& Da,
                 const std::string& Ti, bool Round36, TStringList* Primary,
                 const std::function<bool(std::unique_ptr<TFIOut>&)>& Each) {
  const int fd = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    WARN("TLFIOut.Load-CV/ME-FITS ERR: файла\r\n<"_cp + File + ">" + kNl + "не существует!"_cp);
    return false;
  }
  struct stat st{};
  const int64_t size = ::fstat(fd, &st) == 0 ? st.st_size : 0;
  TStringList prim;
  int32_t nHead = 0;
  std::string err;
  if (!ReadCardsAt(fd, File, 0, size, prim, nHead, err)) {
    WARNAbs(err);
    ::close(fd);
    return false;
  }
  if (Primary) {
    Primary->Clear();
    Primary->AddStrings(prim);
  }
  int64_t n = nHead;
  if (Round36) n = (n + 35) / 36 * 36;
  int64_t off = n * 80;
  bool ok = true;
  for (int32_t kh = 1; off < size; ++kh) {
    auto m = std::make_unique<TFIOut>();
    m->kSoft = Kind;
    m->Da = Da;
    m->Ti = Ti;
    m->KH = kh;
    const THead r = ReadExt(File, fd, size, *m, off);
    if (r == THead::End) break;
    if (r != THead::Read) {
      ok = false;
      break;
    }
    if (m->nbData0 + m->nbData > size) {
      WARNAbs("Карта <"_cp + m->Name + "> в файле <"_cp + File + "> по смещению "_cp +
              I64Str(m->nbData0) + ": данные обрезаны ("_cp + I64Str(size - m->nbData0) +
              " из "_cp + I64Str(m->nbData) + ")");
      ok = false;
      Each(m);
      break;
    }
    if (!Each(m)) break;
  }
  ::close(fd);
  return ok;
}

bool ReadMapDir(const std::string& File, std::vector<TMapExt>& Dir, TStringList* Primary,
                bool Round36) {
  Dir.clear();
  return WalkMapFile(File, 1, "00000000", "0000", Round36, Primary,
                     [&](std::unique_ptr<TFIOut>& M) {
                       Dir.push_back({M->Name, M->nb0, M->nbData0, M->nbHd, M->nbData});
                       return true;
                     });
}
