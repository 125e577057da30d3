#include "engine/numerics/simd_dispatch.hpp"

#include <algorithm>
#include <atomic>

namespace terva::simd {
namespace {

std::atomic<int>& LanesInUse() {
  static std::atomic<int> lanes{ProcessorLanes()};
  return lanes;
}

}  // namespace

int ProcessorLanes() {
#ifdef TERVA_WIDE_KERNEL
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return 16;
  return __builtin_cpu_supports("avx2") ? 8 : 4;
#else
  return 4;
#endif
}

int KernelLanes() { return LanesInUse().load(std::memory_order_relaxed); }

int UseKernelLanes(int most) {
  const int available = ProcessorLanes();
  LanesInUse().store(most >= 16 ? available : most >= 8 ? std::min(8, available) : 4, std::memory_order_relaxed);
  return KernelLanes();
}

int TileRows(int lanes) {
#ifdef TERVA_WIDE_KERNEL
  if (lanes == 16) return avx512::kTileRows;
  if (lanes == 8) return avx2::kTileRows;
#endif
  (void)lanes;
  return portable::kTileRows;
}

bool PanelSymmetric(int lanes, const SplitMatrix& a, int k0, int kb) {
#ifdef TERVA_WIDE_KERNEL
  if (lanes == 16) return avx512::PanelSymmetric(a, k0, kb);
  if (lanes == 8) return avx2::PanelSymmetric(a, k0, kb);
#endif
  (void)lanes;
  return portable::PanelSymmetric(a, k0, kb);
}

void ForwardUnitLower(int lanes, const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi,
                      int count, size_t stride) {
#ifdef TERVA_WIDE_KERNEL
  if (lanes == 16) return avx512::ForwardUnitLower(re, im, ld, k0, k1, br, bi, count, stride);
  if (lanes == 8) return avx2::ForwardUnitLower(re, im, ld, k0, k1, br, bi, count, stride);
#endif
  (void)lanes;
  portable::ForwardUnitLower(re, im, ld, k0, k1, br, bi, count, stride);
}

void TrailingColumns(int lanes, const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU) {
#ifdef TERVA_WIDE_KERNEL
  if (lanes == 16) return avx512::TrailingColumns(u, firstBlock, stride, packU);
  if (lanes == 8) return avx2::TrailingColumns(u, firstBlock, stride, packU);
#endif
  (void)lanes;
  portable::TrailingColumns(u, firstBlock, stride, packU);
}

}  // namespace terva::simd
