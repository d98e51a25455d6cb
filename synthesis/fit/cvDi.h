// The line-fit tables Di: observed cases, model components sharing the slit, lines with their
// corrections, wavelength spans and abundance corrections, and the builders that turn them into
// parameters of a variator ("Make VARI"). Di lives in the calculation context (Di()), filled by
// the Di tab and by the run word DI (AlgDi), shown on the Di page by TDi::UpDate.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TJob;
class TStringList;
class TVARIATOR;
struct TPageView;

struct TDiCase {
  std::string Name;
  double CTETA = 0, Teff = 0, ICONT = 0, Weight = 0;
  bool Show = false;
  std::string QUEST;
  int32_t IQ = 0;
};

struct TDiMod {
  std::string Name;
  double PART = 0, EWAN = 0, T_eff = 0, I_cont = 0;
  double T_D = 0, T_G = 0;
  bool T_Curv = false;
  double Vmi_0 = 0, Vmi_G = 0;
  bool Vmi_Curv = false;
  double V_0 = 0, V_G = 0;
  bool V_Curv = false;
  double H_0 = 0, H_G = 0;
  bool H_Curv = false;
  double GM_0 = 0, GM_G = 0;
  bool GM_Curv = false;
  double XI_0 = 0, XI_G = 0;
  bool XI_Curv = false;
};

struct TDiLine {
  std::string LIN;
  bool Calc = false;
  double dLGGF = 0, dLAMB = 0;
  std::array<double, 4> Vma{};  // 1..3
};

struct TDiLamSpan {
  bool Calc = false;
  double LAMB = 0, la1 = 0, la2 = 0;
  std::string LIN, MainLine;
  double dL = 0;
  int32_t KL = 0, Per = 0, nL = 0;
  TARe Lams;
  double Weight = 0;
};

struct TDiAt {
  std::string At;
  double dlggf = 0;
};

class TDi {
 public:
  static constexpr int32_t MaxCase = 5, MaxMod = 3, MaxLams = 5, MaxLin = 100, MaxAt = 10;

  int32_t nCase = 0;
  std::array<TDiCase, MaxCase + 1> Cases;  // 1..5
  int32_t nMod = 0;
  int32_t CurMod = 0;
  std::array<std::unique_ptr<TDiMod>, MaxMod + 1> Mods;  // 1..3, made on demand
  int32_t nLams = 0;
  std::array<std::unique_ptr<TDiLamSpan>, MaxLams + 1> Spans;  // 1..5, made on demand
  int32_t nLin = 0;
  std::array<TDiLine, MaxLin + 1> Lines;  // 1..100
  int32_t nAt = 0;
  std::array<TDiAt, MaxAt + 1> Atoms;  // 1..10
  bool Busy = false;

  // The component / span (made when missing).
  TDiMod& Mod(int32_t M);
  TDiLamSpan& Span(int32_t N);

  // ---- table upkeep ----
  void ClearObs();
  void ClearLin();
  void CopyCase(int32_t From, int32_t To);
  void CopyLine(int32_t From, int32_t To);
  void ClearCaseRec(int32_t C);
  void ClearLineRec(int32_t L);

  // ---- variator builders ("Make VARI", in this order, on a fresh variator). Each call to the
  // variator is noted in Calls when given ("AddP <text>", "ConcateP <text>", "AddPSL <lines
  // joined by |>", "ConcatePSL <...>", "AddPQOneStr <text>"). False when a box stopped it.
  bool VariLoadCases(TVARIATOR& V, TStringList* Calls = nullptr) const;
  bool VariLoadLins(TVARIATOR& V, TStringList* Calls = nullptr) const;
  bool VariLoadLinePars(TVARIATOR& V, TStringList* Calls = nullptr) const;
  bool MakeVariPars(TVARIATOR& V, TStringList* Calls = nullptr) const;
  // All four in order; stops at the first that stops.
  bool MakeVari(TVARIATOR& V, TStringList* Calls = nullptr) const;

  // ---- the Di page (TDi::UpDate): every table written into Page; M corrected in place.
  // ModelNames: the model files offered in the three model boxes.
  void UpDate(TPageView& Page, int32_t& M, const std::vector<std::string>& ModelNames) const;
};

// The calculation context's tables (made on first use).
TDi& Di();
// The Di page and the Dialog page of the calculation context, as the last run left them.
TPageView& DiPage();
TPageView& DialogPage();

// The run word DI: the tables filled from the working variator's keys, then the Di page
// refreshed. A table that would overflow (more than 5 cases, 3 components, 5 spans, 100 lines,
// 10 elements) is refused with a box before anything is stored.
void AlgDi(TJob& Job);

// The model files of the models folder ("MODS", "MEL"), names without extension, sorted.
std::vector<std::string> ModelFileNames();
