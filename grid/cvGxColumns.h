// A grid's columns: the collection TGxColumns (creation order = column index, display order by
// Position), layout, auto-size and sort state, and the column kinds the main window uses (text,
// number, check box, list, combo box). What a column asks of its grid comes through
// TGxColumnsHost; the row store keeps one typed cell per column and row (grid/cvGxCells.h).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/cvGxCells.h"
#include "grid/cvGxTypes.h"

class TGxCustomColumn;

// Column options; the bit of an option is its value's order.
enum TColumnOption : int {
  coAutoSize, coCanClick, coCanInput, coCanSort, coDisableMoving, coDontHighlight, coEditing,
  coEditorAutoSelect, coFixedSize, coImageForIcon, coTextForCaption, coPublicUsing,
  coSearchColumn, coShowTextFitHint
};
using TColumnOptions = uint32_t;
constexpr TColumnOptions Opt(TColumnOption O) { return 1u << O; }
constexpr TColumnOptions kDefaultColumnOptions =
    Opt(coCanClick) | Opt(coCanInput) | Opt(coCanSort) | Opt(coPublicUsing);

enum TGxNumberEditOption : int {
  eoAllowAll, eoAllowFloat, eoAllowSigns, eoDisablePaste, eoDisableTyping
};
using TGxNumberEditOptions = uint32_t;
constexpr TGxNumberEditOptions Eo(TGxNumberEditOption O) { return 1u << O; }

// Notifications a column sends to its grid (kind, with param).
enum TGxColumnChange : int {
  chInputValue = 1, chPosition = 2, chSlideBounds = 3, chSort = 4, chSortOrder = 5,
  chAppearance = 6, chVisibility = 7, chUnsort = 8, chWidth = 9
};
// Operations of the collection's before- and after-change events.
enum TGxColumnsOperation : int { opAdd = 0, opRemove = 1 };
// What of a column is repainted.
enum TGxColumnPart : int { cpWhole, cpCells, cpHeader, cpFooter };

// Behaviour flags a column class reports.
enum TGxColumnBehaviour : uint32_t {
  cbEditable = 1, cbBestFit = 2, cbNotSortable = 4, cbPlayWithoutEditing = 8,
  cbEditorKeepsEnter = 16, cbEditorWindowPlacement = 32
};
// Edit abilities: the cells can be edited, the input-row cell can be edited.
enum TGxEditAbility : uint32_t { eaEdit = 1, eaInput = 2 };
// The built-in in-place editor of a column kind.
enum TGxEditorKind { ekNone, ekEdit, ekSpinEdit, ekPopupEdit, ekComboBox };

// The width of the indicator column.
constexpr int kGxIndicatorWidth = 12;

// What the columns ask of their grid.
class TGxColumnsHost {
 public:
  virtual ~TGxColumnsHost() = default;
  virtual int ClientWidth() = 0;
  // The indicator column is shown (report style with the indicator option).
  virtual bool IndicatorShown() = 0;
  // The grid is being read from the form: notifications held, display order by Position.
  virtual bool Reading() = 0;
  // A column's property changed.
  virtual void ColumnChange(TGxCustomColumn* Column, TGxColumnChange Kind, int Param) = 0;
  // A column is about to be / has been added or removed: the row store follows.
  virtual void BeforeChange(TGxColumnsOperation Op, int Index) = 0;
  virtual void AfterChange(TGxColumnsOperation Op, int Index) = 0;
  virtual void RefreshColumn(TGxCustomColumn* Column, TGxColumnPart Part) = 0;
  // Width of the text in the font, for best fit.
  virtual int TextWidth(const TGxFont& Font, const WideString& Text) = 0;
  // The grid is being destroyed.
  virtual bool Destroying() { return false; }
};

// The common part of a header and a footer.
class TColumnPart {
 public:
  explicit TColumnPart(TGxCustomColumn* Column, uint32_t Color) : column_(Column), color_(Color) {}
  virtual ~TColumnPart() = default;
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& C);
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t C);
  TDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TDisplayMode M);
  WideString Hint;
  std::function<void()> OnChange;
  TGxCustomColumn* Column() const { return column_; }
  void Assign(const TColumnPart& Src);

 protected:
  void Change();
  TGxCustomColumn* column_;
  WideString caption_;
  uint32_t color_;
  TDisplayMode displayMode_ = dmTextOnly;
};

