#include "plotting/gif/cvGIFGradient.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "foundation/cvWarnBox.h"
#include "platform/Cursor.h"
#include "plotting/gif/cvGIFErr.h"

namespace gifgradient {

namespace {

struct TLevels {
  std::vector<uint8_t> Values;
  std::array<uint8_t, 256> Map{};
  explicit TLevels(std::vector<uint8_t> V) : Values(std::move(V)) {
    for (int c = 0; c < 256; ++c) {
      int Best = 0;
      for (int i = 1; i < int(Values.size()); ++i)
        if (std::abs(c - Values[i]) < std::abs(c - Values[Best])) Best = i;
      Map[c] = uint8_t(Best);
    }
  }
};

// Built once, read-only afterwards.
const TLevels& Levels(int32_t N) {
  static const TLevels L4({0, 85, 170, 255});
  static const TLevels L6({0, 51, 102, 153, 204, 255});
  static const TLevels L7({0, 43, 85, 128, 170, 213, 255});
  static const TLevels L8({0, 36, 73, 109, 146, 182, 219, 255});
  switch (N) {
    case 4: return L4;
    case 6: return L6;
    case 7: return L7;
    default: return L8;
  }
}

}  // namespace

uint8_t NearestLevel(int32_t N, uint8_t Value) { return Levels(N).Map[Value]; }
uint8_t LevelValue(int32_t N, int32_t Index) { return Levels(N).Values[Index]; }

}  // namespace gifgradient

namespace {

using gifgradient::LevelValue;
using gifgradient::NearestLevel;

constexpr TRGBQuad kGrey{128, 128, 128, 0};

// The 24-bit source and the 8-bit result, both bottom-up; pixel i of the source is pixel i of
// the result (rows walked from the bottom, each from the left).
struct TWork {
  const TDib& Src;
  TDib& Out;
  template <class F>
  void ForEach(F&& Fn) const {
    for (int32_t r = 0; r < Src.Height; ++r) {
      const uint8_t* I = Src.Pixels.data() + size_t(r) * Src.Stride();
      uint8_t* O = Out.Pixels.data() + size_t(r) * Out.Stride();
      for (int32_t x = 0; x < Src.Width; ++x, I += 3) Fn(I[2], I[1], I[0], O[x], r, x);
    }
  }
};

// ---- histogram ----

constexpr int kHistMax = 2049;
constexpr int kHistSlots = 5191;

struct THistColor {
  uint8_t R, G, B;
  uint32_t Count;
  uint8_t Index;
};

struct THistogram {
  std::vector<THistColor> Colors;
  std::vector<uint16_t> Slots = std::vector<uint16_t>(kHistSlots, 0xFFFF);
  uint8_t MR = 255, MG = 255, MB = 255;

