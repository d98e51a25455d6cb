// The information panel: a one-line strip of typed fields drawn like a terminal along the bottom
// of the main window. Fields are addressed by two-character codes ("UM"; as a 16-bit number the
// low byte is the first character: "UM" is 19797). The fields, fonts, colours and groups come
// from the description file "INI\inf.ini".
//
// Setting a value never draws: the periodic UpdateChanged redraws what changed, DrawAll draws
// everything at once.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/cvLog.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "platform/Canvas.h"
#include "platform/Controls.h"

class TInf;
class TInfField;
class TRunLines;
class TTxCaret;

// Handler of a field: the command run when the field is clicked, or the routine run when an
// in-place edit of the field ends.
using TInfFieldProc = std::function<void(TInfField* Field)>;
// Called with its data after every copy of the panel's bitmap to the window.
using TInfDrawnProc = std::function<void(void* Data)>;

// "UM" -> 19797 and back.
uint16_t InfCode(const std::string& Code);
std::string InfCodeStr(uint16_t Code);

struct TInfGroup {
  std::string Name;
  bool Shown = true;
};

class TInfField {
 public:
  explicit TInfField(TInf* Owner);
  ~TInfField();
  TInfField(const TInfField&) = delete;
  TInfField& operator=(const TInfField&) = delete;

  std::string Code;  // two characters
  char CD = 'S';     // N, L, I, i, B, b, F or S
  bool Editable = false;
  uint8_t Priority = 0;
  bool QLog = false;
  int32_t Aux = 0;
  int32_t DataLen = 0;
  int32_t VarCount = 0;
  std::string FmtTpl;
  int32_t LM = 0, LV = 0, LT = 0;
  int32_t CaretCol = 0;
  int32_t FirstCol = 0;
  bool EditActive = false;
  std::string SavedText;
  std::unique_ptr<platform::TBitmap> Glyph;  // a strip of NumGlyph equal frames, or none
  int32_t NumGlyph = 0;
  int32_t iChecked = 0;
  int32_t GroupIndex = 0;
  TInf* Owner = nullptr;
  int32_t X = 0, Y = 0, Width = 0, Height = 0;
  int32_t iFont = 0;
  uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre
  uint8_t Layout = 0;     // 0 top, 1 centre, 2 bottom
  uint32_t Color = 0;
  uint32_t ColorAlt = 0;
  std::string Hint;
  bool Enabled = true, Visible = true, Autosize = false;
  TInfFieldProc OnCmd;
  TInfFieldProc OnEdit;
  std::unique_ptr<TInfLog> Log;
  std::string EditText;
  // The field was given room at the last full drawing (X, Y, Width and Height are its place).
  bool Placed = false;

  uint16_t CodeWord() const { return InfCode(Code); }
  // The 32-bit value of an editable field of type I or L; 0 while it has no value. Fatal for
  // other fields.
  int32_t GetInt() const;
  // The text the field shows (for an editable field without a value the label is put in front
  // of EditText and kept there).
  std::string DisplayText();
  // The value formatted with the template ("ERROR" when it cannot be, with a warning).
  std::string FormattedValue() const;
  // The template's part before the first "%".
  std::string Label() const;

  // In-place editing.
  void BeginEdit();
  void EndEdit();
  // Sets the caret column (while the field is being edited) and shows the caret there.
  void SetCaret(int32_t Column);
  // The rectangle of character Index (from 1) of EditText + " " on the panel's bitmap.
  TRect CharFrame(int32_t Index);
};

class TInf {
 public:
  TInf(TInfDrawnProc OnDrawn, void* OnDrawnData);
  ~TInf();
  TInf(const TInf&) = delete;
  TInf& operator=(const TInf&) = delete;

  // Creates the panel over the form in Slot (freeing the panel Slot held) and loads FileName.
  static void Init(TInf*& Slot, platform::TControl* Form, const std::string& FontName,
                   TInfDrawnProc OnDrawn, void* OnDrawnData, int32_t FontSize, int32_t Margin,
                   const std::string& FileName);

