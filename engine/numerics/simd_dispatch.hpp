// Which of the group solver's kernel sets runs: 16-float vectors where the
// processor has AVX-512F, 8-float vectors where it has AVX2 (checked once per
// process, at first use) and 4-float vectors elsewhere, unless a caller has
// kept the process to a narrower width.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/numerics/simd_kernels.hpp"

namespace terva::simd {

// The widest vectors this processor offers the kernels: 16, 8 or 4 floats.
int ProcessorLanes();

// The width in use in this process (16, 8 or 4), and a way to keep it at or
// below `most` lanes (tests, benchmarks); returns the width then in use.
int KernelLanes();
int UseKernelLanes(int most);

// The rows of one packed tile of L21 for the set of `lanes` floats.
int TileRows(int lanes);

// The kernels of the set of `lanes` floats (see simd_kernels.hpp).
bool PanelSymmetric(int lanes, const SplitMatrix& a, int k0, int kb);
void ForwardUnitLower(int lanes, const float* re, const float* im, size_t ld, int k0, int k1, float* br, float* bi,
                      int count, size_t stride);
void TrailingColumns(int lanes, const TrailingUpdate& u, int firstBlock, int stride, std::vector<float>& packU);

}  // namespace terva::simd
