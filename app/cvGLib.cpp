#include "app/cvGLib.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/cvTIFF.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"

namespace {

// Nearest integer, halves to even.
int32_t RoundEven(double X) { return static_cast<int32_t>(std::nearbyint(X)); }

}  // namespace

// ---- picture files ----

int32_t GraphFormatOf(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) return -1;
  uint8_t b[16] = {};
  if (std::FILE* F = std::fopen(platform::SysPath(FileName).c_str(), "rb")) {
    (void)std::fread(b, 1, sizeof b, F);
    std::fclose(F);
  } else {
    return -1;
  }
  int32_t R = (b[0] == 'B' && b[1] == 'M') ? 1 : -1;
  if ((b[0] == 'I' && b[1] == 'I' && b[2] == 42 && b[3] == 0) ||
      (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == 42))
    R = 2;
  if ((b[6] == 'J' && b[7] == 'F' && b[8] == 'I' && b[9] == 'F') ||
      (b[6] == 'E' && b[7] == 'x' && b[8] == 'i' && b[9] == 'f'))
    R = 3;
  if (b[0] == 137 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G' && b[4] == 13 && b[5] == 10 &&
      b[6] == 26 && b[7] == 10)
    R = 4;
  if (b[0] == 177 && b[1] == 104 && b[2] == 222 && b[3] == 58) R = 5;
  if (b[0] == 10) R = 6;
  if (b[0] == 215 && b[1] == 205 && b[2] == 198 && b[3] == 154) R = 7;
  if (b[0] == 1 && b[1] == 0 && b[2] == 0 && b[3] == 0) R = 7;
  return R;
}

std::string GraphFormatName(int32_t Code) {
  switch (Code) {
    case 1: return "BMP";
    case 2: return "TIF";
    case 3: return "JPG";
    case 4: return "PNG";
    case 5: return "DCX";
    case 6: return "PCX";
    case 7: return "EMF";
    default: return "???";
  }
}

std::unique_ptr<TStringList> PictureInfo(const std::string& FileName) {
  auto SL = std::make_unique<TStringList>();
  std::string Folder, Bare, Ext;
  SplitPath(FileName, Folder, Bare, Ext);
  SL->Add("FileName=" + Bare + Ext);
  const int32_t Fmt = GraphFormatOf(FileName);
  SL->Add("GraphFormat=" + GraphFormatName(Fmt));
  if (Fmt == 1) {
    SL->Add("BMP - Пока всё"_cp);
  } else if (Fmt == 2) {
    TTiffFile Tiff;
    Tiff.InitFile(FileName);
    SL->Add("LX=" + std::to_string(Tiff.Width));
    SL->Add("LY=" + std::to_string(Tiff.Height));
    SL->Add("NBit=" + std::to_string(Tiff.BitsPerSample));
  } else if (Fmt == 3) {
    SL->Add("JPG - Пока всё"_cp);
  }
  return SL;
}

// ---- colours ----

uint32_t StrRGBtoColor(const std::string& Text) {
  uint32_t C = clNone;
  if (!ParseRGBColor(Text, C)) WARNAbs("Err: StrRGBtoColor(" + Text + ")!!!");
  return C;
}

uint32_t HighLightColor(uint32_t Color, int32_t S) {
  int32_t Ch[3] = {static_cast<int32_t>(Color & 0xFF), static_cast<int32_t>((Color >> 8) & 0xFF),
                   static_cast<int32_t>((Color >> 16) & 0xFF)};
  const uint32_t H = Color >> 24;
  if (H == 255) {
    uint32_t B0 = Color & 0xFF;
    B0 = (B0 == 5) ? 3 : ((B0 + 1) & 0xFF);
    return (Color & 0xFFFFFF00u) | B0;
  }
  if (H != 0) {
    WARNAbs("HighLight Color R" + std::to_string(Ch[0]) + ":" + " G" + std::to_string(Ch[1]) +
            ":" + " B" + std::to_string(Ch[2]) + ":" + " SystemColor = " + std::to_string(H) +
            " <> 0!!!");
    return Color;
  }
  int K = 0;
  for (int32_t C : Ch)
    if (255 - C > S) ++K;
  int64_t D = 3LL * S;
  if (K == 3) {
    for (int32_t& C : Ch) C += S;
  } else if (K == 0) {
    for (int32_t& C : Ch)
      if (C >= S) C -= S;
  } else if (K == 2) {
    for (int32_t& C : Ch) {
      const int64_t Take = std::min<int64_t>(D, 255 - C);
      C += static_cast<int32_t>(Take);
      D -= Take;
    }
  } else {
    int Last = -1;
    for (int i = 0; i < 3; ++i)
      if (255 - Ch[i] >= D) Last = i;
    if (Last >= 0) {
      Ch[Last] += static_cast<int32_t>(D);
    } else {
      for (int32_t& C : Ch) {
        const int64_t Take = std::min<int64_t>(D, C);
        C -= static_cast<int32_t>(Take);
        D -= Take;
      }
    }
  }
  for (int32_t& C : Ch) C = std::clamp(C, 0, 255);
  return platform::RGBColor(static_cast<uint8_t>(Ch[0]), static_cast<uint8_t>(Ch[1]),
                            static_cast<uint8_t>(Ch[2]));
}

