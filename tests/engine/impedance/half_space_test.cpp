// Half-space and stratum impedance against static solutions and the limits of
// the fitted functions; the rigid-body transformation against the lever arms.
#include "engine/impedance/half_space.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/impedance/transform.hpp"

namespace terva {
namespace {

class HalfSpaceStatic : public ::testing::TestWithParam<float> {};

TEST_P(HalfSpaceStatic, CoefficientsReachTheRigidDiscValues) {
  const float nu = GetParam();
  const auto c = HalfSpaceCoefficientsAt(0.0f, nu, 0.0f, {2.0f, 2.1f, 2.2f, 2.3f});
  EXPECT_NEAR(c.horizontal.real(), 8.0 / (2.0 - nu), 1e-5);
  EXPECT_NEAR(c.vertical.real(), 4.0 / (1.0 - nu), 1e-5);
  EXPECT_NEAR(c.rockingX.real(), 8.0 / (3.0 * (1.0 - nu)), 1e-5);
  EXPECT_NEAR(c.rockingY.real(), 8.0 / (3.0 * (1.0 - nu)), 1e-5);
  EXPECT_NEAR(c.torsion.real(), 16.0 / 3.0, 1e-5);
  for (const Complex& z : {c.horizontal, c.vertical, c.rockingX, c.rockingY, c.torsion}) EXPECT_EQ(z.imag(), 0.0f);
  // a small a0 stays close to the static value
  const auto near = HalfSpaceCoefficientsAt(1e-4f, nu, 0.0f, {2.0f, 2.1f, 2.2f, 2.3f});
  EXPECT_NEAR(near.vertical.real(), 4.0 / (1.0 - nu), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(PoissonRatios, HalfSpaceStatic, ::testing::Values(0.0f, 0.25f, 0.33f, 0.4f, 0.45f, 0.49f));

TEST(HalfSpace, RadiationDampingOfAnElasticSoil) {
  // D = 0: p = 0, q = 1, so the horizontal coefficient is 8/(2-ν)(1 + i·α·a0)
  const auto low = HalfSpaceCoefficientsAt(1.0f, 0.3f, 0.0f, {1, 1, 1, 1});
  EXPECT_NEAR(low.horizontal.imag(), 8.0 / 1.7 * 0.65, 1e-5);
  EXPECT_NEAR(low.horizontal.real(), 8.0 / 1.7, 1e-5);
  const auto high = HalfSpaceCoefficientsAt(1.0f, 0.4f, 0.0f, {1, 1, 1, 1});
  EXPECT_NEAR(high.horizontal.imag(), 8.0 / 1.6 * 0.6, 1e-5) << "ν = 0.4 takes the second set of constants";
}

TEST(HalfSpace, VerticalWithoutTheMassTermAboveNuPointFour) {
  // from 0.4 on the vertical real part is 4/(1-ν)(1 - 0.85·a0·p - 0.17·a0²)
  const double D = 0.1, a0 = 0.8, nu = 0.42;
  const double s = std::sqrt(1 + D * D), p = std::sqrt((s - 1) / 2);
  const auto c = HalfSpaceCoefficientsAt(static_cast<float>(a0), static_cast<float>(nu), static_cast<float>(D), {1, 1, 1, 1});
  EXPECT_NEAR(c.vertical.real(), 4 / (1 - nu) * (1 - 0.85 * a0 * p - 0.17 * a0 * a0), 1e-5);
}

TEST(HalfSpace, MaterialDampingAddsToTheImaginaryPart) {
  const auto c = HalfSpaceCoefficientsAt(0.0f, 0.3f, 0.05f, {1, 1, 1, 1});
  EXPECT_NEAR(c.horizontal.imag(), 8.0 / 1.7 * 0.05, 1e-6);
  EXPECT_NEAR(c.torsion.imag(), 16.0 / 3.0 * 0.05, 1e-6);
}

StratumSoil Soil(float E, float H, float nu, float D) {
  StratumSoil s;
  s.embedment = E;
  s.depth = H;
  s.nu = nu;
  s.damping = D;
  s.unitWeight = 120.0f;
  s.velocity = 500.0f;
  s.gravity = 32.2f;
  return s;
}

TEST(Stratum, StaticStiffnessOfASurfaceDisc) {
  const float R = 5.0f, H = 20.0f, nu = 0.3f;
  const double G = 120.0 / 32.2 * 500.0 * 500.0;
  const auto z = StratumImpedancesAt(1e-6f, Soil(0, H, nu, 0), {R, R, R, R, R});
  const double kh = 8 * G * R / (2 - nu) * (1 + R / (2 * H));
  EXPECT_NEAR(z.horizontal.real() / kh, 1.0, 1e-5);
  EXPECT_NEAR(z.vertical.real() / (4 * G * R / (1 - nu) * (1 + 1.28 * R / H)), 1.0, 1e-5);
  EXPECT_NEAR(z.rockingX.real() / (8 * G * R * R * R / (3 * (1 - nu)) * (1 + R / (6 * H))), 1.0, 1e-5);
  EXPECT_NEAR(z.torsion.real() / (16 * G * R * R * R / 3), 1.0, 1e-5);
  // a surface footing still has the small couplings
  EXPECT_NEAR(z.couplingX.real() / (-0.03 * R * kh), 1.0, 1e-5);
  EXPECT_NEAR(z.couplingY.real() / (0.03 * R * kh), 1.0, 1e-5);
}

TEST(Stratum, NoRadiationBelowTheFirstStratumFrequency) {
  const float R = 5.0f, H = 20.0f;
  const float fs = 500.0f / (4 * H);  // Hz
  const float below = 0.9f * fs * 2 * 3.14159f, above = 1.1f * fs * 2 * 3.14159f;
  const auto z1 = StratumImpedancesAt(below, Soil(0, H, 0.3f, 0), {R, R, R, R, R});
  EXPECT_EQ(z1.horizontal.imag(), 0.0f);
  const auto z2 = StratumImpedancesAt(above, Soil(0, H, 0.3f, 0), {R, R, R, R, R});
  const double a0 = above * R / 500.0;
  EXPECT_NEAR(z2.horizontal.imag() / (z2.horizontal.real() * a0 * 0.6), 1.0, 1e-5);
}

TEST(Stratum, RockingStiffnessFactorFloor) {
  const float R = 5.0f;
  const float omega = 3.0f * 500.0f / R;  // aX = 3
  const auto z = StratumImpedancesAt(omega, Soil(0, 20, 0.3f, 0), {R, R, R, R, R});
  const auto zs = StratumImpedancesAt(1e-6f, Soil(0, 20, 0.3f, 0), {R, R, R, R, R});
  EXPECT_NEAR(z.rockingX.real() / zs.rockingX.real(), 0.5, 1e-4);
  const auto soft = StratumImpedancesAt(omega, Soil(0, 20, 0.45f, 0), {R, R, R, R, R});
  const auto softStatic = StratumImpedancesAt(1e-6f, Soil(0, 20, 0.45f, 0), {R, R, R, R, R});
  EXPECT_NEAR(soft.rockingX.real() / softStatic.rockingX.real(), 0.4, 1e-4) << "no floor from ν = 0.45";
}

TEST(Transformation, LeverArmsOfABaseSpring) {
  ComplexMatrix6 E;
  E(1, 1) = Complex(100, 10);
  E(2, 2) = Complex(200, 20);
  E(3, 3) = Complex(300, 30);
  E(5, 5) = Complex(5000, 1);
  const float h = 2.0f, x = 0.5f, y = -1.5f;
  ComplexMatrix6 A;
  A(6, 6) = Complex(99, 99);  // overwritten, not accumulated
  TransformImpedance(E, RigidBodyTransformation(x, y, h, 0.0f), A);
  // a horizontal spring below the centre of gravity couples with rocking
  EXPECT_EQ(A(1, 5), Complex(-h * 100, -h * 10));
  EXPECT_EQ(A(5, 1), A(1, 5));
  EXPECT_EQ(A(5, 5), Complex(5000 + h * h * 100 + x * x * 300, 1 + h * h * 10 + x * x * 30));
  EXPECT_EQ(A(4, 4), Complex(h * h * 200 + y * y * 300, h * h * 20 + y * y * 30));
  EXPECT_EQ(A(6, 6), Complex(y * y * 100 + x * x * 200, y * y * 10 + x * x * 20));
  EXPECT_EQ(A(3, 4), Complex(-y * 300, -y * 30));
  // a point at the height of the centre of gravity has no rocking lever
  ComplexMatrix6 B;
  TransformImpedance(E, RigidBodyTransformation(0, 0, h, h), B);
  EXPECT_EQ(B(1, 5), Complex(0, 0));
}

}  // namespace
}  // namespace terva
