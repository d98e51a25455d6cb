// The graphics device GRAF: binding, viewports, world windows, mapping, lines, points, text.
#include "plotting/cvGRAD.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdio>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

TGRAF* GRAF = nullptr;

TGRAF& EnsureGRAF() {
  if (!GRAF) GRAF = new TGRAF();
  return *GRAF;
}

namespace {

TPlotServices& ServicesSlot() {
  static TPlotServices S;
  return S;
}

void Trace(const std::string& Text) {
  if (Sayer && ChanOn(2)) Sayer->ChanLog(2, Text);
}

std::string Hex(uint32_t V, int Digits) {
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "%0*X", Digits, V);
  return Buf;
}

std::string Num(double x) { return ValSt(6, x); }

std::string ColorText(uint32_t C) { return "$" + Hex(C, 8); }

std::string ChText(char C) {
  return C == 0 ? std::string("#0") : std::string(1, C);
}

std::string Upper(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
  return S;
}

}  // namespace

TPlotServices& Plotting() { return ServicesSlot(); }

void PlotWarn(const std::string& Text) {
  if (ServicesSlot().Warn) ServicesSlot().Warn(Text);
  else WARNAbs(Text);
}

void ResetPlotServices() {
  ServicesSlot() = TPlotServices();
  ServicesSlot().ScreenSize = [] { return std::pair<int32_t, int32_t>(1920, 1080); };
}

std::string ValSt(int N, double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  return ShortSt(N, x);
}

