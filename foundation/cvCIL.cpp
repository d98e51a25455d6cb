#include "foundation/cvCIL.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"

namespace {

const std::string CRLF = "\r\n";


// Number of characters TrimCtl takes off the front.
int32_t LeadingCtl(const std::string& S) {
  size_t b = 0;
  while (b < S.size() && static_cast<unsigned char>(S[b]) <= ' ') ++b;
  return static_cast<int32_t>(b);
}

std::string Slashed(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c == '\\') c = '/';
  return r;
}

// Folder part of a name, with its trailing separator; empty when the name has none.
std::string FolderPart(const std::string& Name) {
  size_t p = Name.find_last_of("/\\:");
  return p == std::string::npos ? std::string() : Name.substr(0, p + 1);
}

bool HasFolderPart(const std::string& Name) {
  return Name.find_first_of("/\\:") != std::string::npos;
}

bool FileExistsCIL(const std::string& Name) {
  return !Name.empty() && platform::IsRegularFile(Name);
}

// True when both names lead to the same file on disk.
bool SameFile(const std::string& A, const std::string& B) {
  std::error_code ec;
  bool same = std::filesystem::equivalent(platform::SysPath(A), platform::SysPath(B), ec);
  return !ec && same;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Loading and resetting

TCIL::~TCIL() {
  Reset();
  LSFNam.reset();
  ListSrc.reset();
}

void TCIL::Prepare(const std::string& Name, const std::string& Capt) {
  CommentMarker = "!";
  VarDefMarker.clear();
  VarRefMarker.clear();
  FileName = Name;
  Caption = Capt;
  IncludeMode = false;
  LSFNam.reset();
  ListSrc.reset();
  IncFolder = (Name == "StringList") ? std::string() : FolderPart(Name);
  Vars = std::make_unique<TStringList>();
  Loaded = false;
}

// After the lines were replaced by a file's lines: each line stands at its own place.
void TCIL::AfterLinesReplaced() {
  SrcLineNo_.resize(static_cast<size_t>(Count()));
  SrcColOfs_.assign(static_cast<size_t>(Count()), 0);
  for (int i = 0; i < Count(); ++i) SrcLineNo_[static_cast<size_t>(i)] = i + 1;
}

void TCIL::Load(const std::string& AFileName, const std::string& ACaption) {
  const std::string name = Slashed(AFileName);
  if (!FileExistsCIL(name))
    ErrAbs("CIL.Load-Err: Нет входного файла данных <"_cp + AFileName + "> [" + ACaption + "]!");
  Prepare(name, ACaption);
  LoadFromFile(name);
  AfterLinesReplaced();
  Line.clear();
  Pos = 1;
  WordStart = 0;
  WordCount = 0;
  if (Count() == 0) {
    WARN("CIL.Load(" + AFileName + ")[" + ACaption + "] файл ПУСТ!"_cp);
    return;
  }
  Loaded = true;
  CurLine = -1;
}

void TCIL::Load1(const std::string& AFileName) { Load(AFileName, std::string()); }

void TCIL::LoadSL(const std::string& ACaption, const TStringList* SL) {
  Prepare("StringList", ACaption);
  const bool inStep = SourcesInStep();
  const int before = Count();
  if (SL)
    for (int i = 0; i < SL->Count(); ++i) Add((*SL)[i]);
  if (inStep) {
    for (int i = before; i < Count(); ++i) {
      SrcLineNo_.push_back(i + 1);
      SrcColOfs_.push_back(0);
    }
  }
  Line.clear();
  Pos = 1;
  WordStart = 0;
  WordCount = 0;
  if (!SL || SL->Count() == 0) {
    WARN("CIL.LoadSL(" + FileName + ")[" + ACaption + "] список строк ПУСТ!"_cp);
    return;
  }
  Loaded = true;
  CurLine = -1;
}

void TCIL::LoadAndTrunc(const std::string& AFileName, const std::string& StopKey) {
  const std::string name = Slashed(AFileName);
  if (!FileExistsCIL(name))
    ErrAbs("CIL.LoadAndTrunc-Err: Нет входного файла данных ["_cp + AFileName + "]!");
  Prepare(name, std::string());
  Clear();
  TTextFile F;
  TxtOpen(F, 0, name);
  do {
    std::string s = F.ReadLn();
    Add(s);
    if (!StopKey.empty() && s.find(StopKey) != std::string::npos) break;
  } while (!F.Eof());
  F.Close();
  AfterLinesReplaced();
  Line.clear();
  Pos = 1;
  WordStart = 0;
  WordCount = 0;
  Loaded = true;
  CurLine = -1;
}

void TCIL::Reset() {
  FileName.clear();
  Caption.clear();
  IncFolder.clear();
  Line.clear();
  Loaded = false;
  Vars.reset();
}

void TCIL::Unload() {
  Reset();
  Clear();
  SrcLineNo_.clear();
  SrcColOfs_.clear();
}

// ---------------------------------------------------------------------------------------------
// Comments and empty lines

void TCIL::DelComments() {
  if (!CommentMarker.empty()) SLCutAfter(this, CommentMarker);
}

void TCIL::SetDelComments(const std::string& Marker) {
  SetComment(Marker);
  DelComments();
}

void TCIL::SetBlockComment(const std::string& OpenMarker, const std::string& CloseMarker) {
  BlockOpen = OpenMarker;
  BlockClose = CloseMarker;
}

void TCIL::DelBlockComments() {
  if (!BlockOpen.empty() && !BlockClose.empty()) SLCutBetween(this, BlockOpen, BlockClose);
}

void TCIL::DelEmptyLines() {
  const bool inStep = SourcesInStep();
  const bool srcInStep = ListSrc && ListSrc->size() == static_cast<size_t>(Count());
  TStringList kept;
  std::vector<int32_t> lineNo, colOfs, src;
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = (*this)[i];
    std::string t = TrimCtl(s);
    if (t.empty()) continue;
    const size_t k = static_cast<size_t>(i);
    if (inStep) {
      lineNo.push_back(SrcLineNo_[k]);
      colOfs.push_back(SrcColOfs_[k] + LeadingCtl(s));
    }
    if (srcInStep) src.push_back((*ListSrc)[k]);
    kept.Add(t);
  }
  Clear();
  AddStrings(kept);
  if (inStep) {
    SrcLineNo_ = std::move(lineNo);
    SrcColOfs_ = std::move(colOfs);
  } else {
    SrcLineNo_.clear();
    SrcColOfs_.clear();
  }
  if (srcInStep) *ListSrc = std::move(src);
}

