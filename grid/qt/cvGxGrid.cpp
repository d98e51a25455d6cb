// The grid core: layout, line widths, row positions, shown-row scrolling and painting; and the
// concrete grid over its row store.
#include "grid/qt/cvGxGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxPaint.h"

QFont GxQFont(const TGxFont& F) {
  QFont f(QString::fromStdString(F.Name));
  f.setPointSize(F.Size > 0 ? F.Size : 8);
  f.setBold(F.Style & fsBold);
  f.setItalic(F.Style & fsItalic);
  f.setUnderline(F.Style & fsUnderline);
  f.setStrikeOut(F.Style & fsStrikeOut);
  return f;
}

namespace {
constexpr uint32_t clBtnHighlight = 0xFF000014;
int RightOf(const QRect& R) { return R.left() + R.width(); }
int BottomOf(const QRect& R) { return R.top() + R.height(); }
}  // namespace

// ======================= TGxCustomGridControl =======================

TGxCustomGridControl::TGxCustomGridControl(QWidget* Parent) : TGxScrollControl(Parent) {
  InstallGxPalette();
  columns_ = std::make_unique<TGxColumns>(this);
  styles_[hsAuto] = std::make_unique<TDefaultStyleDisplay>();
  styles_[hsFlatBorders] = std::make_unique<TFlatStyleDisplay>();
  styles_[hsOldStyle] = std::make_unique<TOldStyleDisplay>();
  styles_[hsOutlook] = std::make_unique<TOutlookStyleDisplay>();
  styles_[hsVista] = std::make_unique<TVistaStyleDisplay>();
  UpdateBorder();
  setFocusPolicy(Qt::StrongFocus);
  HorzScrollBar().LineStep = 5;
  HorzScrollBar().PageStep = 10;
  VertScrollBar().PageStep = 10;
  ComputeLineWidths();
  resize(250, 150);
}

TGxCustomGridControl::~TGxCustomGridControl() {
  destroying_ = true;
  columns_.reset();
}

void TGxCustomGridControl::Repaint() {
  if (updateCount_ == 0) viewport()->update();
}

void TGxCustomGridControl::Relayout() {
  UpdateVertScrollBar();
  Repaint();
}

void TGxCustomGridControl::ComputeLineWidths() {
  lines_ = {};
  if (HasOption(goGrid)) {
    if (gridLinesStyle_ != lsHorizontalOnly) {
      lines_.Vert = 1;
      if (HasAppearance(ao3DGridLines)) lines_.Left3D = 1;
    }
    if (gridLinesStyle_ != lsVerticalOnly) {
      lines_.Horz = 1;
      if (HasAppearance(ao3DGridLines)) lines_.Top3D = 1;
    }
  }
  lines_.Spacing = lines_.Top3D + lines_.Horz;
}

void TGxCustomGridControl::SetAppearanceOptions(TAppearanceOptions A) {
  appearance_ = A;
  ComputeLineWidths();
  Relayout();
}

void TGxCustomGridControl::SetBorderStyle(TBorderStyle B) {
  borderStyle_ = B;
  UpdateBorder();
}

void TGxCustomGridControl::UpdateBorder() {
  // with visual styles the widget style draws the border, otherwise a thin plain edge
  if (borderStyle_ == bsNone)
    setFrameStyle(QFrame::NoFrame);
  else if (enableVisualStyles_ && ThemesActive())
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  else
    setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
}

void TGxCustomGridControl::SetCaption(const WideString& C) {
  caption_ = C;
  Repaint();
}

void TGxCustomGridControl::SetFixedCols(int N) {
  columns_->SetFixedCols(N);
  Repaint();
}

void TGxCustomGridControl::SetGridLinesStyle(TGridLinesStyle S) {
  gridLinesStyle_ = S;
  ComputeLineWidths();
  Relayout();
}

void TGxCustomGridControl::SetGridStyle(TGridStyle S) {
  if (S == gridStyle_) return;
  gridStyle_ = S;
  if (S == gsSlides) inputSelected_ = false;
  columns_->Layout(false);
  GridStyleChanged();
  UpdateHorzScrollBar();
  Relayout();
}

void TGxCustomGridControl::SetEnableVisualStyles(bool V) {
  enableVisualStyles_ = V;
  UpdateBorder();
  Repaint();
}

void TGxCustomGridControl::SetHeaderStyle(THeaderStyle S) {
  headerStyle_ = S;
  Repaint();
}

void TGxCustomGridControl::SetOptions(TGridOptions O) {
  const bool ind = IndicatorShown();
  options_ = O;
  ComputeLineWidths();
  if (ind != IndicatorShown()) columns_->Layout(false);
  UpdateHorzScrollBar();
  Relayout();
}

void TGxCustomGridControl::SetRowSize(int N) {
  if (N <= 0) return;
  rowSize_ = N;
  Relayout();
}

void TGxCustomGridControl::SetFont(const TGxFont& F) {
  font_ = F;
  for (int i = 0; i < columns_->ColumnCount(); ++i) columns_->Column(i)->ParentFontChanged(F);
  Repaint();
}

void TGxCustomGridControl::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0) {
    UpdateVertScrollBar();
    viewport()->update();
  }
}

bool TGxCustomGridControl::IsValidCell(int Col, int Row) {
  return Col >= 0 && Col < columns_->ColumnCount() && Row >= 0 && Row < RowCount();
}

void TGxCustomGridControl::SelectColumn(int Col) {
  if (columns_->IsValidIndex(Col)) SelectCell(Col, selectedRow_, 0);
}

int TGxCustomGridControl::CellAreaWidth() {
  return ClientWidth() - (gridStyle_ == gsReport && HasOption(goIndicator) ? 12 : 0);
}

// ---- virtual operations with a body here ----

bool TGxCustomGridControl::PrepareCellFont(int Col, int Row, TCellState State) {
  if (!canvas_) return false;
  TGxCustomColumn* c = columns_->Column(Col);
  QFont f = static_cast<size_t>(Col) < colFonts_.size() ? colFonts_[static_cast<size_t>(Col)]
                                                         : GxQFont(c->Font());
  if (State & csBoldTextSelection) f.setBold(true);
  canvas_->setFont(f);
  canvas_->setPen(GxColor(isEnabled() ? DisplayTextColor(Col, Row) : clGrayText));
  return false;
}

uint32_t TGxCustomGridControl::GetCellColor(int Col, int) { return columns_->Column(Col)->Color(); }

void TGxCustomGridControl::GetCellHint(int Col, int Row, WideString& Hint) {
  if (OnCellHint) Guarded("OnCellHint", [&] { OnCellHint(this, Col, Row, Hint); });
}

int TGxCustomGridControl::GetHorzScrollMax() {
  if (gridStyle_ == gsSlides) return 0;
  return std::max(0, columns_->VisibleWidth() + IndicatorWidth() - ClientWidth());
}

int TGxCustomGridControl::GetRowHeight(int) { return rowSize_; }

