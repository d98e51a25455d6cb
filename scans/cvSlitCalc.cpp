// The slit measurements of one slit-position file: the measurement run BigCalc, the continuum
// pair, line positions at a fraction of the depth, the column loaders, the Stokes sums over the
// line windows, the centres of gravity, the equivalent widths with the V moments and fields, the
// bisectors and the wing positions. Every routine works per slit pixel and reports through the
// sink (WARNAbs, WARN); inside a job those messages are collected by the job.
// Columns hold no NaN or Inf: a value that would not be finite is stored as 0.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <time.h>

#include "foundation/cvArr.h"
#include "foundation/cvCentre.h"
#include "foundation/cvInterp.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "scans/cvBisec.h"
#include "scans/cvFITS.h"
#include "scans/cvHelperPool.h"
#include "scans/cvPixelLoop.h"
#include "scans/cvLFITS.h"
#include "scans/cvWings.h"

namespace {

constexpr double kTolCGrav = 0.05;

template <class A>
void Size(A& Col, int32_t nY) {
  Col.resize(static_cast<size_t>(std::max(nY, 0)) + 1, 0);
}

double Fin(double x) { return std::isfinite(x) ? x : 0.0; }

template <class A>
bool Full(const A& Col, int32_t nY) {
  return static_cast<int32_t>(Col.size()) == nY + 1;
}

int32_t RoundEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

// Crossing of the level L on the blue side of the minimum at K (walk bounded to 1..n); false when
// the profile never reaches L.
bool BlueCrossing(const TAIn& A, int32_t K, int32_t n, double L, double& X) {
  int32_t j = K - 1;
  while (j >= 1 && A[j] < L) --j;
  if (j < 1 || j + 1 > n) return false;
  if (A[j] == L)
    X = j;
  else
    X = (j + 1) - (L - A[j + 1]) / static_cast<double>(A[j] - A[j + 1]);
  return true;
}

bool RedCrossing(const TAIn& A, int32_t K, int32_t n, double L, double& X) {
  int32_t k = K + 1;
  while (k <= n && A[k] < L) ++k;
  if (k > n || k - 1 < 1) return false;
  if (A[k] == L)
    X = k;
  else
    X = (k - 1) + (L - A[k - 1]) / static_cast<double>(A[k] - A[k - 1]);
  return true;
}

// Helper threads kept for the loops over slit pixels (one loop at a time uses them; a loop that
// finds them busy starts its own).
THelperPool& PixelPool() {
  static THelperPool pool;
  return pool;
}

// Loops over slit pixels. Inside a job they run on Threads threads (0: one per core; 1: the
// calling thread); each slit pixel then works under a job of its own, whose warnings are kept per
// warning group (Stage) and given to the running job afterwards group by group in slit-pixel
// order, with the pixel's report lines: the job sees what the serial run shows. Outside a job
// Body runs serially and its messages go out directly. Body(y, P) writes only slot y of its
// columns and its reports to P.Report.
class TPixelRun {
 public:
  class TPixel {
   public:
    TStringList* Report = nullptr;
    // Begins warning group S of this slit pixel.
    void Stage(int S) {
      if (!run_) return;
      Take();
      stage_ = S;
    }

   private:
    friend class TPixelRun;
    void Open() {
      job_.emplace("pixel");
      job_->TraceMask = run_->mask_;
      scope_.emplace(*job_);
    }
    // The job's warnings into slot (stage, y); the job goes on collecting the next ones.
    void Take() {
      if (job_->WarningCount() == 0) return;
      run_->Slot(stage_, y_) = job_->TakeWarnings();
    }
    TPixelRun* run_ = nullptr;
    int32_t y_ = 0;
    int stage_ = 0;
    std::optional<TJob> job_;
    std::optional<TJobScope> scope_;
    TStringList own_;
  };

  TPixelRun(int32_t nY, int32_t Threads, int Stages, TStringList* Report)
      : nY_(nY), stages_(Stages), report_(Report), parent_(CurrentJob()) {
    if (!parent_) return;
    mask_ = parent_->TraceMask;
    const int32_t cores = static_cast<int32_t>(std::thread::hardware_concurrency());
    threads_ = std::clamp(Threads > 0 ? Threads : cores, 1, std::max(nY, 1));
    slots_.resize(static_cast<size_t>(Stages) * (static_cast<size_t>(std::max(nY, 0)) + 1));
    if (Report) lines_.resize(static_cast<size_t>(std::max(nY, 0)) + 1);
  }

  template <class F>
  void Run(F&& Body) {
    if (!parent_) {
      TPixel p;
      p.Report = report_;
      for (int32_t y = 1; y <= nY_; ++y) Body(y, p);
      return;
    }
    std::atomic<int32_t> next{1};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    constexpr int32_t kChunk = 8;
    auto work = [&] {
      TPixel p;
      p.run_ = this;
      p.Report = report_ ? &p.own_ : nullptr;
      p.Open();
      while (!failed) {
        const int32_t from = next.fetch_add(kChunk);
        if (from > nY_) break;
        for (int32_t y = from; y <= std::min(nY_, from + kChunk - 1) && !failed; ++y) {
          try {
            Pixel(p, y, Body);
          } catch (...) {
            std::lock_guard<std::mutex> lock(failureLock);
            if (!failed.exchange(true)) failure = std::current_exception();
          }
        }
      }
    };
    const std::function<void()> task = work;
    if (threads_ == 1 || !PixelPool().TryRun(threads_ - 1, task)) {
      std::vector<std::thread> pool;
      for (int32_t i = 1; i < threads_; ++i) pool.emplace_back(work);
      work();
      for (std::thread& t : pool) t.join();
    }
    if (failure) {
      // what came before the failure still reaches the job
      for (int s = 0; s < stages_; ++s) Emit(s);
      EmitReport();
      std::rethrow_exception(failure);
    }
  }

  // P made a worker of this run on the calling thread (a job of its own opened).
  void Bind(TPixel& P) {
    P.scope_.reset();
    P.job_.reset();
    P.run_ = this;
    P.Report = report_ ? &P.own_ : nullptr;
    P.Open();
  }

  // Body for slit pixel y on a worker of this run; its report lines kept in slot y (also when
  // Body throws: the exception goes on).
  template <class F>
  void Pixel(TPixel& P, int32_t y, F&& Body) {
    P.y_ = y;
    P.stage_ = 0;
    try {
      Body(y, P);
      P.Take();
    } catch (...) {
      Keep(P, y);
      throw;
    }
    Keep(P, y);
  }

  // The warnings of group S, slit pixel by slit pixel; a run of one text at once.
  void Emit(int S) {
    if (!parent_) return;
    const std::string* text = nullptr;
    int32_t times = 0;
    for (int32_t y = 1; y <= nY_; ++y)
      for (const TJob::TWarning& w : Slot(S, y)) {
        if (text && *text == w.Text) {
          times += w.Count;
          continue;
        }
        if (text) parent_->Warn(*text, times);
        text = &w.Text;
        times = w.Count;
      }
    if (text) parent_->Warn(*text, times);
    for (int32_t y = 1; y <= nY_; ++y) Slot(S, y).clear();
  }

  // The report lines in slit-pixel order.
  void EmitReport() {
    if (!parent_ || !report_) return;
    for (auto& l : lines_) {
      for (const std::string& line : l) report_->Add(line);
      l.clear();
    }
  }

 private:
  void Keep(TPixel& P, int32_t y) {
    if (P.own_.Count() == 0) return;
    auto& l = lines_[static_cast<size_t>(y)];
    for (int i = 0; i < P.own_.Count(); ++i) l.push_back(P.own_[i]);
    P.own_.Clear();
  }
  std::vector<TJob::TWarning>& Slot(int S, int32_t y) {
    return slots_[static_cast<size_t>(S) * (static_cast<size_t>(nY_) + 1) +
                  static_cast<size_t>(y)];
  }
  int32_t nY_;
  int stages_;
  TStringList* report_;
  TJob* parent_;
  int32_t mask_ = 0;
  int32_t threads_ = 1;
  std::vector<std::vector<TJob::TWarning>> slots_;
  std::vector<std::vector<std::string>> lines_;
};

// Body(y) over the slit pixels with one warning group and no reports.
template <class F>
void ForPixels(int32_t nY, int32_t Threads, F&& Body) {
  TPixelRun run(nY, Threads, 1, nullptr);
  run.Run([&](int32_t y, TPixelRun::TPixel&) { Body(y); });
  run.Emit(0);
}

}  // namespace

// ---------------------------------------------------------------- continuum

