// The slit measurements of a generated scan (noise-free lines, 1024 slit pixels per file) against
// reading and decoding the same files (link, headers, data): the ratio is the cost of measuring a
// scan in units of loading it (goal <= 5 without the obsolete Gauss fits, on every core).
//   SlitMeasure/N       the measurement run TLFITS.CalcIntegrVal of N files without the obsolete
//                       Gauss fits, on every core, against reading them; N = 8 and 16 show that it
//                       grows linearly. Counters: microseconds per slit pixel (real, and the
//                       processor time of all threads), load, cores.
//   SlitPixel           the same run of 8 files on one thread against reading them: microseconds
//                       per slit pixel, real and the thread's processor time (goal <= 5).
//   SlitMeasureGauss/N  the run with the Gauss fits against the run without them, both on every
//                       core (ratio = with / without, goal <= 10); columns_digest digests every
//                       column (as SlitParallel's does), the fits' among them.
//   SlitParallel        the run on every core; its reference is the serial run (ratio = parallel /
//                       serial). The columns of both runs are compared bit for bit: a difference
//                       fails the case. Its counter columns_digest digests every column (equal
//                       across builds when a change keeps the columns).
//   SlitStages          the measurement run on one thread, its processor time split by step of
//                       each slit pixel: continuum (decoding I with it), centres, widths (decoding
//                       V with it), bisectors, in microseconds per slit pixel (the cost of the
//                       thread clock's reading each step takes, timed here, taken off) and as
//                       shares of the four (all_us_px); run_us_px = the whole run's processor
//                       time per slit pixel, set-ups and clock readings included. The Gauss fits'
//                       microseconds and cost evaluations per slit pixel (both lines) as
//                       counters, with gauss_ratio = the fits' time over the four steps'.
//   Cont0               the continuum map run TLFITS.CalcCont0 (each file read, its continuum pair
//                       measured and stored into CONT, CONT2, LCONT, LCONT2) against reading each
//                       file and measuring its continuum (TFITS.LoadData and TFITS.GetContAll).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "foundation/cvJob.h"
#include "platform/SysInfo.h"
#include "scans/cvLFIOut.h"
#include "scans/cvBisec.h"
#include "scans/cvLFITS.h"
#include "scans/cvScanServices.h"
#include "tools/scangen/cvScanGen.h"

namespace {

constexpr int kNY = 1024;

// The generated scans of this process (another one running the bench at the same time writes
// its own), removed at the end.
struct TScanRoots {
  std::vector<std::string> Roots;
  ~TScanRoots() {
    std::error_code ec;
    for (const std::string& r : Roots) std::filesystem::remove_all(r, ec);
  }
};

const std::string& ScanDir(int Files) {
  static TScanRoots roots;
  static std::string dirs[64];
  std::string& dir = dirs[Files % 64];
  if (dir.empty()) {
    const std::string root =
        (std::filesystem::temp_directory_path() /
         ("corvesta_bench_slitcalc_" + std::to_string(::getpid()) + "_" + std::to_string(Files)))
            .string();
    roots.Roots.push_back(root);
    TScanGenOptions o;
    o.Files = Files;
    o.NY = kNY;
    dir = GenerateScan(root, o);
  }
  return dir;
}

bool Load(TLFITS& Scan, TJob& Job, int Files) {
  Scan.Link(ScanDir(Files));
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job) && Scan.LoadData(Job);
}

// A loaded scan, measured by CalcIntegrVal with the given threads and Gauss fits (untimed when
// Timed is false).
bool Measure(TLFITS& Scan, int Files, int32_t Threads, bool Gauss) {
  TJob job("bench");
  TJobScope scope(job);
  if (!Load(Scan, job, Files)) return false;
  for (auto& f : Scan.Files) {
    f->Threads = Threads;
    f->GaussFits = Gauss;
  }
  return Scan.CalcIntegrVal(job);
}

double ColumnsDigest(const TLFITS& Scan);

double ThreadCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The processor time of every thread of the process.
double ProcessCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The load average and the cores this process may use.
void MachineCounters(benchmark::State& State) {
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) State.counters["load1"] = load[0];
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) State.counters["cores"] = CPU_COUNT(&set);
}

