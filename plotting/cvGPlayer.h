// The graphics-script player GPlayer: plays "[CVCTRL]" command files of kind GRAPH on the
// graphics device. A script sets a viewport and a world window, reads two columns of a text data
// file as a curve, passes them through a scale rule (N none, L log10, E ten to the power, F a
// function text) and draws the curve with markers, axes, labels, a grid of points and free text.
//
// Reader errors (a bad number, letter, folder or file, an #INC nested too deep, a #GRID step or
// count of 0) stop the play through the reader's fatal error, whose text names the file, the line
// and the position; missing curve settings are warnings and keep the previous curve. GUI-thread
// work: it draws on GRAF.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvTy.h"

class TCIL;
class TGRAF;
class TStringList;
namespace platform {
class TCanvas;
}

struct TCurv {
  TARe X, Y;  // from index 1
};

class TGPlayer {
 public:
  // Deepest nesting of #INC plays.
  static constexpr int32_t MaxIncDepth = 8;

  TGRAF* Graf = nullptr;
  std::unique_ptr<TCurv> Curv;
  uint32_t RunMark = 0;
  std::string Path, DataFile, JoinedFile, GrafikText, DevFile;
  char ViewKind = 'O';
  double ViewX1 = 0, ViewX2 = 1, ViewY1 = 0, ViewY2 = 1;
  char XScale = 'N', YScale = 'N';
  double XMin = 0, XMax = 1, YMin = 0, YMax = 1;
  char MarkCh = '.';
  int32_t Kind = 0;
  double MarkSize = 1;
  int32_t SkipLines = 0, NLines = 0, ColX = 0, ColY = 0;
  char StrHAdj = 'L', StrVAdj = 'U';
  int32_t StrMargin = 1;
  std::string FuncX, FuncY;

  TGPlayer() = default;
  ~TGPlayer() { Reset(); }
  TGPlayer(const TGPlayer&) = delete;
  TGPlayer& operator=(const TGPlayer&) = delete;

  // Binds the device and sets every field to its initial value.
  void SetGraf(TGRAF* G);
  void SetDevFile(const std::string& File) { DevFile = File; }
  // The device from DevFile (fatal without one) drawing on Canvas.
  void DevDefine(platform::TCanvas* Canvas);
  // The device from a description file: name, page width and height in millimetres, page width
  // and height in pixels, one per line. A missing file is a warning.
  void DevDefineFrom(platform::TCanvas* Canvas, const std::string& File);
  // Loads the script, plays it and unloads it; Vars: "name value" lines set as variables.
  void PlayFile(const std::string& File, const TStringList* Vars = nullptr);
  void Play(TCIL& R, const TStringList* Vars);
  bool IsReady() const { return (RunMark >> 16) == 0xA5A5; }
  void CurvLoad();
  void Reset() { RunMark = 0; }

 private:
  bool Pending_ = false;
  int32_t Depth_ = 0;
  double RuleX(double v) const;
  double RuleY(double v) const;
  void CurveKeys(TCIL& R);
  // Up to two words (not starting with "#") through the rule into Lo, Hi.
  void OptRange(TCIL& R, bool IsX, double& Lo, double& Hi);
  void DoGrid(TCIL& R);
  void DoInc(TCIL& R, const std::string& Name);
  void Draw();
};

// The X and Y columns (1-based word numbers) of n lines after Skip lines of a text file, as
// 1-based arrays of n + 1 elements. A word that does not convert, or a line with fewer words than
// the larger column number, is the reader's error.
void ReadColumns(const std::string& File, int32_t Skip, int32_t N, int32_t ColX, int32_t ColY,
                 TARe& X, TARe& Y);

// The program's player over GRAF (made on first use).
extern TGPlayer* GPlayer;
TGPlayer& EnsureGPlayer();
void FreeGPlayer();
