#include "mainwindow/StartUtils.h"

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"

namespace startutils {

namespace {
const std::string kCrLf = "\r\n";

std::vector<std::string> Lines(const std::string& S) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r' || S[i] == '\n') {
      out.push_back(cur);
      cur.clear();
      if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else {
      cur += S[i];
    }
  }
  out.push_back(cur);
  return out;
}
}  // namespace

std::string FITSGroupsText(const TFITSGroups& G) {
  std::string s;
  for (size_t g = 0; g < G.size(); ++g) {
    if (g) s += kCrLf;
    for (size_t i = 0; i < G[g].size(); ++i) s += (i ? " " : "") + G[g][i];
  }
  return s;
}

bool FITSGroupsFromText(const std::string& Text, TFITSGroups& G, std::string& Error) {
  // the text as saved: blank groups stay lines of their own (only a last line end goes)
  std::string t = Text;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  const std::vector<std::string> lines = TrimCtl(t).empty() ? std::vector<std::string>{} : Lines(t);
  if (lines.size() != 4) {
    Error = "в Буфере обмена должно быть 4 строки, а не "_cp +
            IntStr(static_cast<int32_t>(lines.size())) + "!" + kCrLf + Text;
    return false;
  }
  TFITSGroups out;
  for (size_t g = 0; g < 4; ++g) {
    const std::string& l = lines[g];
    auto word = [&l](int32_t N) { return N <= WordCount(l) ? WordN(l, N) : std::string(); };
    TFITSGroup& o = out[g];
    o.push_back(word(1));
    o.push_back(word(2));
    int32_t next = 3;
    if (word(2) != "0") {
      o.push_back(word(3));
      next = 4;
    } else {
      o.push_back("");
    }
    if (g == 0 || g == 2) {
      o.push_back(word(next));
    } else {
      // the operator edit holds at least two characters; a shorter word is the joining combo's
      const std::string w = word(next);
      if (w.size() >= 2) {
        o.push_back(w);
        ++next;
      } else {
        o.push_back("");
      }
      o.push_back(word(next));
    }
  }
  G = out;
  return true;
}

}  // namespace startutils
