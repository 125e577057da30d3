// The engine as a library: terva_run in a folder of the caller's, runs side by
// side in one process, and the calls that are refused.
//
// Two runs of different projects on two threads give each the report, graphic
// data file and results file that it writes alone; a second run in a folder
// that a run holds (under any of its names, or as ITERVA's current folder), or
// a second ITERVA while one runs, returns 4 and touches nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/analysis/iterva.h"
#include "support/engine_run.hpp"
#include "support/inputs.hpp"

namespace terva::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kExamples = TERVA_EXAMPLES_DIR;
const std::string kNames = "job.tvd\njob.tvo\njob.tvp\njob.tvr\njob.tvt\njob.tvt\njob.tvj\n";

std::string Masked(std::string report) {
  static const std::regex date(R"(RUN DATE -  \d\d/\d\d/\d{4})");
  static const std::regex time(R"(TIME     -  \d\d:\d\d:\d\d)");
  return std::regex_replace(std::regex_replace(report, date, "DATE"), time, "TIME");
}

// A folder `name` in the scratch folder holding the project `input` as
// job.tvd and a names.dat that asks for all three outputs.
std::string ProjectFolder(const ScratchFolder& scratch, const std::string& name, const std::string& input) {
  const std::string folder = scratch.path() + "/" + name;
  fs::create_directory(folder);
  std::ofstream(folder + "/job.tvd", std::ios::binary) << input;
  std::ofstream(folder + "/names.dat", std::ios::binary) << kNames;
  return folder;
}

struct Outputs {
  int code = -1;
  std::string report, graphic, results;
  bool operator==(const Outputs& o) const {
    return code == o.code && report == o.report && graphic == o.graphic && results == o.results;
  }
};

Outputs Read(const std::string& folder, int code) {
  return {code, Masked(ReadFile(folder + "/job.tvo")), ReadFile(folder + "/job.tvp"), ReadFile(folder + "/job.tvj")};
}

// Every file of a folder with its size and modification time.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Listing(const std::string& folder) {
  std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    files[e.path().filename().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
  return files;
}

// What one run's progress callback heard.
struct Heard {
  std::vector<std::pair<int, int>> calls;
  static void Callback(int done, int total, void* user) { static_cast<Heard*>(user)->calls.emplace_back(done, total); }
};

// The progress of a run that analysed `frequencies`: (0, n) first, then each
// frequency once in order, then (0, 0).
void ExpectCompleteProgress(const Heard& heard, int frequencies) {
  ASSERT_EQ(heard.calls.size(), static_cast<size_t>(frequencies + 2));
  EXPECT_EQ(heard.calls.front(), std::make_pair(0, frequencies));
  for (int k = 1; k <= frequencies; ++k) EXPECT_EQ(heard.calls[static_cast<size_t>(k)], std::make_pair(k, frequencies));
  EXPECT_EQ(heard.calls.back(), std::make_pair(0, 0));
}

// Two runs that wait for each other when their frequency loops start, so
// that the loops certainly overlap (each waits a minute at most).
struct Rendezvous {
  std::mutex mutex;
  std::condition_variable arrived;
  int count = 0;
  struct Party {
    Rendezvous* meeting;
    Heard heard;
  };
  static void Callback(int done, int total, void* user) {
    auto* party = static_cast<Party*>(user);
    Heard::Callback(done, total, &party->heard);
    if (done != 0 || total == 0) return;  // only the start of the loop
    Rendezvous& r = *party->meeting;
    std::unique_lock lock(r.mutex);
    ++r.count;
    r.arrived.notify_all();
    r.arrived.wait_for(lock, 60s, [&r] { return r.count >= 2; });
  }
};

int Frequencies(const std::string& graphic) { return std::stoi(graphic.substr(0, graphic.find('\n'))); }