  static int Hash(int r, int g, int b) { return ((r + g) * (b + g) * (r + b)) % kHistSlots; }
  // Slot of the masked colour: its own or the empty one where it goes.
  int Find(int r, int g, int b) const {
    int s = Hash(r, g, b);
    while (Slots[s] != 0xFFFF) {
      const THistColor& C = Colors[Slots[s]];
      if (C.R == r && C.G == g && C.B == b) break;
      s = (s + 1) % kHistSlots;
    }
    return s;
  }
  // False when the table is full.
  bool Enter(int r, int g, int b) {
    r &= MR, g &= MG, b &= MB;
    const int s = Find(r, g, b);
    if (Slots[s] != 0xFFFF) {
      ++Colors[Slots[s]].Count;
      return true;
    }
    if (int(Colors.size()) == kHistMax) return false;
    Slots[s] = uint16_t(Colors.size());
    Colors.push_back(THistColor{uint8_t(r), uint8_t(g), uint8_t(b), 1, 0});
    return true;
  }
  void Narrow() {
    Colors.clear();
    std::fill(Slots.begin(), Slots.end(), 0xFFFF);
    if (MR < MG)
      MG = uint8_t(MG << 1);
    else if (MB < MR)
      MR = uint8_t(MR << 1);
    else
      MB = uint8_t(MB << 1);
  }
};

void ReduceHistogram(const TWork& W, TReductionInfo* Info) {
  THistogram H;
  H.Colors.reserve(kHistMax);
  for (;;) {
    bool Full = false;
    for (int32_t r = 0; r < W.Src.Height && !Full; ++r) {
      const uint8_t* I = W.Src.Pixels.data() + size_t(r) * W.Src.Stride();
      for (int32_t x = 0; x < W.Src.Width; ++x, I += 3)
        if (!H.Enter(I[2], I[1], I[0])) {
          Full = true;
          break;
        }
    }
    if (!Full) break;
    H.Narrow();
  }
  const int Wanted = 256;
  const int N = int(H.Colors.size());
  std::vector<uint32_t> Counts(N);
  for (int i = 0; i < N; ++i) Counts[i] = H.Colors[i].Count;
  int Chosen = 0;
  std::vector<bool> IsChosen(N, false);
  for (; Chosen < Wanted && Chosen < N; ++Chosen) {
    int Best = 0;
    for (int i = 1; i < N; ++i)
      if (Counts[i] > Counts[Best]) Best = i;
    const THistColor& C = H.Colors[Best];
    W.Out.Palette[Chosen] = TRGBQuad{C.B, C.G, C.R, 0};
    H.Colors[Best].Index = uint8_t(Chosen);
    IsChosen[Best] = true;
    Counts[Best] = 0;
  }
  for (int i = Chosen; i < 256; ++i) W.Out.Palette[i] = kGrey;
  for (int i = 0; i < N; ++i) {
    if (IsChosen[i]) continue;
    THistColor& C = H.Colors[i];
    int64_t BestD = 3 * 65536;
    int Best = 0;
    for (int k = 0; k < Chosen; ++k) {
      const TRGBQuad& P = W.Out.Palette[k];
      const int64_t dr = C.R - P.R, dg = C.G - P.G, db = C.B - P.B;
      const int64_t D = dr * dr + dg * dg + db * db;
      if (D < BestD) BestD = D, Best = k;
    }
    C.Index = uint8_t(Best);
  }
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t& O, int32_t, int32_t) {
    O = H.Colors[H.Slots[H.Find(r & H.MR, g & H.MG, b & H.MB)]].Index;
  });
  if (Info) *Info = TReductionInfo{H.MR, H.MG, H.MB, N};
}

// ---- median cut ----

struct TCell {
  uint8_t C[3];
  uint32_t Count = 0;
  int32_t Box = -1;
  int32_t Next = -1;
};

struct TBox {
  uint8_t Low[3] = {0, 0, 0};
  uint8_t Extent[3] = {255, 255, 255};
  int32_t Cells = 0;
  int64_t Weight = 0;
  int32_t Head = -1;
};

void SortCells(std::vector<int32_t>& A, int32_t L, int32_t R, const std::vector<TCell>& Cells,
               int Axis) {
  auto Key = [&](int32_t i) { return Cells[A[i]].C[Axis]; };
  while (R - L + 1 > 7) {
    const uint8_t Pivot = Key((L + R) / 2);
    int32_t i = L, j = R;
    while (i <= j) {
      while (Key(i) < Pivot) ++i;
      while (Key(j) > Pivot) --j;
      if (i <= j) std::swap(A[i++], A[j--]);
    }
    if (j - L < R - i) {
      SortCells(A, L, j, Cells, Axis);
      L = i;
    } else {
      SortCells(A, i, R, Cells, Axis);
      R = j;
    }
  }
  for (int32_t i = L + 1; i <= R; ++i) {
    const int32_t v = A[i];
    int32_t j = i - 1;
    while (j >= L && Cells[A[j]].C[Axis] > Cells[v].C[Axis]) {
      A[j + 1] = A[j];
      --j;
    }
    A[j + 1] = v;
  }
}

