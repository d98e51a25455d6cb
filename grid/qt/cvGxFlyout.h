// Fly-out windows of the grid suite: small frameless always-on-top tool windows that paint
// themselves completely, and the roll indicator shown while the middle button scrolls.
#pragma once
#include <QPoint>
#include <QRegion>
#include <QWidget>

class TGxFlyoutControl : public QWidget {
 public:
  explicit TGxFlyoutControl(QWidget* Owner = nullptr);
};

class TRollShadow : public TGxFlyoutControl {
 public:
  explicit TRollShadow(QWidget* Owner = nullptr);
  // Applies the shape, stores the anchor and places the 32 x 32 window at (x - 7, y - 11).
  void ShowAt(const QPoint& ScreenPoint);
  // The window's shape: two arrow heads and the dot between them.
  virtual void ApplyShape();
  static QRegion Shape();
  QPoint Anchor() const { return anchor_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QPoint anchor_;
};

// A red 9 x 9 arrow shown above (kind 2, pointing down) and below (kind 1, pointing up) the
// header while a column is dragged.
class TDragArrow : public TGxFlyoutControl {
 public:
  TDragArrow(QWidget* Owner, int Kind);
  int Kind() const { return kind_; }
  static QRegion Shape(int Kind);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int kind_;
};

// The floating header of a dragged column: its caption on a button face, a black line along the
// bottom and right edges.
class TColumnDragBox : public TGxFlyoutControl {
 public:
  explicit TColumnDragBox(QWidget* Owner);
  QString Caption;

 protected:
  void paintEvent(QPaintEvent*) override;
};
