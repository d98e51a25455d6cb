#include "plotting/cvCurveOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/cvArr.h"
#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSpline.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"

namespace {

size_t Z(int32_t i) { return static_cast<size_t>(i); }

// What an operation keeps of G: copies, since G may be deleted before the result is added.
struct TSrc {
  TARe AX, AY, AW;
  int32_t N = 0, Tile = 1, Frame = 0;
  std::string Format, Name, OX, OY, DimX, DimY;
  bool YTitle = false;
};

TSrc Take(TPLOTTER& P, const TOneGraph& G) {
  TSrc S;
  S.N = std::min({G.N, NOf(G.AX), NOf(G.AY)});
  S.AX.assign(G.AX.begin(), G.AX.begin() + S.N + 1);
  S.AY.assign(G.AY.begin(), G.AY.begin() + S.N + 1);
  if (NOf(G.AW) >= S.N) S.AW.assign(G.AW.begin(), G.AW.begin() + S.N + 1);
  S.Tile = G.nXnY_Index;
  S.Frame = G.TimeIndex;
  S.Format = G.CurvShowFormat;
  S.Name = G.Name;
  S.OX = G.OXName;
  S.OY = G.OYName;
  S.YTitle = G.YTitle;
  if (P.LWorldWin) {
    if (const TWorldWin* W = P.LWorldWin->GetWin(G.WinX)) S.DimX = W->sDim;
    if (const TWorldWin* W = P.LWorldWin->GetWin(G.WinY)) S.DimY = W->sDim;
  }
  return S;
}

// The current graph, or nullptr when ChkCurPic fails.
TOneGraph* Cur(TPLOTTER& P) { return P.ChkCurPic() ? P.CurPict() : nullptr; }

void DropSource(TPLOTTER& P) {
  if (P.AutoDelOnPicModify) P.DelCurPic();
}

// The result with G's tile, frame and format (Format when given); same windows when Same.
void Add(TPLOTTER& P, const TSrc& S, const TARe& X, const TARe& Y, const TARe* W,
         const std::string& Title, const std::string& OX, const std::string& OY, bool Same,
         const std::string* Format = nullptr) {
  DropSource(P);
  P.AddGraph(X, Y, W, S.Tile, S.Frame, Format ? *Format : S.Format, Title, OX, OY,
             Same ? S.DimX : std::string(), Same ? S.DimY : std::string());
}

std::string Replace(std::string S, char From, char To) {
  std::replace(S.begin(), S.end(), From, To);
  return S;
}

int32_t RoundHalfEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

double HostReal(const std::string& Text, double Default) {
  int32_t c = 0;
  const std::string T = TrimCtl(Text);
  const double v = T.empty() ? Default : ValRealCode(T, c);
  return c == 0 && std::isfinite(v) ? v : Default;
}

// C's value at G's points: C's own Y on the same grid, else C interpolated linearly.
bool CompareValues(TPLOTTER& P, const TSrc& G, TSrc& C, TARe& V) {
  const TOneGraph* Cg = P.Graph(P.k_Compare);
  if (!Cg) return false;
  C = Take(P, *Cg);
  V.assign(Z(G.N) + 1, 0.0);
  bool Same = C.N == G.N;
  for (int32_t i = 1; Same && i <= G.N; ++i) Same = C.AX[Z(i)] == G.AX[Z(i)];
  for (int32_t i = 1; i <= G.N; ++i)
    V[Z(i)] = Same ? C.AY[Z(i)] : AReLinIpol(C.AX, C.AY, G.AX[Z(i)]);
  return Same;
}

}  // namespace

void IntegralCurPic(TPLOTTER& P) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const TSrc S = Take(P, *G);
  TARe L, E, R;
  AReCumInteg(S.AY, S.AX, L, E, R);
  if (NOf(E) < 2) return;
  TARe Y(E.size(), 0.0);
  for (size_t i = 1; i < E.size(); ++i) Y[i] = (L[i] + R[i]) / 2;
  Add(P, S, E, Y, nullptr, "integral(" + S.Name + ")", S.OX, "integral(" + S.OY + ")", false);
}

