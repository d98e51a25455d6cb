// Grid columns and their collection.
#include "grid/cvGxColumns.h"

#include <algorithm>

#include "grid/cvGxNum.h"

// ---- header and footer ----

void TColumnPart::Change() {
  if (OnChange) OnChange();
}
void TColumnPart::SetCaption(const WideString& C) {
  caption_ = C;
  if (column_) column_->Refresh(cpWhole);
}
void TColumnPart::SetColor(uint32_t C) {
  color_ = C;
  if (column_) column_->Refresh(cpWhole);
}
void TColumnPart::SetDisplayMode(TDisplayMode M) {
  displayMode_ = M;
  Change();
}
void TColumnPart::Assign(const TColumnPart& Src) {
  SetCaption(Src.caption_);
  SetColor(Src.color_);
  SetDisplayMode(Src.displayMode_);
}

TColumnHeader::TColumnHeader(TGxCustomColumn* Column) : TColumnPart(Column, 0xFF00000F) {}
void TColumnHeader::Repaint() {
  if (column_) column_->Refresh(cpHeader);
}
void TColumnHeader::SetAlignment(TAlignment A) { alignment_ = A; Repaint(); }
void TColumnHeader::SetHideArrow(bool V) { hideArrow_ = V; Repaint(); }
void TColumnHeader::SetMultiLine(bool V) { multiLine_ = V; Repaint(); }
void TColumnHeader::SetOrientation(int V) { orientation_ = V; Repaint(); }
void TColumnHeader::Assign(const TColumnHeader& Src) {
  SetAlignment(Src.alignment_);
  SetCaption(Src.caption_);
  SetColor(Src.color_);
  SetDisplayMode(Src.displayMode_);
  Hint = Src.Hint;
  SetMultiLine(Src.multiLine_);
  SetOrientation(Src.orientation_);
}

TColumnFooter::TColumnFooter(TGxCustomColumn* Column) : TColumnPart(Column, 0xFF000005) {}
void TColumnFooter::SetAlignment(TAlignment A) {
  alignment_ = A;
  if (column_) column_->Refresh(cpFooter);
}
void TColumnFooter::SetFormulaKind(TFormulaKind K) { formulaKind_ = K; Change(); }
void TColumnFooter::SetFormatMask(const std::string& M) { formatMask_ = M; Change(); }
void TColumnFooter::SetTextAfter(const WideString& T) { textAfter_ = T; Change(); }
void TColumnFooter::SetTextBefore(const WideString& T) { textBefore_ = T; Change(); }
void TColumnFooter::Assign(const TColumnFooter& Src) {
  SetAlignment(Src.alignment_);
  SetFormulaKind(Src.formulaKind_);
  SetFormatMask(Src.formatMask_);
  SetTextAfter(Src.textAfter_);
  SetTextBefore(Src.textBefore_);
}

// ---- the column base ----

TGxCustomColumn::TGxCustomColumn(std::string Name) : Name(std::move(Name)) {
  header_.OnChange = [this] { Appearance(); };
  footer_.OnChange = [this] { Appearance(); };
}

TGxCustomColumn::~TGxCustomColumn() = default;

int TGxCustomColumn::Index() const { return columns_ ? columns_->IndexOf(this) : -1; }

TGxColumnsHost* TGxCustomColumn::Host() const { return columns_ ? columns_->Host() : nullptr; }
bool TGxCustomColumn::Reading() const {
  TGxColumnsHost* h = Host();
  return h && h->Reading();
}

void TGxCustomColumn::Notify(TGxColumnChange Kind, int Param) {
  TGxColumnsHost* h = Host();
  if (h && !h->Reading()) h->ColumnChange(this, Kind, Param);
}

void TGxCustomColumn::Refresh(TGxColumnPart Part) {
  TGxColumnsHost* h = Host();
  if (h && !h->Reading()) h->RefreshColumn(this, Part);
}

void TGxCustomColumn::SetFont(const TGxFont& F) {
  font_ = F;
  parentFont_ = false;
  Appearance();
}

void TGxCustomColumn::ParentFontChanged(const TGxFont& GridFont) {
  if (!parentFont_) return;
  font_ = GridFont;
  Appearance();
}

