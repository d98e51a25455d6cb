#include "platform/SysInfo.h"

#include <dirent.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <fstream>

#include "platform/FileErr.h"

namespace platform {

void KeepFreedMemory() {
  // fixed limits: blocks up to 256 MiB come from the heap, which keeps up to 512 MiB free
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
}

void UseCNumbers() { std::setlocale(LC_NUMERIC, "C"); }

namespace {

std::string BaseName(const std::string& Path) {
  size_t p = Path.find_last_of('/');
  return p == std::string::npos ? Path : Path.substr(p + 1);
}

struct TLangRow {
  const char* Lang;
  const char* Country;  // empty: the language's default row
  uint16_t Id;
  const char* Name;
};

const TLangRow kLanguages[] = {
    {"en", "", 0x0409, "English (United States)"},
    {"en", "US", 0x0409, "English (United States)"},
    {"en", "GB", 0x0809, "English (United Kingdom)"},
    {"en", "AU", 0x0C09, "English (Australia)"},
    {"en", "CA", 0x1009, "English (Canada)"},
    {"ru", "", 0x0419, "Russian (Russia)"},
    {"ru", "RU", 0x0419, "Russian (Russia)"},
    {"uk", "", 0x0422, "Ukrainian (Ukraine)"},
    {"be", "", 0x0423, "Belarusian (Belarus)"},
    {"de", "", 0x0407, "German (Germany)"},
    {"de", "DE", 0x0407, "German (Germany)"},
    {"de", "CH", 0x0807, "German (Switzerland)"},
    {"de", "AT", 0x0C07, "German (Austria)"},
    {"fr", "", 0x040C, "French (France)"},
    {"fr", "FR", 0x040C, "French (France)"},
    {"fr", "CA", 0x0C0C, "French (Canada)"},
    {"es", "", 0x0C0A, "Spanish (Spain)"},
    {"it", "", 0x0410, "Italian (Italy)"},
    {"pl", "", 0x0415, "Polish (Poland)"},
    {"cs", "", 0x0405, "Czech (Czech Republic)"},
    {"nl", "", 0x0413, "Dutch (Netherlands)"},
    {"pt", "", 0x0816, "Portuguese (Portugal)"},
    {"pt", "BR", 0x0416, "Portuguese (Brazil)"},
    {"ja", "", 0x0411, "Japanese (Japan)"},
    {"zh", "", 0x0804, "Chinese (Simplified, PRC)"},
};

uint32_t g_layout = 0x04090409;
bool g_locks[3] = {false, false, false};

int LockIndex(char Letter) {
  switch (Letter) {
    case 'C': return 0;
    case 'N': return 1;
    case 'S': return 2;
    default: return -1;
  }
}

}  // namespace

std::string ProcessExeName(int64_t Pid) {
  if (Pid <= 0) return std::string();
  std::string base = "/proc/" + std::to_string(Pid);
  char buf[4096];
  ssize_t n = readlink((base + "/exe").c_str(), buf, sizeof(buf) - 1);
  if (n > 0) {
    std::string path(buf, static_cast<size_t>(n));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() &&
        path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    std::string name = BaseName(path);
    if (!name.empty()) return FromSysPath(name);
  }
  std::ifstream f(base + "/comm");
  std::string comm;
  if (f && std::getline(f, comm)) return FromSysPath(comm);
  return std::string();
}

uint32_t VolumeSerialOf(char /*DriveLetter*/) { return 0; }

int64_t FreeBytesOf(const std::string& Folder) {
  std::string p = Folder.empty() ? std::string(".") : SysPath(Folder);
  struct statvfs st {};
  if (statvfs(p.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

TLanguageInfo LanguageOfLocale(const std::string& Locale) {
  std::string lang, country;
  size_t i = 0;
  while (i < Locale.size() && std::isalpha(static_cast<unsigned char>(Locale[i])))
    lang += static_cast<char>(std::tolower(static_cast<unsigned char>(Locale[i++])));
  if (i < Locale.size() && Locale[i] == '_') {
    ++i;
    while (i < Locale.size() && std::isalpha(static_cast<unsigned char>(Locale[i])))
      country += static_cast<char>(std::toupper(static_cast<unsigned char>(Locale[i++])));
  }
  if (lang.empty() || Locale == "C" || Locale.rfind("C.", 0) == 0 || Locale == "POSIX")
    return {0x0409, "English (United States)"};
  const TLangRow* fallback = nullptr;
  for (const TLangRow& r : kLanguages) {
    if (lang != r.Lang) continue;
    if (country == r.Country) return {r.Id, r.Name};
    if (!fallback && r.Country[0] == '\0') fallback = &r;
  }
  if (fallback) return {fallback->Id, fallback->Name};
  return {0, "Language Neutral"};
}

TLanguageInfo SystemLanguage() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return LanguageOfLocale(v);
  }
  return LanguageOfLocale("C");
}

uint32_t KeyboardLayout() { return g_layout; }
void SetKeyboardLayout(uint32_t Layout) { g_layout = Layout; }

uint32_t LoadKeyboardLayout(const std::string& LayoutName) {
  if (LayoutName.empty() || LayoutName.size() > 8) return 0;
  uint32_t v = 0;
  for (char c : LayoutName) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return 0;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  uint32_t lang = v & 0xFFFF;
  uint32_t variant = v >> 16;
  uint32_t layout = variant == 0 ? (lang << 16) | lang : ((0xF000 | (variant & 0x0FFF)) << 16) | lang;
  g_layout = layout;
  return layout;
}

bool LockKeyOn(char Letter) {
  int i = LockIndex(Letter);
  return i >= 0 && g_locks[i];
}

void SetLockKeyOn(char Letter, bool On) {
  int i = LockIndex(Letter);
  if (i >= 0) g_locks[i] = On;
}

int32_t DosDateTimeOf(std::time_t T) {
  struct tm lt {};
  if (!localtime_r(&T, &lt)) return (1 << 5 | 1) << 16;
  int year = lt.tm_year + 1900;
  if (year < 1980) return (1 << 5 | 1) << 16;
  if (year > 2107) return static_cast<int32_t>(0xFF9FBF7Du);  // 31-Dec-2107 23:59:58
  uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | (lt.tm_mon + 1) << 5 | lt.tm_mday);
  uint32_t time = static_cast<uint32_t>(lt.tm_hour << 11 | lt.tm_min << 5 | lt.tm_sec / 2);
  return static_cast<int32_t>(date << 16 | time);
}

bool ReadDirEntries(const std::string& Folder, std::vector<TDirEntry>& Entries) {
  Entries.clear();
  std::string dir = Folder.empty() ? std::string(".") : SysPath(Folder);
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  std::string prefix = dir;
  if (prefix.back() != '/') prefix += '/';
  while (dirent* e = readdir(d)) {
    std::string sysName = e->d_name;
    struct stat st {};
    if (stat((prefix + sysName).c_str(), &st) != 0) continue;
    TDirEntry r;
    r.Name = FromSysPath(sysName);
    bool dots = sysName == "." || sysName == "..";
    if (S_ISDIR(st.st_mode)) {
      r.Attr = faDirectory;
    } else if (S_ISREG(st.st_mode)) {
      r.Attr = faArchive;
      if (!(st.st_mode & S_IWUSR)) r.Attr |= faReadOnly;
      r.Size = st.st_size;
    } else {
      continue;
    }
    if (!dots && sysName[0] == '.') r.Attr |= faHidden;
    r.Time = DosDateTimeOf(st.st_mtime);
    Entries.push_back(std::move(r));
  }
  closedir(d);
  return true;
}

}  // namespace platform
