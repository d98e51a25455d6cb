#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
FixedCellRenderer DefaultRenderer;
TextRenderer* Renderer = nullptr;
ScreenWidthService ScreenService;

TRect Intersect(const TRect& A, const TRect& B) {
  TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
  if (R.Right < R.Left) R.Right = R.Left;
  if (R.Bottom < R.Top) R.Bottom = R.Top;
  return R;
}

// Pixel value in the byte order of the rows.
inline void PutPixel(uint8_t* P, uint32_t C) {
  P[0] = BlueOf(C);
  P[1] = GreenOf(C);
  P[2] = RedOf(C);
}
}  // namespace

uint32_t ColorToRGB(uint32_t Color) {
  if ((Color >> 24) == 0xFF) {
    switch (Color & 0xFF) {
      case 5:  // window
      case 14:  // highlight text
      case 0x18:  // info background
        return Color == clInfoBk ? 0xE1FFFF : 0xFFFFFF;
      case 8:   // window text
      case 7:   // menu text
      case 9:   // caption text
      case 0x12:  // button text
      case 0x17:  // info text
        return 0x000000;
      case 13:  // highlight
        return 0xD77800;
      case 0x10:  // button shadow
      case 0x11:  // grey text
        return 0x808080;
      default:
        return 0xF0F0F0;
    }
  }
  if (Color == clNone || Color == clDefault) return 0xFFFFFF;
  return Color & 0xFFFFFF;
}

TextRenderer* SetTextRenderer(TextRenderer* R) {
  TextRenderer* Old = Renderer;
  Renderer = R;
  return Old;
}

TextRenderer& CurrentTextRenderer() { return Renderer ? *Renderer : DefaultRenderer; }

int32_t ScreenWidth() { return ScreenService ? ScreenService() : 2560; }

ScreenWidthService SetScreenWidthService(ScreenWidthService Service) {
  ScreenWidthService Old = std::move(ScreenService);
  ScreenService = std::move(Service);
  return Old;
}

int32_t FontPixelHeight(int32_t Size) { return FontPixelHeight(Size, 96); }

int32_t FontPixelHeight(int32_t Size, int32_t PixelsPerInch) {
  // MulDiv rounding of Size * PixelsPerInch / 72.
  int64_t N = static_cast<int64_t>(std::abs(Size)) * std::max(1, PixelsPerInch);
  return static_cast<int32_t>((N + 36) / 72);
}

// ---- fixed-cell renderer ----

int32_t FixedCellRenderer::CellHeight(const TFont& Font) {
  return std::max<int32_t>(1, FontPixelHeight(Font.Size, Font.PixelsPerInch));
}

int32_t FixedCellRenderer::CellWidth(const TFont& Font) {
  return std::max<int32_t>(1, CellHeight(Font) * 3 / 5);
}

int32_t FixedCellRenderer::TextWidth(const TFont& Font, const std::string& Text) {
  return CellWidth(Font) * static_cast<int32_t>(Text.size());
}

int32_t FixedCellRenderer::TextHeight(const TFont& Font, const std::string&) {
  return CellHeight(Font);
}

void FixedCellRenderer::DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y,
                                 const TFont& Font, const std::string& Text) {
  const int32_t W = CellWidth(Font), H = CellHeight(Font);
  const uint32_t C = ColorToRGB(Font.Color);
  const TRect Area = Intersect(Clip, TRect{0, 0, Target.Width(), Target.Height()});
  for (size_t i = 0; i < Text.size(); ++i) {
    if (static_cast<unsigned char>(Text[i]) <= 32) continue;
    TRect Cell{X + static_cast<int32_t>(i) * W + 1, Y + 1,
               X + static_cast<int32_t>(i + 1) * W - 1, Y + H - 1};
    Cell = Intersect(Cell, Area);
    for (int32_t y = Cell.Top; y < Cell.Bottom; ++y)
      for (int32_t x = Cell.Left; x < Cell.Right; ++x) Target.SetPixel(x, y, C);
  }
}

