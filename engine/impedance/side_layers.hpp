// Side layers of an embedded footing or pile cap, and the plane-strain soil
// reactions of one layer around a rigid cylinder (also used along a pile).
#pragma once

#include <array>

#include "engine/core/problem_data.hpp"
#include "engine/core/matrix6.hpp"
#include "engine/report/report.hpp"

namespace terva {

// Reactions per unit thickness of a layer: horizontal, vertical, rocking about
// X, rocking about Y, torsion (dimensionless; times G and the thickness, and
// for the rotations times the radius squared, they give the layer's impedance).
struct SideReactions {
  Complex Su, Sw, SphiX, SphiY, Spsi;
};

// A softened annulus around the footing: shear modulus ratio to the layer's,
// its Poisson's ratio (not used by the reactions), its damping, and its
// thickness as a length (0: no weakened zone).
struct WeakenedZone {
  Real shearRatio = 1.0f, poisson = 0.0f, damping = 0.0f, thickness = 0.0f;
};

// a0 = R0·ω/Vs of the layer (0 when Vs = 0); radii R0, RX, RY, RT; the two
// flags tell whether ω is at or below the soil column's shear and compression
// cut-off frequencies.
//
// a0 <= 0 (or a value that is not a number, or R0 <= 0) gives zero reactions.
// The zone's forms apply only to a zone with thickness whose complex modulus
// differs from the layer's; otherwise the homogeneous forms. With a zone:
// ν >= 0.5 leaves the horizontal reaction at its value outside the zone
// (Su_out); a shear ratio <= 0 gives zero reactions (the footing is loose); the
// vertical, rocking and torsional series need |s| < 1 and keep the
// homogeneous forms for a zone more than about twice as stiff as the layer.
// Where a zone form cannot be evaluated (overflow, a singular zone system) the
// homogeneous value, or Su_out for the horizontal, stands. No reaction is
// returned undefined.
SideReactions SideLayerReactions(Real a0, Real nu, Real D, const WeakenedZone& zone, const std::array<Real, 4>& radii,
                                 bool belowShearCutOff, bool belowCompressionCutOff, Report& report);

// Adds the impedance of the first `layers` side layers of p.side, placed at
// their heights above the base and moved to the centre of gravity, to A.
void AddSideLayers(const ProblemData& p, int layers, Real omega, bool belowShearCutOff, bool belowCompressionCutOff,
                   ComplexMatrix6& A, Report& report);

}  // namespace terva
