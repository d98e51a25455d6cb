// The plotter's interaction: point edits of the current graph, the nearest-graph search, device
// to world conversion, the current graph's world-window ranges, the tool refresh and the grids,
// and the two text reports.
#include <algorithm>
#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvFunc.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSL.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvPLOT.h"

namespace {

std::string B01(bool v) { return v ? "1" : "0"; }

bool ReadReal(const std::string& S, double& v) {
  int32_t Code = 0;
  const std::string T = TrimCtl(S);
  if (T.empty()) return false;
  v = ValRealCode(T, Code);
  return Code == 0 && std::isfinite(v);
}

double& At(TARe& A, int32_t i) { return A[static_cast<size_t>(i)]; }

}  // namespace

// ---------------------------------------------------------------- device of a graph

void TPLOTTER::SetGraphView(const TOneGraph& G) {
  const TArrPlot Unit;
  TArrPlot* A = LPlot ? ArrPlotByID(G.Chain) : nullptr;
  if (!A) A = ArrPlot();
  Gra->VIPO10Rect((A ? *A : Unit).TileRect(G.nXnY_Index));
  const TRangeRe X = G.XRange(*LWorldWin), Y = G.YRange(*LWorldWin);
  Gra->WINDOW(X.Lo, X.Hi, Y.Lo, Y.Hi);
}

// ---------------------------------------------------------------- point edits

void TPLOTTER::PointMove(char Key) {
  if (GraphCount() == 0 || (Key != 'L' && Key != 'R' && Key != 'U' && Key != 'D')) return;
  if (!ChkCurPic()) return;
  TOneGraph& G = *CurPict();
  // An active point that is not in use is not moved.
  if (!G.IAUsed) return;
  const int32_t IA = G.IA;
  if (IA < 1 || IA > G.N) {
    PlotWarn("PointMove ОШИБКА неправильный индекс активной точки IA="_cp + IntStr(IA) +
             " N=" + IntStr(G.N));
    return;
  }
  if (std::fabs(At(G.AX, IA) - WorldWinXY.X) > 1e-10) {
    PlotWarn("PointMove ОШИБКА - значение точки X не совпадает с запомненным!"_cp);
    return;
  }
  if (std::fabs(At(G.AY, IA) - WorldWinXY.Y) > 1e-10) {
    PlotWarn("PointMove ОШИБКА - значение точки Y не совпадает с запомненным!"_cp);
    return;
  }
  double s = 1;
  if (!ReadReal(Tools->MainGet("edMoveStepP"), s)) s = 1;
  if (!Gra || !LWorldWin) return;
  SetGraphView(G);
  const double x0 = At(G.AX, IA), y0 = At(G.AY, IA);
  int32_t px = RoundEven(Gra->WXToPixR(x0));
  double py = Gra->WYToPixR(y0);
  switch (Key) {
    case 'L': --px; break;
    case 'R': ++px; break;
    case 'U': py -= s; break;  // device rows grow downwards
    default: py += s; break;
  }
  if ((Key == 'L' || Key == 'R') && px != ViewXY.X) {
    WorldWinXY.X = Gra->PixRToWX(px);
    At(G.AX, IA) = WorldWinXY.X;
    ViewXY.X = px;
  }
  if (Key == 'U' || Key == 'D') {
    const double y = Gra->PixRToWY(py);
    const double d = y - y0;
    if (y != WorldWinXY.Y) {
      const std::string Kind = TrimCtl(Tools->MainGet("cbMoveKind"));
      const char M = Kind.empty() ? 0 : Kind[0];
      const int32_t IB = G.IB;
      const double xb = IB >= 1 && IB <= G.N ? At(G.AX, IB) : 0;
      bool Changed = true;
      switch (M) {
        case 'P':
          for (int32_t i = 1; i <= G.N; ++i) At(G.AY, i) += d;
          break;
        case 'H': At(G.AY, IA) = y; break;
        case 'L': AReAddRamp(G.AY, G.AX, d, x0, xb); break;
        case 'B': AReAddRampPos(G.AY, G.AX, d, x0, xb); break;
        case 'T': {
          double a = 0, b = 0;
          if (!ReadReal(Tools->MainGet("edStepX"), a)) a = 0;
          if (!ReadReal(Tools->MainGet("edHalfWidth"), b)) b = 0;
          AReAddGauss(G.AY, G.AX, d, x0, a * b);
          break;
        }
        default: Changed = false; break;
      }
      if (Changed) {
        WorldWinXY.Y = At(G.AY, IA);
        ViewXY.Y = RoundEven(py);
        G.ToPicTool(*Tools, Win(), *LWorldWin);
      }
    }
  }
  Tools->ToolSet({{"edMouseWX", ShortSt(8, WorldWinXY.X)}, {"edMouseWY", ShortSt(8, WorldWinXY.Y)}});
  if (Plotting().EditedGraph) Plotting().EditedGraph(G.Name, G.AY);
}

