#include "synthesis/transfer/cvVoigtTestTab.h"

#include <cmath>
#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"
#include "synthesis/transfer/cvVoigt.h"

namespace {

constexpr double kSqrtPi = 1.7724538509;

// A value of the table; an undefined fit (at the centre of a symmetric grid the Gauss and
// Lorentz columns give no system) keeps its column as "NaN".
std::string Cell(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
  return ShortSt(13, x);
}

}  // namespace

bool VoigtTestCountOk(int32_t N, int32_t Least) {
  if (N >= Least) return true;
  WARNAbs("Число точек N="_cp + IntStr(N) + " - нужно не меньше "_cp + IntStr(Least) + "!");
  return false;
}

bool VoigtTestTab(int32_t N, double VMax, double DLD, double A, bool Sym, TVoigtTestTable& Out,
                  TJob* Job) {
  if (!VoigtTestCountOk(N, 2)) return false;
  const double lam0 = VoigtTestLam0, eps = VoigtTestEps, half = VoigtTestHalfRange;
  const double x0 = Sym ? -VMax : 0.0;
  const double range = VMax - x0;
  const double wA = DLD / 1000;
  TStringList& sl = Out.List;
  sl.Clear();
  Out.X0 = x0;
  Out.VMax = VMax;
  {
    double h0, f0;
    VoigtFunc(A, 0, h0, f0);
    sl.Add("L(0)=" + ShortSt(13, 1 / LorentzProfMA(lam0, lam0, DLD, A)) + " " +
           "G(0)=" + ShortSt(13, 1 / GaussProfMA(lam0, lam0, DLD)) + " " +
           "H(0)=" + ShortSt(13, 1 / h0) + " " +
           "HI(0)=" + ShortSt(13, VoigtHQuad(half, eps, 0, A)));
    sl.Add("");
  }
  const size_t n1 = static_cast<size_t>(N) + 1;
  TARe& V = Out.V;
  TARe& G = Out.G;
  TARe& L = Out.L;
  TARe& H = Out.H;
  TARe& HIG = Out.HIG;
  TARe lam(n1), HI(n1);
  for (TARe* a : {&V, &G, &L, &H, &HIG}) a->assign(n1, 0.0);
  double sumG = 0, sumL = 0, sumH = 0, sumHI = 0;
  const std::string stepText = "ТЕСТ ФУНКЦИЙ"_cp;
  for (int32_t i = 1; i <= N; ++i) {
    if (Job && i % 100 == 1 && !Job->Step(i - 1, N, stepText)) return false;
    const size_t k = static_cast<size_t>(i);
    const double v = static_cast<double>(i - 1) / (N - 1) * range + x0;
    const double l = wA * v + lam0;
    V[k] = v;
    lam[k] = l;
    G[k] = wA * GaussProfMA(l, lam0, DLD);
    L[k] = wA * LorentzProfMA(l, lam0, DLD, A);
    double h, f, ht, ft;
    VoigtFunc(A, v, h, f);
    VoigtTaylor(A, v, ht, ft);
    H[k] = h / kSqrtPi;
    HI[k] = VoigtHQuad(half, eps, v, A) / kSqrtPi;
    HIG[k] = (HI[k] - G[k]) / A;
    sumG += G[k];
    sumL += L[k];
    sumH += H[k];
    sumHI += HI[k];
  }
  sl.Add("I  LAM  V  G  L  Huml HI HI-G KG KL HK HK-HI GL HL HG ");
  std::string row;
  for (int32_t i = 6; i <= N - 5; ++i) {
    if (Job && i % 100 == 0 && !Job->Checkpoint()) return false;
    const size_t c = static_cast<size_t>(i), j = c - 5, k = c + 5;
    const double gl = G[j] * L[k] - G[k] * L[j];
    const double hl = HI[j] * L[k] - HI[k] * L[j];
    const double hg = -(HI[j] * G[k] - HI[k] * G[j]);
    const double kg = hl / gl, kl = hg / gl;
    const double hk = kg * G[c] + kl * L[c];
    row = I64PadSt(3, i);
    row += ' ';
    row += ShortSt(8, lam[c]);
    row += ' ';
    row += ShortSt(3, V[c]);
    for (double x : {G[c], L[c], H[c], HI[c], HIG[c], kg, kl, hk, hk - HI[c], gl, hl, hg}) {
      row += ' ';
      row += Cell(x);
    }
    sl.Add(row);
  }
  if (sl.Count() >= 4) LineTabStrings(&sl, 4);
  const double w = range / (N - 1);
  sl.Add("");
  sl.Add("L(0)=" + ShortSt(8, sumL * w) + " " + "G(0)=" + ShortSt(8, sumG * w) + " " +
         "H(0)=" + ShortSt(8, sumH * w) + " " + "HI(0)=" + ShortSt(8, sumHI * w));
  if (Job) Job->Step(N, N, stepText);
  return true;
}

std::unique_ptr<TStringList> GaussArrayTab(int32_t N, double B, double VMax) {
  if (!VoigtTestCountOk(N, 1)) return nullptr;
  auto sl = std::make_unique<TStringList>();
  for (int32_t j = 0; j <= N; ++j) {
    const double x = B * VMax * j / N;
    sl->Add(ShortSt(5, x) + " " + ShortSt(10, GaussUnit(x)));
  }
  if (sl->Count() > 2) LineTabStrings(sl.get(), 2);
  return sl;
}
