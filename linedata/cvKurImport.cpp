#include "linedata/cvKurImport.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "linedata/cvSqlText.h"
#include "platform/CodePage.h"

namespace {

const std::string kCrLf = "\r\n";

// The band that follows a band when the range reaches it (To in Å); 0 after the last. One
// lower bound per band code: band "8" (6000-8000 Å) is followed by band "A".
char NextBand(char Code, double To) {
  static const std::string kOrder = "01234568ABC";
  static const double kLow[] = {0, 1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000, 12000, 30000};
  static_assert(sizeof(kLow) / sizeof(kLow[0]) == 11);
  const size_t p = kOrder.find(Code);
  if (p == std::string::npos || p + 1 >= kOrder.size() || kLow[p + 1] > To) return '\0';
  return kOrder[p + 1];
}

// True when the line holds blanks only.
// The band file of a code; a code without a file is an error that names it.
std::string BandFile(char Code) {
  const std::string file = KurBandFile(Code);
  if (file.empty())
    ErrAbs("KurLines: для полосы \""_cp + std::string(1, Code) + "\" нет файла Куруча"_cp);
  return file;
}

bool IsBlank(std::string_view Line) {
  return Line.find_first_not_of(' ') == std::string_view::npos;
}

// The wavelength columns of a catalogue line in either layout: true and nm, or false with the
// columns' text. Lines below the range are told by these columns alone, without a copy.
bool LineLambda(std::string_view Line, double& Nm, std::string& Text) {
  const size_t off = Line.size() >= 7 && Line[6] == '.' ? 1 : 0;
  const size_t end = std::min(Line.size(), off + 10);
  size_t a = std::min(off, end), b = end;
  while (a < b && Line[a] == ' ') ++a;
  while (b > a && Line[b - 1] == ' ') --b;
  if (a < b) {
    const char* first = Line.data() + a;
    if (*first == '+') ++first;
    const auto r = std::from_chars(first, Line.data() + b, Nm);
    if (r.ec == std::errc() && r.ptr == Line.data() + b) return true;
  }
  Text = TrimSp(std::string(Line.substr(std::min(off, Line.size()), 10)));
  int32_t code = 0;
  Nm = Text.empty() ? 0 : ValRealPlainCode(Text, code);
  return !Text.empty() && code == 0;
}

void WarnLambda(const std::string& File, int32_t N, const std::string& Text) {
  WARNAbs("Ошибка при чтении длины волны из файла "_cp + File + kCrLf + "в строке "_cp + IntStr(N) +
          " Длина волны = <"_cp + Text + ">");
}

// A prepared statement that finalises itself.
class TStmt {
 public:
  TStmt(TcvDatabase& Db, const char* Sql) : db_(Db) {
    if (sqlite3_prepare_v2(Db.Handle(), Sql, -1, &s_, nullptr) != SQLITE_OK)
      Db.Fail(std::string("KurLines: ") + Sql);
  }
  ~TStmt() { sqlite3_finalize(s_); }
  TStmt(const TStmt&) = delete;
  TStmt& operator=(const TStmt&) = delete;
  sqlite3_stmt* operator*() const { return s_; }
  // Binds S (code page 1251) as UTF-8 text, blanks only as NULL. S must live until the step
  // (ASCII text is bound in place).
  void Text(int I, const std::string& S) {
    if (S.find_first_not_of(' ') == std::string::npos) {
      sqlite3_bind_null(s_, I);
    } else if (std::all_of(S.begin(), S.end(), [](char c) { return (c & 0x80) == 0; })) {
      sqlite3_bind_text(s_, I, S.data(), static_cast<int>(S.size()), SQLITE_STATIC);
    } else {
      const std::string u = platform::Cp1251ToUtf8(S);
      sqlite3_bind_text(s_, I, u.c_str(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
    }
  }
  std::string ColumnText(int I) const {
    const unsigned char* t = sqlite3_column_text(s_, I);
    return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
  }
  void Int(int I, int64_t V) { sqlite3_bind_int64(s_, I, V); }
  void Real(int I, double V) { sqlite3_bind_double(s_, I, V); }
  // Runs the statement: true when it gave a row.
  bool Step(const char* What) {
    const int rc = sqlite3_step(s_);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) db_.Fail(What);
    return rc == SQLITE_ROW;
  }
  // Every step binds all parameters again: no clearing needed.
  void Reset() { sqlite3_reset(s_); }

 private:
  TcvDatabase& db_;
  sqlite3_stmt* s_ = nullptr;
};

const char* const kInsert =
    "INSERT INTO KurLines (Id, LAMB, ELEM, ELO, EHI, JLO2, JHI2, LabelLO, LabelHI, lgGF, Rad, "
    "Stark, Waals, Ref, NonLTElo, NonLTEhi, Isotope, Isotope2, frac, fracabund, shiftLO, shiftHI, "
    "hfLO, hfHI, hfNoteLO, hfNoteHI, linestrength, autoionising, g_LO, g_HI, shiftMA, wHM, dHM, "
    "wCV, dCV, nAir) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, "
    "?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, "
    "?34, ?35, ?36)";

void BindRecord(TStmt& S, const std::string& Id, const TLIDA& L, const TLIDAk& K) {
  S.Text(1, Id);
  S.Real(2, L.LAMB);
  S.Int(3, L.AT * 100 + L.NIon - 1);
  S.Real(4, L.ELOW);
  S.Real(5, L.EUP);
  S.Int(6, L.JL2);
  S.Int(7, L.JU2);
  S.Text(8, K.LabelLO);
  S.Text(9, K.LabelHI);
  S.Real(10, L.LGGF);
  S.Real(11, L.Rad);
  S.Real(12, L.Stark);
  S.Real(13, L.Waals);
  S.Text(14, L.LGGFSrc);
  S.Int(15, K.NonLTElo);
  S.Int(16, K.NonLTEhi);
  S.Int(17, K.Isotope);
  S.Int(18, K.Isotope2);
  S.Real(19, K.frac);
  S.Real(20, K.fracabund);
  S.Int(21, K.shiftLO);
  S.Int(22, K.shiftHI);
  S.Text(23, K.hfLO);
  S.Text(24, K.hfHI);
  S.Text(25, K.hfNoteLO);
  S.Text(26, K.hfNoteHI);
  S.Text(27, K.linestrength);
  S.Text(28, K.autoionising);
  S.Int(29, std::llround(L.GL * 1000));
  S.Int(30, std::llround(L.GU * 1000));
  S.Int(31, K.shiftMA);
  S.Real(32, L.WHM);
  S.Real(33, L.DHM);
  S.Real(34, L.WCV);
  S.Real(35, L.DCV);
  S.Real(36, K.nAir);
}

// The lowest and highest Id of a band present in the table: Ids outside them need no look-up.
void BandIds(TcvDatabase& Db, char Code, std::string& Low, std::string& High) {
  TStmt q(Db, "SELECT MIN(Id), MAX(Id) FROM KurLines WHERE Id >= ?1 AND Id < ?2");
  const std::string a = std::string(1, Code) + "x", b = std::string(1, Code) + "y";
  q.Text(1, a);
  q.Text(2, b);
  Low.clear();
  High.clear();
  if (q.Step("KurLines: Id")) {
    Low = q.ColumnText(0);
    High = q.ColumnText(1);
  }
}

// The secondary indexes of KurLines, taken down inside the import's transaction once it has added
// as many rows as the table held (at least kDeferFrom) and built again from their stored SQL after
// the last row: one sort per index instead of a tree look-up per row and index. The transaction
// keeps it all or nothing: a cancel or a failure rolls the drop back with the rows.
class TDeferredIndexes {
 public:
  static constexpr int64_t kDeferFrom = 5000;

