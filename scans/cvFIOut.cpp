#include "scans/cvFIOut.h"
#include "scans/cvR4Pict.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvHelperPool.h"
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

}  // namespace

// Minimum, maximum and sum of a map's values taken in any order, with what tells whether that sum
// is the one taken value by value (SumIsExact).
struct TMapQuickStats {
  double Sum = 0;  // not finite when a value is an infinity or a NaN
  float Min = 0, Max = 0;
  size_t MinAt = 0, MaxAt = 0;  // first places of Min and Max
  size_t Count = 0;
  uint32_t MinAbsNZ = 0xFFFFFFFFu;  // bits of the smallest non-zero magnitude; all ones: none
  bool Any = false;
};

namespace {

// Values swapped and counted a group of blocks at a time: per block of kBlock values its
// minimum and maximum, per group the sum and the smallest non-zero magnitude (its bits less
// one: a zero's bits less one wrap to the largest unsigned value).
constexpr size_t kBlock = 1024, kGroup = 32;
struct TGroupScan {
  float BMin[kGroup], BMax[kGroup];
  double Sum = 0;
  uint32_t MinNZ1 = 0xFFFFFFFFu;
};

// The values of K .. N-1 one by one from S into D and block B of G (the end of a block).
void ScanTail(const float* S, float* D, size_t K, size_t N, float& Lo, float& Hi, TGroupScan& G) {
  for (; K < N; ++K) {
    uint32_t u;
    std::memcpy(&u, S + K, 4);
    u = __builtin_bswap32(u);
    std::memcpy(D + K, &u, 4);
    const float v = D[K];
    Lo = v < Lo ? v : Lo;
    Hi = v > Hi ? v : Hi;
    G.MinNZ1 = std::min(G.MinNZ1, (u & 0x7fffffffu) - 1u);
    G.Sum += v;
  }
}

// First K in [0, N) with P[K] == V (float equality), N when none.
size_t FindEq(const float* P, size_t N, float V) {
  for (size_t k = 0; k < N; ++k)
    if (P[k] == V) return k;
  return N;
}

#ifdef CV_MAP_AVX2
__attribute__((target("avx2"))) size_t FindEqAvx2(const float* P, size_t N, float V) {
  const __m256 w = _mm256_set1_ps(V);
  size_t k = 0;
  for (; k + 8 <= N; k += 8) {
    const int m = _mm256_movemask_ps(_mm256_cmp_ps(_mm256_loadu_ps(P + k), w, _CMP_EQ_OQ));
    if (m) return k + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(m)));
  }
  return k + FindEq(P + k, N - k, V);
}

struct TAcc8 {
  __m256 Mn, Mx;
  __m256d S0, S1;
};

__attribute__((target("avx2"), always_inline)) inline void Scan8(const float* S, float* D,
                                                                 TAcc8& A, __m256i& MinNZ1,
                                                                 __m256i Shuf, __m256i AbsMask,
                                                                 __m256i One) {
  __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(S));
  b = _mm256_shuffle_epi8(b, Shuf);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(D), b);
  const __m256 v = _mm256_castsi256_ps(b);
  A.Mn = _mm256_min_ps(A.Mn, v);
  A.Mx = _mm256_max_ps(A.Mx, v);
  MinNZ1 = _mm256_min_epu32(MinNZ1, _mm256_sub_epi32(_mm256_and_si256(b, AbsMask), One));
  A.S0 = _mm256_add_pd(A.S0, _mm256_cvtps_pd(_mm256_castps256_ps128(v)));
  A.S1 = _mm256_add_pd(A.S1, _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)));
}

