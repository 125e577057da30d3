#include "engine/impedance/pile_group.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/report/report.hpp"
#include "engine/report/report_format.hpp"

namespace terva {

namespace {

constexpr Real kStaticLimit = 10.0f;   // rad/s; at and below it the static factors are used
constexpr Real kNoSoilRatio = 1.0e8f;  // stiffness ratio when the soil modulus is 0

// ---------------------------------------------------------------------------
// Dense complex systems in split storage (real and imaginary planes,
// column-major), so that every inner loop is a plain float loop.
//
// The group flexibility matrices are complex symmetric. They are factored
// first as L·D·Lᵀ without pivoting, working on the lower triangle only, which
// halves the work and leaves the strict upper triangle as a copy of the
// matrix. The solutions are then checked against that copy; when a pivot
// vanishes or the backward error shows growth, the lower triangle is restored
// and the matrix factored again by LU with partial pivoting.

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

class ComplexSystem {
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
  void SwapRows(int a, int b, int j0, int j1);
  void SolveSymmetric(float* br, float* bi) const;
  void SolvePivoted(float* br, float* bi) const;
  void RestoreLower();
  double BackwardError(const float* w, const float* u);

  int n_ = 0, ld_ = 0;
  bool pivoted_ = false;
  std::vector<float> re_, im_;
  std::vector<int> piv_;
  std::vector<float> diagRe_, diagIm_, rowNorm_, residual_, original_;
  std::vector<float> packL_, packU_;
};

void ComplexSystem::SwapRows(int a, int b, int j0, int j1) {
  for (int j = j0; j < j1; ++j) {
    std::swap(Re(j)[a], Re(j)[b]);
    std::swap(Im(j)[a], Im(j)[b]);
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

bool ComplexSystem::PanelSymmetric(int k0, int kb) {
  const int n = n_, kEnd = k0 + kb;
  float wr[kBlock], wi[kBlock];
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

bool ComplexSystem::PanelPivoted(int k0, int kb) {
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

void ComplexSystem::UpdateTrailing(int k0, int kb, bool symmetric) {
  const int j1 = k0 + kb, m = n_ - j1;
  if (m <= 0) return;
  if (!symmetric) {  // U12 = L11⁻¹·A12 (unit lower triangle of the panel)
    for (int j = j1; j < n_; ++j) {
      float* br = Re(j);
      float* bi = Im(j);
      for (int k = k0; k < j1 - 1; ++k) {
        const float ur = br[k], ui = bi[k];
        if (ur == 0.0f && ui == 0.0f) continue;
        const float* lr = Re(k);
        const float* li = Im(k);
        for (int i = k + 1; i < j1; ++i) {
          br[i] -= lr[i] * ur - li[i] * ui;
          bi[i] -= lr[i] * ui + li[i] * ur;
        }
      }
    }
  }
  // L21 by row tiles
  const int tiles = (m + kRows - 1) / kRows;
  const size_t tileSize = static_cast<size_t>(kb) * 2 * kRows;
  packL_.resize(static_cast<size_t>(tiles) * tileSize);
  for (int t = 0; t < tiles; ++t) {
    const int r0 = j1 + t * kRows, rows = std::min(kRows, n_ - r0);
    float* d = packL_.data() + static_cast<size_t>(t) * tileSize;
    for (int k = 0; k < kb; ++k, d += 2 * kRows) {
      const float* lr = Re(k0 + k) + r0;
      const float* li = Im(k0 + k) + r0;
      for (int r = 0; r < kRows; ++r) {
        d[r] = r < rows ? lr[r] : 0.0f;
        d[kRows + r] = r < rows ? li[r] : 0.0f;
      }
    }
  }
  packU_.resize(static_cast<size_t>(kb) * 8 * kCols);
  for (int c0 = j1; c0 < n_; c0 += kCols) {
    const int cols = std::min(kCols, n_ - c0);
    float* d = packU_.data();
    for (int k = 0; k < kb; ++k)
      for (int c = 0; c < kCols; ++c, d += 8) {
        float ur = 0.0f, ui = 0.0f;
        if (c < cols && symmetric) {  // D·Lᵀ: d_k·L(j, k)
          const int kk = k0 + k, j = c0 + c;
          const float dr = Re(kk)[kk], di = Im(kk)[kk], lr = Re(kk)[j], li = Im(kk)[j];
          ur = dr * lr - di * li;
          ui = dr * li + di * lr;
        } else if (c < cols) {
          ur = Re(c0 + c)[k0 + k];
          ui = Im(c0 + c)[k0 + k];
        }
        for (int q = 0; q < 4; ++q) d[q] = ur, d[4 + q] = ui;
      }
    // the symmetric update keeps to the lower triangle
    const int first = symmetric ? (c0 - j1) / kRows : 0;
    for (int t = first; t < tiles; ++t) {
      const int r0 = j1 + t * kRows, rows = std::min(kRows, n_ - r0);
      Lane4 accR[kCols][kLanes], accI[kCols][kLanes];
      TileProduct<kLanes, kCols>(kb, packL_.data() + static_cast<size_t>(t) * tileSize, packU_.data(), accR, accI);
      for (int c = 0; c < cols; ++c) {
        float* cr = Re(c0 + c) + r0;
        float* ci = Im(c0 + c) + r0;
        float sr[kRows], si[kRows];
        std::memcpy(sr, &accR[c], sizeof sr);
        std::memcpy(si, &accI[c], sizeof si);
        const int from = symmetric ? std::max(0, c0 + c - r0) : 0;
        for (int r = from; r < rows; ++r) cr[r] -= sr[r], ci[r] -= si[r];
      }
    }
  }
}

bool ComplexSystem::FactorSymmetric() {
  for (int k0 = 0; k0 < n_; k0 += kBlock) {
    const int kb = std::min(kBlock, n_ - k0);
    if (!PanelSymmetric(k0, kb)) return false;
    UpdateTrailing(k0, kb, true);
  }
  return true;
}

bool ComplexSystem::FactorPivoted() {
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

void ComplexSystem::SolveSymmetric(float* br, float* bi) const {
  const int n = n_;
  for (int k = 0; k < n; ++k) {  // L·y = b
    const float yr = br[k], yi = bi[k];
    if (yr == 0.0f && yi == 0.0f) continue;
    const float* lr = Re(k);
    const float* li = Im(k);
    for (int i = k + 1; i < n; ++i) {
      br[i] -= lr[i] * yr - li[i] * yi;
      bi[i] -= lr[i] * yi + li[i] * yr;
    }
  }
  for (int k = 0; k < n; ++k) {  // D·z = y
    float ir, ii;
    Reciprocal(Re(k)[k], Im(k)[k], ir, ii);
    const float zr = br[k] * ir - bi[k] * ii, zi = br[k] * ii + bi[k] * ir;
    br[k] = zr;
    bi[k] = zi;
  }
  for (int k = n - 1; k >= 0; --k) {  // Lᵀ·x = z
    float sr, si;
    SplitDot(Re(k) + k + 1, Im(k) + k + 1, br + k + 1, bi + k + 1, n - k - 1, sr, si);
    br[k] -= sr;
    bi[k] -= si;
  }
}

void ComplexSystem::SolvePivoted(float* br, float* bi) const {
  const int n = n_;
  for (int k = 0; k < n; ++k) {
    const int p = piv_[static_cast<size_t>(k)];
    if (p != k) std::swap(br[k], br[p]), std::swap(bi[k], bi[p]);
  }
  for (int k = 0; k < n; ++k) {  // L·y = P·b, unit diagonal
    const float yr = br[k], yi = bi[k];
    if (yr == 0.0f && yi == 0.0f) continue;
    const float* lr = Re(k);
    const float* li = Im(k);
    for (int i = k + 1; i < n; ++i) {
      br[i] -= lr[i] * yr - li[i] * yi;
      bi[i] -= lr[i] * yi + li[i] * yr;
    }
  }
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
void ComplexSystem::RestoreLower() {
  for (int j = 0; j < n_; ++j) {
    Re(j)[j] = diagRe_[static_cast<size_t>(j)];
    Im(j)[j] = diagIm_[static_cast<size_t>(j)];
    for (int i = j + 1; i < n_; ++i) {
      Re(j)[i] = Re(i)[j];
      Im(j)[i] = Im(i)[j];
    }
  }
}

// max|w − A·u| / (‖A‖∞·max|u| + max|w|), A from its strict upper triangle
// and the saved diagonal; |z| is taken as |Re z| + |Im z|.
double ComplexSystem::BackwardError(const float* w, const float* u) {
  const size_t n = static_cast<size_t>(n_);
  const float* ur = u;
  const float* ui = u + n;
  residual_.assign(w, w + 2 * n);
  float* rr = residual_.data();
  float* ri = rr + n;
  for (size_t j = 0; j < n; ++j) {
    const float* ar = Re(static_cast<int>(j));
    const float* ai = Im(static_cast<int>(j));
    const float dr = diagRe_[j], di = diagIm_[j];
    for (size_t i = 0; i < j; ++i) {  // the upper part of column j: A(i, j)·u(j)
      rr[i] -= ar[i] * ur[j] - ai[i] * ui[j];
      ri[i] -= ar[i] * ui[j] + ai[i] * ur[j];
    }
    float sr, si;  // and, by symmetry, row j left of the diagonal: Σ A(i, j)·u(i)
    SplitDot(ar, ai, ur, ui, static_cast<int>(j), sr, si);
    rr[j] -= sr + (dr * ur[j] - di * ui[j]);
    ri[j] -= si + (dr * ui[j] + di * ur[j]);
  }
  double r = 0, x = 0, b = 0, a = 0;
  for (size_t i = 0; i < n; ++i) {
    r = std::max(r, static_cast<double>(std::abs(rr[i]) + std::abs(ri[i])));
    x = std::max(x, static_cast<double>(std::abs(ur[i]) + std::abs(ui[i])));
    b = std::max(b, static_cast<double>(std::abs(w[i]) + std::abs(w[n + i])));
    a = std::max(a, static_cast<double>(rowNorm_[i]));
  }
  const double scale = a * x + b;
  return scale > 0.0 ? r / scale : (r > 0.0 ? 1.0 : 0.0);
}

bool ComplexSystem::Solve(float* planes, int count) {
  const size_t n = static_cast<size_t>(n_), total = 2 * n * static_cast<size_t>(count > 0 ? count : 0);
  pivoted_ = false;
  diagRe_.resize(n);
  diagIm_.resize(n);
  rowNorm_.assign(n, 0.0f);
  for (size_t j = 0; j < n; ++j) {
    const int jj = static_cast<int>(j);
    diagRe_[j] = Re(jj)[j];
    diagIm_[j] = Im(jj)[j];
    rowNorm_[j] += std::abs(diagRe_[j]) + std::abs(diagIm_[j]);
    for (size_t i = 0; i < j; ++i) {
      const float a = std::abs(Re(jj)[i]) + std::abs(Im(jj)[i]);
      rowNorm_[i] += a;
      rowNorm_[j] += a;
    }
  }
  original_.assign(planes, planes + total);

  bool accepted = FactorSymmetric();
  for (int c = 0; accepted && c < count; ++c) {
    float* b = planes + 2 * n * static_cast<size_t>(c);
    SolveSymmetric(b, b + n);
    const double eta = BackwardError(original_.data() + 2 * n * static_cast<size_t>(c), b);
    accepted = eta <= kBackwardTolerance;  // also false for NaN
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

// ---------------------------------------------------------------------------
// Interaction tables, kept from the set-up for the frequency loop.

struct InteractionTables {
  bool prepared = false;  // the set-up ran for the current group
  bool usable = false;    // and found the interaction path possible
  int piles = 0;
  std::uint64_t inputs = 0;  // fingerprint of the data the tables were made from
  Real diameter = 0, tipVelocity = 0;
  GroupSolveCounts solves;
  std::vector<PairInteraction> pairs;  // (i, j), i < j, row by row
  ComplexSystem vertical, loadX, loadY;
  std::vector<float> rhs;  // right-hand sides and solutions, split planes
};

InteractionTables& Tables() {
  static InteractionTables* tables = new InteractionTables();
  return *tables;
}

// Position of the pair i < j (0-based) in the packed table of n piles.
size_t PairIndex(int i, int j, int n) {
  const size_t si = static_cast<size_t>(i);
  return si * static_cast<size_t>(2 * n - i - 1) / 2 + static_cast<size_t>(j - i - 1);
}

int PileCount(const ProblemData& p) { return RowsOf(p.piles.PileCountValue, kMaxPiles); }

// A fingerprint of everything the set-up reads, so that tables made for
// another group are never used.
std::uint64_t SetUpInputs(const ProblemData& p) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](Real v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    h = (h ^ bits) * 1099511628211ull;
  };
  const int n = PileCount(p), layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  mix(static_cast<Real>(n)), mix(static_cast<Real>(layers)), mix(p.status.BatteredOn ? 1.0f : 0.0f);
  mix(p.status.InteractionOn ? 1.0f : 0.0f);
  mix(static_cast<Real>(p.status.SoilMedia)), mix(p.Gravity), mix(p.constants.PileLength),
      mix(p.constants.YoungsModulus);
  mix(p.base.BaseShearWaveVelocity), mix(p.base.BaseUnitWeight), mix(p.base.BasePoissonRatio);
  for (int i = 1; i <= n; ++i) {
    mix(p.piles.PileX(i)), mix(p.piles.PileY(i)), mix(p.piles.BatterAngle(i));
    for (Real a : p.piles.BatterDirectionAngles(i)) mix(a);
  }
  for (int k = 1; k <= std::max(layers, 1); ++k) {
    const PileSections& s = p.sections;
    mix(s.LayerThickness(k)), mix(s.PileRadiusX(k)), mix(s.PileRadiusY(k)), mix(s.PileArea(k));
    mix(s.PileInertiaX(k)), mix(s.PileInertiaY(k));
    mix(p.soil.ShearWaveVelocity(k)), mix(p.soil.SoilUnitWeight(k)), mix(p.soil.SoilPoissonRatio(k));
  }
  return h;
}

bool IsBattered(const ProblemData& p, int i) { return p.status.BatteredOn && p.piles.BatterAngle(i) != 0.0f; }

Real MeanRadius(const ProblemData& p, int k) { return (p.sections.PileRadiusX(k) + p.sections.PileRadiusY(k)) / 2.0f; }

// Shear wave velocity at the pile tip. The parabolic profile keeps only its
// layers' velocities, each Vt·((depth of the layer's middle)/L)^¼; the tip
// value is recovered from the deepest layer.
Real TipVelocity(const ProblemData& p, int layers) {
  if (layers < 1) return 0.0f;
  const Real deepest = p.soil.ShearWaveVelocity(layers);
  if (p.status.SoilMedia != kParabolic) return deepest;
  Real depth = 0;
  for (int k = 1; k <= layers; ++k) depth += p.sections.LayerThickness(k);
  const Real length = p.constants.PileLength;
  const Real relative = length != 0.0f ? (depth - p.sections.LayerThickness(layers) / 2.0f) / length : 0.0f;
  return relative > 0.0f ? deepest / std::pow(relative, 0.25f) : deepest;
}

// Young's modulus of a soil from its shear wave velocity: 2(1 + ν)·Vs²·γ/g.
Real SoilModulus(Real nu, Real vs, Real gamma, Real g) {
  return g > 0.0f ? 2.0f * (1.0f + nu) * vs * vs * gamma / g : 0.0f;
}

void Ignored(const std::string& why) { Out().Line("*** " + why + " - INTERACTION IGNORED ***"); }

// 6 × 6 complex inverse by Gauss-Jordan with partial pivoting, in double.
bool Invert6(const ComplexMatrix6& E, ComplexMatrix6& F) {
  using C = std::complex<double>;
  C a[6][12];
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      a[i][j] = C(E(i + 1, j + 1).real(), E(i + 1, j + 1).imag());
      a[i][j + 6] = i == j ? 1.0 : 0.0;
    }
  for (int k = 0; k < 6; ++k) {
    int p = k;
    for (int i = k + 1; i < 6; ++i)
      if (std::abs(a[i][k]) > std::abs(a[p][k])) p = i;
    const double m = std::abs(a[p][k]);
    if (!(m > 0.0) || !std::isfinite(m)) return false;
    if (p != k)
      for (int j = 0; j < 12; ++j) std::swap(a[k][j], a[p][j]);
    const C inv = 1.0 / a[k][k];
    for (int j = 0; j < 12; ++j) a[k][j] *= inv;
    for (int i = 0; i < 6; ++i) {
      if (i == k) continue;
      const C f = a[i][k];
      if (f == 0.0) continue;
      for (int j = 0; j < 12; ++j) a[i][j] -= f * a[k][j];
    }
  }
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      const C v = a[i][j + 6];
      F(i + 1, j + 1) = Complex(static_cast<Real>(v.real()), static_cast<Real>(v.imag()));
      if (!std::isfinite(F(i + 1, j + 1).real()) || !std::isfinite(F(i + 1, j + 1).imag())) return false;
    }
  return true;
}

// The flexibility entries one pile contributes to the diagonal of the group problems.
struct PileFlexibility {
  Complex f11, f22, f33, f44, f55, f15, f24;
};

PileFlexibility FlexibilityOf(const ComplexMatrix6& F) {
  return {F(1, 1), F(2, 2), F(3, 3), F(4, 4), F(5, 5), F(1, 5), F(2, 4)};
}

// Everything one frequency of the interaction path needs.
struct GroupFrequency {
  int piles = 0;
  bool fixedHeads = true;
  PileFlexibility single;            // the unrotated pile: off-diagonal blocks
  std::vector<PileFlexibility> own;  // each pile's own: diagonal blocks
};

// The single pile's flexibility and each pile's own (a battered pile's rotated
// matrix inverted). False when one of them cannot be formed.
bool PrepareFrequency(const ProblemData& p, const ComplexMatrix6& E, GroupFrequency& g) {
  g.piles = PileCount(p);
  g.fixedHeads = RoundCount(p.piles.HeadFixity) != 0;
  ComplexMatrix6 F;
  if (!Invert6(E, F)) return false;
  g.single = FlexibilityOf(F);
  g.own.assign(static_cast<size_t>(g.piles), g.single);
  for (int i = 1; i <= g.piles; ++i) {
    if (!IsBattered(p, i)) continue;
    ComplexMatrix6 Fi;
    if (!Invert6(BatteredPileMatrix(E, p.piles.BatterDirectionAngles(i)), Fi)) return false;
    g.own[static_cast<size_t>(i - 1)] = FlexibilityOf(Fi);
  }
  return true;
}

// Fills the three group flexibility matrices of one frequency. Every pair's
// factors are formed once and written into all three problems.
void BuildGroupMatrices(const GroupFrequency& g, Real omega, InteractionTables& t) {
  const int n = g.piles;
  const int orderH = g.fixedHeads ? 2 * n : n;
  t.vertical.Resize(n);
  t.loadX.Resize(orderH);
  t.loadY.Resize(orderH);
  const PileFlexibility& s = g.single;

  for (int i = 0; i < n; ++i) {
    const PileFlexibility& f = g.own[static_cast<size_t>(i)];
    t.vertical.Set(i, i, f.f33);
    if (g.fixedHeads) {
      const int d = 2 * i, r = 2 * i + 1;
      t.loadX.Set(d, d, f.f11), t.loadX.Set(d, r, f.f15), t.loadX.Set(r, d, f.f15), t.loadX.Set(r, r, f.f55);
      t.loadY.Set(d, d, f.f22), t.loadY.Set(d, r, f.f24), t.loadY.Set(r, d, f.f24), t.loadY.Set(r, r, f.f44);
    } else {
      t.loadX.Set(i, i, f.f11);
      t.loadY.Set(i, i, f.f22);
    }
  }

  const bool dynamic = omega > kStaticLimit;
  const DynamicFits fits(dynamic && t.tipVelocity != 0.0f ? omega * t.diameter / t.tipVelocity : 0.0f);
  std::array<Complex, 3> at0{}, at90{}, ax{}, ay{};
  size_t at = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j, ++at) {
      const PairInteraction& q = t.pairs[at];
      Complex av;
      if (dynamic) {
        av = fits.Vertical(q.vertical, q.spacing);
        fits.Horizontal(q.horizontal, q.spacing, at0, at90);
        for (int k = 0; k < 3; ++k) {
          ax[k] = q.sin2X * at90[k] + q.cos2X * at0[k];
          ay[k] = q.sin2Y * at90[k] + q.cos2Y * at0[k];
        }
      } else {
        av = q.vertical;
        for (int k = 0; k < 3; ++k) {
          ax[k] = q.sin2X * q.horizontal.at90[k] + q.cos2X * q.horizontal.at0[k];
          ay[k] = q.sin2Y * q.horizontal.at90[k] + q.cos2Y * q.horizontal.at0[k];
        }
      }
      const Complex v = av * s.f33;
      t.vertical.Set(i, j, v);
      t.vertical.Set(j, i, v);
      if (g.fixedHeads) {
        const Complex x11 = ax[0] * s.f11, x15 = ax[1] * s.f15, x55 = ax[2] * s.f55;
        const Complex y22 = ay[0] * s.f22, y24 = ay[1] * s.f24, y44 = ay[2] * s.f44;
        for (const auto& [a, b] : {std::pair{i, j}, std::pair{j, i}}) {
          const int da = 2 * a, ra = 2 * a + 1, db = 2 * b, rb = 2 * b + 1;
          t.loadX.Set(da, db, x11), t.loadX.Set(da, rb, x15), t.loadX.Set(ra, db, x15), t.loadX.Set(ra, rb, x55);
          t.loadY.Set(da, db, y22), t.loadY.Set(da, rb, y24), t.loadY.Set(ra, db, y24), t.loadY.Set(ra, rb, y44);
        }
      } else {
        const Complex x11 = ax[0] * s.f11, y22 = ay[0] * s.f22;
        t.loadX.Set(i, j, x11), t.loadX.Set(j, i, x11);
        t.loadY.Set(i, j, y22), t.loadY.Set(j, i, y22);
      }
    }
}

// Solves A·U = W for the given real weight vectors and returns, for every
// pair (a, b) asked for, Σ W(:, a)·U(:, b) = W_aᵀ·A⁻¹·W_b.
template <size_t NW, size_t NS>
bool WeightedInverseSums(ComplexSystem& system, const std::array<std::vector<Real>, NW>& w,
                         const std::array<std::pair<int, int>, NS>& which, std::array<Complex, NS>& out,
                         std::vector<float>& scratch, GroupSolveCounts& counts) {
  const size_t n = static_cast<size_t>(system.order());
  scratch.assign(2 * n * NW, 0.0f);
  for (size_t c = 0; c < NW; ++c) std::copy(w[c].begin(), w[c].end(), scratch.data() + 2 * n * c);
  const bool solved = system.Solve(scratch.data(), static_cast<int>(NW));
  ++(system.pivoted() ? counts.pivoted : counts.symmetric);
  if (!solved) return false;
  for (size_t s = 0; s < NS; ++s) {
    const auto [a, b] = which[s];
    const float* ur = scratch.data() + 2 * n * static_cast<size_t>(b);
    const float* ui = ur + n;
    double sr = 0, si = 0;
    for (size_t i = 0; i < n; ++i) {
      sr += static_cast<double>(w[static_cast<size_t>(a)][i]) * ur[i];
      si += static_cast<double>(w[static_cast<size_t>(a)][i]) * ui[i];
    }
    out[s] = Complex(static_cast<Real>(sr), static_cast<Real>(si));
    if (!std::isfinite(out[s].real()) || !std::isfinite(out[s].imag())) return false;
  }
  return true;
}

// The group sums from the three flexibility problems; false when one of them
// cannot be solved.
bool InteractionSums(const ProblemData& p, const GroupFrequency& g, InteractionTables& t, GroupSums& s) {
  const size_t n = static_cast<size_t>(g.piles);
  std::vector<Real> X(n), Y(n), ones(n, 1.0f);
  for (size_t i = 0; i < n; ++i)
    X[i] = p.piles.PileX(static_cast<int>(i) + 1), Y[i] = p.piles.PileY(static_cast<int>(i) + 1);

  // vertical: M = 1ᵀK1, N = 1ᵀKX, O = 1ᵀKY, P = XᵀKY, Q = XᵀKX, R = YᵀKY
  {
    std::array<Complex, 6> r;
    if (!WeightedInverseSums<3, 6>(t.vertical, {ones, X, Y}, {{{0, 0}, {0, 1}, {0, 2}, {1, 2}, {1, 1}, {2, 2}}}, r,
                                   t.rhs, t.solves))
      return false;
    s.M = r[0], s.N = r[1], s.O = r[2], s.P = r[3], s.Q = r[4], s.R = r[5];
  }
  // horizontal: the weight of a lever arm goes with the pile whose head
  // deflection the entry refers to (the motion index)
  auto horizontal = [&](ComplexSystem& system, const std::vector<Real>& arm, Complex& direct, Complex& armed,
                        Complex& armed2, Complex& coupling, Complex& couplingArmed, Complex& rocking) {
    if (!g.fixedHeads) {
      std::array<Complex, 3> r;
      if (!WeightedInverseSums<2, 3>(system, {ones, arm}, {{{0, 0}, {0, 1}, {1, 1}}}, r, t.rhs, t.solves)) return false;
      direct = r[0], armed = r[1], armed2 = r[2];
      coupling = couplingArmed = rocking = Complex(0.0f, 0.0f);
      return true;
    }
    std::vector<Real> deflection(2 * n, 0.0f), deflectionArm(2 * n, 0.0f), rotation(2 * n, 0.0f);
    for (size_t i = 0; i < n; ++i) deflection[2 * i] = 1.0f, deflectionArm[2 * i] = arm[i], rotation[2 * i + 1] = 1.0f;
    std::array<Complex, 6> r;
    if (!WeightedInverseSums<3, 6>(system, {deflection, deflectionArm, rotation},
                                   {{{0, 0}, {0, 1}, {1, 1}, {2, 0}, {2, 1}, {2, 2}}}, r, t.rhs, t.solves))
      return false;
    direct = r[0], armed = r[1], armed2 = r[2], coupling = r[3], couplingArmed = r[4], rocking = r[5];
    return true;
  };
  if (!horizontal(t.loadX, Y, s.A, s.C, s.E2, s.G, s.I, s.Kr)) return false;
  if (!horizontal(t.loadY, X, s.B, s.D, s.F2, s.H, s.J, s.L4)) return false;
  return true;
}

// The element matrix of pile i (1-based) in global axes.
ComplexMatrix6 PileMatrix(const ProblemData& p, const ComplexMatrix6& E, int i) {
  return IsBattered(p, i) ? BatteredPileMatrix(E, p.piles.BatterDirectionAngles(i)) : E;
}

// Whether this frequency can take the interaction path at all, running the
// set-up when the driver has not run it for this group.
bool InteractionApplies(const ProblemData& p) {
  const int n = PileCount(p);
  if (!p.status.InteractionOn || n <= 1) return false;
  InteractionTables& t = Tables();
  if (!t.prepared || t.piles != n || t.inputs != SetUpInputs(p)) SetUpPileInteraction(p);
  return t.usable && t.piles == n && t.tipVelocity != 0.0f;
}

}  // namespace

// ---------------------------------------------------------------------------

ComplexMatrix6 BatteredPileMatrix(const ComplexMatrix6& E, const std::array<Real, 9>& directionAngles) {
  const double toRadians = std::acos(-1.0) / 180.0;
  RealMatrix6 R;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const Real v = static_cast<Real>(std::cos(directionAngles[static_cast<size_t>(3 * r + c)] * toRadians));
      R(r + 1, c + 1) = v;
      R(r + 4, c + 4) = v;
    }
  ComplexMatrix6 ER, out;  // E·R, then Rᵀ·(E·R)
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      Complex sum(0.0f, 0.0f);
      for (int k = 1; k <= 6; ++k) sum += E(i, k) * R(k, j);
      ER(i, j) = sum;
    }
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      Complex sum(0.0f, 0.0f);
      for (int k = 1; k <= 6; ++k) sum += R(k, i) * ER(k, j);
      out(i, j) = sum;
    }
  return out;
}

GroupSums SumPiles(const ProblemData& p, const ComplexMatrix6& E) {
  GroupSums s{};
  const int n = PileCount(p);
  for (int i = 1; i <= n; ++i) {
    const ComplexMatrix6 Ei = PileMatrix(p, E, i);
    const Real x = p.piles.PileX(i), y = p.piles.PileY(i);
    s.A += Ei(1, 1);
    s.B += Ei(2, 2);
    s.C += y * Ei(1, 1);
    s.D += x * Ei(2, 2);
    s.E2 += y * y * Ei(1, 1);
    s.F2 += x * x * Ei(2, 2);
    s.G += Ei(1, 5);
    s.H += Ei(2, 4);
    s.I += y * Ei(1, 5);
    s.J += x * Ei(2, 4);
    s.Kr += Ei(5, 5);
    s.L4 += Ei(4, 4);
    s.M += Ei(3, 3);
    s.N += x * Ei(3, 3);
    s.O += y * Ei(3, 3);
    s.P += x * y * Ei(3, 3);
    s.Q += x * x * Ei(3, 3);
    s.R += y * y * Ei(3, 3);
    s.S += Ei(6, 6);
  }
  return s;
}

void FoundationMatrixFromSums(const GroupSums& s, Real h, ComplexMatrix6& A) {
  A.Zero();
  auto put = [&A](int i, int j, Complex v) { A(i, j) = v, A(j, i) = v; };
  put(1, 1, s.A);
  put(2, 2, s.B);
  put(3, 3, s.M);
  put(1, 5, -h * s.A + s.G);
  put(2, 4, h * s.B + s.H);
  put(1, 6, s.C);
  put(2, 6, -s.D);
  put(3, 4, -s.O);
  put(3, 5, s.N);
  put(4, 4, h * h * s.B + 2.0f * h * s.H + s.L4 + s.R);
  put(4, 5, -s.P);
  put(4, 6, -h * s.D - s.J);
  put(5, 5, h * h * s.A - 2.0f * h * s.G + s.Kr + s.Q);
  put(5, 6, -h * s.C + s.I);
  put(6, 6, s.E2 + s.F2 + s.S);
}

void SetUpPileInteraction(const ProblemData& p) {
  InteractionTables& t = Tables();
  const int n = PileCount(p);
  t.prepared = true;
  t.usable = false;
  t.piles = n;
  t.inputs = SetUpInputs(p);
  t.solves = GroupSolveCounts{};
  t.pairs.clear();
  if (!p.status.InteractionOn || n <= 1) return;

  // ratios of the pile and the soil
  const int layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  const Real d = 2.0f * MeanRadius(p, 1);
  if (!(d > 0.0f) || !std::isfinite(d)) {
    Ignored("PILE DIAMETER IS NOT POSITIVE");
    return;
  }
  const Real L = p.constants.PileLength, g = p.Gravity;
  const Real pi = static_cast<Real>(std::acos(-1.0));
  const Real freeLength = layers >= 1 && p.soil.ShearWaveVelocity(1) == 0.0f ? p.sections.LayerThickness(1) / d : 0.0f;
  const BaseSoil& b = p.base;
  const Real Eb = SoilModulus(b.BasePoissonRatio, b.BaseShearWaveVelocity, b.BaseUnitWeight, g);
  Real sumE = 0, sumNu = 0, sumL = 0;
  for (int k = 1; k <= layers; ++k) {
    const Real Lk = p.sections.LayerThickness(k);
    sumE += SoilModulus(p.soil.SoilPoissonRatio(k), p.soil.ShearWaveVelocity(k), p.soil.SoilUnitWeight(k), g) * Lk;
    sumNu += p.soil.SoilPoissonRatio(k) * Lk;
    sumL += Lk;
  }
  const Real Es = sumL != 0.0f ? sumE / sumL : 0.0f;
  const Real meanNu = sumL != 0.0f ? sumNu / sumL : 0.0f;
  const Real Vt = TipVelocity(p, layers);
  const Real Et =
      layers >= 1 ? SoilModulus(p.soil.SoilPoissonRatio(layers), Vt, p.soil.SoilUnitWeight(layers), g) : 0.0f;
  const Real Ep = p.constants.YoungsModulus;

  VerticalFactorRatios ratios;
  ratios.slenderness = L / d;
  ratios.stiffness = Es != 0.0f ? Ep * p.sections.PileArea(1) / (Es * pi * d * d / 4.0f) : kNoSoilRatio;
  ratios.baseRatio = Es != 0.0f ? Eb / Es : kNoSoilRatio;
  ratios.poisson = meanNu;
  ratios.radiusRatio = layers >= 1 ? MeanRadius(p, layers) / MeanRadius(p, 1) : 1.0f;
  const Real KR = Et != 0.0f ? Ep * (p.sections.PileInertiaX(1) + p.sections.PileInertiaY(1)) / 2.0f /
                                   (Et * pi * d * d * d * d / 64.0f)
                             : kNoSoilRatio;

  // working coordinates: a battered pile is represented one third of its length below the head
  const Real toRadians = pi / 180.0f;
  std::vector<Real> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    Real xi = p.piles.PileX(i), yi = p.piles.PileY(i);
    if (IsBattered(p, i)) {
      const auto& angles = p.piles.BatterDirectionAngles(i);
      xi += std::tan(angles[0] * toRadians) * L / 3.0f;
      yi += std::tan(angles[4] * toRadians) * L / 3.0f;
    }
    x[static_cast<size_t>(i - 1)] = xi;
    y[static_cast<size_t>(i - 1)] = yi;
  }

