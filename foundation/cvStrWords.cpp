// Words and substrings.
#include <algorithm>
#include <cstring>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"

namespace {

const std::string kCrLf = "\r\n";

using Size = std::string::size_type;

int32_t Len(const std::string& S) { return static_cast<int32_t>(S.size()); }
// The character at 1-based position P (the caller checks 1 <= P <= length).
char At(const std::string& S, int32_t P) { return S[static_cast<Size>(P - 1)]; }
bool InSet(const TCharSet& Set, char c) { return Set.test(static_cast<unsigned char>(c)); }
bool IsWordBound(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// 1-based position of Sub in S from the 1-based position From on; 0 when absent or Sub empty.
int32_t Find(const std::string& Sub, const std::string& S, int32_t From) {
  if (Sub.empty()) return 0;
  if (From < 1) From = 1;
  if (From > Len(S)) return 0;
  Size p = S.find(Sub, static_cast<Size>(From - 1));
  return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
}

// Characters From..To (1-based, inclusive) of S, clipped to the string.
std::string Copy(const std::string& S, int32_t From, int32_t Count) {
  if (From < 1) From = 1;
  if (Count <= 0 || From > Len(S)) return "";
  return S.substr(static_cast<Size>(From - 1), static_cast<Size>(Count));
}

const TCharSet kBlankTab = MakeCharSet(std::string_view("\t ", 2));

// Walks S cell by cell: text up to and including each Sep is kept, each cell strictly between
// two Sep strings is passed through Cell; the rest after the last Sep stays as it is.
template <class F>
std::string MapCells(const std::string& S, const std::string& Sep, F Cell) {
  if (Sep.empty()) return S;
  Size p = S.find(Sep);
  if (p == std::string::npos) return S;
  std::string r = S.substr(0, p + Sep.size());
  Size from = p + Sep.size();
  for (;;) {
    Size q = S.find(Sep, from);
    if (q == std::string::npos) {
      r += S.substr(from);
      return r;
    }
    r += Cell(S.substr(from, q - from));
    r += Sep;
    from = q + Sep.size();
  }
}

bool BracketsOk(const std::string& Br, const char* Routine) {
  if (Br.size() == 2) return true;
  CvStrBox("Неверный вызов "_cp + Routine + ", строка скобок /"_cp + Br +
           "/ должна содержать два символа!"_cp);
  return false;
}

}  // namespace

// ---------------------------------------------------------------- searching

int32_t PosFrom(const std::string& Sub, const std::string& S, int32_t From) {
  return Find(Sub, S, From);
}

int32_t LastPos(const std::string& Sub, const std::string& S) {
  if (Sub.empty() || Sub.size() > S.size()) return 0;
  Size p = S.rfind(Sub);
  return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
}

int32_t PosSet(const TCharSet& Set, const std::string& S) {
  for (int32_t i = 1; i <= Len(S); ++i)
    if (InSet(Set, At(S, i))) return i;
  return 0;
}

int32_t PosNotInSet(const std::string& S, const TCharSet& Set) {
  for (int32_t i = 1; i <= Len(S); ++i)
    if (!InSet(Set, At(S, i))) return i;
  return 0;
}

int32_t PosWord(const std::string& Sub, const std::string& S) {
  const int32_t n = Len(S), m = Len(Sub);
  int32_t from = 1;
  for (;;) {
    const int32_t p = Find(Sub, S, from);
    if (p == 0) return 0;
    const bool before = p == 1 || IsWordBound(At(S, p - 1));
    const bool after = p + m > n || IsWordBound(At(S, p + m));
    if (before && after) return p;
    // go on from the start of the next word
    int32_t j = p;
    while (j <= n && !IsWordBound(At(S, j))) ++j;
    while (j <= n && IsWordBound(At(S, j))) ++j;
    if (j > n) return 0;
    from = j;
  }
}

int32_t BufPos(const void* Pattern, int32_t PatternLen, const void* Buffer, int32_t BufferLen) {
  if (!Pattern || !Buffer || PatternLen <= 0 || BufferLen < PatternLen) return 0;
  const auto* pat = static_cast<const unsigned char*>(Pattern);
  const auto* buf = static_cast<const unsigned char*>(Buffer);
  for (int32_t i = 0; i + PatternLen <= BufferLen; ++i)
    if (buf[i] == pat[0] && std::memcmp(buf + i, pat, static_cast<size_t>(PatternLen)) == 0)
      return i + 1;
  return 0;
}

void MaskMatch(const std::string& Mask, const std::string& S, int32_t& Position,
               std::string& Matched) {
  Position = 0;
  Matched.clear();
  int32_t P = 1;        // search point in S
  int32_t prevEnd = 1;  // first position after the previous literal match
  bool star = false, first = true;
  int32_t pending = 0;
  Size i = 0;
  while (i < Mask.size()) {
    const char c = Mask[i];
    if (c == '*') {
      star = true;
      ++i;
      continue;
    }
    if (c == '?') {
      ++pending;
      ++i;
      continue;
    }
    Size j = i;
    while (j < Mask.size() && Mask[j] != '*' && Mask[j] != '?') ++j;
    const std::string L = Mask.substr(i, j - i);
    i = j;
    P += pending;
    const int32_t D = Find(L, S, P);
    if (D == 0 || (!star && pending > 0 && D != P)) {
      Position = 0;
      Matched.clear();
      return;
    }
    if (first) {
      Position = D - pending;
      prevEnd = Position;
      first = false;
    }
    if (star)
      Matched += Copy(S, prevEnd, D - prevEnd);
    else if (pending > 0)
      Matched += Copy(S, D - pending, pending);
    Matched += L;
    star = false;
    pending = 0;
    P = D + Len(L);
    prevEnd = P;
  }
}

int32_t PosNoBracke(const std::string& Sub, const std::string& Br, const std::string& S) {
  if (!BracketsOk(Br, "cvStr.PosNoBracke")) return Find(Sub, S, 1);
  std::string m = S;
  int32_t depth = 0;
  Size start = 0;
  for (Size i = 0; i < S.size(); ++i) {
    if (S[i] == Br[0]) {
      if (depth == 0) start = i;
      ++depth;
    } else if (S[i] == Br[1]) {
      --depth;
      if (depth < 0) {
        CvStrBox("В выражении <"_cp + S + "> лишняя закрывающая скобка "_cp + Br[1]);
        depth = 0;
      } else if (depth == 0) {
        for (Size k = start; k <= i; ++k) m[k] = '\0';
      }
    }
  }
  if (depth > 0) CvStrBox("В выражении <"_cp + S + "> лишняя открывающая скобка "_cp + Br[0]);
  return Find(Sub, m, 1);
}

void ExtractBrackets(const std::string& S, const std::string& Br, std::string& Rest,
                     std::string& Part) {
  Rest = S;
  Part.clear();
  if (!BracketsOk(Br, "cvStr.ExtractBrackets")) return;
  const Size o = S.find(Br[0]);
  if (o == std::string::npos) return;
  Size c = S.rfind(Br[1]);
  if (c == o) c = std::string::npos;  // identical brackets: one mark is no pair
  const std::string head = "cvStr.ExtractBrackets " + Br + "в строке "_cp + kCrLf + S + kCrLf;
  if (c == std::string::npos) {
    CvStrBox(head + "не найдена вторая скобка!"_cp);
    return;
  }
  if (c < o) {
    CvStrBox(head + "вторая скобка найдена раньше первой!"_cp);
    return;
  }
  Part = S.substr(o, c - o + 1);
  Rest = S.substr(0, o) + S.substr(c + 1);
}

std::string UnBrackets(const std::string& S, const std::string& Br) {
  if (!BracketsOk(Br, "cvStr.UnBrackets")) return S;
  const Size o = S.find(Br[0]);
  Size c = S.rfind(Br[1]);
  if (c == o && o != std::string::npos) c = std::string::npos;
  const std::string head = "cvStr.UnBrackets " + Br + "в строке "_cp + kCrLf + S + kCrLf;
  if (o != std::string::npos) {
    if (c == std::string::npos) {
      CvStrBox(head + "не найдена вторая скобка!"_cp);
      return S.substr(o + 1);
    }
    if (c < o) {
      CvStrBox(head + "вторая скобка найдена раньше первой!"_cp);
      return S;
    }
    return S.substr(o + 1, c - o - 1);
  }
  if (c != std::string::npos) return S.substr(0, c);
  return S;
}

// ---------------------------------------------------------------- substrings

std::string LeftN(const std::string& S, int32_t N) {
  const int32_t n = Len(S);
  if (N == 0) return "";
  if ((N < 0 ? -static_cast<int64_t>(N) : N) >= n) return S;
  return N > 0 ? S.substr(0, static_cast<Size>(N)) : S.substr(0, static_cast<Size>(n + N));
}

std::string RightN(const std::string& S, int32_t N) {
  const int32_t n = Len(S);
  if (N == 0) return "";
  if ((N < 0 ? -static_cast<int64_t>(N) : N) >= n) return S;
  return N > 0 ? S.substr(static_cast<Size>(n - N)) : S.substr(static_cast<Size>(-N));
}

std::string BeforeStr(const std::string& S, const std::string& Sub) {
  const int32_t p = Find(Sub, S, 1);
  return p == 0 ? S : S.substr(0, static_cast<Size>(p - 1));
}

std::string AfterStr(const std::string& S, const std::string& Sub) {
  const int32_t p = Find(Sub, S, 1);
  return p == 0 ? std::string() : S.substr(static_cast<Size>(p - 1) + Sub.size());
}

std::string AfterStr2(const std::string& S, const std::string& Sub) { return AfterStr(S, Sub); }

std::string TailFrom(const std::string& S, int32_t P) { return Copy(S, P, Len(S)); }

std::string SubFromTo(const std::string& S, int32_t From, int32_t To) {
  const int32_t n = Len(S);
  if (From > n) From = n;
  if (To > n) To = n;
  if (From < 1) From = 1;
  if (From >= To) return "";
  return Copy(S, From, To - From + 1);
}

std::string SubN(const std::string& S, int32_t P, int32_t N) {
  if (P > Len(S) || N <= 0) return "";
  return Copy(S, P, N);
}

char CharAt(const std::string& S, int32_t I) {
  const int32_t n = Len(S);
  if (I < 0) I = n + 1 + I;
  if (I < 1 || I > n) return '\0';
  return At(S, I);
}

std::string WordAt(const std::string& S, int32_t P) {
  const int32_t n = Len(S);
  if (P > n) P = n;
  if (P < 1) P = 1;
  if (n == 0) return "";
  int32_t b = P;
  if (At(S, b) == ' ') {
    while (b <= n && At(S, b) == ' ') ++b;
    if (b > n) return "";
  } else {
    while (b > 1 && At(S, b - 1) != ' ') --b;
  }
  int32_t e = b;
  while (e <= n && At(S, e) != ' ') ++e;
  return Copy(S, b, e - b);
}

// ---------------------------------------------------------------- editing

std::string ReplaceAll(const std::string& S, const std::string& Sub, const std::string& New) {
  if (Sub.empty()) return S;
  std::string r;
  Size from = 0;
  for (;;) {
    Size p = S.find(Sub, from);
    if (p == std::string::npos) break;
    r.append(S, from, p - from);
    r += New;
    from = p + Sub.size();
  }
  r.append(S, from, std::string::npos);
  return r;
}

std::string ReplaceLast(const std::string& S, const std::string& Sub, const std::string& New) {
  const int32_t p = LastPos(Sub, S);
  if (p == 0) return S;
  return S.substr(0, static_cast<Size>(p - 1)) + New + S.substr(static_cast<Size>(p - 1) + Sub.size());
}

std::string ReplaceSet(const std::string& S, const TCharSet& Set, const std::string& New) {
  std::string r;
  for (char c : S) {
    if (InSet(Set, c))
      r += New;
    else
      r += c;
  }
  return r;
}

std::string ReplaceChar(const std::string& S, char A, char B) {
  std::string r = S;
  ReplaceCharVar(r, A, B);
  return r;
}

void ReplaceCharVar(std::string& S, char A, char B) {
  for (char& c : S)
    if (c == A) c = B;
}

std::string StrReplaceAt(const std::string& S, const std::string& New, int32_t P, int32_t N) {
  const int32_t n = Len(S);
  if (P < 1) P = 1;
  if (P > n + 1) P = n + 1;
  if (N < 0) N = 0;
  if (N > n - P + 1) N = n - P + 1;
  std::string r = S;
  r.replace(static_cast<Size>(P - 1), static_cast<Size>(N), New);
  return r;
}

std::string StrReplaceCharAt(const std::string& S, const std::string& New, int32_t P) {
  return StrReplaceAt(S, New, P, 1);
}

std::string DelChars(const std::string& S, const std::string& Chars) {
  std::string r;
  for (char c : S)
    if (Chars.find(c) == std::string::npos) r += c;
  return r;
}

std::string DelBlanks(const std::string& S) {
  std::string r;
  for (char c : S)
    if (c != ' ' && static_cast<unsigned char>(c) != 160) r += c;
  return r;
}

void CutAtChar(std::string& S, char C) {
  Size p = S.find(C);
  if (p != std::string::npos) S.erase(p);
}

void CutAtSub(std::string& S, const std::string& Marker) {
  if (Marker.empty()) return;
  Size p = S.find(Marker);
  if (p != std::string::npos) S.erase(p);
}

std::string CutOption(char C, const std::string& Name, const std::string& S) {
  const std::string key = std::string(1, C) + Name;
  Size p = S.find(key);
  if (p == std::string::npos) return S;
  Size q = S.find(C, p + 1);
  return S.substr(0, p) + (q == std::string::npos ? std::string() : S.substr(q));
}

std::string DeQuote(const std::string& S, char Q) {
  std::string r = S;
  if (r.size() > 1 && r.front() == Q && r.back() == Q) r = r.substr(1, r.size() - 2);
  const std::string qq(2, Q);
  Size from = 0;
  for (;;) {
    Size b = r.find(qq, from);
    if (b == std::string::npos) break;
    r.erase(b + 1, 1);
    from = b + 1;
  }
  return r;
}

std::string QuoteStr(const std::string& S) { return "'" + S + "'"; }

std::string DefaultStr(const std::string& S, const std::string& Default) {
  return TrimCtl(S).empty() ? Default : S;
}

std::string TrimCells(const std::string& S, const std::string& Sep) {
  return MapCells(S, Sep, [](const std::string& cell) { return TrimCtl(cell); });
}

std::string FillEmptyCells(const std::string& S, const std::string& Sep,
                           const std::string& Filler) {
  return MapCells(S, Sep, [&](const std::string& cell) {
    return TrimCtl(cell).empty() ? Filler : cell;
  });
}

// ---------------------------------------------------------------- trimming, case, widths

std::string TrimSp(const std::string& S) {
  Size b = S.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  Size e = S.find_last_not_of(' ');
  return S.substr(b, e - b + 1);
}

std::string TrimBlanks(const std::string& S) { return TrimSp(S); }

std::vector<std::string> SplitWords(const std::string& S) {
  std::vector<std::string> w;
  std::string cur;
  for (char c : S) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!cur.empty()) w.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) w.push_back(std::move(cur));
  return w;
}

