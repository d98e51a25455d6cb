// Pictures made by the tests, temporary folders and the independent GIF tools.
#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "plotting/gif/cvDib.h"
#include "plotting/gif/cvGIF.h"

namespace giftest {

// An indexed picture of random indices below Colours with a grey-ramp palette of 2^Bits entries.
TDib Noise(int32_t W, int32_t H, int32_t Bits, uint32_t Colours, uint32_t Seed);
// A plot-like 8-bit picture: white page, black axes, a few coloured curves.
TDib PlotLike(int32_t W, int32_t H);
// A 24-bit picture: a colour gradient with a disc whose colour depends on Shift.
TDib Picture24(int32_t W, int32_t H, int32_t Shift);

// The palette index at every pixel must give the same colour in both pictures.
bool SameColours(const TDib& A, const TDib& B, std::string* Why = nullptr);

std::vector<uint8_t> ReadFile(const std::filesystem::path& P);
void WriteFile(const std::filesystem::path& P, const std::vector<uint8_t>& Data);

// A folder removed at the end.
struct TTempDir {
  std::filesystem::path Dir;
  TTempDir();
  ~TTempDir();
};

// Runs a shell command; its standard output (and the exit status in Status).
std::string Shell(const std::string& Command, int* Status = nullptr);
bool HaveProgram(const std::string& Path);
bool HavePillow();
// Debian's ImageMagick (not a stand-in earlier on the path).
std::string MagickPath();

}  // namespace giftest
