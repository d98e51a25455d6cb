// Style displays.
#include "grid/qt/cvGxStyles.h"

#include <QFontMetrics>
#include <QPolygon>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

namespace {
constexpr uint32_t clBtnHighlight = 0xFF000014;
QString Q(const WideString& S) {
  return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}
QFont FontOf(const TGxFont& F) {
  QFont f(QString::fromStdString(F.Name));
  f.setPointSize(F.Size > 0 ? F.Size : 8);
  f.setBold(F.Style & fsBold);
  f.setItalic(F.Style & fsItalic);
  f.setUnderline(F.Style & fsUnderline);
  f.setStrikeOut(F.Style & fsStrikeOut);
  return f;
}
int Right(const QRect& R) { return R.left() + R.width(); }
int Bottom(const QRect& R) { return R.top() + R.height(); }
void Invert(QPainter& P, const QRect& R) {
  P.save();
  P.setCompositionMode(QPainter::RasterOp_NotDestination);
  P.fillRect(R, Qt::black);
  P.restore();
}
}  // namespace

bool TStyleDisplay::Themed() const { return EnableThemes && ThemesActive(); }

uint32_t TStyleDisplay::GetStyleFlags() { return 0; }

void TStyleDisplay::HLine(int X1, int X2, int Y, uint32_t Color) {
  if (X2 > X1) Canvas->fillRect(QRect(X1, Y, X2 - X1, 1), GxColor(Color));
}

void TStyleDisplay::VLine(int X, int Y1, int Y2, uint32_t Color) {
  if (Y2 > Y1) Canvas->fillRect(QRect(X, Y1, 1, Y2 - Y1), GxColor(Color));
}

bool TStyleDisplay::IsFirstVisible(const TGxCustomColumn* C) const {
  return C && C->Columns() && C->Columns()->FirstVisible() == C;
}

bool TStyleDisplay::IsLastVisible(const TGxCustomColumn* C) const {
  return C && C->Columns() && C->Columns()->LastVisible() == C;
}

int TStyleDisplay::CaptionExtent(const TGxCustomColumn* C) {
  if (C->Header().DisplayMode() == dmImageOnly) return 0;
  const QFontMetrics fm = Canvas->fontMetrics();
  const QString t = Q(C->Header().Caption());
  return (C->Header().Orientation() == 1 ? fm.height() : fm.horizontalAdvance(t)) + 2;
}

int TStyleDisplay::HeaderContentWidth(const TGxCustomColumn* C) {
  const QFontMetrics fm(FontOf(C->Font()));
  const QString t = Q(C->Header().Caption());
  const int w = C->Header().Orientation() == 1 ? fm.height() : fm.horizontalAdvance(t);
  switch (C->Header().DisplayMode()) {
    case dmImageOnly: return w;        // no glyphs in this program
    case dmTextAndImage: return w + 2;
    case dmTextOnly: return w;
  }
  return w + 8;
}

void TStyleDisplay::DrawSortArrow(int X, int Y, bool Ascending) {
  QPainter& p = *Canvas;
  p.save();
  if (Themed()) {
    const QPolygon t = Ascending
                           ? QPolygon({QPoint(X, Y + 4), QPoint(X + 4, Y), QPoint(X + 8, Y + 4)})
                           : QPolygon({QPoint(X, Y), QPoint(X + 8, Y), QPoint(X + 4, Y + 4)});
    p.setPen(GxColor(clGrayText));
    p.setBrush(GxColor(clGrayText));
    p.drawPolygon(t);
  } else {
    // a raised outline arrow 7 pixels high: shadow on the left edge, light on the right and base
    const QColor sh = GxColor(clBtnShadow), hi = GxColor(clBtnHighlight);
    if (Ascending) {
      p.setPen(sh);
      p.drawLine(X + 3, Y, X, Y + 6);
      p.setPen(hi);
      p.drawLine(X + 3, Y, X + 6, Y + 6);
      p.drawLine(X, Y + 6, X + 6, Y + 6);
    } else {
      p.setPen(sh);
      p.drawLine(X, Y, X + 6, Y);
      p.drawLine(X, Y, X + 3, Y + 6);
      p.setPen(hi);
      p.drawLine(X + 6, Y, X + 3, Y + 6);
    }
  }
  p.restore();
}