char UpCaseCyr(char C) {
  const unsigned char u = static_cast<unsigned char>(C);
  if ((u >= 'a' && u <= 'z') || u >= 224) return static_cast<char>(u - 32);
  return C;
}

std::string UpCaseStrCyr(const std::string& S) {
  std::string r = S;
  for (char& c : r) c = UpCaseCyr(c);
  return r;
}

std::string TabsToBlanks(const std::string& S) {
  constexpr Size kTab = 8;
  if (S.find('\t') == std::string::npos) return S;
  std::string r;
  for (char c : S) {
    if (c == '\t')
      r.append(kTab - r.size() % kTab, ' ');
    else
      r += c;
  }
  return r;
}

std::string PadRight(const std::string& S, int32_t W) {
  if (Len(S) >= W) return S;
  return S + std::string(static_cast<Size>(W - Len(S)), ' ');
}

std::string PadLeft(const std::string& S, int32_t W) {
  if (Len(S) >= W) return S;
  return std::string(static_cast<Size>(W - Len(S)), ' ') + S;
}

std::string PadRightMark(const std::string& S, int32_t W) {
  if (W < 1) return "";
  if (Len(S) <= W) return PadRight(S, W);
  return S.substr(0, static_cast<Size>(W - 1)) + "*";
}

std::string PadLeftMark(const std::string& S, int32_t W) {
  if (W < 1) return "";
  if (Len(S) <= W) return PadLeft(S, W);
  return "*" + S.substr(1, static_cast<Size>(W - 1));
}

