// Named timers on a fake millisecond clock: slot order, due times, the idle comeback of timers
// that do not re-charge, the table limit, the application clock with its standard timers, and the
// day-number and date-text routines checked against the calendar of <chrono>.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/cvApp.h"
#include "app/cvCtrlUtil.h"
#include "app/cvInf.h"
#include "app/cvTimeSup.h"
#include "app/cvWinLink.h"
#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/MsgBox.h"
#include "platform/Timer.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

// The platform counter under the test's control; MsClock follows it from T0 on.
class FakeClock {
 public:
  explicit FakeClock(uint32_t Base = 1000) : base_(Base), counter_(Base) {
    prev_ = platform::SetMsCounterSource([this] { return counter_; });
    ResyncMsClock();
    t0_ = MsClock();
  }
  ~FakeClock() {
    platform::SetMsCounterSource(std::move(prev_));
    ResyncMsClock();
  }
  uint32_t T0() const { return t0_; }
  uint32_t Now() const { return MsClock(); }
  void Set(uint32_t SinceT0) { counter_ = base_ + SinceT0; }

 private:
  uint32_t base_ = 1000;
  uint32_t counter_ = 1000;
  uint32_t t0_ = 0;
  platform::MsCounterSource prev_;
};

class TimeSupTest : public ::testing::Test {
 protected:
  void SetUp() override { ts = std::make_unique<TTimeSup>(nullptr); }

  std::vector<std::string> Names() const {
    std::vector<std::string> n;
    for (int i = 1; i <= ts->Count; ++i) n.push_back(ts->Slot(i)->Name);
    return n;
  }
  // Ticks every Step ms from the current time up to Until (both since T0).
  void RunTo(uint32_t From, uint32_t Until, uint32_t Step = 10) {
    for (uint32_t t = From; t <= Until; t += Step) {
      clock.Set(t);
      ts->Tick(MsClock());
    }
  }
  // A callback that records the run time (since T0) and re-charges its slot.
  TTimeSupProc Periodic(std::vector<uint32_t>& Runs) {
    return [this, &Runs](int32_t Slot) {
      ts->Disarm(Slot);
      Runs.push_back(clock.Now() - clock.T0());
      ts->ReCharge(Slot);
    };
  }
  // A callback that only disarms.
  TTimeSupProc OneShot(std::vector<uint32_t>& Runs) {
    return [this, &Runs](int32_t Slot) {
      ts->Disarm(Slot);
      Runs.push_back(clock.Now() - clock.T0());
    };
  }

  testsupport::SinkRecorder sink;
  platform::ScriptedMsgBoxes boxes;
  FakeClock clock;
  std::unique_ptr<TTimeSup> ts;
};

TEST_F(TimeSupTest, SlotsAreSortedByPeriodAndEqualPeriodsGoFirst) {
  ts->AddTimer("test", 500);
  ts->AddTimer("blink", 300);
  ts->AddTimer("mousemove", 30);
  EXPECT_EQ(Names(), (std::vector<std::string>{"mousemove", "blink", "test"}));
  ts->AddTimer("other", 300);
  EXPECT_EQ(ts->CurIdx, 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"mousemove", "other", "blink", "test"}));
  EXPECT_EQ(ts->Find("blink"), 3);
  EXPECT_EQ(ts->Find("Blink"), 0);
  // A new timer is due one period from now; the earliest one is next.
  EXPECT_EQ(ts->Slot(4)->Due, clock.T0() + 500);
  EXPECT_EQ(ts->NextIdx, 1);
  EXPECT_EQ(ts->NextDue, clock.T0() + 30);

  // Starting an existing timer keeps its slot and makes it due at once.
  ts->StartTimer("blink", 300, [](int32_t) {});
  EXPECT_EQ(ts->Find("blink"), 3);
  EXPECT_EQ(ts->Slot(3)->Due, 1u);
  EXPECT_EQ(ts->NextIdx, 3);
  EXPECT_EQ(ts->NextDue, 0u);

  ts->DelTimer("other");
  ts->DelTimer("nothing");
  EXPECT_EQ(Names(), (std::vector<std::string>{"mousemove", "blink", "test"}));
  std::unique_ptr<TStringList> r = ts->Report();
  ASSERT_EQ(r->Count(), 4);
  EXPECT_EQ((*r)[0], "Отчет о текущих таймерах. Число таймеров = 3"_cp);
  EXPECT_EQ((*r)[1], "1 mousemove    dT=30");
  EXPECT_EQ((*r)[3], "3 test         dT=500");
}

