#include "linedata/cvTable.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/cvDate.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvSqlText.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

std::string ToUtf8(const std::string& s) { return platform::Cp1251ToUtf8(s); }
std::string FromUtf8(const char* s, int n) {
  return platform::Utf8ToCp1251(std::string_view(s, static_cast<size_t>(n)));
}

bool ParseInt64(const std::string& S, int64_t& V) {
  std::string t = TrimCtl(S);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), V);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool ParseReal(const std::string& S, double& V) {
  std::string t = TrimCtl(S);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), V);
  if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return std::isfinite(V);
  // the program's own number forms (an exponent without its letter: 1.5-3)
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && std::isfinite(V);
}

bool ParseBool(const std::string& S, bool& V) {
  const std::string u = UpCaseStrCyr(TrimCtl(S));
  if (u == "TRUE" || u == "1" || u == "YES" || u == "-1") {
    V = true;
    return true;
  }
  if (u == "FALSE" || u == "0" || u == "NO") {
    V = false;
    return true;
  }
  return false;
}

// A date-time kept to whole milliseconds: whole days + milliseconds / 86400000.
double NormaliseDateTime(double DT) {
  double days = std::floor(DT);
  double ms = std::nearbyint((DT - days) * kMsPerDay);
  if (ms >= kMsPerDay) {
    days += 1;
    ms = 0;
  }
  return days + ms / kMsPerDay;
}

int CollateNoCase(void*, int n1, const void* p1, int n2, const void* p2) {
  return sqltext::CompareNoCase(std::string(static_cast<const char*>(p1), static_cast<size_t>(n1)),
                                std::string(static_cast<const char*>(p2), static_cast<size_t>(n2)));
}

void LikeFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const unsigned char* p = sqlite3_value_text(argv[0]);
  const unsigned char* t = sqlite3_value_text(argv[1]);
  if (!p || !t) {
    sqlite3_result_null(ctx);
    return;
  }
  sqlite3_result_int(
      ctx, sqltext::LikeNoCase(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(t))
               ? 1
               : 0);
}

TFieldType TypeOfDecl(const std::string& Decl) {
  const std::string u = UpCaseStrCyr(Decl);
  if (u.find("BOOL") != std::string::npos) return TFieldType::ftBoolean;
  if (u.find("DATE") != std::string::npos || u.find("TIME") != std::string::npos)
    return TFieldType::ftDateTime;
  if (u.find("INT") != std::string::npos) return TFieldType::ftInteger;
  if (u.find("CHAR") != std::string::npos || u.find("TEXT") != std::string::npos ||
      u.find("CLOB") != std::string::npos || u.empty())
    return TFieldType::ftString;
  return TFieldType::ftFloat;  // REAL, FLOAT, DOUBLE, NUMERIC, ...
}

// RAII statement.
struct TStmt {
  sqlite3_stmt* s = nullptr;
  ~TStmt() {
    if (s) sqlite3_finalize(s);
  }
};

void BindValue(sqlite3_stmt* s, int i, const TcvValue& v) {
  if (const int64_t* a = std::get_if<int64_t>(&v))
    sqlite3_bind_int64(s, i, *a);
  else if (const double* d = std::get_if<double>(&v))
    sqlite3_bind_double(s, i, *d);
  else if (const std::string* t = std::get_if<std::string>(&v)) {
    const std::string u = ToUtf8(*t);
    sqlite3_bind_text(s, i, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
  } else
    sqlite3_bind_null(s, i);
}

TcvValue ColumnValue(sqlite3_stmt* s, int i) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
      return TcvValue{static_cast<int64_t>(sqlite3_column_int64(s, i))};
    case SQLITE_FLOAT:
      return TcvValue{sqlite3_column_double(s, i)};
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
      const int n = sqlite3_column_bytes(s, i);
      return TcvValue{p ? FromUtf8(p, n) : std::string()};
    }
    default:
      return TcvValue{};
  }
}

}  // namespace

// ------------------------------------------------------------------------------------------
// Texts of values

std::string RealFieldText(double V) {
  if (!std::isfinite(V)) return std::string();
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, V);
  return std::string(buf, r.ptr);
}

std::string DateTimeFieldText(double DT) {
  const double v = NormaliseDateTime(DT);
  const double days = std::floor(v);
  const int64_t ms = static_cast<int64_t>(std::nearbyint((v - days) * kMsPerDay));
  int y = 0, m = 0, d = 0;
  DecodeDate(days, y, m, d);
  std::string s = ZeroPad(y, 4) + "-" + ZeroPad(m, 2) + "-" + ZeroPad(d, 2);
  if (ms == 0) return s;
  s += " " + ZeroPad(ms / 3600000, 2) + ":" + ZeroPad(ms / 60000 % 60, 2) + ":" +
       ZeroPad(ms / 1000 % 60, 2);
  if (ms % 1000 != 0) s += "." + ZeroPad(ms % 1000, 3);
  return s;
}

