// Profile access of a slit file and of a scan: the Stokes profiles of a slit pixel raw or
// normalised, against pixel, wavelength or velocity, as 3 x 3 means, text tables and sums over
// pixels, and the per-file summaries over the measurement columns.
#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"

namespace {

constexpr double kLightKms = 299792.4562;
const char* const kStokesName[5] = {"", "I", "Q", "U", "V"};

// What a Stokes selection text asks for.
struct TSel {
  bool S[5] = {false, false, false, false, false};  // I, Q, U, V at 1..4
  bool P = false, D = false;
  bool Any() const { return S[1] || S[2] || S[3] || S[4]; }
};

TSel ParseSel(const std::string& Text) {
  TSel r;
  if (Text == "QXi" || Text == "UXi") {
    r.S[2] = r.S[3] = true;
    return r;
  }
  for (char c : Text) switch (c) {
      case 'I': r.S[1] = true; break;
      case 'Q': r.S[2] = true; break;
      case 'U': r.S[3] = true; break;
      case 'V': r.S[4] = true; break;
      case 'P': r.P = r.S[2] = r.S[3] = true; break;
      case 'D': r.D = r.S[1] = true; break;
      default: break;
    }
  return r;
}

TARe& Pick(int s, TARe& I, TARe& Q, TARe& U, TARe& V) {
  return s == 1 ? I : s == 2 ? Q : s == 3 ? U : V;
}

// P and D (D[1] = 0, D[i] = (I[i] - I[i - 1]) / Step(i)) from the filled I, Q, U.
template <class StepFn>
void FillPD(const TSel& Sel, int32_t nLam, const TARe& I, const TARe& Q, const TARe& U, TARe& P,
            TARe& D, StepFn Step) {
  if (Sel.P) {
    P.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) P[i] = std::sqrt(Q[i] * Q[i] + U[i] * U[i]);
  }
  if (Sel.D) {
    D.assign(static_cast<size_t>(std::max(nLam, 1)), 0.0);
    for (int32_t i = 2; i <= nLam - 1; ++i) D[i] = (I[i] - I[i - 1]) / Step(i);
  }
}

// The table header "L I Q U V " of the selected parameters.
std::string TableHead(const TSel& Sel) {
  std::string h = "L ";
  for (int s = 1; s <= 4; ++s)
    if (Sel.S[s]) h += std::string(kStokesName[s]) + " ";
  return h;
}

}  // namespace

// ================================================================ slit file

namespace {

// Header read (else the operation's message) and the cube loaded on demand.
bool Ready(TFITS& F, const char* Name) {
  if (!F.Bit(1)) {
    if (Name) WARNAbs(std::string(Name) + " ERROR!\r\nHeader Not Loaded Yet!!!");
    return false;
  }
  return F.Bit(2) || F.LoadData();
}

// The wavelength list of the scan, or the file's own.
void Lambdas(TFITS& F, TARe& Out) {
  if (F.Owner && NOf(F.Owner->Refs.ALam) == F.nLam)
    Out = F.Owner->Refs.ALam;
  else
    F.GetALam(Out);
}

}  // namespace

double TFITS::Normaliser(int32_t y) {
  if (static_cast<int32_t>(ACnt.size()) != nY + 1) GetContAll();
  if (y < 1 || y >= static_cast<int32_t>(ACnt.size())) return 1;
  const double c = ACnt[static_cast<size_t>(y)] * (Owner ? Owner->KCont : 1.0);
  return c == 0 ? 1 : c;
}

bool TFITS::GetFIT3(int32_t y, const std::string& Sel, TStokes4& Out) {
  if (!Ready(*this, "TFITS.GetFIT3")) return false;
  const TSel sel = ParseSel(Sel);
  TAIn col;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s]) continue;
    TAIn& o = Out[static_cast<size_t>(s)];
    o.assign(static_cast<size_t>(nLam) + 1, 0);
    for (int32_t yy = y - 1; yy <= y + 1; ++yy)
      if (GetCol3(yy, s, col))
        for (int32_t i = 1; i <= nLam; ++i) o[i] += col[i];
  }
  return true;
}

