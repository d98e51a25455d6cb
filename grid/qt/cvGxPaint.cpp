// Drawing routines on QPainter.
#include "grid/qt/cvGxPaint.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>

#include "platform/Colors.h"

QColor GxColor(uint32_t Color) {
  const uint32_t c = GxColorToRGB(Color);
  return QColor(platform::RedOf(c), platform::GreenOf(c), platform::BlueOf(c));
}

uint32_t GxPaletteColor(uint32_t Sys) {
  const QPalette pal = QApplication::palette();
  QColor c;
  switch (Sys & 0xFF) {
    case 1: case 4: c = pal.color(QPalette::Window); break;
    case 2: case 13: c = pal.color(QPalette::Highlight); break;
    case 5: c = pal.color(QPalette::Base); break;
    case 6: case 21: c = pal.color(QPalette::Shadow); break;
    case 7: c = pal.color(QPalette::WindowText); break;
    case 8: c = pal.color(QPalette::Text); break;
    case 9: case 14: c = pal.color(QPalette::HighlightedText); break;
    case 16: c = pal.color(QPalette::Dark); break;
    case 17: c = pal.color(QPalette::Disabled, QPalette::Text); break;
    case 18: c = pal.color(QPalette::ButtonText); break;
    case 20: c = pal.color(QPalette::Light); break;
    case 22: c = pal.color(QPalette::Midlight); break;
    case 23: c = pal.color(QPalette::ToolTipText); break;
    case 24: c = pal.color(QPalette::ToolTipBase); break;
    default: c = pal.color(QPalette::Button); break;  // button face, scroll bar, menus
  }
  return platform::RGBColor(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                            static_cast<uint8_t>(c.blue()));
}

void InstallGxPalette() { SetGxColorResolver(&GxPaletteColor); }

QRect GxQRect(const TGxRect& R) { return QRect(R.Left, R.Top, R.Width(), R.Height()); }

void TGxPaint::SetClipRect(QPainter& P, const QRect& R) { P.setClipRect(R, Qt::ReplaceClip); }

void TGxPaint::DrawButtonFace(QPainter& P, const QRect& R, bool Dark) {
  P.fillRect(R.adjusted(1, 1, -1, -1), GxColor(clBtnFace));
  const QColor hi = GxColor(0xFF000014);  // clBtnHighlight
  const QColor lo = GxColor(Dark ? clWindowFrame : clBtnShadow);
  P.fillRect(QRect(R.left(), R.top(), R.width(), 1), hi);
  P.fillRect(QRect(R.left(), R.top(), 1, R.height()), hi);
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), lo);
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), lo);
}

void TGxPaint::DrawFocusFrame(QPainter& P, const QRect& R, bool Solid) {
  P.save();
  if (Solid) {
    P.setPen(QPen(GxColor(clHighlight), 1));
  } else {
    QPen pen(Qt::black, 1, Qt::DotLine);
    P.setPen(pen);
  }
  P.setBrush(Qt::NoBrush);
  P.drawRect(R.adjusted(0, 0, -1, -1));
  P.restore();
}

