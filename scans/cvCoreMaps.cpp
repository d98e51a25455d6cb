// The maps of the Gauss-model fits and of the polarisation sums: the Doppler-width maps by the
// wing-tilt and by the full wing fit (Calc_D, CalcD_Full), the 38 core-fit maps (CalcCoreMaps),
// the filtered maps of a band (CalcFilt) and the 46 polarisation-integral maps (CalcKVI,
// CalcKVISave). Each run is a job: progress per slit file, cancel between files releases the maps
// the run set up. The fits run the slit pixels in order through one line measurement object;
// their standing warnings are gathered by kind and handed over once after the run.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCoreMaps.h"
#include "scans/cvCurI.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvWarnGroups.h"

namespace {

std::string DateTimePart(const TLFITS& S) {
  return S.ScanName.size() > 6 ? S.ScanName.substr(6, 7) : std::string();
}

std::string Progress(const TLFITS& S, const std::string& Mid, int32_t Ix, int32_t N) {
  return DateTimePart(S) + Mid + ZeroPad(Ix + 1, 4) + "/" + IntStr(N);
}

void Put(TFIOut* M, int32_t X, int32_t Y, float V) {
  if (M && X >= 0 && Y >= 0 && X < static_cast<int32_t>(M->aData.Rows()) &&
      Y < static_cast<int32_t>(M->aData.Cols()))
    M->aData.Line(static_cast<size_t>(Y))[X] = V;
}

double At(const TARe& Col, int32_t I) {
  return I >= 0 && I < static_cast<int32_t>(Col.size()) ? Col[static_cast<size_t>(I)] : 0.0;
}

void Finish(TFIOut* M) {
  if (!M || M->aData.empty()) return;
  M->kLoad |= 8;
  M->MinMaxMean();
}

// The map's data made NX by NY; the values where both sizes overlap stay.
void Fit(TFIOut& M, int32_t NX, int32_t NY) {
  const size_t nx = static_cast<size_t>(std::max(NX, 0)), ny = static_cast<size_t>(std::max(NY, 0));
  if (M.aData.Rows() != nx || M.aData.Cols() != ny) {
    TAR4R4Flat d(nx, ny);
    const size_t cx = std::min(nx, M.aData.Rows()), cy = std::min(ny, M.aData.Cols());
    for (size_t y = 0; y < cy; ++y)
      for (size_t x = 0; x < cx; ++x) d.Line(y)[x] = M.aData.Line(y)[x];
    M.aData = std::move(d);
  }
  M.nX = NX;
  M.nY = NY;
}

// One map of the wing runs: its work slot, key and the AWing column it takes.
struct TWingMap {
  int Slot;
  const char *Name, *Title;
  int Col;
};

const TWingMap kTiltMaps[] = {{1, "Dtilt1", "DLDbyTilt,B for 6301", 1},
                              {2, "Dtilt2", "DLDbyTilt,B for 6302", 3},
                              {3, "BWdl", "B by Width for 6301", 2},
                              {4, "BWd2", "B by Width for 6302", 4},
                              {5, "Dktilt1", "NormCoeff for DLDtilt, 6301", 5},
                              {6, "Dktilt2", "NormCoeff for DLDtilt, 6302", 7},
                              {7, "kat1", "CoreSlope by WingTilt 6301", 6},
                              {8, "kat2", "CoreSlope by WingTilt 6302", 8}};

const TWingMap kFullMaps[] = {{1, "DFull1", "DLD+DLH for 6301", 1},
                              {2, "DFull2", "DLD+DLH for 6302", 3},
                              {3, "kaF1", "CoreSlope for B=0, 6301", 2},
                              {4, "kaF2", "CoreSlope for B=0, 6302", 4},
                              {5, "DkFull1", "NormCoeff for DLDFull, 6301", 5},
                              {6, "DkFull2", "NormCoeff for DLDFull, 6302", 7},
                              {7, "d0Full1", "Max depth d0 for DLDFull, 6301", 6},
                              {8, "d0Full2", "Max depth d0 for DLDFull, 6302", 8}};

}  // namespace

