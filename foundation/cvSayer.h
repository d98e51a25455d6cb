// The message and trace sink: warnings, log lines, channel-filtered trace lines and the fatal path.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

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

  std::FILE* LogFile = nullptr;
  int32_t Serial = 0;
  TSayHook Hook;
  std::string LastText;
  std::string LastCaption;
  std::string LogName;
  bool qActive = false;
  bool qBoxes = false;
  bool qLog = false;
  bool qHook = false;
  bool qWarn = false;
  bool qCaption = false;
  bool qPrefix = false;
  bool qFlushEach = false;
  std::string ChanPending;
  bool qChanNum = false;
};

// The one sink. Tests may reset it with ResetSayerForTests().
extern TSayer* Sayer;
extern std::string WarnLastText;
extern bool WarnRepeatOn;
extern int32_t TraceMask;

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
