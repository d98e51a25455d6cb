// The benchmark's pictures: 1024 x 768 8-bit noise and a plot-like page; a blank 2048 x 1536
// page with one curve and a uniform 2048 x 1536 frame.
#pragma once
#include <algorithm>
#include <cmath>
#include <random>

#include "plotting/gif/cvDib.h"

namespace gifbench {

inline TDib Noise() {
  TDib D(1024, 768, 8);
  for (int i = 0; i < 256; ++i) D.Palette[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  std::mt19937 R(1);
  for (uint8_t& B : D.Pixels) B = uint8_t(R());
  return D;
}

inline TDib Plot() {
  TDib D(1024, 768, 8);
  for (int i = 0; i < 256; ++i) D.Palette[size_t(i)] = TRGBQuad{uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7), 0};
  for (int32_t y = 0; y < 768; ++y)
    for (int32_t x = 0; x < 1024; ++x) D.Row(y)[x] = (x % 64 == 0 || y % 64 == 0) ? 5 : 0;
  for (int c = 0; c < 6; ++c)
    for (int32_t x = 0; x < 1024; ++x) {
      const int32_t y = int32_t(384 + 300 * std::sin(x * 0.004 * (c + 1) + c));
      for (int t = -1; t <= 1; ++t) D.Row(std::clamp(y + t, 0, 767))[x] = uint8_t(10 + c);
    }
  return D;
}

inline TDib BlankWithCurve() {
  TDib D(2048, 1536, 8);
  for (int i = 0; i < 256; ++i) D.Palette[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i * 3), uint8_t(i * 5), 0};
  std::fill(D.Pixels.begin(), D.Pixels.end(), uint8_t(255));
  for (int32_t x = 0; x < 2048; ++x) {
    const int32_t y = int32_t(768 + 500 * std::sin(x * 0.003));
    for (int t = -1; t <= 1; ++t) D.Row(std::clamp(y + t, 0, 1535))[x] = 12;
  }
  return D;
}

inline TDib Uniform() {
  TDib D(2048, 1536, 8);
  for (int i = 0; i < 256; ++i) D.Palette[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  std::fill(D.Pixels.begin(), D.Pixels.end(), uint8_t(7));
  return D;
}

}  // namespace gifbench
