// The group solver's kernels on 4-float vectors: the portable set, built for
// the baseline instruction set of the target.
#include "engine/numerics/simd_kernels.hpp"
#include "engine/numerics/simd_loops.hpp"

namespace terva::simd::portable {
namespace {

constexpr int kLanes = 2;  // register tile: two 4-float vectors of rows …
constexpr int kCols = 2;   // … by two columns
static_assert(4 * kLanes == kTileRows, "the packed tiles of L21");

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

// Right-looking within the panel: column k is scaled, then the panel's later
// columns take its update, row by row.
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

}  // namespace

// The pointers by value: the vectoriser's alias checks come out as for a
// free loop over them (a few per cent faster on small panels).
bool PanelSymmetric(const SplitMatrix& a, int k0, int kb) { return PanelSymmetricLoops(a.re, a.im, a.ld, a.n, k0, kb); }

void ForwardUnitLower(const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi, int count,
                      size_t stride) {
  ForwardUnitLowerLoops(re, im, ld, k0, k1, br, bi, count, stride);
}

void TrailingColumns(const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU) {
  const SplitMatrix a = u.a;
  const int n = a.n, k0 = u.k0, kb = u.kb;
  const bool symmetric = u.symmetric;
  const int j1 = k0 + kb, tiles = (n - j1 + kTileRows - 1) / kTileRows;
  packU.resize(static_cast<size_t>(kb) * 8 * kCols);
  for (int c0 = j1 + firstBlock * kCols; c0 < n; c0 += stride * kCols) {
    const int cols = std::min(kCols, n - c0);
    float* d = packU.data();
    for (int k = 0; k < kb; ++k)
      for (int c = 0; c < kCols; ++c, d += 8) {
        float ur, ui;
        PackedU(a, k0, k, c0, c, cols, symmetric, ur, ui);
        for (int q = 0; q < 4; ++q) d[q] = ur, d[4 + q] = ui;
      }
    // the symmetric update keeps to the lower triangle
    const int first = symmetric ? (c0 - j1) / kTileRows : 0;
    for (int t = first; t < tiles; ++t) {
      const int r0 = j1 + t * kTileRows, rows = std::min(kTileRows, n - r0);
      Lane4 accR[kCols][kLanes], accI[kCols][kLanes];
      TileProduct<kLanes, kCols>(kb, u.packL + static_cast<size_t>(t) * u.tileSize, packU.data(), accR, accI);
      SubtractTile<kTileRows>(a, c0, cols, r0, rows, symmetric, accR, accI);
    }
  }
}

}  // namespace terva::simd::portable
