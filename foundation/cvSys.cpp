#include "foundation/cvSys.h"

#include <array>

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace {

const std::string kCrLf = "\r\n";

// Lower case of a code page 1251 letter: Latin A..Z, Cyrillic А..Я and Ё.
char LowCaseCyr(char C) {
  unsigned char c = static_cast<unsigned char>(C);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<char>(c + 32);
  if (c == 0xA8) return static_cast<char>(0xB8);
  return C;
}

// The class library's integer text: optional blanks, optional sign, decimal digits or
// hexadecimal digits after "$" or "0x". A 32-bit read accepts hexadecimal up to FFFFFFFF (taken
// as the bit pattern) and decimals within the signed range.
bool ParseLibInt(const std::string& S, bool Is64, int64_t& V) {
  size_t i = 0, n = S.size();
  while (i < n && S[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) neg = S[i++] == '-';
  bool hex = false;
  if (i < n && S[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    hex = true;
    i += 2;
  } else if (i < n && (S[i] == 'x' || S[i] == 'X')) {
    hex = true;
    ++i;
  }
  if (i >= n) return false;
  uint64_t u = 0;
  if (hex) {
    const uint64_t limit = Is64 ? ~uint64_t(0) : 0xFFFFFFFFull;
    for (; i < n; ++i) {
      int d;
      char c = S[i];
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return false;
      if (u > (limit >> 4)) return false;
      u = (u << 4) | static_cast<uint64_t>(d);
    }
    int64_t s = Is64 ? static_cast<int64_t>(u) : static_cast<int32_t>(static_cast<uint32_t>(u));
    V = neg ? static_cast<int64_t>(0 - static_cast<uint64_t>(s)) : s;
    if (!Is64) V = static_cast<int32_t>(V);
    return true;
  }
  const uint64_t limit = Is64 ? (neg ? 0x8000000000000000ull : 0x7FFFFFFFFFFFFFFFull)
                              : (neg ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < n; ++i) {
    char c = S[i];
    if (c < '0' || c > '9') return false;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (u > (limit - d) / 10) return false;
    u = u * 10 + d;
  }
  V = neg ? static_cast<int64_t>(0 - u) : static_cast<int64_t>(u);
  return true;
}

// Folder + Name, with the file's own name found without regard to case when the exact one is
// missing (a folder without its trailing separator makes its last part a prefix of the name).
std::string FindHistoryFile(const std::string& Folder, const std::string& Name) {
  std::string exact = Folder + Name;
  if (platform::IsRegularFile(exact)) return exact;
  size_t p = exact.find_last_of("/\\");
  std::string prefix = p == std::string::npos ? std::string() : exact.substr(0, p + 1);
  std::string base = p == std::string::npos ? exact : exact.substr(p + 1);
  std::string dir = prefix;
  if (dir.size() > 1) dir.pop_back();  // keep a bare root
  std::vector<platform::TDirEntry> entries;
  if (!platform::ReadDirEntries(dir, entries)) return std::string();
  std::string want = UpCaseStrCyr(base);
  for (const auto& e : entries)
    if (!(e.Attr & platform::faDirectory) && UpCaseStrCyr(e.Name) == want) return prefix + e.Name;
  return std::string();
}

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[i] = c;
  }
  return t;
}
const std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr uint8_t kWinToDosHigh[64] = {
    0x3F, 0x3F, 0x82, 0x3F, 0x22, 0x3A, 0x2B, 0x2B, 0x3F, 0x25, 0x3F, 0x3C, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x91, 0x92, 0x22, 0x22, 0x07, 0x2D, 0x2D, 0x3F, 0x54, 0x3F, 0x3E, 0x3F, 0x3F, 0x3F, 0x3F,
    0xA0, 0xA1, 0xA2, 0x3F, 0xA4, 0x3F, 0xA6, 0xA7, 0xF0, 0x63, 0xAA, 0x3C, 0xAC, 0x2D, 0x52, 0xAF,
    0xB0, 0x2B, 0x3F, 0x3F, 0x3F, 0xF7, 0xB6, 0xB7, 0xF1, 0xB9, 0xBA, 0x3E, 0x3F, 0x3F, 0x3F, 0xBF};

// DOS 866 box-drawing range B0..DF.
constexpr uint8_t kDosToWinBox[48] = {
    0x2D, 0x2D, 0x2D, 0xE6, 0x2B, 0xE6, 0xE6, 0xEC, 0xEC, 0xE6, 0xE6, 0xEC, 0x2D, 0x2D, 0x2D, 0xEC,
    0x4C, 0x2B, 0x54, 0x2B, 0x2D, 0x2B, 0xE6, 0xE6, 0x4C, 0xF3, 0xE6, 0x54, 0xE6, 0x3D, 0x2B, 0xE6,
    0xE6, 0x54, 0x54, 0x4C, 0x4C, 0x2D, 0xF3, 0x2B, 0x2B, 0x2D, 0x2D, 0x2D, 0x2D, 0xE6, 0xE6, 0x2D};

// DOS 866 F0..FF.
constexpr uint8_t kDosToWinTail[16] = {0xE8, 0xAC, 0xEA, 0xA6, 0xEF, 0xAC, 0xE1, 0xE2,
                                       0x2D, 0xD5, 0xAC, 0x76, 0xA6, 0xE4, 0xE6, 0xE0};

struct TCodeTables {
  uint8_t WinToDos[256];
  uint8_t DosToWin[256];
  TCodeTables() {
    for (int b = 0; b < 128; ++b) WinToDos[b] = DosToWin[b] = static_cast<uint8_t>(b);
    for (int b = 0x80; b < 0xC0; ++b) WinToDos[b] = kWinToDosHigh[b - 0x80];
    for (int b = 0xC0; b < 0xF0; ++b) WinToDos[b] = static_cast<uint8_t>(b - 0x40);  // А..Я, а..п
    for (int b = 0xF0; b < 0x100; ++b) WinToDos[b] = static_cast<uint8_t>(b - 0x10);  // р..я
    for (int b = 0x80; b < 0xB0; ++b) DosToWin[b] = static_cast<uint8_t>(b + 0x40);   // А..Я, а..п
    for (int b = 0xB0; b < 0xE0; ++b) DosToWin[b] = kDosToWinBox[b - 0xB0];
    for (int b = 0xE0; b < 0xF0; ++b) DosToWin[b] = static_cast<uint8_t>(b + 0x10);   // р..я
    for (int b = 0xF0; b < 0x100; ++b) DosToWin[b] = kDosToWinTail[b - 0xF0];
  }
};
const TCodeTables kCodeTables;

std::string MapBytes(const std::string& Text, const uint8_t* Table) {
  std::string r = Text;
  for (char& c : r) c = static_cast<char>(Table[static_cast<unsigned char>(c)]);
  return r;
}

}  // namespace

