#include "foundation/cvDirList.h"

#include <algorithm>

#include "foundation/cvFile.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace {

using TDirLess = bool (*)(const TDirRec&, const TDirRec&);
// The comparer of the sort in progress.
TDirLess g_dirLess = nullptr;

bool IsSep(char C) { return C == '/' || C == '\\'; }

// The separator a folder's names are built with: "\" for a folder written with "\" only,
// else "/".
char FolderSep(const std::string& Folder) {
  bool back = Folder.find('\\') != std::string::npos;
  bool fwd = Folder.find('/') != std::string::npos;
  return back && !fwd ? '\\' : '/';
}

// The folder with a trailing separator (none added to an empty folder).
std::string WithSep(const std::string& Folder) {
  if (Folder.empty() || IsSep(Folder.back())) return Folder;
  return Folder + FolderSep(Folder);
}

// Name part and extension (without the dot); "." and ".." are whole names.
void NameParts(const TDirRec& Rec, std::string& Name, std::string& Ext) {
  if (Rec.Name == "." || Rec.Name == "..") {
    Name = Rec.Name;
    Ext.clear();
    return;
  }
  SplitNameExt(Rec.Name, Name, Ext);
}

std::string ExtWithDot(const TDirRec& Rec) {
  std::string n, e;
  NameParts(Rec, n, e);
  return e.empty() ? std::string() : "." + e;
}

// Padding to a width that may be 0 (an empty column).
std::string PadR(const std::string& S, int32_t W) { return W < 1 ? std::string() : PadRightMark(S, W); }
std::string PadL(const std::string& S, int32_t W) { return W < 1 ? std::string() : PadLeftMark(S, W); }

bool MatchFrom(const std::string& M, size_t mi, const std::string& N, size_t ni) {
  while (mi < M.size()) {
    char m = M[mi];
    if (m == '*') {
      while (mi < M.size() && M[mi] == '*') ++mi;
      if (mi == M.size()) return true;
      for (size_t k = ni; k <= N.size(); ++k)
        if (MatchFrom(M, mi, N, k)) return true;
      return false;
    }
    if (ni >= N.size()) return false;
    if (m != '?' && UpCaseCyr(m) != UpCaseCyr(N[ni])) return false;
    ++mi;
    ++ni;
  }
  return ni == N.size();
}

}  // namespace

// ---------------------------------------------------------------- free routines

std::string DirSizeText(const TDirRec& Rec) { return Rec.IsDir() ? "(DIR)" : IntStr(Rec.Size); }

bool NameLess(const TDirRec& A, const TDirRec& B) {
  return UpCaseStrCyr(A.Name) < UpCaseStrCyr(B.Name);
}

bool ExtLess(const TDirRec& A, const TDirRec& B) {
  return UpCaseStrCyr(ExtWithDot(A)) < UpCaseStrCyr(ExtWithDot(B));
}

int32_t DirLinePathPos(const std::string& Line) {
  size_t p = Line.find('!');
  while (p != std::string::npos) {
    size_t q = Line.find('!', p + 1);
    if (q == std::string::npos) break;
    if (q - p == 5) return static_cast<int32_t>(q) + 2;  // column of q is q + 1
    p = q;
  }
  return 65;
}

bool DirMaskMatch(const std::string& Mask, const std::string& Name) {
  if (Mask == "*.*" || Mask == "*") return true;
  if (!Mask.empty() && Mask.back() == '.') {
    if (Name.find('.') != std::string::npos && Name != "." && Name != "..") return false;
    return MatchFrom(Mask.substr(0, Mask.size() - 1), 0, Name, 0);
  }
  return MatchFrom(Mask, 0, Name, 0);
}

// ---------------------------------------------------------------- TDirList

void TDirList::Clear() {
  items_.clear();
  Folder.clear();
}

void TDirList::AddMask(const std::string& PathMask) {
  size_t p = PathMask.find_last_of("/\\");
  std::string dir = p == std::string::npos ? std::string() : PathMask.substr(0, p + 1);
  std::string mask = p == std::string::npos ? PathMask : PathMask.substr(p + 1);
  if (dir.size() > 1) dir.pop_back();  // keep a bare root "/"
  std::vector<platform::TDirEntry> entries;
  if (!platform::ReadDirEntries(dir, entries)) return;
  for (auto& e : entries) {
    if (!DirMaskMatch(mask, e.Name)) continue;
    auto r = std::make_unique<TDirRec>();
    r->Attr = e.Attr;
    r->Time = e.Time;
    r->Size = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(e.Size)));
    r->Name = e.Name.size() > 255 ? e.Name.substr(0, 255) : e.Name;
    items_.push_back(std::move(r));
  }
}

bool TDirList::CollectStart(const std::string& AFolder, const char* Who) {
  if (!platform::IsDirectory(AFolder)) {
    WARN(std::string(Who) + ": Path <" + AFolder + "> Not found!");
    return false;
  }
  if (!items_.empty()) Clear();
  Folder = AFolder;
  Marker = "!----!";
  LineWidth = static_cast<int32_t>(DefaultWidth);
  return true;
}

void TDirList::Collect(const std::string& AFolder) {
  if (!CollectStart(AFolder, "DirList.Collect")) return;
  AddMask(WithSep(Folder) + "*.*");
  ComputeWidths();
  FitWidths();
}

void TDirList::CollectExt(const std::string& AFolder, const std::string& Ext) {
  if (!CollectStart(AFolder, "DirList.CollectExt")) return;
  AddMask(WithSep(Folder) + "*." + Ext);
  ComputeWidths();
  FitWidths();
}