void BoundFullWing(std::array<double, 9>& W, int32_t Ix, int32_t Y) {
  auto upper = [&](int K, const char* Mark) {
    if (!(std::fabs(W[K]) <= 3.3e38)) {
      WARNAbs("ix=" + IntStr(Ix) + " iY=" + IntStr(Y) + Mark + ShortSt(4, W[K]));
      W[K] = 3.3e38;
    }
  };
  auto lower = [&](int K, const char* Mark) {
    if (std::fabs(W[K]) < 2.5e-38) {
      if (Mark) WARNAbs("ix=" + IntStr(Ix) + " iY=" + IntStr(Y) + Mark + ShortSt(4, W[K]));
      W[K] = 2.5e-38;
    }
  };
  upper(6, " >>>> d01=");
  upper(8, " >>>> d02=");
  lower(6, " <<<< d01=");
  lower(8, " <<<< d02=");
  upper(1, " >>>> DF1=");
  upper(3, " >>>> DF2=");
  upper(5, " >>>> Dk1=");
  upper(7, " >>>> Dk2=");
  lower(1, " <<<< DF1=");
  lower(3, " <<<< DF2=");
  lower(5, nullptr);
  lower(7, nullptr);
}

// ---------------------------------------------------------------- Doppler widths of the wing fits

bool TLFITS::CalcWingMaps(TJob& Job, bool Full) {
  TTimedSection timed(Full ? "LFITS.CalcD_Full" : "LFITS.Calc_D");
  const TWingMap* defs = Full ? kFullMaps : kTiltMaps;
  for (int k = 1; k <= 8; ++k) ReleaseSlot(OuWork[k]);
  const int32_t n = Count(), ny = ScanNY();
  for (int k = 0; k < 8; ++k) {
    FOInitOwn(OuWork[defs[k].Slot], defs[k].Name, defs[k].Title, "2022");
    if (TFIOut* m = OuWork[defs[k].Slot].Get()) m->AssignMem(n, ny);
  }
  const std::string mid = Full ? " LFITS.CalcD_Full|iX=" : " LFITS.Calc_D,H|iX=";
  TWarnGroups groups;
  int32_t noWing = 0;
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, mid, ix, n))) {
      for (int k = 1; k <= 8; ++k) ReleaseSlot(OuWork[k]);
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      if (Full)
        f.FitWingFull(&groups, &noWing);
      else
        f.FitWingTilt(&groups, &noWing);
      TFIOut* maps[9] = {};
      for (int k = 0; k < 8; ++k) maps[defs[k].Col] = OuWork[defs[k].Slot].Get();
      TWarnGroups::TScope scope(&groups);
      for (int32_t y = 0; y < ny; ++y) {
        std::array<double, 9> w{};
        for (int c = 1; c <= 8; ++c) w[static_cast<size_t>(c)] = At(f.AWing[static_cast<size_t>(c)], y + 1);
        if (Full) BoundFullWing(w, ix, y);
        for (int c = 1; c <= 8; ++c) Put(maps[c], ix, y, static_cast<float>(w[static_cast<size_t>(c)]));
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, mid, std::max(n - 1, 0), n));
  for (int k = 1; k <= 8; ++k) Finish(OuWork[k].Get());
  groups.Flush();
  if (noWing > 0)
    WARNAbs(std::string(Full ? "LFITS.CalcD_Full: " : "LFITS.Calc_D: ") + IntStr(noWing) +
            " линий пикселей без положений крыльев (LWb, LWr) не подогнаны: значения 0"_cp);
  return true;
}

bool TLFITS::Calc_D(TJob& Job) { return CalcWingMaps(Job, false); }

bool TLFITS::CalcD_Full(TJob& Job) { return CalcWingMaps(Job, true); }

// ---------------------------------------------------------------- core-fit maps

