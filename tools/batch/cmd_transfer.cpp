// Transfer commands of the harness: the Humlicek error table, the Zeeman pattern reports of a
// line, and the integration of a Stokes profile through an atmosphere of constant source
// function (the vector must stay I = S, Q = U = V = 0).
#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvZeeman.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvAbsMatrix.h"
#include "synthesis/transfer/cvRK.h"
#include "synthesis/transfer/cvVoigt.h"
#include "tools/batch/Batch.h"

namespace {

bool Real(const std::vector<std::string>& A, size_t& i, double& V) {
  if (i + 1 >= A.size()) return false;
  int32_t code = 0;
  V = ValRealCode(A[++i], code);
  return code == 0;
}

void Print(const TStringList& L) {
  for (int32_t i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

// voigt-errtab [N A TOL VMAX]
int ErrTab(const std::vector<std::string>& Args) {
  double v[4] = {20, 0.5, 1e-10, 10};
  if (Args.size() > 4) return batch::Usage();
  for (size_t i = 0; i < Args.size(); ++i) {
    int32_t code = 0;
    v[i] = ValRealCode(Args[i], code);
    if (code != 0) return batch::Usage();
  }
  if (!(v[0] >= 1) || !(v[3] > 0)) return batch::Usage();
  TJob job("VoigtHumlicekErrTab");
  return batch::RunAsJob(job, [&](TJob&) {
    Print(*VoigtHumlicekErrTab(static_cast<int32_t>(v[0]), v[1], v[2], v[3]));
  });
}

// zeeman FE6302 | FE6301 | --runge JL JU GL GU | --zee TEXT
int Zeeman(const std::vector<std::string>& Args) {
  if (Args.empty()) return batch::Usage();
  TJob job("TZEEMAN");
  return batch::RunAsJob(job, [&](TJob&) {
    TZEEMAN z;
    const std::string& a = Args[0];
    if (a == "FE6302") {
      ZeeSetRunge("FE6302", z, 1, 0, 2.5, 0);
    } else if (a == "FE6301") {
      ZeeSetRunge("FE6301", z, 2, 2, 11.0 / 6, 1.5);
    } else if (a == "--runge" && Args.size() == 5) {
      double p[4];
      for (int k = 0; k < 4; ++k) p[k] = ValReal(Args[static_cast<size_t>(k + 1)]);
      ZeeSetRunge("RUNGE", z, p[0], p[1], p[2], p[3]);
    } else if (a == "--zee" && Args.size() >= 2) {
      std::string t;
      for (size_t k = 1; k < Args.size(); ++k) t += (k > 1 ? " " : "") + batch::Cp(Args[k]);
      z.SetByHand(t);
    } else {
      ErrAbs("zeeman: FE6302, FE6301, --runge JL JU GL GU or --zee TEXT");
    }
    Print(*z.Report());
  });
}

// transfer-const [--s S] [--err E] [--dlh MA] [--gamma DEG] [--chi DEG]: the Fe I 6302.5 line
// in an atmosphere of constant B = S, 21 points over +-0.15 A integrated from X = 1 to -4.5.
int ConstS(const std::vector<std::string>& Args) {
  double S = 2, err = 0.01, dlh = 40, gamma = 30, chi = 20;
  for (size_t i = 0; i < Args.size(); ++i) {
    bool ok = false;
    if (Args[i] == "--s") ok = Real(Args, i, S);
    else if (Args[i] == "--err") ok = Real(Args, i, err);
    else if (Args[i] == "--dlh") ok = Real(Args, i, dlh);
    else if (Args[i] == "--gamma") ok = Real(Args, i, gamma);
    else if (Args[i] == "--chi") ok = Real(Args, i, chi);
    if (!ok) return batch::Usage();
  }
  if (!(err > 0)) return batch::Usage();
  TJob job("IntegrateU constant S");
  return batch::RunAsJob(job, [&](TJob& J) {
    TOwnCalcContext ctx;
    TCalcScope scope(ctx);
    const std::string mod = "CONST";
    const double lam0 = 6302.4936;
    const int32_t n = 651;
    TARe x(static_cast<size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) x[static_cast<size_t>(i)] = 1.5 - (i - 1) * 0.01;
    TVEMO* X = ctx.LVEMO->AddVeMo("X", mod, x, 1, 1, "", 0, "");
    auto add = [&](const std::string& name, double value, const std::string& id) {
      TVEMO* p =
          ctx.LVEMO->AddVeMo(name, mod, TARe(static_cast<size_t>(n) + 1, value), 1, 0, id, 0, "");
      p->LGTAU = X;
      return p;
    };
    TCONT& C = Cont();
    const std::string lam = TVEMO::LamSId(lam0);
    C.sMOD = mod;
    C.MX = X;
    C.MB = C.MS = add("B", S, lam);
    C.MEC = add("ETAC", 1, lam);
    C.MDLH = add("DLH", dlh, lam);
    C.MDLVD = add("DLVD", 0, lam);
    C.MGM = add("GM", gamma, "");
    C.MXI = add("XI", chi, "");
    C.CTETA = 1;
    C.KVOIG = 6;
    C.LiSet.Count = 1;
    TLINEDATA& it = C.LiSet.Items[1];
    it.LI.LAMB = lam0;
    ZeeSetRunge("FE6302", it.LI.Zee, 1, 0, 2.5, 0);
    it.DLD = add("DLD", 30, "LI=FE6302");
    it.ETA = add("ETA", 10, "LI=FE6302");
    it.A = add("A", 0.05, "LI=FE6302");
    C.SETX.ERR = err;
    C.SETX.DXMA = 0.5;
    C.SETX.EFDX = std::pow(120 * err * 50, 0.2);
    TUNNO U;
    U.SetDefaults();
    U.SetULEqd(21, lam0, lam0 + 0.15, lam0 - 0.15);
    U.AllocU();
    double worst = 0;
    std::cout << "lambda I Q U V\n";
    for (int32_t i = 1; i <= U.NDL; ++i) {
      if (!J.Step(i, U.NDL, "IntegrateU")) return;
      U.UI[i] = S;
      C.WK.LAM = U.UL[i];
      IntegrateU(i, U, -4.5, 1);
      worst = std::max({worst, std::fabs(U.UI[i] - S), std::fabs(U.UQ[i]), std::fabs(U.UU[i]),
                        std::fabs(U.UV[i])});
      std::cout << FSt(9, 4, U.UL[i]) << " " << ESt(12, U.UI[i]) << " " << ESt(12, U.UQ[i]) << " "
                << ESt(12, U.UU[i]) << " " << ESt(12, U.UV[i]) << "\n";
    }
    std::cout << "max |I-S|,|Q|,|U|,|V| = " << ESt(6, worst) << "\n" << std::flush;
  });
}

const TBatchCommand kErrTab("voigt-errtab", "voigt-errtab [N A TOL VMAX]", ErrTab);
const TBatchCommand kZee("zeeman", "zeeman FE6302|FE6301|--runge JL JU GL GU|--zee TEXT", Zeeman);
const TBatchCommand kConstS("transfer-const",
                            "transfer-const [--s S] [--err E] [--dlh MA] [--gamma DEG] [--chi DEG]",
                            ConstS);

}  // namespace
