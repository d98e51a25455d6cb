#include "platform/qt/QtMemo.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>

#include "platform/CodePage.h"
#include "platform/SysInfo.h"

namespace platform {

namespace {

QString ToQ(const std::string& S) { return QString::fromStdString(Cp1251ToUtf8(S)); }

std::string FromQ(const QString& S) {
  const QByteArray u = S.toUtf8();
  return Utf8ToCp1251(std::string_view(u.constData(), static_cast<size_t>(u.size())));
}

// CR LF and CR become LF.
QString ToLf(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r') {
      out += '\n';
      if (i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else {
      out += S[i];
    }
  }
  return ToQ(out);
}

// Keys of the main block by hardware scan code (set 1), as the keyboard has them whatever the
// layout: scan code -> virtual-key code.
uint16_t VKOfScan(int Scan) {
  static const uint16_t table[58] = {
      0,   0,   '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 189, 187, 0,   0,   // 0..15
      'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 219, 221, 0,   0,           // 16..29
      'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 186, 222, 192, 0,   220,         // 30..43
      'Z', 'X', 'C', 'V', 'B', 'N', 'M', 188, 190, 191, 0,   0,   0,   32};         // 44..57
  return Scan >= 0 && Scan < 58 ? table[Scan] : 0;
}

// Keys by the character they give in the US English layout.
uint16_t VKOfAscii(int C) {
  if ((C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9')) return static_cast<uint16_t>(C);
  if (C >= 'a' && C <= 'z') return static_cast<uint16_t>(C - 32);
  static const char plain[] = "`-=[]\\;',./";
  static const char shifted[] = "~_+{}|:\"<>?";
  static const uint16_t keys[] = {192, 189, 187, 219, 221, 220, 186, 222, 188, 190, 191};
  for (size_t i = 0; i < std::size(keys); ++i)
    if (plain[i] == C || shifted[i] == C) return keys[i];
  static const char digitShift[] = "!@#$%^&*()";
  for (int i = 0; i < 10; ++i)
    if (digitShift[i] == C) return static_cast<uint16_t>(i == 9 ? '0' : '1' + i);
  return 0;
}

// Keys by the Russian letter they give in the standard Russian layout.
uint16_t VKOfRussian(char32_t U) {
  static const char32_t letters[] = U"ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ";
  static const uint16_t keys[] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 219,
                                  221, 'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 186,
                                  222, 'Z', 'X', 'C', 'V', 'B', 'N', 'M', 188, 190, 192};
  for (size_t i = 0; i < std::size(keys); ++i)
    if (letters[i] == U) return keys[i];
  return 0;
}

}  // namespace

uint16_t VirtualKeyOf(const QKeyEvent* E) {
  const int k = E->key();
  const Qt::KeyboardModifiers m = E->modifiers();
  if (m & Qt::KeypadModifier) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<uint16_t>(96 + (k - Qt::Key_0));
    switch (k) {
      case Qt::Key_Asterisk: return 106;
      case Qt::Key_Plus: return 107;
      case Qt::Key_Minus: return 109;
      case Qt::Key_Period:
      case Qt::Key_Comma: return 110;
      case Qt::Key_Slash: return 111;
      default: break;
    }
  }
  switch (k) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Pause: return vk::Pause;
    case Qt::Key_CapsLock: return vk::Capital;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_NumLock: return vk::NumLock;
    case Qt::Key_ScrollLock: return vk::Scroll;
    default: break;
  }
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<uint16_t>(vk::F1 + (k - Qt::Key_F1));
  // On X11 the scan code names the key whatever the system's layout is.
  if (QGuiApplication::platformName() == QLatin1String("xcb") && E->nativeScanCode() > 8) {
    const uint16_t v = VKOfScan(static_cast<int>(E->nativeScanCode()) - 8);
    if (v) return v;
  }
  if (k > 32 && k < 127) return VKOfAscii(k);
  const char32_t u = QChar(static_cast<char16_t>(k)).toUpper().unicode();
  if (k > 0 && k < 0x10000) {
    if (const uint16_t v = VKOfRussian(u)) return v;
  }
  const QString t = E->text();
  if (!t.isEmpty()) {
    const char32_t c = t.at(0).toUpper().unicode();
    if (c > 32 && c < 127) return VKOfAscii(static_cast<int>(c));
    return VKOfRussian(c);
  }
  return 0;
}

