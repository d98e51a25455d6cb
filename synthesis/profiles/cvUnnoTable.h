// The profile table of the Unno tab without its grid: the 127 columns (creation order, display
// position, group), the fill of the rows from the profile list and the variator list (filters,
// variable-field slots, paging, the thirteen column groups), the pager and keyboard arithmetic,
// the selected cell's descriptor, the blur-unit conversion, the contribution-function checks and
// the text reports. The tab hands its controls' texts in and draws what comes out; the harness
// ("unno-table") and the tests drive the same code.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/cvStrList.h"

class TLUNNO;
class TLVARI;
class TUNNO;
class TJob;

// Column groups (which switch shows and fills a column).
enum TUnnoGroup : uint8_t {
  UG_Base,  // always filled and shown
  UG_TT,
  UG_K,
  UG_T,
  UG_W,
  UG_M,
  UG_D,
  UG_WH,
  UG_R,
  UG_L,
  UG_DD,
  UG_b,
  UG_b9,
  UG_B,
  UG_None  // never filled, never shown
};

struct TUnnoColumn {
  const char* Name;     // GxU...
  const char* Caption;  // UTF-8 source text; UnnoCaption gives the program's code page
  char Kind;            // 'T' text, 'N' number
  TUnnoGroup Group;
  int Pos;           // display position
  bool FormVisible;  // visible in the form before any group button acts
};

constexpr int kUnnoColumns = 127;
constexpr int kUnnoSlots = 12;
// Column by creation index (the grid's column index).
const TUnnoColumn& UnnoColumn(int Index);
// Its caption in code page 1251.
std::string UnnoCaption(int Index);
// Creation index of a column name; -1 when none.
int UnnoColumnIndex(const std::string& Name);
// Creation index of the variable-field column of slot N (1..12).
int UnnoSlotColumn(int N);

// The thirteen group switches, in the order of the buttons.
enum TUnnoSwitch : uint8_t { US_K, US_T, US_TT, US_W, US_M, US_D, US_WH, US_R, US_L, US_DD, US_b, US_b9, US_B, US_Count };
struct TUnnoButton {
  const char* Control;  // btUnnoK ...
  const char* Key;      // "Common" key
  bool Restored;        // restored at the first showing of the tab
  TUnnoGroup Group;
  std::vector<const char*> Columns;  // the first one decides
};
const TUnnoButton& UnnoButton(TUnnoSwitch S);

// What the fill reads of the tab's controls.
struct TUnnoFillIn {
  std::array<bool, US_Count> On{};
  bool Paged = true;
  int32_t PageRows = 10;
  std::string sVariFilter;
  bool sVariFilterOn = false;
  std::vector<std::pair<std::string, std::string>> ParamFilter;  // checked (key, value) rows
  std::string SplitMin = "0", SplitMax = "0", DLam = "0";
  std::string LevelMode = "1", Level = "0.50";
  std::vector<std::string> Quests, Lines;  // checked rows of the two filter grids
  // the line measurements' "B" inputs (the Test tab's fields)
  double WLine = 0.1;
  int32_t KMul = 2;
};

// The page and selection state the tab keeps between fills.
struct TUnnoPageState {
  int32_t FirstRow = 0;  // from 1 among the passing profiles; 0 = not set
  int32_t CurRow = -1;   // within the page; < 0 none
  int32_t CurCol = 0;
  int32_t Page = 1;
  int32_t PageRows = 10;
  int32_t RowCount = 0;
};

enum class TUnnoStop { None, BadDLam, BadLevelMode, BadLevel };

struct TUnnoFillOut {
  TUnnoStop Stop = TUnnoStop::None;
  bool RowsCleared = false;  // false only when the fill ended before removing the rows
  // texts the edits show afterwards
  std::string SplitMin, SplitMax, DLam;
  std::string FirstRowText;  // edngUNNOstr1 when the fill changed it (else empty)
  std::array<std::string, kUnnoSlots> Slots;
  bool AnyProfile = false;
  bool IQUV = false;
  std::vector<std::vector<std::string>> Rows;  // kUnnoColumns texts each, creation order
};