std::string AlignStr(const std::string& S, int32_t W, int32_t Mode) {
  const int32_t n = Len(S);
  if (W < 0) W = 0;
  if (n >= W) return S.substr(0, static_cast<Size>(W));
  const Size free = static_cast<Size>(W - n);
  switch (Mode) {
    case 0: return std::string(free / 2, ' ') + S + std::string(free - free / 2, ' ');
    case 1: return std::string(free, ' ') + S;
    case 2: return std::string(free - 1, ' ') + S + " ";
    case -2: return " " + S + std::string(free - 1, ' ');
    default: return S + std::string(free, ' ');  // -1 and any other mode: left-aligned
  }
}

void StrToFixBuf(const std::string& S, void* Buffer, int32_t Count) {
  if (!Buffer || Count <= 0) return;
  auto* b = static_cast<char*>(Buffer);
  std::memset(b, ' ', static_cast<size_t>(Count));
  std::memcpy(b, S.data(), std::min(S.size(), static_cast<size_t>(Count)));
}

// ---------------------------------------------------------------- cursor scanning

namespace {
// A cursor below 1 starts at the first character.
void ClampCursor(int32_t& J) {
  if (J < 1) J = 1;
}
}  // namespace

void SkipBlanks(const std::string& S, int32_t& J) {
  ClampCursor(J);
  while (J <= Len(S) && At(S, J) == ' ') ++J;
}