class TColumnHeader : public TColumnPart {
 public:
  explicit TColumnHeader(TGxCustomColumn* Column);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment A);
  bool HideArrow() const { return hideArrow_; }
  void SetHideArrow(bool V);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool V);
  int Orientation() const { return orientation_; }
  void SetOrientation(int V);
  void Assign(const TColumnHeader& Src);

 private:
  void Repaint();
  TAlignment alignment_ = taLeftJustify;
  bool hideArrow_ = true, multiLine_ = false;
  int orientation_ = 0;
};

class TColumnFooter : public TColumnPart {
 public:
  explicit TColumnFooter(TGxCustomColumn* Column);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment A);
  TFormulaKind FormulaKind() const { return formulaKind_; }
  void SetFormulaKind(TFormulaKind K);
  const std::string& FormatMask() const { return formatMask_; }
  void SetFormatMask(const std::string& M);
  const WideString& TextAfter() const { return textAfter_; }
  void SetTextAfter(const WideString& T);
  const WideString& TextBefore() const { return textBefore_; }
  void SetTextBefore(const WideString& T);
  // The computed footer value (the grid computes it).
  WideString Value;
  void Assign(const TColumnFooter& Src);

 private:
  TAlignment alignment_ = taLeftJustify;
  TFormulaKind formulaKind_ = fkNone;
  std::string formatMask_;
  WideString textAfter_, textBefore_;
};

struct TGxSlideBounds {
  int Left = 8, Top = 8, Width = 80, Height = 16;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool operator==(const TGxSlideBounds&) const = default;
};

class TGxColumns;

// The column base.
class TGxCustomColumn {
 public:
  explicit TGxCustomColumn(std::string Name = {});
  virtual ~TGxCustomColumn();
  TGxCustomColumn(const TGxCustomColumn&) = delete;
  TGxCustomColumn& operator=(const TGxCustomColumn&) = delete;

  // Component name (ColumnByName ignores its case).
  std::string Name;
  TGxColumns* Columns() const { return columns_; }
  // Index in creation order (the column index of cells, events and keys); -1 when alone.
  int Index() const;

