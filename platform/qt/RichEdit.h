// The rich edit: a text control whose characters carry their own font, size, style, colour and
// vertical position. Texts are code page 1251; selections count characters from 0. The selection
// routines format the selected characters, or, with nothing selected, what is typed next.
#pragma once
#include <QTextEdit>
#include <cstdint>
#include <string>

#include "platform/qt/FormControls.h"

namespace platform {

// The character format of a selection (its first character's).
struct TRichCharFormat {
  std::string Name;       // font family
  int32_t Size = 0;       // points
  int32_t Weight = 400;   // 100..900
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int32_t VAlign = 0;     // 0 normal, 1 subscript, 2 superscript
  uint32_t Color = 0;     // 0x00BBGGRR
  uint32_t BackColor = 0xFFFFFF;
  std::string Alignment;  // of the paragraph: "left", "right", "center", "justify"
};

class TRichEdit : public TFormCtl<QTextEdit> {
 public:
  explicit TRichEdit(QWidget* Parent = nullptr);
  // The plain text.
  std::string Text() const;
  void SetText(const std::string& T);
  void SetWordWrap(bool W);
  int32_t SelStart() const;
  int32_t SelLength() const;
  void SetSel(int32_t Start, int32_t Length);
  std::string SelText() const;

  TRichCharFormat SelFormat() const;
  // The control's own font (what "Symbol" toggles back to).
  std::string OwnFontName() const;
  void SetSelFontName(const std::string& Name);
  void SetSelSize(int32_t Points);
  void SetSelBold(bool On);
  void SetSelItalic(bool On);
  void SetSelUnderline(bool On);
  // 0 normal, 1 subscript, 2 superscript (one excludes the other).
  void SetSelVAlign(int32_t V);
  void SetSelColor(uint32_t Color);
};

}  // namespace platform
