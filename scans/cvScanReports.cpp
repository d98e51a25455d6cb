// The scan reports of the FITS tab: the header comparison over the slit files, the main fields
// and the time line per file, the per-pixel table with one slit pixel's values, and the
// threshold statistics of a scan's maps (standard filters, BML field statistics) with the mask of
// the first level combination of a filter list.
#include "scans/cvScanReports.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

namespace {

const std::string kDashes = "----------------------------------------------";

// One header field in the comparison.
struct TKeyRec {
  std::string Key, Value;
  bool Same = true, Excluded = false;
};

// The cards of a file up to and including END.
int32_t CardCount(const TFITS& F) {
  return F.HSL ? std::min(F.nCards, F.HSL->Count()) : 0;
}

std::string Underscored(std::string S) {
  std::replace(S.begin(), S.end(), ' ', '_');
  return S;
}

// The records of the first file compared with every later file; false (with the message) when a
// card count or the key order changes.
bool CompareHeaders(const TLFITS& S, bool Diff, std::vector<TKeyRec>& Recs) {
  Recs.clear();
  const TFITS& first = *S.Files[0];
  for (int32_t i = 0; i < CardCount(first); ++i) {
    TKeyRec r;
    SplitHeaderStr((*first.HSL)[i], r.Key, r.Value);
    if (Diff)
      for (const char* k : {"DATE_RF0", "TIME-OBS", "CTIME", "DATE_END", "CROTA2"})
        if (r.Key == k) r.Excluded = true;
    Recs.push_back(std::move(r));
  }
  for (size_t f = 1; f < S.Files.size(); ++f) {
    const TFITS& file = *S.Files[f];
    if (CardCount(file) != static_cast<int32_t>(Recs.size())) {
      WARNAbs("Число полей в Хидере изменилось!!!"_cp);
      return false;
    }
    for (int32_t i = 0; i < CardCount(file); ++i) {
      std::string key, value;
      SplitHeaderStr((*file.HSL)[i], key, value);
      TKeyRec& r = Recs[static_cast<size_t>(i)];
      if (key != r.Key) {
        WARNAbs("Порядок полей в Хидере изменился!\r\nстрока N="_cp + IntStr(i + 1) +
                " OldKey=<" + r.Key + "> NewKey=<" + key + ">");
        return false;
      }
      if (value != r.Value) r.Same = false;
    }
  }
  return true;
}

void Align(TStringList& L) {
  if (L.Count() > 0) LineTabStrings(&L, 1);
}

}  // namespace

std::unique_ptr<TStringList> HeaderDiffReport(const TLFITS& S) {
  if (S.Files.empty()) return nullptr;
  std::vector<TKeyRec> recs;
  if (!CompareHeaders(S, true, recs)) return nullptr;
  auto L = std::make_unique<TStringList>();
  std::string keys;
  std::vector<size_t> idx;
  for (size_t i = 0; i < recs.size(); ++i)
    if (!recs[i].Same && !recs[i].Excluded) {
      keys += Underscored(recs[i].Key) + " ";
      idx.push_back(i);
    }
  L->Add(keys);
  for (const auto& f : S.Files) {
    std::string line;
    for (size_t i : idx) {
      std::string key, value;
      SplitHeaderStr((*f->HSL)[static_cast<int>(i)], key, value);
      line += Underscored(value) + " ";
    }
    L->Add(line);
  }
  Align(*L);
  L->Insert(0, "Различающиеся поля Header-а для набора FITS-ев\r\n"_cp + kDashes);
  L->Insert(1, kDashes);
  return L;
}

std::unique_ptr<TStringList> HeaderSameReport(const TLFITS& S) {
  if (S.Files.empty()) return nullptr;
  std::vector<TKeyRec> recs;
  if (!CompareHeaders(S, false, recs)) return nullptr;
  const TFITS& from = *S.Files[S.Files.size() > 1 ? 1 : 0];
  auto L = std::make_unique<TStringList>();
  std::string keys, values;
  int32_t inGroup = 0;
  auto flush = [&] {
    TStringList t;
    t.Add(keys);
    t.Add(values);
    Align(t);
    for (int i = 0; i < t.Count(); ++i) L->Add(t[i]);
    L->Add("");
    keys.clear();
    values.clear();
    inGroup = 0;
  };
  for (size_t i = 0; i < recs.size(); ++i) {
    if (!recs[i].Same || recs[i].Key == "END") continue;
    std::string key, value;
    SplitHeaderStr((*from.HSL)[static_cast<int>(i)], key, value);
    keys += Underscored(recs[i].Key) + " ";
    values += (value.empty() ? std::string("<>") : Underscored(value)) + " ";
    if (++inGroup == 10) flush();
  }
  if (inGroup > 0) flush();
  L->Insert(0, "Повторяющиеся поля Header-а для набора FITS-ев"_cp);
  L->Insert(1, kDashes);
  return L;
}

