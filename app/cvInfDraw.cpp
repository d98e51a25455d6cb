// The panel's drawing, the selection frame, the caret, the mouse and in-place editing.
#include <algorithm>

#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "app/cvRunRect.h"
#include "app/cvTxCaret.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

bool IsTextType(char C) { return C == 'B' || C == 'I' || C == 'L' || C == 'S'; }

// The class library's whole-text integer conversion: leading blanks, a sign, decimal digits or
// "$" and hexadecimal digits, nothing after them, within 32 bits.
bool StrToInt32(const std::string& S, int32_t& V) {
  size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  bool Neg = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) Neg = S[i++] == '-';
  int Base = 10;
  if (i < S.size() && S[i] == '$') {
    Base = 16;
    ++i;
  }
  if (i >= S.size()) return false;
  int64_t R = 0;
  for (; i < S.size(); ++i) {
    const char C = static_cast<char>(std::toupper(static_cast<unsigned char>(S[i])));
    int D;
    if (C >= '0' && C <= '9')
      D = C - '0';
    else if (Base == 16 && C >= 'A' && C <= 'F')
      D = C - 'A' + 10;
    else
      return false;
    R = R * Base + D;
    if (R > (Base == 16 ? 0xFFFFFFFFLL : 2147483648LL)) return false;
  }
  if (Base == 16) {
    V = static_cast<int32_t>(static_cast<uint32_t>(R));
    if (Neg) V = -V;
    return true;
  }
  R = Neg ? -R : R;
  if (R > 2147483647LL) return false;
  V = static_cast<int32_t>(R);
  return true;
}

}  // namespace

// ---- the panel's own bookkeeping fields ("IF", "I1"): set only where the file has them ----

void TInf::Ensure(TInfField* F) {
  if (F && !F->Log) F->Log = std::make_unique<TInfLog>(F->CodeWord(), false, F->CD, F->DataLen, "", false);
}

static void QuietSet(TInf& Inf, const std::string& Code, const std::string& Text) {
  if (Inf.FindFld(Code)) Inf.LogStr(Code, Text);
}

static void QuietSetInt(TInf& Inf, const std::string& Code, int32_t V) {
  if (Inf.FindFld(Code)) Inf.LogInt(Code, V);
}

// ---- layout and drawing ----

void TInf::SortVisible() {
  std::stable_sort(VisibleFields.begin(), VisibleFields.end(),
                   [](const TInfField* A, const TInfField* B) {
                     if (A->GroupIndex != B->GroupIndex) return A->GroupIndex < B->GroupIndex;
                     if (A->Priority != B->Priority) return A->Priority < B->Priority;
                     const uint8_t A0 = static_cast<uint8_t>(A->Code[0]),
                                   B0 = static_cast<uint8_t>(B->Code[0]);
                     if (A0 != B0) return A0 < B0;
                     return static_cast<uint8_t>(A->Code[1]) < static_cast<uint8_t>(B->Code[1]);
                   });
}

void TInf::DrawTextField(TInfField* F, int32_t& X, bool Full) {
  platform::TCanvas& C = Bitmap->Canvas();
  const int32_t H = Bitmap->Height();
  std::string Text = F->DisplayText();
  if (!Full) Text = TrimCtl(Text);
  C.Font = Fonts[static_cast<size_t>(F->iFont)];
  const int32_t TW = C.TextWidth(Text);
  if (Full) {
    F->Width = (F->Autosize || F->Editable) ? TW : std::max(F->Width, TW);
    F->X = X;
    F->Y = Margin;
    F->Height = 2 * ((H / 2) - Margin);
  }
  CanvasTextInRect(&C, Text, TRect{F->X, F->Y, F->X + F->Width, F->Y + F->Height}, C.Font.Color,
                   F->Color, F->Alignment, F->Layout);
  if (Full) {
    X = F->X + F->Width + Margin;
    F->Placed = true;
  }
  F->Log->Drawn = true;
}

