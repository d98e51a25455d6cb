// The application's message hook: every queued message (keys, mouse, the program's private
// command message) passes AppMessage before it is dispatched. It turns keys into commands of the
// editor and of the information panel, types into the editor in the program's own keyboard
// layouts, switches the layout (Ctrl pressed and released alone), hands keys and mouse to the
// input the active tab registered (the GIF tab's picture, the Unno grid's pages ...), turns the
// wheel over the memos, notes the time of the last input and logs the messages it does not know.
// Also the keyboard routines: the key state, the characters of keys and scan codes, the key codes
// posted as commands.
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/cvMsg.h"
#include "app/cvWinLink.h"
#include "foundation/cvStrList.h"

// The hook. Handled is written only where the message's handling says so; elsewhere it stays as
// the caller passed it. True means the message must not be dispatched.
void AppMessage(TMsg& Msg, bool& Handled);
// "mes=.. W=.. wp=.. lp=.. tm=.. X=.. Y=.." (hexadecimal but for the time and the point) handed
// to the message sink's callback only.
void LogMessage(const TMsg& Msg);
std::string MessageText(const TMsg& Msg);

// ---- what the window layer records for the hook ----
// Modifier keys and mouse buttons held down, and the Insert key's toggle state. The lock keys
// live in platform/SysInfo.h (LockKeyOn).
struct THookKeyState {
  bool Shift = false, Ctrl = false, Alt = false;
  bool Insert = false;
  bool LButton = false, RButton = false, MButton = false;
};
THookKeyState& HookKeyState();

// The editor's memo hands its own keys, clicks and wheel turns to the editor (the editor is its
// platform::MemoHandler): the hook then leaves the steps that the editor's handler repeats (panel
// editing keys, editor keys and typing, the lone-Ctrl switch, double click, right click and wheel
// on "MemoEd") to it while "MemoEd" has the focus. Off by default: the hook does everything.
void SetEditorMemoSelfServed(bool On);
bool EditorMemoSelfServed();

// ---- the tabs' own input ----
// What a tab of the main window does with the input the hook hands it while its sheet is the
// active page (by component name). The hook does its common part first (the activity time, the
// panel's and the editor's keys, Space and Esc). KeyDown gets the plain keys (no Shift, Ctrl or
// Alt) and returns true when the key is done (it is then not dispatched); MouseMove gets the
// mouse moves, LButtonDown the left-button presses.
struct TPageInput {
  std::function<bool(uint16_t Key)> KeyDown;
  std::function<void(const TMsg& Msg)> MouseMove;
  std::function<void(const TMsg& Msg)> LButtonDown;
  bool Empty() const { return !KeyDown && !MouseMove && !LButtonDown; }
};
// Installs the input of a page, in place of one installed before; an empty one removes it.
void RegisterPageInput(const std::string& PageName, TPageInput Input);
void ClearPageInputs();

// The input of tabs that other issues build, as the hook serves it until then; their tabs
// register it. Graf: Esc returns to the Texts tab. CORA: Esc returns to the Texts tab and stops
// the animation timer. GIF: over the picture panel the arrow keys move the picture (every key is
// done there), a move with the left button down drags it, a move with the button up shows the
// cursor's place in "lbMouse" and "lbMouseOnBMP", a press picks the levels and measures (below).
// Unno: in the grid "ngUnno" with the page button "btngUNNOPages" down, Page Up and Page Down
// turn the grid's pages (every key is done there).
TPageInput GrafPageInput();
TPageInput CORAPageInput(TCORATabLink& Tab);
TPageInput GIFPageInput(TGIFTabLink& Tab);
TPageInput UnnoPageInput(TUnnoTabLink& Tab);

// ---- posting the private message ----
// Delivers a posted message later, after the current one (the window layer queues it in its
// event loop). Without a poster posted messages wait in a queue for RunPostedMessages.
using TPostMessageProc = std::function<void(const TMsg& Msg)>;
TPostMessageProc SetPostMessageProc(TPostMessageProc Proc);
void PostAppMessage(platform::TControl* Wnd, uint32_t Message, uint32_t WParam, uint32_t LParam);
// Runs the messages waiting in the queue (not those they post) through AppMessage; their count.
int RunPostedMessages();
size_t PostedMessageCount();
void ClearPostedMessages();

// ---- keyboard routines ----
// Byte 0 'R' for the Russian keyboard layout, else 'E'; byte 1 bits 0 Shift, 1 Alt, 2 Ctrl,
// 3 CapsLock, 4 NumLock, 5 ScrollLock, 6 Insert; byte 2 bits 0, 1, 2 left, right, middle button.
std::array<uint8_t, 3> KbState();
// The character of a key with the modifiers and layout of KbState; 0 when none.
char CharOfKey(uint16_t Key);
// Posts the code of a key as the private message with WParam Kind (4 editor, 5 panel): the
// key's character, else 256 + key (no modifier) or 512 + key (Ctrl alone). Done when posted.
void KeyToCode(platform::TControl* Wnd, uint32_t Kind, uint16_t Key, bool Shift, bool Ctrl,
               bool Alt, bool& Done, int32_t& Code);
using TKeySet = std::bitset<256>;
TKeySet MakeKeySet(std::initializer_list<uint16_t> Keys);
// With one or no modifier: whether the key is in the set for that modifier; false for two or
// more modifiers and for codes above 255.
bool KeyInSet(uint16_t Key, bool Shift, bool Ctrl, bool Alt, const TKeySet& Plain,
              const TKeySet& WithShift, const TKeySet& WithCtrl, const TKeySet& WithAlt);
// The character of a key message's scan code (the high word of LParam: bits 0-7 the scan code,
// bit 8 extended) in layout 'E' or 'R'; the numeric keypad gives its characters with NumLock.
char CharOfScan(uint16_t KeyData, char Layout, bool Shift, bool CapsLock, bool NumLock);
// The scan code of a virtual key on the standard 101-key keyboard (0x100 added for extended
// keys); 0 when unknown.
uint16_t ScanOfVK(uint16_t Key);
// LParam of a key-down (Repeat: the key was down already) or key-up message of a virtual key.
uint32_t KeyLParam(uint16_t Key, bool Up, bool Repeat);

// ---- the GIF tab's measuring texts ----
// The report header written to the editor when the last level has been picked (N: the picture's
// name from "edNmGIF").
std::unique_ptr<TStringList> GIFReportHeader(const std::string& N, const TGIFWork& W);
// One measurement line at picture point (Px, Py); empty when the 20 % and continuum levels
// coincide (nothing can be measured).
std::string GIFMeasureLine(int32_t Px, int32_t Py, int32_t ImageWidth, const TGIFWork& W);
