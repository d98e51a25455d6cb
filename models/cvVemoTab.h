// The VEMO tab's headless side: which of the keeper's vectors the table shows (the four
// selectors and their settings flags), the table's rows, the selector lists, the report of the
// marked vectors in "Order", the deletes (which also drop the vectors from the edited list) and
// the list of vectors handed to the picture window for editing, held by key.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

class TLVEMO;
class TVEMO;

// The settings flags of the selectors (section "Common"): Get reads a flag, Set stores or clears
// it.
struct TVemoFlags {
  std::function<bool(const std::string& Key)> Get;
  std::function<void(const std::string& Key, bool On)> Set;
};

// The key part of a model name or sIdV: every "=" becomes ":".
std::string VemoFlagKey(const std::string& Name);

// The four selectors.
struct TVemoSelect {
  std::array<bool, 3> FMOD{true, false, false};
  std::array<bool, 2> KDER{true, true};
  std::unordered_set<std::string> ModOff, SidOff;  // names switched off

  bool FMODOn(int32_t F) const { return F >= 0 && F < 3 && FMOD[static_cast<size_t>(F)]; }
  bool KDEROn(int32_t K) const { return K >= 0 && K < 2 && KDER[static_cast<size_t>(K)]; }
  bool Shows(const TVEMO& V) const;
};

// The FMOD rows from the flags "VEMO|FMOD<r>": row 0 switched on (and its flag set) when none is.
std::array<bool, 3> FMODRowsFromFlags(const TVemoFlags& F);
// The KDer rows from "VEMO|KDER<r>"; none on gives both on (and their flags).
std::array<bool, 2> KDERRowsFromFlags(const TVemoFlags& F);
// After an edit of row Edited: no row on switches row 0 on again (row 1 when row 0 was edited);
// the flags follow the rows.
void FixFMODRows(std::array<bool, 3>& Rows, int32_t Edited, const TVemoFlags& F);
// No row on switches both on; the flags follow.
void FixKDERRows(std::array<bool, 2>& Rows, const TVemoFlags& F);

// A selector row: a name and whether it is on.
struct TVemoSelRow {
  std::string Name;
  bool On = true;
};
// The distinct models and sIdV of the vectors whose FMOD row is on, in the keeper's order of
// first appearance; a row is on unless its flag "VEMO|<model>" / "VEMOSID|<sIdV>" is set. With
// ModOff given, sIdV come only from vectors of models that are on.
void VemoSelectorLists(const TLVEMO& K, const std::array<bool, 3>& FMOD, const TVemoFlags& F,
                       std::vector<TVemoSelRow>* Models, std::vector<TVemoSelRow>* Sids,
                       const std::unordered_set<std::string>* ModOff = nullptr);

// One row of the table.
struct TVemoRow {
  int32_t Idx = 0;  // in the keeper, 0-based
  bool Rep = false;
  bool HasRep = false;  // the vector has a report format (the R columns)
  int32_t F = 0, N = 0;
  std::string Model, Name, sIdV, sED;
  int32_t KOut = 0;
  std::string TYPR;
  double KMul = 1;
  int32_t NDig = 0, NW = 0;
  std::string Hd;
  uint32_t TCalc = 0;  // shown as hh:mm:ss.mmm
  int32_t KEd = 0, NAlg = 0;
  std::string Parents;  // one per line
  std::string sId;
  bool Hole = false;
  std::string HoleCh;
  double HX0 = 0, HX1 = 0, HVal = 0;
  int32_t KX = 0, xN = 0, hN = 0;
  std::string IPol;
  int32_t KSpl = 0;
  bool Eff = false;  // FMOD 2 with the E columns computed
  double hEff = 0, hGap = 0, hGap1 = 0, hGap2 = 0;
};

// The outside share of the formation range from the edit's text: 0.2 (and the text "0.2") when
// the text is no number.
double VemoHeighGap(std::string& Text);

