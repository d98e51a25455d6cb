// Reader of directive and data files: the whole file held as lines, line and block comments,
// include files, variables, a cursor over lines and blank-separated words with the program's
// number forms, key=value items, delimited table fields, and one fatal error path whose text
// names the file, the include file, the line and the column.
//
// Usual use: create a reader, set ErrProc, Load(file, caption), loop NextLine() until Line is
// empty, take words, numbers or key items from each line, Unload().
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

// Error callback: the full error text, the file name, the line number (from 1) and the column.
using TCILErrProc = std::function<void(const std::string& Text, const std::string& FileName,
                                       int32_t LineNo, int32_t Pos)>;

class TCIL : public TStrList {
 public:
  TCIL() = default;
  ~TCIL() override;
  TCIL(const TCIL&) = delete;
  TCIL& operator=(const TCIL&) = delete;

  // ---- loading and resetting ----
  // The file must exist (else fatal). Lines are replaced by the file's lines; an empty file is
  // warned about and leaves the reader not loaded.
  void Load(const std::string& FileName, const std::string& Caption);
  void Load1(const std::string& FileName);
  // Appends the list's lines to the lines held (file name "StringList", no include folder).
  void LoadSL(const std::string& Caption, const TStringList* SL);
  // Reads the file up to and including the first line that contains StopKey (the whole file
  // for an empty key). An empty file loads as one empty line.
  void LoadAndTrunc(const std::string& FileName, const std::string& StopKey);
  // Clears FileName, Caption, IncFolder and Line, Loaded := false, frees Vars.
  void Reset();
  // Reset, then clears all lines.
  void Unload();

  // ---- comments and empty lines (act on all lines held) ----
  void SetComment(const std::string& Marker) { CommentMarker = Marker; }
  void DelComments();
  void SetDelComments(const std::string& Marker);
  void SetBlockComment(const std::string& OpenMarker, const std::string& CloseMarker);
  void DelBlockComments();
  // Trims every line and drops the lines that are then empty.
  void DelEmptyLines();

  // ---- include files ----
  void SetFolder(const std::string& Folder) { IncFolder = Folder; }
  void Include(const std::string& FolderMarker, const std::string& FolderEnd,
               const std::string& IncMarker, const std::string& IncEnd);
  // Name of include file N: FileName for N = 0 or outside include mode.
  std::string IncludeFileNam(int32_t N);
  // Number of the include file line LineIndex came from; 0 outside include mode.
  int32_t IncludeFileNum(int32_t LineIndex);
  // 1-based ordinal of line LineIndex among the lines that came from include file N.
  int32_t IncludeFileNS(int32_t LineIndex, int32_t N);

  // ---- variables ----
  void SetVarMarkers(const std::string& DefMarker, const std::string& RefMarker);
  void SetVar(const std::string& Name, const std::string& Value);
  // Each line: a name, a blank, a value.
  void SetVars(const TStringList* SL);
  std::string GetVar(const std::string& Name) const;

  // ---- line cursor ----
  // Next line that is not empty after the comment cut; Line empty at the end.
  void NextLine();
  // Next line, empty or not.
  void NextLineRaw();
  void SkipLines(int32_t N);
  // The next NextLine/NextLineRaw reads line N (from 1); the last line when N is beyond it.
  void GotoLine(int32_t N);
  // 1-based number of the line the next NextLineRaw reads.
  int32_t NextLineNum() const { return CurLine + 2; }
  // NextLine until Line contains Key or the last line is reached; Pos just after the key.
  bool FindKey(const std::string& Key);
  // True when the current line is the last one (and, with a warning, when not loaded).
  // (The name EOF is taken by the C library's macro.)
  bool Eof();
  void Rewind();
  bool HasWord(const std::string& Word);

  // ---- words and numbers (act on Line from Pos) ----
  std::string GetWord();
  std::string GetRest();
  bool IsNextChar(char C) const;
  // First character of the next word; character code 0 for an empty word.
  char GetChar();
  int32_t GetInt();
  int32_t GetNum(int32_t Minimum, int32_t Maximum);
  double GetReal();
  int32_t WordToInt(const std::string& Word);
  // A sign after a digit (or after the point) starts the exponent: 1.5-3 reads as 1.5E-3.
  double WordToReal(const std::string& Word);
  std::string GetWord0(const std::string& BlankTpl);
  std::string NextWord0();

  // ---- key items: Key directly followed by "=" (plain substring search) ----
  std::string KeyWord(const std::string& Key);
  double KeyReal(const std::string& Key, double Default);
  double KeyReal0(const std::string& Key) { return KeyReal(Key, 0.0); }
  int32_t KeyInt(const std::string& Key, int32_t Default);
  int32_t KeyInt0(const std::string& Key) { return KeyInt(Key, 0); }
  char KeyChar(const std::string& Key, char Default);

  // ---- table fields, separated by the characters of the separator set ----
  std::string TabField(int32_t N);
  std::string TabFieldTrim(int32_t N);
  std::string TabFieldReq(int32_t N);

  // ---- errors ----
  void SetErrProc(TCILErrProc Proc) { ErrProc = std::move(Proc); }
  void SetWordPos(int32_t Column) { WordStart = Column; }
  // The reader's fatal error: callback, unload, ErrAbs. Never returns.
  [[noreturn]] void Err(const std::string& Msg);
  [[noreturn]] void ErrAt(int32_t LineIndex, int32_t Column, const std::string& Msg);
  // The error text, with the file name, line number and column that go with it.
  std::string ErrText(const std::string& Msg, std::string& ErrFileName, int32_t& ErrLineNo,
                      int32_t& ErrPos);

  // ---- fields ----
  std::string CommentMarker;
  std::string BlockOpen;
  std::string BlockClose;
  std::string VarDefMarker;
  std::string VarRefMarker;
  int32_t WordStart = 0;
  int32_t WordCount = 0;
  bool Loaded = false;
  std::string Caption;
  std::string IncFolder;
  bool IncludeMode = false;
  std::unique_ptr<TStringList> LSFNam;           // include file names; [0] = the loaded file
  std::unique_ptr<std::vector<int32_t>> ListSrc;  // include file number of each line
  std::string sBlankTpl0;
  std::unique_ptr<TStringList> Vars;  // one line per variable: name, one blank, value
  std::string FileName;
  int32_t CurLine = 0;
  std::string Line;
  int32_t Pos = 0;
  TCILErrProc ErrProc;

  // Bounds of the variable substitution of one line: a value that refers to itself, directly
  // or through other variables, is reported once one of them is passed. The length is checked
  // before each substitution: a line that would grow beyond it is the reader's error.
  static constexpr int32_t MaxVarPasses = 1000;
  static constexpr size_t MaxVarLineLength = 1 << 20;

 private:
  void Prepare(const std::string& Name, const std::string& Capt);
  void AfterLinesReplaced();
  void CutComment();
  void SubstituteVars();
  void AdvanceLine(bool SkipEmpty);
  bool SourcesInStep() const;
  [[noreturn]] void ErrVars(const std::string& Head);

  // Where each held line stands in its own file (line from 1, and the number of leading
  // characters that DelEmptyLines trimmed off), so that errors point into the file even after
  // includes were expanded and empty lines dropped. Used only while it has one entry per line.
  std::vector<int32_t> SrcLineNo_;
  std::vector<int32_t> SrcColOfs_;
};
