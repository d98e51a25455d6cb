#include "scans/cvCOGiv.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITS.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"

const char* const kCOGivHeader =
    "I y11 y12 y21 y22 y1 y2 y_1  y_2 d yi_1 yi_2 V1 V2 B1 B2 -B1 -B2 vi1 vi2 Lp1 Lm1 Lp2 Lm2 "
    "Bcv1 Bcv2 d01 d02 Bme Blos Btng Inc dpm ";

double COGdLam(const TCOGLine& L, double X) { return (X - 56.5) * kCOGPixMA / 1000 + L.Offset; }

double COGField(const TCOGLine& L, double DL) { return DL * kCOGPixMA / L.MAperG; }

namespace {

double MinOf(const TARe& A, int32_t P1, int32_t P2) {
  const int32_t last = std::min<int32_t>(P2, static_cast<int32_t>(A.size()) - 1);
  double m = A.empty() ? 0 : A[static_cast<size_t>(std::min(P1, last))];
  for (int32_t i = P1; i <= last; ++i) m = std::min(m, A[static_cast<size_t>(i)]);
  return m;
}

double Cog(const TARe& Y, const TCOGLine& L, double Lo, double Hi) {
  double w = 0;
  return SlicedCOGIdx(L.P1, L.P2, Y, w, Lo, Hi);
}

// The slice bounds of one line: the I+V slice y11..y12 and the I slice.
struct TLineSlices {
  double mid, low, D, mI, DI, asym;
};

TLineSlices LineStats(const TCOGivProfile& P, const TCOGLine& L) {
  const double mP = MinOf(P.IpV, L.P1, L.P2), mM = MinOf(P.ImV, L.P1, L.P2);
  const double mI = MinOf(P.I, L.P1, L.P2);
  TLineSlices s{};
  s.mid = (mP + mM) / 2;
  s.low = std::min(mP, mM);
  s.D = P.Cont - s.mid;
  s.mI = mI;
  s.DI = P.Cont - mI;
  s.asym = s.D != 0 ? -(mP - mM) / s.D : 0;
  return s;
}

}  // namespace

