#include "foundation/cvFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

thread_local int32_t IOLastErr = 0;
thread_local std::string RALastErrText;
thread_local int32_t TxtOpenErr = 0;
thread_local std::string IOErrMsg;

namespace {

const std::string kCrLf = "\r\n";
thread_local int32_t gPendingIO = 0;

std::string Num(int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string PadNum(int64_t v, size_t width, char fill) {
  std::string s = Num(v);
  if (s.size() < width) s.insert(0, width - s.size(), fill);
  return s;
}

std::string HexUpper(uint32_t v, int digits) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = kDigits[v & 15];
  return s;
}


// Upper case of code page 1251 letters (Latin and Cyrillic).
std::string UpperCp(const std::string& s) {
  std::string r = s;
  for (char& ch : r) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || c >= 0xE0) c = static_cast<unsigned char>(c - 32);
    else if (c == 0xB8) c = 0xA8;
    ch = static_cast<char>(c);
  }
  return r;
}

// Start (0-based) of the bare name: after the last "\", "/" or ":".
size_t BareStart(const std::string& name) {
  size_t p = name.find_last_of("\\/:");
  return p == std::string::npos ? 0 : p + 1;
}

// Folder part of a name including its last separator; empty when it has none.
std::string FolderOf(const std::string& name) {
  size_t p = name.find_last_of("\\/");
  return p == std::string::npos ? std::string() : name.substr(0, p + 1);
}

[[noreturn]] void RaiseIO(int32_t code, const std::string& op, const std::string& name) {
  std::string text = "I/O error " + Num(code);
  std::string t = IOErrText(code);
  if (!t.empty()) text += " <" + t + ">";
  throw EInOutError(text + " " + op + " \"" + name + "\"");
}

int OpenSys(const std::string& name, int flags, mode_t mode = 0666) {
  return ::open(platform::SysPath(name).c_str(), flags | O_CLOEXEC, mode);
}

int64_t SizeOfFd(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

void PReadAll(int fd, void* buf, size_t n, int64_t off, const std::string& name) {
  auto* p = static_cast<char*>(buf);
  while (n > 0) {
    ssize_t r = ::pread(fd, p, n, off);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) RaiseIO(platform::DosErrorFromErrno(errno), "read", name);
    if (r == 0) RaiseIO(100, "read", name);  // read beyond the end of the file
    p += r;
    n -= static_cast<size_t>(r);
    off += r;
  }
}

void PWriteAll(int fd, const void* buf, size_t n, int64_t off, const std::string& name) {
  const auto* p = static_cast<const char*>(buf);
  while (n > 0) {
    ssize_t r = ::pwrite(fd, p, n, off);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) RaiseIO(r < 0 ? platform::DosErrorFromErrno(errno) : 101, "write", name);
    p += r;
    n -= static_cast<size_t>(r);
    off += r;
  }
}

void CloseFd(int fd, const std::string& name) {
  if (::close(fd) != 0 && errno != EINTR) RaiseIO(platform::DosErrorFromErrno(errno), "close", name);
}

// Closes a descriptor on the way out of a routine that may raise.
struct FdGuard {
  int fd;
  ~FdGuard() {
    if (fd >= 0) ::close(fd);
  }
  int release() {
    int f = fd;
    fd = -1;
    return f;
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Text files

TTextFile::~TTextFile() {
  if (out_) std::fclose(out_);
}

void TTextFile::Assign(const std::string& FileName) {
  if (out_) {
    std::fclose(out_);
    out_ = nullptr;
  }
  mode_ = fmClosed;
  raw_.clear();
  pos_ = 0;
  name_ = FileName;
}

int32_t TTextFile::Reset() {
  Assign(name_);
  int32_t code = platform::ReadWholeFile(name_, raw_);
  gPendingIO = code;
  if (code != 0) return code;
  if (raw_.size() >= 3 && raw_.compare(0, 3, "\xEF\xBB\xBF") == 0) raw_.erase(0, 3);
  utf8_ = platform::IsUtf8WithNonAscii(raw_);
  pos_ = 0;
  mode_ = fmInput;
  return 0;
}

int32_t TTextFile::Rewrite() {
  Assign(name_);
  out_ = std::fopen(platform::SysPath(name_).c_str(), "wbe");
  int32_t code = out_ ? 0 : platform::DosErrorForPath(errno, name_);
  gPendingIO = code;
  if (out_) mode_ = fmOutput;
  return code;
}

int32_t TTextFile::Append() {
  Assign(name_);
  int fd = OpenSys(name_, O_WRONLY | O_APPEND);
  int32_t code = 0;
  if (fd < 0) {
    code = platform::DosErrorForPath(errno, name_);
  } else {
    out_ = ::fdopen(fd, "ab");
    if (!out_) {
      code = platform::DosErrorFromErrno(errno);
      ::close(fd);
    }
  }
  gPendingIO = code;
  if (out_) mode_ = fmOutput;
  return code;
}

bool TTextFile::Eof() const { return mode_ != fmInput || pos_ >= raw_.size(); }

bool TTextFile::ReadLnRaw(std::string& Raw, std::string& Eol) {
  Raw.clear();
  Eol.clear();
  if (Eof()) return false;
  size_t e = raw_.find_first_of("\r\n", pos_);
  if (e == std::string::npos) {
    Raw = raw_.substr(pos_);
    pos_ = raw_.size();
    return true;
  }
  Raw = raw_.substr(pos_, e - pos_);
  if (raw_[e] == '\r' && e + 1 < raw_.size() && raw_[e + 1] == '\n') {
    Eol = "\r\n";
    pos_ = e + 2;
  } else {
    Eol = raw_.substr(e, 1);
    pos_ = e + 1;
  }
  return true;
}

std::string TTextFile::ReadLn() {
  std::string raw, eol;
  ReadLnRaw(raw, eol);
  return utf8_ ? platform::Utf8ToCp1251(raw) : raw;
}

void TTextFile::CheckWrite(const char* op) {
  if (!out_) RaiseIO(105, op, name_);  // file not open for output
  if (std::ferror(out_)) RaiseIO(platform::DosErrorFromErrno(errno), op, name_);
}

void TTextFile::Write(const std::string& S) { WriteRaw(platform::Cp1251ToUtf8(S)); }

void TTextFile::WriteLn(const std::string& S) {
  line_.clear();
  platform::AppendCp1251AsUtf8(line_, S);
  line_ += '\n';
  WriteRaw(line_);
}

void TTextFile::WriteRaw(const std::string& Bytes) {
  CheckWrite("write");
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), out_) != Bytes.size())
    RaiseIO(platform::DosErrorFromErrno(errno), "write", name_);
}