// ---- bitmap ----

TBitmap::TBitmap(int32_t Width, int32_t Height, int32_t PixelBits)
    : Bits_(PixelBits == 32 ? 32 : 24), Canvas_(std::make_unique<TCanvas>(*this)) {
  SetSize(Width, Height);
}

TBitmap::TBitmap(const TBitmap& Other)
    : Width_(Other.Width_),
      Height_(Other.Height_),
      Bits_(Other.Bits_),
      RowSize_(Other.RowSize_),
      Data_(Other.Data_),
      Canvas_(std::make_unique<TCanvas>(*this)) {
  Canvas_->Font = Other.Canvas_->Font;
  Canvas_->Brush = Other.Canvas_->Brush;
  Canvas_->Pen = Other.Canvas_->Pen;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int32_t Width, int32_t Height) {
  Width = std::max(0, Width);
  Height = std::max(0, Height);
  const int32_t NewRow = (Width * BytesPerPixel() + 3) / 4 * 4;
  std::vector<uint8_t> NewData(static_cast<size_t>(NewRow) * Height, 0xFF);
  if (Bits_ == 32)
    for (size_t i = 3; i < NewData.size(); i += 4) NewData[i] = 0;
  const int32_t CopyRows = std::min(Height, Height_);
  const int32_t CopyBytes = std::min(Width, Width_) * BytesPerPixel();
  for (int32_t y = 0; y < CopyRows; ++y)
    std::copy_n(Data_.data() + static_cast<size_t>(y) * RowSize_, CopyBytes,
                NewData.data() + static_cast<size_t>(y) * NewRow);
  Data_ = std::move(NewData);
  Width_ = Width;
  Height_ = Height;
  RowSize_ = NewRow;
}

uint32_t TBitmap::Pixel(int32_t X, int32_t Y) const {
  if (!Contains(X, Y)) return 0xFFFFFFFF;
  const uint8_t* P = ScanLine(Y) + static_cast<size_t>(X) * BytesPerPixel();
  return RGBColor(P[2], P[1], P[0]);
}

void TBitmap::SetPixel(int32_t X, int32_t Y, uint32_t Color) {
  if (!Contains(X, Y)) return;
  PutPixel(ScanLine(Y) + static_cast<size_t>(X) * BytesPerPixel(), Color);
}

// ---- canvas ----

TCanvas::TCanvas(TCanvasPainter& Painter) : Painter_(&Painter) {}

TBitmap& TCanvas::Surface() {
  static TBitmap None(0, 0);
  return Surface_ ? *Surface_ : None;
}

TRect TCanvas::Bounds() const {
  if (Painter_) return Painter_->Bounds();
  return TRect{0, 0, Surface_->Width(), Surface_->Height()};
}

TRect TCanvas::ClipRect() const { return ClipSet_ ? Intersect(Clip_, Bounds()) : Bounds(); }

void TCanvas::SetClipRect(const TRect& R) {
  ClipSet_ = true;
  Clip_ = R;
  if (Painter_) Painter_->SetClip(ClipRect());
}

void TCanvas::ResetClip() {
  ClipSet_ = false;
  if (Painter_) Painter_->SetClip(Bounds());
}

void TCanvas::Changed(const TRect& R) {
  if (OnChanged && !R.IsEmpty()) OnChanged(R);
}

inline void TCanvas::Put(int32_t X, int32_t Y, uint32_t RGB, const TRect& Clip) {
  if (X < Clip.Left || X >= Clip.Right || Y < Clip.Top || Y >= Clip.Bottom) return;
  PutPixel(Surface_->ScanLine(Y) + static_cast<size_t>(X) * Surface_->BytesPerPixel(), RGB);
}

