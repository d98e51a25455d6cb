// Reading, decoding, encoding and writing GIF streams.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "foundation/cvLit.h"
#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"

namespace {

[[noreturn]] void Fail(const std::string& Text) { throw EInvalidGraphicOperation(Text); }
[[noreturn]] void FailNotGif() { Fail("Not a GIF file"); }
[[noreturn]] void FailColourCount() { Fail("GIF: bad colour count"); }
[[noreturn]] void FailEmpty() { Fail("GIF image is empty"); }
[[noreturn]] void FailTruncated() { Fail("GIF data end unexpectedly"); }

// The data being read: a byte at or past the end reads as the trailer.
struct TIn {
  const uint8_t* P;
  size_t N;
  size_t Pos = 0;
  bool AtEnd() const { return Pos >= N; }
  size_t Left() const { return Pos < N ? N - Pos : 0; }
  uint8_t ByteOr(uint8_t AtEndValue) { return Pos < N ? P[Pos++] : AtEndValue; }
  void Read(void* To, size_t Count) {
    if (Left() < Count) FailTruncated();
    std::memcpy(To, P + Pos, Count);
    Pos += Count;
  }
  uint32_t Word() {
    uint8_t B[2];
    Read(B, 2);
    return B[0] | (B[1] << 8);
  }
};

bool SameNoCase(const uint8_t* A, const char* B) {
  for (int i = 0; i < 3; ++i)
    if (std::tolower(A[i]) != std::tolower(static_cast<unsigned char>(B[i]))) return false;
  return true;
}

void ReadTable(TIn& In, TGIFColorTable& T, uint32_t Count) {
  T.Count = Count;
  In.Read(T.Entries.data(), size_t(Count) * 3);
}

uint8_t BitsFor(uint32_t Count) {
  uint8_t b = 1;
  while ((1u << b) < Count && b < 8) ++b;
  return b;
}

// Parses one extension after its "!" (label next). False when the data ended inside it (what
// was read is kept). Unknown labels fail.
bool ReadExtension(TIn& In, TExtension& E) {
  if (In.AtEnd()) return false;
  const uint8_t Label = In.ByteOr(0);
  size_t Fixed;
  switch (Label) {
    case 0xF9: E.Kind = ekGraphicControl, Fixed = 6; break;
    case 0xFE: E.Kind = ekComment, Fixed = 0; break;
    case 0x01: E.Kind = ekPlainText, Fixed = 13; break;
    case 0xFF: E.Kind = ekApplication, Fixed = 12; break;
    default: {
      char B[64];
      std::snprintf(B, sizeof B, "GIF: unknown extension 0x%02X", Label);
      Fail(B);
    }
  }
  if (In.Left() < Fixed) {
    In.Pos = In.N;
    return false;
  }
  E.Fixed.assign(In.P + In.Pos, In.P + In.Pos + Fixed);
  In.Pos += Fixed;
  if (E.Kind == ekGraphicControl) return true;
  for (;;) {
    if (In.AtEnd()) return false;
    const uint8_t Len = In.ByteOr(0);
    if (Len == 0) return true;
    if (In.Left() < Len) {
      In.Pos = In.N;
      return false;
    }
    E.Lines.emplace_back(reinterpret_cast<const char*>(In.P + In.Pos), Len);
    In.Pos += Len;
  }
}

// A looping extension: count or -1.
int32_t LoopCount(const TExtension& E) {
  if (E.Fixed.size() != 12 || E.Fixed[0] != 11) return -1;
  const std::string Id(E.Fixed.begin() + 1, E.Fixed.end());
  if (Id != "NETSCAPE2.0" && Id != "ANIMEXTS1.0") return -1;
  if (E.Lines.empty() || E.Lines[0].size() < 3 || E.Lines[0][0] != 1) return -1;
  return uint8_t(E.Lines[0][1]) + 256 * uint8_t(E.Lines[0][2]);
}

void ReadImage(TGIFFrame& F, TIn& In, const TCvGIF& G) {
  TGIFItem& It = *F.Item;
  uint8_t D[9];
  In.Read(D, 9);
  const int32_t Left = D[0] | (D[1] << 8), Top = D[2] | (D[3] << 8);
  int32_t W = D[4] | (D[5] << 8), H = D[6] | (D[7] << 8);
  const uint8_t Packed = D[8];
  F.Interlaced = (Packed & 0x40) != 0;
  if (Packed & 0x80) {
    It.Bits = uint8_t((Packed & 7) + 1);
    F.LocalTable = true;
    ReadTable(In, It.Table, 1u << It.Bits);
  } else {
    F.LocalTable = false;
    It.Table = TGIFColorTable();
  }
  // The minimum code size and the sub-blocks, verbatim.
  const size_t Start = In.Pos;
  if (In.AtEnd()) {
    F.Corrupted = true;
  } else {
    ++In.Pos;
    for (;;) {
      if (In.AtEnd()) {
        F.Corrupted = true;
        break;
      }
      const uint8_t Len = In.P[In.Pos];
      if (In.Left() < size_t(Len) + 1) {
        F.Corrupted = true;
        break;
      }
      In.Pos += size_t(Len) + 1;
      if (Len == 0) break;
    }
  }
  It.Encoded.assign(In.P + Start, In.P + In.Pos);
  if (W == 0) W = G.ScreenWidth;
  if (H == 0) H = G.ScreenHeight;
  if (int64_t(W) * H > kMaxDibPixels) {
    It.Encoded.clear();
    Fail("GIF: frame size " + std::to_string(W) + " x " + std::to_string(H) + " is too large");
  }
  F.Left = Left;
  F.Top = Top;
  It.Width = W;
  It.Height = H;
  It.Packed = Packed;
  if (!F.LocalTable) It.Table = G.Data->Global;
  uint32_t Delay = 0;
  for (const TExtension& E : F.Extensions) {
    if (E.Kind != ekGraphicControl || E.Fixed.size() < 5) continue;
    const uint8_t P = E.Fixed[1];
    if (P & 1) {
      if (E.Fixed[4] < It.Table.Count) F.TransparentColor = It.Table.Color(E.Fixed[4]);
    } else {
      F.TransparentColor = clNone;
    }
    Delay = std::max<uint32_t>(Delay, (E.Fixed[2] | (E.Fixed[3] << 8)) * 10u);
    F.Disposal = (P >> 2) & 7;
  }
  F.Delay = uint16_t(std::min<uint32_t>(Delay, 65535));
}

// ---- LZW ----

constexpr int kMaxCode = 4096;

// Pixels written into a picture's rows from the top, in file or interlaced order.
struct TRowWriter {
  TDib& D;
  int32_t Y = 0;
  int32_t Pass = 0;
  bool Interlaced;
  uint8_t* Row = nullptr;
  int32_t X = 0;
  bool Done = false;
  TRowWriter(TDib& Dib, bool Inter) : D(Dib), Interlaced(Inter) {
    if (D.Height <= 0 || D.Width <= 0)
      Done = true;
    else
      Row = D.Row(0);
  }
  void NextRow() {
    X = 0;
    if (!Interlaced) {
      if (++Y >= D.Height) Done = true;
    } else {
      static const int32_t Step[4] = {8, 8, 4, 2}, First[4] = {0, 4, 2, 1};
      Y += Step[Pass];
      while (Y >= D.Height) {
        if (++Pass >= 4) {
          Done = true;
          return;
        }
        Y = First[Pass];
      }
    }
    if (!Done) Row = D.Row(Y);
  }
};

}  // namespace

