#include "app/cvCtrlUtil.h"

#include <climits>

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

struct THover {
  bool Known = false;
  TPoint Pos;
  TControl* Under = nullptr;
  TControl* Reported = nullptr;
};
THover Hv;

// Text values of the stream form: quoted runs (a quote doubled) and control characters as #N
// between them, so a value with line breaks stays on one line: 'a'#13#10'b'.
std::string Quote(const std::string& S) {
  std::string R;
  bool Open = false;
  for (char C : S) {
    const unsigned char U = static_cast<unsigned char>(C);
    if (U < 32) {
      if (Open) R += '\'';
      Open = false;
      R += "#" + std::to_string(U);
      continue;
    }
    if (!Open) R += '\'';
    Open = true;
    R += C;
    if (C == '\'') R += '\'';
  }
  if (Open) R += '\'';
  return R.empty() ? "''" : R;
}

bool Unquote(const std::string& S, std::string& V) {
  V.clear();
  if (S.empty()) return false;
  size_t i = 0;
  while (i < S.size()) {
    if (S[i] == '#') {
      size_t j = i + 1;
      int N = 0;
      while (j < S.size() && S[j] >= '0' && S[j] <= '9' && N < 256) N = N * 10 + (S[j++] - '0');
      if (j == i + 1 || N > 255) return false;
      V += static_cast<char>(N);
      i = j;
    } else if (S[i] == '\'') {
      ++i;
      for (;;) {
        if (i >= S.size()) return false;
        if (S[i] == '\'') {
          if (i + 1 < S.size() && S[i + 1] == '\'') {
            V += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        V += S[i++];
      }
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

// ---- the window under the mouse ----

bool CursorMoved() {
  const TPoint P = platform::CursorScreenPos();
  if (Hv.Known && P == Hv.Pos) return false;
  Hv.Known = true;
  Hv.Pos = P;
  Hv.Under = platform::ControlUnderCursor();
  return true;
}

bool HoverWindowChanged() {
  CursorMoved();
  if (Hv.Under == Hv.Reported) return false;
  Hv.Reported = Hv.Under;
  return true;
}

TControl* HoverWindow() { return Hv.Under; }

void ResetHoverState() { Hv = THover{}; }

// ---- memos ----

void MemoCaretPos(const platform::Memo* Memo, int32_t& Line, int32_t& Column) {
  Line = Column = 0;
  if (!Memo) return;
  int L = 0, C = 0;
  Memo->CaretPos(L, C);
  Line = static_cast<uint16_t>(L);
  Column = static_cast<uint16_t>(C);
}

void MemoSetCaret(platform::Memo* Memo, int32_t Line, int32_t Column) {
  if (Memo) Memo->SetCaret(Line - 1, Column - 1);
}

void MemoGotoLine(platform::Memo* Memo, int32_t L, int32_t C) {
  if (!Memo) return;
  if (!Memo->Visible()) {
    WARNAbs("Поле Memo "_cp + Memo->Name() + " невидимо!"_cp);
    return;
  }
  if (!Memo->ParentVisible()) {
    WARNAbs("Элемент "_cp + Memo->ParentName() + " на котором лежит Memo "_cp + Memo->Name() +
            " - невидим!"_cp);
    return;
  }
  if (L > Memo->LineCount()) L = Memo->LineCount();
  Memo->SetCaret(L - 1, 0);
  Memo->ScrollCaretIntoView();
  MemoSetCaret(Memo, L, C);
  Memo->SetFocus();
}

void MemoChangeLines(platform::Memo* Memo, const TStringList* Source, int32_t Row1, int32_t Row2,
                     int32_t From) {
  if (!Memo) return;
  const int32_t Count = Memo->LineCount();
  if (Row2 >= Count)
    WARNAbs("MemoChangeLines ОШИБКА! Tab.Row2="_cp + std::to_string(Row2) +
            " Memo.Count=" + std::to_string(Count));
  // Source lines beyond the list count as empty lines.
  auto Src = [Source](int32_t I) -> std::string {
    return Source && I >= 0 && I < Source->Count() ? (*Source)[I] : std::string();
  };
  Memo->BeginUpdate();
  if (Count >= 100) {
    std::vector<std::string> Lines = Memo->Lines();
    std::vector<std::string> New;
    New.reserve(Lines.size() + 8);
    for (int32_t i = 0; i < Row1 && i < Count; ++i) New.push_back(Lines[static_cast<size_t>(i)]);
    for (int32_t k = 0; k < Row2 - Row1 + 1; ++k) New.push_back(Src(From + k));
    for (int32_t i = Row2 + 1; i < Count; ++i) New.push_back(Lines[static_cast<size_t>(i)]);
    Memo->SetLines(New);
  } else {
    for (int32_t r = Row1; r <= Row2; ++r) {
      const std::string S = Src(From + r - Row1);
      if (r < Memo->LineCount())
        Memo->SetLine(r, S);
      else
        Memo->InsertLine(Memo->LineCount(), S);
    }
  }
  Memo->EndUpdate();
}

// ---- combo boxes, tab sheets, components ----

void ComboSelectItem(TControl* Combo, const std::string& Text, bool Exact) {
  if (!Combo) return;
  for (int32_t i = 0; i < Combo->ItemCount(); ++i) {
    const std::string It = Combo->Item(i);
    if (Exact ? It == Text : It.compare(0, Text.size(), Text) == 0) {
      Combo->SetItemIndex(i);
      return;
    }
  }
}

void ShowPageByName(TControl* PageControl, const std::string& Name) {
  if (!PageControl) return;
  for (int32_t i = 0; i < PageControl->PageCount(); ++i) {
    TControl* P = PageControl->Page(i);
    if (P && P->Name() == Name) {
      PageControl->SetActivePage(P);
      return;
    }
  }
}

TControl* FormComponentByName(const TControl* Form, const std::string& Name) {
  if (!Form) return nullptr;
  for (int32_t i = 0; i < Form->ComponentCount(); ++i) {
    TControl* C = Form->Component(i);
    if (C && C->Name() == Name) return C;
  }
  return nullptr;
}

// ---- numbers in edit fields ----

double EdGetReal(const TControl* Control, double Default) {
  if (!Control) return Default;
  int32_t Code = 0;
  const double V = ValRealCode(Control->Text(), Code);
  return Code == 0 ? V : Default;
}

int32_t EdGetInt(const TControl* Control, int32_t Default) {
  if (!Control) return Default;
  int32_t Code = 0;
  const int32_t V = ValIntCode(Control->Text(), Code);
  return Code == 0 ? V : Default;
}

int32_t EdGetIntByName(const std::string& Name, const TControl* Form, int32_t Default) {
  return EdGetInt(FormComponentByName(Form, Name), Default);
}

void EdAcceptVal(TControl* Control, int32_t& Value) {
  if (!Control) return;
  const std::string T = Control->Text();
  int32_t Code = 0;
  const int32_t V = ValIntCode(T, Code);
  if (Code == 0) {
    Value = V;
    return;
  }
  WARNAbs("EdAcceptVal Ввели ошибочное значение типа \"integer\": <"_cp + T + ">");
  std::string S = std::to_string(Value);
  if (S.size() < 8) S.insert(0, 8 - S.size(), ' ');
  Control->SetText(S);
}

void EdSetInt(TControl* Control, int32_t Value) {
  if (Control) Control->SetText(std::to_string(Value));
}

// ---- copying controls ----

std::string ComponentToText(const TControl* C) {
  if (!C) return {};
  std::string S = "object " + C->Name() + ": " + C->ClassName() + "\r\n";
  for (const auto& [Name, Value] : C->Properties()) S += "  " + Name + " = " + Quote(Value) + "\r\n";
  return S + "end\r\n";
}

void ComponentFromText(TControl* C, const std::string& Text) {
  if (!C) return;
  size_t P = 0;
  while (P < Text.size()) {
    size_t E = Text.find('\n', P);
    if (E == std::string::npos) E = Text.size();
    std::string L = Text.substr(P, E - P);
    P = E + 1;
    if (!L.empty() && L.back() == '\r') L.pop_back();
    const size_t Eq = L.find(" = ");
    if (Eq == std::string::npos) continue;
    const std::string Name = TrimCtl(L.substr(0, Eq));
    std::string Value;
    if (Unquote(L.substr(Eq + 3), Value)) C->SetProperty(Name, Value);
  }
}

void CopyControlPlace(const TControl* Source, TControl* Target, const std::string& Name) {
  if (!Source || !Target) return;
  Target->SetParent(Source->Parent());
  Target->SetName(Name);
  Target->SetBounds(Source->Bounds());
  Target->SetTag(Source->Tag());
  Target->SetText(Source->Text());
}

TControl* CloneControl(TControl* Source, TControl* Target, const std::string& Name) {
  if (!Source) return Target;
  if (Target && Target->ClassName() == "TComboBox") {
    TControl* Owner = Source->Owner();
    TControl* C = Owner ? Owner->CreateComponent("TComboBox") : nullptr;
    if (!C) return Target;
    C->SetParent(Source->Parent());
    C->SetName(Name);
    C->SetBounds(Source->Bounds());
    C->SetItemHeight(Source->ItemHeight());
    for (int32_t i = 0; i < Source->ItemCount(); ++i) C->AddItem(Source->Item(i));
    C->SetItemIndex(Source->ItemIndex());
    C->SetText(Source->Text());
    return C;
  }
  if (!Target) return Target;
  const std::string Old = Source->Name();
  Source->SetName("");
  Target->SetParent(Source->Parent());
  ComponentFromText(Target, ComponentToText(Source));
  Source->SetName(Old);
  Target->SetName(Name);
  return Target;
}
