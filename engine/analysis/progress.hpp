// A run's progress: frequencies finished so far and in total, told to the
// callback the caller of the run gave (terva_run's, or ITERVA's, which
// publishes them to the process-wide counters that ITERVA_PROGRESS reads).
#pragma once

#include <mutex>

#include "engine/analysis/iterva.h"

namespace terva {

// One run's progress. The callback (none: nothing is told) hears (0, total)
// when the frequency loop starts, (done, total) each time one more frequency
// is finished, and (0, 0) when the loop ends, whichever way; the calls come
// from the run's threads one at a time, done never going back.
class RunProgress {
 public:
  explicit RunProgress(terva_progress_fn callback = nullptr, void* user = nullptr)
      : callback_(callback), user_(user) {}
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  void Begin(int total);
  // One more frequency finished (safe from several threads at once).
  void FrequencyDone();
  void End();

 private:
  void Tell(int done, int total);

  std::mutex mutex_;
  terva_progress_fn callback_;
  void* user_;
  int done_ = 0;
  int total_ = 0;
};

// Begins the frequency loop's progress for the life of the object and ends
// it when the object goes, whichever way the loop is left.
class ProgressScope {
 public:
  ProgressScope(RunProgress& progress, int total) : progress_(progress) { progress_.Begin(total); }
  ~ProgressScope() { progress_.End(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  RunProgress& progress_;
};

// The callback of ITERVA's runs: stores the counts where ITERVA_PROGRESS
// reads them (the one process-wide record of the engine).
void PublishProgress(int done, int total, void* user);

}  // namespace terva
