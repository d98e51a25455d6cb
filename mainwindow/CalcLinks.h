// The calculator window FCalc for the main window: made and ended with the other tool windows;
// the links ShowCalculator and CalcRegression; the plotting services the picture tool's outputs
// need of the main window.
#pragma once

void CreateCalcWindow();
void FreeCalcWindow();
void InstallCalcLinks();
