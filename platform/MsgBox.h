// Message boxes behind a replaceable handler. Texts and captions are code page 1251.
// The program installs a Qt handler (modal boxes); tests and headless runs install a scripted one
// that never blocks. Without any handler, boxes are written to standard error and answered
// with OK / No.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

using MsgBoxHandler =
    std::function<MsgResult(const std::string& text, const std::string& caption, MsgButtons)>;

// Installs a handler and returns the previous one (an empty function restores the default).
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

// A box asked from a thread other than the window's never reaches the handler: the off-thread
// handler gets its text (the program logs it; tests fail) and the box's default answer (OK / No)
// is returned. Without one the text goes to standard error.
using OffThreadBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;
OffThreadBoxHandler SetOffThreadBoxHandler(OffThreadBoxHandler handler);
// The window's thread: the process's main thread unless set from another.
void SetGuiThread();
bool OnGuiThread();
MsgResult ShowMsgBox(const std::string& text, const std::string& caption,
                     MsgButtons buttons = MsgButtons::Ok);

// Records every box and answers Yes/No boxes from a queue (No when the queue is empty).
// Installs itself while alive and restores the previous handler when destroyed.
class ScriptedMsgBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;
    MsgButtons buttons;
  };
  ScriptedMsgBoxes();
  ~ScriptedMsgBoxes();
  ScriptedMsgBoxes(const ScriptedMsgBoxes&) = delete;
  ScriptedMsgBoxes& operator=(const ScriptedMsgBoxes&) = delete;

  void Answer(MsgResult r) { answers_.push_back(r); }
  const std::vector<Box>& Shown() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  std::vector<Box> shown_;
  std::deque<MsgResult> answers_;
  MsgBoxHandler previous_;
};

}  // namespace platform
