// The picture tool's handlers and text rules.
#include "plotting/cvPicTool.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPictState.h"

namespace {

const char kMarkers[] = "#*+./<>V\\^dhopsvx";
const char kLines[] = "-:;=_~";
const char kColors[] = "BCGKMRWYbcgkmrwy";

bool In(const char* Set, char C) {
  for (const char* p = Set; *p; ++p)
    if (*p == C) return true;
  return false;
}

bool IsInt(const std::string& S, int32_t& v) {
  const std::string T = TrimCtl(S);
  if (T.empty()) return false;
  int32_t Code = 0;
  v = ValIntCode(T, Code);
  return Code == 0;
}

bool IsReal(const std::string& S, double& v) {
  const std::string T = TrimCtl(S);
  if (T.empty()) return false;
  int32_t Code = 0;
  v = ValRealCode(T, Code);
  return Code == 0 && std::isfinite(v);
}

std::string B01(bool v) { return v ? "1" : "0"; }

// The format without its "[...]" part (first "[" to last "]") and "(...)" part (first "(" to
// last ")"), and those parts.
void SplitFormat(const std::string& F, std::string& Rest, std::string& Sq, std::string& Rd) {
  Rest = F;
  Sq.clear();
  Rd.clear();
  const size_t a = Rest.find('['), b = Rest.rfind(']');
  if (a != std::string::npos && b != std::string::npos && b > a) {
    Sq = Rest.substr(a, b - a + 1);
    Rest.erase(a, b - a + 1);
  }
  const size_t c = Rest.find('('), d = Rest.rfind(')');
  if (c != std::string::npos && d != std::string::npos && d > c) {
    Rd = Rest.substr(c, d - c + 1);
    Rest.erase(c, d - c + 1);
  }
}

std::string Word(const std::string& S, int32_t n) {
  return WordCount(S) >= n ? WordN(S, n) : std::string();
}

bool NonZero(const std::string& S) { return !S.empty() && S != "0"; }

}  // namespace

// ---------------------------------------------------------------- text rules

bool ParseMarginText(const std::string& Text, double& M1, double& M2, std::string& BadWord) {
  std::string T = Text;
  std::replace(T.begin(), T.end(), '/', ' ');
  const int32_t N = WordCount(T);
  if (N == 0) {
    BadWord.clear();
    return false;
  }
  const std::string W1 = WordN(T, 1), W2 = N >= 2 ? WordN(T, 2) : W1;
  if (!IsReal(W1, M1)) {
    BadWord = W1;
    return false;
  }
  if (!IsReal(W2, M2)) {
    BadWord = W2;
    return false;
  }
  return true;
}

bool ApplyAxisPos(TWorldWin& W, const std::string& Text, bool IsX) {
  const std::string T = TrimCtl(Text);
  std::string S1 = T, S2 = "2";
  if (WordCount(T) > 1) {
    S1 = TrimCtl(WordN(T, 1));
    S2 = TrimCtl(WordN(T, 2));
  }
  double p1 = 0;
  if (!IsReal(S1, p1)) {
    PlotWarn("Неверное число <"_cp + T + "|=>|" + S1 + "> в поле ввода"_cp);
    return false;
  }
  const std::string WarnX =
      "Положение оси X не должно быть вне границ [-0.5..1.5] в окне по Y"_cp;
  if (p1 < -0.5 || p1 > 1.5) {
    PlotWarn(IsX ? WarnX : "Положение оси Y1 не должно быть вне границ [0..1] в окне по X"_cp);
    return false;
  }
  W.PosOX = p1;
  double p2 = 0;
  if (IsReal(S2, p2)) {
    if ((p2 >= -0.5 && p2 <= 1.5) || p2 == 2) {
      W.Pos2 = p2;
      if (W.Pos2 < W.PosOX) std::swap(W.Pos2, W.PosOX);
    } else {
      PlotWarn(IsX ? WarnX : "Положение оси Y2 не должно быть вне границ [0..1] в окне по X"_cp);
    }
  }
  return true;
}

void ApplyDigitPos(TWorldWin& W, const std::string& Text) {
  if (Text.size() < 2) return;
  const char Out = "ф"_cp[0], Ins = "х"_cp[0];
  auto Code = [&](char C, int32_t& Side, double Pos) {
    int32_t v;
    if (C == Out) v = -1;
    else if (C == Ins) v = 1;
    else if (C == '0') v = 0;
    else return;
    Side = Pos > 0.5 ? -v : v;
  };
  Code(Text[0], W.PDOX, W.PosOX);
  Code(Text[1], W.PDOX2, W.Pos2);
}

std::string FormatWithMarker(const std::string& Format, char Ch) {
  std::string F = Format;
  for (char& C : F)
    if (In(kMarkers, C)) {
      C = Ch;
      return F;
    }
  return std::string(1, Ch) + F;
}

std::string FormatWithDash(const std::string& Format, char Ch) {
  std::string Rest = Format, Rd;
  const size_t c = Rest.find('('), d = Rest.rfind(')');
  if (c != std::string::npos && d != std::string::npos && d > c) {
    Rd = Rest.substr(c, d - c + 1);
    Rest.erase(c, d - c + 1);
  }
  Rest = TrimCtl(Rest);
  bool Done = false;
  for (char& C : Rest)
    if (In(kLines, C)) {
      C = Ch;
      Done = true;
      break;
    }
  if (!Done) Rest = std::string(1, Ch) + Rest;
  if (Ch == '~' && !Rd.empty()) Rest += " " + Rd;
  return Rest;
}

std::string FormatWithColor(const std::string& Format, char Ch) {
  std::string F = Format;
  for (char& C : F)
    if (In(kColors, C)) {
      C = Ch;
      return F;
    }
  return std::string(1, Ch) + F;
}