void TFITS::GetICont_01(int32_t iY, int32_t iGap, double& Max1, double& Max2, int32_t& Idx1,
                        int32_t& Idx2) {
  const double krc = Owner && Owner->KRC != 0 ? Owner->KRC : 1.05;
  thread_local TARe R;
  if (!SmoothedI(iY, R)) return;
  double m1 = 0, m2 = 0;
  int32_t i1 = 0, i2 = 0;
  AReMAX2(R, iGap, m1, i1, m2, i2);
  Max1 = m1 * krc;
  Max2 = m2 * krc;
  Idx1 = i1;
  Idx2 = i2;
}

void TFITS::FillContPair() {
  if (Full(ACnt, nY)) return;
  ACnt.assign(static_cast<size_t>(nY) + 1, 0.0);
  ACntIdx.assign(static_cast<size_t>(nY) + 1, 0.0);
  ACnt2.assign(static_cast<size_t>(nY) + 1, 0.0);
  ACnt2Idx.assign(static_cast<size_t>(nY) + 1, 0.0);
  // Without a smoothing width each slit pixel warns into the scan's pass: serially then.
  const bool parallel = Owner && Owner->ContSmooth != 0 && NOf(Owner->Refs.ALam) == nLam;
  ForPixels(nY, parallel ? Threads : 1, [&](int32_t y) {
    double m1 = 0, m2 = 0;
    int32_t i1 = 0, i2 = 0;
    GetICont_01(y - 1, 10, m1, m2, i1, i2);
    ACnt[y] = m1;
    ACntIdx[y] = i1;
    ACnt2[y] = m2;
    ACnt2Idx[y] = i2;
  });
}

// ---------------------------------------------------------------- the measurement run

void TFITS::BigCalc() {
  TTimedSection timed("FITS.BigCalc");
  if (!Bit(2)) {
    if (!LoadData()) return;
    SetBit(2);
  }
  if (!CurrentJob() || !Bit(1)) {
    // the steps one after the other, each over the whole slit
    GetContAll();
    CalcSums();
    Size(AGRC1, nY);
    Size(AGRC2, nY);
    Size(AClass, nY);
    CalcCGravs();
    MeanLinePos5();
    if (Owner && Owner->LineCenterDebug)
      WARNAbs("aFITS.BigCalc " + ShortSt(7, MeanLC1) + " " + ShortSt(7, MeanLC2));
    CalcEqw();
    CalcBisec();
  } else {
    MeasureSlit();
  }
  Measured();
}

void TFITS::Measured() {
  SetBit(3);
  ContExtremes();
  WidthExtremes(AW1, AW2);
  PairExtremes(AHM1, AHM2);
  MeanLinePos();
  ContIntercept(AQual);
}

namespace {

// Continuum of one decoded I profile: the largest smoothed value (the first of equal ones) times
// KRC, as GetIContMax gives it. Only the rows that may hold the largest value are smoothed in
// full: every row's value is first bounded from its weights within kNear pixels (the rest of its
// weight sum times the largest |I|, plus far more than the rounding of either sum), and the rows
// whose bound reaches the largest lower bound are summed exactly as the whole smoothing sums them
// (column by column, the product then the sum), so the value and its row are the same bits.
// The largest smoothed value (the first of equal ones) times KRC, the whole profile smoothed.
double SmoothedMax(const TSmoothWeights& S, const TAIn& I, double Krc) {
  thread_local std::vector<double> R;
  R.resize(static_cast<size_t>(S.N) + 1);
  if (S.HeadOf(I.data()))
    S.SmoothHead(I.data(), R.data());
  else
    S.Smooth(I.data(), R.data());
  int32_t k = 1;
  for (int32_t i = 2; i <= S.N; ++i)
    if (R[static_cast<size_t>(i)] > R[static_cast<size_t>(k)]) k = i;
  return R[static_cast<size_t>(k)] * Krc;
}

// The same for a continuum flat at its largest value Most over many pixels (I between Least and
// Most). A row with a pixel below Most within K pixels smooths to at most Most - NearRatio[K] +
// Slack (its weights over its sum add to 1; Slack bounds the rounding of both sums and of the
// quotient by 4 gamma max |I|): only the 8-row blocks holding rows flat within K pixels are
// summed, and their largest value is the profile's when it reaches that bound (else the whole
// smoothing).
double FlatMax(const TSmoothWeights& S, const TAIn& I, double Krc, int32_t Most,
               int32_t Least) {
  const int32_t n = S.N;
  const double top =
      std::max(std::fabs(static_cast<double>(Most)), std::fabs(static_cast<double>(Least)));
  const double gamma = (n + 2) * 0x1p-53 * 1.01;
  const double slack = 4 * gamma * top;
  int32_t K = -1;
  for (int32_t k = 0; k < static_cast<int32_t>(S.NearRatio.size()); ++k)
    if (S.NearRatio[static_cast<size_t>(k)] > 4 * slack) K = k;
  if (Most < 1 || K < 0) return SmoothedMax(S, I, Krc);
  // rows (0-based) whose pixels within K all equal Most, by 8-row block
  thread_local std::vector<int32_t> Below, Blocks;
  Below.assign(static_cast<size_t>(n) + 1, 0);  // pixels below Most among the first i
  for (int32_t i = 1; i <= n; ++i) Below[static_cast<size_t>(i)] = Below[i - 1] + (I[i] != Most);
  Blocks.clear();
  for (int32_t i = 0; i < n; ++i) {
    const int32_t a = std::max(0, i - K), b = std::min(n - 1, i + K);
    if (Below[static_cast<size_t>(b) + 1] != Below[static_cast<size_t>(a)]) continue;
    if (Blocks.empty() || Blocks.back() != i / 8) Blocks.push_back(i / 8);
  }
  if (Blocks.empty()) return SmoothedMax(S, I, Krc);
  thread_local std::vector<double> R;
  R.resize(static_cast<size_t>(n) + 1);
  S.SmoothBlocks(I.data(), R.data(), Blocks.data(), static_cast<int32_t>(Blocks.size()),
                 S.HeadOf(I.data(), Most, Least), S.FirstDiagonal(Most, Least));
  double m = -HUGE_VAL;
  for (int32_t b : Blocks)
    for (int32_t i = 8 * b; i < std::min(n, 8 * b + 8); ++i)
      m = std::max(m, R[static_cast<size_t>(i) + 1]);
  if (!(m >= Most - S.NearRatio[static_cast<size_t>(K)] + slack)) return SmoothedMax(S, I, Krc);
  return m * Krc;
}

double ContOf(const std::shared_ptr<const TSmoothWeights>& Weights, const TAIn& I, double Krc) {
  constexpr int32_t kNear = 5, kSpan = 2 * kNear + 1, kFew = 8;
  const TSmoothWeights& S = *Weights;
  const int32_t n = S.N;
  const int32_t* lo = S.Lo.data();
  const int32_t* hi = S.Hi.data();
  const int32_t* off = S.Off.data();
  const double* col = S.Col.data();
  // Each row's weights within kNear pixels, and the bound's factor of the largest |I| (the rest
  // of the row's weight sum over the sum, and far more than the rounding of either sum); made
  // once per thread and set of weights.
  thread_local std::shared_ptr<const TSmoothWeights> near;
  thread_local std::vector<double> NearW, NearErr;
  if (near != Weights) {
    near = Weights;
    NearW.assign(static_cast<size_t>(n) * kSpan, 0.0);
    NearErr.assign(static_cast<size_t>(n), 0.0);
    for (int32_t i = 0; i < n; ++i) {
      double w = 0;
      for (int32_t d = 0; d < kSpan; ++d) {
        const int32_t j = i - kNear + d;
        if (j < 0 || j >= n || i < lo[j] || i > hi[j]) continue;
        const double c = col[off[j] + i - lo[j]];
        NearW[static_cast<size_t>(i) * kSpan + d] = c;
        w += c;
      }
      const double sw = S.Sums[static_cast<size_t>(i)];
      NearErr[static_cast<size_t>(i)] = sw != 0 ? std::fabs(sw - w) / sw + 1e-13 : 0;
    }
  }
  // A continuum flat over more pixels than a bound spans holds many rows of equal bound: the
  // whole smoothing at once.
  int32_t most = n >= 1 ? I[1] : 0, least = most, times = 0;
  for (int32_t i = 1; i <= n; ++i) {
    if (I[i] > most) {
      most = I[i];
      times = 0;
    }
    times += I[i] == most;
    least = std::min(least, I[i]);
  }
  if (n < 1) return SmoothedMax(S, I, Krc);
  if (times > kSpan) return FlatMax(S, I, Krc, most, least);
  thread_local std::vector<double> Mid, Err, Y;
  thread_local std::vector<int32_t> Rows;
  Mid.resize(static_cast<size_t>(n));
  Err.resize(static_cast<size_t>(n));
  Y.assign(static_cast<size_t>(n) + 2 * kNear, 0.0);
  double top = 0;
  for (int32_t i = 1; i <= n; ++i) {
    Y[static_cast<size_t>(i - 1 + kNear)] = I[i];
    top = std::max(top, std::fabs(static_cast<double>(I[i])));
  }
  double best = -HUGE_VAL;  // the largest lower bound
  for (int32_t i = 0; i < n; ++i) {
    const double sw = S.Sums[static_cast<size_t>(i)];
    if (sw == 0) {
      Mid[i] = I[i + 1];
      Err[i] = 0;
    } else {
      const double* w = NearW.data() + static_cast<size_t>(i) * kSpan;
      const double* y = Y.data() + i;
      double a = 0;
      for (int32_t d = 0; d < kSpan; ++d) a += w[d] * y[d];
      Mid[i] = a / sw;
      Err[i] = NearErr[static_cast<size_t>(i)] * top;
    }
    best = std::max(best, Mid[i] - Err[i]);
  }
  Rows.clear();
  for (int32_t i = 0; i < n; ++i)
    if (Mid[i] + Err[i] >= best) Rows.push_back(i);
  // a flat stretch (or no bound): the whole smoothing
  if (static_cast<int32_t>(Rows.size()) > kFew || !(best > -HUGE_VAL))
    return SmoothedMax(S, I, Krc);
  double value = 0;
  bool first = true;
  for (int32_t i : Rows) {
    const double sw = S.Sums[static_cast<size_t>(i)];
    double r;
    if (sw == 0) {
      r = I[i + 1];
    } else {
      double acc = 0;
      for (int32_t j = 0; j < n; ++j)
        if (i >= lo[j] && i <= hi[j]) acc += col[off[j] + i - lo[j]] * static_cast<double>(I[j + 1]);
      r = acc / sw;
    }
    if (first || r > value) value = r;
    first = false;
  }
  return value * Krc;
}

}  // namespace

