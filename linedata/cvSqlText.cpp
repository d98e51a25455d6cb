#include "linedata/cvSqlText.h"

#include "foundation/cvStr.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace sqltext {

namespace {

enum class TTok { End, Ident, Text, Number, Date, Param, Op, LParen, RParen, Comma, Star };

struct TToken {
  TTok Kind = TTok::End;
  std::string Text;  // identifier, literal text, operator
  size_t Pos = 0;    // 0-based position in the source
};

bool IsIdentStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Splits a text into tokens; false with Error on an unclosed quote or an unknown character.
bool Tokenize(const std::string& S, std::vector<TToken>& Out, std::string& Error) {
  size_t i = 0;
  const size_t n = S.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    if (c <= ' ') {
      ++i;
      continue;
    }
    TToken t;
    t.Pos = i;
    if (c == '\'' || c == '"') {
      const char q = static_cast<char>(c);
      size_t j = i + 1;
      std::string v;
      bool closed = false;
      while (j < n) {
        if (S[j] == q) {
          if (j + 1 < n && S[j + 1] == q) {
            v += q;
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        v += S[j++];
      }
      if (!closed) {
        Error = "unclosed quote at position " + std::to_string(i + 1);
        return false;
      }
      t.Kind = q == '\'' ? TTok::Text : TTok::Ident;  // "name" is a quoted field name
      t.Text = v;
      i = j + 1;
    } else if (c == '[') {
      const size_t j = S.find(']', i + 1);
      if (j == std::string::npos) {
        Error = "unclosed [ at position " + std::to_string(i + 1);
        return false;
      }
      t.Kind = TTok::Ident;
      t.Text = S.substr(i + 1, j - i - 1);
      i = j + 1;
    } else if (c == '#') {
      const size_t j = S.find('#', i + 1);
      if (j == std::string::npos) {
        Error = "unclosed # at position " + std::to_string(i + 1);
        return false;
      }
      t.Kind = TTok::Date;
      t.Text = S.substr(i + 1, j - i - 1);
      i = j + 1;
    } else if (std::isdigit(c) ||
               (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(S[i + 1])))) {
      size_t j = i;
      while (j < n && (std::isdigit(static_cast<unsigned char>(S[j])) || S[j] == '.')) ++j;
      if (j < n && (S[j] == 'e' || S[j] == 'E')) {
        size_t k = j + 1;
        if (k < n && (S[k] == '+' || S[k] == '-')) ++k;
        if (k < n && std::isdigit(static_cast<unsigned char>(S[k]))) {
          j = k;
          while (j < n && std::isdigit(static_cast<unsigned char>(S[j]))) ++j;
        }
      }
      t.Kind = TTok::Number;
      t.Text = S.substr(i, j - i);
      i = j;
    } else if (IsIdentStart(c)) {
      size_t j = i;
      while (j < n && IsIdentChar(static_cast<unsigned char>(S[j]))) ++j;
      t.Kind = TTok::Ident;
      t.Text = S.substr(i, j - i);
      i = j;
      // a plain identifier may be a keyword; the parser decides
      t.Pos = t.Pos;
    } else if (c == '(' || c == ')' || c == ',' || c == '*' || c == '?') {
      t.Kind = c == '('   ? TTok::LParen
               : c == ')' ? TTok::RParen
               : c == ',' ? TTok::Comma
               : c == '*' ? TTok::Star
                          : TTok::Param;
      t.Text = std::string(1, static_cast<char>(c));
      ++i;
    } else if (c == '=' || c == '<' || c == '>' || c == '!' || c == '+' || c == '-') {
      std::string op(1, static_cast<char>(c));
      if (i + 1 < n) {
        const char d = S[i + 1];
        if ((c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '=') ||
            (c == '!' && d == '='))
          op += d;
      }
      if (op == "!") {
        Error = "unexpected ! at position " + std::to_string(i + 1);
        return false;
      }
      t.Kind = TTok::Op;
      t.Text = op;
      i += op.size();
    } else {
      Error = std::string("unexpected character '") + static_cast<char>(c) + "' at position " +
              std::to_string(i + 1);
      return false;
    }
    Out.push_back(t);
  }
  TToken e;
  e.Pos = n;
  Out.push_back(e);
  return true;
}

bool IsKeyword(const TToken& t, const char* Word) {
  return t.Kind == TTok::Ident && UpCaseStrCyr(t.Text) == Word;
}

// A real or integer literal of the filter text.
bool NumberValue(const std::string& Text, bool Negative, TcvValue& V) {
  const bool isInt = Text.find_first_of(".eE") == std::string::npos;
  if (isInt) {
    int64_t i = 0;
    auto r = std::from_chars(Text.data(), Text.data() + Text.size(), i);
    if (r.ec == std::errc() && r.ptr == Text.data() + Text.size()) {
      V = Negative ? -i : i;
      return true;
    }
  }
  double d = 0;
  auto r = std::from_chars(Text.data(), Text.data() + Text.size(), d);
  if (r.ec != std::errc() || r.ptr != Text.data() + Text.size() || !std::isfinite(d)) return false;
  V = Negative ? -d : d;
  return true;
}

// Converts a text literal compared with a field of another type into that type when it reads.
TcvValue CoerceForField(const TcvValue& V, TFieldType Type) {
  const std::string* s = std::get_if<std::string>(&V);
  if (!s) return V;
  std::string t = *s;
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.pop_back();
  size_t a = 0;
  while (a < t.size() && static_cast<unsigned char>(t[a]) <= ' ') ++a;
  t = t.substr(a);
  switch (Type) {
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftFloat: {
      bool neg = !t.empty() && t[0] == '-';
      std::string body = (neg || (!t.empty() && t[0] == '+')) ? t.substr(1) : t;
      TcvValue n;
      if (!body.empty() && NumberValue(body, neg, n)) return n;
      return V;
    }
    case TFieldType::ftDateTime: {
      double d = 0;
      if (ParseDateTimeText(t, d)) return d;
      return V;
    }
    case TFieldType::ftBoolean: {
      const std::string u = UpCaseStrCyr(t);
      if (u == "TRUE" || u == "1" || u == "YES") return int64_t{1};
      if (u == "FALSE" || u == "0" || u == "NO") return int64_t{0};
      return V;
    }
    case TFieldType::ftString:
      return V;
  }
  return V;
}

class TFilterParser {
 public:
  TFilterParser(const std::vector<TToken>& Toks, const std::vector<TFieldDef>& Cols,
                const std::vector<TcvValue>& Params)
      : t_(Toks), cols_(Cols), params_(Params) {}

