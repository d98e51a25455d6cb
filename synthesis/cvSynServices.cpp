#include "synthesis/cvSynServices.h"

#include <memory>

namespace {
std::unique_ptr<TSynthesisServices>& Current() {
  static std::unique_ptr<TSynthesisServices> s = std::make_unique<TSynthesisServices>();
  return s;
}
}  // namespace

TSynthesisServices& Synthesis() { return *Current(); }

void ResetSynthesisServices() { Current() = std::make_unique<TSynthesisServices>(); }
