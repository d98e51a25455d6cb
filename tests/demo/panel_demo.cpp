// Shows the bundled information panel above the editor: panel_demo [application root]
#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "demo/PanelDemo.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtMsgBox.h"
#include "platform/qt/QtTimer.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::InstallQtGraphics();
  platform::InstallQtTimers();
  platform::InstallQtMsgBoxes();
  platform::InstallQtClipboard();
  const std::string root = argc > 1 ? argv[1] : CORVESTA_SOURCE_ROOT "/data";
  const std::string work = QDir::tempPath().toStdString();
  PanelDemo demo(root, work);
  demo.strip->StartTimers();
  return app.exec();
}
