// The data module: the line database's connection and one table component per table, the
// database's schema, the backup of every table to text tables and the restore from them, and two
// small routines of the line-data layer (the wavelength range of the Start tab, the line key).
//
// The database is an SQLite file, "cv.db" in the folder that the working-directory table names
// GEDA. A missing file is created from the schema (and its element table filled) on first use;
// an existing one gets the tables and fields it lacks. A file that is not a database, read-only
// or locked is left as it is, with a warning that names it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvStrList.h"
#include "linedata/cvTable.h"

class TJob;

// ---- schema ----
struct TColumnDef {
  const char* Name;
  const char* Type;  // SQL type: TEXT, INTEGER, REAL, DATETIME, BOOLEAN
};
struct TTableDef {
  const char* Name;
  const char* KeyDef;                // "" or the first column's definition with its key
  std::vector<TColumnDef> Columns;   // the columns after a key column (all when KeyDef is "")
  std::vector<std::string> Indexes;  // "column[,column...]"
};
// Every table of the line database in creation order.
const std::vector<TTableDef>& LineDBSchema();
// Creates the missing tables, fields and indexes; never drops or changes anything.
void EnsureSchema(TcvDatabase& Db);

// ---- the data module ----
class TDM {
 public:
  TDM();
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  static constexpr const char* DBFileName = "cv.db";

  TcvDatabase ADOConnection;
  TcvTable ADOSources{&ADOConnection, "SOURCES"};
  TcvTable ADOAuthors{&ADOConnection, "Authors"};
  TcvTable ADOMags{&ADOConnection, "Mags"};
  TcvTable ADOSrcAuth{&ADOConnection, "SrcAuth"};
  TcvTable ADOAtoms{&ADOConnection, "Atoms"};
  TcvTable ADOOrbits{&ADOConnection, "Orbits"};
  TcvTable ADOLevels{&ADOConnection, "Levels"};
  TcvTable ADOMulti{&ADOConnection, "Multi"};
  TcvTable ADOLines_{&ADOConnection, "Lines_"};
  TcvTable ADOQuery{&ADOConnection, ""};  // select texts of the Data tab
  TcvTable ADOTabs{&ADOConnection, "Tabs"};
  TcvTable ADOMod_{&ADOConnection, "Mod_"};
  TcvTable ADOProjects{&ADOConnection, "Projects"};
  TcvTable ADOQuests{&ADOConnection, "Quests"};
  TcvTable ADOUsers{&ADOConnection, "Users"};
  TcvTable ADOLGGF{&ADOConnection, "LGGF"};
  TcvTable ADOLineObsVorn{&ADOConnection, "LineObsVorn"};
  TcvTable ADOKurLines{&ADOConnection, "KurLines"};
  TcvTable ADOKurLevels{&ADOConnection, "KurLevels"};
  TcvTable ADODataSet{nullptr, ""};  // no connection
  TcvTable ADONISTLevels{&ADOConnection, "NISTLevels"};
  TcvTable& ADOLines = ADOLines_;  // the name other tabs use
  // The data set that the Data tab's grid shows.
  TcvTable* DataSource() { return &ADOQuery; }

  // The database file of the installation: "cv.db" in the GEDA folder of the working-directory
  // table.
  static std::string DefaultFileName();
  // Opens FileName (creating it from the schema when it does not exist). False, with a warning
  // that names the file, when it cannot be used; nothing is overwritten.
  bool Connect(const std::string& FileName);
  bool Connect() { return Connect(DefaultFileName()); }
  // Opens an existing database file as it is (no table made, nothing written): a job's own
  // connection to the file the window's data module holds. False with a warning naming the file.
  bool ConnectShared(const std::string& FileName);
  void Disconnect();
  bool Connected() const { return ADOConnection.Connected(); }
  // True when the last Connect made a new database.
  bool Created() const { return created_; }

  // The data sets bound to the connection, in declaration order, with their component names.
  struct TNamedDataSet {
    const char* Name;
    TcvTable* Table;
  };
  std::vector<TNamedDataSet> DataSets();
  // The table component that the text restore opens on each table (one for the whole run).
  TcvTable RestoreTable{&ADOConnection, ""};

 private:
  bool created_ = false;
};

extern TDM* DM;
// DM := a new data module (the old one is freed); not connected yet.
void CreateDM();
void FreeDM();
// DM connected to its database; false (and a warning) when that fails.
bool DMReady();

