// Reading an input without analysing it, for programs that turn an engine
// input into their own data entry (the desktop program's import): the same
// reader as a run's, on a text in memory, with no file opened.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/core/problem_data.hpp"
#include "engine/input/input_records.hpp"

namespace terva {

struct InputReading {
  ProblemData problem{};  // as a run would analyse it
  InputRecords records;   // what the record holds only transformed; the end and the first error
  std::string report;     // what the reading wrote to the report (the data echo, notes, errors)

  // The engine would analyse the input: it was read to RUN without an input
  // error, and it sets the foundation, its shape, the load and the gravity.
  bool Runnable() const;
};

std::unique_ptr<InputReading> ReadInputOnly(std::string_view text);

}  // namespace terva