std::string FormatWithMarkSize(const std::string& Format, std::string S) {
  std::string Rest, Sq, Rd;
  SplitFormat(Format, Rest, Sq, Rd);
  const std::string w1 = Word(Rest, 1), w3 = Word(Rest, 3);
  const bool L = NonZero(w3), Sz = NonZero(S);
  if (L && !Sz) S = "0";
  std::string F = w1;
  if (L || Sz) F += " " + S;
  if (L) F += " " + w3;
  if (!(Sq + Rd).empty()) F += " " + Sq + Rd;
  return F;
}

std::string FormatWithLineSize(const std::string& Format, const std::string& T) {
  std::string Rest, Sq, Rd;
  SplitFormat(Format, Rest, Sq, Rd);
  const std::string w1 = Word(Rest, 1);
  std::string w2 = Word(Rest, 2);
  const bool L = NonZero(T), Sz = NonZero(w2);
  if (L && !Sz) w2 = "0";
  std::string F = w1;
  if (L || Sz) F += " " + w2;
  if (L) F += " " + T;
  if (!(Sq + Rd).empty()) F += " " + Sq + Rd;
  return F;
}

std::string FormatWithDashGroup(const std::string& Format, const std::string& Group) {
  std::string Rest, Sq, Rd;
  SplitFormat(Format, Rest, Sq, Rd);
  std::string F = Word(Rest, 1);
  const std::string w2 = Word(Rest, 2), w3 = Word(Rest, 3);
  if (!w2.empty()) F += " " + w2;
  if (!w3.empty()) F += " " + w3;
  return F + " " + Sq + Group;
}

std::unique_ptr<TStringList> LineStylesText(const TStringList& Styles) {
  auto L = std::make_unique<TStringList>();
  for (int32_t i = 0; i < Styles.Count(); ++i) {
    std::string N = IntStr(i + 1);
    if (N.size() < 2) N = " " + N;
    L->Add(N + " " + Styles[i]);
  }
  return L;
}

std::unique_ptr<TStringList> ParseLineStyles(const TStringList& Text) {
  auto L = std::make_unique<TStringList>();
  int32_t Next = 1;
  for (int32_t i = 0; i < Text.Count(); ++i) {
    const std::string Line = Text[i];
    if (TrimCtl(Line).empty()) break;
    const std::string W1 = WordN(Line, 1);
    if (!W1.empty() && W1[0] == '!') continue;
    int32_t n = 0;
    if (!IsInt(W1, n) || n != Next) break;
    std::string Rest = TrimCtl(Line);
    Rest = Rest.substr(std::min(Rest.size(), W1.size()));
    const size_t Bang = Rest.find('!');
    if (Bang != std::string::npos) Rest.erase(Bang);
    L->Add(TrimCtl(Rest));
    ++Next;
  }
  return L;
}

void FilmStep(int32_t& kT, int32_t& kTDir, int32_t Pages, bool BackAndForth) {
  if (Pages < 2) return;
  if (kTDir == -1) {
    --kT;
    if (kT < 1) {
      kTDir = 1;
      kT = 1;
    }
    return;
  }
  ++kT;
  if (kT > Pages) {
    if (BackAndForth) {
      kTDir = -1;
      kT = Pages;
    } else {
      kT = 1;
    }
  }
}

int32_t NextFrame(int32_t kT, int32_t Pages) { return kT + 1 > Pages ? 0 : kT + 1; }
int32_t PrevFrame(int32_t kT, int32_t Pages) { return kT - 1 < 0 ? Pages : kT - 1; }

bool SizeStep(int32_t x1, int32_t x2, int32_t Step, double m1, double m2, int32_t d,
              int32_t& Grow, int32_t& Target) {
  if (Step < 1) return false;
  const double f = 1 - (m1 + m2) / 100;
  if (!(f > 0)) return false;
  const int32_t e = std::abs(x2 - x1);
  const int32_t g = e / Step + d;
  if (g <= 0) return false;
  Target = g * Step;
  Grow = RoundEven(Target / f) - RoundEven(e / f);
  return true;
}

bool FitWidthToPoints(int32_t NPoints, double XRange, int32_t Desktop, int32_t Frame,
                      int32_t DeviceWidth, double m1, double m2, int32_t& Width) {
  int32_t n = NPoints - 1;
  if (n < 1) return false;
  if (n >= Desktop && Desktop > XRange && XRange > 20) n = RoundEven(XRange);
  const double f = (100 - (m1 + m2)) / 100;
  if (!(f > 0)) return false;
  const int32_t G = RoundEven(DeviceWidth * f);
  int32_t w = n * (G / n + 1);
  int32_t L = RoundEven(w / f) + Frame + 1;
  for (int32_t i = 2; L >= Desktop; ++i) {
    const int32_t m = n / i;
    if (m < 1) break;
    w = m * (G / m + 1);
    L = RoundEven(w / f) + Frame + 1;
  }
  Width = L - (static_cast<int32_t>(std::trunc((L - Frame) * f)) - w);
  return true;
}

// ---------------------------------------------------------------- the tool

