#include "scans/cvSessions.h"

#include <dirent.h>
#include <fcntl.h>
#include <cerrno>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <unordered_map>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/FileErr.h"
#include "scans/cvFitsCard.h"

namespace sessions {
namespace fs = std::filesystem;

int ReadCards(const std::string& File, int64_t Offset, TStringList& Cards);
int ReadCardBuffer(const std::string& File, std::string& Buf);
std::vector<std::pair<bool, std::string>> ListTyped(const std::string& Folder);

namespace {

const std::string kCrLf = "\r\n";
constexpr int32_t kMaxCards = 600;

bool DigitsOrUnderscore(const std::string& S) {
  for (char c : S)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '_')) return false;
  return !S.empty();
}

bool IsFile(const std::string& F) { return platform::IsRegularFile(F); }

// A main header read into one buffer (80-byte cards up to END); keys looked up along it.
struct THead {
  std::string Buf;
  TStringList Cards;  // made only for the header reader's warnings
  // -1 the file does not open, 0 no END in its header, 1 read.
  int Read(const std::string& File) { return ReadCardBuffer(File, Buf); }
  std::string S(const std::string& Key) const {
    for (size_t i = 0; i + 80 <= Buf.size(); i += 80) {
      const char* c = Buf.data() + i;
      size_t n = 8;
      while (n > 0 && c[n - 1] == ' ') --n;
      if (n == Key.size() && std::memcmp(c, Key.data(), n) == 0)
        return CardValue(std::string(c, 80));
    }
    return "";
  }
  const TStringList& List() {
    if (Cards.Count() == 0)
      for (size_t i = 0; i + 80 <= Buf.size(); i += 80) Cards.Add(Buf.substr(i, 80));
    return Cards;
  }
};

// A key's real value; absent (or no number): 0 and, when Loud, the header reader's warning.
double KeyR(THead& H, const std::string& Key, bool Loud) {
  const std::string v = H.S(Key);
  if (!v.empty()) {
    int32_t code = 0;
    const double x = ValRealCode(v, code);
    if (code == 0) return x;
  }
  return Loud ? GetFITKeyRAll(Key, &H.List()) : GetFITKeyRDef(Key, &H.List(), 0);
}

std::string Fix(int D, double X) { return FDecSt(D, X); }
std::string IntText(double X) { return IntStr(static_cast<int32_t>(std::nearbyint(X))); }

// The own-file columns of a row (absent keys 0, silently).
void OwnColumns(THead& H, TSessionRow& R) {
  auto k = [&](const char* K) { return KeyR(H, K, false); };
  R.Set("GxFITS_maxB", IntText(std::max(std::fabs(k("HL_N_MA")), std::fabs(k("HL_S_MA")))));
  R.Set("GxFITS_CB0", Fix(3, k("CB0")));
  R.Set("GxFITS_VW1", Fix(4, k("VW1")));
  R.Set("GxFITS_VW2", Fix(4, k("VW2")));
  R.Set("GxFITS_pLimb", Fix(2, k("pLimb")));
  R.Set("GxFITS_pU", Fix(2, k("pU")));
  R.Set("GxFITS_ppu", Fix(2, k("ppu")));
  R.Set("GxFITS_pB077", Fix(2, k("pB077")));
  R.Set("GxFITS_pB007", Fix(2, k("pB007")));
  R.Set("GxFITS_minC", Fix(3, k("minCB0")));
  R.Set("GxFITS_tDura", Fix(2, k("tDura")));
  R.Set("GxFITS_tDay", Fix(4, k("tDay")));
  for (int i = 1; i <= 6; ++i)
    R.Set("GxFITS_TT" + IntStr(i), Fix(4, k(("TT_" + IntStr(i)).c_str())));
  R.Set("GxFITS_SolXC", Fix(1, k("SOLXC_LM")));
  const std::string mi = H.S("dVCmi"), ma = H.S("dVCma");
  R.Set("GxFITS_dVmi", mi.empty() ? "[]" : mi);
  R.Set("GxFITS_dVma", ma.empty() ? "[]" : ma);
  R.Set("GxFITS_BML1", Fix(1, k("maBML1")));
  R.Set("GxFITS_BML2", Fix(1, k("maBML2")));
  R.Set("GxFITS_maBIV", Fix(1, k("maBIV")));
  R.Set("GxFITS_miBIV", Fix(1, k("miBIV")));
}

