// Head impedance of a single pile (or of a multilayer foundation's column):
// a chain of elements, one per layer, in the soil reactions of its layers and
// on the soil below the tip.
#pragma once

#include <array>

#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"

namespace terva {

// The three runs of one frequency: the layers' mean radii with the moments of
// inertia about X; the radii in X with the moments about X; the radii in Y
// with the moments about Y.
enum class PileRun { kMeanRadii, kRadiiX, kRadiiY };

struct PileModel {
  int soilCode = 1;               // 1 layered, 0 parabolic, -1 multilayer foundation
  int layers = 0;                 // elements (rounded LayerCountValue)
  int adjacent = 0;               // multilayer: elements of foundation material; 0 for piles
  Real shearCutOff = 0.0f;        // ωs
  Real compressionCutOff = 0.0f;  // ωp
};

// The head impedances of one run: vertical, torsion, horizontal, rocking,
// coupling of horizontal and rocking, horizontal with the head free to rotate.
enum class HeadMode : int { kVertical, kTorsion, kHorizontal, kRocking, kCoupling, kFreeHead };
inline constexpr size_t kHeadModes = 6;

// Stiffnesses k and damping constants c (impedance k + i·ω·c), in HeadMode order.
struct PileHeadImpedances {
  std::array<Real, kHeadModes> k{}, c{};
  Real K(HeadMode m) const { return k[static_cast<size_t>(m)]; }
  Real C(HeadMode m) const { return c[static_cast<size_t>(m)]; }
  // k + i·ω·c
  Complex At(HeadMode m, Real omega) const { return Complex(K(m), omega * C(m)); }
};

// Faults of the data or of the model (an element without length, area, moment
// of inertia, torsion constant or modulus; an element that cannot be formed at
// this frequency, e.g. an undamped segment at a resonance; singular chain
// equations) write a line to the report and leave the affected modes'
// impedances at zero. Soil without shear modulus, around an element or below
// the tip, simply gives no reaction.
PileHeadImpedances SinglePileImpedances(const ProblemData& p, Real omega, const PileModel& model, PileRun run,
                                        Report& report);

// One element of the chain in an axial or torsional mode: end forces for unit
// end motions, k11 = k22 and k12 = k21.
struct RodStiffness {
  Complex k11, k12;
};

// A prismatic segment of the given length with complex rigidity EA·(1 + i·D)
// (or GJ·(1 + i·D)) and net inertia per length ω²·m − soil stiffness per
// length. λ = √(netInertia/rigidity); k11 = rigidity·λ·cot(λL) and
// k12 = −rigidity·λ/sin(λL), evaluated without overflow for strongly damped
// or strongly supported segments and by their series for small λL (the static
// limit EA/L). Returns false, leaving k alone, when sin(λL) vanishes at working
// precision (the segment held at both ends is at a resonance) or the values are
// not finite.
bool RodElementStiffness(Complex rigidity, Complex netInertia, Real length, RodStiffness& k);

// Bending segment: a Timoshenko beam-column with shear flexibility s, rotary
// inertia, axial load P (compression positive) and translational and
// rotational supports, both net of inertia.
struct BendingSegment {
  Real length = 0;
  Complex rigidity;          // EI·(1 + i·D)
  Complex shearFlexibility;  // s = f/(G·A); complex for a soil element
  Real axialLoad = 0;        // P
  Complex netInertia;        // q = ω²·m − Gs·Su
  Complex netRotaryInertia;  // ω²·m·I/A − r²·Gs·Sφ
};

// 4 × 4 element stiffness, degrees of freedom: deflection and rotation of the
// upper node, then of the lower node. The rotation is counted so that the
// static matrix is EI/L³·[[12, −6L, −12, −6L], [−6L, 4L², 6L, 2L²],
// [−12, 6L, 12, 6L], [−6L, 2L², 6L, 4L²]].
using ElementMatrix4 = std::array<std::array<Complex, 4>, 4>;

// How the bending stiffness is evaluated: the closed form in the segment's
// wave numbers ρ1, ρ2, or the transfer matrix exp(A·L) of the segment's
// first-order equations (exact as well, and free of the closed form's
// cancellation when ρ1 and ρ2 are small). kAuto takes the closed form unless
// both wave numbers are below 1 or the closed form cannot be evaluated.
enum class BendingForm { kAuto, kClosedForm, kTransferMatrix };

// Returns false, leaving K alone, when the segment cannot be evaluated (no
// length or rigidity, a resonance of the segment held at both ends, values
// that are not finite).
bool BendingElementStiffness(const BendingSegment& segment, ElementMatrix4& K, BendingForm form = BendingForm::kAuto);

}  // namespace terva
