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
// LU and partial pivoting where that factorization breaks down.
#pragma once

#include <array>
#include <vector>

#include "engine/impedance/interaction_factors.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/core/matrix6.hpp"

namespace terva {

// Once per run, before the frequency loop, for a pile group with the
// interaction option and more than one pile: the interaction factors of every
// ordered pile pair that do not depend on frequency. Coincident piles (or a
// pile diameter that is not positive) make the group flexibility singular:
// the report says so and the group is then summed without interaction.
void SetUpPileInteraction(const ProblemData& p);

// Per frequency: overwrites A with the impedance of the whole group at the
// centre of gravity, from the single pile's element matrix E. Interaction is
// used when the option is on, there is more than one pile, the set-up found
// the group usable and the tip-layer velocity is not 0; a group flexibility
// problem that cannot be solved at this frequency is reported and the group
// summed instead.
void AssemblePileGroup(const ProblemData& p, const ComplexMatrix6& E, Real omega, ComplexMatrix6& A);

// ---- pieces of the group step, open for tests and benchmarks ----

// The element matrix of a battered pile in global axes, Rᵀ·E·R, with R block
// diagonal and both 3 × 3 blocks R(r, c) = cos(angles[3(r−1) + (c−1)]),
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

// The set-up's values for piles i ≠ j (1-based); false when the set-up has no
// usable tables for this pair.
bool PileInteraction(int i, int j, PairInteraction& out);

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
bool GroupFlexibility(const ProblemData& p, const ComplexMatrix6& E, Real omega, GroupFlexibilityMatrices& out);

// How the group flexibility problems have been solved since the last set-up:
// by L·D·Lᵀ, or by the LU fall-back.
struct GroupSolveCounts {
  int symmetric = 0, pivoted = 0;
};
GroupSolveCounts PileGroupSolveCounts();

}  // namespace terva