void TInf::DrawAll() {
  if (!Bitmap) return;
  platform::TCanvas& C = Bitmap->Canvas();
  C.Brush.Color = ColorBack;
  C.Brush.Style = platform::TBrushStyle::Solid;
  CanvasClear(&C);
  if (Fields.empty()) return;
  SortVisible();
  int32_t X = Margin;
  const int32_t H = Bitmap->Height();
  for (TInfField* F : VisibleFields) {
    Ensure(F);
    const bool Shown = F->Editable || F->Log->HasValue();
    F->Placed = false;
    if (!Shown) {
      F->Log->Drawn = true;
      continue;
    }
    if (IsTextType(F->CD)) {
      DrawTextField(F, X, true);
    } else if (F->CD == 'N') {
      C.Font = Fonts[static_cast<size_t>(F->iFont)];
      (void)C.TextWidth(F->DisplayText());
      if (F->Glyph && F->NumGlyph > 0) {
        const int32_t FW = F->Glyph->Width() / F->NumGlyph;
        F->Width = F->Autosize ? FW : std::max(F->Width, FW);
        F->X = X;
        F->Height = F->Glyph->Height();
        F->Y = (H - F->Glyph->Height()) / 2;
        DrawGlyphFrame(&C, F->X, F->Y, F->Glyph.get(), F->NumGlyph, F->iChecked);
        X = F->X + F->Width + Margin;
        F->Placed = true;
      }
      F->Log->Drawn = true;
    } else if (F->CD == 'b') {
      CanvasSayBits(0, F->Color, F->ColorAlt, static_cast<int32_t>(F->Log->S()), F->FmtTpl, &C);
      F->Log->Drawn = true;
    } else {
      F->Log->Drawn = true;
    }
  }
  if (X != DrawnWidth) {
    DrawnWidth = X;
    Reframe(Selected);
  }
  Blit();
}

void TInf::UpdateChanged() {
  if (Fields.empty() || !Bitmap) return;
  TInfField* One = nullptr;
  int32_t N = 0;
  for (TInfField* F : VisibleFields) {
    Ensure(F);
    if (!F->Log->Drawn) {
      ++N;
      One = F;
    }
  }
  if (N == 0) return Blit();
  // A field that took no room at the last full drawing has no place yet: lay everything out.
  if (N >= 2 || (!One->Placed && (IsTextType(One->CD) || One->CD == 'N'))) return DrawAll();
  platform::TCanvas& C = Bitmap->Canvas();
  if (IsTextType(One->CD)) {
    const std::string Text = One->DisplayText();
    C.Font = Fonts[static_cast<size_t>(One->iFont)];
    const int32_t TW = C.TextWidth(Text);
    bool Full = false;
    if (One->Autosize || One->Editable) {
      if (One->Width != TW) Full = true;
      One->Width = TW;
    } else if (TW > One->Width) {
      One->Width = TW;
      Full = true;
    }
    int32_t Dummy = 0;
    DrawTextField(One, Dummy, false);
    Blit();
    if (Full) DrawAll();
  } else if (One->CD == 'N') {
    if (One->Glyph && One->NumGlyph > 0) {
      const int32_t FW = One->Glyph->Width() / One->NumGlyph;
      if (One->Width < FW) One->Width = FW;
      DrawGlyphFrame(&C, One->X, One->Y, One->Glyph.get(), One->NumGlyph, One->iChecked);
    }
    One->Log->Drawn = true;
    Blit();
  } else {
    One->Log->Drawn = true;
    Blit();
  }
}

void TInf::RedrawIfDirty() {
  if (Dirty) DrawAll();
  Dirty = false;
}

void TInf::Blit() {
  if (Canvas && Bitmap) Canvas->Draw(Left, Top, *Bitmap);
  if (OnDrawn) OnDrawn(OnDrawnData);
}

TRect TInf::PanelRect() const {
  const int32_t W = Bitmap ? Bitmap->Width() : 0, H = Bitmap ? Bitmap->Height() : 0;
  return TRect{Left, Top, Left + W, Top + H};
}

TRect TInf::FieldRect(const TInfField* F) const {
  return TRect{Left + F->X, Top + F->Y, Left + F->X + F->Width, Top + F->Y + F->Height};
}

TInfField* TInf::FieldAt(int32_t X, int32_t Y) const {
  // Fields that took no room at the last drawing are not on the strip.
  for (TInfField* F : VisibleFields)
    if (F->Placed && PointInRectXY(FieldRect(F), X, Y)) return F;
  return nullptr;
}

// ---- mouse ----