void Run(benchmark::State& State, int32_t Threads, bool Gauss, int Files) {
  double us = 0, cpu = 0, all = 0, digest = 0;
  int64_t n = 0;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, Files)) {
      State.SkipWithError("scan not loaded");
      return;
    }
    for (auto& f : scan.Files) {
      f->Threads = Threads;
      f->GaussFits = Gauss;
    }
    State.ResumeTiming();
    const double c0 = ThreadCpuUs(), p0 = ProcessCpuUs();
    const auto t0 = std::chrono::steady_clock::now();
    if (!scan.CalcIntegrVal(job)) State.SkipWithError("not measured");
    us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    cpu += ThreadCpuUs() - c0;
    all += ProcessCpuUs() - p0;
    ++n;
    if (Gauss) digest = ColumnsDigest(scan);
  }
  const double pixels = static_cast<double>(Files) * kNY;
  State.counters["us_per_pixel"] = n ? us / n / pixels : 0;
  if (Threads == 1) State.counters["cpu_us_per_pixel"] = n ? cpu / n / pixels : 0;
  // every thread's processor time: on idle cores the run takes about this over the cores
  if (Threads != 1) State.counters["all_cpu_us_per_pixel"] = n ? all / n / pixels : 0;
  MachineCounters(State);
  // every column, the fits' among them: equal across builds that keep the results
  if (Gauss) State.counters["columns_digest"] = digest;
}

void Reference(benchmark::State& State, int Files) {
  for (auto _ : State) {
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    benchmark::DoNotOptimize(Load(scan, job, Files));
  }
}

void SlitMeasure(benchmark::State& State) { Run(State, 0, false, static_cast<int>(State.range(0))); }
void SlitMeasure_Reference(benchmark::State& State) {
  Reference(State, static_cast<int>(State.range(0)));
}
void SlitPixel(benchmark::State& State) { Run(State, 1, false, 8); }
void SlitPixel_Reference(benchmark::State& State) { Reference(State, 8); }
void SlitMeasureGauss(benchmark::State& State) {
  Run(State, 0, true, static_cast<int>(State.range(0)));
}
void SlitMeasureGauss_Reference(benchmark::State& State) {
  Run(State, 0, false, static_cast<int>(State.range(0)));
}

// Every column of the measurement run, for comparing two runs bit for bit.
bool SameColumns(const TFITS& A, const TFITS& B) {
  auto same = [](const auto& x, const auto& y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(x[0])) == 0);
  };
  bool ok = same(A.ACnt, B.ACnt) && same(A.AGRC1, B.AGRC1) && same(A.AGRC2, B.AGRC2) &&
            same(A.AClass, B.AClass) && same(A.ANExt1, B.ANExt1) && same(A.ANExt2, B.ANExt2);
  for (auto c : {&TFITS::AW1, &TFITS::AW2, &TFITS::AVM1, &TFITS::AVM2, &TFITS::AHM1,
                 &TFITS::AHM2, &TFITS::AHG1, &TFITS::AHG2})
    ok = ok && same(A.*c, B.*c);
  for (int k = 1; k <= 9; ++k)
    for (auto c : {&TFITS::ABiC1, &TFITS::ABiC2, &TFITS::ABiW1, &TFITS::ABiW2})
      ok = ok && same((A.*c)[k], (B.*c)[k]);
  for (int m = 3; m <= 5; ++m)
    for (auto c : {&TFITS::A35C1, &TFITS::A35C2, &TFITS::A35I1, &TFITS::A35I2, &TFITS::A35D1,
                   &TFITS::A35D2})
      ok = ok && same((A.*c)[m], (B.*c)[m]);
  return ok && A.MeanLC1 == B.MeanLC1 && A.MeanLC2 == B.MeanLC2;
}

