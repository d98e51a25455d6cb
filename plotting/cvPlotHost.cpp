// Stand-ins of the plotter's host.
#include "plotting/cvPlotHost.h"

#include <map>

#include "foundation/cvLink.h"
#include "foundation/cvLit.h"

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

void TPlotHost::GridClear(const std::string&) {}

void TPlotHost::ToolSet(const TCtlValues&) {}
std::string TPlotHost::ToolGet(const std::string& Name) { return PicToolDesignValue(Name); }

std::string TPlotHost::MainGet(const std::string& Name) {
  static const std::map<std::string, std::string> Design = {{"cbMoveKind", "Touch Segment"},
                                                            {"edMoveStepP", "1"},
                                                            {"edStepX", "0.05"},
                                                            {"edHalfWidth", "1"},
                                                            {"cb_gif_2side", "1"},
                                                            {"ed_tGIF", "0.2"},
                                                            {"edkMi", ".0010"},
                                                            {"edkMa", ".9990"}};
  const auto It = Design.find(Name);
  return It == Design.end() ? std::string() : It->second;
}
void TPlotHost::MainSet(const TCtlValues&) {}
bool TPlotHost::PictVisible() { return false; }
void TPlotHost::PictOuterSize(int32_t& Width, int32_t& Height) { Width = Height = 0; }

std::string PicToolDesignValue(const std::string& Name) {
  static const std::map<std::string, std::string> Design = {
      {"cbGraVisible", "1"}, {"btOXXShow", "0"},     {"btOXYShow", "0"},
      {"btHighLightCurPic", "0"}, {"btHighLightPic0", "0"}, {"btOneGraph", "0"},
      {"btMouseHold", "0"},  {"sbScalesRounding", "0"}, {"cbZoomX", "1"},
      {"cbZoomY", "0"},      {"cbPixBold", "3"},     {"edKPic", "111"},
      {"edKPic0", "000"},    {"edLineStyle", "-.K"}, {"edLineStyleNumber", "0"},
      {"cbMark", "."},       {"cbLineStile", "-"},   {"cbForeColor", "K"},
      {"edMarkSize", "0.6"}, {"edLineSize", "0"},    {"edDashGap", "1"},
      {"edDashWide", "3"},   {"edDashDot", "1"},     {"edArrPlot", "0"},
      {"edAPk", "1"},        {"edKLayOut", "1"},     {"edNX", "1"},
      {"edNY", "1"},         {"edNT", "1"},          {"edMargX", "10/10"},
      {"edMargY", "5/5"},    {"edTileX", "100"},     {"edTileY", "100"},
      {"edKWX", "-1"},       {"edKWY", "-1"},        {"cbOXXDigitPos", "ф0"_cp},
      {"cbOXYDigitPos", "ф0"_cp}, {"edOXXPos", "0 1"}, {"edOXYPos", "0 1"},
      {"edOXXMSize", "1"},   {"edOXYMSize", "1"},    {"edNMrkX", "5"},
      {"edNMrkY", "5"},      {"edWX1", "10000"},     {"edWX2", "10000"},
      {"edWY1", "10000"},    {"edWY2", "10000"},     {"edVX1", "8000"},
      {"edVX2", "8000"},     {"edVY1", "8000"},      {"edVY2", "8000"},
      {"edDV", "100"},       {"edPicTitle", "График"_cp},
      {"edsXTit", "X"},      {"edsYTit", "Y"},
      {"edOperand", "50"},   {"cbOperator", "lg"},   {"cbSmooth", "N"},
      {"edNInterval", "100"}, {"cbAutoDel", "0"},    {"btClipBrdSrc", "0"},
      {"edXCol", "1"},       {"edYCol", "2"},        {"cbActivePoint", "0"}};
  const auto It = Design.find(Name);
  return It == Design.end() ? std::string() : It->second;
}

TPlotHost& StandInPlotHost() {
  static TPlotHost H;
  return H;
}