void TDirList::CollectExtSL(const std::string& AFolder, const TStringList& Masks) {
  if (!CollectStart(AFolder, "DirList.CollectExt")) return;
  for (int i = 0; i < Masks.Count(); ++i) AddMask(WithSep(Folder) + Masks[i]);
  ComputeWidths();
  FitWidths();
}

void TDirList::ComputeWidths() {
  NameLenMax = ExtWidth = SizeWidth = 0;
  for (const auto& r : items_) {
    std::string n, e;
    NameParts(*r, n, e);
    NameLenMax = std::max<int32_t>(NameLenMax, static_cast<int32_t>(n.size()));
    ExtWidth = std::max<int32_t>(ExtWidth, static_cast<int32_t>(e.size()));
    SizeWidth = std::max<int32_t>(SizeWidth, static_cast<int32_t>(DirSizeText(*r).size()));
  }
  DateWidth = 15;
  NameWidth = NameLenMax;
  Gap = 1;
}

void TDirList::FitWidths() {
  int32_t folderLen = static_cast<int32_t>(Folder.size());
  if (folderLen + 2 > LineWidth - 1) LineWidth = folderLen + 3;
  int32_t e = NameLenMax + ExtWidth + SizeWidth + DateWidth + 5;
  if (e > LineWidth - 1) {
    NameWidth = LineWidth - ExtWidth - SizeWidth - DateWidth - 5;
    Gap = 1;
    if (NameWidth < 1) {
      // No room left for names: the line widens so that a name keeps one character.
      NameWidth = 1;
      LineWidth = ExtWidth + SizeWidth + DateWidth + 6;
    }
  } else {
    Gap = LineWidth - e + 1;
    NameWidth = NameLenMax;
  }
}

void TDirList::Exchange(int I, int J) {
  std::swap(items_.at(static_cast<size_t>(I)), items_.at(static_cast<size_t>(J)));
}

void TDirList::QuickSort(int Lo, int Hi) {
  int l = Lo;
  do {
    int i = l, j = Hi;
    const TDirRec* pivot = items_[static_cast<size_t>((l + Hi) / 2)].get();
    do {
      while (g_dirLess(*items_[static_cast<size_t>(i)], *pivot)) ++i;
      while (g_dirLess(*pivot, *items_[static_cast<size_t>(j)])) --j;
      if (i <= j) {
        if (i != j) Exchange(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) QuickSort(l, j);
    l = i;
  } while (l < Hi);
}

void TDirList::SortRange(int Lo, int Hi) {
  if (Lo < Hi && g_dirLess) QuickSort(Lo, Hi);
}

void TDirList::DirsFirst() {
  int k = 0;
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<size_t>(i)]->IsDir()) {
      if (i != k) Exchange(i, k);
      ++k;
    }
  }
  DirCount = k;
}

void TDirList::Sort() {
  DirsFirst();
  g_dirLess = NameLess;
  SortRange(0, DirCount - 1);
  g_dirLess = ExtLess;
  SortRange(DirCount, Count() - 1);
  SortExtRuns();
}

void TDirList::SortExtRuns() {
  int from = std::max<int32_t>(DirCount, 0);
  if (Count() - from < 2) return;
  g_dirLess = NameLess;
  int start = from;
  std::string runExt = ExtWithDot(*items_[static_cast<size_t>(start)]);
  for (int i = from + 1; i <= Count(); ++i) {
    std::string ext = i < Count() ? ExtWithDot(*items_[static_cast<size_t>(i)]) : std::string();
    if (i == Count() || ext != runExt) {
      if (i - start >= 2) SortRange(start, i - 1);
      start = i;
      runExt = ext;
    }
  }
}

std::string TDirList::HeaderLine() const {
  return std::string(static_cast<size_t>(std::max<int32_t>(LineWidth - 1, 0)), ':') + Marker;
}

std::string TDirList::FolderLine() const { return "  " + PadR(Folder, LineWidth - 3) + Marker; }

std::string TDirList::EntryPath(const TDirRec& Rec) const {
  if (Rec.Name == ".") return std::string();
  char sep = FolderSep(Folder);
  if (Rec.Name == "..") {
    // The parent: the folder up to and including its last separator before the final character.
    std::string parent;
    if (Folder.size() >= 2) {
      size_t p = Folder.find_last_of("/\\", Folder.size() - 2);
      if (p != std::string::npos) parent = Folder.substr(0, p + 1);
    }
    return parent + "micros.dir";
  }
  if (Rec.IsDir()) return WithSep(Folder) + Rec.Name + sep + "micros.dir";
  return WithSep(Folder) + Rec.Name;
}

std::string TDirList::EntryLine(const TDirRec& Rec) const {
  std::string n, e;
  NameParts(Rec, n, e);
  return PadR(n, NameWidth) + " " + PadR(e, ExtWidth) + " " + PadL(DirSizeText(Rec), SizeWidth) +
         " " + PadR(FileDateStr(Rec.Time), DateWidth + Gap) + Marker + EntryPath(Rec);
}

std::string TDirList::TotalsLine() const {
  uint32_t sum = 0;
  for (const auto& r : items_) sum += static_cast<uint32_t>(r->Size);
  int64_t freeBytes = platform::FreeBytesOf(Folder);
  std::string t = " " + IntStr(Count()) + " files, " + IntStr(static_cast<int32_t>(sum)) +
                  " bytes, " + I64Str(freeBytes) + " bytes free";
  return PadR(t, LineWidth - 1) + Marker;
}

std::unique_ptr<TStringList> TDirList::ListSL() const {
  auto sl = std::make_unique<TStringList>();
  sl->Add(HeaderLine());
  sl->Add(FolderLine());
  for (const auto& r : items_) sl->Add(EntryLine(*r));
  sl->Add(TotalsLine());
  return sl;
}
