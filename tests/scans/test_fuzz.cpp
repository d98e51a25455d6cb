// The reader on damaged files (the fuzz target's input reader on seeded mutations of a valid
// file): flipped bytes, cut files, altered sizes. Nothing crashes; messages only.
#include <gtest/gtest.h>

#include <random>

#include "scans/support/FuzzOne.h"
#include "scans/support/ScanFiles.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace {

TEST(ScanFuzz, DamagedFilesGiveMessagesNotCrashes) {
  testsupport::TempDir dir;
  testsupport::SinkRecorder rec;
  scantest::TFile f;
  f.Cards = scantest::Level1Cards(3, 2, -0.021549);
  f.Words = scantest::PlainWords(3);
  const std::string good = scantest::Bytes(f);
  const std::string folder = dir.str() + "/2019_06/20190622_164505";
  std::mt19937 rng(12345);
  const char* digits = "0123456789-+. E'=";
  for (int round = 0; round < 150; ++round) {
    std::string b = good;
    const int kind = round % 3;
    if (kind == 0) {  // bytes of the header changed
      for (int k = 0; k < 8; ++k)
        b[rng() % 3200] = digits[rng() % 17];
    } else if (kind == 1) {  // cut anywhere
      b.resize(rng() % b.size());
    } else {  // a size key with another value
      const char* keys[] = {"NAXIS1  ", "NAXIS2  ", "NAXIS3  ", "NAXIS   ", "BITPIX  "};
      const size_t at = b.find(keys[rng() % 5]);
      const std::string v = std::to_string(static_cast<int>(rng() % 40000) - 20000);
      b.replace(at + 30 - v.size(), v.size(), v);
    }
    scantest::ReadOneInput(folder, reinterpret_cast<const uint8_t*>(b.data()), b.size());
  }
  SUCCEED();
}

}  // namespace
