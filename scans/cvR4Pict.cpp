#include "scans/cvR4Pict.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

constexpr int32_t kBuckets = 32768;

int32_t RoundIdx(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

}  // namespace

void TR4Pict::Init(const TAR4R4Flat* Data) {
  if (!Data) {
    WARNAbs("TR4Pict.Init ERR картинка aData Not Assigned!"_cp);
    return;
  }
  nX = static_cast<int32_t>(Data->Rows());
  nY = static_cast<int32_t>(Data->Cols());
  FullNX = ViewNX = nX;
  FullNY = ViewNY = nY;
  ViewX0 = ViewY0 = 0;
  aData = Data;
  if (Palette.empty()) SetPalette('K');
}

void TR4Pict::MaxMin() {
  if (!aData) {
    WARNAbs("TR4Pict.MaxMin aData0 Not Assigned!");
    return;
  }
  if (nX == 0 || nY == 0) {
    WARNAbs("TR4Pict.MaxMin nX=" + IntStr(nX) + " nY=" + IntStr(nY));
    return;
  }
  VMin = VMax = (*aData)[0][0];
  const float* p = aData->Data();
  const size_t n = aData->Count();
  for (size_t i = 0; i < n; ++i) {
    const float v = p[i];
    if (v < VMin) VMin = v;
    else if (v > VMax) VMax = v;
  }
}

void TR4Pict::GetHist() {
  if (!aData) {
    WARNAbs("TR4Pict.GetHist ERR картинка aData ещё не загружена!"_cp);
    return;
  }
  const float* p = aData->Data();
  Sorted.assign(p, p + aData->Count());
  // NaNs (not ordered) go last; the numbers are sorted.
  const auto mid = std::partition(Sorted.begin(), Sorted.end(), [](float v) { return v == v; });
  std::sort(Sorted.begin(), mid);
  NValid_ = static_cast<int32_t>(mid - Sorted.begin());
  if (NValid_ > 0) {
    VMin = Sorted.front();
    VMax = Sorted[static_cast<size_t>(NValid_) - 1];
  }
}

void TR4Pict::EnsureSorted() {
  if (aData && Sorted.size() != aData->Count()) GetHist();
}

void TR4Pict::FreeSorted() {
  TAR4().swap(Sorted);
  NValid_ = 0;
}

bool TR4Pict::SortedReady(const char* Who) {
  if (Sorted.empty() || (aData && Sorted.size() != aData->Count())) GetHist();
  if (NValid_ > 0) return true;
  WARNAbs(std::string("TR4Pict.") + Who + " ERR: в картинке нет чисел!"_cp);
  return false;
}

void TR4Pict::SetLevels(int32_t N, float Lo, float Hi) {
  LevLo = Lo;
  LevHi = Hi;
  if (LevLo == LevHi) {
    LevLo = VMin;
    LevHi = VMax;
  }
  if (N < 1) N = 1;
  LevStep = N > 1 ? (LevHi - LevLo) / static_cast<float>(N - 1) : 0.0f;
  Levels.assign(static_cast<size_t>(N), LevLo);
  for (int32_t i = 0; i < N && N > 1; ++i)
    Levels[static_cast<size_t>(i)] =
        static_cast<float>(LevLo + static_cast<double>(LevHi - LevLo) * i / (N - 1));
  LevelsChanged();
}

void TR4Pict::SetLevelsByPct(int32_t N, double PLo, double PHi) {
  PLow = PLo;
  PHigh = PHi;
  if (!SortedReady("SetLevelsByPct")) return;
  const int32_t L = NValid_;
  const int32_t i1 = std::max(0, RoundIdx((L - 1) * PLo));
  const int32_t i2 = std::min(L - 1, RoundIdx((L - 1) * PHi));
  SetLevels(N, Sorted[static_cast<size_t>(std::min(i1, L - 1))],
            Sorted[static_cast<size_t>(std::max(i2, 0))]);
}

