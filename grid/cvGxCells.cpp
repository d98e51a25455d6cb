// Typed cells and the row store.
#include "grid/cvGxCells.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "foundation/cvDate.h"
#include "grid/cvGxColumns.h"
#include "grid/cvGxNum.h"

// ---- GUID ----

std::string GuidToString(const TGuid& G) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", G.D1, G.D2,
                G.D3, G.D4[0], G.D4[1], G.D4[2], G.D4[3], G.D4[4], G.D4[5], G.D4[6], G.D4[7]);
  return buf;
}

TGuid StringToGuid(const WideString& S) {
  const std::string s = gx::A(S);
  auto fail = [&]() -> TGuid { throw TGxConvertError("'" + s + "' is not a valid GUID value"); };
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return fail();
  uint8_t b[16];
  int n = 0;
  for (size_t i = 1; i < 37;) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (s[i] != '-') return fail();
      ++i;
      continue;
    }
    int v = 0;
    for (int k = 0; k < 2; ++k) {
      const char c = s[i + static_cast<size_t>(k)];
      int d = (c >= '0' && c <= '9') ? c - '0'
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
      if (d < 0) return fail();
      v = v * 16 + d;
    }
    b[n++] = static_cast<uint8_t>(v);
    i += 2;
  }
  TGuid g;
  g.D1 = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  g.D2 = static_cast<uint16_t>((b[4] << 8) | b[5]);
  g.D3 = static_cast<uint16_t>((b[6] << 8) | b[7]);
  for (int k = 0; k < 8; ++k) g.D4[static_cast<size_t>(k)] = b[8 + k];
  return g;
}

TGuid NewGuid() {
  thread_local std::mt19937_64 gen{std::random_device{}() ^
                                   static_cast<uint64_t>(std::chrono::steady_clock::now()
                                                             .time_since_epoch().count())};
  const uint64_t a = gen(), b = gen();
  TGuid g;
  g.D1 = static_cast<uint32_t>(a >> 32);
  g.D2 = static_cast<uint16_t>(a >> 16);
  g.D3 = static_cast<uint16_t>((a & 0x0FFF) | 0x4000);  // version 4
  for (int k = 0; k < 8; ++k) g.D4[static_cast<size_t>(k)] = static_cast<uint8_t>(b >> (8 * k));
  g.D4[0] = static_cast<uint8_t>((g.D4[0] & 0x3F) | 0x80);
  return g;
}

// ---- cells ----

uint32_t TCell::DisplayColor() {
  return Cells->Grid ? Cells->Grid->DisplayColor(Cells->CurrentCol, Cells->CurrentRow) : Color();
}
uint32_t TCell::DisplayTextColor() {
  return Cells->Grid ? Cells->Grid->DisplayTextColor(Cells->CurrentCol, Cells->CurrentRow)
                     : 0xFF000008;  // clWindowText
}

void TCell::Changed() {
  Cells->Sorted = false;
  if (Cells->OnCellChange) Cells->OnCellChange(*Cells, Cells->CurrentCol, Cells->CurrentRow);
}

void TCell::SetColor(uint32_t C) {
  color_ = C;
  if (!Initializing) Changed();
}

void TBooleanCell::SetAsString(const WideString& S) {
  Value = gx::LowerCp1251(gx::A(S)) == "true";
  Changed();
}

int32_t TDateTimeCell::GetAsInteger() { return gx::RoundInt(Value); }
WideString TDateTimeCell::GetAsString() { return gx::W(gx::DateTimeText(Value)); }
void TDateTimeCell::SetAsBoolean(bool) {
  Value = std::trunc(NowDateTime());
  Changed();
}
void TDateTimeCell::SetAsString(const WideString& S) {
  try {
    Value = gx::ParseDateTime(S);
  } catch (const TGxConvertError&) {
    Value = 0;
  }
  Changed();
}

int32_t TFloatCell::GetAsInteger() { return gx::RoundInt(Value); }
WideString TFloatCell::GetAsString() { return gx::W(gx::FloatText(Value)); }
void TFloatCell::SetAsString(const WideString& S) {
  Value = gx::ParseFloat(S);  // raises before anything changes
  Changed();
}

