#include "foundation/cvSL.h"

#include <cmath>
#include <unordered_set>
#include <utility>
#include <vector>

#include "foundation/cvLit.h"

namespace {

const std::string CRLF = "\r\n";

bool Contains(const std::string& line, const std::string& sub) {
  return !sub.empty() && line.find(sub) != std::string::npos;
}

// Replaces the lines of L by Lines in one pass, keeping the objects of the lines.
void Rebuild(TStringList* L, const std::vector<std::string>& lines) {
  std::vector<void*> objects(lines.size());
  for (size_t i = 0; i < lines.size() && static_cast<int>(i) < L->Count(); ++i)
    objects[i] = L->Objects(static_cast<int>(i));
  L->Clear();
  for (size_t i = 0; i < lines.size(); ++i) L->AddObject(lines[i], objects[i]);
}

std::unique_ptr<TStringList> NewList() { return std::make_unique<TStringList>(); }

}  // namespace

// ---- splitting ----

std::unique_ptr<TStringList> SplitByChar(const std::string& S, char C) {
  if (S.empty()) return nullptr;
  auto L = NewList();
  size_t i = 0, n = S.size();
  while (i < n) {
    while (i < n && S[i] == C) ++i;
    size_t j = i;
    while (j < n && S[j] != C) ++j;
    if (j > i) L->Add(S.substr(i, j - i));
    i = j;
  }
  return L;
}

std::unique_ptr<TStringList> SplitByStr(const std::string& S, const std::string& Sep) {
  if (S.empty()) return nullptr;
  auto L = NewList();
  if (Sep.empty()) {
    L->Add(S);
    return L;
  }
  size_t start = 0;
  for (size_t p = S.find(Sep); p != std::string::npos; p = S.find(Sep, start)) {
    L->Add(S.substr(start, p - start));
    start = p + Sep.size();
  }
  if (start < S.size()) L->Add(S.substr(start));
  return L;
}

std::unique_ptr<TStringList> SplitBySet(const std::string& S, const TCharSet& Set) {
  if (S.empty()) return nullptr;
  auto L = NewList();
  bool inRun = false;
  size_t start = 0;
  for (size_t i = 0; i < S.size(); ++i) {
    bool sep = Set.test(static_cast<unsigned char>(S[i]));
    if (sep && !inRun) {
      L->Add(S.substr(start, i - start));
      inRun = true;
    } else if (!sep && inRun) {
      start = i;
      inRun = false;
    }
  }
  if (!inRun) L->Add(TrimCtl(S.substr(start)));
  return L;
}

std::unique_ptr<TStringList> SplitLinesSet(const std::string& S) {
  TCharSet lineEnds;
  lineEnds.set('\r');
  lineEnds.set('\n');
  return SplitBySet(S, lineEnds);
}

// ---- joining and copying ----

std::string SListToStr(const TStringList* L) {
  if (L == nullptr) return std::string();
  int n = L->Count();
  if (n > 1000) {
    CvStrBox("Проверьте программу! SListToStr не должен вызываться "_cp + CRLF +
             "для списка из "_cp + IntStr(n) + " строк!"_cp);
    n = 1000;
  }
  std::string s;
  for (int i = 0; i < n; ++i) {
    if (i > 0) s += CRLF;
    s += (*L)[i];
  }
  return s;
}

std::unique_ptr<TStringList> SLDup(const TStringList* L) {
  if (L == nullptr) return nullptr;
  auto R = NewList();
  R->AddStrings(*L);
  return R;
}

TStringList* SLAppend(TStringList* A, TStringList* B) {
  if (A == nullptr) return B;
  if (B != nullptr) A->AddStrings(*B);
  return A;
}

TStringList* SLAppendSL(TStringList* A, TStringList* B) { return SLAppend(A, B); }

