// The minimal picture window.
#include "plotting/qt/cvFPict.h"

#include <QResizeEvent>

#include "platform/qt/QtCanvas.h"
#include "plotting/cvPLOT.h"

TFPict::TFPict(QWidget* Parent) : TGrafView(Parent) {
  setWindowTitle("CV Picture");
  BlinkTimer.setInterval(350);
  QObject::connect(&BlinkTimer, &QTimer::timeout, this, [this] { BlinkTick(); });
}

TFPict::~TFPict() {
  BlinkTimer.stop();
  if (!Plotter_ || Plotter_->Window != &Host_) return;
  Plotter_->Window = nullptr;
  // The device must not keep drawing into the buffer that goes with the window.
  if (TGRAF* G = Plotter_->Gra; G && G->TargetCanvas == &Buffer().Canvas()) {
    G->ENDG();
    G->Canvas = G->TargetCanvas = nullptr;
    G->SetOwner("");
  }
}

void TFPict::Bind(TPLOTTER& Plotter, double Size) {
  Plotter_ = &Plotter;
  Size_ = Size;
  SyncSize();
  Plotter.INIG(&Buffer().Canvas(), "TFPict", &Host_, Size);
}

void TFPict::resizeEvent(QResizeEvent* Event) {
  TGrafView::resizeEvent(Event);
  if (!Plotter_ || Plotter_->Window != &Host_ || Plotter_->Ready != 21930) return;
  if (Buffer().Width() == 0 || Buffer().Height() == 0) return;
  Plotter_->Rebind(&Buffer().Canvas(), "TFPict", &Host_);
  if (Plotter_->GraphCount() > 0) Plotter_->PlayOnce();
}

void TFPict::BlinkTick() {
  BlinkPhase = BlinkPhase % 4 + 1;
  if (PlotterOn && Plotter_ && Plotter_->GraphCount() > 0) Plotter_->PlayOnce();
}

void TFPict::THost::SetBlinkTimer(bool E) {
  if (E) W.BlinkTimer.start();
  else W.BlinkTimer.stop();
}

void TFPict::THost::SetCaption(const std::string& C) {
  W.setWindowTitle(platform::QtStr(C));
}
