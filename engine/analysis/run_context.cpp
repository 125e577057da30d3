#include "engine/analysis/run_context.hpp"

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
