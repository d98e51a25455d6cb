#include "platform/MsgBox.h"

#include <cstdio>
#include <thread>

#include "platform/CodePage.h"

namespace platform {

namespace {
MsgBoxHandler& Handler() {
  static MsgBoxHandler h;
  return h;
}

OffThreadBoxHandler& OffThread() {
  static OffThreadBoxHandler h;
  return h;
}

// Static initialisation runs on the process's main thread, the window's thread.
std::thread::id g_guiThread = std::this_thread::get_id();

MsgResult DefaultAnswer(MsgButtons buttons) {
  return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
}
}  // namespace

void SetGuiThread() { g_guiThread = std::this_thread::get_id(); }
bool OnGuiThread() { return std::this_thread::get_id() == g_guiThread; }

OffThreadBoxHandler SetOffThreadBoxHandler(OffThreadBoxHandler handler) {
  OffThreadBoxHandler old = std::move(OffThread());
  OffThread() = std::move(handler);
  return old;
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
  MsgBoxHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

MsgResult ShowMsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  if (!OnGuiThread()) {
    // No modal box from a worker: the text is handed on (logged) and the default answer given.
    if (OffThread())
      OffThread()(text, caption);
    else
      std::fprintf(stderr, "[%s] %s\n", Cp1251ToUtf8(caption).c_str(),
                   Cp1251ToUtf8(text).c_str());
    return DefaultAnswer(buttons);
  }
  if (Handler()) return Handler()(text, caption, buttons);
  std::fprintf(stderr, "[%s] %s\n", Cp1251ToUtf8(caption).c_str(), Cp1251ToUtf8(text).c_str());
  return DefaultAnswer(buttons);
}

ScriptedMsgBoxes::ScriptedMsgBoxes() {
  previous_ = SetMsgBoxHandler([this](const std::string& text, const std::string& caption,
                                      MsgButtons buttons) {
    shown_.push_back({text, caption, buttons});
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (answers_.empty()) return MsgResult::No;
    MsgResult r = answers_.front();
    answers_.pop_front();
    return r;
  });
}

ScriptedMsgBoxes::~ScriptedMsgBoxes() { SetMsgBoxHandler(std::move(previous_)); }

}  // namespace platform
