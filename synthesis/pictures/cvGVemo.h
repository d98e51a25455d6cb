// Model vectors drawn as curves over depth (TGVEMO) from a description of "#MG" lines: settings
// lines ("#MG_MOD", "#MG_NAM", "#MG_WVX", "#MG_WVY", "#MG_GRA" ...) and one curve per "#MG"
// line, which may change the settings it names first. Drawn through the graphics device on the
// canvas given; the vectors come from the keeper given.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TGRAF;
class TLVEMO;
namespace platform {
class TCanvas;
}

// What one "#MG" line drew.
struct TGVemoCurve {
  std::string Vector;  // model|name|grid|identification
  bool Drawn = false;
  int32_t Points = 0;
  double X1 = 0, X2 = 0, YDown = 0, YUp = 0;
};

class TGVEMO {
 public:
  TGVEMO() { SetDefaults(); }
  void SetCanvas(platform::TCanvas* C) { Canvas = C; }
  void SetDefaults();
  // Reads the description (SetDefaults first), drawing at every "#MG" line.
  void LoadDescr(const std::vector<std::string>& Lines, TLVEMO& Keeper, TGRAF& G);
  // The current curve; RawA: the stored values instead of the vector's function.
  bool Draw(bool RawA, TLVEMO& Keeper, TGRAF& G);
  bool DrawDefault(TLVEMO& Keeper, TGRAF& G) { return Draw(false, Keeper, G); }

  platform::TCanvas* Canvas = nullptr;
  std::vector<std::string> Descr;  // the description's lines, for messages
  std::string Model, Name, SIdV, NameX;
  int32_t Grid = 0;
  char ChCalc = 'N';
  double XLow = 1.5, XHigh = -8.5;
  double YDown = 9000, YUp = 2000;
  double GridStepY = 500, MarkStepY = 0, GridStepX = 0.2, MarkStepX = 2;
  char ChPoint = '.';
  uint32_t ColorIdx = 0;
  double PointSize = 5;
  int32_t NX = 1, NY = 1;
  double TileX = 100, TileY = 100, MargX = 0, MargY = 0;
  uint32_t ColBack = 0xFFFFFF, ColGrid = 0x808080;
  std::string EdText;
  std::vector<TGVemoCurve> Curves;  // one per "#MG" line read
};
