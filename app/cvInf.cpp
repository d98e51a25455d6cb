// The information panel: fields, values, display texts, groups and the field list.
#include "app/cvInf.h"

#include <algorithm>

#include "app/cvRunRect.h"
#include "app/cvTxCaret.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

namespace {

// Decimal text zero-filled on the left to N digits, cut to its last N digits when longer.
std::string Dig(int64_t V, size_t N) {
  std::string S = std::to_string(V);
  if (S.size() < N) return std::string(N - S.size(), '0') + S;
  return S.substr(S.size() - N);
}

// The text padded with blanks to N characters (never cut).
std::string Pad(const std::string& S, size_t N) {
  return S.size() >= N ? S : S + std::string(N - S.size(), ' ');
}

int32_t IndexOfColor(const std::vector<uint32_t>& Colors, uint32_t C) {
  for (size_t i = 0; i < Colors.size(); ++i)
    if (Colors[i] == C) return static_cast<int32_t>(i);
  return -1;
}

}  // namespace

uint16_t InfCode(const std::string& Code) {
  const uint8_t A = Code.size() > 0 ? static_cast<uint8_t>(Code[0]) : ' ';
  const uint8_t B = Code.size() > 1 ? static_cast<uint8_t>(Code[1]) : ' ';
  return static_cast<uint16_t>(A | (B << 8));
}

std::string InfCodeStr(uint16_t Code) {
  return std::string{static_cast<char>(Code & 0xFF), static_cast<char>(Code >> 8)};
}

// ---- TInfField ----

TInfField::TInfField(TInf* O) : Owner(O) {}
TInfField::~TInfField() = default;

std::string TInfField::Label() const {
  const size_t P = FmtTpl.find('%');
  return P == std::string::npos ? FmtTpl : FmtTpl.substr(0, P);
}

int32_t TInfField::GetInt() const {
  if (!Editable)
    ErrAbs("InfField.GetInt - функция вызвана для нередактируемого поля <"_cp + Code + "> !");
  if (CD != 'I' && CD != 'L')
    ErrAbs("InfField.GetInt - функция вызвана для поля <"_cp + Code + "> типа <"_cp +
           std::string(1, CD) + ">!" + "\r\n" + "Допустимые типы полей \"I\" и \"L\""_cp);
  return Log && Log->HasValue() ? static_cast<int32_t>(Log->S()) : 0;
}

std::string TInfField::FormattedValue() const {
  std::string Result = "ERROR";
  if (!Log) return Result;
  std::vector<TFmtArg> Args;
  const uint32_t S = Log->S();
  auto Int = [](int64_t V) {
    TFmtArg A;
    A.I = V;
    return A;
  };
  auto Text = [](const std::string& V) {
    TFmtArg A;
    A.IsText = true;
    A.S = V;
    return A;
  };
  if (DataLen <= 4) {
    switch (CD) {
      case 'B':
        for (int i = 0; i < 4; ++i) Args.push_back(Int((S >> (8 * i)) & 0xFF));
        break;
      case 'C':
        for (int i = 0; i < 4; ++i)
          Args.push_back(Text(std::string(1, static_cast<char>((S >> (8 * i)) & 0xFF))));
        break;
      case 'I':
        Args.push_back(Int(S & 0xFFFF));
        Args.push_back(Int(S >> 16));
        break;
      case 'i':
        Args.push_back(Int(static_cast<int16_t>(S & 0xFFFF)));
        Args.push_back(Int(static_cast<int16_t>(S >> 16)));
        break;
      case 'L':
        Args.push_back(Int(static_cast<int32_t>(S)));
        break;
      case 'N':
      case 'S': {
        const std::string T = Log->StoredText();
        Args.push_back(Text(T.empty() ? "---" : T));
        break;
      }
      default:
        WARNAbs("Тип формата "_cp + std::string(1, CD) + "<>L/I/i/B/C/S/N! FmtTpl=" + FmtTpl);
        return Result;
    }
  } else if (CD == 'S') {
    Args.push_back(Text(Log->StoredText()));
  } else {
    return Result;
  }
  std::string Out;
  if (!FormatArgs(FmtTpl, Args, Out)) {
    WARNAbs("cvFotmat = <" + FmtTpl + "> не совместим с полем типа <"_cp + std::string(1, CD) +
            ">!");
    return Result;
  }
  return Out;
}