void TPLOTTER::PointSetWPos(double x, double y) {
  TOneGraph* G = CurPict();
  if (!G) {
    PlotWarn("PLOTTER.PointSetWPos ERROR CurPict is Absent!");
    return;
  }
  if (G->IA <= 0 || G->IA > G->N) {
    PlotWarn("PLOTTER.PointSetWPos ERROR ActivePoint Has No proper index IA=" + IntStr(G->IA));
    return;
  }
  if (Gra && LWorldWin) SetGraphView(*G);
  if (x != WorldWinXY.X) {
    WorldWinXY.X = x;
    At(G->AX, G->IA) = x;
    if (Gra) ViewXY.X = Gra->WXToPix(x);
    Tools->ToolSet({{"edMouseWX", ShortSt(8, x)}});
  }
  if (y != WorldWinXY.Y) {
    WorldWinXY.Y = y;
    At(G->AY, G->IA) = y;
    if (Gra) ViewXY.Y = Gra->WYToPix(y);
    Tools->ToolSet({{"edMouseWY", ShortSt(8, y)}});
  }
}

void TPLOTTER::AddPointAt(double x, double y) {
  TOneGraph* G = CurPict();
  if (!G || G->N < 1) return;
  const double dir = At(G->AX, 1) > At(G->AX, G->N) ? -1 : 1;
  int32_t i = 1;
  while (i <= G->N && (x - At(G->AX, i)) * dir > 0) ++i;
  if (i <= G->N && At(G->AX, i) == x) {
    PlotWarn("Нельзя добавить точку к графику, так как уже существует точка с тем же X="_cp +
             ShortSt(9, x));
    return;
  }
  G->InsertPoint(i, x, y);
  G->IA = i;
  G->IAUsed = true;
  WorldWinXY = TPointRe{x, y};
  if (Gra && LWorldWin) {
    SetGraphView(*G);
    ViewXY = TPoint{Gra->WXToPix(x), Gra->WYToPix(y)};
  }
  Tools->ToolsRefresh();
}

void TPLOTTER::FlattenCurPic() {
  if (GraphCount() == 0 || !ChkCurPic()) return;
  TOneGraph& G = *CurPict();
  if (!G.IAUsed || !G.IBUsed || G.IA == 0) return;
  if (G.IA < 1 || G.IA > G.N || G.IB < 1 || G.IB > G.N) return;
  AReLinBridge(G.AY, G.AX, G.IA, G.IB);
}

void TPLOTTER::SetFulcrum() {
  if (!ChkCurPic()) return;
  TOneGraph& G = *CurPict();
  if (!G.IAUsed || G.IA <= 0) return;
  G.IBUsed = true;
  G.IB = G.IA;
  G.IA = 0;
  Tools->MainSet({{"edOneG_IX", Tools->MainGet("edAneG_IX")},
                  {"edOneG_IY", Tools->MainGet("edAneG_IY")},
                  {"edOneG_I", Tools->MainGet("edAneG_I")},
                  {"edAneG_IX", "0"},
                  {"edAneG_IY", "0"}});
  ToolsRefresh();
}