void TTextFile::Flush(bool Sync) {
  CheckWrite("flush");
  if (std::fflush(out_) != 0) RaiseIO(platform::DosErrorFromErrno(errno), "flush", name_);
  if (Sync && ::fsync(::fileno(out_)) != 0)
    RaiseIO(platform::DosErrorFromErrno(errno), "flush", name_);
}

void TTextFile::Close() {
  if (out_) {
    std::FILE* f = out_;
    out_ = nullptr;
    mode_ = fmClosed;
    int err = 0;
    if (std::fflush(f) != 0 || std::ferror(f)) err = errno ? errno : EIO;
    if (std::fclose(f) != 0 && err == 0) err = errno ? errno : EIO;
    if (err != 0) RaiseIO(platform::DosErrorFromErrno(err), "close", name_);
    return;
  }
  mode_ = fmClosed;
  raw_.clear();
  pos_ = 0;
}

int32_t IOResult() {
  int32_t r = gPendingIO;
  gPendingIO = 0;
  return r;
}

std::string IOErrText(int32_t Code) {
  switch (Code) {
    case 2: return "файл не найден"_cp;
    case 3: return "путь доступа не найден"_cp;
    case 5: return "доступ отвергнут"_cp;
    case 6: return "недопустимая обработка"_cp;
    case 8: return "недостаточно памяти"_cp;
    case 10: return "недопустимая программная среда"_cp;
    case 11: return "неверный формат"_cp;
    case 18: return "файлы отсутствуют"_cp;
    default: return {};
  }
}

void IOCheck(const std::string& ModeName, const std::string& FileName) {
  int32_t code = IOResult();
  IOLastErr = code;
  if (code == 0) return;
  TxtOpenErr = code;
  IOErrMsg = "ERR(" + Num(code) + "<" + IOErrText(code) + ">) File.Open : " + ModeName + " \"" +
             FileName + "\"";
  WARN(IOErrMsg);
  ErrAbs(IOErrMsg);
}

void TxtOpen(TTextFile& F, int32_t Mode, const std::string& FileName) {
  IOErrMsg.clear();
  TxtOpenErr = 0;
  F.Assign(FileName);
  switch (Mode) {
    case 0:
      F.Reset();
      IOCheck("Reset", FileName);
      break;
    case 1:
      F.Rewrite();
      IOCheck("Rewrite", FileName);
      break;
    case 2:
      if (F.Append() == 2) {
        IOResult();
        F.Rewrite();
        IOCheck("Append->Rewrite", FileName);
      } else {
        IOCheck("Append", FileName);
      }
      break;
    default:
      break;
  }
}

std::string TextFileName(const TTextFile& F) { return F.Name().substr(0, 260); }

