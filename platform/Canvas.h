// Bitmaps and canvases: a 24-bit bitmap with row access (3 bytes per pixel, blue, green, red,
// rows padded to a multiple of 4 bytes) and the canvas that draws on it with a pen, a brush and a
// font. Pixel work (fills, lines, copies, pattern fills, pixel access) is done here without any
// window system; text is measured and drawn by a replaceable text renderer. Without an installed
// renderer a fixed-cell renderer is used (each character a cell of the font's size, a non-blank
// character drawn as a block inside its cell), so headless runs and tests get exact, repeatable
// metrics; the program installs the Qt renderer (platform/qt/QtCanvas.h).
//
// A window's client area is drawn the same way: the window keeps a bitmap of its client area,
// everything draws on that bitmap's canvas from anywhere (not only while painting), and the
// window shows the bitmap, notified through TCanvas::OnChanged.
//
// One canvas class, two back-ends: a canvas draws either into its bitmap's rows (pixel work here,
// no virtual call per pixel) or through a painter (TCanvasPainter: the Qt painter of a window's
// paint event, a QImage or the printer, platform/qt/QtCanvas.h), which gets whole rectangles,
// polygons, lines, texts and bitmaps and draws them as vectors.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/Colors.h"

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Right and bottom are exclusive for fills and copies.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

inline TPoint Point(int32_t X, int32_t Y) { return TPoint{X, Y}; }
inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return TRect{Left, Top, Right, Bottom};
}

namespace platform {

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFont {
  std::string Name = "Terminal";  // face name; the renderer may substitute an installed one
  int32_t Size = 10;              // points (pixel height of the em = Size * 96 / 72)
  uint32_t Color = clBlack;
  uint8_t Style = 0;              // TFontStyle bits
  int32_t Charset = 1;
  int32_t PixelsPerInch = 96;     // of the surface: the em is Size * PixelsPerInch / 72 pixels
  bool operator==(const TFont&) const = default;
};

enum class TBrushStyle { Solid, Clear };

struct TBrush {
  uint32_t Color = clWhite;
  TBrushStyle Style = TBrushStyle::Solid;
};

struct TPen {
  uint32_t Color = clBlack;
  int32_t Width = 1;
};

class TBitmap;

// The painter back-end of a canvas. Colours are plain 0x00BBGGRR values; rectangles exclude
// their right column and bottom row; every operation keeps to the clip set last.
class TCanvasPainter {
 public:
  virtual ~TCanvasPainter() = default;
  // The whole surface: (0, 0, width, height) in device pixels.
  virtual TRect Bounds() const = 0;
  virtual void SetClip(const TRect& R) = 0;
  // 0x00BBGGRR of a pixel, 0xFFFFFFFF where the device cannot be read (a printer) or outside.
  virtual uint32_t Pixel(int32_t X, int32_t Y) const = 0;
  virtual void FillRect(const TRect& R, uint32_t Color) = 0;
  // The polygon's inside (pixel centres, even-odd rule) in Fill unless Filled is false, then its
  // closed outline in Outline, one pixel wide, vertices included.
  virtual void Polygon(const TPoint* Points, int32_t Count, bool Filled, uint32_t Fill,
                       uint32_t Outline) = 0;
  // A one-pixel line, both ends set.
  virtual void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color) = 0;
  // Text with its cell's top-left corner at (X, Y) in the font's colour, clipped to Clip too.
  virtual void Text(const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
                    const std::string& Text) = 0;
  // SourceRect of the bitmap into Dest, scaled to its size (nearest pixel).
  virtual void DrawBitmap(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect) = 0;
};

// Measures and draws text (code page 1251) on a bitmap.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  virtual int32_t TextWidth(const TFont& Font, const std::string& Text) = 0;
  // Height of a line of text in the font (ascent + descent).
  virtual int32_t TextHeight(const TFont& Font, const std::string& Text) = 0;
  // Draws the text with its cell's top-left corner at (X, Y) in the font's colour, clipped to
  // Clip; the background is not touched.
  virtual void DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y,
                        const TFont& Font, const std::string& Text) = 0;
};

// Installs a renderer and returns the previous one (nullptr: the fixed-cell default). The caller
// keeps ownership.
TextRenderer* SetTextRenderer(TextRenderer* Renderer);
TextRenderer& CurrentTextRenderer();

// Width of the screen in pixels (the default without a display: 2560).
int32_t ScreenWidth();
using ScreenWidthService = std::function<int32_t()>;
ScreenWidthService SetScreenWidthService(ScreenWidthService Service);

class TCanvas {
 public:
  explicit TCanvas(TBitmap& Surface) : Surface_(&Surface) {}
  // A canvas on a painter (not owned; it must outlive the canvas).
  explicit TCanvas(TCanvasPainter& Painter);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont Font;
  TBrush Brush;
  TPen Pen;
  // Called with the changed rectangle after every drawing operation (windows repaint from it).
  std::function<void(const TRect&)> OnChanged;

  // The bitmap drawn on; a painter canvas has none and gives an empty bitmap here.
  TBitmap& Surface();
  // The bitmap drawn on, or nullptr for a painter canvas.
  TBitmap* Bitmap() { return Surface_; }
  TCanvasPainter* Painter() { return Painter_; }
  // The whole surface: (0, 0, width, height).
  TRect Bounds() const;
  // Where drawing goes: the clip set last within the surface, or the whole surface.
  TRect ClipRect() const;
  // Every drawing operation (pixels, fills, polygons, lines, text, copies) keeps to R.
  void SetClipRect(const TRect& R);
  // Back to the whole surface (which then follows the bitmap's size).
  void ResetClip();

