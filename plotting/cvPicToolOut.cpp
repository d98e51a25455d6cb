// The picture tool's points, curve operations, reference lines, statistics, reports and film.
#include <cmath>
#include <memory>
#include <vector>

#include "foundation/cvJob.h"
#include "foundation/cvLink.h"
#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/Clipboard.h"
#include "plotting/cvCalc.h"
#include "plotting/cvCurveOps.h"
#include "plotting/cvFilm.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"
#include "plotting/cvPictState.h"
#include "plotting/cvPlotShapes.h"

namespace {

bool Number(const std::string& S, double& v) {
  const std::string T = TrimCtl(S);
  int32_t c = 0;
  v = T.empty() ? 0 : ValRealCode(T, c);
  return !T.empty() && c == 0 && std::isfinite(v);
}

// A number whose parse error is not checked: what could be read, else 0.
double Loose(const std::string& S) {
  double v = 0;
  return Number(S, v) ? v : 0.0;
}

int32_t LooseInt(const std::string& S) {
  int32_t c = 0;
  const int32_t v = ValIntCode(TrimCtl(S), c);
  return c == 0 ? v : static_cast<int32_t>(std::trunc(Loose(S)));
}

}  // namespace

void TPicTool::InstallOutputs() {
  auto& H = Handlers_;
  H["btPrevPoint"] = [this] { btPrevPointClick(); };
  H["btNextPoint"] = [this] { btNextPointClick(); };
  H["btDelPoint"] = [this] { btDelPointClick(); };
  H["btSetPoint"] = [this] { btSetPointClick(); };
  H["btAddPoint"] = [this] { btAddPointClick(); };
  H["cbAutoDel"] = [this] { cbAutoDelClick(); };
  H["btOper"] = [this] { btOperClick(); };
  H["btPicSubtract"] = [this] { if (P) { SubCompare(*P), Refresh(), P->PlayOnce(); } };
  H["btPicAdd"] = [this] { if (P) { MeanWithCompare(*P), Refresh(), P->PlayOnce(); } };
  H["btPicDivide"] = [this] { if (P) { DivByCompare(*P), Refresh(), P->PlayOnce(); } };
  H["btIPOLLine"] = [this] { btIPOLClick('2'); };
  H["btIPOLSpline"] = [this] { btIPOLClick('S'); };
  H["btInvertIndex"] = [this] { btInvertIndexClick(); };
  H["btDoSmooth"] = [this] { btDoSmoothClick(); };
  H["btHistGra"] = [this] { btHistGraClick(); };
  H["cbSmooth"] = [this] { cbSmoothChange(); };
  H["btLineX"] = [this] { btLineXClick(); };
  H["btLineY"] = [this] { btLineYClick(); };
  H["btNewGraf"] = [this] { btNewGrafClick(); };
  H["btGraHist"] = [this] { btGraHistClick(); };
  H["btPicStat"] = [this] { btPicStatClick(); };
  H["btPrint"] = [this] { btPrintClick(); };
  H["btOXReport"] = [this] { btOXReportClick(); };
  H["btPLOTTERReport"] = [this] { btPLOTTERReportClick(); };
  H["btOpenGraphTunes"] = [this] { btOpenGraphTunesClick(); };
  H["btGIF"] = [this] { btGIFClick(); };
}

// ---------------------------------------------------------------- points

void TPicTool::ResetActivePoint(int32_t I) {
  TOneGraph* G = CurGraph();
  if (!G) return;
  if (I < 1 || I > G->N) {
    Warn("все проверки уже сделаны, НО ResetActivePoint I="_cp + IntStr(I) + " вне 1.."_cp +
         IntStr(G->N));
    return;
  }
  G->IA = I;
  const double x = G->AX[static_cast<size_t>(I)], y = G->AY[static_cast<size_t>(I)];
  P->WorldWinXY = TPointRe{x, y};
  if (P->Gra && P->LWorldWin) {
    P->SetGraphView(*G);
    const TPointRe D = P->Gra->WToPixR(x, y);
    P->ViewXY = TPoint{RoundEven(D.X), RoundEven(D.Y)};
  }
  Put("edMouseWX", ShortSt(8, x));
  Put("edMouseWY", ShortSt(8, y));
  P->PlayOnce();
}