void SLwriteln(TTextFile& F, const TStringList& List) {
  int32_t mode = F.Mode();
  if ((mode & 0xFFFC) != TTextFile::fmClosed) {
    WARNAbs("cvFile.SLwriteln Moda файла должна быть DFBx а найдена мода "_cp +
            HexUpper(static_cast<uint32_t>(mode), 4));
    return;
  }
  if ((mode & 3) != 2 && (mode & 3) != 3) {
    WARNAbs("cvFile.SLwriteln Moda файла должна быть 2 или 3, а найдена мода "_cp +
            HexUpper(static_cast<uint32_t>(mode & 3), 1));
    return;
  }
  for (int i = 0; i < List.Count(); ++i) F.WriteLn(List[i]);
}

void CopyTxtFile(const std::string& Source, const std::string& Target) {
  TTextFile src;
  TxtOpen(src, 0, Source);
  std::string full = ExpandFileName(Target);
  if (!ForceFileDir(full)) {
    src.Close();
    ErrAbs("При вызове процедуры cvFile.CopyTxtFile(\""_cp + Source + "\"->\"" + Target +
           "\") невозможно создать поддиректорию "_cp + kCrLf + "\"" + FolderOf(full) + "\"");
  }
  TTextFile dst;
  TxtOpen(dst, 1, Target);
  // Lines keep their bytes: a UTF-8 source is copied as it is, a 1251 source is converted.
  std::string raw, eol;
  const bool utf8 = src.SourceIsUtf8();
  while (src.ReadLnRaw(raw, eol)) dst.WriteRaw((utf8 ? raw : platform::Cp1251ToUtf8(raw)) + "\n");
  src.Close();
  dst.Close();
}

// StringList text files go through the same layer.
void TStringList::LoadFromFile(const std::string& fileName) {
  TTextFile F;
  TxtOpen(F, 0, fileName);
  Clear();
  while (!F.Eof()) Add(F.ReadLn());
  F.Close();
}

void TStringList::SaveToFile(const std::string& fileName) const {
  TTextFile F;
  TxtOpen(F, 1, fileName);
  // converted into a buffer written a megabyte at a time
  constexpr size_t kChunk = size_t{1} << 20;
  std::string buf;
  buf.reserve(kChunk + 4096);
  for (int i = 0; i < Count(); ++i) {
    platform::AppendCp1251AsUtf8(buf, (*this)[i]);
    buf += '\n';
    if (buf.size() >= kChunk) {
      F.WriteRaw(buf);
      buf.clear();
    }
  }
  F.WriteRaw(buf);
  F.Close();
}

// ---------------------------------------------------------------------------------------------
// File names and folders

std::string ExpandFileName(const std::string& FileName) {
  if (FileName.empty()) return {};
  std::string s = FileName;
  for (char& c : s)
    if (c == '\\') c = '/';
  if (s[0] != '/') s = platform::CurrentDir() + "/" + s;
  const bool trailing = s.back() == '/';
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= s.size()) {
    size_t j = s.find('/', i);
    if (j == std::string::npos) j = s.size();
    std::string part = s.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string r;
  for (const auto& p : parts) r += "/" + p;
  if (r.empty() || trailing) r += "/";
  return r;
}

std::string PathJoin(const std::string& Folder, const std::string& Name) {
  std::string f = SlashPath(Folder), n = SlashPath(Name);
  if (f.empty() || f.back() == '/') return f + n;
  size_t colon = f.find(':');
  size_t colonPos = colon == std::string::npos ? 0 : colon + 1;
  if (colonPos < f.size()) return f + "/" + n;
  return f + n;
}

std::string DirSlash(const std::string& Folder) {
  std::string f = SlashPath(Folder);
  if (f.empty() || f.back() == '/' || platform::IsRegularFile(f)) return f;
  return f + "/";
}

std::string SlashPath(const std::string& Path) {
  std::string r = Path;
  for (char& c : r)
    if (c == '\\') c = '/';
  return r;
}

void SplitNameExt(const std::string& FileName, std::string& Name, std::string& Ext) {
  size_t bare = BareStart(FileName);
  std::string b = FileName.substr(bare);
  size_t dot = b.rfind('.');
  if (b == "." || b == ".." || dot == std::string::npos) {
    Name = FileName;
    Ext.clear();
    return;
  }
  Name = FileName.substr(0, bare + dot);
  Ext = b.substr(dot + 1);
}

std::string ExtUpper(const std::string& FileName) {
  std::string n, e;
  SplitNameExt(FileName, n, e);
  return UpperCp(e);
}

bool HasExt(const std::string& FileName, const std::string& Ext) {
  std::string n, e;
  SplitNameExt(FileName, n, e);
  return UpperCp(FileName.substr(n.size())) == "." + UpperCp(Ext);  // "" or "." + extension
}

void SplitPath(const std::string& FileName, std::string& Folder, std::string& BareName,
               std::string& Ext) {
  std::string full = ExpandFileName(FileName);
  Folder = FolderOf(full);
  std::string name = full.substr(Folder.size());
  std::string n, e;
  SplitNameExt(name, n, e);
  BareName = n;
  Ext = name.substr(n.size());
}