void TPLOTTER::DeleteFulcrum() {
  if (!ChkCurPic()) return;
  TOneGraph& G = *CurPict();
  G.IBUsed = false;
  if (LWorldWin) G.ToPicTool(*Tools, Win(), *LWorldWin);
}

// ---------------------------------------------------------------- the mouse

TPLOTTER::THit TPLOTTER::HitTest(double px, double py, double Dist2) {
  THit H;
  H.Dist2 = Dist2;
  if (GraphCount() == 0 || !Gra || !LWorldWin) return H;
  int32_t Index1 = 0;
  double DistP1 = 0;
  for (int32_t n = 1; n <= GraphCount(); ++n) {
    const TOneGraph& G = *Graph(n);
    SetGraphView(G);
    int32_t Index = 0;
    double DP = 0, DC = 0;
    Gra->NearestOnCurve(&G.AX, &G.AY, px, py, Index, DP, DC);
    if (n == 1) {
      H.Pic1 = n, H.Dist1 = DC, Index1 = Index, DistP1 = DP;
    } else if (DC < H.Dist1) {
      H.Pic2 = H.Pic1, H.Dist2 = H.Dist1;
      H.Pic1 = n, H.Dist1 = DC, Index1 = Index, DistP1 = DP;
    } else if (DC < H.Dist2) {
      H.Pic2 = n, H.Dist2 = DC;
    }
  }
  H.Index = Index1;
  H.DistP = DistP1;
  if (H.Index >= 1) {
    const TOneGraph& G = *Graph(H.Pic1);
    H.X = G.AX[static_cast<size_t>(H.Index)];
    H.Y = G.AY[static_cast<size_t>(H.Index)];
  }
  auto Title = [&](int32_t n) {
    const TOneGraph* G = n > 0 ? Graph(n) : nullptr;
    return G ? G->Name : std::string();
  };
  Tools->MainSet({{"edTargetMX", ShortSt(8, px)},
                  {"edTargetMY", ShortSt(8, py)},
                  {"edTargetPic1N", IntStr(H.Pic1)},
                  {"edTargetPic2N", IntStr(H.Pic2)},
                  {"edTargetPoint", IntStr(H.Index)},
                  {"edTargetDist1", ShortSt(5, H.Dist1)},
                  {"edTargetDist2", ShortSt(5, H.Dist2)},
                  {"edTargetDistP", ShortSt(5, H.DistP)},
                  {"edTargetPX", ShortSt(5, H.X)},
                  {"edTargetPY", ShortSt(5, H.Y)},
                  {"edTargetPic1Name", Title(H.Pic1)},
                  {"edTargetPic2Name", Title(H.Pic2)}});
  return H;
}

TPointRe TPLOTTER::DevToWorld(double px, double py) {
  if (!LGraph || LGraph->empty()) k = 0;
  if (k <= 0) return TPointRe{0, 0};
  const TOneGraph* G = Graph(k);
  if (!G || !Gra || !LWorldWin) return TPointRe{0, 0};
  SetGraphView(*G);
  return TPointRe{Gra->PixRToWX(px), Gra->PixRToWY(py)};
}

// ---------------------------------------------------------------- world-window ranges

void TPLOTTER::SetCurWWRange(bool doX, bool doY, double xmin, double xmax, double ymin,
                             double ymax) {
  const TOneGraph* G = CurPict();
  if (!G || !LWorldWin) return;
  if (TWorldWin* W = LWorldWin->GetWin(G->WinX); W && doX) W->P1 = xmin, W->P2 = xmax;
  if (TWorldWin* W = LWorldWin->GetWin(G->WinY); W && doY) W->P1 = ymin, W->P2 = ymax;
  FillWWGrid();
}

void TPLOTTER::GetCurWWRange(double& xmin, double& xmax, double& ymin, double& ymax) {
  xmin = xmax = ymin = ymax = 0;
  const TOneGraph* G = CurPict();
  if (!G || !LWorldWin) return;
  const TRangeRe X = G->XRange(*LWorldWin), Y = G->YRange(*LWorldWin);
  xmin = X.Lo, xmax = X.Hi, ymin = Y.Lo, ymax = Y.Hi;
}