// ---- text tables ----
// One column of a text table: the field name, then the column width (export) or the file column
// (restore, -1 = none), the include flag, the field's index and the right-align flag.
struct TFldRec {
  std::string Name;
  int32_t Width = 0;
  int32_t Include = 0;
  int32_t Index = 0;
  int32_t RightAlign = 0;
};
constexpr int32_t MaxFldRec = 101;

// A value as a text-table cell: "\" + two hex digits stand for "\", "|", "!", CR, LF, the other
// control characters, and a blank at either end of the value, so that no value breaks its line
// or loses characters when the cell is trimmed.
std::string TxtTabEscape(const std::string& Value);
// The value of a cell's (trimmed) text: the escapes above undone; any other "\" stays.
std::string TxtTabUnescape(const std::string& Cell);

// Formats a table as a text table: a header line of field names and one line per record, each
// column as wide as its longest text, columns separated by the separator character.
class TADOExport {
 public:
  TADOExport(TcvTable* ATable, char ASeparator);

  TcvTable* Table;  // not owned
  std::array<TFldRec, MaxFldRec> Flds;
  int32_t NFlds = 0;
  int32_t LineWidth = 0;
  char Separator;

  void InitFields();
  // Widens the columns over the current record and then every record from the first.
  void MeasureWidths();
  // Widens the columns over the current record only.
  void WidenCurrent();
  int32_t CalcLineWidth();
  void HeaderLine(std::string& S);
  void RecordLine(std::string& S);
  // The header line, then one line per record from the first.
  std::unique_ptr<TStringList> GetLines();
};

// Writes Dir/TableName.txt: every record (Filter empty) or those of the filter. False with a
// warning when the table cannot be written.
bool TableToTxt(const std::string& Dir, const std::string& TableName, const std::string& Filter);
// The backup of every table of D into the new folder Dir, as a job: progress per table (and
// every 10 000 records), cancel between records. The folder holds the marker AutoSaveIncomplete
// from its start until every table file is written and closed, so a backup cut short (a cancel,
// a failure, a killed process) is never taken for a complete one; a cancelled or failed backup
// removes what it wrote. True when every table was written.
bool DBBackup(TJob& Job, TDM& D, const std::string& Dir);
// The marker of a backup folder still being written.
constexpr const char* AutoSaveIncomplete = "AutoSave.incomplete";
// True when Dir is a backup folder that was not finished (holds AutoSaveIncomplete).
bool BackupIncomplete(const std::string& Dir);
// Saves every table of the database into a new autosave folder (DBBackup run in place).
void DBAutoSave();
// Restores the tables of database D from the text tables of folder Dir, as a job: progress is
// the table and its line count, Esc (Job.Cancel) ends it at the next line. All tables load in one
// transaction, so a cancelled or failed restore (or one that meets a key it cannot make) leaves
// the database as before. A folder whose backup was not finished is refused. When tables that
// the folder fills already hold records, it asks once (Job.Ask, default no) with their counts:
// the records of a table without a key are appended, a second time. True when every file was
// restored.
bool DBRestore(TJob& Job, TDM& D, const std::string& Dir);
// DBRestore into DM, run in place (warnings to the sink as they come, progress to the panel).
void DBAutoLoad(const std::string& Dir);
// DBAutoLoad of the newest autosave folder; a warning when there is none.
void DBAutoLoadLast();
// Reads a text table into a table: records with a key found in the table are updated, others
// appended. KeyFirst makes the first field the key even when its name does not begin with "ID".
// Returns the number of lines loaded.
int32_t TableFromTxt(TcvTable& Table, const std::string& FileName, bool KeyFirst);

// The next line that is not empty after cutting it at its first "!", split at Separator (every
// separator splits; blanks are kept). At the end of the file List stays and the result is false.
// LineNo counts the lines read.
bool ReadSplitLine(TTextFile& File, char Separator, TStringList& List, int32_t& LineNo);
bool ReadSplitLine(TTextFile& File, char Separator, TStringList& List);
// The cells of one text-table line: split at every Separator.
void SplitCells(const std::string& Line, char Separator, TStringList& List);

// ---- line keys and the wavelength range ----
// The database key of a line: the two-letter symbol (a one-letter one doubled) and the first
// K - 2 digits of trunc(LAMB x 1000).
std::string CalcLIN6(int32_t K, const std::string& Atom, double LAMB);
// The Start tab's wavelength range ("LAMB от", "LAMB до"; empty fields 2000 and 13000).
bool GetLambFromTo(double& From, double& To);