void TCanvas::FillRect(const TRect& R) {
  if (Brush.Style == TBrushStyle::Clear) return;
  const TRect A = Intersect(R, ClipRect());
  if (A.IsEmpty()) return;
  const uint32_t C = ColorToRGB(Brush.Color);
  if (Painter_) {
    Painter_->FillRect(A, C);
    return;
  }
  const int32_t Bpp = Surface_->BytesPerPixel();
  for (int32_t y = A.Top; y < A.Bottom; ++y) {
    uint8_t* P = Surface_->ScanLine(y) + static_cast<size_t>(A.Left) * Bpp;
    for (int32_t x = A.Left; x < A.Right; ++x, P += Bpp) PutPixel(P, C);
  }
  Changed(A);
}

void TCanvas::PatternFill(const TRect& R, const uint8_t Rows[8], uint32_t OnColor,
                          uint32_t OffColor) {
  const TRect A = Intersect(R, ClipRect());
  if (A.IsEmpty()) return;
  const uint32_t On = ColorToRGB(OnColor), Off = ColorToRGB(OffColor);
  if (Painter_) {
    // The pattern keeps its grid on the surface: drawn as a bitmap of the rectangle.
    TBitmap B(A.Width(), A.Height());
    for (int32_t y = 0; y < B.Height(); ++y)
      for (int32_t x = 0; x < B.Width(); ++x)
        B.SetPixel(x, y, (Rows[(y + A.Top) & 7] >> ((x + A.Left) & 7)) & 1 ? On : Off);
    Painter_->DrawBitmap(A, B, TRect{0, 0, B.Width(), B.Height()});
    return;
  }
  const int32_t Bpp = Surface_->BytesPerPixel();
  for (int32_t y = A.Top; y < A.Bottom; ++y) {
    uint8_t* P = Surface_->ScanLine(y) + static_cast<size_t>(A.Left) * Bpp;
    const uint8_t Row = Rows[y & 7];
    for (int32_t x = A.Left; x < A.Right; ++x, P += Bpp) PutPixel(P, (Row >> (x & 7)) & 1 ? On : Off);
  }
  Changed(A);
}

void TCanvas::MoveTo(int32_t X, int32_t Y) { PenPos_ = TPoint{X, Y}; }

void TCanvas::LineTo(int32_t X, int32_t Y) {
  const uint32_t C = ColorToRGB(Pen.Color);
  if (Painter_) {
    // The painter sets the end pixel too.
    if (!(PenPos_.X == X && PenPos_.Y == Y)) Painter_->Line(PenPos_.X, PenPos_.Y, X, Y, C);
    PenPos_ = TPoint{X, Y};
    return;
  }
  // Bresenham from the pen position, the end point left out.
  int32_t x0 = PenPos_.X, y0 = PenPos_.Y;
  const int32_t dx = std::abs(X - x0), dy = -std::abs(Y - y0);
  const int32_t sx = x0 < X ? 1 : -1, sy = y0 < Y ? 1 : -1;
  int32_t err = dx + dy;
  const TRect Clip = ClipRect();
  TRect Box{std::min(x0, X), std::min(y0, Y), std::max(x0, X) + 1, std::max(y0, Y) + 1};
  while (!(x0 == X && y0 == Y)) {
    Put(x0, y0, C, Clip);
    const int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  PenPos_ = TPoint{X, Y};
  Changed(Intersect(Box, Clip));
}

void TCanvas::Rectangle(const TRect& R) {
  if (R.IsEmpty()) return;
  FillRect(TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1});
  MoveTo(R.Left, R.Top);
  LineTo(R.Right - 1, R.Top);
  LineTo(R.Right - 1, R.Bottom - 1);
  LineTo(R.Left, R.Bottom - 1);
  LineTo(R.Left, R.Top);
}

void TCanvas::Polygon(std::initializer_list<TPoint> Points) {
  Polygon(Points.begin(), static_cast<int32_t>(Points.size()));
}

