#include "platform/CodePage.h"

#include <cstdint>
#include <cstring>

#include "platform/Cp1251Table.h"

namespace platform {

namespace {

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
  return kCp1251High[c - 0x80];
}

unsigned char UnicodeToCp1251(char32_t u) { return Cp1251ByteOf(u); }

void AppendCp1251AsUtf8(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    // a run of ASCII goes as it is
    size_t j = i;
    for (uint64_t w; j + 8 <= s.size(); j += 8) {
      std::memcpy(&w, s.data() + j, 8);
      if (w & 0x8080808080808080ull) break;
    }
    while (j < s.size() && static_cast<unsigned char>(s[j]) < 0x80) ++j;
    out.append(s.data() + i, j - i);
    for (i = j; i < s.size() && static_cast<unsigned char>(s[i]) >= 0x80; ++i)
      AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(s[i])));
  }
}

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  AppendCp1251AsUtf8(out, s);
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