void TGIFFrame::DecodeInto(TDib& Out) {
  TGIFItem& It = *Item;
  int32_t Bits;
  if (It.Bits == 1)
    Bits = 1;
  else if (It.Bits >= 2 && It.Bits <= 4)
    Bits = 4;
  else if (It.Bits >= 5 && It.Bits <= 8)
    Bits = 8;
  else
    FailColourCount();
  if (int64_t(It.Width) * It.Height > kMaxDibPixels)
    Fail("GIF: frame size " + std::to_string(It.Width) + " x " + std::to_string(It.Height) +
         " is too large");
  TDib D(It.Width, It.Height, Bits);
  for (size_t i = 0; i < D.Palette.size(); ++i)
    D.Palette[i] = i < It.Table.Count ? TRGBQuad{It.Table.Entries[i][2], It.Table.Entries[i][1],
                                                 It.Table.Entries[i][0], 0}
                                      : TRGBQuad{128, 128, 128, 128};
  const std::string Text = "Декодирование GIF"_cp;
  TCvGIF* G = Owner;
  auto Report = [&](TGIFProgressStage S, int32_t P, const std::string& M) {
    return G ? G->Progress(S, P, M) : true;
  };
  Report(TGIFProgressStage::Starting, 0, Text);
  try {
    const std::vector<uint8_t>& E = It.Encoded;
    const size_t Size = E.size();
    size_t Pos = 0;
    int m = Size > 0 ? E[Pos++] : 2;
    if (m < 2 || m > 9) {
      m = std::clamp(m, 2, 9);
      Corrupted = true;
    }
    const int Clear = 1 << m, End = Clear + 1;
    const uint32_t Mask = (1u << It.Bits) - 1;
    // Tables made once per frame.
    std::vector<uint16_t> Prefix(kMaxCode, 0);
    std::vector<uint8_t> Suffix(kMaxCode, 0), Stack(kMaxCode + 4);
    for (int i = 0; i < Clear && i < kMaxCode; ++i) Suffix[i] = uint8_t(i);
    int Width = m + 1, Next = Clear + 2;
    bool Full = false;
    uint64_t Buf = 0;
    int Have = 0;
    size_t BlockLeft = 0;
    bool DataEnd = false;
    TRowWriter W(D, Interlaced);
    size_t NextReport = Size / 100 + 1;
    int Prev = -1;
    uint8_t FirstPixel = 0;

    auto Put = [&](uint8_t Px) {
      Px = uint8_t(Px & Mask);
      switch (Bits) {
        case 8: W.Row[W.X] = Px; break;
        case 4: W.Row[W.X >> 1] |= (W.X & 1) ? Px : uint8_t(Px << 4); break;
        default: W.Row[W.X >> 3] |= uint8_t((Px & 1) << (7 - (W.X & 7))); break;
      }
      if (++W.X >= D.Width) W.NextRow();
    };
    while (!W.Done) {
      // Refill from the sub-blocks, least significant bit first.
      while (Have <= 56 && !DataEnd) {
        if (BlockLeft == 0) {
          if (Pos >= Size || E[Pos] == 0) {
            DataEnd = true;
            break;
          }
          BlockLeft = E[Pos++];
          continue;
        }
        if (Pos >= Size) {
          DataEnd = true;
          break;
        }
        Buf |= uint64_t(E[Pos++]) << Have;
        Have += 8;
        --BlockLeft;
      }
      if (Have < Width) break;
      const int Code = int(Buf & ((1u << Width) - 1));
      Buf >>= Width;
      Have -= Width;
      if (Code == Clear) {
        Width = m + 1;
        Next = Clear + 2;
        Full = false;
        Prev = -1;
      } else if (Code == End) {
        break;
      } else if (Prev < 0) {
        if (Code > End) {  // a table code right after a clear
          Corrupted = true;
          break;
        }
        Put(uint8_t(Code));
        Prev = Code;
        FirstPixel = uint8_t(Code);
      } else {
        int Sp = 0, C = Code;
        if (Code >= Next) {
          Stack[Sp++] = FirstPixel;
          C = Prev;
        }
        int Chain = 0;
        while (C > End) {
          if (++Chain > kMaxCode) break;
          Stack[Sp++] = Suffix[C];
          C = Prefix[C];
        }
        if (Chain > kMaxCode) {
          Corrupted = true;
          break;
        }
        Stack[Sp++] = uint8_t(C);
        FirstPixel = uint8_t(C);
        while (Sp > 0 && !W.Done) Put(Stack[--Sp]);
        if (!Full) {
          Prefix[Next] = uint16_t(Prev);
          Suffix[Next] = FirstPixel;
          ++Next;
          if (Next >= (1 << Width)) {
            if (Width < 12)
              ++Width;
            else
              Full = true;
          }
        }
        Prev = Code;
      }
      if (Pos >= NextReport) {
        NextReport = Pos + Size / 100 + 1;
        if (!Report(TGIFProgressStage::Running, int32_t(Pos * 100 / std::max<size_t>(Size, 1)), Text))
          throw EGraphicAbort();
      }
    }
  } catch (const std::exception& X) {
    Report(TGIFProgressStage::Ending, 0, X.what());
    throw;
  }
  Report(TGIFProgressStage::Ending, 100, Text);
  Out = std::move(D);
}

