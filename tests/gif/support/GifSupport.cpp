#include "tests/gif/support/GifSupport.h"
#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <cmath>

namespace giftest {

TDib Noise(int32_t W, int32_t H, int32_t Bits, uint32_t Colours, uint32_t Seed) {
  TDib D(W, H, Bits);
  const uint32_t N = 1u << Bits;
  for (uint32_t i = 0; i < N; ++i) {
    const uint8_t v = uint8_t(i * 255 / (N - 1));
    D.Palette[i] = TRGBQuad{uint8_t(255 - v), uint8_t(v / 2), v, 0};
  }
  std::mt19937 R(Seed);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) D.SetIndex(x, y, R() % Colours);
  return D;
}

TDib PlotLike(int32_t W, int32_t H) {
  TDib D(W, H, 8);
  const TColor Pal[] = {0xFFFFFF, 0x000000, 0x0000FF, 0x00A000, 0xFF0000, 0xC0C0C0};
  for (int i = 0; i < 6; ++i)
    D.Palette[i] = TRGBQuad{uint8_t(Pal[i] >> 16), uint8_t(Pal[i] >> 8), uint8_t(Pal[i]), 0};
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) D.SetIndex(x, y, (x % 64 == 0 || y % 64 == 0) ? 5 : 0);
  for (int32_t x = 40; x < W; ++x) D.SetIndex(x, H - 40, 1);
  for (int32_t y = 0; y < H - 40; ++y) D.SetIndex(40, y, 1);
  for (int c = 0; c < 3; ++c)
    for (int32_t x = 41; x < W; ++x) {
      const int32_t y = int32_t(H / 2 + (H / 3) * std::sin(x * 0.01 * (c + 1)));
      for (int t = 0; t < 2; ++t)
        if (y + t >= 0 && y + t < H) D.SetIndex(x, y + t, uint32_t(2 + c));
    }
  return D;
}

TDib Picture24(int32_t W, int32_t H, int32_t Shift) {
  TDib D(W, H, 24);
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* P = D.Row(y);
    for (int32_t x = 0; x < W; ++x, P += 3) {
      const int32_t dx = x - W / 2 - Shift, dy = y - H / 2;
      const bool In = dx * dx + dy * dy < (H / 3) * (H / 3);
      P[0] = uint8_t(In ? 40 * Shift : 255 * y / std::max(1, H - 1));
      P[1] = uint8_t(In ? 200 : 128);
      P[2] = uint8_t(In ? 30 : 255 * x / std::max(1, W - 1));
    }
  }
  return D;
}

bool SameColours(const TDib& A, const TDib& B, std::string* Why) {
  if (A.Width != B.Width || A.Height != B.Height) {
    if (Why) *Why = "size differs";
    return false;
  }
  for (int32_t y = 0; y < A.Height; ++y)
    for (int32_t x = 0; x < A.Width; ++x)
      if ((A.Pixel(x, y) & 0xFFFFFF) != (B.Pixel(x, y) & 0xFFFFFF)) {
        if (Why) *Why = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return false;
      }
  return true;
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& P) {
  std::ifstream F(P, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& P, const std::vector<uint8_t>& Data) {
  std::ofstream F(P, std::ios::binary);
  F.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

TTempDir::TTempDir() {
  std::string T = (std::filesystem::temp_directory_path() / "cvgif-XXXXXX").string();
  Dir = mkdtemp(T.data());
}
TTempDir::~TTempDir() {
  std::error_code E;
  std::filesystem::remove_all(Dir, E);
}

std::string Shell(const std::string& Command, int* Status) {
  return testsupport::RunShell(Command, Status);
}

bool HaveProgram(const std::string& Path) { return access(Path.c_str(), X_OK) == 0; }

bool HavePillow() {
  int S = 0;
  Shell("/usr/bin/python3 -c 'import PIL' 2>/dev/null", &S);
  return S == 0;
}

std::string MagickPath() {
  for (const char* P : {"/usr/bin/convert-im6.q16", "/usr/bin/magick"})
    if (HaveProgram(P)) return P;
  return "";
}

}  // namespace giftest
