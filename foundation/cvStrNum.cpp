// Number parsing and formatting.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/cvDate.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
const std::string kCrLf = "\r\n";
// The largest magnitude written as fixed text (2^63 - 1).
constexpr long double kMaxFixed = 9223372036854775807.0L;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string PadLeftTo(std::string s, int W) {
  if (W > 0 && static_cast<int>(s.size()) < W) s.insert(0, static_cast<size_t>(W) - s.size(), ' ');
  return s;
}

bool IsBlankText(const std::string& S) {
  for (char c : S)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

std::string UDec(uint64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Number of decimal digits of v (0 for 0).
int DigitCount(uint64_t v) {
  int k = 0;
  while (v) {
    v /= 10;
    ++k;
  }
  return k;
}

// |x| rounded to the nearest integer, halves to even (|x| <= 2^63 - 1).
uint64_t RoundAbs(long double x) { return static_cast<uint64_t>(std::nearbyint(std::fabs(x))); }
// The same for a 64-bit value (its integer neighbours are 64-bit values: the same result).
uint64_t RoundAbs(double x) { return static_cast<uint64_t>(std::nearbyint(std::fabs(x))); }

// The fixed text of x >= 0 with D decimals (as FixedText), exactly: x = m 2^-s with a 64-bit m, x 10^D rounded to the
// nearest integer (halves to even) in 128-bit arithmetic. False (nothing written) where that
// does not hold (negative, not finite, D > 19, x >= 2^63 or below 2^-63).
bool FixedTextLExact(long double x, int D, std::string& Out) {
  if (!(x >= 0) || !std::isfinite(x) || D < 0 || D > 19) return false;
  static constexpr uint64_t kPow10[20] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull,
                                          1000000000000000000ull,
                                          10000000000000000000ull};
  unsigned __int128 q = 0;
  if (x != 0) {
    int e2 = 0;
    const long double f = std::frexp(x, &e2);  // x = f 2^e2, 0.5 <= f < 1
    const int shift = 64 - e2;                 // x = m 2^-shift
    if (shift < 1 || shift > 126) return false;
    const uint64_t m = static_cast<uint64_t>(f * 18446744073709551616.0L);  // f 2^64, exact
    const unsigned __int128 p = static_cast<unsigned __int128>(m) * kPow10[D];
    q = p >> shift;
    const unsigned __int128 r = p - (q << shift), half = static_cast<unsigned __int128>(1)
                                                         << (shift - 1);
    if (r > half || (r == half && (q & 1) != 0)) ++q;
  }
  char buf[64];
  char* e = buf + sizeof buf;
  char* b = e;
  // the digits in 64 bits where they fit (an ESt mantissa always)
  auto digits = [&](auto v) {
    for (int i = 0; i < D; ++i) {
      *--b = static_cast<char>('0' + static_cast<int>(v % 10));
      v /= 10;
    }
    if (D > 0) *--b = '.';
    do {
      *--b = static_cast<char>('0' + static_cast<int>(v % 10));
      v /= 10;
    } while (v != 0);
  };
  if ((q >> 64) == 0)
    digits(static_cast<uint64_t>(q));
  else
    digits(q);
  Out.assign(b, e);
  return true;
}

// Fixed text with D decimals, no padding; a zero never carries a sign.
template <class F>
std::string FixedText(F x, int D) {
  if (D < 0) D = 0;
  if (D > 1100) D = 1100;
  if (x == 0) x = 0;
  // the common case in integers (a 64-bit value is exactly an extended one)
  std::string t;
  if (FixedTextLExact(std::fabs(static_cast<long double>(x)), D, t)) {
    if (x < 0) t.insert(t.begin(), '-');
    return t;
  }
  std::string buf(static_cast<size_t>(D) + 64, '\0');
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed, D);
  buf.resize(static_cast<size_t>(r.ptr - buf.data()));
  return buf;
}

