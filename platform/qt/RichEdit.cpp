#include "platform/qt/RichEdit.h"

#include <QTextBlock>
#include <algorithm>
#include <QTextCursor>

#include "platform/qt/QtCanvas.h"

namespace platform {


namespace {

uint32_t Bgr(const QColor& C) {
  return uint32_t(C.red()) | (uint32_t(C.green()) << 8) | (uint32_t(C.blue()) << 16);
}

QColor FromBgr(uint32_t C) { return QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF)); }

}  // namespace

TRichEdit::TRichEdit(QWidget* Parent) : TFormCtl("TRichEdit", Parent) {
  setAcceptRichText(true);
  document()->setDocumentMargin(1);  // one line fits a field of an edit's height
}

std::string TRichEdit::Text() const { return FromQtStr(toPlainText()); }

void TRichEdit::SetText(const std::string& T) { setPlainText(QtStr(T)); }

void TRichEdit::SetWordWrap(bool W) { setLineWrapMode(W ? QTextEdit::WidgetWidth : QTextEdit::NoWrap); }

int32_t TRichEdit::SelStart() const { return textCursor().selectionStart(); }

int32_t TRichEdit::SelLength() const {
  const QTextCursor c = textCursor();
  return c.selectionEnd() - c.selectionStart();
}

void TRichEdit::SetSel(int32_t Start, int32_t Length) {
  QTextCursor c(document());
  const int32_t last = document()->characterCount() - 1;
  const int32_t a = std::clamp(Start, 0, last), b = std::clamp(Start + std::max(Length, 0), 0, last);
  c.setPosition(a);
  c.setPosition(b, QTextCursor::KeepAnchor);
  setTextCursor(c);
}

std::string TRichEdit::SelText() const {
  return FromQtStr(textCursor().selectedText().replace(QChar(0x2029), QChar('\n')));
}

TRichCharFormat TRichEdit::SelFormat() const {
  // the first selected character's format (the format of the character before a position)
  QTextCursor c = textCursor();
  QTextCharFormat f;
  if (c.hasSelection()) {
    QTextCursor first(document());
    first.setPosition(c.selectionStart() + 1);
    f = first.charFormat();
  } else {
    f = currentCharFormat();
  }
  const QFont font = f.font().resolve(document()->defaultFont());
  TRichCharFormat R;
  R.Name = FromQtStr(font.family());
  R.Size = font.pointSize() > 0 ? font.pointSize() : int32_t(font.pointSizeF() + 0.5);
  R.Weight = font.weight();
  R.Bold = font.weight() >= QFont::Bold;
  R.Italic = font.italic();
  R.Underline = font.underline();
  R.StrikeOut = font.strikeOut();
  R.VAlign = f.verticalAlignment() == QTextCharFormat::AlignSubScript     ? 1
             : f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 2
                                                                          : 0;
  R.Color = Bgr(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color()
                                                             : palette().color(QPalette::Text));
  R.BackColor = Bgr(f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color()
                                                                 : palette().color(QPalette::Base));
  const Qt::Alignment a = c.blockFormat().alignment();
  R.Alignment = a & Qt::AlignRight    ? "right"
                : a & Qt::AlignHCenter ? "center"
                : a & Qt::AlignJustify ? "justify"
                                       : "left";
  return R;
}

std::string TRichEdit::OwnFontName() const { return FromQtStr(font().family()); }

void TRichEdit::SetSelFontName(const std::string& Name) {
  QTextCharFormat f;
  f.setFontFamilies({QtStr(Name)});
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelSize(int32_t Points) {
  if (Points < 1) Points = 1;
  QTextCharFormat f;
  f.setFontPointSize(Points);
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelBold(bool On) {
  QTextCharFormat f;
  f.setFontWeight(On ? QFont::Bold : QFont::Normal);
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelItalic(bool On) {
  QTextCharFormat f;
  f.setFontItalic(On);
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelUnderline(bool On) {
  QTextCharFormat f;
  f.setFontUnderline(On);
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelVAlign(int32_t V) {
  QTextCharFormat f;
  f.setVerticalAlignment(V == 1   ? QTextCharFormat::AlignSubScript
                         : V == 2 ? QTextCharFormat::AlignSuperScript
                                  : QTextCharFormat::AlignNormal);
  mergeCurrentCharFormat(f);
}

void TRichEdit::SetSelColor(uint32_t Color) {
  QTextCharFormat f;
  f.setForeground(FromBgr(Color));
  mergeCurrentCharFormat(f);
}

}  // namespace platform