  bool Parse(std::string& Sql, std::vector<TcvValue>& Values, std::string& Error) {
    if (t_[p_].Kind == TTok::End) {
      Sql.clear();
      return true;
    }
    if (!OrExpr(Sql)) {
      Error = err_;
      return false;
    }
    if (t_[p_].Kind != TTok::End) {
      Error = "unexpected '" + t_[p_].Text + "' at position " + std::to_string(t_[p_].Pos + 1);
      return false;
    }
    if (paramNo_ != params_.size() && !params_.empty()) {
      Error = "more parameters than ? marks";
      return false;
    }
    Values = values_;
    return true;
  }

 private:
  struct TOperand {
    bool IsField = false;
    int Col = -1;
    TcvValue Value;
    bool IsNull = false;
  };

  bool Fail(const std::string& What) {
    if (err_.empty()) err_ = What + " at position " + std::to_string(t_[p_].Pos + 1);
    return false;
  }

  bool OrExpr(std::string& Out) {
    std::string a;
    if (!AndExpr(a)) return false;
    while (IsKeyword(t_[p_], "OR")) {
      ++p_;
      std::string b;
      if (!AndExpr(b)) return false;
      a = a + " OR " + b;
    }
    Out = a;
    return true;
  }

  bool AndExpr(std::string& Out) {
    std::string a;
    if (!NotExpr(a)) return false;
    while (IsKeyword(t_[p_], "AND")) {
      ++p_;
      std::string b;
      if (!NotExpr(b)) return false;
      a = a + " AND " + b;
    }
    Out = a;
    return true;
  }

  bool NotExpr(std::string& Out) {
    if (IsKeyword(t_[p_], "NOT")) {
      ++p_;
      std::string a;
      if (!NotExpr(a)) return false;
      Out = "NOT " + a;
      return true;
    }
    if (t_[p_].Kind == TTok::LParen) {
      ++p_;
      std::string a;
      if (!OrExpr(a)) return false;
      if (t_[p_].Kind != TTok::RParen) return Fail("')' expected");
      ++p_;
      Out = "(" + a + ")";
      return true;
    }
    return Comparison(Out);
  }

