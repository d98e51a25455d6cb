// The visible grid. TGxCustomGridControl is the core: it owns the columns, knows the selected
// cell, the top row and which rows are shown, lays the control out (indicator column, header,
// input row, body, footer), paints every region and cell, and drives the two scroll bars in
// shown rows and pixels. It holds no cell data: rows and cells come through abstract operations
// that TCvGrid implements over its row store (grid/cvGxCells.h). Painting raises the colouring
// and drawing events; an exception that leaves a program's handler is reported through the
// suite's error report (GxReportError) and the rest of the grid is still painted.
#pragma once
#include <QFont>
#include <QPainter>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "grid/cvGxCells.h"
#include "grid/cvGxColumns.h"
#include "grid/cvGxPlays.h"
#include "grid/qt/cvGxDisplays.h"
#include "grid/qt/cvGxFlyout.h"
#include "grid/qt/cvGxEdits.h"
#include "grid/qt/cvGxScroll.h"
#include "grid/qt/cvGxStyles.h"
#include "platform/Colors.h"

// Grid options; the bit of an option is its value's order.
enum TGridOption : int {
  goCanHideColumn, goDisableColumnMoving, goEscClearEdit, goFooter, goGrid, goHeader,
  goIndicator, goInput, goLockFixedCols, goMultiSelect, goRowResizing, goRowMoving,
  goSecondClickEdit, goSelectFullRow, goUseDefaultValues
};
using TGridOptions = uint32_t;
constexpr TGridOptions Go(TGridOption O) { return 1u << O; }

enum TAppearanceOption : int {
  ao3DGridLines, aoAlphaBlendedSelection, aoBoldTextSelection, aoDontFillCells, aoHideFocus,
  aoHideSelection, aoHighlightSlideCells, aoHintMarks, aoIndicateSelectedCell,
  aoIndicateSortedColumn
};
using TAppearanceOptions = uint32_t;
constexpr TAppearanceOptions Ao(TAppearanceOption O) { return 1u << O; }

enum TGridLinesStyle { lsNormal, lsActiveRows, lsFramed, lsHorizontalOnly, lsVerticalOnly };
enum TGridStyle { gsReport, gsSlides };
enum TSortedStyle { soDefault, soDarker, soWhite };
enum TSlideOption : int { soFrame, soHideSelection };
using TSlideOptions = uint32_t;
constexpr TSlideOptions So(TSlideOption O) { return 1u << O; }
enum TSelectionMoveDirection { mdDown, mdRight, mdNone };
enum TBorderStyle { bsNone, bsSingle };

// Cell state and slide state handed to the colouring and drawing events.
enum TCellStateBit : uint32_t { csBoldTextSelection = 1, csEmpty = 2, csFocused = 4, csSelected = 8 };
using TCellState = uint32_t;
enum TSlideStateBit : uint32_t { stFocused = 1, stSelected = 2 };
using TSlideState = uint32_t;

// The five pixel widths the options give.
struct TLineWidths {
  int Left3D = 0, Top3D = 0, Vert = 0, Horz = 0, Spacing = 0;
};

QFont GxQFont(const TGxFont& F);

// A cell key as the program gives it: a text or an integer (kept as its decimal text). "First",
// "Last" and "Selected" (any case) name rows and columns; other texts are column names or
// numbers.
struct TGxKey {
  TGxKey(int V) : Text(std::to_string(V)) {}
  TGxKey(const char* S) : Text(S) {}
  TGxKey(std::string S) : Text(std::move(S)) {}
  std::string Text;  // code page 1251
};

// The list error of a bad row (or column) index: "List index out of bounds (%d)".
class TGxListError : public TGxError {
 public:
  explicit TGxListError(int Index);
};

class TGxCustomGridControl : public TGxScrollControl, public TGxColumnsHost {
 public:
  explicit TGxCustomGridControl(QWidget* Parent = nullptr);
  ~TGxCustomGridControl() override;

