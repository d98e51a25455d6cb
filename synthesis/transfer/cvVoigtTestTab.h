// Test tables of the Voigt functions: the comparison of the current method, the Taylor expansion
// and the quadrature with the Gauss and Lorentz profiles over a grid of reduced offsets v (with a
// local two-profile fit of the quadrature by the Gauss and Lorentz forms), and the plain table of
// the unit Gauss function.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

class TJob;

// Central wavelength, quadrature tolerance and half-range of the comparison table.
constexpr double VoigtTestLam0 = 6000;
constexpr double VoigtTestEps = 1e-13;
constexpr double VoigtTestHalfRange = 100;

struct TVoigtTestTable {
  TStringList List;
  // The grid runs from X0 (-VMax, or 0 for the half grid) to VMax.
  double X0 = 0, VMax = 0;
  // The curves over the grid (1..N): v, Gauss, Lorentz, current method's H / sqrt(pi), and
  // (quadrature - Gauss) / a.
  TARe V, G, L, H, HIG;
};

// False, with a warning, when N is below Least (the grid step divides by N - 1; the Gauss table
// by N).
bool VoigtTestCountOk(int32_t N, int32_t Least);

// The comparison table of N points from -VMax (Sym) or 0 to VMax, Doppler width DLD (mA),
// damping A: the first line of the values at v = 0, the table (rows 6..N-5) and the area line.
// Progress (and cancel) every 100 points through Job when given. False when N < 2 (warned) or
// cancelled.
bool VoigtTestTab(int32_t N, double VMax, double DLD, double A, bool Sym, TVoigtTestTable& Out,
                  TJob* Job);

// The unit Gauss function at x = B VMax j / N, j = 0..N; nullptr (warned) when N < 1.
std::unique_ptr<TStringList> GaussArrayTab(int32_t N, double B, double VMax);
