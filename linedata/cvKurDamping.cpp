#include "linedata/cvKurDamping.h"

#include <charconv>
#include <cmath>
#include <sqlite3.h>
#include <vector>
#include <string_view>
#include <sys/stat.h>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvMend.h"

namespace {

constexpr size_t kRecordLength = 159;
constexpr double kCm1PerEV = 8065.463122884277;
const std::string kCrLf = "\r\n";

bool FileExists(const std::string& Name) {
  struct stat st {};
  return stat(Name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Columns From..To (1-based) of a record, without the blanks at both ends.
std::string_view Cols(std::string_view S, size_t From, size_t To) {
  if (S.size() < From) return {};
  S = S.substr(From - 1, To - From + 1);
  while (!S.empty() && static_cast<unsigned char>(S.front()) <= ' ') S.remove_prefix(1);
  while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ') S.remove_suffix(1);
  return S;
}

// A field's number: the plain form at once, anything else as the program reads numbers.
bool Number(std::string_view S, double& X) {
  if (S.empty()) return false;
  // digits, a point, digits (the band files' form): an exact integer over a power of ten
  {
    static constexpr double kTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    size_t i = S.front() == '-' || S.front() == '+' ? 1 : 0;
    const bool neg = S.front() == '-';
    int64_t m = 0;
    int digits = 0, frac = -1;
    for (; i < S.size() && digits < 15; ++i) {
      const char c = S[i];
      if (c >= '0' && c <= '9') {
        m = m * 10 + (c - '0');
        ++digits;
        if (frac >= 0) ++frac;
      } else if (c == '.' && frac < 0) {
        frac = 0;
      } else {
        break;
      }
    }
    if (i == S.size() && digits > 0 && frac <= 9) {
      X = static_cast<double>(m) / kTen[frac < 0 ? 0 : frac];
      if (neg) X = -X;
      return true;
    }
  }
  const char* b = S.data() + (S.front() == '+' ? 1 : 0);
  const auto r = std::from_chars(b, S.data() + S.size(), X);
  if (r.ec == std::errc() && r.ptr == S.data() + S.size()) return true;
  int32_t code = 0;
  X = ValRealCode(std::string(S), code);
  return code == 0;
}

// One band file read forward; a line can be given back to be read again by the next search.
class TBand {
 public:
  std::string Name;  // the file's name (no folder)
  int32_t LineNo = 0;
  bool Missing = false;

  void Open(const std::string& Folder, const std::string& FileName) {
    file_.Close();
    Name = FileName;
    LineNo = 0;
    hasBack_ = false;
    const std::string path = Folder + FileName;
    Missing = !FileExists(path);
    ended_ = Missing;
    if (!Missing) file_.Open(path);
  }
  // The next line (160-column records as 159-column ones); false at the end of the file.
  bool Next(std::string_view& S) {
    if (hasBack_) {
      hasBack_ = false;
      S = back_;
      return true;
    }
    if (ended_ || !file_.ReadLn(S)) {
      ended_ = true;
      return false;
    }
    ++LineNo;
    // the 11-column wavelength of the 160-column layout: its first column goes
    if (S.size() == kRecordLength + 1 && S[6] == '.' && S[5] != '.') S.remove_prefix(1);
    return true;
  }
  void GiveBack(std::string_view S) {
    back_.assign(S);
    hasBack_ = true;
  }

 private:
  TKurFile file_;
  bool ended_ = true;
  bool hasBack_ = false;
  std::string back_;
};

}  // namespace

std::string KurIonCode(const std::string& Atom, int32_t NIon) {
  const int32_t z = AtNumBySym(TrimCtl(Atom));
  if (z <= 0) return std::string();
  const int32_t ion = NIon - 1;
  return (z < 10 ? " " : "") + IntStr(z) + "." + (ion >= 0 && ion < 10 ? "0" : "") + IntStr(ion);
}

std::string KurDampingFile(double LamNm) {
  if (LamNm >= 500 && LamNm < 600) return "gfhy0600.100";
  if (LamNm >= 600 && LamNm < 800) return "gfhy0800.100";
  if (LamNm >= 800 && LamNm < 1200) return "gfhy1200.100";
  return std::string();
}

namespace {

// One line of Lines_ as the loader reads it.
struct TDampRec {
  int64_t RowId = 0;
  std::string Key, Code;
  double Lam = 0, E = 0;
  double G[3] = {0, 0, 0};
  bool Found = false;
};

std::string ColumnText(sqlite3_stmt* S, int C) {
  const unsigned char* t = sqlite3_column_text(S, C);
  return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

// The lines of the table by ascending wavelength (one query, no record objects).
std::vector<TDampRec> ReadLines(TcvDatabase& Db) {
  std::vector<TDampRec> recs;
  sqlite3_stmt* q = nullptr;
  const std::string table = Db.FindTable("Lines_");
  const std::string sql = "SELECT rowid, LIN6, LAMB, NIon, Atom, ELOW FROM \"" + table +
                          "\" ORDER BY LAMB, rowid";
  if (sqlite3_prepare_v2(Db.Handle(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK)
    throw EDatabaseError("Lines_: " + std::string(sqlite3_errmsg(Db.Handle())));
  while (sqlite3_step(q) == SQLITE_ROW) {
    TDampRec r;
    r.RowId = sqlite3_column_int64(q, 0);
    r.Key = ColumnText(q, 1);
    r.Lam = sqlite3_column_double(q, 2) / 10;
    r.Code = TrimCtl(KurIonCode(ColumnText(q, 4), sqlite3_column_int(q, 3)));
    r.E = sqlite3_column_double(q, 5) * kCm1PerEV;
    recs.push_back(std::move(r));
  }
  sqlite3_finalize(q);
  return recs;
}

// Searches one table line in the band from where the last search stopped.
void Search(TJob& Job, TBand& Band, TDampRec& R) {
  auto at = [&Band] {
    return " файл "_cp + Band.Name + " строка "_cp + IntStr(Band.LineNo);
  };
  std::string_view s;
  for (;;) {
    if (!Band.Next(s)) {
      Job.Warn("EOF(" + Band.Name + ")!  Линия "_cp + R.Key + " в таблицах Kurucz не найдена!"_cp);
      return;
    }
    if (s.size() < kRecordLength) continue;
    if (s.size() != kRecordLength) {
      Job.Warn("Длина строки №"_cp + IntStr(Band.LineNo) + " файла "_cp + Band.Name + " равна "_cp +
               IntStr(static_cast<int32_t>(s.size())) + kCrLf + std::string(s));
      continue;
    }
    // far below the line (by the whole nanometres alone): no match and not beyond
    int64_t whole = 0;
    if (LeadingIntPart(s.substr(0, 10), whole) && static_cast<double>(whole) + 1.003 < R.Lam)
      continue;
    double w = 0;
    const std::string_view ws = Cols(s, 1, 10);
    if (!Number(ws, w)) {
      Job.Warn("ош.ввода дл.волны <"_cp + std::string(ws) + ">" + at());
      continue;
    }
    if (std::fabs(R.Lam - w) < 0.003 && Cols(s, 19, 23) == R.Code) {
      double e1 = 0, e2 = 0;
      const std::string_view s1 = Cols(s, 25, 35), s2 = Cols(s, 53, 63);
      if (!Number(s1, e1)) {
        Job.Warn("ош.ввода см-1 для 1го ур-ня <"_cp + std::string(s1) + ">" + at());
        continue;
      }
      if (!Number(s2, e2)) {
        Job.Warn("ош.ввода см-1 для 2го ур-ня <"_cp + std::string(s2) + ">" + at());
        continue;
      }
      if (std::fabs(std::min(std::fabs(e1), std::fabs(e2)) - R.E) >= 240) continue;
      const std::pair<size_t, const char*> f[3] = {
          {81, "Гамма_Нат"}, {87, "Гамма_4"}, {93, "Гамма_6"}};
      bool ok = true;
      for (int i = 0; i < 3 && ok; ++i) {
        const std::string_view t = Cols(s, f[i].first, f[i].first + 4);
        if (!Number(t, R.G[i])) {
          Job.Warn("ош.ввода "_cp + std::string(f[i].second) + " <" + std::string(t) + ">" + at());
          ok = false;
        }
      }
      if (!ok) continue;
      R.Found = true;
      return;
    }
    if (w > R.Lam) {
      Job.Warn("Линия "_cp + R.Key + " в таблицах Kurucz не найдена!"_cp + kCrLf + "LAMB = " +
               FSt(8, 4, R.Lam) + " => " + kCrLf + std::string(s));
      // the line beyond stays for the next line of the table
      Band.GiveBack(s);
      return;
    }
  }
}

}  // namespace

bool LoadKuruczDamping(TJob& Job, TDM& D, const std::string& Folder, TKurDampingResult& R) {
  R = TKurDampingResult{};
  const std::string dir = Folder.empty() || Folder.back() == '/' ? Folder : Folder + "/";
  TcvDatabase& db = D.ADOConnection;
  std::vector<TDampRec> recs = ReadLines(db);
  const int64_t total = static_cast<int64_t>(recs.size());
  TBand band;
  auto open = [&](const std::string& Name) {
    band.Open(dir, Name);
    if (band.Missing)
      Job.Warn("Файл <"_cp + dir + band.Name + "> не найден: линии этой полосы пропущены"_cp);
  };
  open("gfhy0500.100");
  for (TDampRec& r : recs) {
    if (++R.Records % 200 == 0 && !Job.Step(R.Records, total, "Kurucz g4,g6,gNat"_cp)) return false;
    const std::string want = KurDampingFile(r.Lam);
    if (!want.empty() && want != band.Name) open(want);
    if (!band.Missing) Search(Job, band, r);
    if (r.Found)
      ++R.Found;
    else
      ++R.NotFound;
  }
  if (Job.Cancelled()) return false;
  // the constants written in one transaction with one prepared statement
  TcvDatabase::TTransaction tr(&db);
  sqlite3_stmt* u = nullptr;
  const std::string sql = "UPDATE \"" + db.FindTable("Lines_") +
                          "\" SET Rad = ?1, Stark = ?2, Waals = ?3 WHERE rowid = ?4";
  if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &u, nullptr) != SQLITE_OK)
    throw EDatabaseError("Lines_: " + std::string(sqlite3_errmsg(db.Handle())));
  for (const TDampRec& r : recs) {
    if (!r.Found) continue;
    for (int i = 0; i < 3; ++i) sqlite3_bind_double(u, i + 1, r.G[i]);
    sqlite3_bind_int64(u, 4, r.RowId);
    const int rc = sqlite3_step(u);
    sqlite3_reset(u);
    if (rc != SQLITE_DONE) {
      const std::string e = sqlite3_errmsg(db.Handle());
      sqlite3_finalize(u);
      throw EDatabaseError("Lines_: " + e);
    }
  }
  sqlite3_finalize(u);
  if (Job.Cancelled()) return false;
  tr.Commit();
  db.RequeryOpenTables();
  Job.Step(R.Records, total, "Kurucz g4,g6,gNat"_cp);
  return true;
}
