// String unit state and its two reporting channels.
#include "foundation/cvStr.h"

#include "foundation/cvLit.h"
#include "foundation/cvWarnBox.h"

namespace {
TCharSet DefaultSepChars() {
  TCharSet s;
  s.set(static_cast<unsigned char>('|'));
  return s;
}
}  // namespace

TStrErrHandler StrErrHandler = StrErrBoxPos;
TCharSet SepChars = DefaultSepChars();

void StrErr(const std::string& Text, int32_t Position) {
  // An empty handler (also before the unit's globals are constructed) falls back to the box.
  if (StrErrHandler)
    StrErrHandler(Text, Position);
  else
    StrErrBoxPos(Text, Position);
}

// Boxes, or inside a job warnings to its report (WarnBox).
void StrErrBoxPos(const std::string& Text, int32_t Position) {
  WarnBox(Text + " позиция ошибки = "_cp + IntStr(Position), "Ошибка обработки строк!"_cp);
}

void CvStrBox(const std::string& Text) {
  WarnBox(Text, "cvStr Предупреждение или напоминание"_cp);
}

TCharSet MakeCharSet(std::string_view Chars) {
  TCharSet s;
  for (char c : Chars) s.set(static_cast<unsigned char>(c));
  return s;
}