WideString TIntegerCell::GetAsString() { return gx::W(std::to_string(Value)); }
void TIntegerCell::SetAsFloat(double V) {
  Value = gx::RoundInt(V);
  Changed();
}
void TIntegerCell::SetAsString(const WideString& S) {
  bool blank = true;
  for (char16_t c : S) blank = blank && (c == u' ' || c == u'\t');
  Value = blank ? 0 : gx::ParseInt(S);
  Changed();
}

bool TStringCell::GetAsBoolean() { return gx::ParseBool(Value); }
double TStringCell::GetAsDateTime() { return Value.empty() ? 0 : gx::ParseDateTime(Value); }
double TStringCell::GetAsFloat() { return gx::ParseFloat(Value); }
int32_t TStringCell::GetAsInteger() { return gx::ParseInt(Value); }
void TStringCell::SetAsDateTime(double V) {
  Value = gx::W(gx::DateTimeText(V));
  Changed();
}
void TStringCell::SetAsFloat(double V) {
  Value = gx::W(gx::FloatText(V));
  Changed();
}
void TStringCell::SetAsInteger(int32_t V) {
  Value = gx::W(std::to_string(V));
  Changed();
}

bool TTextualCell::GetAsBoolean() { return gx::ParseBool(GetAsString()); }
double TTextualCell::GetAsDateTime() { return gx::ParseDateTime(GetAsString()); }
double TTextualCell::GetAsFloat() { return gx::ParseFloat(GetAsString()); }
int32_t TTextualCell::GetAsInteger() { return gx::ParseInt(GetAsString()); }
void TTextualCell::SetAsDateTime(double V) { SetAsString(gx::W(gx::DateTimeText(V))); }
void TTextualCell::SetAsFloat(double V) { SetAsString(gx::W(gx::FloatText(V))); }
void TTextualCell::SetAsInteger(int32_t V) { SetAsString(gx::W(std::to_string(V))); }

void TGuidCell::SetAsString(const WideString& S) {
  Value = StringToGuid(S);
  Changed();
}

int32_t TIncrementCell::GetAsInteger() { return Cells->CurrentRow + 1; }
WideString TIncrementCell::GetAsString() { return gx::W(std::to_string(GetAsInteger())); }

WideString TVirtualCell::GetAsString() {
  const int col = Cells->CurrentCol, row = Cells->CurrentRow;
  if (!Cells->Columns || col >= Cells->Columns->ColumnCount()) return {};
  return Cells->Columns->Column(col)->GetCellText(col, row);
}
void TVirtualCell::SetAsString(const WideString& S) {
  const int col = Cells->CurrentCol, row = Cells->CurrentRow;
  if (Cells->Columns && col < Cells->Columns->ColumnCount())
    Cells->Columns->Column(col)->SetCellText(col, row, S);
  Changed();
}

// ---- the store ----

TCells::TCells(TGxColumns* Columns, TCellsGrid* Grid, int32_t RowHeight)
    : Columns(Columns), Grid(Grid), RowHeight(RowHeight) {}

TCells::~TCells() = default;

int TCells::CellKindOf(int Col) const {
  if (!Columns || Col >= Columns->ColumnCount()) return ckString;
  return Columns->Column(Col)->CellKind();
}

std::unique_ptr<TCell> TCells::NewCell(int Col) {
  std::unique_ptr<TCell> c;
  switch (CellKindOf(Col)) {
    case ckIncrement: c = std::make_unique<TIncrementCell>(this); break;
    case ckBoolean: c = std::make_unique<TBooleanCell>(this); break;
    case ckDateTime: c = std::make_unique<TDateTimeCell>(this); break;
    case ckFloat: c = std::make_unique<TFloatCell>(this); break;
    case ckGuid: c = std::make_unique<TGuidCell>(this); break;
    case ckInteger: c = std::make_unique<TIntegerCell>(this); break;
    case ckVirtual: c = std::make_unique<TVirtualCell>(this); break;
    default: c = std::make_unique<TStringCell>(this); break;
  }
  if (Columns && Col < Columns->ColumnCount()) {
    const TGxCustomColumn* col = Columns->Column(Col);
    c->FontStyle = col->Font().Style;
    c->SetColor(col->Color());
  }
  c->Initializing = false;
  return c;
}

