#include "synthesis/pictures/cvPicReader.h"

#include <cctype>

#include "platform/FileErr.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvGRAD.h"
#include "synthesis/cvSynServices.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string CutComment(const std::string& S) {
  const size_t p = S.find('!');
  return TrimCtl(p == std::string::npos ? S : S.substr(0, p));
}

}  // namespace

void TPicReader::Open(const std::string& AFileName, const std::string& ATag) {
  FileName = AFileName;
  Tag = ATag;
  if (!platform::IsRegularFile(AFileName))
    ErrAbs("CLIN." + ATag + "(" + AFileName + ") Файла "_cp + AFileName + " нет!"_cp);
  TStringList L;
  L.LoadFromFile(AFileName);
  OpenLines(L.Lines(), AFileName, ATag);
}

void TPicReader::OpenLines(const std::vector<std::string>& Lines, const std::string& Name,
                           const std::string& ATag) {
  lines_ = Lines;
  FileName = Name;
  Tag = ATag;
  next_ = 0;
  LineNo = 0;
  Line.clear();
  LastWord.clear();
  Pos = 0;
}

bool TPicReader::NextLine() {
  while (next_ < lines_.size()) {
    const std::string l = CutComment(lines_[next_++]);
    if (l.empty()) continue;
    Line = l;
    LineNo = static_cast<int32_t>(next_);
    Pos = 0;
    LastWord.clear();
    return true;
  }
  Line.clear();
  Pos = 0;
  return false;
}

bool TPicReader::AtEnd() const {
  size_t p = static_cast<size_t>(Pos);
  while (p < Line.size() && Blank(Line[p])) ++p;
  return p >= Line.size();
}

std::string TPicReader::Word() {
  size_t p = static_cast<size_t>(Pos);
  while (p < Line.size() && Blank(Line[p])) ++p;
  const size_t b = p;
  while (p < Line.size() && !Blank(Line[p])) ++p;
  Pos = static_cast<int32_t>(p);
  LastWord = Line.substr(b, p - b);
  return LastWord;
}

std::string TPicReader::Rest() {
  const std::string r = TrimCtl(Line.substr(std::min(Line.size(), static_cast<size_t>(Pos))));
  Pos = static_cast<int32_t>(Line.size());
  return r;
}

int32_t TPicReader::Int(const std::string& What) {
  const std::string w = Word();
  int32_t code = 0;
  const int32_t v = w.empty() ? 0 : ValIntCode(w, code);
  if (w.empty() || code != 0) Fail("ошибка в целом числе "_cp + What + " = <" + w + ">");
  return v;
}

double TPicReader::Real(const std::string& What) {
  const std::string w = Word();
  int32_t code = 0;
  const double v = w.empty() ? 0 : ValRealCode(w, code);
  if (w.empty() || code != 0) Fail("ошибка в числе "_cp + What + " = <" + w + ">");
  return v;
}

uint32_t TPicReader::Color(const std::string& What) {
  const std::string w = Word();
  uint32_t c = 0;
  if (!ParseColor(w, c)) Fail("ошибка в цвете "_cp + What + " = <" + w + ">");
  return c;
}

void TPicReader::Fail(const std::string& Text) {
  const std::string where = "\r\nфайл "_cp + FileName + ", строка "_cp + IntStr(LineNo) +
                            ", слово <"_cp + LastWord + ">";
  Synthesis().OpenAt(Text, FileName, LineNo, Pos - static_cast<int32_t>(LastWord.size()) + 1);
  ErrAbs("CLIN.<" + Tag + ">-F-" + Text + where);
}

void SplitQuestStep(const std::string& Text, std::string& Quest, int32_t& Step) {
  Quest = Text;
  Step = 1;
  const size_t p = Text.rfind('.');
  if (p == std::string::npos || p + 1 >= Text.size()) return;
  int32_t code = 0;
  const int32_t n = ValIntCode(Text.substr(p + 1), code);
  if (code != 0) return;
  Quest = Text.substr(0, p);
  Step = n;
}

bool ParseColor(const std::string& Word, uint32_t& Color) {
  if (Word.empty()) return false;
  if (Word[0] == '$') {
    if (Word.size() < 2 || Word.size() > 9) return false;
    uint32_t v = 0;
    for (size_t i = 1; i < Word.size(); ++i) {
      const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(Word[i])));
      if (c >= '0' && c <= '9') v = v * 16 + static_cast<uint32_t>(c - '0');
      else if (c >= 'A' && c <= 'F') v = v * 16 + static_cast<uint32_t>(c - 'A' + 10);
      else return false;
    }
    Color = v & 0xFFFFFF;
    return true;
  }
  int32_t code = 0;
  const int32_t n = ValIntCode(Word, code);
  if (code != 0 || n < 0) return false;
  Color = TGRAF::IdxToColor(static_cast<uint32_t>(n)) & 0xFFFFFF;
  return true;
}
