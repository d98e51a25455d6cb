// The picture tool FPicTool without its widgets: the values of its controls by name, its
// updating lock, and its handlers (current and comparison graph, line styles and the
// "LineStyles" text, plot areas, margins, film frames, axes, scales and the drawing-area size).
// It is the plotter's host for the tools: the plotter writes the controls through ToolSet and
// reads them through ToolGet; the refresh it asks for is the plotter's own ToolsRefresh. The
// window (plotting/qt/cvFPicTool.h) shows the values and calls Changed with a control's name
// after the user changed it. Also here: the text rules the handlers use, as plain functions.
//
// GUI-thread state, like the plotter.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "foundation/cvTy.h"
#include "plotting/cvPlotHost.h"

class TOneGraph;
class TPLOTTER;
class TPictState;
class TStringList;
class TWorldWin;

// ---- text rules ----
// A margin text "a/b" or "a" ("/" counts as a blank; one word gives both): false with the word
// that is not a number.
bool ParseMarginText(const std::string& Text, double& M1, double& M2, std::string& BadWord);
// The axis-position text of a window ("p1 [p2]"), with its warnings; false when refused.
bool ApplyAxisPos(TWorldWin& W, const std::string& Text, bool IsX);
// The digit-position text ("ф0", "хх", ...) into the window's two label-side codes.
void ApplyDigitPos(TWorldWin& W, const std::string& Text);
// Format edits of the tool's style controls.
std::string FormatWithMarker(const std::string& Format, char Ch);
std::string FormatWithDash(const std::string& Format, char Ch);
std::string FormatWithColor(const std::string& Format, char Ch);
std::string FormatWithMarkSize(const std::string& Format, std::string S);
std::string FormatWithLineSize(const std::string& Format, const std::string& T);
std::string FormatWithDashGroup(const std::string& Format, const std::string& Group);
// The style list as "LineStyles" text (running numbers right-aligned in two columns, numbers
// above 99 in full) and read back (comments, running numbers; ends at a blank line or a break).
std::unique_ptr<TStringList> LineStylesText(const TStringList& Styles);
std::unique_ptr<TStringList> ParseLineStyles(const TStringList& Text);
// One film tick over pages 1..Pages (nothing with fewer than 2 pages).
void FilmStep(int32_t& kT, int32_t& kTDir, int32_t Pages, bool BackAndForth);
// The frame buttons over 0..Pages.
int32_t NextFrame(int32_t kT, int32_t Pages);
int32_t PrevFrame(int32_t kT, int32_t Pages);
// One size step of the drawing field from x1..x2 to the next multiple of Step (d +1 or -1):
// the window's growth in pixels; false when nothing is to change or Step is below 1.
bool SizeStep(int32_t x1, int32_t x2, int32_t Step, double m1, double m2, int32_t d,
              int32_t& Grow, int32_t& Target);
// The window width that gives each of the graph's X intervals a whole number of pixels; false
// for fewer than 2 points.
bool FitWidthToPoints(int32_t NPoints, double XRange, int32_t Desktop, int32_t Frame,
                      int32_t DeviceWidth, double m1, double m2, int32_t& Width);

class TPicTool : public TPlotHost {
 public:
  TPLOTTER* P = nullptr;      // the plotter the tool steers
  TPictState* Pict = nullptr; // the picture window
  int32_t StyleIndex = -1;
  // The main window's Graf tab: its fields (MainGet, MainSet) and its graph and world-window
  // grids; nullptr until the tab exists (the tool keeps the fields with their design values).
  TPlotHost* Main = nullptr;
  bool Shown = false;          // the tool window is shown
  uint32_t ColorBk = 0xFFFFFF; // the background label's colour (0x00BBGGRR)

  // The window's side: a value written from code, a control shown or focused, the tool shown.
  std::function<void(const std::string& Name, const std::string& Value)> OnSet;
  std::function<void()> OnShowTool;

  TPicTool();

  // A control's value (the design value until one is set) and writing one from code.
  std::string Get(const std::string& Name) const;
  void Put(const std::string& Name, const std::string& Value);
  // The user changed or clicked the control Name: its handler runs (none: nothing).
  void Changed(const std::string& Name);
  // The user's new value of a control, then its handler.
  void Input(const std::string& Name, const std::string& Value) {
    Ctl_[Name] = Value;
    Changed(Name);
  }

