// A fresh synthesis layer for one test (new services, the sink recording every warning with
// warnings switched on, a variator context of the thread's own) and synthetic profiles made by
// the test: a Gaussian depression in I and an antisymmetric V on an even grid, full or half.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/cvSayer.h"
#include "models/variator/cvVariContext.h"
#include "support/SinkRecorder.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvUnno.h"

namespace testsupport {

class SynEnv {
 public:
  SynEnv()
      : sink(SinkRecorder::kWarnOn | SinkRecorder::kStripWarnPrefix), scope(ctx) {
    ResetSynthesisServices();
    Synthesis().Quest.Install([] { return std::string("QTEST"); });
  }
  ~SynEnv() { ResetSynthesisServices(); }

  // The number of recorded warnings holding Part.
  int Count(const std::string& Part) const {
    int n = 0;
    for (const auto& t : sink.texts) n += t.find(Part) != std::string::npos;
    return n;
  }

  SinkRecorder sink;
  TOwnVariContext ctx;
  TVariScope scope;
};

// The synthetic line: I = C (1 - D exp(-((l - L0)/Wi)^2)), V = C A u exp(-u^2) with
// u = (l - Lv)/Wv, Q = U = 0.
struct TLine {
  double L0 = 6302.513, D = 0.6, Wi = 0.05;
  double Lv = 6302.513, A = 0.2, Wv = 0.04;
  double C = 1;
  double I(double l) const {
    const double x = (l - L0) / Wi;
    return C * (1 - D * std::exp(-x * x));
  }
  double V(double l) const {
    const double u = (l - Lv) / Wv;
    return C * A * u * std::exp(-u * u);
  }
};

// A full profile on From, From + Step, ... up to To (defaults of a new profile, CONT = Line.C).
inline void MakeFull(TUNNO& U, const TLine& Line, double From, double To, double Step) {
  U.SetDefaults();
  const int32_t n = static_cast<int32_t>(std::llround((To - From) / Step)) + 1;
  U.SetULEqd(n, Line.L0, To, From);
  U.AllocU();
  for (int32_t i = 1; i <= n; ++i) {
    U.UI[i] = Line.I(U.UL[i]);
    U.UV[i] = Line.V(U.UL[i]);
  }
  U.CONT = Line.C;
}

// A half profile of N points from the line centre Line.L0 outwards with the step in mA.
inline void MakeHalf(TUNNO& U, const TLine& Line, int32_t N, double StepMA) {
  U.SetDefaults();
  U.PureUL(N, 0, Line.L0, StepMA * (N - 1), 0);
  U.AllocU();
  for (int32_t i = 1; i <= N; ++i) {
    U.UI[i] = Line.I(U.UL[i]);
    U.UV[i] = Line.V(U.UL[i]);
  }
  U.CONT = Line.C;
}

}  // namespace testsupport