std::string TInfField::DisplayText() {
  if (Log && Log->HasValue()) {
    if (EditActive) return EditText + " ";
    return TrimCtl(FormattedValue());
  }
  if (Editable) {
    const std::string L = Label();
    if (EditText.compare(0, L.size(), L) != 0) EditText = L + EditText;
    return EditText + " ";
  }
  return "ЖЖЖ"_cp;
}

// ---- TInf: creation ----

TInf::TInf(TInfDrawnProc Drawn, void* Data) : OnDrawn(std::move(Drawn)), OnDrawnData(Data) {}

// The window may be gone already: nothing is drawn on the way out.
TInf::~TInf() {
  if (OnFreed) OnFreed();
}

void TInf::Init(TInf*& Slot, platform::TControl* Form, const std::string& FontName,
                TInfDrawnProc OnDrawn, void* OnDrawnData, int32_t FontSize, int32_t Margin,
                const std::string& FileName) {
  platform::TCanvas* WinCanvas = Form ? Form->Canvas() : nullptr;
  platform::TBitmap Probe(1, 1);
  platform::TCanvas& Measure = WinCanvas ? *WinCanvas : Probe.Canvas();
  const platform::TFont OldFont = Measure.Font;
  Measure.Font.Name = FontName;
  Measure.Font.Size = FontSize;
  const int32_t h = Measure.TextHeight("O");
  delete Slot;
  Slot = nullptr;
  TInf* P = new TInf(std::move(OnDrawn), OnDrawnData);
  Slot = P;
  P->Handle = Form;
  P->Canvas = WinCanvas;
  P->Left = 0;
  P->Top = (Form ? Form->ClientHeight() : 0) + 1 - (h + 2 * Margin);
  P->Fonts.push_back(Measure.Font);
  P->Margin = Margin;
  P->Bitmap = std::make_unique<platform::TBitmap>(platform::ScreenWidth(), h + 2 * Margin);
  P->Bitmap->Canvas().Font = Measure.Font;
  P->Selected = -1;
  P->EditField = nullptr;
  P->Caret = std::make_unique<TTxCaret>(WinCanvas, &P->Bitmap->Canvas(), 2);
  Measure.Font = OldFont;
  P->Load(FileName);
  P->RebuildVisible();
}

// ---- fields and values ----

TInfField* TInf::FindFld(const std::string& Code) const {
  for (const auto& F : Fields)
    if (F->Code == Code) return F.get();
  return nullptr;
}

int32_t TInf::IndexOf(const TInfField* Field) const {
  for (size_t i = 0; i < Fields.size(); ++i)
    if (Fields[i].get() == Field) return static_cast<int32_t>(i);
  return -1;
}

void TInf::SetValueOf(TInfField* F, bool IsText, int32_t Int, const std::string& Text,
                      const std::string& Code) {
  const bool TextField = F->CD == 'S' || F->CD == 'N';
  if (IsText && !TextField) {
    // A number given as text reaches a numeric field as that number.
    int32_t Err = 0;
    const int32_t V = ValIntCode(TrimCtl(Text), Err);
    if (Err != 0) {
      WARNAbs("Inf.Log-ERR: Поле <"_cp + Code + "> типа <"_cp + std::string(1, F->CD) +
              "> не принимает текст <"_cp + Text + ">");
      return;
    }
    F->Log->SetValue(V);
  } else if (!IsText && TextField) {
    F->Log->SetValue(std::to_string(Int));
  } else if (IsText) {
    F->Log->SetValue(Text);
  } else {
    F->Log->SetValue(Int);
  }
  if (F->Editable) {
    const bool Was = F->EditActive;
    F->EditActive = false;
    F->EditText = TrimRightCtl(F->FormattedValue());
    F->EditActive = Was;
  }
}

TInfField* TInf::LogTarget(const std::string& Code) {
  if (Fields.empty()) return nullptr;
  TInfField* F = FindFld(Code);
  if (!F) {
    auto SL = FieldList();
    SL->Insert(0, "Inf.Log-ERR: Поле <"_cp + Code + "> не существует! файл = <"_cp + FileName +
                      ">");
    WARNAbsSL(SL.get());
  }
  return F;
}

void TInf::LogInt(const std::string& Code, int32_t Value) {
  if (TInfField* F = LogTarget(Code)) SetValueOf(F, false, Value, std::string(), Code);
}