int32_t RoundEven(double x) {
  if (!std::isfinite(x) || x >= 2147483647.0 || x <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(std::nearbyint(x));  // default mode: to nearest, ties to even
}

TPointRe AReMinMaxPoint(const TARe& A) {
  if (A.size() < 2) return {};
  TPointRe R{A[1], A[1]};
  for (size_t i = 2; i < A.size(); ++i) {
    R.X = std::min(R.X, A[i]);
    R.Y = std::max(R.Y, A[i]);
  }
  return R;
}

// ---------------------------------------------------------------- binding and life

void TGRAF::INIGDev(const std::string& Name, double aPageMmX, double aPageMmY,
                    int32_t aPagePixX, int32_t aPagePixY) {
  if (aPageMmX == 0 || aPageMmY == 0) {
    PlotWarn("GRAF.INIGDev<" + Name + "> не должен быть вызван когда IPagX/Y=0!"_cp);
    return;
  }
  DeviceName = Name;
  CurColor = Upper(Name) == "PRINTER" ? 0 : 0x800000;
  BackColor = 0xFFFFFF;
  Dash.SetWidth(0);
  Dash.SetSolid();
  TPX = TPY = 0;
  ViewOpCase = 'Z';
  IsWorldWin = 'N';
  IsViewOp = 'N';
  PageMmX = aPageMmX;
  PageMmY = aPageMmY;
  PagePixX = aPagePixX;
  PagePixY = aPagePixY;
  PixPerMmX = PagePixX / PageMmX;
  PixPerMmY = PagePixY / PageMmY;
  KX = PixPerMmX;
  KY = PixPerMmY;
  TextDX = TextDY = 0;
  Debug_IO = 0;
  OnRun = RunMark;
  ++IdRun;
}

void TGRAF::INIGCanvas(platform::TCanvas* aCanvas, double aSizeInInches) {
  if (!aCanvas) ErrAbs("Err Graf Ini-G-Canvas Значение Canvas не присвоено!"_cp);
  Canvas = TargetCanvas = aCanvas;
  if (Shade) {
    Shade = false;
    ShadeOn();
  }
  SizeInInches = aSizeInInches;
  std::pair<int32_t, int32_t> Screen{platform::ScreenWidth(), 1080};
  if (Plotting().ScreenSize) Screen = Plotting().ScreenSize();
  const double W = Screen.first, H = Screen.second;
  if (W == 0) {
    PlotWarn("GRAF.INIGCanvas Width=0!");
    return;
  }
  double D = aSizeInInches;
  if (D == 0) D = W <= 1440 ? 19 : W <= 1600 ? 21 : W <= 1920 ? 24 : 27;
  const double P = std::sqrt(W * W + H * H) / (25.4 * D);
  const TRect C = TargetCanvas->ClipRect();
  const int32_t w = C.Right - C.Left, h = C.Bottom - C.Top;
  if (w == 0 || h == 0)
    ErrAbs("Err Graf Ini-G-Canvas ClipRect для Canvas не задан!\n\rВозможно, форма на которой "
           "лежит Canvas минимизирована!"_cp);
  INIGDev("Canvas", RoundEven(w / P), RoundEven(h / P), w, h);
  CurColor = 0x808080;
}

void TGRAF::INIGPrinter(platform::TCanvas* PrinterCanvas) {
  if (!PrinterCanvas) ErrAbs("Err Graf Ini-G-Canvas Значение Canvas не присвоено!"_cp);
  PrnOpen = false;
  Canvas = TargetCanvas = PrinterCanvas;
  const TRect C = Canvas->ClipRect();
  INIGDev("PRINTER", C.Right / (600 / 25.4), C.Bottom / (600 / 25.4), C.Right, C.Bottom);
  CurColor = 0;
}

void TGRAF::INIGPrinter() {
  TPlotServices& S = Plotting();
  platform::TCanvas* C = S.PrinterBegin ? S.PrinterBegin() : nullptr;
  if (!C) ErrAbs("Err Graf Ini-G-Printer Принтер не готов к печати!"_cp);
  INIGPrinter(C);
  PrnOpen = true;
}

void TGRAF::ENDG() {
  if (Shade) ShadeFlush();
  Shade = false;
  if (PrnOpen && Upper(DeviceName) == "PRINTER") {
    PrnOpen = false;
    if (Plotting().PrinterEnd && !Plotting().PrinterEnd())
      ErrAbs("Err Graf ENDG Страница не напечатана!"_cp);
  }
  DeviceName.clear();
  OnRun = 0;
}

bool TGRAF::CheckStarted(const std::string& Name) {
  if (OnRun == RunMark) return true;
  if (!Name.empty()) PlotWarn("GRAF." + Name + " - graf not yet started!");
  return false;
}

void TGRAF::ShadeOn() {
  if (Shade || !TargetCanvas) return;
  const TRect C = TargetCanvas->ClipRect();
  if (!ShadeBMP) ShadeBMP = std::make_unique<platform::TBitmap>(0, 0, 24);
  ShadeBMP->SetSize(C.Right - C.Left + 1, std::abs(C.Top - C.Bottom) + 1);
  ShadeBMP->Canvas().Font = (Canvas ? Canvas : TargetCanvas)->Font;
  Canvas = &ShadeBMP->Canvas();
  Shade = true;
}

void TGRAF::ShadeFlush() {
  if (!Shade || !TargetCanvas || !ShadeBMP) return;
  TargetCanvas->Draw(0, 0, *ShadeBMP);
}

std::unique_ptr<TStringList> TGRAF::Report() const {
  auto L = std::make_unique<TStringList>();
  L->Add("Graf Device=<" + DeviceName + "> Size in Inches=" + ShortSt(5, SizeInInches) +
         " Debug_IO=" + IntStr(Debug_IO));
  if (!OwnerName.empty())
    L->Add("OnRun=" + Hex(static_cast<uint32_t>(OnRun), 4) + " IdRun=" + IntStr(IdRun) +
           " Owner=<" + OwnerName + ">");
  else
    L->Add("Система TGraf - owner не назначен!OnRun="_cp + Hex(static_cast<uint32_t>(OnRun), 4) +
           " IdRun=" + IntStr(IdRun));
  L->Add((ShadeBMP ? "ShadeBMP Width=" + IntStr(ShadeBMP->Width()) +
                         " Height=" + IntStr(ShadeBMP->Height())
                   : std::string("ShadeBMP Not Assigned!")) +
         " Shade is " + (Shade ? "On" : "Off"));
  std::string Op;
  switch (ViewOpCase) {
    case 0: Op = "<#0>=NotActivated"; break;
    case 'M': Op = "<M>=mm"; break;
    case 'P': Op = "<P>=Pix"; break;
    case 'Z': Op = "<Z>=Noset"; break;
    default: Op = "<" + std::string(1, ViewOpCase) + ">=Unknown";
  }
  L->Add("ViewOpCase=" + Op + " Is(WorldWin)=<" + ChText(IsWorldWin) + "> Is(ViewOp)=<" +
         ChText(IsViewOp) + ">");
  L->Add("");
  L->Add("=======  Геометрия устройства  ======="_cp);
  L->Add("Page Size (XxY) = (" + Num(PageMmX) + "x" + Num(PageMmY) + ")mm ; (" +
         IntStr(PagePixX) + "x" + IntStr(PagePixY) + ")pixels ; Pix per mm: X=" +
         Num(PixPerMmX) + " Y=" + Num(PixPerMmY));
  L->Add("====  Геометрия видовой операции  ===="_cp);
  L->Add("-- ФИЗ.КООРД.ПОЛЯ ЗРЕНИЯ в точках --"_cp);
  L->Add("View X=(" + Num(XV1) + ".." + Num(XV2) + ") dX=" + Num(XVD) + " Y=(" + Num(YV1) +
         ".." + Num(YV2) + ") dY=" + Num(YVD));
  L->Add("-- МИРОВЫЕ КООРДИНАТЫ --"_cp);
  L->Add("Wind X0=" + Num(XW0) + " dX=" + Num(XWD) + " Y0=" + Num(YW0) + " dY=" + Num(YWD));
  L->Add("-- МНОЖИТЕЛИ ДЛЯ ВИДОВОЙ ОПЕРАЦИИ --"_cp);
  L->Add("ViewOp Factors =(" + Num(KX) + "x" + Num(KY) + ")");
  L->Add("-- ПОЛЕ ВИДОВОЙ ОПЕРАЦИИ В ТОЧКАХ --"_cp);
  L->Add("ViewOp Rect =(" + IntStr(ViewRect.Left) + ".." + IntStr(ViewRect.Right) + ")x(" +
         IntStr(ViewRect.Bottom) + ".." + IntStr(ViewRect.Top) + ")");
  L->Add("- ТЕКУШИЕ ФИЗИЧЕСКИЕ КООРДИНАТЫ В ЦЕЛЫХ И В REAL ПИКСЕЛЯХ -"_cp);
  L->Add("TP =(" + IntStr(TPX) + "," + IntStr(TPY) + ") exactly (" + Num(TPXR) + "," +
         Num(TPYR) + ")");
  L->Add("CurColor=" + ColorText(CurColor) + " MarkFillColor=" + ColorText(MarkFillColor) +
         " BackColor=" + ColorText(BackColor));
  L->Add("-- Обслуживание вывода строк --"_cp);
  L->Add("Axis labels AdjHor=<" + ChText(AdjHor) + "> AdjVer=<" + ChText(AdjVer) +
         "> dx=" + IntStr(TextDX) + " dy=" + IntStr(TextDY) + " Dir=" + IntStr(Dir) +
         " ICurStr=" + IntStr(ICurStr) + " IPixMargin=" + IntStr(IPixMargin) +
         " Color=" + ColorText(TextColor));
  L->Add("-- Параметры маркера --"_cp);
  const char* Fill = FillBy == 0 ? "NotFilled" : FillBy == 1 ? "AutoColor"
                     : FillBy == 2 ? "OwnColor" : "Unknown";
  L->Add("Marker Ch=<" + ChText(MarkCh) + "> FillBy=" + Fill + "(" + IntStr(FillBy) +
         ") Size=" + Num(MarkSize) + "mm PixBold=<" + ChText(PixBold) + ">");
  L->Add("-- установки ширины и параметров штриха --"_cp);
  L->Add("Dashed Line Case=<" + ChText(Dash.Case) + "> width of (Gap=" + IntStr(Dash.Gap) +
         " Bar=" + IntStr(Dash.Bar) + " Dot=" + IntStr(Dash.Dot) + " Sum=" + IntStr(Dash.Sum) +
         ") kDash(int)=" + IntStr(Dash.kDash) + " (real)=" + Num(Dash.Width) +
         ") LinkPhase=" + Num(LinkPhase));
  return L;
}

// ---------------------------------------------------------------- colours

uint32_t TGRAF::IdxToColor(uint32_t n) {
  static const uint32_t Table[16] = {0,        0x00007F, 0x007F00, 0x007F7F, 0x7F0000, 0x7F007F,
                                     0x7F7F00, 0x7F7F7F, 0xAFAFAF, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  return n >= 1 && n <= 15 ? Table[n] : n;
}

void TGRAF::SetGColor(uint32_t Color) {
  Trace("SetGColor $" + Hex(Color, 8));
  CurColor = Color;
  if (Canvas) Canvas->Font.Color = Color;
}

void TGRAF::SetGCOLR(uint32_t n) {
  const uint32_t C = IdxToColor(n);
  std::string N = IntStr(static_cast<int32_t>(n));
  while (N.size() < 2) N = " " + N;
  Trace("SetGCOLR " + N + " => $" + Hex(C, 8));
  SetGColor(C);
}

void TGRAF::SetBkColor(uint32_t Color) {
  BackColor = Color;
  if (Canvas) Canvas->Brush.Color = Color;
}

// ---------------------------------------------------------------- viewports

void TGRAF::ViewRectFromEdges() {
  ViewRect.Left = RoundEven(std::min(XV1, XV2));
  ViewRect.Right = RoundEven(std::max(XV1, XV2));
  ViewRect.Top = RoundEven(std::min(YV1, YV2));
  ViewRect.Bottom = RoundEven(std::max(YV1, YV2));
}

void TGRAF::VIPOMM(double x1, double x2, double y1, double y2) {
  if (!CheckStarted("VIPOMM")) return;
  Trace("PAGE=" + Num(PageMmX) + "*" + Num(PageMmY) + " == " + IntStr(PagePixX) + "*" +
        IntStr(PagePixY));
  if (x1 > x2)
    ErrAbs("GRAF.VIPOMM при задании поля вывода X2,Y2 должны быть больше X1,Y1!"_cp);
  ViewOpCase = 'M';
  XV1 = RoundEven(x1 / PageMmX * PagePixX);
  XV2 = RoundEven(x2 / PageMmX * PagePixX);
  YV1 = RoundEven(y1 / PageMmY * PagePixY);
  YV2 = RoundEven(y2 / PageMmY * PagePixY);
  XVD = XV2 - XV1;
  YVD = YV2 - YV1;
  ViewRectFromEdges();
  Trace("XV=(" + Num(XV2) + "-" + Num(XV1) + ")=(" + Num(XVD) + ")");
  Trace("YV=(" + Num(YV2) + "-" + Num(YV1) + ")=(" + Num(YVD) + ")");
  VIEWDD();
}

void TGRAF::VIPOPO(int32_t x1, int32_t x2, int32_t y1, int32_t y2) {
  if (!CheckStarted("VIPOPO")) return;
  Trace("PAGE=" + Num(PageMmX) + "*" + Num(PageMmY) + " == " + IntStr(PagePixX) + "*" +
        IntStr(PagePixY));
  if (x2 < x1)
    ErrAbs("GRAF.VIPOPO при задании поля вывода\r\nX2="_cp + IntStr(x2) +
           " должны быть больше"_cp + "\r\n" + "X1=" + IntStr(x1) + " !");
  if (y2 < y1)
    ErrAbs("GRAF.VIPOPO при задании поля вывода\r\nY2="_cp + IntStr(y2) +
           " должны быть больше"_cp + "\r\n" + "Y1=" + IntStr(y1) + " !");
  ViewOpCase = 'P';
  XV1 = x1 - 1;
  XV2 = x2 - 1;
  YV1 = PagePixY - y1;
  YV2 = PagePixY - y2;
  XVD = XV2 - XV1;
  YVD = YV2 - YV1;
  ViewRectFromEdges();
  Trace("XV=(" + Num(XV2) + "-" + Num(XV1) + ")=(" + Num(XVD) + ")");
  Trace("YV=(" + Num(YV2) + "-" + Num(YV1) + ")=(" + Num(YVD) + ")");
  VIEWDD();
}

void TGRAF::VIPOPOR(double x1, double x2, double y1, double y2) {
  VIPOPO(RoundEven(x1), RoundEven(x2), RoundEven(y1), RoundEven(y2));
}

void TGRAF::VIPO10(double x1, double x2, double y1, double y2) {
  if (!CheckStarted("VIPO10")) return;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const int32_t X1 = RoundEven((PagePixX - 1) * x1) + 1, X2 = RoundEven((PagePixX - 1) * x2) + 1;
  const int32_t Y1 = RoundEven((PagePixY - 1) * y1) + 1, Y2 = RoundEven((PagePixY - 1) * y2) + 1;
  Trace("VIPO10 %X(" + IntStr(RoundEven(100 * x1)) + ":" + IntStr(RoundEven(100 * x2)) +
        ") %Y(" + IntStr(RoundEven(100 * y1)) + ":" + IntStr(RoundEven(100 * y2)) +
        ") => pointX(" + IntStr(X1) + ":" + IntStr(X2) + ") pointY(" + IntStr(Y1) + ":" +
        IntStr(Y2) + ")");
  VIPOPO(X1, X2, Y1, Y2);
}

void TGRAF::VIPOPC(double x1, double x2, double y1, double y2) {
  VIPO10(x1 / 100, x2 / 100, y1 / 100, y2 / 100);
}

void TGRAF::VIEWOP(char Kind, double x1, double x2, double y1, double y2) {
  switch (Kind) {
    case '%':
    case 'O': VIPOPC(x1, x2, y1, y2); break;
    case 'M': VIPOMM(x1, x2, y1, y2); break;
    case 'P': VIPOPOR(x1, x2, y1, y2); break;
    default:
      PlotWarn("GRAF VIEWOP Err: Тип видовой операции = <"_cp + std::string(1, Kind) +
              "> допустимы типы <M/P/O/%>"_cp);
  }
}

void TGRAF::WINDOW(double x1, double x2, double y1, double y2) {
  if (!CheckStarted("WINDOW")) return;
  IsWorldWin = 'Y';
  XW0 = x1;
  XWD = x2 - x1;
  YW0 = y1;
  YWD = y2 - y1;
  auto Head = [&] {
    return "Graf.WINDOW(" + FSt(0, 3, x1) + "," + FSt(0, 3, x2) + ":" + ShortSt(4, y1) + "," +
           ShortSt(4, y2) + ")" + "\r\n";
  };
  auto Widen = [](double v, double& W0, double& WD) {
    const double Lo = v != 0 ? 0.99 * v : -0.01, Hi = v != 0 ? 1.01 * v : 0.01;
    W0 = Lo;
    WD = Hi - Lo;
  };
  if (XWD == 0) {
    PlotWarn(Head() + "X1 = XN !!!");
    Widen(x1, XW0, XWD);
  }
  if (YWD == 0) {
    PlotWarn(Head() + "Y1 = YN !!!");
    Trace("WORLD X=(" + Num(XW0) + ":" + Num(x2) + ")" + " Y=(" + Num(YW0) + ":" + Num(y2) + ")");
    Widen(y1, YW0, YWD);
  }
  VIEWDD();
}

void TGRAF::VIEWDD() {
  if (!CheckStarted("VIEWDD")) return;
  Trace("VIEWDD- Op=" + ChText(ViewOpCase) + " World=" + ChText(IsWorldWin) +
        " XWD=" + Num(XWD) + " YWD=" + Num(YWD));
  IsViewOp = 'N';
  if ((ViewOpCase == 'M' || ViewOpCase == 'P') && IsWorldWin == 'Y' && XWD != 0 && YWD != 0) {
    IsViewOp = 'Y';
    KX = XVD / XWD;
    KY = YVD / YWD;
    Trace(" Pix/Wrld X=" + Num(KX) + " Y=" + Num(KY));
  }
  Trace(" DD=" + ChText(IsViewOp));
}

// ---------------------------------------------------------------- mapping

TPoint TGRAF::WToPixSafe(double x, double y) {
  if (IsViewOp != 'Y') {
    if (ViewOpCase != 'M' && ViewOpCase != 'P')
      VIPOMM(30, 108.8169696969697, 92.89142857142858, 0);
    if (IsWorldWin != 'Y') WINDOW(0, 255, 0, 255);
  }
  double ox = (x - XW0) * KX, oy = (y - YW0) * KY;
  const double LX = 5 * std::abs(XVD), LY = 5 * std::abs(YVD);
  if (std::abs(ox) > LX) ox = ox > 0 ? LX : -LX;
  if (std::abs(oy) > LY) oy = oy > 0 ? LY : -LY;
  return TPoint{RoundEven(XV1 + ox), RoundEven(YV1 + oy)};
}

TPointRe TGRAF::WToPixR(double x, double y) const {
  if (IsViewOp != 'Y' || IsWorldWin != 'Y') return {};
  return TPointRe{WXToPixR(x), WYToPixR(y)};
}

void TGRAF::MOVEW(double x, double y) { SetTPR(WXToPixR(x), WYToPixR(y)); }

void TGRAF::SetTPClamped(int32_t px, int32_t py) {
  auto Clamp = [](double p, double a, double b) {
    const double lo = std::min(a, b), hi = std::max(a, b), e = std::abs(b - a);
    if (p < lo - 5 * e) return static_cast<double>(RoundEven(lo - 5 * e));
    if (p > hi + 5 * e) return static_cast<double>(RoundEven(hi + 5 * e));
    return p;
  };
  TPXR = Clamp(px, XV1, XV2);
  TPYR = Clamp(py, YV1, YV2);
  TPX = static_cast<int32_t>(TPXR);
  TPY = static_cast<int32_t>(TPYR);
}

void TGRAF::SetTPR(double px, double py) {
  TPXR = px;
  TPYR = py;
  TPX = RoundEven(px);
  TPY = RoundEven(py);
}

// ---------------------------------------------------------------- pixels and lines

namespace {
// A finite pixel coordinate rounded, ends far off the surface kept on their side.
int32_t PixIn(double p) { return RoundEven(std::clamp(p, -1e9, 1e9)); }
}  // namespace

void TGRAF::PutPix(int32_t x, int32_t y) {
  if (!Canvas) return;
  platform::TBitmap* B = Canvas->Bitmap();
  if (!B) {
    Canvas->SetPixel(x, y, CurColor);
    return;
  }
  const TRect C = Canvas->ClipRect();
  if (x < C.Left || x >= C.Right || y < C.Top || y >= C.Bottom) return;
  uint8_t* P = B->ScanLine(y) + static_cast<size_t>(x) * B->BytesPerPixel();
  P[0] = static_cast<uint8_t>(CurColor >> 16);
  P[1] = static_cast<uint8_t>(CurColor >> 8);
  P[2] = static_cast<uint8_t>(CurColor);
}

bool TGRAF::Vectors() const { return Canvas && !Canvas->Bitmap(); }

void TGRAF::FillPix(int32_t l, int32_t t, int32_t r, int32_t b) {
  platform::TBrush Old = Canvas->Brush;
  Canvas->Brush.Color = CurColor;
  Canvas->Brush.Style = platform::TBrushStyle::Solid;
  Canvas->FillRect(TRect{l, t, r + 1, b + 1});
  Canvas->Brush = Old;
}

void TGRAF::ThickPix(int32_t x, int32_t y, bool XMajor) {
  const int32_t W = PixBold == '3' ? 1 : PixBold == '5' ? 2 : 0;
  for (int32_t d = -W; d <= W; ++d) XMajor ? PutPix(x, y + d) : PutPix(x + d, y);
}

void TGRAF::LinePix(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int64_t dx = std::abs(static_cast<int64_t>(x2) - x1);
  const int64_t dy = std::abs(static_cast<int64_t>(y2) - y1);
  const bool XMajor = dx > dy;
  // Major coordinate ascends from the end with the smaller one.
  if (XMajor ? x1 > x2 : y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (Vectors()) {
    // A painter gets the thickened line as one band: the same pixels within one.
    const int32_t W = PixBold == '3' ? 1 : PixBold == '5' ? 2 : 0;
    const int32_t ox = XMajor ? 0 : W, oy = XMajor ? W : 0;
    platform::TBrush OldBrush = Canvas->Brush;
    const uint32_t OldPen = Canvas->Pen.Color;
    Canvas->Brush.Color = Canvas->Pen.Color = CurColor;
    Canvas->Brush.Style = platform::TBrushStyle::Solid;
    if (W == 0) Canvas->Polygon({{x1, y1}, {x2, y2}});
    else Canvas->Polygon({{x1 - ox, y1 - oy}, {x2 - ox, y2 - oy}, {x2 + ox, y2 + oy},
                          {x1 + ox, y1 + oy}});
    Canvas->Brush = OldBrush;
    Canvas->Pen.Color = OldPen;
    return;
  }
  const int64_t dmaj = XMajor ? dx : dy, dmin = XMajor ? dy : dx;
  const int32_t s = XMajor ? (y2 >= y1 ? 1 : -1) : (x2 >= x1 ? 1 : -1);
  int64_t e = 2 * dmin - dmaj;
  int32_t a = XMajor ? x1 : y1, b = XMajor ? y1 : x1;
  for (int64_t i = 0; i <= dmaj; ++i) {
    XMajor ? ThickPix(a, b, true) : ThickPix(b, a, false);
    if (e < 0) {
      e += 2 * dmin;
    } else {
      b += s;
      e += 2 * (dmin - dmaj);
    }
    ++a;
  }
}

namespace {
// Liang-Barsky: parameters t0 <= t1 of the part of P0 + t (P1 - P0) inside the rectangle.
bool ClipParams(double x0, double y0, double x1, double y1, double L, double T, double R,
                double B, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - L, R - x0, y0 - T, B - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double r = q[i] / p[i];
      if (p[i] < 0) t0 = std::max(t0, r);
      else t1 = std::min(t1, r);
    }
  }
  return t0 <= t1;
}
}  // namespace

void TGRAF::DRAWW(double x, double y) {
  const double ex = WXToPixR(x), ey = WYToPixR(y);
  if (!std::isfinite(ex) || !std::isfinite(ey) || !std::isfinite(TPXR) ||
      !std::isfinite(TPYR)) {
    SetTPR(ex, ey);  // a curve breaks at a point that is not finite
    return;
  }
  // Ends past the integer range keep their side of the page (rounded as reals).
  const double sx = TPX != INT32_MIN ? TPX : std::nearbyint(TPXR);
  const double sy = TPY != INT32_MIN ? TPY : std::nearbyint(TPYR);
  const double rx = std::nearbyint(ex), ry = std::nearbyint(ey);
  double t0, t1;
  if (!ClipParams(sx, sy, rx, ry, 0, 0, PagePixX, PagePixY, t0, t1)) {
    auto End = [](double p) { return std::abs(p) < 2e9 ? IntStr(static_cast<int32_t>(p)) : Num(p); };
    WARN("Отрезок ["_cp + End(sx) + "," + End(sy) + "] - [" + End(rx) + "," + End(ry) +
         "] не попал в окно вывода!"_cp);
  } else {
    LinePix(RoundEven(sx + t0 * (rx - sx)), RoundEven(sy + t0 * (ry - sy)),
            RoundEven(sx + t1 * (rx - sx)), RoundEven(sy + t1 * (ry - sy)));
  }
  SetTPR(ex, ey);
}

void TGRAF::PointW(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  const TPoint P = WToPixSafe(x, y);
  const int32_t W = PixBold == '3' ? 1 : PixBold == '5' ? 2 : 0;
  if (Vectors()) FillPix(P.X - W, P.Y - W, P.X + W, P.Y + W);
  else for (int32_t dy = -W; dy <= W; ++dy)
    for (int32_t dx = -W; dx <= W; ++dx) PutPix(P.X + dx, P.Y + dy);
  TPX = P.X;
  TPY = P.Y;
}

void TGRAF::HLineW(double x1, double x2, double y) {
  if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y)) return;
  const int32_t Row = PixIn(WYToPixR(y));
  int32_t a = PixIn(WXToPixR(x1)), b = PixIn(WXToPixR(x2));
  if (a > b) std::swap(a, b);
  if (Canvas) {  // only the columns on the surface matter
    a = std::max(a, -1);
    b = std::min(b, Canvas->Bounds().Width());
  }
  const int32_t W = PixBold == '3' ? 1 : PixBold == '5' ? 2 : 0;
  if (Vectors()) FillPix(a, Row - W, b, Row + W);
  else for (int32_t c = a; c <= b; ++c) ThickPix(c, Row, true);
  SetTPR(WXToPixR(x2), WYToPixR(y));
}

