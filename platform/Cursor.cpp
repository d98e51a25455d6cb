#include "platform/Cursor.h"

#include <utility>

namespace platform {

namespace {
TCursor g_current = crDefault;

CursorService& Service() {
  static CursorService s;
  return s;
}
}  // namespace

TCursor CurrentCursor() { return g_current; }

void SetCursor(TCursor cursor) {
  g_current = cursor;
  if (Service()) Service()(cursor);
}

CursorService SetCursorService(CursorService service) {
  CursorService old = std::move(Service());
  Service() = std::move(service);
  return old;
}

}  // namespace platform