// A digest (FNV-1a, low 52 bits) of the columns SameColumns compares: equal digests across two
// builds show that a change of the primitives left every column as it was.
double ColumnsDigest(const TLFITS& Scan) {
  uint64_t h = 1469598103934665603ULL;
  auto add = [&h](const auto& v) {
    const auto* p = reinterpret_cast<const unsigned char*>(v.data());
    for (size_t i = 0; i < v.size() * sizeof(v[0]); ++i) h = (h ^ p[i]) * 1099511628211ULL;
  };
  for (const auto& f : Scan.Files) {
    const TFITS& A = *f;
    for (const auto* c : {&A.ACnt, &A.AGRC1, &A.AGRC2, &A.AW1, &A.AW2, &A.AVM1, &A.AVM2, &A.AHM1,
                          &A.AHM2, &A.AHG1, &A.AHG2})
      add(*c);
    add(A.AClass);
    add(A.ANExt1);
    add(A.ANExt2);
    for (int k = 1; k <= 9; ++k)
      for (const auto* c : {&A.ABiC1[k], &A.ABiC2[k], &A.ABiW1[k], &A.ABiW2[k]}) add(*c);
    for (int m = 3; m <= 5; ++m)
      for (const auto* c : {&A.A35C1[m], &A.A35C2[m], &A.A35I1[m], &A.A35I2[m], &A.A35D1[m],
                            &A.A35D2[m]})
        add(*c);
  }
  return static_cast<double>(h & ((1ULL << 52) - 1));
}

void SlitParallel(benchmark::State& State) {
  constexpr int kFiles = 8;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, kFiles)) {
      State.SkipWithError("scan not loaded");
      return;
    }
    for (auto& f : scan.Files) f->GaussFits = false;
    State.ResumeTiming();
    if (!scan.CalcIntegrVal(job)) {
      State.SkipWithError("not measured");
      return;
    }
    State.PauseTiming();
    TLFITS serial;
    if (!Measure(serial, kFiles, 1, false)) {
      State.SkipWithError("serial run failed");
      return;
    }
    for (int i = 0; i < kFiles; ++i)
      if (!SameColumns(*scan.Files[i], *serial.Files[i])) {
        State.SkipWithError("parallel columns differ from the serial ones");
        return;
      }
    State.ResumeTiming();
  }
  State.counters["identical"] = 1;
  TLFITS scan;
  if (Measure(scan, 8, 0, false)) State.counters["columns_digest"] = ColumnsDigest(scan);
}

void SlitParallel_Reference(benchmark::State& State) {
  constexpr int kFiles = 8;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, kFiles)) {
      State.SkipWithError("scan not loaded");
      return;
    }
    for (auto& f : scan.Files) {
      f->Threads = 1;
      f->GaussFits = false;
    }
    State.ResumeTiming();
    if (!scan.CalcIntegrVal(job)) State.SkipWithError("not measured");
  }
}