std::vector<uint8_t> TGIFFrame::DecodeToDIB() {
  TDib D;
  DecodeInto(D);
  return D.SaveToBmp();
}

namespace {

// The string table: open addressing over 8192 slots (at most 4094 codes live between clears),
// each slot holding key (prefix code << 8 | pixel) << 12 | assigned code. The slot comes from a
// multiplicative hash of the key, so the strings of a long run of one colour spread over the
// table as any others do.
constexpr int kSlotBits = 13;
constexpr uint32_t kSlots = 1u << kSlotBits;
constexpr uint32_t kFreeSlot = 0xFFFFFFFFu;  // no key reaches it (codes stay below 4095)

inline uint32_t SlotOf(uint32_t Key) { return (Key * 0x9E3779B1u) >> (32 - kSlotBits); }

// Codes packed from the least significant bit into 255-byte sub-blocks.
struct TCodeWriter {
  std::vector<uint8_t>& Out;
  uint64_t Buf = 0;
  int Have = 0;
  int InBlock = 0;
  uint8_t Block[256];
  explicit TCodeWriter(std::vector<uint8_t>& O) : Out(O) {}
  void Emit() {
    Block[0] = uint8_t(InBlock);
    Out.insert(Out.end(), Block, Block + 1 + InBlock);
    InBlock = 0;
  }
  void Byte(uint8_t B) {
    Block[1 + InBlock] = B;
    if (++InBlock == 255) Emit();
  }
  void Put(uint32_t Code, int Width) {
    Buf |= uint64_t(Code) << Have;
    Have += Width;
    while (Have >= 8) {
      Byte(uint8_t(Buf));
      Buf >>= 8;
      Have -= 8;
    }
  }
  // The last bits, the last sub-block and the terminator.
  void Flush() {
    if (Have > 0) Byte(uint8_t(Buf));
    Have = 0;
    if (InBlock > 0) Emit();
    Out.push_back(0);
  }
};

template <int Bits>
inline uint32_t PixelAt(const uint8_t* Row, int32_t X) {
  if constexpr (Bits == 8)
    return Row[X];
  else if constexpr (Bits == 4)
    return (X & 1) ? (Row[X >> 1] & 15u) : (Row[X >> 1] >> 4);
  else
    return (Row[X >> 3] >> (7 - (X & 7))) & 1u;
}

// The codes of the rows of a 1-, 4- or 8-bit picture, from the top; RowDone(y) after each row.
template <int Bits, class TRowDone>
void LzwCodes(const TDib& D, TCodeWriter& C, TRowDone&& RowDone) {
  int W = Bits == 1 ? 3 : Bits + 1;
  const int StartW = W;
  const uint32_t Clear = 1u << (W - 1), End = Clear + 1;
  uint32_t Last = Clear + 1, Cap = 1u << W;
  std::vector<uint32_t> Table(kSlots, kFreeSlot);
  C.Put(Clear, W);
  bool HavePrefix = false;
  uint32_t Prefix = 0;
  for (int32_t y = 0; y < D.Height; ++y) {
    const uint8_t* Row = D.Row(y);
    for (int32_t x = 0; x < D.Width; ++x) {
      const uint32_t P = PixelAt<Bits>(Row, x);
      if (!HavePrefix) {
        Prefix = P;
        HavePrefix = true;
        continue;
      }
      const uint32_t Key = (Prefix << 8) | P;
      uint32_t S = SlotOf(Key), E;
      while ((E = Table[S]) != kFreeSlot && (E >> 12) != Key) S = (S + 1) & (kSlots - 1);
      if (E != kFreeSlot) {
        Prefix = E & 0xFFFu;
        continue;
      }
      C.Put(Prefix, W);
      ++Last;
      Table[S] = (Key << 12) | Last;
      Prefix = P;
      if (Last == Cap) {
        Cap *= 2;
        ++W;
      } else if (Last > 4093) {
        C.Put(Prefix, W);
        C.Put(Clear, W);
        HavePrefix = false;
        Last = Clear + 1;
        W = StartW;
        Cap = 1u << W;
        std::fill(Table.begin(), Table.end(), kFreeSlot);
      }
    }
    RowDone(y);
  }
  if (HavePrefix) {
    C.Put(Prefix, W);
    // The decoder adds an entry for this code and may widen before it reads the end code.
    if (Last + 1 == Cap && W < 12) ++W;
  }
  C.Put(End, W);
  C.Flush();
}

// The LZW data of an indexed picture (1, 4 or 8 bits), rows from the top.
void LzwEncode(std::vector<uint8_t>& Out, const TDib& D, TCvGIF* G) {
  const int StartW = D.BitCount == 1 ? 3 : D.BitCount + 1;
  Out.push_back(uint8_t(StartW - 1));
  Out.reserve(Out.size() + size_t(D.Stride()) * D.Height / 2 + 64);
  TCodeWriter C(Out);
  const std::string Text = "Кодирование GIF"_cp;
  auto Report = [&](TGIFProgressStage S, int32_t P, const std::string& M) {
    return G ? G->Progress(S, P, M) : true;
  };
  Report(TGIFProgressStage::Starting, 0, Text);
  int32_t LastPercent = 0;
  auto RowDone = [&](int32_t y) {
    const int32_t Percent = int32_t(int64_t(y + 1) * 100 / D.Height);
    if (Percent != LastPercent) {
      LastPercent = Percent;
      if (!Report(TGIFProgressStage::Running, Percent, Text)) throw EGraphicAbort();
    }
  };
  switch (D.BitCount) {
    case 8: LzwCodes<8>(D, C, RowDone); break;
    case 4: LzwCodes<4>(D, C, RowDone); break;
    default: LzwCodes<1>(D, C, RowDone); break;
  }
  Report(TGIFProgressStage::Ending, 100, Text);
}

}  // namespace