void TR4Pict::SetLevelsEqPop(int32_t N, double PLo, double PHi) {
  PLow = PLo;
  PHigh = PHi;
  if (!SortedReady("SetLevelsEqPop") || N < 2) return;
  const int32_t L = NValid_;
  const int32_t i1 = std::min(L - 1, std::max(0, RoundIdx((L - 1) * PLo)));
  const int32_t i2 = std::max(0, std::min(L - 1, RoundIdx((L - 1) * PHi)));
  LevLo = Sorted[static_cast<size_t>(i1)];
  LevHi = Sorted[static_cast<size_t>(i2)];
  Levels.assign(static_cast<size_t>(N), 0.0f);
  Levels.front() = LevLo;
  Levels.back() = LevHi;
  const int32_t kMax = std::max(0, L - 2);
  for (int32_t i = 1; i <= N - 2; ++i) {
    int32_t k = static_cast<int32_t>(std::trunc(static_cast<double>(i) * (i2 - i1) / (N - 1) + i1));
    k = std::clamp(k, 0, kMax);
    const size_t k1 = std::min<size_t>(static_cast<size_t>(k) + 1, static_cast<size_t>(L - 1));
    Levels[static_cast<size_t>(i)] = (Sorted[static_cast<size_t>(k)] + Sorted[k1]) / 2;
  }
  LevelsChanged();
}

void TR4Pict::FindRanks(float Val1, float Val2, int32_t& R1, int32_t& R2) {
  R1 = R2 = 0;
  EnsureSorted();
  const int32_t L = NValid_;
  if (L == 0) return;
  const float lo = std::min(Val1, Val2), hi = std::max(Val1, Val2);
  int32_t i = 0;
  while (i < L - 1 && !(Sorted[static_cast<size_t>(i)] >= lo)) ++i;
  const int32_t rLo = i - 1;
  while (i < L - 1 && !(Sorted[static_cast<size_t>(i)] >= hi)) ++i;
  const int32_t rHi = i;
  if (Val1 <= Val2) {
    R1 = rLo;
    R2 = rHi;
  } else {
    R1 = rHi;
    R2 = rLo;
  }
}

void TR4Pict::SetLevelsEqPopVal(int32_t N, float Val1, float Val2) {
  int32_t r1 = 0, r2 = 0;
  FindRanks(Val1, Val2, r1, r2);
  if (NValid_ == 0 || N < 2) return;
  const int32_t L = NValid_;
  LevLo = Val1;
  LevHi = Val2;
  Levels.assign(static_cast<size_t>(N), 0.0f);
  Levels.front() = Val1;
  Levels.back() = Val2;
  const int32_t kMax = std::max(0, L - 2);
  for (int32_t i = 1; i <= N - 2; ++i) {
    int32_t k = static_cast<int32_t>(std::trunc(static_cast<double>(r2 - r1) * i / (N - 1) + r1));
    // Both values below the smallest: rank -1; the table stays inside the sorted values.
    k = std::clamp(k, 0, kMax);
    const size_t k1 = std::min<size_t>(static_cast<size_t>(k) + 1, static_cast<size_t>(L - 1));
    Levels[static_cast<size_t>(i)] = (Sorted[static_cast<size_t>(k)] + Sorted[k1]) / 2;
  }
  LevelsChanged();
}

void TR4Pict::SetLevelsByVal(int32_t N, float Val1, float Val2) {
  SetLevels(N, Val1, Val2);
  int32_t r1 = 0, r2 = 0;
  FindRanks(Val1, Val2, r1, r2);
  const int32_t L = NValid_;
  if (L < 2) return;
  // Three significant digits (RoundSig keeps N + 1), counted from the nearer end.
  auto Frac = [L](int32_t r) {
    const double p = static_cast<double>(r) / (L - 1);
    if (p == 0 || p == 1) return p;
    return p >= 0.5 ? 1 - RoundSig(1 - p, 2) : RoundSig(p, 2);
  };
  PLow = Frac(r1);
  PHigh = Frac(r2);
}

void TR4Pict::SetPalette(char Letter) {
  Palette.assign(256, 0);
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c;
    switch (Letter) {
      case 'B': c = i; break;
      case 'G': c = i * 256; break;
      case 'K': c = i * 0x010101u; break;
      case 'R': c = i * 0x10000u; break;
      case 'Y': c = i * 0x010100u; break;
      default: c = i > 0 ? Palette[i - 1] : 0; break;
    }
    Palette[i] = c;
  }
}

void TR4Pict::SetMaskPalette() {
  Palette.assign(256, 0xFFFFFFu);
  Palette[255] = 0xFF0000u;
}