// BigCalc inside a job: every slit pixel measured whole at once (its profiles decoded once), the
// pixels on several threads; the warnings are given step by step as the steps one after the other
// give them (continuum, centres, equivalent widths, bisectors).
void TFITS::MeasureSlit() {
  const TSlitPrep S = PrepareSlit();
  TPixelRun run(nY, Threads, 4, Owner ? &Owner->CalcReport : nullptr);
  run.Run([&](int32_t y, TPixelRun::TPixel& P) { MeasurePixel(S, y, P); });
  EndSlit(run);
}

TFITS::TSlitPrep TFITS::PrepareSlit() {
  TSlitPrep S;
  if (!Full(ACnt, nY) && !ContFromScanMap()) {
    S.ContHere = Owner && Owner->ContSmooth != 0 && !LiteralSmoothing &&
                 NOf(Owner->Refs.ALam) == nLam && nLam >= 2;
    if (S.ContHere)
      ACnt.assign(static_cast<size_t>(nY) + 1, 0.0);
    else
      GetContAll();
  }
  if (S.ContHere) S.Weights = Owner->SmoothWeights();
  S.Krc = Owner && Owner->KRC != 0 ? Owner->KRC : 1.05;
  CalcSums();
  Size(AGRC1, nY);
  Size(AGRC2, nY);
  Size(AClass, nY);
  S.Eqw = EqwSetup();
  BisecSetup();
  return S;
}

namespace {

// The calling thread's processor time.
int64_t ThreadClockNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

template <class P>
void TFITS::MeasurePixel(const TSlitPrep& S, int32_t y, P& Pixel) {
  thread_local TAIn I, V;
  std::array<int64_t, 4>* times = StageNs;
  int64_t t = times ? ThreadClockNs() : 0;
  const auto lap = [&](int k) {
    if (!times) return;
    const int64_t now = ThreadClockNs();
    (*times)[static_cast<size_t>(k)] += now - t;
    t = now;
  };
  const bool okI = GetCol3(y, 1, I);
  if (S.ContHere && okI) ACnt[y] = ContOf(S.Weights, I, S.Krc);
  lap(0);
  Pixel.Stage(1);
  CentresOf(y, okI, I, Pixel.Report);
  lap(1);
  Pixel.Stage(2);
  if (!okI) GetCol3(y, 1, I);  // the message again, as the separate step gives it
  if (GetCol3(y, 4, V) && okI) EqwOf(S.Eqw, y, I, V);
  lap(2);
  Pixel.Stage(3);
  if (okI || GetCol3(y, 1, I)) BisecOf(y, I);
  lap(3);
}

template <class R>
void TFITS::EndSlit(R& Run) {
  Run.Emit(0);
  Run.Emit(1);
  Run.EmitReport();
  MeanLinePos5();
  if (Owner && Owner->LineCenterDebug)
    WARNAbs("aFITS.BigCalc " + ShortSt(7, MeanLC1) + " " + ShortSt(7, MeanLC2));
  Run.Emit(2);
  Run.Emit(3);
}

namespace {

// The slit pixels of several files as one stream of chunks for the pool's threads. File k's
// chunks are taken once the leading thread has set it up (Ready > k) and none at or beyond StopAt.
struct TFileStream {
  static constexpr int32_t kChunk = 8;
  std::vector<int64_t> Base;  // first stream position of each file, the total at the end
  std::atomic<int64_t> Next{0};
  std::atomic<int32_t> Ready{0};
  std::atomic<int32_t> StopAt{INT32_MAX};
  std::unique_ptr<std::atomic<int32_t>[]> Done;  // slit pixels measured, by file
  std::mutex Lock;
  std::condition_variable Changed;
  int32_t Failed = INT32_MAX;  // the first file whose slit pixel threw (under Lock)
  std::exception_ptr Failure;

