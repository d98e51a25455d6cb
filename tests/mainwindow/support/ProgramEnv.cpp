#include "mainwindow/support/ProgramEnv.h"

#include <QApplication>
#include <QTest>
#include <filesystem>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "foundation/cvSayer.h"
#include "mainwindow/MainLinks.h"
#include "mainwindow/Program.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtTimer.h"

namespace mwtest {

QApplication* TheApp() {
  static int argc = 1;
  static char name[] = "mainwindow_tests";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = [] {
    auto* a = new TCvApplication(argc, argv);
    platform::InstallQtGraphics();
    platform::InstallQtTimers();
    platform::InstallQtCursorServices();
    return a;
  }();
  return app;
}

TRootCopy::TRootCopy() {
  namespace fs = std::filesystem;
  const fs::path r = dir_.path() / "root";
  fs::copy(fs::path(testsupport::SourceRoot()) / "data", r, fs::copy_options::recursive);
  fs::create_directories(r / "bin");
  root_ = r.string() + "/";
}

bool BoxShown(const platform::ScriptedMsgBoxes& Boxes, const std::string& Part) {
  for (const auto& b : Boxes.Shown())
    if (b.text.find(Part) != std::string::npos) return true;
  return false;
}

std::string AllBoxes(const platform::ScriptedMsgBoxes& Boxes) {
  std::string s;
  for (const auto& b : Boxes.Shown()) s += "[" + b.text + "]\n";
  return s;
}

void ProgramTest::SetUp() {
  TheApp();
  ResetSayerForTests();
  ResetAppForTests();
  applinks::ResetAll();
  mainlinks::ResetAll();
  boxes = std::make_unique<platform::ScriptedMsgBoxes>();
  root = std::make_unique<TRootCopy>();
  PrepareRoot(*root);
  TStartOptions o;
  o.ExeFileName = root->Exe();
  o.Show = true;
  CorvestaStartup(o);
  QApplication::processEvents();
}

void ProgramTest::TearDown() {
  CorvestaShutdown();
  QApplication::processEvents();
  applinks::ResetAll();
  mainlinks::ResetAll();
  ResetSayerForTests();
  ResetAppForTests();
  boxes.reset();
}

void ProgramTest::Wait(int Ms) { QTest::qWait(Ms); }

}  // namespace mwtest