bool TCIL::SourcesInStep() const {
  return SrcLineNo_.size() == static_cast<size_t>(Count()) &&
         SrcColOfs_.size() == static_cast<size_t>(Count());
}

// ---------------------------------------------------------------------------------------------
// Include files

void TCIL::Include(const std::string& FolderMarker, const std::string& FolderEnd,
                   const std::string& IncMarker, const std::string& IncEnd) {
  if (!IncludeMode) {
    IncludeMode = true;
    LSFNam = std::make_unique<TStringList>();
    LSFNam->Add(ExpandFileName(FileName));
    ListSrc = std::make_unique<std::vector<int32_t>>(static_cast<size_t>(Count()), 0);
  }
  if (!LSFNam) LSFNam = std::make_unique<TStringList>();
  if (!ListSrc) ListSrc = std::make_unique<std::vector<int32_t>>();
  // Lines a caller added since count as lines of the loaded file.
  ListSrc->resize(static_cast<size_t>(Count()), 0);
  const bool inStep = SourcesInStep();
  if (!inStep) {
    SrcLineNo_.clear();
    SrcColOfs_.clear();
  }

  int i = 0;
  while (i < Count()) {
    const std::string L = (*this)[i];

    if (!FolderMarker.empty()) {
      const size_t p = L.find(FolderMarker);
      if (p != std::string::npos) {
        std::string rest = L.substr(p + FolderMarker.size());
        std::string value;
        if (FolderEnd.empty()) {
          value = TrimCtl(rest);
        } else {
          const size_t q = rest.find(FolderEnd);
          if (q != std::string::npos) value = TrimCtl(rest.substr(0, q));
        }
        if (!value.empty()) IncFolder = ExpandFileName(Slashed(value));
      }
    }

    const int32_t p = IncMarker.empty() ? 0 : PosWord(IncMarker, L);
    if (p > 0) {
      const size_t after = static_cast<size_t>(p - 1) + IncMarker.size();
      const std::string rest = L.substr(after);
      std::string value;
      bool closed = true;
      if (IncEnd.empty()) {
        value = TrimCtl(rest);
      } else {
        const size_t q = rest.find(IncEnd);
        if (q == std::string::npos)
          closed = false;
        else
          value = TrimCtl(rest.substr(0, q));
      }
      if (closed && !value.empty()) {
        std::string name = HasFolderPart(value) ? ExpandFileName(Slashed(value))
                                                : Slashed(PathJoin(IncFolder, value));
        name = TrimCtl(name);
        const int32_t column = static_cast<int32_t>(after) + 1;
        if (!FileExistsCIL(name)) {
          CurLine = i;
          WordStart = column;
          Err("Include-Файл <"_cp + name + "> не найден!"_cp + CRLF + CRLF + "Папка= <"_cp +
              FolderPart(name) + ">" + CRLF + CRLF);
        }
        // A file is taken once in the whole expansion; the same file under another spelling
        // (a relative name, "..", a link) counts as the same file.
        bool seen = false;
        for (int k = 0; k < LSFNam->Count() && !seen; ++k) {
          const std::string known = TrimCtl((*LSFNam)[k]);
          seen = known == name || SameFile(known, name);
        }
        if (seen) {
          CurLine = i;
          WordStart = column;
          Err("Include Найдена циклическая ссылка на Файл <"_cp + name + "> !!!");
        }
        const int32_t N = LSFNam->Add(name);

        TStringList inc;
        inc.LoadFromFile(name);
        if (!BlockOpen.empty() && !BlockClose.empty()) SLCutBetween(&inc, BlockOpen, BlockClose);
        if (!CommentMarker.empty()) SLCutAfter(&inc, CommentMarker);

        const size_t at = static_cast<size_t>(i);
        Delete(i);
        ListSrc->erase(ListSrc->begin() + static_cast<std::ptrdiff_t>(at));
        if (inStep) {
          SrcLineNo_.erase(SrcLineNo_.begin() + static_cast<std::ptrdiff_t>(at));
          SrcColOfs_.erase(SrcColOfs_.begin() + static_cast<std::ptrdiff_t>(at));
        }
        for (int j = 0; j < inc.Count(); ++j) {
          Insert(i + j, inc[j]);
          ListSrc->insert(ListSrc->begin() + static_cast<std::ptrdiff_t>(at) + j, N);
          if (inStep) {
            SrcLineNo_.insert(SrcLineNo_.begin() + static_cast<std::ptrdiff_t>(at) + j, j + 1);
            SrcColOfs_.insert(SrcColOfs_.begin() + static_cast<std::ptrdiff_t>(at) + j, 0);
          }
        }
        continue;  // the scan goes on from the first inserted line
      }
    }
    ++i;
  }
}