void TGRAF::VLineW(double y1, double y2, double x) {
  if (!std::isfinite(y1) || !std::isfinite(y2) || !std::isfinite(x)) return;
  const int32_t Col = PixIn(WXToPixR(x));
  int32_t a = PixIn(WYToPixR(y1)), b = PixIn(WYToPixR(y2));
  if (a > b) std::swap(a, b);
  if (Canvas) {
    a = std::max(a, -1);
    b = std::min(b, Canvas->Bounds().Height());
  }
  const int32_t W = PixBold == '3' ? 1 : PixBold == '5' ? 2 : 0;
  if (Vectors()) FillPix(Col - W, a, Col + W, b);
  else for (int32_t r = a; r <= b; ++r) ThickPix(Col, r, false);
  SetTPR(WXToPixR(x), WYToPixR(y2));
}

void TGRAF::RectW(double x1, double x2, double y1, double y2) {
  HLineW(x1, x2, y1);
  HLineW(x1, x2, y2);
  VLineW(y1, y2, x1);
  VLineW(y1, y2, x2);
}

bool TGRAF::MarksFit(const char* Op, double a, double b, double d) {
  const double n = std::abs(b - a) / d;
  if (std::isfinite(a) && std::isfinite(b) && std::isfinite(d) && d > 0 && n < MaxMarks)
    return true;
  PlotWarn(std::string("GRAF.") + Op + ": шаг "_cp + ValSt(6, d) + " для диапазона "_cp +
          ValSt(6, a) + ".." + ValSt(6, b) + " недопустим, ничего не рисуем"_cp);
  return false;
}

