// Text on bitmaps through Qt fonts, the screen width, and code page 1251 <-> QString.
#pragma once
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <string>

#include "platform/Canvas.h"

namespace platform {

// The monospace family with Cyrillic that stands in for the fonts "Terminal", "Courier",
// "Courier New" and "Fixedsys", which are not installed here.
extern const char* const QtTerminalFamily;

QString QtStr(const std::string& Cp1251);
std::string FromQtStr(const QString& S);
QColor QtColor(uint32_t Color);
// The Qt font of a font description: the pixel size is Size * PixelsPerInch / 72; antialiasing is not asked
// for (the panel is drawn like a terminal), though a font engine may still smooth the glyphs.
QFont QtFont(const TFont& Font);
// A QImage over the bitmap's own pixels (no copy; valid while the bitmap keeps its size).
QImage QtImageView(TBitmap& Bitmap);
QImage QtImageView(const TBitmap& Bitmap);

// The Qt painter back-end of the canvas: a window in its paint event, a QImage or the printer.
// Antialiasing is off; rectangles, polygons, lines and texts go to the painter as vectors (a PDF
// printer keeps them as such), pixels as one-pixel rectangles. Pixels are read back only from a
// QImage. The painter must be active and outlive this object.
class QtCanvasPainter : public TCanvasPainter {
 public:
  QtCanvasPainter(QPainter& Painter, int32_t Width, int32_t Height);
  TCanvas& Canvas() { return Canvas_; }

  TRect Bounds() const override;
  void SetClip(const TRect& R) override;
  uint32_t Pixel(int32_t X, int32_t Y) const override;
  void FillRect(const TRect& R, uint32_t Color) override;
  void Polygon(const TPoint* Points, int32_t Count, bool Filled, uint32_t Fill,
               uint32_t Outline) override;
  void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color) override;
  void Text(const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
            const std::string& Text) override;
  void DrawBitmap(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect) override;

 private:
  QPainter& P_;
  int32_t Width_, Height_;
  TCanvas Canvas_;
};

class QtTextRenderer : public TextRenderer {
 public:
  int32_t TextWidth(const TFont& Font, const std::string& Text) override;
  int32_t TextHeight(const TFont& Font, const std::string& Text) override;
  void DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
                const std::string& Text) override;
};

// Installs the Qt text renderer and the screen width of the primary screen (both live until the
// program ends), and the font substitutions above.
void InstallQtGraphics();

}  // namespace platform
