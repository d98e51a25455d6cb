// Code-page conversions at the program's edges.
// Inside the program every string is single-byte code page 1251; UTF-8 is used only for source
// literals, Qt widgets and text files.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Unicode code point of a code page 1251 byte (bytes below 0x80 map to themselves).
char32_t Cp1251ToUnicode(unsigned char c);
// The 1251 byte of a code point; 0 when the code point has none in 1251.
unsigned char UnicodeToCp1251(char32_t u);

std::string Cp1251ToUtf8(std::string_view s);
// The same, appended to Out.
void AppendCp1251AsUtf8(std::string& Out, std::string_view s);
// Characters that 1251 cannot hold become '?'; invalid UTF-8 bytes are taken as 1251 bytes.
std::string Utf8ToCp1251(std::string_view s);

// True when s is valid UTF-8 and holds at least one non-ASCII character.
bool IsUtf8WithNonAscii(std::string_view s);
// Text file contents to 1251: valid UTF-8 with non-ASCII characters is converted, anything else
// is taken as 1251 already. A UTF-8 byte-order mark is dropped.
std::string DecodeTextFile(std::string_view raw);

}  // namespace platform