TPicTool::TPicTool() {
  auto& H = Handlers_;
  H["btShowPic"] = [this] { btShowPicClick(); };
  H["btClearView"] = [this] { btCORAClearClick(); };
  H["btKGraInc"] = [this] { btKGraIncClick(); };
  H["btKGraDec"] = [this] { btKGraDecClick(); };
  H["edKPic"] = [this] { edKPicChange(); };
  H["btOneGraph"] = [this] { btOneGraphClick(); };
  H["btKGraMoveLeft"] = [this] { btKGraMoveLeftClick(); };
  H["cbGraVisible"] = [this] { cbGraVisibleClick(); };
  H["btPicDel"] = [this] { btPicDelClick(); };
  for (const char* C : {"edPicTitle", "edsXTit", "edsYTit"})
    H[C] = [this, C] { edTitleChange(C); };
  H["btHighLightCurPic"] = [this] { btHighLightCurPicClick(); };
  H["btPic0"] = [this] { btPic0Click(); };
  H["edKPic0"] = H["edKPoint"] = [this] { edKPic0Change(); };
  H["btHighLightPic0"] = [this] { btHighLightPic0Click(); };
  H["bt_QGoCancel"] = [this] { Updating = false; };
  H["lbColorBk"] = [this] { lbColorBkClick(); };
  H["btFontDialog"] = [this] { btFontDialogClick(); };
  H["edLineStyle"] = [this] { edLineStyleChange(); };
  H["btApplyStyle"] = [this] { btApplyStyleClick(); };
  H["edLineStyleNumber"] = H["edMarkSize"] = [this] { edMarkSizeChange(); };
  H["btDelFormat"] = [this] { btDelFormatClick(); };
  H["btFormatsSave"] = [this] { btFormatsSaveClick(); };
  H["btFormatsLoad"] = [this] { btFormatsLoadClick(); };
  H["cbMark"] = [this] { cbMarkChange(); };
  H["cbLineStile"] = [this] { cbLineStileChange(); };
  H["cbForeColor"] = [this] { cbForeColorChange(); };
  H["edLineSize"] = [this] { edLineSizeChange(); };
  H["edDashGap"] = H["edDashWide"] = H["edDashDot"] = [this] { edDashGapChange(); };
  H["btAPinclude"] = [this] { btAPincludeClick(); };
  H["edKLayOut"] = [this] { edKLayOutChange(); };
  H["edNX"] = H["edNY"] = H["edNT"] = [this] { edNXChange(); };
  H["btT_prev"] = [this] { btTClick(-1); };
  H["btT_next"] = [this] { btTClick(1); };
  H["edMargX"] = [this] { edMargChange("edMargX"); };
  H["edMargY"] = [this] { edMargChange("edMargY"); };
  H["edTileX"] = [this] { edTileChange(true); };
  H["edTileY"] = [this] { edTileChange(false); };
  H["btOneGR"] = [this] { btOneGClick(1); };
  H["btOneGL"] = [this] { btOneGClick(-1); };
  H["LabelX"] = [this] { LabelClick('X'); };
  H["LabelY"] = [this] { LabelClick('Y'); };
  for (bool X : {true, false}) {
    const std::string A = X ? "X" : "Y";
    H["btDivW" + A] = [this, X] { btDivWClick(X); };
    H["btOX" + A + "Show"] = [this, X] { btOXShowClick(X); };
    H["cbOX" + A + "DigitPos"] = [this, X] { cbDigitPosChange(X); };
    H["edOX" + A + "Pos"] = [this, X] { edOXPosChange(X); };
    H["edOX" + A + "MSize"] = [this, X] { edOXMSizeChange(X); };
    H["edNMrk" + A] = [this, X] { edNMrkChange(X); };
    H["btInvert" + A] = [this, X] { btInvertClick(X); };
    H["cbZoom" + A] = [this, X] { cbZoomClick(X); };
    H["ud" + A + "+"] = [this, X] { udClick(X, 1); };
    H["ud" + A + "-"] = [this, X] { udClick(X, -1); };
  }
  H["btChangeXY"] = [this] { btChangeXYClick(); };
  H["btFuzeWin"] = [this] { btFuzeWinClick(); };
  H["btEqZoomWin"] = [this] { btEqZoomWinClick(); };
  H["btSetZoom"] = [this] { btSetZoomClick(); };
  H["btZoom"] = [this] { btZoomClick(); };
  H["btTEST"] = [this] { btTESTClick(); };
  H["btXWidth"] = [this] { btXWidthClick(); };
  InstallOutputs();
}

std::string TPicTool::Get(const std::string& Name) const {
  const auto It = Ctl_.find(Name);
  return It != Ctl_.end() ? It->second : PicToolDesignValue(Name);
}

void TPicTool::Put(const std::string& Name, const std::string& Value) {
  Ctl_[Name] = Value;
  if (OnSet) OnSet(Name, Value);
}

void TPicTool::Changed(const std::string& Name) {
  const auto It = Handlers_.find(Name);
  if (It != Handlers_.end()) It->second();
}

void TPicTool::Warn(const std::string& Text) { PlotWarn(Text); }

bool TPicTool::ValidCur() { return P && P->ChkCurPic(); }

TOneGraph* TPicTool::CurGraph() { return P ? P->CurPict() : nullptr; }

TWorldWin* TPicTool::ToolWin(bool IsX) {
  int32_t w = 0;
  if (!P || !P->LWorldWin || !IsInt(Get(IsX ? "edKWX" : "edKWY"), w) || w <= 0) return nullptr;
  return P->LWorldWin->GetWin(w);
}

void TPicTool::Refresh() {
  if (P) P->ToolsRefresh();
}

void TPicTool::Apply(const std::string& Format) {
  TOneGraph* G = CurGraph();
  if (!G) return;
  G->SetFormat(Format);
  P->ShowCurInTool();
  P->PlayOnce();
}

// ---------------------------------------------------------------- host

void TPicTool::ToolsRefresh() { Refresh(); }

