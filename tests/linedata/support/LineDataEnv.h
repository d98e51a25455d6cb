// A small application root for the line-data tests: SYS/dirs.txt with the GEDA rows, the
// application object pointing at it, a fresh message sink recording every warning, recording
// line-data hooks, and a fresh element table and data module.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

struct TRecordedList {
  std::string Title;
  std::vector<std::string> Lines;
};

class LineDataEnv : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Path below the root.
  std::string Root(const std::string& Rel = "") const;
  // Writes a file below the root (folders made), UTF-8 text as given.
  void Put(const std::string& Rel, const std::string& Text) const;
  // Copies a file of the bundled data/ folder below the root.
  void CopyBundled(const std::string& Rel) const;
  // The texts of the warnings seen since the last call (or since SetUp).
  std::vector<std::string> TakeWarnings();
  bool WarnedWith(const std::string& Text) const;

  testsupport::TempDir dir;
  std::vector<std::string> warnings;
  std::vector<std::string> progress;
  std::vector<TRecordedList> shown;
  struct TOpened {
    std::string File;
    int32_t Line = 0;
    int32_t Pos = 0;
  };
  std::vector<TOpened> opened;
};

// "sqlite3 FILE .dump" (the command-line shell), as text.
std::string SqliteDump(const std::string& File);
// The source tree's root (CORVESTA_SOURCE_ROOT, else found from this file's place).
std::string SourceRoot();
