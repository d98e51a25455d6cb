// Conversion rules between quantities: a target made from one or two source quantities of a
// model by a numbered function, read from the file of ("GEDA", "CONVERT"). Used where a model
// lacks a quantity (SrcFill), to make a model's depth vector X from its depth column, and by
// AutoFill.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TVEMO;

struct TVeConvertFunc {
  int32_t ID = 0;
  std::string Name;
  std::string Comment;
};

class TVeConvertFuncList {
 public:
  // Same name and ID: nothing; same name with another ID, or same ID with another name: fatal.
  void AddRec(int32_t ID, const std::string& Name, const std::string& Comment);
  int32_t IDOf(const std::string& Name) const;
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const TVeConvertFunc& Item(int32_t I) const { return items_[static_cast<size_t>(I)]; }

 private:
  std::vector<TVeConvertFunc> items_;
};

struct TConvertRec {
  static constexpr uint32_t SetMark = 0xA5A51D1Du;
  uint32_t Mark = 0;
  std::string Target;
  std::string Source;  // one name, or two separated by one blank
  int32_t ID = 0;
  int32_t IntField = 0;  // from the file, kept
  uint32_t Visited = 0;
};

class TConvList {
 public:
  // Reads the rule file when it changed since the last read.
  void Load();
  void ReadVEFUNC() { Load(); }
  // The file to read (empty: the working-directory table's).
  void SetFile(const std::string& FileName);
  void AddConv(const std::string& Source, const std::string& Target, int32_t IntField,
               int32_t ID);
  void Clear() { items_.clear(); }
  // The rules, file and read stamp of Other.
  void CopyFrom(const TConvList& Other);
  void ResetMarks();
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TConvertRec* Item(int32_t I) const { return items_[static_cast<size_t>(I)].get(); }

 private:
  std::vector<std::unique_ptr<TConvertRec>> items_;
  std::string file_;
  int32_t stamp_ = 0;
};

// Applies one rule to model MOD; V the target on grid 0, unchanged when a source is missing.
void TryConvertVEMO(const TConvertRec& Rule, const std::string& MOD, TVEMO*& V);
// Builds quantity NAME of model MOD on grid 0 through the rules (chains included), later rules
// first; V nullptr when it cannot.
void ConvertVEMO(const std::string& MOD, const std::string& NAME, TVEMO*& V);