void COGivSlices(const TCOGivProfile& P, const TCOGivMaps& M, double VW1, double VW2,
                 char Scheme, int32_t NN, TCOGivTable& T) {
  T = TCOGivTable{};
  const double cont = P.Cont;
  const double d0F1 = cont != 0 ? 1 - M.d0Full1 / cont : 0;
  const double d0F2 = cont != 0 ? 1 - M.d0Full2 / cont : 0;
  const TLineSlices s1 = LineStats(P, kCOGLine1), s2 = LineStats(P, kCOGLine2);
  T.mid1 = s1.mid;
  T.mid2 = s2.mid;
  const double dpm = (s1.asym + s2.asym) * 100 / 2;
  T.Lines.Add(kCOGivHeader);
  int32_t n = 0;
  if (Scheme == '9')
    n = 9;
  else if (Scheme == 'N')
    n = NN;
  if (n < 1) return;
  T.N = n;
  for (TARe* a : {&T.B1, &T.B2, &T.V1, &T.V2, &T.vi1, &T.vi2, &T.y_1, &T.y_2, &T.yi_1, &T.yi_2,
                  &T.d})
    a->assign(static_cast<size_t>(n) + 1, 0.0);
  const bool nine = Scheme == '9';
  auto f = [](double x) { return FDecSt(3, x); };
  for (int32_t k = 1; k <= n; ++k) {
    // the levels: 20 % slices overlapping by half, or n adjacent ones
    const double lo = nine ? (k - 1) / 10.0 : (k - 1) / double(n);
    const double hi = nine ? (k + 1) / 10.0 : k / double(n);
    const double y11 = k == 1 ? s1.low : s1.mid + lo * s1.D, y12 = s1.mid + hi * s1.D;
    const double y21 = k == 1 ? s2.low : s2.mid + lo * s2.D, y22 = s2.mid + hi * s2.D;
    const double i11 = s1.mI + lo * s1.DI, i12 = s1.mI + hi * s1.DI;
    const double i21 = s2.mI + lo * s2.DI, i22 = s2.mI + hi * s2.DI;
    const double d = nine ? k / 10.0 : (k - 0.5) / n;
    const double y1 = (y11 + y12) / 2, y2 = (y21 + y22) / 2;
    const double y_1 = cont != 0 ? y1 / cont : 0, y_2 = cont != 0 ? y2 / cont : 0;
    const double yi_1 = cont != 0 ? (i11 + i12) / 2 / cont : 0;
    const double yi_2 = cont != 0 ? (i21 + i22) / 2 / cont : 0;
    double d01 = 0, d02 = 0;
    if (!nine) {
      d01 = d0F1 != 0 ? 1 - (1 - yi_1) / d0F1 : 0;
      d02 = d0F2 != 0 ? 1 - (1 - yi_2) / d0F2 : 0;
    }
    const double Lp1 = Cog(P.IpV, kCOGLine1, y11, y12), Lm1 = Cog(P.ImV, kCOGLine1, y11, y12);
    const double LI1 = Cog(P.I, kCOGLine1, i11, i12);
    const double Lp2 = Cog(P.IpV, kCOGLine2, y21, y22), Lm2 = Cog(P.ImV, kCOGLine2, y21, y22);
    const double LI2 = Cog(P.I, kCOGLine2, i21, i22);
    const double B1 = COGField(kCOGLine1, Lp1 - Lm1), B2 = COGField(kCOGLine2, Lp2 - Lm2);
    const double V1 = COGdLam(kCOGLine1, (Lp1 + Lm1) / 2) * kCOGLine1.CperL - VW1;
    const double vi1 = COGdLam(kCOGLine1, LI1) * kCOGLine1.CperL - VW1;
    const double V2 = COGdLam(kCOGLine2, (Lp2 + Lm2) / 2) * kCOGLine2.CperL - VW2;
    const double vi2 = COGdLam(kCOGLine2, LI2) * kCOGLine2.CperL - VW2;
    const size_t K = static_cast<size_t>(k);
    T.B1[K] = B1;
    T.B2[K] = B2;
    T.V1[K] = V1;
    T.V2[K] = V2;
    T.vi1[K] = vi1;
    T.vi2[K] = vi2;
    T.y_1[K] = y_1;
    T.y_2[K] = y_2;
    T.yi_1[K] = yi_1;
    T.yi_2[K] = yi_2;
    T.d[K] = d;
    std::string row = IntStr(k);
    for (double v : {y11, y12, y21, y22, y1, y2, y_1, y_2, d, yi_1, yi_2, V1, V2, B1, B2, -B1, -B2,
                     vi1, vi2, Lp1, Lm1, Lp2, Lm2, M.BIV1, M.BIV2, d01, d02, M.FieldStrength,
                     M.Blos, M.Btang, M.aInc, dpm})
      row += "  " + f(v);
    T.Lines.Add(row);
  }
  LineTabStrings(&T.Lines, 2);
}

double COGMapVal(const std::string& Session, const std::string& Name, int32_t iX, int32_t iY) {
  TFIOut* m = LFIOReg().FindByDTName(Session, Name);
  if (!m) {
    WARNAbs("В сеансе "_cp + Session + " не рассчитана карта "_cp + Name);
    return 0;
  }
  if (!m->EnsureLoaded()) return 0;
  if (iX < 0) return m->vMeanAv;
  const std::string where = "RangeCheck.ERR: MapVal(" + Name + ")[" + IntStr(iX) + "," +
                            IntStr(iY) + " ]";
  if (iX >= m->nX || iY < 0 || iY >= m->nY) {
    WARNAbs(where + " nX=" + IntStr(m->nX) + " nY=" + IntStr(m->nY));
    return m->vMeanAv;
  }
  if (m->aData.empty()) {
    WARNAbs(where + " Массив карты не заполнен!"_cp);
    return 0;
  }
  if (static_cast<int32_t>(m->aData.Rows()) != m->nX ||
      static_cast<int32_t>(m->aData.Cols()) != m->nY) {
    WARNAbs(where + " nX=" + IntStr(m->nX) + " nY=" + IntStr(m->nY) + "\r\nlength.FO.aData=(" +
            IntStr(int32_t(m->aData.Rows())) + "," + IntStr(int32_t(m->aData.Cols())) + ")");
    return m->vMeanAv;
  }
  return m->aData[static_cast<size_t>(iX)][static_cast<size_t>(iY)];
}

void COGMapValues(const std::string& Session, int32_t iX, int32_t iY, TCOGivMaps& M) {
  auto v = [&](const char* Name) { return COGMapVal(Session, Name, iX, iY); };
  M.BIV1 = v("BIV1");
  M.BIV2 = v("BIV2");
  for (const char* n : {"LIVp195", "LIVp295", "LIVm195", "LIVm295"}) v(n);
  M.FieldStrength = v("Field_Strength");
  M.Blos = v("Blos");
  M.Btang = v("Btang");
  M.aInc = v("aInc");
  M.d0Full1 = v("d0Full1");
  M.d0Full2 = v("d0Full2");
}