void TGRAF::PointGrid(double x1, double x2, double dx, double y1, double y2, double dy) {
  if (!MarksFit("PointGrid", x1, x2, dx) || !MarksFit("PointGrid", y1, y2, dy)) return;
  const int32_t sx = TPX, sy = TPY;
  double x = x1;
  do {
    double y = y1;
    do {
      PointW(x, y);
      y += dy;
    } while (y <= y2);
    x += dx;
  } while (x <= x2);
  SetTPClamped(sx, sy);
}

void TGRAF::FrameView() {
  const TRect& R = ViewRect;
  if (Vectors()) {
    FillPix(R.Left, R.Top, R.Right, R.Top);
    FillPix(R.Left, R.Bottom, R.Right, R.Bottom);
    FillPix(R.Left, R.Top, R.Left, R.Bottom);
    FillPix(R.Right, R.Top, R.Right, R.Bottom);
    return;
  }
  for (int32_t x = R.Left; x <= R.Right; ++x) {
    PutPix(x, R.Top);
    PutPix(x, R.Bottom);
  }
  for (int32_t y = R.Top; y <= R.Bottom; ++y) {
    PutPix(R.Left, y);
    PutPix(R.Right, y);
  }
}

void TGRAF::ClearG() {
  if (!Canvas) return;
  Canvas->Brush.Color = BackColor;
  Canvas->Brush.Style = platform::TBrushStyle::Solid;
  Canvas->FillRect(Canvas->ClipRect());
}

