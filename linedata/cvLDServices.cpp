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

TLLIDA* LLIDA = nullptr;
TLIDA* LILast = nullptr;

std::recursive_mutex& LineLoadLock() {
  static std::recursive_mutex m;
  return m;
}

TDM* TLineDataServices::Data() const { return DM; }
TLLIDA* TLineDataServices::Lines() const { return LLIDA; }
TLIDA* TLineDataServices::LastLine() const { return LILast; }
TMEND* TLineDataServices::Elements() const { return MEND; }

TLineDataServices& LineData() { return *Current(); }

void ResetLineDataServices() { Current() = std::make_unique<TLineDataServices>(); }
