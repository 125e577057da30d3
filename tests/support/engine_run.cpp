#include "support/engine_run.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include <QString>

#include "engine/analysis/iterva.h"
#include "engine/analysis/run_context.hpp"
#include "gui/core/EngineRunner.hpp"

namespace terva::test {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

ScratchFolder::ScratchFolder() {
  char pattern[] = "/tmp/terva-test-XXXXXX";
  const char* dir = ::mkdtemp(pattern);
  if (!dir) throw std::runtime_error("mkdtemp failed");
  path_ = dir;
  previous_ = fs::current_path().string();
  fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

void ScratchFolder::Write(const std::string& name, const std::string& text) const {
  std::ofstream(path_ + "/" + name, std::ios::binary) << text;
}

std::string ScratchFolder::Read(const std::string& name) const { return ReadFile(path_ + "/" + name); }

bool ScratchFolder::Exists(const std::string& name) const { return fs::exists(path_ + "/" + name); }

EngineRun RunEngine(const std::string& input) {
  // The runner that the program and terva-batch use, with the engine linked
  // into the test: a private working folder with the private copy. What the
  // engine wrote is read there, whatever the run gave: a run without results
  // would not put its files beside job.tvd.
  ScratchFolder folder;
  folder.Write("job.tvd", input);
  const gui::TEngineRunner runner(&terva_run, QString::fromStdString(folder.path() + "/runs"));
  gui::TEngineSession session(runner, QString::fromStdString(folder.path() + "/job.tvd"));
  EngineRun run;
  if (!session.Prepare()) return run;
  run.code = session.Call();
  const std::string work = session.WorkFolder().toStdString() + "/";
  std::string report = ReadFile(work + gui::TEngineRunner::kReportName.toStdString());
  static const std::regex date(R"(RUN DATE -  \d\d/\d\d/\d{4})");
  static const std::regex time(R"(TIME     -  \d\d:\d\d:\d\d)");
  report = std::regex_replace(report, date, "RUN DATE -  MM/DD/YYYY");
  run.report = std::regex_replace(report, time, "TIME     -  HH:MM:SS");
  run.graphic = ReadFile(work + gui::TEngineRunner::kGraphicName.toStdString());
  run.results = ReadFile(work + gui::TEngineRunner::kResultsName.toStdString());
  const std::shared_ptr<const RunContext> read = ReadInputText(input);
  run.problem = std::shared_ptr<const ProblemData>(read, &read->problem);
  return run;
}

std::vector<std::string> EngineRun::lines() const {
  std::vector<std::string> out;
  std::stringstream ss(report);
  std::string line;
  while (std::getline(ss, line)) out.push_back(line);
  return out;
}

bool HasBlock(const std::string& report, const std::vector<std::string>& block) {
  EngineRun r;
  r.report = report;
  const auto lines = r.lines();
  if (block.empty()) return true;
  for (size_t i = 0; i + block.size() <= lines.size(); ++i) {
    bool match = true;
    for (size_t k = 0; k < block.size() && match; ++k) match = lines[i + k] == block[k];
    if (match) return true;
  }
  return false;
}

int CountLines(const std::string& report, const std::string& line) {
  EngineRun r;
  r.report = report;
  int n = 0;
  for (const auto& l : r.lines()) n += l == line;
  return n;
}

}  // namespace terva::test
