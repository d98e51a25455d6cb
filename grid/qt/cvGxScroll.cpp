// Scroll bars, the scroll control with roll scrolling, and the framed control with its own bar.
#include "grid/qt/cvGxScroll.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cstdlib>

#include "foundation/cvSayer.h"
#include "grid/cvGxDraw.h"
#include "grid/qt/cvGxFlyout.h"
#include "grid/qt/cvGxPaint.h"
#include "platform/Colors.h"

namespace {
TGxErrorReport& ErrorReport() {
  static TGxErrorReport r;
  return r;
}
}  // namespace

TGxErrorReport SetGxErrorReport(TGxErrorReport Report) {
  TGxErrorReport old = std::move(ErrorReport());
  ErrorReport() = std::move(Report);
  return old;
}

void GxReportError(QObject* Sender, const std::string& Where, const std::string& Message) {
  if (ErrorReport()) {
    ErrorReport()(Sender, Where, Message);
    return;
  }
  std::string who = Sender ? Sender->objectName().toStdString() : std::string();
  WARNAbs((who.empty() ? Where : who + "." + Where) + ": " + Message);
}

// ---- TGxCustomScrollBar ----

TGxCustomScrollBar::TGxCustomScrollBar(TGxCustomScrollControl* AOwner) : Owner(AOwner) {}

void TGxCustomScrollBar::SetBarVisible(bool Visible) { BarVisible = Visible; }

void TGxCustomScrollBar::RecomputeVisible() { SetBarVisible(ScrollMax > 0 || !HideWhenIdle); }

void TGxCustomScrollBar::SetScrollMax(int Max) {
  Max = std::max(Max, 0);
  if (Max == ScrollMax) return;
  ScrollMax = Max;
  RecomputeVisible();
  Update();
  if (ScrollPos > ScrollMax) SetScrollPos(ScrollMax);
}

void TGxCustomScrollBar::SetThumbLength(int N) {
  N = std::max(N, 8);
  if (N == ThumbLength) return;
  ThumbLength = N;
  Update();
}

void TGxCustomScrollBar::SetScrollPos(int P) {
  OldPos = ScrollPos;
  ScrollPos = std::max(0, std::clamp(P, ScrollMin, std::max(ScrollMin, ScrollMax)));
  Update();
  if (UpdateCount > 0 || HoldScroll || !Owner || OldPos == ScrollPos) return;
  if (BarKind == 1) {
    const int d = Owner->VertScrollDelta(OldPos, ScrollPos);
    Owner->ScrollContent(this, 0, d);
  } else {
    const int d = Owner->HorzScrollDelta(OldPos, ScrollPos);
    Owner->ScrollContent(this, d, 0);
  }
}

void TGxCustomScrollBar::SetHideWhenIdle(bool B) {
  HideWhenIdle = B;
  RecomputeVisible();
  Update();
}

void TGxCustomScrollBar::SetBarKind(int K) {
  BarKind = K;
  if (K == 0 || K == 1) BarCode = K;
}

void TGxCustomScrollBar::Command(TGxScrollCommand C) {
  if (ScrollMax < 1 || !Owner) return;
  Owner->ScrollCommand(BarKind, C, ScrollPos);
}

void TGxCustomScrollBar::LineForward() { Command(scLineDown); }
void TGxCustomScrollBar::LineBack() { Command(scLineUp); }
void TGxCustomScrollBar::PageForward() { Command(scPageDown); }
void TGxCustomScrollBar::PageBack() { Command(scPageUp); }

// ---- TGxScrollBar ----

TGxScrollBar::TGxScrollBar(TGxCustomScrollControl* AOwner, int Kind) : TGxCustomScrollBar(AOwner) {
  SetBarKind(Kind);
}

QScrollBar* TGxScrollBar::Bar() const {
  return BarKind == 1 ? Owner->verticalScrollBar() : Owner->horizontalScrollBar();
}

