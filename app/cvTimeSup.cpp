#include "app/cvTimeSup.h"

#include <cmath>
#include <vector>

#include "app/cvApp.h"
#include "app/cvCtrlUtil.h"
#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "app/cvWinLink.h"
#include "foundation/cvClock.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/Controls.h"
#include "platform/Timer.h"

TTimeSup* TimeSup = nullptr;

namespace {

const std::string CRLF = "\r\n";

// Records removed while their callback runs stay alive until the callback has returned.
std::vector<std::unique_ptr<TTimeSupRec>>& Retired() {
  static std::vector<std::unique_ptr<TTimeSupRec>> list;
  return list;
}

void ReleaseRetired(const TTimeSupRec* R) {
  auto& list = Retired();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == R) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

}  // namespace

// ---------------------------------------------------------------- the table

TTimeSup::TTimeSup(platform::TControl* AWnd) : Wnd(AWnd) {}

TTimeSup::~TTimeSup() { FreeAll(); }

TTimeSupRec* TTimeSup::Slot(int32_t I) const {
  return I >= 1 && I <= Count ? Slots_[static_cast<size_t>(I)].get() : nullptr;
}

int32_t TTimeSup::SlotOf(const TTimeSupRec* R) const {
  for (int32_t i = 1; i <= Count; ++i)
    if (Slots_[static_cast<size_t>(i)].get() == R) return i;
  return 0;
}

void TTimeSup::FreeAll() {
  for (int32_t i = Count; i >= 1; --i) {
    auto& S = Slots_[static_cast<size_t>(i)];
    if (S && S->Running)
      Retired().push_back(std::move(S));
    else
      S.reset();
  }
  Count = 0;
  NextDue = NoneDue;
  NextIdx = 0;
}

int32_t TTimeSup::Find(const std::string& Name) const {
  for (int32_t i = 1; i <= Count; ++i)
    if (Slots_[static_cast<size_t>(i)]->Name == Name) return i;
  return 0;
}

void TTimeSup::AddTimer(const std::string& Name, int32_t Period) {
  CurIdx = Find(Name);
  if (CurIdx == 0) {
    if (Count + 1 > MaxTimers) {
      WARNAbs("Установка таймера <"_cp + Name + "(" + IntStr(Period) +
              "ms)> - слишком много таймеров"_cp);
      return;
    }
    ++Count;
    auto R = std::make_unique<TTimeSupRec>();
    R->Name = Name;
    R->Period = Period;
    R->Due = 1;
    R->IdleDue = 0;
    int32_t i = 1;
    while (i < Count && Slots_[static_cast<size_t>(i)]->Period < Period) ++i;
    for (int32_t j = Count; j > i; --j)
      Slots_[static_cast<size_t>(j)] = std::move(Slots_[static_cast<size_t>(j - 1)]);
    Slots_[static_cast<size_t>(i)] = std::move(R);
    CurIdx = i;
  }
  TTimeSupRec* R = Slot(CurIdx);
  // A period below 1 ms would leave the timer due within the tick that ran it.
  R->Period = Period < 1 ? 1 : Period;
  R->Due = MsClock() + static_cast<uint32_t>(R->Period);
  FindNext();
}

void TTimeSup::ArmTimer(const std::string& Name, int32_t Period, TTimeSupProc Callback) {
  AddTimer(Name, Period);
  if (TTimeSupRec* R = Slot(CurIdx)) R->Callback = std::move(Callback);
}

void TTimeSup::StartTimer(const std::string& Name, int32_t Period, TTimeSupProc Callback) {
  AddTimer(Name, Period);
  TTimeSupRec* R = Slot(CurIdx);
  if (!R) return;
  R->Callback = std::move(Callback);
  R->Due = 1;
  NextIdx = CurIdx;
  NextDue = 0;
}

void TTimeSup::DelTimer(const std::string& Name) {
  const int32_t i = Find(Name);
  if (i == 0) return;
  auto& S = Slots_[static_cast<size_t>(i)];
  if (S->Running)
    Retired().push_back(std::move(S));
  else
    S.reset();
  for (int32_t j = i; j < Count; ++j)
    Slots_[static_cast<size_t>(j)] = std::move(Slots_[static_cast<size_t>(j + 1)]);
  Slots_[static_cast<size_t>(Count)].reset();
  --Count;
  if (CurIdx > Count) CurIdx = 0;
  if (NextDue != NoneDue) FindNext();
}

