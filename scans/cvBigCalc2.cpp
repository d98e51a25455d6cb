// Scan statistics and the maps derived from other maps: the continuum extremes over the slit
// files, the mean line positions of the centre-of-gravity maps, the line-of-sight velocity maps
// and the extremes of velocity and longitudinal field, the rotation-velocity and longitudinal-
// field maps from the inversion results, the quality fit of the continuum and the per-file values
// of a header key. BigCalc2 runs the seven scan-level steps in their fixed order.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

namespace {

constexpr double kC = 299792.4562;  // km/s
constexpr double kPi = 3.14159265358979323846;
const std::string kCrLf = "\r\n";

// A map that holds no data is read from its file when it has one.
void LoadIfEmpty(TFIOut* M) {
  if (M && M->kLoad < 2 && M->nbData0 > 0 && !M->FileName().empty())
    M->LoadData(M->FileName(), M->nbData0);
}

bool HasData(const TFIOut* M) {
  return M && M->kLoad >= 2 && M->nX > 0 && M->nY > 0 &&
         M->aData.Rows() >= static_cast<size_t>(M->nX) &&
         M->aData.Cols() >= static_cast<size_t>(M->nY);
}

// The map's data made NX by NY zeros unless it has that size already (values kept then).
void Size(TFIOut& M, int32_t NX, int32_t NY) {
  if (M.aData.Rows() == static_cast<size_t>(NX) && M.aData.Cols() == static_cast<size_t>(NY)) {
    M.nX = NX;
    M.nY = NY;
    return;
  }
  const int32_t k = M.kLoad;
  M.AssignMem(NX, NY);
  M.kLoad = k | 1;
}

void Finish(TFIOut* M) {
  if (!M || M->aData.empty()) return;
  M->kLoad |= 8;
  M->MinMaxMean();
}

float V(const TFIOut* M, int32_t X, int32_t Y) {
  return M->aData.Line(static_cast<size_t>(Y))[X];
}

// The extremes of (A + B) / 2 over the common size of both maps, starting at [0][0]; x outer.
void PairExtremes(const TFIOut* A, const TFIOut* B, double& Max, int32_t& MaxX, int32_t& MaxY,
                  double& Min, int32_t& MinX, int32_t& MinY) {
  const int32_t nx = std::min(A->nX, B->nX), ny = std::min(A->nY, B->nY);
  Max = Min = (static_cast<double>(V(A, 0, 0)) + V(B, 0, 0)) / 2;
  MaxX = MaxY = MinX = MinY = 0;
  for (int32_t x = 0; x < nx; ++x)
    for (int32_t y = 0; y < ny; ++y) {
      const double v = (static_cast<double>(V(A, x, y)) + V(B, x, y)) / 2;
      if (v > Max) {
        Max = v;
        MaxX = x;
        MaxY = y;
      } else if (v < Min) {
        Min = v;
        MinX = x;
        MinY = y;
      }
    }
}

}  // namespace

bool TLFITS::BigCalc2(TJob& Job) {
  TTimedSection timed("LFITS.BigCalc2");
  const std::pair<const char*, void (TLFITS::*)()> steps[] = {
      {"MaxMinCont", &TLFITS::MaxMinCont}, {"CalcHLongMap", &TLFITS::CalcHLongMap},
      {"CalcRotMap", &TLFITS::CalcRotMap}, {"CalcLC12", &TLFITS::CalcLC12},
      {"CalcVC12", &TLFITS::CalcVC12},     {"VRBMax", &TLFITS::VRBMax},
      {"HNSMax", &TLFITS::HNSMax}};
  const int n = static_cast<int>(std::size(steps));
  for (int i = 0; i < n; ++i) {
    if (!Job.Step(i, n, std::string("LFITS.BigCalc2 ") + steps[i].first)) return false;
    (this->*steps[i].second)();
  }
  Job.Step(n, n, "LFITS.BigCalc2");
  return true;
}

void TLFITS::MaxMinCont() {
  if (Files.empty()) return WARNAbs("LFITS.MaxMinCont ERR: Список FITS не заполнен!"_cp);
  // A file whose continuum column is at hand gets its extremes from it.
  for (auto& f : Files)
    if (static_cast<int32_t>(f->ACnt.size()) == f->nY + 1) f->ContExtremes();
  const TColumnExtremes& e0 = Files[0]->ContExt;
  ContMax = e0.Max;
  ContMaxPix = e0.YMax;
  ContMin = e0.Min;
  ContMinPix = e0.YMin;
  ContMaxIx = ContMinIx = 0;
  for (int32_t i = 1; i < Count(); ++i) {
    const TColumnExtremes& e = Files[static_cast<size_t>(i)]->ContExt;
    if (e.Max > ContMax) {
      ContMax = e.Max;
      ContMaxPix = e.YMax;
      ContMaxIx = i;
    }
    if (e.Min < ContMin) {
      ContMin = e.Min;
      ContMinPix = e.YMin;
      ContMinIx = i;
    }
  }
}