  // Fills the rectangle with the brush colour (nothing with a clear brush).
  void FillRect(const TRect& R);
  // Fills the rectangle with an 8 x 8 pattern: bit x (0 = lowest) of Rows[y] set paints the
  // pixel at (x mod 8, y mod 8) of the pattern's grid (aligned to the surface) in OnColor,
  // else in OffColor.
  void PatternFill(const TRect& R, const uint8_t Rows[8], uint32_t OnColor, uint32_t OffColor);
  // Pen lines: LineTo draws from the current point up to but not including the end point.
  void MoveTo(int32_t X, int32_t Y);
  void LineTo(int32_t X, int32_t Y);
  TPoint PenPos() const { return PenPos_; }
  // Outline of the rectangle in the pen colour, its inside in the brush (right, bottom exclusive).
  void Rectangle(const TRect& R);
  // The polygon's inside in the brush (pixels whose centres lie inside, even-odd rule; nothing
  // with a clear brush), then its closed outline in the pen colour, one pixel wide, vertices
  // included.
  void Polygon(const TPoint* Points, int32_t Count);
  void Polygon(std::initializer_list<TPoint> Points);

  // Text in the font, its cell filled with the brush first unless the brush is clear.
  void TextOut(int32_t X, int32_t Y, const std::string& Text);
  // As TextOut, clipped to Clip; with an opaque brush the whole Clip is filled first.
  void TextRect(const TRect& Clip, int32_t X, int32_t Y, const std::string& Text);
  int32_t TextWidth(const std::string& Text) const;
  int32_t TextHeight(const std::string& Text) const;

  // 0x00BBGGRR of a pixel; 0xFFFFFFFF outside the surface.
  uint32_t Pixel(int32_t X, int32_t Y) const;
  void SetPixel(int32_t X, int32_t Y, uint32_t Color);

  // Copies the whole bitmap with its top-left corner at (X, Y), clipped to the surface.
  void Draw(int32_t X, int32_t Y, const TBitmap& Source);
  // Copies SourceRect of the source bitmap into Dest, scaled to its size (nearest pixel).
  void CopyRect(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect);

  // Reports a change made by direct pixel access.
  void Changed(const TRect& R);

 private:
  TBitmap* Surface_ = nullptr;
  TCanvasPainter* Painter_ = nullptr;
  TPoint PenPos_;
  bool ClipSet_ = false;
  TRect Clip_;
  // One pixel in RGB, kept to the clip (bitmap canvases).
  void Put(int32_t X, int32_t Y, uint32_t RGB, const TRect& Clip);
};

// A bitmap: 24 bits per pixel (blue, green, red) unless made with 32 (blue, green, red, 0).
class TBitmap {
 public:
  TBitmap(int32_t Width = 0, int32_t Height = 0, int32_t PixelBits = 24);
  TBitmap(const TBitmap& Other);
  TBitmap& operator=(const TBitmap&) = delete;
  ~TBitmap();

  int32_t Width() const { return Width_; }
  int32_t Height() const { return Height_; }
  int32_t PixelBits() const { return Bits_; }
  int32_t BytesPerPixel() const { return Bits_ / 8; }
  // Bytes of one row: width * bytes per pixel rounded up to a multiple of 4.
  int32_t RowSize() const { return RowSize_; }
  // New size; the content is kept where it overlaps, new pixels are white.
  void SetSize(int32_t Width, int32_t Height);
  uint8_t* ScanLine(int32_t Y) { return Data_.data() + static_cast<size_t>(Y) * RowSize_; }
  const uint8_t* ScanLine(int32_t Y) const {
    return Data_.data() + static_cast<size_t>(Y) * RowSize_;
  }
  uint8_t* Bits() { return Data_.data(); }
  const uint8_t* Bits() const { return Data_.data(); }
  TCanvas& Canvas() { return *Canvas_; }
  const TCanvas& Canvas() const { return *Canvas_; }

  uint32_t Pixel(int32_t X, int32_t Y) const;
  void SetPixel(int32_t X, int32_t Y, uint32_t Color);
  bool Contains(int32_t X, int32_t Y) const { return X >= 0 && Y >= 0 && X < Width_ && Y < Height_; }

 private:
  int32_t Width_ = 0;
  int32_t Height_ = 0;
  int32_t Bits_ = 24;
  int32_t RowSize_ = 0;
  std::vector<uint8_t> Data_;
  std::unique_ptr<TCanvas> Canvas_;
};

// The fixed-cell renderer: a character cell is (Size * 96 / 72 * 3 / 5) wide (at least 1) and
// (Size * 96 / 72) high; a non-blank character fills its cell but a one-pixel border.
class FixedCellRenderer : public TextRenderer {
 public:
  int32_t TextWidth(const TFont& Font, const std::string& Text) override;
  int32_t TextHeight(const TFont& Font, const std::string& Text) override;
  void DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
                const std::string& Text) override;
  static int32_t CellWidth(const TFont& Font);
  static int32_t CellHeight(const TFont& Font);
};

// Pixel height of a font size in points at 96 (or PixelsPerInch) dots per inch, rounded.
int32_t FontPixelHeight(int32_t Size);
int32_t FontPixelHeight(int32_t Size, int32_t PixelsPerInch);

}  // namespace platform
