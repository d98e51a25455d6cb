#include "scans/cvMapView.h"

#include "platform/Canvas.h"
#include "scans/cvFIOut.h"
#include "scans/cvR4Pict.h"

double FOZoom = 1.0;
std::string CurFOName;

namespace {

std::unique_ptr<platform::TBitmap>& Bmp() {
  static std::unique_ptr<platform::TBitmap> B;
  return B;
}

TFITSMapCtls* Installed = nullptr;

}  // namespace

platform::TBitmap& FOBitmap() {
  if (!Bmp()) Bmp() = std::make_unique<platform::TBitmap>(0, 0, 24);
  return *Bmp();
}
bool FOBitmapExists() { return static_cast<bool>(Bmp()); }
void FreeFOBitmap() { Bmp().reset(); }

std::string TFITSMapCtls::Get(const std::string& Name) {
  const auto it = Values_.find(Name);
  if (it != Values_.end()) return it->second;
  // The form's design texts of the edits the maps read.
  if (Name == "edSquareX" || Name == "edSquareY") return "5";
  return "0";
}

void TFITSMapCtls::Set(const std::string& Name, const std::string& Value) {
  Values_[Name] = Value;
}

void TFITSMapCtls::ShowFIOutInMap(TFIOut& Map) {
  Map.ToPict();
  if (Map.Pict && Map.Pict->Levels.empty()) {
    Map.Pict->GetHist();
    Map.Pict->SetLevelsByPct(256, 0.01, 0.99);
  }
  MapViewLinks().FitClientToMap(Map.nX, Map.nY, FOZoom);
  Map.ShowInMapWin();
}

void TFITSMapCtls::ShowFIOutRange(TFIOut&) {}

bool TFITSMapCtls::PrepPictPlotter() { return MapViewLinks().PrepPictPlotter(); }

TFITSMapCtls& FITSMapCtls() {
  static TFITSMapCtls StandIn;
  return Installed ? *Installed : StandIn;
}

void SetFITSMapCtls(TFITSMapCtls* Ctls) { Installed = Ctls; }

TMapViewLinks& MapViewLinks() {
  static TMapViewLinks L;
  return L;
}
