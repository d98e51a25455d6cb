// The picture window TFPict, minimal: it shows the device's back buffer and is the plotter's
// picture window (PlotterOn, the blink timer and its phase, the caption). Binding it runs the
// plotter's INIG on its buffer; a resize rebinds and replays. Mouse picking, zoom, films and the
// rest of the window come later.
#pragma once
#include <QTimer>

#include "plotting/cvPlotHost.h"
#include "plotting/qt/cvGRADQt.h"

class TPLOTTER;

class TFPict : public TGrafView {
 public:
  explicit TFPict(QWidget* Parent = nullptr);
  ~TFPict() override;

  bool PlotterOn = false;
  int32_t BlinkPhase = 1;
  QTimer BlinkTimer;  // 350 ms; advances BlinkPhase 1..4 and replays while PlotterOn

  // Binds Plotter (and its device) to this window's buffer; the window must have its size.
  void Bind(TPLOTTER& Plotter, double Size = 0);
  TPLOTTER* Plotter() const { return Plotter_; }
  TPlotHost& Host() { return Host_; }

 protected:
  void resizeEvent(QResizeEvent* Event) override;

 private:
  struct THost : TPlotHost {
    TFPict& W;
    explicit THost(TFPict& aW) : W(aW) {}
    void SetPlotterOn(bool On) override { W.PlotterOn = On; }
    void SetBlinkTimer(bool E) override;
    int32_t BlinkPhase() override { return W.BlinkPhase; }
    void SetCaption(const std::string& C) override;
    bool Minimized() override { return W.isMinimized(); }
    void HideWindow() override { W.hide(); }
    void PictureChanged() override { W.update(); }
  };
  THost Host_{*this};
  TPLOTTER* Plotter_ = nullptr;
  double Size_ = 0;
  void BlinkTick();
};