bool TFITS::GetFITArr(int32_t y, const std::string& Sel, TARe& X, TARe& I, TARe& Q, TARe& U,
                      TARe& V) {
  if (!Ready(*this, nullptr)) return false;
  const TSel sel = ParseSel(Sel);
  TAIn col;
  bool any = false;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s] || !GetCol3(y + 1, s, col)) continue;
    Pick(s, I, Q, U, V) = AInToARe(col);
    any = true;
  }
  if (any) {
    X.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) X[i] = i;
  }
  return any;
}

std::unique_ptr<TStringList> TFITS::GetFIT_SL(int32_t y, const std::string& Sel) {
  TTimedSection timed("FITS.GetFIT_SL");
  if (!Ready(*this, "TFITS.GetFIT_SL")) return nullptr;
  const TSel sel = ParseSel(Sel);
  TStokes4 c;
  for (int s = 1; s <= 4; ++s)
    if (sel.S[s] && !GetCol3(y + 1, s, c[static_cast<size_t>(s)])) return nullptr;
  auto sl = std::make_unique<TStringList>();
  sl->Add(TableHead(sel));
  for (int32_t i = 1; i <= nLam; ++i) {
    std::string line = IntStr(i) + " ";
    for (int s = 1; s <= 4; ++s)
      if (sel.S[s]) line += IntStr(c[static_cast<size_t>(s)][i]) + " ";
    sl->Add(line);
  }
  LineTabStrings(sl.get(), 1);
  return sl;
}

std::unique_ptr<TStringList> TFITS::GetFITNorm_SL(int32_t y, const std::string& Sel) {
  if (!Ready(*this, "TFITS.GetFITNorm_SL")) return nullptr;
  const TSel sel = ParseSel(Sel);
  TStokes4 c;
  for (int s = 1; s <= 4; ++s)
    if (sel.S[s] && !GetCol3(y + 1, s, c[static_cast<size_t>(s)])) return nullptr;
  const double norm = Normaliser(y + 1);
  TARe lam;
  Lambdas(*this, lam);
  auto sl = std::make_unique<TStringList>();
  sl->Add(TableHead(sel));
  for (int32_t i = 1; i <= nLam; ++i) {
    std::string line = ShortSt(9, lam[i]) + " ";
    for (int s = 1; s <= 4; ++s)
      if (sel.S[s]) line += ShortSt(6, c[static_cast<size_t>(s)][i] / norm) + " ";
    sl->Add(line);
  }
  LineTabStrings(sl.get(), 1);
  return sl;
}

bool TFITS::GetFITARe2(int32_t y, const std::string& Sel, char YMode, char XMode, double Lam0,
                       TARe& X, TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D) {
  if (!Ready(*this, "TFITS.GetFITARe2")) return false;
  const TSel sel = ParseSel(Sel);
  const double norm = YMode == 'n' ? Normaliser(y + 1) : 1;
  TAIn col;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s]) continue;
    TARe& o = Pick(s, I, Q, U, V);
    o.assign(static_cast<size_t>(nLam) + 1, 0.0);
    if (!GetCol3(y + 1, s, col)) continue;
    for (int32_t i = 1; i <= nLam; ++i) o[i] = col[i] / norm;
  }
  auto xf = [&](double x) {
    switch (XMode) {
      case '1': return Owner ? Owner->Pix2V1(x) : x;
      case '2': return Owner ? Owner->Pix2V2(x) : x;
      case 'n': return (Owner ? Owner->Pix2Lam(x) : Pix2Lam(x)) - Lam0;
      default: return x;
    }
  };
  if (sel.Any()) {
    X.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) X[i] = xf(i);
  }
  if (sel.D) {
    M.assign(static_cast<size_t>(std::max(nLam, 1)), 0.0);
    for (int32_t i = 1; i <= nLam - 1; ++i) M[i] = xf(i + 0.5);
  }
  FillPD(sel, nLam, I, Q, U, P, D, [](int32_t) { return 1.0; });
  return true;
}