void TGRAF::ClearView() {
  if (!Canvas) return;
  Canvas->Brush.Color = BackColor;
  Canvas->Brush.Style = platform::TBrushStyle::Solid;
  ViewRectFromEdges();
  Canvas->FillRect(ViewRect);
}

// ---------------------------------------------------------------- text

void TGRAF::TextW(const std::string& S, double x, double y) {
  if (!Canvas || !std::isfinite(x) || !std::isfinite(y)) return;
  const TPoint P = WToPixSafe(x, y);
  const uint32_t Old = Canvas->Font.Color;
  const auto OldBrush = Canvas->Brush.Style;
  Canvas->Font.Color = CurColor;
  Canvas->Brush.Style = platform::TBrushStyle::Clear;
  Canvas->TextOut(P.X + TextDX, P.Y + TextDY, S);
  Canvas->Brush.Style = OldBrush;
  Canvas->Font.Color = Old;
}

void TGRAF::TextAtW(const std::string& S, char HAdj, double x, double y, char VAdj,
                    int32_t Margin) {
  if (!Canvas || !std::isfinite(x) || !std::isfinite(y)) return;
  const TPoint P = WToPixSafe(x, y);
  const int32_t w = Canvas->TextWidth(S), h = Canvas->TextHeight(S);
  const int32_t L = HAdj == 'M' ? P.X - w / 2 : HAdj == 'R' ? P.X - w - Margin : P.X + Margin;
  const int32_t T = VAdj == 'D' ? P.Y - h - Margin : VAdj == 'M' ? P.Y - h / 2 : P.Y + Margin;
  const uint32_t Old = Canvas->Font.Color;
  const auto OldBrush = Canvas->Brush.Style;
  Canvas->Font.Color = CurColor;
  Canvas->Brush.Style = platform::TBrushStyle::Clear;
  Canvas->TextOut(L, T, S);
  Canvas->Brush.Style = OldBrush;
  Canvas->Font.Color = Old;
}