TEST(ConcurrentRuns, TwoProjectsOnTwoThreadsGiveTheirSingleRunOutputs) {
  ScratchFolder scratch;
  const std::string group = ReadFile(kExamples + "/pile-group.tvd");
  const std::string transient = ReadFile(kExamples + "/transient.tvd");
  ASSERT_FALSE(group.empty());
  ASSERT_FALSE(transient.empty());

  // each alone
  const std::string aloneA = ProjectFolder(scratch, "alone-a", group);
  const std::string aloneB = ProjectFolder(scratch, "alone-b", transient);
  Heard heardA, heardB;
  const Outputs singleA = Read(aloneA, terva_run(aloneA.c_str(), &Heard::Callback, &heardA));
  const Outputs singleB = Read(aloneB, terva_run(aloneB.c_str(), &Heard::Callback, &heardB));
  ASSERT_EQ(singleA.code, 0) << singleA.report;
  ASSERT_EQ(singleB.code, 0) << singleB.report;
  ExpectCompleteProgress(heardA, Frequencies(singleA.graphic));
  ExpectCompleteProgress(heardB, Frequencies(singleB.graphic));

  // side by side, twice (the second pair reuses nothing of the first)
  for (int round = 0; round < 2; ++round) {
    const std::string a = ProjectFolder(scratch, "a" + std::to_string(round), group);
    const std::string b = ProjectFolder(scratch, "b" + std::to_string(round), transient);
    Rendezvous meeting;
    Rendezvous::Party partyA{&meeting, {}}, partyB{&meeting, {}};
    int codeA = -1, codeB = -1;
    std::thread first([&] { codeA = terva_run(a.c_str(), &Rendezvous::Callback, &partyA); });
    std::thread second([&] { codeB = terva_run(b.c_str(), &Rendezvous::Callback, &partyB); });
    first.join();
    second.join();
    EXPECT_EQ(meeting.count, 2) << "both frequency loops started";
    EXPECT_TRUE(Read(a, codeA) == singleA) << "round " << round << ": the pile group differs from its run alone";
    EXPECT_TRUE(Read(b, codeB) == singleB) << "round " << round << ": the transient run differs from its run alone";
    ExpectCompleteProgress(partyA.heard, Frequencies(singleA.graphic));
    ExpectCompleteProgress(partyB.heard, Frequencies(singleB.graphic));
  }
  // ITERVA's counters are not moved by terva_run
  int done = -1, total = -1;
  ITERVA_PROGRESS(&done, &total);
  EXPECT_EQ(total, 0);
}

// A run held at the start of its frequency loop until the test lets it go.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool held = false, released = false;
  static void Callback(int done, int total, void* user) {
    if (done != 0 || total == 0) return;
    Gate& g = *static_cast<Gate*>(user);
    std::unique_lock lock(g.mutex);
    g.held = true;
    g.changed.notify_all();
    g.changed.wait_for(lock, 120s, [&g] { return g.released; });
  }
  bool WaitUntilHeld() {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 120s, [this] { return held; });
  }
  void Release() {
    const std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
};

TEST(ConcurrentRuns, ASecondRunInAFolderThatARunHoldsIsRefusedAndTouchesNothing) {
  ScratchFolder scratch;
  const std::string input = ReadFile(kExamples + "/pile-group.tvd");
  const std::string alone = ProjectFolder(scratch, "alone", input);
  const Outputs single = Read(alone, terva_run(alone.c_str(), nullptr, nullptr));
  ASSERT_EQ(single.code, 0);

  const std::string folder = ProjectFolder(scratch, "held", input);
  fs::create_directory_symlink(folder, scratch.path() + "/alias");
  Gate gate;
  int code = -1;
  std::thread first([&] { code = terva_run(folder.c_str(), &Gate::Callback, &gate); });
  ASSERT_TRUE(gate.WaitUntilHeld());
  const auto before = Listing(folder);
  EXPECT_EQ(terva_run(folder.c_str(), nullptr, nullptr), TERVA_RUN_REFUSED);
  EXPECT_EQ(terva_run((folder + "/.").c_str(), nullptr, nullptr), TERVA_RUN_REFUSED);
  EXPECT_EQ(terva_run((scratch.path() + "/alias").c_str(), nullptr, nullptr), TERVA_RUN_REFUSED) << "a link to it";
  EXPECT_EQ(terva_run("held", nullptr, nullptr), TERVA_RUN_REFUSED) << "relative to the current folder";
  // ITERVA's folder is the current one
  fs::current_path(folder);
  EXPECT_EQ(ITERVA(13), TERVA_RUN_REFUSED);
  EXPECT_EQ(terva_run(nullptr, nullptr, nullptr), TERVA_RUN_REFUSED);
  EXPECT_EQ(ITERVA(12), 1) << "a wrong argument is still answered first";
  fs::current_path(scratch.path());
  EXPECT_EQ(Listing(folder), before) << "a refused call touched the folder";
  gate.Release();
  first.join();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(Read(folder, code) == single) << "the held run differs from its run alone";
  // the folder is free again
  EXPECT_EQ(terva_run(folder.c_str(), nullptr, nullptr), 0);
}

