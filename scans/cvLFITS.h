// One scan: the folder of level-1 slit-position files of a raster, root/yyyy_mm/yyyymmdd_hhmmss/.
// Linking names its output folder and files and takes the references from the first file;
// reading the headers and reading the cubes are jobs (progress per file, cancel between files
// leaves the scan as it was, repeated warnings gathered into one entry each).
// Stage bits (kStep): 0 linked, 1 headers read, 2 data loaded, 3 integral values computed.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"
#include "scans/cvFITS.h"
#include "scans/cvMapSlots.h"

class TDirList;
class TFIOut;
class TJob;
class TStringList;
struct TH0Values;

// Warnings of one pass over a scan, one entry per kind: the first text and the number of files.
class TWarnBatch {
 public:
  void Add(const std::string& Group, const std::string& Text);
  // Each entry through WARNAbs ("(файлов: N)" added when more than one file gave it); empties.
  void Flush();
  bool Empty() const { return order_.empty(); }

 private:
  struct TEntry {
    std::string Text;
    int32_t Count = 0;
  };
  std::vector<std::string> order_;
  std::map<std::string, TEntry> entries_;
};

// References the file checks keep up to date (taken over when zero or empty).
struct TScanRefs {
  int32_t nY = 0, NSLITPOS = 0;
  double EXPTIME = 0;
  TARe ALam;
  int32_t LamFlag = 0;  // 0 undecided, 1 reversed, 2 confirmed
};

// Gaussian smoothing weights of one wavelength list X[1..N] and width W (GaussNorm), kept by
// column: column j holds the rows Lo[j]..Hi[j] around j, outside which every weight is exactly 0
// (a zero weight adds nothing to a sum, so leaving it out keeps every sum bit for bit). Smooth
// sums each row in the order j = 1..N, as AReGSmooth does, and divides by the row's weight sum
// (made in the same order); a row whose weights are all 0 keeps its value.
struct TSmoothWeights {
  TARe X;
  double W = 0;
  int32_t N = 0;
  std::vector<int32_t> Lo, Hi, Off;  // by column 0..N-1: rows (0-based) and start in Col
  std::vector<double> Col;
  std::vector<double> Sums;  // by row 0..N-1
  // The same weights by diagonal: Diag[d * NP + i] is row i's weight of column i + d - DL
  // (d = 0..DSpan - 1, 0 outside the profile), rows padded to NP, a multiple of 32.
  int32_t DL = 0, DSpan = 0, NP = 0;
  std::vector<double> Diag;
  std::vector<double> Divisors;  // by row 0..NP-1: Sums, 1 where a sum is 0 and beyond N
  static std::shared_ptr<const TSmoothWeights> Make(const TARe& X, double W);
  // R[1..N] from Y[1..N] (R[0] = Y[0]). Int and real profiles alike.
  void Smooth(const int32_t* Y, double* R) const;
  void Smooth(const double* Y, double* R) const;
  // The rows' sums without the terms of columns beyond row + TailR (-1: no such reach): each
  // such term is below an eighth of the last place of its row's sum when every Y[i + 1] >= 0
  // and Y[i + 1] >= TailRatio[i] * max Y, so the sum is Smooth's to the bit (the terms come in
  // column order after that row's own one, which alone bounds the sum from below).
  int32_t TailR = -1;
  std::vector<double> TailRatio;  // by row
  double TailRatioMax = 0;
  // HeadOf: the profiles the short sums serve; SmoothHead: R[1..N] as Smooth gives them (the
  // lead left out too where it may be).
  bool HeadOf(const int32_t* Y) const;
  bool HeadOf(const int32_t* Y, int32_t Top, int32_t Bottom) const;  // Y[1..N]'s extremes given
  void SmoothHead(const int32_t* Y, double* R) const;
  // The rows' sums without the terms of columns before row - LeadR (-1: no such reach): their
  // sum stays below half the last place of the first term kept when every Y[i + 1] > 0 and
  // min Y >= LeadRatioMax * max Y, so the first sum kept is that term alone, as in the whole sum.
  int32_t LeadR = -1;
  double LeadRatioMax = 0;
  // The first diagonal summed for a profile with these extremes (0 unless the lead is left out).
  int32_t FirstDiagonal(int32_t Top, int32_t Bottom) const;
  // NearRatio[K]: the smallest weight within K pixels of a row over the row's sum (K = 0..5),
  // taken a little low; all 0 when a row's sum is 0.
  std::array<double, 6> NearRatio{};
  // R[1 + i] for the rows i (0-based) of the 8-row blocks listed (rows 8b..8b+7 below N), as
  // Smooth (Head false) or SmoothHead gives them, from diagonal First (FirstDiagonal of the
  // profile, or 0); other rows are left as they were.
  void SmoothBlocks(const int32_t* Y, double* R, const int32_t* Blocks, int32_t NBlocks,
                    bool Head, int32_t First = 0) const;
};