  t.pairs.resize(static_cast<size_t>(n) * static_cast<size_t>(n - 1) / 2);
  size_t at = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j, ++at) {
      const Real dx = std::abs(x[static_cast<size_t>(i)] - x[static_cast<size_t>(j)]);
      const Real dy = std::abs(y[static_cast<size_t>(i)] - y[static_cast<size_t>(j)]);
      PairInteraction& q = t.pairs[at];
      q.spacing = std::sqrt(dx * dx + dy * dy) / d;
      if (!std::isfinite(q.spacing)) {
        Ignored("PILE LOCATIONS ARE NOT FINITE");
        t.pairs.clear();
        return;
      }
      if (q.spacing == 0.0f) {
        // equal factors of 1 make two rows of the group flexibility equal
        Ignored("PILES " + std::to_string(i + 1) + " AND " + std::to_string(j + 1) + " COINCIDE");
        t.pairs.clear();
        return;
      }
      const Real psiX = dx == 0.0f ? pi / 2.0f : std::atan(dy / dx);
      const Real psiY = dy == 0.0f ? pi / 2.0f : std::atan(dx / dy);
      const Real sx = std::sin(psiX), cx = std::cos(psiX), sy = std::sin(psiY), cy = std::cos(psiY);
      q.sin2X = sx * sx, q.cos2X = cx * cx, q.sin2Y = sy * sy, q.cos2Y = cy * cy;
      q.vertical = StaticVerticalFactor(q.spacing, ratios);
      q.horizontal = StaticHorizontalFactors(q.spacing, KR, freeLength);
    }
  t.diameter = d;
  t.tipVelocity = std::isfinite(Vt) ? Vt : 0.0f;
  t.usable = true;
}