void MEColumns(THead& H, TSessionRow& R) {
  const double xc = KeyR(H, "XCEN", true), yc = KeyR(H, "YCEN", true),
               rs = KeyR(H, "SOLAR_RA", true);
  R.Set("GxFITS_Xcen", Fix(1, xc));
  R.Set("GxFITS_Ycen", Fix(1, yc));
  R.Set("GxFITS_RSun", Fix(1, rs));
  double lat = 0, lon = 0, ang = 0;
  DiscPosition(xc, yc, rs, lat, lon, ang);
  R.Set("GxFITS_lat", Fix(1, lat));
  R.Set("GxFITS_long", Fix(1, lon));
  R.Set("GxFITS_Angle", Fix(1, ang));
}

// The scan's columns from the first slit file (NAxis1: the row's first map file's, or 0).
void ScanColumns(const std::string& ScanFolder, int32_t NAxis1, TSessionRow& R) {
  const std::string f = FirstFits(ScanFolder);
  if (f.empty()) return;
  THead h;
  if (h.Read(f) <= 0) return;
  const int32_t bin = static_cast<int32_t>(KeyR(h, "SCN_SUM", true));
  const double fovy = KeyR(h, "FOVY", true);
  const int32_t n = static_cast<int32_t>(KeyR(h, "NSLITPOS", true));
  const double exp = KeyR(h, "EXPTIME", true);
  const int32_t p = bin > 0 ? n / bin : n;
  R.Set("GxFITS_bin", IntStr(bin));
  R.Set("GxFITS_fovy", ShortSt(4, fovy));
  R.Set("GxFITS_nX", IntStr(n));
  R.Set("GxFITS_nRep", IntStr(Repetitions(NAxis1, n, bin)));
  R.Set("GxFITS_exp", ShortSt(3, exp));
  R.Set("GxFITS_Cadence", ShortSt(3, p * exp / 60.0));
}

// One month folder into Out (both passes).
bool FillMonth(const std::string& Month, TSessionFill& Out, TJob* Job, int64_t& Done,
               int64_t Total) {
  if (!platform::IsDirectory(Month)) {
    WARNAbs("Папка <"_cp + Month + "> не существует!"_cp + kCrLf + "Это странно!!!"_cp);
    Out.MissingMonth = true;
    return true;
  }
  const std::vector<std::pair<bool, std::string>> list = ListTyped(Month);
  for (const auto& [isFile, e] : list)
    if (e.size() >= 15 && DigitsOrUnderscore(e)) {
      TSessionRow r;
      r.DaTi = e;
      r.Set("GxFITS_DaTi", e);
      Out.Rows.push_back(std::move(r));
    }
  for (const auto& [isFile, name] : list) {
    const std::string& e = name;
    const bool maybeFile = isFile;
    if (e.size() != 13) continue;
    auto it = std::find_if(Out.Rows.begin(), Out.Rows.end(),
                           [&e](const TSessionRow& R) { return R.DaTi.compare(0, 13, e) == 0; });
    if (it == Out.Rows.end()) continue;
    const std::string o = Join(Month, e);
    if (maybeFile && !platform::IsDirectory(o)) {
      WARNAbs("Папка <"_cp + o + "> не существует!"_cp + kCrLf + "Этого не должно быть!!!"_cp);
      break;
    }
    if (Job && !Job->Step(Done, Total, it->DaTi)) {
      Out.Cancelled = true;
      return false;
    }
    ++Done;
    TSessionRow& r = *it;
    const std::string s = r.DaTi;
    bool first = true;
    int32_t naxis1 = 0;
    // A map file: its check when it opens, its values when its header reads.
    auto mapFile = [&](const std::string& File, bool Own) {
      THead h;
      const int got = h.Read(File);
      if (got < 0) return;
      r.Set(Own ? "GxFITS_CV" : "GxFITS_ME", "true");
      if (got == 0) return;
      if (first) {
        naxis1 = static_cast<int32_t>(KeyR(h, "NAXIS1", false));
        r.Set("GxFITS_nnX", IntStr(naxis1));
        r.Set("GxFITS_nY", IntStr(static_cast<int32_t>(KeyR(h, "NAXIS2", false))));
        first = false;
      }
      if (Own)
        OwnColumns(h, r);
      else
        MEColumns(h, r);
    };
    mapFile(Join(o, e + ".fits"), true);
    mapFile(Join(o, s + ".fits"), false);
    ScanColumns(Join(Month, s), naxis1, r);
    if (IsFile(Join(o, s + "_L2.1.fits"))) r.Set("GxFITS_M2", "true");
  }
  return true;
}

std::vector<std::string> YearMonths(const std::string& Root, const std::string& Year) {
  std::vector<std::string> m;
  for (const std::string& e : ListSorted(Root))
    if (e.size() == 7 && DigitsOrUnderscore(e) && e.compare(0, 4, Year) == 0) m.push_back(e);
  std::sort(m.begin(), m.end());
  return m;
}

}  // namespace