void TInf::Hover(platform::TControl* Form, bool& OverField) {
  OverField = false;
  if (!Form) return;
  const TPoint P = Form->CursorPos();
  const bool InStrip = PointInRect(PanelRect(), P);
  if (InStrip) {
    TInfField* F = FieldAt(P.X, P.Y);
    OverField = F != nullptr;
    if (F && F->Code != HoverCode) {
      HoverCode = F->Code;
      Form->SetHint(F->Hint);
      Form->ShowHints(true);
      Form->ActivateHint(P);
      SelectField(F);
      if (F->EditActive) {
        platform::TCanvas& C = Bitmap->Canvas();
        C.Font = Fonts[static_cast<size_t>(F->iFont)];
        const std::string Text = F->EditText + " ";
        const int32_t MX = P.X - Left - F->X;
        int32_t i = 0;
        while (i < static_cast<int32_t>(Text.size()) &&
               C.TextWidth(Text.substr(0, static_cast<size_t>(i))) < MX)
          ++i;
        F->SetCaret(i);
      }
    }
    return;
  }
  if (Form->InClientArea(P)) {
    if (Selected >= 0) EditOff();
    Selected = -1;
    QuietSet(*this, "IF", "00");
    ClearFrame();
  }
  HoverCode = "  ";
  Form->SetHint("");
}

void TInf::MouseDown(platform::TControl*, platform::TMouseButton Button, int32_t X, int32_t Y,
                     bool& Inside) {
  Inside = PointInRectXY(PanelRect(), X, Y);
  if (!Inside) return;
  TInfField* F = FieldAt(X, Y);
  if (!F || Button != platform::TMouseButton::Left) return;
  F->iChecked = F->NumGlyph > 0 ? (F->iChecked + 1) % F->NumGlyph : 0;
  DrawAll();
  if (F->OnCmd) F->OnCmd(F);
}

bool TInf::MouseUp(int32_t X, int32_t Y) {
  MouseUpInside = PointInRectXY(PanelRect(), X, Y);
  return MouseUpInside;
}

void TInf::Resize(platform::TControl* Form) {
  if (!Form || !Bitmap) return;
  Top = Form->ClientHeight() - Bitmap->Height() + 1;
  SelectIndex(Selected);
  // The frame follows the strip to its new place.
  if (Selected >= 0) Reframe(Selected);
}

// ---- selection ----

void TInf::SelectField(TInfField* F) {
  if (Selected >= 0 && Selected < static_cast<int32_t>(Fields.size())) {
    TInfField* Old = Fields[static_cast<size_t>(Selected)].get();
    if (Old == F) return;
    Old->EndEdit();
    DrawAll();
  }
  if (!F) {
    Selected = -1;
    QuietSet(*this, "IF", "00");
    return;
  }
  Selected = IndexOf(F);
  QuietSet(*this, "IF", F->Code);
  if (F->Editable && !F->EditActive) EditOn();
  Reframe(Selected);
}

void TInf::SelectIndex(int32_t Index) {
  if (Index < 0) {
    QuietSet(*this, "IF", "00");
    return;
  }
  if (Index < static_cast<int32_t>(Fields.size())) SelectField(Fields[static_cast<size_t>(Index)].get());
}

void TInf::Reframe(int32_t Index) {
  if (Index < 0 || Index >= static_cast<int32_t>(Fields.size()) || !Canvas) return;
  if (Frame)
    Frame->Clear();
  else
    Frame = std::make_unique<TRunLines>(Canvas);
  Frame->FrameRect(FieldRect(Fields[static_cast<size_t>(Index)].get()));
  if (TRunLines::Phase == 0) TRunLines::Phase = 9;
}

void TInf::DetachWindow() {
  if (Caret) {
    Caret->Stop();
    Caret->WinCanvas = nullptr;
  }
  if (Frame) {
    Frame->Clear();
    Frame->Canvas = nullptr;
  }
  Canvas = nullptr;
  Handle = nullptr;
}

void TInf::FrameStep() {
  if (Frame) Frame->Step();
}

void TInf::ClearFrame() {
  if (Frame) Frame->Clear();
}

// ---- editing ----

void TInf::EditOn() {
  if (Selected < 0)
    ErrAbs("Inf.EditOn iSelected=" + std::to_string(Selected) + " поле не выбрано!"_cp);
  if (Selected >= static_cast<int32_t>(Fields.size()))
    ErrAbs("Inf.EditOn iSelected=" + std::to_string(Selected) +
           " > Count=" + std::to_string(Fields.size()) + "!");
  EditField = Fields[static_cast<size_t>(Selected)].get();
  Editing = true;
  EditField->BeginEdit();
  DrawAll();
}