void SLCopy(const TStringList* Source, TStringList* Target) {
  if (Source == nullptr) {
    CvStrBox("SLCopy-err: StringList - источник Not Assigned!"_cp);
    return;
  }
  if (Target == nullptr) {
    CvStrBox("SLCopy-err: StringList - приёмник Not Assigned!"_cp);
    return;
  }
  Target->AddStrings(*Source);
}

void SLRePlace(const TStringList* Source, TStringList* Target) {
  if (Source == nullptr) {
    CvStrBox("SLRePlace-err: StringList - источник Not Assigned!"_cp);
    return;
  }
  if (Target == nullptr) {
    CvStrBox("SLRePlace-err: StringList - приёмник Not Assigned!"_cp);
    return;
  }
  if (Source == Target) return;  // clearing first would lose the lines
  Target->Clear();
  Target->AddStrings(*Source);
}

void SLCopyRange(const TStringList* Source, TStringList* Target, int From, int To) {
  if (Source == nullptr || Target == nullptr) return;
  if (To < From) std::swap(From, To);
  if (From < 0) From = 0;
  if (To > Source->Count() - 1) To = Source->Count() - 1;
  for (int i = From; i <= To; ++i) {
    std::string s = (*Source)[i];
    Target->AddObject(s, Source->Objects(i));
  }
}

void SLCopyFromTo(const TStringList* Source, TStringList* Target, const std::string& StartText,
                  const std::string& EndText) {
  if (Source == nullptr || Target == nullptr) return;
  const int n = Source->Count();
  int first = -1;
  if (StartText.empty()) {
    first = 0;
  } else {
    for (int i = 0; i < n && first < 0; ++i)
      if ((*Source)[i].find(StartText) != std::string::npos) first = i;
  }
  if (first < 0) return;
  int last = n - 1;
  if (!EndText.empty())
    for (int i = first; i < n; ++i)
      if ((*Source)[i].find(EndText) != std::string::npos) {
        last = i;
        break;
      }
  for (int i = first; i <= last; ++i) {
    std::string s = (*Source)[i];
    Target->AddObject(s, Source->Objects(i));
  }
}

std::unique_ptr<TStringList> SLMerge(const TStringList* A, const TStringList* B) {
  if (A == nullptr) return SLDup(B);
  auto R = SLDup(A);
  if (B == nullptr) return R;
  std::unordered_set<std::string> seen;
  for (int i = 0; i < R->Count(); ++i) seen.insert((*R)[i]);
  for (int i = 0; i < B->Count(); ++i)
    if (seen.insert((*B)[i]).second) R->AddObject((*B)[i], B->Objects(i));
  return R;
}

void SLReverse(TStringList* L) {
  if (L == nullptr) return;
  const int n = L->Count();
  std::vector<std::string> lines;
  std::vector<void*> objects;
  for (int i = n - 1; i >= 0; --i) {
    lines.push_back((*L)[i]);
    objects.push_back(L->Objects(i));
  }
  L->Clear();
  for (int i = 0; i < n; ++i) L->AddObject(lines[i], objects[i]);
}

void SLTabsToBlanks(TStringList* L) {
  if (L == nullptr) return;
  std::vector<std::string> lines;
  for (int i = 0; i < L->Count(); ++i) lines.push_back(TabsToBlanks((*L)[i]));
  Rebuild(L, lines);
}

// ---- searching ----

namespace {
template <class Match>
int FindLine(const TStringList* L, int from, Match match) {
  if (L == nullptr) return -1;
  for (int i = from < 0 ? 0 : from; i < L->Count(); ++i)
    if (match((*L)[i])) return i;
  return -1;
}
}  // namespace

int SLIndexOf(const std::string& S, const TStringList* L) {
  return FindLine(L, 0, [&](const std::string& s) { return s == S; });
}

int SLIndexOfExact(const std::string& S, const TStringList* L) { return SLIndexOf(S, L); }

int SLIndexOfSub(const std::string& S, const TStringList* L) { return SLIndexOfSubFrom(S, 0, L); }

