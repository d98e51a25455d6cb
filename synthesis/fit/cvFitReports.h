// Small services around the line data of a synthesis: the line report of every combination of
// the working variator (run words REP_LINES, LINEREPORT), the table of the Voigt and
// Faraday-Voigt functions (VOIG), the short label of a line (element, ion stage, wavelength) and
// the write-back of equivalent widths and central depths into the line database (FillWD, the
// Unno tab's reference-model buttons).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvLink.h"

class TDM;
class TJob;
class TStringList;
class TUNNO;

// Appends the line report of every combination of the working variator to Report (one job
// step per combination; a cancel ends the report there). Without a list: a box.
void VariLineReport(TJob& Job, TStringList* Report);

// The 42 lines of the Voigt table: H by Humlicek and F by the current method for
// a = 0, 0.005, 0.02, 0.1, 0.5 and v = 2.0 .. -2.0.
void VoigTable(TStringList& Lines);

// Element padded to 2, the ion stage (" I", " II", " III", " 4" ...), padded to 6 (a blank added
// when the sixth character is not one), then the wavelength FSt(8, 3) with trailing zeros
// blanked: ("Fe", 1, 6302.5) -> "Fe I  6302.5  ".
std::string ATNILAStr(const std::string& Element, int32_t Stage, double Lamb);
// The label of a database line (table "Lines_", field LIN6 = Key); element "**", stage 1 when
// the key is not there. An empty key is warned about.
std::string GetATNILA(TDM& D, const std::string& Key, double Lamb);

// After Job.Ask (Yes), the fields "W" + Code and "D" + Code of the "Lines_" records whose LIN6 is
// a profile's line get its equivalent width of I (mA) and 100 x its central depth, both rounded
// to 2 decimals, in one transaction: a database error (a missing field) or a cancel leaves the
// table as it was. False when nothing was written (No, a cancel, an error).
bool FillWD(TJob& Job, TDM& D, const std::string& Code, const std::vector<TUNNO*>& Profiles);
// The link the Unno tab's reference-model buttons call (FillWD once the synthesis start-up ran).
TLink<bool(TJob&, TDM&, const std::string&, const std::vector<TUNNO*>&)>& FillWDLink();

// The fitting's providers: the synthesis services' LineLabel (GetATNILA on the program's data
// module) and FillWDLink.
void InstallFitServices();