std::unique_ptr<TStringList> HeaderMainReport(const TLFITS& S) {
  if (S.Files.empty()) return nullptr;
  auto L = std::make_unique<TStringList>();
  L->Add("Date_Obs nLam nY nXP Lam0 dLam LamI0 dVlos Y0 Y1 dY dY1 YI0 FOVY X0 FOWX dX XI0 IXP ");
  for (const auto& p : S.Files) {
    const TFITS& f = *p;
    std::string l = Underscored(f.DATE_OBS) + " " + IntStr(f.nLam) + " " + IntStr(f.nY) + " " +
                    IntStr(f.NSLITPOS) + " ";
    const std::pair<int, double> vals[] = {{7, f.CRVAL1},  {9, f.CDELT1},  {4, f.CRPIX1},
                                           {7, f.DOPVUSED}, {15, f.YCEN},  {10, f.CRVAL2},
                                           {7, f.CDELT2},  {7, f.YSCALE},  {5, f.CRPIX2},
                                           {7, f.FOVY},    {7, f.XCEN},    {7, f.FOVX},
                                           {7, f.XSCALE},  {7, f.XI0}};
    for (const auto& [n, v] : vals) l += ShortSt(n, v) + " ";
    l += IntStr(f.IXP) + " ";
    L->Add(l);
  }
  Align(*L);
  L->Insert(0, "Основные поля Header-а для набора FITS-ев"_cp);
  L->Insert(1, "-----------------------------------------");
  return L;
}

std::unique_ptr<TStringList> SlitTimeReport(TLFITS& S) {
  if (S.Files.empty()) return nullptr;
  auto L = std::make_unique<TStringList>();
  L->Add("Date_Obs minutes IXP XP Y0 dVlos V_ V2-1 T1 T2 T3 T4 T5 T6 ");
  double sums[6] = {0, 0, 0, 0, 0, 0};
  for (const auto& p : S.Files) {
    TFITS& f = *p;
    f.VWMean = f.VWDiff = 0;
    f.LoadVWMeans();
    const double t[6] = {f.T_SPCCD, f.T_FGCCD, f.T_CTCCD, f.T_SPCEB, f.T_FGCEB, f.T_CTCEB};
    std::string l = Underscored(f.DATE_OBS) + " " + FDecSt0(3, f.TObs) + " " + IntStr(f.IXpos) +
                    " " + ShortSt(6, f.XI0) + " " + ShortSt(6, f.YCEN) + " " +
                    ShortSt(7, f.DOP_RCV) + " " + ShortSt(7, f.VWMean) + " " +
                    ShortSt(7, f.VWDiff) + " ";
    for (int k = 0; k < 6; ++k) {
      l += ShortSt(7, t[k]) + " ";
      sums[k] += t[k];
    }
    L->Add(l);
  }
  for (int k = 0; k < 6; ++k) S.MeanTemps[static_cast<size_t>(k)] = sums[k] / S.Count();
  Align(*L);
  return L;
}

std::unique_ptr<TStringList> SlitTableSL(TLFITS& S) {
  if (S.Files.empty()) return nullptr;
  auto L = std::make_unique<TStringList>();
  L->Add("N IX XI YI H||1 H||2 HG1 HG2 W1 W2 CONT Disp |V|/W Vlos1 Vlos2");
  int32_t n = 0;
  for (int32_t f = 0; f < S.Count(); ++f) {
    TFITS& file = *S.Files[static_cast<size_t>(f)];
    for (int32_t iy = 0; iy < file.nY; ++iy)
      L->Add(IntStr(++n) + " " + IntStr(f) + " " + ReportIY(file, iy));
  }
  Align(*L);
  return L;
}

// ---------------------------------------------------------------- one slit pixel

namespace {

double At(const TARe& Col, int32_t I) {
  return I >= 0 && I < static_cast<int32_t>(Col.size()) ? Col[static_cast<size_t>(I)] : 0.0;
}

double Fin(double x) { return std::isfinite(x) ? x : 0.0; }

// The scan's mean line position in pixels: the measurement run writes rLC1 in pixels, the scan
// statistics write it as a wavelength (then the pixel value is LC1Pix).
double LinePix(double R, double Pix, int32_t nLam) {
  return std::fabs(R) <= nLam + 1 ? R : Pix;
}

}  // namespace