bool PileInteraction(int i, int j, PairInteraction& out) {
  const InteractionTables& t = Tables();
  if (!t.usable || i == j || i < 1 || j < 1 || i > t.piles || j > t.piles) return false;
  out = t.pairs[PairIndex(std::min(i, j) - 1, std::max(i, j) - 1, t.piles)];
  return true;
}

GroupSolveCounts PileGroupSolveCounts() { return Tables().solves; }

bool GroupFlexibility(const ProblemData& p, const ComplexMatrix6& E, Real omega, GroupFlexibilityMatrices& out) {
  out = GroupFlexibilityMatrices{};
  if (!InteractionApplies(p)) return false;
  GroupFrequency g;
  if (!PrepareFrequency(p, E, g)) return false;
  InteractionTables& t = Tables();
  BuildGroupMatrices(g, omega, t);
  auto copy = [](const ComplexSystem& s, std::vector<Complex>& F) {
    const size_t n = static_cast<size_t>(s.order());
    F.resize(n * n);
    for (size_t j = 0; j < n; ++j)
      for (size_t i = 0; i < n; ++i) F[j * n + i] = s.Get(static_cast<int>(i), static_cast<int>(j));
  };
  out.vertical = t.vertical.order();
  out.horizontal = t.loadX.order();
  copy(t.vertical, out.V);
  copy(t.loadX, out.X);
  copy(t.loadY, out.Y);
  return true;
}

void AssemblePileGroup(const ProblemData& p, const ComplexMatrix6& E, Real omega, ComplexMatrix6& A) {
  const Real h = p.constants.CentreOfGravityHeight;
  if (InteractionApplies(p)) {
    GroupFrequency g;
    GroupSums s{};
    InteractionTables& t = Tables();
    if (!PrepareFrequency(p, E, g)) {
      Out().Line(fmt::Line("*** PILE FLEXIBILITY CANNOT BE FORMED AT ")
                     .PE(omega, 10, 3)
                     .A(" RAD/SEC - INTERACTION IGNORED ***"));
    } else {
      BuildGroupMatrices(g, omega, t);
      if (InteractionSums(p, g, t, s)) {
        for (int i = 1; i <= g.piles; ++i) s.S += PileMatrix(p, E, i)(6, 6);
        FoundationMatrixFromSums(s, h, A);
        return;
      }
      Out().Line(fmt::Line("*** PILE GROUP FLEXIBILITY IS SINGULAR AT ")
                     .PE(omega, 10, 3)
                     .A(" RAD/SEC - INTERACTION IGNORED ***"));
    }
  }
  FoundationMatrixFromSums(SumPiles(p, E), h, A);
}

}  // namespace terva