  // ---- properties ----
  TGxColumns& Columns() { return *columns_; }
  // The class name the grid's messages give.
  virtual std::string ClassName() const { return "TGxCustomGridControl"; }
  TAppearanceOptions AppearanceOptions() const { return appearance_; }
  void SetAppearanceOptions(TAppearanceOptions A);
  bool HasAppearance(TAppearanceOption O) const { return (appearance_ & Ao(O)) != 0; }
  bool AutoScroll = false;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle B);
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& C);
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t C) { color_ = C; Repaint(); }
  bool EnableVisualStyles() const { return enableVisualStyles_; }
  // Also redraws the border (themed through the widget style while visual styles are active).
  void SetEnableVisualStyles(bool V);
  int FixedCols() const { return columns_->FixedCols(); }
  void SetFixedCols(int N);
  int FooterSize() const { return footerSize_; }
  void SetFooterSize(int N) { footerSize_ = N; Relayout(); }
  uint32_t GridLinesColor() const { return gridLinesColor_; }
  void SetGridLinesColor(uint32_t C) { gridLinesColor_ = C; Repaint(); }
  TGridLinesStyle GridLinesStyle() const { return gridLinesStyle_; }
  void SetGridLinesStyle(TGridLinesStyle S);
  TGridStyle GridStyle() const { return gridStyle_; }
  void SetGridStyle(TGridStyle S);
  int HeaderSize() const { return headerSize_; }
  void SetHeaderSize(int N) { headerSize_ = N; Relayout(); }
  THeaderStyle HeaderStyle() const { return headerStyle_; }
  void SetHeaderStyle(THeaderStyle S);
  bool HideScrollBar() const { return VertScrollBarC().HideWhenIdle; }
  void SetHideScrollBar(bool V) { VertScrollBar().SetHideWhenIdle(V); }
  uint32_t HighlightedTextColor() const { return highlightedTextColor_; }
  void SetHighlightedTextColor(uint32_t C) { highlightedTextColor_ = C; Repaint(); }
  uint32_t InactiveSelectionColor() const { return inactiveSelectionColor_; }
  void SetInactiveSelectionColor(uint32_t C) { inactiveSelectionColor_ = C; Repaint(); }
  int InputSize() const { return inputSize_; }
  void SetInputSize(int N) { inputSize_ = N; Relayout(); }
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions O);
  bool HasOption(TGridOption O) const { return (options_ & Go(O)) != 0; }
  bool ReadOnly = false;
  int RowSize() const { return rowSize_; }
  // Values <= 0 are ignored.
  virtual void SetRowSize(int N);
  uint32_t SelectionColor = clHighlight;
  TSelectionMoveDirection SelectionMoveDirection = mdDown;
  TSlideOptions SlidesOptions() const { return slidesOptions_; }
  void SetSlidesOptions(TSlideOptions O) { slidesOptions_ = O; Repaint(); }
  uint32_t SlideSelectionColor() const { return slideSelectionColor_; }
  void SetSlideSelectionColor(uint32_t C) { slideSelectionColor_ = C; Repaint(); }
  int SlideSize() const { return slideSize_; }
  void SetSlideSize(int N) { slideSize_ = N; Relayout(); }
  TSortedStyle SortedStyle() const { return sortedStyle_; }
  void SetSortedStyle(TSortedStyle S) { sortedStyle_ = S; Repaint(); }
  std::string Version() const { return "4.2.1"; }
  void SetVersion(const std::string&) {}
  bool WantReturns = false, WantTabs = false;
  // The grid's font; columns with ParentFont follow it.
  const TGxFont& Font() const { return font_; }
  void SetFont(const TGxFont& F);

  // ---- run-time state ----
  int SelectedColumn() const { return selectedColumn_; }
  int SelectedRow() const { return selectedRow_; }
  int TopRow() const { return topRow_; }
  int RangeAnchor = -1;
  // A multi-row selection made with Ctrl or Shift is marked.
  bool MultiSelectMarked() const { return multiMarked_; }
  std::pair<int, int> EditCell() const { return {editCol_, editRow_}; }
  int InputColumn() const { return inputColumn_; }
  bool InputSelected() const { return inputSelected_; }
  int UpdateCount() const { return updateCount_; }
  int SortedColumn() const { return sortedColumn_; }
  const TLineWidths& LineWidths() const { return lines_; }
  TStyleDisplay& CurrentStyleDisplay() { return *styles_[headerStyle_]; }
  TStyleDisplay& StyleDisplay(THeaderStyle S) { return *styles_[S]; }

  // ---- virtual operations ----
  virtual void RowsScrolled(int /*Delta*/) {}
  virtual bool PrepareCellFont(int Col, int Row, TCellState State);
  virtual uint32_t GetCellColor(int Col, int Row);
  virtual void GetCellHint(int Col, int Row, WideString& Hint);
  virtual void GetCellInfo(int Col, int Row, TCellInfo& Info) = 0;
  virtual void GetCellText(int Col, int Row, WideString& Text) = 0;
  virtual void GetDrawText(int Col, int Row, WideString& Text) = 0;
  virtual int FirstShownRow() = 0;
  virtual int GetHorzScrollMax();
  virtual int LastShownRow() = 0;
  virtual int RowCount() = 0;
  virtual int GetRowHeight(int Row);
  virtual int GetRowLevel(int) { return 0; }
  virtual bool IsRowShown(int) { return true; }
  virtual bool IsRowSelected(int Row) = 0;
  virtual int SelectedCount();
  virtual int GetVertScrollMax();
  virtual int VisibleRowCount() = 0;
  virtual bool BlankPartialRows() { return false; }
  virtual void PrepareCellTextFont(int, int, TCellState, const WideString&) {}
  virtual void ColumnsChanged(int Kind, int Index, int Index2);
  virtual void ColumnsListChanged(int Kind);
  virtual void DrawCell(int Col, int Row);
  virtual void DrawIndicator(int Row, bool Selected, bool Focused);
  virtual void GridStyleChanged() {}
  virtual void PaintReport();
  virtual void PaintColumnParts();
  virtual void PaintRows();
  virtual void PaintSlides();
  virtual void PaintSlidesHeader();
  virtual void PaintSlideRows();
  virtual void RefreshCell(int Col, int Row);
  virtual void SetCellText(int Col, int Row, const WideString& Text) = 0;
  virtual void PrepareColumnDisplay(int, int, TColumnDisplay&) {}
  virtual void RowHeightChanged(int Row, int Height);
  virtual void RowVisibilityChanged(int Row, bool Visible);
  virtual void SetRowSelected(int Row, bool Value) = 0;
  virtual void SelectRow(int Row);
  virtual void SortColumn(TGxCustomColumn* Column, bool Ascending) = 0;
  virtual void UpdateHorzScrollBar();
  virtual void UpdateVertScrollBar();
  virtual uint32_t DisplayColor(int Col, int Row);
  virtual uint32_t DisplayTextColor(int Col, int Row);
  virtual TGxRect GetCellRect(int Col, int Row);
  virtual void AddRows(int N) = 0;
  virtual void ClearRows();
  virtual void SelectCell(int Col, int Row, int Shift);
  virtual void ExchangeRows(int A, int B) = 0;

  // ---- interfaces ----
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool IsValidCell(int Col, int Row);
  bool IsValidRow(int Row) { return Row >= 0 && Row < RowCount(); }
  void SelectColumn(int Col);
  void ScrollRowIntoView(int Row);
  // (column index, row index) of a key pair; the row key is resolved first. A key that is no
  // name and no number raises TGxError "Invalid Rowname/Columnname '%s' for '%s:%s'.". The
  // indexes are not checked against the grid's size.
  std::pair<int, int> ResolveCellKeys(const TGxKey& ColKey, const TGxKey& RowKey);
  // GetCellText of the resolved keys (outside the grid: Text stays, no error).
  void CellTextByKey(const TGxKey& ColKey, const TGxKey& RowKey, WideString& Text);
  TGxCustomColumn* ColumnByName(const std::string& Name) { return columns_->ColumnByName(Name); }
  // Ends editing: closes an open editor without storing its text and fires OnEditExit (also
  // when no editor was open).
  virtual void EndEdit();
  // Closes an open editor without storing its text and without events.
  virtual void CloseEditor() { editCol_ = editRow_ = -1; }
  int CellAreaWidth();

  // ---- layout (client = viewport coordinates) ----
  int IndicatorWidth() const;
  int HScroll() { return HorzScrollBar().ScrollPos; }
  QRect HeaderRect();
  QRect InputRect();
  QRect InputCellRect(const TGxCustomColumn* Column);
  QRect BodyRect();
  QRect FooterRect();
  // Left edge of a column on the screen (fixed columns do not scroll).
  int ColumnScreenLeft(const TGxCustomColumn* Column);
  // Top of a row at or after TopRow (the body's top plus the rows above it); a row before
  // TopRow answers the body top.
  int RowTop(int Row);
  // Shown rows from TopRow that fit wholly in the body.
  int RowsThatFit();
  // The row whose rectangle holds the body point's Y (after TopRow); -1 when none.
  int RowAtY(int Y);

  // ---- painting ----
  // Paints the whole control (or the clip) on the painter, as a paint event does.
  void PaintTo(QPainter& P, const QRect& Clip);
  // The control as it paints now, rendered into an image of the viewport's size.
  QImage Render();
  // While painting: the painter and the clip box (the drawing events may paint on it).
  QPainter* Canvas() const { return canvas_; }
  // The grid (or its editor) has the focus.
  virtual bool GridFocused() const;
  // Counts cells painted by DrawCell (for tests and the bench).
  long long CellsPainted = 0;

  // ---- events ----
  std::function<void(QObject*, int ACol, int ARow, uint32_t& CellColor, uint32_t& GridColor,
                     TCellState)> OnCellColoring;
  std::function<void(QObject*, int ACol, int ARow, const QRect& CellRect, TCellState,
                     bool& DefaultDrawing)> OnDrawCellBackground;
  std::function<void(QObject*, int ACol, int ARow, const QRect& CellRect, TCellState)>
      OnCustomDrawCell;
  std::function<void(QObject*, int ACol, int ARow, uint32_t& TextColor, TFontStyles& FontStyle,
                     TCellState)> OnCellFormating;
  std::function<void(QObject*, int ACol, int ARow, WideString& Value)> OnApplyCell;
  std::function<void(QObject*, int ACol, int ARow, WideString& Value)> OnCellHint;
  std::function<void(QObject*)> OnPostDraw;
  std::function<void(QObject*, int Index, uint32_t& SlideColor, uint32_t& GridColor,
                     TSlideState)> OnSlideColoring;
  std::function<void(QObject*, int Index, int& RowHeight)> OnMeasuringRowHeight;
  std::function<void(QObject*, int Index, int Height)> OnChangeRowHeight;
  std::function<void(QObject*, int ACol, int ARow)> OnSelectCell, OnChange, OnDeselectCell;
  std::function<void(QObject*, int ACol)> OnInputSelectCell;
  std::function<void(QObject*)> OnEditExit;
  std::function<void(QObject*, int ACol, bool Ascending)> OnSortColumn;
  std::function<void(QObject*, int ACol)> OnAfterSort, OnColumnResize, OnSlideChange;
  std::function<void(QObject*, int ACol, int FromPos, int ToPos)> OnColumnMove;
  std::function<void(QObject*, int ACol, int ARow, bool& Accept)> OnBeforeSelect;

  // ---- TGxColumnsHost ----
  int ClientWidth() override;
  bool IndicatorShown() override;
  bool Reading() override { return reading_; }
  // The grid is being read from a form: columns take their display place by Position as each
  // is read (ColumnRead); EndRead lays the grid out once.
  void BeginRead() { reading_ = true; }
  void EndRead();
  void ColumnChange(TGxCustomColumn* Column, TGxColumnChange Kind, int Param) override;
  void BeforeChange(TGxColumnsOperation Op, int Index) override;
  void AfterChange(TGxColumnsOperation Op, int Index) override;
  void RefreshColumn(TGxCustomColumn* Column, TGxColumnPart Part) override;
  int TextWidth(const TGxFont& Font, const WideString& Text) override;
  bool Destroying() override { return destroying_; }

  // ---- scroll control ----
  int HorzScrollDelta(int Old, int New) override;
  int VertScrollDelta(int Old, int New) override;

  // The display and the play of a column's kind.
  TColumnDisplay& DisplayOf(const TGxCustomColumn* Column);
  TColumnPlay* PlayOf(const TGxCustomColumn* Column);

  void Repaint();

 protected:
  void paintEvent(QPaintEvent* E) override;
  void resizeEvent(QResizeEvent* E) override;
  void focusInEvent(QFocusEvent* E) override;
  void focusOutEvent(QFocusEvent* E) override;
  void Relayout();
  void ComputeLineWidths();
  void UpdateBorder();
  const TGxScrollBar& VertScrollBarC() const {
    return const_cast<TGxCustomGridControl*>(this)->VertScrollBar();
  }
  // Whether the cell counts as selected.
  bool CellSelected(int Col, int Row);
  // Fills and draws one empty cell past the last row.
  void DrawEmptyCell(TGxCustomColumn* Column, const QRect& R, bool LastVisible);
  void DrawCellLines(const QRect& R, uint32_t GridColor, bool LastRow, bool LastColumn,
                     bool Exists);
  void PaintCellContent(TGxCustomColumn* Column, int Col, int Row, const QRect& Content,
                        TCellState State);

  int topRow_ = 0;
  int selectedColumn_ = 0, selectedRow_ = -1;
  int editCol_ = -1, editRow_ = -1;
  int inputColumn_ = -1;
  bool inputSelected_ = false;
  int updateCount_ = 0;
  int sortedColumn_ = -1;
  int firstShown_ = 0, lastShown_ = 0;
  bool multiMarked_ = false;
  bool reading_ = false;
  bool destroying_ = false;

 private:
  std::unique_ptr<TGxColumns> columns_;
  std::array<std::unique_ptr<TStyleDisplay>, 5> styles_;
  TTextColumnDisplay textDisplay_;
  TNumberColumnDisplay numberDisplay_;
  TStringsColumnDisplay stringsDisplay_;
  TCheckBoxColumnDisplay checkDisplay_;
  TCheckBoxColumnPlay checkPlay_;

  TAppearanceOptions appearance_ = Ao(aoHideSelection) | Ao(aoHighlightSlideCells);
  TBorderStyle borderStyle_ = bsSingle;
  WideString caption_;
  uint32_t color_ = clWindow;
  bool enableVisualStyles_ = true;
  int footerSize_ = 18;
  uint32_t gridLinesColor_ = clBtnFace;
  TGridLinesStyle gridLinesStyle_ = lsNormal;
  TGridStyle gridStyle_ = gsReport;
  int headerSize_ = 18;
  THeaderStyle headerStyle_ = hsAuto;
  uint32_t highlightedTextColor_ = clHighlightText;
  uint32_t inactiveSelectionColor_ = clBtnFace;
  int inputSize_ = 16;
  TGridOptions options_ = Go(goHeader);
  int rowSize_ = 16;
  TSlideOptions slidesOptions_ = So(soFrame) | So(soHideSelection);
  uint32_t slideSelectionColor_ = clWindow;
  int slideSize_ = 80;
  TSortedStyle sortedStyle_ = soDefault;
  TGxFont font_;
  TLineWidths lines_;

  // painting state
  QPainter* canvas_ = nullptr;
  QRect clip_;
  std::vector<QFont> colFonts_;
  bool focusedNow_ = false;

 protected:
  // The row being painted and its top (RowTop answers it without a walk).
  int paintRow_ = -1, paintRowTop_ = 0;
};

