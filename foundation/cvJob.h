// The job context of computing work (a restore, a parameter grid, a synthesis, a scan
// measurement): progress, warnings collected for one report at the end, cancel, pause between
// steps, questions answered by whoever runs the job, and the job's own trace mask.
//
// A computing routine takes a TJob& and never opens a message box or pumps events:
//   for (i = 1 .. n) { if (!Job.Step(i, n, "table " + name)) return;  ... }
// While a job runs on a thread (TJobScope, RunJob, the window's runner), the message sink routes
// that thread's warnings into the job (WARNAbs always, WARN while warnings are switched on) and
// its Yes/No questions to Ask; a repeated warning is counted, not repeated.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

enum class TJobState { Ready, Running, Done, Cancelled, Failed };

struct TJobProgress {
  int64_t Done = 0;
  int64_t Total = 0;  // 0: unknown
  std::string Text;   // code page 1251
};

class TJob {
 public:
  explicit TJob(std::string Name = "job");
  TJob(const TJob&) = delete;
  TJob& operator=(const TJob&) = delete;

  const std::string& Name() const { return name_; }

  // ---- progress ----
  // Reports progress (handed to OnProgress) and waits here while the job is paused. False when
  // the job is cancelled: the routine ends at its next safe point.
  bool Step(int64_t Done, int64_t Total, const std::string& Text);
  TJobProgress LastProgress() const;
  // Called on the job's thread for each Step (the runner forwards it to the window).
  std::function<void(const TJobProgress&)> OnProgress;

  // ---- warnings ----
  struct TWarning {
    std::string Text;
    int32_t Count = 0;
  };
  void Warn(const std::string& Text, int32_t Times = 1);  // Times: a run of repeats at once
  std::vector<TWarning> Warnings() const;
  // The warnings so far, handed over; the job keeps collecting from none.
  std::vector<TWarning> TakeWarnings();
  int32_t WarningCount() const;  // distinct texts
  // The report: a heading with the job's name and outcome, then each warning (with "(xN)" when
  // repeated) and the error of a failed job.
  std::vector<std::string> Report() const;

  // ---- cancel and pause ----
  void Cancel();
  bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  void SetPaused(bool On);
  bool Paused() const { return paused_.load(std::memory_order_relaxed); }
  // Waits while paused; false when cancelled.
  bool Checkpoint();

  // ---- questions ----
  // Asked mid-run: OnAsk (the window answers while only the worker waits), else the next preset
  // answer, else Default.
  bool Ask(const std::string& Text, bool Default);
  std::function<bool(const std::string& Text, bool Default)> OnAsk;
  std::deque<bool> PresetAnswers;
  // The questions asked so far (tests, the report).
  std::vector<std::string> Questions() const;

  // ---- trace ----
  // The job's own trace mask: the thread running the job traces with it (taken from the
  // creating thread's mask).
  int32_t TraceMask = 0;

  // ---- outcome ----
  TJobState State() const { return state_.load(); }
  void SetState(TJobState S) { state_.store(S); }
  const std::string& Error() const { return error_; }
  void Fail(const std::string& Error);
  // Done, Cancelled or Failed.
  bool Ended() const;

 private:
  std::string name_;
  mutable std::mutex mutex_;
  std::condition_variable resume_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> paused_{false};
  std::atomic<TJobState> state_{TJobState::Ready};
  TJobProgress progress_;
  std::vector<TWarning> warnings_;
  std::vector<std::string> questions_;
  std::string error_;
};

// The job the calling thread works for; nullptr outside a job.
TJob* CurrentJob();

// The job the window runs now (set by its runner; nullptr when none): the keys that stop and
// pause a calculation (Esc, Space) cancel and pause it.
void SetForegroundJob(TJob* Job);
TJob* ForegroundJob();

// Makes Job the calling thread's job (and its TraceMask the thread's) until destroyed.
class TJobScope {
 public:
  explicit TJobScope(TJob& Job);
  ~TJobScope();
  TJobScope(const TJobScope&) = delete;
  TJobScope& operator=(const TJobScope&) = delete;

 private:
  TJob* previous_;
  int32_t previousMask_;
};

// The headless runner (tests, benches, the command-line harness): runs Work on the calling
// thread inside the job's scope. An exception fails the job with its text; a cancelled job ends
// Cancelled. True when the job is Done.
bool RunJob(TJob& Job, const std::function<void(TJob&)>& Work);
