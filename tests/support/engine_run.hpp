// Whole-run test support: pushes an input through the engine (terva_run) in
// a scratch folder and hands back the report.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/problem_data.hpp"

namespace terva::test {

struct EngineRun {
  int code = -1;
  std::string report;    // the report text, date and time masked
  std::string graphic;   // the graphic data file
  std::string results;   // the results file
  // The problem record as the run read the input (before its analysis): the
  // input read again into a run context of its own (ReadInputText).
  std::shared_ptr<const ProblemData> problem;
  std::vector<std::string> lines() const;
};

// Runs the given input text through the engine runner (as the program does,
// with the engine's terva_run) and reads back the report and graphic file
// beside the input.
EngineRun RunEngine(const std::string& input);

// A scratch folder made current for the life of the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  void Write(const std::string& name, const std::string& text) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
  std::string previous_;
};

// True when the report holds these lines one after another.
bool HasBlock(const std::string& report, const std::vector<std::string>& block);
// Number of lines equal to the given one.
int CountLines(const std::string& report, const std::string& line);

std::string ReadFile(const std::string& path);

}  // namespace terva::test