bool GetIYData(TFITS& F, int32_t IY, TIYData& D) {
  D = TIYData{};
  const TLFITS* S = F.Owner;
  if (!S || S->Marker != TLFITS::kLive) {
    WARNAbs("TFITS.GetIYData(" + IntStr(IY) + ") Owner Not Assigned!");
    return false;
  }
  if (S->rLC1 == 0 || S->rLC2 == 0) {
    WARNAbs("TFITS.GetIYData(" + IntStr(IY) + ") Call BigCalc for LFITS first!!!");
    return false;
  }
  const int32_t y = IY + 1;
  D.W1 = At(F.AW1, y);
  D.W2 = At(F.AW2, y);
  D.HG1 = At(F.AHG1, y);
  D.HG2 = At(F.AHG2, y);
  const double m1 = At(F.AVM1, y), m2 = At(F.AVM2, y);
  D.H1 = Fin(BFromSplit(D.W1 != 0 ? m1 / D.W1 : m1, 6301.5, 1.669));
  D.H2 = Fin(BFromSplit(D.W2 != 0 ? m2 / D.W2 : m2, 6302.5, 2.487));
  // nothing measures the quality yet: 0
  D.Qual = 0;
  const double c = At(F.ACnt, y);
  D.Cont = S->QualB != 0 ? c / S->QualB : c;
  D.Disp = 0;
  const double k = F.CRVAL1 != 0 ? F.CDELT1 / F.CRVAL1 * 299792.4562 : 0;
  D.Vlos1 = (At(F.AGRC1, y) - LinePix(S->rLC1, S->LC1Pix, F.nLam)) * k;
  D.Vlos2 = (At(F.AGRC2, y) - LinePix(S->rLC2, S->LC2Pix, F.nLam)) * k;
  return true;
}

std::string ReportIY(TFITS& F, int32_t IY) {
  if (!F.Owner || F.Owner->Marker != TLFITS::kLive) {
    WARNAbs("TFITS.ReportIY(" + IntStr(IY) + ") Owner Not Assigned!");
    return "";
  }
  TIYData d;
  if (!GetIYData(F, IY, d) || d.Cont == 0) {
    WARNAbs("TFITS.ReportIY(" + IntStr(IY) + ") GetIYData Failed!!!");
    return "";
  }
  return IntStr(F.IXP) + " " + IntStr(IY) + " " + FDecSt(1, d.H1) + " " + FDecSt(1, d.H2) + " " +
         FDecSt(1, d.HG1) + " " + FDecSt(1, d.HG2) + " " + FDecSt(2, d.W1) + " " +
         FDecSt(2, d.W2) + " " + FDecSt(4, d.Cont) + " " + FDecSt(1, d.Disp) + " " +
         FDecSt0(4, d.Qual) + " " + FDecSt0(3, d.Vlos1) + " " + FDecSt0(3, d.Vlos2) + " ";
}

// ---------------------------------------------------------------- threshold statistics

namespace {

// The scan name split into date and time.
void SplitName(const std::string& Name, std::string& Da, std::string& Ti) {
  const size_t u = Name.find('_');
  Da = u == std::string::npos ? Name : Name.substr(0, u);
  Ti = u == std::string::npos ? std::string() : Name.substr(u + 1);
}

TFIOut* ScanMapOf(const std::string& Da, const std::string& Ti, const std::string& Name) {
  TLFIOut* r = LFIOOrNull();
  TFIOut* m = r ? r->GetFIOutDT(Da, Ti, Name) : nullptr;
  if (m && m->kLoad < 2 && m->nbData0 > 0) m->EnsureLoaded();
  return m && m->kLoad >= 2 && !m->aData.empty() ? m : nullptr;
}

// The filter list of (map, bounds) pairs.
struct TFilt {
  std::string Map, Bounds;
};

int32_t MaskCount(const std::vector<TFilt>& Fs, const std::string& Da, const std::string& Ti,
                  TAByBy* Keep = nullptr) {
  TFiltList L;
  for (const TFilt& f : Fs) MakeListFilt(L, f.Map, f.Bounds, false, false);
  TAByBy mask;
  int32_t n = 0;
  if (!FirstCombination(L, Da, Ti, mask, n)) n = 0;
  if (Keep) *Keep = std::move(mask);
  return n;
}

}  // namespace

