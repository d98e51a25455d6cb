// One level-1 slit-position file of a scan: its header cards and the header values the program
// uses, the 16-bit Stokes cube (wavelength fastest, then slit pixel, then I, Q, U, V), its
// decoding into profiles, the wavelength scale with the scan's check of a reversed axis, the
// continuum column and the line centres of gravity of clean two-line profiles.
// Stage bits (kStep): 0 linked, 1 header read, 2 data loaded, 3 measurements present. Failures are
// messages (WARNAbs); nothing is raised. A file refused at header time or whose data could not
// be read is marked Failed and keeps the stage it had.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TStringList;
class TLFITS;
class TCurI;
class TWarnGroups;
struct TSmoothWeights;

// Stokes profiles I, Q, U, V at 1..4 (element 0 unused).
using TStokes4 = std::array<TAIn, 5>;
using TStokesRe4 = std::array<TARe, 5>;

// Extremes of a per-slit column over slit pixels 1..nY and the pixels where they occur.
struct TColumnExtremes {
  double Min = 0, Max = 0;
  int32_t YMin = 0, YMax = 0;
};

// The minimum of A[i .. i + n - 1] (the start clamped into the array; 0 for an empty array).
double RowMin(const TARe& A, int32_t i, int32_t n);

class TFITS {
 public:
  static constexpr int32_t kMaxCards = 600;
  static constexpr int64_t kMaxData = 10700000;  // bytes of one cube

  TFITS();
  ~TFITS();
  TFITS(const TFITS&) = delete;
  TFITS& operator=(const TFITS&) = delete;

  // ---- identity and state ----
  TLFITS* Owner = nullptr;
  int32_t IXI = -1;
  uint16_t kStep = 0;
  bool Failed = false;  // refused at header time, or its data could not be read
  std::string Folder, FileName;

  bool Bit(int B) const { return (kStep >> B) & 1; }
  void SetBit(int B) { kStep = static_cast<uint16_t>(kStep | (1u << B)); }
  void ClearBit(int B) { kStep = static_cast<uint16_t>(kStep & ~(1u << B)); }

  // ---- header ----
  std::unique_ptr<TStringList> HSL;
  int32_t nCards = 0;      // cards up to and including END
  int32_t nHeadCards = 0;  // header length in cards (padding included)
  int64_t nbH0 = 0;        // header length in bytes, whole 2880-byte blocks
  int32_t NElem = 0;
  int64_t LData = 0;
  int32_t BITPIX = 0, NAXIS = 0, NAXIS1 = 0, NAXIS2 = 0, NAXIS3 = 0, NAXIS4 = 0;
  int32_t SPBSHFT = 0, NSLITPOS = 0, IXP = 0, IXpos = 0, DATA_LEV = 0;
  int32_t nLam = 0, nY = 0;
  std::string DATE_OBS;
  std::string CTYPE[5], CUNIT[5];  // 1..4
  double EXPTIME = 0, CRVAL1 = 0, CDELT1 = 0, CRPIX1 = 0, DOPVUSED = 0, DOP_RCV = 0;
  double T_SPCCD = 0, T_FGCCD = 0, T_CTCCD = 0, T_SPCEB = 0, T_FGCEB = 0, T_CTCEB = 0;
  double YCEN = 0, CRVAL2 = 0, CDELT2 = 0, YSCALE = 0, CRPIX2 = 0, FOVY = 0;
  double XCEN = 0, FOVX = 0, XSCALE = 0;
  double XI0 = 0;   // SLITPOS * XSCALE + XCEN
  double TObs = 0;  // observation time, minutes of the day

  // ---- data: NElem words in host order ----
  TAWd aData;