bool TPicTool::GetMargins(double& MargX, double& MargY, double& MargX2, double& MargY2,
                          double& TileX, double& TileY) {
  std::string Bad;
  auto Fail = [&](const std::string& Control, const std::string& Text) {
    if (OnShowTool) OnShowTool();
    Warn(Text);
    Put(Control + ".Focus", "1");
    return false;
  };
  if (!ParseMarginText(Get("edMargX"), MargX, MargX2, Bad))
    return Fail("edMargX", "Неверное число в поле<"_cp + Bad + ">");
  if (!ParseMarginText(Get("edMargY"), MargY, MargY2, Bad))
    return Fail("edMargY", "Неверное число в поле<"_cp + Bad + ">");
  if (!IsReal(Get("edTileX"), TileX)) return Fail("edTileX", "Неверное число в поле"_cp);
  if (!IsReal(Get("edTileY"), TileY)) return Fail("edTileY", "Неверное число в поле"_cp);
  return true;
}

void TPicTool::GraphToPicTool(const TCtlValues& Tool, const TCtlValues& GrafTab) {
  TUpdatingLock Lock(*this);
  ToolSet(Tool);
  MainSet(GrafTab);
}

void TPicTool::StyleToTool(const TCtlValues& Style) {
  TUpdatingLock Lock(*this);
  ToolSet(Style);
}

void TPicTool::ToolSet(const TCtlValues& Values) {
  for (const auto& [k, v] : Values) {
    if (k.compare(0, 2, "MG") == 0) {
      if (Pict) Pict->ToolSet({{k, v}});
      continue;
    }
    Put(k, v);
  }
}

void TPicTool::GraphToGrid(int32_t Row, const TCtlValues& Cells) {
  if (Main) Main->GraphToGrid(Row, Cells);
}

void TPicTool::GraphGridUnits(const TStringList& Dims) {
  if (Main) Main->GraphGridUnits(Dims);
}

void TPicTool::WindowToGrid(int32_t Row, const TCtlValues& Cells) {
  if (Main)
    Main->WindowToGrid(Row, Cells);
  else
    TPlotHost::WindowToGrid(Row, Cells);
}

void TPicTool::GridClear(const std::string& Grid) {
  if (Main) Main->GridClear(Grid);
}

std::string TPicTool::MainGet(const std::string& Name) {
  if (Main) return Main->MainGet(Name);
  const auto It = Main_.find(Name);
  return It != Main_.end() ? It->second : TPlotHost::MainGet(Name);
}

void TPicTool::MainSet(const TCtlValues& Values) {
  if (Main) return Main->MainSet(Values);
  for (const auto& [k, v] : Values) Main_[k] = v;
}

bool TPicTool::PictVisible() { return Pict && Pict->W.Visible(); }

void TPicTool::PictOuterSize(int32_t& Width, int32_t& Height) {
  Width = Height = 0;
  if (Pict) Pict->W.OuterSize(Width, Height);
}

// ---------------------------------------------------------------- form

void TPicTool::FormShow() {
  Shown = true;
  Put("edLineStyleNumber", IntStr(PlotLineStyles().Selected));
  if (Pict && Pict->W.Visible())
    Put("btShowPic.Hint", Pict->PlotterOn ? "Выключить \"Plotter\""_cp
                                          : "Включить  \"Plotter\""_cp);
  if (Plotting().GetSetting) {
    TUpdatingLock Lock(*this);
    for (const char* K : {"edMargX", "edMargY"}) {
      const std::string V = Plotting().GetSetting(K);
      if (!V.empty()) Put(K, V);
    }
    int32_t Size = 0;
    if (IsInt(Plotting().GetSetting("picCharSize"), Size) && Size != 0) ApplyCharSize(Size);
  }
  if (Pict) Pict->PicPopupMenuUpdate();
}

void TPicTool::ApplyCharSize(int32_t Size) {
  if (platform::TCanvas* C = Pict ? Pict->W.WinCanvas() : nullptr) C->Font.Size = Size;
  if (P && P->Gra && P->Gra->Canvas) P->Gra->Canvas->Font.Size = Size;
}

void TPicTool::FormHide() {
  Shown = false;
  if (Pict) Pict->PicPopupMenuUpdate();
}

// ---------------------------------------------------------------- graphs

void TPicTool::btShowPicClick() {
  if (!Pict) return;
  TPictWin& W = Pict->W;
  if (W.Minimized()) {
    W.ShowWindow();
    if (P) P->Playing = false;
    return;
  }
  if (W.Visible()) {
    if (Pict->PlotterOn) Pict->StopPlotter();
    else Pict->RestartPlotter();
    return;
  }
  W.ShowWindow();
  Pict->RestartPlotter();
  if (P) P->Playing = false;
}

void TPicTool::lbColorBkClick() {
  platform::TColorDialog D;
  D.Color = ColorBk;
  if (!D.Execute()) return;
  ColorBk = D.Color & 0xFFFFFF;
  Put("lbColorBk.Color", IntStr(static_cast<int32_t>(ColorBk)));
  if (P) P->bkColor = ColorBk;
}

void TPicTool::btFontDialogClick() {
  platform::TCanvas* C = P && P->Gra ? P->Gra->Canvas : nullptr;
  if (!C) {
    Warn("PLOTTER.Gra.CANVAS Not Assigned!");
    return;
  }
  const int32_t Charset = C->Font.Charset;
  platform::TFontDialog D;
  D.Font = C->Font;
  D.Execute();  // a cancel leaves the font it opened with, which is applied all the same
  if (Plotting().SetSetting) Plotting().SetSetting("picCharSize", IntStr(D.Font.Size));
  C->Font = D.Font;
  if (P->Gra->ShadeBMP) P->Gra->ShadeBMP->Canvas().Font = D.Font;
  if (platform::TCanvas* W = Pict ? Pict->W.WinCanvas() : nullptr) W->Font = D.Font;
  C->Font.Charset = Charset;
}