TCell* TCells::GetCell(int Col, int Row) {
  CurrentCol = Col;
  CurrentRow = Row;
  return lists_[static_cast<size_t>(Col)][static_cast<size_t>(Row)].get();
}

int TCells::IndexOfRow(const TRow* R) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].get() == R) return static_cast<int>(i);
  return -1;
}

TCellInfo TCells::GetCellInfo(int Col, int Row) {
  TCellInfo info;
  TCell* c = GetCell(Col, Row);
  switch (CellKindOf(Col)) {
    case ckBoolean: info.AsBoolean = c->GetAsBoolean(); break;
    case ckDateTime: info.AsDateTime = c->GetAsDateTime(); break;
    case ckFloat: info.AsFloat = c->GetAsFloat(); break;
    case ckInteger: info.AsInteger = c->GetAsInteger(); break;
    case ckIncrement: info.AsInteger = Row; break;
    case ckObject: info.ObjectReference = c->ObjectReference; break;
    case ckGuid: case ckString: case ckVirtual: info.AsString = c->GetAsString(); break;
    default: break;
  }
  return info;
}

void TCells::AddRows(int N) {
  for (int k = 0; k < N; ++k) {
    auto r = std::make_unique<TRow>();
    r->Height = RowHeight;
    for (int c = 0; c < ColCount(); ++c) lists_[static_cast<size_t>(c)].push_back(NewCell(c));
    rows_.push_back(std::move(r));
    ++visibleRows_;
  }
  Sorted = false;
}

void TCells::InsertRow(int Index) {
  for (int c = 0; c < ColCount(); ++c) {
    auto& l = lists_[static_cast<size_t>(c)];
    l.insert(l.begin() + Index, NewCell(c));
  }
  auto r = std::make_unique<TRow>();
  r->Height = RowHeight;
  rows_.insert(rows_.begin() + Index, std::move(r));
  ++visibleRows_;
  Sorted = false;
}

void TCells::AddChildRow(int Parent, int Index) {
  TRow* p = rows_[static_cast<size_t>(Parent)].get();
  for (int c = 0; c < ColCount(); ++c) {
    auto& l = lists_[static_cast<size_t>(c)];
    l.insert(l.begin() + Index, NewCell(c));
  }
  auto r = std::make_unique<TRow>();
  r->Height = RowHeight;
  r->Level = p->Level + 1;
  r->ParentRow = p;
  r->ParentsExpanded = p->Expanded;
  ++p->ChildCount;
  if (r->Shown()) ++visibleRows_;
  rows_.insert(rows_.begin() + Index, std::move(r));
}

void TCells::DeleteRow(int Index) {
  TRow* r = rows_[static_cast<size_t>(Index)].get();
  if (r->Shown()) --visibleRows_;
  if (r->ParentRow) --r->ParentRow->ChildCount;
  for (auto& other : rows_)  // no row keeps a pointer to a freed row
    if (other->ParentRow == r) other->ParentRow = nullptr;
  for (auto& l : lists_) l.erase(l.begin() + Index);
  rows_.erase(rows_.begin() + Index);
}

void TCells::ClearRows() {
  for (auto& l : lists_) l.clear();
  rows_.clear();
  visibleRows_ = 0;
  Sorted = false;
}

namespace {
template <class V>
void MoveItem(V& v, int From, int To) {
  auto item = std::move(v[static_cast<size_t>(From)]);
  v.erase(v.begin() + From);
  v.insert(v.begin() + To, std::move(item));
}
}  // namespace

void TCells::MoveRow(int From, int To) {
  if (From == To) {
    Sorted = false;
    return;
  }
  MoveItem(rows_, From, To);
  for (auto& l : lists_) MoveItem(l, From, To);
  Sorted = false;
}

