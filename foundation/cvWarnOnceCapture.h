// WARNOnce on a worker of a parallel run: the calls are kept instead of told, each with the
// number of distinct warnings its job held then, and told later in the run's order on the run's
// thread, so that the first of them in that order is the one shown (as one after the other).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TWarnOnceCall {
  std::string Key, Text;
  int32_t At = 0;  // distinct warnings of the thread's job before the call
};

// Sets the calling thread's list (nullptr: WARNOnce tells again).
void CaptureWarnOnce(std::vector<TWarnOnceCall>* To);
