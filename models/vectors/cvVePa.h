// The physical-parameter list: the quantities a model vector may hold, read from the files of
// ("GEDA", "VEMO"), ("GEDA", "SCALES") and ("GEDA", "REPORT"), each with its kind (1 for a
// depth scale), up to three display scales and a report format. Vectors copy the scales and the
// format of their quantity when they are made.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

// One display scale.
struct TModSCAL {
  char TYP = 0;
  double MIN = 0, MAX = 0, STEP = 0;

  void Set(char Typ, double Min, double Max, double Step);
  void Clear();
  std::unique_ptr<TModSCAL> Copy() const;
  // "TYP=.. MIN=.. MAX=.. STEP=.."; "ModScal Not Assigned!" for nullptr.
  static std::string Text(const TModSCAL* S);
};

// The report format of a column.
struct TModREP {
  int32_t KOut = 0;
  bool Skip = false;  // KOut = 0: left out of the keeper's reports
  char Ch = 'N';      // conversion before printing (E L N R T e l)
  char ChF = 'E';     // number format: E, F or R (default real text)
  double Mul = 1;
  int32_t Dig = 0;
  int32_t D0 = 0;
  int32_t W0 = 0;  // requested width: 0 compute, < 0 default real text, >= 1 given
  int32_t W = 0;   // width in use
  std::string Hd;
  uint8_t KA = 0;  // 1 set from the file, 2 width computed
  bool Edited = false;  // changed by hand in the VEMO table: not attached again from the list

  void Set(int32_t KOut, char Ch, const std::string& Hd, int32_t W0, int32_t Dig, double Mul);
  void Clear();
  std::unique_ptr<TModREP> Copy() const;
};

struct TPhysParamRec {
  std::string Key;
  std::string Name;
  int32_t Kind = 0;
  std::unique_ptr<TModSCAL> SCALE[4];  // 1..3 used
  std::unique_ptr<TModREP> RepSet;

  // TYP MIN MAX STEP of scale N (4 significant digits); empty when absent.
  std::string ScaleStr(int32_t N) const;
};

class TPhysParamList {
 public:
  // True when anything was read. VEMO re-read: all definitions replaced, then SCALES and REPORT
  // read again; otherwise each of SCALES and REPORT read when its file changed.
  bool ReadVEMO();
  bool ReadScales();
  bool ReadRepo();
  // The same from named files (tests and the harness).
  void SetFiles(const std::string& Vemo, const std::string& Scales, const std::string& Report);

  void SetScal(const std::string& Key, int32_t N, double Min, double Max, double Step, char Typ);
  void SetRep(const std::string& Key, int32_t KOut, const std::string& Hd, int32_t W0,
              int32_t Dig, double Mul, char Ch);
  // Adds a definition (tests, and the readers).
  TPhysParamRec& Add(const std::string& Key, const std::string& Name, int32_t Kind);

  const TPhysParamRec* GetByKey(const std::string& Key) const;
  bool IsKey(const std::string& Key) const { return GetByKey(Key) != nullptr; }
  int32_t KindOf(const std::string& Key) const;
  std::string GetScaleStr(const std::string& Key, int32_t N) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const TPhysParamRec& Item(int32_t I) const { return *items_[static_cast<size_t>(I)]; }
  void Clear();

  std::unique_ptr<TStrList> REPORT() const;
  std::unique_ptr<TStrList> REPORTScales() const;

 private:
  std::string FileOf(const std::string& Func) const;
  std::vector<std::unique_ptr<TPhysParamRec>> items_;
  std::string vemoFile_, scalesFile_, reportFile_;  // empty: the working-directory table's
  int32_t stampVemo_ = 0, stampScales_ = 0, stampReport_ = 0;
};
