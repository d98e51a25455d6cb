#include "foundation/cvTab.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvStr.h"
#include "platform/Clipboard.h"

char ExcelDecPoint = '.';

namespace {

const std::string kCRLF = "\r\n";

TCharSet BlankTab() { return MakeCharSet(" \t"); }

bool InList(const TStringList* SL, int32_t N) { return SL && N >= 1 && N <= SL->Count(); }

const std::string& RowText(const TStringList& SL, int32_t r) { return SL[r - 1]; }

// The blank-delimited words of S.
std::vector<std::string> Words(const std::string& S) {
  std::vector<std::string> w;
  int32_t J = 1;
  for (;;) {
    std::string Word;
    NextWord(S, J, Word);
    if (Word.empty()) break;
    w.push_back(std::move(Word));
  }
  return w;
}

// The longest run around row N whose lines have the measure of line N.
template <class Measure>
void RowsByMeasure(const TStringList& SL, int32_t N, int32_t& First, int32_t& Last,
                   Measure measure) {
  const int32_t m = measure(RowText(SL, N));
  First = N;
  while (First > 1 && measure(RowText(SL, First - 1)) == m) --First;
  Last = N;
  while (Last < SL.Count() && measure(RowText(SL, Last + 1)) == m) ++Last;
}

// Rows of cells written as aligned lines. Each column is measured from the bottom: its cells stay
// numbers up to its lowest text cell (Head, 1-based row; 0 when all are numbers); cells at or
// above Head are left-aligned, numbers below it right-aligned or lined up on their points.
std::vector<std::string> AlignCells(const std::vector<std::vector<std::string>>& rows,
                                    const std::string& sep) {
  size_t w = 0;
  for (const auto& r : rows) w = std::max(w, r.size());
  std::vector<int> Len(w, 0), Int(w, 0), Frac(w, 0), Head(w, 0);
  std::vector<bool> text(w, false);
  for (size_t p = rows.size(); p-- > 0;) {
    const auto& r = rows[p];
    for (size_t j = 0; j < r.size(); ++j) {
      const std::string& cell = r[j];
      const int L = static_cast<int>(cell.size());
      Len[j] = std::max(Len[j], L);
      if (text[j]) continue;
      if (!IsNumChars(cell)) {
        text[j] = true;
        Head[j] = static_cast<int>(p) + 1;
        continue;
      }
      const size_t dot = cell.find('.');
      if (dot == std::string::npos) {
        Int[j] = std::max(Int[j], L);
      } else {
        Int[j] = std::max(Int[j], static_cast<int>(dot));
        Frac[j] = std::max(Frac[j], L - static_cast<int>(dot) - 1);
      }
    }
  }
  for (size_t j = 0; j < w; ++j) {
    if (Frac[j] > 0) {
      Len[j] = std::max(Len[j], Int[j] + 1 + Frac[j]);
      Int[j] = Len[j] - 1 - Frac[j];
    } else {
      Len[j] = Int[j] = std::max(Len[j], Int[j]);
    }
  }
  std::vector<std::string> out;
  out.reserve(rows.size());
  for (size_t p = 0; p < rows.size(); ++p) {
    const auto& r = rows[p];
    std::string line = " ";
    for (size_t j = 0; j < r.size(); ++j) {
      if (j > 0) line += sep;
      const std::string& cell = r[j];
      if (static_cast<int>(p) + 1 <= Head[j]) {
        line += PadRightMark(cell, Len[j]);
      } else if (Frac[j] > 0) {
        const size_t dot = cell.find('.');
        if (dot == std::string::npos) {
          line += PadLeftMark(cell, Int[j]);
          line.append(static_cast<size_t>(Frac[j]) + 1, ' ');
        } else {
          line += PadLeftMark(cell.substr(0, dot), Int[j]);
          line += PadRightMark(cell.substr(dot), Frac[j] + 1);
        }
      } else {
        line += PadLeftMark(cell, Len[j]);
      }
    }
    out.push_back(std::move(line));
  }
  return out;
}

// Lines First..Last replaced by the given ones (same count), in place.
void PutRows(TStringList& SL, int32_t First, const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) SL.Put(First - 1 + static_cast<int>(i), lines[i]);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Finding the block

void TabRowsByWords(const TStringList* SL, int32_t N, int32_t& First, int32_t& Last) {
  if (!InList(SL, N)) {
    First = N;
    Last = N - 1;
    return;
  }
  if (WordCount(RowText(*SL, N)) == 0) {
    First = Last = N;
    return;
  }
  RowsByMeasure(*SL, N, First, Last, [](const std::string& s) { return WordCount(s); });
}

void TabRowsByChar(const TStringList* SL, int32_t N, char C, char Q, int32_t& First,
                   int32_t& Last) {
  if (!InList(SL, N)) {
    First = N;
    Last = N - 1;
    return;
  }
  RowsByMeasure(*SL, N, First, Last,
                [Q, C](const std::string& s) { return CountCols(s, Q, C); });
}

void TabRowBounds(const TStringList* SL, const std::string& JS1Text, const std::string& JS2Text,
                  int32_t Row, int32_t& JS1, int32_t& JS2) {
  int32_t AutoFirst = 0, AutoLast = 0;
  TabRowsByChar(SL, Row, ' ', '"', AutoFirst, AutoLast);
  int32_t c1 = 0, c2 = 0;
  const int32_t t1 = ValIntCode(JS1Text, c1);
  const int32_t t2 = ValIntCode(JS2Text, c2);
  JS1 = AutoFirst;
  JS2 = AutoLast;
  if (c1 != 0 || c2 != 0) return;
  if (t1 < AutoFirst || t2 > AutoLast) {
    CvStrBox("Заданные границы таблицы (JS1="_cp + IntStr(t1) + " JS2=" + IntStr(t2) +
             ") лежат вне реальной таблицы,"_cp + kCRLF + "которая занимает строки от "_cp +
             IntStr(AutoFirst) + " до "_cp + IntStr(AutoLast) + kCRLF +
             "Выбираем для сортировки границы автоматически!"_cp);
    return;
  }
  if (Row < t1 || Row > t2) {
    CvStrBox("Текущая строка JS="_cp + IntStr(Row) +
             " не попадает в рамки заданных границ (JS1="_cp + IntStr(t1) + " JS2=" + IntStr(t2) +
             ")" + kCRLF +
             "Выбираем для сортировки границы автоматически от "_cp + IntStr(AutoFirst) +
             " до "_cp + IntStr(AutoLast));
    return;
  }
  JS1 = t1;
  JS2 = t2;
}

// ---------------------------------------------------------------------------------------------
// Aligning

// The checks both aligners make first: N counts from 1, the list exists and holds line N.
static bool LineTabArgsOk(const TStringList* SL, int32_t N) {
  if (N < 1) {
    CvStrBox("В процедуре cvStr.LineTabStrings счёт строк идёт от 1, вы задали "_cp + IntStr(N) +
             "!");
    return false;
  }
  if (!SL) {
    CvStrBox("cvStr.LineTabStrings-Err: SL Not Assigned!");
    return false;
  }
  return N <= SL->Count();
}

void LineTabStrings(TStringList* SL, int32_t N) {
  if (!LineTabArgsOk(SL, N)) return;
  // A line without words is no table; it stays as it is.
  if (WordCount(RowText(*SL, N)) == 0) return;
  int32_t First = 0, Last = 0;
  TabRowsByWords(SL, N, First, Last);
  std::vector<std::vector<std::string>> rows;
  rows.reserve(static_cast<size_t>(Last - First + 1));
  for (int32_t r = First; r <= Last; ++r) rows.push_back(Words(RowText(*SL, r)));
  PutRows(*SL, First, AlignCells(rows, "  "));
}

void LineTabStringsCh(TStringList* SL, int32_t N, char Q, char C) {
  if (!LineTabArgsOk(SL, N)) return;
  const int32_t w = CountCols(RowText(*SL, N), Q, C);
  if (w <= 0) return;
  int32_t First = 0, Last = 0;
  TabRowsByChar(SL, N, C, Q, First, Last);
  const TCharSet bt = BlankTab();
  std::vector<std::vector<std::string>> rows;
  rows.reserve(static_cast<size_t>(Last - First + 1));
  for (int32_t r = First; r <= Last; ++r) {
    const std::string& s = RowText(*SL, r);
    std::vector<std::string> cells;
    cells.reserve(static_cast<size_t>(w));
    int32_t J = 1;
    for (int32_t j = 1; j <= w; ++j) {
      std::string cell;
      if (C != ' ')
        cell = FieldN(s, C, j - 1);
      else if (Q != '\0' && Q != ' ')
        NextQWord(s, J, Q, cell);
      else
        NextWordSet(s, J, bt, cell);
      cells.push_back(TrimSp(cell));
    }
    rows.push_back(std::move(cells));
  }
  PutRows(*SL, First, AlignCells(rows, C != ' ' ? std::string(1, C) : std::string("  ")));
}

void AlignTabSL(TStringList* L) {
  if (!L || L->Count() == 0) return;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(static_cast<size_t>(L->Count()));
  for (int i = 0; i < L->Count(); ++i) rows.push_back(Words((*L)[i]));
  std::vector<std::string> lines = AlignCells(rows, "  ");
  for (int i = 0; i < L->Count(); ++i)
    if (!rows[static_cast<size_t>(i)].empty()) L->Put(i, lines[static_cast<size_t>(i)]);
}

void TabRowsToCols(TStringList* SL, int32_t K, int32_t Row) {
  if (!InList(SL, Row) || K < 1) return;
  int32_t First = 0, Last = 0;
  TabRowsByWords(SL, Row, First, Last);
  const int32_t R = Last - First + 1;
  if (R % K != 0) {
    CvStrBox("В таблице "_cp + IntStr(R) + " строк, невозможно распределить по "_cp + IntStr(K) +
             " остаются лишние!"_cp);
    return;
  }
  const int32_t w = WordCount(RowText(*SL, First));
  if (w == 0) return;
  std::vector<std::vector<std::string>> words;
  words.reserve(static_cast<size_t>(R));
  for (int32_t r = First; r <= Last; ++r) words.push_back(Words(RowText(*SL, r)));
  TStringList joined;
  for (int32_t g = 0; g < R; g += K) {
    std::string line;
    for (size_t m = 0; m < static_cast<size_t>(w); ++m)
      for (int32_t k = 0; k < K; ++k) line += " " + words[static_cast<size_t>(g + k)][m];
    joined.Add(line);
  }
  LineTabStrings(&joined, 1);
  for (int32_t i = Last; i >= First; --i) SL->Delete(i - 1);
  for (int i = 0; i < joined.Count(); ++i) SL->Insert(First - 1 + i, joined[i]);
}

// ---------------------------------------------------------------------------------------------
// Sorting

void SortTabCol(TStringList* SL, int32_t Row, int32_t Pos, int32_t FirstRow, int32_t LastRow,
                bool Descending) {
  if (!SL || FirstRow < 1 || Row < FirstRow || Row > LastRow || Row > SL->Count()) return;
  if (LastRow > SL->Count()) {
    CvStrBox("SortTabCol-Err заказана сотрировка, где LastRow="_cp + IntStr(LastRow) +
             " > RowCount=" + IntStr(SL->Count()));
    return;
  }
  const int32_t c = WordIndexAt(RowText(*SL, Row), Pos);
  const int32_t n = LastRow - FirstRow + 1;
  std::vector<std::string> cells(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    cells[static_cast<size_t>(i)] = WordN(RowText(*SL, FirstRow + i), c);
  int32_t H = 0;
  for (int32_t i = n; i-- > 0;)
    if (!IsNumChars(cells[static_cast<size_t>(i)])) {
      H = i + 1;
      break;
    }
  const bool byNumber = H <= 3;
  const int32_t top = byNumber ? H : 0;  // header rows that stay on top
  std::vector<int32_t> order(static_cast<size_t>(n - top));
  std::iota(order.begin(), order.end(), top);
  if (byNumber) {
    // Each cell is read once, so an unreadable cell is reported once.
    std::vector<double> key(static_cast<size_t>(n), 0.0);
    for (int32_t i = top; i < n; ++i)
      key[static_cast<size_t>(i)] = ValReal(cells[static_cast<size_t>(i)]);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
      const double ka = key[static_cast<size_t>(a)], kb = key[static_cast<size_t>(b)];
      return Descending ? ka > kb : ka < kb;
    });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
      const std::string& ka = cells[static_cast<size_t>(a)];
      const std::string& kb = cells[static_cast<size_t>(b)];
      return Descending ? kb < ka : ka < kb;
    });
  }
  std::vector<std::string> text(order.size());
  std::vector<void*> objs(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    const int idx = FirstRow - 1 + order[i];
    text[i] = (*SL)[idx];
    objs[i] = SL->Objects(idx);
  }
  for (size_t i = 0; i < order.size(); ++i) {
    const int idx = FirstRow - 1 + top + static_cast<int>(i);
    SL->Put(idx, text[i]);
    SL->PutObject(idx, objs[i]);
  }
}

