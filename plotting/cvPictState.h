// The picture window FPict without its widget: when the plotter may draw (PlotterOn,
// RestartPlotter, StopPlotter), and what mouse, wheel, keys, timers and the popup menu do with
// the plotter and the picture tool. The widget (plotting/qt/cvFPict.h) implements TPictWin and
// forwards its events here. It is the plotter's host for the picture window.
//
// GUI-thread state, like the plotter.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "platform/Canvas.h"
#include "plotting/cvPlotHost.h"

class TPLOTTER;
class TPicTool;

// What the logic needs of the widget.
class TPictWin {
 public:
  virtual ~TPictWin() = default;
  virtual bool Visible() = 0;
  virtual bool Minimized() = 0;
  virtual void ShowWindow() = 0;      // shown (restored when minimised)
  virtual void HideWindow() = 0;
  virtual void Repaint() = 0;
  virtual void SetCaption(const std::string& Caption) = 0;
  // The drawing area (client) and the outer size in pixels.
  virtual void ClientSize(int32_t& W, int32_t& H) = 0;
  virtual void OuterSize(int32_t& W, int32_t& H) = 0;
  virtual void SetOuterSize(int32_t W, int32_t H) = 0;
  virtual int32_t DesktopWidth() = 0;
  // The mouse cursor in screen pixels.
  virtual TPoint CursorPos() = 0;
  // The plotter bound to this window's back buffer again (its size may have changed).
  virtual void Rebind() = 0;
  virtual void SetBlinkTimer(bool On) = 0;
  virtual void SetGIFTimer(bool On) = 0;
  virtual bool GIFTimerOn() = 0;
  // The popup items: "name.Visible", "name.Checked", "name.Caption".
  virtual void MenuSet(const TCtlValues& Values) = 0;
  // The off-screen bitmap of the device to the clipboard.
  virtual void BitmapToClipboard() = 0;
  // The window's own canvas (its font is the one axis captions take); nullptr: none.
  virtual platform::TCanvas* WinCanvas() { return nullptr; }
};

class TPictState : public TPlotHost {
 public:
  TPLOTTER*& P;           // the plotter (a reference to the program's or the test's pointer)
  TPictWin& W;
  TPicTool* Tool = nullptr;

  bool PlotterOn = false;
  int32_t Phase = 1;  // the blink phase 1..4
  int32_t WheelCount = 0;
  int32_t LastX = 0, LastY = 0;
  TPoint DownCursor{0, 0};
  int32_t ResizeCount = 0;
  bool CORA = false, ZEE = false, Mod = false;
  bool BlinkTimerOn = false;
  // The popup items' state as last set.
  std::map<std::string, std::string> Menu;

  TPictState(TPLOTTER*& Plotter, TPictWin& Win);

  void RestartPlotter();
  void StopPlotter();
  void PicPopupMenuUpdate();
  void SetPictSize(int32_t Width, int32_t Height);

  void FormShow();
  void FormHide();
  void FormActivate();
  void FormPaint();
  void FormResize();
  void MouseMove(int32_t X, int32_t Y, bool LeftDown);
  void MouseDown(bool Left, bool Ctrl);
  void Click();
  void Wheel(int32_t Delta);
  void KeyDown(int32_t Key);
  void BlinkTick();
  void GIFTick();

  // ---- popup items ----
  void MGsavePicClick();
  void MGGraVizClick();
  void MGGraLiveClick();
  void MGOxClick(bool IsX);
  void MGZoomClick(bool IsX);
  void MSetFulcrumClick();
  // Edit mode 0..4 (Push All, Touch Segment, Hit point, Lever revolve, Bent Side).
  void MGedClick(int32_t Mode);
  void MGedFlattenClick();
  void MGStyleClick(const std::string& Item);  // "MGGraDots", "MGGraLine", "MGGraCirc"

  // ---- host ----
  void SetPlotterOn(bool On) override { PlotterOn = On; }
  void SetBlinkTimer(bool E) override;
  int32_t BlinkPhase() override { return Phase; }
  void SetCaption(const std::string& C) override { W.SetCaption(C); }
  bool Minimized() override { return W.Minimized(); }
  void HideWindow() override { W.HideWindow(); }
  void PictureChanged() override { W.Repaint(); }
  void ToolSet(const TCtlValues& Values) override;
  std::string MainGet(const std::string& Name) override;
  void MainSet(const TCtlValues& Values) override;
  bool PictVisible() override { return W.Visible(); }
  void PictOuterSize(int32_t& Width, int32_t& Height) override { W.OuterSize(Width, Height); }

 private:
  TPlotHost& ToolHost();
  void ToolPut(const std::string& Name, const std::string& Value);
  std::string ToolValue(const std::string& Name);
  void Refresh();
};

// The main window's edit-mode box items, by mode 0..4.
const char* MoveKindItem(int32_t Mode);