void SkipNonBlanks(const std::string& S, int32_t& J) {
  ClampCursor(J);
  while (J <= Len(S) && At(S, J) != ' ') ++J;
}

void SkipToChar(const std::string& S, int32_t& J, char C) {
  ClampCursor(J);
  while (J <= Len(S) && At(S, J) != C) ++J;
}

void SkipQuoted(const std::string& S, int32_t& J, char Q) {
  ClampCursor(J);
  if (J <= Len(S) && At(S, J) == Q) {
    ++J;
    SkipToChar(S, J, Q);
    if (J <= Len(S)) ++J;
  } else {
    SkipNonBlanks(S, J);
  }
}

void BackToBlank(const std::string& S, int32_t& J) {
  if (J > Len(S)) J = Len(S);
  while (J >= 1 && At(S, J) != ' ') --J;
  if (J < 0) J = 0;
}

void PassBlanc(const std::string& S, int32_t& J, const TCharSet& Set) {
  if (J < 1) {
    CvStrBox("В процедуре PassBlanc J не может быть менее 1"_cp);
    J = 1;
  }
  while (J <= Len(S) && InSet(Set, At(S, J))) ++J;
}

void PassNonSet(const std::string& S, int32_t& J, const TCharSet& Set) {
  ClampCursor(J);
  while (J <= Len(S) && !InSet(Set, At(S, J))) ++J;
}