void TGRAF::TextInView(const std::string& S, char HAdj, char VAdj, int32_t Offset) {
  if (!Canvas) return;
  const int32_t w = Canvas->TextWidth(S), h = Canvas->TextHeight(S);
  const TRect& R = ViewRect;
  const int32_t L = HAdj == 'M'   ? R.Left + (R.Right - R.Left - w) / 2
                    : HAdj == 'R' ? R.Right - w - Offset
                                  : R.Left + Offset;
  const int32_t T = VAdj == 'D'   ? R.Bottom - h - Offset
                    : VAdj == 'M' ? R.Top + (R.Bottom - R.Top - h) / 2
                                  : R.Top + Offset;
  const auto OldBrush = Canvas->Brush.Style;
  Canvas->Brush.Style = platform::TBrushStyle::Clear;
  Canvas->TextOut(L, T, S);
  Canvas->Brush.Style = OldBrush;
}

// ---------------------------------------------------------------- queries

int32_t TGRAF::TheNearest(const TARe* AX, const TARe* AY, double px, double py) const {
  if (!AX) ErrAbs("GRAF TheNearest массив AX Not Assigned!"_cp);
  if (!AY || AX->size() != AY->size())
    ErrAbs("GRAF TheNearest массивы AX AY имеют разную размерность = "_cp +
           IntStr(static_cast<int32_t>(AX->size()) - 1) + " и "_cp +
           IntStr(AY ? static_cast<int32_t>(AY->size()) - 1 : -1));
  const int32_t n = static_cast<int32_t>(AX->size()) - 1;
  int32_t Best = 1;
  double BestD = INFINITY;
  for (int32_t i = 1; i <= n; ++i) {
    const TPointRe P = WToPixR((*AX)[i], (*AY)[i]);
    const double d = std::hypot(P.X - px, P.Y - py);
    if (d < BestD) {
      BestD = d;
      Best = i;
    }
  }
  return Best;
}

