// The loop over the slit pixels of one slit file that the slit measurements share: inside a job
// it runs on Threads threads (0 one per core, 1 the calling thread) of the kept helper pool, with
// every slit pixel's warnings handed to the job afterwards in slit-pixel order, so the job sees
// what the serial run shows; outside a job Body runs serially. Body (y), y = 1..nY, writes only
// slot y of its columns.
#pragma once
#include <cstdint>
#include <functional>

void ForSlitPixels(int32_t nY, int32_t Threads, const std::function<void(int32_t)>& Body);
