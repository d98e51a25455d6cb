// The FITS tab: the data root, the year/month chooser and the sessions grid (scans/cvSessions.h
// reads the archive), the session panel, the scan of a session ("Ld": the headers read and the
// keys that vary compared, as a job), a pixel's Stokes profiles in the picture window, as a text
// table or an N x N matrix, the session's map names and sources and the header reports and
// header editing. The map list, map expressions, filters, graphs and calculation buttons of the
// tab's later work keep their controls in the hidden panel pnFITSMaps, their handlers not
// registered yet.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Corvesta/TabFITSForm.h"
#include "foundation/cvLink.h"
#include "foundation/cvTy.h"
#include "mainwindow/CorvestaTab.h"
#include "scans/cvMapStats.h"
#include "scans/cvSessions.h"

class TJob;
class TLFITS;
class TFITS;
class TFIOut;
class TFITSMapCtls;
namespace fitsruns {
struct TRunCtx;
}

// What the FITS tab hands the Test tab: its fields (edFITiX, edICont6301, lb_iX, lb_iY) and the
// pixel's profile for the line measurement CurI. The Test tab installs them.
// Starts a job whose maps are made in a registry of its own (reading LFIO) and enter LFIO on the
// window's thread after it, before Done; a cancelled job registers nothing.
bool StartMapJob(TQtJobRunner& Jobs, std::shared_ptr<TJob> Job, std::function<void(TJob&)> Work,
                 std::function<void(TJob&)> Done = {});

struct TFITSTestLinks {
  TLink<void(const std::string& Control, const std::string& Text)> SetField{
      "TTabTest.SetField", TLinkLoudness::Quiet};
  TLink<void(const TARe& X, const TARe& I, double Cont, int32_t IX, int32_t IY)> HandOverCurI{
      "TCorvesta.HandOverCurI", TLinkLoudness::Quiet};
};

class TTabFITS : public TFormTab<TabFITSForm> {
 public:
  explicit TTabFITS(TCorvesta& Shell);
  ~TTabFITS() override;
  void RegisterHandlers(platform::THandlerRegistry& H) override;
  void Show() override { TabFITSShow(); }
  // The form's events and those of the level filters and statistics bound from code.
  std::span<const platform::TFormEvent> FormEvents() const override;

  // The map index of the tab (-1: none).
  int32_t iMapIndex = -1;
  TFITSTestLinks TestLinks;

  // ---- the main window's FITS fields ----
  int32_t YMCol = 0, YMRow = 0;
  std::string YMColCaption, CurSession, FOSession, LastClickGrid, PrevClickGrid;
  double LamShift = 6300.0;
  bool FITSTunesRead = false;
  std::unique_ptr<TLFITS> CurLFITS;
  int32_t FITSCol = 0, FITSRow = 0, FITSDTRow = 0;
  std::vector<std::string> FONames, FOLines;

  // ---- routines ----
  void TabFITSShow();
  bool ChkHinodePath(const std::string& Path);
  std::string Root() const;
  void FillFITS_YM();
  void LoadFITSTunes();
  void FillSessions(const std::string& Choice);
  // The rows of a fill into the grid (the grid's rows replaced).
  void ShowSessionRows(const std::vector<sessions::TSessionRow>& Rows);
  void AfterFill(const std::string& Choice);
  void ShowSession();
  std::string CurSessionName();
  void ShowColumnGroups();
  void ngFITS_YM_TabWidth();
  std::string CurSessionFolder();
  void LinkSessionFolder(const std::string& Folder);
  void LinkLFITS(const std::string& Folder);
  void LFITS_SetOptions();
  bool GetLFITSOptions(double& W1, double& W2, double& KRC, double& Smooth);
  void LoadLFITS();
  void ShowScanInfo();
  TFITS* CurFITS();
  TFITS* FITSOfRow(int32_t Row);
  bool GetFITSiXiY(int32_t& IX, int32_t& IY);
  bool GetProfileSel(int32_t& IX, int32_t& IY, std::string& Sel);
  void PLOTTER_INIT(bool Replace);
  void FillFOFiltList();
  void ShowCalcState();
  void FillFiltSets();
  void AddSourceRow(const std::string& Session, char C);
  // The session's map (cb_OpY, else CONT, else Original_Continuum_Intensity) registered.
  void ShowSessionMap();
  int32_t YMColKind();
  // The header shown by "Hd" (empty with the message when none).
  std::vector<std::string> HeaderReport();

