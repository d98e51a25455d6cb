// The platform's clocks: a monotonic 32-bit millisecond counter (wraps after about 49.7 days,
// counts from the system start) and the processor's time-stamp counter.
#pragma once
#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds of the monotonic counter, modulo 2^32.
uint32_t MsCounter();
// The processor's 64-bit time-stamp counter (a nanosecond count where the processor has none).
uint64_t CpuTimeStamp();

// Tests may replace the millisecond counter; an empty function restores the system one.
// Returns the previous replacement.
using MsCounterSource = std::function<uint32_t()>;
MsCounterSource SetMsCounterSource(MsCounterSource source);

}  // namespace platform
