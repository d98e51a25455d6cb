// The device's Qt side.
#include "plotting/qt/cvGRADQt.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

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

bool PrintPage(QPrinter& Printer, const std::function<void(platform::TCanvas&)>& Draw) {
  Printer.setResolution(600);
  const QRect Page = Printer.pageLayout().paintRectPixels(600);
  platform::TBitmap Bm(Page.width(), Page.height());
  Draw(Bm.Canvas());
  QPainter P;
  if (!P.begin(&Printer)) return false;
  P.setRenderHint(QPainter::Antialiasing, false);
  P.setRenderHint(QPainter::SmoothPixmapTransform, false);
  P.drawImage(QRect(0, 0, P.device()->width(), P.device()->height()),
              platform::QtImageView(Bm));
  return P.end();
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
  P.drawImage(0, 0, platform::QtImageView(Buffer_));
}

void TGrafView::resizeEvent(QResizeEvent*) { SyncSize(); }
