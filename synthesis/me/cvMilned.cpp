#include "synthesis/me/cvMilned.h"

#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/cvLines.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvPCont.h"

namespace {

TVARIATOR& Vari() {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ErrAbs("MILNED: нет текущего вариатора VARI!"_cp);
  return *V;
}

}  // namespace

void VariLoadME() {
  TVARIATOR& V = Vari();
  TCONT& C = Cont();
  TCONTME& M = C.ME;
  M.ETA0 = V.GetR("#MEETA", 100);
  M.A = V.GetR("#MEA", 0.02);
  M.DLD = V.GetR("#MEDLD", 25);
  M.DLH = V.GetR("#MEDLH", 0);
  M.GM = V.GetR("#MEGM", 0);
  M.XI = V.GetR("#MEXI", 0);
  M.BETTA = V.GetR("#MEBET", 2);
  double dlvd = V.GetR("#MEDLVD", 0);
  const double vh = V.GetR("#MEVH", 0), vd = V.GetR("#MEVD", 0);
  if (M.DLH == 0) M.DLH = vh * M.DLD;
  if (dlvd == 0) dlvd = vd * M.DLD;
  M.DLVD = dlvd / 1000;
  M.CTETA = V.GetR("#CTETA", 1);
  C.CTETA = M.CTETA;
  // the shift lives in the model's depth vector, never in the profile's DLVD
  C.VD = 0;
  C.DLVD0 = 0;
  C.KindVD = M.DLVD == 0 ? 'C' : 'L';
  C.ConstVD = M.DLVD == 0;
}

void MilnedBS(TVEMO& V, double Beta) {
  TVEMO* X = Keeper().NeedWrkVeMo("X", kMilnedModel, "", V.FMOD);
  V.N = X->N;
  V.A.assign(static_cast<size_t>(X->N) + 1, 0.0);
  for (int32_t i = 1; i <= X->N; ++i)
    V.A[static_cast<size_t>(i)] = 1 + Beta * std::pow(10.0, X->A[static_cast<size_t>(i)]);
  V.SetFilled();
}

bool MILNED(const TCONTME& P) {
  TCONT& C = Cont();
  TLVEMO& K = Keeper();
  const std::string M = kMilnedModel;
  C.sMOD = M;
  C.MX = K.InitVEMO(M, "X", "", 1);
  if (!LoadLinsVARI()) return false;
  const int32_t n = C.MX->N;
  const std::string lam = TVEMO::LamSId(C.LAMB);
  auto vec = [&](const char* Name, const std::string& Id) {
    TVEMO* v = K.InitVEMO(M, Name, Id, 1);
    v->LAM = C.LAMB;
    return v;
  };
  auto constant = [&](const char* Name, const std::string& Id, double Value) {
    TVEMO* v = vec(Name, Id);
    VeMoFillConst(*v, n, Value);
    return v;
  };
  C.MB = vec("B", lam);
  MilnedBS(*C.MB, P.BETTA);
  C.MS = vec("S", lam);
  MilnedBS(*C.MS, P.BETTA);
  C.MEC = constant("ETAC", lam, 1);
  C.MCONT = vec("CONT", lam + "|" + TVEMO::MjuSId(P.CTETA));
  C.MCONT->MJU = P.CTETA;
  PCONT(*C.MCONT);

  TLiSet& S = C.LiSet;
  C.H0 = std::fabs(P.DLH) < 0.01;
  if (!C.H0)
    for (int32_t i = 1; i <= S.Count; ++i) ZeeSetLine(S.Items[static_cast<size_t>(i)].LI);
  for (int32_t i = 1; i <= S.Count; ++i) {
    TLINEDATA& item = S.Items[static_cast<size_t>(i)];
    const std::string name = item.LI.GetName();
    auto line = [&](const char* Name, double Value) {
      TVEMO* v = constant(Name, "LI=" + name, Value);
      v->LIN6 = name;
      v->LAM = item.LI.LAMB;
      return v;
    };
    item.DLD = line("DLD", P.DLD);
    item.ETA = line("ETA", P.ETA0);
    item.A = line("A", P.A);
  }
  C.MDLH = constant("DLH", lam, P.DLH);
  C.MGM = constant("GM", "", P.GM);
  C.MXI = constant("XI", "", P.XI);
  // the depth shift vector is in mA
  C.MDLVD = constant("DLVD", lam, P.DLVD * 1000);
  C.KHole = 0;
  C.HoleX0 = C.HoleX1 = 0;
  K.CurMOD = M;
  // the matrix cache may hold values of the vectors just refilled
  ResetFACX();
  return true;
}
