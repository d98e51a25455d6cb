// The base edit, the plain edit, the small buttons, the button edit, and the number and spin
// edits.
#include "grid/qt/cvGxEdits.h"

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "grid/cvGxNum.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

// ---- info strip ----

TGxEditInfo::TGxEditInfo(TGxCustomEdit* Edit) : QWidget(Edit), edit_(Edit) {
  setAttribute(Qt::WA_NoSystemBackground);
  hide();
}

void TGxEditInfo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), edit_->palette().color(QPalette::Base));
  const QPixmap& g = edit_->Glyph();
  int x = 0;
  if (!g.isNull()) {
    p.drawPixmap(0, (height() - g.height()) / 2, g);
    x = g.width() + 2;
  }
  if (edit_->ShowPreview()) {
    QRect box(x, 0, 20, height());
    p.setPen(QColor(128, 128, 128));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (edit_->PreviewBorder()) box.adjust(1, 1, -1, -1);
    edit_->DrawPreview(p, box);
  }
}

void TGxEditInfo::mousePressEvent(QMouseEvent* E) {
  edit_->InfoMouseDown(E->button(), E->position().toPoint().x(), E->position().toPoint().y());
}

// ---- base edit ----

TGxCustomEdit::TGxCustomEdit(QWidget* Parent) : QLineEdit(Parent), info_(new TGxEditInfo(this)) {
  resize(121, 20);
  setFocusPolicy(Qt::StrongFocus);
}

void TGxCustomEdit::SetAlignment(TAlignment A) {
  alignment_ = A;
  setAlignment(A == taRightJustify ? Qt::AlignRight | Qt::AlignVCenter
               : A == taCenter     ? Qt::AlignHCenter | Qt::AlignVCenter
                                   : Qt::AlignLeft | Qt::AlignVCenter);
}

void TGxCustomEdit::SetEditMargins(int Left, int Right) {
  margins_ = {Left, Right};
  UpdateMargins();
}

void TGxCustomEdit::SetGlyph(const QPixmap& G) {
  glyph_ = G;
  if (!glyph_.isNull()) {
    const QImage img = glyph_.toImage();
    glyph_.setMask(QBitmap::fromImage(
        img.createMaskFromColor(img.pixel(0, img.height() - 1), Qt::MaskInColor)));
  }
  UpdateMargins();
}

bool TGxCustomEdit::GetAsBoolean() const { return gx::ParseBool(GxWide(text())); }
double TGxCustomEdit::GetAsDateTime() const { return gx::ParseDateTime(GxWide(text())); }
double TGxCustomEdit::GetAsFloat() const { return gx::ParseFloat(GxWide(text())); }
int32_t TGxCustomEdit::GetAsInteger() const { return gx::ParseInt(GxWide(text())); }
void TGxCustomEdit::SetAsDateTime(double V) {
  setText(QString::fromStdString(gx::DateTimeText(V)));
}
void TGxCustomEdit::SetAsFloat(double V) { setText(QString::fromStdString(gx::FloatText(V))); }

int TGxCustomEdit::InfoWidth() const {
  return (glyph_.isNull() ? 0 : glyph_.width() + 4) + (showPreview_ ? 20 : 0);
}

QRect TGxCustomEdit::GetPreviewRect() const {
  const int x = glyph_.isNull() ? 0 : glyph_.width() + 4;
  return QRect(x, 0, 20, contentsRect().height());
}

void TGxCustomEdit::InfoMouseDown(Qt::MouseButton Button, int X, int) {
  if (Button == Qt::LeftButton && !glyph_.isNull() && X < glyph_.width() && OnGlyphClick)
    OnGlyphClick(this);
}

void TGxCustomEdit::DrawPreview(QPainter&, const QRect& R) {
  if (OnCustomPreviewDraw) OnCustomPreviewDraw(this, R);
}

