// The depth fills of one line (PDLD, PU, PART, PETA0, PAEX) on a 55-layer model in the keeper
// against the same formulas on plain arrays (goal: ratio <= 3).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "linedata/cvMend.h"
#include "models/physics/cvPhysDepth.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"

namespace {

constexpr int kN = 55;
constexpr double kLam = 6302.4936, kElow = 3.686, kTh = 5039.9345841032444118;

// Fe I and Fe II of the Irwin polynomials; the element table's means of a solar mixture.
void MakeMend() {
  if (MEND) return;
  CreateMEND();
  MEND->CreateAtoms();
  TATOM* fe = MEND->GetAtom(26);
  const double u[3][6] = {
      {-1.15609527e+03, 7.46597652e+02, -1.92865672e+02, 2.49658410e+01, -1.61934455e+00,
       4.21182087e-02},
      {2.71692895e+02, -1.52697440e+02, 3.36119665e+01, -3.56415427e+00, 1.80193259e-01,
       -3.38654879e-03},
      {5.42788652e+02, -3.26170152e+02, 7.77054463e+01, -9.12244699e+00, 5.27184053e-01,
       -1.19689432e-02}};
  for (int s = 0; s < 3; ++s)
    for (int i = 0; i < 6; ++i) fe->U[s][i] = u[s][i];
  fe->Name = "FE";
  fe->PAT = 55.845;
  fe->ABUND = 7.5;
  fe->EIon[0] = 7.9024;
  fe->EIon[1] = 16.1877;
  MEND->SumAbund = 1.085;
  MEND->MjuPerH = 1.4;
  MEND->NH_perGramm = 1 / (1.4 * 1.660531e-24);
}

struct TModel {
  TOwnCalcContext ctx;
  TARe T, PE, PG, NH, KAP, VMI;
  TModel() {
    MakeMend();
    TCalcScope scope(ctx);
    auto col = [](double a, double b) {
      TARe v(kN + 1);
      for (int i = 1; i <= kN; ++i) v[i] = a + (b - a) * (i - 1) / (kN - 1);
      return v;
    };
    T = col(9500, 4200);
    PE = col(3.8, -1.5);
    PG = col(5.3, 2.5);
    NH = col(1e17, 1e14);
    KAP = col(5, 1e-3);
    VMI = col(0.6, 1.2);
    TLVEMO& K = *ctx.LVEMO;
    K.AddVeMo("X", "B", col(1.4, -4), 1, 1, "", 0, "");
    K.AddVeMo("T", "B", T, 1, 0, "", 0, "");
    K.AddVeMo("LGPE", "B", PE, 1, 0, "", 0, "");
    K.AddVeMo("LGPG", "B", PG, 1, 0, "", 0, "");
    K.AddVeMo("NH", "B", NH, 1, 0, "", 0, "");
    K.AddVeMo("KAP5", "B", KAP, 1, 0, "", 0, "");
    K.AddVeMo("VMI", "B", VMI, 1, 0, "", 0, "");
  }
};

TModel& Model() {
  static TModel m;
  return m;
}

void Fills(benchmark::State& State) {
  TModel& m = Model();
  TCalcScope scope(m.ctx);
  TLVEMO& K = *m.ctx.LVEMO;
  const std::string li = "LI=FE6302", at = "AT=FE";
  auto out = [&](const char* Name, const std::string& Id) {
    return K.AddVeMo(Name, "B", TARe(kN + 1), 1, 0, Id, 0, "");
  };
  TVEMO* dld = out("DLD", li);
  TVEMO* u0 = out("U0", at);
  TVEMO* u1 = out("U1", at);
  TVEMO* u2 = out("U2", at);
  TVEMO* part = out("PART", li);
  TVEMO* eta = out("ETA", li);
  TVEMO* a = out("A", li);
  TVEMO* n6 = out("DLLorN", li);
  TVEMO* d4 = out("DLLor4", li);
  TVEMO* d6 = out("DLLor6", li);
  TVEMO* old = out("AOld", li);
  u0->AT = "FE";
  eta->LIN6 = a->LIN6 = "FE6302";
  TDampLine d;
  d.Z = 26;
  d.LAMB = kLam;
  d.ELOW = kElow;
  d.RAD = 7.93;
  d.STARK = -5.43;
  d.WAALS = -7.59;
  for (auto _ : State) {
    PDLD(*dld, 55.845, kLam);
    PU(*u0, *u1, *u2);
    PART(26, 1, *part, kElow);
    PETA0(26, 1, *eta, -1.131, 7.5, kLam);
    PAEX(d, *a, *n6, *d4, *d6, *old, "46_04");
    benchmark::DoNotOptimize(a->A[1]);
  }
}

void Fills_Reference(benchmark::State& State) {
  TModel& m = Model();
  const TATOM* fe = MEND->GetAtom(26);
  std::vector<double> dld(kN + 1), u0(kN + 1), u1(kN + 1), u2(kN + 1), part(kN + 1),
      eta(kN + 1), a(kN + 1);
  const double l = kLam * 1e-8, conv = l * l / 3.767303111998239449;
  const double coef = 3.007877e11 / 1.4 * std::pow(10.0, -1.131) * std::pow(10.0, 7.5 - 12) * l * l;
  for (auto _ : State) {
    for (int i = 1; i <= kN; ++i) {
      const double t = m.T[i], v = m.VMI[i];
      dld[i] = std::sqrt(v * v * 60.1367 + t / 55.845) * kLam * 4.3014e-7 * 1000;
      u0[i] = fe->CalcU(0, t);
      u1[i] = fe->CalcU(1, t);
      u2[i] = fe->CalcU(2, t);
      const double pe = std::pow(10.0, m.PE[i]);
      const double s1 = 0.666717 * std::pow(t, 2.5) * u1[i] / u0[i] * std::exp(-11604.9 * 7.9024 / t) / pe;
      const double s2 = 0.666717 * std::pow(t, 2.5) * u2[i] / u1[i] * std::exp(-11604.9 * 16.1877 / t) / pe;
      part[i] = std::pow(10.0, -kElow * kTh / t) / u0[i] / (1 + s1 + s1 * s2);
      eta[i] = coef * part[i] / (dld[i] * 1e-11) * (1 - std::exp(-1.43883528651797 / (l * t))) / m.KAP[i];
      const double ne = pe / (1.38062e-16 * t), f = std::pow(t / 1e4, 0.4);
      const double el = 1.2398538410969168e-4 / l, c6 = 3e-31 * (1 / std::pow(7.9024 - kElow - el, 2) -
                                                                 1 / std::pow(7.9024 - kElow, 2));
      const double g6 = 0.4 * std::log10(c6) + 19.6;
      benchmark::DoNotOptimize(std::pow(10.0, g6 + m.PG[i] - 0.7 * std::log10(t)) * conv / dld[i]);
      a[i] = (std::pow(10.0, 7.93) * conv + std::pow(10.0, -5.43) * conv * ne * f +
              std::pow(10.0, -7.59) * conv * m.NH[i] * f) / dld[i];
    }
    benchmark::DoNotOptimize(a[1]);
  }
}

BENCHMARK(Fills);
BENCHMARK(Fills_Reference);

}  // namespace
BENCHMARK_MAIN();
