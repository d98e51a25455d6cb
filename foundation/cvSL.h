// Operations on string lists: splitting and joining, copying and merging, searching, comment
// cutting and marker toggling; number arrays as text and the number-sequence shorthand
// "(start end step)".
// Line indices count from 0 and -1 means not found; line comparisons are exact and
// case-sensitive. A list that may be absent is passed as a pointer (nullptr is allowed everywhere);
// a new list is returned to its owner as std::unique_ptr (nullptr when there is none).
#pragma once
#include <memory>
#include <string>

#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTy.h"

// ---- splitting (nullptr for the empty string) ----
// Pieces between characters C; a run of C is one break; no empty pieces.
std::unique_ptr<TStringList> SplitByChar(const std::string& S, char C);
// Pieces between non-overlapping occurrences of Sep; adjacent Sep give an empty piece; a
// non-empty tail is the last piece. An empty Sep gives S as the one piece.
std::unique_ptr<TStringList> SplitByStr(const std::string& S, const std::string& Sep);
// Pieces between runs of characters of Set; a leading run gives one empty first piece; the last
// piece is trimmed of blanks and control characters; a trailing run adds nothing.
std::unique_ptr<TStringList> SplitBySet(const std::string& S, const TCharSet& Set);
// The non-empty lines of a text (SplitBySet with CR and LF).
std::unique_ptr<TStringList> SplitLinesSet(const std::string& S);

// ---- joining and copying ----
// Lines joined with CR LF between them; at most the first 1000 (more are warned about).
std::string SListToStr(const TStringList* L);
std::unique_ptr<TStringList> SLDup(const TStringList* L);
// B's lines appended to A; returns A, or B when A is absent.
TStringList* SLAppend(TStringList* A, TStringList* B);
TStringList* SLAppendSL(TStringList* A, TStringList* B);
// Source's lines appended to Target (Target is not cleared).
void SLCopy(const TStringList* Source, TStringList* Target);
// Target cleared, then Source's lines added.
void SLRePlace(const TStringList* Source, TStringList* Target);
// Lines From..To of Source appended to Target (bounds swapped when To < From, then clamped).
void SLCopyRange(const TStringList* Source, TStringList* Target, int From, int To);
// Lines from the first that contains StartText (from the first line when it is empty; nothing
// when none does) through the first line at or after it that contains EndText (to the end when
// EndText is empty or not found).
void SLCopyFromTo(const TStringList* Source, TStringList* Target, const std::string& StartText,
                  const std::string& EndText);
// A's lines, then each line of B not yet in the result.
std::unique_ptr<TStringList> SLMerge(const TStringList* A, const TStringList* B);
void SLReverse(TStringList* L);
void SLTabsToBlanks(TStringList* L);

// ---- searching: index of the first matching line, -1 when none ----
// An empty search text for the substring and prefix searches matches no line.
int SLIndexOf(const std::string& S, const TStringList* L);
int SLIndexOfExact(const std::string& S, const TStringList* L);
int SLIndexOfSub(const std::string& S, const TStringList* L);
int SLIndexOfSubFrom(const std::string& S, int K, const TStringList* L);
int SLIndexOfPrefix(const std::string& S, const TStringList* L);
// The line's first word, cut before any "=", equals Key.
int SLIndexOfKey(const std::string& Key, const TStringList* L);
// The line's part before the first Sep (all of it when Sep is absent), trimmed, equals S.
int SLIndexOfBefore(const std::string& S, const std::string& Sep, const TStringList* L);
int SLIndexOfTrim(const std::string& S, const TStringList* L);

// ---- line editing in place ----
// Every line cut before the first Marker.
void SLCutAfter(TStringList* L, const std::string& Marker);
// Block comments Open .. Close blanked out or cut, also across lines; the number of lines stays.
void SLCutBetween(TStringList* L, const std::string& Open, const std::string& Close);
// On every line containing Sub: On appends C when the line holds none; off cuts the line before
// its last C.
void SLOnOffChar(TStringList* L, const std::string& Sub, char C, bool On);

// ---- numbers and text ----
// The words of S read as reals into A[1..n] (A[0] = 0); A empty when a word is no number.
void StrToARe(const std::string& S, TARe& A);
// ShortSt(N, .) of the values, separated by single blanks.
void AReToStr(const TARe& A, int N, std::string& S);
std::string AReToStr(const TARe& A, int N);
// The same for at most the first M values (at least one), " ..." when some were left out.
void AReToStrN(const TARe& A, int M, int N, std::string& S);
std::string AReToStrN(const TARe& A, int M, int N);
void AInToStr(const TAIn& A, std::string& S);
std::string AInToStr(const TAIn& A);
// One line per point: FDecSt0(N, X) + " " + FDecSt0(N, Y).
std::unique_ptr<TStringList> PointsToSL(const TPointsArray& P, int N);
// From, From + Step, ... while before To, and To itself when reached within Step/1000; each
// written by ShortSt(N, .). A zero step gives From alone; the sequence is cut after
// SeqMaxValues values.
constexpr int SeqMaxValues = 100000;
void SeqToStr(int N, double Step, double To, double From, std::string& S);
std::string SeqToStr(int N, double Step, double To, double From);
// S with each "(start end step)" group replaced by its sequence; groups with ">", "<" or "="
// stay. Errors come back in Err (the last one); after an error no group is replaced.
void ExpandSeqBrackets(const std::string& S, std::string& Err, std::string& Result);
