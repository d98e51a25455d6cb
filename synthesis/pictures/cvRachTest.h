// The Milne-Eddington test profile: a database line with the working variator's corrections and
// its Zeeman pattern, a half profile of N points out to W mA filled by the analytic solution,
// its "RI" drawn in the right-hand lower quarter of a green canvas.
#pragma once
#include <cstdint>
#include <string>

#include "synthesis/me/cvRach.h"

class TGRAF;
class TUNNO;
struct TPlotDone;
namespace platform {
class TCanvas;
}

// False (nothing drawn) when the line is not in the database. The profile is left in Out when
// given.
bool RachTestProf(const std::string& Id, const TMEPar& P, int32_t N, platform::TCanvas& Canvas,
                  double W, TGRAF& G, TPlotDone* Done = nullptr, TUNNO* Out = nullptr);
