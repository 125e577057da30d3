#include "engine/analysis/run_context.hpp"
#include "engine/analysis/read_input.hpp"

#include <filesystem>

#include "engine/input/keywords.hpp"

namespace terva {

std::string RunContext::Path(const std::string& name) const {
  if (folder.empty() || name.empty()) return name;
  const std::filesystem::path path(name);
  if (path.is_absolute()) return name;
  return (std::filesystem::path(folder) / path).string();
}

void ReadPreparedInput(RunContext& run) {
  run.problem.ResetRunState();
  ReadKeywords(run.reader);
  run.reader.ReportCutInputLines();
}

std::unique_ptr<RunContext> ReadInputText(std::string_view text) {
  auto run = std::make_unique<RunContext>();
  run->report.OpenMemory();
  run->reader.PrepareInputText(text);
  ReadPreparedInput(*run);
  return run;
}

}  // namespace terva

namespace terva {

bool InputReading::Runnable() const {
  const ProblemData& p = problem;
  return records.reachedRun && !p.run.InputErrorIndicator && !p.run.StopIndicator &&
         p.status.FoundationType != EngineFoundation::None && p.status.LoadType != EngineLoad::None &&
         p.status.FootingShape != kShapeNone && p.status.GravitySet != 0;
}

std::unique_ptr<InputReading> ReadInputOnly(std::string_view text) {
  auto reading = std::make_unique<InputReading>();
  auto run = std::make_unique<RunContext>();
  run->report.OpenMemory();
  run->reader.records = &reading->records;
  run->reader.PrepareInputText(text);
  ReadPreparedInput(*run);
  run->reader.NoteInputError();
  run->reader.records = nullptr;
  reading->problem = run->problem;
  reading->report = run->report.Captured();
  return reading;
}

}  // namespace terva
