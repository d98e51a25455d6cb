// libFuzzer target of the level-1 reader (built with clang: -fsanitize=fuzzer,address).
//   fuzz_fits_reader CORPUS_DIR
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "foundation/cvSayer.h"
#include "scans/support/FuzzOne.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string folder =
      (std::filesystem::temp_directory_path() /
       ("cvfuzz-" + std::to_string(::getpid())) / "2019_06" / "20190622_164505")
          .string();
  scantest::ReadOneInput(folder, Data, Size);
  return 0;
}
