// String unit state and its two reporting channels.
#include "foundation/cvStr.h"

#include "foundation/cvLit.h"
#include "platform/MsgBox.h"

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

void StrErrBoxPos(const std::string& Text, int32_t Position) {
  platform::ShowMsgBox(Text + " позиция ошибки = "_cp + IntStr(Position),
                       "Ошибка обработки строк!"_cp, platform::MsgButtons::Ok);
}

void CvStrBox(const std::string& Text) {
  platform::ShowMsgBox(Text, "cvStr Предупреждение или напоминание"_cp, platform::MsgButtons::Ok);
}

TCharSet MakeCharSet(std::string_view Chars) {
  TCharSet s;
  for (char c : Chars) s.set(static_cast<unsigned char>(c));
  return s;
}