bool ParseDateTimeText(const std::string& S, double& DT) {
  const std::string t = TrimCtl(S);
  if (t.empty()) return false;
  auto digits = [&](size_t p, size_t n, int& v) {
    if (p + n > t.size()) return false;
    v = 0;
    for (size_t k = 0; k < n; ++k) {
      const char c = t[p + k];
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    return true;
  };
  int y = 0, mo = 0, d = 0;
  size_t p = 0;
  if (t.size() >= 10 && t[4] == '-' && t[7] == '-' && digits(0, 4, y) && digits(5, 2, mo) &&
      digits(8, 2, d)) {
    p = 10;
  } else if (t.size() >= 10 && t[2] == '.' && t[5] == '.' && digits(0, 2, d) && digits(3, 2, mo) &&
             digits(6, 4, y)) {
    p = 10;
  } else {
    // a plain day number
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
    DT = NormaliseDateTime(v);
    return true;
  }
  double days = 0;
  if (!TryEncodeDate(y, mo, d, days)) return false;
  int64_t ms = 0;
  if (p < t.size()) {
    if (t[p] != ' ' && t[p] != 'T') return false;
    ++p;
    int h = 0, mi = 0, sec = 0, frac = 0;
    if (!digits(p, 2, h) || p + 2 >= t.size() || t[p + 2] != ':' || !digits(p + 3, 2, mi))
      return false;
    p += 5;
    if (p < t.size()) {
      if (t[p] != ':' || !digits(p + 1, 2, sec)) return false;
      p += 3;
      if (p < t.size()) {
        if (t[p] != '.') return false;
        ++p;
        const size_t n = t.size() - p;
        if (n < 1 || n > 3 || !digits(p, n, frac)) return false;
        for (size_t k = n; k < 3; ++k) frac *= 10;
        p = t.size();
      }
    }
    if (h > 23 || mi > 59 || sec > 59) return false;
    ms = ((h * 60 + mi) * 60 + sec) * 1000LL + frac;
  }
  DT = days + static_cast<double>(ms) / kMsPerDay;
  return true;
}

// ------------------------------------------------------------------------------------------
// TcvDatabase

TcvDatabase::~TcvDatabase() { Close(); }

void TcvDatabase::Fail(const std::string& What) const {
  std::string msg = What;
  if (db_) msg += ": " + platform::Utf8ToCp1251(sqlite3_errmsg(db_));
  msg += " [" + fileName_ + "]";
  throw EDatabaseError(msg);
}

bool TcvDatabase::Attach(sqlite3* db, const std::string& FileName, std::string& Error) {
  sqlite3_busy_timeout(db, 1500);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_create_collation_v2(db, "CVNOCASE", SQLITE_UTF8, nullptr, CollateNoCase, nullptr);
  sqlite3_create_function_v2(db, "cvlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, LikeFunc,
                             nullptr, nullptr, nullptr);
  auto fail = [&](const std::string& text) {
    Error = text;
    sqlite3_close_v2(db);
    return false;
  };
  // Reading the schema tells a database from another file and finds an exclusive lock.
  int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if ((rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT)
    return fail("Файл <"_cp + FileName + "> не является базой данных SQLite!"_cp);
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
    return fail("База данных <"_cp + FileName + "> заблокирована другой программой!"_cp);
  if (rc != SQLITE_OK)
    return fail("Не удалось открыть базу данных <"_cp + FileName +
                ">: " + platform::Utf8ToCp1251(sqlite3_errmsg(db)));
  if (sqlite3_db_readonly(db, "main") == 1)
    return fail("База данных <"_cp + FileName + "> доступна только для чтения!"_cp);
  // A writer elsewhere holds the file: a write transaction cannot start.
  rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
    return fail("База данных <"_cp + FileName + "> заблокирована другой программой!"_cp);
  if ((rc & 0xFF) == SQLITE_READONLY)
    return fail("База данных <"_cp + FileName + "> доступна только для чтения!"_cp);
  if (rc != SQLITE_OK)
    return fail("Не удалось открыть базу данных <"_cp + FileName +
                ">: " + platform::Utf8ToCp1251(sqlite3_errmsg(db)));
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  // Write-ahead log: the window reads while a job writes the same file on its own connection,
  // and sees the job's records only once they are committed. (A file shared over a network
  // may refuse it; it then keeps its journal.)
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  db_ = db;
  fileName_ = FileName;
  return true;
}

bool TcvDatabase::Open(const std::string& FileName, std::string& Error) {
  Close();
  const std::string sys = platform::SysPath(FileName);
  if (!platform::PathExists(FileName)) {
    Error = "Файл базы данных <"_cp + FileName + "> не найден!"_cp;
    return false;
  }
  if (!platform::IsRegularFile(FileName)) {
    Error = "<" + FileName + "> не является файлом базы данных!"_cp;
    return false;
  }
  if (::access(sys.c_str(), R_OK) != 0) {
    Error = "Файл базы данных <"_cp + FileName + "> недоступен для чтения!"_cp;
    return false;
  }
  if (::access(sys.c_str(), W_OK) != 0) {
    Error = "База данных <"_cp + FileName + "> доступна только для чтения!"_cp;
    return false;
  }
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(sys.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    Error = "Не удалось открыть базу данных <"_cp + FileName +
            ">: " + (db ? platform::Utf8ToCp1251(sqlite3_errmsg(db)) : std::string());
    if (db) sqlite3_close_v2(db);
    return false;
  }
  return Attach(db, FileName, Error);
}

bool TcvDatabase::Create(const std::string& FileName, std::string& Error) {
  Close();
  if (platform::PathExists(FileName)) {
    Error = "Файл <"_cp + FileName + "> уже существует, новая база данных не создана!"_cp;
    return false;
  }
  const std::string sys = platform::SysPath(FileName);
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(sys.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    Error = "Не удалось создать базу данных <"_cp + FileName +
            ">: " + (db ? platform::Utf8ToCp1251(sqlite3_errmsg(db)) : std::string());
    if (db) sqlite3_close_v2(db);
    return false;
  }
  // Writing the header makes the file a database at once.
  if (sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Error = "Не удалось создать базу данных <"_cp + FileName +
            ">: " + platform::Utf8ToCp1251(sqlite3_errmsg(db));
    sqlite3_close_v2(db);
    return false;
  }
  return Attach(db, FileName, Error);
}

void TcvDatabase::Close() {
  while (!tables_.empty()) (*tables_.begin())->Close();
  if (db_) {
    if (batchDepth_ > 0) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    batchDepth_ = 0;
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

void TcvDatabase::Exec(const std::string& Sql) {
  if (!db_) throw EDatabaseError("База данных не открыта!"_cp);
  char* msg = nullptr;
  if (sqlite3_exec(db_, ToUtf8(Sql).c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
    std::string m = msg ? platform::Utf8ToCp1251(msg) : std::string();
    sqlite3_free(msg);
    throw EDatabaseError("SQL <" + Sql + ">: " + m + " [" + fileName_ + "]");
  }
}

std::vector<std::string> TcvDatabase::TableNames() {
  std::vector<std::string> r;
  if (!db_) return r;
  TStmt st;
  if (sqlite3_prepare_v2(db_,
                         "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                         "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid",
                         -1, &st.s, nullptr) != SQLITE_OK)
    Fail("TableNames");
  while (sqlite3_step(st.s) == SQLITE_ROW)
    r.push_back(FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 0)),
                         sqlite3_column_bytes(st.s, 0)));
  return r;
}

std::string TcvDatabase::FindTable(const std::string& Name) {
  const std::string u = UpCaseStrCyr(Name);
  for (const std::string& t : TableNames())
    if (UpCaseStrCyr(t) == u) return t;
  return std::string();
}

std::vector<TFieldDef> TcvDatabase::FieldDefs(const std::string& Table) {
  std::vector<TFieldDef> r;
  if (!db_) return r;
  TStmt st;
  const std::string sql = "PRAGMA table_info(" + sqltext::QuoteIdent(ToUtf8(Table)) + ")";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
    Fail("FieldDefs " + Table);
  int pkCount = 0;
  while (sqlite3_step(st.s) == SQLITE_ROW) {
    TFieldDef d;
    d.Name = FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 1)),
                      sqlite3_column_bytes(st.s, 1));
    const char* decl = reinterpret_cast<const char*>(sqlite3_column_text(st.s, 2));
    d.DeclType = decl ? decl : "";
    d.DataType = TypeOfDecl(d.DeclType);
    d.PrimaryKey = sqlite3_column_int(st.s, 5) > 0;
    if (d.PrimaryKey) ++pkCount;
    r.push_back(d);
  }
  // The one INTEGER PRIMARY KEY column is the row id: the table's auto-number.
  if (pkCount == 1)
    for (TFieldDef& d : r)
      if (d.PrimaryKey && UpCaseStrCyr(d.DeclType) == "INTEGER") d.DataType = TFieldType::ftAutoInc;
  return r;
}

