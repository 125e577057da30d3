// A group of identical piles under a rigid cap: the foundation impedance from
// one pile's element matrix, with or without pile-soil-pile interaction, and
// with battered piles rotated into the global axes.
#pragma once

#include "engine/input/problem_data.hpp"
#include "engine/matrix6.hpp"

namespace terva {

// Once per run, before the frequency loop, for a pile group with the
// interaction option and more than one pile: the interaction factors of every
// ordered pile pair that do not depend on frequency.
void SetUpPileInteraction(const ProblemData& p);

// Per frequency: overwrites A with the impedance of the whole group at the
// centre of gravity, from the single pile's element matrix E.
void AssemblePileGroup(const ProblemData& p, const ComplexMatrix6& E, Real omega, ComplexMatrix6& A);

}  // namespace terva
