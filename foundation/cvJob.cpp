#include "foundation/cvJob.h"

#include <exception>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"

namespace {
thread_local TJob* tCurrentJob = nullptr;
std::atomic<TJob*> g_foreground{nullptr};
}  // namespace

void SetForegroundJob(TJob* Job) { g_foreground.store(Job); }
TJob* ForegroundJob() { return g_foreground.load(); }

TJob::TJob(std::string Name) : TraceMask(::TraceMask), name_(std::move(Name)) {}

bool TJob::Step(int64_t Done, int64_t Total, const std::string& Text) {
  TJobProgress p{Done, Total, Text};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_ = p;
  }
  if (OnProgress) OnProgress(p);
  return Checkpoint();
}

TJobProgress TJob::LastProgress() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return progress_;
}

void TJob::Warn(const std::string& Text, int32_t Times) {
  if (Times <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (TWarning& w : warnings_)
    if (w.Text == Text) {
      w.Count += Times;
      return;
    }
  warnings_.push_back({Text, Times});
}

std::vector<TJob::TWarning> TJob::Warnings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return warnings_;
}

std::vector<TJob::TWarning> TJob::TakeWarnings() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TWarning> w;
  w.swap(warnings_);
  return w;
}

int32_t TJob::WarningCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int32_t>(warnings_.size());
}

std::vector<std::string> TJob::Report() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string outcome;
  switch (state_.load()) {
    case TJobState::Done: outcome = "выполнено"_cp; break;
    case TJobState::Cancelled: outcome = "прервано"_cp; break;
    case TJobState::Failed: outcome = "ошибка"_cp; break;
    default: outcome = "выполняется"_cp; break;
  }
  std::vector<std::string> lines;
  lines.push_back("=== " + name_ + ": " + outcome + ", предупреждений: "_cp +
                  std::to_string(warnings_.size()));
  if (!error_.empty()) lines.push_back(error_);
  for (const TWarning& w : warnings_) {
    std::string s = w.Text;
    if (w.Count > 1) s += " (x" + std::to_string(w.Count) + ")";
    lines.push_back(s);
  }
  return lines;
}

void TJob::Cancel() {
  cancelled_.store(true);
  std::lock_guard<std::mutex> lock(mutex_);
  resume_.notify_all();
}

void TJob::SetPaused(bool On) {
  paused_.store(On);
  std::lock_guard<std::mutex> lock(mutex_);
  resume_.notify_all();
}

bool TJob::Checkpoint() {
  if (paused_.load()) {
    std::unique_lock<std::mutex> lock(mutex_);
    resume_.wait(lock, [this] { return !paused_.load() || cancelled_.load(); });
  }
  return !Cancelled();
}

bool TJob::Ask(const std::string& Text, bool Default) {
  bool preset = Default;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    questions_.push_back(Text);
    if (!OnAsk && !PresetAnswers.empty()) {
      preset = PresetAnswers.front();
      PresetAnswers.pop_front();
    }
  }
  if (OnAsk) return OnAsk(Text, Default);
  return preset;
}

std::vector<std::string> TJob::Questions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return questions_;
}

void TJob::Fail(const std::string& Error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = Error;
  }
  state_.store(TJobState::Failed);
}

bool TJob::Ended() const {
  const TJobState s = state_.load();
  return s == TJobState::Done || s == TJobState::Cancelled || s == TJobState::Failed;
}

TJob* CurrentJob() { return tCurrentJob; }

TJobScope::TJobScope(TJob& Job) : previous_(tCurrentJob), previousMask_(::TraceMask) {
  tCurrentJob = &Job;
  ::TraceMask = Job.TraceMask;
}

TJobScope::~TJobScope() {
  if (tCurrentJob) tCurrentJob->TraceMask = ::TraceMask;
  tCurrentJob = previous_;
  ::TraceMask = previousMask_;
}

bool RunJob(TJob& Job, const std::function<void(TJob&)>& Work) {
  TJobScope scope(Job);
  Job.SetState(TJobState::Running);
  try {
    Work(Job);
    if (Job.State() != TJobState::Failed)
      Job.SetState(Job.Cancelled() ? TJobState::Cancelled : TJobState::Done);
  } catch (const std::exception& e) {
    Job.Fail(e.what());
  } catch (...) {
    Job.Fail("Unknown exception");
  }
  return Job.State() == TJobState::Done;
}
