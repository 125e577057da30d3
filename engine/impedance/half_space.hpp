// Impedance of a rigid footing on a homogeneous viscoelastic half-space and on
// a soil stratum over rigid rock.
#pragma once

#include <array>

#include "engine/core/scalar.hpp"

namespace terva {

// Dimensionless half-space coefficients at a0 = R0·ω/Vs for Poisson's ratio nu
// and damping D, with the equivalent radii R0, RX, RY, RT: horizontal,
// vertical, rocking about X, rocking about Y, torsion. At a0 = 0 and D = 0
// they are the static values 8/(2-ν), 4/(1-ν), 8/(3(1-ν)), 8/(3(1-ν)), 16/3.
struct HalfSpaceCoefficients {
  Complex horizontal, vertical, rockingX, rockingY, torsion;
};
HalfSpaceCoefficients HalfSpaceCoefficientsAt(Real a0, Real nu, Real D, const std::array<Real, 4>& radii);

// Impedances of a footing embedded to depth E in a stratum of depth H over
// rigid rock: horizontal, vertical, coupling of Y translation with rocking
// about X, coupling of X translation with rocking about Y, rocking about X,
// rocking about Y, torsion. radii: R0, Rv, RX, RY, RT. Valid for E/R <= 1.5
// and E/H <= 0.75.
struct StratumImpedances {
  Complex horizontal, vertical, couplingX, couplingY, rockingX, rockingY, torsion;
};
struct StratumSoil {
  Real embedment = 0, depth = 0, nu = 0, damping = 0, unitWeight = 0, velocity = 0, gravity = 0;
};
StratumImpedances StratumImpedancesAt(Real omega, const StratumSoil& soil, const std::array<Real, 5>& radii);

}  // namespace terva
