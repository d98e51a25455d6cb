// The file layer: file names and folders, text files opened through TxtOpen (with the fatal error
// text that names the error, the mode and the file), line copying, cutting a block out of a file,
// raw tables of doubles and random-access record files with a header and a tail.
//
// Paths. Names are program text (code page 1251). "\" and "/" both separate levels on input;
// every routine that reaches the file system turns "\" into "/" and the text into UTF-8 first
// (platform::SysPath). Names of any length are taken whole. Paths the program builds are stored
// with "/": PathJoin and DirSlash turn "\" into "/" and insert "/".
// There are no drive letters: "C:x" is an ordinary relative name for the file system, though
// PathJoin still treats "C:" as a bare drive.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

// ---- globals ----
// Result of the last operation that records one: the I/O error code of an open (0 = success), or
// a record-routine code: 99999 record number out of range (writing), 998 record size above the
// buffer, 997 empty file name, 996 record size 0. All four are per thread.
extern thread_local int32_t IOLastErr;
extern thread_local std::string RALastErrText;  // text of the last record-routine error
extern thread_local int32_t TxtOpenErr;         // error code of the last failed TxtOpen
extern thread_local std::string IOErrMsg;       // error text of the last failed open check

// ---- text files ----
// A text file variable. Reading takes the whole file at Reset and decodes it (UTF-8 when it is
// valid UTF-8 with non-ASCII characters, else code page 1251); lines end at CR LF, CR or LF and a
// last line without a line end is still a line. Writing converts each 1251 text to UTF-8; WriteLn
// ends lines with "\n". Opening returns the I/O error code (0 = success) and leaves it pending for
// IOResult; a write error raises EInOutError.
class TTextFile {
 public:
  // Mode numbers of the DOS-era runtime (SLwriteln checks them).
  static constexpr int32_t fmClosed = 0xD7B0;
  static constexpr int32_t fmInput = 0xD7B1;
  static constexpr int32_t fmOutput = 0xD7B2;
  static constexpr int32_t fmInOut = 0xD7B3;

  TTextFile() = default;
  ~TTextFile();  // closes; a write error at this point is dropped
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  void Assign(const std::string& FileName);
  int32_t Reset();    // open for reading
  int32_t Rewrite();  // create or empty, for writing
  int32_t Append();   // open an existing file for writing at its end

  bool Eof() const;
  // The next line as program text; empty at the end of the file.
  std::string ReadLn();
  void ReadLn(std::string& S) { S = ReadLn(); }
  // The next line's bytes as stored and its line end ("\r\n", "\r", "\n" or empty for a last line
  // without one). False at the end of the file.
  bool ReadLnRaw(std::string& Raw, std::string& Eol);
  // True when the file being read is taken as UTF-8 (else as 1251).
  bool SourceIsUtf8() const { return utf8_; }

  void Write(const std::string& S);
  void WriteLn(const std::string& S = std::string());
  // Bytes written unchanged (no conversion, no line end).
  void WriteRaw(const std::string& Bytes);
  // Writes the buffered text to the file; with Sync also to the disk. Raises on error.
  void Flush(bool Sync = false);
  // Closes the file; for a file open for writing the buffered text is written first and a write
  // error raises EInOutError (the file is closed all the same).
  void Close();

  int32_t Mode() const { return mode_; }
  bool IsOpen() const { return mode_ != fmClosed; }
  const std::string& Name() const { return name_; }

 private:
  void CheckWrite(const char* op);
  std::string name_;
  int32_t mode_ = fmClosed;
  std::FILE* out_ = nullptr;
  std::string raw_;
  std::string line_;  // the line being written, converted
  size_t pos_ = 0;
  bool utf8_ = false;
};

// Takes the pending I/O result of the last text-file open and clears it.
int32_t IOResult();

// Opens a text file: 0 reading ("Reset"), 1 new or emptied for writing ("Rewrite"), 2 appending
// ("Append"; a missing file is created instead, "Append->Rewrite"); any other mode only assigns
// the name. An open error is fatal (IOCheck).
void TxtOpen(TTextFile& F, int32_t Mode, const std::string& FileName);
// Takes the pending I/O result into IOLastErr; an error is warned and then fatal (ErrAbs) with
// "ERR(code<text>) File.Open : Mode "name"".
void IOCheck(const std::string& ModeName, const std::string& FileName);
// The Russian text of an I/O error code; empty for codes without one.
std::string IOErrText(int32_t Code);
// The name the text file was assigned, at most 260 characters.
std::string TextFileName(const TTextFile& F);
// Writes every line of the list as a line of F, which must be open for output.
void SLwriteln(TTextFile& F, const TStringList& List);
// Copies a text file line by line; the target's folder is created when missing.
void CopyTxtFile(const std::string& Source, const std::string& Target);