namespace {
Qt::Alignment HAlign(TAlignment A) {
  return A == taRightJustify ? Qt::AlignRight : (A == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}
}  // namespace

void TGxPaint::DrawTextLine(QPainter& P, const QRect& R, bool RightToLeft, const QString& Text,
                            TAlignment Alignment) {
  P.save();
  P.setLayoutDirection(RightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  const QString t = P.fontMetrics().elidedText(Text, Qt::ElideRight, R.width());
  P.drawText(R, HAlign(Alignment) | Qt::AlignVCenter | Qt::TextSingleLine, t);
  P.restore();
}

QRect TGxPaint::TextBoxRect(QPainter& P, const QRect& R, const QString& Text, bool WordWrap,
                            TVerticalAlignment VAlign, TAlignment Alignment) {
  if (!WordWrap) return R;
  const QRect b = P.fontMetrics().boundingRect(R, HAlign(Alignment) | Qt::TextWordWrap, Text);
  const TGxRect r{R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
  return QRect(R.left(), TextBoxTop(r, b.height(), VAlign), R.width(), b.height());
}

void TGxPaint::DrawTextBox(QPainter& P, const QRect& R, bool RightToLeft, const QString& Text,
                           bool WordWrap, TVerticalAlignment VAlign, TAlignment Alignment) {
  P.save();
  P.setLayoutDirection(RightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  if (WordWrap) {
    const QRect box = TextBoxRect(P, R, Text, true, VAlign, Alignment);
    P.setClipRect(R, Qt::IntersectClip);
    P.drawText(box, HAlign(Alignment) | Qt::AlignTop | Qt::TextWordWrap, Text);
  } else {
    const Qt::Alignment v = VAlign == taAlignTop      ? Qt::AlignTop
                            : VAlign == taAlignBottom ? Qt::AlignBottom
                                                      : Qt::AlignVCenter;
    P.drawText(R, HAlign(Alignment) | v | Qt::TextSingleLine, Text);
  }
  P.restore();
}

void TGxPaint::DrawVerticalText(QPainter& P, const QRect& R, const QString& Text) {
  P.save();
  P.translate(R.left(), R.bottom() + 1);
  P.rotate(-90);
  P.drawText(QRect(0, 0, R.height(), R.width()), Qt::AlignLeft | Qt::AlignBottom |
                                                     Qt::TextSingleLine, Text);
  P.restore();
}

void TGxPaint::DrawVerticalGradient(QPainter& P, const QRect& R, uint32_t C1, uint32_t C2) {
  P.save();
  for (int y = R.top(); y <= R.bottom(); ++y) {
    const uint32_t c = GradientColor(C1, C2, y, R.top(), R.height());
    P.fillRect(QRect(R.left(), y, R.width(), 1), QColor(platform::RedOf(c), platform::GreenOf(c),
                                                        platform::BlueOf(c)));
  }
  P.restore();
}

namespace {
template <class F>
void BlendImage(QImage& T, int X, int Y, const QImage& G, F Channel) {
  const QImage src = G.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < src.height(); ++y) {
    const int ty = Y + y;
    if (ty < 0 || ty >= T.height()) continue;
    const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < src.width(); ++x) {
      const int tx = X + x;
      if (tx < 0 || tx >= T.width()) continue;
      const QRgb d = T.pixel(tx, ty), p = s[x];
      const uint8_t a = static_cast<uint8_t>(qAlpha(p));
      T.setPixel(tx, ty, qRgb(Channel(qRed(p), qRed(d), a), Channel(qGreen(p), qGreen(d), a),
                              Channel(qBlue(p), qBlue(d), a)));
    }
  }
}
}  // namespace

void TGxPaint::DrawGraphic(QImage& T, int X, int Y, const QImage& G) {
  if (!G.hasAlphaChannel()) {
    QPainter p(&T);
    p.drawImage(X, Y, G);
    return;
  }
  BlendImage(T, X, Y, G, [](int s, int d, uint8_t a) {
    return AlphaChannel(static_cast<uint8_t>(s), static_cast<uint8_t>(d), a);
  });
}

void TGxPaint::DrawAlphaGraphic(QImage& T, int X, int Y, const QImage& G) {
  if (!G.hasAlphaChannel()) {
    QPainter p(&T);
    p.drawImage(X, Y, G);
    return;
  }
  BlendImage(T, X, Y, G, [](int s, int d, uint8_t a) {
    return static_cast<int>(TMaskProvider::BlendColor(static_cast<uint32_t>(s),
                                                      static_cast<uint32_t>(d), a) & 0xFF);
  });
}

bool TGxPaint::DrawThemed(QWidget* W, QPainter& P, const QRect& R, int State, int Part,
                          const QString& ClassName) {
  if (!ThemesActive()) return false;
  QStyle* style = W ? W->style() : QApplication::style();
  QStyleOption base;
  if (W) base.initFrom(W);
  base.rect = R;
  base.state = QStyle::State_Enabled;
  if (State & 1) base.state |= QStyle::State_Sunken;
  if (State & 2) base.state |= QStyle::State_MouseOver;
  if (State & 4) base.state &= ~QStyle::State(QStyle::State_Enabled);
  const QString cls = ClassName.toLower();
  if (cls == "button") {
    QStyleOptionButton o;
    static_cast<QStyleOption&>(o) = base;
    if (Part == 3) {  // check box
      o.state |= (State & 8) ? QStyle::State_On : QStyle::State_Off;
      style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, &P, W);
    } else {
      style->drawPrimitive(QStyle::PE_PanelButtonCommand, &o, &P, W);
    }
  } else if (cls == "header") {
    QStyleOptionHeader o;
    static_cast<QStyleOption&>(o) = base;
    style->drawControl(QStyle::CE_HeaderSection, &o, &P, W);
  } else if (cls == "edit" || cls == "combobox" || cls == "spin") {
    QStyleOptionFrame o;
    static_cast<QStyleOption&>(o) = base;
    o.lineWidth = 1;
    style->drawPrimitive(cls == "edit" ? QStyle::PE_PanelLineEdit : QStyle::PE_PanelButtonBevel,
                         &o, &P, W);
  } else if (cls == "scrollbar") {
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &base, &P, W);
  } else {
    return false;
  }
  return true;
}

void ActivateHintWide(QWidget* Owner, const QRect& R, const QString& Text) {
  QToolTip::showText(R.topLeft(), Text, Owner, Owner ? Owner->rect() : QRect());
}

void ReleaseHintWindow() { QToolTip::hideText(); }

bool ParentFormActive(const QWidget* Control) {
  return Control && Control->window() && Control->window()->isActiveWindow();
}
