#include "engine/analysis/progress.hpp"

#include <atomic>

namespace terva {
namespace {

// What ITERVA_PROGRESS reads: both 0 while no ITERVA run is in its frequency loop.
std::atomic<int> publishedDone{0};
std::atomic<int> publishedTotal{0};

}  // namespace

void RunProgress::Tell(int done, int total) {
  if (callback_) callback_(done, total, user_);
}

void RunProgress::Begin(int total) {
  const std::lock_guard lock(mutex_);
  done_ = 0;
  total_ = total > 0 ? total : 0;
  Tell(done_, total_);
}

void RunProgress::FrequencyDone() {
  const std::lock_guard lock(mutex_);
  if (done_ < total_) ++done_;
  Tell(done_, total_);
}

void RunProgress::End() {
  const std::lock_guard lock(mutex_);
  done_ = 0;
  total_ = 0;
  Tell(0, 0);
}

void PublishProgress(int done, int total, void*) {
  if (total == 0) {  // the loop ended: the total first, so that done never exceeds it
    publishedTotal.store(0, std::memory_order_relaxed);
    publishedDone.store(0, std::memory_order_relaxed);
  } else {
    publishedDone.store(done, std::memory_order_relaxed);
    publishedTotal.store(total, std::memory_order_relaxed);
  }
}

}  // namespace terva

extern "C" void ITERVA_PROGRESS(int* done, int* total) {
  // Two separate loads: done is clamped so that a reader never sees more
  // finished than in total while a run begins or ends.
  const int t = terva::publishedTotal.load(std::memory_order_relaxed);
  int d = terva::publishedDone.load(std::memory_order_relaxed);
  if (d > t) d = t;
  if (done) *done = d;
  if (total) *total = t;
}

extern "C" void _ITERVA_PROGRESS(int* done, int* total) { ITERVA_PROGRESS(done, total); }