void TGxCustomColumn::SetOptions(TColumnOptions O) {
  const TColumnOptions old = options_;
  if ((O & Opt(coSearchColumn)) && !(old & Opt(coSearchColumn)) && columns_)
    for (int i = 0; i < columns_->ColumnCount(); ++i) {
      TGxCustomColumn* c = columns_->Column(i);
      if (c != this) c->options_ &= ~Opt(coSearchColumn);
    }
  options_ = O;
  if (!columns_ || Reading()) return;
  if (!((old & Opt(coAutoSize)) && (O & Opt(coAutoSize)))) columns_->AutoSize(this, true);
  Appearance();
}

void TGxCustomColumn::SetPosition(int P) {
  if (!columns_ || Reading() || columns_->DisplayIndexOf(this) < 0) {
    position_ = P;
    return;
  }
  const int to = std::clamp(P, 0, static_cast<int>(columns_->ColumnCount()) - 1);
  columns_->Move(columns_->DisplayIndexOf(this), to);
  Notify(chPosition, -1);
}

void TGxCustomColumn::SetSlideBounds(const TGxSlideBounds& B) {
  slideBounds_ = B;
  Notify(chSlideBounds, 0);
}

void TGxCustomColumn::SetSorted(bool V) {
  if (GetBehaviour() & cbNotSortable) return;
  if (V) {
    if (columns_) {
      for (int i = 0; i < columns_->ColumnCount(); ++i) {
        TGxCustomColumn* c = columns_->Column(i);
        if (c->sorted_) {
          c->sorted_ = false;
          c->Notify(chUnsort, 0);
        }
      }
    } else if (sorted_) {
      sorted_ = false;
    }
    sorted_ = true;
    Notify(chSort, 0);
  } else {
    sorted_ = false;
    Notify(chUnsort, 0);
  }
}

void TGxCustomColumn::SetVisible(bool V) {
  if (V == visible_) return;
  visible_ = V;
  if (!columns_ || Reading()) return;
  columns_->Layout(false);
  columns_->AutoSize(nullptr, true);
  Notify(chVisibility, 0);
}

void TGxCustomColumn::StoreWidth(int W, bool Report) {
  const int nw = std::max(8, W), old = width_;
  width_ = nw;
  if (Report) Notify(chWidth, nw - old);
}

void TGxCustomColumn::SetWidth(int W) {
  if (!columns_ || Reading()) {
    width_ = std::max(8, W);
    return;
  }
  const int old = width_;
  width_ = std::max(8, W);
  columns_->Layout(false);
  Notify(chWidth, width_ - old);
  columns_->AutoSize(this, false);
}

uint32_t TGxCustomColumn::GetEditAbilities() const {
  if (!Enabled) return 0;
  if (!(GetBehaviour() & cbEditable) && !InplaceEdit) return 0;
  return (HasOption(coEditing) ? eaEdit : 0u) | (HasOption(coCanInput) ? eaInput : 0u);
}

int TGxCustomColumn::GetTextWidth(const WideString& Text) const {
  TGxColumnsHost* h = Host();
  return std::max(8, (h ? h->TextWidth(font_, Text) : 0) + 6);
}

WideString TGxCustomColumn::GetCellText(int Col, int Row) const {
  return OnGetCellText ? OnGetCellText(Col, Row) : WideString();
}
void TGxCustomColumn::SetCellText(int Col, int Row, const WideString& Text) {
  if (OnSetCellText) OnSetCellText(Col, Row, Text);
}

void TGxCustomColumn::Assign(const TGxCustomColumn& S) {
  SetAlignment(S.alignment_);
  SetColor(S.color_);
  SetCursor(S.cursor_);
  DefaultValue = S.DefaultValue;
  SetDrawingOptions(S.drawingOptions_);
  if (S.parentFont_) font_ = S.font_; else SetFont(S.font_);
  footer_.Assign(S.footer_);
  header_.Assign(S.header_);
  SetInputCaption(S.inputCaption_);
  SetInputValue(S.inputValue_);
  SetOptions(S.options_);
  SetParentFont(S.parentFont_);
  SetPosition(S.position_);
  SetSlideBounds(S.slideBounds_);
  SetSorted(S.sorted_);
  SetSortKind(S.sortKind_);
  SetVerticalAlignment(S.verticalAlignment_);
  SetVisible(S.visible_);
  SetWidth(S.width_);
  SetWrapKind(S.wrapKind_);
}