bool ForceFileDir(const std::string& FileName) {
  std::string folder = FolderOf(FileName);
  if (folder.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(platform::SysPath(folder)), ec);
  return platform::IsDirectory(folder);
}

bool InRangeI(int32_t X, int32_t Lo, int32_t Hi) { return Lo <= X && X <= Hi; }

std::string FileDateStr(int32_t Stamp) {
  static const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  uint32_t s = static_cast<uint32_t>(Stamp);
  uint32_t date = s >> 16, time = s & 0xFFFF;
  int day = static_cast<int>(date & 31);
  int month = static_cast<int>((date >> 5) & 15);
  int year = 1980 + static_cast<int>(date >> 9);
  int hour = static_cast<int>(time >> 11);
  int minute = static_cast<int>((time >> 5) & 63);
  std::string mon = (month >= 1 && month <= 12) ? kMonths[month - 1] : "???";
  return PadNum(day, 2, ' ') + "-" + mon + "-" + PadNum(year % 100, 2, '0') + PadNum(hour, 3, ' ') +
         ":" + PadNum(minute, 2, '0');
}

namespace {
bool WildMatch(const std::string& m, const std::string& s) {
  size_t mi = 0, si = 0, star = std::string::npos, mark = 0;
  auto eq = [](char a, char b) {
    return UpperCp(std::string(1, a)) == UpperCp(std::string(1, b));
  };
  while (si < s.size()) {
    if (mi < m.size() && (m[mi] == '?' || (m[mi] != '*' && eq(m[mi], s[si])))) {
      ++mi;
      ++si;
    } else if (mi < m.size() && m[mi] == '*') {
      star = mi++;
      mark = si;
    } else if (star != std::string::npos) {
      mi = star + 1;
      si = ++mark;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == '*') ++mi;
  return mi == m.size();
}

// DOS mask rules: "*.*" takes every name, a trailing ".*" also takes names
// without an extension.
bool MaskMatches(const std::string& mask, const std::string& name) {
  if (WildMatch(mask, name)) return true;
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos)
    return WildMatch(mask.substr(0, mask.size() - 2), name);
  return false;
}
}  // namespace

std::unique_ptr<TStringList> ListFiles(const std::string& MaskOrFolder) {
  auto list = std::make_unique<TStringList>();
  std::string dir, mask;
  if (platform::IsDirectory(MaskOrFolder)) {
    dir = MaskOrFolder;
    mask = "*.*";
  } else {
    dir = FolderOf(MaskOrFolder);
    mask = MaskOrFolder.substr(dir.size());
    if (dir.empty()) dir = ".";
    if (mask.empty()) mask = "*.*";
  }
  DIR* d = ::opendir(platform::SysPath(dir).c_str());
  if (!d) return list;
  std::vector<std::string> names;
  std::string base = platform::SysPath(dir);
  if (base.back() != '/') base += '/';
  while (dirent* e = ::readdir(d)) {
    std::string sysName = e->d_name;
    if (sysName == "." || sysName == "..") continue;
    struct stat st;
    if (::stat((base + sysName).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::string name = platform::FromSysPath(sysName);
    if (MaskMatches(mask, name)) names.push_back(name);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  for (const auto& n : names) list->Add(n);
  return list;
}

bool OpenDoc(uintptr_t /*Wnd*/, const std::string& FileName) {
  std::string full = ExpandFileName(FileName);
  std::string folder = FolderOf(full);
  if (folder.empty()) folder = ".";
  return platform::SpawnDetached("xdg-open", {platform::SysPath(full)}, folder);
}

bool RunFile(uintptr_t /*Wnd*/, const std::string& FileName) {
  return platform::SpawnDetached("xdg-open", {platform::SysPath(FileName)}, std::string());
}

// ---------------------------------------------------------------------------------------------
// Whole-file operations

int64_t FileSizeSS(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) return 0;
  return std::max<int64_t>(0, platform::FileSizeOf(FileName));
}

int64_t FileSizeH(int Handle) {
  off_t end = ::lseek(Handle, 0, SEEK_END);
  return end < 0 ? 0 : static_cast<int64_t>(end);
}

bool FileTimeSS(const std::string& FileName, int32_t& Stamp) {
  Stamp = 0;
  struct stat st;
  if (FileName.empty() || ::stat(platform::SysPath(FileName).c_str(), &st) != 0 ||
      S_ISDIR(st.st_mode))
    return false;
  std::time_t t = st.st_mtime;
  std::tm tm{};
  if (!::localtime_r(&t, &tm)) return false;
  int year = tm.tm_year + 1900;
  uint32_t date, time;
  if (year < 1980) {
    date = (1u << 5) | 1u;  // 1 January 1980
    time = 0;
  } else if (year > 2107) {
    date = (127u << 9) | (12u << 5) | 31u;
    time = (23u << 11) | (59u << 5) | 29u;
  } else {
    date = (static_cast<uint32_t>(year - 1980) << 9) | (static_cast<uint32_t>(tm.tm_mon + 1) << 5) |
           static_cast<uint32_t>(tm.tm_mday);
    time = (static_cast<uint32_t>(tm.tm_hour) << 11) | (static_cast<uint32_t>(tm.tm_min) << 5) |
           static_cast<uint32_t>(tm.tm_sec / 2);
  }
  Stamp = static_cast<int32_t>((date << 16) | time);
  return true;
}

bool FileNewTimeCheck(const std::string& FileName, int32_t& Stamp, const std::string& Tag) {
  int32_t t = 0;
  FileTimeSS(FileName, t);
  if (t == 0) ErrAbs("FileNewTimeCheck " + Tag + " FILE <" + FileName + "> NOT EXIST!");
  if (t == Stamp) return false;
  Stamp = t;
  return true;
}

void DelFileSS(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) return;
  if (::unlink(platform::SysPath(FileName).c_str()) != 0)
    RaiseIO(platform::DosErrorFromErrno(errno), "delete", FileName);
}

void DelSmallFile(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName) || platform::FileSizeOf(FileName) >= 3) return;
  if (::unlink(platform::SysPath(FileName).c_str()) != 0)
    RaiseIO(platform::DosErrorFromErrno(errno), "delete", FileName);
}

