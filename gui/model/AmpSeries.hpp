// The amplitude plot's curves: the amplitudes of a point of the rigid
// footing, or of its rotations, from the harmonic response of the centre of
// gravity.
#pragma once

#include <array>
#include <complex>
#include <vector>

namespace terva::gui {

class TResultPlots;

// The amplitudes (x, y, z) at the point r = (rx, ry, rz) from the centre of
// gravity of the rigid-body motion u = U + Θ × r, from the complex motions
// m = (Ux, Uy, Uz, θx, θy, θz); c converts the translations' length unit into
// the one of r: |c·Ux + θy·rz − θz·ry| and so on, exact and never negative.
std::array<double, 3> PointAmplitudes(const std::array<std::complex<double>, 6>& m, double c, double rx, double ry,
                                      double rz);
// The same from the amplitudes alone (no phases): the bound that holds
// whatever the phases, |c·Ux| + |θy·rz| + |θz·ry| and so on.
std::array<double, 3> PointAmplitudeBounds(const std::array<double, 6>& a, double c, double rx, double ry, double rz);

// The three curves of the dialog, one value per frequency point.
// UpperBound: displacement values from amplitudes without phases (see
// AmplitudeSeries).
struct TAmplitudeSeries {
  std::vector<double> Frequency, X, Y, Z;
  bool UpperBound = false;
};

// The curves of the dialog from the harmonic response of the centre of
// gravity (the response curves and, when known, the complex motions of
// `plots`). The axes are those of the engine's motions: right-handed, Z
// upward, rotations by the right-hand rule; (rx, ry, rz) is the reference
// point's offset from the centre of gravity in the dialog's length unit, c
// converts the project's lengths into that unit.
//
// Displacement mode, with phases: the amplitude of each component of the
// rigid-body motion u = U + Θ × r at the point, |c·Ux + θy·rz − θz·ry| and so
// on, exact and never negative. Without phases (a graphic data file alone)
// the amplitudes of U and Θ cannot be added with signs; the values are then
// the bound that holds whatever the phases, |c·Ux| + |θy·rz| + |θz·ry| and so
// on, and UpperBound is set. Rotation mode: the three rotation amplitudes.
// Empty without response curves.
TAmplitudeSeries AmplitudeSeries(const TResultPlots& plots, bool rotationMode, double c, double rx, double ry,
                                 double rz);

}  // namespace terva::gui