// One group (N <= kBlock * kGroup values) from S into D (S may be D), 16 at a time in two
// independent sets of sums.
__attribute__((target("avx2"))) void ScanGroupAvx2(const float* S, float* D, size_t N,
                                                   TGroupScan& G) {
  const __m256i shuf = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3,
                                        2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  const __m256i absMask = _mm256_set1_epi32(0x7fffffff), one = _mm256_set1_epi32(1);
  const __m256 inf = _mm256_set1_ps(__builtin_inff()), ninf = _mm256_set1_ps(-__builtin_inff());
  const __m256d z = _mm256_setzero_pd();
  TAcc8 x{inf, ninf, z, z}, y = x;
  __m256i minNZ1 = _mm256_set1_epi32(-1);
  for (size_t b = 0, at = 0; at < N; ++b, at += kBlock) {
    const float* const s = S + at;
    float* const q = D + at;
    const size_t n = std::min(kBlock, N - at);
    x.Mn = y.Mn = inf;
    x.Mx = y.Mx = ninf;
    size_t k = 0;
    for (; k + 16 <= n; k += 16) {
      Scan8(s + k, q + k, x, minNZ1, shuf, absMask, one);
      Scan8(s + k + 8, q + k + 8, y, minNZ1, shuf, absMask, one);
    }
    for (; k + 8 <= n; k += 8) Scan8(s + k, q + k, x, minNZ1, shuf, absMask, one);
    alignas(32) float fm[8], fx[8];
    _mm256_store_ps(fm, _mm256_min_ps(x.Mn, y.Mn));
    _mm256_store_ps(fx, _mm256_max_ps(x.Mx, y.Mx));
    float lo = fm[0], hi = fx[0];
    for (int i = 1; i < 8; ++i) {
      lo = fm[i] < lo ? fm[i] : lo;
      hi = fx[i] > hi ? fx[i] : hi;
    }
    ScanTail(s, q, k, n, lo, hi, G);
    G.BMin[b] = lo;
    G.BMax[b] = hi;
  }
  alignas(32) double ds[4];
  alignas(32) uint32_t mz[8];
  _mm256_store_pd(ds, _mm256_add_pd(_mm256_add_pd(x.S0, x.S1), _mm256_add_pd(y.S0, y.S1)));
  _mm256_store_si256(reinterpret_cast<__m256i*>(mz), minNZ1);
  G.Sum += ds[0] + ds[1] + ds[2] + ds[3];
  for (int i = 0; i < 8; ++i) G.MinNZ1 = std::min(G.MinNZ1, mz[i]);
}

// GCC 12's AVX-512 headers warn about their own deliberately undefined values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
struct TAcc16 {
  __m512 Mn, Mx;
  __m512d S0, S1;
};

__attribute__((target("avx512f,avx512bw"), always_inline)) inline void Scan16(
    const float* S, float* D, TAcc16& A, __m512i& MinNZ1, __m512i Shuf, __m512i AbsMask,
    __m512i One) {
  __m512i b = _mm512_loadu_si512(S);
  b = _mm512_shuffle_epi8(b, Shuf);
  _mm512_storeu_si512(D, b);
  const __m512 v = _mm512_castsi512_ps(b);
  A.Mn = _mm512_min_ps(A.Mn, v);
  A.Mx = _mm512_max_ps(A.Mx, v);
  MinNZ1 = _mm512_min_epu32(MinNZ1, _mm512_sub_epi32(_mm512_and_si512(b, AbsMask), One));
  A.S0 = _mm512_add_pd(A.S0, _mm512_cvtps_pd(_mm512_castps512_ps256(v)));
  A.S1 = _mm512_add_pd(
      A.S1, _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1))));
}

