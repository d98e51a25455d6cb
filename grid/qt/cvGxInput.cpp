// The grid's input layer: hit regions, presses and releases on cells and headers, double
// clicks, keyboard navigation, the type-ahead row search and the wheel.
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "grid/cvGxNum.h"
#include "grid/qt/cvGxGrid.h"
#include "grid/qt/cvGxPaint.h"

namespace {

int ShiftOf(Qt::KeyboardModifiers M) { return static_cast<int>(M); }

bool Holds(const QRect& R, const QPoint& P) {
  // right and bottom edges pulled in by one pixel
  return R.width() > 1 && R.height() > 1 && P.x() >= R.left() && P.x() < R.right() &&
         P.y() >= R.top() && P.y() < R.bottom();
}

}  // namespace

TGxCustomGrid::TGxCustomGrid(QWidget* Parent) : TGxCustomGridControl(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  searchTimer_.setSingleShot(true);
  searchTimer_.setInterval(500);
  QObject::connect(&searchTimer_, &QTimer::timeout, this, [this] { searchText_.clear(); });
  dragBox_ = new TColumnDragBox(this);
  arrowUp_ = new TDragArrow(this, 1);
  arrowDown_ = new TDragArrow(this, 2);
  textEd_ = new TGxEdit(viewport());
  spinEd_ = new TGxSpinEdit(viewport());
  comboEd_ = new TGxComboBox(viewport());
  editor_ = textEd_;
  for (TGxCustomEdit* e : {static_cast<TGxCustomEdit*>(textEd_),
                           static_cast<TGxCustomEdit*>(spinEd_),
                           static_cast<TGxCustomEdit*>(comboEd_)}) {
    e->setFrame(false);
    e->hide();
    e->installEventFilter(this);
    QObject::connect(e, &QLineEdit::textChanged, this, [this, e](const QString& T) {
      if (settingText_ || e != editor_ || !Editing() || !OnEdit) return;
      const auto [c, r] = EditCell();
      Guarded("OnEdit", [&, c = c, r = r] { OnEdit(this, c, r, GxWide(T)); });
    });
  }
  // the list's selection and closing reach the column's events
  auto popupColumn = [this]() -> TGxPopupColumn* {
    const int c = inputEditCol_ >= 0 ? inputEditCol_ : EditCell().first;
    return Columns().IsValidIndex(c) ? dynamic_cast<TGxPopupColumn*>(Columns().Column(c))
                                     : nullptr;
  };
  comboEd_->OnSelect = [this, popupColumn](QObject*) {
    if (TGxPopupColumn* c = popupColumn(); c && c->OnSelect)
      Guarded("OnSelect", [&] { c->OnSelect(c); });
  };
  comboEd_->OnCloseUp = [this, popupColumn](QObject*) {
    if (TGxPopupColumn* c = popupColumn(); c && c->OnCloseUp)
      Guarded("OnCloseUp", [&] { c->OnCloseUp(c); });
  };
}

// ---- editing ----

void TGxCustomGrid::SetEditorText(const QString& T) {
  const bool old = settingText_;
  settingText_ = true;
  editor_->setText(T);
  settingText_ = old;
}

void TGxCustomGrid::SetupEditor(TGxCustomColumn* Column) {
  switch (Column->GetInplaceEditKind()) {
    case ekSpinEdit: editor_ = spinEd_; break;
    case ekComboBox: editor_ = comboEd_; break;
    default: editor_ = textEd_; break;
  }
  for (TGxCustomEdit* e : {static_cast<TGxCustomEdit*>(textEd_),
                           static_cast<TGxCustomEdit*>(spinEd_),
                           static_cast<TGxCustomEdit*>(comboEd_)})
    if (e != editor_ && e->isVisible()) e->hide();
  const bool old = settingText_;
  settingText_ = true;
  editor_->TextUpdateLock = true;
  editor_->SetAlignment(Column->Alignment());
  editor_->setFrame(false);
  editor_->SetEditMargins(1, editor_->EditMargins().Right);
  if (auto* t = dynamic_cast<TGxTextColumn*>(Column)) {
    editor_->CellStyle = true;
    editor_->setMaxLength(t->MaxLength() > 0 ? t->MaxLength() : 32767);
  }
  if (auto* s = dynamic_cast<TGxStringsColumn*>(Column); s && editor_ == comboEd_) {
    comboEd_->DropDownCount = s->DropDownCount;
    comboEd_->Items = s->Items();
    comboEd_->SetPreviewBorder(false);
    if (auto* cb = dynamic_cast<TGxComboBoxColumn*>(Column)) {
      comboEd_->SetStyle(cb->Style == cbsDropDownList ? dsDropDownList : dsDropDown);
      comboEd_->DisplayMode = cb->DataMode;
    } else {
      comboEd_->DisplayMode = dmDefault;
    }
    if (dynamic_cast<TGxListColumn*>(Column)) comboEd_->SetStyle(dsDropDownList);
  }
  if (auto* n = dynamic_cast<TGxCustomNumberColumn*>(Column); n && editor_ == spinEd_) {
    spinEd_->Options = n->EditOptions;
    spinEd_->Min = n->Min;
    spinEd_->Max = n->Max;
    if (auto* spin = dynamic_cast<TGxNumberColumn*>(Column)) {
      spinEd_->Increment = spin->Increment;
      spinEd_->SetSpinButtons(spin->SpinButtons);
    }
  }
  editor_->TextUpdateLock = false;
  settingText_ = old;
}

void TGxCustomGrid::AfterEditorText(TGxCustomColumn* Column) {
  const bool old = settingText_;
  settingText_ = true;
  if (auto* n = dynamic_cast<TGxNumberColumn*>(Column); n && editor_ == spinEd_) {
    spinEd_->SetPrecision(n->Precision);
  } else if (editor_ == comboEd_) {
    if (dynamic_cast<TGxListColumn*>(Column)) {
      int32_t i = 0;
      const std::string t = comboEd_->text().toStdString();
      if (!t.empty() && !gx::TryParseInt(t, i)) i = -1;
      comboEd_->SetItemIndex(i);
    } else if (auto* cb = dynamic_cast<TGxComboBoxColumn*>(Column);
               cb && cb->Style == cbsDropDownList) {
      const WideString t = GxWide(comboEd_->text());
      const auto& items = comboEd_->Items;
      const auto it = std::find(items.begin(), items.end(), t);
      if (it != items.end()) comboEd_->SetItemIndex(static_cast<int>(it - items.begin()));
    }
  }
  settingText_ = old;
}