void MeanYBinned(TPLOTTER& P, const TARe& Edges) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const TSrc S = Take(P, *G);
  T2ARe XY{S.AX, S.AY};
  T3ARe R;
  AReBinMeanY(XY, Edges, R);
  if (NOf(R.A2) < 1) return;
  Add(P, S, R.A1, R.A2, &R.A3, "<Y>(X)(" + S.Name + ")", S.OX, "<Y>(X)(" + S.OY + ")", true);
  if (TOneGraph* N = P.CurPict()) {
    N->SetFormat(FormatWithDash(N->CurvShowFormat, '-'));
    P.ShowCurInTool();
  }
  P.PlayOnce();
}

void AddApproxCurPic(TPLOTTER& P, const std::string& Kind, double Width) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const int32_t w = RoundHalfEven(Width);
  TARe X, Y;
  std::string Prefix = "smooth", Format = G->CurvShowFormat;
  auto Sorted = [&] {
    G->SortBy('X');
    return Take(P, *G);
  };
  TSrc S;
  if (Kind == "GAUSS") {
    if (!(Width > 0)) {
      PlotWarn("PLOTTER.AddApproxCurPic: ширина гауссианы должна быть больше 0 (задано "_cp +
               ShortSt(6, Width) + ")");
      return;
    }
    S = Take(P, *G);
    X = S.AX;
    AReGSmooth(S.AX, S.AY, Y, Width);
  } else if (Kind == "MEAN2") {
    S = Take(P, *G);
    AReMid2(S.AX, S.AY, X, Y);
  } else if (Kind == "MEAN3") {
    S = Take(P, *G);
    X = S.AX;
    AReMean3(S.AY, Y);
  } else if (Kind == "MEANSmooth") {
    S = Sorted();
    TARe AX = S.AX, AY = S.AY;
    AReHistSmooth(AX, AY, w, X, Y);
    Format = Replace(Format, '_', '-');
  } else if (Kind == "MEAN_x_N") {
    S = Sorted();
    const double Lo = HostReal(P.Tools->MainGet("edkMi"), 0);
    double Hi = HostReal(P.Tools->MainGet("edkMa"), 1);
    if (Hi == 0) Hi = 1;
    TARe AX = S.AX, AY = S.AY;
    AReScatterBin(AX, AY, w, false, Lo, Hi, X, Y);
    Format = Replace(Format, '_', '-');
  } else if (Kind == "MEANeqP") {
    S = Sorted();
    const TRangeRe R = P.LWorldWin ? G->XRange(*P.LWorldWin) : TRangeRe{};
    int32_t c1 = 0, c2 = 0;
    const int32_t v1 = ValIntCode(TrimCtl(P.Tools->ToolGet("edVX1")), c1);
    const int32_t v2 = ValIntCode(TrimCtl(P.Tools->ToolGet("edVX2")), c2);
    TARe AX = S.AX, AY = S.AY;
    AReScatterBin(AX, AY, v2 - v1, true, R.Lo, R.Hi, X, Y);
    Format = Replace(Format, '_', '-');
  } else if (Kind == "X_comb") {
    S = Take(P, *G);
    AReQuantiles(S.AX, w, X, Y);
    Prefix = "comb";
    Format = Replace(Format, '.', '+');
  } else {
    PlotWarn("PLOTTER.AddApproxCurPicERR: SMOOTH=<" + Kind + "> это НЕ ВАРИАНТ!"_cp);
    return;
  }
  if (NOf(X) < 1 || NOf(Y) != NOf(X)) return;
  const std::string Pre = Prefix + "_" + Kind + "(";
  Add(P, S, X, Y, nullptr, Pre + S.Name + ")", S.OX, Pre + S.OY + ")", true, &Format);
}

void DiffCurPic(TPLOTTER& P) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const TSrc S = Take(P, *G);
  int32_t Dir = 0, Pos = 0;
  if (S.N < 2 || !AReMonotonicDir(S.AX, Dir, Pos) || S.AX[1] == S.AX[Z(S.N)]) {
    PlotWarn("Массив X текущего графика - немонотонный,\r\nдифференцировать нельзя!"_cp);
    return;
  }
  TARe X(Z(S.N), 0.0), Y(Z(S.N), 0.0);
  for (int32_t i = 2; i <= S.N; ++i) {
    const double x0 = S.AX[Z(i - 1)], x1 = S.AX[Z(i)];
    X[Z(i - 1)] = (x0 + x1) / 2;
    Y[Z(i - 1)] = (S.AY[Z(i)] - S.AY[Z(i - 1)]) / (x1 - x0);
  }
  Add(P, S, X, Y, nullptr, "diff(" + S.Name + ")", S.OX, "diff(" + S.OY + ")", false);
}