void TGIFFrame::Encode() {
  if (!HasBitmap()) FailEmpty();
  const TDib& B = *BitmapData;
  TDib Reduced;
  const TDib* Src = &B;
  if (B.BitCount != 1 && B.BitCount != 4 && B.BitCount != 8) {
    Reduced = TDib::LoadFromBmp(
        BitmapToPaletteDIB(B, 8, Grayscale ? rmGrayscale : TCvGIF::DefaultReduction));
    Src = &Reduced;
  }
  uint32_t Count;
  switch (Src->BitCount) {
    case 1: Count = 2; break;
    case 4: Count = 16; break;
    case 8: Count = 256; break;
    default: Fail("GIF: unsupported bitmap format");
  }
  // A fresh item: an abort leaves the frame's encoded data as they were.
  auto It = std::make_shared<TGIFItem>();
  It->Table.Count = Count;
  for (uint32_t i = 0; i < Count; ++i) {
    const TRGBQuad Q = i < Src->Palette.size() ? Src->Palette[i] : TRGBQuad{};
    It->Table.Entries[i] = {Q.R, Q.G, Q.B};
  }
  try {
    LzwEncode(It->Encoded, *Src, Owner);
  } catch (const std::exception& X) {
    if (Owner) Owner->Progress(TGIFProgressStage::Ending, 0, X.what());
    throw;
  }
  Interlaced = false;
  It->Bits = BitsFor(Count);
  It->Width = Src->Width;
  It->Height = Src->Height;
  Item = It;
  if (Owner) {
    TGIFData& Dt = *Owner->Data;
    if (Dt.Global.Count == 0) {
      Dt.Global = It->Table;
      Dt.GlobalBits = It->Bits;
      if (Dt.ColorResolution == 0) Dt.ColorResolution = It->Bits;
      LocalTable = false;
    } else {
      LocalTable = true;
    }
    Owner->ScreenWidth = uint16_t(std::max<int64_t>(Owner->ScreenWidth, std::min(65535, It->Width + Left)));
    Owner->ScreenHeight = uint16_t(std::max<int64_t>(Owner->ScreenHeight, std::min(65535, It->Height + Top)));
  }
}

