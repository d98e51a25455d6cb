// The map slots of a scan: each names one map that the scan's map calculations fill or read. A
// slot holds the map's key (date, time, name, version) and finds the map in the registry on every
// use, so a map the registry has freed (ClearAll, ReFineList, Remove) leaves the slot empty
// instead of naming freed memory; a map registered again under the same key is found again.
#pragma once
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

class TFIOut;

class TMapSlot {
 public:
  // The live registered map of the key; null when the slot is empty, the registry is missing or
  // holds no live map of the key.
  TFIOut* Get() const;
  // Names Map (its key as it is now); null empties the slot.
  void Set(const TFIOut* Map);
  void Reset();
  bool Named() const { return !name_.empty(); }
  const std::string& Name() const { return name_; }

  explicit operator bool() const { return Get() != nullptr; }
  TFIOut* operator->() const { return Get(); }

 private:
  std::string da_, ti_, name_, ver_;
};

// Slots with the index range Lo..Hi (out-of-range indices are a programming error: at()).
template <int Lo, int Hi>
class TSlotRange {
 public:
  static constexpr int kLo = Lo, kHi = Hi;
  TMapSlot& operator[](int I) { return s_.at(static_cast<size_t>(I - Lo)); }
  const TMapSlot& operator[](int I) const { return s_.at(static_cast<size_t>(I - Lo)); }
  void Reset() {
    for (TMapSlot& s : s_) s.Reset();
  }

 private:
  std::array<TMapSlot, Hi - Lo + 1> s_;
};

// OuAny[k, n]: k = 1..23, line n = 1, 2.
class TSlotBank {
 public:
  TMapSlot& At(int K, int N) { return s_[Index(K, N)]; }
  const TMapSlot& At(int K, int N) const { return s_[Index(K, N)]; }
  void Reset() {
    for (TMapSlot& s : s_) s.Reset();
  }

 private:
  static size_t Index(int K, int N) {
    if (K < 1 || K > 23 || N < 1 || N > 2) throw std::out_of_range("OuAny[k, n]");
    return static_cast<size_t>((K - 1) * 2 + (N - 1));
  }
  std::array<TMapSlot, 46> s_;
};

// The slots of a scan, by the names the calculations use.
struct TScanMapSlots {
  TMapSlot MeH, MeGM, MeHL, MeX, MeY;
  TSlotRange<1, 8> OuWork;
  TSlotBank OuAny;
  TMapSlot OuCont, OuGc1, OuGc2, OuKVI, OuW1, OuW2, OuH1, OuH2, OuHG1, OuHG2;
  TSlotRange<1, 4> OuD0;
  TSlotRange<3, 5> Ou35C1, Ou35C2, Ou35I1, Ou35I2, Ou35D1, Ou35D2;
  TSlotRange<1, 9> OuBiC1, OuBiC2, OuBiW1, OuBiW2;
  TMapSlot OuCnt, OuVc1, OuVc2, OuRot;
  TSlotRange<1, 38> OuCore;

  // Every slot emptied (a scan linked to another folder names none of the old scan's maps).
  void ResetSlots();
};

// The kind text of a map kind: 1 "CV", 2 "ME", 3 "M2", any other "XX".
std::string FOKindText(int32_t Kind);