// rename(2) replaces a file of the new name in one step: delete-then-rename without the moment
// in which neither file exists.
void RenameOver(const std::string& OldName, const std::string& NewName) {
  if (!platform::IsRegularFile(OldName)) return;
  if (::rename(platform::SysPath(OldName).c_str(), platform::SysPath(NewName).c_str()) != 0)
    RaiseIO(platform::DosErrorFromErrno(errno), "rename", OldName);
}

// The counter has as many digits as the extension has characters, at least one; the search is
// bounded (at most 10^6 names) and ends with a warning and the unchanged name when every name is
// taken or the rename fails.
std::string BackupRename(const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) return FileName;
  std::string base, ext;
  SplitNameExt(FileName, base, ext);
  const size_t digits = std::max<size_t>(1, ext.size());
  int64_t limit = 1;
  for (size_t i = 0; i < std::min<size_t>(digits, 6); ++i) limit *= 10;
  for (int64_t n = 0; n < limit; ++n) {
    std::string cand = base + "." + PadNum(n, digits, '0');
    if (platform::PathExists(cand)) continue;
    if (::rename(platform::SysPath(FileName).c_str(), platform::SysPath(cand).c_str()) != 0) {
      WARNAbs("BackupRename: не удается переименовать файл <"_cp + FileName + "> в <" + cand +
              "> (" + IOErrText(platform::DosErrorFromErrno(errno)) + ")");
      return FileName;
    }
    return cand;
  }
  WARNAbs("BackupRename: все имена резервной копии файла <"_cp + FileName + "> (" + base + "." +
          std::string(digits, '?') + ") заняты, файл не переименован!"_cp);
  return FileName;
}

namespace {
// Copies Count bytes from the current position of In to Out in 64 KiB chunks; false (with the
// FileCopy warnings) when a read gives nothing or a write falls short.
bool FileCopy(int In, int Out, int64_t Count, const std::string& InName, int64_t InSize,
              const std::string& OutName, std::vector<char>& buf) {
  while (Count > 0) {
    size_t want = static_cast<size_t>(std::min<int64_t>(Count, static_cast<int64_t>(buf.size())));
    ssize_t got;
    do got = ::read(In, buf.data(), want);
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
      WARN("FileCopy: прочитано 0 байт из файла "_cp + InName + " длиной "_cp + Num(InSize) +
           " байт"_cp);
      return false;
    }
    ssize_t done = 0;
    while (done < got) {
      ssize_t w = ::write(Out, buf.data() + done, static_cast<size_t>(got - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) break;
      done += w;
    }
    if (done < got) {
      WARN("FileCopy: удалось записать только "_cp + Num(done) + " байт из требуемых "_cp +
           Num(got) + " байт в файл "_cp + OutName);
      return false;
    }
    Count -= got;
  }
  return true;
}
}  // namespace