  // ---- published properties ----
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment A) { alignment_ = A; Appearance(); }
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode M) { biDiMode_ = M; Appearance(); }
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t C) { color_ = C; Appearance(); }
  int Cursor() const { return cursor_; }
  void SetCursor(int C) { cursor_ = C; Appearance(); }
  WideString DefaultValue;
  int DefaultWidth = 80;
  TDrawingOptions DrawingOptions() const { return drawingOptions_; }
  void SetDrawingOptions(TDrawingOptions D) { drawingOptions_ = D; Appearance(); }
  bool Enabled = true;
  const TGxFont& Font() const { return font_; }
  // Sets the column's own font (ParentFont cleared).
  void SetFont(const TGxFont& F);
  // The grid's font changed: followed while ParentFont is set.
  void ParentFontChanged(const TGxFont& GridFont);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool V) { parentFont_ = V; }
  TColumnFooter& Footer() { return footer_; }
  const TColumnFooter& Footer() const { return footer_; }
  TColumnHeader& Header() { return header_; }
  const TColumnHeader& Header() const { return header_; }
  // An editor on the form that replaces the column's own editor (not owned).
  void* InplaceEdit = nullptr;
  const WideString& InputCaption() const { return inputCaption_; }
  void SetInputCaption(const WideString& C) { inputCaption_ = C; Appearance(); }
  TColumnOptions Options() const { return options_; }
  bool HasOption(TColumnOption O) const { return (options_ & Opt(O)) != 0; }
  void SetOptions(TColumnOptions O);
  bool ParentCellColor() const { return parentCellColor_; }
  void SetParentCellColor(bool V) { parentCellColor_ = V; Refresh(cpCells); }
  int Position() const { return position_; }
  void SetPosition(int P);
  const TGxSlideBounds& SlideBounds() const { return slideBounds_; }
  void SetSlideBounds(const TGxSlideBounds& B);
  const WideString& SlideCaption() const { return slideCaption_; }
  void SetSlideCaption(const WideString& C) { slideCaption_ = C; Refresh(cpWhole); }
  TSlideCaptionLocation SlideCaptionLocation() const { return slideCaptionLocation_; }
  void SetSlideCaptionLocation(TSlideCaptionLocation L) { slideCaptionLocation_ = L; Appearance(); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool V);
  TSortKind SortKind() const { return sortKind_; }
  void SetSortKind(TSortKind K) { sortKind_ = K; Notify(chSortOrder, 0); }
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType T) { sortType_ = T; Notify(chSortOrder, 0); }
  int Tag = 0;
  TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TVerticalAlignment V) { verticalAlignment_ = V; Appearance(); }
  bool Visible() const { return visible_; }
  void SetVisible(bool V);
  int Width() const { return width_; }
  // At least 8; lays out, reports the change and lets auto-sized columns to the right absorb it.
  void SetWidth(int W);
  TWrapKind WrapKind() const { return wrapKind_; }
  void SetWrapKind(TWrapKind K) { wrapKind_ = K; Refresh(cpCells); }

  // ---- run-time state ----
  int Left() const { return left_; }
  int VisibleIndex() const { return visibleIndex_; }
  const WideString& InputValue() const { return inputValue_; }
  void SetInputValue(const WideString& V) { inputValue_ = V; Notify(chInputValue, 0); }
  int CellKind() const { return cellKind_; }

  // ---- kind-dependent operations ----
  virtual TGxEditorKind GetInplaceEditKind() const { return ekNone; }
  // Only check-box columns have a cell play here.
  virtual bool HasPlay() const { return false; }
  // {eaEdit, eaInput} as the options allow; empty when disabled or not editable at all.
  uint32_t GetEditAbilities() const;
  virtual uint32_t GetBehaviour() const { return 0; }
  // Width the text needs for best fit: text width + 6, at least 8.
  virtual int GetTextWidth(const WideString& Text) const;
  virtual bool IsMultiLine() const { return false; }
  // The text drawn for a cell.
  virtual WideString GetDrawText(const TCellInfo& Info) const { return Info.AsString; }
  // The text drawn in the input row.
  virtual WideString GetInputDrawText() const { return inputValue_; }
  // Whether a typed character opens the editor.
  virtual bool IsKeyAcceptable(char16_t) const { return false; }

  // A virtual cell's text: asked of and handed to the column.
  std::function<WideString(int Col, int Row)> OnGetCellText;
  std::function<void(int Col, int Row, const WideString&)> OnSetCellText;
  WideString GetCellText(int Col, int Row) const;
  void SetCellText(int Col, int Row, const WideString& Text);

  // Copies the settings of a column of the same class (each through its setter).
  virtual void Assign(const TGxCustomColumn& Src);

  // Sends a notification to the grid unless it is being read.
  void Notify(TGxColumnChange Kind, int Param);
  void Refresh(TGxColumnPart Part);

 protected:
  void SetCellKind(int K) { cellKind_ = K; }
  void Appearance() { Notify(chAppearance, 0); }
  TGxColumnsHost* Host() const;
  bool Reading() const;

  TAlignment alignment_ = taLeftJustify;
  TSortType sortType_ = stAlphabetic;
  TColumnOptions options_ = kDefaultColumnOptions;

 private:
  friend class TGxColumns;
  void StoreWidth(int W, bool Report);

  TGxColumns* columns_ = nullptr;
  TBiDiMode biDiMode_ = bdLeftToRight;
  uint32_t color_ = 0xFF000005;  // clWindow
  int cursor_ = 0;
  TDrawingOptions drawingOptions_ = doNormal;
  TGxFont font_;
  bool parentFont_ = true;
  TColumnFooter footer_{this};
  TColumnHeader header_{this};
  WideString inputCaption_;
  bool parentCellColor_ = false;
  int position_ = -1;
  TGxSlideBounds slideBounds_;
  WideString slideCaption_;
  TSlideCaptionLocation slideCaptionLocation_ = clTop;
  bool sorted_ = false;
  TSortKind sortKind_ = skAscending;
  TVerticalAlignment verticalAlignment_ = taVerticalCenter;
  bool visible_ = true;
  int width_ = 80;
  TWrapKind wrapKind_ = wkEllipsis;
  int left_ = 0, visibleIndex_ = -1;
  WideString inputValue_;
  int cellKind_ = ckString;
};