// As ScanGroupAvx2, 32 at a time.
__attribute__((target("avx512f,avx512bw"))) void ScanGroupAvx512(const float* S, float* D,
                                                                  size_t N, TGroupScan& G) {
  const __m512i shuf = _mm512_broadcast_i32x4(
      _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
  const __m512i absMask = _mm512_set1_epi32(0x7fffffff), one = _mm512_set1_epi32(1);
  const __m512 inf = _mm512_set1_ps(__builtin_inff()), ninf = _mm512_set1_ps(-__builtin_inff());
  const __m512d z = _mm512_setzero_pd();
  TAcc16 x{inf, ninf, z, z}, y = x;
  __m512i minNZ1 = _mm512_set1_epi32(-1);
  for (size_t b = 0, at = 0; at < N; ++b, at += kBlock) {
    const float* const s = S + at;
    float* const q = D + at;
    const size_t n = std::min(kBlock, N - at);
    x.Mn = y.Mn = inf;
    x.Mx = y.Mx = ninf;
    size_t k = 0;
    for (; k + 32 <= n; k += 32) {
      Scan16(s + k, q + k, x, minNZ1, shuf, absMask, one);
      Scan16(s + k + 16, q + k + 16, y, minNZ1, shuf, absMask, one);
    }
    for (; k + 16 <= n; k += 16) Scan16(s + k, q + k, x, minNZ1, shuf, absMask, one);
    alignas(64) float fm[16], fx[16];
    _mm512_store_ps(fm, _mm512_min_ps(x.Mn, y.Mn));
    _mm512_store_ps(fx, _mm512_max_ps(x.Mx, y.Mx));
    float lo = fm[0], hi = fx[0];
    for (int i = 1; i < 16; ++i) {
      lo = fm[i] < lo ? fm[i] : lo;
      hi = fx[i] > hi ? fx[i] : hi;
    }
    ScanTail(s, q, k, n, lo, hi, G);
    G.BMin[b] = lo;
    G.BMax[b] = hi;
  }
  alignas(64) double ds[8];
  alignas(64) uint32_t mz[16];
  _mm512_store_pd(ds, _mm512_add_pd(_mm512_add_pd(x.S0, x.S1), _mm512_add_pd(y.S0, y.S1)));
  _mm512_store_si512(mz, minNZ1);
  for (int i = 0; i < 8; ++i) G.Sum += ds[i];
  for (int i = 0; i < 16; ++i) G.MinNZ1 = std::min(G.MinNZ1, mz[i]);
}
#pragma GCC diagnostic pop
#endif

using TScanGroup = void (*)(const float*, float*, size_t, TGroupScan&);
using TFindEq = size_t (*)(const float*, size_t, float);

std::atomic<int32_t> gWidthLimit{16};

// The widest vector unit of the processor (within the limit set for tests); none (plain swaps,
// statistics counted afterwards) without one.
TScanGroup GroupScanner() {
#ifdef CV_MAP_AVX2
  static const bool w16 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  static const bool w8 = __builtin_cpu_supports("avx2");
  const int32_t limit = gWidthLimit.load(std::memory_order_relaxed);
  return w16 && limit >= 16 ? ScanGroupAvx512 : w8 && limit >= 8 ? ScanGroupAvx2 : nullptr;
#else
  return nullptr;
#endif
}

}  // namespace

void LimitMapScanWidth(int32_t Floats) { gWidthLimit.store(Floats); }

