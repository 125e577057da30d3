// Head impedance of a single pile (or of a multilayer foundation's column):
// a chain of elements, one per layer, in the soil reactions of its layers and
// on the soil below the tip.
#pragma once

#include <array>

#include "engine/input/problem_data.hpp"

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

// Stiffnesses k and damping constants c (impedance k + i·ω·c), in the order
// vertical, torsion, horizontal, rocking, coupling of horizontal and rocking,
// horizontal with the head free to rotate.
struct PileHeadImpedances {
  std::array<Real, 6> k{}, c{};
};

PileHeadImpedances SinglePileImpedances(const ProblemData& p, Real omega, const PileModel& model, PileRun run);

}  // namespace terva
