// File, colour and font dialogs behind replaceable handlers, as message boxes are (platform/MsgBox.h).
// Texts and file names are code page 1251; colours are 0x00BBGGRR.
// The program installs Qt handlers (modal dialogs); tests install ScriptedDialogs, which answers
// at once and records what was asked. Without a handler a dialog is written to standard error
// and counts as cancelled.
//
// TOpenDialog and TColorDialog are the dialog components of the forms: they keep their
// properties between uses and ask the handler when run (Execute).
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

// What an open-file dialog is asked with.
struct TFileAsk {
  std::string Title;       // empty: the system's caption
  std::string FileName;    // preset name (with or without a folder)
  std::string InitialDir;  // folder shown first when FileName names none; empty: current
  // Pairs "description|masks" joined by "|"; masks separated by ";" ("Texts|*.txt;*.dat|All|*").
  std::string Filter;
  int32_t FilterIndex = 1;  // 1-based pair shown first
  // A folder is asked for (InitialDir shown first; the user may make a new one).
  bool Folder = false;
};

// The file chosen (any name, existing or not), or nothing when cancelled.
using FileDialogHandler = std::function<std::optional<std::string>(const TFileAsk&)>;
// The colour chosen, or nothing when cancelled; asked with the colour shown first.
using ColorDialogHandler = std::function<std::optional<uint32_t>(uint32_t Color)>;

// The font chosen, or nothing when cancelled; asked with the font shown first.
using FontDialogHandler = std::function<std::optional<TFont>(const TFont& Font)>;

// Install a handler and return the previous one (an empty function restores the default).
FileDialogHandler SetFileDialogHandler(FileDialogHandler Handler);
ColorDialogHandler SetColorDialogHandler(ColorDialogHandler Handler);
FontDialogHandler SetFontDialogHandler(FontDialogHandler Handler);
std::optional<std::string> AskOpenFile(const TFileAsk& Ask);
std::optional<uint32_t> AskColor(uint32_t Color);
std::optional<TFont> AskFont(const TFont& Font);

// The open-file dialog of a form. Execute asks with the properties; on a choice FileName takes
// the chosen name and the result is true, on cancel nothing changes and the result is false.
class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;
  std::string FileName;
  std::string InitialDir;
  std::string Filter;
  int32_t FilterIndex = 1;
  std::string Title;
  bool Execute();
};

// The colour dialog of a form. Execute opens it with Color; on OK Color takes the chosen colour
// and the result is true, on cancel Color stays and the result is false.
class TColorDialog {
 public:
  virtual ~TColorDialog() = default;
  uint32_t Color = 0;  // black
  bool Execute();
};

// The font dialog of a form. Execute opens it with Font; on OK Font takes the chosen font and
// the result is true, on cancel Font stays and the result is false.
class TFontDialog {
 public:
  virtual ~TFontDialog() = default;
  TFont Font;
  bool Execute();
};

// Records every dialog and answers from queues, never blocking: a file dialog takes the next
// queued name, a colour dialog the next queued colour, a font dialog the next queued font; an empty queue (or a queued cancel)
// cancels. Installs itself while alive and restores the previous handlers when destroyed.
class ScriptedDialogs {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs();
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  void AnswerFile(const std::string& Name) { files_.emplace_back(Name); }
  void CancelFile() { files_.emplace_back(std::nullopt); }
  void AnswerColor(uint32_t Color) { colors_.emplace_back(Color); }
  void CancelColor() { colors_.emplace_back(std::nullopt); }
  void AnswerFont(const TFont& Font) { fonts_.emplace_back(Font); }
  void CancelFont() { fonts_.emplace_back(std::nullopt); }

  const std::vector<TFileAsk>& FileAsks() const { return fileAsks_; }
  const std::vector<uint32_t>& ColorAsks() const { return colorAsks_; }
  const std::vector<TFont>& FontAsks() const { return fontAsks_; }
  void Clear() {
    fileAsks_.clear();
    colorAsks_.clear();
    fontAsks_.clear();
  }

 private:
  std::vector<TFileAsk> fileAsks_;
  std::vector<uint32_t> colorAsks_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<uint32_t>> colors_;
  std::vector<TFont> fontAsks_;
  std::deque<std::optional<TFont>> fonts_;
  FileDialogHandler prevFile_;
  ColorDialogHandler prevColor_;
  FontDialogHandler prevFont_;
};

}  // namespace platform