bool TFITS::GetFITNormArr(int32_t y, const std::string& Sel, double Lam0, TARe& X, TARe& M,
                          TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D) {
  if (!Ready(*this, nullptr)) return false;
  const TSel sel = ParseSel(Sel);
  const double norm = Normaliser(y + 1);
  TAIn col;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s]) continue;
    TARe& o = Pick(s, I, Q, U, V);
    o.assign(static_cast<size_t>(nLam) + 1, 0.0);
    if (!GetCol3(y + 1, s, col)) continue;
    for (int32_t i = 1; i <= nLam; ++i) o[i] = col[i] / norm;
  }
  TARe lam;
  Lambdas(*this, lam);
  X.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) X[i] = lam[i] - Lam0;
  if (sel.D) {
    M.assign(static_cast<size_t>(std::max(nLam, 1)), 0.0);
    for (int32_t i = 1; i <= nLam - 1; ++i) M[i] = (X[i] + X[i + 1]) / 2;
  }
  FillPD(sel, nLam, I, Q, U, P, D, [&X](int32_t i) { return X[i + 1] - X[i]; });
  return true;
}

void TFITS::GetAI(int32_t y, TARe& Out) {
  thread_local TAIn col;
  if (!GetCol3(y, 1, col)) return;
  const double norm = Normaliser(y);
  Out.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) Out[i] = col[i] / norm;
}

void TFITS::GetAV(int32_t y, TARe& Out) {
  thread_local TAIn col;
  if (!GetCol3(y + 1, 4, col)) return;
  const double norm = Normaliser(y + 1);
  Out.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) Out[i] = col[i] / norm;
}

void TFITS::GetIReal(int32_t y, TARe& Out) {
  TAIn col;
  if (!GetCol3(y, 1, col)) return;
  Out = AInToARe(col);
}

void TFITS::GetIV(int32_t y, TARe& IpV, TARe& ImV, TARe& I) {
  TAIn ci, cv;
  if (!GetCol3(y + 1, 1, ci) || !GetCol3(y + 1, 4, cv)) return;
  const size_t n = static_cast<size_t>(nLam) + 1;
  IpV.assign(n, 0.0);
  ImV.assign(n, 0.0);
  I.assign(n, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) {
    IpV[i] = double(ci[i]) + cv[i];
    ImV[i] = double(ci[i]) - cv[i];
    I[i] = ci[i];
  }
}

void TFITS::SetIVRow(int32_t y) {
  if (IVRow == y && static_cast<int32_t>(IVI.size()) == nLam + 1) return;
  IVRow = -1;
  IVpV.clear();
  IVmV.clear();
  IVI.clear();
  GetIV(y, IVpV, IVmV, IVI);
  if (static_cast<int32_t>(IVI.size()) == nLam + 1) IVRow = y;
}

double RowMin(const TARe& A, int32_t i, int32_t n) {
  const int32_t last = static_cast<int32_t>(A.size()) - 1;
  if (last < 0) return 0;
  i = std::clamp(i, 0, last);
  double m = A[static_cast<size_t>(i)];
  for (int32_t k = i + 1; k <= i + n - 1 && k <= last; ++k) m = std::min(m, A[static_cast<size_t>(k)]);
  return m;
}

double TFITS::MinIpV(int32_t i, int32_t n) const { return RowMin(IVpV, i, n); }
double TFITS::MinImV(int32_t i, int32_t n) const { return RowMin(IVmV, i, n); }
double TFITS::MinI(int32_t i, int32_t n) const { return RowMin(IVI, i, n); }

// ---------------------------------------------------------------- sums over pixels

namespace {

void SizeSums(TStokesRe4& Sums, int32_t nLam) {
  for (int s = 1; s <= 4; ++s)
    if (static_cast<int32_t>(Sums[static_cast<size_t>(s)].size()) < nLam + 1)
      Sums[static_cast<size_t>(s)].resize(static_cast<size_t>(nLam) + 1, 0.0);
}

}  // namespace

