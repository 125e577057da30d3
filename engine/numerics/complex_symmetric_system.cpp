#include "engine/numerics/complex_symmetric_system.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/numerics/simd_dispatch.hpp"
#include "engine/numerics/simd_loops.hpp"

namespace terva {

using simd::Reciprocal;
using simd::SplitDot;
using simd::UsablePivot;

int ComplexSymmetricSystem::UseKernelLanes(int most) { return simd::UseKernelLanes(most); }

int ComplexSymmetricSystem::KernelLanes() { return simd::KernelLanes(); }

void ComplexSymmetricSystem::SwapRows(int a, int b, int j0, int j1) {
  for (int j = j0; j < j1; ++j) {
    std::swap(Re(j)[a], Re(j)[b]);
    std::swap(Im(j)[a], Im(j)[b]);
  }
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
  // L21 by row tiles of the width in use
  const int lanes = simd::KernelLanes(), rowsPerTile = simd::TileRows(lanes);
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
  const simd::TrailingUpdate update{{re_.data(), im_.data(), static_cast<size_t>(ld_), n_}, k0, kb, symmetric,
                                    packL_.data(), tileSize};
  const int helpers = HelperThreads(spare_, m);
  if (helpers == 0) return simd::TrailingColumns(lanes, update, 0, 1, packU_);
  SplitColumnBlocks(
      helpers,
      [&](int first, int stride, std::vector<float>& packU) { simd::TrailingColumns(lanes, update, first, stride, packU); },
      packU_);
}

bool ComplexSymmetricSystem::FactorSymmetric() {
  const simd::SplitMatrix a{re_.data(), im_.data(), static_cast<size_t>(ld_), n_};
  const int lanes = simd::KernelLanes();
  static_assert(kBlock <= simd::kMostPanel, "the panel kernels' row buffers");
  for (int k0 = 0; k0 < n_; k0 += kBlock) {
    const int kb = std::min(kBlock, n_ - k0);
    if (!simd::PanelSymmetric(lanes, a, k0, kb)) return false;
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
  simd::ForwardUnitLower(simd::KernelLanes(), re_.data(), im_.data(), static_cast<size_t>(ld_), k0, k1, br, bi, count,
                         stride);
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

void ComplexSymmetricSystem::SolvePivoted(float* planes, int count) const {
  const int n = n_;
  for (int c = 0; c < count; ++c) {
    float* br = planes + 2 * static_cast<size_t>(n) * static_cast<size_t>(c);
    float* bi = br + n;
    for (int k = 0; k < n; ++k) {
      const int p = piv_[static_cast<size_t>(k)];
      if (p != k) std::swap(br[k], br[p]), std::swap(bi[k], bi[p]);
    }
    ForwardUnitLower(0, n, br, bi, 1, 0);  // L·y = P·b
    for (int k = n - 1; k >= 0; --k) {     // U·x = y
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

ComplexSymmetricSystem::Status ComplexSymmetricSystem::Factor() {
  const size_t n = static_cast<size_t>(n_);
  pivoted_ = false;
  diagRe_.resize(n);
  diagIm_.resize(n);
  rowNorm_.assign(n, 0.0f);
  int j0 = 0;
  for (; j0 + kNormColumns <= n_; j0 += kNormColumns) RowNorms<kNormColumns>(j0);
  for (; j0 < n_; ++j0) RowNorms<1>(j0);
  factored_ = FactorSymmetric();
  if (!factored_) {
    pivoted_ = true;
    RestoreLower();
    factored_ = FactorPivoted();
  }
  return info_ = factored_ ? Status::kSuccess : Status::kSingular;
}

ComplexSymmetricSystem::Status ComplexSymmetricSystem::Solve(float* planes, int count) {
  if (!factored_) return info_;
  const size_t n = static_cast<size_t>(n_), total = 2 * n * static_cast<size_t>(count > 0 ? count : 0);
  if (pivoted_) {
    SolvePivoted(planes, count);
  } else if (count > 0) {
    original_.assign(planes, planes + total);
    SolveSymmetric(planes, count);
    if (!BackwardErrorsAcceptable(original_.data(), planes, count)) {
      pivoted_ = true;
      RestoreLower();
      std::copy(original_.begin(), original_.end(), planes);
      if (!FactorPivoted()) {
        factored_ = false;
        return info_ = Status::kSingular;
      }
      SolvePivoted(planes, count);
    }
  }
  for (size_t i = 0; i < total; ++i)
    if (!std::isfinite(planes[i])) return info_ = Status::kNotFinite;
  return info_ = Status::kSuccess;
}

}  // namespace terva