std::string TCIL::IncludeFileNam(int32_t N) {
  if (N == 0 || !IncludeMode) return FileName;
  if (!LSFNam) ErrAbs("TCIL.IncludeFileNam <" + FileName + "> - список LSFNam Not Assigned!"_cp);
  if (N < 0 || N >= LSFNam->Count())
    ErrAbs("TCIL.IncludeFileNam <" + FileName + "> - список LSFNam содержит "_cp +
           IntStr(LSFNam->Count()) + " значений, а затребован файл №"_cp + IntStr(N) + "!");
  return (*LSFNam)[N];
}

int32_t TCIL::IncludeFileNum(int32_t LineIndex) {
  if (!IncludeMode) return 0;
  if (!ListSrc) ErrAbs("TCIL.IncludeFileNum <" + FileName + "> - список ListSrc Not Assigned!"_cp);
  if (LineIndex < 0 || static_cast<size_t>(LineIndex) >= ListSrc->size())
    ErrAbs("TCIL.IncludeFileNum <" + FileName + "> - список ListSrc содержит "_cp +
           IntStr(static_cast<int32_t>(ListSrc->size())) + " значений, строк в тексте "_cp +
           IntStr(Count()) + ", а затребована строка №"_cp + IntStr(LineIndex) + "!");
  return (*ListSrc)[static_cast<size_t>(LineIndex)];
}

