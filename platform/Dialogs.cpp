#include "platform/Dialogs.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace platform {

namespace {
FileDialogHandler& FileHandler() {
  static FileDialogHandler h;
  return h;
}
ColorDialogHandler& ColorHandler() {
  static ColorDialogHandler h;
  return h;
}
FontDialogHandler& FontHandler() {
  static FontDialogHandler h;
  return h;
}
}  // namespace

FileDialogHandler SetFileDialogHandler(FileDialogHandler Handler) {
  FileDialogHandler old = std::move(FileHandler());
  FileHandler() = std::move(Handler);
  return old;
}

ColorDialogHandler SetColorDialogHandler(ColorDialogHandler Handler) {
  ColorDialogHandler old = std::move(ColorHandler());
  ColorHandler() = std::move(Handler);
  return old;
}

FontDialogHandler SetFontDialogHandler(FontDialogHandler Handler) {
  FontDialogHandler old = std::move(FontHandler());
  FontHandler() = std::move(Handler);
  return old;
}

std::optional<std::string> AskOpenFile(const TFileAsk& Ask) {
  if (FileHandler()) return FileHandler()(Ask);
  std::fprintf(stderr, "[open file] %s: %s (cancelled: no dialogs here)\n",
               Cp1251ToUtf8(Ask.Title).c_str(), Cp1251ToUtf8(Ask.FileName).c_str());
  return std::nullopt;
}

std::optional<uint32_t> AskColor(uint32_t Color) {
  if (ColorHandler()) return ColorHandler()(Color);
  std::fprintf(stderr, "[colour] %06X (cancelled: no dialogs here)\n",
               static_cast<unsigned>(Color & 0xFFFFFF));
  return std::nullopt;
}

std::optional<TFont> AskFont(const TFont& Font) {
  if (FontHandler()) return FontHandler()(Font);
  std::fprintf(stderr, "[font] %s %d (cancelled: no dialogs here)\n",
               Cp1251ToUtf8(Font.Name).c_str(), static_cast<int>(Font.Size));
  return std::nullopt;
}

bool TOpenDialog::Execute() {
  const std::optional<std::string> r =
      AskOpenFile(TFileAsk{Title, FileName, InitialDir, Filter, FilterIndex});
  if (!r) return false;
  FileName = *r;
  return true;
}

bool TColorDialog::Execute() {
  const std::optional<uint32_t> r = AskColor(Color);
  if (!r) return false;
  Color = *r;
  return true;
}

bool TFontDialog::Execute() {
  const std::optional<TFont> r = AskFont(Font);
  if (!r) return false;
  Font = *r;
  return true;
}

ScriptedDialogs::ScriptedDialogs() {
  prevFile_ = SetFileDialogHandler([this](const TFileAsk& Ask) -> std::optional<std::string> {
    fileAsks_.push_back(Ask);
    if (files_.empty()) return std::nullopt;
    std::optional<std::string> r = std::move(files_.front());
    files_.pop_front();
    return r;
  });
  prevColor_ = SetColorDialogHandler([this](uint32_t Color) -> std::optional<uint32_t> {
    colorAsks_.push_back(Color);
    if (colors_.empty()) return std::nullopt;
    const std::optional<uint32_t> r = colors_.front();
    colors_.pop_front();
    return r;
  });
  prevFont_ = SetFontDialogHandler([this](const TFont& Font) -> std::optional<TFont> {
    fontAsks_.push_back(Font);
    if (fonts_.empty()) return std::nullopt;
    std::optional<TFont> r = std::move(fonts_.front());
    fonts_.pop_front();
    return r;
  });
}

ScriptedDialogs::~ScriptedDialogs() {
  SetFileDialogHandler(std::move(prevFile_));
  SetColorDialogHandler(std::move(prevColor_));
  SetFontDialogHandler(std::move(prevFont_));
}

}  // namespace platform