// ---------------------------------------------------------------- file history

void TFStackRec::SetBlock(const TFPosBlock& B) {
  Line = B.Line;
  Column = B.Column;
  CRC = B.CRC;
  Flags = B.Flags;
}

void TFStackRec::SetData(TFStackRec* Rec, int32_t Number, char Kind, const std::string& FileName,
                         int32_t LineCount, const TFPosBlock& Block) {
  if (!Rec) {
    WARNAbs("VFSRec Not Assigned!!!");
    return;
  }
  Rec->Number = Number;
  Rec->FileName = FileName;
  Rec->SetBlock(Block);
  Rec->LineCount = LineCount;
  Rec->Kind = Kind;
  unsigned char d = FileName.size() >= 2 ? static_cast<unsigned char>(FileName[0]) : 0;
  bool letter = (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z') || d >= 0xC0 || d == 0xA8 ||
                d == 0xB8;
  if (FileName.size() >= 2 && FileName[1] == ':' && letter) {
    Rec->Drive = LowCaseCyr(static_cast<char>(d));
    Rec->VolumeSerial = ::VolumeSerial(Rec->Drive);
  } else {
    Rec->Drive = 0;
    Rec->VolumeSerial = 0;
  }
}

std::unique_ptr<TFStackRec> TVFSList::Extract(int i) {
  auto it = items_.begin() + i;
  std::unique_ptr<TFStackRec> r = std::move(*it);
  items_.erase(it);
  return r;
}

std::unique_ptr<TFStackRec> StrToFStackRec(const std::string& Line) {
  auto fail = [&Line](const std::string& Head, const std::string& Word) {
    WARNAbs(Head + Word + "> из строки "_cp + kCrLf + Line);
    return std::unique_ptr<TFStackRec>();
  };
  auto r = std::make_unique<TFStackRec>();
  int32_t j = 1;
  std::string w;
  int64_t v = 0;

  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, true, v)) return fail("Ошибка в 16-ричном числе <"_cp, w);
  r->Number = static_cast<int32_t>(v);
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, true, v)) return fail("Ошибка в 16-ричном числе <"_cp, w);
  r->VolumeSerial = static_cast<uint32_t>(v);
  NextQWord(Line, j, '"', w);
  if (w.empty() || (w[0] != 'F' && w[0] != 'L' && w[0] != 'M')) {
    WARNAbs("Ошибка - в позиции "_cp + IntStr(j - 1) + " в слове <"_cp + w +
            "> должен быть 1 символ из набора F,L,M в строке"_cp + kCrLf + Line);
    return nullptr;
  }
  r->Kind = w[0];
  NextQWord(Line, j, '"', w);
  r->FileName = DeQuote(w, '"');
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, false, v)) return fail("Ошибка при чтении числа строк числе <"_cp, w);
  r->LineCount = static_cast<int32_t>(v);
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, false, v))
    return fail("Ошибка при чтении номера тек.строки в числе <"_cp, w);
  r->Line = static_cast<int32_t>(v);
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, false, v)) return fail("Ошибка при чтении тек.позиции в числе <"_cp, w);
  r->Column = static_cast<int32_t>(v);
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, false, v))
    return fail("Ошибка при чтении байта в 16-ричном виде в числе <"_cp, w);
  r->Flags = static_cast<uint32_t>(v) & 0xFF;
  NextQWord(Line, j, '"', w);
  if (!ParseLibInt(w, true, v)) return fail("Ошибка при чтении 16-ричного числа (CRC) <"_cp, w);
  r->CRC = static_cast<uint32_t>(v);
  return r;
}