void TInf::EditOff() {
  if (Selected >= 0 && Selected < static_cast<int32_t>(Fields.size()))
    Fields[static_cast<size_t>(Selected)]->EndEdit();
  EditField = nullptr;
  Editing = false;
}

void TInf::KeyCmd(int32_t Code) {
  TInfField* F = EditField;
  if (!F || !F->EditActive) return;
  if (Code >= 0 && Code < 256) {
    if (Caret) Caret->Stop();
    const int32_t Len = static_cast<int32_t>(F->EditText.size());
    if (F->CaretCol < F->FirstCol || F->CaretCol > Len) {
      if (static_cast<int32_t>(F->EditText.size()) < F->CaretCol - 1)
        F->EditText.resize(static_cast<size_t>(F->CaretCol - 1), ' ');
      F->EditText += static_cast<char>(Code);
    } else {
      F->EditText[static_cast<size_t>(F->CaretCol - 1)] = static_cast<char>(Code);
    }
    DrawAll();
    Code = KeyRight;
  }
  if (Code == KeyRight) {
    if (F->CaretCol < static_cast<int32_t>(F->EditText.size()) + 2) {
      if (Caret) Caret->Stop();
      F->SetCaret(F->CaretCol + 1);
    }
  } else if (Code == KeyLeft) {
    if (F->CaretCol > F->FirstCol) {
      if (Caret) Caret->Stop();
      F->SetCaret(F->CaretCol - 1);
    }
  }
}

void TInfField::BeginEdit() {
  SavedText = EditText;
  EditActive = true;
  SetCaret(CaretCol);
}

void TInfField::SetCaret(int32_t Column) {
  if (!EditActive) return;
  CaretCol = Column;
  FirstCol = static_cast<int32_t>(Label().size()) + 1;
  if (Owner) QuietSetInt(*Owner, "I1", FirstCol);
  const std::string Text = EditText + " ";
  if (CaretCol < FirstCol)
    CaretCol = FirstCol;
  else if (CaretCol > static_cast<int32_t>(Text.size()))
    CaretCol = static_cast<int32_t>(Text.size());
  if (Owner && Owner->Caret) Owner->Caret->Show(CharFrame(CaretCol), Point(Owner->Left, Owner->Top));
}

TRect TInfField::CharFrame(int32_t Index) {
  const std::string Text = EditText + " ";
  if (Index < 1 || Index > static_cast<int32_t>(Text.size())) {
    WARNAbs("InfField <" + std::string(1, CD) + "> CharFrame(" + std::to_string(Index) + ") S=<" +
            Text + ">");
    return TRect{};
  }
  if (!Owner || !Owner->Bitmap) return TRect{};
  platform::TCanvas& C = Owner->Bitmap->Canvas();
  C.Font = Owner->Fonts[static_cast<size_t>(iFont)];
  const int32_t W = Index == 1 ? X : X + C.TextWidth(Text.substr(0, static_cast<size_t>(Index - 1)));
  const std::string Ch = Text.substr(static_cast<size_t>(Index - 1), 1);
  return TRect{W + 1, Y + 1, W + C.TextWidth(Ch), Y + 1 + C.TextHeight(Ch)};
}

void TInfField::EndEdit() {
  if (Owner && Owner->Caret) Owner->Caret->Stop();
  if (Editable) {
    EditText = TrimRightCtl(EditText);
    const std::string Value =
        FirstCol >= 1 && FirstCol <= static_cast<int32_t>(EditText.size())
            ? EditText.substr(static_cast<size_t>(FirstCol - 1))
            : std::string();
    if (CD == 'I' || CD == 'L') {
      int32_t V = 0;
      if (StrToInt32(Value, V)) {
        EditActive = false;
        if (Owner) Owner->LogInt(Code, V);
      } else {
        EditText = TrimRightCtl(SavedText);
      }
    } else if (CD == 'S') {
      EditActive = false;
      if (Owner) Owner->LogStr(Code, Value);
    }
  }
  EditActive = false;
  EditText = TrimRightCtl(DisplayText());
  if (OnEdit) OnEdit(this);
  if (Owner) {
    QuietSetInt(*Owner, "I1", 0);
    Owner->EditField = nullptr;
    Owner->Editing = false;
  }
}