  bool Operand(TOperand& O) {
    const TToken& t = t_[p_];
    switch (t.Kind) {
      case TTok::Ident: {
        const std::string u = UpCaseStrCyr(t.Text);
        if (u == "NULL") {
          O.IsNull = true;
          ++p_;
          return true;
        }
        if (u == "TRUE" || u == "FALSE") {
          O.Value = int64_t{u == "TRUE" ? 1 : 0};
          ++p_;
          return true;
        }
        const int c = FindColumn(cols_, t.Text);
        if (c < 0) return Fail("unknown field <" + t.Text + ">");
        O.IsField = true;
        O.Col = c;
        ++p_;
        return true;
      }
      case TTok::Text:
        O.Value = t.Text;
        ++p_;
        return true;
      case TTok::Number: {
        if (!NumberValue(t.Text, false, O.Value)) return Fail("bad number <" + t.Text + ">");
        ++p_;
        return true;
      }
      case TTok::Op:
        if (t.Text == "-" || t.Text == "+") {
          const bool neg = t.Text == "-";
          ++p_;
          if (t_[p_].Kind != TTok::Number) return Fail("number expected");
          if (!NumberValue(t_[p_].Text, neg, O.Value)) return Fail("bad number");
          ++p_;
          return true;
        }
        return Fail("value or field expected");
      case TTok::Date: {
        double d = 0;
        if (!ParseDateTimeText(t.Text, d)) return Fail("bad date #" + t.Text + "#");
        O.Value = d;
        ++p_;
        return true;
      }
      case TTok::Param:
        if (paramNo_ >= params_.size()) return Fail("no value for ?");
        O.Value = params_[paramNo_++];
        O.IsNull = IsNullValue(O.Value);
        ++p_;
        return true;
      default:
        return Fail("value or field expected");
    }
  }

  std::string OperandSql(const TOperand& O, const TOperand& Other) {
    if (O.IsField) return QuoteIdent(cols_[static_cast<size_t>(O.Col)].Name);
    TcvValue v = O.Value;
    if (Other.IsField) v = CoerceForField(v, cols_[static_cast<size_t>(Other.Col)].DataType);
    values_.push_back(v);
    return "?" + std::to_string(values_.size());
  }

  bool IsTextField(const TOperand& O) const {
    return O.IsField && cols_[static_cast<size_t>(O.Col)].DataType == TFieldType::ftString;
  }

  bool Comparison(std::string& Out) {
    TOperand a;
    if (!Operand(a)) return false;
    // IS [NOT] NULL
    if (IsKeyword(t_[p_], "IS")) {
      ++p_;
      bool neg = false;
      if (IsKeyword(t_[p_], "NOT")) {
        neg = true;
        ++p_;
      }
      if (!IsKeyword(t_[p_], "NULL")) return Fail("NULL expected");
      ++p_;
      if (!a.IsField) return Fail("field expected before IS");
      Out =
          QuoteIdent(cols_[static_cast<size_t>(a.Col)].Name) + (neg ? " IS NOT NULL" : " IS NULL");
      return true;
    }
    bool notLike = false;
    if (IsKeyword(t_[p_], "NOT") && IsKeyword(t_[p_ + 1], "LIKE")) {
      notLike = true;
      ++p_;
    }
    if (IsKeyword(t_[p_], "LIKE")) {
      ++p_;
      TOperand b;
      if (!Operand(b)) return false;
      if (!a.IsField) return Fail("field expected before LIKE");
      if (b.IsField || b.IsNull) return Fail("pattern expected after LIKE");
      std::string pat;
      if (const std::string* s = std::get_if<std::string>(&b.Value))
        pat = *s;
      else
        return Fail("text pattern expected after LIKE");
      for (char& c : pat) {
        if (c == '*') c = '%';
        if (c == '?') c = '_';
      }
      values_.push_back(pat);
      Out = std::string(notLike ? "NOT " : "") + "cvlike(?" + std::to_string(values_.size()) +
            ", " + QuoteIdent(cols_[static_cast<size_t>(a.Col)].Name) + ")";
      return true;
    }
    if (notLike) return Fail("LIKE expected");
    if (t_[p_].Kind != TTok::Op || t_[p_].Text == "+" || t_[p_].Text == "-")
      return Fail("comparison operator expected");
    std::string op = t_[p_].Text;
    if (op == "!=") op = "<>";
    ++p_;
    TOperand b;
    if (!Operand(b)) return false;
    if (a.IsNull || b.IsNull) {
      const TOperand& f = a.IsNull ? b : a;
      if (!f.IsField || (op != "=" && op != "<>")) return Fail("NULL compares only with = or <>");
      Out = QuoteIdent(cols_[static_cast<size_t>(f.Col)].Name) +
            (op == "=" ? " IS NULL" : " IS NOT NULL");
      return true;
    }
    if (!a.IsField && !b.IsField) return Fail("a comparison needs a field");
    const std::string sa = OperandSql(a, b);
    const std::string sb = OperandSql(b, a);
    Out = sa + " " + op + " " + sb;
    if (IsTextField(a) || IsTextField(b)) Out += " COLLATE CVNOCASE";
    return true;
  }

