// The calculation stages of a session and the RUN queue, as the FITS tab and the harness run
// them. A stage links the session's scan, runs its map run (a job: progress, cancel) and saves
// the maps the run made into the session's own output file (started with its main header when
// missing). The result maps pass through the registry only while they are saved: afterwards the
// registry holds what it held before plus the inputs the stage loaded. A cancelled or failed
// stage saves nothing and leaves the file as it was (a file it started is removed again).
// The cases of the RUN queue are marked by what the session's own output file holds.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TJob;
class TLFITS;
class TStringList;

namespace fitsruns {

// What a stage reads of the tab (the fields of the scan options, the level of Ldxx, the
// filtergram fields through the scan services' calculation fields).
struct TRunCtx {
  std::string Session;  // yyyymmdd_hhmmss
  TLFITS* Scan = nullptr;
  std::string LCxx = "0.50";  // ed_LCxx
  double W1 = 350, W2 = 350, KRC = 1, Smooth = 90;
  bool Light = true;
  // The scan's report lines (memoHH), when given.
  TStringList* Memo = nullptr;
  // The maps the stages saved, per case run (name lists), and the cases run, in order.
  std::vector<std::string> Saved, Ran;
};

// The items of the case combo, in order.
const std::vector<std::string>& RunCases();
// The mark of every case for a session: true when the session has it (by the own output file's
// extension names and main-header keys; CV false: only "1Ldxx" is pending).
std::vector<bool> CaseMarks(const std::string& Session, bool CV = true);
// The case names marked with "*" as the combo shows them, and the first unmarked one (empty when
// every case is marked).
std::vector<std::string> MarkedItems(const std::vector<bool>& Marks);
std::string FirstPending(const std::vector<bool>& Marks);

// The session-constant stages "23_CB0", "3.5_List", "BML" (CB0 and VW1/VW2, the area summary, the
// largest fields; scans/cvSessionConsts.h), by name; tests may put their own in.
using TStageHook = std::function<bool(TJob& Job, TRunCtx& Ctx)>;
std::map<std::string, TStageHook>& StageHooks();

// The folder of the session's scan, the scan linked to it (emptied when it held another
// session) and its headers read (a second read only a conditional warning naming Who).
bool PrepScan(TJob& Job, TRunCtx& Ctx, const std::string& Who);

// ---- stages (false: stopped, with the message; nothing saved) ----
bool StageCONT(TJob& Job, TRunCtx& Ctx);
bool StageLdxx(TJob& Job, TRunCtx& Ctx);
bool StageLW(TJob& Job, TRunCtx& Ctx);
bool StageDFull(TJob& Job, TRunCtx& Ctx);
bool StageDH(TJob& Job, TRunCtx& Ctx);
bool StageIV(TJob& Job, TRunCtx& Ctx, bool Fine);
bool StageFilt(TJob& Job, TRunCtx& Ctx);
bool StageKVI(TJob& Job, TRunCtx& Ctx);
bool CaseWIQUV(TJob& Job, TRunCtx& Ctx);
bool CaseLIV(TJob& Job, TRunCtx& Ctx);

// The level text of Ldxx: round(x * 100) ("50" for 0 or an unreadable field).
std::string LdxxLevel(const std::string& Field);

// One case by its combo text (a trailing "*" removed); an unknown one gives
// "Алгоритм <{case}> не описан и не может быть запущен!" and false.
bool RunCase(TJob& Job, TRunCtx& Ctx, const std::string& CaseText);

// The pending automatic cases of the session, one after another: the marks read again after
// each; the loop ends at an empty case, at a case left for the user ("4_DFull", "5_D,H",
// "1Ldxx", "7_IV", "8_IV", "9_Filt") and, with a warning naming it, at a case that its run did
// not mark. False when cancelled.
bool AutoRunPendingCases(TJob& Job, TRunCtx& Ctx);
// The RUN queue over the sessions: a case runs for Sessions[From]; an empty case runs the pending
// automatic cases of that session and of every following one (the scan emptied between them).
// One job: cancel between cases and inside a run.
bool RunQueue(TJob& Job, TRunCtx& Ctx, const std::vector<std::string>& Sessions, size_t From,
              const std::string& CaseText);
// "_1": CONT for every session whose own output file is missing or holds no CONT.
bool ContForAll(TJob& Job, TRunCtx& Ctx, const std::vector<std::string>& Sessions);

}  // namespace fitsruns
