// What the section readers read into and report to: the problem record and
// the report of the current call, handed down by the entry point.
#pragma once

#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"

namespace terva {

struct ReaderContext {
  ProblemData& problem;
  Report& report;
};

}  // namespace terva