namespace {

struct TCoreDef {
  const char *Name, *Title;
};

const TCoreDef kCore[39] = {{"", ""},
                            {"Core1_A8", "Line Regr.A 8point 6301"},
                            {"Core1_A6", "Line Regr.A 6point 6301"},
                            {"Core1_A41", "Line Regr.A 4(1)point 6301"},
                            {"Core1_A42", "Line Regr.A 4(2)point 6301"},
                            {"Core1_B8", "Line Regr.B 8point 6301"},
                            {"Core1_B6", "Line Regr.B 6point 6301"},
                            {"Core1_B41", "Line Regr.B 4(1)point 6301"},
                            {"Core1_B42", "Line Regr.B 4(2)point 6301"},
                            {"Core2_A8", "Line Regr.A 8point 6302"},
                            {"Core2_A6", "Line Regr.A 6point 6302"},
                            {"Core2_A41", "Line Regr.A 4(1)point 6302"},
                            {"Core2_A42", "Line Regr.A 4(2)point 6302"},
                            {"Core2_B8", "Line Regr.B 8point 6302"},
                            {"Core2_B6", "Line Regr.B 6point 6302"},
                            {"Core2_B41", "Line Regr.B 4(1)point 6302"},
                            {"Core2_B42", "Line Regr.B 4(2)point 6302"},
                            {"Cor1_DLD8", "Core DLD 8point 6301"},
                            {"Cor1_DLD6", "Core DLD 6point 6301"},
                            {"Cor1_DLD41", "Core DLD 4(1)point 6301"},
                            {"Cor1_DLD42", "Core DLD 4(2)point 6301"},
                            {"Cor2_DLD8", "Core DLD 8point 6302"},
                            {"Cor2_DLD6", "Core DLD 6point 6302"},
                            {"Cor2_DLD41", "Core DLD 4(1)point 6302"},
                            {"Cor2_DLD42", "Core DLD 4(2)point 6302"},
                            {"Core1_d0", "Core d0 6301"},
                            {"Core2_d0", "Core d0 6302"},
                            {"Cor1_DLDk", "Core DLDk 6301"},
                            {"Cor2_DLDk", "Core DLDk 6302"},
                            {"Cor1_DLD", "Core DLD 6301"},
                            {"Cor2_DLD", "Core DLD 6302"},
                            {"Cor16_L0", "Core Lam0 6point 6301"},
                            {"Cor14_L0", "Core Lam0 4point 6301"},
                            {"Cor26_L0", "Core Lam0 6point 6302"},
                            {"Cor24_L0", "Core Lam0 4point 6302"},
                            {"Core1_L0p", "CorePeak Lam0 6301"},
                            {"Core2_L0p", "CorePeak Lam0 6302"},
                            {"Core1_L0", "Core Lam0 6301"},
                            {"Core2_L0", "Core Lam0 6302"}};

}  // namespace

const char* CoreMapName(int32_t J) { return J >= 1 && J <= 38 ? kCore[J].Name : ""; }

bool TLFITS::cvGaussCore_Init() {
  if (OuCore[18]) {
    WARNAbs("TLFITS.cvGaussCore_Init WARNING: Повторный вызов!"_cp);
    return true;
  }
  if (static_cast<int64_t>(nX) * ScanNY() == 0) {
    WARNAbs("TLFITS.cvGaussCore_Init ERR - до вызова процедуры надо завести значения nX и nY!"_cp);
    return false;
  }
  TLFIOut& reg = LFIOReg();
  const char src = reg.CurSrcChar();
  std::vector<int> order;
  for (int j = 1; j <= 4; ++j) order.push_back(j);
  for (int j = 9; j <= 12; ++j) order.push_back(j);
  for (int j = 5; j <= 8; ++j) order.push_back(j);
  for (int j = 13; j <= 38; ++j) order.push_back(j);
  for (int j : order)
    OuCore[j].Set(reg.AddFIOut(ScanName, kCore[j].Name, kCore[j].Title, "2022", 1, nX, ScanNY(),
                               this));
  for (int j = 1; j <= 38; ++j)
    if (TFIOut* m = OuCore[j].Get()) m->DaNum = src;
  return true;
}

void TLFITS::AllocCoreMaps() {
  for (int j = 1; j <= 38; ++j)
    if (TFIOut* m = OuCore[j].Get()) Fit(*m, nX, ScanNY());
}

