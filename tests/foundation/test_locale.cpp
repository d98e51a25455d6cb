// Number text under a decimal-comma locale in force in the C library (as when a program forgot
// to keep numbers in "C"): the program's formatters and readers and a settings file written and
// read back give the same text as under "C".
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "foundation/cvStr.h"
#include "foundation/cvTunes.h"
#include "support/DecimalComma.h"

namespace {

struct TNumberTexts {
  std::string Texts, File;
  double Read = 0;
};

TNumberTexts Write(const testsupport::TempDir& Dir, const std::string& Name) {
  TNumberTexts r;
  const double x = 3.14159;
  for (const std::string& s : {FSt(8, 3, x), ReSt(x), SigSt(5, x), ESt(4, -x * 1e5),
                               ShortSt(6, x), FDecSt(2, x), EFSt(4, x * 1e-7)})
    r.Texts += s + "|";
  const std::string file = Dir.file(Name);
  {
    TTunes T("Main", file);
    T.Set("Pi", ReSt(x));
    T.Set("Scale", FSt(0, 4, 2.5));
    T.Save();
  }
  TTunes again("Main", file);
  r.Read = ValReal(again.Get("Pi")) + ValReal(again.Get("Scale")) + ValReal("1.5E-3");
  r.File = testsupport::ReadFile(file);
  return r;
}

TEST(NumbersLocale, FormattersReadersAndSettingsIgnoreADecimalCommaLocale) {
  const std::string loc = testsupport::DecimalCommaLocale();
  if (loc.empty()) GTEST_SKIP() << testsupport::kNoDecimalComma;
  testsupport::TempDir dir;
  const TNumberTexts c = Write(dir, "c.ini");
  ASSERT_NE(std::setlocale(LC_ALL, loc.c_str()), nullptr);
  const TNumberTexts comma = Write(dir, "comma.ini");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(comma.Texts, c.Texts);
  EXPECT_EQ(comma.File, c.File);
  EXPECT_NE(c.File.find("Pi= 3.14159000000000E+0000"), std::string::npos) << c.File;
  EXPECT_NE(c.File.find("Scale=2.5000"), std::string::npos) << c.File;
  EXPECT_DOUBLE_EQ(comma.Read, 3.14159 + 2.5 + 1.5e-3);
  EXPECT_DOUBLE_EQ(c.Read, comma.Read);
}

}  // namespace