// The input layer: mouse presses and releases on cells and headers (selection, cell and header
// clicks, the header sort), double clicks (a grip fits its column), keyboard navigation, the
// type-ahead row search and the wheel. The program's key and mouse events fire before the grid
// acts; every entry runs inside the guard, so an exception in a handler is reported and the
// grid goes on.
class TGxCustomGrid : public TGxCustomGridControl {
 public:
  explicit TGxCustomGrid(QWidget* Parent = nullptr);
  using TGxCustomGridControl::EditCell;

  enum THitRegion { hrNone, hrHeader, hrInput, hrCells, hrFooter, hrIndicator };
  THitRegion GetHitRegion(const QPoint& P);
  // (column, row) under a client point; -1 where nothing is hit; above the body the row is the
  // top row.
  std::pair<int, int> CellAtPoint(const QPoint& P);
  // The visible column under x (display order), or null.
  TGxCustomColumn* ColumnAtX(int X);
  // The column whose resize grip is under x, or null.
  TGxCustomColumn* GripColumnAtX(int X);
  // The display position a dragged column would land at for a client point.
  int DropPosition(TGxCustomColumn* Dragged, const QPoint& P);
  // Fits the column to its widest cell text: 5 + max(8, widest).
  void BestFitColumn(TGxCustomColumn* Column);
  // Fits the row's height to the tallest text of its visible columns (at least RowSize).
  void BestFitRow(int Row);
  // Selects the first visible row from the one after the selected (or from 0) whose text in
  // column Col starts with Text, ignoring case.
  bool SearchRow(int Col, const WideString& Text, bool FromStart);
  const WideString& SearchText() const { return searchText_; }
  // Row selection moves (keyboard).
  void SelectNextRow(int Shift = 0);
  void SelectPriorRow(int Shift = 0);
  void SelectFirstRow();
  void SelectLastRow();
  // N shown rows down (N > 0) or up, not past the first or last shown row.
  void MoveSelection(int N);
  // Shows a hint at the client point (only while the grid's window is active).
  void ShowHintAt(int X, int Y, const WideString& Text);
  // The row whose height is being dragged in the indicator (-1 when none) and its line.
  int ResizingRow() const { return resizingRow_; }
  int ResizeLineY() const { return resizeLineY_; }

