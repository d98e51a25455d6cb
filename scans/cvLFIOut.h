// The map registry: every map the program knows, whatever its scan and kind, identified by scan
// date Da, time Ti, Name and algorithm version Ver. The registry owns its maps: only it frees
// them (Remove, ReFineList, ClearAll, ClearOwnBySrc); lookups never free. It keeps the main
// headers of the map files it read (one card list per kind) and walks map files to register
// their maps. Its one instance lives in the scan services (LFIOReg); the GUI thread uses it.
// Version rule: equal versions match; a map of version "220101" also matches an empty requested
// version and a map without version matches "220101".
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFIOut;
class TJob;
class TLFITS;
class TStringList;

class TLFIOut {
 public:
  TLFIOut();
  ~TLFIOut();
  TLFIOut(const TLFIOut&) = delete;
  TLFIOut& operator=(const TLFIOut&) = delete;

  std::vector<std::unique_ptr<TFIOut>> Items;  // null and dead items tolerated until ReFineList
  std::unique_ptr<TStringList> HcvSL, HmeSL, Hm2SL;
  // A job's own registry: lookups not found here look in Base (read only) until ClearAll, which
  // is then applied to Base by Adopt.
  const TLFIOut* Base = nullptr;
  bool BaseCleared = false;

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  TFIOut* Item(int32_t I) const;

  // ---- lookups ----
  TFIOut* FindName(const std::string& Name, int32_t Start, int32_t& Index) const;
  TFIOut* GetFIOut(const std::string& Da, const std::string& Ti, const std::string& Name,
                   const std::string& Ver) const;
  TFIOut* GetFIOutDT(const std::string& Da, const std::string& Ti, const std::string& Name) const;
  TFIOut* FindByDTName(const std::string& Key, const std::string& Name) const;
  TFIOut* FindByKey(const std::string& Key) const;
  int32_t IndexOfFO(const TFIOut* Map) const;
  bool SameSrc() const;
  char CurSrcChar() const;

  // ---- changes ----
  TFIOut* AddFIOut(const std::string& Key, const std::string& Name, const std::string& Title,
                   const std::string& Ver, int32_t Kind, int32_t NX, int32_t NY, TLFITS* Owner);
  TFIOut* Add(std::unique_ptr<TFIOut> Map);
  void Remove(const TFIOut* Map);
  void ReFineList();
  void ClearAll();
  void ClearOwnBySrc(char Src);
  // Takes over a job's registry (GUI thread, after the job): Base cleared first when the job
  // cleared it; its header lists; each map in place of an unwritten computed map of that name
  // and session, else added unless a map of that key is registered (which stays).
  void Adopt(TLFIOut& Job);

  // ---- map files ----
  TStringList* HmapSLDefine(int32_t Kind);
  // Walks the file of the kind, date and time and registers the wanted maps (first words of the
  // lines of Wanted; a second word becomes sVar with Label added) or, with All, every map; a map
  // already registered stays. With a job: progress per map, and a cancel between maps registers
  // nothing. True when a map was taken.
  bool Load(int32_t Kind, char Label, const std::string& Da, const std::string& Ti,
            const TStringList* Wanted, bool All, TJob* Job = nullptr);
  bool LoadOwn(const std::string& Da, const std::string& Ti, const TStringList* Wanted, bool All,
               TJob* Job = nullptr);
  bool LoadME(const std::string& Da, const std::string& Ti, const TStringList* Wanted, bool All,
              TJob* Job = nullptr);
  bool LoadM2(const std::string& Da, const std::string& Ti, const TStringList* Wanted, bool All,
              TJob* Job = nullptr);
  bool LoadMEx(char Label, const std::string& Da, const std::string& Ti,
               const TStringList* Wanted, bool All);
  bool LoadOne(int32_t Kind, const std::string& Da, const std::string& Ti,
               const std::string& Name);
  bool LoadOwnOrME(const std::string& Da, const std::string& Ti, const std::string& Name);
  // Registers every map of the file that the registry does not hold yet.
  bool LoadFileMaps(int32_t Kind, const std::string& Ti, const std::string& Da);
  bool LoadFileMapsDT(int32_t Kind, const std::string& Da, const std::string& Ti);
  bool LoadOwnFile(const std::string& Da, const std::string& Ti);
};

// The registry of the scan services, created when missing; LFIOOrNull without creating it.
TLFIOut& LFIOReg();
TLFIOut* LFIOOrNull();
// While alive, LFIOReg and LFIOOrNull of this thread give Local (a job's maps are made there and
// enter the registry only through Adopt after the job).
class TJobLFIOScope {
 public:
  explicit TJobLFIOScope(TLFIOut& Local);
  ~TJobLFIOScope();
  TJobLFIOScope(const TJobLFIOScope&) = delete;
  TJobLFIOScope& operator=(const TJobLFIOScope&) = delete;

 private:
  TLFIOut* prev_;
};

// The version rule above.
bool VersionMatches(const std::string& MapVer, const std::string& Wanted);

// DTKey of every live registered map of that name, in registry order.
std::unique_ptr<TStringList> LSes_by_Na(const std::string& Name);

// The extensions of the file of a kind, date and time: the title line, then per extension
// "Name nb0 nbData0 nbHd nbData"; nothing when the file is missing.
std::unique_ptr<TStringList> FITExtDir(int32_t Kind, const std::string& Da,
                                       const std::string& Ti);

// Saves maps as a job: per file one temporary copy, progress per map; a cancel between maps or
// a failed save leaves each file whose saves were not all done as it was. The count saved.
int32_t SaveMaps(TJob& Job, const std::vector<TFIOut*>& Maps);

// ---- the map window's list of map entries (display keys) ----
void SetLFOPCur(const std::string& Entry);
// The current entry, its 1-based number and the count; an "Err:" text when there is none.
std::string GetLFOPItem(int32_t& Number, int32_t& Count);
std::string GetLFOPCur();

// ---- keys of the main headers the registry read ----
// The real value of Key among the first 73 cards of the own file's main header, else of the
// inversion-result file's; false (Value 0) when neither holds it, with a report when there is no
// registry or the value is no number.
bool rdHdVar(const std::string& Key, double& Value);
// The value text of Key among the first 72 cards of the own file's main header; empty with a
// report when there is no registry or list.
std::string GetcvFITKey(const std::string& Key);
double GetRcvFITKey(const std::string& Key, double Default);
