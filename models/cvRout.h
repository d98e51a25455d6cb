// Output depth grids: the depths at which a driver reports, numbered blocks of the file of
// ("GEDA", "ROUT"). A grid is a 1-based real array: element 0 is 0, elements 1..n the depths.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvTy.h"

// Fills Grid with block N of the ROUT file. A missing file or block is the reader's error
// (fatal, the file opened in the editor).
void LoadRout(int32_t N, TARe& Grid);
// The same from a named file.
void LoadRoutFrom(const std::string& FileName, int32_t N, TARe& Grid);
// The grid of one point X: (0, X).
void SetRoutOnePoint(TARe& Grid, double X);