void ReduceMedianCut(const TWork& W, TReductionInfo* Info) {
  const int Wanted = 256;
  std::vector<TCell> Cells(4096);
  for (int i = 0; i < 4096; ++i) {
    Cells[i].C[0] = uint8_t(i >> 8);
    Cells[i].C[1] = uint8_t((i >> 4) & 15);
    Cells[i].C[2] = uint8_t(i & 15);
  }
  auto CellOf = [](uint8_t r, uint8_t g, uint8_t b) { return (r >> 4) * 256 + (g >> 4) * 16 + (b >> 4); };
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t&, int32_t, int32_t) {
    ++Cells[CellOf(r, g, b)].Count;
  });
  std::vector<TBox> Boxes(1);
  {
    int32_t* Tail = &Boxes[0].Head;
    for (int i = 0; i < 4096; ++i)
      if (Cells[i].Count > 0) {
        *Tail = i;
        Tail = &Cells[i].Next;
        ++Boxes[0].Cells;
      }
    Boxes[0].Weight = int64_t(W.Src.Width) * W.Src.Height;
  }
  std::vector<int32_t> List;
  while (int(Boxes.size()) < Wanted) {
    int Best = -1, Axis = 0, BestExt = -1;
    for (int b = 0; b < int(Boxes.size()); ++b) {
      if (Boxes[b].Cells <= 1) continue;
      for (int a = 0; a < 3; ++a)
        if (Boxes[b].Extent[a] > BestExt) BestExt = Boxes[b].Extent[a], Best = b, Axis = a;
    }
    if (Best < 0) break;
    TBox& B = Boxes[Best];
    List.clear();
    for (int32_t c = B.Head; c >= 0; c = Cells[c].Next) List.push_back(c);
    SortCells(List, 0, int32_t(List.size()) - 1, Cells, Axis);
    const int64_t Half = B.Weight / 2;
    int64_t First = Cells[List[0]].Count;
    size_t k = 1;  // cells of the first part
    while (k + 1 < List.size() && First + Cells[List[k]].Count <= Half) First += Cells[List[k++]].Count;
    TBox NB;
    std::memcpy(NB.Low, B.Low, 3);
    std::memcpy(NB.Extent, B.Extent, 3);
    NB.Cells = int32_t(List.size() - k);
    NB.Weight = B.Weight - First;
    const int NewLow = 16 * Cells[List[k]].C[Axis];
    NB.Extent[Axis] = uint8_t(B.Low[Axis] + B.Extent[Axis] - NewLow);
    NB.Low[Axis] = uint8_t(NewLow);
    B.Extent[Axis] = uint8_t(16 * Cells[List[k - 1]].C[Axis] - B.Low[Axis]);
    B.Cells = int32_t(k);
    B.Weight = First;
    // Relink both lists in sorted order.
    B.Head = List[0];
    for (size_t i = 0; i + 1 < k; ++i) Cells[List[i]].Next = List[i + 1];
    Cells[List[k - 1]].Next = -1;
    NB.Head = List[k];
    for (size_t i = k; i + 1 < List.size(); ++i) Cells[List[i]].Next = List[i + 1];
    Cells[List.back()].Next = -1;
    Boxes.push_back(NB);
  }
  const int NBoxes = int(Boxes.size());
  for (int b = 0; b < NBoxes; ++b) {
    int64_t Sum[3] = {0, 0, 0};
    int32_t m = 0;
    for (int32_t c = Boxes[b].Head; c >= 0; c = Cells[c].Next) {
      for (int a = 0; a < 3; ++a) Sum[a] += Cells[c].C[a];
      Cells[c].Box = b;
      ++m;
    }
    TRGBQuad Q{};
    if (m > 0) {
      int v[3];
      for (int a = 0; a < 3; ++a) v[a] = int((16 * Sum[a] + 15) / m);
      if (!(v[0] <= 16 && v[1] <= 16 && v[2] <= 16))
        Q = TRGBQuad{uint8_t(v[2]), uint8_t(v[1]), uint8_t(v[0]), 0};
    }
    W.Out.Palette[b] = Q;
  }
  for (int b = NBoxes; b < 256; ++b) W.Out.Palette[b] = TRGBQuad{};
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t& O, int32_t, int32_t) {
    O = uint8_t(Cells[CellOf(r, g, b)].Box);
  });
  W.Out.ClrUsed = uint32_t(NBoxes);
  if (Info) Info->Colours = NBoxes;
}

// ---- fixed palettes, greys, channel triplets ----

void ReduceFixed(const TWork& W, int NR, int NG, int NB) {
  const int Count = NR * NG * NB;
  int i = 0;
  for (int r = 0; r < NR; ++r)
    for (int g = 0; g < NG; ++g)
      for (int b = 0; b < NB; ++b)
        W.Out.Palette[i++] = TRGBQuad{LevelValue(NB, b), LevelValue(NG, g), LevelValue(NR, r), 0};
  for (; i < 256; ++i) W.Out.Palette[i] = kGrey;
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t& O, int32_t, int32_t) {
    O = uint8_t((NearestLevel(NR, r) * NG + NearestLevel(NG, g)) * NB + NearestLevel(NB, b));
  });
  W.Out.ClrUsed = uint32_t(Count);
}

