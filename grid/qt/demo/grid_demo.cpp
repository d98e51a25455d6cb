// grid_demo [--rows N] [--grab FILE.png]: shows the demo grid; with --grab it renders the window
// into the file and ends (works offscreen).
#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "grid/qt/demo/GridDemo.h"
#include "platform/SysInfo.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::UseCNumbers();
  int rows = 10000;
  const char* grab = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rows") && i + 1 < argc)
      rows = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--grab") && i + 1 < argc)
      grab = argv[++i];
  }
  griddemo::TGridDemo d = griddemo::MakeGridDemo(rows);
  std::unique_ptr<QWidget> window(d.Window);
  window->show();
  if (grab) {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    return window->grab().save(grab) ? 0 : 1;
  }
  return app.exec();
}
