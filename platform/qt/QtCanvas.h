// Text on bitmaps through Qt fonts, the screen width, and code page 1251 <-> QString.
#pragma once
#include <QFont>
#include <QImage>
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
// The Qt font of a font description: the pixel size is Size * 96 / 72; antialiasing is not asked
// for (the panel is drawn like a terminal), though a font engine may still smooth the glyphs.
QFont QtFont(const TFont& Font);
// A QImage over the bitmap's own pixels (no copy; valid while the bitmap keeps its size).
QImage QtImageView(TBitmap& Bitmap);
QImage QtImageView(const TBitmap& Bitmap);

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
