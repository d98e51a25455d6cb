// TUNNO: one set of Stokes profiles I, Q, U, V of one spectral line over a wavelength grid, with
// where it came from (quest, step, combination), the conditions it was computed for, and the
// results that the analysis caches in it. Computed, observed, read, blurred and difference
// profiles are all TUNNO objects.
//
// Arrays are 1-based (element 0 is not data); an empty array is an absent one. Wavelengths in A,
// offsets and widths in mA where a routine says so. A relative value is one divided by CONT when
// the profile is not yet divided by its continuum (KCONT = 0) and CONT is not 0. The current set
// of Stokes arrays is UIC..UVC while VmaCur is not 0, otherwise UI..UV.
//
// A half profile (KSym = 1) holds the line centre (point 1) and one wing; its full form has
// 2 NDL - 1 points: the stored wing mirrored about the centre, V with the opposite sign.
//
// Problems are reported through WARNAbs / WARN (inside a job they go to the job's report, a
// repeated text counted once) and the work goes on; the fatal cases end in ErrAbs.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvSpline.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

class TVARIATOR;

// Core and wing bounds of the longest monotonic runs of the intensity (TUNNO::FindMonoRuns).
struct TMonoRuns {
  int32_t MRDnBeg = 0;  // first index of the longest falling run (0 for a half profile)
  int32_t MRUpEnd = 0;  // last index of the longest rising run
  int32_t MRSides = 0;  // 2 full profile, 1 half profile
  int32_t MRDnEnd = 0;  // last index of the longest falling run (0 for a half profile)
  int32_t MRUpBeg = 0;  // first index of the longest rising run
  double MRDnAmp = 0;   // relative intensity fallen along the falling run (/Depth)
  double MRUpAmp = 0;   // relative intensity risen along the rising run (/Depth)
  double MRCoreDepth = 0;
  double MRWingDepth = 0;
};

class TUNNO {
 public:
  TUNNO() = default;
  TUNNO(const TUNNO&) = delete;
  TUNNO& operator=(const TUNNO&) = delete;
  ~TUNNO();

  // ---- the record ----
  int32_t NDL = 0;   // wavelength points; 0 = nothing allocated
  int32_t KL = 0;    // 0 wavelengths and Stokes arrays, 1 wavelengths only, 2 Stokes only
  int32_t KSym = 0;  // 0 undefined, 1 half profile from the line centre, 2 full profile
  char ChDL = 0;     // 'A' absolute wavelengths, '0' offsets from LAMB (obsolete)
  double LAMB = 0;   // reference (line) wavelength
  int32_t ILAM = 0;  // index of the reference point in UL; 0 = none
  std::string QUEST;
  int32_t IQ = 0;
  int32_t KVARI = 0;
  std::string ALG;
  int32_t KVARISrc = 0;
  TUNNO* URef = nullptr;  // reference profile for comparisons; not owned
  std::string sObs;
  std::string QUESTRef;
  int32_t IQRef = 0;
  int32_t KVARIRef = 0;
  std::string sIdRef;
  double MJU = 0;
  double LGT = 0;
  double PART = 0;  // filling factor (in percent when above 1)
  double CONT = 0;  // continuum intensity
  double Teff = 0;
  int32_t KMJU = 0;
  int32_t KLGT = 0;
  int32_t KCONT = 0;  // 1 = the Stokes arrays are divided by CONT
  std::string sULin;
  int32_t K4 = 0;  // 0 or 4 = four Stokes arrays; 1 = intensity only
  int32_t KDif = 0;
  int32_t KRef = 0;
  int32_t KSNR = 0;
  TAIn UK, UNN;
  TARe UL;
  TARe UI, UQ, UU, UV;
  TARe UIB, UQB, UUB, UVB;  // unblurred arrays saved by ApplyBlur
  TARe UIC, UQC, UUC, UVC;  // copies blurred at VmaCur (FillBlur)
  double VmaCur = 0;
  TARe dIdL, LdIdL;
  int32_t KDer = 0;
  double DLG = 0, DLA = 0, Vma = 0;
  double BGau = 0;
  double Vma0 = 0;
  double DLVD = 0;  // wavelength shift of the line-of-sight velocity, A
  double LamSh = 0;
  double LamShA = 0;
  int32_t KShift = 0;
  double Vma9 = 0;
  double dIRef = 0;
  double dIR2 = 0;
  int32_t SPLINE = 0;
  std::unique_ptr<TSPLINE> SplI, SplQ, SplU, SplV;
  int32_t SPLINEB = 0;
  std::unique_ptr<TSPLINE> SplIB, SplQB, SplUB, SplVB;
  double RStep = 0;
  TARe YInt, BiSec, WingL, WingR, Width;
  std::array<double, 9> Bi9A{}, Bi9B{}, Bi9C{}, Bi9D{};
  // COGivField's results, apart from the nine-level bisector: fields and velocities of the nine
  // slices, the top (0-6 %) and bottom (94-100 %) slices and the core method
  std::array<double, 9> CogB{}, CogV{};
  double B06 = 0, B94 = 0;
  double CoreB = 0;
  double D0 = 0;
  double W = 0;
  double wL1 = 0, wL2 = 0;
  double LamC = 0;
  double LCurv = 0;
  double LVar = 0;
  double DCut = 0;
  double Depth = 0;
  double LDepth = 0;
  uint8_t DepthOK = 0;
  int32_t IDepth = 0;
  TMonoRuns MonoRuns;

