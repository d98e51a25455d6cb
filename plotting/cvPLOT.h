// The plotter PLOTTER: the one object through which the program shows curves. It owns the
// graphs (TLGraph), the world windows that scale them (TLWorldWin, slot 0 a placeholder) and the
// plot areas that place them (TLPlot, known by identifier), and replays them on the graphics
// device (Play, through PlayOnce) into the picture window it is bound to (INIG).
//
// Callers add or replace graphs (AddGraph, NewGraph, UpDateGraphByTitle) and replay with
// PlayOnce; changing graphs never replays by itself except where said. Numbers of graphs, areas
// and windows count from 1. Messages go through the plotting services (PlotWarn); unequal X and
// Y lengths raise (ErrAbs). What the plotter asks of windows goes through TPlotHost: Window is
// the picture window bound by INIG, Tools the tool windows (stand-ins until they exist).
//
// GUI-thread state: replays are GUI-thread work; a job's results become graphs after it ends.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "plotting/cvGRAD.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPlotHost.h"
#include "plotting/cvWorldWin.h"

class TPLOTTER {
 public:
  static constexpr int32_t ReadyMark = 21930;

  int32_t Ready = 0;
  TGRAF* Gra = nullptr;
  int32_t GraId = 0;
  uint32_t bkColor = 0xFFFFFF;
  std::unique_ptr<TLPlot> LPlot;
  int32_t kXY = 0;
  int32_t kT = 0;
  int32_t kTDir = 1;
  int32_t kLayOut = 0;
  int32_t k = 0;
  int32_t kPicLineFormat = 0;
  int32_t kPicWorldWindow = 0;
  int32_t k_Compare = 0;
  TPoint ViewXY{0, 0};
  TPointRe WorldWinXY;
  int32_t NDrawn = 0;
  int32_t NextWWX = 0, NextWWY = 0;
  int32_t LastWWX = 0, LastWWY = 0;
  bool CurPictHighLight = false;
  int32_t KPicHL = 0;
  bool ComparePictHighLight = false;
  bool AutoDelOnPicModify = false;
  std::unique_ptr<TLGraph> LGraph;
  std::unique_ptr<TLWorldWin> LWorldWin;
  bool Playing = false;

  // The picture window bound by INIG (nullptr: none) and the tool windows.
  TPlotHost* Window = nullptr;
  TPlotHost* Tools = &StandInPlotHost();

  explicit TPLOTTER(TGRAF* Device);

  // ---- life ----
  void Init(TGRAF* Device);
  // Binds the device to the canvas of the window FormClass ("TFPict" for the picture window).
  void INIG(platform::TCanvas* Canvas, const std::string& FormClass, TPlotHost* Form,
            double Size);
  void Rebind(platform::TCanvas* Canvas, const std::string& FormClass, TPlotHost* Form) {
    INIG(Canvas, FormClass, Form, 0);
  }
  void Reset();
  void ClearDevice();
  void Hide();
  void ClearAll();

  // ---- plot areas ----
  // The current plot area (nullptr: none); the area Init made is not in LPlot.
  TArrPlot* ArrPlot();
  void SetArrPlot(TArrPlot* A);
  TArrPlot* FindArrPlot(const std::string& ID);
  TArrPlot* ArrPlotByID(const std::string& ID);
  TArrPlot* AddArrPlot(const std::string& ID, int32_t Place, int32_t nx, int32_t ny, int32_t nt,
                       double margX, double margY, double margX2, double margY2, double tileX,
                       double tileY, double timeT);
  TArrPlot* AddArrPlotDef(const std::string& ID, int32_t Place, int32_t nx, int32_t ny,
                          int32_t nt) {
    return AddArrPlot(ID, Place, nx, ny, nt, 5, 5, 5, 5, 100, 100, 100);
  }
  // The plot area of a graph (by its Chain; FindArrPlot's message and fall-back) and that area's
  // tile count (1 without an area).
  TArrPlot* PlotAreaOf(const TOneGraph& G) { return FindArrPlot(G.Chain); }
  int32_t TileCountOf(const TOneGraph& G) {
    const TArrPlot* A = PlotAreaOf(G);
    return A ? A->NN : 1;
  }
  void SyncCurArrPlot();
  void SelArrPlot();
  bool CheckArrPlot();
  static TRectRe UnitRect() { return TRectRe{0, 0, 1, 1}; }

  // ---- graphs ----
  int32_t GraphCount() const { return LGraph ? static_cast<int32_t>(LGraph->size()) : 0; }
  // Graph n (1-based); nullptr outside.
  TOneGraph* Graph(int32_t n);
  // The graph numbered k (nullptr: no current graph).
  TOneGraph* CurPict();
  // n below 1 leaves no current graph; n above the count selects graph 1.
  void SetCurPic(int32_t n);
  bool ChkCurPic();
  int32_t kPicByTitle(const std::string& Title);
  int32_t FindPicByTitle(const std::string& Title) const;
  void DelCurPic();
  int32_t DelPicByTitle(const std::string& Title);
  void DelPic(int32_t n);
  void ShowOnlyCurPic();
  void ShowFrameGraphs();
  void MultReset() { kT = 0; }
  void MultNext();

