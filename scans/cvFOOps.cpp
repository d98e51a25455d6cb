#include "scans/cvFOOps.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/FileErr.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvMapAlg.h"
#include "scans/cvScanServices.h"

namespace foops {

namespace {
const std::string kNlRn = "\n\r";

std::string Trimmed(const std::string& S) {
  const size_t b = S.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const size_t e = S.find_last_not_of(" \t\r\n");
  return S.substr(b, e - b + 1);
}
}  // namespace

std::vector<std::string>& FOLines() {
  static std::vector<std::string> l;
  return l;
}

std::string FODefinition(const std::vector<std::string>& Lines, const std::string& Name) {
  const std::string want = Trimmed(Name);
  for (const std::string& l : Lines)
    if (Trimmed(l.substr(0, l.find('='))) == want && l.find('=') != std::string::npos) return l;
  return "";
}

TFIOut* CalcFO(const std::string& Text, const std::string& Da, const std::string& Ti, bool& Ok,
               bool& Number) {
  Ok = true;
  Number = false;
  TLFIOut& reg = LFIOReg();
  std::string line = Text;
  if (Text.find('=') == std::string::npos) {
    const std::string name = Trimmed(Text);
    if (reg.LoadOwnOrME(Da, Ti, name)) return reg.GetFIOutDT(Da, Ti, name);
    line = FODefinition(FOLines(), name);
    if (line.empty()) {
      WARNAbs("Карта с именем <"_cp + name + ">" + kNlRn +
              "не описана в файле FO.txt и не может быть рассчитана!"_cp);
      Ok = false;
      return nullptr;
    }
  }
  const size_t eq = line.find('=');
  const std::string target = Trimmed(line.substr(0, eq));
  int32_t kind = 0;
  std::unique_ptr<TFIOut> m = FOOperN(DelBlanks(line.substr(eq + 1)), Da, Ti, kind);
  if (kind != 0) {
    Number = true;
    WARNAbs("НЕ ДОПИСАНО 6843"_cp);
    return nullptr;
  }
  if (!m) return nullptr;
  m->Name = target;
  m->kSoft = 1;
  m->DaNum = '\0';
  m->kLoad |= 8;
  m->MinMaxMean();
  // A definition run again replaces its earlier result (not one that has a place in a file).
  for (int32_t i = reg.Count() - 1; i >= 0; --i) {
    TFIOut* old = reg.Item(i);
    if (FIOutAssigned(old) && old->Name == target && old->Da == Da && old->Ti == Ti &&
        old->kSoft == 1 && old->nb0 == 0 && (old->kLoad & 8))
      reg.Remove(old);
  }
  return reg.Add(std::move(m));
}

bool CalcFOByName(const std::string& Text, const std::string& Da, const std::string& Ti) {
  bool ok = true, number = false;
  CalcFO(Text, Da, Ti, ok, number);
  return ok;
}

void InstallCalcFO() {
  Scans().CalcFO.Install([](const std::string& Name, const std::string& Da,
                            const std::string& Ti) { return CalcFOByName(Name, Da, Ti); });
}

std::string RunText(const std::string& Line) {
  return Trimmed(Line.substr(0, Line.find('!')));
}

int32_t RunFOLines(TJob& Job, const std::vector<std::string>& Lines, const std::string& Da,
                   const std::string& Ti, bool StopAtFalse) {
  int32_t made = 0;
  const int64_t n = static_cast<int64_t>(Lines.size());
  for (int64_t i = 0; i < n; ++i) {
    const std::string t = RunText(Lines[static_cast<size_t>(i)]);
    if (!Job.Step(i, n, t)) break;
    if (t.empty()) continue;
    bool ok = true, number = false;
    if (CalcFO(t, Da, Ti, ok, number)) ++made;
    if (!ok && StopAtFalse) break;
  }
  return made;
}

// ---------------------------------------------------------------------------------------------
// Erase

bool MapBlock(const std::string& File, const std::string& Name, int64_t& Start, int64_t& End) {
  std::vector<TMapExt> dir;
  if (!ReadMapDir(File, dir, nullptr, true)) return false;
  for (size_t i = 0; i < dir.size(); ++i)
    if (dir[i].Name == Name) {
      Start = dir[i].nb0;
      End = i + 1 < dir.size() ? dir[i + 1].nb0 : FileSizeSS(File);
      return End > Start;
    }
  return false;
}

namespace {

// Copies File less the blocks (sorted, not overlapping) into a copy renamed over it.
bool CutBlocks(const std::string& File, const std::vector<std::pair<int64_t, int64_t>>& Blocks,
               bool Backup) {
  const std::string tmp = File + ".cut~" + std::to_string(::getpid());
  const int in = ::open(File.c_str(), O_RDONLY);
  if (in < 0) {
    WARNAbs("EraseFIOutFromFile: не удаётся открыть файл <"_cp + File + ">");
    return false;
  }
  const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) {
    ::close(in);
    WARNAbs("EraseFIOutFromFile: не удаётся создать файл <"_cp + tmp + ">");
    return false;
  }
  const int64_t size = FileSizeSS(File);
  std::vector<char> buf(1 << 20);
  bool ok = true;
  auto copy = [&](int64_t From, int64_t To) {
    while (ok && From < To) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(To - From, buf.size()));
      const ssize_t got = ::pread(in, buf.data(), want, From);
      if (got <= 0 || ::write(out, buf.data(), static_cast<size_t>(got)) != got) ok = false;
      From += got > 0 ? got : 0;
    }
  };
  int64_t pos = 0;
  for (const auto& [s, e] : Blocks) {
    copy(pos, s);
    pos = e;
  }
  copy(pos, size);
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    std::remove(tmp.c_str());
    WARNAbs("EraseFIOutFromFile: ошибка записи, файл <"_cp + File + "> не изменён!"_cp);
    return false;
  }
  if (Backup && BackupRename(File) == File) {
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), File.c_str()) != 0) {
    std::remove(tmp.c_str());
    WARNAbs("EraseFIOutFromFile: не удаётся переименовать <"_cp + tmp + "> в <"_cp + File + ">");
    return false;
  }
  return true;
}

}  // namespace

