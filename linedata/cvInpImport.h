// The table import: fills a table of the line database from a text file of columns as an import
// description (".INP", a settings-set file) directs: how each data line is cut into input values,
// constants, values computed from them, an optional key lookup in a second table, and which
// destination columns receive which value under which overwrite rule.
//
// The import runs as a job: progress over the data lines, cancel at any line, every write in one
// transaction, so a cancel or a fatal error leaves every table as it was. Warnings of a data line
// name the data file and the line. Values never enter SQL texts: filters and searches bind them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TJob;
class TDM;

// A named value of an import.
struct TInpFld {
  std::string Name;
  std::string Value;
  double RVal = 0;
  int32_t IVal = 0;
  char Typ = 0;  // 'I', 'R', 'S'; 0 for a computed value not evaluated yet
  std::string Func;
  std::string Arg1, Arg2, Arg3;
  double CVal = 0;
  char Req = 'N';
  char Mode = 'T';
  char SepCh = ' ';
  int32_t Num = 0;
  int32_t Start = 0;  // mode F: first column; ADD_I: the integer constant
  int32_t Len = 0;
  std::string Blank;
};

struct TInpFile {
  std::string DataDir, DataFile;
  int32_t NInp = 0, NCalc = 0, NConst = 0;
  std::vector<TInpFld> Inp, Const, Calc;  // 0-based: variable n is [n - 1]
};

struct TKeyFldCase {
  std::string FldName;
  char CaseTyp = 0;
  std::string Op;
  std::string Tol;
};

struct TKeyTab {
  std::string KeyTabName;
  int32_t NCase = 0;
  std::vector<TKeyFldCase> Cases;
  TInpFld KeyFld;  // Name: the key column; Value: the key of the current line
  char OnNoDef = 'S';
};

struct TResFld {
  std::string DstName;
  char ResTyp = 0;
  char ResKind = 0;
  std::string Src;
  std::string CondFld;
  std::string Marker;
  int32_t ResWidth = 0, ResDec = 0;
};

struct TDSTRec {
  int32_t NRes = 0;
  std::vector<TResFld> Res;
};

struct TDSTTab {
  std::string DstTabName;
  int32_t NRec = 0;
  std::vector<TDSTRec> Recs;
  int32_t NKey = 0;
  std::vector<std::string> KeyFlds;
  bool AutoNum = false;
  std::string AutoNumFld;
  int32_t AutoNumLast = 0;
};

// What one import did.
struct TInpImportResult {
  int32_t Lines = 0;    // data lines treated
  int32_t Skipped = 0;  // lines skipped with a warning
  int32_t Added = 0;    // records appended
  int32_t Edited = 0;   // records found and edited
};

// One import: the description read whole, then the data lines.
class TInpImport {
 public:
  // Reads the description file. False (after the warning of a missing description or data file,
  // or silently when section "CASE" has no true "INPUT_DATA") when there is nothing to import.
  // Errors of the description are fatal (the text names the file, the section and the key).
  bool Read(const std::string& FileName);
  // Imports the data file into D's database as a job. True when it ran to its end and was
  // committed; a cancel leaves the database as it was and gives false.
  bool Run(TJob& Job, TDM& D);

  // The variable of a name: the constants, the input variables, the computed variables, the key
  // field, the first match; nullptr when none.
  TInpFld* InpFldFind(const std::string& Name);
  // The same, fatal (the list of the names) when none.
  TInpFld& InpFld(const std::string& Name);
  std::string InpFldText(const std::string& Name) { return InpFld(Name).Value; }
  double InpFldReal(const std::string& Name) { return InpFld(Name).RVal; }
  int32_t InpFldInt(const std::string& Name) { return InpFld(Name).IVal; }

  // Cuts and converts the input variables of one line; false when the line is to be skipped
  // (the warnings given).
  bool ReadInputs(const std::string& Line);
  // Evaluates the computed variables in order.
  void Evaluate();

  std::string DescFile;
  std::string DataPath;  // the data file as opened
  TInpFile IF;
  TKeyTab KT;
  TDSTTab DT;
  TInpImportResult Result;

 private:
  void EvalOne(TInpFld& C);
  std::string lineNote_;  // ", file, line" of the warnings
};

// ImportByInpFile: the description read and the data imported as a job on D. False when nothing
// was imported (see TInpImport).
bool ImportByInpFile(TJob& Job, TDM& D, const std::string& FileName,
                     TInpImportResult* Result = nullptr);