QtMemo::QtMemo(QWidget* Parent) : QPlainTextEdit(Parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setObjectName(QStringLiteral("MemoEd"));
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    if (!document()->isEmpty()) oneEmptyLine_ = false;
  });
  SetFont(fontName_, fontCharset_, fontHeight_);
}

int QtMemo::LineCount() const {
  if (document()->isEmpty()) return oneEmptyLine_ ? 1 : 0;
  return document()->blockCount();
}

std::string QtMemo::Line(int Index) const {
  if (Index < 0 || Index >= LineCount() || document()->isEmpty()) return {};
  return FromQ(document()->findBlockByNumber(Index).text());
}

void QtMemo::KeepCaret(int L, int C) {
  const int n = LineCount();
  if (n == 0) return;
  L = std::clamp(L, 0, n - 1);
  QTextBlock b = document()->findBlockByNumber(L);
  QTextCursor cur(b);
  cur.setPosition(b.position() + std::clamp(C, 0, std::max(0, b.length() - 1)));
  setTextCursor(cur);
}

void QtMemo::SetLine(int Index, const std::string& Text) {
  if (Index < 0 || Index >= LineCount()) return;
  int l = 0, c = 0;
  CaretPos(l, c);
  if (document()->isEmpty()) {
    SetLines({Text});
  } else {
    QTextCursor cur(document()->findBlockByNumber(Index));
    cur.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cur.insertText(ToQ(Text));
    if (document()->isEmpty()) oneEmptyLine_ = true;
  }
  KeepCaret(l, c);
}

void QtMemo::InsertLine(int Index, const std::string& Text) {
  const int n = LineCount();
  if (Index < 0 || Index > n) Index = n;
  int l = 0, c = 0;
  CaretPos(l, c);
  const int newLine = (n > 0 && Index <= l) ? l + 1 : l;
  if (document()->isEmpty()) {
    std::vector<std::string> v(static_cast<size_t>(n));
    v.insert(v.begin() + Index, Text);
    SetLines(v);
  } else if (Index == n) {
    QTextCursor cur(document());
    cur.movePosition(QTextCursor::End);
    cur.insertText(QStringLiteral("\n") + ToQ(Text));
  } else {
    QTextCursor cur(document()->findBlockByNumber(Index));
    cur.insertText(ToQ(Text) + QStringLiteral("\n"));
  }
  KeepCaret(newLine, c);
}

void QtMemo::DeleteLine(int Index) {
  const int n = LineCount();
  if (Index < 0 || Index >= n) return;
  if (n == 1) {
    SetLines({});
    return;
  }
  int l = 0, c = 0;
  CaretPos(l, c);
  const QTextBlock b = document()->findBlockByNumber(Index);
  QTextCursor cur(document());
  if (Index < n - 1) {
    cur.setPosition(b.position());
    cur.setPosition(b.next().position(), QTextCursor::KeepAnchor);
  } else {
    const QTextBlock p = b.previous();
    cur.setPosition(p.position() + p.length() - 1);
    cur.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
  }
  cur.removeSelectedText();
  if (document()->isEmpty()) oneEmptyLine_ = true;
  KeepCaret(Index < l ? l - 1 : l, c);
}

std::vector<std::string> QtMemo::Lines() const {
  std::vector<std::string> v;
  if (document()->isEmpty()) {
    if (oneEmptyLine_) v.emplace_back();
    return v;
  }
  v.reserve(static_cast<size_t>(document()->blockCount()));
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) v.push_back(FromQ(b.text()));
  return v;
}

void QtMemo::SetLines(const std::vector<std::string>& Lines) {
  std::string all;
  size_t total = 0;
  for (const std::string& s : Lines) total += s.size() + 1;
  all.reserve(total);
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) all += '\n';
    all += Lines[i];
  }
  setPlainText(ToQ(all));
  oneEmptyLine_ = Lines.size() == 1 && Lines[0].empty();
}

void QtMemo::CaretPos(int& L, int& C) const {
  if (document()->isEmpty()) {
    L = C = 0;
    return;
  }
  const QTextCursor cur = textCursor();
  L = cur.blockNumber();
  C = cur.positionInBlock();
}

void QtMemo::SetCaret(int L, int C) { KeepCaret(L, C); }

bool QtMemo::HasSelection() const { return textCursor().hasSelection(); }

std::string QtMemo::SelectedText() const {
  QString s = textCursor().selectedText();
  s.replace(QChar(0x2029), QStringLiteral("\r\n"));
  return FromQ(s);
}

void QtMemo::SelectAll() { selectAll(); }

