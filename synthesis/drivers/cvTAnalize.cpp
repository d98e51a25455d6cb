#include "synthesis/drivers/cvTAnalize.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLLIDA.h"
#include "models/cvPMod.h"
#include "models/physics/cvIon.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "synthesis/me/cvMilned.h"

namespace {
constexpr double kTheta = 5039.9345841032444118;
}

std::vector<std::string> TAnalizeLams(const TLVEMO& K) {
  std::vector<std::string> r;
  const TLLIDA* lines = LineData().Lines();
  if (!lines) return r;
  auto keys = K.LIN6List();
  auto lams = lines->SLLamByIds(*keys);
  std::vector<std::pair<double, std::string>> v;
  for (int32_t i = 0; i < lams->Count(); ++i) v.emplace_back(ValRealOr0((*lams)[i]), (*lams)[i]);
  std::sort(v.begin(), v.end());
  for (auto& p : v)
    if (r.empty() || r.back() != p.second) r.push_back(p.second);
  return r;
}

TVEMO* TAnalizeContVector(TLVEMO& K, const TVEMO& V, double Lam) {
  const std::string id = TVEMO::LamSId(Lam) + "|" + TVEMO::MjuSId(1);
  TVEMO* c = K.FindVeMo("CONT", V.sMOD, id, V.FMOD);
  if (!c || !c->IsFilled()) {
    WARNAbs("Не найден вектор CONT для модели "_cp + V.sMOD + " FMOD=" + IntStr(V.FMOD) +
            " sIdV0=" + id + " !!!");
    return nullptr;
  }
  return c;
}

bool TAnalizeCont(TLVEMO& K, TVEMO& V, double Lam, double& I, double& Teff) {
  TVEMO* c = TAnalizeContVector(K, V, Lam);
  if (!c) return false;
  const TVEMO* x = V.LGTAU;
  if (!x || V.N < 1 || static_cast<int32_t>(x->A.size()) <= V.N) {
    WARNAbs("У вектора "_cp + V.NAME + " модели "_cp + V.sMOD + " нет шкалы глубин X"_cp);
    return false;
  }
  I = c->func(x->A[static_cast<size_t>(V.N)]);
  Teff = PlanckTb(Lam, I);
  return true;
}

std::string TAnalizePremodShift() {
  TVARIATOR* v = VariCtx().VARI;
  if (!v) return "0";
  const std::string p = v->GetS0("#PREMOD");
  if (WordCount(p) > 2 && WordN(p, 1) == "Q") return WordN(p, 3);
  return "0";
}

double TAnalizeDTetaByTeff(double Q, double T, double D0) { return kTheta / Q - kTheta / T + D0; }

double TAnalizeDTetaByCont(double Q, double C, double Lam, double D0) {
  return kTheta / PlanckTb(Lam, Q) - kTheta / PlanckTb(Lam, C) + D0;
}

bool TAnalizeShift(TVEMO& V, double D) {
  const std::string& n = V.NAME;
  if (n == "TETA" || n == "TETA0") {
    for (int32_t i = 1; i <= V.N; ++i) V.A[static_cast<size_t>(i)] += D;
  } else if (n == "T" || n == "TEMP") {
    for (int32_t i = 1; i <= V.N; ++i) {
      double& a = V.A[static_cast<size_t>(i)];
      a = ThetaT(ThetaT(a) + D);
    }
  } else {
    WARNAbs("Имя вектора температуры можат быть T,TEMP,TETA и TETA0, но не <"_cp + n + ">!");
    return false;
  }
  V.DropSpline();
  V.SetFilled();
  V.KEd = 2;
  return true;
}

bool TAnalizeReturn(TJob& Job, TVEMO& V, double D) {
  const TARe before = V.A;
  const uint8_t ked = V.KEd;
  const uint32_t stamp = V.TCalc;
  const uint32_t filled = V.KA;
  auto putBack = [&] {
    V.A = before;
    V.KEd = ked;
    V.TCalc = stamp;
    V.KA = filled;
    V.DropSpline();
  };
  if (!TAnalizeShift(V, D)) return false;
  try {
    Job.Step(0, 2, "Return: " + V.NAME + " " + FDecSt(9, D));
    TCONT& C = Cont();
    bool done = true;
    if (C.ION) done = doION(Job);
    if (done && !Job.Cancelled()) {
      Job.Step(1, 2, "Return: PMOD3");
      done = C.MILN ? MILNED(C.ME) : PMOD3(3);
    }
    if (Job.Cancelled()) {
      putBack();
      Job.Warn("Return прерван: вектор "_cp + V.NAME + " модели "_cp + V.sMOD +
               " оставлен как был"_cp);
      return false;
    }
    Job.Step(2, 2, "Return");
    return done;
  } catch (...) {
    putBack();
    throw;
  }
}