  // ---- per-slit columns (nY + 1, element y for slit pixel y) ----
  TARe ACnt;
  TARe AGRC1, AGRC2;
  std::vector<uint8_t> AClass;
  double QualLimit = 0.01;
  double MeanLC1 = 0, MeanLC2 = 0;  // mean centres of gravity (pixels)
  int32_t nClass5 = 0;
  // The continuum pair (FillContPair), the quality measure (empty: every pixel is normal).
  TARe ACntIdx, ACnt2, ACnt2Idx, AQual;
  // Line minima (value, pixel; pixel 0 a rejected slit pixel) and positions at a depth fraction.
  TAIn Ad01, Ad02, ALd01, ALd02;
  TARe ALC1, ALC2;
  double LCMean1 = 0, LCMean2 = 0;
  // Wing positions (loaded from maps) and the means of the maps VW1, VW2.
  TARe ALWb1, ALWr1, ALWb2, ALWr2;
  double VWMean = 0, VWDiff = 0;
  // The result bank ArN2[k][n], k = 1..23, line n = 1, 2.
  std::array<std::array<TARe, 3>, 24> ArN2;
  // Bisectors and widths of bands 1..9, turning points, the obsolete Gauss fits of modes 3..5.
  std::array<TARe, 10> ABiC1, ABiC2, ABiW1, ABiW2;
  std::vector<uint8_t> ANExt1, ANExt2;
  std::array<TARe, 6> A35C1, A35C2, A35I1, A35I2, A35D1, A35D2;
  // Equivalent widths (mA), first V moments (mA^2), fields from moments and from I +- V (G).
  TARe AW1, AW2, AVM1, AVM2, AHM1, AHM2, AHG1, AHG2;
  // The Gauss-model fits of every slit pixel (cvCoreFit.cpp): ACore[1..38] (line 1 and line 2
  // ranges in pairs) and AWing[1..8]; AWing has storage of its own (the continuum pair columns
  // are never overwritten by a wing fit).
  std::array<TARe, 39> ACore;
  std::array<TARe, 9> AWing;

  // ---- linking ----
  void Link(int32_t Index, TLFITS* Scan);
  bool CheckSelf(const std::string& Name) const;
  bool CheckLinked(const std::string& Name) const;
  std::string fNam() const;

  // ---- header ----
  void ReadHeader();  // inside the scan, with the reference checks
  void ReadHeader(const std::string& AFolder, const std::string& Name);
  std::string GetKeyS(const std::string& Key) const;  // empty when missing (no warning)
  int32_t GetKeyI(const std::string& Key);
  double GetKeyR(const std::string& Key);
  double GetKeyVal(const std::string& Key);
  void GetAXIS(const std::string& Prefix, std::string Out[5]);
  void GetAXISi(const std::string& Prefix, int32_t Out[5]);
  std::unique_ptr<TStringList> HeaderKeyList() const;
  std::unique_ptr<TStringList> HeaderValueList() const;
  std::string KeyListText() const;

  // ---- data ----
  bool LoadData();
  void CalcVolume();
  // Profile of slit pixel y (1..nY), Stokes s (1..4): out[1..nLam] decoded, signed and scaled;
  // false (with the message, out untouched) when the stage or the indices do not allow it.
  bool GetCol3(int32_t y, int32_t s, TAIn& Out) const;
  bool GetCol1(int32_t y, int32_t s, TAIn& Out) const;

  // ---- wavelength scale ----
  double Pix2Lam(double x) const { return (x - CRPIX1) * CDELT1 + CRVAL1; }
  void GetALam(TARe& Out);

  // ---- continuum ----
  void GetContAll();
  double GetContIY(int32_t iY);
  void GetIContMax(int32_t iY, double& Cont, int32_t& Idx);
  void GetIContLam(int32_t iY, double& Cont, double& Lam);
  // The literal smoothing (weights made per call) in place of the scan's cache (benches, tests).
  bool LiteralSmoothing = false;

  // ---- rows of registered maps of the scan (loaded on demand; out[y] = column y - 1) ----
  bool MapRow(const std::string& Name, TARe& Out) const;
  bool ContFromMap();
  // out[y] = (A + B) / 2; Code sums 1 (A missing), 2 (A not loaded), 4 (B missing), 8 (B not
  // loaded); non-zero leaves Out as it was and gives false.
  bool MapPairMean(const std::string& NameA, const std::string& NameB, TARe& Out,
                   int32_t& Code) const;

