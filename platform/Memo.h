// The multi-line text control (memo) as a platform service. Texts are code page 1251; lines
// count from 0 and columns count characters from the start of a line, 0 being before the first
// character. The Qt implementation is platform/qt/QtMemo.h; MemoryMemo keeps everything in memory
// for headless runs and tests.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Virtual-key codes, in the program's numbering of keys.
namespace vk {
constexpr uint16_t Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                   Pause = 19, Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34,
                   End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45,
                   Delete = 46, F1 = 112, F2 = 113, F6 = 117, F8 = 119, F12 = 123, NumLock = 144,
                   Scroll = 145;
// Letters 'A'..'Z' and digits '0'..'9' are their own codes; numeric keypad 0..9 are 96..105,
// then * 106, + 107, - 109, . 110, / 111; punctuation keys 186..192 and 219..222.
}  // namespace vk

// Receives what the user does to a memo. Key codes are virtual-key codes (vk above).
class MemoHandler {
 public:
  virtual ~MemoHandler() = default;
  // A key went down while the memo has the focus. True when the key is consumed: the memo then
  // does not act on it itself.
  virtual bool MemoKeyDown(uint16_t Key, bool Shift, bool Ctrl, bool Alt) = 0;
  // A key went up (after the memo has acted on it).
  virtual void MemoKeyUp(uint16_t Key, bool Shift, bool Ctrl, bool Alt) {
    (void)Key, (void)Shift, (void)Ctrl, (void)Alt;
  }
  // A mouse button went down on the memo and the caret has moved to the click.
  virtual void MemoClick() {}
  // A left double click (after the memo has moved the caret). True when consumed.
  virtual bool MemoDoubleClick() { return false; }
  // The mouse wheel turned over the memo: Delta in eighths of a degree, 120 per notch, positive
  // away from the user. True when consumed (the memo then does not scroll).
  virtual bool MemoWheel(int Delta) {
    (void)Delta;
    return false;
  }
};

class Memo {
 public:
  virtual ~Memo() = default;

  // ---- lines ----
  virtual int LineCount() const = 0;
  // Line Index; empty outside 0..LineCount() - 1.
  virtual std::string Line(int Index) const = 0;
  // Line Index replaced; nothing outside 0..LineCount() - 1.
  virtual void SetLine(int Index, const std::string& Text) = 0;
  // A line inserted before line Index (Index = LineCount() appends; outside 0..LineCount() the
  // line is appended).
  virtual void InsertLine(int Index, const std::string& Text) = 0;
  // Line Index removed; nothing outside 0..LineCount() - 1.
  virtual void DeleteLine(int Index) = 0;
  virtual std::vector<std::string> Lines() const = 0;
  // The whole text replaced; the caret goes to the start.
  virtual void SetLines(const std::vector<std::string>& Lines) = 0;
  void AddLine(const std::string& Text) { InsertLine(LineCount(), Text); }
  void Clear() { SetLines({}); }

  // ---- caret and selection ----
  virtual void CaretPos(int& Line, int& Column) const = 0;
  // An empty selection at Line, Column (both cut to the text).
  virtual void SetCaret(int Line, int Column) = 0;
  virtual bool HasSelection() const = 0;
  virtual std::string SelectedText() const = 0;
  virtual void SelectAll() = 0;
  // Text typed at the caret as the memo itself would (replacing a selection); CR LF or LF in it
  // start new lines. The caret ends behind it.
  virtual void InsertText(const std::string& Text) = 0;