void TGxScrollBar::SetBarVisible(bool Visible) {
  BarVisible = Visible;
  const Qt::ScrollBarPolicy p = Visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (BarKind == 1)
    Owner->setVerticalScrollBarPolicy(p);
  else
    Owner->setHorizontalScrollBarPolicy(p);
}

void TGxScrollBar::Update() {
  QScrollBar* b = Bar();
  if (!b) return;
  b->setRange(ScrollMin, std::max(ScrollMin, ScrollMax));
  b->setPageStep(ThumbLength);
  b->setSingleStep(LineStep);
  b->setValue(ScrollPos);
  b->setSliderPosition(ScrollPos);
  b->setEnabled(ScrollMax > 0 && Enabled && Owner->isEnabled());
}

// ---- TGxVertScrollBar ----

TGxVertScrollBar::TGxVertScrollBar(TGxCustomScrollControl* AOwner, int Kind)
    : TGxCustomScrollBar(AOwner) {
  SetBarKind(Kind);
  ThumbLength = 8;
}

void TGxVertScrollBar::Update() {
  if (Owner) Owner->viewport()->update(Bounds());
}

int TGxVertScrollBar::ButtonSize() const {
  return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void TGxVertScrollBar::SetBounds(int ALeft, int ATop, int AHeight, int AWidth) {
  Left = ALeft;
  Top = ATop;
  Height = AHeight;
  Width = AWidth;
}

QRect TGxVertScrollBar::BackButton() const { return QRect(Left, Top, Width, ButtonSize()); }

QRect TGxVertScrollBar::ForwardButton() const {
  return QRect(Left, Top + Height - ButtonSize(), Width, ButtonSize());
}

QRect TGxVertScrollBar::ThumbRect() const {
  if (ScrollMax <= 0) return QRect();
  const int b = ButtonSize();
  const int top = static_cast<int>(std::nearbyint(static_cast<double>(ScrollPos) *
                                                  (TrackLength() - ThumbLength) / ScrollMax)) +
                  b + 2;
  return QRect(Left, top, Width, ThumbLength);
}

int TGxVertScrollBar::PositionAt(int Y) const {
  if (ScrollMax <= 0 || TrackLength() <= 0) return 0;
  const double unit = static_cast<double>(TrackLength()) / ScrollMax;
  return static_cast<int>(std::nearbyint((Y - ButtonSize() - 2) / unit));
}

void TGxVertScrollBar::MouseMoved(int X, int Y) {
  const QPoint p(X, Y);
  auto hot = [&](int& state, const QRect& r) {
    const int old = state;
    state = r.contains(p) ? (state | psHot) : (state & ~psHot);
    if (state != old) Update();
  };
  if (ThumbState & psPressed) {
    SetScrollPos(PositionAt(Y));
    return;
  }
  hot(BackState, BackButton());
  hot(ForwardState, ForwardButton());
  hot(ThumbState, ThumbRect());
}

void TGxVertScrollBar::Paint(QPainter& P) {
  const QRect track(Left, Top + ButtonSize(), Width, std::max(0, TrackLength()));
  QWidget* w = Owner ? Owner->viewport() : nullptr;
  auto stateOf = [](int s) { return (s & psPressed) ? 1 : ((s & psHot) ? 2 : 0); };
  if (!TGxPaint::DrawThemed(w, P, track, 0, 7, "scrollbar")) {
    // a checker of clBtnHighlight and clScrollBar (cl3DDkShadow while pressed)
    QImage pat(2, 2, QImage::Format_RGB32);
    const QColor a = GxColor(0xFF000014), b = GxColor(Enabled ? clScrollBar : clScrollBar);
    pat.setPixelColor(0, 0, a);
    pat.setPixelColor(1, 1, a);
    pat.setPixelColor(1, 0, b);
    pat.setPixelColor(0, 1, b);
    P.fillRect(track, QBrush(pat));
  }
  QStyleOption o;
  if (w) o.initFrom(w);
  auto button = [&](const QRect& r, int state, bool up) {
    if (TGxPaint::DrawThemed(w, P, r, stateOf(state), up ? 1 : 5, "scrollbar")) return;
    if (state & psPressed)
      P.fillRect(r, GxColor(clBtnFace));
    else
      TGxPaint::DrawButtonFace(P, r, true);
    o.rect = r.adjusted(2, 2, -2, -2);
    o.state = Enabled ? QStyle::State_Enabled : QStyle::State_None;
    QApplication::style()->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp
                                            : QStyle::PE_IndicatorArrowDown,
                                         &o, &P, w);
  };
  button(BackButton(), BackState, true);
  button(ForwardButton(), ForwardState, false);
  if (ScrollMax < 1) return;
  const QRect t = ThumbRect();
  if (!TGxPaint::DrawThemed(w, P, t, stateOf(ThumbState), 3, "scrollbar"))
    TGxPaint::DrawButtonFace(P, t, true);
}

