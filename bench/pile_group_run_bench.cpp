// A whole pile-group analysis through the engine's entry point: a 20 × 20 grid
// of fixed-head piles with interaction, 16 frequencies above 10 rad/s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/analysis/iterva.h"

namespace {

void BM_PileGroup400Interaction(benchmark::State& state) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/terva-bench-XXXXXX";
  const fs::path dir = ::mkdtemp(pattern);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ostringstream input;
  input << "NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=60.0,60.0\n"
           "MASS=5000,1E6,1E6,2E6,0,0,0\nLAYERS=3\nFIXED=400\n";
  for (int i = 0; i < 400; ++i) input << i + 1 << "," << (i % 20) * 3.0 - 28.5 << "," << (i / 20) * 3.0 - 28.5 << "\n";
  input << "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n"
           "3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\nINTERACTION\n"
           "SOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\nBELOW=900,125,0.35,0.05\n"
           "LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n320,20,20\n1000,1000,1000,0,0,0\nRUN\n";
  std::ofstream("job.tvd") << input.str();
  std::ofstream("names.dat") << "job.tvd\njob.tvo\njob.tvp\n";
  for (auto _ : state) {
    if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
  }
  state.counters["frequencies"] = 16;
  fs::current_path(previous);
  fs::remove_all(dir);
}
BENCHMARK(BM_PileGroup400Interaction)->Unit(benchmark::kMillisecond)->Iterations(2);

// A 10 × 20 grid of fixed-head piles with interaction over 64 frequencies,
// with the frequency loop on as many threads as the argument (TERVA_THREADS):
// 1 is the serial loop, the baseline of the others in the same run.
void BM_PileGroup200x64Threads(benchmark::State& state) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/terva-bench-XXXXXX";
  const fs::path dir = ::mkdtemp(pattern);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ostringstream input;
  input << "NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=30.0,60.0\n"
           "MASS=2500,5E5,5E5,1E6,0,0,0\nLAYERS=3\nFIXED=200\n";
  for (int i = 0; i < 200; ++i) input << i + 1 << "," << (i % 10) * 3.0 - 13.5 << "," << (i / 10) * 3.0 - 28.5 << "\n";
  input << "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n"
           "3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\nINTERACTION\n"
           "SOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\nBELOW=900,125,0.35,0.05\n"
           "LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n635,5,10\n1000,1000,1000,0,0,0\nRUN\n";
  std::ofstream("job.tvd") << input.str();
  std::ofstream("names.dat") << "job.tvd\njob.tvo\njob.tvp\n";
  const std::string threads = std::to_string(state.range(0));
  ::setenv("TERVA_THREADS", threads.c_str(), 1);
  for (auto _ : state) {
    if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
  }
  ::unsetenv("TERVA_THREADS");
  state.counters["frequencies"] = 64;
  fs::current_path(previous);
  fs::remove_all(dir);
}
BENCHMARK(BM_PileGroup200x64Threads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