  int32_t FileOf(int64_t Pos) const {
    return static_cast<int32_t>(std::upper_bound(Base.begin(), Base.end(), Pos) - Base.begin()) -
           1;
  }
  // A chunk [From, To) of file K; false when none can be taken now (Wait: one may come later).
  bool Take(int32_t& K, int64_t& From, int64_t& To, bool& Wait) {
    int64_t g = Next.load();
    for (;;) {
      Wait = false;
      if (g >= Base.back()) return false;
      const int32_t k = FileOf(g);
      if (k >= StopAt.load()) return false;
      if (k >= Ready.load()) {
        Wait = true;
        return false;
      }
      const int64_t to = std::min(g + kChunk, Base[static_cast<size_t>(k) + 1]);
      if (Next.compare_exchange_weak(g, to)) {
        K = k;
        From = g;
        To = to;
        return true;
      }
    }
  }
  void Notify() {
    { std::lock_guard<std::mutex> l(Lock); }
    Changed.notify_all();
  }
};

}  // namespace

bool TFITS::BigCalcFiles(const std::vector<TFITS*>& Files,
                         const std::function<bool(int32_t)>& Step) {
  const int32_t n = static_cast<int32_t>(Files.size());
  TJob* parent = CurrentJob();
  const int32_t cores = static_cast<int32_t>(std::thread::hardware_concurrency());
  const int32_t threads = n > 0 && Files[0]->Threads > 0 ? Files[0]->Threads : cores;
  // Overlapped only where every file takes MeasureSlit's road on the same threads.
  bool overlap = parent && n > 1 && threads > 1;
  for (TFITS* f : Files)
    overlap = overlap && f->Bit(1) && f->Bit(2) && !f->Bit(3) && f->nY > 0 &&
              f->Threads == Files[0]->Threads;
  if (!overlap) {
    for (int32_t i = 0; i < n; ++i) {
      if (!Step(i)) return false;
      TFITS& f = *Files[static_cast<size_t>(i)];
      if (!f.Bit(3)) f.FreeCalc();
      f.BigCalc();
    }
    return true;
  }
  TFileStream st;
  st.Base.assign(static_cast<size_t>(n) + 1, 0);
  for (int32_t i = 0; i < n; ++i)
    st.Base[static_cast<size_t>(i) + 1] =
        st.Base[static_cast<size_t>(i)] + Files[static_cast<size_t>(i)]->nY;
  st.Done.reset(new std::atomic<int32_t>[static_cast<size_t>(n)]);
  for (int32_t i = 0; i < n; ++i) st.Done[i] = 0;
  std::vector<TSlitPrep> prep(static_cast<size_t>(n));
  std::vector<std::unique_ptr<TPixelRun>> runs(static_cast<size_t>(n));
  // the warnings of each file's set-up, given when the file is handed over
  std::vector<std::vector<TJob::TWarning>> setupWarnings(static_cast<size_t>(n));
  auto setUp = [&](int32_t k) {
    TFITS& f = *Files[static_cast<size_t>(k)];
    {
      TJob local("setup");
      local.TraceMask = parent->TraceMask;
      TJobScope scope(local);
      f.FreeCalc();
      prep[static_cast<size_t>(k)] = f.PrepareSlit();
      setupWarnings[static_cast<size_t>(k)] = local.Warnings();
    }
    runs[static_cast<size_t>(k)] =
        std::make_unique<TPixelRun>(f.nY, f.Threads, 4, f.Owner ? &f.Owner->CalcReport : nullptr);
    st.Ready.store(k + 1);
    st.Notify();
  };
  // The slit pixels of a chunk taken, on a worker bound to the chunk's file.
  auto measure = [&](TPixelRun::TPixel& P, int32_t& Bound, int32_t k, int64_t From, int64_t To) {
    TFITS& f = *Files[static_cast<size_t>(k)];
    TPixelRun& run = *runs[static_cast<size_t>(k)];
    if (Bound != k) {
      run.Bind(P);
      Bound = k;
    }
    const TSlitPrep& S = prep[static_cast<size_t>(k)];
    const int32_t y0 = static_cast<int32_t>(From - st.Base[static_cast<size_t>(k)]) + 1;
    const int32_t count = static_cast<int32_t>(To - From);
    try {
      for (int32_t y = y0; y < y0 + count; ++y)
        run.Pixel(P, y, [&](int32_t Y, TPixelRun::TPixel& Q) { f.MeasurePixel(S, Y, Q); });
    } catch (...) {
      // files before this one are still measured and handed over, later ones are not
      std::lock_guard<std::mutex> l(st.Lock);
      if (k < st.Failed) {
        st.Failed = k;
        st.Failure = std::current_exception();
      }
      int32_t stop = st.StopAt.load();
      while (k + 1 < stop && !st.StopAt.compare_exchange_weak(stop, k + 1)) {
      }
      st.Changed.notify_all();
      return;
    }
    if (st.Done[k].fetch_add(count) + count == f.nY) st.Notify();
  };
  auto helper = [&] {
    TPixelRun::TPixel p;
    int32_t bound = -1;
    for (;;) {
      int32_t k = 0;
      int64_t from = 0, to = 0;
      bool wait = false;
      if (st.Take(k, from, to, wait)) {
        measure(p, bound, k, from, to);
        continue;
      }
      if (!wait) return;
      std::unique_lock<std::mutex> l(st.Lock);
      st.Changed.wait(l, [&] {
        const int64_t g = st.Next.load();
        return g >= st.Base.back() || st.FileOf(g) < st.Ready.load() ||
               st.FileOf(g) >= st.StopAt.load();
      });
    }
  };
  bool stopped = false;
  int32_t handed = 0;
  std::exception_ptr leadFailure;
  // In turn: hand the next file over once its slit pixels are measured, else set up a file ahead
  // (at most kAhead beyond the next to hand over), else measure a chunk, else wait.
  auto lead = [&] {
    constexpr int32_t kAhead = 8;
    try {
      for (int32_t k = 0; k < n;) {
        TFITS& f = *Files[static_cast<size_t>(k)];
        bool done = false;
        {
          std::lock_guard<std::mutex> l(st.Lock);
          if (k >= st.StopAt.load() || st.Failed <= k) break;
          done = k < st.Ready.load() && st.Done[k].load() >= f.nY;
        }
        if (done) {
          if (!Step(k)) {
            stopped = true;
            st.StopAt.store(k);
            st.Notify();
            break;
          }
          for (const TJob::TWarning& w : setupWarnings[static_cast<size_t>(k)])
            parent->Warn(w.Text, w.Count);
          f.EndSlit(*runs[static_cast<size_t>(k)]);
          f.Measured();
          runs[static_cast<size_t>(k)].reset();
          handed = ++k;
          continue;
        }
        const int32_t ready = st.Ready.load();
        if (ready < n && ready < k + kAhead && ready < st.StopAt.load()) {
          setUp(ready);
          continue;
        }
        int32_t c = 0;
        int64_t from = 0, to = 0;
        bool wait = false;
        if (st.Take(c, from, to, wait)) {
          // a worker only around its chunk: between chunks the job stays the current one
          TPixelRun::TPixel p;
          int32_t bound = -1;
          measure(p, bound, c, from, to);
          continue;
        }
        std::unique_lock<std::mutex> l(st.Lock);
        st.Changed.wait(l, [&] {
          return st.Done[k].load() >= f.nY || k >= st.StopAt.load() || st.Failed <= k;
        });
      }
    } catch (...) {
      leadFailure = std::current_exception();
      st.StopAt.store(0);
      st.Notify();
    }
  };
  const std::thread::id caller = std::this_thread::get_id();
  const std::function<void()> task = [&] {
    if (std::this_thread::get_id() == caller)
      lead();
    else
      helper();
  };
  if (!PixelPool().TryRun(threads - 1, task)) {
    std::vector<std::thread> pool;
    for (int32_t i = 1; i < threads; ++i) pool.emplace_back(helper);
    lead();
    for (std::thread& t : pool) t.join();
  }
  // the file whose slit pixel threw: what came before reaches the job, as its own run gives it
  const bool threw = st.Failure && handed == st.Failed;
  if (threw && !leadFailure) {
    TPixelRun& run = *runs[static_cast<size_t>(handed)];
    for (int s = 0; s < 4; ++s) run.Emit(s);
    run.EmitReport();
  }
  for (int32_t k = handed + (threw ? 1 : 0); k < std::min(n, st.Ready.load()); ++k)
    Files[static_cast<size_t>(k)]->FreeCalc();
  if (leadFailure) std::rethrow_exception(leadFailure);
  if (st.Failure) std::rethrow_exception(st.Failure);
  return !stopped;
}

// ---------------------------------------------------------------- line positions

void TFITS::CalcL5_1_2() {
  if (!LoadData()) return;
  SetBit(2);
  GetContAll();
  CalcSumsFine(0, 0.9);
  const bool qual = Full(AQual, nY);
  auto normal = [&](int32_t y) { return !qual || AQual[y] <= QualLimit; };
  struct TLine {
    TAIn *D, *Ld;
    TARe* LC;
    double* Mean;
    std::string Err;
  } lines[2] = {
      {&Ad01, &ALd01, &ALC1, &LCMean1, "TFITS.CalcL5_1_2 ERR: нет нормальных профилей!"_cp},
      {&Ad02, &ALd02, &ALC2, &LCMean2, "TFITS.CalcL5_1_2 ERR(2): нет нормальных профилей!"_cp}};
  int32_t lo = 1, hi = nLam;
  TAIn A;
  for (int n = 0; n < 2; ++n) {
    TLine& L = lines[n];
    Size(*L.LC, nY);
    Size(*L.D, nY);
    Size(*L.Ld, nY);
    if (n == 1) {
      const double c = nLam / 2.0 > LCMean1 ? LCMean1 + 45.5 : LCMean1 - 45.5;
      lo = std::clamp(RoundEven(c - 22), 1, nLam);
      hi = std::clamp(RoundEven(c + 22), 1, nLam);
    }
    double sum = 0;
    int32_t count = 0;
    for (int32_t y = 1; y <= nY; ++y) {
      (*L.Ld)[y] = 0;
      if (!normal(y) || !GetCol3(y, 1, A)) continue;
      int32_t m = 0, im = 0;
      AInMinPoint(A, lo, hi, m, im);
      (*L.D)[y] = m;
      (*L.Ld)[y] = im;
      sum += im;
      ++count;
    }
    if (count > 0) {
      const double m = sum / count;
      for (int32_t y = 1; y <= nY; ++y)
        if (std::fabs((*L.Ld)[y] - m) >= 5) (*L.Ld)[y] = 0;
    }
    double sLC = 0;
    int32_t nLC = 0;
    for (int32_t y = 1; y <= nY; ++y) {
      double& lc = (*L.LC)[y];
      lc = 0;
      if ((*L.Ld)[y] < 1 || !GetCol3(y, 1, A)) continue;
      const double lev = ((*L.D)[y] + ACnt[y]) / 2;
      double b = 0, r = 0;
      if (BlueCrossing(A, (*L.Ld)[y], nLam, lev, b) && RedCrossing(A, (*L.Ld)[y], nLam, lev, r))
        lc = Fin((b + r) / 2);
      if (lc > 0) {
        sLC += lc;
        ++nLC;
      }
    }
    if (nLC == 0) {
      WARNAbs(L.Err);
      return;
    }
    *L.Mean = sLC / nLC;
  }
}

namespace {

void SwapLines(int32_t nY, TARe& LC1, TARe& LC2, TAIn& Ld1, TAIn& Ld2, TAIn& D1, TAIn& D2) {
  for (int32_t y = 1; y <= nY; ++y) {
    std::swap(LC1[y], LC2[y]);
    if (Full(Ld1, nY) && Full(Ld2, nY)) std::swap(Ld1[y], Ld2[y]);
    if (Full(D1, nY) && Full(D2, nY)) std::swap(D1[y], D2[y]);
  }
}

}  // namespace

void TFITS::CalcLCHalf() { CalcLCLevelMinima(0.5); }

void TFITS::CalcLCLevelMinima(double x) {
  Size(ALC1, nY);
  Size(ALC2, nY);
  Size(ALd01, nY);
  Size(ALd02, nY);
  Size(Ad01, nY);
  Size(Ad02, nY);
  std::vector<uint8_t> done(static_cast<size_t>(std::max(nY, 0)) + 1, 0);
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn A;
    if (!GetCol3(y, 1, A)) return;
    double x1 = 0, x2 = 0;
    const double c = Full(ACnt, nY) ? ACnt[y] : 0;
    BisLevPair(A, c, x, x1, x2, ALd01[y], ALd02[y], Ad01[y], Ad02[y]);
    ALC1[y] = Fin(x1);
    ALC2[y] = Fin(x2);
    done[static_cast<size_t>(y)] = 1;
  });
  double s1 = 0, s2 = 0;
  for (int32_t y = 1; y <= nY; ++y)
    if (done[static_cast<size_t>(y)]) {
      s1 += Ad01[y];
      s2 += Ad02[y];
    }
  if (s2 < s1) SwapLines(nY, ALC1, ALC2, ALd01, ALd02, Ad01, Ad02);
}

