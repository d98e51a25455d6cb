// The program started on a copy of the bundled root, offscreen, for the main window's tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/MsgBox.h"
#include "support/TestSupport.h"

class QApplication;

namespace mwtest {

// The test program's Qt application (a TCvApplication, offscreen), made on first use.
QApplication* TheApp();

// A copy of data/ as an application root in a temporary folder.
class TRootCopy {
 public:
  TRootCopy();
  std::string Root() const { return root_; }   // with its trailing "/"
  std::string Exe() const { return root_ + "bin/corvesta"; }
  std::string File(const std::string& Rel) const { return root_ + Rel; }

 private:
  testsupport::TempDir dir_;
  std::string root_;
};

// True when some recorded box's text holds Part.
bool BoxShown(const platform::ScriptedMsgBoxes& Boxes, const std::string& Part);
std::string AllBoxes(const platform::ScriptedMsgBoxes& Boxes);

// The program started (window shown) before each test and shut down after it.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Lets the event loop run for Ms milliseconds.
  static void Wait(int Ms);

  std::unique_ptr<platform::ScriptedMsgBoxes> boxes;
  std::unique_ptr<TRootCopy> root;
  // Prepares the root before the start (remove a file, change settings ...).
  virtual void PrepareRoot(TRootCopy&) {}
};

}  // namespace mwtest
