// One graph of the plotter (TOneGraph): copies of its X, Y and weight arrays (1-based), titles,
// the plot area (by identifier Chain) and tile it is drawn in, its X and Y world windows (by
// index in the plotter's TLWorldWin) and its style, parsed from the graph line-format string:
//   word 1  style: marker ".o+*|x#sd^3vV><ph/\", dash "_-=:;~", colours "rgbcmywkan" (any case)
//   word 2  marker size in millimetres;  word 3  line width and dash unit in pixels
//   [RRGGBB] colours as text (two groups give both colours);  (gap bar [dot [count]]) a pattern
// e.g. "-.K 1.5 2", "_o", ":R 0 2". SetFormat keeps the normalised form in CurvShowFormat.
//
// GUI-thread state; graphs own no pointer to windows or areas.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPlotHost.h"
#include "plotting/cvWorldWin.h"

class TStringList;

// The colour of a format letter (either case); any other letter warns "ChColor WARNING: Ch=<"
// + letter + ">" and gives black.
uint32_t ChColor(char Ch);
// The first character of the format that, upper-cased, is one of "KRGBCMYW"; "K" when none.
std::string FirstColorLetter(const std::string& Format);
// The colour of a text "RRGGBB", "r g b" (0..255) or "r g b" reals 0..1; 0x1FFFFFFF with the
// warning "Err: StrRGBtoColor(" + text + ")!!!" otherwise.
uint32_t PlotRGBtoColor(const std::string& Text);
// The name of a colour for reports ("clRed" ...), else "$RRGGBB(AA)".
std::string PlotColorName(uint32_t Color);

// The picture tool's line-style list: SetFormat adds each normalised format once and selects it.
struct TLineStyles {
  std::unique_ptr<TStringList> List;
  int32_t Selected = -1;
};
TLineStyles& PlotLineStyles();

class TOneGraph {
 public:
  bool Act = false;
  TARe AX, AY, AW;
  int32_t N = 0;
  bool QZ = false;
  bool YTitle = false;
  uint8_t Ordered = 0;
  std::string Chain;
  int32_t nXnY_Index = 1;
  int32_t TimeIndex = 0;
  int32_t WinX = 0, WinY = 0;
  bool QViz = true;
  char PixBold = 0;
  std::string CurvShowFormat;
  char MarkCh = '.';
  double MarkSize = 0;
  DashLine Dash;
  uint32_t Color1 = 0, Color2 = 0;
  int32_t IA = 0, IB = 0;
  bool IAUsed = false, IBUsed = false;
  std::string Name;
  std::string OXName, OYName;

  TOneGraph();
  // Arrays and cleared fields go; the windows' indices become 0 (the plotter frees them).
  void Clear();
  // Makes the graph from arrays of equal length (fatal otherwise) and a format.
  void Curv(const TARe& aX, const TARe& aY, const std::string& Format, int32_t TileIndex,
            const TARe* aW);
  void LinkXY(const TARe& aX, const TARe& aY, int32_t n, const TARe* aW);
  void SetFormat(const std::string& Format);
  void InsertPoint(int32_t i, double x, double y);
  void DeletePoint(int32_t i);
  bool CheckOrd(char Axis) const;
  void UpdateOrdered();
  void SortBy(char Axis);
  // Exchanges X and Y; a window shared with other graphs is first copied for this one.
  void SwapXY(TLWorldWin& Wins, int32_t UsesX, int32_t UsesY);

  TRangeRe XRange(const TLWorldWin& Wins) const;
  TRangeRe YRange(const TLWorldWin& Wins) const;
  TRectRe WorldRect(const TLWorldWin& Wins) const;
  void SetWorldRect(TLWorldWin& Wins, const TRectRe& R) const;
  // World units per device pixel in the graph's tile of Area (ky negative).
  void StepToWW(const TGRAF& G, const TArrPlot* Area, const TLWorldWin& Wins, double& kx,
                double& ky) const;

  std::unique_ptr<TStringList> Report() const;
  std::unique_ptr<TStringList> DataText() const;
  std::string ListLine() const;
  void ToGrid(TPlotHost& Host, const TLWorldWin& Wins, int32_t Row) const;
  // The tool and the Graf tab through Tools, the caption through Pict. Indices above N warn
  // and are lowered to N.
  void ToPicTool(TPlotHost& Tools, TPlotHost& Pict, const TLWorldWin& Wins);
  void StyleToTool(TPlotHost& Host) const;
};

using TLGraph = std::vector<std::unique_ptr<TOneGraph>>;
std::unique_ptr<TStringList> LGraphReport(const TLGraph& L);
int32_t CountGraphsOnWin(const TLGraph& L, int32_t Index);
