// What the maps need of the windows that show them: the map bitmap FOBitmap (24 bits, drawn by a
// map's value picture at the scale FOZoom), the map window reached through the link ShowInMapWin,
// and the FITS tab's controls the map object and the map window read and write (picked cell, area
// bounds, the map panel, the cell under the mouse ...) through one record, TFITSMapCtls, that the
// FITS tab installs. Until it does, a stand-in keeps the control texts in memory (design values
// where the form has them), draws a map straight into the map window and reports the panel's
// extra functions as not available.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "foundation/cvLink.h"

class TFIOut;
namespace platform {
class TBitmap;
}

// The map bitmap (made on first use) and its scale.
platform::TBitmap& FOBitmap();
bool FOBitmapExists();
void FreeFOBitmap();
extern double FOZoom;
// The display name of the map the map window shows.
extern std::string CurFOName;

// The FITS tab's side of the maps and the map window.
class TFITSMapCtls {
 public:
  virtual ~TFITSMapCtls() = default;
  // A control's text ("edFITSiX", "ed_IX1", "edSquareX", "lbFIOmi", "gbFIOut.Caption" ...).
  virtual std::string Get(const std::string& Name);
  virtual void Set(const std::string& Name, const std::string& Value);
  // TCorvesta.ShowFIOutInMap: the map drawn into the map window (stand-in: its value picture
  // painted by the map's current levels and shown).
  virtual void ShowFIOutInMap(TFIOut& Map);
  // TCorvesta.ShowFIOutRange: the map's value range shown on the tab (stand-in: nothing).
  virtual void ShowFIOutRange(TFIOut& Map);
  // TCorvesta.PrepPictPlotter: the picture window's plotter made ready for graphs.
  virtual bool PrepPictPlotter();

 private:
  std::map<std::string, std::string> Values_;
};

// The installed record, or the stand-in.
TFITSMapCtls& FITSMapCtls();
// Installs the FITS tab's record (nullptr: the stand-in again). Not owned.
void SetFITSMapCtls(TFITSMapCtls* Ctls);

struct TMapViewLinks {
  // The map window shown (restored when minimised) for the map whose picture FOBitmap holds:
  // its geometry set and the bitmap drawn.
  TLink<void(TFIOut& Map)> ShowInMapWin{"FMap"};
  // The picture window made ready (shown, plotter on) for the map window's profile graphs.
  TLink<bool()> PrepPictPlotter{"TCorvesta.PrepPictPlotter", TLinkLoudness::Quiet};
  // TFMap.FitClientToMap: the map window sized for a map of NX x NY cells at a scale.
  TLink<void(int32_t NX, int32_t NY, double Scale)> FitClientToMap{"TFMap.FitClientToMap",
                                                                   TLinkLoudness::Silent};
};
TMapViewLinks& MapViewLinks();