int SLIndexOfSubFrom(const std::string& S, int K, const TStringList* L) {
  return FindLine(L, K, [&](const std::string& s) { return Contains(s, S); });
}

int SLIndexOfPrefix(const std::string& S, const TStringList* L) {
  return FindLine(L, 0, [&](const std::string& s) {
    return !S.empty() && s.compare(0, S.size(), S) == 0;
  });
}

int SLIndexOfKey(const std::string& Key, const TStringList* L) {
  return FindLine(L, 0, [&](const std::string& s) {
    std::string w = WordN(s, 1);
    return w.substr(0, w.find('=')) == Key;
  });
}

int SLIndexOfBefore(const std::string& S, const std::string& Sep, const TStringList* L) {
  return FindLine(L, 0, [&](const std::string& s) {
    size_t p = Sep.empty() ? std::string::npos : s.find(Sep);
    return TrimCtl(s.substr(0, p)) == S;
  });
}

int SLIndexOfTrim(const std::string& S, const TStringList* L) {
  const std::string t = TrimCtl(S);
  return FindLine(L, 0, [&](const std::string& s) { return TrimCtl(s) == t; });
}

// ---- line editing ----

void SLCutAfter(TStringList* L, const std::string& Marker) {
  if (L == nullptr || Marker.empty()) return;
  std::vector<std::string> lines;
  for (int i = 0; i < L->Count(); ++i) {
    const std::string& s = (*L)[i];
    lines.push_back(s.substr(0, s.find(Marker)));
  }
  Rebuild(L, lines);
}

void SLCutBetween(TStringList* L, const std::string& Open, const std::string& Close) {
  if (L == nullptr || Open.empty() || Close.empty()) return;
  std::vector<std::string> lines;
  bool inComment = false;
  for (int i = 0; i < L->Count(); ++i) {
    std::string s = (*L)[i];
    size_t from = 0;
    if (inComment) {
      size_t c = s.find(Close);
      if (c == std::string::npos) {
        lines.push_back(std::string());
        continue;
      }
      size_t end = c + Close.size();
      inComment = false;
      if (end >= s.size()) {
        lines.push_back(std::string());
        continue;
      }
      s.replace(0, end, end, ' ');
      from = end;
    }
    for (;;) {
      size_t o = s.find(Open, from);
      if (o == std::string::npos) break;
      size_t c = s.find(Close, o + Open.size());
      if (c == std::string::npos) {
        s.erase(o);
        inComment = true;
        break;
      }
      size_t end = c + Close.size();
      if (end >= s.size()) {
        s.erase(o);
        break;
      }
      s.replace(o, end - o, end - o, ' ');
      from = end;
    }
    lines.push_back(s);
  }
  Rebuild(L, lines);
}

void SLOnOffChar(TStringList* L, const std::string& Sub, char C, bool On) {
  if (L == nullptr) {
    CvStrBox("cvStr.SLOnOffChar ERR: SL Not Assigned!");
    return;
  }
  if (L->Count() == 0) {
    CvStrBox("cvStr.SLOnOffChar ERR: SL.Count=0!");
    return;
  }
  if (SLIndexOfSub(Sub, L) < 0) {
    CvStrBox("cvStr.SLOnOffChar ERR: не найдена подстрока <"_cp + Sub + ">!");
    return;
  }
  for (int i = 0; i < L->Count(); ++i) {
    const std::string& s = (*L)[i];
    if (!Contains(s, Sub)) continue;
    if (On) {
      if (s.find(C) == std::string::npos) L->Put(i, s + C);
    } else {
      size_t p = s.rfind(C);
      if (p != std::string::npos) L->Put(i, s.substr(0, p));
    }
  }
}

// ---- numbers and text ----

void StrToARe(const std::string& S, TARe& A) {
  const int n = WordCount(S);
  TARe r(static_cast<size_t>(n) + 1, 0.0);
  for (int i = 1; i <= n; ++i) {
    int32_t code = 0;
    r[static_cast<size_t>(i)] = ValRealCode(WordN(S, i), code);
    if (code != 0) {
      A.clear();
      return;
    }
  }
  A = std::move(r);
}

