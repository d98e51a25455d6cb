// The Kurucz import of the Start tab: "Load KurLines" copies the neutral and singly ionised lines
// of a wavelength range from the band files into table "KurLines"; "Test KurKey" lists lines
// whose short key repeats the line before them. Both are jobs.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TDM;
class TStringList;
class TLIDA;

// What LoadKurLines did.
struct TKurImportResult {
  int32_t Added = 0;    // records posted
  int32_t Present = 0;  // lines of the range found already
  int32_t Skipped = 0;  // stage above 2, atom 68 or more
  int32_t Bad = 0;      // lines that could not be read (reported as warnings)
};

// Imports the lines From..To (Å) into D's table "KurLines" in one transaction: a cancel or a
// failure leaves the table as it was. A line that cannot be read is reported (file, line number,
// field) and the rest is imported; an existing Id is left alone, so a repeat adds nothing.
// True when the import ran to its end.
bool LoadKurLines(TJob& Job, TDM& D, double From, double To, TKurImportResult& Result);
// The key of Check_KurKey: "at_" + symbol + " lam_" + wavelength part + "el_" + energy part.
std::string KurKey(const TLIDA& Line);
// Lists "Id key" of every line whose key repeats the line before it (no upper NLTE index, no
// hyperfine notes), from the start of the band file of From up to To. False when a line could
// not be read (the list is then not complete).
bool CheckKurKey(TJob& Job, double From, double To, TStringList& Result);

// The Start tab's buttons: the range of "LAMB от"/"LAMB до" run in place on DM (warnings to the
// sink, the list of Test KurKey to the editor).
void LoadKurLinesStart();
void CheckKurKeyStart();
