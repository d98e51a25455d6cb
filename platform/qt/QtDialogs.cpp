#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QThread>
#include <cstdio>

#include "platform/CodePage.h"
#include "platform/FileErr.h"
#include "platform/MsgBox.h"

namespace platform {

namespace {

QString ToQt(const std::string& Cp1251) { return QString::fromStdString(Cp1251ToUtf8(Cp1251)); }
QString SysQt(const std::string& Name) { return QString::fromStdString(SysPath(Name)); }

bool OnGuiThread() {
  const QCoreApplication* A = QCoreApplication::instance();
  return A && QThread::currentThread() == A->thread();
}

std::string Trimmed(const std::string& S) {
  const size_t a = S.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return S.substr(a, S.find_last_not_of(' ') - a + 1);
}

std::optional<std::string> QtOpenFile(const TFileAsk& Ask) {
  if (!OnGuiThread()) {
    std::fprintf(stderr, "[open file] %s: %s (cancelled: asked outside the GUI thread)\n",
                 Cp1251ToUtf8(Ask.Title).c_str(), Cp1251ToUtf8(Ask.FileName).c_str());
    return std::nullopt;
  }
  QFileDialog D(QApplication::activeWindow());
  D.setAcceptMode(QFileDialog::AcceptOpen);
  D.setFileMode(Ask.Folder ? QFileDialog::Directory : QFileDialog::AnyFile);
  if (Ask.Folder) {
    D.setOption(QFileDialog::ShowDirsOnly);
    if (!Ask.InitialDir.empty()) D.setDirectory(SysQt(Ask.InitialDir));
  }
  if (!Ask.Title.empty()) D.setWindowTitle(ToQt(Ask.Title));
  const QStringList filters = QtNameFilters(Ask.Filter);
  if (!filters.isEmpty()) {
    D.setNameFilters(filters);
    if (Ask.FilterIndex >= 1 && Ask.FilterIndex <= filters.size())
      D.selectNameFilter(filters[Ask.FilterIndex - 1]);
  }
  // A preset name with a folder opens that folder; a bare name opens the initial folder.
  const std::string sys = SysPath(Ask.FileName);
  const bool hasFolder = sys.find('/') != std::string::npos;
  if (!hasFolder && !Ask.InitialDir.empty()) D.setDirectory(SysQt(Ask.InitialDir));
  if (!Ask.FileName.empty()) D.selectFile(QString::fromStdString(sys));
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return std::nullopt;

  const std::string chosen = D.selectedFiles().front().toStdString();
  const std::string name = FromSysPath(chosen);
  if (SysPath(name) != chosen) {
    ShowMsgBox(Utf8ToCp1251("Имя файла нельзя использовать в программе "
                            "(символы вне кодовой страницы 1251 или \"\\\"):\n") +
                   name,
               "Corvesta");
    return std::nullopt;
  }
  return name;
}

std::optional<uint32_t> QtColor(uint32_t Color) {
  if (!OnGuiThread()) {
    std::fprintf(stderr, "[colour] %06X (cancelled: asked outside the GUI thread)\n",
                 static_cast<unsigned>(Color & 0xFFFFFF));
    return std::nullopt;
  }
  QColorDialog D(QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF),
                 QApplication::activeWindow());
  if (D.exec() != QDialog::Accepted) return std::nullopt;
  const QColor C = D.selectedColor();
  return static_cast<uint32_t>(C.red()) | static_cast<uint32_t>(C.green()) << 8 |
         static_cast<uint32_t>(C.blue()) << 16;
}

std::optional<TFont> QtFont(const TFont& Font) {
  if (!OnGuiThread()) {
    std::fprintf(stderr, "[font] %s (cancelled: asked outside the GUI thread)\n",
                 Cp1251ToUtf8(Font.Name).c_str());
    return std::nullopt;
  }
  QFont F(ToQt(Font.Name));
  F.setPointSize(Font.Size > 0 ? Font.Size : 10);
  F.setBold(Font.Style & fsBold);
  F.setItalic(Font.Style & fsItalic);
  F.setUnderline(Font.Style & fsUnderline);
  F.setStrikeOut(Font.Style & fsStrikeOut);
  bool Ok = false;
  const QFont C = QFontDialog::getFont(&Ok, F, QApplication::activeWindow());
  if (!Ok) return std::nullopt;
  TFont R = Font;  // colour, character set and resolution stay
  R.Name = Utf8ToCp1251(C.family().toStdString());
  R.Size = C.pointSize() > 0 ? C.pointSize() : Font.Size;
  R.Style = static_cast<uint8_t>((C.bold() ? fsBold : 0) | (C.italic() ? fsItalic : 0) |
                                 (C.underline() ? fsUnderline : 0) |
                                 (C.strikeOut() ? fsStrikeOut : 0));
  return R;
}

}  // namespace

QStringList QtNameFilters(const std::string& Filter) {
  QStringList out;
  if (Filter.empty()) return out;
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t bar = Filter.find('|', from);
    parts.push_back(Filter.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
    if (bar == std::string::npos) break;
    from = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string masks, word;
    for (const char c : parts[i + 1] + ";") {
      if (c != ';' && c != ' ') {
        word += c;
      } else if (!word.empty()) {
        masks += (masks.empty() ? "" : " ") + word;
        word.clear();
      }
    }
    if (masks.empty()) continue;
    const std::string desc = Trimmed(parts[i]);
    const std::string shown = "(" + masks + ")";
    std::string f;
    if (desc.empty())
      f = masks;
    else if (desc.size() > shown.size() &&
             desc.compare(desc.size() - shown.size(), std::string::npos, shown) == 0)
      f = desc;
    else
      f = desc + " (" + masks + ")";
    out << ToQt(f);
  }
  return out;
}

void InstallQtDialogs() {
  SetFileDialogHandler(QtOpenFile);
  SetColorDialogHandler(QtColor);
  SetFontDialogHandler(QtFont);
}

}  // namespace platform