void TStyleDisplay::DrawHeaderContent(const TGxCustomColumn* C, const QRect& R) {
  QPainter& p = *Canvas;
  p.save();
  p.setFont(FontOf(C->Font()));
  const TColumnHeader& h = C->Header();
  const int w = CaptionExtent(C);
  int x;
  switch (h.Alignment()) {
    case taRightJustify: x = Right(R) - w - (C->Sorted() ? 31 : 0); break;
    case taCenter: x = R.left() + R.width() / 2 - w / 2; break;
    default: x = R.left() + 2; break;
  }
  if (h.DisplayMode() != dmImageOnly) {
    QRect tr(x, R.top(), Right(R) - x, R.height());
    AdjustHeaderTextRect(tr);
    p.setPen(GxColor(C->Font().Color));
    p.setBrush(Qt::NoBrush);
    p.setClipRect(R, Qt::IntersectClip);
    const QString t = Q(h.Caption());
    if (h.Orientation() == 1) {
      TGxPaint::DrawVerticalText(p, tr, t);
    } else {
      p.setLayoutDirection(BiDiMode ? Qt::RightToLeft : Qt::LeftToRight);
      if (h.MultiLine()) {
        p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, t);
      } else {
        const QString e = p.fontMetrics().elidedText(t, Qt::ElideRight, std::max(0, tr.width()));
        p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, e);
      }
    }
  }
  p.restore();
  const uint32_t flags = GetStyleFlags();
  if (DefaultDrawing && C->Sorted() && !(flags & sfNoSortArrow)) {
    const int ax = x + w + 19, ay = R.top() + R.height() / 2 - 4;
    if (ax + 8 < Right(R) || !h.HideArrow()) {
      p.save();
      p.setClipRect(R, Qt::IntersectClip);
      DrawSortArrow(ax, ay, C->SortKind() == skAscending);
      p.restore();
    }
  }
  if (DefaultDrawing && (flags & sfPressedInverted) && Owner.PressedColumn >= 0 &&
      C->Index() == Owner.PressedColumn) {
    QRect r = R;
    if (C->Columns() && C->Columns()->VisibleCount() == 1)
      r.adjust(-1, -1, 0, 0);
    else
      r.setWidth(r.width() - 1);
    Invert(p, r);
  }
}

void TStyleDisplay::DrawHeaderCell(const TGxCustomColumn* C, const QRect& R) {
  if (DisplayMedia == 1) DrawHeaderBackground(C, R);
  DrawHeaderContent(C, R);
}

void TStyleDisplay::DrawHeaderBackground(const TGxCustomColumn* C, const QRect& R) {
  TGxPaint::DrawButtonFace(*Canvas, R, false);
  (void)C;
}

void TStyleDisplay::DrawCornerBox(const QRect& R, int) { TGxPaint::DrawButtonFace(*Canvas, R, false); }

void TStyleDisplay::DrawIndicatorCell(const QRect& R, int) {
  TGxPaint::DrawButtonFace(*Canvas, R, false);
}

void TStyleDisplay::DrawIndicatorMark(const QRect& R, bool Selected, bool Inverted) {
  if (Selected) {
    const int x = R.left() + (R.width() - 6) / 2, y = R.top() + (R.height() - 11) / 2;
    QPainter& p = *Canvas;
    p.save();
    p.setPen(GxColor(clWindowText));
    p.setBrush(GxColor(clWindowText));
    p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 5, y + 5), QPoint(x, y + 10)}));
    p.restore();
  }
  if (Inverted) Invert(*Canvas, R);
}

void TStyleDisplay::DrawEmptyHeader(const QRect& R) { Canvas->fillRect(R, GxColor(Owner.Color)); }

