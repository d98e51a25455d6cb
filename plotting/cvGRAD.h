// The 2-D graphics device GRAF: a page in millimetres and pixels, one viewport on it, one world
// window mapped onto the viewport, a current point, colours, a point thickness, a marker and a
// dash pattern. It draws on a platform canvas: a 24-bit bitmap, pixel by pixel straight into its
// rows, or a painter (a window, the printer: plotting/qt/cvGRADQt.h), which gets the same lines,
// points, frames and wide segments as rectangles and polygons (the same pixels within one). Also here: the tick-step rule (CalcDelta, CalcRange), the axis grid
// TGRIDER, the dash record DashLine with the wide dashed line, markers and the curve drawer.
//
// GUI-thread work only: computing code never calls GRAF.
// Non-finite world coordinates draw nothing (a curve breaks at them); pixel writes outside the
// surface are ignored; steps that are 0, negative or not finite are refused with a warning, and
// tick and mark counts are capped (MaxMarks).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "foundation/cvTy.h"
#include "platform/Canvas.h"

class TStringList;
class TJob;
struct TCalcStat;

// What the device needs of the program: the screen size in pixels (width, height; unset: the
// platform's screen width and 1080), where warnings go (unset: WARNAbs), and the printer: a page
// canvas at 600 dots per inch for TGRAF.INIGPrinter() (nullptr or unset: no printer), output by
// PrinterEnd when TGRAF.ENDG closes the page (false: the page could not be output).
struct TPlotServices {
  std::function<std::pair<int32_t, int32_t>()> ScreenSize;
  std::function<void(const std::string& Text)> Warn;
  std::function<platform::TCanvas*()> PrinterBegin;
  std::function<bool()> PrinterEnd;
  // The picture windows' settings in the project's section "Common" (unset: none kept).
  std::function<std::string(const std::string& Key)> GetSetting;
  std::function<void(const std::string& Key, const std::string& Value)> SetSetting;
  // The program's text editor: a list opened under a title, and the text it holds (unset: the
  // line-style list cannot be saved or loaded as text).
  std::function<void(const std::string& Title, const TStringList& Lines)> EditText;
  std::function<std::unique_ptr<TStringList>()> EditorText;
  // A Yes/No box with a caption (unset: the platform's box).
  std::function<bool(const std::string& Text, const std::string& Caption)> AskYesNo;
  // After an arrow-key edit of a graph: the model vectors named by the graph's title take its
  // Y values when the main window asks for it (unset: nothing).
  std::function<void(const std::string& Title, const TARe& AY)> EditedGraph;
  // What the picture tool's outputs call of the main window (unset: a note that the function is
  // not available yet): its graph player (PlayGraphic), its histogram of values under a name
  // (PlotHistogram), a page shown by name (ShowPage), the calculator's statistics display
  // (ShowCalcStat, mode 6), and the film's file for a title (FilmFile: the working-directory
  // entry "CORA"/"GIF"; empty with Err when it cannot be made).
  std::function<void()> PlayGraphic;
  std::function<void(const TARe& X, const std::string& Name)> PlotHistogram;
  std::function<void(const std::string& Page)> ShowPage;
  std::function<void(const TCalcStat& S)> ShowCalcStat;
  std::function<std::string(const std::string& Title, std::string& Err)> FilmFile;
  // The program's job runner: Work on a worker thread, Done on the window's thread after it
  // (unset: both run in place, headless).
  std::function<void(const std::string& Name, std::function<void(TJob&)> Work,
                     std::function<void(TJob&)> Done)>
      RunJob;
};
// A warning of the device through its services.
void PlotWarn(const std::string& Text);
TPlotServices& Plotting();
// Fresh services for tests (screen 1920 x 1080 unless set).
void ResetPlotServices();

struct TRectRe {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};
struct TPointRe {
  double X = 0, Y = 0;
};

// ShortSt(N, x), or "NaN", "+Inf", "-Inf" for a value that is not finite.
std::string ValSt(int N, double x);

// Most ticks or marks one grid, row or column draws.
constexpr int32_t MaxMarks = 10000;

// Round half to even; NaN and infinities give INT32_MIN (callers check finiteness first).
int32_t RoundEven(double x);

// Step of about n ticks over x1..x2 ("round" 1, 2, 5 times a power of ten) and its decimals code.
// n <= 0 warns and takes 3; a range that is not finite warns and gives step 1, code 0.
void CalcDelta(int32_t n, double x1, double x2, double& Step, int32_t& Dec);
// Ticks of step over a..b: first, last and count. A step that is 0 or not finite gives count 0.
void CalcRange(double Step, double a, double b, double& Lo, double& Hi, int32_t& Count);

struct DashLine {
  char Case = 0;
  int32_t kDash = 0;
  int32_t Gap = 0;
  int32_t Dot = 0;
  int32_t Bar = 0;
  int32_t Count = 0;
  int32_t Sum = 0;
  double Width = 0;
  bool Valid = false;

