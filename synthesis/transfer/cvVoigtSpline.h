// The spline Voigt method: H(a, v) and F(a, v) interpolated in tables of the quadrature values.
//
// Grid: damping nodes ln a_i = ln AMin + (i - 6) DA (i = 1..Na), linear v nodes v_j = (j - 6) Dv
// (j = 1..Nv1) up to VSwitch, logarithmic nodes ln w_k = ln VSwitch + (k - 6) DL (k = 1..Nv2) up
// to VMax; each grid runs five nodes beyond both ends of its range. Table rows (one per damping
// node) carry the row's cubic spline over v (linear table) or over ln v (logarithmic table); a
// value is the cubic through the four rows around ln a at the row splines' values.
//
// Tables: four files "V<Nv>a<Na>_H1.dat", "_H2", "_F1", "_F2" in the root's VOIGT folder (the
// working-directory row VOIGT TAB), rows 0..Na of Nv + 1 doubles (row 0 and element 0 zero), no
// header: 21,626,808 bytes each for the standard grid. Present files are read without a
// question; missing ones are built after one question (Job.Ask), as a job (progress per row, the
// rows on every core: the same tables as one thread), written beside and renamed over.
//
// Outside the tables: a < 0.001 the Taylor expansion, other dampings outside the grid and
// |v| > VMax Humlicek's method. F = +Im w / 2 as every method gives it; F = 0 for |v| < 1e-8.
//
// The loaded tables are the program's (read-only, shared by every thread); the method is made
// current only in the calling thread's calculation context. A failed build, write or read, a
// cancel or a No leaves Humlicek's method current and the files as they were.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TJob;
class TStringList;

struct TVoigtSplineGrid {
  int32_t Na = 2000, Nv1 = 1350, Nv2 = 1350;
  double AMin = 0.001, AMax = 100;  // damping range (nodes 6 and Na - 5)
  double DA = 0;                    // step of ln a
  double LnA6 = 0;                  // ln a of node 6 (ln AMin)
  double Dv = 0.003;                // step of the linear v grid
  double VSwitch = 4, VMax = 2000;  // ends of the linear and of the logarithmic v grid
  double DL = 0;                    // step of ln v
  double T = 2000, Tol = 5e-14;     // quadrature limit and relative tolerance

  // The grid with DA and DL from the ranges and node counts.
  static TVoigtSplineGrid Make(double AMin, double AMax, int32_t Na, double Dv, int32_t Nv1,
                               double VSwitch, double VMax, int32_t Nv2);
  // The program's grid: 2000 damping nodes over 0.001..100, 1350 v nodes of 0.003 to 4 and
  // 1350 logarithmic ones to 2000.
  static TVoigtSplineGrid Standard();
  // Rows First..First+Na-1 of this grid's damping nodes as a grid of their own (same nodes,
  // same v grids).
  TVoigtSplineGrid Rows(int32_t First, int32_t NaRows) const;

  double LnA(int32_t i) const;   // ln a_i
  double V(int32_t j) const;     // v_j
  double LnW(int32_t k) const;   // ln w_k
  // The file of one table ("H1", "H2", "F1", "F2") in Dir.
  std::string FileName(const std::string& Dir, const std::string& Code) const;
  int64_t FileBytes(const std::string& Code) const;
};

// H and F at one node: the quadratures of the Voigt functions over [-T, T] (those of
// VoigtHQuad, VoigtFQuad: F exactly 0 for |v| < 1e-7) taken in parts, so that the adaptive
// quadrature never has to find the narrow peak at t = v inside the whole range (where it can
// give up, or spend thousands of evaluations): beyond |t| = 10 nothing a double holds, the peak
// cut out with its shoulders to 30 a. VoigtSplineSplitNodes: the nodes computed so far.
void VoigtSplineNode(double T, double Tol, double a, double v, double& H, double& F);
int64_t VoigtSplineSplitNodes();

// The quadrature values of damping rows First..Last (1-based), row by row: H1, F1 of Nv1 + 1
// and H2, F2 of Nv2 + 1 doubles per row (element 0 zero). Threads 0: every core; the values do
// not depend on it. Progress per row through Job (when given); false when cancelled.
struct TVoigtSplineValues {
  TVoigtSplineGrid G;
  // rows 0..Na, each Nv + 1 doubles, flat
  std::vector<double> H1, F1, H2, F2;
  void Alloc(const TVoigtSplineGrid& Grid);
};
bool VoigtSplineComputeRows(const TVoigtSplineGrid& G, int32_t First, int32_t Last,
                            TVoigtSplineValues& Out, int32_t Threads, TJob* Job);

// The tables with the row splines, ready to evaluate.
class TVoigtSplineTables {
 public:
  explicit TVoigtSplineTables(const TVoigtSplineValues& Values);
  const TVoigtSplineGrid& Grid() const { return g_; }
  // False (nothing set) outside the tables' damping and v ranges.
  bool Eval(double a, double v, double& H, double& F) const;

 private:
  TVoigtSplineGrid g_;
  double lnA1_, lnW1_, v1_;
  // per row and node: y, B, C, D of H, then of F (eight doubles)
  std::vector<double> lin_, log_;
};

// The spline method on the program's tables (Humlicek's method while none are loaded).
void VoigtSplineEval(double a, double v, double& H, double& F);
// The program's tables (nullptr: none loaded).
std::shared_ptr<const TVoigtSplineTables> VoigtSplineLoaded();
// Makes Tables the program's tables (nullptr: none); the previous ones stay alive.
void SetVoigtSplineTables(std::shared_ptr<const TVoigtSplineTables> Tables);

// Writes the four files (each to a copy renamed over the file); false with a warning when one
// cannot be written (no file replaced then).
bool WriteVoigtSplineFiles(const std::string& Dir, const TVoigtSplineValues& V);
// Reads the four files; false with a warning naming the file when one is missing, of another
// size or unreadable.
bool ReadVoigtSplineFiles(const std::string& Dir, const TVoigtSplineGrid& G,
                          TVoigtSplineValues& V);
// Whether all four files of the grid are in Dir.
bool VoigtSplineFilesPresent(const std::string& Dir, const TVoigtSplineGrid& G);

// The question asked before a build.
std::string VoigtSplineQuestion();

// Prepares the spline method for grid G with the tables in Dir: tables loaded already are kept;
// present files are read; otherwise the question is asked (once: after a No the next
// preparations answer No themselves until AskAgain), and on Yes the tables are built on Threads
// threads (0 every core), written and read back. True when the tables are loaded: the spline
// method is then current in the calling thread's context, else Humlicek's. The job is the calling
// thread's job (a job of its own outside one).
bool VoigtSplinePrepare(const std::string& Dir, const TVoigtSplineGrid& G, int32_t Threads,
                        bool AskAgain);
// The folder of the tables: the working-directory row VOIGT TAB (empty when unknown).
std::string VoigtSplineDir();

// Diagnostic tables: a coarse spline over v (N nodes up to VMax, M fine points between nodes)
// at damping a, and one over ln a (N nodes over 0.001..100) at v, against the quadrature (T =
// 100, tolerance Tol), as the main window shows them.
std::unique_ptr<TStringList> VoigtSplineTestTab(int32_t N, int32_t M, double a, double Tol,
                                                double VMax);
std::unique_ptr<TStringList> VoigtDampingTab(int32_t N, int32_t M, bool All, double Tol,
                                             double v);
