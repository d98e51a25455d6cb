// The Di tab: the editor of the line-fit tables Di (synthesis/fit/cvDi.h). The page shows what
// TDi.UpDate writes; each edit goes straight back into the tables (a text that is no number is
// refused and keeps the old value and the focus). "Make VARI" builds the working variator
// "Di_calc" from "ONE\Default.DAT" and the tables, "Run VARI" runs it as a job, "Fill Lambs"
// makes uniform wavelength grids of the spans, "UN to Di" takes cases and spans from the
// profile list, "Lams" lists a span's wavelengths.
#pragma once
#include <cstdint>
#include <string>

#include "Corvesta/TabDiForm.h"
#include "mainwindow/CorvestaTab.h"
#include "synthesis/fit/cvDi.h"

class TTabDi : public TFormTab<TabDiForm> {
 public:
  explicit TTabDi(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabDiShow(); }

  // The page rewritten from the tables (TDi.UpDate); the refresh guard cleared.
  void Refresh();
  // After a run: the page refreshed when the run filled the tables.
  void AfterRun();

  int32_t DiLamsCol = -1, DiLamsRow = -1;
  bool DiTabShown = false;

  // ---- handlers ----
  void TabDiShow(TSender E = {});
  void btCalcDiClick(TSender E);
  void btRunVARIClick(TSender E);
  void btDiFillALamClick(TSender E);
  void btUNtoDiClick(TSender E);
  void btDiLamsRepClick(TSender E);
  void btClearObsClick(TSender E);
  void btClearLinClick(TSender E);
  void CurModClick(int32_t M);
  void ModNameChange(int32_t M);
  void ed_ModP2Change(TSender E);
  void ngCasesAfterEdit(TSender E);
  void ngDiLinesAfterEdit(TSender E);
  void ngDiLamsAfterEdit(TSender E);
  void ngDiLamsSelectCell(TSender E);

 private:
  // An edit of the current model's parameters: a number into the field, else the warning.
  void ModEdit(TSender E, double TDiMod::*Field);
  bool Refreshing_ = false;
};
