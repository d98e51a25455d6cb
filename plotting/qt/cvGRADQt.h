// The device's Qt side: fonts and screen size for the device, PNG output of a bitmap, a window
// that shows a device bitmap, and printing a page drawn at 600 dots per inch.
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

// Draws one page at 600 dots per inch into a bitmap the size of the printer's page and prints it
// (antialiasing off). Draw receives the bitmap's canvas. False when the printer cannot start.
bool PrintPage(QPrinter& Printer, const std::function<void(platform::TCanvas&)>& Draw);

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
