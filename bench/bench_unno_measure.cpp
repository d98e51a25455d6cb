// The Unno table's measurements of a profile (GetDepth, EqWidthDef, the level-curve table at
// RStep 0.005, BisecPoints, Bisector9, COGivField, the eight moments) on the Fe I 6301.5 + 6302.5
// pair profiles of the instrument grid (112 points) against the Runge-Kutta synthesis of the same
// profiles, both on one thread, in the same run: us per profile. The synthesis runs through the
// command-line harness (its own process, "synth --counts --summary --threads 1"); its profiles
// are read back from the summary rows and measured here, again and again on the same objects
// (their work arrays are kept). Both are timed in CPU seconds, so that a loaded machine does not
// tilt the ratio: the measurements by the thread's CPU clock, the synthesis by the CPU its
// combinations took ("cpu" of --counts, one thread); wall times are the counters "wall_us".
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  double CpuPerProfile = 0;  // synthesis CPU seconds per profile
  std::map<std::string, double> Counts;
  std::vector<std::unique_ptr<TUNNO>> Profiles;
  bool Ok = false;
};

double ChildCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// One synthesis of the pair at the given fields and inclinations: its counts, CPU seconds and
// (with Keep) its profiles read back from the summary rows.
bool Synth(const fs::path& Dir, const std::string& Name, const std::string& H, TRun& Run,
           bool Keep, double& Cpu) {
  const fs::path quest = Dir / "Demo" / "ONE" / (Name + ".DAT");
  std::ofstream(quest) << "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n"
                          "#LIN FE6301 FE6302=#\n#LAMB 6302.0 #\n"
                          "#DL0 -1195.9695 #\n#DLK 1195.9695 #\n#NLAM 112 #\n"
                          "#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n"
                          "#H "
                       << H << " #\n#GM 30 60 #\n#XI 20 #\n#RUN CONT #\n";
  const fs::path log = Dir / (Name + ".log");
  const std::string cmd = "'" + std::string(CORVESTA_BATCH) +
                          "' synth --counts --summary --threads 1 --project '" +
                          (Dir / "Demo").string() + "' --out '" + (Dir / (Name + ".txt")).string() +
                          "' '" + quest.string() + "' > '" + log.string() + "' 2>/dev/null";
  const double c0 = ChildCpu();
  const int rc = std::system(cmd.c_str());
  Cpu = ChildCpu() - c0;
  if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) return false;
  std::ifstream in(log);
  std::string line;
  TUNNO* u = nullptr;
  std::vector<double> l, i, q, uu, v;
  auto close = [&] {
    if (!u || l.size() < 2) return;
    const int32_t n = static_cast<int32_t>(l.size());
    u->SetDefaults();
    u->QUEST = "rk";
    u->IQ = 1;
    u->sULin = "FE6302";
    TARe L{0};
    L.insert(L.end(), l.begin(), l.end());
    u->SetUL(L, 6302.0, false);
    u->AllocU();
    for (int32_t k = 1; k <= n; ++k) {
      u->UI[k] = i[k - 1];
      u->UQ[k] = q[k - 1];
      u->UU[k] = uu[k - 1];
      u->UV[k] = v[k - 1];
    }
    u->CONT = 1;
    u->KCONT = 1;
    u->K4 = 4;
    // the moments refer to the grid point at the 6302.5 line
    int32_t c = 1;
    for (int32_t k = 2; k <= n; ++k)
      if (std::fabs(u->UL[k] - 6302.4936) < std::fabs(u->UL[c] - 6302.4936)) c = k;
    u->ILAM = c;
    u->LAMB = u->UL[c];
  };
  while (std::getline(in, line)) {
    std::istringstream w(line);
    std::string head;
    w >> head;
    if (head == "counts") {
      std::string kv;
      while (w >> kv) {
        const size_t eq = kv.find('=');
        if (eq != std::string::npos)
          Run.Counts[kv.substr(0, eq)] = std::strtod(kv.c_str() + eq + 1, nullptr);
      }
    } else if (head == "profile" && Keep) {
      close();
      Run.Profiles.push_back(std::make_unique<TUNNO>());
      u = Run.Profiles.back().get();
      l.clear(), i.clear(), q.clear(), uu.clear(), v.clear();
    } else if (head == "row" && u) {
      double a[5] = {};
      int n = 0;
      while (n < 5 && (w >> a[n])) ++n;
      if (n == 5) {
        l.push_back(a[0]), i.push_back(a[1]), q.push_back(a[2]), uu.push_back(a[3]),
            v.push_back(a[4]);
      }
    }
  }
  close();
  return Run.Counts.count("seconds") != 0;
}

