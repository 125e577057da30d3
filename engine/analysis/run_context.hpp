// One call's records: made when a run starts and gone when it returns, so
// that runs in different folders share nothing. The problem record starts
// fresh for every call (the library's initial data, as the desktop program
// has always had by loading the library afresh for each run).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/analysis/iterva.h"
#include "engine/analysis/progress.hpp"
#include "engine/analysis/run_files.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/input/reader_context.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

struct RunContext {
  // `folder`: where the run's files are ("" the current folder); progress goes to `callback`.
  explicit RunContext(std::string runFolder = {}, terva_progress_fn callback = nullptr, void* user = nullptr)
      : folder(std::move(runFolder)), progress(callback, user) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // A file name of the run (from "names.dat", or a scratch file's) as a path:
  // a relative name is taken relative to the run's folder.
  std::string Path(const std::string& name) const;

  std::string folder;
  ProblemData problem{};
  std::unique_ptr<ResultStore> results = std::make_unique<ResultStore>();  // large: kept off the stack
  Report report;
  ReaderContext reader{problem, report};  // the token stream and the section readers' view of the run
  RunProgress progress;
  RunFiles files;
};

// The reading part of a run, on input already prepared in the run's token
// stream: the run state reset, the keywords read to RUN,
// STOP or the end of the input, the notes on input lines cut at column 80.
void ReadPreparedInput(RunContext& run);

// Reads an input text into a fresh run's problem record as a run does before
// its analysis (the run state reset, the keywords read to RUN, STOP or the
// end, the notes on cut lines), with the report going to memory; no file is
// opened. For tests and for callers that only read an input.
std::unique_ptr<RunContext> ReadInputText(std::string_view text);

}  // namespace terva