WideString TGxCustomGrid::EditorValue(TGxCustomColumn* Column) {
  const bool old = settingText_;
  settingText_ = true;
  editor_->EditingDone();
  settingText_ = old;
  if (editor_ == comboEd_ && dynamic_cast<TGxListColumn*>(Column))
    return GxWide(QString::number(comboEd_->ItemIndex()));
  // a number editor hands over its value in its own format (raw text with eoAllowAll)
  if (editor_ == spinEd_ && !spinEd_->Has(eoAllowAll))
    return GxWide(QString::fromStdString(gx::FloatText(spinEd_->Value())));
  return GxWide(editor_->text());
}

void TGxCustomGrid::OpenEditor(int Col, int Row) {
  editCol_ = Col;
  editRow_ = Row;
  TGxCustomColumn* c = Columns().Column(Col);
  SetupEditor(c);
  editor_->setFont(GxQFont(c->Font()));
  QPalette pal = editor_->palette();
  pal.setColor(QPalette::Base, GxColor(GetCellColor(Col, Row)));
  editor_->setPalette(pal);
  SetEditorText(QString());
}

void TGxCustomGrid::PlaceEditor() {
  const auto [col, row] = EditCell();
  const TGxRect r = GetCellRect(col, row);
  const QRect body = BodyRect();
  QRect box(QPoint(r.Left + LineWidths().Left3D, r.Top),
            QPoint(r.Right - LineWidths().Vert - (HasOption(goGrid) ? 0 : 1) - 1, r.Bottom - 1));
  if (box.top() < body.top()) {
    editor_->hide();
    return;
  }
  box.adjust(1, 1, -1, -1);
  box.setLeft(std::max({0, body.left(), box.left()}));
  editor_->setGeometry(box);
  editor_->show();
  editor_->setFocus(Qt::OtherFocusReason);
}

namespace {
bool CanEditCell(TGxCustomGrid& G, int Col, int Row) {
  if (G.ReadOnly || !G.IsValidCell(Col, Row)) return false;
  TGxCustomColumn* c = G.Columns().Column(Col);
  return (c->GetEditAbilities() & eaEdit) && !G.PlayOf(c);
}
}  // namespace

void TGxCustomGrid::EditCell(int Col, int Row, const WideString& Text) {
  if (EditCell() == std::make_pair(Col, Row) || !CanEditCell(*this, Col, Row)) return;
  bool accept = true;
  if (OnBeforeEdit) OnBeforeEdit(this, Col, Row, accept);
  if (!accept) return;
  ApplyAndEndEdit();
  OpenEditor(Col, Row);
  WideString start = Text;
  if (start.empty()) GetCellText(Col, Row, start);
  if (OnApplyEditText) OnApplyEditText(this, Col, Row, start);
  settingText_ = Text.empty();
  editor_->setText(GxQString(start));
  settingText_ = false;
  AfterEditorText(Columns().Column(Col));
  PlaceEditor();
  editor_->EditorPrepared();
  if (Columns().Column(Col)->HasOption(coEditorAutoSelect))
    editor_->selectAll();
  else
    editor_->end(false);
}

void TGxCustomGrid::EditCellWithKey(int Col, int Row, char16_t C) {
  if (EditCell() == std::make_pair(Col, Row) || !CanEditCell(*this, Col, Row)) return;
  bool accept = true;
  if (OnBeforeEdit) OnBeforeEdit(this, Col, Row, accept);
  if (!accept) return;
  ApplyAndEndEdit();
  OpenEditor(Col, Row);
  PlaceEditor();
  QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(C)));
  QApplication::sendEvent(editor_, &typed);  // through the editor's filter
  editor_->end(false);
}

bool TGxCustomGrid::ApplyEdit() {
  if (inputEditCol_ >= 0) {
    TGxCustomColumn* c = Columns().Column(inputEditCol_);
    c->SetInputValue(EditorValue(c));
    return true;
  }
  if (!Editing()) return false;
  const auto [col, row] = EditCell();
  WideString value = EditorValue(Columns().Column(col));
  WideString old;
  GetCellText(col, row, old);
  if (value == old) return false;
  bool accept = true;
  if (OnEditAccept) OnEditAccept(this, col, row, value, accept);
  if (RowCount() == 0 || !IsValidCell(col, row)) return false;
  if (!accept) return false;
  if (OnEditText) OnEditText(this, col, row, value);
  SetCellText(col, row, value);  // a conversion error goes to whatever ended the edit
  if (OnAfterEdit) OnAfterEdit(this, col, row, value);
  return true;
}

void TGxCustomGrid::EndEdit() {
  // the grid takes the focus back before the editor hides (hiding would pass it on)
  if (editor_ && editor_->hasFocus()) {
    ending_ = true;
    setFocus(Qt::OtherFocusReason);
    ending_ = false;
  }
  if (editor_) editor_->hide();
  if (EditCell().first >= 0) RefreshCell(editCol_, editRow_);
  if (inputEditCol_ >= 0) viewport()->update(InputRect());
  inputEditCol_ = -1;
  TGxCustomGridControl::EndEdit();
}

void TGxCustomGrid::CloseEditor() {
  if (Editing()) EndEdit();
}

void TGxCustomGrid::ApplyAndEndEdit() {
  struct TEnd {
    TGxCustomGrid* G;
    ~TEnd() { if (G->Editing()) G->EndEdit(); }
  } end{this};
  ApplyEdit();
}

void TGxCustomGrid::ApplyThenEndEdit() {
  struct TEnd {
    TGxCustomGrid* G;
    ~TEnd() { G->EndEdit(); }
  } end{this};
  ApplyEdit();
}

