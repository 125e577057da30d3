// One whole half-space harmonic analysis of 1 024 frequencies through the
// engine's entry point: reading, impedance, solve, report and graphic data,
// without and with the results file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/analysis/iterva.h"

namespace {

// Argument 0: the report and the graphic data file; 1: the results file as
// well (a seventh line of names.dat), whose cost is the difference.
void BM_HalfSpaceHarmonic1024(benchmark::State& state) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/terva-bench-XXXXXX";
  const fs::path dir = ::mkdtemp(pattern);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ofstream("job.tvd") << "TITLE\nBENCHMARK FOOTING\nMATRIX\nGRAVITY=32.2\nFOUNDATION=HALF-SPACE\n"
                              "RECTANGULAR=20.0, 10.0\nMASS=400.0, 15000.0, 20000.0, 30000.0, 10.0, 20.0, 30.0\n"
                              "CONSTANTS=0.5, -0.5, 3.0\nSOIL\nCONSTANTS\n0\nBELOW=800.0, 120.0, 0.33, 0.05\n"
                              "LOAD=HARMONIC\nCONSTANTS\nNONQUADRATIC\n1024.0, 1.0, 1.0\n"
                              "1000.0, 500.0, 1000.0, 100.0, 200.0, 300.0\nRUN\n";
  std::ofstream("names.dat") << (state.range(0) ? "job.tvd\njob.tvo\njob.tvp\n\n\n\njob.tvj\n" : "job.tvd\njob.tvo\njob.tvp\n");
  for (auto _ : state) {
    if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
  }
  state.counters["frequencies"] = 1024;
  fs::current_path(previous);
  fs::remove_all(dir);
}
BENCHMARK(BM_HalfSpaceHarmonic1024)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