void TStyleDisplay::DrawFooterContent(const TGxCustomColumn* C, const QRect& R) {
  const TColumnFooter& f = C->Footer();
  const QString t = Q(f.TextBefore() + f.Caption() + f.TextAfter());
  QPainter& p = *Canvas;
  const int w = p.fontMetrics().horizontalAdvance(t) + 2;
  int x;
  switch (f.Alignment()) {
    case taRightJustify: x = Right(R) - w - (C->Sorted() ? 31 : 0); break;
    case taCenter: x = R.left() + R.width() / 2 - w / 2; break;
    default: x = R.left() + 2; break;
  }
  const QRect tr(x, R.top(), Right(R) - x, R.height());
  p.save();
  p.setClipRect(R, Qt::IntersectClip);
  p.setBrush(Qt::NoBrush);
  p.setLayoutDirection(BiDiMode ? Qt::RightToLeft : Qt::LeftToRight);
  const QString e = p.fontMetrics().elidedText(t, Qt::ElideRight, std::max(0, tr.width()));
  p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, e);
  p.restore();
}

void TStyleDisplay::DrawFooterCell(const TGxCustomColumn* C, const QRect& R, bool GridLines) {
  QPainter& p = *Canvas;
  p.save();
  p.setFont(FontOf(C->Font()));
  p.setPen(GxColor(C->Font().Color));
  QRect fill = R;
  if (GridLines) fill.adjust(0, 0, -1, -1);
  p.fillRect(fill, GxColor(C->Footer().Color()));
  if (GridLines) {
    VLine(Right(R) - 1, R.top(), Bottom(R), clBtnFace);
    HLine(R.left(), Right(R), Bottom(R) - 1, clBtnFace);
  }
  p.setPen(GxColor(C->Font().Color));
  DrawFooterContent(C, fill);
  p.restore();
}

void TStyleDisplay::DrawInputCell(const TGxCustomColumn* C, const QRect& R, bool Focused,
                                  bool InputSelected, bool GridLines, bool EditorOpen,
                                  bool HoldsInput) {
  QPainter& p = *Canvas;
  p.save();
  QFont f = FontOf(C->Font());
  f.setBold(false);
  f.setItalic(false);
  f.setUnderline(false);
  f.setStrikeOut(false);
  p.setFont(f);
  uint32_t text, back;
  if (!InputSelected || EditorOpen || HoldsInput) {
    text = clGrayText;
    back = C->Color();
  } else {
    text = clHighlightText;
    back = Focused ? clHighlight : clBtnFace;
  }
  QRect cell = R;
  if (InputSelected && GridLines) cell.adjust(0, 0, -1, -1);
  if (EditorOpen) {
    p.setPen(GxColor(back));
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell.adjusted(0, 0, -1, -1));
  } else {
    p.fillRect(cell, GxColor(back));
  }
  if (InputSelected && GridLines) {
    VLine(Right(R) - 1, R.top(), Bottom(R), clHighlight);
    HLine(R.left(), Right(R), Bottom(R) - 1, clHighlight);
  }
  const QRect tr(R.left() + 2, R.top(), R.width() - 3, R.height() - 1);
  p.setPen(GxColor(text));
  const WideString v = C->GetInputDrawText();
  if (!C->InputValue().empty())
    TGxPaint::DrawTextLine(p, tr, false, Q(v), C->Alignment());
  else
    TGxPaint::DrawTextLine(p, tr, false, Q(C->InputCaption()), taCenter);
  p.restore();
}

// ---- default ----

uint32_t TDefaultStyleDisplay::GetStyleFlags() {
  return Themed() ? sfHotTrack : sfPressedInverted;
}

