// A model atmosphere of vectors made by the test in a calculation context of its own: the depth
// grid X (deepest first), B, S and ETAC at one wavelength, the field vectors and one line with
// constant Doppler width, opacity ratio and damping, and the calculation state pointing at them.
// Each quantity is a function of X.
#pragma once
#include <cmath>
#include <functional>
#include <string>

#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"

namespace testsupport {

using TFnX = std::function<double(double)>;

inline TFnX Const(double c) {
  return [c](double) { return c; };
}

struct TTransferModel {
  std::string Mod = "ME";
  double Lam0 = 6302.5;
  double XBot = 1.5, XTop = -5, DXGrid = 0.01;
  TFnX B = Const(1), S, ETAC = Const(1);
  TFnX DLD = Const(30), ETA = Const(10), A = Const(0.05);
  TFnX DLH = Const(0), GM = Const(0), XI = Const(0), DLVD = Const(0);
  double Mu = 1;
  int32_t KVOIG = 6;
  // J, g of the line's levels (Fe I 6302.5 by default)
  double JL = 1, JU = 0, GL = 2.5, GU = 0;

  TOwnCalcContext ctx;
  TVEMO* X = nullptr;

  TVEMO* Add(const std::string& Name, const TFnX& F, const std::string& sIdV) {
    TARe v(static_cast<size_t>(X->N) + 1, 0.0);
    for (int32_t i = 1; i <= X->N; ++i) v[static_cast<size_t>(i)] = F(X->A[static_cast<size_t>(i)]);
    TVEMO* p = ctx.LVEMO->AddVeMo(Name, Mod, v, 1, 0, sIdV, 0, "");
    p->LGTAU = X;
    return p;
  }

  // Builds the vectors and the calculation state; the scope must make ctx current first.
  void Build() {
    const int32_t n = static_cast<int32_t>(std::llround((XBot - XTop) / DXGrid)) + 1;
    TARe xs(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) xs[static_cast<size_t>(i)] = XBot - (i - 1) * DXGrid;
    X = ctx.LVEMO->AddVeMo("X", Mod, xs, 1, 1, "", 0, "");
    const std::string lam = TVEMO::LamSId(Lam0);
    TCONT& C = *ctx.CONT;
    C.sMOD = Mod;
    C.MX = X;
    C.MB = Add("B", B, lam);
    C.MS = Add("S", S ? S : B, lam);
    C.MEC = Add("ETAC", ETAC, lam);
    C.MDLH = Add("DLH", DLH, lam);
    C.MDLVD = Add("DLVD", DLVD, lam);
    C.MGM = Add("GM", GM, "");
    C.MXI = Add("XI", XI, "");
    C.CTETA = Mu;
    C.KVOIG = KVOIG;
    C.LiSet.Count = 1;
    TLINEDATA& it = C.LiSet.Items[1];
    it.LI.LAMB = Lam0;
    it.LI.JL2 = static_cast<int32_t>(2 * JL);
    it.LI.JU2 = static_cast<int32_t>(2 * JU);
    it.LI.GL = GL;
    it.LI.GU = GU;
    ZeeSetRunge("LINE", it.LI.Zee, JL, JU, GL, GU);
    it.DLD = Add("DLD", DLD, "LI=LINE");
    it.ETA = Add("ETA", ETA, "LI=LINE");
    it.A = Add("A", A, "LI=LINE");
    C.WK.LAM = Lam0;
    C.R = TCONTR();
    C.XC = TCONTXCache();
  }
};

}  // namespace testsupport
