// The line database's storage layer: one SQLite 3 file (TcvDatabase) and tables opened by name
// as data sets (TcvTable): a list of records with a current one, filter and sort texts, locate by
// one or several fields, append, edit, post, delete, and fields by name and by index with their
// types.
//
// Texts inside the program are code page 1251; the file holds UTF-8. An empty text is stored as
// NULL. Filter and select texts are parsed here and become parameterised SQL: values never enter
// the SQL text. Text comparisons in filters and text sort orders ignore case (Latin and Cyrillic
// letters), as the line database always did; Locate compares exactly unless asked otherwise.
//
// Errors of the database (a filter it cannot read, a value a field cannot take, a missing field,
// a write that fails) raise EDatabaseError with a text that names the table or the file.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& text) : std::runtime_error(text) {}
};

// Field types as the program reads and writes them.
enum class TFieldType { ftString, ftInteger, ftAutoInc, ftFloat, ftDateTime, ftBoolean };

// A field value: NULL, a 64-bit integer, a real or a text (code page 1251).
using TcvValue = std::variant<std::monostate, int64_t, double, std::string>;
inline TcvValue NullValue() { return TcvValue{}; }
inline TcvValue IntValue(int64_t v) { return TcvValue{v}; }
inline TcvValue RealValue(double v) { return TcvValue{v}; }
inline TcvValue TextValue(const std::string& v) { return TcvValue{v}; }
inline bool IsNullValue(const TcvValue& v) { return std::holds_alternative<std::monostate>(v); }

// One column of a table.
struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftString;
  std::string DeclType;     // the declared SQL type
  bool PrimaryKey = false;  // the column is (part of) the primary key
};

// Text of a date-time number (days since 1899-12-30): "yyyy-mm-dd hh:mm:ss" with ".zzz" when the
// milliseconds are not 0, or "yyyy-mm-dd" for a whole day.
std::string DateTimeFieldText(double DT);
// Reads "yyyy-mm-dd[ hh:mm[:ss[.zzz]]]", "dd.mm.yyyy[ hh:mm[:ss]]" or a plain day number.
bool ParseDateTimeText(const std::string& S, double& DT);
// The shortest text that reads back as the same real; "" for NaN or infinity.
std::string RealFieldText(double V);

class TcvTable;

// An SQLite database file. One connection belongs to one thread at a time: a job that writes
// the file while the window reads it opens its own connection (TDM::ConnectShared); the file is
// kept in write-ahead-log mode so that readers never wait for the writer, and a writer waits up
// to 1.5 s for another writer before its write fails with "database is locked".
class TcvDatabase {
 public:
  TcvDatabase() = default;
  ~TcvDatabase();
  TcvDatabase(const TcvDatabase&) = delete;
  TcvDatabase& operator=(const TcvDatabase&) = delete;

  // Opens an existing database for reading and writing. False, with Error naming the file, when
  // the file is missing, is not an SQLite database, cannot be written (read-only) or is locked by
  // another program; the file is left as it is.
  bool Open(const std::string& FileName, std::string& Error);
  // Creates a new, empty database file. False with Error when the file exists already (it is
  // never overwritten) or cannot be created.
  bool Create(const std::string& FileName, std::string& Error);
  // Closes every table still open on the database, then the file.
  void Close();
  bool Connected() const { return db_ != nullptr; }
  const std::string& FileName() const { return fileName_; }

  // Names of the tables in creation order, system tables excluded.
  std::vector<std::string> TableNames();
  // The table's name as stored (case as created), or "" when there is none.
  std::string FindTable(const std::string& Name);
  std::vector<TFieldDef> FieldDefs(const std::string& Table);

  // Runs SQL without results (schema statements); raises EDatabaseError.
  void Exec(const std::string& Sql);

  // A batch groups many posts into one transaction (much faster on disk). Batches nest; the
  // outermost end commits. The guard commits also when an exception passes, so that the records
  // posted before an error stay.
  class TBatch {
   public:
    explicit TBatch(TcvDatabase* Db);
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

   private:
    TcvDatabase* db_;
  };
  void BeginBatch();
  void EndBatch();

