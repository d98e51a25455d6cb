// Graphs: copies of the arrays, the line-format string, order and sorting, reports and the rows
// shown in the tool windows.
#include "plotting/cvGraph.h"

#include <cmath>

#include "foundation/cvArr.h"
#include "foundation/cvColor.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"

namespace {

const char kMarkChars[] = ".o+*|x#sd^3vV><ph/\\";
const char kDashChars[] = "_-=:;~";
const char kColorChars[] = "rgbcmywkanRGBCMYWKAN";

bool In(const char* Set, char C) {
  if (C == 0) return false;
  for (const char* p = Set; *p; ++p)
    if (*p == C) return true;
  return false;
}

std::string ChText(char C) { return C == 0 ? std::string("#0") : std::string(1, C); }

// The text between the n-th "[" (from 1) and the next "]" (or the end); empty when none.
bool BracketText(const std::string& B, int n, std::string& T) {
  size_t p = 0;
  for (int i = 0; i < n; ++i) {
    p = B.find('[', p);
    if (p == std::string::npos) return false;
    ++p;
  }
  const size_t e = B.find(']', p);
  T = B.substr(p, e == std::string::npos ? std::string::npos : e - p);
  return true;
}

std::string Sig9(double x) { return ShortSt(9, x); }

}  // namespace

// ---------------------------------------------------------------- colours

uint32_t ChColor(char Ch) {
  switch (Ch) {
    case 'K': case 'k': return 0x000000;
    case 'R': case 'r': return 0x0000FF;
    case 'G': case 'g': return 0x00FF00;
    case 'B': case 'b': return 0xFF0000;
    case 'C': case 'c': return 0xFFFF00;
    case 'M': case 'm': return 0xFF00FF;
    case 'Y': case 'y': return 0x00FFFF;
    case 'W': case 'w': return 0xFFFFFF;
    default:
      PlotWarn("ChColor WARNING: Ch=<" + ChText(Ch) + ">");
      return 0;
  }
}

std::string FirstColorLetter(const std::string& Format) {
  for (char C : Format) {
    const char U = (C >= 'a' && C <= 'z') ? static_cast<char>(C - 32) : C;
    if (In("KRGBCMYW", U)) return std::string(1, U);
  }
  return "K";
}

uint32_t PlotRGBtoColor(const std::string& Text) {
  uint32_t C = clNone;
  if (!ParseRGBColor(Text, C)) PlotWarn("Err: StrRGBtoColor(" + Text + ")!!!");
  return C;
}

std::string PlotColorName(uint32_t Color) { return ColorName(Color); }

TLineStyles& PlotLineStyles() {
  static TLineStyles S;
  if (!S.List) S.List = std::make_unique<TStringList>();
  return S;
}

// ---------------------------------------------------------------- the graph

TOneGraph::TOneGraph() {
  Dash.SetSolid();
  Name = "График"_cp;
  OXName = "X";
  OYName = "Y";
}

void TOneGraph::Clear() {
  AX.clear();
  AY.clear();
  AW.clear();
  WinX = WinY = 0;
  nXnY_Index = TimeIndex = 0;
  MarkCh = 0;
  MarkSize = 0;
  Color1 = Color2 = 0;
  IA = IB = 0;
  IAUsed = IBUsed = false;
  Dash.Clear();
  Name.clear();
  OXName.clear();
  OYName.clear();
}

void TOneGraph::LinkXY(const TARe& aX, const TARe& aY, int32_t n, const TARe* aW) {
  if (n == 0) ErrAbs("OneGraph.LinkXY N = 0 !!!");
  const int32_t LX = static_cast<int32_t>(aX.size()), LY = static_cast<int32_t>(aY.size());
  if (n >= LX) ErrAbs("OneGraph.LinkXY N=" + IntStr(n) + " >= len(AX)=" + IntStr(LX));
  if (n >= LY) ErrAbs("OneGraph.LinkXY N=" + IntStr(n) + " >= len(AY)=" + IntStr(LY));
  N = n;
  AX = aX;
  AY = aY;
  AW = aW ? *aW : TARe();
  QZ = AX.size() == AW.size();
}