void TLFITS::CalcLC12() {
  if (!OuGc1) InitGRCMaps();
  TFIOut* g1 = OuGc1.Get();
  TFIOut* g2 = OuGc2.Get();
  if (!g1 || !g2) return;
  LoadIfEmpty(g1);
  LoadIfEmpty(g2);
  // Means of maps without data would be made of nothing: no value is changed then.
  if (!HasData(g1) || !HasData(g2))
    return WARNAbs("LFITS.CalcLC12 ERR: нет данных в картах GRC_6301, GRC_6302"_cp);
  double mean[2] = {0, 0};
  const TFIOut* g[2] = {g1, g2};
  for (int k = 0; k < 2; ++k) {
    double s = 0;
    for (int32_t y = 0; y < g[k]->nY; ++y) {
      const float* p = g[k]->aData.Line(static_cast<size_t>(y));
      for (int32_t x = 0; x < g[k]->nX; ++x) s += p[x];
    }
    mean[k] = s / (static_cast<double>(g[k]->nX) * g[k]->nY);
  }
  LC1Pix = mean[0];
  LC2Pix = mean[1];
  rLC1 = Pix2Lam(LC1Pix);
  rLC2 = Pix2Lam(LC2Pix);
}

void TLFITS::CalcVC12() {
  if (rLC1 == 0 || rLC2 == 0)
    return WARNAbs("LFITS.CalcVC12 ERR средние значения rLC1, rLC2 ещё не расчитаны"_cp + kCrLf +
                   "Надо сперва запускать расчёт LFITS.CalcLC12"_cp);
  TFIOut* g1 = OuGc1.Get();
  TFIOut* g2 = OuGc2.Get();
  if (!HasData(g1) || !HasData(g2))
    return WARNAbs("LFITS.CalcVC12 ERR: нет данных в картах GRC_6301, GRC_6302"_cp);
  if ((!OuVc1 || OuVc1->kLoad < 2) && !InitVlosMaps()) return;
  TFIOut* v1 = OuVc1.Get();
  TFIOut* v2 = OuVc2.Get();
  if (!v1 || !v2) return;
  const int32_t ny = ScanNY();
  Size(*v1, nX, ny);
  Size(*v2, nX, ny);
  const int32_t nx1 = std::min(nX, std::min(g1->nX, g2->nX));
  const int32_t ny1 = std::min(ny, std::min(g1->nY, g2->nY));
  for (int32_t y = 0; y < ny1; ++y) {
    float* a = v1->aData.Line(static_cast<size_t>(y));
    float* b = v2->aData.Line(static_cast<size_t>(y));
    for (int32_t x = 0; x < nx1; ++x) {
      a[x] = static_cast<float>((Pix2Lam(V(g1, x, y)) - rLC1) / 6301.5 * kC);
      b[x] = static_cast<float>((Pix2Lam(V(g2, x, y)) - rLC2) / 6302.5 * kC);
    }
  }
  Finish(v1);
  Finish(v2);
}

void TLFITS::VRBMax() {
  if ((!OuVc1 || OuVc1->kLoad < 2) && !InitVlosMaps()) return;
  if (!OuVc1)
    return WARNAbs("LFITS.VRBMax ERR в LFITS не инициирована OuVc1!"_cp + kCrLf +
                   "Надо вызвать LFITS.cvFITSInit2"_cp);
  TFIOut* a = OuVc1.Get();
  TFIOut* b = OuVc2.Get();
  LoadIfEmpty(a);
  LoadIfEmpty(b);
  if (!HasData(a) || !HasData(b))
    return WARNAbs("LFITS.VRBMax ERR: нет данных в картах Vlos6301, Vlos6302"_cp);
  PairExtremes(a, b, VelMax, VelMaxX, VelMaxY, VelMin, VelMinX, VelMinY);
}

void TLFITS::HNSMax() {
  if ((!OuH1 || OuH1->kLoad < 2) && !InitHLMaps()) return;
  if (!OuH1)
    return WARNAbs("LFITS.HNSMax ERR в LFITS не инициирована OuH1!"_cp + kCrLf +
                   "Надо вызвать LFITS.cvFITSInit"_cp);
  TFIOut* a = OuH1.Get();
  TFIOut* b = OuH2.Get();
  LoadIfEmpty(a);
  LoadIfEmpty(b);
  if (!HasData(a) || !HasData(b))
    return WARNAbs("LFITS.HNSMax ERR: нет данных в картах H_L_6301, H_L_6302"_cp);
  PairExtremes(a, b, HLMax, HLMaxX, HLMaxY, HLMin, HLMinX, HLMinY);
}

