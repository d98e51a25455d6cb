// The scan summary of the FITS tab and the velocity-compensation cards of the own output file.
#include "scans/cvScanInfo.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"

std::string TScanInfoView::Label(const std::string& Control) const {
  for (const auto& [k, v] : Labels)
    if (k == Control) return v;
  return "";
}

namespace {

// The process's virtual size in bytes (VmSize), 0 when it cannot be read.
int64_t VirtualBytes() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmSize:", 0) == 0) {
      int64_t kb = 0;
      for (char c : line.substr(7))
        if (c >= '0' && c <= '9') kb = kb * 10 + (c - '0');
      return kb * 1024;
    }
  return 0;
}

// The mean line position in pixels (rLC1 holds a wavelength once the scan statistics ran).
double LinePix(double R, double Pix) { return std::fabs(R) <= 113 ? R : Pix; }

std::string Extreme(double V, double T, double Duration) {
  const std::string s = IntStr(static_cast<int32_t>(std::nearbyint(V)));
  return T == 0 || T == Duration ? "[" + s + "]" : s;
}

// Index of END in the list; -1 when missing.
int EndIndex(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i)
    if (CardLookupKey(L[i]) == "END") return i;
  return -1;
}

}  // namespace

// The main header of Path replaced by Cards (through END), written into a copy that is renamed
// over the file; false (file untouched) when the cards need more room than the file keeps for its
// main header (the blocks before its first extension, at least those the header fills now).
bool RewriteMainHeader(const std::string& Path, const TStringList& Cards, const std::string& Who,
                       const std::string& What) {
  TStringList old;
  int32_t n = 0;
  GetFITSHead(Path, 0, n, &old);
  const int oldEnd = EndIndex(old), newEnd = EndIndex(Cards);
  if (oldEnd < 0 || newEnd < 0) {
    WARNAbs(Who + ": в заголовке файла <"_cp + Path + "> нет END"_cp);
    return false;
  }
  int capacity = (oldEnd / 36 + 1) * 36;
  std::vector<TMapExt> dir;
  std::error_code ec;
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(Path, ec));
  int64_t reserved = size;
  if (ReadMapDir(Path, dir, nullptr, true) && !dir.empty()) reserved = dir[0].nb0;
  capacity = std::max<int>(capacity, static_cast<int>(reserved / 2880) * 36);
  if (newEnd + 1 > capacity) {
    WARNAbs(Who + ": карточки "_cp + What + " не помещаются в заголовок файла <"_cp + Path +
            "> (" + IntStr(newEnd + 1) + " > " + IntStr(capacity) + ")");
    return false;
  }
  TStringList out;
  for (int i = 0; i <= newEnd; ++i) out.Add(Cards[i]);
  while (out.Count() < capacity) out.Add(FITBlankCard());
  const std::string tmp = Path + ".tmp";
  std::filesystem::copy_file(Path, tmp, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    WARNAbs(Who + ": не удаётся скопировать <"_cp + Path + ">");
    return false;
  }
  WriteHeader(tmp, 0, out);
  // the copy must hold the cards before it replaces the file
  TStringList back;
  int32_t m = 0;
  GetFITSHead(tmp, 0, m, &back);
  bool same = m == newEnd + 1;
  for (int i = 0; same && i <= newEnd; ++i) same = back[i] == Cards[i];
  if (!same) {
    std::filesystem::remove(tmp, ec);
    WARNAbs(Who + ": заголовок <"_cp + Path + "> не записан"_cp);
    return false;
  }
  std::filesystem::rename(tmp, Path, ec);
  if (ec) {
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

TScanInfoView ShowNoScan() {
  TScanInfoView v;
  auto put = [&](const char* k, const std::string& t) { v.Labels.emplace_back(k, t); };
  put("gbLFITS", "LFITS NONE");
  for (const char* k : {"lbLFITS_kStep", "lbLFITS_nsHead", "lbLFITS_nX", "lbLFITS_nY",
                        "lbLFITS_nXP", "lbLFITS_nbData", "lbLFITS_xCen", "lbLFITS_yCen", "lbLC51",
                        "lbLC52", "lbdLam", "lb_kRC"})
    put(k, "0");
  put("lbLFITS_TStart", "");
  put("lb_rdLam", "1.0");
  put("lb_rLam0", "6302");
  put("lb_CLam0", "56.5");
  put("lb_kSign", "0");
  put("lbFITS1n", "000");
  put("lbFITS2n", "000");
  return v;
}

TScanInfoView ShowScanInfo(const TLFITS* S) {
  if (!S || S->Marker != TLFITS::kLive) return ShowNoScan();
  TScanInfoView v;
  auto put = [&](const char* k, const std::string& t) { v.Labels.emplace_back(k, t); };
  const int32_t n = S->Count();
  const int32_t ny0 = n > 0 ? S->Files[0]->nY : 0;
  put("gbLFITS", "LFITS  " + S->ScanName.substr(0, 13) + " n=" + IntStr(n) + " ");
  put("lbLFITS_kStep", IntStr(S->kStep));
  put("lbLFITS_nsHead", IntStr(S->nsHead));
  put("lbLFITS_nX", IntStr(S->nX));
  put("lbLFITS_nY", IntStr(S->ScanNY()));
  put("lbLFITS_nXP", IntStr(S->RefNSLITPOS != 0 ? S->RefNSLITPOS : S->Refs.NSLITPOS));
  int64_t data = 0;
  for (const auto& f : S->Files) data += f->LData;
  put("lbLFITS_nbData", I64Str(data));
  put("lbLFITS_xCen", ShortSt(8, S->MEXCEN));
  put("lbLFITS_yCen", ShortSt(8, S->MEYCEN));
  std::string ts;
  if (!S->TSTART.empty()) {
    std::string d = S->TSTART.substr(0, 10), t = S->TSTART.size() > 11 ? S->TSTART.substr(11, 8) : "";
    d.erase(std::remove(d.begin(), d.end(), '-'), d.end());
    t.erase(std::remove(t.begin(), t.end(), ':'), t.end());
    ts = d + " " + t;
  }
  put("lbLFITS_TStart", ts);
  put("lb_rdLam", FSt(7, 3, S->RefCDELT1 * 1000));
  put("lb_rLam0", FSt(8, 3, S->RefCRVAL1));
  put("lb_CLam0", FSt(5, 1, S->RefCRPIX1));
  put("lb_kSign", IntStr(S->Refs.LamFlag));
  put("lb_RSun", ShortSt(8, S->SOLAR_RA));
  put("lb_PAngle", ShortSt(8, S->P_ANGLE));
  put("lb_BAngle", ShortSt(8, S->B_ANGLE));
  const double lc1 = LinePix(S->rLC1, S->LC1Pix), lc2 = LinePix(S->rLC2, S->LC2Pix);
  put("lbLC51", ShortSt(7, lc1));
  put("lbLC52", ShortSt(7, lc2));
  put("lbdLam", ShortSt(6, (lc2 - lc1) * S->RefCDELT1));
  put("lb_kRC", ShortSt(6, S->KCont));
  const std::string mi = Extreme(S->DopMin, S->TDopMin, S->Duration);
  const std::string ma = Extreme(S->DopMax, S->TDopMax, S->Duration);
  const std::string tmi = FDecSt(1, S->TDopMin), tma = FDecSt(1, S->TDopMax);
  put("lbdVlosMi", mi);
  put("lbdVlosMa", ma);
  put("lbtdVmi", tmi);
  put("lbtdVma", tma);
  put("lbtDura", FDecSt(2, S->Duration));
  v.MaxIX = n > 0 ? n - 1 : 1;
  v.MaxIY = n > 0 ? ny0 - 1 : 1;
  // the velocity-compensation cards
  const std::string path = S->OutFolder + "/" + S->sFN;
  std::error_code ec;
  if (S->DopMin != S->DopMax && S->HOwnRead && S->HOwnRead->Count() > 2 &&
      std::filesystem::is_regular_file(path, ec)) {
    TStringList cards;
    for (int i = 0; i < S->HOwnRead->Count(); ++i) cards.Add((*S->HOwnRead)[i]);
    const std::pair<const char*, std::pair<std::string, const char*>> four[] = {
        {"dVCmi", {mi, "Delta Velocity Compensation min value"}},
        {"dVCma", {ma, "Delta Velocity Compensation max value"}},
        {"tVCmi", {tmi, "Time for Velocity Compensation min value"}},
        {"tVCma", {tma, "Time for Velocity Compensation max value"}}};
    bool any = false;
    for (const auto& [key, vc] : four) {
      bool changed = false;
      HeaderReField(&cards, key, FITCardStr(key, vc.first, vc.second), changed);
      any = any || changed;
    }
    if (any && RewriteMainHeader(path, cards, "LFITS.ShowScanInfo", "dVC/tVC")) {
      // the list read back now holds what the file holds
      S->HOwnRead->Clear();
      for (int i = 0; i < cards.Count(); ++i) S->HOwnRead->Add(cards[i]);
      v.CardsWritten = true;
    }
  }
  for (const auto& f : S->Files) v.Rows.emplace_back(f->IXI, f->IXP);
  put("lbFITS1n", IntStr(n));
  put("lbFITS2n", IntStr(ny0));
  put("lb_nHeads", I64Str(S->BytesCards));
  put("lb_nData", I64Str(S->BytesCubes));
  const int64_t read = Scans().BytesRead.load();
  put("lb_GrossCount", I64Str(Scans().Loads.load()));
  put("lb_GrossN", I64Str(read));
  put("lb_GrossDif", I64Str(VirtualBytes() - read));
  return v;
}