TcvDatabase::TBatch::TBatch(TcvDatabase* Db) : db_(Db) {
  if (db_) db_->BeginBatch();
}

TcvDatabase::TBatch::~TBatch() {
  if (!db_) return;
  try {
    db_->EndBatch();
  } catch (const std::exception& e) {
    WARNAbs(e.what());
  }
}

void TcvDatabase::BeginBatch() {
  if (!db_) return;
  if (batchDepth_ == 0 && sqlite3_get_autocommit(db_)) Exec("BEGIN");
  ++batchDepth_;
}

void TcvDatabase::EndBatch() {
  if (!db_ || batchDepth_ == 0) return;
  if (--batchDepth_ == 0 && !sqlite3_get_autocommit(db_)) Exec("COMMIT");
}

void TcvDatabase::Rollback() {
  if (!db_) return;
  batchDepth_ = 0;
  if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
  for (TcvTable* t : tables_)
    if (t->Active()) {
      if (t->State() != TDataSetState::dsBrowse) t->Cancel();
      t->Requery();
    }
}

void TcvDatabase::RequeryOpenTables() {
  for (TcvTable* t : std::vector<TcvTable*>(tables_.begin(), tables_.end()))
    if (t->Active() && t->State() == TDataSetState::dsBrowse) {
      const int at = t->RecNo();
      t->Requery();
      if (at > 1) t->SetRecNo(at);
    }
}

TcvDatabase::TTransaction::TTransaction(TcvDatabase* Db) : db_(Db) {
  if (!db_) return;
  db_->BeginBatch();
  open_ = true;
}

TcvDatabase::TTransaction::~TTransaction() {
  if (!open_) return;
  try {
    Rollback();
  } catch (const std::exception& e) {
    WARNAbs(e.what());
  }
}

void TcvDatabase::TTransaction::Commit() {
  if (!open_) return;
  open_ = false;
  db_->EndBatch();
}

void TcvDatabase::TTransaction::Rollback() {
  if (!open_) return;
  open_ = false;
  db_->Rollback();
}

// ------------------------------------------------------------------------------------------
// TcvField

const std::string& TcvField::FieldName() const {
  return table_->defs_[static_cast<size_t>(index_)].Name;
}
TFieldType TcvField::DataType() const {
  return table_->defs_[static_cast<size_t>(index_)].DataType;
}
bool TcvField::IsNumeric() const {
  const TFieldType t = DataType();
  return t == TFieldType::ftInteger || t == TFieldType::ftAutoInc || t == TFieldType::ftFloat;
}

TcvValue TcvField::Value() const { return table_->CurValue(index_); }
bool TcvField::IsNull() const { return IsNullValue(table_->CurValue(index_)); }

std::string TcvField::AsString() const {
  const TcvValue& v = table_->CurValue(index_);
  const TFieldType t = DataType();
  if (const int64_t* i = std::get_if<int64_t>(&v)) {
    if (t == TFieldType::ftBoolean) return *i ? "True" : "False";
    if (t == TFieldType::ftDateTime) return DateTimeFieldText(static_cast<double>(*i));
    return std::to_string(*i);
  }
  if (const double* d = std::get_if<double>(&v)) {
    if (t == TFieldType::ftDateTime) return DateTimeFieldText(*d);
    if (t == TFieldType::ftBoolean) return *d != 0 ? "True" : "False";
    return RealFieldText(*d);
  }
  if (const std::string* s = std::get_if<std::string>(&v)) return *s;
  return std::string();
}