uint8_t TR4Pict::LevelIndexWalk(float V) const {
  const size_t n = Levels.size();
  if (n != 256) {
    const double r = std::nearbyint((static_cast<double>(V) - LevLo) / LevStep);
    if (!(r > 0)) return 0;
    return r >= 255 ? 255 : static_cast<uint8_t>(r);
  }
  if (Levels[255] > Levels[0]) {
    for (int32_t i = 0; i <= 254; ++i)
      if (V <= Levels[static_cast<size_t>(i)]) return static_cast<uint8_t>(i);
    return 255;
  }
  for (int32_t i = 0; i <= 255; ++i)
    if (V > Levels[static_cast<size_t>(i)]) return static_cast<uint8_t>(i);
  return 255;
}

void TR4Pict::LevelsChanged() {
  Mono_ = 0;
  Bucket_.clear();
  if (Levels.size() != 256) return;
  const float* L = Levels.data();
  const bool Rising = L[255] > L[0];
  if (L[0] != L[0]) return;
  for (int32_t i = 1; i <= 254; ++i) {
    if (L[i] != L[i]) return;  // a NaN level: walk
    if (Rising ? L[i] < L[i - 1] : L[i] > L[i - 1]) return;
  }
  Mono_ = Rising ? 1 : 2;
  const double Span =
      Rising ? static_cast<double>(L[254]) - L[0] : static_cast<double>(L[0]) - L[254];
  if (!(Span > 0) || !std::isfinite(Span)) return;  // the two end tests decide every value
  BLo_ = L[0];
  BMul_ = static_cast<float>((Rising ? kBuckets : -kBuckets) / Span);
  BMax_ = static_cast<float>(kBuckets - 1);
  // The index of a value inside the span, by halving (the table is monotone).
  auto Exact = [L, Rising](float v) {
    const float* e = Rising ? std::lower_bound(L, L + 255, v)
                            : std::partition_point(L, L + 255, [v](float l) { return !(l < v); });
    return static_cast<int32_t>(e - L);
  };
  // Where bucket k starts: the first value (rising) or the last value (falling) that the
  // bucket formula puts into bucket k or above; found from an estimate by stepping one float.
  const float Dir = Rising ? 1.0f : -1.0f;
  std::vector<float> Start(static_cast<size_t>(kBuckets) + 1);
  std::vector<uint8_t> Sure(static_cast<size_t>(kBuckets) + 1, 1);
  for (int32_t k = 1; k < kBuckets; ++k) {
    float x = static_cast<float>(L[0] + Dir * Span * k / kBuckets);
    const float Back = Rising ? -INFINITY : INFINITY, Fwd = -Back;
    int32_t steps = 0;
    while (BucketOf(x) >= static_cast<size_t>(k) && steps < 64) x = std::nextafter(x, Back), ++steps;
    while (BucketOf(x) < static_cast<size_t>(k) && steps < 128) x = std::nextafter(x, Fwd), ++steps;
    Start[static_cast<size_t>(k)] = x;
    Sure[static_cast<size_t>(k)] = steps < 128 && BucketOf(x) == static_cast<size_t>(k);
  }
  Bucket_.assign(kBuckets, 255);
  Base_.assign(kBuckets, 0);
  for (int32_t k = 1; k + 1 < kBuckets; ++k) {
    if (!Sure[static_cast<size_t>(k)] || !Sure[static_cast<size_t>(k) + 1]) continue;
    // The bucket's values: from its start up to the value before the next bucket's start.
    const float a = Start[static_cast<size_t>(k)];
    const float b = std::nextafter(Start[static_cast<size_t>(k) + 1], Rising ? -INFINITY : INFINITY);
    const int32_t ia = Exact(a), ib = Exact(b);
    Base_[static_cast<size_t>(k)] = static_cast<uint8_t>(ia);
    if (ia == ib && ia <= 254) Bucket_[static_cast<size_t>(k)] = static_cast<uint8_t>(ia);
  }
  // Buckets whose start is uncertain walk from 0.
  for (int32_t k = 1; k + 1 < kBuckets; ++k)
    if (!Sure[static_cast<size_t>(k)]) Base_[static_cast<size_t>(k)] = 0;
}

