// The plotter's demo in the picture window, offscreen, written as PNG:
//   plotter_demo MODELDIR [file.png] [w h]
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/cvPlotDemo.h"
#include "platform/SysInfo.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  platform::UseCNumbers();
  InstallPlottingQt();
  if (argc < 2) {
    std::fprintf(stderr, "usage: plotter_demo MODELDIR [file.png] [w h]\n");
    return 2;
  }
  const std::string File = argc > 2 ? argv[2] : "plotter_demo.png";
  const int W = argc > 4 ? std::atoi(argv[3]) : 1000, H = argc > 4 ? std::atoi(argv[4]) : 750;
  TFPict Pict;
  Pict.resize(W, H);
  Pict.show();
  QApplication::processEvents();
  PlotterUnitInit();
  Pict.Bind(*PLOTTER);
  if (!PlotModelDemo(*PLOTTER, argv[1])) {
    std::fprintf(stderr, "cannot read the models in %s\n", argv[1]);
    return 1;
  }
  QApplication::processEvents();
  if (!SaveBitmapPng(Pict.Buffer(), File)) {
    std::fprintf(stderr, "cannot write %s\n", File.c_str());
    return 1;
  }
  FreePLOTTER();
  return 0;
}
