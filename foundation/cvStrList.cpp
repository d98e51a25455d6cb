#include "foundation/cvStrList.h"

#include <algorithm>
#include <stdexcept>

namespace {
unsigned char FoldCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);  // Cyrillic small letters
  if (c == 0xB8) return 0xA8;                                // ё
  return c;
}
}  // namespace

TStringList::TStringList(std::initializer_list<std::string> lines) {
  for (const auto& l : lines) items_.push_back({l, nullptr});
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
  if (CaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = FoldCase(static_cast<unsigned char>(a[i]));
    unsigned char y = FoldCase(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, void* obj) {
  if (!sorted_) {
    items_.push_back({s, obj});
    return Count() - 1;
  }
  int index;
  if (Find(s, index)) {
    if (Duplicates == TDuplicates::dupIgnore) return index;
    if (Duplicates == TDuplicates::dupError)
      throw std::runtime_error("String list does not allow duplicates");
  }
  items_.insert(items_.begin() + index, {s, obj});
  return index;
}

void TStringList::AddStrings(const TStringList& other) {
  // The count is taken once, so a list can append a copy of itself.
  const int n = other.Count();
  for (int i = 0; i < n; ++i) {
    std::string s = other[i];
    AddObject(s, other.Objects(i));
  }
}

void TStringList::AddStrings(TStringList&& other) {
  if (&other == this || sorted_) {
    AddStrings(static_cast<const TStringList&>(other));
  } else if (items_.empty()) {
    items_ = std::move(other.items_);
  } else {
    const size_t need = items_.size() + other.items_.size();
    if (need > items_.capacity()) items_.reserve(std::max(need, 2 * items_.capacity()));
    for (Item& i : other.items_) items_.push_back(std::move(i));
  }
  if (&other != this) other.items_.clear();
}

void TStringList::Insert(int i, const std::string& s) { InsertObject(i, s, nullptr); }

void TStringList::InsertObject(int i, const std::string& s, void* obj) {
  if (i < 0 || i > Count()) throw std::out_of_range("List index out of bounds");
  items_.insert(items_.begin() + i, {s, obj});
}

void TStringList::Delete(int i) {
  if (i < 0 || i >= Count()) throw std::out_of_range("List index out of bounds");
  items_.erase(items_.begin() + i);
}

void TStringList::Clear() { items_.clear(); }

void TStringList::Exchange(int i, int j) {
  if (i < 0 || i >= Count() || j < 0 || j >= Count())
    throw std::out_of_range("List index out of bounds");
  std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
}

void TStringList::Move(int from, int to) {
  if (from == to) return;
  if (from < 0 || from >= Count() || to < 0 || to >= Count())
    throw std::out_of_range("List index out of bounds");
  Item it = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, it);
}

int TStringList::IndexOf(const std::string& s) const {
  if (sorted_) {
    int index;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(items_[static_cast<size_t>(i)].s, s) == 0) return i;
  return -1;
}

bool TStringList::Find(const std::string& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareStrings(items_[static_cast<size_t>(mid)].s, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (Duplicates != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) {
    return CompareStrings(a.s, b.s) < 0;
  });
}

void TStringList::CustomSort(int (*compare)(const TStringList& list, int i, int j)) {
  // Sort a permutation with the caller's comparison of positions, then apply it.
  std::vector<int> order(items_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(items_[static_cast<size_t>(i)]);
  items_ = std::move(sorted);
}

void TStringList::SetSorted(bool v) {
  if (v && !sorted_) Sort();
  sorted_ = v;
}

std::string TStringList::Text() const {
  std::string t;
  for (const auto& it : items_) {
    t += it.s;
    t += "\r\n";
  }
  return t;
}

void TStringList::SetText(const std::string& text) {
  Clear();
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t j = i;
    while (j < n && text[j] != '\r' && text[j] != '\n') ++j;
    Add(text.substr(i, j - i));
    if (j < n && text[j] == '\r') ++j;
    if (j < n && text[j] == '\n') ++j;
    i = j;
  }
}

std::string TStringList::Names(int i) const {
  const std::string& s = (*this)[i];
  size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = (*this)[i];
    size_t p = s.find('=');
    if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  int i = IndexOfName(name);
  if (i < 0) return std::string();
  const std::string& s = (*this)[i];
  return s.substr(s.find('=') + 1);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(name + "=" + value);
  } else {
    Put(i, name + "=" + value);
  }
}

std::vector<std::string> TStringList::Lines() const {
  std::vector<std::string> v;
  v.reserve(items_.size());
  for (const auto& it : items_) v.push_back(it.s);
  return v;
}