int TGxCustomGridControl::SelectedCount() {
  int n = 0;
  for (int r = 0; r < RowCount(); ++r) n += IsRowSelected(r) ? 1 : 0;
  return n;
}

int TGxCustomGridControl::GetVertScrollMax() {
  const int shown = VisibleRowCount();
  if (shown == 0) return 0;
  const int h = BodyRect().height() - lines_.Top3D;
  if (gridStyle_ == gsSlides) {
    const int per = slideSize_ + lines_.Horz;
    return std::max(0, shown - std::max(1, per > 0 ? h / per : 1));
  }
  // shown rows that fit counted from the bottom
  int fit = 0, sum = 0;
  for (int r = LastShownRow(); r >= 0 && r < RowCount(); --r) {
    if (!IsRowShown(r)) continue;
    sum += GetRowHeight(r) + lines_.Spacing;
    if (sum > h) break;
    ++fit;
  }
  return std::max(0, shown - fit);
}

void TGxCustomGridControl::ColumnsChanged(int, int, int) {
  editCol_ = editRow_ = -1;
  UpdateHorzScrollBar();
}

void TGxCustomGridControl::ColumnsListChanged(int) { Repaint(); }

void TGxCustomGridControl::RefreshCell(int Col, int Row) {
  if (!IsValidCell(Col, Row)) return;
  const TGxRect r = GetCellRect(Col, Row);
  viewport()->update(QRect(r.Left, r.Top - lines_.Top3D, r.Width(),
                           r.Height() + lines_.Top3D + lines_.Horz));
  if (HasOption(goIndicator)) viewport()->update(QRect(0, r.Top - 1, 12, r.Height() + 2));
}

void TGxCustomGridControl::RowHeightChanged(int Row, int Height) {
  if (OnChangeRowHeight)
    Guarded("OnChangeRowHeight", [&] { OnChangeRowHeight(this, Row, Height); });
}

void TGxCustomGridControl::RowVisibilityChanged(int, bool) {
  UpdateVertScrollBar();
  Repaint();
}

void TGxCustomGridControl::SelectRow(int Row) {
  if (RowCount() > 0 && Row >= -1 && Row < RowCount()) {
    inputSelected_ = false;
    SelectCell(selectedColumn_, Row, 0);
  }
}

void TGxCustomGridControl::UpdateHorzScrollBar() {
  TGxScrollBar& b = HorzScrollBar();
  b.SetScrollMax(GetHorzScrollMax());
  b.PageStep = static_cast<int>(std::nearbyint(ClientWidth() * 0.05));
  b.Update();
}

void TGxCustomGridControl::UpdateVertScrollBar() {
  if (updateCount_ > 0) return;
  VertScrollBar().SetScrollMax(GetVertScrollMax());
}

uint32_t TGxCustomGridControl::DisplayColor(int Col, int Row) {
  uint32_t c = GetCellColor(Col, Row);
  if (HasAppearance(aoIndicateSortedColumn) && Col == sortedColumn_ && sortedColumn_ >= 0)
    c = GxDarker(c, 10);
  if (CellSelected(Col, Row)) {
    if (!(canvas_ ? focusedNow_ : GridFocused()))
      c = inactiveSelectionColor_;
    else if (HasAppearance(aoAlphaBlendedSelection))
      c = TGraphicsProvider::MixColors(c, clHighlight, 0.25);
    else
      c = SelectionColor;
  }
  return c;
}

uint32_t TGxCustomGridControl::DisplayTextColor(int Col, int Row) {
  if (CellSelected(Col, Row) && (canvas_ ? focusedNow_ : GridFocused()))
    return highlightedTextColor_;
  return columns_->Column(Col)->Font().Color;
}

bool TGxCustomGridControl::CellSelected(int Col, int Row) {
  if (gridStyle_ == gsSlides && !HasAppearance(aoHighlightSlideCells)) return false;
  if (inputSelected_) return false;
  if (!columns_->IsValidIndex(Col) || columns_->Column(Col)->HasOption(coDontHighlight))
    return false;
  const bool focused = canvas_ ? focusedNow_ : GridFocused();
  if (!focused && HasAppearance(aoHideSelection)) return false;
  const bool edited = Col == editCol_ && Row == editRow_;
  if (!HasOption(goSelectFullRow)) return Col == selectedColumn_ && Row == selectedRow_ && !edited;
  if (!IsValidRow(Row) || !IsRowSelected(Row)) return false;
  const bool isSel = Col == selectedColumn_ && Row == selectedRow_;
  return !isSel || (!HasAppearance(aoIndicateSelectedCell) && !edited);
}

bool TGxCustomGridControl::GridFocused() const {
  if (hasFocus()) return true;
  const QWidget* f = QApplication::focusWidget();
  return f && isAncestorOf(f);
}

TGxRect TGxCustomGridControl::GetCellRect(int Col, int Row) {
  TGxCustomColumn* c = columns_->Column(Col);
  const int top = RowTop(Row);
  if (gridStyle_ == gsSlides) {
    const TGxSlideBounds& b = c->SlideBounds();
    return {b.Left, top + b.Top, b.Right(), top + b.Bottom()};
  }
  const int left = ColumnScreenLeft(c);
  const int h = IsValidRow(Row) ? GetRowHeight(Row) : rowSize_;
  return {left, top, left + c->Width(), top + h};
}

void TGxCustomGridControl::EndRead() {
  reading_ = false;
  columns_->Layout(true);
  columns_->AutoSize(nullptr, true);
  Relayout();
  UpdateHorzScrollBar();
  Repaint();
}

void TGxCustomGridControl::ClearRows() {
  topRow_ = 0;
  selectedColumn_ = 0;
  selectedRow_ = -1;
  multiMarked_ = false;
  EndEdit();
}

