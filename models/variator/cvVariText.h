// Text helpers of the variator code.
#pragma once
#include <string>
#include <vector>

namespace varitext {

// The blank-separated words of a text (control characters count as blanks).
inline std::vector<std::string> Words(const std::string& S) {
  std::vector<std::string> w;
  size_t i = 0;
  const size_t n = S.size();
  while (i < n) {
    while (i < n && static_cast<unsigned char>(S[i]) <= ' ') ++i;
    const size_t b = i;
    while (i<n&& static_cast<unsigned char>(S[i])> ' ') ++i;
    if (i > b) w.push_back(S.substr(b, i - b));
  }
  return w;
}

}  // namespace varitext
