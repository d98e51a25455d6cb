#include "foundation/cvTunes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// The text before the first ";".
std::string CutComment(const std::string& s) {
  size_t p = s.find(';');
  return p == std::string::npos ? s : s.substr(0, p);
}

bool HasOpenBracket(const std::string& s) { return s.find('[') != std::string::npos; }

// A "[" with a "]" after it: a section header, which ends the section before it.
bool IsSectionLine(const std::string& s) {
  size_t p = s.find('[');
  return p != std::string::npos && s.find(']', p + 1) != std::string::npos;
}

std::string FolderOf(const std::string& name) {
  size_t p = name.find_last_of("\\/");
  return p == std::string::npos ? std::string() : name.substr(0, p + 1);
}

// "cvtmp" + time of day hhmmss + ".ini" in the file's folder; a counter is added while a file
// of that name exists.
std::string TempNameFor(const std::string& fileName) {
  std::string stem = FolderOf(fileName) + "cvtmp" + MsToHHMMSS(MsClock());
  std::string name = stem + ".ini";
  for (int n = 1; platform::PathExists(name) && n < 1000000; ++n) name = stem + "_" + IntStr(n) + ".ini";
  return name;
}

}  // namespace

TTunes::TTunes(const std::string& Name_, const std::string& FileName)
    : Names(std::make_unique<TStringList>()), Values(std::make_unique<TStringList>()), Name(Name_) {
  InFile = OutFile = ExpandFileName(FileName);
  Load();
}

TTunes::~TTunes() { FreeLists(); }

void TTunes::FreeLists() {
  Names.reset();
  Values.reset();
  Name.clear();
  InFile.clear();
  OutFile.clear();
}

void TTunes::Reload(const std::string& FileName) {
  InFile = OutFile = ExpandFileName(FileName);
  Load();
}

void TTunes::Load() {
  if (InFile.empty()) InFile = OutFile;
  if (InFile.empty()) {
    WARN("Для списка загружаемых параметров ["_cp + Name + "] не задан входной файл!"_cp);
    return;
  }
  LoadFromFile(InFile);
}

void TTunes::LoadFromFile(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) {
    if (InFile.empty()) InFile = FileName;
    if (OutFile.empty()) OutFile = FileName;
    return;
  }
  const std::string header = "[" + Name + "]";
  TTextFile F;
  TxtOpen(F, 0, FileName);
  bool found = false;
  while (!F.Eof() && !found) found = CutComment(F.ReadLn()).find(header) != std::string::npos;
  while (found && !F.Eof()) {
    std::string line = CutComment(F.ReadLn());
    if (HasOpenBracket(line)) {
      if (IsSectionLine(line)) break;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    Set(line.substr(0, eq), TrimSp(line.substr(eq + 1)));
  }
  F.Close();
}

void TTunes::Save() {
  if (OutFile.empty()) OutFile = InFile;
  if (OutFile.empty()) {
    WARN("Для списка сохраняемых параметров ["_cp + Name + "] не задан выходной файл!"_cp);
    return;
  }
  SaveToFile(OutFile);
}

// Lines of the old file are copied with their own bytes and line ends, so every other section
// stays byte for byte as it was (a byte-order mark too). The saved section is written in the
// file's code page (1251 when the file was read as 1251, else UTF-8; a new or pure ASCII file
// is UTF-8) with the file's first line end (LF for a file without one).
// The old section begins at the first line whose text before ";" holds the header, as when
// loading, and ends at the first line whose text before ";" holds a "[" with a "]" after it,
// the same rule as loading uses, so a commented-out header inside the section is not taken for
// the next section.
void TTunes::SaveToFile(const std::string& FileName) {
  const std::string header = "[" + Name + "]";
  const bool exists = platform::IsRegularFile(FileName);
  struct Line {
    std::string raw, eol;
  };
  std::vector<Line> lines;
  std::string bom;
  bool utf8 = true;
  if (exists) {
    TTextFile src;
    TxtOpen(src, 0, FileName);
    Line l;
    bool nonAscii = false;
    while (src.ReadLnRaw(l.raw, l.eol)) {
      for (unsigned char c : l.raw) nonAscii = nonAscii || c >= 0x80;
      lines.push_back(l);
    }
    utf8 = src.SourceIsUtf8() || !nonAscii;
    src.Close();
    std::string bytes;
    if (platform::ReadWholeFile(FileName, bytes) == 0 && bytes.compare(0, 3, kBom) == 0)
      bom = kBom;
  }
  std::string eol = "\n";
  for (const Line& l : lines)
    if (!l.eol.empty()) {
      eol = l.eol;
      break;
    }
  auto text = [&](const Line& l) { return utf8 ? platform::Utf8ToCp1251(l.raw) : l.raw; };

  const std::string tmp = TempNameFor(FileName);
  TTextFile dst;
  TxtOpen(dst, 1, tmp);
  try {
    auto put = [&](const std::string& s) {
      dst.WriteRaw((utf8 ? platform::Cp1251ToUtf8(s) : s) + eol);
    };
    dst.WriteRaw(bom);
    size_t i = 0;
    while (i < lines.size() && CutComment(text(lines[i])).find(header) == std::string::npos) {
      dst.WriteRaw(lines[i].raw + lines[i].eol);
      ++i;
    }
    if (i > 0 && lines[i - 1].eol.empty()) dst.WriteRaw(eol);
    put(header);
    for (int k = 0; k < Count() && Values && k < Values->Count(); ++k)
      put((*Names)[k] + "=" + (*Values)[k]);
    put(std::string());
    if (i < lines.size()) ++i;  // the old header
    while (i < lines.size() && !IsSectionLine(CutComment(text(lines[i])))) ++i;
    for (; i < lines.size(); ++i) dst.WriteRaw(lines[i].raw + lines[i].eol);
    dst.Flush(true);
    dst.Close();
    if (exists) {
      struct stat st;
      if (::stat(platform::SysPath(FileName).c_str(), &st) == 0)
        ::chmod(platform::SysPath(tmp).c_str(), st.st_mode & 07777);
    }
    if (::rename(platform::SysPath(tmp).c_str(), platform::SysPath(FileName).c_str()) != 0) {
      int32_t code = platform::DosErrorFromErrno(errno);
      throw EInOutError("I/O error " + IntStr(code) + " rename \"" + tmp + "\" -> \"" + FileName +
                        "\"");
    }
  } catch (...) {
    try {
      if (dst.IsOpen()) dst.Close();
    } catch (...) {
    }
    ::unlink(platform::SysPath(tmp).c_str());
    throw;
  }
  OutFile = FileName;
}