void TPicTool::btCORAClearClick() {
  if (!P) return;
  P->ClearAll();
  if (Pict && Pict->W.Visible()) Pict->W.Repaint();
}

void TPicTool::btKGraIncClick() {
  if (Updating || !P) return;
  TUpdatingLock Lock(*this);
  const int32_t n = P->GraphCount();
  if (n < 2) return;
  int32_t k = 0;
  if (!IsInt(Get("edKPic"), k)) k = 0;
  k = k + 1 > n ? 1 : k + 1;
  P->SetCurPic(k);
  if (On("btOneGraph")) P->ShowOnlyCurPic();
  Refresh();
}

void TPicTool::btKGraDecClick() {
  if (Updating || !P) return;
  TUpdatingLock Lock(*this);
  const int32_t n = P->GraphCount();
  if (n < 2) return;
  int32_t k = 0;
  if (!IsInt(Get("edKPic"), k)) k = 0;
  k = k < 2 ? n : k - 1;
  P->SetCurPic(k);
  if (On("btOneGraph")) P->ShowOnlyCurPic();
  Refresh();
}

void TPicTool::edKPicChange() {
  if (!P) return;
  int32_t v = 0;
  if (!IsInt(Get("edKPic"), v)) v = 0;
  const int32_t n = P->GraphCount();
  if (n == 0) v = 0;
  else if (v > n) v = 1;
  if (v == P->k) return;
  P->SetCurPic(v);
  Refresh();
}

void TPicTool::btOneGraphClick() {
  if (!P || !On("btOneGraph") || P->k < 1 || P->k > P->GraphCount() || Updating) return;
  {
    TUpdatingLock Lock(*this);
    P->ShowOnlyCurPic();
  }
  Refresh();
}

void TPicTool::btKGraMoveLeftClick() {
  if (Updating || !P) return;
  TUpdatingLock Lock(*this);
  const int32_t n = P->GraphCount();
  int32_t k = 0;
  if (n < 2 || !IsInt(Get("edKPic"), k) || k < 1 || k > n) return;
  TLGraph& L = *P->LGraph;
  auto G = std::move(L[static_cast<size_t>(k - 1)]);
  L.erase(L.begin() + (k - 1));
  const int32_t To = k == 1 ? n : k - 1;
  L.insert(L.begin() + (To - 1), std::move(G));
  P->SetCurPic(To);
  Refresh();
}

void TPicTool::cbGraVisibleClick() {
  if (Updating) return;
  if (TOneGraph* G = CurGraph()) {
    G->QViz = On("cbGraVisible");
    P->FillGraphGrid();
  }
}

void TPicTool::btPicDelClick() {
  if (P) P->DelCurPic();
}

void TPicTool::edTitleChange(const std::string& Control) {
  if (Updating) return;
  TOneGraph* G = CurGraph();
  if (!G) return;
  const std::string T = Get(Control);
  if (Control == "edPicTitle") G->Name = T;
  else if (Control == "edsXTit") G->OXName = T;
  else G->OYName = T;
}

void TPicTool::btHighLightCurPicClick() {
  if (!P) return;
  P->CurPictHighLight = !P->CurPictHighLight;
  P->KPicHL = P->CurPictHighLight ? P->k : 0;
  if (Pict) Pict->ToolSet({{"MGGraLive.Checked", B01(P->CurPictHighLight)}});
  Put("btHighLightCurPic", B01(P->CurPictHighLight));
}

void TPicTool::btPic0Click() {
  if (!P) return;
  P->k_Compare = P->k;
  Refresh();
}

void TPicTool::edKPic0Change() {
  if (!P) return;
  int32_t v = 0;
  if (!IsInt(Get("edKPic0"), v)) {
    P->k_Compare = 0;
    Put("edKPic0", "0");
    return;
  }
  P->k_Compare = P->GraphCount() > 0 && v <= P->GraphCount() ? v : 0;
  if (P->k_Compare != v) Put("edKPic0", IntStr(P->k_Compare));
}

void TPicTool::btHighLightPic0Click() {
  if (!P) return;
  if (P->k_Compare == 0 && On("btHighLightPic0")) {
    Put("btHighLightPic0", "0");
    P->ComparePictHighLight = false;
    Warn("График сравнения не выбран!!!"_cp);
    return;
  }
  P->ComparePictHighLight = On("btHighLightPic0");
}

// ---------------------------------------------------------------- line styles

void TPicTool::SetGraphStyle(const std::string& Format) {
  if (!ValidCur()) return;
  TOneGraph& G = *CurGraph();
  G.SetFormat(TrimCtl(Format));
  TLineStyles& LS = PlotLineStyles();
  StyleIndex = LS.Selected;
  int32_t At = LS.List->IndexOf(G.CurvShowFormat);
  if (At < 0) At = LS.List->Add(G.CurvShowFormat);
  LS.Selected = At;
  Put("edLineStyle.Items", IntStr(LS.List->Count()));
  Put("edLineStyleNumber", IntStr(LS.Selected));
  Put("lbNLineStyles", IntStr(LS.List->Count()));
}

void TPicTool::btApplyStyleClick() {
  TUpdatingLock Lock(*this);
  if (!ValidCur()) return;
  SetGraphStyle(TrimCtl(Get("edLineStyle")));
  P->ShowCurInTool();
}

void TPicTool::edLineStyleChange() {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  int32_t Index = -1;
  if (!IsInt(Get("edLineStyle.Index"), Index)) Index = -1;
  Put("edLineStyleNumber", IntStr(Index));
  if (Index >= 0 && Index != StyleIndex) btApplyStyleClick();
}