// ---- kinds ----

TGxTextColumn::TGxTextColumn(std::string Name) : TGxCustomColumn(std::move(Name)) {
  options_ |= Opt(coShowTextFitHint);
  SetCellKind(ckString);
}

int TGxTextColumn::GetTextWidth(const WideString& Text) const {
  TGxColumnsHost* h = Host();
  return std::max(8, (h ? h->TextWidth(Font(), Text) : 0) + 5);
}

WideString TGxTextColumn::GetDrawText(const TCellInfo& Info) const {
  return textBefore_ + Info.AsString + textAfter_;
}

void TGxTextColumn::Assign(const TGxCustomColumn& Src) {
  TGxCustomColumn::Assign(Src);
  if (auto* s = dynamic_cast<const TGxTextColumn*>(&Src)) {
    maxLength_ = s->maxLength_;
    multiLine_ = s->multiLine_;
    textAfter_ = s->textAfter_;
    textBefore_ = s->textBefore_;
  }
}

bool TGxStringsColumn::IsItemInitial(char16_t C) const {
  const unsigned char c = gx::LowerCp1251(static_cast<unsigned char>(gx::A(WideString(1, C))[0]));
  for (const WideString& it : items_)
    if (!it.empty() &&
        gx::LowerCp1251(static_cast<unsigned char>(gx::A(it.substr(0, 1))[0])) == c)
      return true;
  return false;
}

void TGxStringsColumn::Assign(const TGxCustomColumn& Src) {
  TGxTextColumn::Assign(Src);
  if (auto* s = dynamic_cast<const TGxStringsColumn*>(&Src)) {
    DropDownCount = s->DropDownCount;
    SetItems(s->items_);
  }
}

bool TGxComboBoxColumn::IsKeyAcceptable(char16_t C) const {
  return Style == cbsDropDownList ? IsItemInitial(C) : C > 32;
}

void TGxComboBoxColumn::Assign(const TGxCustomColumn& Src) {
  TGxStringsColumn::Assign(Src);
  if (auto* s = dynamic_cast<const TGxComboBoxColumn*>(&Src)) {
    DataMode = s->DataMode;
    Style = s->Style;
  }
}

TGxListColumn::TGxListColumn(std::string Name) : TGxStringsColumn(std::move(Name)) {
  DefaultValue = u"0";
  sortType_ = stNumeric;
  SetCellKind(ckInteger);
}

WideString TGxListColumn::GetDrawText(const TCellInfo& Info) const {
  const int i = Info.AsInteger;
  if (i < 0 || i >= static_cast<int>(Items().size())) return {};
  return TextBefore() + Items()[static_cast<size_t>(i)] + TextAfter();
}

WideString TGxListColumn::GetInputDrawText() const {
  int32_t i;
  if (InputValue().empty() || !gx::TryParseInt(gx::A(InputValue()), i)) return {};
  if (i < 0 || i >= static_cast<int>(Items().size())) return {};
  return Items()[static_cast<size_t>(i)];
}

TGxCheckBoxColumn::TGxCheckBoxColumn(std::string Name) : TGxCustomColumn(std::move(Name)) {
  sortType_ = stBoolean;
  SetCellKind(ckBoolean);
}

TGxCustomNumberColumn::TGxCustomNumberColumn(std::string Name) : TGxCustomColumn(std::move(Name)) {
  sortType_ = stNumeric;
  SetCellKind(ckFloat);
}

WideString TGxCustomNumberColumn::GetDrawText(const TCellInfo& Info) const {
  const double v = Info.AsFloat;
  if (hideWhenEmpty_ && v == 0) return emptyCaption_;
  if (!formatMask_.empty()) return gx::W(gx::FormatFloatMask(formatMask_, v)) + textAfter_;
  return textBefore_ + gx::W(gx::FloatText(v)) + textAfter_;
}