TEST_F(TimeSupTest, ArmedTimersRunEveryPeriodAndEqualTimesRunLaterSlotFirst) {
  std::vector<uint32_t> a, b;
  std::vector<std::string> order;
  ts->ArmTimer("a", 100, [&](int32_t s) {
    order.push_back("a");
    Periodic(a)(s);
  });
  ts->ArmTimer("b", 100, [&](int32_t s) {
    order.push_back("b");
    Periodic(b)(s);
  });
  ASSERT_EQ(Names(), (std::vector<std::string>{"b", "a"}));
  RunTo(0, 99, 1);
  EXPECT_TRUE(order.empty());
  RunTo(100, 100);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b"}));
  RunTo(110, 400);
  EXPECT_EQ(a, (std::vector<uint32_t>{100, 200, 300, 400}));
  EXPECT_EQ(b, a);
}

TEST_F(TimeSupTest, StartedTimerRunsAtTheNextTick) {
  std::vector<uint32_t> runs;
  ts->StartTimer("now", 250, Periodic(runs));
  clock.Set(3);
  ts->Tick(MsClock());
  clock.Set(252);
  ts->Tick(MsClock());
  clock.Set(253);
  ts->Tick(MsClock());
  EXPECT_EQ(runs, (std::vector<uint32_t>{3, 253}));
}

TEST_F(TimeSupTest, OneShotComesBackAfter32PeriodsWhileOtherTimersRun) {
  std::vector<uint32_t> shot, fast;
  ts->ArmTimer("popup", 401, OneShot(shot));
  ts->StartTimer("mousemove", 30, Periodic(fast));
  RunTo(0, 30000, 1);
  // Run at 401, then idle for 32 periods after each run.
  EXPECT_EQ(shot, (std::vector<uint32_t>{401, 401 + 32 * 401, 401 + 64 * 401}));
  EXPECT_EQ(fast.size(), 30000u / 30 + 1);

  // A one-shot that removes its timer runs once.
  std::vector<uint32_t> once;
  clock.Set(50000);
  ts->ArmTimer("gone", 401, [&](int32_t s) {
    ts->Disarm(s);
    once.push_back(clock.Now() - clock.T0());
    ts->DelTimer("gone");
  });
  RunTo(50000, 80000, 10);
  EXPECT_EQ(once, std::vector<uint32_t>{50410});
  EXPECT_EQ(ts->Find("gone"), 0);
}

TEST_F(TimeSupTest, CallbackThatLeavesItsTimerDueDoesNotLoop) {
  // Neither disarmed nor re-charged (and a timer without any callback): each runs once per
  // tick and then waits 32 periods.
  int runs = 0;
  ts->ArmTimer("lazy", 10, [&](int32_t) { ++runs; });
  ts->AddTimer("bare", 20);
  std::vector<uint32_t> fast;
  ts->ArmTimer("fast", 5, Periodic(fast));
  RunTo(0, 1000, 1);
  EXPECT_EQ(runs, 1 + (1000 - 10) / 320);
  EXPECT_EQ(fast.size(), 200u);
  // A zero period is taken as 1 ms.
  ts->ArmTimer("zero", 0, Periodic(fast));
  EXPECT_EQ(ts->Slot(ts->Find("zero"))->Period, 1);
}

TEST_F(TimeSupTest, TimerRemovingAndAddingTimersInItsCallback) {
  // A popup-like callback stops the clock's timers and starts them again: the restarted ones
  // run at once, the one that ran is gone.
  std::vector<uint32_t> t1;
  int popups = 0;
  ts->ArmTimer("popup", 401, [&](int32_t) {
    ++popups;
    ts->DelTimer("popup");
    ts->DelTimer("t1");
    ts->StartTimer("t1", 500, Periodic(t1));
  });
  ts->ArmTimer("t1", 500, Periodic(t1));
  RunTo(0, 1000);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(t1, (std::vector<uint32_t>{410, 910}));
}

TEST_F(TimeSupTest, SeventeenthTimerIsRefused) {
  for (int i = 1; i <= 16; ++i) ts->ArmTimer("t" + std::to_string(i), 100 * i, [](int32_t) {});
  bool called = false;
  ts->ArmTimer("A", 1000, [&](int32_t) { called = true; });
  EXPECT_EQ(ts->Count, 16);
  EXPECT_EQ(ts->CurIdx, 0);
  EXPECT_EQ(ts->Find("A"), 0);
  EXPECT_TRUE(sink.Has("Установка таймера <A(1000ms)> - слишком много таймеров"_cp));
  RunTo(0, 2000, 100);
  EXPECT_FALSE(called);
}

