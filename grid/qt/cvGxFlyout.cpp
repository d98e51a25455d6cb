// Fly-out windows and the roll indicator.
#include "grid/qt/cvGxFlyout.h"

#include <QPainter>
#include <QPolygon>

#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

TGxFlyoutControl::TGxFlyoutControl(QWidget* Owner)
    : QWidget(Owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

TRollShadow::TRollShadow(QWidget* Owner) : TGxFlyoutControl(Owner) {
  resize(32, 32);
  ApplyShape();
}

QRegion TRollShadow::Shape() {
  const QPolygon up({QPoint(-1, 7), QPoint(7, -1), QPoint(8, 0), QPoint(14, 7), QPoint(0, 6)});
  const QPolygon down(
      {QPoint(-1, 15), QPoint(14, 15), QPoint(6, 22), QPoint(6, 22), QPoint(-1, 14)});
  const QRegion dot(QRect(5, 9, 5, 5), QRegion::Ellipse);
  return QRegion(up, Qt::WindingFill).united(QRegion(down, Qt::WindingFill)).united(dot);
}

void TRollShadow::ApplyShape() { setMask(Shape()); }

void TRollShadow::ShowAt(const QPoint& P) {
  ApplyShape();
  anchor_ = P;
  setGeometry(P.x() - 7, P.y() - 11, 32, 32);
}

void TRollShadow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), GxColor(clGrayText));
}

TDragArrow::TDragArrow(QWidget* Owner, int Kind) : TGxFlyoutControl(Owner), kind_(Kind) {
  resize(9, 9);
  setMask(Shape(Kind));
}

QRegion TDragArrow::Shape(int Kind) {
  // eight points: the tip, the head's corners and the shaft 3..6 wide
  const QPolygon up({QPoint(4, -1), QPoint(9, 4), QPoint(6, 4), QPoint(6, 9), QPoint(3, 9),
                     QPoint(3, 4), QPoint(-1, 4), QPoint(4, -1)});
  const QPolygon down({QPoint(4, 9), QPoint(9, 4), QPoint(6, 4), QPoint(6, 0), QPoint(3, 0),
                       QPoint(3, 4), QPoint(-1, 4), QPoint(4, 9)});
  return QRegion(Kind == 1 ? up : down, Qt::WindingFill);
}

void TDragArrow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), GxColor(clRed));
}

TColumnDragBox::TColumnDragBox(QWidget* Owner) : TGxFlyoutControl(Owner) {}

void TColumnDragBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  TGxPaint::DrawButtonFace(p, rect(), false);
  p.setPen(GxColor(clBtnText));
  TGxPaint::DrawTextLine(p, rect().adjusted(4, 0, -4, 0), false, Caption, taLeftJustify);
  p.setPen(Qt::black);
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
  p.drawLine(width() - 1, 0, width() - 1, height() - 1);
}
