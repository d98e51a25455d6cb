// The Start tab: the backup of the line database to the autosave folder and its restore from the
// newest one; the Kurucz group (the wavelength range "LAMB от" / "LAMB до" that the line-data
// routines read, the import of table KurLines and the check of the catalogue keys). The restore,
// the import and the check run as jobs on a worker thread (progress in "UM", Esc cancels, the
// database stays as it was when cancelled). Its other buttons come with the issues that build
// them.
#pragma once
#include <memory>

#include "Corvesta/TabStartForm.h"
#include "app/qt/QtJobRunner.h"
#include "mainwindow/CorvestaTab.h"

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
  // The line-data layer reads the wavelength range from edLamb1 / edLamb2.
  void InstallLambFields();

  // The runner of the tab's jobs.
  TQtJobRunner Jobs;
};