void TPLOTTER::GetCurWWRangeY(double& ymin, double& ymax) {
  double a, b;
  GetCurWWRange(a, b, ymin, ymax);
}

void TPLOTTER::CopyCompareScale(bool doX, bool doY) {
  if (!ChkCurPic() || k_Compare <= 0) return;
  const TOneGraph* G = CurPict();
  const TOneGraph* C = Graph(k_Compare);
  if (!G || !C || !LWorldWin) return;
  auto Copy = [&](int32_t Own, int32_t Other) {
    TWorldWin* W = LWorldWin->GetWin(Own);
    const TWorldWin* O = LWorldWin->GetWin(Other);
    if (!W || !O || Own == Other) return;
    const double c = (W->P1 + W->P2) / 2, h = (O->P2 - O->P1) / 2;
    W->P1 = c - h;
    W->P2 = c + h;
  };
  if (doX) Copy(G->WinX, C->WinX);
  if (doY) Copy(G->WinY, C->WinY);
  PlayOnce();
}

void TPLOTTER::JoinWorldWins(bool doX, bool doY) {
  if (!ChkCurPic()) return;
  if (k_Compare <= 0) {
    PlotWarn("График сравнения не задан"_cp);
    return;
  }
  const TOneGraph* C = Graph(k_Compare);
  TOneGraph* G = CurPict();
  if (!C || !G) return;
  auto Join = [&](bool IsX) {
    const int32_t Old = IsX ? G->WinX : G->WinY, New = IsX ? C->WinX : C->WinY;
    if (Old == New) return;
    for (int32_t i = 1; i <= GraphCount(); ++i) {
      TOneGraph& Gr = *Graph(i);
      int32_t& W = IsX ? Gr.WinX : Gr.WinY;
      if (W == Old) W = New;
    }
    FreeWWIfUnused(Old);
  };
  if (doX) Join(true);
  if (doY) Join(false);
  PlayOnce();
  Tools->ToolsRefresh();
}

void TPLOTTER::FitWWToCurPic(bool doX, bool doY) {
  if (k <= 0) return;
  TOneGraph* G = Graph(k);
  if (!G || !LWorldWin) return;
  const int32_t L = static_cast<int32_t>(G->AX.size()) - 1;
  if (L <= 1) {
    PlotWarn("У графика "_cp + G->Name + " число точек = "_cp + IntStr(L));
    return;
  }
  double x1, x2, y1, y2;
  AReRange(G->AX, x1, x2);
  AReRange(G->AY, y1, y2);
  if (TrimCtl(Tools->ToolGet("sbScalesRounding")) == "1" && Gra) {
    const TArrPlot Unit;
    const TArrPlot* A = LPlot ? ArrPlotByID(G->Chain) : nullptr;
    const TRectRe T = (A ? *A : Unit).TileRectPix(*Gra, G->nXnY_Index);
    const int32_t nx = std::abs(RoundEven(T.X2 - T.X1)) / 50;
    const int32_t ny = std::abs(RoundEven(T.Y2 - T.Y1)) / 50;
    if (doX && nx > 0) RoundBounds(x1, x2, nx, x1, x2);
    if (doY && ny > 0) RoundBounds(y1, y2, ny, y1, y2);
  }
  auto Widen = [](double& a, double& b) {
    if (a != b) return;
    const double d = a == 0 ? 0.01 : 0.01 * std::fabs(a);
    a -= d;
    b += d;
  };
  Widen(x1, x2);
  Widen(y1, y2);
  if (TWorldWin* W = LWorldWin->GetWin(G->WinX); W && doX) W->P1 = x1, W->P2 = x2;
  if (TWorldWin* W = LWorldWin->GetWin(G->WinY); W && doY) W->P1 = y1, W->P2 = y2;
  Tools->ToolsRefresh();
}

// ---------------------------------------------------------------- the tool refresh

