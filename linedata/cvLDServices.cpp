#include "linedata/cvLDServices.h"

#include <atomic>
#include <memory>
#include <thread>

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

namespace {
std::atomic<TDM*> g_jobData{nullptr};
std::thread::id g_dataThread;
}  // namespace

TDM* TLineDataServices::Data() const {
  if (TDM* j = g_jobData.load(); j && std::this_thread::get_id() != g_dataThread) return j;
  return DM;
}

TJobDataScope::TJobDataScope(TDM* JobData, std::thread::id DMThread) {
  g_dataThread = DMThread;
  previous_ = g_jobData.exchange(JobData);
}

TJobDataScope::~TJobDataScope() { g_jobData.store(previous_); }
TLLIDA* TLineDataServices::Lines() const { return LLIDA; }
TLIDA* TLineDataServices::LastLine() const { return LILast; }
TMEND* TLineDataServices::Elements() const { return MEND; }

TLineDataServices& LineData() { return *Current(); }

void ResetLineDataServices() { Current() = std::make_unique<TLineDataServices>(); }
