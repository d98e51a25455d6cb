// The grid's row store: one TRow per row and, per column, one typed cell per row. A cell holds
// one value in its own type and converts it to and from Boolean, date-time, float, integer and
// (wide) text; number and date-time text is locale-free (grid/cvGxNum.h). The store trusts its
// indexes: the grid checks them.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "grid/cvGxTypes.h"

class TCells;
class TGxColumns;

// Cell kinds of a column.
enum TCellKind : int {
  ckIncrement = 0, ckBoolean = 1, ckDateTime = 3, ckFloat = 4, ckObject = 5, ckGuid = 6,
  ckInteger = 7, ckString = 8, ckVirtual = 10
};

// The most columns a store holds.
constexpr int kGxMaxColumns = 1025;

struct TGuid {
  uint32_t D1 = 0;
  uint16_t D2 = 0, D3 = 0;
  std::array<uint8_t, 8> D4{};
  bool operator==(const TGuid&) const = default;
};
// Registry form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper-case digits.
std::string GuidToString(const TGuid& G);
// Reads the registry form (either letter case); TGxConvertError otherwise.
TGuid StringToGuid(const WideString& S);
TGuid NewGuid();

// One cell's value in all the forms a display or a column's text routine may need; the fields
// of other kinds stay zero or empty.
struct TCellInfo {
  bool AsBoolean = false;
  double AsDateTime = 0;
  double AsFloat = 0;
  int32_t AsInteger = 0;
  WideString AsString;
  void* ObjectReference = nullptr;
};

// One row.
struct TRow {
  int32_t ChildCount = 0;
  bool Expanded = true;
  int32_t Level = 0;
  TRow* ParentRow = nullptr;
  int32_t Height = 16;
  bool Selected = false;
  bool ParentsExpanded = true;
  bool Visible = true;
  bool Shown() const { return Visible && ParentsExpanded; }
};

// What the store asks of its grid: the display colours of a cell position.
class TCellsGrid {
 public:
  virtual ~TCellsGrid() = default;
  virtual uint32_t DisplayColor(int Col, int Row) = 0;
  virtual uint32_t DisplayTextColor(int Col, int Row) = 0;
};

// The typed cell's base: getters and setters do nothing but Changed (setters); each typed cell
// overrides them. Setters store the value and then report the change.
class TCell {
 public:
  explicit TCell(TCells* Cells) : Cells(Cells) {}
  virtual ~TCell() = default;
  TCell(const TCell&) = delete;
  TCell& operator=(const TCell&) = delete;

  virtual uint32_t DisplayColor();
  virtual uint32_t DisplayTextColor();
  virtual bool GetAsBoolean() { return false; }
  virtual double GetAsDateTime() { return 0; }
  virtual double GetAsFloat() { return 0; }
  virtual int32_t GetAsInteger() { return 0; }
  virtual WideString GetAsString() { return {}; }
  // Reports the change of value at the store's current position and clears its Sorted.
  virtual void Changed();
  virtual void SetAsBoolean(bool) { Changed(); }
  virtual void SetAsDateTime(double) { Changed(); }
  virtual void SetAsFloat(double) { Changed(); }
  virtual void SetAsInteger(int32_t) { Changed(); }
  virtual void SetAsString(const WideString&) { Changed(); }
  // Resets the value (False, 0, 0.0, empty) and reports the change.
  virtual void Clear() { Changed(); }

  // The text in code page 1251, at the program's side of the grid.
  std::string GetAsText() { return gx::A(GetAsString()); }
  void SetAsText(const std::string& Cp1251) { SetAsString(gx::W(Cp1251)); }

  uint32_t Color() const { return color_; }
  // A change of colour is reported unless the cell is being initialised.
  void SetColor(uint32_t C);

  TCells* Cells;
  void* ObjectReference = nullptr;
  TFontStyles FontStyle = 0;
  bool Initializing = true;
  WideString Hint;

 private:
  uint32_t color_ = 0xFF000005;  // clWindow
};