bool COGivFromScan(TLFITS& Scan, int32_t iX, int32_t iY, TCOGivProfile& P) {
  if (iX < 0 || iX >= Scan.Count()) {
    WARNAbs("Нет файла щели iX="_cp + IntStr(iX) + " (файлов " + IntStr(Scan.Count()) + ")");
    return false;
  }
  TFITS& f = *Scan.Files[static_cast<size_t>(iX)];
  if (!f.LoadData()) return false;
  if (iY < 0 || iY >= f.nY) {
    WARNAbs("Нет пиксела щели iY="_cp + IntStr(iY) + " (nY=" + IntStr(f.nY) + ")");
    return false;
  }
  P.Cont = f.GetContIY(iY);
  f.SetIVRow(iY);
  if (f.IVRow != iY) return false;
  P.IpV = f.IVpV;
  P.ImV = f.IVmV;
  P.I = f.IVI;
  return true;
}

void COGEdSlices(const TARe& X, const TARe& Y, int32_t N, int32_t i1, int32_t i2, double Cont,
                 double d0, TStringList& Out, TARe& GX, TARe& GY) {
  Out.Clear();
  GX.assign(1, 0.0);
  GY.assign(1, 0.0);
  const int32_t last = static_cast<int32_t>(Y.size()) - 1;
  if (last < 1) return;
  if (i1 <= 0 || i1 > last) i1 = 1;
  if (i2 <= 0 || i2 > last) i2 = last;
  if (d0 == 0) d0 = AReMin(Y, i1, i2);
  if (Cont == 0) Cont = AReMax(Y, i1, i2);
  const double depth = Cont - d0;
  if (N < 2) {
    TStringList* rep = &Out;
    double w = 0;
    SlicedCOGIdxRep(i1, i2, Y, rep, w, d0, Cont);
    return;
  }
  TStringList reports;
  Out.Add("J  y1  y  Lm");
  for (int32_t w = N; w >= 1; --w) {
    const double lo = d0 + (w - 1) * depth / N, hi = d0 + w * depth / N;
    TStringList* rep = nullptr;
    double width = 0;
    const double lm = SlicedCOG(i1, i2, X, Y, lo, hi, width, true, rep);
    if (rep) {
      reports.AddStrings(*rep);
      delete rep;
    }
    Out.Add(IntStr(w) + "  " + FDecSt(4, lo) + "  " + FDecSt(4, (lo + hi) / 2) + "  " +
            FDecSt(4, lm));
    GX.push_back(lm);
    GY.push_back((lo + hi) / 2);
  }
  LineTabStrings(&Out, 2);
  Out.Add("========================");
  Out.Add("");
  Out.AddStrings(reports);
}

namespace {

struct TPass {
  int32_t iP = 0, iM = 0;
  double mP = 0, mM = 0, LP = 0, LM = 0;
};

TPass CorePass(const TARe& X, const TARe& IpV, const TARe& ImV, double Cont, int32_t P1,
               int32_t P2) {
  TPass p;
  AReMinPoint(IpV, P1, P2, p.mP, p.iP);
  AReMinPoint(ImV, P1, P2, p.mM, p.iM);
  const double bottom = (p.mP + p.mM) / 2, top = bottom + (Cont - bottom) * 0.06;
  double w = 0;
  TStringList* none = nullptr;
  p.LP = SlicedCOG(P1, P2, X, IpV, bottom, top, w, false, none);
  p.LM = SlicedCOG(P1, P2, X, ImV, bottom, top, w, false, none);
  return p;
}

}  // namespace

