// The run's progress as another thread sees it: frequencies finished so far
// and in total. Process-wide, like the rest of the engine's data; both are 0
// while no frequency loop is running.
#pragma once

#include <atomic>

namespace terva {

struct RunProgress {
  std::atomic<int> done{0};
  std::atomic<int> total{0};
};

RunProgress& Progress();

// Publishes the frequency loop's total for the life of the object and sets
// both counts back to 0 when it ends, whichever way the loop is left.
class ProgressScope {
 public:
  explicit ProgressScope(int total);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  // One more frequency finished (safe from several threads at once).
  static void FrequencyDone();
};

}  // namespace terva
