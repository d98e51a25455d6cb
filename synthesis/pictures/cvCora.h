// Frame sequences of profile plots (TCORA): every frame is a list of plot descriptions
// (TOneProf), each putting one Stokes combination of a profile of the profile list, or of the
// sum or difference of two profiles, into its own viewport. Descriptions come from a description
// file (a header and one line per plot) or from "#SG" lines of a directive file. Frames are
// drawn through the graphics device on any canvas; the animation's order of frames is kept here
// (Tick, StepLeft, StepRight) and driven by the window's timer.
//
// Drawing is window-thread work after the jobs that made the profiles. A plot that cannot be
// drawn (a missing profile, grids that cannot be summed, an unknown combination, a slit width
// of 0) gets a message naming quest, step and combination; it stays empty, the frame's other
// plots are drawn and the frame asks the timer to stop. Reader errors stop the reading through
// the fatal path, naming the file, the line and the word.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TGRAF;
class TLUNNO;
class TUNNO;
class TPicReader;
class TStringList;
class TJob;
namespace platform {
class TCanvas;
}

// One plot description.
struct TOneProf {
  char Kind = 'O';    // 'O' one profile, 'A'/'a' sum, 'S' difference x 5, 's' slit mode
  char VWKind = 0;    // viewport kind of a "#SG" plot: 'O', 'M', 'P', 'X' (0: the file's kind)
  std::string QUEST;
  int32_t IQ = 1, KProf = 1;
  std::string QUEST2;
  int32_t IQ2 = 1, KProf2 = 1;
  std::string PAR = "RI";
  double BGauss = 0;           // blur (0: none); for 's' the slit width in mA
  std::string BUnit = "mA";    // "mA" or "km/s"
  double X1 = 0, X2 = 100, Y1 = 0, Y2 = 100;
  double XMax = 240, YMax = 100, XRight = 0;
  int32_t NCol = 1, NRow = 1;
  double StepX = 100, StepY = 100, MarginX = 0, MarginY = 0;
  int32_t Cell = 1;
  uint32_t FuncColor = 0;
  int32_t JKadr = 1;

  // A plot line "kind QUEST IQ [QUEST2 IQ2] KProf [KProf2] PAR BGauss X1 X2 Y1 Y2 XMax YMax
  // colour frame" (the second profile for 'S' and 's'); Parse warns at the first bad number,
  // TryParse is silent. Nullptr when the line does not parse.
  static std::unique_ptr<TOneProf> Parse(const std::string& Line);
  static std::unique_ptr<TOneProf> TryParse(const std::string& Line);
  // "O pair.1 K3 RI" and the like, for messages and reports.
  std::string Name() const;
};

// What a plot drew: the viewport as given and in pixels, the world window, points per curve.
struct TPlotDone {
  std::string Name;
  char VWKind = 'O';
  double V1 = 0, V2 = 0, V3 = 0, V4 = 0;  // X1 X2 Y1 Y2 in the kind's unit ('X': percent)
  int32_t PixLeft = 0, PixRight = 0, PixTop = 0, PixBottom = 0;
  double WX1 = 0, WX2 = 0, WY1 = 0, WY2 = 0;
  std::vector<int32_t> Points;  // the curve, then its mirror when drawn
  std::string Problem;          // why the plot stayed empty
};

struct TFrameDone {
  int32_t Frame = 0;
  std::vector<TPlotDone> Plots;
  bool StopTimer = false;  // a plot could not be drawn
  // One line per plot.
  std::unique_ptr<TStringList> Report() const;
};

// Percent-of-page bounds of cell Cell (1-based, row by row from the top) of an 'X' grid.
void CellViewport(int32_t NCol, int32_t NRow, double StepX, double StepY, double MarginX,
                  double MarginY, int32_t Cell, double& X1, double& X2, double& Y1, double& Y2);

class TCORA {
 public:
  TCORA();
  // The defaults of the table of fields, no frames.
  void SetDefaults();