class TGxTextColumn : public TGxCustomColumn {
 public:
  explicit TGxTextColumn(std::string Name = {});
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int N) { maxLength_ = N; Refresh(cpCells); }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool V) { multiLine_ = V; Refresh(cpCells); }
  const WideString& TextAfter() const { return textAfter_; }
  void SetTextAfter(const WideString& T) { textAfter_ = T; Refresh(cpCells); }
  const WideString& TextBefore() const { return textBefore_; }
  void SetTextBefore(const WideString& T) { textBefore_ = T; Refresh(cpCells); }

  TGxEditorKind GetInplaceEditKind() const override { return ekEdit; }
  uint32_t GetBehaviour() const override { return cbEditable | cbBestFit; }
  int GetTextWidth(const WideString& Text) const override;
  bool IsMultiLine() const override { return multiLine_; }
  WideString GetDrawText(const TCellInfo& Info) const override;
  bool IsKeyAcceptable(char16_t C) const override { return C > 32; }
  void Assign(const TGxCustomColumn& Src) override;

 private:
  int maxLength_ = 0;
  bool multiLine_ = false;
  WideString textAfter_, textBefore_;
};

class TGxPopupColumn : public TGxTextColumn {
 public:
  using TGxTextColumn::TGxTextColumn;
  TGxEditorKind GetInplaceEditKind() const override { return ekPopupEdit; }
  std::function<void(TGxCustomColumn*)> OnCloseUp, OnSelect;
};

class TGxStringsColumn : public TGxPopupColumn {
 public:
  using TGxPopupColumn::TGxPopupColumn;
  TDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TDisplayMode M) { displayMode_ = M; Refresh(cpWhole); }
  int DropDownCount = 8;
  void* Images = nullptr;
  const std::vector<WideString>& Items() const { return items_; }
  // The list is replaced by a copy; no repaint.
  void SetItems(const std::vector<WideString>& Items) { items_ = Items; }
  void Assign(const TGxCustomColumn& Src) override;

 protected:
  // Some item begins with the character (case-insensitive; an empty item matches nothing).
  bool IsItemInitial(char16_t C) const;

 private:
  TDisplayMode displayMode_ = dmTextOnly;
  std::vector<WideString> items_;
};

class TGxComboBoxColumn : public TGxStringsColumn {
 public:
  using TGxStringsColumn::TGxStringsColumn;
  TItemsDisplayMode DataMode = dmDefault;
  TCompoBoxStyle Style = cbsDropDown;
  TGxEditorKind GetInplaceEditKind() const override { return ekComboBox; }
  bool IsKeyAcceptable(char16_t C) const override;
  void Assign(const TGxCustomColumn& Src) override;
};

// The cell holds the item index; it shows the item.
class TGxListColumn : public TGxStringsColumn {
 public:
  explicit TGxListColumn(std::string Name = {});
  TGxEditorKind GetInplaceEditKind() const override { return ekComboBox; }
  WideString GetDrawText(const TCellInfo& Info) const override;
  WideString GetInputDrawText() const override;
  bool IsKeyAcceptable(char16_t C) const override { return IsItemInitial(C); }
};

class TGxCheckBoxColumn : public TGxCustomColumn {
 public:
  explicit TGxCheckBoxColumn(std::string Name = {});
  bool HasPlay() const override { return true; }
  uint32_t GetBehaviour() const override { return cbEditable | cbBestFit; }
};