  // ---- allocation and small operations ----
  // The defaults of a new profile (LAMB 5000, ILAM 1, KVARI 1, KSym 1, ChDL 'A', MJU 1, CONT 1,
  // PART 1, Teff 273, LGT -8, RStep 0.005, ALG "NULL", sULin "FE6302", QUEST the current quest);
  // the arrays, NDL, IQ, sObs, sIdRef, VmaCur, the splines and some analysis results stay.
  void SetDefaults();
  // Frees the splines; with NDL not 0 also the arrays and the origin texts (UIB..UVB, VmaCur
  // and the other results stay).
  void Clear();
  // NDL := N; UK, UNN, UL, UI, UQ, UU, UV get N + 1 elements (values kept).
  void SetNDL(int32_t N);
  // SetNDL, then UK[i] := 0 and UNN[i] := i.
  void AllocAll(int32_t N);
  void Reset(int32_t N);
  // Frees UI..UV; an undivided state (CONT := 0, KCONT := 0) when divided; KL := 1.
  void ClearStokes();
  // Zero Stokes arrays (and UK, UNN) for the grid made by the wavelength builders; KL := 0.
  void AllocU();
  // Inserts a wavelength; false (with Index at the existing point) when it is on the grid.
  bool InsertLam(int32_t& Index, double Lambda);
  // This := a copy of Source (arrays independent; the line Id and the comparison references
  // included; UK, UNN, LamSh and the blurred arrays not).
  void CopyFrom(const TUNNO& Source);
  // A half profile turned into its full form in place.
  void MakeFull();
  // False, with a warning, when KVARI exceeds the variator's combinations.
  bool CheckKVARI(const std::string& Caption, const TVARIATOR& Vari) const;
  // wL1, wL2 from the variator's "#wL1", "#wL2" (absolute, or offsets in mA).
  void SetWLimits(TVARIATOR& Vari);
  bool PolarZero() const;
  void DropQUV();
  std::string QuestIQStr() const;
  std::string HeadLine() const;
  // UL[1..NDL] with four decimals, blank-separated.
  std::string ULText() const;

