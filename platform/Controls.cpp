#include "platform/Controls.h"

#include <algorithm>

namespace platform {

namespace {
CursorServices Services;

std::string IntText(int32_t V) { return std::to_string(V); }

bool TextToInt(const std::string& S, int32_t& V) {
  if (S.empty()) return false;
  size_t i = 0;
  bool Neg = false;
  if (S[0] == '-' || S[0] == '+') {
    Neg = S[0] == '-';
    i = 1;
  }
  if (i >= S.size()) return false;
  int64_t R = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9') return false;
    R = R * 10 + (S[i] - '0');
    if (R > 2147483648LL) return false;
  }
  R = Neg ? -R : R;
  if (R > 2147483647LL) return false;
  V = static_cast<int32_t>(R);
  return true;
}
}  // namespace

CursorServices SetCursorServices(CursorServices S) {
  CursorServices Old = std::move(Services);
  Services = std::move(S);
  return Old;
}

TPoint CursorScreenPos() { return Services.ScreenPos ? Services.ScreenPos() : TPoint{}; }

TControl* ControlUnderCursor() {
  return Services.ControlUnderCursor ? Services.ControlUnderCursor() : nullptr;
}

TMemControl::TMemControl(const std::string& ClassName, const std::string& Name,
                         TMemControl* Owner)
    : Class_(ClassName), Name_(Name), Owner_(Owner) {
  if (Owner_) Owner_->Owned_.emplace_back(this);
}

TMemControl::~TMemControl() {
  // Owned components are freed by the vector; they must not unlist themselves.
  for (auto& C : Owned_) C->Owner_ = nullptr;
}

void TMemControl::SetBounds(const TRect& R) { Bounds_ = R; }

TControl* TMemControl::Component(int32_t I) const {
  if (I < 0 || I >= ComponentCount()) return nullptr;
  return Owned_[static_cast<size_t>(I)].get();
}

std::string TMemControl::Item(int32_t I) const {
  if (I < 0 || I >= ItemCount()) return {};
  return Items_[static_cast<size_t>(I)];
}

void TMemControl::SetItemIndex(int32_t I) {
  ItemIndex_ = (I >= 0 && I < ItemCount()) ? I : -1;
  if (ItemIndex_ >= 0 && Class_ == "TComboBox") Text_ = Items_[static_cast<size_t>(I)];
}

TControl* TMemControl::Page(int32_t I) const {
  if (I < 0 || I >= PageCount()) return nullptr;
  return Pages_[static_cast<size_t>(I)];
}

void TMemControl::SetClientSize(int32_t Width, int32_t Height) {
  ClientW = Width;
  ClientH = Height;
  if (!Surface_)
    Surface_ = std::make_unique<TBitmap>(Width, Height);
  else
    Surface_->SetSize(Width, Height);
}

std::vector<std::pair<std::string, std::string>> TMemControl::Properties() const {
  std::vector<std::pair<std::string, std::string>> P;
  P.emplace_back("Left", IntText(Bounds_.Left));
  P.emplace_back("Top", IntText(Bounds_.Top));
  P.emplace_back("Width", IntText(Bounds_.Width()));
  P.emplace_back("Height", IntText(Bounds_.Height()));
  P.emplace_back("Text", Text_);
  P.emplace_back("Hint", Hint_);
  P.emplace_back("Visible", Visible_ ? "True" : "False");
  P.emplace_back("Enabled", Enabled_ ? "True" : "False");
  P.emplace_back("Tag", IntText(Tag_));
  if (ItemHeight_) P.emplace_back("ItemHeight", IntText(ItemHeight_));
  return P;
}

bool TMemControl::SetProperty(const std::string& Name, const std::string& Value) {
  int32_t V = 0;
  const bool IsInt = TextToInt(Value, V);
  if (Name == "Text") {
    Text_ = Value;
  } else if (Name == "Hint") {
    Hint_ = Value;
  } else if (Name == "Visible" || Name == "Enabled") {
    const bool B = Value == "True";
    if (!B && Value != "False") return false;
    (Name == "Visible" ? Visible_ : Enabled_) = B;
  } else if (!IsInt) {
    return false;
  } else if (Name == "Left") {
    Bounds_ = TRect{V, Bounds_.Top, V + Bounds_.Width(), Bounds_.Bottom};
  } else if (Name == "Top") {
    Bounds_ = TRect{Bounds_.Left, V, Bounds_.Right, V + Bounds_.Height()};
  } else if (Name == "Width") {
    Bounds_.Right = Bounds_.Left + V;
  } else if (Name == "Height") {
    Bounds_.Bottom = Bounds_.Top + V;
  } else if (Name == "Tag") {
    Tag_ = V;
  } else if (Name == "ItemHeight") {
    ItemHeight_ = V;
  } else {
    return false;
  }
  return true;
}

TControl* TMemControl::CreateComponent(const std::string& ClassName) {
  return new TMemControl(ClassName, "", this);
}

}  // namespace platform
