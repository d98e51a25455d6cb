// The working-directory table: every working folder and fixed working file of the program is
// found by a (module, function) pair, below the application root or the current project
// folder. Also: the program-wide lists made at start, the standard model-format reader, and
// TCleverInput, a line-and-word reader of text files whose errors open the file in the editor
// at the failing word.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvFile.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

// FindNoCase (case-insensitive lookup of installation files) is in foundation/cvFile.h.

// ---- the table ----
// One row: module, function, base ("APP" or "PROJ"), sub-folder, kind ('S' one fixed file,
// 'D' a folder whose file name the caller gives, 'E' a folder, ' ' when empty), name, extension.
struct TcvDirRec {
  std::string Module;
  std::string Func;
  std::string SubDir;
  std::string Base;
  char FKind = ' ';
  std::string Nam;
  std::string Ext;
};

class TcvDirList {
 public:
  TcvDirList() = default;
  TcvDirList(const TcvDirList&) = delete;
  TcvDirList& operator=(const TcvDirList&) = delete;

  int Count() const { return static_cast<int>(Items.size()); }
  const TcvDirRec& operator[](int i) const { return Items.at(static_cast<size_t>(i)); }
  void Add(const TcvDirRec& Rec) { Items.push_back(Rec); }

  // Reads "SYS\dirs.txt" below the application root (found without regard to case).
  void Load();
  // Appends one row per line of the file; the file's last line is never a row. Reader errors
  // open the file in the editor and are fatal.
  void LoadFrom(const std::string& AFileName);

  // The first row with exactly these keys (case counts); nullptr when none.
  const TcvDirRec* Find(const std::string& Module, const std::string& Func) const;
  // The table file named in messages: the file loaded, else the root's "sys/dirs.txt".
  std::string TablePath() const;

  // Makes sure that the project file of a kind S row on base PROJ exists, copying it from the
  // same place below the application root when missing. Rows on base APP need nothing.
  void CheckByTPL(const std::string& Module, const std::string& Func) const;
  // "Отчет о списке рабочих директорий" and one aligned line per row.
  std::unique_ptr<TStringList> Report() const;

  std::vector<TcvDirRec> Items;
  std::string FileName;  // the file loaded
};

// The table; nullptr until the application's initialisation loads it.
extern TcvDirList* cvDirs;
// cvDirs := a new table loaded from the application root (the old one is freed).
void cvDirsLoad();

// The full path of a kind S row's file or of a kind E row's folder (with its trailing "/").
std::string cvDirList(const std::string& Module, const std::string& Func);
// The full path of FileName (trimmed) with the extension of a kind D row in its folder, or the
// folder of a kind E row.
std::string cvDirListFile(const std::string& Module, const std::string& Func,
                          const std::string& FileName);

// ---- other routines of the unit ----
// The integer and the two reals of standard model format N in the file of ("GEDA", "ROUT").
// False (with a warning, all three 0) when no block carries N.
bool GetStdModFormat(int32_t N, int32_t& IValue, double& R1, double& R2);
bool ReadStdModFormat(const std::string& FileName, int32_t N, int32_t& IValue, double& R1,
                      double& R2);
// " I", " II", " III" for stages 1 to 3; " " + the number above 3 (and below 1).
std::string IonStageStr(int32_t N);
// Adds a line to the Test tab's memo.
void MemoTestAdd(const std::string& Text);

// ---- globals of the unit's start ----
extern int32_t LamDecimals;  // decimals that catalogue wavelengths keep: 7
// Run titles of the option files and the model log name.
extern std::string OTLTitleMOD;
extern std::string OTLTitlePMOD1;
extern std::string OTLTitlePMOD3;
extern std::string OTLTitleCONT;
extern std::string OTLTitleRACH;
extern std::string ModLogName;
// The unit's start: LamDecimals := 7, then LVARI, LUNNO, LLIDA, LILast and VARIWHM are created
// in this order by their subsystems' makers (app/AppLinks.h; absent makers are skipped).
void cvDirsUnitStart();
// Frees them in the reverse order and clears the texts.
void cvDirsUnitEnd();

// ---- text reader with marked errors ----
class TCleverInput {
 public:
  TCleverInput() = default;
  // A reader still listed in CLINList is taken out of it.
  ~TCleverInput();
  TCleverInput(const TCleverInput&) = delete;
  TCleverInput& operator=(const TCleverInput&) = delete;

  // A missing file is fatal ("CLIN." + tag + "(" + file + ") Файла " + file + " нет!").
  void Open(const std::string& AFileName, const std::string& ATag);
  void Close();
  void RdAnyLine();
  // The next line, cut before its first comment character together with the blanks before it.
  void RdEachLine();
  // The next line that is not empty after the comment cut (a line of separators counts as
  // empty), or the end of the file.
  void RdLine();
  std::string RdWord();
  int32_t RdInt();
  double RdReal();
  // Restores the cursor, closes the reader, opens the file in the editor at the failing word
  // and raises the fatal error "CLIN.<" + tag + ">-F-" + Text.
  [[noreturn]] void Fail(const std::string& Text);

  TTextFile F;
  std::string FileName;
  std::string Tag;
  int32_t LineNo = 0;
  bool qOpen = false;
  bool qEof = false;
  std::string Line;
  int32_t Pos = 0;
  int32_t WordStart = 0;
  int32_t WordNo = 0;
  TCharSet CutSet;
};

// The open readers, in the order they were opened (not owned).
class TCLINLIST {
 public:
  int Count() const { return static_cast<int>(Items.size()); }
  TCleverInput* operator[](int i) const { return Items.at(static_cast<size_t>(i)); }
  void Add(TCleverInput* Reader) { Items.push_back(Reader); }
  bool Contains(const TCleverInput* Reader) const;
  void Remove(const TCleverInput* Reader);
  // From the last to the first: close and take out of the list.
  void CloseAll();

  std::vector<TCleverInput*> Items;
};
extern TCLINLIST* CLINList;