std::vector<std::pair<bool, std::string>> ListTyped(const std::string& Folder) {
  std::vector<std::pair<bool, std::string>> e;
  std::error_code ec;
  for (fs::directory_iterator it(platform::SysPath(Folder), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code ec2;
    e.emplace_back(!it->is_directory(ec2), platform::FromSysPath(it->path().filename().string()));
  }
  std::sort(e.begin(), e.end());
  return e;
}

bool IsMonthName(const std::string& Name) { return Name.size() == 7 && DigitsOrUnderscore(Name); }
bool IsSessionName(const std::string& Name) {
  return Name.size() >= 15 && DigitsOrUnderscore(Name);
}

std::string Join(const std::string& Root, const std::string& Name) {
  if (Root.empty()) return Name;
  const char last = Root.back();
  return last == '/' || last == '\\' ? Root + Name : Root + "/" + Name;
}

std::vector<std::string> ListSorted(const std::string& Folder) {
  std::vector<std::string> out;
  for (auto& [f, n] : ListTyped(Folder)) out.push_back(std::move(n));
  return out;
}

std::vector<std::string> MonthItems(const std::string& Root) {
  std::vector<std::string> years, months;
  std::string last;
  for (const std::string& e : ListSorted(Root)) {
    if (e.size() < 7 || !DigitsOrUnderscore(e)) continue;
    if (e.substr(0, 4) != last) {
      last = e.substr(0, 4);
      years.push_back(last);
    }
    months.push_back(e);
  }
  std::vector<std::string> out{"All"};
  out.insert(out.end(), years.begin(), years.end());
  out.insert(out.end(), months.begin(), months.end());
  return out;
}

std::string SessionYearMonth(const std::string& Name) {
  if (Name.size() != 15) return "";
  return Name.substr(0, 4) + "_" + Name.substr(4, 2);
}

void SplitDaTi(const std::string& Name, std::string& Da, std::string& Ti) {
  const size_t p = Name.find('_');
  Da = Name.substr(0, p);
  Ti = p == std::string::npos ? std::string() : Name.substr(p + 1);
}

std::string SessionFolder(const std::string& Root, const std::string& Name) {
  return Join(Join(Root, SessionYearMonth(Name)), Name);
}

std::string SessionMapFile(const std::string& Root, const std::string& Name, int32_t Kind) {
  const std::string o = Join(Join(Root, SessionYearMonth(Name)), Name.substr(0, 13));
  if (Kind == 1) return Join(o, Name.substr(0, 13) + ".fits");
  if (Kind == 2) return Join(o, Name + ".fits");
  return Join(o, Name + "_L2.1.fits");
}

std::string FirstFits(const std::string& Folder) {
  std::string best;
  DIR* d = ::opendir(platform::SysPath(Folder).c_str());
  if (!d) return best;
  while (const dirent* e = ::readdir(d)) {
    const size_t n = std::strlen(e->d_name);
    if (n > 5 && std::memcmp(e->d_name + n - 5, ".fits", 5) == 0 &&
        (best.empty() || best.compare(e->d_name) > 0))
      best.assign(e->d_name, n);
  }
  ::closedir(d);
  return best.empty() ? best : Join(Folder, platform::FromSysPath(best));
}

bool ReadHeaderCards(const std::string& File, int64_t Offset, TStringList& Cards) {
  return ReadCards(File, Offset, Cards) > 0;
}

int ReadCards(const std::string& File, int64_t Offset, TStringList& Cards) {
  const int fd = ::open(platform::SysPath(File).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;

  char block[2880];
  int32_t n = 0;
  bool end = false;
  while (!end && n < kMaxCards) {
    const ssize_t got = ::pread(fd, block, sizeof block, Offset);
    if (got < 0 && errno == EISDIR) {  // a folder of that name
      ::close(fd);
      return -1;
    }
    if (got < 80) break;
    for (ssize_t i = 0; i + 80 <= got && n < kMaxCards; i += 80) {
      std::string card(block + i, 80);
      ++n;
      const bool isEnd = card.compare(0, 3, "END") == 0 && CardTrim(card.substr(0, 8)) == "END";
      Cards.Add(card);
      if (isEnd) {
        end = true;
        break;
      }
    }
    Offset += got;
  }
  ::close(fd);
  return end ? 1 : 0;
}

int ReadCardBuffer(const std::string& File, std::string& Buf) {
  const int fd = ::open(platform::SysPath(File).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  Buf.clear();
  char block[2880];
  int64_t off = 0;
  int r = 0;
  while (Buf.size() < static_cast<size_t>(kMaxCards) * 80) {
    const ssize_t got = ::pread(fd, block, sizeof block, off);
    if (got < 0 && errno == EISDIR) {
      r = -1;
      break;
    }
    if (got < 80) break;
    bool end = false;
    ssize_t i = 0;
    for (; i + 80 <= got && !end; i += 80)
      end = std::memcmp(block + i, "END", 3) == 0 &&
            std::memcmp(block + i + 3, "     ", 5) == 0;
    Buf.append(block, static_cast<size_t>(i));
    if (end) {
      r = 1;
      break;
    }
    off += got;
  }
  ::close(fd);
  if (Buf.size() > static_cast<size_t>(kMaxCards) * 80) Buf.resize(static_cast<size_t>(kMaxCards) * 80);
  return r;
}

std::string TSessionRow::Cell(const std::string& Col) const {
  const int32_t i = SessionColumnIndex(Col);
  return i < 0 ? std::string() : Values[static_cast<size_t>(i)];
}

void TSessionRow::Set(const std::string& Col, std::string Text) {
  const int32_t i = SessionColumnIndex(Col);
  if (i >= 0) Values[static_cast<size_t>(i)] = std::move(Text);
}

int32_t SessionColumnIndex(const std::string& Col) {
  static const std::unordered_map<std::string, int32_t> index = [] {
    std::unordered_map<std::string, int32_t> m;
    for (size_t i = 0; i < SessionColumns().size(); ++i)
      m.emplace(SessionColumns()[i].first, static_cast<int32_t>(i));
    return m;
  }();
  auto it = index.find(Col);
  return it == index.end() ? -1 : it->second;
}

void FillSessions(const std::string& Root, const std::string& Choice, TSessionFill& Out,
                  TJob* Job) {
  Out = TSessionFill{};
  std::vector<std::string> months;
  if (Choice == "All" || Choice.size() == 4) {
    std::vector<std::string> years;
    if (Choice == "All") {
      for (const std::string& e : ListSorted(Root))
        if (e.size() == 7 && DigitsOrUnderscore(e) &&
            (years.empty() || years.back() != e.substr(0, 4)))
          years.push_back(e.substr(0, 4));
      std::sort(years.begin(), years.end());
      years.erase(std::unique(years.begin(), years.end()), years.end());
    } else {
      years.push_back(Choice);
    }
    for (const std::string& y : years) {
      const std::vector<std::string> m = YearMonths(Root, y);
      if (m.empty()) WARNAbs("Для года "_cp + y + " нет данных по месяцам!"_cp);
      for (const std::string& x : m) months.push_back(Join(Root, x));
    }
  } else {
    months.push_back(Join(Root, Choice));
  }
  // The total for the progress: the output folders of all months (a cheap listing).
  int64_t total = 0, done = 0;
  if (Job)
    for (const std::string& m : months)
      for (const std::string& e : ListSorted(m))
        if (e.size() == 13) ++total;
  for (const std::string& m : months)
    if (!FillMonth(m, Out, Job, done, total)) return;
}

const std::vector<std::pair<std::string, std::string>>& SessionColumns() {
  static const std::vector<std::pair<std::string, std::string>> c = {
      {"GxFITS_Hd", "Hd"},         {"GxFITS_DaTi", "Dt_HHMMSS"}, {"GxFITS_CV", "CV"},
      {"GxFITS_ME", "ME"},         {"GxFITS_M2", "M2"},          {"GxFITS_nnX", "nnX"},
      {"GxFITS_nY", "nY"},         {"GxFITS_nX", "nX"},          {"GxFITS_nRep", "nn"},
      {"GxFITS_Cadence", "Cadenc"}, {"GxFITS_exp", "exp"},       {"GxFITS_bin", "bin"},
      {"GxFITS_fovy", "fovy"},     {"GxFITS_maxB", "max B"},     {"GxFITS_Xcen", "Xcen"},
      {"GxFITS_Ycen", "Ycen"},     {"GxFITS_RSun", "R_sun"},     {"GxFITS_lat", "Lat"},
      {"GxFITS_long", "Long"},     {"GxFITS_Angle", "Angle"},    {"GxFITS_CB0", "Cont_B0"},
      {"GxFITS_VW1", "VW1"},       {"GxFITS_VW2", "VW2"},        {"GxFITS_pLimb", "pLimb"},
      {"GxFITS_pU", "pU"},         {"GxFITS_ppu", "ppu"},        {"GxFITS_pB077", "pB0"},
      {"GxFITS_pB007", "pB0hot"},  {"GxFITS_minC", "minC"},      {"GxFITS_tDura", "Durat."},
      {"GxFITS_tDay", "tDay"},     {"GxFITS_TT1", "TT1"},        {"GxFITS_TT2", "TT2"},
      {"GxFITS_TT3", "TT3"},       {"GxFITS_TT4", "TT4"},        {"GxFITS_TT5", "TT5"},
      {"GxFITS_TT6", "TT6"},       {"GxFITS_SolXC", "SolXC"},    {"GxFITS_dVmi", "dVmi"},
      {"GxFITS_dVma", "dVma"},     {"GxFITS_BML1", "BML1"},      {"GxFITS_BML2", "BML2"},
      {"GxFITS_maBIV", "maBIV"},   {"GxFITS_miBIV", "miBIV"}};
  return c;
}

std::vector<std::string> SessionRowsText(
    const std::vector<TSessionRow>& Rows,
    const std::vector<std::pair<std::string, std::string>>& Cols) {
  std::vector<std::string> out;
  std::string head;
  for (const auto& [n, c] : Cols) {
    std::string t = c;
    std::replace(t.begin(), t.end(), ' ', '_');
    head += (head.empty() ? "" : " ") + t;
  }
  out.push_back(head);
  for (const TSessionRow& r : Rows) {
    std::string l;
    for (const auto& [n, c] : Cols) {
      std::string v = r.Cell(n);
      const bool check = n == "GxFITS_CV" || n == "GxFITS_ME" || n == "GxFITS_M2" || n == "GxFITS_Hd";
      if (check) v = v == "true" ? "+" : "-";
      if (v.empty()) v = "0";
      l += (l.empty() ? "" : " ") + v;
    }
    out.push_back(l);
  }
  return out;
}

void DiscPosition(double XCen, double YCen, double RSun, double& Lat, double& Long,
                  double& Angle) {
  auto clip = [](double r) {
    if (std::isnan(r)) return 0.0;
    return std::clamp(r, -1.0, 1.0);
  };
  const double u = RSun == 0 ? 0 : clip(XCen / RSun), v = RSun == 0 ? 0 : clip(YCen / RSun);
  const double d = 180.0 / M_PI;
  Lat = std::asin(v) * d;
  Long = std::asin(u) * d + 90;
  Angle = std::acos(std::cos(Lat / d) * std::cos((Long - 90) / d)) * d;
}

int32_t Repetitions(int32_t NAxis1, int32_t NSlitPos, int32_t Bin) {
  const int32_t p = Bin > 0 ? NSlitPos / Bin : NSlitPos;
  if (p == 0) return 0;
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(NAxis1) / p));
}

std::vector<std::pair<std::string, std::string>> SessionPanel(const std::string& Root,
                                                              const std::string& Name, bool CV) {
  std::vector<std::pair<std::string, std::string>> out;
  const std::string own = SessionMapFile(Root, Name, 1), me = SessionMapFile(Root, Name, 2);
  bool flag = IsFile(own);
  auto time = [](const std::string& T) {
    std::string t = T.substr(T.find('T') == std::string::npos ? 0 : T.find('T') + 1);
    t.erase(std::remove(t.begin(), t.end(), ':'), t.end());
    return t;
  };
  auto panel = [&](const std::string& File, bool IsME) {
    TStringList h;
    if (!ReadHeaderCards(File, 0, h)) return;
    if (flag) {
      out.emplace_back("lb_nX", IntStr(GetFITKeyIAll("NAXIS1", &h)));
      out.emplace_back("lb_nY", IntStr(GetFITKeyIAll("NAXIS2", &h)));
      out.emplace_back("lb_dX", Fix(3, GetFITKeyRAll("XSCALE", &h)));
      out.emplace_back("lb_dY", Fix(3, GetFITKeyRAll("YSCALE", &h)));
      out.emplace_back("lb_Ti0", time(GetFITKeyAll("TSTART", &h)));
      out.emplace_back("lb_Ti1", time(GetFITKeyAll("TEND", &h)));
      out.emplace_back("gbSes", "Session  " + Name);
    }
    if (IsME) {
      out.emplace_back("lb_PAng", Fix(3, GetFITKeyRAll("P_ANGLE", &h)));
      out.emplace_back("lb_BAng", Fix(3, GetFITKeyRAll("B_ANGLE", &h)));
      out.emplace_back("lb_XCEN", Fix(1, GetFITKeyRAll("XCEN", &h)));
      out.emplace_back("lb_YCEN", Fix(1, GetFITKeyRAll("YCEN", &h)));
    }
  };
  if (flag && CV) {
    panel(own, false);
    flag = false;
  }
  if (IsFile(me)) panel(me, true);
  const std::string f = FirstFits(SessionFolder(Root, Name));
  TStringList h;
  if (!f.empty() && ReadHeaderCards(f, 0, h)) {
    out.emplace_back("lb_Pix0", Fix(1, GetFITKeyRAll("CRPIX1", &h)));
    out.emplace_back("lb_Lam0", Fix(3, GetFITKeyRAll("CRVAL1", &h)));
    out.emplace_back("lb_dLam_dPix", Fix(3, GetFITKeyRAll("CDELT1", &h) * 1000));
    out.emplace_back("lb_nXp", IntStr(GetFITKeyIAll("NSLITPOS", &h)));
    out.emplace_back("lb_Expos", Fix(3, GetFITKeyRAll("EXPTIME", &h)));
    out.emplace_back("lb_nExp", IntStr(GetFITKeyIAll("SPNINT", &h)));
    out.emplace_back("lb_Binning", IntStr(GetFITKeyIAll("SPBSHFT", &h)) + " " +
                                       IntStr(GetFITKeyIAll("SCN_SUM", &h)) + " " +
                                       IntStr(GetFITKeyIAll("SCN_STEP", &h)));
  }
  return out;
}

std::vector<std::string> VaryingKeys(const std::vector<std::vector<std::string>>& Keys,
                                     const std::vector<std::vector<std::string>>& Values,
                                     const std::function<bool(int32_t)>& Step, bool& Stopped) {
  Stopped = false;
  std::vector<std::string> out;
  if (Keys.empty() || Values.empty()) return out;
  const std::vector<std::string>& k0 = Keys[0];
  const std::vector<std::string>& v0 = Values[0];
  std::vector<char> mark(k0.size(), 0);
  // The occurrence number of each position's key in the first file.
  std::vector<size_t> occ(k0.size());
  {
    std::map<std::string, size_t> seen;
    for (size_t i = 0; i < k0.size(); ++i) occ[i] = seen[k0[i]]++;
  }
  const size_t n = std::min(Keys.size(), Values.size());
  for (size_t f = 1; f < n; ++f) {
    if (Step && !Step(static_cast<int32_t>(f))) {
      Stopped = true;
      return {};
    }
    std::map<std::string, std::vector<const std::string*>> byKey;
    const auto& kf = Keys[f];
    const auto& vf = Values[f];
    for (size_t i = 0; i < kf.size() && i < vf.size(); ++i) byKey[kf[i]].push_back(&vf[i]);
    for (size_t i = 0; i < k0.size(); ++i) {
      if (mark[i]) continue;
      auto it = byKey.find(k0[i]);
      if (it == byKey.end() || occ[i] >= it->second.size() || i >= v0.size() ||
          *it->second[occ[i]] != v0[i])
        mark[i] = 1;
    }
  }
  for (size_t i = 0; i < k0.size(); ++i)
    if (mark[i]) out.push_back(k0[i]);
  return out;
}

bool LoadFOList(const std::string& Root, std::vector<std::string>& Names,
                std::vector<std::string>& Lines) {
  if (!platform::IsDirectory(Root)) {
    WARNAbs("Не найден путь к БД Hinode!"_cp);
    return false;
  }
  const std::string path = Join(Root, "FO.txt");
  std::ifstream f(platform::SysPath(path), std::ios::binary);
  if (!IsFile(path) || !f) {
    WARNAbs("Файл "_cp + path + " не найден!"_cp);
    return false;
  }
  Names.clear();
  Lines.clear();
  std::string l;
  while (std::getline(f, l)) {
    const size_t c = l.find('!');
    if (c != std::string::npos) l.erase(c);
    l.erase(std::remove_if(l.begin(), l.end(),
                           [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }),
            l.end());
    const std::string name = l.substr(0, l.find('='));
    if (name.empty() || name[0] == '$') continue;
    Names.push_back(name);
    Lines.push_back(l);
  }
  return true;
}

int32_t SourceSlotOfChar(char C) {
  if (C == 0) return 0;
  if (C >= '0' && C <= '9') return C - '0' + 1;
  if (C >= 'A' && C <= 'Z') return C - 'A' + 11;
  if (C >= 'a' && C <= 'z') return C - 'a' + 37;
  return -1;
}

char SourceCharOfSlot(int32_t Slot) {
  if (Slot >= 1 && Slot <= 10) return static_cast<char>('0' + Slot - 1);
  if (Slot >= 11 && Slot <= 36) return static_cast<char>('A' + Slot - 11);
  if (Slot >= 37 && Slot <= 62) return static_cast<char>('a' + Slot - 37);
  return 0;
}

bool SourceCharOfSession(const std::vector<std::pair<std::string, std::string>>& Rows,
                         const std::string& Session, char& C, bool& New) {
  C = 0;
  New = true;
  bool used[63] = {};
  bool found = false;
  for (const auto& [s, num] : Rows) {
    if (s != Session) {
      if (!num.empty()) {
        const int32_t slot = SourceSlotOfChar(num[0]);
        if (slot >= 0 && slot <= 62) used[slot] = true;
      }
    } else {
      New = false;
      found = !num.empty();
      C = num.empty() ? 0 : num[0];
    }
  }
  if (found) return true;
  for (int32_t s = 1; s <= 62; ++s)
    if (!used[s]) {
      C = SourceCharOfSlot(s);
      return true;
    }
  WARNAbs("Сессии "_cp + Session + " не хватило символа источника: заняты все 62"_cp);
  return false;
}

bool ProfileSelection(const std::string& ComboText, std::string& Sel) {
  std::string t = ComboText;
  const size_t b = t.find_first_not_of(' ');
  t = b == std::string::npos ? std::string() : t.substr(b);
  Sel = t.substr(0, t.find(' '));
  if (Sel.empty() || Sel.size() > 4) {
    WARNAbs("В поле IQUV может быть от 1 до 4-х символов!"_cp);
    return false;
  }
  if (Sel == "biB" || Sel == "biV" || Sel == "QXi" || Sel == "UXi") return true;
  const char pm = static_cast<char>(0xB1);  // "±" in code page 1251
  for (char& c : Sel) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (std::string("DIPQUV").find(c) == std::string::npos && c != pm) {
      WARNAbs("В поле IQUV не допустимы символы кроме \"I,Q,U,V\""_cp + kCrLf +
              "а также DP± biB, biV, QXi, UXi!"_cp);
      return false;
    }
  }
  return true;
}