void TOneGraph::Curv(const TARe& aX, const TARe& aY, const std::string& Format,
                     int32_t TileIndex, const TARe* aW) {
  if (aX.size() != aY.size())
    ErrAbs("OneGraph.Curv length(AX)=" + IntStr(static_cast<int32_t>(aX.size())) +
           " <> length(AY)=" + IntStr(static_cast<int32_t>(aY.size())) + " !");
  LinkXY(aX, aY, static_cast<int32_t>(aX.size()) - 1, aW);
  UpdateOrdered();
  nXnY_Index = TileIndex;
  TimeIndex = 0;
  SetFormat(Format);
  N = static_cast<int32_t>(aX.size()) - 1;
}

void TOneGraph::SetFormat(const std::string& Format) {
  // 1. Bracketed groups out: colours as text B, the dash pattern P.
  std::string Rest = TrimCtl(Format), Part, B, P;
  for (int Guard = 0; Guard < 64; ++Guard) {
    std::string R2;
    if (Rest.find('[') == std::string::npos || Rest.find(']') == std::string::npos) break;
    ExtractBrackets(Rest, "[]", R2, Part);
    if (Part.empty()) break;
    B += Part;
    Rest = R2;
  }
  if (Rest.find('(') != std::string::npos && Rest.find(')') != std::string::npos) {
    std::string R2;
    ExtractBrackets(Rest, "()", R2, P);
    Rest = R2;
  }
  const int32_t NW = WordCount(Rest);
  const std::string W1 = NW >= 1 ? WordN(Rest, 1) : "";
  const std::string W2 = NW >= 2 ? WordN(Rest, 2) : "";
  const std::string W3 = NW >= 3 ? WordN(Rest, 3) : "";
  // 2, 3. The sizes.
  bool Failed = false;
  double Base = 0, MSize = 0;
  if (!W3.empty()) {
    int32_t Code = 0;
    Base = ValRealCode(W3, Code);
    if (Code != 0 || !std::isfinite(Base)) {
      PlotWarn("Неаправильно задан базовый размер штриха: <"_cp + W3 + "> !");
      Base = 0;
      Failed = true;
    }
  }
  if (!W2.empty()) {
    int32_t Code = 0;
    MSize = ValRealCode(W2, Code);
    if (Code != 0 || !std::isfinite(MSize)) {
      PlotWarn("Неаправильно задан размер маркера: <"_cp + W2 + ">, оставляем 0"_cp);
      MSize = 0;
      Failed = true;
    }
  }
  // 4.
  Dash.SetWidth(Base);
  MarkSize = MSize;
  // 5. The style word.
  char M = 0, D = 0;
  std::string Others;
  for (char C : W1) {
    if (In(kMarkChars, C)) {
      if (!M) M = C;
    } else if (In(kDashChars, C)) {
      if (!D) D = C;
    } else {
      Others += C;
    }
  }
  if (M) MarkCh = M;
  if (D) Dash.SetStyle(D);
  // 6. Colour letters: two at most, surplus removed from the end.
  int32_t NC = 0;
  for (char C : Others) NC += In(kColorChars, C);
  for (size_t i = Others.size(); i-- > 0 && NC > 2;)
    if (In(kColorChars, Others[i])) {
      Others.erase(i, 1);
      --NC;
    }
  std::string W = std::string(1, D ? D : '~') + (M ? M : '.') + Others;
  int32_t Seen = 0;
  for (char C : Others)
    if (In(kColorChars, C)) {
      ++Seen;
      if (Seen == 1) Color1 = ChColor(C);
      else Color2 = ChColor(C);
    }
  // 7. Colours as text.
  const std::string BT = TrimCtl(B);
  std::string BN;
  if (!BT.empty() && NC < 2) {
    std::string T1, T2;
    BracketText(BT, 1, T1);
    const uint32_t C1 = PlotRGBtoColor(T1);
    if (NC == 0) {
      Color1 = C1;
      BN = "[" + T1 + "]";
      if (BracketText(BT, 2, T2)) {
        Color2 = PlotRGBtoColor(T2);
        BN += "[" + T2 + "]";
      }
    } else {
      Color2 = C1;
    }
  }
  // 8.
  Dash.Valid = true;
  if (!P.empty()) Dash.Init(P);
  // 9, 10.
  std::string F = W;
  if (!W2.empty()) F += " " + W2;
  if (!W3.empty()) F += " " + W3;
  if (!(BN + P).empty()) F += " " + BN + P;
  if (!Failed && Dash.Valid) CurvShowFormat = F;
  // 11.
  TLineStyles& LS = PlotLineStyles();
  int32_t At = -1;
  for (int32_t i = 0; i < LS.List->Count(); ++i)
    if ((*LS.List)[i] == F) At = i;
  if (At < 0) At = LS.List->Add(F);
  LS.Selected = At;
}