  void Clear() { *this = DashLine(); }
  void SetWidth(double w);
  void SetPattern(double Step, int32_t aGap, double aWidth, int32_t aBar, int32_t aDot,
                  int32_t aCount);
  void CalcSum();
  void SetSolid();
  void SetNone();
  void SetStyle(char Ch);
  // Pattern from the part of S in round brackets: "(gap bar [dot [count]])".
  void Init(const std::string& S);
};

class TGRAF;

class TGRIDER {
 public:
  uint32_t Color = 0;
  double X1 = 0, X2 = 1, Y1 = 0, Y2 = 1;
  double XLo = 0, XHi = 1, YLo = 0, YHi = 1;
  double DX = 1, DY = 1;
  double MarkSize = 1;
  char MarkCh = '.';
  bool GridOn = false, OXOn = false, OYOn = false, XLabOn = false, YLabOn = false;
  char XLabSide = 0, YLabSide = 0;
  double OXPos = 0, OYPos = 0;
  int32_t NX = 2, NY = 2;
  int32_t XDec = 0, YDec = 0;

  explicit TGRIDER(TGRAF& G) : G_(G) {}
  void Reset();
  void ClearFlags();
  void SetOX(int32_t nMk, char Side, double x1, double x2, double AxisY, double aMarkSize);
  void SetOY(int32_t nM, char Side, double y1, double y2, double AxisX, double aMarkSize);
  void SetOXLabels(int32_t Dec, char Side, double AxisY);
  void SetOYLabels(int32_t Dec, char Side, double AxisX);
  void SetGrid(char aMarkCh, uint32_t aColor, double x1, double x2, double dx, double y1,
               double y2, double dy, double aMarkSize);
  void Draw();

 private:
  TGRAF& G_;
};

// One wide segment from (ax, ay) to (bx, by) with half width h, filled in Color, cut to the
// canvas's clip rectangle first.
void ThickSegment(platform::TCanvas& Canvas, uint32_t Color, double ax, double ay, double bx,
                  double by, double h);

class TGRAF {
 public:
  static constexpr int32_t RunMark = 21930;

  int32_t OnRun = 0;
  int32_t IdRun = 0;
  platform::TCanvas* Canvas = nullptr;
  platform::TCanvas* TargetCanvas = nullptr;
  std::unique_ptr<platform::TBitmap> ShadeBMP;
  std::string DeviceName;
  double SizeInInches = 0;
  bool Shade = false;
  char IsWorldWin = 0, IsViewOp = 0, ViewOpCase = 0;
  double PageMmX = 0, PageMmY = 0;
  int32_t PagePixX = 0, PagePixY = 0;
  double PixPerMmX = 0, PixPerMmY = 0;
  double XV1 = 0, XV2 = 0, YV1 = 0, YV2 = 0, XVD = 0, YVD = 0;
  double XW0 = 0, YW0 = 0, XWD = 0, YWD = 0;
  double KX = 0, KY = 0;
  TRect ViewRect;  // left, top, right, bottom (inclusive edges)
  int32_t TPX = 0, TPY = 0;
  double TPXR = 0, TPYR = 0;
  uint32_t CurColor = 0, MarkFillColor = 0, BackColor = 0;
  int32_t TextDX = 0, TextDY = 0;
  char AdjHor = 0, AdjVer = 0;
  int32_t Dir = 0, IPixMargin = 0, ICurStr = 0;
  uint32_t TextColor = 0;
  std::unique_ptr<TGRIDER> Grider;
  int32_t Debug_IO = 0;
  char PixBold = 0;
  double MarkSize = 0;
  int32_t FillBy = 0;
  char MarkCh = 0;
  DashLine Dash;
  double LinkPhase = 0;
  std::string OwnerName;  // class name of the picture window using the device (empty: none)
  bool PrnOpen = false;   // a page of the services' printer is open; ENDG outputs it

  // ---- binding and life ----
  void INIGDev(const std::string& Name, double aPageMmX, double aPageMmY, int32_t aPagePixX,
               int32_t aPagePixY);
  void INIGCanvas(platform::TCanvas* aCanvas, double aSizeInInches);
  // A printer page: a canvas whose clip rectangle is the page at 600 dots per inch.
  void INIGPrinter(platform::TCanvas* PrinterCanvas);
  // The printer of the services: its page is opened here and output by ENDG. No printer is
  // fatal.
  void INIGPrinter();
  void ENDG();
  bool CheckStarted(const std::string& Name);
  void ShadeOn();
  void ShadeFlush();
  // The picture window using the device, by its class name (not owned; empty: none).
  void SetOwner(const std::string& ClassName) { OwnerName = ClassName; }
  int32_t GetIdRun() const { return IdRun; }
  std::unique_ptr<TStringList> Report() const;

  // ---- colours ----
  static uint32_t IdxToColor(uint32_t n);
  void SetGColor(uint32_t Color);
  void SetGCOLR(uint32_t n);
  void SetBkColor(uint32_t Color);

