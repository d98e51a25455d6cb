#include "platform/Memo.h"

#include <algorithm>

namespace platform {

MemoryMemo::MemoryMemo(std::string Name, std::string ParentName)
    : name_(std::move(Name)), parentName_(std::move(ParentName)) {}

std::string MemoryMemo::Line(int Index) const {
  if (Index < 0 || Index >= LineCount()) return {};
  return lines_[static_cast<size_t>(Index)];
}

void MemoryMemo::SetLine(int Index, const std::string& Text) {
  if (Index < 0 || Index >= LineCount()) return;
  lines_[static_cast<size_t>(Index)] = Text;
  CutCaret();
}

void MemoryMemo::InsertLine(int Index, const std::string& Text) {
  if (Index < 0 || Index > LineCount()) Index = LineCount();
  lines_.insert(lines_.begin() + Index, Text);
  if (Index <= line_ && Index < LineCount() - 1) ++line_;
  selAll_ = false;
  CutCaret();
}

void MemoryMemo::DeleteLine(int Index) {
  if (Index < 0 || Index >= LineCount()) return;
  lines_.erase(lines_.begin() + Index);
  if (Index < line_) --line_;
  selAll_ = false;
  CutCaret();
}

void MemoryMemo::SetLines(const std::vector<std::string>& Lines) {
  lines_ = Lines;
  line_ = col_ = top_ = 0;
  selAll_ = false;
}

void MemoryMemo::CaretPos(int& Line, int& Column) const {
  Line = line_;
  Column = col_;
}

void MemoryMemo::CutCaret() {
  line_ = std::clamp(line_, 0, std::max(0, LineCount() - 1));
  col_ = std::clamp(col_, 0, static_cast<int>(Line(line_).size()));
}

void MemoryMemo::SetCaret(int Line, int Column) {
  line_ = Line;
  col_ = Column;
  selAll_ = false;
  CutCaret();
}

std::string MemoryMemo::SelectedText() const {
  if (!selAll_) return {};
  std::string s;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) s += "\r\n";
    s += lines_[i];
  }
  return s;
}

void MemoryMemo::InsertText(const std::string& Text) {
  if (selAll_) {
    lines_.clear();
    line_ = col_ = 0;
    selAll_ = false;
  }
  if (lines_.empty()) lines_.emplace_back();
  std::string& cur = lines_[static_cast<size_t>(line_)];
  const std::string tail = cur.substr(static_cast<size_t>(col_));
  cur.erase(static_cast<size_t>(col_));
  size_t i = 0;
  while (i <= Text.size()) {
    size_t e = Text.find_first_of("\r\n", i);
    if (e == std::string::npos) e = Text.size();
    lines_[static_cast<size_t>(line_)] += Text.substr(i, e - i);
    col_ = static_cast<int>(lines_[static_cast<size_t>(line_)].size());
    if (e == Text.size()) break;
    if (Text[e] == '\r' && e + 1 < Text.size() && Text[e + 1] == '\n') ++e;
    i = e + 1;
    lines_.insert(lines_.begin() + line_ + 1, std::string());
    ++line_;
    col_ = 0;
  }
  lines_[static_cast<size_t>(line_)] += tail;
}

void MemoryMemo::SetTopLine(int Line) { top_ = std::clamp(Line, 0, std::max(0, LineCount() - 1)); }

void MemoryMemo::ScrollCaretIntoView() {
  if (line_ < top_) top_ = line_;
  if (line_ >= top_ + visibleLines_) top_ = line_ - visibleLines_ + 1;
}

void MemoryMemo::EndUpdate() {
  if (updates_ > 0) --updates_;
}

void MemoryMemo::SetFont(const std::string& Name, int Charset, int Height) {
  fontName_ = Name;
  fontCharset_ = Charset;
  fontHeight_ = Height;
}

int MemoryMemo::RunPosted() {
  int n = 0;
  while (!posted_.empty()) {
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    if (fn) fn();
    ++n;
  }
  return n;
}

}  // namespace platform
