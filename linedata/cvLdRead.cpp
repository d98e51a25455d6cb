#include "linedata/cvLdRead.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"

void TLineErrors::Add(const std::string& Msg) {
  std::string fn;
  int32_t ln = 0, pos = 0;
  const std::string text = r_.ErrText(Msg, fn, ln, pos);
  if (texts_.empty()) {
    firstFile_ = fn;
    firstLine_ = ln;
    firstPos_ = pos;
    firstText_ = text;
  }
  texts_.push_back("str=" + IntStr(ln) + " pos=" + IntStr(pos) + ": " + Msg);
  r_.WordStart = 0;
}

void TLineErrors::Report() {
  if (texts_.empty()) return;
  std::string t = routine_ + ": в файле "_cp + firstFile_ + " пропущено строк с ошибками: "_cp +
                  IntStr(Count());
  const size_t shown = std::min<size_t>(texts_.size(), 20);
  for (size_t i = 0; i < shown; ++i) t += "\r\n  " + texts_[i];
  if (texts_.size() > shown) t += "\r\n  ...";
  WARNAbs(t);
  ldlinks::OpenAt(firstText_, firstFile_, firstLine_, firstPos_);
}

void LoadDataFile(TCIL& Reader, const std::string& FileName, const std::string& Caption) {
  Reader.SetErrProc([](const std::string& Text, const std::string& File, int32_t LineNo,
                       int32_t Pos) { ldlinks::OpenAt(Text, File, LineNo, Pos); });
  Reader.Load(FileName, Caption);
}

bool WordReal(const std::string& Word, double& V) {
  if (Word.empty()) return false;
  int32_t code = 0;
  V = ValRealCode(Word, code);
  return code == 0 && std::isfinite(V);
}

bool WordInt(const std::string& Word, int32_t& V) {
  if (Word.empty()) return false;
  int32_t code = 0;
  V = ValIntCode(Word, code);
  return code == 0;
}
