#include "linedata/cvLDServices.h"

#include <memory>

#include "linedata/cvDM.h"
#include "linedata/cvMend.h"

namespace {
std::unique_ptr<TLineDataServices>& Current() {
  static std::unique_ptr<TLineDataServices> s = std::make_unique<TLineDataServices>();
  return s;
}
}  // namespace

TDM* TLineDataServices::Data() const { return DM; }
TMEND* TLineDataServices::Elements() const { return MEND; }

TLineDataServices& LineData() { return *Current(); }

void ResetLineDataServices() { Current() = std::make_unique<TLineDataServices>(); }