void TTimeSup::Disarm(int32_t I) {
  if (TTimeSupRec* R = Slot(I)) R->Due = 0;
}

void TTimeSup::ReCharge(int32_t I) {
  TTimeSupRec* R = Slot(I);
  if (!R) {
    std::unique_ptr<TStringList> L = Report();
    L->Add("TimeSup.ReCharge iTimer=" + IntStr(I) + " N=" + IntStr(Count));
    WARNAbsSL(L.get());
    return;
  }
  if (qStopped) return;
  R->Due = MsClock() + static_cast<uint32_t>(R->Period);
  Reschedule();
}

void TTimeSup::Reschedule() {
  FindNext();
  Tick(MsClock());
}

void TTimeSup::FindNext() {
  NextDue = NoneDue;
  NextIdx = 0;
  // The clock runs past 2147483647 after some 25 days of system uptime: a timer due later
  // than that is still the next one when it is the earliest.
  for (int32_t i = 1; i <= Count; ++i) {
    const TTimeSupRec& R = *Slots_[static_cast<size_t>(i)];
    const uint32_t T = R.Due != 0 ? R.Due : R.IdleDue;
    if (NextIdx == 0 || T <= NextDue) {
      NextDue = T;
      NextIdx = i;
    }
  }
}

void TTimeSup::Tick(uint32_t Now) {
  if (Now < NextDue) return;
  // Every timer runs at most once per tick and never inside its own callback, so the loop
  // ends after at most MaxTimers callbacks.
  std::array<const TTimeSupRec*, MaxTimers> Ran;
  size_t NRan = 0;
  for (;;) {
    if (Now < NextDue) return;
    if (TTimeSupRec* R = Slot(NextIdx)) {
      if (R->Running) return;
      for (size_t k = 0; k < NRan; ++k)
        if (Ran[k] == R) return;
      if (NRan == Ran.size()) return;  // the rest waits for the next tick
      Ran[NRan++] = R;
      R->Running = true;
      // A copy: the callback may replace its own timer's callback.
      const TTimeSupProc Callback = R->Callback;
      if (Callback) Callback(NextIdx);
      R->Running = false;
      const bool InTable = SlotOf(R) != 0;
      if (!InTable) ReleaseRetired(R);
      if (qStopped) return;
      if (InTable) {
        // The timer that ran comes back after 32 periods unless it was re-armed; one that its
        // callback left due (not re-armed into the future) is taken as disarmed.
        R->IdleDue = MsClock() + IdlePeriods * static_cast<uint32_t>(R->Period);
        if (R->Due != 0 && !(Now < R->Due)) R->Due = 0;
      }
    }
    FindNext();
    if (NextIdx == 0) return;
  }
}

std::unique_ptr<TStringList> TTimeSup::Report() const {
  auto L = std::make_unique<TStringList>();
  L->Add("Отчет о текущих таймерах. Число таймеров = "_cp + IntStr(Count));
  for (int32_t i = 1; i <= Count; ++i) {
    const TTimeSupRec& R = *Slots_[static_cast<size_t>(i)];
    L->Add(IntStr(i) + " " + PadRight(R.Name, 12) + " dT=" + IntStr(R.Period));
  }
  return L;
}

void TimeSupTick() {
  if (TimeSup) TimeSup->Tick(MsClock());
}

// ---------------------------------------------------------------- the application clock

namespace {

std::unique_ptr<platform::TTimer>& OwnTimer() {
  static std::unique_ptr<platform::TTimer> timer;
  return timer;
}

void GuardedTick() {
  if (App)
    App->Guard(nullptr, TimeSupTick);
  else
    TimeSupTick();
}

TInf* Panel() { return App ? App->Inf : nullptr; }

}  // namespace

platform::TTimer* ClockTimer() {
  if (platform::TTimer* T = MainWindowLink().MainTimer()) return T;
  auto& own = OwnTimer();
  if (!own) {
    own = platform::NewTimer();
    own->SetInterval(10);
    own->OnTimer = GuardedTick;
  }
  return own.get();
}