int64_t TcvField::AsInteger() const {
  const TcvValue& v = table_->CurValue(index_);
  if (const int64_t* i = std::get_if<int64_t>(&v)) return *i;
  if (const double* d = std::get_if<double>(&v)) return static_cast<int64_t>(std::nearbyint(*d));
  if (const std::string* s = std::get_if<std::string>(&v)) {
    int64_t r = 0;
    if (DataType() == TFieldType::ftBoolean) {
      bool b = false;
      if (ParseBool(*s, b)) return b ? 1 : 0;
    }
    if (!ParseInt64(*s, r))
      table_->Fail("'" + *s + "' is not an integer (field " + FieldName() + ")");
    return r;
  }
  return 0;
}

double TcvField::AsFloat() const {
  const TcvValue& v = table_->CurValue(index_);
  if (const int64_t* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (const double* d = std::get_if<double>(&v)) return *d;
  if (const std::string* s = std::get_if<std::string>(&v)) {
    double r = 0;
    if (DataType() == TFieldType::ftDateTime && ParseDateTimeText(*s, r)) return r;
    if (!ParseReal(*s, r)) table_->Fail("'" + *s + "' is not a number (field " + FieldName() + ")");
    return r;
  }
  return 0;
}

double TcvField::AsDateTime() const { return AsFloat(); }

bool TcvField::AsBoolean() const {
  const TcvValue& v = table_->CurValue(index_);
  if (const int64_t* i = std::get_if<int64_t>(&v)) return *i != 0;
  if (const double* d = std::get_if<double>(&v)) return *d != 0;
  if (const std::string* s = std::get_if<std::string>(&v)) {
    bool b = false;
    if (!ParseBool(*s, b))
      table_->Fail("'" + *s + "' is not a truth value (field " + FieldName() + ")");
    return b;
  }
  return false;
}

void TcvField::SetAsString(const std::string& S) {
  if (S.empty()) {
    table_->SetBuffer(index_, TcvValue{});
    return;
  }
  auto bad = [&](const char* what) {
    table_->Fail("'" + S + "' is not " + what + " (field " + FieldName() + ")");
  };
  switch (DataType()) {
    case TFieldType::ftString:
      table_->SetBuffer(index_, TcvValue{S});
      return;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: {
      int64_t v = 0;
      if (TrimCtl(S).empty()) {
        table_->SetBuffer(index_, TcvValue{});
        return;
      }
      if (!ParseInt64(S, v)) bad("a valid integer value");
      table_->SetBuffer(index_, TcvValue{v});
      return;
    }
    case TFieldType::ftFloat: {
      double v = 0;
      if (TrimCtl(S).empty()) {
        table_->SetBuffer(index_, TcvValue{});
        return;
      }
      if (!ParseReal(S, v)) bad("a valid real value");
      table_->SetBuffer(index_, TcvValue{v});
      return;
    }
    case TFieldType::ftDateTime: {
      double v = 0;
      if (TrimCtl(S).empty()) {
        table_->SetBuffer(index_, TcvValue{});
        return;
      }
      if (!ParseDateTimeText(S, v)) bad("a valid date and time");
      table_->SetBuffer(index_, TcvValue{v});
      return;
    }
    case TFieldType::ftBoolean: {
      bool b = false;
      if (TrimCtl(S).empty()) {
        table_->SetBuffer(index_, TcvValue{});
        return;
      }
      if (!ParseBool(S, b)) bad("a valid truth value");
      table_->SetBuffer(index_, TcvValue{int64_t{b ? 1 : 0}});
      return;
    }
  }
}

void TcvField::SetAsInteger(int64_t V) {
  switch (DataType()) {
    case TFieldType::ftString:
      table_->SetBuffer(index_, TcvValue{std::to_string(V)});
      return;
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime:
      table_->SetBuffer(index_, TcvValue{static_cast<double>(V)});
      return;
    case TFieldType::ftBoolean:
      table_->SetBuffer(index_, TcvValue{int64_t{V != 0 ? 1 : 0}});
      return;
    default:
      table_->SetBuffer(index_, TcvValue{V});
  }
}

void TcvField::SetAsFloat(double V) {
  if (!std::isfinite(V))
    table_->Fail("a value that is not a finite number (field " + FieldName() + ")");
  switch (DataType()) {
    case TFieldType::ftString:
      table_->SetBuffer(index_, TcvValue{RealFieldText(V)});
      return;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
      table_->SetBuffer(index_, TcvValue{static_cast<int64_t>(std::nearbyint(V))});
      return;
    case TFieldType::ftDateTime:
      table_->SetBuffer(index_, TcvValue{NormaliseDateTime(V)});
      return;
    case TFieldType::ftBoolean:
      table_->SetBuffer(index_, TcvValue{int64_t{V != 0 ? 1 : 0}});
      return;
    case TFieldType::ftFloat:
      table_->SetBuffer(index_, TcvValue{V});
      return;
  }
}

void TcvField::SetAsDateTime(double DT) {
  if (!std::isfinite(DT))
    table_->Fail("a date that is not a finite number (field " + FieldName() + ")");
  if (DataType() == TFieldType::ftString)
    table_->SetBuffer(index_, TcvValue{DateTimeFieldText(DT)});
  else if (DataType() == TFieldType::ftDateTime)
    table_->SetBuffer(index_, TcvValue{NormaliseDateTime(DT)});
  else
    SetAsFloat(DT);
}

void TcvField::SetAsBoolean(bool V) {
  if (DataType() == TFieldType::ftString)
    table_->SetBuffer(index_, TcvValue{std::string(V ? "True" : "False")});
  else
    SetAsInteger(V ? 1 : 0);
}

void TcvField::SetValue(const TcvValue& V) {
  if (IsNullValue(V))
    Clear();
  else if (const int64_t* i = std::get_if<int64_t>(&V))
    SetAsInteger(*i);
  else if (const double* d = std::get_if<double>(&V))
    SetAsFloat(*d);
  else
    SetAsString(std::get<std::string>(V));
}

void TcvField::Clear() { table_->SetBuffer(index_, TcvValue{}); }

// ------------------------------------------------------------------------------------------
// TcvTable

TcvTable::TcvTable(TcvDatabase* Connection, const std::string& TableName)
    : db_(Connection), tableName_(TableName) {}

TcvTable::~TcvTable() { Close(); }

void TcvTable::Fail(const std::string& What) const {
  std::string msg =
      "Таблица "_cp + (tableName_.empty() ? std::string("?") : tableName_) + ": " + What;
  if (db_ && db_->Handle()) {
    const int code = sqlite3_errcode(db_->Handle());
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
      msg += " (" + platform::Utf8ToCp1251(sqlite3_errmsg(db_->Handle())) + ")";
    msg += " [" + db_->FileName() + "]";
  }
  throw EDatabaseError(msg);
}

void TcvTable::CheckDb() const {
  if (!db_ || !db_->Connected()) {
    throw EDatabaseError("Таблица "_cp + tableName_ + ": база данных не открыта!"_cp);
  }
}

void TcvTable::CheckActive() const {
  if (!Active()) throw EDatabaseError("Таблица "_cp + tableName_ + " не открыта!"_cp);
}

void TcvTable::CheckWritable(const char* What) const {
  CheckActive();
  if (ReadOnly) Fail(std::string(What) + ": " + "таблица открыта только для чтения"_cp);
}

void TcvTable::SetConnection(TcvDatabase* Db) {
  Close();
  db_ = Db;
}

void TcvTable::SetTableName(const std::string& Name) {
  Close();
  if (Name != tableName_) {
    // a filter or a sort of another table has no meaning here
    filter_.clear();
    filterParams_.clear();
    filtered_ = false;
    sort_.clear();
  }
  tableName_ = Name;
  sql_.clear();
}

void TcvTable::SetSQL(const std::string& Select) { SetSQL(Select, {}); }

void TcvTable::SetSQL(const std::string& Select, const std::vector<TcvValue>& Params) {
  Close();
  selectParams_ = Params;
  sql_.clear();
  selectFields_.clear();
  selectWhere_.clear();
  selectOrder_.clear();
  sqlWhere_.clear();
  sqlParams_.clear();
  sqlOrder_.clear();
  if (TrimCtl(Select).empty()) return;
  sqltext::TSelectParts parts;
  std::string err;
  if (!sqltext::SplitSelect(Select, parts, err))
    throw EDatabaseError("SQL <" + Select + ">: " + err);
  if (parts.Table != tableName_) {
    filter_.clear();
    filterParams_.clear();
    filtered_ = false;
    sort_.clear();
  }
  tableName_ = parts.Table;
  sql_ = Select;
  // the field list, the condition and the order are checked against the columns at Open
  selectFields_ = parts.Fields;
  selectWhere_ = parts.Where;
  selectOrder_ = parts.OrderBy;
}

void TcvTable::LoadDefs() {
  realName_ = db_->FindTable(tableName_);
  if (realName_.empty()) Fail("нет такой таблицы в базе данных"_cp);
  const std::vector<TFieldDef> all = db_->FieldDefs(realName_);
  defs_.clear();
  colOf_.clear();
  autoIdx_ = -1;
  if (!sql_.empty() && !selectFields_.empty()) {
    for (const std::string& f : selectFields_) {
      const int c = sqltext::FindColumn(all, f);
      if (c < 0) Fail("нет поля <"_cp + f + ">");
      defs_.push_back(all[static_cast<size_t>(c)]);
      colOf_.push_back(c);
    }
  } else {
    for (size_t i = 0; i < all.size(); ++i) {
      defs_.push_back(all[i]);
      colOf_.push_back(static_cast<int>(i));
    }
  }
  for (size_t i = 0; i < defs_.size(); ++i)
    if (defs_[i].DataType == TFieldType::ftAutoInc) autoIdx_ = static_cast<int>(i);
  allDefs_ = all;
  if (!sql_.empty()) {
    std::string err;
    if (!sqltext::TranslateFilter(selectWhere_, all, selectParams_, sqlWhere_, sqlParams_, err))
      Fail("SQL <" + sql_ + ">: " + err);
    if (!sqltext::TranslateSort(selectOrder_, all, sqlOrder_, err))
      Fail("SQL <" + sql_ + ">: " + err);
  }
  fields_.clear();
  for (size_t i = 0; i < defs_.size(); ++i)
    fields_.push_back(std::unique_ptr<TcvField>(new TcvField(this, static_cast<int>(i))));
}

TcvTable::TWhere TcvTable::BuildWhere() const {
  TWhere w;
  std::vector<std::string> parts;
  if (!sqlWhere_.empty()) {
    // renumber the select's parameters after any earlier ones
    parts.push_back("(" + sqlWhere_ + ")");
    w.Params = sqlParams_;
  }
  if (filtered_ && !TrimCtl(filter_).empty()) {
    std::string sql, err;
    std::vector<TcvValue> vals;
    if (!sqltext::TranslateFilter(filter_, allDefs_, filterParams_, sql, vals, err))
      Fail("фильтр <"_cp + filter_ + ">: " + err);
    if (!sql.empty()) {
      // shift ?N of the filter past the select's parameters
      const size_t shift = w.Params.size();
      std::string shifted;
      for (size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '?' && i + 1 < sql.size() &&
            std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
          size_t j = i + 1;
          size_t n = 0;
          while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
            n = n * 10 + (sql[j++] - '0');
          shifted += "?" + std::to_string(n + shift);
          i = j - 1;
        } else {
          shifted += sql[i];
        }
      }
      parts.push_back("(" + shifted + ")");
      w.Params.insert(w.Params.end(), vals.begin(), vals.end());
    }
  }
  for (size_t i = 0; i < parts.size(); ++i) w.Sql += (i ? " AND " : "") + parts[i];
  return w;
}