void TGRAF::NearestOnCurve(const TARe* AX, const TARe* AY, double px, double py,
                           int32_t& Index, double& DistPoint, double& DistCurve) const {
  Index = TheNearest(AX, AY, px, py);
  const int32_t n = static_cast<int32_t>(AX->size()) - 1;
  DistPoint = DistCurve = 0;
  if (n < 1) return;
  const TPointRe P = WToPixR((*AX)[Index], (*AY)[Index]);
  DistPoint = std::hypot(P.X - px, P.Y - py);
  if (n < 2) {
    DistCurve = DistPoint;
    return;
  }
  auto Pix = [&](int32_t i) { return WToPixR((*AX)[i], (*AY)[i]); };
  TPointRe Q;
  if (Index == 1) Q = Pix(2);
  else if (Index == n) Q = Pix(n - 1);
  else {
    const TPointRe A = Pix(Index - 1), B = Pix(Index + 1);
    Q = std::hypot(B.X - px, B.Y - py) < std::hypot(A.X - px, A.Y - py) ? B : A;
  }
  const double d0 = DistPoint, d1 = std::hypot(Q.X - px, Q.Y - py);
  const double L = std::hypot(Q.X - P.X, Q.Y - P.Y);
  const double t = d0 + d1 > 0 ? d0 / (d0 + d1) * L : 0;
  const double r = d0 * d0 - t * t;
  DistCurve = r <= 0 ? 0 : std::sqrt(r);
}