// ---- rectangles and segments ----

bool PointInRect(const TRect& R, const TPoint& P) { return PointInRectXY(R, P.X, P.Y); }

bool PointInRectXY(const TRect& R, int32_t X, int32_t Y) {
  const int32_t L = std::min(R.Left, R.Right), Rt = std::max(R.Left, R.Right);
  const int32_t T = std::min(R.Top, R.Bottom), B = std::max(R.Top, R.Bottom);
  return X >= L && X <= Rt && Y >= T && Y <= B;
}

TRect OffsetRectBy(const TRect& R, const TPoint& P) {
  return TRect{R.Left + P.X, R.Top + P.Y, R.Right + P.X, R.Bottom + P.Y};
}

TRect BitmapRect(const TBitmap& B) { return TRect{0, 0, B.Width(), B.Height()}; }

bool ClipSegment(double X1, double Y1, double X2, double Y2, double XMin, double YMin,
                 double XMax, double YMax, double& CX1, double& CY1, double& CX2, double& CY2) {
  CX1 = CY1 = CX2 = CY2 = 0;
  const double dx = X2 - X1, dy = Y2 - Y1;
  const double P[4] = {-dx, dx, -dy, dy};
  const double Q[4] = {X1 - XMin, XMax - X1, Y1 - YMin, YMax - Y1};
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 4; ++i) {
    if (P[i] == 0) {
      if (Q[i] < 0) return false;
      continue;
    }
    const double r = Q[i] / P[i];
    if (P[i] > 0) {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    } else {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    }
  }
  if (t1 < t0) return false;
  CX1 = X1 + t0 * dx;
  CY1 = Y1 + t0 * dy;
  CX2 = X1 + t1 * dx;
  CY2 = Y1 + t1 * dy;
  return true;
}

void ViewRange(int32_t N, int32_t M, double B, double C, double Z, int32_t& Dst1,
               int32_t& Src1, int32_t& Src2, int32_t& Dst2) {
  const double L = Z * M / N;
  const double O = N * (C - B * L);
  const double T = M * (B - C / L);
  const double V = N * (C + L * (1 - B));
  const double H = M * (B + (1 - C) / L);
  if (O > 0) {
    Src1 = 0;
    Dst1 = RoundEven(O - 0.5);
  } else if (Z > 1) {
    Src1 = RoundEven(0.5 / Z + T - 0.5);
    Dst1 = RoundEven(O + Z * Src1 - 0.5);
  } else {
    Src1 = RoundEven(T - 0.5);
    Dst1 = 0;
  }
  if (V >= N) {
    if (Z > 1) {
      Src2 = RoundEven(H - 0.5 / Z - 0.5);
      Dst2 = RoundEven(V - Z * (M - Src2 - 1) - 0.5);
    } else {
      Dst2 = N - 1;
      Src2 = RoundEven(H - 0.5);
    }
  } else {
    Src2 = M - 1;
    Dst2 = RoundEven(V - 0.5);
  }
}

// ---- canvas text ----

void DrawGlyphFrame(TCanvas* Canvas, int32_t X, int32_t Y, const TBitmap* Strip,
                    int32_t FrameCount, int32_t FrameIndex) {
  if (!Canvas || !Strip || FrameCount == 0) return;
  const int32_t W = Strip->Width() / FrameCount, H = Strip->Height();
  if (W <= 0 || H <= 0) return;
  Canvas->CopyRect(TRect{X, Y, X + W, Y + H}, *Strip,
                   TRect{FrameIndex * W, 0, FrameIndex * W + W, H});
}

