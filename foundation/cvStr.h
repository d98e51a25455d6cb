// Number parsing and formatting, words and substrings (code page 1251 strings, 1-based positions).
#pragma once
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>

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

// ---- words and substrings: declared below by their implementation ----