  const std::vector<TToken>& t_;
  const std::vector<TFieldDef>& cols_;
  const std::vector<TcvValue>& params_;
  size_t p_ = 0;
  size_t paramNo_ = 0;
  std::vector<TcvValue> values_;
  std::string err_;
};

// UTF-8 decoding for the comparisons (invalid bytes count as themselves).
char32_t NextCp(const std::string& s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = 1;
  char32_t u = c;
  if (c >= 0xC0 && c < 0xE0) {
    n = 2;
    u = c & 0x1F;
  } else if (c >= 0xE0 && c < 0xF0) {
    n = 3;
    u = c & 0x0F;
  } else if (c >= 0xF0 && c < 0xF8) {
    n = 4;
    u = c & 0x07;
  }
  if (n > 1) {
    if (i + n > s.size()) {
      ++i;
      return c;
    }
    for (size_t k = 1; k < n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) {
        ++i;
        return c;
      }
      u = (u << 6) | (d & 0x3F);
    }
  }
  i += n;
  return u;
}

char32_t FoldCp(char32_t u) {
  if (u >= 'a' && u <= 'z') return u - 32;
  if (u >= 0x0430 && u <= 0x044F) return u - 0x20;  // а..я
  if (u >= 0x0450 && u <= 0x045F) return u - 0x50;  // ѐ..џ (ё, ў, ...)
  if (u == 0x0491) return 0x0490;                   // ґ
  return u;
}

std::vector<char32_t> FoldedCps(const std::string& s) {
  std::vector<char32_t> r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) r.push_back(FoldCp(NextCp(s, i)));
  return r;
}

bool LikeMatch(const std::vector<char32_t>& p, size_t pi, const std::vector<char32_t>& t,
               size_t ti) {
  // iterative with backtracking on the last '%'
  size_t starP = std::string::npos, starT = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == '_' || p[pi] == t[ti])) {
      ++pi;
      ++ti;
    } else if (pi < p.size() && p[pi] == '%') {
      starP = pi++;
      starT = ti;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '%') ++pi;
  return pi == p.size();
}

}  // namespace