  // ---- splines and accessors ----
  void BuildSplines();
  void BuildSplinesB();
  void FreeSplines();
  void FreeSplinesB();
  double ISpl(double x);
  double QSpl(double x);
  double USpl(double x);
  double VSpl(double x);
  double ISplB(double x);
  double QSplB(double x);
  double USplB(double x);
  double VSplB(double x);
  // The profile shifted by DLVD (the spline at x - DLVD), not relative.
  double IAtD(double x);
  double QAtD(double x);
  double UAtD(double x);
  double VAtD(double x);
  double IRel(double x);
  double QRel(double x);
  double URel(double x);
  double VRel(double x);
  double IRelB(double x);
  double QRelB(double x);
  double URelB(double x);
  double VRelB(double x);
  // The current set, relative (Q, U, V: 0 for an intensity-only profile).
  double IAt(double x) {
    if (SPLINE == 1 && VmaCur == 0) return Rel(SplI->Eval(x));
    return VmaCur != 0 ? IRelB(x) : IRel(x);
  }
  double QAt(double x);
  double UAt(double x);
  double VAt(double x);
  // Relative intensity of the current set at point i.
  double RI(int32_t i) const;
  // A value made relative.
  double Rel(double v) const { return (KCONT == 0 && CONT != 0) ? v / CONT : v; }
  // The line centre (the wavelength halving the area of the depression); stored in LamC for a
  // full profile.
  double GetLam();
  double GetLamVD() { return GetLam() + DLVD; }
  // Fractional index of x on UL; -1 outside.
  double LamIdxF(double x) const;
  // Offset of point i from the shifted line in mA, and its absolute wavelength in A.
  double dl_mA(int32_t i) const;
  double dl_A(int32_t i) const;
  // True when UL[ILAM] lies at LAMB + DLVD; tries to repair ILAM (and LAMB) first.
  bool CheckLAMB(const std::string& Name);

  // ---- Stokes arrays and their combinations (new arrays owned by the caller) ----
  void CopyUPar(const std::string& Word, TARe& A);
  void CopyUParM(const std::string& Word, TARe& A);
  void CopyUParFull(const std::string& Word, TARe& A);
  void CopyIpQ(TARe& A) const;
  void CopyImQ(TARe& A) const;
  void CopyIpQM(TARe& A) const;
  void CopyImQM(TARe& A) const;
  void CopyQU2(TARe& A) const;
  void CopyIpQFull(TARe& A) const;
  void CopyImQFull(TARe& A) const;
  void CopyIpV(TARe& A, bool Blurred) const;
  void CopyImV(TARe& A, bool Blurred) const;
  void CopyIpVM(TARe& A) const { CopyIpV(A, true); }
  void CopyImVM(TARe& A) const { CopyImV(A, true); }
  void CopyIpVCur(TARe& A) const { CopyIpV(A, VmaCur != 0); }
  void CopyImVCur(TARe& A) const { CopyImV(A, VmaCur != 0); }
  void GetU(char Letter, TARe& A) const;
  void GetU0(char Letter, TARe& A) const;
  void CopyUFull0(char Letter, bool Blurred, TARe& A) const;
  void CopyUFull(char Letter, TARe& A) const { CopyUFull0(Letter, VmaCur != 0, A); }
  void CopyUFullM(char Letter, TARe& A) const { CopyUFull0(Letter, true, A); }
  void GetUL(TARe& A) const;
  void GetULVD(TARe& A) const;
  void GetAbsLamFull(TARe& A) const;
  void GetFullLam(TARe& A) const;
  void GetDLmA(TARe& A) const;
  void GetDerivI(TARe& Slopes, TARe& Mid);
  // Macroturbulent blur in place (Vma in km/s, DLA in A) and its undoing.
  void ApplyBlur(double AVma, double ADLA);
  void UnBlur();
  void ResetDerived();
  void Spread();
  void SpreadIdx();
  void Mul(double F);
  void DivCont();
  void UnDivCont();

  // ---- depth, extrema and amplitudes ----
  double GetD0();
  double GetDepth();
  int32_t FindMonoRuns();
  double GetAmpl(const std::string& Word);
  // The array of a Stokes quantity of the current set ("I", "Q", "U", "V": a copy of the array
  // itself; "IQ"/"I+Q", "IV"/"I+V", "I-Q", "I-V": the combination); empty for another name.
  void GetUPar(const std::string& Name, TARe& A) const;
  int32_t FindExtr(const std::string& Name, char Side, int32_t Start);
  int32_t FindExtrR(const std::string& Name, int32_t Start) { return FindExtr(Name, 'R', Start); }
  double ExtrAt(const std::string& Name, char Side, int32_t Start);
  double ExtrR(const std::string& Name, int32_t Start) { return ExtrAt(Name, 'R', Start); }
  double ExtrIQ() { return ExtrR("IQ", -1); }
  double ExtrIV() { return ExtrR("IV", -1); }
  double ExtrQ() { return ExtrR("Q", -1); }
  double ExtrV() { return ExtrR("V", -1); }
  double VLobeAt(bool Absolute, double Fraction);
  double VLobe20() { return VLobeAt(false, 0.2); }
  double VZeroCross() const;

