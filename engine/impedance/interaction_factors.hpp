// Pile-soil-pile interaction factors: the fraction of a loaded pile's own head
// displacement that a neighbouring pile feels, as fitted functions of the
// pair's spacing, the pile and soil stiffness ratios and, above 10 rad/s, the
// dimensionless frequency.
#pragma once

#include <array>

#include "engine/core/scalar.hpp"

namespace terva {

// The pile and soil ratios the vertical factor depends on.
struct VerticalFactorRatios {
  Real slenderness = 0;  // L/d
  Real stiffness = 0;    // K = Ep·A1 / (Es·π·d²/4)
  Real baseRatio = 0;    // Eb/Es
  Real poisson = 0;      // mean Poisson's ratio along the pile
  Real radiusRatio = 1;  // rN/r1
};

// Static vertical factor at the spacing ratio x = s/d: 1 for x <= 0, otherwise
// interpolated in L/d between the anchors at L/d = 10, 25, 50 and 100 (the
// nearest anchor outside that range) and corrected for Poisson's ratio.
// K and Eb/Es enter through their logarithms; values that are not positive
// are taken as the smallest positive ones, so the result stays finite.
Real StaticVerticalFactor(Real spacing, const VerticalFactorRatios& r);

// The three static horizontal factors at the spacing ratio s/d, for a pair
// line at ψ = 0 and at ψ = 90° to the load: horizontal load on deflection,
// the coupling term, moment on rotation; each already multiplied by
// (1 − 0.125·hf) when the free-length ratio hf is not 0. s/d = 0 gives 1.
struct HorizontalStaticFactors {
  std::array<Real, 3> at0{}, at90{};
};
HorizontalStaticFactors StaticHorizontalFactors(Real spacing, Real flexuralRatio, Real freeLength);

// The blend of the two directions for a pair line at ψ to the load:
// sin²ψ·α90 + cos²ψ·α0, for each of the three factors.
std::array<Real, 3> BlendHorizontal(const HorizontalStaticFactors& f, Real psi);

// Amplitude and phase fits of one frequency (a0 = ω·d/Vt), shared by every
// pile pair: the values at s/d = 2, 5 and 10 of the vertical fit (index 0) and
// of the six horizontal fits (1..3: α1..α3 at ψ = 0; 4..6: α1..α3 at ψ = 90°).
class DynamicFits {
 public:
  explicit DynamicFits(Real a0);
  Real a0() const { return a0_; }
  Real a() const { return a_; }

  // Frequency-dependent vertical factor of a pair with static factor alpha.
  Complex Vertical(Real alpha, Real spacing) const;
  // Frequency-dependent horizontal factors of a pair from its static ones.
  void Horizontal(const HorizontalStaticFactors& alpha, Real spacing, std::array<Complex, 3>& at0,
                  std::array<Complex, 3>& at90) const;

 private:
  Real a0_ = 0, a_ = 0;
  std::array<std::array<Real, 3>, 7> amp_{}, phase_{};  // at s/d = 2, 5, 10
};

}  // namespace terva