void BusStart() {
  if (!TimeSup) return;
  TimeSup->StartTimer("test", 500, TestTimerProc);
  TimeSup->StartTimer("blink", 300, BlinkTimerProc);
  TimeSup->StartTimer("mousemove", 30, MouseMoveTimerProc);
  TimeSup->qStopped = false;
  ClockTimer()->SetEnabled(true);
}

void BusStop() {
  platform::TTimer* T = ClockTimer();
  if (!T->Enabled()) {
    WARNAbs("Повторный BusStop"_cp);
    return;
  }
  T->SetEnabled(false);
  if (!TimeSup) return;
  TimeSup->qStopped = true;
  TimeSup->DelTimer("test");
  TimeSup->DelTimer("blink");
}

void CreateTimeSup() {
  delete TimeSup;
  TimeSup = new TTimeSup(MainWindowLink().Form());
  BusStart();
}

void FreeTimeSup() {
  OwnTimer().reset();
  delete TimeSup;
  TimeSup = nullptr;
}

void TestTimerProc(int32_t Slot) {
  TimeSup->Disarm(Slot);
  if (TInf* Inf = Panel()) Inf->LogStr("TT", MsToHMS(MsClock()));
  TimeSup->ReCharge(Slot);
}

void BlinkTimerProc(int32_t Slot) {
  TimeSup->Disarm(Slot);
  if (TInf* Inf = Panel()) {
    bool Over = false;
    Inf->Hover(Inf->Handle, Over);
  }
  TimeSup->ReCharge(Slot);
}

void MouseMoveTimerProc(int32_t Slot) {
  TimeSup->Disarm(Slot);
  if (HoverWindowChanged()) {
    platform::TControl* W = HoverWindow();
    if (W && W->Name() == "PanelEdCTRL") TimeSup->StartTimer("EdCtrl", 800, EdCtrlTimerProc);
  }
  if (TInf* Inf = Panel()) {
    Inf->UpdateChanged();
    Inf->FrameStep();
  }
  // Adding "EdCtrl" may have moved this timer.
  if (const int32_t I = TimeSup->Find("mousemove")) TimeSup->ReCharge(I);
}

void EdCtrlTimerProc(int32_t Slot) {
  TimeSup->Disarm(Slot);
  TMainWindowLink& W = MainWindowLink();
  platform::TControl* List = W.Control("cbEdCTRL");
  bool Removed = false;
  if (!List) {
    // No list to switch to: the timer has nothing to do.
    TimeSup->DelTimer("EdCtrl");
    Removed = true;
  } else if (!List->Visible()) {
    W.EdTuneListShow();
  } else if (!W.DroppedDown("cbEdCTRL") &&
             !PointInRect(W.ScreenRect("PanelEdCTRL"), platform::CursorScreenPos())) {
    TimeSup->DelTimer("EdCtrl");
    Removed = true;
    W.EdTuneListHide();
  }
  if (TInf* Inf = Panel()) Inf->RedrawIfDirty();
  if (Removed)
    TimeSup->Reschedule();
  else if (const int32_t I = TimeSup->Find("EdCtrl"))
    TimeSup->ReCharge(I);
}

// ---------------------------------------------------------------- date strings

namespace {

int32_t FloorDiv(int32_t A, int32_t B) {
  int32_t q = A / B;
  if ((A % B != 0) && ((A < 0) != (B < 0))) --q;
  return q;
}

int32_t TruncPlus(double X) { return static_cast<int32_t>(std::trunc(X + 0.0001)); }

void DateWarn(const std::string& Name, const std::string& S, const std::string& Tail) {
  WARNAbs(Name + " ERR: строка"_cp + CRLF + "<" + S + ">" + CRLF + Tail);
}

}  // namespace

int32_t DayNumber(int32_t Century, int32_t Year, int32_t Month, int32_t Day) {
  int32_t E = Century, G = Year, F = Month - 2;
  if (Month < 3) {
    E = Year == 0 ? Century - 1 : Century;
    G = Year == 0 ? 99 : Year - 1;
    F = Month + 10;
  }
  return TruncPlus(E / 4.0) + 36524 * E + 365 * G + TruncPlus(G / 4.0) + 28 * F +
         TruncPlus(2.6 * F - 0.2) + Day + 28;
}