class TBooleanCell : public TCell {
 public:
  using TCell::TCell;
  bool GetAsBoolean() override { return Value; }
  double GetAsFloat() override { return Value ? 1.0 : 0.0; }
  int32_t GetAsInteger() override { return Value ? 1 : 0; }
  WideString GetAsString() override { return Value ? u"True" : u"False"; }
  void SetAsBoolean(bool V) override { Value = V; Changed(); }
  void SetAsDateTime(double) override { Value = false; Changed(); }
  void SetAsFloat(double V) override { Value = V != 0; Changed(); }
  void SetAsInteger(int32_t V) override { Value = V != 0; Changed(); }
  // True only for "true" in any letter case.
  void SetAsString(const WideString& S) override;
  void Clear() override { Value = false; Changed(); }
  bool Value = false;
};

class TDateTimeCell : public TCell {
 public:
  using TCell::TCell;
  double GetAsDateTime() override { return Value; }
  double GetAsFloat() override { return Value; }
  int32_t GetAsInteger() override;
  WideString GetAsString() override;
  // Today's date whatever the Boolean.
  void SetAsBoolean(bool) override;
  void SetAsDateTime(double V) override { Value = V; Changed(); }
  void SetAsFloat(double V) override { Value = V; Changed(); }
  void SetAsInteger(int32_t V) override { Value = V; Changed(); }
  // Empty or unreadable text gives 0.
  void SetAsString(const WideString& S) override;
  void Clear() override { Value = 0; Changed(); }
  double Value = 0;
};

class TFloatCell : public TCell {
 public:
  using TCell::TCell;
  double GetAsDateTime() override { return Value; }
  double GetAsFloat() override { return Value; }
  int32_t GetAsInteger() override;
  WideString GetAsString() override;
  void SetAsBoolean(bool) override { Value = 0; Changed(); }
  void SetAsDateTime(double V) override { Value = V; Changed(); }
  void SetAsFloat(double V) override { Value = V; Changed(); }
  void SetAsInteger(int32_t V) override { Value = V; Changed(); }
  // Unreadable or empty text raises TGxConvertError and keeps the value.
  void SetAsString(const WideString& S) override;
  void Clear() override { Value = 0; Changed(); }
  double Value = 0;
};

class TIntegerCell : public TCell {
 public:
  using TCell::TCell;
  bool GetAsBoolean() override { return Value > 0; }
  double GetAsFloat() override { return Value; }
  int32_t GetAsInteger() override { return Value; }
  WideString GetAsString() override;
  void SetAsBoolean(bool V) override { Value = V ? 1 : 0; Changed(); }
  void SetAsDateTime(double) override { Value = 0; Changed(); }
  void SetAsFloat(double V) override;
  void SetAsInteger(int32_t V) override { Value = V; Changed(); }
  // Empty text gives 0; unreadable text raises.
  void SetAsString(const WideString& S) override;
  void Clear() override { Value = 0; Changed(); }
  int32_t Value = 0;
};

class TStringCell : public TCell {
 public:
  using TCell::TCell;
  bool GetAsBoolean() override;
  double GetAsDateTime() override;
  double GetAsFloat() override;
  int32_t GetAsInteger() override;
  WideString GetAsString() override { return Value; }
  void SetAsBoolean(bool V) override { Value = V ? u"True" : u"False"; Changed(); }
  void SetAsDateTime(double V) override;
  void SetAsFloat(double V) override;
  void SetAsInteger(int32_t V) override;
  void SetAsString(const WideString& S) override { Value = S; Changed(); }
  void Clear() override { Value.clear(); Changed(); }
  WideString Value;
};

// Getters and setters other than text go through the text.
class TTextualCell : public TCell {
 public:
  using TCell::TCell;
  bool GetAsBoolean() override;
  double GetAsDateTime() override;
  double GetAsFloat() override;
  int32_t GetAsInteger() override;
  void SetAsBoolean(bool V) override { SetAsString(V ? u"True" : u"False"); }
  void SetAsDateTime(double V) override;
  void SetAsFloat(double V) override;
  void SetAsInteger(int32_t V) override;
};

