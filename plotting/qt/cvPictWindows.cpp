// The program's picture window and picture tool.
#include "plotting/qt/cvPictWindows.h"

#include "plotting/cvPLOT.h"
#include "plotting/qt/cvFPict.h"
#include "plotting/qt/cvFPicTool.h"

TFPict* FPict = nullptr;
TFPicTool* FPicTool = nullptr;

void CreatePictWindows(QWidget*) {
  if (FPict) return;
  if (!PLOTTER) PlotterUnitInit();
  FPict = new TFPict();
  FPicTool = new TFPicTool();
  FPict->OnShowTools = [] { ShowPictTools(); };
  FPict->Bind(*PLOTTER);
  // The window starts hidden and off; the tool's show-picture button turns it on.
  FPict->State().PlotterOn = false;
  FPict->State().SetBlinkTimer(false);
  FPicTool->Attach(PLOTTER, FPict);
}

void FreePictWindows() {
  if (PLOTTER && FPicTool && PLOTTER->Tools == &FPicTool->Model) PLOTTER->Tools = &StandInPlotHost();
  delete FPicTool;
  FPicTool = nullptr;
  delete FPict;
  FPict = nullptr;
}

void ShowPictTools() {
  if (!FPicTool) return;
  FPicTool->show();
  FPicTool->raise();
}