TEST_F(TimeSupTest, ReChargeOfABadSlotReportsTheTable) {
  ts->AddTimer("x", 100);
  ts->ReCharge(5);
  EXPECT_TRUE(sink.Has("Отчет о текущих таймерах. Число таймеров = 1"_cp));
  EXPECT_TRUE(sink.Has("TimeSup.ReCharge iTimer=5 N=1"));
  // While the clock is stopped re-charging does nothing.
  ts->Disarm(1);
  ts->qStopped = true;
  ts->ReCharge(1);
  EXPECT_EQ(ts->Slot(1)->Due, 0u);
}

TEST(TimeSupUptime, TimersRunWhenTheClockIsPast2147483647) {
  // After some 25 days of system uptime the millisecond clock exceeds 2147483647.
  FakeClock clock(0x90000000u);
  ASSERT_GT(clock.Now(), TTimeSup::NoneDue);
  TTimeSup ts(nullptr);
  std::vector<uint32_t> periodic, started;
  ts.ArmTimer("a", 100, [&](int32_t s) {
    ts.Disarm(s);
    periodic.push_back(clock.Now() - clock.T0());
    ts.ReCharge(s);
  });
  ts.StartTimer("b", 1000, [&](int32_t s) {
    ts.Disarm(s);
    started.push_back(clock.Now() - clock.T0());
  });
  for (uint32_t t = 0; t <= 300; t += 10) {
    clock.Set(t);
    ts.Tick(MsClock());
  }
  EXPECT_EQ(periodic, (std::vector<uint32_t>{100, 200, 300}));
  EXPECT_EQ(started, std::vector<uint32_t>{0});
}

// ---------------------------------------------------------------- the application clock

// Row of the panel description: code|En|Vi|Pr|QL|W|As|Al|La|Aux|iF|iC|iA|Len|NV|CD|Ed|Gr|NG|...
const char* kPanel =
    "[Informator]\nColorBack=clGray\nMargin=2\n[Fonts]\nNFont=0\n"
    "[Colors]\nNColor=1\n0=clWhite\n1=clYellow\n[Groups]\nNGroup=0\n0_Name=Main\n[Fields]\n"
    "F|IF|1|1|01|0|10|1|L|C|0|0|0|0|2|1|S|N|0|0|0||%s|selected|0|0|0||\n"
    "F|TT|1|1|02|0|10|1|L|C|0|0|0|0|0|1|S|N|0|0|0||%s|time|0|0|0||\n"
    "; end\n";

class Link : public TMainWindowLink {
 public:
  platform::TControl* Control(const std::string& Name) override {
    return Name == "cbEdCTRL" ? &list : nullptr;
  }
  TRect ScreenRect(const std::string& Name) override {
    return Name == "PanelEdCTRL" ? TRect{100, 100, 150, 120} : TRect{};
  }
  void EdTuneListShow() override {
    ++shows;
    list.SetVisible(true);
  }
  void EdTuneListHide() override {
    ++hides;
    list.SetVisible(false);
  }
  platform::TMemControl list{"TComboBox", "cbEdCTRL"};
  int shows = 0, hides = 0;
};

class AppClock : public TimeSupTest {
 protected:
  void SetUp() override {
    TimeSupTest::SetUp();
    ResetAppForTests();
    ResetHoverState();
    SetMainWindowLink(&link);
    form.SetClientSize(600, 60);
    const std::string file = dir.file("inf.ini");
    testsupport::WriteFile(file, kPanel);
    TInf::Init(App->Inf, &form, "Terminal", nullptr, nullptr, 14, 2, file);
    link.list.SetVisible(false);
    platform::CursorServices cs;
    cs.ScreenPos = [this] { return cursor; };
    cs.ControlUnderCursor = [this]() -> platform::TControl* { return under; };
    oldCursor = platform::SetCursorServices(cs);
  }
  void TearDown() override {
    FreeTimeSup();
    platform::SetCursorServices(oldCursor);
    SetMainWindowLink(nullptr);
    delete App->Inf;
    App->Inf = nullptr;
    ResetHoverState();
  }
  void TickTo(uint32_t Until) {
    for (; at <= Until; at += 10) {
      clock.Set(at);
      ClockTimer()->Fire();
    }
  }

  testsupport::TempDir dir;
  platform::TMemControl form{"TForm", "Corvesta"};
  platform::TMemControl panelEdCtrl{"TPanel", "PanelEdCTRL"}, other{"TButton", "btSave"};
  platform::TControl* under = nullptr;
  TPoint cursor{0, 0};
  platform::CursorServices oldCursor;
  Link link;
  uint32_t at = 0;
};