void MirrorCurPic(TPLOTTER& P) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const TSrc S = Take(P, *G);
  TARe X = S.AX, Y = S.AY;
  AReReverse(X);
  AReReverse(Y);
  Add(P, S, X, Y, nullptr, "mirror(" + S.Name + ")", "mirror(" + S.OX + ")",
      "mirror(" + S.OY + ")", true);
}

namespace {
// The current graph combined point by point with the comparison graph's values under it: the
// graph "(name Op comparison)".
void CombineWithCompare(TPLOTTER& P, const char* Op, double (*F)(double S, double V)) {
  TOneGraph* G = Cur(P);
  if (!G || P.k_Compare < 1) return;
  const TSrc S = Take(P, *G);
  TSrc C;
  TARe V;
  CompareValues(P, S, C, V);
  TARe Y(V.size(), 0.0);
  for (int32_t i = 1; i <= S.N; ++i) Y[Z(i)] = F(S.AY[Z(i)], V[Z(i)]);
  Add(P, S, S.AX, Y, nullptr, "(" + S.Name + Op + C.Name + ")", S.OX,
      "(" + S.OY + Op + C.OY + ")", false);
}
}  // namespace

void DivByCompare(TPLOTTER& P) {
  // the quotient is 0 where the comparison is 0
  CombineWithCompare(P, " / ", [](double S, double V) { return V == 0 ? 0.0 : S / V; });
}

void SubCompare(TPLOTTER& P) {
  CombineWithCompare(P, " - ", [](double S, double V) { return S - V; });
}

void MeanWithCompare(TPLOTTER& P) {
  TOneGraph* G = Cur(P);
  if (!G || P.k_Compare < 1) return;
  const TSrc S = Take(P, *G);
  TSrc C;
  TARe V;
  const bool Same = CompareValues(P, S, C, V);
  const bool Weighted = Same && S.YTitle && C.YTitle && NOf(S.AW) >= S.N && NOf(C.AW) >= S.N;
  TARe Y(V.size(), 0.0), W;
  if (Weighted) W.assign(V.size(), 0.0);
  for (int32_t i = 1; i <= S.N; ++i) {
    const double g = S.AY[Z(i)], c = V[Z(i)];
    if (Weighted) {
      const double wg = S.AW[Z(i)], wc = C.AW[Z(i)], ww = wg + wc;
      W[Z(i)] = ww;
      Y[Z(i)] = ww != 0 ? (wg * g + wc * c) / ww : (g + c) / 2;
    } else {
      Y[Z(i)] = (g + c) / 2;
    }
  }
  const std::string T = "(" + S.Name + " + " + C.Name + ")/2";
  Add(P, S, S.AX, Y, Weighted ? &W : nullptr, Weighted ? "<Y>" + T : T, S.OX,
      "(" + S.OY + " + " + C.OY + ")/2", true);
}