void TPicTool::btDelFormatClick() {
  TLineStyles& LS = PlotLineStyles();
  if (LS.List->Count() <= 1) return;
  TUpdatingLock Lock(*this);
  int32_t Sel = -1;
  if (!IsInt(Get("edLineStyle.Index"), Sel)) Sel = LS.Selected;
  if (Sel < 0 || Sel >= LS.List->Count()) Sel = std::max(0, LS.Selected);
  const std::string Neighbour = (*LS.List)[Sel < 1 ? Sel + 1 : Sel - 1];
  LS.List->Delete(Sel);
  LS.Selected = std::min(LS.Selected, LS.List->Count() - 1);
  Put("edLineStyle.Items", IntStr(LS.List->Count()));
  SetGraphStyle(Neighbour);
  if (P) P->ShowCurInTool();
}

void TPicTool::SetGraphMarker(const std::string& Ch) {
  TOneGraph* G = CurGraph();
  if (!G || Ch.empty()) return;
  Apply(FormatWithMarker(G->CurvShowFormat, Ch[0]));
}

void TPicTool::SetGraphDash(const std::string& Ch) {
  TOneGraph* G = CurGraph();
  if (!G || Ch.empty()) return;
  Apply(FormatWithDash(G->CurvShowFormat, Ch[0]));
}

void TPicTool::cbForeColorChange() {
  TOneGraph* G = CurGraph();
  const std::string C = TrimCtl(Get("cbForeColor"));
  if (!G || C.empty()) return;
  Apply(FormatWithColor(G->CurvShowFormat, C[0]));
}

void TPicTool::cbMarkChange() {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  if (CurGraph()) SetGraphMarker(TrimCtl(Get("cbMark")));
}

void TPicTool::cbLineStileChange() {
  TUpdatingLock Lock(*this);
  if (CurGraph()) SetGraphDash(TrimCtl(Get("cbLineStile")));
}

void TPicTool::SetGraphMarkSize(const std::string& S) {
  double v;
  const std::string T = TrimCtl(S);
  if (!IsReal(T, v) || !ValidCur()) return;
  Apply(FormatWithMarkSize(CurGraph()->CurvShowFormat, T));
}

void TPicTool::edMarkSizeChange() {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  SetGraphMarkSize(Get("edMarkSize"));
}

void TPicTool::edLineSizeChange() {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  const std::string T = TrimCtl(Get("edLineSize"));
  double v;
  TOneGraph* G = CurGraph();
  if (!IsReal(T, v) || !G) return;
  SetGraphStyle(FormatWithLineSize(G->CurvShowFormat, T));
  P->ShowCurInTool();
}

void TPicTool::edDashGapChange() {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  int32_t g, w, d;
  TOneGraph* G = CurGraph();
  if (!G || !IsInt(Get("edDashGap"), g) || !IsInt(Get("edDashWide"), w) ||
      !IsInt(Get("edDashDot"), d))
    return;
  const std::string Group =
      "(" + IntStr(g) + " " + IntStr(w) + (d != 0 ? " " + IntStr(d) : std::string()) + ")";
  SetGraphStyle(FormatWithDashGroup(G->CurvShowFormat, Group));
  P->ShowCurInTool();
}

void TPicTool::btFormatsSaveClick() {
  const TStringList& L = *PlotLineStyles().List;
  if (L.Count() < 2) return;
  if (Plotting().EditText) Plotting().EditText("LineStyles", *LineStylesText(L));
  else Warn("FPicTool.btFormatsSave - функция пока недоступна"_cp);
}

void TPicTool::btFormatsLoadClick() {
  std::unique_ptr<TStringList> Text =
      Plotting().EditorText ? Plotting().EditorText() : std::make_unique<TStringList>();
  if (Text->Count() <= 2) {
    Warn("Проверьте текст - слишком мало строк форматов линий!"_cp);
    return;
  }
  std::unique_ptr<TStringList> New = ParseLineStyles(*Text);
  if (New->Count() <= 2) {
    Warn("Проверьте текст - должно быть более 2-х строк с идущими по порядку номерами!"_cp);
    return;
  }
  TLineStyles& LS = PlotLineStyles();
  if (LS.List->Count() > 2) {
    const std::string Q = "Список форматов содержит "_cp + IntStr(LS.List->Count()) +
                          " элементов, при загрузке они будут удалены. Продолжить?"_cp;
    const std::string Caption = "А Вы, Вельм, уверены???"_cp;
    const bool Yes = Plotting().AskYesNo
                         ? Plotting().AskYesNo(Q, Caption)
                         : platform::ShowMsgBox(Q, Caption, platform::MsgButtons::YesNo) ==
                               platform::MsgResult::Yes;
    if (!Yes) return;
  }
  LS.List = std::move(New);
  LS.Selected = LS.List->Count() > 0 ? 0 : -1;
  Put("edLineStyle.Items", IntStr(LS.List->Count()));
  Put("lbNLineStyles", IntStr(LS.List->Count()));
}

// ---------------------------------------------------------------- plot areas and frames

void TPicTool::btAPincludeClick() {
  if (!P) return;
  const std::string T = Get("edAPk");
  int32_t k = 0;
  if (!IsInt(T, k) || k == 0) {
    Warn("Неверное число <"_cp + T + ">");
    Put("edAPk.Focus", "1");
    return;
  }
  const std::string ID = TrimCtl(Get("edArrPlot"));
  if (!P->FindArrPlot(ID)) return;
  if (!P->AddArrPlotDef(ID + " " + IntStr(k), k, 1, 1, 1)) return;
  P->SyncCurArrPlot();
  Refresh();
}

void TPicTool::edKLayOutChange() {
  if (!P) return;
  int32_t v;
  if (IsInt(Get("edKLayOut"), v)) P->kLayOut = v;
  Refresh();
}