void TGxCustomGridControl::SelectCell(int Col, int Row, int Shift) {
  bool accept = true;
  if (OnBeforeSelect) Guarded("OnBeforeSelect", [&] { OnBeforeSelect(this, Col, Row, accept); });
  if (!accept) return;
  const bool ctrl = Shift & Qt::ControlModifier, shift = Shift & Qt::ShiftModifier;
  if (multiMarked_ && !ctrl && !shift) {
    // a plain selection ends the multi-row one
    multiMarked_ = false;
    for (int r = 0; r < RowCount(); ++r)
      if (IsRowSelected(r)) SetRowSelected(r, false);
    selectedRow_ = -1;
    selectedColumn_ = 0;
  }
  if (!columns_->IsValidIndex(Col) || !columns_->Column(Col)->Enabled) return;
  if (inputSelected_) {
    // The input row holds the selection: only its column changes.
    const int old = inputColumn_;
    if (old == Col) return;
    inputColumn_ = Col;
    if (OnInputSelectCell) Guarded("OnInputSelectCell", [&] { OnInputSelectCell(this, Col); });
    viewport()->update(InputRect());
    return;
  }
  const int oldCol = selectedColumn_, oldRow = selectedRow_;
  selectedColumn_ = Col;
  selectedRow_ = Row;  // any integer is stored; painting checks it
  const bool changed = oldCol != Col || oldRow != Row;
  if (changed) {
    if (OnDeselectCell && IsValidCell(oldCol, oldRow))
      Guarded("OnDeselectCell", [&] { OnDeselectCell(this, oldCol, oldRow); });
    CloseEditor();
  }
  if (AutoScroll && IsValidRow(Row)) ScrollRowIntoView(Row);
  if (RowCount() == 0) return;
  if (HasOption(goSelectFullRow)) {
    if (HasOption(goMultiSelect) && (ctrl || shift) && IsValidRow(Row)) {
      multiMarked_ = true;
      if (shift) {
        const int a = IsValidRow(RangeAnchor) ? RangeAnchor : Row;
        const int lo = std::min(a, Row), hi = std::max(a, Row);
        for (int r = 0; r < RowCount(); ++r) {
          const bool in = r >= lo && r <= hi;
          if (in && !IsRowSelected(r)) SetRowSelected(r, true);
          if (!in && !ctrl && IsRowSelected(r)) SetRowSelected(r, false);
        }
      } else {
        SetRowSelected(Row, !IsRowSelected(Row));
        RangeAnchor = Row;
      }
    } else {
      if (IsValidRow(oldRow) && !multiMarked_) SetRowSelected(oldRow, false);
      if (IsValidRow(Row)) SetRowSelected(Row, true);
      RangeAnchor = Row;
    }
  }
  if (changed) {
    RefreshCell(oldCol, oldRow);
    RefreshCell(Col, Row);
    if (HasOption(goSelectFullRow) || HasOption(goIndicator)) Repaint();
  }
  if (OnSelectCell) Guarded("OnSelectCell", [&] { OnSelectCell(this, Col, Row); });
}

// ---- layout ----

int TGxCustomGridControl::IndicatorWidth() const {
  return gridStyle_ == gsReport && (options_ & Go(goIndicator)) ? kGxIndicatorWidth : 0;
}

int TGxCustomGridControl::ClientWidth() { return viewport()->width(); }

bool TGxCustomGridControl::IndicatorShown() { return IndicatorWidth() > 0; }

QRect TGxCustomGridControl::HeaderRect() {
  const int ind = IndicatorWidth();
  const int right = ind + columns_->VisibleWidth() - HScroll();
  return QRect(ind, 0, std::max(0, right - ind), HasOption(goHeader) ? headerSize_ : 0);
}

QRect TGxCustomGridControl::InputRect() {
  const QRect h = HeaderRect();
  const int top = HasOption(goHeader) ? headerSize_ : 0;
  return QRect(h.left(), top, h.width(), HasOption(goInput) ? inputSize_ + 6 + lines_.Horz : 0);
}

QRect TGxCustomGridControl::InputCellRect(const TGxCustomColumn* Column) {
  return QRect(ColumnScreenLeft(Column), InputRect().top(), Column->Width(), inputSize_);
}

QRect TGxCustomGridControl::BodyRect() {
  const int ind = IndicatorWidth();
  const QRect in = InputRect();
  const int top = in.top() + in.height();
  const int right = std::min(ClientWidth(), ind + columns_->VisibleWidth() - HScroll());
  int bottom = viewport()->height();
  if (HasOption(goFooter)) bottom -= footerSize_ + 4 + lines_.Horz;
  return QRect(ind, top, std::max(0, right - ind), std::max(0, bottom - top));
}

QRect TGxCustomGridControl::FooterRect() {
  const QRect h = HeaderRect();
  const int hgt = HasOption(goFooter) ? footerSize_ + 4 + lines_.Horz : 0;
  return QRect(h.left(), viewport()->height() - hgt, h.width(), hgt);
}

int TGxCustomGridControl::ColumnScreenLeft(const TGxCustomColumn* C) {
  if (gridStyle_ == gsSlides) return C->SlideBounds().Left;
  const bool fixed = C->VisibleIndex() >= 0 && C->VisibleIndex() < columns_->FixedCols();
  return C->Left() - (fixed ? 0 : HScroll());
}

int TGxCustomGridControl::RowTop(int Row) {
  if (Row == paintRow_) return paintRowTop_;
  const QRect body = BodyRect();
  const int bottom = BottomOf(body);
  const int n = RowCount();
  const int pitch = gridStyle_ == gsSlides ? slideSize_ + lines_.Horz : 0;
  int y = body.top() + lines_.Top3D;
  if (Row >= topRow_) {
    for (int r = topRow_; r < Row && y <= bottom; ++r) {
      if (r < n && !IsRowShown(r)) continue;
      y += pitch ? pitch : (r < n ? GetRowHeight(r) : rowSize_) + lines_.Spacing;
    }
  } else {
    for (int r = topRow_ - 1; r >= Row && r >= 0 && y >= body.top() - 100000; --r) {
      if (r < n && !IsRowShown(r)) continue;
      y -= pitch ? pitch : GetRowHeight(r) + lines_.Spacing;
    }
  }
  return y;
}

int TGxCustomGridControl::RowsThatFit() {
  const int h = BodyRect().height() - lines_.Top3D;
  int sum = 0, k = 0;
  for (int r = topRow_; r < RowCount(); ++r) {
    if (!IsRowShown(r)) continue;
    sum += (gridStyle_ == gsSlides ? slideSize_ + lines_.Horz : GetRowHeight(r) + lines_.Spacing);
    if (sum > h) break;
    ++k;
  }
  return k;
}

int TGxCustomGridControl::RowAtY(int Y) {
  const QRect body = BodyRect();
  int y = body.top() + lines_.Top3D;
  for (int r = topRow_; r < RowCount() && y < BottomOf(body); ++r) {
    if (!IsRowShown(r)) continue;
    const int h = gridStyle_ == gsSlides ? slideSize_ : GetRowHeight(r);
    if (Y >= y && Y < y + h + lines_.Horz) return r;
    y += h + (gridStyle_ == gsSlides ? lines_.Horz : lines_.Spacing);
  }
  return -1;
}

void TGxCustomGridControl::ScrollRowIntoView(int Row) {
  if (!IsValidRow(Row) || !IsRowShown(Row)) return;
  TGxScrollBar& bar = VertScrollBar();
  if (Row < topRow_) {
    int k = 0;
    for (int r = Row; r < topRow_; ++r) k += IsRowShown(r) ? 1 : 0;
    bar.SetScrollPos(bar.ScrollPos - k);
    return;
  }
  const int fit = RowsThatFit();
  if (fit == 0) return;
  int inView = 0, last = topRow_;
  for (int r = topRow_; r < RowCount() && inView < fit; ++r) {
    if (!IsRowShown(r)) continue;
    ++inView;
    last = r;
    if (r == Row) return;  // already in view
  }
  int k = 0;
  for (int r = last + 1; r <= Row; ++r) k += IsRowShown(r) ? 1 : 0;
  bar.SetScrollPos(bar.ScrollPos + k);
}

