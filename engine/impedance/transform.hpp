// Transformations of an element impedance: rigid-body moves to the footing's
// centre of gravity, and rotations into other axes.
#pragma once

#include "engine/core/matrix6.hpp"

namespace terva {

// The identity with (1,5) = z − h, (2,4) = h − z, (1,6) = Ycg, (2,6) = −Xcg,
// (3,4) = −Ycg, (3,5) = Xcg: from a point of action at height z above the
// base to the centre of gravity at (Xcg, Ycg) and height h.
RealMatrix6 RigidBodyTransformation(Real xcg, Real ycg, Real h, Real z);

// Which entries of Tᵀ·W are formed: the upper triangle, mirrored to the lower
// one (out exactly symmetric), or every entry (the lower triangle then
// carries its own rounding).
enum class TransformedEntries { kUpperMirrored, kAll };

// out = Tᵀ·E·T, formed as W = E·T and then Tᵀ·W. out is overwritten.
void TransformImpedance(const ComplexMatrix6& E, const RealMatrix6& T, ComplexMatrix6& out,
                        TransformedEntries entries = TransformedEntries::kUpperMirrored);

}  // namespace terva
