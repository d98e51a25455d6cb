#include "app/qt/QtJobRunner.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "platform/Memo.h"
#include "platform/MsgBox.h"

namespace {
TQtJobRunner* g_active = nullptr;

std::string ProgressText(const TJobProgress& P) {
  if (P.Total <= 0) return P.Text;
  return P.Text + " [" + std::to_string(P.Done) + "/" + std::to_string(P.Total) + "]";
}
}  // namespace

TQtJobRunner::TQtJobRunner(QObject* Parent) : QObject(Parent) {}

TQtJobRunner::~TQtJobRunner() { Shutdown(); }

void TQtJobRunner::Shutdown() {
  if (job_ && ForegroundJob() == job_.get()) SetForegroundJob(nullptr);
  if (job_) {
    job_->OnAsk = nullptr;
    job_->Cancel();
  }
  if (worker_.joinable()) worker_.join();
  if (job_) {
    job_->OnProgress = nullptr;
    job_.reset();
  }
  done_ = nullptr;
  after_.clear();
  if (g_active == this) g_active = nullptr;
  if (qApp) qApp->removeEventFilter(this);
}

TQtJobRunner* TQtJobRunner::Active() { return g_active; }

namespace {
bool TakesText(QObject* w) {
  if (!w) return false;
  // the editor's memo takes typing only while its text may be written
  if (EdAssigned(Ed) && Ed->Memo && dynamic_cast<platform::Memo*>(w) == Ed->Memo)
    return Ed->Writable;
  if (auto* e = qobject_cast<QLineEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QTextEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QAbstractSpinBox*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QComboBox*>(w)) return e->isEditable();
  return false;
}
}  // namespace

bool TQtJobRunner::TypingInFocus(QObject* Receiver) {
  // a field of the information panel being edited takes the keys as well
  if (App && App->Inf && App->Inf->Selected >= 0 && App->Inf->Editing) return true;
  return TakesText(QApplication::focusWidget()) || TakesText(Receiver);
}

void TQtJobRunner::SayBusy() {
  TQtJobRunner* running = g_active && g_active->job_ ? g_active : this;
  const std::string name = running->job_ ? running->job_->Name() : std::string();
  Progress("Идёт расчёт "_cp + name + ": дождитесь конца или прервите его (Esc)"_cp);
}

bool TQtJobRunner::AfterJob(const std::string& What, std::function<void()> Action) {
  TQtJobRunner* running = g_active && g_active->job_ ? g_active : (job_ ? this : nullptr);
  if (!running) {
    Action();
    return true;
  }
  running->after_.push_back(std::move(Action));
  Progress(What + ": будет выполнено после окончания "_cp + running->job_->Name());
  return false;
}

void TQtJobRunner::DefaultProgress(const std::string& Text) {
  TInf* I = Panel ? Panel : (App ? App->Inf : nullptr);
  if (!I) return;
  I->LogStr("UM", Text);
  I->RedrawIfDirty();
}

void TQtJobRunner::Progress(const std::string& Text) {
  if (ShowProgress)
    ShowProgress(Text);
  else
    DefaultProgress(Text);
}

bool TQtJobRunner::Start(std::shared_ptr<TJob> Job, TWork Work, TDone Done) {
  // one job at a time in the program, whichever runner holds it
  if (Busy() || (g_active && g_active->Busy())) {
    SayBusy();
    return false;
  }
  if (worker_.joinable()) worker_.join();
  job_ = std::move(Job);
  done_ = std::move(Done);
  finishing_ = false;
  lastProgress_ = {};
  g_active = this;
  qApp->installEventFilter(this);
  SetForegroundJob(job_.get());
  Progress(job_->Name() + "...");

  TJob* J = job_.get();
  QPointer<TQtJobRunner> self(this);
  // Progress: queued to the window, at most one update per interval (and the last one).
  J->OnProgress = [this, self](const TJobProgress& P) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastProgress_ < ProgressInterval) return;
    lastProgress_ = now;
    const std::string text = ProgressText(P);
    QMetaObject::invokeMethod(
        this, [self, text] { if (self) self->Progress(text); }, Qt::QueuedConnection);
  };
  // Questions: a box on the window's thread; only the worker waits.
  J->OnAsk = [this](const std::string& Text, bool Default) {
    bool answer = Default;
    QMetaObject::invokeMethod(
        this,
        [&answer, &Text, Default] {
          const platform::MsgResult r =
              platform::ShowMsgBox(Text, "ВЫПОЛНИТЬ?"_cp, platform::MsgButtons::YesNo);
          answer = r == platform::MsgResult::Yes ? true
                   : r == platform::MsgResult::No ? false
                                                   : Default;
        },
        Qt::BlockingQueuedConnection);
    return answer;
  };
  worker_ = std::thread([this, J, self, Work = std::move(Work)] {
    RunJob(*J, Work);
    QMetaObject::invokeMethod(
        this, [self] { if (self) self->Finish(); }, Qt::QueuedConnection);
  });
  return true;
}

void TQtJobRunner::Finish() {
  if (!job_ || finishing_) return;
  finishing_ = true;
  if (worker_.joinable()) worker_.join();
  qApp->removeEventFilter(this);
  if (ForegroundJob() == job_.get()) SetForegroundJob(nullptr);
  std::shared_ptr<TJob> job = std::move(job_);
  job->OnProgress = nullptr;
  job->OnAsk = nullptr;
  const std::vector<std::string> report = job->Report();
  // The panel: the outcome with the number of warnings; the editor: the whole report.
  Progress(report.front().substr(4));
  if (job->WarningCount() > 0 || job->State() == TJobState::Failed) {
    if (ShowReport) {
      ShowReport(job->Name(), report);
    } else if (EdAssigned(Ed)) {
      TStringList list;
      for (const std::string& l : report) list.Add(l);
      Ed->EdLoadSL(job->Name(), &list);
    }
  }
  if (g_active == this) g_active = nullptr;
  TDone done = std::move(done_);
  done_ = nullptr;
  std::vector<std::function<void()>> after = std::move(after_);
  after_.clear();
  // what the window kept for the job's end runs after it, each on its own
  auto guarded = [](const std::function<void()>& F) {
    try {
      F();
    } catch (const std::exception& e) {
      WARNAbs(e.what());
    }
  };
  if (done) guarded([&] { done(*job); });
  for (const auto& a : after) guarded(a);
  finishing_ = false;
}

void TQtJobRunner::Wait() {
  QEventLoop loop;
  while (job_) {
    loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
}

bool TQtJobRunner::eventFilter(QObject* Watched, QEvent* Event) {
  if (job_ && g_active == this && Event->type() == QEvent::KeyPress &&
      !QApplication::activeModalWidget() && !TypingInFocus(Watched)) {
    auto* K = static_cast<QKeyEvent*>(Event);
    if (K->modifiers() == Qt::NoModifier && !K->isAutoRepeat()) {
      if (K->key() == Qt::Key_Escape) {
        job_->Cancel();
        Progress(job_->Name() + ": прерывается..."_cp);
        return true;
      }
      if (K->key() == Qt::Key_Space) {
        job_->SetPaused(!job_->Paused());
        Progress(job_->Name() + (job_->Paused() ? ": пауза (Space - продолжить)"_cp
                                                : ": продолжается"_cp));
        return true;
      }
    }
  }
  return QObject::eventFilter(Watched, Event);
}