std::string TcvTable::OrderSql() const {
  std::string order;
  if (!TrimCtl(sort_).empty()) {
    std::string err;
    if (!sqltext::TranslateSort(sort_, allDefs_, order, err))
      Fail("сортировка <"_cp + sort_ + ">: " + err);
  } else {
    order = sqlOrder_;
  }
  return order.empty() ? std::string("rowid") : order + ", rowid";
}

void TcvTable::LoadRows() {
  const TWhere w = BuildWhere();
  std::string sql = "SELECT rowid FROM " + sqltext::QuoteIdent(ToUtf8(realName_));
  if (!w.Sql.empty()) sql += " WHERE " + ToUtf8(w.Sql);
  sql += " ORDER BY " + ToUtf8(OrderSql());
  TStmt st;
  if (sqlite3_prepare_v2(db_->Handle(), sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
    Fail("чтение записей"_cp);
  for (size_t i = 0; i < w.Params.size(); ++i)
    BindValue(st.s, static_cast<int>(i) + 1, w.Params[i]);
  rows_.clear();
  int rc;
  while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) rows_.push_back(sqlite3_column_int64(st.s, 0));
  if (rc != SQLITE_DONE) Fail("чтение записей"_cp);
  posValid_ = false;
}

void TcvTable::Open() {
  if (Active()) return;
  CheckDb();
  LoadDefs();
  std::string cols;
  for (size_t i = 0; i < colOf_.size(); ++i)
    cols += (i ? ", " : "") +
            sqltext::QuoteIdent(ToUtf8(allDefs_[static_cast<size_t>(colOf_[i])].Name));
  if (cols.empty()) cols = "NULL";
  const std::string sql =
      "SELECT " + cols + " FROM " + sqltext::QuoteIdent(ToUtf8(realName_)) + " WHERE rowid = ?1";
  if (sqlite3_prepare_v2(db_->Handle(), sql.c_str(), -1, &readStmt_, nullptr) != SQLITE_OK) {
    readStmt_ = nullptr;
    Fail("открытие"_cp);
  }
  try {
    LoadRows();
  } catch (...) {
    ReleaseStatements();
    throw;
  }
  state_ = TDataSetState::dsBrowse;
  db_->tables_.insert(this);
  modified_ = false;
  First();
}

void TcvTable::ReleaseStatements() {
  if (readStmt_) sqlite3_finalize(readStmt_);
  readStmt_ = nullptr;
}

void TcvTable::Close() {
  if (!Active()) return;
  ReleaseStatements();
  if (db_) db_->tables_.erase(this);
  state_ = TDataSetState::dsInactive;
  rows_.clear();
  pos_.clear();
  posValid_ = false;
  values_.clear();
  buffer_.clear();
  changed_.clear();
  modified_ = false;
  cur_ = -1;
  eof_ = bof_ = true;
}

void TcvTable::SetActive(bool On) {
  if (On)
    Open();
  else
    Close();
}

void TcvTable::SetFilter(const std::string& Filter) { SetFilter(Filter, {}); }

void TcvTable::SetFilter(const std::string& Filter, const std::vector<TcvValue>& Params) {
  if (Active()) CheckBrowseMode();
  filter_ = Filter;
  filterParams_ = Params;
  if (Active() && filtered_) Requery();
}

void TcvTable::SetFiltered(bool On) {
  if (Active()) CheckBrowseMode();
  const bool was = filtered_;
  filtered_ = On;
  if (Active() && was != On) Requery();
}

void TcvTable::SetSort(const std::string& Sort) {
  if (Active()) CheckBrowseMode();
  sort_ = Sort;
  if (Active()) Requery();
}

void TcvTable::Requery() {
  CheckActive();
  CheckBrowseMode();
  LoadRows();
  First();
}

int TcvTable::RecNo() const { return rows_.empty() || cur_ < 0 ? 0 : cur_ + 1; }

void TcvTable::SetRecNo(int N) {
  CheckActive();
  CheckBrowseMode();
  if (N < 1 || N > RecordCount()) return;
  GoTo(N - 1);
  eof_ = bof_ = false;
}

void TcvTable::GoTo(int Index) {
  cur_ = Index;
  LoadCurrent();
}

void TcvTable::LoadCurrent() {
  values_.assign(defs_.size(), TcvValue{});
  if (cur_ < 0 || cur_ >= RecordCount() || !readStmt_) return;
  sqlite3_reset(readStmt_);
  sqlite3_bind_int64(readStmt_, 1, rows_[static_cast<size_t>(cur_)]);
  const int rc = sqlite3_step(readStmt_);
  if (rc == SQLITE_ROW) {
    for (int i = 0; i < static_cast<int>(defs_.size()); ++i)
      values_[static_cast<size_t>(i)] = ColumnValue(readStmt_, i);
  } else if (rc != SQLITE_DONE) {
    sqlite3_reset(readStmt_);
    Fail("чтение записи"_cp);
  }
  sqlite3_reset(readStmt_);
}

void TcvTable::First() {
  CheckActive();
  CheckBrowseMode();
  if (rows_.empty()) {
    cur_ = -1;
    values_.assign(defs_.size(), TcvValue{});
    eof_ = bof_ = true;
    return;
  }
  GoTo(0);
  bof_ = true;
  eof_ = false;
}

void TcvTable::Last() {
  CheckActive();
  CheckBrowseMode();
  if (rows_.empty()) {
    First();
    return;
  }
  GoTo(RecordCount() - 1);
  eof_ = true;
  bof_ = false;
}

void TcvTable::Next() {
  CheckActive();
  CheckBrowseMode();
  if (rows_.empty()) {
    eof_ = true;
    return;
  }
  if (cur_ + 1 < RecordCount()) {
    GoTo(cur_ + 1);
    eof_ = false;
    bof_ = false;
  } else {
    eof_ = true;
  }
}

void TcvTable::Prior() {
  CheckActive();
  CheckBrowseMode();
  if (rows_.empty()) {
    bof_ = true;
    return;
  }
  if (cur_ > 0) {
    GoTo(cur_ - 1);
    bof_ = false;
    eof_ = false;
  } else {
    bof_ = true;
  }
}

int TcvTable::PositionOf(int64_t RowId) {
  if (!posValid_) {
    pos_.clear();
    pos_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) pos_.emplace(rows_[i], static_cast<int>(i));
    posValid_ = true;
  }
  auto it = pos_.find(RowId);
  return it == pos_.end() ? -1 : it->second;
}

