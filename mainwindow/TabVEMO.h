// The VEMO tab: the vectors of the keeper LVEMO as a table (models/cvVemoTab.h chooses and fills
// the rows), the four selector grids kept in the project's settings, and the actions on the
// vectors: calculate, report, print, delete, draw for editing in the picture window and the
// temperature window. ngVEMOFill is the model services' link VEMOFill (the synthesis driver and
// the temperature window call it) and the delayed action of the timer "ngVEMOfill" that an
// edited curve arms.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Corvesta/TabVEMOForm.h"
#include "foundation/cvTy.h"
#include "mainwindow/CorvestaTab.h"
#include "models/cvVemoTab.h"

class TVEMO;

class TTabVEMO : public TFormTab<TabVEMOForm> {
 public:
  explicit TTabVEMO(TCorvesta& Shell);
  ~TTabVEMO() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabVEMOShow(); }

  void TabVEMOShow();
  // The table rebuilt from the keeper (after a running job, when it has ended).
  void ngVEMOFill();
  void FillFMODGrid();
  void FillKDERGrid();
  void FillModSIDGrids();
  void FillSIDGrid();
  void RefreshVEMOTab();
  void SetVEMOColumns();
  void SetcbKDERVisible();

  // The plotter's write-back of an edited curve: with "R" down, the edited vector of that full
  // name takes the values; VEMODirty is set and the timer "ngVEMOfill" armed (601 ms).
  void EditedGraph(const std::string& Title, const TARe& AY);

  bool VEMOTabShown = false;
  int32_t VEMOCountShown = 0;
  bool VEMODirty = false;
  int32_t VEMOCurCol = -1, VEMOCurRow = -1;
  // The vectors handed to the picture window for editing.
  TEditedVectors EditedVectors;
  // The rows of the last fill.
  std::vector<TVemoRow> Rows;
  // The vector of row R (nullptr when none).
  TVEMO* RowVector(int32_t R) const;
  // The vectors of the rows whose "Rep" is on, in table order.
  std::vector<TVEMO*> MarkedVectors() const;

  // ---- handlers ----
  void ngFMODAfterEdit(TSender E);
  void ngKDERAfterEdit(TSender E);
  void ngModAfterEdit(TSender E);
  void ngSIDAfterEdit(TSender E);
  void ngVEMOAfterEdit(TSender E);
  void ngVEMOSelectCell(TSender E);
  void btVEMOClick(TSender E);
  void btVEMOHeighClick(TSender E);
  void btRepCBOnClick(TSender E);
  void btRepCBOffClick(TSender E);
  void btCalcVEMOClick(TSender E);
  void cbCalcVEMOChange(TSender E);
  void Button1Click(TSender E);
  void btVEMOReportClick(TSender E);
  void btNGVEMOReportClick(TSender E);
  void btVEMOPrintClick(TSender E);
  void btVEMOClearOneClick(TSender E);
  void btVEMODELClearClick(TSender E);
  void btVEMOClearAtLiLamClick(TSender E);
  void btPicVEMOClick(TSender E);
  void btTAnalizeClick(TSender E);

 private:
  TVemoFlags Flags() const;
  TVemoSelect Select() const;
  void FillSelector(TFormCvGrid* G, const char* OnCol, const char* NameCol,
                    const std::vector<TVemoSelRow>& Rows);
  // The edited vectors drawn again in the picture window.
  void RedrawEdited();
  bool fillPending_ = false;
};
