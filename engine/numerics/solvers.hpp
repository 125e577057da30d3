// Complex linear equation solvers: A X = B for a general complex matrix.
//
// Arrays are column-major with an explicit leading dimension, as the rest of
// the response code holds its matrices: element (i, j), counted from 1, of a
// matrix with leading dimension IA is A[(i-1) + (j-1)*IA]. B holds M right-hand
// sides, one per column of length N, and receives the solutions in their place.
//
// Job codes (IJOB):
//   0  factor A and solve for the columns of B
//   1  factor A only (B is not referenced)
//   2  solve only: A (or WA for LEQ2C) already holds the factors and the
//      work vector the pivot record, both from an earlier job-1 or job-0 call
//
// Error codes (IER):
//   0    success
//   129  A is algorithmically singular, or the call itself is unusable
//        (N < 1, IA < N, IB < N, M < 0, an unknown job code, a null array, or
//        for job 2 a pivot record that names a row outside 1..N). Nothing is
//        factored or solved and B is left as it was.
//   130  LEQ2C only: iterative improvement did not converge (see below)
//
// Data are single precision (Real, Complex). Nothing outside A(IA, N),
// B(IB, M) and the work arrays is written.
#pragma once

#include "engine/core/scalar.hpp"
#include "engine/report/report.hpp"

namespace terva {

// LU factorisation in Crout order with partial pivoting on implicitly scaled
// rows (each row weighed by the reciprocal of its largest modulus), followed
// by forward and back substitution. Overwrites A with L (unit diagonal, not
// stored) and U of the row-exchanged matrix, and B with the solutions.
//
// WA(N), real: on return WA(i) holds, as a real number, the row exchanged
// with row i at step i (1-based). Keep it, with A, for later job-2 calls.
//
// A pivot is taken as zero only when it vanishes beside N in extended
// precision, so a nearly singular matrix factors without complaint and gives a
// solution that may be worthless. Use only on well-conditioned systems, or
// through LEQ2C when the accuracy of the solution matters. Writes no report
// line on failure; the caller reads IER.
void LEQT1C(Complex* A, int N, int IA, Complex* B, int M, int IB, int IJOB, Real* WA, int& IER);

// Solution of A X = B with iterative improvement. A is not modified; its
// factors go to WA. Each column is solved with the factors, then corrected
// repeatedly: the residual B - A X is accumulated in extended precision from A
// and B as passed, and the correction solved from it, until the correction no
// longer changes the largest component of X at working precision (at most 50
// corrections).
//
// WA, complex, at least N*N + N entries: the factors of A (leading dimension
// N) followed by one solution vector. WK(N), real: the pivot record, as WA of
// LEQT1C. For job 2, WA and WK must come from an earlier call with the same A.
//
// N may not exceed 64 (the residual is held in a fixed local buffer); a larger
// N is refused with IER = 129.
//
// On IER = 129 the line "ERROR ENCOUNTERED IN LEQ2C SUBROUTINE" goes to
// report and B is unchanged. On IER = 130 the failing column holds the last
// iterate and the columns after it still hold their right-hand sides; the
// columns before it are solved. Use only where A and B are known to single
// precision: the improvement cannot recover accuracy lost before the call.
void LEQ2C(const Complex* A, int N, int IA, Complex* B, int M, int IB, int IJOB, Complex* WA, Real* WK,
           int& IER, Report& report);

}  // namespace terva
