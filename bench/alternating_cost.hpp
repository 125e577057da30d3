// The cost of an option of a run, measured fairly: runs without and with it
// alternate (and which of the two comes first alternates too), so that a
// drift of the machine weighs on both. The counters are the medians of each
// (ms) and the cost in per cent of the run without.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// `run(with)` makes one run, false when it failed.
template <typename Run>
void TimeAlternating(benchmark::State& state, Run run) {
  std::vector<double> times[2];
  int iteration = 0;
  for (auto _ : state) {
    double both = 0;
    ++iteration;
    for (int pass = 0; pass < 2; ++pass) {
      const bool with = (pass + iteration) % 2 == 1;
      const auto start = std::chrono::steady_clock::now();
      if (!run(with)) state.SkipWithError("the run did not complete");
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
