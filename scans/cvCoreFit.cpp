// The Gauss-model fits of a slit file's pixels: the core fit (CalcCore, 38 columns) and the two
// wing fits (FitWingTilt, FitWingFull, 8 columns), all through one line measurement object that
// carries its fit state from pixel to pixel (so the pixels run in order).
#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvCurI.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "scans/cvWarnGroups.h"

namespace {

constexpr double kStartDLD[3] = {0, 4.15, 3.31};
constexpr double kStartDLDk[3] = {0, 0.8, 0.88};

bool FullCol(const TARe& Col, int32_t nY) { return static_cast<int32_t>(Col.size()) == nY + 1; }

// The scan's mean line position in pixels (rLC holds a wavelength once the scan statistics ran).
double MeanPix(double R, double Pix) { return std::fabs(R) <= 113 ? R : Pix; }

void SizeCols(TARe* Cols, int N, int32_t nY) {
  for (int k = 0; k < N; ++k) Cols[k].assign(static_cast<size_t>(nY) + 1, 0.0);
}

void PixelAxis(TARe& X, int32_t nLam) {
  X.assign(static_cast<size_t>(nLam) + 1, 0.0);
  for (int32_t i = 1; i <= nLam; ++i) X[static_cast<size_t>(i)] = i;
}

void Store(TARe& Col, int32_t y, double V) { Col[static_cast<size_t>(y)] = V; }

}  // namespace

void TFITS::CalcCore(TCurI* CurI, TStringList* Memo, TWarnGroups* Groups, int32_t* NoCentre) {
  TTimedSection timed("FITS.CalcCore");
  if (!CurI) {
    WARNAbs(
        "FITS.CalcCore Структура CurI к этому моменту должна быть создана и в неё загружены "
        "параметры!"_cp);
    return;
  }
  SizeCols(&ACore[1], 38, nY);
  if (!FullCol(ACnt, nY)) {
    WARNAbs("FITS.CalcCore iX=" + IntStr(IXI) + ": нет континуума ACnt"_cp);
    return;
  }
  TCurI& C = *CurI;
  thread_local TARe X, Y;
  PixelAxis(X, nLam);
  C.iX = IXI;
  const bool lc = FullCol(ALC1, nY) && FullCol(ALC2, nY);
  const double mean[3] = {0, Owner ? MeanPix(Owner->rLC1, Owner->LC1Pix) : 0,
                          Owner ? MeanPix(Owner->rLC2, Owner->LC2Pix) : 0};
  int32_t noCentre = 0;
  for (int32_t y = 1; y <= nY; ++y) {
    TWarnGroups::TScope scope(Groups);
    C.iY = y - 1;
    GetIReal(y, Y);
    C.SetAXAY(X, Y);
    for (int n = 1; n <= 2; ++n) {
      double L = lc ? (n == 1 ? ALC1 : ALC2)[static_cast<size_t>(y)] : 0;
      if (L == 0) L = mean[n];
      if (L == 0) {
        ++noCentre;
        continue;
      }
      C.gs.La12 = n;
      C.gsInit(ACnt[static_cast<size_t>(y)], L, kStartDLD[n], kStartDLDk[n]);
      C.DLH2H(0);
      if (Memo)
        Memo->Add((n == 1 ? "6301 iX=" : "6302 iX=") + IntStr(C.iX) + " iY=" + IntStr(C.iY) +
                  " Cont=" + ShortSt(6, C.gs.Cont) + " Lam0=" + ShortSt(6, C.gs.Lam0) +
                  " DLD=" + ShortSt(6, C.gs.DLD) + " Dk=" + ShortSt(6, C.gs.DLDk) + " A=" +
                  ShortSt(6, C.gs.A) + " B=" + ShortSt(6, C.gs.B));
      C.Code = "k1";
      C.CheckLam();
      C.ReLam();
      C.FitAll();
      const Tgs& g = C.gs;
      C.gs.d0 = gs_get_d0(g);
      const int a = n == 1 ? 0 : 8;   // slopes and shifts: 1..8 line 1, 9..16 line 2
      const int d = n == 1 ? 0 : 4;   // width factors: 17..20, 21..24
      const int l = n == 1 ? 0 : 2;   // centre shifts: 31, 32 and 33, 34
      const double v[] = {g.A8, g.A6, g.A41, g.A42, g.B8, g.B6, g.B41, g.B42};
      for (int k = 0; k < 8; ++k) Store(ACore[static_cast<size_t>(1 + a + k)], y, v[k]);
      const double kd[] = {g.kD8, g.kD6, g.kD41, g.kD42};
      for (int k = 0; k < 4; ++k) Store(ACore[static_cast<size_t>(17 + d + k)], y, kd[k]);
      Store(ACore[static_cast<size_t>(24 + n)], y, g.d0);
      Store(ACore[static_cast<size_t>(26 + n)], y, g.DLDk);
      Store(ACore[static_cast<size_t>(28 + n)], y, g.DLD);
      Store(ACore[static_cast<size_t>(31 + l)], y, g.dL6);
      Store(ACore[static_cast<size_t>(32 + l)], y, g.dL4);
      Store(ACore[static_cast<size_t>(34 + n)], y, gs_GetL00(g));
      Store(ACore[static_cast<size_t>(36 + n)], y, g.Lam0);
    }
  }
  if (NoCentre)
    *NoCentre += noCentre;
  else if (noCentre > 0)
    WARNAbs("FITS.CalcCore iX=" + IntStr(IXI) + ": " + IntStr(noCentre) +
            " линий без положения центра (ALC и среднее сеанса 0) не подогнаны"_cp);
}

