// Number input (ValReal family, times of day, date-time stamps) and the number formatters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "foundation/cvDate.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "platform/MsgBox.h"

namespace {

struct Report {
  std::string text;
  int32_t pos;
};

// Records string-error reports and message boxes for the life of a test.
class CvStrNumbers : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = StrErrHandler;
    StrErrHandler = [this](const std::string& t, int32_t p) { reports_.push_back({t, p}); };
  }
  void TearDown() override { StrErrHandler = saved_; }

  static double Day(int y, int m, int d) {
    double r = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, r));
    return r;
  }

  std::vector<Report> reports_;
  platform::ScriptedMsgBoxes boxes_;

 private:
  TStrErrHandler saved_;
};

TEST_F(CvStrNumbers, ValRealReadsEveryNumberForm) {
  const double d = Day(2009, 12, 31);
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"1.5-3", 0.0015},
      {" -2.0+12 ", -2e12},
      {"1.5E-3", 0.0015},
      {"-3", -3},
      {"+4.25", 4.25},
      {".5", 0.5},
      {"7.", 7},
      {"\t12\r\n", 12},
      {"", 0},
      {"1e-400", 0},  // underflow reads as 0
      {"12:30", 12.5 / 24},
      {"12:", 0.5},
      {"00:00:01.5", 1.5 / 86400},
      {"12:34:56.1234", (12 * 3600 + 34 * 60 + 56) / 86400.0},
      {"06:00:00.25", (6 * 3600 + 0.25) / 86400.0},
      {"20091231_120000", d + 0.5},
      {"091231_06", d + 0.25},
      {"20091231_1230", d + 12.5 / 24},
      {"20091231_", d},
      {"00000000_18", 0.75},
      {"2009-12-31T12:00:00.000", d + 0.5},
      {"0000-00-00T18:00:00.000", 0.75},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ValReal(c.text), c.want, std::fabs(c.want) * 1e-15 + 1e-15) << c.text;
    int32_t code = -1;
    EXPECT_NEAR(ValRealCode(c.text, code), c.want, std::fabs(c.want) * 1e-15 + 1e-15) << c.text;
    EXPECT_EQ(code, 0) << c.text;
  }
  EXPECT_TRUE(reports_.empty());
}

TEST_F(CvStrNumbers, ValRealReportsBadTextWithTheLastAttemptsPosition) {
  struct Case {
    const char* text;
    const char* shown;  // the text as the report quotes it (exponent letter inserted)
    int32_t pos;
  } cases[] = {
      {"2009-12-31t12:00:00.000", "2009E-12-31t12:00:00.000", 11},
      {"abc", "abc", 1},
      {"1.5x", "1.5x", 1},
      {"1e400", "1e400", 1},  // overflow is an error, never infinity
      {"1.2.3", "1.2.3", 1},
  };
  for (const auto& c : cases) {
    reports_.clear();
    EXPECT_EQ(ValReal(c.text), 0) << c.text;
    ASSERT_EQ(reports_.size(), 1u) << c.text;
    EXPECT_EQ(reports_[0].text,
              "Ошибка ValReal или HMSReal при вводе действительного числа <"_cp + c.shown + ">");
    EXPECT_EQ(reports_[0].pos, c.pos) << c.text;
    int32_t code = 0;
    EXPECT_EQ(ValRealCode(c.text, code), 0);
    EXPECT_EQ(code, c.pos) << c.text;
  }
}

TEST_F(CvStrNumbers, BlankAndQuietVariantsNeverReport) {
  EXPECT_EQ(ValRealOr0("   "), 0);
  EXPECT_EQ(ValIntOr0(" \t"), 0);
  EXPECT_EQ(ValRealOr0(" 2.5 "), 2.5);
  EXPECT_EQ(ValIntOr0(" 42"), 42);
  EXPECT_EQ(ValRealQuiet(" 2.5"), 2.5);
  EXPECT_EQ(ValRealQuiet("1.5-3"), 0);  // no exponent fix
  EXPECT_EQ(ValRealQuiet("2.5 "), 0);   // no trimming at the end
  EXPECT_EQ(ValRealQuiet("12:30"), 0);  // no time form
  EXPECT_TRUE(reports_.empty());
}

