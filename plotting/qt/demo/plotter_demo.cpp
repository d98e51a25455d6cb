// The plotter's demo in the picture window:
//   plotter_demo MODELDIR [file.png] [w h]   offscreen, the back buffer written as PNG
//   plotter_demo MODELDIR --show              the picture window and its tool, to try by hand
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plotting/cvPLOT.h"
#include "plotting/cvPlotDemo.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvFPict.h"
#include "platform/SysInfo.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  platform::UseCNumbers();
  InstallPlottingQt();
  if (argc < 2) {
    std::fprintf(stderr, "usage: plotter_demo MODELDIR [file.png] [w h] | MODELDIR --show\n");
    return 2;
  }
  const bool Show = argc > 2 && std::strcmp(argv[2], "--show") == 0;
  const std::string File = argc > 2 && !Show ? argv[2] : "plotter_demo.png";
  const int W = argc > 4 ? std::atoi(argv[3]) : 1000, H = argc > 4 ? std::atoi(argv[4]) : 750;
  TFPict Pict;
  TFPicTool Tool;
  Pict.resize(W, H);
  Pict.show();
  QApplication::processEvents();
  PlotterUnitInit();
  Pict.Bind(*PLOTTER);
  if (Show) {
    Tool.Attach(PLOTTER, &Pict);
    Pict.OnShowTools = [&Tool] { Tool.show(); };
  }
  if (!PlotModelDemo(*PLOTTER, argv[1])) {
    std::fprintf(stderr, "cannot read the models in %s\n", argv[1]);
    return 1;
  }
  if (Show) {
    Tool.show();
    const int Rc = App.exec();
    PLOTTER->Tools = &StandInPlotHost();
    return Rc;
  }
  QApplication::processEvents();
  if (!SaveBitmapPng(Pict.Buffer(), File)) {
    std::fprintf(stderr, "cannot write %s\n", File.c_str());
    return 1;
  }
  FreePLOTTER();
  return 0;
}
