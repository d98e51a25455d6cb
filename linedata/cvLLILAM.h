// Ordered line lists of the band-file builder and the merges of hyperfine and isotopic
// components: a catalogue gives every component as a line of its own; the components of one line
// become one record whose component list (HFS) holds each component's shift (mÅ) and relative
// intensity. Problems found while inserting and merging go to the run's insertion report
// (InsertErrors, one list per run, given to the list).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "linedata/cvLIDA.h"

class TStringList;

// C(e, n) > 0: the entry e goes before the new line n; 0: duplicates; < 0: n goes before e.
using TLiCompare = int (*)(const TLIDA& E, const TLIDA& N);
// AT, NIon, ELOW, LAMB, shiftLO, shiftHI, hfHI ascending.
int CompareByAtom(const TLIDA& E, const TLIDA& N);
// LAMB, then Isotope2 ascending.
int CompareByLamb(const TLIDA& E, const TLIDA& N);
// sIdK ascending.
int CompareById(const TLIDA& E, const TLIDA& N);

class TLLILAM {
 public:
  virtual ~TLLILAM() = default;
  std::vector<std::unique_ptr<TLIDA>> Items;
  TLiCompare Compare = CompareByLamb;
  std::string Name;                     // the last inserting step ("Add" by default)
  TStringList* InsertErrors = nullptr;  // the run's insertion report (not owned; may be none)

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  TLIDA& operator[](int32_t I) { return *Items[static_cast<size_t>(I)]; }
  void SetCompare(TLiCompare C) { Compare = C; }
  // Ordered insert (a binary search: the list is kept in its order).
  void Add(std::unique_ptr<TLIDA> Line);
  void AddNamed(std::unique_ptr<TLIDA> Line, const std::string& AName);
  // Adds the lines as Add one after another would (duplicates alike), in one merge pass.
  void AddAll(std::vector<std::unique_ptr<TLIDA>> Lines);
  void ClearLines();
  // One dump line per entry (an entry without its catalogue part warns and is dumped as well).
  std::unique_ptr<TStringList> Dump() const;

 protected:
  // A duplicate e of the new line n: n replaces an e without components when it has some;
  // otherwise the insertion report gets a line and n is dropped.
  virtual void Duplicate(size_t At, std::unique_ptr<TLIDA>& N);
  void Note(const std::string& Text) const;
};

// The components of one line: a duplicate adds its hyperfine fraction to the entry.
class TLLIHFS : public TLLILAM {
 public:
  // Moves the hyperfine components of Line's pattern (same AT, NIon, ELOW, LabelLO, LabelHI,
  // JL2, JU2, Isotope) into Result, sorted by ascending HFShift.
  void ExtractLI(const TLIDA& Line, std::unique_ptr<TLLIHFS>& Result);
  // Moves the isotopic components of Line (same AT, NIon, ELOW, EUP, JL2, JU2) into Result,
  // sorted by descending LAMB, then descending Isotope2.
  void ExtractISO(const TLIDA& Line, std::unique_ptr<TLLIHFS>& Result);
  // The entry with the smallest LAMB (the first of equal ones); nullptr (with a warning) for an
  // empty list.
  TLIDA* GetLessLamb();
  // The merged line of the hyperfine components held (ascending HFShift), or nullptr.
  std::unique_ptr<TLIDA> Shrink();
  // The merged line of the isotopic components held, or nullptr.
  std::unique_ptr<TLIDA> ShrinkISO();

 protected:
  void Duplicate(size_t At, std::unique_ptr<TLIDA>& N) override;
};