void TCanvas::Polygon(const TPoint* Pt, int32_t N) {
  if (!Pt || N < 1) return;
  const bool Filled = Brush.Style != TBrushStyle::Clear && N >= 3;
  const uint32_t Fill = ColorToRGB(Brush.Color), Outline = ColorToRGB(Pen.Color);
  if (Painter_) {
    Painter_->Polygon(Pt, N, Filled, Fill, Outline);
    return;
  }
  const TRect Clip = ClipRect();
  int32_t y0 = Pt[0].Y, y1 = Pt[0].Y, x0 = Pt[0].X, x1 = Pt[0].X;
  for (int32_t i = 1; i < N; ++i) {
    y0 = std::min(y0, Pt[i].Y);
    y1 = std::max(y1, Pt[i].Y);
    x0 = std::min(x0, Pt[i].X);
    x1 = std::max(x1, Pt[i].X);
  }
  if (Filled) {
    // Pixel centres inside the polygon, even-odd rule, row by row.
    std::vector<double> Xs;
    Xs.reserve(static_cast<size_t>(N));
    const uint32_t Bpp = static_cast<uint32_t>(Surface_->BytesPerPixel());
    for (int32_t y = std::max(y0, Clip.Top); y <= std::min(y1, Clip.Bottom - 1); ++y) {
      Xs.clear();
      for (int32_t i = 0; i < N; ++i) {
        const TPoint& P = Pt[i];
        const TPoint& Q = Pt[(i + 1) % N];
        if ((P.Y <= y && Q.Y > y) || (Q.Y <= y && P.Y > y))
          Xs.push_back(P.X + static_cast<double>(y - P.Y) * (Q.X - P.X) / (Q.Y - P.Y));
      }
      std::sort(Xs.begin(), Xs.end());
      for (size_t k = 0; k + 1 < Xs.size(); k += 2) {
        const double ca = std::max(std::ceil(Xs[k]), static_cast<double>(Clip.Left));
        const double cb = std::min(std::floor(Xs[k + 1]), static_cast<double>(Clip.Right - 1));
        if (ca > cb) continue;
        uint8_t* D = Surface_->ScanLine(y) + static_cast<size_t>(ca) * Bpp;
        for (int32_t x = static_cast<int32_t>(ca); x <= static_cast<int32_t>(cb); ++x, D += Bpp)
          PutPixel(D, Fill);
      }
    }
  }
  // Outline, vertices included.
  for (int32_t i = 0; i < N; ++i) {
    int32_t x = Pt[i].X, y = Pt[i].Y;
    const int32_t ex = Pt[(i + 1) % N].X, ey = Pt[(i + 1) % N].Y;
    const int32_t sx = x < ex ? 1 : -1, sy = y < ey ? 1 : -1;
    const int64_t ddx = std::abs(static_cast<int64_t>(ex) - x);
    const int64_t ddy = -std::abs(static_cast<int64_t>(ey) - y);
    int64_t err = ddx + ddy;
    for (int64_t guard = 0; guard <= ddx - ddy + 1; ++guard) {
      Put(x, y, Outline, Clip);
      if (x == ex && y == ey) break;
      const int64_t e2 = 2 * err;
      if (e2 >= ddy) {
        err += ddy;
        x += sx;
      }
      if (e2 <= ddx) {
        err += ddx;
        y += sy;
      }
    }
  }
  Changed(Intersect(TRect{x0, y0, x1 + 1, y1 + 1}, Clip));
}

int32_t TCanvas::TextWidth(const std::string& Text) const {
  return CurrentTextRenderer().TextWidth(Font, Text);
}

int32_t TCanvas::TextHeight(const std::string& Text) const {
  return CurrentTextRenderer().TextHeight(Font, Text);
}

void TCanvas::TextOut(int32_t X, int32_t Y, const std::string& Text) {
  const TRect Cell{X, Y, X + TextWidth(Text), Y + TextHeight(Text)};
  if (Brush.Style != TBrushStyle::Clear) {
    auto Notify = std::move(OnChanged);
    FillRect(Cell);
    OnChanged = std::move(Notify);
  }
  if (Painter_) {
    Painter_->Text(ClipRect(), X, Y, Font, Text);
    return;
  }
  CurrentTextRenderer().DrawText(*Surface_, ClipRect(), X, Y, Font, Text);
  Changed(Intersect(Cell, ClipRect()));
}