bool TcvTable::Locate(const std::string& KeyFields, const std::vector<TcvValue>& KeyValues,
                      TLocateOptions Options) {
  CheckActive();
  CheckBrowseMode();
  std::vector<std::string> names;
  {
    size_t a = 0;
    for (;;) {
      const size_t b = KeyFields.find(';', a);
      names.push_back(
          TrimCtl(KeyFields.substr(a, b == std::string::npos ? std::string::npos : b - a)));
      if (b == std::string::npos) break;
      a = b + 1;
    }
  }
  if (names.size() != KeyValues.size()) Fail("Locate: число полей и значений не совпадает"_cp);
  if (rows_.empty()) return false;
  std::string where;
  std::vector<TcvValue> params;
  for (size_t k = 0; k < names.size(); ++k) {
    const int c = sqltext::FindColumn(allDefs_, names[k]);
    if (c < 0) Fail("нет поля <"_cp + names[k] + ">");
    const TFieldDef& d = allDefs_[static_cast<size_t>(c)];
    const std::string col = sqltext::QuoteIdent(ToUtf8(d.Name));
    if (!where.empty()) where += " AND ";
    TcvValue v = KeyValues[k];
    if (IsNullValue(v) ||
        (d.DataType == TFieldType::ftString && std::holds_alternative<std::string>(v) &&
         std::get<std::string>(v).empty())) {
      where += col + " IS NULL";
      continue;
    }
    if (d.DataType != TFieldType::ftString) {
      // a text key for a numeric, date or truth field is read in that type
      if (const std::string* s = std::get_if<std::string>(&v)) {
        if (d.DataType == TFieldType::ftBoolean) {
          bool b = false;
          if (ParseBool(*s, b)) v = int64_t{b ? 1 : 0};
        } else if (d.DataType == TFieldType::ftDateTime) {
          double x = 0;
          if (ParseDateTimeText(*s, x)) v = x;
        } else {
          int64_t i = 0;
          double x = 0;
          if (ParseInt64(*s, i))
            v = i;
          else if (ParseReal(*s, x))
            v = x;
        }
      }
      params.push_back(v);
      where += col + " = ?" + std::to_string(params.size());
      continue;
    }
    if (!std::holds_alternative<std::string>(v)) {
      // a number as the key of a text field: its text
      if (const int64_t* i = std::get_if<int64_t>(&v))
        v = std::to_string(*i);
      else
        v = RealFieldText(std::get<double>(v));
    }
    params.push_back(v);
    const std::string p = "?" + std::to_string(params.size());
    const std::string coll = Options.CaseInsensitive ? " COLLATE CVNOCASE" : "";
    if (Options.PartialKey)
      where += "substr(" + col + ", 1, length(" + p + ")) = " + p + coll;
    else
      where += col + " = " + p + coll;
  }
  const std::string sql =
      "SELECT rowid FROM " + sqltext::QuoteIdent(ToUtf8(realName_)) + " WHERE " + where;
  TStmt st;
  if (sqlite3_prepare_v2(db_->Handle(), sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
    Fail("Locate");
  for (size_t i = 0; i < params.size(); ++i) BindValue(st.s, static_cast<int>(i) + 1, params[i]);
  int best = -1;
  int rc;
  while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
    const int p = PositionOf(sqlite3_column_int64(st.s, 0));
    if (p >= 0 && (best < 0 || p < best)) best = p;
  }
  if (rc != SQLITE_DONE) Fail("Locate");
  if (best < 0) return false;
  GoTo(best);
  eof_ = bof_ = false;
  return true;
}

bool TcvTable::Locate(const std::string& KeyField, const TcvValue& KeyValue,
                      TLocateOptions Options) {
  return Locate(KeyField, std::vector<TcvValue>{KeyValue}, Options);
}

void TcvTable::CheckBrowseMode() {
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
    if (modified_)
      Post();
    else
      Cancel();
  }
}