void TFITS::CalcLCLevel(double x) {
  Size(ALC1, nY);
  Size(ALC2, nY);
  if (!(Loadd0Columns() && LoadLd0Columns())) return CalcLCLevelMinima(x);
  std::vector<uint8_t> done(static_cast<size_t>(std::max(nY, 0)) + 1, 0);
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn A;
    if (!GetCol3(y, 1, A)) return;
    double x1 = 0, x2 = 0;
    BisLevPairJ(A, y, Full(ACnt, nY) ? ACnt[y] : 0, x, x1, x2, Ad01, Ad02, ALd01, ALd02);
    ALC1[y] = Fin(x1);
    ALC2[y] = Fin(x2);
    done[static_cast<size_t>(y)] = 1;
  });
  double s1 = 0, s2 = 0;
  for (int32_t y = 1; y <= nY && y < NOf(Ad01) + 1 && y < NOf(Ad02) + 1; ++y)
    if (done[static_cast<size_t>(y)]) {
      s1 += Ad01[y];
      s2 += Ad02[y];
    }
  if (s2 < s1) SwapLines(nY, ALC1, ALC2, ALd01, ALd02, Ad01, Ad02);
}

// ---------------------------------------------------------------- loaders

void TFITS::LoadGRCColumns() {
  TARe a, b;
  if (!MapRow("GRC_6301", a) || !MapRow("GRC_6302", b)) return;
  AGRC1 = std::move(a);
  AGRC2 = std::move(b);
}

bool TFITS::LoadLCColumns() {
  TARe a, b;
  if (!MapRow("LC501", a) || !MapRow("LC502", b)) return false;
  ALC1 = std::move(a);
  ALC2 = std::move(b);
  return true;
}

bool TFITS::LoadLWColumns() {
  TARe a, b, c, d;
  if (!MapRow("LWb1", a) || !MapRow("LWr1", b) || !MapRow("LWb2", c) || !MapRow("LWr2", d))
    return false;
  ALWb1 = std::move(a);
  ALWr1 = std::move(b);
  ALWb2 = std::move(c);
  ALWr2 = std::move(d);
  return true;
}

namespace {

TAIn ToInts(const TARe& R) {
  TAIn r(R.size(), 0);
  for (size_t i = 1; i < R.size(); ++i) r[i] = RoundEven(R[i]);
  return r;
}

}  // namespace

bool TFITS::Loadd0Columns() {
  TARe a, b;
  if (!MapRow("d01", a) || !MapRow("d02", b)) return false;
  Ad01 = ToInts(a);
  Ad02 = ToInts(b);
  return true;
}

bool TFITS::LoadLd0Columns() {
  TARe a, b;
  if (!MapRow("Ld01", a) || !MapRow("Ld02", b)) return false;
  ALd01 = ToInts(a);
  ALd02 = ToInts(b);
  return true;
}

bool TFITS::LoadVWMeans() {
  TARe a, b;
  if (!MapRow("VW1", a) || !MapRow("VW2", b)) return false;
  double s1 = 0, s2 = 0;
  const int32_t n = std::min({nY, NOf(a), NOf(b)});
  for (int32_t y = 1; y <= n; ++y) {
    s1 += a[y];
    s2 += b[y];
  }
  const double m1 = nY > 0 ? s1 / nY : 0, m2 = nY > 0 ? s2 / nY : 0;
  VWMean = (m1 + m2) / 2;
  VWDiff = m2 - m1;
  return true;
}

// ---------------------------------------------------------------- Stokes sums

