// Small text helpers of the line fitting.
#pragma once
#include <string>
#include <vector>

namespace fit {
// The blank- and control-separated words of S.
inline std::vector<std::string> Words(const std::string& S) {
  std::vector<std::string> w;
  std::string cur;
  for (char c : S) {
    if (static_cast<unsigned char>(c) <= 32) {
      if (!cur.empty()) w.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) w.push_back(cur);
  return w;
}
}  // namespace fit