int32_t TCIL::IncludeFileNS(int32_t LineIndex, int32_t N) {
  if (IncludeFileNum(LineIndex) != N)
    ErrAbs("TCIL.IncludeFileNS <" + FileName + "> - строка № "_cp + IntStr(LineIndex) +
           " должна указывать на IncludeFile №"_cp + IntStr(N) + " !!!");
  if (!ListSrc) return LineIndex + 1;  // outside include mode every line is the file's own
  int32_t k = 0;
  for (int32_t j = 0; j <= LineIndex; ++j)
    if ((*ListSrc)[static_cast<size_t>(j)] == N) ++k;
  return k;
}

// ---------------------------------------------------------------------------------------------
// Variables

void TCIL::SetVarMarkers(const std::string& DefMarker, const std::string& RefMarker) {
  VarDefMarker = DefMarker;
  VarRefMarker = RefMarker;
}

void TCIL::SetVar(const std::string& Name, const std::string& Value) {
  if (Name.empty() || Value.empty()) return;
  if (!Vars) Vars = std::make_unique<TStringList>();
  const std::string line = Name + " " + Value;
  for (int i = 0; i < Vars->Count(); ++i) {
    const std::string& s = (*Vars)[i];
    if (s.substr(0, s.find(' ')) == Name) {
      Vars->Put(i, line);
      return;
    }
  }
  Vars->Add(line);
}

void TCIL::SetVars(const TStringList* SL) {
  if (!SL) return;
  for (int i = 0; i < SL->Count(); ++i) {
    const std::string& s = (*SL)[i];
    const size_t b = s.find(' ');
    if (b == std::string::npos) continue;  // a name without a value sets nothing
    SetVar(s.substr(0, b), TrimCtl(s.substr(b + 1)));
  }
}

std::string TCIL::GetVar(const std::string& Name) const {
  if (Name.empty() || !Vars) return std::string();
  for (int i = 0; i < Vars->Count(); ++i) {
    const std::string& s = (*Vars)[i];
    const size_t b = s.find(' ');
    if (s.substr(0, b) == Name) return b == std::string::npos ? std::string() : TrimCtl(s.substr(b + 1));
  }
  return std::string();
}

void TCIL::ErrVars(const std::string& Head) {
  Err(Head + "\n\r" + SListToStr(Vars.get()));
}

void TCIL::SubstituteVars() {
  if (VarDefMarker.empty() || Line.empty()) return;
  size_t p = Line.find(VarDefMarker);
  if (p != std::string::npos) {
    while (p != std::string::npos) {
      const size_t start = p + VarDefMarker.size();
      const size_t next = Line.find(VarDefMarker, start);
      std::string def = Line.substr(start, next == std::string::npos ? std::string::npos
                                                                     : next - start);
      const size_t eq = def.find('=');
      if (eq != std::string::npos) def[eq] = ' ';
      const size_t b = def.find(' ');
      const std::string name = def.substr(0, b);
      const std::string value = b == std::string::npos ? std::string() : TrimCtl(def.substr(b + 1));
      SetVar(name, value);
      p = next;
    }
    return;
  }
  if (VarRefMarker.empty()) return;
  int32_t passes = 0;
  while ((p = Line.find(VarRefMarker)) != std::string::npos) {
    const size_t start = p + VarRefMarker.size();
    const size_t blank = Line.find(' ', start);
    const std::string name =
        Line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
    const std::string value = GetVar(name);
    if (value.empty()) {
      WordStart = static_cast<int32_t>(p) + 1;
      ErrVars("Не найдено значение переменной <"_cp + VarRefMarker + name + ">!");
    }
    if (++passes > MaxVarPasses) {
      WordStart = static_cast<int32_t>(p) + 1;
      ErrVars("Циклическая ссылка в значении переменной <"_cp + VarRefMarker + name + ">!");
    }
    // The length the line will have, checked before the text is built.
    const std::string ref = VarRefMarker + name;
    size_t length = Line.size();
    for (size_t q = p; q != std::string::npos && length <= MaxVarLineLength;
         q = Line.find(ref, q + ref.size()))
      length = length - ref.size() + value.size();
    if (length > MaxVarLineLength) {
      WordStart = static_cast<int32_t>(p) + 1;
      Err("Строка после подстановки переменной <"_cp + ref + "> длиннее "_cp +
          IntStr(static_cast<int32_t>(MaxVarLineLength)) + " символов!"_cp);
    }
    Line = ReplaceAll(Line, ref, value);
  }
}