// ---- TGxCustomScrollControl ----

TGxCustomScrollControl::TGxCustomScrollControl(QWidget* Parent) : QAbstractScrollArea(Parent) {
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setAutoFillBackground(false);
}

void TGxCustomScrollControl::ScrollContent(TGxCustomScrollBar* Bar, int Dx, int Dy) {
  BeforeScroll(Bar ? Bar->LastCommand : 0);
  QWidget* v = viewport();
  if (Dx != 0) {
    const QRect r = HorzScrollRect.isValid() ? HorzScrollRect : v->rect();
    if (std::abs(Dx) >= r.width())
      v->update(r);
    else
      v->scroll(Dx, Dy, r);
  } else if (Dy != 0) {
    const QRect r = VertScrollRect.isValid() ? VertScrollRect : v->rect();
    if (std::abs(Dy) >= r.height())
      v->update(r);
    else
      v->scroll(0, Dy, r);
  }
  AfterScroll(Bar ? Bar->LastCommand : 0);
}

// ---- TGxScrollControl ----

TGxScrollControl::TGxScrollControl(QWidget* Parent) : TGxCustomScrollControl(Parent) {
  horz_ = new TGxScrollBar(this, 0);
  vert_ = new TGxScrollBar(this, 1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int a) { BarAction(0, a); });
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int a) { BarAction(1, a); });
  shadow_ = new TRollShadow(this);
  shadow_->hide();
  rollTimer_.setInterval(1);
  connect(&rollTimer_, &QTimer::timeout, this, [this] { RollTick(); });
  horz_->Update();
  vert_->Update();
}

TGxScrollControl::~TGxScrollControl() {
  rollTimer_.stop();
  delete horz_;
  delete vert_;
}

void TGxScrollControl::BarAction(int Kind, int Action) {
  QScrollBar* b = Kind == 1 ? verticalScrollBar() : horizontalScrollBar();
  TGxScrollCommand c;
  switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: c = scLineDown; break;
    case QAbstractSlider::SliderSingleStepSub: c = scLineUp; break;
    case QAbstractSlider::SliderPageStepAdd: c = scPageDown; break;
    case QAbstractSlider::SliderPageStepSub: c = scPageUp; break;
    case QAbstractSlider::SliderToMinimum: c = scTop; break;
    case QAbstractSlider::SliderToMaximum: c = scBottom; break;
    case QAbstractSlider::SliderMove: c = b->isSliderDown() ? scThumbTrack : scThumbPosition; break;
    default: return;
  }
  ScrollCommand(Kind, c, b->sliderPosition());
  // the bar shows the position the command gave, not its own step
  TGxScrollBar& bar = Kind == 1 ? *vert_ : *horz_;
  b->setSliderPosition(bar.ScrollPos);
}

