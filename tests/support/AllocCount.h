// Every test program counts its heap allocations (tests/support/AllocCount.cpp replaces the global
// operator new): a test compares the count before and after a call to see whether it allocates.
// Test files must not replace operator new or delete themselves.
#pragma once
#include <atomic>

namespace testsupport {
extern std::atomic<long> gAllocations;
}  // namespace testsupport
