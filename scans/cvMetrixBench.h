// The Texts tab's LineMetrix bench: points and levels read from the editor's lines, and the
// window of points the bisector takes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvTy.h"

struct TMetrixInput {
  TARe X = TARe(1, 0.0), Y = TARe(1, 0.0);  // points 1..m
  double Level1 = 0, Level2 = 0, Cont = 0;
};

// A line of exactly two numbers adds a point; a line whose first word is "II" sets the two
// levels and the continuum (words 2, 3, 4); other lines are skipped.
TMetrixInput ReadMetrixLines(const std::vector<std::string>& Lines);
// i1: the point before the first of 1..m-1 whose x is not below Level1 (m when none), at least
// 1; i2: the first of those points on whose x is not below Level2 (m-1 when none); a single
// point gives 1..m.
void MetrixRange(const TMetrixInput& In, int32_t& I1, int32_t& I2);
