#include "platform/MsgBox.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace platform {

namespace {
MsgBoxHandler& Handler() {
  static MsgBoxHandler h;
  return h;
}
}  // namespace

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
  MsgBoxHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

MsgResult ShowMsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  if (Handler()) return Handler()(text, caption, buttons);
  std::fprintf(stderr, "[%s] %s\n", Cp1251ToUtf8(caption).c_str(), Cp1251ToUtf8(text).c_str());
  return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
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