void TDefaultStyleDisplay::DrawHeaderBackground(const TGxCustomColumn* C, const QRect& R) {
  const bool pressed = Owner.PressedColumn >= 0 && C->Index() == Owner.PressedColumn;
  const bool hot = Owner.HotColumn >= 0 && C->Index() == Owner.HotColumn;
  if (Themed() &&
      TGxPaint::DrawThemed(Owner.Window, *Canvas, R, pressed ? 1 : (hot ? 2 : 0), 1, "header"))
    return;
  const uint32_t hc = C->Header().Color();
  Canvas->fillRect(R.adjusted(1, 1, -1, -1), GxColor(hc));
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R) - 1;
  const bool first = IsFirstVisible(C), last = IsLastVisible(C);
  if (first && last) {
    HLine(l, r + 1, t, clBtnHighlight);
    VLine(l, t, b + 1, clBtnHighlight);
    HLine(l, r + 1, b, clBtnShadow);
    VLine(r, t, b + 1, clBtnShadow);
    return;
  }
  HLine(l, r + 1, t, clBtnHighlight);
  if (first) {
    VLine(l, t, b + 1, clBtnHighlight);
  } else {
    VLine(l, t + 1, b, hc);
    VLine(l, t + 2, b - 1, clBtnHighlight);
  }
  HLine(l, r + 1, b, clBtnShadow);
  if (last) {
    VLine(r, t, b + 1, clBtnShadow);
  } else {
    VLine(r, t + 1, b, hc);
    VLine(r, t + 2, b - 1, clBtnShadow);
  }
}

void TDefaultStyleDisplay::DrawCornerBox(const QRect& R, int State) {
  if (State == 0) {
    if (Themed() && TGxPaint::DrawThemed(Owner.Window, *Canvas, R, 0, 1, "header")) return;
    TGxPaint::DrawButtonFace(*Canvas, R, false);
    return;
  }
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R) - 1;
  Canvas->fillRect(R, GxColor(clBtnFace));
  HLine(l, r + 1, t, clBtnShadow);
  HLine(l, r + 1, t + 1, clBtnHighlight);
  VLine(l, t + 1, b + 1, clBtnHighlight);
  VLine(r, t + 1, b + 1, clBtnShadow);
  HLine(l, r + 1, b, clBtnShadow);
}

void TDefaultStyleDisplay::DrawIndicatorCell(const QRect& R, int) {
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R) - 1;
  Canvas->fillRect(R, GxColor(clBtnFace));
  VLine(l, t + 1, b, clBtnHighlight);
  HLine(l + 1, r, t, clBtnHighlight);
  VLine(r, t + 1, b, clBtnShadow);
  HLine(l + 1, r, b, clBtnShadow);
}

void TDefaultStyleDisplay::DrawEmptyHeader(const QRect& R) {
  if (Themed() && TGxPaint::DrawThemed(Owner.Window, *Canvas, R, 0, 2, "header")) return;
  Canvas->fillRect(R, GxColor(Owner.Color));
}

// ---- flat ----

namespace {
void FlatBox(TStyleDisplay&, QPainter& P, const QRect& R, uint32_t Fill) {
  P.fillRect(R, GxColor(Fill));
  P.fillRect(QRect(Right(R) - 1, R.top(), 1, R.height()), GxColor(clGrayText));
  P.fillRect(QRect(R.left(), Bottom(R) - 1, R.width(), 1), GxColor(clGrayText));
}
}  // namespace

void TFlatStyleDisplay::DrawHeaderBackground(const TGxCustomColumn* C, const QRect& R) {
  FlatBox(*this, *Canvas, R, C->Header().Color());
}
void TFlatStyleDisplay::DrawCornerBox(const QRect& R, int) { FlatBox(*this, *Canvas, R, clBtnFace); }
void TFlatStyleDisplay::DrawIndicatorCell(const QRect& R, int) {
  FlatBox(*this, *Canvas, R, clBtnFace);
}
void TFlatStyleDisplay::DrawStripBand(const QRect& R) { Canvas->fillRect(R, GxColor(clBtnFace)); }

// ---- old ----

