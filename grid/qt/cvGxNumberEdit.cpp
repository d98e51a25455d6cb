// The number edit's filtering, cleaning, formatting and spin.
#include "grid/qt/cvGxNumberEdit.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>

#include "grid/cvGxNum.h"

TGxNumberEdit::TGxNumberEdit(QWidget* Parent) : QLineEdit(Parent) {}

double TGxNumberEdit::Clamp(double V) const {
  if (!RangeApplies()) return V;
  if (V > Max) V = Max;
  if (V < Min) V = Min;
  return V;
}

std::string TGxNumberEdit::CleanText(const std::string& Text, bool Floats, bool Signs) const {
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

double TGxNumberEdit::Value() const {
  const std::string t = text().toStdString();
  if (t.empty()) return Min;
  double v = 0;
  gx::TryParseFloat(CleanText(t, Has(eoAllowFloat), Has(eoAllowSigns)), v);
  return v;
}

QString TGxNumberEdit::FormatValue(double V) const {
  if (V == 0 && !NullText.isEmpty()) return NullText;
  std::string s;
  if (Has(eoAllowFloat) && Precision <= 0) {
    s = gx::FloatText(V);
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", Has(eoAllowFloat) ? std::min(Precision, 18) : 0, V);
    s = buf;  // "%f" under the C locale the program keeps: "." always
  }
  return QString::fromStdString(s) + TextAfter;
}

void TGxNumberEdit::SetValue(double V) { setText(FormatValue(V)); }

void TGxNumberEdit::Spin(int Direction) {
  if (isReadOnly()) return;
  const double v = Value();
  if (Direction > 0) {
    if (RangeApplies() && v + Increment > Max) return;
    SetValue(v + Increment);
  } else {
    if (v == 0 && !Has(eoAllowSigns)) return;
    if (RangeApplies() && v - Increment < Min) return;
    SetValue(v - Increment);
  }
  end(false);
}

void TGxNumberEdit::keyPressEvent(QKeyEvent* E) {
  if (!Numeric) {
    QLineEdit::keyPressEvent(E);
    return;
  }
  const int key = E->key();
  if (Has(eoDisableTyping)) {
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Clear) return;
    if (!E->text().isEmpty() && E->text().at(0).isPrint()) return;
  }
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    Spin(key == Qt::Key_Up ? 1 : -1);
    return;
  }
  const QString t = E->text();
  if (Has(eoAllowAll) || t.size() != 1 || !t.at(0).isPrint() ||
      (E->modifiers() & Qt::ControlModifier)) {
    QLineEdit::keyPressEvent(E);
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
  QLineEdit::keyPressEvent(E);
}

void TGxNumberEdit::wheelEvent(QWheelEvent* E) {
  if (!Numeric) {
    QLineEdit::wheelEvent(E);
    return;
  }
  const int dy = E->angleDelta().y();
  if (dy != 0) Spin(dy > 0 ? 1 : -1);
  E->accept();
}
