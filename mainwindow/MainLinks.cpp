#include "mainwindow/MainLinks.h"

#include "app/AppLinks.h"
#include "foundation/cvSayer.h"

namespace mainlinks {

namespace {
// What runs by itself at start-up is only noted (shown while warnings are on).
void NoteMissing(const std::string& Name) { WARN(applinks::NotAvailableText(Name)); }
}  // namespace

THooks& Hooks() {
  static THooks hooks;
  return hooks;
}

void CreateMapWindow(QWidget* MainWindow) {
  if (Hooks().CreateMapWindow) Hooks().CreateMapWindow(MainWindow);
}

void CreateToolWindows(QWidget* MainWindow) {
  if (Hooks().CreateToolWindows) Hooks().CreateToolWindows(MainWindow);
}

void FreeWindows() {
  if (Hooks().FreeWindows) Hooks().FreeWindows();
}

void ShowCalculator() {
  if (Hooks().ShowCalculator)
    Hooks().ShowCalculator();
  else
    applinks::NotAvailable("FCalc");
}

void CalcRegression() {
  if (Hooks().CalcRegression)
    Hooks().CalcRegression();
  else
    applinks::NotAvailable("TFCalc.btRegressClick");
}

void ShowPictureTools() {
  if (Hooks().ShowPictureTools)
    Hooks().ShowPictureTools();
  else
    applinks::NotAvailable("TFPict.MShowToolsClick");
}

void RunInpFile(const std::string& FileName) {
  if (Hooks().RunInpFile)
    Hooks().RunInpFile(FileName);
  else
    applinks::NotAvailable("RunInpFile");
}

void PlayGraphicsScript(const std::string& FileName) {
  if (Hooks().PlayGraphicsScript)
    Hooks().PlayGraphicsScript(FileName);
  else
    applinks::NotAvailable("TGPlayer.PlayFile");
}

void DrawContourPlot(const std::string& FileName) {
  if (Hooks().DrawContourPlot)
    Hooks().DrawContourPlot(FileName);
  else
    applinks::NotAvailable("TCORA.ReadAndDrow");
}

int ProfileCount() { return Hooks().ProfileCount ? Hooks().ProfileCount() : 0; }

void RenewModelVectors() {
  if (Hooks().RenewModelVectors)
    Hooks().RenewModelVectors();
  else
    NoteMissing("LVEMO := TLVEMO.Create");
}

void LoadModelSideLists() {
  if (Hooks().LoadModelSideLists)
    Hooks().LoadModelSideLists();
  else
    NoteMissing("LVEPA.ReadVEMO, ConvList.Load, LVARI.SetCallback");
}

void ResetAll() { Hooks() = THooks{}; }

}  // namespace mainlinks
