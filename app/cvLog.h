// The value of an information-panel field and the history of its values.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class TTextFile;

// One value: 4 inline bytes S (the value itself when it fits), or a separate copy (a text for
// types S and N with a data length of 0 or over 4, a block of bytes for other types over 4),
// and the time it was set (milliseconds since midnight; 0 = no value yet).
struct TLogRec {
  uint32_t S = 0;
  uint32_t T = 0;
  std::string Text;            // separate text copy
  std::vector<uint8_t> Block;  // separate block copy
  // Bytes the record takes: 8 plus its separate copy.
  size_t Bytes() const { return 8 + Text.size() + Block.size(); }
};

class TCustomLog {
 public:
  TCustomLog(char Kind, int32_t DataLen);
  virtual ~TCustomLog() = default;

  // The history never holds more than this many values, whatever the field's limits say.
  static constexpr int32_t MaxHistory = 10000;

  TLogRec Cur;  // the current value (S, T and its separate copy)
  int32_t DataLen = 0;
  char Kind = 'S';
  std::deque<TLogRec> History;  // earlier values, oldest first

  // Bounds of the history: at most MaxCount values (0: MaxHistory), at most MaxBytes bytes
  // (0: no byte bound), none older than MaxAgeSec seconds (0: no age bound).
  int32_t MaxCount = 0;
  int32_t MaxBytes = 0;
  int32_t MaxAgeSec = 0;
  void SetBounds(int32_t LM, int32_t LV, int32_t LT);

  uint32_t S() const { return Cur.S; }
  uint32_t T() const { return Cur.T; }
  bool HasValue() const { return Cur.T != 0; }
  int32_t Count() const { return static_cast<int32_t>(History.size()); }
  // The stored text of types S and N (inline bytes without zeros, or the separate copy).
  std::string StoredText() const;

 protected:
  // Appends the current value to the history and applies the bounds (Now = the new time).
  void PushHistory(uint32_t Now);
  size_t HistoryBytes_ = 0;
};

class TInfLog : public TCustomLog {
 public:
  // Opens the log file when LogName is not empty (appending to an existing file).
  TInfLog(uint16_t Code, bool QLog, char Kind, int32_t DataLen, const std::string& LogName,
          bool FlushEach);
  ~TInfLog() override;
  TInfLog(const TInfLog&) = delete;
  TInfLog& operator=(const TInfLog&) = delete;

  uint16_t Code = 0;
  bool Keep = false;
  std::unique_ptr<TTextFile> LogFile;
  bool LogOpen = false;
  bool FlushEach = false;
  std::string LogName;
  bool Drawn = false;

  // A new value: an integer (its low DataLen bytes) or a text.
  void SetValue(int32_t Value);
  void SetValue(const std::string& Text);

 private:
  void OpenLog(const std::string& Name);
  void CloseLog();
  void Commit(const TLogRec& New, const std::string& TextForFile, bool IsText);
};

// Formats with the class library's Format directives ("%" [index ":"] ["-"] [width]
// ["." precision] letter, letters d u x s c e f g n m p, "*" widths from the arguments) over
// integer and text arguments. False when a directive does not fit its argument or the
// arguments run out.
struct TFmtArg {
  bool IsText = false;
  int64_t I = 0;
  std::string S;
};
bool FormatArgs(const std::string& Template, const std::vector<TFmtArg>& Args, std::string& Out);
