#include "tests/support/AllocCount.h"

#include <cstdlib>
#include <new>

std::atomic<long> testsupport::gAllocations{0};

// The replaced operators pair malloc with free, which the compiler cannot see through.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  ++testsupport::gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
