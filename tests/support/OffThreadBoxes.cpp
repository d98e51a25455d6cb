// In every test program: a message box asked from a worker thread fails the running test.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/MsgBox.h"

namespace {
struct FailOffThreadBoxes {
  FailOffThreadBoxes() {
    platform::SetOffThreadBoxHandler([](const std::string& text, const std::string& caption) {
      ADD_FAILURE() << "message box asked from a worker thread: ["
                    << platform::Cp1251ToUtf8(caption) << "] " << platform::Cp1251ToUtf8(text);
    });
  }
} g_failOffThreadBoxes;
}  // namespace