void TGxCustomEdit::GetMargins(int& Left, int& Right) const {
  Left = showPreview_ ? 2 * margins_.Left + 25 : margins_.Left;
  if (!glyph_.isNull()) Left += glyph_.width() + 4;
  Right = margins_.Right;
}

void TGxCustomEdit::UpdateMargins() {
  int l = 0, r = 0;
  GetMargins(l, r);
  setTextMargins(l, 0, r, 0);
  const QRect c = contentsRect();
  info_->setGeometry(c.left(), c.top(), InfoWidth(), c.height());
  info_->setVisible(!glyph_.isNull() || showPreview_);
  PlaceChildren();
}

bool TGxCustomEdit::event(QEvent* E) {
  if (E->type() == QEvent::KeyPress && WantTabs) {
    auto* k = static_cast<QKeyEvent*>(E);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  return QLineEdit::event(E);
}

void TGxCustomEdit::resizeEvent(QResizeEvent* E) {
  QLineEdit::resizeEvent(E);
  UpdateMargins();
}

void TGxCustomEdit::changeEvent(QEvent* E) {
  QLineEdit::changeEvent(E);
  if (E->type() == QEvent::FontChange) UpdateMargins();
  if (E->type() == QEvent::EnabledChange)
    for (QObject* c : children())
      if (auto* w = qobject_cast<QWidget*>(c)) w->update();
}

// ---- plain edit ----

TGxEdit::TGxEdit(QWidget* Parent) : TGxCustomEdit(Parent) {
  setMouseTracking(true);
  QObject::connect(this, &QLineEdit::textChanged, this, [this] { Changed(); });
}

void TGxEdit::mouseMoveEvent(QMouseEvent* E) {
  if (E->position().x() <= Info()->geometry().right() + 2 && Info()->isVisible())
    setCursor(Qt::ArrowCursor);  // the reversed arrow of the left end
  else
    unsetCursor();
  QLineEdit::mouseMoveEvent(E);
}

void TGxEdit::mousePressEvent(QMouseEvent* E) {
  const int infoRight = Info()->isVisible() ? Info()->geometry().right() : contentsRect().left() - 1;
  if (E->position().x() <= infoRight + 2) {
    QLineEdit::mousePressEvent(E);
    selectAll();
    return;
  }
  QLineEdit::mousePressEvent(E);
}

void TGxEdit::paintEvent(QPaintEvent* E) {
  if (!EraseBackground()) {
    QPainter p(this);
    PaintFace(p);
    return;
  }
  QLineEdit::paintEvent(E);
  if (BorderWidth > 0) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::Base));
    QRect r = contentsRect().adjusted(0, 0, -1, -1);
    for (int i = 0; i < BorderWidth; ++i, r.adjust(1, 1, -1, -1)) p.drawRect(r);
  }
}

// ---- small buttons ----

TGxSmallButton::TGxSmallButton(TGxCustomEdit* Edit, int Width) : QWidget(Edit), edit_(Edit) {
  setAttribute(Qt::WA_NoSystemBackground);
  setCursor(Qt::ArrowCursor);
  resize(Width, 16);
}

void TGxSmallButton::SetHot(bool V) {
  if (Hot == V) return;
  Hot = V;
  update();
}

void TGxSmallButton::SetPressed(bool V) {
  if (Pressed == V) return;
  Pressed = V;
  update();
}

void TGxSmallButton::mousePressEvent(QMouseEvent* E) {
  if (E->button() != Qt::LeftButton) return;
  if (edit_->isVisible()) edit_->setFocus(Qt::MouseFocusReason);
  SetPressed(true);
  if (OnPressed) OnPressed();
}

void TGxSmallButton::mouseReleaseEvent(QMouseEvent* E) {
  if (E->button() != Qt::LeftButton || !Pressed) return;
  SetPressed(false);
  if (OnReleased) OnReleased();
}

void TGxSmallButton::enterEvent(QEnterEvent*) { SetHot(true); }
void TGxSmallButton::leaveEvent(QEvent*) { SetHot(false); }