TEST_F(CvStrNumbers, IntegerConversionValuesAndErrorPositions) {
  struct Case {
    const char* text;
    int32_t code;
    int32_t value;  // ValIntCode's value on success, ValInt's partial value on error
  } cases[] = {
      {"", 1, 0},          {"  12", 0, 12},          {"+7", 0, 7},
      {"-15", 0, -15},     {"12a", 3, 12},           {"12 ", 3, 12},
      {"-", 2, 0},         {" ", 2, 0},              {"$1F", 0, 31},
      {"x1f", 0, 31},      {"0x10", 0, 16},          {"-$10", 0, -16},
      {"$1G", 3, 1},       {"$FFFFFFFF", 0, -1},     {"2147483647", 0, 2147483647},
      {"-2147483648", 0, std::numeric_limits<int32_t>::min()},
      {"2147483648", 10, 214748364},
      {"1.5", 2, 1},
  };
  for (const auto& c : cases) {
    int32_t code = -1;
    const int32_t v = ValIntCode(c.text, code);
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(v, c.code == 0 ? c.value : 0) << c.text;
    reports_.clear();
    EXPECT_EQ(ValInt(c.text), c.value) << c.text;
    if (c.code == 0) {
      EXPECT_TRUE(reports_.empty()) << c.text;
    } else {
      ASSERT_EQ(reports_.size(), 1u) << c.text;
      EXPECT_EQ(reports_[0].text, "Ошибка ValInt при вводе целого <"_cp + c.text + ">");
      EXPECT_EQ(reports_[0].pos, c.code);
    }
  }
}

TEST_F(CvStrNumbers, TimeOfDayErrorPositions) {
  struct Case {
    const char* text;
    int32_t code;
  } cases[] = {
      {"12:3x", 5}, {"12:34.56", 6}, {"12:34:56:7", 9}, {"1", 1},
      {"12", 2},    {"1234", 3},     {"12-30", 3},
  };
  for (const auto& c : cases) {
    int32_t code = 0;
    EXPECT_EQ(ValHMS(c.text, code), 0) << c.text;
    EXPECT_EQ(code, c.code) << c.text;
  }
  int32_t code = -1;
  EXPECT_EQ(ValHMS("", code), 0);
  EXPECT_EQ(code, 0);
  // An empty fraction shows the integer report, the value stands.
  EXPECT_NEAR(ValHMS("12:00:00.", code), 0.5, 1e-15);
  EXPECT_EQ(code, 0);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].pos, 1);
}

TEST_F(CvStrNumbers, StampErrorCodes) {
  struct Case {
    const char* text;
    int32_t code;
  } cases[] = {
      {"2009123", 1},        {"2009a231", 5},  {"2009_1200", 68},
      {"200912311200000", 68}, {"20091231_12_0", 3}, {"20091231_1_", 2},
  };
  for (const auto& c : cases) {
    int32_t code = 0;
    EXPECT_EQ(ValStampDT(c.text, code), 0) << c.text;
    EXPECT_EQ(code, c.code) << c.text;
  }
  int32_t code = -1;
  EXPECT_NEAR(ValStampDT("063000", code), 6.5 / 24, 1e-15);  // a time alone
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ValISODateTime("2009-12-31T12:00:00.00", code), 0);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(ValISODateTime("2009/12/31T12:00:00.000", code), 0);
  EXPECT_EQ(code, 5);
  EXPECT_EQ(ValISODateTime("2009-12-31T12:0x:00.000", code), 0);
  EXPECT_EQ(code, 5);  // the time's own position
}

TEST_F(CvStrNumbers, ImpossibleDatesGiveDateZeroAndAReportInBothStampForms) {
  int32_t code = -1;
  EXPECT_NEAR(ValStampDT("20090431_120000", code), 0.5, 1e-15);
  EXPECT_EQ(code, 0);
  // The ISO form behaves the same and lets no exception escape.
  double v = 0;
  EXPECT_NO_THROW(v = ValISODateTime("2009-13-31T06:00:00.000", code));
  EXPECT_NEAR(v, 0.25, 1e-15);
  EXPECT_EQ(code, 0);
  EXPECT_NO_THROW(v = ValReal("2010-02-29T18:00:00.000"));
  EXPECT_NEAR(v, 0.75, 1e-15);
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[0].text, "2009:4:31");
  EXPECT_EQ(reports_[1].text, "2009:13:31");
  EXPECT_EQ(reports_[2].text, "2010:2:29");
  for (const auto& r : reports_) EXPECT_EQ(r.pos, 0);
}

TEST_F(CvStrNumbers, FixExpE) {
  EXPECT_EQ(FixExpE("1.5-3"), "1.5E-3");
  EXPECT_EQ(FixExpE("-2.+1"), "-2.E+1");
  EXPECT_EQ(FixExpE("1e-3"), "1e-3");
  EXPECT_EQ(FixExpE("-3"), "-3");
  EXPECT_EQ(FixExpE("x1-3"), "x1-3");
  EXPECT_EQ(FixExpE(""), "");
}

TEST_F(CvStrNumbers, DefaultHandlerShowsTheErrorBox) {
  StrErrHandler = StrErrBoxPos;
  EXPECT_EQ(ValInt("q"), 0);
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].caption, "Ошибка обработки строк!"_cp);
  EXPECT_EQ(boxes_.Shown()[0].text, "Ошибка ValInt при вводе целого <q> позиция ошибки = 1"_cp);
}

