// Scroll controls of the grid suite: scroll bars that keep a range and a position in the
// owner's units and tell the owner how far to move its picture; TGxScrollControl, a
// QAbstractScrollArea whose QScrollBars carry that range (hidden or disabled while idle), moves
// the painted pixels with a viewport scroll and rolls with the middle button; TGxControl, a
// framed control with a scroll bar it draws itself (base of the popup lists).
#pragma once
#include <QAbstractScrollArea>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>

class QScrollBar;
class TGxCustomScrollControl;
class TRollShadow;

// Scroll commands (the kind of the last one is kept in LastCommand).
enum TGxScrollCommand : int {
  scLineUp, scLineDown, scPageUp, scPageDown, scThumbPosition, scThumbTrack, scTop, scBottom,
  scEndScroll
};
// LastCommand values.
enum : uint8_t { lcLine = 1, lcPage = 2, lcThumb = 3, lcEnds = 4 };

class TGxCustomScrollBar {
 public:
  TGxCustomScrollBar(TGxCustomScrollControl* Owner);
  virtual ~TGxCustomScrollBar() = default;
  TGxCustomScrollBar(const TGxCustomScrollBar&) = delete;
  TGxCustomScrollBar& operator=(const TGxCustomScrollBar&) = delete;

  // Shows or hides the bar on the screen.
  virtual void SetBarVisible(bool Visible);
  // Pushes range and position to the screen.
  virtual void Update() {}
  virtual void PageForward();
  virtual void PageBack();

  void SetScrollMax(int Max);
  void SetThumbLength(int N);
  // Limited to ScrollMin..ScrollMax and to at least 0; moves the owner's picture unless held.
  void SetScrollPos(int P);
  void SetHideWhenIdle(bool B);
  void SetBarKind(int K);
  void SetEnabled(bool E) { Enabled = E; Update(); }
  void BeginUpdate() { ++UpdateCount; }
  void EndUpdate() { --UpdateCount; }
  void First() { SetScrollPos(0); }
  void Last() { SetScrollPos(ScrollMax); }
  void MoveBy(int D) { SetScrollPos(ScrollPos + D); }
  // Line and page commands go through the owner's scroll-command handling (nothing happens
  // while ScrollMax < 1).
  void LineForward();
  void LineBack();
  bool AtEnd() const { return ScrollPos >= ScrollMax; }
  bool AtStart() const { return ScrollPos == 0; }

  bool HideWhenIdle = true;
  int BarCode = -1;
  TGxCustomScrollControl* Owner;
  bool Enabled = true;
  int PageStep = 1;
  bool HoldScroll = false;
  int ScrollMax = 0;
  int ScrollMin = 0;
  int ScrollPos = 0;
  int OldPos = 0;
  int LineStep = 1;
  int UpdateCount = 0;
  bool BarVisible = false;
  int BarKind = 0;
  int ThumbLength = 0;
  uint8_t LastCommand = 0;

 protected:
  void Command(TGxScrollCommand C);
  void RecomputeVisible();
};

// A bar that drives one of the owner's QScrollBars.
class TGxScrollBar : public TGxCustomScrollBar {
 public:
  TGxScrollBar(TGxCustomScrollControl* Owner, int Kind);
  void SetBarVisible(bool Visible) override;
  void Update() override;
  QScrollBar* Bar() const;
};

// A bar painted by its owner: buttons, track and thumb in a rectangle of the owner.
class TGxVertScrollBar : public TGxCustomScrollBar {
 public:
  TGxVertScrollBar(TGxCustomScrollControl* Owner, int Kind);
  void Update() override;
  void PageForward() override { MoveBy(PageStep); }
  void PageBack() override { MoveBy(-PageStep); }
  // Hover: marks the part under the point hot; while the thumb is pressed it drags.
  void MouseMoved(int X, int Y);
  void Paint(QPainter& P);
  int ButtonSize() const;
  QRect Bounds() const { return QRect(Left, Top, Width, Height); }
  void SetBounds(int ALeft, int ATop, int AHeight, int AWidth);
  QRect BackButton() const;
  QRect ForwardButton() const;
  QRect ThumbRect() const;
  int TrackLength() const { return Height - 2 * ButtonSize(); }
  // The position the thumb takes when dragged to the owner's Y.
  int PositionAt(int Y) const;

  int Left = 0, Top = 0, Width = 0, Height = 0;
  enum { psHot = 1, psPressed = 2 };
  int BackState = 0, ForwardState = 0, ThumbState = 0;
};

