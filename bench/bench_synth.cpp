// The synthesis driver through the command-line harness (its own process, as the program runs
// it): Fe I 6301.5 + 6302.5 in HSRA on the instrument grid (112 points, 21.549 mA) at #ERR 0.001,
// one combination after another: ms per profile, Runge-Kutta steps and Voigt values per point,
// against the run's unavoidable Voigt work (every Voigt argument pair the run evaluates, recorded
// by a second run and evaluated again in one batch: the reference; the plain and the recording
// runs alternate, five each, and write the same profiles; ratios in real and processor time);
// and a grid of 1000 combinations (default accuracy) on every core against the same grid on one
// thread (the speed-up, per core given; the results are checked to be the same byte for byte).
// The process's CPU seconds show the cores the machine gave the run. EQD_PerPoint: Fe I 6302.5
// at ten fields on the automatic wavelength grid, the time per integrated point against the
// fixed half grid of the same combinations (EQD_PerPoint_Reference).
#include <benchmark/benchmark.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A copy of the bundled demo project in a temporary folder, removed at the end.
struct TProject {
  fs::path Dir;
  TProject() {
    Dir = fs::temp_directory_path() / ("corvesta_bench_synth_" + std::to_string(::getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    fs::copy(fs::path(CORVESTA_ROOT) / "Projects" / "Demo", Dir / "Demo",
             fs::copy_options::recursive);
  }
  ~TProject() { fs::remove_all(Dir); }
  // A quest of its own text.
  std::string QuestText(const std::string& Name, const std::string& Text) const {
    const fs::path f = Dir / "Demo" / "ONE" / (Name + ".DAT");
    std::ofstream(f) << Text;
    return f.string();
  }
  std::string Quest(const std::string& Name, const std::string& Keys) const {
    const fs::path f = Dir / "Demo" / "ONE" / (Name + ".DAT");
    std::ofstream(f) << "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n"
                        "#LIN FE6301 FE6302=#\n#LAMB 6302.0 #\n"
                        "#DL0 -1195.9695 #\n#DLK 1195.9695 #\n#NLAM 112 #\n"
                        "#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n"
                     << Keys << "#RUN CONT #\n";
    return f.string();
  }
};

TProject& Project() {
  static TProject p;
  return p;
}

// The figures of "synth --counts" (profiles, points, steps, voigt, seconds); empty on failure.
std::map<std::string, double> Synth(const std::string& Quest, const std::string& Threads,
                                    const std::string& Out, bool VoigtBatch = false) {
  const fs::path log = Project().Dir / "log.txt", err = Project().Dir / "err.txt";
  const std::string cmd = "'" + std::string(CORVESTA_BATCH) + "' synth " +
                          (VoigtBatch ? "--voigt-batch" : "--counts") + " --threads " +
                          Threads + " --project '" + (Project().Dir / "Demo").string() +
                          "' --out '" + Out + "' '" + Quest + "' > '" + log.string() + "' 2> '" +
                          err.string() + "'";
  auto childCpu = [] {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
  };
  const double cpu0 = childCpu();
  const int rc = std::system(cmd.c_str());
  const double cpu = childCpu() - cpu0;
  std::map<std::string, double> r;
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("counts ", 0) != 0) continue;
    std::istringstream w(line.substr(7));
    std::string kv;
    while (w >> kv) {
      const size_t eq = kv.find('=');
      if (eq != std::string::npos) r[kv.substr(0, eq)] = std::strtod(kv.c_str() + eq + 1, nullptr);
    }
  }
  r["cpu"] = cpu;  // the whole process, set-up included
  if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0 || !r.count("seconds")) {
    std::ifstream again(err);
    std::stringstream all;
    all << again.rdbuf();
    std::fprintf(stderr, "synth failed:\n%s\n", all.str().c_str());
    r.clear();
  }
  return r;
}

std::string ReadAll(const std::string& File) {
  std::ifstream in(File, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The load average and the cores this process may run on.
void Machine(benchmark::State& State) {
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) State.counters["load1"] = load[0];
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) State.counters["cores"] = CPU_COUNT(&set);
}

std::string PairQuest() {
  return Project().Quest("rk", "#H 200 400 600 800 1000 1200 1400 1600 1800 2000 #\n"
                               "#GM 30 60 #\n#XI 20 #\n#ERR 0.001 #\n");
}

