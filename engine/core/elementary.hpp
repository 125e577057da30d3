// Elementary functions of single-precision values, evaluated in double and
// rounded once to float.
//
// The C libraries' float functions (sinf, expf, powf, csqrtf ...) differ in
// their last bit from one library to the next: glibc, Windows' C runtime and
// Wine's each round some results the other way. Their double functions are
// accurate to within a double's last bit, and a double rounded to float then
// gives the same float in every library except where it lies within that bit
// of a halfway point between two floats (about one value in 500 million). The
// engine calls these instead of the float functions, so that its reports are
// the same bytes on Linux and Windows. The modulus and the square root of a
// complex value use only IEEE arithmetic and sqrt, exact to the bit anywhere.
#pragma once

#include <cmath>

#include "engine/core/scalar.hpp"

namespace terva {

inline Real Sin(Real x) { return static_cast<Real>(std::sin(static_cast<double>(x))); }
inline Real Cos(Real x) { return static_cast<Real>(std::cos(static_cast<double>(x))); }
inline Real Tan(Real x) { return static_cast<Real>(std::tan(static_cast<double>(x))); }
inline Real Atan(Real x) { return static_cast<Real>(std::atan(static_cast<double>(x))); }
inline Real Exp(Real x) { return static_cast<Real>(std::exp(static_cast<double>(x))); }
inline Real Expm1(Real x) { return static_cast<Real>(std::expm1(static_cast<double>(x))); }
inline Real Log(Real x) { return static_cast<Real>(std::log(static_cast<double>(x))); }
inline Real Log10(Real x) { return static_cast<Real>(std::log10(static_cast<double>(x))); }
inline Real Pow(Real x, Real y) { return static_cast<Real>(std::pow(static_cast<double>(x), static_cast<double>(y))); }

inline Real Abs(Real x) { return std::fabs(x); }

// |z|: the squares of two floats and their sum are exact or rounded once in
// double, and neither overflows there.
inline double ModulusWide(Complex z) {
  const double x = z.real(), y = z.imag();
  return std::sqrt(x * x + y * y);
}
inline Real Abs(Complex z) { return static_cast<Real>(ModulusWide(z)); }

// The principal square root (the branch cut along the negative real axis, the
// sign of a zero imaginary part kept), as std::sqrt gives it.
inline Complex Sqrt(Complex z) {
  const double x = z.real(), y = z.imag();
  if (x == 0.0 && y == 0.0) return Complex(0.0f, z.imag());
  const double t = std::sqrt((std::fabs(x) + ModulusWide(z)) * 0.5);
  if (x >= 0.0) return Complex(static_cast<Real>(t), static_cast<Real>(y / (2.0 * t)));
  return Complex(static_cast<Real>(std::fabs(y) / (2.0 * t)), static_cast<Real>(std::copysign(t, y)));
}

}  // namespace terva
