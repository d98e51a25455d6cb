// Line records: one spectral line with everything the synthesis needs of it (TLIDA), its
// hyperfine or isotopic component list (THFS), the component set of the Zeeman test (THFS0), its
// catalogue part (TLIDAk), one item of a run's line set (TLINEDATA), the loaders (database key,
// catalogue Id, wavelength Id from the lw files), the dump line and the Form C text.
//
// Messages are always-shown warnings (WARNAbs): inside a job they go to the job's report.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "linedata/cvZeeman.h"

class TLLIDA;
class TVEMO;
class TLIDA;

constexpr double EvToCm = 8065.46312;  // 1 eV in cm-1

// The decimals to which catalogue wavelengths are rounded: LamDecimals (foundation/cvPhys.h).

// Hyperfine or isotopic components: shifts (mÅ) and relative intensities, used from 1 to N.
class THFS {
 public:
  int32_t N = 0;
  std::vector<double> Shift{0.0};
  std::vector<double> Int{0.0};

  void Clear();
  void SetN(int32_t ANumber);  // N and arrays of N + 1 zeros
  // "N s1 .. sN i1 .. iN": shifts in 0.1 mÅ, intensities in 1e-4. Text after "!" is dropped.
  // False (and a warning) on a bad text; the list is then empty.
  bool Init(const std::string& S);
  void LoadClone(const THFS& Source);
};

// The component set of the Zeeman test: shifts (mÅ), wavenumber shifts (1e-3 cm-1), linear and
// lg relative intensities.
class THFS0 {
 public:
  std::string Source;
  double Lam0 = 0;
  int32_t N = 0;
  std::vector<double> Shift{0.0}, DSigma{0.0}, IntLin{0.0}, IntLg{0.0};

  void Clear();
  bool Init(const std::string& S);
  double MaxInt() const;
  void ShiftRange(double& Min, double& Max) const;
};

// The catalogue part of a line.
class TLIDAk {
 public:
  std::string LabelLO, LabelHI;  // blanks stored as "_"
  int32_t NonLTElo = 0, NonLTEhi = 0;
  char Char134 = ' ', Char137 = ' ';
  uint8_t Isotope = 0;
  double frac = 0;
  int32_t shiftLO = 0, shiftHI = 0;  // mK
  double HFShift = 0;                // mÅ
  uint8_t Isotope2 = 0;
  double fracabund = 0;
  int32_t shiftMA = 0;
  double nAir = 0;
  double Lam0 = 0;
  std::string linestrength, autoionising;
  std::string hfLO, hfNoteLO, hfHI, hfNoteHI;

  void Clear() { *this = TLIDAk(); }
  void LoadClone(const TLIDAk& Source) { *this = Source; }
};

class TLIDA {
 public:
  TLIDA() = default;
  TLIDA(const TLIDA& Source) { LoadClone(Source); }
  TLIDA& operator=(const TLIDA& Source) {
    if (this != &Source) LoadClone(Source);
    return *this;
  }

  std::string sIdK, LIN6, sIdL;
  int32_t AT = 0, NIon = 0;
  std::string Str1, Str2;  // carried with the record
  std::string Mult;
  int32_t JL2 = 0, JU2 = 0;
  double LAMB = 0, ELOW = 0, EUP = 0, LGGF = 0;
  std::string LGGFSrc;
  double dLAMB = 0, dLGGF = 0;
  double GL = 0, GU = 0;
  char GLT = ' ', GUT = ' ';
  double Wcd = 0, Dcd = 0, WHM = 0, DHM = 0, WCV = 0, DCV = 0;
  double EWAN = 0;
  double Rad = 0, Stark = 0, Waals = 0, ARad = 0;
  uint8_t NHFS = 0;
  uint8_t Show = 0;
  std::unique_ptr<THFS> HFS;
  std::unique_ptr<TLIDAk> LIk;
  TZEEMAN Zee;  // the Zeeman pattern

  void Clear();
  // Every field but the show flag; HFS and LIk copied deeply or removed.
  void LoadClone(const TLIDA& Source);

  // Loads by Id: database key, catalogue Id ("5x000123"), LILast Id ("x..."), wavelength Id.
  void LI_Load(const std::string& Id);
  // DBGetLIDA with the source list of the current run ("#LGGFSrc"); true when the line was found.
  bool DBLoad(const std::string& Key);
  // From table "Lines_" with the lg gf source choice; true when the line was found.
  bool DBGetLIDA(const std::string& Key, const std::string& SrcList);
  // From the current record of table "Lines_".
  void LI_load_from_DB(const std::string& Key);
  // Line of a Kurucz band file by catalogue Id.
  bool LIK_load_from_TXT(const std::string& Id);
  // A line picked from the lw files by a wavelength Id [AT]LLLL.L[~e.ee].
  bool LI_lwPickUp(const std::string& Id);

  void SetHFS(const std::string& S);
  std::string GetName() const;
  std::string sDump() const;
  // Reads a dump line (sDump); raises EInOutError on a token that is not a number.
  void LoadSDump(const std::string& S);
  std::string sRepHead() const;
  std::string sRepLine() const;
  std::string sRepLLIDA() const;
  // Form C text of the line.
  std::string sKurDumpHF() const;
  void CalcHFShift();
  void CalcISO();
};

// One line of a run's line set: element (not owned), the line, run values.
class TATOM;
class TLINEDATA {
 public:
  TATOM* Atom = nullptr;
  TLIDA LI;
  // Depth vectors of the line filled by the line preparation (the keeper's, not owned): Doppler
  // width (mA), partition functions and population, line-to-continuum opacity, damping.
  TVEMO *DLD = nullptr, *PART = nullptr, *U0 = nullptr, *U1 = nullptr, *U2 = nullptr;
  TVEMO *ETA = nullptr, *A = nullptr, *AOld = nullptr, *DLLor4 = nullptr, *DLLor6 = nullptr,
        *DLLorN = nullptr;
  void Clear();
};

// Symbol + stage suffix (" I", " II", " III", " 4"...) of a line.
std::string SpeciesText(int32_t AT, int32_t NIon);
// The "Lines_" record of Key as the database holds it now, into Line (no lg gf source choice);
// nothing else changes (LILast, LLIDA). False without a database or without the record.
bool LinesRecordNow(const std::string& Key, TLIDA& Line);
// The band files of the line files: Kind ("li", "lh", "lw") + the band N (N = trunc(wavelength
// / 100 Å), at least two digits) + "00.txt"; bands from 100 on keep every digit, so no band
// shares another's file. The one naming of every band file the builders write and the loaders
// read.
std::string BandFileName(const std::string& Kind, int32_t Band);
// The lw file of band N.
std::string LwFileName(int32_t Band);
// The folders of the Kurucz band files and of the system's line files (lw).
std::string KuruczDir();
std::string LineFilesDir();

// The walk over the lw files from Lo to Hi (Å): every Form C line inside is parsed and handed to
// Take (Id: band + "w" + line number). False when a wavelength or a line could not be read.
bool LwCollect(double Lo, double Hi, const std::function<void(TLIDA&)>& Take);

// LLIDA and LILast made (when missing) and freed.
void CreateLineLists();
void FreeLineLists();
