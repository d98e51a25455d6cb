// A reference reading of a frame's LZW data by the GIF standard's decoder rule, for the tests:
// after Pixels pixels the next code must be the end code, read at the width a standard decoder
// has reached.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace giftest {
// Empty when the data decode to Pixels pixels followed by the end code and the terminator;
// otherwise what went wrong. Indices gets the decoded pixels.
std::string CheckLzw(const std::vector<uint8_t>& Encoded, int64_t Pixels,
                     std::vector<uint8_t>* Indices = nullptr);
}  // namespace giftest
