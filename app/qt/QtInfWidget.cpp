#include "app/qt/QtInfWidget.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"

class QtInfWidget::FormHandle : public platform::TControl {
 public:
  explicit FormHandle(QtInfWidget* W) : W_(W) {}
  std::string Name() const override { return W_->objectName().toStdString(); }
  void SetName(const std::string& N) override { W_->setObjectName(QString::fromStdString(N)); }
  std::string ClassName() const override { return "TForm"; }
  TRect Bounds() const override {
    const QRect G = W_->geometry();
    return TRect{G.x(), G.y(), G.x() + G.width(), G.y() + G.height()};
  }
  platform::TCanvas* Canvas() override { return &W_->Surface_->Canvas(); }
  int32_t ClientWidth() const override { return W_->width(); }
  int32_t ClientHeight() const override { return W_->height(); }
  TPoint CursorPos() const override {
    const QPoint P = W_->mapFromGlobal(QCursor::pos());
    return TPoint{P.x(), P.y()};
  }
  bool InClientArea(TPoint P) const override {
    const QWidget* Top = W_->window();
    const QPoint G = W_->mapTo(Top, QPoint(P.X, P.Y));
    return Top->rect().contains(G);
  }
  std::string Hint() const override { return platform::FromQtStr(W_->toolTip()); }
  void SetHint(const std::string& H) override {
    W_->setToolTip(platform::QtStr(H));
    if (H.empty()) QToolTip::hideText();
  }
  void ActivateHint(TPoint P) override {
    if (!W_->toolTip().isEmpty())
      QToolTip::showText(W_->mapToGlobal(QPoint(P.X, P.Y)), W_->toolTip(), W_);
  }

 private:
  QtInfWidget* W_;
};

QtInfWidget::QtInfWidget(QWidget* Parent)
    : QWidget(Parent),
      Surface_(std::make_unique<platform::TBitmap>(1, 1)),
      Form_(std::make_unique<FormHandle>(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  Surface_->Canvas().OnChanged = [this](const TRect& R) {
    update(QRect(R.Left, R.Top, R.Width(), R.Height()));
  };
  HoverTimer_.setInterval(300);
  StepTimer_.setInterval(30);
  connect(&HoverTimer_, &QTimer::timeout, this, [this]() {
    if (!Inf_) return;
    bool Over = false;
    Inf_->Hover(Form_.get(), Over);
  });
  connect(&StepTimer_, &QTimer::timeout, this, [this]() {
    if (!Inf_) return;
    Inf_->UpdateChanged();
    Inf_->FrameStep();
    if (Inf_->Dirty) Inf_->RedrawIfDirty();
  });
}

QtInfWidget::~QtInfWidget() {
  StopTimers();
  if (Inf_) {
    Inf_->OnFreed = nullptr;
    if (Inf_->Canvas == &Surface_->Canvas()) Inf_->DetachWindow();
  }
  if (Filtering_ && qApp) qApp->removeEventFilter(this);
  Surface_->Canvas().OnChanged = nullptr;
}

platform::TControl* QtInfWidget::Form() { return Form_.get(); }

void QtInfWidget::Attach(TInf* Inf) {
  if (Inf_ && Inf_ != Inf) Inf_->OnFreed = nullptr;
  Inf_ = Inf;
  if (Inf_) Inf_->OnFreed = [this]() { Inf_ = nullptr; };
  if (Inf_ && Inf_->Bitmap) {
    setFixedHeight(std::max(1, Inf_->Bitmap->Height() - 1));
    Surface_->SetSize(std::max(1, width()), height());
    Inf_->Resize(Form_.get());
    Inf_->DrawAll();
    Inf_->Dirty = false;
  }
  update();
}

void QtInfWidget::StartTimers() {
  HoverTimer_.start();
  StepTimer_.start();
}

void QtInfWidget::StopTimers() {
  HoverTimer_.stop();
  StepTimer_.stop();
}

QSize QtInfWidget::sizeHint() const {
  const int H = Inf_ && Inf_->Bitmap ? std::max(1, Inf_->Bitmap->Height() - 1) : 24;
  return QSize(640, H);
}

void QtInfWidget::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.drawImage(0, 0, platform::QtImageView(*Surface_));
}

void QtInfWidget::resizeEvent(QResizeEvent*) {
  Surface_->SetSize(std::max(1, width()), std::max(1, height()));
  if (Inf_) {
    // A strip wider than the panel's bitmap shows the panel's background beyond it.
    platform::TCanvas& C = Surface_->Canvas();
    C.Brush.Color = Inf_->ColorBack;
    C.FillRect(C.ClipRect());
    Inf_->Resize(Form_.get());
    Inf_->DrawAll();
  }
  update();
}

static platform::TMouseButton ButtonOf(Qt::MouseButton B) {
  if (B == Qt::RightButton) return platform::TMouseButton::Right;
  if (B == Qt::MiddleButton) return platform::TMouseButton::Middle;
  return platform::TMouseButton::Left;
}

void QtInfWidget::mousePressEvent(QMouseEvent* E) {
  if (!Inf_) return;
  bool Inside = false;
  const QPoint P = E->position().toPoint();
  Inf_->MouseDown(Form_.get(), ButtonOf(E->button()), P.x(), P.y(), Inside);
}

void QtInfWidget::mouseReleaseEvent(QMouseEvent* E) {
  if (!Inf_) return;
  const QPoint P = E->position().toPoint();
  Inf_->MouseUp(P.x(), P.y());
}

bool QtInfWidget::ForwardKey(int Key, const QString& Text) {
  if (!Inf_ || Inf_->Selected < 0 || !Inf_->EditField) return false;
  if (Key == Qt::Key_Left) {
    Inf_->KeyCmd(TInf::KeyLeft);
    return true;
  }
  if (Key == Qt::Key_Right) {
    Inf_->KeyCmd(TInf::KeyRight);
    return true;
  }
  bool Took = false;
  for (const QChar C : Text) {
    const unsigned char B = platform::UnicodeToCp1251(C.unicode());
    if (B >= 32) {
      Inf_->KeyCmd(B);
      Took = true;
    }
  }
  return Took;
}

void QtInfWidget::keyPressEvent(QKeyEvent* E) {
  if (!ForwardKey(E->key(), E->text())) QWidget::keyPressEvent(E);
}

void QtInfWidget::InstallKeyFilter() {
  if (Filtering_ || !qApp) return;
  qApp->installEventFilter(this);
  Filtering_ = true;
}

bool QtInfWidget::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::KeyPress && Watched != this) {
    auto* K = static_cast<QKeyEvent*>(Event);
    if (ForwardKey(K->key(), K->text())) return true;
  }
  return QWidget::eventFilter(Watched, Event);
}