void ResampleCurPic(TPLOTTER& P, char Method, double H) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  const TSrc S = Take(P, *G);
  if (S.N < 2) return;
  const char* Kind = Method == '2' ? "INTER2(" : Method == '4' ? "IPEITKEN(" :
                     (Method == 'S' || Method == 's') ? "SPLINE(" : nullptr;
  if (!Kind) {
    PlotWarn("PLOTTER.ResampleCurPic: неизвестный способ интерполяции <"_cp +
             std::string(1, Method) + "> (допустимы 2, 4, S)"_cp);
    return;
  }
  if (!(H > 0) || !std::isfinite(H)) {
    PlotWarn("PLOTTER.ResampleCurPic: шаг по X должен быть больше 0, шаг="_cp + EFSt(4, H));
    return;
  }
  const double x1 = S.AX[1], xN = S.AX[Z(S.N)];
  const double L = std::fabs(xN - x1);
  const double Count = std::trunc(L / H) + 1;
  if (Count > 1e6) {
    PlotWarn("PLOTTER.ResampleCurPic: слишком мелкий шаг, точек было бы больше 1000000: интервал="_cp +
             EFSt(4, L) + " шаг="_cp + EFSt(4, H));
    return;
  }
  const int32_t n = static_cast<int32_t>(Count);
  const std::string Tail = "\r\nинтервал="_cp + EFSt(4, L) + " новый шаг="_cp + EFSt(4, H) +
                           "\r\n" + " Число точек="_cp + IntStr(S.N) + " новое число точек="_cp +
                           IntStr(n);
  if (n < S.N / 2) PlotWarn("Шаг по X слишком большой, его надо уменьшить!"_cp + Tail);
  if (S.N < n / 15) PlotWarn("Шаг по X слишком мелкий, его надо увеличить!"_cp + Tail);
  TSPLINE Spl;
  if (Kind[0] == 'S') {
    if (!AReStrictMonotonic(S.AX)) {
      PlotWarn("PLOTTER.ResampleCurPic: для сплайна X текущего графика должен быть строго монотонным!"_cp);
      return;
    }
    Spl.SetData(S.N, S.AX, S.AY);
  }
  const double Dir = x1 > xN ? -1 : 1;
  const double x0 = H * (std::trunc(x1 / H) + Dir);
  TARe X(Z(n) + 1, 0.0), Y(Z(n) + 1, 0.0);
  for (int32_t i = 1; i <= n; ++i) {
    const double x = x0 + (i - 1) * Dir * H;
    X[Z(i)] = x;
    Y[Z(i)] = Kind[0] == 'I' && Kind[2] == 'T' ? AReLinIpol(S.AX, S.AY, x)
              : Kind[0] == 'I'                 ? AReIpolCubicX(S.AX, S.AY, x)
                                               : Spl.Eval(x);
  }
  const std::string OX = Kind + S.OX + ",Step=" + EFSt(4, H) + ")";
  Add(P, S, X, Y, nullptr, S.Name + " " + OX, OX, S.OY, true);
}

// ---------------------------------------------------------------- formula commands

