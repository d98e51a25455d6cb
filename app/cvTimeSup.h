// Named timers on the main window's one 10 ms timer, the application clock that starts and stops
// them with its standard timers ("test", "blink", "mousemove", "EdCtrl"), and the date-string
// routines (day numbers, YYYY.MM.DD forms and the FITS time-stamp readers).
//
// Times are milliseconds of MsClock compared as unsigned numbers. A timer's callback begins by
// disarming its slot and ends by re-charging it when it is to run again a period later; a
// callback that only disarms comes back after 32 periods, one that removes its timer never.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/cvStrList.h"

namespace platform {
class TControl;
class TTimer;
}  // namespace platform

// A timer's action; it is given its slot number.
using TTimeSupProc = std::function<void(int32_t Slot)>;

// One named timer.
class TTimeSupRec {
 public:
  std::string Name;
  int32_t Period = 0;
  uint32_t IdleDue = 0;  // when a disarmed timer comes due again; 0 when new
  uint32_t Due = 0;      // when the armed timer comes due; 0 disarmed, 1 at once
  TTimeSupProc Callback;
  bool Running = false;  // its callback is running
};

class TTimeSup {
 public:
  static constexpr int32_t MaxTimers = 16;
  static constexpr uint32_t NoneDue = 2147483647;
  static constexpr uint32_t IdlePeriods = 32;

  explicit TTimeSup(platform::TControl* Wnd);
  ~TTimeSup();
  TTimeSup(const TTimeSup&) = delete;
  TTimeSup& operator=(const TTimeSup&) = delete;

  platform::TControl* Wnd = nullptr;
  int32_t Count = 0;
  int32_t CurIdx = 0;
  uint32_t NextDue = NoneDue;
  int32_t NextIdx = 0;
  bool qStopped = false;

  // The timer in slot I (1..Count); nullptr outside.
  TTimeSupRec* Slot(int32_t I) const;
  void FreeAll();
  // Slot of the timer with exactly that name; 0 when none.
  int32_t Find(const std::string& Name) const;
  // Finds or inserts the timer (kept sorted by period), sets its period and makes it due one
  // period from now. CurIdx is its slot afterwards, 0 when the table was full (with a warning).
  void AddTimer(const std::string& Name, int32_t Period);
  // AddTimer and the callback; the first run comes one period later.
  void ArmTimer(const std::string& Name, int32_t Period, TTimeSupProc Callback);
  // AddTimer and the callback; it runs at the next tick.
  void StartTimer(const std::string& Name, int32_t Period, TTimeSupProc Callback);
  // Removes the timer; a name not in the table does nothing.
  void DelTimer(const std::string& Name);
  void Disarm(int32_t I);
  // Due one period from now (while the clock runs), then Reschedule. A bad slot is reported.
  void ReCharge(int32_t I);
  // FindNext, then a tick at the current time.
  void Reschedule();
  // The timer that comes due first (equal times: the later slot).
  void FindNext();
  // Runs every timer due by Now, earliest first.
  void Tick(uint32_t Now);
  // "Отчет о текущих таймерах. Число таймеров = N" and one line per slot.
  std::unique_ptr<TStringList> Report() const;

 private:
  std::array<std::unique_ptr<TTimeSupRec>, MaxTimers + 1> Slots_;  // 1..MaxTimers used
  int32_t SlotOf(const TTimeSupRec* R) const;
};

// The one timer table; nullptr until the application creates it.
extern TTimeSup* TimeSup;

// The body of the main window's 10 ms timer: a tick of TimeSup at MsClock.
void TimeSupTick();

// ---- the application clock ----
// Starts "test" (500 ms), "blink" (300 ms) and "mousemove" (30 ms), all due at once, and
// switches the main timer on.
void BusStart();
// Switches the main timer off and removes "test" and "blink"; a second call only warns.
void BusStop();
// The main timer: the main window's (MainWindowLink().MainTimer()) or, without one, the
// clock's own (10 ms, ticking TimeSup inside the application's exception guard).
platform::TTimer* ClockTimer();
// Creates TimeSup on the main window's handle (freeing an earlier one) and runs BusStart.
void CreateTimeSup();
// Frees TimeSup and the clock's own timer (the end of the run, tests).
void FreeTimeSup();

// The standard timers' callbacks.
void TestTimerProc(int32_t Slot);
void BlinkTimerProc(int32_t Slot);
void MouseMoveTimerProc(int32_t Slot);
void EdCtrlTimerProc(int32_t Slot);

// ---- date strings ----
// Day number of century (19, 20), two-digit year, month and day: DayNumber - 364 is the day of
// the time stamp (1 January of year 1 being day 1).
int32_t DayNumber(int32_t Century, int32_t Year, int32_t Month, int32_t Day);
// Time-stamp day -> century, two-digit year, month, day (four-year cycle: 1901 to 2099).
void DayToYMD(int32_t Days, int32_t& Century, int32_t& Year, int32_t& Month, int32_t& Day);
// YYYY.MM.DD; eight blanks when all four are 0.
std::string DateStr(int32_t Century, int32_t Year, int32_t Month, int32_t Day);
std::string DateToYMDStr(double DateTime);
// YYYYMMDD of a day number (up to 73049 raised by 693958, larger ones time-stamp days).
std::string YYYYMMDDStr(int32_t Days);
std::string YYMMDDStr(int32_t Days);
// Date-time of a four-digit year, month and day.
double EncodeYMD(int32_t Year, int32_t Month, int32_t Day);
// "YYYY-MM-DD" -> days since 30 December 1899; 0 with a warning for another length.
int32_t sYMD102Long(const std::string& S);
// "hh:mm:ss.sss" -> fraction of a day; 0 with a warning for another length.
double sHMS122Real(const std::string& S);
// "YYYY-MM-DDThh:mm:ss.sss" -> date-time; 0 with a warning for another length.
double sDT232Real(const std::string& S);