// ---------------------------------------------------------------------------------------------
// Line cursor

void TCIL::CutComment() {
  if (CommentMarker.empty()) return;
  const size_t p = Line.find(CommentMarker);
  if (p != std::string::npos) Line.erase(p);
}

void TCIL::AdvanceLine(bool SkipEmpty) {
  Pos = 1;
  WordCount = 0;
  WordStart = 0;
  Line.clear();
  if (!Loaded) return;
  if (CurLine < -1) CurLine = -1;
  while (CurLine < Count() - 1) {
    ++CurLine;
    Line = (*this)[CurLine];
    CutComment();
    SubstituteVars();
    if (!SkipEmpty || !TrimCtl(Line).empty()) return;
    Line.clear();
  }
}

void TCIL::NextLine() { AdvanceLine(true); }

void TCIL::NextLineRaw() { AdvanceLine(false); }

void TCIL::SkipLines(int32_t N) {
  for (int32_t k = 0; k < N; ++k) NextLineRaw();
}

void TCIL::GotoLine(int32_t N) {
  int32_t c = N - 2;
  if (c > Count() - 1) c = Count() - 1;
  if (c < -1) c = -1;
  CurLine = c;
  Line.clear();
  Pos = 1;
  WordCount = 0;
  WordStart = 0;
}

bool TCIL::FindKey(const std::string& Key) {
  // An empty key is in no line: the search runs to the end like any key that is absent.
  auto at = [&] { return Key.empty() ? std::string::npos : Line.find(Key); };
  for (;;) {
    const int32_t before = CurLine;
    NextLine();
    if (at() != std::string::npos) break;
    if (CurLine >= Count() - 1 || CurLine == before) break;  // the end, or nothing to read
  }
  const size_t p = at();
  if (p == std::string::npos) return false;
  Pos = static_cast<int32_t>(p + Key.size()) + 1;
  return true;
}

bool TCIL::Eof() {
  if (!Loaded) {
    WARN("CIL.EOF(" + FileName + ") - файл не открыт!"_cp);
    return true;
  }
  return CurLine >= Count() - 1;
}

void TCIL::Rewind() {
  Pos = 1;
  WordStart = 1;
  WordCount = 0;
}

bool TCIL::HasWord(const std::string& Word) {
  Rewind();
  for (;;) {
    const std::string w = GetWord();
    if (w.empty()) return false;
    if (w == Word) return true;
  }
}

// ---------------------------------------------------------------------------------------------
// Words and numbers

std::string TCIL::GetWord() {
  if (!Loaded) return std::string();
  ++WordCount;
  return ScanLineWord(Line, Pos, WordStart);
}

std::string TCIL::GetRest() {
  if (!Loaded) return std::string();
  const int32_t len = static_cast<int32_t>(Line.size());
  if (Pos < 1) Pos = 1;
  std::string r = Pos <= len ? Line.substr(static_cast<size_t>(Pos - 1)) : std::string();
  Pos = len + 1;
  return TrimCtl(r);
}

