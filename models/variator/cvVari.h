// The parameter variator: an ordered set of parameters, each a key ("#LAM", "#MOD") with one or
// more value texts. A parameter with several values is a dimension of a grid; the variator spans
// NK combinations of the values of all dimensions (the last dimension running fastest) and one of
// them, KIdx, is current. Every calculation reads its parameters through the accessors below at
// the moment it needs them; every read raises the parameter's use counter NUse.
//
// Positions J of parameters and value numbers I count from 1. The multi-valued parameters stand
// first, as a block in the order of their dimension numbers (a joined parameter right after the
// first parameter of its dimension); the single-valued ones follow in the order they were added.
// "Fatal" below is the layer's fatal path (ModFatal): an EInOutError with the exact text.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

// The value texts of one parameter; value I is item I - 1.
class TVals : public TStringList {};

constexpr uint32_t VariRecLive = 0xA5A55A5A;
// The most dimensions a variator may have.
constexpr int32_t VariMaxDims = 256;

// One parameter.
struct TVariRec {
  uint32_t KObj = VariRecLive;  // guard word; 0 once cleared
  std::string Key;              // as written, normally with its leading "#"
  TVals Vals;
  int32_t NUse = 0;     // reads of one of its values
  int32_t LIdx = 0;     // dimension number, 0 for a single value
  int32_t Kind = 0;     // 0 single, 1 first of its dimension, 2 joined to the one before
  std::string SrcFile;  // control file it was read from
  std::string Src;      // "S" from one line, "SL" from a list of lines
  int32_t SrcLine = 0;
  char GCh = 0;        // mark of the variator tab; 0 unset
  uint32_t Stamp = 0;  // ms stamp taken from the variator or given to UpDate

  int32_t NVals() const { return Vals.Count(); }
  // Values emptied, guard 0.
  void Clear();
  std::unique_ptr<TVariRec> Copy() const;
};

class TVARIATOR {
 public:
  // A variator without quest or step (the width variator).
  TVARIATOR() = default;
  // Create(QUEST, IQ): an empty variator.
  TVARIATOR(std::string Quest, int32_t Step);
  ~TVARIATOR();
  TVARIATOR(const TVARIATOR&) = delete;
  TVARIATOR& operator=(const TVARIATOR&) = delete;

  std::string QUEST;
  int32_t IQ = 0;
  int32_t NK = 0;
  int32_t KIdx = 0;
  int32_t NAdd = 0;
  uint32_t Stamp = 0;
  int32_t LastJ = 0;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The record at position J (1..Count), nullptr outside.
  TVariRec* Rec(int32_t J) const;

  // ---- value accessors (current combination KIdx) ----
  std::string GetS(const std::string& Key);
  std::string GetSK(const std::string& Key);
  std::string GetS0(const std::string& Key);
  std::string GetSDef(const std::string& Key, const std::string& Default);
  int32_t GetI(const std::string& Key, int32_t Default);
  // Numbers, "C <number>" and "$<name>" (the value of another parameter; a chain that comes
  // back to a key it passed, or longer than VariRefDepth, warns and gives the default).
  double GetR(const std::string& Key, double Default);
  double GetRK(const std::string& Key);
  char ValKind(const std::string& Key);
  uint32_t KeyStamp(const std::string& Key) const;
  static constexpr int32_t VariRefDepth = 64;

  // ---- structure ----
  int32_t KeyIdx(const std::string& Key) const;
  bool NoKey(const std::string& Key) const { return KeyIdx(Key) == 0; }
  TVariRec* FindRec(const std::string& Key) const;
  int32_t NVals(const std::string& Key) const;
  bool IsJoined(const std::string& Key) const;
  int32_t ValIdx(const std::string& Key, const std::string& Text) const;
  int32_t NValsOfPar(int32_t J) const;
  std::string KeyOfPar(int32_t J) const;
  int32_t LIdxOfPar(int32_t J) const;
  std::string ValOfPar(int32_t J, int32_t I) const;
  int32_t GetJSI(int32_t J, const std::string& Text) const;
  int32_t GetML() const;
  int32_t GetLNI(int32_t L) const;
  int32_t CountLIdx(int32_t L) const;
  int32_t GetNJPar() const;
  int32_t DimValIdx(int32_t L, int32_t K) const;
  int32_t KeyValIdx(const std::string& Key) const;
  std::string GetJKS(int32_t J, int32_t K);
  std::string GetPKS(const std::string& Key, int32_t K);
  std::string GetPKS0(const std::string& Key, int32_t K);
  // The combination text of K ("#A=2 #B=x"). It describes the combination and counts no use,
  // so that a varied key no calculation reads stays visible to DelUnused and its callers.
  std::string GetKS(int32_t K) const;
  bool CheckKIdx() const;
  std::string QuestName() const;