void TGxCustomGrid::OpenInput(int Col, const WideString* Text, char16_t C) {
  if (!HasOption(goInput) || !Columns().IsValidIndex(Col)) return;
  ApplyAndEndEdit();
  if (!inputSelected_) {
    inputSelected_ = true;
    if (IsValidRow(selectedRow_)) RefreshCell(selectedColumn_, selectedRow_);
  }
  const int old = inputColumn_;
  inputColumn_ = Col;
  TGxCustomColumn* c = Columns().Column(Col);
  if ((c->GetEditAbilities() & eaInput) && !ReadOnly && !PlayOf(c)) {
    inputEditCol_ = Col;
    SetupEditor(c);
    editor_->setFont(GxQFont(c->Font()));
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Base, GxColor(c->Color()));
    pal.setColor(QPalette::Text, GxColor(c->Font().Color));
    editor_->setPalette(pal);
    settingText_ = true;
    editor_->setText(Text ? GxQString(Text->empty() ? c->InputValue() : *Text) : QString());
    settingText_ = false;
    if (Text) AfterEditorText(c);
    if (!Text) {
      QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(C)));
      QApplication::sendEvent(editor_, &typed);
    }
    editor_->setGeometry(InputCellRect(c).adjusted(1, 1, -1, -1));
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    if (Text && c->HasOption(coEditorAutoSelect))
      editor_->selectAll();
    else
      editor_->end(false);
  }
  viewport()->update(InputRect());
  if (old != Col && OnInputSelectCell) OnInputSelectCell(this, Col);
}

void TGxCustomGrid::EditInputCell(int Col, const WideString& Text) { OpenInput(Col, &Text, 0); }

void TGxCustomGrid::EditInputCellWithKey(int Col, char16_t C) { OpenInput(Col, nullptr, C); }

bool TGxCustomGrid::AddInputRow() {
  bool accept = true;
  if (OnInputAccept) OnInputAccept(this, accept);
  if (!accept) return false;
  AddRows(1);
  const int row = RowCount() - 1;
  TGxColumns& cols = Columns();
  for (int i = 0; i < cols.ColumnCount(); ++i) {
    TGxCustomColumn* c = cols.Column(i);
    const WideString& v = c->InputValue().empty() ? c->DefaultValue : c->InputValue();
    if (!v.empty()) SetCellText(i, row, v);
  }
  for (int i = 0; i < cols.ColumnCount(); ++i) cols.Column(i)->SetInputValue({});
  if (OnInputAdded) OnInputAdded(this);
  return true;
}

bool TGxCustomGrid::eventFilter(QObject* Watched, QEvent* E) {
  if (Watched != editor_) return TGxCustomGridControl::eventFilter(Watched, E);
  if (E->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(E);
    bool handled = false;
    Guarded("EditorKeyDown", [&] {
      switch (k->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
          ApplyAndEndEdit();
          handled = true;
          break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
          if (inputEditCol_ >= 0) {
            const int col = inputEditCol_;
            ApplyEdit();
            settingText_ = true;
            editor_->clear();
            settingText_ = false;
            AddInputRow();
            settingText_ = true;
            editor_->setText(GxQString(Columns().Column(col)->InputValue()));
            settingText_ = false;
            editor_->selectAll();
            handled = true;
            break;
          }
          if (EditCell().first >= 0 && (Columns().Column(editCol_)->GetBehaviour() & cbEditorKeepsEnter))
            break;
          ApplyAndEndEdit();
          setFocus(Qt::OtherFocusReason);
          handled = true;
          break;
        case Qt::Key_Escape:
          if (HasOption(goEscClearEdit)) {
            editor_->clear();
          } else {
            EndEdit();
            setFocus(Qt::OtherFocusReason);
          }
          handled = true;
          break;
        default: break;
      }
    });
    return handled;
  }
  if (E->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(E)->reason() != Qt::PopupFocusReason) {  // not the list opening
    QWidget* f = QApplication::focusWidget();
    if (Editing() && !ending_ && f != this && !(f && isAncestorOf(f))) {
      Guarded("EditorExit", [&] { ApplyAndEndEdit(); });
      if (OnExit) Guarded("OnExit", [&] { OnExit(this); });
      viewport()->update();
    }
  }
  return TGxCustomGridControl::eventFilter(Watched, E);
}

TGxCustomGrid::THitRegion TGxCustomGrid::GetHitRegion(const QPoint& P) {
  if (GridStyle() == gsSlides)
    return HasOption(goHeader) && Holds(HeaderRect(), P) ? hrHeader : hrCells;
  if (HasOption(goHeader) && Holds(HeaderRect(), P)) return hrHeader;
  if (HasOption(goInput) && Holds(InputRect(), P)) return hrInput;
  if (Holds(BodyRect(), P)) return hrCells;
  if (HasOption(goFooter) && Holds(FooterRect(), P)) return hrFooter;
  if (HasOption(goIndicator) && P.x() >= 0 && P.x() < IndicatorWidth()) return hrIndicator;
  return hrNone;
}

TGxCustomColumn* TGxCustomGrid::ColumnAtX(int X) {
  TGxColumns& cols = Columns();
  for (int i = 0; i < cols.ColumnCount(); ++i) {
    TGxCustomColumn* c = cols.ColumnAtPosition(i);
    if (!c->Visible()) continue;
    const int l = ColumnScreenLeft(c);
    if (X >= l && X <= l + c->Width()) return c;
  }
  return nullptr;
}

TGxCustomColumn* TGxCustomGrid::GripColumnAtX(int X) {
  TGxColumns& cols = Columns();
  const int fixedRight = IndicatorWidth() + cols.FixedWidth();
  for (int i = 0; i < cols.ColumnCount(); ++i) {
    TGxCustomColumn* c = cols.ColumnAtPosition(i);
    if (!c->Visible() || c->HasOption(coFixedSize)) continue;
    const bool fixed = c->VisibleIndex() < cols.FixedCols();
    if (!fixed && X < fixedRight) continue;
    const int r = ColumnScreenLeft(c) + c->Width();
    if (X >= r - 3 && X <= r + 2) return c;
  }
  return nullptr;
}

