#include "engine/numerics/thread_split.hpp"

#include <algorithm>
#include <system_error>
#include <thread>

namespace terva {

int HelperThreads(const SpareCores* spare, int order) {
  constexpr int kSplitOrder = 192;  // below it a thread's start costs more than it saves
  constexpr int kMostHelpers = 15;
  if (!spare || order < kSplitOrder) return 0;
  const int idle = spare->idle.load(std::memory_order_relaxed);
  const int busy = std::max(1, spare->busy.load(std::memory_order_relaxed));
  return std::clamp(idle / busy, 0, kMostHelpers);
}

void SplitColumnBlocks(int helpers, const std::function<void(int first, int stride, std::vector<float>& pack)>& blocks,
                       std::vector<float>& ownPack) {
  if (helpers <= 0) return blocks(0, 1, ownPack);
  const int stride = helpers + 1;
  std::vector<std::vector<float>> packs(static_cast<size_t>(helpers));
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(helpers));
  try {
    for (int h = 1; h <= helpers; ++h)
      pool.emplace_back(std::cref(blocks), h, stride, std::ref(packs[static_cast<size_t>(h - 1)]));
  } catch (const std::system_error&) {
    // the blocks of threads that could not start are done here
  }
  try {
    blocks(0, stride, ownPack);
    for (int h = static_cast<int>(pool.size()) + 1; h <= helpers; ++h)
      blocks(h, stride, packs[static_cast<size_t>(h - 1)]);
  } catch (...) {
    for (std::thread& t : pool) t.join();
    throw;
  }
  for (std::thread& t : pool) t.join();
}

}  // namespace terva