// ---- scrolling ----

int TGxCustomGridControl::HorzScrollDelta(int Old, int New) { return Old - New; }

int TGxCustomGridControl::VertScrollDelta(int Old, int New) {
  const int n = RowCount();
  if (n == 0 || Old == New) return 0;
  const int limit = BodyRect().height();
  const bool slides = gridStyle_ == gsSlides;
  auto pitch = [&](int r) {
    return slides ? slideSize_ + lines_.Horz : GetRowHeight(r) + lines_.Spacing;
  };
  int dist = 0;
  if (VisibleRowCount() == n) {
    // every row is shown: the position is the top row itself
    const int to = std::clamp(New, 0, n - 1);
    const int a = std::min(topRow_, to), b = std::max(topRow_, to);
    for (int r = a; r < b && dist <= limit; ++r) dist += pitch(r);
    const bool forward = to > topRow_;
    topRow_ = to;
    RowsScrolled(forward ? b - a : a - b);
    return forward ? -dist : dist;
  }
  int steps = std::abs(New - Old);
  int r = topRow_;
  if (New > Old) {
    while (steps > 0) {
      int next = r + 1;
      while (next < n && !IsRowShown(next)) ++next;
      if (next >= n) break;
      if (dist <= limit) dist += pitch(r);
      r = next;
      --steps;
    }
    topRow_ = r;
    return -dist;
  }
  while (steps > 0) {
    int prev = r - 1;
    while (prev >= 0 && !IsRowShown(prev)) --prev;
    if (prev < 0) break;
    r = prev;
    if (dist <= limit) dist += pitch(r);
    --steps;
  }
  topRow_ = r;
  return dist;
}

// ---- columns host ----

void TGxCustomGridControl::ColumnChange(TGxCustomColumn* Column, TGxColumnChange Kind, int Param) {
  if (destroying_) return;
  switch (Kind) {
    case chInputValue: viewport()->update(InputCellRect(Column)); break;
    case chPosition:
      if (OnColumnMove)
        Guarded("OnColumnMove", [&] {
          OnColumnMove(this, Column->Index(), Param, Column->Position());
        });
      Repaint();
      break;
    case chVisibility:
      UpdateHorzScrollBar();
      Repaint();
      break;
    case chAppearance: Repaint(); break;
    case chSlideBounds:
      Repaint();
      if (OnSlideChange) Guarded("OnSlideChange", [&] { OnSlideChange(this, Column->Index()); });
      break;
    case chUnsort:
      if (sortedColumn_ == Column->Index()) sortedColumn_ = -1;
      Repaint();
      break;
    case chWidth:
      Repaint();
      if (OnColumnResize)
        Guarded("OnColumnResize", [&] { OnColumnResize(this, Column->Index()); });
      UpdateHorzScrollBar();
      break;
    case chSort:
    case chSortOrder:
      Repaint();
      if (Column->Sorted()) SortColumn(Column, Column->SortKind() == skAscending);
      break;
  }
}

void TGxCustomGridControl::BeforeChange(TGxColumnsOperation Op, int Index) {
  if (Op == opRemove) ColumnsChanged(TCells::ccDelete, Index, 0);
}

void TGxCustomGridControl::AfterChange(TGxColumnsOperation Op, int Index) {
  if (Op == opAdd) ColumnsChanged(TCells::ccAdd, Index, 0);
  ColumnsListChanged(Op);
}

void TGxCustomGridControl::RefreshColumn(TGxCustomColumn*, TGxColumnPart) { Repaint(); }

int TGxCustomGridControl::TextWidth(const TGxFont& Font, const WideString& Text) {
  return QFontMetrics(GxQFont(Font)).horizontalAdvance(GxQString(Text));
}

TColumnDisplay& TGxCustomGridControl::DisplayOf(const TGxCustomColumn* C) {
  if (dynamic_cast<const TGxCheckBoxColumn*>(C)) return checkDisplay_;
  if (dynamic_cast<const TGxStringsColumn*>(C)) return stringsDisplay_;
  if (dynamic_cast<const TGxCustomNumberColumn*>(C)) return numberDisplay_;
  return textDisplay_;
}

TColumnPlay* TGxCustomGridControl::PlayOf(const TGxCustomColumn* C) {
  return C && C->HasPlay() ? &checkPlay_ : nullptr;
}

// ---- events of the window ----

void TGxCustomGridControl::paintEvent(QPaintEvent* E) {
  QPainter p(viewport());
  PaintTo(p, E->rect());
}

void TGxCustomGridControl::resizeEvent(QResizeEvent* E) {
  TGxScrollControl::resizeEvent(E);
  columns_->AutoSize(nullptr, true);
  UpdateHorzScrollBar();
  UpdateVertScrollBar();
}

void TGxCustomGridControl::focusInEvent(QFocusEvent* E) {
  TGxScrollControl::focusInEvent(E);
  viewport()->update();
}

void TGxCustomGridControl::focusOutEvent(QFocusEvent* E) {
  TGxScrollControl::focusOutEvent(E);
  viewport()->update();
}

QImage TGxCustomGridControl::Render() {
  QImage img(viewport()->size(), QImage::Format_RGB32);
  img.fill(Qt::magenta);  // any pixel left unpainted shows
  QPainter p(&img);
  PaintTo(p, img.rect());
  return img;
}

// ---- painting ----

void TGxCustomGridControl::PaintTo(QPainter& P, const QRect& Clip) {
  canvas_ = &P;
  clip_ = Clip;
  focusedNow_ = GridFocused();
  colFonts_.clear();
  for (int i = 0; i < columns_->ColumnCount(); ++i)
    colFonts_.push_back(GxQFont(columns_->Column(i)->Font()));
  const int ind = IndicatorWidth();
  const int cw = ClientWidth(), ch = viewport()->height();
  const QRect body = BodyRect();
  HorzScrollRect = QRect(ind + columns_->FixedWidth(), 0,
                         std::max(0, cw - ind - columns_->FixedWidth()), ch);
  VertScrollRect = QRect(0, body.top(), cw, body.height());
  TStyleDisplay& sd = CurrentStyleDisplay();
  sd.Canvas = &P;
  sd.EnableThemes = enableVisualStyles_ && ThemesActive();
  sd.Owner.Window = viewport();
  sd.Owner.Color = color_;
  sd.Owner.Focused = focusedNow_;
  if (gridStyle_ == gsReport) {
    PaintReport();
    const int end = ind + columns_->VisibleWidth() - HScroll();
    if (end < cw) {
      const int hh = HasOption(goHeader) ? headerSize_ : 0;
      if (hh > 0) sd.DrawEmptyHeader(QRect(end, 0, cw - end, hh));
      P.fillRect(QRect(end, hh, cw - end, ch - hh), GxColor(color_));
    }
  } else {
    PaintSlides();
  }
  if (VisibleRowCount() == 0 && !caption_.empty()) {
    P.save();
    P.setFont(GxQFont(font_));
    P.setPen(GxColor(isEnabled() ? font_.Color : clGrayText));
    const int h = P.fontMetrics().height();
    const int left = body.left() - HScroll();
    P.drawText(QRect(left, body.top() + 4, cw - left, h),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, GxQString(caption_));
    P.restore();
  }
  if (OnPostDraw) Guarded("OnPostDraw", [&] { OnPostDraw(this); });
  paintRow_ = -1;
  canvas_ = nullptr;
}

