// What the line fitting keeps in the calculation context (TCalcContext::Fit): the Di tables and
// the Di and Dialog pages as the last run filled them.
#pragma once
#include "synthesis/fit/cvDi.h"
#include "synthesis/fit/cvPageView.h"

struct TFitState {
  TDi Di;
  TPageView DiPage;
  TPageView DialogPage;
};

// The calling thread's calculation context's state (made on first use).
TFitState& FitState();