void QtMemo::InsertText(const std::string& Text) {
  textCursor().insertText(ToLf(Text));
  ensureCursorVisible();
}

int QtMemo::TopLine() const { return firstVisibleBlock().blockNumber(); }

void QtMemo::SetTopLine(int L) { verticalScrollBar()->setValue(std::max(L, 0)); }

int QtMemo::VisibleLineCount() const {
  const int h = fontMetrics().lineSpacing();
  return h > 0 ? viewport()->height() / h : 0;
}

void QtMemo::ScrollCaretIntoView() { ensureCursorVisible(); }

bool QtMemo::Visible() const { return !isHidden(); }

void QtMemo::SetVisible(bool On) { setVisible(On); }

bool QtMemo::ParentVisible() const { return parentWidget() ? !parentWidget()->isHidden() : true; }

std::string QtMemo::Name() const { return FromQ(objectName()); }

std::string QtMemo::ParentName() const {
  return parentWidget() ? FromQ(parentWidget()->objectName()) : std::string();
}

void QtMemo::BeginUpdate() {
  if (updates_++ == 0) setUpdatesEnabled(false);
}

void QtMemo::EndUpdate() {
  if (updates_ > 0 && --updates_ == 0) setUpdatesEnabled(true);
}

bool QtMemo::ReadOnly() const { return isReadOnly(); }

void QtMemo::SetReadOnly(bool On) { setReadOnly(On); }

uint32_t QtMemo::Color() const {
  const QColor c = palette().color(QPalette::Base);
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

void QtMemo::SetColor(uint32_t C) {
  QPalette p = palette();
  p.setColor(QPalette::Base, QColor(static_cast<int>(C & 0xFF), static_cast<int>((C >> 8) & 0xFF),
                                    static_cast<int>((C >> 16) & 0xFF)));
  setPalette(p);
}

void QtMemo::SetFont(const std::string& Name, int Charset, int Height) {
  fontName_ = Name;
  fontCharset_ = Charset;
  fontHeight_ = Height;
  QFont f(ToQ(Name));
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  if (Height > 0) f.setPixelSize(Height);
  setFont(f);
}

bool QtMemo::Focused() const { return hasFocus(); }

void QtMemo::SetFocus() { setFocus(); }

void QtMemo::Post(std::function<void()> Fn) {
  QMetaObject::invokeMethod(
      this, [Fn = std::move(Fn)] { if (Fn) Fn(); }, Qt::QueuedConnection);
}

void QtMemo::keyPressEvent(QKeyEvent* E) {
  const uint16_t key = VirtualKeyOf(E);
  const Qt::KeyboardModifiers m = E->modifiers();
  const bool shift = m & Qt::ShiftModifier, ctrl = m & Qt::ControlModifier,
             alt = m & Qt::AltModifier;
  // CapsLock has no portable query: a letter typed without modifiers tells its state.
  const QString t = E->text();
  if (t.size() == 1 && t.at(0).isLetter() && !shift && !ctrl && !alt)
    SetLockKeyOn('C', t.at(0).isUpper());
  if (handler_ && key != 0 && handler_->MemoKeyDown(key, shift, ctrl, alt)) {
    E->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(E);
}

void QtMemo::keyReleaseEvent(QKeyEvent* E) {
  QPlainTextEdit::keyReleaseEvent(E);
  if (E->isAutoRepeat() || !handler_) return;
  const Qt::KeyboardModifiers m = E->modifiers();
  handler_->MemoKeyUp(VirtualKeyOf(E), m & Qt::ShiftModifier, m & Qt::ControlModifier,
                      m & Qt::AltModifier);
}

void QtMemo::mousePressEvent(QMouseEvent* E) {
  if (E->button() == Qt::RightButton) setTextCursor(cursorForPosition(E->position().toPoint()));
  QPlainTextEdit::mousePressEvent(E);
  if (handler_) handler_->MemoClick();
}

void QtMemo::mouseDoubleClickEvent(QMouseEvent* E) {
  if (E->button() == Qt::LeftButton && handler_ && handler_->MemoDoubleClick()) {
    E->accept();
    return;
  }
  QPlainTextEdit::mouseDoubleClickEvent(E);
}

void QtMemo::wheelEvent(QWheelEvent* E) {
  if (handler_ && handler_->MemoWheel(E->angleDelta().y())) {
    E->accept();
    return;
  }
  QPlainTextEdit::wheelEvent(E);
}

}  // namespace platform