std::pair<int, int> TGxCustomGrid::CellAtPoint(const QPoint& P) {
  TGxCustomColumn* c = ColumnAtX(P.x());
  const int col = c ? c->Index() : -1;
  if (P.y() < BodyRect().top()) return {col, TopRow()};
  return {col, RowAtY(P.y())};
}

void TGxCustomGrid::BestFitColumn(TGxCustomColumn* Column) {
  const int col = Column->Index();
  int widest = 0;
  for (int r = 0; r < RowCount(); ++r) {
    if (!IsRowShown(r)) continue;
    WideString t;
    GetDrawText(col, r, t);
    widest = std::max(widest, TextWidth(Column->Font(), t));
  }
  Column->SetWidth(5 + std::max(8, widest));
}

void TGxCustomGrid::BestFitRow(int Row) {
  if (!IsValidRow(Row)) return;
  int h = RowSize();
  TGxColumns& cols = Columns();
  for (int i = 0; i < cols.ColumnCount(); ++i) {
    TGxCustomColumn* c = cols.Column(i);
    if (!c->Visible()) continue;
    WideString t;
    GetDrawText(i, Row, t);
    const QFontMetrics fm(GxQFont(c->Font()));
    const int flags = c->IsMultiLine() ? Qt::TextWordWrap : Qt::TextSingleLine;
    const int th = fm.boundingRect(QRect(0, 0, std::max(1, c->Width() - 4), 100000), flags,
                                   GxQString(t)).height() + 2;
    h = std::max(h, th);
  }
  RowHeightChanged(Row, h);
}

bool TGxCustomGrid::SearchRow(int Col, const WideString& Text, bool FromStart) {
  const int n = RowCount();
  if (n == 0 || !Columns().IsValidIndex(Col)) return false;
  const std::string want = gx::LowerCp1251(gx::A(Text));
  auto matches = [&](int r) {
    if (!IsRowShown(r)) return false;
    WideString t;
    GetCellText(Col, r, t);
    return gx::LowerCp1251(gx::A(t.substr(0, Text.size()))) == want;
  };
  auto found = [&](int r) {
    SelectCell(SelectedColumn(), r, 0);
    if (UpdateCount() == 0) ScrollRowIntoView(r);
    return true;
  };
  if (FromStart) {
    for (int r = 0; r < n; ++r)
      if (matches(r)) return found(r);
    return false;
  }
  const int sel = SelectedRow();
  for (int r = std::max(0, sel + 1); r < n; ++r)
    if (matches(r)) return found(r);
  for (int r = 0; r <= std::min(sel, n - 1); ++r)
    if (matches(r)) return found(r);
  return false;
}

int TGxCustomGrid::DropPosition(TGxCustomColumn* Dragged, const QPoint& P) {
  TGxColumns& cols = Columns();
  TGxCustomColumn* prev = nullptr;
  for (int i = 0; i < cols.ColumnCount(); ++i) {
    TGxCustomColumn* c = cols.ColumnAtPosition(i);
    if (!c->Visible() && c != Dragged) continue;
    const int l = ColumnScreenLeft(c), r = l + c->Width();
    if (P.x() >= l && P.x() <= r && c->Visible()) {
      if (c == Dragged) return Dragged->Position();
      const int mid = r - c->Width() / 2;
      if (P.x() > mid) return c->Position() + (Dragged->Position() >= c->Position() ? 1 : 0);
      if (c->Position() >= Dragged->Position()) return prev ? prev->Position() : c->Position();
      return c->Position();
    }
    prev = c;
  }
  return Dragged->Position();
}

// ---- row moves ----

int TGxCustomGrid::VisibleRowStep(int From, int Steps) {
  const int n = RowCount();
  int r = From;
  const int dir = Steps < 0 ? -1 : 1;
  for (int k = 0; k < std::abs(Steps); ++k) {
    int next = r + dir;
    while (next >= 0 && next < n && !IsRowShown(next)) next += dir;
    if (next < 0 || next >= n) break;
    r = next;
  }
  return r;
}

void TGxCustomGrid::SelectNextRow(int Shift) {
  if (RowCount() == 0) return;
  const int from = IsValidRow(SelectedRow()) ? SelectedRow() : -1;
  const int r = from < 0 ? FirstShownRow() : VisibleRowStep(from, 1);
  if (r == from) return;
  SelectCell(SelectedColumn(), r, Shift);
  // past the bottom: one line down through the bar (OnVerticalScroll fires)
  const QRect body = BodyRect();
  if (RowTop(r) + GetRowHeight(r) > body.top() + body.height()) ScrollCommand(1, scLineDown, 0);
}

void TGxCustomGrid::SelectPriorRow(int Shift) {
  if (RowCount() == 0 || !IsValidRow(SelectedRow())) return;
  const int r = VisibleRowStep(SelectedRow(), -1);
  if (r == SelectedRow()) return;
  SelectCell(SelectedColumn(), r, Shift);
  if (r < TopRow()) ScrollCommand(1, scLineUp, 0);
}

void TGxCustomGrid::SelectFirstRow() {
  if (RowCount() == 0) return;
  SelectCell(SelectedColumn(), FirstShownRow(), 0);
  ScrollCommand(1, scTop, 0);
}

void TGxCustomGrid::SelectLastRow() {
  if (RowCount() == 0) return;
  SelectCell(SelectedColumn(), LastShownRow(), 0);
  ScrollCommand(1, scBottom, 0);
}

void TGxCustomGrid::MoveSelection(int N) {
  if (RowCount() == 0 || N == 0) return;
  int from = IsValidRow(SelectedRow()) ? SelectedRow() : FirstShownRow();
  int r = VisibleRowStep(from, N);
  r = std::clamp(r, FirstShownRow(), LastShownRow());
  SelectRow(r);
}

// ---- hints ----

void TGxCustomGrid::ShowHintAt(int X, int Y, const WideString& Text) {
  if (!ParentFormActive(this)) return;
  const QPoint g = viewport()->mapToGlobal(QPoint(X, Y));
  ActivateHintWide(this, QRect(g, QSize(viewport()->width(), 20)), GxQString(Text));
}