  // ---- wavelength grids, scales, blurred copies, shift, curve length ----
  // Grid from L: absolute wavelengths (L[1] >= 1000) or offsets in mA from Lam0.
  void SetUL(const TARe& L, double Lam0, bool DoSpread);
  void SetULEqd(int32_t N, double Lam0, double LamR, double LamL);
  void PureUL(int32_t N, double ADLVD, double Lam0, double DLK, double DL0);
  void LambToAbs();
  void LambToRel();
  // This := Source smoothed with a Gauss width WmA (mA) / of the velocity AVma (km/s).
  void CloneBlurMA(const TUNNO& Source, int32_t AIQ, double WmA);
  void CloneBlurKM(const TUNNO& Source, int32_t AIQ, double AVma);
  // The current-blur arrays UIC..UVC (width 0 removes them).
  void FillBlur(double WmA);
  void FillBlurKM(double AVma);
  void CalcLambShift(TUNNO* URef0);
  void CalcLCurvI();

  // ---- wings and bisectors (levels are relative intensities: 1 the continuum) ----
  // 1 - D dLev with D by the level kind: '1'/'A' 1, 'C' the central depth, 'P' the maximum depth.
  double RelLevel(char ChLev, double dLev);
  // The wing crossing of rLev on one side (bracket indices out), -1 when it cannot be reached.
  double WingRIdx(int32_t& IOut, int32_t& IIn, double rLev, double LevMin);
  double WingLIdx(int32_t& IOut, int32_t& IIn, double rLev, double LevMin);
  double WingRAt(double rLev, double LevMin);
  // A half profile: the mirror of the right wing about the centre.
  double WingLAt(double rLev, double LevMin);
  // WingRAt / WingLAt with LevMin 0, shifted by DLVD unless -1.
  double WingRVD(double rLev);
  double WingLVD(double rLev);
  // Both wings at RelLevel(ChLev, dLev), without the shift, and with DLVD added.
  void WingsLamAt(char ChLev, double dLev, double& Left, double& Right);
  void WingsLamVD(char ChLev, double dLev, double& Left, double& Right);
  // Width (mA) and bisector offset from LAMB (mA) at one level; 0 when a wing is missing.
  double WidthAt(char ChLev, double dLev);
  double BisecAt(char ChLev, double dLev);
  // The level-curve table YInt, WingL, WingR, BiSec, Width from the continuum down in RStep
  // (0 is replaced by 0.005 and stored). The arrays are reused from call to call.
  void Bisector();
  // The nine-level bisector into Bi9A..Bi9D (a half profile is spread for good first).
  void Bisector9();
  // Eight characteristic points of the level-curve table (zeros without five usable levels).
  void BisecPoints(double& Mean, double& Deepest, double& Half, double& First, double& MaxB,
                   double& MinB, double& LevMax, double& LevMin);

  // ---- moments, equivalent widths, field from centres of gravity (wavelengths in mA) ----
  double VMoment1();
  double VMoment2();
  double QMoment1();
  double QMoment2();
  double UMoment2();
  double IMoment1();
  double IMoment2();
  double VaMoment();
  double QaMoment();
  // Centre of gravity of the I+V / I-V depression, mA from the reference point.
  double dl_IpV();
  double dl_ImV();
  // Half the distance (mA) between the centroids of the I+V and I-V depressions.
  double COGSplitIV() const;
  // Equivalent width (mA) of kind 'I', 'Q', 'U' or 'V' between A and B (absolute wavelengths
  // when B > LAMB, else offsets in mA; 0, 0 the whole profile). A profile not divided by its
  // continuum with CONT 0 is an error (ErrAbs naming the profile).
  double EqWidth(char Kind, double A, double B);
  double EqWidthDef(char Kind) { return EqWidth(Kind, wL1, wL2); }
  // Longitudinal field (G) and velocity (km/s) from the centres of gravity of I+V and I-V in nine
  // slices (CogB fields, CogV velocities), the 0-6 % and 94-100 % slices (B06, B94) and the core
  // method (CoreB; WLine the weight's level, KMul the fall of the weight). Over wavelengths or
  // point indices. A half profile is spread for good first.
  void COGivField(bool WavelengthAxis, double WLine = 0.1, int32_t KMul = 2);

