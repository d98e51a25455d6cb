// The popup window, its item list, the popup edit and the combo box.
#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "grid/cvGxNum.h"
#include "grid/qt/cvGxEdits.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

// ---- popup window ----

TGxPopupControl::TGxPopupControl(TGxCustomEdit* Owner)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(Owner),
      bar_(new QScrollBar(Qt::Vertical, this)) {
  setAttribute(Qt::WA_NoMouseReplay);  // the click that closes it reaches nothing below
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  bar_->setPageStep(10);
  bar_->hide();
  resize(80, 50);
}

QRect TGxPopupControl::InnerRect() const {
  QRect r = rect().adjusted(2, 2, -2, -2);
  if (bar_->isVisible()) r.setRight(bar_->geometry().left() - 1);
  return r;
}

void TGxPopupControl::Popup(const QPoint& At) {
  closing_ = false;
  armed_ = false;
  move(At);
  show();
  update();
}

void TGxPopupControl::CloseUp() {
  if (closing_) return;
  closing_ = true;
  if (isVisible()) hide();
  if (OnClose) OnClose();
}

void TGxPopupControl::hideEvent(QHideEvent* E) {
  QWidget::hideEvent(E);
  // closed by the system (a press outside, the application deactivated)
  if (!closing_) CloseUp();
}

void TGxPopupControl::mousePressEvent(QMouseEvent* E) {
  if (!rect().contains(E->position().toPoint())) {
    armed_ = true;  // the release of this press closes nothing more
    CloseUp();
  }
}

void TGxPopupControl::mouseReleaseEvent(QMouseEvent* E) {
  if (closing_) return;
  if (!armed_) {  // the release of the click that opened it
    armed_ = true;
    return;
  }
  if (rect().contains(E->position().toPoint()))
    SelectAt(E->position().toPoint());
  else
    CloseUp();
}

void TGxPopupControl::keyPressEvent(QKeyEvent* E) {
  if (E->key() == Qt::Key_Escape) {
    CloseUp();
    return;
  }
  if (auto* p = dynamic_cast<TGxPopupEdit*>(owner_)) p->PopupKey(E);
}

// ---- popup list ----

TGxPopupList::TGxPopupList(TGxCustomEdit* Owner) : TGxPopupControl(Owner) {
  QObject::connect(ScrollBar(), &QScrollBar::valueChanged, this, [this] { update(); });
}

WideString TGxPopupList::ItemText(const WideString& Item, TItemsDisplayMode Mode, int* Indent) {
  if (Indent) *Indent = 0;
  const size_t eq = Item.find(u'=');
  switch (Mode) {
    case dmDefault: return Item;
    case dmNameList: return eq == WideString::npos ? Item : Item.substr(0, eq);
    case dmValueList: return eq == WideString::npos ? WideString() : Item.substr(eq + 1);
    case dmIndentList: {
      if (eq == WideString::npos) return WideString();
      int32_t level = 0;
      if (Indent && gx::TryParseInt(gx::A(Item.substr(0, eq)), level)) *Indent = level;
      return Item.substr(eq + 1);
    }
  }
  return Item;
}

int TGxPopupList::FirstVisible() const { return ScrollBar()->value(); }

int TGxPopupList::VisibleRows() const { return std::max(0, (height() - 4) / itemHeight_); }

int TGxPopupList::ItemAt(const QPoint& P) const {
  if (!InnerRect().contains(P)) return -1;
  const int i = (P.y() - 2) / itemHeight_ + FirstVisible();
  return i >= 0 && i < static_cast<int>(Items.size()) ? i : -1;
}

void TGxPopupList::SetHighlighted(int I) {
  if (I == highlighted_) return;
  highlighted_ = I;
  update();
}

void TGxPopupList::SetIndex(int I) {
  chosen_ = I;
  if (I >= 0) {
    const int first = FirstVisible(), rows = std::max(1, VisibleRows());
    if (I < first)
      ScrollBar()->setValue(I);
    else if (I >= first + rows)
      ScrollBar()->setValue(I - rows + 1);
  }
  SetHighlighted(I);
}

