// Sixteen copies of the pile-group example through terva-batch, one project
// at a time (-j 1) and two side by side (-j 2); the whole command is timed,
// from its start to its exit. After the runs it prints the ratio of the two
// median times (target on two cores: -j 2 at least 1.7 times as fast) and
// checks that every copy's report is the same as the first's, dates and
// times aside; it exits 1 when a report is missing or differs. Each engine
// runs its frequencies on one thread (TERVA_THREADS=1).
//   batch_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kCopies = 16;

fs::path folder;                            // the copies, and the working folders under data/
std::map<int, std::vector<double>> times;  // seconds of each run, by -j

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs terva-batch -j `jobs` on the copies; false when it did not exit 0.
bool RunBatch(int jobs) {
  std::vector<std::string> args = {TERVA_BATCH, "-j", std::to_string(jobs)};
  for (int i = 1; i <= kCopies; ++i) args.push_back((folder / ("pile-group-" + std::to_string(i) + ".tvd")).string());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Batch(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!RunBatch(jobs)) {
      state.SkipWithError("terva-batch failed");
      return;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    times[jobs].push_back(seconds);
  }
  state.counters["projects"] = kCopies;
}
BENCHMARK(BM_Batch)->ArgName("j")->Arg(1)->Arg(2)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

std::string Masked(const std::string& text) {
  static const std::regex date(R"(\d\d/\d\d/\d{4})"), time(R"(\d\d:\d\d:\d\d)");
  return std::regex_replace(std::regex_replace(text, date, "MM/DD/YYYY"), time, "HH:MM:SS");
}

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/terva-batch-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  folder = pattern;
  setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  // One thread per engine in both runs: what is measured is the projects side
  // by side, not the engine's own frequency threads.
  setenv("TERVA_THREADS", "1", 1);
  for (int i = 1; i <= kCopies; ++i)
    fs::copy_file(TERVA_EXAMPLES_DIR "/pile-group.tvd", folder / ("pile-group-" + std::to_string(i) + ".tvd"));

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  int status = 0;
  const std::string first = Masked(Read(folder / "pile-group-1.tvo"));
  for (int i = 1; i <= kCopies; ++i) {
    const std::string report = Masked(Read(folder / ("pile-group-" + std::to_string(i) + ".tvo")));
    if (report.empty() || report != first) {
      std::fprintf(stderr, "pile-group-%d.tvo is missing or differs from the first copy's\n", i);
      status = 1;
    }
  }
  if (fs::exists(folder / "data") && !fs::is_empty(folder / "data/Halvit/TERVA/runs")) {
    std::fprintf(stderr, "working folders left behind\n");
    status = 1;
  }
  const double one = Median(times[1]), two = Median(times[2]);
  if (one > 0 && two > 0)
    std::printf("%d projects: -j 1 %.0f ms, -j 2 %.0f ms (medians of %zu and %zu runs): -j 2 is %.2f times as fast "
                "(target 1.7 on two cores)\n",
                kCopies, one * 1e3, two * 1e3, times[1].size(), times[2].size(), one / two);
  std::error_code ec;
  fs::remove_all(folder, ec);
  return status;
}
