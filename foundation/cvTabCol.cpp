#include "foundation/cvTabCol.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "foundation/cvLit.h"
#include "foundation/cvSL.h"
#include "foundation/cvStr.h"
#include "foundation/cvTab.h"

namespace {

const std::string kCRLF = "\r\n";

TCharSet BlankTab() { return MakeCharSet(" \t"); }

bool HasRow(const TStringList* SL, int32_t r) { return SL && r >= 1 && r <= SL->Count(); }

// Up to Width characters from Col; positions before 1 hold no characters.
std::string Piece(const std::string& s, int32_t Col, int32_t Width) {
  if (Col < 1) {
    Width += Col - 1;
    Col = 1;
  }
  return SubN(s, Col, Width);
}

// Characters 1..P-1, the text, then the rest from P; a shorter line gets the text at its end.
std::string InsertAt(const std::string& s, int32_t P, const std::string& text) {
  const size_t at = P < 1 ? 0 : std::min(static_cast<size_t>(P - 1), s.size());
  std::string r = s;
  r.insert(at, text);
  return r;
}

// Characters 1..P-1 and P+W..end.
std::string RemoveAt(const std::string& s, int32_t P, int32_t W) {
  int64_t b = P, e = static_cast<int64_t>(P) + W;  // [b, e) 1-based
  b = std::max<int64_t>(b, 1);
  e = std::min<int64_t>(e, static_cast<int64_t>(s.size()) + 1);
  if (e <= b) return s;
  std::string r = s;
  r.erase(static_cast<size_t>(b - 1), static_cast<size_t>(e - b));
  return r;
}

// Each existing row From..To replaced by f(row number, line).
template <class F>
void EditRows(TStringList* SL, int32_t From, int32_t To, F f) {
  if (!SL) return;
  const int32_t lo = std::max(From, 1), hi = std::min(To, SL->Count());
  for (int32_t r = lo; r <= hi; ++r) SL->Put(r - 1, f(r, (*SL)[r - 1]));
}

// The block's pieces, each through f, one per row followed by CR LF.
template <class F>
std::string BlockText(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                      F f, const std::string& missing) {
  std::string text;
  for (int32_t r = From; r <= To; ++r) {
    text += HasRow(SL, r) ? f(Piece((*SL)[r - 1], Col, Width)) : missing;
    text += kCRLF;
  }
  return text;
}

// Start and end (position after it) of each cell of a row, measured over rows From..To.
struct Span {
  int32_t s, e;
};

struct ColMeasure {
  int32_t Start = INT32_MAX, End = 0, Len = 0, Gap = INT32_MAX;
};

template <class Spans>
bool MeasureRows(const TStringList& SL, int32_t From, int32_t To, size_t n, Spans spans,
                 std::vector<ColMeasure>& cols) {
  cols.assign(n, ColMeasure{});
  for (int32_t r = From; r <= To; ++r) {
    const std::vector<Span> sp = spans(SL[r - 1]);
    int32_t prevEnd = 1;
    for (size_t i = 0; i < sp.size() && i < n; ++i) {
      ColMeasure& c = cols[i];
      c.Start = std::min(c.Start, sp[i].s);
      c.End = std::max(c.End, sp[i].e);
      c.Len = std::max(c.Len, sp[i].e - sp[i].s);
      c.Gap = std::min(c.Gap, sp[i].s - prevEnd);
      prevEnd = sp[i].e;
    }
  }
  for (size_t i = 1; i < n; ++i)
    if (cols[i].Start < cols[i - 1].End) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Column blocks as text

void SLColBlockText(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                    std::string& Text) {
  Text = BlockText(
      SL, From, To, Col, Width, [](const std::string& p) { return p; },
      std::string(static_cast<size_t>(std::max(Width, 0)), ' '));
}

void SLColBlockTrim(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                    std::string& Text) {
  Text = BlockText(SL, From, To, Col, Width, TrimCtl, std::string());
}

void SLColBlockNum(const TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
                   std::string& Text) {
  Text = BlockText(
      SL, From, To, Col, Width, [](const std::string& p) { return NumToLocale(TrimCtl(p)); },
      std::string());
}

// ---------------------------------------------------------------------------------------------
// Column edits

void SLColMoveRight(TStringList* SL, int32_t From, int32_t To, int32_t N) {
  if (!SL) {
    CvStrBox("SLColMoveRight исходный список строк не задан!"_cp);
    return;
  }
  EditRows(SL, From, To, [N](int32_t, const std::string& s) {
    const int32_t P = WordPos(s, N);
    return P > 0 ? InsertAt(s, P, " ") : s;
  });
}

void SLColMoveLeft(TStringList* SL, int32_t From, int32_t To, int32_t N) {
  if (!SL) return;
  const int32_t lo = std::max(From, 1), hi = std::min(To, SL->Count());
  for (int32_t r = lo; r <= hi; ++r) {
    const std::string& s = (*SL)[r - 1];
    const int32_t P = WordPos(s, N);
    if (P == 0) continue;
    const bool ok = N > 1 ? P >= 3 && s[static_cast<size_t>(P - 2)] == ' ' &&
                                s[static_cast<size_t>(P - 3)] == ' '
                          : P >= 2 && s[static_cast<size_t>(P - 2)] == ' ';
    if (!ok) return;
  }
  EditRows(SL, From, To, [N](int32_t, const std::string& s) {
    const int32_t P = WordPos(s, N);
    return P > 0 ? RemoveAt(s, P - 1, 1) : s;
  });
}

void SLColSwap(TStringList* SL, int32_t From, int32_t To, int32_t W2, int32_t P2, int32_t W1,
               int32_t P1) {
  if (W1 < 1 || W2 < 1 || P1 < 1 || P1 + W1 > P2) return;
  EditRows(SL, From, To, [=](int32_t, const std::string& line) {
    std::string s = line;
    const size_t need = static_cast<size_t>(P2 + W2 - 1);
    const bool padded = s.size() < need;
    if (padded) s.resize(need, ' ');
    const size_t p1 = static_cast<size_t>(P1 - 1), w1 = static_cast<size_t>(W1);
    const size_t p2 = static_cast<size_t>(P2 - 1), w2 = static_cast<size_t>(W2);
    std::string r = s.substr(0, p1) + s.substr(p2, w2) + s.substr(p1 + w1, p2 - p1 - w1) +
                    s.substr(p1, w1) + s.substr(p2 + w2);
    if (padded)
      while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
  });
}

void SLColNumber(TStringList* SL, int32_t From, int32_t To, int32_t Col) {
  if (To < From) return;
  const int32_t W = static_cast<int32_t>(IntStr(To - From + 1).size()) + 2;
  EditRows(SL, From, To, [=](int32_t r, const std::string& s) {
    return InsertAt(s, Col, I64PadSt(W, r - From + 1));
  });
}

void SLColCut(TStringList* SL, int32_t From, int32_t To, int32_t Col, int32_t Width,
              std::string& Text) {
  Text.clear();
  if (!SL) return;
  const int32_t lo = std::max(From, 1), hi = std::min(To, SL->Count());
  for (int32_t r = lo; r <= hi; ++r) Text += Piece((*SL)[r - 1], Col, Width) + kCRLF;
  SLColDelete(SL, Width, From, To, Col);
}

void SLColPaste(TStringList* SL, const std::string& Text, int32_t From, int32_t To, int32_t Col) {
  if (Text.empty()) return;
  EditRows(SL, From, To, [&](int32_t, const std::string& s) { return InsertAt(s, Col, Text); });
}

void SLColDelete(TStringList* SL, int32_t Width, int32_t From, int32_t To, int32_t Col) {
  if (Width <= 0) return;
  EditRows(SL, From, To, [=](int32_t, const std::string& s) { return RemoveAt(s, Col, Width); });
}

void SLColInsertSL(TStringList* SL, const TStringList* List, int32_t From, int32_t To,
                   int32_t Col) {
  if (!List || List->Count() == 0) return;
  int32_t M = 0;
  bool lead = false;
  for (int i = 0; i < List->Count(); ++i) {
    const std::string& s = (*List)[i];
    M = std::max(M, static_cast<int32_t>(s.size()));
    if (!s.empty() && s[0] != ' ') lead = true;
  }
  const std::string Lead = lead ? " " : "";
  const std::string Trail = Col == 1 ? " " : "";
  EditRows(SL, From, To, [&](int32_t r, const std::string& s) {
    const int32_t k = r - From;
    const std::string body = k < List->Count()
                                 ? (M > 0 ? PadRightMark((*List)[k], M) : std::string())
                                 : std::string(static_cast<size_t>(M), '0');
    return InsertAt(s, Col, Lead + body + Trail);
  });
}

void SLColInsertText(TStringList* SL, const std::string& Text, int32_t From, int32_t To,
                     int32_t Col) {
  if (Text.empty()) return;
  std::unique_ptr<TStringList> list = SplitByStr(Text, kCRLF);
  SLColInsertSL(SL, list.get(), From, To, Col);
}

// ---------------------------------------------------------------------------------------------
// The column structure

int TTextTabStruct::AddCol(int32_t Gap, int32_t Start, int32_t Width) {
  cols_.push_back({Gap, Start, Width});
  return Count() - 1;
}

int32_t TTextTabStruct::GetIC(int32_t Pos) const {
  for (int i = 0; i < Count(); ++i)
    if (cols_[static_cast<size_t>(i)].Start - cols_[static_cast<size_t>(i)].Gap > Pos) return i;
  return Count();
}

void TTextTabStruct::GetBeWi(int32_t IC, int32_t& Gap, int32_t& Start, int32_t& Width) const {
  if (IC < 1 || IC > Count()) {
    Gap = Start = Width = 0;
    CvStrBox("TextTabStruct.GetBeWi текущая строка IC="_cp + IntStr(IC) + " вне строчек! NC="_cp +
             IntStr(Count()));
    return;
  }
  const TTextTabCol& c = cols_[static_cast<size_t>(IC - 1)];
  Gap = c.Gap;
  Start = c.Start;
  Width = c.Width;
}

void TTextTabStruct::ClearCols(TTextTabStruct* TT) {
  if (TT) TT->ClearCols();
}

int32_t TTextTabStruct::GetIC(const TTextTabStruct* TT, int32_t Pos) {
  if (!TT) {
    CvStrBox("cvStr.TextTabStruct.GetIC(" + IntStr(Pos) + ") Структура Not Assigned!"_cp);
    return 0;
  }
  return TT->GetIC(Pos);
}

void TTextTabStruct::GetBeWi(const TTextTabStruct* TT, int32_t IC, int32_t& Gap, int32_t& Start,
                             int32_t& Width) {
  if (!TT) {
    CvStrBox("cvStr.TextTabStruct.GetBeWi(" + IntStr(IC) + ") Структура Not Assigned!"_cp);
    return;
  }
  TT->GetBeWi(IC, Gap, Start, Width);
}

void TabStructByWords(TTextTabStruct* Struct, const TStringList* SL, int32_t From, int32_t To) {
  if (!Struct) {
    CvStrBox("CurTT(1) Not Assigned!!!");
    return;
  }
  Struct->ClearCols();
  if (!(To > From) || !HasRow(SL, From)) return;
  To = std::min(To, SL->Count());
  const TCharSet bt = BlankTab();
  const size_t n = static_cast<size_t>(WordCountSet((*SL)[From - 1], bt));
  std::vector<ColMeasure> cols;
  const bool ok = MeasureRows(*SL, From, To, n, [&bt](const std::string& s) {
    std::vector<Span> sp;
    int32_t J = 1;
    for (;;) {
      std::string W;
      NextWordSet(s, J, bt, W);
      if (W.empty()) break;
      sp.push_back({J - static_cast<int32_t>(W.size()), J});
    }
    return sp;
  }, cols);
  if (!ok) return;
  for (const ColMeasure& c : cols) Struct->AddCol(c.Gap, c.Start, c.Len);
}

void TabStructByChar(TTextTabStruct* Struct, const TStringList* SL, int32_t From, int32_t To,
                     char Q, char C) {
  if (!Struct) {
    CvStrBox("CurTT(2) Not Assigned!!!");
    return;
  }
  Struct->ClearCols();
  if (!(To > From) || !HasRow(SL, From)) return;
  To = std::min(To, SL->Count());
  const size_t n = static_cast<size_t>(CountCols((*SL)[From - 1], Q, C));
  std::vector<ColMeasure> cols;
  bool ok;
  if (C == ' ') {
    const TCharSet bt = BlankTab();
    ok = MeasureRows(*SL, From, To, n, [&bt, Q](const std::string& s) {
      std::vector<Span> sp;
      int32_t J = 1;
      for (;;) {
        PassBlanc(s, J, bt);
        const int32_t start = J;
        std::string W;
        NextQWord(s, J, Q, W);
        if (W.empty()) break;
        sp.push_back({start, start + static_cast<int32_t>(W.size())});
      }
      return sp;
    }, cols);
  } else {
    // A field spans from after its separator up to the next separator (or the line's end).
    ok = MeasureRows(*SL, From, To, n, [C](const std::string& s) {
      std::vector<Span> sp;
      int32_t start = 1;
      for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == C) {
          sp.push_back({start, static_cast<int32_t>(i) + 1});
          start = static_cast<int32_t>(i) + 2;
        }
      return sp;
    }, cols);
  }
  if (!ok) return;
  int32_t prevEnd = 1;
  for (const ColMeasure& c : cols) {
    Struct->AddCol(c.Start - prevEnd, c.Start, c.End - c.Start);
    prevEnd = c.End;
  }
}
