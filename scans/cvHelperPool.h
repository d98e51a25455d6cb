// Helper threads made on first use and kept: work that runs often on a few threads neither starts
// threads nor frees their stacks each time. One run at a time uses a pool.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class THelperPool {
 public:
  // Work on the calling thread and on Helpers helpers; returns when all have ended. False (and
  // nothing run) when another run uses the helpers.
  bool TryRun(int32_t Helpers, const std::function<void()>& Work) {
    std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
    if (!busy) return false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      while (static_cast<int32_t>(threads_.size()) < Helpers)
        threads_.emplace_back([this] { Loop(); });
      work_ = &Work;
      wanted_ = Helpers;
      taken_ = done_ = 0;
      ++round_;
    }
    wake_.notify_all();
    // the helpers hold Work until they end: wait for them even when it throws here
    std::exception_ptr error;
    try {
      Work();
    } catch (...) {
      error = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [&] { return done_ == wanted_; });
    work_ = nullptr;
    if (error) std::rethrow_exception(error);
    return true;
  }
  ~THelperPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  void Loop() {
    int64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || (round_ != seen && taken_ < wanted_); });
      if (stop_) return;
      seen = round_;
      ++taken_;
      const std::function<void()>* work = work_;
      lock.unlock();
      (*work)();
      lock.lock();
      if (++done_ == wanted_) ended_.notify_all();
    }
  }
  std::mutex busy_, mutex_;
  std::condition_variable wake_, ended_;
  std::vector<std::thread> threads_;
  const std::function<void()>* work_ = nullptr;
  int32_t wanted_ = 0, taken_ = 0, done_ = 0;
  int64_t round_ = 0;
  bool stop_ = false;
};
