// The picture windows' links.
#include "mainwindow/PictLinks.h"

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "mainwindow/CalcLinks.h"
#include "mainwindow/GraphScriptLink.h"
#include "mainwindow/MainLinks.h"
#include "plotting/cvGPlayer.h"
#include "plotting/cvGRAD.h"
#include "plotting/qt/cvFMap.h"
#include "plotting/qt/cvPictWindows.h"

void InstallPictLinks() {
  mainlinks::THooks& H = mainlinks::Hooks();
  H.CreateToolWindows.Install([](QWidget* Main) {
    CreatePictWindows(Main);
    CreateMapWindow(Main);
    CreateCalcWindow();
  });
  H.FreeWindows.Install([] {
    FreeCalcWindow();
    FreeMapWindow();
    FreePictWindows();
    FreeGPlayer();
  });
  H.ShowPictureTools.Install([] { ShowPictTools(); });
  InstallGraphScriptLink();
  InstallCalcLinks();
  TPlotServices& S = Plotting();
  S.GetSetting = [](const std::string& Key) {
    return App && App->TunCommon ? App->TunCommon->Get(Key) : std::string();
  };
  S.SetSetting = [](const std::string& Key, const std::string& Value) {
    if (App && App->TunCommon) App->TunCommon->Set(Key, Value);
  };
  S.EditText = [](const std::string& Title, const TStringList& Lines) {
    if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &Lines);
  };
  S.EditorText = [] {
    auto L = std::make_unique<TStringList>();
    if (EdAssigned(Ed) && Ed->Memo)
      for (const std::string& Line : Ed->Memo->Lines()) L->Add(Line);
    return L;
  };
}