void TFiler::Load() {
  auto loadOne = [this](const std::string& Name, TVFSList& Into) {
    std::string file = FindHistoryFile(Folder, Name);
    if (file.empty()) return;
    TTextFile f;
    TxtOpen(f, 0, file);
    int n = 0;
    while (!f.Eof()) {
      std::string line = f.ReadLn();
      if (++n < 3) continue;
      std::unique_ptr<TFStackRec> rec = StrToFStackRec(line);
      if (rec) Into.Add(std::move(rec));
    }
    f.Close();
  };
  loadOne("Enter.txt", Enter);
  loadOne("Stack.txt", Stack);
}

void TFiler::PushFile(char Kind, const std::string& FileName, int32_t LineCount,
                      const TFPosBlock& Block) {
  auto onStack = std::make_unique<TFStackRec>();
  auto entered = std::make_unique<TFStackRec>();
  TFStackRec::SetData(onStack.get(), Number, Kind, FileName, LineCount, Block);
  TFStackRec::SetData(entered.get(), Number, Kind, FileName, LineCount, Block);
  Stack.Add(std::move(onStack));
  EnterAdd(std::move(entered));
}

void TFiler::EnterAdd(std::unique_ptr<TFStackRec> Rec) {
  if (!Rec) return;
  int n = Enter.Count();
  int i = 0;
  while (i < n && Enter.Items(i)->FileName < Rec->FileName) ++i;
  if (i < n && Enter.Items(i)->FileName == Rec->FileName) {
    Enter.Items(i)->SetBlock(Rec->Block());
    return;
  }
  Enter.Insert(i, std::move(Rec));
}

bool TFiler::FindEnter(const std::string& FileName, TFPosBlock& Block) const {
  for (int i = 0; i < Enter.Count(); ++i) {
    if (Enter.Items(i)->FileName == FileName) {
      Block = Enter.Items(i)->Block();
      return true;
    }
  }
  Block = TFPosBlock{};
  return false;
}

std::unique_ptr<TFStackRec> TFiler::PopFile() {
  if (Stack.Count() == 0) return nullptr;
  return Stack.Extract(Stack.Count() - 1);
}

// ---------------------------------------------------------------- CRC-32

uint32_t BufCRC32(const void* Buffer, size_t Length) {
  if (!Buffer || Length == 0) return 0;
  const auto* p = static_cast<const uint8_t*>(Buffer);
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < Length; ++i) c = kCrcTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t StrCRC32(const std::string& Text) { return BufCRC32(Text.data(), Text.size()); }

// ---------------------------------------------------------------- code pages

const uint8_t* WinToDosTable() { return kCodeTables.WinToDos; }
const uint8_t* DosToWinTable() { return kCodeTables.DosToWin; }
std::string StrWinToDos(const std::string& Text) { return MapBytes(Text, kCodeTables.WinToDos); }
std::string StrDosToWin(const std::string& Text) { return MapBytes(Text, kCodeTables.DosToWin); }

// ---------------------------------------------------------------- system information

std::string ProcessNameByID(int64_t ProcessId) { return platform::ProcessExeName(ProcessId); }

uint32_t VolumeSerial(char DriveLetter) {
  return platform::VolumeSerialOf(LowCaseCyr(DriveLetter));
}

std::string SystemLanguageText() {
  platform::TLanguageInfo lang = platform::SystemLanguage();
  return lang.Name + " SystemDefaultLangID=$" + HexWord(lang.Id);
}

char KbLayoutChar() {
  uint32_t layout = platform::KeyboardLayout();
  if (layout == 0x04090409u || layout == 0xF0010409u) return 'E';
  if (layout == 0x04190419u || layout == 0xF0010419u) return 'R';
  WARN("язык в активном окне не русский, (код $419) и не английский, (код $409),"_cp + kCrLf +
       "Текущий код=GetKeyboardLayout=$"_cp + HexInt8(layout) + kCrLf +
       "Текущий язык по умолчанию = "_cp + SystemLanguageText());
  return ' ';
}

char KeyLockState(char Letter) { return platform::LockKeyOn(Letter) ? 'U' : 'D'; }

char CapsLockState() { return KeyLockState('C'); }