void SortTabColAsc(TStringList* SL, int32_t Row, int32_t Pos, int32_t FirstRow, int32_t LastRow) {
  SortTabCol(SL, Row, Pos, FirstRow, LastRow, false);
}

// ---------------------------------------------------------------------------------------------
// Spreadsheet exchange

std::string NumToLocale(const std::string& W) {
  if (!IsNumChars(W)) return W;
  std::string s = W;
  const size_t p = s.find_first_of("+-", 1);
  if (p != std::string::npos && s[p - 1] >= '0' && s[p - 1] <= '9') s.insert(p, 1, 'E');
  if (ExcelDecPoint != '.') ReplaceCharVar(s, '.', ExcelDecPoint);
  return s;
}

std::unique_ptr<TStringList> ClipboardToTab() {
  auto list = std::make_unique<TStringList>();
  // Cells are trimmed and filled line by line, so an empty last cell never joins two rows.
  std::unique_ptr<TStringList> lines = SplitByStr(platform::ClipboardText(), kCRLF);
  if (!lines) return list;
  for (int i = 0; i < lines->Count(); ++i) {
    std::string s = FillEmptyCells(TrimCells((*lines)[i], "\t"), "\t", "-");
    ReplaceCharVar(s, ' ', '_');
    ReplaceCharVar(s, '\t', ' ');
    list->Add(s);
  }
  LineTabStrings(list.get(), 1);
  return list;
}

std::unique_ptr<TStringList> ClipboardToSL() {
  auto list = std::make_unique<TStringList>();
  std::string text = platform::ClipboardText();
  if (text.empty()) return list;
  ReplaceCharVar(text, '\t', ' ');
  if (text.find('\r') != std::string::npos) {
    std::unique_ptr<TStringList> lines = SplitByStr(text, kCRLF);
    if (lines) {
      list->AddStrings(*lines);
      if (list->Count() > 1) LineTabStrings(list.get(), 1);
    }
  } else {
    list->Add(text);
  }
  return list;
}

void TabToClipboard(const TStringList* SL, int32_t Row) {
  if (!InList(SL, Row)) return;
  int32_t First = 0, Last = 0;
  TabRowsByWords(SL, Row, First, Last);
  const size_t w = static_cast<size_t>(WordCount(RowText(*SL, First)));
  std::string text;
  for (int32_t r = First; r <= Last; ++r) {
    std::vector<std::string> words = Words(RowText(*SL, r));
    for (size_t m = 0; m < w && m < words.size(); ++m) {
      if (m > 0) text += '\t';
      text += NumToLocale(words[m]);
    }
    text += kCRLF;
  }
  platform::SetClipboardText(text);
}