void TCanvas::TextRect(const TRect& Clip, int32_t X, int32_t Y, const std::string& Text) {
  const TRect A = Intersect(Clip, ClipRect());
  if (A.IsEmpty()) return;
  if (Brush.Style != TBrushStyle::Clear) {
    auto Notify = std::move(OnChanged);
    FillRect(A);
    OnChanged = std::move(Notify);
  }
  if (Painter_) {
    Painter_->Text(A, X, Y, Font, Text);
    return;
  }
  CurrentTextRenderer().DrawText(*Surface_, A, X, Y, Font, Text);
  Changed(A);
}

uint32_t TCanvas::Pixel(int32_t X, int32_t Y) const {
  return Painter_ ? Painter_->Pixel(X, Y) : Surface_->Pixel(X, Y);
}

void TCanvas::SetPixel(int32_t X, int32_t Y, uint32_t Color) {
  const TRect Clip = ClipRect();
  if (X < Clip.Left || X >= Clip.Right || Y < Clip.Top || Y >= Clip.Bottom) return;
  if (Painter_) {
    Painter_->FillRect(TRect{X, Y, X + 1, Y + 1}, ColorToRGB(Color));
    return;
  }
  Surface_->SetPixel(X, Y, ColorToRGB(Color));
  Changed(TRect{X, Y, X + 1, Y + 1});
}

void TCanvas::Draw(int32_t X, int32_t Y, const TBitmap& Source) {
  const TRect A = Intersect(TRect{X, Y, X + Source.Width(), Y + Source.Height()}, ClipRect());
  if (A.IsEmpty()) return;
  if (Painter_) {
    Painter_->DrawBitmap(TRect{X, Y, X + Source.Width(), Y + Source.Height()}, Source,
                         TRect{0, 0, Source.Width(), Source.Height()});
    return;
  }
  const int32_t Bd = Surface_->BytesPerPixel(), Bs = Source.BytesPerPixel();
  for (int32_t y = A.Top; y < A.Bottom; ++y) {
    uint8_t* D = Surface_->ScanLine(y) + static_cast<size_t>(A.Left) * Bd;
    const uint8_t* S = Source.ScanLine(y - Y) + static_cast<size_t>(A.Left - X) * Bs;
    if (Bd == Bs && Bd == 3) {
      std::copy_n(S, static_cast<size_t>(A.Width()) * 3, D);
    } else {
      for (int32_t x = A.Left; x < A.Right; ++x, D += Bd, S += Bs) std::copy_n(S, 3, D);
    }
  }
  Changed(A);
}

void TCanvas::CopyRect(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect) {
  if (Dest.IsEmpty() || SourceRect.IsEmpty()) return;
  const TRect A = Intersect(Dest, ClipRect());
  if (A.IsEmpty()) return;
  if (Painter_) {
    Painter_->DrawBitmap(Dest, Source, SourceRect);
    return;
  }
  const int32_t Bd = Surface_->BytesPerPixel(), Bs = Source.BytesPerPixel();
  const int64_t Dw = Dest.Width(), Dh = Dest.Height(), Sw = SourceRect.Width(),
                Sh = SourceRect.Height();
  for (int32_t y = A.Top; y < A.Bottom; ++y) {
    const int32_t sy = SourceRect.Top + static_cast<int32_t>((y - Dest.Top) * Sh / Dh);
    if (sy < 0 || sy >= Source.Height()) continue;
    uint8_t* D = Surface_->ScanLine(y) + static_cast<size_t>(A.Left) * Bd;
    for (int32_t x = A.Left; x < A.Right; ++x, D += Bd) {
      const int32_t sx = SourceRect.Left + static_cast<int32_t>((x - Dest.Left) * Sw / Dw);
      if (sx < 0 || sx >= Source.Width()) continue;
      std::copy_n(Source.ScanLine(sy) + static_cast<size_t>(sx) * Bs, 3, D);
    }
  }
  Changed(A);
}

}  // namespace platform