void TPicTool::edNXChange() {
  int32_t nx, ny, nt;
  if (!P || !IsInt(Get("edNX"), nx) || !IsInt(Get("edNY"), ny) || !IsInt(Get("edNT"), nt) ||
      Updating)
    return;
  TUpdatingLock Lock(*this);
  P->SelArrPlot();
  if (TArrPlot* A = P->ArrPlot()) A->SetTiles(nx, ny, nt);
}

void TPicTool::edMargChange(const std::string& Control) {
  if (!P || P->k == 0 || P->GraphCount() == 0 || Updating) return;
  P->SelArrPlot();
  TArrPlot* A = P->ArrPlot();
  if (!A) return;
  double mX, mY, mX2, mY2, tX, tY;
  if (!GetMargins(mX, mY, mX2, mY2, tX, tY)) return;
  A->SetLayout(A->nx, A->ny, A->nt, tX, tY, A->timeT, mX, mY, mX2, mY2);
  if (Plotting().SetSetting) Plotting().SetSetting(Control, Get(Control));
}

void TPicTool::edTileChange(bool IsX) {
  double v;
  if (!P || P->k == 0 || P->GraphCount() == 0 || Updating ||
      !IsReal(Get(IsX ? "edTileX" : "edTileY"), v))
    return;
  P->SelArrPlot();
  if (TArrPlot* A = P->ArrPlot()) (IsX ? A->tileX : A->tileY) = v;
}

void TPicTool::btOneGClick(int32_t Dir) {
  if (!P || P->k <= 0) return;
  TOneGraph* G = P->Graph(P->k);
  if (!G) return;
  const int32_t n = std::max(1, P->TileCountOf(*G));
  int32_t t = G->nXnY_Index + Dir;
  if (t > n) t = 1;
  if (t < 1) t = n;
  G->nXnY_Index = t;
  G->ToPicTool(*this, Pict ? static_cast<TPlotHost&>(*Pict) : StandInPlotHost(), *P->LWorldWin);
}

void TPicTool::btTClick(int32_t Dir) {
  if (!P) return;
  const TArrPlot* A = P->ArrPlot();
  const int32_t Pages = A ? A->nt : 0;
  P->kT = Dir > 0 ? NextFrame(P->kT, Pages) : PrevFrame(P->kT, Pages);
  for (int32_t i = 1; i <= P->GraphCount(); ++i) {
    TOneGraph& G = *P->Graph(i);
    G.QViz = G.TimeIndex == 0 ? P->kT == 0 : G.TimeIndex == P->kT;
  }
  P->PlayOnce();
  Refresh();
}

// ---------------------------------------------------------------- world windows

void TPicTool::LabelClick(char Axis) {
  if (!P || P->k < 1 || P->k > P->GraphCount()) return;
  TOneGraph& G = *P->Graph(P->k);
  G.SortBy(Axis);
  G.ToPicTool(*this, Pict ? static_cast<TPlotHost&>(*Pict) : StandInPlotHost(), *P->LWorldWin);
}

void TPicTool::btDivWClick(bool IsX) {
  if (!P || P->k <= 0 || !P->LWorldWin) return;
  TOneGraph* G = P->Graph(P->k);
  if (!G) return;
  int32_t& Own = IsX ? G->WinX : G->WinY;
  const std::string A = IsX ? "X" : "Y";
  if (CountGraphsOnWin(*P->LGraph, Own) <= 1) {
    Warn("Координата "_cp + A + " для данного графика индивидуальна, \r\nеё не с чем разделять!"_cp);
    return;
  }
  const TWorldWin Old = *P->LWorldWin->GetWin(Own);
  const int32_t n = P->LWorldWin->NewWin();
  TWorldWin& W = *P->LWorldWin->GetWin(n);
  W.Kind = A[0];
  W.Chain = G->Chain;
  W.sOX = A;
  W.sDim.clear();
  W.P1 = Old.P1;
  W.P2 = Old.P2;
  Own = n;
  Refresh();
}

void TPicTool::btOXShowClick(bool IsX) {
  if (!ValidCur()) return;
  TOneGraph& G = *CurGraph();
  TWorldWin* W = P->LWorldWin->GetWin(IsX ? G.WinX : G.WinY);
  if ((IsX ? G.WinX : G.WinY) <= 0 || !W) return;
  W->kOX = On(IsX ? "btOXXShow" : "btOXYShow") ? 1 : 0;
  Refresh();
  P->ShowWWInTool();
}

void TPicTool::cbDigitPosChange(bool IsX) {
  if (TWorldWin* W = ToolWin(IsX)) ApplyDigitPos(*W, Get(IsX ? "cbOXXDigitPos" : "cbOXYDigitPos"));
}

void TPicTool::edOXPosChange(bool IsX) {
  if (TWorldWin* W = ToolWin(IsX)) ApplyAxisPos(*W, Get(IsX ? "edOXXPos" : "edOXYPos"), IsX);
}

void TPicTool::edOXMSizeChange(bool IsX) {
  if (Updating) return;
  TWorldWin* W = ToolWin(IsX);
  if (!W) return;
  const std::string T = Get(IsX ? "edOXXMSize" : "edOXYMSize");
  double v;
  if (!IsReal(T, v)) {
    if (!IsX) Warn("Неверное число <"_cp + T + "> в поле ввода"_cp);
    return;
  }
  TUpdatingLock Lock(*this);
  W->MrkSz = v;
}

void TPicTool::edNMrkChange(bool IsX) {
  if (Updating) return;
  TUpdatingLock Lock(*this);
  TWorldWin* W = ToolWin(IsX);
  if (!W) return;
  int32_t v = 0;
  if (!IsInt(Get(IsX ? "edNMrkX" : "edNMrkY"), v)) v = 0;
  W->NMrk = v <= 0 ? 5 : v;
}

