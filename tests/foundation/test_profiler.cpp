#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/Clock.h"
#include "tests/support/AllocCount.h"


// A timed object at global scope, so that its class name is plain.
class TDemoObj : public TcvOBJ {};

namespace {

int64_t g_ticks = 0;
uint64_t FakeTicks() { return static_cast<uint64_t>(g_ticks); }
uint32_t g_counter = 0;

class ProfilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string& c) {
      said.push_back(t);
      captions.push_back(c);
    });
    Profiler.Ticks = FakeTicks;
    Profiler.Enabled = true;
    Profiler.TickRate = 0;
    ProfilingReset();
    g_ticks = 0;
    g_counter = 100000;
    previousCounter = platform::SetMsCounterSource([] { return g_counter; });
    ProfileReportViewer = [this](const std::string& title, const TStringList& list) {
      viewTitle = title;
      report = list.Lines();
    };
  }
  void TearDown() override {
    platform::SetMsCounterSource(previousCounter);
    ProfileReportViewer = nullptr;
    Profiler.Ticks = nullptr;
    ProfilingReset();
    ResetSayerForTests();
  }
  // Opens a section at tick From and closes it at tick To.
  void Section(const char* name, int64_t from, int64_t to) {
    g_ticks = from;
    time_routine(name, true);
    g_ticks = to;
    time_routine(name, false);
  }
  int64_t Total(const char* name) {
    ProfilingCollect();
    return Profiler.TotalTicks[static_cast<size_t>(Profiler.IndexOf(name))];
  }
  int32_t Calls(const char* name) {
    ProfilingCollect();
    return Profiler.Calls[static_cast<size_t>(Profiler.IndexOf(name))];
  }

  platform::MsCounterSource previousCounter;
  std::vector<std::string> said, captions, report;
  std::string viewTitle;
};

TEST_F(ProfilerTest, OpeningAndClosingSections) {
  // The very first call registers its section even when it closes.
  time_routine("first", false);
  EXPECT_EQ(Profiler.Count, 1);
  EXPECT_EQ(Calls("first"), 1);

  g_ticks = 10;
  time_routine("s", true);
  g_ticks = 50;
  time_routine("s", true);
  g_ticks = 70;
  time_routine("s", false);
  EXPECT_EQ(Calls("s"), 2);
  EXPECT_EQ(Total("s"), 20);  // from the second opening
  g_ticks = 75;
  time_routine("s", false);  // a second close counts from the same opening again
  EXPECT_EQ(Total("s"), 45);
  EXPECT_EQ(Profiler.IndexOf("S"), -1);  // names compare exactly

  time_routine("never", false);
  EXPECT_EQ(Profiler.Count, 2);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0],
            "WARN:Error in time_routine. Profiling new routine never\n\rBut profile has been "
            "called with QStart=False\r\nfirst\r\ns");

  ProfilingReset();
  EXPECT_EQ(Profiler.Count, 0);
  EXPECT_EQ(Profiler.Names.Count(), 0);
  time_routine("s", false);
  EXPECT_EQ(Calls("s"), 1);
}

TEST_F(ProfilerTest, ReportListsSectionsByShare) {
  g_ticks = 0;
  time_routine("main", true);
  Section("A", 100, 110);
  Section("B", 200, 230);
  Section("C", 300, 330);
  g_ticks = 1000;
  g_counter += 1000;  // main ran 1000 ticks in 1000 ms: one tick per millisecond
  ProfileReport();

  EXPECT_EQ(viewTitle, "Executing_Profile");
  ASSERT_EQ(report.size(), 10u);
  const std::regex stamp(R"(\d{4}_\d{2}_\d{2} at \d{2}:\d{2}:\d{2}\.\d{3})");
  EXPECT_EQ(report[0].rfind("Code execution started on: ", 0), 0u);
  EXPECT_TRUE(std::regex_match(report[0].substr(27), stamp)) << report[0];
  EXPECT_EQ(report[1].rfind("Code execution ended on  : ", 0), 0u);
  EXPECT_TRUE(std::regex_match(report[1].substr(27), stamp)) << report[1];
  EXPECT_EQ(report[2], "Total execution time (s)    :1");
  EXPECT_EQ(report[3], "Total execution time (hours):" + EFSt(5, 1000.0 / 3600000.0));
  EXPECT_EQ(report[4], "Subroutines profiled");
  EXPECT_EQ(report[5], "Name N_calls time(s) %ofTotalTime)");
  EXPECT_EQ(report[6], "main        1   " + EFSt(6, 1.0) + " 100.0000");
  // Equal shares: the earlier registered first.
  EXPECT_EQ(report[7], "B        1   " + EFSt(6, 0.03) + " 3.0000");
  EXPECT_EQ(report[8], "C        1   " + EFSt(6, 0.03) + " 3.0000");
  EXPECT_EQ(report[9], "A        1   " + EFSt(6, 0.01) + " 1.0000");
  EXPECT_DOUBLE_EQ(Profiler.TickRate, 1.0);
  EXPECT_EQ(Profiler.Report.Count(), 0);

  // "main" is open again, one call more; the next report shows it.
  EXPECT_EQ(Calls("main"), 2);
  g_ticks = 2000;
  g_counter += 1000;
  ProfileReport();
  EXPECT_EQ(report[6].substr(0, 13), "main        2");
  EXPECT_EQ(Calls("main"), 3);
}

