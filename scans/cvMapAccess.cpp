// What the slit files, the scan and the header lookups read of the registered maps. Slit files
// of one scan may ask from several threads: a map is loaded from its file under one lock.
#include <mutex>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

namespace {

// The registered, loaded map Name of the file's scan; Code gets 1 when missing, 2 when unloaded.
TFIOut* ScanMap(const TFITS& F, const std::string& Name, int32_t& Code) {
  TLFIOut* r = LFIOOrNull();
  const std::string key = F.Owner ? F.Owner->ScanName : std::string();
  const size_t u = key.find('_');
  TFIOut* m = r && u != std::string::npos ? r->GetFIOutDT(key.substr(0, u), key.substr(u + 1), Name)
                                          : nullptr;
  if (!m) {
    Code = 1;
    return nullptr;
  }
  static std::mutex loadLock;
  std::lock_guard<std::mutex> lock(loadLock);
  if (m->kLoad < 2 && (m->nbData0 == 0 || !m->EnsureLoaded())) {
    Code = 2;
    return nullptr;
  }
  if (F.IXI < 0 || F.IXI >= m->nX || static_cast<int32_t>(m->aData.size()) != m->nX) {
    Code = 2;
    return nullptr;
  }
  Code = 0;
  return m;
}

}  // namespace

bool TFITS::MapRow(const std::string& Name, TARe& Out) const {
  int32_t code = 0;
  TFIOut* m = ScanMap(*this, Name, code);
  if (!m) return false;
  Out.assign(static_cast<size_t>(m->nY) + 1, 0.0);
  const auto& row = m->aData[static_cast<size_t>(IXI)];
  for (int32_t y = 1; y <= m->nY; ++y) Out[y] = row[y - 1];
  return true;
}

bool TFITS::ContFromMap() { return MapRow("CONT", ACnt); }

bool TFITS::MapPairMean(const std::string& NameA, const std::string& NameB, TARe& Out,
                        int32_t& Code) const {
  int32_t ca = 0, cb = 0;
  TFIOut* a = ScanMap(*this, NameA, ca);
  TFIOut* b = ScanMap(*this, NameB, cb);
  Code = ca + 4 * cb;
  if (Code != 0) return false;
  const int32_t n = std::min(a->nY, b->nY);
  Out.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t y = 1; y <= n; ++y)
    Out[y] = (static_cast<double>(a->aData[IXI][y - 1]) + b->aData[IXI][y - 1]) / 2;
  return true;
}

void TLFITS::GetXFOARe(const TFIOut* Map, int32_t Row, TARe& Out) const {
  Out.clear();
  if (!FIOutAssigned(Map)) return WARNAbs("LFITS.GetXFOARe FO not Assigned!");
  if (Row < 0 || Row >= static_cast<int32_t>(Map->aData.size())) return;
  const auto& r = Map->aData[static_cast<size_t>(Row)];
  Out.assign(r.size() + 1, 0.0);
  for (size_t y = 0; y < r.size(); ++y) Out[y + 1] = r[y];
}

bool rdHdVar(const std::string& Key, double& Value) {
  Value = 0;
  TLFIOut* r = LFIOOrNull();
  if (!r) {
    WARNAbs("rdHdVar(" + Key + ") LFIO ещё не создан!"_cp);
    return false;
  }
  std::string v;
  for (const TStringList* l : {r->HcvSL.get(), r->HmeSL.get()}) {
    if (!l || l->Count() == 0) continue;
    v = GetFITKey(Key, l, 0, std::min(72, l->Count() - 1));
    if (!v.empty()) break;
  }
  if (v.empty()) return false;  // a missing key is no value
  int32_t code = 0;
  Value = ValRealCode(v, code);
  if (code != 0) {
    WARNAbs("В Header-е cv(me)-FITS файла в переменной "_cp + Key + "\r\n" +
            " найдена некорректная запись для числа"_cp + "\r\n" + "<" + v + ">");
    return false;
  }
  return true;
}

std::string GetcvFITKey(const std::string& Key) {
  TLFIOut* r = LFIOOrNull();
  if (!r) {
    WARNAbs("GetcvFITKey(" + Key + ") Err: LFIO Not Assigned!");
    return "";
  }
  if (!r->HcvSL) {
    WARNAbs("GetcvFITKey(" + Key + ") Err: LFIO.HcvSL Not Assigned!");
    return "";
  }
  if (r->HcvSL->Count() <= 5) {
    WARNAbs("GetcvFITKey(" + Key + ") Err: LFIO.HcvSL.Count = " + IntStr(r->HcvSL->Count()));
    return "";
  }
  return GetFITKey(Key, r->HcvSL.get(), 0, std::min(71, r->HcvSL->Count() - 1));
}

double GetRcvFITKey(const std::string& Key, double Default) {
  const std::string v = GetcvFITKey(Key);
  if (v.empty()) return Default;
  int32_t code = 0;
  const double d = ValRealCode(v, code);
  if (code != 0) {
    WARNAbs("GetRcvFITKey(" + Key + ") Err: ошибка числа в строке"_cp + "\r\n" + v);
    return Default;
  }
  return d;
}