void TGxScrollControl::ScrollCommand(int Kind, TGxScrollCommand C, int TrackPos) {
  TGxScrollBar& bar = Kind == 1 ? *vert_ : *horz_;
  switch (C) {
    case scLineUp: bar.LastCommand = lcLine; bar.MoveBy(-bar.LineStep); break;
    case scLineDown: bar.LastCommand = lcLine; bar.MoveBy(bar.LineStep); break;
    case scPageUp: bar.LastCommand = lcPage; bar.MoveBy(-bar.PageStep); break;
    case scPageDown: bar.LastCommand = lcPage; bar.MoveBy(bar.PageStep); break;
    case scThumbPosition:
    case scThumbTrack: bar.LastCommand = lcThumb; bar.SetScrollPos(TrackPos); break;
    case scTop: bar.LastCommand = lcEnds; bar.SetScrollPos(0); break;
    case scBottom: bar.LastCommand = lcEnds; bar.SetScrollPos(bar.ScrollMax); break;
    case scEndScroll: break;
  }
  auto& ev = Kind == 1 ? OnVerticalScroll : OnHorizontalScroll;
  if (ev) {
    const int pos = bar.ScrollPos;
    Guarded(Kind == 1 ? "OnVerticalScroll" : "OnHorizontalScroll", [&] { ev(this, pos); });
  }
}

void TGxScrollControl::Guarded(const char* Where, const std::function<void()>& Run) {
  try {
    Run();
  } catch (const std::exception& e) {
    GxReportError(this, Where, e.what());
  } catch (...) {
    GxReportError(this, Where, "Unknown exception");
  }
}

void TGxScrollControl::RollStart(const QPoint& Pos) {
  rolling_ = true;
  rollDir_ = 0;
  anchor_ = rollPos_ = Pos;
  shadow_->setCursor(Qt::SizeVerCursor);
  shadow_->ShowAt(viewport()->mapToGlobal(Pos));
  shadow_->show();
  rollTimer_.setInterval(1);
  rollTimer_.start();
  viewport()->grabMouse();
}

void TGxScrollControl::RollMove(const QPoint& Pos) {
  if (!rolling_) return;
  rollPos_ = Pos;
  const int dy = Pos.y() - anchor_.y();
  Qt::CursorShape shape = Qt::SizeVerCursor;
  if (dy < -5) {
    rollDir_ = -1;
    shape = Qt::UpArrowCursor;
  } else if (dy > 5) {
    rollDir_ = 1;
    shape = Qt::DragMoveCursor;
  } else {
    rollDir_ = 0;
  }
  viewport()->setCursor(shape);
  shadow_->setCursor(shape);
}

void TGxScrollControl::RollTick() {
  const int dy = rollPos_.y() - anchor_.y();
  rollTimer_.setInterval(std::max(1, 100 - std::abs(dy)));
  if (rollDir_ < 0)
    vert_->LineBack();
  else if (rollDir_ > 0)
    vert_->LineForward();
}

void TGxScrollControl::RollStop() {
  if (!rolling_) return;
  rollTimer_.stop();
  rolling_ = false;
  rollDir_ = 0;
  shadow_->hide();
  viewport()->unsetCursor();
  viewport()->releaseMouse();
}

void TGxScrollControl::mousePressEvent(QMouseEvent* E) {
  if (E->button() == Qt::MiddleButton) {
    RollStart(E->position().toPoint());
    return;
  }
  TGxCustomScrollControl::mousePressEvent(E);
}

void TGxScrollControl::mouseMoveEvent(QMouseEvent* E) {
  if (rolling_) {
    RollMove(E->position().toPoint());
    return;
  }
  TGxCustomScrollControl::mouseMoveEvent(E);
}

void TGxScrollControl::mouseReleaseEvent(QMouseEvent* E) {
  if (rolling_) {
    RollStop();
    return;
  }
  TGxCustomScrollControl::mouseReleaseEvent(E);
}

void TGxScrollControl::changeEvent(QEvent* E) {
  if (E->type() == QEvent::EnabledChange) {
    horz_->Update();
    vert_->Update();
    viewport()->update();
  }
  TGxCustomScrollControl::changeEvent(E);
}

void TGxScrollControl::showEvent(QShowEvent* E) {
  horz_->Update();
  vert_->Update();
  TGxCustomScrollControl::showEvent(E);
}

// ---- TGxControl ----