TEST_F(ProfilerTest, ReportWithoutMainOrWithinOneMillisecond) {
  Section("A", 0, 10);
  ProfileReport();
  ASSERT_GE(report.size(), 3u);
  EXPECT_EQ(report[2], "main was not profiled. Cannot determine total execution time");
  EXPECT_EQ(report[3], "Subroutines profiled");
  EXPECT_EQ(report.size(), 6u);
  EXPECT_EQ(Calls("main"), 1);  // opened by the report

  // A report in the same millisecond as the opening of "main": no division by zero.
  ProfilingReset();
  Profiler.TickRate = 0;
  g_ticks = 0;
  time_routine("main", true);
  Section("A", 0, 0);
  ProfileReport();
  for (const auto& line : report) {
    std::string up = UpCaseStrCyr(line);
    EXPECT_EQ(up.find("NAN"), std::string::npos) << line;
    EXPECT_EQ(up.find("INF"), std::string::npos) << line;
  }
  EXPECT_EQ(report[2], "Total execution time (s)    :0");
}

TEST_F(ProfilerTest, DisabledProfilerDoesNothing) {
  Profiler.Enabled = false;
  time_routine("x", true);
  ProfileReport();
  EXPECT_EQ(Profiler.Count, 0);
  EXPECT_TRUE(viewTitle.empty());
  Profiler.Enabled = true;
}

TEST_F(ProfilerTest, OpeningAndClosingAnExistingSectionAllocatesNothing) {
  const char* name = "a_section_name_longer_than_small_strings";
  time_routine("other", true);
  time_routine(name, true);
  time_routine(name, false);
  long before = testsupport::gAllocations.load();
  for (int i = 0; i < 1000; ++i) {
    time_routine(name, true);
    time_routine(name, false);
  }
  EXPECT_EQ(testsupport::gAllocations.load(), before);
  EXPECT_EQ(Calls(name), 1001);
}

thread_local int64_t t_ticks = 0;
uint64_t ThreadTicks() { return static_cast<uint64_t>(t_ticks); }

TEST_F(ProfilerTest, SectionsOfSeveralThreadsAreSummed) {
  Profiler.Ticks = ThreadTicks;
  time_routine("main", true);
  time_routine("shared", true);  // registered here: one call, opened at tick 0
  t_ticks = 5;
  time_routine("shared", false);
  std::atomic<bool> release{false};
  std::atomic<int> ready{0};
  // Four threads each open and close the section 1000 times, 3 ticks apart; one of them is
  // still alive when the counts are collected.
  auto work = [&](bool Stay) {
    for (int i = 0; i < 1000; ++i) {
      t_ticks = 10 * i;
      time_routine("shared", true);
      t_ticks += 3;
      time_routine("shared", false);
    }
    ++ready;
    while (Stay && !release) std::this_thread::yield();
  };
  std::vector<std::thread> threads;
  for (int k = 0; k < 4; ++k) threads.emplace_back(work, k == 0);
  while (ready < 4) std::this_thread::yield();
  for (int k = 1; k < 4; ++k) threads[static_cast<size_t>(k)].join();
  EXPECT_EQ(Calls("shared"), 4001);
  EXPECT_EQ(Total("shared"), 5 + 4 * 3000);
  release = true;
  threads[0].join();  // an ended thread's counts stay
  EXPECT_EQ(Calls("shared"), 4001);
  EXPECT_EQ(Total("shared"), 5 + 4 * 3000);
  // a section closed on a thread that never opened it counts from its latest opening
  std::thread([] {
    t_ticks = 20000;
    time_routine("shared", false);
  }).join();
  EXPECT_EQ(Total("shared"), 5 + 4 * 3000 + (20000 - 9990));
  ProfilingReset();
  EXPECT_EQ(Profiler.Count, 0);
}

