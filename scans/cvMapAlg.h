// Map algebra: new maps made pixel by pixel from registered ones by named functions, and the
// expression language that the FITS tab's operation list and batch buttons use
// ("Cnt=mid(CONT,CONT2)", "BIV1=mul(sub(LIVp195,LIVm195),348.23)").
// Every result is a clone of the first operand (same owner, date, time, version, source and
// size; kSoft 7, nb0 0) whose values are computed in extended precision and stored as single;
// its kLoad is 8 ("INHERATED") and its name is built from the operands' names. The caller names,
// registers and saves it. Failures go through WARNAbs and give no map; operands are left as they
// were (their values may have been read from their files).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFIOut;

// ---- vocabulary: the position of a name selects the function; names compare exactly ----
const std::vector<std::string>& FOFuncs1();   // abs neg sig sq sqrt inv sin cos log exp10
const std::vector<std::string>& FOFuncs2();   // add sub mul rat mid
const std::vector<std::string>& FOFuncsC();   // add sub mul rat (map and number)
const std::vector<std::string>& FOFuncsC2();  // circsub

// ---- dispatchers: the name looked up in its list, every map operand filled (read from its
// file when needed), then the function of the name's position ----
std::unique_ptr<TFIOut> FIOutAny1(const std::string& Fn, TFIOut* A);
std::unique_ptr<TFIOut> FIOutAny2(const std::string& Fn, TFIOut* A, TFIOut* B);
std::unique_ptr<TFIOut> FIOutAnyC(const std::string& Fn, TFIOut* A, double C);
std::unique_ptr<TFIOut> FIOutAnyC2(const std::string& Fn, TFIOut* A, TFIOut* B, double C);

// ---- the map functions: nothing (silently) unless every operand holds data (kLoad >= 2 and its
// block of nX x nY values); two maps of different sizes are reported ----
namespace fo {
std::unique_ptr<TFIOut> fAbs(TFIOut& A);    // abs(x)               "abs(A)"
std::unique_ptr<TFIOut> fNeg(TFIOut& A);    // -x                   "-(A)"
std::unique_ptr<TFIOut> fSig(TFIOut& A);    // 1, 0, -1             "sig(A)"
std::unique_ptr<TFIOut> fSq(TFIOut& A);     // x^2                  "sq(A)"
std::unique_ptr<TFIOut> fSqrt(TFIOut& A);   // sqrt(abs(x))         "sqrt(A)"
std::unique_ptr<TFIOut> fInv(TFIOut& A);    // 1/x, 0 at 0          "1/(A)"
std::unique_ptr<TFIOut> fSin(TFIOut& A);    // sine of x degrees    "sin(A)"
std::unique_ptr<TFIOut> fCos(TFIOut& A);    // cosine of x degrees  "cos(A)"
std::unique_ptr<TFIOut> fLog(TFIOut& A);    // log10 abs(x), -100 at 0  "log(A)"
std::unique_ptr<TFIOut> fExp10(TFIOut& A);  // 10^x                 "exp10(A)"

std::unique_ptr<TFIOut> fAdd(TFIOut& A, TFIOut& B);  // a + b        "(A+B)"
std::unique_ptr<TFIOut> fSub(TFIOut& A, TFIOut& B);  // a - b        "(A-B)"
std::unique_ptr<TFIOut> fMul(TFIOut& A, TFIOut& B);  // a * b        "(A*B)"
std::unique_ptr<TFIOut> fRat(TFIOut& A, TFIOut& B);  // a / b, 0 where b = 0  "(A/B)"
std::unique_ptr<TFIOut> Mid(TFIOut& A, TFIOut& B);   // (a + b) / 2  "(A+B)/2"

// c written with 5 significant digits in the name.
std::unique_ptr<TFIOut> fAddC(TFIOut& A, double C);  // "(A)+c"
std::unique_ptr<TFIOut> fSubC(TFIOut& A, double C);  // "(A)-c"
std::unique_ptr<TFIOut> fMulC(TFIOut& A, double C);  // "(A)*c"
std::unique_ptr<TFIOut> fRatC(TFIOut& A, double C);  // "(A)/c"; c = 0 refused

// a - b wrapped once into [-P/2, P/2] ("(A-B)"): below -P/2 add P, else above P/2 subtract P.
std::unique_ptr<TFIOut> CircSub(TFIOut& A, TFIOut& B, double P);
}  // namespace fo

// Threads of the pixel loops (0: every core); the results do not depend on it.
void SetMapAlgThreads(int32_t N);
int32_t MapAlgThreads();

// ---- the expression language ----
// Name := the text before the first "("; Args := the text between the first "(" and the last ")"
// split at the commas outside nested brackets (an unbalanced bracket is reported and the split
// goes on with what there is). False when there is no "(".
bool FOParse(const std::string& Expr, std::string& Name, std::vector<std::string>& Args);

// Evaluates an expression for the scan Da, Ti. Map names are resolved through the registry, the
// scan's own output file then its inversion-result file, then the operation list (the services'
// CalcFO link) and the files again; a second argument may be a number or "$" + a key of the main
// headers the registry read (the own file's first 73 cards, else the inversion-result file's).
// Kind is 0 for a map result and 1 when the first operand was a number (refused, no map).
// The nested results are freed here; the caller owns the one returned.
std::unique_ptr<TFIOut> FOOperN(const std::string& Expr, const std::string& Da,
                                const std::string& Ti, int32_t& Kind);

// One operation-list line "TARGET=expression" for the scan: the result named TARGET, kSoft 1,
// source character 0, kLoad bit 8, its statistics made, and added to the registry (which owns
// it; not written to a file). Nothing (reported) without "=" or without a result.
TFIOut* FOLineToMap(const std::string& Line, const std::string& Da, const std::string& Ti);

// The map of a name for the scan: the own output file when it holds it, else the inversion-result
// file (one map read into the registry), then the registry; creates the registry when missing.
TFIOut* FOFetchMap(const std::string& Name, const std::string& Da, const std::string& Ti);
