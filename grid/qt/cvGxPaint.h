// The grid suite's shared drawing routines on QPainter: clipping, button faces, focus frames,
// text lines and boxes, vertical text, gradients, per-pixel alpha images and the themed drawing
// through the widget style (used only while ThemesActive(); callers keep their classic drawing).
#pragma once
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "grid/cvGxDraw.h"

class QWidget;

// A stored colour on the screen; system colours through GxColorToRGB.
QColor GxColor(uint32_t Color);
// Makes GxColorToRGB read system colours from the application's palette (clBtnFace the button
// colour, clHighlight the highlight, clGrayText the disabled text ...). Idempotent.
void InstallGxPalette();
// The palette's value of a system colour (0x00BBGGRR).
uint32_t GxPaletteColor(uint32_t SystemColor);
QRect GxQRect(const TGxRect& R);

class TGxPaint {
 public:
  TGxPaint() = delete;
  // The painter clips to exactly the rectangle.
  static void SetClipRect(QPainter& P, const QRect& R);
  // The rectangle less a 1-pixel border filled with clBtnFace, a 3D frame: clBtnHighlight top
  // left, clWindowFrame (Dark) or clBtnShadow bottom right.
  static void DrawButtonFace(QPainter& P, const QRect& R, bool Dark);
  // Solid: a 1-pixel frame in clHighlight; otherwise a dotted frame.
  static void DrawFocusFrame(QPainter& P, const QRect& R, bool Solid);
  // One line, vertically centred, ellipsis at the end when too long; Alignment in TAlignment
  // order; transparent background.
  static void DrawTextLine(QPainter& P, const QRect& R, bool RightToLeft, const QString& Text,
                           TAlignment Alignment);
  // The rectangle in which DrawTextBox draws: with WordWrap the text's wrapped bounding height
  // placed at the top, the bottom or centred (TextBoxTop); without it the whole rectangle.
  static QRect TextBoxRect(QPainter& P, const QRect& R, const QString& Text, bool WordWrap,
                           TVerticalAlignment VAlign, TAlignment Alignment);
  static void DrawTextBox(QPainter& P, const QRect& R, bool RightToLeft, const QString& Text,
                          bool WordWrap, TVerticalAlignment VAlign, TAlignment Alignment);
  // Text rotated by 90 degrees (reading upwards), single line, bottom-aligned.
  static void DrawVerticalText(QPainter& P, const QRect& R, const QString& Text);
  static void DrawAlignedText(QPainter& P, const QRect& R, TAlignment Alignment, bool RightToLeft,
                              const QString& Text) {
    DrawTextLine(P, R, RightToLeft, Text, Alignment);
  }
  // One line per pixel row from the top to the bottom - 1 in MixColors(C1, C2, (y-top)/height).
  static void DrawVerticalGradient(QPainter& P, const QRect& R, uint32_t C1, uint32_t C2);
  // A 32-bit image with per-pixel alpha blended onto the target image at (X, Y) channel by
  // channel (AlphaChannel); other formats are drawn as they are.
  static void DrawGraphic(QImage& Target, int X, int Y, const QImage& Graphic);
  // The free form: blended with BlendColor weighted by the alpha byte.
  static void DrawAlphaGraphic(QImage& Target, int X, int Y, const QImage& Graphic);
  // Themed background of a part of a class ("scrollbar", "header", "button", "combobox", "edit",
  // "spin") through the widget's style. False (nothing drawn) while themes are off or the class
  // is unknown.
  static bool DrawThemed(QWidget* Widget, QPainter& P, const QRect& R, int State, int Part,
                         const QString& ClassName);
};

// Shows a hint window with the text over the rectangle (global coordinates) of the owner.
void ActivateHintWide(QWidget* Owner, const QRect& GlobalRect, const QString& Text);
// Hides the hint window.
void ReleaseHintWindow();
// The control has a window and that window is the active one.
bool ParentFormActive(const QWidget* Control);