void TCells::SwapRowsRaw(int A, int B) {
  std::swap(rows_[static_cast<size_t>(A)], rows_[static_cast<size_t>(B)]);
  for (auto& l : lists_) std::swap(l[static_cast<size_t>(A)], l[static_cast<size_t>(B)]);
}

void TCells::ExchangeRows(int A, int B) { SwapRowsRaw(A, B); }

void TCells::SetRowVisible(int Index, bool Value) {
  TRow* r = rows_[static_cast<size_t>(Index)].get();
  if (r->Visible == Value) return;
  const bool was = r->Shown();
  r->Visible = Value;
  visibleRows_ += static_cast<int>(r->Shown()) - static_cast<int>(was);
}

void TCells::SetRowParentsExpanded(int Index, bool Value) {
  TRow* r = rows_[static_cast<size_t>(Index)].get();
  if (r->ParentsExpanded == Value) return;
  const bool was = r->Shown();
  r->ParentsExpanded = Value;
  visibleRows_ += static_cast<int>(r->Shown()) - static_cast<int>(was);
}

int TCells::DescendantCount(int Index) const {
  const int level = rows_[static_cast<size_t>(Index)]->Level;
  int n = 0;
  for (size_t i = static_cast<size_t>(Index) + 1; i < rows_.size() && rows_[i]->Level > level; ++i)
    ++n;
  return n;
}

int TCells::ChildRunCount(int Index) const {
  const int level = rows_[static_cast<size_t>(Index)]->Level;
  int n = 0;
  for (size_t i = static_cast<size_t>(Index) + 1;
       i < rows_.size() && rows_[i]->Level == level + 1; ++i)
    ++n;
  return n;
}

void TCells::ColumnsChanged(int Kind, int Index, int Index2) {
  switch (Kind) {
    case ccAdd:
    case ccInsert: {
      if (ColCount() >= kGxMaxColumns)
        throw TGxError("A grid holds at most " + std::to_string(kGxMaxColumns) + " columns");
      const int at = Kind == ccAdd ? ColCount() : Index;
      std::vector<std::unique_ptr<TCell>> l;
      l.reserve(rows_.size());
      for (size_t r = 0; r < rows_.size(); ++r) l.push_back(NewCell(at));
      lists_.insert(lists_.begin() + at, std::move(l));
      if (Kind == ccInsert) {
        Sorted = false;
        if (SortColumn >= at) ++SortColumn;
      }
      break;
    }
    case ccDelete:
      if (ColCount() == 1) ClearRows();
      lists_.erase(lists_.begin() + Index);
      // The sort state follows its column, so that another column is never taken for it.
      if (SortColumn == Index) {
        Sorted = false;
        SortColumn = -1;
      } else if (SortColumn > Index) {
        --SortColumn;
      }
      break;
    case ccClear:
      lists_.clear();
      Sorted = false;
      SortColumn = -1;
      break;
    case ccMove:
      if (Index != Index2) {
        MoveItem(lists_, Index, Index2);
        if (SortColumn == Index) SortColumn = Index2;
        else if (Index < SortColumn && SortColumn <= Index2) --SortColumn;
        else if (Index2 <= SortColumn && SortColumn < Index) ++SortColumn;
      }
      break;
    default:
      break;
  }
}

// ---- sort ----

