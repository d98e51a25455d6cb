// The picture window TFPict: it shows the device's back buffer, is the plotter's picture window
// and turns mouse, wheel, keys, timers and its popup menu into the decisions of TPictState
// (plotting/cvPictState.h). Binding it runs the plotter's INIG on its buffer.
#pragma once
#include <QTimer>
#include <functional>
#include <map>

#include "plotting/cvPictState.h"
#include "plotting/qt/cvGRADQt.h"

class QAction;
class QMenu;
class TPLOTTER;

class TFPict : public TGrafView, public TPictWin {
 public:
  explicit TFPict(QWidget* Parent = nullptr);
  ~TFPict() override;

  QTimer BlinkTimer;  // 350 ms
  QTimer GIFTimer;    // 330 ms until the film sets its frame time
  QMenu* PicPopupMenu = nullptr;
  // The "Tools" item.
  std::function<void()> OnShowTools;

  // Binds Plotter (and its device) to this window's buffer; the window must have its size.
  void Bind(TPLOTTER& Plotter, double Size = 0);
  TPLOTTER* Plotter() const { return Plotter_; }
  TPictState& State() { return State_; }
  TPlotHost& Host() { return State_; }
  // A popup item by name ("MGZoomX" ...); nullptr when none.
  QAction* Item(const std::string& Name) const;

  // ---- TPictWin ----
  bool Visible() override { return isVisible(); }
  bool Minimized() override { return isMinimized(); }
  void ShowWindow() override;
  void HideWindow() override { hide(); }
  void Repaint() override { update(); }
  void SetCaption(const std::string& Caption) override;
  void ClientSize(int32_t& W, int32_t& H) override;
  void OuterSize(int32_t& W, int32_t& H) override;
  void SetOuterSize(int32_t W, int32_t H) override;
  int32_t DesktopWidth() override;
  TPoint CursorPos() override { return Cursor_; }
  void Rebind() override;
  void SetBlinkTimer(bool On) override;
  void SetGIFTimer(bool On) override;
  bool GIFTimerOn() override { return GIFTimer.isActive(); }
  void MenuSet(const TCtlValues& Values) override;
  void BitmapToClipboard() override;
  platform::TCanvas* WinCanvas() override { return &Buffer().Canvas(); }

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;

 private:
  TPLOTTER* Plotter_ = nullptr;
  TPictState State_{Plotter_, *this};
  double Size_ = 0;
  TPoint Cursor_{0, 0};
  std::map<std::string, QAction*> Items_;
  void MakeMenu();
};