namespace {
int ThemeState(const TGxSmallButton& B) {
  if (!B.Edit()->isEnabled()) return 4;
  return B.Pressed ? 3 : B.Hot ? 2 : 1;
}
}  // namespace

void TGxExecuteButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), GxColor(clBtnFace));
  if (!TGxPaint::DrawThemed(this, p, rect().adjusted(-1, -1, 1, 1), ThemeState(*this), 1,
                            "button")) {
    if (Pressed) {
      p.setPen(GxColor(clBtnShadow));
      p.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
      TGxPaint::DrawButtonFace(p, rect(), true);
    }
  }
  p.setPen(GxColor(Edit()->isEnabled() ? clBtnText : clGrayText));
  p.drawText(rect(), Qt::AlignCenter, Caption);
}

void TDropDownButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (TGxPaint::DrawThemed(this, p, rect(), ThemeState(*this), 1, "combobox")) return;
  p.fillRect(rect(), GxColor(clBtnFace));
  if (Pressed) {
    p.setPen(GxColor(clBtnShadow));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  } else {
    TGxPaint::DrawButtonFace(p, rect(), true);
  }
  // the arrow: a small triangle in the middle
  const QPoint c = rect().center() + (Pressed ? QPoint(1, 1) : QPoint());
  p.setPen(Qt::NoPen);
  p.setBrush(GxColor(Edit()->isEnabled() ? clBtnText : clGrayText));
  const QPoint tri[3] = {c + QPoint(-3, -1), c + QPoint(4, -1), c + QPoint(0, 3)};
  p.drawPolygon(tri, 3);
}

// ---- button edit ----

TGxCustomButtonEdit::TGxCustomButtonEdit(QWidget* Parent, bool DropDown)
    : TGxEdit(Parent),
      button_(DropDown ? static_cast<TGxSmallButton*>(new TDropDownButton(this))
                       : new TGxExecuteButton(this)) {
  button_->OnPressed = [this] { ButtonDown(); };
  button_->OnReleased = [this] {
    if (OnButtonClick) OnButtonClick(this);
  };
  UpdateMargins();
}

void TGxCustomButtonEdit::GetMargins(int& Left, int& Right) const {
  TGxEdit::GetMargins(Left, Right);
  Right = button_->width();
}

void TGxCustomButtonEdit::PlaceChildren() {
  const QRect c = contentsRect();
  button_->setGeometry(c.right() + 1 - button_->width(), c.top(), button_->width(), c.height());
  button_->show();
}

void TGxCustomButtonEdit::Paste() {
  if (Has(epDisablePaste) || isReadOnly()) return;
  insert(QApplication::clipboard()->text());
}

void TGxCustomButtonEdit::PopupSelect(int, const QString& Text) {
  SetTextFromPopup(Text);
  button_->SetHot(false);
  button_->SetPressed(false);
}

void TGxCustomButtonEdit::PopupClosed() { button_->SetPressed(false); }

void TGxCustomButtonEdit::keyPressEvent(QKeyEvent* E) {
  if (E->matches(QKeySequence::Paste)) {
    Paste();
    return;
  }
  if (Has(epDisableTyping)) {
    const int k = E->key();
    if (k == Qt::Key_Backspace || k == Qt::Key_Delete || k == Qt::Key_Clear) return;
    if (!E->text().isEmpty() && E->text().at(0).isPrint() &&
        !(E->modifiers() & Qt::ControlModifier))
      return;
    if (E->matches(QKeySequence::Cut)) return;
  }
  TGxEdit::keyPressEvent(E);
}

void TGxCustomButtonEdit::enterEvent(QEnterEvent* E) {
  button_->SetHot(true);
  TGxEdit::enterEvent(E);
}

void TGxCustomButtonEdit::leaveEvent(QEvent* E) {
  button_->SetHot(false);
  TGxEdit::leaveEvent(E);
}

