// The VARI tab: the working variator VARI as a table of its parameters (one row per parameter),
// the variator list by quest and step (cbVARI_Name), the current combination (edVARI_K, acting
// through the delayed action "variK"), edits of a parameter's value index and value, keys added,
// deleted and moved down, the test load of the quest's control file and the text reports.
#pragma once
#include <cstdint>
#include <string>

#include "Corvesta/TabVARIForm.h"
#include "mainwindow/CorvestaTab.h"

class TVARIATOR;

class TTabVARI : public TFormTab<TabVARIForm> {
 public:
  explicit TTabVARI(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabVARIShow(); }

  // The page refresh (also run by the CoPi and Dialog tabs).
  void FillVARIPage();
  // The variator named by cbVARI_Name made current (nullptr: none).
  TVARIATOR* SetCurVARIfromVARIPage();
  // cbVARI_Name: the entry "QUEST STEP" added unless there; its item index.
  int32_t AddVARIName(const std::string& Entry);

  // The cell last selected in ngParam and its text then.
  int32_t ParamCol = -1, ParamRow = -1;
  std::string ParamCellText;

  // ---- handlers ----
  void TabVARIShow(TSender E = {});
  void cbVARI_NameSelect(TSender E);
  void edVARI_KChange(TSender E);
  void edVARI_KonChange();
  void ngParamSelectCell(TSender E);
  void ngParamAfterEdit(TSender E);
  void btVARIAddKeyClick(TSender E);
  void btVariDelKeyClick(TSender E);
  void btVariKeyDownClick(TSender E);
  void btTestVariClick(TSender E);
  void btVariReportAllClick(TSender E);
  void btVariReportUseClick(TSender E);
  void btVariListParClick(TSender E);
  void btVariListVariClick(TSender E);
  void btVariListDimClick(TSender E);
  void btVariReportDumpClick(TSender E);

 private:
  // The reports' check: a variator with more than one parameter (else the warning, nullptr).
  TVARIATOR* ReportVari();
  bool Filling_ = false;
};
