// A group of identical piles under a rigid cap: the foundation impedance from
// one pile's element matrix, with or without pile-soil-pile interaction, and
// with battered piles rotated into the global axes.
//
// Without interaction the piles' impedances are added with their lever arms
// (the plan coordinates PileX, PileY). With interaction each mode (vertical,
// loading in X, loading in Y) is a group flexibility problem: the flexibility
// between two piles is the single pile's flexibility times the pair's
// interaction factor. Only weighted sums of the inverse of that flexibility
// matrix enter the foundation matrix, so the group step factors the matrix
// once and solves it for the few weight vectors, never forming the inverse:
// L·D·Lᵀ of the complex symmetric matrix, checked by its backward error, with
// LU and partial pivoting where that factorization breaks down. The factors
// of every pile pair come from the set-up's tables (pile_interaction.hpp),
// which the caller makes once and passes in.
#pragma once

#include <array>
#include <vector>

#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/impedance/pile_interaction.hpp"
#include "engine/report/report.hpp"

namespace terva {

// Per frequency: overwrites A with the impedance of the whole group at the
// centre of gravity, from the single pile's element matrix E. Interaction is
// used when the option is on, there is more than one pile, the tables t are
// usable for this group and the tip-layer velocity is not 0; a group
// flexibility problem that cannot be solved at this frequency is reported and
// the group summed instead. t's work space and solve counts are updated.
void AssemblePileGroup(const ProblemData& p, InteractionTables& t, const ComplexMatrix6& E, Real omega,
                       ComplexMatrix6& A, Report& report);

// ---- pieces of the group step, open for tests and benchmarks ----

// The element matrix of a battered pile in global axes, Rᵀ·E·R with every
// entry formed, R block diagonal and both 3 × 3 blocks R(r, c) = cos(angles[3(r−1) + (c−1)]),
// angles in degrees (the pile's direction angles: x′X x′Y x′Z y′X … z′Z).
ComplexMatrix6 BatteredPileMatrix(const ComplexMatrix6& E, const std::array<Real, 9>& directionAngles);

// The lever-arm sums the foundation matrix is made of.
struct GroupSums {
  Complex A, B, C, D, E2, F2, G, H, I, J, Kr, L4, M, N, O, P, Q, R, S;
};

// The sums without interaction: each pile's own element matrix (rotated when
// battered) with its lever arms.
GroupSums SumPiles(const ProblemData& p, const ComplexMatrix6& E);

// The foundation matrix at the centre of gravity (h above the pile heads),
// symmetric; A is overwritten.
void FoundationMatrixFromSums(const GroupSums& s, Real h, ComplexMatrix6& A);

// The three group flexibility matrices of one frequency, as the interaction
// path forms them, column-major: the vertical problem of order NP, and the
// problems of loading in X and in Y, of order 2·NP in deflection-rotation
// pairs for fixed heads (NP for pinned heads).
struct GroupFlexibilityMatrices {
  int vertical = 0, horizontal = 0;  // orders
  std::vector<Complex> V, X, Y;
};

// False, with the matrices empty, when the interaction path does not apply or
// the pile's flexibility cannot be formed.
bool GroupFlexibility(const ProblemData& p, InteractionTables& t, const ComplexMatrix6& E, Real omega,
                      GroupFlexibilityMatrices& out);

}  // namespace terva
