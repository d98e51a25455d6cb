// The screen cursor as a replaceable service. Cursor values are the platform's 16-bit cursor
// numbers (crDefault, crHourGlass, ...). Without an installed service the value is only kept in
// memory (headless runs and tests); the program installs the Qt service (platform/qt/QtCursor.h).
#pragma once
#include <cstdint>
#include <functional>

namespace platform {

using TCursor = int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The current screen cursor.
TCursor CurrentCursor();
// Sets the screen cursor.
void SetCursor(TCursor cursor);

// A service applies a cursor to the screen; CurrentCursor keeps reporting the value set last.
// An empty function restores the in-memory default. Returns the previous service.
using CursorService = std::function<void(TCursor)>;
CursorService SetCursorService(CursorService service);

}  // namespace platform