void TPLOTTER::ToolsRefresh() {
  TUpdatingLock Lock(*Tools);
  const int32_t Count = GraphCount();
  Tools->ToolSet({{"lbNPic", IntStr(Count)}});
  Win().ToolSet({{"MGGraInc.Visible", B01(Count > 0)},
                 {"MGGraDec.Visible", B01(Count > 0)},
                 {"MGGraInc.Caption", "Next>" + IntStr(k) + "(" + IntStr(Count) + ")"},
                 {"MGGraDec.Caption", "Prev<" + IntStr(k) + "(" + IntStr(Count) + ")"}});
  {
    const TArrPlot* A = ArrPlot();
    Tools->ToolSet({{"edNT", IntStr(A ? A->nt : 0)},
                    {"lb_KT", "t" + IntStr(kT) + "/"},
                    {"edKPic", IntStr(k)},
                    {"edKPic0", IntStr(k_Compare)}});
  }
  TOneGraph* G = k > 0 ? Graph(k) : nullptr;
  if (k > 0 && !G) k = 0;
  if (k <= 0) {
    Tools->ToolSet({{"edKPoint", "0"}});
  } else {
    CurPictNo_ = k;
    G->ToPicTool(*Tools, Win(), *LWorldWin);
    G->ToGrid(*Tools, *LWorldWin, k);
    Tools->ToolSet({{"edKPoint", IntStr(G->IA)}});
    if (TArrPlot* A = ArrPlotByID(G->Chain)) SetArrPlot(A);
    if (kPicLineFormat != k) ShowCurInTool();
    CurPictHighLight = k == KPicHL;
    Tools->ToolSet({{"btHighLightCurPic", B01(CurPictHighLight)}});
    Win().ToolSet({{"MGGraLive.Checked", B01(CurPictHighLight)}});
  }
  {
    const bool Viz = TrimCtl(Tools->ToolGet("cbGraVisible")) == "1";
    TCtlValues M = {{"MGGraViz.Checked", B01(Viz)},
                    {"MGOxX.Visible", B01(Viz)},
                    {"MGOxY.Visible", B01(Viz)},
                    {"MGGraLive.Checked", Tools->ToolGet("btHighLightCurPic")}};
    if (Viz) {
      M.push_back({"MGOxX.Checked", Tools->ToolGet("btOXXShow")});
      M.push_back({"MGOxY.Checked", Tools->ToolGet("btOXYShow")});
    }
    Win().ToolSet(M);
  }
  if (kLayOut == 0) kLayOut = 1;
  const int32_t NAreas = LPlot ? static_cast<int32_t>(LPlot->size()) : 0;
  Tools->ToolSet({{"edKLayOut", IntStr(kLayOut)}, {"lbNLayOut", IntStr(NAreas)}});
  if (kLayOut >= 1 && kLayOut <= NAreas) SetArrPlot((*LPlot)[static_cast<size_t>(kLayOut - 1)].get());
  if (const TArrPlot* A = ArrPlot()) {
    Tools->ToolSet({{"edArrPlot", A->sChain},
                    {"edNX", IntStr(A->nx)},
                    {"edNY", IntStr(A->ny)},
                    {"label776", IntStr(A->nx * A->ny)}});
    if (G) {
      auto Round = [&](int32_t Win, const char* E1, const char* E2) {
        TWorldWin* W = LWorldWin->GetWin(Win);
        if (!W) return;
        // Rounded to E significant digits; the edits show the kept values in full (the
        // E-digit text form turns 9.8 into "10" for E = 2).
        const int32_t E = DigitsForDiff(W->P1, W->P2) + 2;
        W->P1 = RoundSig(W->P1, E);
        W->P2 = RoundSig(W->P2, E);
        Tools->ToolSet({{E1, ShortSt(15, W->P1)}, {E2, ShortSt(15, W->P2)}});
      };
      Round(G->WinX, "edWX1", "edWX2");
      Round(G->WinY, "edWY1", "edWY2");
      kPicWorldWindow = k;
      Tools->ToolSet({{"lbNPoint", IntStr(G->N)}});
      if (Gra) {
        const TArrPlot Unit;
        const TArrPlot* GA = LPlot ? ArrPlotByID(G->Chain) : nullptr;
        const TRectRe T = (GA ? *GA : Unit).TileRect(G->nXnY_Index);
        const double PX = Gra->PagePixX - 1, PY = Gra->PagePixY - 1;
        Tools->ToolSet({{"edVX1", IntStr(RoundEven(PX * T.X1))},
                        {"edVX2", IntStr(RoundEven(PX * T.X2))},
                        {"edVY1", IntStr(RoundEven(PY * T.Y1))},
                        {"edVY2", IntStr(RoundEven(PY * T.Y2))}});
      }
      if (Win().PictVisible() && Plotting().SetSetting) {
        int32_t W = 0, H = 0;
        Win().PictOuterSize(W, H);
        Plotting().SetSetting("FPictW", IntStr(W));
        Plotting().SetSetting("FPictH", IntStr(H));
      }
    } else {
      Tools->ToolSet({{"edKWX", "0"}, {"edKWY", "0"}});
    }
  }
  if (G) {
    Tools->ToolSet({{"edKWX", IntStr(G->WinX)}, {"edKWY", IntStr(G->WinY)}});
    ShowWWInTool();
  }
  FillGraphGrid();
  FillWWGrid();
}

