// Routines over controls: the window under the mouse, memo caret and lines, combo-box items and
// tab sheets by text, components by name, numbers in edit fields, and copying controls.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvStrList.h"
#include "platform/Controls.h"
#include "platform/Memo.h"

using platform::TControl;

// ---- the window under the mouse ----
// False when the cursor stands where it stood at the last call; else records the position and
// the control under it and gives true.
bool CursorMoved();
// True exactly when the control under the cursor differs from the one reported at the previous
// true result.
bool HoverWindowChanged();
// The control recorded by the last CursorMoved that saw a move.
TControl* HoverWindow();
// Forgets the recorded position and controls (tests).
void ResetHoverState();

// ---- memos ----
// Caret line and column, both 0-based, each taken as a 16-bit value.
void MemoCaretPos(const platform::Memo* Memo, int32_t& Line, int32_t& Column);
// Empty selection before character Column of line Line (both 1-based).
void MemoSetCaret(platform::Memo* Memo, int32_t Line, int32_t Column);
// Caret to line L, column C (1-based, L cut to the line count), scrolled into view, focused;
// warns and does nothing when the memo or its parent is hidden.
void MemoGotoLine(platform::Memo* Memo, int32_t L, int32_t C);
// Memo lines Row1..Row2 (0-based) replaced by the list's lines From, From + 1, ...
void MemoChangeLines(platform::Memo* Memo, const TStringList* Source, int32_t Row1, int32_t Row2,
                     int32_t From);

// ---- combo boxes, tab sheets, components ----
void ComboSelectItem(TControl* Combo, const std::string& Text, bool Exact);
void ShowPageByName(TControl* PageControl, const std::string& Name);
TControl* FormComponentByName(const TControl* Form, const std::string& Name);

// ---- numbers in edit fields ----
double EdGetReal(const TControl* Control, double Default);
int32_t EdGetInt(const TControl* Control, int32_t Default);
int32_t EdGetIntByName(const std::string& Name, const TControl* Form, int32_t Default);
void EdAcceptVal(TControl* Control, int32_t& Value);
void EdSetInt(TControl* Control, int32_t Value);

// ---- copying controls ----
// The component's published properties as text: "object Name: ClassName", one
// "  Property = Value" line each (values quoted, control characters as #N between quoted runs),
// "end".
std::string ComponentToText(const TControl* Component);
// Reads such a text into the component (its properties set one by one).
void ComponentFromText(TControl* Component, const std::string& Text);
void CopyControlPlace(const TControl* Source, TControl* Target, const std::string& Name);
// Target takes every published property of the source and the given name. For a combo box a
// new combo box owned by the source's owner is made instead and returned; otherwise Target is
// returned.
TControl* CloneControl(TControl* Source, TControl* Target, const std::string& Name);
