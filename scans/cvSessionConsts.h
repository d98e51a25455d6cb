// Session constants: numbers that reduce a whole session's maps and go as cards into the main
// header of the session's own output file (the expression language reads them as "$CB0", the
// sessions grid shows them): the field-free continuum level CB0 with the line-of-sight velocities
// VW1, VW2 there, the area summary of limb, umbra, penumbra and field-free plasma with the
// session's duration, and the largest fields (BML). Also the disc-geometry maps "rR_LM" and
// "cosTet" of "d2Circ". Each is a job over the map registry (progress, cancel between steps);
// the header is written only at the end, when everything is computed. Sessions are
// yyyymmdd_hhmmss; messages go through WARNAbs.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/cvTy.h"

class TJob;
class TLFITS;
class TStringList;

// Cards (key, whole 80-character card) set in the session's own output file's main header and
// keys removed from it; the registry's copy of that header follows. False (file untouched) when
// the file is missing or the grown header does not fit the room the file keeps for it.
bool SetSessionCards(const std::string& Session,
                     const std::vector<std::pair<std::string, std::string>>& Cards,
                     const std::vector<std::string>& Remove);

// The smoothed histogram a session constant is read from: N bins of the sorted values between
// the fractions 2/N and 1 - 2/N, N = round(4 sqrt(nX nY)), a three-point running mean, its peak.
struct TPeakHist {
  int32_t N = 0;
  double FracLo = 0, FracHi = 0;
  double Lo = 0, Hi = 0;  // the values at the two fractions: the histogram's edges
  TARe X, Count, Smooth;  // 1-based bin means, counts, smoothed counts
  int32_t IMax = 0;
  double PMax = 0, XPeak = 0;
};
int32_t PeakHistBins(int32_t NX, int32_t NY);
void MakePeakHist(const TARe& Values, int32_t NX, int32_t NY, TPeakHist& H);
// Where the smoothed histogram falls to Level left (Lo) and right (Hi) of its peak; a side where
// it stays above the level ends at the histogram's edge.
void PeakCrossings(const TPeakHist& H, double Level, double& Lo, double& Hi);

struct TCB0Result {
  double CB0 = 0, VW1 = 0, VW2 = 0;
  TStringList* Table = nullptr;  // the "Polariz" table when given
  TPeakHist Hist;
  bool Written = false;
};
// CB0, VW1, VW2 of the session (its own file's CONT, W2QUV195, W2QUV295, LWb1, LWr1, LWb2,
// LWr2); cards "CB0", "VW1", "VW2" written at the end. The means are those of the levels some
// pixel passes; when none does, nothing is written (false with the message).
bool CalcCB0(TJob& Job, const std::string& Session, TCB0Result& R);

struct TSummaryResult {
  double pLimb = 0, pU = 0, ppu = 0, minCB0 = 0, pB077 = 0, pB007 = 0, tDura = 0, tDay = 0;
  double Lo = 0, Hi = 0;
  TStringList* Error = nullptr;  // the histogram table when its crossings are out of order
  bool Written = false;
};
// The area summary (needs the session's CB0 card); Scan is linked to the session and its
// headers read when it holds another one.
bool CalcSessionSummary(TJob& Job, const std::string& Session, TLFITS& Scan, TSummaryResult& R);

struct TBMLResult {
  double maBML1 = 0, maBML2 = 0, maBIV = 0, miBIV = 0;
  bool Written = false;
};
bool CalcBMLSummary(TJob& Job, const std::string& Session, TBMLResult& R);

// ---- disc geometry ----
// The real value of Key in the own file's main header the registry read (cards 0..72), else in
// the inversion-result file's; 0 (true) when neither holds it; false with the message when its
// text is no number.
bool MainKeyReal(const std::string& Key, double& Value);
// rR_LM (distance from the disc centre in solar radii) and cosTet (cosine of the heliocentric
// angle, negative outside the limb) of a point; Circle and kXY from the limb fit.
void DiscGeometry(double X, double Y, double XC, double YC, double R, double kXY, double& rR,
                  double& CosTet);
// The maps "rR_LM" and "cosTet" of the session from its coordinate maps and the limb-fit cards,
// registered at the end (file kind 1: the own output file). Names (may be null) gets them.
bool CalcD2Circ(TJob& Job, const std::string& Session, std::vector<std::string>* Names = nullptr);
