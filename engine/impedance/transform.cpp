#include "engine/impedance/transform.hpp"

namespace terva {

RealMatrix6 RigidBodyTransformation(Real xcg, Real ycg, Real h, Real z) {
  RealMatrix6 t;
  for (int i = 1; i <= 6; ++i) t(i, i) = 1.0f;
  t(1, 5) = z - h;
  t(2, 4) = h - z;
  t(1, 6) = ycg;
  t(2, 6) = -xcg;
  t(3, 4) = -ycg;
  t(3, 5) = xcg;
  return t;
}

void TransformImpedance(const ComplexMatrix6& E, const RealMatrix6& T, ComplexMatrix6& out,
                        TransformedEntries entries) {
  const bool mirrored = entries == TransformedEntries::kUpperMirrored;
  ComplexMatrix6 w;  // W = E·T
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      Complex sum(0.0f, 0.0f);
      for (int k = 1; k <= 6; ++k) sum += E(i, k) * T(k, j);
      w(i, j) = sum;
    }
  for (int i = 1; i <= 6; ++i)
    for (int j = mirrored ? i : 1; j <= 6; ++j) {
      Complex sum(0.0f, 0.0f);  // (Tᵀ·W)(i, j)
      for (int k = 1; k <= 6; ++k) sum += T(k, i) * w(k, j);
      out(i, j) = sum;
      if (mirrored) out(j, i) = sum;
    }
}

}  // namespace terva