void CanvasClear(TCanvas* Canvas) {
  if (!Canvas) {
    WARNAbs("Err-CanvasClear - Canvas неопределён"_cp);
    return;
  }
  Canvas->FillRect(Canvas->ClipRect());
}

TRect CanvasSayRect(TCanvas* Canvas, const std::string& Text, int32_t Column) {
  if (!Canvas) {
    WARNAbs("Err-CanvasSayRect - Canvas неопределён"_cp + "\nS=" + Text);
    return TRect{};
  }
  const int32_t h = Canvas->TextHeight(Text);
  const int32_t A = (Canvas->ClipRect().Bottom - h) / 2;
  const int32_t n = Canvas->TextWidth("N");
  TRect R;
  R.Left = A + Column * n;
  R.Top = A;
  R.Right = R.Left + Canvas->TextWidth(Text);
  R.Bottom = A + h;
  return R;
}

void CanvasSay(TCanvas* Canvas, const std::string& Text, int32_t Column, uint32_t Background) {
  if (!Canvas) {
    WARNAbs("Err-CanvasSay - Canvas неопределён"_cp + "\nS=" + Text);
    return;
  }
  const TRect R = CanvasSayRect(Canvas, Text, Column);
  const platform::TBrush Old = Canvas->Brush;
  Canvas->Brush.Color = Background;
  Canvas->Brush.Style = platform::TBrushStyle::Solid;
  Canvas->FillRect(R);
  Canvas->TextOut(R.Left, R.Top, Text);
  Canvas->Brush = Old;
}

void CanvasSayBits(int32_t FirstColumn, uint32_t ColorOff, uint32_t ColorOn, int32_t Mask,
                   const std::string& Text, TCanvas* Canvas) {
  const int32_t N = std::min<int32_t>(32, static_cast<int32_t>(Text.size()));
  for (int32_t i = 0; i < N; ++i)
    CanvasSay(Canvas, Text.substr(static_cast<size_t>(i), 1), FirstColumn + i,
              IsBitSet(Mask, i) ? ColorOn : ColorOff);
}

void CanvasTextInRect(TCanvas* Canvas, const std::string& Text, const TRect& R,
                      uint32_t TextColor, uint32_t Background, int32_t HMode, int32_t VMode) {
  if (!Canvas) return;
  const platform::TBrush OldBrush = Canvas->Brush;
  const uint32_t OldFont = Canvas->Font.Color;
  Canvas->Brush.Color = Background;
  Canvas->Brush.Style = platform::TBrushStyle::Solid;
  Canvas->Font.Color = TextColor;
  const int32_t W = R.Right - R.Left, H = R.Bottom - R.Top;
  const int32_t TW = Canvas->TextWidth(Text), TH = Canvas->TextHeight(Text);
  int32_t DX = 0, DY = 0;
  if (HMode == 1) DX = W - TW;
  if (HMode == 2) DX = (W - TW) / 2;
  if (VMode == 1) DY = (H - TH) / 2;
  if (VMode == 2) DY = H - TH;
  Canvas->TextRect(R, R.Left + DX, R.Top + DY, Text);
  Canvas->Brush = OldBrush;
  Canvas->Font.Color = OldFont;
}

// ---- 24-bit bitmaps ----

bool CheckIsBitmap(const TBitmap* Handle, const std::string& Caller) {
  if (Handle) return true;
  WARNAbs("процедура (ф-я) "_cp + Caller + " в качестве параметра приняла НЕ BITMAP!"_cp);
  return false;
}

void BitmapFill(TBitmap* Bitmap, uint32_t Color) {
  if (!Bitmap) return;
  TCanvas& C = Bitmap->Canvas();
  const platform::TBrush Old = C.Brush;
  C.Brush.Color = Color;
  C.Brush.Style = platform::TBrushStyle::Solid;
  C.FillRect(C.ClipRect());
  C.Brush = Old;
}

