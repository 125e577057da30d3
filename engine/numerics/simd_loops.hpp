// The loops of the group solver's kernels, written once for every vector
// width. The kernel files (simd_kernels_4.cpp, simd_kernels_avx2.cpp,
// simd_kernels_avx512.cpp) instantiate them for their own vector type inside
// functions built for their instruction set; the solver uses the scalar
// helpers and the 4-float dot product directly.
//
// Every loop forms each entry element by element, a −= l·u − l'·u' in one
// fixed order: no sum is reassociated and no multiply-add is fused (the
// engine is built with -ffp-contract=off), so every width gives the same bits.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "engine/numerics/simd_kernels.hpp"

#define TERVA_LOOPS_INLINE inline __attribute__((always_inline))

namespace terva::simd {

#if defined(__GNUC__)
typedef float Lane4 __attribute__((vector_size(16)));
#else
struct Lane4 {
  float v[4];
  friend Lane4 operator*(Lane4 a, Lane4 b) {
    for (int i = 0; i < 4; ++i) a.v[i] *= b.v[i];
    return a;
  }
  friend Lane4 operator+(Lane4 a, Lane4 b) {
    for (int i = 0; i < 4; ++i) a.v[i] += b.v[i];
    return a;
  }
  friend Lane4 operator-(Lane4 a, Lane4 b) {
    for (int i = 0; i < 4; ++i) a.v[i] -= b.v[i];
    return a;
  }
  Lane4& operator+=(Lane4 b) { return *this = *this + b; }
};
#endif

inline Lane4 LoadLane(const float* p) {
  Lane4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline float LaneSum(Lane4 v) {
  float f[4];
  std::memcpy(f, &v, sizeof f);
  return (f[0] + f[1]) + (f[2] + f[3]);
}

// Σ a(i)·b(i), i < n, over split complex vectors (no conjugation): four
// partial sums, added pairwise, then the remaining terms in order.
inline void SplitDot(const float* ar, const float* ai, const float* br, const float* bi, int n, float& sr, float& si) {
  Lane4 accR{}, accI{};
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const Lane4 xr = LoadLane(ar + i), xi = LoadLane(ai + i), yr = LoadLane(br + i), yi = LoadLane(bi + i);
    accR += xr * yr - xi * yi;
    accI += xr * yi + xi * yr;
  }
  sr = LaneSum(accR);
  si = LaneSum(accI);
  for (; i < n; ++i) {
    sr += ar[i] * br[i] - ai[i] * bi[i];
    si += ar[i] * bi[i] + ai[i] * br[i];
  }
}

// 1/(r + i·m), formed in double so that neither square overflows.
inline void Reciprocal(float r, float m, float& ir, float& im) {
  const double dr = r, dm = m, den = dr * dr + dm * dm;
  ir = static_cast<float>(dr / den);
  im = static_cast<float>(-dm / den);
}

// Whether r + i·m may divide: not zero, and |r| + |m| finite.
inline bool UsablePivot(float r, float m) {
  const float size = std::abs(r) + std::abs(m);
  return size > 0.0f && std::isfinite(size);
}

// One entry of the packed U of a trailing update, for inner index k0 + k and
// column c0 + c (zero past the last of `cols` columns): d_k·L(j, k) for the
// symmetric factorization (D·Lᵀ), the matrix entry itself for the pivoted one.
inline void PackedU(const SplitMatrix& a, int k0, int k, int c0, int c, int cols, bool symmetric, float& ur,
                    float& ui) {
  ur = 0.0f, ui = 0.0f;
  if (c >= cols) return;
  if (symmetric) {
    const int kk = k0 + k, j = c0 + c;
    const float dr = a.Re(kk)[kk], di = a.Im(kk)[kk], lr = a.Re(kk)[j], li = a.Im(kk)[j];
    ur = dr * lr - di * li;
    ui = dr * li + di * lr;
  } else {
    ur = a.Re(c0 + c)[k0 + k];
    ui = a.Im(c0 + c)[k0 + k];
  }
}

// C ← C − L·U over one register tile: rows r0 … r0 + rows − 1 of the `cols`
// columns from c0, each column's R sums held in one accumulator (one vector,
// or an array of vectors); the symmetric update keeps to the lower triangle.
template <int R, typename Acc>
inline void SubtractTile(const SplitMatrix& a, int c0, int cols, int r0, int rows, bool symmetric, const Acc* accR,
                         const Acc* accI) {
  static_assert(sizeof(Acc) == R * sizeof(float), "one accumulator holds a column of the tile");
  for (int c = 0; c < cols; ++c) {
    float* cr = a.Re(c0 + c) + r0;
    float* ci = a.Im(c0 + c) + r0;
    float sr[R], si[R];
    std::memcpy(sr, &accR[c], sizeof sr);
    std::memcpy(si, &accI[c], sizeof si);
    const int from = symmetric ? std::max(0, c0 + c - r0) : 0;
    for (int r = from; r < rows; ++r) cr[r] -= sr[r], ci[r] -= si[r];
  }
}

// b(k0..k1−1) ← L⁻¹·b over the unit lower triangle of columns k0..k1−1, for
// `count` right-hand sides `stride` floats apart (each column of L is read
// once for all of them). Element by element: the compiler vectorises it for
// the instruction set of the function it is inlined into.
TERVA_LOOPS_INLINE void ForwardUnitLowerLoops(const float* re, const float* im, size_t ld, int k0, int k1, float* br,
                                              float* bi, int count, size_t stride) {
  for (int k = k0; k < k1; ++k) {
    const float* lr = re + static_cast<size_t>(k) * ld;
    const float* li = im + static_cast<size_t>(k) * ld;
    for (int c = 0; c < count; ++c) {
      float* xr = br + static_cast<size_t>(c) * stride;
      float* xi = bi + static_cast<size_t>(c) * stride;
      const float yr = xr[k], yi = xi[k];
      if (yr == 0.0f && yi == 0.0f) continue;
      for (int i = k + 1; i < k1; ++i) {
        xr[i] -= lr[i] * yr - li[i] * yi;
        xi[i] -= lr[i] * yi + li[i] * yr;
      }
    }
  }
}

#ifdef TERVA_WIDE_KERNEL
typedef float Lane8 __attribute__((vector_size(32)));
typedef float Lane16 __attribute__((vector_size(64)));

template <typename Lane>
TERVA_LOOPS_INLINE void Splat(float a, Lane& v) {
  for (int i = 0; i < static_cast<int>(sizeof(Lane) / sizeof(float)); ++i) v[i] = a;
}

// The trailing update on wide vectors: tiles of one vector of rows (the
// packed L21) by NC columns, each entry formed as on the 4-float path:
// acc += l·u − l'·u' per inner index.
template <typename Lane, int NC>
TERVA_LOOPS_INLINE void WideTrailingLoops(const TrailingUpdate& u, int firstBlock, int stride,
                                          std::vector<float>& packU) {
  constexpr int kRows = static_cast<int>(sizeof(Lane) / sizeof(float));
  const SplitMatrix a = u.a;
  const int n = a.n, k0 = u.k0, kb = u.kb;
  const bool symmetric = u.symmetric;
  const int j1 = k0 + kb, tiles = (n - j1 + kRows - 1) / kRows;
  packU.resize(static_cast<size_t>(kb) * 2 * NC);
  for (int c0 = j1 + firstBlock * NC; c0 < n; c0 += stride * NC) {
    const int cols = std::min(NC, n - c0);
    float* d = packU.data();
    for (int k = 0; k < kb; ++k)
      for (int c = 0; c < NC; ++c, d += 2) PackedU(a, k0, k, c0, c, cols, symmetric, d[0], d[1]);
    const int first = symmetric ? (c0 - j1) / kRows : 0;
    for (int t = first; t < tiles; ++t) {
      const int r0 = j1 + t * kRows, rows = std::min(kRows, n - r0);
      Lane accR[NC], accI[NC];
#pragma GCC unroll 16
      for (int c = 0; c < NC; ++c) accR[c] = Lane{}, accI[c] = Lane{};
      const float* lp = u.packL + static_cast<size_t>(t) * u.tileSize;
      const float* up = packU.data();
      for (int k = 0; k < kb; ++k, lp += 2 * kRows, up += 2 * NC) {
        Lane lr, li;
        std::memcpy(&lr, lp, sizeof lr);
        std::memcpy(&li, lp + kRows, sizeof li);
#pragma GCC unroll 16
        for (int c = 0; c < NC; ++c) {
          Lane ur, ui;
          Splat(up[2 * c], ur);
          Splat(up[2 * c + 1], ui);
          accR[c] += lr * ur - li * ui;
          accI[c] += lr * ui + li * ur;
        }
      }
      SubtractTile<kRows>(a, c0, cols, r0, rows, symmetric, accR, accI);
    }
  }
}

// Rows i … i + V·lanes − 1 of panel column j take the updates of the panel's
// columns k0 … j − 1 in order: a −= l·u − l'·u', with u = w(k, j).
template <typename Lane, int V>
TERVA_LOOPS_INLINE void PanelRows(float* ar, float* ai, const float* re, const float* im, size_t ld, int k0, int j,
                                  int i, const float (*wr)[kMostPanel], const float (*wi)[kMostPanel]) {
  constexpr int kLanes = static_cast<int>(sizeof(Lane) / sizeof(float));
  Lane xr[V], xi[V];
#pragma GCC unroll 4
  for (int v = 0; v < V; ++v) {
    std::memcpy(&xr[v], ar + i + v * kLanes, sizeof(Lane));
    std::memcpy(&xi[v], ai + i + v * kLanes, sizeof(Lane));
  }
  for (int k = k0; k < j; ++k) {
    const float* lr = re + static_cast<size_t>(k) * ld + i;
    const float* li = im + static_cast<size_t>(k) * ld + i;
    Lane ur, ui;
    Splat(wr[k - k0][j - k0], ur);
    Splat(wi[k - k0][j - k0], ui);
#pragma GCC unroll 4
    for (int v = 0; v < V; ++v) {
      Lane pr, pi;
      std::memcpy(&pr, lr + v * kLanes, sizeof(Lane));
      std::memcpy(&pi, li + v * kLanes, sizeof(Lane));
      xr[v] -= pr * ur - pi * ui;
      xi[v] -= pr * ui + pi * ur;
    }
  }
#pragma GCC unroll 4
  for (int v = 0; v < V; ++v) {
    std::memcpy(ar + i + v * kLanes, &xr[v], sizeof(Lane));
    std::memcpy(ai + i + v * kLanes, &xi[v], sizeof(Lane));
  }
}

// One panel of L·D·Lᵀ, columns k0 … k0 + kb − 1, column by column
// (left-looking): column j takes the updates of the panel's earlier columns k
// in the order and by the operations of the portable right-looking panel, so
// every entry gets the same bits, but is loaded and stored once per block of
// rows instead of once per column k. False when a pivot is zero or not finite.
template <typename Lane>
TERVA_LOOPS_INLINE bool PanelSymmetricByColumns(const SplitMatrix& a, int k0, int kb) {
  constexpr int kLanes = static_cast<int>(sizeof(Lane) / sizeof(float));
  float* const re = a.re;
  float* const im = a.im;
  const size_t ld = a.ld;
  const int n = a.n, kEnd = k0 + kb;
  // w(k, j) = d·L(j, k): row j of column k as it stood before column k was scaled
  float wr[kMostPanel][kMostPanel], wi[kMostPanel][kMostPanel];
  for (int j = k0; j < kEnd; ++j) {
    float* ar = a.Re(j);
    float* ai = a.Im(j);
    const int jj = j - k0;
    if (jj > 0) {
      int i = j;
      for (; i + 4 * kLanes <= n; i += 4 * kLanes) PanelRows<Lane, 4>(ar, ai, re, im, ld, k0, j, i, wr, wi);
      for (; i + kLanes <= n; i += kLanes) PanelRows<Lane, 1>(ar, ai, re, im, ld, k0, j, i, wr, wi);
      for (; i < n; ++i)
        for (int k = k0; k < j; ++k) {
          const float lr = a.Re(k)[i], li = a.Im(k)[i], ur = wr[k - k0][jj], ui = wi[k - k0][jj];
          ar[i] -= lr * ur - li * ui;
          ai[i] -= lr * ui + li * ur;
        }
    }
    if (!UsablePivot(ar[j], ai[j])) return false;
    float ir, ii;
    Reciprocal(ar[j], ai[j], ir, ii);
    for (int q = j + 1; q < kEnd; ++q) wr[jj][q - k0] = ar[q], wi[jj][q - k0] = ai[q];
    for (int r = j + 1; r < n; ++r) {
      const float lr = ar[r] * ir - ai[r] * ii, li = ar[r] * ii + ai[r] * ir;
      ar[r] = lr;
      ai[r] = li;
    }
  }
  return true;
}
#endif

}  // namespace terva::simd