void TFITS::CalcSums() {
  TTimedSection timed("FITS.CalcSums");
  for (int k = 1; k <= 23; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
}

void TFITS::GetLineBounds(const TAIn& A, int32_t y, double L, double Lo, double Hi, double Frac,
                          int32_t& S, int32_t& E) const {
  const int32_t K = std::clamp(RoundEven(L), 2, 111);
  const int32_t a = std::max(2, K - 6), b = std::min(111, K + 6);
  int32_t amin = A[a], kmin = a;
  for (int32_t j = a + 1; j <= b; ++j)
    if (A[j] < amin) {
      amin = A[j];
      kmin = j;
    }
  int32_t i1 = static_cast<int32_t>(std::trunc(Lo));
  if (i1 < 1 || i1 > 111) {
    WARN("GetLineBounds i1=" + IntStr(i1) + " iX=" + IntStr(IXI) + " iYA=" + IntStr(y));
    i1 = std::clamp(i1, 1, 111);
  }
  int32_t i2 = static_cast<int32_t>(std::trunc(Hi)) + 1;
  if (i2 > 112 || i2 < 2) {
    WARN("GetLineBounds i2=" + IntStr(i2) + " iX=" + IntStr(IXI) + " iYA=" + IntStr(y));
    i2 = std::clamp(i2, 2, 112);
  }
  const double lev = (ACnt[y] - amin) * Frac + amin;
  S = kmin - 1;
  while (S > i1 && A[S] < lev) --S;
  E = kmin + 1;
  while (E < i2 && A[E] < lev) ++E;
}

namespace {

struct TSumLine {
  double VmX = 0, Vm = 0, VmD = 0, VpX = 0, Vp = 0, VpD = 0;
  double Ax = 0, Asum = 0, Bx = 0, Bsum = 0, AbsVx = 0;
  double P = 0, T = 0, Px = 0;
  double Qm = 0, QmD = 0, Qp = 0, QpD = 0, Um = 0, UmD = 0, Up = 0, UpD = 0;
  double C = 0, Cx = 0, Bl = 0, Blx = 0, R = 0, Rx = 0;
};

}  // namespace

void TFITS::CalcSumsFine(int32_t Mode, double Frac) {
  TTimedSection timed("FITS.CalcSumsFine");
  const double ref = Owner && Owner->RefCDELT1 != 0 ? Owner->RefCDELT1 : CDELT1;
  const double d1 = Owner ? Owner->d6301 : 350, d2 = Owner ? Owner->d6302 : 350;
  const double kc = Owner && Owner->KCont != 0 ? Owner->KCont : 1.0;
  const double w1 = ref != 0 ? std::fabs(d1 / 1000 / ref) : 0;
  const double w2 = ref != 0 ? std::fabs(d2 / 1000 / ref) : 0;
  const int32_t h = nLam / 2;
  CalcSums();
  if (!Full(ACnt, nY)) GetContAll();
  ForPixels(nY, Threads, [&](int32_t y) {
    if (ACnt[y] < 1000) {
      if (Mode < 3)
        for (int k = 1; k <= 23; ++k) ArN2[k][1][y] = ArN2[k][2][y] = 0;
      return;
    }
    thread_local TAIn I, Q, U, V;
    if (!GetCol3(y, 1, I) || !GetCol3(y, 2, Q) || !GetCol3(y, 3, U) || !GetCol3(y, 4, V)) return;
    const double C = ACnt[y] * kc;
    const double N = CDELT1 * 1000 / C;
    const double Ls[3] = {0, Full(ALC1, nY) ? ALC1[y] : 0, Full(ALC2, nY) ? ALC2[y] : 0};
    const double ws[3] = {0, w1, w2};
    int32_t s[3] = {0, 0, 0}, e[3] = {0, 0, 0};
    for (int n = 1; n <= 2; ++n)
      GetLineBounds(I, y, Ls[n], Ls[n] - ws[n], Ls[n] + ws[n], Frac, s[n], e[n]);
    for (int n = 1; n <= 2; ++n) {
      const int32_t lo = n == 1 ? 1 : h + 1, hi = n == 1 ? h : nLam;
      if (Frac == 1) {
        s[n] = lo;
        e[n] = hi;
      }
      s[n] = std::max(s[n], lo);
      e[n] = std::min(e[n], hi);
      const int32_t S = s[n], E = e[n];
      const double L = Ls[n];
      TSumLine w;
      int64_t sumI = 0;
      for (int32_t j = S; j <= E; ++j) {
        const double x = j, dx = j - L, half = (j == S || j == E) ? 0.5 : 1.0;
        const double v = V[j] * half, q = Q[j] * half, u = U[j] * half;
        if (v < 0) {
          w.VmX += std::fabs(v) * x;
          w.Vm += v;
          w.VmD += std::fabs(v) * dx;
        } else {
          w.VpX += v * x;
          w.Vp += v;
          w.VpD += v * dx;
        }
        const double a = Frac * ACnt[y] - (I[j] + v);
        if (a > 0) {
          w.Ax += a * x;
          w.Asum += a;
        }
        const double b = Frac * ACnt[y] - (I[j] - v);
        if (b > 0) {
          w.Bx += b * x;
          w.Bsum += b;
        }
        w.AbsVx += std::fabs(v) * x;
        const double p = std::sqrt(q * q + u * u), t = std::sqrt(q * q + u * u + v * v);
        w.P += p;
        w.T += t;
        w.Px += p * x;
        if (q < 0) {
          w.Qm += q;
          w.QmD += std::fabs(q) * std::fabs(dx);
        } else {
          w.Qp += q;
          w.QpD += q * std::fabs(dx);
        }
        if (u < 0) {
          w.Um += u;
          w.UmD += std::fabs(u) * std::fabs(dx);
        } else {
          w.Up += u;
          w.UpD += u * std::fabs(dx);
        }
        if (j > S && j < E) sumI += I[j];
      }
      if (E >= S) sumI += (static_cast<int64_t>(I[S]) + I[E]) / 2;
      const int32_t nI = E - S;
      const double sV = w.VpD >= w.VmD ? -1 : 1, sQ = w.QpD >= w.QmD ? -1 : 1,
                   sU = w.UpD >= w.UmD ? -1 : 1;
      for (int32_t j = S; j <= E; ++j) {
        const double x = j, dx = j - L, half = (j == S || j == E) ? 0.5 : 1.0;
        const double q = Q[j] * half, u = U[j] * half;
        const bool qm = (sQ < 0 && q < 0) || (sQ > 0 && q > 0);
        const bool um = (sU < 0 && u < 0) || (sU > 0 && u > 0);
        const int gq = qm ? 0 : dx < 0 ? 1 : 2, gu = um ? 0 : dx < 0 ? 1 : 2;
        double* sums[3] = {&w.C, &w.Bl, &w.R};
        double* moms[3] = {&w.Cx, &w.Blx, &w.Rx};
        for (int g = 0; g < 3; ++g) {
          double val;
          if (gq == g && gu == g)
            val = std::sqrt(q * q + u * u);
          else if (gq == g)
            val = std::fabs(q);
          else if (gu == g)
            val = std::fabs(u);
          else
            continue;
          *sums[g] += val;
          *moms[g] += val * x;
        }
      }
      if (Mode >= 3) continue;
      double r[24] = {};
      r[1] = std::fabs(w.Vp) * sV * N;
      r[2] = std::fabs(w.Vm) * sV * N;
      r[3] = std::fabs(w.Qp) * sQ * N;
      r[4] = std::fabs(w.Qm) * sQ * N;
      r[5] = std::fabs(w.Up) * sU * N;
      r[6] = std::fabs(w.Um) * sU * N;
      r[7] = (nI * C - static_cast<double>(sumI)) * N;
      r[8] = w.Vp == 0 ? L : w.VpX / std::fabs(w.Vp);
      r[9] = w.Vm == 0 ? L : w.VmX / std::fabs(w.Vm);
      const double den = std::fabs(w.Vp) + std::fabs(w.Vm);
      r[10] = den == 0 || r[8] + r[9] == 0 ? L : w.AbsVx / den;
      r[11] = r[8] > r[10] ? r[9] : r[8];
      r[12] = r[8] > r[10] ? r[8] : r[9];
      r[13] = w.P * N;
      r[14] = w.T * N;
      r[15] = std::fabs(w.Asum) >= 1 ? w.Ax / w.Asum : L;
      r[16] = std::fabs(w.Bsum) >= 1 ? w.Bx / w.Bsum : L;
      r[17] = w.P == 0 ? L : w.Px / w.P;
      r[18] = w.C == 0 ? L : w.Cx / w.C;
      r[19] = w.Bl == 0 ? L : w.Blx / w.Bl;
      r[20] = w.R == 0 ? L : w.Rx / w.R;
      r[21] = w.C * N;
      r[22] = w.Bl * N;
      r[23] = w.R * N;
      for (int k = 1; k <= 23; ++k) ArN2[k][n][y] = Fin(r[k]);
    }
  });
}

void TFITS::CalcFiltSums(int32_t i1, int32_t i2, const std::string&, bool Absolute) {
  const int n = i1 <= 60 ? 1 : 2;
  Size(ArN2[1][n], nY);
  Size(ArN2[2][n], nY);
  const double kc = Owner && Owner->KCont != 0 ? Owner->KCont : 1.0;
  const TARe& W = n == 1 ? AW1 : AW2;
  const int32_t a = std::max(i1, 1), b = std::min(i2, nLam);
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn V;
    if (!GetCol3(y, 4, V)) return;
    double S = 0;
    for (int32_t j = a; j <= b; ++j) S += Absolute ? std::abs(V[j]) : V[j];
    if (i2 - i1 > 1) S /= (i2 - i1);
    const double c = Full(ACnt, nY) ? ACnt[y] * kc : 0;
    const double w = Full(W, nY) ? W[y] : 0;
    ArN2[1][n][y] = c != 0 ? Fin(S / c) : 0;
    ArN2[2][n][y] = w != 0 ? Fin(S / w) : 0;
  });
}

// ---------------------------------------------------------------- centres of gravity

double CGravNextEstimate(const double* R, int32_t n, double l) {
  const double r = R[n];
  if (n <= 2) return r;
  if (n == 3) return (r + l) / 2;
  if ((R[n] - R[n - 1]) * (R[n - 1] - R[n - 2]) > 0) return r;
  const int32_t from = std::max(4, n - 5);
  double m = 0;
  for (int32_t i = from; i <= n; ++i) m += R[i];
  m /= (n - from + 1);
  return n > 12 ? (48 * m + r) / 49 : n > 8 ? (6 * m + r) / 7 : (2 * m + r) / 3;
}

void TFITS::CalcCGrav(int32_t y, double& g1, double& g2) {
  TTimedSection timed("FITS.CalcCGrav");
  g1 = g2 = 0;
  thread_local TAIn A;
  if (!GetCol3(y, 1, A)) return;
  CalcCGrav(y, A, g1, g2, Owner ? &Owner->CalcReport : nullptr);
}

