// Transient analyses through the engine's entry point: 1 018 time points (the
// capacity, a length with the large prime factor 509) beside the smooth
// lengths 1 000 = 2³·5³ and 1 008 = 2⁴·3²·7. 1 024 points exceed the capacity
// of the transient arrays and are refused at input; the transform alone at
// 1 024 is timed by dft_bench.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/analysis/iterva.h"

namespace {

void BM_Transient(benchmark::State& state) {
  namespace fs = std::filesystem;
  const int n = static_cast<int>(state.range(0));
  char pattern[] = "/tmp/terva-bench-XXXXXX";
  const fs::path dir = ::mkdtemp(pattern);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ostringstream input;
  input << "NOECHO\nGRAVITY=9.81\nFOUNDATION=HALF-SPACE\nRECTANGULAR=6.0,4.0\nMASS=120,300,500,650,0,0,0\n"
           "CONSTANTS=0.2,0.1,1.0\nSOIL\nCONSTANTS\n0\nBELOW=250,19,0.33,0.05\nLOAD=TRANSIENT\nCONSTANTS\n"
        << n << ",0.01,2\n";
  for (int code : {1, 3}) {
    input << code << "\n";
    for (int j = 0; j < n; ++j) input << (j < 5 ? 500.0 * std::sin(3.14159 * j / 5.0) : 0.0) << "\n";
  }
  input << "RUN\n";
  std::ofstream("job.tvd") << input.str();
  std::ofstream("names.dat") << "job.tvd\njob.tvo\njob.tvp\n";
  for (auto _ : state) {
    if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
  }
  fs::current_path(previous);
  fs::remove_all(dir);
}
BENCHMARK(BM_Transient)->Arg(1018)->Arg(1000)->Arg(1008)->Unit(benchmark::kMillisecond);

}  // namespace
