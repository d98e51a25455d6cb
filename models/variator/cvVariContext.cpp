#include "models/variator/cvVariContext.h"

#include "models/cvModServices.h"
#include "models/variator/cvLVari.h"
#include "models/variator/cvVari.h"

namespace {
thread_local TVariContext* t_current = nullptr;
TVariContext g_program;
}  // namespace

TOwnVariContext::TOwnVariContext()
    : list_(std::make_unique<TLVARI>()), whm_(std::make_unique<TVARIATOR>()) {
  list_->SetCallback(SpreadFunc);
  LVARI = list_.get();
  VARIWHM = whm_.get();
}

TOwnVariContext::~TOwnVariContext() = default;

TVariContext& VariCtx() {
  if (t_current) return *t_current;
  g_program.LVARI = ::LVARI;
  g_program.VARIWHM = ::VARIWHM;
  return g_program;
}

TVariScope::TVariScope(TVariContext& Ctx) : previous_(t_current) { t_current = &Ctx; }

TVariScope::~TVariScope() { t_current = previous_; }