void AddModifPic(TPLOTTER& P, const std::string& Command, bool ToX, bool ToY, double B) {
  TOneGraph* G = Cur(P);
  if (!G) return;
  static const std::string List = "lg exp inv TETA B(T) K SQR POW norm";
  const std::string Head = "TPLOTTER.AddModifPic ERR оператор <"_cp + Command + "> \r\n";
  enum TForm { fOp, fAdd, fMul, fQX } Form = fOp;
  std::string Op, Sign;
  double q = 1;
  if (List.find(Command) != std::string::npos) {
    bool Word = false;
    for (int32_t k = 1; k <= WordCount(List); ++k) Word = Word || WordN(List, k) == Command;
    if (!Word) {
      PlotWarn(Head + "отсутствует в списке допустимых операторов <"_cp + List + ">");
      return;
    }
    Op = Command;
    if (Op == "B(T)" && ToX && ToY) {
      PlotWarn(Head + "- \"нарисовать прямую\" должен применяться к X или Y по отдельности!"_cp);
      return;
    }
  } else {
    const std::string T = TrimCtl(Command);
    const std::string Bad = "Команда, содержащая X не распознана!\r\n<"_cp + Command + ">";
    const size_t p = T.find('X');
    if (p != std::string::npos) {
      if (ToX) {
        // No values are defined for a new X: the command stops here.
        PlotWarn("Команда, содержащая X не должна применяться к самому X!\r\n<"_cp + Command + ">");
        return;
      }
      const std::string Pre = TrimCtl(T.substr(0, p)), Post = TrimCtl(T.substr(p + 1));
      if (Pre != "+" && Pre != "-") {
        PlotWarn(Bad);
        return;
      }
      if (!Post.empty() && (Post[0] == '*' || Post[0] == '/')) {
        const std::string Num = TrimCtl(Post.substr(1));
        char* End = nullptr;
        q = Num.empty() ? 0 : std::strtod(Num.c_str(), &End);
        if (Num.empty() || *End != 0 || !std::isfinite(q) || (Post[0] == '/' && q == 0)) {
          PlotWarn(Bad);
          return;
        }
        if (Post[0] == '/') q = 1 / q;
      }
      if (Pre == "-") q = -q;
      Form = fQX;
    } else if (!T.empty() && (T[0] == '*' || T[0] == '+' || T[0] == '-')) {
      int32_t c = 0;
      const double v = ValRealCode(TrimCtl(T.substr(1)), c);
      if (c != 0 || !std::isfinite(v)) return;
      Form = T[0] == '*' ? fMul : fAdd;
      q = T[0] == '-' ? -v : v;
      Sign = T[0] == '*' ? "" : std::string(1, T[0]);
    } else {
      PlotWarn("TPLOTTER.AddModifPic ERR команда <"_cp + Command +
               "> не распознана: ожидается +q, -q, *q, +X*q, -X/q или оператор из списка <"_cp +
               List + ">");
      return;
    }
  }
  const TSrc S = Take(P, *G);
  bool DoX = ToX, DoY = ToY;
  double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
  if (Op == "norm") {
    AReMinMax(S.AX, MinX, MaxX);
    AReMinMax(S.AY, MinY, MaxY);
    if (DoX && MaxX - MinX == 0) DoX = false;
    else if (DoX) P.Tools->ToolSet({{"edOperand", ShortSt(7, MaxX - MinX)}});
    if (DoY && MaxY - MinY == 0) DoY = false;
    else if (DoY) P.Tools->ToolSet({{"edOperand", ShortSt(7, MaxY - MinY)}});
    if (!DoX && !DoY) {
      PlotWarn("Плохой график, при нормировании будет деление на 0!"_cp);
      return;
    }
  }
  // One value of one axis: v its own old value, o the other axis' old value; false: undefined.
  auto F = [&](double v, double o, bool IsX, double& r) {
    switch (Form) {
      case fAdd: r = v + q; break;
      case fMul: r = q * v; break;
      case fQX: r = v + q * o; break;
      case fOp:
        if (Op == "lg") {
          if (v <= 0) return false;
          r = std::log10(v);
        } else if (Op == "exp") r = std::pow(10.0, v);
        else if (Op == "inv") {
          if (v == 0) return false;
          r = 1 / v;
        } else if (Op == "TETA") {
          if (v == 0) return false;
          r = 5039.9345841032444118 / v;
        } else if (Op == "B(T)") {
          if (v <= 0 || B <= 0) return false;
          r = Planck(B, v);
        } else if (Op == "K") r = B * o;
        else if (Op == "SQR") r = v * v;
        else if (Op == "POW") r = std::pow(v, B);
        else if (Op == "norm") r = IsX ? (v - MinX) / (MaxX - MinX) : (v - MinY) / (MaxY - MinY);
        break;
    }
    return std::isfinite(r);
  };
  TARe X(1, 0.0), Y(1, 0.0);
  for (int32_t i = 1; i <= S.N; ++i) {
    const double x = S.AX[Z(i)], y = S.AY[Z(i)];
    double nx = x, ny = y;
    if (DoX && !F(x, y, true, nx)) continue;
    if (DoY && !F(y, x, false, ny)) continue;
    X.push_back(nx);
    Y.push_back(ny);
  }
  // Names: n the old name, S4 four significant digits.
  auto Name = [&](const std::string& n) -> std::string {
    switch (Form) {
      case fAdd: return ShortSt(4, q) + Sign + n;
      case fMul: return ShortSt(4, q) + "*" + n;
      case fQX:
        return "(" + n + (q < 0 ? " - " : " + ") + S.OX +
               (std::fabs(q) == 1 ? std::string() : "*" + EFSt(4, q)) + ")";
      case fOp: break;
    }
    if (Op == "lg") return "lg(" + n + ")";
    if (Op == "exp") return "exp10(" + n + ")";
    if (Op == "inv") return "1/" + n;
    if (Op == "TETA") return "5040/" + n;
    if (Op == "B(T)") return "PLANK(" + IntStr(RoundHalfEven(B)) + "," + n + ")";
    if (Op == "K") return ShortSt(4, B) + "*" + n;
    if (Op == "SQR") return n + "^2";
    if (Op == "POW") return n + "^" + ShortSt(4, B);
    return "norm(" + n + ")";
  };
  const std::string Title = DoY ? Name(S.Name) : S.Name;
  const std::string OX = DoX && Form != fQX ? Name(S.OX) : S.OX;
  const std::string OY = DoY ? Name(S.OY) : S.OY;
  const int32_t Kept = NOf(X);
  if (Kept < 2) {
    PlotWarn("Для нового графика <"_cp + Title + ">" + "\n\r" + "не нашлось (N="_cp +
             IntStr(Kept) + ") точек с допустимым диапазоном значений!"_cp);
    return;
  }
  DropSource(P);
  P.NewGraph(X, Y, S.Tile, S.Frame, S.Format, Title, OX, OY, "", "");
}