void NextWord(const std::string& S, int32_t& J, std::string& Word) {
  SkipBlanks(S, J);
  const int32_t b = J;
  SkipNonBlanks(S, J);
  Word = Copy(S, b, J - b);
}

void NextWordSet(const std::string& S, int32_t& J, const TCharSet& Set, std::string& Word) {
  PassBlanc(S, J, Set);
  const int32_t b = J;
  PassNonSet(S, J, Set);
  Word = Copy(S, b, J - b);
}

void NextQWord(const std::string& S, int32_t& J, char Q, std::string& Word) {
  const int32_t n = Len(S);
  ClampCursor(J);
  while (J <= n && (At(S, J) == ' ' || At(S, J) == '\t')) ++J;
  const int32_t b = J;
  if (J > n) {
    Word.clear();
    return;
  }
  int32_t e;  // last character of the word
  if (At(S, J) == Q) {
    e = J + 1;
    while (e <= n && At(S, e) != Q) ++e;
    if (e > n) e = n;
  } else {
    e = J;
    while (e + 1 <= n && At(S, e + 1) != ' ') ++e;
  }
  Word = TrimCtl(Copy(S, b, e - b + 1));
  J = e + 1;
}

// ---------------------------------------------------------------- words and fields

namespace {
// Start and end (1-based, inclusive) of the blank-delimited words of S.
template <class F>
void ForEachWord(const std::string& S, F Visit) {
  const int32_t n = Len(S);
  int32_t j = 1, k = 0;
  for (;;) {
    while (j <= n && At(S, j) == ' ') ++j;
    if (j > n) return;
    const int32_t b = j;
    while (j <= n && At(S, j) != ' ') ++j;
    if (!Visit(++k, b, j - 1)) return;
  }
}
}  // namespace

