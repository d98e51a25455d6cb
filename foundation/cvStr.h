// Number parsing and formatting, words and substrings (code page 1251 strings, 1-based positions).
#pragma once
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---- error reporting ----
using TStrErrHandler = std::function<void(const std::string& Text, int32_t Position)>;
// Replaceable string-error handler; StrErrBoxPos by default.
extern TStrErrHandler StrErrHandler;
void StrErr(const std::string& Text, int32_t Position);
void StrErrBoxPos(const std::string& Text, int32_t Position);
void CvStrBox(const std::string& Text);

// A set of byte values.
using TCharSet = std::bitset<256>;
// The unit's public separator set (initially the vertical bar alone).
extern TCharSet SepChars;
// The set of the given characters.
TCharSet MakeCharSet(std::string_view Chars);
// S without blanks and control characters (codes up to 32) at both ends.
std::string TrimCtl(const std::string& S);
// S without blanks and control characters at its end.
std::string TrimRightCtl(const std::string& S);

// ---- parsing ----
double ValReal(const std::string& S);
double ValRealCode(const std::string& S, int32_t& Code);
double ValRealOr0(const std::string& S);
double ValRealQuiet(const std::string& S);
int32_t ValInt(const std::string& S);
int32_t ValIntCode(const std::string& S, int32_t& Code);
int32_t ValIntOr0(const std::string& S);
double ValHMS(const std::string& S, int32_t& Code);
double ValStampDT(const std::string& S, int32_t& Code);
double ValISODateTime(const std::string& S, int32_t& Code);
std::string FixExpE(const std::string& S);
// The plain real conversion alone (blanks, sign, digits with one point, exponent with a letter);
// Code is 0 or the 1-based position of the first bad character.
double ValRealPlainCode(const std::string& S, int32_t& Code);
// S with "E" inserted before the first sign after the first character when a digit or "." stands
// before it (the program's exponent without a letter, as ValReal reads it).
std::string ExpLetterFix(const std::string& S);

// The integer part of the number a text starts with (after blanks; digits, an optional sign):
// false when it does not start so. A cheap test of whether a value is far from a bound before
// the whole number is read.
bool LeadingIntPart(std::string_view S, int64_t& Int);

// ---- real formatters ----
std::string ShortSt(int N, double x);
std::string SigSt(int N, double x);
std::string ESt(int N, double x);
std::string EFSt(int N, double x);
std::string FSt(int W, int D, double x);
std::string FSt2(int W, int D, double x);
std::string FDecSt(int D, double x);
std::string FDecSt0(int D, double x);
std::string ManExpSt(int N, double Step, double x);
std::string DecadeSt(int D, bool KeepZero, double x);
std::string ReSt(double x);
std::string EWSt(int W, double x);
std::string RoundStr(double x);

// ---- integer, hexadecimal, binary and truth-value formatters ----
std::string IntStr(int32_t N);
std::string I64Str(int64_t N);
std::string ZeroPad(int64_t N, int W);
std::string I64PadSt(int W, int64_t N);
std::string HalfStr(int N);
std::string ByteHex(uint8_t B);
std::string WordHex(uint16_t W);
std::string IntHex8(uint32_t V);
std::string IntHex(uint32_t V);
std::string BufToHex2(const void* Buffer, int K);
std::string PtrSegOfs(uint32_t V);
std::string VarSegOfs(const uint32_t* Place);
std::string BitsToList(uint32_t V);
std::string BoolStr(bool B);
char BoolChar(bool B);
std::string IfElseStr(bool B, const std::string& S1, const std::string& S2);
std::string Choose3Str(int Index, const std::string& S0, const std::string& S1,
                       const std::string& S2);

// HexStr
std::string HexByte(uint8_t B);
std::string HexWord(uint16_t W);
std::string HexInt8(uint32_t V);
std::string ByteBin(uint8_t B);
std::string IntBin(uint32_t V);

// ---- words and substrings ----
// Positions count from 1 (0 = not found); J is a 1-based cursor that the scanners move and
// that stops at length + 1. A blank is code 32 unless a routine says otherwise.

// searching
int32_t PosFrom(const std::string& Sub, const std::string& S, int32_t From);
int32_t LastPos(const std::string& Sub, const std::string& S);
int32_t PosSet(const TCharSet& Set, const std::string& S);
int32_t PosNotInSet(const std::string& S, const TCharSet& Set);
int32_t PosWord(const std::string& Sub, const std::string& S);
int32_t BufPos(const void* Pattern, int32_t PatternLen, const void* Buffer, int32_t BufferLen);
void MaskMatch(const std::string& Mask, const std::string& S, int32_t& Position,
               std::string& Matched);
int32_t PosNoBracke(const std::string& Sub, const std::string& Br, const std::string& S);

// brackets: Br holds the opening and the closing bracket
void ExtractBrackets(const std::string& S, const std::string& Br, std::string& Rest,
                     std::string& Part);
