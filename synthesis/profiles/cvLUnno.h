// TLUNNO: the profile list. It holds every Stokes profile set of the running program (computed,
// observed, read back, blurred copies and difference profiles) and owns them. A profile is found
// by its key (QUEST, IQ, KVARI, KDif); several may share a key, and the lookups that return one
// profile search from the end, so the one added last wins.
//
// The text form of a profile (one block per profile: a header of key=value lines, a table of
// wavelengths and Stokes values, the level-curve table when present) is written by
// TUNNO-side writers here and read back by TLUNNO::LoadFromFile. The reader keys on what the
// writer put in the block: the title's LAMB and DLVD (and LAM0 for an absolute column written
// minus a reference wavelength), the column kind, the labelled LG(TAU) and MJU lines and the note
// that tells whether the values were divided by CONT, so a written block reads back as the
// profile it came from.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"
#include "synthesis/profiles/cvUnno.h"

class TVARIATOR;
class TJob;

class TLUNNO {
 public:
  TLUNNO() = default;
  TLUNNO(const TLUNNO&) = delete;
  TLUNNO& operator=(const TLUNNO&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TUNNO* Items(int32_t I) const { return items_[static_cast<size_t>(I)].get(); }  // 0-based
  // Appends (the list owns it); returns the profile.
  TUNNO* Add(std::unique_ptr<TUNNO> U);
  void Clear() { items_.clear(); }
  // Every profile of From moved to the end of this list in its order; From is left empty.
  void TakeAll(TLUNNO& From);

  // Last ordinary profile (KDif 0) of QUEST, IQ, KVARI = KVar; IQ 0 is fatal.
  TUNNO* GetByVar(const std::string& Quest, int32_t IQ, int32_t KVar) const;
  // Last difference profile (KDif 1) of QUEST and KVARI, any step.
  TUNNO* GetDifByVar(const std::string& Quest, int32_t KVar) const;
  // Ordinary profiles of QUEST and KVARI (and IQ when not 0), in list order (not owned).
  std::vector<TUNNO*> ListByVar(const std::string& Quest, int32_t IQ, int32_t KVar) const;
  // Ordinary profiles with exactly that QUEST and IQ.
  int32_t CountQuest(const std::string& Quest, int32_t IQ) const;
  // The distinct texts QUEST " " IQ, sorted; nullptr for an empty list.
  std::unique_ptr<TStringList> QuestList() const;
  void DeleteAt(int32_t Index);
  void DeleteQuest(const std::string& Quest);
  void DeleteQuestIQ(const std::string& Quest, int32_t IQ);
  // Removes the quest's difference profiles, then makes a new one (Dif on one grid, else Dif2)
  // from each of its profiles with a reference, divided by its continuum first. One job step
  // per profile; a cancel keeps the ones made. Profiles that cannot be differenced fail the job
  // (an error naming both), the ones made before stay.
  void FillDif(TJob& Job, const std::string& Quest);

  // One observable of every profile of one slice of the quest step's grid along the probe layer
  // "#XM": X the "#XM" values, Y the observable named by Spec ("name|key=value ..."). Bad specs
  // and missing pieces warn; false when nothing was extracted (X, Y hold what was filled).
  bool ExtractCFRF(const std::string& Spec, const std::string& Quest, TARe& X, TARe& Y,
                   int32_t Slice, int32_t IQ, const std::string& Filter);

  // ---- reports (new lists) ----
  std::unique_ptr<TStringList> List() const;
  // The combination text of every profile (the working variator's; a KVARI beyond it is fatal).
  std::unique_ptr<TStringList> ReportListVary() const;
  std::unique_ptr<TStringList> ReportQuest(const std::string& Quest, int32_t IQ) const;
  std::unique_ptr<TStringList> ReportQuest4Tesk(const std::string& Quest, int32_t IQ) const;
  std::unique_ptr<TStringList> ReportVar4Tesk(const std::string& Quest, int32_t IQ,
                                              int32_t KVar) const;
  // The short blocks of the quest's last step.
  std::unique_ptr<TStringList> ReportVorn(const std::string& Quest) const;
  // The line labels of the step's combinations, each where it changes.
  std::unique_ptr<TStringList> ReportLambs(const std::string& Quest, int32_t IQ) const;

  // The blocks (TUNNO::Report) of every profile of ListByVar, in list order.
  std::unique_ptr<TStringList> ReportVar(const std::string& Quest, int32_t IQ, int32_t KVar) const;

  // Reads N blocks of a profile-list text into new profiles (the quest's earlier profiles are
  // removed first). The working variator (VariCtx().VARI) must be the quest's, with its NK
  // combinations; block k belongs to combination k. Count and order errors are the reader's
  // fatal errors (the file opened in the editor at the line).
  void LoadFromFile(const std::string& FileName, int32_t N);

 private:
  std::vector<std::unique_ptr<TUNNO>> items_;
};

// ---- writers (new lists; an item may hold CR LF) ----
// One block of the profile-list text. The profile is left as it is.
std::unique_ptr<TStringList> UnnoReport(const TUNNO& U);
// The transposed integer layout for pasting into other tools.
std::unique_ptr<TStringList> UnnoReport4Quenrad(const TUNNO& U);
// The short layout: a label line and a line of intensities (x1000).
std::unique_ptr<TStringList> UnnoReportShort(TUNNO& U);
// Appends the block (after Title when not empty) to a file, creating it when missing.
void UnnoAppendToFile(const TUNNO& U, const std::string& FileName, const std::string& Title);

// A contribution or response function of one slice stored in the thread's keeper: ExtractCFRF,
// then TLVEMO::LoadCFRF of the step's model (second word of "MOD") under the vector name of the
// probe layer (TVARIATOR::GetCFRFVemoName). Name gets the vector's name; false, with a warning,
// when nothing was stored.
bool StoreCFRF(TLUNNO& List, const std::string& Spec, const std::string& Quest, int32_t IQ,
               int32_t Slice, const std::string& Filter, std::string& Name);