// The pair profile's figures of one bench run: its runs and the recording runs alternate, so
// that both see the same load; the best of each (and the median of the pairs' ratios).
struct TPairFigures {
  bool Done = false, Same = true;
  double Seconds = 0, Cpu = 0, Batch = 0, BatchCpu = 0, MedianRatio = 0, Profiles = 0;
  double Steps = 0, Points = 0, Voigt = 0;
};

TPairFigures& PairFigures() {
  static TPairFigures f;
  return f;
}

constexpr int kPairRuns = 5;

// The pair profile's runs (kPairRuns plain, kPairRuns recording its Voigt arguments), once per
// bench run; empty Profiles on failure.
const TPairFigures& MeasurePair() {
  TPairFigures& f = PairFigures();
  if (f.Done) return f;
  f.Done = true;
  const std::string q = PairQuest();
  const std::string plain = (Project().Dir / "rk.txt").string();
  const std::string recorded = (Project().Dir / "rk_voigt.txt").string();
  std::vector<double> ratios;
  for (int k = 0; k < kPairRuns; ++k) {
    const auto r = Synth(q, "1", plain);
    const auto v = Synth(q, "1", recorded, true);
    if (r.empty() || v.empty() || r.at("profiles") == 0 || !v.count("voigt_batch_seconds")) {
      f.Profiles = 0;
      return f;
    }
    // recording the Voigt arguments leaves the profiles as they are
    f.Same = f.Same && ReadAll(plain) == ReadAll(recorded);
    const double s = r.at("seconds"), c = r.at("cpu"), b = v.at("voigt_batch_seconds"),
                 bc = v.count("voigt_batch_cpu") ? v.at("voigt_batch_cpu") : b;
    if (k == 0 || s < f.Seconds) f.Seconds = s;
    if (k == 0 || c < f.Cpu) f.Cpu = c;
    if (k == 0 || b < f.Batch) f.Batch = b;
    if (k == 0 || bc < f.BatchCpu) f.BatchCpu = bc;
    ratios.push_back(s / b);
    f.Profiles = r.at("profiles");
    f.Steps = r.at("steps");
    f.Points = r.at("points");
    f.Voigt = r.at("voigt");
  }
  std::sort(ratios.begin(), ratios.end());
  f.MedianRatio = ratios[ratios.size() / 2];
  return f;
}

// Twenty combinations one after the other: the time per pair profile (the best of the runs),
// the work per point, and the ratio to the run's own Voigt values evaluated as one batch (real
// time: the best run against the best batch, and the median of the runs' own ratios; processor
// time: the best of each).
void RK_PairProfile(benchmark::State& State) {
  Machine(State);
  for (auto _ : State) {
    const TPairFigures& f = MeasurePair();
    if (f.Profiles == 0) {
      State.SkipWithError("synth failed");
      return;
    }
    State.SetIterationTime(f.Seconds / f.Profiles);
    State.counters["ms_per_profile"] = 1000 * f.Seconds / f.Profiles;
    State.counters["cpu_ms_per_profile"] = 1000 * f.Cpu / f.Profiles;
    State.counters["voigt_ms_per_profile"] = 1000 * f.Batch / f.Profiles;
    State.counters["ratio"] = f.Seconds / f.Batch;
    State.counters["ratio_median"] = f.MedianRatio;
    State.counters["ratio_cpu"] = f.Cpu / f.BatchCpu;
    State.counters["steps_per_point"] = f.Steps / f.Points;
    State.counters["voigt_per_point"] = f.Voigt / f.Points;
  }
  if (!PairFigures().Same)
    State.SkipWithError("the recording run's profiles differ from the timed run's");
}

// The same runs' Voigt values (each depth point, wavelength and component they evaluate) in one
// batch of the current Voigt method, per profile: the best of the recording runs.
void RK_PairProfile_Reference(benchmark::State& State) {
  Machine(State);
  for (auto _ : State) {
    const TPairFigures& f = MeasurePair();
    if (f.Profiles == 0) {
      State.SkipWithError("synth failed");
      return;
    }
    State.SetIterationTime(f.Batch / f.Profiles);
    State.counters["voigt_per_profile"] = f.Voigt / f.Profiles;
    State.counters["ns_per_voigt"] = 1e9 * f.Batch / f.Voigt;
    State.counters["cpu_ns_per_voigt"] = 1e9 * f.BatchCpu / f.Voigt;
  }
  if (!PairFigures().Same)
    State.SkipWithError("the recording run's profiles differ from the timed run's");
}

