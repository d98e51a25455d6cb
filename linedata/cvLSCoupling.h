// LS coupling of one level: whether S, L and J make a level, and its Lande factor as a reduced
// fraction, g = 1 + [J(J+1) + S(S+1) - L(L+1)] / [2J(J+1)]. Pure functions.
#pragma once
#include <cstdint>

// L - S <= J <= L + S and S <= L + J; 2J and 2S whole with the same parity; L whole; all >= 0.
bool CheckSLJ(double S, double L, double J);
// Numerator and denominator of g, reduced (J = 0: 0/1); false when CheckSLJ fails.
bool LandeGFrac(double S, double L, double J, int32_t& Num, int32_t& Den);
