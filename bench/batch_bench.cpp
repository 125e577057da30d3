// Sixteen copies of the pile-group example through terva-batch, one project
// at a time (-j 1) and two side by side (-j 2); the whole command is timed,
// from its start to its exit. After the runs it prints the ratio of the two
// median times (target on two cores: -j 2 at least 1.7 times as fast) and
// checks that every copy's report is the same as the first's, dates and
// times aside; it exits 1 when a report is missing or differs. The same for
// sixteen copies of a 64-pile group with interaction (BM_BatchGroup64), a
// project whose engine time outweighs the cost of a process and a working
// folder. Each engine
// runs its frequencies on one thread (TERVA_THREADS=1). The runs of -j 1 and
// -j 2 are interleaved in random order, so that a drift of the disk's flush
// time during the benchmark weighs on both alike. The copies and the working
// folders go under $TMPDIR (/tmp when unset): TMPDIR=/dev/shm measures
// without the disk.
//   batch_bench --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
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

fs::path folder;  // the copies, and the working folders under data/
// seconds of each run, by the projects' name and -j
std::map<std::pair<std::string, int>, std::vector<double>> times;

// 8 x 8 fixed-head piles with interaction, 40 frequencies
std::string Group64() {
  std::ostringstream text;
  text << "TITLE\nGROUP OF 64 PILES WITH INTERACTION\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=30.0,30.0\n"
          "MASS=3000,5E5,5E5,9E5,0,0,0\nLAYERS=3\nFIXED=64\n";
  for (int i = 0; i < 64; ++i) text << i + 1 << ", " << (i % 8) * 4 - 14 << ".0, " << (i / 8) * 4 - 14 << ".0\n";
  text << "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n";
  for (int k = 1; k <= 3; ++k) text << k << ",10,0.5,0.5,0.785,0.049,0.049,0.098\n";
  text << "INTERACTION\nSOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\n"
          "BELOW=900,125,0.35,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n400,10,10\n1000,1000,1000,0,0,0\nRUN\n";
  return text.str();
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs terva-batch -j `jobs` on the copies NAME-1 … NAME-16; false when it
// did not exit 0.
bool RunBatch(const std::string& name, int jobs) {
  std::vector<std::string> args = {TERVA_BATCH, "-j", std::to_string(jobs)};
  for (int i = 1; i <= kCopies; ++i) args.push_back((folder / (name + "-" + std::to_string(i) + ".tvd")).string());
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

void Batch(benchmark::State& state, const std::string& name) {
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!RunBatch(name, jobs)) {
      state.SkipWithError("terva-batch failed");
      return;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    times[{name, jobs}].push_back(seconds);
  }
  state.counters["projects"] = kCopies;
}

void BM_Batch(benchmark::State& state) { Batch(state, "pile-group"); }
BENCHMARK(BM_Batch)->ArgName("j")->Arg(1)->Arg(2)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BatchGroup64(benchmark::State& state) { Batch(state, "group-64"); }
BENCHMARK(BM_BatchGroup64)->ArgName("j")->Arg(1)->Arg(2)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

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
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/terva-batch-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) return 1;
  folder = pattern;
  setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  // One thread per engine in both runs: what is measured is the projects side
  // by side, not the engine's own frequency threads.
  setenv("TERVA_THREADS", "1", 1);
  for (int i = 1; i <= kCopies; ++i) {
    fs::copy_file(TERVA_EXAMPLES_DIR "/pile-group.tvd", folder / ("pile-group-" + std::to_string(i) + ".tvd"));
    std::ofstream(folder / ("group-64-" + std::to_string(i) + ".tvd")) << Group64();
  }

  // -j 1 and -j 2 interleaved unless the command line says otherwise
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (std::none_of(args.begin(), args.end(), [](const char* a) {
        return std::string(a).rfind("--benchmark_enable_random_interleaving", 0) == 0;
      }))
    args.insert(args.begin() + 1, interleave);
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  int status = 0;
  for (const std::string name : {"pile-group", "group-64"}) {
    if (times[{name, 1}].empty() && times[{name, 2}].empty()) continue;  // not run (--benchmark_filter)
    const std::string first = Masked(Read(folder / (name + "-1.tvo")));
    for (int i = 1; i <= kCopies; ++i) {
      const std::string report = Masked(Read(folder / (name + "-" + std::to_string(i) + ".tvo")));
      if (report.empty() || report != first) {
        std::fprintf(stderr, "%s-%d.tvo is missing or differs from the first copy's\n", name.c_str(), i);
        status = 1;
      }
    }
  }
  if (fs::exists(folder / "data") && !fs::is_empty(folder / "data/Halvit/TERVA/runs")) {
    std::fprintf(stderr, "working folders left behind\n");
    status = 1;
  }
  for (const std::string name : {"pile-group", "group-64"}) {
    const std::vector<double>&a = times[{name, 1}], &b = times[{name, 2}];
    const double one = Median(a), two = Median(b);
    if (one > 0 && two > 0)
      std::printf("%d x %s: -j 1 %.0f ms, -j 2 %.0f ms (medians of %zu and %zu runs): -j 2 is %.2f times as fast%s\n",
                  kCopies, name.c_str(), one * 1e3, two * 1e3, a.size(), b.size(), one / two,
                  name == "pile-group" ? " (target 1.7 on two cores)" : "");
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return status;
}
