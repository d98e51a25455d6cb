// A fresh model layer for one test: new services (the root a temporary folder), a variator
// context of its own made the thread's, and the sink recording its warnings.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "foundation/cvSayer.h"
#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "support/SinkRecorder.h"
#include "support/TestSupport.h"

namespace testsupport {

class ModelsEnv {
 public:
  ModelsEnv() : sink(SinkRecorder::kStripWarnPrefix), scope(ctx) {
    ResetModelServices();
    const std::string root = dir.str() + "/";
    Models().Root.Install([root] { return root; });
  }
  ~ModelsEnv() { ResetModelServices(); }

  // Writes a file below the temporary root and returns its path.
  std::string Write(const std::string& Name, const std::string& Text) {
    std::filesystem::create_directories(std::filesystem::path(dir.file(Name)).parent_path());
    WriteFile(dir.file(Name), Text);
    return dir.file(Name);
  }

  // The message of a fatal stop of F ("" when none).
  template <class F>
  static std::string FatalText(F&& Fn) {
    try {
      Fn();
    } catch (const EInOutError& e) {
      return e.what();
    }
    return std::string();
  }

  TempDir dir;
  SinkRecorder sink;
  TOwnVariContext ctx;
  TVariScope scope;
};

}  // namespace testsupport
