// Small fixed matrices of the six degrees of freedom.
//
// Order of every 6-vector and 6 x 6 matrix: 1 translation X, 2 translation Y,
// 3 vertical translation Z, 4 rotation about X, 5 rotation about Y, 6 torsion
// about Z. Stored by columns and indexed from 1; entry (i, j) couples force i
// with motion j.
#pragma once

#include <array>

#include "engine/core/scalar.hpp"

namespace terva {

template <typename T>
struct Matrix6 {
  std::array<T, 36> a{};
  T& operator()(int i, int j) { return a[static_cast<size_t>((j - 1) * 6 + (i - 1))]; }
  const T& operator()(int i, int j) const { return a[static_cast<size_t>((j - 1) * 6 + (i - 1))]; }
  T* data() { return a.data(); }
  const T* data() const { return a.data(); }
  void Zero() { a.fill(T{}); }
};

using ComplexMatrix6 = Matrix6<Complex>;
using RealMatrix6 = Matrix6<Real>;

template <typename T>
struct Vector6 {
  std::array<T, 6> v{};
  T& operator()(int i) { return v[static_cast<size_t>(i - 1)]; }
  const T& operator()(int i) const { return v[static_cast<size_t>(i - 1)]; }
  T* data() { return v.data(); }
};

}  // namespace terva