int32_t MatrixTile(int32_t Dx, int32_t Dy, int32_t N) { return (N * N + 1) / 2 + Dx + Dy * N; }

std::vector<std::string> CurveTitles(const std::string& Sel) {
  std::vector<std::string> t;
  if (Sel == "biB" || Sel == "biV") return t;
  const char pm = static_cast<char>(0xB1);
  std::string s = Sel;
  if (s == "QXi") return {"Stokes_LQ"};
  if (s == "UXi") return {"Stokes_LU"};
  if (s.find(pm) != std::string::npos) {
    if (s.find('V') != std::string::npos) {
      t = {"Stokes_I+V", "Stokes_I-V"};
    } else {
      t = {"Stokes_I+L", "Stokes_I-L"};
    }
  } else {
    if (s.find('I') != std::string::npos) t.push_back("Stokes_I");
    if (s.find('V') != std::string::npos) t.push_back("Stokes_V");
  }
  if (s.find('Q') != std::string::npos) t.push_back("Stokes_Q");
  if (s.find('U') != std::string::npos) t.push_back("Stokes_U");
  if (s.find('P') != std::string::npos) t.push_back("StoksQ+U");
  if (s.find('D') != std::string::npos) t.push_back("dI/dLam");
  return t;
}

std::vector<std::string> HeaderText(const std::string& File, int64_t Offset) {
  TStringList c;
  ReadHeaderCards(File, Offset, c);
  if (c.Count() == 0) return {};
  std::vector<std::string> out;
  out.push_back(File + " " + I64Str(Offset) + " " + IntStr(c.Count()));
  out.push_back("-------------------");
  for (int i = 0; i < c.Count(); ++i) out.push_back(c[i]);
  return out;
}