void TGxCustomGrid::HideHint() {
  if (hintColumn_ < 0 && hintCell_.first < 0) return;
  hintColumn_ = -1;
  hintCell_ = {-1, -1};
  ReleaseHintWindow();
}

int TGxCustomGrid::RowEdgeAt(const QPoint& P) {
  if (!HasOption(goRowResizing) || P.x() > kGxIndicatorWidth) return -1;
  const QRect body = BodyRect();
  for (int r = TopRow(); r < RowCount(); ++r) {
    if (!IsRowShown(r)) continue;
    const int top = RowTop(r);
    if (top > body.bottom()) break;
    const int bottom = top + GetRowHeight(r) + LineWidths().Horz;
    if (P.y() > bottom - 3 && P.y() < bottom + 1) return r;
  }
  return -1;
}

// ---- mouse ----

void TGxCustomGrid::mousePressEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  const int shift = ShiftOf(E->modifiers());
  if (E->button() == Qt::MiddleButton) {
    TGxCustomGridControl::mousePressEvent(E);
    return;
  }
  Guarded("MouseDown", [&] {
    if (OnMouseDown) OnMouseDown(this, E->button(), shift, p.x(), p.y());
    pressPoint_ = p;
    pressCell_ = CellAtPoint(p);
    leftPressed_ = E->button() == Qt::LeftButton;
    if (!hasFocus() && isVisible()) setFocus(Qt::MouseFocusReason);
    if (Columns().ColumnCount() == 0) return;
    const THitRegion region = GetHitRegion(p);
    if (leftPressed_ && region == hrHeader) {
      if (TGxCustomColumn* g = GripColumnAtX(p.x())) {
        resizing_ = g;
        resizeDelta_ = 0;
        viewport()->update();
        return;
      }
    }
    switch (region) {
      case hrCells: CellPress(pressCell_.first, pressCell_.second, shift); break;
      case hrHeader:
        if (leftPressed_) {
          TGxCustomColumn* c = ColumnAtX(p.x());
          pressedHeader_ = c && c->HasOption(coCanClick) ? c->Index() : -1;
          if (pressedHeader_ >= 0) viewport()->update(HeaderRect());
        }
        break;
      case hrIndicator:
        if (const int r = RowEdgeAt(p); r >= 0 && leftPressed_) {
          resizingRow_ = r;
          resizeLineY_ = p.y();
          viewport()->update();
          break;
        }
        CellPress(pressCell_.first, pressCell_.second, shift);
        break;
      case hrNone: ApplyThenEndEdit(); break;
      default: break;
    }
  });
}

void TGxCustomGrid::CellPress(int Col, int Row, int Shift) {
  secondClick_ = false;
  ApplyThenEndEdit();
  if (GridStyle() == gsReport && inputSelected_) {  // the input row is left
    inputSelected_ = false;
    viewport()->update(InputRect());
  }
  secondClick_ = pressCell_.first == SelectedColumn() && pressCell_.second == SelectedRow();
  if (!IsValidRow(Row)) return;
  rowSource_ = Row;
  if (!Columns().IsValidIndex(Col)) Col = SelectedColumn();
  // a row cut off at the bottom comes into view
  const QRect body = BodyRect();
  if (RowTop(Row) + GetRowHeight(Row) > body.top() + body.height()) ScrollRowIntoView(Row);
  SelectCell(Col, Row, Shift);
}

void TGxCustomGrid::mouseMoveEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  Guarded("MouseMove", [&] {
    if (OnMouseMove) OnMouseMove(this, 0, ShiftOf(E->modifiers()), p.x(), p.y());
    if (resizing_) {
      const int right = ColumnScreenLeft(resizing_) + resizing_->Width();
      resizeDelta_ = std::max(p.x() - right, 8 - resizing_->Width());
      viewport()->update();
      return;
    }
    if (resizingRow_ >= 0) {
      resizeLineY_ = std::max(p.y(), RowTop(resizingRow_) + 8);
      viewport()->update();
      return;
    }
    if (rowSource_ >= 0 && (E->buttons() & Qt::LeftButton) && HasOption(goRowMoving)) {
      if (!movingRows_ && (p - pressPoint_).manhattanLength() > 5) movingRows_ = true;
      if (movingRows_) {
        const int r = RowAtY(p.y());
        dropRow_ = r >= 0 ? r : (p.y() < BodyRect().top() ? TopRow() : LastShownRow());
        viewport()->update();
        return;
      }
    }
    if (pressedHeader_ >= 0 && (E->buttons() & Qt::LeftButton) && !draggingColumn_ &&
        !HasOption(goDisableColumnMoving) &&
        !Columns().Column(pressedHeader_)->HasOption(coDisableMoving) &&
        (std::abs(p.x() - pressPoint_.x()) > 3 || std::abs(p.y() - pressPoint_.y()) > 3)) {
      draggingColumn_ = true;
      TGxCustomColumn* c = Columns().Column(pressedHeader_);
      dragBox_->setFont(GxQFont(Font()));
      dragBox_->Caption = GxQString(c->Header().Caption());
      dragBox_->setGeometry(QRect(viewport()->mapToGlobal(QPoint(ColumnScreenLeft(c), 0)),
                                  QSize(c->Width(), HeaderSize())));
      dragBox_->show();
    }
    if (draggingColumn_) {
      DragMove(viewport()->mapToGlobal(p));
      return;
    }
    const THitRegion region = GetHitRegion(p);
    if (region == hrHeader) {
      setCursor(GripColumnAtX(p.x()) ? Qt::SplitHCursor : Qt::ArrowCursor);
      // the header's hint under its left edge
      TGxCustomColumn* c = ColumnAtX(p.x());
      if (c && !c->Header().Hint.empty()) {
        if (hintColumn_ != c->Index()) {
          hintCell_ = {-1, -1};
          hintColumn_ = c->Index();
          ShowHintAt(ColumnScreenLeft(c), HeaderSize() + 2, c->Header().Hint);
        }
      } else {
        HideHint();
      }
      return;
    }
    if (region == hrIndicator) {
      if (RowEdgeAt(p) >= 0) setCursor(Qt::SplitVCursor); else unsetCursor();
      HideHint();
      return;
    }
    unsetCursor();
    if (region != hrCells) {
      HideHint();
      return;
    }
    const std::pair<int, int> cell = CellAtPoint(p);
    if (!IsValidCell(cell.first, cell.second) || cell == EditCell()) {
      HideHint();
      return;
    }
    if (cell == hintCell_) return;
    HideHint();
    TGxCustomColumn* c = Columns().Column(cell.first);
    WideString text, hint;
    GetCellText(cell.first, cell.second, text);
    const TGxRect r = GetCellRect(cell.first, cell.second);
    if (c->HasOption(coShowTextFitHint) && c->Width() < TextWidth(c->Font(), text) + 5) {
      hintCell_ = cell;
      ShowHintAt(r.Left, r.Top, text);  // the whole text over the cell
      return;
    }
    GetCellHint(cell.first, cell.second, hint);
    if (!hint.empty()) {
      hintCell_ = cell;
      ShowHintAt(r.Right, r.Top - 20, hint);
    }
  });
  TGxCustomGridControl::mouseMoveEvent(E);
}

