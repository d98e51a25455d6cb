// Links from the main window to the windows and services of subsystems that are not built yet
// (plotting windows, the table-import language, the model side). Each is a replaceable hook;
// without one, what the user asks for reports that it is not available yet, and what runs by
// itself at start-up only notes it through WARN.
#pragma once
#include <functional>
#include <string>

class QWidget;

namespace mainlinks {

struct THooks {
  // The windows made by the main block: FMap before the application's initialisation, FPict,
  // FPicTool, FTAnalize and FCalc after it; and their end.
  std::function<void(QWidget* MainWindow)> CreateMapWindow;
  std::function<void(QWidget* MainWindow)> CreateToolWindows;
  std::function<void()> FreeWindows;
  // FCalc: shown; its regression run.
  std::function<void()> ShowCalculator;
  std::function<void()> CalcRegression;
  // TFPict.MShowToolsClick: the picture tool window shown.
  std::function<void()> ShowPictureTools;
  // The table-import interpreter on a file of kind INPUTDATA or with the extension ".INP".
  std::function<void(const std::string& FileName)> RunInpFile;
  // A graphics script played on the CORA picture; a contour-plot description drawn there.
  std::function<void(const std::string& FileName)> PlayGraphicsScript;
  std::function<void(const std::string& FileName)> DrawContourPlot;
  // The number of profiles in the profile list.
  std::function<int()> ProfileCount;
  // The model-vector keeper made anew; the model side's lists loaded (parameter list,
  // conversion functions, the variator list's expansion callback).
  std::function<void()> RenewModelVectors;
  std::function<void()> LoadModelSideLists;
};
THooks& Hooks();

void CreateMapWindow(QWidget* MainWindow);
void CreateToolWindows(QWidget* MainWindow);
void FreeWindows();
void ShowCalculator();
void CalcRegression();
void ShowPictureTools();
void RunInpFile(const std::string& FileName);
void PlayGraphicsScript(const std::string& FileName);
void DrawContourPlot(const std::string& FileName);
int ProfileCount();
void RenewModelVectors();
void LoadModelSideLists();

// Every hook back to its stand-in (tests).
void ResetAll();

}  // namespace mainlinks