void TcvTable::Append() {
  CheckWritable("Append");
  CheckBrowseMode();
  buffer_.assign(defs_.size(), TcvValue{});
  changed_.assign(defs_.size(), false);
  modified_ = false;
  state_ = TDataSetState::dsInsert;
}

void TcvTable::Edit() {
  CheckWritable("Edit");
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  if (rows_.empty() || cur_ < 0) {
    Append();
    return;
  }
  LoadCurrent();  // the record as it stands now
  buffer_ = values_;
  changed_.assign(defs_.size(), false);
  modified_ = false;
  state_ = TDataSetState::dsEdit;
}

void TcvTable::SetBuffer(int Index, TcvValue V) {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
    Fail("поле "_cp + defs_[static_cast<size_t>(Index)].Name +
         ": таблица не в режиме правки или добавления"_cp);
  // an empty text is stored as NULL
  if (const std::string* s = std::get_if<std::string>(&V))
    if (s->empty()) V = TcvValue{};
  buffer_[static_cast<size_t>(Index)] = std::move(V);
  changed_[static_cast<size_t>(Index)] = true;
  modified_ = true;
}

const TcvValue& TcvTable::CurValue(int Index) const {
  static const TcvValue kNull{};
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
    return buffer_[static_cast<size_t>(Index)];
  if (Index < 0 || static_cast<size_t>(Index) >= values_.size()) return kNull;
  return values_[static_cast<size_t>(Index)];
}