void BMPAddColors(TBitmap* Bitmap, char Letter) {
  if (!CheckIsBitmap(Bitmap, "BMPAddColors")) return;
  int Byte = -1;
  if (Letter == 'B') Byte = 0;
  if (Letter == 'G') Byte = 1;
  if (Letter == 'R') Byte = 2;
  if (Byte < 0) return;
  if (Bitmap->PixelBits() != 24) {
    WARNAbs("процедура BMPAddColors работает только с 24-битными BMP!"_cp);
    return;
  }
  for (int32_t y = 0; y < Bitmap->Height(); ++y) {
    uint8_t* P = Bitmap->ScanLine(y) + Byte;
    for (int32_t x = 0; x < Bitmap->Width(); ++x, P += 3) *P = 255;
  }
  Bitmap->Canvas().Changed(BitmapRect(*Bitmap));
}

void CopyBMPRect(TBitmap* D, const TRect& RD, const TBitmap* S, const TRect& RS) {
  if (!D || !S) return;
  if (RD.Top < 0) return WARNAbs("CopyBMPRect RDest.Top = " + std::to_string(RD.Top));
  if (RD.Bottom - 1 >= D->Height())
    return WARNAbs("CopyBMPRect RDest.Bottom = " + std::to_string(RD.Bottom) +
                   " BMPDest.Height = " + std::to_string(D->Height()));
  if (RD.Left < 0) return WARNAbs("CopyBMPRect RDest.Left = " + std::to_string(RD.Left));
  if (RD.Right - 1 >= D->Width())
    return WARNAbs("CopyBMPRect RDest.Right = " + std::to_string(RD.Right) +
                   " BMPDest.Width = " + std::to_string(D->Width()));
  const int32_t Ws = RS.Right - RS.Left - 1, Hs = RS.Bottom - RS.Top - 1;
  if (RS.Left + Ws >= S->Width())
    return WARNAbs("CopyBMPRect xs0+lxs=" + std::to_string(RS.Left) + "+" + std::to_string(Ws) +
                   " BMPSrc.Width=" + std::to_string(S->Width()) +
                   " rSrc.Left=" + std::to_string(RS.Left) + " Right=" + std::to_string(RS.Right));
  if (RS.Top + Hs >= S->Height())
    return WARNAbs("CopyBMPRect ys0+lys=" + std::to_string(RS.Top) + "+" + std::to_string(Hs) +
                   " BMPSrc.Height=" + std::to_string(S->Height()) +
                   " rSrc.Top=" + std::to_string(RS.Top) + " Bottom=" + std::to_string(RS.Bottom));
  if (RS.Left < 0 || RS.Top < 0 || Ws < 0 || Hs < 0) return;
  const int32_t Wd = RD.Right - RD.Left - 1, Hd = RD.Bottom - RD.Top - 1;
  const int32_t Bd = D->BytesPerPixel(), Bs = S->BytesPerPixel();
  for (int32_t y = RD.Top; y < RD.Bottom; ++y) {
    // A destination one pixel high or wide takes the source's first row or column.
    const int32_t sy = RS.Top + (Hd > 0 ? static_cast<int32_t>(int64_t(y - RD.Top) * Hs / Hd) : 0);
    uint8_t* P = D->ScanLine(y) + static_cast<size_t>(RD.Left) * Bd;
    const uint8_t* Row = S->ScanLine(sy);
    for (int32_t x = RD.Left; x < RD.Right; ++x, P += Bd) {
      const int32_t sx =
          RS.Left + (Wd > 0 ? static_cast<int32_t>(int64_t(x - RD.Left) * Ws / Wd) : 0);
      std::copy_n(Row + static_cast<size_t>(sx) * Bs, 3, P);
    }
  }
  D->Canvas().Changed(RD);
}

void BlitAt(TBitmap* D, const TPoint& At, const TBitmap* S, const TRect& RSrc) {
  if (!D || !S) return;
  // Columns l..r-1 and rows t..b-1 of S; what falls outside either bitmap is left out.
  TRect R{std::max(RSrc.Left, 0), std::max(RSrc.Top, 0), std::min(RSrc.Right, S->Width()),
          std::min(RSrc.Bottom, S->Height())};
  R.Left = std::max(R.Left, RSrc.Left - At.X);
  R.Top = std::max(R.Top, RSrc.Top - At.Y);
  R.Right = std::min(R.Right, RSrc.Left + D->Width() - At.X);
  R.Bottom = std::min(R.Bottom, RSrc.Top + D->Height() - At.Y);
  if (R.IsEmpty()) return;
  const int32_t Bd = D->BytesPerPixel(), Bs = S->BytesPerPixel();
  for (int32_t y = R.Top; y < R.Bottom; ++y) {
    uint8_t* P = D->ScanLine(At.Y + y - RSrc.Top) + static_cast<size_t>(At.X + R.Left - RSrc.Left) * Bd;
    const uint8_t* Q = S->ScanLine(y) + static_cast<size_t>(R.Left) * Bs;
    for (int32_t x = R.Left; x < R.Right; ++x, P += Bd, Q += Bs) std::copy_n(Q, 3, P);
  }
  D->Canvas().Changed(TRect{At.X + R.Left - RSrc.Left, At.Y + R.Top - RSrc.Top,
                            At.X + R.Right - RSrc.Left, At.Y + R.Bottom - RSrc.Top});
}