struct RealCase {
  int n;
  double x;
  const char* want;
};

TEST_F(CvStrNumbers, ExponentialText) {
  const RealCase cases[] = {
      {4, 0, " 0.000+00"},
      {4, 12345.678, " 1.235+04"},
      {4, -0.00012346, "-1.235-04"},
      {4, 3e150, " 3.000+150"},
      {4, 9.9996, " 10.00+00"},
      {3, 1e-150, " 1.00-150"},
      {2, -7.26e-5, "-7.3-05"},
      {4, 1.5e-100, " 1.500-100"},   // exponent -100 needs three digits
      {4, 9.99999e99, " 1.000+100"},  // rounds up into the next decade
      {4, 4.9406564584124654e-324, " 4.941-324"},
      {2, 1.25, " 1.2+00"},  // exact halves go to the even digit
      {2, 1.75, " 1.8+00"},
      {3, -0.125, "-1.25-01"},
  };
  for (const auto& c : cases) EXPECT_EQ(ESt(c.n, c.x), c.want) << c.n << " " << c.x;
  EXPECT_TRUE(boxes_.Shown().empty());
}

// The mantissa is the extended value scaled into [1, 10) rounded to N - 1 decimals exactly as the
// C library's printf rounds it, over many values and widths.
TEST_F(CvStrNumbers, ExponentialMantissaAsPrintf) {
  uint64_t seed = 88172645463325252ull;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  for (int t = 0; t < 20000; ++t) {
    const int n = 2 + static_cast<int>(next() % 16);
    const double x = std::ldexp(static_cast<double>(next() >> 11), -static_cast<int>(next() % 120));
    if (x == 0) continue;
    long double eps = 1;
    for (int i = 0; i < n; ++i) eps /= 10;
    long double a = x;
    while (a >= 10 - eps) a /= 10;
    while (a < 1 - eps / 2) a *= 10;
    char want[64];
    std::snprintf(want, sizeof want, "%*.*Lf", n + 1, n - 1, a);
    if (static_cast<int>(std::strlen(want)) > n + 1)
      std::snprintf(want, sizeof want, "%*.*Lf", n, n - 2, a);
    const std::string e = ESt(n, x);
    EXPECT_EQ(e.substr(1, std::strlen(want)), want) << n << " " << x << " " << e;
  }
}

