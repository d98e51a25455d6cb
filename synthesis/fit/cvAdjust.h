// The run word ADJUST: the value of one synthesis parameter (as a rule "#LGGF" of a line) at
// which the computed equivalent widths of a set of observations agree on average with the
// observed ones. The observation project ("#Q_OBS", e.g. a READ_SUN69 run) loads the observed
// profiles; the computation project ("#Q_CALC", varying "#Q_BOTH_PAR" alone, in the same order)
// is computed again for each trial value. Each trial compares, row by row, the equivalent widths
// of Stokes I: D = (Wc - Wo) / Wo, and the mean of D is brought within "#ERR_VAL" by cubic
// interpolation of lg(1 + mean D) over the trial values (a straight line where the cubic leaves
// the bracketing pair or no pair brackets the zero).
//
// A job: one step per trial with the mean difference in its text, cancel between trials. Each
// trial's table goes to the text results. The result line is appended to the report file
// "DC\<quest>.txt" through the run's result files: a cancelled or failed run leaves it as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TJob;
class TLUNNO;
class TStringList;

// The trial points of a run, for callers that look at the fit (tests, the harness).
struct TAdjustOutcome {
  bool Done = false;        // the tolerance was met and the result line written
  double Value = 0;         // the last trial value
  int32_t Trials = 0;       // evaluated points (the two starting values included)
  std::vector<double> Rows; // (Wc - Wo) / Wo of each observation row at the last point
  std::string ResultLine;
};

// The next trial value from the points so far (ascending values R[1..N], Lg[k] = lg(1 + mean D)
// at R[k]): the cubic through the four points around the last point with Lg < 0, taken at
// Lg = 0; the straight line through the bracketing pair when the cubic leaves it; the secant of
// the two nearest points when no pair brackets the zero.
double AdjNextValue(const std::vector<double>& Lg, const std::vector<double>& R, int32_t N);

// The run word ADJUST on the working variator. Text results (the trial tables) go to Result.
TAdjustOutcome AdJust(TJob& Job, TLUNNO& List, TStringList& Result);