void BMPtoWindow(const TBitmap* S, TBitmap* W, int32_t X0, int32_t Y0, uint32_t Background) {
  if (!S) return WARNAbs("BMPtoWindow sBMP Not Assigned!");
  if (!W) return WARNAbs("BMPtoWindow dBMP Not Assigned!");
  if (S->Width() <= 0 || S->Height() <= 0 || W->Width() <= 0 || W->Height() <= 0) {
    BitmapFill(W, Background);
    return;
  }
  int32_t DX1, SX1, SX2, DX2, DY1, SY1, SY2, DY2;
  ViewRange(W->Width(), S->Width(), double(X0) / S->Width(), 0, 1, DX1, SX1, SX2, DX2);
  ViewRange(W->Height(), S->Height(), double(Y0) / S->Height(), 0, 1, DY1, SY1, SY2, DY2);
  if (DX1 < 0) return WARNAbs("BMPtoWindow Dst_X1 = " + std::to_string(DX1));
  if (DY1 < 0) return WARNAbs("BMPtoWindow Dst_Y1 = " + std::to_string(DY1));
  if (SX1 < 0) return WARNAbs("BMPtoWindow Src_X1 = " + std::to_string(SX1));
  if (SY1 < 0) return WARNAbs("BMPtoWindow Src_Y1 = " + std::to_string(SY1));
  if (SX2 >= S->Width()) {
    WARNAbs("BMPtoWindow Src_X2 = " + std::to_string(SX2) + " Width=" + std::to_string(S->Width()));
    if (SX2 > S->Width()) return;
  }
  if (SY2 >= S->Height()) {
    WARNAbs("BMPtoWindow Src_Y2 = " + std::to_string(SY2) +
            " Height=" + std::to_string(S->Height()));
    if (SY2 > S->Height()) return;
  }
  BitmapFill(W, Background);
  // Src2 is the last picture pixel that falls into the window: it is copied too (BlitAt leaves
  // out what lies beyond the picture).
  BlitAt(W, TPoint{DX1, DY1}, S, TRect{SX1, SY1, SX2 + 1, SY2 + 1});
}

void BitmapMirror(std::unique_ptr<TBitmap>& B) {
  if (!B) return;
  auto N = std::make_unique<TBitmap>(B->Width(), B->Height());
  const int32_t W = B->Width(), Bs = B->BytesPerPixel();
  for (int32_t y = 0; y < B->Height(); ++y) {
    const uint8_t* S = B->ScanLine(y);
    uint8_t* D = N->ScanLine(y);
    for (int32_t x = 0; x < W; ++x)
      std::copy_n(S + static_cast<size_t>(W - 1 - x) * Bs, 3, D + static_cast<size_t>(x) * 3);
  }
  N->Canvas().Font = B->Canvas().Font;
  B = std::move(N);
}

void DrawTransparentBMP(TCanvas* Canvas, int32_t X, int32_t Y, const TBitmap* P,
                        uint32_t Transparent) {
  if (!Canvas || !P) return;
  const uint32_t T = platform::ColorToRGB(Transparent);
  TBitmap& Surf = Canvas->Surface();
  const TRect A{std::max(X, 0), std::max(Y, 0), std::min(X + P->Width(), Surf.Width()),
                std::min(Y + P->Height(), Surf.Height())};
  if (A.IsEmpty()) return;
  for (int32_t y = A.Top; y < A.Bottom; ++y)
    for (int32_t x = A.Left; x < A.Right; ++x) {
      const uint32_t C = P->Pixel(x - X, y - Y);
      if (C != T) Surf.SetPixel(x, y, C);
    }
  Canvas->Changed(A);
}
