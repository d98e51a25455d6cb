// A folder's entries (all, one extension, or several masks), ordered and rendered as a
// fixed-width listing. Every listing line carries, behind the marker "!----!", the path the line
// stands for; a sub-folder's line points to the pseudo-file "micros.dir" inside it (a link, no
// such file is written).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

// One entry of a folder.
class TDirRec {
 public:
  uint16_t Attr = 0;  // attribute word; 0x10 marks a directory
  int32_t Time = 0;   // packed DOS date-time of the last write
  int32_t Size = 0;   // bytes (2 GiB and more show negative)
  std::string Name;   // without folder, at most 255 characters

  bool IsDir() const { return (Attr & 0x10) != 0; }
};

class TDirList {
 public:
  static constexpr uint32_t InitWidth = 59;

  TDirList() = default;
  TDirList(const TDirList&) = delete;
  TDirList& operator=(const TDirList&) = delete;

  std::string Folder;
  std::string Marker;
  int32_t DirCount = 0;
  int32_t NameLenMax = 0;
  int32_t NameWidth = 0;
  int32_t ExtWidth = 0;
  int32_t DateWidth = 0;
  int32_t SizeWidth = 0;
  int32_t Gap = 0;
  uint32_t DefaultWidth = InitWidth;
  int32_t LineWidth = 0;

  int Count() const { return static_cast<int>(items_.size()); }
  // Entry i (0-based); the list keeps owning it. Out of range throws std::out_of_range.
  TDirRec* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }

  // Frees every entry and empties Folder; widths and DirCount stay.
  void Clear();
  // Appends one entry per file-system entry matching the wildcard path, in file-system order.
  void AddMask(const std::string& PathMask);
  // All entries of a folder, with column widths; not sorted.
  void Collect(const std::string& AFolder);
  // The entries matching "*." + Ext; not sorted.
  void CollectExt(const std::string& AFolder, const std::string& Ext);
  // For each mask in list order, the entries matching it (once per matching mask); not sorted.
  void CollectExtSL(const std::string& AFolder, const TStringList& Masks);

  // Directories first by name, then files by extension and, within an extension, by name.
  void Sort();
  // Moves directories to the front (keeping their order) and sets DirCount.
  void DirsFirst();
  // Sorts by name every run of equal extension (case included) from DirCount on.
  void SortExtRuns();

  void ComputeWidths();
  void FitWidths();

  // The listing text: header, folder line, one line per entry, totals line.
  std::unique_ptr<TStringList> ListSL() const;
  std::string HeaderLine() const;
  std::string FolderLine() const;
  std::string EntryLine(const TDirRec& Rec) const;
  std::string TotalsLine() const;
  // The path a listing line stands for ("" for ".").
  std::string EntryPath(const TDirRec& Rec) const;

  void Exchange(int I, int J);

 private:
  bool CollectStart(const std::string& AFolder, const char* Who);
  void SortRange(int Lo, int Hi);
  void QuickSort(int Lo, int Hi);

  std::vector<std::unique_ptr<TDirRec>> items_;
};

// "(DIR)" for a directory, else the decimal size.
std::string DirSizeText(const TDirRec& Rec);
// Name order: upper-cased whole names (Cyrillic included) compared by character code.
bool NameLess(const TDirRec& A, const TDirRec& B);
// Extension order: the same on the extensions with their dot (none sorts first).
bool ExtLess(const TDirRec& A, const TDirRec& B);
// The column (1-based) at which the paths of a listing line begin: one past the second of two
// "!" five columns apart; 65 when there is no such pair.
int32_t DirLinePathPos(const std::string& Line);
// True when Name matches the wildcard mask ("*", "?"; letters compared without case; "*.*"
// matches every name, a mask ending in "." only names without an extension).
bool DirMaskMatch(const std::string& Mask, const std::string& Name);
