// Column displays.
#include "grid/qt/cvGxDisplays.h"

#include <QFontMetrics>
#include <QPolygon>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

namespace {
QString Q(const WideString& S) {
  return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}
Qt::Alignment HFlag(TAlignment A) {
  return A == taRightJustify ? Qt::AlignRight : (A == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
}
Qt::Alignment VFlag(TVerticalAlignment V) {
  return V == taAlignBottom ? Qt::AlignBottom : (V == taAlignTop ? Qt::AlignTop : Qt::AlignVCenter);
}
bool RightToLeft(const TGxCustomColumn* C) { return C && C->BiDiMode() != bdLeftToRight; }
}  // namespace

QRect TColumnDisplay::GetTextRect() { return CellQRect().adjusted(2, 0, -2, 0); }

QString TColumnDisplay::DisplayText() {
  return Column ? Q(Column->GetDrawText(Info)) : Q(AsString);
}

int TColumnDisplay::TextWidthOf(const QString& Text) const {
  return Canvas ? Canvas->fontMetrics().horizontalAdvance(Text) : 0;
}

void TColumnDisplay::DrawText(const QString& Text, const QRect& R) {
  if (!Canvas || R.width() <= 0 || R.height() <= 0) return;
  const TAlignment a = Column ? Column->Alignment() : taLeftJustify;
  const TVerticalAlignment v = Column ? Column->VerticalAlignment() : taVerticalCenter;
  const TWrapKind w = Column ? Column->WrapKind() : wkNone;
  const bool multi = w == wkWordWrap || (Column && Column->IsMultiLine());
  QPainter& p = *Canvas;
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setLayoutDirection(RightToLeft(Column) ? Qt::RightToLeft : Qt::LeftToRight);
  p.setClipRect(R, Qt::IntersectClip);
  if (!multi) {
    QString t = Text;
    if (w == wkEllipsis || w == wkPathEllipsis)
      t = p.fontMetrics().elidedText(Text, w == wkEllipsis ? Qt::ElideRight : Qt::ElideMiddle,
                                     R.width());
    // one line: line breaks are shown as they are, not followed
    t.replace(QChar('\n'), QChar(' ')).replace(QChar('\r'), QChar(' '));
    p.drawText(R, HFlag(a) | VFlag(v) | Qt::TextSingleLine, t);
  } else {
    const int flags = HFlag(a) | (w == wkWordWrap ? Qt::TextWordWrap : 0);
    QRect box = R;
    if (v != taAlignTop) {
      const QRect b = p.fontMetrics().boundingRect(R, flags, Text);
      const TGxRect r{R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
      box.setTop(TextBoxTop(r, b.height(), v));
      box.setHeight(b.height());
    }
    p.drawText(box, flags | Qt::AlignTop, Text);
  }
  p.restore();
}

void TColumnDisplay::DrawHintMark() {
  if (!Canvas) return;
  const QRect r = CellQRect();
  const int right = r.left() + r.width(), top = r.top();
  QPolygon t({QPoint(right - 5, top), QPoint(right - 1, top), QPoint(right - 1, top + 4)});
  Canvas->save();
  Canvas->setPen(GxColor(clRed));
  Canvas->setBrush(GxColor(clRed));
  Canvas->drawPolygon(t);
  Canvas->restore();
}

int TColumnDisplay::MeasureText() {
  const QString t = DisplayText();
  if (!Canvas) return 0;
  const TWrapKind w = Column ? Column->WrapKind() : wkNone;
  if (w == wkWordWrap || (Column && Column->IsMultiLine()))
    return Canvas->fontMetrics()
        .boundingRect(GetTextRect(), w == wkWordWrap ? Qt::TextWordWrap : 0, t)
        .width();
  return TextWidthOf(t);
}

void TColumnDisplay::Paint() { DrawText(DisplayText(), GetTextRect()); }

void TColumnDisplay::FillCellRect(uint32_t Color, bool Fill) {
  if (!Canvas) return;
  const QRect r = CellQRect();
  if (Fill) {
    Canvas->fillRect(r, GxColor(Color));
  } else {
    Canvas->save();
    Canvas->setPen(GxColor(Color));
    Canvas->setBrush(Qt::NoBrush);
    Canvas->drawRect(r.adjusted(0, 0, -1, -1));
    Canvas->restore();
  }
}

QRect TStringsColumnDisplay::GetTextRect() {
  QRect r = TColumnDisplay::GetTextRect();
  const auto* c = dynamic_cast<const TGxStringsColumn*>(Column);
  // no image list in this program: no room is taken for images
  (void)c;
  return r;
}

void TStringsColumnDisplay::Paint() {
  const auto* c = dynamic_cast<const TGxStringsColumn*>(Column);
  if (c && c->DisplayMode() == dmImageOnly) return;  // images only, and there are none
  DrawText(DisplayText(), GetTextRect());
}

int TStringsColumnDisplay::MeasureText() {
  const auto* c = dynamic_cast<const TGxStringsColumn*>(Column);
  if (c && c->DisplayMode() == dmImageOnly) return 0;
  return TColumnDisplay::MeasureText();
}

void TCheckBoxColumnDisplay::Paint() { DrawCheckBox(CellQRect(), Info.AsBoolean, false, false); }

int TCheckBoxColumnDisplay::MeasureText() { return CheckBoxSize(); }

void TCheckBoxColumnDisplay::DrawCheckBox(const QRect& R, bool Checked, bool Pressed, bool Hot) {
  if (!Canvas) return;
  const TGxRect b = CheckBoxRect(Column, {R.left(), R.top(), R.left() + R.width(),
                                          R.top() + R.height()});
  const QRect box(b.Left, b.Top, b.Width(), b.Height());
  QPainter& p = *Canvas;
  // themed state: unchecked 1 2 3, checked 5 6 7 (normal, hot, pressed)
  const int state = (Pressed && Hot) ? 1 : (Hot ? 2 : 0);
  if (TGxPaint::DrawThemed(ThemeWindow, p, box, state | (Checked ? 8 : 0), 3, "Button")) return;
  p.save();
  p.fillRect(box, GxColor(Pressed ? clBtnFace : clWindow));
  p.setPen(GxColor(clBtnShadow));
  p.setBrush(Qt::NoBrush);
  p.drawRect(box.adjusted(0, 0, -1, -1));
  if (Checked) {
    p.setPen(GxColor(clWindowText));
    const int x = box.left(), y = box.top();
    for (int d = 0; d < 3; ++d) {
      p.drawLine(x + 2, y + 4 + d, x + 4, y + 6 + d);
      p.drawLine(x + 4, y + 6 + d, x + 9, y + 1 + d);
    }
  }
  p.restore();
}
