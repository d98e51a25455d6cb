// The Zeeman pattern test: a control file of database line Ids, level-designation pairs,
// hyperfine component strings and "#ZEE" texts; for each the Landé factors and the Zeeman
// pattern, a text report (Runge fractions exact, through an integer twin of the pattern
// construction) and one panel per pattern drawn through the graphics device.
//
// The reading and the report are a job (ZeeTestRun: progress per control line, cancel between
// lines); the drawing (ZeeTestDraw) is window-thread work on the panels the run made. A line
// whose pattern cannot be formed gets a report line and the test goes on.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "linedata/cvLIDA.h"
#include "linedata/cvLSCoupling.h"
#include "linedata/cvZeeman.h"

class TGRAF;
class TJob;
class TStringList;
namespace platform {
class TCanvas;
}

// Level designation (10 characters): 2S+1 in characters 3-4, the orbital letter in 5, J (or 2J
// followed by "/2") in 7-10. False when it cannot be read.
bool ParseLevel(const std::string& D, double& J, double& L, double& S);
// The LS-coupling Landé factor (0 for J = 0); false when CheckSLJ fails (CheckSLJ and the
// factor as a reduced fraction, LandeGFrac, are the line data's: linedata/cvLSCoupling.h).
bool LandeG(double S, double L, double J, double& G);

// The Runge fractions in integers: shifts Shift[k]/ShiftDen (Zeeman-splitting units) and
// strengths Strength[k]/StrDen; pi components 1..NPI, sigma NPI+1..NCOMP.
struct TIRunge {
  int32_t NCOMP = 0, NPI = 0;
  int64_t Shift[TZEEMAN::MAXCOMP + 1] = {};
  int64_t Strength[TZEEMAN::MAXCOMP + 1] = {};
  int64_t ShiftDen = 1, StrDen = 1;
};
// From the Landé fractions gL = GLn/GLd, gU = GUn/GUd and J of both levels; false (with the
// warnings of a bad factor or J pair, silent for a forbidden change of J) when none forms.
bool SetIRUNGE(TIRunge& R, int64_t GLn, int64_t GLd, int64_t GUn, int64_t GUd, double JU,
               double JL);
std::unique_ptr<TStringList> IRungeReport(const TIRunge& R);
double IRungeGEff(const TIRunge& R);
// The sigma components reversed when the first is weaker than the last.
void SortSigma(TZEEMAN& Z);
void SortSigma(TIRunge& R);

// One panel of the test: a pattern or a hyperfine component string.
struct TZeePanel {
  bool HFS = false;
  TZEEMAN Z;
  THFS0 H;
  std::string Title;  // written centred in the panel (empty: none)
};

struct TZeeTestResult {
  std::vector<TZeePanel> Panels;
  std::unique_ptr<TStringList> Report;
  double HfsMin = 0, HfsMax = 0, HfsIntMax = 0;  // the symmetric hyperfine range
};

// The panel layout fields: an integer text, else 4 (and the text becomes "4").
int32_t ZeeLayoutField(std::string& Text);

// A database line's entry: its pattern from 2J and g of both levels (report and panel); a
// pattern that cannot be formed gives the report line "1SetRUNGE-F- ..." and no panel.
void ZeeTestLine(const std::string& Id, const TLIDA& Line, TZeeTestResult& Out);

// Reads the control file and makes the panels and the report (also written to ReportFile when
// it is not empty). SetDLam not 0: the hyperfine range is [-SetDLam, SetDLam]. A missing
// control file warns "Файл [..] не найден!" and gives false.
bool ZeeTestRun(TJob& Job, const std::string& CtrlFile, const std::string& ReportFile,
                double SetDLam, TZeeTestResult& Out);

// Pattern in panel Panel (0-based, row by row from the top, wrapping after InRow x Rows):
// x -4..4 Zeeman-splitting units, y -0.5..0.5; pi strokes up, sigma down, blue at -shift, red at
// +shift; dashed reference lines at +-1.
void ZeeDrawPattern(TGRAF& G, const TZEEMAN& Z, int32_t Panel, int32_t InRow, int32_t Width,
                    int32_t Rows);
void ZeeDrawHFS(TGRAF& G, const THFS0& H, int32_t Panel, int32_t InRow, int32_t Width,
                int32_t Rows, double Min, double Max, double IntMax);
// Every panel of the run on the canvas (white, drawn in black).
void ZeeTestDraw(TGRAF& G, platform::TCanvas& Canvas, const TZeeTestResult& R, int32_t InRow,
                 int32_t Rows, int32_t Width);