  // ---- building ----
  void AddP(const std::string& Text);
  void AddPQOneStr(const std::string& Text, bool Whole);
  void AddPSL(const TStringList* List);
  // Takes the record; false (with a warning) when it was refused.
  bool AddPRec(std::unique_ptr<TVariRec> Rec);
  void ConcateP(const std::string& Text);
  void ConcatePSL(const TStringList* List);
  bool ConcatePRec(std::unique_ptr<TVariRec> Rec);
  void DelJ(int32_t J);
  // The parameters at positions J and J + 1 change places (nothing when J + 1 is none).
  void ExchangeJ(int32_t J);
  std::string DelUnused();
  // After a run: the keys nothing read (no use counted) leave the variator, the varied ones
  // excepted, which stay marked read (the grid numbers the run's combinations). Gone: the removed
  // keys; returns the varied keys kept (both blank-separated, in key order).
  std::string DropUnread(std::string& Gone);
  void Clear();
  void IncUse();
  void ClearUse();
  void MarkUsed(const std::string& Key);
  void SetSrc(const std::string& File, int32_t Line);
  std::unique_ptr<TVARIATOR> Clone() const;
  void Check(const std::string& Caption) const;
  void RecalcNK();

  // ---- changes and combination choice ----
  void UpDate(const std::string& Key, const std::string& Value, uint32_t NewStamp);
  void Append(const std::string& Key, const std::string& Value, bool& Added);
  void ConAppend(const std::string& ParentKey, TVariRec* Rec, const std::string& Value,
                 const std::string& Key);
  void MoveToTail(const std::string& Key);
  void StepK(const std::string& Key, int32_t N);
  // The ascending combinations in which each key takes its value number. Walking NK
  // combinations checks the thread's job for cancel (an empty result once cancelled).
  std::vector<int32_t> GetK(const std::string& Keys, const std::vector<int32_t>& Indices);
  int32_t GetKByStr(const std::string& Keys, const std::string& Indices);
  void GetCFRFVemoName(std::string& Name, std::string& Scale);

  // ---- reports (new lists) ----
  std::unique_ptr<TStringList> ParList() const;
  // Walks all NK combinations: progress and cancel through the thread's job every few
  // thousand combinations (a cancelled walk ends the list early).
  std::unique_ptr<TStringList> VariantList();
  std::unique_ptr<TStringList> ReportDump() const;
  std::unique_ptr<TStringList> MultiKeys() const;
  std::unique_ptr<TStringList> DiffKeys(const TVARIATOR* Other) const;
  std::unique_ptr<TStringList> GetValsSL(const std::string& Key) const;

  // ---- control text ----
  // The read parameters and every varied one as control text.
  std::unique_ptr<TStringList> CtrlTextUse() const;
  std::unique_ptr<TStringList> CtrlTextAll() const;
  // Mode: 1 rewrite, 2 append.
  void SaveCtrlText(const std::string& FileName, int32_t Mode) const;

 private:
  enum class TRRead { Number, Default, NotANumber };
  TRRead GetRChain(const std::string& Key, std::vector<std::string>& Chain, double& Value,
                   std::string& Text);
  void ConcateExpand(const std::string& Key);
  void InsertRec(int32_t J, std::unique_ptr<TVariRec> Rec);  // J: 1-based position it takes
  std::unique_ptr<TVariRec> TakeRec(int32_t J);
  void AddPText(const std::string& Text, bool QOne, bool Whole);
  void ConcateCheckAndInsert(std::unique_ptr<TVariRec> R, const std::string& What,
                             const std::string& Text);
  void ValueDims(std::vector<int32_t>& Counts) const;
  std::vector<std::unique_ptr<TVariRec>> items_;
};

// Key as the variator stores it: trimmed, with a "#" in front when it has none.
std::string VariKey(const std::string& Key);

// The accessors that cope with no variator at all.
std::string GetS0(TVARIATOR* V, const std::string& Key);
double GetR(TVARIATOR* V, const std::string& Key, double Default);

// The expansion callback of "$" parameters (installed on the variator list at start-up).
void SpreadFunc(const std::string& Text, std::string& Result);