std::string WordN(const std::string& S, int32_t N) {
  const int32_t p = WordPos(S, N);
  return p == 0 ? std::string() : WordAt(S, p);
}

int32_t WordPos(const std::string& S, int32_t N) {
  int32_t r = 0;
  if (N <= 0) return 0;
  ForEachWord(S, [&](int32_t k, int32_t b, int32_t) {
    if (k == N) r = b;
    return k < N;
  });
  return r;
}

std::string QWordN(const std::string& S, int32_t N, char Q) {
  if (N <= 0) return "";
  int32_t j = 1;
  std::string w;
  for (int32_t k = 1; k <= N; ++k) {
    NextQWord(S, j, Q, w);
    if (w.empty() && j > Len(S)) return "";
  }
  return w;
}

int32_t WordCount(const std::string& S) {
  int32_t r = 0;
  ForEachWord(S, [&](int32_t k, int32_t, int32_t) {
    r = k;
    return true;
  });
  return r;
}

int32_t QWordCount(const std::string& S, char Q) {
  int32_t j = 1, r = 0;
  std::string w;
  while (j <= Len(S)) {
    NextQWord(S, j, Q, w);
    if (!w.empty()) ++r;
  }
  return r;
}

int32_t WordCountSet(const std::string& S, const TCharSet& Set) {
  if (TrimCtl(S).empty()) return 0;
  const int32_t n = Len(S);
  int32_t j = 1, r = 0;
  for (;;) {
    while (j <= n && InSet(Set, At(S, j))) ++j;
    if (j > n) return r;
    ++r;
    while (j <= n && !InSet(Set, At(S, j))) ++j;
  }
}

int32_t CountCols(const std::string& S, char Q, char C) {
  if (C != ' ') return FieldCount(S, C);
  if (Q != '\0') return QWordCount(S, Q);
  return WordCountSet(S, kBlankTab);
}

