// Number and date-time text of the grid, locale-free.
#include "grid/cvGxNum.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "foundation/cvDate.h"

namespace gx {
namespace {

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

[[noreturn]] void Fail(const WideString& Text, const char* What) {
  throw TGxConvertError("'" + A(Text) + "' is not a valid " + What);
}

std::string ToChars(double v, std::chars_format f, int precision) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, f, precision);
  return std::string(buf, r.ptr);
}

}  // namespace

std::string FloatText(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";
  // 15 significant digits: d.dddddddddddddde+XX
  const std::string e = ToChars(v, std::chars_format::scientific, 14);
  const size_t epos = e.find('e');
  const bool neg = e[0] == '-';
  std::string digits;
  for (size_t i = neg ? 1 : 0; i < epos; ++i)
    if (e[i] != '.') digits.push_back(e[i]);
  int exp = std::atoi(e.c_str() + epos + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string r = neg ? "-" : "";
  if (exp < -5 || exp >= 15) {
    r += digits.substr(0, 1);
    if (digits.size() > 1) r += "." + digits.substr(1);
    r += "E" + std::to_string(exp);
  } else if (exp < 0) {
    r += "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
  } else {
    const size_t ip = static_cast<size_t>(exp) + 1;
    if (digits.size() <= ip) {
      r += digits + std::string(ip - digits.size(), '0');
    } else {
      r += digits.substr(0, ip) + "." + digits.substr(ip);
    }
  }
  return r;
}

bool TryParseFloat(const std::string& Text, double& V) {
  std::string s = Trim(Text);
  if (s.empty()) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return false;  // no "inf", "nan", hexadecimal or a decimal comma
  size_t start = (s[0] == '+') ? 1 : 0;
  if (start && s.size() > 1 && s[1] == '-') return false;
  double v = 0;
  auto r = std::from_chars(s.data() + start, s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  V = v;
  return true;
}

double ParseFloat(const WideString& Text) {
  double v;
  if (!TryParseFloat(A(Text), v)) Fail(Text, "floating point value");
  return v;
}

bool TryParseInt(const std::string& Text, int32_t& V) {
  std::string s = Trim(Text);
  if (s.empty()) return false;
  size_t start = (s[0] == '+') ? 1 : 0;
  if (start && s.size() > 1 && s[1] == '-') return false;
  int32_t v = 0;
  auto r = std::from_chars(s.data() + start, s.data() + s.size(), v, 10);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  V = v;
  return true;
}

int32_t ParseInt(const WideString& Text) {
  int32_t v;
  if (!TryParseInt(A(Text), v)) Fail(Text, "integer value");
  return v;
}

bool ParseBool(const WideString& Text) {
  const std::string s = LowerCp1251(Trim(A(Text)));
  if (s == "true") return true;
  if (s == "false") return false;
  double v;
  if (TryParseFloat(s, v)) return v != 0;
  Fail(Text, "boolean value");
}

int32_t RoundInt(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::nearbyint(v);
  if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

std::string DateTimeText(double dt) {
  if (!std::isfinite(dt)) return FloatText(dt);
  double day = std::trunc(dt);
  long long ms = std::llround(std::fabs(dt - day) * 86400000.0);
  if (ms >= 86400000LL) {
    ms -= 86400000LL;
    day += dt < 0 ? -1 : 1;
  }
  int y, m, d;
  DecodeDate(day, y, m, d);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  std::string r = buf;
  if (ms != 0) {
    const int h = static_cast<int>(ms / 3600000), mi = static_cast<int>(ms / 60000 % 60),
              s = static_cast<int>(ms / 1000 % 60), z = static_cast<int>(ms % 1000);
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", h, mi, s);
    r += buf;
    if (z) {
      std::snprintf(buf, sizeof buf, ".%03d", z);
      r += buf;
    }
  }
  return r;
}

namespace {

// Reads digits at s[p..]; false when none.
bool Digits(const std::string& s, size_t& p, int& v, size_t maxLen = 9) {
  size_t q = p;
  v = 0;
  while (q < s.size() && q - p < maxLen && s[q] >= '0' && s[q] <= '9') v = v * 10 + (s[q++] - '0');
  if (q == p) return false;
  p = q;
  return true;
}

bool ReadTime(const std::string& s, size_t& p, double& t) {
  int h, mi, sec = 0, ms = 0;
  if (!Digits(s, p, h, 2) || p >= s.size() || s[p] != ':') return false;
  ++p;
  if (!Digits(s, p, mi, 2)) return false;
  if (p < s.size() && s[p] == ':') {
    ++p;
    if (!Digits(s, p, sec, 2)) return false;
    if (p < s.size() && s[p] == '.') {
      ++p;
      size_t q = p;
      if (!Digits(s, p, ms, 3)) return false;
      for (size_t k = p - q; k < 3; ++k) ms *= 10;
    }
  }
  if (h > 23 || mi > 59 || sec > 59) return false;
  t = (h * 3600000.0 + mi * 60000.0 + sec * 1000.0 + ms) / 86400000.0;
  return true;
}

}  // namespace

double ParseDateTime(const WideString& Text) {
  const std::string s = Trim(A(Text));
  size_t p = 0;
  double date = 0, time = 0;
  bool haveDate = false;
  int a, b, c;
  size_t q = 0;
  if (Digits(s, q, a, 4) && q < s.size() && (s[q] == '-' || s[q] == '.')) {
    const char sep = s[q++];
    if (!Digits(s, q, b, 2) || q >= s.size() || s[q] != sep) Fail(Text, "date and time");
    ++q;
    if (!Digits(s, q, c, 4)) Fail(Text, "date and time");
    const bool ok = sep == '-' ? TryEncodeDate(a, b, c, date) : TryEncodeDate(c, b, a, date);
    if (!ok) Fail(Text, "date and time");
    haveDate = true;
    p = q;
    if (p < s.size()) {
      if (s[p] != ' ' && s[p] != 'T') Fail(Text, "date and time");
      while (p < s.size() && (s[p] == ' ' || s[p] == 'T')) ++p;
    }
  }
  if (p < s.size()) {
    if (!ReadTime(s, p, time) || p != s.size()) Fail(Text, "date and time");
  } else if (!haveDate) {
    Fail(Text, "date and time");
  }
  return date < 0 ? date - time : date + time;
}

// ---- float format patterns ----

namespace {

struct TSection {
  std::string Prefix, Suffix;   // literal text around the number
  int IntZeros = 0;             // "0" before the point
  int DecZeros = 0, DecMax = 0; // "0" and "0"+"#" after the point
  bool Group = false, HasDigits = false;
  bool Sci = false, SciPlus = false;
  int ExpZeros = 0;
};

std::vector<std::string> SplitSections(const std::string& m) {
  std::vector<std::string> r(1);
  char q = 0;
  for (char c : m) {
    if (q) { if (c == q) q = 0; r.back().push_back(c); continue; }
    if (c == '"' || c == '\'') { q = c; r.back().push_back(c); continue; }
    if (c == ';') { r.emplace_back(); continue; }
    r.back().push_back(c);
  }
  return r;
}

TSection ParseSection(const std::string& m) {
  TSection s;
  bool afterPoint = false, inNumber = false, done = false;
  for (size_t i = 0; i < m.size(); ++i) {
    const char c = m[i];
    std::string& lit = inNumber || done ? s.Suffix : s.Prefix;
    if (c == '"' || c == '\'') {
      size_t j = m.find(c, i + 1);
      if (j == std::string::npos) j = m.size();
      lit += m.substr(i + 1, j - i - 1);
      if (inNumber) done = true, inNumber = false;
      i = j;
      continue;
    }
    if (!done && (c == '0' || c == '#')) {
      inNumber = true;
      s.HasDigits = true;
      if (afterPoint) {
        if (c == '0') s.DecZeros = s.DecMax + 1;
        ++s.DecMax;
      } else if (c == '0') {
        ++s.IntZeros;
      }
      continue;
    }
    if (!done && c == '.' && !afterPoint) { afterPoint = true; inNumber = true; continue; }
    if (!done && c == ',') { s.Group = true; continue; }
    if (inNumber && (c == 'E' || c == 'e') && i + 1 < m.size() &&
        (m[i + 1] == '+' || m[i + 1] == '-')) {
      s.Sci = true;
      s.SciPlus = m[i + 1] == '+';
      i += 2;
      while (i < m.size() && m[i] == '0') ++s.ExpZeros, ++i;
      --i;
      inNumber = false;
      done = true;
      continue;
    }
    if (inNumber) { inNumber = false; done = true; }
    (done ? s.Suffix : s.Prefix).push_back(c);
  }
  return s;
}

std::string Group3(const std::string& ip) {
  std::string r;
  const int n = static_cast<int>(ip.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r.push_back(',');
    r.push_back(ip[i]);
  }
  return r;
}

std::string Digits(const TSection& s, double a) {
  std::string mant, expPart;
  if (s.Sci) {
    std::string e = ToChars(a, std::chars_format::scientific, s.DecMax);
    const size_t ep = e.find('e');
    mant = e.substr(0, ep);
    int exp = std::atoi(e.c_str() + ep + 1);
    std::string ed = std::to_string(exp < 0 ? -exp : exp);
    while (static_cast<int>(ed.size()) < s.ExpZeros) ed.insert(ed.begin(), '0');
    expPart = std::string("E") + (exp < 0 ? "-" : (s.SciPlus ? "+" : "")) + ed;
  } else {
    mant = ToChars(a, std::chars_format::fixed, s.DecMax);
  }
  std::string ip = mant, fp;
  const size_t pt = mant.find('.');
  if (pt != std::string::npos) ip = mant.substr(0, pt), fp = mant.substr(pt + 1);
  while (static_cast<int>(fp.size()) > s.DecZeros && !fp.empty() && fp.back() == '0') fp.pop_back();
  if (ip == "0" && s.IntZeros == 0 && !s.Sci) ip.clear();
  while (static_cast<int>(ip.size()) < s.IntZeros) ip.insert(ip.begin(), '0');
  if (s.Group) ip = Group3(ip);
  std::string r = ip;
  if (!fp.empty()) r += "." + fp;
  if (r.empty()) r = "0";
  return r + expPart;
}

}  // namespace

std::string FormatFloatMask(const std::string& Mask, double V) {
  if (!std::isfinite(V)) return FloatText(V);
  const auto secs = SplitSections(Mask);
  TSection s = ParseSection(secs[0]);
  const bool neg = V < 0;
  double a = std::fabs(V);
  // A value that shows as zero in the first section takes the zero section.
  const std::string first = Digits(s, a);
  const bool zero = first.find_first_not_of("0.,E+-") == std::string::npos;
  if (zero && secs.size() > 2 && !secs[2].empty()) {
    s = ParseSection(secs[2]);
  } else if (neg && secs.size() > 1 && !secs[1].empty()) {
    s = ParseSection(secs[1]);
  } else if (!s.HasDigits) {
    return s.Prefix + s.Suffix;
  } else {
    return (neg && !zero ? "-" : "") + s.Prefix + first + s.Suffix;
  }
  if (!s.HasDigits) return s.Prefix + s.Suffix;
  return s.Prefix + Digits(s, a) + s.Suffix;
}

}  // namespace gx