void TGxCustomGridControl::PaintReport() {
  PaintRows();
  PaintColumnParts();
}

void TGxCustomGridControl::PaintRows() {
  QPainter& P = *canvas_;
  const QRect body = BodyRect();
  const int bodyBottom = BottomOf(body);
  const int cw = ClientWidth();
  const int fixedRight = IndicatorWidth() + columns_->FixedWidth();
  const int n = RowCount();
  std::vector<TGxCustomColumn*> cols;
  for (int i = 0; i < columns_->ColumnCount(); ++i) {
    TGxCustomColumn* c = columns_->ColumnAtPosition(i);
    if (!c->Visible()) continue;
    const int left = ColumnScreenLeft(c);
    if (left >= cw) break;
    const bool fixed = c->VisibleIndex() < columns_->FixedCols();
    if (!fixed && left + c->Width() <= fixedRight) continue;
    cols.push_back(c);
  }
  TGxCustomColumn* lastVisible = columns_->LastVisible();
  // the strip right of the columns below the header is filled by PaintTo; the body starts at
  // the top light line
  int y = body.top() + lines_.Top3D;
  int row = std::max(0, topRow_);
  int selTop = -1, selH = 0;
  while (y < bodyBottom) {
    if (row < n) {
      if (!IsRowShown(row)) {
        ++row;
        continue;
      }
      const int h = GetRowHeight(row);
      paintRow_ = row;
      paintRowTop_ = y;
      const bool blank = BlankPartialRows() && y + h > bodyBottom;
      for (TGxCustomColumn* c : cols) {
        if (blank) {
          const int l = ColumnScreenLeft(c);
          DrawEmptyCell(c, QRect(l, y, c->Width(), h), c == lastVisible);
        } else {
          DrawCell(c->Index(), row);
        }
      }
      if (HasOption(goIndicator))
        DrawIndicator(row, row == selectedRow_ && !inputSelected_,
                      IsRowSelected(row) || row == selectedRow_);
      if (row == selectedRow_) {
        selTop = y;
        selH = h;
      }
      y += h + lines_.Spacing;
      ++row;
    } else {
      paintRow_ = row;
      paintRowTop_ = y;
      for (TGxCustomColumn* c : cols)
        DrawEmptyCell(c, QRect(ColumnScreenLeft(c), y, c->Width(), rowSize_), c == lastVisible);
      if (HasOption(goIndicator)) DrawIndicator(row, false, false);
      y += rowSize_ + lines_.Spacing;
      ++row;
    }
  }
  paintRow_ = -1;
  if (HasOption(goSelectFullRow) && focusedNow_ && selTop >= 0 && !HasAppearance(aoHideFocus)) {
    P.save();
    P.setClipRect(body, Qt::ReplaceClip);
    TGxPaint::DrawFocusFrame(P, QRect(body.left(), selTop, body.width(), selH),
                             HasAppearance(aoAlphaBlendedSelection));
    P.restore();
  }
}

void TGxCustomGridControl::DrawCellLines(const QRect& R, uint32_t GridColor, bool LastRow,
                                         bool LastColumn, bool Exists) {
  QPainter& P = *canvas_;
  const int l = R.left(), t = R.top(), w = R.width(), h = R.height();
  const bool framed = gridLinesStyle_ == lsFramed && Exists;
  if (lines_.Horz)
    P.fillRect(QRect(l, t + h, w, lines_.Horz), GxColor(framed && LastRow ? clBlack : GridColor));
  if (lines_.Top3D) P.fillRect(QRect(l, t - lines_.Top3D, w, 1), GxColor(clBtnHighlight));
  if (lines_.Left3D) P.fillRect(QRect(l, t - lines_.Top3D, 1, h + lines_.Top3D), GxColor(clBtnHighlight));
  if (lines_.Vert)
    P.fillRect(QRect(l + w - lines_.Vert, t - lines_.Top3D, lines_.Vert,
                     h + lines_.Top3D + lines_.Horz),
               GxColor(framed && LastColumn ? clBlack : GridColor));
}

void TGxCustomGridControl::DrawEmptyCell(TGxCustomColumn* C, const QRect& R, bool LastVisible) {
  QPainter& P = *canvas_;
  const QRect ext = R.adjusted(0, -lines_.Top3D, 0, lines_.Horz);
  if (!ext.intersects(clip_)) return;
  const int col = C->Index();
  uint32_t color = color_;
  if (HasAppearance(aoIndicateSortedColumn) && col == sortedColumn_) color = GxDarker(color, 10);
  uint32_t grid = gridLinesColor_;
  const TCellState state = csEmpty;
  if (OnCellColoring)
    Guarded("OnCellColoring", [&] { OnCellColoring(this, col, -1, color, grid, state); });
  P.save();
  QRect clip = ext.intersected(clip_);
  const bool fixed = C->VisibleIndex() < columns_->FixedCols();
  if (!fixed) clip.setLeft(std::max(clip.left(), IndicatorWidth() + columns_->FixedWidth()));
  P.setClipRect(clip, Qt::ReplaceClip);
  if (HasOption(goGrid))
    DrawCellLines(R, gridLinesStyle_ == lsActiveRows ? color : grid, false, LastVisible, false);
  const QRect content = R.adjusted(lines_.Left3D, 0, -lines_.Vert, 0);
  bool def = !HasAppearance(aoDontFillCells);
  if (OnDrawCellBackground)
    Guarded("OnDrawCellBackground",
            [&] { OnDrawCellBackground(this, col, -1, content, state, def); });
  if (def) P.fillRect(content, GxColor(color));
  P.restore();
}

