// Resets the message sink and records every text it hands to its hook; resets it again when done.
#pragma once
#include <string>
#include <vector>

#include "foundation/cvSayer.h"

namespace testsupport {

class SinkRecorder {
 public:
  enum Options { kPlain = 0, kWarnOn = 1, kStripWarnPrefix = 2 };

  explicit SinkRecorder(int options = kPlain) {
    ResetSayerForTests();
    const bool strip = options & kStripWarnPrefix;
    // Without boxes or a log the sink hands the hook "WARN:" + the text of a warning.
    Sayer->SetHook([this, strip](const std::string& t, const std::string&) {
      texts.push_back(strip && t.rfind("WARN:", 0) == 0 ? t.substr(5) : t);
    });
    if (options & kWarnOn) Sayer->WarnOn();
  }
  ~SinkRecorder() { ResetSayerForTests(); }
  SinkRecorder(const SinkRecorder&) = delete;
  SinkRecorder& operator=(const SinkRecorder&) = delete;

  bool Has(const std::string& part) const {
    for (const auto& t : texts)
      if (t.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<std::string> texts;
};

}  // namespace testsupport
