// Queued messages as the program numbers them: the message record that the application's message
// hook works on, the message numbers, the key-state bits of mouse messages and the virtual-key
// codes. The window layer translates its own events into these records.
#pragma once
#include <cstdint>

#include "platform/Canvas.h"

namespace platform {
class TControl;
}

// One queued message: the window it is for, the message number, its two parameters, the time
// it was queued (milliseconds) and the cursor's screen position at that time.
struct TMsg {
  platform::TControl* Wnd = nullptr;
  uint32_t Message = 0;
  uint32_t WParam = 0;
  uint32_t LParam = 0;
  uint32_t Time = 0;
  TPoint Pt{};
};

// ---- message numbers ----
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_INPUTLANGCHANGEREQUEST = 0x0050;
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_SYSTIMER = 0x0118;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_DEVICECHANGE = 0x0219;
constexpr uint32_t WM_NCMOUSELEAVE = 0x02A2;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
// The program's private message: the low byte of WParam says what LParam carries.
constexpr uint32_t WM_CV_COMMAND = 0x0900;  // 2304
constexpr uint32_t CVCMD_EDITOR_KEY = 4;    // an editor key code for TcvEd::KeyCmd
constexpr uint32_t CVCMD_PANEL_KEY = 5;     // a panel key code for TInf::KeyCmd
// Registered message numbers start here.
constexpr uint32_t WM_REGISTERED_FIRST = 0xC100;  // 49408

// ---- the key state in WParam of mouse messages ----
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;
// One notch of the mouse wheel (the signed high word of WParam).
constexpr int32_t WHEEL_DELTA = 120;

// ---- virtual-key codes ----
constexpr uint16_t VK_LBUTTON = 0x01;
constexpr uint16_t VK_RBUTTON = 0x02;
constexpr uint16_t VK_MBUTTON = 0x04;
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;  // Alt
constexpr uint16_t VK_PAUSE = 0x13;
constexpr uint16_t VK_CAPITAL = 0x14;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;  // PageUp
constexpr uint16_t VK_NEXT = 0x22;   // PageDown
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their own codes.
constexpr uint16_t VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD9 = 0x69
constexpr uint16_t VK_MULTIPLY = 0x6A;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SEPARATOR = 0x6C;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_DECIMAL = 0x6E;
constexpr uint16_t VK_DIVIDE = 0x6F;
constexpr uint16_t VK_F1 = 0x70;  // .. VK_F24 = 0x87
constexpr uint16_t VK_F2 = 0x71;
constexpr uint16_t VK_F6 = 0x75;
constexpr uint16_t VK_F8 = 0x77;
constexpr uint16_t VK_F10 = 0x79;
constexpr uint16_t VK_F12 = 0x7B;
constexpr uint16_t VK_NUMLOCK = 0x90;
constexpr uint16_t VK_SCROLL = 0x91;
constexpr uint16_t VK_OEM_1 = 0xBA;       // ; :
constexpr uint16_t VK_OEM_PLUS = 0xBB;    // = +
constexpr uint16_t VK_OEM_COMMA = 0xBC;   // , <
constexpr uint16_t VK_OEM_MINUS = 0xBD;   // - _
constexpr uint16_t VK_OEM_PERIOD = 0xBE;  // . >
constexpr uint16_t VK_OEM_2 = 0xBF;       // / ?
constexpr uint16_t VK_OEM_3 = 0xC0;       // ` ~
constexpr uint16_t VK_OEM_4 = 0xDB;       // [ {
constexpr uint16_t VK_OEM_5 = 0xDC;       // \ |
constexpr uint16_t VK_OEM_6 = 0xDD;       // ] }
constexpr uint16_t VK_OEM_7 = 0xDE;       // ' "

// Parts of a key message's LParam: the repeat count (bits 0-15), the scan code (16-23), the
// extended-key flag (24), the previous key state (30) and the transition state (31).
constexpr uint32_t KEY_EXTENDED = 0x01000000;
constexpr uint32_t KEY_WAS_DOWN = 0x40000000;
constexpr uint32_t KEY_RELEASED = 0x80000000;
