// The group solver's kernels on 16-float vectors, each function built for
// AVX-512F by its target attribute; the rest of the program stays on the
// baseline instruction set, and these run only where the processor has
// AVX-512F. The engine's -ffp-contract=off keeps the multiply-adds that
// AVX-512F offers out of them.
#include "engine/numerics/simd_kernels.hpp"
#include "engine/numerics/simd_loops.hpp"

#ifdef TERVA_WIDE_KERNEL
namespace terva::simd::avx512 {

static_assert(sizeof(Lane16) / sizeof(float) == kTileRows, "one vector of rows per tile");

__attribute__((target("avx512f"))) bool PanelSymmetric(const SplitMatrix& a, int k0, int kb) {
  return PanelSymmetricByColumns<Lane16>(a, k0, kb);
}

__attribute__((target("avx512f"))) void ForwardUnitLower(const float* re, const float* im, size_t ld, int k0, int k1,
                                                         float* br, float* bi, int count, size_t stride) {
  ForwardUnitLowerLoops(re, im, ld, k0, k1, br, bi, count, stride);
}

__attribute__((target("avx512f"))) void TrailingColumns(const TrailingUpdate& u, int firstBlock, int stride,
                                                        std::vector<float>& packU) {
  WideTrailingLoops<Lane16, 6>(u, firstBlock, stride, packU);
}

}  // namespace terva::simd::avx512
#endif