TGxControl::TGxControl(QWidget* Parent) : TGxCustomScrollControl(Parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
  hbar_ = new TGxVertScrollBar(this, 0);
  vbar_ = new TGxVertScrollBar(this, 1);
  viewport()->setMouseTracking(true);
  delay_.setSingleShot(true);
  delay_.setInterval(300);
  repeat_.setInterval(50);
  connect(&delay_, &QTimer::timeout, this, [this] { repeat_.start(); });
  connect(&repeat_, &QTimer::timeout, this, [this] { Repeat(); });
}

TGxControl::~TGxControl() {
  delay_.stop();
  repeat_.stop();
  delete hbar_;
  delete vbar_;
}

QRect TGxControl::ContentRect() const {
  const int bw = vbar_->BarVisible ? vbar_->ButtonSize() : 0;
  return QRect(2, 2, viewport()->width() - 4 - bw, viewport()->height() - 4);
}

void TGxControl::PlaceBar() {
  const int b = vbar_->ButtonSize();
  vbar_->SetBounds(viewport()->width() - 2 - b, 2, viewport()->height() - 4, b);
}

void TGxControl::resizeEvent(QResizeEvent* E) {
  PlaceBar();
  TGxCustomScrollControl::resizeEvent(E);
}

void TGxControl::PaintFrame(QPainter& P) {
  const QRect r = viewport()->rect();
  P.setBrush(Qt::NoBrush);
  P.setPen(Qt::black);
  P.drawRect(r.adjusted(0, 0, -1, -1));
  P.setPen(palette().color(QPalette::Base));
  P.drawRect(r.adjusted(1, 1, -2, -2));
}

void TGxControl::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  PlaceBar();
  p.fillRect(ContentRect(), palette().color(QPalette::Base));
  PaintContent(p);
  PaintFrame(p);
  if (vbar_->BarVisible) vbar_->Paint(p);
}

void TGxControl::Repeat() {
  switch (pressed_) {
    case prLineUp: vbar_->MoveBy(-1); break;
    case prLineDown: vbar_->MoveBy(1); break;
    case prPageUp: vbar_->PageBack(); break;
    case prPageDown: vbar_->PageForward(); break;
    case prNone: break;
  }
}

void TGxControl::mousePressEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  if (!vbar_->BarVisible || !vbar_->Bounds().contains(p)) {
    TGxCustomScrollControl::mousePressEvent(E);
    return;
  }
  const QRect t = vbar_->ThumbRect();
  if (vbar_->ForwardButton().contains(p)) {
    vbar_->ForwardState |= TGxVertScrollBar::psPressed;
    pressed_ = prLineDown;
  } else if (vbar_->BackButton().contains(p)) {
    vbar_->BackState |= TGxVertScrollBar::psPressed;
    pressed_ = prLineUp;
  } else if (t.isValid() && t.contains(p)) {
    vbar_->ThumbState |= TGxVertScrollBar::psPressed;
    vbar_->Update();
    return;
  } else if (t.isValid() && p.y() >= t.bottom()) {
    pressed_ = prPageDown;
  } else {
    pressed_ = prPageUp;
  }
  Repeat();
  delay_.start();
  vbar_->Update();
}

void TGxControl::mouseMoveEvent(QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  if ((vbar_->BarVisible && vbar_->Bounds().contains(p)) ||
      (vbar_->ThumbState & TGxVertScrollBar::psPressed)) {
    vbar_->MouseMoved(p.x(), p.y());
    return;
  }
  vbar_->MouseMoved(-1, -1);
  TGxCustomScrollControl::mouseMoveEvent(E);
}

void TGxControl::mouseReleaseEvent(QMouseEvent* E) {
  vbar_->BackState &= ~TGxVertScrollBar::psPressed;
  vbar_->ForwardState &= ~TGxVertScrollBar::psPressed;
  vbar_->ThumbState &= ~TGxVertScrollBar::psPressed;
  pressed_ = prNone;
  delay_.stop();
  repeat_.stop();
  viewport()->update();
  TGxCustomScrollControl::mouseReleaseEvent(E);
}

void TGxControl::leaveEvent(QEvent* E) {
  vbar_->MouseMoved(-1, -1);
  TGxCustomScrollControl::leaveEvent(E);
}
