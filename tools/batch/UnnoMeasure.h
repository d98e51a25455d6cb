// The measuring options of "unno-load" (cmd_unno_measure.cpp): what the Unno tab measures and
// runs on the profiles of a result file read back into the profile list.
#pragma once
#include <string>
#include <vector>

class TJob;
class TLUNNO;

struct TUnnoMeasureArgs {
  bool Any = false;      // some measuring option was given
  bool Measure = false;  // the table of every profile
  bool Levels = false;   // with the level-curve table
  double RStep = 0.005, WLine = 0.1, Level = 0.5;
  int KMul = 2;
  bool CogIndex = false;
  char LevelKind = 'P';
  int Dif[2] = {0, 0}, Dif2[2] = {0, 0};
  std::vector<int> SumK;
  int FitRef = 0, FillDifRef = 0;
  std::string CFRF, Filter;
  int Slice = 1;
  std::vector<std::string> Reports;
  long CancelAfter = -1;  // cancel the list-wide jobs after this many profiles
  bool Bad = false;
};

// Takes the measuring options out of Args (the rest stays for the reader's options).
TUnnoMeasureArgs TakeMeasureArgs(std::vector<std::string>& Args);
// Runs them on the list (the working variator the quest's last step); the exit status.
int RunMeasureArgs(const TUnnoMeasureArgs& O, TLUNNO& List);