void TOneGraph::InsertPoint(int32_t i, double x, double y) {
  AReInsert(AX, i, x);
  AReInsert(AY, i, y);
  N = static_cast<int32_t>(AX.size()) - 1;
}

void TOneGraph::DeletePoint(int32_t i) {
  AReDelete(AX, i);
  AReDelete(AY, i);
  N = static_cast<int32_t>(AX.size()) - 1;
}

bool TOneGraph::CheckOrd(char Axis) const {
  if (Axis == 'X' || Axis == 'x') return AReMonotonic(AX);
  if (Axis == 'Y' || Axis == 'y') return AReMonotonic(AY);
  PlotWarn("OneG.CheckOrd-Err: неаправильный аргумент <"_cp + ChText(Axis) + ">" + "\r\n" +
           "должно быть X или Y!"_cp);
  return false;
}

void TOneGraph::UpdateOrdered() {
  Ordered = static_cast<uint8_t>((CheckOrd('X') ? 1 : 0) | (CheckOrd('Y') ? 2 : 0));
}

void TOneGraph::SortBy(char Axis) {
  UpdateOrdered();
  const bool ByX = Axis == 'X' || Axis == 'x', ByY = Axis == 'Y' || Axis == 'y';
  if (!ByX && !ByY) return;
  const uint8_t Own = ByX ? 1 : 2, Other = ByX ? 2 : 1;
  if (Ordered & Own) return;
  TARe& K = ByX ? AX : AY;
  TARe& V = ByX ? AY : AX;
  const int32_t Last = static_cast<int32_t>(K.size()) - 1;
  if (AW.size() == AX.size()) AReQSort3(1, Last, K, V, AW);
  else AReQSort2(1, Last, K, V);
  const bool OtherWas = Ordered & Other;
  Ordered |= Own;
  if (OtherWas) Ordered &= static_cast<uint8_t>(~Other);
  else if (CheckOrd(ByX ? 'Y' : 'X')) Ordered |= Other;
  else Ordered &= static_cast<uint8_t>(~Other);
}

void TOneGraph::SwapXY(TLWorldWin& Wins, int32_t UsesX, int32_t UsesY) {
  for (int32_t i = 1; i <= N && i < static_cast<int32_t>(AX.size()) &&
                      i < static_cast<int32_t>(AY.size());
       ++i)
    std::swap(AX[static_cast<size_t>(i)], AY[static_cast<size_t>(i)]);
  std::swap(OXName, OYName);
  if (UsesX > 1)
    if (const TWorldWin* W = Wins.GetWin(WinX)) WinX = Wins.AddCopy(*W);
  if (UsesY > 1)
    if (const TWorldWin* W = Wins.GetWin(WinY)) WinY = Wins.AddCopy(*W);
  if (TWorldWin* W = Wins.GetWin(WinX)) W->Kind = 'Y';
  if (TWorldWin* W = Wins.GetWin(WinY)) W->Kind = 'X';
  std::swap(WinX, WinY);
}

TRangeRe TOneGraph::XRange(const TLWorldWin& Wins) const {
  const TWorldWin* W = Wins.GetWin(WinX);
  return W ? MakeRange(W->P1, W->P2) : TRangeRe{};
}

TRangeRe TOneGraph::YRange(const TLWorldWin& Wins) const {
  const TWorldWin* W = Wins.GetWin(WinY);
  return W ? MakeRange(W->P1, W->P2) : TRangeRe{};
}

TRectRe TOneGraph::WorldRect(const TLWorldWin& Wins) const {
  const TRangeRe X = XRange(Wins), Y = YRange(Wins);
  return TRectRe{X.Lo, Y.Lo, X.Hi, Y.Hi};
}

void TOneGraph::SetWorldRect(TLWorldWin& Wins, const TRectRe& R) const {
  if (TWorldWin* W = Wins.GetWin(WinX)) W->P1 = R.X1, W->P2 = R.X2;
  if (TWorldWin* W = Wins.GetWin(WinY)) W->P1 = R.Y1, W->P2 = R.Y2;
}

void TOneGraph::StepToWW(const TGRAF& G, const TArrPlot* Area, const TLWorldWin& Wins,
                         double& kx, double& ky) const {
  const TArrPlot Def;
  const TRectRe T = (Area ? *Area : Def).TileRectPix(G, nXnY_Index);
  const TRangeRe X = XRange(Wins), Y = YRange(Wins);
  // Device rows grow downward: the tile's top row is T.Y1.
  kx = (X.Hi - X.Lo) / (T.X2 - T.X1);
  ky = (Y.Hi - Y.Lo) / (T.Y1 - T.Y2);
}