bool TGxCustomNumberColumn::IsKeyAcceptable(char16_t C) const {
  if (C >= u'0' && C <= u'9') return true;
  if ((C == u'+' || C == u'-') && (EditOptions & Eo(eoAllowSigns))) return true;
  return C == u'.' && (EditOptions & Eo(eoAllowFloat));
}

void TGxCustomNumberColumn::Assign(const TGxCustomColumn& Src) {
  TGxCustomColumn::Assign(Src);
  if (auto* s = dynamic_cast<const TGxCustomNumberColumn*>(&Src)) {
    emptyCaption_ = s->emptyCaption_;
    formatMask_ = s->formatMask_;
    hideWhenEmpty_ = s->hideWhenEmpty_;
    Max = s->Max;
    Min = s->Min;
    textAfter_ = s->textAfter_;
    textBefore_ = s->textBefore_;
    Refresh(cpCells);
  }
}

TGxNumberColumn::TGxNumberColumn(std::string Name) : TGxCustomNumberColumn(std::move(Name)) {
  alignment_ = taRightJustify;
  DefaultValue = u"0";
}

void TGxNumberColumn::Assign(const TGxCustomColumn& Src) {
  TGxCustomNumberColumn::Assign(Src);
  if (auto* s = dynamic_cast<const TGxNumberColumn*>(&Src)) {
    Increment = s->Increment;
    SpinButtons = s->SpinButtons;
  }
}

// ---- the collection ----

TGxColumns::~TGxColumns() {
  positions_.clear();
  for (auto& c : columns_) c->columns_ = nullptr;
  columns_.clear();
}

int TGxColumns::IndexOf(const TGxCustomColumn* C) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].get() == C) return static_cast<int>(i);
  return -1;
}

int TGxColumns::DisplayIndexOf(const TGxCustomColumn* C) const {
  for (size_t i = 0; i < positions_.size(); ++i)
    if (positions_[i] == C) return static_cast<int>(i);
  return -1;
}

TGxCustomColumn* TGxColumns::ColumnByName(const std::string& Name) const {
  const std::string n = gx::LowerCp1251(Name);
  for (auto& c : columns_)
    if (gx::LowerCp1251(c->Name) == n) return c.get();
  return nullptr;
}

int TGxColumns::VisibleCount() const {
  return static_cast<int>(std::count_if(positions_.begin(), positions_.end(),
                                        [](auto* c) { return c->Visible(); }));
}

int TGxColumns::VisibleWidth() const {
  int w = 0;
  for (auto* c : positions_)
    if (c->Visible()) w += c->Width();
  return w;
}

TGxCustomColumn* TGxColumns::FirstVisible() const {
  for (auto* c : positions_)
    if (c->Visible()) return c;
  return nullptr;
}

TGxCustomColumn* TGxColumns::LastVisible() const {
  for (auto it = positions_.rbegin(); it != positions_.rend(); ++it)
    if ((*it)->Visible()) return *it;
  return nullptr;
}

TGxCustomColumn* TGxColumns::NextEditable(TGxCustomColumn* C) const {
  for (int i = DisplayIndexOf(C) + 1; i < static_cast<int>(positions_.size()); ++i) {
    TGxCustomColumn* c = positions_[static_cast<size_t>(i)];
    if (c->Enabled && c->Visible()) return c;
  }
  return C;
}

TGxCustomColumn* TGxColumns::PriorEditable(TGxCustomColumn* C) const {
  for (int i = DisplayIndexOf(C) - 1; i >= 0; --i) {
    TGxCustomColumn* c = positions_[static_cast<size_t>(i)];
    if (c->Enabled && c->Visible()) return c;
  }
  return C;
}

TGxCustomColumn* TGxColumns::Add(std::unique_ptr<TGxCustomColumn> Column) {
  if (ColumnCount() >= kGxMaxColumns)
    throw TGxError("A grid holds at most " + std::to_string(kGxMaxColumns) + " columns");
  TGxCustomColumn* c = Column.get();
  const int index = ColumnCount();
  if (host_) host_->BeforeChange(opAdd, index);
  c->columns_ = this;
  columns_.push_back(std::move(Column));
  if (!Reading()) {
    positions_.push_back(c);
    c->position_ = static_cast<int>(positions_.size()) - 1;
    Layout(false);
    AutoSize(nullptr, true);
  }
  if (host_) host_->AfterChange(opAdd, index);
  return c;
}

