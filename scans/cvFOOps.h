// The FITS tab's map operations without the window: the map-definition list ("FO.txt") and the
// calculation of a named map from it (CalcFO, installed as the scan services' CalcFO link), the
// batches of definition lines, erasing maps from the session's own output file, and the rows of
// the map list (ngFIO) made from the registry.
// All of it works on the registry of the scan services (GUI thread, or a job the window waits on).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFIOut;
class TJob;
class TLFIOut;

namespace foops {

// ---- the definition list ----
// The kept lines of "FO.txt" (blanks removed, comments cut, "$" names skipped), shared by the
// tab and the harness; CalcFO reads it.
std::vector<std::string>& FOLines();
// The first line whose text before "=", trimmed, equals Name; empty when none.
std::string FODefinition(const std::vector<std::string>& Lines, const std::string& Name);

// One map of a session from a definition line or a map name:
//  - a name (no "="): nothing more when the own output file or the inversion-result file holds
//    it (it is registered); else its definition line, or Ok false with the warning;
//  - a line NAME=expression: evaluated (FOOperN); a first operand that is a number sets Number
//    ("НЕ ДОПИСАНО 6843", nothing registered); a result is named NAME, kind 1, no source
//    character, kLoad bit 8, its statistics made, and registered in place of an earlier
//    unwritten map of that name and session.
// The map registered (or loaded), null otherwise.
TFIOut* CalcFO(const std::string& Text, const std::string& Da, const std::string& Ti, bool& Ok,
               bool& Number);
bool CalcFOByName(const std::string& Text, const std::string& Da, const std::string& Ti);
// The scan services' CalcFO link set to CalcFOByName (over FOLines()).
void InstallCalcFO();

// The text of a memo or file line to run: before "!", trimmed.
std::string RunText(const std::string& Line);
// Runs lines for a session as a job (one step per line). StopAtFalse: the first line CalcFO
// refuses ends the run ("New FOs"); else every line runs ("Auto FOs"). Cancel between lines.
// The number of lines that gave a map.
int32_t RunFOLines(TJob& Job, const std::vector<std::string>& Lines, const std::string& Da,
                   const std::string& Ti, bool StopAtFalse);

// ---- erasing maps from the own output file ----
// Cuts the maps' blocks (extension header, data and padding up to the next extension, as the
// file's extension directory gives them) out of their files: each file once, through a copy
// renamed over it (Backup: the old file kept under its backup name). A map without a place in a
// file gives the conditional warning and leaves the registry; a map of another file kind is
// refused. Afterwards every own-file map of each cut file's session is freed and the file read
// again (so no map keeps an old offset). False when nothing was cut or a reload failed.
bool EraseMaps(const std::vector<TFIOut*>& Maps, bool Backup);
// The block [Start, End) of extension Name in a map file; false when the file has no such map.
bool MapBlock(const std::string& File, const std::string& Name, int64_t& Start, int64_t& End);

// ---- rows of the map list ----
// The texts of one row of ngFIO in column order: Data, Date, Time, k, Da_Ti, N, Name, Ver, w,
// Var, №.
using TFIORow = std::array<std::string, 11>;
// One row per live registered map whose session is on (Sessions empty: every session).
struct TFIOSessionOn {
  std::string DaTi;  // yyyymmdd_hhmmss
  bool On = true;
};
std::vector<TFIORow> FIORows(const TLFIOut& Reg, const std::vector<TFIOSessionOn>& Sessions,
                             std::vector<TFIOut*>* Maps = nullptr);
void FIORowOf(const TFIOut& M, TFIORow& Row);

// ---- variables of maps ----
// "{name} {letter}" per distinct name among the registry's maps that carry a variable.
std::vector<std::string> FIOVarList(const TLFIOut& Reg);
// The first candidate letter ("A".."Z", "a".."z", "А".."Я", "а".."я") that no used variable
// starts with; 0 when all are taken.
char FreeVarLetter(const std::vector<std::string>& UsedVars);

}  // namespace foops
