// The message and trace sink: warnings, log lines, channel-filtered trace lines and the fatal path.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"
#include "platform/Cursor.h"

// The input/output exception of the fatal path; what() is the exact message text (code page 1251).
class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(const std::string& text) : std::runtime_error(text) {}
};

using TSayHook = std::function<void(const std::string& text, const std::string& caption)>;

class TSayer {
 public:
  TSayer();
  ~TSayer();
  TSayer(const TSayer&) = delete;
  TSayer& operator=(const TSayer&) = delete;

  void Say(const std::string& Text, const std::string& Caption);
  void Warn(const std::string& Text);
  void ShowBox();
  void CallHook(const std::string& Text, const std::string& Caption);
  // A job's warning handed to the hook too, when the hook takes messages of jobs (qHookJobs).
  void JobHook(const std::string& Text, const std::string& Caption);
  void WriteLine(const std::string& Text);
  void Flush();
  void ChanAppend(int N, const std::string& Text);
  void ChanLog(int N, const std::string& Text);

  void BoxesOn();
  void BoxesOff();
  void HookOff();
  void SetHook(TSayHook Procedure);
  void WarnOn() { qWarn = true; }
  void WarnOff() { qWarn = false; }
  void PrefixOn() { qPrefix = true; }
  void PrefixOff() { qPrefix = false; }
  void CaptionOn() { qCaption = true; }
  void CaptionOff() { qCaption = false; }
  void FlushEachOn() { qFlushEach = true; }
  void FlushEachOff() { qFlushEach = false; }
  void UpdateActive();

  void OpenLog(const std::string& Name);
  void CloseLog();
  // Next serial (1..99999, then 0) and "#" + 5 digits + " T=" + hhmmss.mmm, without the "| ".
  std::string MakePrefix();

  std::FILE* LogFile = nullptr;
  int32_t Serial = 0;
  TSayHook Hook;
  std::string LastText;
  std::string LastCaption;
  std::string LogName;
  bool qActive = false;
  bool qBoxes = false;
  bool qLog = false;
  // Atomic: jobs' threads test them for every warning without taking the sink's lock.
  std::atomic<bool> qHook{false};
  // The hook may be called on a job's thread (it hands the text to its own thread): the
  // warnings of jobs reach it as well as the job's report.
  std::atomic<bool> qHookJobs{false};
  bool qWarn = false;
  bool qCaption = false;
  bool qPrefix = false;
  bool qFlushEach = false;
  std::string ChanPending;
  bool qChanNum = false;
  // The trace flag: switch 1 of the option file read last.
  std::atomic<bool> qTrace{false};
};

// The one sink. Tests may reset it with ResetSayerForTests().
extern TSayer* Sayer;
// Per thread: the last warning text and the trace mask (a job's thread traces with the job's).
extern thread_local std::string WarnLastText;
extern bool WarnRepeatOn;
extern thread_local int32_t TraceMask;
// Sorted keys seen by WARNOnce; nullptr until its first call.
extern TStringList* WarnOnceKeys;
// Milliseconds added to the platform counter by SayerMsClock; fixed at start.
extern uint32_t SayerClockOffset;

// A stack of saved trace masks.
struct TIntStack {
  static constexpr int32_t Capacity = 200;
  int32_t Slots[Capacity] = {};
  int32_t Count = 0;

  // Saves Value; a push onto a full stack is refused with a warning.
  void push(int32_t Value);
  // The value saved last (0 on an empty stack).
  int32_t pop();
  void Clear();
};
// Per thread, as the trace mask it saves.
extern thread_local TIntStack StackIO;

// A fresh sink with every output off; clears WarnLastText, WarnOnceKeys, StackIO, TraceMask and
// the screen-cursor stack, and sets WarnRepeatOn.
void ResetSayerForTests();

void WARNAbs(const std::string& Text);
void WARNAbsSL(const TStringList* List);
void WARN(const std::string& Text);
void WARNSL(const TStringList* List);
void WARNOnce(const std::string& Key, const std::string& Text);
bool AskYesNo(const std::string& Text);
[[noreturn]] void ErrAbs(const std::string& Text);
void SayHook(const std::string& Text, const std::string& Caption);

// True when trace channel N is on in TraceMask (false outside 0..31).
bool ChanOn(int N);

// Screen cursor stack: PushCursor saves the current cursor and sets the given one; PopCursor
// restores the one saved last (the default cursor when none is saved).
void PushCursor(platform::TCursor Cursor);
void PopCursor();
int CursorStackDepth();

// Bits of integers, bytes and byte arrays.
bool IsBitSet(int32_t Value, int N);  // false for N outside 0..31
bool IsByteBitSet(uint8_t B, int N);  // false for N outside 0..7
bool InRangeInt(int32_t X, int32_t Lo, int32_t Hi);
void SetByteBit(uint8_t& B, int N);    // N outside 0..7 leaves B unchanged
void ClearByteBit(uint8_t& B, int N);
// Bit N mod 8 of byte N div 8; a bit outside the array (or a negative N) changes nothing.
void SetArrBit(std::vector<uint8_t>& Bytes, int64_t N);
void ClearArrBit(std::vector<uint8_t>& Bytes, int64_t N);

// Formatters and the clock of the log-line prefix.
// Hexadecimal text of a little-endian number in the first (NDigits + 1) div 2 bytes of Buffer,
// highest byte first; an odd NDigits drops the first digit.
std::string BufToHex(const void* Buffer, int NDigits);
std::string Int64Str(int64_t V);
// Decimal text of V with "0" added on the left until it is Width characters long.
std::string ZeroPadInt(int64_t V, int Width);
// hhmmss.mmm, hours modulo 24.
std::string MsToStampS(uint32_t Ms);
// Platform counter + SayerClockOffset.
uint32_t SayerMsClock();
std::string NowMsStampS();
void SayerClockInit();