void TPLOTTER::ShowCurInTool() {
  TOneGraph* G = CurPict();
  if (!G) return;
  TUpdatingLock Lock(*Tools);
  G->StyleToTool(*Tools);
  ShowWWInTool();
  kPicLineFormat = k;
}

void TPLOTTER::ShowWWInTool() {
  TOneGraph* G = k > 0 ? Graph(k) : nullptr;
  if (!G || !LWorldWin) return;
  TUpdatingLock Lock(*Tools);
  auto Side = [](int32_t Code, double Pos) -> std::string {
    if (Code == 0) return "0";
    if ((Code < 0 && Pos <= 0.5) || (Code > 0 && Pos > 0.5)) return "ф"_cp;
    return "х"_cp;
  };
  auto Show = [&](bool IsX) {
    const int32_t w = IsX ? G->WinX : G->WinY;
    const std::string A = IsX ? "X" : "Y";
    Tools->ToolSet({{"edKW" + A, IntStr(w)}});
    const TWorldWin* W = LWorldWin->GetWin(w);
    if (w <= 0 || !W) return;
    const int32_t kSaved = k;
    k = 0;  // the button's own handler does nothing meanwhile
    struct TBack {
      int32_t& K;
      int32_t V;
      ~TBack() { K = V; }
    } Back{k, kSaved};
    if (W->kOX > 0) Tools->ToolSet({{"btOX" + A + "Show", "1"}});
    const std::string Names[] = {"cbOX" + A + "DigitPos", "edOX" + A + "Pos",
                                 "edOX" + A + "MSize", "edNMrk" + A};
    if (W->kOX <= 0) {
      TCtlValues H;
      for (const std::string& N : Names) H.push_back({N + ".Visible", "0"});
      if (!IsX) H.push_back({"btOXYShow", "0"});
      Tools->ToolSet(H);
      return;
    }
    std::string Pos = ShortSt(3, W->PosOX);
    if (W->Pos2 != 2 && W->Pos2 != W->PosOX) Pos += " " + ShortSt(3, W->Pos2);
    Tools->ToolSet({{Names[0] + ".Visible", "1"},
                    {Names[1] + ".Visible", "1"},
                    {Names[2] + ".Visible", "1"},
                    {Names[3] + ".Visible", "1"},
                    {Names[0], Side(W->PDOX, W->PosOX) + Side(W->PDOX2, W->Pos2)},
                    {Names[1], Pos},
                    {Names[2], ShortSt(2, W->MrkSz)},
                    {Names[3], IntStr(W->NMrk)}});
  };
  Show(true);
  Show(false);
}

