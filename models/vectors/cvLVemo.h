// The vector keeper: every model vector of a run (columns of loaded model files, working vectors
// of a calculation, their clones, contribution and response functions), found by key with the
// newest fill winning, created on demand and filled from its model's source vectors. The keeper
// owns its vectors; lookups by key go through an index by sId.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"
#include "models/vectors/cvVemo.h"

class TLVEMO {
 public:
  TLVEMO() = default;
  ~TLVEMO();
  TLVEMO(const TLVEMO&) = delete;
  TLVEMO& operator=(const TLVEMO&) = delete;

  std::string CurMOD;  // the model of the current calculation

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TVEMO* Items(int32_t I) const { return items_[static_cast<size_t>(I)].get(); }
  static std::string MakeKey(const std::string& NAME, const std::string& MOD,
                             const std::string& sIdV, int32_t FMOD);

  // ---- lookups ----
  int32_t IndexOfSId(const std::string& Key) const;
  TVEMO* FindSIdVeMo(const std::string& Key) const;
  TVEMO* GetSIDVeMo(const std::string& Key) const;
  TVEMO* FindVeMo(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                  int32_t FMOD) const;
  TVEMO* GetVeMo(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                 int32_t FMOD) const;
  int32_t IndexOfSIdOrig(const std::string& Key) const;
  TVEMO* FindSIdVeMoOrig(const std::string& Key) const;
  TVEMO* FindVeMoOrig(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                      int32_t FMOD) const;
  TVEMO* GetSIDVeMoOrig(const std::string& Key) const;
  TVEMO* GetVeMoOrig(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                     int32_t FMOD) const;
  int32_t IndexOfClone(const std::string& Key) const;
  int32_t IndexFilled(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                      int32_t FMOD) const;
  TVEMO* FindParentVeMo(const std::string& MOD, const std::string& NAME, const std::string& sIdV,
                        int32_t FMOD) const;
  TVEMO* GetWrkVeMo(const std::string& NAME, const std::string& MOD, std::string& Msg,
                    const std::string& sIdV, int32_t FMOD) const;
  TVEMO* NeedWrkVeMo(const std::string& NAME, const std::string& MOD, const std::string& sIdV,
                     int32_t FMOD) const;
  bool HasMod(const std::string& MOD) const;
  bool EnsureMod(const std::string& MOD);
  int32_t CountOrig(const std::string& MOD, int32_t FMOD) const;
  int32_t IndexOf(const TVEMO* V) const;

  // ---- creating and adding ----
  TVEMO* InitVEMO(const std::string& MOD, const std::string& NAME, const std::string& sIdV,
                  int32_t FMOD);
  TVEMO* FindOrInitVEMO(const std::string& MOD, const std::string& NAME, const std::string& sIdV,
                        int32_t FMOD);
  TVEMO* InitX0(const std::string& MOD);
  TVEMO* AddVeMo(const std::string& NAME, const std::string& MOD, const TARe& Values,
                 uint8_t KTyp, uint8_t KX, const std::string& sIdV, int32_t FMOD,
                 const std::string& sTAB);
  // Takes a clone made by CopyFrom or CopyModif; one clone per key (an older one is freed).
  // Returns the clone as kept (nullptr when refused).
  TVEMO* AddClone(std::unique_ptr<TVEMO> V);
  void LoadCFRF(const std::string& sIdVText, const std::string& LI, const TARe& Y, const TARe& X,
                const std::string& Extra, const std::string& XNAME, const std::string& YNAME,
                const std::string& MOD, const std::string& MJU);

  // ---- deleting (the vectors are cleared and freed; links to them are re-resolved) ----
  void DelModF(const std::string& MOD, int32_t FMOD);
  void DelMod(const std::string& MOD) { DelModF(MOD, -1); }
  void DelModVeMo(const std::string& MOD, const std::string& NAME, int32_t FMOD);
  void DelLineVeMo();
  void DelHoleVeMo();
  // Deletes the vectors Pred chooses.
  void DelWhere(const std::function<bool(const TVEMO&)>& Pred);
  // Told the old vector and its key each time vectors were deleted (the context re-resolves
  // its calculation state through it).
  std::function<void(const std::unordered_map<const TVEMO*, std::string>& Gone)> OnDeleted;

  // ---- queries ----
  void GetHolePar(char& Ch, double& XL, double& XU) const;
  std::unique_ptr<TStrList> LIN6List() const;

  // ---- model files ----
  void LoadModel(const std::string& Root, const std::string& Folder, const std::string& File,
                 const std::string& MOD);

  // ---- reports ----
  std::unique_ptr<TStrList> ReportTable(const std::string& MOD, int32_t FMOD, int32_t N);
  std::unique_ptr<TStrList> ReportMod(const std::string& MOD, int32_t FMOD);
  std::unique_ptr<TStrList> ReportByDim(int32_t N);
  std::unique_ptr<TStrList> Report(const TARe& X);
  // The same over the vectors given, in their order (those not filled, or of another point
  // count for ReportByDim, are left out).
  std::unique_ptr<TStrList> ReportByDim(std::vector<TVEMO*> Cols, int32_t N);
  std::unique_ptr<TStrList> Report(std::vector<TVEMO*> Cols, const TARe& X);
  std::unique_ptr<TStrList> ReportModList(const std::string& MOD) const;
  std::unique_ptr<TStrList> ReportList() const;
  static constexpr int32_t MaxReportColumns = 1000;

 private:
  TVEMO* Append(std::unique_ptr<TVEMO> V);
  // The newest (largest stamp, first among equals) vector with the key that Pred accepts.
  TVEMO* Newest(const std::string& Key, bool (*Pred)(const TVEMO&)) const;
  std::vector<std::unique_ptr<TVEMO>> items_;
  // by sId: the vectors with that key in keeper order
  std::unordered_map<std::string, std::vector<TVEMO*>> index_;
};

// Standard model format N of the output-grid file ("GEDA", "ROUT"): layer count, first depth,
// step. False (with a warning, all 0) when the file has no format N.
bool StdModFormat(int32_t FMOD, int32_t& N, double& X0, double& DX);

// The report lines joined by CR LF.
std::string JoinCRLF(const TStringList& L);