void TGxColumns::ColumnRead(TGxCustomColumn* Column) {
  if (DisplayIndexOf(Column) >= 0) return;
  auto at = std::find_if(positions_.begin(), positions_.end(),
                         [&](auto* c) { return c->Position() > Column->Position(); });
  positions_.insert(at, Column);
  Layout(false);
}

void TGxColumns::Move(int From, int To) {
  if (From == To) return;
  TGxCustomColumn* c = positions_[static_cast<size_t>(From)];
  positions_.erase(positions_.begin() + From);
  positions_.insert(positions_.begin() + To, c);
  Layout(true);
  c->Notify(chPosition, From);
}

void TGxColumns::Remove(TGxCustomColumn* Column) {
  const int index = IndexOf(Column);
  if (index < 0) return;
  if (host_) host_->BeforeChange(opRemove, index);
  const int di = DisplayIndexOf(Column);
  if (di >= 0) positions_.erase(positions_.begin() + di);
  Column->columns_ = nullptr;
  columns_.erase(columns_.begin() + index);
  if (host_ && host_->Destroying()) return;
  Layout(true);
  AutoSize(nullptr, true);
  if (host_) host_->AfterChange(opRemove, index);
}

void TGxColumns::Layout(bool Renumber) {
  fixedWidth_ = 0;
  for (int i = 0; i < fixedCols_ && i < static_cast<int>(positions_.size()); ++i)
    if (positions_[static_cast<size_t>(i)]->Visible())
      fixedWidth_ += positions_[static_cast<size_t>(i)]->Width();
  int x = host_ && host_->IndicatorShown() ? kGxIndicatorWidth : 0;
  int vi = 0;
  for (size_t i = 0; i < positions_.size(); ++i) {
    TGxCustomColumn* c = positions_[i];
    if (Renumber) c->position_ = static_cast<int>(i);
    c->left_ = x;
    if (c->Visible()) {
      x += c->Width();
      c->visibleIndex_ = vi++;
    } else {
      c->visibleIndex_ = -1;
    }
  }
}

void TGxColumns::AutoSize(TGxCustomColumn* Column, bool Inclusive) {
  if (Reading() || autoSizing_ || !host_) return;
  const bool indicator = host_->IndicatorShown();
  const int w = host_->ClientWidth() - (indicator ? kGxIndicatorWidth : 0);
  int start = 0, b = 0;
  if (Column) {
    start = DisplayIndexOf(Column);
    if (start < 0) return;
    if (Inclusive) {
      b = Column->Left();
    } else {
      ++start;
      b = Column->Visible() ? Column->Left() + Column->Width() : Column->Left();
    }
    if (indicator) b -= kGxIndicatorWidth;
  }
  long long f = 0, a = 0;
  for (size_t i = static_cast<size_t>(start); i < positions_.size(); ++i) {
    const TGxCustomColumn* c = positions_[i];
    if (!c->Visible()) continue;
    (c->HasOption(coAutoSize) ? a : f) += c->Width();
  }
  if (a == 0) return;
  const double free = static_cast<double>(w - b - f);
  autoSizing_ = true;
  std::vector<std::pair<TGxCustomColumn*, int>> changed;
  for (size_t i = static_cast<size_t>(start); i < positions_.size(); ++i) {
    TGxCustomColumn* c = positions_[i];
    if (!c->Visible() || !c->HasOption(coAutoSize)) continue;
    const int old = c->Width();
    c->StoreWidth(gx::RoundInt(static_cast<double>(old) / static_cast<double>(a) * free), false);
    if (c->Width() != old) changed.emplace_back(c, c->Width() - old);
  }
  Layout(false);
  for (auto& [c, d] : changed) c->Notify(chWidth, d);
  autoSizing_ = false;
}

void TGxColumns::SetFixedCols(int N) {
  fixedCols_ = N;
  Layout(false);
}
