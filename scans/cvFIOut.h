// One map of a scan: nX slit positions by nY slit pixels of single-precision values, its
// statistics over the whole map and over a mask, its names, and its extension in a map file
// (written by Save, read back by LoadHeader / LoadData). Map files: a 5760-byte main header, then
// per map a 2880-byte extension header, its data (big-endian float, x fastest) and zero padding
// to the next multiple of NCut. Every write goes to a temporary copy in the same folder that is
// renamed over the file, so a write broken off leaves the previous file whole.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvR4Flat.h"
#include "foundation/cvTy.h"

class TJob;
class TLFITS;
class TR4Pict;
class TStringList;
struct TMapQuickStats;

// Running minimum, maximum and sum of map values visited y outer, x inner (MinMaxMean's order):
// the first value starts minimum and maximum; a value below the minimum takes it, else one above
// the maximum takes that; ties keep the first position.
struct TMapStats {
  double Min = 0, Max = 0, Sum = 0;
  int32_t IxMin = 0, IyMin = 0, IxMax = 0, IyMax = 0;
  bool Started = false;
  // The next N values: those of x = X0 .. X0+N-1 at one y.
  void Add(const float* P, int32_t N, int32_t X0, int32_t Y);
};

class TFIOut {
 public:
  static constexpr uint32_t kLive = 0xA5A55A5A;

  TFIOut();
  ~TFIOut();
  TFIOut(const TFIOut&) = delete;
  TFIOut& operator=(const TFIOut&) = delete;

  uint32_t kRun = kLive;
  TLFITS* Owner = nullptr;
  std::string sVar, Name;
  int32_t KH = 0;
  char DaNum = ' ';
  std::string Da, Ti, Com, Ver;
  std::unique_ptr<TStringList> HSL;
  int64_t nb0 = 0;
  int32_t nbHd = 0;
  int64_t nbData0 = 0, nbData = 0;
  int32_t kSoft = 0, nX = 0, nY = 0;
  double vMin = 0, vMax = 0, vMean = 0, vMinAv = 0, vMaxAv = 0, vMeanAv = 0, vMaxY3 = 0;
  int32_t ixMaxY3 = 0, iyMaxY3 = 0;
  int32_t ixMin = 0, iyMin = 0, ixMax = 0, iyMax = 0;
  int32_t ixMinAv = 0, iyMinAv = 0, ixMaxAv = 0, iyMaxAv = 0;
  int32_t ixFocus = 0, iyFocus = 0;
  // [x][y], both 0-based; one block stored x fastest as in the file (aData.Line(y) is the nX
  // values of one y), read into place by LoadData.
  TAR4R4Flat aData;
  int32_t kLoad = 0;
  // The value picture of the map (made by ToPict; its values are aData's).
  std::unique_ptr<TR4Pict> Pict;

  // ---- life and state ----
  void Release();
  void Reset();
  void AssignMem(int32_t NX, int32_t NY);
  bool IsFilled();
  bool EnsureLoaded();
  bool CheckLoaded(const std::string& Who) const;
  std::unique_ptr<TFIOut> Clone() const;

  // ---- the value picture and the map window (cvFIOutPict.cpp) ----
  void ToPict();
  void FreePict();
  // The map bitmap FOBitmap made ready for the map: false with a report without data.
  bool ShowData();
  bool PrepareBitmap();
  // The values (or a mask) painted into FOBitmap and shown in the map window.
  void ShowInMapWin();
  void ShowMasked(const TAByBy& Mask);
  // The map panel of the FITS tab; the focus pixel from its edits.
  void InfoToPanel();
  void SetCursorXY();

  // ---- statistics (messages as the FITS tab shows them; nothing changes on an error) ----
  void MinMaxMean();
  bool FilteredMinMax(const TAByBy& Mask);
  bool MaskMax_Y3(const TAByBy& Mask, double K);
  void UpdateMasked();
  void AMeanX(TARe& Means) const;
  void AMeanY(TARe& Means) const;
  void MaskedAMeanX(const TAByBy& Mask, TARe& Axis, TARe& Means) const;
  void MaskedAMeanY(const TAByBy& Mask, TARe& Axis, TARe& Means) const;
  // As MaskedAMeanY, the axis value of column x being the owner scan's time of slit file x, the
  // value of Key in slit file x, or the scan's AXvO.
  void MaskedAMeanYt(const TAByBy& Mask, TARe& Axis, TARe& Means) const;
  void MaskedAMeanYKey(const TAByBy& Mask, const std::string& Key, TARe& Axis, TARe& Means) const;
  void MaskedAMeanYvO(const TAByBy& Mask, TARe& Axis, TARe& Means) const;

  // ---- texts ----
  std::string DTKey() const;
  std::string ShortDT() const;
  std::string DisplayName() const;
  std::string YearMonth() const;
  std::string SizeText() const;

  // ---- file ----
  std::string FileName() const;
  void CVOUTHeader();
  bool Save();
  // Reads the extension header at Offset (zero padding of any length skipped first) and moves
  // Offset to the end of the map's data; false (Offset unchanged) at the end of the file, or with
  // one report when the header has no EXTNAME.
  bool LoadHeader(int64_t& Offset);
  bool LoadData(const std::string& File, int64_t Offset);