uint8_t TR4Pict::LevelIndex(float V) const {
  if (Mono_ == 0) return LevelIndexWalk(V);
  const float* L = Levels.data();
  if (V != V) return 255;
  int32_t i = 0;
  if (!Bucket_.empty()) {
    const size_t k = BucketOf(V);
    i = Bucket_[k];
    if (i == 255) i = k > 0 && Bucket_[k - 1] != 255 ? Bucket_[k - 1] : 0;
  }
  if (Mono_ == 1) {
    if (V <= L[0]) return 0;
    if (V > L[254]) return 255;
    while (i < 255 && V > L[i]) ++i;
    while (i > 0 && V <= L[i - 1]) --i;
    return static_cast<uint8_t>(i);
  }
  if (V > L[0]) return 0;
  if (!(V > L[254])) return 255;
  while (i < 255 && !(V > L[i])) ++i;
  while (i > 0 && V > L[i - 1]) --i;
  return static_cast<uint8_t>(i);
}

uint8_t TR4Pict::SlowIndex(float V, size_t K) const {
  // The end buckets also hold the values beyond the table and NaN: the full search.
  if (K == 0 || K + 1 >= Bucket_.size()) return LevelIndex(V);
  const float* L = Levels.data();
  int32_t i = Base_[K];
  if (Mono_ == 1)
    while (i < 255 && V > L[i]) ++i;
  else
    while (i < 255 && !(V > L[i])) ++i;
  return static_cast<uint8_t>(i);
}

inline uint8_t TR4Pict::FastIndex(float V) const {
  const size_t k = BucketOf(V);  // NaN goes to bucket 0, which searches
  const uint8_t e = Bucket_[k];
  return e != 255 ? e : SlowIndex(V, k);
}

void TR4Pict::PaintToBMP(platform::TBitmap& Bitmap) {
  PixFunc = TPixKind::Level;
  FillBMPRect(Bitmap, TRect{});
}

void TR4Pict::PaintMask(platform::TBitmap& Bitmap) {
  PixFunc = TPixKind::Mask;
  SetMaskPalette();
  LevStep = LevHi - LevLo;
  FillBMPRect(Bitmap, TRect{});
}