  // Key: the Qt key (or 0 when a handler cleared it); Shift: Qt::KeyboardModifiers.
  std::function<void(QObject*, int& Key, int Shift)> OnKeyDown, OnKeyUp;
  std::function<void(QObject*, char16_t& Key)> OnKeyPress;
  std::function<void(QObject*, int Button, int Shift, int X, int Y)> OnMouseDown, OnMouseMove;
  std::function<void(QObject*)> OnClick, OnExit;
  std::function<void(QObject*, int ACol, int ARow)> OnCellClick, OnCellDblClick;
  std::function<void(QObject*, int ACol)> OnHeaderClick, OnHeaderDblClick;
  // A left-button release in the footer strip: the column under the point (-1 when none).
  std::function<void(QObject*, int ACol)> OnFooterClick;
  // Row dragging (goRowMoving): OnRowMove may refuse; OnAfterRowMove after the move.
  std::function<void(QObject*, int FromPos, int ToPos, bool& Accept)> OnRowMove;
  std::function<void(QObject*, int FromPos, int ToPos)> OnAfterRowMove;

  // The header column pressed now (-1 when none).
  int PressedHeader() const { return pressedHeader_; }
  // A column is being dragged by its header; the floating box and the two drop arrows.
  bool DraggingColumn() const { return draggingColumn_; }
  TColumnDragBox* DragBox() const { return dragBox_; }
  TDragArrow* DragArrow(int Kind) const { return Kind == 1 ? arrowUp_ : arrowDown_; }
  // The column being resized by its grip and the width change so far (null when none).
  TGxCustomColumn* ResizingColumn() const { return resizing_; }
  int ResizeDelta() const { return resizeDelta_; }
  // The row-move drop row (-1 when no rows are moved).
  int DropRow() const { return movingRows_ ? dropRow_ : -1; }