void TPicTool::btPrevPointClick() {
  if (!ValidCur()) return;
  const TOneGraph& G = *CurGraph();
  if (!G.IAUsed) return;
  ResetActivePoint(G.IA < 2 ? G.N : G.IA - 1);
}

void TPicTool::btNextPointClick() {
  if (!ValidCur()) return;
  const TOneGraph& G = *CurGraph();
  if (!G.IAUsed) return;
  ResetActivePoint(G.IA + 1 > G.N ? 1 : G.IA + 1);
}

void TPicTool::btDelPointClick() {
  if (!ValidCur()) return;
  TOneGraph& G = *CurGraph();
  const int32_t A = G.IA;
  if (A <= 0 || !G.IAUsed || G.N <= 1) return;
  G.DeletePoint(A);
  ResetActivePoint(A > G.N ? A - 1 : A);
}

void TPicTool::btSetPointClick() {
  double x = 0, y = 0;
  for (const char* E : {"edMouseWX", "edMouseWY"}) {
    double& v = E[8] == 'X' ? x : y;
    if (!Number(Get(E), v)) {
      Warn(E[8] == 'X' ? "В поле WX не число!"_cp : "В поле WY не число!"_cp);
      Put(std::string(E) + ".Focus", "1");
      return;
    }
  }
  if (!P) return;
  P->PointSetWPos(x, y);
  P->PlayOnce();
}

void TPicTool::btAddPointClick() {
  if (!ValidCur()) return;
  const TOneGraph& G = *CurGraph();
  if (G.IA == 0 || !G.IAUsed) return;
  double x = 0, y = 0;
  for (const char* E : {"edMouseWX", "edMouseWY"}) {
    double& v = E[8] == 'X' ? x : y;
    if (!Number(Get(E), v)) {
      Warn(E[8] == 'X' ? "В поле WX не число!"_cp : "В поле WY не число!"_cp);
      Put(std::string(E) + ".Focus", "1");
      return;
    }
  }
  P->AddPointAt(x, y);
  Refresh();
  P->PlayOnce();
}

// ---------------------------------------------------------------- curve operations

void TPicTool::cbAutoDelClick() {
  if (P) P->AutoDelOnPicModify = On("cbAutoDel");
}

void TPicTool::btOperClick() {
  if (!P) return;
  AddModifPic(*P, Get("cbOperator"), On("cbZoomX"), On("cbZoomY"), Loose(Get("edOperand")));
  Refresh();
  P->PlayOnce();
}

void TPicTool::btIPOLClick(char Method) {
  double s = 0;
  if (!Number(Get("edOperand"), s)) {
    Warn("&&&&&&&&");
    return;
  }
  if (!P) return;
  ResampleCurPic(*P, Method, s);
  Refresh();
  P->PlayOnce();
}

void TPicTool::btInvertIndexClick() {
  if (!P) return;
  MirrorCurPic(*P);
  Refresh();
  P->PlayOnce();
}

TARe TPicTool::GridX() {
  const std::string Memo = MainGet("memoGridX");
  TARe A;
  if (Memo.empty()) {
    Warn("Заполните на странице Graf поле Memo, \r\nкоторое должно содержать список границ вектора вдоль X"_cp);
    return A;
  }
  const size_t e = Memo.find_first_of("\r\n");
  StrToARe(Memo.substr(0, e), A);
  return A;
}

void TPicTool::btDoSmoothClick() {
  if (!P) return;
  const double v = Loose(Get("edNInterval"));
  const std::string It = Get("cbSmooth");
  if (It == "diff") DiffCurPic(*P);
  else if (It == "intg") IntegralCurPic(*P);
  else if (It == "2") AddApproxCurPic(*P, "MEAN2", 2);
  else if (It == "3") AddApproxCurPic(*P, "MEAN3", 3);
  else if (It == "N") {
    if (v == 0) return;
    AddApproxCurPic(*P, "MEANSmooth", v);
  } else if (It == "gauss") AddApproxCurPic(*P, "GAUSS", v);
  else if (It == "eq_N") AddApproxCurPic(*P, "X_comb", v);
  else if (It == "eq_P") AddApproxCurPic(*P, "MEANeqP", 0);
  else if (It == "eq_x/N") AddApproxCurPic(*P, "MEAN_x_N", v);
  else if (It == "eq_W") AddApproxCurPic(*P, "MEANeqW", v);
  else if (It == "Xgrid") MeanYBinned(*P, GridX());
  else AddApproxCurPic(*P, "", v);
  Refresh();
  P->PlayOnce();
}