bool TFITS::GetProfSum(const TAIn& Flags, TStokesRe4& Sums) {
  if (!Ready(*this, "TFITS.GetProfSum")) return false;
  SizeSums(Sums, nLam);
  TAIn col;
  const int32_t n = std::min<int32_t>(nY, static_cast<int32_t>(Flags.size()));
  for (int32_t p = 0; p < n; ++p) {
    if (Flags[static_cast<size_t>(p)] <= 0) continue;
    for (int s = 1; s <= 4; ++s)
      if (GetCol3(p + 1, s, col))
        for (int32_t i = 1; i <= nLam; ++i) Sums[static_cast<size_t>(s)][i] += col[i];
  }
  if (Owner && Owner->Light) FreeData();
  return true;
}

bool TFITS::GetProfSum(const TAIn& Flags, const TARe& Shifts, TStokesRe4& Sums) {
  if (!Ready(*this, "TFITS.GetProfSum")) return false;
  SizeSums(Sums, nLam);
  TAIn col;
  TARe r;
  const int32_t n = std::min<int32_t>(nY, static_cast<int32_t>(Flags.size()));
  for (int32_t p = 0; p < n; ++p) {
    if (Flags[static_cast<size_t>(p)] <= 0) continue;
    const double sh = p < static_cast<int32_t>(Shifts.size()) ? Shifts[static_cast<size_t>(p)] : 0;
    for (int s = 1; s <= 4; ++s) {
      if (!GetCol3(p + 1, s, col)) continue;
      AInShiftToARe(col, sh, r);
      for (int32_t i = 1; i <= nLam && i < static_cast<int32_t>(r.size()); ++i)
        Sums[static_cast<size_t>(s)][i] += r[i];
    }
  }
  return true;
}

bool TFITS::AccProfSum(const TAIn& Flags, TStokesRe4& Sums) {
  TStokesRe4 fresh;
  for (int s = 1; s <= 4; ++s) fresh[static_cast<size_t>(s)].assign(Sums[1].size(), 0.0);
  if (!GetProfSum(Flags, fresh)) return false;
  for (int s = 1; s <= 4; ++s) {
    TARe& a = Sums[static_cast<size_t>(s)];
    const TARe& b = fresh[static_cast<size_t>(s)];
    if (a.size() < b.size()) a.resize(b.size(), 0.0);
    for (size_t i = 0; i < b.size(); ++i) a[i] += b[i];
  }
  return true;
}

void TFITS::AddContSum(const TAIn& Flags, double& Total) {
  if (static_cast<int32_t>(ACnt.size()) != nY + 1) GetContAll();
  const int32_t n = std::min<int32_t>(nY, static_cast<int32_t>(Flags.size()));
  for (int32_t p = 0; p < n; ++p)
    if (Flags[static_cast<size_t>(p)] >= 1 && p + 1 < static_cast<int32_t>(ACnt.size()))
      Total += ACnt[static_cast<size_t>(p) + 1];
}

// ---------------------------------------------------------------- per-file summaries

namespace {

template <class ValFn>
TColumnExtremes Extremes(int32_t nY, ValFn Val) {
  TColumnExtremes e;
  if (nY < 1) return e;
  e.Min = e.Max = Val(1);
  e.YMin = e.YMax = 1;
  for (int32_t y = 2; y <= nY; ++y) {
    const double v = Val(y);
    if (v < e.Min) {
      e.Min = v;
      e.YMin = y;
    } else if (v > e.Max) {
      e.Max = v;
      e.YMax = y;
    }
  }
  return e;
}

double At(const TARe& A, int32_t y) {
  return y >= 0 && y < static_cast<int32_t>(A.size()) ? A[static_cast<size_t>(y)] : 0;
}

}  // namespace