  // ---- in-place editing ----
  // Opens the cell editor on (Col, Row) with Text (the cell's text when empty); nothing when
  // the cell is already edited, the column cannot be edited, the grid is ReadOnly, the cell is
  // not valid or OnBeforeEdit refuses.
  void EditCell(int Col, int Row, const WideString& Text = {});
  // Opens the cell editor and types the character into it.
  void EditCellWithKey(int Col, int Row, char16_t C);
  // Stores the open editor's text: nothing when it equals the cell's text; OnEditAccept may
  // refuse; then OnEditText, the cell's text and OnAfterEdit. True when a value was stored. A
  // text the cell cannot convert raises the cell's conversion error (the cell keeps its value).
  bool ApplyEdit();
  void EndEdit() override;
  void CloseEditor() override;
  // Applies the edit and ends it whatever the apply did; the apply's error goes on.
  void ApplyAndEndEdit();
  // A press's end of editing: the open edit applied, then EndEdit, which fires OnEditExit also
  // when no editor was open.
  void ApplyThenEndEdit();
  // Input row (goInput): the input row takes the selection, selects the column and, when the
  // column takes input and the grid is not ReadOnly, opens the editor over its input cell with
  // Text (the column's InputValue when empty). OnInputSelectCell follows.
  void EditInputCell(int Col, const WideString& Text = {});
  void EditInputCellWithKey(int Col, char16_t C);
  // The column whose input cell is edited (-1 when none).
  int InputEditColumn() const { return inputEditCol_; }
  // OnInputAccept may refuse (the input values stay); else a new row takes each column's
  // InputValue (or its DefaultValue when empty), the input values are emptied, OnInputAdded.
  bool AddInputRow();
  std::function<void(QObject*, bool& Accept)> OnInputAccept;
  std::function<void(QObject*)> OnInputAdded;
  // The in-place editor attached now (the last one attached while none is; hidden while no
  // cell is edited). Text, popup and strings columns edit with the plain edit, number columns
  // with the spin edit, list and combo-box columns with the combo box.
  TGxCustomEdit* Editor() const { return editor_; }
  TGxEdit* TextEditor() const { return textEd_; }
  TGxSpinEdit* SpinEditor() const { return spinEd_; }
  TGxComboBox* ComboEditor() const { return comboEd_; }
  bool Editing() const { return EditCell().first >= 0 || inputEditCol_ >= 0; }
  std::function<void(QObject*, int ACol, int ARow, bool& Accept)> OnBeforeEdit;
  std::function<void(QObject*, int ACol, int ARow, WideString& Value)> OnApplyEditText,
      OnEditText;
  std::function<void(QObject*, int ACol, int ARow, const WideString& Value, bool& Accept)>
      OnEditAccept;
  std::function<void(QObject*, int ACol, int ARow, const WideString& Value)> OnEdit,
      OnAfterEdit;

