#include "tests/gif/support/LzwCheck.h"

namespace giftest {

std::string CheckLzw(const std::vector<uint8_t>& E, int64_t Pixels, std::vector<uint8_t>* Out) {
  if (E.empty()) return "no data";
  const int m = E[0];
  std::vector<uint8_t> Bytes;
  size_t P = 1;
  for (;;) {
    if (P >= E.size()) return "no terminator";
    const size_t L = E[P++];
    if (L == 0) break;
    if (P + L > E.size()) return "sub-block past the end";
    Bytes.insert(Bytes.end(), E.begin() + long(P), E.begin() + long(P + L));
    P += L;
  }
  if (P != E.size()) return "bytes after the terminator";
  size_t Bit = 0;
  auto Read = [&](int W, int& Code) {
    if (Bit + size_t(W) > Bytes.size() * 8) return false;
    Code = 0;
    for (int i = 0; i < W; ++i, ++Bit) Code |= ((Bytes[Bit >> 3] >> (Bit & 7)) & 1) << i;
    return true;
  };
  const int Clear = 1 << m, End = Clear + 1;
  std::vector<std::vector<uint8_t>> Table;
  auto Reset = [&] {
    Table.assign(size_t(Clear + 2), {});
    for (int i = 0; i < Clear; ++i) Table[size_t(i)] = {uint8_t(i)};
  };
  Reset();
  int W = m + 1, Prev = -1, Code;
  std::vector<uint8_t> Px;
  while (int64_t(Px.size()) < Pixels) {
    if (!Read(W, Code)) return "data end before all pixels";
    if (Code == Clear) {
      Reset();
      W = m + 1;
      Prev = -1;
      continue;
    }
    if (Code == End) return "end code before all pixels";
    std::vector<uint8_t> S;
    if (Code < int(Table.size()))
      S = Table[size_t(Code)];
    else if (Code == int(Table.size()) && Prev >= 0) {
      S = Table[size_t(Prev)];
      S.push_back(S[0]);
    } else {
      return "code " + std::to_string(Code) + " not in the table";
    }
    if (Prev >= 0 && Table.size() < 4096) {
      std::vector<uint8_t> N = Table[size_t(Prev)];
      N.push_back(S[0]);
      Table.push_back(N);
      if (int(Table.size()) == (1 << W) && W < 12) ++W;
    }
    Px.insert(Px.end(), S.begin(), S.end());
    Prev = Code;
  }
  if (int64_t(Px.size()) != Pixels) return "more pixels than the picture";
  if (!Read(W, Code)) return "no end code";
  if (Code != End) return "code " + std::to_string(Code) + " where the end code belongs";
  if ((Bytes.size() * 8 - Bit) >= 8) return "whole bytes after the end code";
  if (Out) *Out = Px;
  return "";
}

}  // namespace giftest
