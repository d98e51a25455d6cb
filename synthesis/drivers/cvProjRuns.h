// Project runs: a quest's control file "ONE\<quest>.DAT" of the project folder loaded into the
// variator list, its steps made the working variator one by one and run through the dispatcher
// (RunAlg); the automatic central-depth run over the lines of a wavelength range; the
// reference-model runs of one line (central depths and equivalent widths in HOLMU and CV) that
// the line data reach through their services' RunVARI link.
//
// Every run is a job: progress and cancel through the job context, warnings into it, nothing
// shown from here. The text results of a quest go back to the caller (TQuestText) for the
// editor. The current quest (the services' Quest) is set for a run and restored on every exit.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStrList.h"

class TDM;
class TJob;
class TLIDA;
class TLUNNO;

// The collected text results of a quest run and the title they are shown under.
struct TQuestText {
  TStringList Text;
  std::string Title;
};

// "<project folder>ONE/<name>.DAT" (found in any letter case).
std::string QuestFile(const std::string& Name);

// Loads the quest's control file and makes its last step the working variator (none when the
// file gives no step). False when the file is missing (warned).
bool LoadVARI(const std::string& Name);
// Loads the quest's control file and runs every step (RunQuest). False when the file is missing
// (warned) or the run was cancelled.
bool LoadAndRunOne(TJob& Job, const std::string& Name, TLUNNO& List, TQuestText& Out);
// Runs every step of quest Name in list order (steps of other quests are skipped; the working
// variator ends on the list's last entry). Each step's use counters are cleared before its run;
// after it the keys nothing read are removed from the step, except varied ones (the profiles are
// numbered by its grid): those are kept and named in one warning. Stops at a cancel. The result
// files of its steps take their new text only when the last step is done (TResultFiles): a
// cancelled or failed run leaves them as they were.
void RunQuest(TJob& Job, const std::string& Name, TLUNNO& List, TQuestText& Out);
// Makes list entry Index (0-based) the working variator; its "#RUN" word with KIdx 1, or empty
// when the entry belongs to another quest than the current one (or Index is outside the list).
std::string SelectVARIStep(int32_t Index);
// Runs the working variator's "#RUN" word once; text results are appended to Result when given.
// Without a working variator only warns.
void RunVARI(TJob& Job, TLUNNO& List, TStringList* Result);

// The central depths (x 100, fields "dHM" and "dCV") of the "KurLines" records of the range
// From..To (the Start tab's field texts) in HOLMU and CV, written in one transaction. The
// control text is "ONE/Default.DAT" of the application root. The profiles of quest "AUTO_d0" go
// into List. False when nothing was written (a missing file, no step, no record, a cancel).
bool CalcD0KurLines(TJob& Job, TDM& D, TLUNNO& List, const std::string& From,
                    const std::string& To);

// A reference-model run of one line: Quest "d0HMCV" gives the central depths, "W_HMCV" the
// equivalent widths (mA) in HOLMU and CV. The variator is built from "ONE/default.dat" of the
// application root and becomes the width variator VARIWHM; the working variator is restored.
// Runs inside the calling thread's job (or a job of its own). False (warned) when it could not.
bool ReferenceRun(const std::string& Quest, TLIDA& Line, double& HM, double& CV);
// ReferenceRun installed as the line data's RunVARI link.
void InstallReferenceRuns();