// ---------------------------------------------------------------- reports

std::unique_ptr<TStringList> TOneGraph::Report() const {
  auto L = std::make_unique<TStringList>();
  L->Add("======== ОТЧЁТ \"ПАРАМЕТРЫ ГРАФИКА\" ============"_cp);
  L->Add("Curv <" + Name + "> Axis OX=<" + OXName + "> OY=<" + OYName + ">");
  L->Add("Dimension=" + IntStr(N));
  L->Add("ArrRect Identification Chain = <" + Chain + ">");
  L->Add("CurvShowFormat=<" + CurvShowFormat + ">");
  L->Add("TimeIndex=" + IntStr(TimeIndex) + " nXnY_Index=" + IntStr(nXnY_Index));
  L->Add("Window(Scale)Case for_X=" + IntStr(WinX) + " for_Y=" + IntStr(WinY));
  L->Add("Marker Ch=<" + ChText(MarkCh) + "> " + " Size=" + ShortSt(4, MarkSize) +
         "mm PixBold=<" + ChText(PixBold) + ">");
  L->Add("Dashed Line Case=<" + ChText(Dash.Case) + "> width of (Gap=" + IntStr(Dash.Gap) +
         " Bar=" + IntStr(Dash.Bar) + " Dot=" + IntStr(Dash.Dot) + " Sum=" + IntStr(Dash.Sum) +
         ") BaseSize (kDash(int)=" + IntStr(Dash.kDash) + " (real)=" + ShortSt(4, Dash.Width) +
         ")");
  L->Add(" MarkerColor=" + PlotColorName(Color1) +
         " MarkerFillingColor=" + PlotColorName(Color2));
  L->Add("Active Point " + (IAUsed ? "USED, IA=" + IntStr(IA) : std::string("Not Used")) +
         "  Fulcrum Point " + (IBUsed ? "USED, IB=" + IntStr(IB) : std::string("Not Used")));
  return L;
}

std::unique_ptr<TStringList> TOneGraph::DataText() const {
  auto L = std::make_unique<TStringList>();
  const bool W = AW.size() == AX.size();
  L->Add(Name);
  L->Add(ReplaceChar(OXName, ' ', '_') + " " + ReplaceChar(OYName, ' ', '_') +
         (W ? " Weight" : ""));
  for (int32_t i = 1; i <= N && i < static_cast<int32_t>(AX.size()) &&
                      i < static_cast<int32_t>(AY.size());
       ++i) {
    const size_t u = static_cast<size_t>(i);
    L->Add(Sig9(AX[u]) + " " + Sig9(AY[u]) + (W ? " " + Sig9(AW[u]) : ""));
  }
  LineTabStrings(L.get(), 3);
  return L;
}

std::string TOneGraph::ListLine() const {
  return Name + "(" + OXName + "," + OYName + ") N=" + IntStr(N) + " kT=" + IntStr(TimeIndex) +
         " kXY=" + IntStr(nXnY_Index) + " in <" + Chain + ">  Line=<" + CurvShowFormat + ">";
}

std::unique_ptr<TStringList> LGraphReport(const TLGraph& L) {
  auto R = std::make_unique<TStringList>();
  if (L.empty()) {
    R->Add("Нет ни одного графика в списке графиков LGraph!"_cp);
    return R;
  }
  for (size_t i = 0; i < L.size(); ++i)
    R->Add(IntStr(static_cast<int32_t>(i + 1)) + " " + L[i]->ListLine());
  LineTabStrings(R.get(), 1);
  return R;
}

int32_t CountGraphsOnWin(const TLGraph& L, int32_t Index) {
  int32_t n = 0;
  for (const auto& G : L) n += (G->WinX == Index || G->WinY == Index);
  return n;
}

// ---------------------------------------------------------------- tool windows

