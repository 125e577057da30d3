// What a reading of the input keeps besides the problem record, for callers
// that turn an input back into data entry (the desktop program's import):
// the load histories and spectra as they were written (the record holds
// only their transforms and the symmetric fill), whether the keywords ended
// at RUN, and where the first input error stands.
#pragma once

#include <string>
#include <vector>

#include "engine/core/scalar.hpp"

namespace terva {

struct InputRecords {
  // A transient load history (first: its load code) or a random load
  // spectrum (first, second: its location), in the order of the input.
  struct Series {
    Int first = 0, second = 0;
    std::vector<Real> values;
  };
  std::vector<Series> histories;
  std::vector<Series> spectra;
  bool reachedRun = false;  // the keywords ended at RUN (not STOP nor the end of the input)
  bool reachedEnd = false;  // a read met the end of the input
  int lastLine = 0;         // the input line of the last record read (from 1)
  int errorLine = 0;        // the input line of the record read last before the first input error; 0: none
  std::string errorText;    // what the reading reported from the read of that record on
};

}  // namespace terva
