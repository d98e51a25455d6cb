#include "platform/Clipboard.h"

namespace platform {

namespace {
MemoryClipboard& Default() {
  static MemoryClipboard c;
  return c;
}

ClipboardService*& Installed() {
  static ClipboardService* s = nullptr;
  return s;
}

ClipboardService& Current() { return Installed() ? *Installed() : Default(); }
}  // namespace

bool ClipboardService::HasSpreadsheet() const { return Text().find('\t') != std::string::npos; }

ClipboardService* SetClipboardService(ClipboardService* service) {
  ClipboardService* old = Installed();
  Installed() = service;
  return old;
}

std::string ClipboardText() { return Current().Text(); }
void SetClipboardText(const std::string& text) { Current().SetText(text); }
bool ClipboardHasSpreadsheet() { return Current().HasSpreadsheet(); }

}  // namespace platform
