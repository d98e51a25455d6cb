// The class library's string list, as the program uses it: lines indexed from 0, an object
// pointer per line, optional sorting, name=value access, and text-file load and save.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TStringList {
 public:
  enum class TDuplicates { dupIgnore, dupAccept, dupError };

  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines);
  virtual ~TStringList() = default;
  TStringList(const TStringList&) = default;
  TStringList& operator=(const TStringList&) = default;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& operator[](int i) const { return items_[static_cast<size_t>(i)].s; }
  std::string& operator[](int i) { return items_[static_cast<size_t>(i)].s; }
  const std::string& Strings(int i) const { return (*this)[i]; }
  void Put(int i, const std::string& s) { items_[static_cast<size_t>(i)].s = s; }
  void* Objects(int i) const { return items_[static_cast<size_t>(i)].obj; }
  void PutObject(int i, void* obj) { items_[static_cast<size_t>(i)].obj = obj; }

  // Add on a sorted list inserts in order (and honours Duplicates); returns the index.
  int Add(const std::string& s);
  int AddObject(const std::string& s, void* obj);
  void AddStrings(const TStringList& other);
  // The same, taking the lines (and objects) out of Other, which is left empty.
  void AddStrings(TStringList&& other);
  void Insert(int i, const std::string& s);
  void InsertObject(int i, const std::string& s, void* obj);
  void Delete(int i);
  virtual void Clear();
  void Exchange(int i, int j);
  void Move(int from, int to);

  // Comparison follows CaseSensitive (off by default, as in the class library): letters of code
  // page 1251, Latin and Cyrillic, compare without case.
  int IndexOf(const std::string& s) const;
  // Binary search of a sorted list: true and the index when found, else the insertion index.
  bool Find(const std::string& s, int& index) const;
  void Sort();
  void CustomSort(int (*compare)(const TStringList& list, int i, int j));
  int CompareStrings(const std::string& a, const std::string& b) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  bool CaseSensitive = false;
  TDuplicates Duplicates = TDuplicates::dupIgnore;

  // Lines joined, each followed by CR LF.
  std::string Text() const;
  // Cut at CR LF, CR or LF; a final line end adds no empty line.
  void SetText(const std::string& text);

  // name=value lines
  std::string Names(int i) const;
  std::string Values(const std::string& name) const;
  void SetValue(const std::string& name, const std::string& value);
  int IndexOfName(const std::string& name) const;

  // Text files: read as UTF-8 when valid UTF-8 with non-ASCII characters, else as code page 1251;
  // written in UTF-8. An open error is fatal with the file layer's text.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  std::vector<std::string> Lines() const;

 private:
  struct Item {
    std::string s;
    void* obj = nullptr;
  };
  std::vector<Item> items_;
  bool sorted_ = false;
};

// The program's own string list: clears itself when destroyed.
class TStrList : public TStringList {
 public:
  using TStringList::TStringList;
  ~TStrList() override { TStrList::Clear(); }
  void Clear() override { TStringList::Clear(); }
};
