// Text tables: blocks of lines with the same number of words, found around a row, aligned on
// their decimal points, sorted by a column, regrouped, and exchanged with a spreadsheet through
// the clipboard as tab-separated text.
// Rows count from 1 (row r is list line r - 1). A list that may be absent is a pointer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/cvStrList.h"

// The decimal character of numbers bound for a spreadsheet (initially "."); the Start tab's
// field sets it.
extern char ExcelDecPoint;

// ---- finding the block ----
// The longest run of lines around row N with the word count of line N. A line without words is
// a block of its own (First = Last = N). N outside the list gives the empty block
// First = N, Last = N - 1.
void TabRowsByWords(const TStringList* SL, int32_t N, int32_t& First, int32_t& Last);
// The same with CountCols(line, Q, C) as the measure (no special case for zero).
void TabRowsByChar(const TStringList* SL, int32_t N, char C, char Q, int32_t& First,
                   int32_t& Last);
// The rows to work on: the typed bounds JS1Text..JS2Text when they are numbers inside the block
// around Row (double quotes group words) and hold Row; else that block (with a box when typed
// bounds were rejected).
void TabRowBounds(const TStringList* SL, const std::string& JS1Text, const std::string& JS2Text,
                  int32_t Row, int32_t& JS1, int32_t& JS2);

// ---- aligning ----
// The block around row N aligned in place: header cells left-aligned, numbers right-aligned
// or on their decimal points, columns two blanks apart, each row starting with a blank.
void LineTabStrings(TStringList* SL, int32_t N);
// The same for fields separated by C (C not a blank), for words in quotes Q (C a blank), or for
// words between blanks and tabs (C a blank and Q code 0 or a blank).
void LineTabStringsCh(TStringList* SL, int32_t N, char Q, char C);
// All lines of L aligned as one table, each keeping its own number of words; lines without words
// stay as they are.
void AlignTabSL(TStringList* L);
// Every K consecutive rows of the block around Row joined into one row (word by word), then
// aligned.
void TabRowsToCols(TStringList* SL, int32_t K, int32_t Row);

// ---- sorting ----
// Rows FirstRow..LastRow sorted by the column under character position Pos of row Row: by number
// below up to three header rows, as text when the column has text lower down.
void SortTabCol(TStringList* SL, int32_t Row, int32_t Pos, int32_t FirstRow, int32_t LastRow,
                bool Descending);
void SortTabColAsc(TStringList* SL, int32_t Row, int32_t Pos, int32_t FirstRow, int32_t LastRow);

// ---- spreadsheet exchange ----
// A number word made readable by a spreadsheet: "E" before an exponent sign that follows a
// digit, "." replaced by ExcelDecPoint. Other words unchanged.
std::string NumToLocale(const std::string& W);
// The clipboard's tab-separated cells as an aligned blank-separated table ("-" for empty inner
// cells, "_" for blanks inside a cell). Never nullptr; empty for an empty clipboard.
std::unique_ptr<TStringList> ClipboardToTab();
// The clipboard text as lines, tabs turned into blanks, several lines aligned. Never nullptr;
// empty for an empty clipboard.
std::unique_ptr<TStringList> ClipboardToSL();
// The block around Row put on the clipboard as tab-separated rows.
void TabToClipboard(const TStringList* SL, int32_t Row);
