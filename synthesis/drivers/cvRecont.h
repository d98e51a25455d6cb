// Further drivers on the machinery of doCONT:
// - RECONT: the profiles of every combination of the working variator computed again with the
//   model, accuracy, Voigt method, output grid and wavelength settings an earlier synthesis left
//   in the calculation state (line preparation and the grid driver only, no model loading);
// - doKurucz: a synthesis over catalogue lines ("#LIN" holds their Ids), one combination per
//   line, listing the lines whose computed central depth is noticeable;
// - doHEIGHTS: doCONT for a single model.
// Each takes the job context: progress per combination, cancel between combinations (profiles
// made stay). The trace mask is restored on every exit.
//
// Also here: what doCONT does around its combinations with the project's line dump and the
// Voigt method's name. The automatic grid STESAUTO is in cvEqd.h.
#pragma once
#include <memory>
#include <string>

#include "synthesis/drivers/cvEqd.h"

class TJob;
class TLUNNO;
class TStringList;
class TUNNO;
class TVARIATOR;

// The profiles of the working variator's quest and step in List are replaced. False when
// cancelled.
bool RECONT(TJob& Job, TLUNNO& List);
// Lines of ionisation stage above 2 leave "#LIN" (NK shrinks for good). Result is cleared and
// gets one line per noticeable line ("<LAMB, 4 decimals> d=<central depth, 4 digits>"). False
// when an Id gives no line (the run ends there), nothing is left to compute, or on cancel.
bool doKurucz(TJob& Job, TLUNNO& List, TStringList& Result);
// doCONT when "#MOD" has at most one value; else a warning and nothing computed (false).
bool doHEIGHTS(TJob& Job, TLUNNO& List, const std::string& ResultFile, bool Append);

// The result line of doKurucz for a line at Lamb of central depth D0; empty when |D0| < 5E-5.
std::string KuruczEntry(double Lamb, double D0);

// The project's line dump of the current quest read into the loaded-line list (before a run)
// and written back from it (after a run that ended normally).
void LoadLineDump();
void SaveLineDump();
// The name of the Voigt method now in force written into "VOIGT" of the current combination
// (when the variator has the key).
void WriteBackVoigtName(TVARIATOR& V);