void TcvTable::Post() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  sqlite3* h = db_->Handle();
  const std::string table = sqltext::QuoteIdent(ToUtf8(realName_));
  if (state_ == TDataSetState::dsInsert) {
    std::string cols, marks;
    std::vector<TcvValue> vals;
    for (size_t i = 0; i < defs_.size(); ++i) {
      if (!changed_[i]) continue;
      cols += (vals.empty() ? "" : ", ") + sqltext::QuoteIdent(ToUtf8(defs_[i].Name));
      vals.push_back(buffer_[i]);
      marks += (vals.size() > 1 ? ", ?" : "?") + std::to_string(vals.size());
    }
    const std::string sql = vals.empty()
                                ? "INSERT INTO " + table + " DEFAULT VALUES"
                                : "INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")";
    TStmt st;
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK) Fail("Post");
    for (size_t i = 0; i < vals.size(); ++i) BindValue(st.s, static_cast<int>(i) + 1, vals[i]);
    if (sqlite3_step(st.s) != SQLITE_DONE) Fail("Post");
    const int64_t id = sqlite3_last_insert_rowid(h);
    rows_.push_back(id);
    if (posValid_) pos_[id] = RecordCount() - 1;
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    GoTo(RecordCount() - 1);
    eof_ = bof_ = false;
    return;
  }
  // edit
  std::string sets;
  std::vector<TcvValue> vals;
  for (size_t i = 0; i < defs_.size(); ++i) {
    if (!changed_[i]) continue;
    vals.push_back(buffer_[i]);
    sets += (vals.size() > 1 ? ", " : "") + sqltext::QuoteIdent(ToUtf8(defs_[i].Name)) + " = ?" +
            std::to_string(vals.size());
  }
  if (!vals.empty()) {
    const int64_t id = rows_[static_cast<size_t>(cur_)];
    const std::string sql =
        "UPDATE " + table + " SET " + sets + " WHERE rowid = ?" + std::to_string(vals.size() + 1);
    TStmt st;
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK) Fail("Post");
    for (size_t i = 0; i < vals.size(); ++i) BindValue(st.s, static_cast<int>(i) + 1, vals[i]);
    sqlite3_bind_int64(st.s, static_cast<int>(vals.size()) + 1, id);
    if (sqlite3_step(st.s) != SQLITE_DONE) Fail("Post");
    // a new value of the row id moves the record
    if (autoIdx_ >= 0 && changed_[static_cast<size_t>(autoIdx_)]) {
      if (const int64_t* nid = std::get_if<int64_t>(&buffer_[static_cast<size_t>(autoIdx_)])) {
        rows_[static_cast<size_t>(cur_)] = *nid;
        posValid_ = false;
      }
    }
  }
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  LoadCurrent();
}

void TcvTable::Cancel() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  buffer_.clear();
  changed_.clear();
  LoadCurrent();
}

void TcvTable::Delete() {
  CheckWritable("Delete");
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (state_ == TDataSetState::dsEdit) Cancel();
  if (rows_.empty() || cur_ < 0) Fail("Delete: нет записей"_cp);
  const std::string sql =
      "DELETE FROM " + sqltext::QuoteIdent(ToUtf8(realName_)) + " WHERE rowid = ?1";
  TStmt st;
  if (sqlite3_prepare_v2(db_->Handle(), sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
    Fail("Delete");
  sqlite3_bind_int64(st.s, 1, rows_[static_cast<size_t>(cur_)]);
  if (sqlite3_step(st.s) != SQLITE_DONE) Fail("Delete");
  rows_.erase(rows_.begin() + cur_);
  posValid_ = false;
  if (rows_.empty()) {
    cur_ = -1;
    values_.assign(defs_.size(), TcvValue{});
    eof_ = bof_ = true;
  } else if (cur_ < RecordCount()) {
    GoTo(cur_);
    eof_ = false;
  } else {
    GoTo(RecordCount() - 1);
    eof_ = true;
  }
}

int64_t TcvTable::RowId() const {
  if (cur_ < 0 || cur_ >= RecordCount()) return 0;
  return rows_[static_cast<size_t>(cur_)];
}

TcvField& TcvTable::Fields(int Index) {
  CheckActive();
  if (Index < 0 || Index >= FieldCount()) Fail("нет поля с номером "_cp + std::to_string(Index));
  return *fields_[static_cast<size_t>(Index)];
}

TcvField* TcvTable::FindField(const std::string& Name) {
  if (!Active()) return nullptr;
  const std::string u = UpCaseStrCyr(TrimCtl(Name));
  for (size_t i = 0; i < defs_.size(); ++i)
    if (UpCaseStrCyr(defs_[i].Name) == u) return fields_[i].get();
  return nullptr;
}

TcvField& TcvTable::FieldByName(const std::string& Name) {
  CheckActive();
  TcvField* f = FindField(Name);
  if (!f) Fail("нет поля <"_cp + Name + ">");
  return *f;
}
