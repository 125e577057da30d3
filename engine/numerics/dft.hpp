// Discrete Fourier transform of a single-precision complex sequence.
//
// FFT(a, n) replaces a[0..n-1], in place, by
//   A_k = sum_{j=0}^{n-1} a_j exp(+2 pi i j k / n),   k = 0..n-1.
// The transient spectra use the + sign and no scaling; the inverse is
// conj(FFT(conj(A))) / n. Any n >= 1 is accepted: lengths made of the factors
// 2, 3, 4, 5 and small primes run as a mixed-radix transform, lengths with a
// large prime factor as a chirp convolution of power-of-two length. n <= 0 or
// a null pointer does nothing. Twiddles are computed in double and rounded, so
// the result is accurate to single precision.
//
// Plans and work space are cached per thread and grow as needed; concurrent
// calls from different threads are safe. Nothing outside a[0..n-1] is written.
#pragma once

#include "engine/core/scalar.hpp"

namespace terva {

void FFT(Complex* a, int n);

}  // namespace terva
