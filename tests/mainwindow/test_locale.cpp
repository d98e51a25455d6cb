// The program started under a decimal-comma locale in the environment: Qt takes the locale for
// its own use, the program keeps numbers in "C" for the C library and for Qt's number texts.
#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "mainwindow/Corvesta.h"
#include "mainwindow/support/ProgramEnv.h"
#include "support/DecimalComma.h"

namespace {

class LocaleProgram : public mwtest::ProgramTest {
 protected:
  // before the application object of this test program is made
  static void SetUpTestSuite() {
    Locale() = testsupport::DecimalCommaLocale();
    if (!Locale().empty()) setenv("LC_ALL", Locale().c_str(), 1);
  }
  static std::string& Locale() {
    static std::string loc;
    return loc;
  }
};

TEST_F(LocaleProgram, StartedUnderADecimalCommaLocaleNumbersKeepThePoint) {
  if (Locale().empty()) GTEST_SKIP() << testsupport::kNoDecimalComma;
  EXPECT_EQ(std::setlocale(LC_TIME, nullptr), Locale());  // the environment's, taken by Qt
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", 3.14159);
  EXPECT_STREQ(buf, "3.14");
  EXPECT_DOUBLE_EQ(std::strtod("2.5", nullptr), 2.5);
  EXPECT_EQ(QLocale().toString(3.14159, 'f', 2), "3.14");
  EXPECT_EQ(QLocale().toDouble("2.5"), 2.5);
  ASSERT_NE(Corvesta, nullptr);
}

}  // namespace