void TFITS::CalcCGrav(int32_t y, const TAIn& A, double& g1, double& g2, TStringList* rep) {
  g1 = g2 = 0;
  thread_local TARe X;
  X.assign(A.begin(), A.end());
  if (rep && Owner && Owner->LineCenterDebug) {
    TARe v;
    TAIn p;
    AReTurnPoints(X, 1, std::min<int32_t>(112, nLam), v, p);
    double mn = 0, mx = 0;
    if (NOf(v) >= 1) AReMinMax(v, mn, mx);
    TurnPointsThin(v, p, (mx - mn) / 10);
    std::string vs, ps;
    for (int32_t i = 1; i <= NOf(v); ++i) {
      vs += ShortSt(4, v[i]) + " ";
      ps += IntStr(p[i]) + " ";
    }
    rep->Add("---CalcCGrav---\r\niX=" + IntStr(IXI) + " iYA=" + IntStr(y) +
             " Экстремумы после редукции ВЕСЬ I ПРОФИЛЬ:"_cp + "\r\n" + vs + "\r\n" + ps);
  }
  const double ref = CDELT1 != 0 ? CDELT1 : 0.021549;
  const double w1 = std::fabs((Owner ? Owner->d6301 : 350) / 1000 / ref);
  const double w2 = std::fabs((Owner ? Owner->d6302 : 350) / 1000 / ref);
  const int32_t h = nLam / 2;
  double l1, l2;
  if (CDELT1 > 0) {
    l1 = LineCenter0_IR(1, h, A);
    l2 = LineCenter0_IR(h + 1, nLam, A);
  } else {
    l1 = LineCenter0_IR(h + 1, nLam, A);
    l2 = LineCenter0_IR(1, h, A);
  }
  constexpr int kMax = 15;
  double R[2][kMax + 2] = {}, In[2][kMax + 2] = {};
  R[0][1] = l1;
  R[1][1] = l2;
  double* l[2] = {&l1, &l2};
  double* g[2] = {&g1, &g2};
  bool done[2] = {false, false};
  int32_t n = 1;
  auto loopReport = [&](const std::string& Title, double DPix) {
    if (!rep) return;
    std::string s = "FITS.CalcCGrav(iYA=" + IntStr(y) + " IXI=" + IntStr(IXI) + Title +
                    "\r\nkRep=" + IntStr(n) + " dPix=" + ShortSt(6, DPix) + " l10=" +
                    EFSt(6, l1) + " => l1=" + ShortSt(6, g1) + " l20=" + EFSt(6, l2) +
                    " => l2=" + ShortSt(6, g2) + "\r\n";
    for (int32_t m = 1; m <= n; ++m)
      s += IntStr(m) + " " + ShortSt(6, R[0][m]) + " " + ShortSt(6, R[1][m]) + " // " +
           ShortSt(6, In[0][m]) + " " + ShortSt(6, In[1][m]) + "\r\n";
    rep->Add(s);
  };
  while (!(done[0] && done[1]) && n <= kMax) {
    In[0][n] = l1;
    In[1][n] = l2;
    ++n;
    double j[2][2] = {{l1 - w1, l1 + w1}, {l2 - w2, l2 + w2}};
    if (!(j[0][0] >= 1 && j[1][0] >= 1 && j[0][1] < nLam && j[1][1] < nLam)) {
      if (rep)
        rep->Add("CalcCGrav-jjErr:(iYA=" + IntStr(y) + " IXI=" + IntStr(IXI) + ") l1=" +
                 ShortSt(6, g1) + " l2=" + ShortSt(6, g2) + " j11=" + ShortSt(6, j[0][0]) +
                 " j12=" + ShortSt(6, j[0][1]) + " j21=" + ShortSt(6, j[1][0]) +
                 " j22=" + ShortSt(6, j[1][1]));
      for (auto& w : j) {
        w[0] = std::max(w[0], 1.0);
        w[1] = std::min(w[1], static_cast<double>(nLam));
      }
    }
    for (int k = 0; k < 2; ++k) {
      if (done[k]) continue;
      double r = LineCenter_RI(X, j[k][0], j[k][1]);
      if (r == 0) r = *l[k] + 0.1;
      r = Fin(r);
      *g[k] = r;
      R[k][n] = r;
      const double dPix = std::fabs(r - *l[k]);
      if (dPix < kTolCGrav) {
        done[k] = true;
      } else {
        *l[k] = CGravNextEstimate(R[k], n, *l[k]);
      }
      if (!done[k] && n > 14) {
        double m = 0;
        for (int32_t i = n - 5; i <= n; ++i) m += R[k][i];
        *g[k] = m / 6;
        done[k] = true;
        loopReport(k == 0 ? ") Lam6301 походу мы зациклились:"_cp
                          : ") Lam6302 походу мы зациклились:"_cp,
                   dPix);
      }
    }
  }
}

// AGRC1, AGRC2 and AClass of slit pixel y from its I profile A (Ok false: not decoded; the
// messages of the undecodable profile as the separate calls give them).
void TFITS::CentresOf(int32_t y, bool Ok, const TAIn& A, TStringList* Report) {
  thread_local TARe v;
  thread_local TAIn p;
  double g1 = 0, g2 = 0;
  if (Ok) {
    CalcCGrav5(y, A, g1, v, p, g2);
    if (AClass[y] != 5) CalcCGrav(y, A, g1, g2, Report);
  } else if (AClass[y] != 5) {
    thread_local TAIn again;
    GetCol3(y, 1, again);
  }
  AGRC1[y] = g1;
  AGRC2[y] = g2;
}

void TFITS::CalcCGravs() {
  TTimedSection timed("FITS.CalcCGravs");
  if (!Bit(1)) {
    WARNAbs("TFITS.CalcCGravs Err: Header Not Loaded Yet!");
    return;
  }
  Size(AGRC1, nY);
  Size(AGRC2, nY);
  Size(AClass, nY);
  TPixelRun run(nY, Threads, 1, Owner ? &Owner->CalcReport : nullptr);
  run.Run([&](int32_t y, TPixelRun::TPixel& P) {
    thread_local TAIn A;
    const bool ok = GetCol3(y, 1, A);
    CentresOf(y, ok, A, P.Report);
  });
  run.Emit(0);
  run.EmitReport();
}

// ---------------------------------------------------------------- widths, moments, bisectors

TFITS::TEqwSetup TFITS::EqwSetup() {
  TEqwSetup s;
  s.Cd = std::fabs(CDELT1);
  s.W1 = s.Cd != 0 ? std::fabs((Owner ? Owner->d6301 : 350) / 1000 / CDELT1) : 0;
  s.W2 = s.Cd != 0 ? std::fabs((Owner ? Owner->d6302 : 350) / 1000 / CDELT1) : 0;
  for (TARe* c : {&AW1, &AW2, &AVM1, &AVM2, &AHG1, &AHG2, &AHM1, &AHM2}) Size(*c, nY);
  return s;
}

namespace {

// P = I / Norm, Vn = V / Norm, Ap = 1 - (P + Vn), Am = 1 - (P - Vn) over N pixels, four at a time
// (each lane the same operations as the plain loop, so the same bits).
typedef double TD4 __attribute__((vector_size(32)));
typedef int32_t TI4 __attribute__((vector_size(16)));

__attribute__((target_clones("avx2", "default"))) void Normalised(
    const int32_t* I, const int32_t* V, int32_t N, double Norm, double* __restrict P,
    double* __restrict Vn, double* __restrict Ap, double* __restrict Am) {
  int32_t j = 0;
  const TD4 n4 = {Norm, Norm, Norm, Norm}, one = {1, 1, 1, 1};
  for (; j + 4 <= N; j += 4) {
    TI4 i4, v4;
    __builtin_memcpy(&i4, I + j, sizeof i4);
    __builtin_memcpy(&v4, V + j, sizeof v4);
    const TD4 p = __builtin_convertvector(i4, TD4) / n4;
    const TD4 v = __builtin_convertvector(v4, TD4) / n4;
    const TD4 ap = one - (p + v), am = one - (p - v);
    __builtin_memcpy(P + j, &p, sizeof p);
    __builtin_memcpy(Vn + j, &v, sizeof v);
    __builtin_memcpy(Ap + j, &ap, sizeof ap);
    __builtin_memcpy(Am + j, &am, sizeof am);
  }
  for (; j < N; ++j) {
    P[j] = I[j] / Norm;
    Vn[j] = V[j] / Norm;
    Ap[j] = 1 - (P[j] + Vn[j]);
    Am[j] = 1 - (P[j] - Vn[j]);
  }
}

}  // namespace

