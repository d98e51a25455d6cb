// Links from the main window to the windows and services of subsystems that are not built yet
// (plotting windows, the table-import language, the model side). Each is a TLink
// (foundation/cvLink.h) that the providing subsystem installs (Hooks().RunInpFile.Install(...));
// without a provider, what the user asks for reports that it is not available yet, what runs by
// itself at start-up only notes it through WARN, and the windows' creation and end, and the
// profile count (0), stay silent. The functions below call the links by their names.
#pragma once
#include <string>

#include "foundation/cvLink.h"

class QWidget;

namespace mainlinks {

struct THooks {
  // The windows made by the main block: FMap before the application's initialisation, FPict,
  // FPicTool, FTAnalize and FCalc after it; and their end.
  TLink<void(QWidget* MainWindow)> CreateMapWindow{"FMap", TLinkLoudness::Silent};
  TLink<void(QWidget* MainWindow)> CreateToolWindows{"FPict, FPicTool, FTAnalize, FCalc",
                                                     TLinkLoudness::Silent};
  TLink<void()> FreeWindows{"FPict.Free", TLinkLoudness::Silent};
  // FCalc: shown; its regression run.
  TLink<void()> ShowCalculator{"FCalc"};
  TLink<void()> CalcRegression{"TFCalc.btRegressClick"};
  // TFPict.MShowToolsClick: the picture tool window shown.
  TLink<void()> ShowPictureTools{"TFPict.MShowToolsClick"};
  // The table-import interpreter on a file of kind INPUTDATA or with the extension ".INP".
  TLink<void(const std::string& FileName)> RunInpFile{"RunInpFile"};
  // A graphics script played on the CORA picture; a contour-plot description drawn there.
  TLink<void(const std::string& FileName)> PlayGraphicsScript{"TGPlayer.PlayFile"};
  TLink<void(const std::string& FileName)> DrawContourPlot{"TCORA.ReadAndDrow"};
  // The number of profiles in the profile list.
  TLink<int()> ProfileCount{"LUNNO.Count", TLinkLoudness::Silent};
  // The model-vector keeper made anew; the model side's lists loaded (parameter list,
  // conversion functions, the variator list's expansion callback).
  TLink<void()> RenewModelVectors{"LVEMO := TLVEMO.Create", TLinkLoudness::Quiet};
  TLink<void()> LoadModelSideLists{"LVEPA.ReadVEMO, ConvList.Load",
                                   TLinkLoudness::Quiet};
  // RUN of the Project and Debug tabs: the current quest's control file loaded and every step
  // run.
  TLink<void()> LoadAndRunOne{"LoadAndRunOne"};
  // "Load DC" of the Project tab: the result file of an earlier run of the current quest loaded
  // into the profile list.
  TLink<void()> LoadDC{"btDC_LoadClick"};
  // The model-vector table refilled (the Dialog tab's delayed "ngVEMOfill").
  TLink<void()> VEMOFill{"TCorvesta.ngVEMOFill", TLinkLoudness::Quiet};
};
THooks& Hooks();

inline void CreateMapWindow(QWidget* MainWindow) { Hooks().CreateMapWindow(MainWindow); }
inline void CreateToolWindows(QWidget* MainWindow) { Hooks().CreateToolWindows(MainWindow); }
inline void FreeWindows() { Hooks().FreeWindows(); }
inline void ShowCalculator() { Hooks().ShowCalculator(); }
inline void CalcRegression() { Hooks().CalcRegression(); }
inline void ShowPictureTools() { Hooks().ShowPictureTools(); }
inline void RunInpFile(const std::string& FileName) { Hooks().RunInpFile(FileName); }
inline void PlayGraphicsScript(const std::string& FileName) {
  Hooks().PlayGraphicsScript(FileName);
}
inline void DrawContourPlot(const std::string& FileName) { Hooks().DrawContourPlot(FileName); }
inline int ProfileCount() { return Hooks().ProfileCount(); }
inline void RenewModelVectors() { Hooks().RenewModelVectors(); }
inline void LoadModelSideLists() { Hooks().LoadModelSideLists(); }
inline void LoadAndRunOne() { Hooks().LoadAndRunOne(); }
inline void LoadDC() { Hooks().LoadDC(); }
inline void VEMOFill() { Hooks().VEMOFill(); }

// Every link back to its stand-in (tests).
void ResetAll();

}  // namespace mainlinks
