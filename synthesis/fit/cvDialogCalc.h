// What the Dialog, Di and VARI tabs compute without a window: the slider scales of the Dialog
// rows, the rows and the observation choice written into the working variator, one "CALC" (the
// run of "#ALG", the observed and computed profiles paired case by case, their differences and
// the graphs to draw), the wavelength grids of the Di spans ("Fill Lambs") and the variator
// names of the VARI tab's quest list.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TJob;
class TLUNNO;
class TVARIATOR;
struct TDiLamSpan;

// ---- the scale of a Dialog row: bounds L and R, logarithmic (bounds as decimal logarithms)
struct TDiaScale {
  double L = 0, R = 0;
  bool Log = false;
};
// The value under the bar's relative position F (0..1).
double DiaScaleValue(const TDiaScale& S, double F);
// The bar position (0..100) of a value; false when nothing moves (equal bounds, a value not above
// 0 on a logarithmic scale).
bool DiaBarPos(const TDiaScale& S, double V, int32_t& Pos);
// Widening (Dir 1) or narrowing (Dir -1) by K around the bar at F; the new bar position.
int32_t DiaScaleExpand(TDiaScale& S, double F, double K, int32_t Dir);
// The scale moved by T of its width to the left; the value now under the bar at F.
double DiaScaleShift(TDiaScale& S, double F, double T);
// Four significant digits ("5.000", "10.00", "-2.000").
std::string DiaSig4(double X);
// The value text written after a shift: width 6 with 3 decimals on a logarithmic scale.
std::string DiaShiftText(const TDiaScale& S, double V);

// ---- the tab's parameters (tabDialogReadParams)
struct TDiaRow {
  std::string Key, Value;  // Key without "#"
  uint32_t Time = 0;
};
struct TDiaObsRow {
  std::string Key, Val;  // gxVariOKey, gxVariOVal
  int32_t Axis = 0;      // 1 "V", 2 "X"
  int32_t K = 0;         // gxVariOK
};
struct TDiaParams {
  std::vector<TDiaRow> Rows;
  std::vector<TDiaObsRow> Obs;
  std::vector<std::string> XItems;  // cbObsValX
};
// Writes the rows and the "V" and "X" keys into V (a key is added only when missing or when its
// values differ); the X index chosen, 0 for all X values.
int32_t DiaReadParams(TVARIATOR& V, const TDiaParams& P);
// The case list: [XIndex] or 1..N.
std::vector<int32_t> DiaCases(int32_t XIndex, int32_t N);

// ---- one calculation
struct TDiaGraph {
  TARe X, Y;
  std::string DimX, DimY, NameX, NameY, Title, Line;
  int32_t Cell = 0;
};
struct TDiaCalcIn {
  std::string VariDia;  // cbVARI_Dia ("CALC" only)
  bool ByCurv = false;
  std::string AppQuest;  // the differences of "CALC by CURV"
  TDiaParams Params;
  int32_t ObsValIdx = 1;  // cbObsVal item index + 1
  bool Prof = true, Diff = false, Bisect = true, Width = false;
  std::string CurvLine = "-.K";  // line style of "CALC by CURV"
};
struct TDiaCalcOut {
  int32_t NCases = 0;
  bool TwoRows = false;
  std::vector<TDiaGraph> Graphs;
  // The difference profiles' mean I differences per case (the harness prints them).
  std::vector<double> DifMean;
};
// The variator "CALC" uses: the current one, or the last of cbVARI_Dia's quest when the texts
// differ (nullptr, with a message naming the quest, when there is none).
TVARIATOR* DiaVariOf(const std::string& VariDia);
// "CALC" / "CALC by CURV" on the thread's variator and calculation context: false (nothing to
// draw) when cancelled or when a case cannot be compared (a message names quest, step and
// combination). Graphs: what Algorithms of the picture draws, in order.
bool DialogCalc(TJob& Job, TLUNNO& List, const TDiaCalcIn& In, TDiaCalcOut& Out);

// ---- Di "Fill Lambs" of one span: false with the message when bounds or step are missing.
// MainLam gives the wavelength of a line Id (0 when it cannot be loaded).
bool DiFillLams(TDiLamSpan& S, double La1, double La2, double DL, const std::string& MainLine,
                const std::function<double(const std::string&)>& MainLam);
// Wavelengths blank-separated with 9 significant digits (the "Lams" page's line).
std::string DiLamsLine(const TDiLamSpan& S);

// ---- the VARI tab's quest list: "QUEST STEP" split (one word: step 1).
void VariNameSplit(const std::string& Text, std::string& Quest, int32_t& Step);
