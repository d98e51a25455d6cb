// The Qt application of a test program that shows widgets: made once, offscreen unless the
// environment names another platform. As in the program, numbers stay in the "C" locale
// whatever locale Qt took from the environment.
#pragma once
#include <QApplication>
#include <QLocale>

#include "platform/SysInfo.h"

namespace testsupport {

inline QApplication* QtTestApp() {
  static int argc = 1;
  static char name[] = "corvesta-test";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    platform::UseCNumbers();
    QLocale::setDefault(QLocale::c());
    return a;
  }();
  return app;
}

}  // namespace testsupport
