// Equations of motion of the rigid footing and the harmonic response.
#pragma once

#include "engine/input/problem_data.hpp"
#include "engine/matrix6.hpp"

namespace terva {

// Results of one analysis run, index 1..count.
struct ResultStore {
  int count = 0;
  Rows<Real, kMaxFrequencies> omega;         // the frequency solved at (floored at 0.0001)
  Rows<Real, kMaxFrequencies> printedOmega;  // the running frequency the tables print
  Rows<Rows<Real, kMaxFrequencies>, kDof> amplitude;  // harmonic amplitudes; random: response spectra
  Rows<Rows<Complex, kDof>, kMaxTransientPoints> spectrum;  // transient response spectra X(k, d)
};
ResultStore& Results();

// A − ω²·M in place: the mass on the diagonal, the products of inertia with a minus sign.
void SubtractMass(ComplexMatrix6& A, Real omega, const MassConstants& mass);

// Solves (A − ω²·M)·x = b, A already holding A − ω²·M; a singular system
// leaves b as it was (the solver reports it).
void SolveFootingSystem(const ComplexMatrix6& A, Vector6<Complex>& b);

// The results page with the "FOOTING RESPONSE AMPLITUDES" title of the
// harmonic and transient tables.
void WriteResponseTitle();

// One frequency of a harmonic load: forms the equations, solves them and keeps
// the six amplitudes at index k.
void SolveHarmonic(ComplexMatrix6& A, Real omega, int k);

// After the loop: the "FOOTING RESPONSE AMPLITUDES" page and the response
// lines of the graphic data file.
void PrintHarmonicResults();

}  // namespace terva
