// The calculator's handlers.
#include "plotting/cvCalc.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvInterp.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStat.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTabCol.h"
#include "platform/Clipboard.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotShapes.h"

namespace {

size_t Z(int32_t i) { return static_cast<size_t>(i); }

// A number with N significant digits; "NaN", "+Inf", "-Inf" for one that is not finite.
std::string Num(int32_t N, double x) { return ValSt(N, x); }

int32_t LongestLine(const TStringList& L, int32_t From, int32_t To) {
  int32_t m = 0;
  for (int32_t j = std::max(From, 1); j <= std::min(To, L.Count()); ++j)
    m = std::max(m, static_cast<int32_t>(TrimRightCtl(L[j - 1]).size()));
  return m;
}

}  // namespace

const std::vector<std::string>& CalcRegressionFields() {
  static const std::vector<std::string> F = {
      "edN",     "edX",      "edY",      "edMin",     "edMax",     "edMid",     "edDisp",
      "edDisp2", "edSX",     "edSY",     "edQX",      "edQY",      "edRegr",    "edA",
      "edB",     "edmR",     "edmA",     "edmB",      "edAY",      "edBY",      "edRx2y",
      "edA2",    "edB2",     "edC2",     "edMid_x_2", "edMid_y_2", "edMid_x_y", "edDetA",
      "edLam1",  "edLam2",   "edVecx11", "edVecx12",  "edVecx21",  "edVecx22",  "edTestX",
      "edTestY", "edAutoCorrN"};
  return F;
}

bool AutoCorr(const TARe& A, int32_t N, TARe& R) {
  R.assign(Z(std::max(N, 0)), 0.0);
  const int32_t M = NOf(A);
  if (M < N || M < 1) return true;
  double m = 0;
  for (int32_t l = 1; l <= M; ++l) m += A[Z(l)];
  m /= M;
  double s = 0;
  for (int32_t l = 1; l <= M; ++l) s += (A[Z(l)] - m) * (A[Z(l)] - m);
  s /= M;
  if (!(s > 0)) return false;
  for (int32_t k = 0; k < N; ++k) {
    double c = 0;
    for (int32_t l = 1; l <= M - k; ++l) c += (A[Z(l)] - m) * (A[Z(l + k)] - m);
    R[Z(k)] = c / (s * (M - k));
  }
  return true;
}

TCalc::TCalc() {
  auto& H = Handlers_;
  H["btFixBaseYandLine"] = [this] { btFixBaseYandLineClick(); };
  H["btFixBaseXCol"] = [this] { btFixBaseXColClick(); };
  H["btFixBase_Y"] = [this] { btFixBase_YClick(); };
  H["btFixOperandLineAndCol"] = [this] { btFixOperandLineAndColClick(); };
  H["btCalcInterpolation"] = [this] { btCalcInterpolationClick(); };
  H["btHist"] = [this] { btHistClick(); };
  H["btRegress"] = [this] { btRegressClick(); };
  H["btStat2ClipBrd"] = [this] { btStat2ClipBrdClick(); };
  H["btAutoCorr"] = [this] { btAutoCorrClick(); };
  for (const char* B : {"btGr2", "btGr3", "btGrVec11", "btGrVec12", "btGrVec21", "btGrVec22", "btGr2Y"})
    H[B] = [this, B] { btGrClick(B); };
  H["btY_x2"] = [this] { btY_x2Click(); };
}

std::string TCalc::Get(const std::string& Name) const {
  const auto It = Ctl_.find(Name);
  if (It != Ctl_.end()) return It->second;
  return Name == "edAutoCorrN" ? "21" : std::string();
}

void TCalc::Put(const std::string& Name, const std::string& Value) {
  Ctl_[Name] = Value;
  if (OnSet) OnSet(Name, Value);
}

void TCalc::Changed(const std::string& Name) {
  const auto It = Handlers_.find(Name);
  if (It != Handlers_.end()) It->second();
}

double TCalc::Real(const std::string& Name) const { return ValReal(TrimCtl(Get(Name))); }

void TCalc::FormShow() {
  if (Ed) Put("edX", IntStr(Ed->PanelNX()));
}

// ---------------------------------------------------------------- interpolation

void TCalc::btFixBaseYandLineClick() {
  if (!Ed) return;
  BaseLine = Ed->CurLine();
  Put("edBaseLineNum", IntStr(BaseLine));
  Ed->TabBounds(BaseLine, BaseFirst, BaseLast);
}

void TCalc::btFixBaseXColClick() {
  if (!Ed) return;
  BaseColX = Ed->CurCol();
  Put("edBaseColXNum", IntStr(BaseColX));
}

void TCalc::btFixBase_YClick() {
  if (!Ed) return;
  BaseColY = Ed->CurCol();
  Put("edBaseColYNum", IntStr(BaseColY));
}