  // ---- viewports and world windows ----
  void VIPOMM(double x1, double x2, double y1, double y2);
  void VIPOPO(int32_t x1, int32_t x2, int32_t y1, int32_t y2);
  void VIPOPOR(double x1, double x2, double y1, double y2);
  void VIPO10(double x1, double x2, double y1, double y2);
  void VIPOPC(double x1, double x2, double y1, double y2);
  void VIPO10Rect(const TRectRe& R) { VIPO10(R.X1, R.X2, R.Y1, R.Y2); }
  void WINDOWRect(const TRectRe& R) { WINDOW(R.X1, R.X2, R.Y1, R.Y2); }
  void VIEWOP(char Kind, double x1, double x2, double y1, double y2);
  void WINDOW(double x1, double x2, double y1, double y2);
  void VIEWDD();

  // ---- conversions ----
  int32_t WXToPix(double x) const { return RoundEven(WXToPixR(x)); }
  double WXToPixR(double x) const { return (x - XW0) * KX + XV1; }
  int32_t WYToPix(double y) const { return RoundEven(WYToPixR(y)); }
  double WYToPixR(double y) const { return (y - YW0) * KY + YV1; }
  double PixToWX(int32_t i) const { return PixRToWX(i); }
  double PixRToWX(double r) const { return (r - XV1) / KX + XW0; }
  double PixToWY(int32_t i) const { return PixRToWY(i); }
  double PixRToWY(double r) const { return (r - YV1) / KY + YW0; }
  TPoint WToPixSafe(double x, double y);
  TPointRe WToPixR(double x, double y) const;

  // ---- current point ----
  void MOVEW(double x, double y);
  TPoint GetTP() const { return TPoint{TPX, TPY}; }
  void SetTPClamped(int32_t px, int32_t py);
  void SetTPR(double px, double py);

  // ---- drawing ----
  void DRAWW(double x, double y);
  void PointW(double x, double y);
  void HLineW(double x1, double x2, double y);
  void VLineW(double y1, double y2, double x);
  void RectW(double x1, double x2, double y1, double y2);
  void PointGrid(double x1, double x2, double dx, double y1, double y2, double dy);
  void FrameView();
  void ClearG();
  void ClearView();

  // ---- text ----
  void SetTextShift(int32_t dx, int32_t dy) { TextDX = dx; TextDY = dy; }
  void TextW(const std::string& S, double x, double y);
  void TextAtW(const std::string& S, char HAdj, double x, double y, char VAdj, int32_t Margin);
  void TextInView(const std::string& S, char HAdj, char VAdj, int32_t Offset);

  // ---- queries ----
  int32_t TheNearest(const TARe* AX, const TARe* AY, double px, double py) const;
  void NearestOnCurve(const TARe* AX, const TARe* AY, double px, double py, int32_t& Index,
                      double& DistPoint, double& DistCurve) const;

  // ---- markers, dashes, curves ----
  void SetMarkerCh(char Ch) { MarkCh = Ch; }
  void SetMarkerSize(double Mm) { MarkSize = Mm; }
  void DrawMarker(double x, double y);
  void MarkerGrid(char Ch, double x1, double x2, double dx, double y1, double y2, double dy,
                  double aMarkSize);
  void MarkerRow(char Ch, double aMarkSize, double y, double dx, double x1, double x2);
  void MarkerColumn(char Ch, double aMarkSize, double x, double dy, double y1, double y2);
  void DashDrawW(double x, double y);
  void CURV(const TARe* AX, const TARe* AY, int32_t Kind);
  void CURVDefault(const TARe* AX, const TARe* AY) { CURV(AX, AY, 0); }
  void CURVStyled(const TARe* AX, const TARe* AY, int32_t Kind, char aMarkCh, double aMarkSize);

  TGRIDER& EnsureGrider();

  // A solid line below one pixel wide, of normal boldness, on a bitmap: drawn by the device's
  // line routine, which also covers each end's pixel.
  bool ThinSolid() const {
    return Dash.Gap == 0 && Dash.Width < 1 && (PixBold == '1' || PixBold == 0) && !Vectors();
  }

  // One pixel in CurColor; ignored outside the surface.
  void PutPix(int32_t x, int32_t y);

 private:
  void ViewRectFromEdges();
  // The canvas draws through a painter: lines, points and frames go to it as rectangles and
  // polygons instead of pixel by pixel.
  bool Vectors() const;
  // Pixels l..r x t..b (inclusive) in CurColor on a painter canvas.
  void FillPix(int32_t l, int32_t t, int32_t r, int32_t b);
  void ThickPix(int32_t x, int32_t y, bool XMajor);
  void LinePix(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void ShapeLine(double ax, double ay, double bx, double by);
  bool MarksFit(const char* Op, double a, double b, double d);
  // Markers along a row (at y = At over x) or a column (at x = At over y), from a1 to a2 by d.
  void MarkerLine(const char* Op, char Ch, double aMarkSize, double At, double d, double a1,
                  double a2, bool Row);
};

// Minimum (X) and maximum (Y) of elements 1..n; (0, 0) without elements.
TPointRe AReMinMaxPoint(const TARe& A);

// The program's one device, made at start-up; tests make their own TGRAF.
extern TGRAF* GRAF;
TGRAF& EnsureGRAF();