void DayToYMD(int32_t Days, int32_t& Century, int32_t& Year, int32_t& Month, int32_t& Day) {
  const int32_t A = Days - 693960;
  const int32_t Q = FloorDiv(A, 1461);
  const int32_t B = A - Q * 1461;
  int32_t C = B / 365;
  if (C == 4) C = 3;
  const int32_t Y = C + 4 * Q + 1;
  Year = Y - FloorDiv(Y, 100) * 100;
  Century = 19 + FloorDiv(Y, 100);
  const int32_t Len[13] = {0, 31, C == 3 ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int32_t Rest = B - 365 * C;
  int32_t M = 1;
  while (M < 12 && Len[M] < Rest) {
    Rest -= Len[M];
    ++M;
  }
  if (Rest == 0) {
    // The last day of the previous month: 31 December of the year before.
    M = 12;
    Rest = 31;
    if (--Year < 0) {
      Year = 99;
      --Century;
    }
  }
  Month = M;
  Day = Rest;
}

std::string DateStr(int32_t Century, int32_t Year, int32_t Month, int32_t Day) {
  if (Century == 0 && Year == 0 && Month == 0 && Day == 0) return std::string(8, ' ');
  return ZeroPad(Century, 2) + ZeroPad(Year, 2) + "." + ZeroPad(Month, 2) + "." + ZeroPad(Day, 2);
}

std::string DateToYMDStr(double DateTime) {
  // The date of the time stamp: milliseconds rounded, whole days counted from 1 January of year 1.
  const double Ms = std::nearbyint(DateTime * 86400000.0);
  const int32_t Days = static_cast<int32_t>(std::trunc(Ms / 86400000.0)) + 693594;
  int32_t C = 0, Y = 0, M = 0, D = 0;
  DayToYMD(Days, C, Y, M, D);
  return DateStr(C, Y, M, D);
}

std::string YYYYMMDDStr(int32_t Days) {
  if (Days == 0 || Days == 693958) return "19000000";
  const int32_t N = Days <= 73049 ? Days + 693958 : Days;
  int32_t C = 0, Y = 0, M = 0, D = 0;
  DayToYMD(N, C, Y, M, D);
  return ZeroPad(C, 2) + ZeroPad(Y, 2) + ZeroPad(M, 2) + ZeroPad(D, 2);
}

std::string YYMMDDStr(int32_t Days) { return YYYYMMDDStr(Days).substr(2, 6); }

double EncodeYMD(int32_t Year, int32_t Month, int32_t Day) {
  const int32_t Stamp = DayNumber(Year / 100, Year % 100, Month, Day) - 364;
  return static_cast<double>(Stamp - 693594);
}

int32_t sYMD102Long(const std::string& S) {
  if (S.size() != 10) {
    DateWarn("sYMD102Long", S, "должна иметь длину 10 символов (2017-09-06)"_cp);
    return 0;
  }
  const int32_t Y = ValInt(S.substr(0, 4));
  const int32_t M = ValInt(S.substr(5, 2));
  const int32_t D = ValInt(S.substr(8, 2));
  return static_cast<int32_t>(EncodeYMD(Y, M, D));
}

double sHMS122Real(const std::string& S) {
  if (S.size() != 12) {
    DateWarn("sHMS122Real", S, "должна иметь длину 12 символов (03:12:35.154)"_cp);
    return 0;
  }
  const double H = ValReal(S.substr(0, 2));
  const double M = ValReal(S.substr(3, 2));
  const double Sec = ValReal(S.substr(6, 6));
  return ((H * 60 + M) * 60 + Sec) / 86400.0;
}

double sDT232Real(const std::string& S) {
  if (S.size() != 23) {
    DateWarn("sDT232Real", S, "должна иметь длину 23 символа (2017-09-06T00:02:32.154)"_cp);
    return 0;
  }
  const size_t T = S.find('T');
  if (T == std::string::npos) return sYMD102Long(S) + sHMS122Real("");
  return sYMD102Long(S.substr(0, T)) + sHMS122Real(S.substr(T + 1));
}