bool TCIL::IsNextChar(char C) const {
  if (!Loaded) return false;
  const int32_t len = static_cast<int32_t>(Line.size());
  int32_t j = Pos < 1 ? 1 : Pos;
  while (j <= len && Line[static_cast<size_t>(j - 1)] == ' ') ++j;
  return j <= len && Line[static_cast<size_t>(j - 1)] == C;
}

char TCIL::GetChar() {
  const std::string w = GetWord();
  return w.empty() ? '\0' : w[0];
}

int32_t TCIL::GetInt() {
  if (!Loaded) return 0;
  const int32_t v = WordToInt(GetWord());
  WordStart = 0;
  return v;
}

int32_t TCIL::GetNum(int32_t Minimum, int32_t Maximum) {
  if (!Loaded) return Minimum;
  const std::string w = GetWord();
  const int32_t v = WordToInt(w);
  if (v < Minimum)
    Err("TCIL.GetNum Ошибка - значение <"_cp + w + "> не может быть меньше "_cp +
        IntStr(Minimum));
  if (v > Maximum)
    Err("TCIL.GetNum Ошибка - значение <"_cp + w + "> не может быть больше "_cp +
        IntStr(Maximum));
  WordStart = 0;
  return v;
}

double TCIL::GetReal() {
  if (!Loaded) return 0.0;
  const double v = WordToReal(GetWord());
  WordStart = 0;
  return v;
}

int32_t TCIL::WordToInt(const std::string& Word) {
  int32_t code = 0;
  const int32_t v = ValIntCode(Word, code);
  if (code != 0)
    Err("Ошибка при вводе целого ["_cp + Word + "] pos=" + IntStr(code) + " строка="_cp + CRLF +
        Line + CRLF + "Позиция = "_cp + IntStr(WordStart + code - 1));
  return v;
}

double TCIL::WordToReal(const std::string& Word) {
  // The program writes exponents without a letter, also after a bare point (‘1.+20’).
  const std::string w = ExpLetterFix(Word);
  int32_t code = 0;
  const double v = ValRealPlainCode(w, code);
  if (code != 0) {
    std::string msg = "Ошибка при вводе действительного числа <"_cp + w + "> IErr=" + IntStr(code);
    if (WordCount > 0) msg += " IWord=" + IntStr(WordCount);
    msg += " NWord=" + IntStr(::WordCount(Line)) + CRLF + "строка=<"_cp + Line + ">";
    Err(msg);
  }
  return v;
}

std::string TCIL::GetWord0(const std::string& BlankTpl) {
  if (BlankTpl.empty())
    ErrAbs("TCIL.GetWord0 ERR: sBlankTpl0='' - проветьте код программы!"_cp);
  sBlankTpl0 = BlankTpl;
  return NextWord0();
}

std::string TCIL::NextWord0() {
  if (sBlankTpl0.empty())
    ErrAbs("TCIL.GetWord0 ERR: GetWord0(sBlankTpl0) не был вызван"_cp + CRLF +
           "- проветьте код программы!"_cp);
  const std::string w = GetWord();
  return w == sBlankTpl0 ? std::string() : w;
}

// ---------------------------------------------------------------------------------------------
// Key items

namespace {
// 1-based column just after "Key=" in Line, 0 when absent.
int32_t KeyPos(const std::string& Line, const std::string& Key) {
  const size_t p = Line.find(Key + "=");
  return p == std::string::npos ? 0 : static_cast<int32_t>(p + Key.size() + 2);
}
}  // namespace

std::string TCIL::KeyWord(const std::string& Key) {
  const int32_t p = KeyPos(Line, Key);
  if (p == 0) return std::string();
  Pos = p;
  return GetWord();
}

double TCIL::KeyReal(const std::string& Key, double Default) {
  const int32_t p = KeyPos(Line, Key);
  if (p == 0) return Default;
  Pos = p;
  return GetReal();
}

int32_t TCIL::KeyInt(const std::string& Key, int32_t Default) {
  const int32_t p = KeyPos(Line, Key);
  if (p == 0) return Default;
  Pos = p;
  return GetInt();
}

char TCIL::KeyChar(const std::string& Key, char Default) {
  const int32_t p = KeyPos(Line, Key);
  if (p == 0) return Default;
  Pos = p;
  return GetChar();
}