 private:
  friend int32_t LoadMapsData(TJob& Job, const std::vector<TFIOut*>& Maps, int32_t Threads);
  // LoadData's stages: the checks and the block; the report of a failed read (the map left
  // empty); the statistics of the converted values (counted into Q on the way).
  bool StartLoad(const std::string& File, int64_t Offset);
  bool LoadFailed(const std::string& File, int64_t Offset, int64_t Got, int OpenErr);
  bool FinishLoad(const std::string& File, const TMapQuickStats& Q);
  void SetStats(const TMapStats& St);
  bool MaskFits(const TAByBy& Mask, const std::string& Who) const;
  bool PrepareMasked(const TAByBy& Mask, const std::string& Who);
  void MaskedMeansY(const TAByBy& Mask, const std::string& Who,
                    const std::function<double(int32_t)>& AxisOf, TARe& Axis, TARe& Means) const;
  bool OwnerAxisOk(const std::string& Who, const TARe* Ax, const std::string& AxName) const;
};

bool FIOutAssigned(const TFIOut* Map);
std::string KLoadName(int32_t kLoad);

// Reads the data of maps from their files as a job (EnsureLoaded for each: a filled map stays).
// Progress per map in the order given; a cancel stops before the next map, the maps read so far
// staying loaded. Each map is read, converted and counted whole by one thread: the calling
// thread or one of up to Threads - 1 helpers (0: a few, by the idle cores); each map's values and
// statistics are those LoadData gives, and its warnings come in the order of the maps. The count
// of maps filled.
int32_t LoadMapsData(TJob& Job, const std::vector<TFIOut*>& Maps, int32_t Threads = 0);

// Tests: the widest vector step (in floats: 16, 8, or 0 for none) the map reading may use.
void LimitMapScanWidth(int32_t Floats);

// ---- file names below FITSRoot ----
std::string GetCVFITName(const std::string& Da, const std::string& Ti);
std::string GetMEFITName(const std::string& Da, const std::string& Ti);
std::string GetM2FITName(const std::string& Da, const std::string& Ti);
std::string GetFITNameByKind(int32_t Kind, const std::string& Da, const std::string& Ti);
// The data root of the map files ("/"-terminated); the default folder when nothing set it.
std::string MapRoot();

// ---- the scan's own output file ----
struct TScanMapStats {
  double CNT_H0 = 0, CNT_MI = 0, CNT_MA = 0, HL_N_MA = 0, HL_S_MA = 0, VL_R_MA = 0, VL_B_MA = 0;
  double GC_1 = 0, GC_2 = 0, LC_1 = 0, LC_2 = 0;
  int32_t ICNT_MA = 0, ICNT_MI = 0, IVABS_MA = 0;
  double VIABS_MA = 0, K_CONT = 0, DL6301 = 0, DL6302 = 0;
};
void MakeMainHeader(TLFITS& Scan, const TScanMapStats& Stats, TStringList& Cards);
// Starts the scan's own output file (an older one is moved to its backup name); false with a
// report when it cannot be written.
bool WriteMainHeader(TLFITS& Scan, const TScanMapStats& Stats);

// One extension of a map file.
struct TMapExt {
  std::string Name;
  int64_t nb0 = 0, nbData0 = 0;
  int32_t nbHd = 0;
  int64_t nbData = 0;
};

// Saves into one file: a temporary copy of the file in its folder, the extension directory walked
// once, every Save of a map of that file while the session lives writes into the copy; Commit
// flushes and renames it over the file. Dropped without Commit, the copy is removed and the file
// stays as it was. One session per thread at a time.
class TMapSaveSession {
 public:
  explicit TMapSaveSession(const std::string& File);
  ~TMapSaveSession();
  TMapSaveSession(const TMapSaveSession&) = delete;
  TMapSaveSession& operator=(const TMapSaveSession&) = delete;
  bool Ok() const { return fd_ >= 0; }
  bool Commit();
  const std::string& File() const { return file_; }

  // Used by TFIOut.Save.
  bool Write(int64_t Offset, const void* Data, int64_t Len);
  bool Truncate(int64_t Len);
  int64_t Size() const { return size_; }
  std::vector<TMapExt>& Dir() { return dir_; }
  static TMapSaveSession* Current();

 private:
  std::string file_, tmp_;
  int fd_ = -1;
  int64_t size_ = 0;
  std::vector<TMapExt> dir_;
  TMapSaveSession* prev_ = nullptr;
};

// The extensions of a map file in file order; false with the report when the file is missing or
// a header cannot be read. Primary (optional) gets the main header's cards up to END.
bool ReadMapDir(const std::string& File, std::vector<TMapExt>& Dir, TStringList* Primary,
                bool Round36 = true);

// Walks the extensions of a map file: the main header's cards to END into Primary (when given),
// then one map of the kind, date and time per extension header (KH numbered from 1, header read,
// no data) handed to Each, which may take it; Each returning false ends the walk. Zero padding of
// any length is skipped; the walk ends at the end of the file, and with one report at a header
// without EXTNAME, an unreadable header or a map whose data runs past the end of the file (that
// map is still handed over). False after such a report or when the file is missing.
bool WalkMapFile(const std::string& File, int32_t Kind, const std::string& Da,
                 const std::string& Ti, bool Round36, TStringList* Primary,
                 const std::function<bool(std::unique_ptr<TFIOut>&)>& Each);