void TPLOTTER::FillGraphGrid() {
  Tools->GridClear("gx_PicList");
  if (!LWorldWin) return;
  for (int32_t i = 1; i <= GraphCount(); ++i) Graph(i)->ToGrid(*Tools, *LWorldWin, i);
}

void TPLOTTER::FillWWGrid() {
  Tools->GridClear("gx_WindList");
  if (!LWorldWin) return;
  CountWWUse();
  for (int32_t i = 0; i < LWorldWin->Count(); ++i) LWorldWin->GetWin(i)->ToGrid(*Tools, i);
}

// ---------------------------------------------------------------- reports

std::unique_ptr<TStringList> TPLOTTER::CurPicText() {
  if (const TOneGraph* G = CurPict()) return G->DataText();
  auto L = std::make_unique<TStringList>();
  L->Add("Текущий график неопределен!"_cp);
  return L;
}

std::unique_ptr<TStringList> TPLOTTER::PlotterReport() {
  auto R = std::make_unique<TStringList>();
  auto Merge = [&](const TStringList& B) { R = SLMerge(R.get(), &B); };
  std::string L1 = "PLOTTER GraId=" + IntStr(GraId) + " kT=" + IntStr(kT) + " kXY=" + IntStr(kXY) +
                   " k=" + IntStr(k) + " k_Compare=" + IntStr(k_Compare) +
                   " bkColor=" + PlotColorName(bkColor);
  L1 += LGraph ? " NCurv=" + IntStr(GraphCount()) : " NCurv=0; список LGraph not Assigned!"_cp;
  TStringList Head;
  Head.Add(L1);
  Head.Add("kPic(LineFormat)=" + IntStr(kPicLineFormat) +
           " kPic(WorldWindow)=" + IntStr(kPicWorldWindow));
  const TOneGraph* G = k >= 1 ? Graph(k) : nullptr;
  Head.Add("CurPict k=" + IntStr(k) +
           (G ? " " + G->Name + "(" + G->OXName + "," + G->OYName + ") N=" + IntStr(G->N)
              : " ни один график OneG не Assigned!"_cp));
  const bool Chk = ChkCurPic();
  const TOneGraph* C = Chk ? CurPict() : nullptr;
  Head.Add(" Active Point " +
           (C ? " k=" + IntStr(C->IA) + " Q=" + (C->IAUsed ? "true" : "false")
              : std::string(" (CurPict not Assigned)")) +
           " ТП ViewXY=("_cp + IntStr(ViewXY.X) + "," + IntStr(ViewXY.Y) + ") WorldWinXY=(" +
           ShortSt(9, WorldWinXY.X) + "," + ShortSt(9, WorldWinXY.Y) + ")");
  Head.Add("CurPictHighLight=" + std::string(CurPictHighLight ? "true" : "false") +
           " KPicHL=" + IntStr(KPicHL) +
           " ComparePictHighLight=" + (ComparePictHighLight ? "true" : "false") +
           " AutoDelOnPicModify=" + (AutoDelOnPicModify ? "true" : "false"));
  Merge(Head);
  if (LGraph) {
    TStringList S;
    S.Add("---------- Graph List -------------");
    Merge(S);
    Merge(*LGraphReport(*LGraph));
  }
  {
    TStringList S;
    S.Add(LWorldWin ? "--------- WorldWin List ------------" : "-- WorldWin List not Assigned ---");
    Merge(S);
    if (LWorldWin) Merge(*LWorldWin->Report());
  }
  {
    TStringList S;
    const TArrPlot* A = ArrPlot();
    S.Add(A ? "--------- ArrPlot Report ------------" : "-- ArrPlot Report not Assigned ---");
    Merge(S);
    if (A) Merge(*A->Report(Gra));
  }
  if (LPlot) {
    TStringList S;
    S.Add("---------- ArrPlot List ------------");
    Merge(S);
    Merge(*LPlotReport(*LPlot));
  }
  if (G) {
    TStringList S;
    S.Add("--------- OneG Report ------------");
    Merge(S);
    Merge(*G->Report());
  }
  return R;
}
