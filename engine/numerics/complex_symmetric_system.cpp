#include "engine/numerics/complex_symmetric_system.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>

namespace terva {

namespace {

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

// Σ a(i)·b(i), i < n, over split complex vectors (no conjugation).
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

inline bool UsablePivot(float r, float m) {
  const float size = std::abs(r) + std::abs(m);
  return size > 0.0f && std::isfinite(size);
}

// One entry of the packed U of a trailing update, for inner index k0 + k and
// column c0 + c (zero past the last of `cols` columns): d_k·L(j, k) for the
// symmetric factorization (D·Lᵀ), the matrix entry itself for the pivoted one.
// re and im hold the columns `ld` apart.
inline void PackedU(const float* re, const float* im, size_t ld, int k0, int k, int c0, int c, int cols,
                    bool symmetric, float& ur, float& ui) {
  ur = 0.0f, ui = 0.0f;
  if (c >= cols) return;
  auto Re = [&](int j) { return re + static_cast<size_t>(j) * ld; };
  auto Im = [&](int j) { return im + static_cast<size_t>(j) * ld; };
  if (symmetric) {
    const int kk = k0 + k, j = c0 + c;
    const float dr = Re(kk)[kk], di = Im(kk)[kk], lr = Re(kk)[j], li = Im(kk)[j];
    ur = dr * lr - di * li;
    ui = dr * li + di * lr;
  } else {
    ur = Re(c0 + c)[k0 + k];
    ui = Im(c0 + c)[k0 + k];
  }
}

// C ← C − L·U over one register tile: rows r0 … r0 + rows − 1 of the `cols`
// columns from c0, each column's R sums held in one accumulator (one vector,
// or an array of vectors); the symmetric update keeps to the lower triangle.
template <int R, typename Acc>
inline void SubtractTile(float* re, float* im, size_t ld, int c0, int cols, int r0, int rows, bool symmetric,
                         const Acc* accR, const Acc* accI) {
  static_assert(sizeof(Acc) == R * sizeof(float), "one accumulator holds a column of the tile");
  for (int c = 0; c < cols; ++c) {
    float* cr = re + static_cast<size_t>(c0 + c) * ld + r0;
    float* ci = im + static_cast<size_t>(c0 + c) * ld + r0;
    float sr[R], si[R];
    std::memcpy(sr, &accR[c], sizeof sr);
    std::memcpy(si, &accI[c], sizeof si);
    const int from = symmetric ? std::max(0, c0 + c - r0) : 0;
    for (int r = from; r < rows; ++r) cr[r] -= sr[r], ci[r] -= si[r];
  }
}

// L·U over one register tile of 4·MV × NR entries; L packed per inner index
// as 4·MV real then 4·MV imaginary parts, U per inner index and column as the
// real part four times, then the imaginary part four times.
template <int MV, int NR>
inline void TileProduct(int kb, const float* lp, const float* up, Lane4 (&accR)[NR][MV], Lane4 (&accI)[NR][MV]) {
  for (int c = 0; c < NR; ++c)
    for (int v = 0; v < MV; ++v) accR[c][v] = Lane4{}, accI[c][v] = Lane4{};
  for (int k = 0; k < kb; ++k, lp += 8 * MV, up += 8 * NR) {
    Lane4 lr[MV], li[MV];
    for (int v = 0; v < MV; ++v) lr[v] = LoadLane(lp + 4 * v), li[v] = LoadLane(lp + 4 * (MV + v));
    for (int c = 0; c < NR; ++c) {
      const Lane4 ur = LoadLane(up + 8 * c), ui = LoadLane(up + 8 * c + 4);
      for (int v = 0; v < MV; ++v) {
        accR[c][v] += lr[v] * ur - li[v] * ui;
        accI[c][v] += lr[v] * ui + li[v] * ur;
      }
    }
  }
}

#define TERVA_LOOPS_INLINE inline __attribute__((always_inline))

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TERVA_WIDE_KERNEL 1

typedef float Lane8 __attribute__((vector_size(32)));
typedef float Lane16 __attribute__((vector_size(64)));

template <typename Lane>
TERVA_LOOPS_INLINE void Splat(float a, Lane& v) {
  for (int i = 0; i < static_cast<int>(sizeof(Lane) / sizeof(float)); ++i) v[i] = a;
}

// The trailing update on wide vectors: tiles of one vector of rows (the
// packed L21 of UpdateTrailing) by NC columns, each entry formed as on the
// 4-float path: acc += l·u − l'·u' per inner index, with no fused multiply-add.
template <typename Lane, int NC>
TERVA_LOOPS_INLINE void WideTrailingLoops(float* re, float* im, size_t ld, int n, int k0, int kb, bool symmetric,
                                          const float* packL, size_t tileSize, int firstBlock, int stride,
                                          std::vector<float>& packU) {
  constexpr int kRows = static_cast<int>(sizeof(Lane) / sizeof(float));
  const int j1 = k0 + kb, tiles = (n - j1 + kRows - 1) / kRows;
  packU.resize(static_cast<size_t>(kb) * 2 * NC);
  for (int c0 = j1 + firstBlock * NC; c0 < n; c0 += stride * NC) {
    const int cols = std::min(NC, n - c0);
    float* d = packU.data();
    for (int k = 0; k < kb; ++k)
      for (int c = 0; c < NC; ++c, d += 2) PackedU(re, im, ld, k0, k, c0, c, cols, symmetric, d[0], d[1]);
    const int first = symmetric ? (c0 - j1) / kRows : 0;
    for (int t = first; t < tiles; ++t) {
      const int r0 = j1 + t * kRows, rows = std::min(kRows, n - r0);
      Lane accR[NC], accI[NC];
#pragma GCC unroll 16
      for (int c = 0; c < NC; ++c) accR[c] = Lane{}, accI[c] = Lane{};
      const float* lp = packL + static_cast<size_t>(t) * tileSize;
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
      SubtractTile<kRows>(re, im, ld, c0, cols, r0, rows, symmetric, accR, accI);
    }
  }
}

__attribute__((target("avx2"))) void TrailingUpdateAvx2(float* re, float* im, size_t ld, int n, int k0, int kb,
                                                        bool symmetric, const float* packL, size_t tileSize,
                                                        int firstBlock, int stride, std::vector<float>& packU) {
  WideTrailingLoops<Lane8, 4>(re, im, ld, n, k0, kb, symmetric, packL, tileSize, firstBlock, stride, packU);
}

__attribute__((target("avx512f"))) void TrailingUpdateAvx512(float* re, float* im, size_t ld, int n, int k0, int kb,
                                                             bool symmetric, const float* packL, size_t tileSize,
                                                             int firstBlock, int stride, std::vector<float>& packU) {
  WideTrailingLoops<Lane16, 6>(re, im, ld, n, k0, kb, symmetric, packL, tileSize, firstBlock, stride, packU);
}

// The widest vectors this processor offers the kernels: 16, 8 or 4 floats.
int ProcessorLanes() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return 16;
  return __builtin_cpu_supports("avx2") ? 8 : 4;
}
#else
int ProcessorLanes() { return 4; }
#endif

// The vector width the kernels use in this process.
std::atomic<int>& KernelLanesInUse() {
  static std::atomic<int> lanes{ProcessorLanes()};
  return lanes;
}

// The column loops of the panel and of the forward solve, as free functions
// over the planes so that they can be compiled twice: for the portable
// baseline and, inlined into a copy built for AVX2, with 8-float vectors.
// Every loop is element by element (no sum is reassociated, no multiply-add
// fused), so both copies give the same bits.
constexpr int kMostPanel = 64;

// One panel of L·D·Lᵀ, columns k0 … k0 + kb − 1, right-looking within the panel.
TERVA_LOOPS_INLINE bool PanelSymmetricLoops(float* re, float* im, size_t ld, int n, int k0, int kb) {
  auto Re = [&](int j) { return re + static_cast<size_t>(j) * ld; };
  auto Im = [&](int j) { return im + static_cast<size_t>(j) * ld; };
  const int kEnd = k0 + kb;
  float wr[kMostPanel], wi[kMostPanel];
  for (int k = k0; k < kEnd; ++k) {
    float* cr = Re(k);
    float* ci = Im(k);
    if (!UsablePivot(cr[k], ci[k])) return false;
    float ir, ii;
    Reciprocal(cr[k], ci[k], ir, ii);
    for (int j = k + 1; j < kEnd; ++j) wr[j - k - 1] = cr[j], wi[j - k - 1] = ci[j];  // d·L(j, k)
    for (int i = k + 1; i < n; ++i) {
      const float lr = cr[i] * ir - ci[i] * ii, li = cr[i] * ii + ci[i] * ir;
      cr[i] = lr;
      ci[i] = li;
    }
    for (int j = k + 1; j < kEnd; ++j) {  // the rest of the panel, lower part
      float* ar = Re(j);
      float* ai = Im(j);
      const float ur = wr[j - k - 1], ui = wi[j - k - 1];
      for (int i = j; i < n; ++i) {
        ar[i] -= cr[i] * ur - ci[i] * ui;
        ai[i] -= cr[i] * ui + ci[i] * ur;
      }
    }
  }
  return true;
}

// b(k0..k1−1) ← L⁻¹·b over the unit lower triangle of columns k0..k1−1, for
// `count` right-hand sides `stride` floats apart (each column of L is read
// once for all of them).
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

// The panel of PanelSymmetricLoops column by column (left-looking): column j
// takes the updates of the panel's earlier columns k in the same order and by
// the same operations, so every entry gets the same bits, but is loaded and
// stored once per block of rows instead of once per column k.
template <typename Lane>
TERVA_LOOPS_INLINE bool PanelSymmetricByColumns(float* re, float* im, size_t ld, int n, int k0, int kb) {
  constexpr int kLanes = static_cast<int>(sizeof(Lane) / sizeof(float));
  auto Re = [&](int j) { return re + static_cast<size_t>(j) * ld; };
  auto Im = [&](int j) { return im + static_cast<size_t>(j) * ld; };
  const int kEnd = k0 + kb;
  // w(k, j) = d·L(j, k): row j of column k as it stood before column k was scaled
  float wr[kMostPanel][kMostPanel], wi[kMostPanel][kMostPanel];
  for (int j = k0; j < kEnd; ++j) {
    float* ar = Re(j);
    float* ai = Im(j);
    const int jj = j - k0;
    if (jj > 0) {
      int i = j;
      for (; i + 4 * kLanes <= n; i += 4 * kLanes) PanelRows<Lane, 4>(ar, ai, re, im, ld, k0, j, i, wr, wi);
      for (; i + kLanes <= n; i += kLanes) PanelRows<Lane, 1>(ar, ai, re, im, ld, k0, j, i, wr, wi);
      for (; i < n; ++i)
        for (int k = k0; k < j; ++k) {
          const float lr = Re(k)[i], li = Im(k)[i], ur = wr[k - k0][jj], ui = wi[k - k0][jj];
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

__attribute__((target("avx2"))) bool PanelSymmetricAvx2(float* re, float* im, size_t ld, int n, int k0, int kb) {
  return PanelSymmetricByColumns<Lane8>(re, im, ld, n, k0, kb);
}
__attribute__((target("avx512f"))) bool PanelSymmetricAvx512(float* re, float* im, size_t ld, int n, int k0, int kb) {
  return PanelSymmetricByColumns<Lane16>(re, im, ld, n, k0, kb);
}
__attribute__((target("avx2"))) void ForwardUnitLowerAvx2(const float* re, const float* im, size_t ld, int k0, int k1,
                                                          float* br, float* bi, int count, size_t stride) {
  ForwardUnitLowerLoops(re, im, ld, k0, k1, br, bi, count, stride);
}
__attribute__((target("avx512f"))) void ForwardUnitLowerAvx512(const float* re, const float* im, size_t ld, int k0,
                                                               int k1, float* br, float* bi, int count, size_t stride) {
  ForwardUnitLowerLoops(re, im, ld, k0, k1, br, bi, count, stride);
}
#endif

}  // namespace

int ComplexSymmetricSystem::UseKernelLanes(int most) {
  const int available = ProcessorLanes();
  KernelLanesInUse().store(most >= 16 ? available : most >= 8 ? std::min(8, available) : 4, std::memory_order_relaxed);
  return KernelLanes();
}

int ComplexSymmetricSystem::KernelLanes() { return KernelLanesInUse().load(std::memory_order_relaxed); }

void ComplexSymmetricSystem::SwapRows(int a, int b, int j0, int j1) {
  for (int j = j0; j < j1; ++j) {
    std::swap(Re(j)[a], Re(j)[b]);
    std::swap(Im(j)[a], Im(j)[b]);
  }
}

bool ComplexSymmetricSystem::PanelSymmetric(int k0, int kb) {
  static_assert(kBlock <= kMostPanel, "the panel's row buffer");
#ifdef TERVA_WIDE_KERNEL
  const int lanes = KernelLanes();
  if (lanes == 16) return PanelSymmetricAvx512(re_.data(), im_.data(), static_cast<size_t>(ld_), n_, k0, kb);
  if (lanes == 8) return PanelSymmetricAvx2(re_.data(), im_.data(), static_cast<size_t>(ld_), n_, k0, kb);
#endif
  return PanelSymmetricLoops(re_.data(), im_.data(), static_cast<size_t>(ld_), n_, k0, kb);
}

bool ComplexSymmetricSystem::PanelPivoted(int k0, int kb) {
  const int n = n_, kEnd = k0 + kb;
  for (int k = k0; k < kEnd; ++k) {
    float* cr = Re(k);
    float* ci = Im(k);
    int p = k;
    float best = std::abs(cr[k]) + std::abs(ci[k]);
    for (int i = k + 1; i < n; ++i) {
      const float m = std::abs(cr[i]) + std::abs(ci[i]);
      if (m > best) best = m, p = i;
    }
    if (!UsablePivot(cr[p], ci[p])) return false;
    piv_[static_cast<size_t>(k)] = p;
    if (p != k) SwapRows(k, p, k0, kEnd);
    float ir, ii;
    Reciprocal(cr[k], ci[k], ir, ii);
    for (int i = k + 1; i < n; ++i) {
      const float lr = cr[i] * ir - ci[i] * ii, li = cr[i] * ii + ci[i] * ir;
      cr[i] = lr;
      ci[i] = li;
    }
    for (int j = k + 1; j < kEnd; ++j) {
      float* ar = Re(j);
      float* ai = Im(j);
      const float ur = ar[k], ui = ai[k];
      if (ur == 0.0f && ui == 0.0f) continue;
      for (int i = k + 1; i < n; ++i) {
        ar[i] -= cr[i] * ur - ci[i] * ui;
        ai[i] -= cr[i] * ui + ci[i] * ur;
      }
    }
  }
  return true;
}


void ComplexSymmetricSystem::UpdateTrailing(int k0, int kb, bool symmetric) {
  const int j1 = k0 + kb, m = n_ - j1;
  if (m <= 0) return;
  if (!symmetric)  // U12 = L11⁻¹·A12 (unit lower triangle of the panel)
    for (int j = j1; j < n_; ++j) ForwardUnitLower(k0, j1, Re(j), Im(j), 1, 0);
  // L21 by row tiles: one 16-float vector of rows for the AVX-512 kernel, 8 rows otherwise
  const int lanes = KernelLanes(), rowsPerTile = lanes == 16 ? 16 : kRows;
  const int tiles = (m + rowsPerTile - 1) / rowsPerTile;
  const size_t tileSize = static_cast<size_t>(kb) * 2 * static_cast<size_t>(rowsPerTile);
  packL_.resize(static_cast<size_t>(tiles) * tileSize);
  for (int t = 0; t < tiles; ++t) {
    const int r0 = j1 + t * rowsPerTile, rows = std::min(rowsPerTile, n_ - r0);
    float* d = packL_.data() + static_cast<size_t>(t) * tileSize;
    for (int k = 0; k < kb; ++k, d += 2 * rowsPerTile) {
      const float* lr = Re(k0 + k) + r0;
      const float* li = Im(k0 + k) + r0;
      for (int r = 0; r < rowsPerTile; ++r) {
        d[r] = r < rows ? lr[r] : 0.0f;
        d[rowsPerTile + r] = r < rows ? li[r] : 0.0f;
      }
    }
  }
  auto columns = [&](int first, int stride, std::vector<float>& packU) {
    const size_t ld = static_cast<size_t>(ld_);
#ifdef TERVA_WIDE_KERNEL
    if (lanes == 16)
      return TrailingUpdateAvx512(re_.data(), im_.data(), ld, n_, k0, kb, symmetric, packL_.data(), tileSize, first,
                                  stride, packU);
    static_assert(kRows == 8, "the AVX2 kernel reads the packed tiles of 8 rows");
    if (lanes == 8)
      return TrailingUpdateAvx2(re_.data(), im_.data(), ld, n_, k0, kb, symmetric, packL_.data(), tileSize, first,
                                stride, packU);
#endif
    PortableColumns(k0, kb, symmetric, tileSize, first, stride, packU);
  };
  const int helpers = HelperThreads(m);
  if (helpers == 0) return columns(0, 1, packU_);
  // column blocks dealt round the threads: each entry is formed as on one thread
  const int stride = helpers + 1;
  std::vector<std::vector<float>> packs(static_cast<size_t>(helpers));
  std::vector<std::thread> pool;
  try {
    for (int h = 1; h <= helpers; ++h) pool.emplace_back(columns, h, stride, std::ref(packs[static_cast<size_t>(h - 1)]));
  } catch (const std::system_error&) {
    // the blocks of threads that could not start are done here
  }
  try {
    columns(0, stride, packU_);
    for (int h = static_cast<int>(pool.size()) + 1; h <= helpers; ++h)
      columns(h, stride, packs[static_cast<size_t>(h - 1)]);
  } catch (...) {
    for (std::thread& t : pool) t.join();
    throw;
  }
  for (std::thread& t : pool) t.join();
}

int ComplexSymmetricSystem::HelperThreads(int order) const {
  constexpr int kSplitOrder = 192;  // below it a thread's start costs more than it saves
  constexpr int kMostHelpers = 15;
  if (!spare_ || order < kSplitOrder) return 0;
  const int idle = spare_->idle.load(std::memory_order_relaxed);
  const int busy = std::max(1, spare_->busy.load(std::memory_order_relaxed));
  return std::clamp(idle / busy, 0, kMostHelpers);
}

void ComplexSymmetricSystem::PortableColumns(int k0, int kb, bool symmetric, size_t tileSize, int firstBlock,
                                             int stride, std::vector<float>& packU) {
  const int j1 = k0 + kb, tiles = (n_ - j1 + kRows - 1) / kRows;
  packU.resize(static_cast<size_t>(kb) * 8 * kCols);
  for (int c0 = j1 + firstBlock * kCols; c0 < n_; c0 += stride * kCols) {
    const int cols = std::min(kCols, n_ - c0);
    float* d = packU.data();
    for (int k = 0; k < kb; ++k)
      for (int c = 0; c < kCols; ++c, d += 8) {
        float ur, ui;
        PackedU(re_.data(), im_.data(), static_cast<size_t>(ld_), k0, k, c0, c, cols, symmetric, ur, ui);
        for (int q = 0; q < 4; ++q) d[q] = ur, d[4 + q] = ui;
      }
    // the symmetric update keeps to the lower triangle
    const int first = symmetric ? (c0 - j1) / kRows : 0;
    for (int t = first; t < tiles; ++t) {
      const int r0 = j1 + t * kRows, rows = std::min(kRows, n_ - r0);
      Lane4 accR[kCols][kLanes], accI[kCols][kLanes];
      TileProduct<kLanes, kCols>(kb, packL_.data() + static_cast<size_t>(t) * tileSize, packU.data(), accR, accI);
      SubtractTile<kRows>(re_.data(), im_.data(), static_cast<size_t>(ld_), c0, cols, r0, rows, symmetric, accR, accI);
    }
  }
}

bool ComplexSymmetricSystem::FactorSymmetric() {
  for (int k0 = 0; k0 < n_; k0 += kBlock) {
    const int kb = std::min(kBlock, n_ - k0);
    if (!PanelSymmetric(k0, kb)) return false;
    UpdateTrailing(k0, kb, true);
  }
  return true;
}

bool ComplexSymmetricSystem::FactorPivoted() {
  for (int k0 = 0; k0 < n_; k0 += kBlock) {
    const int kb = std::min(kBlock, n_ - k0), kEnd = k0 + kb;
    if (!PanelPivoted(k0, kb)) return false;
    for (int k = k0; k < kEnd; ++k) {
      const int p = piv_[static_cast<size_t>(k)];
      if (p == k) continue;
      SwapRows(k, p, 0, k0);
      SwapRows(k, p, kEnd, n_);
    }
    UpdateTrailing(k0, kb, false);
  }
  for (int k = 0; k < n_; ++k)
    if (!UsablePivot(Re(k)[k], Im(k)[k])) return false;
  return true;
}

void ComplexSymmetricSystem::ForwardUnitLower(int k0, int k1, float* br, float* bi, int count, size_t stride) const {
  const float* re = re_.data();
  const float* im = im_.data();
#ifdef TERVA_WIDE_KERNEL
  const int lanes = KernelLanes();
  if (lanes == 16) return ForwardUnitLowerAvx512(re, im, static_cast<size_t>(ld_), k0, k1, br, bi, count, stride);
  if (lanes == 8) return ForwardUnitLowerAvx2(re, im, static_cast<size_t>(ld_), k0, k1, br, bi, count, stride);
#endif
  ForwardUnitLowerLoops(re, im, static_cast<size_t>(ld_), k0, k1, br, bi, count, stride);
}

void ComplexSymmetricSystem::SolveSymmetric(float* planes, int count) const {
  const int n = n_;
  const size_t stride = 2 * static_cast<size_t>(n);
  auto real = [&](int c) { return planes + static_cast<size_t>(c) * stride; };
  auto imag = [&](int c) { return real(c) + n; };
  ForwardUnitLower(0, n, real(0), imag(0), count, stride);  // L·y = b
  for (int k = 0; k < n; ++k) {  // D·z = y
    float ir, ii;
    Reciprocal(Re(k)[k], Im(k)[k], ir, ii);
    for (int c = 0; c < count; ++c) {
      float* br = real(c);
      float* bi = imag(c);
      const float zr = br[k] * ir - bi[k] * ii, zi = br[k] * ii + bi[k] * ir;
      br[k] = zr;
      bi[k] = zi;
    }
  }
  for (int k = n - 1; k >= 0; --k)  // Lᵀ·x = z
    for (int c = 0; c < count; ++c) {
      float* br = real(c);
      float* bi = imag(c);
      float sr, si;
      SplitDot(Re(k) + k + 1, Im(k) + k + 1, br + k + 1, bi + k + 1, n - k - 1, sr, si);
      br[k] -= sr;
      bi[k] -= si;
    }
}

void ComplexSymmetricSystem::SolvePivoted(float* br, float* bi) const {
  const int n = n_;
  for (int k = 0; k < n; ++k) {
    const int p = piv_[static_cast<size_t>(k)];
    if (p != k) std::swap(br[k], br[p]), std::swap(bi[k], bi[p]);
  }
  ForwardUnitLower(0, n, br, bi, 1, 0);  // L·y = P·b
  for (int k = n - 1; k >= 0; --k) {  // U·x = y
    const float* ur = Re(k);
    const float* ui = Im(k);
    float ir, ii;
    Reciprocal(ur[k], ui[k], ir, ii);
    const float xr = br[k] * ir - bi[k] * ii, xi = br[k] * ii + bi[k] * ir;
    br[k] = xr;
    bi[k] = xi;
    for (int i = 0; i < k; ++i) {
      br[i] -= ur[i] * xr - ui[i] * xi;
      bi[i] -= ur[i] * xi + ui[i] * xr;
    }
  }
}

// The lower triangle and the diagonal back from the untouched upper triangle
// and the saved diagonal.
void ComplexSymmetricSystem::RestoreLower() {
  for (int j = 0; j < n_; ++j) {
    Re(j)[j] = diagRe_[static_cast<size_t>(j)];
    Im(j)[j] = diagIm_[static_cast<size_t>(j)];
    for (int i = j + 1; i < n_; ++i) {
      Re(j)[i] = Re(i)[j];
      Im(j)[i] = Im(i)[j];
    }
  }
}

// Whether max|w − A·u| / (‖A‖∞·max|u| + max|w|) stays within the tolerance
// for each of `count` right-hand sides w and solutions u, A from its strict
// upper triangle and the saved diagonal; |z| is taken as |Re z| + |Im z|.
// Each column of A is read once for all of them.
bool ComplexSymmetricSystem::BackwardErrorsAcceptable(const float* w, const float* u, int count) {
  const size_t n = static_cast<size_t>(n_), stride = 2 * n;
  residual_.assign(w, w + stride * static_cast<size_t>(count));
  for (size_t j = 0; j < n; ++j) {
    const float* ar = Re(static_cast<int>(j));
    const float* ai = Im(static_cast<int>(j));
    const float dr = diagRe_[j], di = diagIm_[j];
    for (size_t c = 0; c < static_cast<size_t>(count); ++c) {
      const float* ur = u + c * stride;
      const float* ui = ur + n;
      float* rr = residual_.data() + c * stride;
      float* ri = rr + n;
      for (size_t i = 0; i < j; ++i) {  // the upper part of column j: A(i, j)·u(j)
        rr[i] -= ar[i] * ur[j] - ai[i] * ui[j];
        ri[i] -= ar[i] * ui[j] + ai[i] * ur[j];
      }
      float sr, si;  // and, by symmetry, row j left of the diagonal: Σ A(i, j)·u(i)
      SplitDot(ar, ai, ur, ui, static_cast<int>(j), sr, si);
      rr[j] -= sr + (dr * ur[j] - di * ui[j]);
      ri[j] -= si + (dr * ui[j] + di * ur[j]);
    }
  }
  double a = 0;
  for (size_t i = 0; i < n; ++i) a = std::max(a, static_cast<double>(rowNorm_[i]));
  for (size_t c = 0; c < static_cast<size_t>(count); ++c) {
    const float* rr = residual_.data() + c * stride;
    const float* ur = u + c * stride;
    const float* wc = w + c * stride;
    double r = 0, x = 0, b = 0;
    for (size_t i = 0; i < n; ++i) {
      r = std::max(r, static_cast<double>(std::abs(rr[i]) + std::abs(rr[n + i])));
      x = std::max(x, static_cast<double>(std::abs(ur[i]) + std::abs(ur[n + i])));
      b = std::max(b, static_cast<double>(std::abs(wc[i]) + std::abs(wc[n + i])));
    }
    const double scale = a * x + b;
    const double eta = scale > 0.0 ? r / scale : (r > 0.0 ? 1.0 : 0.0);
    if (!(eta <= kBackwardTolerance)) return false;  // also for NaN
  }
  return true;
}

// Saves the diagonal of columns j0 … j0 + B − 1 and adds their entries of the
// upper triangle to the row sums |A(i, ·)| (|z| = |Re z| + |Im z|). Every sum
// takes its terms in the order of one column at a time (its diagonal entry,
// the rows above it, then the columns to its right), but the B column sums run
// side by side instead of one long chain of dependent additions.
template <int B>
void ComplexSymmetricSystem::RowNorms(int j0) {
  float* norm = rowNorm_.data();
  float sum[B];
  for (int q = 0; q < B; ++q) {
    const int j = j0 + q;
    diagRe_[static_cast<size_t>(j)] = Re(j)[j];
    diagIm_[static_cast<size_t>(j)] = Im(j)[j];
    sum[q] = norm[j] + (std::abs(Re(j)[j]) + std::abs(Im(j)[j]));
  }
  const float* re[B];
  const float* im[B];
  for (int q = 0; q < B; ++q) re[q] = Re(j0 + q), im[q] = Im(j0 + q);
  for (int i = 0; i < j0; ++i) {
    float row = norm[i];
#pragma GCC unroll 8
    for (int q = 0; q < B; ++q) {
      const float a = std::abs(re[q][i]) + std::abs(im[q][i]);
      row += a;
      sum[q] += a;
    }
    norm[i] = row;
  }
  for (int q = 1; q < B; ++q)  // the triangle of the block itself
    for (int i = 0; i < q; ++i) {
      const float a = std::abs(re[q][j0 + i]) + std::abs(im[q][j0 + i]);
      sum[i] += a;
      sum[q] += a;
    }
  for (int q = 0; q < B; ++q) norm[j0 + q] = sum[q];
}

bool ComplexSymmetricSystem::Solve(float* planes, int count) {
  const size_t n = static_cast<size_t>(n_), total = 2 * n * static_cast<size_t>(count > 0 ? count : 0);
  pivoted_ = false;
  diagRe_.resize(n);
  diagIm_.resize(n);
  rowNorm_.assign(n, 0.0f);
  int j0 = 0;
  for (; j0 + kNormColumns <= n_; j0 += kNormColumns) RowNorms<kNormColumns>(j0);
  for (; j0 < n_; ++j0) RowNorms<1>(j0);
  original_.assign(planes, planes + total);

  bool accepted = FactorSymmetric();
  if (accepted && count > 0) {
    SolveSymmetric(planes, count);
    accepted = BackwardErrorsAcceptable(original_.data(), planes, count);
  }
  if (!accepted) {
    pivoted_ = true;
    RestoreLower();
    std::copy(original_.begin(), original_.end(), planes);
    if (!FactorPivoted()) return false;
    for (int c = 0; c < count; ++c) {
      float* b = planes + 2 * n * static_cast<size_t>(c);
      SolvePivoted(b, b + n);
    }
  }
  for (size_t i = 0; i < total; ++i)
    if (!std::isfinite(planes[i])) return false;
  return true;
}

}  // namespace terva