void TGxPopupList::Prepare() {
  QScrollBar* b = ScrollBar();
  const int n = static_cast<int>(Items.size());
  const int rows = VisibleRows();
  b->setRange(0, std::max(0, n - rows));
  b->setPageStep(std::max(1, rows));
  b->setValue(0);
  const bool show = n > 0 && n > rows;
  if (show) {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    b->setGeometry(width() - 2 - w, 2, w, height() - 4);
  }
  b->setVisible(show);
}

QRect TGxPopupList::EntryTextRect(int I) const {
  const QRect inner = InnerRect();
  int indent = 0;
  if (I >= 0 && I < static_cast<int>(Items.size())) ItemText(Items[I], DisplayMode, &indent);
  const int y = inner.top() + (I - FirstVisible()) * itemHeight_;
  const int x = inner.left() + (DisplayMode == dmIndentList ? indent * 10 : 0);
  return QRect(x, y, inner.right() + 1 - x, itemHeight_);
}

void TGxPopupList::SelectAt(const QPoint& P) {
  chosen_ = ItemAt(P);
  if (chosen_ >= 0 && OnSelect) OnSelect(chosen_, GxQString(ItemText(Items[chosen_], DisplayMode)));
}

void TGxPopupList::mouseMoveEvent(QMouseEvent* E) {
  if (ScrollBar()->isSliderDown()) return;
  const int i = ItemAt(E->position().toPoint());
  if (i >= 0) SetHighlighted(i);
}

void TGxPopupList::wheelEvent(QWheelEvent* E) {
  const int dy = E->angleDelta().y();
  if (dy != 0) ScrollBar()->setValue(ScrollBar()->value() + (dy > 0 ? -1 : 1));
  E->accept();
}

void TGxPopupList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // the frame: a dark line outside, the background inside
  p.fillRect(rect(), GxColor(Background));
  p.setPen(GxColor(clWindowFrame));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect inner = InnerRect();
  p.setClipRect(inner);
  p.setFont(Owner()->font());
  const int n = static_cast<int>(Items.size());
  int y = inner.top();
  for (int i = FirstVisible(); i < n && y + itemHeight_ <= inner.bottom() + 1 + itemHeight_ - 1;
       ++i, y += itemHeight_) {
    if (y > inner.bottom()) break;
    const QRect row(inner.left(), y, inner.width(), itemHeight_);
    const bool hi = i == highlighted_;
    p.fillRect(row, GxColor(hi ? Selection : Background));
    p.setPen(GxColor(hi ? SelectedText : clWindowText));
    int indent = 0;
    const QString t = GxQString(ItemText(Items[i], DisplayMode, &indent));
    QRect tr = row;
    if (DisplayMode == dmIndentList) tr.setLeft(tr.left() + indent * 10);
    p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(t, Qt::ElideRight, tr.width()));
  }
}

// ---- popup edit ----

TGxPopupEdit::TGxPopupEdit(QWidget* Parent) : TGxCustomButtonEdit(Parent, true) {}

TGxPopupEdit::~TGxPopupEdit() {
  if (popup_) {
    popup_->OnClose = nullptr;
    delete popup_;
  }
}

TGxPopupControl* TGxPopupEdit::MakePopup() { return new TGxPopupControl(this); }

TGxPopupControl* TGxPopupEdit::Popup() {
  if (!popup_) {
    popup_ = MakePopup();
    popup_->OnClose = [this] {
      dropped_ = false;
      PopupClosed();
      if (style_ == dsDropDownList) update();
      if (OnCloseUp) OnCloseUp(this);
    };
    popup_->OnSelect = [this](int I, const QString& T) { PopupSelect(I, T); };
  }
  return popup_;
}

void TGxPopupEdit::SetStyle(TDropDownStyle S) {
  style_ = S;
  setReadOnly(S == dsDropDownList);
  if (S == dsDropDownList)
    setCursor(Qt::ArrowCursor);
  else
    unsetCursor();
  update();
}

