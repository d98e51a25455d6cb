// The CoPi tab: the current variator's varied keys spread over the picture axes (X columns, Y
// rows, C curves in one plot, T frames) and the Stokes quantities of ngStoPar, written as the
// frame-sequence description that the CORA tab draws (synthesis/pictures/cvCoPi.h builds it);
// the screen calibrated in millimetres, the picture colours and layout kept in the "Pict"
// settings, the quest's control and result files loaded, the profile list's listings.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Corvesta/TabCOPIForm.h"
#include "mainwindow/CorvestaTab.h"

class QWidget;
class TStringList;
class TVARIATOR;

class TTabCOPI : public TFormTab<TabCOPIForm> {
 public:
  explicit TTabCOPI(TCorvesta& Shell) : TFormTab(Shell) {}
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabCOPIShow(); }
  void Exit() override { SaveCoPiTunes(); }
  void Closing() override { SaveCoPiTunes(); }

  void TabCOPIShow();
  void FillScreenSize();
  // The view's size in mm, percent and pixels from the screen calibration.
  void FillViewSize();
  void FillCoPiGrids();
  void CoPiAxisCounts();
  void StoParToTunes();
  void LoadCoPiTunes();
  void SaveCoPiTunes();
  // The three colours of the "Pict" settings (start-up).
  void LoadPictColors();
  // The description (a new list), or nothing when a field is bad (its edit emptied and focused).
  std::unique_ptr<TStringList> MadePict();
  // The variator of the quest (the current one when it is the quest's).
  TVARIATOR* CurVari() const;
  // "CurVARILoad": the quest's control file into the variator list, a clone current.
  void CurVARILoad();
  // The VARI tab's page refresh (a quiet link until that tab is built).
  std::function<void()> FillVARIPage = [] {};

  // A colour label: its colour (0x00BBGGRR) kept with it and shown as its background.
  static void SetLabelColor(QWidget* L, uint32_t C);
  static uint32_t LabelColor(const QWidget* L);

  // ---- handlers ----
  void ngVARICORAAfterEdit(TSender E);
  void ngVARICORAExit(TSender E);
  void ngVARICORACellClick(TSender E);
  void ngStoParAfterEdit(TSender E);
  void ngStoParCellClick(TSender E);
  void ngStoParExit(TSender E);
  void cbParGChChange(TSender E);
  void btCOPI_LEnter(TSender E);
  void btCOPI_LClick(TSender E);
  void btCOPI_MadeClick(TSender E);
  void lbColorBkClick(TSender E);
  void btCTRL_LoadClick(TSender E);
  void btLUNNOReportClick(TSender E);
  void btLUNNOListClick(TSender E);
  void btLUNNOListVariClick(TSender E);
  void btLUNNOReport2Click(TSender E);
  void btLUNNORepVornClick(TSender E);
  void edScreen_PChange(TSender E);
  void edScreen_MChange(TSender E);
  void edScreenInchChange(TSender E);
  void edView_OXChange(TSender E);
  void edView_OYChange(TSender E);
  void edView_MXChange(TSender E);
  void edView_MYChange(TSender E);
  void sbView_OClick(TSender E);
  void sbView_MClick(TSender E);

 private:
  // Report, Report 2, Rep Vorn need a variator with more than one parameter.
  bool VariFilled();
  // The image the calibration refers to.
  QWidget* ViewImage() const;
  bool filling_ = false;
};