  int32_t NProf = 0;
  char ScaleKind = 'X';
  int32_t NKadr = 1;
  int32_t KKadr = 1;  // current frame; 0 before an animation starts
  int32_t Dir = 1;    // direction of the animation
  int32_t Interval = 0;
  uint32_t ColBack = 0xFFFFFF, ColGrid = 0x808080, ColFunc = 0;
  double XMax = 240, YMax = 100, XRight = 0;
  double Vma = 0;
  std::string VmaUnit = "km/s";
  int32_t NCol = 1, NRow = 1;
  double StepX = 100, StepY = 100, MarginX = 0, MarginY = 0;
  int32_t KDef = 1;
  std::vector<std::string> Names;
  std::vector<std::vector<std::unique_ptr<TOneProf>>> LKadr;
  std::string FileName;

  // Frame i (1-based), empty frames appended up to it.
  std::vector<std::unique_ptr<TOneProf>>& GetKadr(int32_t i);

  // A description file: header and plot lines (frames cleared first). One frame: KKadr 1, to be
  // drawn at once; several: KKadr 0 and the animation starts (Animated()).
  void ReadFile(const std::string& AFileName);
  // The header line alone (counts, scale kind, interval, colours).
  void ReadScale(TPicReader& R);
  // "#SG" lines of a directive file (the fields' defaults and one empty frame first).
  void ReadDescr(const std::string& AFileName);
  void ReadDescrLines(const std::vector<std::string>& Lines, const std::string& Name);
  bool Animated() const { return NKadr > 1; }
  std::string FrameLabel() const;

  // One timer tick: the next frame, the end frames shown twice (1..N, N, N-1 .. 1, 1, 2 ..).
  void Tick();
  // Stepping by hand, wrapping at both ends.
  void StepLeft();
  void StepRight();

  // Frame K drawn on the canvas: bound to G, filled with ColBack, every plot in frame order.
  TFrameDone DrawKadr(int32_t K, platform::TCanvas& Canvas, TLUNNO& List, TGRAF& G);
  // The current frame KKadr; without frames a warning "CORA.DRAWI LKadr Not Assigned!".
  TFrameDone DRAWI(platform::TCanvas& Canvas, TLUNNO& List, TGRAF& G);
  // One plot on the bound device.
  TPlotDone DrawOne(const TOneProf& P, TLUNNO& List, TGRAF& G);
  // The description file read again and frame 1 drawn on the printer of the plotting services
  // (white page), one job step per plot. Differences are taken on one grid only ('S' by Dif);
  // with trace channel 26 on, the two profiles and their difference are appended to
  // "TEST/UNSave1.txt", "TEST/UNSave2.txt" and "TEST/UNSave.txt" below the application root.
  TFrameDone PrintFrame(TJob& Job, TLUNNO& List, TGRAF& G);

 private:
  bool printing_ = false;
  void FillKadrs(TPicReader& R);
  void ReadSG(TPicReader& R);
  void Viewport(const TOneProf& P, TGRAF& G, TPlotDone& D) const;
};

// One combination of a profile in the current viewport: the ranges of XMax, XRight (mA) and
// YMax (percent). False, with Done->Problem, when nothing was drawn.
bool RAGR(TGRAF& G, TUNNO& U, const std::string& PAR, uint32_t Color, uint32_t GridColor,
          double YMax, double XMax, double XRight, TPlotDone* Done = nullptr);
// RAGR with ranges from the profile: YMax 100 x its amplitude, the x range over its grid.
bool RAGRAuto(TGRAF& G, TUNNO& U, const std::string& PAR, uint32_t Color, uint32_t GridColor,
              TPlotDone* Done = nullptr);
// One combination of a profile in a framed viewport (kind '0' fractions of the page, 'M'
// millimetres, 'P' pixels rounded; another kind keeps the viewport set before), in yellow.
void UnnoDraw(TGRAF& G, TUNNO& U, const std::string& Word, char Kind, double a, double b,
              double c, double d, TPlotDone* Done = nullptr);

// The description file of a quest: "<quest>.<step>" in the folder of ("RACH", "PIC"), else
// "<quest>" when that one does not exist.
std::string CoraFileOf(const std::string& Quest, int32_t Step);