void TGxPopupEdit::DropDown() {
  if (dropped_) return;
  TGxPopupControl* p = Popup();
  p->setFont(font());
  p->resize(width(), p->height());
  p->setCursor(cursor());
  PreparePopup();
  // under the edit, one pixel to the left, kept inside the work area of the nearest monitor
  QPoint at = mapToGlobal(QPoint(-1, height()));
  QScreen* s = QGuiApplication::screenAt(at);
  if (!s) s = screen();
  if (s) {
    const QRect work = s->availableGeometry();
    if (at.x() + p->width() > work.right() + 1)
      at.setX(work.right() + 1 - p->width());
    else
      at.setX(std::max(at.x(), work.left()));
    if (at.y() + p->height() > work.bottom() + 1)
      at.setY(work.bottom() + 1 - p->height());
    else
      at.setY(std::max(at.y(), work.top()));
  }
  dropped_ = true;
  p->Popup(at);
  if (style_ == dsDropDownList) update();
}

void TGxPopupEdit::CloseUp() {
  if (popup_ && dropped_) popup_->CloseUp();
}

void TGxPopupEdit::PopupSelect(int Index, const QString& Text) {
  if (OnSelect) OnSelect(this);
  CloseUp();
  TGxCustomButtonEdit::PopupSelect(Index, Text);
}

void TGxPopupEdit::PopupClosed() { TGxCustomButtonEdit::PopupClosed(); }

void TGxPopupEdit::keyPressEvent(QKeyEvent* E) {
  const int k = E->key();
  if ((k == Qt::Key_Up || k == Qt::Key_Down) && (E->modifiers() & Qt::AltModifier)) {
    if (dropped_) CloseUp(); else DropDown();
    return;
  }
  if (dropped_ && (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape)) {
    CloseUp();
    return;
  }
  TGxCustomButtonEdit::keyPressEvent(E);
}

void TGxPopupEdit::mousePressEvent(QMouseEvent* E) {
  if (style_ == dsDropDownList && E->button() == Qt::LeftButton) {
    setFocus(Qt::MouseFocusReason);
    DropDown();
    return;
  }
  TGxCustomButtonEdit::mousePressEvent(E);
}

void TGxPopupEdit::focusOutEvent(QFocusEvent* E) {
  TGxCustomButtonEdit::focusOutEvent(E);
  if (E->reason() != Qt::PopupFocusReason) update();
}

void TGxPopupEdit::hideEvent(QHideEvent* E) {
  CloseUp();
  TGxCustomButtonEdit::hideEvent(E);
}

void TGxPopupEdit::showEvent(QShowEvent* E) {
  CloseUp();
  TGxCustomButtonEdit::showEvent(E);
}

void TGxPopupEdit::PaintFace(QPainter& P) {
  const QRect c = contentsRect();
  QRect face(c.left(), c.top(), c.width() - Button()->width(), c.height());
  const bool focused = hasFocus() && !dropped_;
  const bool high = focused && !CellStyle;
  P.fillRect(rect(), palette().color(QPalette::Base));
  P.fillRect(face, high ? GxColor(clHighlight) : palette().color(QPalette::Base));
  if (hasFrame()) {
    QStyleOptionFrame o;
    initStyleOption(&o);
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &o, &P, this);
  }
  if (focused && !HideFocus && !CellStyle) TGxPaint::DrawFocusFrame(P, face.adjusted(1, 1, -1, -1), false);
  int l = 0, r = 0;
  GetMargins(l, r);
  QRect tr = face.adjusted(l + (hasFrame() ? 2 : 0), 0, 0, 0);
  P.setPen(!isEnabled() ? GxColor(clGrayText)
           : high       ? GxColor(clHighlightText)
                        : palette().color(QPalette::Text));
  P.setFont(font());
  TGxPaint::DrawTextLine(P, tr, false, text(), Alignment());
}

// ---- combo box ----

TGxComboBox::TGxComboBox(QWidget* Parent) : TGxPopupEdit(Parent) {}