bool AlgoCores(const TARe& IpV, const TARe& ImV, double Cont, TCurIV& IV, double& S) {
  IV = TCurIV{};
  S = 0;
  const int32_t n = std::min<int32_t>(static_cast<int32_t>(IpV.size()),
                                      static_cast<int32_t>(ImV.size())) - 1;
  if (n < 112) {
    WARNAbs("Algo Rithm: профиль короче 112 точек ("_cp + IntStr(n) + ")");
    return false;
  }
  TARe X(113, 0.0);
  for (int32_t i = 1; i <= 112; ++i) X[static_cast<size_t>(i)] = i;
  const TPass deep = CorePass(X, IpV, ImV, Cont, 1, 112);
  // a continuum not above the minima leaves no core slice: the centres would be fallbacks
  if (Cont <= (deep.mP + deep.mM) / 2) {
    WARNAbs("Algo Rithm: континуум "_cp + FDecSt(1, Cont) + " не выше минимумов I±V "_cp +
            FDecSt(1, (deep.mP + deep.mM) / 2) + ": ядра не измерены (S = 0)"_cp);
    return false;
  }
  const bool red = (deep.iP + deep.iM) / 2 >= 56;
  const TPass other = red ? CorePass(X, IpV, ImV, Cont, 1, 56) : CorePass(X, IpV, ImV, Cont, 56, 112);
  // the blue core is line 1 (6301), whichever is deeper
  const TPass& a = red ? other : deep;
  const TPass& b = red ? deep : other;
  IV.Cont = Cont;
  IV.iMinP1 = a.iP;
  IV.iMinM1 = a.iM;
  IV.MinP1 = a.mP;
  IV.MinM1 = a.mM;
  IV.LP1 = a.LP;
  IV.LM1 = a.LM;
  IV.iMinP2 = b.iP;
  IV.iMinM2 = b.iM;
  IV.MinP2 = b.mP;
  IV.MinM2 = b.mM;
  IV.LP2 = b.LP;
  IV.LM2 = b.LM;
  S = (b.LP + b.LM) / 2 - (a.LP + a.LM) / 2;
  if (S == 0) {
    WARNAbs("Algo Rithm: центры ядер совпадают (S = 0), дисперсия не определена!"_cp);
    return false;
  }
  return true;
}

bool AlgoRithm(TLFITS& Scan, int32_t iX, int32_t iY, TCurIV& IV, TStringList& Out) {
  TCOGivProfile p;
  if (!COGivFromScan(Scan, iX, iY, p)) return false;
  TFITS& f = *Scan.Files[static_cast<size_t>(iX)];
  double c1 = 0, c2 = 0;
  int32_t p1 = 0, p2 = 0;
  f.GetICont_01(iY, 10, c1, c2, p1, p2);
  double S = 0;
  if (!AlgoCores(p.IpV, p.ImV, (c1 + c2) / 2, IV, S)) return false;
  const double disp = 0.9924 / S;
  const double dV = (S * 0.021549 - 0.9924) / 6302 * 299792.4562;
  const double dlH1 = (IV.LP1 - IV.LM1) * disp * 1000, dlH2 = (IV.LP2 - IV.LM2) * disp * 1000;
  const double B1 = dlH1 / kCOGLine1.MAperG, B2 = dlH2 / kCOGLine2.MAperG;
  const std::string name = Scan.ScanName;
  const size_t us = name.find('_');
  const std::string da = name.substr(0, us);
  const std::string ti = us == std::string::npos ? std::string() : name.substr(us + 1);
  Out.Clear();
  Out.Add("");
  Out.Add("Dt=" + da + " Ti=" + ti);
  Out.Add("cvFITS_file=" + Scan.OutFolder + Scan.sFN + "  iX=" + IntStr(iX) + " iY=" + IntStr(iY));
  Out.Add(" CONT=" + FDecSt(1, c2) + "(" + IntStr(p2) + ") | " + FDecSt(1, c1) + "(" + IntStr(p1) +
          ")");
  auto pass = [&](const char* Line, double mP, int32_t iP, double LP, double mM, int32_t iM,
                  double LM) {
    Out.Add(std::string(Line) + " IpV d0=" + FDecSt(1, mP) + " idx=" + IntStr(iP) + " => " +
            FDecSt(5, LP) + " ImV d0=" + FDecSt(1, mM) + " idx=" + IntStr(iM) + " => " +
            FDecSt(5, LM));
  };
  pass("6301", IV.MinP1, IV.iMinP1, IV.LP1, IV.MinM1, IV.iMinM1, IV.LM1);
  pass("6302", IV.MinP2, IV.iMinP2, IV.LP2, IV.MinM2, IV.iMinM2, IV.LM2);
  Out.Add("Disp=" + FDecSt(4, disp * 1000) + " dV_CBS=" + FDecSt(2, dV * 1000));
  Out.Add("dlH1=" + FDecSt(3, dlH1) + " dlH2=" + FDecSt(3, dlH2) + " B1=" + FDecSt(1, B1) +
          " B2=" + FDecSt(1, B2));
  return true;
}
