#include "foundation/cvUnitCalc.h"

#include <cmath>
#include <cstdint>

#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"

namespace {

constexpr double kCmPerEV = 8065.46312;

// An empty text is no number.
bool Num(const std::string& S, double& V) {
  const std::string t = TrimBlanks(S);
  int32_t code = 0;
  V = ValRealCode(t, code);
  return code == 0 && !t.empty() && std::isfinite(V);
}

bool Int(const std::string& S, int32_t& V) {
  const std::string t = TrimBlanks(S);
  int32_t code = 0;
  V = ValIntCode(t, code);
  return code == 0 && !t.empty();
}

double Theta(double T) { return static_cast<double>(PhysThetaFactor / T); }

}  // namespace

bool CalcEVToCm(const std::string& EV, std::string& Cm) {
  double e;
  if (!Num(EV, e)) return false;
  Cm = SigSt(7, e * kCmPerEV);
  return true;
}

bool CalcCmToEV(const std::string& Cm, std::string& EV) {
  double c;
  if (!Num(Cm, c)) return false;
  EV = SigSt(7, c / kCmPerEV);
  return true;
}

bool CalcTToTheta(const std::string& T, std::string& ThetaText) {
  double t;
  if (!Num(T, t) || t == 0) return false;
  ThetaText = SigSt(10, Theta(t));
  return true;
}

bool CalcThetaToT(const std::string& ThetaText, std::string& T) {
  double th;
  if (!Num(ThetaText, th) || th == 0) return false;
  T = SigSt(10, Theta(th));
  return true;
}

bool CalcDTToDTheta(const std::string& T, const std::string& DT, std::string& DTheta) {
  double t, d;
  if (!Num(T, t) || t == 0 || !Num(DT, d) || t + d == 0) return false;
  DTheta = SigSt(7, Theta(t + d) - Theta(t));
  return true;
}

bool CalcDThetaToDT(const std::string& ThetaText, const std::string& DTheta, std::string& DT) {
  double th, d;
  if (!Num(ThetaText, th) || th == 0 || !Num(DTheta, d) || th + d == 0) return false;
  DT = SigSt(7, Theta(th + d) - Theta(th));
  return true;
}

bool CalcZeeman(TZeemanFields& F, TZeemanFrom From) {
  double lam, g, dlh, h = 0, dv = 0;
  if (!Num(F.Lam, lam) || !Num(F.G, g) || !Num(F.DLH, dlh)) return false;
  if (lam == 0 || g == 0 || dlh == 0) return false;
  switch (From) {
    case TZeemanFrom::DLH:
      F.H = FDecSt(2, BFromSplit(dlh, lam, g));
      F.DVLOS = FDecSt(1, ShiftToVel(dlh, lam) * 1000);
      return true;
    case TZeemanFrom::DVLOS:
      if (!Num(F.DVLOS, dv)) return false;
      F.DLH = FDecSt(3, DopplerShift(lam, dv / 1000));
      return true;
    case TZeemanFrom::Field: {
      if (!Num(F.H, h)) return false;
      const double split = ZeemanDLam(g, lam, h);
      F.DLH = FDecSt(2, split);
      F.DVLOS = FDecSt(1, ShiftToVel(split, lam) * 1000);
      return true;
    }
  }
  return false;
}

bool CalcDiskXY(const std::string& R, const std::string& X, const std::string& Y,
                std::string& Fi, std::string& L) {
  double r, x, y;
  if (!Num(R, r) || !Num(X, x) || !Num(Y, y) || r == 0) return false;
  if (std::fabs(x / r) > 1 || std::fabs(y / r) > 1) return false;
  const double toDeg = static_cast<double>(1.0L / PhysDegToRad);
  Fi = ShortSt(6, std::asin(y / r) * toDeg);
  L = ShortSt(6, std::asin(x / r) * toDeg + 90);
  return true;
}

bool CalcDiskFiL(const std::string& Fi, const std::string& L, std::string& VRot,
                 std::string& Mju) {
  double fi, l;
  if (!Num(Fi, fi) || !Num(L, l)) return false;
  // latitude first, then the longitude angle
  VRot = ShortSt(6, LOSRotVel(fi, l));
  const double rad = static_cast<double>(PhysDegToRad);
  Mju = ShortSt(5, std::cos(fi * rad) * std::cos((l - 90) * rad));
  return true;
}

bool NumberFormatLines(const std::string& R, const std::string& N, const std::string& D,
                       std::string& RLine, std::string& FLine, std::string& ELine) {
  double r;
  int32_t n, d;
  if (!Num(R, r) || !Int(N, n) || !Int(D, d)) return false;
  RLine = ReSt(r) + " | " + FSt2(n, d, r) + " | " + EWSt(d, r);
  FLine = FDecSt(d, r) + " | " + FDecSt0(d, r) + " | " + SigSt(n, r);
  ELine = ESt(n, r) + " | " + EFSt(n, r) + " | " + ShortSt(n, r);
  return true;
}