  // ---- difference and sum (this profile is the target; the inputs are only read) ----
  // The layout fields in which U1 and U2 differ ("NDL KSym ChDL KL K4 CONT KCONT "), empty when
  // they agree.
  static std::string EqLayout(const TUNNO& U1, const TUNNO& U2);
  // This := U1 - U2 on their common grid; unequal layouts or grids are an error naming both.
  void Dif(const TUNNO& U1, const TUNNO& U2);
  // This := U1 - U2 on U2's grid (U1 interpolated), level curves differenced too. Works on copies.
  void Dif2(const TUNNO& U1, const TUNNO& U2);
  // This := the PART-weighted combination of at least two profiles of one layout and grid.
  void Sum(const std::vector<const TUNNO*>& List);

  // ---- macroturbulence fit against a reference (Vma9, dIRef, dIR2); false: nothing stored ----
  bool AdJust(TUNNO& Reference);

  // ---- reports (new lists) ----
  std::unique_ptr<TStringList> ReportVector() const;
  // Every field; the quest's variator is read, never moved to another combination.
  std::unique_ptr<TStringList> FieldDump();

 private:
  // The current set's arrays.
  const TARe& CurI() const { return VmaCur != 0 ? UIC : UI; }
  const TARe& CurQ() const { return VmaCur != 0 ? UQC : UQ; }
  const TARe& CurU() const { return VmaCur != 0 ? UUC : UU; }
  const TARe& CurV() const { return VmaCur != 0 ? UVC : UV; }
  void Combine(TARe& A, const TARe& X, const TARe& Y, double Sign, const char* Caller) const;
  void FullOf(const TARe& A, bool Negate, TARe& Full) const;
  // The line centre of the current set's depression; Stored false when it is an end point.
  double CentreOfDepression(bool& Stored) const;
  // The current-blur arrays of a half profile in full form (with the grid).
  void SpreadBlurred();
  void SmoothStokes(const TARe& SI, const TARe& SQ, const TARe& SU, const TARe& SV, double WmA,
                    TARe& RI_, TARe& RQ, TARe& RU, TARe& RV);
};

// Index of x on the profile's grid: -1 (with a warning) outside; the nearest index otherwise,
// with a warning when x is not on a grid point.
int32_t FindLamIdx(const TUNNO& U, double x);
// The point set to the continuum (Q, U, V to 0), and the point scaled.
void PointToCont(TUNNO& U, int32_t i);
void PointScale(TUNNO& U, int32_t i, double F);
// Deepest point of A over the profile's grid (refined between the grid points).
void GetDMax(const TUNNO& U, const TARe& A, double& LamMin, int32_t& IMin, double& YMin);
// The wavelength that halves the area of the depression D(X) over points 1..N, from a common
// depth level of both ends. Stored is false when one side never reaches the other side's depth
// (the result is then an end point).
double DepressionCentre(const TARe& X, const TARe& D, int32_t N, bool& Stored);
// Equivalent width of Stokes I in mA over the whole profile (full form, trapezoids of 1 - I/Ic).
double FullEqWidthI(const TUNNO& U);

// The wing search on side 'R' or 'L': the wavelength where the relative intensity crosses rLev
// (IOut, IIn the bracketing points), -1 when the level cannot be reached. LevMin 0: 1 - Depth.
double WingPoint(TUNNO& U, char Side, int32_t& IOut, int32_t& IIn, double rLev, double LevMin);
double WingPointR(TUNNO& U, int32_t& IOut, int32_t& IIn, double rLev, double LevMin);
double WingPointL(TUNNO& U, int32_t& IOut, int32_t& IIn, double rLev, double LevMin);
double WingPointRS(TUNNO& U, double rLev, double LevMin);
double WingPointLS(TUNNO& U, double rLev, double LevMin);
// "UNNO.EqUN1<>UN2. UL[i]" at the first of U1's points where the grids differ, else empty.
std::string EqUN(const TUNNO& U1, const TUNNO& U2);
// "QUEST.IQ KVARI=k" of a profile, for messages.
std::string UnnoName(const TUNNO& U);