  // All or nothing: what is posted while it lives stays only when Commit is called; otherwise
  // (a cancel, a failure, an exception passing) the whole transaction is rolled back. Batches
  // inside it nest in it and commit nothing of their own.
  class TTransaction {
   public:
    explicit TTransaction(TcvDatabase* Db);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();
    void Rollback();

   private:
    TcvDatabase* db_;
    bool open_ = false;
  };
  // Ends the open transaction without keeping its changes; the open tables read their records
  // again.
  void Rollback();
  // The open tables (in browse mode) read their record lists again, keeping their place where
  // they can: what another connection committed becomes visible.
  void RequeryOpenTables();

  sqlite3* Handle() const { return db_; }
  // Raises EDatabaseError with What, the file and SQLite's own message.
  [[noreturn]] void Fail(const std::string& What) const;

 private:
  friend class TcvTable;
  bool Attach(sqlite3* db, const std::string& FileName, std::string& Error);
  sqlite3* db_ = nullptr;
  std::string fileName_;
  int batchDepth_ = 0;
  std::set<TcvTable*> tables_;
};

class TcvField {
 public:
  const std::string& FieldName() const;
  TFieldType DataType() const;
  int Index() const { return index_; }
  bool IsNumeric() const;  // integer, auto-number or real

  bool IsNull() const;
  TcvValue Value() const;
  // The edit text: "" for NULL; reals in their shortest exact form; date-times as
  // DateTimeFieldText; booleans "True"/"False".
  std::string AsString() const;
  int64_t AsInteger() const;  // NULL -> 0; a text that is no integer raises
  double AsFloat() const;     // NULL -> 0; a text that is no number raises
  double AsDateTime() const;
  bool AsBoolean() const;

  // Setting needs the table in edit or insert mode. A text that the field's type cannot take
  // raises EDatabaseError; an empty text sets NULL.
  void SetAsString(const std::string& S);
  void SetAsInteger(int64_t V);
  void SetAsFloat(double V);      // NaN or infinity raise
  void SetAsDateTime(double DT);  // kept to whole milliseconds
  void SetAsBoolean(bool V);
  void SetValue(const TcvValue& V);
  void Clear();

 private:
  friend class TcvTable;
  TcvField(TcvTable* Table, int Index) : table_(Table), index_(Index) {}
  TcvTable* table_;
  int index_;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

struct TLocateOptions {
  bool CaseInsensitive = false;
  bool PartialKey = false;  // a text key matches the start of the field's text
};

class TcvTable {
 public:
  explicit TcvTable(TcvDatabase* Connection = nullptr, const std::string& TableName = "");
  ~TcvTable();
  TcvTable(const TcvTable&) = delete;
  TcvTable& operator=(const TcvTable&) = delete;

  // ---- the data set ----
  TcvDatabase* Connection() const { return db_; }
  void SetConnection(TcvDatabase* Db);  // closes the table first
  const std::string& TableName() const { return tableName_; }
  // Closes the table first; another name also drops the filter and the sort.
  void SetTableName(const std::string& Name);
  // Select form: "select * | field, ... from table [where filter] [order by sort]". Makes the
  // table a query on that table with those fields; an empty text goes back to the plain table.
  void SetSQL(const std::string& Select);
  // The same with values for the "?" marks of the condition, taken in turn.
  void SetSQL(const std::string& Select, const std::vector<TcvValue>& Params);
  const std::string& SQL() const { return sql_; }
  // What a list of the connection's data sets shows: the select text, or the table name.
  std::string CommandText() const { return sql_.empty() ? tableName_ : sql_; }

  void Open();
  void Close();
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool On);
  TDataSetState State() const { return state_; }
  bool ReadOnly = false;