// The map slots (TScanMapSlots) name the maps the scan's map calculations fill and read.
class TLFITS : public TScanMapSlots {
 public:
  static constexpr uint32_t kLive = 0xA55AA55A;

  TLFITS();
  ~TLFITS();
  TLFITS(const TLFITS&) = delete;
  TLFITS& operator=(const TLFITS&) = delete;

  uint32_t Marker = kLive;
  uint16_t kStep = 0;
  bool Bit(int B) const { return (kStep >> B) & 1; }

  std::vector<std::unique_ptr<TFITS>> Files;
  int32_t Count() const { return static_cast<int32_t>(Files.size()); }

  // ---- names ----
  std::string Path_Name;  // the scan folder ("/" separators)
  std::string OutFolder;  // the scan folder less its last two characters, or "###"
  std::string ScanName;   // yyyymmdd_hhmmss
  std::string sFN, sFNME, sFNL21;  // yyyymmdd_hhmm.fits, yyyymmdd_hhmmss.fits, ..._L2.1.fits
  std::unique_ptr<TDirList> List;
  int32_t nX = 0;

  // ---- flags and totals ----
  bool OwnFileExists = false, Light = false, RecomputeCont = false;
  bool LineCenterDebug = false;
  // The report list of the measurements (iteration reports of the centres of gravity).
  TStringList CalcReport;
  int64_t BytesCubes = 0, BytesCards = 0;

  // ---- references ----
  double RefCRPIX1 = 0, RefCDELT1 = 0, RefCRVAL1 = 0;
  int32_t RefnY = 0, RefNSLITPOS = 0;
  TScanRefs Refs;
  double Lam1 = 0, Lam2 = 0;
  double d6301 = 0, d6302 = 0, KRC = 0, ContSmooth = 0, KCont = 0;

  // ---- per-file axes (1-based, one per file) ----
  TARe AXCEN, AXT, AXvO, AWorkY, AWorkX;
  double T0 = 0, Duration = 0, TMid = 0;
  double DopMin = 0, DopMax = 0, TDopMin = 0, TDopMax = 0;
  double CB0 = 0, VW1 = 0, VW2 = 0;
  double rLC1 = 0, rLC2 = 0;
  std::unique_ptr<TStringList> HOwnRead;

  // The warnings of the running pass (null outside one).
  TWarnBatch* Batch = nullptr;

  // ---- life cycle ----
  void Clear();
  void Link(const std::string& Folder);
  void SetOptions(double W1, double W2, double LevelCorr, double Smooth);

  // ---- files ----
  std::string fNam(int32_t N);
  void ListFitsFiles();
  TFITS* FITSByIndex(int32_t Index) const;
  std::unique_ptr<TStringList> GetXHeader(int32_t N) const;

  // ---- loading (jobs) ----
  bool LoadHeaders(TJob& Job);
  bool LoadData(TJob& Job);
  // Main headers of earlier output: the inversion-result file's (its keys into the ME fields) and
  // the own output file's (CB0, VW1, VW2); each gives the card count and the length in bytes.
  void ReadMEMainHeader(int32_t& NCards, int64_t& Bytes);
  void ReadOwnMainHeader();
  std::unique_ptr<TStringList> HMERead;
  int32_t MENAXIS = 0;
  double MEXCEN = 0, MEYCEN = 0, SOLAR_RA = 0, MEXSCALE = 0, MEYSCALE = 0, P_ANGLE = 0,
         B_ANGLE = 0;
  std::string TSTART, TEND;

