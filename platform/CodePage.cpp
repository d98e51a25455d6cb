#include "platform/CodePage.h"

namespace platform {

namespace {
// Code points of 1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98 (0x98 is unassigned: kept)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length (0 when invalid).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& u) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  size_t n;
  if (c < 0x80) { u = c; return 1; }
  if ((c & 0xE0) == 0xC0) { n = 2; u = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { n = 3; u = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { n = 4; u = c & 0x07; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    u = (u << 6) | (b(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are invalid.
  if ((n == 2 && u < 0x80) || (n == 3 && u < 0x800) || (n == 4 && u < 0x10000) || u > 0x10FFFF ||
      (u >= 0xD800 && u <= 0xDFFF))
    return 0;
  return n;
}
}  // namespace

char32_t Cp1251ToUnicode(unsigned char c) {
  if (c < 0x80) return c;
  if (c >= 0xC0) return 0x0410 + (c - 0xC0);
  return kHigh[c - 0x80];
}

unsigned char UnicodeToCp1251(char32_t u) {
  if (u < 0x80) return static_cast<unsigned char>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<unsigned char>(0xC0 + (u - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHigh[i] == u) return static_cast<unsigned char>(0x80 + i);
  return 0;
}

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(ch)));
  return out;
}

std::string Utf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t u;
    size_t n = DecodeUtf8(s, i, u);
    if (n == 0) {  // not UTF-8: keep the byte as a 1251 character
      out += s[i];
      ++i;
      continue;
    }
    unsigned char c = UnicodeToCp1251(u);
    out += (c == 0 && u != 0) ? '?' : static_cast<char>(c);
    i += n;
  }
  return out;
}

bool IsUtf8WithNonAscii(std::string_view s) {
  bool nonAscii = false;
  for (size_t i = 0; i < s.size();) {
    char32_t u;
    size_t n = DecodeUtf8(s, i, u);
    if (n == 0) return false;
    if (n > 1) nonAscii = true;
    i += n;
  }
  return nonAscii;
}

std::string DecodeTextFile(std::string_view raw) {
  if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
  if (IsUtf8WithNonAscii(raw)) return Utf8ToCp1251(raw);
  return std::string(raw);
}

}  // namespace platform