void TGxCustomGrid::mouseReleaseEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  if (E->button() == Qt::MiddleButton) {
    TGxCustomGridControl::mouseReleaseEvent(E);
    return;
  }
  const int header = pressedHeader_;
  pressedHeader_ = -1;
  const QPoint press = pressPoint_;
  const std::pair<int, int> pressCell = pressCell_;
  pressPoint_ = {-1, -1};
  const bool wasLeft = leftPressed_;
  leftPressed_ = false;
  const int source = rowSource_, drop = dropRow_;
  const bool moving = movingRows_;
  rowSource_ = dropRow_ = -1;
  movingRows_ = false;
  const bool dragged = draggingColumn_;
  draggingColumn_ = false;
  if (dragged) HideDragVisuals();
  Guarded("MouseUp", [&] {
    if (dragged && header >= 0) {
      TGxCustomColumn* c = Columns().Column(header);
      const QRect strip(0, 0, std::min(ColumnScreenLeft(Columns().LastVisible()) +
                                           Columns().LastVisible()->Width(),
                                       ClientWidth()),
                        BodyRect().top());
      if (strip.contains(p)) {
        const int to = DropPosition(c, p);
        const int fixed = Columns().FixedCols();
        const bool locked = HasOption(goLockFixedCols) && (c->Position() < fixed || to < fixed);
        if (to != c->Position() && !locked) Columns().Move(c->Position(), to);
      } else if (HasOption(goCanHideColumn)) {
        c->SetVisible(false);
      }
      viewport()->update();
      return;
    }
    if (moving && source >= 0 && drop >= 0) {
      const int target = drop > source ? drop - 1 : drop;
      bool accept = true;
      if (OnRowMove) OnRowMove(this, source, target, accept);
      if (accept && target != source) {
        if (auto* g = dynamic_cast<TCvGrid*>(this)) g->MoveRow(source, target);
        if (OnAfterRowMove) OnAfterRowMove(this, source, target);
        SelectRow(target);
      }
      return;
    }
    if (resizingRow_ >= 0) {
      const int row = resizingRow_;
      resizingRow_ = -1;
      if (IsValidRow(row)) RowHeightChanged(row, std::max(8, resizeLineY_ - RowTop(row)));
      viewport()->update();
      return;
    }
    if (wasLeft && E->button() == Qt::LeftButton && OnClick && rect().contains(p)) OnClick(this);
    if (resizing_) {
      TGxCustomColumn* c = resizing_;
      resizing_ = nullptr;
      c->SetWidth(std::max(8, c->Width() + resizeDelta_));
      viewport()->update();
      if (OnColumnResize) OnColumnResize(this, c->Index());
      return;
    }
    if (header >= 0) {
      if (OnHeaderClick) OnHeaderClick(this, header);
      viewport()->update(HeaderRect());
    }
    if (E->button() != Qt::LeftButton) {
      EndEdit();
      return;
    }
    switch (GetHitRegion(p)) {
      case hrHeader: {
        TGxCustomColumn* c = ColumnAtX(p.x());
        if (header >= 0 && c && c->Index() == header && c->HasOption(coCanSort)) {
          if (c->Sorted())
            c->SetSortKind(c->SortKind() == skAscending ? skDescending : skAscending);
          else
            c->SetSorted(true);
        }
        break;
      }
      case hrFooter:
        if (OnFooterClick) {
          const TGxCustomColumn* c = ColumnAtX(p.x());
          OnFooterClick(this, c ? c->Index() : -1);
        }
        break;
      case hrInput:
        if (TGxCustomColumn* c = ColumnAtX(p.x())) EditInputCell(c->Index());
        break;
      case hrCells: {
        const std::pair<int, int> cell = CellAtPoint(p);
        if (press.x() < 0 || cell != pressCell || !IsValidCell(cell.first, cell.second)) break;
        if (OnCellClick) OnCellClick(this, cell.first, cell.second);
        TGxCustomColumn* c = Columns().Column(cell.first);
        if (PlayOf(c)) {
          if (!ReadOnly &&
              (c->HasOption(coEditing) || (c->GetBehaviour() & cbPlayWithoutEditing))) {
            if (auto* g = dynamic_cast<TCvGrid*>(this)) {
              const TGxRect r = GetCellRect(cell.first, cell.second);
              g->PlayCell(cell.first, cell.second, TCvGrid::paMouseDown, 0, p.x() - r.Left,
                          p.y() - r.Top);
              g->PlayCell(cell.first, cell.second, TCvGrid::paMouseUp, 0, p.x() - r.Left,
                          p.y() - r.Top);
            }
          }
          break;
        }
        if (!HasOption(goSecondClickEdit) || secondClick_) EditCell(cell.first, cell.second);
        break;
      }
      default: break;
    }
  });
}

