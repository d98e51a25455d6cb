// Style displays: the objects that draw the grid's fixed parts (column headers, footers, the
// input row's cells, the indicator column and the boxes where these strips meet it) in one of
// five looks. The grid keeps one of each and draws with the one its HeaderStyle names; the
// main window's grids use the default one.
#pragma once
#include <QPainter>
#include <QRect>

#include "grid/cvGxColumns.h"

class QWidget;

enum THeaderStyle { hsAuto, hsFlatBorders, hsOldStyle, hsOutlook, hsVista };

// Style flags.
enum : uint32_t { sfHotTrack = 1, sfPressedInverted = 2, sfNoSortArrow = 4 };

// What a style display asks of its grid.
struct TStyleOwner {
  QWidget* Window = nullptr;
  uint32_t Color = 0;          // the grid's colour (empty areas)
  int PressedColumn = -1;      // column index of the pressed header, -1 when none
  int HotColumn = -1;          // column index of the hot header
  bool Focused = false;
};

class TStyleDisplay {
 public:
  TStyleDisplay() = default;
  virtual ~TStyleDisplay() = default;
  TStyleDisplay(const TStyleDisplay&) = delete;
  TStyleDisplay& operator=(const TStyleDisplay&) = delete;

  bool BiDiMode = false;
  QPainter* Canvas = nullptr;
  bool DefaultDrawing = true;
  int DisplayMedia = 1;  // 1 screen
  bool EnableThemes = false;
  TStyleOwner Owner;

  virtual uint32_t GetStyleFlags();
  virtual void AdjustHeaderTextRect(QRect&) {}
  virtual void DrawSortArrow(int X, int Y, bool Ascending);
  virtual void DrawFooterContent(const TGxCustomColumn* Column, const QRect& R);
  virtual void DrawHeaderContent(const TGxCustomColumn* Column, const QRect& R);
  virtual void DrawStripBand(const QRect& R) { DrawCornerBox(R, 0); }
  virtual void DrawCornerBox(const QRect& R, int State);
  virtual void DrawFooterCell(const TGxCustomColumn* Column, const QRect& R, bool GridLines);
  // Background (screen only), then content.
  virtual void DrawHeaderCell(const TGxCustomColumn* Column, const QRect& R);
  virtual void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R);
  virtual void DrawIndicatorCell(const QRect& R, int Row);
  virtual void DrawIndicatorMark(const QRect& R, bool Selected, bool Inverted);
  virtual void DrawInputCell(const TGxCustomColumn* Column, const QRect& R, bool Focused,
                             bool InputSelected, bool GridLines, bool EditorOpen,
                             bool HoldsInput);
  virtual void DrawEmptyHeader(const QRect& R);
  // The header width a best fit needs.
  int HeaderContentWidth(const TGxCustomColumn* Column);

 protected:
  bool Themed() const;
  // Caption extent of a header (width + 2).
  int CaptionExtent(const TGxCustomColumn* Column);
  bool IsFirstVisible(const TGxCustomColumn* C) const;
  bool IsLastVisible(const TGxCustomColumn* C) const;
  void HLine(int X1, int X2, int Y, uint32_t Color);
  void VLine(int X, int Y1, int Y2, uint32_t Color);
};

class TDefaultStyleDisplay : public TStyleDisplay {
 public:
  uint32_t GetStyleFlags() override;
  void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R) override;
  void DrawCornerBox(const QRect& R, int State) override;
  void DrawIndicatorCell(const QRect& R, int Row) override;
  void DrawEmptyHeader(const QRect& R) override;
};

class TFlatStyleDisplay : public TStyleDisplay {
 public:
  uint32_t GetStyleFlags() override { return 0; }
  void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R) override;
  void DrawCornerBox(const QRect& R, int State) override;
  void DrawIndicatorCell(const QRect& R, int Row) override;
  void DrawStripBand(const QRect& R) override;
};

class TOldStyleDisplay : public TStyleDisplay {
 public:
  uint32_t GetStyleFlags() override { return sfPressedInverted; }
  void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R) override;
  void DrawCornerBox(const QRect& R, int State) override;
  void DrawIndicatorCell(const QRect& R, int Row) override;
};

class TOutlookStyleDisplay : public TStyleDisplay {
 public:
  uint32_t GetStyleFlags() override { return sfPressedInverted; }
  void AdjustHeaderTextRect(QRect& R) override { R.setBottom(R.bottom() - 3); }
  void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R) override;
  void DrawCornerBox(const QRect& R, int State) override;
  void DrawIndicatorCell(const QRect& R, int Row) override;
  void DrawStripBand(const QRect& R) override;
};

class TVistaStyleDisplay : public TStyleDisplay {
 public:
  uint32_t GetStyleFlags() override { return sfNoSortArrow; }
  void AdjustHeaderTextRect(QRect& R) override { R.setLeft(R.left() + 2); }
  void DrawHeaderBackground(const TGxCustomColumn* Column, const QRect& R) override;
  void DrawCornerBox(const QRect& R, int State) override;
  void DrawIndicatorCell(const QRect& R, int Row) override;
  void DrawStripBand(const QRect& R) override { DrawCornerBox(R, 0); }
};