namespace {

// N values in file order from S, the first being value number Base of the map, swapped into P
// (S may be P) and counted into Q. The first place of a new minimum or maximum is searched in
// the one block of the group where it first occurs.
void SwapScan(TScanGroup Scan, const float* S, float* P, size_t N, size_t Base,
              TMapQuickStats& Q) {
#ifdef CV_MAP_AVX2
  const TFindEq find = FindEqAvx2;
#else
  const TFindEq find = FindEq;
#endif
  for (size_t g0 = 0; g0 < N; g0 += kBlock * kGroup) {
    const size_t gn = std::min(kBlock * kGroup, N - g0);
    TGroupScan g;
    Scan(S + g0, P + g0, gn, g);
    const size_t nb = (gn + kBlock - 1) / kBlock;
    float lo = g.BMin[0], hi = g.BMax[0];
    size_t blo = 0, bhi = 0;
    for (size_t b = 1; b < nb; ++b) {
      if (g.BMin[b] < lo) lo = g.BMin[b], blo = b;
      if (g.BMax[b] > hi) hi = g.BMax[b], bhi = b;
    }
    if (!Q.Any || lo < Q.Min) {
      const size_t at = g0 + blo * kBlock;
      Q.Min = lo;
      Q.MinAt = Base + at + find(P + at, std::min(kBlock, N - at), lo);
    }
    if (!Q.Any || hi > Q.Max) {
      const size_t at = g0 + bhi * kBlock;
      Q.Max = hi;
      Q.MaxAt = Base + at + find(P + at, std::min(kBlock, N - at), hi);
    }
    Q.Any = true;
    Q.Sum += g.Sum;
    if (g.MinNZ1 != 0xFFFFFFFFu) Q.MinAbsNZ = std::min(Q.MinAbsNZ, g.MinNZ1 + 1u);
  }
  Q.Count += N;
}

// True when every value is a multiple of the smallest non-zero magnitude's unit in the last
// place, 2^u, and the count times the largest magnitude stays below 2^(u+51): then every partial
// sum, in any order, is a multiple of 2^u below 2^(u+53) in magnitude, exact in double, and the
// sum in any order equals the sum taken value by value. An infinity or a NaN makes the sum not
// finite (no sum of finite single values overflows a double): never exact. Without NaN the
// extremes are right, whatever the order.
bool SumIsExact(const TMapQuickStats& Q) {
  if (!Q.Any || !std::isfinite(Q.Sum)) return false;
  if (Q.MinAbsNZ == 0xFFFFFFFFu) return true;  // all zeros
  const int e = static_cast<int>(Q.MinAbsNZ >> 23);  // biased exponent; 0 for subnormals
  const int ulp = (e == 0 ? 1 : e) - 150;
  const double maxAbs = std::max(std::fabs(Q.Min), std::fabs(Q.Max));
  return static_cast<double>(Q.Count) * maxAbs < std::ldexp(1.0, ulp + 51);
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

// Cards from Offset up to END (at most 600) into Cards, NHead counted on over the blank cards
// after it (the end of the file ends them too). False with the report text when there is no END.
bool ReadCardsAt(int Fd, const std::string& File, int64_t Offset, int64_t Size, TStringList& Cards,
                 int32_t& NHead, std::string& Error, const char* Pre = nullptr,
                 int64_t PreLen = 0) {
  std::string buf(Pre ? Pre : "", Pre ? static_cast<size_t>(PreLen) : 0);
  int64_t have = static_cast<int64_t>(buf.size());
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
  std::string card;  // one buffer for every card
  while (!end && n < TFITS::kMaxCards) {
    if (!ensure(80LL * (n + 1))) {
      Error = "Ошибка при чтении заголовка из файла <"_cp + File + ">: конец файла в карте "_cp +
              IntStr(n + 1) + " заголовка по смещению "_cp + I64Str(Offset) + ", размер файла "_cp +
              I64Str(Size);
      return false;
    }
    card.assign(buf, 80 * static_cast<size_t>(n), 80);
    ++n;
    end = CardLookupKey(card) == "END";
    Cards.Add(card);
  }
  if (!end) {
    Error = "Нет карты END в первых 600 картах заголовка по смещению "_cp + I64Str(Offset) +
            " файла <"_cp + File + ">";
    return false;
  }
  static const std::string blank(80, ' ');
  int32_t m = n;
  while (ensure(80LL * (m + 1)) && buf.compare(80 * static_cast<size_t>(m), 80, blank) == 0) ++m;
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
  FreePict();
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
  RemoveStaleTempCopies(File);
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
  // A comment read back from a map file keeps its "CV: ": it is not added a second time.
  HSL->Add(FITCardStr("EXTNAME", Name.substr(0, 20),
                      Com.rfind("CV: ", 0) == 0 ? Com : "CV: " + Com));
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
  Scan.nsHead = C.Count();
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
  RemoveStaleTempCopies(file);
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
  // One read serves most headers: the padding before the header and its cards.
  thread_local std::string pre;
  pre.resize(2 * 2880);
  const int64_t got = std::max<int64_t>(ReadAll(Fd, pre.data(), 2 * 2880, Offset), 0);
  auto findNot = [&](int64_t From, char Value) {
    for (int64_t i = From - Offset; i < got; ++i)
      if (pre[static_cast<size_t>(i)] != Value) return Offset + i;
    return got < static_cast<int64_t>(pre.size()) ? int64_t{-1}
                                                   : FindNot(Fd, Offset + got, static_cast<uint8_t>(Value));
  };
  int64_t h = findNot(Offset, 0);
  if (h == Offset) h = findNot(Offset, ' ');
  if (h < 0 || h >= Size) return THead::End;
  M.nb0 = h;
  int32_t nHead = 0;
  std::string err;
  const int64_t skip = std::min(h - Offset, got);
  if (!ReadCardsAt(Fd, File, h, Size, *M.HSL, nHead, err, pre.data() + skip, got - skip)) {
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

namespace {

// N values from S in the file's byte order converted into P (S may be P) and, where the
// processor has the vector unit for it, counted into Q in the same pass. Base is the number of
// P's first value in the map.
void ConvertLoaded(const float* S, float* P, size_t N, size_t Base, TMapQuickStats& Q) {
  if (const TScanGroup scan = GroupScanner())
    SwapScan(scan, S, P, N, Base, Q);
  else
    SwapCopy(S, P, N);
}

// Bytes read at a time when a map is converted as it is read.
constexpr int64_t kPiece = 512 * 1024;

// This thread's piece buffer: the kernel copies each piece into memory that stays in the cache,
// and the conversion writes the map's block once (read straight into the block, the values
// would be written twice, by the kernel and by the swap).
float* PieceBuffer() {
  struct TFree {
    void operator()(float* P) const { ::operator delete(P, std::align_val_t{64}); }
  };
  thread_local std::unique_ptr<float, TFree> buf(
      static_cast<float*>(::operator new(kPiece, std::align_val_t{64})));
  return buf.get();
}

// Len bytes at Offset into Dst; with Q given, a piece at a time through the piece buffer, each
// piece converted into Dst and counted into Q; without, read as they stand. The count of bytes
// read.
int64_t ReadConverted(int Fd, float* Dst, int64_t Len, int64_t Offset, TMapQuickStats* Q,
                      float* Piece = nullptr) {
  if (!Q) return ReadAll(Fd, Dst, Len, Offset);
  float* const piece = Piece ? Piece : PieceBuffer();
  int64_t got = 0;
  for (int64_t at = 0; at < Len; at += kPiece) {
    const int64_t want = std::min(kPiece, Len - at);
    const int64_t r = ReadAll(Fd, piece, want, Offset + at);
    got += std::max<int64_t>(r, 0);
    if (r != want) break;
    ConvertLoaded(piece, Dst + at / 4, static_cast<size_t>(want / 4),
                  static_cast<size_t>(at / 4), *Q);
  }
  return got;
}

}  // namespace

bool TFIOut::StartLoad(const std::string& File, int64_t Offset) {
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
  if (nX <= 0 || nY <= 0) {
    WARNAbs("TFIOut.LoadData(<" + File + "> nb0=$," + Hex8(Offset) + ") ERR:" + kNl +
            "Не задан nX="_cp + IntStr(nX) + " или nY="_cp + IntStr(nY));
    kLoad = 0;
    return false;
  }
  kLoad = 1;
  // The values are read straight into the map's block (a block of the same size is reused).
  aData.Shape(static_cast<size_t>(nX), static_cast<size_t>(nY));
  return true;
}

bool TFIOut::LoadFailed(const std::string& File, int64_t Offset, int64_t Got, int OpenErr) {
  // A short or failed read leaves the map empty: zeros are no data.
  const int64_t len = 4LL * nX * nY;
  WARNAbs("TFIOut.LoadData Ошибка при чтении блока из файла \r\n<"_cp + File + ">" + kNl +
          "I = 1 nbH0=" + I64Str(Offset) + " LData=" + I64Str(len) + kNl +
          "IOResult of Reset = " + IntStr(OpenErr ? OpenErr : 100) + kNl + "ErrLast=<" +
          (OpenErr ? std::string(std::strerror(OpenErr))
                   : "read " + I64Str(Got) + " of " + I64Str(len) + " bytes") +
          ">");
  AssignMem(nX, nY);
  return false;
}

bool TFIOut::FinishLoad(const std::string& File, const TMapQuickStats& Q) {
  kRun = kLive;
  TMapStats st;
  const float* const v = aData.Data();
  if (SumIsExact(Q)) {
    // No NaN and an exact sum: the extremes are the first places of the smallest and largest
    // values, as the value-by-value rule finds them.
    const size_t kMin = Q.MinAt, kMax = Q.MaxAt;
    st.Sum = Q.Sum;
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

bool TFIOut::LoadData(const std::string& File, int64_t Offset) {
  if (!StartLoad(File, Offset)) return false;
  const int fd = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LoadFailed(File, Offset, 0, errno);
  TMapQuickStats q;
  const int64_t len = 4LL * nX * nY, got = ReadConverted(fd, aData.Data(), len, Offset, &q);
  ::close(fd);
  if (got != len) return LoadFailed(File, Offset, got, 0);
  return FinishLoad(File, q);
}

namespace {

// Readers for LoadMapsData besides the calling thread: up to three, on cores the machine leaves
// idle (by its load average); on a busy machine extra threads only slow the reading down.
int32_t DefaultHelpers() {
  const int32_t cores = static_cast<int32_t>(std::thread::hardware_concurrency());
  double load = 0;
  const int32_t busy = ::getloadavg(&load, 1) == 1 ? static_cast<int32_t>(std::floor(load)) : 0;
  return std::clamp(cores - busy - 1, 0, 3);
}

THelperPool& MapHelpers() {
  static THelperPool pool;
  return pool;
}

}  // namespace

int32_t LoadMapsData(TJob& Job, const std::vector<TFIOut*>& Maps, int32_t Threads) {
  const int32_t n = static_cast<int32_t>(Maps.size());
  // The calling thread steps through the maps in order, checks each and hands it on; a map
  // handed on is read and converted piece by piece (its block written once) by whichever thread
  // is free first: a helper or, when every helper is busy, the calling thread itself. Each map
  // is done whole by one thread, so its statistics are those of a lone LoadData. Warnings are
  // collected per map and stage and given afterwards in map order.
  int32_t helpers = Threads > 0 ? Threads - 1 : DefaultHelpers();
  helpers = std::clamp(helpers, 0, std::max(n - 1, 0));
  std::vector<std::vector<TJob::TWarning>> readWarn(Maps.size()), convWarn(Maps.size());
  std::vector<char> filled(Maps.size(), 0);
  std::vector<int> fds(Maps.size(), -1);
  std::vector<std::string> files(Maps.size());
  std::mutex mu;
  std::condition_variable cv;
  std::vector<int32_t> queue;  // maps handed on, waiting for a thread
  size_t head = 0, waiting = 0;  // helpers waiting for a map
  bool closed = false;
  std::exception_ptr failure;
  // A map given twice is read once (its first time); the later ones are counted at the end.
  std::vector<char> again(Maps.size(), 0);
  {
    std::unordered_set<const TFIOut*> seen;
    for (size_t i = 0; i < Maps.size(); ++i) again[i] = !seen.insert(Maps[i]).second;
  }
  // One piece buffer per thread, from the blocks freed tables leave (no fresh memory).
  std::vector<TAR4R4Flat> pieces(static_cast<size_t>(helpers) + 1);
  auto load = [&](int32_t I, TAR4R4Flat& Piece) {
    const size_t k = static_cast<size_t>(I);
    TFIOut* m = Maps[k];
    TJob one("map");
    try {
      TJobScope scope(one);
      if (Piece.empty()) Piece.Shape(static_cast<size_t>(kPiece / 4), 1);
      const int64_t len = 4LL * m->nX * m->nY;
      TMapQuickStats q;
      const int64_t got = ReadConverted(fds[k], m->aData.Data(), len, m->nbData0, &q,
                                        Piece.Data());
      if (got != len)
        m->LoadFailed(files[k], m->nbData0, got, 0);
      else
        m->FinishLoad(files[k], q);
      filled[k] = m->IsFilled();
    } catch (...) {
      std::lock_guard<std::mutex> g(mu);
      if (!failure) failure = std::current_exception();
    }
    convWarn[k] = one.Warnings();
  };
  auto helper = [&](size_t T) {
    std::unique_lock<std::mutex> lk(mu);
    for (;;) {
      ++waiting;
      cv.wait(lk, [&] { return head < queue.size() || closed; });
      --waiting;
      if (head >= queue.size()) return;
      const int32_t i = queue[head++];
      lk.unlock();
      load(i, pieces[T]);
      lk.lock();
    }
  };
  // Files opened, kept open until every map is read.
  std::vector<std::pair<std::string, int>> opened;
  int32_t stepped = 0;
  auto dispatch = [&] {
    try {
      for (int32_t i = 0; i < n; ++i) {
        TFIOut* m = Maps[static_cast<size_t>(i)];
        if (!Job.Step(i, n, FIOutAssigned(m) ? m->Name : std::string())) break;
        stepped = i + 1;
        if (!FIOutAssigned(m) || again[static_cast<size_t>(i)]) continue;
        TJob one("map");
        bool handed = false;
        {
          TJobScope scope(one);
          std::string& file = files[static_cast<size_t>(i)];
          file = m->FileName();
          if (m->IsFilled()) {
            filled[static_cast<size_t>(i)] = 1;
          } else if (m->StartLoad(file, m->nbData0)) {
            auto it = std::find_if(opened.rbegin(), opened.rend(),
                                   [&](const auto& F) { return F.first == file; });
            int fd = -1, openErr = 0;
            if (it != opened.rend()) {
              fd = it->second;
            } else {
              fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
              openErr = fd < 0 ? errno : 0;
              if (fd >= 0) opened.emplace_back(file, fd);
            }
            if (fd < 0) {
              m->LoadFailed(file, m->nbData0, 0, openErr);
            } else {
              fds[static_cast<size_t>(i)] = fd;
              handed = true;
            }
          }
        }
        readWarn[static_cast<size_t>(i)] = one.Warnings();
        if (!handed) continue;
        // To a helper waiting for work; read here when every helper is busy.
        bool here = true;
        {
          std::lock_guard<std::mutex> lk(mu);
          if (waiting > queue.size() - head) {
            queue.push_back(i);
            cv.notify_one();
            here = false;
          }
        }
        if (here) load(i, pieces[0]);
      }
    } catch (...) {
      std::lock_guard<std::mutex> g(mu);
      if (!failure) failure = std::current_exception();
    }
    {
      // The maps handed on are all read before the helpers stop: none is left half done.
      std::lock_guard<std::mutex> lk(mu);
      closed = true;
      cv.notify_all();
    }
  };
  // The helpers kept from earlier loads; threads of this load's own when another load has them.
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<size_t> slot{1};
  const std::function<void()> work = [&] {
    if (std::this_thread::get_id() == caller)
      dispatch();
    else
      helper(slot++);
  };
  if (helpers == 0 || !MapHelpers().TryRun(helpers, work)) {
    std::vector<std::thread> pool;
    for (int32_t t = 0; t < helpers; ++t) pool.emplace_back(helper, static_cast<size_t>(t) + 1);
    dispatch();
    for (std::thread& t : pool) t.join();
  }
  for (const auto& f : opened) ::close(f.second);
  for (int32_t i = 0; i < stepped; ++i)
    for (const auto* w : {&readWarn[static_cast<size_t>(i)], &convWarn[static_cast<size_t>(i)]})
      for (const TJob::TWarning& x : *w)
        for (int32_t c = 0; c < x.Count; ++c) WARNAbs(x.Text);
  if (failure) std::rethrow_exception(failure);
  for (int32_t i = 0; i < stepped; ++i)
    if (again[static_cast<size_t>(i)] && FIOutAssigned(Maps[static_cast<size_t>(i)]))
      filled[static_cast<size_t>(i)] = Maps[static_cast<size_t>(i)]->IsFilled();
  if (stepped == n) Job.Step(n, n, "");
  return static_cast<int32_t>(std::count(filled.begin(), filled.end(), 1));
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
