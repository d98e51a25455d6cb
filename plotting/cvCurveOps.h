// Graphs derived from the plotter's current graph G (and its comparison graph C): running
// integral, mean Y in X bins, the smoothing family, derivative, mirror, ratio, difference and
// mean with C, resampling on a regular X grid, and the formula commands (AddModifPic).
//
// Every operation does nothing when ChkCurPic is false (the two-graph ones also without a
// comparison graph), deletes G first when AutoDelOnPicModify is set, and adds its result with G's
// tile, film frame and line format, so the result becomes the current graph. None replays the
// picture except MeanYBinned. Refusals warn through the plotting services (PlotWarn) and add
// nothing. What they read of the windows (the Graf tab's "edkMi", "edkMa", the tool's "edVX1",
// "edVX2"; "norm" writes "edOperand") goes through the plotter's Tools host.
#pragma once
#include <string>

#include "foundation/cvTy.h"

class TPLOTTER;

void IntegralCurPic(TPLOTTER& P);
// Bin centres, mean Y and point density (as weights) over the edges; a "<Y>" graph drawn with
// '-' dashes, replayed.
void MeanYBinned(TPLOTTER& P, const TARe& Edges);
// Kind (exact): "GAUSS", "MEAN2", "MEAN3", "MEANSmooth", "MEAN_x_N", "MEANeqP", "X_comb"; any
// other warns "... это НЕ ВАРИАНТ!". "GAUSS" refuses a width of 0 or less.
void AddApproxCurPic(TPLOTTER& P, const std::string& Kind, double Width);
void DiffCurPic(TPLOTTER& P);
void MirrorCurPic(TPLOTTER& P);
void DivByCompare(TPLOTTER& P);
void SubCompare(TPLOTTER& P);
void MeanWithCompare(TPLOTTER& P);
// Method '2' linear, '4' cubic, 'S'/'s' spline; h > 0 and at most 10^6 points, else refused.
void ResampleCurPic(TPLOTTER& P, char Method, double H);
// A formula command on X (ToX), Y (ToY) or both; B is the parameter of "B(T)", "K" and "POW".
void AddModifPic(TPLOTTER& P, const std::string& Command, bool ToX, bool ToY, double B);
