// The solar-limb fit in the harness: test points on an arc, the algebraic circle, the centre for a
// known radius, single steps and the stepping loop (a job), with the memo lines the Test tab
// shows.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "plotting/cvLimb.h"
#include "scans/cvCircleFit.h"
#include "tools/batch/Batch.h"

namespace {

// Lines of two numbers (x y); other lines are skipped.
bool ReadPoints(const std::string& File, TARe& X, TARe& Y) {
  std::ifstream in(File);
  if (!in) return false;
  X.assign(1, 0.0);
  Y.assign(1, 0.0);
  for (std::string l; std::getline(in, l);) {
    std::istringstream s(l);
    std::string a, b;
    if (!(s >> a >> b)) continue;
    int32_t c1 = 0, c2 = 0;
    const double x = ValRealCode(a, c1), y = ValRealCode(b, c2);
    if (c1 != 0 || c2 != 0) continue;
    X.push_back(x);
    Y.push_back(y);
  }
  return true;
}

void Memo(const std::string& L) { std::cout << batch::U8(L) << "\n"; }

int Run(const std::string& Mode, const std::string& File, const TLimbEdits& E, int32_t N,
        uint32_t Seed, double CX, double CY, double R, double Noise, const double* Rect,
        int32_t Steps);
int Loop(const std::string& File, const TLimbEdits& E);

// limb test [--n N] [--centre X Y] [--r R] [--rect X1 X2 Y1 Y2] [--noise E] [--seed S] [OUT]
// limb lsq|find|step|loop FILE [--r R] [--steps K] [--xc X] [--yc Y] [--eps E] [--kx K]
//   [--kf F] [--sigxy S] [--sigr S]
int Limb(const std::vector<std::string>& Args) {
  if (Args.empty()) return batch::Usage();
  const std::string Mode = Args[0];
  TLimbEdits E;
  int32_t N = 200, Steps = 1;
  uint32_t Seed = 1;
  double CX = 512, CY = 512, R = 980, Noise = 0.5;
  double Rect[4] = {1300, 1500, 100, 900};
  std::string File;
  size_t a = 1;
  auto Need = [&](size_t k) { return a + k < Args.size(); };
  auto Real = [&](double& V) {
    int32_t c = 0;
    V = ValRealCode(Args[++a], c);
    return c == 0;
  };
  for (; a < Args.size(); ++a) {
    const std::string& s = Args[a];
    double v = 0;
    if (s == "--n" && Need(1) && Real(v)) N = static_cast<int32_t>(v);
    else if (s == "--seed" && Need(1) && Real(v)) Seed = static_cast<uint32_t>(v);
    else if (s == "--steps" && Need(1) && Real(v)) Steps = static_cast<int32_t>(v);
    else if (s == "--centre" && Need(2) && Real(CX) && Real(CY)) continue;
    else if (s == "--r" && Need(1)) {
      E.Radius = Args[++a];
      R = ValRealOr0(E.Radius);
    }
    else if (s == "--rect" && Need(4) && Real(Rect[0]) && Real(Rect[1]) && Real(Rect[2]) &&
             Real(Rect[3]))
      continue;
    else if (s == "--noise" && Need(1) && Real(Noise)) continue;
    else if (s == "--xc" && Need(1)) E.XC = Args[++a];
    else if (s == "--yc" && Need(1)) E.YC = Args[++a];
    else if (s == "--eps" && Need(1)) E.Eps = Args[++a];
    else if (s == "--kx" && Need(1)) E.Kx = Args[++a];
    else if (s == "--kf" && Need(1)) E.KFactor = Args[++a];
    else if (s == "--sigxy" && Need(1)) E.SigXY = Args[++a];
    else if (s == "--sigr" && Need(1)) E.SigR = Args[++a];
    else if (File.empty() && s.rfind("--", 0) != 0) File = batch::Cp(s);
    else return batch::Usage();
  }
  if (Mode != "test" && Mode != "lsq" && Mode != "find" && Mode != "step" && Mode != "loop")
    return batch::Usage();
  if (Mode != "test" && File.empty()) return batch::Usage();
  if (Mode != "test" && !batch::RequireFile(File, "points file")) return 1;
  if (Mode == "loop") return Loop(File, E);
  int rc = 0;
  TJob job("limb " + Mode);
  const int jr = batch::RunAsJob(job, [&](TJob&) { rc = Run(Mode, File, E, N, Seed, CX, CY, R, Noise, Rect, Steps); });
  return jr != 0 ? jr : rc;
}

int Run(const std::string& Mode, const std::string& File, const TLimbEdits& E, int32_t N,
        uint32_t Seed, double CX, double CY, double R, double Noise, const double* Rect,
        int32_t Steps) {
  if (Mode == "test") {
    auto g = std::make_shared<std::mt19937_64>(Seed);
    TRandom01 Rnd = [g] { return std::uniform_real_distribution<double>(0, 1)(*g); };
    TCirclePts P;
    const bool ok =
        MakeArcPoints(P, {CX, CY}, N, R, Rect[0], Rect[1], Rect[2], Rect[3], Noise, Rnd);
    std::ofstream f;
    if (!File.empty()) f.open(File);
    std::ostream& o = File.empty() ? std::cout : f;
    for (const TCirclePt& p : P) o << ShortSt(10, p.X) << " " << ShortSt(10, p.Y) << "\n";
    if (!File.empty()) std::cout << "points " << P.size() << "\n";
    return ok ? 0 : 1;
  }
  TARe X, Y;
  if (!ReadPoints(File, X, Y)) return 1;
  if (Mode == "lsq" || Mode == "find") {
    TCirclePts P;
    for (size_t i = 1; i < X.size(); ++i) P.push_back({X[i], Y[i]});
    TCirclePt c;
    double r = 0;
    if (Mode == "lsq") {
      if (!CircleLSQ(P, static_cast<int32_t>(P.size()) - 1, c, r)) return 1;
      Memo(LimbLSQLine(c, r));
      return 0;
    }
    if (!CircleFromPoints(P, c, r, R)) return 1;
    std::cout << "C_x=" << ShortSt(8, c.X) << " C_y=" << ShortSt(8, c.Y) << " err=" << ShortSt(4, r)
              << "\n";
    return 0;
  }
  TLimbFit F;
  F.Edits = E;
  F.Memo = Memo;
  if (!F.LimbFitStart(X, Y)) return 1;
  for (int32_t k = 0; k < Steps; ++k) F.CircFitStep();
  std::cout << "lambda " << batch::U8(F.Edits.LamLM) << "\n";
  return 0;
}

// The loop as a job of its own; its lines and last circle once it has ended.
int Loop(const std::string& File, const TLimbEdits& E) {
  TARe X, Y;
  if (!ReadPoints(File, X, Y)) return 1;
  TLimbFit F;
  F.Edits = E;
  F.Memo = Memo;
  if (!F.LimbFitStart(X, Y)) return 1;
  TJob job("CircFitLoop");
  const int rc = batch::RunAsJob(job, [&](TJob& J) { F.CircFitLoop(J); });
  F.LoopDone();
  std::cout << "steps " << F.I << " circle " << ShortSt(8, F.C.XC) << " " << ShortSt(8, F.C.YC)
            << " " << ShortSt(8, F.C.R) << "\n";
  return rc;
}

const TBatchCommand kLimb{
    "limb",
    "limb test [--n N] [--centre X Y] [--r R] [--rect X1 X2 Y1 Y2] [--noise E] [--seed S] [OUT] "
    "| limb lsq|find|step|loop FILE [--r R] [--steps K] [--xc X] [--yc Y] [--eps E] [--kx K] "
    "[--kf F] [--sigxy S] [--sigr S]",
    Limb};

}  // namespace
