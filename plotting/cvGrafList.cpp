#include "plotting/cvGrafList.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"

namespace graf {

namespace {

bool ReadReal(const std::string& S, double& v) {
  const std::string T = TrimCtl(S);
  if (T.empty()) return false;
  int32_t Code = 0;
  v = ValRealCode(T, Code);
  return Code == 0 && std::isfinite(v);
}

// The plotter and its current graph, or the warning.
TOneGraph* Current(TPLOTTER* P) {
  if (!P) {
    PlotWarn("PLOTTER Not Assigned");
    return nullptr;
  }
  TOneGraph* G = P->CurPict();
  if (!G) PlotWarn("PLOTTER.OneG Not Assigned");
  return G;
}

}  // namespace

std::vector<bool> BulkMarks(int32_t Rows, char Kind) {
  std::vector<bool> M(size_t(std::max(Rows, 0)));
  for (size_t r = 0; r < M.size(); ++r)
    M[r] = Kind == 'A' || (Kind == 'E' && r % 2 == 0) || (Kind == 'O' && r % 2 == 1);
  return M;
}

void SelectRange(int32_t Anchor, int32_t Row, int32_t Rows, int32_t& From, int32_t& To) {
  if (Anchor < 0 || Row < 0) {
    From = 0;
    To = Rows - 1;
  } else {
    From = std::min(Anchor, Row);
    To = std::max(Anchor, Row);
  }
  From = std::max(From, 0);
  To = std::min(To, Rows - 1);
}

std::vector<std::optional<std::string>> FillValues(const std::vector<bool>& Act,
                                                   const std::vector<std::string>& Lines) {
  std::vector<std::optional<std::string>> V(Act.size());
  if (Lines.empty()) return V;
  size_t k = 0;
  for (size_t r = 0; r < Act.size(); ++r)
    if (Act[r]) V[r] = Lines[k++ % Lines.size()];
  return V;
}

std::string OperCommand(double Step, int32_t Shift, int32_t k) {
  return "+" + ShortSt(5, (double(Shift) + k) * Step);
}

bool ScaleTexts(const std::string& Fraction, std::string& Mi, std::string& Ma) {
  double f = 0;
  if (!ReadReal(Fraction, f)) return false;
  Mi = FDecSt(4, f);
  Ma = FDecSt(4, 1 - f);
  return true;
}

int32_t JoinTarget(const std::vector<bool>& Act, const std::vector<int32_t>& kYs) {
  int32_t Best = -1;
  for (size_t r = 0; r < Act.size() && r < kYs.size(); ++r)
    if (Act[r] && (Best < 0 || kYs[r] <= kYs[size_t(Best)])) Best = int32_t(r);
  return Best;
}

bool EditGraph(TPLOTTER* P, TPicTool* Tool, const std::string& Col, const std::string& Value) {
  TOneGraph* G = Current(P);
  if (!G) return false;
  const bool On = Value == "1" || Value == "True" || Value == "true";
  if (Col == "gxPL_QViz") {
    if (Tool)
      Tool->Input("cbGraVisible", On ? "1" : "0");
    else
      G->QViz = On;
  } else if (Col == "gxPL_Act") {
    G->Act = On;
  } else if (Col == "gxPL_XUnits" || Col == "gxPL_YUnits") {
    const int32_t w = P->LWorldWin ? P->LWorldWin->IndexOfDim(Value) : -1;
    (Col == "gxPL_XUnits" ? G->WinX : G->WinY) = w;
    P->PlayOnce();
  } else if (Col == "gxPL_TITLE") {
    G->Name = Value;
  } else if (Col == "gxPL_TitY") {
    G->OYName = Value;
  } else if (Col == "gxPL_TitX") {
    G->OXName = Value;
  } else if (Col == "gxPL_sFmt") {
    if (Tool) Tool->SetGraphStyle(Value);
    else G->SetFormat(Value);
    P->ShowCurInTool();
  } else if (Col == "gxPL_kXY") {
    G->nXnY_Index = ValInt(Value);
  } else if (Col == "gxPL_kT") {
    G->TimeIndex = ValInt(Value);
    if (TArrPlot* A = P->ArrPlot(); A && A->nt < G->TimeIndex) A->nt = G->TimeIndex;
  }
  return true;
}

bool EditWindow(TPLOTTER* P, int32_t Num, const std::string& Col, const std::string& Value) {
  if (!P) {
    PlotWarn("PLOTTER Not Assigned");
    return false;
  }
  if (!P->LWorldWin) {
    PlotWarn("PLOTTER.OneG Not Assigned");
    return false;
  }
  TWorldWin* W = P->LWorldWin->GetWin(Num);
  if (!W) return false;
  double v = 0;
  if (Col == "gxWL_Dim") W->sDim = Value;
  else if (Col == "gxWL_OXTit") W->sOX = Value;
  else if (Col == "gxWL_min" && ReadReal(Value, v)) W->P1 = v;
  else if (Col == "gxWL_max" && ReadReal(Value, v)) W->P2 = v;
  else if (Col == "gxWL_MarkSize" && ReadReal(Value, v)) W->MrkSz = v;
  else if (Col == "gxWL_KOX") W->kOX = ValInt(Value);
  P->FillGraphGrid();
  return true;
}

bool AddShiftedPic(TPLOTTER& P, const std::string& Command, bool ToX, bool ToY) {
  if (!P.ChkCurPic()) return false;
  const std::string C = TrimCtl(Command);
  if (C.size() < 2 || (C[0] != '+' && C[0] != '-')) return false;
  int32_t Code = 0;
  double q = ValRealCode(C.substr(1), Code);
  if (Code != 0 || !std::isfinite(q)) return false;
  if (C[0] == '-') q = -q;
  const std::string Sign = C[0] == '-' ? "-" : "+";
  // taken before the graph may be deleted below
  const TOneGraph& G = *P.CurPict();
  const size_t n = std::min({size_t(std::max(G.N, 0)) + 1, G.AX.size(), G.AY.size()});
  TARe X(G.AX.begin(), G.AX.begin() + ptrdiff_t(n)), Y(G.AY.begin(), G.AY.begin() + ptrdiff_t(n));
  for (size_t i = 1; i < n; ++i) {
    if (ToX) X[i] += q;
    if (ToY) Y[i] += q;
  }
  const std::string S4 = ShortSt(4, q);
  const std::string NameX = ToX ? S4 + Sign + G.OXName : G.OXName;
  const std::string NameY = ToY ? S4 + Sign + G.OYName : G.OYName;
  const std::string Title = ToY ? S4 + Sign + G.Name : G.Name;
  const int32_t Tile = G.nXnY_Index, Frame = G.TimeIndex;
  const std::string Format = G.CurvShowFormat;
  if (P.AutoDelOnPicModify) P.DelCurPic();
  const int32_t Before = P.GraphCount();
  P.NewGraph(X, Y, Tile, Frame, Format, Title, NameX, NameY, "", "");
  return P.GraphCount() > Before;
}

std::function<bool(TPLOTTER&, const std::string&, bool, bool)>& AddModifPic() {
  static std::function<bool(TPLOTTER&, const std::string&, bool, bool)> F = AddShiftedPic;
  return F;
}

bool Histogram(TPLOTTER* P, int32_t NN, double kMi, double kMa, bool Sorted, char Mode,
               double& Lo, double& Hi) {
  if (!P || !P->ChkCurPic()) return false;
  const TOneGraph& G = *P->CurPict();
  if (G.N <= 3) return false;
  TARe Y(G.AY.begin(), G.AY.begin() + std::min<size_t>(G.AY.size(), size_t(G.N) + 1));
  TARe Means, Counts;
  AReHistogram(Y, NN, Sorted, kMi, kMa, Mode, Lo, Hi, Means, Counts);
  if (Means.size() < 2) return false;
  const std::string T = G.OYName;
  const int32_t Before = P->GraphCount();
  P->NewGraph(Means, Counts, 1, P->kT, "-.K", "Hist(" + T + ")", T + "_HistVal", T + "_HistOrd",
              "dim1", "dim2");
  return P->GraphCount() > Before;
}

namespace {

bool StepRatio(TPLOTTER* P, double& ky) {
  if (!P || !P->ChkCurPic() || !P->Gra || !P->LWorldWin) return false;
  const TOneGraph& G = *P->CurPict();
  double kx = 0;
  ky = 0;
  G.StepToWW(*P->Gra, P->PlotAreaOf(G), *P->LWorldWin, kx, ky);
  return true;
}

}  // namespace

bool MoveStepToWW(TPLOTTER* P, const std::string& StepP, std::string& Step) {
  double s = 0, ky = 0;
  if (!StepRatio(P, ky)) {
    Step = "0";
    return true;
  }
  if (!ReadReal(StepP, s)) return false;
  Step = ShortSt(9, s * ky);
  return true;
}

bool MoveStepToPix(TPLOTTER* P, const std::string& Step, std::string& StepP) {
  double s = 0, ky = 0;
  if (!StepRatio(P, ky)) {
    StepP = "1";
    return true;
  }
  if (!ReadReal(Step, s) || ky == 0) return false;
  StepP = ShortSt(9, s / ky);
  return true;
}

bool AnimationInterval(const std::string& Seconds, int32_t& Ms) {
  double t = 0;
  if (!ReadReal(Seconds, t)) t = 1;
  const double ms = std::nearbyint(t * 1000);
  if (!(ms >= 0) || ms > double(INT32_MAX)) return false;
  Ms = int32_t(ms);
  return true;
}

void SplitUnit(const std::string& Header, std::string& Name, std::string& Unit) {
  const size_t a = Header.find('[');
  const size_t b = a == std::string::npos ? a : Header.find(']', a);
  if (b == std::string::npos) {
    Name = Header;
    Unit.clear();
    return;
  }
  Unit = Header.substr(a + 1, b - a - 1);
  Name = Header.substr(0, a) + Header.substr(b + 1);
}

std::string TableStyle(const std::string& Style, int32_t N) {
  std::string S = Style;
  if (N > 10000) std::replace(S.begin(), S.end(), '-', '_');
  return S;
}

bool PlotTable(TPLOTTER& P, const TStringList& Text, int32_t T1, int32_t T2, int32_t ColX,
               int32_t ColY, const std::string& Style, const double Margins[4]) {
  TARe X, Y;
  std::string HX, HY;
  SLExtractAXAY(&Text, T1, T2, ColX, ColY, X, Y, HX, HY);
  std::string NX, UX, NY, UY;
  SplitUnit(HX, NX, UX);
  SplitUnit(HY, NY, UY);
  if (!P.ArrPlotByID("0") &&
      !P.AddArrPlot("0", 1, 1, 1, 1, Margins[0], Margins[1], Margins[2], Margins[3], 100, 100,
                    100))
    return false;
  const int32_t N = int32_t(X.size()) - 1;
  const int32_t Before = P.GraphCount();
  P.NewGraph(X, Y, 1, P.kT, TableStyle(Style, N), "", NX, NY, UX, UY);
  if (P.GraphCount() == Before) return false;
  if (P.Gra) P.Gra->ClearView();
  P.PlayOnce();
  return true;
}

}  // namespace graf
