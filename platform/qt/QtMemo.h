// The memo service over a QPlainTextEdit: UTF-8 in the widget, code page 1251 outside. Keys,
// clicks, double clicks and the wheel are offered to the memo's handler first, with keys given
// as virtual-key codes (platform::vk) whatever the system's keyboard layout is.
#pragma once
#include <QPlainTextEdit>
#include <cstdint>

#include "platform/Memo.h"

class QKeyEvent;

namespace platform {

class QtMemo : public QPlainTextEdit, public Memo {
  Q_OBJECT

 public:
  explicit QtMemo(QWidget* Parent = nullptr);

  int LineCount() const override;
  std::string Line(int Index) const override;
  void SetLine(int Index, const std::string& Text) override;
  void InsertLine(int Index, const std::string& Text) override;
  void DeleteLine(int Index) override;
  std::vector<std::string> Lines() const override;
  void SetLines(const std::vector<std::string>& Lines) override;

  void CaretPos(int& Line, int& Column) const override;
  void SetCaret(int Line, int Column) override;
  bool HasSelection() const override;
  std::string SelectedText() const override;
  void SelectAll() override;
  void InsertText(const std::string& Text) override;

  int TopLine() const override;
  void SetTopLine(int Line) override;
  int VisibleLineCount() const override;
  void ScrollCaretIntoView() override;
  bool Visible() const override;
  void SetVisible(bool On) override;
  bool ParentVisible() const override;
  std::string Name() const override;
  std::string ParentName() const override;
  void BeginUpdate() override;
  void EndUpdate() override;
  bool ReadOnly() const override;
  void SetReadOnly(bool On) override;
  uint32_t Color() const override;
  void SetColor(uint32_t Color) override;
  std::string FontName() const override { return fontName_; }
  int FontCharset() const override { return fontCharset_; }
  int FontHeight() const override { return fontHeight_; }
  void SetFont(const std::string& Name, int Charset, int Height) override;

  bool Focused() const override;
  void SetFocus() override;
  void SetHandler(MemoHandler* Handler) override { handler_ = Handler; }
  void Post(std::function<void()> Fn) override;

 protected:
  void keyPressEvent(QKeyEvent* E) override;
  void keyReleaseEvent(QKeyEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseDoubleClickEvent(QMouseEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;

 private:
  void KeepCaret(int Line, int Column);

  MemoHandler* handler_ = nullptr;
  bool oneEmptyLine_ = false;  // an empty document holding one empty line (not none)
  int updates_ = 0;
  std::string fontName_ = "Courier";
  int fontCharset_ = 204;
  int fontHeight_ = 20;
};

// The virtual-key code of a key event: letters, digits, punctuation and the Russian letters
// give the code of their key on the standard keyboard; 0 for keys without one.
uint16_t VirtualKeyOf(const QKeyEvent* E);

}  // namespace platform