// 1000 combinations (10 fields x 10 inclinations x 10 azimuths).
std::string GridQuest() {
  return Project().Quest("grid1000", "#H 200 400 600 800 1000 1200 1400 1600 1800 2000 #\n"
                                     "#GM 5 15 25 35 45 55 65 75 85 95 #\n"
                                     "#XI 0 18 36 54 72 90 108 126 144 162 #\n");
}

// The one-thread grid's seconds (0 until it ran).
double& GridOneThread() {
  static double s = 0;
  return s;
}

void Grid1000(benchmark::State& State, const std::string& Threads) {
  const std::string q = GridQuest();
  const std::string out = (Project().Dir / ("grid_" + Threads + ".txt")).string();
  for (auto _ : State) {
    const auto r = Synth(q, Threads, out);
    if (r.empty() || r.at("profiles") != 1000) {
      State.SkipWithError("synth failed");
      return;
    }
    State.SetIterationTime(r.at("seconds"));
    State.counters["ms_per_profile"] = 1000 * r.at("seconds") / r.at("profiles");
    // the work itself: what the process used over its time (a loaded machine gives fewer cores)
    State.counters["cpu_s"] = r.at("cpu");
    State.counters["cores_used"] = r.at("cpu") / r.at("seconds");
    if (Threads == "1") {
      GridOneThread() = r.at("seconds");
    } else if (GridOneThread() > 0) {
      // the speed-up over the one-thread run, and per core this process may run on
      cpu_set_t set;
      const double cores =
          sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1.0;
      State.counters["speedup"] = GridOneThread() / r.at("seconds");
      State.counters["speedup_per_core"] = GridOneThread() / r.at("seconds") / cores;
    }
  }
  Machine(State);
  // every core gives what one thread gives
  const std::string one = (Project().Dir / "grid_1.txt").string();
  if (Threads != "1" && fs::exists(one) && ReadAll(one) != ReadAll(out))
    State.SkipWithError("the result differs from the one-thread run");
}

void Grid1000_Reference(benchmark::State& State) { Grid1000(State, "1"); }

// Fe I 6302.5 in HSRA at ten fields, one combination after another, on the given grid.
std::string EqdQuest(const std::string& Name, const std::string& Grid) {
  return Project().QuestText(
      Name, "#MOD T HSRA=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN FE6302 #\n"
            "#H 200 400 600 800 1000 1200 1400 1600 1800 2000 #\n#GM 30 #\n#XI 20 #\n"
            "#VD 0 #\n#VMI 1 #\n#A_OPT 46_04 #\n#OPACITY LANDI #\n#KZWAAN 0 #\n" +
                Grid + "#RUN CONT #\n");
}

void PerPoint(benchmark::State& State, const std::string& Name, const std::string& Grid) {
  const std::string q = EqdQuest(Name, Grid);
  Machine(State);
  for (auto _ : State) {
    const auto r = Synth(q, "1", (Project().Dir / (Name + ".txt")).string());
    if (r.empty() || r.at("points") == 0) {
      State.SkipWithError("synth failed");
      return;
    }
    State.SetIterationTime(r.at("seconds") / r.at("points"));
    State.counters["us_per_point"] = 1e6 * r.at("seconds") / r.at("points");
    State.counters["points_per_profile"] = r.at("points") / r.at("profiles");
  }
}

// The automatic grid: its points placed and integrated one by one.
void EQD_PerPoint(benchmark::State& State) { PerPoint(State, "eqd", "#LAM_OPT EQD #\n"); }
// The fixed half grid of 61 points to 300 mA.
void EQD_PerPoint_Reference(benchmark::State& State) {
  PerPoint(State, "fixed", "#DLK 300 #\n#NLAM 61 #\n");
}

}  // namespace

BENCHMARK(EQD_PerPoint)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(EQD_PerPoint_Reference)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(RK_PairProfile)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(RK_PairProfile_Reference)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Grid1000_Reference)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Grid1000, AllCores, std::string("0"))
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