void AReToStr(const TARe& A, int N, std::string& S) { S = AReToStr(A, N); }

std::string AReToStr(const TARe& A, int N) {
  std::string s;
  for (int i = 1; i <= NOf(A); ++i) {
    if (i > 1) s += ' ';
    s += ShortSt(N, A[static_cast<size_t>(i)]);
  }
  return s;
}

void AReToStrN(const TARe& A, int M, int N, std::string& S) { S = AReToStrN(A, M, N); }

std::string AReToStrN(const TARe& A, int M, int N) {
  const int n = NOf(A);
  if (n < 1) return std::string();
  const int k = M < 1 ? 1 : (M < n ? M : n);
  std::string s;
  for (int i = 1; i <= k; ++i) {
    if (i > 1) s += ' ';
    s += ShortSt(N, A[static_cast<size_t>(i)]);
  }
  if (k < n) s += " ...";
  return s;
}

void AInToStr(const TAIn& A, std::string& S) { S = AInToStr(A); }

std::string AInToStr(const TAIn& A) {
  std::string s;
  for (int i = 1; i <= NOf(A); ++i) {
    if (i > 1) s += ' ';
    s += IntStr(A[static_cast<size_t>(i)]);
  }
  return s;
}

std::unique_ptr<TStringList> PointsToSL(const TPointsArray& P, int N) {
  auto L = NewList();
  for (const TRePoint& p : P) L->Add(FDecSt0(N, p.X) + " " + FDecSt0(N, p.Y));
  return L;
}

void SeqToStr(int N, double Step, double To, double From, std::string& S) {
  S = ShortSt(N, From);
  if (Step == 0) return;  // no direction to walk in
  double p = From + Step;
  int count = 1;
  while ((Step > 0 ? p < To : p > To) && count < SeqMaxValues) {
    S += " " + ShortSt(N, p);
    ++count;
    p += Step;
  }
  if (count < SeqMaxValues && std::fabs(To - p) < std::fabs(Step) / 1000) S += " " + ShortSt(N, p);
}

std::string SeqToStr(int N, double Step, double To, double From) {
  std::string s;
  SeqToStr(N, Step, To, From, s);
  return s;
}

void ExpandSeqBrackets(const std::string& S, std::string& Err, std::string& Result) {
  Err.clear();
  std::string t = S;
  size_t open = t.find('(');
  size_t close = open == std::string::npos ? std::string::npos : t.find(')', open);
  while (open != std::string::npos && close != std::string::npos) {
    const std::string inner = t.substr(open + 1, close - open - 1);
    size_t next = close;  // where the search for the next group starts
    if (inner.find_first_of("<>=") == std::string::npos) {
      double v[3] = {0, 0, 0};
      size_t width = 0;
      bool numbers = WordCount(inner) == 3;
      for (int k = 0; k < 3 && numbers; ++k) {
        const std::string w = WordN(inner, k + 1);
        int32_t code = 0;
        v[k] = ValRealCode(w, code);
        numbers = code == 0;
        if (w.size() > width) width = w.size();
      }
      std::string seq;
      if (!numbers)
        Err = "ОШИБКА! В конструкции "_cp + inner + " должно быть три числа!"_cp;
      else if ((v[1] - v[0]) * v[2] > 0)
        seq = SeqToStr(static_cast<int>(width) + 2, v[2], v[1], v[0]);
      else
        Err = "В конструкции "_cp + inner + " ошибка в знаках чисел!"_cp;
      if (Err.empty()) {
        const std::string group = " " + seq + " ";
        t.replace(open, close - open + 1, group);
        // go on after the inserted text: it holds no brackets, and a shorter text must not
        // make the search step over the next group
        next = open + group.size();
      }
    }
    open = t.find('(', next);
    close = open == std::string::npos ? std::string::npos : t.find(')', open);
  }
  Result = t;
}