namespace {

enum class TWingFit { Tilt, Full };

void FitWings(TFITS& F, TWingFit Kind, TWarnGroups* Groups, int32_t* NoWing) {
  SizeCols(&F.AWing[1], 8, F.nY);
  TScanServices& sv = Scans();
  if (!sv.CurI) {
    ScanCurI();
    sv.GaussParamsToCurI(*sv.CurI);
  }
  TCurI& C = *sv.CurI;
  thread_local TARe X, Y;
  PixelAxis(X, F.nLam);
  if (!F.ContFromMap()) {
    WARNAbs("ReturnSlitConts");
    return;
  }
  if (!F.LoadLWColumns()) {
    WARNAbs("Необходимо загрузить/рассчитать данные о крыльях [LW(b,r)]"_cp);
    return;
  }
  if (Kind == TWingFit::Tilt) {
    C.gs.kSig = 0.5;
    C.gs.fPi = 0;
  }
  const TARe* wb[3] = {nullptr, &F.ALWb1, &F.ALWb2};
  const TARe* wr[3] = {nullptr, &F.ALWr1, &F.ALWr2};
  int32_t noWing = 0;
  for (int32_t y = 1; y <= F.nY; ++y) {
    TWarnGroups::TScope scope(Groups);
    F.GetIReal(y, Y);
    C.SetAXAY(X, Y);
    C.iX = F.IXI;
    C.iY = y - 1;
    if (Kind == TWingFit::Tilt) C.gs.kH = 0.5;
    for (int n = 1; n <= 2; ++n) {
      const double b = static_cast<int32_t>(wb[n]->size()) > y ? (*wb[n])[static_cast<size_t>(y)] : 0;
      const double r = static_cast<int32_t>(wr[n]->size()) > y ? (*wr[n])[static_cast<size_t>(y)] : 0;
      if (!(b > 0) || !(r > 0)) {
        ++noWing;
        continue;
      }
      C.gs.La12 = n;
      C.gsInit(F.ACnt[static_cast<size_t>(y)], (b + r) / 2, kStartDLD[n], kStartDLDk[n]);
      C.gs.H = 0;
      C.iB() = std::max<int32_t>(static_cast<int32_t>(IntBelow(b)) + 2, 4);
      C.iR() = std::min<int32_t>(static_cast<int32_t>(IntAbove(r)) - 2, 108);
      const int c = n == 1 ? 0 : 2;  // columns 1, 2, 5, 6 for line 1; 3, 4, 7, 8 for line 2
      Tgs& g = C.gs;
      if (Kind == TWingFit::Tilt) {
        C.ResetDLD();
        C.FitK3L6x2();
        C.FitLamDLD();
        C.FitK3xHB6();
        if (g.H > 1500) g.H = 1500;
        if (g.DLD > 10) g.DLD = 10;
        if (g.DLDk < 0.4) g.DLDk = 0.4;
        Store(F.AWing[static_cast<size_t>(1 + c)], y, g.DLD);
        Store(F.AWing[static_cast<size_t>(2 + c)], y, g.H);
        Store(F.AWing[static_cast<size_t>(5 + c)], y, g.DLDk);
        Store(F.AWing[static_cast<size_t>(6 + c)], y, g.A);
      } else {
        C.FitK3L6();
        C.FitD6B6Loop();
        g.d0 = gs_get_d0(g);
        Store(F.AWing[static_cast<size_t>(1 + c)], y, g.DLD);
        Store(F.AWing[static_cast<size_t>(2 + c)], y, g.A);
        Store(F.AWing[static_cast<size_t>(5 + c)], y, g.DLDk);
        Store(F.AWing[static_cast<size_t>(6 + c)], y, g.d0);
      }
    }
  }
  if (NoWing)
    *NoWing += noWing;
  else if (noWing > 0)
    WARNAbs("FITS.FitWing iX=" + IntStr(F.IXI) + ": " + IntStr(noWing) +
            " линий без положений крыльев не подогнаны (значения 0)"_cp);
}

}  // namespace

void TFITS::FitWingTilt(TWarnGroups* Groups, int32_t* NoWing) {
  TTimedSection timed("FITS.FitWingTilt");
  FitWings(*this, TWingFit::Tilt, Groups, NoWing);
}

void TFITS::FitWingFull(TWarnGroups* Groups, int32_t* NoWing) {
  TTimedSection timed("FITS.FitWingFull");
  FitWings(*this, TWingFit::Full, Groups, NoWing);
}