void TGIFFrame::SyncControlExtension() {
  TExtension* GC = nullptr;
  for (auto it = Extensions.rbegin(); it != Extensions.rend(); ++it)
    if (it->Kind == ekGraphicControl) {
      GC = &*it;
      break;
    }
  if (!GC && (Delay != 0 || TransparentColor != clNone || Disposal != 0)) {
    Extensions.push_back(TExtension{ekGraphicControl, {4, 0, 0, 0, 0, 0}, {}});
    GC = &Extensions.back();
  }
  if (GC) {
    GC->Fixed.resize(6, 0);
    const uint32_t D = Delay / 10;
    GC->Fixed[2] = uint8_t(D);
    GC->Fixed[3] = uint8_t(D >> 8);
    const int32_t I = Item->Table.IndexOf(TransparentColor);
    if (I >= 0) {
      GC->Fixed[4] = uint8_t(I);
      GC->Fixed[1] |= 1;
    } else {
      GC->Fixed[1] &= uint8_t(~1);
    }
    GC->Fixed[1] = uint8_t((GC->Fixed[1] & ~0x1C) | ((Disposal & 7) << 2));
  }
  std::erase_if(Extensions, [](const TExtension& E) { return E.Kind == ekComment && E.Lines.empty(); });
  if (!Extensions.empty() && Owner) Owner->Version = 2;
}