void SlitStages(benchmark::State& State) {
  using clock = std::chrono::steady_clock;
  constexpr int kFiles = 4;
  const auto d = [](auto a, auto b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  std::array<int64_t, 4> ns{};
  double runUs = 0, gaussMs = 0;
  int64_t n = 0, gaussPix = 0, gaussCosts = 0;
  for (auto _ : State) {
    State.PauseTiming();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Load(scan, job, kFiles)) {
      State.SkipWithError("scan not loaded");
      return;
    }
    for (auto& f : scan.Files) {
      f->Threads = 1;
      f->GaussFits = false;
      f->StageNs = &ns;
    }
    State.ResumeTiming();
    const double c0 = ThreadCpuUs();
    if (!scan.CalcIntegrVal(job)) State.SkipWithError("not measured");
    runUs += ThreadCpuUs() - c0;
    n += kFiles;
    for (auto& f : scan.Files) {
      f->StageNs = nullptr;
      // the obsolete Gauss fits of both lines, on every 16th slit pixel
      TAIn A;
      const int64_t costs0 = GaussFitEvaluations();
      auto g0 = clock::now();
      for (int32_t y = 1; y <= f->nY; y += 16) {
        if (!f->GetCol3(y, 1, A)) continue;
        for (int line = 1; line <= 2; ++line) {
          TGauss3 dld{}, lam0{}, d0{};
          int32_t kMin = 0;
          Get3GaussPar(A, line == 1 ? 1 : 56, line == 1 ? 56 : f->nLam, f->ACnt[y], 5.0, 0.2,
                       0.1, -0.01 * f->ACnt[y], dld, lam0, d0, kMin);
          benchmark::DoNotOptimize(lam0);
        }
        ++gaussPix;
      }
      gaussMs += d(g0, clock::now());
      gaussCosts += GaussFitEvaluations() - costs0;
    }
  }
  const char* perPixel[4] = {"continuum_us_px", "centres_us_px", "widths_us_px",
                             "bisectors_us_px"};
  const char* shares[4] = {"continuum_share", "centres_share", "widths_share",
                           "bisectors_share"};
  const double pixels = static_cast<double>(n) * kNY;
  const double runPx = n ? runUs / pixels : 0;
  // one reading of the thread clock
  const double r0 = ThreadCpuUs();
  for (int i = 0; i < 9999; ++i) benchmark::DoNotOptimize(ThreadCpuUs());
  const double readUs = (ThreadCpuUs() - r0) / 10000;
  State.counters["clock_read_us"] = readUs;
  double all = 0;
  double us[4];
  for (int k = 0; k < 4; ++k) {
    const double t = static_cast<double>(ns[static_cast<size_t>(k)]) / 1000;
    us[k] = n ? std::max(0.0, t / pixels - readUs) : 0;
    all += us[k];
  }
  for (int k = 0; k < 4; ++k) {
    State.counters[perPixel[k]] = us[k];
    State.counters[shares[k]] = all > 0 ? us[k] / all : 0;
  }
  State.counters["all_us_px"] = all;
  State.counters["run_us_px"] = runPx;  // the whole run's processor time, set-ups included
  MachineCounters(State);
  const double gaussPx = gaussPix ? gaussMs * 1000 / gaussPix : 0;
  State.counters["gauss_us_per_pixel"] = gaussPx;
  State.counters["gauss_ratio"] = all > 0 ? gaussPx / all : 0;
  State.counters["gauss_costs_per_pixel"] =
      gaussPix ? static_cast<double>(gaussCosts) / static_cast<double>(gaussPix) : 0;
}

void SlitStages_Reference(benchmark::State& State) {
  for (auto _ : State) {
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    benchmark::DoNotOptimize(Load(scan, job, 4));
  }
}

// The scan linked, its options set and its headers read (not timed); the map files of the runs
// lie under the bench's own root.
bool Headers(TLFITS& Scan, TJob& Job, int Files) {
  const std::string dir = ScanDir(Files);
  const std::string root =
      std::filesystem::path(dir).parent_path().parent_path().string() + "/";
  Scans().DataRoot.Install([root] { return root; });
  Scan.Link(dir);
  Scan.SetOptions(350, 350, 1.0, 20);
  return Scan.LoadHeaders(Job);
}

void Cont0(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    LFIOReg().ClearAll();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job, files)) {
      State.SkipWithError("headers not read");
      return;
    }
    State.ResumeTiming();
    benchmark::DoNotOptimize(scan.CalcCont0(job));
  }
  LFIOReg().ClearAll();
}

void Cont0_Reference(benchmark::State& State) {
  const int files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    LFIOReg().ClearAll();
    TLFITS scan;
    TJob job("bench");
    TJobScope scope(job);
    if (!Headers(scan, job, files)) {
      State.SkipWithError("headers not read");
      return;
    }
    State.ResumeTiming();
    for (auto& f : scan.Files) {
      f->LoadData();
      f->GetContAll();
      benchmark::DoNotOptimize(f->ACnt.data());
    }
  }
}

BENCHMARK(Cont0)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(Cont0_Reference)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasure)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasure_Reference)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitPixel_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitMeasureGauss)->Arg(8)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SlitMeasureGauss_Reference)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitParallel)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitParallel_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(SlitStages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SlitStages_Reference)->Unit(benchmark::kMillisecond);

}  // namespace

// The allocator set as the programs set it (freed arrays kept for reuse).
int main(int argc, char** argv) {
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