// ---------------------------------------------------------------- object timers

TEST_F(ProfilerTest, ObjectTimersKeepNameOrderAndReportMisuse) {
  int base = ObjTimer.Count();
  ObjTimer.Start("ZB.x");
  ObjTimer.Start("ZA.x");
  int ia = ObjTimer.IndexOf("ZA.x"), ib = ObjTimer.IndexOf("ZB.x");
  ASSERT_GE(ia, 0);
  EXPECT_EQ(ib, ia + 1);
  EXPECT_EQ(ObjTimer.Count(), base + 2);
  EXPECT_TRUE(said.empty());

  ObjTimer.Start("ZA.x");  // still running
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "cvObj.Beg   Рекурсивный запуск ZA.x или сбой программы!"_cp);
  EXPECT_EQ(captions[0], "");

  g_counter += 250;
  ObjTimer.Stop("ZA.x");
  EXPECT_EQ(ObjTimer.Items(ia).Count, 1);
  EXPECT_EQ(ObjTimer.Items(ia).Total, 250);
  EXPECT_NE(ObjTimer.Items(ia).Stop, 0u);

  ObjTimer.Stop("ZNever.x");
  EXPECT_EQ(said.back(), "cvObj.Beg   Завершение процедуры ZNever.x до её вызова!!!"_cp);
  EXPECT_EQ(ObjTimer.IndexOf("ZNever.x"), -1);

  // A start time of 0 cannot be trusted.
  uint32_t offset = MsClock() - platform::MsCounter();
  g_counter = 0u - offset;
  ObjTimer.Start("ZC.x");
  g_counter += 5;
  ObjTimer.Stop("ZC.x");
  EXPECT_EQ(said.back(), "cvObj.Beg   завершение ZC.x с неопределенным временем запуска"_cp);
  EXPECT_EQ(ObjTimer.Items(ObjTimer.IndexOf("ZC.x")).Total, 0);
}

TEST_F(ProfilerTest, TimedObjectsUseTheirClassName) {
  TDemoObj obj;
  EXPECT_EQ(obj.ClassName(), "TDemoObj");
  obj.Beg("Draw");
  EXPECT_TRUE(said.empty());
  obj.EndProc("Draw");
  int i = ObjTimer.IndexOf("TDemoObj.Draw");
  ASSERT_GE(i, 0);
  EXPECT_EQ(ObjTimer.Items(i).Count, 1);

  obj.qTrace = true;
  obj.Beg("Draw");
  obj.EndProc("Draw");
  EXPECT_EQ(said, (std::vector<std::string>{">> TDemoObj.Draw", "<< TDemoObj.Draw"}));
}

// ---------------------------------------------------------------- table indices

TEST(TableIndices, LinearNumbersToIndices) {
  const std::vector<int32_t> dims{2, 3, 4};
  struct Case {
    int32_t n, i1, i2, i3;
  } cases[] = {{13, 2, 1, 1}, {24, 2, 3, 4}, {1, 1, 1, 1}, {6, 1, 2, 2}};
  for (const auto& c : cases) {
    EXPECT_EQ(TABL1(dims, c.n, 1), c.i1) << c.n;
    EXPECT_EQ(TABL1(dims, c.n, 2), c.i2) << c.n;
    EXPECT_EQ(TABL1(dims, c.n, 3), c.i3) << c.n;
    TAIn r;
    TABLIdx(TAIn{0, 2, 3, 4}, r, 3, c.n);
    EXPECT_EQ(r, (TAIn{0, c.i1, c.i2, c.i3})) << c.n;
  }
  try {
    TABL1(dims, 0, 1);
    FAIL() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "SetBit TABL1 ERR: порядковый номер 0 не может быть меньше 1!"_cp);
  }

  int32_t col = 0, row = 0;
  LinToRowCol(5, 7, col, row);
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 2);
  LinToRowCol(5, 5, col, row);
  EXPECT_EQ(col, 5);
  EXPECT_EQ(row, 1);

  // Bad sizes raise instead of stopping the program.
  EXPECT_THROW(TABL1({2, 0, 4}, 5, 1), std::domain_error);
  EXPECT_THROW(TABL1(dims, 5, 4), std::out_of_range);
  EXPECT_THROW(LinToRowCol(0, 5, col, row), std::domain_error);
  TAIn r;
  EXPECT_THROW(TABLIdx(TAIn{0, 2}, r, 3, 1), std::out_of_range);
}

}  // namespace
