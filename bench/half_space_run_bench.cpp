// One whole half-space harmonic analysis of 1 024 frequencies through the
// engine's entry point: reading, impedance, solve, report and graphic data,
// without and with the results file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/alternating_cost.hpp"
#include "engine/analysis/iterva.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own with the footing's input, current for the life of the object.
class FootingRun {
 public:
  FootingRun() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/terva-bench-XXXXXX";
    dir_ = ::mkdtemp(pattern.data());
    previous_ = fs::current_path();
    fs::current_path(dir_);
    std::ofstream("job.tvd") << "TITLE\nBENCHMARK FOOTING\nMATRIX\nGRAVITY=32.2\nFOUNDATION=HALF-SPACE\n"
                                "RECTANGULAR=20.0, 10.0\nMASS=400.0, 15000.0, 20000.0, 30000.0, 10.0, 20.0, 30.0\n"
                                "CONSTANTS=0.5, -0.5, 3.0\nSOIL\nCONSTANTS\n0\nBELOW=800.0, 120.0, 0.33, 0.05\n"
                                "LOAD=HARMONIC\nCONSTANTS\nNONQUADRATIC\n1024.0, 1.0, 1.0\n"
                                "1000.0, 500.0, 1000.0, 100.0, 200.0, 300.0\nRUN\n";
  }
  ~FootingRun() {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  FootingRun(const FootingRun&) = delete;
  FootingRun& operator=(const FootingRun&) = delete;

  // One run: with the results file (a seventh line of names.dat) or without.
  // As in a run of the program the outputs are new files (a file rewritten in
  // place is flushed to the disk when it is closed).
  static bool Run(bool resultsFile) {
    std::ofstream("names.dat") << (resultsFile ? "job.tvd\njob.tvo\njob.tvp\n\n\n\njob.tvj\n" : "job.tvd\njob.tvo\njob.tvp\n");
    for (const char* output : {"job.tvo", "job.tvp", "job.tvj"}) fs::remove(output);
    return ITERVA(13) == 0;
  }

 private:
  fs::path dir_, previous_;
};

// Argument 0: the report and the graphic data file; 1: the results file as
// well, whose cost is the difference.
void BM_HalfSpaceHarmonic1024(benchmark::State& state) {
  const FootingRun run;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream("names.dat") << (state.range(0) ? "job.tvd\njob.tvo\njob.tvp\n\n\n\njob.tvj\n" : "job.tvd\njob.tvo\njob.tvp\n");
    for (const char* output : {"job.tvo", "job.tvp", "job.tvj"}) fs::remove(output);
    state.ResumeTiming();
    if (ITERVA(13) != 0) state.SkipWithError("the run did not complete");
  }
  state.counters["frequencies"] = 1024;
}
BENCHMARK(BM_HalfSpaceHarmonic1024)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The cost of the results file (alternating_cost.hpp).
void BM_HalfSpaceResultsFileCost(benchmark::State& state) {
  const FootingRun run;
  TimeAlternating(state, [](bool with) { return FootingRun::Run(with); });
}
BENCHMARK(BM_HalfSpaceResultsFileCost)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
