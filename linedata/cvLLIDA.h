// Line lists and line sets: TLLIDA, the list of loaded lines without duplicates (its global
// LLIDA holds every line loaded since the start, saved per quest to "LIDA/" + quest + ".DAT"),
// and TLiSet, the lines of one synthesis run built from a line-set description.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "linedata/cvLIDA.h"

class TStringList;

class TLLIDA {
 public:
  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  TLIDA* operator[](int32_t I) const { return Items.at(static_cast<size_t>(I)).get(); }

  // Appends the line unless an entry matches it (by LIN6 or sIdL; by sIdK while no entry
  // scanned before differed in a non-empty LIN6 or sIdL). True when appended.
  bool AddUnique(std::unique_ptr<TLIDA> Line);
  TLIDA* GetATLLLL(const std::string& Key) const;
  TLIDA* GetKxNNNNNN(const std::string& Id) const;
  TLIDA* GetSIdL(const std::string& Id) const;
  TLIDA* GetAtLine(const std::string& Id) const;
  void ClearAll();
  // "LIDA/" + quest + ".DAT" in the project folder.
  std::string GetFileName() const;
  void Save();
  void Load();
  // The entries' dump lines in list order.
  std::unique_ptr<TStringList> GetSLDump() const;
  // For each key, the wavelength (3 decimals) of every entry with that LIN6.
  std::unique_ptr<TStringList> SLLamByIds(const TStringList& Keys) const;

  std::vector<std::unique_ptr<TLIDA>> Items;
};

// A line-set description parsed: central wavelength, range, the "-d+u" offsets (mÅ) and the
// values of a "(a+b)" part.
struct TLineSetDesc {
  double Lamb = 0, Lam1 = 0, Lam2 = 0;
  int32_t Down = 0, Up = 0;
  double ParA = 0, ParB = 0;
};
// Parses "&λ[-d+u]", "L1:L2" or "L1:λ:L2" (with an optional "(a+b)" part). Warnings begin with
// Caller + "(<" + description + ">)"; false on a bad description.
bool ParseLineSetDesc(const std::string& Caller, const std::string& Desc, TLineSetDesc& D);

class TLiSet {
 public:
  static constexpr int32_t MaxLines = 101;
  int32_t Count = 0;
  std::vector<TLINEDATA> Items = std::vector<TLINEDATA>(MaxLines + 1);  // used from 1
  double Lamb = 0, LambLo = 0, LambHi = 0;
  // The half-width (mÅ) that widens the range of a description with "&" alone: (X*5+100)/1000 Å.
  double HalfWidthX = 0;

  void Clear();
  // Builds the set from a description; the run's wavelength out. False on a bad description
  // (the set stays as it was).
  bool Load(const std::string& Desc, double& Wavelength);
  std::string GetText() const;
};

// The reference-model runs of a line: central depths (percent) and equivalent widths (mÅ) in
// the models HOLMU and CV, stored on the line. Until the variator exists the runs are not
// available (a warning) and the values stay 0. True when the run gave its values.
bool CalcLineDepths(TLIDA& Line, double& DHM, double& DCV);
bool CalcLineWidths(TLIDA& Line, double& WHM, double& WCV);
// The same for a line given by catalogue Id (LILast, the LLIDA entry or the band file).
void CalcLineDepthsById(const std::string& Id, double& DHM, double& DCV);
double LineDepthSum(const std::string& Id);