void TCalc::btFixOperandLineAndColClick() {
  if (!Ed) return;
  DstLine = Ed->CurLine();
  DstCol = Ed->CurCol();
  Put("edOperandLineNum", IntStr(DstLine));
  Put("edOperandColNum", IntStr(DstCol));
}

bool TCalc::Checks(bool Hist) {
  std::string Msg;
  if (BaseColY == BaseColX) Msg = "Базовые колонки X и Y совпадают!"_cp;
  else if (BaseColY == 0) Msg = "Базовая колонка Y не задана!"_cp;
  else if (BaseColX == 0) Msg = "Базовая колонка X не задана!"_cp;
  else if (BaseLine == 0) Msg = "Строка для базовой таблицы не задана!"_cp;
  else if (!Hist && DstCol == 0) Msg = "Колонка в таблице результата не задана!"_cp;
  else if (!Hist && DstLine == 0) Msg = "Строка для таблицы результата не задана!"_cp;
  else if (Hist && (DstCol == 0 || DstLine == 0))
    Msg = "эта гистограмма должна строится по повторяющимся значениям X\r\nкоторые должны быть отсортированы"_cp;
  if (!Msg.empty()) PlotWarn(Msg);
  return Msg.empty() && Ed;
}

void TCalc::Bounds() {
  Ed->SetCurLine(BaseLine);
  Ed->TabBounds(BaseLine, BaseFirst, BaseLast);
  Ed->SetCurLine(DstLine);
  Ed->TabBounds(DstLine, DstFirst, DstLast);
}

void TCalc::btCalcInterpolationClick() {
  if (!Checks(false)) return;
  Bounds();
  std::unique_ptr<TStringList> T = Ed->Text();
  TARe X, Y, V;
  std::string NX, NY, NV;
  SLExtractAXAY(T.get(), BaseFirst, BaseLast, BaseColX, BaseColY, X, Y, NX, NY);
  SLExtractAX(T.get(), DstFirst, DstLast, DstCol, V, NV);
  TStringList L;
  if (!NV.empty()) L.Add(NV);
  for (int32_t i = 1; i <= NOf(V); ++i) L.Add(ShortSt(8, IPOL1Warn(X, Y, V[Z(i)])));
  SLColInsertSL(T.get(), &L, DstFirst, DstLast, LongestLine(*T, DstFirst, DstLast) + 2);
  Ed->SetText(*T);
}

void TCalc::btHistClick() {
  if (!Checks(true)) return;
  Bounds();
  std::unique_ptr<TStringList> T = Ed->Text();
  TARe X, Y, E;
  std::string NX, NY, NE;
  SLExtractAXAY(T.get(), BaseFirst, BaseLast, BaseColX, BaseColY, X, Y, NX, NY);
  SLExtractAX(T.get(), DstFirst, DstLast, DstCol, E, NE);
  const int32_t m = NOf(E), n = std::min(NOf(X), NOf(Y));
  if (m < 1) return;
  TStringList LX, LY, LN;
  int32_t p = 1;
  for (int32_t j = 2; j <= m; ++j) {
    int32_t c = 0;
    double sx = 0, sy = 0;
    for (; p <= n && X[Z(p)] < E[Z(j)]; ++p, ++c) {
      sx += X[Z(p)];
      sy += Y[Z(p)];
    }
    double mx, my;
    if (c > 0) {
      mx = sx / c;
      my = sy / c;
    } else {
      mx = (E[Z(j - 1)] + E[Z(j)]) / 2;
      // The next point not yet collected; none left: 0.
      my = p <= n ? Y[Z(p)] : 0.0;
    }
    LX.Add(ShortSt(8, mx) + "  ");
    LY.Add(ShortSt(8, my) + "  ");
    LN.Add(IntStr(c) + "  ");
  }
  LX.Add("0");
  LY.Add("0");
  LN.Add("0");
  Ed->ShowMemo(false);
  for (const TStringList* L : {&LX, &LY, &LN})
    SLColInsertSL(T.get(), L, DstFirst, DstLast, LongestLine(*T, DstFirst, DstLast) + 2);
  Ed->SetText(*T);
  Ed->ShowMemo(true);
}

// ---------------------------------------------------------------- regression

void TCalc::btRegressClick() {
  if (!Ed) return;
  TCalcStat S;
  if (!Ed->ColStat(S)) return;
  ShowStat(7, S);
}

