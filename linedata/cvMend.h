// The element table: for the elements 1 to 104 their symbol, atomic mass, abundance, ionisation
// energies and partition-function coefficients, with the abundance-weighted sums the model
// atmospheres need. Also the element symbols and atomic numbers, and the partition-function
// polynomial.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

constexpr int32_t MendSize = 104;

class TATOM {
 public:
  int32_t NElt = 0;
  std::string Name;               // symbol, upper-case
  double PAT = 0;                 // atomic mass, amu
  double ABUND = 0;               // lg N/N_H + 12; 0 = absent
  double EIon[4] = {0, 0, 0, 0};  // ionisation energies of the stages 1..4, eV
  int32_t ATP = 0;                // 1 = in the list #ATP
  int32_t ATI = 0;                // 1 = in the list #ATI
  double U[3][6] = {};            // partition-function coefficients a0..a5 of the stages 0, 1, 2

  void Clear();
  // The partition function of stage 0, 1 or 2 at temperature T.
  double CalcU(int32_t Stage, double T) const;
};

class TMEND {
 public:
  static constexpr double AMU = 1.660531e-24;  // g
  static constexpr double DefaultSumAbund = 1.1;
  static constexpr double DefaultMjuPerH = 1.435;
  static const char* const DefaultATP;
  static const char* const DefaultATI;

  TMEND() = default;
  TMEND(const TMEND&) = delete;
  TMEND& operator=(const TMEND&) = delete;

  std::vector<std::unique_ptr<TATOM>> Atoms;  // index n - 1 holds element n, once created
  int32_t NATP = 0;
  int32_t NATI = 0;
  std::string sStdAbund;
  double SumAbund = 0;
  double MjuPerH = 0;
  double N_Gramm = 0;
  double NH_perGramm = 0;

  // Every element record and sum copied (a calculation of its own changes the copy's
  // abundances, not this table's).
  std::unique_ptr<TMEND> Clone() const;
  // Every element record and sum of Other taken over.
  void CopyFrom(const TMEND& Other);

  bool HasAtoms() const { return !Atoms.empty(); }
  // The 104 records, each emptied, when there are none yet.
  void CreateAtoms();
  // True when some element record has been filled.
  bool Loaded() const;

  // Element n (1..104); fatal "MEND.GetAtom iAT=" + n outside.
  TATOM* GetAtom(int32_t N);
  // Ionisation energy of stage K (1..4) of element N.
  double GetEION(int32_t N, int32_t K);

  // Base data and standard abundances (LoadTBMend, AbundToMend), then the partition functions.
  void LoadAll();
  void SetATP(const std::string& List);
  void SetATI(const std::string& List);
  // Symbol-and-value pairs; every pair is checked before any abundance changes (a bad symbol or
  // value is fatal and changes nothing); then the sums are recomputed.
  void ResetAbund(const std::string& S);
  void SetStdAbund(const std::string& S);
  void RestoreAbund();
  double CalcSumAbund();
  double CalcMjuPerH();
  void CalcMeans();
  std::unique_ptr<TStringList> SLAbund(int32_t N) const;
  std::unique_ptr<TStringList> SLAbundATP(int32_t N) const;
  void sAbundDiff(std::string& Text) const;
  std::unique_ptr<TStringList> RepIntegral() const;

 private:
  void SetMarks(const std::string& List, bool Atp);
  std::unique_ptr<TStringList> AbundRows(int32_t N, bool AtpOnly) const;
};

extern TMEND* MEND;
// MEND := a new, empty element table (the old one is freed).
void CreateMEND();
void FreeMEND();

// Atomic number of a symbol ("fe", "Fe", "FE" give 26; "HH" and "H" give 1); 0 for an empty
// symbol or one that names no element.
int32_t AtNumBySym(const std::string& Symbol);
// The trimmed symbol of element N (1..104); empty outside.
std::string AtSymByNum(int32_t N);
inline void AtSymByNum(int32_t N, std::string& Symbol) { Symbol = AtSymByNum(N); }

// exp(sum a_i (ln T)^i), i = 0..5. T <= 0 is fatal; a sum above ln 1e138 warns and gives 1e38.
double POLI_LN_6(const double A[6], double T);
// Reads the partition-function coefficients from the file of ("GEDA", "IRWIN").
void RdIRW();
void RdIRWFrom(const std::string& FileName);
