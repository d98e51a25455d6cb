#include "synthesis/profiles/cvUnnoMeasure.h"

#include "foundation/cvJob.h"

void MeasureUnno(TUNNO& U, const TUnnoMeasureOpts& Opts, TUnnoMeasure& R) {
  R = TUnnoMeasure();
  R.Depth = U.GetDepth();
  R.D0 = U.GetD0();
  R.EqWidth = U.EqWidthDef('I');
  U.RStep = Opts.RStep;
  U.Bisector();
  R.Levels = NOf(U.YInt);
  auto& b = R.BisecPts;
  U.BisecPoints(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
  R.WidthAt = U.WidthAt(Opts.LevelKind, Opts.Level);
  R.BisecAt = U.BisecAt(Opts.LevelKind, Opts.Level);
  R.VMoment1 = U.VMoment1();
  R.VMoment2 = U.VMoment2();
  R.VaMoment = U.VaMoment();
  R.QMoment1 = U.QMoment1();
  R.QMoment2 = U.QMoment2();
  R.QaMoment = U.QaMoment();
  R.IMoment1 = U.IMoment1();
  R.IMoment2 = U.IMoment2();
  U.Bisector9();
  R.Bisec9 = U.Bi9A;
  if (U.K4 != 1) {
    U.COGivField(Opts.COGInAngstrom, Opts.WLine, Opts.KMul);
    R.CogVel = U.CogV;
    R.CogB = U.CogB;
    R.B06 = U.B06;
    R.B94 = U.B94;
    R.CoreB = U.CoreB;
  }
}

void MeasureUnnoList(TJob& Job, const std::vector<TUNNO*>& List, const TUnnoMeasureOpts& Opts,
                     std::vector<TUnnoMeasure>& Results) {
  Results.clear();
  const int64_t n = static_cast<int64_t>(List.size());
  for (int64_t i = 0; i < n; ++i) {
    TUNNO& U = *List[static_cast<size_t>(i)];
    if (!Job.Step(i, n, "UNNO " + UnnoName(U))) return;
    TUnnoMeasure r;
    MeasureUnno(U, Opts, r);
    Results.push_back(r);
  }
  Job.Step(n, n, "UNNO");
}

int32_t AdJustList(TJob& Job, const std::vector<TUNNO*>& List, TUNNO& Reference) {
  int32_t fitted = 0;
  const int64_t n = static_cast<int64_t>(List.size());
  for (int64_t i = 0; i < n; ++i) {
    TUNNO& U = *List[static_cast<size_t>(i)];
    if (!Job.Step(i, n, "UNNO.AdJust " + UnnoName(U))) return fitted;
    if (&U != &Reference && U.AdJust(Reference)) ++fitted;
  }
  Job.Step(n, n, "UNNO.AdJust");
  return fitted;
}
