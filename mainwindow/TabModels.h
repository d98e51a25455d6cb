// The Models tab: the model files of "MODS\" registered in the table of models (a database job),
// a model loaded into the keeper and its working vectors made (jobs of the program's runner that
// own the keeper while they run: a cancelled or failed one leaves the keeper and the variator as
// they were), the edit script, and one or two vectors drawn over a depth scale into ImageMod
// (models/cvModelsTab.h builds the description; synthesis/pictures/cvGVemo.h draws it).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Corvesta/TabModelsForm.h"
#include "mainwindow/CorvestaTab.h"
#include "models/cvModelsTab.h"

class TJob;

class TTabModels : public TFormTab<TabModelsForm> {
 public:
  explicit TTabModels(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabModelsShow(); }

  void TabModelsShow();
  // The "*.mel" files of "MODS\" (file names with extension); registration of the missing ones
  // in the table of models started as a job.
  std::vector<std::string> SourceModelsToDB();
  // Clears the box and adds the file names without extension.
  static void FillComboFromDirList(platform::TComboBox* Box, const std::vector<std::string>& Files);
  void FillModelNames();
  void FillModelSelectors();
  void FillModelViewScales();

  bool ModelsTabShown = false;
  TModView View;
  // The last drawing's description (tests and the harness read it).
  std::vector<std::string> LastDescr;

  // ---- handlers ----
  void SelectorSelect(TSender E);
  void cbModNamSelect(TSender E);
  void cbVeLinesChange(TSender E);
  void cbVeCTETAChange(TSender E);
  void btVeMoLoadClick(TSender E);
  void btVeMoOpenClick(TSender E);
  void btVeMoP1Click(TSender E);
  void btVeMoIonClick(TSender E);
  void btVeMoP3Click(TSender E);
  void btVeDrawClick(TSender E);
  void ImageModMouseMove(TSender E);
  void btImVeClearClick(TSender E);
  void btVe1ClearClick(TSender E);
  void btVeMoUseEdClick(TSender E);
  void btVEMOlistClick(TSender E);
  // The model prepared for the variator's line, reported in the editor (a job over the keeper).
  void btModRepClick(TSender E);

 private:
  // A job over the program's keeper: Work runs on the worker; when it does not complete, the
  // keeper is put back; Done runs after a completed job, Undo after any other end; the
  // selectors and the VEMO table refill after every end.
  void KeeperJob(const std::string& Name, std::function<void(TJob&)> Work,
                 std::function<void()> Done = {}, std::function<void()> Undo = {});
  // The model word of "#MOD" replaced by Name (with a current variator); false without one.
  bool ReplaceVariModel(const std::string& Name, std::string* Old = nullptr);
  TModSelSettings Settings() const;
};