TEST(ConcurrentRuns, ASecondITERVAIsRefusedWhileOneRuns) {
  ScratchFolder scratch;  // the current folder, for both calls
  scratch.Write("job.tvd", kHalfSpaceInput);
  // no names.dat: the first call asks on the console and waits there for its answers
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  std::fflush(nullptr);
  const int savedStdin = ::dup(STDIN_FILENO);
  ASSERT_GE(savedStdin, 0);
  ASSERT_EQ(::dup2(pipeEnds[0], STDIN_FILENO), STDIN_FILENO);
  ::close(pipeEnds[0]);
  std::clearerr(stdin);
  ::testing::internal::CaptureStdout();
  int code = -1;
  std::thread first([&] { code = ITERVA(13); });
  // the scratch files are made before the run list is read: then the call waits
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!(scratch.Exists("TAPE7") && scratch.Exists("TAPE8")) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(scratch.Exists("TAPE8"));
  const auto before = Listing(scratch.path());
  EXPECT_EQ(ITERVA(13), TERVA_RUN_REFUSED);
  EXPECT_EQ(_ITERVA(13), TERVA_RUN_REFUSED);
  EXPECT_EQ(Listing(scratch.path()), before) << "a refused call touched the folder";
  // a run in another folder is not held up
  const std::string other = ProjectFolder(scratch, "other", kHalfSpaceInput);
  EXPECT_EQ(terva_run(other.c_str(), nullptr, nullptr), 0);
  const std::string answers = "job.tvd\njob.tvo\njob.tvp\n";
  ASSERT_EQ(::write(pipeEnds[1], answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
  ::close(pipeEnds[1]);
  first.join();
  ::testing::internal::GetCapturedStdout();
  ::dup2(savedStdin, STDIN_FILENO);
  ::close(savedStdin);
  std::clearerr(stdin);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Masked(scratch.Read("job.tvo")), Masked(ReadFile(other + "/job.tvo")));
  EXPECT_EQ(scratch.Read("job.tvp"), ReadFile(other + "/job.tvp"));
  // and the next ITERVA runs
  scratch.Write("names.dat", "job.tvd\nagain.tvo\nagain.tvp\n");
  EXPECT_EQ(ITERVA(13), 0);
}

TEST(FolderRun, NamesAreTakenRelativeToTheFolder) {
  ScratchFolder scratch;  // the current folder: nothing may land here
  const std::string folder = scratch.path() + "/project";
  fs::create_directories(folder + "/out");
  std::ofstream(folder + "/job.tvd") << kHalfSpaceInput;
  const std::string absolute = scratch.path() + "/elsewhere.tvp";
  std::ofstream(folder + "/names.dat") << "job.tvd\nout/job.tvo\n" << absolute << "\n";
  EXPECT_EQ(terva_run(folder.c_str(), nullptr, nullptr), 0);
  EXPECT_TRUE(fs::exists(folder + "/out/job.tvo"));
  EXPECT_TRUE(fs::exists(absolute)) << "an absolute name stands as it is";
  EXPECT_TRUE(fs::exists(folder + "/TAPE7"));
  EXPECT_TRUE(fs::exists(folder + "/TAPE8"));
  for (const char* name : {"TAPE7", "TAPE8", "job.tvo", "out"})
    EXPECT_FALSE(scratch.Exists(name)) << name << " in the current folder";

  // the same through ITERVA from that folder gives the same report
  const std::string report = Masked(ReadFile(folder + "/out/job.tvo"));
  fs::remove(folder + "/out/job.tvo");
  fs::current_path(folder);
  EXPECT_EQ(ITERVA(13), 0);
  fs::current_path(scratch.path());
  EXPECT_EQ(Masked(ReadFile(folder + "/out/job.tvo")), report);
}

TEST(FolderRun, AFolderThatIsNotThereIsNoRun) {
  ScratchFolder scratch;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(terva_run((scratch.path() + "/absent").c_str(), nullptr, nullptr), 3);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("absent"), std::string::npos) << message;
  EXPECT_TRUE(fs::is_empty(scratch.path()));
  scratch.Write("file", "");
  EXPECT_EQ(terva_run((scratch.path() + "/file").c_str(), nullptr, nullptr), 3) << "a file is no folder";
}

TEST(FolderRun, EachCallStartsFromAFreshRecord) {
  ScratchFolder scratch;
  // a first run chooses English units; a second, without GRAVITY before its
  // echo, does not inherit them: it writes what it writes alone
  const std::string input = "FOUNDATION=HALF-SPACE\nCIRCULAR=2.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\nSTOP\n";
  const std::string alone = ProjectFolder(scratch, "alone", input);
  const std::string first = ProjectFolder(scratch, "first", "GRAVITY=32.2\n" + input);
  const std::string second = ProjectFolder(scratch, "second", input);
  EXPECT_EQ(terva_run(alone.c_str(), nullptr, nullptr), 2);
  EXPECT_EQ(terva_run(first.c_str(), nullptr, nullptr), 2);
  EXPECT_EQ(terva_run(second.c_str(), nullptr, nullptr), 2);
  EXPECT_NE(ReadFile(first + "/job.tvo").find("RADIUS =    2.000 ft\n"), std::string::npos);
  EXPECT_EQ(Masked(ReadFile(second + "/job.tvo")), Masked(ReadFile(alone + "/job.tvo")));
  EXPECT_NE(ReadFile(second + "/job.tvo").find("RADIUS =    2.000   \n"), std::string::npos);
}

}  // namespace
}  // namespace terva::test
