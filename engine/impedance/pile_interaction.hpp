// Pile-soil-pile interaction of a group: the frequency-independent factors of
// every pile pair, made once per run before the frequency loop and handed to
// the group step as a value.
#pragma once

#include <memory>
#include <vector>

#include "engine/core/problem_data.hpp"
#include "engine/impedance/interaction_factors.hpp"
#include "engine/numerics/complex_symmetric_system.hpp"
#include "engine/report/report.hpp"

namespace terva {

// Piles of the group (rounded PileCountValue, within the capacity).
inline int PileCount(const ProblemData& p) { return RowsOf(p.piles.PileCountValue, kMaxPiles); }

// Whether pile i (1-based) is battered.
inline bool IsBattered(const ProblemData& p, int i) { return p.status.BatteredOn && p.piles.BatterAngle(i) != 0.0f; }

// What the set-up keeps for one pile pair. Every value is a function of the
// absolute coordinate differences, so the pair (i, j) and the pair (j, i)
// hold the same values and are stored once.
struct PairInteraction {
  Real spacing = 0;                    // s/d, from the working coordinates
  Real sin2X = 0, cos2X = 0;           // sin²ψx, cos²ψx: the pair line's angle to X
  Real sin2Y = 0, cos2Y = 0;           // sin²ψy, cos²ψy: the angle to Y
  Real vertical = 0;                   // static vertical factor
  HorizontalStaticFactors horizontal;  // α1, α2, α3 at ψ = 0 and ψ = 90°
};

// How the group flexibility problems have been solved since the set-up: by
// L·D·Lᵀ, or by the LU fall-back.
struct GroupSolveCounts {
  int symmetric = 0, pivoted = 0;
};

// The set-up's tables, and the work space the group step reuses from one
// frequency to the next. Made for one problem record: after the record's
// group, pile or soil data change, make them again. A copy shares the pair
// table, which nothing changes after the set-up, and has a work space of its
// own: one copy per thread lets threads work on different frequencies.
struct InteractionTables {
  bool usable = false;  // the set-up found the interaction path possible
  int piles = 0;
  Real diameter = 0, tipVelocity = 0;
  std::shared_ptr<const std::vector<PairInteraction>> pairs;  // (i, j), i < j, row by row; null unless usable

  GroupSolveCounts solves;
  ComplexSymmetricSystem vertical, loadX, loadY;  // the group flexibility problems
  std::vector<float> rhs;  // right-hand sides and solutions, split planes

  // The values for piles i ≠ j (1-based); false when the tables are not
  // usable or the pair is not in them.
  bool Pair(int i, int j, PairInteraction& out) const;
};

// For a pile group with the interaction option and more than one pile: the
// interaction factors of every pile pair that do not depend on frequency.
// Coincident piles (or a pile diameter that is not positive) make the group
// flexibility singular: the report says so and the tables come back unusable,
// so that the group is summed without interaction.
InteractionTables SetUpPileInteraction(const ProblemData& p, Report& report);

}  // namespace terva
