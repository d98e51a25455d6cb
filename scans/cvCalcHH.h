// The line "Calc HH" appends to memoHH for one slit pixel's line parameters.
#pragma once
#include <string>

struct TH0Values;

// r1..r20 are the values in their declared order: r9 r10 r15 r16 (6 significant digits; r9 and
// r10 less 6300 when r9 > 6300), " // " r11..r14, " LIV=" r17..r20, " W=" r1 r2, " H=" r5..r8
// (5 significant digits).
std::string CalcHHLine(const TH0Values& V);