  // ---- state ----
  std::string FileName;
  std::vector<uint32_t> Colors;
  std::vector<platform::TFont> Fonts;  // 0: the base font
  std::vector<TInfGroup> Groups;
  std::unique_ptr<TTunes> GroupTunes;
  std::vector<std::unique_ptr<TInfField>> Fields;  // file order
  std::vector<TInfField*> EnabledFields;
  std::vector<TInfField*> VisibleFields;
  std::vector<TInfField*> LoggedFields;
  std::unique_ptr<platform::TBitmap> Bitmap;
  platform::TCanvas* Canvas = nullptr;      // the window's canvas
  platform::TControl* Handle = nullptr;     // the window
  std::unique_ptr<TRunLines> Frame;
  std::unique_ptr<TTxCaret> Caret;
  TInfField* EditField = nullptr;
  uint32_t ColorBack = 0;
  int32_t Left = 0, Top = 0;
  int32_t Margin = 0;
  TInfDrawnProc OnDrawn;
  void* OnDrawnData = nullptr;
  bool Editing = false;
  bool Dirty = false;
  bool MouseUpInside = false;
  int32_t Selected = -1;
  int32_t DrawnWidth = 0;
  std::string HoverCode = "  ";
  // Called when the panel is freed (the window that shows it lets go of it).
  std::function<void()> OnFreed;

  // ---- description file ----
  void Load(const std::string& FileName);
  void LoadMain(const std::string& FileName);
  void LoadFonts(const std::string& FileName);
  void LoadColors(const std::string& FileName);
  void LoadGroups(const std::string& FileName);

  // ---- fields and values ----
  TInfField* FindFld(const std::string& Code) const;
  TInfField* FindFld(uint16_t Code) const { return FindFld(InfCodeStr(Code)); }
  int32_t IndexOf(const TInfField* Field) const;
  void Log(const std::string& Code, int32_t Value) { LogInt(Code, Value); }
  void Log(const std::string& Code, const std::string& Value) { LogStr(Code, Value); }
  void LogInt(const std::string& Code, int32_t Value);
  void LogStr(const std::string& Code, const std::string& Value);
  void LogInt(uint16_t Code, int32_t Value) { LogInt(InfCodeStr(Code), Value); }
  void LogStr(uint16_t Code, const std::string& Value) { LogStr(InfCodeStr(Code), Value); }
  void CheckFld(const std::string& Code, bool Flag);
  void BindCmd(const std::string& Code, TInfFieldProc Method);
  void BindEdit(const std::string& Code, TInfFieldProc Method);
  std::unique_ptr<TStringList> FieldList() const;

  // ---- groups ----
  void RebuildVisible();
  TInfGroup* FindGroup(const std::string& Name);
  // Replaces the items behind the item named Divider by one checkable item per group.
  void FillGroupMenu(platform::TMenu* Menu, const std::string& Divider,
                     platform::TMenu::ClickProc OnClick);
  void SaveGroups();

  // ---- drawing ----
  void SortVisible();
  void DrawAll();
  void UpdateChanged();
  void RedrawIfDirty();
  void Blit();
  TRect PanelRect() const;
  TRect FieldRect(const TInfField* Field) const;
  TInfField* FieldAt(int32_t X, int32_t Y) const;

  // ---- mouse, selection, editing ----
  void Hover(platform::TControl* Form, bool& OverField);
  void MouseDown(platform::TControl* Form, platform::TMouseButton Button, int32_t X, int32_t Y,
                 bool& Inside);
  bool MouseUp(int32_t X, int32_t Y);
  void Resize(platform::TControl* Form);
  void SelectField(TInfField* Field);
  void SelectIndex(int32_t Index);
  void Reframe(int32_t Index);
  // Forgets the window (before the window goes): drawing then stays on the panel's bitmap.
  void DetachWindow();
  void FrameStep();
  void ClearFrame();
  void EditOn();
  void EditOff();
  // Below 256 a character (code page 1251); 293 caret left, 295 caret right.
  void KeyCmd(int32_t Code);
  static constexpr int32_t KeyLeft = 256 + 37;
  static constexpr int32_t KeyRight = 256 + 39;

 private:
  // The field a Log call writes, or nullptr after the warning that lists the fields.
  TInfField* LogTarget(const std::string& Code);
  void SetValueOf(TInfField* F, bool IsText, int32_t Int, const std::string& Text,
                  const std::string& Code);
  void DrawTextField(TInfField* F, int32_t& X, bool Full);
  void Ensure(TInfField* F);
};

// Draws the program's glyph strip of that name (BMP06, COLCOPY, EDIT, ...; any letter case);
// nullptr for an unknown name.
std::unique_ptr<platform::TBitmap> InfGlyphBitmap(const std::string& Name);
