// The Start tab's clean-ups of the line tables over a wavelength range: clear "KurLines",
// merge the hyperfine components of Co, Cu, Mn, Sc, V and Eu into one record per line, delete the
// lines weak in both reference models, delete or list the lines of the heavy elements of
// "Lines_" and its records that repeat the record before them.
//
// Each is a job over one transaction: a cancel or a failure leaves the tables as they were. A
// clean-up that deletes asks once before deleting (the count and the condition); a "no" deletes
// nothing. An empty condition is refused where it would delete every record. Filter values are
// bound, never written into the filter text. The report of what was removed is saved in "LIN/"
// below the application root and given as one warning.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "linedata/cvTable.h"

class TJob;
class TDM;
class TStringList;

// A filter: its text as shown in reports, the text with "?" marks for the table and the values.
struct TLambCond {
  std::string Shown;
  std::string Sql;
  std::vector<TcvValue> Params;
  bool Empty() const { return Sql.empty(); }
};

// The range condition of two field texts: a text that is no number or is 0 drops its bound;
// "(LAMB > A AND LAMB < B)" with both, "(LAMB > A)" or "(LAMB < B)" with one, empty with none.
TLambCond LambFilter(const std::string& A, const std::string& B);
// Its shown text.
std::string LambFilterStr(const std::string& A, const std::string& B);
// " AND " + the condition, or empty.
std::string AndLambFilter(const std::string& A, const std::string& B);

// What a clean-up did.
struct TCleanupResult {
  int32_t Deleted = 0;   // records removed
  int32_t Merged = 0;    // records rewritten to carry a group (hyperfine)
  int32_t Reported = 0;  // records listed in the report
  std::string ReportFile;  // the saved report ("" when none)
};

// "Clear KurLines": the records of the range. Refuses an empty range.
bool ClearKurLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                   TCleanupResult& R);
// "Проверить HyperFine Lines": one record per group of hyperfine components.
bool DelHyperFineLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                       TCleanupResult& R);
// "Удаляем слабые HM и CV линии": records below both depth minima (a minimum that is no number
// adds no condition; 0 or less means 0.01). Refuses an empty condition.
bool DelKurDummyLines(TJob& Job, TDM& D, const std::string& A, const std::string& B,
                      const std::string& MinHM, const std::string& MinCV, TCleanupResult& R);
// "Проверить линии эт-тов > 68": the lines of Tm .. U, deleted or only listed.
bool DelHeavyLines(TJob& Job, TDM& D, const std::string& A, const std::string& B, bool Delete,
                   TCleanupResult& R);
// "Проверить дубли Lam,Elow,gf": records repeating LAMB, ELOW and LGGF of the record kept before
// them (in that order), deleted or only listed.
bool DelDubleLines(TJob& Job, TDM& D, const std::string& A, const std::string& B, bool Delete,
                   TCleanupResult& R);

// The hyperfine merge of one group: shift differences (mK) and fraction texts (lg of the shares
// as positive numbers) in record order; out the merged differences and fractions (equal
// differences summed into the first), the sHFS text and the total fraction.
struct THfsMerge {
  std::vector<int64_t> Shifts;
  std::vector<std::string> Fracs;
  std::string sHFS;
  double Total = 0;
};
THfsMerge MergeHfsGroup(const std::vector<int64_t>& Shifts, const std::vector<std::string>& Fracs);