  // ---- slit measurements ----
  // Threads of the loops over slit pixels inside a job: 0 one per core, 1 serial; the columns,
  // the warnings and the report lines are the serial run's either way. Outside a job the loops
  // run serially.
  int32_t Threads = 0;
  // The obsolete Gauss fits of CalcBisec (the A35 columns); off only to time the rest (benches):
  // the A35 columns then read 0, the bisectors and widths are the same.
  bool GaussFits = true;
  // When set (benches, one thread), the measurement run adds each slit pixel's processor time by
  // step: continuum (with decoding I), centres, widths (with decoding V), bisectors; nanoseconds
  // of the thread's clock (one reading of it at each step's end included).
  std::array<int64_t, 4>* StageNs = nullptr;
  // The whole measurement of the file: continuum, sums, centres, widths, bisectors; bit 3.
  void BigCalc();
  // BigCalc of each file in turn, as the loop "Step(i), then BigCalc of file i" gives it (a file
  // without bit 3 loses its columns first). Inside a job with several threads a file's slit pixels
  // start while the previous files' last ones still run; Step(i) is still asked before file i is
  // handed over (its warnings given, bit 3 set), and false there stops the run: files set up but
  // not handed over lose their columns. False when stopped.
  static bool BigCalcFiles(const std::vector<TFITS*>& Files,
                           const std::function<bool(int32_t)>& Step);
  void GetICont_01(int32_t iY, int32_t iGap, double& Max1, double& Max2, int32_t& Idx1,
                   int32_t& Idx2);
  void FillContPair();
  void CalcL5_1_2();
  void CalcLCHalf();
  void CalcLCLevel(double x);
  // Columns from the scan's registered maps (column IXI); false when a map is not there.
  void LoadGRCColumns();
  bool LoadLCColumns();
  bool LoadLWColumns();
  bool Loadd0Columns();
  bool LoadLd0Columns();
  bool LoadVWMeans();
  // Stokes sums over the line windows into ArN2 (stored only when Mode < 3).
  void CalcSums();
  void CalcSumsFine(int32_t Mode, double Frac);
  void GetLineBounds(const TAIn& A, int32_t y, double L, double Lo, double Hi, double Frac,
                     int32_t& S, int32_t& E) const;
  void CalcFiltSums(int32_t i1, int32_t i2, const std::string& Name, bool Absolute);
  void CalcCGrav(int32_t y, double& g1, double& g2);
  // The same on slit pixel y's decoded I profile A, its reports into Report (null: none).
  void CalcCGrav(int32_t y, const TAIn& A, double& g1, double& g2, TStringList* Report);
  void CalcCGravs();
  void CalcEqw();
  void CalcBisec();
  void CalcLW(bool& Err);
  // Field vector from the Stokes moments over the wing windows (ArN2[1..7][1..2]): inputs ACnt,
  // AGRC1, AGRC2, ALWb1, ALWr1, ALWb2, ALWr2 (a missing element reads 0).
  void CalcWMom();
  // Centres of gravity of I + V and I - V sliced between levels of the line depression: line
  // centre, distance and widths at 0.4..0.6 of the depth (ArN2[1..4], continuum ACnt); field and
  // velocity in nine bands and the minima asymmetry (ArN2[1..19]); the same in the lowest 6 % and
  // 3 % of each component (ArN2[1..4]). VW1 and VW2 both 0 stop the last two with a message. A
  // line whose depth is not positive (flat or zero pixels) gets asymmetry 0 and no slices: one
  // warning per call, or counted into FlatCount when that is given (the caller warns).
  void CalcLIV();
  void CalcIVcog(double VW1, double VW2, int32_t* FlatCount = nullptr);
  void CalcIVcog05(double VW1, double VW2);
  // The full refit of the Gauss model of both lines of every slit pixel by CurI (null: the
  // message, nothing done) around ALC1, ALC2 (a 0 element: the scan's mean position); one memo
  // line per pixel and line into Memo. A line without any centre is not fitted (counted into
  // NoCentre, or warned once per call when that is null). The pixels run in order: CurI carries
  // its fit state from one to the next. Groups (when given) gathers the warnings of the fits.
  void CalcCore(TCurI* CurI, TStringList* Memo = nullptr, TWarnGroups* Groups = nullptr,
                int32_t* NoCentre = nullptr);
  // The fits started from the wing positions ALWb/ALWr (maps LWb1, LWr1, LWb2, LWr2) with the
  // continuum of the map CONT, by the services' CurI (created when missing): the width, field and
  // bisector (tilt) or the width, bisector and depth (full) into AWing. The blue bound is kept at
  // 4 or more, the red at 108 or less; a line without both wing positions keeps 0 (counted into
  // NoWing, or warned once per call when that is null).
  void FitWingTilt(TWarnGroups* Groups = nullptr, int32_t* NoWing = nullptr);
  void FitWingFull(TWarnGroups* Groups = nullptr, int32_t* NoWing = nullptr);

