#include "mainwindow/PictPlotter.h"

#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvPictWindows.h"

bool ShowPictPlotter() {
  if (!FPict || !PLOTTER) return false;
  FPict->ShowWindow();
  FPict->State().PlotterOn = true;
  FPict->Bind(*PLOTTER);
  return PLOTTER->CheckArrPlot();
}

bool PrepPictPlotter() {
  if (!ShowPictPlotter()) return false;
  if (PLOTTER->kLayOut == 0) PLOTTER->SyncCurArrPlot();
  return true;
}
