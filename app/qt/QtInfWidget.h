// The strip that shows the information panel: it keeps the bitmap of its client area (the
// panel blits onto it, the frame and the caret draw on it from anywhere), paints that bitmap,
// and forwards mouse presses, releases and editing keys to the panel.
#pragma once
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/cvInf.h"
#include "platform/Canvas.h"
#include "platform/Controls.h"

class QtInfWidget : public QWidget {
  Q_OBJECT

 public:
  explicit QtInfWidget(QWidget* Parent = nullptr);
  ~QtInfWidget() override;

  // The window handle to give TInf::Init: its canvas is this widget's client bitmap, its client
  // area this widget, and points inside the top-level window count as inside the client area.
  platform::TControl* Form();
  // Shows the panel (not owned): the strip's height follows the panel's bitmap (the bitmap's
  // last row stays one pixel below, as the panel places itself), then the panel is drawn.
  void Attach(TInf* Inf);
  TInf* Inf() const { return Inf_; }
  platform::TBitmap& Surface() { return *Surface_; }

  // Drives the panel by itself (hover every 300 ms; changed fields, the frame and a pending
  // full drawing every 30 ms) where no named-timer table does.
  void StartTimers();
  void StopTimers();
  // Hands an editing key to the panel while it edits a field; true when the panel took it.
  bool ForwardKey(int Key, const QString& Text);
  // Forwards editing keys from the whole application while the panel edits a field.
  void InstallKeyFilter();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  class FormHandle;
  std::unique_ptr<platform::TBitmap> Surface_;
  std::unique_ptr<FormHandle> Form_;
  TInf* Inf_ = nullptr;
  QTimer HoverTimer_;
  QTimer StepTimer_;
  bool Filtering_ = false;
};
