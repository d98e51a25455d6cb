// A model vector: one physical quantity of a model atmosphere over the model's depth grid,
// identified by model, quantity, grid number and an optional line part; with its fill state,
// interpolation, probe layer, parents, report format and display scales. The keeper
// (cvLVemo.h) makes, holds and frees them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvSpline.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"
#include "models/vectors/cvVePa.h"

struct TReadKey {
  std::string S;
  int32_t I = 0;
};

class TVEMO {
 public:
  static constexpr uint32_t FilledMark = 0xA5A5000Au;
  static constexpr uint32_t SplineMark = 0xA5A5000Bu;

  TVEMO();
  ~TVEMO();
  TVEMO(const TVEMO&) = delete;
  TVEMO& operator=(const TVEMO&) = delete;

  std::string sId;    // sMOD|NAME|FMOD[|sIdV]
  std::string sMOD;   // model
  std::string sMLdt;  // how the values were made: "C", "F <func>", a gradient text, "X"
  std::string sTAB;   // model file the values came from
  std::string NAME;   // quantity key of the parameter list
  std::string sIdV;   // line part: AT=, ION=, LI=, LAM=, MJU= joined by "|"
  int32_t FMOD = 0;   // grid: 0 the model's own, N > 0 standard grid N
  std::string sED;    // modifier text applied last
  uint32_t TCalc = 0;  // stamp of the last fill; 0 never filled
  char Ch = 0;         // probe layer: 0 none, 'C' replace, 'M' add, '*' multiply ('P' parsed)
  double XL = 0, XU = 0, Val = 0;
  uint8_t KTyp = 0;  // 1 Source, 2 Save, 4 Count, 8 Analize
  uint8_t KX = 0;    // 1 for a depth-scale quantity
  uint8_t KDer = 0;  // 1 for a vector on the midpoints of the grid's intervals (slopes)
  uint8_t Kh = 0;    // tabulated on 0 lg tau (LGTAU), 1 heights (hVEMO)
  uint8_t KLIN = 0, KAT = 0, KION = 0, KMJU = 0, KLAM = 0;
  std::string LIN6;
  std::string AT;
  int32_t ION = 0;
  double MJU = 0;
  double LAM = 0;
  const TPhysParamRec* PhysRec = nullptr;
  TReadKey KEY1, KEY2, KEY3;
  std::unique_ptr<TModSCAL> SCALE1, SCALE2, SCALE3;
  std::unique_ptr<TModREP> RepSet;
  uint8_t KRepSe = 0;  // 0 width not computed, 2 computed
  bool RepChanged = false;  // the report format was edited in the VEMO table
  TVEMO* LGTAU = nullptr;  // depth vector X on the same grid (not owned)
  TVEMO* hVEMO = nullptr;  // height vector h on the same grid (not owned)
  TARe A;                  // values 1..N
  int32_t N = 0;
  uint32_t KA = 0;  // FilledMark when the values are valid
  uint8_t KEd = 0;  // 0 none, 1 modifier applied, 2 shifted by the temperature window
  TVEMO* VESrc = nullptr;  // a clone's source; nullptr for a master vector
  int32_t NAlg = 0;
  std::unique_ptr<TStrList> Parents;                 // ParentLine of each parent
  std::unique_ptr<std::vector<TVEMO*>> VParents;     // the parents (not owned)
  uint32_t KSpl = 0;
  std::unique_ptr<TSPLINE> SPLINE;
  // Set anew (never to a value used before) each time SplineInit makes the spline; 0 without one.
  uint64_t SplStamp = 0;
  char ChIPOL = 'S';

  // ---- identification ----
  void MakeSIdV();
  void MakeSId();
  static std::string LamSId(double Lam);  // "LAM=" + Str(lam:8:3)
  static std::string MjuSId(double Mju);  // "MJU=" + Str(mu:5:3)
  std::string NameSuffix() const;
  std::string FullName() const;
  std::string ParentLine() const;
  bool IsMaster() const { return VESrc == nullptr; }

  // ---- fill state and parents ----
  bool IsFilled() const { return KA == FilledMark; }
  void SetFilled();
  bool NeedRecalc() const;
  void SetParents(TVEMO* Src);
  void AddParents(TVEMO* Src);
  TVEMO* FindParent(const std::string& Line) const;

  // ---- values ----
  double func0(double x);
  double func(double x);
  double FuncConv(char C, double x);
  void SplineInit();
  void DropSpline();
  // The depth array the vector is tabulated on (LGTAU's for Kh 0, hVEMO's for Kh 1); nullptr
  // when that link is missing.
  const TARe* DepthArray() const;

  // ---- probe layer ----
  bool ParseHole(const std::string& Text);
  void SetHoleFrom(char C, double XL_, double XU_, double vL, double vU, double uL, double uU);
  void GetHolePar(const std::string& Tag, const TVEMO* Other, double& XU_, double& XL_, char& C);
  void CheckHole(const std::string& Tag, const TVEMO* Other) const;

  // ---- heights ----
  bool Check_hVEMO();
  double XtoKM(double x);
  double KMtoX(double h);

  // ---- extremes, quantiles, dump ----
  void MinMax(double& Mn, double& Mx) const;
  void MinMaxF(double& Mn, double& Mx, int32_t Digits, char C);
  void CFQuantiles(double P, double& Median, double& Lower, double& Upper) const;
  std::unique_ptr<TStrList> DumpFull() const;

  // ---- scales and report format ----
  void SetScales();
  void SetRepFmt();
  // The same from the quantity's definition given (nullptr: nothing attached).
  void SetRepFmtFrom(const TPhysParamRec* Rec);
  std::string RepSetText();
  void RepSetLeng();

  // ---- copies, modifiers, variator values ----
  void CloneInfo(const TVEMO* Src);
  void CopyFrom(TVEMO* Src);
  void CopyModif(TVEMO* Src, const std::string& Text);
  void CopyValues(TVEMO* Src);
  void VariFill(const std::string& Text, uint32_t Stamp);

  // ---- fills from the model ----
  void SrcFill();
  bool SrcXFill();
  void SrcTabXFill(const std::vector<std::unique_ptr<TVEMO>>& List);
  void SrcFillTab(const std::string& Text);
  void AutoFill();

  // Frees the values, spline, parent lists, scales and report set and resets the
  // identification (the stamp, the way it was made, the probe layer, hVEMO, VESrc and the
  // interpolation code stay).
  void Clear();
  // Back to a new vector's defaults.
  void Reset();
};

// Applies a modifier list ("YC a b c; YM ...") to values A over depths X.
void ApplyModifList(TARe& A, const TARe& X, const std::string& Text);

// ---- depth-profile builders ----
void AReSetAll(TARe& A, double V);
void VeMoFillConst(TVEMO& V, int32_t N, double Value);
void VeMoAddConst(TVEMO& V, double C);
void AddKXMOD(TVEMO& V, double C);
void AddX2MOD(TVEMO& V, double C);
// Linear gradient through (x1, y1) and (x2, y2) over LGTAU; clamped beyond both ends.
void GMOD(bool Clamp, TVEMO& V, double y1, double y2, double x1, double x2);
