// A locale that writes numbers with a decimal comma, for the tests that show number text does
// not depend on the user's locale: an installed one, or de_DE compiled once per test program
// into a temporary folder named by LOCPATH (so child processes find it too).
#pragma once
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/TestSupport.h"

namespace testsupport {

namespace detail {
inline bool WritesComma(const char* Name) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  bool comma = false;
  if (std::setlocale(LC_NUMERIC, Name)) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 2.5);
    comma = std::string(buf) == "2,5";
  }
  std::setlocale(LC_NUMERIC, before.c_str());
  return comma;
}
}  // namespace detail

// The locale's name ("de_DE.UTF-8", ...), or empty when none is installed and localedef cannot
// make one (the caller skips with a message).
inline std::string DecimalCommaLocale() {
  static TempDir* dir = nullptr;
  static const std::string name = [] {
    for (const char* n : {"de_DE.UTF-8", "de_DE.utf8", "ru_RU.UTF-8", "ru_RU.utf8", "fr_FR.UTF-8"})
      if (detail::WritesComma(n)) return std::string(n);
    dir = new TempDir();  // removed at exit with the test program's statics
    static struct TRemove {
      ~TRemove() { delete dir; }
    } remove;
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir->file("de_DE.UTF-8") +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    setenv("LOCPATH", dir->str().c_str(), 1);
    return detail::WritesComma("de_DE.UTF-8") ? std::string("de_DE.UTF-8") : std::string();
  }();
  return name;
}

inline const char* kNoDecimalComma =
    "no decimal-comma locale: none installed (locale -a) and localedef could not compile de_DE";

}  // namespace testsupport