  // ---- filter and sort ----
  // Filter texts: comparisons "field op value" (op: = <> != < > <= >= LIKE, IS [NOT] NULL)
  // joined by AND, OR, NOT and brackets; values are 'texts' ('' is an apostrophe inside),
  // numbers, #dates#, NULL, TRUE, FALSE, or "?" taken in turn from the parameters. LIKE takes
  // "*" or "%" for any run and "_" or "?" for one character. Field names may stand in [brackets].
  void SetFilter(const std::string& Filter);
  void SetFilter(const std::string& Filter, const std::vector<TcvValue>& Params);
  const std::string& Filter() const { return filter_; }
  void SetFiltered(bool On);
  bool Filtered() const { return filtered_; }
  // Sort texts: "field [ASC|DESC], ...". Empty: the order of the records in the file.
  void SetSort(const std::string& Sort);
  const std::string& Sort() const { return sort_; }
  // Reads the record list again (filter and sort applied), at the first record.
  void Requery();

  // ---- records ----
  int RecordCount() const { return static_cast<int>(rows_.size()); }
  bool IsEmpty() const { return rows_.empty(); }
  int RecNo() const;  // 1-based; 0 without records
  void SetRecNo(int N);
  void First();
  void Last();
  void Next();
  void Prior();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // Key fields separated by ";"; one value per field. True and the record made current when a
  // record of the current list matches (the first in list order); else the current record stays.
  bool Locate(const std::string& KeyFields, const std::vector<TcvValue>& KeyValues,
              TLocateOptions Options = {});
  bool Locate(const std::string& KeyField, const TcvValue& KeyValue, TLocateOptions Options = {});

  void Append();
  void Insert() { Append(); }
  // Edit on an empty table appends.
  void Edit();
  void Post();
  void Cancel();
  // Deletes the current record; the next one becomes current (the previous one, with Eof set,
  // when the last was deleted).
  void Delete();
  bool Modified() const { return modified_; }
  // The row id of the current record (the integer key of an auto-numbered table).
  int64_t RowId() const;

  // ---- fields ----
  int FieldCount() const { return static_cast<int>(defs_.size()); }
  TcvField& Fields(int Index);
  TcvField* FindField(const std::string& Name);
  TcvField& FieldByName(const std::string& Name);
  const TFieldDef& FieldDef(int Index) const { return defs_.at(static_cast<size_t>(Index)); }
  // Index of the auto-number field, -1 when there is none.
  int AutoIncIndex() const { return autoIdx_; }

 private:
  friend class TcvField;
  friend class TcvDatabase;
  struct TWhere {
    std::string Sql;
    std::vector<TcvValue> Params;
  };
  void CheckDb() const;
  void CheckActive() const;
  void CheckBrowseMode();
  void CheckWritable(const char* What) const;
  [[noreturn]] void Fail(const std::string& What) const;
  void LoadDefs();
  void LoadRows();
  void GoTo(int Index);
  void LoadCurrent();
  void ReleaseStatements();
  TWhere BuildWhere() const;
  std::string OrderSql() const;
  const TcvValue& CurValue(int Index) const;
  void SetBuffer(int Index, TcvValue V);
  int PositionOf(int64_t RowId);

  TcvDatabase* db_ = nullptr;
  std::string tableName_;
  std::string realName_;  // as stored in the file
  std::string sql_;
  std::vector<std::string> selectFields_;  // the select's fields; all when empty
  std::string selectWhere_;
  std::string selectOrder_;
  std::vector<TcvValue> selectParams_;
  std::string sqlWhere_;
  std::vector<TcvValue> sqlParams_;
  std::string sqlOrder_;

  std::string filter_;
  std::vector<TcvValue> filterParams_;
  bool filtered_ = false;
  std::string sort_;

  TDataSetState state_ = TDataSetState::dsInactive;
  std::vector<TFieldDef> allDefs_;  // the table's columns
  std::vector<TFieldDef> defs_;     // the data set's fields
  std::vector<int> colOf_;          // column number in the table of each field
  int autoIdx_ = -1;
  std::vector<std::unique_ptr<TcvField>> fields_;

  std::vector<int64_t> rows_;
  std::unordered_map<int64_t, int> pos_;
  bool posValid_ = false;
  int cur_ = -1;
  bool eof_ = true;
  bool bof_ = true;

  std::vector<TcvValue> values_;  // the current record as read
  std::vector<TcvValue> buffer_;  // the record being edited or appended
  std::vector<bool> changed_;
  bool modified_ = false;

  sqlite3_stmt* readStmt_ = nullptr;
};
