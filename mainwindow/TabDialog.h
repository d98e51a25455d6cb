// The Dialog tab: synthesis tuned by hand against observations. Up to six parameter rows tie a
// variator key to an edit and a track bar on a linear or logarithmic scale (row 1 is the form's;
// rows 2 to 6 are made from the Dialog builder's page after a DIA run and share row 1's
// handlers, the row found by the last character of the sender's name). "CALC" writes the rows
// and the observed-case choice into the variator, runs "#ALG" as a job of the program's runner
// and draws, case by case, computed (black) and observed (blue) profiles and their differences
// (synthesis/fit/cvDialogCalc.h); "CALC by CURV" recomputes with the curves edited in the
// picture window. One calculation at a time: a change during a run schedules one more after it.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "Corvesta/TabDialogForm.h"
#include "mainwindow/CorvestaTab.h"
#include "synthesis/fit/cvDialogCalc.h"

class QObject;
class QWidget;
struct TPageView;

class TTabDialog : public TFormTab<TabDialogForm> {
 public:
  explicit TTabDialog(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabDialogShow(); }

  // The page the Dialog builder left (DIA) taken into the controls, when a run built one.
  void AfterRun();
  void TakePage(const TPageView& P);
  // Row I (2..6) made as a copy of row 1 / its controls freed.
  void MakeRow(int32_t I);
  void FreeRow(int32_t I);
  // The picture area laid out below the last visible row.
  void RePositeImageDialog();

  // ---- the tab's routines ----
  TDiaParams tabDialogReadParams();
  void DifAutoCalc();
  void DifAutoCalc2();
  void UpDateValTimes();
  void UpDateMultiPar();
  void ScalExpand(TSender E, int32_t Direction);
  void ScalShift(TSender E, double Step);
  // Starts "CALC" / "CALC by CURV" as a job (or schedules one more after the running one).
  void StartCalc(bool ByCurv);

  bool DialogBusy = false;
  std::array<uint32_t, 7> ValTimes{};  // rows 1..6
  int32_t DialogImageReserve = 0;
  // Calculations drawn and the last one's results (tests read them).
  int32_t CalcsDrawn = 0;
  TDiaCalcOut LastCalc;

  // ---- handlers ----
  void TabDialogShow(TSender E = {});
  void edValChange(TSender E);
  void tbKeyChange(TSender E);
  void btScalWClick(TSender E) { ScalExpand(E, 1); }
  void btScalNClick(TSender E) { ScalExpand(E, -1); }
  void btScalLLClick(TSender E);
  void btScalRRClick(TSender E);
  void btScalLClick(TSender E);
  void btScalRClick(TSender E);
  void btCalcClick(TSender E);
  void btCalcByCurvClick(TSender E);
  void cbObsValChange(TSender E);
  void cbObsValSelect(TSender E) { cbObsValChange(E); }
  void cbObsValXSelect(TSender E);
  void sbMultiPar1Click(TSender E);
  void ngVARIobsAfterEdit(TSender E);
  void ngVARIobsCellClick(TSender) {}
  void cbProfClick(TSender) { DifAutoCalc(); }
  void cbDiffClick(TSender) { DifAutoCalc(); }
  void cbAutoCalcClick(TSender) { DifAutoCalc(); }
  void cbModNamSelect(TSender) {}

 private:
  // The row (1..6) of a sender by the last character of its name; 0 when none.
  int32_t RowOf(TSender E) const;
  template <class T>
  T* RowCtl(const char* Prefix, int32_t I) const;
  // The scale of row I; false (with the message) when a bound is no number.
  bool ReadScale(int32_t I, TDiaScale& S) const;
  double BarFraction(int32_t I) const;
  void WriteBounds(int32_t I, const TDiaScale& S);
  void Draw(const TDiaCalcOut& Out, bool ByCurv);
  void Fire(QObject* Sender, const std::string& Name, void (TTabDialog::*Handler)(TSender));
  bool Running_ = false, Again_ = false, AgainByCurv_ = false;
};
