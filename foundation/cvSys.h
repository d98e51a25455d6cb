// The editor's file history (a stack of the texts passed through and the last position in every
// text), CRC-32, the Windows-1251 <-> DOS 866 tables, and system information (process names,
// drives, the system language, the keyboard layout letter and the lock keys).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---- file history ----

// The position block the editor hands over and gets back: caret line and column (1-based),
// CRC-32 of the caret line's text, flags (bit 0: the text was writable).
struct TFPosBlock {
  int32_t Line = 0;
  int32_t Column = 0;
  uint32_t CRC = 0;
  uint32_t Flags = 0;
};
static_assert(sizeof(TFPosBlock) == 16);

// One remembered position.
class TFStackRec {
 public:
  int32_t Number = 0;          // the history (TFiler::Number) the record belongs to
  uint32_t VolumeSerial = 0;   // of the drive the file lies on; 0 without a drive letter
  std::string FileName;        // file, folder or list title
  int32_t Line = 0;
  int32_t Column = 0;
  uint32_t CRC = 0;
  uint32_t Flags = 0;          // low byte used
  char Drive = 0;              // drive letter in lower case, or 0
  char Kind = 0;               // 'F' file, 'L' generated list, 'M' folder listing
  int32_t LineCount = 0;

  TFPosBlock Block() const { return {Line, Column, CRC, Flags}; }
  void SetBlock(const TFPosBlock& B);

  // Fills Rec; a missing record is warned about and nothing else happens.
  static void SetData(TFStackRec* Rec, int32_t Number, char Kind, const std::string& FileName,
                      int32_t LineCount, const TFPosBlock& Block);
};

// A list of records that owns them.
class TVFSList {
 public:
  virtual ~TVFSList() = default;
  int Count() const { return static_cast<int>(items_.size()); }
  TFStackRec* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  void Add(std::unique_ptr<TFStackRec> Rec) { items_.push_back(std::move(Rec)); }
  void Insert(int i, std::unique_ptr<TFStackRec> Rec) {
    items_.insert(items_.begin() + i, std::move(Rec));
  }
  // Takes entry i out of the list and hands it over.
  std::unique_ptr<TFStackRec> Extract(int i);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TFStackRec>> items_;
};

// The stack, newest last.
class TVFSStackList : public TVFSList {};
// One record per name, in ascending byte order of FileName (case included).
class TVFSEnterList : public TVFSList {};

class TFiler {
 public:
  TVFSStackList Stack;
  TVFSEnterList Enter;
  int32_t Number = 0;
  std::string Folder;  // folder of the history files, with its trailing separator

  // Appends the records of Folder + "Enter.txt" and Folder + "Stack.txt" where they exist.
  void Load();
  // Remembers a position: a record onto Stack and a copy into Enter.
  void PushFile(char Kind, const std::string& FileName, int32_t LineCount,
                const TFPosBlock& Block);
  // An entry of the same name takes Rec's block (and Rec is dropped); else Rec is inserted in
  // name order.
  void EnterAdd(std::unique_ptr<TFStackRec> Rec);
  // The block remembered for FileName; all zeros (and false) when there is none.
  bool FindEnter(const std::string& FileName, TFPosBlock& Block) const;
  // The newest record of Stack, taken off it; nullptr when Stack is empty.
  std::unique_ptr<TFStackRec> PopFile();
};

// One record from one line of a history file; nullptr after a warning.
std::unique_ptr<TFStackRec> StrToFStackRec(const std::string& Line);

// ---- CRC-32 (ISO-HDLC: reflected polynomial EDB88320, as zlib) ----
uint32_t BufCRC32(const void* Buffer, size_t Length);
uint32_t StrCRC32(const std::string& Text);  // 0 for an empty text

// ---- code pages, one byte for one byte ----
std::string StrWinToDos(const std::string& Text);  // Windows-1251 -> DOS 866
std::string StrDosToWin(const std::string& Text);  // DOS 866 -> Windows-1251
// The 256-byte tables themselves.
const uint8_t* WinToDosTable();
const uint8_t* DosToWinTable();

// ---- system information ----
// The executable name of a process; empty when not found.
std::string ProcessNameByID(int64_t ProcessId);
// The volume serial number of a drive (there are no drives here: 0).
uint32_t VolumeSerial(char DriveLetter);
// The system's default language: its name + " SystemDefaultLangID=$" + the id in 4 hex digits.
std::string SystemLanguageText();
// The program's keyboard layout: 'E' English, 'R' Russian, else ' ' with a warning.
char KbLayoutChar();
// 'C' CapsLock, 'N' NumLock, 'S' ScrollLock: 'U' when on, else 'D'.
char KeyLockState(char Letter);
char CapsLockState();