void TOneGraph::ToGrid(TPlotHost& Host, const TLWorldWin& Wins, int32_t Row) const {
  const TWorldWin* X = Wins.GetWin(WinX);
  const TWorldWin* Y = Wins.GetWin(WinY);
  const TCtlValues Cells = {{"gxPL_Act", BoolStr(Act)},
                            {"gxPL_TITLE", Name},
                            {"gxPL_TitY", OYName},
                            {"gxPL_TitX", OXName},
                            {"gxPL_QViz", BoolStr(QViz)},
                            {"gxPL_Num", IntStr(Row)},
                            {"gxPL_kXs", IntStr(WinX)},
                            {"gxPL_kYs", IntStr(WinY)},
                            {"gxPL_kXY", IntStr(nXnY_Index)},
                            {"gxPL_kT", IntStr(TimeIndex)},
                            {"gxPL_NPoint", IntStr(N)},
                            {"gxPL_QZ", BoolStr(QZ)},
                            {"gxPL_sFmt", CurvShowFormat},
                            {"gxPL_YUnits", Y ? Y->sDim : ""},
                            {"gxPL_XUnits", X ? X->sDim : ""}};
  Host.GraphToGrid(Row, Cells);
  Host.GraphGridUnits(*Wins.DimList());
}

void TOneGraph::ToPicTool(TPlotHost& Host, TPlotHost& Pict, const TLWorldWin& Wins) {
  const TWorldWin* X = Wins.GetWin(WinX);
  const TWorldWin* Y = Wins.GetWin(WinY);
  // Point N is a valid point (the replay draws it); only an index above N is moved.
  if (IBUsed && IB > N) {
    PlotWarn("Номер точки опоры KB="_cp + IntStr(IB) + " больше N="_cp + IntStr(N) + "!");
    IB = N;
  }
  if (IAUsed && IA > N) {
    PlotWarn("Номер активной точки KA="_cp + IntStr(IA) + " больше N="_cp + IntStr(N) + "!");
    IA = N;
  }
  auto B = [](bool v) { return std::string(v ? "1" : "0"); };
  const TCtlValues Tool = {{"edKXY", IntStr(nXnY_Index)},
                           {"cbGraVisible", B(QViz)},
                           {"edPicTitle", Name},
                           {"edsXTit", OXName},
                           {"edsYTit", OYName},
                           {"LabelX.Bold", B(Ordered & 1)},
                           {"LabelY.Bold", B(Ordered & 2)},
                           {"LabelZ.Visible", B(QZ)},
                           {"LabelZ.Bold", B(YTitle)},
                           {"edKPoint", IntStr(IA)},
                           {"cbActivePoint", B(IAUsed)}};
  Pict.SetCaption(Name + " " + IntStr(static_cast<int32_t>(AX.size()) - 1));
  const int32_t KB = IBUsed ? IB : 0, KA = IAUsed ? IA : 0;
  auto At = [&](const TARe& A, int32_t i) {
    return i > 0 && i < static_cast<int32_t>(A.size()) ? Sig9(A[static_cast<size_t>(i)])
                                                       : std::string("0");
  };
  const TCtlValues Tab = {{"RTFPicTitle", Name},
                          {"RTFsXTit", OXName},
                          {"RTFsYTit", OYName},
                          {"RTFsXDim", "<" + (X ? X->sDim : std::string()) + ">"},
                          {"RTFsYDim", "<" + (Y ? Y->sDim : std::string()) + ">"},
                          {"lbOneG_N", IntStr(N)},
                          {"lbAneG_N", IntStr(N)},
                          {"rbFulcrumNo", B(!IBUsed)},
                          {"rbFulcrumGo", B(KB > 0)},
                          {"edOneG_I", IntStr(KB)},
                          {"edOneG_IX", At(AX, KB)},
                          {"edOneG_IY", At(AY, KB)},
                          {"rbActPointOff", B(!IAUsed)},
                          {"rbActPointStart", B(IAUsed)},
                          {"rbActPointGo", B(KA > 0)},
                          {"edAneG_I", IntStr(KA)},
                          {"edAneG_IX", At(AX, KA)},
                          {"edAneG_IY", At(AY, KA)}};
  Host.GraphToPicTool(Tool, Tab);
}

void TOneGraph::StyleToTool(TPlotHost& Host) const {
  Host.StyleToTool({{"edLineStyle", CurvShowFormat},
                    {"cbMark", ChText(MarkCh)},
                    {"cbLineStile", ChText(Dash.Case)},
                    {"cbForeColor", FirstColorLetter(CurvShowFormat)},
                    {"edMarkSize", ShortSt(5, MarkSize)},
                    {"edLineSize", ShortSt(5, Dash.Width)},
                    {"edDashGap", IntStr(Dash.Gap)},
                    {"edDashWide", IntStr(Dash.Bar)},
                    {"edDashDot", IntStr(Dash.Dot)}});
}
