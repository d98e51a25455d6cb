// The job context: warnings collected and counted, questions, cancel and pause, the job's own
// trace mask and per-thread state, the headless runner's outcomes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/MsgBox.h"
#include "support/SinkRecorder.h"

using testsupport::SinkRecorder;

TEST(Job, WarningsGoToTheJobCountedNotRepeated) {
  SinkRecorder rec(SinkRecorder::kWarnOn);
  platform::ScriptedMsgBoxes boxes;
  Sayer->BoxesOn();
  TJob job("Restore");
  ASSERT_TRUE(RunJob(job, [](TJob&) {
    WARNAbs("a");
    WARNAbs("a");
    WARN("b");
    WARNAbs("a");
  }));
  ASSERT_EQ(job.Warnings().size(), 2u);
  EXPECT_EQ(job.Warnings()[0].Text, "a");
  EXPECT_EQ(job.Warnings()[0].Count, 3);
  EXPECT_EQ(job.Warnings()[1].Text, "b");
  // a run of repeats handed over at once counts as that many
  job.Warn("b", 4);
  job.Warn("b", 0);
  EXPECT_EQ(job.Warnings()[1].Count, 5);
  // nothing reached a box or the sink's hook while the job ran
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_TRUE(rec.texts.empty());
  const auto report = job.Report();
  ASSERT_EQ(report.size(), 3u);
  EXPECT_NE(report[0].find("Restore"), std::string::npos);
  EXPECT_EQ(report[1], "a (x3)");
  // outside the job the sink works as before
  WARNAbs("c");
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST(Job, ConditionalWarningsFollowTheSwitch) {
  SinkRecorder rec;  // warnings off
  TJob job;
  RunJob(job, [](TJob&) { WARN("quiet"); });
  EXPECT_EQ(job.WarningCount(), 0);
}

TEST(Job, QuestionsTakePresetAnswersThenTheDefault) {
  SinkRecorder rec;
  TJob job;
  job.PresetAnswers = {true};
  bool first = false, second = true;
  RunJob(job, [&](TJob&) {
    first = AskYesNo("again?");
    second = AskYesNo("and again?");
  });
  EXPECT_TRUE(first);
  EXPECT_FALSE(second);  // AskYesNo's default is No
  EXPECT_EQ(job.Questions().size(), 2u);

  TJob asked;
  asked.OnAsk = [](const std::string& t, bool) { return t == "yes?"; };
  EXPECT_TRUE(asked.Ask("yes?", false));
  EXPECT_FALSE(asked.Ask("no?", true));
}

TEST(Job, OutcomesOfTheHeadlessRunner) {
  SinkRecorder rec;
  TJob failed;
  EXPECT_FALSE(RunJob(failed, [](TJob&) { ErrAbs("broken"); }));
  EXPECT_EQ(failed.State(), TJobState::Failed);
  EXPECT_NE(failed.Error().find("ErrAbs: broken"), std::string::npos);
  EXPECT_EQ(failed.Report()[1], failed.Error());

  TJob cancelled;
  int steps = 0;
  EXPECT_FALSE(RunJob(cancelled, [&](TJob& J) {
    for (int i = 1; i <= 100; ++i) {
      if (i == 5) J.Cancel();
      if (!J.Step(i, 100, "step")) return;
      ++steps;
    }
  }));
  EXPECT_EQ(cancelled.State(), TJobState::Cancelled);
  EXPECT_EQ(steps, 4);
  EXPECT_EQ(cancelled.LastProgress().Done, 5);
}

TEST(Job, PauseHoldsTheWorkerBetweenStepsUntilResumedOrCancelled) {
  TJob job;
  std::atomic<int> done{0};
  job.SetPaused(true);
  std::thread worker([&] {
    RunJob(job, [&](TJob& J) {
      for (int i = 1; i <= 3; ++i) {
        if (!J.Step(i, 3, "")) return;
        ++done;
      }
    });
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(done.load(), 0);
  job.SetPaused(false);
  worker.join();
  EXPECT_EQ(done.load(), 3);
  EXPECT_EQ(job.State(), TJobState::Done);

  TJob held;
  held.SetPaused(true);
  std::thread w2([&] { RunJob(held, [](TJob& J) { J.Step(1, 1, ""); }); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  held.Cancel();
  w2.join();
  EXPECT_EQ(held.State(), TJobState::Cancelled);
}

TEST(Job, TraceMaskAndErrorStateArePerThread) {
  SinkRecorder rec;
  TraceMask = 0x10;
  TJob job;  // takes the creating thread's mask
  job.TraceMask = 0x4;
  int32_t seen = -1;
  std::thread worker([&] {
    RunJob(job, [&](TJob&) {
      seen = TraceMask;
      TraceMask |= 0x1;
      IOLastErr = 55;
    });
  });
  worker.join();
  EXPECT_EQ(seen, 0x4);
  EXPECT_EQ(job.TraceMask, 0x5);  // the job keeps what its thread set
  EXPECT_EQ(TraceMask, 0x10);     // this thread's mask is untouched
  EXPECT_EQ(IOLastErr, 0);
  TraceMask = 0;
}

TEST(Job, BoxesFromAWorkerThreadNeverReachTheHandler) {
  platform::ScriptedMsgBoxes boxes;
  boxes.Answer(platform::MsgResult::Yes);
  std::string logged;
  auto previous = platform::SetOffThreadBoxHandler(
      [&](const std::string& text, const std::string&) { logged = text; });
  platform::MsgResult r = platform::MsgResult::Yes;
  std::thread([&] {
    r = platform::ShowMsgBox("from a worker", "?", platform::MsgButtons::YesNo);
  }).join();
  platform::SetOffThreadBoxHandler(previous);
  EXPECT_EQ(r, platform::MsgResult::No);  // the box's default
  EXPECT_EQ(logged, "from a worker");
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST(Job, StringErrorsInsideAJobGoToItsReportNotABox) {
  SinkRecorder rec;
  platform::ScriptedMsgBoxes boxes;
  Sayer->BoxesOn();
  TJob job("Parse");
  ASSERT_TRUE(RunJob(job, [](TJob&) {
    (void)ValInt("12x");  // the string-error handler
    (void)ESt(0, 1.5);    // the warning channel
  }));
  EXPECT_TRUE(boxes.Shown().empty());
  const auto report = job.Report();
  ASSERT_EQ(report.size(), 3u);
  EXPECT_EQ(report[1], "Ошибка ValInt при вводе целого <12x> позиция ошибки = 3"_cp);
  EXPECT_NE(report[2].find("Подозрительный вызов ESt"_cp), std::string::npos) << report[2];
  // outside a job both are boxes, as before
  (void)ValInt("12x");
  (void)ESt(0, 1.5);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].caption, "Ошибка обработки строк!"_cp);
  EXPECT_EQ(boxes.Shown()[1].caption, "cvStr Предупреждение или напоминание"_cp);
}