TEST_F(CvStrNumbers, ShortSigAndEfTexts) {
  const RealCase shortCases[] = {
      {4, 12345.678, "12346"}, {4, 0.00004, "4.-05"},  {4, 0.0123, "0.0123"},
      {4, 2.5, "2.5"},         {4, 1e20, "1.+20"},     {4, 0, "0"},
      {4, 123456, "123456"},   {4, -0.5, "-0.5"},      {3, 1e-7, "1.-07"},
      {4, 1.234e20, "1.234+20"},  // exponent zeros are never stripped
      {4, -2.5e30, "-2.5+30"},    {6, 3.14159265, "3.14159"},
      {2, 996000, "996000"},  // a mantissa rounded up to "10" keeps its zero
      {2, 9.96e30, "10+30"},      {1, -9.7e30, "-10+30"},
  };
  for (const auto& c : shortCases) EXPECT_EQ(ShortSt(c.n, c.x), c.want) << c.n << " " << c.x;
  const RealCase sigCases[] = {
      {4, 9.7, " 9.70"},       {4, 0, "0.00"},         {2, 0, " 0"},
      {4, 0.5, "0.5000"},      {4, 12345.678, "12346"}, {4, 12.3456, "12.35"},
      {4, 0.0123, "0.01230"},  {4, -12.3456, "-12.35"}, {4, -0.0123, "-0.01230"},
      {3, -0.6, "-0.60"},     {1, -0.6, "-1"},         {4, 1e19, " 1.000+19"},
  };
  for (const auto& c : sigCases) EXPECT_EQ(SigSt(c.n, c.x), c.want) << c.n << " " << c.x;
  EXPECT_EQ(EFSt(4, 12345.678), "12346");
  EXPECT_EQ(EFSt(4, 1e-7), " 1.000-07");
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(CvStrNumbers, FixedAndDecimalTexts) {
  struct Case {
    std::string got, want;
  } cases[] = {
      {FDecSt(2, 0.5), ".50"},
      {FDecSt0(2, 0.5), "0.50"},
      {FDecSt(2, -0.001), ".00"},
      {FDecSt(2, -0.5), "-0.50"},
      {FDecSt(0, -0.5), "0"},  // the half goes to the even 0, without a sign
      {FDecSt0(0, -2.5), "-2"},
      {FDecSt(-3, 12345), "12000"},
      {FDecSt(-2, -12345), "-12300"},
      {FDecSt(-3, 0), "0"},
      {FDecSt(1, 123.456), "123.5"},
      {FDecSt(0, 0.4), "0"},
      {FDecSt(2, 2e19), " 2.0+19"},
      {FSt(8, 3, -1.23456), "  -1.235"},
      {FSt(2, 3, 123.4567), "123.457"},  // never cut
      {FSt(0, 0, 2.5), "2"},             // exact halves go to even
      {FSt(5, 2, -0.0), " 0.00"},
      {FSt(5, 1, 1e36), " 1.0E+0036"},
      {FSt2(6, 1, 3.25), "   3.2"},
      {ReSt(12345), " 1.23450000000000E+0004"},
      {ReSt(-0.5), "-5.00000000000000E-0001"},
      {ReSt(0), " 0.00000000000000E+0000"},
      {EWSt(12, 1.5), " 1.500E+0000"},
      {EWSt(3, -1.5), "-1.5E+0000"},
      {EWSt(30, 1.0), "     1.00000000000000000E+0000"},
      {ManExpSt(4, 1e-3, 0.000123), "1.230e-04"},
      {DecadeSt(-6, false, 1234567), "1e+06"},
      {DecadeSt(7, false, 0.0001234), "1.234e-04"},
      {DecadeSt(2, true, 0.5), "0.50"},
      {DecadeSt(2, false, 0.5), ".50"},
      {RoundStr(2.5), "2"},
      {RoundStr(-3.7), "-4"},
      {RoundStr(1e30), "9223372036854775807"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST_F(CvStrNumbers, IntegerHexAndBinaryTexts) {
  const uint8_t bytes[] = {0x34, 0x12};
  const uint32_t place = 0x00100020;
  struct Case {
    std::string got, want;
  } cases[] = {
      {IntStr(std::numeric_limits<int32_t>::min()), "-2147483648"},
      {I64Str(-9000000000LL), "-9000000000"},
      {ZeroPad(-7, 3), "007"},
      {ZeroPad(12345, 3), "345"},
      {I64PadSt(4, -12), " -12"},
      {I64PadSt(3, -123), "123"},
      {I64PadSt(2, 12345), "45"},
      {I64PadSt(5, 42), "   42"},
      {HalfStr(0), " 0  "},
      {HalfStr(1), " 1/2"},
      {HalfStr(4), " 2  "},
      {HalfStr(21), "21/2"},
      {ByteHex(0xAB), "AB"},
      {WordHex(0xBEEF), "BEEF"},
      {IntHex8(255), "000000FF"},
      {IntHex(0), "0"},
      {IntHex(255), "FF"},
      {IntHex(0x80000000u), "80000000"},
      {BufToHex2(bytes, 3), "234"},
      {BufToHex2(bytes, 4), "1234"},
      {BufToHex2(bytes, 1), "4"},
      {PtrSegOfs(0x1234ABCD), "$1234:ABCD"},
      {VarSegOfs(&place), "$0010:0020"},
      {BitsToList(5), "0 2"},
      {BitsToList(0), ""},
      {BitsToList(0x80000001u), "0 31"},
      {ByteBin(0xA5), "10100101"},
      {IntBin(1), "00000000 00000000 00000000 00000001"},
      {IntBin(0x80FF0102u), "10000000 11111111 00000001 00000010"},
      {HexByte(0x0F), "0F"},
      {HexWord(0x0A0B), "0A0B"},
      {HexInt8(0xDEADBEEF), "DEADBEEF"},
      {BoolStr(true) + BoolStr(false), "truefalse"},
      {std::string{BoolChar(true), BoolChar(false)}, "10"},
      {IfElseStr(false, "a", "b"), "b"},
      {Choose3Str(1, "a", "b", "c") + Choose3Str(2, "a", "b", "c"), "bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST_F(CvStrNumbers, FormatterMisuseIsWarnedNotRefused) {
  EXPECT_EQ(ESt(4, std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(ESt(4, std::nan("")), "");
  EXPECT_FALSE(ESt(0, 5.0).empty());
  EXPECT_EQ(EFSt(1, 12345.0), "12345");
  const auto& shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 4u);
  for (const auto& b : shown) EXPECT_EQ(b.caption, "cvStr Предупреждение или напоминание"_cp);
  const std::string over = "переполнение порядка при использовании формата ESt R="_cp;
  EXPECT_EQ(shown[0].text.substr(0, over.size()), over);
  EXPECT_EQ(shown[1].text.substr(0, over.size()), over);
  EXPECT_EQ(shown[2].text, "Подозрительный вызов ESt - требуется 0 значащих цифр!"_cp +
                               "\r\nR= 5.00000000000000E+0000");
  EXPECT_EQ(shown[3].text, "Подозрительный вызов EFSt - требуется 1 значащих цифр!"_cp +
                               "\r\nR= 1.23450000000000E+0004");
}

}  // namespace
