// The device's Qt side: fonts and screen size for the device, PNG output of a bitmap, a window
// that shows a device bitmap, and the printer: a page drawn at 600 dots per inch through the Qt
// painter (vectors and text, no bitmap of the page).
#pragma once
#include <QWidget>
#include <functional>
#include <string>

#include "platform/Canvas.h"

class QPrinter;

// Installs the platform's Qt graphics, the screen size of the primary screen for the device, and
// "Liberation Sans" (metric-compatible) as the face that stands for "Arial".
void InstallPlottingQt();

// Writes the bitmap as a PNG file through Qt's writer; false when it cannot be written.
bool SaveBitmapPng(const platform::TBitmap& Bitmap, const std::string& FileName);

// Draws one page on the printer at 600 dots per inch through a painter canvas the size of the
// printer's page (antialiasing off; fonts measured at 600 dots per inch) and outputs it. Draw
// receives the canvas. False when the printer cannot start or finish.
bool PrintPage(QPrinter& Printer, const std::function<void(platform::TCanvas&)>& Draw);

// The printer TGRAF.INIGPrinter() opens a page on (through the plotting services; not owned;
// nullptr: none). The page is output when TGRAF.ENDG closes it.
void SetDevicePrinter(QPrinter* Printer);

// A window that shows a device bitmap: the device draws into Buffer() (the back buffer); the
// widget copies it in its paint event only.
class TGrafView : public QWidget {
 public:
  explicit TGrafView(QWidget* Parent = nullptr);
  platform::TBitmap& Buffer() { return Buffer_; }
  // Resizes the back buffer to the widget.
  void SyncSize();

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

 private:
  platform::TBitmap Buffer_;
};