void TFITS::ContExtremes() {
  if (static_cast<int32_t>(ACnt.size()) != nY + 1) GetContAll();
  ContExt = Extremes(nY, [this](int32_t y) { return At(ACnt, y); });
}

void TFITS::WidthExtremes(const TARe& AW1, const TARe& AW2) {
  WidthExt = Extremes(nY, [&](int32_t y) { return At(AW1, y) + At(AW2, y); });
}

void TFITS::PairExtremes(const TARe& AHM1, const TARe& AHM2) {
  PairExt = Extremes(nY, [&](int32_t y) { return (At(AHM1, y) + At(AHM2, y)) / 2; });
}

void TFITS::ContIntercept(const TARe& AQual) {
  if (static_cast<int32_t>(ACnt.size()) != nY + 1) GetContAll();
  TARe X(1, 0.0), Y(1, 0.0);
  for (int k = 1; k <= 12; ++k) {
    const double t = 0.005 * k;
    int32_t count = 0;
    double sum = 0;
    for (int32_t y = 1; y <= nY; ++y)
      if (At(AQual, y) < t) {
        ++count;
        sum += At(ACnt, y);
      }
    if (count > 0) {
      X.push_back(count);
      Y.push_back(sum / count);
    }
  }
  double a = 0, b = 0;
  AReLinFit(X, Y, a, b);
  QualIntercept = b;
}

// ================================================================ scan

double TLFITS::Pix2V1(double x) const {
  const double l = Lam1 != 0 ? Lam1 : 6301.5008;
  return (Pix2Lam(x) - l) / l * kLightKms - VW1;
}

double TLFITS::Pix2V2(double x) const {
  const double l = Lam2 != 0 ? Lam2 : 6302.4932;
  return (Pix2Lam(x) - l) / l * kLightKms - VW2;
}

namespace {

// The scan's checks: linked, headers read; the file of index F.
TFITS* ScanFile(TLFITS& S, const char* Name, int32_t F) {
  if (!S.Bit(0)) {
    WARNAbs(std::string(Name) + " ERROR!\r\nLFITS Not Assigned Yet!!!");
    return nullptr;
  }
  if (!S.Bit(1)) {
    WARNAbs(std::string(Name) + " ERROR!\r\nHeaders Not Loaded Yet!!!");
    return nullptr;
  }
  TFITS* f = S.FITSByIndex(F);
  if (!f) WARNAbs(std::string(Name) + " ERROR!\r\nf=" + IntStr(F) + " Not in [0.." +
                  IntStr(S.Count() - 1) + "]");
  return f;
}

// The 3 x 3 sums of files F - 1 .. F + 1 at slit pixel y and the nine continua (and, per file,
// the continuum of pixel y). F must lie in 1..count - 2.
bool NineSum(TLFITS& S, const char* Name, int32_t F, int32_t y, const TSel& Sel,
             const std::string& SelText, TStokesRe4& Sum, double& ContSum, double CentreCont[3]) {
  if (!ScanFile(S, Name, F)) return false;
  if (F < 1 || F > S.Count() - 2) {
    WARNAbs(std::string(Name) + " ERROR!\r\nf=" + IntStr(F) + " Not in [1.." +
            IntStr(S.Count() - 2) + "]: нужны соседние позиции щели"_cp);
    return false;
  }
  ContSum = 0;
  TStokes4 part;
  for (int k = 0; k < 3; ++k) {
    TFITS* f = S.FITSByIndex(F - 1 + k);
    if (!f || !f->GetFIT3(y, SelText, part)) return false;
    for (int s = 1; s <= 4; ++s) {
      if (!Sel.S[s]) continue;
      TARe& o = Sum[static_cast<size_t>(s)];
      if (static_cast<int32_t>(o.size()) != f->nLam + 1) o.assign(static_cast<size_t>(f->nLam) + 1, 0.0);
      for (int32_t i = 1; i <= f->nLam; ++i) o[i] += part[static_cast<size_t>(s)][i];
    }
    if (static_cast<int32_t>(f->ACnt.size()) != f->nY + 1) f->GetContAll();
    for (int32_t yy = y - 1; yy <= y + 1; ++yy) ContSum += At(f->ACnt, yy);
    CentreCont[k] = At(f->ACnt, y);
  }
  return true;
}

int32_t ScanLam(TLFITS& S, int32_t F) {
  TFITS* f = S.FITSByIndex(F);
  return f ? f->nLam : 0;
}

}  // namespace

