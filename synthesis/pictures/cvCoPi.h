// Profile pictures of the CoPi tab, headless: the frame-sequence description built from a
// variator's varied keys spread over the axes X (columns), Y (rows), C (curves in one plot) and T
// (frames) (MadePict), the screen and view calibration in millimetres, the description file
// written through a temporary copy, and the CORA tab's animated GIF of drawn frames.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStringList;
class TVARIATOR;
class TJob;
class TDib;

// One row of the axis grid: a varied key and its axis letter (' ', 'X', 'Y', 'T' or 'C').
struct TCoPiAxisRow {
  std::string Key;
  char Axis = ' ';
};

// What MadePict reads of the tab.
struct TCoPiSpec {
  std::string Quest;
  int32_t IQ = 1;
  int32_t NUnno = 0;  // ordinary profiles of the quest and step
  int32_t NPar = 1;   // Stokes quantities ("N=" of the label)
  int32_t NX = 1, NY = 1, NC = 1, NT = 1, dT = 100;
  double MXv = 100, MYv = 100, GapX = 2, GapY = 2, TileX = 100, TileY = 100;
  double DLMax = 240, Blur = 0, DI = 100;
  char Scale = 'O';  // 'O' fractions of the window, 'M' millimetres
  std::vector<TCoPiAxisRow> Rows;
  std::vector<std::string> StoPar;  // the Stokes grid's rows in order (empty rows kept)
  char StokesAxis = ' ';
  uint32_t ColBk = 0xFF, ColNet = 0xFFFF, ColMain = 0xFFFF;  // 0x00BBGGRR
};

// The names of the build's number fields in reading order, and their count.
extern const char* const CoPiFieldNames[14];
// The build's number fields read from their texts (in the order of CoPiFieldNames: five
// integers, then nine reals); -1 when all are numbers, else the index of the first bad one.
// Counts below 1 are refused too (the frame count divides by their product).
int32_t CoPiReadFields(const std::vector<std::string>& Texts, TCoPiSpec& S);
// The message for a count below 1 in field I (0..3).
std::string CoPiCountMessage(int32_t I);

// "$" + the colour's hexadecimal digits without leading zeros ($FF0000 is blue).
std::string ColorHexText(uint32_t C);

// The description: a header line and one line per plot. dI 0, a scale other than 'O' and 'M',
// an empty combination lookup and a combination beyond the variator's NK end through the fatal
// path with the tab's texts.
std::unique_ptr<TStringList> MadePict(const TCoPiSpec& S, TVARIATOR& V);

// The list written to File (CR LF line ends) through a temporary copy renamed over it; the
// folder is made when missing (false when it cannot be).
bool WriteDescFile(const TStringList& L, const std::string& File);

// ---- screen and view calibration ----
struct TViewCalib {
  std::string ScreenMX, ScreenMY, ScreenPX, ScreenPY;
  std::string ViewOX, ViewOY, ViewMX, ViewMY;
  bool MXActive = false, MYActive = false;  // the view's mm edits typed in
  int32_t W = 0, H = 0;                     // the image in pixels
};
struct TViewCalibDone {
  std::string Error;  // the message when a field is bad (nothing else is set then)
  bool OXReset = false, OYReset = false;  // a bad percentage taken as 100
  std::string OX, OY, MX, MY, PX, PY;
};
TViewCalibDone CalcViewSize(const TViewCalib& C);
// The screen diagonal in inches from its size in mm (4 significant digits); false with Error.
bool ScreenInchOf(const std::string& MX, const std::string& MY, std::string& Inch,
                  std::string& Error);
// The screen's size in mm from its pixels and diagonal; false with Error.
bool ScreenMMOf(const std::string& PX, const std::string& PY, const std::string& Inch,
                std::string& MX, std::string& MY, std::string& Error);

// ---- the animated GIF ----
// The largest frame delay a GIF stores and the animation intervals taken (ms).
constexpr int32_t GifMaxDelay = 65535;
// Empty when Delay fits a GIF frame, else the message.
std::string GifDelayProblem(int32_t Delay);
// Empty when Interval can drive the animation timer (1..65535 ms), else the message.
std::string TimerIntervalProblem(int32_t Interval);
// The frames encoded as one GIF, each shown Delay ms, looping Loops times, written to a
// temporary copy renamed over File at the end: a cancel (between the codec's steps) or a failure
// leaves File as it was. Progress through Job. False when cancelled.
bool SaveFramesGIF(TJob& Job, const std::vector<TDib>& Frames, int32_t Delay, uint16_t Loops,
                   const std::string& File);
// The frame order of the GIF of N frames: 1..N, then N..1.
std::vector<int32_t> GifFrameOrder(int32_t N);