bool TLFITS::CalcCoreMaps(TJob& Job, const TFIOut* /*H: not used by the fit*/,
                          TStringList* Memo) {
  TTimedSection timed("LFITS.CalcCoreMaps");
  auto missing = [](const std::string& Name) {
    WARNAbs("CalcCore ERR Данные карты "_cp + Name + " не найдены в файле!"_cp);
    return false;
  };
  TFIOut* cont = OuCont.Get();
  if (!cont) return missing(OuCont.Named() ? OuCont.Name() : std::string("CONT"));
  if (!cont->EnsureLoaded()) return missing(cont->Name);
  for (TMapSlot* s : {&OuGc1, &OuGc2})
    if (TFIOut* m = s->Get(); m && !m->EnsureLoaded()) return missing(m->Name);
  // The fit state starts from the set-up on every run (repeated runs give the same maps).
  TCurI& C = ScanCurI();
  C.gs = C.gs1 = C.gs2 = Tgs{};
  Scans().SetupCurI(C);
  if (C.iB1 * C.iR1 == 0 || C.iB2 * C.iR2 == 0) {
    WARNAbs("LFITS.CalcCoreMaps: не заданы окна линий CurI (6301: iB1="_cp + IntStr(C.iB1) +
            " iR1=" + IntStr(C.iR1) + "; 6302: iB2=" + IntStr(C.iB2) + " iR2=" + IntStr(C.iR2) +
            "); расчёт не начат"_cp);
    return false;
  }
  if (!cvGaussCore_Init()) return false;
  AllocCoreMaps();
  const int32_t n = Count(), ny = ScanNY();
  TWarnGroups groups;
  TStringList memo;
  int32_t noCentre = 0;
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, " LFITS.CalcCore|iX=", ix, n))) {
      for (int j = 1; j <= 38; ++j) ReleaseSlot(OuCore[j]);
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      if (!f.ContFromMap()) f.GetContAll();
      f.LoadGRCColumns();
      f.CalcCore(&C, &memo, &groups, &noCentre);
      for (int j = 1; j <= 38; ++j) {
        TFIOut* m = OuCore[j].Get();
        const TARe& col = f.ACore[static_cast<size_t>(j)];
        for (int32_t y = 0; y < ny; ++y) Put(m, ix, y, static_cast<float>(At(col, y + 1)));
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, " LFITS.CalcCore|iX=", std::max(n - 1, 0), n));
  for (int j = 1; j <= 38; ++j) Finish(OuCore[j].Get());
  groups.Flush();
  if (noCentre > 0)
    WARNAbs("LFITS.CalcCoreMaps: " + IntStr(noCentre) +
            " линий пикселей без положения центра не подогнаны: значения 0"_cp);
  (Memo ? *Memo : Scans().CurISet.MemoGSparam).AddStrings(memo);
  return true;
}

// ---------------------------------------------------------------- filtered maps

namespace {

struct TFiltKey {
  std::string S, A, F1, F2;
  int32_t M = 1;
};

TFiltKey FiltKey() {
  const TScanCalcFields& c = Scans().CurISet.Calc;
  TFiltKey k;
  k.S = c.FiltStokes;
  k.A = c.FiltAbs ? "a" : "";
  k.F1 = c.Filt1;
  k.F2 = c.Filt2;
  k.M = ValIntOr0(TrimBlanks(c.Filt1)) < 61 ? 1 : 2;
  return k;
}

}  // namespace

bool TLFITS::InitFiltMaps() {
  const TFiltKey k = FiltKey();
  const std::string m = IntStr(k.M), band = "[" + k.F1 + "," + k.F2 + "]";
  return FOInitOwn(OuAny.At(1, k.M), "flt" + k.S + k.A + m + "C_" + k.F1 + "_" + k.F2,
                   "Filt(" + k.S + ") " + band + " per Cont for 630" + m, "2022") &&
         FOInitOwn(OuAny.At(2, k.M), "flt" + k.S + k.A + m + "V_" + k.F1 + "_" + k.F2,
                   "Filt(" + k.S + ") " + band + " per WV for 630" + m, "2022");
}

