// What the plotter asks of the windows around it: the picture window it draws into (its
// PlotterOn flag, blink timer and phase, caption, state) and the tools (the picture tool's
// refresh, margins and blink boldness, the Graf tab's graph and style rows). Values in, results
// out; the picture window overrides its part, the tests give a recording fake. Every operation
// has a stand-in: the picture-window part does nothing, the tool part notes quietly that the
// function is not there yet and answers with the tool's initial values.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TStringList;

// Control values by control name (booleans "1" / "0").
using TCtlValues = std::vector<std::pair<std::string, std::string>>;

class TPlotHost {
 public:
  virtual ~TPlotHost() = default;

  // ---- the picture window the device draws into ----
  virtual void SetPlotterOn(bool On);
  virtual void SetBlinkTimer(bool Enabled);
  // 1 .. 4.
  virtual int32_t BlinkPhase();
  virtual void SetCaption(const std::string& Caption);
  virtual bool Minimized();
  virtual void HideWindow();
  // The device's bitmap changed: show it.
  virtual void PictureChanged();

  // ---- the tools ----
  // The picture tool and the graph lists after a change of graphs.
  virtual void ToolsRefresh();
  // Margins X, Y, X2, Y2 and tile pitches X, Y in percent; false when the tool's text is bad.
  virtual bool GetMargins(double& MargX, double& MargY, double& MargX2, double& MargY2,
                          double& TileX, double& TileY);
  // The text of the tool's blink-boldness box ("1", "3", "5").
  virtual std::string PixBoldText();
  // One row of the graph list by column key, then the unit columns' item lists.
  virtual void GraphToGrid(int32_t Row, const TCtlValues& Cells);
  virtual void GraphGridUnits(const TStringList& Dims);
  // The picture tool's and the Graf tab's controls of a graph (held under the tool's updating
  // switch), and the main window's step display after them.
  virtual void GraphToPicTool(const TCtlValues& Tool, const TCtlValues& GrafTab);
  // The tool's style controls (the host skips edits that have the focus).
  virtual void StyleToTool(const TCtlValues& Style);
  // One row of the world-window list by column key.
  virtual void WindowToGrid(int32_t Row, const TCtlValues& Cells);
  // Empties a grid ("gx_PicList", "gx_WindList") before its rows are written again.
  virtual void GridClear(const std::string& Grid);

  // ---- controls by name (the picture tool; the picture window's menu items "MG...") ----
  // Writes control values: "name" its text or state, "name.Visible", "name.Caption",
  // "name.Checked", "name.Focus" ("1" / "0").
  virtual void ToolSet(const TCtlValues& Values);
  // A control's text or state; the stand-in answers the design value.
  virtual std::string ToolGet(const std::string& Name);
  // The main window's Graf-tab fields the plotter reads and writes; the stand-in answers the
  // design values ("cbMoveKind" "Touch Segment", "edMoveStepP" "1", "edStepX" "0.05",
  // "edHalfWidth" "1", "cb_gif_2side" "1", "ed_tGIF" "0.2", "edkMi" ".0010", "edkMa" ".9990"; the
  // memo "memoGridX" empty) and drops the writes.
  virtual std::string MainGet(const std::string& Name);
  virtual void MainSet(const TCtlValues& Values);
  // The picture window: shown, and its outer size.
  virtual bool PictVisible();
  virtual void PictOuterSize(int32_t& Width, int32_t& Height);

  // The tool's updating lock: change handlers that would write back into the plotter do
  // nothing while it is set. Take it with TUpdatingLock.
  bool Updating = false;
};

// Sets the host's updating lock and restores the value it had, on every path out.
class TUpdatingLock {
 public:
  explicit TUpdatingLock(TPlotHost& H) : H_(H), Saved_(H.Updating) { H.Updating = true; }
  ~TUpdatingLock() { H_.Updating = Saved_; }
  TUpdatingLock(const TUpdatingLock&) = delete;
  TUpdatingLock& operator=(const TUpdatingLock&) = delete;

 private:
  TPlotHost& H_;
  bool Saved_;
};

// The design value of a picture-tool control ("" for one without).
std::string PicToolDesignValue(const std::string& Name);

// The host of the windows that are not there: the stand-ins.
TPlotHost& StandInPlotHost();
