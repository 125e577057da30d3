// The group solver's kernels, one set per vector width: 4 floats (portable,
// simd_kernels_4.cpp), 8 floats (AVX2, simd_kernels_avx2.cpp) and 16 floats
// (AVX-512, simd_kernels_avx512.cpp). The wide sets exist only in x86 builds
// with GCC or Clang (TERVA_WIDE_KERNEL); simd_dispatch.hpp chooses among them.
//
// Every set forms every entry by the same operations in the same order, so
// that the factors agree bit for bit whichever set ran.
#pragma once

#include <cstddef>
#include <vector>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TERVA_WIDE_KERNEL 1
#endif

namespace terva::simd {

// Most columns of one panel (the panel kernels' row buffers).
constexpr int kMostPanel = 64;

// A square matrix in split storage: n rows, the real parts of column j at
// re + j·ld, its imaginary parts at im + j·ld.
struct SplitMatrix {
  float* re;
  float* im;
  size_t ld;
  int n;
  float* Re(int j) const { return re + static_cast<size_t>(j) * ld; }
  float* Im(int j) const { return im + static_cast<size_t>(j) * ld; }
};

// One trailing update C ← C − L21·U12 after the panel of columns k0 … k0 + kb − 1:
// U12 = D·L21ᵀ (symmetric: only the lower triangle of C is updated) or the
// matrix rows of the panel (pivoted). L21 comes packed by row tiles of
// TileRows(lanes) rows, tileSize floats apart: per inner index the tile's real
// parts, then its imaginary parts (zero past the last row).
struct TrailingUpdate {
  SplitMatrix a;
  int k0, kb;
  bool symmetric;
  const float* packL;
  size_t tileSize;
};

// Each set has the same three kernels:
//
// PanelSymmetric: one panel of L·D·Lᵀ, columns k0 … k0 + kb − 1 (kb ≤
//   kMostPanel), lower triangle only; each column below its pivot is scaled
//   by the pivot's reciprocal. False when a pivot is zero or not finite.
// ForwardUnitLower: b(k0..k1−1) ← L⁻¹·b over the unit lower triangle of
//   columns k0..k1−1, for `count` right-hand sides `stride` floats apart.
// TrailingColumns: the column blocks firstBlock, firstBlock + stride, … of a
//   trailing update (the thread split deals them out); packU is the calling
//   thread's scratch.
namespace portable {
constexpr int kTileRows = 8;  // two 4-float vectors of rows per register tile
bool PanelSymmetric(const SplitMatrix& a, int k0, int kb);
void ForwardUnitLower(const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi, int count,
                      size_t stride);
void TrailingColumns(const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU);
}  // namespace portable

#ifdef TERVA_WIDE_KERNEL
namespace avx2 {
constexpr int kTileRows = 8;  // one 8-float vector of rows
bool PanelSymmetric(const SplitMatrix& a, int k0, int kb);
void ForwardUnitLower(const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi, int count,
                      size_t stride);
void TrailingColumns(const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU);
}  // namespace avx2

namespace avx512 {
constexpr int kTileRows = 16;  // one 16-float vector of rows
bool PanelSymmetric(const SplitMatrix& a, int k0, int kb);
void ForwardUnitLower(const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi, int count,
                      size_t stride);
void TrailingColumns(const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU);
}  // namespace avx512
#endif

}  // namespace terva::simd