 protected:
  void mousePressEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void mouseDoubleClickEvent(QMouseEvent* E) override;
  void keyPressEvent(QKeyEvent* E) override;
  void keyReleaseEvent(QKeyEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;
  void focusOutEvent(QFocusEvent* E) override;
  void leaveEvent(QEvent* E) override;
  // The guides of a column or row resize and the row-move marker over the painted grid.
  void paintEvent(QPaintEvent* E) override;
  bool focusNextPrevChild(bool Next) override;
  bool eventFilter(QObject* Watched, QEvent* E) override;

 private:
  void OpenEditor(int Col, int Row);
  void PlaceEditor();
  TGxCustomEdit* editor_ = nullptr;
  TGxEdit* textEd_ = nullptr;
  TGxSpinEdit* spinEd_ = nullptr;
  TGxComboBox* comboEd_ = nullptr;
  // Picks the column's editor and prepares it (the column's editor settings).
  void SetupEditor(TGxCustomColumn* Column);
  // After the editor got its text: number columns give Precision, list columns select the item
  // of the index, drop-down-list combo columns the item of the text.
  void AfterEditorText(TGxCustomColumn* Column);
  // The value to store from the editor: a list column's item index, a number's value.
  WideString EditorValue(TGxCustomColumn* Column);
  void SetEditorText(const QString& T);
  bool secondClick_ = false;
  int rowSource_ = -1, dropRow_ = -1;
  bool movingRows_ = false;
  bool draggingColumn_ = false;
  bool ending_ = false;
  int inputEditCol_ = -1;
  void OpenInput(int Col, const WideString* Text, char16_t C);
  bool settingText_ = false;
  void CellPress(int Col, int Row, int Shift);
  void KeyDown(int Key, int Shift);
  void KeyPress(char16_t C);
  int VisibleRowStep(int From, int Steps);

  QPoint pressPoint_{-1, -1};
  std::pair<int, int> pressCell_{-1, -1};
  bool leftPressed_ = false;
  int pressedHeader_ = -1;
  TGxCustomColumn* resizing_ = nullptr;
  int resizeDelta_ = 0;
  int resizingRow_ = -1, resizeLineY_ = 0;
  TColumnDragBox* dragBox_ = nullptr;
  TDragArrow* arrowUp_ = nullptr;
  TDragArrow* arrowDown_ = nullptr;
  // The box and arrows follow a drag move (global point).
  void DragMove(const QPoint& Global);
  void HideDragVisuals();
  int hintColumn_ = -1;
  std::pair<int, int> hintCell_{-1, -1};
  // The row whose lower edge (in the indicator) is under the point, or -1.
  int RowEdgeAt(const QPoint& P);
  void HideHint();
  WideString searchText_;
  QTimer searchTimer_;
};

// The concrete grid over its row store.
class TCvGrid : public TGxCustomGrid, public TCellsGrid {
 public:
  explicit TCvGrid(QWidget* Parent = nullptr);
  ~TCvGrid() override;

