#include "mainwindow/StartBench.h"

#include <chrono>
#include <thread>

#include "foundation/cvArr.h"
#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"
#include "linedata/cvKurBands.h"

namespace startbench {

namespace {

void List(TStringList& Out, const std::string& Title, const TARe& A, const TARe& B) {
  Out.Add(Title);
  for (size_t i = 1; i < A.size(); ++i)
    Out.Add(IntStr(static_cast<int32_t>(i)) + " " + FSt(10, 6, A[i]) + " " + FSt(5, 0, B[i]));
}

std::string ClockText(double DT) {
  int h = 0, m = 0, s = 0, ms = 0;
  DecodeTime(DT, h, m, s, ms);
  return MsToHMS(static_cast<uint32_t>(((h * 60 + m) * 60 + s) * 1000));
}

}  // namespace

bool TestBench(TJob& Job, const std::string& From, const std::string& To, TStringList& Out,
               int32_t ClockMs) {
  const int64_t steps = 5;
  // two arrays listed, sorted together, listed again
  if (!Job.Step(0, steps, "Тест: массивы"_cp)) return false;
  RandomizePhys();
  TARe A(11), B(11);
  for (int i = 1; i <= 10; ++i) {
    A[static_cast<size_t>(i)] = RandUniform();
    B[static_cast<size_t>(i)] = i;
  }
  List(Out, "до сортировки:"_cp, A, B);
  AReQSort2(1, 10, A, B);
  List(Out, "после сортировки:"_cp, A, B);
  // the running mean over three points: indices 1..10 in, 2..9 out
  int32_t n1 = 1, n2 = 10;
  std::string warn = " ВХОД: n1="_cp + IntStr(n1) + " n2="_cp + IntStr(n2);
  TARe M(11, 0.0);
  for (int32_t i = n1 + 1; i <= n2 - 1; ++i)
    M[static_cast<size_t>(i)] = (A[static_cast<size_t>(i - 1)] + A[static_cast<size_t>(i)] + A[static_cast<size_t>(i + 1)]) / 3;
  ++n1;
  --n2;
  warn += "\r\nВЫХОД: n1="_cp + IntStr(n1) + " n2="_cp + IntStr(n2);
  Job.Warn(warn);
  Out.Add("скользящее среднее:"_cp);
  for (int32_t i = n1; i <= n2; ++i) Out.Add(IntStr(i) + " " + FSt(10, 6, M[static_cast<size_t>(i)]));
  // the Kurucz widths over the range
  if (!Job.Step(1, steps, "Тест: KurLinesCalcWD"_cp)) return false;
  TKurBandsResult kr;
  KurLinesCalcWD(Job, From, To, kr);
  Out.Add("KurLinesCalcWD " + From + " .. " + To + ": " + IntStr(static_cast<int32_t>(kr.Read)) + " / " +
          IntStr(static_cast<int32_t>(kr.Written)));
  if (Job.Cancelled()) return false;
  // date and time conversions
  if (!Job.Step(2, steps, "Тест: даты"_cp)) return false;
  const double now = NowDateTime();
  Out.Add("DT=" + FSt(0, 6, now) + " => " + DateYYYYMMDD(now) + " " + TimeHHMMSS(now));
  Out.Add("DT=" + IntStr(static_cast<int32_t>(now)) + " => " + DateYYMMDD(now));
  // the clock polled for ClockMs
  Out.Add("Проверка таймера 10 секунд"_cp);
  if (!Job.Step(3, steps, "Проверка таймера 10 секунд"_cp)) return false;
  const auto start = std::chrono::steady_clock::now();
  std::string last;
  for (;;) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start).count();
    if (ms >= ClockMs) break;
    const std::string t = ClockText(NowDateTime());
    if (t != last) {
      last = t;
      if (!Job.Step(ms, ClockMs, "Time= " + t + " OK!")) return false;
    }
    if (Job.Cancelled()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Job.Step(steps, steps, "Тест"_cp);
  return true;
}

}  // namespace startbench
