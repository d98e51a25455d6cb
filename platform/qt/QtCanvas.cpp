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
  Q.setPixelSize(std::max(1, FontPixelHeight(F.Size, F.PixelsPerInch)));
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
  static std::map<std::tuple<std::string, int32_t, uint8_t, int32_t>, TFontEntry> Cache;
  auto Key = std::make_tuple(F.Name, F.Size, F.Style, F.PixelsPerInch);
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

namespace {
// Text with its cell's top-left corner at (X, Y), within Clip (which replaces the painter's clip
// only for the call).
void PaintText(QPainter& P, const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
               const std::string& Text) {
  TFontEntry& E = Lookup(Font);
  P.save();
  P.setClipRect(QRect(Clip.Left, Clip.Top, Clip.Width(), Clip.Height()), Qt::IntersectClip);
  P.setRenderHint(QPainter::TextAntialiasing, false);
  P.setFont(E.Font);
  P.setPen(QtColor(Font.Color));
  P.drawText(X, Y + E.Metrics->ascent(), QtStr(Text));
  P.restore();
}
}  // namespace

void QtTextRenderer::DrawText(TBitmap& Target, const TRect& Clip, int32_t X, int32_t Y,
                              const TFont& Font, const std::string& Text) {
  if (Target.Width() <= 0 || Target.Height() <= 0 || Clip.IsEmpty()) return;
  QImage Img = QtImageView(Target);
  QPainter P(&Img);
  PaintText(P, Clip, X, Y, Font, Text);
}

// ---- the painter back-end ----

namespace {
QColor Rgb(uint32_t C) { return QColor(RedOf(C), GreenOf(C), BlueOf(C)); }
}  // namespace

QtCanvasPainter::QtCanvasPainter(QPainter& Painter, int32_t Width, int32_t Height)
    : P_(Painter), Width_(std::max(0, Width)), Height_(std::max(0, Height)), Canvas_(*this) {
  P_.setRenderHint(QPainter::Antialiasing, false);
  P_.setRenderHint(QPainter::TextAntialiasing, false);
  P_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  SetClip(Bounds());
}

TRect QtCanvasPainter::Bounds() const { return TRect{0, 0, Width_, Height_}; }

void QtCanvasPainter::SetClip(const TRect& R) {
  P_.setClipRect(QRect(R.Left, R.Top, std::max(0, R.Width()), std::max(0, R.Height())));
}

uint32_t QtCanvasPainter::Pixel(int32_t X, int32_t Y) const {
  QPaintDevice* D = P_.device();
  if (!D || D->devType() != QInternal::Image) return 0xFFFFFFFF;
  const QImage& Img = *static_cast<QImage*>(D);
  if (!Img.valid(X, Y)) return 0xFFFFFFFF;
  const QRgb C = Img.pixel(X, Y);
  return RGBColor(static_cast<uint8_t>(qRed(C)), static_cast<uint8_t>(qGreen(C)),
                  static_cast<uint8_t>(qBlue(C)));
}

void QtCanvasPainter::FillRect(const TRect& R, uint32_t Color) {
  if (R.IsEmpty()) return;
  P_.fillRect(QRect(R.Left, R.Top, R.Width(), R.Height()), Rgb(Color));
}

void QtCanvasPainter::Polygon(const TPoint* Pt, int32_t N, bool Filled, uint32_t Fill,
                              uint32_t Outline) {
  if (N < 1) return;
  P_.save();
  if (Filled) {
    // The painter fills pixels whose centres (x + 0.5, y + 0.5) lie inside; the canvas's pixel
    // (x, y) is centred on (x, y).
    QPolygonF F;
    for (int32_t i = 0; i < N; ++i) F << QPointF(Pt[i].X + 0.5, Pt[i].Y + 0.5);
    P_.setPen(Qt::NoPen);
    P_.setBrush(Rgb(Fill));
    P_.drawPolygon(F, Qt::OddEvenFill);
  }
  QPolygon L;
  for (int32_t i = 0; i < N; ++i) L << QPoint(Pt[i].X, Pt[i].Y);
  L << QPoint(Pt[0].X, Pt[0].Y);
  QPen Pen(Rgb(Outline));
  Pen.setWidth(1);
  Pen.setCapStyle(Qt::SquareCap);
  P_.setPen(Pen);
  P_.setBrush(Qt::NoBrush);
  if (N == 1) P_.drawPoint(L[0]);
  else if (N == 2) P_.drawLine(L[0], L[1]);  // once: the way back may rasterise differently
  else P_.drawPolyline(L);
  P_.restore();
}

void QtCanvasPainter::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color) {
  QPen Pen(Rgb(Color));
  Pen.setWidth(1);
  Pen.setCapStyle(Qt::SquareCap);
  P_.setPen(Pen);
  P_.drawLine(X1, Y1, X2, Y2);
}

void QtCanvasPainter::Text(const TRect& Clip, int32_t X, int32_t Y, const TFont& Font,
                           const std::string& Text) {
  if (Clip.IsEmpty()) return;
  PaintText(P_, Clip, X, Y, Font, Text);
}

void QtCanvasPainter::DrawBitmap(const TRect& Dest, const TBitmap& Source,
                                 const TRect& SourceRect) {
  if (Dest.IsEmpty() || SourceRect.IsEmpty() || Source.Width() <= 0 || Source.Height() <= 0)
    return;
  P_.drawImage(QRect(Dest.Left, Dest.Top, Dest.Width(), Dest.Height()), QtImageView(Source),
               QRect(SourceRect.Left, SourceRect.Top, SourceRect.Width(), SourceRect.Height()));
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
