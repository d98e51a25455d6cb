// The analytic Milne-Eddington profiles: RACH of Fe I 6301.5 and 6302.5 on 56 points each (one
// pair profile, 112 points) against a plain Milne-Eddington solution written here (scalar, one
// Voigt call per component and position), checked to give the same values to 1e-9.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "linedata/cvZeeman.h"
#include "synthesis/me/cvRach.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

constexpr int kPoints = 56;
constexpr double kStep = 21.549;  // mA

struct TLine {
  double Lamb;
  TZEEMAN Z;
};

TLine* Lines() {
  static TLine* l = [] {
    auto* p = new TLine[2];
    p[0].Lamb = 6301.5008;
    ZeeSetRunge("FE6301", p[0].Z, 2, 2, 11.0 / 6, 1.5);
    p[1].Lamb = 6302.4936;
    ZeeSetRunge("FE6302", p[1].Z, 1, 0, 2.5, 0);
    return p;
  }();
  return l;
}

TMEPar Par() {
  TMEPar p;
  p.ETA0 = 10;
  p.A = 0.05;
  p.DLD = 30;
  p.DLH = 40;
  p.GM = 50;
  p.XI = 20;
  p.BETTA = 1.5;
  p.CTETA = 1;
  return p;
}

void Grid(TUNNO& U, double Lamb) {
  U.SetDefaults();
  U.PureUL(kPoints, 0, Lamb, (kPoints - 1) * kStep, 0);
}

// The plain solution: Stokes I, Q, U, V over the continuum at the offset dl (mA).
void PlainME(const TMEPar& p, const TZEEMAN& Z, double dl, double S[4]) {
  const double v = -dl / p.DLD, vh = p.DLH / p.DLD;
  double ep = 0, eb = 0, er = 0, rp = 0, rb = 0, rr = 0;
  for (int k = 1; k <= Z.NCOMP; ++k) {
    const double s = Z.Strength[k];
    double hb, fb, hr, fr;
    VoigtHumlicek(p.A, v - vh * Z.Shift[k], hb, fb);
    VoigtHumlicek(p.A, v + vh * Z.Shift[k], hr, fr);
    if (k > Z.NPI) {
      eb += (hb < 1e-30 ? 0.0 : hb) * s;
      rb += fb * s;
      er += (hr < 1e-30 ? 0.0 : hr) * s;
      rr += fr * s;
    } else {
      ep += (hb + hr) * s;
      rp += (fb + fr) * s;
    }
  }
  // magneto-optical profiles as -2F
  rp *= -2, rb *= -2, rr *= -2;
  const double cg = std::cos(p.GM * M_PI / 180), sg2 = 1 - cg * cg;
  const double c2 = std::cos(2 * p.XI * M_PI / 180), s2 = std::sin(2 * p.XI * M_PI / 180);
  const double h = p.ETA0;
  const double eI = 1 + h * (ep * sg2 + (eb + er) * (2 - sg2));
  const double eQ = h * c2 * sg2 * (ep - eb - er), eU = h * s2 * sg2 * (ep - eb - er);
  const double eV = h * 2 * cg * (er - eb);
  const double rQ = h * c2 * sg2 * (rp - rb - rr), rU = h * s2 * sg2 * (rp - rb - rr);
  const double rV = h * 2 * cg * (rr - rb);
  const double w = eQ * rQ + eU * rU + eV * rV, rho2 = rQ * rQ + rU * rU + rV * rV;
  const double e2 = eI * eI;
  const double D = e2 * (e2 - eQ * eQ - eU * eU - eV * eV + rho2) - w * w;
  const double bm = p.BETTA * p.CTETA, Pw = bm / (1 + bm), k = Pw / D;
  S[0] = 1 - (1 - (e2 + rho2) * eI / D) * Pw;
  S[1] = -(e2 * eQ + eI * (eV * rU - eU * rV) + rQ * w) * k;
  S[2] = -(e2 * eU + eI * (eQ * rV - eV * rQ) + rU * w) * k;
  S[3] = -(e2 * eV + eI * (eU * rQ - eQ * rU) + rV * w) * k;
}

void CheckSame() {
  SetVoigtMethod("HUMLICEK");
  const TMEPar p = Par();
  for (int l = 0; l < 2; ++l) {
    TUNNO U;
    Grid(U, Lines()[l].Lamb);
    RACH(p, Lines()[l].Z, U, 6);
    for (int i = 1; i <= U.NDL; ++i) {
      double S[4];
      PlainME(p, Lines()[l].Z, (U.UL[i] - U.LAMB) * 1000, S);
      const double got[4] = {U.UI[i], U.UQ[i], U.UU[i], U.UV[i]};
      for (int k = 0; k < 4; ++k)
        if (!(std::fabs(got[k] - S[k]) <= 1e-9)) {
          std::fprintf(stderr, "RACH and the plain solution differ: line %d point %d Stokes %d\n",
                       l, i, k);
          std::exit(1);
        }
    }
  }
}

// us per pair profile (two lines, 112 points)
void MEPair(benchmark::State& State) {
  CheckSame();
  const TMEPar p = Par();
  TUNNO U[2];
  for (int l = 0; l < 2; ++l) Grid(U[l], Lines()[l].Lamb);
  for (auto _ : State) {
    for (int l = 0; l < 2; ++l) {
      RACH(p, Lines()[l].Z, U[l], 6);
      benchmark::DoNotOptimize(U[l].UV[kPoints]);
    }
  }
  State.SetItemsProcessed(State.iterations());
}

void MEPair_Reference(benchmark::State& State) {
  CheckSame();
  const TMEPar p = Par();
  TUNNO U[2];
  for (int l = 0; l < 2; ++l) Grid(U[l], Lines()[l].Lamb);
  double out[2][kPoints + 1][4];
  for (auto _ : State) {
    for (int l = 0; l < 2; ++l)
      for (int i = 1; i <= kPoints; ++i)
        PlainME(p, Lines()[l].Z, (U[l].UL[i] - U[l].LAMB) * 1000, out[l][i]);
    benchmark::DoNotOptimize(out);
  }
  State.SetItemsProcessed(State.iterations());
}

}  // namespace

BENCHMARK(MEPair)->Unit(benchmark::kMicrosecond);
BENCHMARK(MEPair_Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