bool TLFITS::CalcFilt(TJob& Job, int32_t& M) {
  TTimedSection timed("LFITS.CalcFilt");
  const TFiltKey k = FiltKey();
  M = k.M;
  const int32_t f1 = ValIntOr0(TrimBlanks(k.F1)), f2 = ValIntOr0(TrimBlanks(k.F2));
  const bool absolute = !k.A.empty();
  ReleaseSlot(OuAny.At(1, M));
  ReleaseSlot(OuAny.At(2, M));
  InitFiltMaps();
  WARNAbs("nX,nY=" + IntStr(nX) + "," + IntStr(ScanNY()));
  const int32_t n = Count(), ny = ScanNY();
  for (int kk = 1; kk <= 2; ++kk)
    if (TFIOut* m = OuAny.At(kk, M).Get()) {
      m->aData = TAR4R4Flat();
      Fit(*m, nX, ny);
    }
  auto releaseAll = [&] {
    ReleaseSlot(OuAny.At(1, M));
    ReleaseSlot(OuAny.At(2, M));
  };
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, " LFITS.CalcFilt|iX=", ix, n))) {
      releaseAll();
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      const std::string who = "LFITS.CalcFilt-Err (iX=" + IntStr(ix) + ")";
      if (!f.ContFromMap()) {
        WARNAbs(who + " не найден CONT"_cp);
        return false;
      }
      if (!f.MapRow("WV2", f.AW2)) {
        WARNAbs(who + " не найдены поляризации 2"_cp);
        return false;
      }
      if (!f.MapRow("WV1", f.AW1)) {
        WARNAbs(who + " не найдены поляризации 1"_cp);
        return false;
      }
      f.CalcFiltSums(f1, f2, k.S, absolute);
      for (int kk = 1; kk <= 2; ++kk) {
        TFIOut* m = OuAny.At(kk, M).Get();
        if (!m) {
          WARNAbs("OuAny[" + IntStr(kk) + "," + IntStr(M) + "] Not Assigned!");
          continue;
        }
        const TARe& col = f.ArN2[static_cast<size_t>(kk)][static_cast<size_t>(M)];
        for (int32_t y = 0; y < ny; ++y) Put(m, ix, y, ToSingleSafe(At(col, y + 1)));
      }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, " LFITS.CalcFilt|iX=", std::max(n - 1, 0), n));
  // marked and measured like the maps of every run
  Finish(OuAny.At(1, M).Get());
  Finish(OuAny.At(2, M).Get());
  return true;
}

// ---------------------------------------------------------------- polarisation-integral maps

namespace {

const char* const kKVIBase[24][2] = {
    {"", ""},
    {"wVp", "Signed p-Polarization V for 630 (I<"},
    {"wVn", "Signed n-Polarization V for 630 (I<"},
    {"wQp", "Signed p-Polarization Q for 630 (I<"},
    {"wQn", "Signed n-Polarization Q for 630 (I<"},
    {"wUp", "Signed p-Polarization U for 630 (I<"},
    {"wUn", "Signed n-Polarization U for 630 (I<"},
    {"wW", "Measure of EqWidth I for 630 (I<"},
    {"LVMp", "iLam of p-lobe of V for 630 (I<"},
    {"LVMn", "iLam of n-lobe of V for 630 (I<"},
    {"LVMa", "iLam of abs(V) for 630 (I<"},
    {"LVMb", "iLam of blue-lobe of V for 630 (I<"},
    {"LVMr", "iLam of red-lobe of V for 630 (I<"},
    {"W2QU", "EqWidth sqrt(Q*Q+U*U) for 630 (I<"},
    {"W2QUV", "EqWidth sqrt(Q*Q+U*U+V*V) for 630 (I<"},
    {"LIVp", "iLam of I+V for 630 (I<"},
    {"LIVm", "iLam of I-V for 630 (I<"},
    {"LQUa", "iLam of sqrt(Q*Q+U*U) for 630 (I<"},
    {"LQUc", "iLam of central lobe sqrt(Q*Q+U*U) for 630 (I<"},
    {"LQUb", "iLam of blue lobe sqrt(Q*Q+U*U) for 630 (I<"},
    {"LQUr", "iLam of red lobe sqrt(Q*Q+U*U) for 630 (I<"},
    {"WQUc", "EqW sqrt(Q*Q+U*U) central lobe for 630 (I<"},
    {"WQUb", "EqW sqrt(Q*Q+U*U) blue lobe for 630 (I<"},
    {"WQUr", "EqW sqrt(Q*Q+U*U) red lobe for 630 (I<"}};

bool InitKVIRange(TLFITS& S, int K1, int K2) {
  const std::string r = RC90Str(Scans().CurISet.Calc);
  std::vector<std::string> names, titles;
  for (int k = K1; k <= K2; ++k) {
    names.push_back(kKVIBase[k][0] + r);
    titles.push_back(kKVIBase[k][1] + r + ")");
  }
  return S.InitLineMapPairs(S.OuAny, names, titles, K1, r);
}

}  // namespace

