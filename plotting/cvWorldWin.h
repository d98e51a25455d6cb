// World windows and plot areas of the plotter. A world window (TWorldWin) is a named scale for
// one axis (kind 'X' or 'Y', range, units, axis drawing); graphs store the window's index in the
// plotter's TLWorldWin, whose slot 0 is a placeholder. A plot area (TArrPlot) is a rectangle of
// the page in fractions (Y upward) split into nx x ny tiles on nt pages, with margins; areas
// nest and are known by their identifier sChain ("0" for the base area, else the parent's
// identifier, a blank and the parent's tile).
//
// GUI-thread state (owned by the plotter); nothing here draws.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plotting/cvGRAD.h"
#include "plotting/cvPlotHost.h"

class TStringList;

struct TRangeRe {
  double Lo = 0, Hi = 0;
};

TRangeRe MakeRange(double Lo, double Hi);
// Overlap of two ranges (each ordered first); for disjoint ranges Hi - Lo is minus the gap.
TRangeRe IntersectRange(TRangeRe a, TRangeRe b);
// X1 < x < X2 and Y1 < y < Y2 strictly, in device pixels with Y1 the top row. A rectangle whose
// Y1 exceeds its Y2 warns "Top=... Bottom=..." and holds no point.
bool PointInRectRe(const TPointRe& P, const TRectRe& R);

class TWorldWin {
 public:
  std::string Chain;
  int32_t Id = 0;
  int32_t NUse = 0;
  char Kind = 0;  // 'X', 'Y'; 0 = free slot
  double P1 = 0, P2 = 0;
  std::string sOX;
  std::string sDim;
  int32_t kOX = 0;
  double PosOX = 0;
  double Pos2 = 1;
  int32_t NMrk = 5;
  int32_t nnMk = 1;
  int32_t PDOX = -1;
  int32_t PDOX2 = 0;
  double MrkSz = 1;
  // No operation attaches a scale function yet; a window holds none.

  TWorldWin() { Clear(); Defaults(); }
  void Clear();
  void Defaults();
  std::string ReportLine() const;
  // Row Row of the world-window list.
  void ToGrid(TPlotHost& Host, int32_t Row) const;
};

class TLWorldWin {
 public:
  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  // Window i (0 .. Count-1); nullptr outside.
  TWorldWin* GetWin(int32_t i);
  const TWorldWin* GetWin(int32_t i) const;
  // A free slot at 1 or above, cleared with defaults; else a new window (two on an empty list).
  int32_t NewWin();
  // A new window with every field of W; NMrk below 2 becomes 5 and Id a fresh number.
  int32_t AddCopy(const TWorldWin& W);
  int32_t FindWinX(TRangeRe R, const std::string& Dim) const { return FindWin('X', R, Dim); }
  int32_t FindWinY(TRangeRe R, const std::string& Dim) const { return FindWin('Y', R, Dim); }
  int32_t FindWin(char Kind, TRangeRe R, const std::string& Dim) const;
  int32_t IndexOfDim(const std::string& s) const;
  std::unique_ptr<TStringList> DimList() const;
  std::unique_ptr<TStringList> Report() const;
  void ClearWin(int32_t i);
  void ClearAll();
  // The smallest positive number that no window uses as Id.
  int32_t NewWinId() const;

 private:
  std::vector<std::unique_ptr<TWorldWin>> Items;
};

// The owner of a plot area: none, the plotter (rectangle KPrev) or another area (tile KPrev).
enum class TAreaOwner { None, Plotter, Area };

class TArrPlot {
 public:
  TAreaOwner Owner = TAreaOwner::None;
  int32_t KPrev = 0;
  std::string ParentChain;
  std::string sChain = "0";
  TRectRe VRect{0, 0, 1, 1};
  int32_t nx = 1, ny = 1, nt = 1;
  int32_t NN = 1, NXY = 1;
  double tileX = 100, tileY = 100;
  double margX = 0, margY = 0, margX2 = 0, margY2 = 0;
  double timeT = 1000;

  TArrPlot() { Init(); }
  void Init();
  // Bound to the plotter's rectangle k (the unit page).
  void SetOwnerPlotter(int32_t k);
  // Bound to tile k of the area Parent.
  void SetOwnerArea(const TArrPlot& Parent, int32_t k);
  std::string OwnerClassName() const;
  // Counts of 0 become 1; counts whose products overflow are refused with a message (false).
  bool SetLayout(int32_t anx, int32_t any, int32_t ant, double atileX, double atileY,
                 double atimeT, double amargX, double amargY, double amargX2, double amargY2);
  bool SetTiles(int32_t anx, int32_t any, int32_t ant);
  int32_t TileCol(int32_t k) const;
  int32_t TileRow(int32_t k) const;
  TRectRe TileRect(int32_t k) const;
  // Tile k in device pixels of G's page (Y1 the top row).
  TRectRe TileRectPix(const TGRAF& G, int32_t k) const;
  // The tile whose pixel rectangle holds the device point (x, row y); 0 when none.
  int32_t TileAt(const TGRAF& G, double x, double y) const;
  std::string ReportLine() const;
  std::unique_ptr<TStringList> Report(const TGRAF* G) const;
};

// A rectangle in page fractions (Y upward) in device pixels of G's page: Y1 the top row.
TRectRe FracToPix(const TGRAF& G, const TRectRe& R);

using TLPlot = std::vector<std::unique_ptr<TArrPlot>>;
std::unique_ptr<TStringList> LPlotReport(const TLPlot& L);
