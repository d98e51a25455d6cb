// The map window's logic, without the window: the list of viewed maps (the scan services' LFOP
// and LFOPIdx) walked forward, back and thinned, the cell under the mouse (CellY counted from the
// bottom), the picked cell and area bounds written to the FITS tab's controls, and rows, columns
// and their means turned into graphs of the plotter. The window (plotting/qt/cvFMap.h) turns its
// events into these calls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/cvTy.h"

class TFIOut;
class TPLOTTER;

class TMapWinState {
 public:
  int32_t MouseX = 0, MouseY = 0;
  int32_t MapNX = 0, MapNY = 0, MapW = 0, MapH = 0, PixX = 0, PixY = 0;
  int32_t CellX = 0, CellY = 0;
  // The window's caption ("Map 0(0)" when the list is empty); unset: none.
  std::function<void(const std::string&)> SetCaption;
  // The plotter the profile graphs go to (nullptr: PLOTTER).
  TPLOTTER* Plotter = nullptr;

  void SetMapGeom(int32_t NX, int32_t NY, int32_t Width, int32_t Height);
  // The client size for a map at a scale: w = round(nX * scale) (+ 20 from 300 on), h =
  // round(nY * scale) + 20.
  static void FitClientSize(int32_t NX, int32_t NY, double Scale, int32_t& W, int32_t& H);

  TFIOut* CurrentMap();
  void ShowCurrent();
  void Prev();
  void Next();
  void Del();

  void MouseMove(int32_t X, int32_t Y);
  void Click();
  void XY1();
  void XY2();
  void XY00();
  void Square();
  // "MapCutX", "MapCutY", "MapMeanX", "MapMeanY": told by the name.
  void Profile(const std::string& ComponentName);
  void MapGraph(const std::string& Name, const TARe& AX, const TARe& AY, int32_t TileIndex);

 private:
  void EmptyList();
  // Drops the entries whose maps are gone from index I on (stepping by Dir, wrapping) until a
  // live one is found; its index, or -1 when none is left.
  int32_t LiveFrom(int32_t I, int32_t Dir);
};

// The control text for the list position: entry + " " + number + "(" + count + ")".
std::string MapCountCaption();
