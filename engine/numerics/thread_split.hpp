// The split of the group solver's trailing update over cores that the
// caller's own threads leave unused.
#pragma once

#include <atomic>
#include <functional>
#include <vector>

namespace terva {

// Cores that a caller's threads leave unused for now (idle), shared among the
// systems being factored at the same time (busy): a large trailing update is
// spread over idle / busy extra threads.
struct SpareCores {
  std::atomic<int> idle{0};
  std::atomic<int> busy{1};
};

// The extra threads a trailing update of `order` rows and columns takes from
// `spare` (null: none): idle / busy of them, at most 15, and none below order
// 192, where starting a thread costs more than it saves.
int HelperThreads(const SpareCores* spare, int order);

// Column blocks dealt round 1 + helpers threads: blocks(first, helpers + 1,
// pack) runs for first = 0 on the calling thread (with ownPack) and for
// first = 1 … helpers on threads of their own (each with a pack of its own).
// Blocks whose thread cannot be started run on the calling thread; every
// entry is formed as on one thread. An exception from the calling thread's
// blocks is passed on after the other threads have ended.
void SplitColumnBlocks(int helpers, const std::function<void(int first, int stride, std::vector<float>& pack)>& blocks,
                       std::vector<float>& ownPack);

}  // namespace terva
