// The Graf tab: the plotter's control panel in the main window. The plotter fills the graph
// grid gx_PicList and the world-window grid gx_WindList through the picture tool's host (this
// tab is the tool's Main side: TPicTool::Main), and reads and writes the tab's fields there
// (move kind and steps, the point fields, the histogram cuts, memoGridX, ed_tGIF,
// cb_gif_2side). Edits in the grids change the graphs and windows; the bulk buttons act on the
// graphs marked active; the histogram, the animation and table plotting (PlayGraphic, also the
// editor's "Graphic" and the panel's "dG"). The logic is headless in plotting/cvGrafList.h.
// Esc returns to the Texts tab.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Corvesta/TabGrafForm.h"
#include "mainwindow/CorvestaTab.h"
#include "plotting/cvPlotHost.h"

// Where a table plot is asked from: the panel's field "dG", a menu item or the main window
// (X column from the panel field "nX", Y the editor's current column), the picture tool (its
// edXCol, edYCol), or something else (refused).
enum class TPlaySource { Panel, Tool, Other };

class TTabGraf : public TFormTab<TabGrafForm>, public TPlotHost {
 public:
  explicit TTabGraf(TCorvesta& Shell) : TFormTab(Shell) {}
  ~TTabGraf() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  TPageInput Input() override { return GrafPageInput(); }
  void Show() override { TabGrafShow(); }

  void TabGrafShow();
  // The picture tool's Main side is this tab (once the tool exists).
  void AttachTool();

  // ---- table plotting ----
  // Two columns of the editor's table as one curve in the picture window.
  void PlayGraphic(TPlaySource Source = TPlaySource::Panel, const std::string& ClassName = "");
  bool PlayGraphicArgs(TPlaySource Source, const std::string& ClassName, int32_t& ColX,
                       int32_t& T1, int32_t& T2, int32_t& ColY);

  // ---- the plotter's side (TPlotHost) ----
  std::string MainGet(const std::string& Name) override;
  void MainSet(const TCtlValues& Values) override;
  void GraphToGrid(int32_t Row, const TCtlValues& Cells) override;
  void GraphGridUnits(const TStringList& Dims) override;
  void WindowToGrid(int32_t Row, const TCtlValues& Cells) override;
  void GridClear(const std::string& Grid) override;

  // ---- window data ----
  int32_t PicListCol = -1, PicListRow = -1, PicListAnchorRow = -1, PicListNum = -1;
  bool PicListBulk = false;

  // Row R's graph made current and the edit of column Col applied (as the grid's AfterEdit).
  void ApplyRow(int32_t R, const std::string& Col);
  // Active marks of the rows and their kYs.
  std::vector<bool> ActiveRows();

  // ---- handlers ----
  void gx_PicListAfterEdit(TSender E);
  void gx_PicListCellClick(TSender E);
  void gx_PicListHeaderClick(TSender E);
  void gx_PicListMouseMove(TSender E);
  void gx_PicListDrawCellBackground(TSender E);
  void pmPicList_SetRowClick(TSender E);
  void pmPicList_AllClick(TSender E);
  void btGActAllClick(TSender) { BulkMark('A'); }
  void btGActClrClick(TSender) { BulkMark('C'); }
  void btGActEvnClick(TSender) { BulkMark('E'); }
  void btGActOddClick(TSender) { BulkMark('O'); }
  void btFillClick(TSender E);
  void btOperClick(TSender E);
  void btDelPicListClick(TSender E);
  void btJoinYClick(TSender E);
  void gx_WindListAfterEdit(TSender E);
  void WL_ClearDimClick(TSender E);
  void rbFulcrumNoClick(TSender E);
  void rbActPointOffClick(TSender E);
  void rbActPointStartClick(TSender E);
  void btActPtoFulcrumClick(TSender) { SetFulcrum(); }
  void SetFulcrum();
  void DeleteFulcrum();
  void MoveStepToWW();
  void edMoveStepPChange(TSender E);
  void edMoveStepChange(TSender E);
  void btPushUClick(TSender E);
  void btPushDClick(TSender E);
  void btPlotterUpDateClick(TSender E);
  void cbScaleChange(TSender E);
  void btGraHistClick(TSender E);
  void btStartGIFClick(TSender E);
  void btNewGrafClick(TSender E);
  // The caption rich edits: the current graph's title, X title (name or dimension edit) and Y
  // title take the edit's text, unless the picture tool is updating its own controls.
  void RTFPicTitleChange(TSender E);
  void RTFsXTitChange(TSender E);
  void RTFsYTitChange(TSender E);

 private:
  std::map<std::string, std::string> Kept_;  // fields the plotter writes that are not controls
  bool StepGuard_ = false;
  void BulkMark(char Kind);
  int32_t GridCol(const char* Name);
  std::string CellText(const char* Col, int32_t Row);
  void SetCell(const char* Col, int32_t Row, const std::string& Text);
  // The tool's update guard, or the plotter without a valid current graph: the point handlers
  // do nothing.
  bool PointsLocked();
  void CaptionChange(TSender E, char Which);
  void PointCapture(bool On);
};