class TGxCustomNumberColumn : public TGxCustomColumn {
 public:
  explicit TGxCustomNumberColumn(std::string Name = {});
  TGxNumberEditOptions EditOptions = Eo(eoAllowFloat);
  const WideString& EmptyCaption() const { return emptyCaption_; }
  void SetEmptyCaption(const WideString& C) { emptyCaption_ = C; Refresh(cpCells); }
  // A float format pattern (grid/cvGxNum.h).
  const std::string& FormatMask() const { return formatMask_; }
  void SetFormatMask(const std::string& M) { formatMask_ = M; Refresh(cpCells); }
  bool HideWhenEmpty() const { return hideWhenEmpty_; }
  void SetHideWhenEmpty(bool V) { hideWhenEmpty_ = V; Refresh(cpCells); }
  double Max = 0, Min = 0;
  const WideString& TextAfter() const { return textAfter_; }
  void SetTextAfter(const WideString& T) { textAfter_ = T; Refresh(cpCells); }
  const WideString& TextBefore() const { return textBefore_; }
  void SetTextBefore(const WideString& T) { textBefore_ = T; Refresh(cpCells); }

  uint32_t GetBehaviour() const override { return cbEditable | cbBestFit; }
  WideString GetDrawText(const TCellInfo& Info) const override;
  bool IsKeyAcceptable(char16_t C) const override;
  void Assign(const TGxCustomColumn& Src) override;

 private:
  WideString emptyCaption_;
  std::string formatMask_;
  bool hideWhenEmpty_ = false;
  WideString textAfter_, textBefore_;
};

class TGxNumberColumn : public TGxCustomNumberColumn {
 public:
  explicit TGxNumberColumn(std::string Name = {});
  double Increment = 1.0;
  int Precision = 0;
  bool SpinButtons = true;
  TGxEditorKind GetInplaceEditKind() const override { return ekSpinEdit; }
  void Assign(const TGxCustomColumn& Src) override;
};

// The column collection.
class TGxColumns {
 public:
  explicit TGxColumns(TGxColumnsHost* Host) : host_(Host) {}
  ~TGxColumns();
  TGxColumns(const TGxColumns&) = delete;
  TGxColumns& operator=(const TGxColumns&) = delete;

  TGxColumnsHost* Host() const { return host_; }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TGxCustomColumn* Column(int I) const { return columns_[static_cast<size_t>(I)].get(); }
  TGxCustomColumn* ColumnAtPosition(int I) const { return positions_[static_cast<size_t>(I)]; }
  int IndexOf(const TGxCustomColumn* C) const;
  int DisplayIndexOf(const TGxCustomColumn* C) const;
  // First column in creation order whose name equals Name ignoring case; null when none.
  TGxCustomColumn* ColumnByName(const std::string& Name) const;
  int VisibleCount() const;
  int VisibleWidth() const;
  TGxCustomColumn* FirstVisible() const;
  TGxCustomColumn* LastVisible() const;
  TGxCustomColumn* NextEditable(TGxCustomColumn* C) const;
  TGxCustomColumn* PriorEditable(TGxCustomColumn* C) const;
  bool IsValidIndex(int I) const { return I >= 0 && I < ColumnCount(); }

  // Appends a column (both orders; while the grid is read, the creation order only until
  // ColumnRead). A column beyond kGxMaxColumns raises TGxError and is not added.
  TGxCustomColumn* Add(std::unique_ptr<TGxCustomColumn> Column);
  template <class T>
  T* Add(std::string Name) {
    return static_cast<T*>(Add(std::make_unique<T>(std::move(Name))));
  }
  // A column read from the form takes its place in the display order by its Position.
  void ColumnRead(TGxCustomColumn* Column);
  // Moves the column at display position From to To and renumbers the positions.
  void Move(int From, int To);
  // Removes and frees the column.
  void Remove(TGxCustomColumn* Column);
  void Layout(bool Renumber);
  // Shares the free client width among the visible auto-sized columns from Column (inclusive or
  // after it; all when null).
  void AutoSize(TGxCustomColumn* Column = nullptr, bool Inclusive = true);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int N);
  int FixedWidth() const { return fixedWidth_; }

 private:
  bool Reading() const { return host_ && host_->Reading(); }
  TGxColumnsHost* host_;
  std::vector<std::unique_ptr<TGxCustomColumn>> columns_;
  std::vector<TGxCustomColumn*> positions_;
  int fixedCols_ = 0, fixedWidth_ = 0;
  bool autoSizing_ = false;
};