void TGxCustomGridControl::DrawCell(int Col, int Row) {
  TGxCustomColumn* c = columns_->Column(Col);
  if (!c->Visible() || !IsValidRow(Row)) return;
  const TGxRect g = GetCellRect(Col, Row);
  const QRect R(g.Left, g.Top, g.Width(), g.Height());
  const bool report = gridStyle_ == gsReport;
  const QRect ext = report ? R.adjusted(0, -lines_.Top3D, 0, lines_.Horz) : R;
  if (!ext.intersects(clip_)) return;
  ++CellsPainted;
  QPainter& P = *canvas_;
  P.save();
  P.setFont(static_cast<size_t>(Col) < colFonts_.size() ? colFonts_[static_cast<size_t>(Col)]
                                                         : GxQFont(c->Font()));
  uint32_t color = DisplayColor(Col, Row);
  uint32_t grid = gridLinesColor_;
  TCellState state = 0;
  const bool selected = CellSelected(Col, Row);
  if (selected) {
    state |= csSelected;
    if (HasAppearance(aoBoldTextSelection)) state |= csBoldTextSelection;
  }
  if (focusedNow_ && !HasAppearance(aoHideFocus)) state |= csFocused;
  if (OnCellColoring)
    Guarded("OnCellColoring", [&] { OnCellColoring(this, Col, Row, color, grid, state); });
  if (Col == sortedColumn_ && !selected) {
    if (sortedStyle_ == soDarker)
      color = GxDarker(color, 10);
    else if (sortedStyle_ == soWhite)
      color = clWhite;
  }
  QRect clip = ext.intersected(clip_);
  const bool fixed = c->VisibleIndex() < columns_->FixedCols();
  if (report && !fixed)
    clip.setLeft(std::max(clip.left(), IndicatorWidth() + columns_->FixedWidth()));
  P.setClipRect(clip, Qt::ReplaceClip);
  QRect content = R;
  if (report && HasOption(goGrid)) {
    const bool lastRow = Row == LastShownRow();
    DrawCellLines(R, grid, lastRow, c == columns_->LastVisible(), true);
    content = R.adjusted(lines_.Left3D, 0, -lines_.Vert, 0);
  }
  bool def = !HasAppearance(aoDontFillCells);
  if (OnDrawCellBackground)
    Guarded("OnDrawCellBackground",
            [&] { OnDrawCellBackground(this, Col, Row, content, state, def); });
  if (def) P.fillRect(content, GxColor(color));
  PaintCellContent(c, Col, Row, content, state);
  if (!HasOption(goSelectFullRow) && Col == selectedColumn_ && Row == selectedRow_ &&
      focusedNow_ && !inputSelected_ && RowCount() > 0 && content.intersects(BodyRect()) &&
      !HasAppearance(aoHideFocus))
    TGxPaint::DrawFocusFrame(P, content, HasAppearance(aoAlphaBlendedSelection));
  P.restore();
}

void TGxCustomGridControl::PaintCellContent(TGxCustomColumn* C, int Col, int Row,
                                            const QRect& Content, TCellState State) {
  TColumnDisplay& d = DisplayOf(C);
  d.Canvas = canvas_;
  d.ThemeWindow = viewport();
  d.Column = C;
  d.CellRect = {Content.left(), Content.top(), RightOf(Content), BottomOf(Content)};
  d.HighlightedTextColor = highlightedTextColor_;
  PrepareColumnDisplay(Col, Row, d);
  d.SelectedCell = Col == selectedColumn_ && Row == selectedRow_;
  const TDrawingOptions opt = C->DrawingOptions();
  if ((opt == doNormal || opt == doCustom) && PrepareCellFont(Col, Row, State)) {
    d.Info = {};
    GetCellInfo(Col, Row, d.Info);
    WideString text;
    GetCellText(Col, Row, text);
    if (OnApplyCell) Guarded("OnApplyCell", [&] { OnApplyCell(this, Col, Row, text); });
    d.Info.AsString = text;
    d.AsString = text;
    d.AsBoolean = d.Info.AsBoolean;
    d.AsFloat = d.Info.AsFloat;
    d.AsInteger = d.Info.AsInteger;
    PrepareCellTextFont(Col, Row, State, text);
    d.Paint();
  }
  if (HasAppearance(aoHintMarks)) {
    WideString hint;
    GetCellHint(Col, Row, hint);
    if (!hint.empty()) d.DrawHintMark();
  }
  if (opt != doNormal && OnCustomDrawCell)
    Guarded("OnCustomDrawCell", [&] { OnCustomDrawCell(this, Col, Row, Content, State); });
}

void TGxCustomGridControl::DrawIndicator(int Row, bool Selected, bool) {
  const int top = RowTop(Row);
  const int h = IsValidRow(Row) ? GetRowHeight(Row) : rowSize_;
  const QRect r(0, top - lines_.Top3D, kGxIndicatorWidth, h + lines_.Top3D + lines_.Horz);
  if (!r.intersects(clip_)) return;
  QPainter& P = *canvas_;
  P.save();
  P.setClipRect(r.intersected(clip_), Qt::ReplaceClip);
  TStyleDisplay& sd = CurrentStyleDisplay();
  sd.DrawIndicatorCell(r, Row);
  sd.DrawIndicatorMark(r, Selected, false);
  P.restore();
}

void TGxCustomGridControl::PaintColumnParts() {
  QPainter& P = *canvas_;
  TStyleDisplay& sd = CurrentStyleDisplay();
  const int cw = ClientWidth();
  const int ind = IndicatorWidth();
  const int fixedRight = ind + columns_->FixedWidth();
  const QRect in = InputRect(), foot = FooterRect();
  const bool header = HasOption(goHeader), input = HasOption(goInput),
             footer = HasOption(goFooter), grid = HasOption(goGrid);
  for (int i = 0; i < columns_->ColumnCount(); ++i) {
    TGxCustomColumn* c = columns_->ColumnAtPosition(i);
    if (!c->Visible()) continue;
    const int left = ColumnScreenLeft(c);
    if (left >= cw) break;
    const bool fixed = c->VisibleIndex() < columns_->FixedCols();
    if (!fixed && left + c->Width() <= fixedRight) continue;
    P.save();
    QRect clip = clip_;
    if (!fixed) clip.setLeft(std::max(clip.left(), fixedRight));
    P.setClipRect(clip, Qt::ReplaceClip);
    if (header) sd.DrawHeaderCell(c, QRect(left, 0, c->Width(), headerSize_));
    if (input)
      sd.DrawInputCell(c, QRect(left, in.top(), c->Width(), inputSize_), focusedNow_,
                       inputSelected_, grid, false, inputColumn_ == c->Index());
    if (footer)
      sd.DrawFooterCell(c, QRect(left, foot.top() + 4 + lines_.Horz, c->Width(), footerSize_),
                        grid);
    P.restore();
  }
  P.save();
  P.setClipRect(clip_, Qt::ReplaceClip);
  if (input && in.width() > 0)
    sd.DrawStripBand(QRect(in.left(), in.top() + inputSize_, in.width(), 6 + lines_.Horz));
  if (footer && foot.width() > 0)
    sd.DrawStripBand(QRect(foot.left(), foot.top(), foot.width(), 4 + lines_.Horz));
  if (ind > 0) {
    if (header) sd.DrawCornerBox(QRect(0, 0, ind, headerSize_), 0);
    if (input) sd.DrawCornerBox(QRect(0, in.top(), ind, in.height()), 0);
    if (footer) sd.DrawCornerBox(QRect(0, foot.top(), ind, foot.height()), 1);
  }
  P.restore();
}

void TGxCustomGridControl::PaintSlides() {
  PaintSlidesHeader();
  PaintSlideRows();
}