  std::string ClassName() const override { return "TCvGrid"; }
  TCells& Cells() { return *cells_; }
  TCell* Cell(int Col, int Row) { return cells_->GetCell(Col, Row); }
  // The cell of an index pair; a row (or column) outside the grid raises TGxListError.
  TCell* CellAt(int Col, int Row);
  // The cell of a key pair (ResolveCellKeys, then CellAt).
  TCell* CellByKey(const TGxKey& ColKey, const TGxKey& RowKey);
  // Ends editing and removes the row and its descendants; the selection keeps its index but
  // stays within the shown rows, with no selection event. A row outside the grid raises
  // TGxListError.
  void DeleteRow(int Row);
  // Ends editing and inserts an empty row (no default values) before Row; the selection moves
  // down with its row.
  void InsertRow(int Row);
  // Ends editing and moves a row record with its cells.
  void MoveRow(int From, int To);
  // Adds a child row under Row: directly after it, or after its last descendant.
  void AddChildRow(int Row, bool AfterDescendants);
  // Appends N rows without default values; the whole grid repaints once.
  void AppendRows(int N);
  // Shows or hides a parent row's descendants (a collapsed child keeps its own hidden).
  void SetRowExpanded(int Row, bool Expanded);
  // Sets Selected on every row from From to To.
  void SelectRowRange(int From, int To, bool Selected);
  // The footer captions of the columns with a formula: average, count, distinct texts,
  // maximum, minimum, sum or the program's value; "0" without rows.
  void CalculateFooters();
  std::function<void(QObject*, int ACol, double& Value)> OnColumnFooterValue, OnFooterCalculate;
  int LastAddedRow = -1;