TEST_F(AppClock, StartAndStopTheStandardTimers) {
  CreateTimeSup();
  ASSERT_NE(TimeSup, nullptr);
  ASSERT_EQ(TimeSup->Count, 3);
  const char* names[] = {"mousemove", "blink", "test"};
  const int32_t periods[] = {30, 300, 500};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(TimeSup->Slot(i + 1)->Name, names[i]);
    EXPECT_EQ(TimeSup->Slot(i + 1)->Period, periods[i]);
    EXPECT_EQ(TimeSup->Slot(i + 1)->Due, 1u);
  }
  EXPECT_TRUE(ClockTimer()->Enabled());
  EXPECT_EQ(ClockTimer()->Interval(), 10);

  // The first tick writes the time of day into "TT".
  clock.Set(0);
  ClockTimer()->Fire();
  EXPECT_EQ(App->Inf->FindFld("TT")->DisplayText(), MsToHMS(MsClock()));
  clock.Set(61000);
  ClockTimer()->Fire();
  EXPECT_EQ(App->Inf->FindFld("TT")->DisplayText(), MsToHMS(clock.T0() + 61000));

  BusStop();
  EXPECT_FALSE(ClockTimer()->Enabled());
  EXPECT_TRUE(TimeSup->qStopped);
  EXPECT_EQ(TimeSup->Count, 1);
  EXPECT_EQ(TimeSup->Slot(1)->Name, "mousemove");
  BusStop();
  EXPECT_TRUE(sink.Has("Повторный BusStop"_cp));
  BusStart();
  EXPECT_TRUE(ClockTimer()->Enabled());
  EXPECT_FALSE(TimeSup->qStopped);
  EXPECT_EQ(TimeSup->Count, 3);
}

TEST_F(AppClock, EdCtrlSwitchesTheControlPanel) {
  CreateTimeSup();
  under = &other;
  TickTo(100);
  EXPECT_EQ(TimeSup->Find("EdCtrl"), 0);

  // The cursor comes to the editor's control panel: "EdCtrl" runs at once (the list shows)...
  under = &panelEdCtrl;
  cursor = {120, 110};
  TickTo(130);
  ASSERT_NE(TimeSup->Find("EdCtrl"), 0);
  EXPECT_EQ(link.shows, 1);
  EXPECT_TRUE(link.list.Visible());
  // ... then every 800 ms while the cursor stays on the panel; nothing changes.
  under = &link.list;
  TickTo(2000);
  EXPECT_EQ(link.shows, 1);
  EXPECT_EQ(link.hides, 0);
  ASSERT_NE(TimeSup->Find("EdCtrl"), 0);
  // The cursor leaves: at the next run the panel comes back and the timer goes.
  cursor = {300, 300};
  under = &other;
  TickTo(2600);
  EXPECT_EQ(link.hides, 1);
  EXPECT_FALSE(link.list.Visible());
  EXPECT_EQ(TimeSup->Find("EdCtrl"), 0);
  EXPECT_EQ(TimeSup->Count, 3);
}

TEST_F(AppClock, EdCtrlRunsEvery800Ms) {
  CreateTimeSup();
  std::vector<uint32_t> runs;
  link.list.SetVisible(true);  // shown: each run only checks the cursor
  cursor = {120, 110};
  under = &panelEdCtrl;
  TickTo(0);
  ASSERT_NE(TimeSup->Find("EdCtrl"), 0);
  TTimeSupRec* ed = TimeSup->Slot(TimeSup->Find("EdCtrl"));
  const TTimeSupProc proc = ed->Callback;
  ed->Callback = [&](int32_t s) {
    runs.push_back(clock.Now() - clock.T0());
    proc(s);
  };
  TickTo(2500);
  EXPECT_EQ(runs, (std::vector<uint32_t>{800, 1600, 2400}));
}

// ---------------------------------------------------------------- date strings

int DaysSince1899(int Y, unsigned M, unsigned D) {
  using namespace std::chrono;
  const sys_days d{year{Y} / month{M} / day{D}};
  const sys_days base{year{1899} / December / day{30}};
  return static_cast<int>((d - base).count());
}