  // The measurement run of every file (BigCalc) as a job: progress per file, cancel between
  // files (files measured so far keep their columns; the scan's bit 3 stays clear).
  bool CalcIntegrVal(TJob& Job);

  // The line parameters of slit pixel IY of file Index (cvPixelH0.h); the headers read first when
  // the scan has no files; an index outside the scan is refused with the message.
  bool CalcH0(TJob& Job, int32_t Index, int32_t IY, double W1, double W2, double KV, double KRC,
              TH0Values& Out);
  // Card count of the main header last built for writing (0 when none).
  int32_t nsHead = 0;
  // Means of the six instrument temperatures over the slit files (SlitTimeReport).
  std::array<double, 6> MeanTemps{};


  // ---- map slots and map runs (cvMapRuns.cpp) ----
  // The scan's nY (the first file's slit pixels).
  int32_t ScanNY() const { return RefnY != 0 ? RefnY : Refs.nY; }
  // The scan name split at "_" into date and time.
  std::string ScanDa() const;
  std::string ScanTi() const;
  // Finds or registers the map Name of the scan in Slot (kind 1 own file, 2 inversion result,
  // 3 level 2.1): looked up by date, time and name (a second call warns and reuses it), then
  // with an empty version, then loaded from the scan's map file of the kind, else registered
  // afresh. False (with the message) while nX or nY is 0.
  bool FO_Init(int32_t Kind, TMapSlot& Slot, const std::string& Name, const std::string& Title,
               const std::string& Ver);
  bool FOInitOwn(TMapSlot& Slot, const std::string& Name, const std::string& Title,
                 const std::string& Ver);
  bool FOInitME(TMapSlot& Slot, const std::string& Name, const std::string& Title);
  // Registers the map without looking in the map file; its source character is the registry's
  // current one.
  bool FO_New(int32_t Kind, TMapSlot& Slot, const std::string& Name, const std::string& Title,
              const std::string& Ver);
  bool FONewME(TMapSlot& Slot, const std::string& Name, const std::string& Title);
  bool InitContMap();
  bool InitGRCMaps();
  bool InitHLMaps();
  bool InitVlosMaps();
  bool InitRotMap();
  bool InitMEFieldMaps();
  bool InitMECoordMaps();
  bool InitHLongMap();
  // OuAny[First + i, Line] for every name: the line digit put before the level text of the name
  // (appended when the level text is missing; the name as it is for an empty level text) and
  // after the first "630" of the title.
  bool InitLineMaps(TSlotBank& Bank, const std::vector<std::string>& Names,
                    const std::vector<std::string>& Titles, int32_t First,
                    const std::string& Level, int32_t Line);
  bool InitLineMapPairs(TSlotBank& Bank, const std::vector<std::string>& Names,
                        const std::vector<std::string>& Titles, int32_t First,
                        const std::string& Level);
  // One line per slot (label and the map's SizeText, or "-"): 72 lines.
  std::unique_ptr<TStringList> MapSlotsReport() const;
  // The slot's map released and dropped from the registry; the slot emptied.
  void ReleaseSlot(TMapSlot& Slot);

  // The map runs over the slit files, as jobs: progress per file, cancel between files. A
  // cancelled run releases the maps it set up (none left calculated) and gives false.
  // CONT, CONT2, LCONT, LCONT2 from each file's continuum pair.
  bool CalcCont0(TJob& Job);
  // The line positions at depth fraction x (maps "LC" + round(100 x) in 2 digits + line digit)
  // and, while "d01" holds no data, the line-minimum maps d01, d02, Ld01, Ld02.
  bool CalcBisLC(TJob& Job, double x);
  void InitD0Maps(bool& Fill);
  void StoreD0Pixel(int32_t ix, int32_t y, const TFITS& F);
  void FinishD0Maps();
  // The map CONT filled file by file from each file's continuum (light mode: one cube at a time).
  bool LoadRowData(TJob& Job);
  // Binds d01, d02, Ld01, Ld02 of the scan from the registry and loads their data from their
  // file; Missing when d01 is absent or empty afterwards.
  void LoadD0Maps(bool& Missing);

