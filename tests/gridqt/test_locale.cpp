// The number edit under a decimal-comma locale in the environment: the Qt application takes the
// locale from it, the program keeps numbers in "C", so 3.14159 shows as 3.14 and reads back
// 3.14 however often it is formatted again.
#include <gtest/gtest.h>

#include <QTest>
#include <clocale>
#include <cstdlib>

#include "grid/qt/cvGxEdits.h"
#include "support/DecimalComma.h"
#include "support/QtTestApp.h"

namespace {

// The application made with the locale in the environment (first use in this program).
std::string AppUnderDecimalComma() {
  const std::string loc = testsupport::DecimalCommaLocale();
  if (loc.empty()) return loc;
  setenv("LC_ALL", loc.c_str(), 1);
  testsupport::QtTestApp();
  return loc;
}

TEST(GridLocale, NumberEditKeepsThePointUnderADecimalCommaLocale) {
  const std::string loc = AppUnderDecimalComma();
  if (loc.empty()) GTEST_SKIP() << testsupport::kNoDecimalComma;
  // Qt took the environment's locale; numbers alone are "C"
  EXPECT_EQ(std::setlocale(LC_TIME, nullptr), loc);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  TGxSpinEdit e;
  e.SetPrecision(2);
  e.SetAsFloat(3.14159);
  EXPECT_EQ(e.text(), "3.14");
  for (int i = 0; i < 3; ++i) e.Reformat();
  EXPECT_EQ(e.text(), "3.14");
  EXPECT_DOUBLE_EQ(e.Value(), 3.14);
  // typed: the point is taken, a comma is not a number character
  e.setText("");
  e.show();
  QTest::keyClicks(&e, "2,5");
  EXPECT_EQ(e.text(), "25");
  e.setText("");
  QTest::keyClicks(&e, "-12.75");
  e.Reformat();
  EXPECT_EQ(e.text(), "-12.75");
  EXPECT_DOUBLE_EQ(e.Value(), -12.75);
}

}  // namespace
