// The solar-limb fit: points of the limb (a two-column table, stretched by sqrt(k) in X against Y
// so that the elliptical limb of a scan with unequal pixel scales becomes a circle), drawn in the
// picture window, fitted by the algebraic circle, and iterated from a start circle with an
// adaptive step. The module keeps its points, working circle and step state between calls, so a
// step goes on from where the start or the previous step left.
//
// The Test tab's edits come in one settings record (TLimbEdits, texts as typed); the memo lines
// go to Memo. Drawing goes to the plotter given (none: nothing drawn) and happens on the GUI
// thread only: CircFitLoop runs as a job that computes, its lines and circles are handed over by
// LoopDone afterwards.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/cvTy.h"
#include "scans/cvCircleFit.h"

class TJob;
class TPLOTTER;

struct TLimbEdits {
  std::string Radius = "980";   // ed_Radius
  std::string Eps = "1E-3";     // ed_LMEpsilon
  std::string XC = "0";         // ed_XC
  std::string YC = "0";         // ed_YC
  std::string Kx = "1.0";       // ed_kx
  std::string KFactor = "0.5";  // edkFactor
  std::string SigXY = "-1";     // edSigXY
  std::string SigR = "0";       // edSigR
  std::string LamLM;            // edLamLM (output)
};

class TLimbFit {
 public:
  static constexpr int32_t MaxLoopSteps = 10000;

  TARe X, Y;  // the table's columns, from index 1
  int32_t N = 0;
  TCirclePts P;
  TCircle C;
  double Lambda = 1, Eps = 1e-3, S1 = 1, S2 = 2;
  int32_t I = 0;

  TLimbEdits Edits;
  // memoGSparam.
  std::function<void(const std::string& Line)> Memo;
  // The picture window made ready for drawing (shown, plotter on); unset: nothing.
  std::function<void()> PreparePicture;
  TPLOTTER* Plotter = nullptr;

  // X, Y scaled by s and 1/s (elements 1 .. Length(Y) - 1).
  void LimbScaleXY(double S);
  // P from X and Y.
  void LimbPointsFromXY();
  // The table's columns taken as the points, stretched by sqrt(kx); drawn; the algebraic circle
  // written to the memo; the working circle from the edits drawn; the step state reset.
  bool LimbFitStart(const TARe& AX, const TARe& AY);
  // One trial step: accepted when the sum of squared distances does not grow (lambda / kF),
  // else rejected (lambda * kF).
  void CircFitStep();
  // Steps until the relative change of the sum is below eps, at most MaxLoopSteps; a job: a
  // cancel keeps the last accepted circle. Lines and circles wait for LoopDone.
  void CircFitLoop(TJob& Job);
  // After the loop (GUI thread): its memo lines written and its last circles drawn.
  void LoopDone();
  // ed_Radius, ed_XC, ed_YC, ed_kx from the own map file's main header in the registry.
  bool LimbFromHeader();

  // The step without drawing: its memo lines appended to Lines, the trial circle returned.
  TCircle StepCore(std::vector<std::string>& Lines);

 private:
  std::vector<std::string> Pending_;
  TCircle LastTrial_;
  bool LoopRan_ = false;
  double Num(const std::string& Text, double Default) const;
  void Draw(const TCircle& Trial, bool Accepted);
};

// The memo line of an algebraic circle: "C_x=.. C_y=.. R=..".
std::string LimbLSQLine(const TCirclePt& Centre, double R);
