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
#include "synthesis/profiles/cvAtlas.h"

class TJob;
class TDM;

class TTabStart : public TFormTab<TabStartForm> {
 public:
  explicit TTabStart(TCorvesta& Shell) : TFormTab(Shell) {}
  ~TTabStart() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  // The scan buttons (TabStartFITS.cpp).
  void RegisterFITSHandlers(platform::THandlerRegistry& H);
  bool ChkStartFolder();
  bool GetLineIdx(int32_t (&Idx)[6]);
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
  // Rad, Stark, Waals of every line of Lines_ from the Kurucz band files, as a job.
  void btLoadKurucz_g46NClick(TSender E);
  // The working line list: one report line per line into the editor ("LLIDA Report"); emptied
  // (the calculation state forgets its line).
  void btRepLLIDAClick(TSender E);
  void btClearLLIDAClick(TSender E);
  // ---- utilities ----
  // The picture window's outer size, or its drawing area's, from the two fields.
  void edFormSizeApplyClick(TSender E);
  void edCORASizeApplyClick(TSender E);
  // The first character becomes the decimal point of spreadsheet export.
  void EdExcelDecPointChange(TSender E);
  // The four groups of FITS combination fields to the clipboard and back.
  void btSave4Click(TSender E);
  void btLoad4Click(TSender E);
  // The Gaussian random-number test.
  void btCurrentTestClick(TSender E);
  // ---- the solar-atlas group ----
  // The first show presets the atlas kind; every show refreshes the atlas line.
  void Show() override;
  void cbAtlasKindChange(TSender E);
  void cbCTetaChange(TSender E);
  void cbObsCaseChange(TSender E);
  void cbAtlasLamsChange(TSender E);
  void edAtlasLineChange(TSender E);
  void btCancelWdLClick(TSender E);
  // A window of the atlas loaded as observed profiles: the file read by a job, then the atlas
  // keys and the profiles added (a cancel adds nothing and leaves the variator as it was).
  void btLoadUNClick(TSender E);
  // The window's lines into the editor ("AtlasFragment"), the variator untouched.
  void btPrintSpectrClick(TSender E);
  TAtlasForm AtlasFormFromControls() const;
  void AtlasFormToControls(const TAtlasForm& F);
  // The step of the atlas quest: every "Load" opens the next.
  int32_t AtlasLoadStep = 0;

  // The line-data layer reads the wavelength range from edLamb1 / edLamb2.
  void InstallLambFields();

  // ---- the database upkeep (TabStartUpkeep.cpp) ----
  void RegisterUpkeepHandlers(platform::THandlerRegistry& H);
  // The first show takes the folder, the range and the least depths from the settings.
  void UpkeepShow(bool First);
  // The level files' folder chosen (stored as "KuruczPath") or typed (its files listed).
  void btKuruczDirClick(TSender E);
  void edKuruczPathChange(TSender E);
  // The range and the least depths stored when they are numbers.
  void edLamb1Change(TSender E);
  void edLamb2Change(TSender E);
  void edWminHMChange(TSender E);
  void edWminCVChange(TSender E);
  // What to load and what to report kept consistent.
  void cbLevelLoadChange(TSender E);
  void cbLevelRepChange(TSender E);
  // The level file into the editor; the folder's check.
  void btStartEditClick(TSender E);
  void btNISTLevelsClick(TSender E);
  // The element table's report ("MEND.REPORT").
  void btRepMENDClick(TSender E);
  // The loaders of the element, bibliography, service and multiplet tables, as jobs.
  void btLdMendClick(TSender E);
  void btLoadRefersClick(TSender E);
  void btLoadMultiClick(TSender E);
  void btLoadTabsClick(TSender E);
  void btLoadAbundClick(TSender E);
  // The developer test bench, as a job.
  void btTestClick(TSender E);
  // The level file: edKuruczPath joined with cbKuruczFile.
  std::string LevelFile() const;

  // Runs a clean-up of the range as a job (the question before deleting answered in a box).
  void RunCleanup(const std::string& Name,
                  std::function<bool(TJob&, TDM&, const std::string&, const std::string&)> Work);

 private:
  bool shown_ = false;
};