// ---- number edit ----

TGxCustomNumberEdit::TGxCustomNumberEdit(QWidget* Parent) : TGxEdit(Parent) {}

double TGxCustomNumberEdit::Clamp(double V) const {
  if (!RangeApplies()) return V;
  if (V > Max) V = Max;
  if (V < Min) V = Min;
  return V;
}

std::string TGxCustomNumberEdit::CleanText(const std::string& Text, bool Floats,
                                           bool Signs) const {
  std::string out;
  bool point = false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c >= '0' && c <= '9') {
      out += c;
    } else if (c == '.' && Floats && !point) {
      point = true;
      out += c;
    } else if ((c == '+' || c == '-') && i == 0 && Signs) {
      out += c;
    }
  }
  if (out.empty() || out == "+" || out == "-") out = "0";
  double v = 0;
  if (!gx::TryParseFloat(out, v)) v = 0;
  return gx::FloatText(Clamp(v));
}

double TGxCustomNumberEdit::Value() const {
  const std::string t = text().toStdString();
  if (t.empty()) return Min;
  double v = 0;
  gx::TryParseFloat(CleanText(t, Has(eoAllowFloat), Has(eoAllowSigns)), v);
  return v;
}

QString TGxCustomNumberEdit::FormatValue(double V) const {
  if (V == 0 && !nullText_.isEmpty()) return nullText_;
  std::string s;
  if (Has(eoAllowFloat) && precision_ <= 0) {
    s = gx::FloatText(V);
  } else {
    char buf[400];
    const int decimals = Has(eoAllowFloat) ? precision_ : 0;
    // at most 18 significant digits
    const int intDigits = std::abs(V) >= 1 ? static_cast<int>(std::log10(std::abs(V))) + 1 : 1;
    // "." whatever the locale
    const auto r = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::fixed,
                                 std::max(0, std::min(decimals, 18 - intDigits)));
    s.assign(buf, r.ec == std::errc() ? r.ptr : buf);
  }
  return QString::fromStdString(s) + textAfter_;
}

void TGxCustomNumberEdit::SetValue(double V) {
  if (!TextUpdateLock) setText(FormatValue(V));
}

void TGxCustomNumberEdit::Reformat() {
  if (!Has(eoAllowAll)) SetValue(Value());
}

void TGxCustomNumberEdit::SetNullText(const QString& T) {
  nullText_ = T;
  SetValue(0);
}

void TGxCustomNumberEdit::SetPrecision(int P) {
  precision_ = P;
  SetValue(Value());
}

void TGxCustomNumberEdit::SetTextAfter(const QString& T) {
  // the value is read before the old suffix goes
  const double v = Value();
  textAfter_ = T;
  if (!Has(eoAllowAll)) SetValue(v);
}

void TGxCustomNumberEdit::SetAsFloat(double V) {
  setText(QString::fromStdString(gx::FloatText(V)));
  SetValue(V);
}

void TGxCustomNumberEdit::Paste() {
  if (Has(eoDisablePaste) || isReadOnly()) return;
  const QString t = text();
  QString outside = t;
  int start = cursorPosition();
  if (hasSelectedText()) {
    start = selectionStart();
    outside.remove(start, selectedText().size());
  }
  std::string clip = QApplication::clipboard()->text().toStdString();
  std::string cleaned;
  if (Has(eoAllowAll)) {
    cleaned = clip;
  } else {
    const bool floats = Has(eoAllowFloat) && !outside.contains('.');
    const bool signs = Has(eoAllowSigns) && start == 0;
    cleaned = CleanText(clip, floats, signs);
  }
  insert(QString::fromStdString(cleaned));
  setCursorPosition(start);
}

