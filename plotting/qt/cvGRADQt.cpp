// The device's Qt side.
#include "plotting/qt/cvGRADQt.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <memory>

#include "platform/qt/QtCanvas.h"
#include "plotting/cvGRAD.h"

void InstallPlottingQt() {
  platform::InstallQtGraphics();
  QFont::insertSubstitution("Arial", "Liberation Sans");
  Plotting().ScreenSize = [] {
    const QScreen* S = QGuiApplication::primaryScreen();
    if (!S) return std::pair<int32_t, int32_t>(1920, 1080);
    const QSize Z = S->size();
    return std::pair<int32_t, int32_t>(Z.width(), Z.height());
  };
}

bool SaveBitmapPng(const platform::TBitmap& Bitmap, const std::string& FileName) {
  const QImage View = platform::QtImageView(Bitmap);
  return View.save(QString::fromStdString(FileName), "PNG");
}

namespace {

// One printer page being drawn: the painter on the printer and the canvas over it.
struct TPrinterPage {
  QPainter Painter;
  std::unique_ptr<platform::QtCanvasPainter> Canvas;

  bool Begin(QPrinter& Printer) {
    Printer.setResolution(600);
    const QRect Page = Printer.pageLayout().paintRectPixels(600);
    if (!Painter.begin(&Printer)) return false;
    // Device units of 1/600 inch whatever resolution the printer settled on.
    const double Dpi = Printer.resolution();
    if (Dpi > 0 && Dpi != 600) Painter.scale(Dpi / 600, Dpi / 600);
    Canvas = std::make_unique<platform::QtCanvasPainter>(Painter, Page.width(), Page.height());
    Canvas->Canvas().Font.PixelsPerInch = 600;
    return true;
  }
  bool End() {
    Canvas.reset();
    return Painter.end();
  }
};

QPrinter* DevicePrinter = nullptr;
std::unique_ptr<TPrinterPage> DevicePage;

}  // namespace

bool PrintPage(QPrinter& Printer, const std::function<void(platform::TCanvas&)>& Draw) {
  TPrinterPage Page;
  if (!Page.Begin(Printer)) return false;
  Draw(Page.Canvas->Canvas());
  return Page.End();
}

void SetDevicePrinter(QPrinter* Printer) {
  DevicePrinter = Printer;
  Plotting().PrinterBegin = [] () -> platform::TCanvas* {
    if (!DevicePrinter) return nullptr;
    if (DevicePage) DevicePage->End();  // a page left open is closed first
    DevicePage = std::make_unique<TPrinterPage>();
    if (!DevicePage->Begin(*DevicePrinter)) {
      DevicePage.reset();
      return nullptr;
    }
    return &DevicePage->Canvas->Canvas();
  };
  Plotting().PrinterEnd = [] {
    if (!DevicePage) return false;
    const bool Ok = DevicePage->End();
    DevicePage.reset();
    return Ok;
  };
}

TGrafView::TGrafView(QWidget* Parent) : QWidget(Parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGrafView::SyncSize() {
  if (Buffer_.Width() != width() || Buffer_.Height() != height())
    Buffer_.SetSize(width(), height());
}

void TGrafView::paintEvent(QPaintEvent*) {
  QPainter P(this);
  platform::QtCanvasPainter C(P, width(), height());
  C.Canvas().Draw(0, 0, Buffer_);
}

void TGrafView::resizeEvent(QResizeEvent*) { SyncSize(); }