bool HeaderReturn(const std::vector<std::string>& Lines, bool Backup) {
  if (Lines.empty()) {
    WARNAbs("файл "_cp + "\n\r<>\n\r" + " НЕ существует!"_cp);
    return false;
  }
  // "file S N": S and N are the last two words (the name may hold blanks).
  std::string l1 = Lines[0];
  while (!l1.empty() && (l1.back() == ' ' || l1.back() == '\r' || l1.back() == '\t'))
    l1.pop_back();
  const size_t pN = l1.find_last_of(' ');
  const size_t pS = pN == std::string::npos ? pN : l1.find_last_not_of(' ', pN);
  const size_t pS0 = pS == std::string::npos ? pS : l1.find_last_of(' ', pS);
  std::string file, sS, sN;
  if (pS0 != std::string::npos) {
    file = l1.substr(0, pS0);
    while (!file.empty() && file.back() == ' ') file.pop_back();
    sS = l1.substr(pS0 + 1, pS - pS0);
    sN = l1.substr(pN + 1);
  } else {
    file = l1;
  }
  const size_t fb = file.find_first_not_of(' ');
  file = fb == std::string::npos ? std::string() : file.substr(fb);
  if (file.empty() || !IsFile(file)) {
    WARNAbs("файл "_cp + "\n\r<" + file + ">\n\r" + " НЕ существует!"_cp);
    return false;
  }
  int32_t code = 0;
  const int32_t s = ValIntCode(sS, code);
  if (code != 0 || sS.empty() || s < 0) {
    WARNAbs("Ошибка в номере стартового байта S=<"_cp + sS + "> " + kCrLf +
            "при попытке возврата Header-а в файл с именем"_cp + kCrLf + "<" + file + ">");
    return false;
  }
  const int32_t n = ValIntCode(sN, code);
  if (code != 0 || sN.empty() || n <= 0) {
    WARNAbs("Ошибка в числе строк Header-а S=<"_cp + sN + "> " + kCrLf +
            "при попытке возврата Header-а в файл с именем"_cp + kCrLf + "<" + file + ">");
    return false;
  }
  // The header at S must still be the one taken out: N cards, END last.
  TStringList now;
  if (!ReadHeaderCards(file, s, now) || now.Count() != n) {
    WARNAbs("Заголовок в файле <"_cp + file + "> по смещению "_cp + IntStr(s) +
            " не совпадает с взятым в редактор ("_cp + IntStr(n) + " строк с END в конце): "_cp +
            "сейчас "_cp + IntStr(now.Count()) + ". Файл не изменён."_cp);
    return false;
  }
  TStringList cards;
  for (size_t i = 2; i < Lines.size(); ++i) {
    std::string c = Lines[i];
    while (!c.empty() && (c.back() == '\r' || c.back() == '\n')) c.pop_back();
    cards.Add(c);
  }
  while (cards.Count() > 0 && CardTrim(cards[cards.Count() - 1]).empty())
    cards.Delete(cards.Count() - 1);
  const int32_t c = cards.Count();
  if (c == 0 || CardTrim(cards[c - 1].substr(0, std::min<size_t>(8, cards[c - 1].size()))) != "END") {
    WARNAbs("WriteHeader " + file + kCrLf + "не найдена строка \"END\""_cp);
    return false;
  }
  if (c > n && (c + 35) / 36 > (n + 35) / 36) {
    WARNAbs("При попытке возврата Header-а в файл с именем"_cp + kCrLf + "<" + file + ">" + kCrLf +
            "мы вывалились за полседнюю свободную в буфере строку"_cp + kCrLf +
            "хотим записать строку "_cp + IntStr(c) + " первоначально их "_cp + IntStr(n));
    return false;
  }
  for (int32_t i = 0; cards.Count() < n; ++i) {
    std::string d = "DUMMY" + ZeroPad(i, 3) + "=               0.0000 /";
    d.append(80 - d.size(), ' ');
    cards.Insert(cards.Count() - 1, d);
  }
  // Through a copy renamed over the file; the old file kept as its backup when asked.
  const std::string tmp = file + ".hdtmp";
  std::error_code ec;
  fs::copy_file(platform::SysPath(file), platform::SysPath(tmp), fs::copy_options::overwrite_existing,
                ec);
  if (ec) {
    WARNAbs("Не удалось сделать копию файла <"_cp + file + ">: " + ec.message());
    return false;
  }
  WriteHeader(tmp, s, cards);
  TStringList back;
  if (!ReadHeaderCards(tmp, s, back) || back.Count() < n) {
    fs::remove(platform::SysPath(tmp), ec);
    WARNAbs("Заголовок не записан в файл <"_cp + file + ">; файл не изменён."_cp);
    return false;
  }
  if (Backup) {
    std::string bak = file + ".bak";
    for (int i = 1; platform::PathExists(bak); ++i) bak = file + ".bak" + IntStr(i);
    fs::copy_file(platform::SysPath(file), platform::SysPath(bak), ec);
    if (ec) {
      fs::remove(platform::SysPath(tmp), ec);
      WARNAbs("Не удалось сохранить копию <"_cp + bak + ">; файл не изменён."_cp);
      return false;
    }
  }
  fs::rename(platform::SysPath(tmp), platform::SysPath(file), ec);
  if (ec) {
    fs::remove(platform::SysPath(tmp), ec);
    WARNAbs("Не удалось заменить файл <"_cp + file + ">; файл не изменён."_cp);
    return false;
  }
  return true;
}

}  // namespace sessions