namespace {

int Cmp3(double a, double b) {  // NaN after every number, NaNs equal
  const bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return static_cast<int>(na) - static_cast<int>(nb);
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CmpAlpha(TCells&, TCell* a, TCell* b) {
  const int r = a->GetAsString().compare(b->GetAsString());
  return (r > 0) - (r < 0);
}
int CmpBool(TCells&, TCell* a, TCell* b) {
  return static_cast<int>(a->GetAsBoolean()) - static_cast<int>(b->GetAsBoolean());
}
int CmpCaseIns(TCells&, TCell* a, TCell* b) {
  const int r = gx::LowerCp1251(a->GetAsText()).compare(gx::LowerCp1251(b->GetAsText()));
  return (r > 0) - (r < 0);
}
int CmpCustom(TCells& s, TCell* a, TCell* b) {
  int c = 0;
  if (s.OnCompare) s.OnCompare(s, a, b, c);
  return (c > 0) - (c < 0);
}
int CmpNum(TCells&, TCell* a, TCell* b) { return Cmp3(a->GetAsFloat(), b->GetAsFloat()); }
int CmpDate(TCells&, TCell* a, TCell* b) { return Cmp3(a->GetAsDateTime(), b->GetAsDateTime()); }

// Four numbers separated by full stops; characters other than digits and stops are skipped;
// numbers beyond the fourth are read past and ignored.
std::array<uint64_t, 4> IPNumbers(const WideString& s) {
  std::array<uint64_t, 4> n{};
  size_t k = 0;
  for (char16_t c : s) {
    if (c == u'.') {
      ++k;
    } else if (c >= u'0' && c <= u'9' && k < 4) {
      n[k] = std::min<uint64_t>(n[k] * 10 + static_cast<uint64_t>(c - u'0'), 0xFFFFFFFFULL);
    }
  }
  return n;
}
// The tests of this type are used the other way round: ascending puts greater keys first.
int CmpIP(TCells&, TCell* a, TCell* b) {
  const auto x = IPNumbers(a->GetAsString()), y = IPNumbers(b->GetAsString());
  for (int k = 3; k >= 0; --k)
    if (x[static_cast<size_t>(k)] != y[static_cast<size_t>(k)])
      return x[static_cast<size_t>(k)] < y[static_cast<size_t>(k)] ? 1 : -1;
  return 0;
}

}  // namespace

void TCells::QuickSort(int Col, int Lo, int Hi, int (*Cmp)(TCells&, TCell*, TCell*), bool Desc) {
  const int sign = Desc ? -1 : 1;
  auto cell = [&](int r) { return GetCell(Col, r); };
  while (Lo < Hi) {
    std::uniform_int_distribution<int> pick(Lo + 1, Hi);
    TCell* pivot = cell(pick(rnd_));
    int i = Lo - 1, j = Hi + 1;
    // The indexes stay inside Lo..Hi even when the comparison is not an order.
    do {
      do ++i; while (i < Hi && sign * Cmp(*this, pivot, cell(i)) > 0);
      do --j; while (j > Lo && sign * Cmp(*this, pivot, cell(j)) < 0);
      if (i != j) SwapRowsRaw(i, j);
    } while (i < j);
    if (i != j) SwapRowsRaw(i, j);  // the exchange of the round where the indexes met or crossed
    if (i <= Lo) i = Lo + 1;
    // The smaller part recursively, the larger one in this loop.
    if (i - 1 - Lo < Hi - i) {
      QuickSort(Col, Lo, i - 1, Cmp, Desc);
      Lo = i;
    } else {
      QuickSort(Col, i, Hi, Cmp, Desc);
      Hi = i - 1;
    }
  }
}

void TCells::Sort(int Col, TSortType SortType, bool Descending) {
  int (*cmp)(TCells&, TCell*, TCell*) = CmpAlpha;
  switch (SortType) {
    case stAlphabetic: cmp = CmpAlpha; break;
    case stBoolean: cmp = CmpBool; break;
    case stCaseInsensitive: cmp = CmpCaseIns; break;
    case stCustom: cmp = CmpCustom; break;
    case stNumeric: cmp = CmpNum; break;
    case stDate: cmp = CmpDate; break;
    case stIP: cmp = CmpIP; break;
  }
  const int n = RowCount();
  if (Sorted && SortColumn == Col && Descending != SortDescending) {
    for (int i = 0; i < n / 2; ++i) SwapRowsRaw(i, n - 1 - i);
  } else if (n > 1) {
    QuickSort(Col, 0, n - 1, cmp, Descending);
  }
  SortDescending = Descending;
  SortColumn = Col;
  Sorted = true;
}