bool EraseMaps(const std::vector<TFIOut*>& Maps, bool Backup) {
  TLFIOut& reg = LFIOReg();
  struct TCut {
    std::string Da, Ti;
    std::vector<std::pair<int64_t, int64_t>> Blocks;
  };
  std::map<std::string, TCut> cuts;
  std::vector<const TFIOut*> drop;
  for (TFIOut* m : Maps) {
    if (!FIOutAssigned(m)) continue;
    const std::string file = m->FileName();
    if (m->kSoft != 1) {
      WARNAbs("Карта "_cp + m->Name + " из файла <"_cp + file +
              "> - удалять можно только карты собственного файла сеанса!"_cp);
      continue;
    }
    int64_t s = 0, e = 0;
    if (m->nb0 == 0 || !MapBlock(file, m->Name, s, e)) {
      WARN("Эта карта отсутствует в файле \r\n<"_cp + file + ">");
      drop.push_back(m);
      continue;
    }
    TCut& c = cuts[file];
    c.Da = m->Da;
    c.Ti = m->Ti;
    c.Blocks.emplace_back(s, e);
  }
  for (const TFIOut* m : drop) reg.Remove(m);
  bool ok = !cuts.empty();
  for (auto& [file, c] : cuts) {
    std::sort(c.Blocks.begin(), c.Blocks.end());
    c.Blocks.erase(std::unique(c.Blocks.begin(), c.Blocks.end()), c.Blocks.end());
    if (!CutBlocks(file, c.Blocks, Backup)) {
      ok = false;
      continue;
    }
    // Every own-file map of the session: their offsets changed.
    for (int32_t i = reg.Count() - 1; i >= 0; --i) {
      TFIOut* m = reg.Item(i);
      if (FIOutAssigned(m) && m->kSoft == 1 && m->Da == c.Da && m->Ti == c.Ti && m->nb0 != 0)
        reg.Remove(m);
    }
    if (!reg.LoadOwn(c.Da, c.Ti, nullptr, true)) ok = false;
  }
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Rows of the map list

void FIORowOf(const TFIOut& M, TFIORow& R) {
  R[0] = M.kLoad >= 2 ? "true" : "false";
  R[1] = M.Da;
  R[2] = M.Ti;
  R[3] = IntStr(M.kSoft);
  R[4] = M.DTKey().substr(0, 13);
  R[5] = M.DaNum ? std::string(1, M.DaNum) : std::string();
  R[6] = M.Name;
  R[7] = M.Ver;
  R[8] = M.nb0 != 0 ? "1" : "0";
  R[9] = M.sVar;
  R[10] = IntStr(M.KH);
}

std::vector<TFIORow> FIORows(const TLFIOut& Reg, const std::vector<TFIOSessionOn>& Sessions,
                             std::vector<TFIOut*>* Maps) {
  std::vector<TFIORow> rows;
  rows.reserve(Reg.Items.size());
  if (Maps) Maps->clear();
  std::set<std::string> off;
  for (const TFIOSessionOn& s : Sessions)
    if (!s.On) off.insert(s.DaTi);
  for (const auto& p : Reg.Items) {
    const TFIOut* m = p.get();
    if (!FIOutAssigned(m)) continue;
    if (!off.empty() && off.count(m->DTKey())) continue;
    rows.emplace_back();
    FIORowOf(*m, rows.back());
    if (Maps) Maps->push_back(p.get());
  }
  return rows;
}

std::vector<std::string> FIOVarList(const TLFIOut& Reg) {
  std::vector<std::string> l;
  std::set<std::string> seen;
  for (const auto& p : Reg.Items) {
    const TFIOut* m = p.get();
    if (!FIOutAssigned(m) || m->sVar.empty() || seen.count(m->Name)) continue;
    seen.insert(m->Name);
    l.push_back(m->Name + " " + m->sVar.substr(0, 1));
  }
  return l;
}

char FreeVarLetter(const std::vector<std::string>& UsedVars) {
  std::set<unsigned char> used;
  for (const std::string& v : UsedVars)
    if (!v.empty()) used.insert(static_cast<unsigned char>(v[0]));
  std::vector<unsigned char> cand;
  for (int c = 'A'; c <= 'Z'; ++c) cand.push_back(static_cast<unsigned char>(c));
  for (int c = 'a'; c <= 'z'; ++c) cand.push_back(static_cast<unsigned char>(c));
  for (int c = 0xC0; c <= 0xDF; ++c) cand.push_back(static_cast<unsigned char>(c));  // А..Я
  for (int c = 0xE0; c <= 0xFF; ++c) cand.push_back(static_cast<unsigned char>(c));  // а..я
  for (unsigned char c : cand)
    if (!used.count(c)) return static_cast<char>(c);
  return 0;
}

}  // namespace foops