void TPicTool::btHistGraClick() {
  const double v = ValReal(TrimCtl(Get("edNInterval")));
  if (v == 0 || !P) return;
  AddApproxCurPic(*P, "MEANSmooth", v);
  Refresh();
  P->PlayOnce();
}

void TPicTool::cbSmoothChange() {
  const std::string It = Get("cbSmooth");
  Put("btOpenGraphTunes.Left", "282");
  Put("btOpenGraphTunes.Top", "299");
  if (It == "diff" || It == "intg" || It == "2" || It == "3" || It == "eq_P") {
    Put("edNInterval.Visible", "0");
    return;
  }
  if (It == "Xgrid") {
    Put("edNInterval.Visible", "0");
    Put("btOpenGraphTunes.Left", "3");
    Put("btOpenGraphTunes.Top", "171");
    return;
  }
  Put("edNInterval.Visible", "1");
  std::string Hint = "Параметр сглаживания"_cp;
  if (It == "N") Hint = "Число исходных точек на одну усредненную"_cp;
  else if (It == "gauss") Hint = "Ширина гауссианы в единицах измерения X"_cp;
  else if (It == "eq_x/N") Hint = "Число равных по X отрезков"_cp;
  else if (It == "eq_W") Hint = "Ширина интервала усреднения"_cp;
  Put("edNInterval.Hint", Hint);
}

// ---------------------------------------------------------------- reference lines

void TPicTool::btLineYClick() {
  if (!P) return;
  double x = 0;
  if (On("btClipBrdSrc")) {
    const std::string T = TrimCtl(platform::ClipboardText());
    if (!Number(T, x)) {
      Warn("В ClipBoard НЕ ЧИСЛО: <"_cp + T + ">");
      return;
    }
  } else if (!Number(Get("edMouseWX"), x)) {
    return;
  }
  AddVLineN(*P, LooseInt(Get("edOperand")), x, Loose(Get("edWY1")), Loose(Get("edWY2")));
  Refresh();
  P->PlayOnce();
}

void TPicTool::btLineXClick() {
  if (!P) return;
  const double X1 = Loose(Get("edWX1")), X2 = Loose(Get("edWX2"));
  const int32_t n = LooseInt(Get("edOperand"));
  if (On("btClipBrdSrc")) {
    std::string T = platform::ClipboardText();
    for (char& c : T)
      if (c == '\t') c = ' ';
    size_t a = 0;
    while (a <= T.size()) {
      size_t e = T.find('\n', a);
      if (e == std::string::npos) e = T.size();
      const std::string L = TrimCtl(T.substr(a, e - a));
      a = e + 1;
      if (L.empty() && a > T.size()) break;
      double y = 0;
      if (Number(L, y)) AddLevelLineDef(*P, n, X1, X2, y);
      else Warn("В ClipBoard НЕ ЧИСЛО: <"_cp + L + ">");
    }
  } else {
    double y = 0;
    if (!Number(Get("edMouseWY"), y)) return;
    AddLevelLineDef(*P, n, X1, X2, y);
  }
  Refresh();
  P->PlayOnce();
}

// ---------------------------------------------------------------- new graph, histogram, statistics

void TPicTool::btNewGrafClick() {
  if (Plotting().PlayGraphic) Plotting().PlayGraphic();
  else cvlink::NotAvailable("TCorvesta.PlayGraphic");
}

void TPicTool::btGraHistClick() {
  if (!ValidCur()) return;
  const TOneGraph& G = *CurGraph();
  if (Plotting().PlotHistogram) Plotting().PlotHistogram(G.AX, "hist(" + G.OYName + ")");
  else cvlink::NotAvailable("TCorvesta.PlotHistogram");
}

void TPicTool::btPicStatClick() {
  if (!ValidCur()) return;
  const TOneGraph& G = *CurGraph();
  TARe X(G.AX.begin(), G.AX.begin() + G.N + 1), Y(G.AY.begin(), G.AY.begin() + G.N + 1);
  const TCalcStat S = CalcStatOf(X, Y, -1);
  if (Plotting().ShowCalcStat) Plotting().ShowCalcStat(S);
  else cvlink::NotAvailable("FCalc.ShowStat");
}

// ---------------------------------------------------------------- reports

