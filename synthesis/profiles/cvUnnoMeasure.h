// What the Unno tab's table shows of a profile, measured in one call, and the list-wide work as
// jobs: measuring every profile and fitting the macroturbulence of many profiles against one
// reference (one job step per profile; a cancel keeps the profiles done).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "synthesis/profiles/cvUnno.h"

class TJob;

struct TUnnoMeasureOpts {
  double RStep = 0.005;        // level step of the level-curve table
  bool COGInAngstrom = true;   // the I+-V field over wavelengths (else point indices)
  double WLine = 0.1;          // core method: level at which a weight has fallen KMul-fold
  int32_t KMul = 2;
  char LevelKind = 'P';        // WidthAt / BisecAt: '1' absolute, 'C' of D0, 'P' of the depth
  double Level = 0.5;
};

struct TUnnoMeasure {
  double Depth = 0, D0 = 0, EqWidth = 0;
  int32_t Levels = 0;
  // BisecPoints: mean, deepest, half, first, maxB, minB, levMax, levMin
  std::array<double, 8> BisecPts{};
  std::array<double, 9> Bisec9{};            // Bi9A after Bisector9
  std::array<double, 9> CogVel{}, CogB{};    // Bi9A and Bi9B after COGivField
  double CoreB = 0, B06 = 0, B94 = 0;
  double VMoment1 = 0, VMoment2 = 0, VaMoment = 0, QMoment1 = 0, QMoment2 = 0, QaMoment = 0,
         IMoment1 = 0, IMoment2 = 0;
  double WidthAt = 0, BisecAt = 0;
};

// Every measurement of the table on U (the level-curve table stays in U; a half profile ends up
// spread, as the nine-level bisector and the field leave it).
void MeasureUnno(TUNNO& U, const TUnnoMeasureOpts& Opts, TUnnoMeasure& R);

// MeasureUnno on each profile, one job step each; Results gets one row per profile measured
// (a cancelled job keeps the rows done).
void MeasureUnnoList(TJob& Job, const std::vector<TUNNO*>& List, const TUnnoMeasureOpts& Opts,
                     std::vector<TUnnoMeasure>& Results);

// TUNNO::AdJust of each profile against Reference, one job step each; the number fitted.
int32_t AdJustList(TJob& Job, const std::vector<TUNNO*>& List, TUNNO& Reference);
