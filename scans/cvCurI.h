// The line measurement object: one intensity profile of one Fe I line refined by the Gauss line
// model (cvGauss.h). CheckLam compares the model with the profile at wing and core pixels and
// measures corrections (width, depth, centre, bisector, splitting, width residual); ReLam applies
// one of them by its refit code; ReDLD, the field step and the fit sequences iterate them; the
// reports write the state into a borrowed string list. The fits carry their state (gs) from call
// to call and from profile to profile: a caller that wants repeatable runs starts from a fresh
// record. Failures are warnings (WARNAbs); the record keeps its previous values.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvTy.h"
#include "scans/cvGauss.h"

class TStringList;

class TCurI {
 public:
  TCurI();

  // ---- state ----
  TStringList* SLRep = nullptr;  // borrowed
  Tgs gs, gs1, gs2, gsBack;
  TARe AX, AY;  // the loaded profile: 113 entries, pixel p at index p
  double kLev = 0;
  // The real kept with the options (the Test tab's second level).
  double OptReal = 0;
  int32_t iB1 = 0, iR1 = 0, iB2 = 0, iR2 = 0;
  std::string Code;
  const TStringList* CodeList = nullptr;  // borrowed
  int32_t NRep = 0;
  int32_t iX = 0, iY = 0, iCur = 0;
  int32_t Mode = 0;
  bool TwoMode = false, RepOn = false, DebugRep = false, AutoK3 = false;
  // CheckLam calls since the object was made (bench bookkeeping).
  int64_t CheckCount = 0;

  // ---- set-up ----
  void SetAXAY(const TARe& X, const TARe& Y);
  void gsInit(double Cont, double Lam0, double DLD, double DLDk);
  void ResetDLD();
  void ClearDLDState();
  void SetFitOptions(int32_t AMode, bool AAutoK3, double AReal, double AkLev, double AkSig,
                     double AfPi, double AkH, bool ATwoMode);
  void BindSLRep(TStringList* List, bool ARepOn, bool ADebugRep);
  static void CopyGs(const Tgs& Src, Tgs& Dst) { Dst = Src; }
  void StoreGs();
  // The bounds of the current line (La12).
  int32_t& iB() { return gs.La12 == 2 ? iB2 : iB1; }
  int32_t& iR() { return gs.La12 == 2 ? iR2 : iR1; }

  // ---- the check ----
  void CheckLam();

  // ---- refits ----
  double H2DLH() const;
  void DLH2H(double DLH);
  void ReLam();
  void ReDLD();
  void RunCodeList();
  void FitK3L6();
  void FitK3L6x2();
  void FitK3D6();
  void FitK3B6();
  void FitK3xH();
  void FitK3xHB6();
  void FitD6B6Loop();
  void FitLamDLD();
  void FitAll();
  // A named sequence ("FitAll", "FitLamDLD", ...); false for an unknown name.
  bool RunSequence(const std::string& Name);

  // ---- reports ----
  void gsReport();
  void CurI_gs_Report3(const std::string& Title);
  void gsRepLine();
  void RepDLD();

 private:
  // step c: Code <- c, ReLam, CheckLam
  void Step(const char* C);
  void FieldStep();
  void FitLamDLDOnce();
  std::string Trace() const;
  void LimitWarn(const std::string& What, double V, bool TooMuch);
  bool Rep(const std::string& Line, const std::string& Who);
};