void TGxCustomNumberEdit::keyPressEvent(QKeyEvent* E) {
  const int key = E->key();
  if (E->matches(QKeySequence::Paste)) {
    Paste();
    return;
  }
  if (Has(eoDisableTyping)) {
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Clear) return;
    if (!E->text().isEmpty() && E->text().at(0).isPrint()) return;
  }
  const QString t = E->text();
  if (Has(eoAllowAll) || t.size() != 1 || !t.at(0).isPrint() ||
      (E->modifiers() & Qt::ControlModifier)) {
    TGxEdit::keyPressEvent(E);
    return;
  }
  const QChar c = t.at(0);
  const QString sel = selectedText();
  if (c == '.') {
    if (!Has(eoAllowFloat)) return;
    if (text().contains('.') && !sel.contains('.')) return;
  } else if (c == '+' || c == '-') {
    if (!Has(eoAllowSigns)) return;
    const bool hasSign = text().contains('+') || text().contains('-');
    const bool selSign = sel.contains('+') || sel.contains('-');
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    if (!((start == 0 && !hasSign) || selSign)) return;
  } else if (!c.isDigit()) {
    return;
  }
  TGxEdit::keyPressEvent(E);
}

void TGxCustomNumberEdit::focusOutEvent(QFocusEvent* E) {
  if (E->reason() != Qt::PopupFocusReason) Reformat();
  TGxEdit::focusOutEvent(E);
}

// ---- spin buttons ----

TGxSpinButtons::TGxSpinButtons(TGxSpinEdit* Edit) : QWidget(Edit), edit_(Edit) {
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setCursor(Qt::ArrowCursor);
  delay_.setSingleShot(true);
  delay_.setInterval(400);
  repeat_.setInterval(20);
  QObject::connect(&delay_, &QTimer::timeout, this, [this] { repeat_.start(); });
  QObject::connect(&repeat_, &QTimer::timeout, this, [this] { Spin(); });
}

void TGxSpinButtons::Spin() {
  if (pressed_ != hNone) edit_->Spin(pressed_ == hUp ? sbUp : sbDown);
}

void TGxSpinButtons::Press(THalf H) {
  pressed_ = H;
  update();
  Spin();
  delay_.start();
}

void TGxSpinButtons::Release() {
  delay_.stop();
  repeat_.stop();
  pressed_ = hNone;
  update();
}

void TGxSpinButtons::SetBothHot(bool V) {
  bothHot_ = V;
  if (!V) hot_ = hNone;
  update();
}

void TGxSpinButtons::mousePressEvent(QMouseEvent* E) {
  if (E->button() != Qt::LeftButton) return;
  Press(E->position().y() < height() / 2.0 ? hUp : hDown);
}

void TGxSpinButtons::mouseReleaseEvent(QMouseEvent*) { Release(); }

void TGxSpinButtons::mouseMoveEvent(QMouseEvent* E) {
  const THalf h = E->position().y() < height() / 2.0 ? hUp : hDown;
  if (h != hot_) {
    hot_ = h;
    update();
  }
}

void TGxSpinButtons::leaveEvent(QEvent*) { SetBothHot(false); }

void TGxSpinButtons::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int half = height() / 2;
  const QRect up(0, 0, width(), half), down(0, half, width(), height() - half);
  auto state = [&](THalf H) {
    if (!edit_->isEnabled()) return 4;
    if (pressed_ == H) return 3;
    return bothHot_ || hot_ == H ? 2 : 1;
  };
  const bool themed =
      TGxPaint::DrawThemed(this, p, QRect(0, -1, width(), half + 1), state(hUp), 1, "spin") &&
      TGxPaint::DrawThemed(this, p, down, state(hDown), 2, "spin");
  if (themed) return;
  for (THalf h : {hUp, hDown}) {
    const QRect r = h == hUp ? up : down;
    p.fillRect(r, GxColor(clBtnFace));
    if (pressed_ == h) {
      p.setPen(GxColor(clBtnShadow));
      p.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
      TGxPaint::DrawButtonFace(p, r, true);
    }
    const QPoint c = r.center() + (pressed_ == h ? QPoint(1, 1) : QPoint());
    p.setPen(Qt::NoPen);
    p.setBrush(GxColor(edit_->isEnabled() ? clBtnText : clGrayText));
    if (h == hUp) {
      const QPoint tri[3] = {c + QPoint(-3, 2), c + QPoint(4, 2), c + QPoint(0, -2)};
      p.drawPolygon(tri, 3);
    } else {
      const QPoint tri[3] = {c + QPoint(-3, -1), c + QPoint(4, -1), c + QPoint(0, 3)};
      p.drawPolygon(tri, 3);
    }
  }
}