std::unique_ptr<TStringList> TLFITS::GetFIT_SL(int32_t F, int32_t y, const std::string& Sel) {
  TFITS* f = ScanFile(*this, "TLFITS.GetFIT_SL", F);
  return f ? f->GetFIT_SL(y, Sel) : nullptr;
}

std::unique_ptr<TStringList> TLFITS::GetFITNorm_SL(int32_t F, int32_t y,
                                                   const std::string& Sel) {
  TFITS* f = ScanFile(*this, "TLFITS.GetFITNorm_SL", F);
  return f ? f->GetFITNorm_SL(y, Sel) : nullptr;
}

bool TLFITS::GetFITArr(int32_t F, int32_t y, const std::string& Sel, char YMode, char XMode,
                       double Lam0, TARe& X, TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V,
                       TARe& P, TARe& D, double& Cont) {
  TFITS* f = ScanFile(*this, "TLFITS.GetFITArr", F);
  if (!f || !f->GetFITARe2(y, Sel, YMode, XMode, Lam0, X, M, I, Q, U, V, P, D)) return false;
  Cont = f->GetContIY(y);
  return true;
}

bool TLFITS::GetFITNormArr(int32_t F, int32_t y, const std::string& Sel, double Lam0, TARe& X,
                           TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D) {
  TFITS* f = ScanFile(*this, "TLFITS.GetFITNormArr", F);
  return f && f->GetFITNormArr(y, Sel, Lam0, X, M, I, Q, U, V, P, D);
}

bool TLFITS::GetFIT9Arr(int32_t F, int32_t y, const std::string& Sel, TARe& X, TARe& M, TARe& I,
                        TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D, double& Cont) {
  const TSel sel = ParseSel(Sel);
  TStokesRe4 sum;
  double cs = 0, cc[3] = {0, 0, 0};
  if (!NineSum(*this, "TLFITS.GetFIT9Arr", F, y, sel, Sel, sum, cs, cc)) return false;
  const int32_t nLam = ScanLam(*this, F);
  Cont = cs / 9;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s]) continue;
    TARe& o = Pick(s, I, Q, U, V);
    o.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) o[i] = sum[static_cast<size_t>(s)][i] / 9;
  }
  if (sel.Any()) {
    X.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) X[i] = i;
  }
  if (sel.D) {
    M.assign(static_cast<size_t>(std::max(nLam, 1)), 0.0);
    for (int32_t i = 1; i <= nLam - 1; ++i) M[i] = i + 0.5;
  }
  FillPD(sel, nLam, I, Q, U, P, D, [](int32_t) { return 1.0; });
  return true;
}

bool TLFITS::GetFIT9NormArr(int32_t F, int32_t y, const std::string& Sel, double Lam0, TARe& X,
                            TARe& M, TARe& I, TARe& Q, TARe& U, TARe& V, TARe& P, TARe& D) {
  const TSel sel = ParseSel(Sel);
  TStokesRe4 sum;
  double cs = 0, cc[3] = {0, 0, 0};
  if (!NineSum(*this, "TLFITS.GetFIT9NormArr", F, y, sel, Sel, sum, cs, cc)) return false;
  TFITS* f = FITSByIndex(F);
  const int32_t nLam = f->nLam;
  const double div = cs == 0 ? 1 : cs;
  for (int s = 1; s <= 4; ++s) {
    if (!sel.S[s]) continue;
    TARe& o = Pick(s, I, Q, U, V);
    o.assign(static_cast<size_t>(nLam) + 1, 0.0);
    for (int32_t i = 1; i <= nLam; ++i) o[i] = sum[static_cast<size_t>(s)][i] / div;
  }
  TARe lam;
  Lambdas(*f, lam);
  X.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) X[i] = lam[i] - Lam0;
  if (sel.D) {
    M.assign(static_cast<size_t>(std::max(nLam, 1)), 0.0);
    for (int32_t i = 1; i <= nLam - 1; ++i) M[i] = (X[i] + X[i + 1]) / 2;
  }
  FillPD(sel, nLam, I, Q, U, P, D, [&X](int32_t i) { return X[i + 1] - X[i]; });
  return true;
}