void TCalc::ShowStat(int32_t Digits, const TCalcStat& S) {
  const int32_t d = Digits;
  Put("edN", IntStr(S.N));
  Put("edY", IntStr(S.Col));
  Put("edMin", Num(d, S.Min));
  Put("edMax", Num(d, S.Max));
  Put("edMid", Num(d + 3, S.Mean));
  Put("edDisp", Num(d, S.MeanAbsDiff));
  Put("edDisp2", Num(d, S.MeanSqDiff));
  Put("edSX", Num(d, S.MeanX));
  Put("edSY", Num(d, S.MeanY));
  Put("edQX", Num(d, S.RmsX));
  Put("edQY", Num(d, S.RmsY));
  Put("edRegr", Num(d, S.Rxy));
  Put("edA", Num(d, S.A));
  Put("edB", Num(d, S.B));
  Put("edmR", Num(d, S.mR));
  Put("edmA", Num(d, S.mA));
  Put("edmB", Num(d, S.mB));
  Put("edAY", Num(d, S.AY));
  Put("edBY", Num(d, S.BY));
  Put("edRx2y", Num(d, S.Rx2y));
  Put("edA2", Num(d, S.A2));
  Put("edB2", Num(d, S.B2));
  Put("edC2", Num(d, S.C2));
  Put("edMid_x_2", Num(d, S.Sxx));
  Put("edMid_y_2", Num(d, S.Syy));
  Put("edMid_x_y", Num(d, S.Sxy));
  const double Det = S.Sxx * S.Syy - S.Sxy * S.Sxy;
  Put("edDetA", Num(d, Det));
  double D = 0, L1 = 0, L2 = 0;
  QuadRoots(1, -(S.Sxx + S.Syy), Det, D, L1, L2);
  Put("edLam1", Num(d, L1));
  Put("edLam2", Num(d, L2));
  Put("edVecx11", Num(d, S.Syy / (S.Sxy - L1)));
  Put("edVecx12", Num(d, S.Sxy / (S.Sxx - L1)));
  Put("edVecx21", Num(d, S.Syy / (S.Sxy - L2)));
  Put("edVecx22", Num(d, S.Sxy / (S.Sxx - L2)));
}

void TCalc::btStat2ClipBrdClick() {
  std::string T;
  for (const char* N : {"edN", "edMid", "edDisp", "edDisp2", "edRegr", "edA", "edB", "edRx2y",
                        "edA2", "edB2", "edC2", "edmR"}) {
    if (!T.empty()) T += "\r\n";
    T += FixExpE(Get(N));
  }
  platform::SetClipboardText(T);
}

void TCalc::btAutoCorrClick() {
  int32_t c = 0;
  const int32_t N = ValIntCode(TrimCtl(Get("edAutoCorrN")), c);
  if (c != 0 || N <= 2 || !Ed) return;
  std::unique_ptr<TStringList> T = Ed->Text();
  TARe A;
  std::string Name;
  SLExtractAX(T.get(), BaseFirst, BaseLast, BaseColY, A, Name);
  TARe R;
  if (!AutoCorr(A, N, R)) {
    PlotWarn("Auto Corr: значения колонки "_cp + IntStr(BaseColY) +
             " не меняются (разброс 0), коэффициенты автокорреляции не определены!"_cp);
    return;
  }
  TStringList L;
  const int W = static_cast<int>(IntStr(N).size()) + 1;
  for (int32_t i = 0; i < N; ++i) L.Add(I64PadSt(W, i) + "  " + ShortSt(7, R[Z(i)]));
  Ed->InsertAtCurLine(L);
}

void TCalc::btGrClick(const std::string& B) {
  if (!P || !PictVisible || !PictVisible()) return;
  if (B == "btGr2") AddLinePicY(*P, 2, Real("edA"), Real("edB"));
  else if (B == "btGr2Y") AddLinePicDef(*P, 2, Real("edAY"), Real("edBY"));
  else if (B == "btGr3") AddParabola(*P, 16, Real("edA2"), Real("edB2"), Real("edC2"));
  else AddLineThroughPoint(*P, 2, Real("edVecx" + B.substr(B.size() - 2)), Real("edSX"), Real("edSY"));
  P->ToolsRefresh();
  P->PlayOnce();
}

void TCalc::btY_x2Click() {
  const double x = Real("edTestX");
  Put("edTestY", ShortSt(8, Real("edA2") * x * x + Real("edB2") * x + Real("edC2")));
}

TCalcStat CalcStatOf(const TARe& X, const TARe& Y, int32_t Col) {
  TCalcStat S;
  S.Col = Col;
  S.N = NOf(Y);
  double MeanA = 0, MeanB = 0;
  AReStat(Y, S.Min, S.Max, S.MeanSqDiff, S.MeanAbsDiff, S.Mean);
  AReStat2(X, Y, MeanA, S.Sxy, S.Syy, S.Sxx, MeanB);
  AReRegCorr(X, Y, S.MeanX, S.MeanY, S.RmsX, S.RmsY, S.Rxy, S.A, S.B, S.AY, S.BY, S.A2, S.B2, S.C2,
             S.Rx2y, S.mA, S.mB, S.mR);
  return S;
}
