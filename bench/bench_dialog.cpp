// The Dialog tab's "CALC" of the demo quest "dia" without drawing, through the harness (its own
// process, as the program runs it): the rows and the observation choice into the variator, the
// run of "#ALG" and the differences of the five cases, against the run of "#ALG" alone on the same
// variator in the same process (DialogCalc_Reference). The harness times both alternately and
// reports their medians.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct TTimes {
  double Calc = 0, Run = 0;
  bool Ok = false;
};

const TTimes& Times() {
  static const TTimes t = [] {
    TTimes r;
    const fs::path dir = fs::temp_directory_path() / ("corvesta_bench_dialog_" +
                                                      std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(CORVESTA_ROOT) / "Projects" / "Demo", dir / "Demo",
             fs::copy_options::recursive);
    const fs::path log = dir / "log.txt";
    const std::string cmd = "'" + std::string(CORVESTA_BATCH) + "' dialog-calc --time 9 --project '" +
                            (dir / "Demo").string() + "' dia > '" + log.string() + "' 2> /dev/null";
    if (std::system(cmd.c_str()) == 0) {
      std::ifstream in(log);
      std::string line;
      while (std::getline(in, line)) {
        const size_t at = line.find("time calc=");
        if (at != std::string::npos &&
            std::sscanf(line.c_str() + at, "time calc=%lf run=%lf", &r.Calc, &r.Run) == 2)
          r.Ok = true;
      }
    }
    fs::remove_all(dir);
    return r;
  }();
  return t;
}

void Machine(benchmark::State& State) {
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) State.counters["load1"] = load[0];
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) State.counters["cores"] = CPU_COUNT(&set);
}

void DialogCalc(benchmark::State& State) {
  Machine(State);
  for (auto _ : State) {
    if (!Times().Ok) {
      State.SkipWithError("dialog-calc failed");
      return;
    }
    State.SetIterationTime(Times().Calc / 1000);
  }
  if (Times().Ok) State.counters["ratio"] = Times().Calc / Times().Run;
}

void DialogCalc_Reference(benchmark::State& State) {
  Machine(State);
  for (auto _ : State) {
    if (!Times().Ok) {
      State.SkipWithError("dialog-calc failed");
      return;
    }
    State.SetIterationTime(Times().Run / 1000);
  }
}

BENCHMARK(DialogCalc)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(DialogCalc_Reference)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