void TFITS::EqwOf(const TEqwSetup& S, int32_t y, const TAIn& I, const TAIn& V) {
  thread_local TARe P, Vn, Ap, Am;
  const size_t len = static_cast<size_t>(nLam) + 1;
  // I/Ic and V/Ic as GetAI (y) and GetAV (y - 1) give them
  const double norm = Normaliser(y);
  // every element written below (no clearing first)
  for (TARe* a : {&P, &Vn, &Ap, &Am}) {
    a->resize(len);
    (*a)[0] = 0;
  }
  Normalised(I.data() + 1, V.data() + 1, nLam, norm, P.data() + 1, Vn.data() + 1, Ap.data() + 1,
             Am.data() + 1);
  const double top = nLam;
  const double gr[3] = {0, Full(AGRC1, nY) ? AGRC1[y] : 0, Full(AGRC2, nY) ? AGRC2[y] : 0};
  const double ws[3] = {0, S.W1, S.W2};
  static const double kLam[3] = {0, 6301.5, 6302.5}, kG[3] = {0, 1.669, 2.487};
  TARe* W[3] = {nullptr, &AW1, &AW2};
  TARe* VM[3] = {nullptr, &AVM1, &AVM2};
  TARe* HM[3] = {nullptr, &AHM1, &AHM2};
  TARe* HG[3] = {nullptr, &AHG1, &AHG2};
  for (int n = 1; n <= 2; ++n) {
    const double lo = std::clamp(gr[n] - ws[n], 1.0, top);
    const double hi = std::clamp(gr[n] + ws[n], 1.0, top);
    const double cp = LineCenter_d(Ap, lo, hi), cm = LineCenter_d(Am, lo, hi);
    const double s = S.Cd * (cm - cp) * 1000;
    (*HG[n])[y] = Fin(BFromSplit(s / 2, kLam[n], kG[n]));
    const double w = Fin(S.Cd * 1000 * AReMoment0D(P, lo, hi, 1.0));
    (*W[n])[y] = w;
    const double mA = CDELT1 * 1000;
    const double vm = Fin(AReMoment1D(Vn, lo, hi, gr[n]) * mA * mA);
    (*VM[n])[y] = vm;
    (*HM[n])[y] = w != 0 ? Fin(BFromSplit(vm / w, kLam[n], kG[n])) : 0;
  }
}

void TFITS::CalcEqw() {
  TTimedSection timed("FITS.CalcEqw");
  const TEqwSetup eqw = EqwSetup();
  if (!Full(ACnt, nY)) GetContAll();
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn I, V;
    const bool okI = GetCol3(y, 1, I);
    if (GetCol3(y, 4, V) && okI) EqwOf(eqw, y, I, V);
  });
}

void TFITS::BisecSetup() {
  Size(ANExt1, nY);
  Size(ANExt2, nY);
  for (int k = 1; k <= 9; ++k)
    for (TARe* c : {&ABiC1[k], &ABiC2[k], &ABiW1[k], &ABiW2[k]}) Size(*c, nY);
  for (int m = 3; m <= 5; ++m)
    for (TARe* c : {&A35C1[m], &A35C2[m], &A35I1[m], &A35I2[m], &A35D1[m], &A35D2[m]})
      Size(*c, nY);
  if (!Full(ACnt, nY)) GetContAll();
}

void TFITS::BisecOf(int32_t y, const TAIn& A) {
  // Line 1 is measured over pixels 1..56, line 2 over 56..112: both windows share pixel 56.
  constexpr int32_t kSplit = 56;
  const double C = ACnt[y];
  for (int n = 1; n <= 2; ++n) {
    double xmin = 0, ymin = 0;
    TBand9 bis{}, wid{};
    TGauss3 dld{}, lam0{}, d0{};
    int32_t next = 0;
    if (GaussFits) {
      LineMetrix(n == 1 ? 1 : kSplit, n == 1 ? kSplit : nLam, A, C, xmin, ymin, bis, wid, dld,
                 lam0, d0, next);
    } else {
      TBand9 xl{}, xr{};
      CalcBisec9I(n == 1 ? 1 : kSplit, n == 1 ? kSplit : nLam, A, C, xmin, ymin, bis, wid, xl,
                  xr, next);
    }
    (n == 1 ? ANExt1 : ANExt2)[y] = static_cast<uint8_t>(std::clamp(next, 0, 255));
    auto& bc = n == 1 ? ABiC1 : ABiC2;
    auto& bw = n == 1 ? ABiW1 : ABiW2;
    for (int k = 1; k <= 9; ++k) {
      bc[k][y] = Fin(bis[k]);
      bw[k][y] = Fin(wid[k]);
    }
    auto& gc = n == 1 ? A35C1 : A35C2;
    auto& gi = n == 1 ? A35I1 : A35I2;
    auto& gd = n == 1 ? A35D1 : A35D2;
    for (int m = 3; m <= 5; ++m) {
      gc[m][y] = Fin(lam0[m - 2]);
      gi[m][y] = Fin(d0[m - 2]);
      gd[m][y] = Fin(dld[m - 2]);
    }
  }
}

void TFITS::CalcBisec() {
  TTimedSection timed("FITS.CalcBisec");
  BisecSetup();
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn A;
    if (GetCol3(y, 1, A)) BisecOf(y, A);
  });
}

void TFITS::CalcLW(bool& Err) {
  Err = false;
  for (int k = 1; k <= 3; ++k)
    for (int n = 1; n <= 2; ++n) Size(ArN2[k][n], nY);
  std::vector<uint8_t> failed(static_cast<size_t>(std::max(nY, 0)) + 1, 0);
  ForPixels(nY, Threads, [&](int32_t y) {
    thread_local TAIn A;
    if (!GetCol3(y, 1, A)) return;
    int32_t m = 0, c[3] = {0, 0, 0};
    AInMinPoint(A, 10, 50, m, c[1]);
    AInMinPoint(A, 57, 94, m, c[2]);
    for (int n = 1; n <= 2; ++n) {
      int32_t b1 = 0, b2 = 0, r1 = 0, r2 = 0;
      WingBoundsI(c[n], A, b1, b2);
      WingBoundsI2(c[n], A, r1, r2);
      const double lvl = ((A[b1] + A[b2]) / 2.0 + (A[r1] + A[r2]) / 2.0) / 2;
      int32_t K = b2;
      const double xb = ipolLeWi(b1, b2, K, A, lvl);
      K = r1;
      const double xr = ipolRiWi(r1, r2, K, A, lvl);
      if (std::fabs(xb - b2) < 1e-5) {
        WARNAbs("CalcLW iYA=" + IntStr(y) + " Left: ic=" + IntStr(c[n]) + " ->i2=" + IntStr(b2) +
                " ,i1=" + IntStr(b1) + " A[i2]=" + IntStr(A[b2]) + " Lvl=" + FDecSt(1, lvl) +
                " A[i1]=" + IntStr(A[b1]));
        failed[static_cast<size_t>(y)] = 1;
      }
      if (std::fabs(xr - r1) < 1e-5) {
        WARNAbs("CalcLW iYA=" + IntStr(y) + " Right: ic=" + IntStr(c[n]) + " ->i1=" +
                IntStr(r1) + " ,i2=" + IntStr(r2) + " A[i1]=" + IntStr(A[r1]) +
                " Lvl=" + FDecSt(1, lvl) + " A[i2]=" + IntStr(A[r2]));
        failed[static_cast<size_t>(y)] = 1;
      }
      ArN2[1][n][y] = Fin(xb);
      ArN2[2][n][y] = Fin(xr);
      ArN2[3][n][y] = lvl;
    }
  });
  for (uint8_t f : failed) Err = Err || f != 0;
}

// ---------------------------------------------------------------- memory

void TFITS::FreeMeasures() {
  for (TARe* c : {&ACntIdx, &ACnt2, &ACnt2Idx, &AQual, &ALC1, &ALC2, &ALWb1, &ALWr1, &ALWb2,
                  &ALWr2, &AW1, &AW2, &AVM1, &AVM2, &AHM1, &AHM2, &AHG1, &AHG2})
    TARe().swap(*c);
  for (TAIn* c : {&Ad01, &Ad02, &ALd01, &ALd02}) TAIn().swap(*c);
  for (auto& row : ArN2)
    for (TARe& c : row) TARe().swap(c);
  for (auto* a : {&ABiC1, &ABiC2, &ABiW1, &ABiW2})
    for (TARe& c : *a) TARe().swap(c);
  for (auto* a : {&A35C1, &A35C2, &A35I1, &A35I2, &A35D1, &A35D2})
    for (TARe& c : *a) TARe().swap(c);
  std::vector<uint8_t>().swap(ANExt1);
  std::vector<uint8_t>().swap(ANExt2);
  LCMean1 = LCMean2 = 0;
}

void ForSlitPixels(int32_t nY, int32_t Threads, const std::function<void(int32_t)>& Body) {
  ForPixels(nY, Threads, Body);
}
