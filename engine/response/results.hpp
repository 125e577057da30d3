// The results record of one analysis run: the frequencies solved at and the
// footing's response at each of them.
#pragma once

#include <array>
#include <limits>
#include <vector>

#include "engine/core/problem_data.hpp"

namespace terva {

// What the response step finds at one frequency, kept apart from the results
// record so that frequencies can be solved side by side and stored in order.
struct FrequencyResponse {
  enum class Kind { kNone, kUnknown, kAmplitude, kSpectrum };
  Kind kind = Kind::kNone;
  std::array<Real, kDof> amplitude{};    // harmonic amplitudes, random response spectra
  std::array<Complex, kDof> spectrum{};  // transient response spectra
  std::array<Complex, kDof> motion{};    // harmonic: the complex motions whose moduli are the amplitudes

  void MarkUnknown() { kind = Kind::kUnknown; }
};

// Results of one analysis run, index 1..count.
struct ResultStore {
  int count = 0;
  Rows<Real, kMaxFrequencies> omega;         // the frequency solved at (floored at 0.0001)
  Rows<Real, kMaxFrequencies> printedOmega;  // the running frequency the tables print
  Rows<Rows<Real, kMaxFrequencies>, kDof> amplitude;  // harmonic amplitudes; random: response spectra
  Rows<Rows<Complex, kDof>, kMaxTransientPoints> spectrum;  // transient response spectra X(k, d)
  Rows<Rows<Complex, kMaxFrequencies>, kDof> motion;  // harmonic: complex motions, amplitude = |motion|

  // The eight reported constants K and C of every frequency, as the report's
  // tables hold them before printing (whether or not they are printed).
  Rows<Rows<Real, kMaxFrequencies>, 8> stiffness, damping;
  // Transient: the times and the histories the response table prints, [j][d].
  std::vector<Real> time;
  std::vector<std::array<Real, kDof>> history;
  // Random: peak factor and maximum displacement of each degree of freedom
  // (NaN where not defined).
  std::array<Real, kDof> peakFactor{}, maximum{};

  // No response is known at index k (its equations could not be solved, or its
  // impedance is no number): NaN, which the report prints as asterisks and
  // which makes the transient history unknown as well.
  void MarkUnknown(int k) {
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    for (int d = 1; d <= kDof; ++d) {
      if (k >= 1 && k <= kMaxFrequencies) amplitude(d)(k) = nan, motion(d)(k) = Complex(nan, nan);
      if (k >= 1 && k <= kMaxTransientPoints) spectrum(k)(d) = Complex(nan, nan);
    }
  }

  // The response of frequency k as the response step found it.
  void Store(int k, const FrequencyResponse& f) {
    using Kind = FrequencyResponse::Kind;
    if (f.kind == Kind::kUnknown) return MarkUnknown(k);
    for (int d = 1; d <= kDof; ++d) {
      if (f.kind == Kind::kAmplitude) amplitude(d)(k) = f.amplitude[static_cast<size_t>(d - 1)];
      if (f.kind == Kind::kAmplitude) motion(d)(k) = f.motion[static_cast<size_t>(d - 1)];
      if (f.kind == Kind::kSpectrum) spectrum(k)(d) = f.spectrum[static_cast<size_t>(d - 1)];
    }
  }
};

}  // namespace terva
