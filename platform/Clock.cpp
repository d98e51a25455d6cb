#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace platform {

namespace {
MsCounterSource& Source() {
  static MsCounterSource s;
  return s;
}
}  // namespace

uint32_t MsCounter() {
  if (Source()) return Source()();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

uint64_t CpuTimeStamp() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
#endif
}

MsCounterSource SetMsCounterSource(MsCounterSource source) {
  MsCounterSource old = std::move(Source());
  Source() = std::move(source);
  return old;
}

}  // namespace platform