void TR4Pict::FillBMPRect(platform::TBitmap& Bitmap, TRect Rect) {
  if (!aData) {
    WARNAbs("TR4Pict.FillBMPRect ERR aData Not Assigned!");
    return;
  }
  if (static_cast<int32_t>(aData->Rows()) != nX || static_cast<int32_t>(aData->Cols()) != nY) {
    WARNAbs("TR4Pict.FillBMPRect ERR: размер карты изменился после Init!"_cp);
    return;
  }
  if (Bitmap.PixelBits() != 24) {
    WARNAbs("!TR4Pict.FillBMPRect! рисунок не 24-битный: "_cp + IntStr(Bitmap.PixelBits()));
    return;
  }
  const int32_t W = Bitmap.Width(), H = Bitmap.Height();
  if (W <= 0 || H <= 0 || nX <= 0 || nY <= 0) return;
  if (Rect.Left == 0 && Rect.Top == 0 && Rect.Right == 0 && Rect.Bottom == 0)
    Rect = TRect{0, 0, W, H};
  Rect.Left = std::max(Rect.Left, 0);
  Rect.Top = std::max(Rect.Top, 0);
  if (Rect.Right == 0 || Rect.Right > W) Rect.Right = W;
  if (Rect.Bottom == 0 || Rect.Bottom > H) Rect.Bottom = H;
  if (Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  const bool ByMask = PixFunc == TPixKind::Mask;
  if (ByMask && (static_cast<int32_t>(Mask.size()) < nX)) {
    WARNAbs("TR4Pict.FillBMPRect ERR: маска меньше картинки!"_cp);
    return;
  }
  if (Palette.size() < 256) SetPalette('K');
  const int32_t vnx = std::min(ViewNX, nX), vny = std::min(ViewNY, nY);
  // The picture column of every bitmap column.
  const int32_t cols = Rect.Right - Rect.Left;
  std::vector<int32_t> xs(static_cast<size_t>(cols));
  for (int32_t j = 0; j < cols; ++j)
    xs[static_cast<size_t>(j)] = static_cast<int32_t>(int64_t(j) * vnx / cols);
  std::vector<uint8_t> Idx(static_cast<size_t>(vnx));
  const uint32_t* Pal = Palette.data();
  int32_t LastYs = -1;
  const int32_t rows = Rect.Bottom - Rect.Top;
  const bool Fused = !ByMask && cols == vnx && !Bucket_.empty();
  std::vector<int32_t> Kb(Fused ? static_cast<size_t>(vnx) : 0);
  // The colour of each bucket whose values share one index; a high byte marks a search.
  std::vector<uint32_t> BucketColor(Fused ? Bucket_.size() : 0);
  for (size_t k = 0; k < BucketColor.size(); ++k)
    BucketColor[k] = Bucket_[k] != 255 ? Palette[Bucket_[k]] & 0xFFFFFFu : 0xFF000000u;
  for (int32_t i = Rect.Top; i < Rect.Bottom; ++i) {
    const int32_t ys = static_cast<int32_t>(int64_t(vny) * (Rect.Bottom - 1 - i) / rows);
    if (Fused) {
      // One bitmap column per cell: the buckets of the row (a loop the compiler vectorises),
      // then the search and the pixels in one pass.
      const float* row = aData->Line(static_cast<size_t>(ys));
      const float lo = BLo_, mul = BMul_, top = BMax_;
      int32_t* kb = Kb.data();
      int32_t x0 = 0;
#if defined(__SSE2__)
      {
        const __m128 vlo = _mm_set1_ps(lo), vmul = _mm_set1_ps(mul), vtop = _mm_set1_ps(top);
        const __m128 zero = _mm_setzero_ps();
        for (; x0 + 4 <= vnx; x0 += 4) {
          __m128 t = _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(row + x0), vlo), vmul);
          t = _mm_max_ps(t, zero);  // NaN (first operand) gives 0
          t = _mm_min_ps(t, vtop);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(kb + x0), _mm_cvttps_epi32(t));
        }
      }
#endif
      for (int32_t x = x0; x < vnx; ++x) {
        float t = (row[x] - lo) * mul;
        t = t > 0 ? t : 0;
        t = t < top ? t : top;
        kb[x] = static_cast<int32_t>(t);
      }
      const uint32_t* Ck = BucketColor.data();
      uint8_t* px = Bitmap.ScanLine(i) + 3 * static_cast<size_t>(Rect.Left);
      for (int32_t x = 0; x < vnx; ++x) {
        const size_t k = static_cast<size_t>(kb[x]);
        uint32_t c = Ck[k];
        if (c >> 24) c = Pal[SlowIndex(row[x], k)];
        px[0] = static_cast<uint8_t>(c);
        px[1] = static_cast<uint8_t>(c >> 8);
        px[2] = static_cast<uint8_t>(c >> 16);
        px += 3;
      }
      continue;
    }
    if (ys != LastYs) {
      LastYs = ys;
      if (ByMask) {
        for (int32_t x = 0; x < vnx; ++x) {
          const auto& m = Mask[static_cast<size_t>(x)];
          Idx[static_cast<size_t>(x)] =
              static_cast<size_t>(ys) < m.size() && m[static_cast<size_t>(ys)] != 0 ? 255 : 0;
        }
      } else {
        const float* row = aData->Line(static_cast<size_t>(ys));
        if (!Bucket_.empty())
          for (int32_t x = 0; x < vnx; ++x) Idx[static_cast<size_t>(x)] = FastIndex(row[x]);
        else
          for (int32_t x = 0; x < vnx; ++x) Idx[static_cast<size_t>(x)] = LevelIndex(row[x]);
      }
    }
    uint8_t* px = Bitmap.ScanLine(i) + 3 * static_cast<size_t>(Rect.Left);
    if (cols == vnx) {
      for (int32_t j = 0; j < cols; ++j) {
        const uint32_t c = Pal[Idx[static_cast<size_t>(j)]];
        px[0] = static_cast<uint8_t>(c);
        px[1] = static_cast<uint8_t>(c >> 8);
        px[2] = static_cast<uint8_t>(c >> 16);
        px += 3;
      }
      continue;
    }
    for (int32_t j = 0; j < cols; ++j) {
      const uint32_t c = Pal[Idx[static_cast<size_t>(xs[static_cast<size_t>(j)])]];
      px[0] = static_cast<uint8_t>(c);
      px[1] = static_cast<uint8_t>(c >> 8);
      px[2] = static_cast<uint8_t>(c >> 16);
      px += 3;
    }
  }
}
