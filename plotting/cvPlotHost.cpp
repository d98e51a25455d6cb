// Stand-ins of the plotter's host.
#include "plotting/cvPlotHost.h"

#include "foundation/cvLink.h"

void TPlotHost::SetPlotterOn(bool) {}
void TPlotHost::SetBlinkTimer(bool) {}
int32_t TPlotHost::BlinkPhase() { return 1; }
void TPlotHost::SetCaption(const std::string&) {}
bool TPlotHost::Minimized() { return false; }
void TPlotHost::HideWindow() {}
void TPlotHost::PictureChanged() {}

void TPlotHost::ToolsRefresh() { cvlink::NotAvailableQuiet("PLOTTER.ToolsRefresh"); }

bool TPlotHost::GetMargins(double& MargX, double& MargY, double& MargX2, double& MargY2,
                           double& TileX, double& TileY) {
  cvlink::NotAvailableQuiet("FPicTool.GetMargins");
  MargX = MargY = MargX2 = MargY2 = 10;  // the tool's "10/10"
  TileX = TileY = 100;
  return true;
}

std::string TPlotHost::PixBoldText() { return "3"; }

void TPlotHost::GraphToGrid(int32_t, const TCtlValues&) {
  cvlink::NotAvailableQuiet("OneGraph.ToGrid");
}
void TPlotHost::GraphGridUnits(const TStringList&) {}
void TPlotHost::GraphToPicTool(const TCtlValues&, const TCtlValues&) {
  cvlink::NotAvailableQuiet("OneGraph.ToPicTool");
}
void TPlotHost::StyleToTool(const TCtlValues&) { cvlink::NotAvailableQuiet("OneGraph.StyleToTool"); }

void TPlotHost::WindowToGrid(int32_t, const TCtlValues&) {
  cvlink::NotAvailableQuiet("WorldWin.ToGrid");
}

TPlotHost& StandInPlotHost() {
  static TPlotHost H;
  return H;
}