void TGxCustomGridControl::PaintSlidesHeader() {
  if (!HasOption(goHeader)) return;
  TStyleDisplay& sd = CurrentStyleDisplay();
  sd.DrawEmptyHeader(QRect(0, 0, ClientWidth(), headerSize_));
}

void TGxCustomGridControl::PaintSlideRows() {
  QPainter& P = *canvas_;
  const QRect body = BodyRect();
  const int cw = ClientWidth(), bottom = BottomOf(body);
  const int n = RowCount();
  int y = body.top();
  for (int row = std::max(0, topRow_); row < n && y < bottom; ++row) {
    if (!IsRowShown(row)) continue;
    const bool sel = IsRowSelected(row) || row == selectedRow_;
    uint32_t color = color_;
    if (sel)
      color = focusedNow_ ? slideSelectionColor_
                          : ((slidesOptions_ & So(soHideSelection)) ? color_ : clBtnFace);
    uint32_t grid = gridLinesColor_;
    TSlideState st = (sel ? uint32_t{stSelected} : 0u) | (focusedNow_ ? uint32_t{stFocused} : 0u);
    if (OnSlideColoring)
      Guarded("OnSlideColoring", [&] { OnSlideColoring(this, row, color, grid, st); });
    const QRect band(0, y, cw, slideSize_);
    P.fillRect(band, GxColor(color));
    paintRow_ = row;
    paintRowTop_ = y;
    for (int i = 0; i < columns_->ColumnCount(); ++i) {
      TGxCustomColumn* c = columns_->ColumnAtPosition(i);
      if (!c->Visible()) continue;
      const TGxSlideBounds& b = c->SlideBounds();
      if (!c->SlideCaption().empty()) {
        P.save();
        P.setFont(GxQFont(c->Font()));
        P.setPen(GxColor(clGrayText));
        const QString cap = GxQString(c->SlideCaption());
        const int tw = P.fontMetrics().horizontalAdvance(cap);
        if (c->SlideCaptionLocation() == clLeft)
          P.drawText(QRect(b.Left - 2 - tw, y + b.Top, tw, b.Height),
                     Qt::AlignRight | Qt::AlignVCenter, cap);
        else
          P.drawText(QRect(b.Left, y + b.Top - 2 - P.fontMetrics().height(), b.Width,
                           P.fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignBottom, cap);
        P.restore();
      }
      DrawCell(c->Index(), row);
    }
    if (sel && (slidesOptions_ & So(soFrame))) {
      P.save();
      P.setPen(GxColor(clWindowText));
      P.setBrush(Qt::NoBrush);
      P.drawRect(band.adjusted(0, 0, -1, -1));
      P.drawRect(band.adjusted(1, 1, -2, -2));
      P.restore();
    }
    y += slideSize_;
    if (HasOption(goGrid)) {
      P.fillRect(QRect(0, y, cw, lines_.Horz), GxColor(grid));
      y += lines_.Horz;
    }
  }
  paintRow_ = -1;
  if (y < bottom) P.fillRect(QRect(0, y, cw, bottom - y), GxColor(color_));
  if (BottomOf(body) < viewport()->height())
    P.fillRect(QRect(0, bottom, cw, viewport()->height() - bottom), GxColor(color_));
}

// ======================= TCvGrid =======================

TCvGrid::TCvGrid(QWidget* Parent) : TGxCustomGrid(Parent) {
  cells_ = std::make_unique<TCells>(&Columns(), this, RowSize());
  cells_->OnCellChange = [this](TCells&, int Col, int Row) {
    if (updateCount_ > 0) return;
    RefreshCell(Col, Row);
    if (OnChange) Guarded("OnChange", [&] { OnChange(this, Col, Row); });
  };
}

TCvGrid::~TCvGrid() {
  destroying_ = true;
  cells_->OnCellChange = nullptr;
}

bool TCvGrid::PrepareCellFont(int Col, int Row, TCellState State) {
  TGxCustomGridControl::PrepareCellFont(Col, Row, State);
  return true;
}

uint32_t TCvGrid::GetCellColor(int Col, int Row) {
  TGxCustomColumn* c = Columns().Column(Col);
  if (c->ParentCellColor() || !IsValidCell(Col, Row)) return c->Color();
  return cells_->GetCell(Col, Row)->Color();
}

void TCvGrid::GetCellHint(int Col, int Row, WideString& Hint) {
  if (IsValidCell(Col, Row)) Hint = cells_->GetCell(Col, Row)->Hint;
  TGxCustomGridControl::GetCellHint(Col, Row, Hint);
}

void TCvGrid::GetCellInfo(int Col, int Row, TCellInfo& Info) {
  Info = cells_->GetCellInfo(Col, Row);
}

void TCvGrid::GetCellText(int Col, int Row, WideString& Text) {
  if (!IsValidCell(Col, Row)) return;  // outside the grid: Text stays
  Text = cells_->GetCell(Col, Row)->GetAsString();
}

void TCvGrid::GetDrawText(int Col, int Row, WideString& Text) {
  Text = Columns().Column(Col)->GetDrawText(cells_->GetCellInfo(Col, Row));
}

int TCvGrid::GetRowHeight(int Row) {
  int h = cells_->GetRow(Row)->Height;
  if (OnMeasuringRowHeight) Guarded("OnMeasuringRowHeight", [&] { OnMeasuringRowHeight(this, Row, h); });
  return h;
}

bool TCvGrid::IsRowSelected(int Row) {
  return Row >= 0 && Row < cells_->RowCount() && cells_->GetRow(Row)->Selected;
}

void TCvGrid::PrepareCellTextFont(int Col, int Row, TCellState State, const WideString&) {
  if (!Canvas()) return;
  TFontStyles style = cells_->GetCell(Col, Row)->FontStyle | Columns().Column(Col)->Font().Style;
  if (State & csBoldTextSelection) style |= fsBold;
  uint32_t color = isEnabled() ? DisplayTextColor(Col, Row) : clGrayText;
  if (OnCellFormating)
    Guarded("OnCellFormating", [&] { OnCellFormating(this, Col, Row, color, style, State); });
  QFont f = Canvas()->font();
  f.setBold(style & fsBold);
  f.setItalic(style & fsItalic);
  f.setUnderline(style & fsUnderline);
  f.setStrikeOut(style & fsStrikeOut);
  Canvas()->setFont(f);
  Canvas()->setPen(GxColor(color));
}

void TCvGrid::ColumnsChanged(int Kind, int Index, int Index2) {
  TGxCustomGridControl::ColumnsChanged(Kind, Index, Index2);
  if (cells_) cells_->ColumnsChanged(Kind, Index, Index2);
}

void TCvGrid::SetCellText(int Col, int Row, const WideString& Text) {
  if (IsValidCell(Col, Row)) cells_->GetCell(Col, Row)->SetAsString(Text);
}

void TCvGrid::PrepareColumnDisplay(int, int, TColumnDisplay&) {}

void TCvGrid::RowHeightChanged(int Row, int Height) {
  if (!IsValidRow(Row)) return;
  cells_->GetRow(Row)->Height = Height;
  UpdateVertScrollBar();
  Repaint();
  TGxCustomGridControl::RowHeightChanged(Row, Height);
}

void TCvGrid::RecountShown() {
  const int n = cells_->RowCount();
  firstShown_ = 0;
  lastShown_ = 0;
  if (cells_->VisibleRowCount() == 0) return;
  int f = 0;
  while (f < n && !cells_->GetRow(f)->Shown()) ++f;
  int l = n - 1;
  while (l > 0 && !cells_->GetRow(l)->Shown()) --l;
  firstShown_ = f;
  lastShown_ = l;
}

void TCvGrid::RowVisibilityChanged(int Row, bool Visible) {
  if (!IsValidRow(Row)) return;
  cells_->SetRowVisible(Row, Visible);
  RecountShown();
  // keep the top row on a shown row
  if (topRow_ < cells_->RowCount() && !IsRowShown(topRow_)) {
    int r = topRow_;
    while (r < cells_->RowCount() && !IsRowShown(r)) ++r;
    if (r >= cells_->RowCount()) r = lastShown_;
    topRow_ = r;
  }
  TGxCustomGridControl::RowVisibilityChanged(Row, Visible);
}

void TCvGrid::SetRowSelected(int Row, bool Value) {
  if (!IsValidRow(Row)) return;
  cells_->GetRow(Row)->Selected = Value;
  Repaint();
}

void TCvGrid::SortColumn(TGxCustomColumn* Column, bool Ascending) {
  const int col = Column->Index();
  EndEdit();
  sortedColumn_ = col;
  if (OnSortColumn) Guarded("OnSortColumn", [&] { OnSortColumn(this, col, Ascending); });
  TRow* keep = IsValidRow(selectedRow_) ? cells_->GetRow(selectedRow_) : nullptr;
  cells_->Sort(col, Column->SortType(), !Ascending);
  if (keep) {
    SelectRow(cells_->IndexOfRow(keep));
    ScrollRowIntoView(selectedRow_);
  }
  // the top row from the scroll position
  const int pos = VertScrollBar().ScrollPos;
  if (cells_->VisibleRowCount() == cells_->RowCount()) {
    topRow_ = std::min(pos, std::max(0, cells_->RowCount() - 1));
  } else {
    int r = 0, k = 0;
    while (r < cells_->RowCount() && !IsRowShown(r)) ++r;
    while (k < pos && r < cells_->RowCount()) {
      ++r;
      while (r < cells_->RowCount() && !IsRowShown(r)) ++r;
      ++k;
    }
    topRow_ = std::min(r, std::max(0, cells_->RowCount() - 1));
  }
  RecountShown();
  viewport()->update();
  if (OnAfterSort) Guarded("OnAfterSort", [&] { OnAfterSort(this, col); });
}

void TCvGrid::AddRows(int N) {
  if (N < 1) return;
  const int before = cells_->RowCount();
  const bool noneShown = cells_->VisibleRowCount() == 0;
  cells_->RowHeight = RowSize();
  cells_->AddRows(N);
  if (HasOption(goUseDefaultValues)) {
    for (int c = 0; c < Columns().ColumnCount(); ++c) {
      const WideString& v = Columns().Column(c)->DefaultValue;
      if (v.empty()) continue;
      for (int r = before; r < before + N; ++r) SetCellText(c, r, v);
    }
  }
  if (noneShown) firstShown_ = before;
  LastAddedRow = lastShown_ = cells_->RowCount() - 1;
  UpdateVertScrollBar();
  Repaint();
}

void TCvGrid::ClearRows() {
  TGxCustomGridControl::ClearRows();
  cells_->ClearRows();
  firstShown_ = lastShown_ = 0;
  TGxScrollBar& v = VertScrollBar();
  v.BeginUpdate();
  v.SetScrollMax(0);
  v.SetScrollPos(0);
  v.EndUpdate();
  UpdateHorzScrollBar();
  viewport()->update();
}

void TCvGrid::ExchangeRows(int A, int B) {
  if (!IsValidRow(A) || !IsValidRow(B)) return;
  cells_->ExchangeRows(A, B);
  RecountShown();
  Repaint();
}

std::string TCvGrid::CellText(int Col, int Row) {
  return IsValidCell(Col, Row) ? cells_->GetCell(Col, Row)->GetAsText() : std::string();
}

void TCvGrid::SetCellTextA(int Col, int Row, const std::string& Cp1251) {
  SetCellText(Col, Row, gx::W(Cp1251));
}

bool TCvGrid::PlayCell(int Col, int Row, TPlayAction Action, char16_t Key, int X, int Y) {
  if (!IsValidCell(Col, Row)) return false;
  TGxCustomColumn* c = Columns().Column(Col);
  TColumnPlay* play = PlayOf(c);
  if (!play) return false;
  bool accept = true;
  if (OnBeforeEdit) Guarded("OnBeforeEdit", [&] { OnBeforeEdit(this, Col, Row, accept); });
  if (!accept) return false;
  play->PlayCol = Col;
  play->PlayRow = Row;
  const TCellInfo info = cells_->GetCellInfo(Col, Row);
  play->AsBoolean = info.AsBoolean;
  play->AsInteger = info.AsInteger;
  play->AsFloat = info.AsFloat;
  play->AsString = cells_->GetCell(Col, Row)->GetAsString();
  play->Column = c;
  const TGxRect r = GetCellRect(Col, Row);
  play->CellRect = {r.Left + LineWidths().Left3D, r.Top, r.Right - LineWidths().Vert, r.Bottom};
  play->OnToggle = [this](TColumnPlay& P) { SetRowSelected(P.PlayRow, !IsRowSelected(P.PlayRow)); };
  play->OnChange = [this](TColumnPlay& P) {
    const int col = P.PlayCol, row = P.PlayRow;
    bool ok = true;
    if (OnEditAccept) Guarded("OnEditAccept", [&] { OnEditAccept(this, col, row, P.AsString, ok); });
    if (!ok) return;
    TCell* cell = cells_->GetCell(col, row);
    if (Columns().Column(col)->CellKind() == ckInteger)
      cell->SetAsInteger(P.AsInteger);
    else
      cell->SetAsBoolean(P.AsBoolean);
    const WideString text = cell->GetAsString();
    if (OnAfterEdit) Guarded("OnAfterEdit", [&] { OnAfterEdit(this, col, row, text); });
  };
  switch (Action) {
    case paKey: play->KeyPress(Key); break;
    case paMouseDown: play->MouseDown(mbLeft, 0, X, Y); break;
    case paMouseUp: play->MouseUp(mbLeft, 0, X, Y); break;
  }
  play->OnChange = nullptr;
  play->OnToggle = nullptr;
  return true;
}
