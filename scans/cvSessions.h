// The session archive under a data root, as the FITS tab and the harness see it: the year and
// month folders, one row of header values per session (its scan folder, its own map file, its
// inversion-result and level-2.1 files), the session panel's values, the header keys that vary
// over a scan, the map-definition list "FO.txt", the sessions' source characters, a pixel's
// Stokes selection and a header taken out into a text and written back.
// Paths are full ("/" separators); nothing here changes the process's current folder. Texts are
// code page 1251. Messages go through WARNAbs (inside a job: into its report).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TJob;
class TStringList;

namespace sessions {

// Names of 7 characters (yyyy_mm) and of at least 15 (yyyymmdd_hhmmss) made of digits and "_".
bool IsMonthName(const std::string& Name);
bool IsSessionName(const std::string& Name);
// Root joined with a name ("/" put between them when needed).
std::string Join(const std::string& Root, const std::string& Name);
// The entries of a folder sorted folders first, then by name; empty when it cannot be listed.
std::vector<std::string> ListSorted(const std::string& Folder);

// "All", the years in order of appearance, then the month folders of the root.
std::vector<std::string> MonthItems(const std::string& Root);

// yyyy_mm of a 15-character session name (empty otherwise); date and time split at the first "_".
std::string SessionYearMonth(const std::string& Name);
void SplitDaTi(const std::string& Name, std::string& Da, std::string& Ti);
// root/yyyy_mm/name.
std::string SessionFolder(const std::string& Root, const std::string& Name);
// The map file of a kind (1 own yyyymmdd_hhmm.fits, 2 inversion result yyyymmdd_hhmmss.fits,
// 3 level 2.1) of a session: root/yyyy_mm/yyyymmdd_hhmm/<file>.
std::string SessionMapFile(const std::string& Root, const std::string& Name, int32_t Kind);
// The first *.fits file of a folder by name (empty when none).
std::string FirstFits(const std::string& Folder);

// Cards of a header from byte Offset up to END (at most 600); false when the file cannot be
// read or ends first (the cards read so far stay in Cards).
bool ReadHeaderCards(const std::string& File, int64_t Offset, TStringList& Cards);

// One row of the sessions grid: the text written into each column (by the column's place in
// SessionColumns; empty: not written).
struct TSessionRow {
  std::string DaTi;
  std::vector<std::string> Values = std::vector<std::string>(44);
  std::string Cell(const std::string& Col) const;
  void Set(const std::string& Col, std::string Text);
};

// The columns' defaults of a row ("0", unchecked) are left to the grid.
struct TSessionFill {
  std::vector<TSessionRow> Rows;
  // A month folder was missing (the tab then focuses cbFITS_YM).
  bool MissingMonth = false;
  bool Cancelled = false;
};

// The rows of a choice: "All", a year (4 characters) or a month folder name. Job (may be null):
// progress per session, cancel between sessions (Out.Cancelled, the rows so far kept).
void FillSessions(const std::string& Root, const std::string& Choice, TSessionFill& Out,
                  TJob* Job = nullptr);
// The rows as text: a head line of the captions, then one line per row (values separated by
// blanks, empty cells as "0").
std::vector<std::string> SessionRowsText(const std::vector<TSessionRow>& Rows,
                                         const std::vector<std::pair<std::string, std::string>>& Cols);
// The sessions grid's columns in position order (name, caption), all 44; a column's place (-1 when
// it is none of them).
const std::vector<std::pair<std::string, std::string>>& SessionColumns();
int32_t SessionColumnIndex(const std::string& Col);

// Latitude, longitude + 90 and heliocentric angle (degrees) from XCEN, YCEN and SOLAR_RA: the
// ratios clipped to -1..1 (a zero radius counts as the centre).
void DiscPosition(double XCen, double YCen, double RSun, double& Lat, double& Long, double& Angle);
// NAXIS1 / P rounded half to even (0 when P is 0); P the positions per repetition.
int32_t Repetitions(int32_t NAxis1, int32_t NSlitPos, int32_t Bin);

// The session panel's labels (control name, text) of a session; the own file's geometry only
// when CV (rbCV) is checked; empty when the session has none of its files.
std::vector<std::pair<std::string, std::string>> SessionPanel(const std::string& Root,
                                                              const std::string& Name, bool CV);

// The key names of the first file's non-HISTORY cards whose values differ in a later file, in
// card order. Keys[i] and Values[i] are file i's lists (TFITS::HeaderKeyList / HeaderValueList).
// Values are compared by key (the n-th card of a key with the n-th of the same key); a key
// missing from a later file counts as varying. Step(k) before file k (k >= 1); false stops
// (Stopped set, the result then empty).
std::vector<std::string> VaryingKeys(const std::vector<std::vector<std::string>>& Keys,
                                     const std::vector<std::vector<std::string>>& Values,
                                     const std::function<bool(int32_t)>& Step, bool& Stopped);

// "FO.txt": the defined names and their lines; false (with the message) when the root or the
// file is missing (the lists then untouched).
bool LoadFOList(const std::string& Root, std::vector<std::string>& Names,
                std::vector<std::string>& Lines);

// Source characters "0".."9", "A".."Z", "a".."z" (slots 1..62); 0 for no slot.
int32_t SourceSlotOfChar(char C);
char SourceCharOfSlot(int32_t Slot);
// The character of Session among the rows (session, character): its own when listed (New
// false), else the lowest free one (New true); false (with the message) when all 62 are taken.
bool SourceCharOfSession(const std::vector<std::pair<std::string, std::string>>& Rows,
                         const std::string& Session, char& C, bool& New);

// The Stokes selection: the first word of the combo text; "biB", "biV", "QXi", "UXi" as they
// are, others in upper case over D, I, P, Q, U, V and "±"; false with the message.
bool ProfileSelection(const std::string& ComboText, std::string& Sel);
// The tile of pixel offset (dx, dy) in an N x N matrix: (N*N + 1) div 2 + dx + dy*N.
int32_t MatrixTile(int32_t Dx, int32_t Dy, int32_t N);
// The curve titles a selection draws (N x N: each in every tile), in drawing order.
std::vector<std::string> CurveTitles(const std::string& Sel);

// A header as the editor shows it: "file S N", "-------------------", then the cards (END last).
// Empty when the file's header cannot be read.
std::vector<std::string> HeaderText(const std::string& File, int64_t Offset);
// Writes an edited header text back (first line "file S N", S and N its last two words). The
// header at S must still hold N cards with END last; fewer cards are filled up to N with the
// cards DUMMY000.. before END; more 36-card blocks than it had are refused. The file is written
// through a copy renamed over it; Backup keeps the old file as its backup. False with the
// message (the file untouched).
bool HeaderReturn(const std::vector<std::string>& Lines, bool Backup);

}  // namespace sessions