  // ---- line centres of gravity ----
  void CalcCGrav5(int32_t y, double& g1, TARe& Values, TAIn& Pixels, double& g2);
  // The same on slit pixel y's decoded I profile A.
  void CalcCGrav5(int32_t y, const TAIn& A, double& g1, TARe& Values, TAIn& Pixels, double& g2);
  void CalcCGravs0();
  void MeanLinePos5();
  void MeanLinePos();

  // ---- profile access (Stokes selection text: letters I, Q, U, V; "P" adds Q, U and
  // P = sqrt(Q^2 + U^2); "D" adds I, D (a difference of I) and a mid-point axis; the whole texts
  // "QXi" and "UXi" select Q and U). Outputs are 1-based with element 0 at 0: nLam + 1 elements,
  // D and the mid-point axis nLam. Each output is filled only when the selection asks for it.
  // Note the pixel bases: GetFIT3, GetAI, GetIReal take y 1..nY; the others y 0..nY - 1. ----
  // Per selected Stokes parameter the integer sum of slit pixels y - 1, y, y + 1 (a missing
  // neighbour gives its range message and adds nothing).
  bool GetFIT3(int32_t y, const std::string& Sel, TStokes4& Out);
  bool GetFITArr(int32_t y, const std::string& Sel, TARe& X, TARe& I, TARe& Q, TARe& U, TARe& V);
  std::unique_ptr<TStringList> GetFIT_SL(int32_t y, const std::string& Sel);
  // Arrays for plotting: y mode 'p' raw, 'n' divided by the normaliser; x mode 'p' pixel, '1' and
  // '2' velocity against line 1 or 2, 'n' wavelength minus Lam0.
  bool GetFITARe2(int32_t y, const std::string& Sel, char YMode, char XMode, double Lam0,
                  TARe& X, TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D);
  bool GetFITNormArr(int32_t y, const std::string& Sel, double Lam0, TARe& X, TARe& M, TARe& I,
                     TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D);
  std::unique_ptr<TStringList> GetFITNorm_SL(int32_t y, const std::string& Sel);
  // ACnt[y] times the scan's KCont (the continuum computed on demand); 1 when that is 0.
  double Normaliser(int32_t y);
  // The caller has read the header and loaded the data for these five.
  void GetAI(int32_t y, TARe& Out);
  void GetAV(int32_t y, TARe& Out);
  void GetIReal(int32_t y, TARe& Out);
  void GetIV(int32_t y, TARe& IpV, TARe& ImV, TARe& I);
  void SetIVRow(int32_t y);
  double MinIpV(int32_t i, int32_t n) const;
  double MinImV(int32_t i, int32_t n) const;
  double MinI(int32_t i, int32_t n) const;
  int32_t IVRow = -1;  // the cached row (0-based slit pixel) and its I + V, I - V and I
  TARe IVpV, IVmV, IVI;

  // ---- sums over slit pixels: pixel p + 1 where Flags[p] > 0 (0-based flags) ----
  bool GetProfSum(const TAIn& Flags, TStokesRe4& Sums);
  // Each profile first resampled at i + Shifts[p] (no freeing of the cube).
  bool GetProfSum(const TAIn& Flags, const TARe& Shifts, TStokesRe4& Sums);
  bool AccProfSum(const TAIn& Flags, TStokesRe4& Sums);
  void AddContSum(const TAIn& Flags, double& Total);

