#include "plotting/cvPng.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Canvas.h"
#include "platform/FileErr.h"

namespace {

uint32_t Crc32(const uint8_t* P, size_t N, uint32_t C = 0xFFFFFFFFu) {
  static uint32_t Table[256];
  static bool Ready = false;
  if (!Ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      Table[n] = c;
    }
    Ready = true;
  }
  for (size_t i = 0; i < N; ++i) C = Table[(C ^ P[i]) & 0xFF] ^ (C >> 8);
  return C;
}

void Be32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out.push_back(static_cast<uint8_t>(V >> s));
}

void Chunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  Be32(Out, static_cast<uint32_t>(Data.size()));
  const size_t start = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  Be32(Out, Crc32(Out.data() + start, Out.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

bool WritePng(const platform::TBitmap& Bitmap, const std::string& FileName, std::string& Error) {
  const int32_t W = Bitmap.Width(), H = Bitmap.Height();
  const int32_t Bpp = Bitmap.BytesPerPixel();
  // The raw image: per row a filter byte 0 and the pixels in red, green, blue order.
  std::vector<uint8_t> Raw;
  Raw.reserve(static_cast<size_t>(H) * (1 + 3 * static_cast<size_t>(W)));
  for (int32_t y = 0; y < H; ++y) {
    Raw.push_back(0);
    const uint8_t* p = Bitmap.ScanLine(y);
    for (int32_t x = 0; x < W; ++x, p += Bpp) {
      Raw.push_back(p[2]);
      Raw.push_back(p[1]);
      Raw.push_back(p[0]);
    }
  }
  // The zlib stream: header, stored blocks of up to 65535 bytes, Adler-32.
  std::vector<uint8_t> Z{0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, Raw.size() - at);
    Z.push_back(at + n == Raw.size() ? 1 : 0);
    Z.push_back(static_cast<uint8_t>(n));
    Z.push_back(static_cast<uint8_t>(n >> 8));
    Z.push_back(static_cast<uint8_t>(~n));
    Z.push_back(static_cast<uint8_t>(~n >> 8));
    Z.insert(Z.end(), Raw.begin() + static_cast<std::ptrdiff_t>(at),
             Raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < Raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : Raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Be32(Z, (b << 16) | a);
  std::vector<uint8_t> Out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> Hdr;
  Be32(Hdr, static_cast<uint32_t>(W));
  Be32(Hdr, static_cast<uint32_t>(H));
  Hdr.insert(Hdr.end(), {8, 2, 0, 0, 0});
  Chunk(Out, "IHDR", Hdr);
  Chunk(Out, "IDAT", Z);
  Chunk(Out, "IEND", {});
  std::FILE* f = std::fopen(platform::SysPath(FileName).c_str(), "wb");
  if (!f) {
    Error = std::strerror(errno);
    return false;
  }
  const bool ok = std::fwrite(Out.data(), 1, Out.size(), f) == Out.size();
  if (std::fclose(f) != 0 || !ok) {
    Error = std::strerror(errno);
    return false;
  }
  return true;
}
