// The measuring options of "unno-load": every profile of a result file measured as the Unno
// tab's table shows it (depth, equivalent width, level-curve table, bisector points, nine-level
// bisector, field from the centres of gravity of I+-V, moments, width and bisector at a level),
// and what its buttons run: differences and sums of profiles, the macroturbulence fit against a
// reference, a contribution or response function stored in the keeper, and the reports. Each
// list-wide piece of work is a job (progress per profile; --cancel-after stops it, keeping the
// profiles done); a failing job leaves the program and the list as they were.
#include <cstdio>
#include <iostream>

#include "foundation/cvJob.h"
#include "foundation/cvStr.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnnoMeasure.h"
#include "tools/batch/Batch.h"
#include "tools/batch/UnnoMeasure.h"

namespace {

std::string Num(double x) {
  char b[40];
  std::snprintf(b, sizeof b, "%.9g", x);
  return b;
}

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

template <size_t N>
std::string Row(const std::array<double, N>& A) {
  std::string s;
  for (double x : A) s += " " + Num(x);
  return s;
}

// The list-wide jobs stop after --cancel-after profiles (set inside the job, after the runner's
// progress display).
void CancelAfter(TJob& J, long N) {
  if (N < 0) return;
  J.OnProgress = [&J, N, shown = J.OnProgress](const TJobProgress& P) {
    if (shown) shown(P);
    if (P.Done >= N) J.Cancel();
  };
}

TUNNO* ByK(TLUNNO& List, int K) {
  TVARIATOR* V = VariCtx().VARI;
  TUNNO* U = V ? List.GetByVar(V->QUEST, V->IQ, K) : nullptr;
  if (!U) std::cerr << "corvesta-batch: no profile of combination " << K << "\n";
  return U;
}

void PrintProfile(const TUNNO& U, const char* Title) {
  std::cout << Title << " Q=" << batch::U8(U.QUEST) << " IQ=" << U.IQ << " K=" << U.KVARI
            << " KDif=" << U.KDif << " NDL=" << U.NDL << " KSym=" << U.KSym << " K4=" << U.K4
            << " CONT=" << Num(U.CONT) << " PART=" << Num(U.PART) << "\n";
  for (int32_t i = 1; i <= U.NDL && i < static_cast<int32_t>(U.UI.size()); ++i) {
    std::cout << "row " << Num(U.UL[i]) << " " << Num(U.UI[i]);
    if (U.K4 != 1 && i < static_cast<int32_t>(U.UV.size()))
      std::cout << " " << Num(U.UQ[i]) << " " << Num(U.UU[i]) << " " << Num(U.UV[i]);
    std::cout << "\n";
  }
  const int32_t levels = NOf(U.YInt);
  for (int32_t k = 1; k <= levels; ++k)
    std::cout << "level " << Num(U.YInt[k]) << " " << Num(U.WingL[k]) << " " << Num(U.WingR[k])
              << " " << Num(U.BiSec[k]) << " " << Num(U.Width[k]) << "\n";
}

int Worst(int A, int B) { return A != 0 ? A : B; }

}  // namespace

TUnnoMeasureArgs TakeMeasureArgs(std::vector<std::string>& Args) {
  TUnnoMeasureArgs o;
  std::vector<std::string> rest;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    auto text = [&](std::string& To) {
      if (i + 1 < Args.size()) To = batch::Cp(Args[++i]);
      else o.Bad = true;
      o.Any = true;
    };
    auto real = [&](double& To) {
      std::string t;
      text(t);
      int32_t code = 0;
      To = ValRealCode(t, code);
      if (code != 0) o.Bad = true;
    };
    auto integer = [&](int& To) {
      double x = 0;
      real(x);
      To = static_cast<int>(x);
      if (To != x) o.Bad = true;
    };
    if (a == "--measure") o.Measure = o.Any = true;
    else if (a == "--levels") o.Levels = o.Measure = o.Any = true;
    else if (a == "--rstep") real(o.RStep);
    else if (a == "--wline") real(o.WLine);
    else if (a == "--kmul") integer(o.KMul);
    else if (a == "--cog-index") o.CogIndex = true;
    else if (a == "--level") {
      std::string k;
      text(k);
      if (k == "1" || k == "A") o.LevelKind = 'A';
      else if (k == "D0" || k == "C") o.LevelKind = 'C';
      else if (k == "Dmax" || k == "P") o.LevelKind = 'P';
      else o.Bad = true;
      real(o.Level);
    } else if (a == "--dif") {
      integer(o.Dif[0]);
      integer(o.Dif[1]);
    } else if (a == "--dif2") {
      integer(o.Dif2[0]);
      integer(o.Dif2[1]);
    } else if (a == "--sum") {
      std::string t;
      text(t);
      for (const std::string& w : {t}) {
        size_t p = 0;
        while (p <= w.size()) {
          const size_t q = w.find(',', p);
          const std::string n = w.substr(p, q == std::string::npos ? std::string::npos : q - p);
          int32_t code = 0;
          const int k = ValIntCode(n, code);
          if (code != 0) o.Bad = true;
          o.SumK.push_back(k);
          if (q == std::string::npos) break;
          p = q + 1;
        }
      }
    } else if (a == "--fit") integer(o.FitRef);
    else if (a == "--fill-dif") integer(o.FillDifRef);
    else if (a == "--cfrf") text(o.CFRF);
    else if (a == "--slice") integer(o.Slice);
    else if (a == "--filter") text(o.Filter);
    else if (a == "--report") {
      std::string r;
      text(r);
      o.Reports.push_back(r);
    } else if (a == "--cancel-after") {
      double x = 0;
      real(x);
      o.CancelAfter = static_cast<long>(x);
    } else rest.push_back(a);
  }
  Args = rest;
  return o;
}