// ---- file names and folders ----
// The full path of a name: a relative name is completed by the current folder; "." and ".."
// levels are resolved; the result uses "/".
// Temporary copies "<File>.tmp~<pid>" left by processes that were killed (their process is gone
// or a zombie) are removed. File is a system path.
void RemoveStaleTempCopies(const std::string& File);
std::string ExpandFileName(const std::string& FileName);
std::string PathJoin(const std::string& Folder, const std::string& Name);
std::string DirSlash(const std::string& Folder);
// The path with every "\\" turned into "/".
std::string SlashPath(const std::string& Path);

// Folder + Rel, where each level of Rel ("\" or "/" separated) that does not exist as written is
// looked up in its folder without regard to case (Latin and Cyrillic letters); levels after the
// first one found in no spelling stay as written. A trailing separator of Rel is kept. Folder is
// taken as written (empty: the current folder).
std::string FindNoCase(const std::string& Folder, const std::string& Rel);

void SplitNameExt(const std::string& FileName, std::string& Name, std::string& Ext);
std::string ExtUpper(const std::string& FileName);
bool HasExt(const std::string& FileName, const std::string& Ext);
void SplitPath(const std::string& FileName, std::string& Folder, std::string& BareName,
               std::string& Ext);
bool ForceFileDir(const std::string& FileName);
bool InRangeI(int32_t X, int32_t Lo, int32_t Hi);
// "dd-Mon-yy hh:mm" of a DOS date-time stamp (day and hour blank-padded).
std::string FileDateStr(int32_t Stamp);
// Bare names of the files that match a mask ("*" and "?", case-insensitive) or, for a folder,
// of all its files; sorted by name. Folders and special files are not listed.
std::unique_ptr<TStringList> ListFiles(const std::string& MaskOrFolder);
// Open a document or program with its associated program (xdg-open), without waiting.
// The window handle is not used here. True when the opener could be started.
bool OpenDoc(uintptr_t Wnd, const std::string& FileName);
bool RunFile(uintptr_t Wnd, const std::string& FileName);

// ---- whole-file operations ----
int64_t FileSizeSS(const std::string& FileName);  // 0 when not found
int64_t FileSizeH(int Handle);                    // seeks to the end
// DOS date-time stamp (date in the high word) of the file's modification time in local time;
// 0 and false when the file is not found.
bool FileTimeSS(const std::string& FileName, int32_t& Stamp);
bool FileNewTimeCheck(const std::string& FileName, int32_t& Stamp, const std::string& Tag);
void DelFileSS(const std::string& FileName);
void DelSmallFile(const std::string& FileName);
void RenameOver(const std::string& OldName, const std::string& NewName);
std::string BackupRename(const std::string& FileName);
void FileCutBlock(const std::string& FileName, int64_t Len1, int64_t Len2, bool KeepBackup);
// Buffer: 256 bytes.
bool FileRd256(const std::string& FileName, void* Buffer);
// Raw tables of N rows of M doubles (rows 0..N-1, elements 0..M-1 of each row). False with a
// warning when the file cannot be made or read, or when the table is smaller than N x M.
bool WrTARe2(const TARe2& A, int32_t N, int32_t M, const std::string& FileName);
bool RdTARe2(TARe2& A, int32_t N, int32_t M, const std::string& FileName);

// ---- record files: header, records numbered from 1, optional tail ----
bool RAWrRec(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int64_t TailSize,
             int32_t I, const void* Rec);
bool RAWrRecNT(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
               const void* Rec);
bool RAWrRec1(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int64_t TailSize,
              int32_t I, const void* Rec);
bool RAWrRec1NT(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
                const void* Rec);
bool RARdRec(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec);
bool RARdRecF(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec);
bool RARdRec1(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I, void* Rec);
bool RARdRec1F(const std::string& FileName, int64_t HeadSize, int32_t RecSize, int32_t I,
               void* Rec);
// Position := offset from the file's start of the first byte at or after Offset that differs
// from Value; unchanged when there is none.
void RAFindNot(const std::string& FileName, int64_t Offset, uint8_t Value, int64_t& Position);