std::string QuoteIdent(const std::string& Name) {
  std::string r = "\"";
  for (char c : Name) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

int FindColumn(const std::vector<TFieldDef>& Cols, const std::string& Name) {
  const std::string u = UpCaseStrCyr(Name);
  for (size_t i = 0; i < Cols.size(); ++i)
    if (UpCaseStrCyr(Cols[i].Name) == u) return static_cast<int>(i);
  return -1;
}

bool TranslateFilter(const std::string& Text, const std::vector<TFieldDef>& Cols,
                     const std::vector<TcvValue>& Params, std::string& Sql,
                     std::vector<TcvValue>& Values, std::string& Error) {
  std::vector<TToken> toks;
  Sql.clear();
  Values.clear();
  if (!Tokenize(Text, toks, Error)) return false;
  TFilterParser p(toks, Cols, Params);
  return p.Parse(Sql, Values, Error);
}

bool TranslateSort(const std::string& Text, const std::vector<TFieldDef>& Cols, std::string& Sql,
                   std::string& Error) {
  Sql.clear();
  std::vector<TToken> toks;
  if (!Tokenize(Text, toks, Error)) return false;
  size_t p = 0;
  if (toks[p].Kind == TTok::End) return true;
  for (;;) {
    if (toks[p].Kind != TTok::Ident) {
      Error = "field expected at position " + std::to_string(toks[p].Pos + 1);
      return false;
    }
    const int c = FindColumn(Cols, toks[p].Text);
    if (c < 0) {
      Error = "unknown field <" + toks[p].Text + ">";
      return false;
    }
    ++p;
    std::string dir = " ASC";
    if (IsKeyword(toks[p], "ASC")) {
      ++p;
    } else if (IsKeyword(toks[p], "DESC")) {
      dir = " DESC";
      ++p;
    }
    if (!Sql.empty()) Sql += ", ";
    Sql += QuoteIdent(Cols[static_cast<size_t>(c)].Name);
    if (Cols[static_cast<size_t>(c)].DataType == TFieldType::ftString) Sql += " COLLATE CVNOCASE";
    Sql += dir;
    if (toks[p].Kind == TTok::End) return true;
    if (toks[p].Kind != TTok::Comma) {
      Error = "',' expected at position " + std::to_string(toks[p].Pos + 1);
      return false;
    }
    ++p;
  }
}

bool SplitSelect(const std::string& Text, TSelectParts& Parts, std::string& Error) {
  Parts = TSelectParts{};
  std::vector<TToken> toks;
  if (!Tokenize(Text, toks, Error)) return false;
  size_t p = 0;
  if (!IsKeyword(toks[p], "SELECT")) {
    Error = "SELECT expected";
    return false;
  }
  ++p;
  if (toks[p].Kind == TTok::Star) {
    ++p;
  } else {
    for (;;) {
      if (toks[p].Kind != TTok::Ident || IsKeyword(toks[p], "FROM")) {
        Error = "field expected at position " + std::to_string(toks[p].Pos + 1);
        return false;
      }
      Parts.Fields.push_back(toks[p].Text);
      ++p;
      if (toks[p].Kind != TTok::Comma) break;
      ++p;
    }
  }
  if (!IsKeyword(toks[p], "FROM")) {
    Error = "FROM expected at position " + std::to_string(toks[p].Pos + 1);
    return false;
  }
  ++p;
  if (toks[p].Kind != TTok::Ident) {
    Error = "table name expected at position " + std::to_string(toks[p].Pos + 1);
    return false;
  }
  Parts.Table = toks[p].Text;
  ++p;
  // WHERE and ORDER BY at bracket depth 0 split the rest
  size_t whereAt = std::string::npos, orderAt = std::string::npos, orderBody = 0;
  int depth = 0;
  for (size_t k = p; toks[k].Kind != TTok::End; ++k) {
    if (toks[k].Kind == TTok::LParen) ++depth;
    if (toks[k].Kind == TTok::RParen) --depth;
    if (depth != 0) continue;
    if (k == p && IsKeyword(toks[k], "WHERE")) whereAt = k;
    if (IsKeyword(toks[k], "ORDER") && IsKeyword(toks[k + 1], "BY") &&
        orderAt == std::string::npos) {
      orderAt = k;
      orderBody = k + 2;
    }
  }
  if (toks[p].Kind != TTok::End && whereAt != p && orderAt != p) {
    Error = "WHERE or ORDER BY expected at position " + std::to_string(toks[p].Pos + 1);
    return false;
  }
  const size_t end = Text.size();
  if (whereAt != std::string::npos) {
    const size_t from = toks[whereAt + 1].Pos;
    const size_t to = orderAt != std::string::npos ? toks[orderAt].Pos : end;
    Parts.Where = from < to ? Text.substr(from, to - from) : std::string();
  }
  if (orderAt != std::string::npos) Parts.OrderBy = Text.substr(toks[orderBody].Pos);
  return true;
}

int CompareNoCase(const std::string& A, const std::string& B) {
  size_t i = 0, j = 0;
  while (i < A.size() && j < B.size()) {
    const char32_t a = FoldCp(NextCp(A, i));
    const char32_t b = FoldCp(NextCp(B, j));
    if (a != b) return a < b ? -1 : 1;
  }
  if (i < A.size()) return 1;
  if (j < B.size()) return -1;
  return 0;
}

bool LikeNoCase(const std::string& Pattern, const std::string& Text) {
  return LikeMatch(FoldedCps(Pattern), 0, FoldedCps(Text), 0);
}

}  // namespace sqltext