std::string UnBrackets(const std::string& S, const std::string& Br);

// substrings
std::string LeftN(const std::string& S, int32_t N);
std::string RightN(const std::string& S, int32_t N);
std::string BeforeStr(const std::string& S, const std::string& Sub);
std::string AfterStr(const std::string& S, const std::string& Sub);
std::string AfterStr2(const std::string& S, const std::string& Sub);
std::string TailFrom(const std::string& S, int32_t P);
std::string SubFromTo(const std::string& S, int32_t From, int32_t To);
std::string SubN(const std::string& S, int32_t P, int32_t N);
char CharAt(const std::string& S, int32_t I);
std::string WordAt(const std::string& S, int32_t P);

// editing
std::string ReplaceAll(const std::string& S, const std::string& Sub, const std::string& New);
std::string ReplaceLast(const std::string& S, const std::string& Sub, const std::string& New);
std::string ReplaceSet(const std::string& S, const TCharSet& Set, const std::string& New);
std::string ReplaceChar(const std::string& S, char A, char B);
void ReplaceCharVar(std::string& S, char A, char B);
std::string StrReplaceAt(const std::string& S, const std::string& New, int32_t P, int32_t N);
std::string StrReplaceCharAt(const std::string& S, const std::string& New, int32_t P);
std::string DelChars(const std::string& S, const std::string& Chars);
std::string DelBlanks(const std::string& S);
void CutAtChar(std::string& S, char C);
void CutAtSub(std::string& S, const std::string& Marker);
std::string CutOption(char C, const std::string& Name, const std::string& S);
std::string DeQuote(const std::string& S, char Q);
std::string QuoteStr(const std::string& S);
std::string DefaultStr(const std::string& S, const std::string& Default);
std::string TrimCells(const std::string& S, const std::string& Sep);
std::string FillEmptyCells(const std::string& S, const std::string& Sep, const std::string& Filler);

// trimming, case, tabs and field widths
std::string TrimSp(const std::string& S);
std::string TrimBlanks(const std::string& S);
// The words of S separated by blanks, tabs and line ends.
std::vector<std::string> SplitWords(const std::string& S);
char UpCaseCyr(char C);
std::string UpCaseStrCyr(const std::string& S);
std::string TabsToBlanks(const std::string& S);
std::string PadRight(const std::string& S, int32_t W);
std::string PadLeft(const std::string& S, int32_t W);
std::string PadRightMark(const std::string& S, int32_t W);
std::string PadLeftMark(const std::string& S, int32_t W);
std::string AlignStr(const std::string& S, int32_t W, int32_t Mode);
void StrToFixBuf(const std::string& S, void* Buffer, int32_t Count);

// cursor scanning
void SkipBlanks(const std::string& S, int32_t& J);
void SkipNonBlanks(const std::string& S, int32_t& J);
void SkipToChar(const std::string& S, int32_t& J, char C);
void SkipQuoted(const std::string& S, int32_t& J, char Q);
void BackToBlank(const std::string& S, int32_t& J);
void PassBlanc(const std::string& S, int32_t& J, const TCharSet& Set);
void PassNonSet(const std::string& S, int32_t& J, const TCharSet& Set);
void NextWord(const std::string& S, int32_t& J, std::string& Word);
// The word of the line readers: blanks from Pos on are skipped but never past the last
// character, WordStart := Pos, and the characters up to the next blank or the end are the word;
// Pos is left after it (a Pos below 1 counts as 1).
std::string ScanLineWord(const std::string& Line, int32_t& Pos, int32_t& WordStart);
void NextWordSet(const std::string& S, int32_t& J, const TCharSet& Set, std::string& Word);
void NextQWord(const std::string& S, int32_t& J, char Q, std::string& Word);

// words and fields
std::string WordN(const std::string& S, int32_t N);
int32_t WordPos(const std::string& S, int32_t N);
std::string QWordN(const std::string& S, int32_t N, char Q);
int32_t WordCount(const std::string& S);
int32_t QWordCount(const std::string& S, char Q);
int32_t WordCountSet(const std::string& S, const TCharSet& Set);
int32_t CountCols(const std::string& S, char Q, char C);
int32_t WordIndexAt(const std::string& S, int32_t P);
int32_t FieldCount(const std::string& S, char C);
std::string FieldN(const std::string& S, char C, int32_t K);
void KeyWordValue(const std::string& S, const std::string& Key, std::string& Value);

// character classes
bool IsAllInSet(const std::string& S, const TCharSet& Set, int32_t MinLen);
bool IsDigits(const std::string& S);
bool IsHexDigits(const std::string& S);
bool IsNumChars(const std::string& S);
bool IsSepChar(char Ch);
bool IsBlankAfter(const std::string& S, int32_t P);
bool EndsWithChar(const std::string& S, char C);

// The first two lines of a zero-terminated character buffer.
void SplitTwoLines(const char* Buffer, std::string& Line1, std::string& Line2);

