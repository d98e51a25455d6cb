// The Start tab: the backup of the line database to the autosave folder and its restore from the
// newest complete one; the Kurucz group (the wavelength range "LAMB от" / "LAMB до" that the line-data
// routines read, the import of table KurLines and the check of the catalogue keys); the clean-ups
// of the line tables over that range. The backup, the restore, the import, the check and the
// clean-ups run as jobs of the program's runner, each on its own connection to the database
// (progress in "UM", Esc cancels, the database stays as it was when cancelled). Its other buttons come with the issues that build
// them.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "Corvesta/TabStartForm.h"
#include "app/qt/QtJobRunner.h"
#include "mainwindow/CorvestaTab.h"

class TJob;
class TDM;

class TTabStart : public TFormTab<TabStartForm> {
 public:
  explicit TTabStart(TCorvesta& Shell) : TFormTab(Shell) {}
  ~TTabStart() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void BuildForm(QWidget* F, platform::TFormRegistry& R) override;

  void btAutoSaveClick(TSender E);
  void btAutoLoadClick(TSender E);
  void btLoadKurLinesClick(TSender E);
  void Button8Click(TSender E);
  void btClearKurLinesClick(TSender E);
  // The central depths of the range's KurLines records in HOLMU and CV, as a job.
  void btCalcD0KurLinesClick(TSender E);
  void btDelHFSClick(TSender E);
  void btDelDummyClick(TSender E);
  void btDelHeavyClick(TSender E);
  void btDelDubleClick(TSender E);
  void btLoadObsVornClick(TSender E);
  void btLoadVALDClick(TSender E);
  void btZeeStructClick(TSender E);
  void btLoadAtLevelsClick(TSender E);
  // The line-data layer reads the wavelength range from edLamb1 / edLamb2.
  void InstallLambFields();

  // Runs a clean-up of the range as a job (the question before deleting answered in a box).
  void RunCleanup(const std::string& Name,
                  std::function<bool(TJob&, TDM&, const std::string&, const std::string&)> Work);
};