void TGxCustomGrid::mouseDoubleClickEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  Guarded("DblClick", [&] {
    pressPoint_ = {-1, -1};
    if (E->button() != Qt::LeftButton) return;
    const THitRegion region = GetHitRegion(p);
    if (region == hrHeader) {
      if (TGxCustomColumn* g = GripColumnAtX(p.x())) {
        if (g->GetBehaviour() & cbBestFit) BestFitColumn(g);
        return;
      }
      TGxCustomColumn* c = ColumnAtX(p.x());
      if (c && OnHeaderDblClick) OnHeaderDblClick(this, c->Index());
      return;
    }
    if (region == hrCells) {
      const std::pair<int, int> cell = CellAtPoint(p);
      if (IsValidCell(cell.first, cell.second) && OnCellDblClick)
        OnCellDblClick(this, cell.first, cell.second);
      return;
    }
    if (region == hrIndicator)
      if (const int r = RowEdgeAt(p); r >= 0) BestFitRow(r);
  });
}

void TGxCustomGrid::wheelEvent(QWheelEvent* E) {
  const int dy = E->angleDelta().y();
  if (dy == 0) return;
  const bool ctrl = E->modifiers() & Qt::ControlModifier;
  Guarded("MouseWheel", [&] {
    TGxScrollBar& v = VertScrollBar();
    if (dy < 0) {
      if (v.ScrollMax > 0 && v.ScrollPos < v.ScrollMax)
        ScrollCommand(1, ctrl ? scPageDown : scLineDown, 0);
      else if (GridStyle() == gsReport && HorzScrollBar().ScrollMax > 0)
        ScrollCommand(0, ctrl ? scPageDown : scLineDown, 0);
    } else {
      if (v.ScrollMax > 0)
        ScrollCommand(1, ctrl ? scPageUp : scLineUp, 0);
      else if (GridStyle() == gsReport && HorzScrollBar().ScrollMax > 0)
        ScrollCommand(0, ctrl ? scPageUp : scLineUp, 0);
    }
  });
  E->accept();
}

void TGxCustomGrid::focusOutEvent(QFocusEvent* E) {
  QWidget* f = QApplication::focusWidget();
  if (f && isAncestorOf(f)) {  // the editor took it
    TGxCustomGridControl::focusOutEvent(E);
    return;
  }
  Guarded("Exit", [&] { ApplyAndEndEdit(); });
  resizing_ = nullptr;
  resizingRow_ = -1;
  HideHint();
  if (draggingColumn_) HideDragVisuals();
  draggingColumn_ = movingRows_ = false;
  rowSource_ = dropRow_ = -1;
  pressedHeader_ = -1;
  pressPoint_ = {-1, -1};
  leftPressed_ = false;
  TGxCustomGridControl::focusOutEvent(E);
  if (OnExit) Guarded("OnExit", [&] { OnExit(this); });
}

void TGxCustomGrid::leaveEvent(QEvent* E) {
  HideHint();
  TGxCustomGridControl::leaveEvent(E);
}

void TGxCustomGrid::HideDragVisuals() {
  dragBox_->hide();
  arrowUp_->hide();
  arrowDown_->hide();
  unsetCursor();
}

void TGxCustomGrid::DragMove(const QPoint& Global) {
  if (pressedHeader_ < 0) return;
  TGxCustomColumn* c = Columns().Column(pressedHeader_);
  // the box: its horizontal centre on the pointer, its bottom 4 pixels below it
  dragBox_->move(Global.x() - dragBox_->width() / 2, Global.y() + 4 - dragBox_->height());
  const QPoint p = viewport()->mapFromGlobal(Global);
  TGxCustomColumn* last = Columns().LastVisible();
  const int right = last ? std::min(ColumnScreenLeft(last) + last->Width(), ClientWidth()) : 0;
  const int to = DropPosition(c, p);
  const int fixed = Columns().FixedCols();
  const bool locked = HasOption(goLockFixedCols) && (c->Position() < fixed || to < fixed);
  TGxCustomColumn* target = Columns().ColumnAtPosition(to);
  const bool inside = p.x() >= 0 && p.x() <= right && p.y() >= 0 && p.y() <= BodyRect().top();
  if (!inside || locked || !target->Visible()) {
    arrowUp_->hide();
    arrowDown_->hide();
    setCursor(Qt::ForbiddenCursor);
    return;
  }
  unsetCursor();
  if (to == c->Position()) {
    arrowUp_->hide();
    arrowDown_->hide();
    return;
  }
  const bool onlyOrFirst = target == Columns().FirstVisible();
  int edge = ColumnScreenLeft(target);
  if (to > c->Position() && (!c->Visible() || !onlyOrFirst)) edge += target->Width();
  const QPoint top = viewport()->mapToGlobal(QPoint(edge, 0));
  arrowDown_->move(top.x() - 4, top.y() - 12);
  arrowUp_->move(top.x() - 4, top.y() + HeaderSize() - 1);
  arrowDown_->show();
  arrowUp_->show();
}

void TGxCustomGrid::paintEvent(QPaintEvent* E) {
  TGxCustomGridControl::paintEvent(E);
  QPainter p(viewport());
  const int h = viewport()->height(), w = viewport()->width();
  if (resizing_) {
    p.setPen(GxColor(clWindowText));
    const int l = ColumnScreenLeft(resizing_);
    const int x1 = resizing_->Index() == 0 ? l : l - 1;
    const int x2 = l + resizing_->Width() + resizeDelta_ - 1;
    p.drawLine(x1, 0, x1, h - 1);
    p.drawLine(x2, 0, x2, h - 1);
  }
  if (resizingRow_ >= 0) {
    p.setPen(GxColor(clWindowText));
    p.drawLine(0, resizeLineY_, w - 1, resizeLineY_);
  }
  if (movingRows_ && dropRow_ >= 0 && IsValidRow(dropRow_)) {
    const int y = RowTop(dropRow_) - (dropRow_ == TopRow() ? 0 : 1);
    p.setPen(GxColor(clRed));
    p.setBrush(GxColor(clRed));
    p.drawLine(8, y, w - 8, y);
    const QPoint left[] = {QPoint(0, y - 2), QPoint(7, y), QPoint(0, y + 2)};
    const QPoint rightHead[] = {QPoint(w - 1, y - 2), QPoint(w - 8, y), QPoint(w - 1, y + 2)};
    p.drawPolygon(left, 3);
    p.drawPolygon(rightHead, 3);
  }
}