// The data after the removed block is never lost: the sizes come from the open backup itself, a
// failed rename leaves the file untouched, and the backup is deleted only after every byte was
// copied and the new file closed without error.
void FileCutBlock(const std::string& FileName, int64_t Len1, int64_t Len2, bool KeepBackup) {
  if (!platform::IsRegularFile(FileName)) {
    WARNAbs("FileCutBlock: файл ["_cp + FileName + "] не существует!"_cp);
    return;
  }
  std::string backup = BackupRename(FileName);
  if (backup == FileName) {
    WARNAbs("FileCutBlock: файл ["_cp + FileName + "] не изменен: нет резервной копии"_cp);
    return;
  }
  int in = OpenSys(backup, O_RDONLY);
  if (in < 0) {
    WARNAbs("FileCutBlock: Не удается открыть файл"_cp + kCrLf + "<" + backup + "> Handle=" +
            Num(in));
    return;
  }
  struct stat st;
  mode_t perm = 0666;
  int64_t size = 0;
  if (::fstat(in, &st) == 0) {
    size = static_cast<int64_t>(st.st_size);
    perm = st.st_mode & 07777;
  }
  int out = OpenSys(FileName, O_WRONLY | O_CREAT | O_TRUNC, perm);
  if (out < 0) {
    ::close(in);
    WARNAbs("Не удается создать файл "_cp + FileName + " Handle=" + Num(out));
    return;
  }
  Len1 = std::clamp<int64_t>(Len1, 0, size);
  Len2 = std::clamp<int64_t>(Len2, 0, size - Len1);
  std::vector<char> buf(65536);
  bool ok = FileCopy(in, out, Len1, backup, size, FileName, buf);
  if (ok) ok = ::lseek(in, Len1 + Len2, SEEK_SET) == Len1 + Len2;
  if (ok) ok = FileCopy(in, out, size - Len1 - Len2, backup, size, FileName, buf);
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    WARNAbs("FileCutBlock: ошибка при копировании, данные файла ["_cp + FileName +
            "] сохранены в копии <"_cp + backup + ">");
    return;
  }
  if (!KeepBackup) ::unlink(platform::SysPath(backup).c_str());
}

bool FileRd256(const std::string& FileName, void* Buffer) {
  std::memset(Buffer, 0, 256);
  if (!platform::IsRegularFile(FileName)) {
    WARNAbs("FileRd256 - файл <"_cp + FileName + "> не существует!"_cp);
    return false;
  }
  int fd = OpenSys(FileName, O_RDONLY);
  if (fd < 0) {
    IOLastErr = platform::DosErrorFromErrno(errno);
    return false;
  }
  IOLastErr = 0;
  FdGuard g{fd};
  auto* p = static_cast<char*>(Buffer);
  size_t have = 0;
  while (have < 256) {
    ssize_t r = ::read(fd, p + have, 256 - have);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) RaiseIO(platform::DosErrorFromErrno(errno), "read", FileName);
    if (r == 0) break;
    have += static_cast<size_t>(r);
  }
  CloseFd(g.release(), FileName);
  return true;
}

namespace {
bool TableFits(const TARe2& A, int32_t N, int32_t M) {
  if (N < 0 || M < 0 || A.size() < static_cast<size_t>(N)) return false;
  for (int32_t i = 0; i < N; ++i)
    if (A[static_cast<size_t>(i)].size() < static_cast<size_t>(M)) return false;
  return true;
}
}  // namespace

bool WrTARe2(const TARe2& A, int32_t N, int32_t M, const std::string& FileName) {
  if (!TableFits(A, N, M)) {
    WARNAbs("WrTARe2.ERR: таблица меньше "_cp + Num(N) + " x " + Num(M) + ", файл <"_cp + FileName +
            "> не записан"_cp);
    return false;
  }
  int fd = OpenSys(FileName, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) {
    IOLastErr = platform::DosErrorFromErrno(errno);
    WARNAbs("WrTARe2.ERR: Не удается создать файл <"_cp + FileName + "> Handle=" + Num(fd));
    return false;
  }
  FdGuard g{fd};
  int64_t off = 0;
  const size_t rowBytes = static_cast<size_t>(M) * sizeof(double);
  for (int32_t i = 0; i < N; ++i, off += static_cast<int64_t>(rowBytes))
    PWriteAll(fd, A[static_cast<size_t>(i)].data(), rowBytes, off, FileName);
  CloseFd(g.release(), FileName);
  return true;
}

