// The program's picture window FPict and picture tool FPicTool: made once at start-up over the
// program's plotter, ended at shut-down.
#pragma once

class QWidget;
class TFPict;
class TFPicTool;

extern TFPict* FPict;
extern TFPicTool* FPicTool;

// Makes both windows (hidden), binds the plotter to the picture window and the tool to both.
void CreatePictWindows(QWidget* MainWindow);
void FreePictWindows();
// The picture window's "Tools" item and the panel's "TG": the tool shown.
void ShowPictTools();
