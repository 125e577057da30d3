// The progress query: another thread polling while a run computes sees the
// frequencies finished climb to the run's total, never past it, and both
// counts at 0 once the call has returned; the engine runner finds the query
// in the shared library and does without it when an engine lacks it.
#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "engine/analysis/iterva.h"
#include "gui/core/EngineRunner.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

struct Sample {
  int done, total;
};

// Runs the project through a session of `runner` while a second thread
// polls the session's progress; returns what the poller saw.
std::vector<Sample> PollDuringRun(const gui::TEngineRunner& runner, const QString& project, int& code) {
  gui::TEngineSession session(runner, project);
  EXPECT_TRUE(session.Prepare()) << session.Result().message.toStdString();
  std::vector<Sample> samples;
  std::atomic<bool> finished{false}, polling{false};
  std::thread poller([&] {
    polling = true;
    while (!finished.load()) {
      Sample s{-1, -1};
      EXPECT_TRUE(session.Progress(&s.done, &s.total));
      samples.push_back(s);
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  while (!polling.load()) std::this_thread::yield();
  code = session.Call();
  finished = true;
  poller.join();
  int done = -1, total = -1;
  EXPECT_TRUE(session.Progress(&done, &total));
  EXPECT_EQ(done, 0);
  EXPECT_EQ(total, 0);
  EXPECT_TRUE(session.Deliver().Delivered());
  return samples;
}

void ExpectClimbsTo(const std::vector<Sample>& samples, int frequencies) {
  ASSERT_FALSE(samples.empty());
  int lastDone = 0, seenRunning = 0, highest = 0;
  for (const Sample& s : samples) {
    ASSERT_GE(s.done, 0);
    ASSERT_LE(s.done, s.total);
    if (s.total == 0) continue;  // before the frequency loop or after it
    ASSERT_EQ(s.total, frequencies);
    ASSERT_GE(s.done, lastDone) << "the count went back";
    lastDone = s.done;
    highest = std::max(highest, s.done);
    ++seenRunning;
  }
  EXPECT_GT(seenRunning, 0) << "the poller never saw the loop running";
  EXPECT_GT(highest, 0);
}

TEST(Progress, ZeroWhenNoRunAndNullPointersIgnored) {
  int done = -1, total = -1;
  ITERVA_PROGRESS(&done, &total);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(total, 0);
  _ITERVA_PROGRESS(nullptr, &total);
  ITERVA_PROGRESS(&done, nullptr);
  EXPECT_EQ(done, 0);
}

TEST(Progress, PolledFromAnotherThreadDuringAPileGroupRun) {
  ScratchFolder folder;
  const std::string project = folder.path() + "/pile-group.tvd";
  // 1 000 frequencies at a step of 1 rad/s: long enough to be seen computing on a busy machine
  std::string input = ReadFile(TERVA_EXAMPLES_DIR "/pile-group.tvd");
  const std::string range = "400.0, 20.0, 20.0";
  ASSERT_NE(input.find(range), std::string::npos);
  input.replace(input.find(range), range.size(), "1000.0, 1.0, 1.0");
  folder.Write("pile-group.tvd", input);
  int code = -1;
  const gui::TEngineRunner runner(&ITERVA, &ITERVA_PROGRESS, QString::fromStdString(folder.path() + "/runs"));
  ExpectClimbsTo(PollDuringRun(runner, QString::fromStdString(project), code), 1000);
  EXPECT_EQ(code, 0);
}

TEST(Progress, TheSharedLibraryExportsTheQuery) {
  ScratchFolder folder;
  const std::string project = folder.path() + "/stratum.tvd";
  folder.Write("stratum.tvd", ReadFile(TERVA_EXAMPLES_DIR "/stratum.tvd"));
  int code = -1;
  const gui::TEngineRunner runner(QStringLiteral(TERVA_ENGINE_LIBRARY), QString::fromStdString(folder.path() + "/runs"));
  const std::vector<Sample> samples = PollDuringRun(runner, QString::fromStdString(project), code);
  EXPECT_EQ(code, 0);
  for (const Sample& s : samples) ASSERT_LE(s.done, s.total);
}

// The library exports its run in a folder beside the entry, and a session
// that loaded it runs through it (the progress above came through its
// callback, not through ITERVA_PROGRESS).
TEST(Progress, TheSharedLibraryExportsTheRunInAFolder) {
  gui::TLibraryLoader loader(QStringLiteral(TERVA_ENGINE_LIBRARY));
  loader.Open();
  const auto run = reinterpret_cast<gui::TEngineFolderRun>(loader.Entry("terva_run"));
  ASSERT_NE(run, nullptr);
  EXPECT_NE(loader.Entry("ITERVA"), nullptr);
  EXPECT_NE(loader.Entry("_ITERVA"), nullptr);
  ScratchFolder folder;
  std::filesystem::create_directory(folder.path() + "/project");
  folder.Write("project/job.tvd", ReadFile(TERVA_EXAMPLES_DIR "/stratum.tvd"));
  folder.Write("project/names.dat", "job.tvd\njob.tvo\njob.tvp\n");
  std::vector<Sample> heard;
  const auto callback = [](int done, int total, void* user) {
    static_cast<std::vector<Sample>*>(user)->push_back({done, total});
  };
  EXPECT_EQ(run((folder.path() + "/project").c_str(), callback, &heard), 0);
  ASSERT_GE(heard.size(), 2u);
  EXPECT_EQ(heard.front().done, 0);
  EXPECT_GT(heard.front().total, 0);
  EXPECT_EQ(heard.back().total, 0);
  EXPECT_TRUE(folder.Exists("project/job.tvo"));
  EXPECT_FALSE(folder.Exists("TAPE7")) << "nothing in the current folder";
}

TEST(Progress, AnEngineWithoutTheQueryReportsNone) {
  ScratchFolder folder;
  folder.Write("half-space.tvd", ReadFile(TERVA_EXAMPLES_DIR "/half-space.tvd"));
  const gui::TEngineRunner runner(&ITERVA, QString::fromStdString(folder.path() + "/runs"));
  gui::TEngineSession session(runner, QString::fromStdString(folder.path() + "/half-space.tvd"));
  ASSERT_TRUE(session.Prepare());
  int done = -1, total = -1;
  EXPECT_FALSE(session.Progress(&done, &total));
  EXPECT_EQ(done, 0);
  EXPECT_EQ(total, 0);
}

TEST(Progress, BackToZeroAfterARunThatWasRefused) {
  // more frequencies than the results hold: the analysis refuses before its loop
  std::string input = ReadFile(TERVA_EXAMPLES_DIR "/half-space.tvd");
  const std::string range = "300.0, 10.0, 10.0";
  ASSERT_NE(input.find(range), std::string::npos);
  input.replace(input.find(range), range.size(), "3000.0, 1.0, 1.0");
  const EngineRun refused = RunEngine(input);
  EXPECT_NE(refused.report.find("PROGRAM WILL NOT EXECUTE"), std::string::npos) << refused.report;
  int done = -1, total = -1;
  ITERVA_PROGRESS(&done, &total);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(total, 0);
}

}  // namespace
}  // namespace terva::test
