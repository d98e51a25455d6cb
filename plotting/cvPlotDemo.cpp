// The plotter's demo.
#include "plotting/cvPlotDemo.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "plotting/cvPLOT.h"

bool ReadModelColumns(const std::string& File, TARe& LgTau, TARe& T, TARe& Pe) {
  LgTau = T = Pe = TARe{0};
  std::ifstream In(File);
  if (!In) return false;
  std::string Line;
  std::getline(In, Line);  // macroturbulence, filling factor, stray light
  while (std::getline(In, Line)) {
    std::istringstream S(Line);
    S.imbue(std::locale::classic());
    double a, b, c;
    if (!(S >> a >> b >> c)) continue;
    LgTau.push_back(a);
    T.push_back(b);
    Pe.push_back(c);
  }
  return LgTau.size() > 1;
}

void SyntheticStokesI(TARe& Lam, TARe& I) {
  Lam = I = TARe{0};
  const double L1 = 6301.5012, L2 = 6302.4936, W = 0.055;
  for (int p = 1; p <= 112; ++p) {
    const double L = (p - 56.5) * 0.021549 + 6302.08;
    Lam.push_back(L);
    I.push_back(1 - 0.62 * std::exp(-std::pow((L - L1) / W, 2)) -
                0.55 * std::exp(-std::pow((L - L2) / W, 2)));
  }
}

bool PlotModelDemo(TPLOTTER& P, const std::string& ModelDir) {
  TARe Tau1, T1, Pe1, Tau2, T2, Pe2;
  if (!ReadModelColumns(ModelDir + "/hsra11.mod", Tau1, T1, Pe1) ||
      !ReadModelColumns(ModelDir + "/holmu11.mod", Tau2, T2, Pe2))
    return false;
  auto Lg = [](TARe A) {
    for (size_t i = 1; i < A.size(); ++i) A[i] = std::log10(A[i]);
    return A;
  };
  if (P.GraphCount() > 0) P.ClearAll();
  if (!P.AddArrPlot("0", 1, 1, 2, 1, 0, 0, 0, 0, 100, 100, 100)) return false;
  P.AddArrPlot("0 2", 2, 2, 1, 1, 14, 12, 4, 6, 100, 100, 100);
  P.SyncCurArrPlot();
  P.NewGraph(Tau1, T1, 1, 0, "-R 0 2", "T HSRA", "lg tau", "T", "", "K");
  P.NewGraph(Tau2, T2, 1, 0, "-B 0 2", "T HolMu", "lg tau", "T", "", "K");
  P.NewGraph(Tau1, Lg(Pe1), 2, 0, "-M 0 2", "Pe HSRA", "lg tau", "lg Pe", "", "lg(dyn/cm2)");
  P.NewGraph(Tau2, Lg(Pe2), 2, 0, "-C 0 2", "Pe HolMu", "lg tau", "lg Pe", "", "lg(dyn/cm2)");
  P.AddArrPlot("0 1", 1, 1, 1, 1, 7, 12, 2, 6, 100, 100, 100);
  P.SyncCurArrPlot();
  TARe Lam, I;
  SyntheticStokesI(Lam, I);
  P.NewGraph(Lam, I, 1, 0, "- 0 2 [008000]", "Stokes I", "lambda", "I/Ic", "A", "Ic");
  // One window per unit: widen each to all of its graphs, and draw its axis.
  for (int32_t w = 1; w < P.LWorldWin->Count(); ++w) {
    TWorldWin& W = *P.LWorldWin->GetWin(w);
    if (W.Kind == 0) continue;
    double Lo = W.P1, Hi = W.P2;
    for (int32_t g = 1; g <= P.GraphCount(); ++g) {
      const TOneGraph& G = *P.Graph(g);
      const TARe* A = G.WinX == w ? &G.AX : G.WinY == w ? &G.AY : nullptr;
      if (!A) continue;
      for (size_t i = 1; i < A->size(); ++i) Lo = std::min(Lo, (*A)[i]), Hi = std::max(Hi, (*A)[i]);
    }
    W.P1 = Lo;
    W.P2 = Hi;
    W.kOX = 1;
  }
  P.PlayOnce();
  return true;
}
