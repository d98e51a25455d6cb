// The calculator FCalc without its widgets: the values of its controls by name and its handlers
// over the text table the program's editor holds. "Interpolation" interpolates a column of a base
// table at the values of a destination column, or builds a histogram over the bin edges of that
// column; "Regression" shows the statistics of the editor's current column against the X column
// (ShowStat, with the covariance matrix's eigenvalues and eigenvectors), copies them to the
// clipboard, draws the fitted lines into the picture, evaluates the quadratic fit and computes the
// autocorrelation of a column. The editor is reached through TCalcEditor (the main window's
// editor in the program, a fake in tests); the window (plotting/qt/cvFCalc.h) shows the values.
//
// GUI-thread state, like the plotter.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TPLOTTER;
class TStringList;

// A set of regression statistics in the roles of the "Regression" group.
struct TCalcStat {
  int32_t Col = 0, N = 0;
  double Min = 0, Max = 0, Mean = 0, MeanAbsDiff = 0, MeanSqDiff = 0, Spare = 0;
  double A = 0, B = 0, AY = 0, BY = 0, mR = 0, mA = 0, mB = 0;
  double MeanX = 0, MeanY = 0, RmsX = 0, RmsY = 0, Rxy = 0, Rx2y = 0, A2 = 0, B2 = 0, C2 = 0;
  double Sxx = 0, Syy = 0, Sxy = 0;
};

// What the calculator needs of the editor: the caret's line (from 1) and word number, the table
// bounds around a line, the text and its replacement, a list inserted at the current line (no
// framing lines), the column statistics of the current column against the X column, the memo
// hidden while a histogram is written, and the panel's X column ("nX").
class TCalcEditor {
 public:
  virtual ~TCalcEditor() = default;
  virtual int32_t CurLine() = 0;
  virtual int32_t CurCol() = 0;
  virtual void TabBounds(int32_t Line, int32_t& First, int32_t& Last) = 0;
  virtual void SetCurLine(int32_t Line) = 0;
  virtual std::unique_ptr<TStringList> Text() = 0;
  virtual void SetText(const TStringList& Text) = 0;
  virtual void InsertAtCurLine(const TStringList& Lines) = 0;
  virtual bool ColStat(TCalcStat& S) = 0;
  virtual void ShowMemo(bool Visible) = 0;
  virtual int32_t PanelNX() = 0;
};

// Autocorrelation coefficients R[0..N-1] of A[1..M]; all 0 when M < N. False (R all 0) when the
// values have no spread.
bool AutoCorr(const TARe& A, int32_t N, TARe& R);

class TCalc {
 public:
  TCalc();
  TCalcEditor* Ed = nullptr;
  TPLOTTER* P = nullptr;
  // The picture window shown (the "gr" buttons draw only then).
  std::function<bool()> PictVisible;
  // A value written from code (the window shows it); the window shown.
  std::function<void(const std::string& Name, const std::string& Value)> OnSet;

  int32_t BaseColY = 0, BaseColX = 0, BaseLine = 0, BaseFirst = 0, BaseLast = 0;
  int32_t DstCol = 0, DstLine = 0, DstFirst = 0, DstLast = 0;

  std::string Get(const std::string& Name) const;
  void Put(const std::string& Name, const std::string& Value);
  void Changed(const std::string& Name);
  void Input(const std::string& Name, const std::string& Value) {
    Ctl_[Name] = Value;
  }

  void FormShow();
  void btFixBaseYandLineClick();
  void btFixBaseXColClick();
  void btFixBase_YClick();
  void btFixOperandLineAndColClick();
  void btCalcInterpolationClick();
  void btHistClick();
  void btRegressClick();
  void btStat2ClipBrdClick();
  void btAutoCorrClick();
  void btGrClick(const std::string& Button);
  void btY_x2Click();
  // The statistics into the "Regression" group with Digits significant digits (edMid with 3
  // more), then the covariance analysis.
  void ShowStat(int32_t Digits, const TCalcStat& S);

 private:
  std::map<std::string, std::string> Ctl_;
  std::map<std::string, std::function<void()>> Handlers_;
  double Real(const std::string& Name) const;
  bool Checks(bool Hist);
  void Bounds();
};

// The control names of the "Regression" group, in the window's order.
const std::vector<std::string>& CalcRegressionFields();

// The statistics of Y[1..n] and of Y against X (AReStat, AReStat2, AReRegCorr) in their roles.
TCalcStat CalcStatOf(const TARe& X, const TARe& Y, int32_t Col);