class TGuidCell : public TTextualCell {
 public:
  explicit TGuidCell(TCells* Cells) : TTextualCell(Cells), Value(NewGuid()) {}
  WideString GetAsString() override { return gx::W(GuidToString(Value)); }
  // Registry form only; other text raises.
  void SetAsString(const WideString& S) override;
  void Clear() override { Value = TGuid{}; Changed(); }
  TGuid Value;
};

// Its value is its row index plus 1; setting stores nothing but still reports.
class TIncrementCell : public TCell {
 public:
  using TCell::TCell;
  double GetAsFloat() override { return GetAsInteger(); }
  int32_t GetAsInteger() override;
  WideString GetAsString() override;
};

// Its text is asked of its column, and handed to it.
class TVirtualCell : public TTextualCell {
 public:
  using TTextualCell::TTextualCell;
  WideString GetAsString() override;
  void SetAsString(const WideString& S) override;
};

// The row store.
class TCells {
 public:
  // Columns: the grid's column collection (cell kinds, font styles, colours, virtual text);
  // Grid: display colours (may be null).
  TCells(TGxColumns* Columns, TCellsGrid* Grid = nullptr, int32_t RowHeight = 16);
  ~TCells();
  TCells(const TCells&) = delete;
  TCells& operator=(const TCells&) = delete;

  int ColCount() const { return static_cast<int>(lists_.size()); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int VisibleRowCount() const { return visibleRows_; }

  // The cell of (Col, Row), recorded as the current position.
  TCell* GetCell(int Col, int Row);
  TRow* GetRow(int Row) { return rows_[static_cast<size_t>(Row)].get(); }
  int IndexOfRow(const TRow* R) const;
  // The cell's value in all forms, by the column's cell kind.
  TCellInfo GetCellInfo(int Col, int Row);

  void AddRows(int N);
  void InsertRow(int Index);
  void AddChildRow(int Parent, int Index);
  void DeleteRow(int Index);
  void ClearRows();
  void MoveRow(int From, int To);
  void ExchangeRows(int A, int B);
  void SetRowVisible(int Index, bool Value);
  void SetRowParentsExpanded(int Index, bool Value);
  int DescendantCount(int Index) const;
  int ChildRunCount(int Index) const;

  // Sorts the rows by column Col. The same column in the other direction with no change in
  // between reverses the rows; otherwise a full quicksort (equal keys in no defined order).
  // NaN sorts after every number.
  void Sort(int Col, TSortType SortType, bool Descending);

  // Kept in step with the column collection: 0 appends a column, 1 deletes column Index (the
  // last column takes every row with it), 2 drops all column lists, 3 inserts a column at
  // Index, 4 moves column Index to Index2. A column beyond kGxMaxColumns raises TGxError.
  enum { ccAdd = 0, ccDelete = 1, ccClear = 2, ccInsert = 3, ccMove = 4 };
  void ColumnsChanged(int Kind, int Index = 0, int Index2 = 0);

  TGxColumns* Columns;
  TCellsGrid* Grid;
  int32_t RowHeight;
  int CurrentCol = 0, CurrentRow = 0;
  bool Sorted = false;
  int SortColumn = -1;
  bool SortDescending = false;
  // Raised when a cell value changes.
  std::function<void(TCells&, int Col, int Row)> OnCellChange;
  // The stCustom sort's comparison: Compare < 0, 0 or > 0 as Cell1 is before, equal or after.
  std::function<void(TCells&, TCell* Cell1, TCell* Cell2, int& Compare)> OnCompare;

 private:
  friend class TCell;
  std::unique_ptr<TCell> NewCell(int Col);
  int CellKindOf(int Col) const;
  void QuickSort(int Col, int Lo, int Hi, int (*Cmp)(TCells&, TCell*, TCell*), bool Desc);
  void SwapRowsRaw(int A, int B);

  std::vector<std::vector<std::unique_ptr<TCell>>> lists_;
  std::vector<std::unique_ptr<TRow>> rows_;
  int visibleRows_ = 0;
  std::minstd_rand rnd_{20091};
};
