// Pictures, colours, canvas text, rectangles and 24-bit bitmap routines shared by the windows.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvColor.h"
#include "foundation/cvStrList.h"
#include "platform/Canvas.h"

using platform::TBitmap;
using platform::TCanvas;

// ---- picture files ----
// 1 BMP, 2 TIF, 3 JPG, 4 PNG, 5 DCX, 6 PCX, 7 EMF; -1 for a missing file or no match.
int32_t GraphFormatOf(const std::string& FileName);
std::string GraphFormatName(int32_t Code);
// "FileName=", "GraphFormat=" and a few lines per format (TIFF: "LX=", "LY=", "NBit=").
std::unique_ptr<TStringList> PictureInfo(const std::string& FileName);

// ---- colours ----
// "RRGGBB", three integers or three reals; clNone with a warning otherwise.
uint32_t StrRGBtoColor(const std::string& Text);
uint32_t HighLightColor(uint32_t Color, int32_t Step);

// ---- rectangles and segments ----
bool PointInRect(const TRect& R, const TPoint& P);
bool PointInRectXY(const TRect& R, int32_t X, int32_t Y);
TRect OffsetRectBy(const TRect& R, const TPoint& P);
TRect BitmapRect(const TBitmap& B);
// Liang-Barsky clipping; false (all outputs 0) when nothing of the segment is visible.
bool ClipSegment(double X1, double Y1, double X2, double Y2, double XMin, double YMin,
                 double XMax, double YMax, double& CX1, double& CY1, double& CX2, double& CY2);
// Which picture pixels Src1..Src2 fall into a window of N pixels, onto window pixels Dst1..Dst2.
void ViewRange(int32_t N, int32_t M, double B, double C, double Z, int32_t& Dst1,
               int32_t& Src1, int32_t& Src2, int32_t& Dst2);

// ---- canvas text ----
void DrawGlyphFrame(TCanvas* Canvas, int32_t X, int32_t Y, const TBitmap* Strip,
                    int32_t FrameCount, int32_t FrameIndex);
void CanvasClear(TCanvas* Canvas);
TRect CanvasSayRect(TCanvas* Canvas, const std::string& Text, int32_t Column);
void CanvasSay(TCanvas* Canvas, const std::string& Text, int32_t Column, uint32_t Background);
void CanvasSayBits(int32_t FirstColumn, uint32_t ColorOff, uint32_t ColorOn, int32_t Mask,
                   const std::string& Text, TCanvas* Canvas);
// Horizontal mode 0 left, 1 right, 2 centre; vertical 0 top, 1 centre, 2 bottom.
void CanvasTextInRect(TCanvas* Canvas, const std::string& Text, const TRect& R,
                      uint32_t TextColor, uint32_t Background, int32_t HMode, int32_t VMode);

// ---- 24-bit bitmaps ----
bool CheckIsBitmap(const TBitmap* Handle, const std::string& Caller);
void BitmapFill(TBitmap* Bitmap, uint32_t Color);
// Sets byte "B" (0), "G" (1) or "R" (2) of every pixel to 255.
void BMPAddColors(TBitmap* Bitmap, char Letter);
void CopyBMPRect(TBitmap* Dest, const TRect& RDest, const TBitmap* Src, const TRect& RSrc);
void BlitAt(TBitmap* Dest, const TPoint& At, const TBitmap* Src, const TRect& RSrc);
void BMPtoWindow(const TBitmap* Src, TBitmap* Win, int32_t X0, int32_t Y0, uint32_t Background);
void BitmapMirror(std::unique_ptr<TBitmap>& Bitmap);
void DrawTransparentBMP(TCanvas* Canvas, int32_t X, int32_t Y, const TBitmap* Picture,
                        uint32_t Transparent);
