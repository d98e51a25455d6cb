// Value pictures: a map of single-precision values (shared with its map, not copied) turned into
// a false-colour picture. The value range, a table of colour levels by one of four rules (equal
// steps or equal population, bounded by percentiles or by values), a 256-entry palette in bitmap
// byte order (low byte blue, then green, red), and the painting of the picture (or of a byte
// mask over it) straight into the rows of a 24-bit platform bitmap: the top row of the picture
// shows the highest y, each cell stretched over the pixels it covers. No Qt.
//
// Level index of a value with a table of 256 levels: for a rising table (last above first) the
// first i in 0..254 with v <= Levels[i], else 255; otherwise the first i with v > Levels[i], at
// most 255. A monotone table is searched by halving (through a bucket table), with the same
// result as the walk; NaN gives 255.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/cvR4Flat.h"
#include "foundation/cvTy.h"
#include "platform/Canvas.h"

class TR4Pict {
 public:
  enum class TPixKind { Level, Mask };

  const TAR4R4Flat* aData = nullptr;  // [x][y]; the owner's
  TAByBy Mask;                        // [x][y]; non-zero cells are marked
  TAR4 Sorted;                        // every value ascending (NaNs last)
  TAR4 Levels;
  std::vector<uint32_t> Palette;
  int32_t nX = 0, nY = 0, ViewNX = 0, ViewNY = 0, FullNX = 0, FullNY = 0, ViewX0 = 0, ViewY0 = 0;
  float VMin = 0, VMax = 0, LevLo = 0, LevHi = 0, LevStep = 0;
  double PLow = 0, PHigh = 0;
  TPixKind PixFunc = TPixKind::Level;

  void Init(const TAR4R4Flat* Data);
  void MaxMin();
  void GetHist();
  void EnsureSorted();
  void FreeSorted();
  void SetLevels(int32_t N, float Lo, float Hi);
  void SetLevelsByPct(int32_t N, double PLo, double PHi);
  void SetLevelsEqPop(int32_t N, double PLo, double PHi);
  void SetLevelsByVal(int32_t N, float Val1, float Val2);
  void SetLevelsEqPopVal(int32_t N, float Val1, float Val2);
  void FindRanks(float Val1, float Val2, int32_t& R1, int32_t& R2);
  void SetPalette(char Letter);
  void SetMaskPalette();
  void PaintToBMP(platform::TBitmap& Bitmap);
  void PaintMask(platform::TBitmap& Bitmap);
  // An empty rectangle (or a right or bottom of 0) means the whole bitmap.
  void FillBMPRect(platform::TBitmap& Bitmap, TRect Rect);

  // Palette index of a value by the current level table.
  uint8_t LevelIndex(float V) const;
  // The same by walking the table (the reference of the search).
  uint8_t LevelIndexWalk(float V) const;
  // The values that are numbers (Sorted's first NSorted()).
  int32_t NSorted() const { return NValid_; }

 private:
  int32_t NValid_ = 0;
  // Search of a monotone 256-level table: 0 none (walk), 1 rising, 2 falling.
  int32_t Mono_ = 0;
  // Buckets of equal width over the table's span: the index that every value the bucket takes
  // gets (never above 254 there), or 255 where a level lies inside and the search decides.
  std::vector<uint8_t> Bucket_;
  // The index at the start of each bucket: a searched value's walk begins there.
  std::vector<uint8_t> Base_;
  uint8_t SlowIndex(float V, size_t K) const;
  float BLo_ = 0, BMul_ = 0, BMax_ = 0;
  uint8_t FastIndex(float V) const;
  // The bucket of a value (the first and last also take the values beyond the ends, NaN the
  // first).
  size_t BucketOf(float V) const {
    float t = (V - BLo_) * BMul_;
    t = t > 0 ? t : 0;
    t = t < BMax_ ? t : BMax_;
    return static_cast<size_t>(t);
  }
  void LevelsChanged();
  bool SortedReady(const char* Who);
};
