// Level filters and masks: a filter lists value intervals (levels) of one map; every combination
// of one level per filter selects the map pixels whose values lie in the chosen intervals (both
// bounds inclusive). Level texts ("10 20 30" gives [10,20] and [20,30]; a comma right after a
// number ends a chain: "10 20, 40 50" gives [10,20] and [40,50]), the stepping through the
// combinations (a mixed-radix counter, position 0 fastest), the byte mask of one combination, a
// small stack of masks, the filter state the maps read, and the session grid's column filters.
// Reports go through WARNAbs.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

class TFIOut;
class TStringList;

class TsNaFilt {
 public:
  std::string Na;      // name of the map the filter tests
  TARe ALo, AHi;       // bounds of each level, from index 0
  bool bAbs = false;   // test the absolute value
  bool bHist = false;  // bounds on the histogram (not worked out: reported, plain bounds apply)

  int32_t Count() const { return static_cast<int32_t>(std::min(ALo.size(), AHi.size())); }
  // The bounds of level I (0-based); 0 and a report outside the levels.
  void LevelsI(int32_t I, double& Lo, double& Hi) const;
  // "[" + low + "_" + high + "]", 6 significant digits.
  std::string LevelText(int32_t I) const;
};

// A filter list; the maps it tests are a second list in the same order (filter k tests map k).
using TFiltList = std::vector<std::unique_ptr<TsNaFilt>>;
using TFiltMaps = std::vector<TFIOut*>;

// ---- building filters ----
// Parses the level text (numbers only) into a new filter appended to L; nothing for an all-blank
// map name or a text of fewer than two words, nothing (reported) for a bad text.
void MakeListFilt(TFiltList& L, const std::string& MapName, const std::string& Text, bool Abs,
                  bool Hist);
// The number of levels the text defines (numbers or the letters D and U, pairs per field).
int32_t CountFiltLevels(const std::string& Text);
// One line per level, its two bounds separated by a blank; nothing for an invalid text.
std::unique_ptr<TStringList> FiltSpecToSL(const std::string& Text);
// Line N (1-based) of FiltSpecToSL; "NIL" for an invalid text; a note when there are fewer.
std::string FiltSpecWord(const std::string& Text, int32_t N);
// For each filter k: Na + "[" + low + "%" + high + "]" (8 significant digits) + Y/N of bAbs +
// Y/N of bHist, joined by "+".
std::string FiltListText(const TFiltList& L, const TAIn& Index);

// ---- stepping through the combinations ----
// Advances Index by one step; the highest position that changed, or the length when it wrapped
// to all zeros (an empty vector: 0 at once).
int32_t NextLevelIndex(TAIn& Index, const TAIn& Limits);
// Index := zeros (the length of Limits), advanced N - 1 times when N > 1; the last result of
// NextLevelIndex (0 when it was not called).
int32_t ResetLevelIndex(int32_t N, const TAIn& Limits, TAIn& Index);
// The 1-based level numbers of up to three filters of A, B and C levels (0 for an absent filter,
// count not positive) at combination N (1-based); N = 0 gives all 0.
void LevelIndexAtStep(int32_t N, int32_t A, int32_t B, int32_t C, int32_t& La, int32_t& Lb,
                      int32_t& Lc);

// ---- masks ----
bool FiltPixelPasses(const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index, int32_t X,
                     int32_t Y);
// Mask := nX x nY zeros, 1 at the pixels of [XLo..XHi] x [YLo..YHi] that pass; Count their
// number. The ranges are clamped to the mask and to every map (pixels outside stay 0). With
// Keep, the state's Text := FiltListText, else it is emptied.
void MapFiltMask(bool Keep, int32_t NX, int32_t NY, int32_t XLo, int32_t XHi, int32_t YLo,
                 int32_t YHi, const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index,
                 TAByBy& Mask, int32_t& Count);
// MapFiltMask without the filter state: a job's walk makes its masks this way.
void MaskOfLevels(int32_t NX, int32_t NY, int32_t XLo, int32_t XHi, int32_t YLo, int32_t YHi,
                  const TFiltMaps& Maps, const TFiltList& L, const TAIn& Index, TAByBy& Mask,
                  int32_t& Count);
void MaskZero(int32_t NX, int32_t NY, TAByBy& Mask);

// A stack of masks: created on the first push; an empty mask (no rows or an empty first row) is
// not pushed. Get gives a copy, or an empty mask when the list is missing or I is not below the
// count. Free leaves the variable empty.
using TMaskStack = std::vector<TAByBy>;
void MaskStackPush(const TAByBy& Mask, std::unique_ptr<TMaskStack>& List);
void MaskStackGet(const TMaskStack* List, int32_t I, TAByBy& Mask);
void MaskStackFree(std::unique_ptr<TMaskStack>& List);

// ---- the filter state the maps read (one per program, in the scan services) ----
struct TFiltState {
  int32_t State = -1;     // -1 no filter, 0 filters given and no valid mask, 1 Mask valid
  TAByBy Mask;            // FiltMask: the current combination's mask, [x][y]
  int32_t MaskN = 0;      // FiltMaskN: its passing pixels; also of the last FilteredMinMax
  int32_t StepCount = 0;  // FiltStepCount: the number of combinations
  int32_t Step = 0;       // FiltStep: the current one, 1-based
  std::string Text;       // FiltText: the current combination's text
};

// ---- the session grid's column filters ----
struct TSesFltRec {
  std::string Name;
  double Lo = 0, Hi = 0;
  int32_t Col = 0;
};

class TSesFltLst {
 public:
  std::vector<TSesFltRec> Items;
  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  // Empties the list, then one record per line of four words (name, low, high, index) whose
  // last three all parse; other lines are skipped. A missing list is reported.
  static void Fill(TSesFltLst* L, const TStringList& Lines);
  static void Clear(TSesFltLst* L);
};
