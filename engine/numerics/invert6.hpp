// Inverse of a complex 6 × 6 matrix.
#pragma once

#include "engine/core/matrix6.hpp"

namespace terva {

// F = E⁻¹ by Gauss-Jordan elimination with partial pivoting, in double.
// False when E is singular or the inverse is not finite at working precision.
bool Invert6(const ComplexMatrix6& E, ComplexMatrix6& F);

}  // namespace terva