// The rows of the vectors shown, in the keeper's order: a vector's report format is attached
// when it has none, and again with Reattach (the definitions were read again), never over one
// edited in the table; "Rep" is off when the format's switch says no
// report or the flag "VEMOREP|<NAME>" is set. With Eff the FMOD 2 vectors get their formation
// depths at share P. Rows is reused (its strings keep their storage).
void VemoTableRows(TLVEMO& K, const TVemoSelect& S, const TVemoFlags& F, double P, bool Eff,
                   bool Reattach, std::vector<TVemoRow>& Rows);
// The whole table as the harness prints it (one line per row: Idx, Rep, F, N, model, name, sIdV,
// Order, time-less).
std::unique_ptr<TStrList> VemoRowsText(const std::vector<TVemoRow>& Rows);

// One marked row for the report: its vector and its "Order".
struct TVemoMarked {
  TVEMO* V = nullptr;
  int32_t KOut = 0;
};
// The depth scale of the report of the marked vectors (nullptr when none).
const TARe* VemoReportScale(const std::vector<TVemoMarked>& Marked);
// The report of the marked vectors (table order given) ordered by "Order", equal values in
// table order: over the depth scale when there is one, else the vectors of the first one's
// point count.
std::unique_ptr<TStrList> VemoMarkedReport(TLVEMO& K, const std::vector<TVemoMarked>& Marked);

// The vectors handed to the picture window for editing, by key (sId), source or clone, and full
// name: a deleted vector leaves the list; a vector is added once.
class TEditedVectors {
 public:
  // Adds V unless a vector of the same full name is there; true when added.
  bool Add(const TVEMO& V);
  bool Empty() const { return items_.empty(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The vectors still in the keeper (those gone are dropped).
  std::vector<TVEMO*> Resolve(const TLVEMO& K);
  // The vector whose full name is Title (nullptr when none).
  TVEMO* ByFullName(const TLVEMO& K, const std::string& Title);
  // Drops the entries whose vector is no longer in the keeper.
  void Prune(const TLVEMO& K);
  void Remove(const TVEMO& V);
  void Clear() { items_.clear(); }

 private:
  struct TItem {
    std::string Key, FullName;
    bool Orig = true;  // the source vector of the key, else its clone
  };
  TVEMO* Find(const TLVEMO& K, const TItem& I) const;
  std::vector<TItem> items_;
};

// ---- deletes: each drops the deleted vectors from Edited too; they return the count deleted ----
int32_t VemoDelete(TLVEMO& K, TEditedVectors& Edited, const std::vector<TVEMO*>& Vectors);
int32_t VemoDeleteModels(TLVEMO& K, TEditedVectors& Edited, const std::vector<std::string>& Models);
int32_t VemoDeleteLineVectors(TLVEMO& K, TEditedVectors& Edited);
// The Models tab's delete of row 2: model, NAME and FMOD F (-1 all formats, only without NAME);
// the always-shown text into Msg (empty when nothing is done).
int32_t VemoDeleteRow2(TLVEMO& K, TEditedVectors& Edited, const std::string& Model,
                       const std::string& Name, const std::string& FMODText, int32_t FMODSetting,
                       std::string& Msg);

// "Draw" of the VEMO table: the X vector (KX above 0) and the Y vector among the marked rows.
// False with the message when there is not exactly one of each, or their sizes differ.
bool VemoDrawPair(const std::vector<TVEMO*>& Marked, TVEMO*& X, TVEMO*& Y, std::string& Msg);

// "Calc:" of the VEMO table: q the first word of the combo's text, FMOD and the model as the
// selectors give them; D the derivative-scale box. The vector made, or nullptr with Msg.
TVEMO* VemoCalc(TLVEMO& K, const std::string& Q, const std::string& Model, int32_t FMOD, bool D,
                double Lam, std::string& Msg);

// What a job over the keeper may have to undo: the vectors there at the start and their values.
// Restore deletes the vectors added since and puts the values of the others back (a cancelled or
// failed job leaves the keeper as it was).
class TKeeperUndo {
 public:
  explicit TKeeperUndo(TLVEMO& K);
  void Restore();

 private:
  struct TSaved {
    TVEMO* V = nullptr;
    TARe A;
    int32_t N = 0;
    uint32_t KA = 0, TCalc = 0;
    std::string sED;
    uint8_t KEd = 0;
  };
  TLVEMO& K_;
  std::vector<TSaved> saved_;
};