  // ---- host ----
  void ToolsRefresh() override;
  bool GetMargins(double& MargX, double& MargY, double& MargX2, double& MargY2, double& TileX,
                  double& TileY) override;
  std::string PixBoldText() override { return Get("cbPixBold"); }
  void GraphToGrid(int32_t Row, const TCtlValues& Cells) override;
  void GraphGridUnits(const TStringList& Dims) override;
  void WindowToGrid(int32_t Row, const TCtlValues& Cells) override;
  void GridClear(const std::string& Grid) override;
  void GraphToPicTool(const TCtlValues& Tool, const TCtlValues& GrafTab) override;
  void StyleToTool(const TCtlValues& Style) override;
  void ToolSet(const TCtlValues& Values) override;
  std::string ToolGet(const std::string& Name) override { return Get(Name); }
  std::string MainGet(const std::string& Name) override;
  void MainSet(const TCtlValues& Values) override;
  bool PictVisible() override;
  void PictOuterSize(int32_t& Width, int32_t& Height) override;

  // ---- form ----
  void FormShow();
  void FormHide();

  // ---- graphs and styles ----
  void btShowPicClick();
  void btCORAClearClick();
  void btKGraIncClick();
  void btKGraDecClick();
  void edKPicChange();
  void btOneGraphClick();
  void btKGraMoveLeftClick();
  void cbGraVisibleClick();
  void btPicDelClick();
  void edTitleChange(const std::string& Control);
  void btHighLightCurPicClick();
  void btPic0Click();
  void edKPic0Change();
  void btHighLightPic0Click();
  void SetGraphStyle(const std::string& Format);
  void btApplyStyleClick();
  void edLineStyleChange();
  void btDelFormatClick();
  void SetGraphMarker(const std::string& Ch);
  void SetGraphDash(const std::string& Ch);
  void SetGraphMarkSize(const std::string& S);
  void cbForeColorChange();
  void cbMarkChange();
  void cbLineStileChange();
  void edMarkSizeChange();
  void edLineSizeChange();
  void edDashGapChange();
  void btFormatsSaveClick();
  void btFormatsLoadClick();
  // Background colour and caption font through the platform's dialogs.
  void lbColorBkClick();
  void btFontDialogClick();

  // ---- plot areas, frames, axes, scales ----
  void btAPincludeClick();
  void edKLayOutChange();
  void edNXChange();
  void edMargChange(const std::string& Control);
  void edTileChange(bool IsX);
  void btOneGClick(int32_t Dir);
  void btTClick(int32_t Dir);
  void LabelClick(char Axis);
  void btDivWClick(bool IsX);
  void btOXShowClick(bool IsX);
  void cbDigitPosChange(bool IsX);
  void edOXPosChange(bool IsX);
  void edOXMSizeChange(bool IsX);
  void edNMrkChange(bool IsX);
  void btInvertClick(bool IsX);
  void btChangeXYClick();
  void btFuzeWinClick();
  void btEqZoomWinClick();
  void btSetZoomClick();
  void btZoomClick();
  void cbZoomClick(bool IsX);
  void btTESTClick();
  void udClick(bool IsX, int32_t d);
  void btXWidthClick();

  // ---- points, curve operations, reference lines, statistics, reports, the film ----
  // Point I of the current graph made its active point (warned and ignored outside 1..N).
  void ResetActivePoint(int32_t I);
  void btPrevPointClick();
  void btNextPointClick();
  void btDelPointClick();
  void btSetPointClick();
  void btAddPointClick();
  void cbAutoDelClick();
  void btOperClick();
  void btIPOLClick(char Method);
  void btInvertIndexClick();
  void btDoSmoothClick();
  void btHistGraClick();
  void cbSmoothChange();
  void btLineYClick();
  void btLineXClick();
  void btNewGrafClick();
  void btGraHistClick();
  void btPicStatClick();
  void btPrintClick();
  void btOXReportClick();
  void btPLOTTERReportClick();
  void btOpenGraphTunesClick();
  // The frames replayed here; their encoding and writing a job of the services' runner. False
  // when nothing was started (a message said why).
  bool btGIFClick();
  // The X grid of the Graf tab's memoGridX (first line; empty with a warning without lines).
  TARe GridX();

 private:
  void InstallOutputs();
  std::map<std::string, std::string> Ctl_;
  std::map<std::string, std::string> Main_;  // the Graf tab's fields until that tab exists
  std::map<std::string, std::function<void()>> Handlers_;
  bool On(const std::string& Name) const { return Get(Name) == "1"; }
  bool ValidCur();                         // the plotter's ChkCurPic
  TOneGraph* CurGraph();                   // the current graph object, nullptr when none
  TWorldWin* ToolWin(bool IsX);            // the window in edKWX / edKWY when above 0
  void Apply(const std::string& Format);   // a format to the current graph, shown and replayed
  void Refresh();                          // the plotter's tool refresh
  void Warn(const std::string& Text);
  void ApplyCharSize(int32_t Size);  // the font size of the window's and the device's canvas
};