bool FirstCombination(const TFiltList& L, const std::string& Da, const std::string& Ti,
                      TAByBy& Mask, int32_t& Count) {
  Mask.clear();
  Count = 0;
  if (L.empty()) return false;
  TFiltMaps maps;
  for (const auto& f : L) {
    TFIOut* m = f ? ScanMapOf(Da, Ti, f->Na) : nullptr;
    if (!m) return false;
    maps.push_back(m);
  }
  const int32_t nx = maps[0]->nX, ny = maps[0]->nY;
  MaskZero(nx, ny, Mask);
  const TAIn index(L.size(), 0);
  for (int32_t x = 0; x < nx; ++x)
    for (int32_t y = 0; y < ny; ++y)
      if (FiltPixelPasses(maps, L, index, x, y)) {
        Mask[static_cast<size_t>(x)][static_cast<size_t>(y)] = 1;
        ++Count;
      }
  return true;
}

bool MakeStdFilters(const std::string& ScanName, double Lo, double Hi, TStdFilters& R) {
  R = TStdFilters{};
  std::string da, ti;
  SplitName(ScanName, da, ti);
  const TFIOut* cb0 = ScanMapOf(da, ti, "CB0");
  if (!cb0) {
    WARNAbs("В сеансе "_cp + ScanName + " не рассчитана карта CB0"_cp);
    return false;
  }
  const double all = static_cast<double>(cb0->nX) * cb0->nY;
  auto shareAll = [&](int32_t n) { return all > 0 ? 100.0 * n / all : 0.0; };
  R.A = shareAll(MaskCount({{"CB0", "0 0.03"}}, da, ti));
  if (R.A != 0)
    R.B = shareAll(MaskCount({{"CB0", "0.1 0.5"}, {"W2QUV", "50 500"}}, da, ti));
  else
    R.B = shareAll(MaskCount({{"CB0", "0.03 0.4"}}, da, ti));
  if (R.A > 0)
    R.C = shareAll(MaskCount({{"CB0", "0.5 0.85"}, {"W2QUV", "40 500"}}, da, ti));
  else
    R.C = shareAll(MaskCount({{"CB0", "0.5 0.85"}}, da, ti));
  double T = 2.0;
  auto lowest = [&](const TAByBy* Mask) {
    for (int32_t x = 0; x < cb0->nX; ++x)
      for (int32_t y = 0; y < cb0->nY; ++y) {
        if (Mask && ((*Mask)[static_cast<size_t>(x)][static_cast<size_t>(y)] == 0)) continue;
        const double v = cb0->aData[static_cast<size_t>(x)][static_cast<size_t>(y)];
        if (v >= 0.03 && v < T) T = v;
      }
  };
  if (R.A == 0) {
    lowest(nullptr);
  } else if (R.B > 0 || R.C > 0) {
    TAByBy m;
    MaskCount({{"W2QUV", "15 500"}}, da, ti, &m);
    if (!m.empty()) lowest(&m);
  } else {
    T = 0.03;
  }
  R.D = T;
  const int32_t base = MaskCount({{"CB0", "0.85 2"}}, da, ti);
  auto shareBase = [&](int32_t n) { return base < 1 ? 0.0 : 100.0 * n / base; };
  R.E = shareBase(
      MaskCount({{"W2QUV", ShortSt(5, Lo) + " " + ShortSt(5, Hi)}, {"CB0", "0.5 2"}}, da, ti));
  R.F = shareBase(MaskCount({{"W2QUV", "0 " + ShortSt(5, Lo)}, {"CB0", "0.5 2"}}, da, ti));
  return true;
}

bool CalcBMLFilt(const std::string& ScanName, double& BML1Max, double& BML2Max, double& BIVMax,
                 double& BIVMin) {
  BML1Max = BML2Max = BIVMax = BIVMin = 0;
  std::string da, ti;
  SplitName(ScanName, da, ti);
  if (!ScanMapOf(da, ti, "CB0")) {
    WARNAbs("В сеансе "_cp + ScanName + " не рассчитана карта CB0"_cp);
    return false;
  }
  TAByBy mask;
  MaskCount({{"CB0", "0.3 2"}}, da, ti, &mask);
  TFIOut* found[3] = {nullptr, nullptr, nullptr};
  const char* names[3] = {"BIV", "BML1", "BML2"};
  for (int i = 0; i < 3; ++i) {
    found[i] = ScanMapOf(da, ti, names[i]);
    if (!found[i]) {
      WARNAbs("LFITS.CalcBML-ERR: Карта <"_cp + names[i] + "> не загружена в LFIO!"_cp);
      return false;
    }
    found[i]->FilteredMinMax(mask);
    if (i > 0) found[i]->MaskMax_Y3(mask, 2.0);
  }
  BML1Max = found[1]->vMaxY3;
  BML2Max = found[2]->vMaxY3;
  BIVMax = found[0]->vMaxAv;
  BIVMin = found[0]->vMinAv;
  return true;
}
