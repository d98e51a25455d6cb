#include "plotting/cvLimb.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "plotting/cvGRAD.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPlotShapes.h"
#include "scans/cvFitsCard.h"
#include "scans/cvLFIOut.h"

namespace {

std::string NoPointsText() { return "Подбор окружности: точек предела нет (таблица пуста)!"_cp; }

}  // namespace

std::string LimbLSQLine(const TCirclePt& Centre, double R) {
  return "C_x=" + ShortSt(5, Centre.X) + " C_y=" + ShortSt(5, Centre.Y) + " R=" + ShortSt(6, R);
}

double TLimbFit::Num(const std::string& Text, double Default) const {
  int32_t code = 0;
  const double v = ValRealCode(TrimCtl(Text), code);
  if (code != 0 || !std::isfinite(v)) {
    WARNAbs("Предел солнца: неверное число <"_cp + Text + ">, взято " + ShortSt(6, Default));
    return Default;
  }
  return v;
}

void TLimbFit::LimbScaleXY(double S) {
  const size_t n = Y.size();
  for (size_t i = 1; i < n && i < X.size(); ++i) {
    X[i] *= S;
    Y[i] /= S;
  }
}

void TLimbFit::LimbPointsFromXY() {
  N = Y.empty() ? 0 : static_cast<int32_t>(Y.size()) - 1;
  P.assign(static_cast<size_t>(N), TCirclePt{});
  for (int32_t i = 0; i < N; ++i)
    P[static_cast<size_t>(i)] = TCirclePt{X[static_cast<size_t>(i) + 1],
                                          Y[static_cast<size_t>(i) + 1]};
}

bool TLimbFit::LimbFitStart(const TARe& AX, const TARe& AY) {
  X = AX;
  Y = AY;
  if (X.size() < Y.size()) X.resize(Y.size(), 0.0);
  const double k = Num(Edits.Kx, 1.0);
  LimbScaleXY(std::sqrt(std::fabs(k)));
  LimbPointsFromXY();
  if (N < 1) {
    WARNAbs(NoPointsText());
    return false;
  }
  if (Plotter) {
    if (PreparePicture) PreparePicture();
    Plotter->UpDateCurGraph(X, Y, 1, 0, "_oK 1", "CurLimb(Ellipsed)", "X", "Y", "", "");
  }
  TCirclePt Centre;
  double R = 0;
  if (CircleLSQ(P, N - 1, Centre, R) && Memo) Memo(LimbLSQLine(Centre, R));
  C = TCircle{Num(Edits.XC, 0), Num(Edits.YC, 0), Num(Edits.Radius, 980)};
  if (Plotter) {
    AddCircle(*Plotter, C.XC, C.YC, C.R);
    Plotter->PlayOnce();
  }
  I = 0;
  Eps = Num(Edits.Eps, 1e-3);
  Lambda = 1;
  S1 = 1;
  S2 = 2;
  return true;
}

TCircle TLimbFit::StepCore(std::vector<std::string>& Lines) {
  const double kF = Num(Edits.KFactor, 0.5), sXY = Num(Edits.SigXY, -1), sR = Num(Edits.SigR, 0);
  double gx = 0, gy = 0;
  CircGrad(P, C, gx, gy);
  const double a = Lambda * Eps;
  Edits.LamLM = ShortSt(4, a);
  double sd = 0;
  for (const TCirclePt& p : P) sd += DistToCircle(p, C);
  const double n = P.empty() ? 1 : static_cast<double>(P.size());
  const double dx = -gx * a * sXY, dy = -gy * a * sXY, dR = sR * sd / n;
  auto Line = [&](const char* Head) {
    return std::string(Head) + " I=" + IntStr(I) + " XC=" + ShortSt(5, C.XC) + " YC=" +
           ShortSt(5, C.YC) + " R=" + ShortSt(5, C.R) + " e2/e1=" + ValSt(3, S2 / S1) +
           " dx=" + ShortSt(4, dx) + " dy=" + ShortSt(4, dy) + " dR=" + ShortSt(4, dR);
  };
  Lines.push_back(Line(">>"));
  const TCircle Trial{C.XC + dx, C.YC + dy, C.R + dR};
  S1 = SumSqToCircle(P, C);
  S2 = SumSqToCircle(P, Trial);
  if (S2 > S1) {
    Lambda *= kF;
  } else {
    C = Trial;
    Lambda /= kF;
  }
  Lines.push_back(Line("<<"));
  ++I;
  return Trial;
}

void TLimbFit::Draw(const TCircle& Trial, bool Accepted) {
  if (!Plotter) return;
  AddCirclePic(*Plotter, "NewCIRCLE", 'B', Trial.XC, Trial.YC, Trial.R);
  if (Accepted) AddCircle(*Plotter, C.XC, C.YC, C.R);
  Plotter->PlayOnce();
}

void TLimbFit::CircFitStep() {
  if (P.empty()) {
    WARNAbs(NoPointsText());
    return;
  }
  std::vector<std::string> Lines;
  const TCircle Trial = StepCore(Lines);
  if (Memo)
    for (const std::string& L : Lines) Memo(L);
  Draw(Trial, !(S2 > S1));
}

void TLimbFit::CircFitLoop(TJob& Job) {
  Pending_.clear();
  LoopRan_ = true;
  I = 0;
  if (P.empty()) {
    Job.Warn(NoPointsText());
    return;
  }
  while (true) {
    if (!Job.Step(I, MaxLoopSteps, "CircFitLoop")) {
      Job.Warn("Подбор окружности прерван на шаге "_cp + IntStr(I) +
               ", оставлена последняя принятая окружность"_cp);
      break;
    }
    LastTrial_ = StepCore(Pending_);
    if (I > MaxLoopSteps) break;
    // All points on the circle: both sums 0, nothing left to improve.
    if (S1 + S2 == 0 || std::fabs(S2 - S1) / (S2 + S1) < Eps) break;
  }
}

void TLimbFit::LoopDone() {
  if (Memo)
    for (const std::string& L : Pending_) Memo(L);
  Pending_.clear();
  if (LoopRan_ && I > 0) Draw(LastTrial_, true);
  LoopRan_ = false;
}

bool TLimbFit::LimbFromHeader() {
  double v = 0;
  const TLFIOut* R = LFIOOrNull();
  if (!R || !R->HcvSL || !rdHdVar("SOLAR_RA", v)) {
    WARNAbs("Не удалось прочитать в LFIO.HcvSL параметр SOLAR_RA!"_cp);
    return false;
  }
  const TStringList* H = R->HcvSL.get();
  const int32_t Last = std::min(72, H->Count() - 1);
  auto Key = [&](const char* K, const char* Empty) {
    const std::string t = GetFITKey(K, H, 0, Last);
    return t.empty() ? std::string(Empty) : t;
  };
  Edits.Radius = Key("SOLAR_RA", "");
  if (Edits.Radius.empty()) Edits.Radius = ShortSt(8, v);
  Edits.XC = Key("SOLXC_LM", "0");
  Edits.YC = Key("SOLYC_LM", "0");
  Edits.Kx = Key("SOLkXY", "1.0");
  return true;
}
