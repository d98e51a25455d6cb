// The Qt application of a test program that shows widgets: made once, offscreen unless the
// environment names another platform.
#pragma once
#include <QApplication>

namespace testsupport {

inline QApplication* QtTestApp() {
  static int argc = 1;
  static char name[] = "corvesta-test";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

}  // namespace testsupport