int TTunes::Count() const { return Names ? Names->Count() : 0; }

int TTunes::IndexOfKey(const std::string& Key) const {
  if (!Names || !Values) return -1;
  for (int i = 0; i < Names->Count() && i < Values->Count(); ++i)
    if ((*Names)[i] == Key) return i;
  return -1;
}

std::string TTunes::Get(const std::string& Key) const {
  int i = IndexOfKey(Key);
  return i < 0 ? std::string() : (*Values)[i];
}

std::string TTunes::GetDef(const std::string& Key, const std::string& Default) const {
  std::string v = Get(Key);
  return v.empty() ? Default : v;
}

int32_t TTunes::GetInt(const std::string& Key) const {
  int32_t code = 0;
  return ValIntCode(Get(Key), code);
}

int32_t TTunes::GetIntDef(const std::string& Key, int32_t Default) const {
  std::string v = Get(Key);
  if (v.empty()) return Default;
  int32_t code = 0;
  return ValIntCode(v, code);
}

int32_t TTunes::GetIntCode(const std::string& Key, int32_t& Code) const {
  std::string v = Get(Key);
  if (v.empty()) {
    Code = -1;
    return 8421504;
  }
  return ValIntCode(v, Code);
}

bool TTunes::Flag(const std::string& Key) const {
  std::string v = Get(Key);
  return v.size() == 1 && (v[0] == '1' || v[0] == 'Y' || v[0] == 'y');
}

bool TunesFlag(const TTunes* Tunes, const std::string& Key) {
  if (!Tunes) ErrAbs("Вызов Tunes параметр=<"_cp + Key + "> когда еще не было Create!"_cp);
  return Tunes->Flag(Key);
}

void TTunes::Set(const std::string& Key, const std::string& Value) {
  if (!Names) {
    WARN("Tunes SLN Not Assigned N=" + Key + " Value=" + Value);
    return;
  }
  if (!Values) {
    WARN("Tunes SLV Not Assigned N=" + Key + " Value=" + Value);
    return;
  }
  int i = IndexOfKey(Key);
  if (i >= 0) {
    Values->Put(i, Value);
  } else {
    Names->Add(Key);
    Values->Add(Value);
  }
}

void TTunes::SetInt(const std::string& Key, int32_t Value) { Set(Key, IntStr(Value)); }

void TTunes::SetFlag(const std::string& Key, bool Value) {
  if (Value) Set(Key, "1");
  else Clear(Key);
}

void TTunes::Clear(const std::string& Key) {
  if (!Names) {
    WARN("Tunes.Clear SLN Not Assigned N=" + Key);
    return;
  }
  for (int i = Names->Count() - 1; i >= 0; --i)
    if ((*Names)[i] == Key) {
      Names->Delete(i);
      if (Values && i < Values->Count()) Values->Delete(i);
      return;
    }
}

std::unique_ptr<TStringList> TTunes::SubNames(const std::string& Word) const {
  auto list = std::make_unique<TStringList>();
  for (int i = 0; i < Count(); ++i) {
    const std::string& key = (*Names)[i];
    if (QWordN(key, 1, '|') != Word) continue;
    std::string w = QWordN(key, 2, '|');
    bool held = false;
    for (int k = 0; k < list->Count() && !held; ++k) held = (*list)[k] == w;
    if (!held) list->Add(w);
  }
  return list;
}

std::unique_ptr<TStringList> TTunes::SubNames2(const std::string& Words) const {
  auto list = std::make_unique<TStringList>();
  const std::string w1 = QWordN(Words, 1, '|'), w2 = QWordN(Words, 2, '|');
  for (int i = 0; i < Count(); ++i) {
    const std::string& key = (*Names)[i];
    if (QWordN(key, 1, '|') != w1 || QWordN(key, 2, '|') != w2) continue;
    std::string w = QWordN(key, 3, '|');
    bool held = false;
    for (int k = 0; k < list->Count() && !held; ++k) held = (*list)[k] == w;
    if (!held) list->Add(w);
  }
  return list;
}

void TTunes::TestPrint() const {
  std::string text = "Набор настроек ["_cp + Name + "] - тестовый вывод"_cp;
  for (int i = 0; i < Count() && Values && i < Values->Count(); ++i)
    text += "\n\r" + (*Names)[i] + "=" + (*Values)[i];
  WARNAbs(text);
}