  // ---- field, centre-of-gravity and wing maps (cvFieldMaps.cpp), map runs as above ----
  // Field vector from the Stokes moments (WI, BMV, BML, Gm, Xi, BLq, BLu of both lines) from the
  // maps CONT, CONT2, LIV1, LIV2, LBob1, LBor1, LBob2, LBor2; an input map of another size than
  // the scan is refused (named) before anything is set up. A file whose input maps fail ends the
  // run (false) with the maps' columns stored so far, unmarked.
  bool Calc_W_Mom(TJob& Job);
  // Line centre, distance and widths of I +- V at 0.4..0.6 of the depth (LIV, LBIV, L-Wb, L-Wr).
  bool Calc_LIV(TJob& Job);
  // Field and velocity of I +- V in nine bands and the minima asymmetry, and in the 6 % and 3 %
  // cores, with the scan's VW1 and VW2 (both 0: refused with the message).
  bool CalcIV_COG(TJob& Job);
  bool CalcIV_COG05(TJob& Job);
  // Blue and red wing positions and their level (LWb, LWr, LWI).
  bool CalcLW(TJob& Job);

  // ---- Gauss-model fit, filtered and polarisation-integral maps (cvCoreMaps.cpp), runs as above
  // Doppler widths by the wing-tilt fit (Dtilt, BWdl/BWd2, Dktilt, kat) and by the full wing fit
  // (DFull, kaF, DkFull, d0Full; values a map file cannot hold are bounded, with a warning) into
  // OuWork[1..8] (released first); the wing positions come from LWb1, LWr1, LWb2, LWr2.
  bool Calc_D(TJob& Job);
  bool CalcD_Full(TJob& Job);
  // The 38 core-fit maps OuCore[1..38] registered once (a repeated call warns and keeps them) and
  // given data of nX by nY (values kept).
  bool cvGaussCore_Init();
  void AllocCoreMaps();
  // The core fit of every slit pixel into OuCore[1..38]: needs CONT in OuCont (and GRC_6301,
  // GRC_6302 loaded when in OuGc1, OuGc2) and both line windows of CurI after SetupCurI (else
  // refused, naming them, before anything is set up). The fit state starts from SetupCurI on every
  // run. The memo lines (two per pixel) go to Memo, else to the services' memo, once after the run.
  // H (the longitudinal field) is not used by the fit.
  bool CalcCoreMaps(TJob& Job, const TFIOut* H, TStringList* Memo = nullptr);
  // The filtered maps of the band of the services' fields (Filt1..Filt2, FiltStokes, FiltAbs) into
  // OuAny[1, M] and OuAny[2, M] (M = 1 when Filt1 < 61, else 2), from CONT, WV1 and WV2.
  bool InitFiltMaps();
  bool CalcFilt(TJob& Job, int32_t& M);
  // The 46 polarisation-integral maps OuAny[1..23, 1..2] at the level rC90 of the services' fields
  // (names with its level text); Step is the mode of CalcSumsFine (1 or 0).
  bool InitKVIMapsV();
  bool InitKVIMapsQU();
  bool CalcKVI(TJob& Job, bool Step);
  // CalcKVI in the phase of the field KVIStep, then its maps saved into the own output file.
  bool CalcKVISave(TJob& Job);

  // ---- scan statistics and derived maps (cvBigCalc2.cpp) ----
  // The seven steps in their order (MaxMinCont, CalcHLongMap, CalcRotMap, CalcLC12, CalcVC12,
  // VRBMax, HNSMax); cancel between steps. False when cancelled.
  bool BigCalc2(TJob& Job);
  void MaxMinCont();
  void CalcLC12();
  void CalcVC12();
  void VRBMax();
  void HNSMax();
  void CalcRotMap();
  void CalcHLongMap();
  void QualContFit();
  // Values[i + 1] = the value of Key in the header of slit file i (dates and times as numbers).
  void KeyValArray(const std::string& Key, TARe& Values);

  // Continuum extremes over the slit files (slit index 0-based, pixel of the file's extreme).
  double ContMax = 0, ContMin = 0;
  int32_t ContMaxIx = 0, ContMaxPix = 0, ContMinIx = 0, ContMinPix = 0;
  // Mean line positions of the centre-of-gravity maps in pixels (rLC1, rLC2 the wavelengths).
  double LC1Pix = 0, LC2Pix = 0;
  // Extremes of the mean line-of-sight velocity and of the mean longitudinal field.
  double VelMax = 0, VelMin = 0, HLMax = 0, HLMin = 0;
  int32_t VelMaxX = 0, VelMaxY = 0, VelMinX = 0, VelMinY = 0;
  int32_t HLMaxX = 0, HLMaxY = 0, HLMinX = 0, HLMinY = 0;
  // The intercept of the quality fit of the continuum.
  double QualB = 0;