bool RdTARe2(TARe2& A, int32_t N, int32_t M, const std::string& FileName) {
  if (!platform::IsRegularFile(FileName)) {
    WARNAbs("RdTARe2 - файл <"_cp + FileName + "> не существует!"_cp);
    return false;
  }
  if (!TableFits(A, N, M)) {
    WARNAbs("RdTARe2.ERR: таблица меньше "_cp + Num(N) + " x " + Num(M) + ", файл <"_cp + FileName +
            "> не прочитан"_cp);
    return false;
  }
  int fd = OpenSys(FileName, O_RDONLY);
  IOLastErr = fd < 0 ? platform::DosErrorFromErrno(errno) : 0;
  if (fd < 0) return false;
  FdGuard g{fd};
  const size_t rowBytes = static_cast<size_t>(M) * sizeof(double);
  std::vector<double> row(static_cast<size_t>(M));
  int64_t off = 0;
  // Rows are read into a staging row first, so a short file raises before a row is half filled.
  for (int32_t i = 0; i < N; ++i, off += static_cast<int64_t>(rowBytes)) {
    PReadAll(fd, row.data(), rowBytes, off, FileName);
    std::copy(row.begin(), row.end(), A[static_cast<size_t>(i)].begin());
  }
  CloseFd(g.release(), FileName);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Record files

namespace {

bool WriteRecord(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int64_t TailSize,
                 int32_t I, const void* Rec, bool plain) {
  const char* tag = plain ? "RAWrRec" : "RAWrRec1";
  if (RecSize <= 0) {  // the record count would divide by zero
    IOLastErr = 996;
    RALastErrText = std::string(tag) + "(<" + FileName + ">) ERR: I=" + Num(I) +
                    " RecSize=" + Num(RecSize) + "!!!";
    WARNAbs(RALastErrText);
    return false;
  }
  int fd = OpenSys(FileName, O_RDWR);
  int32_t code = fd < 0 ? platform::DosErrorForPath(errno, FileName) : 0;
  if (plain && code == 2) {
    fd = OpenSys(FileName, O_RDWR | O_CREAT);
    code = fd < 0 ? platform::DosErrorForPath(errno, FileName) : 0;
  }
  IOLastErr = code;
  if (fd < 0) return false;
  FdGuard g{fd};
  const int64_t size = SizeOfFd(fd);
  const int64_t nRec = (size - HeadSize - TailSize) / RecSize;
  if (I < 1 || I > nRec + 1) {
    ::close(g.release());
    if (plain) {
      IOLastErr = 99999;
      RALastErrText = "RAWrRec IRec=" + Num(I) + " NRec=" + Num(nRec) + " HeadSize=" +
                      Num(HeadSize) + " FileSize=" + Num(size);
    }
    return false;
  }
  std::vector<char> tail;
  if (I == nRec + 1 && TailSize > 0) {
    int64_t t = std::min(TailSize, size);
    tail.resize(static_cast<size_t>(t));
    PReadAll(fd, tail.data(), tail.size(), size - t, FileName);
  }
  const int64_t off = static_cast<int64_t>(I - 1) * RecSize + HeadSize;
  const auto* p = static_cast<const char*>(Rec);
  if (plain) {
    PWriteAll(fd, p, static_cast<size_t>(RecSize), off, FileName);
  } else {
    for (int64_t done = 0; done < RecSize;) {
      int64_t piece = std::min<int64_t>(4096, RecSize - done);
      PWriteAll(fd, p + done, static_cast<size_t>(piece), off + done, FileName);
      done += piece;
    }
  }
  if (!tail.empty()) PWriteAll(fd, tail.data(), tail.size(), off + RecSize, FileName);
  CloseFd(g.release(), FileName);
  if (plain) {
    IOLastErr = 0;
    RALastErrText.clear();
  }
  return true;
}

// Reading opens the file read-only: a record file that may not be written can still be read.
bool ReadRecord(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec,
                bool plain) {
  const int64_t bufSize = plain ? 80000 : 10700000;
  const std::string tag = plain ? "RARdRec" : "RARdRec1";
  if (RecSize > bufSize) {
    RALastErrText = tag + " ERR: RecSize=" + Num(RecSize) + " > BufferSize=" + Num(bufSize);
    WARNAbs(RALastErrText);
    IOLastErr = 998;
    return false;
  }
  if (RecSize <= 0) {
    RALastErrText = "RARdRec(<" + FileName + ">) ERR: I=" + Num(I) + " RecSize=" + Num(RecSize) +
                    "!!! " + " BufferSize=" + Num(bufSize);
    WARNAbs(RALastErrText);
    IOLastErr = 996;
    return false;
  }
  if (FileName.empty()) {
    if (plain) {
      RALastErrText = "RARdRec ERR: FileName=<>" + kCrLf + "I=" + Num(I) + " RecSize=" +
                      Num(RecSize) + " > BufferSize=" + Num(bufSize);
      WARNAbs(RALastErrText);
    } else {
      WARNAbs("proc cvFile.RARdRec1 вызвана с пустым именем файла!"_cp);
    }
    IOLastErr = 997;
    return false;
  }
  int fd = OpenSys(FileName, O_RDONLY);
  IOLastErr = fd < 0 ? platform::DosErrorForPath(errno, FileName) : 0;
  if (fd < 0) return false;
  FdGuard g{fd};
  const int64_t size = SizeOfFd(fd);
  const int64_t nRec = (size - HeadSize) / RecSize;
  if (I < 1 || I > nRec + 1) {
    ::close(g.release());
    RALastErrText = "RARdRec I=" + Num(I) + " Not in [1.." + Num(nRec) + "]";
    return false;
  }
  std::vector<char> stage(static_cast<size_t>(RecSize), 0);
  const int64_t off = static_cast<int64_t>(I - 1) * RecSize + HeadSize;
  const int64_t avail = std::clamp<int64_t>(size - off, 0, RecSize);
  for (int64_t done = 0; done < avail;) {
    int64_t piece = std::min<int64_t>(4096, avail - done);
    PReadAll(fd, stage.data() + done, static_cast<size_t>(piece), off + done, FileName);
    done += piece;
  }
  CloseFd(g.release(), FileName);
  std::memcpy(Rec, stage.data(), stage.size());
  RALastErrText.clear();
  return true;
}

}  // namespace

bool RAWrRec(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int64_t TailSize,
             int32_t I, const void* Rec) {
  return WriteRecord(FileName, HeadSize, RecSize, TailSize, I, Rec, true);
}

bool RAWrRecNT(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
               const void* Rec) {
  return RAWrRec(FileName, HeadSize, RecSize, 0, I, Rec);
}

bool RAWrRec1(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int64_t TailSize,
              int32_t I, const void* Rec) {
  return WriteRecord(FileName, HeadSize, RecSize, TailSize, I, Rec, false);
}

bool RAWrRec1NT(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
                const void* Rec) {
  return RAWrRec1(FileName, HeadSize, RecSize, 0, I, Rec);
}

bool RARdRec(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec) {
  return ReadRecord(FileName, HeadSize, RecSize, I, Rec, true);
}

bool RARdRecF(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec) {
  return RARdRec(FileName, HeadSize, RecSize, I, Rec);
}

bool RARdRec1(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec) {
  return ReadRecord(FileName, HeadSize, RecSize, I, Rec, false);
}

bool RARdRec1F(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
               void* Rec) {
  return RARdRec1(FileName, HeadSize, RecSize, I, Rec);
}

void RAFindNot(const std::string& FileName, int64_t Offset, uint8_t Value, int64_t& Position) {
  unsigned char buf[4096];
  for (int32_t i = 1;; ++i) {
    if (!RARdRec(FileName, Offset, 4096, i, buf)) return;
    for (int k = 0; k < 4096; ++k)
      if (buf[k] != Value) {
        Position = Offset + static_cast<int64_t>(i - 1) * 4096 + k;
        return;
      }
  }
}

// ---------------------------------------------------------------- case-insensitive lookup

namespace {

std::string WithSlash(const std::string& Folder) {
  std::string f = SlashPath(Folder);
  if (!f.empty() && f.back() != '/') f += '/';
  return f;
}

// The entry of Folder whose name equals Name without regard to case; empty when none.
std::string EntryNoCase(const std::string& Folder, const std::string& Name) {
  std::vector<platform::TDirEntry> entries;
  if (!platform::ReadDirEntries(Folder, entries)) return std::string();
  const std::string want = UpCaseStrCyr(Name);
  for (const auto& e : entries) {
    if (e.Name == "." || e.Name == "..") continue;
    if (UpCaseStrCyr(e.Name) == want) return e.Name;
  }
  return std::string();
}

}  // namespace

std::string FindNoCase(const std::string& Folder, const std::string& Rel) {
  std::string cur = WithSlash(Folder);
  const std::string rel = SlashPath(Rel);
  const bool trailing = !rel.empty() && rel.back() == '/';
  bool found = true;
  bool first = true;
  size_t p = 0;
  while (p < rel.size()) {
    size_t e = rel.find('/', p);
    if (e == std::string::npos) e = rel.size();
    const std::string comp = rel.substr(p, e - p);
    p = e + 1;
    if (comp.empty()) continue;
    if (!first) cur += '/';
    first = false;
    if (found && !platform::PathExists(cur + comp)) {
      const std::string real = EntryNoCase(cur, comp);
      if (!real.empty()) {
        cur += real;
        continue;
      }
      found = false;
    }
    cur += comp;
  }
  if (trailing && !first) cur += '/';
  return cur;
}

namespace {
// A process that still runs: one that exists and has not ended as a zombie (a zombie whose
// parent never reaps it, as under an init that does not, writes nothing more).
bool ProcessRuns(int32_t Pid) {
  if (::kill(Pid, 0) == -1 && errno == ESRCH) return false;
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(Pid));
  FILE* f = std::fopen(path, "r");
  if (!f) return true;
  char buf[512];
  const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = 0;
  // "pid (comm) S ...": the state follows the last ')'
  const char* p = std::strrchr(buf, ')');
  return !(p && p[1] == ' ' && p[2] == 'Z');
}
}  // namespace

void RemoveStaleTempCopies(const std::string& File) {
  namespace fs = std::filesystem;
  const fs::path f(File);
  const std::string prefix = f.filename().string() + ".tmp~";
  std::error_code ec;
  for (fs::directory_iterator it(f.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string n = it->path().filename().string();
    if (n.rfind(prefix, 0) != 0) continue;
    int32_t code = 0;
    const int32_t pid = ValIntCode(n.substr(prefix.size()), code);
    if (code != 0 || pid <= 0 || pid == static_cast<int32_t>(::getpid())) continue;
    if (!ProcessRuns(pid)) {
      std::error_code e2;
      fs::remove(it->path(), e2);
    }
  }
}
