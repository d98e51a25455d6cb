// Russian texts are written in UTF-8 in the source and become code page 1251 strings at compile
// time:  "Ошибка обработки строк!"_cp  is a std::string in 1251.
// A character that 1251 cannot hold makes the program ill-formed.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Cp1251Table.h"

namespace cvlit {

consteval unsigned char ToCp1251(char32_t u) {
  const unsigned char c = platform::Cp1251ByteOf(u);
  if (c == 0 && u != 0) throw "character not in code page 1251";
  return c;
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

#if defined(__clang__)
// clang 14 crashes when a constant-evaluation note prints an expression holding a literal of a
// class-type literal operator template; it takes the character-pack form (a GNU extension),
// converted and checked at compile time all the same.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
template <typename C, C... s>
inline std::string operator""_cp() {
  static_assert(std::is_same_v<C, char>, "a _cp literal is a plain narrow string");
  static constexpr char raw[] = {s..., 0};
  static constexpr cvlit::Utf8Text<sizeof raw> text(raw);
  return std::string(text.data, text.len);
}
#pragma clang diagnostic pop
#else
template <cvlit::Utf8Text T>
inline std::string operator""_cp() {
  return std::string(T.data, T.len);
}
#endif