  // out[y] = the map's value at Row, column y - 1 (y = 1..the map's column count).
  void GetXFOARe(const TFIOut* Map, int32_t Row, TARe& Out) const;

  // ---- wavelength scale of the scan ----
  double Pix2Lam(double x) const { return (x - RefCRPIX1) * RefCDELT1 + RefCRVAL1; }

  // Line-of-sight velocity (km/s) of pixel x against line 1 (Lam1, VW1) or line 2 (Lam2, VW2).
  double Pix2V1(double x) const;
  double Pix2V2(double x) const;

  // ---- profile access of file F (0-based index); y as TFITS takes it ----
  std::unique_ptr<TStringList> GetFIT_SL(int32_t F, int32_t y, const std::string& Sel);
  std::unique_ptr<TStringList> GetFITNorm_SL(int32_t F, int32_t y, const std::string& Sel);
  bool GetFITArr(int32_t F, int32_t y, const std::string& Sel, char YMode, char XMode,
                 double Lam0, TARe& X, TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P,
                 TARe& D, double& Cont);
  bool GetFITNormArr(int32_t F, int32_t y, const std::string& Sel, double Lam0, TARe& X,
                     TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D);
  // The 3 x 3 neighbourhood of slit position F (1..count - 2) and slit pixel y (1..nY); at the
  // slit's ends the missing pixels add nothing, yet the means still divide by 9.
  bool GetFIT9Arr(int32_t F, int32_t y, const std::string& Sel, TARe& X, TARe& M, TARe& I,
                  TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D, double& Cont);
  std::unique_ptr<TStringList> GetFIT9_SL(int32_t F, int32_t y, const std::string& Sel);
  bool GetFIT9NormArr(int32_t F, int32_t y, const std::string& Sel, double Lam0, TARe& X,
                      TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D);
  std::unique_ptr<TStringList> GetFIT9Norm_SL(int32_t F, int32_t y, const std::string& Sel);
  // Profile sums over a mask as a job: Flags[f][p] > 0 takes slit pixel p + 1 of file f. Sums
  // (nLam + 1 each) get the total only when the job ran to its end.
  bool SumProfiles(TJob& Job, const TAInIn& Flags, TStokesRe4& Sums);

  // The continuum smoothing of a profile over the scan's wavelength list, with the weights made
  // once per scan (bit-identical to AReGSmooth).
  void SmoothProfile(const TARe& Y, TARe& R);
  // The weights for the current wavelength list and ContSmooth, made when either changed; the
  // object stays valid while the caller holds it, whatever later calls make.
  std::shared_ptr<const TSmoothWeights> SmoothWeights();

 private:
  bool CalcWingMaps(TJob& Job, bool Full);
  std::mutex smoothMutex_;
  std::shared_ptr<const TSmoothWeights> smooth_;
};

// The name of core-fit map J (1..38); empty outside.
const char* CoreMapName(int32_t J);

// The slot report of a scan; without one "LFITS Not Assigned Yet!!!" and an empty list.
std::unique_ptr<TStringList> MapSlotsReport(const TLFITS* Scan);

// root/yyyy_mm/name for a scan name yyyymmdd_hhmmss under the data root.
std::string ScanFolder(const std::string& ScanName);
// Name of file N (0-based) of the scan folder's ".fits" files sorted by name; the first when N is
// not below the count, empty when there is none.
std::string ScanFitsN(const std::string& ScanName, int32_t N);
std::string ScanFirstFits(const std::string& ScanName);

// Cards of a main header from byte Offset up to END (at most 600) appended to List; Count = the
// cards read (0 after a read failure). Nothing happens without the list or the file.
void GetFITSHead(const std::string& Path, int64_t Offset, int32_t& Count, TStringList* List);
// Count extended over the blank cards after it (not rounded to 2880).
void GetFITSHeadLen(const std::string& Path, int64_t Offset, int32_t& Count);
