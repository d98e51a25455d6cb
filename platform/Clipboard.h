// The clipboard's text as a replaceable service. Texts are code page 1251 with CR LF between
// lines, as the rest of the program writes them.
// Without an installed service the text is kept in memory (headless runs and tests); the
// program installs the Qt service (platform/qt/QtClipboard.h).
#pragma once
#include <string>

namespace platform {

class ClipboardService {
 public:
  virtual ~ClipboardService() = default;
  virtual std::string Text() const = 0;
  // Replaces the whole text.
  virtual void SetText(const std::string& text) = 0;
  // True when the clipboard holds spreadsheet cells: here, text with a tab in it.
  virtual bool HasSpreadsheet() const;
};

// The in-memory clipboard.
class MemoryClipboard : public ClipboardService {
 public:
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

// Installs a service and returns the previous one (nullptr for the in-memory default). The caller
// keeps ownership; nullptr restores the in-memory default.
ClipboardService* SetClipboardService(ClipboardService* service);

std::string ClipboardText();
void SetClipboardText(const std::string& text);
bool ClipboardHasSpreadsheet();

}  // namespace platform
