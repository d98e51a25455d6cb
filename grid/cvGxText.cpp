// Wide text at the grid's text interface.
#include <cstdint>

#include "grid/cvGxTypes.h"
#include "platform/CodePage.h"

namespace gx {

WideString W(std::string_view Cp1251) {
  WideString r;
  r.reserve(Cp1251.size());
  for (unsigned char c : Cp1251) r.push_back(static_cast<char16_t>(platform::Cp1251ToUnicode(c)));
  return r;
}

std::string A(std::u16string_view Wide) {
  std::string r;
  r.reserve(Wide.size());
  for (size_t i = 0; i < Wide.size(); ++i) {
    const char16_t u = Wide[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < Wide.size() && Wide[i + 1] >= 0xDC00 &&
        Wide[i + 1] <= 0xDFFF) {
      ++i;  // a pair outside the basic plane: one character
      r.push_back('?');
      continue;
    }
    const unsigned char c = platform::UnicodeToCp1251(u);
    r.push_back(c == 0 && u != 0 ? '?' : static_cast<char>(c));
  }
  return r;
}

WideString FromUtf8(std::string_view s) {
  WideString r;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t u;
    size_t n;
    if (c < 0x80) { u = c; n = 1; }
    else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; n = 2; }
    else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; n = 3; }
    else if ((c & 0xF8) == 0xF0) { u = c & 0x07; n = 4; }
    else { r.push_back(u'?'); ++i; continue; }
    if (i + n > s.size()) { r.push_back(u'?'); break; }
    for (size_t k = 1; k < n; ++k) u = (u << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    if (u >= 0x10000) {
      u -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (u >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (u & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(u));
    }
  }
  return r;
}

std::string ToUtf8(std::u16string_view w) {
  std::string r;
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t u = w[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF)
      u = 0x10000 + ((u - 0xD800) << 10) + (w[++i] - 0xDC00);
    if (u < 0x80) {
      r.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (u >> 6)));
      r.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (u >> 12)));
      r.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (u >> 18)));
      r.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return r;
}

unsigned char LowerCp1251(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);  // А..Я
  switch (c) {
    case 0x80: return 0x90;  // Ђ
    case 0x81: return 0x83;  // Ѓ
    case 0x8A: return 0x9A;  // Љ
    case 0x8C: return 0x9C;  // Њ
    case 0x8D: return 0x9D;  // Ќ
    case 0x8E: return 0x9E;  // Ћ
    case 0x8F: return 0x9F;  // Џ
    case 0xA1: return 0xA2;  // Ў
    case 0xA3: return 0xBC;  // Ј
    case 0xA5: return 0xB4;  // Ґ
    case 0xA8: return 0xB8;  // Ё
    case 0xAA: return 0xBA;  // Є
    case 0xAF: return 0xBF;  // Ї
    case 0xB2: return 0xB3;  // І
    case 0xBD: return 0xBE;  // Ѕ
    default: return c;
  }
}

std::string LowerCp1251(std::string S) {
  for (char& c : S) c = static_cast<char>(LowerCp1251(static_cast<unsigned char>(c)));
  return S;
}

bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && LowerCp1251(A(a)) == LowerCp1251(A(b));
}

}  // namespace gx