// The fill (ngUnnoFill without the grid). Nothing happens without a list. A listed profile
// without a variator, or with KVARI beyond its NK, is fatal before any row is made (Rows empty).
void UnnoFill(TLUNNO* List, TLVARI* LVARI, const TUnnoFillIn& In, TUnnoPageState& P,
              TUnnoFillOut& Out);

// Visibility of the Stokes-dependent columns (ShowUnnoIQUVColumns): (column, visible) pairs.
std::vector<std::pair<int, bool>> UnnoIQUVColumns(bool IQUV, const std::array<bool, US_Count>& On);

// The columns a table of those switches shows after the fill (creation order): KV, sVari (unless
// a slot holds a key), the slots with keys, the switched-on groups less what IQUV hides.
std::vector<int> UnnoShownColumns(const TUnnoFillOut& Out, const std::array<bool, US_Count>& On);

// ---- pager and keys ----
// SyncUnnoPage: the page of the current row; true when it changed (the spin edit then shows it).
bool UnnoSyncPage(TUnnoPageState& P);
// edngUNNOpageChange for the spin edit's new value Np. Select: the cell to select afterwards (-1
// none). The caller refills before selecting.
void UnnoPageChange(TUnnoPageState& P, int32_t Np, int32_t& SelectRow);
// Up/Down: Refill when the window moved by one profile (then select (CurCol, CurRow)).
void UnnoKeyUp(TUnnoPageState& P, bool& Refill);
void UnnoKeyDown(TUnnoPageState& P, bool& Refill);

// A field's text as a number (blanks around it allowed); false for an empty or bad text.
bool UnnoNumber(const std::string& S, double& X);

// ---- the selected cell ----
struct TUnnoSIdFields {
  std::string Blur, BlurUnit, DLam, Level, LevelMode, SplitMin, SplitMax, RStep;
};
// edsId for the column captioned Caption.
std::string UnnoSIdDescriptor(const std::string& Caption, const TUnnoSIdFields& F);
// "GxU*Vari": the column is a parameter column.
bool UnnoIsParamColumn(const std::string& Name);

// cbUnnoBlurChange: the width X converted at wavelength Lambda (A) to km/s (ToKm) or mA; false
// (nothing converted) unless Lambda >= 100 and X > 0.
bool UnnoBlurConvert(const std::string& LambdaText, const std::string& XText, bool ToKm,
                     std::string& Result);

// ---- contribution functions (btCFRF) ----
struct TUnnoRowRef {
  int32_t Idx = 0;  // LUNNO index
  std::string Quest;
  int32_t IQ = 0;
  std::string sVari;
};
// The checks on the rows of the first row's quest step; the warning text, empty when they pass.
std::string UnnoCFRFCheck(const std::vector<TUnnoRowRef>& Rows);
// The whole operation as a job: checks, the column lookup (Captions: the grid's header captions
// in creation order), the extraction per slice for the quest step of the first row's profile
// (the one the checks ran on) and the vectors stored.
// Stored: the names of the vectors stored.
void UnnoCFRF(TJob& Job, TLUNNO& List, TLVARI& LVARI, const std::vector<TUnnoRowRef>& Rows,
              const std::vector<std::string>& Captions, const std::string& SId,
              const std::string& Filter, const std::vector<std::string>& Quests,
              const std::vector<std::string>& Lines, std::vector<std::string>& Stored);

// ---- reports ----
// The table dump: header captions and row texts of the visible columns (creation order).
std::unique_ptr<TStringList> UnnoTableDump(const std::vector<std::string>& Captions,
                                           const std::vector<std::vector<std::string>>& Rows);
// One quantity over the rows' profiles (LUNNO indexes); Key as ngStoPar's first row. Empty Rows:
// nullptr with a warning.
std::unique_ptr<TStringList> UnnoQuantityTable(TLUNNO& List, TLVARI* LVARI,
                                               const std::vector<int32_t>& Rows,
                                               const std::string& Key);
// The programmable report (cbUReport option, edUnnoRStep text) over the rows' profiles.
std::unique_ptr<TStringList> UnnoCustomReport(TLUNNO& List, const std::vector<int32_t>& Rows,
                                              const std::vector<std::string>& SVari,
                                              const std::string& Option, const std::string& RStep);
