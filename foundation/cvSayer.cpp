#include "foundation/cvSayer.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "foundation/cvClock.h"
#include "foundation/cvDate.h"
#include "foundation/cvJob.h"
#include "foundation/cvWarnBox.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvWarnOnceCapture.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MsgBox.h"

TSayer* Sayer = nullptr;
thread_local std::string WarnLastText;
bool WarnRepeatOn = true;
thread_local int32_t TraceMask = 0;
TStringList* WarnOnceKeys = nullptr;
uint32_t SayerClockOffset = 0;
thread_local TIntStack StackIO;

namespace {

// One writer at a time into the log and the sink's state; jobs on other threads log too.
std::recursive_mutex& SinkMutex() {
  static std::recursive_mutex m;
  return m;
}

const std::string kWarnCaption = "ПРЕДУПРЕЖДЕНИЕ ИЛИ НАПОМИНАНИЕ"_cp;

std::vector<platform::TCursor>& CursorStack() {
  static std::vector<platform::TCursor> s;
  return s;
}

[[noreturn]] void LogWriteError(const std::string& name) {
  throw EInOutError("TSayer: ошибка записи в файл протокола "_cp + name);
}

struct SayerStart {
  SayerStart() {
    SayerClockInit();
    Sayer = new TSayer();
    WarnRepeatOn = true;
    StackIO.Clear();
  }
};
// After the clock unit's start (priority 150), before ordinary static objects.
__attribute__((init_priority(160))) SayerStart g_sayerStart;

std::string JoinCrLf(const TStringList& list) {
  std::string s;
  for (int i = 0; i < list.Count(); ++i) {
    if (i > 0) s += "\r\n";
    s += list[i];
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------- TSayer

TSayer::TSayer() = default;

TSayer::~TSayer() {
  if (LogFile) std::fclose(LogFile);
  LogFile = nullptr;
}

std::string TSayer::MakePrefix() {
  ++Serial;
  if (Serial > 99999) Serial = 0;
  return "#" + ZeroPadInt(Serial, 5) + " T=" + NowMsStampS();
}

void TSayer::Say(const std::string& Text, const std::string& Caption) {
  if (!qActive) return;
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  // A job's thread writes only the log: its warnings reach the job's report, and boxes and the
  // hook belong to the window's thread.
  const bool inJob = CurrentJob() != nullptr;
  LastText = Text;
  LastCaption = Caption;
  if (qBoxes && !inJob) ShowBox();
  if (qLog) {
    std::string L;
    if (qPrefix) L = MakePrefix() + "| ";
    if (qCaption && !Caption.empty()) L += Caption;
    L += Text;
    if (!L.empty() && LogFile) {
      std::string line = platform::Cp1251ToUtf8(L) + "\n";
      if (std::fputs(line.c_str(), LogFile) == EOF) LogWriteError(LogName);
      if (qFlushEach) Flush();
    }
  }
  if (qHook && Hook && !inJob) Hook(Text, Caption);
}

void TSayer::Warn(const std::string& Text) {
  if (!qWarn) return;
  Say(Text, "Предупреждение или напоминание"_cp);
  Flush();
}

void TSayer::ShowBox() { platform::ShowMsgBox(LastText, LastCaption, platform::MsgButtons::Ok); }

void TSayer::CallHook(const std::string& Text, const std::string& Caption) {
  if (CurrentJob()) return;
  if (qActive && qHook && Hook) Hook(Text, Caption);
}

void TSayer::JobHook(const std::string& Text, const std::string& Caption) {
  // most jobs run without a hook for their warnings: no lock for them
  if (!qHook || !qHookJobs) return;
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  if (qHook && qHookJobs && Hook) Hook(Text, Caption);
}

void TSayer::WriteLine(const std::string& Text) {
  if (!qActive || !qLog || !LogFile) return;
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  std::string line;
  if (qPrefix) line = MakePrefix() + "| ";
  line += platform::Cp1251ToUtf8(Text);
  line += "\n";
  if (std::fputs(line.c_str(), LogFile) == EOF) LogWriteError(LogName);
  if (std::fflush(LogFile) != 0) LogWriteError(LogName);
}

void TSayer::Flush() {
  if (qLog && LogFile && std::fflush(LogFile) != 0) LogWriteError(LogName);
}

void TSayer::ChanAppend(int N, const std::string& Text) {
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  if (N < 0 || IsBitSet(TraceMask, N)) ChanPending += Text;
}

void TSayer::ChanLog(int N, const std::string& Text) {
  if (!(N < 0 || IsBitSet(TraceMask, N))) return;
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  std::string T = ChanPending + Text;
  ChanPending.clear();
  if (qChanNum) T = I64PadSt(2, N) + ":" + T;
  WriteLine(T);
  CallHook(T, std::string());
}

void TSayer::BoxesOn() {
  qBoxes = true;
  UpdateActive();
}

void TSayer::BoxesOff() {
  qBoxes = false;
  UpdateActive();
}

void TSayer::HookOff() {
  qHook = false;
  UpdateActive();
}

void TSayer::SetHook(TSayHook Procedure) {
  Hook = std::move(Procedure);
  qHook = true;
  UpdateActive();
}

void TSayer::UpdateActive() { qActive = qBoxes || qLog || qHook; }

void TSayer::OpenLog(const std::string& Name) {
  if (qLog && LogFile && Name == LogName) return;
  if (qLog || LogFile) CloseLog();
  if (Name.empty()) return;
  LogName = Name;
  LogFile = std::fopen(platform::Cp1251ToUtf8(Name).c_str(), "ab");
  qLog = LogFile != nullptr;
  UpdateActive();
}

void TSayer::CloseLog() {
  if (LogFile) {
    std::FILE* f = LogFile;
    LogFile = nullptr;
    qLog = false;
    UpdateActive();
    if (std::fclose(f) != 0) LogWriteError(LogName);
    return;
  }
  qLog = false;
  UpdateActive();
}

// ---------------------------------------------------------------- free routines

void WARNAbs(const std::string& Text) {
  if (TJob* J = CurrentJob()) {
    // collected for the job's report (repeats counted) and logged
    J->Warn(Text);
    WarnLastText = Text;
    if (Sayer && Sayer->qLog) Sayer->Say(Text, kWarnCaption);
    if (Sayer) Sayer->JobHook(Text, kWarnCaption);
    return;
  }
  if (!Sayer) return;
  if (Text == WarnLastText) {
    if (!WarnRepeatOn) return;
    if (Sayer->qBoxes) {
      platform::MsgResult r = platform::ShowMsgBox(
          "Повторное возникновение ошибки:"_cp + "\n\r\n\r" + Text,
          "ПОДАВИТЬ ДАЛЕЕ ПОВТОРНЫЙ ВЫВОД?"_cp, platform::MsgButtons::YesNo);
      if (r == platform::MsgResult::Yes) {
        WarnRepeatOn = false;
        return;
      }
    }
  }
  WarnLastText = Text;
  WarnRepeatOn = true;
  if (Sayer->qBoxes || Sayer->qLog)
    Sayer->Say(Text, kWarnCaption);
  else
    Sayer->Say("WARN:" + Text, std::string());
}

void WarnBox(const std::string& Text, const std::string& Caption) {
  if (CurrentJob())
    WARNAbs(Text);
  else
    platform::ShowMsgBox(Text, Caption, platform::MsgButtons::Ok);
}

void WARNAbsSL(const TStringList* List) {
  if (!List) {
    WARNAbs("Err: StringList, переданный в процедуру WARNAbs не создан!"_cp);
    return;
  }
  WARNAbs(JoinCrLf(*List));
}

void WARN(const std::string& Text) {
  if (!Sayer) return;
  if (TJob* J = CurrentJob()) {
    if (Sayer->qWarn) {
      J->Warn(Text);
      Sayer->JobHook(Text, "Предупреждение или напоминание"_cp);
    }
    return;
  }
  Sayer->Warn(Text);
}

void WARNSL(const TStringList* List) {
  if (!Sayer) return;
  if (!List) {
    WARN("Err: StringList, переданный в процедуру WARN не создан!"_cp);
    return;
  }
  WARN(JoinCrLf(*List));
}

namespace {
thread_local std::vector<TWarnOnceCall>* t_onceCapture = nullptr;
}  // namespace

void CaptureWarnOnce(std::vector<TWarnOnceCall>* To) { t_onceCapture = To; }

void WARNOnce(const std::string& Key, const std::string& Text) {
  if (t_onceCapture) {
    const TJob* J = CurrentJob();
    t_onceCapture->push_back({Key, Text, J ? J->WarningCount() : 0});
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  if (!WarnOnceKeys) {
    WarnOnceKeys = new TStringList();
    WarnOnceKeys->SetSorted(true);
  }
  int index = 0;
  if (!WarnOnceKeys->Find(Key, index)) {
    WarnOnceKeys->Add(Key);
    WARNAbs(Key + "#" + Text);
  } else {
    WARN(Key + "#" + Text);
  }
}

bool AskYesNo(const std::string& Text) {
  if (TJob* J = CurrentJob()) return J->Ask(Text, false);
  return platform::ShowMsgBox(Text, "ВЫПОЛНИТЬ?"_cp, platform::MsgButtons::YesNo) ==
         platform::MsgResult::Yes;
}

void ErrAbs(const std::string& Text) {
  // the screen cursor belongs to the window's thread
  if (!CurrentJob()) PopCursor();
  throw EInOutError("ErrAbs: " + Text + "\r\n");
}

void SayHook(const std::string& Text, const std::string& Caption) {
  if (Sayer) Sayer->CallHook(Text, Caption);
}

bool ChanOn(int N) { return IsBitSet(TraceMask, N); }

void ResetSayerForTests() {
  delete Sayer;
  Sayer = new TSayer();
  WarnLastText.clear();
  WarnRepeatOn = true;
  delete WarnOnceKeys;
  WarnOnceKeys = nullptr;
  StackIO.Clear();
  TraceMask = 0;
  CursorStack().clear();
}

// ---------------------------------------------------------------- trace stack

void TIntStack::push(int32_t Value) {
  if (Count >= Capacity) {
    WARNAbs("StackIO.push ERR: стек полон (предел "_cp + IntStr(Capacity) +
            " значений), значение "_cp + IntStr(Value) + " не сохранено!"_cp);
    return;
  }
  Slots[Count] = Value;
  ++Count;
  if (Sayer && (TraceMask & 2))
    Sayer->ChanLog(1, "StackIO.push >> (" + IntStr(Count) + ")=" +
                          IntBin(static_cast<uint32_t>(Value)) + " " +
                          BitsToList(static_cast<uint32_t>(Value)));
}

int32_t TIntStack::pop() {
  int32_t result = 0;
  if (Count > 0) {
    --Count;
    result = Slots[Count];
    Slots[Count] = 0;
  }
  if (Sayer && (TraceMask & 2))
    Sayer->ChanLog(1, "StackIO.pop << (" + IntStr(Count) + ")=" +
                          IntBin(static_cast<uint32_t>(result)) + " " +
                          BitsToList(static_cast<uint32_t>(result)));
  return result;
}

void TIntStack::Clear() {
  std::memset(Slots, 0, sizeof(Slots));
  Count = 0;
}

// ---------------------------------------------------------------- screen cursor stack

void PushCursor(platform::TCursor Cursor) {
  CursorStack().push_back(platform::CurrentCursor());
  platform::SetCursor(Cursor);
}

void PopCursor() {
  auto& s = CursorStack();
  if (s.empty()) {
    platform::SetCursor(platform::crDefault);
    return;
  }
  platform::TCursor c = s.back();
  s.pop_back();
  platform::SetCursor(c);
}

int CursorStackDepth() { return static_cast<int>(CursorStack().size()); }

// ---------------------------------------------------------------- bits

bool IsBitSet(int32_t Value, int N) {
  if (N < 0 || N > 31) return false;
  return (static_cast<uint32_t>(Value) >> N) & 1u;
}

bool IsByteBitSet(uint8_t B, int N) {
  if (N < 0 || N > 7) return false;
  return (B >> N) & 1u;
}

bool InRangeInt(int32_t X, int32_t Lo, int32_t Hi) { return Lo <= X && X <= Hi; }

void SetByteBit(uint8_t& B, int N) {
  if (N >= 0 && N < 8) B = static_cast<uint8_t>(B | (1u << N));
}

void ClearByteBit(uint8_t& B, int N) {
  if (N >= 0 && N < 8) B = static_cast<uint8_t>(B & ~(1u << N));
}

void SetArrBit(std::vector<uint8_t>& Bytes, int64_t N) {
  if (N < 0 || static_cast<uint64_t>(N / 8) >= Bytes.size()) return;
  SetByteBit(Bytes[static_cast<size_t>(N / 8)], static_cast<int>(N % 8));
}

void ClearArrBit(std::vector<uint8_t>& Bytes, int64_t N) {
  if (N < 0 || static_cast<uint64_t>(N / 8) >= Bytes.size()) return;
  ClearByteBit(Bytes[static_cast<size_t>(N / 8)], static_cast<int>(N % 8));
}

// ---------------------------------------------------------------- formatters and clock

std::string BufToHex(const void* Buffer, int NDigits) { return BufToHex2(Buffer, NDigits); }

std::string Int64Str(int64_t V) { return std::to_string(V); }

std::string ZeroPadInt(int64_t V, int Width) {
  std::string s = std::to_string(V);
  if (static_cast<int>(s.size()) < Width) s.insert(0, static_cast<size_t>(Width) - s.size(), '0');
  return s;
}

std::string MsToStampS(uint32_t Ms) {
  return ZeroPadInt(Ms / 3600000u % 24u, 2) + ZeroPadInt(Ms / 60000u % 60u, 2) +
         ZeroPadInt(Ms / 1000u % 60u, 2) + "." + ZeroPadInt(Ms % 1000u, 3);
}

uint32_t SayerMsClock() { return platform::MsCounter() + SayerClockOffset; }

std::string NowMsStampS() { return MsToStampS(SayerMsClock()); }

void SayerClockInit() {
  uint32_t t = platform::MsCounter();
  double now = NowDateTime();
  double frac = now - static_cast<double>(static_cast<int64_t>(now));
  uint32_t d = static_cast<uint32_t>(frac * 86400000.0);
  if (d >= 86400000u) d = 86400000u - 1;
  SayerClockOffset = MsClockOffsetFor(t, d);
}