// ---- the stream ----

void TCvGIF::ReadGIFStream(const uint8_t* P, size_t Size, bool DecodeFirst) {
  Clear();
  if (Size == 0) return;
  const std::vector<uint8_t> Copy(P, P + Size);
  TIn In{Copy.data(), Copy.size()};
  uint8_t H[6];
  if (In.Left() < 6) FailNotGif();
  In.Read(H, 6);
  if (!SameNoCase(H, "GIF")) FailNotGif();
  if (SameNoCase(H + 3, "87a"))
    Version = 1;
  else if (SameNoCase(H + 3, "89a"))
    Version = 2;
  else
    FailNotGif();
  uint8_t S[7];
  In.Read(S, 7);
  ScreenWidth = uint16_t(S[0] | (S[1] << 8));
  ScreenHeight = uint16_t(S[2] | (S[3] << 8));
  // The screen is a size only (nothing of its size is made): any size reads, so that what the
  // writer makes of a frame far out on a small screen reads again. Frames are limited.
  Data->GlobalBits = uint8_t((S[4] & 7) + 1);
  Data->ColorResolution = uint8_t(((S[4] >> 4) & 7) + 1);
  Data->Aspect = S[6];
  if (S[4] & 0x80) {
    ReadTable(In, Data->Global, 1u << Data->GlobalBits);
    if (S[5] < Data->Global.Count) BackgroundColor = Data->Global.Color(S[5]);
  }
  std::vector<TExtension> Collected;
  uint8_t B = In.ByteOr(';');
  while (B != 0 && B != ';' && !In.AtEnd()) {
    while (B == '!') {
      TExtension E;
      const bool Whole = ReadExtension(In, E);
      if (E.Kind == ekPlainText) {
        Collected.clear();
      } else if (E.Kind == ekApplication) {
        const int32_t N = Whole ? LoopCount(E) : -1;
        if (N >= 0) {
          Looping = true;
          RepeatCount = uint16_t(std::min(N, 30000));
        }
      } else if (Whole || E.Kind == ekComment) {
        Collected.push_back(std::move(E));
      }
      B = In.ByteOr(';');
    }
    if (B == ',') {
      auto F = std::make_unique<TGIFFrame>(this);
      if (Data->Global.Count > 0) {
        const uint32_t N = Data->Global.Count;
        if (N < 2 || N > 256 || (N & (N - 1)) != 0) FailColourCount();
        F->Item->Bits = BitsFor(N);
      }
      F->Extensions = std::move(Collected);
      Collected.clear();
      ReadImage(*F, In, *this);
      Frames.push_back(std::move(F));
      if (In.AtEnd()) {
        B = ';';
      } else {
        B = In.ByteOr(';');
        while (B == 0 && !In.AtEnd()) B = In.ByteOr(';');
      }
      continue;
    }
    if (B != '!') break;
  }
  if (Data->Comment.empty()) {
    for (TExtension& E : Collected) {
      if (E.Kind != ekComment) continue;
      if (!Data->Comment.empty()) Data->Comment.push_back("\r\n\r\n");
      Data->Comment.insert(Data->Comment.end(), E.Lines.begin(), E.Lines.end());
    }
  }
  if (!Frames.empty()) {
    CurrentFrame = 0;
    if (DecodeFirst) {
      try {
        Bitmap();
      } catch (...) {
        Frames.erase(Frames.begin());
        CurrentFrame = Frames.empty() ? -1 : 0;
        throw;
      }
    }
  }
  Changed();
}

