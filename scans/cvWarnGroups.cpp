#include "scans/cvWarnGroups.h"

#include <cctype>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"

std::string TWarnGroups::Kind(const std::string& Text) {
  std::string k;
  k.reserve(Text.size());
  auto digit = [&](size_t i) {
    return i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i]));
  };
  for (size_t i = 0; i < Text.size();) {
    const char c = Text[i];
    const bool start = digit(i) || ((c == '-' || c == '+' || c == '.') && digit(i + 1));
    if (!start) {
      k += c;
      ++i;
      continue;
    }
    ++i;
    while (i < Text.size()) {
      const char d = Text[i];
      if (digit(i) || d == '.') {
        ++i;
      } else if ((d == 'e' || d == 'E') && digit(i + 1)) {
        i += 1;
      } else if ((d == 'e' || d == 'E') && i + 1 < Text.size() &&
                 (Text[i + 1] == '-' || Text[i + 1] == '+') && digit(i + 2)) {
        i += 2;
      } else {
        break;
      }
    }
    k += '#';
  }
  return k;
}

void TWarnGroups::Add(const std::string& Text, int32_t Times) {
  const std::string key = Kind(Text);
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    order_.push_back(key);
    entries_[key] = TEntry{Text, Times};
  } else {
    it->second.Count += Times;
  }
  total_ += Times;
}

void TWarnGroups::Flush() {
  for (const std::string& k : order_) {
    const TEntry& e = entries_[k];
    WARNAbs(e.Count > 1 ? e.Text + "\r\n(раз: "_cp + I64Str(e.Count) + ")" : e.Text);
  }
  order_.clear();
  entries_.clear();
  total_ = 0;
}

TWarnGroups::TScope::TScope(TWarnGroups* Groups) : groups_(Groups) {
  if (!groups_) return;
  job_ = std::make_unique<TJob>("warnings");
  scope_ = std::make_unique<TJobScope>(*job_);
}

TWarnGroups::TScope::~TScope() {
  if (!groups_) return;
  scope_.reset();
  for (const TJob::TWarning& w : job_->TakeWarnings()) groups_->Add(w.Text, w.Count);
}
