#include "platform/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <map>
#include <memory>

#include "platform/CodePage.h"

namespace platform {

const char* const QtTerminalFamily = "DejaVu Sans Mono";

QString QtStr(const std::string& S) { return QString::fromStdString(Cp1251ToUtf8(S)); }

std::string FromQtStr(const QString& S) { return Utf8ToCp1251(S.toStdString()); }

QColor QtColor(uint32_t Color) {
  const uint32_t C = ColorToRGB(Color);
  return QColor(RedOf(C), GreenOf(C), BlueOf(C));
}

QFont QtFont(const TFont& F) {
  QFont Q(QtStr(F.Name));
  Q.setPixelSize(std::max(1, FontPixelHeight(F.Size)));
  Q.setBold((F.Style & fsBold) != 0);
  Q.setItalic((F.Style & fsItalic) != 0);
  Q.setUnderline((F.Style & fsUnderline) != 0);
  Q.setStrikeOut((F.Style & fsStrikeOut) != 0);
  Q.setStyleStrategy(QFont::NoAntialias);
  Q.setStyleHint(QFont::TypeWriter);
  return Q;
}

QImage QtImageView(TBitmap& B) {
  return QImage(B.Bits(), B.Width(), B.Height(), B.RowSize(),
                B.PixelBits() == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
}

QImage QtImageView(const TBitmap& B) {
  return QImage(B.Bits(), B.Width(), B.Height(), B.RowSize(),
                B.PixelBits() == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
}

namespace {

struct TFontEntry {
  QFont Font;
  std::unique_ptr<QFontMetrics> Metrics;
  int32_t LineHeight = 0;
};

// Fonts are looked up by their description; the list stays small (a few per window).
TFontEntry& Lookup(const TFont& F) {
  static std::map<std::tuple<std::string, int32_t, uint8_t>, TFontEntry> Cache;
  auto Key = std::make_tuple(F.Name, F.Size, F.Style);
  auto It = Cache.find(Key);
  if (It == Cache.end()) {
    TFontEntry E;
    E.Font = QtFont(F);
    E.Metrics = std::make_unique<QFontMetrics>(E.Font);
    // The line covers the underscore too (in the substitute family it lies below the descent),
    // and its height is even: a panel field is twice half the strip less the margins high, so an
    // odd height would cut the lowest row.
    const int32_t Under = E.Metrics->ascent() + E.Metrics->boundingRect(QChar('_')).bottom() + 1;
    const int32_t H = std::max(E.Metrics->height(), Under);
    E.LineHeight = H + (H & 1);
    It = Cache.emplace(Key, std::move(E)).first;
  }
  return It->second;
}

}  // namespace

int32_t QtTextRenderer::TextWidth(const TFont& Font, const std::string& Text) {
  return Lookup(Font).Metrics->horizontalAdvance(QtStr(Text));
}

int32_t QtTextRenderer::TextHeight(const TFont& Font, const std::string&) {
  return Lookup(Font).LineHeight;
}

void QtTextRenderer::DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y,
                              const TFont& Font, const std::string& Text) {
  if (Target.Width() <= 0 || Target.Height() <= 0 || Clip.IsEmpty()) return;
  QImage Img = QtImageView(Target);
  QPainter P(&Img);
  P.setClipRect(QRect(Clip.Left, Clip.Top, Clip.Width(), Clip.Height()));
  TFontEntry& E = Lookup(Font);
  P.setFont(E.Font);
  P.setPen(QtColor(Font.Color));
  P.drawText(X, Y + E.Metrics->ascent(), QtStr(Text));
}

void InstallQtGraphics() {
  static QtTextRenderer Renderer;
  for (const char* Name : {"Terminal", "Courier", "Courier New", "Fixedsys"})
    QFont::insertSubstitution(QString::fromLatin1(Name), QString::fromLatin1(QtTerminalFamily));
  SetTextRenderer(&Renderer);
  SetScreenWidthService([]() -> int32_t {
    if (QGuiApplication::instance())
      if (QScreen* S = QGuiApplication::primaryScreen()) return S->size().width();
    return 2560;
  });
}

}  // namespace platform
