// The synthesis driver behind the dispatcher word CONT: every combination of the working
// variator computed (accuracy, Voigt method, model, output grid, lines, wavelength grid, line
// preparation, a new profile set, the fixed-grid driver), the profiles kept in a profile list,
// and the step's result text (its control text, then per combination its settings and its
// profiles in the profile-list text) written to the result file.
//
// Both take the job context: progress per point (and "IVARI=K/NK" for grids of six and more
// combinations), cancel between points; a cancelled run keeps the profiles made, writes no
// result file and says so in a warning.
//
// The combinations between the first and the last run on several threads
// (Synthesis().GridThreads), each worker with its own calculation context (keeper, CONT, opacity
// state, element table), a copy of the working variator and a job per combination: profiles,
// result-file blocks, warnings and test-memo lines are handed over in combination order, and the
// keys each copy read are marked in the working variator, so the result is the one-thread run's
// byte for byte. The first and the last combination run on the calling thread (the context ends
// in the last one's state); the automatic equal-depth grid, seeded by the previous combination,
// runs one after the other.
//
// The result file is never rewritten in place: the text goes into a temporary copy beside it
// ("<file>.tmp~<pid>") renamed over it at the end of the run. A run of several steps (a quest)
// holds a TResultFiles scope: its steps write and append to the copy, and only the scope's
// Commit at the end of the whole run renames it; a cancelled or failed run leaves the result
// file as it was before the run (copies of killed runs are removed by the next run).
#pragma once
#include <cstdint>
#include <map>
#include <string>

class TJob;
class TLUNNO;
class TStringList;
class TUNNO;

// One combination, the working variator's KIdx. Last: the last profile added to List (nullptr
// when the combination gave none: refused settings, a preparation that stopped, a cancel).
// Previous: the previous combination's profile, whose final red level points seed the automatic
// grid.
void doCONTstep(TJob& Job, TLUNNO& List, TUNNO*& Last, const TUNNO* Previous = nullptr);
// Every combination of the working variator; the profiles of its quest and step in List are
// replaced. The result text goes to ResultFile (appended when Append and the file exists)
// unless switch 27 of the option file "CONT" is on or ResultFile is empty. False when cancelled
// (no file written).
bool doCONT(TJob& Job, TLUNNO& List, const std::string& ResultFile, bool Append);
// The title line of the option file "CONT" as the last doCONT read it.
std::string CONTTitle();
// The progress text "IVARI=K/NK", K zero-padded to the width of NK.
std::string IvariText(int32_t K, int32_t NK);

// The result files of one run on the calling thread (see above). Scopes do not nest: an inner
// one leaves the files to the outer.
class TResultFiles {
 public:
  TResultFiles();
  ~TResultFiles();  // without Commit: the copies are removed
  TResultFiles(const TResultFiles&) = delete;
  TResultFiles& operator=(const TResultFiles&) = delete;
  // Every copy renamed over its file.
  void Commit();

  // The text of File as the run now has it (its copy, else the file; empty when neither).
  static bool Current(const std::string& File, TStringList& Text);
  // Text written as File's new content: into the run's copy (inside a scope), else into a copy
  // renamed over File at once.
  static void Write(const std::string& File, const TStringList& Text);

 private:
  std::map<std::string, std::string> copies_;  // file -> its temporary copy
  TResultFiles* outer_ = nullptr;
  bool owner_ = true;
};
