// Helpers of the Gauss-model fit maps (cvCoreMaps.cpp).
#pragma once
#include <array>
#include <cstdint>

// The full wing fit's values AWing[1..8] of map pixel (Ix, Y) held inside what a map file keeps:
// d0, then the widths and depth factors, above 3.3e38 (or NaN) made 3.3e38 and below 2.5e-38 in
// magnitude made 2.5e-38, each with its warning (none for a small depth factor).
void BoundFullWing(std::array<double, 9>& W, int32_t Ix, int32_t Y);