  // ---- the core's abstract operations over the store ----
  bool PrepareCellFont(int Col, int Row, TCellState State) override;
  uint32_t GetCellColor(int Col, int Row) override;
  void GetCellHint(int Col, int Row, WideString& Hint) override;
  void GetCellInfo(int Col, int Row, TCellInfo& Info) override;
  void GetCellText(int Col, int Row, WideString& Text) override;
  void GetDrawText(int Col, int Row, WideString& Text) override;
  int FirstShownRow() override { return firstShown_; }
  int LastShownRow() override { return lastShown_; }
  int RowCount() override { return cells_->RowCount(); }
  int GetRowHeight(int Row) override;
  int GetRowLevel(int Row) override { return cells_->GetRow(Row)->Level; }
  bool IsRowShown(int Row) override { return cells_->GetRow(Row)->Shown(); }
  bool IsRowSelected(int Row) override;
  int VisibleRowCount() override { return cells_->VisibleRowCount(); }
  void PrepareCellTextFont(int Col, int Row, TCellState State, const WideString& Text) override;
  void ColumnsChanged(int Kind, int Index, int Index2) override;
  void SetCellText(int Col, int Row, const WideString& Text) override;
  void PrepareColumnDisplay(int Col, int Row, TColumnDisplay& D) override;
  void RowHeightChanged(int Row, int Height) override;
  void RowVisibilityChanged(int Row, bool Visible) override;
  void SetRowSelected(int Row, bool Value) override;
  void SortColumn(TGxCustomColumn* Column, bool Ascending) override;
  void AddRows(int N) override;
  void ClearRows() override;
  void ExchangeRows(int A, int B) override;
  // The row's Visible flag (the shown-row bookkeeping follows).
  void SetRowVisible(int Row, bool Visible) { RowVisibilityChanged(Row, Visible); }

  // TCellsGrid
  uint32_t DisplayColor(int Col, int Row) override {
    return TGxCustomGridControl::DisplayColor(Col, Row);
  }
  uint32_t DisplayTextColor(int Col, int Row) override {
    return TGxCustomGridControl::DisplayTextColor(Col, Row);
  }

  // Hands a key, a press or a release (X, Y relative to the cell) to the cell's column play:
  // OnBeforeEdit may refuse; a change goes to OnEditAccept and, when accepted, into the cell,
  // followed by OnAfterEdit with the cell's new text. False when the column has no play or the
  // cell is not valid or refused.
  enum TPlayAction { paKey, paMouseDown, paMouseUp };
  bool PlayCell(int Col, int Row, TPlayAction Action, char16_t Key = 0, int X = 0, int Y = 0);

  // Text helpers at the program's side (code page 1251).
  std::string CellText(int Col, int Row);
  void SetCellTextA(int Col, int Row, const std::string& Cp1251);

 private:
  std::unique_ptr<TCells> cells_;
  void RecountShown();
};

// Row routines over a grid's text operations (the Data tab's sort and filter grids).
// Swaps the texts of two rows column by column; nothing when either is RowCount or more.
void GxGridSwapRows(TCvGrid& Grid, int A, int B);
// Exchange sort ascending by the integer value of column A, ties by column B.
void GxGridSortIntInt(TCvGrid& Grid, int A, int B);
// The same with column A Boolean: True rows first, each group ascending by column B.
void GxGridSortBoolInt(TCvGrid& Grid, int A, int B);