  // ---- per-file summaries ----
  TColumnExtremes ContExt, WidthExt, PairExt;
  double QualIntercept = 0;
  void ContExtremes();
  // Over AW1 + AW2 and over (AHM1 + AHM2) / 2 (the columns of the bisector measurement).
  void WidthExtremes(const TARe& AW1, const TARe& AW2);
  void PairExtremes(const TARe& AHM1, const TARe& AHM2);
  // AQual empty: every pixel counts as normal.
  void ContIntercept(const TARe& AQual);

  // ---- memory ----
  void FreeData();
  void FreeCalc();
  void FreeAll();
  void Clear();
  int64_t ArraysVolume() const;

  // The observation time of a DATE_OBS text (minutes of the day).
  static double ObsMinutes(const std::string& DateObs);

 private:
  // The I profile of slit pixel iY + 1 smoothed for the continuum (unsmoothed, with the warning,
  // while ContSmooth is 0); false when there is no profile.
  bool SmoothedI(int32_t iY, TARe& R);
  // ACnt from the scan's "CONT" map when one is registered and not to be recomputed.
  bool ContFromScanMap();
  // Releases the columns of the slit measurements (all but ACnt, AGRC1, AGRC2, AClass).
  void FreeMeasures();
  // CalcLCHalf at the depth fraction x (the minima measured here).
  void CalcLCLevelMinima(double x);
  // The measurement run of BigCalc inside a job, and its steps for one slit pixel's decoded
  // profiles (each writes slot y of its columns only).
  void MeasureSlit();
  void CentresOf(int32_t y, bool Ok, const TAIn& A, TStringList* Report);
  struct TEqwSetup {
    double Cd = 0, W1 = 0, W2 = 0;  // |CDELT1|, the half windows in pixels
  };
  TEqwSetup EqwSetup();  // sizes the columns
  void EqwOf(const TEqwSetup& S, int32_t y, const TAIn& I, const TAIn& V);
  void BisecSetup();  // sizes the columns
  // MeasureSlit in three parts: the set-up before the slit pixels (sizes the columns), one slit
  // pixel, and the end after all of them (the warnings handed over in step order).
  struct TSlitPrep {
    bool ContHere = false;
    std::shared_ptr<const TSmoothWeights> Weights;
    double Krc = 1.05;
    TEqwSetup Eqw;
  };
  TSlitPrep PrepareSlit();
  template <class P>
  void MeasurePixel(const TSlitPrep& S, int32_t y, P& Pixel);
  template <class R>
  void EndSlit(R& Run);
  void Measured();  // bit 3 and the file's extremes and means
  void BisecOf(int32_t y, const TAIn& A);
  void KeyWarn(const std::string& Group, const std::string& Text);
  std::string OwnerOutName() const;
  void CheckWithScan();
  bool Refuse(const std::string& Text);
};

// The next estimate of the iterative centre of gravity at step n (2..15) from the results R[1..n]
// (R[n] the latest) and the current estimate l: the result itself, the mean with l at step 3,
// and after that the result while the last two steps go the same way, else a damped mean of up
// to six recent results (weight 2/3, then 6/7 after step 8, 48/49 after step 12).
double CGravNextEstimate(const double* R, int32_t n, double l);

// "Q"/"q" 2, "U"/"u" 3, "V"/"v" 4, any other letter 1.
int32_t StokesIndex(char Letter);
// Key and value of one card (the value's first 22 characters whole, the rest cut at "/").
void SplitHeaderStr(const std::string& Card, std::string& Key, std::string& Value);

// Reads the header cards of a FITS file in 2880-byte blocks from Offset: cards up to END (at most
// 600) into Cards, then the blank cards after it. False with Error (the file, the record and the
// offset) on a read failure or when there is no END; NCards is the count up to END and NHead the
// count with the blank cards.
bool ReadFitsCards(const std::string& Path, int64_t Offset, TStringList& Cards, int32_t& NCards,
                   int32_t& NHead, std::string& Error, int32_t& ErrCode);