// ---------------------------------------------------------------- scales

void TPicTool::btInvertClick(bool IsX) {
  if (!P || P->k < 1 || P->k > P->GraphCount()) return;
  const TOneGraph& G = *P->Graph(P->k);
  const int32_t w = IsX ? G.WinX : G.WinY;
  TWorldWin* W = w >= 0 ? P->LWorldWin->GetWin(w) : nullptr;
  if (!W) return;
  std::swap(W->P1, W->P2);
  if (Pict) {
    Pict->FormPaint();
    Pict->W.Repaint();
  }
}

void TPicTool::btChangeXYClick() {
  if (!P || P->k < 1 || P->k > P->GraphCount()) return;
  TOneGraph& G = *P->Graph(P->k);
  G.SwapXY(*P->LWorldWin, CountGraphsOnWin(*P->LGraph, G.WinX),
           CountGraphsOnWin(*P->LGraph, G.WinY));
  P->PlayOnce();
}

void TPicTool::btFuzeWinClick() {
  if (P) P->JoinWorldWins(On("cbZoomX"), On("cbZoomY"));
}

void TPicTool::btEqZoomWinClick() {
  if (P) P->CopyCompareScale(On("cbZoomX"), On("cbZoomY"));
}

void TPicTool::btSetZoomClick() {
  if (!P) return;
  int32_t Code;
  const double X1 = ValRealCode(TrimCtl(Get("edWX1")), Code);
  const double X2 = ValRealCode(TrimCtl(Get("edWX2")), Code);
  const double Y1 = ValRealCode(TrimCtl(Get("edWY1")), Code);
  const double Y2 = ValRealCode(TrimCtl(Get("edWY2")), Code);
  if (ValidCur()) P->SetCurWWRange(On("cbZoomX"), On("cbZoomY"), X1, X2, Y1, Y2);
  P->FillWWGrid();
}

void TPicTool::btZoomClick() {
  if (P) P->FitWWToCurPic(On("cbZoomX"), On("cbZoomY"));
}

void TPicTool::cbZoomClick(bool IsX) {
  const std::string Own = IsX ? "cbZoomX" : "cbZoomY", Other = IsX ? "cbZoomY" : "cbZoomX";
  if (!On(Own) && !On(Other)) Put(Other, "1");
}

void TPicTool::btTESTClick() {
  if (!ValidCur()) {
    Warn("не задан текущий график!"_cp);
    return;
  }
  const TOneGraph& G = *CurGraph();
  auto Line = [&](int32_t w, const std::string& A) {
    const TWorldWin* W = P->LWorldWin->GetWin(w);
    const double a = W ? W->P1 : 0, b = W ? W->P2 : 0;
    const double r = std::fabs((b - a) / ((a + b) / 2));
    return "Знач.цифр "_cp + IntStr(DigitsForDiff(a, b)) + " DR" + A + "=" + ShortSt(3, r) + " " +
           A + "1=" + ShortSt(10, a) + " " + A + "2=" + ShortSt(10, b);
  };
  Warn(Line(G.WinX, "X") + "\r\n" + Line(G.WinY, "Y"));
}

void TPicTool::udClick(bool IsX, int32_t d) {
  if (!P || !Pict) return;
  const std::string A = IsX ? "X" : "Y";
  int32_t x1, x2, s;
  if (!IsInt(Get("edV" + A + "1"), x1) || !IsInt(Get("edV" + A + "2"), x2) ||
      !IsInt(Get("edDV"), s))
    return;
  const TArrPlot* Area = P->ArrPlot();
  const double m1 = Area ? (IsX ? Area->margX : Area->margY) : 0;
  const double m2 = Area ? (IsX ? Area->margX2 : Area->margY2) : 0;
  int32_t Grow = 0, Target = 0;
  if (!SizeStep(x1, x2, s, m1, m2, d, Grow, Target)) return;
  auto GrowBy = [&](int32_t g) {
    int32_t w, h;
    Pict->W.OuterSize(w, h);
    if (IsX) w += g;
    else h += g;
    Pict->W.SetOuterSize(w, h);
    Pict->FormResize();
  };
  GrowBy(Grow);
  if (!IsInt(Get("edV" + A + "1"), x1) || !IsInt(Get("edV" + A + "2"), x2)) return;
  if (std::abs(x2 - x1) != Target) GrowBy(Target - std::abs(x2 - x1));
}

void TPicTool::btXWidthClick() {
  TOneGraph* G = CurGraph();
  if (!P || !G || !Pict || !P->Gra) return;
  double Lo = 0, Hi = 0;
  for (int32_t i = 1; i <= G->N; ++i) {
    const double x = G->AX[static_cast<size_t>(i)];
    if (i == 1 || x < Lo) Lo = x;
    if (i == 1 || x > Hi) Hi = x;
  }
  int32_t ow, oh, cw, ch, x1, x2;
  Pict->W.OuterSize(ow, oh);
  Pict->W.ClientSize(cw, ch);
  if (!IsInt(Get("edVX1"), x1) || !IsInt(Get("edVX2"), x2)) return;
  const TArrPlot* Area = P->ArrPlot();
  int32_t Width = 0;
  if (!FitWidthToPoints(G->N, Hi - Lo, Pict->W.DesktopWidth(), ow - cw, P->Gra->PagePixX,
                        Area ? Area->margX : 0, Area ? Area->margX2 : 0, Width)) {
    Warn("Нужно не менее 2 точек графика!"_cp);
    return;
  }
  Pict->W.SetOuterSize(Width, oh);
  Pict->FormResize();
}
