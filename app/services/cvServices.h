// The start-up's hand-over of the frame's services to the computing libraries: each library's
// services object is filled from the application object, the working-directory table, the
// information panel and the editor. Used by the program, the command-line harness and tests.
#pragma once

// Line data: the root, the working-directory table, the autosave folders, the fatal path, the
// panel's "UM" field, lists and files opened in the editor.
void InstallLineDataServices();

// Scans: the data root of the level-1 scans (the user's folder, which gets a copy of the bundled
// demo scans on first use).
void InstallScanServices();

// Models: the root, the working-directory table, the fatal path, files opened in the editor, and
// the makers of the variator list LVARI (its expansion callback SpreadFunc) and of the width
// variator VARIWHM that the unit start (cvDirsUnitStart) runs. Also done before main() runs.
void InstallModelServices();

// Synthesis: the current quest of new profiles; the transfer routines behind the links of the
// line preparation (PCONT, the Zeeman patterns) and of the fixed-grid driver (PLAM, aSEX0,
// VariLoadEps). The Unno tab's reference wavelength
// (edLam0_for_Pu) and the calculation state's values (CONT) are installed by their own code when
// it comes; until then the profile code takes an empty field and a fresh state. Also done before
// main() runs.
void InstallSynthesisServices();

// Plotting: the graphics device's warnings (through the sink). The screen size comes from the
// device's Qt side (InstallPlottingQt).
void InstallPlotServices();

// The option files of the current project's OTL folders made from the root's templates where
// they are missing or older (TcvDirList.CheckByTPL of every PROJ OTL row of the table).
void CopyOptionTemplates();
