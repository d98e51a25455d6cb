#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/CodePage.h"

namespace platform {

namespace {
QClipboard* SystemClipboard() {
  return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

// CR LF, CR and LF all become CR LF.
std::string ToCrLf(const std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (s[i] == '\n') {
      out += "\r\n";
    } else {
      out += s[i];
    }
  }
  return out;
}

// CR LF and CR become LF.
std::string ToLf(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}
}  // namespace

std::string QtClipboard::Text() const {
  QClipboard* cb = SystemClipboard();
  if (!cb) return {};
  const QByteArray utf8 = cb->text().toUtf8();
  return ToCrLf(Utf8ToCp1251(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))));
}

void QtClipboard::SetText(const std::string& text) {
  QClipboard* cb = SystemClipboard();
  if (!cb) return;
  cb->setText(QString::fromStdString(Cp1251ToUtf8(ToLf(text))));
}

bool QtClipboard::HasSpreadsheet() const {
  QClipboard* cb = SystemClipboard();
  if (!cb) return false;
  const QMimeData* md = cb->mimeData();
  return md && md->hasText() && md->text().contains(QLatin1Char('\t'));
}

void InstallQtClipboard() {
  static QtClipboard clipboard;
  SetClipboardService(&clipboard);
}

}  // namespace platform