class TGxCustomScrollControl : public QAbstractScrollArea {
 public:
  explicit TGxCustomScrollControl(QWidget* Parent = nullptr);

  // Pixel distances of a scroll from Old to New (0 here).
  virtual int HorzScrollDelta(int /*Old*/, int /*New*/) { return 0; }
  virtual int VertScrollDelta(int /*Old*/, int /*New*/) { return 0; }
  virtual void AfterScroll(int /*Kind*/) {}
  virtual void BeforeScroll(int /*Kind*/) {}
  // Moves the horizontally scrollable band by (Dx, Dy) when Dx != 0, else the vertical band by
  // Dy; the uncovered strip is repainted.
  virtual void ScrollContent(TGxCustomScrollBar* Bar, int Dx, int Dy);
  // A scroll command for the bar of the kind (0 horizontal, 1 vertical).
  virtual void ScrollCommand(int /*Kind*/, TGxScrollCommand /*C*/, int /*TrackPos*/) {}

  // The two scroll bands, computed by the descendant before painting.
  QRect HorzScrollRect, VertScrollRect;
};

class TGxScrollControl : public TGxCustomScrollControl {
 public:
  explicit TGxScrollControl(QWidget* Parent = nullptr);
  ~TGxScrollControl() override;

  TGxScrollBar& HorzScrollBar() { return *horz_; }
  TGxScrollBar& VertScrollBar() { return *vert_; }
  bool MouseWheelEnabled = true;
  std::function<void(QObject* Sender, int Position)> OnHorizontalScroll, OnVerticalScroll;

  // The command of a scroll bar: line, page, thumb, ends; then the scroll event.
  void ScrollCommand(int Kind, TGxScrollCommand C, int TrackPos) override;

  // Roll scrolling with the middle button (public for the input layer and for tests).
  void RollStart(const QPoint& Pos);
  void RollMove(const QPoint& Pos);
  void RollTick();
  void RollStop();
  bool Rolling() const { return rolling_; }
  // -1 up, 0 none, 1 down.
  int RollDirection() const { return rollDir_; }
  QPoint RollAnchor() const { return anchor_; }
  int RollInterval() const { return rollTimer_.interval(); }
  QTimer& RollTimer() { return rollTimer_; }
  TRollShadow* RollIndicator() const { return shadow_; }

  // Runs an event handler of the program inside the control's guard.
  void Guarded(const char* Where, const std::function<void()>& Run);

 protected:
  void mousePressEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void changeEvent(QEvent* E) override;
  void showEvent(QShowEvent* E) override;
  void scrollContentsBy(int, int) override {}

 private:
  void BarAction(int Kind, int Action);
  TGxScrollBar* horz_;
  TGxScrollBar* vert_;
  TRollShadow* shadow_ = nullptr;
  QTimer rollTimer_;
  bool rolling_ = false;
  int rollDir_ = 0;
  QPoint anchor_, rollPos_;
};

// A framed control with its own vertical bar.
class TGxControl : public TGxCustomScrollControl {
 public:
  explicit TGxControl(QWidget* Parent = nullptr);
  ~TGxControl() override;
  TGxVertScrollBar& VertScrollBar() { return *vbar_; }
  // The content area (right of it the bar's strip while the bar is visible).
  QRect ContentRect() const;
  void PlaceBar();
  enum TPressed { prNone, prLineUp, prLineDown, prPageUp, prPageDown };
  TPressed Pressed() const { return pressed_; }
  QTimer& DelayTimer() { return delay_; }
  QTimer& RepeatTimer() { return repeat_; }

 protected:
  virtual void PaintFrame(QPainter& P);
  virtual void PaintContent(QPainter&) {}
  void paintEvent(QPaintEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void leaveEvent(QEvent* E) override;
  void resizeEvent(QResizeEvent* E) override;

 private:
  void Repeat();
  TGxVertScrollBar* hbar_;
  TGxVertScrollBar* vbar_;
  QTimer delay_, repeat_;
  TPressed pressed_ = prNone;
};

// The report of an exception that left a program's event handler of the grid suite. The
// default reports through the message sink's warning (heading, place and message); the
// program's start-up may install its exception report instead.
using TGxErrorReport = std::function<void(QObject* Sender, const std::string& Where,
                                          const std::string& Message)>;
TGxErrorReport SetGxErrorReport(TGxErrorReport Report);
void GxReportError(QObject* Sender, const std::string& Where, const std::string& Message);