  // ---- view ----
  // The first line shown and the number of lines that fit.
  virtual int TopLine() const = 0;
  virtual void SetTopLine(int Line) = 0;
  virtual int VisibleLineCount() const = 0;
  virtual void ScrollCaretIntoView() = 0;
  // The memo's own visibility flag (not whether it is on screen), and its parent's.
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool On) = 0;
  virtual bool ParentVisible() const = 0;
  virtual std::string Name() const = 0;
  virtual std::string ParentName() const = 0;
  // Changes between BeginUpdate and EndUpdate are not shown one by one (the memo is "hidden
  // while it changes"); calls nest.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual bool ReadOnly() const = 0;
  virtual void SetReadOnly(bool On) = 0;
  // Background colour, 0x00BBGGRR.
  virtual uint32_t Color() const = 0;
  virtual void SetColor(uint32_t Color) = 0;
  // Font name, character set (204 Russian, 255 OEM) and height in pixels as the program names
  // them; an implementation may show another face when the named one is missing.
  virtual std::string FontName() const = 0;
  virtual int FontCharset() const = 0;
  virtual int FontHeight() const = 0;
  virtual void SetFont(const std::string& Name, int Charset, int Height) = 0;

  // ---- focus, events, deferred calls ----
  virtual bool Focused() const = 0;
  virtual void SetFocus() = 0;
  // The handler is not owned; nullptr removes it.
  virtual void SetHandler(MemoHandler* Handler) = 0;
  // Runs Fn later, after the current event has been handled (the program's posted message).
  virtual void Post(std::function<void()> Fn) = 0;
};

// The memo in memory. Posted calls wait until RunPosted().
class MemoryMemo : public Memo {
 public:
  explicit MemoryMemo(std::string Name = "MemoEd", std::string ParentName = "TabEd");

  int LineCount() const override { return static_cast<int>(lines_.size()); }
  std::string Line(int Index) const override;
  void SetLine(int Index, const std::string& Text) override;
  void InsertLine(int Index, const std::string& Text) override;
  void DeleteLine(int Index) override;
  std::vector<std::string> Lines() const override { return lines_; }
  void SetLines(const std::vector<std::string>& Lines) override;

  void CaretPos(int& Line, int& Column) const override;
  void SetCaret(int Line, int Column) override;
  bool HasSelection() const override { return selAll_; }
  std::string SelectedText() const override;
  void SelectAll() override { selAll_ = !lines_.empty(); }
  void InsertText(const std::string& Text) override;

  int TopLine() const override { return top_; }
  void SetTopLine(int Line) override;
  int VisibleLineCount() const override { return visibleLines_; }
  void ScrollCaretIntoView() override;
  bool Visible() const override { return visible_; }
  void SetVisible(bool On) override { visible_ = On; }
  bool ParentVisible() const override { return parentVisible_; }
  void SetParentVisible(bool On) { parentVisible_ = On; }
  std::string Name() const override { return name_; }
  std::string ParentName() const override { return parentName_; }
  void BeginUpdate() override { ++updates_; }
  void EndUpdate() override;
  int UpdateDepth() const { return updates_; }
  bool ReadOnly() const override { return readOnly_; }
  void SetReadOnly(bool On) override { readOnly_ = On; }
  uint32_t Color() const override { return color_; }
  void SetColor(uint32_t Color) override { color_ = Color; }
  std::string FontName() const override { return fontName_; }
  int FontCharset() const override { return fontCharset_; }
  int FontHeight() const override { return fontHeight_; }
  void SetFont(const std::string& Name, int Charset, int Height) override;

  bool Focused() const override { return focused_; }
  void SetFocus() override { focused_ = true; }
  void SetFocused(bool On) { focused_ = On; }
  void SetHandler(MemoHandler* Handler) override { handler_ = Handler; }
  MemoHandler* Handler() const { return handler_; }
  void Post(std::function<void()> Fn) override { posted_.push_back(std::move(Fn)); }
  // Runs the posted calls (and those they post) in order; returns how many ran.
  int RunPosted();

 private:
  void CutCaret();

  std::vector<std::string> lines_;
  int line_ = 0, col_ = 0, top_ = 0;
  int visibleLines_ = 40;
  bool selAll_ = false;
  bool visible_ = true, parentVisible_ = true, readOnly_ = false, focused_ = false;
  int updates_ = 0;
  uint32_t color_ = 0xFFFFFF;
  std::string fontName_ = "Courier";
  int fontCharset_ = 204, fontHeight_ = 20;
  std::string name_, parentName_;
  MemoHandler* handler_ = nullptr;
  std::deque<std::function<void()>> posted_;
};

}  // namespace platform
