// Settings sets: one named section of an ini-style file, held as ordered key and value texts.
// Keys are exact (case-sensitive, not trimmed); a true flag is stored as "1", a false one by
// removing the key. Saving rewrites only the set's own section and keeps every other line.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvStrList.h"

class TTunes {
 public:
  // Creates the lists, expands FileName to a full path, takes it as input and output file and
  // loads the section.
  TTunes(const std::string& Name, const std::string& FileName);
  ~TTunes();
  TTunes(const TTunes&) = delete;
  TTunes& operator=(const TTunes&) = delete;

  // Empties and frees both lists and clears Name, InFile and OutFile.
  void FreeLists();
  // Takes another file as input and output and merges its section into the set.
  void Reload(const std::string& FileName);
  void Load();
  // Reads the set's section; entries already held stay (a key read again takes the new value).
  // A missing file is no error: its name is remembered where InFile or OutFile are empty.
  void LoadFromFile(const std::string& FileName);
  void Save();
  // Rewrites the file with the set's section in place of the old one (or appended at the end).
  // Every other line keeps its bytes and line end; the section is written in the file's code
  // page (1251 or UTF-8, as the file was read; a new file is UTF-8) and its first line end.
  // The new text goes to a temporary file in the same folder, which is completely written,
  // flushed to disk and then renamed over the file in one step: the file is never seen half
  // written, and when writing fails it stays as it was and the temporary file is removed
  // (the error is raised as EInOutError).
  void SaveToFile(const std::string& FileName);

  int Count() const;
  std::string Get(const std::string& Key) const;
  std::string GetDef(const std::string& Key, const std::string& Default) const;
  int32_t GetInt(const std::string& Key) const;
  int32_t GetIntDef(const std::string& Key, int32_t Default) const;
  // Code: 0 success, else the position of the first bad character; -1 (result 8421504) for an
  // empty or absent value.
  int32_t GetIntCode(const std::string& Key, int32_t& Code) const;
  // True only for a value of exactly "1", "Y" or "y". For a set that may not exist use TunesFlag.
  bool Flag(const std::string& Key) const;

  void Set(const std::string& Key, const std::string& Value);
  void SetInt(const std::string& Key, int32_t Value);
  void SetFlag(const std::string& Key, bool Value);
  void SetBool(const std::string& Key, bool Value) { SetFlag(Key, Value); }
  // Removes the last entry with the key.
  void Clear(const std::string& Key);

  // Second words of the keys whose first word is Word ("|...|" counts as one word), no repeats.
  std::unique_ptr<TStringList> SubNames(const std::string& Word) const;
  // Third words of the keys whose first two words are those of Words.
  std::unique_ptr<TStringList> SubNames2(const std::string& Words) const;
  void TestPrint() const;

  std::unique_ptr<TStringList> Names;   // keys, in the order they were first set
  std::unique_ptr<TStringList> Values;  // value i belongs to key i
  std::string Name;
  std::string InFile;
  std::string OutFile;

 private:
  int IndexOfKey(const std::string& Key) const;
};

// TTunes.Flag through a pointer: a set that was never created (nullptr) is fatal (ErrAbs).
bool TunesFlag(const TTunes* Tunes, const std::string& Key);