std::unique_ptr<TStringList> TLFITS::GetFIT9_SL(int32_t F, int32_t y, const std::string& Sel) {
  const TSel sel = ParseSel(Sel);
  TStokesRe4 sum;
  double cs = 0, cc[3] = {0, 0, 0};
  if (!NineSum(*this, "TLFITS.GetFIT9_SL", F, y, sel, Sel, sum, cs, cc)) return nullptr;
  const int32_t nLam = ScanLam(*this, F);
  auto sl = std::make_unique<TStringList>();
  sl->Add(TableHead(sel));
  for (int32_t i = 1; i <= nLam; ++i) {
    std::string line = IntStr(i) + " ";
    for (int s = 1; s <= 4; ++s)
      if (sel.S[s]) line += FDecSt0(1, sum[static_cast<size_t>(s)][i] / 9) + " ";
    sl->Add(line);
  }
  LineTabStrings(sl.get(), 1);
  return sl;
}

std::unique_ptr<TStringList> TLFITS::GetFIT9Norm_SL(int32_t F, int32_t y,
                                                    const std::string& Sel) {
  const TSel sel = ParseSel(Sel);
  TStokesRe4 sum;
  double cs = 0, cc[3] = {0, 0, 0};
  if (!NineSum(*this, "TLFITS.GetFIT9Norm_SL", F, y, sel, Sel, sum, cs, cc)) return nullptr;
  TFITS* f = FITSByIndex(F);
  const int32_t nLam = f->nLam;
  double div = 3 * (cc[0] + cc[1] + cc[2]) * KCont;
  if (div == 0) div = 1;
  TARe lam;
  Lambdas(*f, lam);
  auto sl = std::make_unique<TStringList>();
  sl->Add(TableHead(sel));
  for (int32_t i = 1; i <= nLam; ++i) {
    std::string line = ShortSt(9, lam[i]) + " ";
    for (int s = 1; s <= 4; ++s)
      if (sel.S[s]) line += ShortSt(6, sum[static_cast<size_t>(s)][i] / div) + " ";
    sl->Add(line);
  }
  LineTabStrings(sl.get(), 1);
  return sl;
}

bool TLFITS::SumProfiles(TJob& Job, const TAInIn& Flags, TStokesRe4& Sums) {
  if (!Bit(1)) {
    WARNAbs("TLFITS.SumProfiles ERROR!\r\nHeaders Not Loaded Yet!!!");
    return false;
  }
  TStokesRe4 local;
  const int32_t n = Count();
  for (int32_t f = 0; f < n; ++f) {
    if (!Job.Step(f, n, "LFITS.ProfSum " + IntStr(f + 1) + "/" + IntStr(n))) return false;
    if (f >= static_cast<int32_t>(Flags.size())) break;
    TFITS* file = FITSByIndex(f);
    if (!file || !file->Bit(1)) continue;
    file->GetProfSum(Flags[static_cast<size_t>(f)], local);
  }
  if (!Job.Step(n, n, "LFITS.ProfSum")) return false;
  for (int s = 1; s <= 4; ++s) {
    TARe& a = Sums[static_cast<size_t>(s)];
    const TARe& b = local[static_cast<size_t>(s)];
    if (a.size() < b.size()) a.resize(b.size(), 0.0);
    for (size_t i = 0; i < b.size(); ++i) a[i] += b[i];
  }
  return true;
}