  explicit TDeferredIndexes(TcvDatabase& Db) : db_(Db) {
    // The largest row number stands for the row count without counting.
    TStmt n(Db, "SELECT MAX(rowid) FROM KurLines");
    if (n.Step("KurLines: rows")) held_ = sqlite3_column_int64(*n, 0);
  }
  // Called after each added row.
  void Added(int64_t Count) {
    if (!tried_ && Count >= std::max(held_, kDeferFrom)) Drop();
  }
  // Builds what was dropped again (before the commit).
  void Rebuild() {
    for (const std::string& sql : dropped_) db_.Exec(sql);
    dropped_.clear();
  }

 private:
  void Drop() {
    tried_ = true;
    std::vector<std::pair<std::string, std::string>> ix;
    {
      TStmt q(db_,
              "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = 'KurLines' "
              "AND sql IS NOT NULL");
      while (q.Step("KurLines: indexes")) ix.emplace_back(q.ColumnText(0), q.ColumnText(1));
    }
    for (const auto& [name, sql] : ix) {
      // A statement still reading the table keeps its index (the drop is refused): it stays.
      const std::string drop = "DROP INDEX " + sqltext::QuoteIdent(name);
      if (sqlite3_exec(db_.Handle(), drop.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        dropped_.push_back(sql);
    }
  }

  TcvDatabase& db_;
  int64_t held_ = 0;
  bool tried_ = false;
  std::vector<std::string> dropped_;
};

}  // namespace

bool LoadKurLines(TJob& Job, TDM& D, double From, double To, TKurImportResult& R) {
  R = TKurImportResult();
  const double fromNm = From / 10, toNm = To / 10;
  TcvDatabase& Db = D.ADOConnection;
  D.ADOKurLines.Close();
  TcvDatabase::TTransaction tr(&Db);
  TStmt find(Db, "SELECT 1 FROM KurLines WHERE Id = ?1");
  TStmt ins(Db, kInsert);
  TDeferredIndexes indexes(Db);
  bool done = false;
  for (char code = KurBandCode(From); code != '\0' && !done; code = NextBand(code, To)) {
    const std::string file = BandFile(code);
    TKurFile f;
    f.Open(file);
    std::string low, high;
    BandIds(Db, code, low, high);
    int32_t n = 0;
    std::string_view s;
    std::string text;
    while (f.ReadLn(s)) {
      ++n;
      if (n % 500 == 0 && !Job.Step(n, 0, "KurLines " + std::string(1, code) + " " + IntStr(n)))
        return false;  // the transaction rolls back
      if (IsBlank(s)) continue;
      double lam = 0;
      if (!LineLambda(s, lam, text)) {
        WarnLambda(file, n, text);
        ++R.Bad;
        continue;
      }
      if (lam < fromNm) continue;
      if (lam > toNm) {
        done = true;
        break;
      }
      const std::string cat = KurCatalogueLine(std::string(s));
      const std::string id = KurLineId(code, n);
      bool present = false;
      if (!low.empty() && id >= low && id <= high) {
        find.Text(1, id);
        present = find.Step("KurLines: Id");
        find.Reset();
      }
      if (present) {
        ++R.Present;
        continue;
      }
      TLIDA L;
      TLIDAk K;
      if (!ParseKurLine(id, file, cat, K, L, n)) {
        ++R.Bad;
        continue;
      }
      if (L.NIon < 1) {
        WARNAbs("LI.NION=" + IntStr(L.NIon) + "!!! LAMB=" + ShortSt(7, L.LAMB) + " (" + file +
                ", " + "строка "_cp + IntStr(n) + ")");
        ++R.Bad;
        continue;
      }
      if (L.NIon > 2 || L.AT >= 68) {
        ++R.Skipped;
        continue;
      }
      BindRecord(ins, id, L, K);
      ins.Step("KurLines: append");
      ins.Reset();
      ++R.Added;
      indexes.Added(R.Added);
    }
    f.Close();
  }
  if (!Job.Step(1, 1, "KurLines")) return false;
  indexes.Rebuild();
  tr.Commit();
  return true;
}

std::string KurKey(const TLIDA& L) {
  std::string sym = UpCaseStrCyr(TrimSp(AtSymByNum(L.AT)));
  if (sym.size() == 1) sym += sym;
  const double ip = std::trunc(L.LAMB);
  std::string lam = I64Str(static_cast<int64_t>(ip)) + "_";
  const int32_t k = 7 - static_cast<int32_t>(lam.size());
  if (k > 0) {
    const double dec = std::trunc((L.LAMB - ip) * std::pow(10.0, k) + 1e-6);
    lam += ZeroPad(static_cast<int64_t>(dec), k);
  }
  return "at_" + sym + " lam_" + lam + "el_" + ZeroPad(std::llround(L.ELOW * 100), 4);
}

bool CheckKurKey(TJob& Job, double From, double To, TStringList& Result) {
  const double toNm = To / 10;
  std::string prev;
  bool ok = true, done = false;
  for (char code = KurBandCode(From); code != '\0' && !done; code = NextBand(code, To)) {
    const std::string file = BandFile(code);
    TKurFile f;
    f.Open(file);
    int32_t n = 0;
    std::string_view s;
    std::string text;
    while (f.ReadLn(s)) {
      ++n;
      if (IsBlank(s)) continue;
      double lam = 0;
      if (!LineLambda(s, lam, text)) {
        WarnLambda(file, n, text);
        ok = false;
        continue;
      }
      if (lam > toNm) {
        done = true;
        break;
      }
      const std::string cat = KurCatalogueLine(std::string(s));
      const std::string id = KurLineId(code, n);
      TLIDA L;
      TLIDAk K;
      if (!ParseKurLine(id, file, cat, K, L, n)) {
        ok = false;
        continue;
      }
      if (L.NIon > 2) continue;
      const std::string key = KurKey(L);
      if (n % 500 == 0 && !Job.Step(n, 0, id + " " + key)) return false;
      if (key == prev && K.NonLTEhi <= 0 && TrimSp(K.hfHI + K.hfLO).empty())
        Result.Add(id + " " + key);
      prev = key;
      if (L.NIon < 1) {
        WARNAbs("LI.NION=" + IntStr(L.NIon) + "!!! LAMB=" + ShortSt(7, L.LAMB));
        ok = false;
      }
    }
    f.Close();
  }
  return ok;
}

void LoadKurLinesStart() {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to) || !DMReady()) return;
  TJob job("Load KurLines");
  TKurImportResult r;
  RunJob(job, [&](TJob& J) { LoadKurLines(J, *DM, from, to, r); });
  for (const std::string& l : job.Report()) WARNAbs(l);
}

void CheckKurKeyStart() {
  double from = 0, to = 0;
  if (!GetLambFromTo(from, to)) return;
  TJob job("Test KurKey");
  TStringList list;
  bool ok = false;
  RunJob(job, [&](TJob& J) { ok = CheckKurKey(J, from, to, list); });
  for (const std::string& l : job.Report()) WARNAbs(l);
  if (job.State() == TJobState::Done) LineData().ShowList("Check_KurKey", list);
  (void)ok;
}
