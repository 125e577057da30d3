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

// The cost of the results file, measured fairly: runs without and with it
// alternate, so that a drift of the machine weighs on both; the counters are
// the medians of each (ms) and the cost in per cent of the run without.
void BM_HalfSpaceResultsFileCost(benchmark::State& state) {
  const FootingRun run;
  std::vector<double> times[2];
  int iteration = 0;
  for (auto _ : state) {
    double both = 0;
    ++iteration;
    for (int pass = 0; pass < 2; ++pass) {
      const bool with = (pass + iteration) % 2 == 1;  // which comes first alternates too
      const auto start = std::chrono::steady_clock::now();
      if (!FootingRun::Run(with)) state.SkipWithError("the run did not complete");
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      times[with ? 1 : 0].push_back(ms);
      both += ms;
    }
    state.SetIterationTime(both / 1000.0);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  const double without = median(times[0]), with = median(times[1]);
  state.counters["without_ms"] = without;
  state.counters["with_ms"] = with;
  state.counters["cost_percent"] = without > 0 ? 100.0 * (with / without - 1.0) : 0.0;
}
BENCHMARK(BM_HalfSpaceResultsFileCost)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
