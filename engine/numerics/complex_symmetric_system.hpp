// Dense complex symmetric systems with several right-hand sides, as the pile
// group's flexibility problems give them.
//
// The matrix is held in split storage (real and imaginary planes,
// column-major), so that every inner loop is a plain float loop. Factor
// factors it as L·D·Lᵀ without pivoting, working on the lower triangle only,
// which halves the work and leaves the strict upper triangle as a copy of the
// matrix. Solve checks its solutions against that copy; when a pivot vanishes
// (in Factor) or the backward error shows growth (in Solve), the lower
// triangle is restored and the matrix factored again by LU with partial
// pivoting, and the solutions are formed from those factors.
//
//   system.Resize(n); system.Set(i, j, a) …;
//   system.Factor();
//   if (system.Solve(planes, count) != ComplexSymmetricSystem::Status::kSuccess) …
//
// The kernels (simd_kernels.hpp) run on the widest vectors the processor
// offers and may borrow spare cores (thread_split.hpp); every width and every
// thread count gives the same bits.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/core/scalar.hpp"
#include "engine/numerics/thread_split.hpp"

namespace terva {

class ComplexSymmetricSystem {
 public:
  enum class Status {
    kSuccess,      // factored; or solved, every solution finite
    kNotFactored,  // no factors: resized and not factored since
    kSingular,     // the LU factorisation met a zero or non-finite pivot: no factors
    kNotFinite,    // solved, but a solution is not finite (the factors stay usable)
  };

  // A zero matrix of order n (negative: 0), not factored.
  void Resize(int n) {
    n_ = n > 0 ? n : 0;
    ld_ = (n_ + 7) / 8 * 8;
    const size_t size = static_cast<size_t>(ld_) * static_cast<size_t>(n_);
    re_.assign(size, 0.0f);
    im_.assign(size, 0.0f);
    piv_.assign(static_cast<size_t>(n_), 0);
    pivoted_ = factored_ = false;
    info_ = Status::kNotFactored;
  }
  int order() const { return n_; }
  // The entries of the matrix, between Resize and Factor; the matrix must be
  // symmetric. Factor overwrites the storage with the factors.
  void Set(int i, int j, Complex v) {
    re_[At(i, j)] = v.real();
    im_[At(i, j)] = v.imag();
  }
  Complex Get(int i, int j) const { return Complex(re_[At(i, j)], im_[At(i, j)]); }

  // Factors the matrix in place: L·D·Lᵀ, or LU with partial pivoting when a
  // pivot of L·D·Lᵀ is zero or not finite. kSuccess or kSingular.
  Status Factor();

  // Solves A·X = B for `count` right-hand sides, each held as n real parts
  // followed by n imaginary parts, overwriting them with the solutions, from
  // the factors of Factor. When the backward error of an L·D·Lᵀ solution
  // exceeds 1e-5, the matrix is factored again by LU (pivoted() turns true)
  // and all `count` are solved from the original right-hand sides; later calls
  // use the LU factors. kSuccess, kNotFinite, or the status of a failed Factor
  // or LU factorisation (kNotFactored, kSingular: the right-hand sides are
  // left as given).
  Status Solve(float* planes, int count);

  // The outcome of the last Factor or Solve (kNotFactored after Resize).
  Status info() const { return info_; }
  // Whether the LU fall-back was needed since the last Factor.
  bool pivoted() const { return pivoted_; }

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
  static constexpr double kBackwardTolerance = 1.0e-5;
  static constexpr int kNormColumns = 8;

  size_t At(int i, int j) const { return static_cast<size_t>(j) * static_cast<size_t>(ld_) + static_cast<size_t>(i); }
  float* Re(int j) { return re_.data() + At(0, j); }
  float* Im(int j) { return im_.data() + At(0, j); }
  const float* Re(int j) const { return re_.data() + At(0, j); }
  const float* Im(int j) const { return im_.data() + At(0, j); }

  bool FactorSymmetric();
  bool FactorPivoted();
  bool PanelPivoted(int k0, int kb);
  void UpdateTrailing(int k0, int kb, bool symmetric);
  void SwapRows(int a, int b, int j0, int j1);
  // b(k0..k1−1) ← L⁻¹·b over the unit lower triangle of columns k0..k1−1,
  // for `count` right-hand sides `stride` floats apart.
  void ForwardUnitLower(int k0, int k1, float* br, float* bi, int count, size_t stride) const;
  // The `count` right-hand sides of Solve, all at once.
  void SolveSymmetric(float* planes, int count) const;
  void SolvePivoted(float* planes, int count) const;
  void RestoreLower();
  template <int B>
  void RowNorms(int j0);
  bool BackwardErrorsAcceptable(const float* w, const float* u, int count);

  int n_ = 0, ld_ = 0;
  bool pivoted_ = false, factored_ = false;
  Status info_ = Status::kNotFactored;
  std::vector<float> re_, im_;
  std::vector<int> piv_;
  std::vector<float> diagRe_, diagIm_, rowNorm_, residual_, original_;
  std::vector<float> packL_, packU_;
  const SpareCores* spare_ = nullptr;
};

}  // namespace terva