int RunMeasureArgs(const TUnnoMeasureArgs& O, TLUNNO& List) {
  TVARIATOR* V = VariCtx().VARI;
  const std::string quest = V ? V->QUEST : std::string();
  const int32_t iq = V ? V->IQ : 0;
  std::vector<TUNNO*> own;
  for (int32_t i = 0; i < List.Count(); ++i)
    if (List.Items(i)->KDif == 0) own.push_back(List.Items(i));
  int rc = 0;
  if (O.Measure) {
    TUnnoMeasureOpts mo;
    mo.RStep = O.RStep;
    mo.COGInAngstrom = !O.CogIndex;
    mo.WLine = O.WLine;
    mo.KMul = O.KMul;
    mo.LevelKind = O.LevelKind;
    mo.Level = O.Level;
    std::vector<TUnnoMeasure> rows;
    TJob job("UNNO measure " + quest);
    rc = Worst(rc, batch::RunAsJob(job, [&](TJob& J) {
      CancelAfter(J, O.CancelAfter);
      MeasureUnnoList(J, own, mo, rows);
    }));
    for (size_t n = 0; n < rows.size(); ++n) {
      TUNNO& U = *own[n];
      const TUnnoMeasure& r = rows[n];
      std::cout << "profile K=" << U.KVARI << " IQ=" << U.IQ << " LIN=" << batch::U8(U.sULin)
                << " NDL=" << U.NDL << " LAMB=" << Num(U.LAMB) << "\n";
      std::cout << "depth " << Num(r.Depth) << " d0 " << Num(r.D0) << " EqWidthDef "
                << Num(r.EqWidth) << "\n";
      std::cout << "levels " << r.Levels << " RStep " << Num(U.RStep) << "\n";
      if (O.Levels)
        for (int32_t k = 1; k <= r.Levels; ++k)
          std::cout << "level " << Num(U.YInt[k]) << " " << Num(U.WingL[k]) << " "
                    << Num(U.WingR[k]) << " " << Num(U.BiSec[k]) << " " << Num(U.Width[k])
                    << "\n";
      std::cout << "BisecPoints" << Row(r.BisecPts) << "\n";
      std::cout << "Bisector9" << Row(r.Bisec9) << "\n";
      std::cout << "COGivField B" << Row(r.CogB) << "\n";
      std::cout << "COGivField v" << Row(r.CogVel) << "\n";
      std::cout << "COGivField core " << Num(r.CoreB) << " B06 " << Num(r.B06) << " B94 "
                << Num(r.B94) << "\n";
      std::cout << "moments V1 " << Num(r.VMoment1) << " V2 " << Num(r.VMoment2) << " Va "
                << Num(r.VaMoment) << " Q1 " << Num(r.QMoment1) << " Q2 " << Num(r.QMoment2)
                << " Qa " << Num(r.QaMoment) << " I1 " << Num(r.IMoment1) << " I2 "
                << Num(r.IMoment2) << "\n";
      std::cout << "at " << O.LevelKind << " " << Num(O.Level) << " WidthAt " << Num(r.WidthAt)
                << " BisecAt " << Num(r.BisecAt) << "\n";
    }
    std::cout << "measured " << rows.size() << " of " << own.size() << "\n";
  }
  auto pair = [&](const int K[2], bool Two) {
    TUNNO* a = ByK(List, K[0]);
    TUNNO* b = ByK(List, K[1]);
    if (!a || !b) return 1;
    TUNNO d;
    d.SetDefaults();
    TJob job(std::string(Two ? "UNNO.Dif2 " : "UNNO.Dif ") + quest);
    const int r = batch::RunAsJob(job, [&](TJob&) {
      if (Two)
        d.Dif2(*a, *b);
      else
        d.Dif(*a, *b);
    });
    if (r == 0) PrintProfile(d, Two ? "dif2" : "dif");
    return r;
  };
  if (O.Dif[0] > 0) rc = Worst(rc, pair(O.Dif, false));
  if (O.Dif2[0] > 0) rc = Worst(rc, pair(O.Dif2, true));
  if (!O.SumK.empty()) {
    std::vector<const TUNNO*> members;
    for (int k : O.SumK)
      if (TUNNO* u = ByK(List, k)) members.push_back(u);
    TUNNO s;
    s.SetDefaults();
    TJob job("UNNO.Sum " + quest);
    const int r = batch::RunAsJob(job, [&](TJob&) { s.Sum(members); });
    if (r == 0) PrintProfile(s, "sum");
    rc = Worst(rc, r);
  }
  if (O.FitRef > 0) {
    if (TUNNO* ref = ByK(List, O.FitRef)) {
      // the reference as an observation comes: a copy divided by its continuum
      TUNNO obs;
      obs.CopyFrom(*ref);
      obs.sULin = ref->sULin;
      if (obs.KCONT != 1) obs.DivCont();
      TJob job("UNNO.AdJust " + quest);
      int32_t fitted = 0;
      std::vector<TUNNO*> others;
      for (TUNNO* u : own)
        if (u != ref) others.push_back(u);
      rc = Worst(rc, batch::RunAsJob(job, [&](TJob& J) {
        CancelAfter(J, O.CancelAfter);
        fitted = AdJustList(J, others, obs);
      }));
      for (TUNNO* u : others)
        std::cout << "fit K=" << u->KVARI << " Vma9 " << Num(u->Vma9) << " dIRef "
                  << Num(u->dIRef) << " dIR2 " << Num(u->dIR2) << "\n";
      std::cout << "fitted " << fitted << "\n";
    } else {
      rc = Worst(rc, 1);
    }
  }
  if (O.FillDifRef > 0) {
    if (TUNNO* ref = ByK(List, O.FillDifRef)) {
      for (TUNNO* u : own)
        if (u != ref) u->URef = ref;
      TJob job("LUNNO.FillDif " + quest);
      rc = Worst(rc, batch::RunAsJob(job, [&](TJob& J) {
        CancelAfter(J, O.CancelAfter);
        List.FillDif(J, quest);
      }));
      int n = 0;
      for (int32_t i = 0; i < List.Count(); ++i)
        if (List.Items(i)->KDif == 1) {
          ++n;
          PrintProfile(*List.Items(i), "difprofile");
        }
      std::cout << "difference profiles " << n << "\n";
    } else {
      rc = Worst(rc, 1);
    }
  }
  if (!O.CFRF.empty()) {
    TJob job("CFRF " + quest);
    std::string name;
    bool stored = false;
    TARe x, y;
    rc = Worst(rc, batch::RunAsJob(job, [&](TJob&) {
      List.ExtractCFRF(O.CFRF, quest, x, y, O.Slice, iq, O.Filter);
      stored = StoreCFRF(List, O.CFRF, quest, iq, O.Slice, O.Filter, name);
    }));
    std::cout << "cfrf points " << (x.empty() ? 0 : x.size() - 1) << "\n";
    for (size_t i = 1; i < x.size() && i < y.size(); ++i)
      std::cout << "cfrf " << Num(x[i]) << " " << Num(y[i]) << "\n";
    std::cout << "cfrf stored " << (stored ? 1 : 0) << " " << batch::U8(name) << "\n";
    if (stored && CalcCtx().LVEMO) Print(CalcCtx().LVEMO->ReportList().get());
  }
  for (const std::string& r : O.Reports) {
    std::unique_ptr<TStringList> out;
    if (r == "list") out = List.List();
    else if (r == "vary") out = List.ReportListVary();
    else if (r == "quest") out = List.ReportQuest(quest, iq);
    else if (r == "quest4") out = List.ReportQuest4Tesk(quest, iq);
    else if (r == "vorn") out = List.ReportVorn(quest);
    else if (r == "lambs") out = List.ReportLambs(quest, iq);
    else if ((r == "vector" || r == "dump") && !own.empty())
      out = r == "vector" ? own.front()->ReportVector() : own.front()->FieldDump();
    else {
      std::cerr << "corvesta-batch: no report " << r << "\n";
      rc = Worst(rc, 2);
      continue;
    }
    std::cout << "report " << r << "\n";
    Print(out.get());
  }
  std::cout << "list " << List.Count() << " profiles; VARI K=" << (V ? V->KIdx : 0) << "\n";
  return rc;
}
