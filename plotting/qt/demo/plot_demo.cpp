// Draws the device's test page offscreen and writes it as PNG: plot_demo [file.png] [w h].
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "plotting/cvGRADDemo.h"
#include "plotting/qt/cvGRADQt.h"
#include "platform/SysInfo.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  platform::UseCNumbers();
  InstallPlottingQt();
  const std::string File = argc > 1 ? argv[1] : "graf_page.png";
  const int W = argc > 3 ? std::atoi(argv[2]) : 1200, H = argc > 3 ? std::atoi(argv[3]) : 900;
  platform::TBitmap Bm(W, H);
  TGRAF G;
  DrawTestPage(G, Bm.Canvas());
  if (!SaveBitmapPng(Bm, File)) {
    std::fprintf(stderr, "cannot write %s\n", File.c_str());
    return 1;
  }
  return 0;
}