void TOldStyleDisplay::DrawHeaderBackground(const TGxCustomColumn*, const QRect& R) {
  TGxPaint::DrawButtonFace(*Canvas, R, true);
}
void TOldStyleDisplay::DrawCornerBox(const QRect& R, int) {
  TGxPaint::DrawButtonFace(*Canvas, R, true);
}
void TOldStyleDisplay::DrawIndicatorCell(const QRect& R, int) {
  TGxPaint::DrawButtonFace(*Canvas, R, true);
}

// ---- Outlook ----

void TOutlookStyleDisplay::DrawHeaderBackground(const TGxCustomColumn* C, const QRect& R) {
  const uint32_t hc = C->Header().Color();
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R);
  Canvas->fillRect(QRect(l, t, R.width(), std::max(0, R.height() - 3)), GxColor(hc));
  const bool middle = !IsFirstVisible(C) && !IsLastVisible(C);
  const int top = middle ? t + 2 : t, bottom = middle ? b - 4 : b - 3;
  VLine(l, top, bottom, clBtnHighlight);
  VLine(r, top, bottom, clBtnShadow);
  const int w[3] = {50, 100, 150};
  for (int i = 0; i < 3; ++i)
    HLine(l, r + 1, b - 3 + i, TGraphicsProvider::BlendColor(clBtnShadow, hc, w[i]));
}

void TOutlookStyleDisplay::DrawCornerBox(const QRect& R, int) {
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R);
  Canvas->fillRect(QRect(l, t, R.width(), std::max(0, R.height() - 3)), GxColor(clBtnFace));
  VLine(r, t, b - 3, clBtnShadow);
  const int w[3] = {50, 100, 150};
  for (int i = 0; i < 3; ++i)
    HLine(l, r + 1, b - 3 + i, TGraphicsProvider::BlendColor(clBtnShadow, clBtnFace, w[i]));
}

void TOutlookStyleDisplay::DrawIndicatorCell(const QRect& R, int Row) {
  TDefaultStyleDisplay d;
  d.Canvas = Canvas;
  d.DrawIndicatorCell(R, Row);
}

void TOutlookStyleDisplay::DrawStripBand(const QRect& R) {
  TGxPaint::DrawButtonFace(*Canvas, R, false);
}

// ---- Vista ----

void TVistaStyleDisplay::DrawHeaderBackground(const TGxCustomColumn* C, const QRect& R) {
  const int l = R.left(), t = R.top(), r = Right(R) - 1, b = Bottom(R);
  const uint32_t white = 0xFFFFFF, light = platform::RGBColor(240, 240, 240);
  if (C->Sorted()) {
    TGxPaint::DrawVerticalGradient(*Canvas, QRect(l, t, R.width(), 6),
                                   platform::RGBColor(175, 220, 240), white);
    Canvas->fillRect(QRect(l, t + 6, R.width(), std::max(0, R.height() - 6)), GxColor(white));
    const int cx = l + R.width() / 2 - 3;
    QPainter& p = *Canvas;
    p.save();
    p.setPen(Qt::white);
    p.setBrush(Qt::white);
    if (C->SortKind() == skAscending)
      p.drawPolygon(QPolygon({QPoint(cx, t + 3), QPoint(cx + 3, t), QPoint(cx + 6, t + 3)}));
    else
      p.drawPolygon(QPolygon({QPoint(cx, t), QPoint(cx + 6, t), QPoint(cx + 3, t + 3)}));
    p.restore();
  } else {
    Canvas->fillRect(R, GxColor(light));
  }
  VLine(l, t, b, white);
  VLine(r, t, b, clBtnFace);
}

void TVistaStyleDisplay::DrawCornerBox(const QRect& R, int) {
  Canvas->fillRect(R, GxColor(Owner.Color));
}

void TVistaStyleDisplay::DrawIndicatorCell(const QRect& R, int) {
  Canvas->fillRect(R, GxColor(platform::RGBColor(240, 240, 240)));
  VLine(R.left(), R.top(), Bottom(R), 0xFFFFFF);
  VLine(Right(R) - 1, R.top(), Bottom(R), clBtnFace);
}
