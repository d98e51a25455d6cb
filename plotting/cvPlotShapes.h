// Constructed graphs: circles, straight lines, a parabola and vertical and horizontal lines added
// to the plotter as ordinary graphs (replayed, edited and deleted like any other). Coordinates are
// world coordinates; each graph goes into tile 1 of the current plot area and the plotter's
// current film frame, with empty dimension texts. The lines across "the current graph's window"
// take its X or Y world-window range (nothing is added while that is 0 to 0). A point count below
// 2 is refused with a warning. None of them replays the picture.
#pragma once
#include <cstdint>
#include <string>

class TPLOTTER;

// A circle sampled at one point per pixel column and row of the device's page, through the
// device's current viewport and world window; "CIRCLE" in black.
void AddCircle(TPLOTTER& P, double XC, double YC, double R);
// Replaces the graph of the same title; nothing when the circle misses the page.
void AddCirclePic(TPLOTTER& P, const std::string& Title, char Color, double XC, double YC,
                  double R);
// Y = k X + b0 over the current graph's X window.
void AddLinePicY(TPLOTTER& P, int32_t N, double K, double B0);
void AddLineThroughPoint(TPLOTTER& P, int32_t N, double K, double X0, double Y0);
// X = k Y + b0 over the current graph's Y window; an empty title: "Line(k*Y+b0)".
void AddLinePic(TPLOTTER& P, int32_t N, const std::string& Title, double K, double B0);
void AddLinePicDef(TPLOTTER& P, int32_t N, double K, double B0);
// Y = A X^2 + B X + C over the current graph's X window.
void AddParabola(TPLOTTER& P, int32_t N, double A, double B, double C);
// X = x from y1 to y2; empty style "-.K", empty title "Line Y(X=..)".
void AddVLine(TPLOTTER& P, const std::string& Style, int32_t N, double X, double Y1, double Y2,
              const std::string& Title);
void AddVLineN(TPLOTTER& P, int32_t N, double X, double Y1, double Y2);
void AddVLineStyled(TPLOTTER& P, const std::string& Style, int32_t N, double X, double Y1,
                    double Y2);
// Two points from the current graph's Y window minimum to its maximum.
void AddVLineInWW(TPLOTTER& P, const std::string& Style, const std::string& Title, double X);
// Y = y from x1 to x2; empty style "-.K", empty title "Line X(Y=..)".
void AddLevelLine(TPLOTTER& P, const std::string& Style, int32_t N, double X1, double X2,
                  double Y, const std::string& Title);
void AddLevelLineDef(TPLOTTER& P, int32_t N, double X1, double X2, double Y);