bool TLFITS::InitKVIMapsV() { return InitKVIRange(*this, 1, 12); }

bool TLFITS::InitKVIMapsQU() { return InitKVIRange(*this, 13, 23); }

bool TLFITS::CalcKVI(TJob& Job, bool Step) {
  TTimedSection timed("LFITS.CalcKVI");
  const double level = RC90Level(Scans().CurISet.Calc);
  for (int k = 1; k <= 23; ++k)
    for (int l = 1; l <= 2; ++l) ReleaseSlot(OuAny.At(k, l));
  InitKVIMapsV();
  InitKVIMapsQU();
  const int32_t n = Count(), ny = ScanNY();
  TFIOut* maps[24][3] = {};
  for (int k = 1; k <= 23; ++k)
    for (int l = 1; l <= 2; ++l)
      if ((maps[k][l] = OuAny.At(k, l).Get())) maps[k][l]->AssignMem(n, ny);
  auto releaseAll = [&] {
    for (int k = 1; k <= 23; ++k)
      for (int l = 1; l <= 2; ++l) ReleaseSlot(OuAny.At(k, l));
  };
  for (int32_t ix = 0; ix < n; ++ix) {
    if (!Job.Step(ix, n, Progress(*this, " LFITS.CalcKVI|iX=", ix, n))) {
      releaseAll();
      return false;
    }
    TFITS& f = *Files[static_cast<size_t>(ix)];
    if (f.LoadData()) {
      if (!f.ContFromMap()) f.GetContAll();
      if (!f.LoadLCColumns()) f.CalcLCHalf();
      f.CalcSumsFine(Step ? 1 : 0, level);
      for (int k = 1; k <= 23; ++k)
        for (int l = 1; l <= 2; ++l) {
          TFIOut* m = maps[k][l];
          if (!m) continue;
          const TARe& col = f.ArN2[static_cast<size_t>(k)][static_cast<size_t>(l)];
          for (int32_t y = 0; y < ny; ++y) Put(m, ix, y, ToSingleSafe(At(col, y + 1)));
        }
    }
    if (Light) f.FreeAll();
  }
  Job.Step(n, n, Progress(*this, " LFITS.CalcKVI|iX=", std::max(n - 1, 0), n));
  for (int k = 1; k <= 23; ++k)
    for (int l = 1; l <= 2; ++l) Finish(maps[k][l]);
  return true;
}

bool TLFITS::CalcKVISave(TJob& Job) {
  const bool step = TrimBlanks(Scans().CurISet.Calc.KVIStep) == "1";
  if (!CalcKVI(Job, step)) return false;
  std::vector<TFIOut*> maps;
  for (int k = 1; k <= 23; ++k)
    for (int l = 1; l <= 2; ++l)
      if (TFIOut* m = OuAny.At(k, l).Get()) maps.push_back(m);
  // the own output file started first when it does not exist yet
  std::error_code ec;
  if (!std::filesystem::is_regular_file(OutFolder + "/" + sFN, ec) &&
      !WriteMainHeader(*this, TScanMapStats{}))
    return false;
  return SaveMaps(Job, maps) == static_cast<int32_t>(maps.size());
}