// Twenty pair profiles (10 fields x 2 inclinations).
TRun& Run() {
  static TRun r = [] {
    TRun run;
    const fs::path dir =
        fs::temp_directory_path() / ("corvesta_bench_unno_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(CORVESTA_ROOT) / "Projects" / "Demo", dir / "Demo",
             fs::copy_options::recursive);
    double cpu = 0;
    const bool ok = Synth(dir, "rk20", "200 400 600 800 1000 1200 1400 1600 1800 2000", run,
                          true, cpu);
    fs::remove_all(dir);
    run.Ok = ok && !run.Profiles.empty() && run.Counts.count("cpu") && run.Counts["profiles"] > 0;
    if (run.Ok) run.CpuPerProfile = run.Counts["cpu"] / run.Counts["profiles"];
    return run;
  }();
  return r;
}

// The line the field measurement takes its Landé factor from.
void LineList() {
  CreateLineLists();
  if (LLIDA->GetAtLine("FE6302")) return;
  auto l = std::make_unique<TLIDA>();
  l->sIdL = "FE6302";
  l->JL2 = 2;
  l->JU2 = 0;
  l->GL = 2.5;
  l->GU = 0;
  l->LAMB = 6302.4936;
  LLIDA->AddUnique(std::move(l));
}

double Table(TUNNO& U) {
  double s = U.GetDepth() + U.EqWidthDef('I');
  U.RStep = 0.005;
  U.Bisector();
  double p[8];
  U.BisecPoints(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
  U.Bisector9();
  U.COGivField(true, 0.1, 2);
  s += U.VMoment1() + U.VMoment2() + U.VaMoment() + U.QMoment1() + U.QMoment2() +
       U.QaMoment() + U.IMoment1() + U.IMoment2();
  return s + p[0] + U.Bi9B[4] + U.CoreB;
}

double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + 1e-9 * t.tv_nsec;
}

void Measure(benchmark::State& State) {
  TRun& r = Run();
  if (!r.Ok) {
    State.SkipWithError("synth failed");
    return;
  }
  LineList();
  for (auto& u : r.Profiles) Table(*u);  // warm: work arrays sized once
  double wall = 0;
  int64_t n = 0;
  for (auto _ : State) {
    const auto w0 = std::chrono::steady_clock::now();
    const double c0 = ThreadCpu();
    double s = 0;
    for (auto& u : r.Profiles) s += Table(*u);
    benchmark::DoNotOptimize(s);
    const double per = static_cast<double>(r.Profiles.size());
    State.SetIterationTime((ThreadCpu() - c0) / per);
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count() / per;
    ++n;
  }
  State.counters["points"] = r.Profiles.front()->NDL;
  State.counters["wall_us"] = n ? 1e6 * wall / n : 0;
}

void Measure_Reference(benchmark::State& State) {
  TRun& r = Run();
  if (!r.Ok) {
    State.SkipWithError("synth failed");
    return;
  }
  for (auto _ : State) State.SetIterationTime(r.CpuPerProfile);
  State.counters["wall_us"] = 1e6 * r.Counts.at("seconds") / r.Counts.at("profiles");
}

}  // namespace

BENCHMARK(Measure_Reference)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(Measure)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