void TPicTool::btPrintClick() {
  if (!P || !Plotting().EditText) return;
  Plotting().EditText("PLOTTER.ReportCurPic", *P->CurPicText());
}

void TPicTool::btOXReportClick() {
  if (!P || !Plotting().EditText) return;
  auto L = P->LWorldWin ? P->LWorldWin->Report() : std::make_unique<TStringList>();
  Plotting().EditText("PLOTTER.OX_Report", *L);
}

void TPicTool::btPLOTTERReportClick() {
  if (!P) return;
  TStringList L;
  const bool Vis = Pict && Pict->W.Visible();
  if (!Vis) L.Add("Форма для вывода графиков СКРЫТА!"_cp);
  auto OnOff = [](bool b) { return std::string(b ? "On" : "Off"); };
  L.Add("PLOTTER=" + OnOff(Pict && Pict->PlotterOn) + " CORA=" + OnOff(Pict && Pict->CORA) +
        " ZEE=" + OnOff(Pict && Pict->ZEE) + " Mod=" + OnOff(Pict && Pict->Mod));
  if (!P->Gra) {
    L.Add("Система PLOTTER не инициирована (PLOTTER.Gra=NIL)!"_cp);
    std::string T;
    for (int i = 0; i < L.Count(); ++i) T += (i ? "\r\n" : "") + L[i];
    Warn(T);
    return;
  }
  const TGRAF& G = *P->Gra;
  L.Add("PLOTTER.Gra: OnRun=" + IntHex8(static_cast<uint32_t>(G.OnRun)) +
        " IdRun=" + IntStr(G.IdRun) + " PLOTTER.GraId=" + IntStr(P->GraId));
  L.Add(G.OwnerName.empty() ? std::string("PLOTTER.Gra.Owner Not Assigned!")
                            : "PLOTTER.Gra.Owner.ClassName =" + G.OwnerName);
  L.Add("Graf.Device=<" + (GRAF ? GRAF->DeviceName : G.DeviceName) + ">");
  auto AddNew = [&L](const TStringList& R) {
    for (int i = 0; i < R.Count(); ++i)
      if (L.IndexOf(R[i]) < 0) L.Add(R[i]);
  };
  L.Add("");
  L.Add("============= Gra REPORT ============");
  AddNew(*G.Report());
  L.Add("");
  L.Add("============= PLOTTER REPORT ============");
  AddNew(*P->PlotterReport());
  if (Plotting().EditText) Plotting().EditText("Gra&PLOTTER REPORT", L);
}

void TPicTool::btOpenGraphTunesClick() {
  if (Plotting().ShowPage) Plotting().ShowPage("TabGraf");
  else cvlink::NotAvailable("ShowPageByName(TabGraf)");
}

// ---------------------------------------------------------------- the film

bool TPicTool::btGIFClick() {
  if (!P) return false;
  if (!P->Gra || !P->Gra->Shade || !P->Gra->ShadeBMP) {
    Warn("btGIF-Make: Graf Not in QShade!");
    return false;
  }
  if (!P->LGraph) {
    Warn("btGIF-Make: LGraph Not Assigned!");
    return false;
  }
  const bool Both = MainGet("cb_gif_2side") == "1";
  uint16_t Delay = 0;
  if (!FilmDelay(MainGet("ed_tGIF"), Delay)) return false;
  const TOneGraph* G = CurGraph();
  const std::string Title = G ? G->Name : std::string("film");
  std::string File, Err;
  if (Plotting().FilmFile) File = Plotting().FilmFile(Title, Err);
  else Err = cvlink::NotAvailableText("cvDirListFile(CORA, GIF)");
  if (File.empty()) {
    Warn("btGIF-Make: файл фильма не задан: "_cp + Err);
    return false;
  }
  auto Frames = std::make_shared<std::vector<TDib>>();
  FilmFrames(*P, Both, *Frames);
  if (Frames->empty()) {
    Warn("btGIF-Make: ни один кадр не нарисован, фильм не записан"_cp);
    return false;
  }
  auto Work = [Frames, Delay, File](TJob& J) {
    if (!FilmWrite(*Frames, Delay, File, J)) J.Warn("GIF: фильм не записан (отменено)"_cp);
  };
  if (Plotting().RunJob) {
    Plotting().RunJob("GIF " + File, Work, {});
  } else {
    TJob J("GIF " + File);
    RunJob(J, Work);
  }
  return true;
}
