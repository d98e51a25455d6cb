// The window's runner of computing jobs: the job runs on a worker thread while the window stays
// responsive and repaints. Progress goes to the panel field "UM" through queued calls (a few a
// second at most), Esc cancels and Space pauses the running job, a question the job asks is
// answered by a Yes/No box on the window's thread while only the worker waits, and at the end the
// job's warnings (and the error of a failed job) are shown once, as one report in the editor,
// with a line in the panel.
//
// One job at a time in the whole program: the main window owns one runner that every tab uses,
// and any runner refuses a job (with a panel line) while another runner's job runs. Esc and
// Space reach the running job only while the focus is not in a control that takes typed text
// (a line edit, a text memo (the editor's while it is writable), a spin box, an editable combo
// box, a panel field being edited);
// there they stay keys of the control. When the job ends they are handed back.
#pragma once
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/cvJob.h"

class TInf;

class TQtJobRunner : public QObject {
 public:
  explicit TQtJobRunner(QObject* Parent = nullptr);
  // A running job is cancelled and waited for.
  ~TQtJobRunner() override;

  using TWork = std::function<void(TJob&)>;
  using TDone = std::function<void(TJob&)>;
  // Starts Work on a worker thread; Done runs on the window's thread once the job has ended and
  // its report is shown. False (with a panel line) when a job is running already, here or in
  // another runner.
  bool Start(std::shared_ptr<TJob> Job, TWork Work, TDone Done = {});
  bool Busy() const { return static_cast<bool>(job_); }
  // The panel line that refuses a second job (names the running one).
  void SayBusy();
  // Runs Action now when no job runs; else keeps it until the running job has ended (after its
  // Done) and says so in the panel: "<What>: ... после окончания <job>". True when it ran now.
  bool AfterJob(const std::string& What, std::function<void()> Action);
  // Cancels the running job, waits for its thread and drops its Done and the kept actions (the
  // window closing).
  void Shutdown();
  TJob* Current() const { return job_.get(); }
  std::shared_ptr<TJob> CurrentShared() const { return job_; }
  // Runs the window's event loop until the running job has ended and Done has run.
  void Wait();

  // The panel that shows progress (nullptr: the application's panel).
  TInf* Panel = nullptr;
  // Where progress texts go; by default the panel field "UM".
  std::function<void(const std::string& Text)> ShowProgress;
  // Where the report goes; by default the editor, under the job's name.
  std::function<void(const std::string& Title, const std::vector<std::string>& Lines)> ShowReport;
  // The least time between two progress updates.
  std::chrono::milliseconds ProgressInterval{40};

  // The runner whose job runs now (it handles Esc and Space); nullptr when none.
  static TQtJobRunner* Active();
  // True when the focused control (or Receiver, the widget a key goes to) takes typed text:
  // Space and Esc are then its keys.
  static bool TypingInFocus(QObject* Receiver = nullptr);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void Progress(const std::string& Text);
  void Finish();
  void DefaultProgress(const std::string& Text);

  std::shared_ptr<TJob> job_;
  std::thread worker_;
  TDone done_;
  std::vector<std::function<void()>> after_;
  bool finishing_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
};