  // ---- handlers ----
  void edFITSpathChange(TSender E);
  void cbFITS_YMChange(TSender E);
  void btYMClick(TSender E);
  void btSesWideClick(TSender E);
  void ToggleClick(const char* Key, bool Down);
  void btFITS_YMprintClick(TSender E);
  void ngFITS_YMCellClick(TSender E);
  void ngFITS_YMExit(TSender E);
  void ngFITS_YMKeyDown(TSender E);
  void ngFITS_YMMouseDown(TSender E);
  void pmYM_FldFromClick(TSender E);
  void pmYM_FldToClick(TSender E);
  void btLoadFITSClick(TSender E);
  void btLFITS_UpDateClick(TSender E);
  void btLFITS_freeClick(TSender E);
  void ngFITSCellClick(TSender E);
  void edFITSiXChange(TSender E);
  void udFITSiXClick(TSender E);
  void btFIT2EdNormClick(TSender E);
  void btFIT2_EdNormClick(TSender E);
  void btFIT2EdClick(TSender E);
  void cbArrPlotNNChange(TSender E);
  void btCheck12LambClick(TSender E);
  void rbCVClick(TSender E);
  void rbMEClick(TSender E);
  void bt_FITS_curClick(TSender E);
  void bt_FITS_tunesClick(TSender E);
  void ed_NCutChange(TSender E);
  void btHdRepClick(TSender E);
  void pmYM_HdReturnClick(TSender E);
  void btSesMECV_structClick(TSender E);
  void btServClick(TSender E);
  void btFITSRepHeadersClick(TSender E);

  // ---- level filters, statistics and session constants (TabFITSFilters.cpp) ----
  int32_t FiltFocus = 1, FiltCombCount = 0, FiltCombCur = 0;
  int32_t CutX1 = 0, CutX1Old = 0, CutY1 = 0, CutY1Old = 0;
  // One slit-file object per combination of the last "Prof" (its summed profiles) and their
  // continuum sums.
  std::unique_ptr<TLFITS> ProfLFITS;
  std::vector<double> ProfContSums;
  std::string MaskCaption;  // the map-window entry of the last "Mask"
  static const std::vector<platform::TFormEvent>& FilterEvents();
  void RegisterFilterHandlers(platform::THandlerRegistry& H);
  TFiltControls FiltControls();
  // FOSession: the current map's session, else the sessions grid's current one.
  void EnsureFOSession();
  void UpDateCurFilt();
  // The current map: the map list's, else the Y operand of FOSession.
  TFIOut* CurMap(bool Warn);
  bool PrepWalk(const std::vector<std::string>& Names, bool WithScan, TMapWalk& W);
  bool CurFiltMask(TAByBy& Mask);
  void FO_ShowMask();
  THistSettings GrafHistSettings();
  void PlotHistogram(const TARe& Values, const std::string& Title);
  void MeanClick(int Kind);
  void CutStep(bool X);
  // The drop-down of an operand or filter combo: blank, the current map, the checked rows of
  // ngFO_Filt.
  void FillOperandCombo(platform::TComboBox* C);
  void SetAllFOFilt(bool On);
  void FillSesFilt();
  void ApplySesFilter();
  void edFOFiltCurChange(TSender E);
  void bt_FOGraClick(TSender E);
  void bt_HistClick(TSender E);
  void bt_ListClick(TSender E);
  void bt_CutClick(TSender E);
  void bt_ProfClick(TSender E);
  void bt_MaskClick(TSender E);
  void bt_vO_tClick(TSender E);
  void btMeanY_kClick(TSender E);
  void btCB0Click(TSender E);
  void btListCalc_CVClick(TSender E);
  void btd2CircClick(TSender E);
  void bt_AddFiltSetClick(TSender E);
  void cb_FiltSetChange(TSender E);
  void sbSesFilterClick(TSender E);
  // ---- the map list, map display, map expressions and calculation stages (TabFITSMaps.cpp) ----
  int32_t FIORow = -1, FIOCol = 0, FIOScrollPos = 0;
  std::string CurFIOKey, CurFIOName, LastAutoFillName, HintFIOutName;
  bool MapRedrawPending = false, SelectingFIO = false;
  std::unique_ptr<TFITSMapCtls> MapCtls;
  void RegisterMapHandlers(platform::THandlerRegistry& H);
  void InitMaps();
  void DoneMaps();
  TFIOut* CurFIOut();
  TFIOut* FIOutOfRow(int32_t Row);
  std::string FIORowTitle(int32_t Row);
  int32_t FIOSessionCount();
  void FIOSelectRow(int32_t Row);
  void FillFIO();
  void ShowMemoryLabels();
  bool ComboWordReal(platform::TComboBox* Box, int32_t N, double& Value);
  bool GetHistRange(double& Lo, double& Hi, bool& ByValue);
  bool GetMapHistRanges(double& HistLo, double& HistHi, bool& UseHist, bool& ByValue,
                        double& MapHi, double& MapLo);
  void btMapClick(TSender E);
  void ShowMapOfFIOut(TFIOut* Map);
  bool FO_Pict(TFIOut* Map);
  void ShowFIOutRange(TFIOut& Map);
  void ShowFIOutInMap(TFIOut& Map);
  bool PrepCalcSession();
  bool CurSessionDT(std::string& Da, std::string& Ti);
  std::vector<std::string> SessionNames();
  // A stage or the RUN queue as one job; Work gets the context; afterwards the tab refreshed.
  void StartRun(const std::string& Name,
                std::function<bool(TJob& J, fitsruns::TRunCtx& Ctx)> Work);
  void AfterRun();
  void InsertAutoFill(const std::string& Name);

 private:
  bool FiltUpdating = false, CutMoving = false;
  void FilterLimit(int32_t Col);
  bool busy();
};