TEST(DayNumbers, AgreeWithTheCalendar) {
  using namespace std::chrono;
  // Every day of the years the four-year cycle covers.
  for (sys_days d = sys_days{year{1901} / January / 1}; d <= sys_days{year{2099} / December / 31};
       d += days{1}) {
    const year_month_day ymd{d};
    const int Y = static_cast<int>(ymd.year());
    const int M = static_cast<int>(static_cast<unsigned>(ymd.month()));
    const int D = static_cast<int>(static_cast<unsigned>(ymd.day()));
    const int32_t stamp = DayNumber(Y / 100, Y % 100, M, D) - 364;
    ASSERT_EQ(stamp, DaysSince1899(Y, static_cast<unsigned>(M), static_cast<unsigned>(D)) + 693594)
        << Y << "-" << M << "-" << D;
    int32_t c = 0, y = 0, m = 0, dd = 0;
    DayToYMD(stamp, c, y, m, dd);
    ASSERT_EQ(c * 100 + y, Y);
    ASSERT_EQ(m, M);
    ASSERT_EQ(dd, D);
  }
  // The Gregorian rule holds for DayNumber well outside that range.
  for (int Y : {1601, 1700, 1800, 1900, 2100, 2400})
    for (int M : {1, 2, 3, 12})
      EXPECT_EQ(DayNumber(Y / 100, Y % 100, M, 1) - 364,
                DaysSince1899(Y, static_cast<unsigned>(M), 1) + 693594)
          << Y << "-" << M;
}

TEST(DayNumbers, EdgeDates) {
  int32_t c = 0, y = 0, m = 0, d = 0;
  // Without the subtraction of 364 the day lands at the end of the same year.
  DayToYMD(DayNumber(19, 1, 1, 1), c, y, m, d);
  EXPECT_EQ(DateStr(c, y, m, d), "1901.12.31");
  DayToYMD(DayNumber(20, 0, 1, 1) - 364 - 1, c, y, m, d);
  EXPECT_EQ(DateStr(c, y, m, d), "1999.12.31");
  EXPECT_EQ(DateStr(0, 0, 0, 0), "        ");
  EXPECT_EQ(DateStr(20, 17, 9, 6), "2017.09.06");

  EXPECT_EQ(YYYYMMDDStr(0), "19000000");
  EXPECT_EQ(YYYYMMDDStr(693958), "19000000");
  EXPECT_EQ(YYYYMMDDStr(DayNumber(20, 17, 9, 6) - 364), "20170906");
  EXPECT_EQ(YYMMDDStr(DayNumber(20, 17, 9, 6) - 364), "170906");
  // Small day numbers are raised by 693958.
  EXPECT_EQ(YYYYMMDDStr(3), "19010101");

  EXPECT_EQ(EncodeYMD(2017, 9, 6), DaysSince1899(2017, 9, 6));
  EXPECT_EQ(EncodeYMD(1904, 2, 29), DaysSince1899(1904, 2, 29));
  EXPECT_EQ(DateToYMDStr(DaysSince1899(2000, 3, 1) + 0.75), "2000.03.01");
  // The time stamp rounds to the millisecond: a hair before midnight is the next day.
  EXPECT_EQ(DateToYMDStr(DaysSince1899(2000, 2, 29) + 0.9999999999), "2000.03.01");
}

TEST(DateTexts, FitsTimeStamps) {
  testsupport::SinkRecorder sink;
  EXPECT_EQ(sYMD102Long("2017-09-06"), DaysSince1899(2017, 9, 6));
  EXPECT_DOUBLE_EQ(sHMS122Real("03:12:35.154"), ((3 * 60 + 12) * 60 + 35.154) / 86400);
  EXPECT_DOUBLE_EQ(sDT232Real("2017-09-06T00:02:32.154"),
                   DaysSince1899(2017, 9, 6) + (2 * 60 + 32.154) / 86400);
  EXPECT_TRUE(sink.texts.empty());

  struct Bad {
    std::function<double()> Call;
    std::string Text;
  };
  const std::string crlf = "\r\n";
  const Bad bad[] = {
      {[] { return sYMD102Long("2017-9-06"); },
       "sYMD102Long ERR: строка"_cp + crlf + "<2017-9-06>" + crlf +
           "должна иметь длину 10 символов (2017-09-06)"_cp},
      {[] { return sHMS122Real("3:12:35.154"); },
       "sHMS122Real ERR: строка"_cp + crlf + "<3:12:35.154>" + crlf +
           "должна иметь длину 12 символов (03:12:35.154)"_cp},
      {[] { return sDT232Real("2017-09-06T00:02:32.15"); },
       "sDT232Real ERR: строка"_cp + crlf + "<2017-09-06T00:02:32.15>" + crlf +
           "должна иметь длину 23 символа (2017-09-06T00:02:32.154)"_cp},
  };
  for (const Bad& b : bad) {
    sink.texts.clear();
    EXPECT_EQ(b.Call(), 0);
    EXPECT_TRUE(sink.Has(b.Text)) << b.Text;
  }
}

}  // namespace