void TLFITS::CalcRotMap() {
  if (!MeX) InitMECoordMaps();
  TFIOut* mx = MeX.Get();
  LoadIfEmpty(mx);
  if (!mx || mx->kLoad <= 1) return;
  TFIOut* my = MeY.Get();
  LoadIfEmpty(my);
  if (!HasData(mx) || !HasData(my)) return;
  if (SOLAR_RA == 0) {
    int32_t cards = 0;
    int64_t bytes = 0;
    ReadMEMainHeader(cards, bytes);
  }
  // Without the solar radius every pixel would divide by zero.
  if (SOLAR_RA == 0 || !std::isfinite(SOLAR_RA))
    return WARNAbs("LFITS.CalcRotMap ERR: SOLAR_RA=0 в заголовке файла инверсии <"_cp + sFNME +
                   ">, карта Rot_dV не рассчитана"_cp);
  if (!InitRotMap()) return;
  TFIOut* rot = OuRot.Get();
  if (!rot) return;
  const int32_t ny = ScanNY();
  rot->AssignMem(nX, ny);
  const double R = SOLAR_RA;
  const int32_t nx1 = std::min(nX, std::min(mx->nX, my->nX));
  const int32_t ny1 = std::min(ny, std::min(mx->nY, my->nY));
  int64_t beyond = 0;
  for (int32_t y = 0; y < ny1; ++y) {
    float* r = rot->aData.Line(static_cast<size_t>(y));
    for (int32_t x = 0; x < nx1; ++x) {
      const double X = V(mx, x, y), Y = V(my, x, y);
      // Beyond the limb (or no position) the arc cosines have no meaning: 0 there.
      if (!(X * X + Y * Y <= R * R)) {
        ++beyond;
        continue;
      }
      const double a = std::acos(X / R) * 180 / kPi + 90;
      const double b = std::acos(Y / R) * 180 / kPi;
      r[x] = static_cast<float>(LOSRotVel(b, a));
    }
  }
  if (beyond > 0)
    WARNAbs("LFITS.CalcRotMap: "_cp + I64Str(beyond) + " пикселей за лимбом (R="_cp +
            ShortSt(6, R) + "), в карте Rot_dV для них 0"_cp);
  Finish(rot);
}

void TLFITS::CalcHLongMap() {
  if (!MeH) InitMEFieldMaps();
  TFIOut* h = MeH.Get();
  LoadIfEmpty(h);
  if (!h || h->kLoad <= 1) return;
  TFIOut* g = MeGM.Get();
  LoadIfEmpty(g);
  if (!HasData(h) || !HasData(g)) return;
  InitHLongMap();
  TFIOut* hl = MeHL.Get();
  if (!hl) return;
  const int32_t ny = ScanNY();
  hl->AssignMem(nX, ny);
  const int32_t nx1 = std::min(nX, std::min(h->nX, g->nX));
  const int32_t ny1 = std::min(ny, std::min(h->nY, g->nY));
  for (int32_t y = 0; y < ny1; ++y) {
    float* p = hl->aData.Line(static_cast<size_t>(y));
    for (int32_t x = 0; x < nx1; ++x)
      p[x] = static_cast<float>(std::cos(V(g, x, y) * kPi / 180) * V(h, x, y));
  }
  Finish(hl);
}

void TLFITS::QualContFit() {
  TARe X(1, 0.0), Y(1, 0.0);
  for (int m = 1; m <= 12; ++m) {
    const double lo = (m - 1) * 0.005, hi = m * 0.005;
    int64_t count = 0;
    double sum = 0;
    for (const auto& f : Files) {
      const int32_t ny = f->nY;
      if (static_cast<int32_t>(f->AQual.size()) != ny + 1 ||
          static_cast<int32_t>(f->ACnt.size()) != ny + 1)
        continue;
      for (int32_t y = 1; y <= ny; ++y) {
        const double q = f->AQual[static_cast<size_t>(y)];
        if (q >= lo && q < hi) {
          ++count;
          sum += f->ACnt[static_cast<size_t>(y)];
        }
      }
    }
    if (count > 0) {
      X.push_back(static_cast<double>(count));
      Y.push_back(sum / static_cast<double>(count));
    }
  }
  double a = 0, b = 0;
  AReLinFit(X, Y, a, b);
  QualB = b;
}

void TLFITS::KeyValArray(const std::string& Key, TARe& Values) {
  Values.assign(static_cast<size_t>(Count()) + 1, 0.0);
  for (int32_t i = 0; i < Count(); ++i)
    Values[static_cast<size_t>(i) + 1] = Files[static_cast<size_t>(i)]->GetKeyVal(Key);
}