void ReduceGrey(const TWork& W) {
  for (int i = 0; i < 256; ++i) W.Out.Palette[i] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t& O, int32_t, int32_t) {
    O = uint8_t((77 * r + 150 * g + 29 * b) >> 8);
  });
}

void ReduceTriplet(const TWork& W) {
  for (int i = 0; i < 64; ++i) {
    const uint8_t v = uint8_t(4 * i);
    W.Out.Palette[i] = TRGBQuad{0, 0, v, 0};
    W.Out.Palette[64 + i] = TRGBQuad{0, v, 0, 0};
    W.Out.Palette[128 + i] = TRGBQuad{v, 0, 0, 0};
  }
  for (int i = 192; i < 256; ++i) W.Out.Palette[i] = TRGBQuad{};
  W.ForEach([&](uint8_t r, uint8_t g, uint8_t b, uint8_t& O, int32_t Row, int32_t X) {
    switch ((Row + X) % 3) {
      case 0: O = uint8_t(r >> 2); break;
      case 1: O = uint8_t((g >> 2) + 64); break;
      default: O = uint8_t((b >> 2) + 128); break;
    }
  });
}

// 1- and 4-bit targets: the nearest colour of black and white, or of the 16 standard colours.
TDib ToLowDepth(const TDib& Src24, int32_t Bits) {
  static const TColor kVga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  TDib Out(Src24.Width, Src24.Height, Bits);
  const int N = Bits == 1 ? 2 : 16;
  for (int i = 0; i < N; ++i) {
    const TColor C = Bits == 1 ? (i ? 0xFFFFFF : 0) : kVga[i];
    Out.Palette[i] = TRGBQuad{uint8_t(C >> 16), uint8_t(C >> 8), uint8_t(C), 0};
  }
  for (int32_t y = 0; y < Src24.Height; ++y) {
    const uint8_t* I = Src24.Row(y);
    for (int32_t x = 0; x < Src24.Width; ++x, I += 3) {
      int Best = 0;
      int64_t BestD = INT64_MAX;
      for (int i = 0; i < N; ++i) {
        const int64_t dr = I[2] - Out.Palette[i].R, dg = I[1] - Out.Palette[i].G,
                      db = I[0] - Out.Palette[i].B;
        const int64_t D = dr * dr + dg * dg + db * db;
        if (D < BestD) BestD = D, Best = i;
      }
      Out.SetIndex(x, y, uint32_t(Best));
    }
  }
  return Out;
}

[[noreturn]] void Unsupported() {
  platform::SetCursor(platform::crDefault);
  WarnBox("Unsupported pixel format for the palette conversion", "GIF");
  throw EGraphicAbort();
}

}  // namespace

std::vector<uint8_t> BitmapToPaletteDIB(const TDib& Bitmap, int32_t TargetBits,
                                        TReductionMethod Method, TReductionInfo* Info) {
  if (Bitmap.Empty() || Bitmap.Pixels.size() != size_t(Bitmap.Stride()) * Bitmap.Height)
    throw EInvalidGraphic("Bitmap image is not valid");
  if (Bitmap.BitCount == TargetBits && Method != rmGrayscale) return Bitmap.SaveToBmp();
  if (TargetBits == 1 || TargetBits == 4) return ToLowDepth(Bitmap.To24(), TargetBits).SaveToBmp();
  if (TargetBits != 8) Unsupported();
  const TDib Src = Bitmap.BitCount == 24 ? TDib() : Bitmap.To24();
  const TDib& S = Bitmap.BitCount == 24 ? Bitmap : Src;
  TDib Out(S.Width, S.Height, 8);
  Out.ClrUsed = Bitmap.BitCount == 24 ? Bitmap.ClrUsed : 0;
  const TWork W{S, Out};
  switch (Method) {
    case rmHistogram: ReduceHistogram(W, Info); break;
    case rmMedianCut: ReduceMedianCut(W, Info); break;
    case rm7R8G4B: ReduceFixed(W, 7, 8, 4); break;
    case rm6R6G6B: ReduceFixed(W, 6, 6, 6); break;
    case rmChannelTriplet: ReduceTriplet(W); break;
    case rmGrayscale: ReduceGrey(W); break;
    default: Unsupported();
  }
  return Out.SaveToBmp();
}
