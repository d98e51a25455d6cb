// What the message hook and the named timers need of the main window: a narrow interface that
// the main window implements and installs (values in, results out). Controls are named by their
// component names ("MemoEd", "PanelEdCTRL", "TabGIF" ...). Without an installed link every query
// gives its neutral answer, and the routines that are not built yet report that they are not
// available. What the hook needs of one tab (GIF, Unno, CORA) is that tab's own link below; the
// tab hands it to the hook with its page input (app/cvHook.h).
#pragma once
#include <cstdint>
#include <string>

#include "platform/Canvas.h"

namespace platform {
class TControl;
class TTimer;
}  // namespace platform

// The GIF tab's measuring state (kept by the tab).
struct TGIFWork {
  TPoint Pick{};            // the form's pick point (screen)
  int32_t Level20 = 0;      // the 20 % level line
  int32_t LevelContA = 0;   // the automatic continuum level
  int32_t LevelContM = 0;   // the manual continuum level
  int32_t LevelMaxD = 0;    // the maximum-depth level
  int32_t OrigX = -5;       // the picture's x offset
  int32_t MirrorX = 0;      // the mirror offset
  std::string Comment;      // the remembered comment line
};

class TMainWindowLink {
 public:
  virtual ~TMainWindowLink() = default;

  // ---- the form and its controls ----
  // The main window's handle (nullptr without one).
  virtual platform::TControl* Form() { return nullptr; }
  // A control of the form by component name; the default looks among the form's components.
  virtual platform::TControl* Control(const std::string& Name);
  // Component name and class name ("TMemo", "TRichEdit" ...) of the control with the keyboard
  // focus; empty when none has it.
  virtual std::string FocusedName() { return {}; }
  virtual std::string FocusedClassName() { return {}; }
  // The component name of the active tab sheet of "PageControl".
  virtual std::string ActivePageName();
  virtual void ShowPage(const std::string& Name);
  virtual void FocusControl(const std::string& Name);
  // A control's window rectangle in screen coordinates (empty when unknown).
  virtual TRect ScreenRect(const std::string& Name) {
    (void)Name;
    return {};
  }
  // A speed button held down; a combo box with its list dropped down.
  virtual bool ButtonDown(const std::string& Name) {
    (void)Name;
    return false;
  }
  virtual bool DroppedDown(const std::string& Name) {
    (void)Name;
    return false;
  }
  // Text and item index of a control (defaults through Control()).
  virtual std::string ControlText(const std::string& Name);
  virtual void SetControlText(const std::string& Name, const std::string& Text);
  virtual int32_t ItemIndex(const std::string& Name);
  virtual void SetItemIndex(const std::string& Name, int32_t Index);

  // ---- timers ----
  // The form's 10 ms timer that drives the named timers; nullptr lets the application clock
  // make one of its own.
  virtual platform::TTimer* MainTimer() { return nullptr; }

  // ---- routines of the main window ----
  virtual void DbgWheelUp();
  virtual void DbgWheelDown();
  virtual void EdTuneListShow();
  virtual void EdTuneListHide();
  virtual void RichSelSizeDec();
  virtual void RichSelSizeInc();
  virtual void RichSelToggleSymbol();
};

// What the hook needs of the GIF tab: the picture panel under the cursor, the picture moved by
// the arrow keys and by the mouse, the guide lines and the measuring state.
class TGIFTabLink {
 public:
  virtual ~TGIFTabLink() = default;
  // The cursor over the tab's picture panel (default: inside the main window's
  // ScreenRect("PanelGIF")).
  virtual bool PointInPanelGIF();
  virtual void GIFOrigXInc();
  virtual void GIFOrigYInc();
  virtual void GIFOrigXDec();
  virtual void GIFOrigYDec();
  virtual void CurrentMove();
  virtual void DrawGIFGuideLines();
  // The measuring state (nullptr while the tab does not keep one).
  virtual TGIFWork* GIFWork() { return nullptr; }
};

// What the hook needs of the Unno tab: the grid's pages.
class TUnnoTabLink {
 public:
  virtual ~TUnnoTabLink() = default;
  virtual void UnnoPagePrev();
  virtual void UnnoPageNext();
};

// What the hook needs of the CORA tab: its animation timer.
class TCORATabLink {
 public:
  virtual ~TCORATabLink() = default;
  virtual void SetViewTimer(bool On) { (void)On; }
};

// The installed link, or a neutral one when none is installed.
TMainWindowLink& MainWindowLink();
// Installs a link (not owned; nullptr removes it) and returns the previous one.
TMainWindowLink* SetMainWindowLink(TMainWindowLink* Link);
