// A whole pile-group analysis through the engine's entry point: a 20 × 20 grid
// of fixed-head piles with interaction, 16 frequencies above 10 rad/s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/alternating_cost.hpp"
#include "engine/analysis/iterva.h"

namespace {

// An nx × ny grid of fixed-head piles 3 ft apart with interaction, the
// footing as large as the grid, in a folder of its own that goes with the
// object; `mass` and `frequencies` are the MASS values and the frequency
// line (last, step, first).
class GridGroupRun {
 public:
  GridGroupRun(int nx, int ny, const char* mass, const char* frequencies) {
    char pattern[] = "/tmp/terva-bench-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    const int piles = nx * ny;
    const double x0 = (nx - 1) * 1.5, y0 = (ny - 1) * 1.5;
    std::ostringstream input;
    input << "NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=" << nx * 3 << ".0," << ny * 3 << ".0\n"
          << "MASS=" << mass << "\nLAYERS=3\nFIXED=" << piles << "\n";
    for (int i = 0; i < piles; ++i) input << i + 1 << "," << (i % nx) * 3.0 - x0 << "," << (i / nx) * 3.0 - y0 << "\n";
    input << "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n"
             "3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\nINTERACTION\n"
             "SOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\nBELOW=900,125,0.35,0.05\n"
             "LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n"
          << frequencies << "\n1000,1000,1000,0,0,0\nRUN\n";
    std::ofstream("job.tvd") << input.str();
    std::ofstream("names.dat") << "job.tvd\njob.tvo\njob.tvp\n";
  }
  ~GridGroupRun() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
  }
  GridGroupRun(const GridGroupRun&) = delete;
  GridGroupRun& operator=(const GridGroupRun&) = delete;

  void Time(benchmark::State& state) const {
    for (auto _ : state) {
      // as in a run of the program, the outputs are new files (a file
      // rewritten in place is flushed to the disk when it is closed)
      state.PauseTiming();
      for (const char* output : {"job.tvo", "job.tvp", "job.tvj"}) std::filesystem::remove(output);
      state.ResumeTiming();
      if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
    }
  }

 private:
  std::filesystem::path dir_, previous_;
};

void BM_PileGroup400Interaction(benchmark::State& state) {
  const GridGroupRun run(20, 20, "5000,1E6,1E6,2E6,0,0,0", "320,20,20");
  run.Time(state);
  state.counters["frequencies"] = 16;
}
BENCHMARK(BM_PileGroup400Interaction)->Unit(benchmark::kMillisecond)->Iterations(2);

// The cost of the results file (a seventh line of names.dat) on the same
// group (alternating_cost.hpp).
void BM_PileGroup400ResultsFileCost(benchmark::State& state) {
  const GridGroupRun run(20, 20, "5000,1E6,1E6,2E6,0,0,0", "320,20,20");
  TimeAlternating(state, [](bool with) {
    std::ofstream("names.dat") << (with ? "job.tvd\njob.tvo\njob.tvp\n\n\n\njob.tvj\n" : "job.tvd\njob.tvo\njob.tvp\n");
    for (const char* output : {"job.tvo", "job.tvp", "job.tvj"}) std::filesystem::remove(output);
    return ITERVA(13) == 0;
  });
}
BENCHMARK(BM_PileGroup400ResultsFileCost)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

// A 10 × 20 grid of fixed-head piles with interaction over 64 frequencies,
// with the frequency loop on as many threads as the argument (TERVA_THREADS):
// 1 is the serial loop, the baseline of the others in the same run.
void BM_PileGroup200x64Threads(benchmark::State& state) {
  const GridGroupRun run(10, 20, "2500,5E5,5E5,1E6,0,0,0", "635,5,10");
  const std::string threads = std::to_string(state.range(0));
  ::setenv("TERVA_THREADS", threads.c_str(), 1);
  run.Time(state);
  ::unsetenv("TERVA_THREADS");
  state.counters["frequencies"] = 64;
}
BENCHMARK(BM_PileGroup200x64Threads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
