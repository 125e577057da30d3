// The engine's own modulus and square root of complex values, and its
// elementary functions of floats: the principal branch and the signed zeros
// of std::sqrt, results within a float's rounding of the exact value, and
// the float nearest the double result of each function.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <vector>

#include "engine/core/elementary.hpp"

namespace terva {
namespace {

// Within one float rounding (half an ulp, with a little room; half the least
// subnormal below the normal range) of a double value.
void ExpectRounded(double exact, float got, const char* what) {
  EXPECT_LE(std::fabs(static_cast<double>(got) - exact), std::max(0.5000001 * FLT_EPSILON * std::fabs(exact), 0.5 * FLT_TRUE_MIN))
      << what << ": " << got << " against " << exact;
}

TEST(Elementary, SquareRootFollowsThePrincipalBranchAndTheSignsOfZero) {
  const std::vector<Complex> values{{4.0f, 0.0f},   {-4.0f, 0.0f},   {-4.0f, -0.0f}, {0.0f, 2.0f},
                                    {0.0f, -2.0f},  {-1.0f, 1e-8f},  {-1.0f, -1e-8f}, {3.0f, -4.0f},
                                    {1e-30f, 1e30f}, {-1e30f, 1e-30f}, {0.0f, 0.0f},   {0.0f, -0.0f},
                                    {-0.0f, 0.0f},  {2.5e-3f, -7.25f}};
  for (const Complex z : values) {
    const Complex r = Sqrt(z);
    const std::complex<double> exact = std::sqrt(std::complex<double>(z.real(), z.imag()));
    ExpectRounded(exact.real(), r.real(), "real part");
    ExpectRounded(exact.imag(), r.imag(), "imaginary part");
    EXPECT_EQ(std::signbit(r.imag()), std::signbit(z.imag())) << z.real() << " " << z.imag();
    EXPECT_FALSE(std::signbit(r.real())) << z.real() << " " << z.imag();
  }
  // the square of the root gives the value back
  const Complex z(-3.0f, 0.5f), r = Sqrt(z);
  EXPECT_NEAR((r * r).real(), z.real(), 4 * FLT_EPSILON * 3.0f);
  EXPECT_NEAR((r * r).imag(), z.imag(), 4 * FLT_EPSILON * 3.0f);
}

TEST(Elementary, ModulusNeitherOverflowsNorUnderflowsInBetween) {
  EXPECT_EQ(Abs(Complex(3.0f, -4.0f)), 5.0f);
  ExpectRounded(std::hypot(3e30, 4e30), Abs(Complex(3e30f, 4e30f)), "large");
  ExpectRounded(std::hypot(3e-30, 4e-30), Abs(Complex(3e-30f, 4e-30f)), "small");
  EXPECT_EQ(Abs(-2.5f), 2.5f);
}

TEST(Elementary, EachFunctionIsTheFloatNearestItsDoubleValue) {
  for (float x = -20.0f; x <= 20.0f; x += 0.37f) {
    const double d = x;
    EXPECT_EQ(Sin(x), static_cast<float>(std::sin(d)));
    EXPECT_EQ(Cos(x), static_cast<float>(std::cos(d)));
    EXPECT_EQ(Atan(x), static_cast<float>(std::atan(d)));
    EXPECT_EQ(Exp(x), static_cast<float>(std::exp(d)));
    EXPECT_EQ(Expm1(x / 100.0f), static_cast<float>(std::expm1(static_cast<double>(x / 100.0f))));
    if (x > 0.0f) {
      EXPECT_EQ(Log(x), static_cast<float>(std::log(d)));
      EXPECT_EQ(Log10(x), static_cast<float>(std::log10(d)));
      EXPECT_EQ(Pow(x, 0.25f), static_cast<float>(std::pow(d, 0.25)));
    }
  }
  EXPECT_EQ(Tan(0.5f), static_cast<float>(std::tan(0.5)));
  EXPECT_EQ(Pow(0.0f, 0.25f), 0.0f);  // the power of a zero ratio, as the pile formulas take it
}

}  // namespace
}  // namespace terva