// The runtime's exponential form with Dec decimals: sign or blank, digit, point, decimals,
// "E", exponent sign and four digits.
std::string ExpText(double x, int Dec) {
  if (std::isnan(x)) return "Nan";
  if (std::isinf(x)) return x > 0 ? "+Inf" : "-Inf";
  if (x == 0) x = 0;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, Dec);
  std::string s(buf, r.ptr);
  size_t e = s.find('e');
  std::string mant = s.substr(0, e);
  int ex = 0;
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), ex);
  std::string out = mant[0] == '-' ? mant : " " + mant;
  out += 'E';
  out += ex < 0 ? '-' : '+';
  out += ZeroPad(ex < 0 ? -ex : ex, 4);
  return out;
}

// Fixed conversion of an extended value (the mantissa of ESt).
std::string FStL(int W, int D, long double x) {
  if (std::isnan(x) || std::fabs(x) >= 1e36L) return EWSt(W, static_cast<double>(x));
  return PadLeftTo(FixedText(x, D), W);
}

long double Pow10L(int n) {
  long double r = 1;
  for (int i = 0; i < (n < 0 ? -n : n); ++i) r *= 10.0L;
  return n < 0 ? 1.0L / r : r;
}

// The integer conversion: blanks, sign, decimal digits or hexadecimal digits after "$", "x",
// "X" or "0x". Code = 1-based position of the first character that cannot continue the
// number, 0 on success; Value = the value of the digits read.
int32_t IntConv(const std::string& S, int32_t& Code) {
  const size_t n = S.size();
  if (n == 0) {
    Code = 1;
    return 0;
  }
  size_t i = 0;
  while (i < n && S[i] == ' ') ++i;
  bool neg = false;
  if (i < n && S[i] == '-') {
    neg = true;
    ++i;
  } else if (i < n && S[i] == '+') {
    ++i;
  }
  bool hex = false;
  if (i < n && (S[i] == '$' || S[i] == 'x' || S[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  const uint64_t limit = hex ? 0xFFFFFFFFull : (neg ? 2147483648ull : 2147483647ull);
  const size_t start = i;
  uint64_t v = 0;
  for (; i < n; ++i) {
    char c = S[i];
    int d;
    if (IsDigit(c))
      d = c - '0';
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      break;
    uint64_t nv = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (nv > limit) break;
    v = nv;
  }
  Code = (i < n || i == start) ? static_cast<int32_t>(i + 1) : 0;
  int64_t val = hex ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                    : static_cast<int64_t>(v);
  if (neg) val = -val;
  return static_cast<int32_t>(val);
}

// The real conversion: blanks, sign, digits with at most one point, optional exponent.
double RealConv(const std::string& S, int32_t& Code) {
  const size_t n = S.size();
  Code = 0;
  if (n == 0) {
    Code = 1;
    return 0;
  }
  size_t i = 0;
  while (i < n && S[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (S[i] == '-' || S[i] == '+')) {
    neg = S[i] == '-';
    ++i;
  }
  const size_t numStart = i;
  int digits = 0;
  long intLead = 0;  // digits before the point, leading zeros excluded
  bool point = false, nonzero = false;
  long zerosAfterPoint = 0;  // zeros between the point and the first significant digit
  for (; i < n; ++i) {
    char c = S[i];
    if (IsDigit(c)) {
      ++digits;
      if (c != '0') nonzero = true;
      if (!point && nonzero) ++intLead;
      if (point && !nonzero) ++zerosAfterPoint;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) {
    Code = static_cast<int32_t>(i + 1);
    return 0;
  }
  long long ex = 0;
  if (i < n && (S[i] == 'E' || S[i] == 'e')) {
    ++i;
    bool eneg = false;
    if (i < n && (S[i] == '-' || S[i] == '+')) {
      eneg = S[i] == '-';
      ++i;
    }
    size_t es = i;
    for (; i < n && IsDigit(S[i]); ++i)
      if (ex < 1000000000) ex = ex * 10 + (S[i] - '0');
    if (i == es) {
      Code = static_cast<int32_t>(i + 1);
      return 0;
    }
    if (eneg) ex = -ex;
  }
  if (i < n) {
    Code = static_cast<int32_t>(i + 1);
    return 0;
  }
  double v = 0;
  auto r = std::from_chars(S.data() + numStart, S.data() + n, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    if (!nonzero) {
      v = 0;
    } else {
      // decimal exponent of the leading digit decides between overflow and underflow
      long long lead = intLead > 0 ? intLead - 1 : -(zerosAfterPoint + 1);
      if (lead + ex > 0) {
        Code = static_cast<int32_t>(n);
        return 0;
      }
      v = 0;
    }
  } else if (r.ec != std::errc() || r.ptr != S.data() + n) {
    Code = static_cast<int32_t>((r.ptr - S.data()) + 1);
    return 0;
  }
  return neg ? -v : v;
}

// "E" before the first "+" or "-" from the second character on that follows a digit or ".".
std::string InsertExpLetter(const std::string& T) {
  for (size_t i = 1; i < T.size(); ++i) {
    if (T[i] == '+' || T[i] == '-') {
      if (IsDigit(T[i - 1]) || T[i - 1] == '.') return T.substr(0, i) + "E" + T.substr(i);
      break;
    }
  }
  return T;
}

// Steps 1-4 of ValReal; Fixed receives the text with the exponent letter.
double ValRealSteps(const std::string& S, int32_t& Code, std::string& Fixed) {
  const std::string T = TrimCtl(S);
  Fixed = InsertExpLetter(T);
  double v = RealConv(Fixed, Code);
  if (Code == 0) return v;
  v = ValHMS(T, Code);
  if (Code == 0) return v;
  v = ValStampDT(T, Code);
  if (Code == 0) return v;
  v = ValISODateTime(T, Code);
  if (Code == 0) return v;
  return 0;
}

std::string DateErrText(int y, int m, int d) { return IntStr(y) + ":" + IntStr(m) + ":" + IntStr(d); }

}  // namespace

// ---------------------------------------------------------------- parsing

double ValRealPlainCode(const std::string& S, int32_t& Code) { return RealConv(S, Code); }

std::string ExpLetterFix(const std::string& S) { return InsertExpLetter(S); }

double ValReal(const std::string& S) {
  int32_t code = 0;
  std::string fixed;
  double v = ValRealSteps(S, code, fixed);
  if (code != 0) {
    StrErr("Ошибка ValReal или HMSReal при вводе действительного числа <"_cp + fixed + ">", code);
    return 0;
  }
  return v;
}

double ValRealCode(const std::string& S, int32_t& Code) {
  std::string fixed;
  return ValRealSteps(S, Code, fixed);
}

double ValRealOr0(const std::string& S) {
  if (IsBlankText(S)) return 0;
  return ValReal(S);
}

double ValRealQuiet(const std::string& S) {
  int32_t code = 0;
  double v = RealConv(S, code);
  return code == 0 ? v : 0;
}

int32_t ValInt(const std::string& S) {
  int32_t code = 0;
  int32_t v = IntConv(S, code);
  if (code != 0) StrErr("Ошибка ValInt при вводе целого <"_cp + S + ">", code);
  return v;
}

int32_t ValIntCode(const std::string& S, int32_t& Code) {
  int32_t v = IntConv(S, Code);
  return Code == 0 ? v : 0;
}

int32_t ValIntOr0(const std::string& S) {
  if (IsBlankText(S)) return 0;
  return ValInt(S);
}

double ValHMS(const std::string& S, int32_t& Code) {
  const int L = static_cast<int>(S.size());
  for (int i = 0; i < L; ++i) {
    char c = S[static_cast<size_t>(i)];
    if (!IsDigit(c) && c != ':' && c != '.') {
      Code = i + 1;
      return 0;
    }
  }
  if (L < 3) {
    Code = L;
    return 0;
  }
  if (S[2] != ':') {
    Code = 3;
    return 0;
  }
  double hours = ValInt(S.substr(0, 2)), minutes = 0, seconds = 0, fraction = 0;
  if (L >= 5) {
    minutes = ValInt(S.substr(3, 2));
    if (L > 5 && S[5] != ':') {
      Code = 6;
      return 0;
    }
  }
  if (L >= 8) {
    seconds = ValInt(S.substr(6, 2));
    if (L > 8) {
      if (S[8] != '.') {
        Code = 9;
        return 0;
      }
      const int nf = L - 9;
      if (nf <= 3) {  // four or more fraction digits are ignored
        double f = ValInt(S.substr(9));
        static const double kDiv[4] = {1, 10, 100, 1000};
        fraction = nf == 0 ? 0 : f / kDiv[nf];
      }
    }
  }
  Code = 0;
  return (((seconds + fraction) / 60 + minutes) / 60 + hours) / 24;
}

double ValStampDT(const std::string& S, int32_t& Code) {
  Code = 0;
  const size_t L = S.size();
  const size_t us = S.find('_');
  if (L != 6 && L != 8 && L != 15 && us == std::string::npos) {
    Code = 1;
    return 0;
  }
  for (size_t i = 0; i < L; ++i)
    if (!IsDigit(S[i]) && S[i] != '_') {
      Code = static_cast<int32_t>(i + 1);
      return 0;
    }
  std::string datePart, timePart;
  bool timeAlone = false;
  if (us != std::string::npos) {
    datePart = S.substr(0, us);
    timePart = S.substr(us + 1);
  } else if (L == 8) {
    datePart = S;
  } else if (L == 6) {
    timePart = S;
    timeAlone = true;
  }
  double hours = 0, minutes = 0, seconds = 0;
  int32_t c = 0;
  if (timePart.size() >= 2) {
    hours = ValIntCode(timePart.substr(0, 2), c);
    if (c) {
      Code = c;
      return 0;
    }
  }
  if (timePart.size() >= 4) {
    minutes = ValIntCode(timePart.substr(2, 2), c);
    if (c) {
      Code = c + 2;
      return 0;
    }
  }
  if (timePart.size() >= 6) {
    seconds = ValIntCode(timePart.substr(4, 2), c);
    if (c) {
      Code = c + 4;
      return 0;
    }
  }
  const double time = ((seconds / 60 + minutes) / 60 + hours) / 24;
  double date = 0;
  if (!timeAlone) {
    int32_t c1 = 0, c2 = 0, c3 = 0;
    int y, m, d;
    if (datePart.size() == 6) {
      y = 2000 + ValIntCode(datePart.substr(0, 2), c1);
      m = ValIntCode(datePart.substr(2, 2), c2);
      d = ValIntCode(datePart.substr(4, 2), c3);
    } else if (datePart.size() == 8) {
      y = ValIntCode(datePart.substr(0, 4), c1);
      m = ValIntCode(datePart.substr(4, 2), c2);
      d = ValIntCode(datePart.substr(6, 2), c3);
    } else {
      Code = 68;
      return 0;
    }
    if (c1 + c2 + c3 != 0) {
      Code = c1 + c2 + c3;
      return 0;
    }
    if (y + m + d != 0 && !TryEncodeDate(y, m, d, date)) {
      date = 0;
      StrErr(DateErrText(y, m, d), 0);
    }
  }
  return date + time;
}

double ValISODateTime(const std::string& S, int32_t& Code) {
  Code = 0;
  if (S.size() != 23) {
    Code = 1;
    return 0;
  }
  if (S[10] != 'T') {
    Code = 11;
    return 0;
  }
  const double time = ValHMS(S.substr(S.find('T') + 1), Code);
  if (Code != 0) return 0;
  for (size_t i = 0; i < 10; ++i)
    if (!IsDigit(S[i]) && S[i] != '-') {
      Code = static_cast<int32_t>(i + 1);
      return 0;
    }
  const int y = ValInt(S.substr(0, 4)), m = ValInt(S.substr(5, 2)), d = ValInt(S.substr(8, 2));
  double date = 0;
  // An impossible date is reported like the stamp form and gives date 0.
  if ((y != 0 || m != 0 || d != 0) && !TryEncodeDate(y, m, d, date)) {
    date = 0;
    StrErr(DateErrText(y, m, d), 0);
  }
  return date + time;
}

std::string FixExpE(const std::string& S) {
  if (!IsNumChars(S)) return S;
  return InsertExpLetter(S);
}

// ---------------------------------------------------------------- real formatters

std::string ReSt(double x) { return EWSt(23, x); }

std::string EWSt(int W, double x) {
  int dec = W - 9;
  if (dec < 1) dec = 1;
  if (dec > 17) dec = 17;
  return PadLeftTo(ExpText(x, dec), W);
}

std::string FSt(int W, int D, double x) {
  if (std::isnan(x) || std::fabs(x) >= 1e36) return EWSt(W, x);
  return PadLeftTo(FixedText(x, D), W);
}

std::string FSt2(int W, int D, double x) { return FSt(W, D, x); }

std::string ESt(int N, double x) {
  if (x == 0) return " 0." + std::string(N > 1 ? static_cast<size_t>(N - 1) : 0, '0') + "+00";
  if (N < 1)
    CvStrBox("Подозрительный вызов ESt - требуется "_cp + IntStr(N) + " значащих цифр!"_cp + kCrLf +
             "R=" + ReSt(x));
  if (std::isnan(x) || std::isinf(x)) {
    CvStrBox("переполнение порядка при использовании формата ESt R="_cp + ReSt(x));
    return "";
  }
  long double eps = 1;
  for (int i = 0; i < N; ++i) eps /= 10;
  long double a = std::fabs(static_cast<long double>(x));
  int e = 0;
  while (a >= 10 - eps) {
    a /= 10;
    ++e;
  }
  while (a < 1 - eps / 2) {
    a *= 10;
    --e;
  }
  std::string m = FStL(N + 1, N - 1, a);
  if (m.find('*') != std::string::npos)
    CvStrBox("ESt.ERR: FSt(" + ReSt(static_cast<double>(a)) + ", " + IntStr(N + 1) + ", " +
             IntStr(N - 1) + " = <" + m + ">!!!");
  if (static_cast<int>(m.size()) > N + 1) {
    m = FStL(N, N - 2, a);
    if (static_cast<int>(m.size()) > N + 1)
      CvStrBox("ESt.ERR: FSt(" + ReSt(static_cast<double>(a)) + ", " + IntStr(N + 1) + ", " +
               IntStr(N - 1) + ") = <" + m + ">!!!" + kCrLf + "Превышена длина строки!"_cp);
  }
  // Three exponent digits whenever the exponent needs them (also just below 1e100 when the
  // mantissa rounds up, and between 1e-100 and 1e-99).
  const int ed = (e >= 100 || e <= -100) ? 3 : 2;
  return (x >= 0 ? " " : "-") + m + (e < 0 ? "-" : "+") + ZeroPad(e < 0 ? -e : e, ed);
}

std::string SigSt(int N, double x) {
  const long double ax = std::fabs(static_cast<long double>(x));
  if (std::isnan(x) || ax > kMaxFixed) return ESt(N, x);
  const uint64_t r = RoundAbs(x);
  const int k = DigitCount(r);
  const int neg = x < 0 ? 1 : 0;
  if (N <= k) return (neg ? "-" : "") + UDec(r);
  if (k > 0) return FSt(N + 1 + neg, N - k, x);
  if (x == 0) {
    const int W = N < 2 ? 2 : N;
    return FSt(W, W - 2, x);
  }
  long double a = ax;
  int mults = 0;
  while (a < 1) {
    a *= 10;
    ++mults;
  }
  const int D = N + (mults - 1);
  return FSt(D + 1 + neg, D, x);
}

std::string ShortSt(int N, double x) {
  std::string F = SigSt(N, x);
  // Only a fixed text loses its trailing zeros (an exponential fallback keeps its exponent).
  const bool fixed = !std::isnan(x) && std::fabs(static_cast<long double>(x)) <= kMaxFixed;
  if (fixed && F.find('.') != std::string::npos) {
    while (!F.empty() && F.back() == '0') F.pop_back();
    if (!F.empty() && F.back() == '.') F.pop_back();
  }
  std::string E = ESt(N, x);
  size_t lp = E.rfind('+'), lm = E.rfind('-');
  size_t sp = std::string::npos;
  if (lp != std::string::npos) sp = lp;
  if (lm != std::string::npos && (sp == std::string::npos || lm > sp)) sp = lm;
  if (sp != std::string::npos) {
    size_t b = sp;
    while (b > 0 && E[b - 1] == '0') --b;
    // Only zeros after the mantissa's point go: a mantissa rounded up to "10" keeps its zero.
    if (E.find('.') < b) E.erase(b, sp - b);
  }
  if (!fixed || E.size() < F.size()) return TrimCtl(E);
  return F;
}

std::string EFSt(int N, double x) {
  if (N < 2)
    CvStrBox("Подозрительный вызов EFSt - требуется "_cp + IntStr(N) + " значащих цифр!"_cp +
             kCrLf + "R=" + ReSt(x));
  std::string E = ESt(N, x), S = SigSt(N, x);
  return E.size() < S.size() ? E : S;
}

namespace {
std::string FDecText(int D, double x, bool dropZero) {
  const long double ax = std::fabs(static_cast<long double>(x));
  if (std::isnan(x) || ax > kMaxFixed) return ESt(D, x);
  const int k = DigitCount(RoundAbs(x));
  if (x < 0) {
    const long double half = D < 0 ? 0.5L : 0.5L / Pow10L(D);
    if (ax < half) x = 0;
  }
  std::string t;
  if (D >= 0) {
    t = FSt(k, D, x);
  } else if (x == 0) {
    t = "0";
  } else {
    long double v = x;
    for (int i = 0; i < -D; ++i) v /= 10;
    const uint64_t r = RoundAbs(v);
    t = (v < 0 && r != 0 ? "-" : "") + UDec(r) + std::string(static_cast<size_t>(-D), '0');
  }
  // A negative value that rounds to zero (an exact half going to the even 0) loses its sign.
  if (t.size() > 1 && t[0] == '-' && t.find_first_of("123456789") == std::string::npos) t.erase(0, 1);
  if (dropZero && t.size() > 1 && t[0] == '0') t.erase(0, 1);
  return t;
}
}  // namespace

std::string FDecSt(int D, double x) { return FDecText(D, x, true); }
std::string FDecSt0(int D, double x) { return FDecText(D, x, false); }

std::string ManExpSt(int N, double Step, double x) {
  const double s = Step / 10;
  const std::string mant = FDecSt(N - 1, x / s);
  const std::string e = ESt(1, s);
  const size_t p = e.find_first_of("+-", 1);
  return mant + "e" + (p == std::string::npos ? std::string() : e.substr(p));
}

std::string DecadeSt(int D, bool KeepZero, double x) {
  if (D < -4) return ManExpSt(1, static_cast<double>(Pow10L(1 - D)), x);
  if (D <= 4) return KeepZero ? FDecSt0(D, x) : FDecSt(D, x);
  const std::string t = FDecSt(D, x);
  size_t i = 0;
  if (i < t.size() && t[i] == '-') ++i;
  if (i < t.size() && t[i] == '0') ++i;
  while (i < t.size() && (t[i] == '-' || t[i] == '.')) ++i;
  int C = 0;
  while (i < t.size() && t[i] == '0') {
    ++C;
    ++i;
  }
  return ManExpSt(D - C, static_cast<double>(Pow10L(-C)), x);
}

std::string RoundStr(double x) {
  if (std::isnan(x)) return "0";
  const long double r = std::nearbyint(static_cast<long double>(x));
  if (r >= 9223372036854775807.0L) return I64Str(std::numeric_limits<int64_t>::max());
  if (r <= -9223372036854775808.0L) return I64Str(std::numeric_limits<int64_t>::min());
  return I64Str(static_cast<int64_t>(r));
}

// ---------------------------------------------------------------- integer formatters

std::string IntStr(int32_t N) { return I64Str(N); }

std::string I64Str(int64_t N) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, N);
  return std::string(buf, r.ptr);
}

namespace {
uint64_t Magnitude(int64_t N) {
  return N < 0 ? static_cast<uint64_t>(0) - static_cast<uint64_t>(N) : static_cast<uint64_t>(N);
}
}  // namespace

std::string ZeroPad(int64_t N, int W) {
  std::string d = UDec(Magnitude(N));
  if (W < 0) W = 0;
  const size_t w = static_cast<size_t>(W);
  if (d.size() > w) return d.substr(d.size() - w);
  return std::string(w - d.size(), '0') + d;
}

std::string I64PadSt(int W, int64_t N) {
  std::string d = UDec(Magnitude(N));
  if (W < 0) W = 0;
  const size_t w = static_cast<size_t>(W);
  if (d.size() >= w) return d.substr(d.size() - w);
  if (N < 0) d = "-" + d;
  return std::string(w - d.size(), ' ') + d;
}

std::string HalfStr(int N) {
  if (N % 2 == 0) return I64PadSt(2, N / 2) + "  ";
  return I64PadSt(2, N) + "/2";
}

std::string ByteHex(uint8_t B) { return std::string{kHexDigits[B >> 4], kHexDigits[B & 15]}; }
std::string WordHex(uint16_t W) {
  return ByteHex(static_cast<uint8_t>(W >> 8)) + ByteHex(static_cast<uint8_t>(W));
}
std::string IntHex8(uint32_t V) {
  return WordHex(static_cast<uint16_t>(V >> 16)) + WordHex(static_cast<uint16_t>(V));
}
std::string IntHex(uint32_t V) {
  std::string s = IntHex8(V);
  size_t i = 0;
  while (i + 1 < s.size() && s[i] == '0') ++i;
  return s.substr(i);
}

std::string BufToHex2(const void* Buffer, int K) {
  if (K <= 0 || Buffer == nullptr) return "";
  const auto* b = static_cast<const uint8_t*>(Buffer);
  std::string s;
  const int n = (K + 1) / 2;
  for (int i = 0; i < n; ++i) s = ByteHex(b[i]) + s;
  if (K % 2 == 1) s.erase(0, 1);
  return s;
}

std::string PtrSegOfs(uint32_t V) {
  return "$" + WordHex(static_cast<uint16_t>(V >> 16)) + ":" + WordHex(static_cast<uint16_t>(V));
}

std::string VarSegOfs(const uint32_t* Place) { return PtrSegOfs(Place ? *Place : 0); }

std::string BitsToList(uint32_t V) {
  std::string s;
  for (int i = 0; i < 32; ++i)
    if (V & (1u << i)) {
      if (!s.empty()) s += ' ';
      s += IntStr(i);
    }
  return s;
}

std::string BoolStr(bool B) { return B ? "true" : "false"; }
char BoolChar(bool B) { return B ? '1' : '0'; }
std::string IfElseStr(bool B, const std::string& S1, const std::string& S2) { return B ? S1 : S2; }
std::string Choose3Str(int Index, const std::string& S0, const std::string& S1,
                       const std::string& S2) {
  switch (Index) {
    case 0: return S0;
    case 1: return S1;
    case 2: return S2;
    default: return "";
  }
}

std::string HexByte(uint8_t B) { return ByteHex(B); }
std::string HexWord(uint16_t W) { return WordHex(W); }
std::string HexInt8(uint32_t V) { return IntHex8(V); }
std::string ByteBin(uint8_t B) {
  std::string s(8, '0');
  for (int i = 0; i < 8; ++i)
    if (B & (0x80 >> i)) s[static_cast<size_t>(i)] = '1';
  return s;
}
std::string IntBin(uint32_t V) {
  return ByteBin(static_cast<uint8_t>(V >> 24)) + " " + ByteBin(static_cast<uint8_t>(V >> 16)) +
         " " + ByteBin(static_cast<uint8_t>(V >> 8)) + " " + ByteBin(static_cast<uint8_t>(V));
}

bool LeadingIntPart(std::string_view S, int64_t& Int) {
  size_t i = 0;
  while (i < S.size() && (S[i] == ' ' || S[i] == '\t')) ++i;
  bool neg = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) neg = S[i++] == '-';
  const size_t b = i;
  int64_t v = 0;
  while (i < S.size() && S[i] >= '0' && S[i] <= '9' && i - b < 17) v = v * 10 + (S[i++] - '0');
  if (i == b) return false;
  Int = neg ? -v : v;
  return true;
}
