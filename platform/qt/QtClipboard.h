// The system clipboard through QClipboard behind platform::ClipboardText.
#pragma once
#include <string>

#include "platform/Clipboard.h"

namespace platform {

// Reads and writes the system clipboard's text: UTF-8 and "\n" line ends outside, code page 1251
// and CR LF inside. Without a QGuiApplication it reads an empty text and writes nothing.
class QtClipboard : public ClipboardService {
 public:
  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool HasSpreadsheet() const override;
};

// Installs one QtClipboard as the clipboard service (it lives until the program ends).
void InstallQtClipboard();

}  // namespace platform
