// The Zeeman pattern of one spectral line (TZEEMAN): positions of its pi and sigma components in
// units of the Zeeman splitting and their relative strengths, from the levels' J and Landé
// factors (Runge fractions) or typed by hand in the "#ZEE" text. Every line record owns one.
//
// Only one half of the symmetric pattern is kept: pi components with Shift >= 0 (1..NPI) and one
// sigma group (NPI+1..NCOMP, transitions M -> M-1 of the upper level).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TStringList;
class TLIDA;

class TZEEMAN {
 public:
  static constexpr int32_t MAXCOMP = 25;

  std::string Name;  // at most 13 characters
  int32_t NCOMP = 0;
  int32_t NPI = 0;
  double Shift[MAXCOMP + 1] = {};     // used from 1
  double Strength[MAXCOMP + 1] = {};  // used from 1
  int32_t JL2 = 0, JU2 = 0;
  double GL = 0, GU = 0;

  // Builds the pattern from J and g of both levels; false (a warning, the pattern unchanged) for
  // a J pair that is not half-integer or a forbidden change of J. A pattern without sigma
  // strength, or with more than MAXCOMP components, is fatal (ErrAbs).
  bool SetRUNGE(double JL, double GL_, double JU, double GU_);
  // Parses a "#ZEE" text: "2JL 2JU gL gU [! name]" or the fraction form
  // "NCOMP NPI DEN d1 .. dNCOMP SDEN s1 .. sNCOMP". Errors warn; the name is then "ERROR".
  void SetByHand(const std::string& Text);
  // 4 * sum over the sigma components of Shift * Strength; 0 without them.
  double GetGEff() const;
  std::string GeffMomentsStr() const;
  std::unique_ptr<TStringList> ReportLines() const;
  std::unique_ptr<TStringList> Report() const;
  void Clear();
  void LoadClone(const TZEEMAN& Source);
};

// LoadClone into Self, with the warning of a missing Self.
void ZeeLoadClone(TZEEMAN* Self, const TZEEMAN& Source);
// Name := the first 13 characters of AName; SetRUNGE (fatal when it fails); zero-shift pi
// strengths halved.
void ZeeSetRunge(const std::string& AName, TZEEMAN& Pattern, double JL, double JU, double GL,
                 double GU);
// ZeeSetRunge with the line's name, its pattern, J of both levels and its Landé factors.
void ZeeSetLine(TLIDA& Line);
// The numbers the line table keeps of a line's pattern (ZeeSetRunge from 2J and g of both
// levels): components, pi components, effective Landé factor. Raises when no pattern forms.
void ZeePatternNumbers(const std::string& Name, int32_t JL2, double GL, int32_t JU2, double GU,
                       int32_t& NComp, int32_t& NPi, double& GEff);