// ---- keyboard ----

bool TGxCustomGrid::focusNextPrevChild(bool Next) {
  if (WantTabs) return false;  // Tab stays in the grid
  return TGxCustomGridControl::focusNextPrevChild(Next);
}

void TGxCustomGrid::keyPressEvent(QKeyEvent* E) {
  int key = E->key();
  const int shift = ShiftOf(E->modifiers());
  if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !WantTabs) {
    E->ignore();
    return;
  }
  Guarded("KeyDown", [&] {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (key != 0) KeyDown(key, shift);
    const QString t = E->text();
    if (key != 0 && t.size() == 1 && (key != Qt::Key_Return || WantReturns)) {
      char16_t c = t.at(0).unicode();
      if (OnKeyPress) OnKeyPress(this, c);
      if (c != 0) KeyPress(c);
    }
  });
  E->accept();
}

void TGxCustomGrid::keyReleaseEvent(QKeyEvent* E) {
  int key = E->key();
  Guarded("KeyUp", [&] {
    if (OnKeyUp) OnKeyUp(this, key, ShiftOf(E->modifiers()));
  });
}

void TGxCustomGrid::KeyDown(int Key, int Shift) {
  const bool editing = EditCell().first >= 0;
  const int p = std::max(1, RowsThatFit());
  switch (Key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      TGxColumns& cols = Columns();
      TGxCustomColumn* cur =
          cols.IsValidIndex(SelectedColumn()) ? cols.Column(SelectedColumn()) : nullptr;
      const bool back = Key == Qt::Key_Backtab || (Shift & Qt::ShiftModifier);
      TGxCustomColumn* next = nullptr;
      if (cur) next = back ? cols.PriorEditable(cur) : cols.NextEditable(cur);
      if (next && next != cur) {
        SelectCell(next->Index(), SelectedRow(), 0);
      } else if (!InputSelected()) {
        TGxCustomColumn* wrap = back ? cols.LastVisible() : cols.FirstVisible();
        if (back) SelectPriorRow(); else SelectNextRow();
        if (wrap) SelectCell(wrap->Index(), SelectedRow(), 0);
      }
      break;
    }
    case Qt::Key_PageUp:
      if (SelectedRow() > TopRow()) {
        SelectCell(SelectedColumn(), TopRow(), 0);
      } else if (IsValidRow(SelectedRow())) {
        SelectCell(SelectedColumn(), VisibleRowStep(SelectedRow(), -p), 0);
        VertScrollBar().SetScrollPos(VertScrollBar().ScrollPos - p);
      }
      break;
    case Qt::Key_PageDown: {
      const int lastFull = VisibleRowStep(TopRow(), p - 1);
      if (SelectedRow() < lastFull) {
        SelectCell(SelectedColumn(), lastFull, 0);
      } else if (IsValidRow(SelectedRow())) {
        SelectCell(SelectedColumn(), VisibleRowStep(SelectedRow(), p), 0);
        VertScrollBar().SetScrollPos(VertScrollBar().ScrollPos + p);
      }
      break;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
      if (editing || !Columns().IsValidIndex(SelectedColumn())) break;
      if (Key == Qt::Key_Home) SelectFirstRow(); else SelectLastRow();
      break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (editing) break;
      TGxColumns& cols = Columns();
      if (InputSelected() || !HasOption(goSelectFullRow) ||
          HasAppearance(aoIndicateSelectedCell)) {
        if (!cols.IsValidIndex(SelectedColumn())) break;
        TGxCustomColumn* cur = cols.Column(SelectedColumn());
        TGxCustomColumn* next =
            Key == Qt::Key_Left ? cols.PriorEditable(cur) : cols.NextEditable(cur);
        if (next && next != cur) SelectCell(next->Index(), SelectedRow(), 0);
      } else {
        ScrollCommand(0, Key == Qt::Key_Left ? scLineUp : scLineDown, 0);
      }
      break;
    }
    case Qt::Key_Up:
      if (!editing) SelectPriorRow(Shift);
      break;
    case Qt::Key_Down:
      if (!editing) SelectNextRow(Shift);
      break;
    default: break;
  }
}

void TGxCustomGrid::KeyPress(char16_t C) {
  if (Editing() || C == 27) return;
  if (C == 13) {
    if (!WantReturns) return;
    switch (SelectionMoveDirection) {
      case mdDown: SelectNextRow(); break;
      case mdRight: KeyDown(Qt::Key_Right, 0); break;
      case mdNone: break;
    }
    return;
  }
  TGxColumns& cols = Columns();
  if (!cols.IsValidIndex(SelectedColumn())) return;
  if (!InputSelected() && !IsValidRow(SelectedRow())) return;
  TGxCustomColumn* cur = cols.Column(SelectedColumn());
  if (PlayOf(cur) && !ReadOnly &&
      (cur->HasOption(coEditing) || (cur->GetBehaviour() & cbPlayWithoutEditing))) {
    if (auto* g = dynamic_cast<TCvGrid*>(this))
      g->PlayCell(SelectedColumn(), SelectedRow(), TCvGrid::paKey, C);
    return;
  }
  if (InputSelected()) {
    if (cols.IsValidIndex(InputColumn()) && cols.Column(InputColumn())->IsKeyAcceptable(C))
      EditInputCellWithKey(InputColumn(), C);
    return;
  }
  if (!InputSelected() && cur->IsKeyAcceptable(C) && CanEditCell(*this, SelectedColumn(),
                                                                  SelectedRow())) {
    EditCellWithKey(SelectedColumn(), SelectedRow(), C);
    return;
  }
  if (InputSelected() || cur->HasOption(coEditing) || RowCount() == 0) return;
  TGxCustomColumn* search = nullptr;
  for (int i = 0; i < cols.ColumnCount() && !search; ++i)
    if (cols.Column(i)->HasOption(coSearchColumn)) search = cols.Column(i);
  if (!search) return;
  searchTimer_.start();
  searchText_ += C;
  SearchRow(search->Index(), searchText_, false);
}