int32_t WordIndexAt(const std::string& S, int32_t P) {
  int32_t r = 0, count = 0;
  ForEachWord(S, [&](int32_t k, int32_t, int32_t e) {
    count = k;
    if (P <= e) {
      r = k;
      return false;
    }
    return true;
  });
  return r ? r : count + 1;
}

int32_t FieldCount(const std::string& S, char C) {
  int32_t r = 1;
  for (char c : S)
    if (c == C) ++r;
  return r;
}

std::string FieldN(const std::string& S, char C, int32_t K) {
  if (K < 0) return "";
  Size from = 0;
  for (int32_t k = 0; k < K; ++k) {
    Size p = S.find(C, from);
    if (p == std::string::npos) return "";
    from = p + 1;
  }
  Size q = S.find(C, from);
  return TrimSp(S.substr(from, q == std::string::npos ? std::string::npos : q - from));
}

void KeyWordValue(const std::string& S, const std::string& Key, std::string& Value) {
  Value.clear();
  const int32_t k = Find(Key, S, 1);
  if (k == 0) return;
  const int32_t P = k + Len(Key);
  const int32_t Q = Find("=", S, P);
  if (Q == 0) return;
  for (int32_t i = P; i < Q; ++i)
    if (At(S, i) != ' ') return;
  int32_t j = Q + 1;
  NextWord(S, j, Value);
}

// ---------------------------------------------------------------- character classes

bool IsAllInSet(const std::string& S, const TCharSet& Set, int32_t MinLen) {
  if (MinLen > 0 && Len(S) < MinLen) return false;
  for (char c : S)
    if (!InSet(Set, c)) return false;
  return true;
}

bool IsDigits(const std::string& S) {
  for (char c : S)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IsHexDigits(const std::string& S) {
  for (char c : S)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool IsNumChars(const std::string& S) {
  for (char c : S)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e'))
      return false;
  return true;
}

bool IsSepChar(char Ch) { return InSet(SepChars, Ch); }

bool IsBlankAfter(const std::string& S, int32_t P) {
  if (P < 0) P = 0;
  for (int32_t i = P + 1; i <= Len(S); ++i) {
    const char c = At(S, i);
    if (c != ' ' && c != '\r' && c != '\n') return false;
  }
  return true;
}

bool EndsWithChar(const std::string& S, char C) {
  for (int32_t i = Len(S); i >= 1; --i) {
    const char c = At(S, i);
    if (c != ' ' && c != '\r' && c != '\n') return c == C;
  }
  return false;
}

// ---------------------------------------------------------------- two lines from a buffer

void SplitTwoLines(const char* Buffer, std::string& Line1, std::string& Line2) {
  constexpr Size kMaxLine = 63999;
  Line1.clear();
  Line2.clear();
  if (!Buffer) return;
  auto isEnd = [](char c) { return c == '\0' || c == '\r' || c == '\n'; };
  const char* p = Buffer;
  while (!isEnd(*p) && Line1.size() < kMaxLine) Line1 += *p++;
  if (*p != '\r' && *p != '\n') return;
  ++p;
  if (*p == '\r' || *p == '\n') ++p;
  while (!isEnd(*p) && Line2.size() < kMaxLine) Line2 += *p++;
}

std::string TrimCtl(const std::string& S) {
  Size b = 0, e = S.size();
  while (b < e && static_cast<unsigned char>(S[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ') --e;
  return S.substr(b, e - b);
}

std::string TrimRightCtl(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

std::string ScanLineWord(const std::string& Line, int32_t& Pos, int32_t& WordStart) {
  const int32_t len = static_cast<int32_t>(Line.size());
  if (Pos < 1) Pos = 1;
  while (Pos < len && Line[static_cast<size_t>(Pos - 1)] == ' ') ++Pos;
  WordStart = Pos;
  const int32_t start = Pos;
  while (Pos <= len && Line[static_cast<size_t>(Pos - 1)] != ' ') ++Pos;
  if (start > len) return std::string();
  return Line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(Pos - start));
}
