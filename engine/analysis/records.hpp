// The engine's process-wide records: the problem record, whose values carry
// over from one call to the next until the input sets them again, the results
// record of the latest run (large, so kept off the stack), and the report of
// the current call. Only the entry point and the driver reach for them; every
// layer below takes them by argument.
#pragma once

#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

ProblemData& Problem();
ResultStore& Results();
Report& Out();

}  // namespace terva