  void AddGraph(const TARe& AX, const TARe& AY, const TARe* Weights, int32_t TileIndex,
                int32_t TimeIndex, const std::string& LineFormat, const std::string& Title,
                const std::string& AxisNameX, const std::string& AxisNameY,
                const std::string& DimX, const std::string& DimY);
  void NewGraph(const TARe& AX, const TARe& AY, int32_t TileIndex, int32_t TimeIndex,
                const std::string& LineFormat, const std::string& Title,
                const std::string& AxisNameX, const std::string& AxisNameY,
                const std::string& DimX, const std::string& DimY) {
    AddGraph(AX, AY, nullptr, TileIndex, TimeIndex, LineFormat, Title, AxisNameX, AxisNameY,
             DimX, DimY);
  }
  // Replaces the graph of that title in place (list position, windows, style, axis names,
  // active and fulcrum points), or adds one. When no graph can be added, warns and leaves the
  // list as it was.
  void UpDateGraphByTitle(const TARe& AX, const TARe& AY, int32_t TileIndex, int32_t TimeIndex,
                          const std::string& LineFormat, const std::string& Title,
                          const std::string& AxisNameX, const std::string& AxisNameY,
                          const std::string& DimX, const std::string& DimY);
  void UpDateCurGraph(const TARe& AX, const TARe& AY, int32_t TileIndex, int32_t TimeIndex,
                      const std::string& LineFormat, const std::string& Title,
                      const std::string& AxisNameX, const std::string& AxisNameY,
                      const std::string& DimX, const std::string& DimY);
  void RestoreSaved() {
    NextWWX = LastWWX;
    NextWWY = LastWWY;
  }

  // ---- world windows ----
  void FreeWWIfUnused(int32_t n);
  void CountWWUse();
  void ClearWWDims();

  // ---- editing the current graph's points ----
  // One step of the active point for key 'L', 'R', 'U' or 'D'; the mode is the first letter of
  // the Graf tab's move kind (P, T, H, L, B). Does nothing when the active point is not in use.
  void PointMove(char Key);
  void PointSetWPos(double x, double y);
  // Inserts (x, y) in the graph's X order and makes it the active point; warns at an X that
  // is there already. The caller checks ChkCurPic.
  void AddPointAt(double x, double y);
  void FlattenCurPic();
  // The Graf tab's fulcrum commands on the current graph. SetFulcrum: a captured active point
  // (index above 0) becomes the fulcrum, the active index 0; the tab's active-point fields move
  // to its fulcrum fields and the former read "0"; then the tool refresh. DeleteFulcrum: the
  // fulcrum flag cleared and the graph shown in the tool. Callers update the picture window's
  // popup afterwards.
  void SetFulcrum();
  void DeleteFulcrum();

  // ---- the mouse ----
  struct THit {
    double X = 0, Y = 0;             // the first hit's nearest point
    double DistP = 0;                // its distance in pixels
    double Dist1 = 0, Dist2 = 0;     // curve distances of the first and second hit
    int32_t Index = 0;               // the first hit's nearest point
    int32_t Pic1 = 0, Pic2 = 0;      // the two graphs (0: none)
  };
  // The graphs nearest to the device pixel (px, py); the findings go to the Graf tab.
  THit HitTest(double px, double py, double Dist2 = 0);
  // World coordinates of a device pixel in the current graph's tile and windows; (0, 0) without
  // a current graph.
  TPointRe DevToWorld(double px, double py);

  // ---- the current graph's world windows ----
  void SetCurWWRange(bool doX, bool doY, double xmin, double xmax, double ymin, double ymax);
  void GetCurWWRange(double& xmin, double& xmax, double& ymin, double& ymax);
  void GetCurWWRangeY(double& ymin, double& ymax);
  void CopyCompareScale(bool doX, bool doY);
  void JoinWorldWins(bool doX, bool doY);
  void FitWWToCurPic(bool doX, bool doY);
  // The graph's viewport and world window set on the device (the area found by its Chain).
  void SetGraphView(const TOneGraph& G);

  // ---- the tool and the grids in step with the plotter (the tool's updating lock held) ----
  void ToolsRefresh();
  void ShowCurInTool();
  void ShowWWInTool();
  void FillGraphGrid();
  void FillWWGrid();

  // ---- reports (new lists the caller owns) ----
  std::unique_ptr<TStringList> CurPicText();
  std::unique_ptr<TStringList> PlotterReport();

  // ---- replay ----
  void Play();
  // Play unless a replay runs; Playing is cleared on every exit.
  void PlayOnce();

 private:
  std::unique_ptr<TArrPlot> InitArea_;  // the area Init makes; not in LPlot
  int32_t ArrPlotNo_ = -1;              // -1 none, 0 InitArea_, i >= 1 area i of LPlot
  int32_t CurPictNo_ = 0;

  TPlotHost& Win() { return Window ? *Window : StandInPlotHost(); }
  bool OwnerIsPict() const { return Gra && Gra->OwnerName == "TFPict"; }
  void FreeGraph(TOneGraph& G);
  void Update(bool ByTitle, const TARe& AX, const TARe& AY, int32_t TileIndex,
              int32_t TimeIndex, const std::string& LineFormat, const std::string& Title,
              const std::string& AxisNameX, const std::string& AxisNameY,
              const std::string& DimX, const std::string& DimY);
};

// The program's plotter, made once at start-up after GRAF; tests make their own TPLOTTER.
extern TPLOTTER* PLOTTER;
// Makes GRAF (screen size 0, no off-screen drawing) when missing, then PLOTTER or its Init.
void PlotterUnitInit();
void FreePLOTTER();
