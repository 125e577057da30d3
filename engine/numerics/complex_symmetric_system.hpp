// Dense complex symmetric systems with several right-hand sides, as the pile
// group's flexibility problems give them.
//
// The matrix is held in split storage (real and imaginary planes,
// column-major), so that every inner loop is a plain float loop. It is
// factored first as L·D·Lᵀ without pivoting, working on the lower triangle
// only, which halves the work and leaves the strict upper triangle as a copy
// of the matrix. The solutions are then checked against that copy; when a
// pivot vanishes or the backward error shows growth, the lower triangle is
// restored and the matrix factored again by LU with partial pivoting.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "engine/core/scalar.hpp"

namespace terva {

// Cores that a caller's threads leave unused for now (idle), shared among the
// systems being factored at the same time (busy): a large trailing update is
// spread over idle / busy extra threads.
struct SpareCores {
  std::atomic<int> idle{0};
  std::atomic<int> busy{1};
};

class ComplexSymmetricSystem {
 public:
  void Resize(int n) {
    n_ = n > 0 ? n : 0;
    ld_ = (n_ + 7) / 8 * 8;
    const size_t size = static_cast<size_t>(ld_) * static_cast<size_t>(n_);
    re_.assign(size, 0.0f);
    im_.assign(size, 0.0f);
    piv_.assign(static_cast<size_t>(n_), 0);
  }
  int order() const { return n_; }
  void Set(int i, int j, Complex v) {
    re_[At(i, j)] = v.real();
    im_[At(i, j)] = v.imag();
  }
  Complex Get(int i, int j) const { return Complex(re_[At(i, j)], im_[At(i, j)]); }

  // Solves A·X = B for `count` right-hand sides, each held as n real parts
  // followed by n imaginary parts, overwriting them with the solutions. The
  // matrix must be symmetric; it is factored in place. False when it is
  // singular or the solutions are not finite.
  bool Solve(float* planes, int count);

  bool pivoted() const { return pivoted_; }  // whether the LU fall-back was needed

  // The kernels run on 16-float vectors where the processor has AVX-512, on
  // 8-float vectors where it has AVX2 (checked once at run time) and on
  // 4-float vectors elsewhere. Every width forms every entry by the same
  // operations in the same order, so that the factors agree bit for bit.
  // UseKernelLanes keeps this process at or below `most` lanes (tests,
  // benchmarks) and returns the width in use.
  static int UseKernelLanes(int most);
  static int KernelLanes();
  // Lets the trailing update borrow spare cores (null: never). Column blocks
  // are split between threads whole, so the factors are the same bits.
  void ShareSpareCores(const SpareCores* spare) { spare_ = spare; }

 private:
  static constexpr int kBlock = 48;  // panel width
  static constexpr int kLanes = 2;   // register tile: two lanes of rows …
  static constexpr int kRows = 4 * kLanes;
  static constexpr int kCols = 2;  // … by two columns
  static constexpr double kBackwardTolerance = 1.0e-5;

  size_t At(int i, int j) const { return static_cast<size_t>(j) * static_cast<size_t>(ld_) + static_cast<size_t>(i); }
  float* Re(int j) { return re_.data() + At(0, j); }
  float* Im(int j) { return im_.data() + At(0, j); }
  const float* Re(int j) const { return re_.data() + At(0, j); }
  const float* Im(int j) const { return im_.data() + At(0, j); }

  bool FactorSymmetric();
  bool FactorPivoted();
  bool PanelSymmetric(int k0, int kb);
  bool PanelPivoted(int k0, int kb);
  void UpdateTrailing(int k0, int kb, bool symmetric);
  // Column blocks first, first + stride, … of the trailing update on the 4-float path.
  void PortableColumns(int k0, int kb, bool symmetric, size_t tileSize, int first, int stride,
                       std::vector<float>& packU);
  int HelperThreads(int order) const;
  void SwapRows(int a, int b, int j0, int j1);
  // b(k0..k1−1) ← L⁻¹·b over the unit lower triangle of columns k0..k1−1,
  // for `count` right-hand sides `stride` floats apart.
  void ForwardUnitLower(int k0, int k1, float* br, float* bi, int count, size_t stride) const;
  // The `count` right-hand sides of Solve, all at once.
  void SolveSymmetric(float* planes, int count) const;
  void SolvePivoted(float* br, float* bi) const;
  void RestoreLower();
  static constexpr int kNormColumns = 8;
  template <int B>
  void RowNorms(int j0);
  bool BackwardErrorsAcceptable(const float* w, const float* u, int count);

  int n_ = 0, ld_ = 0;
  bool pivoted_ = false;
  std::vector<float> re_, im_;
  std::vector<int> piv_;
  std::vector<float> diagRe_, diagIm_, rowNorm_, residual_, original_;
  std::vector<float> packL_, packU_;
  const SpareCores* spare_ = nullptr;
};

}  // namespace terva
