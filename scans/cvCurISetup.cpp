#include "scans/cvCurISetup.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "scans/cvCurI.h"

std::string RC90Str(const TScanCalcFields& F) {
  if (F.rC90 == 0) return "90";
  return I64Str(static_cast<int64_t>(std::nearbyint(F.rC90 * 100)));
}

double RC90Level(const TScanCalcFields& F) { return F.rC90 == 0 ? 0.9 : F.rC90; }

void GaussParamsToCurI(TCurI& CurI, TCurISettings& S) {
  const TCurIFields& g = S.Gauss;
  CurI.SetFitOptions(g.k34, g.Qk3, g.Lev2, g.Level, g.kRed, g.kPi, g.kH, g.k34_min);
  S.MemoGSparam.Add("kRed=" + ShortSt(5, g.kRed) + " kPi=" + ShortSt(5, g.kPi) + " Level=" +
                    ShortSt(5, g.Level) + " Lev2=" + ShortSt(5, g.Lev2) + " kH=" +
                    ShortSt(5, g.kH) + " k34=" + IntStr(g.k34) + " Qk3=" + BoolStr(g.Qk3) +
                    " k34_min=" + BoolStr(g.k34_min));
  CurI.BindSLRep(&S.MemoGSparam, g.Debug, g.Debug);
  CurI.ResetDLD();
}

bool SetupCurI(TCurI& CurI, TCurISettings& S) {
  const TCurIFields& g = S.Gauss;
  Tgs& gs = CurI.gs;
  gs.Lam0 = g.ILam;
  gs.La12 = g.ILam > 56.5 ? 2 : 1;
  gs.Cont = g.Cont;
  gs.DLD = g.DLD;
  gs.DLDk = g.DLDk;
  gs.d0 = gs_get_d0(gs);
  gs.aL = g.a;
  gs.A = g.GSa * 1e-6;
  gs.B = g.GSb;
  CurI.DLH2H(g.GSdlh);
  CurI.iX = g.iX;
  CurI.iY = g.iY;
  gs.a3 = g.a3 * 1e-4;
  GaussParamsToCurI(CurI, S);
  gs.DLDprev = g.DLD0;
  gs.a3prev = g.a3_0 * 1e-4;
  if (g.LeWi * g.RiWi == 0) {
    WARNAbs("Запустите расчёт крыльев! (Кнопка \"Bi\")"_cp);
    return false;
  }
  CurI.iB() = g.LeWi > 0 ? static_cast<int32_t>(IntBelow(g.LeWi)) + 2 : 0;
  CurI.iR() = g.RiWi > 0 ? static_cast<int32_t>(IntAbove(g.RiWi)) - 2 : 0;
  CurI.StoreGs();
  // the operation list: a first line that is a whole integer is the repeat count
  S.CodeList.Clear();
  CurI.NRep = 0;
  if (g.FIOutMemo.Count() > 0) {
    const std::string first = TrimBlanks(g.FIOutMemo[0]);
    size_t n = 0;
    while (n < first.size() && std::isdigit(static_cast<unsigned char>(first[n]))) ++n;
    if (n > 0) CurI.NRep = static_cast<int32_t>(std::stol(first.substr(0, std::min<size_t>(n, 9))));
    if (n > 0 && n == first.size())
      for (int i = 1; i < g.FIOutMemo.Count(); ++i) S.CodeList.Add(g.FIOutMemo[i]);
  }
  CurI.CodeList = &S.CodeList;
  return true;
}
