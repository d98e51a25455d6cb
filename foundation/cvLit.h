// Russian texts are written in UTF-8 in the source and become code page 1251 strings at compile
// time:  "Ошибка обработки строк!"_cp  is a std::string in 1251.
// A character that 1251 cannot hold makes the program ill-formed.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace cvlit {

consteval unsigned char ToCp1251(char32_t u) {
  constexpr char16_t high[64] = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
      0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
      0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
  if (u < 0x80) return static_cast<unsigned char>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<unsigned char>(0xC0 + (u - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (high[i] == u) return static_cast<unsigned char>(0x80 + i);
  throw "character not in code page 1251";
}

template <std::size_t N>
struct Utf8Text {
  char data[N]{};
  std::size_t len = 0;
  consteval Utf8Text(const char (&s)[N]) {
    std::size_t i = 0;
    while (i + 1 < N) {  // s[N-1] is the terminating zero
      unsigned char c = static_cast<unsigned char>(s[i]);
      char32_t u;
      std::size_t n;
      if (c < 0x80) { u = c; n = 1; }
      else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; n = 2; }
      else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; n = 3; }
      else if ((c & 0xF8) == 0xF0) { u = c & 0x07; n = 4; }
      else throw "invalid UTF-8 in literal";
      for (std::size_t k = 1; k < n; ++k) u = (u << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
      data[len++] = static_cast<char>(ToCp1251(u));
      i += n;
    }
  }
};

}  // namespace cvlit

template <cvlit::Utf8Text T>
inline std::string operator""_cp() {
  return std::string(T.data, T.len);
}
