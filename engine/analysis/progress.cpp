#include "engine/analysis/progress.hpp"

#include "engine/analysis/iterva.h"

namespace terva {

RunProgress& Progress() {
  static RunProgress progress;
  return progress;
}

ProgressScope::ProgressScope(int total) {
  Progress().done.store(0, std::memory_order_relaxed);
  Progress().total.store(total > 0 ? total : 0, std::memory_order_relaxed);
}

ProgressScope::~ProgressScope() {
  Progress().total.store(0, std::memory_order_relaxed);
  Progress().done.store(0, std::memory_order_relaxed);
}

void ProgressScope::FrequencyDone() { Progress().done.fetch_add(1, std::memory_order_relaxed); }

}  // namespace terva

extern "C" void ITERVA_PROGRESS(int* done, int* total) {
  // Two separate loads: done is clamped so that a reader never sees more
  // finished than in total while a run begins or ends.
  const int t = terva::Progress().total.load(std::memory_order_relaxed);
  int d = terva::Progress().done.load(std::memory_order_relaxed);
  if (d > t) d = t;
  if (done) *done = d;
  if (total) *total = t;
}

extern "C" void _ITERVA_PROGRESS(int* done, int* total) { ITERVA_PROGRESS(done, total); }