// ---- spin edit ----

TGxSpinEdit::TGxSpinEdit(QWidget* Parent)
    : TGxCustomNumberEdit(Parent), buttons_(new TGxSpinButtons(this)) {
  precision_ = 0;
  UpdateMargins();
}

void TGxSpinEdit::SetSpinButtons(bool V) {
  spinButtons_ = V;
  UpdateMargins();
}

void TGxSpinEdit::GetMargins(int& Left, int& Right) const {
  TGxCustomNumberEdit::GetMargins(Left, Right);
  if (spinButtons_) Right = buttons_->width();
}

void TGxSpinEdit::PlaceChildren() {
  const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QRect c = contentsRect();
  const bool framed = hasFrame();
  buttons_->setGeometry(c.right() + 1 - w, framed ? c.top() + 1 : c.top(), w,
                        framed ? c.height() - 1 : c.height() + 1);
  buttons_->setVisible(spinButtons_);
}

void TGxSpinEdit::EditorPrepared() {
  TGxCustomNumberEdit::EditorPrepared();
  buttons_->update();
}

void TGxSpinEdit::Spin(TSpinButton B) {
  if (isReadOnly()) return;
  setFocus(Qt::OtherFocusReason);
  const double v = Value();
  if (B == sbUp) {
    if (RangeApplies() && v + Increment > Max) return;
    SetValue(v + Increment);
  } else {
    if (v == 0 && !Has(eoAllowSigns)) return;
    if (RangeApplies() && v - Increment < Min) return;
    SetValue(v - Increment);
  }
  end(false);
  if (OnSpin) OnSpin(this, B);
}

int32_t TGxSpinEdit::GetAsInteger() const { return gx::RoundInt(Value()); }

void TGxSpinEdit::keyPressEvent(QKeyEvent* E) {
  const int k = E->key();
  if ((k == Qt::Key_Up || k == Qt::Key_Down) && !(E->modifiers() & Qt::AltModifier)) {
    if (spinButtons_ && !CellStyle) {
      if (!E->isAutoRepeat()) buttons_->Press(k == Qt::Key_Up ? TGxSpinButtons::hUp
                                                              : TGxSpinButtons::hDown);
    }
    return;
  }
  TGxCustomNumberEdit::keyPressEvent(E);
}

void TGxSpinEdit::keyReleaseEvent(QKeyEvent* E) {
  if ((E->key() == Qt::Key_Up || E->key() == Qt::Key_Down) && !E->isAutoRepeat())
    buttons_->Release();
  TGxCustomNumberEdit::keyReleaseEvent(E);
}

void TGxSpinEdit::wheelEvent(QWheelEvent* E) {
  if (CellStyle || !spinButtons_) {
    TGxCustomNumberEdit::wheelEvent(E);
    return;
  }
  const int dy = E->angleDelta().y();
  for (int n = std::max(1, std::abs(dy) / 120); dy != 0 && n > 0; --n) Spin(dy > 0 ? sbUp : sbDown);
  E->accept();
}

void TGxSpinEdit::enterEvent(QEnterEvent* E) {
  buttons_->SetBothHot(true);
  TGxCustomNumberEdit::enterEvent(E);
}

void TGxSpinEdit::leaveEvent(QEvent* E) {
  buttons_->SetBothHot(false);
  TGxCustomNumberEdit::leaveEvent(E);
}