// ---------------------------------------------------------------------------------------------
// Table fields

std::string TCIL::TabField(int32_t N) {
  const int32_t len = static_cast<int32_t>(Line.size());
  Pos = 1;
  int32_t steps = 0;
  while (steps < N && Pos <= len) {
    while (Pos <= len && !IsSepChar(Line[static_cast<size_t>(Pos - 1)])) ++Pos;
    if (Pos <= len) ++Pos;  // over one separator
    ++steps;
  }
  if (steps < N)
    WARN("CIL." + Caption + "(" + FileName + ") В строке таблицы нет поля N\""_cp + IntStr(N));
  const int32_t start = Pos;
  int32_t e = Pos;
  while (e <= len && !IsSepChar(Line[static_cast<size_t>(e - 1)])) ++e;
  Pos = start;
  if (start > len) return std::string();
  return Line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(e - start));
}

std::string TCIL::TabFieldTrim(int32_t N) {
  const std::string f = TabField(N);
  Pos += LeadingCtl(f);
  return TrimCtl(f);
}

std::string TCIL::TabFieldReq(int32_t N) {
  const std::string f = TabFieldTrim(N);
  if (f.empty()) {
    WordStart = Pos;  // the error points at the empty field
    Err("Пустое поле в таблице. Строка="_cp + CRLF + Line);
  }
  return f;
}

// ---------------------------------------------------------------------------------------------
// Errors

std::string TCIL::ErrText(const std::string& Msg, std::string& ErrFileName, int32_t& ErrLineNo,
                          int32_t& ErrPos) {
  if (WordStart != 0) Pos = WordStart;
  std::string s = "CIL";
  if (!Caption.empty()) s += "." + Caption;
  s += "-F-" + Msg + CRLF;

  // Where the current line stands in its own file, while that is known.
  const bool known = CurLine >= 0 && SourcesInStep() && CurLine < Count();
  const int32_t col = Pos + (known ? SrcColOfs_[static_cast<size_t>(CurLine)] : 0);

  if (!IncludeMode) {
    ErrFileName = FileName;
    ErrLineNo = known ? SrcLineNo_[static_cast<size_t>(CurLine)] : CurLine + 1;
    s += "FileName=<" + FileName + ">" + CRLF + " str=" + IntStr(ErrLineNo) + " pos=" + IntStr(col);
  } else {
    // A line without a source entry (added by a caller after the expansion) counts as a line
    // of the loaded file.
    const bool hasSrc = ListSrc && CurLine >= 0 && static_cast<size_t>(CurLine) < ListSrc->size();
    int32_t N = hasSrc ? (*ListSrc)[static_cast<size_t>(CurLine)] : 0;
    const bool validN = N == 0 || (LSFNam && N > 0 && N < LSFNam->Count());
    if (!validN) N = 0;
    if (known)
      ErrLineNo = SrcLineNo_[static_cast<size_t>(CurLine)];
    else if (hasSrc && validN)
      ErrLineNo = IncludeFileNS(CurLine, N);
    else
      ErrLineNo = CurLine + 1;
    ErrFileName = IncludeFileNam(N);
    s += "CIL.File=<" + FileName + ">" + CRLF + "include File=<" + ErrFileName + ">" + CRLF +
         " str=" + IntStr(ErrLineNo) + " pos=" + IntStr(col);
  }
  ErrPos = col;
  return s;
}

void TCIL::Err(const std::string& Msg) {
  PopCursor();
  std::string fn;
  int32_t ln = 0, ps = 0;
  const std::string text = ErrText(Msg, fn, ln, ps);
  if (ErrProc) {
    try {
      ErrProc(text, fn, ln, ps);
    } catch (...) {
      Unload();
      throw;
    }
  }
  Unload();
  ErrAbs(text);
}

void TCIL::ErrAt(int32_t LineIndex, int32_t Column, const std::string& Msg) {
  CurLine = LineIndex;
  Pos = Column;
  WordStart = Column;  // the column given, not that of a word read before
  Err(Msg);
}