void TInf::LogStr(const std::string& Code, const std::string& Value) {
  TInfField* F = LogTarget(Code);
  if (!F) return;
  SetValueOf(F, true, 0, Value, Code);
}

void TInf::CheckFld(const std::string& Code, bool Flag) {
  TInfField* F = FindFld(Code);
  if (!F) {
    WARNAbs("Inf.CheckFld(" + Code + ") поле информатора не найдено!"_cp);
    return;
  }
  F->iChecked = Flag ? 1 : 0;
  DrawAll();
}

void TInf::BindCmd(const std::string& Code, TInfFieldProc Method) {
  if (TInfField* F = FindFld(Code)) F->OnCmd = std::move(Method);
}

void TInf::BindEdit(const std::string& Code, TInfFieldProc Method) {
  if (TInfField* F = FindFld(Code)) F->OnEdit = std::move(Method);
}

std::unique_ptr<TStringList> TInf::FieldList() const {
  auto SL = std::make_unique<TStringList>();
  if (Fields.empty()) {
    SL->Add("Поля информатора ещё не созданы!"_cp);
    return SL;
  }
  static const char AlignL[] = {'L', 'R', 'C'};
  static const char LayoutL[] = {'T', 'C', 'B'};
  for (const auto& P : Fields) {
    const TInfField& F = *P;
    std::string S = "|" + F.Code;
    auto Item = [&S](const std::string& T) { S += "|" + T; };
    Item(F.Enabled ? "1" : "0");
    Item(F.Visible ? "1" : "0");
    Item(Dig(F.Priority, 2));
    Item(F.QLog ? "1" : "0");
    Item(Dig(F.Width, 3));
    Item(F.Autosize ? "1" : "0");
    Item(std::string(1, AlignL[F.Alignment % 3]));
    Item(std::string(1, LayoutL[F.Layout % 3]));
    Item(Dig(F.Aux, 3));
    Item(std::to_string(F.iFont));
    Item(std::to_string(IndexOfColor(Colors, F.Color)));
    Item(std::to_string(IndexOfColor(Colors, F.ColorAlt)));
    Item(Dig(F.DataLen, 2));
    Item(Dig(F.VarCount, 2));
    Item(std::string(1, F.CD));
    Item(F.Editable ? "E" : "N");
    Item(std::to_string(F.GroupIndex));
    Item(std::to_string(F.NumGlyph));
    Item(std::to_string(F.iChecked));
    Item("  pict ");
    Item(Pad(F.FmtTpl, 9));
    Item(Pad(F.Hint, 26));
    Item(Dig(F.LM, 2));
    Item(Dig(F.LV, 2));
    Item(Dig(F.LT, 2));
    Item(Pad(F.Log ? F.Log->LogName : std::string(), 7));
    Item(F.Log && F.Log->FlushEach ? "true" : "false");
    SL->Add(S);
  }
  return SL;
}

// ---- groups ----

void TInf::RebuildVisible() {
  VisibleFields.clear();
  for (const auto& F : Fields) {
    if (!F->Visible) continue;
    // A field whose group index lies outside the group list belongs to no group and is shown.
    const bool InList = F->GroupIndex >= 0 && F->GroupIndex < static_cast<int32_t>(Groups.size());
    if (InList && !Groups[static_cast<size_t>(F->GroupIndex)].Shown) continue;
    VisibleFields.push_back(F.get());
  }
}

TInfGroup* TInf::FindGroup(const std::string& Name) {
  for (auto& G : Groups)
    if (G.Name == Name) return &G;
  return nullptr;
}

void TInf::FillGroupMenu(platform::TMenu* Menu, const std::string& Divider,
                         platform::TMenu::ClickProc OnClick) {
  if (!Menu) return;
  const int32_t D = Menu->IndexOfName(Divider);
  if (D >= 0)
    while (Menu->Count() > D + 1) Menu->DeleteItem(Menu->Count() - 1);
  for (const auto& G : Groups) Menu->AddItem(G.Name, G.Name, G.Shown, OnClick);
}

void TInf::SaveGroups() {
  if (!GroupTunes) return;
  for (size_t i = 0; i < Groups.size(); ++i)
    GroupTunes->SetFlag(std::to_string(i) + "_Hide", !Groups[i].Shown);
  GroupTunes->Save();
}