namespace {

void PutLines(std::vector<uint8_t>& O, const std::vector<std::string>& Lines) {
  for (const std::string& L : Lines) {
    const size_t N = std::min<size_t>(L.size(), 255);
    if (N == 0) continue;
    O.push_back(uint8_t(N));
    O.insert(O.end(), L.begin(), L.begin() + N);
  }
  O.push_back(0);
}

void PutWord(std::vector<uint8_t>& O, uint32_t V) {
  O.push_back(uint8_t(V));
  O.push_back(uint8_t(V >> 8));
}

void PutTable(std::vector<uint8_t>& O, const TGIFColorTable& T, uint8_t Bits) {
  const uint32_t N = 1u << Bits;
  for (uint32_t i = 0; i < N; ++i)
    for (int c = 0; c < 3; ++c) O.push_back(i < T.Count ? T.Entries[i][c] : 0);
}

}  // namespace

std::vector<uint8_t> TCvGIF::WriteGIFStream(bool WithSize) {
  if (Frames.empty()) FailEmpty();
  for (auto& F : Frames)
    if (!F->HasEncoded()) F->Encode();
  for (auto& F : Frames) F->SyncControlExtension();
  if (!Data->Comment.empty()) Version = 2;
  std::vector<uint8_t> O;
  if (WithSize) O.resize(4);
  const std::string V = Version == 2 ? "GIF89a" : "GIF87a";
  O.insert(O.end(), V.begin(), V.end());
  UpdateScreenSize();
  PutWord(O, ScreenWidth);
  PutWord(O, ScreenHeight);
  const TGIFColorTable& GT = Data->Global;
  uint8_t GBits = 0;
  if (GT.Count > 0) {
    GBits = Data->GlobalBits ? Data->GlobalBits : BitsFor(GT.Count);
    // The colour resolution: log2 of the table size, within its 3 bits.
    const uint8_t R = BitsFor(GT.Count);
    O.push_back(uint8_t(0x80 | ((R - 1) << 4) | (GBits - 1)));
  } else {
    O.push_back(0);
  }
  const int32_t Bg = GT.IndexOf(BackgroundColor);
  O.push_back(uint8_t(Bg < 0 ? 0 : Bg));
  O.push_back(Data->Aspect);
  if (GT.Count > 0) PutTable(O, GT, GBits);
  if (Looping && Frames.size() > 1) {
    const uint8_t L[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                         0x03, 0x01, uint8_t(RepeatCount), uint8_t(RepeatCount >> 8), 0x00};
    O.insert(O.end(), std::begin(L), std::end(L));
  }
  static const uint8_t kLabel[4] = {0xF9, 0x01, 0xFF, 0xFE};
  for (auto& F : Frames) {
    for (const TExtension& E : F->Extensions) {
      O.push_back(0x21);
      O.push_back(kLabel[E.Kind & 3]);
      O.insert(O.end(), E.Fixed.begin(), E.Fixed.end());
      if (E.Kind != ekGraphicControl) PutLines(O, E.Lines);
    }
    TGIFItem& It = *F->Item;
    O.push_back(',');
    PutWord(O, uint32_t(F->Left));
    PutWord(O, uint32_t(F->Top));
    PutWord(O, uint32_t(It.Width));
    PutWord(O, uint32_t(It.Height));
    uint8_t Packed = 0;
    if (F->LocalTable) {
      It.Bits = BitsFor(It.Table.Count);
      Packed = uint8_t(0x80 | (It.Bits - 1));
    }
    if (F->Interlaced) Packed |= 0x40;
    O.push_back(Packed);
    if (F->LocalTable) PutTable(O, It.Table, It.Bits);
    O.insert(O.end(), It.Encoded.begin(), It.Encoded.end());
  }
  if (!Data->Comment.empty()) {
    O.push_back(0x21);
    O.push_back(0xFE);
    PutLines(O, Data->Comment);
  }
  O.push_back(';');
  if (WithSize) {
    const uint32_t N = uint32_t(O.size() - 4);
    for (int i = 0; i < 4; ++i) O[i] = uint8_t(N >> (8 * i));
  }
  return O;
}
