// The Test tab: the Gauss/Zeeman fits of the Fe I pair on one profile (scans/cvGaussForm.h does
// the work on the group's texts; this class copies the controls in and out, keeps memoGSparam
// as the fits' report list and draws the model over the profile), the centre-of-gravity fields
// of I±V (scans/cvCOGiv.h), "Gauss Cores" and a long "Loop" as jobs, and the links the FITS tab
// calls (mainwindow/TestLinks.h); the Voigt tables, the calculator and the small benches are in
// TabTestBenches.cpp; TabTestTools.cpp: the ACE bench (and the Texts tab's "ACE" through the
// link AceOnEdTable), the "Solar Edge" group and the editor table panel's regroup.
#pragma once
#include <cstdint>
#include <string>

#include "Corvesta/TabTestForm.h"
#include "mainwindow/CorvestaTab.h"
#include "plotting/cvLimb.h"
#include "scans/cvCOGiv.h"
#include "scans/cvGaussForm.h"

class TCurI;
struct TVoigtTestTable;
class QWidget;

class TTabTest : public TFormTab<TabTestForm> {
 public:
  explicit TTabTest(TCorvesta& Shell);
  ~TTabTest() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;

  // ---- the group's texts ----
  TGaussForm ReadForm() const;
  void WriteForm(const TGaussForm& F);

  // ---- routines the other tabs and the scan services call ----
  void CurILineFromForm(TCurI& C);
  void GaussParamsToCurI(TCurI& C);
  bool SetupCurI(TCurI& C);
  void CurIToForm();
  // "Load I": the editor's text table at line edFirstString into CurI (created when missing).
  bool LoadCurIFromEd(TCurI& C);
  void DrawGaussFits();
  void FitCurIProfile();
  double InitialL0();
  // The form's values into the scan services' record (before a run of the core-fit maps).
  void FormToServices();

  // The last two-core result ("Algo Rithm") and slice table.
  TCurIV CurIV;
  TCOGivTable LastCOG;
  // Repeats x codes above this run "Loop" as a job.
  int64_t LoopJobThreshold = 2000;

  // ---- handlers ----
  void btLoadIClick(TSender E);
  void btReGSClick(TSender E);
  void btGSrepClick(TSender E);
  void btGSajustClick(TSender E);
  void btGSloopClick(TSender E);
  void btD6k3LoopClick(TSender E);
  void btb6k3LoopClick(TSender E);
  void btbDk3LoopClick(TSender E);
  void btbHk3LoopClick(TSender E);
  void bt_xDClick(TSender E);
  void bt_1Click(TSender E);
  void bt_gsBackClick(TSender E);
  void btCOGClick(TSender E);
  void btGSmemoTabClick(TSender E);
  void btTestFuncClick(TSender E);
  void ed_H_GsChange(TSender E);
  void edGSdlhChange(TSender E);
  void edDLDk6301Change(TSender E);
  void btProf6301Click(TSender E);
  void btBiClick(TSender E);
  void cb_6301_02Change(TSender E);
  void bt_gsRestartClick(TSender E);
  void btMultClick(TSender E);
  void btGaussCalcClick(TSender E);
  void edFITiXChange(TSender E);
  void edFITiYChange(TSender E);
  void btFITtoGRAClick(TSender E);
  void btCOGforIVClick(TSender E);
  void btCOGfor_IClick(TSender E);
  void btB2GraClick(TSender E);
  void btV2GraClick(TSender E);
  void btCOGofIV2Click(TSender E);
  void bt_AlgoClick(TSender E);

  // ---- the Voigt tables, the calculator and the small benches (TabTestBenches.cpp) ----
  void RegisterBenchHandlers(platform::THandlerRegistry& H);
  void btVoigClick(TSender E);
  void btGVoigClick(TSender E);
  void btGaussClick(TSender E);
  void btTestSplineClick(TSender E);
  void edEV_CalcChange(TSender E);
  void edSM_1_CalcChange(TSender E);
  void edT_CalcChange(TSender E);
  void edTETA_CalcChange(TSender E);
  void eddTChange(TSender E);
  void eddTETAChange(TSender E);
  void edDLHChange(TSender E);
  void edXChange(TSender E);
  void edFIChange(TSender E);
  void edTestEFStChange(TSender E);
  void btLineRectSectClick(TSender E);
  void edDateTimeInChange(TSender E);
  void btRINGClick(TSender E);
  void Button9Click(TSender E);
  // The comparison table's curves on ImageCORA.
  void DrawVoigtTest(const TVoigtTestTable& T);
  // ---- ACE, the solar limb and the editor table panel (TabTestTools.cpp) ----
  void btTestACEClick(TSender E);
  // The Texts tab's "ACE": the editor's table regressed as a job; the report replaces the text.
  void AceOnEdTable();
  void btCircLdClick(TSender E);
  void btCircFit0Click(TSender E);
  void btStepClick(TSender E);
  void btLoopClick(TSender E);
  void btTestArcPointsClick(TSender E);
  void btFindCircleCenterClick(TSender E);
  void btEdSliceClick(TSender E);
  // The limb fit's points, circle and step state, kept between the clicks.
  TLimbFit Limb;

  // The slice table listed and/or drawn (kind 'B', 'V' or 'I').
  void COGFieldMaps(bool List, bool Plot, char Kind);

 private:
  // One button of the group on the program's CurI (created when missing).
  void RunOp(const std::string& Op);
  void MemoIn();
  void MemoOut();
  TGaussEnv Env();
  // "Loop" with many repeats: a job on a copy of CurI.
  void LoopJob();
  bool writing_ = false;
  // Rotation velocity and mu from the latitude and longitude fields.
  void DiskFiLToResults();
  // Where ImageCORA was before "G" took it to the FITS tab.
  QWidget* voigImageHome_ = nullptr;

  void RegisterToolHandlers(platform::THandlerRegistry& H);
  void InstallToolLinks();
  void ResetToolLinks();
  TLimbEdits LimbEditsFromForm() const;
  void LimbEditsToForm(const TLimbEdits& E);
  void BindLimbPlotter();
};