TGxPopupControl* TGxComboBox::MakePopup() { return new TGxPopupList(this); }

void TGxComboBox::PreparePopup() {
  TGxPopupList* l = List();
  l->Background = DropDownColor;
  l->SelectedText = HighlightTextColor;
  l->Selection = SelectionColor;
  l->DisplayMode = DisplayMode;
  l->Items = Items;
  l->SetItemHeight(ItemHeight);
  const int n = static_cast<int>(Items.size());
  l->resize(width(), std::min(DropDownCount, n) * ItemHeight + 4);
  l->Prepare();
  l->SetIndex(itemIndex_);
}

void TGxComboBox::SetItemIndex(int I) {
  itemIndex_ = I;
  settingText_ = true;
  const bool valid = I >= 0 && I < static_cast<int>(Items.size());
  setText(valid ? GxQString(TGxPopupList::ItemText(Items[I], DisplayMode)) : QString());
  settingText_ = false;
  List()->Items = Items;
  List()->SetIndex(I);
  if (Info()->isVisible()) Info()->update();
}

void TGxComboBox::SetStyle(TDropDownStyle S) {
  TGxPopupEdit::SetStyle(S);
  if (S == dsDropDownList) SetItemIndex(itemIndex_);
}

void TGxComboBox::Changed() {
  if (settingText_ || DisplayMode != dmDefault) return;
  const WideString t = GxWide(text());
  if (std::find(Items.begin(), Items.end(), t) == Items.end()) itemIndex_ = -1;
}

void TGxComboBox::PopupSelect(int Index, const QString&) {
  SetItemIndex(Index);
  if (OnSelect) OnSelect(this);
  CloseUp();
  Button()->SetHot(false);
  Button()->SetPressed(false);
}

void TGxComboBox::PopupKey(QKeyEvent* E) {
  const int k = E->key();
  if ((k == Qt::Key_Return || k == Qt::Key_Enter) && Dropped()) {
    const int h = List()->Highlighted();
    if (h >= 0) {
      PopupSelect(h, QString());
    } else {
      CloseUp();
    }
    return;
  }
  keyPressEvent(E);
}

void TGxComboBox::keyPressEvent(QKeyEvent* E) {
  const int k = E->key();
  const int n = static_cast<int>(Items.size());
  if ((k == Qt::Key_Up || k == Qt::Key_Down) && !(E->modifiers() & Qt::AltModifier)) {
    const int from = Dropped() ? List()->Highlighted() : itemIndex_;
    const int to = std::clamp(from + (k == Qt::Key_Down ? 1 : -1), 0, std::max(0, n - 1));
    if (n > 0) SetItemIndex(to);
    return;
  }
  const QString t = E->text();
  if (Style() == dsDropDownList && t.size() == 1 && t.at(0).isPrint() &&
      !(E->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    const std::string c = gx::LowerCp1251(gx::A(GxWide(t)));
    auto starts = [&](int i) {
      const WideString s = TGxPopupList::ItemText(Items[i], DisplayMode);
      return !s.empty() && gx::LowerCp1251(gx::A(s.substr(0, 1))) == c;
    };
    const int start = itemIndex_ >= 0 && itemIndex_ < n && starts(itemIndex_) ? itemIndex_ + 1 : 0;
    for (int i = start; i < n; ++i)
      if (starts(i)) {
        SetItemIndex(i);
        break;
      }
    return;
  }
  TGxPopupEdit::keyPressEvent(E);
}

void TGxComboBox::wheelEvent(QWheelEvent* E) {
  const int dy = E->angleDelta().y();
  if (dy == 0) return;
  if (Dropped()) {
    QScrollBar* b = List()->ScrollBar();
    b->setValue(b->value() + (dy > 0 ? -1 : 1));
  } else {
    const int n = static_cast<int>(Items.size());
    if (n > 0) SetItemIndex(std::clamp(itemIndex_ + (dy < 0 ? 1 : -1), 0, n - 1));
  }
  E->accept();
}
