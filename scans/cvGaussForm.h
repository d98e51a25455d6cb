// The Test tab's Gauss-fit group as texts: the exchange between its fields and a TCurI, the wing
// section ("Bi"), the field conversions, the line switch's start values and the buttons' runs.
// The tab copies its controls into a TGaussForm (control name -> text; check boxes "1"/"0"),
// runs a routine here and writes the texts back; the harness does the same on the design texts.
// Messages are warnings (WARNAbs) with the texts the tab shows.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "scans/cvCurISetup.h"

class TCurI;
class TJob;

using TGaussForm = std::map<std::string, std::string>;

// The group's design texts (every control the exchange reads or writes).
const TGaussForm& GaussFormDefaults();

// The fields of the texts (real and integer fields read as ValReal/ValInt read them; the pixel
// labels -1 and the wing crossings 0 when they are not numbers).
void GaussFieldsFromForm(const TGaussForm& F, TCurIFields& G);
// The current line of the form: L0 from edILam6301, line 2 above 56.5.
void CurILineFromForm(TCurI& C, const TGaussForm& F);
// The whole form into C (the fields record of S filled from F first; FIOutMemo is S's own and
// stays). False when the wing crossings are missing (with the message).
bool SetupCurIFromForm(TCurI& C, TCurISettings& S, const TGaussForm& F);
// The current record into the texts, then stored into its line's slot.
void CurIToForm(TCurI& C, TGaussForm& F);

// "Bi": the section of C's profile (pixels 1..112) between edILam1_1 and edILam1_2 at the mean
// level of its wing stretches; the level, crossings and wing labels into F. False (with a
// warning) for a range outside 1..112 or reversed; false silently without a full profile.
bool WingSection(const TCurI& C, TGaussForm& F);

// Field conversions of the current line (cb_6301_02): ed_H_Gs -> edGSdlh, edGSdlh -> lb_B6301;
// texts that are not numbers leave the target alone.
void HGsToDLH(TGaussForm& F);
void DLHToB(TGaussForm& F);

// The default start centre of the line of cb_6301_02 (30.0 or 76.8).
double DefaultL0(const TGaussForm& F);
// The line switch's form part: the centre text (L < 0: kept), the search range; true for line 1.
bool SwitchLineTexts(TGaussForm& F, double L);
// "ReStart"'s form part for the start centre L; then the splitting from ed_H_Gs.
void RestartTexts(TGaussForm& F, double L);

// What a run needs of the window: the profile from the editor ("Load I"; false when none) and
// the drawing of both lines (may be empty).
struct TGaussEnv {
  std::function<bool(TCurI&)> LoadFromEd;
  std::function<void()> Draw;
};

// One button of the group on C with the form F:
//   "doop" (code of cbGSop), "report", "ajst", "D6k3", "b6k3", "bDk3", "bHk3", "xD", "H41",
//   "back", "loop", "cog", "bi".
// "loop" runs here only while Job is null or the job goes on (cancel between repeats). False
// when the button stopped early (its message given). Unknown names raise.
bool GaussFormRun(TCurI& C, TCurISettings& S, TGaussForm& F, const std::string& Op,
                  const TGaussEnv& Env, TJob* Job = nullptr);
// The repeats of the operation list after SetupCurIFromForm (loop's middle part, for a job on a
// copy): false when cancelled.
bool RunCodeListRepeats(TCurI& C, TJob* Job);
