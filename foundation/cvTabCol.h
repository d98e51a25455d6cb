// Text-table columns: rectangular column blocks of rows From..To (1-based) and characters
// Col..Col + Width - 1 copied, cut, pasted, moved and swapped, and the column structure of a
// table that turns a character position into a column number and back.
// Rows outside the list are passed over by the edits; a list that may be absent is a pointer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

// ---- column blocks as text (each row followed by CR LF) ----
// Up to Width characters from Col of each row; a missing row gives Width blanks.
void SLColBlockText(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                    std::string& Text);
// The same with each piece trimmed of blanks and control characters; a missing row gives an
// empty line.
void SLColBlockTrim(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                    std::string& Text);
// As SLColBlockTrim with each piece through NumToLocale: ready for a spreadsheet.
void SLColBlockNum(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                   std::string& Text);

// ---- column edits in place ----
// A blank inserted before word N of each row that has one.
void SLColMoveRight(TStringList* SL, int32_t From, int32_t To, int32_t N);
// The character before word N removed, only when every row keeps at least one blank between
// word N and the word before it (and word 1 has a blank before it).
void SLColMoveLeft(TStringList* SL, int32_t From, int32_t To, int32_t N);
// The W1 characters at P1 and the W2 characters at P2 (P1 + W1 <= P2) exchange places; the text
// between them stays between them. Rows shorter than the second block are padded with blanks
// for the exchange and lose the padding's trailing blanks afterwards.
void SLColSwap(TStringList* SL, int32_t From, int32_t To, int32_t W2, int32_t P2, int32_t W1,
               int32_t P1);
// The running number 1, 2, ... of each row in the range, right-aligned in
// (digits of To - From + 1) + 2 characters, inserted before Col.
void SLColNumber(TStringList* SL, int32_t From, int32_t To, int32_t Col);
// Text = the block (as SLColBlockText gives it) of the existing rows, then the block removed.
void SLColCut(TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
              std::string& Text);
// Text inserted before Col of each row (nothing for an empty Text).
void SLColPaste(TStringList* SL, const std::string& Text, int32_t From, int32_t To, int32_t Col);
// Width characters at Col removed from each row (nothing when Width <= 0).
void SLColDelete(TStringList* SL, int32_t Width, int32_t From, int32_t To, int32_t Col);
// The lines of List inserted as a block before Col, one line per row, padded to the longest;
// rows beyond List's lines get "0"s.
void SLColInsertSL(TStringList* SL, const TStringList* List, int32_t From, int32_t To,
                   int32_t Col);
// SLColInsertSL with Text cut at CR LF (nothing for an empty Text).
void SLColInsertText(TStringList* SL, const std::string& Text, int32_t From, int32_t To,
                     int32_t Col);

// ---- the column structure ----
struct TTextTabCol {
  int32_t Gap = 0;    // characters between the previous column's right edge and this one
  int32_t Start = 0;  // leftmost start of the column's cells, 1-based
  int32_t Width = 0;  // width of the column in characters
};

class TTextTabStruct {
 public:
  int Count() const { return static_cast<int>(cols_.size()); }
  // Column i counted from 0.
  const TTextTabCol& Items(int i) const { return cols_[static_cast<size_t>(i)]; }

  // Appends a column; returns its index (from 0).
  int AddCol(int32_t Gap, int32_t Start, int32_t Width);
  void ClearCols() { cols_.clear(); }
  // The number (from 1) of the column whose area (Start - Gap on) holds Pos; 0 left of the
  // first area; the column count right of the last area's start.
  int32_t GetIC(int32_t Pos) const;
  // Column IC (from 1); all three 0 (with a box) when IC is outside 1..Count.
  void GetBeWi(int32_t IC, int32_t& Gap, int32_t& Start, int32_t& Width) const;

  // The same for a structure that may be absent (a box, and 0 / nothing, when it is).
  static void ClearCols(TTextTabStruct* TT);
  static int32_t GetIC(const TTextTabStruct* TT, int32_t Pos);
  static void GetBeWi(const TTextTabStruct* TT, int32_t IC, int32_t& Gap, int32_t& Start,
                      int32_t& Width);

 private:
  std::vector<TTextTabCol> cols_;
};

// The structure rebuilt from rows From..To (To > From), columns = words between blanks and tabs:
// Gap = fewest characters before a cell, Start = leftmost start, Width = longest word. No
// columns when two neighbouring columns overlap in some rows.
void TabStructByWords(TTextTabStruct* Struct, const TStringList* SL, int32_t From, int32_t To);
// The same with words read with NextQWord(Q) when C is a blank (Width = rightmost end - Start),
// or with the fields between separators C (a field spans from after its separator up to the
// next one; Gap counts the separator).
void TabStructByChar(TTextTabStruct* Struct, const TStringList* SL, int32_t From, int32_t To,
                     char Q, char C);
